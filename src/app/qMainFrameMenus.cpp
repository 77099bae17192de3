// The main window's language menu and its hooks to the newsletter and the
// software updater.
#include "app/qMainFrame.h"

#include "app/AppPaths.h"
#include "app/AppSettings.h"
#include "app/Language.h"
#include "app/LanguageConfig.h"
#include "app/logging/Log.h"
#include "commands/qAppModel.h"
#include "online/AppPaths.h"
#include "online/DataUploader.h"
#include "widgets/MessageBoxes.h"

#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

void qMainFrame::buildLanguageMenu()
{
    languageMenu = new QMenu(tr("Language"), this);
    languageMenu->setStyleSheet(QStringLiteral("background:rgb(29,29,29);color:white"));
    languageGroup = new QActionGroup(this);
    languageGroup->setExclusive(true);

    const kzo::app::LanguageFile list = kzo::app::readLanguageFile(kzo::app::configPath());
    if (list.status == kzo::app::LanguageFileStatus::ParseError)
        logStdout("Error:config file parse error,language set failed!\n");
    // The button names the language the texts are shown in: the one whose
    // translation start-up installed, else English (the stored choice or the
    // system's language may name another one whose translation is missing).
    const QString current = languageName.isEmpty() ? QStringLiteral("en_US") : languageName;
    for (const kzo::app::LanguageEntry& entry : list.entries) {
        auto* action = new QAction(entry.menuText, languageGroup);
        action->setCheckable(true);
        action->setWhatsThis(entry.shortName);
        action->setData(entry.file);
        languageMenu->addAction(action);
        languageActions.append(action);
        connect(action, &QAction::triggered, this, &qMainFrame::OnLanguageItemChanged);
        if (entry.shortName == current) {
            action->setChecked(true);
            const bool english = entry.menuText == QStringLiteral("English");
            languageButton->setText(entry.menuText + (english ? QStringLiteral(" ") : tr("(Language) ")));
        }
    }
    if (languageActions.isEmpty()) {
        languageButton->hide();
        return;
    }
    if (languageButton->text().isEmpty())
        languageButton->setText(tr("Language"));
    connect(languageButton, &QPushButton::clicked, this,
            [this] { languageMenu->popup(languageButton->mapToGlobal(QPoint(0, languageButton->height()))); });
}

void qMainFrame::OnLanguageItemChanged()
{
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    const QString shortName = action->whatsThis();
    kzo::app::setCurrentLocale(shortName);
    const int language = kzo::app::languageOf(shortName);
    auto settings = kzo::app::openSettings();
    if (language == QLocale::English) {
        settings->setValue(QStringLiteral("language"), static_cast<int>(QLocale::English));
        logStdout("App set language :English \n");
    } else {
        settings->setValue(QStringLiteral("language"), language);
        logStdout("App set language : %s\n",
                  QLocale::languageToString(static_cast<QLocale::Language>(language)).toUtf8().constData());
    }
    settings->sync();
    kzo::ui::information(this, tr("Info"), tr("Please restart the application!"));
}

namespace {

QString newsGroup()
{
    return QStringLiteral("AppConfig_") + appModel().value("series") + appModel().value("software");
}

} // namespace

void qMainFrame::onShowNewsLetter(QString url, int version)
{
    if (!newsletter) {
        // A plain announcement window: the address of the current newsletter.
        auto* dlg = new QDialog(this);
        dlg->setWindowTitle(tr("Announcements"));
        auto* layout = new QVBoxLayout(dlg);
        auto* text = new QLabel(dlg);
        text->setObjectName(QStringLiteral("newsText"));
        text->setOpenExternalLinks(true);
        text->setTextFormat(Qt::RichText);
        auto* close = new QPushButton(tr("Close"), dlg);
        connect(close, &QPushButton::clicked, dlg, &QDialog::accept);
        layout->addWidget(text);
        layout->addWidget(close);
        newsletter = dlg;
    }
    auto* text = newsletter->findChild<QLabel*>(QStringLiteral("newsText"));
    if (version == 0) {
        text->setText(tr("No newsletter!"));
        newsletter->setEnabled(true);
        return;
    }
    newsletterUrl = url;
    text->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(url.toHtmlEscaped()));
    newsletter->setEnabled(true);
    QSettings conf(kzo::online::appConfPath(), QSettings::IniFormat);
    conf.beginGroup(newsGroup());
    if (conf.value(QStringLiteral("news_version"), 0).toInt() < version) {
        conf.setValue(QStringLiteral("news_version"), version);
        conf.endGroup();
        conf.sync();
        onShowNewsLetter();
    }
}

void qMainFrame::onShowNewsLetter()
{
    if (newsletter && !newsletter->isVisible())
        static_cast<QDialog*>(newsletter.data())->open();
}

void qMainFrame::showSoftwareUpdater()
{
    // The updater dialog asks the server itself; what exists here is the query.
    if (DataUploader* u = dataUploader())
        u->requestSoftware();
}

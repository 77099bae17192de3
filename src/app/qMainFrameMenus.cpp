// The main window's language menu and its hooks to the newsletter and the
// software updater.
#include "app/qMainFrame.h"

#include "app/AppPaths.h"
#include "app/AppSettings.h"
#include "app/Language.h"
#include "app/LanguageConfig.h"
#include "app/logging/Log.h"
#include "commands/qAppModel.h"
#include "online/ui/newsletter.h"
#include "online/ui/qSoftwareUpdater.h"
#include "widgets/MessageBoxes.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPushButton>

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

void qMainFrame::onShowNewsLetter(QString url, int version)
{
    // The window decides what is loaded, stored and shown; it asks to be
    // shown through showRequested.
    newsDlg->showNewsLetter(url, version);
}

void qMainFrame::onShowNewsLetter()
{
    if (!newsDlg->isVisible())
        newsDlg->open();
}

void qMainFrame::showSoftwareUpdater()
{
    if (!softwareDlg->isVisible())
        softwareDlg->open();
}

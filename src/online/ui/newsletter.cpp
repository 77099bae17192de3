#include "online/ui/newsletter.h"

#include "app/framework/HelpView.h"
#include "online/AppPaths.h"
#include "online/DataUploader.h"
#include "online/ui/OnlineWindows.h"
#include "resources/KzoResources.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

using namespace kzo::online;

namespace {

constexpr int dialogWidth = 620;
constexpr int dialogHeight = 460;

const char* const newsKey = "news_version";

} // namespace

newsletter::newsletter(QWidget* parent) : QDialog(parent)
{
    kzo::initResources();
    buildUi();
    checkBox->setChecked(storedVersion() != 0);
    // Every change of the box is kept at once, so a choice survives however
    // the program ends.
    connect(checkBox, &QCheckBox::toggled, this, &newsletter::storeChoice);
    pushButton_refresh->setEnabled(false);
    showViewText(webView, tr("Refreshing, please wait..."));
}

void newsletter::buildUi()
{
    widget = buildWindowFrame(*this, "newsletter", tr("Announcements"), QSize(dialogWidth, dialogHeight),
                              ":/Utility/res/newsletter_bg.png");
    labelTitle = makeLabel(widget, "label_title", windowTitle(), titleStyle);

    webView = new HelpView(widget);
    webView->setObjectName(QStringLiteral("webView"));
    webView->setStyleSheet(
        QStringLiteral("#webView {\nborder-radius: 3px; background-color: rgba(255, 193, 25,0%);\n\tbackground-image: url();\n}"));
    connect(webView, &HelpView::linkClicked, this, &newsletter::onOpenUrl);

    checkBox = new QCheckBox(tr("Don't show again"), widget);
    checkBox->setObjectName(QStringLiteral("checkBox"));
    checkBox->setAccessibleName(checkBox->text());
    checkBox->setStyleSheet(QStringLiteral("QCheckBox{font:normal 12px \"Arial\";color:white;}"));
    pushButton_refresh = makeButton(widget, "pushButton_refresh", tr("Refresh"));
    pushButton_close = makeButton(widget, "pushButton_close", tr("Close"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(checkBox);
    buttons->addStretch(1);
    buttons->addWidget(pushButton_refresh);
    buttons->addWidget(pushButton_close);

    auto* box = new QVBoxLayout(widget);
    box->setContentsMargins(20, 8, 20, 16);
    box->setSpacing(10);
    box->addWidget(labelTitle);
    box->addSpacing(6);
    box->addWidget(webView, 1);
    box->addLayout(buttons);

    connect(pushButton_refresh, &QPushButton::clicked, this, &newsletter::onRefresh);
    connect(pushButton_close, &QPushButton::clicked, this, &QDialog::reject);
}

void newsletter::showNewsLetter(const QString& url, int version)
{
    if (version <= 0) {
        showViewText(webView, tr("No newsletter!"));
        enableRefresh();
        return;
    }
    loadUrl(url);
    enableRefresh();
    // Recorded even when it does not pop up: the user may still open the
    // window and tick the box for this very announcement.
    m_version = version;
    if (storedVersion() < version) {
        storeChoice();
        emit showRequested();
    }
}

void newsletter::loadUrl(QString url)
{
    loadWebAddress(webView, url);
}

void newsletter::showText(QString html)
{
    webView->setHtml(html);
}

void newsletter::enableRefresh()
{
    pushButton_refresh->setEnabled(true);
}

int newsletter::storedVersion() const
{
    QSettings conf(appConfPath(), QSettings::IniFormat);
    conf.beginGroup(DataUploader::appConfGroup());
    return conf.value(QLatin1String(newsKey), 0).toInt();
}

void newsletter::storeVersion(int version)
{
    QSettings conf(appConfPath(), QSettings::IniFormat);
    conf.beginGroup(DataUploader::appConfGroup());
    conf.setValue(QLatin1String(newsKey), version);
    conf.endGroup();
    conf.sync();
}

void newsletter::storeChoice()
{
    if (!checkBox->isChecked())
        storeVersion(0);
    else if (m_version != 0)
        storeVersion(m_version);
    // A ticked box with no announcement seen keeps what was dismissed before.
}

void newsletter::onRefresh()
{
    pushButton_refresh->setEnabled(false);
    showViewText(webView, tr("Refreshing, please wait..."));
    DataUploader* uploader = dataUploader();
    if (!uploader || !uploader->requestNewsLetter()) {
        // Nothing went out, so no answer will bring the button back.
        showViewText(webView, tr("No newsletter!"));
        enableRefresh();
    }
}

void newsletter::onOpenUrl(QUrl url)
{
    openWebLink(url);
}

void newsletter::done(int result)
{
    storeChoice();
    QDialog::done(result);
}

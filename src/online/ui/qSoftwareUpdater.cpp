#include "online/ui/qSoftwareUpdater.h"

#include "app/framework/HelpView.h"
#include "app/framework/qResources.h"
#include "commands/qAppModel.h"
#include "online/DataUploader.h"
#include "online/ui/OnlineWindows.h"
#include "resources/KzoResources.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace kzo::online;

namespace {

constexpr int dialogWidth = 560;
constexpr int dialogHeight = 420;

} // namespace

qSoftwareUpdater::qSoftwareUpdater(QWidget* parent) : QDialog(parent)
{
    kzo::initResources();
    buildUi();
}

void qSoftwareUpdater::buildUi()
{
    widget = buildWindowFrame(*this, "qSoftwareUpdater", tr("Software Update"), QSize(dialogWidth, dialogHeight),
                              ":/Utility/res/software_dlg_bg.png");

    auto* title = makeLabel(widget, "label_title", windowTitle(), titleStyle);
    label = makeLabel(widget, "label", tr("Current Software Version:"), captionStyle);
    label_version = makeLabel(widget, "label_version", appModel().value("software"), captionStyle);
    label_2 = makeLabel(widget, "label_2", tr("This version must be Updated."), "color: rgb(255, 0, 0);");

    webView = new HelpView(widget);
    webView->setObjectName(QStringLiteral("webView"));
    connect(webView, &HelpView::linkClicked, this, &qSoftwareUpdater::onOpenUrl);

    pushButtonRefresh = makeButton(widget, "pushButtonRefresh", tr("Refresh"));
    pushButtonClose = makeButton(widget, "pushButtonClose", tr("Close"));
    pushButtonUpdate = makeButton(widget, "pushButtonUpdate", tr("Upgrade"));

    auto* version = new QHBoxLayout;
    version->addWidget(label);
    version->addWidget(label_version);
    version->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pushButtonRefresh);
    buttons->addStretch(1);
    buttons->addWidget(pushButtonUpdate);
    buttons->addWidget(pushButtonClose);

    auto* box = new QVBoxLayout(widget);
    box->setContentsMargins(20, 8, 20, 16);
    box->setSpacing(10);
    box->addWidget(title);
    box->addSpacing(8);
    box->addLayout(version);
    box->addWidget(label_2);
    box->addWidget(webView, 1);
    box->addLayout(buttons);

    connect(pushButtonRefresh, &QPushButton::clicked, this, &qSoftwareUpdater::onRefreshButtonClicked);
    connect(pushButtonUpdate, &QPushButton::clicked, this, &qSoftwareUpdater::onUpdateButtonClicked);
    connect(pushButtonClose, &QPushButton::clicked, this, &QDialog::reject);

    label_2->hide();
    pushButtonUpdate->hide();
    showViewText(webView, tr("No Updates!"));
}

void qSoftwareUpdater::showEvent(QShowEvent* event)
{
    label_version->setText(appModel().value("software"));
    QDialog::showEvent(event);
}

void qSoftwareUpdater::onRefreshButtonClicked()
{
    pushButtonRefresh->setEnabled(false);
    DataUploader* uploader = dataUploader();
    if (!uploader || !uploader->requestSoftware()) {
        // Nothing went out, so no answer will bring the button back.
        showCheckFailed();
        return;
    }
    showViewText(webView, tr("Checking for software updates..."));
}

void qSoftwareUpdater::showUpdate(SoftwareInfo& info)
{
    pushButtonRefresh->setEnabled(true);
    m_hasOffer = true;
    m_noteUrl = info.note;
    loadWebAddress(webView, m_noteUrl);
    m_downloadUrl = info.url;
    m_mustUpdate = info.mustUpdate;
    label_2->setVisible(m_mustUpdate);
    pushButtonUpdate->show();
    emit showRequested();
}

void qSoftwareUpdater::showNoUpdate()
{
    pushButtonRefresh->setEnabled(true);
    m_mustUpdate = false;
    m_hasOffer = false;
    m_downloadUrl.clear();
    m_noteUrl.clear();
    // Nothing is on offer any more: no stale red line, nothing to upgrade to.
    label_2->hide();
    pushButtonUpdate->hide();
    showViewText(webView, tr("No Updates!"));
}

void qSoftwareUpdater::showCheckFailed()
{
    pushButtonRefresh->setEnabled(true);
    if (m_hasOffer) {
        // The offer seen before still stands.
        loadWebAddress(webView, m_noteUrl);
        return;
    }
    showViewText(webView, qResources::get().networkError);
}

void qSoftwareUpdater::showCheckResult(SoftwareInfo& info)
{
    if (info.failed)
        showCheckFailed();
    else if (!info.version.isEmpty())
        showUpdate(info);
    else
        showNoUpdate();
}

void qSoftwareUpdater::onUpdateButtonClicked()
{
    openWebLink(QUrl(m_downloadUrl));
    accept();
}

void qSoftwareUpdater::onOpenUrl(QUrl url)
{
    openWebLink(url);
}

void qSoftwareUpdater::done(int result)
{
    QDialog::done(result);
    if (m_mustUpdate)
        emit mustUpdateClosed();
}

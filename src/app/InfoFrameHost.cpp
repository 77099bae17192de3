#include "app/InfoFrameHost.h"

#include "app/qMainFrame.h"
#include "online/ui/OnlineWindows.h"
#include "online/ui/qSoftwareUpdater.h"

InfoFrameHost::InfoFrameHost(qMainFrame& window) : InfoHost(&window), frame(window)
{
    connect(&frame, &qMainFrame::signal_showTipText, this, &InfoHost::signal_showTipText);
}

void InfoFrameHost::showTip(const QString& text) { frame.showTip(text); }
void InfoFrameHost::showLoginOrError() { frame.showLoginOrError(); }
void InfoFrameHost::showSoftwareUpdater() { frame.showSoftwareUpdater(); }
void InfoFrameHost::showNewsLetter() { frame.onShowNewsLetter(); }
void InfoFrameHost::softwareUpdateFound(SoftwareInfo& info) { frame.softwareDialog()->showUpdate(info); }
void InfoFrameHost::softwareNoUpdate() { frame.softwareDialog()->showNoUpdate(); }
void InfoFrameHost::softwareCheckFailed() { frame.softwareDialog()->showCheckFailed(); }

void InfoFrameHost::openUrl(const QUrl& url) { kzo::online::openWebLink(url); }

#include "app/MainFrameHost.h"

#include "app/qMainFrame.h"

MainFrameHost::MainFrameHost(qMainFrame& window) : UpgradeHost(&window), frame(window)
{
    connect(&frame, &qMainFrame::s_navigator_disabled, this, &UpgradeHost::s_navigator_disabled);
    connect(&frame, &qMainFrame::signal_showTipText, this, &UpgradeHost::signal_showTipText);
}

void MainFrameHost::showLoginOrError() { frame.showLoginOrError(); }
void MainFrameHost::showTip(const QString& text) { frame.showTip(text); }
void MainFrameHost::focusPage(int index) { frame.focusPage(index); }
void MainFrameHost::leaveAllPages() { frame.leaveAllPages(); }
void MainFrameHost::markFirmwareMatches() { qMainFrame::setNavigationAllowed(true); }

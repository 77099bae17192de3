#pragma once
// The main window as the update dialog and the upgrade pages see it.
#include "upgrade/updater/UpgradeHost.h"

class qMainFrame;

class MainFrameHost : public UpgradeHost {
    Q_OBJECT
public:
    // Relays the window's navigation-refused and tip signals; lives as the
    // window's child.
    explicit MainFrameHost(qMainFrame& frame);

    void showLoginOrError() override;
    void showTip(const QString& text) override;
    void focusPage(int index) override;
    void leaveAllPages() override;
    void markFirmwareMatches() override;

private:
    qMainFrame& frame;
};

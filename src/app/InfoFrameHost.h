#pragma once
// The main window as the info page sees it.
#include "pages/InfoHost.h"

class qMainFrame;

class InfoFrameHost : public InfoHost {
    Q_OBJECT
public:
    // Relays the window's tip signal; lives as the window's child.
    explicit InfoFrameHost(qMainFrame& frame);

    void showTip(const QString& text) override;
    void showLoginOrError() override;
    void showSoftwareUpdater() override;
    void showNewsLetter() override;
    void softwareUpdateFound(SoftwareInfo& info) override;
    void softwareNoUpdate() override;
    void softwareCheckFailed() override;
    void openUrl(const QUrl& url) override;

private:
    qMainFrame& frame;
};

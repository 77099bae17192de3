#pragma once
// The main window as the tools page sees it.
#include "pages/ToolsHost.h"

class qMainFrame;

class ToolsFrameHost : public ToolsHost {
    Q_OBJECT
public:
    // Relays the window's tip and navigation-refused signals and the command
    // queue's end of run; lives as the window's child.
    explicit ToolsFrameHost(qMainFrame& frame);

    bool restoreDefaults() override;
    void loadAllParameters() override;
    void showTip(const QString& text) override;
    void focusPageOf(QWidget* page) override;
    void closeProgram() override;
    QWidget* dialogParent() override;
    void openUrl(const QUrl& url) override;

private:
    qMainFrame& frame;
};

#pragma once
// What the firmware update dialog and the upgrade pages need from the main
// window, without depending on it: the window implements this and hands it
// to them.
#include <QObject>
#include <QString>

class UpgradeHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~UpgradeHost() override = default;

    // The login dialog when the server configuration is there, otherwise the
    // network-error tip.
    virtual void showLoginOrError() = 0;
    // The window's tip line (hides itself after a few seconds).
    virtual void showTip(const QString& text) = 0;
    // Shows top-level page `index` (0 basic, 1 upgrade, 2 info).
    virtual void focusPage(int index) = 0;
    // Calls PageLeave on every page container before a modal dialog runs.
    virtual void leaveAllPages() = 0;
    // The device's firmware now matches this software: navigation unlocks.
    virtual void markFirmwareMatches() = 0;

signals:
    // Relayed from the window: navigation is locked until an upgrade.
    void s_navigator_disabled();
    // Relayed from the window: a tip for the page that is showing.
    void signal_showTipText(QString text);
};

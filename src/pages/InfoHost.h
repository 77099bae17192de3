#pragma once
// What the info page needs from the main window, without depending on it: the
// window implements this and hands it to the page (tests fake it).
#include "online/OnlineTypes.h"

#include <QObject>
#include <QString>
#include <QUrl>

class InfoHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~InfoHost() override = default;

    // The window's tip line (hides itself after a few seconds); it comes back
    // to the page that is showing through signal_showTipText.
    virtual void showTip(const QString& text) = 0;
    // The login dialog when the server configuration is there, otherwise the
    // network-error tip.
    virtual void showLoginOrError() = 0;
    // Runs the software updater dialog unless it is already showing.
    virtual void showSoftwareUpdater() = 0;
    // Shows the newsletter window (the window's onShowNewsLetter()).
    virtual void showNewsLetter() = 0;
    // A software check's answer, for the software updater dialog: an offer
    // (its showUpdate) or none (its showNoUpdate).
    virtual void softwareUpdateFound(SoftwareInfo& info) = 0;
    virtual void softwareNoUpdate() = 0;
    // The check brought no answer: what the dialog knows (an offer, a
    // required update) stays.
    virtual void softwareCheckFailed() = 0;
    // Opens a web address in the desktop's browser. Only http and https
    // addresses with a host are handed over.
    virtual void openUrl(const QUrl& url) = 0;

signals:
    // Relayed from the window: a tip for the page that is showing.
    void signal_showTipText(QString text);
};

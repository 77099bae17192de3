#pragma once
// Plays the user at the window's modal dialogs, polled every 20 ms: types the
// default account into the login dialog, reads and closes the software
// updater and the newsletter when they come up, and presses Upgrade once the
// firmware update dialog allows it.
#include "online/ui/newsletter.h"
#include "online/ui/qLogin.h"
#include "online/ui/qSoftwareUpdater.h"
#include "upgrade/updater/qUpdater.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace kzo::test {

class ModalUser : public QObject {
public:
    bool signedIn = false;
    bool pressedUpgrade = false;
    bool softwareOffered = false;
    bool mustUpdateShown = false; // the updater's red line was on the screen
    bool newsShown = false;
    // Called on every tick after Upgrade was pressed until it returns true.
    // The update dialog runs modally, so this is where the test can act
    // during a transfer.
    std::function<bool()> duringUpgrade;

    ModalUser()
    {
        auto* poll = new QTimer(this);
        poll->setInterval(20);
        connect(poll, &QTimer::timeout, this, [this] { act(); });
        poll->start();
    }

private:
    static void press(QWidget* dialog, const char* button)
    {
        dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }

    void act()
    {
        if (pressedUpgrade && duringUpgrade && duringUpgrade())
            duringUpgrade = nullptr;
        QWidget* w = QApplication::activeModalWidget();
        if (auto* login = qobject_cast<qLogin*>(w); login && !signedIn) {
            login->findChild<QLineEdit*>(QStringLiteral("lineEditEmail"))->setText(QStringLiteral("pilot@example.com"));
            login->findChild<QLineEdit*>(QStringLiteral("lineEditPassword"))->setText(QStringLiteral("secret1"));
            signedIn = true;
            press(login, "pushButtonLogin");
        } else if (auto* sw = qobject_cast<qSoftwareUpdater*>(w)) {
            softwareOffered = true;
            mustUpdateShown = sw->findChild<QLabel*>(QStringLiteral("label_2"))->isVisible();
            press(sw, "pushButtonClose");
        } else if (auto* news = qobject_cast<newsletter*>(w)) {
            newsShown = true;
            press(news, "pushButton_close");
        } else if (auto* dlg = qobject_cast<qUpdater*>(w); dlg && !pressedUpgrade) {
            auto* upgrade = dlg->findChild<QPushButton*>(QStringLiteral("buttonUpgrade"));
            if (upgrade && upgrade->isEnabled()) {
                pressedUpgrade = true;
                upgrade->click();
            }
        }
    }
};

} // namespace kzo::test

// The main window driven the way assistive technology drives it, its modal
// boxes answered through the box seam, and closing while a firmware upgrade
// runs.
#include "app/mainframe/FrameFixture.h"
#include "support/FakeDevIo.h"

#include "app/Language.h"
#include "app/qWelcome.h"
#include "commands/qAppModel.h"
#include "widgets/MessageBoxes.h"
#include "widgets/qPageButton.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using kzo::test::FakeDevIo;
using kzo::test::FrameFixture;

namespace {

QAccessibleInterface* accessible(QObject* o)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
    return a;
}

// Presses the control the way a screen reader does.
void pressAccessibly(QWidget* w, const QString& action = QAccessibleActionInterface::pressAction())
{
    QAccessibleInterface* a = accessible(w);
    QVERIFY(a);
    QVERIFY(a->actionInterface());
    a->actionInterface()->doAction(action);
}

int checkedButtons(const qMainFrame& f)
{
    int n = 0;
    for (int i = 0; i < f.pageCount(); ++i)
        n += f.pageButton(i)->isChecked() ? 1 : 0;
    return n;
}

// Records every box the program asks for and answers it with `answer`.
struct BoxLog {
    std::vector<kzo::ui::BoxRequest> boxes;
    std::function<void()> whileShown;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    kzo::ui::ScopedBoxHandler handler{[this](QWidget*, const kzo::ui::BoxRequest& box) {
        boxes.push_back(box);
        if (whileShown)
            whileShown();
        return answer;
    }};
};

} // namespace

class TestMainFrameAccess : public QObject {
    Q_OBJECT
    FakeDevIo io;

private slots:
    void initTestCase() { currentDevIo = &io; }

    void init()
    {
        kzo::test::resetFrameState();
    }

    void cleanup() { appModel().setStatus(AppIdle); }

    // Every control of the frame a person can click is named for assistive
    // technology: its text, or a short name where it only shows a picture.
    void clickableControlsAreNamed()
    {
        FrameFixture fx(io);
        const QList<QAbstractButton*> buttons = fx.frame->findChildren<QAbstractButton*>();
        QVERIFY(buttons.size() >= 7); // minimise, close, language, two scroll buttons, three pages
        for (QAbstractButton* b : buttons) {
            QAccessibleInterface* a = accessible(b);
            QVERIFY(a);
            QVERIFY2(!a->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(b->objectName()));
        }
        const auto name = [&](const char* object) {
            auto* b = fx.frame->findChild<QAbstractButton*>(QString::fromLatin1(object));
            return b ? accessible(b)->text(QAccessible::Name) : QString();
        };
        QCOMPARE(name("itemMin"), QStringLiteral("Minimize"));
        QCOMPARE(name("itemExit"), QStringLiteral("Close"));
        for (int i = 0; i < fx.frame->pageCount(); ++i)
            QCOMPARE(accessible(fx.frame->pageButton(i))->text(QAccessible::Name), fx.frame->page(i)->title());

        qWelcome splash(QString{});
        QCOMPARE(accessible(splash.skipButton())->text(QAccessible::Name), QStringLiteral("skip"));
    }

    // A press through the accessibility interface does what a click does:
    // the page changes and only its button shows checked; the navigation
    // lock refuses it the same way.
    void pageButtonsPressedAccessibly()
    {
        FrameFixture fx(io);
        qMainFrame& f = *fx.frame;
        QCOMPARE(f.currentPageIndex(), 0);
        pressAccessibly(f.pageButton(1));
        QTRY_COMPARE(f.currentPageIndex(), 1);
        QVERIFY(f.page(1)->isVisible());
        QVERIFY(!f.page(0)->isVisible());
        QVERIFY(f.pageButton(1)->isChecked());
        QCOMPARE(checkedButtons(f), 1);

        // The toggle action of a checkable button is a press as well.
        pressAccessibly(f.pageButton(2), QAccessibleActionInterface::toggleAction());
        QTRY_COMPARE(f.currentPageIndex(), 2);
        QVERIFY(f.pageButton(2)->isChecked());
        QCOMPARE(checkedButtons(f), 1);

        // Pressing the current page's button keeps it checked.
        pressAccessibly(f.pageButton(2));
        QTest::qWait(300); // animateClick's own delay; nothing to await when nothing changes
        QCOMPARE(f.currentPageIndex(), 2);
        QVERIFY(f.pageButton(2)->isChecked());
        QCOMPARE(checkedButtons(f), 1);

        qMainFrame::setNavigationAllowed(false);
        QSignalSpy refused(&f, &qMainFrame::s_navigator_disabled);
        pressAccessibly(f.pageButton(0));
        QVERIFY(refused.wait(2000));
        QCOMPARE(f.currentPageIndex(), 2);
        QVERIFY(!f.pageButton(0)->isChecked());
        QCOMPARE(checkedButtons(f), 1);
        pressAccessibly(f.pageButton(1)); // "Upgrade" stays reachable
        QTRY_COMPARE(f.currentPageIndex(), 1);
        QCOMPARE(checkedButtons(f), 1);
    }

    // The window's modal questions and notices go through the box seam.
    void boxesGoThroughTheSeam()
    {
        FrameFixture fx(io);
        BoxLog log;
        log.answer = QMessageBox::Yes;
        QVERIFY(!fx.frame->restoreDefaults()); // no device
        QCOMPARE(log.boxes.size(), size_t(1));
        QCOMPARE(log.boxes[0].title, QStringLiteral("Info"));
        QCOMPARE(log.boxes[0].text, QStringLiteral("Please connect to the controller!"));

        // The connection-failure warning: never two at once, again once closed.
        log.whileShown = [&] { fx.frame->onConnectFail(); };
        fx.frame->onConnectFail();
        QCOMPARE(log.boxes.size(), size_t(2));
        QCOMPARE(log.boxes[1].icon, QMessageBox::Warning);
        QCOMPARE(log.boxes[1].title, QStringLiteral("Warning"));
        QVERIFY(log.boxes[1].text.startsWith("Connection failure! Please make sure the COM-port is not occupied"));
        log.whileShown = nullptr;
        fx.frame->onConnectFail();
        QCOMPARE(log.boxes.size(), size_t(3));

        fx.frame->buildLanguageMenu();
        const QList<QAction*> actions = fx.frame->languageMenuWidget()->actions();
        if (!actions.isEmpty()) {
            actions.last()->trigger();
            QCOMPARE(log.boxes.size(), size_t(4));
            QCOMPARE(log.boxes[3].text, QStringLiteral("Please restart the application!"));
        }
    }

    // Closing never cuts a firmware transfer short: the window refuses and
    // says why while one runs, and closes normally afterwards.
    void closeRefusedWhileUpgrading()
    {
        FrameFixture fx(io);
        appModel().setStatus(AppUpgrading);
        QVERIFY(!fx.frame->close());
        QVERIFY(fx.frame->isVisible());
        QVERIFY(fx.frame->currentTip().contains(QStringLiteral("upgrade"), Qt::CaseInsensitive));
        // The title bar's close button is the same close.
        QTest::mouseClick(fx.frame->findChild<QPushButton*>(QStringLiteral("itemExit")), Qt::LeftButton);
        QVERIFY(fx.frame->isVisible());
        appModel().setStatus(AppIdle);
        QVERIFY(fx.frame->close());
        QVERIFY(!fx.frame->isVisible());
    }

    // The disabled-version shutdown (and any close the program asks for
    // itself) waits for the end of a running upgrade, then closes.
    void programCloseWaitsForUpgrade()
    {
        FrameFixture fx(io);
        BoxLog log;
        appModel().setStatus(AppUpgrading);
        fx.frame->onSoftwareDisabled();
        QCOMPARE(log.boxes.size(), size_t(1));
        QCOMPARE(log.boxes[0].title, QStringLiteral("Warning"));
        QCOMPARE(log.boxes[0].text,
                 QStringLiteral("Current version of software has been disabled,Please download the latest version!"));
        QTest::qWait(2 * qMainFrame::heartbeatMs); // the window must still be open after a few heartbeats
        QVERIFY(fx.frame->isVisible());
        QVERIFY(fx.frame->currentTip().contains(QStringLiteral("upgrade"), Qt::CaseInsensitive));
        appModel().setStatus(AppIdle);
        QTRY_VERIFY(!fx.frame->isVisible());

        // Without an upgrade the close is immediate.
        fx.frame->show();
        fx.frame->closeWhenIdle();
        QVERIFY(!fx.frame->isVisible());
    }
};

QTEST_MAIN(TestMainFrameAccess)
#include "test_mainframe_access.moc"

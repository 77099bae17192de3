// The software updater, the newsletter and the message window on their own:
// their states, what the newsletter keeps in "app.conf", the message window's
// animation, dragging, the links they open and how they look.
#include "OnlineTestSupport.h"
#include "OnlineWindowsSupport.h"

#include "commands/qAppModel.h"
#include "online/ui/newsletter.h"
#include "online/ui/qMessageWin.h"
#include "online/ui/qSoftwareUpdater.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QParallelAnimationGroup>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

namespace {

SoftwareInfo offer(bool mustUpdate)
{
    SoftwareInfo i;
    i.version = QStringLiteral("1.10");
    i.note = QStringLiteral("http://127.0.0.1:9/notes/1.10.html");
    i.url = QStringLiteral("https://example.com/downloads/");
    i.mustUpdate = mustUpdate;
    return i;
}

bool shown(QWidget* w, const char* name)
{
    return !part<QWidget>(w, name)->isHidden();
}

// Ends the running animation as if its time had run out.
void finishAnimation(qMessageWin& w)
{
    auto* group = w.findChild<QParallelAnimationGroup*>();
    group->setCurrentTime(group->totalDuration());
}

} // namespace

class TestOnlineWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<DataUploader> uploader;

private slots:
    void initTestCase() { actAsTheProgramOnLoopback(); }

    void init()
    {
        clearAppData();
        appModel().setValue("series", QStringLiteral("KG1"));
        appModel().setValue("software", QStringLiteral("1.00"));
        appModel().setValue("software_update_server_url", QString());
        uploader = std::make_unique<DataUploader>();
    }
    void cleanup() { uploader.reset(); }

    // ---- software updater ----

    void updater_startsWithNothingOnOffer()
    {
        qSoftwareUpdater d;
        QCOMPARE(part<QLabel>(&d, "label")->text(), QStringLiteral("Current Software Version:"));
        QCOMPARE(part<QLabel>(&d, "label_version")->text(), QStringLiteral("1.00"));
        QCOMPARE(part<QLabel>(&d, "label_2")->text(), QStringLiteral("This version must be Updated."));
        QCOMPARE(part<QLabel>(&d, "label_2")->styleSheet(), QStringLiteral("color: rgb(255, 0, 0);"));
        QVERIFY(!shown(&d, "label_2") && !shown(&d, "pushButtonUpdate"));
        QVERIFY(viewHtml(&d).contains(QStringLiteral("No Updates!")));
        for (const char* b : {"pushButtonRefresh", "pushButtonClose", "pushButtonUpdate"})
            QVERIFY(!part<QPushButton>(&d, b)->accessibleName().isEmpty());
        QVERIFY(d.windowFlags().testFlag(Qt::FramelessWindowHint) && d.testAttribute(Qt::WA_TranslucentBackground));
    }

    void updater_mustUpdateOfferAndClosing()
    {
        qSoftwareUpdater d;
        QSignalSpy wantsShow(&d, &qSoftwareUpdater::showRequested);
        QSignalSpy mustClose(&d, &qSoftwareUpdater::mustUpdateClosed);
        SoftwareInfo i = offer(true);
        d.showUpdate(i);
        QCOMPARE(wantsShow.count(), 1);
        QVERIFY(shown(&d, "label_2") && shown(&d, "pushButtonUpdate"));
        QCOMPARE(viewUrl(&d), QUrl(i.note));
        d.show();
        render(&d, QStringLiteral("software_updater_must_update.png"));
        part<QPushButton>(&d, "pushButtonClose")->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(mustClose.count(), 1);

        // Upgrade opens the download page (web links only), then closes.
        BrowserSink browser;
        d.show();
        d.onUpdateButtonClicked();
        QCOMPARE(browser.opened, QList<QUrl>{QUrl(i.url)});
        QCOMPARE(mustClose.count(), 2);
        i.url = QStringLiteral("file:///etc/passwd");
        d.showUpdate(i);
        d.onUpdateButtonClicked();
        QCOMPARE(browser.opened.size(), 1);
    }

    void updater_results_data()
    {
        QTest::addColumn<bool>("failed");
        QTest::addColumn<bool>("mustUpdateAfter");
        QTest::newRow("genuine no update clears the offer") << false << false;
        QTest::newRow("failed check keeps the offer") << true << true;
    }
    void updater_results()
    {
        QFETCH(bool, failed);
        QFETCH(bool, mustUpdateAfter);
        qSoftwareUpdater d;
        QSignalSpy mustClose(&d, &qSoftwareUpdater::mustUpdateClosed);
        SoftwareInfo i = offer(true);
        d.showCheckResult(i);
        d.onRefreshButtonClicked(); // no address: nothing sent
        SoftwareInfo none;
        none.failed = failed;
        d.showCheckResult(none);
        QCOMPARE(d.mustUpdate(), mustUpdateAfter);
        QCOMPARE(shown(&d, "label_2"), mustUpdateAfter);
        QCOMPARE(shown(&d, "pushButtonUpdate"), mustUpdateAfter);
        QVERIFY(part<QPushButton>(&d, "pushButtonRefresh")->isEnabled());
        if (failed)
            QCOMPARE(viewUrl(&d), QUrl(i.note));
        else
            QVERIFY(viewHtml(&d).contains(QStringLiteral("No Updates!")));
        d.open();
        d.reject();
        QCOMPARE(mustClose.count(), mustUpdateAfter ? 1 : 0);
    }

    void updater_refreshComesBackWhenNothingIsSent()
    {
        qSoftwareUpdater d;
        auto* refresh = part<QPushButton>(&d, "pushButtonRefresh");
        LogCapture log;
        refresh->click();
        QVERIFY(log.text().contains(QStringLiteral("Server URL3 can not be null!\n")));
        QVERIFY(refresh->isEnabled());
        QVERIFY(!viewHtml(&d).contains(QStringLiteral("Checking")));

        appModel().setValue("software_update_server_url", QStringLiteral("http://127.0.0.1:9/software"));
        refresh->click();
        QVERIFY(!refresh->isEnabled());
        QVERIFY(viewHtml(&d).contains(QStringLiteral("Checking for software updates...")));
    }

    void updater_dragsByBackground()
    {
        qSoftwareUpdater d;
        d.move(100, 100);
        d.show();
        QWidget* bg = part<QWidget>(&d, "widget");
        const QPoint local(200, 30);
        const QPoint grab = bg->mapToGlobal(local);
        auto send = [bg, local, grab](QEvent::Type t, QPoint delta, Qt::MouseButtons buttons) {
            const QPoint global = grab + delta;
            const Qt::MouseButton button = t == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent e(t, QPointF(local + delta), QPointF(global), button, buttons, Qt::NoModifier);
            QApplication::sendEvent(bg, &e);
        };
        const QPoint start = d.pos();
        send(QEvent::MouseButtonPress, {}, Qt::LeftButton);
        send(QEvent::MouseMove, {40, 25}, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, {40, 25}, Qt::NoButton);
        QCOMPARE(d.pos(), start + QPoint(40, 25));
        send(QEvent::MouseMove, {90, 90}, Qt::NoButton);
        QCOMPARE(d.pos(), start + QPoint(40, 25));
    }

    // ---- newsletter ----

    void news_startsFromTheStoredVersion_data()
    {
        QTest::addColumn<int>("stored");
        QTest::newRow("nothing stored") << -1;
        QTest::newRow("stored 0") << 0;
        QTest::newRow("stored 3") << 3;
    }
    void news_startsFromTheStoredVersion()
    {
        QFETCH(int, stored);
        if (stored >= 0)
            storeNewsVersion(stored);
        newsletter n;
        QCOMPARE(n.storedVersion(), qMax(stored, 0));
        QCOMPARE(part<QCheckBox>(&n, "checkBox")->isChecked(), stored > 0);
        QCOMPARE(part<QCheckBox>(&n, "checkBox")->text(), QStringLiteral("Don't show again"));
        QVERIFY(!part<QPushButton>(&n, "pushButton_refresh")->isEnabled());
        QVERIFY(viewHtml(&n).contains(QStringLiteral("Refreshing, please wait...")));
        QCOMPARE(n.windowTitle(), QStringLiteral("Announcements"));
    }

    void news_announcement_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("showsUp");
        QTest::addColumn<int>("storedAfter");
        QTest::newRow("3 dismissed, 3 announced: hidden") << 3 << 3 << false << 3;
        QTest::newRow("3 dismissed, 4 announced: shown, box ticked") << 3 << 4 << true << 4;
        QTest::newRow("none dismissed, 4 announced: shown, box clear") << 0 << 4 << true << 0;
        QTest::newRow("version 0: no newsletter") << 3 << 0 << false << 3;
    }
    void news_announcement()
    {
        QFETCH(int, stored);
        QFETCH(int, version);
        QFETCH(bool, showsUp);
        QFETCH(int, storedAfter);
        storeNewsVersion(stored);
        newsletter n;
        QSignalSpy wantsShow(&n, &newsletter::showRequested);
        const QString url = QStringLiteral("http://127.0.0.1:9/query?id=7&type=1");
        n.showNewsLetter(url, version);
        QCOMPARE(wantsShow.count(), showsUp ? 1 : 0);
        QCOMPARE(n.storedVersion(), storedAfter);
        QVERIFY(part<QPushButton>(&n, "pushButton_refresh")->isEnabled());
        if (version)
            QCOMPARE(viewUrl(&n), QUrl(url));
        else
            QVERIFY(viewHtml(&n).contains(QStringLiteral("No newsletter!")));
    }

    void news_theBoxDecidesWhatIsStored()
    {
        newsletter n;
        n.showNewsLetter(QStringLiteral("http://127.0.0.1:9/news"), 5);
        n.open();
        part<QCheckBox>(&n, "checkBox")->setChecked(true);
        part<QPushButton>(&n, "pushButton_close")->click();
        QCOMPARE(storedNewsVersion(), 5);
        n.open();
        part<QCheckBox>(&n, "checkBox")->setChecked(false);
        n.reject();
        QCOMPARE(storedNewsVersion(), 0);
        n.show();
        render(&n, QStringLiteral("newsletter.png"));
    }

    // A ticked box before any announcement keeps the dismissal; so does
    // opening a dismissed announcement (it did not pop up by itself) and
    // ticking the box again after clearing it.
    void news_dismissalIsNeverLost()
    {
        storeNewsVersion(3);
        newsletter n;
        n.open();
        n.reject();
        QCOMPARE(storedNewsVersion(), 3);
        n.showNewsLetter(QStringLiteral("http://127.0.0.1:9/news"), 3);
        n.showNewsLetter(QString(), 0);
        n.open();
        auto* box = part<QCheckBox>(&n, "checkBox");
        box->setChecked(false);
        box->setChecked(true);
        n.reject();
        QCOMPARE(storedNewsVersion(), 3);
    }

    void news_refreshComesBackWhenNothingIsSent()
    {
        appModel().setValue("software", QString());
        newsletter n;
        n.onRefresh();
        QVERIFY(part<QPushButton>(&n, "pushButton_refresh")->isEnabled());
        QVERIFY(viewHtml(&n).contains(QStringLiteral("No newsletter!")));
    }

    // ---- message window ----

    void message_risesOnceIntoTheCorner()
    {
        qMessageWin w;
        auto* group = w.findChild<QParallelAnimationGroup*>();
        QSignalSpy starts(group, &QAbstractAnimation::stateChanged);
        w.show();
        QVERIFY(w.isVisible() && w.isRaised() && w.isAnimating() && !w.isIdle());
        w.show();
        QCOMPARE(starts.count(), 1);
        QTRY_VERIFY(w.isIdle());
        QCOMPARE(starts.count(), 2); // the one animation ran out
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(w.geometry(), QRect(area.x() + area.width() - 310, area.y() + area.height() - 255, 300, 220));
        w.setTitle(QStringLiteral("Gimbal"));
        w.setInfo(QStringLiteral("Motor <b>stalled</b>"));
        QCOMPARE(part<QTextBrowser>(&w, "textBrowser_Info")->toPlainText(), QStringLiteral("Motor stalled"));
        render(&w, QStringLiteral("message_window.png"));
    }

    void message_lowersAndHides()
    {
        qMessageWin w;
        w.show();
        finishAnimation(w);
        part<QPushButton>(&w, "pushButton")->click();
        QVERIFY(!w.isRaised() && w.isAnimating() && w.isVisible());
        w.hide();
        finishAnimation(w);
        QVERIFY(!w.isVisible() && w.isIdle());
        QCOMPARE(w.geometry(), qMessageWin::loweredGeometry());
        // Up again after being hidden.
        w.show();
        finishAnimation(w);
        QVERIFY(w.isVisible() && w.isRaised());
        QCOMPARE(w.geometry(), qMessageWin::raisedGeometry());
    }

    void links_onlyWebLinksOpen()
    {
        BrowserSink browser;
        qSoftwareUpdater d;
        newsletter n;
        qMessageWin w;
        w.setInfo(QStringLiteral("<a href=\"https://example.com/m\">m</a>"));
        for (const char* u : {"https://example.com/a", "http://example.com/b", "file:///etc/passwd",
                              "javascript:alert(1)", "ftp://example.com/c"}) {
            d.onOpenUrl(QUrl(QLatin1String(u)));
            n.onOpenUrl(QUrl(QLatin1String(u)));
            w.onOpenUrl(QUrl(QLatin1String(u)));
        }
        emit part<QTextBrowser>(&w, "textBrowser_Info")->anchorClicked(QUrl(QStringLiteral("file:///x")));
        QCOMPARE(browser.opened.size(), 6);
        for (const QUrl& u : browser.opened)
            QVERIFY(u.scheme().startsWith(QLatin1String("http")));
        // Links in the message stay put: the browser widget never follows one.
        QVERIFY(!part<QTextBrowser>(&w, "textBrowser_Info")->openLinks());
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestOnlineWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_online_windows.moc"

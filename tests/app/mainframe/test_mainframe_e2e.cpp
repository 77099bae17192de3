// The whole window against both simulators, as a user meets it: the gimbal
// on a pty, the update server on 127.0.0.1; sign in through the login dialog,
// the server offers newer main-controller firmware, the update dialog opens
// by itself, downloads, and Upgrade flashes it. The image the device stores
// must be the image the server served. The same flow also meets a loader
// that never starts and a device pulled out half-way: each ends in the
// "Failure" box with the program idle and nothing stored.
#include "support/SignalChild.h"
#include "online/OnlineTestSupport.h"
#include "pages/DevSimProcess.h"
#include "pages/SimLink.h"
#include "ModalUser.h"

#include "app/LinkShutdown.h"
#include "app/PageSetup.h"
#include "app/config/GlobalCfg.h"
#include "app/qMainFrame.h"
#include "commands/qAppModel.h"
#include "commands/qCmdQueue.h"
#include "commands/qConnector.h"
#include "link/SimpleDevIo.h"
#include "online/DataUploader.h"
#include "pages/qInfoPage.h"
#include "protocol/FrameCodec.h"
#include "upgrade/DevUpgrade.h"
#include "upgrade/updater/qUpdater.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QNetworkProxy>
#include <QPushButton>
#include <QScopeGuard>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>

using kzo::test::DevSimProcess;
using kzo::test::SimLink;
using User = kzo::test::ModalUser;

enum class Ending { Success, LoaderNeverStarts, UnpluggedHalfWay };
Q_DECLARE_METATYPE(Ending)

namespace {

constexpr int waitMs = 60000;

QByteArray randomImage(int size)
{
    QByteArray out(size, Qt::Uninitialized);
    QRandomGenerator gen(4711);
    for (char& c : out)
        c = static_cast<char>(gen.bounded(256));
    return out;
}

} // namespace

class TestMainFrameE2E : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("KZO"));
        QCoreApplication::setApplicationName(QStringLiteral("kzo-assistant"));
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        kzo::test::talkLikeTheProgram();
    }

    void signInOfferDownloadFlash_data()
    {
        QTest::addColumn<Ending>("ending");
        QTest::newRow("flashed") << Ending::Success;
        QTest::newRow("loader never starts") << Ending::LoaderNeverStarts;
        QTest::newRow("unplugged half-way") << Ending::UnpluggedHalfWay;
    }
    void signInOfferDownloadFlash()
    {
        QFETCH(Ending, ending);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // Big enough for the unplug to land in the middle of the transfer.
        const QByteArray image = randomImage(ending == Ending::UnpluggedHalfWay ? 256 * 1024 : 3000);
        const QString imageFile = dir.filePath(QStringLiteral("offer.bin"));
        {
            QFile f(imageFile);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(image);
        }
        UpdSim server;
        // Only the main controller is offered: with more offers the dialog
        // opens for whichever reply comes first.
        QVERIFY(server.start({QStringLiteral("--offer"), QStringLiteral("mc=3.9:") + imageFile,
                              QStringLiteral("--no-offer"), QStringLiteral("imu"),
                              QStringLiteral("--no-offer"), QStringLiteral("cmu")}));
        QStringList simArgs{QStringLiteral("--mc-version"), QStringLiteral("3.2"), QStringLiteral("--image-dir"), dir.path()};
        if (ending == Ending::LoaderNeverStarts)
            simArgs << QStringLiteral("--refuse-loader") << QStringLiteral("mc");
        // Slow answers keep the transfer going for seconds, long enough to
        // pull the plug in the middle of it.
        if (ending == Ending::UnpluggedHalfWay)
            simArgs << QStringLiteral("--latency-ms") << QStringLiteral("3");
        DevSimProcess sim(simArgs);
        QVERIFY2(sim.ok(), sim.log().constData());

        const GlobalCfg* cfg = GlobalCfg::instance();
        appModel().setValue("series", cfg->series);
        appModel().setValue("software", cfg->software);
        appModel().setValue("language", QStringLiteral("en_US"));
        appModel().setValue("request_xml_url", server.base + QStringLiteral("server_config.xml"));
        appModel().setStatus(AppIdle);
        appModel().setValue("ssid", QString()); // every run signs in anew
        qInfoPage::resetFirstLoginForTests();

        std::vector<kzo::ui::BoxRequest> boxes;
        kzo::ui::ScopedBoxHandler answers([&](QWidget*, const kzo::ui::BoxRequest& box) {
            boxes.push_back(box);
            // The parameter copy offered back after the upgrade is declined:
            // the device would have to be re-powered first.
            if (box.title == QLatin1String("Parameter backup") && box.buttons.testFlag(QMessageBox::No))
                return QMessageBox::No;
            return box.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
        });
        User user;
        bool pulled = false;
        if (ending == Ending::UnpluggedHalfWay) {
            // Pulled once the device has taken a fifth of the image.
            user.duringUpgrade = [&] {
                if (!sim.log().contains("data packet 200 accepted"))
                    return false;
                pulled = kzo::test::signalChild(sim.pid(), SIGUSR1);
                return true;
            };
        }

        // What start-up builds, on the simulator's port.
        orb::SimpleDevIo& io = orb::simpleDevIo();
        orb::qCmdQueue queue;
        qConnector connector;
        orb::DevUpgrade engine;
        DataUploader uploader;
        io.addListener(&engine);
        io.addListener(&connector);
        io.addListener(&queue);
        auto frame = std::make_unique<qMainFrame>();
        io.addListener(frame.get());
        auto pages = std::make_unique<kzo::app::PageSetup>(*frame);
        frame->layoutPageButtons();
        frame->buildLanguageMenu();
        frame->focusPage(0);
        frame->show();
        // A failed check returns early: the listeners still leave the
        // shared link, or the next row's device would reach freed ones.
        const auto unlink = qScopeGuard([&] {
            kzo::app::shutDownLink(io, {frame.get(), frame->firmwareDialog(), &queue, &connector, &engine});
            pages->detach(io);
            pages.reset();
            frame.reset();
        });
        uploader.fetchServerConfig();
        {
            SimLink link(sim.port());
            QTRY_VERIFY_WITH_TIMEOUT(user.signedIn, waitMs);
            QTRY_VERIFY_WITH_TIMEOUT(frame->loginService()->isLoggedIn(), waitMs);
            QTRY_VERIFY_WITH_TIMEOUT(user.pressedUpgrade, waitMs);
            QTRY_VERIFY_WITH_TIMEOUT(user.softwareOffered && user.newsShown, waitMs);
            QTRY_VERIFY_WITH_TIMEOUT(boxes.size() >= 2, waitMs);
            QTRY_VERIFY_WITH_TIMEOUT(!frame->firmwareDialog()->isVisible(), waitMs);
            // The upgrade page while the device is still there: versions and offer.
            QDir().mkpath(QStringLiteral(KZO_TEST_OUTPUT_DIR));
            frame->grab().save(QStringLiteral(KZO_TEST_OUTPUT_DIR "/mainframe-upgrade-after-flash.png"));
        }
        // The confirmation, where the parameters were saved, the outcome and,
        // after a success, the offer to load the saved parameters back.
        QCOMPARE(boxes.size(), size_t(ending == Ending::Success ? 4 : 3));
        QCOMPARE(boxes[0].title, QStringLiteral("Warning"));
        QCOMPARE(boxes[1].title, QStringLiteral("Parameter backup"));
        const QString savedTo = QStringLiteral("The parameters were saved to ");
        QVERIFY2(boxes[1].text.startsWith(savedTo), qPrintable(boxes[1].text));
        const QString backupPath = boxes[1].text.mid(savedTo.size()).section(QStringLiteral(" before"), 0, 0);
        QCOMPARE(QFileInfo(backupPath).size(), qint64(1046));
        boxes.erase(boxes.begin() + 1);
        QCOMPARE(frame->currentPageIndex(), 1);
        QCOMPARE(appModel().status(), int(AppIdle));
        QFile stored(dir.filePath(QStringLiteral("mc.bin")));
        if (ending == Ending::Success) {
            QCOMPARE(boxes[1].title, QStringLiteral("Success"));
            QCOMPARE(boxes[1].text, QStringLiteral("Upgrade success! Please power cycle device!"));
            QVERIFY2(stored.open(QIODevice::ReadOnly), sim.log().right(2000).constData());
            QCOMPARE(stored.readAll(), image);
            QCOMPARE(boxes[2].title, QStringLiteral("Parameter backup"));
            QVERIFY2(boxes[2].text.contains(backupPath), qPrintable(boxes[2].text));
        } else {
            QCOMPARE(boxes[1].title, QStringLiteral("Failure"));
            QCOMPARE(boxes[1].text, QStringLiteral("Upgrade failure! Please power cycle device and try again!"));
            QVERIFY(!stored.exists());
            QVERIFY(!engine.upgradeResult());
            if (ending == Ending::LoaderNeverStarts)
                QVERIFY(sim.log().contains("does not enter its boot loader"));
            else
                QVERIFY(pulled && sim.log().contains("unplugged"));
        }
    }
};

QTEST_MAIN(TestMainFrameE2E)
#include "test_mainframe_e2e.moc"

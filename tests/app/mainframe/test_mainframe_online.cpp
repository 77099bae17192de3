// The window's online side against the update-server simulator, without a
// device: the user signs in when the window asks, the Info tab fills in, the
// server's software verdict comes up (an offer, a required update, a
// disabled version) and the window ends the program only when it must and
// never in the middle of a firmware transfer.
#include "ModalUser.h"
#include "online/OnlineTestSupport.h"

#include "app/PageSetup.h"
#include "app/config/GlobalCfg.h"
#include "app/qMainFrame.h"
#include "commands/qAppModel.h"
#include "link/SimpleDevIo.h"
#include "online/DataUploader.h"
#include "online/LoginService.h"
#include "online/ui/qSoftwareUpdater.h"
#include "pages/qInfoPage.h"
#include "widgets/MessageBoxes.h"

#include <QDir>
#include <QNetworkProxy>
#include <QScopeGuard>
#include <QTest>

enum class Verdict { Offer, MustUpdate, MustUpdateWhileFlashing, Disabled };
Q_DECLARE_METATYPE(Verdict)

namespace {

constexpr int waitMs = 30000;

template <typename T>
T* child(QWidget* in, const char* name)
{
    return in->findChild<T*>(QString::fromLatin1(name));
}

} // namespace

class TestMainFrameOnline : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("KZO"));
        QCoreApplication::setApplicationName(QStringLiteral("kzo-assistant"));
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        currentDevIo = &orb::simpleDevIo();
    }

    void signInAndSoftwareVerdict_data()
    {
        QTest::addColumn<Verdict>("verdict");
        QTest::newRow("newer version") << Verdict::Offer;
        QTest::newRow("must update") << Verdict::MustUpdate;
        QTest::newRow("must update during a transfer") << Verdict::MustUpdateWhileFlashing;
        QTest::newRow("version disabled") << Verdict::Disabled;
    }
    void signInAndSoftwareVerdict()
    {
        QFETCH(Verdict, verdict);
        const char* status = verdict == Verdict::Offer ? "0" : verdict == Verdict::Disabled ? "2" : "1";
        UpdSim server;
        QVERIFY(server.start({QStringLiteral("--software-status"), QString::fromLatin1(status),
                              QStringLiteral("--software-latest"), QStringLiteral("9.9")}));
        const GlobalCfg* cfg = GlobalCfg::instance();
        appModel().setValue("series", cfg->series);
        appModel().setValue("software", cfg->software);
        appModel().setValue("language", QStringLiteral("en_US"));
        appModel().setValue("request_xml_url", server.base + QStringLiteral("server_config.xml"));
        appModel().setValue("ssid", QString());
        appModel().setStatus(verdict == Verdict::MustUpdateWhileFlashing ? AppUpgrading : AppIdle);
        qInfoPage::resetFirstLoginForTests();

        std::vector<kzo::ui::BoxRequest> boxes;
        kzo::ui::ScopedBoxHandler answers([&](QWidget*, const kzo::ui::BoxRequest& box) {
            boxes.push_back(box);
            return QMessageBox::Ok;
        });
        DataUploader uploader;
        auto frame = std::make_unique<qMainFrame>();
        kzo::app::PageSetup pages(*frame);
        const auto detach = qScopeGuard([&] { pages.detach(orb::simpleDevIo()); });
        frame->layoutPageButtons();
        frame->focusPage(2);
        frame->show();
        auto* loginButton = child<QPushButton>(frame.get(), "pushButton_change_user");
        QVERIFY(loginButton);
        QCOMPARE(loginButton->text(), QStringLiteral("Login"));
        // With nothing remembered the window offers the login dialog as soon
        // as the server configuration is there; the user signs in.
        kzo::test::ModalUser user;
        uploader.fetchServerConfig();
        QTRY_VERIFY_WITH_TIMEOUT(user.signedIn, waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(frame->loginService()->isLoggedIn(), waitMs);
        QCOMPARE(loginButton->text(), QStringLiteral("Change User"));
        QCOMPARE(child<QLabel>(frame.get(), "qCurUser")->text(), appModel().value("currentloginUser"));
        QVERIFY(!child<QLabel>(frame.get(), "qCurUser")->text().isEmpty());

        if (verdict == Verdict::Disabled) {
            // No offer: the warning, then the window closes.
            QTRY_COMPARE_WITH_TIMEOUT(boxes.size(), size_t(1), waitMs);
            QCOMPARE(boxes[0].title, QStringLiteral("Warning"));
            QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), waitMs);
            return;
        }
        // The first sign-in brings the offer: the button names it and the
        // updater comes up by itself; the user closes it.
        QTRY_COMPARE_WITH_TIMEOUT(child<QPushButton>(frame.get(), "pushButton_soft_update")->text(),
                                  QStringLiteral("New version:9.9"), waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(user.softwareOffered, waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!frame->softwareDialog()->isVisible(), waitMs);
        QCOMPARE(user.mustUpdateShown, verdict != Verdict::Offer);
        QVERIFY(boxes.empty());
        switch (verdict) {
        case Verdict::Offer:
            // Nothing forces the user: the window stays.
            QVERIFY(frame->isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(!child<QLabel>(frame.get(), "label_onlinehelp")->isHidden(), waitMs);
            QDir().mkpath(QStringLiteral(KZO_TEST_OUTPUT_DIR));
            frame->grab().save(QStringLiteral(KZO_TEST_OUTPUT_DIR "/mainframe-info-after-login.png"));
            break;
        case Verdict::MustUpdate:
            QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), waitMs);
            break;
        case Verdict::MustUpdateWhileFlashing:
            // The transfer runs on; the window says it closes afterwards.
            QVERIFY(frame->isVisible());
            QVERIFY(frame->currentTip().contains(QStringLiteral("closes when it has ended")));
            appModel().setStatus(AppIdle);
            QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), waitMs);
            break;
        case Verdict::Disabled:
            break;
        }
    }
};

QTEST_MAIN(TestMainFrameOnline)
#include "test_mainframe_online.moc"

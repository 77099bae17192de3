// The info page with a fake window and the real update-server client, against
// kzo-updsim: the refusals, the server's answers on the buttons, the help
// link, the tip line, and the first-login requests after a real sign-in.
#include "online/OnlineTestSupport.h"

#include "app/framework/PageContainers.h"
#include "app/framework/qResources.h"
#include "commands/qAppModel.h"
#include "online/DataUploader.h"
#include "online/LoginService.h"
#include "pages/InfoHost.h"
#include "pages/qInfoPage.h"
#include "resources/KzoResources.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtTest>

namespace {

constexpr int waitMs = 20000;
const QString loginFirst = QStringLiteral("Please login first! ");

// The window as the page sees it: records every call; tips come back to
// the entered page as the window's do.
class FakeHost : public InfoHost {
public:
    QStringList calls;
    void showTip(const QString& text) override
    {
        calls << QStringLiteral("tip:") + text;
        emit signal_showTipText(text);
    }
    void showLoginOrError() override { calls << QStringLiteral("login"); }
    void showSoftwareUpdater() override { calls << QStringLiteral("updater"); }
    void showNewsLetter() override { calls << QStringLiteral("news"); }
    void softwareUpdateFound(SoftwareInfo& i) override
    {
        calls << QStringLiteral("offer:") + i.version + (i.mustUpdate ? QStringLiteral("!") : QString());
    }
    void softwareNoUpdate() override { calls << QStringLiteral("noupdate"); }
    void softwareCheckFailed() override { calls << QStringLiteral("failed"); }
    void openUrl(const QUrl& url) override { calls << QStringLiteral("open:") + url.toString(); }
};

// The link address and the visible text of a rich-text label, as a person
// clicking it would get them.
QPair<QString, QString> linkOf(const QLabel* label)
{
    QTextDocument doc;
    doc.setHtml(label->text());
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor())
                return {it.fragment().charFormat().anchorHref(), doc.toPlainText()};
    return {};
}

} // namespace

class TestInfoPage : public QObject {
    Q_OBJECT

    UpdSim sim;
    std::unique_ptr<DataUploader> up;
    std::unique_ptr<LoginService> login;
    std::unique_ptr<FakeHost> host;
    std::unique_ptr<qInfoPage> page;

    const kzo::pages::InfoPageUi& ui() const { return page->widgets(); }

    bool configure()
    {
        QSignalSpy status(up.get(), &DataUploader::serverAddressStatus);
        up->fetchServerConfig();
        return status.wait(waitMs) && status.first().first().toInt() == 0;
    }

    bool signIn(const QString& email, const QString& password)
    {
        QSignalSpy ok(login.get(), &LoginService::signal_LoginOK);
        return login->submit(email, password) == LoginService::InputCheck::Ok && ok.wait(waitMs);
    }

private slots:
    void initTestCase()
    {
        actAsTheProgramOnLoopback();
        QVERIFY(sim.start({"--user", "pilot@example.com:secret1", "--user", "second@example.com:secret2"}));
    }

    void init()
    {
        for (const char* k : {"login_server_url", "online_help_info_url", "ssid", "currentloginUser"})
            appModel().setValue(k, QString());
        appModel().setValue("request_xml_url", sim.base + QStringLiteral("server_config.xml"));
        appModel().setValue("software", QStringLiteral("1.00"));
        appModel().setValue("series", QStringLiteral("KG1"));
        appModel().setValue("language", QStringLiteral("en_US"));
        qInfoPage::resetFirstLoginForTests();
        up = std::make_unique<DataUploader>();
        login = std::make_unique<LoginService>();
        host = std::make_unique<FakeHost>();
        page = std::make_unique<qInfoPage>(host.get(), login.get(), up.get());
        page->show();
        page->PageEnter();
    }

    void cleanup()
    {
        page.reset();
        host.reset();
        login.reset();
        up.reset();
    }

    void startsSignedOutWithNothingFromTheServer()
    {
        QCOMPARE(ui().groupBox_Software->title(), QStringLiteral("Software Info"));
        QCOMPARE(ui().software_version_2->text(), QStringLiteral("Curren version:"));
        QCOMPARE(ui().software_version->text(), QStringLiteral("1.00"));
        QCOMPARE(ui().pushButton_soft_update->text(), QStringLiteral("No updates"));
        QCOMPARE(ui().label_18->text(), QStringLiteral("Current Login User:"));
        QCOMPARE(ui().qCurUser->text(), QStringLiteral("--"));
        QCOMPARE(ui().pushButton_change_user->text(), QStringLiteral("Login"));
        QVERIFY(ui().pushButton_server_latest->isHidden());
        QVERIFY(ui().label_onlinehelp->isHidden());
        QVERIFY(ui().label_tip->isHidden());
    }

    void buttonsRefuseWithoutConfigurationOrLogin_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("configured");
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<QStringList>("calls");
        const QString net = QStringLiteral("tip:") + qResources::get().networkError;
        const QString first = QStringLiteral("tip:") + loginFirst;
        QTest::newRow("update, offline") << "pushButton_soft_update" << false << false << QStringList{net, first, "login"};
        QTest::newRow("update, signed out") << "pushButton_soft_update" << true << false << QStringList{first, "login"};
        QTest::newRow("update, signed in") << "pushButton_soft_update" << true << true << QStringList{"updater"};
        QTest::newRow("news, offline") << "pushButton_news" << false << false << QStringList{net, first, "login"};
        QTest::newRow("news, signed out") << "pushButton_news" << true << false << QStringList{first, "login"};
        QTest::newRow("news, signed in") << "pushButton_news" << true << true << QStringList{"news"};
        QTest::newRow("login, offline") << "pushButton_change_user" << false << false << QStringList{net};
        QTest::newRow("login, online") << "pushButton_change_user" << true << false << QStringList{"login"};
    }

    void buttonsRefuseWithoutConfigurationOrLogin()
    {
        QFETCH(QString, button);
        QFETCH(bool, configured);
        QFETCH(bool, signedIn);
        QFETCH(QStringList, calls);
        if (configured)
            QVERIFY(configure());
        if (signedIn)
            appModel().setValue("ssid", QStringLiteral("S-1"));
        QTest::mouseClick(page->findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(host->calls, calls);
        // The last tip reached the entered page's red line.
        const QStringList tips = calls.filter(QRegularExpression(QStringLiteral("^tip:")));
        QCOMPARE(ui().label_tip->isHidden(), tips.isEmpty());
        if (!tips.isEmpty())
            QCOMPARE(ui().label_tip->text(), tips.last().mid(4));
    }

    void softwareAnswersGoToTheUpdater()
    {
        SoftwareInfo offer{QStringLiteral("1.20"), QStringLiteral("http://n.example/"), QStringLiteral("http://d.example/"), true};
        emit up->softwareCheckResult(offer);
        QCOMPARE(ui().pushButton_soft_update->text(), QStringLiteral("New version:1.20"));
        SoftwareInfo none;
        emit up->softwareCheckResult(none);
        QCOMPARE(ui().pushButton_soft_update->text(), QStringLiteral("New version:1.20"));
        // A check without an answer is no "no update": a required update
        // already seen must survive it.
        SoftwareInfo failed;
        failed.failed = true;
        emit up->softwareCheckResult(failed);
        QCOMPARE(host->calls, (QStringList{"offer:1.20!", "noupdate", "failed"}));
    }

    void latestVersionsNeedBothVersions()
    {
        emit up->latestVersion(QStringLiteral("2.0.0.0"), QString());
        emit up->latestVersion(QString(), QStringLiteral("1.10"));
        QVERIFY(ui().pushButton_server_latest->isHidden());
        emit up->latestVersion(QStringLiteral("2.0.0.0"), QStringLiteral("1.10"));
        QCOMPARE(ui().pushButton_server_latest->text(), QStringLiteral("Latest Firmware:2.0.0.0   Matching software:1.10"));
        QCOMPARE(ui().pushButton_server_latest->toolTip(), qInfoPage::makerSiteUrl());
        QVERIFY(!ui().pushButton_server_latest->isHidden());
        QTest::mouseClick(ui().pushButton_server_latest, Qt::LeftButton);
        QCOMPARE(host->calls, QStringList{QStringLiteral("open:") + qInfoPage::makerSiteUrl()});
    }

    void helpLinkIsEscapedAndOpensWebLinksOnly()
    {
        QVERIFY(configure());
        QCOMPARE(linkOf(ui().label_onlinehelp), qMakePair(sim.base + "help/en_US/info_latest", QStringLiteral("OnLine Help")));
        QVERIFY(!ui().label_onlinehelp->isHidden());

        // Markup in the address stays text; "&amp" in it stays as it came.
        const QString odd = QStringLiteral("http://h.example/a\"><b>x</b>");
        appModel().setValue("online_help_info_url", odd);
        emit up->serverAddressStatus(0);
        QVERIFY(!ui().label_onlinehelp->text().contains(QStringLiteral("<b>")));
        QCOMPARE(linkOf(ui().label_onlinehelp), qMakePair(odd, QStringLiteral("OnLine Help")));
        QVERIFY(ui().label_onlinehelp->toolTip().contains(QStringLiteral("&lt;b&gt;")));
        const QString amp = QStringLiteral("http://h.example/help?q=1&amp=2");
        appModel().setValue("online_help_info_url", amp);
        emit up->serverAddressStatus(0);
        // Only well-formed web links are opened.
        for (const QString& link : {odd, QStringLiteral("file:///etc/passwd"), QStringLiteral("javascript:alert(1)"),
                                    linkOf(ui().label_onlinehelp).first})
            emit ui().label_onlinehelp->linkActivated(link);
        QCOMPARE(host->calls, QStringList{QStringLiteral("open:") + amp});

        // A failed configuration changes nothing; one without the address hides the link.
        appModel().setValue("online_help_info_url", QString());
        emit up->serverAddressStatus(1);
        QVERIFY(!ui().label_onlinehelp->isHidden());
        emit up->serverAddressStatus(0);
        QVERIFY(ui().label_onlinehelp->isHidden());
    }

    void tipHidesAfterFiveSecondsAndOnlyReachesTheEnteredPage()
    {
        emit host->signal_showTipText(QStringLiteral("Hello"));
        QCOMPARE(ui().label_tip->text(), QStringLiteral("Hello"));
        QCOMPARE(ui().label_tip->styleSheet(), QStringLiteral("QLabel {font:bold 12px \"Arial\";color:red}"));
        QVERIFY(!ui().label_tip->isHidden());
        // Five seconds on the tip's clock; its expiry is brought forward
        // rather than waited for.
        auto* tipTimer = page->findChild<QTimer*>(QStringLiteral("tipTimer"));
        QVERIFY(tipTimer);
        QVERIFY(tipTimer->isActive());
        QVERIFY(tipTimer->isSingleShot());
        QCOMPARE(tipTimer->interval(), 5000);
        QVERIFY(tipTimer->remainingTime() > 4000);
        QTest::qWait(50);
        QVERIFY(!ui().label_tip->isHidden());
        tipTimer->start(0);
        QTRY_VERIFY(ui().label_tip->isHidden());
        QVERIFY(!tipTimer->isActive());
        tipTimer->setInterval(qInfoPage::tipMs);

        emit host->signal_showTipText(QStringLiteral("Again"));
        page->PageLeave();
        QVERIFY(ui().label_tip->isHidden());
        QVERIFY(!page->isTipTimerActive());
        emit host->signal_showTipText(QStringLiteral("Away"));
        QVERIFY(ui().label_tip->isHidden());
        page->PageEnter();
        page->PageEnter(); // entering twice connects once
        emit host->signal_showTipText(QStringLiteral("Back"));
        QCOMPARE(ui().label_tip->text(), QStringLiteral("Back"));
    }

    void firstLoginAsksTheServerOnceThenShowsItsAnswers()
    {
        const int before = sim.count("request: POST /software");
        QVERIFY(configure());
        QVERIFY(signIn(QStringLiteral("pilot@example.com"), QStringLiteral("secret1")));
        QCOMPARE(ui().qCurUser->text(), QStringLiteral("pilot@example.com"));
        QCOMPARE(ui().pushButton_change_user->text(), QStringLiteral("Change User"));
        QCOMPARE(ui().pushButton_change_user->accessibleName(), QStringLiteral("Change User"));

        QTRY_COMPARE_WITH_TIMEOUT(ui().pushButton_soft_update->text(), QStringLiteral("New version:1.10"), waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains("request: POST /news") && sim.log().contains("request: POST /doc"), waitMs);
        QCOMPARE(ui().pushButton_server_latest->text(), QStringLiteral("Latest Firmware:2.0.0.0   Matching software:1.10"));
        QCOMPARE(host->calls, QStringList{"offer:1.10"});
        const QString log = sim.log();
        const qsizetype news = log.lastIndexOf(QStringLiteral("request: POST /news"));
        const qsizetype doc = log.lastIndexOf(QStringLiteral("request: POST /doc"));
        const qsizetype software = log.lastIndexOf(QStringLiteral("request: POST /software"));
        QVERIFY(news >= 0 && news < doc && doc < software);
        QCOMPARE(sim.count("request: POST /software"), before + 1);

        // A user change: the new name, no new requests (the configuration
        // fetched afterwards is answered after anything sent before it).
        const int newsBefore = sim.count("request: POST /news");
        QVERIFY(signIn(QStringLiteral("second@example.com"), QStringLiteral("secret2")));
        QCOMPARE(ui().qCurUser->text(), QStringLiteral("second@example.com"));
        QVERIFY(configure());
        QCOMPARE(sim.count("request: POST /news"), newsBefore);
        QCOMPARE(sim.count("request: POST /software"), before + 1);
        QCOMPARE(host->calls, QStringList{"offer:1.10"});

        // How it looks in the window's page area (white, 850 x 597).
        kzo::initResources();
        QWidget area;
        area.setObjectName(QStringLiteral("pageCur"));
        area.setAttribute(Qt::WA_StyledBackground);
        area.setStyleSheet(QStringLiteral("#pageCur{background-color: rgb(255, 255, 255);}"));
        auto* container = new qInfoPageBase(&area);
        (new QVBoxLayout(&area))->addWidget(container);
        area.layout()->setContentsMargins(0, 0, 0, 0);
        container->addTabPage(page.release());
        container->focusPage(0);
        area.resize(850, 597);
        area.show();
        emit host->signal_showTipText(loginFirst);
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QVERIFY(area.grab().save(QStringLiteral(KZO_TEST_OUTPUT_DIR "/info-page.png")));
    }
};

QTEST_MAIN(TestInfoPage)
#include "test_info_page.moc"

// Sign-in against kzo-updsim's account service: the request, success and
// failure replies, remembered settings, digested passwords and silent login.
#include "OnlineTestSupport.h"

#include "app/config/GlobalCfg.h"
#include "commands/qAppModel.h"
#include "online/LoginService.h"

#include <QCryptographicHash>
#include <QNetworkProxy>
#include <QSettings>
#include <QtTest>

#include <memory>

namespace {

constexpr int waitMs = 20000;
const QString email = QStringLiteral("pilot@example.com");
const QString password = QStringLiteral("secret1");

QString md5(const QString& s)
{
    return QString::fromLatin1(QCryptographicHash::hash(s.toUtf8(), QCryptographicHash::Md5).toHex());
}

} // namespace

class TestOnlineLogin : public QObject {
    Q_OBJECT

    std::unique_ptr<UpdSim> sim;
    std::unique_ptr<LoginService> login;
    QList<int> okModes;
    QStringList errors;
    int showDialog = 0;
    int canceled = 0;

    void makeService()
    {
        login = std::make_unique<LoginService>();
        connect(login.get(), &LoginService::signal_LoginOK, this, [this](int m) { okModes << m; });
        connect(login.get(), &LoginService::showError, this, [this](QString& m) { errors << m; });
        connect(login.get(), &LoginService::signal_showLoginDlg, this, [this] { ++showDialog; });
        connect(login.get(), &LoginService::loginCanceled, this, [this] { ++canceled; });
    }

    bool startSim(const QStringList& args = {})
    {
        sim = std::make_unique<UpdSim>();
        if (!sim->start(args))
            return false;
        appModel().setValue("login_server_url", sim->base + QStringLiteral("login"));
        return true;
    }

    bool finished() const { return !okModes.isEmpty() || !errors.isEmpty() || showDialog > 0; }

private slots:
    void initTestCase()
    {
        actAsTheProgramOnLoopback();
    }

    void init()
    {
        clearUserSettings();
        for (const char* k : {"login_server_url", "email", "password", "ssid", "currentloginUser"})
            appModel().setValue(k, QString());
        appModel().setValue("series", QStringLiteral("KG1"));
        appModel().setValue("language", QStringLiteral("en_US"));
        okModes.clear();
        errors.clear();
        showDialog = 0;
        canceled = 0;
        makeService();
    }

    void cleanup()
    {
        login.reset();
        sim.reset();
    }

    void errorTexts()
    {
        QCOMPARE(LoginService::errorText(3001), QStringLiteral("User name or password does not match!"));
        QCOMPARE(LoginService::errorText(500), QStringLiteral("Network error, can not connect to the server!"));
        QCOMPARE(LoginService::errorText(1002),
                 QStringLiteral("Accounts need to activate,please check you mailbox and activate it!"));
        QCOMPARE(LoginService::errorText(4002), QStringLiteral("Server is busy, please try again later!"));
        QCOMPARE(LoginService::errorText(77), QStringLiteral("Undefined error message:77"));
        QCOMPARE(LoginService::passwordDigest("abc"), QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
        QCOMPARE(LoginService::passwordDigest(""), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    }

    void missingInputsSendNothing()
    {
        QVERIFY(startSim());
        QCOMPARE(login->submit(QString(), password), LoginService::InputCheck::MissingEmail);
        QCOMPARE(login->submit(email, QString()), LoginService::InputCheck::MissingPassword);
        QTest::qWait(300);
        QCOMPARE(sim->count("request: POST /login"), 0);
        QVERIFY(appModel().value("email").isEmpty());
        login->cancel();
        QCOMPARE(canceled, 1);
    }

    void successWithoutRemember()
    {
        QVERIFY(startSim());
        {
            // Credentials remembered by an earlier run.
            QSettings s = userSettings();
            s.setValue("remember", "true");
            s.setValue("emailAddress", "old@example.com");
            s.setValue("Password", "oldsecret");
            s.sync();
        }
        login->setDigestPasswords(false);
        login->setRemember(false);
        LogCapture log;
        QCOMPARE(login->submit(email, password), LoginService::InputCheck::Ok);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), waitMs);
        QCOMPARE(okModes, QList<int>{LoginService::UserLogin});
        QVERIFY(errors.isEmpty());
        QVERIFY(login->isLoggedIn());
        const QString ssid = appModel().value("ssid");
        QVERIFY(ssid.startsWith('S') && ssid.size() == 9);
        QCOMPARE(log.text(), QStringLiteral("Login result:code = %1\n").arg(ssid));
        QTRY_VERIFY_WITH_TIMEOUT(
            sim->log().contains(
                "request: POST /login\n  body: email=pilot%40example.com&password=secret1&series=KG1&language=en_US\n"),
            waitMs);
        QSettings s = userSettings();
        // Not remembering forgets what an earlier run stored; the signed-in
        // user is still shown.
        QCOMPARE(s.value("remember").toString(), QStringLiteral("false"));
        QVERIFY(!s.contains("emailAddress"));
        QVERIFY(!s.contains("Password"));
        QCOMPARE(appModel().value("currentloginUser"), email);
        // The store follows XDG_CONFIG_HOME.
        if (qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
            QVERIFY(s.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    }

    void successRememberedWithDigest()
    {
        QVERIFY(startSim());
        login->setDigestPasswords(true);
        login->setRemember(true);
        QCOMPARE(login->submit(email, password), LoginService::InputCheck::Ok);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), waitMs);
        QCOMPARE(okModes, QList<int>{LoginService::UserLogin});
        const QString digest = md5(password);
        QCOMPARE(appModel().value("password"), digest);
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("&password=" + digest + "&"), waitMs);
        QSettings s = userSettings();
        QCOMPARE(s.value("remember").toString(), QStringLiteral("true"));
        QCOMPARE(s.value("emailAddress").toString(), email);
        QCOMPARE(s.value("Password").toString(), digest);
        QCOMPARE(appModel().value("currentloginUser"), email);

        // A later silent login sends the stored digest unchanged.
        login.reset();
        appModel().setValue("password", QString());
        okModes.clear();
        makeService();
        QVERIFY(login->remember());
        login->doAutoLogin(0);
        QTRY_COMPARE_WITH_TIMEOUT(okModes, QList<int>{LoginService::SilentLogin}, waitMs);
        QTRY_COMPARE_WITH_TIMEOUT(sim->count("&password=" + digest + "&"), 2, waitMs);
        QCOMPARE(showDialog, 0);
        QCOMPARE(QSettings(userSettings().fileName(), QSettings::NativeFormat).value("remember").toString(),
                 QStringLiteral("true"));
    }

    void silentLoginKeepsRememberedCredentials()
    {
        // The box was unticked for a user login that never succeeded; a later
        // silent login with the remembered credentials must not forget them.
        QVERIFY(startSim());
        {
            QSettings s = userSettings();
            s.setValue("remember", "true");
            s.setValue("emailAddress", email);
            s.setValue("Password", password);
            s.sync();
        }
        login->setRemember(false);
        login->doAutoLogin(0);
        QTRY_COMPARE_WITH_TIMEOUT(okModes, QList<int>{LoginService::SilentLogin}, waitMs);
        QSettings s = userSettings();
        QCOMPARE(s.value("remember").toString(), QStringLiteral("true"));
        QCOMPARE(s.value("emailAddress").toString(), email);
        QCOMPARE(s.value("Password").toString(), password);
        QCOMPARE(appModel().value("currentloginUser"), email);
        QCOMPARE(login->rememberedEmail(), email);
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("typedPassword");
        QTest::addColumn<QString>("expected");
        QTest::newRow("3001 wrong password") << QStringList{} << "wrong" << "User name or password does not match!";
        QTest::newRow("1002 inactive") << QStringList{"--user", "pilot@example.com:secret1:inactive"} << "secret1"
                                       << "Accounts need to activate,please check you mailbox and activate it!";
        QTest::newRow("4002 busy") << QStringList{"--login-error", "4002"} << "secret1" << "Server is busy, please try again later!";
        QTest::newRow("other code") << QStringList{"--login-error", "9123"} << "secret1" << "Undefined error message:9123";
        QTest::newRow("500 empty body") << QStringList{"--fault", "empty@login"} << "secret1"
                                        << "Network error, can not connect to the server!";
        QTest::newRow("500 after a cut reply") << QStringList{"--fault", "cut@login"} << "secret1"
                                               << "Network error, can not connect to the server!";
        QTest::newRow("500 after an oversize reply") << QStringList{"--fault", "oversize@login"} << "secret1"
                                                     << "Network error, can not connect to the server!";
    }
    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, typedPassword);
        QFETCH(QString, expected);
        QVERIFY(startSim(args));
        login->setDigestPasswords(false);
        login->setRemember(true);
        QCOMPARE(login->submit(email, typedPassword), LoginService::InputCheck::Ok);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), waitMs);
        QCOMPARE(errors, QStringList{expected});
        QVERIFY(okModes.isEmpty());
        QVERIFY(!login->isLoggedIn());
        QVERIFY(appModel().value("ssid").isEmpty());
        QVERIFY(!userSettings().contains("remember"));
    }

    void unparsableReplyReportsNetworkError()
    {
        QVERIFY(startSim({"--fault", "malformed@login"}));
        LogCapture log;
        login->submit(email, password);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), waitMs);
        QVERIFY(log.text().contains("qLogin::XML parse error\n"));
        QVERIFY(!log.text().contains("Login result"));
        QCOMPARE(errors, QStringList{LoginService::errorText(500)});
        QVERIFY(!login->isLoggedIn());
    }

    void unansweredRequestEndsAsNetworkError()
    {
        QVERIFY(startSim({"--fault", "hang@login"}));
        login->setReplyTimeout(400);
        login->setDigestPasswords(false);
        QCOMPARE(login->submit(email, password), LoginService::InputCheck::Ok);
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("[hang]"), waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 6000);
        QCOMPARE(errors, QStringList{LoginService::errorText(500)});
        QVERIFY(!login->isRequestInFlight());
        QVERIFY(!login->isLoggedIn());
        QVERIFY(appModel().value("ssid").isEmpty());
    }

    void paddedCodeIsTrimmed_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("success");
        QTest::newRow("identifier") << QStringList{} << true;
        QTest::newRow("code 0 is a refusal") << QStringList{"--login-error", "3001"} << false;
    }
    void paddedCodeIsTrimmed()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, success);
        QVERIFY(startSim(args + QStringList{"--fault", "padded@login"}));
        login->setDigestPasswords(false);
        LogCapture log;
        login->submit(email, password);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), waitMs);
        QVERIFY(sim->log().contains("[padded]"));
        if (success) {
            QCOMPARE(okModes, QList<int>{LoginService::UserLogin});
            const QString ssid = appModel().value("ssid");
            QVERIFY2(ssid.startsWith('S') && ssid.size() == 9, qPrintable(ssid));
            QCOMPARE(log.text(), QStringLiteral("Login result:code = %1\n").arg(ssid));
        } else {
            QCOMPARE(errors, QStringList{LoginService::errorText(3001)});
            QVERIFY(okModes.isEmpty());
            QVERIFY(!login->isLoggedIn());
            QVERIFY(appModel().value("ssid").isEmpty());
        }
    }

    void percentEncodedReplyIsRead()
    {
        QVERIFY(startSim({"--fault", "percent@login"}));
        login->setDigestPasswords(false);
        login->submit(email, password);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), waitMs);
        QCOMPARE(okModes, QList<int>{LoginService::UserLogin});
    }

    void noAddressReportsNetworkError()
    {
        login->submit(email, password);
        QCOMPARE(errors, QStringList{LoginService::errorText(500)});
        QVERIFY(!login->isRequestInFlight());
    }

    void silentLoginNeedsLongEnoughCredentials_data()
    {
        QTest::addColumn<QString>("remember");
        QTest::addColumn<QString>("storedEmail");
        QTest::addColumn<QString>("storedPassword");
        QTest::addColumn<bool>("sent");
        QTest::newRow("four characters each") << "true" << "a@bc" << "pw12" << true;
        QTest::newRow("e-mail of three") << "true" << "a@b" << "password" << false;
        QTest::newRow("password of three") << "true" << "pilot@example.com" << "abc" << false;
        QTest::newRow("not remembered") << "false" << "pilot@example.com" << "password" << false;
        QTest::newRow("nothing stored") << "" << "" << "" << false;
    }
    void silentLoginNeedsLongEnoughCredentials()
    {
        QFETCH(QString, remember);
        QFETCH(QString, storedEmail);
        QFETCH(QString, storedPassword);
        QFETCH(bool, sent);
        QVERIFY(startSim({"--user", "a@bc:pw12"}));
        if (!remember.isEmpty()) {
            QSettings s = userSettings();
            s.setValue("remember", remember);
            s.setValue("emailAddress", storedEmail);
            s.setValue("Password", storedPassword);
            s.sync();
        }
        login->doAutoLogin(0);
        if (sent) {
            QTRY_COMPARE_WITH_TIMEOUT(okModes, QList<int>{LoginService::SilentLogin}, waitMs);
            QCOMPARE(appModel().value("email"), storedEmail);
            QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("body: email=a%40bc&password=pw12&series=KG1&language=en_US\n"),
                                     waitMs);
            QCOMPARE(showDialog, 0);
        } else {
            QCOMPARE(showDialog, 1);
            QTest::qWait(300);
            QCOMPARE(sim->count("request: POST /login"), 0);
            QVERIFY(okModes.isEmpty());
        }
    }

    void newRequestReplacesTheOneInFlight()
    {
        QVERIFY(startSim({"--fault", "slow@login", "--slow-ms", "700"}));
        login->setDigestPasswords(false);
        login->submit(email, "wrong");
        login->submit(email, password);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), waitMs);
        QTest::qWait(1200);
        // Only the second request's answer counts.
        QCOMPARE(okModes, QList<int>{LoginService::UserLogin});
        QVERIFY(errors.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestOnlineLogin)
#include "test_online_login.moc"

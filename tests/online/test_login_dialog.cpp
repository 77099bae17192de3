// The login dialog over the sign-in service, against kzo-updsim's account
// service: input checks, hiding while a request runs, the error texts, cancel,
// the remembered login, the links and how the dialog looks.
#include "OnlineTestSupport.h"

#include "app/config/GlobalCfg.h"
#include "commands/qAppModel.h"
#include "online/LoginService.h"
#include "online/ui/qLogin.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QPushButton>
#include <QSettings>
#include <QTextDocument>
#include <QtTest>

#include <memory>

namespace {

constexpr int waitMs = 20000;
const QString email = QStringLiteral("pilot@example.com");
const QString password = QStringLiteral("secret1");

void storeLogin(const QString& remember, const QString& storedEmail, const QString& storedPassword)
{
    QSettings s = userSettings();
    s.setValue("remember", remember);
    s.setValue("emailAddress", storedEmail);
    s.setValue("Password", storedPassword);
    s.sync();
}

QString accessibleName(QWidget* w)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QString plainText(const QString& html)
{
    QTextDocument doc;
    doc.setHtml(html);
    return doc.toPlainText();
}

// Renders the dialog as it would appear on screen and keeps the image.
QImage render(QWidget* w, const QString& name)
{
    const QImage image = w->grab().toImage();
    QDir().mkpath(QStringLiteral(KZO_TEST_OUTPUT_DIR));
    image.save(QStringLiteral(KZO_TEST_OUTPUT_DIR "/") + name);
    return image;
}

} // namespace

class TestLoginDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<UpdSim> sim;
    std::unique_ptr<LoginService> service;
    std::unique_ptr<qLogin> dlg;
    QList<int> okModes;
    int canceled = 0;
    QList<QUrl> opened;

    QLineEdit* emailEdit() const { return dlg->findChild<QLineEdit*>("lineEditEmail"); }
    QLineEdit* passwordEdit() const { return dlg->findChild<QLineEdit*>("lineEditPassword"); }
    QCheckBox* keepBox() const { return dlg->findChild<QCheckBox*>("checkBoxKeep"); }
    QLabel* message() const { return dlg->findChild<QLabel*>("label_MSG"); }
    QLabel* registerLink() const { return dlg->findChild<QLabel*>("label_6"); }
    QLabel* forgotLink() const { return dlg->findChild<QLabel*>("label_5"); }
    QPushButton* loginButton() const { return dlg->findChild<QPushButton*>("pushButtonLogin"); }
    QPushButton* cancelButton() const { return dlg->findChild<QPushButton*>("pushButtonCancel"); }

    bool inputsEnabled() const
    {
        return emailEdit()->isEnabled() && passwordEdit()->isEnabled() && keepBox()->isEnabled()
               && loginButton()->isEnabled();
    }

    void makeDialog()
    {
        dlg.reset();
        service = std::make_unique<LoginService>();
        connect(service.get(), &LoginService::signal_LoginOK, this, [this](int m) { okModes << m; });
        connect(service.get(), &LoginService::loginCanceled, this, [this] { ++canceled; });
        dlg = std::make_unique<qLogin>(service.get());
        dlg->setLinkOpener([this](const QUrl& u) { opened << u; });
    }

    bool startSim(const QStringList& args = {})
    {
        sim = std::make_unique<UpdSim>();
        if (!sim->start(args))
            return false;
        appModel().setValue("login_server_url", sim->base + QStringLiteral("login"));
        appModel().setValue("reg_server_url", sim->base + QStringLiteral("register"));
        appModel().setValue("forget_password_url", sim->base + QStringLiteral("forgot"));
        return true;
    }

    // Types the credentials and presses Login.
    void signIn(const QString& e, const QString& p)
    {
        emailEdit()->setText(e);
        passwordEdit()->setText(p);
        QTest::mouseClick(loginButton(), Qt::LeftButton);
    }

    // Clicks near the start of a link label's text, where its anchor is.
    void clickLink(QLabel* label)
    {
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(8, label->height() / 2));
    }

private slots:
    void initTestCase()
    {
        actAsTheProgramOnLoopback();
    }

    void init()
    {
        clearUserSettings();
        for (const char* k : {"login_server_url", "reg_server_url", "forget_password_url", "email", "password", "ssid",
                              "currentloginUser"})
            appModel().setValue(k, QString());
        appModel().setValue("series", QStringLiteral("KG1"));
        appModel().setValue("language", QStringLiteral("en_US"));
        okModes.clear();
        opened.clear();
        canceled = 0;
    }

    void cleanup()
    {
        dlg.reset();
        service.reset();
        sim.reset();
    }

    void appearanceAndAccessibleNames()
    {
        QVERIFY(startSim());
        makeDialog();
        dlg->showLoginDlg();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));

        QVERIFY(dlg->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(dlg->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(dlg->isModal());
        QCOMPARE(dlg->styleSheet(),
                 QStringLiteral("QWidget#widget{background-image:url(:/Utility/res/login_dlg_bg.png);}\t\t\t\t "
                                "QLineEdit {padding: 1px;border-style: solid;border: 1px solid gray;border-radius: 3px;}"));
        QCOMPARE(message()->styleSheet(), QStringLiteral("QLabel {font:bold 12px \"Arial\";color:rgb(222,10,12)}"));
        QVERIFY(message()->text().isEmpty());
        QCOMPARE(passwordEdit()->echoMode(), QLineEdit::Password);
        QVERIFY(loginButton()->isDefault());
        QVERIFY(!keepBox()->isChecked());
        QVERIFY(emailEdit()->text().isEmpty());
        QCOMPARE(dlg->focusWidget(), emailEdit());
        QStringList texts;
        for (QLabel* l : dlg->findChildren<QLabel*>())
            texts << l->text();
        QVERIFY(texts.contains("User Login"));
        QVERIFY(texts.contains("Email"));
        QVERIFY(texts.contains("Password"));
        QCOMPARE(keepBox()->text(), QStringLiteral("Remember Me"));
        QCOMPARE(loginButton()->text(), QStringLiteral("Login"));
        QCOMPARE(cancelButton()->text(), QStringLiteral("Cancel"));

        // Everything a person clicks or types into has a name for screen readers.
        QList<QWidget*> controls{emailEdit(), passwordEdit(), registerLink(), forgotLink()};
        for (QAbstractButton* b : dlg->findChildren<QAbstractButton*>())
            controls << b;
        for (QWidget* w : controls)
            QVERIFY2(!accessibleName(w).isEmpty(), qPrintable(w->objectName()));
        QCOMPARE(accessibleName(loginButton()), QStringLiteral("Login"));
        QCOMPARE(accessibleName(registerLink()), QStringLiteral("Register"));

        // The background picture is painted: opaque and dark inside, where a
        // missing picture would leave the translucent window empty.
        const QImage image = render(dlg.get(), QStringLiteral("login_dialog.png"));
        QCOMPARE(image.size(), QSize(420, 300));
        const QColor inside = image.pixelColor(30, 200);
        QCOMPARE(inside.alpha(), 255);
        QVERIFY2(inside.lightness() < 80, qPrintable(inside.name()));
    }

    void inputChecks_data()
    {
        QTest::addColumn<QString>("typedEmail");
        QTest::addColumn<QString>("typedPassword");
        QTest::addColumn<bool>("throughAccessibility");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("focused");
        QTest::newRow("no e-mail") << "" << "secret1" << false << "Please input your E-mail!" << "lineEditEmail";
        QTest::newRow("no password") << email << "" << false << "Please input your password!" << "lineEditPassword";
        QTest::newRow("nothing, pressed through accessibility")
            << "" << "" << true << "Please input your E-mail!" << "lineEditEmail";
    }
    void inputChecks()
    {
        QFETCH(QString, typedEmail);
        QFETCH(QString, typedPassword);
        QFETCH(bool, throughAccessibility);
        QFETCH(QString, expected);
        QFETCH(QString, focused);
        QVERIFY(startSim());
        makeDialog();
        dlg->showLoginDlg();
        emailEdit()->setText(typedEmail);
        passwordEdit()->setText(typedPassword);
        if (throughAccessibility) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(loginButton());
            QVERIFY(iface && iface->actionInterface());
            iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QTRY_COMPARE(message()->text(), expected);
        } else {
            QTest::mouseClick(loginButton(), Qt::LeftButton);
            QCOMPARE(message()->text(), expected);
        }
        QCOMPARE(dlg->focusWidget()->objectName(), focused);
        // Nothing was sent and the dialog stays as it was.
        QVERIFY(!service->isRequestInFlight());
        QVERIFY(dlg->isVisible());
        QVERIFY(inputsEnabled());
        QVERIFY(appModel().value("email").isEmpty());
        // Typing clears the message.
        QTest::keyClick(dlg->focusWidget(), Qt::Key_A);
        QVERIFY(message()->text().isEmpty());
        QCOMPARE(sim->count("request: POST /login"), 0);
    }

    void errorTable_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("typedPassword");
        QTest::addColumn<QString>("expected");
        QTest::newRow("3001 wrong password") << QStringList{} << "wrong" << "User name or password does not match!";
        QTest::newRow("1002 inactive") << QStringList{"--user", "pilot@example.com:secret1:inactive"} << password
                                       << "Accounts need to activate,please check you mailbox and activate it!";
        QTest::newRow("4002 busy") << QStringList{"--login-error", "4002"} << password
                                   << "Server is busy, please try again later!";
        QTest::newRow("other code") << QStringList{"--login-error", "9123"} << password << "Undefined error message:9123";
        QTest::newRow("empty body") << QStringList{"--fault", "empty@login"} << password
                                    << "Network error, can not connect to the server!";
        QTest::newRow("unparsable reply") << QStringList{"--fault", "malformed@login"} << password
                                          << "Network error, can not connect to the server!";
        QTest::newRow("cut reply") << QStringList{"--fault", "cut@login"} << password
                                   << "Network error, can not connect to the server!";
    }
    void errorTable()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, typedPassword);
        QFETCH(QString, expected);
        QVERIFY(startSim(args));
        makeDialog();
        dlg->showLoginDlg();
        signIn(email, typedPassword);

        // Hidden, with the inputs off, while the request runs.
        QVERIFY(service->isRequestInFlight());
        QVERIFY(!dlg->isVisible());
        QVERIFY(!emailEdit()->isEnabled());
        QVERIFY(!loginButton()->isEnabled());

        QTRY_VERIFY_WITH_TIMEOUT(dlg->isVisible(), waitMs);
        QCOMPARE(message()->text(), QStringLiteral("Error:") + expected);
        // Usable again: inputs on, e-mail kept, password to be typed anew.
        QVERIFY(inputsEnabled());
        QCOMPARE(emailEdit()->text(), email);
        QVERIFY(passwordEdit()->text().isEmpty());
        QCOMPARE(dlg->focusWidget(), passwordEdit());
        QVERIFY(okModes.isEmpty());
        QVERIFY(!service->isLoggedIn());
        QVERIFY(appModel().value("ssid").isEmpty());
        QVERIFY(!userSettings().contains("remember"));
        if (QByteArray(QTest::currentDataTag()) == "3001 wrong password")
            render(dlg.get(), QStringLiteral("login_dialog_error.png"));
    }

    void signInAgainAfterAFailure()
    {
        QVERIFY(startSim());
        makeDialog();
        dlg->showLoginDlg();
        signIn(email, "wrong");
        QTRY_VERIFY_WITH_TIMEOUT(dlg->isVisible(), waitMs);
        QVERIFY(!message()->text().isEmpty());
        // Return in the password field presses the default button.
        QTest::keyClicks(passwordEdit(), password);
        QVERIFY(message()->text().isEmpty());
        QTest::keyClick(passwordEdit(), Qt::Key_Return);
        QVERIFY(!dlg->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(okModes, QList<int>{LoginService::UserLogin}, waitMs);
        QVERIFY(!dlg->isVisible());
        QVERIFY(service->isLoggedIn());
        QVERIFY(!appModel().value("ssid").isEmpty());
        QCOMPARE(sim->count("request: POST /login"), 2);
    }

    void noServerAddressLeavesTheDialogUp()
    {
        makeDialog();
        dlg->showLoginDlg();
        signIn(email, password);
        QVERIFY(dlg->isVisible());
        QCOMPARE(message()->text(), QStringLiteral("Error:Network error, can not connect to the server!"));
        QVERIFY(inputsEnabled());
    }

    void cancel()
    {
        QVERIFY(startSim());
        makeDialog();
        dlg->showLoginDlg();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        emailEdit()->setText(email);
        QTest::mouseClick(cancelButton(), Qt::LeftButton);
        QCOMPARE(canceled, 1);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Rejected));

        dlg->showLoginDlg();
        QVERIFY(dlg->isVisible());
        QTest::keyClick(dlg->focusWidget(), Qt::Key_Escape);
        QCOMPARE(canceled, 2);
        QVERIFY(!dlg->isVisible());
        QVERIFY(!service->isRequestInFlight());
        QVERIFY(okModes.isEmpty());
        QCOMPARE(sim->count("request: POST /login"), 0);
    }

    void rememberedSettings_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::newRow("ticked") << true;
        QTest::newRow("unticked") << false;
    }
    void rememberedSettings()
    {
        QFETCH(bool, ticked);
        QVERIFY(startSim());
        storeLogin("true", "old@example.com", "oldsecret");
        makeDialog();
        dlg->showLoginDlg();
        QVERIFY(keepBox()->isChecked());
        if (!ticked)
            QTest::mouseClick(keepBox(), Qt::LeftButton, {}, QPoint(6, keepBox()->height() / 2));
        QCOMPARE(keepBox()->isChecked(), ticked);
        signIn(email, password);
        QTRY_COMPARE_WITH_TIMEOUT(okModes, QList<int>{LoginService::UserLogin}, waitMs);

        QSettings s = userSettings();
        if (ticked) {
            QCOMPARE(s.value("remember").toString(), QStringLiteral("true"));
            QCOMPARE(s.value("emailAddress").toString(), email);
            QCOMPARE(s.value("Password").toString(), appModel().value("password"));
            QVERIFY(!appModel().value("password").isEmpty());
        } else {
            QCOMPARE(s.value("remember").toString(), QStringLiteral("false"));
            QVERIFY(!s.contains("emailAddress"));
            QVERIFY(!s.contains("Password"));
        }
        QCOMPARE(appModel().value("currentloginUser"), email);

        // A new dialog starts from what was stored.
        makeDialog();
        QCOMPARE(keepBox()->isChecked(), ticked);
        QCOMPARE(emailEdit()->text(), ticked ? email : QString());
    }

    void startsFromStoredLogin_data()
    {
        QTest::addColumn<QString>("remember");
        QTest::addColumn<QString>("storedEmail");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("prefilled");
        QTest::newRow("remembered") << "true" << "old@example.com" << true << "old@example.com";
        QTest::newRow("not remembered, address left behind") << "false" << "old@example.com" << false << "";
        QTest::newRow("nothing stored") << "" << "" << false << "";
    }
    void startsFromStoredLogin()
    {
        QFETCH(QString, remember);
        QFETCH(QString, storedEmail);
        QFETCH(bool, checked);
        QFETCH(QString, prefilled);
        if (!remember.isEmpty())
            storeLogin(remember, storedEmail, "oldsecret");
        makeDialog();
        dlg->showLoginDlg();
        QCOMPARE(keepBox()->isChecked(), checked);
        QCOMPARE(emailEdit()->text(), prefilled);
        QVERIFY(passwordEdit()->text().isEmpty());
        QCOMPARE(dlg->focusWidget(), prefilled.isEmpty() ? emailEdit() : passwordEdit());
    }

    void currentUserRecordedOnEveryLogin()
    {
        QVERIFY(startSim({"--user", "pilot@example.com:secret1", "--user", "second@example.com:secret2"}));
        makeDialog();
        dlg->showLoginDlg();
        QVERIFY(!keepBox()->isChecked());
        signIn(email, password);
        QTRY_COMPARE_WITH_TIMEOUT(okModes.size(), 1, waitMs);
        QCOMPARE(appModel().value("currentloginUser"), email);
        const QString firstSsid = appModel().value("ssid");

        // Changing the user.
        dlg->showLoginDlg();
        QCOMPARE(emailEdit()->text(), email);
        signIn(QStringLiteral("second@example.com"), QStringLiteral("secret2"));
        QTRY_COMPARE_WITH_TIMEOUT(okModes.size(), 2, waitMs);
        QCOMPARE(appModel().value("currentloginUser"), QStringLiteral("second@example.com"));
        QVERIFY(appModel().value("ssid") != firstSsid);
        QCOMPARE(userSettings().value("remember").toString(), QStringLiteral("false"));
    }

    void silentLogin_data()
    {
        QTest::addColumn<QString>("storedPassword");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<QString>("expectedMessage");
        QTest::newRow("remembered credentials") << password << true << "";
        QTest::newRow("remembered credentials refused")
            << "wrongpw" << false << "Error:User name or password does not match!";
        QTest::newRow("nothing usable remembered") << "abc" << false << "";
    }
    void silentLogin()
    {
        QFETCH(QString, storedPassword);
        QFETCH(bool, succeeds);
        QFETCH(QString, expectedMessage);
        QVERIFY(startSim());
        storeLogin("true", email, storedPassword);
        makeDialog();
        service->doAutoLogin(0);
        if (succeeds) {
            QTRY_COMPARE_WITH_TIMEOUT(okModes, QList<int>{LoginService::SilentLogin}, waitMs);
            QVERIFY(!dlg->isVisible());
            QCOMPARE(appModel().value("currentloginUser"), email);
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(dlg->isVisible(), waitMs);
        QCOMPARE(message()->text(), expectedMessage);
        QCOMPARE(emailEdit()->text(), email);
        QCOMPARE(dlg->focusWidget(), passwordEdit());
        QVERIFY(inputsEnabled());
        QVERIFY(okModes.isEmpty());
    }

    void links()
    {
        QVERIFY(startSim());
        makeDialog();
        dlg->showLoginDlg();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        const QString reg = sim->base + QStringLiteral("register");
        const QString forgot = sim->base + QStringLiteral("forgot");
        QVERIFY2(registerLink()->text().startsWith(QStringLiteral("<a href=\"%1\" >").arg(reg)),
                 qPrintable(registerLink()->text()));
        QVERIFY(registerLink()->text().endsWith(QStringLiteral("</a>")));
        QCOMPARE(plainText(registerLink()->text()), QStringLiteral("Register"));
        QVERIFY(forgotLink()->text().startsWith(QStringLiteral("<a href=\"%1\" >").arg(forgot)));
        QCOMPARE(plainText(forgotLink()->text()), QStringLiteral("Forgot?"));
        QVERIFY(registerLink()->toolTip().contains(reg));
        QVERIFY(forgotLink()->toolTip().contains(forgot));

        clickLink(registerLink());
        clickLink(forgotLink());
        QCOMPARE(opened, (QList<QUrl>{QUrl(reg), QUrl(forgot)}));

        // The links follow the configuration each time the dialog is shown.
        appModel().setValue("reg_server_url", QStringLiteral("https://accounts.example.com/new?a=1&b=2"));
        dlg->showLoginDlg();
        QVERIFY(registerLink()->text().startsWith(
            QStringLiteral("<a href=\"https://accounts.example.com/new?a=1&amp;b=2\" >")));
        opened.clear();
        clickLink(registerLink());
        QCOMPARE(opened, QList<QUrl>{QUrl("https://accounts.example.com/new?a=1&b=2")});
    }

    void hostileAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("script") << "javascript:alert(1)";
        QTest::newRow("local file") << "file:///etc/passwd";
        QTest::newRow("markup") << "http://x.example/\"><img src=\"http://x.example/p.png\"><b>Free";
        QTest::newRow("no host") << "http:///path";
    }
    void hostileAddresses()
    {
        QFETCH(QString, address);
        appModel().setValue("reg_server_url", address);
        makeDialog();
        dlg->showLoginDlg();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        // Nothing the address holds becomes part of the page: the label reads
        // "Register" and its only anchor carries the address as given.
        QCOMPARE(plainText(registerLink()->text()), QStringLiteral("Register"));
        QVERIFY(!registerLink()->text().contains("<img"));
        QCOMPARE(plainText(registerLink()->toolTip()), address);

        LogCapture log;
        clickLink(registerLink());
        QVERIFY(opened.isEmpty());
        QVERIFY(log.text().contains("qLogin: link not opened:"));
    }
};

QTEST_MAIN(TestLoginDialog)
#include "test_login_dialog.moc"

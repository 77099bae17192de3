#pragma once
// Sign-in to the maker's account service: the login request, its reply, the
// remembered credentials and the silent login. The login dialog drives it and
// shows what it reports.
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>

#include <mutex>

class LoginService : public QObject {
    Q_OBJECT
public:
    enum LoginMode : int { SilentLogin = 0, UserLogin = 1 };
    enum class InputCheck { Ok, MissingEmail, MissingPassword };

    explicit LoginService(QObject* parent = nullptr);
    ~LoginService() override;

    // The user pressed Login: checks the inputs, stores "email" and "password"
    // (digested when enabled) in the application model, login mode := 1 and
    // sends the request. Nothing is sent unless the result is Ok.
    InputCheck submit(const QString& email, const QString& password);

    // Sends the login request with the application model's "email",
    // "password", "series" and "language".
    void sendLoginRequest();

    // State of the "Remember Me" box; read when a login succeeds. Starts as the
    // stored "remember" setting so a silent login keeps the choice.
    void setRemember(bool remember) { m_remember = remember; }
    bool remember() const { return m_remember; }

    // Whether passwords are sent as their MD5 digest (GlobalCfg::loginDigest by default).
    void setDigestPasswords(bool on) { m_digest = on; }
    bool digestPasswords() const { return m_digest; }

    // Time-out of the login requests sent from now on (0 = none); a login
    // that runs out of time ends as a network error.
    void setReplyTimeout(int ms) { replyTimeoutMs = ms; }
    static constexpr int defaultReplyTimeoutMs = 8000;

    // The e-mail address stored by a remembered login ("" unless "remember" is "true").
    static QString rememberedEmail();

    bool isLoggedIn() const;
    int loginMode() const { return m_mode; }
    bool isRequestInFlight() const { return !m_reply.isNull(); }

    // Emits loginCanceled() (the dialog's reject()).
    void cancel();

    // MD5 (RFC 1321) of the UTF-8 bytes, 32 lower-case hexadecimal digits.
    static QString passwordDigest(const QString& password);
    // The translatable text shown for an account-service error code.
    static QString errorText(int code);

signals:
    void loginCanceled();
    void signal_showLoginDlg();
    void signal_LoginOK(int mode);
    void showError(QString& message);

public slots:
    void networkError(QNetworkReply::NetworkError errWhat);
    void replyFinished();
    // Signs in silently with the remembered credentials, or asks for the dialog.
    void doAutoLogin(int status = 0);

private:
    void reportError(int code);
    void storeRememberedSettings();
    void releaseReply();

    QNetworkAccessManager manager;
    QPointer<QNetworkReply> m_reply;
    int m_mode = UserLogin;
    bool m_remember = false;
    bool m_digest = true;
    mutable std::mutex loggedInLock;
    int loggedIn = 0;
    int replyTimeoutMs = defaultReplyTimeoutMs;
};

#include "online/LoginService.h"

#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "commands/qAppModel.h"
#include "online/PercentCoding.h"
#include "online/ReplyGuard.h"
#include "online/ServerReplies.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDomDocument>
#include <QNetworkRequest>
#include <QSettings>
#include <QUrl>

using namespace kzo::online;

namespace {

constexpr int errorNetwork = 500;
constexpr qint64 maxLoginReplyBytes = 1LL << 20;

} // namespace

LoginService::LoginService(QObject* parent) : QObject(parent)
{
    m_digest = GlobalCfg::instance()->loginDigest;
    QSettings settings(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp);
    m_remember = settings.value(QStringLiteral("remember")).toString() == QLatin1String("true");
}

LoginService::~LoginService()
{
    releaseReply();
}

QString LoginService::passwordDigest(const QString& password)
{
    return QString::fromLatin1(QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Md5).toHex());
}

QString LoginService::errorText(int code)
{
    switch (code) {
    case 3001:
        return QCoreApplication::translate("qLogin", "User name or password does not match!");
    case 500:
        return QCoreApplication::translate("qLogin", "Network error, can not connect to the server!");
    case 1002:
        return QCoreApplication::translate("qLogin",
                                           "Accounts need to activate,please check you mailbox and activate it!");
    case 4002:
        return QCoreApplication::translate("qLogin", "Server is busy, please try again later!");
    default:
        return QCoreApplication::translate("qLogin", "Undefined error message:%1").arg(code);
    }
}

QString LoginService::rememberedEmail()
{
    const QSettings settings(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp);
    // An address left by a login that chose not to be remembered is not offered.
    if (settings.value(QStringLiteral("remember")).toString() != QLatin1String("true"))
        return QString();
    return settings.value(QStringLiteral("emailAddress")).toString();
}

bool LoginService::isLoggedIn() const
{
    std::lock_guard lock(loggedInLock);
    return loggedIn != 0;
}

void LoginService::cancel()
{
    emit loginCanceled();
}

LoginService::InputCheck LoginService::submit(const QString& email, const QString& password)
{
    if (email.isEmpty())
        return InputCheck::MissingEmail;
    if (password.isEmpty())
        return InputCheck::MissingPassword;
    appModel().setValue("email", email);
    appModel().setValue("password", m_digest ? passwordDigest(password) : password);
    m_mode = UserLogin;
    sendLoginRequest();
    return InputCheck::Ok;
}

void LoginService::releaseReply()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    m_reply = nullptr;
}

void LoginService::sendLoginRequest()
{
    const QString url = appModel().value("login_server_url");
    if (url.isEmpty()) {
        // Without an address nothing would ever answer and the hidden dialog
        // would never come back: report it like an unreachable server.
        reportError(errorNetwork);
        return;
    }
    releaseReply();
    QByteArray body;
    for (const char* item : {"email", "password", "series", "language"})
        appendFormItem(body, QString::fromLatin1(item), appModel().value(item));
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    QNetworkReply* reply = manager.post(request, body);
    m_reply = reply;
    connect(reply, &QNetworkReply::errorOccurred, this, &LoginService::networkError);
    connect(reply, &QNetworkReply::finished, this, &LoginService::replyFinished);
    guardReply(reply, {maxLoginReplyBytes, replyTimeoutMs, ReplyDeadline::Total});
}

void LoginService::networkError(QNetworkReply::NetworkError errWhat)
{
    logStdout("Network error : %d\n", static_cast<int>(errWhat));
}

void LoginService::reportError(int code)
{
    QString text = errorText(code);
    emit showError(text);
}

void LoginService::replyFinished()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply || reply != m_reply)
        return;
    m_reply = nullptr;
    reply->deleteLater();

    // A failed transfer (refused, cut, timed out, too large) counts as no answer.
    QDomDocument doc;
    const ReplyParse parsed = replyFailed(reply) ? ReplyParse::Empty : parseReplyDocument(reply->readAll(), doc);
    if (parsed == ReplyParse::Empty) {
        reportError(errorNetwork);
        return;
    }
    if (parsed == ReplyParse::Malformed) {
        logStdout("qLogin::XML parse error\n");
        // The dialog is hidden while a request runs; without a report it
        // would never come back.
        reportError(errorNetwork);
        return;
    }
    const LoginReply r = readLoginReply(doc.documentElement());
    logStdout("Login result:code = %s\n", r.code.toUtf8().constData());
    if (r.code.isEmpty()) {
        // No identifier at all is not a login.
        reportError(errorNetwork);
        return;
    }
    if (r.code != QLatin1String("0")) {
        appModel().setValue("ssid", r.code);
        {
            std::lock_guard lock(loggedInLock);
            loggedIn = 1;
        }
        storeRememberedSettings();
        emit signal_LoginOK(m_mode);
        return;
    }
    reportError(r.errorCode.toInt());
}

void LoginService::storeRememberedSettings()
{
    QSettings settings(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp);
    if (m_remember) {
        settings.setValue(QStringLiteral("emailAddress"), appModel().value("email"));
        settings.setValue(QStringLiteral("Password"), appModel().value("password"));
        settings.setValue(QStringLiteral("remember"), QStringLiteral("true"));
    } else {
        // Not remembering means forgetting what an earlier login stored.
        settings.remove(QStringLiteral("emailAddress"));
        settings.remove(QStringLiteral("Password"));
        settings.setValue(QStringLiteral("remember"), QStringLiteral("false"));
    }
    settings.sync();
    // Whoever signed in is the current user, remembered or not.
    appModel().setValue("currentloginUser", appModel().value("email"));
}

void LoginService::doAutoLogin(int)
{
    QSettings settings(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp);
    const bool remembered = settings.value(QStringLiteral("remember")).toString() == QLatin1String("true");
    const QString email = settings.value(QStringLiteral("emailAddress")).toString();
    const QString password = settings.value(QStringLiteral("Password")).toString();
    if (remembered && email.length() > 3 && password.length() > 3) {
        appModel().setValue("email", email);
        appModel().setValue("password", password);
        // Signing in with the remembered credentials keeps them remembered,
        // whatever the box showed for a user login that did not succeed.
        m_remember = true;
        m_mode = SilentLogin;
        sendLoginRequest();
        return;
    }
    emit signal_showLoginDlg();
}

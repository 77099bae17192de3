#include "online/ui/qLogin.h"

#include "app/framework/qResources.h"
#include "app/logging/Log.h"
#include "commands/qAppModel.h"
#include "online/LoginService.h"
#include "online/ui/LoginLinks.h"
#include "resources/KzoResources.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace kzo::online;

namespace {

const char* const dialogStyle = "QWidget#widget{background-image:url(:/Utility/res/login_dlg_bg.png);}\t\t\t\t "
                                "QLineEdit {padding: 1px;border-style: solid;border: 1px solid gray;border-radius: 3px;}";
const char* const messageStyle = "QLabel {font:bold 12px \"Arial\";color:rgb(222,10,12)}";
const char* const checkBoxStyle = "QCheckBox {font:normal 12px \"Arial\";color:white}";
const char* const buttonStyle =
    "QPushButton{font:normal 12px \"Arial\";color:white;background:rgba(29,29,29,180);"
    "border:1px solid rgb(11,163,212);border-radius:3px;padding:2px 10px;}"
    "QPushButton:default{background:rgb(6,104,140);}"
    "QPushButton:hover{background:rgb(11,163,212);}"
    "QPushButton:pressed{background:rgb(6,104,140);}"
    "QPushButton:disabled{color:gray;border-color:gray;}";

constexpr int dialogWidth = 420;
constexpr int dialogHeight = 300;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& style)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setStyleSheet(style);
    return label;
}

QLabel* makeLink(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    label->setFont(font);
    label->setTextFormat(Qt::RichText);
    // Links go through onLinkActivated, which refuses anything but web links.
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setFocusPolicy(Qt::TabFocus);
    return label;
}

} // namespace

qLogin::qLogin(LoginService* service, QWidget* parent)
    : QDialog(parent), m_service(service), linkOpener([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    kzo::initResources();
    buildUi();
    connectService();

    // The box starts from the stored choice and the e-mail from the
    // remembered login, so a returning user only types the password.
    if (m_service)
        checkBoxKeep->setChecked(m_service->remember());
    lineEditEmail->setText(LoginService::rememberedEmail());
    refreshLinks();
}

void qLogin::buildUi()
{
    setObjectName(QStringLiteral("qLogin"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet(QString::fromLatin1(dialogStyle));
    setFixedSize(dialogWidth, dialogHeight);
    // Modal without a nested event loop: the dialog is opened from network
    // reply handlers.
    setWindowModality(Qt::ApplicationModal);

    const qResources& res = qResources::get();
    widget = new QWidget(this);
    widget->setObjectName(QStringLiteral("widget"));
    widget->setGeometry(0, 0, dialogWidth, dialogHeight);
    // Style sheets paint a plain QWidget's background only with this set.
    widget->setAttribute(Qt::WA_StyledBackground);

    labelTitle = makeLabel(widget, "label", res.labelTitle);
    labelTitle->setText(tr("User Login"));
    labelTitle->setGeometry(16, 6, 300, 22);

    label_3 = makeLabel(widget, "label_3", res.labelWhite);
    label_3->setText(tr("Email"));
    label_3->setGeometry(40, 66, 80, 26);
    lineEditEmail = new QLineEdit(widget);
    lineEditEmail->setObjectName(QStringLiteral("lineEditEmail"));
    lineEditEmail->setGeometry(120, 66, 250, 26);
    lineEditEmail->setAccessibleName(label_3->text());
    label_3->setBuddy(lineEditEmail);

    label_4 = makeLabel(widget, "label_4", res.labelWhite);
    label_4->setText(tr("Password"));
    label_4->setGeometry(40, 106, 80, 26);
    lineEditPassword = new QLineEdit(widget);
    lineEditPassword->setObjectName(QStringLiteral("lineEditPassword"));
    lineEditPassword->setEchoMode(QLineEdit::Password);
    lineEditPassword->setGeometry(120, 106, 250, 26);
    lineEditPassword->setAccessibleName(label_4->text());
    label_4->setBuddy(lineEditPassword);

    checkBoxKeep = new QCheckBox(tr("Remember Me"), widget);
    checkBoxKeep->setObjectName(QStringLiteral("checkBoxKeep"));
    checkBoxKeep->setStyleSheet(QString::fromLatin1(checkBoxStyle));
    checkBoxKeep->setGeometry(120, 144, 130, 22);
    checkBoxKeep->setAccessibleName(checkBoxKeep->text());

    label_6 = makeLink(widget, "label_6");
    label_6->setGeometry(262, 144, 56, 22);
    label_6->setAccessibleName(tr("Register"));
    label_5 = makeLink(widget, "label_5");
    label_5->setGeometry(322, 144, 50, 22);
    label_5->setAccessibleName(tr("Forgot?"));

    label_MSG = makeLabel(widget, "label_MSG", QString::fromLatin1(messageStyle));
    label_MSG->setWordWrap(true);
    label_MSG->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label_MSG->setGeometry(40, 176, 340, 48);

    pushButtonLogin = new QPushButton(tr("Login"), widget);
    pushButtonLogin->setObjectName(QStringLiteral("pushButtonLogin"));
    pushButtonLogin->setGeometry(120, 244, 100, 30);
    pushButtonLogin->setDefault(true);
    pushButtonLogin->setAccessibleName(pushButtonLogin->text());
    pushButtonCancel = new QPushButton(tr("Cancel"), widget);
    pushButtonCancel->setObjectName(QStringLiteral("pushButtonCancel"));
    pushButtonCancel->setGeometry(240, 244, 100, 30);
    pushButtonCancel->setAccessibleName(pushButtonCancel->text());
    for (QPushButton* b : {pushButtonLogin, pushButtonCancel}) {
        b->setStyleSheet(QString::fromLatin1(buttonStyle));
        // Return always signs in: a button that once had the focus must not
        // stay the default (on X11 Return then pressed Cancel after an error).
        b->setAutoDefault(false);
    }

    setTabOrder(lineEditEmail, lineEditPassword);
    setTabOrder(lineEditPassword, checkBoxKeep);
    setTabOrder(checkBoxKeep, pushButtonLogin);
    setTabOrder(pushButtonLogin, pushButtonCancel);

    connect(pushButtonLogin, &QPushButton::clicked, this, &qLogin::onLoginButtonClicked);
    connect(pushButtonCancel, &QPushButton::clicked, this, &qLogin::reject);
    connect(lineEditEmail, &QLineEdit::textChanged, this, &qLogin::EditValueChanged);
    connect(lineEditPassword, &QLineEdit::textChanged, this, &qLogin::EditValueChanged);
    connect(label_6, &QLabel::linkActivated, this, &qLogin::onLinkActivated);
    connect(label_5, &QLabel::linkActivated, this, &qLogin::onLinkActivated);
}

void qLogin::connectService()
{
    if (!m_service)
        return;
    connect(m_service, &LoginService::signal_showLoginDlg, this, &qLogin::showLoginDlg);
    connect(m_service, &LoginService::showError, this, &qLogin::showErrorMsg);
    connect(m_service, &LoginService::signal_LoginOK, this, &qLogin::onLoginOK);
}

void qLogin::setInputsEnabled(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{lineEditEmail, lineEditPassword, checkBoxKeep, pushButtonLogin})
        w->setEnabled(on);
}

void qLogin::refreshLinks()
{
    const QString reg = appModel().value("reg_server_url");
    const QString forgot = appModel().value("forget_password_url");
    label_6->setText(loginLinkHtml(reg, tr("Register")));
    label_6->setToolTip(loginLinkToolTip(reg));
    label_5->setText(loginLinkHtml(forgot, tr("Forgot?")));
    label_5->setToolTip(loginLinkToolTip(forgot));
}

void qLogin::onLoginButtonClicked()
{
    if (!m_service)
        return;
    const QString email = lineEditEmail->text();
    const QString password = lineEditPassword->text();
    if (email.isEmpty()) {
        label_MSG->setText(tr("Please input your E-mail!"));
        lineEditEmail->setFocus();
        return;
    }
    if (password.isEmpty()) {
        label_MSG->setText(tr("Please input your password!"));
        lineEditPassword->setFocus();
        return;
    }
    setInputsEnabled(false);
    m_service->setRemember(checkBoxKeep->isChecked());
    // Hidden before sending: a request that fails at once reopens the dialog
    // from inside submit(), and must not be hidden again afterwards.
    hide();
    m_service->submit(email, password);
}

void qLogin::EditValueChanged(QString)
{
    label_MSG->clear();
}

void qLogin::reject()
{
    if (m_service)
        m_service->cancel();
    QDialog::reject();
}

void qLogin::prepare()
{
    label_MSG->clear();
    lineEditPassword->clear();
    if (lineEditEmail->text().isEmpty())
        lineEditEmail->setText(LoginService::rememberedEmail());
    setInputsEnabled(true);
    refreshLinks();
}

void qLogin::present()
{
    // A window shown anew is already on top; one that stayed up is raised.
    const bool wasVisible = isVisible();
    show();
    if (wasVisible)
        raise();
    activateWindow();
    // Focus is set once shown: a hidden window's focus request is not kept by
    // every platform.
    if (lineEditEmail->text().isEmpty())
        lineEditEmail->setFocus();
    else
        lineEditPassword->setFocus();
}

void qLogin::showLoginDlg()
{
    prepare();
    present();
}

void qLogin::showErrorMsg(QString& strMsg)
{
    prepare();
    label_MSG->setText(tr("Error:") + strMsg);
    present();
}

void qLogin::onLoginOK()
{
    // A silent login may succeed while the dialog is up.
    if (m_service)
        checkBoxKeep->setChecked(m_service->remember());
    setInputsEnabled(true);
    hide();
}

void qLogin::onLinkActivated(const QString& link)
{
    const QUrl url(link, QUrl::StrictMode);
    if (!isOpenableLink(url)) {
        logStdout("qLogin: link not opened: %s\n", link.toUtf8().constData());
        return;
    }
    if (linkOpener)
        linkOpener(url);
}

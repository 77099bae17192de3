#pragma once
// The login dialog: asks for the account's e-mail and password, hands them to
// the sign-in service and hides while the request runs. The service brings it
// back: when there is nothing remembered to sign in with, and with the red
// message after every failure.
#include "online/LoginService.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class qLogin : public QDialog {
    Q_OBJECT
public:
    explicit qLogin(LoginService* service, QWidget* parent = nullptr);

    // Opens a link the user activated; the desktop browser by default. Only
    // http and https links ever reach it.
    using LinkOpener = std::function<void(const QUrl&)>;
    void setLinkOpener(LinkOpener opener) { linkOpener = std::move(opener); }

    LoginService* service() const { return m_service; }

public slots:
    void onLoginButtonClicked();
    void EditValueChanged(QString);
    void reject() override;
    void showLoginDlg();
    void showErrorMsg(QString& strMsg);

private slots:
    void onLinkActivated(const QString& link);
    void onLoginOK();

private:
    void buildUi();
    void connectService();
    // Everything showLoginDlg and showErrorMsg share, up to the message.
    void prepare();
    void present();
    void setInputsEnabled(bool on);
    void refreshLinks();

    QPointer<LoginService> m_service;
    LinkOpener linkOpener;

    QWidget* widget = nullptr;
    QLabel* labelTitle = nullptr;
    QLabel* label_3 = nullptr;
    QLabel* label_4 = nullptr;
    QLineEdit* lineEditEmail = nullptr;
    QLineEdit* lineEditPassword = nullptr;
    QCheckBox* checkBoxKeep = nullptr;
    QLabel* label_6 = nullptr; // register
    QLabel* label_5 = nullptr; // forgotten password
    QLabel* label_MSG = nullptr;
    QPushButton* pushButtonLogin = nullptr;
    QPushButton* pushButtonCancel = nullptr;
};

#pragma once
// Asks for the user name and password of a debug firmware check.
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

class qDebugModeCheckDlg : public QDialog {
    Q_OBJECT
public:
    explicit qDebugModeCheckDlg(QWidget* parent = nullptr);

    QString userName() const { return m_user; }
    QString password() const { return m_password; }

public slots:
    void onOK();
    void onCancel();

private:
    QLineEdit* lineEditUsername;
    QLineEdit* lineEditPassword;
    QLabel* label_tips;
    QPushButton* pushButtonOK;
    QPushButton* pushButtonCancel;
    QString m_user;
    QString m_password;
};

#include "upgrade/updater/qDebugModeCheckDlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

qDebugModeCheckDlg::qDebugModeCheckDlg(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    lineEditUsername = new QLineEdit(this);
    lineEditUsername->setObjectName(QStringLiteral("lineEditUsername"));
    lineEditUsername->setAccessibleName(tr("Username"));
    lineEditPassword = new QLineEdit(this);
    lineEditPassword->setObjectName(QStringLiteral("lineEditPassword"));
    lineEditPassword->setAccessibleName(tr("Password"));
    lineEditPassword->setEchoMode(QLineEdit::Password);
    lineEditPassword->setMinimumWidth(170);
    label_tips = new QLabel(this);
    label_tips->setObjectName(QStringLiteral("label_tips"));
    label_tips->setTextFormat(Qt::PlainText);
    label_tips->setStyleSheet(QStringLiteral("#label_tips {font:bold 12px \"Arial\";color:rgb(222,10,12);}"));
    pushButtonOK = new QPushButton(tr("OK"), this);
    pushButtonOK->setObjectName(QStringLiteral("pushButtonOK"));
    pushButtonOK->setAccessibleName(pushButtonOK->text());
    pushButtonOK->setDefault(true);
    pushButtonCancel = new QPushButton(tr("Cancel"), this);
    pushButtonCancel->setObjectName(QStringLiteral("pushButtonCancel"));
    pushButtonCancel->setAccessibleName(pushButtonCancel->text());
    // Return is always OK, whichever button had the focus before.
    pushButtonOK->setAutoDefault(false);
    pushButtonCancel->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->addRow(tr("Username"), lineEditUsername);
    form->addRow(tr("Password"), lineEditPassword);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(pushButtonOK);
    buttons->addWidget(pushButtonCancel);
    auto* box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addWidget(label_tips);
    box->addLayout(buttons);

    connect(pushButtonOK, &QPushButton::clicked, this, &qDebugModeCheckDlg::onOK);
    connect(pushButtonCancel, &QPushButton::clicked, this, &qDebugModeCheckDlg::onCancel);
}

void qDebugModeCheckDlg::onOK()
{
    m_user = lineEditUsername->text();
    m_password = lineEditPassword->text();
    if (m_user.isEmpty()) {
        label_tips->setText(tr("User name can not be null"));
        lineEditUsername->setFocus();
        return;
    }
    if (m_password.isEmpty()) {
        label_tips->setText(tr("Password can not be null"));
        lineEditPassword->setFocus();
        return;
    }
    accept();
}

void qDebugModeCheckDlg::onCancel()
{
    reject();
}

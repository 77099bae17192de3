#include "upgrade/pages/InternalPageUi.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kzo::upgrade {

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(text);
    return b;
}

QString tr(const char* text) { return QCoreApplication::translate("qInternalPage", text); }

} // namespace

void InternalPageUi::setupUi(QWidget* page)
{
    auto* outer = new QVBoxLayout(page);

    auto* files = new QGroupBox(tr("Upgrade from a file"), page);
    auto* fileGrid = new QGridLayout(files);
    BTN_UPGRADE = button(files, "BTN_UPGRADE", tr("Upgrade (MC)"));
    BTN_GIMBAL = button(files, "BTN_GIMBAL", tr("Upgrade (Gimbal)"));
    BTN_CMU = button(files, "BTN_CMU", tr("Upgrade (CMU)"));
    BTN_PITCH = button(files, "BTN_PITCH", tr("Upgrade (PITCH)"));
    BTN_ROLL = button(files, "BTN_ROLL", tr("Upgrade (ROLL)"));
    BTN_YAW = button(files, "BTN_YAW", tr("Upgrade (YAW)"));
    const std::array<QPushButton*, 6> fileButtons = {BTN_UPGRADE, BTN_GIMBAL, BTN_CMU, BTN_PITCH, BTN_ROLL, BTN_YAW};
    for (int i = 0; i < 6; ++i)
        fileGrid->addWidget(fileButtons[static_cast<size_t>(i)], i / 3, i % 3);
    progressBar = new QProgressBar(files);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setRange(0, 100);
    progressBar->hide();
    fileGrid->addWidget(progressBar, 2, 0, 1, 3);
    outer->addWidget(files);

    auto* raw = new QGroupBox(tr("Commands"), page);
    auto* rawGrid = new QGridLayout(raw);
    const char* names[] = {"BTN_A", "BTN_B", "BTN_C", "BTN_D", "BTN_E", "BTN_F", "BTN_G", "BTN_H"};
    for (int i = 0; i < 8; ++i) {
        auto* b = button(raw, names[i], QString(QChar('A' + i)));
        b->setAccessibleName(tr("Command %1").arg(QChar('A' + i)));
        testButtons[static_cast<size_t>(i)] = b;
        rawGrid->addWidget(b, 0, i);
    }
    auto* idLabel = new QLabel(tr("Command id (hex):"), raw);
    lineEdit_ID = new QLineEdit(raw);
    lineEdit_ID->setObjectName(QStringLiteral("lineEdit_ID"));
    lineEdit_ID->setAccessibleName(tr("Command id"));
    lineEdit_ID->setPlaceholderText(QStringLiteral("02C0"));
    idLabel->setBuddy(lineEdit_ID);
    BTN_WRITE = button(raw, "BTN_WRITE", tr("Write"));
    rawGrid->addWidget(idLabel, 1, 0, 1, 2);
    rawGrid->addWidget(lineEdit_ID, 1, 2, 1, 3);
    rawGrid->addWidget(BTN_WRITE, 1, 5);
    BTN_DUMP = button(raw, "BTN_DUMP", tr("dump"));
    rawGrid->addWidget(BTN_DUMP, 2, 0);
    outer->addWidget(raw);

    auto* last = new QHBoxLayout();
    last->addWidget(new QLabel(tr("Last command id:"), page));
    label_ID = new QLabel(QStringLiteral("----"), page);
    label_ID->setObjectName(QStringLiteral("label_ID"));
    last->addWidget(label_ID, 1);
    outer->addLayout(last);
    outer->addStretch(1);
}

} // namespace kzo::upgrade

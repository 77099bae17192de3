#include "pages/qTxCaliUi.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kzo::pages {

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& label)
{
    auto* b = new QPushButton(label, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(b->text());
    b->setMinimumSize(110, 30);
    return b;
}

QLabel* messageLabel(QWidget* parent, const char* name)
{
    auto* l = new QLabel(QStringLiteral("--"), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setMinimumHeight(48);
    return l;
}

} // namespace

void TxCaliUi::setupUi(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);

    calibration_help = new QGroupBox(QCoreApplication::translate("qTxCali", "Rotating Calibration"), page);
    calibration_help->setObjectName(QStringLiteral("calibration_help"));
    auto* rotate = new QVBoxLayout(calibration_help);
    label_message = messageLabel(calibration_help, "label_message");
    pushButton = button(calibration_help, "pushButton", QCoreApplication::translate("qTxCali", "Start Cali"));
    rotate->addWidget(label_message);
    rotate->addWidget(pushButton, 0, Qt::AlignHCenter);
    layout->addWidget(calibration_help);

    range_record = new QGroupBox(QCoreApplication::translate("qTxCali", "Range Record"), page);
    range_record->setObjectName(QStringLiteral("range_record"));
    auto* range = new QVBoxLayout(range_record);
    // Tilt up above Tilt down in the middle, Roll left and Roll right beside them.
    auto* grid = new QGridLayout;
    pushButton_1 = button(range_record, "pushButton_1", QCoreApplication::translate("qTxCali", "Tilt up"));
    pushButton_2 = button(range_record, "pushButton_2", QCoreApplication::translate("qTxCali", "Tilt down"));
    pushButton_3 = button(range_record, "pushButton_3", QCoreApplication::translate("qTxCali", "Roll left"));
    pushButton_4 = button(range_record, "pushButton_4", QCoreApplication::translate("qTxCali", "Roll right"));
    grid->addWidget(pushButton_1, 0, 1);
    grid->addWidget(pushButton_3, 1, 0);
    grid->addWidget(pushButton_4, 1, 2);
    grid->addWidget(pushButton_2, 2, 1);
    auto* centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addLayout(grid);
    centred->addStretch(1);
    range->addLayout(centred);
    label_RangeTip = messageLabel(range_record, "label_RangeTip");
    range->addWidget(label_RangeTip);
    layout->addWidget(range_record);
    layout->addStretch(1);
}

} // namespace kzo::pages

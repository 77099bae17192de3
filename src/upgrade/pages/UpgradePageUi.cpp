#include "upgrade/pages/UpgradePageUi.h"

#include "upgrade/pages/LinkButton.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kzo::upgrade {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("qUpgradePage", text); }

QLabel* valueLabel(QWidget* parent, const QString& objectName)
{
    auto* l = new QLabel(QStringLiteral("---"), parent);
    l->setObjectName(objectName);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

void UpgradePageUi::setupUi(QWidget* page)
{
    auto* outer = new QVBoxLayout(page);

    tabWidget_Upgrade = new QTabWidget(page);
    tabWidget_Upgrade->setObjectName(QStringLiteral("tabWidget_Upgrade"));
    // Switched by the change-tab button only.
    tabWidget_Upgrade->tabBar()->hide();
    tabWidget_Upgrade->setStyleSheet(QStringLiteral("QTabWidget::pane{border:0px;}"));

    tab_Basic = new QWidget();
    tab_Basic->setObjectName(QStringLiteral("tab_Basic"));
    auto* grid = new QGridLayout(tab_Basic);
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(10);
    const char* headerTexts[] = {"Loader", "Hardware ID", "Firmware", "Upgrade"};
    for (int c = 0; c < 4; ++c) {
        headers[static_cast<size_t>(c)] = new QLabel(tr(headerTexts[c]), tab_Basic);
        headers[static_cast<size_t>(c)]->setStyleSheet(QStringLiteral("QLabel {font:bold 12px \"Arial\";}"));
        grid->addWidget(headers[static_cast<size_t>(c)], 0, c + 1);
    }
    for (size_t i = 0; i < moduleRows.size(); ++i) {
        const ModuleRow& m = moduleRows[i];
        const QString n = QString::fromLatin1(m.name);
        UpgradeRowWidgets& r = rows[i];
        r.name = new QLabel(moduleDisplayName(m.module), tab_Basic);
        r.name->setObjectName(QStringLiteral("label_") + n);
        r.loader = valueLabel(tab_Basic, n + QStringLiteral("_loader_version"));
        r.hardware = valueLabel(tab_Basic, n + QStringLiteral("_HW_ID"));
        r.firmware = valueLabel(tab_Basic, n + QStringLiteral("_fw_version"));
        r.button = new LinkButton(tab_Basic);
        r.button->setObjectName(QString::fromLatin1(m.button));
        r.button->setText(tr("No updates"));
        r.button->setAccessibleName(moduleDisplayName(m.module) + QStringLiteral(": ") + r.button->text());
        const int gridRow = static_cast<int>(i) + 1;
        grid->addWidget(r.name, gridRow, 0);
        grid->addWidget(r.loader, gridRow, 1);
        grid->addWidget(r.hardware, gridRow, 2);
        grid->addWidget(r.firmware, gridRow, 3);
        grid->addWidget(r.button, gridRow, 4, Qt::AlignLeft);
    }
    grid->setColumnStretch(5, 1);
    grid->setRowStretch(static_cast<int>(moduleRows.size()) + 1, 1);
    tabWidget_Upgrade->addTab(tab_Basic, tr("Basic"));

    tab_Advance = new QWidget();
    tab_Advance->setObjectName(QStringLiteral("tab_Advance"));
    auto* advance = new QVBoxLayout(tab_Advance);
    auto* note = new QLabel(tr("Press a module's update link to open the firmware upgrade for it. "
                               "Sign in first: the update server offers firmware to signed-in users only. "
                               "Keep the device powered and connected until the upgrade reports its result, "
                               "then power cycle the device."),
                            tab_Advance);
    note->setObjectName(QStringLiteral("label_advance"));
    note->setWordWrap(true);
    advance->addWidget(note);
    advance->addStretch(1);
    tabWidget_Upgrade->addTab(tab_Advance, tr("Advance"));
    outer->addWidget(tabWidget_Upgrade, 1);

    auto* bottom = new QHBoxLayout();
    label_tip = new QLabel(page);
    label_tip->setObjectName(QStringLiteral("label_tip"));
    label_tip->setStyleSheet(QStringLiteral("QLabel {font:bold 12px \"Arial\";color:red}"));
    label_tip->hide();
    bottom->addWidget(label_tip, 1);
    pushButtonChangeTab = new QPushButton(tr("Advance"), page);
    pushButtonChangeTab->setObjectName(QStringLiteral("pushButtonChangeTab"));
    pushButtonChangeTab->setAccessibleName(pushButtonChangeTab->text());
    bottom->addWidget(pushButtonChangeTab, 0, Qt::AlignRight);
    outer->addLayout(bottom);
}

UpgradeRowWidgets* UpgradePageUi::row(int module)
{
    const int i = rowIndexOf(module);
    return i < 0 ? nullptr : &rows[static_cast<size_t>(i)];
}

} // namespace kzo::upgrade

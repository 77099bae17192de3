#include "pages/qToolsPageUi.h"

#include "pages/PageControls.h"

#include "app/config/GlobalCfg.h"
#include "widgets/Plotter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kzo::pages {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("qToolsPage", text); }

constexpr int fieldWidth = 72;
constexpr int buttonWidth = pageButtonWidth;

const char* const captionStyle = captionLabelStyle;
const char* const valueStyle = valueLabelStyle;
const char* const stateStyle = "QLabel {font:bold 13px \"Arial\";color: rgb(11, 163, 212)}";
const char* const tipStyle = tipLabelStyle;

QLabel* label(QWidget* parent, const QString& name, const QString& text, const char* style = captionStyle)
{
    return styledLabel(parent, name, text, style);
}

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    return namedButton(parent, name, text, buttonWidth);
}

QGroupBox* box(QWidget* parent, const char* name, const QString& title)
{
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QString::fromLatin1(name));
    return g;
}

QLineEdit* field(QWidget* parent, const char* name, const QString& accessible)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setAlignment(Qt::AlignRight);
    e->setFixedWidth(fieldWidth);
    e->setAccessibleName(accessible);
    return e;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& text)
{
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setAccessibleName(text);
    return c;
}

} // namespace

std::array<QWidget*, 3> ToolsPageUi::calibrationControls() const
{
    return {pushButtonCheck, pushButtonCali, pushButtonCaliAdvanced};
}

void ToolsPageUi::setupUi(QWidget* page)
{
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(16, 12, 16, 10);
    outer->setSpacing(8);

    tabWidget = new QTabWidget(page);
    tabWidget->setObjectName(QStringLiteral("tabWidget"));
    tabWidget->setAccessibleName(tr("Tools"));
    outer->addWidget(tabWidget, 1);

    // ---- IMU Calibration ----------------------------------------------------
    auto* caliPage = new QWidget;
    caliPage->setObjectName(QStringLiteral("tab_cali"));
    auto* caliRow = new QHBoxLayout(caliPage);
    caliRow->setContentsMargins(10, 10, 10, 10);
    caliRow->setSpacing(12);

    groupBox_Imu = box(caliPage, "groupBox_Imu", tr("IMU Calibration"));
    auto* imu = new QGridLayout(groupBox_Imu);
    imu->setContentsMargins(14, 14, 14, 12);
    imu->setHorizontalSpacing(10);
    imu->setVerticalSpacing(10);
    const QStringList heads{tr("X"), tr("Y"), tr("Z"), tr("Mod")};
    for (int c = 0; c < heads.size(); ++c) {
        QLabel* h = label(groupBox_Imu, QStringLiteral("label_head_%1").arg(c), heads[c]);
        h->setAlignment(Qt::AlignCenter);
        imu->addWidget(h, 0, c + 1);
    }
    struct Row {
        const char* caption;
        std::array<QLineEdit**, 4> edits;
        std::array<const char*, 4> names;
    };
    const std::array<Row, 3> rows{{
        {"Gyroscope(degree/s)", {&lineEdit_GX, &lineEdit_GY, &lineEdit_GZ, &lineEdit_G_MOD},
         {"lineEdit_GX", "lineEdit_GY", "lineEdit_GZ", "lineEdit_G_MOD"}},
        {"Acceleration(g)", {&lineEdit_AX, &lineEdit_AY, &lineEdit_AZ, &lineEdit_A_MOD},
         {"lineEdit_AX", "lineEdit_AY", "lineEdit_AZ", "lineEdit_A_MOD"}},
        {"Compass(raw)", {&lineEdit_CX, &lineEdit_CY, &lineEdit_CZ, &lineEdit_C_MOD},
         {"lineEdit_CX", "lineEdit_CY", "lineEdit_CZ", "lineEdit_C_MOD"}},
    }};
    for (int r = 0; r < 3; ++r) {
        const QString caption = tr(rows[r].caption);
        imu->addWidget(label(groupBox_Imu, QStringLiteral("label_row_%1").arg(r), caption), r + 1, 0);
        for (int c = 0; c < 4; ++c) {
            *rows[r].edits[c] = field(groupBox_Imu, rows[r].names[c], caption + QLatin1Char(' ') + heads[c]);
            imu->addWidget(*rows[r].edits[c], r + 1, c + 1);
        }
    }
    pushButtonCheck = button(groupBox_Imu, "pushButtonCheck", tr("Check IMU Status"));
    imu->addWidget(pushButtonCheck, 4, 0);
    auto* stateRow = new QHBoxLayout;
    label_status = label(groupBox_Imu, QStringLiteral("label_status"), tr("Status:"));
    label_state = label(groupBox_Imu, QStringLiteral("label_state"), QStringLiteral("--"), stateStyle);
    stateRow->addWidget(label_status);
    stateRow->addWidget(label_state, 1);
    imu->addLayout(stateRow, 4, 1, 1, 4);
    pushButtonCali = button(groupBox_Imu, "pushButtonCali", tr("Basic Cali"));
    pushButtonCaliAdvanced = button(groupBox_Imu, "pushButtonCaliAdvanced", tr("Advanced Cali"));
    imu->addWidget(pushButtonCali, 5, 0);
    imu->addWidget(pushButtonCaliAdvanced, 5, 1, 1, 2);
    progressBar = new QProgressBar(groupBox_Imu);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setAccessibleName(tr("Calibration progress"));
    imu->addWidget(progressBar, 6, 0, 1, 5);
    imu->setRowStretch(7, 1);
    caliRow->addWidget(groupBox_Imu, 3);

    groupBox_Info = box(caliPage, "groupBox_Info", tr("info"));
    auto* info = new QGridLayout(groupBox_Info);
    info->setContentsMargins(12, 14, 12, 12);
    info->setHorizontalSpacing(8);
    info->setVerticalSpacing(6);
    int row = 0;
    auto addValue = [&](QGridLayout* grid, QWidget* parent, const char* caption, const QString& name) {
        grid->addWidget(label(parent, name + QStringLiteral("_caption"), tr(caption)), row, 0);
        QLabel* v = label(parent, name, QStringLiteral("--"), valueStyle);
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        v->setMinimumWidth(60);
        grid->addWidget(v, row, 1);
        ++row;
        return v;
    };
    label_sensor = addValue(info, groupBox_Info, "sensor:", QStringLiteral("label_sensor"));
    label_press = addValue(info, groupBox_Info, "press:", QStringLiteral("label_press"));
    const std::array<const char*, 3> origCaptions{"orig0:", "orig1:", "orig2:"};
    const std::array<const char*, 3> caliCaptions{"cali0:", "cali1:", "cali2:"};
    for (int i = 0; i < 3; ++i) {
        label_orig[i] = addValue(info, groupBox_Info, origCaptions[i], QStringLiteral("label_orig%1").arg(i));
        label_cali[i] = addValue(info, groupBox_Info, caliCaptions[i], QStringLiteral("label_cali%1").arg(i));
    }
    attitude = new QWidget(groupBox_Info);
    attitude->setObjectName(QStringLiteral("attitude"));
    auto* att = new QGridLayout(attitude);
    att->setContentsMargins(0, 0, 0, 0);
    att->setHorizontalSpacing(8);
    att->setVerticalSpacing(6);
    const int infoRows = row;
    row = 0;
    label_pitch = addValue(att, attitude, "pitch:", QStringLiteral("label_pitch"));
    label_roll = addValue(att, attitude, "roll:", QStringLiteral("label_roll"));
    label_yaw = addValue(att, attitude, "yaw:", QStringLiteral("label_yaw"));
    info->addWidget(attitude, infoRows, 0, 1, 2);
    attitude->setVisible(debugMode);
    pushButtonPlot = button(groupBox_Info, "pushButtonPlot", tr("plot"));
    info->addWidget(pushButtonPlot, infoRows + 1, 0, 1, 2);
    info->setRowStretch(infoRows + 2, 1);
    caliRow->addWidget(groupBox_Info, 1);

    tabWidget->addTab(caliPage, tr("IMU Calibration"));

    // ---- General ------------------------------------------------------------------
    auto* generalPage = new QWidget;
    generalPage->setObjectName(QStringLiteral("tab_general"));
    auto* general = new QGridLayout(generalPage);
    general->setContentsMargins(10, 10, 10, 10);
    general->setHorizontalSpacing(12);
    general->setVerticalSpacing(12);

    groupBox_Language = box(generalPage, "groupBox_Language", QStringLiteral("Language(语言)"));
    auto* lang = new QHBoxLayout(groupBox_Language);
    comboBoxLanguage = new QComboBox(groupBox_Language);
    comboBoxLanguage->setObjectName(QStringLiteral("comboBoxLanguage"));
    comboBoxLanguage->addItem(QStringLiteral("简体中文"));
    comboBoxLanguage->addItem(QStringLiteral("English"));
    comboBoxLanguage->setAccessibleName(QStringLiteral("Language(语言)"));
    lang->addWidget(comboBoxLanguage);
    lang->addStretch(1);
    general->addWidget(groupBox_Language, 0, 0);

    groupBox_Operate = box(generalPage, "groupBox_Operate", tr("Operate"));
    auto* operate = new QVBoxLayout(groupBox_Operate);
    operate->setSpacing(8);
    pushButtonExport = button(groupBox_Operate, "pushButtonExport", tr("Export Parameters"));
    pushButtonImport = button(groupBox_Operate, "pushButtonImport", tr("Import Parameters"));
    pushButtonReset = button(groupBox_Operate, "pushButtonReset", tr("Restore default settings"));
    operate->addWidget(pushButtonExport);
    operate->addWidget(pushButtonImport);
    operate->addWidget(pushButtonReset);
    general->addWidget(groupBox_Operate, 1, 0, 2, 1);

    groupBox_Habits = box(generalPage, "groupBox_Habits", tr("Flight habits"));
    auto* habits = new QHBoxLayout(groupBox_Habits);
    checkBox_Novice = check(groupBox_Habits, "checkBox_Novice", tr("Novice"));
    checkBox_Normal = check(groupBox_Habits, "checkBox_Normal", tr("Normal"));
    habits->addWidget(checkBox_Novice);
    habits->addWidget(checkBox_Normal);
    habits->addStretch(1);
    general->addWidget(groupBox_Habits, 0, 1);

    groupBox_Log = box(generalPage, "groupBox_Log", tr("Flight log"));
    auto* log = new QHBoxLayout(groupBox_Log);
    pushButtonReadLog = button(groupBox_Log, "pushButtonReadLog", tr("ReadLog"));
    log->addWidget(pushButtonReadLog);
    log->addStretch(1);
    general->addWidget(groupBox_Log, 1, 1);
    general->setRowStretch(3, 1);
    general->setColumnStretch(0, 1);
    general->setColumnStretch(1, 1);

    tabWidget->addTab(generalPage, tr("General"));

    // ---- below the tabs ------------------------------------------------------------
    auto* bottom = new QHBoxLayout;
    label_tip = label(page, QStringLiteral("label_tip"), QString(), tipStyle);
    label_onlinehelp = onlineHelpLabel(page, tr("OnLine Help"));
    bottom->addWidget(label_tip, 1);
    bottom->addWidget(label_onlinehelp);
    outer->addLayout(bottom);
}

void ToolsPlotUi::setupUi(QWidget* window)
{
    window->setObjectName(QStringLiteral("toolsPlotWindow"));
    window->setWindowTitle(tr("plot"));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(6, 6, 6, 6);
    plotter = new Plotter(window);
    plotter->setObjectName(QStringLiteral("plotter"));
    plotter->setAccessibleName(tr("Sensor plot"));
    plotter->zoomInButton()->setAccessibleName(tr("Zoom in"));
    plotter->zoomOutButton()->setAccessibleName(tr("Zoom out"));
    plotter->pauseButton()->setAccessibleName(tr("Pause"));
    legend = new QLabel(tr("orig0:red, cali0:darkRed, orig1:green, cali1:darkGreen, orig2:yellow, cali2:darkYellow"),
                        window);
    legend->setObjectName(QStringLiteral("legend"));
    layout->addWidget(plotter, 1);
    layout->addWidget(legend);
    window->resize(640, 420);
}

} // namespace kzo::pages

#include "pages/qMainPageUi.h"

#include "pages/PageControls.h"

#include "widgets/KzoSpinBox.h"
#include "widgets/SliderStyle.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <climits>
#include <string>

namespace kzo::pages {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("qMainPage", text); }

// Channel bars reach past the sticks' +-1000 so an overshoot stays visible.
constexpr int channelBarRange = 1500;
constexpr int valueWidth = 110;
constexpr int gainWidth = 70;

QGroupBox* group(QWidget* parent, const char* name, const QString& title, const char* help)
{
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setWhatsThis(QString::fromLatin1(help));
    return g;
}

QGridLayout* grid(QGroupBox* g)
{
    auto* l = new QGridLayout(g);
    l->setContentsMargins(10, 8, 10, 8);
    l->setHorizontalSpacing(8);
    l->setVerticalSpacing(6);
    return l;
}

QLabel* caption(QWidget* parent, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setProperty("role", QStringLiteral("caption"));
    return l;
}

// A device value: fixed size, so a new text repaints the label and lays out nothing.
QLabel* value(QWidget* parent, const char* name, int width = valueWidth)
{
    auto* l = new QLabel(QStringLiteral("--"), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setProperty("role", QStringLiteral("value"));
    l->setFixedSize(width, 20);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

KzoSpinBox* gain(QWidget* parent, const char* name, const QString& accessible)
{
    auto* s = new KzoSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(0, INT_MAX);
    s->setSuffix(QStringLiteral("%"));
    s->setSpecialValueText(tr("INH"));
    s->setFixedWidth(gainWidth);
    s->setAccessibleName(accessible);
    // Nothing to edit until the device has told what it holds.
    s->setEnabled(false);
    return s;
}

QComboBox* modeBox(QWidget* parent, const QString& name)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    for (int i = 0; i < 4; ++i)
        c->addItem(QString::number(i));
    c->setAccessibleName(name);
    c->setFixedWidth(64);
    c->setEnabled(false);
    return c;
}

// "X 12cm  Y -3cm  Z 0cm" after a caption.
void locationRow(QGridLayout* l, int row, QWidget* parent, const QString& title, std::array<QLabel*, 3>& out,
                 const char* prefix)
{
    l->addWidget(caption(parent, title), row, 0);
    static const char* const axes[3] = {"X", "Y", "Z"};
    for (int i = 0; i < 3; ++i) {
        l->addWidget(caption(parent, QString::fromLatin1(axes[i])), row, 1 + 2 * i, Qt::AlignRight);
        out[i] = value(parent, (std::string(prefix) + axes[i]).c_str(), 72);
        l->addWidget(out[i], row, 2 + 2 * i);
    }
}

// A caption and, right of it, its device value.
QLabel* valueRow(QGridLayout* l, int row, QWidget* parent, const QString& title, const char* name,
                 int width = valueWidth)
{
    l->addWidget(caption(parent, title), row, 0);
    QLabel* v = value(parent, name, width);
    l->addWidget(v, row, 1);
    return v;
}

// A group of caption and value rows, the values kept next to their captions.
QGridLayout* valueGroup(QGroupBox* g)
{
    QGridLayout* l = grid(g);
    l->setColumnStretch(2, 1);
    return l;
}

// The three mode selections of a group on one row: "<prefix>1:" .. "<prefix>3:".
void modeRow(QGridLayout* l, QWidget* parent, const char* prefix, std::array<QComboBox*, 3>& out)
{
    for (int k = 0; k < 3; ++k) {
        const QString n = QString::fromLatin1(prefix) + QString::number(k + 1);
        out[k] = modeBox(parent, n);
        l->addWidget(caption(parent, n + QLatin1Char(':')), 0, 2 * k, Qt::AlignRight);
        l->addWidget(out[k], 0, 2 * k + 1);
    }
    l->setColumnStretch(6, 1);
}

void gainCell(QGridLayout* l, int row, int column, QWidget* parent, const QString& title, KzoSpinBox* box)
{
    l->addWidget(caption(parent, title), row, column, Qt::AlignRight);
    l->addWidget(box, row, column + 1);
}

} // namespace

void MainPageUi::setupUi(QWidget* page, SliderStyle* sliderStyle)
{
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(10, 8, 10, 6);
    outer->setSpacing(6);
    auto* columns = new QHBoxLayout();
    columns->setSpacing(10);
    outer->addLayout(columns, 1);

    // --- left: channel monitor and voltage ---------------------------------
    auto* left = new QVBoxLayout();
    left->setSpacing(8);
    columns->addLayout(left);

    groupChannels = group(page, "groupChannels", tr("Channel Monitor"), "channel_monitor");
    auto* ch = grid(groupChannels);
    for (int i = 0; i < 8; ++i) {
        const QString n = QString::number(i + 1);
        channelNames[i] = caption(groupChannels, QStringLiteral("CH") + n);
        auto* s = new QSlider(Qt::Horizontal, groupChannels);
        s->setObjectName(QStringLiteral("channelSlider_") + n);
        s->setStyle(sliderStyle);
        s->setRange(-channelBarRange, channelBarRange);
        s->setValue(0);
        s->setFixedSize(170, 22);
        // A display: the device moves it, the mouse and keyboard do not.
        s->setAttribute(Qt::WA_TransparentForMouseEvents);
        s->setFocusPolicy(Qt::NoFocus);
        s->setAccessibleName(tr("Channel %1").arg(n));
        channelSliders[i] = s;
        channelValues[i] = value(groupChannels, ("channelValue_" + std::to_string(i + 1)).c_str(), 44);
        channelValues[i]->setText(QStringLiteral("0"));
        channelValues[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ch->addWidget(channelNames[i], i, 0);
        ch->addWidget(s, i, 1);
        ch->addWidget(channelValues[i], i, 2);
    }
    left->addWidget(groupChannels);

    groupVoltage = group(page, "groupVoltage", tr("Voltage"), "voltage");
    auto* v = valueGroup(groupVoltage);
    protectionSwitch = valueRow(v, 0, groupVoltage, tr("Protection Switch:"), "protectionSwitch");
    currentVoltage = valueRow(v, 1, groupVoltage, tr("Current Voltage:"), "currentVoltage");
    batteryType = valueRow(v, 2, groupVoltage, tr("Battery Type:"), "batteryType");
    firstLevel = valueRow(v, 3, groupVoltage, tr("First Level Protection:"), "firstLevel");
    secondLevel = valueRow(v, 4, groupVoltage, tr("Second Level Protection:"), "secondLevel");
    left->addWidget(groupVoltage);
    left->addStretch(1);

    // --- right: basic and advanced settings --------------------------------
    tabs = new QTabWidget(page);
    tabs->setObjectName(QStringLiteral("tabs"));
    tabs->setAccessibleName(tr("Settings"));
    tabs->setDocumentMode(true);
    tabs->tabBar()->setDrawBase(false);
    columns->addWidget(tabs, 1);

    auto* basic = new QWidget();
    basic->setObjectName(QStringLiteral("basic"));
    basic->setWhatsThis(QStringLiteral("basic"));
    auto* b = new QGridLayout(basic);
    b->setContentsMargins(0, 8, 0, 0);
    b->setHorizontalSpacing(8);
    b->setVerticalSpacing(8);
    tabs->addTab(basic, tr("Basic"));

    groupMounting = group(basic, "groupMounting", tr("Mounting"), "mounting");
    auto* m = grid(groupMounting);
    m->addWidget(caption(groupMounting, tr("IMU Orientation:")), 0, 0);
    imuOrientation = value(groupMounting, "imuOrientation");
    m->addWidget(imuOrientation, 0, 1, 1, 4);
    locationRow(m, 1, groupMounting, tr("IMU Location"), imuLocation, "imuLocation");
    locationRow(m, 2, groupMounting, tr("GPS Location"), gpsLocation, "gpsLocation");
    m->setColumnStretch(7, 1);
    b->addWidget(groupMounting, 0, 0, 1, 2);

    groupGain = group(basic, "groupGain", tr("Gain"), "gain");
    auto* g = grid(groupGain);
    pitchGain = gain(groupGain, "pitchGain", tr("Pitch"));
    rollGain = gain(groupGain, "rollGain", tr("Roll"));
    yawGain = gain(groupGain, "yawGain", tr("Yaw"));
    verticalGain = gain(groupGain, "verticalGain", tr("Vertical"));
    attitudeGain = gain(groupGain, "attitudeGain", tr("Attitude"));
    // No reply carries these two: they show that nothing is known.
    yawGain->setSpecialValueText(QStringLiteral("--"));
    yawGain->setSuffix(QString());
    attitudeGain->setSpecialValueText(QStringLiteral("--"));
    attitudeGain->setSuffix(QString());
    gainCell(g, 0, 0, groupGain, tr("Pitch"), pitchGain);
    gainCell(g, 0, 2, groupGain, tr("Roll"), rollGain);
    gainCell(g, 0, 4, groupGain, tr("Yaw"), yawGain);
    gainCell(g, 1, 0, groupGain, tr("Vertical"), verticalGain);
    gainCell(g, 1, 2, groupGain, tr("Attitude"), attitudeGain);
    g->setColumnStretch(6, 1);
    b->addWidget(groupGain, 1, 0, 1, 2);

    groupAircraft = group(basic, "groupAircraft", tr("Aircraft"), "aircraft");
    auto* a = grid(groupAircraft);
    a->addWidget(caption(groupAircraft, tr("Mixer Type:")), 0, 0);
    mixerType = value(groupAircraft, "mixerType");
    a->addWidget(mixerType, 1, 0);
    mixerPicture = new QLabel(groupAircraft);
    mixerPicture->setObjectName(QStringLiteral("mixerPicture"));
    mixerPicture->setFixedSize(72, 72);
    mixerPicture->setScaledContents(true);
    a->addWidget(mixerPicture, 0, 1, 3, 1, Qt::AlignRight | Qt::AlignVCenter);
    a->setRowStretch(2, 1);
    b->addWidget(groupAircraft, 2, 0);

    groupRc = group(basic, "groupRc", tr("RC"), "rc");
    receiverType = valueRow(valueGroup(groupRc), 0, groupRc, tr("Receiver Type:"), "receiverType");
    b->addWidget(groupRc, 3, 0);

    groupMotor = group(basic, "groupMotor", tr("Motor"), "motor");
    auto* mo = valueGroup(groupMotor);
    idleSpeed = valueRow(mo, 0, groupMotor, tr("Motor Idle Speed:"), "idleSpeed");
    cutOffType = valueRow(mo, 1, groupMotor, tr("Cut Off Type:"), "cutOffType");
    b->addWidget(groupMotor, 4, 0);

    groupFailsafe = group(basic, "groupFailsafe", tr("F/S"), "failsafe");
    auto* f = grid(groupFailsafe);
    f->addWidget(caption(groupFailsafe, tr("Failsafe Methods:")), 0, 0);
    failsafeMethod = value(groupFailsafe, "failsafeMethod", 140);
    f->addWidget(failsafeMethod, 1, 0, 1, 2);
    f->addWidget(caption(groupFailsafe, tr("Go-Home Switch:")), 2, 0);
    goHomeSwitch = value(groupFailsafe, "goHomeSwitch", 60);
    f->addWidget(goHomeSwitch, 2, 1);
    f->setColumnStretch(2, 1);
    b->addWidget(groupFailsafe, 2, 1);

    groupIoc = group(basic, "groupIoc", tr("IOC"), "ioc");
    iocSwitch = valueRow(valueGroup(groupIoc), 0, groupIoc, tr("Intelligent Orientation Control:"), "iocSwitch", 60);
    b->addWidget(groupIoc, 3, 1);

    groupGimbal = group(basic, "groupGimbal", tr("Gimbal"), "gimbal");
    gimbalSwitch = valueRow(valueGroup(groupGimbal), 0, groupGimbal, tr("Gimbal Switch:"), "gimbalSwitch", 60);
    b->addWidget(groupGimbal, 4, 1);
    b->setRowStretch(5, 1);
    b->setColumnStretch(0, 1);
    b->setColumnStretch(1, 1);

    auto* advanced = new QWidget();
    advanced->setObjectName(QStringLiteral("advanced"));
    advanced->setWhatsThis(QStringLiteral("advanced"));
    auto* ad = new QVBoxLayout(advanced);
    ad->setContentsMargins(0, 8, 0, 0);
    ad->setSpacing(8);
    tabs->addTab(advanced, tr("Advanced"));

    groupJit = group(advanced, "groupJit", QStringLiteral("JIT"), "jit");
    modeRow(grid(groupJit), groupJit, "J", jitBoxes);
    ad->addWidget(groupJit);

    groupFbl = group(advanced, "groupFbl", QStringLiteral("FBL"), "fbl");
    auto* fblRows = new QVBoxLayout(groupFbl);
    fblRows->setContentsMargins(0, 0, 0, 0);
    fblRows->setSpacing(0);
    auto* fblSelect = new QGridLayout();
    fblSelect->setContentsMargins(10, 8, 10, 4);
    fblSelect->setHorizontalSpacing(8);
    modeRow(fblSelect, groupFbl, "F", fblBoxes);
    fblRows->addLayout(fblSelect);
    auto* fb = new QGridLayout();
    fb->setContentsMargins(10, 4, 10, 8);
    fb->setHorizontalSpacing(8);
    fb->setVerticalSpacing(6);
    fblRows->addLayout(fb);
    aileFbGain = gain(groupFbl, "aileFbGain", tr("Aileron Feedback"));
    elevFfGain = gain(groupFbl, "elevFfGain", tr("Elevator Feed-forward"));
    elevFbGain = gain(groupFbl, "elevFbGain", tr("Elevator Feedback"));
    const std::pair<const char*, KzoSpinBox*> fblGains[] = {
        {QT_TRANSLATE_NOOP("qMainPage", "Aileron Feedback"), aileFbGain},
        {QT_TRANSLATE_NOOP("qMainPage", "Elevator Feed-forward"), elevFfGain},
        {QT_TRANSLATE_NOOP("qMainPage", "Elevator Feedback"), elevFbGain},
    };
    int row = 0;
    for (const auto& [text, box] : fblGains) {
        fb->addWidget(caption(groupFbl, tr(text)), row, 0);
        fb->addWidget(box, row++, 1);
    }
    fb->setColumnStretch(2, 1);
    ad->addWidget(groupFbl);
    ad->addStretch(1);

    // --- bottom: the online help --------------------------------------------
    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    onlineHelp = onlineHelpLabel(page, tr("OnLine Help"));
    bottom->addWidget(onlineHelp);
    outer->addLayout(bottom);
}

} // namespace kzo::pages

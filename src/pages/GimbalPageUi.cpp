#include "pages/GimbalPageUi.h"

#include "widgets/qStatusSlider.h"
#include "widgets/CachedGroupBox.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kzo::pages {

namespace {

const QColor labelled(11, 163, 212);
const QColor plain(150, 150, 150);
const QColor centre(90, 90, 90);

// Zones of the channel sliders (channels 1-3 steer the axes: one plain zone).
QVector<qStatusSlider::Segment> zonesFor(int channel)
{
    switch (channel) {
    case 4: // MODE
        return {{-500, labelled, QCoreApplication::translate("qPageGimbal", "H.Free")}, {-250, plain, {}}, {250, centre, QCoreApplication::translate("qPageGimbal", "Reset")}, {500, plain, {}},
                {1000, labelled, QCoreApplication::translate("qPageGimbal", "H.Trace")}};
    case 5: // SHUT
    case 8: // AUX3
        return {{-500, plain, {}}, {500, centre, {}}, {1000, plain, {}}};
    case 6: // AUX1
        return {{-500, labelled, QCoreApplication::translate("qPageGimbal", "OFF")}, {500, plain, {}}, {1000, labelled, QCoreApplication::translate("qPageGimbal", "ON")}};
    case 7: // AUX2
        return {{-300, labelled, QCoreApplication::translate("qPageGimbal", "DOWNWARD")}, {300, plain, {}}, {1000, labelled, QCoreApplication::translate("qPageGimbal", "FORWARD")}};
    default:
        return {{1000, plain, {}}};
    }
}

QGroupBox* channelGroup(GimbalPageUi& ui, QWidget* page, const char* name, int first)
{
    auto* box = new CachedGroupBox(page);
    box->setObjectName(QString::fromLatin1(name));
    box->setTitle(QCoreApplication::translate("qPageGimbal", "Channel Monitor"));
    auto* rows = new QVBoxLayout(box);
    for (int i = first; i < first + 4; ++i) {
        const int n = i + 1;
        auto* row = new QWidget(box);
        row->setObjectName(QStringLiteral("channel_%1").arg(n));
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        auto* name = new QLabel(QStringLiteral("channel%1").arg(n), row);
        name->setObjectName(QStringLiteral("label_channel_%1").arg(n));
        name->setFixedWidth(70);
        auto* function = new QLabel(channelFunction(i), row);
        function->setFixedWidth(48);
        auto* slider = new qStatusSlider(row);
        slider->setObjectName(QStringLiteral("horizontalSlider_%1").arg(n));
        slider->setOrientation(Qt::Horizontal);
        slider->setRange(-1000, 1000);
        slider->setMinimumSize(360, 22);
        slider->setSegments(zonesFor(n));
        slider->updateStatus(0);
        auto* value = new QLabel(QStringLiteral("0"), row);
        value->setObjectName(QStringLiteral("label_%1").arg(n));
        // Fixed both ways: a new number repaints the label, no layout.
        value->setFixedSize(48, 22);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        line->addWidget(name);
        line->addWidget(function);
        line->addWidget(slider, 1);
        line->addWidget(value);
        rows->addWidget(row);
        ui.channelNames[i] = name;
        ui.sliders[i] = slider;
        ui.values[i] = value;
    }
    return box;
}

QGroupBox* recordGroup(QWidget* page, const char* name, const QString& title, std::array<QSpinBox*, 16>& boxes,
                       const QString& prefix)
{
    auto* box = new CachedGroupBox(title, page);
    box->setObjectName(QString::fromLatin1(name));
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QCoreApplication::translate("qPageGimbal", "Function"), box), 0, 0);
    grid->addWidget(new QLabel(QCoreApplication::translate("qPageGimbal", "Channel"), box), 0, 1);
    grid->addWidget(new QLabel(QCoreApplication::translate("qPageGimbal", "Function"), box), 0, 2);
    grid->addWidget(new QLabel(QCoreApplication::translate("qPageGimbal", "Channel"), box), 0, 3);
    for (int i = 0; i < 16; ++i) {
        auto* spin = new QSpinBox(box);
        spin->setObjectName(prefix + QString::number(i + 1));
        spin->setRange(0, 255);
        boxes[i] = spin;
        grid->addWidget(spin, 1 + i % 8, i < 8 ? 1 : 3);
        grid->addWidget(new QLabel(channelFunction(i % 8), box), 1 + i % 8, i < 8 ? 0 : 2);
    }
    return box;
}

} // namespace

QString channelFunction(int index)
{
    static const char* const names[8] = {"ROLL", "TILT", "PAN", "MODE", "SHUT", "AUX1", "AUX2", "AUX3"};
    return index >= 0 && index < 8 ? QString::fromLatin1(names[index]) : QString();
}

void GimbalPageUi::setupUi(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    groupBox_3 = channelGroup(*this, page, "groupBox_3", 0);
    groupBox_4 = channelGroup(*this, page, "groupBox_4", 4);
    layout->addWidget(groupBox_3);
    layout->addWidget(groupBox_4);

    auto* records = new QWidget(page);
    auto* recordsLayout = new QHBoxLayout(records);
    recordsLayout->setContentsMargins(0, 0, 0, 0);
    groupBox_1 = recordGroup(page, "groupBox_1", QCoreApplication::translate("qPageGimbal", "Read Data"), readBoxes, QStringLiteral("spinBox_"));
    groupBox_2 = recordGroup(page, "groupBox_2", QCoreApplication::translate("qPageGimbal", "Write Data"), writeBoxes, QStringLiteral("spinBox_w"));
    recordsLayout->addWidget(groupBox_1);
    recordsLayout->addWidget(groupBox_2);
    layout->addWidget(records);

    auto* buttons = new QHBoxLayout();
    pushReadButton = new QPushButton(QCoreApplication::translate("qPageGimbal", "Read"), page);
    pushReadButton->setObjectName(QStringLiteral("pushReadButton"));
    pushWriteButton = new QPushButton(QCoreApplication::translate("qPageGimbal", "Write"), page);
    pushWriteButton->setObjectName(QStringLiteral("pushWriteButton"));
    buttons->addStretch(1);
    buttons->addWidget(pushReadButton);
    buttons->addWidget(pushWriteButton);
    layout->addLayout(buttons);

    groupBox_5 = new CachedGroupBox(QCoreApplication::translate("qPageGimbal", "Camera Charging Set"), page);
    groupBox_5->setObjectName(QStringLiteral("groupBox_5"));
    auto* camera = new QHBoxLayout(groupBox_5);
    RB_ON = new QRadioButton(QCoreApplication::translate("qPageGimbal", "ON"), groupBox_5);
    RB_ON->setObjectName(QStringLiteral("RB_ON"));
    RB_OFF = new QRadioButton(QCoreApplication::translate("qPageGimbal", "OFF"), groupBox_5);
    RB_OFF->setObjectName(QStringLiteral("RB_OFF"));
    camera->addWidget(RB_ON);
    camera->addWidget(RB_OFF);
    layout->addWidget(groupBox_5);
    layout->addStretch(1);
}

} // namespace kzo::pages

#include "pages/qTxCali.h"

#include "app/framework/qPageTemplate.h"
#include "commands/DevCommand.h"
#include "commands/qConnector.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

qTxCali::qTxCali(QWidget* parent) : qTabPage(parent)
{
    setObjectName(QStringLiteral("qTxCali"));
    setWhatsThis(QStringLiteral("calibration"));
    setTitle(tr("Calibration"));
    ui.setupUi(this);

    timer = new QTimer(this);
    timer->setInterval(timeoutMs);
    connDelay = new QTimer(this);
    connDelay->setSingleShot(true);
    connDelay->setInterval(connDelayMs);
    connect(timer, &QTimer::timeout, this, &qTxCali::onTimeout);
    connect(connDelay, &QTimer::timeout, this, &qTxCali::onConnDelayHandle);
    for (QPushButton* b : ui.rangeButtons())
        connect(b, &QPushButton::clicked, this, &qTxCali::onButtonCaliClicked);
    connect(ui.pushButton, &QPushButton::clicked, this, &qTxCali::onCalibrationButtonClicked);
    if (qConnector* c = qConnector::instance())
        connect(c, &qConnector::connectionChanged, this, &qTxCali::onConnectionChanged);
    render();
}

bool qTxCali::wantsFrame(const uint8_t* record)
{
    status.acceptFrame(record);
    return true;
}

void qTxCali::refresh()
{
    if (const auto report = status.take())
        render(steps.report(*report));
}

void qTxCali::sendCommand(uint16_t commandId)
{
    orb::cmd_t<kzo::tagNoneParm> cmd(commandId);
    send(cmd);
}

void qTxCali::render(const char* pushedHelp)
{
    const kzo::pages::CaliView& v = steps.view();
    auto setButton = [](QPushButton* b, const char* source) {
        b->setText(tr(source));
        b->setAccessibleName(b->text());
    };
    ui.label_message->setText(tr(v.message));
    setButton(ui.pushButton, v.caliButton);
    ui.pushButton->setEnabled(v.caliEnabled);
    ui.calibration_help->setWhatsThis(QString::fromLatin1(v.caliHelp));

    ui.range_record->setEnabled(v.rangeEnabled);
    ui.range_record->setWhatsThis(QString::fromLatin1(v.rangeHelp));
    setButton(ui.pushButton_3, v.recordButton);
    const auto buttons = ui.rangeButtons();
    for (size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setEnabled(v.enabled[i]);
    for (QPushButton* b : {ui.pushButton_1, ui.pushButton_2, ui.pushButton_4})
        b->setVisible(v.stepsShown);
    ui.label_RangeTip->setText(tr(v.tip));
    ui.label_RangeTip->setVisible(v.tipShown);

    if (pushedHelp)
        pushHelp(pushedHelp);
}

void qTxCali::pushHelp(const char* name)
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* container = qobject_cast<qPageTemplate*>(w)) {
            // Shown on another tab, the topic would be looked up in that
            // page's help folder.
            if (container->currentSubPage() == this)
                container->showHtmlHelp(QString::fromLatin1(name));
            return;
        }
    }
}

void qTxCali::PageEnter()
{
    if (!timer->isActive())
        timer->start();
}

void qTxCali::PageLeave() { timer->stop(); }

void qTxCali::OnPageTick() {}

void qTxCali::onTimeout()
{
    steps.timeout();
    render();
}

void qTxCali::onButtonCaliClicked()
{
    const auto buttons = ui.rangeButtons();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (sender() == buttons[i])
            sendCommand(steps.rangeButton(static_cast<int>(i) + 1));
}

void qTxCali::onCalibrationButtonClicked() { sendCommand(steps.caliButton()); }

void qTxCali::onConnectionChanged(bool bConnected)
{
    if (!bConnected) {
        // Nothing is coming back from a device that is gone: start over now
        // rather than keep buttons disabled until it is plugged in again.
        connDelay->stop();
        steps.startOver();
        render();
        return;
    }
    connDelay->start();
    steps.connected();
    render();
}

void qTxCali::onConnDelayHandle()
{
    steps.delayedReset();
    render();
}

bool qTxCali::ticking() const { return timer->isActive(); }

bool qTxCali::resetPending() const { return connDelay->isActive(); }

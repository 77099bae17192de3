#pragma once
// Small pages for the framework tests: they count what the framework does to them.
#include "app/framework/qPageTemplate.h"

#include <QLabel>
#include <QVBoxLayout>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

namespace kzo::test {

inline constexpr uint16_t wantedId = 0x02A4;

// A frame record with only the command identifier filled in.
inline std::array<uint8_t, 40> record(uint16_t commandId)
{
    std::array<uint8_t, 40> r{};
    r[0] = 40;
    r[5] = static_cast<uint8_t>(commandId & 0xFF);
    r[6] = static_cast<uint8_t>(commandId >> 8);
    return r;
}

class CountingPage : public qPageTemplate {
    Q_OBJECT
public:
    explicit CountingPage(const QString& name, QWidget* parent = nullptr) : qPageTemplate(parent)
    {
        setTitle(name);
        setWhatsThis(name.toLower());
        auto* box = new QVBoxLayout(this);
        auto* label = new QLabel(name, this);
        label->setStyleSheet(QStringLiteral("QLabel {font:bold 13px \"Arial\";color:white}"));
        box->addWidget(label);
    }
    bool wantsFrame(const uint8_t* r) override
    {
        ++framesSeen;
        return (r[5] | (r[6] << 8)) == wantedId;
    }
    void refresh() override
    {
        ++refreshes;
        if (onRefresh)
            onRefresh();
    }
    void PageEnter() override
    {
        ++enters;
        qPageTemplate::PageEnter();
    }
    void PageLeave() override
    {
        ++leaves;
        qPageTemplate::PageLeave();
    }
    void broadcastHook1() override { ++hook1; }
    void broadcastHook2() override { ++hook2; }

    std::atomic<int> framesSeen{0};
    int refreshes = 0;
    int enters = 0;
    int leaves = 0;
    int hook1 = 0;
    int hook2 = 0;
    std::function<void()> onRefresh;
};

// A page written the way the device pages wire themselves: its own enter and
// leave signals connected to its PageEnter/PageLeave overrides.
class SelfWiredPage : public qPageTemplate {
    Q_OBJECT
public:
    explicit SelfWiredPage(QWidget* parent = nullptr) : qPageTemplate(parent)
    {
        connect(this, &qPageTemplate::signal_EnterSubPage, this, &SelfWiredPage::PageEnter);
        connect(this, &qPageTemplate::signal_LeaveSubPage, this, &SelfWiredPage::PageLeave);
    }
    void PageEnter() override
    {
        ++enters;
        qPageTemplate::PageEnter(); // calling the base as well must not loop
    }
    void PageLeave() override { ++leaves; }
    int enters = 0;
    int leaves = 0;
};

} // namespace kzo::test

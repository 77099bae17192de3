#pragma once
// A main window with the three page containers of this configuration, the
// command queue and the connection manager, all on a given device I/O.
#include "app/Language.h"
#include "app/framework/PageContainers.h"
#include "app/qMainFrame.h"
#include "commands/qAppModel.h"
#include "commands/qCmdQueue.h"
#include "commands/qConnector.h"
#include "commands/CommandCatalogue.h"
#include "link/DevIo.h"
#include "pages/AckRecords.h"
#include "support/FakeDevIo.h"

#include <memory>

namespace kzo::test {

// The state each frame test starts from: English, navigation allowed, the
// program idle and no page holding the navigation.
inline void resetFrameState()
{
    kzo::app::setCurrentLocale(QStringLiteral("en_US"));
    appModel().setValue("language", QStringLiteral("en_US"));
    qMainFrame::setNavigationAllowed(true);
    appModel().setStatus(AppIdle);
    appModel().setNavigationBusy(0);
}

// Link up and the device's answers up to its first status report, as the
// connection manager sees a gimbal come in.
inline void connectDevice(FakeDevIo& io, uint8_t status = 0, bool handshakeAnswered = true)
{
    io.dispatch(EvConnected, nullptr);
    if (handshakeAnswered)
        io.deliver(payloadRecord(orb::cmdid::HandshakeAck, {1, 0}));
    io.deliver(payloadRecord(orb::cmdid::StatusReport, {status}));
}

struct FrameFixture {
    orb::qCmdQueue queue;
    qConnector connector;
    std::unique_ptr<qMainFrame> frame;
    orb::DevIo& io;

    explicit FrameFixture(orb::DevIo& devIo) : io(devIo)
    {
        io.addListener(&connector);
        io.addListener(&queue);
        frame = std::make_unique<qMainFrame>();
        io.addListener(frame.get());
        frame->addTabPage(new qBasicPageBase());
        frame->addTabPage(new qUpgradePageBase());
        frame->addTabPage(new qInfoPageBase());
        frame->layoutPageButtons();
        frame->buildLanguageMenu();
        frame->focusPage(0);
        frame->show();
    }
    ~FrameFixture()
    {
        io.removeListener(frame.get());
        io.removeListener(&queue);
        io.removeListener(&connector);
    }
};

} // namespace kzo::test

// kzo-console: the headless developer console.
//   kzo-console [--port PATH]... [--no-udev]
// Brings up the device side of the program (device I/O, acknowledgement
// printer, connection manager, command queue, device finder) and executes
// lines read from standard input on the event-loop thread. "quit" or the end
// of input closes the port and exits with status 0.
#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "commands/qAppModel.h"
#include "commands/qCmdQueue.h"
#include "commands/qConnector.h"
#include "console/DevConsole.h"
#include "console/DevScript.h"
#include "link/DeviceFinder.h"
#include "link/FinderArgs.h"
#include "link/SimpleDevIo.h"
#include "protocol/DevAckID.h"
#include "protocol/DevModel.h"
#include "protocol/FrameCodec.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    const FinderArgs args = parseFinderArgs(argc, argv);
    if (!args.error.empty() || args.rest.size() > 1) {
        std::fprintf(stderr, "%s\nusage: kzo-console [--port PATH]... [--no-udev]\n",
            args.error.empty() ? "unexpected argument" : args.error.c_str());
        return 2;
    }

    appModel().setStatus(AppIdle);
    QCoreApplication app(argc, argv);
    GlobalCfg cfg;
    orb::qCmdQueue queue(&app);

    currentDevIo = &orb::simpleDevIo();
    appModel().setValue("series", cfg.series);
    appModel().setValue("software", cfg.software);

    qConnector connector(&app);
    orb::DevAckID ackPrinter;
    // Start-up order of the listeners; the upgrade engine joins between the
    // printer and the connector once it exists.
    currentDevIo->addListener(&ackPrinter);
    currentDevIo->addListener(&connector);
    currentDevIo->addListener(&queue);

    frameCrcSeed = cfg.crcSeed;
    frameCrcEnabled = cfg.crcEnabled;

    QObject::connect(&connector, &qConnector::connectionChanged, &app, [](bool on) {
        logTagged("Console", on ? "Device connected" : "Device disconnected");
    });

    orb::DevScript script(&orb::devModel());
    DevConsole console;
    console.setupCommands(&script, &orb::devModel());
    QObject::connect(&console, &QThread::finished, &app, &QCoreApplication::quit);

    setFinderOptions(args.options);
    setDeviceListener(currentDevIo);
    startDeviceFinder();

    console.start();
    app.exec();

    console.requestStop();
    console.wait();
    stopDeviceFinder();
    setDeviceListener(nullptr);
    currentDevIo->close();
    return 0;
}

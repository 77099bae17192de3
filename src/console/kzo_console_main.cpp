// kzo-console: the headless developer console. See --help.
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
#include <string>

namespace {

constexpr const char* usageText =
    "Usage: kzo-console [--port PATH]... [--no-udev]\n"
    "       kzo-console --help | --version\n"
    "\n"
    "Developer console over the device link. Watches the given ports (and USB\n"
    "ports unless --no-udev), opens the device when it appears and executes one\n"
    "console command per line read from standard input; \"help\" lists them.\n"
    "\"quit\" or the end of input closes the port and ends the program.\n"
    "\n"
    "Options:\n"
    "  --port PATH   Watch PATH as a device port; may be repeated (also --port=PATH).\n"
    "  --no-udev     Do not look for USB ports.\n"
    "  -h, --help    Print this text and exit; no device is opened.\n"
    "  --version     Print the version and exit.\n"
    "\n"
    "Exit status:\n"
    "  0  \"quit\", end of input, --help or --version\n"
    "  2  unknown option, unexpected argument or missing option value\n";

} // namespace

int main(int argc, char** argv)
{
    const FinderArgs args = parseFinderArgs(argc, argv);
    bool help = false;
    bool version = false;
    std::string error = args.error;
    for (size_t i = 1; i < args.rest.size(); ++i) {
        const std::string& a = args.rest[i];
        if (a == "--help" || a == "-h")
            help = true;
        else if (a == "--version")
            version = true;
        else if (error.empty())
            error = (a.rfind("-", 0) == 0 ? "unknown option " : "unexpected argument ") + a;
    }
    // Asking for help always works, whatever else is on the line.
    if (help) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (!error.empty()) {
        std::fprintf(stderr, "kzo-console: %s\n%s", error.c_str(), usageText);
        return 2;
    }
    if (version) {
        std::printf("kzo-console %s\n", KZO_VERSION);
        return 0;
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

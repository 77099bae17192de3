#include "app/Startup.h"

#include "app/AppPaths.h"
#include "app/AppSettings.h"
#include "app/ConnectWatch.h"
#include "app/Language.h"
#include "app/LanguageConfig.h"
#include "app/LinkShutdown.h"
#include "app/PageSetup.h"
#include "app/QuitOnSignal.h"
#include "app/ScreenshotOnSignal.h"
#include "app/SingleInstance.h"
#include "app/config/GlobalCfg.h"
#include "app/framework/qResources.h"
#include "app/logging/Log.h"
#include "app/qMainFrame.h"
#include "app/qWelcome.h"
#include "commands/qAppModel.h"
#include "commands/qCmdQueue.h"
#include "commands/qConnector.h"
#include "link/DeviceFinder.h"
#include "link/SimpleDevIo.h"
#include "online/DataUploader.h"
#include "protocol/DevAckID.h"
#include "protocol/FrameCodec.h"
#include "protocol/GlobalDataCache.h"
#include "resources/KzoResources.h"
#include "upgrade/DevUpgrade.h"
#include "upgrade/FlashLog.h"
#include "upgrade/updater/qUpdater.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QTranslator>
#include <QXmlStreamWriter>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace kzo::app {
namespace {

// A start-up refusal: modal box, closed by itself when the environment asks.
void refusalBox(QMessageBox::Icon icon, const QString& title, const QString& text)
{
    bool ok = false;
    const int timeout = qEnvironmentVariableIntValue(dialogTimeoutEnv, &ok);
    QTimer closer;
    if (ok && timeout > 0) {
        closer.setSingleShot(true);
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        });
        closer.start(timeout);
    }
    kzo::ui::showBox(nullptr, {icon, title, text});
}

// At exit in a debug build the application model is kept in "model.xml".
void saveModelAtExit()
{
    if constexpr (!debugMode)
        return;
    QFile file(QStringLiteral("model.xml"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("model"));
    for (const auto& [key, value] : appModel().snapshot()) {
        xml.writeStartElement(QStringLiteral("item"));
        xml.writeAttribute(QStringLiteral("key"), QString::fromStdString(key));
        xml.writeAttribute(QStringLiteral("value"), value);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
}

} // namespace

int run(int argc, char** argv)
{
    // The command line is settled before anything starts: no window, no
    // device and no lock for --help, --version or a wrong command line.
    StartupArgs args = parseStartupArgs(argc, argv);
    if (!args.error.empty()) {
        std::fprintf(stderr, "kzo-assistant: %s\n%s", args.error.c_str(), startupUsage().c_str());
        return exitUsage;
    }
    if (args.help) {
        std::fputs(startupUsage().c_str(), stdout);
        return exitOk;
    }
    if (args.version) {
        std::printf("%s %s\n", kzoApplicationName, GlobalCfg::instance()->software.toUtf8().constData());
        return exitOk;
    }

    appModel().setStatus(AppIdle);
    std::vector<char*> qtArgv;
    for (std::string& a : args.rest)
        qtArgv.push_back(a.data());
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(args.rest.size());

    // The help view's web engine needs shared GL contexts set before the
    // application exists, and refuses its sandbox to root.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    // Qt's informational messages (the web engine's start-up context among
    // them) stay out of the program's output; QT_LOGGING_RULES still asks
    // for them, as it outranks these rules.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.*.info=false"));

    QApplication app(qtArgc, qtArgv.data());
    QCoreApplication::setOrganizationName(QStringLiteral("KZO"));
    QCoreApplication::setApplicationName(QString::fromLatin1(kzoApplicationName));
    // Remembered now, acted upon once the language is in place.
    SingleInstance instance;
    kzo::initResources();

    GlobalCfg cfg;
    auto* resources = new qResources(&app);
    auto* queue = new orb::qCmdQueue(&app);
    auto uploader = std::make_unique<DataUploader>();

    logStdout("Product:%s \n", cfg.series.toUtf8().constData());
    QFont font(QStringLiteral("Arial"), 9, QFont::Normal, false);
    QApplication::setFont(font);

    QTranslator translator;
    {
        auto settings = openSettings();
        loadLanguage(translator, *settings, dataDir());
    }

    resources->fill(debugMode, languageOf(currentLocale()));
    QApplication::setWindowIcon(QIcon(resources->appIcon));

    if (instance.alreadyRunning()) {
        refusalBox(QMessageBox::Information, cfg.series, resources->alreadyRunning);
        return exitAlreadyRunning;
    }

    currentDevIo = &orb::simpleDevIo();
    // Flash-log lines written by the window name the port the link is on.
    kzo::upgrade::setPortSource([] { return QString::fromStdWString(orb::simpleDevIo().connectedPort()); });

    appModel().setValue("series", cfg.series);
    appModel().setValue("software", cfg.software);
    appModel().setValue("doc_version", cfg.doc_version);

    if (!isSoftwareEnabled()) {
        refusalBox(QMessageBox::Warning, QObject::tr("Warning"),
                   QObject::tr("Current version of application has been disabled,Please download the latest version!"));
        return exitOk;
    }

    appModel().setValue("request_xml_url", args.serverConfig.isEmpty() ? cfg.request_xml_url : args.serverConfig);

    auto splash = std::make_unique<qWelcome>(resources->splash, resources->skipButtonStyle);
    splash->show();
    QCoreApplication::processEvents();

    auto* connector = new qConnector(&app);
    orb::DevAckID ackPrinter;
    orb::DevUpgrade upgrade;

    orb::DevIo* io = currentDevIo;
    io->addListener(&ackPrinter);
    io->addListener(&upgrade);
    io->addListener(connector);
    io->addListener(queue);

    frameCrcSeed = cfg.crcSeed;
    frameCrcEnabled = cfg.crcEnabled;

    auto window = std::make_unique<qMainFrame>();
    setMainFrame(window.get());
    // Armed before the splash wait: the pages start talking to the device
    // during it, and an unattended run may ask for its picture from then on
    // (an unarmed SIGUSR1 would end the program).
    ScreenshotOnSignal screenshots(window.get());
    io->addListener(window.get());

    auto pages = std::make_unique<PageSetup>(*window, args.allPages);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->layoutPageButtons();
    window->buildLanguageMenu();
    window->focusPage(0);

    // A port the finder reports but that cannot be opened raises the
    // connection-failure warning, with advice when permission is missing.
    QPointer<qMainFrame> target = window.get();
    ConnectWatch watch(
        *io, [] { return !orb::simpleDevIo().connectedPort().empty(); },
        [target](QString hint) {
            QMetaObject::invokeMethod(
                qApp,
                [target, hint] {
                    if (!target)
                        return;
                    target->setConnectFailureHint(hint);
                    target->onConnectFail();
                },
                Qt::QueuedConnection);
        });
    FinderOptions finder;
    finder.ports = args.ports;
    finder.useUdev = args.useUdev;
    setFinderOptions(finder);
    setDeviceListener(&watch);
    startDeviceFinder();
    orb::dataCache().blocks.startupDone = 1;

    {
        // Waits without polling (an idle program stays idle) until a device
        // links or the splash is skipped; ending the program ends it too.
        QEventLoop wait;
        QObject::connect(connector, &qConnector::connectionChanged, &wait, [&wait](bool up) {
            if (up)
                wait.quit();
        });
        QObject::connect(splash.get(), &qWelcome::hidden, &wait, &QEventLoop::quit);
        if (!connector->isConnected() && splash->isVisible())
            wait.exec();
    }
    window->show();
    // Without a window manager (kiosk, bench, remote X) the window may never
    // be activated; the server is asked all the same.
    QTimer::singleShot(1000, window.get(), [w = window.get()] { w->fetchServerConfigOnce(); });
    splash->finish(window.get());
    QuitOnSignal quitOnSignal;

    appModel().setStatus(AppIdle);
    std::atexit(saveModelAtExit);
    const int code = app.exec();

    // Nothing may reach the listeners while they go away: stop the finder,
    // close the port (its listener thread ends with it), then unregister.
    stopDeviceFinder();
    setDeviceListener(nullptr);
    shutDownLink(orb::simpleDevIo(), {window.get(), window->firmwareDialog(), queue, connector, &upgrade, &ackPrinter});
    pages->detach(*io);
    setMainFrame(nullptr);
    pages.reset();
    window.reset();
    splash.reset();
    QCoreApplication::removeTranslator(&translator);
    return code;
}

} // namespace kzo::app

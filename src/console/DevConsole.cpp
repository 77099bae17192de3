#include "console/DevConsole.h"

#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "app/logging/TextRoutines.h"
#include "console/ConsoleText.h"
#include "console/DevScript.h"
#include "link/DevIo.h"
#include "protocol/DevAckID.h"
#include "protocol/DevModel.h"
#include "protocol/FrameCodec.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QSettings>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <poll.h>
#include <unistd.h>

using orb::console::toUtf8;
using Args = std::vector<std::wstring>;

namespace {

bool nullContext()
{
    logStdout("Null Ptr has pass!\n");
    return false;
}

bool parseU16(const std::wstring& text, uint16_t& out)
{
    orb::DevValue v;
    v.type = orb::TypeInt16u;
    if (!orb::parseValue(text, v))
        return false;
    out = static_cast<uint16_t>(v.raw[0] | (v.raw[1] << 8));
    return true;
}

// The type name as the listing shows it: "Unknown" outside the table.
std::string listedTypeName(int type)
{
    if (type < orb::TypeInt8s || type > orb::TypeInt64u)
        return "Unknown";
    return toUtf8(orb::typeName(type));
}

bool showAll(void* context)
{
    if (!context)
        return nullContext();
    const auto* model = static_cast<orb::DevModel*>(context);
    std::map<std::wstring, std::string> groups;
    for (const auto& [key, value] : model->all()) {
        std::wstring group, name;
        if (!kzo::text::splitFirst(key, group, name, orb::modelKeySeparator))
            name = group;
        char line[256];
        std::snprintf(line, sizeof line, "  %-10s%-10s %s\n", toUtf8(name).c_str(),
            toUtf8(orb::formatValue(value)).c_str(), listedTypeName(value.type).c_str());
        groups[group] += line;
    }
    for (const auto& [group, text] : groups)
        logStdout("%s ->\n%s", toUtf8(group).c_str(), text.c_str());
    return true;
}

} // namespace

DevConsole::DevConsole(QObject* parent) : QThread(parent) {}

DevConsole::~DevConsole()
{
    requestStop();
    wait();
}

void DevConsole::registerCommand(const std::wstring& name, int argCount, ConsoleCommand::Handler handler,
    void* context, const std::wstring& usage, const std::wstring& description)
{
    commandTable[name] = ConsoleCommand{argCount, std::move(handler), context, usage, description};
}

void DevConsole::setupCommands(orb::DevScript* script, orb::DevModel* model)
{
    registerCommand(L"cmd", 1,
        [](const Args& a, void* ctx) {
            if (!ctx)
                return false;
            std::vector<std::wstring> probe;
            if (!orb::console::readLines(a[0], probe))
                return false;
            static_cast<orb::DevScript*>(ctx)->run(a[0]);
            return true;
        },
        script, L"cmd [file]", L"");
    registerCommand(L"query", 1,
        [](const Args& a, void*) {
            uint16_t id = 0;
            if (!parseU16(a[0], id))
                return false;
            currentDevIo->sendCommand(id);
            return true;
        },
        nullptr, L"query [cmdid]", L"");
    registerCommand(L"showall", 0, [](const Args&, void* ctx) { return showAll(ctx); }, model, L"", L"");
    registerCommand(L"dlgup", 0, [this](const Args&, void*) { return fileUpgrade(); }, this,
        L"Upgrade select file", L"");
    registerCommand(L"setcrc", 1,
        [](const Args& a, void*) {
            uint16_t seed = 0;
            if (!parseU16(a[0], seed))
                return false;
            frameCrcSeed = seed;
            logMessage("current crc %X", seed);
            return true;
        },
        nullptr, L"", L"");
    registerCommand(L"getcrc", 0,
        [](const Args&, void*) {
            logMessage("current crc %X, %s", frameCrcSeed.load(), frameCrcEnabled.load() ? "on" : "off");
            return true;
        },
        nullptr, L"", L"");
    registerCommand(L"run", 1,
        [](const Args& a, void* ctx) { return ctx ? static_cast<DevConsole*>(ctx)->runFile(a[0]) : nullContext(); },
        this, L"run command list", L"");
    registerCommand(L"close", 0,
        [](const Args&, void*) {
            currentDevIo->close();
            logStdout("Close ok!\n");
            return true;
        },
        nullptr, L"", L"");
    registerCommand(L"open", 0, [](const Args&, void*) { return currentDevIo->reconnect(); }, nullptr, L"", L"");
    registerCommand(L"enablecrc", 1,
        [](const Args& a, void*) {
            frameCrcEnabled = (a[0] == L"on");
            return true;
        },
        nullptr, L"", L"");
    registerCommand(L"quit", 0,
        [](const Args&, void* ctx) {
            if (!ctx)
                return nullContext();
            static_cast<DevConsole*>(ctx)->requestStop();
            return true;
        },
        this, L"", L"");
    registerCommand(L"ioecho", 1,
        [](const Args& a, void*) {
            orb::DevAckID* ack = orb::DevAckID::instance();
            if (!ack)
                return nullContext();
            if (a[0] != L"on" && a[0] != L"off")
                return false;
            ack->printAcks = (a[0] == L"on");
            return true;
        },
        nullptr, L"", L"");
}

bool DevConsole::execute(const std::wstring& line)
{
    if (line.empty())
        return false;
    const std::vector<std::wstring> words = orb::console::splitWords(line);
    if (words.empty())
        return false;
    const std::wstring& name = words[0];
    const std::vector<std::wstring> args(words.begin() + 1, words.end());
    if (name == L"help") {
        if (args.empty())
            help();
        else if (args.size() == 1)
            help(args[0]);
        return true;
    }
    if (commandTable.empty())
        return false;
    const auto it = commandTable.find(name);
    if (it != commandTable.end()) {
        if (static_cast<int>(args.size()) != it->second.argCount)
            return false;
        return it->second.handler(args, it->second.context);
    }
    // Not ours: the system shell gets the line as typed.
    std::system(toUtf8(line).c_str());
    return true;
}

void DevConsole::help()
{
    for (const auto& [name, c] : commandTable)
        logStdout("%-12s [%2d] : %s\n", toUtf8(name).c_str(), c.argCount, toUtf8(c.usage).c_str());
}

void DevConsole::help(const std::wstring& name)
{
    const auto it = commandTable.find(name);
    if (it == commandTable.end()) {
        logStdout("Unknown command [%s]\n", toUtf8(name).c_str());
        return;
    }
    const ConsoleCommand& c = it->second;
    logStdout("%-12s [%2d] : %s\n", toUtf8(name).c_str(), c.argCount, toUtf8(c.usage).c_str());
    logStdout("%s\n", toUtf8(c.description).c_str());
}

bool DevConsole::runFile(const std::wstring& path)
{
    std::vector<std::wstring> lines;
    if (!orb::console::readLines(path, lines))
        return false;
    int number = 0;
    for (const std::wstring& line : lines) {
        ++number;
        const std::string text = toUtf8(line);
        if (execute(line))
            logStdout("%-76sOK!\n", text.c_str());
        else
            logStdout("[%4d]Error command : %s\n", number, text.c_str());
    }
    return true;
}

bool DevConsole::fileUpgrade()
{
    if (!openFileDialog) {
        logStdout("The file upgrade needs the main window; use kzo-flash to upgrade from a file.\n");
        return true;
    }
    QSettings settings(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp);
    const QString start = settings.value(QStringLiteral("path/firm")).toString();
    const QString file = openFileDialog(QStringLiteral("GCU"), start, QStringLiteral("Firmware (*.bin *.enc)"));
    if (file.isEmpty())
        return true;
    settings.setValue(QStringLiteral("path/firm"), QFileInfo(file).absolutePath());
    if (!upgradeMcFile) {
        logStdout("No upgrade engine in this program.\n");
        return false;
    }
    upgradeMcFile(file);
    return true;
}

bool DevConsole::executeOnOwnThread(const std::wstring& line)
{
    if (QThread::currentThread() == thread())
        return execute(line);
    // Queued to the console's thread so commands that start timers work; the
    // wait gives up when a stop is requested so shutdown never hangs here.
    auto result = std::make_shared<std::promise<bool>>();
    std::future<bool> done = result->get_future();
    QMetaObject::invokeMethod(this, [this, line, result] { result->set_value(execute(line)); }, Qt::QueuedConnection);
    while (done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
        if (stopRequested())
            return true;
    }
    return done.get();
}

void DevConsole::run()
{
    std::string pending;
    bool eof = false;
    auto handleLine = [this](std::string text) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        const std::wstring line = orb::console::fromUtf8(text);
        if (!executeOnOwnThread(line))
            logStdout("Error command : %s\n", text.c_str());
    };
    while (!stopRequested() && !eof) {
        pollfd p{inputFd_.load(), POLLIN, 0};
        const int r = ::poll(&p, 1, 100);
        if (r < 0 && errno != EINTR)
            break;
        if (r <= 0)
            continue;
        char buf[4096];
        const ssize_t n = ::read(p.fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            eof = true;
        } else {
            pending.append(buf, static_cast<size_t>(n));
        }
        size_t nl;
        while (!stopRequested() && (nl = pending.find('\n')) != std::string::npos) {
            std::string text = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            handleLine(std::move(text));
        }
    }
    // A last line without its line end still counts.
    if (eof && !stopRequested() && !pending.empty())
        handleLine(pending);
}

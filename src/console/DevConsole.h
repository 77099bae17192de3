#pragma once
// Developer command interpreter over the device link: a table of named
// commands with a fixed argument count each, and execute(line) to run one.
// Words that name no command go to the system shell.
//
// The thread body reads standard input (or the fd given by setInputFd) and
// hands each line to the thread the console object lives in, where it runs
// through execute(); that thread must run an event loop. "quit" or the end
// of input ends the loop (and the thread's finished() signal follows).
#include "protocol/Singleton.h"

#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orb {
class DevModel;
class DevScript;
} // namespace orb

struct ConsoleCommand {
    using Handler = std::function<bool(const std::vector<std::wstring>& args, void* context)>;
    int argCount = 0;
    Handler handler;
    void* context = nullptr;
    std::wstring usage;
    std::wstring description;
};

class DevConsole : public QThread, public SingletonEx<DevConsole> {
    Q_OBJECT
public:
    explicit DevConsole(QObject* parent = nullptr);
    // Stops the reading loop and waits for it.
    ~DevConsole() override;

    // Fills the command table (script for "cmd", model for "showall"; either
    // may be null, the command then reports "Null Ptr has pass!").
    void setupCommands(orb::DevScript* script, orb::DevModel* model);

    void registerCommand(const std::wstring& name, int argCount, ConsoleCommand::Handler handler, void* context,
        const std::wstring& usage, const std::wstring& description);
    bool execute(const std::wstring& line);
    void help();
    void help(const std::wstring& name);

    bool stopRequested() const { return stopRequested_.load(); }
    void requestStop() { stopRequested_ = true; }
    // The descriptor the reading loop reads (standard input by default).
    void setInputFd(int fd) { inputFd_ = fd; }

    // Installed by the GUI: an open-file dialog (title, start folder, filter)
    // giving the chosen path or an empty text when cancelled.
    std::function<QString(const QString& title, const QString& startDir, const QString& filter)> openFileDialog;
    // Installed where the upgrade engine exists: starts the main-controller
    // upgrade from a file (the engine's upgradeMcFile).
    std::function<bool(const QString& path)> upgradeMcFile;

protected:
    void run() override;

private:
    bool runFile(const std::wstring& path);
    bool fileUpgrade();
    bool executeOnOwnThread(const std::wstring& line);

    std::atomic<bool> stopRequested_{false};
    std::atomic<int> inputFd_{0};
    std::map<std::wstring, ConsoleCommand> commandTable;
};

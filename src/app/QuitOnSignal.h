#pragma once
// Ends the event loop on SIGTERM or SIGINT, so a session logout or Ctrl+C
// still runs the orderly tear-down (finder stopped, port closed).
#include <QObject>

class QSocketNotifier;

namespace kzo::app {

class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    QuitOnSignal();
    ~QuitOnSignal() override;

private:
    QSocketNotifier* notifier = nullptr;
};

} // namespace kzo::app

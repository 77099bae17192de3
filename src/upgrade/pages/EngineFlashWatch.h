#pragma once
// Follows one upgrade that the engine runs for a page until its outcome,
// writes that outcome to the user's flash log, and ends an upgrade that
// stopped moving (the engine itself waits for a boot loader for ever).
// GUI thread only; the engine's state is polled.
#include "upgrade/FlashLog.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <optional>

namespace orb {
class DevUpgrade;
}

namespace kzo::upgrade {

class EngineFlashWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int pollMs = 100;
    static constexpr int defaultStallMs = 16000;

    explicit EngineFlashWatch(QObject* parent = nullptr);

    // Starts following an upgrade the engine has just accepted.
    void follow(orb::DevUpgrade& engine, const FlashRecorder& recorder);
    bool following() const { return recorder.has_value(); }
    void setStallTimeout(int ms) { stallMs = ms; }
    // One look at the engine (the timer's expiry; tests call it directly).
    void poll();

signals:
    // The outcome as logged ("ok", "failed: ...", "refused: ...").
    void concluded(QString outcome);

private:
    void conclude(const QString& outcome);

    QPointer<orb::DevUpgrade> engine;
    std::optional<FlashRecorder> recorder;
    QTimer timer;
    QMetaObject::Connection errorConnection;
    int stallMs = defaultStallMs;
    int stillPolls = 0;
    int lastProgress = -1;
    bool answered = false;
    bool transmitError = false;
    bool timedOut = false;
};

} // namespace kzo::upgrade

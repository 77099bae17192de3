#include "upgrade/pages/EngineFlashWatch.h"

#include "app/logging/Log.h"
#include "upgrade/DevUpgrade.h"

namespace kzo::upgrade {

EngineFlashWatch::EngineFlashWatch(QObject* parent) : QObject(parent)
{
    timer.setInterval(pollMs);
    connect(&timer, &QTimer::timeout, this, &EngineFlashWatch::poll);
}

void EngineFlashWatch::follow(orb::DevUpgrade& e, const FlashRecorder& r)
{
    // A new start while one is followed: the earlier one ended unseen.
    if (recorder)
        conclude(outcomeFailed(QStringLiteral("replaced by another upgrade")));
    engine = &e;
    recorder = r;
    stillPolls = 0;
    lastProgress = e.progress();
    answered = false;
    transmitError = false;
    timedOut = false;
    errorConnection = connect(&e, &orb::DevUpgrade::upgradeError, this, [this](int) { transmitError = true; });
    timer.start();
}

void EngineFlashWatch::poll()
{
    if (!recorder)
        return;
    if (!engine) {
        conclude(outcomeFailed(QStringLiteral("the upgrade engine went away")));
        return;
    }
    if (engine->isIdle()) {
        // finish() leaves progress at 100; a reset() by someone else at 0.
        if (engine->progress() != 100)
            conclude(outcomeFailed(QStringLiteral("stopped before the end")));
        else if (engine->upgradeResult())
            conclude(outcomeOk());
        else if (timedOut && !answered)
            conclude(outcomeRefused(QStringLiteral("the module did not enter its boot loader")));
        else if (timedOut)
            conclude(outcomeFailed(QStringLiteral("no progress for %1 s").arg(stallMs / 1000)));
        else
            conclude(outcomeFailed(transmitError ? QStringLiteral("the module reported a transmit error")
                                                 : QStringLiteral("the module stopped answering or refused the image")));
        return;
    }
    answered = answered || engine->hasResponse();
    const int p = engine->progress();
    if (p != lastProgress) {
        lastProgress = p;
        stillPolls = 0;
    } else if (++stillPolls * pollMs >= stallMs) {
        logTaggedLevel(3, "Upgrade", "No progress for %d s: upgrade ended.", stallMs / 1000);
        timedOut = true;
        engine->finish(false);
    }
}

void EngineFlashWatch::conclude(const QString& outcome)
{
    timer.stop();
    disconnect(errorConnection);
    QString error;
    if (recorder && !recorder->append(outcome, &error))
        logTaggedLevel(3, "Upgrade", "Cannot add to the flash log %s: %s", qPrintable(flashLogPath()),
                       qPrintable(error));
    recorder.reset();
    emit concluded(outcome);
}

} // namespace kzo::upgrade

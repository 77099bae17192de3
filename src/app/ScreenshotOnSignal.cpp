#include "app/ScreenshotOnSignal.h"

#include "app/logging/Log.h"

#include <QPixmap>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kzo::app {
namespace {

int g_pipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &c, 1);
}

} // namespace

ScreenshotOnSignal::ScreenshotOnSignal(QWidget* target)
    : target(target), path(qEnvironmentVariable("KZO_SCREENSHOT"))
{
    if (path.isEmpty() || g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char buf[16];
        while (::read(g_pipe[0], buf, sizeof buf) > 0) {
        }
        save();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGUSR1, &sa, nullptr);
}

ScreenshotOnSignal::~ScreenshotOnSignal()
{
    if (!notifier)
        return;
    ::signal(SIGUSR1, SIG_IGN);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void ScreenshotOnSignal::save()
{
    if (!target)
        return;
    const bool ok = target->grab().save(path, "PNG");
    logStdout("screenshot %s: %s\n", ok ? "saved" : "failed", path.toUtf8().constData());
}

} // namespace kzo::app

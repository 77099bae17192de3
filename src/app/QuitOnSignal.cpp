#include "app/QuitOnSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kzo::app {
namespace {

int g_quitPipe[2] = {-1, -1};

void onQuitSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_quitPipe[1], &c, 1);
}

void setHandler(void (*handler)(int))
{
    struct sigaction sa {};
    sa.sa_handler = handler;
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
}

} // namespace

QuitOnSignal::QuitOnSignal()
{
    if (g_quitPipe[0] >= 0 || ::pipe2(g_quitPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier = new QSocketNotifier(g_quitPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [] {
        char buf[16];
        while (::read(g_quitPipe[0], buf, sizeof buf) > 0) {
        }
        QCoreApplication::quit();
    });
    setHandler(onQuitSignal);
}

QuitOnSignal::~QuitOnSignal()
{
    if (!notifier)
        return;
    setHandler(SIG_DFL);
    ::close(g_quitPipe[0]);
    ::close(g_quitPipe[1]);
    g_quitPipe[0] = g_quitPipe[1] = -1;
}

} // namespace kzo::app

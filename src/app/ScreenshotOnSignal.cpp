#include "app/ScreenshotOnSignal.h"

#include "app/logging/Log.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSaveFile>
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

// What a widget shows as text, or a null string for widgets without a value.
QString shownValue(const QWidget* w)
{
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->isCheckable() ? b->text() + (b->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]"))
                                : b->text();
    if (auto* s = qobject_cast<const QAbstractSlider*>(w))
        return QString::number(s->value());
    if (auto* s = qobject_cast<const QAbstractSpinBox*>(w))
        return s->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    return {};
}

QByteArray visibleValues(const QWidget& root)
{
    QByteArray out;
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || !w->isVisibleTo(&root))
            continue;
        const QString value = shownValue(w);
        if (value.isNull())
            continue;
        QString line = w->objectName() + QLatin1Char('\t') + value;
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        out += line.toUtf8() + '\n';
    }
    return out;
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
    // Written whole or not at all: a reader never sees half of it.
    QSaveFile values(path + QStringLiteral(".values"));
    if (!values.open(QIODevice::WriteOnly) || values.write(visibleValues(*target)) < 0 || !values.commit())
        logStdout("widget values not saved: %s\n", values.fileName().toUtf8().constData());
}

} // namespace kzo::app

#pragma once
// What the update dialog's tests share: a main-window stand-in, a boot loader
// behind a device I/O that answers at once, the connection manager driven by
// hand, and the answers to the dialog's message boxes.
#include "support/EagerDevIo.h"

#include "commands/qAppModel.h"
#include "commands/qConnector.h"
#include "app/framework/HelpView.h"
#include "upgrade/updater/UpgradeHost.h"
#include "upgrade/updater/qUpdater.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QLabel>
#include <QList>
#include <QString>
#include <QTimer>
#include <QTest>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace kzo::test {

class FakeUpgradeHost : public UpgradeHost {
public:
    void showLoginOrError() override
    {
        ++loginRequests;
        if (onLogin)
            onLogin();
    }
    void showTip(const QString& text) override { tips << text; }
    void focusPage(int index) override { pages << index; }
    void leaveAllPages() override { ++leaves; }
    void markFirmwareMatches() override { ++firmwareMatches; }

    int loginRequests = 0;
    int leaves = 0;
    int firmwareMatches = 0;
    QStringList tips;
    QList<int> pages;
    std::function<void()> onLogin; // what the "login dialog" does
};

// A 256-block boot loader on the USB link: reports loader mode to the status
// request and acknowledges data packets. It can stop answering after a number
// of data packets (a stall), or refuse one (a transfer error).
class UpdaterLoader {
public:
    enum class Mode { AckAll, FallSilentAfter, RefuseAfter };

    explicit UpdaterLoader(Mode m = Mode::AckAll, int packets = 0) : mode(m), limit(packets) {}

    std::vector<EagerDevIo::Bytes> answer(const EagerDevIo::Bytes& f)
    {
        std::lock_guard g(lock);
        const uint16_t id = EagerDevIo::idOf(f);
        if (id == 0x0101)
            return {EagerDevIo::record(0x0102, {0xFE})};
        const bool data = id == 0x0235;
        if (id == 0x0233 || data || id == 0x0240) {
            if (data) {
                if (dataPackets >= limit && mode == Mode::FallSilentAfter)
                    return {};
                if (dataPackets >= limit && mode == Mode::RefuseAfter)
                    return {EagerDevIo::record(static_cast<uint16_t>(id + 1), {1})};
                ++dataPackets;
                // The payload past the sequence word carries the block.
                image.insert(image.end(), f.data() + 31, f.data() + 31 + 256);
            }
            return {EagerDevIo::record(static_cast<uint16_t>(id + 1), {0})};
        }
        return {};
    }

    std::vector<uint8_t> received()
    {
        std::lock_guard g(lock);
        return image;
    }

private:
    std::mutex lock;
    const Mode mode;
    const int limit;
    int dataPackets = 0;
    std::vector<uint8_t> image;
};

// Brings the connection manager up (handshake answered, first status report)
// or down without a device I/O behind it.
inline void linkUp(qConnector& c)
{
    const DevEvent up{EvConnected, nullptr};
    c.onDevEvent(&up);
    const auto ack = EagerDevIo::record(0x0FB2, {1, 0});
    const DevEvent a{EvFrame, ack.data()};
    c.onDevEvent(&a);
    const auto status = EagerDevIo::record(0x0102, {0});
    const DevEvent s{EvFrame, status.data()};
    c.onDevEvent(&s);
}

inline void linkDown(qConnector& c)
{
    const DevEvent down{EvDisconnected, nullptr};
    c.onDevEvent(&down);
}

// Answers every box with `answer` (questions) and records what was asked.
class BoxRecorder {
public:
    explicit BoxRecorder(QMessageBox::StandardButton a = QMessageBox::Yes)
        : answer(a), handler([this](QWidget*, const kzo::ui::BoxRequest& box) {
              boxes << box;
              if (beforeAnswer)
                  beforeAnswer(box);
              return box.buttons.testFlag(answer) ? answer : QMessageBox::Ok;
          })
    {
    }

    QStringList titles() const
    {
        QStringList t;
        for (const auto& b : boxes)
            t << b.title;
        return t;
    }

    QMessageBox::StandardButton answer;
    QList<kzo::ui::BoxRequest> boxes;
    std::function<void(const kzo::ui::BoxRequest&)> beforeAnswer;

private:
    kzo::ui::ScopedBoxHandler handler;
};

// Waits (in the modal dialog's own event loop) for a modal dialog of type T
// and hands it to `act`.
template <class T>
void answerModal(QObject* context, std::function<void(T*)> act)
{
    auto* poll = new QTimer(context);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, context, [poll, act] {
        if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(d);
        }
    });
    poll->start();
}

// The base of the dialog's test classes: the dialog under test (made by each
// test) and its widgets read by object name.
class UpdaterDialogTest : public QObject {
protected:
    std::unique_ptr<qUpdater> dlg;

    template <class T>
    T* child(const char* name) const
    {
        return dlg->findChild<T*>(QLatin1String(name));
    }
    QString status() const { return child<QLabel>("label_Status")->text(); }
    QString web() const { return child<HelpView>("webView")->html(); }
    bool shown(const char* name) const { return !child<QWidget>(name)->isHidden(); }
    bool enabled(const char* name) const { return child<QWidget>(name)->isEnabled(); }

    // Shown for `module` the way the upgrade page does it: the opening, then
    // the (modal) run.
    void open(int module = 1)
    {
        QVERIFY(dlg->setModuleId(module));
        emit dlg->signal_EnterPage();
        dlg->show();
    }
};

} // namespace kzo::test

#pragma once
// What the upgrade pages meet in the program, for in-process tests: a fake
// device I/O with the real connection manager, update-server client, upgrade
// engine and update dialog, and a fake main window that records what the
// pages ask of it.
#include "pages/AckRecords.h"
#include "support/FakeDevIo.h"

#include "commands/CommandCatalogue.h"
#include "commands/qAppModel.h"
#include "commands/qConnector.h"
#include "online/DataUploader.h"
#include "upgrade/DevUpgrade.h"
#include "upgrade/updater/UpgradeHost.h"
#include "upgrade/updater/qUpdater.h"
#include "widgets/MessageBoxes.h"

#include <QCoreApplication>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace kzo::test {

// Records every request in one ordered list ("tip:<text>", "focus:<n>",
// "leaveAll", "login", "firmwareMatches") so tests can check order too.
class PageFakeHost : public UpgradeHost {
public:
    void showLoginOrError() override { calls << QStringLiteral("login"); }
    void showTip(const QString& text) override { calls << QStringLiteral("tip:") + text; }
    void focusPage(int index) override { calls << QStringLiteral("focus:%1").arg(index); }
    void leaveAllPages() override
    {
        calls << QStringLiteral("leaveAll");
        if (onLeaveAll)
            onLeaveAll();
    }
    void markFirmwareMatches() override { calls << QStringLiteral("firmwareMatches"); }

    QStringList tips() const
    {
        QStringList out;
        for (const QString& c : calls)
            if (c.startsWith(QStringLiteral("tip:")))
                out << c.mid(4);
        return out;
    }

    QStringList calls;
    std::function<void()> onLeaveAll;
};

// Message boxes answered and recorded instead of shown.
class PageBoxRecorder {
public:
    PageBoxRecorder()
        : handler([this](QWidget*, const kzo::ui::BoxRequest& box) {
              boxes.push_back(box);
              return QMessageBox::Ok;
          })
    {
    }
    std::vector<kzo::ui::BoxRequest> boxes;

private:
    kzo::ui::ScopedBoxHandler handler;
};

// The singletons the pages and the dialog reach, on a fake device.
class PageRig {
public:
    PageRig()
    {
        io.addListener(&connector);
        io.addListener(&engine);
        // Queued calls from an earlier test's objects must not reach these.
        QCoreApplication::sendPostedEvents();
        appModel().setStatus(AppIdle);
        for (const char* key : {"fw_mc", "fw_imu", "loader_imu", "hwid_imu", "fw_cmu", "loader_cmu", "hwid_cmu",
                                "fw_led", "fw_gps", "receiver_freq", "login_server_url", "ssid"})
            appModel().setValue(key, QString());
    }
    ~PageRig()
    {
        io.removeListener(&engine);
        io.removeListener(&connector);
        engine.reset();
        appModel().setStatus(AppIdle);
    }
    PageRig(const PageRig&) = delete;
    PageRig& operator=(const PageRig&) = delete;

    // The device comes up and answers like a main controller running its
    // firmware: handshake answer, then the first status report.
    void plugRunning(uint8_t status = 0)
    {
        io.onCommDeviceArrival(L"/dev/ttyACM0");
        io.deliver(payloadRecord(orb::cmdid::HandshakeAck, {1, 0}));
        io.deliver(payloadRecord(orb::cmdid::StatusReport, {status, 0, 0, 0}));
    }
    // The link reaches a boot loader or an old firmware: no handshake answer.
    void plugWithoutHandshake(uint8_t status)
    {
        io.onCommDeviceArrival(L"/dev/ttyACM0");
        io.deliver(payloadRecord(orb::cmdid::StatusReport, {status, 0, 0, 0}));
    }
    void unplug() { io.onCommDeviceRemoval(L"/dev/ttyACM0"); }
    // Any frame the pages count as news from the device.
    void deliverVersionReply() { io.deliver(ackRecord(orb::cmdid::VersionsAck, words({1, 2, 3, 4}))); }

    // The upgrade page's sign-in state: server configuration and login.
    static void signIn()
    {
        appModel().setValue("login_server_url", QStringLiteral("http://127.0.0.1:9/login"));
        appModel().setValue("ssid", QStringLiteral("S1"));
    }

    FakeDevIo io;
    qConnector connector;
    DataUploader uploader;
    orb::DevUpgrade engine;
    PageFakeHost host;
    qUpdater dialog{&host};
};

inline FirmwareDataInfo offer(int module, const QString& version, int size = 1024)
{
    FirmwareDataInfo info;
    info.deviceId = module;
    info.version = version;
    info.infoUrl = QStringLiteral("http://127.0.0.1:9/notes");
    info.fileId = QStringLiteral("F%1").arg(module);
    info.size = size;
    info.checksum = QString();
    return info;
}

} // namespace kzo::test

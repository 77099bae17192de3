// The fault matrix of the firmware update flow: the server configuration,
// the firmware check and the image download from kzo-updsim under each fault
// it injects on each of those routes, then the flash through the update
// dialog and the upgrade engine into a kzo-devsim. Each cell runs the whole
// flow in a child process of this test (the flow's objects are process-wide),
// several at once. A success must leave exactly the served image in the
// device; a failure must be shown to the user; nothing may hang or crash.
#include "FaultMatrix.h"
#include "UpdaterFixture.h"
#include "online/OnlineTestSupport.h"
#include "pages/SimLink.h"

#include "app/framework/HelpView.h"
#include "commands/qAppModel.h"
#include "commands/qConnector.h"
#include "online/DataUploader.h"
#include "upgrade/DevUpgrade.h"
#include "upgrade/updater/qUpdater.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kzo::test;
using namespace kzo::test::matrix;

namespace {

constexpr int imageSize = 2048;
// The flow's own bounds, short so a cell that waits for one ends soon: an
// XML reply must be complete within replyTimeoutMs, a download may not stand
// still for downloadStallMs. The simulator's slow replies and trickle gaps
// stay well inside them.
constexpr int replyTimeoutMs = 3000;
constexpr int downloadStallMs = 2000;
const QStringList baseSimArgs{"--firmware-size", QString::number(imageSize), "--slow-ms", "200", "--trickle-pieces", "6"};

const QStringList routes{"config", "firmware", "download"};
const QStringList kinds{"none",    "empty", "malformed", "percent", "slow",     "hang",    "stall",
                        "trickle", "padded", "cut",      "oversize", "bad-size", "bad-md5"};

bool applies(const QString& route, const QString& kind)
{
    if (kind == QLatin1String("bad-size"))
        return route == QLatin1String("download");
    if (kind == QLatin1String("bad-md5"))
        return route == QLatin1String("firmware");
    return true;
}

// How the dialog shows an error in its status line.
const QString redOpening = QStringLiteral("<div style=\"color: red;\">");

QByteArray readAllOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// ---------------------------------------------------------------- one cell (child process)

class FlowCell {
public:
    explicit FlowCell(QString cellId)
    {
        const qsizetype colon = cellId.indexOf(QLatin1Char(':'));
        route = cellId.left(colon);
        kind = cellId.mid(colon + 1);
    }

    void run()
    {
        actAsTheProgramOnLoopback();
        for (const char* k : {"request_xml_url", "firmware_update_server_url", "firmware_download_server_url", "sn", "hwid_mc",
                              "receiver_freq"})
            appModel().setValue(k, QString());
        appModel().setValue("language", QStringLiteral("en_US"));
        appModel().setValue("series", QStringLiteral("KG1"));
        appModel().setValue("software", QStringLiteral("1.00"));
        appModel().setValue("fw_mc", QStringLiteral("1.0.0.0"));
        appModel().setValue("ssid", QStringLiteral("S-test"));
        appModel().setStatus(AppIdle);

        const QString link = dir.filePath(QStringLiteral("tty"));
        const QString images = dir.filePath(QStringLiteral("img"));
        QDir().mkpath(images);
        device = std::make_unique<SimChild>(nullptr);
        device->start(QStringLiteral("kzo-devsim"), {"--exit-with-parent", "--link", link, "--image-dir", images});
        if (!QTest::qWaitFor([&] { return device->output().contains("port: ") && QFileInfo::exists(link); }, 20000))
            return report(Outcome::Crash, QStringLiteral("kzo-devsim did not start"));
        QStringList simArgs = baseSimArgs;
        if (kind != QLatin1String("none"))
            simArgs << QStringLiteral("--fault") << kind + QLatin1Char('@') + route;
        if (!server.start(simArgs))
            return report(Outcome::Crash, QStringLiteral("kzo-updsim did not start"));

        talkLikeTheProgram();
        qConnector connector;
        orb::DevUpgrade engine;
        DataUploader uploader;
        uploader.setReplyTimeout(replyTimeoutMs);
        FakeUpgradeHost host;
        qUpdater dlg(&host);
        dlg.setDownloadStallTimeout(downloadStallMs);
        // As start-up and the main window register them.
        currentDevIo->addListener(&engine);
        currentDevIo->addListener(&connector);
        currentDevIo->addListener(&dlg);
        SimLink simLink(link);
        const Outcome o = flow(connector, engine, uploader, dlg);
        simLink.stop();
        orb::simpleDevIo().close();
        currentDevIo->removeListener(&dlg);
        currentDevIo->removeListener(&connector);
        currentDevIo->removeListener(&engine);
        report(o, detail);
    }

private:
    Outcome flow(qConnector& connector, orb::DevUpgrade& engine, DataUploader& uploader, qUpdater& dlg)
    {
        if (!QTest::qWaitFor([&] { return connector.isConnected(); }, 20000)) {
            detail = QStringLiteral("the device never connected");
            return Outcome::Crash;
        }
        QSignalSpy config(&uploader, &DataUploader::serverAddressStatus);
        appModel().setValue("request_xml_url", server.base + QStringLiteral("server_config.xml"));
        uploader.fetchServerConfig();
        if (!config.wait(replyTimeoutMs * 3)) {
            detail = QStringLiteral("no answer to the server configuration");
            return Outcome::Hang;
        }
        // The release-note page is not part of what is judged; without its
        // address the dialog shows no web page and starts no web engine.
        appModel().setValue("query_info_url", QString());

        if (!dlg.setModuleId(1)) {
            detail = QStringLiteral("the dialog refused the module");
            return Outcome::Crash;
        }
        emit dlg.signal_EnterPage();
        dlg.show();

        auto child = [&dlg](const char* name) { return dlg.findChild<QWidget*>(QLatin1String(name)); };
        auto status = [&] { return static_cast<QLabel*>(child("label_Status"))->text(); };
        auto web = [&] { return static_cast<HelpView*>(child("webView"))->html(); };
        // At rest: an image ready, or the Refresh link offered with nothing under way.
        const bool rested = QTest::qWaitFor(
            [&] { return dlg.downloadState() == 2 || (!child("buttonRefresh")->isHidden() && dlg.downloadState() != 1); },
            replyTimeoutMs * 3 + downloadStallMs * 3);
        if (!rested) {
            detail = QStringLiteral("no outcome of the check and download: '%1'").arg(status());
            return Outcome::Hang;
        }
        if (dlg.downloadState() != 2) {
            if (web().contains(QStringLiteral("No firmware updates!"))) {
                detail = QStringLiteral("\"No firmware updates!\" although an image is offered");
                return Outcome::FalseOk;
            }
            if (status().startsWith(redOpening)) {
                detail = status();
                return Outcome::Failed;
            }
            detail = QStringLiteral("at rest without a word: '%1'").arg(status());
            return Outcome::Unreported;
        }

        BoxRecorder boxes(QMessageBox::Yes);
        dlg.cmdUpgrade();
        const bool ended = QTest::qWaitFor(
            [&] { return boxes.titles().contains(QStringLiteral("Success")) || boxes.titles().contains(QStringLiteral("Failure")); },
            30000);
        if (!ended) {
            detail = QStringLiteral("the flash never ended (progress %1)").arg(engine.progress());
            return Outcome::Hang;
        }
        if (boxes.titles().contains(QStringLiteral("Failure"))) {
            detail = status();
            return Outcome::Failed;
        }
        const QByteArray stored = readAllOf(dir.filePath(QStringLiteral("img/mc.bin")));
        const QByteArray served = readAllOf(qEnvironmentVariable("KZO_MATRIX_REFERENCE"));
        if (served.size() != imageSize || stored != served) {
            detail = QStringLiteral("success shown, the device holds %1 bytes, the server's image has %2%3")
                         .arg(stored.size())
                         .arg(served.size())
                         .arg(stored.size() == served.size() ? QStringLiteral(" (different)") : QString());
            return Outcome::FalseOk;
        }
        return Outcome::Ok;
    }

    void report(Outcome o, const QString& why)
    {
        if (device && device->crashed()) {
            o = Outcome::Crash;
            detail = QStringLiteral("kzo-devsim died");
        } else {
            detail = why;
        }
        if (device)
            device->stop();
        server.stop();
        reportChildCell(o, QString(), detail);
    }

    QString route, kind;
    QTemporaryDir dir;
    std::unique_ptr<SimChild> device;
    UpdSim server;
    QString detail;
};

} // namespace

class TestFaultMatrixUpdate : public QObject {
    Q_OBJECT

private slots:
    void updateFlowUnderEveryServerFault()
    {
        actAsTheProgramOnLoopback();
        // The image the server offers, fetched once from a simulator without faults.
        QTemporaryDir dir;
        {
            UpdSim clean;
            QVERIFY(clean.start(baseSimArgs));
            const QByteArray image = downloadImage(clean.base + QStringLiteral("download"), QStringLiteral("mc-2.0.0.0"), 20000);
            QCOMPARE(image.size(), imageSize);
            QFile f(dir.filePath(QStringLiteral("served.bin")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(image);
        }
        qputenv("KZO_MATRIX_REFERENCE", dir.filePath(QStringLiteral("served.bin")).toUtf8());

        QObject owner;
        std::vector<Cell*> cells;
        for (const QString& kind : kinds)
            for (const QString& route : routes) {
                if (!applies(route, kind))
                    continue;
                auto* c = new ChildCell(route, kind, route + QLatin1Char(':') + kind, 60000);
                c->setParent(&owner);
                // The waits for a time-out first, so they overlap with the quick ones.
                if (kind == QLatin1String("hang") || kind == QLatin1String("stall") || kind == QLatin1String("trickle"))
                    cells.insert(cells.begin(), c);
                else
                    cells.push_back(c);
            }
        QVERIFY(runCells(cells, 12, 150000));
        const QStringList bad = printMatrix(QStringLiteral("Update flow fault matrix (rows: faulted route):"), routes, kinds, cells);
        for (const Cell* c : cells)
            if (c->column == QLatin1String("none") && c->outcome != Outcome::Ok)
                QFAIL(qPrintable(QStringLiteral("the flow fails without a fault: %1").arg(c->detail)));
        QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QLatin1Char('\n'))));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QString cell = childCellRequested();
    if (!cell.isEmpty()) {
        FlowCell(cell).run();
        return 0;
    }
    TestFaultMatrixUpdate test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_fault_matrix_update.moc"

// The software updater and the newsletter against kzo-updsim, driven the way
// the program drives them (the update-server client's results handed to the
// windows), without the main window.
#include "OnlineTestSupport.h"
#include "OnlineWindowsSupport.h"

#include "commands/qAppModel.h"
#include "online/ui/newsletter.h"
#include "online/ui/qSoftwareUpdater.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
constexpr int waitMs = 20000;
}

class TestOnlineWindowsE2e : public QObject {
    Q_OBJECT

    std::unique_ptr<UpdSim> sim;
    std::unique_ptr<DataUploader> up;
    QList<SoftwareInfo> results;

    bool startConfigured(const QStringList& args)
    {
        sim = std::make_unique<UpdSim>();
        if (!sim->start(args))
            return false;
        appModel().setValue("request_xml_url", sim->base + QStringLiteral("server_config.xml"));
        QSignalSpy status(up.get(), &DataUploader::serverAddressStatus);
        up->fetchServerConfig();
        return status.wait(waitMs) && status.at(0).at(0).toInt() == 0;
    }

    // The updater takes every software result, as the info page hands them on.
    void attach(qSoftwareUpdater& d)
    {
        connect(up.get(), &DataUploader::softwareCheckResult, &d, [this, &d](SoftwareInfo& i) {
            results << i;
            d.showCheckResult(i);
        });
    }

    // Presses Refresh and waits for the answer to bring the button back.
    bool refresh(qSoftwareUpdater& d)
    {
        const qsizetype before = results.size();
        auto* button = part<QPushButton>(&d, "pushButtonRefresh");
        button->click();
        return !button->isEnabled()
               && QTest::qWaitFor([&] { return button->isEnabled() && results.size() > before; }, waitMs);
    }

private slots:
    void initTestCase()
    {
        actAsTheProgramOnLoopback();
        QVERIFY(QFileInfo::exists(QStringLiteral(KZO_BIN_DIR "/kzo-updsim")));
    }

    void init()
    {
        clearAppData();
        appModel().setValue("language", QStringLiteral("en_US"));
        appModel().setValue("series", QStringLiteral("KG1"));
        appModel().setValue("software", QStringLiteral("1.00"));
        appModel().setValue("ssid", QStringLiteral("S-test"));
        results.clear();
        up = std::make_unique<DataUploader>();
    }
    void cleanup()
    {
        up.reset();
        sim.reset();
    }

    void software_offers_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("mustUpdate");
        QTest::newRow("newer version") << QStringList{"--software-latest", "1.10"} << true << false;
        QTest::newRow("must update") << QStringList{"--software-latest", "1.10", "--software-status", "1"} << true << true;
        QTest::newRow("no update") << QStringList{"--software-latest", "1.00"} << false << false;
    }
    void software_offers()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, offered);
        QFETCH(bool, mustUpdate);
        QVERIFY(startConfigured(args));
        qSoftwareUpdater d;
        attach(d);
        QSignalSpy wantsShow(&d, &qSoftwareUpdater::showRequested);
        QSignalSpy mustClose(&d, &qSoftwareUpdater::mustUpdateClosed);
        QVERIFY(refresh(d));
        QVERIFY(!results.last().failed);
        QCOMPARE(wantsShow.count(), offered ? 1 : 0);
        QCOMPARE(!part<QWidget>(&d, "pushButtonUpdate")->isHidden(), offered);
        QCOMPARE(!part<QWidget>(&d, "label_2")->isHidden(), mustUpdate);
        if (offered) {
            QCOMPARE(viewUrl(&d), QUrl(sim->base + QStringLiteral("notes/1.10.html")));
            QCOMPARE(d.downloadUrl(), sim->base + QStringLiteral("downloads/"));
        } else {
            QVERIFY(viewHtml(&d).contains(QStringLiteral("No Updates!")));
        }
        d.open();
        part<QPushButton>(&d, "pushButtonClose")->click();
        QCOMPARE(mustClose.count(), mustUpdate ? 1 : 0);
    }

    // A must-update seen once stays through checks that bring no answer.
    void software_failedCheckKeepsMustUpdate_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("server gone") << QString();
        QTest::newRow("empty reply") << QStringLiteral("empty@software");
        QTest::newRow("unreadable reply") << QStringLiteral("malformed@software");
    }
    void software_failedCheckKeepsMustUpdate()
    {
        QFETCH(QString, failure);
        QVERIFY(startConfigured({"--software-latest", "1.10", "--software-status", "1"}));
        qSoftwareUpdater d;
        attach(d);
        QVERIFY(refresh(d));
        QVERIFY(d.mustUpdate());
        const QString base = sim->base;
        sim = std::make_unique<UpdSim>();
        if (failure.isEmpty()) {
            appModel().setValue("software_update_server_url", base + QStringLiteral("software"));
        } else {
            QVERIFY(sim->start({"--fault", failure}));
            appModel().setValue("software_update_server_url", sim->base + QStringLiteral("software"));
        }
        QVERIFY(refresh(d));
        QVERIFY(results.last().failed);
        QVERIFY(results.last().version.isEmpty());
        QVERIFY(d.mustUpdate());
        QVERIFY(!part<QWidget>(&d, "label_2")->isHidden());
        QVERIFY(!part<QWidget>(&d, "pushButtonUpdate")->isHidden());
    }

    void news_shownOnceThenNotAgain()
    {
        QVERIFY(startConfigured({"--news-id", "7", "--news-version", "3"}));
        const QUrl page(sim->base + QStringLiteral("query?id=7&type=1&language=en_US"));
        {
            newsletter n;
            connect(up.get(), &DataUploader::showNewsLetter, &n, &newsletter::showNewsLetter);
            connect(&n, &newsletter::showRequested, &n, &QDialog::open);
            QVERIFY(up->requestNewsLetter());
            QTRY_VERIFY_WITH_TIMEOUT(n.isVisible(), waitMs);
            QCOMPARE(viewUrl(&n), page);
            part<QCheckBox>(&n, "checkBox")->setChecked(true);
            part<QPushButton>(&n, "pushButton_close")->click();
            QCOMPARE(storedNewsVersion(), 3);
        }
        // The next start: the same announcement loads but stays hidden.
        newsletter n;
        connect(up.get(), &DataUploader::showNewsLetter, &n, &newsletter::showNewsLetter);
        QSignalSpy wantsShow(&n, &newsletter::showRequested);
        QVERIFY(part<QCheckBox>(&n, "checkBox")->isChecked());
        n.onRefresh();
        QTRY_COMPARE_WITH_TIMEOUT(viewUrl(&n), page, waitMs);
        QCOMPARE(wantsShow.count(), 0);
        QVERIFY(part<QPushButton>(&n, "pushButton_refresh")->isEnabled());

        // A higher announcement shows again.
        sim = std::make_unique<UpdSim>();
        QVERIFY(sim->start({"--news-version", "4"}));
        appModel().setValue("news_update_url", sim->base + QStringLiteral("news"));
        n.onRefresh();
        QVERIFY(wantsShow.wait(waitMs));
        QCOMPARE(storedNewsVersion(), 4);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestOnlineWindowsE2e test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_online_windows_e2e.moc"

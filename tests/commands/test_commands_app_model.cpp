// The application model's keyed store, status values and query building, and
// how the global configuration becomes the process's instance.
#include "app/config/GlobalCfg.h"
#include "commands/qAppModel.h"
#include "protocol/FrameCodec.h"

#include <QTest>

#include <atomic>
#include <thread>

class TestCommandsAppModel : public QObject {
    Q_OBJECT
private slots:
    void readingAnUnwrittenKeyCreatesItEmpty();
    void setValueOverwrites();
    void appendQuery();
    void statusAndNavigation();
    void concurrentReadersAndWriters();
    void globalConfiguration();
};

void TestCommandsAppModel::readingAnUnwrittenKeyCreatesItEmpty()
{
    qAppModel& m = appModel();
    QVERIFY(!m.snapshot().count("never.written"));
    QVERIFY(m.value("never.written").isEmpty());
    QCOMPARE(m.snapshot().count("never.written"), size_t(1));
    QVERIFY(m.snapshot().at("never.written").isEmpty());
    // Reading does not disturb a written value.
    m.setValue("MC.version", QStringLiteral("1.2.3"));
    QCOMPARE(m.value("MC.version"), QStringLiteral("1.2.3"));
    QCOMPARE(m.snapshot().at("MC.version"), QStringLiteral("1.2.3"));
}

void TestCommandsAppModel::setValueOverwrites()
{
    qAppModel& m = appModel();
    m.setValue("language", QStringLiteral("en"));
    m.setValue("language", QStringLiteral("\u4e2d\u6587"));
    QCOMPARE(m.value("language"), QStringLiteral("\u4e2d\u6587"));
    m.setValue("language", QString());
    QVERIFY(m.value("language").isEmpty());
}

void TestCommandsAppModel::appendQuery()
{
    qAppModel& m = appModel();
    m.setValue("ssid", QStringLiteral("a b&c"));
    m.setValue("series", QStringLiteral("KG1"));
    m.setValue("lang", QStringLiteral("\u4e2d"));
    QByteArray body;
    m.appendQuery(body, "ssid");
    QCOMPARE(body, QByteArray("ssid=a%20b%26c"));
    m.appendQuery(body, "series");
    m.appendQuery(body, "lang");
    QCOMPARE(body, QByteArray("ssid=a%20b%26c&series=KG1&lang=%E4%B8%AD"));
    QByteArray empty;
    m.appendQuery(empty, "query.unset");
    QCOMPARE(empty, QByteArray("query.unset="));
}

void TestCommandsAppModel::statusAndNavigation()
{
    qAppModel& m = appModel();
    QCOMPARE(m.status(), int(AppIdle));
    QCOMPARE(m.navigationBusy(), 0);
    m.setStatus(AppUpgrading);
    QCOMPARE(m.status(), 1);
    m.setStatus(AppRestoring);
    QCOMPARE(m.status(), 3);
    m.setStatus(AppIdle);
    m.setNavigationBusy(1);
    QCOMPARE(m.navigationBusy(), 1);
    m.setNavigationBusy(0);
}

void TestCommandsAppModel::concurrentReadersAndWriters()
{
    // A reader must never see a half-written string nor a freed one; run
    // under the address sanitizer this catches a reference handed out of the lock.
    qAppModel& m = appModel();
    const QString shortText = QStringLiteral("v1");
    const QString longText = QString(200, QChar('x'));
    m.setValue("race", shortText);
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) {
            m.setValue("race", (i & 1) ? longText : shortText);
            m.setValue("race.k" + std::to_string(i % 50), QString::number(i));
        }
        stop = true;
    });
    std::thread reader([&] {
        while (!stop) {
            const QString v = m.value("race");
            if (v != shortText && v != longText)
                ++bad;
            m.value("race.k" + std::to_string(v.size() % 50));
            m.setStatus(v.size() == 2 ? AppIdle : AppLoadingAll);
        }
    });
    writer.join();
    reader.join();
    QCOMPARE(bad.load(), 0);
    m.setStatus(AppIdle);
}

void TestCommandsAppModel::globalConfiguration()
{
    GlobalCfg* standIn = GlobalCfg::instance();
    QVERIFY(standIn);
    // The codec starts out with the configuration's checksum settings.
    QCOMPARE(frameCrcSeed.load(), standIn->crcSeed);
    QCOMPARE(frameCrcEnabled.load(), standIn->crcEnabled);
    // The object start-up creates becomes the instance even when the
    // constants were read before it existed, and is not handed out once gone.
    {
        GlobalCfg startup;
        QCOMPARE(GlobalCfg::instance(), &startup);
        GlobalCfg second;
        QCOMPARE(GlobalCfg::instance(), &startup); // one instance: the first
    }
    QCOMPARE(GlobalCfg::instance(), standIn); // back to the stand-in
}

QTEST_APPLESS_MAIN(TestCommandsAppModel)
#include "test_commands_app_model.moc"

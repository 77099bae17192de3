// The flash log: its line format field by field, tolerance of lines it did
// not write whole, and appends from two processes at once.
#include "upgrade/FlashLog.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kzo::upgrade;

namespace {

FlashRecord sample()
{
    FlashRecord r;
    r.when = QDateTime(QDate(2026, 12, 8), QTime(15, 47, 38), Qt::OffsetFromUTC, 3600);
    r.module = "mc";
    r.port = "/dev/ttyACM0";
    r.versionBefore = "3.2";
    r.image = "mc-3.3.bin";
    r.size = 20013;
    r.md5 = "0123456789ABCDEF0123456789abcdef";
    r.outcome = "ok";
    r.seconds = 12.34;
    return r;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Append));
    f.write(bytes);
}

constexpr const char* childEnv = "KZO_FLASH_LOG_CHILD";
constexpr int childLines = 400;

// A child process: appends childLines records tagged with its name.
int runChild(const QString& request)
{
    const QStringList parts = request.split(QLatin1Char('|'));
    FlashRecord r = sample();
    r.module = parts.value(1);
    // Long lines make a torn or mixed write likely if appends were not whole.
    r.image = QString(6000, parts.value(1).at(0));
    for (int i = 0; i < childLines; ++i) {
        r.size = i;
        if (!appendFlashRecord(parts.value(0), r))
            return 1;
    }
    return 0;
}

} // namespace

class TestFlashLog : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void lineFormat()
    {
        QCOMPARE(formatFlashRecord(sample()),
                 QString("2026-12-08T15:47:38+01:00\tmc\t/dev/ttyACM0\t3.2\tmc-3.3.bin\t20013\t"
                         "0123456789abcdef0123456789abcdef\tok\t12.3"));

        // Empty fields and separators inside fields keep the nine columns.
        FlashRecord r = sample();
        r.port.clear();
        r.versionBefore.clear();
        r.md5.clear();
        r.size = 0;
        r.image = "server 3.3";
        r.outcome = outcomeFailed("no answer\tfrom\nthe loader");
        r.seconds = 0.04;
        const QString line = formatFlashRecord(r);
        QCOMPARE(line, QString("2026-12-08T15:47:38+01:00\tmc\t-\t-\tserver 3.3\t0\t-\t"
                               "failed: no answer from the loader\t0.0"));
        const std::optional<FlashRecord> back = parseFlashRecord(line);
        QVERIFY(back);
        QCOMPARE(back->port, QString());
        QCOMPARE(back->versionBefore, QString());
        QCOMPARE(back->md5, QString());
        QCOMPARE(back->image, QString("server 3.3"));
        QCOMPARE(back->outcome, QString("failed: no answer from the loader"));
        QVERIFY(!back->ok());
    }

    void roundTrip()
    {
        const FlashRecord r = sample();
        const std::optional<FlashRecord> back = parseFlashRecord(formatFlashRecord(r));
        QVERIFY(back);
        QCOMPARE(back->when, r.when);
        QCOMPARE(back->when.offsetFromUtc(), 3600);
        QCOMPARE(back->module, r.module);
        QCOMPARE(back->port, r.port);
        QCOMPARE(back->versionBefore, r.versionBefore);
        QCOMPARE(back->image, r.image);
        QCOMPARE(back->size, r.size);
        QCOMPARE(back->md5, r.md5.toLower());
        QCOMPARE(back->outcome, r.outcome);
        QCOMPARE(back->seconds, 12.3);
        QVERIFY(back->ok());
    }

    void unreadableLines_data()
    {
        QTest::addColumn<QString>("line");
        const QString good = formatFlashRecord(sample());
        QTest::newRow("empty") << QString();
        QTest::newRow("torn") << good.left(40);
        QTest::newRow("one field more") << good + "\textra";
        QTest::newRow("bad date") << QString(good).replace("2026-12-08T", "yesterday ");
        QTest::newRow("bad size") << QString(good).replace("\t20013\t", "\t2x\t");
        QTest::newRow("negative size") << QString(good).replace("\t20013\t", "\t-1\t");
        QTest::newRow("bad md5") << QString(good).replace("0123456789abcdef0123456789abcdef", "xyz");
        QTest::newRow("bad outcome") << QString(good).replace("\tok\t", "\tmaybe\t");
        QTest::newRow("bad seconds") << QString(good).replace("\t12.3", "\tlong");
        QTest::newRow("no module") << QString(good).replace("\tmc\t", "\t-\t");
    }
    void unreadableLines()
    {
        QFETCH(QString, line);
        QVERIFY(!parseFlashRecord(line));
    }

    void lastEntriesOldestFirst()
    {
        const QString path = dir.filePath("last.log");
        for (int i = 0; i < 7; ++i) {
            FlashRecord r = sample();
            r.size = i;
            QVERIFY(appendFlashRecord(path, r));
        }
        const std::vector<FlashRecord> last = readFlashLog(path, 3);
        QCOMPARE(last.size(), size_t(3));
        QCOMPARE(last[0].size, 4);
        QCOMPARE(last[2].size, 6);
        QCOMPARE(readFlashLog(path, 50).size(), size_t(7));
        QVERIFY(readFlashLog(path, 0).empty());
        QVERIFY(readFlashLog(dir.filePath("missing.log"), 5).empty());
        QCOMPARE(readAll(path).count('\n'), 7);
    }

    // A writer that died mid-line, and lines that are not ours: neither
    // hides the entries around them.
    void tornAndForeignLines()
    {
        const QString path = dir.filePath("torn.log");
        FlashRecord first = sample();
        first.size = 1;
        QVERIFY(appendFlashRecord(path, first));
        writeRaw(path, "some note that is not an entry\n\n");
        writeRaw(path, formatFlashRecord(sample()).left(30).toUtf8()); // torn, no line end
        FlashRecord second = sample();
        second.size = 2;
        second.outcome = outcomeRefused("the module stayed in its firmware");
        QVERIFY(appendFlashRecord(path, second));

        const std::vector<FlashRecord> all = readFlashLog(path, 10);
        QCOMPARE(all.size(), size_t(2));
        QCOMPARE(all[0].size, 1);
        QCOMPARE(all[1].size, 2);
        QCOMPARE(all[1].outcome, QString("refused: the module stayed in its firmware"));
    }

    void appendFailsInAMissingFolder()
    {
        QString error;
        QVERIFY(!appendFlashRecord(dir.filePath("no/such/folder/flash.log"), sample(), &error));
        QVERIFY(!error.isEmpty());
    }

    void twoProcessesAppendAtOnce()
    {
        const QString path = dir.filePath("shared.log");
        QProcess a, b;
        for (auto [p, name] : {std::pair{&a, "alpha"}, std::pair{&b, "bravo"}}) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(childEnv, path + '|' + name);
            p->setProcessEnvironment(env);
            p->start(QCoreApplication::applicationFilePath(), {});
        }
        QVERIFY(a.waitForFinished(60000));
        QVERIFY(b.waitForFinished(60000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);

        const QList<QByteArray> lines = readAll(path).split('\n');
        QCOMPARE(lines.size(), 2 * childLines + 1); // the last is empty after the final line end
        QVERIFY(lines.last().isEmpty());
        QMap<QString, QList<qint64>> seen;
        for (int i = 0; i + 1 < lines.size(); ++i) {
            const std::optional<FlashRecord> r = parseFlashRecord(QString::fromUtf8(lines[i]));
            QVERIFY2(r, qPrintable(QString("line %1 is mixed or torn").arg(i + 1)));
            QCOMPARE(r->image, QString(6000, r->module.at(0)));
            seen[r->module].append(r->size);
        }
        QCOMPARE(seen.keys(), (QStringList{"alpha", "bravo"}));
        for (const QList<qint64>& sizes : seen) {
            QCOMPARE(sizes.size(), childLines);
            for (int i = 0; i < childLines; ++i)
                QCOMPARE(sizes[i], i);
        }
        QCOMPARE(readFlashLog(path, 5).size(), size_t(5));
    }

    void recorderFillsTheFacts()
    {
        const QByteArray image("abc");
        FlashRecorder rec(13, "/dev/pts/3", "", "pitch.hex", image);
        const FlashRecord r = rec.record(outcomeFailed("stalled"));
        QCOMPARE(r.module, QString("pitch"));
        QCOMPARE(r.size, 3);
        QCOMPARE(r.md5, QString("900150983cd24fb0d6963f7d28e17f72")); // MD5("abc")
        QCOMPARE(r.outcome, QString("failed: stalled"));
        QVERIFY(r.when.isValid());
        QVERIFY(r.seconds >= 0);
        QCOMPARE(moduleLogName(75), QString("75"));
        QCOMPARE(moduleLogName(10), QString("nv08c"));
        // The shared folder, not the program's own: kzo-flash and the window
        // must write the same file.
        QVERIFY(flashLogPath().endsWith("/KZO/kzo-assistant/flash.log"));
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(childEnv))
        return runChild(qEnvironmentVariable(childEnv));
    QCoreApplication app(argc, argv);
    TestFlashLog t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_flash_log.moc"

// kzo-flash's command line: module names, codes and the image argument.
#include "upgrade/flash/FlashJob.h"

#include <QTest>

using namespace kzo::flash;

namespace {
ParsedJob parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "kzo-flash");
    return parseFlashJob(args);
}
ParsedJob parse(const QStringList& args)
{
    std::vector<std::string> v;
    for (const QString& a : args)
        v.push_back(a.toStdString());
    return parse(v);
}
} // namespace

class TestFlashJob : public QObject {
    Q_OBJECT
private slots:
    void modules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("module");
        QTest::addColumn<int>("path");
        QTest::newRow("mc") << "mc" << 1 << int(ImagePath::RawFile);
        QTest::newRow("cmu") << "cmu" << 12 << int(ImagePath::RawFile);
        QTest::newRow("pitch") << "pitch" << 13 << int(ImagePath::HexFile);
        QTest::newRow("roll") << "roll" << 14 << int(ImagePath::HexFile);
        QTest::newRow("yaw") << "yaw" << 15 << int(ImagePath::HexFile);
        QTest::newRow("imu") << "imu" << 2 << int(ImagePath::Imu);
        QTest::newRow("led") << "led" << 4 << int(ImagePath::Can);
        QTest::newRow("gps") << "gps" << 3 << int(ImagePath::Can);
        QTest::newRow("pmu") << "pmu" << 7 << int(ImagePath::Can);
        QTest::newRow("receiver") << "receiver" << 9 << int(ImagePath::Can);
        QTest::newRow("nv08c") << "nv08c" << 10 << int(ImagePath::Can);
        QTest::newRow("glonass") << "glonass" << 11 << int(ImagePath::Can);
        QTest::newRow("code") << "200" << 200 << int(ImagePath::Can);
        QTest::newRow("code of a CAN module") << "4" << 4 << int(ImagePath::Can);
        // Codes of the modules on the link itself take their own loaders.
        QTest::newRow("code 1") << "1" << 1 << int(ImagePath::RawFile);
        QTest::newRow("code 2") << "2" << 2 << int(ImagePath::Imu);
        QTest::newRow("code 12") << "12" << 12 << int(ImagePath::RawFile);
        QTest::newRow("code 13") << "13" << 13 << int(ImagePath::HexFile);
        QTest::newRow("code 14") << "14" << 14 << int(ImagePath::HexFile);
        QTest::newRow("code 15") << "15" << 15 << int(ImagePath::HexFile);
    }
    void modules()
    {
        QFETCH(QString, name);
        QFETCH(int, module);
        QFETCH(int, path);
        const ParsedJob p = parse({"--module", name.toStdString(), "fw.bin"});
        QVERIFY2(p.error.empty(), p.error.c_str());
        QCOMPARE(int(p.job.module), module);
        QCOMPARE(int(p.job.path), path);
        QCOMPARE(p.job.image, std::string("fw.bin"));
        const ParsedJob q = parse({"fw.bin", "--module=" + name.toStdString()});
        QCOMPARE(int(q.job.module), module);
        QVERIFY(q.error.empty());
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::newRow("nothing") << QStringList{} << "--module is required";
        QTest::newRow("no name") << QStringList{"--module"} << "--module needs a module name";
        QTest::newRow("no image") << QStringList{"--module", "mc"} << "no image file given";
        QTest::newRow("two images") << QStringList{"--module", "mc", "a", "b"} << "more than one image file given";
        QTest::newRow("twice") << QStringList{"--module", "mc", "--module", "cmu", "a"} << "--module given twice";
        QTest::newRow("unknown option") << QStringList{"--fast", "--module", "mc", "a"} << "unknown option --fast";
        QTest::newRow("zero") << QStringList{"--module", "0", "a"} << "unknown module 0";
        QTest::newRow("too big") << QStringList{"--module", "256", "a"} << "unknown module 256";
        QTest::newRow("not decimal") << QStringList{"--module", "0x10", "a"} << "unknown module 0x10";
        QTest::newRow("upper case") << QStringList{"--module", "MC", "a"} << "unknown module MC";
    }
    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        const ParsedJob p = parse(args);
        QCOMPARE(QString::fromStdString(p.error), error);
        QVERIFY(!p.help);
        QVERIFY(!p.version);
    }

    // --help and --version answer whatever else is on the line.
    void helpAndVersion_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("help");
        QTest::addColumn<bool>("version");
        QTest::newRow("help alone") << QStringList{"--help"} << true << false;
        QTest::newRow("short help") << QStringList{"-h"} << true << false;
        QTest::newRow("help with a job") << QStringList{"--module", "mc", "a.bin", "--help"} << true << false;
        QTest::newRow("help before an error") << QStringList{"--help", "--fast"} << true << false;
        QTest::newRow("help after an error") << QStringList{"--fast", "--help"} << true << false;
        QTest::newRow("version") << QStringList{"--version"} << false << true;
        QTest::newRow("help wins over version") << QStringList{"--version", "--help"} << true << false;
    }
    void helpAndVersion()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, help);
        QFETCH(bool, version);
        const ParsedJob p = parse(args);
        QCOMPARE(p.help, help);
        QCOMPARE(p.version, version);
        QVERIFY2(p.error.empty(), p.error.c_str());
    }

    // The help text names every option, every module and every exit status.
    void helpTextIsComplete()
    {
        const QString text = QString::fromStdString(helpText());
        QVERIFY(text.startsWith("usage: kzo-flash "));
        for (const char* word : {"--port PATH", "--no-udev", "--module NAME", "--help", "--version", "mc", "cmu",
                                 "pitch", "roll", "yaw", "imu", "led", "gps", "pmu", "receiver", "nv08c", "glonass"})
            QVERIFY2(text.contains(QLatin1String(word)), word);
        for (const char* status : {"\n  0 ", "\n  1 ", "\n  2 "})
            QVERIFY2(text.contains(QLatin1String(status)), status);
        QVERIFY(text.endsWith('\n'));
    }
};

QTEST_GUILESS_MAIN(TestFlashJob)
#include "test_flash_job.moc"

// Script language: layout and fill of the frame, comments, sections, errors.
#include "support/LogCapture.h"
#include "support/FakeDevIo.h"
#include "console/DevScript.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using kzo::test::FakeDevIo;
using Bytes = FakeDevIo::Bytes;

class TestDevScript : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        io = std::make_unique<FakeDevIo>();
        currentDevIo = io.get();
        model.clear();
        script = std::make_unique<orb::DevScript>(&model);
    }
    void cleanup()
    {
        currentDevIo = &orb::nullDevIo();
        script.reset();
        io.reset();
    }

    void tenByteExample()
    {
        QVERIFY(script->run(file("begin data\n"
                                 "int32u sync const 0\n"
                                 "int16u len func length\n"
                                 "int8u pad null 4\n"
                                 "end\n")));
        QCOMPARE(io->written(), (std::vector<Bytes>{{0, 0, 0, 0, 10, 0, 0, 0, 0, 0}}));
    }

    void commentsBlankLinesTabsAndOtherSectionsChangeNothing()
    {
        kzo::test::LogCapture log;
        QVERIFY(script->run(file("; a comment\n"
                                 "plain line outside sections\n"
                                 "begin modify\n"
                                 "int8u x const 7\n"
                                 "end\n"
                                 "\tbegin   data \r\n"
                                 "# another comment\n"
                                 "\n"
                                 "int32u\tsync  const 0xAA55AA55\n"
                                 "   \n"
                                 "; int8u hidden const 9\n"
                                 "int16u len func length\n"
                                 "int8u pad null 4\n"
                                 "end data\n")));
        QCOMPARE(io->written(), (std::vector<Bytes>{{0x55, 0xAA, 0x55, 0xAA, 10, 0, 0, 0, 0, 0}}));
        QVERIFY(log.bytes().isEmpty());
    }

    void nullCountsAndConstTypes()
    {
        QVERIFY(script->run(file("begin data\n"
                                 "int16u a null 0\n"
                                 "int16u b null -3\n"
                                 "int8u c null 1\n"
                                 "int16s d const -2\n"
                                 "float e const 1.5\n"
                                 "int32u f func crc_16\n"
                                 "int8u len func length\n"
                                 "end\n")));
        // 2 + 2 + 1 + 2 + 4 + 4 + 1 = 16 bytes.
        QCOMPARE(io->written(),
            (std::vector<Bytes>{{0, 0, 0, 0, 0, 0xFE, 0xFF, 0x00, 0x00, 0xC0, 0x3F, 0, 0, 0, 0, 16}}));
    }

    void valueFieldsComeFromTheModel()
    {
        orb::DevValue v;
        v.type = orb::TypeInt16u;
        v.raw[0] = 0x34;
        v.raw[1] = 0x12;
        model.set(L"gimbal", L"pitch limit", v);
        QVERIFY(script->run(file("begin data\n"
                                 "int16u p value gimbal pitch limit\n"
                                 "int16u q value gimbal absent\n"
                                 "end\n")));
        QCOMPARE(io->written(), (std::vector<Bytes>{{0x34, 0x12, 0, 0}}));
    }

    void unknownTypeIsAScriptError()
    {
        kzo::test::LogCapture log;
        QVERIFY(!script->run(file("begin data\n"
                                  "int32u sync const 0\n"
                                  "int12u\tbad  const 1\n"
                                  "end\n")));
        QCOMPARE(log.bytes(), QByteArray("Script Error [   3] : int12u bad const 1\ncreate command fail!\n"));
        QCOMPARE(io->writeCount(), 0);
    }

    void constThatIsNotANumberIsAScriptError()
    {
        kzo::test::LogCapture log;
        QVERIFY(!script->run(file("begin data\n"
                                  "int32u sync const 0\n"
                                  "\n"
                                  "int16u len const abc\n"
                                  "end\n")));
        QCOMPARE(log.bytes(), QByteArray("Script Error [   4] : int16u len const abc\ncreate command fail!\n"));
        QCOMPARE(io->writeCount(), 0);
    }

    void malformedLinesAreScriptErrors_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("missing argument") << QByteArray("int8u pad null");
        QTest::newRow("unknown kind") << QByteArray("int8u pad nul 1");
        QTest::newRow("unknown func") << QByteArray("int8u pad func crc_32");
        QTest::newRow("count not a number") << QByteArray("int8u pad null many");
        QTest::newRow("huge count") << QByteArray("int8u pad null 99999999999");
    }
    void malformedLinesAreScriptErrors()
    {
        QFETCH(QByteArray, line);
        kzo::test::LogCapture log;
        QVERIFY(!script->run(file("begin data\n" + line + "\nend\n")));
        QCOMPARE(log.bytes(), "Script Error [   2] : " + line + "\ncreate command fail!\n");
        QCOMPARE(io->writeCount(), 0);
    }

    void noDataLinesSendsNothing()
    {
        kzo::test::LogCapture log;
        QVERIFY(!script->run(file("begin modify\nint8u x const 1\nend\n")));
        QCOMPARE(log.bytes(), QByteArray("create command fail!\n"));
        QCOMPARE(io->writeCount(), 0);
    }

    void missingFileIsSilent()
    {
        kzo::test::LogCapture log;
        QVERIFY(!script->run(L"/nonexistent/script.txt"));
        QVERIFY(log.bytes().isEmpty());
        QCOMPARE(io->writeCount(), 0);
    }

private:
    std::wstring file(const QByteArray& text)
    {
        const QString path = dir.filePath(QString("script%1.txt").arg(++files));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return path.toStdWString();
    }

    QTemporaryDir dir;
    int files = 0;
    orb::DevModel model;
    std::unique_ptr<FakeDevIo> io;
    std::unique_ptr<orb::DevScript> script;
};

QTEST_MAIN(TestDevScript)
#include "test_dev_script.moc"

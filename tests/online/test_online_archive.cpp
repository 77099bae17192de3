// Unpacking the help-document archive: entries land under the target folder
// only, and a refused entry leaves the target folder exactly as it was.
#include "online/DocArchive.h"
#include "online/StagedInstall.h"

#include "support/FileTree.h"

#include <QtTest>

#include <sys/stat.h>
#include <zip.h>

using namespace kzo::online;
using kzo::test::listing;
using kzo::test::readFile;
using kzo::test::writeFile;

namespace {

struct Entry {
    QByteArray name;
    QByteArray data;
    bool link = false;
};

bool writeZip(const QString& path, const QList<Entry>& entries)
{
    zipFile zf = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zf)
        return false;
    bool ok = true;
    for (const Entry& e : entries) {
        zip_fileinfo info{};
        info.tmz_date.tm_year = 2024;
        info.tmz_date.tm_mday = 1;
        info.external_fa = static_cast<uLong>(e.link ? (S_IFLNK | 0777) : (S_IFREG | 0644)) << 16;
        ok = ok
            && zipOpenNewFileInZip4_64(zf, e.name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                       Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr,
                                       0, (3u << 8) | 20u, 0, 0)
                == ZIP_OK;
        if (ok && !e.data.isEmpty())
            ok = zipWriteInFileInZip(zf, e.data.constData(), static_cast<unsigned>(e.data.size())) == ZIP_OK;
        zipCloseFileInZip(zf);
    }
    return zipClose(zf, nullptr) == ZIP_OK && ok;
}

} // namespace

class TestOnlineArchive : public QObject {
    Q_OBJECT
private slots:
    void entryNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << "doc/index.html" << true;
        QTest::newRow("folder") << "doc/en_US/" << true;
        QTest::newRow("dots inside a name") << "doc/a..b/..c" << true;
        QTest::newRow("parent") << "../escaped.txt" << false;
        QTest::newRow("parent inside") << "doc/../../x" << false;
        QTest::newRow("parent at end") << "doc/.." << false;
        QTest::newRow("backslash parent") << "doc\\..\\..\\x" << false;
        QTest::newRow("current") << "./doc/x" << false;
        QTest::newRow("absolute") << "/etc/passwd" << false;
        QTest::newRow("absolute backslash") << "\\windows\\x" << false;
        QTest::newRow("drive letter") << "C:x" << false;
        QTest::newRow("empty") << "" << false;
        // The file system ends a name at NUL: the file would land under
        // another name than the one reported ("doc/index.html" here).
        QTest::newRow("NUL inside") << QString::fromUtf8("doc/index.html\0junk", 19) << false;
        QTest::newRow("NUL after parent") << QString::fromUtf8("..\0/x", 5) << false;
    }
    void entryNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(isSafeEntryName(name), safe);
    }

    void unpacksIntoTargetOverwritingAndMerging()
    {
        QTemporaryDir tmp;
        const QString zip = tmp.filePath("doc.zip");
        const QString target = tmp.filePath("app");
        writeFile(target + "/doc/index.html", "old index");
        writeFile(target + "/doc/keep.html", "untouched");
        writeFile(target + "/app.conf", "settings");
        QVERIFY(writeZip(zip, {{"doc/", {}},
                               {"doc/index.html", "new index"},
                               {"doc/en_US/main.html", "main page"},
                               {"readme.txt", QByteArray(200000, 'r')}}));
        QString error;
        QStringList written;
        QVERIFY2(unpackArchive(zip, target, {target + "/app.conf"}, &error, &written), qPrintable(error));
        QCOMPARE(readFile(target + "/doc/index.html"), QByteArray("new index"));
        QCOMPARE(readFile(target + "/doc/keep.html"), QByteArray("untouched"));
        QCOMPARE(readFile(target + "/doc/en_US/main.html"), QByteArray("main page"));
        QCOMPARE(readFile(target + "/readme.txt"), QByteArray(200000, 'r'));
        QCOMPARE(written, QStringList({"doc/index.html", "doc/en_US/main.html", "readme.txt"}));
        // The staging folder is gone.
        QCOMPARE(readFile(target + "/app.conf"), QByteArray("settings"));
        QCOMPARE(listing(target), QStringList({"app.conf", "doc", "doc/en_US", "doc/en_US/main.html", "doc/index.html",
                                               "doc/keep.html", "readme.txt"}));
    }

    // Entries that would replace a folder, a file by a folder, a link, or one
    // of the program's settings files fail the whole unpack before anything
    // in the target changes.
    void refusesEntriesThatReplaceWhatIsThere_data()
    {
        QTest::addColumn<QByteArray>("clash");
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("kind");
        QTest::newRow("file where a folder is") << QByteArray("doc") << "doc/keep.html" << "folder";
        QTest::newRow("folder where a file is") << QByteArray("notes/a.html") << "notes" << "file";
        QTest::newRow("through a link") << QByteArray("linked/a.html") << "linked" << "link";
        QTest::newRow("settings file") << QByteArray("app.conf") << "app.conf" << "file";
        QTest::newRow("settings store in a sub-folder") << QByteArray("KZO/KG1.conf") << "KZO/KG1.conf" << "file";
    }
    void refusesEntriesThatReplaceWhatIsThere()
    {
        QFETCH(QByteArray, clash);
        QFETCH(QString, existing);
        QFETCH(QString, kind);
        QTemporaryDir tmp;
        const QString zip = tmp.filePath("doc.zip");
        const QString target = tmp.filePath("app");
        const QString outside = tmp.filePath("outside");
        QVERIFY(QDir().mkpath(outside));
        writeFile(target + "/a.txt", "old a");
        if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(outside, target + "/" + existing));
        else
            writeFile(target + "/" + existing, "kept");
        const QStringList before = listing(target);
        // A harmless entry first, so a partial unpack would show.
        QVERIFY(writeZip(zip, {{"a.txt", "new a"}, {clash, "replacement"}}));
        QString error;
        QVERIFY(!unpackArchive(zip, target, {target + "/app.conf", target + "/KZO/KG1.conf"}, &error));
        QVERIFY2(error.contains(QString::fromUtf8(clash).section('/', 0, 0)), qPrintable(error));
        QCOMPARE(listing(target), before);
        QCOMPARE(readFile(target + "/a.txt"), QByteArray("old a"));
        if (kind != QLatin1String("link"))
            QCOMPARE(readFile(target + "/" + existing), QByteArray("kept"));
        QCOMPARE(listing(outside), QStringList());
    }

    // Whichever move fails, the target ends as it was: files moved aside are
    // moved back, new files and folders are taken away again.
    void failedMoveLeavesTargetAsItWas()
    {
        for (int failAt = 1;; ++failAt) {
            QTemporaryDir tmp;
            const QString stage = tmp.filePath("stage");
            const QString target = tmp.filePath("app");
            writeFile(stage + "/doc/index.html", "new index");
            writeFile(stage + "/doc/en_US/main.html", "new main");
            writeFile(stage + "/readme.txt", "new readme");
            writeFile(target + "/doc/index.html", "old index");
            writeFile(target + "/readme.txt", "old readme");
            writeFile(target + "/app.conf", "settings");
            const QStringList before = listing(target);
            int call = 0;
            QString error;
            const bool ok = installStagedTree(stage, target, {}, &error, [&](const QString& from, const QString& to) {
                if (++call == failAt)
                    return false;
                return QFile::rename(from, to);
            });
            if (ok) {
                // Every move has been made to fail once: three files in, two aside.
                QCOMPARE(call, failAt - 1);
                QVERIFY(call >= 5);
                QCOMPARE(readFile(target + "/doc/index.html"), QByteArray("new index"));
                QCOMPARE(readFile(target + "/doc/en_US/main.html"), QByteArray("new main"));
                QCOMPARE(readFile(target + "/readme.txt"), QByteArray("new readme"));
                QCOMPARE(listing(target), QStringList({"app.conf", "doc", "doc/en_US", "doc/en_US/main.html",
                                                       "doc/index.html", "readme.txt"}));
                break;
            }
            QVERIFY(!error.isEmpty());
            QCOMPARE(listing(target), before);
            QCOMPARE(readFile(target + "/doc/index.html"), QByteArray("old index"));
            QCOMPARE(readFile(target + "/readme.txt"), QByteArray("old readme"));
            QVERIFY(failAt < 50);
        }
    }

    void refusesUnsafeArchives_data()
    {
        QTest::addColumn<QByteArray>("badName");
        QTest::addColumn<bool>("link");
        QTest::newRow("dot-dot") << QByteArray("../escaped.txt") << false;
        QTest::newRow("nested dot-dot") << QByteArray("doc/../../escaped.txt") << false;
        QTest::newRow("absolute") << QByteArray("/tmp/kzo-archive-test-absolute.txt") << false;
        QTest::newRow("link") << QByteArray("doc/link") << true;
    }
    void refusesUnsafeArchives()
    {
        QFETCH(QByteArray, badName);
        QFETCH(bool, link);
        QTemporaryDir tmp;
        const QString zip = tmp.filePath("doc.zip");
        const QString target = tmp.filePath("work/app");
        writeFile(target + "/doc/index.html", "old index");
        const QStringList before = listing(target);
        // Good entries first, so a partial unpack would show.
        QVERIFY(writeZip(zip, {{"doc/index.html", "new index"},
                               {"doc/new.html", "new"},
                               {badName, link ? QByteArray("/etc/passwd") : QByteArray("escaped"), link}}));
        QString error;
        QVERIFY(!unpackArchive(zip, target, {}, &error));
        QVERIFY(error.contains(QString::fromUtf8(badName)));
        QCOMPARE(listing(target), before);
        QCOMPARE(readFile(target + "/doc/index.html"), QByteArray("old index"));
        QVERIFY(!QFileInfo::exists(tmp.filePath("work/escaped.txt")));
        QVERIFY(!QFileInfo::exists(tmp.filePath("escaped.txt")));
        QVERIFY(!QFileInfo::exists("/tmp/kzo-archive-test-absolute.txt"));
        QVERIFY(QFileInfo::exists(zip));
    }

    void refusesBrokenArchives()
    {
        QTemporaryDir tmp;
        const QString target = tmp.filePath("app");
        QString error;
        writeFile(tmp.filePath("junk.zip"), "this is not an archive");
        QVERIFY(!unpackArchive(tmp.filePath("junk.zip"), target, {}, &error));
        QVERIFY(!unpackArchive(tmp.filePath("missing.zip"), target, {}, &error));

        // A damaged entry body fails the whole unpack.
        const QString zip = tmp.filePath("damaged.zip");
        QVERIFY(writeZip(zip, {{"doc/a.html", QByteArray(5000, 'a')}, {"doc/b.html", QByteArray(5000, 'b')}}));
        QByteArray bytes = readFile(zip);
        const qsizetype at = bytes.indexOf("doc/b.html") + 12;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
        bytes[at + 1] = static_cast<char>(bytes[at + 1] ^ 0x5A);
        writeFile(zip, bytes);
        QVERIFY(!unpackArchive(zip, target, {}, &error));
        QCOMPARE(listing(target), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestOnlineArchive)
#include "test_online_archive.moc"

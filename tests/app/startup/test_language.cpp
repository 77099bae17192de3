// Language selection at start-up, the software-disabled mark and the
// single-instance lock, each against temporary files.
#include "app/AppSettings.h"
#include "app/Language.h"
#include "app/LanguageConfig.h"
#include "app/SingleInstance.h"
#include "support/LogCapture.h"
#include "commands/qAppModel.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using kzo::test::LogCapture;

namespace {

const char* twoLanguages = R"(<?xml version="1.0" encoding="UTF-8"?>
<languages count="2">
  <language value="0" MenuText="English" shortName="en_US" file="kzo_en_US.qm"/>
  <language value="1" MenuText="Chinese" shortName="zh_CN" file="kzo_zh_CN.qm"/>
</languages>)";

// A data folder with config.xml and, when asked, the built Chinese translation.
struct DataDir {
    QTemporaryDir dir;
    explicit DataDir(const QByteArray& config, bool withTranslation = true)
    {
        if (!config.isNull()) {
            QFile f(dir.path() + "/config.xml");
            f.open(QIODevice::WriteOnly);
            f.write(config);
        }
        QDir(dir.path()).mkpath("language");
        if (withTranslation)
            QFile::copy(QStringLiteral(KZO_BIN_DIR "/language/kzo_zh_CN.qm"), dir.path() + "/language/kzo_zh_CN.qm");
    }
    QString path() const { return dir.path(); }
};

struct Settings {
    QTemporaryDir dir;
    QSettings s{dir.path() + "/settings.ini", QSettings::IniFormat};
};

QString skipText() { return QCoreApplication::translate("qWelcome", "skip"); }

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT
    QTranslator* translator = nullptr;

private slots:
    void init()
    {
        translator = new QTranslator(this);
        appModel().setValue("language", "");
    }
    void cleanup()
    {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }

    void translationIsBuilt() { QVERIFY(QFile::exists(QStringLiteral(KZO_BIN_DIR "/language/kzo_zh_CN.qm"))); }

    void firstStartStoresSystemLanguage()
    {
        DataDir data(twoLanguages);
        Settings st;
        LogCapture log;
        QVERIFY(!kzo::app::loadLanguage(*translator, st.s, data.path(), QLocale(QLocale::German, QLocale::Germany)));
        QCOMPARE(st.s.value("language").toInt(), int(QLocale::German));
        QCOMPARE(kzo::app::currentLocale(), QStringLiteral("de_DE"));
        // No German entry: English, and no message beyond the default line.
        QCOMPARE(log.bytes(), QByteArray("Default language : German\n"));
        QCOMPARE(appModel().value("language"), QStringLiteral("en_US"));
        QCOMPARE(skipText(), QStringLiteral("skip"));
    }

    void firstStartInChineseInstallsTranslation()
    {
        DataDir data(twoLanguages);
        Settings st;
        LogCapture log;
        QVERIFY(kzo::app::loadLanguage(*translator, st.s, data.path(), QLocale(QLocale::Chinese, QLocale::China)));
        QCOMPARE(log.bytes(), QByteArray("Default language : Chinese\nApp set language : Chinese\n"));
        QCOMPARE(appModel().value("language"), QStringLiteral("zh_CN"));
        QCOMPARE(kzo::app::currentLocale(), QStringLiteral("zh_CN"));
        QCOMPARE(skipText(), QString::fromUtf8("跳过"));
    }

    void storedEnglishSkipsConfigEntirely_data()
    {
        QTest::addColumn<int>("stored");
        QTest::newRow("English") << int(QLocale::English);
        QTest::newRow("none") << 0;
    }
    void storedEnglishSkipsConfigEntirely()
    {
        QFETCH(int, stored);
        DataDir data("<languages count='2'><broken");
        Settings st;
        st.s.setValue("language", stored);
        LogCapture log;
        QVERIFY(!kzo::app::loadLanguage(*translator, st.s, data.path()));
        QCOMPARE(log.bytes(), QByteArray("Language :English \n"));
        QCOMPARE(appModel().value("language"), QStringLiteral("en_US"));
    }

    void configProblemsFallBackToEnglish_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("missing") << QByteArray() << QByteArray("Error:Language config file not found!\n");
        QTest::newRow("parse error") << QByteArray("<languages count='2'><language") << QByteArray("config file parse error:");
        QTest::newRow("count 0") << QByteArray(R"(<languages count="0"><l shortName="zh_CN" file="kzo_zh_CN.qm"/></languages>)")
                                 << QByteArray();
        QTest::newRow("no count") << QByteArray(R"(<languages><l shortName="zh_CN" file="kzo_zh_CN.qm"/></languages>)")
                                  << QByteArray();
    }
    void configProblemsFallBackToEnglish()
    {
        QFETCH(QByteArray, config);
        QFETCH(QByteArray, expected);
        DataDir data(config);
        Settings st;
        st.s.setValue("language", int(QLocale::Chinese));
        LogCapture log;
        QVERIFY(!kzo::app::loadLanguage(*translator, st.s, data.path()));
        if (expected.isEmpty())
            QCOMPARE(log.bytes(), QByteArray());
        else
            QVERIFY2(log.bytes().startsWith(expected), log.bytes().constData());
        QCOMPARE(skipText(), QStringLiteral("skip"));
        QCOMPARE(appModel().value("language"), QStringLiteral("en_US"));
    }

    void onlyFirstMatchingEntryCounts()
    {
        // The first Chinese entry names a missing file; the second, valid one
        // is never tried.
        DataDir data(R"(<languages count="3">
            <language shortName="en_US" file="kzo_en_US.qm"/>
            <language MenuText="A" shortName="zh_CN" file="missing.qm"/>
            <language MenuText="B" shortName="zh_TW" file="kzo_zh_CN.qm"/>
        </languages>)");
        Settings st;
        st.s.setValue("language", int(QLocale::Chinese));
        LogCapture log;
        QVERIFY(!kzo::app::loadLanguage(*translator, st.s, data.path()));
        QCOMPARE(log.text(), QString::fromUtf8("Error:Language pack 【Chinese】not found!\n"));
        QCOMPARE(kzo::app::currentLocale(), QStringLiteral("zh_CN"));
        QCOMPARE(appModel().value("language"), QStringLiteral("en_US"));
        QCOMPARE(skipText(), QStringLiteral("skip"));
    }

    void menuListReadsEveryAttribute()
    {
        DataDir data(twoLanguages);
        const auto list = kzo::app::readLanguageFile(data.path() + "/config.xml");
        QCOMPARE(list.status, kzo::app::LanguageFileStatus::Ok);
        QCOMPARE(list.entries.size(), 2);
        QCOMPARE(list.entries[1].menuText, QStringLiteral("Chinese"));
        QCOMPARE(list.entries[1].shortName, QStringLiteral("zh_CN"));
        QCOMPARE(list.entries[1].file, QStringLiteral("kzo_zh_CN.qm"));
        QCOMPARE(list.entries[1].value, QStringLiteral("1"));
        // The shipped list names files that the build produced.
        const auto shipped = kzo::app::readLanguageFile(QStringLiteral(KZO_BIN_DIR "/config.xml"));
        QCOMPARE(shipped.status, kzo::app::LanguageFileStatus::Ok);
        QCOMPARE(shipped.entries.size(), 2);
        for (const auto& e : shipped.entries)
            QVERIFY2(QFile::exists(QStringLiteral(KZO_BIN_DIR "/language/") + e.file), qPrintable(e.file));
    }

    void softwareDisabledMark()
    {
        Settings st;
        QVERIFY(kzo::app::isSoftwareEnabled(st.s, "1.00"));
        st.s.setValue("1.00", 0);
        QVERIFY(kzo::app::isSoftwareEnabled(st.s, "1.00"));
        st.s.setValue("1.00", "yes");
        QVERIFY(kzo::app::isSoftwareEnabled(st.s, "1.00"));
        kzo::app::markSoftwareDisabled(st.s, "1.00");
        QVERIFY(!kzo::app::isSoftwareEnabled(st.s, "1.00"));
        // Another version is not affected.
        QVERIFY(kzo::app::isSoftwareEnabled(st.s, "1.01"));
    }

    void singleInstanceRefusesSecond()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/run/KZO-Assistant.lock";
        {
            kzo::app::SingleInstance first(path);
            QVERIFY(!first.alreadyRunning());
            kzo::app::SingleInstance second(path);
            QVERIFY(second.alreadyRunning());
        }
        // Released at exit: the next start runs.
        kzo::app::SingleInstance again(path);
        QVERIFY(!again.alreadyRunning());
    }

    void singleInstanceTakesOverStaleLock()
    {
        // A lock left by a process that has ended: an id above pid_max never
        // belongs to a live process.
        QFile maxFile("/proc/sys/kernel/pid_max");
        QVERIFY(maxFile.open(QIODevice::ReadOnly));
        const qint64 pid = maxFile.readAll().trimmed().toLongLong() + 1;
        QVERIFY(pid > 1);
        QTemporaryDir dir;
        const QString path = dir.path() + "/KZO-Assistant.lock";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        // pid, application name, host name: what the lock file holds.
        f.write(QByteArray::number(pid) + "\nkzo-assistant\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        f.close();
        kzo::app::SingleInstance inst(path);
        QVERIFY(!inst.alreadyRunning());
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "test_language.moc"

// The installed program: `cmake --install` lays each component out under a
// temporary prefix, as the Debian packages do under /usr, and a copy of this
// test put beside the installed kzo-assistant reports where the program's
// lookups (config.xml, translations, help documents) land from there.
#include "app/AppPaths.h"
#include "app/LanguageConfig.h"
#include "app/framework/HelpDocs.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* probeOption = "--print-paths";

// Probe mode: one "key=value" line per lookup; "doc:<path>=" lines for the
// help documents named on the command line.
int printPaths(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KZO"));
    QCoreApplication::setApplicationName(QStringLiteral("kzo-assistant"));
    std::printf("dataDir=%s\n", qPrintable(kzo::app::dataDir()));
    std::printf("configPath=%s\n", qPrintable(kzo::app::configPath()));
    std::printf("languageDir=%s\n", qPrintable(kzo::app::languageDir()));
    for (int i = 2; i < argc; ++i)
        std::printf("doc:%s=%s\n", argv[i], qPrintable(kzo::help::findDocument(QString::fromLocal8Bit(argv[i]))));
    return 0;
}

QString bundledDocRoot() { return QStringLiteral(KZO_SOURCE_DIR "/src/app/doc"); }

// The help documents the source tree bundles, relative to its doc folder.
QStringList bundledDocuments()
{
    QStringList out;
    QDirIterator it(bundledDocRoot(), {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out.append(QDir(bundledDocRoot()).relativeFilePath(it.next()));
    out.sort();
    return out;
}

struct Run {
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& args, const QProcessEnvironment& env = {})
{
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return {-1, QStringLiteral("did not finish: ") + QString::fromLocal8Bit(p.readAll())};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAll())};
}

// Installs one component under prefix; the files it installed, relative to prefix.
QStringList installComponent(const QString& component, const QString& prefix, QString* error)
{
    const Run r = run(QStringLiteral(KZO_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(KZO_BUILD_DIR), QStringLiteral("--prefix"), prefix,
                       QStringLiteral("--component"), component});
    if (r.exitCode != 0) {
        *error = r.output;
        return {};
    }
    QStringList files;
    QDirIterator it(prefix, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(prefix).relativeFilePath(it.next()));
    files.sort();
    return files;
}

#ifdef KZO_MAN_PAGES
QString gunzip(const QString& path)
{
    return run(QStringLiteral("gzip"), {QStringLiteral("-dc"), path}).output;
}
#endif

} // namespace

class TestInstallLayout : public QObject {
    Q_OBJECT
    QTemporaryDir prefix;
    QTemporaryDir home;
    QString root; // the prefix as the program sees its own path: symbolic links resolved
    QStringList installed;
    QMap<QString, QString> probed;

private slots:
    void initTestCase()
    {
        QVERIFY(prefix.isValid() && home.isValid());
        root = QFileInfo(prefix.path()).canonicalFilePath();
        QString error;
        installed = installComponent(QStringLiteral("assistant"), root, &error);
        QVERIFY2(!installed.isEmpty(), qPrintable(error));
        QVERIFY2(installed.contains(QStringLiteral("bin/kzo-assistant")), qPrintable(installed.join('\n')));

        // The probe runs from the installed bin/, with an empty per-user data
        // folder so only the installed documents can answer.
        const QString probe = root + QStringLiteral("/bin/kzo-paths-probe");
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), probe));
        QVERIFY(QFile::setPermissions(probe, QFile::permissions(probe) | QFile::ExeOwner));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
        const Run r = run(probe, QStringList{QString::fromLatin1(probeOption)} + bundledDocuments(), env);
        QCOMPARE(r.exitCode, 0);
        for (const QString& line : r.output.split('\n', Qt::SkipEmptyParts)) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0)
                probed.insert(line.left(eq), line.mid(eq + 1));
        }
        QVERIFY2(probed.contains(QStringLiteral("dataDir")), qPrintable(r.output));
    }

    // config.xml and every translation it lists, under <prefix>/share.
    void installedProgramFindsItsData()
    {
        const QString data = root + QStringLiteral("/share/kzo-assistant");
        QCOMPARE(probed.value(QStringLiteral("dataDir")), data);
        QCOMPARE(probed.value(QStringLiteral("configPath")), data + QStringLiteral("/config.xml"));
        QCOMPARE(probed.value(QStringLiteral("languageDir")), data + QStringLiteral("/language/"));

        const kzo::app::LanguageFile list = kzo::app::readLanguageFile(probed.value(QStringLiteral("configPath")));
        QCOMPARE(list.status, kzo::app::LanguageFileStatus::Ok);
        QVERIFY(list.entries.size() >= 2);
        for (const kzo::app::LanguageEntry& e : list.entries) {
            QTranslator t;
            QVERIFY2(t.load(probed.value(QStringLiteral("languageDir")) + e.file), qPrintable(e.file));
        }
    }

    // Every bundled help document is installed and found where it was installed.
    void installedProgramFindsHelpDocuments()
    {
        const QStringList docs = bundledDocuments();
        QVERIFY(docs.size() > 4);
        const QString docRoot = root + QStringLiteral("/share/kzo-assistant/doc/");
        for (const QString& doc : docs)
            QCOMPARE(probed.value(QStringLiteral("doc:") + doc), docRoot + doc);
    }

    // In the build tree the data beside the program wins over any installed copy.
    void buildTreeUsesDataBesideProgram()
    {
        QCOMPARE(kzo::app::dataDir(), QDir::cleanPath(QStringLiteral(KZO_BIN_DIR)));
        QCOMPARE(kzo::help::findDocument(QStringLiteral("gimbal/en_US/gimbal.html")),
                 QStringLiteral(KZO_BIN_DIR "/doc/gimbal/en_US/gimbal.html"));
    }

    // What the two packages are made of: the programs people run with their
    // desktop entry and udev rules, and the simulators on their own.
    void componentsHoldTheirFiles()
    {
        const QStringList assistant = {
            QStringLiteral("bin/kzo-assistant"),
            QStringLiteral("bin/kzo-console"),
            QStringLiteral("bin/kzo-flash"),
            QStringLiteral("lib/udev/rules.d/70-kzo-assistant.rules"),
            QStringLiteral("share/applications/kzo-assistant.desktop"),
            QStringLiteral("share/icons/hicolor/scalable/apps/kzo-assistant.svg"),
        };
        for (const QString& f : assistant)
            QVERIFY2(installed.contains(f), qPrintable(f));
        for (const QString& f : installed)
            QVERIFY2(!f.contains(QStringLiteral("devsim")) && !f.contains(QStringLiteral("updsim")), qPrintable(f));

        QTemporaryDir toolsPrefix;
        QString error;
        const QStringList tools = installComponent(QStringLiteral("tools"), toolsPrefix.path(), &error);
        QVERIFY2(tools.contains(QStringLiteral("bin/kzo-devsim")), qPrintable(error + tools.join('\n')));
        QVERIFY2(tools.contains(QStringLiteral("bin/kzo-updsim")), qPrintable(tools.join('\n')));
        for (const QString& f : tools)
            QVERIFY2(!f.contains(QStringLiteral("kzo-assistant.")) && !f.startsWith(QStringLiteral("bin/kzo-flash")),
                     qPrintable(f));
#ifdef KZO_MAN_PAGES
        // Each program's page sits in its program's package and carries the
        // exit statuses the program's --help states.
        const QStringList pages[] = {
            {QStringLiteral("kzo-assistant"), QStringLiteral("kzo-flash"), QStringLiteral("kzo-console")},
            {QStringLiteral("kzo-devsim"), QStringLiteral("kzo-updsim")}};
        const QString roots[] = {root, toolsPrefix.path()};
        const QStringList* lists[] = {&installed, &tools};
        for (int i = 0; i < 2; ++i) {
            for (const QString& prog : pages[i]) {
                const QString page = QStringLiteral("share/man/man1/") + prog + QStringLiteral(".1.gz");
                QVERIFY2(lists[i]->contains(page), qPrintable(page));
                const QString text = gunzip(roots[i] + '/' + page);
                QVERIFY2(text.contains(QStringLiteral(".SH NAME\n") + prog + QStringLiteral(" \\-")), qPrintable(text.left(400)));
                static const QRegularExpression exitStatus(QStringLiteral("\\n\\.S[HS] \"(EXIT STATUS|Exit status:)\"\\n"));
                QVERIFY2(text.contains(exitStatus), qPrintable(prog));
            }
        }
#endif
    }
};

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], probeOption) == 0)
        return printPaths(argc, argv);
    QCoreApplication app(argc, argv);
    TestInstallLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_install_layout.moc"

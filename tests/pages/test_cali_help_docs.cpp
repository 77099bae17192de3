// The calibration page's help documents as shipped beside the program: walked
// through both procedures in every language the program offers, the page's
// help view shows a bundled document in that language for every topic it is
// given (pushed at once or found by hovering a group), never the "Can't find
// help page" text; and every bundled document is one the page can show.
#include "pages/AckRecords.h"
#include "pages/qTxCali.h"
#include "support/FakeDevIo.h"
#include "support/HoverEvents.h"

#include "app/framework/HelpView.h"
#include "app/framework/qPageTemplate.h"
#include "commands/CommandCatalogue.h"
#include "commands/qAppModel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <QtTest>

#ifdef KZO_HAVE_WEBENGINE
#include <QWebEngineView>
#endif

#include <functional>
#include <utility>
#include <vector>

using kzo::test::ackRecord;
using kzo::test::FakeDevIo;
using namespace orb::cmdid;

namespace {

// The page's help folder in one language, beside the program.
QString bundledFolder(const QString& lang)
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/doc/calibration/") + lang);
}

QString bundledDoc(const QString& lang, const QString& topic)
{
    return bundledFolder(lang) + QLatin1Char('/') + topic + QStringLiteral(".html");
}

// The locale names of the languages config.xml offers beside the program.
QStringList offeredLanguages()
{
    QFile f(QCoreApplication::applicationDirPath() + QStringLiteral("/config.xml"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    QXmlStreamReader xml(&f);
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("languages"))
            continue; // into the document element
        const QString name = xml.attributes().value(QLatin1String("shortName")).toString();
        if (!name.isEmpty())
            out << name;
        xml.skipCurrentElement();
    }
    return xml.hasError() ? QStringList() : out;
}

// The calibration page in a container with a help view, on a fake device.
struct Bench {
    FakeDevIo io;
    qPageTemplate container{nullptr, 240, false, 19};
    qTxCali* page = new qTxCali;
    const kzo::pages::TxCaliUi& ui = page->widgets();

    Bench()
    {
        container.addTabPage(page);
        io.addListener(page);
    }
    ~Bench() { io.removeListener(page); }
    void report(uint8_t procedure, uint8_t code)
    {
        io.deliver(ackRecord(GimbalCalibStatus, {procedure, code, 0, 0, 0, 0, 0, 0}));
        QTRY_VERIFY(!page->isRefreshPending());
    }
    // Widgets of the page that carry a help topic (found by hovering them).
    QList<QWidget*> topicWidgets() const
    {
        QList<QWidget*> out;
        for (QWidget* w : page->findChildren<QWidget*>())
            if (!w->whatsThis().isEmpty())
                out << w;
        return out;
    }
};

// Each step as a person and the device go through the two procedures.
using Step = std::pair<const char*, std::function<void(Bench&)>>;

std::vector<Step> walk()
{
    return {
        {"page shown", [](Bench&) {}},
        {"connected", [](Bench& b) { b.page->onConnectionChanged(true); }},
        {"record started",
         [](Bench& b) {
             b.ui.pushButton_3->click();
             b.report(16, 99);
         }},
        {"roll recorded", [](Bench& b) { b.report(16, 105); }},
        {"tilt recorded", [](Bench& b) { b.report(16, 100); }},
        {"rotation started",
         [](Bench& b) {
             b.ui.pushButton->click();
             b.report(17, 1);
         }},
        {"rotation finished", [](Bench& b) { b.report(17, 2); }},
        {"data saved",
         [](Bench& b) {
             b.ui.pushButton->click();
             b.report(17, 3);
         }},
    };
}

// What the help view was given, for messages.
QString shown(const qPageTemplate& c) { return c.shownHelpUrl().toString() + c.shownHelpHtml(); }

// The address the help view's renderer is at (the web page's, not just the one asked for).
QUrl rendererUrl(const HelpView* view)
{
#ifdef KZO_HAVE_WEBENGINE
    if (const auto* web = qobject_cast<const QWebEngineView*>(view->viewWidget()))
        return web->url();
#endif
    return view->url();
}

} // namespace

class TestCaliHelpDocs : public QObject {
    Q_OBJECT
    QStringList languages;

    // Walks the page in one language, checking the help view at every step;
    // returns the topics seen.
    QSet<QString> walkIn(const QString& lang)
    {
        appModel().setValue("language", lang);
        Bench b;
        QSet<QString> seen;
        const QString folder = bundledFolder(lang);
        for (const auto& [name, act] : walk()) {
            act(b);
            if (QTest::currentTestFailed())
                return seen;
            const QString at = lang + QStringLiteral(", ") + QLatin1String(name) + QStringLiteral(": ");
            // What the page put into the view itself (its own topic, or one pushed by a step).
            const QString path = b.container.shownHelpUrl().toLocalFile();
            if (path.isEmpty() || QFileInfo(path).path() != folder) {
                QTest::qFail(qPrintable(at + QStringLiteral("shows ") + shown(b.container)), __FILE__, __LINE__);
                return seen;
            }
            seen << QFileInfo(path).completeBaseName();
            // What hovering each group brings up.
            const QList<QWidget*> widgets = b.topicWidgets();
            if (widgets.isEmpty()) {
                QTest::qFail(qPrintable(at + QStringLiteral("no widget carries a help topic")), __FILE__, __LINE__);
                return seen;
            }
            for (QWidget* w : widgets) {
                const QString topic = w->whatsThis();
                kzo::test::sendEnter(w);
                const QUrl expected = QUrl::fromLocalFile(bundledDoc(lang, topic));
                const bool ok = b.container.shownHelpUrl() == expected && QFileInfo::exists(expected.toLocalFile());
                const QString got = shown(b.container);
                kzo::test::sendLeave(w);
                if (!ok) {
                    QTest::qFail(qPrintable(at + w->objectName() + QStringLiteral(" (") + topic
                                            + QStringLiteral(") shows ") + got),
                                 __FILE__, __LINE__);
                    return seen;
                }
                seen << topic;
            }
        }
        return seen;
    }

private slots:
    void initTestCase()
    {
        languages = offeredLanguages();
        QVERIFY2(languages.contains(QStringLiteral("en_US")),
                 qPrintable(QStringLiteral("languages offered: ") + languages.join(',')));
    }

    // Every topic the walk meets has a document in every language, and every
    // document is one the page can show (a misspelt file name shows up here).
    void everyTopicHasADocumentInEveryLanguage()
    {
        for (const QString& lang : std::as_const(languages)) {
            const QSet<QString> seen = walkIn(lang);
            if (QTest::currentTestFailed())
                return;
            QSet<QString> documents;
            const QStringList files = QDir(bundledFolder(lang)).entryList({QStringLiteral("*.html")}, QDir::Files);
            for (const QString& f : files)
                documents << QFileInfo(f).completeBaseName();
            QStringList missing = (seen - documents).values();
            QStringList unused = (documents - seen).values();
            missing.sort();
            unused.sort();
            QVERIFY2(missing.isEmpty() && unused.isEmpty(),
                     qPrintable(lang + QStringLiteral(": no document for ") + missing.join(',')
                                + QStringLiteral("; never shown: ") + unused.join(',')));
            // The page's own topic and the steps of both procedures.
            QVERIFY2(seen.size() >= 9, qPrintable(lang + QStringLiteral(": topics seen: ") + seen.values().join(',')));
        }
    }

    // The documents declare UTF-8 and are valid UTF-8 (else the view garbles
    // them), have a title and a heading, and are translated, not copies of
    // the English ones.
    void documentsAreWellFormed()
    {
        const QStringList topics =
            QDir(bundledFolder(QStringLiteral("en_US"))).entryList({QStringLiteral("*.html")}, QDir::Files);
        QVERIFY(!topics.isEmpty());
        static const QRegularExpression charset(QStringLiteral("<meta charset=\"utf-8\">"),
                                                QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression title(QStringLiteral("<title>[^<]+</title>"));
        static const QRegularExpression heading(QStringLiteral("<h1>[^<]+</h1>"));
        for (const QString& lang : std::as_const(languages)) {
            for (const QString& file : topics) {
                const QString path = bundledFolder(lang) + QLatin1Char('/') + file;
                QFile f(path);
                QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
                const QByteArray bytes = f.readAll();
                QStringDecoder utf8(QStringDecoder::Utf8);
                const QString text = utf8(bytes);
                QVERIFY2(!utf8.hasError(), qPrintable(path + QStringLiteral(": not UTF-8")));
                QVERIFY2(text.contains(charset), qPrintable(path + QStringLiteral(": no UTF-8 declaration")));
                QVERIFY2(text.contains(title), qPrintable(path + QStringLiteral(": no title")));
                QVERIFY2(text.contains(heading), qPrintable(path + QStringLiteral(": no heading")));
                QVERIFY2(text.trimmed().endsWith(QLatin1String("</html>")), qPrintable(path + QStringLiteral(": cut short")));
                if (lang == QLatin1String("en_US"))
                    continue;
                QFile english(bundledFolder(QStringLiteral("en_US")) + QLatin1Char('/') + file);
                QVERIFY(english.open(QIODevice::ReadOnly));
                QVERIFY2(english.readAll() != bytes, qPrintable(path + QStringLiteral(": the English text")));
            }
        }
    }

    // A document pushed by a step loads in the help view. (Offscreen, the web
    // view draws nothing that a grab could show, so there is no picture.)
    void pushedDocumentLoads()
    {
        const QString lang = languages.contains(QStringLiteral("zh_CN")) ? QStringLiteral("zh_CN") : languages.first();
        appModel().setValue("language", lang);
        Bench b;
        b.container.resize(900, 520);
        b.container.show();
        QVERIFY(QTest::qWaitForWindowExposed(&b.container));
        HelpView* view = b.container.helpView();
        QVERIFY(view);
        QSignalSpy loaded(view, &HelpView::loadFinished);
        b.ui.pushButton_3->click();
        b.report(16, 99);
        const QUrl want = QUrl::fromLocalFile(bundledDoc(lang, QStringLiteral("roll_help")));
        QCOMPARE(b.container.shownHelpUrl(), want);
        // Earlier loads (the page's own topic) may finish or be stopped on the way.
        QTRY_VERIFY2_WITH_TIMEOUT(!loaded.isEmpty() && loaded.last().at(0).toBool() && rendererUrl(view) == want,
                                  qPrintable(rendererUrl(view).toString()), 30000);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestCaliHelpDocs test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_cali_help_docs.moc"

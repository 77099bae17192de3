// The help view of a container: pages by hover, the en_US fallback, the missing
// page text, tips, and links handed to the desktop's browser.
#include "app/framework/FrameworkFixtures.h"
#include "app/framework/HelpDocs.h"
#include "app/framework/HelpView.h"
#include "app/framework/PageContainers.h"
#include "app/framework/qHtmlHelper.h"
#include "support/LogCapture.h"
#include "commands/qAppModel.h"
#include "widgets/QTipLabel.h"
#include "support/HoverEvents.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QtTest>


using kzo::test::CountingPage;
using kzo::test::sendEnter;
using kzo::test::sendLeave;

namespace {

void writeFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

} // namespace

// Receives the addresses the desktop would open.
class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestHelpView : public QObject {
    Q_OBJECT
    QString root;
    QWidget* outerA = nullptr;
    QWidget* innerB = nullptr;

    CountingPage* samplePage()
    {
        auto* page = new CountingPage(QStringLiteral("Sample"));
        outerA = new QWidget(page);
        outerA->setWhatsThis(QStringLiteral("A"));
        innerB = new QWidget(outerA);
        innerB->setWhatsThis(QStringLiteral("B"));
        return page;
    }

private slots:
    void initTestCase()
    {
        appModel().setValue("language", QStringLiteral("de_DE"));
        root = kzo::help::userDocRoot();
        writeFile(root + "/sample/de_DE/A.html",
                  "<html><body><p>A auf Deutsch</p><a id=\"l\" href=\"https://example.org/help\">more</a>"
                  "</body></html>");
        writeFile(root + "/sample/en_US/A.html", "<html><body>A in English</body></html>");
        writeFile(root + "/sample/en_US/B.html", "<html><body>B in English</body></html>");
        writeFile(root + "/de_DE/tips/sample/A.tips", "Tip A auf Deutsch");
        writeFile(root + "/en_US/tips/sample/B.tips", "Tip B in English");
    }

    void basicContainer()
    {
        qBasicPageBase basic;
        QCOMPARE(basic.title(), QStringLiteral("Basic"));
        QCOMPARE(basic.layoutStyle(), 19);
        QCOMPARE(basic.helpWidth(), 240);
        QCOMPARE(basic.language, QStringLiteral("de_DE"));
        QCOMPARE(basic.docDir, QStringLiteral("doc"));
        HelpView* view = basic.helpView();
        QVERIFY(view);
        QCOMPARE(view->objectName(), QStringLiteral("HelpView"));
        QCOMPARE(view->width(), 240);
        QCOMPARE(view->viewWidget()->contextMenuPolicy(), Qt::NoContextMenu);
        QCOMPARE(view->viewWidget()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(view->url(), QUrl(QStringLiteral("about:blank")));
        QCOMPARE(basic.pageImages().pressed, QStringLiteral(":/Utility/res/page_setup_focus_t.png"));
    }

    void helpFollowsHoverWithFallbackAndMissingText()
    {
        kzo::test::LogCapture log;
        qBasicPageBase basic;
        basic.resize(700, 400);
        basic.show();
        const int first = kzo::log::sequence();
        basic.addTabPage(samplePage());
        // Focusing the first sub-page asks for its own help page, which is missing.
        const QString missingSample = QCoreApplication::applicationDirPath() + "/doc/sample/en_US/sample.html";
        QCOMPARE(basic.shownHelpHtml(), QStringLiteral("<b>Can't find help page :</b><br />") + missingSample);
        QVERIFY(basic.shownHelpUrl().isEmpty());
        QCOMPARE(basic.helpView()->html(), basic.shownHelpHtml());

        const QUrl a = QUrl::fromLocalFile(root + "/sample/de_DE/A.html");
        const QUrl b = QUrl::fromLocalFile(root + "/sample/en_US/B.html"); // no German page: English
        sendEnter(outerA);
        QCOMPARE(basic.shownHelpUrl(), a);
        QCOMPARE(basic.helpView()->url(), a);
        sendEnter(innerB);
        QCOMPARE(basic.shownHelpUrl(), b);
        sendLeave(innerB);
        QCOMPARE(basic.shownHelpUrl(), a);
        sendLeave(outerA);

        basic.showHtmlHelp(QStringLiteral("C"));
        const QString missingC = QCoreApplication::applicationDirPath() + "/doc/sample/en_US/C.html";
        QCOMPARE(basic.shownHelpHtml(), QStringLiteral("<b>Can't find help page :</b><br />") + missingC);

        const QString dir = QStringLiteral(KZO_TEST_OUTPUT_DIR) + QStringLiteral("/widgets");
        QDir().mkpath(dir);
        QVERIFY(basic.grab().save(dir + QStringLiteral("/page_basic_help.png")));

        const QByteArray expected = missingSample.toLocal8Bit() + " \n"
            + kzo::test::logHeader("UIEX", first) + "helpChanged,enter2::B\n"
            + kzo::test::logHeader("UIEX", first + 1) + "helpChanged,leave2::A\n" + missingC.toLocal8Bit() + " \n";
        QCOMPARE(log.bytes(), expected);
    }

    void tips()
    {
        qBasicPageBase basic;
        QVERIFY(basic.tipText(QStringLiteral("A")).isEmpty()); // no sub-page yet
        basic.addTabPage(samplePage());
        QCOMPARE(basic.tipText(QStringLiteral("A")), QStringLiteral("Tip A auf Deutsch"));
        QCOMPARE(basic.tipText(QStringLiteral("B")), QStringLiteral("Tip B in English"));
        QVERIFY(basic.tipText(QStringLiteral("C")).isEmpty());
        basic.showToolTip(QStringLiteral("B"));
        QTipLabel* tip = QTipLabel::instance();
        QVERIFY(tip);
        QVERIFY(tip->isVisible());
        QCOMPARE(tip->text(), QStringLiteral("Tip B in English"));
        QTipLabel::hideText();
        basic.showToolTip(QStringLiteral("C")); // no tip: nothing shown
        QVERIFY(!tip->isVisible());
        delete tip;
    }

    void linksGoToTheDesktop()
    {
        UrlSink sink;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &sink, "open");
        qBasicPageBase basic;
        basic.resize(700, 400);
        basic.show();
        basic.addTabPage(samplePage());
        const QUrl link(QStringLiteral("https://example.org/help"));
        emit basic.helpView()->linkClicked(link);
        QCOMPARE(sink.opened.size(), 1);
        QCOMPARE(sink.opened.first(), link);

        // A help document is drawn by the text browser, which hands a
        // clicked link out instead of following it.
        QSignalSpy loaded(basic.helpView(), &HelpView::loadFinished);
        basic.showHtmlHelp(QStringLiteral("A"));
        QVERIFY(loaded.isEmpty()); // reported from the event loop, as a web view does
        QTRY_VERIFY(!loaded.isEmpty());
        QVERIFY(loaded.last().at(0).toBool());
        auto* browser = qobject_cast<QTextBrowser*>(basic.helpView()->viewWidget());
        QVERIFY(browser);
        QVERIFY(browser->toPlainText().contains(QStringLiteral("A auf Deutsch")));
        QVERIFY(!browser->openExternalLinks() && !browser->openLinks());
        emit browser->anchorClicked(link);
        QCOMPARE(sink.opened.size(), 2);
        QCOMPARE(sink.opened.last(), link);
        QCOMPARE(basic.helpView()->url(), QUrl::fromLocalFile(root + "/sample/de_DE/A.html")); // did not navigate
        // Help documents never bring the web engine into the window.
        QVERIFY(!basic.helpView()->hasWebView());
        QVERIFY(basic.findChildren<QWidget*>(QStringLiteral("qt_opengl_widget")).isEmpty());
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    // A web page (the online dialogs' release notes and announcements) is
    // drawn by the web engine, created then; a document afterwards goes back
    // to the text browser.
    void webAddressesGoToTheWebEngine()
    {
        HelpView view;
        view.resize(300, 200);
        view.show();
        QVERIFY(!view.hasWebView());
        QSignalSpy loaded(&view, &HelpView::loadFinished);
        view.load(QUrl(QStringLiteral("http://127.0.0.1:9/notes.html"))); // nobody listens there
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 30000);
        if (HelpView::usesWebEngine()) {
            QVERIFY(view.hasWebView());
            QCOMPARE(view.viewWidget()->metaObject()->className(), "QWebEngineView");
        }
        QVERIFY(!loaded.last().at(0).toBool());
        view.setHtml(QStringLiteral("<p>Checking</p>"));
        QVERIFY(qobject_cast<QTextBrowser*>(view.viewWidget()));
        QTRY_COMPARE(loaded.size(), 2);
        QVERIFY(loaded.last().at(0).toBool());
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestHelpView test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_help_view.moc"

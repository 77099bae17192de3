#pragma once
// The help view beside a page's content, and the web view of the online
// dialogs. Documents on disk and fixed texts are drawn by a text browser;
// web pages by Qt WebEngine (when the build has it), created on the first
// web address. A window that never shows a web page so never carries a
// web view: on a desktop without a GPU that would compose the whole window
// through software OpenGL on every repaint, and start the engine's helper
// processes. Links never navigate the view; they are handed out through
// linkClicked (the owner opens them in the desktop's browser).
#include <QUrl>
#include <QWidget>

class QStackedLayout;
class QTextBrowser;

class HelpView : public QWidget {
    Q_OBJECT
public:
    explicit HelpView(QWidget* parent = nullptr);

    // A file or about:blank goes to the text browser, an http or https
    // address to the web view. loadFinished follows from the event loop.
    void load(const QUrl& url);
    void setHtml(const QString& html, const QUrl& baseUrl = {});
    void stop();
    // The document last asked for (about:blank at start, empty after setHtml).
    QUrl url() const { return current; }
    // The HTML last given to setHtml.
    QString html() const { return lastHtml; }
    // The widget rendering now: the text browser, or the web view while a
    // web page is shown.
    QWidget* viewWidget() const;
    // Whether the web view exists (a web page was asked for).
    bool hasWebView() const { return web != nullptr; }
    static bool usesWebEngine();

signals:
    void linkClicked(QUrl url);
    void loadFinished(bool ok);

private:
    void showBrowser();
    void finishLater(bool ok);

    QStackedLayout* stack;
    QTextBrowser* browser;
    QWidget* web = nullptr;
    QUrl current;
    QString lastHtml;
};

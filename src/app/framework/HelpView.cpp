#include "app/framework/HelpView.h"

#include <QVBoxLayout>

#ifdef KZO_HAVE_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// Refuses every navigation the user starts by a click and reports it instead.
class LinkDelegatingPage : public QWebEnginePage {
public:
    LinkDelegatingPage(HelpView* owner, QObject* parent) : QWebEnginePage(parent), owner(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (type == NavigationTypeLinkClicked) {
            QMetaObject::invokeMethod(owner, "linkClicked", Qt::QueuedConnection, Q_ARG(QUrl, url));
            return false;
        }
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
    // Links meant for a new window go the same way.
    QWebEnginePage* createWindow(WebWindowType) override
    {
        auto* sink = new QWebEnginePage(this);
        connect(sink, &QWebEnginePage::urlChanged, this, [this, sink](const QUrl& url) {
            QMetaObject::invokeMethod(owner, "linkClicked", Qt::QueuedConnection, Q_ARG(QUrl, url));
            sink->deleteLater();
        });
        return sink;
    }

private:
    HelpView* owner;
};

} // namespace

bool HelpView::usesWebEngine()
{
    return true;
}

HelpView::HelpView(QWidget* parent) : QWidget(parent)
{
    auto* web = new QWebEngineView(this);
    web->setPage(new LinkDelegatingPage(this, web));
    web->setContextMenuPolicy(Qt::NoContextMenu);
    web->setFocusPolicy(Qt::NoFocus);
    connect(web, &QWebEngineView::loadFinished, this, &HelpView::loadFinished);
    view = web;
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(web);
    load(QUrl(QStringLiteral("about:blank")));
}

void HelpView::load(const QUrl& url)
{
    current = url;
    static_cast<QWebEngineView*>(view)->load(url);
}

void HelpView::setHtml(const QString& html, const QUrl& baseUrl)
{
    current = QUrl();
    lastHtml = html;
    static_cast<QWebEngineView*>(view)->setHtml(html, baseUrl);
}

void HelpView::stop()
{
    static_cast<QWebEngineView*>(view)->stop();
}

#else
#include <QFile>
#include <QTextBrowser>

bool HelpView::usesWebEngine()
{
    return false;
}

HelpView::HelpView(QWidget* parent) : QWidget(parent)
{
    auto* browser = new QTextBrowser(this);
    browser->setOpenExternalLinks(false);
    browser->setOpenLinks(false);
    browser->setContextMenuPolicy(Qt::NoContextMenu);
    browser->setFocusPolicy(Qt::NoFocus);
    connect(browser, &QTextBrowser::anchorClicked, this, &HelpView::linkClicked);
    view = browser;
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(browser);
    current = QUrl(QStringLiteral("about:blank"));
}

void HelpView::load(const QUrl& url)
{
    current = url;
    auto* browser = static_cast<QTextBrowser*>(view);
    if (url.isLocalFile()) {
        browser->setSource(url, QTextDocument::HtmlResource);
        emit loadFinished(!browser->document()->isEmpty());
    } else {
        browser->clear();
        emit loadFinished(url == QUrl(QStringLiteral("about:blank")));
    }
}

void HelpView::setHtml(const QString& html, const QUrl& baseUrl)
{
    current = QUrl();
    lastHtml = html;
    auto* browser = static_cast<QTextBrowser*>(view);
    browser->document()->setBaseUrl(baseUrl);
    browser->setHtml(html);
    emit loadFinished(true);
}

void HelpView::stop() {}
#endif

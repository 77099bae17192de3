#include "app/framework/HelpView.h"

#include <QStackedLayout>
#include <QTextBrowser>

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
#else
bool HelpView::usesWebEngine()
{
    return false;
}
#endif

namespace {

bool isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

HelpView::HelpView(QWidget* parent) : QWidget(parent)
{
    browser = new QTextBrowser(this);
    browser->setOpenExternalLinks(false);
    browser->setOpenLinks(false);
    browser->setContextMenuPolicy(Qt::NoContextMenu);
    browser->setFocusPolicy(Qt::NoFocus);
    browser->setFrameShape(QFrame::NoFrame);
    connect(browser, &QTextBrowser::anchorClicked, this, &HelpView::linkClicked);
    stack = new QStackedLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(browser);
    current = QUrl(QStringLiteral("about:blank"));
}

QWidget* HelpView::viewWidget() const
{
    return stack->currentWidget();
}

void HelpView::showBrowser()
{
#ifdef KZO_HAVE_WEBENGINE
    // A web page still loading behind the browser would report its end late.
    if (web)
        static_cast<QWebEngineView*>(web)->stop();
#endif
    stack->setCurrentWidget(browser);
}

void HelpView::finishLater(bool ok)
{
    // As a web view reports: after the caller has returned.
    QMetaObject::invokeMethod(this, [this, ok] { emit loadFinished(ok); }, Qt::QueuedConnection);
}

void HelpView::load(const QUrl& url)
{
    current = url;
    if (isWebAddress(url)) {
#ifdef KZO_HAVE_WEBENGINE
        if (!web) {
            auto* view = new QWebEngineView(this);
            view->setPage(new LinkDelegatingPage(this, view));
            view->setContextMenuPolicy(Qt::NoContextMenu);
            view->setFocusPolicy(Qt::NoFocus);
            connect(view, &QWebEngineView::loadFinished, this, [this, view](bool ok) {
                if (stack->currentWidget() == view)
                    emit loadFinished(ok);
            });
            web = view;
            stack->addWidget(web);
        }
        stack->setCurrentWidget(web);
        static_cast<QWebEngineView*>(web)->load(url);
#else
        showBrowser();
        browser->clear();
        finishLater(false);
#endif
        return;
    }
    showBrowser();
    if (url.isLocalFile()) {
        browser->setSource(url, QTextDocument::HtmlResource);
        finishLater(!browser->document()->isEmpty());
        return;
    }
    browser->clear();
    finishLater(url == QUrl(QStringLiteral("about:blank")));
}

void HelpView::setHtml(const QString& html, const QUrl& baseUrl)
{
    current = QUrl();
    lastHtml = html;
    showBrowser();
    browser->document()->setBaseUrl(baseUrl);
    browser->setHtml(html);
    finishLater(true);
}

void HelpView::stop()
{
#ifdef KZO_HAVE_WEBENGINE
    if (web)
        static_cast<QWebEngineView*>(web)->stop();
#endif
}

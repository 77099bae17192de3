#pragma once
// The help view beside a page's content. On Qt WebEngine when the build has it,
// otherwise a text browser with the same interface. Links never navigate the
// view; they are handed out through linkClicked (the container opens them in
// the desktop's browser).
#include <QUrl>
#include <QWidget>

class HelpView : public QWidget {
    Q_OBJECT
public:
    explicit HelpView(QWidget* parent = nullptr);

    void load(const QUrl& url);
    void setHtml(const QString& html, const QUrl& baseUrl = {});
    void stop();
    // The document last asked for (about:blank at start, empty after setHtml).
    QUrl url() const { return current; }
    // The HTML last given to setHtml.
    QString html() const { return lastHtml; }
    // The widget doing the rendering (a web view or a text browser).
    QWidget* viewWidget() const { return view; }
    static bool usesWebEngine();

signals:
    void linkClicked(QUrl url);
    void loadFinished(bool ok);

private:
    QWidget* view;
    QUrl current;
    QString lastHtml;
};

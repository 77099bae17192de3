#pragma once
// Shared by the tests of the software updater, the newsletter and the message
// window: what a window shows, the browser stand-in and the pictures.
#include "app/framework/HelpView.h"
#include "online/AppPaths.h"
#include "online/DataUploader.h"

#include <QDesktopServices>
#include <QDir>
#include <QImage>
#include <QSettings>
#include <QWidget>

// Collects what would have gone to the desktop's browser, for every scheme.
class BrowserSink : public QObject {
    Q_OBJECT
public:
    static constexpr const char* schemes[] = {"http", "https", "file", "javascript", "ftp"};
    BrowserSink()
    {
        for (const char* s : schemes)
            QDesktopServices::setUrlHandler(QLatin1String(s), this, "open");
    }
    ~BrowserSink() override
    {
        for (const char* s : schemes)
            QDesktopServices::unsetUrlHandler(QLatin1String(s));
    }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

template <typename T>
T* part(QWidget* w, const char* name)
{
    return w->findChild<T*>(QLatin1String(name));
}

// The HTML a window last put into its web view.
inline QString viewHtml(QWidget* w)
{
    return part<HelpView>(w, "webView")->html();
}

inline QUrl viewUrl(QWidget* w)
{
    return part<HelpView>(w, "webView")->url();
}

inline int storedNewsVersion()
{
    QSettings conf(kzo::online::appConfPath(), QSettings::IniFormat);
    return conf.value(DataUploader::appConfGroup() + QStringLiteral("/news_version"), -1).toInt();
}

inline void storeNewsVersion(int v)
{
    QSettings conf(kzo::online::appConfPath(), QSettings::IniFormat);
    conf.setValue(DataUploader::appConfGroup() + QStringLiteral("/news_version"), v);
}

// Renders the window as it would appear on screen and keeps the image.
inline QImage render(QWidget* w, const QString& name)
{
    const QImage image = w->grab().toImage();
    QDir().mkpath(QStringLiteral(KZO_TEST_OUTPUT_DIR));
    image.save(QStringLiteral(KZO_TEST_OUTPUT_DIR "/") + name);
    return image;
}

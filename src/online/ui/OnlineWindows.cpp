#include "online/ui/OnlineWindows.h"

#include "app/framework/HelpView.h"
#include "online/ui/LoginLinks.h"

#include <QDesktopServices>
#include <QUrl>

namespace kzo::online {

void showViewText(HelpView* view, const QString& text)
{
    view->setHtml(QStringLiteral("<div style=\"font:12px Arial;\">") + text.toHtmlEscaped() + QStringLiteral("</div>"));
}

bool loadWebAddress(HelpView* view, const QString& address)
{
    const QUrl url(address);
    if (!isOpenableLink(url)) {
        view->setHtml(QString());
        return false;
    }
    view->load(url);
    return true;
}

bool openWebLink(const QUrl& url)
{
    if (!isOpenableLink(url))
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace kzo::online

#include "online/ui/LoginLinks.h"

#include <QTextDocument>

namespace kzo::online {

QString loginLinkHtml(const QString& address, const QString& text)
{
    // Anchors take the application's link colour, which is unreadable on the
    // dialog's dark background; the span gives the text the accent colour.
    return QStringLiteral("<a href=\"%1\" ><span style=\"color:#0ba3d4;\">%2</span></a>")
        .arg(address.toHtmlEscaped(), text.toHtmlEscaped());
}

QString loginLinkToolTip(const QString& address)
{
    // Tool tips guess whether they hold markup; converting makes the guess
    // irrelevant and keeps every character visible as typed.
    return address.isEmpty() ? QString() : Qt::convertFromPlainText(address, Qt::WhiteSpaceNormal);
}

bool isOpenableLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
           && !url.host().isEmpty();
}

} // namespace kzo::online

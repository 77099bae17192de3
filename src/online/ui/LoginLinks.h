#pragma once
// The register and forgotten-password links of the login dialog. The
// addresses come from the server's configuration document, so they are
// escaped before they go into rich text and only web links are opened.
#include <QString>
#include <QUrl>

namespace kzo::online {

// `<a href="ADDRESS" >TEXT</a>` with the address and the text escaped (the
// text wrapped in a span that colours it).
QString loginLinkHtml(const QString& address, const QString& text);

// Tool tip showing the address as plain characters even when it looks like markup.
QString loginLinkToolTip(const QString& address);

// Only http and https addresses with a host are handed to the browser.
bool isOpenableLink(const QUrl& url);

} // namespace kzo::online

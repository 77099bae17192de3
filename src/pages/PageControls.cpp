#include "pages/PageControls.h"

#include "app/logging/Log.h"
#include "online/ui/LoginLinks.h"

#include <QLabel>
#include <QPushButton>

namespace kzo::pages {

QLabel* styledLabel(QWidget* parent, const QString& name, const QString& text, const char* style)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setStyleSheet(QString::fromLatin1(style));
    return l;
}

QPushButton* namedButton(QWidget* parent, const char* name, const QString& text, int minimumWidth)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(text);
    b->setMinimumWidth(minimumWidth);
    return b;
}

QLabel* onlineHelpLabel(QWidget* parent, const QString& accessibleName)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QStringLiteral("label_onlinehelp"));
    l->setTextFormat(Qt::RichText);
    // Activated links go through the page, which opens web links only.
    l->setOpenExternalLinks(false);
    l->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    l->setFocusPolicy(Qt::TabFocus);
    l->setAccessibleName(accessibleName);
    l->hide();
    return l;
}

void showOnlineHelp(QLabel* label, const QString& address, const QString& text)
{
    if (address.isEmpty()) {
        label->hide();
        return;
    }
    const QString html = kzo::online::loginLinkHtml(address, text);
    if (label->text() != html)
        label->setText(html);
    label->setToolTip(kzo::online::loginLinkToolTip(address));
    label->show();
}

std::optional<QUrl> helpLinkToOpen(const QString& link, const char* page)
{
    const QUrl url(link, QUrl::StrictMode);
    if (!kzo::online::isOpenableLink(url)) {
        logStdout("%s: link not opened: %s\n", page, url.toString().toUtf8().constData());
        return std::nullopt;
    }
    return url;
}

} // namespace kzo::pages

#include "online/ui/OnlineWindows.h"

#include "app/framework/HelpView.h"
#include "online/ui/LoginLinks.h"
#include "widgets/WindowDrag.h"

#include <QDesktopServices>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kzo::online {

QWidget* buildWindowFrame(QDialog& dialog, const char* objectName, const QString& title, QSize size,
                          const char* background)
{
    dialog.setObjectName(QString::fromLatin1(objectName));
    dialog.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dialog.setAttribute(Qt::WA_TranslucentBackground);
    dialog.setWindowTitle(title);

    auto* widget = new QWidget(&dialog);
    widget->setObjectName(QStringLiteral("widget"));
    widget->setFixedSize(size);
    widget->setStyleSheet(QStringLiteral("QWidget#widget{background-image:url(%1);}").arg(QLatin1String(background)));
    widget->setAttribute(Qt::WA_StyledBackground);
    new kzo::ui::WindowDrag(widget);

    auto* outer = new QVBoxLayout(&dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(widget);
    return widget;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const char* style)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setStyleSheet(QString::fromLatin1(style));
    return l;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(text);
    b->setStyleSheet(QString::fromLatin1(buttonStyle));
    b->setAutoDefault(false);
    return b;
}

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

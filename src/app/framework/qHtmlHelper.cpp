#include "app/framework/qHtmlHelper.h"

#include "app/logging/Log.h"

#include <QEvent>
#include <QWidget>

qHtmlHelper::qHtmlHelper(QObject* parent) : QObject(parent) {}

void qHtmlHelper::registerHelp(QWidget* root)
{
    if (!root)
        return;
    const QList<QWidget*> children = root->findChildren<QWidget*>();
    for (QWidget* w : children) {
        const QString name = w->whatsThis();
        if (name.isEmpty())
            continue;
        w->removeEventFilter(this); // registering twice must not filter twice
        w->installEventFilter(this);
        known.insert(name);
    }
}

void qHtmlHelper::announce(const QString& name)
{
    emit signal_showToolTip(name);
    emit helpChanged(name);
}

bool qHtmlHelper::eventFilter(QObject* watched, QEvent* event)
{
    const auto* w = qobject_cast<QWidget*>(watched);
    if (!w)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Enter) {
        const QString name = w->whatsThis();
        if (!name.isEmpty()) {
            if (hoverStack.isEmpty()) {
                hoverStack.push(name);
                announce(name);
            } else if (hoverStack.top() != name) {
                hoverStack.push(name);
                logTaggedLevel(6, "UIEX", "helpChanged,enter2::%s", name.toLocal8Bit().constData());
                announce(name);
            } else {
                hoverStack.push(name);
            }
        }
    } else if (event->type() == QEvent::Leave && !hoverStack.isEmpty()) {
        const QString left = hoverStack.pop();
        // Back into a widget with the same name: the page shown is already right.
        if (!hoverStack.isEmpty() && hoverStack.top() != left) {
            const QString top = hoverStack.top();
            logTaggedLevel(6, "UIEX", "helpChanged,leave2::%s", top.toLocal8Bit().constData());
            announce(top);
        }
    }
    return QObject::eventFilter(watched, event);
}

#pragma once
// Counts, while it lives, the layout requests and paint events that reach a
// widget and everything inside it: what one update of the screen costs.
#include <QApplication>
#include <QEvent>
#include <QMap>
#include <QWidget>

namespace kzo::test {

class RepaintCounter : public QObject {
public:
    explicit RepaintCounter(const QWidget& root) : root(root) { qApp->installEventFilter(this); }
    ~RepaintCounter() override { qApp->removeEventFilter(this); }

    int layouts = 0;
    int paintsOf(const QWidget* w) const { return paints.value(w); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && (w == &root || root.isAncestorOf(w))) {
            if (e->type() == QEvent::LayoutRequest)
                ++layouts;
            else if (e->type() == QEvent::Paint)
                ++paints[w];
        }
        return false;
    }

private:
    const QWidget& root;
    QMap<const QWidget*, int> paints;
};

} // namespace kzo::test

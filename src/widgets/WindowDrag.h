#pragma once
// Lets a frameless window be moved by pressing and dragging inside one of its
// widgets (its background): a left press remembers where the window was
// grabbed, moves carry it along, the release lets go. Presses that a child
// widget takes (buttons, views) never reach the handle, so they stay clicks.
#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

namespace kzo::ui {

class WindowDrag : public QObject {
    Q_OBJECT
public:
    // Watches `handle`; moves the top-level window that holds it. Owned by
    // the handle.
    explicit WindowDrag(QWidget* handle);

    bool isDragging() const { return dragging; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> handle;
    bool dragging = false;
    QPoint offset; // from the window's top-left corner to the grab point
};

} // namespace kzo::ui

#include "widgets/MessageBoxes.h"

#include <utility>

namespace kzo::ui {

namespace {

// Touched only on the GUI thread, like the boxes themselves.
BoxHandler& handler()
{
    static BoxHandler h;
    return h;
}

} // namespace

QMessageBox::StandardButton showBox(QWidget* parent, const BoxRequest& box)
{
    if (const BoxHandler& h = handler())
        return h(parent, box);
    QMessageBox m(box.icon, box.title, box.text, box.buttons, parent);
    if (box.defaultButton != QMessageBox::NoButton)
        m.setDefaultButton(box.defaultButton);
    if (box.escapeButton != QMessageBox::NoButton)
        m.setEscapeButton(box.escapeButton);
    const int answer = m.exec();
    // A box closed without a button (window manager) counts as its escape.
    if (m.clickedButton() == nullptr)
        return box.escapeButton;
    return static_cast<QMessageBox::StandardButton>(answer);
}

void information(QWidget* parent, const QString& title, const QString& text)
{
    showBox(parent, {QMessageBox::Information, title, text});
}

void warning(QWidget* parent, const QString& title, const QString& text)
{
    showBox(parent, {QMessageBox::Warning, title, text});
}

void critical(QWidget* parent, const QString& title, const QString& text)
{
    showBox(parent, {QMessageBox::Critical, title, text});
}

ScopedBoxHandler::ScopedBoxHandler(BoxHandler h) : previous(std::exchange(handler(), std::move(h))) {}

ScopedBoxHandler::~ScopedBoxHandler() { handler() = std::move(previous); }

} // namespace kzo::ui

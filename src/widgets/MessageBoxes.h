#pragma once
// Every modal message box of the program goes through showBox(), so tests
// can answer questions and acknowledge "Success"/"Failure"/"Info" boxes
// without a person. The shipped program installs no handler and shows real
// boxes.
#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace kzo::ui {

struct BoxRequest {
    QMessageBox::Icon icon = QMessageBox::Information;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
};

// Answers a box instead of a person: returns the button "pressed".
using BoxHandler = std::function<QMessageBox::StandardButton(QWidget* parent, const BoxRequest& box)>;

// Shows the box modally (or hands it to the installed handler) and returns
// the button that closed it.
QMessageBox::StandardButton showBox(QWidget* parent, const BoxRequest& box);

// Shorthands for the common boxes: one OK button.
void information(QWidget* parent, const QString& title, const QString& text);
void warning(QWidget* parent, const QString& title, const QString& text);
void critical(QWidget* parent, const QString& title, const QString& text);

// Installs a handler for the life of this object (GUI thread only); the one
// installed before comes back when it ends.
class ScopedBoxHandler {
public:
    explicit ScopedBoxHandler(BoxHandler handler);
    ~ScopedBoxHandler();
    ScopedBoxHandler(const ScopedBoxHandler&) = delete;
    ScopedBoxHandler& operator=(const ScopedBoxHandler&) = delete;

private:
    BoxHandler previous;
};

} // namespace kzo::ui

#pragma once
// What the tools page needs from the main window, without depending on it:
// the window implements this and hands it to the page (tests fake it).
#include <QObject>
#include <QString>
#include <QUrl>

class QWidget;

class ToolsHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ToolsHost() override = default;

    // The restore-defaults question and sequence; true when the sequence was
    // started (the end comes as queueFinished).
    virtual bool restoreDefaults() = 0;
    // The read-all sequence (after an import).
    virtual void loadAllParameters() = 0;
    // The window's tip line; it comes back through signal_showTipText.
    virtual void showTip(const QString& text) = 0;
    // Shows the top-level page that holds `page` (found by identity; nothing
    // happens when no shown page holds it).
    virtual void focusPageOf(QWidget* page) = 0;
    // Closes the program (after a running firmware upgrade, if any).
    virtual void closeProgram() = 0;
    // Parent of the page's message boxes and dialogs.
    virtual QWidget* dialogParent() = 0;
    // Opens a web address in the desktop's browser.
    virtual void openUrl(const QUrl& url) = 0;

signals:
    // Relayed from the window: a tip for the page that is showing.
    void signal_showTipText(QString text);
    // Relayed from the window: a page switch was refused.
    void s_navigator_disabled();
    // Relayed from the command queue: its run ended (restore defaults, read-all).
    void queueFinished(bool ok);
};

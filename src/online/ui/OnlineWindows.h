#pragma once
// Looks and pieces shared by the software updater, the newsletter and the
// message window: texts stand on dark background pictures.
#include <QSize>
#include <QString>
#include <QUrl>

class HelpView;
class QDialog;
class QLabel;
class QPushButton;
class QWidget;

namespace kzo::online {

// Captions on the dark pictures.
inline constexpr const char* captionStyle = "QLabel{font:normal 12px \"Arial\";color:rgb(225,225,225);}";
inline constexpr const char* titleStyle = "QLabel{font:bold 13px \"Arial\";color:white;}";
inline constexpr const char* buttonStyle =
    "QPushButton{font:normal 12px \"Arial\";color:white;background:rgba(29,29,29,180);"
    "border:1px solid rgb(11,163,212);border-radius:3px;padding:3px 14px;}"
    "QPushButton:hover{background:rgb(11,163,212);}"
    "QPushButton:pressed{background:rgb(6,104,140);}"
    "QPushButton:disabled{color:gray;border-color:gray;}";

// Makes `dialog` a frameless, translucent window around one background
// widget of `size` with the picture `background`, dragged by that widget;
// returns the widget, on which the dialog's contents go.
QWidget* buildWindowFrame(QDialog& dialog, const char* objectName, const QString& title, QSize size,
                          const char* background);

// A caption in plain text (versions come from the server and the settings:
// never markup).
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const char* style);

// A dialog button in the shared look, named for screen readers; never the
// default button (Return must not press it from an old focus).
QPushButton* makeButton(QWidget* parent, const char* name, const QString& text);

// A fixed text in a web view, escaped: translations may hold "<" or "&".
void showViewText(HelpView* view, const QString& text);

// Loads `address` when it is a web address; anything else (a file, a script,
// nothing) leaves the view empty. Returns whether it was loaded.
bool loadWebAddress(HelpView* view, const QString& address);

// Hands a web link to the desktop's browser; other schemes are dropped.
// Returns whether it was handed on.
bool openWebLink(const QUrl& url);

} // namespace kzo::online

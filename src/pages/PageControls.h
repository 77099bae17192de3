#pragma once
// Pieces the device pages build alike: styled labels, buttons named for
// assistive tools, and the online-help link (shown, hidden and opened the
// same way on every page).
#include <QString>
#include <QUrl>

#include <optional>

class QLabel;
class QPushButton;
class QWidget;

namespace kzo::pages {

// Label styles of the light pages: captions, device values, the tip line.
inline constexpr const char* captionLabelStyle = "QLabel {font:normal 12px \"Arial\";}";
inline constexpr const char* valueLabelStyle = "QLabel {font:bold 12px \"Arial\";color: rgb(11, 163, 212)}";
inline constexpr const char* tipLabelStyle = "QLabel {font:bold 12px \"Arial\";color:red}";
inline constexpr int pageButtonWidth = 130;

// A label with an object name and its own style sheet.
QLabel* styledLabel(QWidget* parent, const QString& name, const QString& text, const char* style);
// A push button whose accessible name is its caption.
QPushButton* namedButton(QWidget* parent, const char* name, const QString& text, int minimumWidth);

// The hidden online-help label ("label_onlinehelp"): rich text whose link is
// reached by mouse and Tab and handed to the page, never opened by the label.
QLabel* onlineHelpLabel(QWidget* parent, const QString& accessibleName);
// Shows a link to `address` (from the server: escaped in the markup, shown
// as typed in the tool tip), or hides the label when there is none.
void showOnlineHelp(QLabel* label, const QString& address, const QString& text);
// The address of an activated help link when it may go to the browser (web
// links only); anything else is logged under `page` and refused.
std::optional<QUrl> helpLinkToOpen(const QString& link, const char* page);

} // namespace kzo::pages

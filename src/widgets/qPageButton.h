#pragma once
// Navigator button of the main window: picture per state, a caption, an index.
#include <QPushButton>
#include <functional>

class QLabel;

class qPageButton : public QPushButton {
    Q_OBJECT
public:
    // Decides whether a press may switch pages; the main window installs its rule.
    using PressGate = std::function<bool(const qPageButton&)>;

    explicit qPageButton(int index, QWidget* parent = nullptr);

    int index() const { return pageIndex; }
    void setIndex(int i) { pageIndex = i; }
    QString caption() const;
    void setCaption(const QString& text);
    QLabel* captionLabel() const { return label; }

    // Style sheets used while the mouse is away and over the button.
    void setStyleSheets(const QString& normal, const QString& hover);
    // Builds both style sheets from three pictures (pressed is shown while checked).
    void setImages(const QString& normal, const QString& hover, const QString& pressed);
    QString normalStyle() const { return normalSheet; }
    QString hoverStyle() const { return hoverSheet; }

    void setPressGate(PressGate gate) { pressGate = std::move(gate); }

    // Marks this button as the current page's. Only the window calls it; any
    // other change of the checked state (an assistive tool's toggle) counts
    // as a press and leaves the state to the window.
    void setCurrent(bool current);

signals:
    void click(int);
    void pressRefused(int);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    // The window decides which button is checked; a click (keyboard or
    // accessibility) must not toggle it on its own.
    void nextCheckState() override {}
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // A press from the mouse, the keyboard or the accessibility interface.
    void press();

    int pageIndex;
    QLabel* label;
    QString normalSheet, hoverSheet;
    PressGate pressGate;
    bool settingCurrent = false;
};

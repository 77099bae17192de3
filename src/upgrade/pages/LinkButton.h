#pragma once
// A push button drawn as a blue text link that underlines itself while the
// pointer is over it.
#include <QPushButton>

namespace kzo::upgrade {

class LinkButton : public QPushButton {
    Q_OBJECT
public:
    explicit LinkButton(QWidget* parent = nullptr);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setUnderline(bool on);
};

} // namespace kzo::upgrade

#pragma once
// A widget whose background is one picture stretched over its whole area, as
// a style-sheet border image would draw it, but scaled once per size and then
// copied. When the picture has no transparency the widget declares itself
// opaque, so nothing beneath it is painted again when a child repaints.
#include <QPixmap>
#include <QWidget>

class StretchedBackground : public QWidget {
    Q_OBJECT
public:
    explicit StretchedBackground(const QString& imagePath, QWidget* parent = nullptr);

    // How many times the picture was scaled (for tests).
    int scalings() const { return scalings_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap source_;
    QPixmap scaled_;
    int scalings_ = 0;
};

#pragma once
// A group box that draws its frame and title once and then blits the picture.
// The stock box asks the style for its frame on every repaint beneath a child
// (the Fusion style loads its frame image and lays the title out each time),
// and on pages refreshed twenty times a second that is most of the painting.
// The picture is redrawn whenever anything that shapes it changes.
#include <QGroupBox>
#include <QPixmap>
#include <QStyleOptionGroupBox>

class CachedGroupBox : public QGroupBox {
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

    // How many times the frame was drawn by the style (for tests).
    int styleDraws() const { return styleDraws_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool cacheMatches(const QStyleOptionGroupBox& option, qreal dpr) const;

    QPixmap cache_;
    QStyleOptionGroupBox cachedOption_;
    qint64 paletteKey_ = 0;
    int styleGeneration_ = 0;
    int cachedGeneration_ = -1;
    int styleDraws_ = 0;
};

#pragma once
// Look of the channel-monitor sliders: picture groove, own ticks, handle per mode.
#include <QPixmap>
#include <QProxyStyle>

class SliderStyle : public QProxyStyle {
    Q_OBJECT
public:
    enum Mode { Normal = 0, CentreCheck = 1, Calibration = 2 };
    // Positions within this distance of zero count as centred in centre-check mode.
    static constexpr int centreTolerance = 74;

    explicit SliderStyle(int mode = Normal);

    int mode() const { return currentMode; }
    void setMode(int mode) { currentMode = mode; }

    // The handle picture for a mode and slider position.
    static QString handleImage(int mode, int position);
    static QString grooveImage();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

private:
    void drawTicks(const class QStyleOptionSlider* opt, QPainter* painter, const QWidget* widget) const;

    int currentMode;
};

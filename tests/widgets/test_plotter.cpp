// Plotter zoom and drawing, the status bar's zones, the channel-monitor style, AttiControl.
#include "resources/KzoResources.h"
#include "widgets/AttiControl.h"
#include "widgets/PlotSettings.h"
#include "widgets/Plotter.h"
#include "widgets/SliderStyle.h"
#include "widgets/WidgetShots.h"
#include "widgets/qStatusSlider.h"

#include <QApplication>
#include <QLabel>
#include <QSet>
#include <QAccessible>
#include <QSignalSpy>
#include <QSlider>
#include <QStyleFactory>
#include <QToolButton>
#include <QWheelEvent>
#include <QProxyStyle>
#include <QStyleOption>
#include <QSet>
#include <QtTest>
#include <algorithm>
#include <cmath>

using kzo::test::saveShot;

namespace {

PlotSettings range(double minX, double maxX, double minY, double maxY)
{
    PlotSettings s;
    s.minX = minX;
    s.maxX = maxX;
    s.minY = minY;
    s.maxY = maxY;
    return s;
}

void band(Plotter& p, QPoint from, QPoint to)
{
    QTest::mousePress(&p, Qt::LeftButton, {}, from);
    QTest::mouseMove(&p, to);
    QTest::mouseRelease(&p, Qt::LeftButton, {}, to);
}

bool uniform(const QImage& img)
{
    const QRgb first = img.pixel(0, 0);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != first)
                return false;
    return true;
}

} // namespace

class TestPlotter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        kzo::initResources();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void axisAdjustment_data()
    {
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("newMin");
        QTest::addColumn<double>("newMax");
        QTest::addColumn<int>("ticks");
        // gross 6.25 -> step 5; ticks 10 - 5
        QTest::newRow("25..50") << 25.0 << 50.0 << 25.0 << 50.0 << 5;
        // gross 5 -> step 2 (5 is not below 5); ticks 40 - 30
        QTest::newRow("60..80") << 60.0 << 80.0 << 60.0 << 80.0 << 10;
        // gross 23.5 -> step 20; rounded out to 0..100
        QTest::newRow("3..97") << 3.0 << 97.0 << 0.0 << 100.0 << 5;
        // gross 2.1175 -> step 2
        QTest::newRow("0.13..8.6") << 0.13 << 8.6 << 0.0 << 10.0 << 5;
        // gross 0.75 -> step 0.5; never fewer than four ticks
        QTest::newRow("0..3") << 0.0 << 3.0 << 0.0 << 3.0 << 6;
        // gross 1.5 -> step 1
        QTest::newRow("negative") << -7.0 << -1.0 << -7.0 << -1.0 << 6;
        // gross 0.525 -> step 0.5; -2.1 rounds down to -2.5
        QTest::newRow("around zero") << -2.1 << 0.0 << -2.5 << 0.0 << 5;
    }

    void axisAdjustment()
    {
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, newMin);
        QFETCH(double, newMax);
        QFETCH(int, ticks);
        int n = 5;
        PlotSettings::adjustAxis(min, max, n);
        QCOMPARE(min, newMin);
        QCOMPARE(max, newMax);
        QCOMPARE(n, ticks);
    }

    void emptyRangeIsLeftAlone()
    {
        double min = 4.0, max = 4.0;
        int n = 5;
        PlotSettings::adjustAxis(min, max, n);
        QCOMPARE(min, 4.0);
        QCOMPARE(max, 4.0);
        QCOMPARE(n, 5);
    }

    void scrollMovesByTicks()
    {
        PlotSettings s = range(0, 10, 0, 100);
        s.numYTicks = 4;
        s.scroll(2, -1);
        QCOMPARE(s.minX, 4.0);
        QCOMPARE(s.maxX, 14.0);
        QCOMPARE(s.minY, -25.0);
        QCOMPARE(s.maxY, 75.0);
    }

    void bandZoomAndZoomStack()
    {
        Plotter p;
        p.resize(300, 300); // plot area 200 x 200 at (50, 50)
        p.setPlotSettings(range(0, 100, 0, 100));
        p.show();
        QCOMPARE(p.plotRect(), QRect(50, 50, 200, 200));

        band(p, QPoint(100, 90), QPoint(150, 130));
        QCOMPARE(p.zoomDepth(), 2);
        QCOMPARE(p.zoomIndex(), 1);
        const PlotSettings z = p.currentSettings();
        // x: 25..50 (step 5); y: 60..80 (step 2)
        QCOMPARE(z.minX, 25.0);
        QCOMPARE(z.maxX, 50.0);
        QCOMPARE(z.numXTicks, 5);
        QCOMPARE(z.minY, 60.0);
        QCOMPARE(z.maxY, 80.0);
        QCOMPARE(z.numYTicks, 10);
        QVERIFY(!p.zoomInButton()->isEnabled());
        QVERIFY(p.zoomOutButton()->isEnabled());

        p.zoomOut();
        QCOMPARE(p.zoomIndex(), 0);
        QCOMPARE(p.currentSettings(), range(0, 100, 0, 100));
        p.zoomOut(); // first entry: nothing happens
        QCOMPARE(p.zoomIndex(), 0);
        p.zoomIn(); // back to the zoomed view
        QCOMPARE(p.currentSettings(), z);
        p.zoomIn(); // last entry: nothing happens
        QCOMPARE(p.zoomIndex(), 1);

        // A new band from an earlier view cuts the history after it.
        p.zoomOut();
        band(p, QPoint(60, 60), QPoint(240, 240));
        QCOMPARE(p.zoomDepth(), 2);
        QVERIFY(p.currentSettings() != z);
    }

    void smallBandDoesNotZoom()
    {
        Plotter p;
        p.resize(300, 300);
        p.show();
        band(p, QPoint(100, 100), QPoint(103, 103)); // 4 x 4 pixels as QRect counts: width 4
        QCOMPARE(p.zoomDepth(), 2);
        p.setPlotSettings(PlotSettings());
        band(p, QPoint(100, 100), QPoint(102, 102)); // 3 x 3
        QCOMPARE(p.zoomDepth(), 1);
        band(p, QPoint(100, 100), QPoint(200, 102)); // wide but only 3 tall
        QCOMPARE(p.zoomDepth(), 1);
        QVERIFY(!p.isRubberBandShown());
        // A press outside the plot area starts no band.
        band(p, QPoint(10, 10), QPoint(200, 200));
        QCOMPARE(p.zoomDepth(), 1);
    }

    void keysAndWheel()
    {
        Plotter p;
        p.resize(300, 300);
        p.show();
        p.setPlotSettings(range(0, 10, 0, 10)); // 5 ticks: step 2
        QTest::keyClick(&p, Qt::Key_Right);
        QCOMPARE(p.currentSettings().minX, 2.0);
        QTest::keyClick(&p, Qt::Key_Up);
        QCOMPARE(p.currentSettings().minY, 2.0);
        QTest::keyClick(&p, Qt::Key_Down);
        QTest::keyClick(&p, Qt::Key_Down);
        QCOMPARE(p.currentSettings().minY, -2.0);
        QTest::keyClick(&p, Qt::Key_Left);
        QCOMPARE(p.currentSettings().minX, 0.0);

        QWheelEvent vertical(QPointF(100, 100), p.mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, 240),
                             Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&p, &vertical);
        QCOMPARE(p.currentSettings().minY, 2.0);
        QCOMPARE(p.currentSettings().maxY, 12.0);
        QWheelEvent horizontal(QPointF(100, 100), p.mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(-120, 0),
                               Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&p, &horizontal);
        QCOMPARE(p.currentSettings().minX, -2.0);
        QCOMPARE(p.currentSettings().minY, 2.0);

        band(p, QPoint(80, 80), QPoint(200, 200));
        QCOMPARE(p.zoomIndex(), 1);
        QTest::keyClick(&p, Qt::Key_Minus);
        QCOMPARE(p.zoomIndex(), 0);
        QTest::keyClick(&p, Qt::Key_Plus);
        QCOMPARE(p.zoomIndex(), 1);
    }

    void curveColours()
    {
        QCOMPARE(Plotter::curveColor(0), QColor(Qt::red));
        QCOMPARE(Plotter::curveColor(7), QColor(Qt::darkRed));
        QCOMPARE(Plotter::curveColor(5), QColor(Qt::darkYellow));
        QCOMPARE(Plotter::curveColor(8), QColor(Qt::green));
    }

    void curvesLandWhereTheirValuesAre()
    {
        Plotter p;
        p.resize(300, 300); // plot area x 50..249, y 50..249
        // 199 units over 199 pixels: x = 0 is column 50, y = 0 is row 249,
        // and every unit is one pixel.
        p.setPlotSettings(range(0, 199, 0, 199));
        p.setCurveData(7, {QPointF(0, 60), QPointF(199, 60)});  // row 249 - 60 = 189
        p.setCurveData(2, {QPointF(30, 0), QPointF(30, 199)});  // column 50 + 30 = 80
        p.setCurveData(4, {QPointF(120, 100), QPointF(160, 100)}); // row 149, columns 170..210
        const QImage img = p.plotPixmap().toImage();
        QCOMPARE(QColor(img.pixel(150, 189)), QColor(Qt::darkRed));
        QCOMPARE(QColor(img.pixel(230, 189)), QColor(Qt::darkRed));
        QCOMPARE(QColor(img.pixel(80, 120)), QColor(Qt::green));
        QCOMPARE(QColor(img.pixel(80, 220)), QColor(Qt::green));
        QCOMPARE(QColor(img.pixel(190, 149)), QColor(Qt::yellow));
        // Nothing of them elsewhere.
        QVERIFY(QColor(img.pixel(150, 180)) != QColor(Qt::darkRed));
        QVERIFY(QColor(img.pixel(150, 198)) != QColor(Qt::darkRed));
        QVERIFY(QColor(img.pixel(95, 120)) != QColor(Qt::green));
        QVERIFY(QColor(img.pixel(150, 149)) != QColor(Qt::yellow));
        QVERIFY(QColor(img.pixel(230, 149)) != QColor(Qt::yellow));
        saveShot(p, QStringLiteral("Plotter_curves"));

        // Zoomed out to twice the span, the same values move half as far.
        p.setPlotSettings(range(0, 398, 0, 398));
        const QImage wide = p.plotPixmap().toImage();
        QCOMPARE(QColor(wide.pixel(100, 219)), QColor(Qt::darkRed)); // row 249 - 30
        QCOMPARE(QColor(wide.pixel(65, 200)), QColor(Qt::green));    // column 50 + 15
    }

    void noDrawingBelow100Pixels()
    {
        Plotter p;
        p.setCurveData(1, {QPointF(0, 0), QPointF(10, 10)});
        p.show();
        p.resize(99, 300);
        QVERIFY(!p.plotPixmap().isNull());
        QVERIFY(uniform(p.plotPixmap().toImage()));
        p.resize(300, 100);
        QVERIFY(uniform(p.plotPixmap().toImage()));
        p.resize(101, 101);
        QVERIFY(!uniform(p.plotPixmap().toImage()));
    }

    void pauseTogglesIcon()
    {
        Plotter p;
        QSignalSpy spy(&p, &Plotter::pausedChanged);
        const qint64 pauseKey = p.pauseButton()->icon().cacheKey();
        // What a screen reader says follows what the button does.
        auto spoken = [](QWidget* w) {
            return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        };
        QCOMPARE(spoken(p.zoomInButton()), QStringLiteral("Zoom in"));
        QCOMPARE(spoken(p.zoomOutButton()), QStringLiteral("Zoom out"));
        QCOMPARE(spoken(p.pauseButton()), QStringLiteral("Pause"));
        QTest::mouseClick(p.pauseButton(), Qt::LeftButton);
        QVERIFY(p.isPaused());
        QVERIFY(p.pauseButton()->icon().cacheKey() != pauseKey);
        QCOMPARE(spoken(p.pauseButton()), QStringLiteral("Resume"));
        p.onPauseClicked();
        QVERIFY(!p.isPaused());
        QCOMPARE(spoken(p.pauseButton()), QStringLiteral("Pause"));
        QCOMPARE(spy.count(), 2);
    }

    void buttonsSitTopRight()
    {
        Plotter p;
        p.resize(400, 300);
        p.show();
        QToolButton* pause = p.pauseButton();
        QCOMPARE(pause->geometry().right(), 400 - 5 - 1);
        QCOMPARE(pause->y(), 5);
        QCOMPARE(p.zoomOutButton()->geometry().right(), pause->x() - 5 - 1);
        QCOMPARE(p.zoomInButton()->geometry().right(), p.zoomOutButton()->x() - 5 - 1);
    }

    void statusSliderZones()
    {
        qStatusSlider s;
        s.setRange(0, 100);
        s.resize(200, 24);
        s.addSegment(30, QColor(200, 60, 50), QStringLiteral("OFF"));
        s.addSegment(70, QColor(60, 160, 60), QStringLiteral("CENTER"));
        s.addSegment(100, QColor(11, 163, 212), QStringLiteral("ON"));
        QCOMPARE(s.segmentSpan(0), qMakePair(0, 60));
        QCOMPARE(s.segmentSpan(1), qMakePair(60, 140));
        QCOMPARE(s.segmentSpan(2), qMakePair(140, 200));
        s.updateStatus(50);
        QCOMPARE(s.value(), 50);
        QCOMPARE(s.currentSegment(), 1);
        s.setProperty("nValue", 90);
        QCOMPARE(s.currentSegment(), 2);
        s.updateStatus(30);
        QCOMPARE(s.currentSegment(), 0);
        // The user cannot drag the marker.
        s.show();
        QTest::mousePress(&s, Qt::LeftButton, {}, QPoint(190, 12));
        QTest::mouseMove(&s, QPoint(10, 12));
        QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(10, 12));
        QCOMPARE(s.value(), 30);
    }

    // The style caches the handle's pictures under the palette's cache key:
    // every repaint must hand it the same palette, or the cache (and the
    // program's memory) grows with every channel frame.
    void statusSliderRepaintsWithOnePalette()
    {
        struct KeyRecorder : QProxyStyle {
            QList<qint64> keys;
            void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                                    const QWidget* w) const override
            {
                const_cast<KeyRecorder*>(this)->keys << opt->palette.cacheKey();
                QProxyStyle::drawComplexControl(cc, opt, p, w);
            }
        };
        auto* style = new KeyRecorder;
        qStatusSlider s;
        s.setStyle(style);
        s.setRange(0, 100);
        s.resize(200, 24);
        s.addSegment(100, QColor(60, 160, 60));
        for (int v : {10, 20, 30, 40})
            s.updateStatus(v), s.grab();
        QCOMPARE(style->keys.size(), 4);
        QCOMPARE(QSet<qint64>(style->keys.begin(), style->keys.end()).size(), 1);
        // A new palette is followed, once.
        QPalette pal = s.palette();
        pal.setColor(QPalette::Window, Qt::darkGray);
        s.setPalette(pal);
        s.grab();
        s.grab();
        QCOMPARE(style->keys.size(), 6);
        QVERIFY(style->keys[4] != style->keys[3]);
        QCOMPARE(style->keys[5], style->keys[4]);
        s.setStyle(nullptr);
        delete style;
    }

    void statusSliderLook()
    {
        qStatusSlider s;
        QPalette pal = s.palette();
        pal.setColor(QPalette::Window, QColor(240, 240, 240));
        s.setPalette(pal);
        s.setRange(0, 100);
        s.resize(200, 24);
        // Unlabelled zones: every pixel of the bar is a zone or the marker,
        // so nothing beneath it needs painting first.
        s.addSegment(30, QColor(200, 60, 50));
        s.addSegment(70, QColor(60, 160, 60));
        QVERIFY(!s.testAttribute(Qt::WA_OpaquePaintEvent)); // 70..100 uncovered yet
        s.addSegment(100, QColor(11, 163, 212));
        QVERIFY(s.testAttribute(Qt::WA_OpaquePaintEvent));
        s.setRange(0, 120);
        QVERIFY(!s.testAttribute(Qt::WA_OpaquePaintEvent));
        s.setRange(0, 100);
        s.updateStatus(50);
        s.show();
        QImage img = s.grab().toImage();
        QCOMPARE(QColor(img.pixel(10, 2)), QColor(200, 60, 50));
        QCOMPARE(QColor(img.pixel(100, 1)), QColor(60, 160, 60));
        QCOMPARE(QColor(img.pixel(190, 2)), QColor(11, 163, 212));
        // The marker sits on the value, in the middle zone.
        const auto isZone = [](QRgb c) {
            return c == qRgb(200, 60, 50) || c == qRgb(60, 160, 60) || c == qRgb(11, 163, 212);
        };
        int markerFrom = -1, markerTo = -1;
        for (int x = 0; x < 200; ++x)
            if (!isZone(img.pixel(x, 12))) {
                markerFrom = markerFrom < 0 ? x : markerFrom;
                markerTo = x;
            }
        QVERIFY2(markerFrom > 60 && markerTo < 140, qPrintable(QStringLiteral("%1..%2").arg(markerFrom).arg(markerTo)));
        QVERIFY(markerFrom <= 100 && markerTo >= 100);
        saveShot(s, QStringLiteral("qStatusSlider"));

        // Disabled: each zone in grey half-way to the background, no marker.
        // Greys of the zones (r*11 + g*16 + b*5) / 32: 106, 110, 118; with 240: 173, 175, 179.
        s.setEnabled(false);
        img = s.grab().toImage();
        QCOMPARE(QColor(img.pixel(10, 2)), QColor(173, 173, 173));
        QCOMPARE(QColor(img.pixel(100, 12)), QColor(175, 175, 175));
        QCOMPARE(QColor(img.pixel(190, 2)), QColor(179, 179, 179));
        for (int x = 0; x < 200; ++x) {
            const int g = x < 60 ? 173 : x < 140 ? 175 : 179;
            QCOMPARE(QColor(img.pixel(x, 12)), QColor(g, g, g));
        }
        QCOMPARE(s.value(), 50);
        saveShot(s, QStringLiteral("qStatusSlider_disabled"));
    }

    void statusSliderExampleWraps()
    {
        qStatusSlider s;
        s.setRange(0, 25);
        int wrapped = 0;
        int last = -1;
        for (int i = 0; i < 12; ++i) {
            s.timeExample();
            if (s.value() < last)
                ++wrapped;
            QVERIFY(s.value() <= 25);
            last = s.value();
        }
        QVERIFY(wrapped >= 3);
    }

    void sliderStyleHandleImage()
    {
        const QString centre = QStringLiteral(":/mult/res/mult/slider_center.png");
        const QString normal = QStringLiteral(":/mult/res/mult/slider_handler.png");
        QCOMPARE(SliderStyle::handleImage(SliderStyle::CentreCheck, 74), centre);
        QCOMPARE(SliderStyle::handleImage(SliderStyle::CentreCheck, -74), centre);
        QCOMPARE(SliderStyle::handleImage(SliderStyle::CentreCheck, 75), normal);
        QCOMPARE(SliderStyle::handleImage(SliderStyle::CentreCheck, -75), normal);
        QCOMPARE(SliderStyle::handleImage(SliderStyle::Normal, 0), normal);
        QCOMPARE(SliderStyle::handleImage(SliderStyle::Calibration, 500),
                 QStringLiteral(":/mult/res/mult/slider_cali.png"));
        for (const QString& path : {centre, normal, SliderStyle::grooveImage()})
            QVERIFY(!QPixmap(path).isNull());
    }

    void sliderStyleRendersHandleImage()
    {
        // The handle picture drawn at 74 and at 75 differs in centre-check mode.
        SliderStyle style(SliderStyle::CentreCheck);
        QSlider s(Qt::Horizontal);
        s.setStyle(&style);
        s.setRange(-1000, 1000);
        s.setTickPosition(QSlider::TicksBelow);
        s.setTickInterval(250);
        s.resize(300, 30);
        s.setValue(74);
        const QImage at74 = s.grab().toImage();
        s.setValue(75);
        const QImage at75 = s.grab().toImage();
        QVERIFY(at74 != at75);
        saveShot(s, QStringLiteral("SliderStyle_centre_75"));

        // The zero tick is a red 3-pixel mark in centre-check mode only.
        const auto redColumns = [](const QImage& img) {
            QSet<int> xs;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    if (img.pixel(x, y) == qRgb(255, 0, 0))
                        xs.insert(x);
            return xs;
        };
        const QSet<int> red = redColumns(at75);
        QCOMPARE(red.size(), 3);
        const int zeroX = *std::min_element(red.begin(), red.end()) + 1;
        QVERIFY2(zeroX >= 140 && zeroX <= 160, qPrintable(QString::number(zeroX))); // the middle of 300
        style.setMode(SliderStyle::Normal);
        s.update();
        QVERIFY(redColumns(s.grab().toImage()).isEmpty());
        style.setMode(SliderStyle::Calibration);
        s.setValue(-600);
        QVERIFY(redColumns(s.grab().toImage()).isEmpty());
        saveShot(s, QStringLiteral("SliderStyle_calibration"));
    }

    void attiControlStates()
    {
        AttiControl a;
        a.loadDefaultImages();
        a.updateState(1);
        QCOMPARE(a.leftLabel()->pixmap().cacheKey(), a.leftHighlight.cacheKey());
        QCOMPARE(a.rightLabel()->pixmap().cacheKey(), a.rightGray.cacheKey());
        saveShot(a, QStringLiteral("AttiControl_1"));
        a.updateState(2);
        QCOMPARE(a.leftLabel()->pixmap().cacheKey(), a.leftGray.cacheKey());
        QCOMPARE(a.rightLabel()->pixmap().cacheKey(), a.rightActive.cacheKey());
        saveShot(a, QStringLiteral("AttiControl_2"));
        a.updateState(7);
        QCOMPARE(a.leftLabel()->pixmap().cacheKey(), a.leftGray.cacheKey());
        QCOMPARE(a.rightLabel()->pixmap().cacheKey(), a.rightGray.cacheKey());
        a.updateStateDisabled(1);
        QVERIFY(!a.leftLabel()->isEnabled());
        QVERIFY(!a.rightLabel()->isEnabled());
        QCOMPARE(a.leftLabel()->pixmap().cacheKey(), a.leftHighlight.cacheKey());
        a.updateState(0);
        QVERIFY(a.leftLabel()->isEnabled());
        QTest::mouseClick(a.rightLabel(), Qt::LeftButton);
        QCOMPARE(a.state(), 2);
        QTest::mouseClick(a.leftLabel(), Qt::LeftButton);
        QCOMPARE(a.state(), 1);
    }
};

QTEST_MAIN(TestPlotter)
#include "test_plotter.moc"

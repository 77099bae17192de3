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
#include <QSignalSpy>
#include <QSlider>
#include <QStyleFactory>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>
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

        Plotter p;
        p.resize(300, 300);
        p.setPlotSettings(range(0, 10, 0, 10));
        p.setCurveData(7, {QPointF(0, 3), QPointF(10, 3)});
        // y = 3 maps to bottom - 3 * 199 / 10 = 249 - 59.7
        const QImage img = p.plotPixmap().toImage();
        const int y = static_cast<int>(std::lround(249 - 3 * 199 / 10.0));
        QCOMPARE(QColor(img.pixel(150, y)), QColor(Qt::darkRed));
        QVERIFY(saveShot(p, QStringLiteral("Plotter_curve7")));
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
        QTest::mouseClick(p.pauseButton(), Qt::LeftButton);
        QVERIFY(p.isPaused());
        QVERIFY(p.pauseButton()->icon().cacheKey() != pauseKey);
        p.onPauseClicked();
        QVERIFY(!p.isPaused());
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

    void renderPlotter()
    {
        Plotter p;
        p.resize(600, 400);
        p.setPlotSettings(range(0, 100, -50, 50));
        for (int id = 0; id < 6; ++id) {
            QVector<QPointF> pts;
            for (int x = 0; x <= 100; x += 2)
                pts.append(QPointF(x, 40 * std::sin((x + id * 15) / 12.0) * (1.0 - id * 0.12)));
            p.setCurveData(id, pts);
        }
        QVERIFY(saveShot(p, QStringLiteral("Plotter")));
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
        QVERIFY(saveShot(s, QStringLiteral("qStatusSlider")));
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
        QVERIFY(saveShot(s, QStringLiteral("SliderStyle_centre_75")));
        s.setValue(74);
        QVERIFY(saveShot(s, QStringLiteral("SliderStyle_centre_74")));
        style.setMode(SliderStyle::Calibration);
        s.setValue(-600);
        QVERIFY(saveShot(s, QStringLiteral("SliderStyle_calibration")));
    }

    void attiControlStates()
    {
        AttiControl a;
        a.loadDefaultImages();
        a.updateState(1);
        QCOMPARE(a.leftLabel()->pixmap().cacheKey(), a.leftHighlight.cacheKey());
        QCOMPARE(a.rightLabel()->pixmap().cacheKey(), a.rightGray.cacheKey());
        QVERIFY(saveShot(a, QStringLiteral("AttiControl_1")));
        a.updateState(2);
        QCOMPARE(a.leftLabel()->pixmap().cacheKey(), a.leftGray.cacheKey());
        QCOMPARE(a.rightLabel()->pixmap().cacheKey(), a.rightActive.cacheKey());
        QVERIFY(saveShot(a, QStringLiteral("AttiControl_2")));
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

// Custom controls: skins, debounced edit signals, the switch and the drop area.
#include "resources/KzoResources.h"
#include "widgets/DropArea.h"
#include "widgets/KzoDoubleSpinBox.h"
#include "widgets/KzoPushButton.h"
#include "widgets/KzoSlider.h"
#include "widgets/KzoSpinBox.h"
#include "widgets/KzoSwitchBox.h"
#include "widgets/KzoToolButton.h"
#include "widgets/PictureButton.h"
#include "widgets/QTipLabel.h"
#include "widgets/qImageButton.h"
#include "widgets/qPageButton.h"
#include "widgets/WidgetShots.h"
#include "support/HoverEvents.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QToolTip>
#include <QUrl>
#include <QtTest>

using kzo::test::saveShot;
using kzo::test::sendEnter;
using kzo::test::sendLeave;

namespace {

const QString res = QStringLiteral(":/Utility/res/");

void sendKey(QWidget* w, int key, bool autoRepeat, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text, autoRepeat);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text, autoRepeat);
    QCoreApplication::sendEvent(w, &release);
}

// A drop is only delivered after the drag entered the widget.
void dropOn(QWidget* w, const QMimeData* mime)
{
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &drop);
}

void skinButton(KzoPushButton& b)
{
    b.setSkins(res + "button_normal.png", res + "button_focus.png", res + "button_press.png",
               res + "button_checked.png", res + "button_disabled.png");
}

} // namespace

class TestControls : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        kzo::initResources();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void resourcesAreCompiledIn()
    {
        for (const char* path : {":/Utility/res/btn_left_on.png", ":/Utility/res/btn_right_off.png",
                                 ":/mult/res/mult/pause.png", ":/mult/res/mult/slider_groove.png",
                                 ":/Utility/res/logo_KG1.png", ":/Utility/res/splash_KG1.png", ":/res/app_icon.png"})
            QVERIFY2(!QPixmap(QString::fromLatin1(path)).isNull(), path);
    }

    void pushButtonSkinFollowsMouse()
    {
        KzoPushButton b;
        skinButton(b);
        b.resize(100, 30);
        b.show();
        QCOMPARE(b.currentSkin(), KzoPushButton::Skin::Normal);
        sendEnter(&b, {2, 2});
        QCOMPARE(b.currentSkin(), KzoPushButton::Skin::Focus);
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(b.currentSkin(), KzoPushButton::Skin::Press);
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(b.currentSkin(), KzoPushButton::Skin::Focus);
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(500, 5)); // released outside
        QCOMPARE(b.currentSkin(), KzoPushButton::Skin::Normal);
        sendLeave(&b);
        QCOMPARE(b.currentSkin(), KzoPushButton::Skin::Normal);
    }

    void pushButtonCheckedAndDisabledSkins()
    {
        KzoPushButton b;
        skinButton(b);
        b.setCheckable(true);
        b.show();
        QSignalSpy state(&b, &KzoPushButton::checkStateChanged);
        QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(b.currentSkin(), KzoPushButton::Skin::Checked);
        QCOMPARE(state.count(), 1);
        QCOMPARE(state.at(0).at(0).toBool(), true);
        sendEnter(&b, {2, 2});
        QCOMPARE(b.currentSkin(), KzoPushButton::Skin::Checked); // checked wins over hover
        b.setEnabled(false);
        QCOMPARE(b.currentSkin(), KzoPushButton::Skin::Disabled);
        // Without a disabled picture a disabled button keeps its resting skin.
        b.setBgDisabled(QPixmap());
        QCOMPARE(b.currentSkin(), KzoPushButton::Skin::Checked);
        b.setEnabled(true);
        b.setCheckedState(false);
        QCOMPARE(b.currentSkin(), KzoPushButton::Skin::Normal);
        QCOMPARE(state.count(), 2);
    }

    void pushButtonDirectionText()
    {
        KzoPushButton b;
        b.toggleText(true);
        QCOMPARE(b.text(), QStringLiteral("NORM"));
        b.toggleText(false);
        QCOMPARE(b.text(), QStringLiteral("REV"));
        b.setTextLocked(true);
        b.toggleText(true);
        QCOMPARE(b.text(), QStringLiteral("REV"));
    }

    void toolButtonSkinFollowsEnabled()
    {
        KzoToolButton t;
        t.setBgNormal(QPixmap(res + "button_normal.png"));
        t.setBgDisabled(QPixmap(res + "button_disabled.png"));
        QCOMPARE(t.currentSkin().cacheKey(), t.bgNormal().cacheKey());
        t.setEnabled(false);
        QCOMPARE(t.currentSkin().cacheKey(), t.bgDisabled().cacheKey());
    }

    void spinBoxEnterIsDebounced()
    {
        KzoSpinBox s;
        s.setRange(0, 1000);
        s.show();
        QSignalSpy edited(&s, &KzoSpinBox::edited);
        QSignalSpy manual(&s, &KzoSpinBox::manualModify);
        // Hammered Enter: one report, then the gate stays shut for 300 ms.
        for (int i = 0; i < 10; ++i)
            sendKey(&s, Qt::Key_Return, false);
        QCOMPARE(edited.count(), 1);
        QVERIFY(!s.isEnterReady());
        // Held Enter: auto-repeats are ignored entirely, even after the gate reopens.
        QTRY_VERIFY(s.isEnterReady());
        for (int i = 0; i < 5; ++i)
            sendKey(&s, Qt::Key_Enter, true);
        QCOMPARE(edited.count(), 1);
        sendKey(&s, Qt::Key_Enter, false);
        QCOMPARE(edited.count(), 2);
        QCOMPARE(manual.count(), 0);
    }

    void spinBoxDigitsAreManualOnly()
    {
        KzoSpinBox s;
        s.setRange(0, 1000);
        s.show();
        s.selectAll();
        QSignalSpy edited(&s, &KzoSpinBox::edited);
        QSignalSpy manual(&s, &KzoSpinBox::manualModify);
        QTest::keyClicks(&s, QStringLiteral("42"));
        QCOMPARE(manual.count(), 2);
        QCOMPARE(edited.count(), 0);
        QCOMPARE(s.value(), 42);
        QWheelEvent wheel(QPointF(5, 5), s.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&s, &wheel);
        QCOMPARE(manual.count(), 3);
        QCOMPARE(edited.count(), 0);
    }

    void doubleSpinBoxEnterIsDebounced()
    {
        KzoDoubleSpinBox d;
        d.show();
        QSignalSpy edited(&d, &KzoDoubleSpinBox::edited);
        sendKey(&d, Qt::Key_Return, false);
        sendKey(&d, Qt::Key_Return, false);
        sendKey(&d, Qt::Key_5, false, QStringLiteral("5"));
        QCOMPARE(edited.count(), 1);
        QTRY_COMPARE_WITH_TIMEOUT((sendKey(&d, Qt::Key_Enter, false), edited.count()), 2, 3000);
    }

    void sliderIgnoresFirstProgrammaticValue()
    {
        KzoSlider s(Qt::Horizontal);
        s.setRange(0, 100);
        s.setValue(40);
        QVERIFY(!s.isThrottling());
        s.setValue(41);
        QVERIFY(s.isThrottling());
    }

    void sliderReportsMovesAndStopsAfterSixStillTicks()
    {
        KzoSlider s(Qt::Horizontal);
        s.setRange(0, 1000);
        s.setValue(1); // the ignored first set
        QCOMPARE(KzoSlider::sharedStillTicks(), 0);
        QSignalSpy moved(&s, &KzoSlider::value_stopChange);
        QSignalSpy rested(&s, &KzoSlider::value_set);
        const auto tick = [&] { QVERIFY(QMetaObject::invokeMethod(&s, "onTick")); };

        // Each tick that finds a new value reports it.
        s.setValue(10);
        QVERIFY(s.isThrottling());
        tick();
        QCOMPARE(moved.count(), 1);
        s.setValue(20);
        s.setValue(25);
        tick();
        QCOMPARE(moved.count(), 2);
        // Five still ticks are tolerated ...
        for (int i = 0; i < 5; ++i)
            tick();
        QVERIFY(s.isThrottling());
        QCOMPARE(KzoSlider::sharedStillTicks(), 5);
        // ... a move in between starts the count again ...
        s.setValue(30);
        tick();
        QCOMPARE(moved.count(), 3);
        QCOMPARE(KzoSlider::sharedStillTicks(), 0);
        for (int i = 0; i < 5; ++i)
            tick();
        QVERIFY(s.isThrottling());
        QCOMPARE(rested.count(), 0);
        // ... and the sixth stops the timer.
        tick();
        QVERIFY(!s.isThrottling());
        QCOMPARE(rested.count(), 1);
        QCOMPARE(moved.count(), 3);
        QCOMPARE(KzoSlider::sharedStillTicks(), 0);
    }

    void sliderTimerRunsByItself()
    {
        KzoSlider s(Qt::Horizontal);
        s.setRange(0, 1000);
        s.setValue(1);
        QSignalSpy moved(&s, &KzoSlider::value_stopChange);
        QSignalSpy rested(&s, &KzoSlider::value_set);
        s.setValue(500);
        QTRY_COMPARE(moved.count(), 1);
        // Left alone, it comes to rest and says so once.
        QTRY_VERIFY_WITH_TIMEOUT(!s.isThrottling(), 10000);
        QCOMPARE(rested.count(), 1);
        QCOMPARE(moved.count(), 1);
    }

    void switchActiveHalfStillEmits()
    {
        KzoSwitchBox sw;
        sw.show();
        QSignalSpy changed(&sw, &KzoSwitchBox::statusChanged);
        QVERIFY(!sw.status());
        QTest::mouseClick(sw.offButton(), Qt::LeftButton);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toBool(), false);
        QTest::mouseClick(sw.onButton(), Qt::LeftButton);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(1).at(0).toBool(), true);
        QVERIFY(sw.status());
        QVERIFY(sw.onButton()->isChecked());
        QVERIFY(!sw.offButton()->isChecked());
        QTest::mouseClick(sw.onButton(), Qt::LeftButton);
        QCOMPARE(changed.count(), 3);
        QVERIFY(sw.onButton()->isChecked());
        QCOMPARE(sw.onButton()->styleSheet(), QStringLiteral("border-image:url(:/Utility/res/btn_left_on.png);"));
        QCOMPARE(sw.offButton()->styleSheet(), QStringLiteral("border-image:url(:/Utility/res/btn_right_off.png);"));
        // Programmatic state changes are silent.
        sw.setStatus(false);
        QCOMPARE(changed.count(), 3);
        QCOMPARE(sw.onButton()->styleSheet(), QStringLiteral("border-image:url(:/Utility/res/btn_left_off.png);"));
        QCOMPARE(sw.offButton()->styleSheet(), QStringLiteral("border-image:url(:/Utility/res/btn_right_on.png);"));
        QCOMPARE(sw.onButton()->focusPolicy(), Qt::NoFocus);
    }

    void switchGeometry()
    {
        KzoSwitchBox sw;
        QCOMPARE(sw.size(), QSize(140, 25));
        sw.setSwitchSize(141, 30);
        QCOMPARE(sw.width(), 142);
        QCOMPARE(sw.onButton()->size(), QSize(71, 30));
        QCOMPARE(sw.offButton()->size(), QSize(71, 30));
        QCOMPARE(sw.onButton()->minimumSize(), sw.onButton()->maximumSize());
        sw.show();
        QCOMPARE(sw.offButton()->x(), 71);
    }

    void switchIconsNeedBoth()
    {
        KzoSwitchBox sw;
        QVERIFY(!sw.loadIcons(res + "switch_on.png", res + "missing.png"));
        QVERIFY(sw.onButton()->icon().isNull());
        QVERIFY(sw.loadIcons(res + "switch_on.png", res + "switch_off.png"));
        QVERIFY(!sw.onButton()->icon().isNull());
    }

    void dropAreaListsAtMost32Paths()
    {
        DropArea area;
        area.show();
        QSignalSpy dropped(&area, &DropArea::dropFile);
        QList<const QMimeData*> changed;
        connect(&area, &DropArea::changed, this, [&](const QMimeData* m) { changed.append(m); });
        QMimeData mime;
        QList<QUrl> urls;
        for (int i = 0; i < 40; ++i)
            urls.append(QUrl::fromLocalFile(QStringLiteral("/tmp/fw/image%1.hex").arg(i, 2, 10, QLatin1Char('0'))));
        mime.setUrls(urls);

        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&area, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(area.text(), DropArea::placeholderText());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0), &mime);

        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&area, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(dropped.count(), 1);
        const QString text = dropped.at(0).at(0).toString();
        const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 32);
        QCOMPARE(lines.first(), QStringLiteral("/tmp/fw/image00.hex"));
        QCOMPARE(lines.last(), QStringLiteral("/tmp/fw/image31.hex"));
        QVERIFY(text.endsWith(QLatin1Char('\n')));
        QCOMPARE(area.text(), text);
        saveShot(area, QStringLiteral("DropArea_files"));

        area.clear();
        QCOMPARE(area.text(), DropArea::placeholderText());
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.last(), nullptr);
    }

    void dropAreaOtherData()
    {
        DropArea area;
        area.show();
        QSignalSpy dropped(&area, &DropArea::dropFile);
        QMimeData plain;
        plain.setText(QStringLiteral("firmware.hex"));
        dropOn(&area, &plain);
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.last().at(0).toString(), QStringLiteral("firmware.hex"));
        QMimeData other;
        other.setData(QStringLiteral("application/x-unknown"), "xx");
        dropOn(&area, &other);
        QCOMPARE(dropped.count(), 2);
        QCOMPARE(dropped.last().at(0).toString(), QStringLiteral("Cannot display data"));
    }

    void imageButtonLooks()
    {
        qImageButtonEx b;
        b.setIcons(res + "btn_exit_press.png", res + "btn_exit_hover.png", res + "btn_exit_normal.png");
        b.resize(28, 24);
        b.show();
        QSignalSpy click(&b, &qImageButtonEx::click);
        sendEnter(&b, {2, 2});
        QCOMPARE(b.look(), qImageButton::Look::Hover);
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(b.look(), qImageButton::Look::Pressed);
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(b.look(), qImageButton::Look::Hover);
        QCOMPARE(click.count(), 1);
        sendLeave(&b);
        QCOMPARE(b.look(), qImageButton::Look::Normal);
        b.setHoverEnabled(false);
        sendEnter(&b, {2, 2});
        QCOMPARE(b.look(), qImageButton::Look::Normal);
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(300, 3));
        QCOMPARE(b.look(), qImageButton::Look::Normal);
        QCOMPARE(click.count(), 1); // released outside: no click
    }

    void pageButtonPressGate()
    {
        qPageButton b(3);
        b.setImages(res + "page_tools_normal_t.png", res + "page_tools_hover_t.png", res + "page_tools_focus_t.png");
        b.setCaption(QStringLiteral("Tools"));
        b.resize(96, 72);
        b.show();
        QSignalSpy click(&b, &qPageButton::click);
        QSignalSpy refused(&b, &qPageButton::pressRefused);
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(click.count(), 1);
        QCOMPARE(click.at(0).at(0).toInt(), 3);
        bool allow = false;
        b.setPressGate([&](const qPageButton& btn) { return allow && btn.caption() == QLatin1String("Tools"); });
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(click.count(), 1);
        QCOMPARE(refused.count(), 1);
        allow = true;
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(click.count(), 2);
        sendEnter(&b, {2, 2});
        QCOMPARE(b.styleSheet(), b.hoverStyle());
        sendLeave(&b);
        QCOMPARE(b.styleSheet(), b.normalStyle());
    }

    void pictureButtonTextPlacement()
    {
        PictureButton p;
        p.setBackground(QPixmap(res + "button_normal.png")); // 100 x 30
        p.setIndent(8);
        p.setTextAlignment(PictureButton::left);
        QCOMPARE(p.textRect(), QRect(8, 0, 100, 30));
        QCOMPARE(p.textFlags(), Qt::AlignLeft | Qt::AlignVCenter);
        p.setTextAlignment(PictureButton::right);
        QCOMPARE(p.textRect(), QRect(-8, 0, 100, 30));
        p.setTextAlignment(PictureButton::Center);
        QCOMPARE(p.textRect(), QRect(0, 0, 100, 30));
        QCOMPARE(p.sizeHint(), QSize(100, 30));
    }

    void tipLabelMirrorsToolTip()
    {
        QWidget owner;
        QTipLabel::showText(QPoint(100, 100), QStringLiteral("Channel 1 assigns the pitch speed."));
        QTipLabel* tip = QTipLabel::instance();
        QVERIFY(tip);
        QVERIFY(tip->isVisible());
        QCOMPARE(tip->objectName(), QStringLiteral("qtooltip_label"));
        QCOMPARE(tip->font(), QToolTip::font());
        QCOMPARE(tip->text(), QStringLiteral("Channel 1 assigns the pitch speed."));
        QTest::ignoreMessage(QtWarningMsg, "QToolTip::setTipRect: Cannot pass null widget if rect is set");
        QTipLabel::showText(QPoint(10, 10), QStringLiteral("again"), nullptr, QRect(0, 0, 10, 10));
        QCOMPARE(tip->tipRect(), QRect());
        QTipLabel::showText(QPoint(10, 10), QStringLiteral("again"), &owner, QRect(0, 0, 10, 10));
        QCOMPARE(tip->tipRect(), QRect(0, 0, 10, 10));
        saveShot(*tip, QStringLiteral("QTipLabel"));
        QTipLabel::showText(QPoint(10, 10), QString());
        QVERIFY(!tip->isVisible());
        delete tip;
    }

    void pushButtonPaintsSkinAndText()
    {
        KzoPushButton b;
        skinButton(b);
        b.setText(QStringLiteral("Write"));
        b.setTextBeside(true);
        b.resize(200, 30);
        b.show();
        const QImage normal = QImage(res + "button_normal.png").convertToFormat(QImage::Format_ARGB32);
        const QImage press = QImage(res + "button_press.png").convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(normal.size(), QSize(100, 30));
        // A point where both skins are opaque and differ, so the grab shows them as they are.
        QPoint at(-1, -1);
        for (int y = 0; y < 30 && at.x() < 0; ++y)
            for (int x = 0; x < 100 && at.x() < 0; ++x)
                if (qAlpha(normal.pixel(x, y)) == 255 && qAlpha(press.pixel(x, y)) == 255
                    && normal.pixel(x, y) != press.pixel(x, y))
                    at = QPoint(x, y);
        QVERIFY(at.x() >= 0);

        // Text beside: the skin at the top-left corner, the text to its right.
        QImage shot = b.grab().toImage();
        QCOMPARE(QColor(shot.pixel(at)), QColor(normal.pixel(at)));
        bool textDrawn = false;
        for (int y = 0; y < 30; ++y)
            for (int x = 100; x < 200; ++x)
                textDrawn = textDrawn || shot.pixel(x, y) != shot.pixel(199, 0);
        QVERIFY(textDrawn);
        saveShot(b, QStringLiteral("KzoPushButton"));

        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
        shot = b.grab().toImage();
        QCOMPARE(QColor(shot.pixel(at)), QColor(press.pixel(at)));
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(500, 5));

        // Text below: the skin centred horizontally.
        b.setTextBeside(false);
        b.resize(200, 60);
        shot = b.grab().toImage();
        QCOMPARE(QColor(shot.pixel(at + QPoint(50, 0))), QColor(normal.pixel(at)));
    }
};

QTEST_MAIN(TestControls)
#include "test_controls.moc"

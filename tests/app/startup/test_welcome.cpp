// The splash screen: skip appears after one second, clicks elsewhere do not
// close it, skip does.
#include "app/qWelcome.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

class TestWelcome : public QObject {
    Q_OBJECT
private slots:
    void skipAfterOneSecond()
    {
        qWelcome splash(QStringLiteral(":/missing.png"));
        QElapsedTimer clock;
        clock.start();
        splash.show();
        QVERIFY(!splash.pixmap().isNull()); // drawn when the image is missing
        QVERIFY(!splash.skipButton()->isVisible());
        QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(splash.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(splash.skipButton()->isVisible(), 10000);
        QVERIFY(clock.elapsed() >= qWelcome::skipDelayMs - 50);
        QTest::mouseClick(splash.skipButton(), Qt::LeftButton);
        QTRY_VERIFY(!splash.isVisible());
    }
};

QTEST_MAIN(TestWelcome)
#include "test_welcome.moc"

#pragma once
// Splash screen shown while start-up waits for a device. Its "skip" button
// appears after one second; mouse presses elsewhere do not close it.
#include <QSplashScreen>

class QLabel;
class QPushButton;

class qWelcome : public QSplashScreen {
    Q_OBJECT
public:
    explicit qWelcome(const QString& imagePath, const QString& skipStyle = QString());

    QPushButton* skipButton() const { return skip; }
    QLabel* noticeLabel() const { return notice; }

    static constexpr int skipDelayMs = 1000;

signals:
    // Skipped, closed or finished: start-up stops waiting for a device.
    void hidden();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* notice;
    QPushButton* skip;
};

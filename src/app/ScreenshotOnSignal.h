#pragma once
// Saves a picture of a widget each time the process receives SIGUSR1, when
// the environment names a file in KZO_SCREENSHOT (unattended runs and tests
// take their screenshots this way, also without a display server). Beside
// the picture, in the file's name + ".values", go the values the widget's
// visible named children show, one "name<TAB>value" line each, so that a
// run can be checked by what it shows and not only by its picture.
#include <QObject>
#include <QPointer>
#include <QWidget>

class QSocketNotifier;

namespace kzo::app {

class ScreenshotOnSignal : public QObject {
    Q_OBJECT
public:
    explicit ScreenshotOnSignal(QWidget* target);
    ~ScreenshotOnSignal() override;

private:
    void save();

    QPointer<QWidget> target;
    QString path;
    QSocketNotifier* notifier = nullptr;
};

} // namespace kzo::app

#pragma once
// Saves a widget's look as PNG under the test output folder for review.
#include <QDir>
#include <QString>
#include <QWidget>

namespace kzo::test {

inline QString shotPath(const QString& name)
{
    const QString dir = QStringLiteral(KZO_TEST_OUTPUT_DIR) + QStringLiteral("/widgets");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name + QStringLiteral(".png");
}

inline bool saveShot(QWidget& w, const QString& name)
{
    if (!w.isVisible())
        w.show();
    return w.grab().save(shotPath(name));
}

} // namespace kzo::test

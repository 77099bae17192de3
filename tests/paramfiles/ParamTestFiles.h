#pragma once
// What the parameter-file tests share: whole-file reads and writes, record
// sets with a recognisable pattern, and a recorder for the message boxes.
#include "widgets/MessageBoxes.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

namespace kzo::test {

// The file's bytes; empty when it cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the file with exactly these bytes.
inline bool writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Eight 130-byte file records whose byte i is i * step + offset.
inline QByteArray patternRecords(int step, int offset)
{
    QByteArray r;
    for (int i = 0; i < 8 * 130; ++i)
        r.append(static_cast<char>(i * step + offset));
    return r;
}

// Records every box; answers questions with `reply`.
struct RecordedBoxes {
    QList<kzo::ui::BoxRequest> shown;
    QMessageBox::StandardButton reply = QMessageBox::Yes;
    kzo::ui::ScopedBoxHandler handler{[this](QWidget*, const kzo::ui::BoxRequest& b) {
        shown.append(b);
        return b.buttons.testFlag(QMessageBox::Yes) ? reply : QMessageBox::Ok;
    }};

    // "title / text" of each box in order.
    QStringList texts() const
    {
        QStringList out;
        for (const auto& b : shown)
            out << b.title + QStringLiteral(" / ") + b.text;
        return out;
    }

    // An import that ended in failure: "Import Failure", then the warning that
    // the controller may hold a mix of old and new parameters, and nothing else.
    bool importFailedWithMixWarning() const
    {
        return shown.size() == 2 && texts().first() == QStringLiteral("Import EEPROM / Import Failure")
            && shown[1].icon == QMessageBox::Warning
            && shown[1].text.contains(QStringLiteral("mix of old and new parameters"));
    }
};

} // namespace kzo::test

#pragma once
// Firmware images the upgrade tests send: seeded random bytes, and the same
// bytes as Intel HEX text (16 data bytes a record, upper-case digits, CR LF).
#include <QByteArray>
#include <QRandomGenerator>
#include <cstdint>

namespace kzo::test {

inline QByteArray randomBytes(int n, quint32 seed)
{
    QRandomGenerator g(seed);
    QByteArray b(n, '\0');
    for (char& c : b)
        c = static_cast<char>(g.bounded(256));
    return b;
}

inline QByteArray hexText(const QByteArray& data)
{
    QByteArray out;
    for (int at = 0; at < data.size(); at += 16) {
        const QByteArray chunk = data.mid(at, 16);
        QByteArray rec;
        rec.append(char(chunk.size()));
        rec.append(char((at >> 8) & 0xFF));
        rec.append(char(at & 0xFF));
        rec.append(char(0));
        rec.append(chunk);
        uint8_t sum = 0;
        for (char c : rec)
            sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
        rec.append(char(static_cast<uint8_t>(-sum)));
        out += ':' + rec.toHex().toUpper() + "\r\n";
    }
    return out + ":00000001FF\r\n";
}

} // namespace kzo::test

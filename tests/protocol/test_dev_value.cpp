// Type names and sizes, reading values from text and from bytes, formatting.
#include "protocol/DevValue.h"

#include <QTest>

#include <cstring>

using namespace orb;

namespace {

DevValue valueOf(int type)
{
    DevValue v;
    v.type = type;
    return v;
}

template <class T>
T rawAs(const DevValue& v)
{
    T out;
    std::memcpy(&out, v.raw, sizeof out);
    return out;
}

} // namespace

class TestDevValue : public QObject {
    Q_OBJECT
private slots:
    void namesAreAsymmetric();
    void sizes();
    void freshValue();
    void readFromBytes();
    void parseAccepted_data();
    void parseAccepted();
    void parseRejectedLeavesValue_data();
    void parseRejectedLeavesValue();
    void parseUnknownType();
    void parseFloats();
    void narrowTypesDoNotTouchOtherBytes();
    void formatValue_data();
    void formatValue();
};

void TestDevValue::namesAreAsymmetric()
{
    QVERIFY(typeName(5) == L"float32");
    QVERIFY(typeName(6) == L"float64");
    QCOMPARE(typeFromName(L"float32"), 0);
    QCOMPARE(typeFromName(L"float64"), 0);
    QCOMPARE(typeFromName(L"float"), 5);
    QCOMPARE(typeFromName(L"double"), 6);
    QVERIFY(typeName(0) == L"unknown");
    QVERIFY(typeName(11) == L"unknown");
    QVERIFY(typeName(-1) == L"unknown");
    QCOMPARE(typeFromName(L"unknown"), 0);
    QCOMPARE(typeFromName(L"Int8s"), 0); // case-sensitive
    QCOMPARE(typeFromName(L""), 0);
    // Every integer name reads back to its own code.
    for (int code : {1, 2, 3, 4, 7, 8, 9, 10})
        QCOMPARE(typeFromName(typeName(code)), code);
}

void TestDevValue::sizes()
{
    const int expected[] = {0, 1, 2, 4, 8, 4, 8, 1, 2, 4, 8};
    for (int code = 0; code <= 10; ++code)
        QCOMPARE(typeSize(code), expected[code]);
    QCOMPARE(typeSize(11), 0);
    QCOMPARE(typeSize(-3), 0);
}

void TestDevValue::freshValue()
{
    DevValue v;
    QCOMPARE(v.type, 0);
    for (uint8_t b : v.raw)
        QCOMPARE(b, uint8_t(0));
    QVERIFY(v.bytes.empty());
    v.bytes = {1, 2};
    v.type = TypeInt16u;
    v.raw[1] = 9;
    const DevValue copy = v;
    QCOMPARE(copy.bytes, v.bytes);
    QCOMPARE(copy.type, TypeInt16u);
    QCOMPARE(copy.raw[1], uint8_t(9));
}

void TestDevValue::readFromBytes()
{
    const uint8_t src[] = {0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF};
    DevValue v = valueOf(TypeInt32u);
    QCOMPARE(orb::readFromBytes(src, v), 4);
    QCOMPARE(rawAs<uint32_t>(v), uint32_t(0x12345678));
    QCOMPARE(v.raw[4], uint8_t(0)); // only typeSize bytes copied

    DevValue none;
    none.raw[0] = 0xAB;
    QCOMPARE(orb::readFromBytes(src, none), 0);
    QCOMPARE(none.raw[0], uint8_t(0xAB));

    DevValue s16 = valueOf(TypeInt16s);
    const uint8_t neg[] = {0xFE, 0xFF};
    QCOMPARE(orb::readFromBytes(neg, s16), 2);
    QVERIFY(orb::formatValue(s16) == L"-2");
}

void TestDevValue::parseAccepted_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qulonglong>("raw"); // the first typeSize bytes, little-endian

    QTest::newRow("0x1F int8u") << int(TypeInt8u) << "0x1F" << 31ULL;
    QTest::newRow("0X1f int16s") << int(TypeInt16s) << "0X1f" << 31ULL;
    QTest::newRow("0A int32u") << int(TypeInt32u) << "0A" << 10ULL;
    QTest::newRow("0A int64s") << int(TypeInt64s) << "0A" << 10ULL;
    QTest::newRow("0 int16u") << int(TypeInt16u) << "0" << 0ULL;
    QTest::newRow("0xABC int32u") << int(TypeInt32u) << "0xABC" << 2748ULL;
    QTest::newRow("0xABC int32s") << int(TypeInt32s) << "0xABC" << 2748ULL;
    QTest::newRow("-56 int8s") << int(TypeInt8s) << "-56" << 0xC8ULL;
    QTest::newRow("-2 int16s") << int(TypeInt16s) << "-2" << 0xFFFEULL;
    QTest::newRow("300 int8u wraps") << int(TypeInt8u) << "300" << 44ULL;
    QTest::newRow("70000 int16u wraps") << int(TypeInt16u) << "70000" << 4464ULL;
    QTest::newRow("4294967295 int32u") << int(TypeInt32u) << "4294967295" << 0xFFFFFFFFULL;
    QTest::newRow("-1 int64s") << int(TypeInt64s) << "-1" << 0xFFFFFFFFFFFFFFFFULL;
    QTest::newRow("big int64u") << int(TypeInt64u) << "18446744073709551615" << 0xFFFFFFFFFFFFFFFFULL;
    QTest::newRow("0x10000 int64u") << int(TypeInt64u) << "0x10000" << 0x10000ULL;
    QTest::newRow("surrounding blanks") << int(TypeInt32s) << " 12 " << 12ULL;
}

void TestDevValue::parseAccepted()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(qulonglong, raw);
    DevValue v = valueOf(type);
    std::memset(v.raw, 0x5A, sizeof v.raw); // stale bytes beyond the type are not the parser's business
    QVERIFY(parseValue(text.toStdWString(), v));
    uint64_t got = 0;
    std::memcpy(&got, v.raw, static_cast<size_t>(typeSize(type)));
    QCOMPARE(qulonglong(got), raw);
}

void TestDevValue::parseRejectedLeavesValue_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    for (int type : {1, 2, 3, 4, 7, 8, 9, 10}) {
        const QString name = QString::fromStdWString(typeName(type));
        QTest::newRow(qPrintable("abc " + name)) << type << "abc";
        QTest::newRow(qPrintable("FF " + name)) << type << "FF";
        QTest::newRow(qPrintable("1F " + name)) << type << "1F";
        QTest::newRow(qPrintable("12abc " + name)) << type << "12abc";
        QTest::newRow(qPrintable("0xZZ " + name)) << type << "0xZZ";
        QTest::newRow(qPrintable("0x1G " + name)) << type << "0x1G";
        QTest::newRow(qPrintable("empty " + name)) << type << "";
        QTest::newRow(qPrintable("1 2 " + name)) << type << "1 2";
    }
    QTest::newRow("overflow int32s") << int(TypeInt32s) << "99999999999";
    QTest::newRow("float junk") << int(TypeFloat32) << "1.5abc";
    QTest::newRow("double junk") << int(TypeFloat64) << "x";
    QTest::newRow("hex float") << int(TypeFloat32) << "0x10";
}

void TestDevValue::parseRejectedLeavesValue()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    DevValue v = valueOf(type);
    const uint8_t before[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::memcpy(v.raw, before, 8);
    QVERIFY(!parseValue(text.toStdWString(), v));
    QCOMPARE(std::memcmp(v.raw, before, 8), 0);
    QCOMPARE(v.type, type);
}

void TestDevValue::parseUnknownType()
{
    for (int type : {0, 11, -1}) {
        DevValue v = valueOf(type);
        v.raw[0] = 0x77;
        QVERIFY(!parseValue(L"12", v));
        QCOMPARE(v.raw[0], uint8_t(0x77));
    }
}

void TestDevValue::parseFloats()
{
    DevValue f = valueOf(TypeFloat32);
    QVERIFY(parseValue(L"1.5", f));
    QCOMPARE(rawAs<float>(f), 1.5f);
    DevValue d = valueOf(TypeFloat64);
    QVERIFY(parseValue(L"-2.25e3", d));
    QCOMPARE(rawAs<double>(d), -2250.0);
    QVERIFY(parseValue(L"0", d));
    QCOMPARE(rawAs<double>(d), 0.0);
}

void TestDevValue::narrowTypesDoNotTouchOtherBytes()
{
    DevValue v = valueOf(TypeInt8u);
    std::memset(v.raw, 0xEE, sizeof v.raw);
    QVERIFY(parseValue(L"7", v));
    QCOMPARE(v.raw[0], uint8_t(7));
    QCOMPARE(v.raw[1], uint8_t(0xEE));
}

void TestDevValue::formatValue_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("text");
    QTest::newRow("int8u 200") << int(TypeInt8u) << QByteArray("\xC8") << "200";
    QTest::newRow("int8s -56") << int(TypeInt8s) << QByteArray("\xC8") << "-56";
    QTest::newRow("int16u") << int(TypeInt16u) << QByteArray("\xFE\xFF") << "65534";
    QTest::newRow("int32s -1") << int(TypeInt32s) << QByteArray("\xFF\xFF\xFF\xFF") << "-1";
    QTest::newRow("int32u") << int(TypeInt32u) << QByteArray("\xFF\xFF\xFF\xFF") << "4294967295";
    QTest::newRow("int64s min") << int(TypeInt64s) << QByteArray("\x00\x00\x00\x00\x00\x00\x00\x80", 8)
                                << "-9223372036854775808";
    QTest::newRow("int64u max") << int(TypeInt64u) << QByteArray(8, '\xFF') << "18446744073709551615";
    const float pi = 3.14159265f;
    const double third = 1.0 / 3.0;
    QTest::newRow("float32 six digits") << int(TypeFloat32) << QByteArray(reinterpret_cast<const char*>(&pi), 4)
                                        << "3.14159";
    QTest::newRow("float64 six digits")
        << int(TypeFloat64) << QByteArray(reinterpret_cast<const char*>(&third), 8) << "0.333333";
    const double big = 1.5e20;
    QTest::newRow("float64 large") << int(TypeFloat64) << QByteArray(reinterpret_cast<const char*>(&big), 8)
                                   << "1.5e+20";
    QTest::newRow("unknown") << 0 << QByteArray() << "Unknown";
    QTest::newRow("out of range") << 12 << QByteArray() << "Unknown";
}

void TestDevValue::formatValue()
{
    QFETCH(int, type);
    QFETCH(QByteArray, raw);
    QFETCH(QString, text);
    DevValue v = valueOf(type);
    std::memcpy(v.raw, raw.constData(), static_cast<size_t>(raw.size()));
    QCOMPARE(QString::fromStdWString(orb::formatValue(v)), text);
}

QTEST_APPLESS_MAIN(TestDevValue)
#include "test_dev_value.moc"

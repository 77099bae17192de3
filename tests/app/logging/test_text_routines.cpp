// Code-page-936 conversion and the splitting helpers.
#include "app/logging/TextRoutines.h"

#include <QTest>

using namespace kzo::text;


class TestTextRoutines : public QObject {
    Q_OBJECT
private slots:
    void chineseToGbkAndBack();
    void asciiPassesThrough();
    void unconvertibleCharactersAreSkipped();
    void invalidGbkBytesAreSkipped();
    void collapseSeparator_data();
    void collapseSeparator();
    void splitFirst();
    void splitAll();
    void replaceChar();
    void hexDigitValue();
};

void TestTextRoutines::chineseToGbkAndBack()
{
    const std::string gbk = toLocal8(L"\u4e2d\u6587"); // "中文"
    QCOMPARE(QByteArray::fromStdString(gbk), QByteArray("\xD6\xD0\xCE\xC4"));
    QVERIFY(fromLocal8("\xD6\xD0\xCE\xC4") == L"\u4e2d\u6587");

    const std::wstring mixed = L"\u56fa\u4ef6 v1.2 \u5347\u7ea7"; // "固件 v1.2 升级"
    const std::string narrow = toLocal8(mixed);
    QCOMPARE(narrow.size(), size_t(2 * 4 + 6));
    QVERIFY(fromLocal8(narrow) == mixed);
}

void TestTextRoutines::asciiPassesThrough()
{
    QCOMPARE(toLocal8(L"setcrc 19"), std::string("setcrc 19"));
    QVERIFY(fromLocal8("getcrc") == L"getcrc");
    QVERIFY(toLocal8(L"").empty());
    QVERIFY(fromLocal8("").empty());
    // Long text crosses the converter's internal chunk size.
    std::wstring longText;
    for (int i = 0; i < 2000; ++i)
        longText += L"\u4e2d";
    const std::string gbk = toLocal8(longText);
    QCOMPARE(gbk.size(), size_t(4000));
    QVERIFY(fromLocal8(gbk) == longText);
}

void TestTextRoutines::unconvertibleCharactersAreSkipped()
{
    // U+1F600 has no GBK code: it is dropped, the rest survives.
    QCOMPARE(toLocal8(L"a\U0001F600b"), std::string("ab"));
}

void TestTextRoutines::invalidGbkBytesAreSkipped()
{
    // 0xFF is no GBK lead byte.
    QVERIFY(fromLocal8("a\xFF" "b") == L"ab");
}

void TestTextRoutines::collapseSeparator_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("runs and ends") << "//a///b//" << "a/b";
    QTest::newRow("single ends") << "/a/b/" << "a/b";
    QTest::newRow("nothing to do") << "a/b" << "a/b";
    QTest::newRow("only separators") << "////" << "";
    QTest::newRow("empty") << "" << "";
}

void TestTextRoutines::collapseSeparator()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    std::wstring text = input.toStdWString();
    kzo::text::collapseSeparator(text, L'/');
    QCOMPARE(QString::fromStdWString(text), expected);
}

void TestTextRoutines::splitFirst()
{
    std::wstring head, tail = L"untouched";
    QVERIFY(kzo::text::splitFirst(L"key=value=more", head, tail, L'='));
    QVERIFY(head == L"key");
    QVERIFY(tail == L"value=more");

    QVERIFY(kzo::text::splitFirst(L"=x", head, tail, L'='));
    QVERIFY(head.empty());
    QVERIFY(tail == L"x");

    tail = L"untouched";
    QVERIFY(!kzo::text::splitFirst(L"noseparator", head, tail, L'='));
    QVERIFY(head == L"noseparator");
}

void TestTextRoutines::splitAll()
{
    std::vector<std::wstring> pieces = {L"stale"};
    kzo::text::splitAll(L"a,,b,", pieces, L',');
    QCOMPARE(pieces.size(), size_t(4));
    QVERIFY(pieces[0] == L"a" && pieces[1].empty() && pieces[2] == L"b" && pieces[3].empty());

    kzo::text::splitAll(L"", pieces, L',');
    QCOMPARE(pieces.size(), size_t(1));
    QVERIFY(pieces[0].empty());

    kzo::text::splitAll(L"single", pieces, L',');
    QCOMPARE(pieces.size(), size_t(1));
    QVERIFY(pieces[0] == L"single");
}

void TestTextRoutines::replaceChar()
{
    std::wstring text = L"a\\b\\c";
    kzo::text::replaceChar(text, L'\\', L'/');
    QVERIFY(text == L"a/b/c");
}

void TestTextRoutines::hexDigitValue()
{
    QCOMPARE(kzo::text::hexDigitValue(L'0'), 0);
    QCOMPARE(kzo::text::hexDigitValue(L'9'), 9);
    QCOMPARE(kzo::text::hexDigitValue(L'A'), 10);
    QCOMPARE(kzo::text::hexDigitValue(L'f'), 15);
    QCOMPARE(kzo::text::hexDigitValue(L'F'), 15);
    QCOMPARE(kzo::text::hexDigitValue(L'g'), 0);
    QCOMPARE(kzo::text::hexDigitValue(L' '), 0);
    QCOMPARE(kzo::text::hexDigitValue(L'\u4e2d'), 0);
}

QTEST_APPLESS_MAIN(TestTextRoutines)
#include "test_text_routines.moc"

// Pure parts of the update-server client: percent coding, version comparison,
// the XML reply readers, module series names and the help-document lookup.
#include "OnlineTestSupport.h"

#include "commands/qAppModel.h"
#include "online/AppPaths.h"
#include "online/DataUploader.h"
#include "online/ModuleSeries.h"
#include "online/PercentCoding.h"
#include "online/ServerReplies.h"
#include "online/VersionCompare.h"

#include <QtTest>

#include <list>

using namespace kzo::online;

class TestOnlineCodec : public QObject {
    Q_OBJECT

    std::list<QDomDocument> docs; // the parsed documents live until the test function ends

    // The root element of `xml`; null when it does not parse.
    QDomElement parsed(const QByteArray& xml)
    {
        QDomDocument& doc = docs.emplace_back();
        if (parseReplyDocument(xml, doc) != ReplyParse::Ok)
            return {};
        return doc.documentElement();
    }

private slots:
    void cleanup() { docs.clear(); }

    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("KZO"));
        QCoreApplication::setApplicationName(QStringLiteral("kzo-assistant"));
    }

    void percentEncode_keepsOnlyUnreserved()
    {
        QCOMPARE(percentEncode(QByteArray("AZaz09-._~")), QByteArray("AZaz09-._~"));
        QCOMPARE(percentEncode(QByteArray("a b&c=d/e+f%")), QByteArray("a%20b%26c%3Dd%2Fe%2Bf%25"));
        QCOMPARE(percentEncode(QString::fromUtf8("é").toUtf8()), QByteArray("%C3%A9"));
        QCOMPARE(percentEncode(QByteArray("\x00\xff", 2)), QByteArray("%00%FF"));
        // Every byte survives a round trip, and only unreserved bytes stay literal.
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all += static_cast<char>(i);
        const QByteArray enc = percentEncode(all);
        QCOMPARE(enc.size(), 66 + (256 - 66) * 3);
        QCOMPARE(kzo::online::percentDecode(enc), all);
    }

    void percentDecodeCases_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("markup") << QByteArray("%3Cr%3E%3Ccode%3E1%3C%2Fcode%3E%3C/r%3E") << QByteArray("<r><code>1</code></r>");
        QTest::newRow("lower-case hex") << QByteArray("%3c%c3%a9") << QByteArray("<\xc3\xa9");
        QTest::newRow("plain") << QByteArray("<a>b</a>") << QByteArray("<a>b</a>");
        QTest::newRow("stray percent") << QByteArray("100% sure") << QByteArray("100% sure");
        QTest::newRow("one digit at end") << QByteArray("x%4") << QByteArray("x%4");
        QTest::newRow("percent at end") << QByteArray("x%") << QByteArray("x%");
        QTest::newRow("not hex") << QByteArray("%zz%4g") << QByteArray("%zz%4g");
        QTest::newRow("plus stays") << QByteArray("a+b") << QByteArray("a+b");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void percentDecodeCases()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        QCOMPARE(kzo::online::percentDecode(in), out);
    }

    void appendFormItem_joinsInOrder()
    {
        QByteArray body;
        appendFormItem(body, QStringLiteral("email"), QStringLiteral("a.b@x.org"));
        QCOMPARE(body, QByteArray("email=a.b%40x.org"));
        appendFormItem(body, QStringLiteral("series"), QString());
        appendFormItem(body, QStringLiteral("note"), QString::fromUtf8("ü &="));
        QCOMPARE(body, QByteArray("email=a.b%40x.org&series=&note=%C3%BC%20%26%3D"));
        // The application model's form of the same item agrees.
        appModel().setValue("k1", QString::fromUtf8("ü &="));
        QByteArray viaModel("x=1");
        appModel().appendQuery(viaModel, "k1");
        QByteArray viaItem("x=1");
        appendFormItem(viaItem, QStringLiteral("k1"), QString::fromUtf8("ü &="));
        QCOMPARE(viaItem, viaModel);
    }

    void compareVersion_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("latest");
        QTest::addColumn<int>("result");
        QTest::newRow("third field numerically") << "3.2.1.0" << "3.2.10.0" << 9;
        QTest::newRow("empty current") << "" << "1.0.0.0" << 1;
        QTest::newRow("empty current, older latest") << "" << "0.0.0.1" << 1;
        QTest::newRow("zero current") << "0" << "0.0.0.0" << 1;
        QTest::newRow("missing fields are zero") << "1.2" << "1.2.0.0" << 0;
        QTest::newRow("equal") << "3.2.1.0" << "3.2.1.0" << 0;
        QTest::newRow("older latest") << "2.0.0.0" << "1.9.9.9" << -1;
        QTest::newRow("first difference decides") << "1.5.0.0" << "2.0.9.9" << 1;
        QTest::newRow("fourth field") << "1.0.0.3" << "1.0.0.7" << 4;
        QTest::newRow("fifth field ignored") << "1.0.0.0.1" << "1.0.0.0.9" << 0;
        QTest::newRow("empty latest") << "1.0" << "" << -1;
    }
    void compareVersion()
    {
        QFETCH(QString, current);
        QFETCH(QString, latest);
        QFETCH(int, result);
        QCOMPARE(kzo::online::compareVersion(current, latest), result);
        QCOMPARE(DataUploader::compareVersion(current, latest), result);
    }

    void parse_decodesWholeBody()
    {
        QDomDocument plain;
        QDomDocument encoded;
        const QByteArray xml("<any><code>1</code><url>http://h/p?a=1&amp;b=2</url></any>");
        QCOMPARE(parseReplyDocument(xml, plain), ReplyParse::Ok);
        QCOMPARE(parseReplyDocument(xml.toPercentEncoding(), encoded), ReplyParse::Ok);
        QCOMPARE(encoded.toString(), plain.toString());
        QCOMPARE(childText(encoded.documentElement(), QStringLiteral("url")), QStringLiteral("http://h/p?a=1&b=2"));
        // A "%" that the decoding leaves in the text is not decoded a second time.
        QDomDocument once;
        QCOMPARE(parseReplyDocument("<r><t>100%2541</t></r>", once), ReplyParse::Ok);
        QCOMPARE(childText(once.documentElement(), QStringLiteral("t")), QStringLiteral("100%41"));
        QDomDocument bad;
        QCOMPARE(parseReplyDocument("<any><code>1</any>", bad), ReplyParse::Malformed);
        QCOMPARE(parseReplyDocument("just text", bad), ReplyParse::Malformed);
        QCOMPARE(parseReplyDocument("", bad), ReplyParse::Empty);
    }

    void childText_firstChildAndMissing()
    {
        const QDomElement root = parsed("<r><code>first</code><code>second</code><a><b>deep</b></a></r>");
        QCOMPARE(childText(root, QStringLiteral("code")), QStringLiteral("first"));
        QCOMPARE(childText(root, QStringLiteral("none")), QString());
        QCOMPARE(childText(root, QStringList{"a", "b"}), QStringLiteral("deep"));
        QCOMPARE(childText(root, QStringList{"a", "x", "b"}), QString());
        QCOMPARE(childText(QDomElement(), QStringLiteral("code")), QString());
    }

    void helpAddress_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("last match wins") << "en_US" << "en2";
        QTest::newRow("single match") << "zh_CN" << "zh";
        QTest::newRow("no match: first child") << "de_DE" << "default";
    }
    void helpAddress()
    {
        QFETCH(QString, language);
        QFETCH(QString, expected);
        const QDomElement root = parsed("<c><WIKI_KZO><page_main><x>default</x><y language=\"en_US\">en1</y>"
                                        "<z language=\"zh_CN\">zh</z><w language=\"en_US\">en2</w></page_main>"
                                        "<page_tools><only language=\"en_US\">tools-en</only></page_tools>"
                                        "</WIKI_KZO><Login><Url>L</Url></Login></c>");
        const ServerConfig c = readServerConfig(root, language);
        QCOMPARE(c.helpMainUrl, expected);
        // A page whose first child is also its only one.
        QCOMPARE(c.helpToolsUrl, QStringLiteral("tools-en"));
        QCOMPARE(c.helpInfoUrl, QString());
    }

    void serverConfig_addresses()
    {
        const QDomElement root = parsed("<cfg><Login><Url>http://s/login</Url></Login>"
                                        "<Register><Url>http://s/reg</Url></Register>"
                                        "<ForgotPassword><Url>http://s/forgot</Url></ForgotPassword>"
                                        "<SoftInfo><Url>http://s/sw</Url></SoftInfo>"
                                        "<Firmware><Url>http://s/fw</Url></Firmware>"
                                        "<WareDownload><Url>http://s/dl</Url></WareDownload>"
                                        "<Doc><Url>http://s/doc</Url></Doc>"
                                        "<NewsLetter><Url>http://s/news</Url></NewsLetter>"
                                        "<QueryInfo><Url>http://s/q</Url></QueryInfo></cfg>");
        const ServerConfig c = readServerConfig(root, QStringLiteral("en_US"));
        QCOMPARE(c.loginUrl, QStringLiteral("http://s/login"));
        QCOMPARE(c.registerUrl, QStringLiteral("http://s/reg/en_US"));
        QCOMPARE(c.forgotPasswordUrl, QStringLiteral("http://s/forgot/en_US"));
        QCOMPARE(c.softwareUrl, QStringLiteral("http://s/sw"));
        QCOMPARE(c.firmwareUrl, QStringLiteral("http://s/fw"));
        QCOMPARE(c.firmwareDownloadUrl, QStringLiteral("http://s/dl"));
        QCOMPARE(c.docUrl, QStringLiteral("http://s/doc"));
        QCOMPARE(c.newsUrl, QStringLiteral("http://s/news"));
        QCOMPARE(c.queryInfoUrl, QStringLiteral("http://s/q"));
        QVERIFY(readServerConfig(parsed("<cfg><Login><Url></Url></Login></cfg>"), "en_US").loginUrl.isEmpty());
    }

    void firmwareReply()
    {
        const QDomElement root = parsed("<r><latest><files><f0 size=\"2048\" checksum=\"abc\">F-17</f0></files>"
                                        "<id>55</id><ver>3.1.0.0</ver></latest></r>");
        const FirmwareDataInfo info = readFirmwareReply(root, 4, QStringLiteral("http://q/info"), QStringLiteral("en_US"));
        QCOMPARE(info.deviceId, 4);
        QCOMPARE(info.version, QStringLiteral("3.1.0.0"));
        QCOMPARE(info.infoUrl, QStringLiteral("http://q/info?id=55&type=0&language=en_US"));
        QCOMPARE(info.fileId, QStringLiteral("F-17"));
        QCOMPARE(info.size, 2048);
        QCOMPARE(info.checksum, QStringLiteral("abc"));
        const FirmwareDataInfo none = readFirmwareReply(
            parsed("<r><latest><files><f0 size=\"9\" checksum=\"c\"></f0></files><ver>9</ver></latest></r>"), 9,
            QStringLiteral("http://q"), QStringLiteral("en_US"));
        QCOMPARE(none.deviceId, 9);
        QCOMPARE(none.size, 0);
        QVERIFY(none.version.isEmpty() && none.infoUrl.isEmpty() && none.fileId.isEmpty() && none.checksum.isEmpty());
    }

    void otherReplies()
    {
        const SoftwareReply s = readSoftwareReply(parsed("<r><code>1</code><latest><software>1.2</software></latest>"
                                                         "<ver>1.2</ver><note>N</note><url>U</url><status>2</status></r>"));
        QCOMPARE(s.code, QStringLiteral("1"));
        QCOMPARE(s.latestFirmware, QString());
        QCOMPARE(s.latestSoftware, QStringLiteral("1.2"));
        QCOMPARE(s.ver + s.note + s.url + s.status, QStringLiteral("1.2NU2"));
        const DocReply dr = readDocReply(parsed("<r><code>12</code><url>http://d/doc.zip</url></r>"));
        QCOMPARE(dr.code, 12);
        QCOMPARE(dr.url, QStringLiteral("http://d/doc.zip"));
        QCOMPARE(readDocReply(parsed("<r><code>new</code></r>")).code, 0);
        const NewsReply nr = readNewsReply(parsed("<r><id>8</id><code>5</code></r>"), QStringLiteral("http://q"),
                                           QStringLiteral("zh_CN"));
        QCOMPARE(nr.address, QStringLiteral("http://q?id=8&type=1&language=zh_CN"));
        QCOMPARE(nr.version, 5);
        const LoginReply lr = readLoginReply(parsed("<x><code>0</code><msg>m</msg><error_code>1002</error_code></x>"));
        QCOMPARE(lr.code, QStringLiteral("0"));
        QCOMPARE(lr.msg, QStringLiteral("m"));
        QCOMPARE(lr.errorCode, QStringLiteral("1002"));
    }

    // Blanks and line breaks around a value are not part of it.
    void paddedFieldsAreTrimmed()
    {
        const LoginReply lr = readLoginReply(
            parsed("<x><code> 0 </code><msg>\n m \n</msg><error_code>\t1002 </error_code></x>"));
        QCOMPARE(lr.code, QStringLiteral("0"));
        QCOMPARE(lr.errorCode, QStringLiteral("1002"));
        QCOMPARE(readLoginReply(parsed("<x><code>\n  S1234abcd\n</code></x>")).code, QStringLiteral("S1234abcd"));
        const SoftwareReply s = readSoftwareReply(
            parsed("<r><code> 1\n</code><latest><firmware> 2.0 </firmware><software>\n1.2 </software></latest>"
                  "<ver> 1.2 </ver><note> http://n/ </note><url>\thttp://u/ </url><status> 2 </status></r>"));
        QCOMPARE(s.code, QStringLiteral("1"));
        QCOMPARE(s.latestFirmware, QStringLiteral("2.0"));
        QCOMPARE(s.latestSoftware, QStringLiteral("1.2"));
        QCOMPARE(s.ver, QStringLiteral("1.2"));
        QCOMPARE(s.note, QStringLiteral("http://n/"));
        QCOMPARE(s.url, QStringLiteral("http://u/"));
        QCOMPARE(s.status, QStringLiteral("2"));
    }

    void seriesNames()
    {
        LogCapture log;
        appModel().setValue("series", QStringLiteral("X"));
        appModel().setValue("receiver_freq", QStringLiteral("5.8G"));
        QCOMPARE(moduleSeriesName(9), QStringLiteral("X_receiver58G"));
        appModel().setValue("receiver_freq", QStringLiteral("2.4G"));
        QCOMPARE(moduleSeriesName(9), QStringLiteral("X_receiver24G"));
        QCOMPARE(moduleSeriesName(1), QStringLiteral("X_mc"));
        QCOMPARE(moduleSeriesName(12), QStringLiteral("X_cmu"));
        QCOMPARE(moduleSeriesName(5), QString());
        QVERIFY(!log.text().contains(QStringLiteral("Receiver Freq")));
        appModel().setValue("receiver_freq", QString());
        QCOMPARE(moduleSeriesName(9), QString());
        QVERIFY(log.hasLine(QStringLiteral("Debug"), QStringLiteral("Receiver Freq not recognized!")));

        const int ids[] = {1, 2, 3, 4, 7, 9, 10, 11, 12};
        for (int id : ids)
            QVERIFY(firmwareModule(id));
        for (int id : {0, 5, 6, 8, 13, 16})
            QVERIFY(!firmwareModule(id));
        QCOMPARE(QString::fromLatin1(firmwareModule(10)->hwidKey), QStringLiteral("hwid_nv08c"));
        QCOMPARE(QString::fromLatin1(firmwareModule(11)->firmwareKey), QStringLiteral("fw_glonass"));
    }

    void appDataFollowsXdgHome()
    {
        QCOMPARE(appConfPath(), appDataPath() + QStringLiteral("/app.conf"));
        // The per-user data folder follows XDG_DATA_HOME.
        if (qEnvironmentVariableIsSet("XDG_DATA_HOME"))
            QVERIFY(appDataPath().startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    }
};

QTEST_GUILESS_MAIN(TestOnlineCodec)
#include "test_online_codec.moc"

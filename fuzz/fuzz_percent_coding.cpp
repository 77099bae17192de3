// Percent coding of form bodies and of every server reply.
//
// Input: a control byte (where to cut key from value), then bytes.
// decode(encode(x)) == x; the encoding holds only unreserved characters and
// "%XX" with upper-case digits; decoding never grows the text and leaves text
// without "%" alone; a form item splits back into its key and value.
#include "FuzzSupport.h"
#include "online/PercentCoding.h"

#include <QByteArray>
#include <QList>
#include <QString>

using kzo::fuzz::Input;
using namespace kzo::online;

namespace {

bool unreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

bool upperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

void checkEncoding(const QByteArray& x, const QByteArray& e)
{
    qsizetype plain = 0;
    for (char c : x)
        plain += unreserved(c) ? 1 : 0;
    KZO_CHECK(e.size() == plain + 3 * (x.size() - plain));
    for (qsizetype i = 0; i < e.size(); ++i) {
        if (e[i] == '%') {
            KZO_CHECK(i + 2 < e.size() && upperHex(e[i + 1]) && upperHex(e[i + 2]));
            i += 2;
        } else {
            KZO_CHECK(unreserved(e[i]));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in({data, size});
    const uint8_t control = in.byte();
    const auto rest = in.rest();
    const QByteArray x(reinterpret_cast<const char*>(rest.data()), static_cast<qsizetype>(rest.size()));

    const QByteArray e = percentEncode(x);
    checkEncoding(x, e);
    KZO_CHECK(percentDecode(e) == x);

    const QByteArray d = percentDecode(x);
    KZO_CHECK(d.size() <= x.size());
    if (!x.contains('%'))
        KZO_CHECK(d == x);
    // Decoding the encoding of a decoded text is the decoded text.
    KZO_CHECK(percentDecode(percentEncode(d)) == d);

    // A form body of two items splits back at "&" and "=".
    const qsizetype cut = x.isEmpty() ? 0 : control % (x.size() + 1);
    const QString key = QString::fromUtf8(x.left(cut));
    const QString value = QString::fromUtf8(x.mid(cut));
    QByteArray body;
    appendFormItem(body, key, value);
    appendFormItem(body, value, key);
    const QList<QByteArray> items = body.split('&');
    KZO_CHECK(items.size() == 2);
    for (int i = 0; i < 2; ++i) {
        const QList<QByteArray> kv = items[i].split('=');
        KZO_CHECK(kv.size() == 2);
        KZO_CHECK(percentDecode(kv[0]) == (i == 0 ? key : value).toUtf8());
        KZO_CHECK(percentDecode(kv[1]) == (i == 0 ? value : key).toUtf8());
    }
    return 0;
}

#pragma once
// Form bodies for the update server and the account service, and the
// whole-body decoding applied to every reply before it is parsed.
#include <QByteArray>
#include <QString>

namespace kzo::online {

// Every byte but letters, digits, "-", ".", "_" and "~" becomes "%XX" (upper-case hex).
QByteArray percentEncode(const QByteArray& bytes);

// "%" followed by two hexadecimal digits becomes that byte; anything else,
// including a stray "%", is copied as it is.
QByteArray percentDecode(const QByteArray& bytes);

// Appends "key=value" ("&" first when the body is not empty); both sides UTF-8,
// percent-encoded.
void appendFormItem(QByteArray& body, const QString& key, const QString& value);

} // namespace kzo::online

// The outcome of deciphering or decoding: the bytes, or the reason the input is not in the format this
// road writes. Callers decide what a failure means for them (saved login data that do not decode count as none).
#pragma once

#include <QByteArray>
#include <QString>

#include <utility>

namespace crypto {

struct CipherResult {
    QByteArray data;
    QString error; // empty when the input was read

    bool ok() const { return error.isEmpty(); }

    static CipherResult success(QByteArray bytes) { return { std::move(bytes), {} }; }
    static CipherResult failure(QString message) { return { {}, std::move(message) }; }
};

// The messages the cipher routines fail with.
inline QString invalidFileFormat()
{
    return QStringLiteral("Invalid file format");
}
inline QString invalidBase64Character()
{
    return QStringLiteral("Invalid Base64 Character");
}
inline QString invalidBase64Length()
{
    return QStringLiteral("Invalid Base64 text length");
}

} // namespace crypto

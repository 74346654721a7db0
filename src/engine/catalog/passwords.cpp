// Password verifiers of USER$: PBKDF2-HMAC-SHA512 from Nettle, the salt from the system's random source.
#include "engine/catalog/passwords.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QString>

#include <array>
#include <cctype>
#include <cstdint>
#include <nettle/memops.h>
#include <nettle/pbkdf2.h>
#include <nettle/sha2.h>

namespace engine::catalog {

namespace {

constexpr int kRounds = 4096;
constexpr size_t kSaltBytes = 16;
constexpr size_t kKeyBytes = 64;
constexpr const char* kPrefix = "T:";
constexpr size_t kVerifierChars = 2 + 2 * (SHA512_DIGEST_SIZE + kSaltBytes);

QByteArray normalised(const std::string& password, bool caseSensitive)
{
    QString pw = QString::fromStdString(password);
    if (!caseSensitive)
        pw = pw.toUpper();
    return pw.toUtf8();
}

// SHA-512 of the derived key and the salt.
std::array<uint8_t, SHA512_DIGEST_SIZE> digest(const QByteArray& password, const QByteArray& salt)
{
    const QByteArray keySalt = salt + QByteArrayLiteral("AUTH_PBKDF2_SPEEDY_KEY");
    std::array<uint8_t, kKeyBytes> key {};
    pbkdf2_hmac_sha512(static_cast<size_t>(password.size()), reinterpret_cast<const uint8_t*>(password.constData()),
        kRounds, static_cast<size_t>(keySalt.size()), reinterpret_cast<const uint8_t*>(keySalt.constData()), key.size(),
        key.data());
    sha512_ctx ctx;
    sha512_init(&ctx);
    sha512_update(&ctx, key.size(), key.data());
    sha512_update(&ctx, static_cast<size_t>(salt.size()), reinterpret_cast<const uint8_t*>(salt.constData()));
    std::array<uint8_t, SHA512_DIGEST_SIZE> out {};
    sha512_digest(&ctx, out.size(), out.data());
    return out;
}

bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    return a.size() == b.size() && memeql_sec(a.constData(), b.constData(), static_cast<size_t>(a.size()));
}

bool isHex(const std::string& s)
{
    for (char ch : s)
        if (!std::isxdigit(static_cast<unsigned char>(ch)))
            return false;
    return true;
}

// Hex SHA-256 of "USER:password": what older builds stored.
bool legacyMatches(const std::string& verifier, const std::string& user, const QByteArray& password)
{
    const QByteArray salted = QString::fromStdString(user).toUpper().toUtf8() + ':' + password;
    const QByteArray expected = QCryptographicHash::hash(salted, QCryptographicHash::Sha256).toHex();
    return sameBytes(expected, QByteArray::fromStdString(verifier).toLower());
}

} // namespace

std::string passwordVerifier(const std::string& password, bool caseSensitive)
{
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    const auto d = digest(normalised(password, caseSensitive), salt);
    const QByteArray hash(reinterpret_cast<const char*>(d.data()), static_cast<qsizetype>(d.size()));
    return kPrefix + (hash + salt).toHex().toUpper().toStdString();
}

bool passwordMatches(
    const std::string& verifier, const std::string& user, const std::string& password, bool caseSensitive)
{
    const QByteArray pw = normalised(password, caseSensitive);
    if (verifier.size() == kVerifierChars && verifier.rfind(kPrefix, 0) == 0 && isHex(verifier.substr(2))) {
        const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(verifier.substr(2)));
        const QByteArray stored = bytes.left(SHA512_DIGEST_SIZE);
        const QByteArray salt = bytes.mid(SHA512_DIGEST_SIZE);
        const auto d = digest(pw, salt);
        return sameBytes(QByteArray(reinterpret_cast<const char*>(d.data()), static_cast<qsizetype>(d.size())), stored);
    }
    if (verifier.size() == 64 && isHex(verifier))
        return legacyMatches(verifier, user, pw);
    return false;
}

void passwordMatchesNothing(const std::string& password)
{
    digest(normalised(password, true), QByteArray(kSaltBytes, '\0'));
}

} // namespace engine::catalog

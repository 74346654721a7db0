#include "shell/iKript.h"

#include "platform/codepage.h"
#include "platform/inifile.h"
#include "platform/privatefile.h"
#include "platform/userkeystore.h"
#include "shell/crypto/lbdes.h"

#include <algorithm>
#include <array>

namespace {

// Fixed parts of the stored format: changing either makes every remembered password unreadable.
const QString scramblerKey = QStringLiteral(")K*T+W-B.X:P;Z=");
constexpr std::array<int, 15> scramblerOffsets { 7, -3, 11, -6, 2, -9, 5, -1, 13, -4, 8, -11, 3, -7, 10 };
constexpr qsizetype scrambledLength = 15;

// Upper case one character for one, so that a letter whose upper case is longer ("ß") cannot push the text past
// the 15 characters the key covers.
QString upperEach(QString text)
{
    for (QChar& c : text)
        c = c.toUpper();
    return text;
}

// For each character of the user from the last to the first: that character, then one of the instance. Without an
// instance the user's characters alone serve, so a logon without a database name can still remember its password.
QString keyMaterial(const QString& instance, const QString& user)
{
    QString material;
    for (qsizetype i = user.size(); i >= 1; --i) {
        material += user[i - 1];
        if (!instance.isEmpty())
            material += instance[i % instance.size()];
    }
    return material;
}

QString scramblePassword(const QString& instance, const QString& user, const QString& text, bool encipher)
{
    if (text.isEmpty())
        return {};
    const QString input
        = encipher ? upperEach((text + QString(scrambledLength, QLatin1Char(' '))).left(scrambledLength)) : text;

    // The key material repeated up to 15 characters. A user of one character gives only two characters per round
    // and five rounds would fall short, so repeat until the key is full; with no material at all the key string
    // alone scrambles.
    const QString material = keyMaterial(instance, user);
    QString key;
    while (!material.isEmpty() && key.size() < scrambledLength)
        key += material;
    key = upperEach(key.left(scrambledLength));

    QString result(input.size(), QChar());
    for (qsizetype i = 0; i < input.size(); ++i) {
        const qsizetype position = i % scrambledLength; // only damaged stored values are longer than the key
        const int k = key.isEmpty() ? 0 : key[position].unicode();
        const int x = k ^ scramblerKey[position].unicode();
        const int offset = scramblerOffsets[static_cast<std::size_t>((i + 1) % scrambledLength)];
        const int code = input[i].unicode();
        const int out = encipher ? (code + offset) ^ x : (code ^ x) - offset;
        result[i] = QChar(static_cast<char16_t>(out & 0xFFFF));
    }
    if (!encipher) {
        while (result.endsWith(QLatin1Char(' ')))
            result.chop(1);
    }
    return result;
}

// The scrambled text can hold any 16-bit code: blanks and quotes at its ends (which a settings file trims or
// strips), line breaks (which end the line), control characters and codes no code page holds. Such a value is
// written with each character outside printable ASCII, each quote and each "%" as "%" and four hexadecimal digits.
// Only an escaped value is longer than the 15 characters of the scrambler, so a value of up to 15 characters is
// read as it stands: entries written before the escaping, and every entry that needs none, read as they always did.
bool printableAscii(QChar c)
{
    return c.unicode() > 0x20 && c.unicode() < 0x7F;
}

bool keptAsIs(QChar c)
{
    return printableAscii(c) && c != QLatin1Char('%') && c != QLatin1Char('"') && c != QLatin1Char('\'');
}

bool needsEscaping(const QString& scrambled)
{
    const auto unsafeAtEnd
        = [](QChar c) { return !printableAscii(c) || c == QLatin1Char('"') || c == QLatin1Char('\''); };
    const auto unsafeInside = [](QChar c) { return !printableAscii(c) && c != QLatin1Char(' '); };
    return !scrambled.isEmpty()
        && (unsafeAtEnd(scrambled.front()) || unsafeAtEnd(scrambled.back())
            || std::any_of(scrambled.cbegin(), scrambled.cend(), unsafeInside));
}

QString toStoredForm(const QString& scrambled)
{
    if (!needsEscaping(scrambled))
        return scrambled;
    QString stored;
    for (const QChar c : scrambled) {
        if (keptAsIs(c))
            stored += c;
        else
            stored += QLatin1Char('%') + QString::number(c.unicode(), 16).rightJustified(4, QLatin1Char('0')).toUpper();
    }
    return stored;
}

std::optional<QString> fromStoredForm(const QString& stored)
{
    if (stored.size() <= scrambledLength)
        return stored;
    QString scrambled;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored[i] != QLatin1Char('%')) {
            scrambled += stored[i];
            continue;
        }
        if (i + 4 >= stored.size())
            return std::nullopt;
        char16_t code = 0;
        for (qsizetype j = i + 1; j <= i + 4; ++j) {
            const int digit = QStringView(u"0123456789ABCDEF").indexOf(stored[j].toUpper());
            if (digit < 0)
                return std::nullopt;
            code = static_cast<char16_t>(code * 16 + digit);
        }
        scrambled += QChar(code);
        i += 4;
    }
    return scrambled;
}

QString passwordSection(const QString& instance)
{
    return QStringLiteral("BAZA_") + instance.trimmed().toUpper();
}

std::optional<crypto::TLbDES> desForKey(const QString& key)
{
    const QString trimmed = key.trimmed();
    if (trimmed.size() != 8)
        return std::nullopt; // "TADSI encryption key must be 8 chars/bytes!": abandoned without a word
    crypto::TKey64 bytes {};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<quint8>(trimmed[static_cast<qsizetype>(i)].unicode() & 0xFF);
    crypto::TLbDES des;
    des.SetKey(bytes);
    return des;
}

// Texts are enciphered in the ANSI code page (Windows-1250), as the saved login data always were. A text the code
// page cannot hold would lose its other letters there, so it is enciphered as UTF-8 behind a byte-order mark;
// no Windows-1250 text is written that starts with those three bytes, so the two forms cannot be confused.
const QByteArray utf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

QByteArray toAnsi(const QString& text)
{
    const QByteArray ansi = platform::codepage::unicodeToWindows1250(text);
    if (!ansi.startsWith(utf8Mark) && platform::codepage::windows1250ToUnicode(ansi) == text)
        return ansi;
    return utf8Mark + text.toUtf8();
}

QString fromAnsi(const QByteArray& bytes)
{
    if (bytes.startsWith(utf8Mark))
        return QString::fromUtf8(bytes.mid(utf8Mark.size()));
    return platform::codepage::windows1250ToUnicode(bytes);
}

const QString usernameValue = QStringLiteral("Username");
const QString passwordValue = QStringLiteral("Password");
const QString aliasValue = QStringLiteral("Alias");

} // namespace

QString TKript::kriptiraj(const QString& instance, const QString& key, const QString& text)
{
    return scramblePassword(instance, key, text, true);
}

QString TKript::deKriptiraj(const QString& instance, const QString& key, const QString& text)
{
    return scramblePassword(instance, key, text, false);
}

QString TKript::vzemiGeslo(const platform::IniFile& settings, const QString& instance, const QString& user)
{
    const QString owner = user.trimmed();
    if (owner.isEmpty())
        return {};
    const QString stored = settings.readString(passwordSection(instance), owner);
    if (stored.isEmpty())
        return {};
    // A settings file that holds passwords is its owner's only (one an older build wrote is made so now).
    platform::restrictToOwner(settings.fileName());
    const std::optional<QString> scrambled = fromStoredForm(stored);
    if (!scrambled)
        return {};
    return deKriptiraj(instance.trimmed(), owner, *scrambled);
}

bool TKript::shraniGeslo(platform::IniFile& settings, const QString& instance, const QString& user,
    const QString& password, const QString& fallbackUser)
{
    if (password == QLatin1String("*"))
        return true;
    // The entry is scrambled with the user it is stored under, so that vzemiGeslo for that user reads it back.
    QString owner = user.trimmed();
    if (owner.isEmpty())
        owner = fallbackUser.trimmed();
    if (owner.isEmpty())
        owner = QStringLiteral("*****");
    const QString section = passwordSection(instance);
    platform::createOwnerOnly(settings.fileName());
    if (password.isEmpty())
        return settings.deleteKey(section, owner);
    return settings.writeString(section, owner, toStoredForm(kriptiraj(instance.trimmed(), owner, password)));
}

std::optional<QString> TKript::ADEncryptString(const QString& text, const QString& key)
{
    const std::optional<crypto::TLbDES> des = desForKey(key);
    if (!des)
        return std::nullopt;
    return QString::fromLatin1(des->EncryptString(toAnsi(text)));
}

std::optional<QString> TKript::ADDecryptString(const QString& text, const QString& key)
{
    if (text.isEmpty())
        return QString();
    const std::optional<crypto::TLbDES> des = desForKey(key);
    if (!des)
        return std::nullopt;
    // Characters beyond Latin-1 become "?", which is no Base64 character either.
    const crypto::CipherResult plain = des->DecryptString(text.toLatin1());
    if (!plain.ok())
        return std::nullopt;
    return fromAnsi(plain.data);
}

std::optional<TKript::TLoginData> TKript::readLoginData(const platform::UserKeyStore& store)
{
    const std::optional<QString> user = ADDecryptString(store.readString(usernameValue), loginDataKey());
    const std::optional<QString> password = ADDecryptString(store.readString(passwordValue), loginDataKey());
    const QString alias = store.readString(aliasValue);
    if (!user || !password || user->isEmpty() || password->isEmpty() || alias.isEmpty())
        return std::nullopt;
    return TLoginData { *user, *password, alias };
}

bool TKript::saveLoginData(
    platform::UserKeyStore& store, const QString& user, const QString& password, const QString& alias)
{
    const std::optional<QString> encryptedUser = ADEncryptString(user, loginDataKey());
    const std::optional<QString> encryptedPassword = ADEncryptString(password, loginDataKey());
    if (!encryptedUser || !encryptedPassword)
        return false;
    return store.writeString(usernameValue, *encryptedUser) && store.writeString(passwordValue, *encryptedPassword)
        && store.writeString(aliasValue, alias);
}

bool TKript::clearLoginData(platform::UserKeyStore& store)
{
    bool cleared = true;
    for (const QString& name : { usernameValue, passwordValue, aliasValue })
        cleared = store.writeString(name, QString()) && cleared;
    return cleared;
}

// The credential store: remembered passwords in the settings file (one "BAZA_" section per instance, the password
// scrambled with the user and instance as key material) and the saved login data in the user's key store (DES
// under a fixed key, Base64). Class methods only; the main window passes its settings file and key store.
#pragma once

#include <QString>

#include <optional>

namespace platform {
class IniFile;
class UserKeyStore;
} // namespace platform

class TKript {
public:
    TKript() = delete;

    // The scrambler. Key material is the user and the instance, upper-cased; kriptiraj pads or cuts the text to
    // 15 characters and upper-cases it, deKriptiraj drops the blanks that padding left at the end. An empty text
    // gives an empty result.
    static QString kriptiraj(const QString& instance, const QString& key, const QString& text);
    static QString deKriptiraj(const QString& instance, const QString& key, const QString& text);

    // The remembered password of the user on the instance (section "BAZA_" + instance of the settings file), or
    // empty when none is stored or the stored value is damaged.
    static QString vzemiGeslo(const platform::IniFile& settings, const QString& instance, const QString& user);
    // Stores a remembered password: "*" leaves the stored one alone, an empty password removes it, an empty user
    // stands for the fallback user (or "*****" when that is empty too). False when the settings file could not
    // be written; settings.errorString() says why.
    static bool shraniGeslo(platform::IniFile& settings, const QString& instance, const QString& user,
        const QString& password, const QString& fallbackUser);

    // DES in ECB mode under an 8-character key (after trimming), written as Base64. No value when the key does
    // not have 8 characters: the operation is abandoned.
    static std::optional<QString> ADEncryptString(const QString& text, const QString& key);
    // The inverse; an empty text gives an empty result. No value for a wrong key length or a text that is not
    // Base64 of a ciphertext this store wrote.
    static std::optional<QString> ADDecryptString(const QString& text, const QString& key);

    // Saved login data: values "Username" and "Password" (encrypted with the login-data key) and "Alias" (plain)
    // under this key path of the current user's key store.
    static QString loginDataKeyPath() { return QStringLiteral("Software\\Velmorant\\Dremmox\\LoginData"); }
    static QString loginDataKey() { return QStringLiteral("t7kWaLzq"); }

    struct TLoginData {
        QString user; // as typed at the logon, not upper-cased
        QString password;
        QString alias;
    };
    // The saved login data when all three values are there and decode; otherwise none, so start-up goes on as if
    // nothing had been saved.
    static std::optional<TLoginData> readLoginData(const platform::UserKeyStore& store);
    // Both return false when a value could not be written; store.errorString() says why.
    static bool saveLoginData(
        platform::UserKeyStore& store, const QString& user, const QString& password, const QString& alias);
    static bool clearLoginData(platform::UserKeyStore& store);
};

// The credential store: the password scrambler and its stored form in the settings file, the DES texts of the
// saved login data and their round trip through the user's key store.
#include "platform/configdir.h"
#include "platform/inifile.h"
#include "platform/userkeystore.h"
#include "shell/iKript.h"
#include "support/tempdir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::string show(const QString& text)
{
    return text.toStdString();
}

// Values worked out by hand from the scrambling rule (key material repeated five times, the fixed key string and
// offset table). They pin the stored format: every remembered password on users' machines depends on it.
TEST(TKriptScrambler, WritesThePinnedFormat)
{
    const struct {
        const char* instance;
        const char* user;
        const char* password;
        const char* scrambled;
        const char* readBack;
    } cases[] = {
        { "ORCL", "VOXA", "tiger", "9P3_-1d=s?w?m3L", "TIGER" },
        { "PROD", "VEXO_UTIL", "Secret#123", "5I^PCJZ3_1`#z4_", "SECRET#123" },
        { "X", "AB", "A", "U8q.~*s7p(n+`([", "A" },
        { "TEST.WORLD", "SYSTEM", "manager-longer-than-15", ".H'@A3/,?\\*_HIL", "MANAGER-LONGER-" },
        { "orcl", "voxa", "TIGER", "9P3_-1d=s?w?m3L", "TIGER" }, // key material is upper-cased
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        const QString scrambled = TKript::kriptiraj(c.instance, c.user, c.password);
        EXPECT_EQ(show(scrambled), c.scrambled);
        EXPECT_EQ(show(TKript::deKriptiraj(c.instance, c.user, scrambled)), c.readBack);
    }
}

// Users of one character and empty instances have too little key material for the plain rule; they must still
// give 15 characters that read back, and an empty text stays empty.
TEST(TKriptScrambler, RoundTripsForEveryUserAndInstance)
{
    const struct {
        const char* name;
        QString instance;
        QString user;
        QString password;
        QString readBack;
    } cases[] = {
        { "ordinary", "ORCL", "VOXA", "tiger", "TIGER" },
        { "one-character user", "ORCL", "A", "tiger", "TIGER" },
        { "empty user", "ORCL", "", "tiger", "TIGER" },
        { "empty instance", "", "VOXA", "tiger", "TIGER" },
        { "empty user and instance", "", "", "tiger", "TIGER" },
        { "one-character instance", "X", "SCOTT", "pw", "PW" },
        { "non-ASCII key material", u"ŽALEC"_s, u"ŠPELA"_s, u"čšž"_s, u"ČŠŽ"_s },
        { "letter whose upper case is longer", "ORCL", "VOXA", u"straße"_s, u"STRAßE"_s },
        { "cut to 15", "ORCL", "VOXA", "abcdefghijklmnopq", "ABCDEFGHIJKLMNO" },
        { "leading blanks kept, trailing dropped", "ORCL", "VOXA", "  pw  ", "  PW" },
        { "only blanks", "ORCL", "VOXA", "   ", "" },
        { "empty", "ORCL", "VOXA", "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString scrambled = TKript::kriptiraj(c.instance, c.user, c.password);
        EXPECT_EQ(scrambled.size(), c.password.isEmpty() ? 0 : 15);
        EXPECT_EQ(show(TKript::deKriptiraj(c.instance, c.user, scrambled)), show(c.readBack));
    }
}

TEST(TKriptScrambler, KeyMaterialSeparatesUsersAndInstances)
{
    const QString base = TKript::kriptiraj("ORCL", "VOXA", "secret");
    EXPECT_NE(base, TKript::kriptiraj("PROD", "VOXA", "secret"));
    EXPECT_NE(base, TKript::kriptiraj("ORCL", "BILDOR", "secret"));
    EXPECT_NE(TKript::kriptiraj("ORCL", "A", "secret"), TKript::kriptiraj("ORCL", "B", "secret"));
    EXPECT_NE(TKript::kriptiraj("", "VOXA", "secret"), TKript::kriptiraj("", "BILDOR", "secret"));
    EXPECT_NE(show(TKript::deKriptiraj("PROD", "VOXA", base)), "SECRET");
}

class TKriptPasswords : public testsupport::TempDirTest {
protected:
    QString iniPath() const { return path("MONITOR.INI"); }
    QString fileText() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

// A scrambled text with every character a settings file could damage: blanks at both ends, a line break, a
// control character, "=", ";", "#", quotes, a backslash, "%" and brackets. The password that scrambles to it is
// found by unscrambling it.
const QString awkwardScrambled = QStringLiteral(" =\n;#\"\\%'[]A\x01"
                                                "A ");

TEST_F(TKriptPasswords, EveryStoredPasswordReadsBack)
{
    const QString crafted = TKript::deKriptiraj("ORCL", "VOXA", awkwardScrambled);
    ASSERT_EQ(TKript::kriptiraj("ORCL", "VOXA", crafted), awkwardScrambled);

    const struct {
        const char* user;
        QString password;
        QString readBack;
    } cases[] = {
        { "VOXA", crafted, crafted },
        { "LEADING", "  lead", "  LEAD" },
        { "TRAILING", "trail  ", "TRAIL" },
        { "EQUALS", "a=b", "A=B" },
        { "SEMICOLON", ";x;", ";X;" },
        { "HASH", "#x", "#X" },
        { "QUOTES", "\"q\"", "\"Q\"" },
        { "APOSTROPHES", "'q'", "'Q'" },
        { "BACKSLASH", "back\\slash\\", "BACK\\SLASH\\" },
        { "PERCENT", "%0041%", "%0041%" },
        { "NONASCII", u"čšž€ľ"_s, u"ČŠŽ€Ľ"_s },
        { "CJK", u"密码"_s, u"密码"_s },
        { "LINEBREAKS", "line\nbreak\r\n", "LINE\nBREAK\r\n" },
        { "TAB", "\ttab\t", "\tTAB\t" },
        { "LONG", "abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNO" },
    };
    platform::IniFile ini(iniPath());
    ASSERT_TRUE(ini.writeString("PL/SQL", "CURR_USER", "voxa"));
    for (const auto& c : cases)
        ASSERT_TRUE(TKript::shraniGeslo(ini, "orcl", c.user, c.password, {})) << show(ini.errorString());
    ASSERT_TRUE(ini.writeString("BAZA_ORCL", "AFTER", "kept"));

    // Read through a fresh file object, so nothing comes from what the writer remembers.
    const platform::IniFile reader(iniPath());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.user);
        EXPECT_EQ(show(TKript::vzemiGeslo(reader, "ORCL", c.user)), show(c.readBack));
    }
    EXPECT_EQ(show(reader.readString("PL/SQL", "CURR_USER")), "voxa");
    EXPECT_EQ(show(reader.readString("BAZA_ORCL", "AFTER")), "kept");
    EXPECT_EQ(reader.keys("BAZA_ORCL").size(), std::size(cases) + 1) << show(fileText());
}

TEST_F(TKriptPasswords, ValuesThatNeedNoEscapingAreWrittenAsScrambled)
{
    platform::IniFile ini(iniPath());
    ASSERT_TRUE(TKript::shraniGeslo(ini, "ORCL", "VOXA", "tiger", {}));
    EXPECT_EQ(show(ini.readString("BAZA_ORCL", "VOXA")), "9P3_-1d=s?w?m3L");
    ASSERT_TRUE(TKript::shraniGeslo(ini, "ORCL", "VOXA", TKript::deKriptiraj("ORCL", "VOXA", awkwardScrambled), {}));
    EXPECT_GT(ini.readString("BAZA_ORCL", "VOXA").size(), 15);
    EXPECT_FALSE(fileText().contains(QLatin1Char('\x01')));
}

// Entries as the scrambler always wrote them, "=", "%" and the rest inside, read as they stand.
TEST_F(TKriptPasswords, ReadsEntriesWrittenWithoutEscaping)
{
    const QString withPercent = TKript::kriptiraj("ORCL", "BILDOR", "50%off");
    {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[BAZA_ORCL]\r\nVOXA=9P3_-1d=s?w?m3L\r\nBILDOR=" + withPercent.toLatin1() + "\r\n");
    }
    ASSERT_EQ(withPercent.size(), 15);
    const platform::IniFile ini(iniPath());
    EXPECT_EQ(show(TKript::vzemiGeslo(ini, "orcl", "voxa")), "TIGER");
    EXPECT_EQ(show(TKript::vzemiGeslo(ini, "ORCL", "BILDOR")), "50%OFF");
}

TEST_F(TKriptPasswords, MissingOrDamagedEntriesGiveNoPassword)
{
    const struct {
        const char* name;
        const char* value;
    } cases[] = {
        { "empty value", "" },
        { "escape cut short", "9P3_-1d=s?w?m3L%00" },
        { "escape with a non-hex digit", "9P3_-1d=s?w?m3L%00G1" },
    };
    platform::IniFile ini(iniPath());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(ini.writeString("BAZA_ORCL", "VOXA", c.value));
        EXPECT_EQ(show(TKript::vzemiGeslo(ini, "ORCL", "VOXA")), "");
    }
    EXPECT_EQ(show(TKript::vzemiGeslo(ini, "ORCL", "NOBODY")), "");
    EXPECT_EQ(show(TKript::vzemiGeslo(ini, "NOWHERE", "VOXA")), "");
    EXPECT_EQ(show(TKript::vzemiGeslo(ini, "ORCL", "")), "");
    const platform::IniFile missing(path("none/MONITOR.INI"));
    EXPECT_EQ(show(TKript::vzemiGeslo(missing, "ORCL", "VOXA")), "");
}

TEST_F(TKriptPasswords, StarKeepsAndEmptyRemovesTheEntry)
{
    platform::IniFile ini(iniPath());
    ASSERT_TRUE(TKript::shraniGeslo(ini, "ORCL", "VOXA", "tiger", {}));
    EXPECT_TRUE(TKript::shraniGeslo(ini, "ORCL", "VOXA", "*", {}));
    EXPECT_EQ(show(TKript::vzemiGeslo(ini, "ORCL", "VOXA")), "TIGER");
    EXPECT_TRUE(TKript::shraniGeslo(ini, "ORCL", "VOXA", "", {}));
    EXPECT_EQ(show(TKript::vzemiGeslo(ini, "ORCL", "VOXA")), "");
    EXPECT_FALSE(ini.keys("BAZA_ORCL").contains("VOXA"));
}

// The entry is scrambled with the user it is stored under, so it reads back under that user.
TEST_F(TKriptPasswords, EmptyUserStoresUnderTheFallbackUser)
{
    platform::IniFile ini(iniPath());
    ASSERT_TRUE(TKript::shraniGeslo(ini, "ORCL", "", "tiger", "BILDOR"));
    EXPECT_EQ(show(TKript::vzemiGeslo(ini, "ORCL", "BILDOR")), "TIGER");
    ASSERT_TRUE(TKript::shraniGeslo(ini, "ORCL", "", "lion", ""));
    EXPECT_EQ(show(TKript::vzemiGeslo(ini, "ORCL", "*****")), "LION");
    EXPECT_EQ(ini.keys("BAZA_ORCL"), QStringList({ "BILDOR", "*****" }));
}

TEST_F(TKriptPasswords, EmptyInstanceAndOneCharacterUserAreRemembered)
{
    platform::IniFile ini(iniPath());
    ASSERT_TRUE(TKript::shraniGeslo(ini, "", "VOXA", "tiger", {}));
    ASSERT_TRUE(TKript::shraniGeslo(ini, "ORCL", "A", "lion", {}));
    EXPECT_EQ(show(TKript::vzemiGeslo(ini, "", "VOXA")), "TIGER");
    EXPECT_EQ(show(TKript::vzemiGeslo(ini, "ORCL", "a")), "LION");
}

TEST_F(TKriptPasswords, SamePasswordGivesDifferentEntries)
{
    platform::IniFile ini(iniPath());
    ASSERT_TRUE(TKript::shraniGeslo(ini, "ORCL", "VOXA", "secret", {}));
    ASSERT_TRUE(TKript::shraniGeslo(ini, "ORCL", "BILDOR", "secret", {}));
    ASSERT_TRUE(TKript::shraniGeslo(ini, "PROD", "VOXA", "secret", {}));
    const QString a = ini.readString("BAZA_ORCL", "VOXA");
    EXPECT_NE(a, ini.readString("BAZA_ORCL", "BILDOR"));
    EXPECT_NE(a, ini.readString("BAZA_PROD", "VOXA"));
}

TEST_F(TKriptPasswords, WriteFailureIsReported)
{
    platform::IniFile ini(path("no-such-directory/MONITOR.INI"));
    EXPECT_FALSE(TKript::shraniGeslo(ini, "ORCL", "VOXA", "tiger", {}));
    EXPECT_FALSE(ini.errorString().isEmpty());
}

// Texts computed independently (OpenSSL DES-ECB over the padded blocks, then Base64) with the login-data key.
TEST(TKriptDes, EncryptsAsTheSavedLoginDataAlwaysWere)
{
    const struct {
        QString text;
        const char* encrypted;
    } cases[] = {
        { "", "ThdU2bxW1Yk=" }, { "VOXA", "V2iy09wj+0g=" }, { "Scott/Tiger", "OFnigBGrRQotMlDr02911g==" },
        { u"Že"_s, "t+gM0aPKcAk=" }, // the ANSI code page: one byte for Ž
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.encrypted);
        EXPECT_EQ(show(TKript::ADEncryptString(c.text, "t7kWaLzq").value_or("(none)")), c.encrypted);
        EXPECT_EQ(show(TKript::ADEncryptString(c.text, "  t7kWaLzq ").value_or("(none)")), c.encrypted);
        EXPECT_EQ(show(TKript::ADDecryptString(c.encrypted, "t7kWaLzq").value_or("(none)")), show(c.text));
    }
}

TEST(TKriptDes, RoundTripsTextsTheCodePageCannotHold)
{
    const QString texts[] = { "", "a", "exactly8", u"密码 Ωmega 🙂"_s, u"\u00EF\u00BB\u00BFlooks like a mark"_s,
        u"ď»żx"_s, QString(QChar(0)) + "nul", "  blanks  ", "line\r\nbreak" };
    for (const QString& text : texts) {
        SCOPED_TRACE(show(text));
        const std::optional<QString> encrypted = TKript::ADEncryptString(text, TKript::loginDataKey());
        ASSERT_TRUE(encrypted);
        EXPECT_EQ(TKript::ADDecryptString(*encrypted, TKript::loginDataKey()), text);
    }
}

TEST(TKriptDes, WrongKeyLengthOrForeignTextGivesNothing)
{
    EXPECT_FALSE(TKript::ADEncryptString("VOXA", "short"));
    EXPECT_FALSE(TKript::ADEncryptString("VOXA", "t7kWaLzqX"));
    EXPECT_FALSE(TKript::ADDecryptString("V2iy09wj+0g=", "short"));
    EXPECT_EQ(TKript::ADDecryptString("", "short"), QString());
    const char* foreign[] = { "V2iy09wj+0g", "V2iy09wj\n+0g=", "V2iy09wj+0g=\n", "not base64!!", "QUJD",
        "OFnigBGrRQotMlDr02911g="
        "="
        "QQ==" };
    for (const char* text : foreign) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(TKript::ADDecryptString(text, TKript::loginDataKey()));
    }
    EXPECT_FALSE(TKript::ADDecryptString(u"V2iy09wj+0gé"_s, TKript::loginDataKey()));
}

class TKriptLoginData : public testsupport::TempDirTest {
protected:
    void SetUp() override { platform::setUserConfigDir(tmp.path()); }
    void TearDown() override { platform::setUserConfigDir({}); }
    platform::UserKeyStore store { TKript::loginDataKeyPath() };
};

TEST_F(TKriptLoginData, SavedDataReadBack)
{
    const struct {
        QString user;
        QString password;
        QString alias;
    } cases[] = {
        { "voxa", "Tiger", "ORCL" }, // not upper-cased
        { u"Špela"_s, u"pa ss=wörd;#\"\\"_s, "prod.world" },
        { "SYSTEM", u"密码"_s, "//host:1521/svc" },
        { "u", "a password longer than fifteen characters", "X" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(show(c.user));
        ASSERT_TRUE(TKript::saveLoginData(store, c.user, c.password, c.alias)) << show(store.errorString());
        EXPECT_EQ(store.readString("Alias"), c.alias);
        EXPECT_EQ(store.readString("Username"), TKript::ADEncryptString(c.user, TKript::loginDataKey()));
        const platform::UserKeyStore reader(TKript::loginDataKeyPath());
        const std::optional<TKript::TLoginData> data = TKript::readLoginData(reader);
        ASSERT_TRUE(data);
        EXPECT_EQ(show(data->user), show(c.user));
        EXPECT_EQ(show(data->password), show(c.password));
        EXPECT_EQ(show(data->alias), show(c.alias));
    }
}

TEST_F(TKriptLoginData, NothingSavedOrClearedGivesNone)
{
    EXPECT_FALSE(TKript::readLoginData(store));
    ASSERT_TRUE(TKript::saveLoginData(store, "VOXA", "tiger", "ORCL"));
    ASSERT_TRUE(TKript::clearLoginData(store));
    EXPECT_EQ(store.readString("Username", "x"), QString());
    EXPECT_EQ(store.readString("Alias", "x"), QString());
    EXPECT_FALSE(TKript::readLoginData(store));
}

// Saved data that do not decode, or that lack a value, count as none, so start-up goes on as if none were saved.
TEST_F(TKriptLoginData, UndecodableOrIncompleteDataCountAsNone)
{
    const QString user = *TKript::ADEncryptString("VOXA", TKript::loginDataKey());
    const QString password = *TKript::ADEncryptString("tiger", TKript::loginDataKey());
    const QString otherKey = *TKript::ADEncryptString("tiger", "12345678");
    const struct {
        const char* name;
        QString username;
        QString password;
        QString alias;
    } cases[] = {
        { "not Base64", "@@@@", password, "ORCL" },
        { "Base64 with a line break", user + "\n", password, "ORCL" },
        { "length not a multiple of four", user.chopped(1), password, "ORCL" },
        { "less than a block", user, "QUJD", "ORCL" },
        { "encrypted with another key", user, otherKey, "ORCL" },
        { "empty password", user, *TKript::ADEncryptString("", TKript::loginDataKey()), "ORCL" },
        { "no alias", user, password, "" },
        { "no user", "", password, "ORCL" },
    };
    ASSERT_FALSE(TKript::ADDecryptString(otherKey, TKript::loginDataKey())) << "pick another foreign key";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(store.writeString("Username", c.username));
        ASSERT_TRUE(store.writeString("Password", c.password));
        ASSERT_TRUE(store.writeString("Alias", c.alias));
        EXPECT_FALSE(TKript::readLoginData(store));
    }
}

} // namespace

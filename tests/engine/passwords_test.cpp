// Password verifiers at rest: their form (Oracle 12c's salted PBKDF2 verifier), logon against them, the two of each
// user (case-insensitive and case-sensitive logon), and databases made by older builds, whose verifiers still log
// on until the password is changed.
#include "engine/catalog/passwords.h"
#include "engine_fixture.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QString>

#include <sqlite3.h>

namespace {

using enginetest::EngineTest;

const QRegularExpression kVerifierForm(QStringLiteral("^T:[0-9A-F]{160}$"));

bool hasVerifierForm(const std::string& v)
{
    return kVerifierForm.match(QString::fromStdString(v)).hasMatch();
}

// Oracle 12c: a verifier is "T:" and 160 hex digits, the last 32 a random salt: two verifiers of one password differ,
// and each matches that password only (case-insensitively for the one of the upper-cased password).
TEST(PasswordVerifier, SaltedAndSlowlyDerived)
{
    using engine::catalog::passwordMatches;
    using engine::catalog::passwordVerifier;
    const std::string a = passwordVerifier("Secret1", true);
    const std::string b = passwordVerifier("Secret1", true);
    EXPECT_TRUE(hasVerifierForm(a)) << a;
    EXPECT_NE(a, b);
    EXPECT_NE(a.substr(130), b.substr(130)); // the salts
    struct Case {
        const char* name;
        std::string verifier;
        const char* password;
        bool matches;
    };
    const std::string folded = passwordVerifier("Secret1", false);
    const Case cases[] = {
        { "same password", a, "Secret1", true },
        { "the other verifier of it", b, "Secret1", true },
        { "wrong password", a, "Secret2", false },
        { "case differs, case-sensitive", a, "SECRET1", false },
        { "empty password", a, "", false },
        { "case differs, case-insensitive", folded, "secret1", true },
        { "upper case, case-insensitive", folded, "SECRET1", true },
        { "a verifier cut short", a.substr(0, 100), "Secret1", false },
        { "not a verifier", "T:xyz", "Secret1", false },
        { "empty verifier", "", "", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool caseSensitive = c.verifier != folded;
        EXPECT_EQ(passwordMatches(c.verifier, "SCOTT", c.password, caseSensitive), c.matches);
    }
}

class PasswordsAtRest : public EngineTest {
protected:
    // Runs SQL on the closed database's file, as another program (or an older build) would.
    void onFile(const std::string& sql)
    {
        db.reset();
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open((dir() + "/database.sqlite").c_str(), &raw), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(raw);
    }
    std::vector<std::string> fromFile(const std::string& sql)
    {
        db.reset();
        std::vector<std::string> out;
        sqlite3* raw = nullptr;
        EXPECT_EQ(
            sqlite3_open_v2((dir() + "/database.sqlite").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(raw, sql.c_str(), -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* t = sqlite3_column_text(st, 0);
            out.emplace_back(t ? reinterpret_cast<const char*>(t) : "NULL");
        }
        sqlite3_finalize(st);
        sqlite3_close(raw);
        return out;
    }
    void reopen() { db = engine::Database::open(dir()); }
    int logOnError(const std::string& user, const std::string& password)
    {
        try {
            db->logOn(user, password, false);
        } catch (const engine::Error& e) {
            return e.code();
        }
        return 0;
    }
};

// Oracle 12c: USER$ keeps salted verifiers, never a plain digest of the password; the first users and a new one
// log on with their passwords and not with others (ORA-01017).
TEST_F(PasswordsAtRest, NewDatabaseKeepsSaltedVerifiers)
{
    {
        auto s = logOn();
        s->execute("CREATE USER pw_user IDENTIFIED BY \"Mixed1\"");
        s->execute("GRANT CREATE SESSION TO pw_user");
    }
    const auto verifiers = fromFile(R"(SELECT "PASSWORD" || ' ' || "SPARE4" FROM "USER$" WHERE "TYPE#" = 1)");
    ASSERT_EQ(verifiers.size(), 3u);
    for (const std::string& pair : verifiers) {
        SCOPED_TRACE(pair);
        const size_t blank = pair.find(' ');
        ASSERT_NE(blank, std::string::npos);
        EXPECT_TRUE(hasVerifierForm(pair.substr(0, blank)));
        EXPECT_TRUE(hasVerifierForm(pair.substr(blank + 1)));
    }
    reopen();
    EXPECT_EQ(logOnError("SYSTEM", "MANAGER"), 0);
    EXPECT_EQ(logOnError("pw_user", "mixed1"), 0); // case-insensitive logon, the default
    EXPECT_EQ(logOnError("pw_user", "Mixed2"), 1017);
    EXPECT_EQ(logOnError("no_such_user", "Mixed1"), 1017);
}

// Oracle: with sec_case_sensitive_logon TRUE the case-sensitive verifier decides.
TEST_F(PasswordsAtRest, CaseSensitiveLogonUsesItsOwnVerifier)
{
    {
        auto s = logOn();
        s->execute("CREATE USER pw_case IDENTIFIED BY \"Mixed1\"");
        s->execute("GRANT CREATE SESSION TO pw_case");
    }
    onFile(R"(UPDATE "PROPS$" SET "VALUE$" = 'TRUE' WHERE "NAME" = 'sec_case_sensitive_logon')");
    reopen();
    EXPECT_EQ(logOnError("pw_case", "Mixed1"), 0);
    EXPECT_EQ(logOnError("pw_case", "MIXED1"), 1017);
}

// A database made by an older build keeps the digests that build wrote (hex SHA-256 of "USER:password"): it opens,
// its users log on with their passwords and not with others, and changing a password writes a salted verifier, as
// Oracle keeps an older release's verifier until the password changes. A verifier of no known form lets no one on.
TEST_F(PasswordsAtRest, OlderBuildsDatabaseStillLogsOn)
{
    {
        auto s = logOn();
        s->execute("CREATE USER pw_old IDENTIFIED BY old1");
        s->execute("GRANT CREATE SESSION TO pw_old");
    }
    // What the older build stored: SHA-256 in hex of "USER:" and the password (upper-cased for PASSWORD).
    const std::string legacySystem
        = QCryptographicHash::hash("SYSTEM:MANAGER", QCryptographicHash::Sha256).toHex().toStdString();
    const std::string legacyOld
        = QCryptographicHash::hash("PW_OLD:OLD1", QCryptographicHash::Sha256).toHex().toStdString();
    onFile(R"(UPDATE "USER$" SET "PASSWORD" = ')" + legacySystem + R"(' WHERE "NAME" = 'SYSTEM';
              UPDATE "USER$" SET "PASSWORD" = ')"
        + legacyOld + R"(' WHERE "NAME" = 'PW_OLD';
              UPDATE "USER$" SET "PASSWORD" = 'not a verifier' WHERE "NAME" = 'SYS';)");
    reopen();
    EXPECT_EQ(logOnError("SYSTEM", "manager"), 0);
    EXPECT_EQ(logOnError("pw_old", "old1"), 0);
    EXPECT_EQ(logOnError("pw_old", "old2"), 1017);
    EXPECT_EQ(logOnError("SYS", "CHANGE_ON_INSTALL"), 1017);
    {
        auto s = db->logOn("pw_old", "old1", false);
        s->execute("ALTER USER pw_old IDENTIFIED BY new1");
    }
    EXPECT_TRUE(hasVerifierForm(fromFile(R"(SELECT "PASSWORD" FROM "USER$" WHERE "NAME" = 'PW_OLD')").at(0)));
    reopen();
    EXPECT_EQ(logOnError("pw_old", "new1"), 0);
    EXPECT_EQ(logOnError("pw_old", "old1"), 1017);
}

} // namespace

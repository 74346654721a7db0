// Privileges across sessions: CREATE SESSION at logon, a REVOKE reaching a statement another session has cached,
// and the privilege functions the dictionary views filter with.
#include "engine_fixture.h"

#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

namespace {

using enginetest::EngineTest;
namespace storage = engine::storage;

class PrivilegeSession : public EngineTest {
protected:
    int logOnError(const std::string& user, const std::string& pw)
    {
        try {
            logOn(user, pw);
        } catch (const engine::Error& e) {
            return e.code();
        }
        return 0;
    }
};

// Oracle (ORA-01045): a user made by CREATE USER may not log on until it holds CREATE SESSION, directly, through
// a role or through PUBLIC; losing it keeps new logons out.
TEST_F(PrivilegeSession, LogonNeedsCreateSession)
{
    auto sys = logOn();
    ASSERT_EQ(errorOf(*sys, "CREATE USER u1 IDENTIFIED BY pw"), 0);
    try {
        logOn("U1", "PW");
        FAIL() << "logon without CREATE SESSION succeeded";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 1045);
        EXPECT_EQ(e.message(), "ORA-01045: user U1 lacks CREATE SESSION privilege; logon denied");
    }
    struct Step {
        const char* sql;
        int logon; // the logon's ORA code after the statement
    };
    const std::vector<Step> steps = {
        { "GRANT CREATE SESSION TO u1", 0 },
        { "REVOKE CREATE SESSION FROM u1", 1045 },
        { "GRANT CONNECT TO u1", 0 },
        { "REVOKE CONNECT FROM u1", 1045 },
        { "CREATE ROLE outer_role", 1045 },
        { "GRANT CONNECT TO outer_role", 1045 },
        { "GRANT outer_role TO u1", 0 },
        { "DROP ROLE outer_role", 1045 },
        { "GRANT CREATE SESSION TO PUBLIC", 0 },
        { "REVOKE CREATE SESSION FROM PUBLIC", 1045 },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.sql);
        ASSERT_EQ(errorOf(*sys, step.sql), 0);
        EXPECT_EQ(logOnError("U1", "PW"), step.logon);
    }
    // A wrong password is still ORA-01017, whatever the user may do.
    EXPECT_EQ(logOnError("U1", "WRONG"), 1017);
    // SYSDBA logons need no grant.
    EXPECT_NO_THROW(db->logOn("SYS", "CHANGE_ON_INSTALL", true));
}

// Oracle: a REVOKE takes effect at once, also for a statement the grantee already ran and runs again.
TEST_F(PrivilegeSession, RevokeReachesCachedStatement)
{
    auto sys = logOn();
    for (const char* sql : { "CREATE TABLE shared (n NUMBER)", "INSERT INTO shared VALUES (1)", "COMMIT",
             "CREATE USER reader IDENTIFIED BY pw", "GRANT CREATE SESSION TO reader",
             "GRANT SELECT ON shared TO reader" })
        ASSERT_EQ(errorOf(*sys, sql), 0) << sql;
    auto reader = logOn("READER", "PW");
    const std::string query = "SELECT n FROM system.shared";
    EXPECT_EQ(one(*reader, query), "1");
    EXPECT_EQ(one(*reader, query), "1");
    ASSERT_EQ(errorOf(*sys, "REVOKE SELECT ON shared FROM reader"), 0);
    EXPECT_EQ(errorOf(*reader, query), 942);
    ASSERT_EQ(errorOf(*sys, "GRANT INSERT ON shared TO reader"), 0);
    EXPECT_EQ(errorOf(*reader, query), 1031);
    ASSERT_EQ(errorOf(*sys, "GRANT SELECT ON shared TO reader"), 0);
    EXPECT_EQ(one(*reader, query), "1");
}

// The functions the dictionary views filter with answer for the session's user: visible objects, system
// privileges (also through a role), enabled grantees.
TEST_F(PrivilegeSession, DictionaryFunctions)
{
    auto sys = logOn();
    for (const char* sql : { "CREATE TABLE seen (n NUMBER)", "CREATE TABLE hidden (n NUMBER)",
             "CREATE USER viewer IDENTIFIED BY pw", "CREATE ROLE viewers", "GRANT viewers TO viewer",
             "GRANT CREATE SESSION TO viewers", "GRANT SELECT ON seen TO viewer" })
        ASSERT_EQ(errorOf(*sys, sql), 0) << sql;
    auto viewer = logOn("VIEWER", "PW");
    sqlite3* conn = viewer->state().conn;
    auto ask = [&](const std::string& sql) { return storage::queryInt(conn, sql, -1); };
    const std::string seen = R"((SELECT "OBJ#" FROM "OBJ$" WHERE "NAME" = 'SEEN'))";
    const std::string hidden = R"((SELECT "OBJ#" FROM "OBJ$" WHERE "NAME" = 'HIDDEN'))";
    const std::string role = R"((SELECT "USER#" FROM "USER$" WHERE "NAME" = 'VIEWERS'))";
    struct Case {
        std::string sql;
        int64_t answer;
    };
    const std::vector<Case> cases = {
        { "SELECT ORA_PRIV_SEE(" + seen + ")", 1 },
        { "SELECT ORA_PRIV_SEE(" + hidden + ")", 0 },
        { "SELECT ORA_PRIV_SEE(NULL)", 0 },
        { "SELECT ORA_PRIV_SYS('CREATE SESSION')", 1 }, // through the role
        { "SELECT ORA_PRIV_SYS('CREATE TABLE')", 0 },
        { "SELECT ORA_PRIV_SYS('NO SUCH PRIVILEGE')", 0 },
        { "SELECT ORA_PRIV_GRANTEE(1)", 1 }, // PUBLIC
        { "SELECT ORA_PRIV_GRANTEE(" + role + ")", 1 },
        { "SELECT ORA_PRIV_GRANTEE(5)", 0 }, // SYSTEM
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(ask(c.sql), c.answer);
    }
    // SYSTEM holds DBA: every system privilege and every object.
    sqlite3* systemConn = sys->state().conn;
    EXPECT_EQ(storage::queryInt(systemConn, "SELECT ORA_PRIV_SYS('SELECT ANY DICTIONARY')", -1), 1);
    EXPECT_EQ(storage::queryInt(systemConn, "SELECT ORA_PRIV_SEE(" + hidden + ")", -1), 1);
}

} // namespace

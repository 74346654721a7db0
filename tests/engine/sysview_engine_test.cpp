// The dynamic performance views and ALTER SYSTEM by name through the engine, as the tool's windows use them
// (the queries of the logon, the worksheet's statistics and the session tools).
#include "engine_fixture.h"

#include <gtest/gtest.h>

namespace {

using enginetest::EngineTest;

class SysviewEngine : public EngineTest { };

// Oracle 9.2 answers the tool's version query with its Oracle9i banner; the tool takes the word after "RELEASE ".
TEST_F(SysviewEngine, OldReleaseAnswersTheVersionQueries)
{
    db->setServerVersion("9.2");
    auto s = logOn();
    auto r = s->execute("select * from V$VERSION where upper(banner) like 'ORACLE%'");
    ASSERT_TRUE(r.cursor && r.cursor->next());
    EXPECT_EQ(r.cursor->columns()[0].name, "BANNER");
    const std::string banner = r.cursor->value(0).toString();
    EXPECT_EQ(banner, "Oracle9i Enterprise Edition Release 9.2.0.1.0 - Production");
    EXPECT_FALSE(r.cursor->next());
    EXPECT_EQ(rows(*s, "select banner from v$version").size(), 5u);
    EXPECT_EQ(one(*s, "select value from v$parameter where name='compatible'"), "9.2.0.1.0");
    EXPECT_EQ(one(*s, "select value from v$parameter where name='log_archive_start'"), "FALSE");
    EXPECT_EQ(one(*s, "select value from v$parameter where name='standby_archive_dest'"), "?/dbs/arch");
    EXPECT_EQ(s->serverVersion(), banner);
}

TEST_F(SysviewEngine, KillSessionFoundThroughVSession)
{
    auto admin = logOn();
    auto victim = logOn();
    victim->execute("CREATE TABLE T (N NUMBER)");
    victim->execute("INSERT INTO T VALUES (1)");
    const std::string pair = one(
        *admin, "select sid || ',' || serial# from v$session where sid <> userenv('SID') and username = 'SYSTEM'");
    admin->execute("alter system kill session '" + pair + "' immediate");
    EXPECT_EQ(one(*admin, "select status from v$session where sid <> userenv('SID')"), "KILLED");
    EXPECT_EQ(one(*admin, "select count(*) from T"), "0");
    EXPECT_EQ(errorOf(*victim, "select count(*) from T"), 28);
    EXPECT_EQ(one(*admin, "select count(*) from v$session"), "1");
}

// Oracle: while restricted session is enabled, the session list the tool shows before stopping a script names
// the sessions that are still there; new logons need RESTRICTED SESSION.
TEST_F(SysviewEngine, RestrictedSessionThroughSql)
{
    auto admin = logOn();
    auto other = db->logOn("SYSTEM", "MANAGER", false, { "ana", "ws-17", "unknown", "Dremmox.exe" });
    admin->execute("ALTER SYSTEM ENABLE RESTRICTED SESSION");
    EXPECT_EQ(one(*admin, "select logins from v$instance"), "RESTRICTED");
    EXPECT_EQ(one(*admin, "select userName, osUser, terminal, program from v$session where osuser = 'ana'"),
        "SYSTEM ana unknown Dremmox.exe");
    admin->execute("ALTER SYSTEM DISABLE RESTRICTED SESSION");
    EXPECT_EQ(one(*admin, "select logins from v$instance"), "ALLOWED");
}

} // namespace

// The dynamic performance views read straight from their fixed objects on a session's connection: Oracle's
// columns, live sessions with their identity, status and I/O, the parameters, the release and the rollback
// segments.
#include "engine/dict/fixed.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"
#include "engine/sysview/calls.h"
#include "engine/sysview/pipes.h"
#include "engine_fixture.h"
#include "support/waitfor.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using enginetest::EngineTest;

class SysviewViews : public EngineTest {
protected:
    // Rows of SELECT <select> FROM the view [<rest>], read on the session's own connection outside any call.
    static std::vector<std::string> fixed(
        engine::Session& s, const std::string& view, const std::string& select, const std::string& rest = "")
    {
        engine::SessionState& st = s.state();
        const auto* o = engine::dict::findFixedObject("SYS", view);
        EXPECT_NE(o, nullptr) << view;
        if (!o)
            return {};
        std::string name = engine::dict::ensureFixedObject(st, *o);
        engine::storage::Stmt q(st.conn, "SELECT " + select + " FROM \"" + name + "\" " + rest);
        std::vector<std::string> out;
        while (q.step()) {
            std::string line;
            for (int i = 0; i < sqlite3_column_count(q.get()); ++i) {
                const unsigned char* t = sqlite3_column_text(q.get(), i);
                line += (i ? " " : "") + (t ? std::string(reinterpret_cast<const char*>(t)) : std::string("NULL"));
            }
            out.push_back(line);
        }
        return out;
    }

    static std::string fixedOne(
        engine::Session& s, const std::string& view, const std::string& select, const std::string& rest = "")
    {
        auto r = fixed(s, view, select, rest);
        return r.empty() ? "<no rows>" : r.front();
    }

    static std::string sidOf(engine::Session& s) { return std::to_string(s.sessionId()); }
    static std::string serialOf(engine::Session& s) { return std::to_string(s.state().info.serial); }

    static int64_t io(engine::Session& reader, engine::Session& of, const std::string& column)
    {
        return std::stoll(fixedOne(reader, "V$SESS_IO", column, "WHERE SID = " + sidOf(of)));
    }
};

// Oracle's column order of each view, as its Database Reference lists it for release 19; the first and last
// columns and the ones the tool reads by name are checked against what SQLite gives for SELECT *.
TEST_F(SysviewViews, EachViewGivesOraclesColumnsInOrder)
{
    struct Case {
        const char* view;
        std::vector<std::string> expectedPrefix;
        const char* lastColumn;
        size_t count;
    };
    const std::vector<Case> cases {
        { "V$SESSION",
            { "SADDR", "SID", "SERIAL#", "AUDSID", "PADDR", "USER#", "USERNAME", "COMMAND", "OWNERID", "TADDR",
                "LOCKWAIT", "STATUS", "SERVER", "SCHEMA#", "SCHEMANAME", "OSUSER", "PROCESS", "MACHINE", "PORT",
                "TERMINAL", "PROGRAM", "TYPE" },
            "PLSQL_DEBUGGER_CONNECTED", 105 },
        { "GV$SESSION", { "INST_ID", "SADDR", "SID", "SERIAL#" }, "PLSQL_DEBUGGER_CONNECTED", 106 },
        { "V$SESS_IO",
            { "SID", "BLOCK_GETS", "CONSISTENT_GETS", "PHYSICAL_READS", "BLOCK_CHANGES", "CONSISTENT_CHANGES",
                "OPTIMIZED_PHYSICAL_READS", "CON_ID" },
            "CON_ID", 8 },
        { "V$VERSION", { "BANNER", "BANNER_FULL", "BANNER_LEGACY", "CON_ID" }, "CON_ID", 4 },
        { "V$INSTANCE",
            { "INSTANCE_NUMBER", "INSTANCE_NAME", "HOST_NAME", "VERSION", "VERSION_LEGACY", "VERSION_FULL",
                "STARTUP_TIME", "STATUS", "PARALLEL", "THREAD#", "ARCHIVER", "LOG_SWITCH_WAIT", "LOGINS" },
            "DATABASE_TYPE", 23 },
        { "V$DATABASE", { "DBID", "NAME", "CREATED", "RESETLOGS_CHANGE#" }, "SUPPLEMENTAL_LOG_DATA_SR", 59 },
        { "V$PARAMETER",
            { "NUM", "NAME", "TYPE", "VALUE", "DISPLAY_VALUE", "DEFAULT_VALUE", "ISDEFAULT", "ISSES_MODIFIABLE",
                "ISSYS_MODIFIABLE" },
            "CON_ID", 19 },
        { "V$ROLLNAME", { "USN", "NAME", "CON_ID" }, "CON_ID", 3 },
        { "V$LOCK", { "ADDR", "KADDR", "SID", "TYPE", "ID1", "ID2", "LMODE", "REQUEST", "CTIME", "BLOCK" }, "CON_ID",
            11 },
        { "V$LOCKED_OBJECT",
            { "XIDUSN", "XIDSLOT", "XIDSQN", "OBJECT_ID", "SESSION_ID", "ORACLE_USERNAME", "OS_USER_NAME", "PROCESS",
                "LOCKED_MODE" },
            "CON_ID", 10 },
        { "V$STATNAME", { "STATISTIC#", "NAME", "CLASS", "STAT_ID", "DISPLAY_NAME" }, "CON_ID", 6 },
        { "V$MYSTAT", { "SID", "STATISTIC#", "VALUE" }, "CON_ID", 4 },
        { "V$SESSTAT", { "SID", "STATISTIC#", "VALUE" }, "CON_ID", 4 },
        { "V$ROLLSTAT",
            { "USN", "LATCH", "EXTENTS", "RSSIZE", "WRITES", "XACTS", "GETS", "WAITS", "OPTSIZE", "HWMSIZE", "SHRINKS",
                "WRAPS", "EXTENDS", "AVESHRINK", "AVEACTIVE", "STATUS" },
            "CON_ID", 19 },
    };
    auto s = logOn();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        const auto* o = engine::dict::findFixedObject("SYS", c.view);
        ASSERT_NE(o, nullptr);
        std::string name = engine::dict::ensureFixedObject(s->state(), *o);
        engine::storage::Stmt q(s->state().conn, "SELECT * FROM \"" + name + "\"");
        std::vector<std::string> names;
        for (int i = 0; i < sqlite3_column_count(q.get()); ++i)
            names.push_back(sqlite3_column_name(q.get(), i));
        ASSERT_EQ(names.size(), c.count);
        ASSERT_EQ(o->object->columns.size(), c.count);
        for (size_t i = 0; i < c.expectedPrefix.size(); ++i)
            EXPECT_EQ(names[i], c.expectedPrefix[i]);
        EXPECT_EQ(names.back(), c.lastColumn);
        for (size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(o->object->columns[i].name, names[i]);
        const bool empty = std::string(c.view) == "V$LOCK" || std::string(c.view) == "V$LOCKED_OBJECT";
        EXPECT_EQ(q.step(), !empty) << "with no transaction open only the lock views are empty";
    }
}

TEST_F(SysviewViews, TwoSessionsSeeEachOther)
{
    auto a = logOn();
    auto b = logOn();
    engine::ClientInfo client { "ana", "ws-17", "pts/3", "Dremmox.exe" };
    auto c = db->logOn("SYSTEM", "MANAGER", false, client);
    EXPECT_NE(a->state().info.serial, b->state().info.serial);
    for (engine::Session* reader : { a.get(), b.get() }) {
        auto rows = fixed(*reader, "V$SESSION", "SID, \"SERIAL#\", USERNAME, STATUS, TYPE", "ORDER BY SID");
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0], sidOf(*a) + " " + serialOf(*a) + " SYSTEM INACTIVE USER");
        EXPECT_EQ(rows[1], sidOf(*b) + " " + serialOf(*b) + " SYSTEM INACTIVE USER");
    }
    EXPECT_EQ(fixedOne(*a, "V$SESSION", "OSUSER, MACHINE, TERMINAL, PROGRAM, \"USER#\", SCHEMANAME",
                  "WHERE SID = " + sidOf(*c)),
        "ana ws-17 pts/3 Dremmox.exe 5 SYSTEM");
    // A session that logs off is gone from the view.
    c.reset();
    EXPECT_EQ(fixed(*a, "V$SESSION", "SID").size(), 2u);
    // GV$SESSION adds the instance number in front.
    EXPECT_EQ(fixedOne(*a, "GV$SESSION", "INST_ID, SID", "WHERE SID = " + sidOf(*b)), "1 " + sidOf(*b));
}

// The tool's own session number: "select sid from gv$session where user#=uid and status='ACTIVE' and
// last_call_et=0", run inside the session's call, finds the session itself.
TEST_F(SysviewViews, StatusIsActiveWhileACallRuns)
{
    auto a = logOn();
    auto other = logOn();
    std::vector<std::string> inside = engine::sysview::runCall(a->state(), [&] {
        return fixed(*a, "GV$SESSION", "SID", "WHERE \"USER#\" = 5 AND STATUS = 'ACTIVE' AND LAST_CALL_ET = 0");
    });
    EXPECT_EQ(inside, std::vector<std::string> { sidOf(*a) });
    EXPECT_EQ(fixedOne(*other, "V$SESSION", "STATUS", "WHERE SID = " + sidOf(*a)), "INACTIVE");
}

TEST_F(SysviewViews, SessionIoGrowsWithTheWorkDone)
{
    auto s = logOn();
    auto watcher = logOn();
    s->execute("CREATE TABLE T (N NUMBER)");
    const int64_t gets0 = io(*watcher, *s, "CONSISTENT_GETS");
    const int64_t blockGets0 = io(*watcher, *s, "BLOCK_GETS");
    const int64_t changes0 = io(*watcher, *s, "BLOCK_CHANGES");
    s->execute("INSERT INTO T SELECT LEVEL FROM DUAL CONNECT BY LEVEL <= 50");
    EXPECT_GE(io(*watcher, *s, "BLOCK_CHANGES") - changes0, 50);
    EXPECT_GT(io(*watcher, *s, "BLOCK_GETS"), blockGets0);
    EXPECT_EQ(rows(*s, "SELECT N FROM T").size(), 50u);
    EXPECT_GE(io(*watcher, *s, "CONSISTENT_GETS") - gets0, 50);
    const int64_t consistentChanges0 = io(*watcher, *s, "CONSISTENT_CHANGES");
    s->rollback();
    EXPECT_GE(io(*watcher, *s, "CONSISTENT_CHANGES") - consistentChanges0, 50);
    // The watcher's own counters did not move with the other session's work.
    EXPECT_EQ(io(*s, *watcher, "BLOCK_CHANGES"), 0);
}

TEST_F(SysviewViews, ParametersTheToolReads)
{
    auto s = logOn();
    EXPECT_EQ(fixedOne(*s, "V$PARAMETER", "VALUE", "WHERE NAME = 'compatible'"), "19.0.0");
    EXPECT_EQ(fixedOne(*s, "V$PARAMETER", "VALUE", "WHERE upper(NAME) = 'JOB_QUEUE_PROCESSES'"), "4000");
    EXPECT_EQ(fixedOne(*s, "V$PARAMETER", "VALUE, ISDEFAULT", "WHERE NAME = 'sec_case_sensitive_logon'"), "FALSE TRUE");
    // Release 19 has neither log_archive_start (gone since 10g) nor standby_archive_dest (gone since 12c).
    EXPECT_TRUE(fixed(*s, "V$PARAMETER", "VALUE", "WHERE NAME = 'log_archive_start'").empty());
    EXPECT_TRUE(fixed(*s, "V$PARAMETER", "VALUE", "WHERE NAME = 'standby_archive_dest'").empty());
    // V$PARAMETER shows the session's own NLS_DATE_FORMAT once it changed it.
    EXPECT_EQ(fixedOne(*s, "V$PARAMETER", "VALUE, ISMODIFIED", "WHERE NAME = 'nls_date_format'"), "NULL FALSE");
    s->execute("ALTER SESSION SET NLS_DATE_FORMAT = 'DD.MM.YYYY'");
    EXPECT_EQ(
        fixedOne(*s, "V$PARAMETER", "VALUE, ISMODIFIED", "WHERE NAME = 'nls_date_format'"), "DD.MM.YYYY MODIFIED");
}

TEST_F(SysviewViews, OldReleaseHasItsOwnBannersAndParameters)
{
    db->setServerVersion("8.1.7");
    auto s = logOn();
    auto banners = fixed(*s, "V$VERSION", "BANNER, BANNER_FULL");
    ASSERT_EQ(banners.size(), 5u);
    EXPECT_EQ(banners[0], "Oracle8i Enterprise Edition Release 8.1.7.0.0 - Production NULL");
    EXPECT_EQ(fixedOne(*s, "V$INSTANCE", "VERSION"), "8.1.7.0.0");
    EXPECT_EQ(fixedOne(*s, "V$PARAMETER", "VALUE", "WHERE NAME = 'compatible'"), "8.1.7.0.0");
    EXPECT_EQ(fixedOne(*s, "V$PARAMETER", "VALUE", "WHERE NAME = 'log_archive_start'"), "FALSE");
    EXPECT_EQ(fixedOne(*s, "V$PARAMETER", "VALUE", "WHERE NAME = 'standby_archive_dest'"), "?/dbs/arch");
    EXPECT_TRUE(fixed(*s, "V$PARAMETER", "VALUE", "WHERE NAME = 'sec_case_sensitive_logon'").empty());
    EXPECT_EQ(s->serverVersion(), "Oracle8i Enterprise Edition Release 8.1.7.0.0 - Production");

    // The release is kept in the database file.
    s.reset();
    db.reset();
    db = engine::Database::open(dir());
    EXPECT_EQ(db->serverVersion(), "8.1.7.0.0");
    db->setServerVersion("19");
    auto again = logOn();
    EXPECT_EQ(fixed(*again, "V$VERSION", "BANNER, BANNER_FULL, BANNER_LEGACY"),
        std::vector<std::string> { "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production "
                                   "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production\n"
                                   "Version 19.3.0.0.0 "
                                   "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production" });
    try {
        db->setServerVersion("nineteen");
        ADD_FAILURE() << "a text that is no release is refused";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 2097);
    }
    EXPECT_EQ(db->serverVersion(), "19.0.0.0.0");
}

TEST_F(SysviewViews, RollbackSegmentsListOnlyTheOnlineOnes)
{
    auto s = logOn();
    EXPECT_EQ(fixed(*s, "V$ROLLNAME", "NAME").size(), 11u);
    EXPECT_EQ(fixedOne(*s, "V$ROLLNAME", "USN, NAME"), "0 SYSTEM");
    db->setRollbackSegments({ { "SYSTEM", true }, { "RBS01", true }, { "RBLARGE", false } });
    EXPECT_EQ(fixed(*s, "V$ROLLNAME", "USN, NAME"), (std::vector<std::string> { "0 SYSTEM", "1 RBS01" }));
    // The tool's test of its large segment: no row while it is offline.
    const std::string rollstat = "WHERE USN IN (SELECT USN FROM \""
        + engine::dict::ensureFixedObject(s->state(), *engine::dict::findFixedObject("SYS", "V$ROLLNAME"))
        + "\" WHERE NAME = ";
    EXPECT_TRUE(fixed(*s, "V$ROLLSTAT", "STATUS", rollstat + "'RBLARGE')").empty());
    EXPECT_EQ(fixedOne(*s, "V$ROLLSTAT", "STATUS, XACTS", rollstat + "'RBS01')"), "ONLINE 0");
    // A transaction is counted on an online undo segment.
    s->execute("CREATE TABLE T (N NUMBER)");
    s->execute("INSERT INTO T VALUES (1)");
    EXPECT_EQ(fixedOne(*s, "V$ROLLSTAT", "XACTS", rollstat + "'RBS01')"), "1");
    s->commit();
    db->setRollbackSegments({ { "SYSTEM", true }, { "RBLARGE", true } });
    s.reset();
    db.reset();
    db = engine::Database::open(dir());
    auto again = logOn();
    EXPECT_EQ(fixed(*again, "V$ROLLNAME", "NAME"), (std::vector<std::string> { "SYSTEM", "RBLARGE" }));
}

TEST_F(SysviewViews, AlterRollbackSegmentSwitchesAConfiguredSegment)
{
    auto s = logOn();
    auto errorOf = [&](const std::string& sql) {
        try {
            s->execute(sql);
        } catch (const engine::Error& e) {
            return e.code();
        }
        return 0;
    };
    // Oracle: the undo segments of automatic undo management are not altered by hand (ORA-30019).
    EXPECT_EQ(errorOf("ALTER ROLLBACK SEGMENT \"_SYSSMU1$\" OFFLINE"), 30019);
    db->setRollbackSegments({ { "SYSTEM", true }, { "RBS01", true }, { "RBLARGE", false } });
    s->execute("ALTER ROLLBACK SEGMENT rblarge ONLINE");
    EXPECT_EQ(fixed(*s, "V$ROLLNAME", "NAME"), (std::vector<std::string> { "SYSTEM", "RBS01", "RBLARGE" }));
    s->execute("ALTER ROLLBACK SEGMENT RBS01 OFFLINE");
    EXPECT_EQ(fixed(*s, "V$ROLLNAME", "NAME"), (std::vector<std::string> { "SYSTEM", "RBLARGE" }));
    EXPECT_EQ(errorOf("ALTER ROLLBACK SEGMENT nosuch ONLINE"), 1534);
    EXPECT_EQ(errorOf("ALTER ROLLBACK SEGMENT SYSTEM OFFLINE"), 3001);
    EXPECT_EQ(errorOf("ALTER ROLLBACK SEGMENT RBS01 SHRINK"), 3001);
    // As DDL, the statement commits the open transaction.
    s->execute("CREATE TABLE T (N NUMBER)");
    s->execute("INSERT INTO T VALUES (1)");
    s->execute("ALTER ROLLBACK SEGMENT RBS01 ONLINE");
    EXPECT_FALSE(s->inTransaction());
    // The state is kept in the database.
    s.reset();
    db.reset();
    db = engine::Database::open(dir());
    auto again = logOn();
    EXPECT_EQ(fixed(*again, "V$ROLLNAME", "NAME"), (std::vector<std::string> { "SYSTEM", "RBS01", "RBLARGE" }));
}

TEST_F(SysviewViews, InstanceAndDatabase)
{
    auto s = logOn();
    EXPECT_EQ(fixedOne(*s, "V$INSTANCE", "INSTANCE_NUMBER, STATUS, LOGINS, VERSION"), "1 OPEN ALLOWED 19.0.0.0.0");
    const std::string dbid = fixedOne(*s, "V$DATABASE", "DBID");
    EXPECT_EQ(fixedOne(*s, "V$DATABASE", "NAME, LOG_MODE, OPEN_MODE"), "DREMMOX NOARCHIVELOG READ WRITE");
    s->execute("ALTER SYSTEM ENABLE RESTRICTED SESSION");
    EXPECT_EQ(fixedOne(*s, "V$INSTANCE", "LOGINS"), "RESTRICTED");
    s->execute("ALTER SYSTEM DISABLE RESTRICTED SESSION");
    EXPECT_EQ(fixedOne(*s, "V$INSTANCE", "LOGINS"), "ALLOWED");
    // The database keeps its identity across openings.
    s.reset();
    db.reset();
    db = engine::Database::open(dir());
    auto again = logOn();
    EXPECT_EQ(fixedOne(*again, "V$DATABASE", "DBID"), dbid);
}

// Oracle's V$LOCK: a transaction's TX lock in exclusive mode (6), a row-exclusive TM lock (3) on each table it
// changes, a waiter's request for the holder's TX with BLOCK = 1 on the holder's rows; V$LOCKED_OBJECT lists
// the TM locks by object.
TEST_F(SysviewViews, LocksShowHoldersAndWaiters)
{
    auto holder = logOn();
    auto waiter = logOn();
    holder->execute("CREATE TABLE T (N NUMBER)");
    holder->execute("INSERT INTO T VALUES (1)");
    holder->commit();
    EXPECT_TRUE(fixed(*holder, "V$LOCK", "SID").empty());
    const std::string table = one(*holder, "SELECT OBJECT_ID FROM USER_OBJECTS WHERE OBJECT_NAME = 'T'");
    holder->execute("UPDATE T SET N = 2");
    const std::string h = sidOf(*holder);
    EXPECT_EQ(fixed(*holder, "V$LOCK", "TYPE, LMODE, REQUEST, BLOCK", "WHERE SID = " + h + " ORDER BY TYPE"),
        (std::vector<std::string> { "TM 3 0 0", "TX 6 0 0" }));
    EXPECT_EQ(fixedOne(*holder, "V$LOCK", "ID1", "WHERE TYPE = 'TM'"), table);
    EXPECT_EQ(fixedOne(*holder, "V$LOCKED_OBJECT", "OBJECT_ID, SESSION_ID, ORACLE_USERNAME, LOCKED_MODE"),
        table + " " + h + " SYSTEM 3");
    int waiterError = -1;
    std::thread t([&] {
        try {
            waiter->execute("UPDATE T SET N = 3");
            waiterError = 0;
        } catch (const engine::Error& e) {
            waiterError = e.code();
        }
    });
    EXPECT_TRUE(testsupport::waitFor(
        [&] { return fixed(*holder, "V$LOCK", "SID", "WHERE REQUEST = 6 AND SID = " + sidOf(*waiter)).size() == 1; }));
    EXPECT_EQ(fixedOne(*holder, "V$LOCK", "BLOCK", "WHERE TYPE = 'TX' AND SID = " + h), "1");
    EXPECT_EQ(fixedOne(*holder, "V$LOCK", "ID1", "WHERE REQUEST = 6"),
        fixedOne(*holder, "V$LOCK", "ID1", "WHERE TYPE = 'TX' AND SID = " + h));
    holder->commit();
    t.join();
    EXPECT_EQ(waiterError, 0);
    waiter->rollback();
    EXPECT_TRUE(fixed(*holder, "V$LOCK", "SID").empty());
}

TEST_F(SysviewViews, StatisticsOfTheSession)
{
    auto s = logOn();
    auto other = logOn();
    EXPECT_EQ(rows(*s, "SELECT LEVEL FROM DUAL CONNECT BY LEVEL <= 20").size(), 20u);
    const std::string number = fixedOne(*s, "V$STATNAME", "\"STATISTIC#\"", "WHERE NAME = 'consistent gets'");
    const std::string mine = fixedOne(*s, "V$MYSTAT", "SID, VALUE", "WHERE \"STATISTIC#\" = " + number);
    EXPECT_EQ(mine, sidOf(*s) + " " + fixedOne(*s, "V$SESS_IO", "CONSISTENT_GETS", "WHERE SID = " + sidOf(*s)));
    EXPECT_GE(std::stoll(mine.substr(mine.find(' ') + 1)), 20);
    // V$MYSTAT is the reader's own; V$SESSTAT every session's.
    EXPECT_EQ(fixed(*s, "V$MYSTAT", "DISTINCT SID"), std::vector<std::string> { sidOf(*s) });
    EXPECT_EQ(fixed(*s, "V$SESSTAT", "DISTINCT SID").size(), 2u);
}

// V$DB_PIPES lists what DBMS_PIPE keeps.
TEST_F(SysviewViews, PipesComeFromTheirPackage)
{
    auto s = logOn();
    const engine::sysview::PipeSource before = engine::sysview::pipeSource();
    engine::sysview::setPipeSource(nullptr);
    EXPECT_TRUE(fixed(*s, "V$DB_PIPES", "NAME").empty()) << "no pipe was made in this database";
    engine::sysview::setPipeSource([](engine::DatabaseState&) {
        return std::vector<engine::sysview::PipeRow> { { 5, "LOCK_1", true, 1024 },
            { std::nullopt, "AUDIT", false, 0 } };
    });
    EXPECT_EQ(fixed(*s, "V$DB_PIPES", "OWNERID, NAME, TYPE, PIPE_SIZE", "ORDER BY NAME"),
        (std::vector<std::string> { "NULL AUDIT PUBLIC 0", "5 LOCK_1 PRIVATE 1024" }));
    engine::sysview::setPipeSource(before);
}

// USERENV('SESSIONID') is the session's V$SESSION.AUDSID, USERENV('SCHEMAID') its current schema's user number,
// which is what the tool compares OBJ$.OWNER# with.
TEST_F(SysviewViews, UserenvMatchesTheSessionRow)
{
    auto s = logOn();
    EXPECT_EQ(one(*s, "SELECT USERENV('SESSIONID') FROM DUAL"),
        fixedOne(*s, "V$SESSION", "AUDSID", "WHERE SID = " + sidOf(*s)));
    EXPECT_EQ(one(*s, "SELECT USERENV('SCHEMAID'), SYS_CONTEXT('USERENV', 'CURRENT_SCHEMAID') FROM DUAL"), "5 5");
    s->execute("ALTER SESSION SET CURRENT_SCHEMA = SYS");
    EXPECT_EQ(one(*s, "SELECT USERENV('SCHEMAID'), SYS_CONTEXT('USERENV', 'CURRENT_SCHEMAID') FROM DUAL"), "0 0");
    EXPECT_EQ(fixedOne(*s, "V$SESSION", "\"SCHEMA#\", SCHEMANAME, \"USER#\", USERNAME", "WHERE SID = " + sidOf(*s)),
        "0 SYS 5 SYSTEM");
}

} // namespace

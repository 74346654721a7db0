// Database links between embedded databases: two databases side by side in one data directory, the local one with a
// link to the other. Each test names the Oracle behaviour it checks.
#include "engine/link/link_catalog.h"
#include "engine/link/remote_sessions.h"
#include "engine/session/session_state.h"
#include "engine/sql/ast_dump.h"
#include "engine/sql/parser.h"
#include "engine/storage/sqlite.h"
#include "engine_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace enginetest;

namespace {

struct ErrorCase {
    const char* sql;
    int code;
};

class LinkTest : public EngineTest {
protected:
    std::shared_ptr<engine::Database> remoteDb;
    std::unique_ptr<engine::Session> remote; // SYSTEM on the remote database, to see what reached it
    std::unique_ptr<engine::Session> local;

    void SetUp() override
    {
        EngineTest::SetUp();
        remoteDb = engine::Database::create(tmp.filePath("audit").toStdString());
        remote = remoteDb->logOn("SYSTEM", "MANAGER");
        for (const char* sql : {
                 "CREATE TABLE AUD (ID NUMBER PRIMARY KEY, NAME VARCHAR2(20), AT DATE)",
                 "INSERT INTO AUD VALUES (1, 'ALPHA', DATE '2024-01-02')",
                 "INSERT INTO AUD VALUES (2, 'BETA', DATE '2024-02-03')",
                 "INSERT INTO AUD VALUES (3, 'BRAVO', NULL)",
                 // Reading X of the row with ID 3 divides by zero: a query that only works when its WHERE is
                 // answered remotely.
                 "CREATE VIEW AUDV AS SELECT ID, 10 / (ID - 3) AS X FROM AUD",
             })
            remote->execute(sql);
        remote->commit();
        local = logOn();
        for (const char* sql : {
                 "CREATE TABLE EMP (ID NUMBER, NAME VARCHAR2(20), AUD_ID NUMBER)",
                 "INSERT INTO EMP VALUES (10, 'SMITH', 1)",
                 "INSERT INTO EMP VALUES (20, 'JONES', 2)",
                 "INSERT INTO EMP VALUES (30, 'KING', NULL)",
                 "CREATE DATABASE LINK AUDITLNK CONNECT TO SYSTEM IDENTIFIED BY MANAGER USING 'audit'",
             })
            local->execute(sql);
        local->commit();
    }

    void TearDown() override
    {
        local.reset();
        remote.reset();
        remoteDb.reset();
    }

    static std::string errorText(engine::Session& s, const std::string& sql)
    {
        try {
            s.execute(sql);
        } catch (const engine::Error& e) {
            return e.message();
        }
        return "<no error>";
    }
};

// Oracle: CREATE DATABASE LINK parses the link name with its domain, CONNECT TO ... IDENTIFIED BY and USING; a
// missing connect string is ORA-02010, a missing IDENTIFIED ORA-00954.
TEST(LinkParse, CreateDatabaseLink)
{
    struct Case {
        const char* sql;
        const char* dump; // nullptr: fails with code
        int code;
    };
    const std::vector<Case> cases = {
        { "create database link vexoaudt.world connect to vexo_audit identified by secret using 'audit'",
            "CREATE DATABASE LINK VEXOAUDT.WORLD CONNECT TO VEXO_AUDIT IDENTIFIED BY \"SECRET\" USING 'audit'", 0 },
        { "create public database link pub connect to u identified by \"MixEd\" using 'o''brien'",
            "CREATE PUBLIC DATABASE LINK PUB CONNECT TO U IDENTIFIED BY \"MixEd\" USING 'o''brien'", 0 },
        { "create database link l connect to u identified by p using", nullptr, 2010 },
        { "create database link l connect to u by p using 'x'", nullptr, 954 },
        { "create or replace database link l using 'x'", nullptr, 922 },
        { "create database foo", nullptr, 3001 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        engine::sql::ParseResult r = engine::sql::parse(c.sql);
        if (!c.dump) {
            ASSERT_FALSE(r.ok());
            EXPECT_EQ(r.error->code, c.code);
            continue;
        }
        ASSERT_TRUE(r.ok()) << r.error->message;
        EXPECT_EQ(engine::sql::dumpStatement(*r.statement), c.dump);
        engine::sql::ParseResult again = engine::sql::parse(engine::sql::dumpStatement(*r.statement));
        ASSERT_TRUE(again.ok());
        EXPECT_EQ(engine::sql::dumpStatement(*again.statement), c.dump);
    }
}

// Oracle keeps one LINK$ row per link (OWNER# 1 for PUBLIC) and never the password in clear; the stored password
// still logs on.
TEST_F(LinkTest, CatalogRowKeepsPasswordScrambled)
{
    local->execute("CREATE PUBLIC DATABASE LINK PUBAUD CONNECT TO SYSTEM IDENTIFIED BY MANAGER USING 'AUDIT'");
    sqlite3* conn = local->state().conn;
    {
        engine::storage::Stmt q(
            conn, R"(SELECT "OWNER#", "NAME", "HOST", "USERID", "PASSWORD" FROM "LINK$" ORDER BY 2)");
        std::vector<std::string> seen;
        while (q.step()) {
            seen.push_back(std::to_string(q.int64(0)) + " " + q.text(1) + " " + q.text(2) + " " + q.text(3));
            EXPECT_EQ(q.text(4).find("MANAGER"), std::string::npos);
        }
        EXPECT_EQ(seen,
            (std::vector<std::string> {
                std::to_string(local->state().userId) + " AUDITLNK audit SYSTEM", "1 PUBAUD AUDIT SYSTEM" }));
    }
    auto row = engine::link::linkOf(conn, engine::link::kPublicOwner, "PUBAUD");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->password, "MANAGER");
    EXPECT_EQ(one(*local, "SELECT COUNT(*) FROM AUD@PUBAUD"), "3");
}

// Oracle answers queries over name@link as over a local table: alone, joined with local tables, in subqueries,
// schema-qualified, with the remote side's DUAL, and as the source of an INSERT into a local table.
TEST_F(LinkTest, QueriesAcrossTheLink)
{
    struct Case {
        const char* sql;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        { "SELECT ID, NAME, AT FROM AUD@AUDITLNK ORDER BY ID",
            { "1 ALPHA 2024-01-02 00:00:00", "2 BETA 2024-02-03 00:00:00", "3 BRAVO NULL" } },
        { "SELECT e.NAME, a.NAME FROM EMP e, AUD@AUDITLNK a WHERE e.AUD_ID = a.ID ORDER BY e.ID",
            { "SMITH ALPHA", "JONES BETA" } },
        { "SELECT e.NAME, a.NAME FROM EMP e LEFT JOIN SYSTEM.AUD@AUDITLNK a ON a.ID = e.AUD_ID ORDER BY e.ID",
            { "SMITH ALPHA", "JONES BETA", "KING NULL" } },
        { "SELECT NAME FROM EMP WHERE AUD_ID IN (SELECT ID FROM AUD@AUDITLNK WHERE NAME LIKE 'B%')", { "JONES" } },
        { "SELECT NAME FROM AUD@AUDITLNK WHERE AT > TO_DATE('2024-01-15', 'YYYY-MM-DD')", { "BETA" } },
        { "SELECT COUNT(*), MAX(ID) FROM AUD@AUDITLNK WHERE ID >= 2", { "2 3" } },
        { "SELECT DUMMY FROM DUAL@AUDITLNK", { "X" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(rows(*local, c.sql), c.rows);
    }
    local->execute("INSERT INTO EMP (ID, NAME) SELECT ID + 100, NAME FROM AUD@AUDITLNK WHERE ID = 3");
    EXPECT_EQ(one(*local, "SELECT NAME FROM EMP WHERE ID = 103"), "BRAVO");
}

// Oracle sends a query's conditions on the remote table to the remote database: the row whose X divides by zero
// is never read when the WHERE leaves it out, and is when nothing does (the remote error then comes back with
// ORA-02063 naming the link).
TEST_F(LinkTest, ConditionsAreAnsweredRemotely)
{
    EXPECT_EQ(rows(*local, "SELECT X FROM AUDV@AUDITLNK WHERE ID = 1"), (std::vector<std::string> { "-5" }));
    EXPECT_EQ(
        rows(*local, "SELECT X FROM AUDV@AUDITLNK WHERE ID < :1",
            { engine::Bind { "1", engine::BindDir::In, engine::OraType::Number, engine::Value::fromInt(3), nullptr } }),
        (std::vector<std::string> { "-5", "-10" }));
    EXPECT_EQ(errorText(*local, "SELECT SUM(X) FROM AUDV@AUDITLNK"),
        "ORA-01476: divisor is equal to zero\nORA-02063: preceding line from AUDITLNK");
}

// Oracle's distributed transaction: DML through the link belongs to the local transaction, so the local ROLLBACK
// undoes it, ROLLBACK TO SAVEPOINT undoes what came after the savepoint, and COMMIT makes it durable remotely.
TEST_F(LinkTest, DmlThroughTheLinkFollowsTheLocalTransaction)
{
    auto remoteRows = [&] { return rows(*remote, "SELECT ID, NAME FROM AUD ORDER BY ID"); };
    const std::vector<std::string> before = remoteRows();

    auto r = local->execute("INSERT INTO AUD@AUDITLNK (ID, NAME) VALUES (4, 'DELTA')");
    EXPECT_EQ(r.rowsProcessed, 1);
    EXPECT_EQ(local->execute("UPDATE AUD@AUDITLNK SET NAME = 'B' || NAME WHERE ID IN (1, 2)").rowsProcessed, 2);
    EXPECT_EQ(local->execute("DELETE FROM SYSTEM.AUD@AUDITLNK a WHERE a.ID = 3").rowsProcessed, 1);
    EXPECT_TRUE(local->inTransaction());
    EXPECT_EQ(rows(*local, "SELECT ID, NAME FROM AUD@AUDITLNK ORDER BY ID"),
        (std::vector<std::string> { "1 BALPHA", "2 BBETA", "4 DELTA" }));
    local->execute("ROLLBACK");
    EXPECT_EQ(remoteRows(), before);

    local->execute("INSERT INTO AUD@AUDITLNK (ID, NAME) VALUES (5, 'ECHO')");
    local->execute("SAVEPOINT S1");
    local->execute("INSERT INTO AUD@AUDITLNK (ID, NAME) VALUES (6, 'FOXTROT')");
    local->execute("ROLLBACK TO SAVEPOINT S1");
    local->execute("COMMIT");
    EXPECT_FALSE(local->inTransaction());
    remote->rollback(); // nothing of its own: what it sees now was committed by the local COMMIT
    EXPECT_EQ(remoteRows(), (std::vector<std::string> { "1 ALPHA", "2 BETA", "3 BRAVO", "5 ECHO" }));

    // Binds travel with the statement.
    std::vector<engine::Bind> binds { { "ID", engine::BindDir::In, engine::OraType::Number, engine::Value::fromInt(7),
                                          nullptr },
        { "N", engine::BindDir::In, engine::OraType::Varchar2, engine::Value::fromText("GOLF"), nullptr } };
    local->execute("INSERT INTO AUD@AUDITLNK (ID, NAME) VALUES (:ID, :N)", binds);
    local->commit();
    EXPECT_EQ(one(*remote, "SELECT NAME FROM AUD WHERE ID = 7"), "GOLF");
}

// Oracle: SELECT ... FOR UPDATE of a table behind a link locks the rows it selects on the remote database, in the
// local transaction: a session there waits for them (NOWAIT: ORA-00054) until the local COMMIT or ROLLBACK, and a
// FOR UPDATE NOWAIT of rows held there fails with ORA-00054 from the remote side. Rows it did not select stay free.
TEST_F(LinkTest, ForUpdateLocksTheRemoteRows)
{
    EXPECT_EQ(rows(*local, "SELECT ID, NAME FROM AUD@AUDITLNK WHERE ID = 2 FOR UPDATE"),
        (std::vector<std::string> { "2 BETA" }));
    EXPECT_TRUE(local->inTransaction());
    EXPECT_EQ(errorOf(*remote, "SELECT * FROM AUD WHERE ID = 2 FOR UPDATE NOWAIT"), 54);
    EXPECT_EQ(remote->execute("UPDATE AUD SET NAME = 'A' WHERE ID = 1").rowsProcessed, 1);
    remote->rollback();
    local->execute("ROLLBACK");
    EXPECT_EQ(remote->execute("UPDATE AUD SET NAME = 'B' WHERE ID = 2").rowsProcessed, 1);
    // Now the remote session holds row 2: the local FOR UPDATE NOWAIT fails, a WHERE that leaves it out does not.
    EXPECT_EQ(errorText(*local, "SELECT ID FROM AUD@AUDITLNK WHERE NAME LIKE 'B%' FOR UPDATE NOWAIT"),
        "ORA-00054: resource busy and acquire with NOWAIT specified or timeout expired\n"
        "ORA-02063: preceding line from AUDITLNK");
    EXPECT_EQ(rows(*local, "SELECT ID FROM AUD@AUDITLNK WHERE ID <> 2 ORDER BY ID FOR UPDATE NOWAIT"),
        (std::vector<std::string> { "1", "3" }));
    local->execute("COMMIT");
    remote->rollback();
    // A NULL and a DATE value find their row too.
    EXPECT_EQ(rows(*local, "SELECT ID FROM AUD@AUDITLNK WHERE ID IN (1, 3) ORDER BY ID FOR UPDATE"),
        (std::vector<std::string> { "1", "3" }));
    EXPECT_EQ(errorOf(*remote, "SELECT * FROM AUD WHERE ID = 3 FOR UPDATE NOWAIT"), 54);
    EXPECT_EQ(errorOf(*remote, "SELECT * FROM AUD WHERE ID = 1 FOR UPDATE NOWAIT"), 54);
    local->execute("ROLLBACK");
    EXPECT_EQ(rows(*remote, "SELECT ID FROM AUD WHERE ID IN (1, 3) FOR UPDATE NOWAIT").size(), 2u);
    remote->rollback();
}

// Oracle: a PL/SQL cursor FOR UPDATE over a table behind a link opens, fetches and locks the remote rows it reads;
// it has no ROWID here, so WHERE CURRENT OF it is refused rather than changing nothing.
TEST_F(LinkTest, PlsqlCursorForUpdateThroughTheLink)
{
    local->execute("CREATE TABLE SEEN (ID NUMBER)");
    local->execute("DECLARE CURSOR c(p NUMBER) IS SELECT * FROM AUD@AUDITLNK WHERE ID = p FOR UPDATE; r c%ROWTYPE; "
                   "BEGIN OPEN c(2); FETCH c INTO r; IF c%FOUND THEN INSERT INTO SEEN VALUES (r.ID); END IF; "
                   "CLOSE c; END;");
    EXPECT_EQ(one(*local, "SELECT ID FROM SEEN"), "2");
    EXPECT_EQ(errorOf(*remote, "SELECT * FROM AUD WHERE ID = 2 FOR UPDATE NOWAIT"), 54);
    local->execute("ROLLBACK");
    EXPECT_EQ(errorOf(*local,
                  "DECLARE CURSOR c IS SELECT * FROM AUD@AUDITLNK FOR UPDATE; r c%ROWTYPE; "
                  "BEGIN OPEN c; FETCH c INTO r; UPDATE EMP SET NAME = 'X' WHERE CURRENT OF c; CLOSE c; END;"),
        3001);
    local->execute("ROLLBACK");
}

// Oracle: a link to the database itself opens a second session there (a loopback link).
TEST_F(LinkTest, LinkToTheSameDatabase)
{
    local->execute("CREATE DATABASE LINK SELF CONNECT TO SYSTEM IDENTIFIED BY MANAGER USING 'DB'");
    EXPECT_EQ(rows(*local, "SELECT l.NAME FROM EMP l, EMP@SELF r WHERE l.ID = r.ID AND r.AUD_ID = 2"),
        (std::vector<std::string> { "JONES" }));
    local->execute("UPDATE EMP@SELF SET NAME = 'WARD' WHERE ID = 30");
    local->commit();
    EXPECT_EQ(one(*local, "SELECT NAME FROM EMP WHERE ID = 30"), "WARD");
}

// Oracle: a statement sent through a link that waits for a row lock gives up after distributed_lock_timeout with
// ORA-02049, also when the lock is the sending session's own (through a link to its own database) rather than
// waiting for ever. The limit is shortened here to keep the test quick.
TEST_F(LinkTest, LoopbackLockWaitEndsWithDistributedTimeout)
{
    local->execute("CREATE DATABASE LINK SELF CONNECT TO SYSTEM IDENTIFIED BY MANAGER USING 'db'");
    EXPECT_EQ(one(*local, "SELECT COUNT(*) FROM EMP@SELF"), "3");
    ASSERT_TRUE(local->state().links);
    for (auto& [key, c] : local->state().links->connections)
        c->session->state().lockWaitLimit = 1;
    local->execute("UPDATE EMP SET NAME = 'HELD' WHERE ID = 10");
    EXPECT_EQ(errorText(*local, "UPDATE EMP@SELF SET NAME = 'OTHER' WHERE ID = 10"),
        "ORA-02049: timeout: distributed transaction waiting for lock\nORA-02063: preceding line from SELF");
    local->rollback();
    EXPECT_EQ(local->execute("UPDATE EMP@SELF SET NAME = 'FREE' WHERE ID = 10").rowsProcessed, 1);
    local->commit();
    EXPECT_EQ(one(*local, "SELECT NAME FROM EMP WHERE ID = 10"), "FREE");
}

// Oracle: cancelling a call also stops the work it waits for on the remote database (ORA-01013). The remote
// statement here waits for a row lock the session itself holds, through a link to its own database.
TEST_F(LinkTest, InterruptReachesTheRemoteSession)
{
    local->execute("CREATE DATABASE LINK SELF CONNECT TO SYSTEM IDENTIFIED BY MANAGER USING 'db'");
    EXPECT_EQ(one(*local, "SELECT COUNT(*) FROM EMP@SELF"), "3");
    local->execute("UPDATE EMP SET NAME = 'HELD' WHERE ID = 10");
    std::atomic<bool> done { false };
    std::thread canceller([&] {
        // The remote call clears its flag when it starts: cancel until the call has returned.
        while (!done) {
            local->interrupt();
            std::this_thread::yield();
        }
    });
    const int code = errorOf(*local, "UPDATE EMP@SELF SET NAME = 'OTHER' WHERE ID = 10");
    done = true;
    canceller.join();
    EXPECT_EQ(code, 1013);
    local->rollback();
}

// Oracle resolves name@link through the remote user's own names: its dictionary views answer through the link.
TEST_F(LinkTest, RemoteDictionaryView)
{
    EXPECT_EQ(rows(*local, "SELECT TABLE_NAME FROM USER_TABLES@AUDITLNK WHERE TABLE_NAME = 'AUD'"),
        (std::vector<std::string> { "AUD" }));
    EXPECT_EQ(rows(*local,
                  "SELECT COLUMN_NAME FROM USER_TAB_COLUMNS@AUDITLNK WHERE TABLE_NAME = 'AUD' ORDER BY "
                  "COLUMN_ID"),
        (std::vector<std::string> { "ID", "NAME", "AT" }));
}

// Oracle's link names: one stored with a domain is found without it; the user's own link comes before a PUBLIC one
// of the same name.
TEST_F(LinkTest, LinkNamesAndPublicLinks)
{
    local->execute("CREATE DATABASE LINK VEXOAUDT.WORLD CONNECT TO SYSTEM IDENTIFIED BY MANAGER USING 'audit'");
    EXPECT_EQ(one(*local, "SELECT COUNT(*) FROM AUD@VEXOAUDT"), "3");
    EXPECT_EQ(one(*local, "SELECT COUNT(*) FROM AUD@VEXOAUDT.WORLD"), "3");
    local->execute("DROP DATABASE LINK VEXOAUDT.WORLD");
    EXPECT_EQ(errorOf(*local, "SELECT COUNT(*) FROM AUD@VEXOAUDT"), 2019);

    local->execute("CREATE PUBLIC DATABASE LINK SHARED CONNECT TO SYSTEM IDENTIFIED BY MANAGER USING 'audit'");
    local->execute("CREATE DATABASE LINK SHARED CONNECT TO SYSTEM IDENTIFIED BY MANAGER USING 'nowhere'");
    EXPECT_EQ(errorOf(*local, "SELECT COUNT(*) FROM AUD@SHARED"), 12154);
    local->execute("DROP DATABASE LINK SHARED");
    EXPECT_EQ(one(*local, "SELECT COUNT(*) FROM AUD@SHARED"), "3");
    local->execute("DROP PUBLIC DATABASE LINK SHARED");
    EXPECT_EQ(errorOf(*local, "SELECT COUNT(*) FROM AUD@SHARED"), 2019);
}

// Oracle's errors: a link is checked when used, not when created (ORA-12154 for a database that cannot be
// resolved, the remote ORA-01017 for a refused logon); ORA-02019 for an unknown link, ORA-02011 for a second link
// of one name, ORA-02024 for dropping what is not there.
TEST_F(LinkTest, Errors)
{
    local->execute("CREATE DATABASE LINK GHOST CONNECT TO SYSTEM IDENTIFIED BY MANAGER USING 'nowhere'");
    local->execute("CREATE DATABASE LINK BADPW CONNECT TO SYSTEM IDENTIFIED BY WRONG USING 'audit'");
    local->execute("CREATE DATABASE LINK CLIMB CONNECT TO SYSTEM IDENTIFIED BY MANAGER USING '../audit'");
    const std::vector<ErrorCase> cases = {
        { "SELECT * FROM AUD@NOSUCH", 2019 },
        { "DELETE FROM AUD@NOSUCH", 2019 },
        { "SELECT * FROM DUAL@GHOST", 12154 },
        { "INSERT INTO AUD@GHOST (ID) VALUES (9)", 12154 },
        { "SELECT * FROM DUAL@CLIMB", 12154 },
        { "SELECT * FROM DUAL@BADPW", 1017 },
        { "CREATE DATABASE LINK AUDITLNK CONNECT TO X IDENTIFIED BY Y USING 'audit'", 2011 },
        { "DROP DATABASE LINK NOSUCH", 2024 },
        { "DROP PUBLIC DATABASE LINK AUDITLNK", 2024 },
        { "SELECT * FROM NOSUCHTABLE@AUDITLNK", 942 },
        { "INSERT INTO AUD@AUDITLNK (ID, NAME) VALUES (1, 'DUP')", 1 },
        { "UPDATE AUD@AUDITLNK SET NOSUCH = 1", 904 },
        { "INSERT INTO AUD@AUDITLNK (ID) VALUES (8) RETURNING ID INTO :X", 22816 },
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(errorOf(*local, c.sql), c.code);
    }
    EXPECT_EQ(errorText(*local, "SELECT * FROM DUAL@BADPW"),
        "ORA-01017: invalid username/password; logon denied\nORA-02063: preceding line from BADPW");
    EXPECT_EQ(errorText(*local, "SELECT * FROM NOSUCHTABLE@AUDITLNK"),
        "ORA-00942: table or view does not exist\nORA-02063: preceding line from AUDITLNK");
    EXPECT_EQ(errorText(*local, "SELECT * FROM DUAL@GHOST"),
        "ORA-12154: TNS:could not resolve the connect identifier specified");
    // The failed remote statements changed nothing there.
    EXPECT_EQ(one(*remote, "SELECT COUNT(*) FROM AUD"), "3");
}

// A remote error's offset points into the statement as written, past the cut-out link names.
TEST_F(LinkTest, RemoteErrorOffsetIsInTheLocalText)
{
    const std::string sql = "UPDATE AUD@AUDITLNK SET NOSUCH = 1";
    try {
        local->execute(sql);
        FAIL() << "no error";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 904);
        EXPECT_EQ(e.offset(), static_cast<int>(sql.find("NOSUCH")));
    }
}

// A statement that changes a remote table but also needs this database (a local table, USER) would run in two
// places: refused openly rather than resolved against the wrong database.
TEST_F(LinkTest, DmlNeedingLocalObjectsIsRefused)
{
    const std::vector<ErrorCase> cases = {
        { "INSERT INTO AUD@AUDITLNK (ID, NAME) SELECT ID, NAME FROM EMP", 3001 },
        { "DELETE FROM AUD@AUDITLNK WHERE ID IN (SELECT AUD_ID FROM EMP)", 3001 },
        { "UPDATE AUD@AUDITLNK SET NAME = USER", 3001 },
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(errorOf(*local, c.sql), c.code);
    }
    // Names that carry the same link all go to the remote side; DUAL is the same everywhere.
    EXPECT_EQ(
        local->execute("INSERT INTO AUD@AUDITLNK (ID, NAME) SELECT MAX(ID) + 1, 'X' FROM AUD@AUDITLNK").rowsProcessed,
        1);
    EXPECT_EQ(local->execute("INSERT INTO AUD@AUDITLNK (ID, NAME) SELECT 50, 'Y' FROM DUAL").rowsProcessed, 1);
    local->rollback();
    // Inside PL/SQL the change is not sent on: refused, after the link itself was checked.
    EXPECT_NE(errorText(*local, "BEGIN DELETE FROM AUD@NOSUCH; END;").find("ORA-02019"), std::string::npos);
    EXPECT_NE(errorText(*local, "BEGIN DELETE FROM AUD@AUDITLNK; END;").find("ORA-03001"), std::string::npos);
    EXPECT_EQ(one(*remote, "SELECT COUNT(*) FROM AUD"), "3");
}

// Oracle: seq.NEXTVAL@link takes the next number of the remote sequence, and CURRVAL@link is the remote session's
// current value; a sequence of that name in this database is not touched.
TEST_F(LinkTest, RemoteSequence)
{
    remote->execute("CREATE SEQUENCE AUD_SEQ START WITH 100");
    local->execute("CREATE SEQUENCE AUD_SEQ START WITH 1");
    EXPECT_EQ(one(*local, "SELECT AUD_SEQ.NEXTVAL@AUDITLNK FROM DUAL"), "100");
    EXPECT_EQ(one(*local, "SELECT SYSTEM.AUD_SEQ.NEXTVAL@AUDITLNK FROM DUAL"), "101");
    EXPECT_EQ(one(*local, "SELECT AUD_SEQ.CURRVAL@AUDITLNK FROM DUAL"), "101");
    local->execute("INSERT INTO EMP (ID, NAME) VALUES (AUD_SEQ.NEXTVAL@AUDITLNK, 'SEQ')");
    EXPECT_EQ(one(*local, "SELECT ID FROM EMP WHERE NAME = 'SEQ'"), "102");
    EXPECT_EQ(one(*local, "SELECT AUD_SEQ.NEXTVAL FROM DUAL"), "1");
    EXPECT_EQ(errorOf(*local, "SELECT NOSUCH_SEQ.NEXTVAL@AUDITLNK FROM DUAL"), 2289);
    EXPECT_EQ(errorOf(*local, "SELECT AUD_SEQ.NEXTVAL@NOSUCH FROM DUAL"), 2019);
}

} // namespace

// Key locks: a unique or primary key that an open transaction removed or added stays its own until it ends.
// Oracle (unique index maintenance under concurrency): a session whose INSERT or UPDATE would add such a key waits
// for the other transaction; if that one rolls back it gets ORA-00001 (or succeeds when the key is free again), if
// it commits it succeeds (or gets ORA-00001). A rollback puts back only what its own transaction changed, so a row
// another session committed is never lost to it.
#include "two_sessions.h"

using enginetest::SessionThreads;

namespace {

class KeyLockTest : public SessionThreads {
protected:
    std::unique_ptr<engine::Session> a, b;
    void SetUp() override
    {
        SessionThreads::SetUp();
        a = logOn();
        b = logOn();
        a->execute("CREATE TABLE t (id NUMBER PRIMARY KEY, name VARCHAR2(10) UNIQUE, v NUMBER)");
        a->execute("INSERT INTO t VALUES (1, 'one', 0)");
        a->execute("INSERT INTO t VALUES (2, 'two', 0)");
        a->commit();
    }
    std::vector<std::string> table() { return rows(*a, "SELECT id, name FROM t ORDER BY id"); }
};

struct WaitCase {
    const char* name;
    std::vector<std::string> first; // what session A does and leaves open
    const char* second; // B's statement, which waits for A
    bool commit; // how A ends
    int code; // B's outcome
    std::vector<std::string> after; // the table once B commits
};

} // namespace

TEST_F(KeyLockTest, AStatementThatWouldAddAKeyOfAnOpenTransactionWaitsForIt)
{
    const std::vector<WaitCase> cases = {
        { "unique name updated away, rolled back", { "UPDATE t SET name = 'uno' WHERE id = 1" },
            "INSERT INTO t VALUES (9, 'one', 0)", false, 1, { "1 one", "2 two" } },
        { "unique name updated away, committed", { "UPDATE t SET name = 'uno' WHERE id = 1" },
            "INSERT INTO t VALUES (9, 'one', 0)", true, 0, { "1 uno", "2 two", "9 one" } },
        { "row deleted, rolled back", { "DELETE FROM t WHERE id = 1" }, "INSERT INTO t VALUES (1, 'uno', 0)", false, 1,
            { "1 one", "2 two" } },
        { "row deleted, committed", { "DELETE FROM t WHERE id = 1" }, "INSERT INTO t VALUES (1, 'uno', 0)", true, 0,
            { "1 uno", "2 two" } },
        { "primary key changed, rolled back", { "UPDATE t SET id = 5 WHERE id = 1" },
            "INSERT INTO t VALUES (1, 'eins', 0)", false, 1, { "1 one", "2 two" } },
        { "primary key changed, committed", { "UPDATE t SET id = 5 WHERE id = 1" },
            "INSERT INTO t VALUES (1, 'eins', 0)", true, 0, { "1 eins", "2 two", "5 one" } },
        { "uncommitted insert, rolled back", { "INSERT INTO t VALUES (3, 'three', 0)" },
            "INSERT INTO t VALUES (3, 'drei', 0)", false, 0, { "1 one", "2 two", "3 drei" } },
        { "uncommitted insert, committed", { "INSERT INTO t VALUES (3, 'three', 0)" },
            "INSERT INTO t VALUES (3, 'drei', 0)", true, 1, { "1 one", "2 two", "3 three" } },
        { "uncommitted unique value, rolled back", { "INSERT INTO t VALUES (3, 'three', 0)" },
            "INSERT INTO t VALUES (4, 'three', 0)", false, 0, { "1 one", "2 two", "4 three" } },
        { "key deleted and inserted again, rolled back",
            { "DELETE FROM t WHERE id = 1", "INSERT INTO t VALUES (1, 'neu', 0)" }, "INSERT INTO t VALUES (1, 'x', 0)",
            false, 1, { "1 one", "2 two" } },
        { "key deleted and inserted again, committed",
            { "DELETE FROM t WHERE id = 1", "INSERT INTO t VALUES (1, 'neu', 0)" }, "INSERT INTO t VALUES (1, 'x', 0)",
            true, 1, { "1 neu", "2 two" } },
        { "update of another row onto a removed key, rolled back", { "UPDATE t SET name = 'uno' WHERE id = 1" },
            "UPDATE t SET name = 'one' WHERE id = 2", false, 1, { "1 one", "2 two" } },
        { "update of another row onto a removed key, committed", { "UPDATE t SET name = 'uno' WHERE id = 1" },
            "UPDATE t SET name = 'one' WHERE id = 2", true, 0, { "1 uno", "2 one" } },
        { "update of another row onto an added key, rolled back", { "INSERT INTO t VALUES (3, 'three', 0)" },
            "UPDATE t SET name = 'three' WHERE id = 2", false, 0, { "1 one", "2 three" } },
        // Keys are checked when the statement ends: its rows may pass through duplicates of each other on the way.
        { "keys shifted onto an added key, rolled back", { "INSERT INTO t VALUES (3, 'three', 0)" },
            "UPDATE t SET id = id + 1 WHERE id < 3", false, 0, { "2 one", "3 two" } },
        { "keys shifted onto an added key, committed", { "INSERT INTO t VALUES (3, 'three', 0)" },
            "UPDATE t SET id = id + 1 WHERE id < 3", true, 1, { "1 one", "2 two", "3 three" } },
    };
    for (const WaitCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& sql : c.first)
            a->execute(sql);
        auto f = start(*b, c.second);
        EXPECT_TRUE(waitsForLock(*b, f));
        if (c.commit)
            a->commit();
        else
            a->rollback();
        EXPECT_EQ(f.get(), c.code);
        b->commit();
        EXPECT_EQ(table(), c.after);
        // Back to the two rows for the next case.
        a->execute("DELETE FROM t");
        a->execute("INSERT INTO t VALUES (1, 'one', 0)");
        a->execute("INSERT INTO t VALUES (2, 'two', 0)");
        a->commit();
    }
}

TEST_F(KeyLockTest, ACommittedKeyFailsAtOnceEvenOnARowAnotherSessionLocked)
{
    // Oracle: a change of other columns, or a row lock alone, leaves the key as committed: ORA-00001 without a wait.
    const std::vector<std::pair<const char*, const char*>> cases = {
        { "other column updated", "UPDATE t SET v = 7 WHERE id = 1" },
        { "row locked", "SELECT * FROM t WHERE id = 1 FOR UPDATE" },
        { "key set to itself", "UPDATE t SET name = 'one' WHERE id = 1" },
    };
    for (const auto& [name, first] : cases) {
        SCOPED_TRACE(name);
        a->execute(first);
        EXPECT_EQ(withoutWaiting(*b, "INSERT INTO t VALUES (1, 'uno', 0)", [&] { a->rollback(); }), 1);
        a->execute(first);
        EXPECT_EQ(withoutWaiting(*b, "INSERT INTO t VALUES (7, 'one', 0)", [&] { a->rollback(); }), 1);
        a->rollback();
    }
}

TEST_F(KeyLockTest, ARollbackNeverDeletesARowAnotherSessionCommitted)
{
    // The case of the report: A renames 'one' and B inserts a new 'one'. Had B not waited, it would commit its row
    // and a child of it, and A's rollback would put its old 'one' back in their place. Whatever B got to commit
    // must survive A's rollback.
    a->execute("CREATE TABLE c (id NUMBER PRIMARY KEY, parent NUMBER REFERENCES t)");
    a->commit();
    a->execute("UPDATE t SET name = 'uno' WHERE id = 1");
    auto f = start(*b, "INSERT INTO t VALUES (9, 'one', 0)");
    const bool waited = waitsForLock(*b, f);
    EXPECT_TRUE(waited);
    int code = -1;
    if (!waited) {
        code = f.get();
        if (code == 0) {
            b->execute("INSERT INTO c VALUES (1, 9)");
            b->commit();
        }
    }
    a->rollback();
    if (waited)
        code = f.get();
    EXPECT_EQ(code, 1);
    b->commit();
    std::vector<std::string> expected { "1 one", "2 two" };
    if (code == 0)
        expected.push_back("9 one");
    EXPECT_EQ(table(), expected);
    EXPECT_EQ(one(*a, "SELECT count(*) FROM c WHERE parent NOT IN (SELECT id FROM t)"), "0");
}

TEST_F(KeyLockTest, KeyWaitsEndAsRowWaitsDo)
{
    // Oracle: a cycle of waits, through keys as through rows, fails the statement that would close it with
    // ORA-00060; a cancelled wait fails with ORA-01013. The transaction goes on either way.
    a->execute("UPDATE t SET name = 'uno' WHERE id = 1");
    b->execute("UPDATE t SET name = 'dos' WHERE id = 2");
    auto f = start(*a, "INSERT INTO t VALUES (8, 'two', 0)");
    EXPECT_TRUE(waitsForLock(*a, f));
    EXPECT_EQ(errorOf(*b, "INSERT INTO t VALUES (9, 'one', 0)"), 60);
    EXPECT_TRUE(b->inTransaction());
    auto c = logOn();
    auto g = start(*c, "INSERT INTO t VALUES (9, 'one', 0)");
    EXPECT_TRUE(waitsForLock(*c, g));
    c->interrupt();
    EXPECT_EQ(g.get(), 1013);
    b->rollback();
    EXPECT_EQ(f.get(), 1);
    a->rollback();
    EXPECT_EQ(table(), (std::vector<std::string> { "1 one", "2 two" }));
}

TEST_F(KeyLockTest, KeysAreReleasedAtRollbackToSavepoint)
{
    // Oracle: ROLLBACK TO SAVEPOINT ends the locks taken after it, the key's too.
    a->execute("SAVEPOINT sp");
    a->execute("UPDATE t SET name = 'uno' WHERE id = 1");
    a->execute("ROLLBACK TO SAVEPOINT sp");
    EXPECT_EQ(withoutWaiting(*b, "INSERT INTO t VALUES (9, 'one', 0)", [&] { a->rollback(); }), 1);
    a->rollback();
}

TEST_F(KeyLockTest, TheLastRowDeletedDoesNotBlockAnUnrelatedInsert)
{
    // Oracle: an insert never waits for a row another transaction deleted; the deleted row comes back at its
    // rollback under its own ROWID, beside the new one.
    std::string rowid = one(*a, "SELECT ROWID FROM t WHERE id = 2");
    a->execute("DELETE FROM t WHERE id = 2");
    ASSERT_EQ(withoutWaiting(*b, "INSERT INTO t VALUES (7, 'seven', 0)", [&] { a->rollback(); }), 0);
    EXPECT_NE(one(*b, "SELECT ROWID FROM t WHERE id = 7"), rowid);
    b->commit();
    a->rollback();
    EXPECT_EQ(table(), (std::vector<std::string> { "1 one", "2 two", "7 seven" }));
    EXPECT_EQ(one(*a, "SELECT ROWID FROM t WHERE id = 2"), rowid);
    // An INSERT that reads its own table waits instead, as it would read the number's placeholder.
    a->execute("DELETE FROM t WHERE id = 7");
    auto f = start(*b, "INSERT INTO t SELECT id + 100, name || 'x', v FROM t WHERE id = 1");
    EXPECT_TRUE(waitsForLock(*b, f));
    a->rollback();
    EXPECT_EQ(f.get(), 0);
    b->commit();
    EXPECT_EQ(table(), (std::vector<std::string> { "1 one", "2 two", "7 seven", "101 onex" }));
}

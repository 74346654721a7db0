// Transactions: undo journal, COMMIT/ROLLBACK, savepoints, statement atomicity, implicit commit around DDL,
// inTransaction(), recovery of a process killed mid-transaction, and the statement cache.
#include "engine/exec/prepared_pool.h"
#include "engine/exec/statement_cache.h"
#include "engine/session/session_state.h"
#include "engine_fixture.h"

#include <sys/wait.h>
#include <unistd.h>

using enginetest::EngineTest;

namespace {

class TransactionTest : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        s->execute("CREATE TABLE t (id NUMBER PRIMARY KEY, v VARCHAR2(20))");
        s->execute("INSERT INTO t VALUES (1, 'one')");
        s->execute("INSERT INTO t VALUES (2, 'two')");
        s->commit();
    }
    std::vector<std::string> all() { return rows(*s, "SELECT id, v FROM t ORDER BY id"); }
};

} // namespace

TEST_F(TransactionTest, RollbackUndoesInsertUpdateDeleteInReverse)
{
    // Oracle: ROLLBACK restores every row the transaction changed, whatever the order of the changes.
    s->execute("INSERT INTO t VALUES (3, 'three')");
    s->execute("UPDATE t SET v = 'uno' WHERE id = 1");
    s->execute("DELETE FROM t WHERE id = 2");
    s->execute("UPDATE t SET v = 'tres' WHERE id = 3");
    EXPECT_EQ(all(), (std::vector<std::string> { "1 uno", "3 tres" }));
    s->rollback();
    EXPECT_EQ(all(), (std::vector<std::string> { "1 one", "2 two" }));
}

TEST_F(TransactionTest, CommitKeepsChangesAndRollbackAfterItChangesNothing)
{
    s->execute("UPDATE t SET v = 'x' WHERE id = 1");
    s->commit();
    s->rollback();
    EXPECT_EQ(all(), (std::vector<std::string> { "1 x", "2 two" }));
}

TEST_F(TransactionTest, SavepointsRollBackToTheirPoint)
{
    // Oracle: ROLLBACK TO SAVEPOINT undoes what came after it and keeps the transaction open; later savepoints go.
    s->execute("UPDATE t SET v = 'a' WHERE id = 1");
    s->execute("SAVEPOINT s1");
    s->execute("UPDATE t SET v = 'b' WHERE id = 1");
    s->execute("SAVEPOINT s2");
    s->execute("DELETE FROM t");
    s->execute("ROLLBACK TO SAVEPOINT s2");
    EXPECT_EQ(all(), (std::vector<std::string> { "1 b", "2 two" }));
    s->execute("ROLLBACK TO s1");
    EXPECT_EQ(all(), (std::vector<std::string> { "1 a", "2 two" }));
    EXPECT_TRUE(s->inTransaction());
    EXPECT_EQ(errorOf(*s, "ROLLBACK TO s2"), 1086);
    s->rollback();
    EXPECT_EQ(all(), (std::vector<std::string> { "1 one", "2 two" }));
}

TEST_F(TransactionTest, FailedStatementUndoesOnlyItsOwnChanges)
{
    // Oracle: statement-level atomicity. The UPDATE hits a duplicate key on its second row; its first row's change
    // goes too, the earlier INSERT of the transaction stays.
    s->execute("INSERT INTO t VALUES (10, 'ten')");
    EXPECT_EQ(errorOf(*s, "UPDATE t SET id = 10 WHERE id IN (1, 2)"), 1);
    EXPECT_EQ(all(), (std::vector<std::string> { "1 one", "2 two", "10 ten" }));
    EXPECT_TRUE(s->inTransaction());
    s->rollback();
    EXPECT_EQ(all(), (std::vector<std::string> { "1 one", "2 two" }));
}

TEST_F(TransactionTest, InTransactionAsOracleSaysIt)
{
    struct Step {
        const char* sql;
        bool after;
    };
    const Step steps[] = {
        { "SELECT * FROM t", false }, { "UPDATE t SET v = v WHERE id = 1", true }, { "SELECT * FROM t", true },
        { "COMMIT", false }, { "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD'", false },
        { "SELECT * FROM t FOR UPDATE", true }, { "ROLLBACK", false }, { "LOCK TABLE t IN SHARE MODE", true },
        { "COMMIT", false }, { "SET TRANSACTION READ ONLY", true }, { "ROLLBACK", false },
        { "INSERT INTO t VALUES (5, 'five')", true }, { "CREATE TABLE u (a NUMBER)", false }, // DDL commits
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(st.sql);
        s->execute(st.sql);
        EXPECT_EQ(s->inTransaction(), st.after);
    }
    // The INSERT before the DDL was committed by it.
    s->rollback();
    EXPECT_EQ(one(*s, "SELECT count(*) FROM t"), "3");
}

TEST_F(TransactionTest, DdlCommitsEvenWhenItFails)
{
    s->execute("INSERT INTO t VALUES (3, 'three')");
    EXPECT_EQ(errorOf(*s, "CREATE TABLE t (a NUMBER)"), 955);
    s->rollback();
    EXPECT_EQ(one(*s, "SELECT count(*) FROM t"), "3");
}

TEST_F(TransactionTest, ReadOnlyTransactionRefusesDml)
{
    s->execute("SET TRANSACTION READ ONLY");
    EXPECT_EQ(errorOf(*s, "DELETE FROM t"), 1456);
    EXPECT_EQ(errorOf(*s, "SET TRANSACTION READ WRITE"), 1453);
    s->commit();
    EXPECT_EQ(errorOf(*s, "DELETE FROM t WHERE id = 2"), 0);
}

TEST_F(TransactionTest, LargeTransactionSpillsUndoAndStillRollsBack)
{
    // Records go to UNDO$ past a size limit (megabytes); a small one here makes these rows cross it.
    s->state().undo->setSpillLimit(64 * 1024);
    std::vector<engine::Bind> b(2);
    b[0].name = "1";
    b[1].name = "2";
    for (int i = 100; i < 30100; ++i) {
        b[0].value = engine::Value::fromInt(i);
        b[1].value = engine::Value::fromText("v");
        s->execute("INSERT INTO t VALUES (:1, :2)", b);
    }
    s->execute("UPDATE t SET v = 'w'");
    EXPECT_TRUE(s->state().undo->hasPersisted());
    s->rollback();
    EXPECT_EQ(all(), (std::vector<std::string> { "1 one", "2 two" }));
}

// A cancel that reaches the connection while ROLLBACK puts rows back (a user pressing Stop again while a
// cancelled call undoes its work) must not leave the transaction half undone: Oracle's rollback always completes.
// The progress handler stands in for the cancel, stopping the undo's statement at its n-th check; the undo is
// held in memory, or spilled to UNDO$ where it must not apply a record twice when it goes on.
TEST_F(TransactionTest, CancelDuringRollbackStillUndoesEverything)
{
    struct Case {
        size_t spillLimit;
        int stopAtCheck;
    };
    for (const Case& c : { Case { 0, 1 }, Case { 0, 7 }, Case { 64 * 1024, 1 }, Case { 64 * 1024, 40 } }) {
        SCOPED_TRACE("spill limit " + std::to_string(c.spillLimit) + ", stop at check " + std::to_string(c.stopAtCheck));
        if (c.spillLimit)
            s->state().undo->setSpillLimit(c.spillLimit);
        std::vector<engine::Bind> b(1);
        b[0].name = "1";
        for (int i = 100; i < 3100; ++i) {
            b[0].value = engine::Value::fromInt(i);
            s->execute("INSERT INTO t VALUES (:1, 'v')", b);
        }
        s->execute("UPDATE t SET v = 'w'");
        s->execute("DELETE FROM t WHERE id < 100");
        if (c.spillLimit) {
            EXPECT_TRUE(s->state().undo->hasPersisted());
        }
        struct Stop {
            int left;
        } stop { c.stopAtCheck };
        sqlite3_progress_handler(
            s->state().conn, 100, [](void* p) { return --static_cast<Stop*>(p)->left == 0 ? 1 : 0; }, &stop);
        EXPECT_NO_THROW(s->rollback());
        sqlite3_progress_handler(s->state().conn, 0, nullptr, nullptr);
        EXPECT_LE(stop.left, 0); // the cancel did reach the undo
        EXPECT_EQ(all(), (std::vector<std::string> { "1 one", "2 two" }));
        EXPECT_FALSE(s->inTransaction());
    }
}

TEST_F(TransactionTest, ChangesOfAnotherSessionThatWroteMeanwhileSurviveRollback)
{
    // Two sessions write in turn: each one's SQLite transaction is committed when the other needs to write, and
    // the first one's ROLLBACK still undoes exactly its own rows.
    auto other = logOn();
    s->execute("INSERT INTO t VALUES (3, 'mine')");
    other->execute("INSERT INTO t VALUES (4, 'theirs')");
    s->execute("UPDATE t SET v = 'mine too' WHERE id = 1");
    other->commit();
    s->rollback();
    EXPECT_EQ(all(), (std::vector<std::string> { "1 one", "2 two", "4 theirs" }));
}

TEST_F(TransactionTest, StatementRunAgainIsNotParsedAgain)
{
    auto& cache = *s->state().cache;
    int64_t before = cache.misses();
    std::vector<engine::Bind> b(1);
    b[0].name = "ID";
    for (int i = 1; i <= 2; ++i) {
        b[0].value = engine::Value::fromInt(i);
        EXPECT_EQ(rows(*s, "SELECT v FROM t WHERE id = :id", b).size(), 1u);
    }
    EXPECT_EQ(cache.misses(), before + 1);
    // A DDL makes the translation be checked again.
    s->execute("CREATE TABLE other (a NUMBER)");
    rows(*s, "SELECT v FROM t WHERE id = :id", b);
    EXPECT_EQ(cache.misses(), before + 2);
}

TEST_F(TransactionTest, KeyedUpdateRunAgainPreparesNothingUntilDdl)
{
    // The engine's own statements of a keyed UPDATE (the rows it locks, its restricted form, the key check's row
    // read) are prepared once per session; after DDL (here another session's, which may have changed what their
    // texts name) they are prepared again, and the statement still does what Oracle does.
    auto& pool = *s->state().prepared;
    std::vector<engine::Bind> b(2);
    b[0].name = "V";
    b[1].name = "ID";
    auto update = [&](int id, const char* v) {
        b[0].value = engine::Value::fromText(v);
        b[1].value = engine::Value::fromInt(id);
        return s->execute("UPDATE t SET v = :v WHERE id = :id", b).rowsProcessed;
    };
    EXPECT_EQ(update(1, "uno"), 1);
    const int64_t prepared = pool.prepared();
    EXPECT_GT(prepared, 0);
    EXPECT_EQ(update(2, "dos"), 1);
    EXPECT_EQ(update(3, "none"), 0);
    EXPECT_EQ(pool.prepared(), prepared);
    s->commit();

    auto other = logOn();
    other->execute("ALTER TABLE t ADD (code VARCHAR2(5))");
    other->execute("UPDATE t SET code = 'c' || id");
    other->commit();
    other->execute("CREATE UNIQUE INDEX t_code ON t (code)");
    EXPECT_EQ(update(1, "one"), 1);
    EXPECT_GT(pool.prepared(), prepared);
    EXPECT_EQ(all(), (std::vector<std::string> { "1 one", "2 dos" }));
    // The key check reads the row with its new column: a key of the new index is still enforced.
    EXPECT_EQ(enginetest::codeOf([&] { s->execute("UPDATE t SET code = 'c2' WHERE id = 1"); }), 1);
    s->rollback();
    EXPECT_EQ(all(), (std::vector<std::string> { "1 uno", "2 dos" }));
}

TEST_F(EngineTest, KilledProcessLosesNothingCommittedAndItsOpenTransactionIsUndone)
{
    {
        auto s = logOn();
        s->execute("CREATE TABLE t (id NUMBER PRIMARY KEY, v VARCHAR2(20))");
        s->execute("INSERT INTO t VALUES (1, 'before')");
        s->commit();
    }
    db.reset();
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // The child commits some work, then changes more without committing, with a second session whose SQLite
        // transaction is forced to commit (so undo records reach the file), and is killed mid-transaction.
        auto d = engine::Database::open(dir());
        auto a = d->logOn("SYSTEM", "MANAGER", false);
        auto b = d->logOn("SYSTEM", "MANAGER", false);
        a->execute("INSERT INTO t VALUES (2, 'committed')");
        a->commit();
        a->execute("UPDATE t SET v = 'uncommitted' WHERE id = 1");
        a->execute("INSERT INTO t VALUES (3, 'uncommitted')");
        b->execute("INSERT INTO t VALUES (4, 'uncommitted too')");
        a->execute("DELETE FROM t WHERE id = 2");
        char c = 'x';
        if (write(ready[1], &c, 1) != 1)
            _exit(2);
        for (;;)
            pause();
    }
    close(ready[1]);
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(ready[0]);
    ASSERT_TRUE(WIFSIGNALED(status));
    db = engine::Database::open(dir());
    auto s = logOn();
    EXPECT_EQ(rows(*s, "SELECT id, v FROM t ORDER BY id"), (std::vector<std::string> { "1 before", "2 committed" }));
}

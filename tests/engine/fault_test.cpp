// A disk that fills up under the engine. Oracle keeps a transaction whole: a COMMIT that could not be written
// either leaves the transaction as it was (to be committed again or rolled back) or ends it with ORA-02091
// "transaction rolled back"; never does half of it reach the file. Each case runs in a child process with a file
// system that fails writes on demand, and ends it as a crash would, without closing anything; the parent then
// opens the database and finds only what was committed.
#include "child_process.h"
#include "engine_fixture.h"
#include "failing_disk.h"

using enginetest::ChildOutcome;
using enginetest::codeOf;
using enginetest::EngineTest;
using enginetest::FailingDisk;

namespace {

class FaultTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        auto s = logOn();
        s->execute("CREATE TABLE t (id NUMBER PRIMARY KEY, who VARCHAR2(10))");
        s->execute("INSERT INTO t VALUES (1, 'before')");
        s->commit();
        s.reset();
        db.reset();
    }

    // Runs the scenario in a child on the failing disk; the child reports what it saw and then ends abruptly.
    ChildOutcome inChild(const std::function<std::string(engine::Session& a, engine::Session& b)>& scenario)
    {
        return enginetest::runInChild([&] {
            FailingDisk::install();
            auto d = engine::Database::open(dir());
            // As a crash: the sessions are never closed, so nothing is rolled back on the way out (the child
            // ends with _exit).
            engine::Session* a = d->logOn("SYSTEM", "MANAGER", false).release();
            engine::Session* b = d->logOn("SYSTEM", "MANAGER", false).release();
            return scenario(*a, *b);
        });
    }

    // A's transaction, half in the file and half in SQLite's open transaction: B's write commits SQLite's
    // transaction for A's first statement, with its undo; the second stays open.
    static void spread(engine::Session& a, engine::Session& b)
    {
        a.execute("INSERT INTO t VALUES (2, 'a')");
        b.execute("INSERT INTO t VALUES (10, 'b')");
        b.commit();
        a.execute("INSERT INTO t VALUES (3, 'a')");
    }

    std::vector<std::string> afterRestart()
    {
        db = engine::Database::open(dir());
        auto s = logOn();
        return rows(*s, "SELECT id, who FROM t ORDER BY id");
    }
};


} // namespace

TEST_F(FaultTest, ACommitThatCannotBeWrittenLeavesNoHalfTransaction)
{
    ChildOutcome end = inChild([](engine::Session& a, engine::Session& b) {
        spread(a, b);
        FailingDisk::failWrites() = true;
        int commit = codeOf([&] { a.commit(); });
        std::string state = a.inTransaction() ? "open" : "ended";
        // The rest could not be rolled back on the full disk either: it stays undoable, and the next call, with
        // room on the disk again, ends it.
        FailingDisk::failWrites() = false;
        int next = codeOf([&] { a.execute("INSERT INTO t VALUES (4, 'a')"); });
        // Whatever A does next, its failed transaction never commits.
        a.rollback();
        a.execute("INSERT INTO t VALUES (5, 'a')");
        b.execute("INSERT INTO t VALUES (11, 'b')");
        b.commit();
        return std::to_string(commit) + " " + state + " " + std::to_string(next);
    });
    ASSERT_TRUE(end.exitedNormally);
    // Oracle: a commit that fails ends the transaction, saying it was rolled back. Here the commit fails on the
    // full disk, where the rest cannot be rolled back either, and the next call ends the transaction.
    EXPECT_EQ(end.output, "1653 open 2091") << end.output;
    EXPECT_EQ(afterRestart(), (std::vector<std::string> { "1 before", "10 b", "11 b" }));
}

TEST_F(FaultTest, AnotherSessionsCommitFailingOnAFullDiskEndsTheTransactionItCarried)
{
    ChildOutcome end = inChild([](engine::Session& a, engine::Session& b) {
        spread(a, b);
        // B's statement first commits the SQLite transaction A left open; on a full disk that fails.
        FailingDisk::failWrites() = true;
        int write = codeOf([&] {
            b.execute("INSERT INTO t VALUES (11, 'b')");
            b.commit();
        });
        FailingDisk::failWrites() = false;
        b.rollback();
        // A learns at its next call that its transaction is gone, and nothing of it stays.
        int next = codeOf([&] { a.execute("INSERT INTO t VALUES (4, 'a')"); });
        std::string said = std::to_string(write > 0) + " " + std::to_string(next) + " "
            + (a.inTransaction() ? "open" : "ended");
        a.execute("INSERT INTO t VALUES (5, 'a')");
        b.execute("INSERT INTO t VALUES (12, 'b')");
        b.commit();
        return said;
    });
    ASSERT_TRUE(end.exitedNormally);
    EXPECT_EQ(end.output, "1 2091 ended");
    EXPECT_EQ(afterRestart(), (std::vector<std::string> { "1 before", "10 b", "12 b" }));
}

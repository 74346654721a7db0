// Killing the process again and again in the middle of transactions. Oracle: after a crash, instance recovery keeps
// every committed transaction and rolls back every other, whole. A child process runs sessions on several threads
// (bank_workload.h) and reports each commit that returned; the parent kills it with SIGKILL at some point, opens
// the database (recovery) and checks it, then starts the next child on the same files.
#include "bank_workload.h"
#include "engine/storage/database_state.h"
#include "engine_fixture.h"

#include <atomic>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using enginetest::EngineTest;

namespace {

constexpr int kThreads = 3;

// The child: sessions on threads running transactions until it is killed; each commit is written to out.
[[noreturn]] void work(const std::string& dir, int round, int out)
{
    auto d = engine::Database::open(dir);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            auto s = d->logOn("SYSTEM", "MANAGER", false);
            std::mt19937 rng(static_cast<unsigned>(round * 100 + t));
            for (int64_t k = 0;; ++k) {
                int64_t txn = (static_cast<int64_t>(round) * kThreads + t) * 1000000 + k;
                if (enginetest::bank::transaction(*s, rng, txn, false) != enginetest::bank::Outcome::Committed)
                    continue;
                std::string line = std::to_string(txn) + "\n";
                if (write(out, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
                    _exit(3);
            }
        });
    for (auto& t : threads)
        t.join();
    _exit(0);
}

} // namespace

TEST_F(EngineTest, KilledAgainAndAgainTheDatabaseKeepsEveryCommittedTransactionAndNoOther)
{
    {
        auto s = logOn();
        enginetest::bank::create(*s);
    }
    db.reset();
    std::set<int64_t> committed;
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(out[0]);
            work(dir(), round, out[1]);
        }
        close(out[1]);
        // Killed after a number of commits that differs from round to round, wherever its threads then are.
        const size_t target = committed.size() + 10 + static_cast<size_t>(round) * 7;
        std::string pending;
        bool stalled = false;
        while (committed.size() < target) {
            pollfd p { out[0], POLLIN, 0 };
            if (poll(&p, 1, 60000) <= 0) {
                stalled = true;
                break;
            }
            char buf[256];
            ssize_t n = read(out[0], buf, sizeof buf);
            if (n <= 0) {
                stalled = true;
                break;
            }
            pending.append(buf, static_cast<size_t>(n));
            for (size_t eol; (eol = pending.find('\n')) != std::string::npos; pending.erase(0, eol + 1))
                committed.insert(std::stoll(pending.substr(0, eol)));
        }
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        // Commits that returned before the kill but whose report was still in the pipe.
        char buf[4096];
        for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;)
            pending.append(buf, static_cast<size_t>(n));
        for (size_t eol; (eol = pending.find('\n')) != std::string::npos; pending.erase(0, eol + 1))
            committed.insert(std::stoll(pending.substr(0, eol)));
        close(out[0]);
        ASSERT_FALSE(stalled) << "the sessions stopped committing";
        ASSERT_TRUE(WIFSIGNALED(status));
        db = engine::Database::open(dir());
        auto s = logOn();
        EXPECT_EQ(enginetest::bank::check(*s, committed), std::vector<std::string> {});
        s.reset();
        db.reset();
    }
}

TEST_F(EngineTest, RecoveryNeverDeletesARowAnotherSessionCommitted)
{
    // A renames the unique 'one' and the process dies before A ends. B's insert of a new 'one' waits for A (as on
    // Oracle); had it been let through and committed, recovery must still keep it. Either way 'one' is A's row again.
    {
        auto s = logOn();
        s->execute("CREATE TABLE t (id NUMBER PRIMARY KEY, name VARCHAR2(10) UNIQUE)");
        s->execute("INSERT INTO t VALUES (1, 'one')");
        s->commit();
    }
    db.reset();
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(out[0]);
        auto d = engine::Database::open(dir());
        auto a = d->logOn("SYSTEM", "MANAGER", false);
        auto b = d->logOn("SYSTEM", "MANAGER", false);
        a->execute("UPDATE t SET name = 'uno' WHERE id = 1");
        std::atomic<bool> committed { false };
        std::thread other([&] {
            b->execute("INSERT INTO t VALUES (9, 'one')");
            b->commit();
            committed = true;
        });
        // Tell the parent once B waits for A, or once B committed.
        for (;;) {
            if (committed || d->state().locks.snapshot().waitsFor.count(b->sessionId()))
                break;
            std::this_thread::yield();
        }
        char c = committed ? 'c' : 'w';
        if (write(out[1], &c, 1) != 1)
            _exit(2);
        for (;;)
            pause();
    }
    close(out[1]);
    char c = 0;
    ASSERT_EQ(read(out[0], &c, 1), 1);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(out[0]);
    EXPECT_EQ(c, 'w');
    db = engine::Database::open(dir());
    auto s = logOn();
    std::vector<std::string> expected { "1 one" };
    if (c == 'c')
        expected.push_back("9 one");
    EXPECT_EQ(rows(*s, "SELECT id, name FROM t ORDER BY id"), expected);
}

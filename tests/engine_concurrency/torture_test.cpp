// Many sessions at once on the same rows and keys, for a bounded number of transactions.
// Oracle: transactions that lock rows in one order never deadlock (ORA-00060 only for a real cycle of waits); no
// committed change is lost and no rolled-back one stays, however the sessions interleave.
#include "engine/bank_workload.h"
#include "engine/locks/lock_manager.h"
#include "two_sessions.h"

#include <map>
#include <mutex>
#include <random>
#include <thread>

using enginetest::SessionThreads;

TEST(LockManagerContention, LocksTakenInAscendingOrderNeverDeadlock)
{
    // Each transaction locks some of four rows, always in ascending order. A session woken from a wait stays in
    // the wait list until it runs again; a cycle check that followed that stale entry saw a cycle where there was
    // none (one holder ends, starts again and asks for a row of a session that waited for it).
    engine::locks::LockManager locks;
    constexpr int kThreads = 6;
    constexpr int kTransactions = 300;
    std::atomic<int> deadlocks { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            const int64_t session = t + 1;
            engine::locks::WaitPolicy policy;
            std::mt19937 rng(static_cast<unsigned>(t));
            for (int k = 0; k < kTransactions; ++k) {
                try {
                    for (int64_t row = 1; row <= 4; ++row)
                        if (rng() % 2)
                            locks.lockRows(session, 7, { row }, policy);
                } catch (const engine::Error& e) {
                    if (e.code() == 60)
                        ++deadlocks;
                }
                locks.releaseAll(session);
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(deadlocks.load(), 0);
}

TEST_F(SessionThreads, SessionsWorkingAtOnceLoseNothingAndNeverDeadlockInOrder)
{
    {
        auto s = logOn();
        enginetest::bank::create(*s);
    }
    constexpr int kThreads = 4;
    constexpr int kTransactions = 40;
    std::mutex mutex;
    std::set<int64_t> committed;
    std::map<int, int> failures; // ORA code -> how many
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            auto s = logOn();
            std::mt19937 rng(static_cast<unsigned>(t));
            for (int k = 0; k < kTransactions; ++k) {
                int64_t txn = t * 1000 + k;
                int code = 0;
                auto outcome = enginetest::bank::transaction(*s, rng, txn, true, &code);
                std::lock_guard lk(mutex);
                if (outcome == enginetest::bank::Outcome::Committed)
                    committed.insert(txn);
                else if (outcome == enginetest::bank::Outcome::Failed)
                    ++failures[code];
            }
        });
    for (auto& t : threads)
        t.join();
    auto s = logOn();
    EXPECT_EQ(enginetest::bank::check(*s, committed), std::vector<std::string> {});
    // The only failure that may happen: a tag another session took and committed while this one waited for it.
    for (const auto& [code, count] : failures)
        EXPECT_EQ(code, 1) << count << " transactions failed with ORA-" << code;
    EXPECT_FALSE(committed.empty());
}

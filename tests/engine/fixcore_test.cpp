// Regressions of the engine's core that a case file cannot express: the lock manager's part of
// FOR UPDATE SKIP LOCKED (Oracle passes over rows other transactions hold and never waits for them).
#include "engine/engine.h"
#include "engine/locks/lock_manager.h"

#include <gtest/gtest.h>

using engine::locks::LockManager;
using engine::locks::WaitPolicy;

TEST(FixCoreSkipLocked, TakesFreeRowsAndPassesOverHeldOnes)
{
    LockManager m;
    WaitPolicy nowait;
    nowait.nowait = true;
    m.lockRows(1, 100, { 1 }, nowait);

    // Session 2 asks for rows 1 and 2: row 1 is session 1's, so only row 2 is taken, at once.
    EXPECT_EQ(m.lockFreeRows(2, 100, { 1, 2 }), std::vector<int64_t> { 2 });
    EXPECT_EQ(m.rowHolder(100, 1), 1);
    EXPECT_EQ(m.rowHolder(100, 2), 2);

    // Rows the session already holds count as its own; nothing free is left for a third session.
    EXPECT_EQ(m.lockFreeRows(2, 100, { 2 }), std::vector<int64_t> { 2 });
    EXPECT_TRUE(m.lockFreeRows(3, 100, { 1, 2 }).empty());
    EXPECT_FALSE(m.holdsAny(3));

    // The taken rows are real locks: another session's NOWAIT request for them fails with ORA-00054.
    try {
        m.lockRows(1, 100, { 2 }, nowait);
        FAIL() << "row 2 should be locked";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 54);
    }

    // They go with the session's other locks at the end of its transaction.
    m.releaseAll(2);
    EXPECT_EQ(m.rowHolder(100, 2), 0);
}

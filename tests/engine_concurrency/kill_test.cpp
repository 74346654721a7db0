// ALTER SYSTEM KILL SESSION reaching a call that then succeeds.
// Oracle: a call that completed reports its outcome; the kill reaches the session's next call with ORA-00028. A
// COMMIT that committed is never reported as failed, or a client that retries would apply its work twice.
#include "engine/session/session_state.h"
#include "two_sessions.h"

#include <thread>

using enginetest::SessionThreads;

TEST_F(SessionThreads, ACommitKilledWhileItRunsReportsItsSuccess)
{
    auto admin = logOn();
    auto victim = logOn();
    admin->execute("CREATE TABLE t (n NUMBER)");
    victim->execute("INSERT INTO t VALUES (1)");
    // The victim's COMMIT waits for the database's write gate, held here, so the kill arrives while it runs.
    std::unique_lock gate(db->state().gate);
    auto commit = std::async(std::launch::async, [&] {
        try {
            victim->commit();
        } catch (const engine::Error& e) {
            return e.code();
        }
        return 0;
    });
    EXPECT_TRUE(testsupport::waitFor([&] { return victim->state().info.active.load(); }));
    const std::string kill = "ALTER SYSTEM KILL SESSION '" + std::to_string(victim->sessionId()) + ","
        + std::to_string(victim->state().info.serial) + "'";
    auto killed = std::async(std::launch::async, [&] { return errorOf(*admin, kill); });
    EXPECT_TRUE(testsupport::waitFor([&] { return victim->state().info.kill.load() != 0; }));
    gate.unlock();
    EXPECT_EQ(commit.get(), 0);
    EXPECT_EQ(killed.get(), 0);
    EXPECT_EQ(one(*admin, "SELECT count(*) FROM t"), "1");
    EXPECT_EQ(errorOf(*victim, "SELECT 1 FROM DUAL"), 28);
    EXPECT_EQ(errorOf(*victim, "SELECT 1 FROM DUAL"), 1012);
}

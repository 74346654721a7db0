// The worksheet's statement runner and its follow-up (the statistics read after the outcome is sent), and the
// statistics' answer to a read broken by the user, on the fake server.
#include "db/query.h"
#include "../db/fixture.h"
#include "develop/sessionstats.h"
#include "develop/worksheet_run.h"
#include "support/waitfor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

using testsupport::waitFor;

namespace {

// A gate a follow-up waits at until the test opens it.
struct Gate {
    std::mutex m;
    std::condition_variable cv;
    bool open = false;
    void pass()
    {
        std::unique_lock lock(m);
        cv.wait(lock, [this] { return open; });
    }
    void release()
    {
        {
            std::lock_guard lock(m);
            open = true;
        }
        cv.notify_all();
    }
};

develop::RunOutcome processed(qint64 rows)
{
    develop::RunOutcome o;
    o.rowsProcessed = rows;
    return o;
}

} // namespace

// The outcome reaches the window while the follow-up still runs (that is the point of it); waitFollowUp and
// waitForIdle return only when the follow-up is over, and it got the outcome.
TEST(StatementRunnerFollowUp, OutcomeArrivesWhileTheFollowUpRunsAndTheWaitsCoverIt)
{
    develop::StatementRunner runner;
    std::atomic<qint64> delivered { -1 };
    QObject::connect(&runner, &develop::StatementRunner::finished,
        [&](const develop::RunOutcome& o) { delivered = o.rowsProcessed; });

    Gate gate;
    std::atomic<qint64> seenByFollowUp { -1 };
    std::atomic<bool> followUpOver { false };
    ASSERT_TRUE(runner.start([] { return processed(7); },
        [&](const develop::RunOutcome& o) {
            gate.pass();
            seenByFollowUp = o.rowsProcessed;
            followUpOver = true;
        }));
    ASSERT_TRUE(waitFor([&] { return delivered == 7; }, 5000));
    EXPECT_FALSE(runner.running());
    EXPECT_FALSE(followUpOver.load()) << "the outcome came before the follow-up was let through";

    std::thread opener([&] { gate.release(); });
    runner.waitFollowUp();
    opener.join();
    EXPECT_TRUE(followUpOver.load());
    EXPECT_EQ(seenByFollowUp.load(), 7);

    // waitForIdle covers a follow-up as well.
    Gate second;
    followUpOver = false;
    ASSERT_TRUE(runner.start([] { return processed(8); },
        [&](const develop::RunOutcome&) {
            second.pass();
            followUpOver = true;
        }));
    std::thread late([&] {
        // Opened once the outcome is in, from another thread, while the GUI thread waits.
        while (delivered != 8)
            std::this_thread::yield();
        second.release();
    });
    EXPECT_TRUE(runner.waitForIdle(10000));
    late.join();
    EXPECT_TRUE(followUpOver.load());
}

class StatisticsOnFake : public FakeSessionTest {
protected:
    void SetUp() override
    {
        server->on(QStringLiteral("^select sys_context"), [](fake::Connection&, auto&) {
            db::driver::Result r;
            r.kind = db::StatementKind::Select;
            r.cursor = std::make_unique<fake::RowsCursor>(
                std::vector<db::driver::Column> { { QStringLiteral("SID"), db::FieldType::Number } },
                std::vector<std::vector<QVariant>> { { 41 } });
            return r;
        });
        server->on(QStringLiteral("v\\$sess_io"), [this](fake::Connection&, auto&) {
            if (breakNextRead.exchange(false))
                throw db::OracleError(1013, QStringLiteral("ORA-01013: user requested cancel of current operation"));
            if (refuseNextRead.exchange(false))
                throw db::OracleError(942, QStringLiteral("ORA-00942: table or view does not exist"));
            db::driver::Result r;
            r.kind = db::StatementKind::Select;
            std::vector<db::driver::Column> columns;
            for (const char* name :
                { "SID", "BLOCK_GETS", "CONSISTENT_GETS", "PHYSICAL_READS", "BLOCK_CHANGES", "CONSISTENT_CHANGES" })
                columns.push_back({ QString::fromLatin1(name), db::FieldType::Number });
            const qint64 n = ++reads;
            r.cursor = std::make_unique<fake::RowsCursor>(
                columns, std::vector<std::vector<QVariant>> { { 41, n, 10 * n, 0, n, 0 } });
            return r;
        });
    }
    std::atomic<bool> breakNextRead { false };
    std::atomic<bool> refuseNextRead { false };
    std::atomic<qint64> reads { 0 };
};

// Oracle answers a Break that reaches the counters' query with ORA-01013: that run's figures are lost (shown as
// no difference), but the statistics stay on. Any other failure turns them off.
TEST_F(StatisticsOnFake, ABrokenReadLosesOneRunOnlyAnotherFailureTurnsThemOff)
{
    develop::SessionStatistics stats;
    ASSERT_TRUE(stats.attach(session));
    EXPECT_EQ(stats.sid(), 41);

    breakNextRead = true;
    EXPECT_FALSE(stats.before(session));
    EXPECT_TRUE(stats.enabled());
    EXPECT_EQ(stats.differences(), develop::SessionIo {});

    ASSERT_TRUE(stats.before(session));
    ASSERT_TRUE(stats.after(session));
    EXPECT_EQ(stats.differences(), (develop::SessionIo { 1, 10, 0, 1, 0 }));

    refuseNextRead = true;
    db::Query other(&session); // the session works, so the next "before" reads again
    other.setSql(QStringLiteral("select * from dept"));
    other.execute();
    other.close();
    EXPECT_FALSE(stats.before(session));
    EXPECT_FALSE(stats.enabled());
    EXPECT_TRUE(stats.error().contains(QStringLiteral("ORA-00942")));
}

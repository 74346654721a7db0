// The worksheet's session statistics on the demo database: V$SESS_IO of the worksheet's own session, before and
// after a run. Oracle: V$SESS_IO has one row per session, keyed by SID; SYS_CONTEXT('USERENV','SID') is the
// calling session's SID.
#include "develop/sessionstats.h"
#include "wstools_fixture.h"

#include <gtest/gtest.h>

namespace {

class StatisticsOnDemo : public wstest::DemoSessionTest { };

} // namespace

TEST(SessionIo, DifferencesAreTakenCounterByCounter)
{
    const develop::SessionIo before { 1, 2, 3, 4, 5 };
    const develop::SessionIo after { 11, 22, 33, 44, 55 };
    EXPECT_EQ(after - before, (develop::SessionIo { 10, 20, 30, 40, 50 }));
}

TEST_F(StatisticsOnDemo, EachSessionReadsItsOwnNumberNotAnotherOfTheSameUser)
{
    auto second = logOn(engine::kit::kVoxa);
    const int first = develop::ownSessionSid(*session);
    const int other = develop::ownSessionSid(*second);
    ASSERT_GE(first, 0);
    ASSERT_GE(other, 0);
    EXPECT_NE(first, other);
    const QString inSession = QStringLiteral("select count(*) from v$session where sid = %1 and username = 'VOXA'");
    EXPECT_EQ(column(*session, inSession.arg(first)), QStringList { QStringLiteral("1") });

    db::Session unconnected;
    EXPECT_EQ(develop::ownSessionSid(unconnected), -1);
}

TEST_F(StatisticsOnDemo, AQueryShowsPositiveDifferencesAndOnlyItsOwnSessionsWork)
{
    auto busy = logOn(engine::kit::kVoxa);
    develop::SessionStatistics stats;
    ASSERT_TRUE(stats.attach(*session));
    ASSERT_TRUE(stats.before(*session));
    column(*busy, QStringLiteral("select count(*) from voxa.orders"));
    ASSERT_TRUE(stats.after(*session));
    const develop::SessionIo idle = stats.differences();

    ASSERT_TRUE(stats.before(*session));
    column(*session,
        QStringLiteral("select count(*) from voxa.orders o, voxa.customers c "
                       "where c.customer_id = o.customer_id"));
    ASSERT_TRUE(stats.after(*session));
    const develop::SessionIo own = stats.differences();
    EXPECT_GT(own.consistentGets, idle.consistentGets) << "another session's query does not count here";
    // The counters only grow: a difference below zero would mean the two reads were of different sessions.
    EXPECT_GE(own.blockGets, 0);
    EXPECT_GE(own.physicalReads, 0);
}

TEST_F(StatisticsOnDemo, AFailureTurnsTheStatisticsOffUntilTheNextAttach)
{
    develop::SessionStatistics stats;
    ASSERT_TRUE(stats.attach(*session));
    ASSERT_TRUE(stats.before(*session));
    session->logOff();
    EXPECT_FALSE(stats.after(*session));
    EXPECT_FALSE(stats.enabled());
    EXPECT_FALSE(stats.error().isEmpty());
    EXPECT_EQ(stats.differences(), develop::SessionIo {});
    EXPECT_FALSE(stats.before(*session)) << "off stays off";

    session->logOn();
    EXPECT_TRUE(stats.attach(*session)) << "a new logon finds the session again";
    EXPECT_TRUE(stats.before(*session));
}

// Statements run one after another: the counters read after one are the counters before the next as long as the
// session has done nothing in between, so they are not read twice; any call on the session in between (or another
// session) makes the next "before" read them again.
TEST_F(StatisticsOnDemo, CountersReadAfterOneRunServeAsBeforeTheNextWhileTheSessionRests)
{
    develop::SessionStatistics stats;
    ASSERT_TRUE(stats.attach(*session));
    ASSERT_TRUE(stats.before(*session));
    column(*session, QStringLiteral("select count(*) from voxa.orders"));
    ASSERT_TRUE(stats.after(*session));
    const develop::SessionIo afterFirst = stats.afterValues();

    const quint64 calls = session->callCount();
    ASSERT_TRUE(stats.before(*session));
    EXPECT_EQ(session->callCount(), calls) << "nothing ran, so nothing was read";
    EXPECT_EQ(stats.beforeValues(), afterFirst);

    column(*session, QStringLiteral("select count(*) from voxa.customers"));
    ASSERT_TRUE(stats.before(*session));
    EXPECT_GT(session->callCount(), calls + 1) << "the query in between made the counters move: read again";
    EXPECT_GT(stats.beforeValues().consistentGets, afterFirst.consistentGets);

    auto second = logOn(engine::kit::kVoxa);
    develop::SessionStatistics other;
    ASSERT_TRUE(other.attach(*second));
    ASSERT_TRUE(other.after(*second));
    ASSERT_TRUE(other.attach(*session));
    const quint64 before = session->callCount();
    ASSERT_TRUE(other.before(*session));
    EXPECT_GT(session->callCount(), before) << "a read on another session stands for nothing here";
}

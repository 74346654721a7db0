// The worksheet's command history: the ring of one window, and each user's saved ring in VEXO_UTIL.VEXO_HIST on
// the demo database (VOXA has five saved statements, slot 0 pointing at slot 5; BILDOR has none).
#include "db/oracleerror.h"
#include "develop/commandhistory.h"
#include "wstools_fixture.h"

#include <gtest/gtest.h>

using develop::CommandHistory;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QString stmt(int i)
{
    return QStringLiteral("select %1 from dual").arg(i);
}

// A user's saved rows: slots 1..100 with the given texts (others empty).
std::map<int, QString> savedRows(const std::map<int, QString>& texts)
{
    std::map<int, QString> rows;
    for (int i = 1; i <= 100; ++i)
        rows[i] = texts.count(i) ? texts.at(i) : QString();
    return rows;
}

} // namespace

TEST(HistoryRing, RecordsEachNewTextOnceAndWrapsAfterSlot100)
{
    CommandHistory h;
    EXPECT_TRUE(h.record(stmt(1)));
    EXPECT_FALSE(h.record(stmt(1))) << "the same text run twice in a row is stored once";
    EXPECT_EQ(h.lastWritten(), 1);
    for (int i = 2; i <= 100; ++i)
        h.record(stmt(i));
    EXPECT_EQ(h.lastWritten(), 100);
    h.record(stmt(101));
    EXPECT_EQ(h.lastWritten(), 1);
    EXPECT_EQ(h.slot(1), stmt(101));
    EXPECT_EQ(h.slot(2), stmt(2));
    EXPECT_EQ(h.lastShown(), 1);
}

TEST(HistoryRing, PreviousAndNextWalkAroundTheRingAndStopAtEmptySlots)
{
    CommandHistory h;
    EXPECT_EQ(h.previous(), std::nullopt) << "empty ring";
    EXPECT_EQ(h.next(), std::nullopt);
    h.setSlot(100, QStringLiteral("hundred"));
    h.setSlot(1, QStringLiteral("one"));
    h.setSlot(2, QStringLiteral("two"));

    EXPECT_EQ(h.previous(), QStringLiteral("hundred")) << "before anything was shown comes slot 100";
    EXPECT_EQ(h.lastShown(), 100);
    EXPECT_EQ(h.next(), QStringLiteral("one")) << "after slot 100 comes slot 1";
    EXPECT_EQ(h.previous(), QStringLiteral("hundred")) << "before slot 1 comes slot 100";
    EXPECT_EQ(h.previous(), std::nullopt) << "slot 99 is empty";
    EXPECT_EQ(h.lastShown(), 100) << "an empty target slot changes nothing";
    h.next();
    EXPECT_EQ(h.next(), QStringLiteral("two"));
    EXPECT_EQ(h.next(), std::nullopt);
    EXPECT_EQ(h.lastShown(), 2);
}

TEST(HistoryRing, SlotsOutsideTheRingAreIgnored)
{
    CommandHistory h;
    for (int i : { -5, 0, 101, 1000 }) {
        h.setSlot(i, QStringLiteral("x"));
        EXPECT_EQ(h.slot(i), QString());
    }
    h.placeSaved({ { 0, QStringLiteral("5") }, { -1, QStringLiteral("neg") }, { 150, QStringLiteral("big") },
                     { 1, QStringLiteral("one") } },
        0);
    EXPECT_EQ(h.slot(1), QStringLiteral("one"));
    h.placeSaved(savedRows({ { 1, QStringLiteral("other") } }), 150);
    EXPECT_EQ(h.slot(1), QStringLiteral("one")) << "a pointer outside 0..100 places nothing";
}

TEST(HistoryRing, SavedStatementsLandBehindThePointer)
{
    {
        SCOPED_TRACE("pointer 5, slots 6 to 100 empty");
        CommandHistory h;
        h.setSlot(3, QStringLiteral("kept"));
        h.placeSaved(savedRows({ { 1, stmt(1) }, { 2, stmt(2) }, { 3, stmt(3) }, { 4, stmt(4) }, { 5, stmt(5) } }), 5);
        for (int i = 1; i <= 5; ++i)
            EXPECT_EQ(h.slot(95 + i), stmt(i));
        EXPECT_EQ(h.slot(3), QStringLiteral("kept")) << "slots the table does not fill keep what they held";
        EXPECT_EQ(h.lastWritten(), 0);
        EXPECT_EQ(h.previous(), stmt(5)) << "Previous right after loading shows the newest saved statement";
    }
    {
        SCOPED_TRACE("all 100 slots filled, pointer 5");
        std::map<int, QString> texts;
        for (int i = 1; i <= 100; ++i)
            texts[i] = stmt(i);
        CommandHistory h;
        h.placeSaved(savedRows(texts), 5);
        EXPECT_EQ(h.slot(1), stmt(6));
        EXPECT_EQ(h.slot(95), stmt(100));
        EXPECT_EQ(h.slot(100), stmt(5));
        h.record(QStringLiteral("new run"));
        EXPECT_EQ(h.slot(1), QStringLiteral("new run"));
        EXPECT_EQ(h.previous(), stmt(5)) << "after one run, Previous also goes to slot 100";
    }
}

TEST(HistoryPointer, ReadsSlotZero)
{
    const std::vector<std::pair<QString, std::optional<int>>> cases {
        { QString(), 0 },
        { QStringLiteral("5"), 5 },
        { QStringLiteral("100"), 100 },
        { QStringLiteral("7  "), 7 },
        { QStringLiteral("abc"), std::nullopt },
        { QStringLiteral("101"), std::nullopt },
        { QStringLiteral("-1"), std::nullopt },
        { QStringLiteral("999"), std::nullopt },
    };
    for (const auto& [text, pointer] : cases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(develop::historyPointer(text), pointer);
    }
    EXPECT_EQ(develop::repairedHistoryPointer(savedRows({ { 1, stmt(1) }, { 2, stmt(2) } })), 2);
    EXPECT_EQ(develop::repairedHistoryPointer(savedRows({})), 0);
    std::map<int, QString> full;
    for (int i = 1; i <= 100; ++i)
        full[i] = stmt(i);
    EXPECT_EQ(develop::repairedHistoryPointer(full), 100) << "no empty row follows";
}

TEST(HistoryDelete, MovesTheLaterEntriesBackAndEndsForEverySlot)
{
    std::map<int, QString> full;
    for (int i = 1; i <= 100; ++i)
        full[i] = stmt(i);
    struct Case {
        const char* name;
        std::map<int, QString> rows;
        int pointer;
        int slot;
        std::map<int, QString> changes;
    };
    const std::vector<Case> cases {
        { "entry before the pointer", savedRows({ { 1, stmt(1) }, { 2, stmt(2) }, { 3, stmt(3) } }), 3, 2,
            { { 0, QStringLiteral("2") }, { 2, stmt(3) }, { 3, QString() } } },
        { "entry in the pointer's slot", savedRows({ { 1, stmt(1) }, { 2, stmt(2) } }), 2, 2,
            { { 0, QStringLiteral("1") }, { 2, QString() } } },
        { "only entry", savedRows({ { 1, stmt(1) } }), 1, 1, { { 0, QStringLiteral("0") }, { 1, QString() } } },
        { "wrapped ring, entry after the pointer", full, 2, 99,
            { { 0, QStringLiteral("1") }, { 99, stmt(100) }, { 100, stmt(1) }, { 1, stmt(2) }, { 2, QString() } } },
        { "wrapped ring, pointer at 1", full, 1, 1, { { 0, QStringLiteral("100") }, { 1, QString() } } },
        { "slot outside the ring", full, 5, 0, {} },
        { "slot beyond the ring", full, 5, 101, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(develop::historyAfterDelete(c.rows, c.pointer, c.slot), c.changes);
    }
}

namespace {

class HistoryOnDemo : public wstest::DemoSessionTest {
protected:
    QStringList texts(const QString& user)
    {
        return column(*session,
            QStringLiteral("select nvl(hist_ukaz,'-') from vexo_util.vexo_hist where hist_user='%1' order by hist_zpst")
                .arg(user));
    }
};

} // namespace

TEST_F(HistoryOnDemo, LoadsTheUsersSavedRing)
{
    CommandHistory h;
    const develop::HistoryLoadResult r = develop::loadHistory(*session, QStringLiteral("voxa"), h);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.rows, 101);
    EXPECT_FALSE(r.pointerRepaired);
    EXPECT_EQ(h.slot(96), QStringLiteral("select * from voxa.customers where city = 'Ljubljana'"));
    EXPECT_EQ(h.slot(100), QStringLiteral("select rowid, p.* from voxa.products p where price > 100"));
    EXPECT_TRUE(h.slot(97).contains(QStringLiteral("\r\n"))) << "a saved statement keeps its lines";
    EXPECT_EQ(h.slot(95), QString());

    CommandHistory none;
    EXPECT_TRUE(develop::loadHistory(*session, QStringLiteral("BILDOR"), none).ok);
    EXPECT_EQ(none.previous(), std::nullopt);
}

TEST_F(HistoryOnDemo, AMissingTableIsReportedAndLeavesTheRing)
{
    auto system = logOn(engine::kit::kVexoUtil);
    run(*system, QStringLiteral("drop table vexo_util.vexo_hist"));
    CommandHistory h;
    h.setSlot(1, QStringLiteral("kept"));
    const develop::HistoryLoadResult r = develop::loadHistory(*session, QStringLiteral("VOXA"), h);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(QStringLiteral("ORA-00942"))) << r.error.toStdString();
    EXPECT_EQ(h.slot(1), QStringLiteral("kept"));
}

TEST_F(HistoryOnDemo, ADamagedPointerIsRepairedOnceOnTheUsersOwnRows)
{
    run(*session,
        QStringLiteral("update vexo_util.vexo_hist set hist_ukaz='x5' where hist_user='VOXA' and hist_zpst=0"));
    session->commit();
    CommandHistory h;
    develop::HistoryLoadResult r = develop::loadHistory(*session, QStringLiteral("VOXA"), h);
    EXPECT_TRUE(r.pointerRepaired);
    EXPECT_EQ(h.slot(100), QStringLiteral("select rowid, p.* from voxa.products p where price > 100"));
    EXPECT_EQ(texts(QStringLiteral("VOXA")).value(0), QStringLiteral("5"));
    EXPECT_FALSE(session->inTransaction());

    // Another user's damaged rows are read with the repaired pointer, never written.
    auto bildor = logOn(engine::kit::kBildor);
    run(*bildor,
        QStringLiteral("update vexo_util.vexo_hist set hist_ukaz='250' where hist_user='VOXA' and hist_zpst=0"));
    bildor->commit();
    CommandHistory other;
    r = develop::loadHistory(*bildor, QStringLiteral("VOXA"), other);
    EXPECT_TRUE(r.pointerRepaired);
    EXPECT_EQ(other.slot(100), QStringLiteral("select rowid, p.* from voxa.products p where price > 100"));
    EXPECT_EQ(texts(QStringLiteral("VOXA")).value(0), QStringLiteral("250"));
}

TEST_F(HistoryOnDemo, TheFirstSaveCreatesTheRingAndThe101stWrapsToSlot1)
{
    auto bildor = logOn(engine::kit::kBildor);
    ASSERT_TRUE(develop::saveToHistory(*bildor, QStringLiteral("select 1 from dual")));
    QStringList rows = texts(QStringLiteral("BILDOR"));
    ASSERT_EQ(rows.size(), 101);
    EXPECT_EQ(rows.at(0), QStringLiteral("1"));
    EXPECT_EQ(rows.at(1), QStringLiteral("select 1 from dual"));
    EXPECT_EQ(rows.at(2), QStringLiteral("-"));
    EXPECT_FALSE(bildor->inTransaction()) << "the save is committed";

    for (int i = 2; i <= 101; ++i)
        develop::saveToHistory(*bildor, stmt(i));
    rows = texts(QStringLiteral("BILDOR"));
    EXPECT_EQ(rows.at(0), QStringLiteral("1"));
    EXPECT_EQ(rows.at(1), stmt(101));
    EXPECT_EQ(rows.at(100), stmt(100));

    CommandHistory h;
    develop::loadHistory(*session, QStringLiteral("BILDOR"), h);
    EXPECT_EQ(h.previous(), stmt(101));
    EXPECT_EQ(h.previous(), stmt(100));
    EXPECT_EQ(h.next(), stmt(101));
    EXPECT_EQ(h.next(), stmt(2)) << "the oldest follows the newest";
}

TEST_F(HistoryOnDemo, SavingInsideATransactionWritesNothing)
{
    run(*session, QStringLiteral("update voxa.customers set name = name where rownum = 1"));
    ASSERT_TRUE(session->inTransaction());
    EXPECT_FALSE(develop::saveToHistory(*session, QStringLiteral("select 2 from dual")));
    EXPECT_TRUE(session->inTransaction()) << "the user's transaction is neither committed nor rolled back";
    session->rollback();
    EXPECT_EQ(texts(QStringLiteral("VOXA")).value(0), QStringLiteral("5"));
}

TEST_F(HistoryOnDemo, TheListShowsFirstLinesOfLongerStatements)
{
    develop::saveToHistory(*session, QStringLiteral("short"));
    db::Query q(session.get());
    q.setSql(QString::fromLatin1(develop::historyListSql));
    q.setVariable(QStringLiteral("lastnik"), QStringLiteral("VOXA"));
    q.execute();
    QStringList sql;
    QList<int> zpst;
    for (; !q.eof(); q.next()) {
        sql << q.field(QStringLiteral("SQL")).toString();
        zpst << q.field(QStringLiteral("HIST_ZPST")).toInt();
    }
    EXPECT_EQ(zpst, (QList<int> { 1, 2, 3, 4, 5 })) << "the 5-character statement of slot 6 is not listed";
    EXPECT_EQ(sql.at(1), QStringLiteral("select o.order_id, o.order_date, c.name\r  ..."));
}

TEST_F(HistoryOnDemo, UpdateAndDeleteActOnTheListedUsersRows)
{
    auto bildor = logOn(engine::kit::kBildor);
    develop::saveToHistory(*bildor, QStringLiteral("select 'bildor' from dual"));

    // VOXA works on BILDOR's list: BILDOR's rows change, VOXA's own stay as they were.
    develop::updateHistoryEntry(*session, QStringLiteral("bildor"), 1, QStringLiteral("select 'changed' from dual"));
    EXPECT_TRUE(session->inTransaction()) << "nothing is committed";
    session->commit();
    EXPECT_EQ(texts(QStringLiteral("BILDOR")).value(1), QStringLiteral("select 'changed' from dual"));
    EXPECT_EQ(texts(QStringLiteral("VOXA")).value(1),
        QStringLiteral("select * from voxa.customers where city = 'Ljubljana'"));

    EXPECT_TRUE(develop::deleteHistoryEntry(*session, QStringLiteral("BILDOR"), 1));
    session->commit();
    EXPECT_EQ(texts(QStringLiteral("BILDOR")).mid(0, 2), (QStringList { QStringLiteral("0"), QStringLiteral("-") }));
    EXPECT_EQ(texts(QStringLiteral("VOXA")).value(0), QStringLiteral("5"));

    EXPECT_TRUE(develop::deleteHistoryEntry(*session, QStringLiteral("VOXA"), 2));
    session->commit();
    const QStringList voxa = texts(QStringLiteral("VOXA"));
    EXPECT_EQ(voxa.value(0), QStringLiteral("4"));
    EXPECT_EQ(voxa.value(2), QStringLiteral("select status, count(*) from voxa.orders group by status"));
    EXPECT_EQ(voxa.value(5), QStringLiteral("-"));
    EXPECT_FALSE(develop::deleteHistoryEntry(*session, QStringLiteral("NOBODY"), 1));
}

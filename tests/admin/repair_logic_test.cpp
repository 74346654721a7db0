// The repair window's work on a table damaged on disk (the demo's copy with VOXA.REPAIR_T, whose seventh of ten
// rows is the first on a damaged page): examining it, the halving search over real probes, the copy of the rows
// before the damage and of the rest through the key, and the DBMS_REPAIR calls as SYS.
#include "admin/repairlogic.h"
#include "admin_fixture.h"
#include "db/oracleerror.h"

#include <gtest/gtest.h>

namespace {

class RepairOnDemo : public admintest::DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        admintest::makeDamagedTable(demoDir());
        logOn();
    }
    admin::HalvingResult search(qint64 rows)
    {
        return admin::findFirstBadRow(rows, [&](qint64 p) {
            return admin::probeRows(*session, QStringLiteral("VOXA"), QStringLiteral("REPAIR_T"), p, nullptr);
        });
    }
};

TEST_F(RepairOnDemo, ExaminesTheTableAndFindsTheFirstBadRow)
{
    const auto e = admin::examineTable(*session, QStringLiteral("VOXA"), QStringLiteral("REPAIR_T"), {});
    EXPECT_TRUE(e.readable);
    EXPECT_EQ(e.keyIndex, QStringLiteral("REPAIR_T_PK"));
    EXPECT_EQ(e.keyColumns, QStringList { "ID" });
    // The count is read from the key index (as Oracle's fast full scan of it would), so the damage is not met.
    ASSERT_TRUE(e.rowCount.has_value());
    EXPECT_EQ(*e.rowCount, 10);
    const auto r = search(*e.rowCount);
    ASSERT_TRUE(r.firstBadRow.has_value());
    EXPECT_EQ(*r.firstBadRow, 7);
    EXPECT_EQ(r.probes, (QList<qint64> { 5, 7, 6 }));
    // A sound table has no bad row, and a missing one is said to be missing.
    const auto healthy = admin::findFirstBadRow(120, [&](qint64 p) {
        return admin::probeRows(*session, QStringLiteral("VOXA"), QStringLiteral("ORDERS"), p, nullptr);
    });
    EXPECT_FALSE(healthy.firstBadRow.has_value());
    EXPECT_FALSE(healthy.failed);
    EXPECT_FALSE(admin::examineTable(*session, QStringLiteral("VOXA"), QStringLiteral("NO_SUCH"), {}).readable);
    QString error;
    EXPECT_EQ(admin::probeRows(*session, QStringLiteral("VOXA"), QStringLiteral("NO_SUCH"), 1, &error),
        admin::ProbeResult::Failed);
    EXPECT_TRUE(error.startsWith(QStringLiteral("ORA-00942")));
}

TEST_F(RepairOnDemo, CopySavesEveryReadableRowAndTouchesNothingElse)
{
    const auto moved = admin::createNewTable(
        *session, QStringLiteral("VOXA"), QStringLiteral("REPAIR_T"), QStringLiteral("REPAIR_NEW"), 7, {}, {});
    EXPECT_EQ(moved.copied, 6);
    EXPECT_EQ(moved.failed, 0);
    EXPECT_EQ(column(QStringLiteral("select id from voxa.repair_new order by id")),
        (QStringList { "1", "2", "3", "4", "5", "6" }));
    // The rest through the key: row 10 is readable, rows 7 to 9 are on the damaged page.
    const auto added = admin::addRecords(*session, QStringLiteral("VOXA"), QStringLiteral("REPAIR_T"),
        QStringLiteral("REPAIR_NEW"), QStringLiteral("REPAIR_T_PK"), { "ID" }, {}, {});
    EXPECT_EQ(added.copied, 1);
    EXPECT_EQ(added.failed, 3);
    EXPECT_TRUE(added.firstError.startsWith(QStringLiteral("ORA-01578"))) << added.firstError.toStdString();
    EXPECT_EQ(column(QStringLiteral("select id from voxa.repair_new order by id")),
        (QStringList { "1", "2", "3", "4", "5", "6", "10" }));
    // Everything copied is committed, the session goes on working, and a second run copies nothing twice.
    EXPECT_FALSE(session->inTransaction());
    const auto again = admin::addRecords(*session, QStringLiteral("VOXA"), QStringLiteral("REPAIR_T"),
        QStringLiteral("REPAIR_NEW"), QStringLiteral("REPAIR_T_PK"), { "ID" }, {}, {});
    EXPECT_EQ(again.copied, 0);
    EXPECT_EQ(again.failed, 3);
    EXPECT_EQ(column(QStringLiteral("select count(*) from voxa.repair_new")), QStringList { "7" });
    run(QStringLiteral("insert into voxa.customers (customer_id, name) values (900, 'After the repair')"));
    session->commit();
    EXPECT_EQ(
        column(QStringLiteral("select count(*) from voxa.customers where customer_id = 900")), QStringList { "1" });
}

TEST_F(RepairOnDemo, RepairPackageAsSys)
{
    session.reset();
    logOn({ "SYS", "CHANGE_ON_INSTALL" });
    run(admin::adminTablesBlock());
    EXPECT_EQ(
        admin::runRepairCount(*session, admin::checkObjectBlock(), QStringLiteral("VOXA"), QStringLiteral("REPAIR_T")),
        1);
    // Finding the damage marks nothing: only FIX_CORRUPT_BLOCKS does.
    EXPECT_EQ(column(QStringLiteral("select marked_corrupt from sys.repair_table")), QStringList { "FALSE" });
    EXPECT_EQ(admin::runRepairCount(
                  *session, admin::fixCorruptBlocksBlock(), QStringLiteral("VOXA"), QStringLiteral("REPAIR_T")),
        1);
    EXPECT_NO_THROW(admin::runRepairCount(
        *session, admin::rebuildFreelistsBlock(), QStringLiteral("VOXA"), QStringLiteral("REPAIR_T")));
    try {
        admin::runRepairCount(
            *session, admin::skipCorruptBlocksBlock(), QStringLiteral("VOXA"), QStringLiteral("REPAIR_T"));
        FAIL() << "skipping corrupt blocks is not done here";
    } catch (const db::OracleError& e) {
        EXPECT_EQ(e.code(), 3001);
    }
}

} // namespace

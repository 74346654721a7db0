// The export of a result to text on the demo database: labels, a rule of dashes and one line per record joined
// by the separator, in the grid's column order.
#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "develop/gridexport.h"
#include "wstools_fixture.h"

#include <QHeaderView>
#include <QTableView>

#include <gtest/gtest.h>

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

class ExportOnDemo : public wstest::DemoSessionTest {
protected:
    void SetUp() override
    {
        DemoSessionTest::SetUp();
        run(*session, QStringLiteral("create table ws_exp (a number, b varchar2(10))"));
        run(*session, QStringLiteral("insert into ws_exp values (1, 'x')"));
        run(*session, QStringLiteral("insert into ws_exp values (2, null)"));
        session->commit();
    }
};

} // namespace

TEST_F(ExportOnDemo, WritesLabelsRuleAndRecords)
{
    db::DataSet ds(session.get());
    ds.setSql(QStringLiteral("select a, b from ws_exp order by a"));
    ds.open();
    const develop::ExportResult r = develop::exportResult(ds, develop::dataSetColumns(ds), QStringLiteral(";"));
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.lines,
        (QStringList {
            QStringLiteral("A   B   "), QString(80, QLatin1Char('-')), QStringLiteral("1;x"), QStringLiteral("2;") }));
}

TEST_F(ExportOnDemo, FollowsTheGridsColumnOrder)
{
    db::DataSet ds(session.get());
    ds.setSql(QStringLiteral("select a, b, a * 10 c from ws_exp order by a"));
    ds.open();
    db::DataSetModel model;
    model.setDataSet(&ds);
    QTableView grid;
    grid.setModel(&model);
    grid.horizontalHeader()->moveSection(1, 0);
    grid.setColumnHidden(2, true);
    const std::vector<develop::ExportColumn> columns = develop::gridColumns(grid);
    ASSERT_EQ(columns.size(), 2u);
    const develop::ExportResult r = develop::exportResult(ds, columns, QStringLiteral("\t"));
    EXPECT_EQ(r.lines.at(0), QStringLiteral("B   A   "));
    EXPECT_EQ(r.lines.mid(2), (QStringList { QStringLiteral("x\t1"), QStringLiteral("\t2") }));
}

TEST_F(ExportOnDemo, ALargeResultIsFetchedInBatchesAndCanBeStopped)
{
    run(*session, QStringLiteral("insert into ws_exp select level + 2, 'r' from dual connect by level <= 2500"));
    db::DataSet ds(session.get());
    ds.setSql(QStringLiteral("select a from ws_exp order by a"));
    ds.open();
    EXPECT_LT(ds.recordCount(), 2502) << "the export, not the opening, reads the rest";

    QList<int> reported;
    develop::ExportResult r = develop::exportResult(ds, develop::dataSetColumns(ds), QStringLiteral(","), [&](int n) {
        reported << n;
        return n < 2000;
    });
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(reported, (QList<int> { 1000, 2000 }));
    EXPECT_EQ(r.lines.size(), 2 + 2000);

    r = develop::exportResult(ds, develop::dataSetColumns(ds), QStringLiteral(","));
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.lines.size(), 2 + 2502);
    EXPECT_EQ(r.lines.last(), QStringLiteral("2502"));
}

TEST_F(ExportOnDemo, WithoutAnOpenResultNothingIsWritten)
{
    db::DataSet ds(session.get());
    const develop::ExportResult r = develop::exportResult(ds, {}, QStringLiteral(";"));
    EXPECT_FALSE(r.complete);
    EXPECT_TRUE(r.lines.isEmpty());
    EXPECT_FALSE(r.error.isEmpty());
}

// The grid's model over a data set: rows come on demand, cells edit the data set.
#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "fixture.h"

#include <QScrollBar>
#include <QTableView>

namespace {

using db::DataSet;
using db::DataSetModel;

class DataSetModelTest : public FakeSessionTest { };

TEST_F(DataSetModelTest, FirstScreenOfAMillionRowsFetchesOnlyAFew)
{
    ASSERT_EQ(server->bigRows, 1000000);
    DataSet ds(&session);
    ds.setSql(QStringLiteral("select * from big"));
    ds.open();
    DataSetModel model;
    model.setDataSet(&ds);
    QTableView view;
    view.resize(800, 600);
    view.setModel(&model);
    view.show();
    ASSERT_TRUE(testsupport::waitFor([&] { return view.isVisible() && model.rowCount() > 0; }));
    // Let the view lay out and ask for what it needs to fill its screen.
    const qint64 afterFirstScreen = server->bigFetched.load();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(server->bigFetched.load(), ds.rowsFetched());
    RecordProperty("rowsFetchedForTheFirstScreen", int(ds.rowsFetched()));
    EXPECT_GE(ds.rowsFetched(), 20); // a screen of rows is there
    EXPECT_LE(ds.rowsFetched(), 1000) << "the first screen pulled " << ds.rowsFetched() << " rows";
    EXPECT_LE(afterFirstScreen, 1000);
    EXPECT_TRUE(model.canFetchMore({}));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("row 1"));

    // Scrolling to the end of what is there asks for the next batch, not for everything.
    const qint64 before = ds.rowsFetched();
    view.scrollToBottom();
    ASSERT_TRUE(testsupport::waitFor([&] { return ds.rowsFetched() > before; }));
    EXPECT_LE(ds.rowsFetched(), before + 1000);
}

TEST_F(DataSetModelTest, ShowsFieldsAndNullsAndEditsTheDataSet)
{
    DataSet ds(&session);
    ds.setSql(QStringLiteral("select e.rowid, e.* from emp e"));
    ds.setCachedUpdates(true);
    ds.open();
    DataSetModel model;
    model.setDataSet(&ds);
    EXPECT_EQ(model.columnCount(), 6);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("ENAME"));
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable); // ROWID
    EXPECT_TRUE(model.flags(model.index(0, 2)) & Qt::ItemIsEditable);

    EXPECT_TRUE(model.setData(model.index(1, 2), QString()));
    EXPECT_TRUE(model.data(model.index(1, 2), DataSetModel::NullRole).toBool());
    EXPECT_EQ(model.data(model.index(1, 2)).toString(), QString());
    EXPECT_EQ(ds.updateStatus(1), DataSet::UpdateStatus::Modified);
    EXPECT_EQ(ds.recNo(), 2);

    // Rows added and removed in the data set reach the model.
    int inserted = 0;
    int removed = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [&] { ++removed; });
    ds.append();
    ds.cancel();
    EXPECT_EQ(inserted, 1);
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(model.rowCount(), 5);

    // A read-only data set gives a read-only grid, and a refused edit is reported, not thrown.
    DataSet plain(&session);
    plain.setSql(QStringLiteral("select * from emp"));
    plain.open();
    model.setDataSet(&plain);
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.setData(model.index(0, 1), QStringLiteral("X")));
    EXPECT_FALSE(model.lastError().isEmpty());
}

TEST_F(DataSetModelTest, DataSetDestroyedUnderTheModelLeavesItEmpty)
{
    DataSetModel model;
    QTableView view;
    view.setModel(&model);
    {
        DataSet ds(&session);
        ds.setSql(QStringLiteral("select * from emp"));
        ds.open();
        model.setDataSet(&ds);
        view.show();
        EXPECT_EQ(model.rowCount(), 5);
    }
    EXPECT_EQ(model.dataSet(), nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.canFetchMore({}));
}

TEST_F(DataSetModelTest, ExampleRecordIsOneEditableRow)
{
    DataSet ds(&session);
    ds.setSql(QStringLiteral("select * from emp"));
    ds.open();
    DataSetModel model;
    model.setDataSet(&ds);
    ds.enterQueryByExample();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_FALSE(model.canFetchMore({}));
    EXPECT_TRUE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.setData(model.index(0, 1), QStringLiteral("S%")));
    ds.executeQueryByExample();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("SMITH"));
}

} // namespace

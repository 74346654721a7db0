// The data set over the fake server: states, cached updates, apply and cancel, bookmarks and RecNo, record
// refresh, master-detail and query by example.
#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "engine/engine.h"
#include "fixture.h"

#include <QThread>

#include <atomic>
#include <thread>

namespace {

using db::DataSet;
using db::OracleError;
using State = DataSet::State;
using Status = DataSet::UpdateStatus;

class DataSetTest : public FakeSessionTest {
protected:
    std::unique_ptr<DataSet> openEmp(bool cached, const QString& where = {})
    {
        auto ds = std::make_unique<DataSet>(&session);
        ds->setSql(QStringLiteral("select e.rowid, e.* from emp e") + where);
        ds->setCachedUpdates(cached);
        ds->open();
        return ds;
    }
    QVariant serverValue(const char* table, qint64 id, int column)
    {
        for (const auto& row : this->table(table).rows)
            if (row.id == id)
                return row.values[size_t(column)];
        return QStringLiteral("<gone>");
    }
};

TEST_F(DataSetTest, OpensWithFieldsAndRowidAndIsEditable)
{
    auto ds = openEmp(true);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(ds->fieldCount(), 6);
    EXPECT_EQ(ds->rowidField(), 0);
    EXPECT_EQ(ds->updatingTable(), QStringLiteral("emp"));
    EXPECT_TRUE(ds->editable());
    EXPECT_EQ(ds->recordCount(), 5);
    EXPECT_EQ(ds->recNo(), 1);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("ENAME")).toString(), QStringLiteral("SMITH"));

    DataSet plain(&session);
    plain.setSql(QStringLiteral("select * from emp"));
    plain.open();
    EXPECT_FALSE(plain.editable());
    EXPECT_THROW(plain.edit(), OracleError);
    plain.setReadOnly(true);
    ds->setReadOnly(true);
    EXPECT_FALSE(ds->editable());
}

TEST_F(DataSetTest, StateMachineEditPostCancelInsertDelete)
{
    auto ds = openEmp(true);
    std::vector<State> states;
    QObject::connect(ds.get(), &DataSet::stateChanged, [&](State s) { states.push_back(s); });

    // Setting a field outside edit state is refused.
    EXPECT_THROW(ds->setFieldValue(QStringLiteral("SAL"), 900), OracleError);

    ds->edit();
    EXPECT_EQ(ds->state(), State::Edit);
    ds->setFieldValue(QStringLiteral("SAL"), 900);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("SAL")).toInt(), 900);
    EXPECT_EQ(ds->value(0, 3).toInt(), 900); // the grid sees the buffer of the row being edited
    ds->cancel();
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("SAL")).toInt(), 800);
    EXPECT_EQ(ds->updateStatus(0), Status::Unmodified);

    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), 900);
    EXPECT_THROW(ds->setFieldValue(0, QStringLiteral("AAAX")), OracleError); // ROWID is the key
    ds->post();
    EXPECT_EQ(ds->updateStatus(0), Status::Modified);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("SAL")).toInt(), 900);

    // Posting without a change leaves the record unmodified.
    ds->next();
    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), 1600);
    ds->post();
    EXPECT_EQ(ds->updateStatus(1), Status::Unmodified);

    // Insert places a new record before the current one; cancel takes it away again.
    ds->insert();
    EXPECT_EQ(ds->state(), State::Insert);
    EXPECT_EQ(ds->recordCount(), 6);
    EXPECT_EQ(ds->recNo(), 2);
    ds->cancel();
    EXPECT_EQ(ds->recordCount(), 5);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("ENAME")).toString(), QStringLiteral("ALLEN"));

    ds->append();
    ds->setFieldValue(QStringLiteral("EMPNO"), 8000);
    ds->setFieldValue(QStringLiteral("ENAME"), QString()); // an emptied text is null
    EXPECT_TRUE(ds->fieldIsNull(2));
    ds->setFieldValue(QStringLiteral("ENAME"), QStringLiteral("NEW"));
    // Moving away posts the record.
    ds->first();
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(ds->updateStatus(5), Status::Inserted);

    ds->setRecNo(3);
    ds->deleteRecord();
    EXPECT_EQ(ds->recordCount(), 5);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("ENAME")).toString(), QStringLiteral("JONES"));
    EXPECT_EQ(ds->pendingUpdateCount(), 3);
    // Nothing reached the server: the updates are cached.
    EXPECT_EQ(statementsLike(QStringLiteral("update")), 0);
    EXPECT_EQ(table("EMP").rows.size(), 5u);
    EXPECT_FALSE(states.empty());
}

TEST_F(DataSetTest, ApplyUpdatesWritesByRowidAndReadsInsertedRowBack)
{
    auto ds = openEmp(true);
    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), 900);
    ds->post();
    ds->setRecNo(2);
    ds->deleteRecord();
    ds->append();
    ds->setFieldValue(QStringLiteral("EMPNO"), 8000);
    ds->setFieldValue(QStringLiteral("ENAME"), QStringLiteral("NEW"));
    ds->setFieldValue(QStringLiteral("SAL"), 1000);
    ds->post();

    session.applyUpdates({ ds.get() }, true);
    EXPECT_FALSE(session.inTransaction());
    EXPECT_FALSE(ds->updatesPending());
    EXPECT_EQ(serverValue("EMP", 1, 2).toInt(), 900);
    EXPECT_EQ(serverValue("EMP", 2, 2).toString(), QStringLiteral("<gone>"));
    EXPECT_EQ(table("EMP").rows.size(), 5u);
    // The inserted record now carries the ROWID the server gave it, and the values read back.
    ds->last();
    EXPECT_EQ(ds->fieldValue(0).toString(), fake::rowidOf(6));
    EXPECT_EQ(ds->fieldValue(QStringLiteral("EMPNO")).toInt(), 8000);
    EXPECT_EQ(ds->updateStatus(ds->currentRow()), Status::Unmodified);
    // Only the changed column was written, keyed by ROWID, and the insert used RETURNING.
    EXPECT_TRUE(server->log.contains(QStringLiteral("update emp set SAL = :DMX_4 where rowid = :DMX_ROWID")));
    EXPECT_TRUE(server->log.contains(QStringLiteral(
        "insert into emp (EMPNO, ENAME, SAL) values (:DMX_2, :DMX_3, :DMX_4) returning rowid into :DMX_ROWID")));
    EXPECT_TRUE(server->log.contains(QStringLiteral("select e.rowid, e.* from emp e where e.rowid = :DMX_ROWID")));
}

TEST_F(DataSetTest, FailingApplyLosesNothing)
{
    auto ds = openEmp(true);
    // A good update first, then one the server refuses.
    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), 900);
    ds->post();
    ds->setRecNo(4);
    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), -5);
    ds->post();
    ds->setRecNo(2);
    ds->deleteRecord();
    ds->first();

    try {
        session.applyUpdates({ ds.get() }, true);
        FAIL() << "the refused update was reported as applied";
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 2290);
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("ORA-02290")));
        // The message names the failing record.
        EXPECT_TRUE(e.message().contains(QStringLiteral("record 3 of emp"))) << e.what();
        EXPECT_TRUE(e.message().contains(fake::rowidOf(4))) << e.what();
    }
    // The server is as before: the good update and the delete were undone, nothing committed.
    EXPECT_EQ(serverValue("EMP", 1, 2).toInt(), 800);
    EXPECT_EQ(serverValue("EMP", 2, 1).toString(), QStringLiteral("ALLEN"));
    EXPECT_EQ(statementsLike(QStringLiteral("COMMIT")), 0);
    // The data set still holds every cached change, and shows the failing record.
    EXPECT_EQ(ds->pendingUpdateCount(), 3);
    EXPECT_EQ(ds->recNo(), 3);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("ENAME")).toString(), QStringLiteral("JONES"));
    // Fixed, the same apply goes through.
    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), 3000);
    ds->post();
    session.applyUpdates({ ds.get() }, true);
    EXPECT_EQ(serverValue("EMP", 1, 2).toInt(), 800 + 100);
    EXPECT_EQ(serverValue("EMP", 4, 2).toInt(), 3000);
    EXPECT_EQ(serverValue("EMP", 2, 1).toString(), QStringLiteral("<gone>"));
}

TEST_F(DataSetTest, FailingApplyWithoutSavepointsKeepsEarlierWorkOfTheTransaction)
{
    server->supportsSavepoints = false;
    auto ds = openEmp(true);
    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), -1);
    ds->post();
    EXPECT_THROW(session.applyUpdates({ ds.get() }, false), OracleError);
    EXPECT_EQ(ds->pendingUpdateCount(), 1);
    EXPECT_FALSE(session.inTransaction());
}

TEST_F(DataSetTest, CancelUpdatesRestoresWhatWasFetched)
{
    auto ds = openEmp(true);
    ds->edit();
    ds->setFieldValue(QStringLiteral("ENAME"), QStringLiteral("CHANGED"));
    ds->post();
    ds->setRecNo(2);
    ds->deleteRecord();
    ds->insert();
    ds->setFieldValue(QStringLiteral("ENAME"), QStringLiteral("NEW"));
    ds->post();
    ds->first();
    session.cancelUpdates({ ds.get() });
    EXPECT_FALSE(ds->updatesPending());
    QStringList names;
    for (ds->first(); !ds->eof(); ds->next())
        names << ds->fieldValue(QStringLiteral("ENAME")).toString();
    EXPECT_EQ(names, (QStringList { "SMITH", "ALLEN", "WARD", "JONES", "CLARK" }));
    EXPECT_EQ(server->log.filter(QStringLiteral("update"), Qt::CaseInsensitive).size(), 0);
}

TEST_F(DataSetTest, ApplyUpdatesOfSeveralDataSetsInOneGo)
{
    auto emp = openEmp(true);
    DataSet dept(&session);
    dept.setSql(QStringLiteral("select d.*, d.rowid from dept d"));
    dept.setCachedUpdates(true);
    dept.open();
    EXPECT_EQ(dept.rowidField(), 2);
    dept.edit();
    dept.setFieldValue(QStringLiteral("DNAME"), QStringLiteral("FINANCE"));
    emp->edit();
    emp->setFieldValue(QStringLiteral("SAL"), 0); // refused
    // Edits in progress are posted by the apply; the refused one undoes the other data set's too.
    EXPECT_THROW(session.applyUpdates({ &dept, emp.get() }, true), OracleError);
    EXPECT_EQ(serverValue("DEPT", 1, 1).toString(), QStringLiteral("ACCOUNTING"));
    EXPECT_TRUE(dept.updatesPending());
    EXPECT_EQ(dept.state(), State::Browse);
    emp->edit();
    emp->setFieldValue(QStringLiteral("SAL"), 1);
    session.applyUpdates({ &dept, emp.get() }, true);
    EXPECT_EQ(serverValue("DEPT", 1, 1).toString(), QStringLiteral("FINANCE"));
    EXPECT_EQ(serverValue("EMP", 1, 2).toInt(), 1);
    EXPECT_FALSE(session.inTransaction());
}

TEST_F(DataSetTest, WithoutCachedUpdatesPostWritesAtOnceAndAFailureKeepsTheEdit)
{
    auto ds = openEmp(false);
    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), 950);
    ds->post();
    EXPECT_EQ(serverValue("EMP", 1, 2).toInt(), 950);
    EXPECT_TRUE(session.inTransaction());
    EXPECT_FALSE(ds->updatesPending());

    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), -1);
    EXPECT_THROW(ds->post(), OracleError);
    EXPECT_EQ(ds->state(), State::Edit);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("SAL")).toInt(), -1);
    ds->cancel();

    ds->deleteRecord();
    EXPECT_EQ(serverValue("EMP", 1, 2).toString(), QStringLiteral("<gone>"));
    session.rollback();
}

TEST_F(DataSetTest, RecordDeletedByAnotherUserIsReported)
{
    auto ds = openEmp(true);
    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), 900);
    ds->post();
    server->tables[QStringLiteral("EMP")].rows.erase(server->tables[QStringLiteral("EMP")].rows.begin());
    try {
        ds->applyUpdates();
        FAIL() << "an update of no row was reported as applied";
    } catch (const OracleError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("deleted by another user"))) << e.what();
    }
    EXPECT_TRUE(ds->updatesPending());
}

TEST_F(DataSetTest, BookmarksAndRecNo)
{
    auto ds = openEmp(true);
    ds->setReadBuffer(2);
    ds->open();
    EXPECT_EQ(ds->recordCount(), 2); // one read buffer
    EXPECT_FALSE(ds->allFetched());
    ds->setRecNo(4); // fetches what it needs
    EXPECT_EQ(ds->recNo(), 4);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("ENAME")).toString(), QStringLiteral("JONES"));
    const DataSet::Bookmark jones = ds->bookmark();
    EXPECT_TRUE(ds->bookmarkValid(jones));
    ds->first();
    EXPECT_TRUE(ds->bof());
    EXPECT_EQ(ds->recNo(), 1);
    ds->prior();
    EXPECT_TRUE(ds->bof());
    EXPECT_EQ(ds->moveBy(2), 2);
    EXPECT_EQ(ds->recNo(), 3);
    // A record inserted before it moves the record, not the bookmark.
    ds->first();
    ds->insert();
    ds->setFieldValue(QStringLiteral("ENAME"), QStringLiteral("NEW"));
    ds->post();
    EXPECT_TRUE(ds->gotoBookmark(jones));
    EXPECT_EQ(ds->recNo(), 5);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("ENAME")).toString(), QStringLiteral("JONES"));
    ds->deleteRecord();
    EXPECT_FALSE(ds->bookmarkValid(jones));
    EXPECT_FALSE(ds->gotoBookmark(jones));
    ds->last();
    EXPECT_TRUE(ds->eof());
    EXPECT_EQ(ds->recNo(), 5);
    ds->next();
    EXPECT_TRUE(ds->eof());
    EXPECT_EQ(ds->moveBy(-10), 4);
    EXPECT_EQ(ds->recNo(), 1);
}

TEST_F(DataSetTest, DisplayTextOfNumbersDatesAndNull)
{
    auto ds = openEmp(true);
    EXPECT_EQ(ds->displayText(0, 1), QStringLiteral("7369"));
    EXPECT_EQ(ds->displayText(0, 5), QStringLiteral("17-DEC-80")); // Oracle's default DD-MON-RR
    std::vector<db::driver::Bind> none;
    session.execute(QStringLiteral("alter session set nls_date_format = 'DD.MM.YYYY'"), none);
    EXPECT_EQ(ds->displayText(0, 5), QStringLiteral("17.12.1980"));
    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), 0.5);
    EXPECT_EQ(ds->displayText(3), QStringLiteral(".5")); // Oracle writes no leading zero
    ds->setFieldValue(QStringLiteral("SAL"), -1250.25);
    EXPECT_EQ(ds->displayText(3), QStringLiteral("-1250.25"));
    ds->setFieldValue(QStringLiteral("ENAME"), QVariant());
    EXPECT_TRUE(ds->fieldIsNull(2));
    EXPECT_EQ(ds->displayText(2), QString());
}

TEST_F(DataSetTest, RefreshRecordReadsTheServerAgain)
{
    auto ds = openEmp(true);
    ds->setRecNo(2);
    server->tables[QStringLiteral("EMP")].rows[1].values[1] = QStringLiteral("ALLEN2");
    EXPECT_EQ(ds->fieldValue(QStringLiteral("ENAME")).toString(), QStringLiteral("ALLEN"));
    ds->refreshRecord();
    EXPECT_EQ(ds->fieldValue(QStringLiteral("ENAME")).toString(), QStringLiteral("ALLEN2"));
    server->tables[QStringLiteral("EMP")].rows.erase(server->tables[QStringLiteral("EMP")].rows.begin() + 1);
    EXPECT_THROW(ds->refreshRecord(), OracleError);
}

TEST_F(DataSetTest, RefreshKeepsCachedUpdatesAndTheCurrentRecord)
{
    auto ds = openEmp(true);
    ds->setRecNo(3);
    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), 1);
    ds->post();
    ds->setRecNo(4);
    ds->deleteRecord();
    ds->setRecNo(2);
    ds->refresh();
    EXPECT_EQ(ds->recNo(), 2);
    EXPECT_EQ(ds->recordCount(), 4); // the deleted record stays deleted
    EXPECT_EQ(ds->value(2, 3).toInt(), 1); // the edited one shows the edit
    EXPECT_EQ(ds->pendingUpdateCount(), 2);
    session.applyUpdates({ ds.get() }, true);
    EXPECT_EQ(serverValue("EMP", 3, 2).toInt(), 1);
    EXPECT_EQ(serverValue("EMP", 4, 2).toString(), QStringLiteral("<gone>"));
}

TEST_F(DataSetTest, MasterDetailFollowsTheMastersCurrentRecord)
{
    DataSet dept(&session);
    dept.setSql(QStringLiteral("select * from dept"));
    dept.open();
    DataSet emp(&session);
    emp.setSql(QStringLiteral("select e.rowid, e.* from emp e where deptno = :deptno"));
    emp.setCachedUpdates(true);
    emp.setMaster(&dept, QStringLiteral("DEPTNO"));
    emp.open();
    auto names = [&] {
        QStringList n;
        for (int i = 0; i < emp.recordCount(); ++i)
            n << emp.value(i, 2).toString();
        return n;
    };
    EXPECT_EQ(names(), (QStringList { "CLARK" }));
    dept.next();
    EXPECT_EQ(emp.getVariable(QStringLiteral("DEPTNO")).toInt(), 20);
    EXPECT_EQ(names(), (QStringList { "SMITH", "JONES" }));
    // A cached edit in the detail survives moving the master away and back.
    emp.edit();
    emp.setFieldValue(QStringLiteral("SAL"), 1);
    emp.post();
    dept.next();
    EXPECT_EQ(names(), (QStringList { "ALLEN", "WARD" }));
    EXPECT_EQ(emp.pendingUpdateCount(), 1);
    dept.prior();
    EXPECT_EQ(emp.value(0, 3).toInt(), 1);
    session.applyUpdates({ &emp }, true);
    EXPECT_EQ(serverValue("EMP", 1, 2).toInt(), 1);
    // Closing the master closes the detail.
    dept.close();
    EXPECT_FALSE(emp.active());
}

TEST_F(DataSetTest, MasterDetailWithOtherVariableNames)
{
    DataSet dept(&session);
    dept.setSql(QStringLiteral("select * from dept"));
    dept.open();
    dept.setRecNo(3);
    DataSet emp(&session);
    emp.setSql(QStringLiteral("select * from emp where deptno = :d"));
    emp.setMaster(&dept, QStringLiteral("DEPTNO"), QStringLiteral("D"));
    EXPECT_EQ(emp.detailFields(), QStringLiteral("D"));
    emp.open();
    EXPECT_EQ(emp.recordCount(), 2);
    int runs = statementsLike(QStringLiteral("select * from emp"));
    dept.refresh(); // the master runs again, its current record keeps the same key: no new run of the detail
    EXPECT_EQ(statementsLike(QStringLiteral("select * from emp")), runs);
}

TEST_F(DataSetTest, DisabledControlsKeepTheDetailStillUntilEnabled)
{
    DataSet dept(&session);
    dept.setSql(QStringLiteral("select * from dept"));
    dept.setReadBuffer(1);
    dept.open();
    DataSet emp(&session);
    emp.setSql(QStringLiteral("select * from emp where deptno = :deptno"));
    emp.setMaster(&dept, QStringLiteral("DEPTNO"));
    emp.open();
    db::DataSetModel model;
    model.setDataSet(&dept);
    const int runs = statementsLike(QStringLiteral("select * from emp"));
    // Reading records the way column fitting does: bookmark, walk, go back.
    dept.disableControls();
    dept.disableControls();
    const DataSet::Bookmark b = dept.bookmark();
    for (dept.first(); !dept.eof(); dept.next()) { }
    dept.gotoBookmark(b);
    dept.enableControls();
    EXPECT_EQ(statementsLike(QStringLiteral("select * from emp")), runs);
    EXPECT_EQ(model.rowCount(), 1); // not told yet
    dept.enableControls();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(dept.recNo(), 1);
    // The detail is told once; its master record is the same, so it does not run again.
    EXPECT_EQ(statementsLike(QStringLiteral("select * from emp")), runs);
    dept.disableControls();
    dept.next();
    dept.enableControls();
    EXPECT_EQ(statementsLike(QStringLiteral("select * from emp")), runs + 1);
    EXPECT_EQ(emp.getVariable(QStringLiteral("DEPTNO")).toInt(), 20);
}

TEST_F(DataSetTest, QueryByExample)
{
    auto ds = openEmp(true);
    ds->enterQueryByExample();
    EXPECT_EQ(ds->state(), State::QueryByExample);
    EXPECT_EQ(ds->recordCount(), 1);
    ds->setFieldValue(QStringLiteral("ENAME"), QStringLiteral("%A%"));
    ds->setFieldValue(QStringLiteral("SAL"), QStringLiteral("> 1300"));
    ds->executeQueryByExample();
    EXPECT_EQ(ds->state(), State::Browse);
    QStringList names;
    for (int i = 0; i < ds->recordCount(); ++i)
        names << ds->value(i, 2).toString();
    EXPECT_EQ(names, (QStringList { "ALLEN", "CLARK" }));
    EXPECT_EQ(
        server->log.last(), QStringLiteral("select e.rowid, e.* from emp e where ENAME like :QBE_3 and SAL > :QBE_4"));
    // The example stays for the next time; a value with a quote is a value.
    ds->enterQueryByExample();
    EXPECT_EQ(ds->exampleValue(2).toString(), QStringLiteral("%A%"));
    ds->clearQueryByExample();
    ds->setFieldValue(QStringLiteral("ENAME"), QStringLiteral("O'BRIEN"));
    ds->executeQueryByExample();
    EXPECT_EQ(ds->recordCount(), 0);
    // Edits of a filtered result are read back through the filtered query.
    ds->enterQueryByExample();
    ds->clearQueryByExample();
    ds->setFieldValue(QStringLiteral("DEPTNO"), QStringLiteral("30"));
    ds->executeQueryByExample();
    ASSERT_EQ(ds->recordCount(), 2);
    ds->edit();
    ds->setFieldValue(QStringLiteral("SAL"), 1700);
    ds->post();
    session.applyUpdates({ ds.get() }, false);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("SAL")).toInt(), 1700);
    EXPECT_TRUE(server->log.contains(
        QStringLiteral("select e.rowid, e.* from emp e where (DEPTNO = :QBE_5) and e.rowid = :DMX_ROWID")));
    // Cancelling the example mode goes back to the rows shown.
    ds->enterQueryByExample();
    ds->cancel();
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(ds->recordCount(), 2);
}

TEST_F(DataSetTest, OpenFromAWorkerThreadChangesRowsInTheDataSetsThread)
{
    DataSet ds(&session);
    ds.setSql(QStringLiteral("select e.rowid, e.* from emp e"));
    db::DataSetModel model;
    model.setDataSet(&ds);
    bool signalledElsewhere = false;
    QObject::connect(
        &ds, &DataSet::aboutToReset, &ds,
        [&] { signalledElsewhere = signalledElsewhere || QThread::currentThread() != ds.thread(); },
        Qt::DirectConnection);
    for (const QString& where : { QString(), QStringLiteral(" where deptno = :d") }) {
        // The second run replaces a result the grid shows.
        ds.setVariable(QStringLiteral("d"), 30);
        if (!where.isEmpty())
            ds.setSql(ds.sql() + where);
        std::atomic<bool> done { false };
        std::thread worker([&] {
            ds.open();
            done = true;
        });
        // The GUI thread keeps serving events while the worker runs, as the worksheet does.
        ASSERT_TRUE(testsupport::waitFor([&] { return done.load(); }));
        worker.join();
        EXPECT_FALSE(signalledElsewhere);
        EXPECT_EQ(model.rowCount(), where.isEmpty() ? 5 : 2);
        EXPECT_EQ(model.columnCount(), 6);
    }
    // Opening an open data set again from the worker does not close it there either.
    std::atomic<bool> done { false };
    std::thread again([&] {
        ds.open();
        done = true;
    });
    ASSERT_TRUE(testsupport::waitFor([&] { return done.load(); }));
    again.join();
    EXPECT_FALSE(signalledElsewhere);
    EXPECT_EQ(model.rowCount(), 2);
}

TEST_F(DataSetTest, BreakWhileTheFirstRowsComeIsReportedNotShownAsAnEmptyResult)
{
    DataSet ds(&session);
    ds.setSql(QStringLiteral("select * from slow"));
    std::optional<OracleError> error;
    std::atomic<bool> done { false };
    std::thread worker([&] {
        try {
            ds.open();
        } catch (const OracleError& e) {
            error = e;
        }
        done = true;
    });
    ASSERT_TRUE(testsupport::waitFor([&] { return server->waiting.load(); }));
    session.breakExecution();
    ASSERT_TRUE(testsupport::waitFor([&] { return done.load(); }));
    worker.join();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code(), 1013);
}

TEST_F(DataSetTest, ApplyUpdatesRefusesADataSetOfAnotherSession)
{
    db::Session other;
    other.setDriver(driver);
    other.logOn();
    DataSet ds(&other);
    ds.setSql(QStringLiteral("select e.rowid, e.* from emp e"));
    ds.setCachedUpdates(true);
    ds.open();
    ds.edit();
    ds.setFieldValue(QStringLiteral("SAL"), 1);
    EXPECT_THROW(session.applyUpdates({ &ds }, true), OracleError);
    EXPECT_TRUE(ds.updatesPending());
    EXPECT_EQ(serverValue("EMP", 1, 2).toInt(), 800);
}

TEST_F(DataSetTest, OpenErrorHasLineAndPosition)
{
    DataSet ds(&session);
    ds.setSql(QStringLiteral("select *\nfrom nosuchtable"));
    EXPECT_THROW(ds.open(), OracleError);
    EXPECT_FALSE(ds.active());
    EXPECT_EQ(ds.errorLine(), 2);
    EXPECT_EQ(ds.errorPosition(), 6);
}

} // namespace

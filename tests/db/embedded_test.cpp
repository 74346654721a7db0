// The access layer on the embedded engine: a database found by name in the data directory, statements with
// binds, and a ROWID-editable data set whose cached updates reach the engine's tables.
#include "db/dataset.h"
#include "db/drivers.h"
#include "db/embedded/embeddeddriver.h"
#include "db/query.h"
#include "db/session.h"
#include "engine/engine.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QDateTime>

#include <atomic>
#include <optional>
#include <thread>

namespace {

using db::OracleError;

class EmbeddedTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        engine::Database::create(path(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
        session.setUserName(QStringLiteral("SYSTEM"));
        session.setPassword(QStringLiteral("MANAGER"));
        session.setDatabase(QStringLiteral("DEMO"));
        session.logOn();
        run(QStringLiteral("create table emp (empno number(4) primary key, ename varchar2(10), "
                           "sal number(7,2) check (sal > 0), hiredate date)"));
        run(QStringLiteral("insert into emp values (7369, 'SMITH', 800, date '1980-12-17')"));
        run(QStringLiteral("insert into emp values (7499, 'ALLEN', 1600, date '1981-02-20')"));
        run(QStringLiteral("insert into emp values (7521, 'WARD', 1250, null)"));
        session.commit();
    }
    void TearDown() override
    {
        session.logOff();
        db::setEmbeddedDataDirectory({});
    }
    void run(const QString& sql)
    {
        db::Query q(&session);
        q.setSql(sql);
        q.execute();
    }
    QStringList column(const QString& sql)
    {
        db::Query q(&session);
        q.setSql(sql);
        q.execute();
        QStringList out;
        for (; !q.eof(); q.next())
            out << (q.fieldIsNull(0) ? QStringLiteral("NULL") : q.field(0).toString());
        return out;
    }

    db::Session session;
};

TEST_F(EmbeddedTest, LogsOnByNameAndReportsTheServer)
{
    EXPECT_TRUE(session.connected());
    EXPECT_EQ(session.databaseKind(), QStringLiteral("Embedded"));
    EXPECT_FALSE(session.serverMajorVersion().isEmpty());
    // Oracle: SYSDBA needs the privilege (ORA-01031 without it); SYS has it.
    db::Session dba;
    dba.setUserName(QStringLiteral("SYS"));
    dba.setPassword(QStringLiteral("CHANGE_ON_INSTALL"));
    dba.setDatabase(QStringLiteral("demo"));
    dba.setSysdba(true);
    dba.logOn();
    EXPECT_TRUE(dba.connected());
    dba.setUserName(QStringLiteral("SYSTEM"));
    dba.setPassword(QStringLiteral("MANAGER"));
    try {
        dba.logOn();
        FAIL() << "SYSDBA without the privilege";
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 1031);
    }
    db::Session other;
    other.setUserName(QStringLiteral("SYSTEM"));
    other.setPassword(QStringLiteral("wrong"));
    other.setDatabase(QStringLiteral("DEMO"));
    try {
        other.logOn();
        FAIL() << "wrong password accepted";
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 1017); // Oracle: ORA-01017 invalid username/password; logon denied
    }
}

TEST_F(EmbeddedTest, BindUsedTwiceIsOneValueAndRowsProcessedCountsDml)
{
    db::Query q(&session);
    // Oracle binds a name that occurs twice in a SQL statement by name once.
    q.setSql(QStringLiteral("update emp set sal = sal + :d where sal < :d * 1000"));
    q.setVariable(QStringLiteral("d"), 2);
    q.execute();
    EXPECT_EQ(q.statementKind(), db::StatementKind::Update);
    EXPECT_EQ(q.rowsProcessed(), 3); // every salary is below 2 * 1000
    EXPECT_TRUE(session.inTransaction()); // Oracle: DML opens a transaction
    session.rollback();
    EXPECT_FALSE(session.inTransaction());
    EXPECT_EQ(column(QStringLiteral("select sal from emp order by empno")), (QStringList { "800", "1600", "1250" }));
}

// Oracle's NUMBER keeps 38 digits: a key past 64 bits and a decimal past a double's digits reach the client as
// their exact text, and a text bind of such a number finds the row with every digit.
TEST_F(EmbeddedTest, LongNumbersReachTheClientExactly)
{
    run(QStringLiteral("create table ledger (k number primary key, amount number)"));
    run(QStringLiteral("insert into ledger values (12345678901234567890123456789012345678, 0.1 + 0.2)"));
    run(QStringLiteral("insert into ledger values (12345678901234567891, 1/3)"));
    EXPECT_EQ(column(QStringLiteral("select k from ledger order by k")),
        (QStringList { "12345678901234567891", "12345678901234567890123456789012345678" }));
    EXPECT_EQ(column(QStringLiteral("select amount from ledger order by k")),
        (QStringList { ".3333333333333333333333333333333333333333", "0.3" }));
    db::Query q(&session);
    q.setSql(QStringLiteral("select amount from ledger where k = :k"));
    q.setVariable(QStringLiteral("k"), QStringLiteral("12345678901234567891"));
    q.execute();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.field(0).toString(), QStringLiteral(".3333333333333333333333333333333333333333"));
}

// Oracle's client receives a TIMESTAMP as a date-time with its fractions (milliseconds in QDateTime), a TIMESTAMP
// WITH TIME ZONE and an interval as their text; a date-time bound to a TIMESTAMP column is stored as it is.
TEST_F(EmbeddedTest, TimestampsAndIntervalsReachTheClient)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("create table ts_client (t timestamp(3), tz timestamp with time zone, d interval day to second)"));
    q.execute();
    q.setSql(QStringLiteral("insert into ts_client values (:t, timestamp '2024-02-29 13:05:09.5 +02:00', "
                            "interval '1 02:00:00' day to second)"));
    q.setVariable(QStringLiteral("t"), QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9), Qt::UTC));
    q.execute();
    q.setSql(QStringLiteral("select t + interval '0.25' second, tz, d from ts_client"));
    q.execute();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.fieldType(0), db::FieldType::Date);
    EXPECT_EQ(q.field(0).toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9, 250), Qt::UTC));
    EXPECT_EQ(q.field(1).toString(), QStringLiteral("2024-02-29 13:05:09.500000 +02:00"));
    EXPECT_EQ(q.field(2).toString(), QStringLiteral("+01 02:00:00.000000"));
}

TEST_F(EmbeddedTest, ErrorLineAndPositionPointAtTheTable)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select *\n  from nosuchtable"));
    try {
        q.execute();
        FAIL() << "no error";
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 942); // Oracle: ORA-00942 table or view does not exist, at the table name
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.position(), 8);
    }
}

TEST_F(EmbeddedTest, DataSetEditsThroughRowidAndAFailingApplyLosesNothing)
{
    db::DataSet ds(&session);
    ds.setSql(QStringLiteral("select e.rowid, e.* from emp e order by empno"));
    ds.setCachedUpdates(true);
    ds.open();
    ASSERT_TRUE(ds.editable());
    EXPECT_EQ(ds.recordCount(), 3);
    EXPECT_EQ(ds.displayText(0, 4), QStringLiteral("17-DEC-80"));

    ds.edit();
    ds.setFieldValue(QStringLiteral("ENAME"), QStringLiteral("SMYTHE"));
    ds.post();
    ds.next();
    ds.edit();
    ds.setFieldValue(QStringLiteral("SAL"), -1); // the check constraint refuses it
    ds.post();
    try {
        session.applyUpdates({ &ds }, true);
        FAIL() << "refused update reported as applied";
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 2290); // Oracle: ORA-02290 check constraint violated
    }
    EXPECT_EQ(column(QStringLiteral("select ename from emp where empno = 7369")), QStringList { "SMITH" });
    EXPECT_EQ(ds.pendingUpdateCount(), 2);

    ds.edit();
    ds.setFieldValue(QStringLiteral("SAL"), 1700);
    ds.post();
    ds.append();
    ds.setFieldValue(QStringLiteral("EMPNO"), 8000);
    ds.setFieldValue(QStringLiteral("ENAME"), QStringLiteral("NEW"));
    ds.post();
    session.applyUpdates({ &ds }, true);
    EXPECT_FALSE(session.inTransaction());
    EXPECT_EQ(column(QStringLiteral("select ename || ' ' || sal from emp order by empno")),
        (QStringList { "SMYTHE 800", "ALLEN 1700", "WARD 1250", "NEW " })); // || skips NULL
    // The new record was read back with the ROWID the engine gave it.
    ds.last();
    EXPECT_FALSE(ds.fieldIsNull(0));
    ds.deleteRecord();
    session.applyUpdates({ &ds }, true);
    EXPECT_EQ(column(QStringLiteral("select count(*) from emp")), QStringList { "3" });
}

TEST_F(EmbeddedTest, FailingApplyInsideAnOpenTransactionKeepsTheEarlierWork)
{
    run(QStringLiteral("update emp set sal = 999 where empno = 7521")); // the user's own, uncommitted
    db::DataSet ds(&session);
    ds.setSql(QStringLiteral("select e.rowid, e.* from emp e order by empno"));
    ds.setCachedUpdates(true);
    ds.open();
    ds.edit();
    ds.setFieldValue(QStringLiteral("ENAME"), QStringLiteral("FIRST"));
    ds.post();
    ds.next();
    ds.edit();
    ds.setFieldValue(QStringLiteral("SAL"), -1);
    ds.post();
    EXPECT_THROW(session.applyUpdates({ &ds }, false), OracleError);
    // Oracle's ROLLBACK TO SAVEPOINT undoes the apply only: the earlier update stays, the transaction stays open.
    EXPECT_TRUE(session.inTransaction());
    EXPECT_EQ(column(QStringLiteral("select ename || ' ' || sal from emp order by empno")),
        (QStringList { "SMITH 800", "ALLEN 1600", "WARD 999" }));
    EXPECT_EQ(ds.pendingUpdateCount(), 2);
    session.rollback();
}

TEST_F(EmbeddedTest, QueryByExampleAndMasterDetailRunOnTheEngine)
{
    db::DataSet ds(&session);
    ds.setSql(QStringLiteral("select e.rowid, e.* from emp e order by empno"));
    ds.open();
    ds.enterQueryByExample();
    ds.setFieldValue(QStringLiteral("ENAME"), QStringLiteral("%L%"));
    ds.setFieldValue(QStringLiteral("SAL"), QStringLiteral("> 1000")); // text bound, compared as a number
    ds.executeQueryByExample();
    ASSERT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(ds.fieldValue(QStringLiteral("ENAME")).toString(), QStringLiteral("ALLEN"));

    run(QStringLiteral("create table bonus (empno number(4), amount number)"));
    run(QStringLiteral("insert into bonus values (7499, 10)"));
    run(QStringLiteral("insert into bonus values (7499, 20)"));
    run(QStringLiteral("insert into bonus values (7521, 5)"));
    db::DataSet master(&session);
    master.setSql(QStringLiteral("select * from emp order by empno"));
    master.open();
    db::DataSet detail(&session);
    detail.setSql(QStringLiteral("select amount from bonus where empno = :empno order by amount"));
    detail.setMaster(&master, QStringLiteral("EMPNO"));
    detail.open();
    EXPECT_EQ(detail.recordCount(), 0);
    master.next();
    EXPECT_EQ(detail.recordCount(), 2);
    master.next();
    ASSERT_EQ(detail.recordCount(), 1);
    EXPECT_EQ(detail.fieldValue(0).toInt(), 5);
    session.rollback();
}

TEST_F(EmbeddedTest, BreakExecutionEndsALongQueryWithOra01013)
{
    run(QStringLiteral("create table n (x number)"));
    db::Query ins(&session);
    ins.setSql(QStringLiteral("insert into n values (:x)"));
    for (int i = 0; i < 300; ++i) {
        ins.setVariable(QStringLiteral("x"), i);
        ins.execute();
    }
    session.commit();
    db::Query q(&session);
    // 27 million combinations: long enough to be running when the break comes.
    q.setSql(QStringLiteral("select count(*) from n a, n b, n c where a.x + b.x + c.x < 0"));
    std::optional<OracleError> error;
    std::atomic<bool> started { false };
    std::atomic<bool> done { false };
    std::thread worker([&] {
        started = true;
        try {
            q.execute();
        } catch (const OracleError& e) {
            error = e;
        }
        done = true;
    });
    ASSERT_TRUE(testsupport::waitFor([&] { return started.load(); }));
    // Break until the call ends: the first may come before the statement has begun.
    ASSERT_TRUE(testsupport::waitFor(
        [&] {
            session.breakExecution();
            return done.load();
        },
        60000));
    worker.join();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code(), 1013); // Oracle: ORA-01013 user requested cancel of current operation
    // The session stays usable afterwards.
    EXPECT_EQ(column(QStringLiteral("select count(*) from n")), QStringList { "300" });
}

TEST(EmbeddedValueTest, ConversionsBothWays)
{
    using db::FieldType;
    using db::embedded::toEngineValue;
    using db::embedded::toVariant;
    const QDateTime date(QDate(2024, 2, 29), QTime(13, 5, 9), Qt::UTC);
    EXPECT_EQ(toEngineValue(date, FieldType::Date), engine::Value::fromDate("2024-02-29 13:05:09"));
    EXPECT_EQ(toVariant(engine::Value::fromDate("2024-02-29 13:05:09"), FieldType::Date).toDateTime(), date);
    EXPECT_EQ(toEngineValue(QString(), FieldType::Varchar2), engine::Value::null()); // '' is NULL
    EXPECT_EQ(toEngineValue(42, FieldType::Number), engine::Value::fromInt(42));
    EXPECT_EQ(toEngineValue(2.0, FieldType::Number), engine::Value::fromInt(2));
    EXPECT_EQ(toEngineValue(2.5, FieldType::Number), engine::Value::fromReal(2.5));
    EXPECT_EQ(
        toEngineValue(QByteArray("\x01\x02", 2), FieldType::Raw), engine::Value::fromBlob(std::string("\x01\x02", 2)));
    EXPECT_TRUE(toVariant(engine::Value::null(), FieldType::Number).isNull());
    EXPECT_EQ(toVariant(engine::Value::fromInt(7), FieldType::Number).toLongLong(), 7);
    EXPECT_EQ(toVariant(engine::Value::fromText("AB"), FieldType::Varchar2).toString(), QStringLiteral("AB"));
}

} // namespace

// Oracle's client: a cursor whose session logged off fails with ORA-01012 (not logged on), one whose connection
// is gone with ORA-03114; neither looks like the end of its rows.
TEST_F(EmbeddedTest, ACursorReadAfterItsLogonEndedFails)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select empno from emp order by empno"));
    q.execute();
    ASSERT_FALSE(q.eof());
    session.logOff();
    try {
        q.next();
        FAIL() << "a cursor of an ended logon gave " << (q.eof() ? "its end" : "a row");
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 1012);
    }
    // Nor does a new logon of the same session revive it.
    session.logOn();
    EXPECT_THROW(q.next(), OracleError);

    auto other = std::make_unique<db::Session>();
    other->setUserName(QStringLiteral("SYSTEM"));
    other->setPassword(QStringLiteral("MANAGER"));
    other->setDatabase(QStringLiteral("DEMO"));
    other->logOn();
    db::Query r(other.get());
    r.setSql(QStringLiteral("select empno from emp order by empno"));
    r.execute();
    other.reset();
    try {
        r.next();
        FAIL() << "a cursor of a session that is gone gave " << (r.eof() ? "its end" : "a row");
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 3114);
    }
}

TEST_F(EmbeddedTest, LogoffFromAnotherThreadBreaksTheRunningStatementFirst)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("begin loop null; end loop; end;"));
    std::optional<OracleError> error;
    const quint64 before = session.callCount();
    std::thread worker([&] {
        try {
            q.execute();
        } catch (const OracleError& e) {
            error = e;
        }
    });
    ASSERT_TRUE(testsupport::waitFor([&] { return session.callCount() > before; }));
    std::atomic<bool> loggedOff { false };
    std::thread closer([&] {
        session.logOff();
        loggedOff = true;
    });
    const bool ended = testsupport::waitFor([&] { return loggedOff.load(); }, 20000);
    if (!ended)
        while (!loggedOff) // release the test from a logoff that waits for the statement
            session.breakExecution();
    closer.join();
    worker.join();
    EXPECT_TRUE(ended) << "the logoff waited for the statement";
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code(), 1013);
    EXPECT_FALSE(session.connected());
}

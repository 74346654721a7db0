// Sessions and queries over the fake server: logon, binds, OUT binds, rows processed, error position, break,
// server output, the date format and transaction state.
#include "db/drivers.h"
#include "db/query.h"
#include "fixture.h"
#include "support/tempdir.h"

#include <QDir>

#include <thread>

namespace {

using db::BindDirection;
using db::BindType;
using db::OracleError;

class SessionTest : public FakeSessionTest { };

TEST_F(SessionTest, LogonValuesAndState)
{
    EXPECT_TRUE(session.connected());
    EXPECT_EQ(session.databaseKind(), QStringLiteral("Fake"));
    EXPECT_EQ(session.serverMajorVersion(), QStringLiteral("11"));
    session.logOff();
    EXPECT_FALSE(session.connected());
    EXPECT_FALSE(session.inTransaction());
    EXPECT_TRUE(session.databaseKind().isEmpty());
    db::Query q(&session);
    q.setSql(QStringLiteral("select * from emp"));
    try {
        q.execute();
        FAIL() << "a query ran without a logon";
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 3114);
    }
    session.setPassword(QStringLiteral("wrong"));
    try {
        session.logOn();
        FAIL() << "wrong password accepted";
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 1017);
    }
    EXPECT_FALSE(session.connected());
}

TEST_F(SessionTest, NameUsedSeveralTimesIsOneBind)
{
    server->on(QStringLiteral("^begin :r := :a \\+ :a \\* :b; end;$"), [](fake::Connection&, auto& binds) {
        db::driver::Result r;
        r.kind = db::StatementKind::PlSql;
        double a = 0, b = 0;
        for (auto& bind : binds) {
            if (bind.name == QLatin1String("A"))
                a = bind.value.toDouble();
            if (bind.name == QLatin1String("B"))
                b = bind.value.toDouble();
        }
        for (auto& bind : binds)
            if (bind.name == QLatin1String("R"))
                bind.value = a + a * b;
        return r;
    });
    db::Query q(&session);
    q.setSql(QStringLiteral("begin :r := :a + :A * :b; end;"));
    q.declareVariable(QStringLiteral(":R"), BindType::Float, BindDirection::Out);
    q.setVariable(QStringLiteral("a"), 3);
    q.setVariable(QStringLiteral("b"), 4);
    q.setVariable(QStringLiteral("unused"), 5);
    q.execute();
    ASSERT_EQ(server->bindLog.back().size(), 3u); // R, A, B: A once, UNUSED not sent
    EXPECT_EQ(server->bindLog.back()[0].name, QStringLiteral("R"));
    EXPECT_EQ(server->bindLog.back()[1].name, QStringLiteral("A"));
    EXPECT_EQ(server->bindLog.back()[0].direction, BindDirection::Out);
    EXPECT_EQ(server->bindLog.back()[1].type, db::FieldType::Number);
    EXPECT_DOUBLE_EQ(q.getVariable(QStringLiteral("r")).toDouble(), 15.0);
    EXPECT_EQ(q.statementKind(), db::StatementKind::PlSql);
}

// A query keeps the bind names of its text between executions; a new text must be read through again, or the
// binds of the old text would be sent with it.
TEST_F(SessionTest, BindsFollowTheTextWhenItChanges)
{
    auto echo = [](fake::Connection&, auto&) {
        db::driver::Result r;
        r.kind = db::StatementKind::PlSql;
        return r;
    };
    server->on(QStringLiteral("^begin p\\(:a\\); end;$"), echo);
    server->on(QStringLiteral("^begin p\\(:b, :c\\); end;$"), echo);
    db::Query q(&session);
    q.setVariable(QStringLiteral("a"), 1);
    q.setVariable(QStringLiteral("b"), 2);
    q.setVariable(QStringLiteral("c"), 3);
    const struct {
        const char* sql;
        std::vector<const char*> binds;
    } runs[] = {
        { "begin p(:a); end;", { "A" } },
        { "begin p(:a); end;", { "A" } },
        { "begin p(:b, :c); end;", { "B", "C" } },
        { "begin p(:a); end;", { "A" } },
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.sql);
        q.setSql(QString::fromLatin1(run.sql));
        q.execute();
        const auto& sent = server->bindLog.back();
        ASSERT_EQ(sent.size(), run.binds.size());
        for (size_t k = 0; k < sent.size(); ++k)
            EXPECT_EQ(sent[k].name, QString::fromLatin1(run.binds[k]));
    }
}

TEST_F(SessionTest, InOutBindAndRefCursor)
{
    server->on(QStringLiteral("^begin :n := :n \\* 2; open :c for select \\* from dept; end;$"),
        [](fake::Connection&, auto& binds) {
            for (auto& bind : binds) {
                if (bind.name == QLatin1String("N"))
                    bind.value = bind.value.toInt() * 2;
                if (bind.name == QLatin1String("C"))
                    bind.cursor = std::make_shared<fake::RowsCursor>(
                        std::vector<db::driver::Column> { { QStringLiteral("DNAME"), db::FieldType::Varchar2 } },
                        std::vector<std::vector<QVariant>> { { QStringLiteral("A") }, { QStringLiteral("B") } });
            }
            return db::driver::Result {};
        });
    db::Query q(&session);
    q.setSql(QStringLiteral("begin :n := :n * 2; open :c for select * from dept; end;"));
    q.declareVariable(QStringLiteral("n"), BindType::Integer, BindDirection::InOut);
    q.setVariable(QStringLiteral("n"), 21);
    q.declareVariable(QStringLiteral("c"), BindType::Cursor, BindDirection::Out);
    q.execute();
    EXPECT_EQ(q.getVariable(QStringLiteral("N")).toInt(), 42);
    EXPECT_EQ(server->bindLog.back()[1].type, db::FieldType::RefCursor);
    std::unique_ptr<db::Query> c = q.cursorVariable(QStringLiteral("c"));
    ASSERT_TRUE(c);
    QStringList names;
    for (; !c->eof(); c->next())
        names << c->field(QStringLiteral("dname")).toString();
    EXPECT_EQ(names, (QStringList { "A", "B" }));
}

TEST_F(SessionTest, QueryFieldsNextEofAndRowsProcessed)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select * from emp where deptno = :d"));
    q.setVariable(QStringLiteral("d"), 30);
    q.execute();
    EXPECT_EQ(q.statementKind(), db::StatementKind::Select);
    ASSERT_EQ(q.fieldCount(), 5);
    EXPECT_EQ(q.fieldName(1), QStringLiteral("ENAME"));
    EXPECT_EQ(q.fieldIndex(QStringLiteral("sal")), 2);
    EXPECT_EQ(q.fieldIndex(QStringLiteral("nosuch")), -1);
    EXPECT_EQ(q.fieldType(4), db::FieldType::Date);
    QStringList names;
    for (; !q.eof(); q.next())
        names << q.field(QStringLiteral("ENAME")).toString();
    EXPECT_EQ(names, (QStringList { "ALLEN", "WARD" }));
    EXPECT_EQ(q.rowsProcessed(), 2);
    EXPECT_THROW(q.field(QStringLiteral("nosuch")), OracleError);

    q.setSql(QStringLiteral("delete from emp where rowid = :r"));
    q.setVariable(QStringLiteral("r"), fake::rowidOf(1));
    q.execute();
    EXPECT_EQ(q.statementKind(), db::StatementKind::Delete);
    EXPECT_EQ(q.rowsProcessed(), 1);
    EXPECT_TRUE(session.inTransaction());
    session.rollback();
    EXPECT_FALSE(session.inTransaction());
    EXPECT_EQ(table("EMP").rows.size(), 5u);

    q.setSql(QStringLiteral("select * from emp where ename is null"));
    q.execute();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.rowsProcessed(), 0);
}

TEST_F(SessionTest, ErrorLineAndPositionAfterFailure)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select *\r\n  from nosuchtable"));
    try {
        q.execute();
        FAIL() << "no error";
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 942);
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.position(), 8);
    }
    EXPECT_EQ(q.errorLine(), 2);
    EXPECT_EQ(q.errorPosition(), 8);
    // The next success clears them.
    q.setSql(QStringLiteral("select * from dept"));
    q.execute();
    EXPECT_EQ(q.errorLine(), 0);
    EXPECT_EQ(q.errorPosition(), 0);
}

TEST_F(SessionTest, BreakFromAnotherThreadEndsTheCallWithOra01013)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("begin wait; end;"));
    std::optional<OracleError> error;
    std::thread worker([&] {
        try {
            q.execute();
        } catch (const OracleError& e) {
            error = e;
        }
    });
    ASSERT_TRUE(testsupport::waitFor([&] { return server->waiting.load(); }));
    // Asking for the transaction state while the call runs must not wait for it.
    EXPECT_FALSE(session.inTransaction());
    session.breakExecution();
    worker.join();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code(), 1013);
    // The session stays usable.
    q.setSql(QStringLiteral("select * from dept"));
    q.execute();
    EXPECT_FALSE(q.eof());
}

TEST_F(SessionTest, BreakDuringAFetch)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select * from slow"));
    std::optional<OracleError> error;
    std::thread worker([&] {
        try {
            q.execute(); // the first fetch blocks
        } catch (const OracleError& e) {
            error = e;
        }
    });
    ASSERT_TRUE(testsupport::waitFor([&] { return server->waiting.load(); }));
    session.breakExecution();
    worker.join();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code(), 1013);
}

TEST_F(SessionTest, ServerOutputLines)
{
    server->on(QStringLiteral("^begin put; end;$"), [](fake::Connection& c, auto&) {
        c.putLine(QStringLiteral("one"));
        c.putLine(QStringLiteral("two"));
        return db::driver::Result {};
    });
    db::Query q(&session);
    q.setSql(QStringLiteral("begin put; end;"));
    q.execute();
    EXPECT_TRUE(session.takeOutputLines().isEmpty()); // not enabled: nothing kept
    session.enableOutput(100000);
    EXPECT_TRUE(session.outputEnabled());
    q.execute();
    EXPECT_EQ(session.takeOutputLines(), (QStringList { "one", "two" }));
    EXPECT_TRUE(session.takeOutputLines().isEmpty());
    // Enabled output carries over to the next logon of the session.
    session.logOn();
    q.execute();
    EXPECT_EQ(session.takeOutputLines().size(), 2);
}

TEST_F(SessionTest, DateFormatFollowsAlterSession)
{
    EXPECT_EQ(session.dateFormat(), QStringLiteral("DD-MON-RR"));
    db::Query q(&session);
    q.setSql(QStringLiteral("alter session set nls_date_format = 'DD.MM.YYYY HH24:MI'"));
    q.execute();
    EXPECT_EQ(session.dateFormat(), QStringLiteral("DD.MM.YYYY HH24:MI"));
    q.setSql(QStringLiteral("ALTER SESSION SET NLS_DATE_FORMAT=\"YYYY-MM-DD\""));
    q.execute();
    EXPECT_EQ(session.dateFormat(), QStringLiteral("YYYY-MM-DD"));
    session.logOn(); // a new logon starts from Oracle's default
    EXPECT_EQ(session.dateFormat(), QStringLiteral("DD-MON-RR"));
}

TEST_F(SessionTest, LogoffRollsBackAnOpenTransaction)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("delete from emp where rowid = :r"));
    q.setVariable(QStringLiteral("r"), fake::rowidOf(1));
    q.execute();
    session.logOff();
    EXPECT_EQ(table("EMP").rows.size(), 5u);
}

class DatabaseNameTest : public testsupport::TempDirTest {
protected:
    void TearDown() override { db::setEmbeddedDataDirectory({}); }
};

TEST_F(DatabaseNameTest, NameOutsideTheDataDirectoryNeedsTheOracleClient)
{
    db::setEmbeddedDataDirectory(tmp.path());
    for (const QString& name : { QStringLiteral("PROD"), QStringLiteral(".."), QStringLiteral("../x") }) {
        SCOPED_TRACE(name.toStdString());
        db::Session s;
        s.setDatabase(name);
        try {
            s.logOn();
            FAIL() << "logged on";
        } catch (const OracleError& e) {
            EXPECT_EQ(e.code(), 12154);
            EXPECT_TRUE(e.message().contains(QStringLiteral("\"%1\"").arg(name))) << e.what();
            EXPECT_TRUE(e.message().contains(QStringLiteral("no Oracle client driver is available"))) << e.what();
        }
        EXPECT_FALSE(s.connected());
    }
    // Once the Oracle client's driver is there, such names go to it.
    auto server = std::make_shared<fake::Server>();
    db::setOracleClientDriver(std::make_shared<fake::Driver>(server));
    db::Session s;
    s.setDatabase(QStringLiteral("PROD"));
    s.logOn();
    EXPECT_EQ(s.databaseKind(), QStringLiteral("Fake"));
    db::setOracleClientDriver(nullptr);
}

TEST_F(DatabaseNameTest, DirectoryUnderTheDataDirectoryIsEmbedded)
{
    db::setEmbeddedDataDirectory(tmp.path());
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("DEMO")));
    auto driver = db::driverForDatabase(QStringLiteral("DEMO"));
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->databaseKind(), QStringLiteral("Embedded"));
    // Command files upper-case their words; a database name matches its directory in any case.
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("kit")));
    EXPECT_EQ(db::driverForDatabase(QStringLiteral("KIT"))->databaseKind(), QStringLiteral("Embedded"));
    EXPECT_EQ(db::driverForDatabase(QStringLiteral(" demo "))->databaseKind(), QStringLiteral("Embedded"));
    // Two directories that differ only in case leave the name ambiguous: it is not taken for either.
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("Kit")));
    EXPECT_THROW(db::driverForDatabase(QStringLiteral("KIT")), OracleError);
}

} // namespace

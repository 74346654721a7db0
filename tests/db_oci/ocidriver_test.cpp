// The Oracle client driver against the test double of the client library, loaded through the driver's own loading
// path: logon, binds, fetch, errors with offsets, warnings, break, server output, and a machine without a client.
#include "../fakeoci/fakeclient.h"
#include "db/oci/ociclient.h"
#include "db/oci/ocidriver.h"
#include "db/oci/tnsnames.h"
#include "db/query.h"
#include "db/session.h"
#include "support/waitfor.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>

namespace {

using db::OracleError;
using db::driver::Bind;

const char* baseScript = R"({
  "users": {"SCOTT": "tiger", "SYS": "change_on_install"},
  "aliases": ["ORCL"],
  "version": "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production\nVersion 19.3.0.0.0",
  "statements": []
})";

class OciDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The configured location is the double's home: the driver finds lib/libclntsh.so below it.
        db::oci::setClientLocation(QStringLiteral(DREMMOX_FAKEOCI_HOME));
        script({});
    }
    void TearDown() override { db::oci::setClientLocation({}); }

    // The base script with these statements.
    void script(const QJsonArray& statements, const QJsonObject& extra = {})
    {
        QJsonObject o = QJsonDocument::fromJson(baseScript).object();
        o.insert(QStringLiteral("statements"), statements);
        for (auto it = extra.begin(); it != extra.end(); ++it)
            o.insert(it.key(), it.value());
        FakeClient::get().configure(QJsonDocument(o).toJson().constData());
    }
    static QJsonObject statement(const char* json) { return QJsonDocument::fromJson(json).object(); }

    std::unique_ptr<db::driver::Connection> logOn(bool sysdba = false)
    {
        return driver->logOn({ QStringLiteral("scott"), QStringLiteral("tiger"), QStringLiteral("ORCL"), sysdba });
    }

    FakeClient& fake = FakeClient::get();
    std::shared_ptr<db::driver::Driver> driver = db::oci::newClientDriver();
};

TEST_F(OciDriverTest, LogsOnThroughTheLoadedClient)
{
    EXPECT_EQ(driver->databaseKind(), QStringLiteral("Oracle"));
    {
        auto c = logOn();
        EXPECT_EQ(c->serverVersion(),
            QStringLiteral("Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production"));
        const QStringList log = fake.lines();
        // A threaded environment in AL32UTF8, so breaks may come from another thread and text is exact.
        EXPECT_TRUE(log.contains(QStringLiteral("environment mode=1 charset=873/873"))) << log.join('\n').toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("attach ORCL")));
        EXPECT_TRUE(log.contains(QStringLiteral("logon scott cred=1 mode=0")));
    }
    // Logging off ends the session and frees every handle but the environment.
    EXPECT_TRUE(fake.lines().contains(QStringLiteral("logoff")));
    EXPECT_TRUE(fake.lines().contains(QStringLiteral("detach")));
    EXPECT_EQ(fake.liveHandles(), 1);

    auto sys
        = driver->logOn({ QStringLiteral("SYS"), QStringLiteral("change_on_install"), QStringLiteral("orcl"), true });
    EXPECT_TRUE(fake.lines().contains(QStringLiteral("logon SYS cred=1 mode=2"))); // AS SYSDBA
}

TEST_F(OciDriverTest, LogonFailuresAreOraclesErrors)
{
    struct Case {
        const char* user;
        const char* password;
        const char* database;
        int code;
    } cases[] = { { "scott", "wrong", "ORCL", 1017 }, { "scott", "tiger", "NOSUCH", 12154 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.database);
        try {
            driver->logOn({ c.user, c.password, c.database, false });
            FAIL() << "logged on";
        } catch (const OracleError& e) {
            EXPECT_EQ(e.code(), c.code);
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("ORA-%1").arg(c.code, 5, 10, QLatin1Char('0'))))
                << e.what();
        }
        EXPECT_EQ(fake.liveHandles(), 1); // nothing of the failed logon is left
    }
}

TEST_F(OciDriverTest, QueryFetchesInArraysWithTypedValues)
{
    QJsonArray rows;
    for (int i = 1; i <= 250; ++i)
        rows.append(QJsonArray { i, QStringLiteral("name %1").arg(i), i % 2 ? QJsonValue(i + 0.5) : QJsonValue(),
            QStringLiteral("2024-0%1-15 10:20:30").arg(i % 9 + 1), QStringLiteral("AAAR3sAAEAAAACXAA%1").arg(i % 10) });
    QJsonObject s = statement(R"({"match": "FROM EMP", "columns": [
        {"name": "ID", "type": 2, "size": 22, "precision": 10, "scale": 0, "nullable": false},
        {"name": "ENAME", "type": 1, "size": 40, "charSize": 10},
        {"name": "SAL", "type": 2, "size": 22, "precision": 7, "scale": 2},
        {"name": "HIRED", "type": 12, "size": 7},
        {"name": "ROWID", "type": 11, "size": 10}]})");
    s.insert(QStringLiteral("rows"), rows);
    script({ s });
    auto c = logOn();
    std::vector<Bind> binds;
    auto r = c->execute(QStringLiteral("SELECT ID, ENAME, SAL, HIRED, ROWID FROM EMP"), binds);
    EXPECT_EQ(r.kind, db::StatementKind::Select);
    ASSERT_TRUE(r.cursor);
    const auto& cols = r.cursor->columns();
    ASSERT_EQ(cols.size(), 5u);
    EXPECT_EQ(cols[0].name, QStringLiteral("ID"));
    EXPECT_EQ(cols[0].type, db::FieldType::Number);
    EXPECT_EQ(cols[0].precision, 10);
    EXPECT_FALSE(cols[0].nullable);
    EXPECT_EQ(cols[1].type, db::FieldType::Varchar2);
    EXPECT_EQ(cols[1].size, 10); // characters, not bytes
    EXPECT_EQ(cols[2].scale, 2);
    EXPECT_EQ(cols[3].type, db::FieldType::Date);
    EXPECT_EQ(cols[4].type, db::FieldType::Rowid);
    int n = 0;
    while (r.cursor->next()) {
        ++n;
        ASSERT_EQ(r.cursor->value(0), QVariant::fromValue<qint64>(n));
        ASSERT_EQ(r.cursor->value(1), QStringLiteral("name %1").arg(n));
        if (n % 2)
            ASSERT_DOUBLE_EQ(r.cursor->value(2).toDouble(), n + 0.5);
        else
            ASSERT_FALSE(r.cursor->value(2).isValid()) << "row " << n; // null stays null
        ASSERT_EQ(r.cursor->value(3), QDateTime(QDate(2024, n % 9 + 1, 15), QTime(10, 20, 30), Qt::UTC));
        ASSERT_EQ(r.cursor->value(4), QStringLiteral("AAAR3sAAEAAAACXAA%1").arg(n % 10));
    }
    EXPECT_EQ(n, 250);
    EXPECT_FALSE(r.cursor->next());
    // 250 rows in arrays of 100 with prefetch: three fetch calls, not 250.
    EXPECT_EQ(fake.linesStarting(QStringLiteral("fetch ")), (QStringList { "fetch 100", "fetch 100", "fetch 100" }));
    EXPECT_TRUE(fake.lines().contains(QStringLiteral("execute iters=0 prefetch=200")));
    r.cursor.reset();
    c.reset();
    EXPECT_EQ(fake.liveHandles(), 1); // the statement was released with its cursor
}

TEST_F(OciDriverTest, LongValuesComeWholeOrFailLoudly)
{
    const QString big(200000, QLatin1Char('x'));
    QJsonObject s = statement(R"({"match": "FROM DOCS", "columns": [{"name": "BODY", "type": 112, "size": 4000},
        {"name": "PIC", "type": 113, "size": 4000}]})");
    s.insert(QStringLiteral("rows"),
        QJsonArray { QJsonArray { big, QStringLiteral("bytes") }, QJsonArray { QJsonValue(), QJsonValue() } });
    QJsonObject tooLong = statement(R"({"match": "FROM HUGE", "columns": [{"name": "BODY", "type": 8, "size": 0}]})");
    tooLong.insert(
        QStringLiteral("rows"), QJsonArray { QJsonArray { QString(db::oci::longValueLimit + 10, QLatin1Char('y')) } });
    script({ s, tooLong });
    auto c = logOn();
    std::vector<Bind> binds;
    auto r = c->execute(QStringLiteral("SELECT BODY, PIC FROM DOCS"), binds);
    EXPECT_EQ(r.cursor->columns()[0].type, db::FieldType::Clob);
    EXPECT_EQ(r.cursor->columns()[1].type, db::FieldType::Blob);
    ASSERT_TRUE(r.cursor->next());
    EXPECT_EQ(r.cursor->value(0).toString(), big);
    EXPECT_EQ(r.cursor->value(1).toByteArray(), QByteArray("bytes"));
    ASSERT_TRUE(r.cursor->next());
    EXPECT_FALSE(r.cursor->value(0).isValid());
    EXPECT_FALSE(r.cursor->next());
    // LONG and LOB columns are read a row at a time.
    EXPECT_EQ(fake.linesStarting(QStringLiteral("fetch ")).value(0), QStringLiteral("fetch 1"));

    auto huge = c->execute(QStringLiteral("SELECT BODY FROM HUGE"), binds);
    try {
        huge.cursor->next();
        FAIL() << "a cut value was passed on";
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 1406);
        EXPECT_TRUE(e.message().contains(QStringLiteral("column BODY"))) << e.what();
    }
}

TEST_F(OciDriverTest, BindsTravelInOraclesFormats)
{
    script({ statement(R"({"match": "PROC_ALL", "type": 8, "out": {"N_OUT": "-123.45", "S_IO": "changed",
        "D_OUT": "1999-12-31 23:59:59", "L_OUT": null, "C": {"columns": [{"name": "X", "type": 2}], "rows": [[1], [2]]}}})") });
    auto c = logOn();
    std::vector<Bind> binds(11);
    auto set = [&](int i, const char* name, db::FieldType t, db::BindDirection d, QVariant v) {
        binds[size_t(i)].name = name;
        binds[size_t(i)].type = t;
        binds[size_t(i)].direction = d;
        binds[size_t(i)].value = std::move(v);
    };
    using db::BindDirection;
    using db::FieldType;
    set(0, "I_INT", FieldType::Number, BindDirection::In, QVariant::fromValue<qint64>(9007199254740993LL));
    set(1, "I_DBL", FieldType::Number, BindDirection::In, 0.1);
    set(2, "I_TXT", FieldType::Varchar2, BindDirection::In, QStringLiteral("žabe 'q'"));
    set(3, "I_DATE", FieldType::Date, BindDirection::In, QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC));
    set(4, "I_NULL", FieldType::Varchar2, BindDirection::In, QVariant());
    set(5, "N_OUT", FieldType::Number, BindDirection::Out, QVariant());
    set(6, "S_IO", FieldType::Varchar2, BindDirection::InOut, QStringLiteral("before"));
    set(7, "D_OUT", FieldType::Date, BindDirection::Out, QVariant());
    set(8, "L_OUT", FieldType::Clob, BindDirection::Out, QStringLiteral("ignored: OUT only"));
    set(9, "C", FieldType::RefCursor, BindDirection::Out, QVariant());
    set(10, "I_CHAR", FieldType::Char, BindDirection::In, QStringLiteral("AB"));
    auto r = c->execute(QStringLiteral("BEGIN PROC_ALL(:I_INT, :I_DBL, :I_TXT, :I_DATE, :I_NULL, :N_OUT, :S_IO, "
                                       ":D_OUT, :L_OUT, :C, :I_CHAR); END;"),
        binds);
    EXPECT_EQ(r.kind, db::StatementKind::PlSql);
    const QStringList log = fake.lines();
    const QStringList expected {
        "bind I_INT 6 9007199254740993", // exact, not through a double
        "bind I_DBL 6 0.1", // the shortest text of the double, not 0.1000000000000000055
        "bind I_TXT 1 žabe 'q'", "bind I_DATE 12 2001-02-03 04:05:06", "bind I_NULL 1 NULL", "bind N_OUT 6 NULL",
        "bind S_IO 1 before", "bind D_OUT 12 NULL", "bind L_OUT 8 NULL", "bind C 116 cursor",
        "bind I_CHAR 96 AB", // compared blank-padded, as CHAR
    };
    for (const QString& line : expected)
        EXPECT_TRUE(log.contains(line)) << line.toStdString() << "\n" << log.join('\n').toStdString();
    EXPECT_DOUBLE_EQ(binds[5].value.toDouble(), -123.45);
    EXPECT_EQ(binds[6].value, QStringLiteral("changed"));
    EXPECT_EQ(binds[7].value, QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59), Qt::UTC));
    EXPECT_FALSE(binds[8].value.isValid());
    ASSERT_TRUE(binds[9].cursor);
    EXPECT_EQ(binds[9].cursor->columns().at(0).name, QStringLiteral("X"));
    ASSERT_TRUE(binds[9].cursor->next());
    EXPECT_EQ(binds[9].cursor->value(0), QVariant::fromValue<qint64>(1));
    ASSERT_TRUE(binds[9].cursor->next());
    EXPECT_FALSE(binds[9].cursor->next());
}

TEST_F(OciDriverTest, ANameUsedTwiceIsBoundOnceAndTextThatIsNoNumberIsLeftToTheServer)
{
    script({ statement(R"({"match": "UPDATE EMP", "rowCount": 3, "transaction": true})") });
    auto c = logOn();
    std::vector<Bind> binds(3);
    binds[0] = { "V", db::BindDirection::In, db::FieldType::Number, QStringLiteral("12,5"), nullptr };
    binds[1] = { "V", db::BindDirection::In, db::FieldType::Number, 1, nullptr };
    binds[2] = { "RID", db::BindDirection::In, db::FieldType::Rowid, QStringLiteral("AAAR3sAAEAAAACXAAA"), nullptr };
    auto r = c->execute(QStringLiteral("UPDATE EMP SET SAL = :V, COMM = :V WHERE ROWID = :RID"), binds);
    EXPECT_EQ(r.kind, db::StatementKind::Update);
    EXPECT_EQ(r.rowsProcessed, 3);
    EXPECT_TRUE(fake.lines().contains(QStringLiteral("execute iters=1 prefetch=0")));
    EXPECT_EQ(fake.linesStarting(QStringLiteral("bind ")),
        (QStringList { "bind RID 1 AAAR3sAAEAAAACXAAA", "bind V 1 12,5" }));
    EXPECT_TRUE(c->inTransaction());
    c->commit();
    EXPECT_FALSE(c->inTransaction());
    EXPECT_TRUE(fake.lines().contains(QStringLiteral("commit")));
}

TEST_F(OciDriverTest, ANameGivenTwiceGetsItsOutValueInBothEntries)
{
    script({ statement(R"({"match": "BEGIN :X := :X + 1; END;", "out": {"X": 8}})") });
    auto c = logOn();
    std::vector<Bind> binds(2);
    binds[0] = { "X", db::BindDirection::InOut, db::FieldType::Number, 7, nullptr };
    binds[1] = { "x", db::BindDirection::InOut, db::FieldType::Number, 7, nullptr };
    c->execute(QStringLiteral("BEGIN :X := :X + 1; END;"), binds);
    EXPECT_EQ(fake.linesStarting(QStringLiteral("bind ")), QStringList { "bind X 6 7" });
    EXPECT_EQ(binds[0].value, QVariant::fromValue<qint64>(8));
    EXPECT_EQ(binds[1].value, QVariant::fromValue<qint64>(8));
}

TEST_F(OciDriverTest, TransactionStateWithoutTheClientsAttribute)
{
    // Clients before 12.1 do not answer OCI_ATTR_TRANSACTION_IN_PROGRESS: the statements run tell.
    script({ statement(R"({"match": "DELETE", "rowCount": 1})") }, QJsonObject { { "oldClient", true } });
    auto c = logOn();
    std::vector<Bind> binds;
    EXPECT_FALSE(c->inTransaction());
    c->execute(QStringLiteral("DELETE FROM T"), binds);
    EXPECT_TRUE(c->inTransaction());
    c->execute(QStringLiteral("ROLLBACK"), binds);
    EXPECT_FALSE(c->inTransaction());
}

TEST_F(OciDriverTest, ErrorsCarryCodeTextAndThePlaceInTheStatement)
{
    // Oracle reports the offset in bytes of the UTF-8 text; the access layer turns it into line and position.
    script({ statement(
                 R"({"match": "FRM", "error": {"code": 923, "message": "ORA-00923: FROM keyword not found where expected", "offset": 31}})"),
        statement(
            R"({"match": "DUAL", "error": {"code": 1476, "message": "ORA-01476: divisor is equal to zero", "offset": 0}})") });
    auto session = std::make_unique<db::Session>();
    session->setDriver(driver);
    session->setUserName(QStringLiteral("scott"));
    session->setPassword(QStringLiteral("tiger"));
    session->setDatabase(QStringLiteral("ORCL"));
    session->logOn();
    db::Query q(session.get());
    // "ž" is two bytes in UTF-8: byte 31 is character 30, the F of FRM at position 17 of line 2.
    q.setSql(QStringLiteral("SELECT 'ž' A,\n  1 B, 2 C, 3 D FRM X"));
    try {
        q.execute();
        FAIL() << "no error";
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 923);
        EXPECT_EQ(e.message(), QStringLiteral("ORA-00923: FROM keyword not found where expected"));
        EXPECT_EQ(e.offset(), 30);
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.position(), 17);
    }
    q.setSql(QStringLiteral("SELECT 1/0 FROM DUAL"));
    try {
        q.execute();
        FAIL() << "no error";
    } catch (const OracleError& e) {
        EXPECT_EQ(e.code(), 1476);
        EXPECT_EQ(e.line(), 0); // a run-time error is tied to no place
    }
    EXPECT_TRUE(session->connected());
}

TEST_F(OciDriverTest, ErrorOffsetsInBytesBecomeLinesAndPositions)
{
    // Oracle counts the offset in bytes of the statement as the client sent it (AL32UTF8).
    struct Case {
        const char* sql;
        int byteOffset;
        int offset, line, position;
    } cases[] = {
        { "SELECT X FROM", 13, 13, 1, 14 }, // just past the end
        { "SELECT\n  X\nFROM Y Z W", 20, 20, 3, 10 },
        { "SELECT\r\n  X\r\nFROM Y Z W", 22, 22, 3, 10 }, // CR LF is one line end
        { "SELECT 'čšž' X,\n  ? FROM DUAL", 21, 18, 2, 3 }, // three two-byte letters before
        { "SELECT '😀' X,\n  ? FROM DUAL", 19, 17, 2, 3 }, // four bytes, two UTF-16 units, one character
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        QJsonObject s = statement(
            R"({"match": "SELECT", "error": {"code": 923, "message": "ORA-00923: FROM keyword not found where expected"}})");
        QJsonObject e = s.value(QStringLiteral("error")).toObject();
        e.insert(QStringLiteral("offset"), c.byteOffset);
        s.insert(QStringLiteral("error"), e);
        script({ s });
        auto conn = logOn();
        std::vector<Bind> binds;
        try {
            conn->execute(QString::fromUtf8(c.sql), binds);
            FAIL() << "no error";
        } catch (const OracleError& err) {
            EXPECT_EQ(err.offset(), c.offset);
            EXPECT_EQ(err.line(), c.line);
            EXPECT_EQ(err.position(), c.position);
        }
    }
}

TEST_F(OciDriverTest, CompilationErrorIsSuccessWithAWarning)
{
    script({ statement(R"({"match": "CREATE OR REPLACE", "type": 5,
        "warning": {"code": 24344, "message": "ORA-24344: success with compilation error"}})") });
    auto c = logOn();
    std::vector<Bind> binds;
    auto r = c->execute(QStringLiteral("CREATE OR REPLACE PROCEDURE P IS BEGIN X; END;"), binds);
    EXPECT_EQ(r.kind, db::StatementKind::Ddl);
    ASSERT_TRUE(r.warning);
    EXPECT_EQ(r.warning->code(), 24344);
    EXPECT_EQ(r.warning->message(), QStringLiteral("ORA-24344: success with compilation error"));
}

TEST_F(OciDriverTest, BreakFromAnotherThreadEndsTheCallAndTheSessionGoesOn)
{
    script({ statement(R"({"match": "LONG_RUNNING", "blockUntilBreak": true})"),
        statement(R"({"match": "FROM DUAL", "columns": [{"name": "X", "type": 1, "size": 1}], "rows": [["X"]]})") });
    auto c = logOn();
    c->interrupt(); // idle: no break goes out to fail the next call
    EXPECT_FALSE(fake.lines().contains(QStringLiteral("break")));
    std::optional<OracleError> failure;
    std::thread worker([&] {
        std::vector<Bind> binds;
        try {
            c->execute(QStringLiteral("BEGIN LONG_RUNNING; END;"), binds);
        } catch (const OracleError& e) {
            failure = e;
        }
    });
    ASSERT_TRUE(testsupport::waitFor([&] { return fake.waiting() == 1; }));
    c->interrupt();
    worker.join();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->code(), 1013);
    // The break is followed by a reset, and the session still serves.
    const QStringList log = fake.lines();
    EXPECT_GT(log.indexOf(QStringLiteral("reset")), log.indexOf(QStringLiteral("break")));
    std::vector<Bind> binds;
    auto r = c->execute(QStringLiteral("SELECT 'X' FROM DUAL"), binds);
    ASSERT_TRUE(r.cursor->next());
    EXPECT_EQ(r.cursor->value(0), QStringLiteral("X"));
}

TEST_F(OciDriverTest, BreakDuringAFetchEndsItToo)
{
    QJsonObject s = statement(R"({"match": "FROM BIG", "blockFetchUntilBreak": true,
        "columns": [{"name": "N", "type": 2}]})");
    QJsonArray rows;
    for (int i = 0; i < 150; ++i)
        rows.append(QJsonArray { i });
    s.insert(QStringLiteral("rows"), rows);
    script({ s });
    auto c = logOn();
    std::vector<Bind> binds;
    auto r = c->execute(QStringLiteral("SELECT N FROM BIG"), binds);
    std::optional<OracleError> failure;
    int seen = 0;
    std::thread worker([&] {
        try {
            while (r.cursor->next())
                ++seen;
        } catch (const OracleError& e) {
            failure = e;
        }
    });
    ASSERT_TRUE(testsupport::waitFor([&] { return fake.waiting() == 1; }));
    c->interrupt();
    worker.join();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->code(), 1013);
    EXPECT_EQ(seen, 100); // the first array arrived; the rest was cancelled
    EXPECT_TRUE(fake.lines().contains(QStringLiteral("reset")));
}

TEST_F(OciDriverTest, ServerOutputThroughDbmsOutput)
{
    script({ statement(R"({"match": "DBMS_OUTPUT.ENABLE"})"), statement(R"({"match": "DBMS_OUTPUT.DISABLE"})") },
        QJsonObject { { "output", QJsonArray { "first", "", "tretja vrstica č" } } });
    auto c = logOn();
    c->enableOutput(20000);
    EXPECT_TRUE(fake.lines().contains(QStringLiteral("bind BUFFER_SIZE 6 20000")));
    EXPECT_EQ(c->takeOutputLines(), (QStringList { "first", "", "tretja vrstica č" }));
    EXPECT_TRUE(c->takeOutputLines().isEmpty());
    c->enableOutput(0);
    EXPECT_TRUE(fake.lines().contains(QStringLiteral("bind BUFFER_SIZE 6 NULL"))); // unlimited
    c->disableOutput();
    EXPECT_TRUE(fake.linesStarting(QStringLiteral("prepare BEGIN DBMS_OUTPUT.DISABLE")).size() == 1);
}

TEST_F(OciDriverTest, StatementKinds)
{
    using db::StatementKind;
    const std::tuple<int, const char*, StatementKind> cases[] = {
        { 1, "WITH X AS (SELECT 1 FROM DUAL) SELECT * FROM X", StatementKind::Select },
        { 4, "INSERT INTO T VALUES (1)", StatementKind::Insert },
        { 8, "BEGIN NULL; END;", StatementKind::PlSql },
        { 9, "DECLARE X NUMBER; BEGIN NULL; END;", StatementKind::PlSql },
        { 10, "CALL P()", StatementKind::PlSql },
        { 7, "ALTER SESSION SET NLS_DATE_FORMAT = 'DD.MM.YYYY'", StatementKind::AlterSession },
        { 7, "ALTER TABLE T ADD X NUMBER", StatementKind::Ddl },
        { 0, "TRUNCATE TABLE T", StatementKind::Ddl },
        { 0, "  /* c */ commit work", StatementKind::Commit },
        { 0, "ROLLBACK TO SAVEPOINT A", StatementKind::Rollback },
        { 0, "SAVEPOINT A", StatementKind::Savepoint },
        { 0, "SET TRANSACTION READ ONLY", StatementKind::SetTransaction },
        { 0, "LOCK TABLE T IN EXCLUSIVE MODE", StatementKind::LockTable },
        { 16, "MERGE INTO T USING S ON (1=1) WHEN MATCHED THEN UPDATE SET X = 1", StatementKind::Other },
    };
    for (const auto& [type, sql, kind] : cases) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(db::oci::statementKindOf(type, QString::fromUtf8(sql)), kind);
    }
}

TEST(OciClientLoading, LooksInTheConfiguredPlaceThenOracleHomeThenTheSearchPath)
{
    EXPECT_EQ(db::oci::clientLibraryCandidates(QStringLiteral("/opt/ic/libclntsh.so"), QStringLiteral("/u01/home")),
        (QStringList {
            "/opt/ic/libclntsh.so", "/u01/home/lib/libclntsh.so", "/u01/home/libclntsh.so", "libclntsh.so" }));
    EXPECT_EQ(db::oci::clientLibraryCandidates({}, {}), QStringList { "libclntsh.so" });
    // A configured directory is looked into, and its lib/ too.
    EXPECT_EQ(db::oci::clientLibraryCandidates(QStringLiteral(DREMMOX_FAKEOCI_HOME), {}).mid(0, 2),
        (QStringList { QStringLiteral(DREMMOX_FAKEOCI_HOME "/libclntsh.so"),
            QStringLiteral(DREMMOX_FAKEOCI_HOME "/lib/libclntsh.so") }));
}

TEST(OciClientLoading, OracleHomeFindsTheClient)
{
    const QByteArray old = qgetenv("ORACLE_HOME");
    qputenv("ORACLE_HOME", DREMMOX_FAKEOCI_HOME);
    db::oci::setClientLocation({});
    auto lib = db::oci::loadClientLibrary();
    EXPECT_EQ(lib->path, QStringLiteral(DREMMOX_FAKEOCI_HOME "/lib/libclntsh.so"));
    // Its tnsnames.ora is looked for beside it too, as Instant Client keeps it there.
    EXPECT_TRUE(
        db::oci::tnsnamesCandidates().contains(QStringLiteral(DREMMOX_FAKEOCI_HOME "/lib/network/admin/tnsnames.ora")));
    qputenv("ORACLE_HOME", old);
}

TEST(OciClientLoading, WithoutAClientLogonSaysWhatIsMissingAndHowToGetIt)
{
    const QByteArray old = qgetenv("ORACLE_HOME");
    qputenv("ORACLE_HOME", "/nonexistent/oracle/home");
    db::oci::setClientLocation(QStringLiteral("/nonexistent/instantclient"));
    try {
        db::oci::newClientDriver()->logOn(
            { QStringLiteral("scott"), QStringLiteral("tiger"), QStringLiteral("PROD"), false });
        FAIL() << "logged on without a client";
    } catch (const OracleError& e) {
        const QString m = e.message();
        EXPECT_TRUE(m.contains(QStringLiteral("libclntsh.so"))) << e.what();
        EXPECT_TRUE(m.contains(QStringLiteral("/nonexistent/instantclient"))) << e.what();
        EXPECT_TRUE(m.contains(QStringLiteral("/nonexistent/oracle/home/lib/libclntsh.so"))) << e.what();
        EXPECT_TRUE(m.contains(QStringLiteral("Oracle Instant Client"))) << e.what();
        EXPECT_TRUE(m.contains(QStringLiteral("DREMMOX_ORACLE_CLIENT"))) << e.what();
        EXPECT_TRUE(m.contains(QStringLiteral("ORACLE_HOME"))) << e.what();
        EXPECT_TRUE(m.contains(QStringLiteral("LD_LIBRARY_PATH"))) << e.what();
        EXPECT_TRUE(m.contains(QStringLiteral("\"PROD\""))) << e.what();
    }
    db::oci::setClientLocation({});
    qputenv("ORACLE_HOME", old);
}

} // namespace

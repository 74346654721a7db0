// The execution of a stored statement apart from the window: directives, the tolerated-error rule, the retries of
// ORA-04068 and ORA-01555 with scripted errors, the outcome table, the PL/SQL file text and the foreign-key target.
#include "db/oracleerror.h"
#include "deploy/scriptexec.h"
#include "support/tempdir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace deploy;

TEST(ScriptExecution, Directives)
{
    struct Case {
        const char* text;
        StatementDirective::Kind kind;
        const char* argument;
    };
    using K = StatementDirective::Kind;
    const std::vector<Case> cases = {
        { "#PL/SQL#  /dir/pck_orders.sql ", K::PlSqlFile, "/dir/pck_orders.sql" },
        { "#ENABLE# VOXA.ORDERS", K::Enable, "VOXA.ORDERS" },
        { "#DISABLE#voxa.orders", K::Disable, "voxa.orders" },
        { "#enable# VOXA.ORDERS", K::Sql, "" }, // directive words in exact case
        { "select 1 from dual", K::Sql, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const StatementDirective d = parseDirective(QString::fromLatin1(c.text));
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_EQ(d.argument, QString::fromLatin1(c.argument));
    }
    // No cut of a long table name.
    const QString longName = QStringLiteral("VOXA.A_VERY_LONG_TABLE_NAME_OF_THIRTY_CH");
    EXPECT_EQ(parseDirective(QStringLiteral("#DISABLE# ") + longName).argument, longName);
}

TEST(ScriptExecution, ToleratedErrors)
{
    struct Case {
        const char* statement;
        int code;
        bool tolerated;
    };
    const std::vector<Case> cases = {
        { "DROP INDEX VOXA.X_I", 1418, true },
        { "drop index voxa.x_i", 1418, true },
        { "DROP INDEX VOXA.X_I", 1031, false }, // insufficient privileges is a real failure
        { "ALTER TABLE T DROP CONSTRAINT T_FK", 2443, true },
        { "ALTER TABLE T DROP CONSTRAINT T_FK", 942, false },
        { "DROP TABLE TMP_X", 942, true },
        { "DROP TABLE TMP_X", 54, false }, // resource busy
        { "DROP TABLE T_OLD", 942, false }, // only TMP_ tables
        { "CREATE INDEX X_I ON T (A)", 1418, false },
        { "BEGIN EXECUTE IMMEDIATE 'DROP INDEX X_I'; END;", 1418, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        EXPECT_EQ(DopustnaNapaka(QString::fromLatin1(c.statement), c.code), c.tolerated);
    }
}

TEST(ScriptExecution, PlSqlFileText)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const std::vector<Case> cases = {
        { "create or replace procedure p is\r\nbegin\r\n  null;\r\nend;\r\n/\r\n",
            "create or replace procedure p is\r\nbegin\r\n  null;\r\nend;" },
        { "create package body voxa.pck_a_rather_long_name is\r\nend pck_a_rather_long_name;\r\n/\r\n",
            "create package body voxa.pck_a_rather_long_name is\r\nend pck_a_rather_long_name;" },
        { "begin null; END   \"Quoted_Name\" ;\r\n/\r\n", "begin null; END   \"Quoted_Name\" ;" },
        { "update t set a = 1;\r\n", "update t set a = 1;\r\n" }, // no END: unchanged
        { "no semicolon at all\r\n/\r\n", "no semicolon at all\r\n/\r\n" },
        // The design's rule stays: "END" anywhere among the 11 characters before the semicolon.
        { "select x from legend;\r\n", "select x from legend;" },
        { "select appended from t;\r\n", "select appended from t;\r\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(f_pocistiNiz(QString::fromLatin1(c.text)), QString::fromLatin1(c.expected));
    }
}

TEST(ScriptExecution, Retries)
{
    const db::OracleError packages(4068, QStringLiteral("ORA-04068: existing state of packages has been discarded"));
    const db::OracleError snapshot(1555, QStringLiteral("ORA-01555: snapshot too old"));
    const db::OracleError other(942, QStringLiteral("ORA-00942: table or view does not exist"));
    struct Case {
        const char* name;
        std::vector<std::optional<db::OracleError>> script; // per attempt: the error, or none for success
        bool ok;
        int attempts;
        int code;
    };
    const std::vector<Case> cases = {
        { "success at once", { std::nullopt }, true, 1, 0 },
        { "other error is not retried", { other }, false, 1, 942 },
        { "04068 once, then success", { packages, std::nullopt }, true, 2, 0 },
        { "04068 twice ends as an error", { packages, packages, std::nullopt }, false, 2, 4068 },
        { "01555 four times, then success", { snapshot, snapshot, snapshot, snapshot, std::nullopt }, true, 5, 0 },
        { "01555 five times ends as an error", { snapshot, snapshot, snapshot, snapshot, snapshot, std::nullopt },
            false, 5, 1555 },
        { "both retries: six attempts at most",
            { snapshot, packages, snapshot, snapshot, snapshot, snapshot, std::nullopt }, false, 6, 1555 },
        { "04068 after the snapshot retries", { snapshot, snapshot, snapshot, snapshot, packages, std::nullopt }, true,
            6, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t attempt = 0;
        const ExecutionOutcome out = executeWithRetries([&] {
            ASSERT_LT(attempt, c.script.size());
            const auto& step = c.script[attempt++];
            if (step)
                throw *step;
        });
        EXPECT_EQ(out.ok, c.ok);
        EXPECT_EQ(out.attempts, c.attempts);
        EXPECT_EQ(out.code, c.code);
        EXPECT_EQ(int(attempt), c.attempts);
    }
}

TEST(ScriptExecution, OutcomeTable)
{
    ExecutionOutcome ok;
    ExecutionOutcome failed { false, 942, QStringLiteral("ORA-00942: table or view does not exist"), 1 };
    ExecutionOutcome missingIndex { false, 1418, QStringLiteral("ORA-01418: specified index does not exist"), 1 };
    struct Case {
        const char* name;
        RowOutcome outcome;
        const char* stat;
        QVariant err;
        bool result;
    };
    const std::vector<Case> cases = {
        { "direct success", statementOutcome(ExecutionPath::Direct, ok, "select 1 from dual"), "X", QVariant(), true },
        { "direct error", statementOutcome(ExecutionPath::Direct, failed, "select 1 from nosuch"), "E", failed.message,
            false },
        { "direct tolerated", statementOutcome(ExecutionPath::Direct, missingIndex, "DROP INDEX X_I"), "E",
            missingIndex.message, true },
        { "thread success", statementOutcome(ExecutionPath::Thread, ok, "select 1 from dual"), "X",
            QStringLiteral("NO ERRORS"), true },
        { "thread error", statementOutcome(ExecutionPath::Thread, failed, "select 1 from nosuch"), "E", failed.message,
            false },
        { "thread tolerated", statementOutcome(ExecutionPath::Thread, missingIndex, "DROP INDEX X_I"), "X",
            missingIndex.message, true },
        { "missing file", missingFileOutcome(QStringLiteral("/x/p.sql"), QStringLiteral(" DOESN'T  EXISTS !")), "E",
            QStringLiteral("/x/p.sql  DOESN'T  EXISTS !"), false },
        { "enable ok", enableDisableOutcome({}), "X", QVariant(), true },
        { "enable failed", enableDisableOutcome({ QStringLiteral("alter table A: ORA-02298") }), "E",
            QStringLiteral("alter table A: ORA-02298"), false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.outcome.stat, QString::fromLatin1(c.stat));
        EXPECT_EQ(c.outcome.err.isNull(), c.err.isNull());
        EXPECT_EQ(c.outcome.err.toString(), c.err.toString());
        EXPECT_EQ(c.outcome.result, c.result);
    }
    // The outcome fits the column.
    ExecutionOutcome huge { false, 6550, QString(5000, QLatin1Char('m')), 1 };
    EXPECT_EQ(statementOutcome(ExecutionPath::Direct, huge, "begin x; end;").err.toString().size(), outcomeTextLimit);
}

TEST(ScriptExecution, ForeignKeyTargetAndNames)
{
    struct Case {
        const char* argument;
        const char* owner;
        const char* table;
    };
    const std::vector<Case> cases = {
        { "voxa.orders", "VOXA", "ORDERS" },
        { " VOXA . ORDERS ", "VOXA", "ORDERS" },
        { "orders", "SCOTT", "ORDERS" },
        { "VOXA.A_TABLE_NAME_LONGER_THAN_TWENTY", "VOXA", "A_TABLE_NAME_LONGER_THAN_TWENTY" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        const ForeignKeyTarget t = foreignKeyTarget(QString::fromLatin1(c.argument), QStringLiteral("scott"));
        EXPECT_EQ(t.owner, QString::fromLatin1(c.owner));
        EXPECT_EQ(t.table, QString::fromLatin1(c.table));
    }
    EXPECT_EQ(sqlName(QStringLiteral("ORDERS_FK")), QStringLiteral("ORDERS_FK"));
    EXPECT_EQ(sqlName(QStringLiteral("Mixed\"Name")), QStringLiteral("\"Mixed\"\"Name\""));
}

class PlSqlFiles : public testsupport::TempDirTest { };

TEST_F(PlSqlFiles, FoundAndRead)
{
    QFile f(path(QStringLiteral("pck.sql")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("create package p is\nend p;\n/\n");
    f.close();
    EXPECT_EQ(findPlSqlFile(path(QStringLiteral("pck.sql")), {}), path(QStringLiteral("pck.sql")));
    EXPECT_EQ(findPlSqlFile(QStringLiteral("pck.sql"), tmp.path()), QDir(tmp.path()).filePath(QStringLiteral("pck.sql")));
    EXPECT_FALSE(findPlSqlFile(QStringLiteral("none.sql"), tmp.path()));
    EXPECT_FALSE(findPlSqlFile(QString(), tmp.path()));
    EXPECT_EQ(readPlSqlFile(path(QStringLiteral("pck.sql"))), QStringLiteral("create package p is\r\nend p;\r\n/\r\n"));
    EXPECT_FALSE(readPlSqlFile(path(QStringLiteral("none.sql"))));
}

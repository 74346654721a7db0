// Script files: the splitter (terminators, dropped comment lines, block comments inside a statement), the
// directives (#DECLARE and :VAR_ markers, #IF/#IFNOT with counts, the store decision) and the refusal of a script
// whose last statement no "/" line closes.
#include "deploy/scriptfile.h"

#include <gtest/gtest.h>

#include <map>

using namespace deploy;

namespace {

QStringList linesOf(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char('\n'));
}

// The statement texts of a split, trimmed lines joined by "|" ("" for an empty statement).
std::vector<QString> statementsOf(const SplitResult& r)
{
    std::vector<QString> out;
    for (const CollectedStatement& s : r.statements)
        out.push_back(s.lines.join(QLatin1Char('|')));
    return out;
}

} // namespace

TEST(ScriptSplitter, TerminatorsCommentsAndTail)
{
    struct Case {
        const char* name;
        const char* script;
        std::vector<QString> statements;
        QString tail;
    };
    const std::vector<Case> cases = {
        { "slash lines end statements", "a1\na2\n/\nb\n/", { "a1|a2", "b" }, "" },
        { "indented slash and text after it", "a\n   / anything\nb\n//\n", { "a", "b" }, "" },
        { "comment line in column 1 dropped", "-- note\na\n--x\n/", { "a" }, "" },
        { "indented comment and comment after text stay", "a -- c\n  -- d\n/", { "a -- c|  -- d" }, "" },
        { "two terminators make an empty statement", "a\n/\n/\n", { "a", "" }, "" },
        { "text after the last terminator is the tail", "a\n/\nb\nc", { "a" }, "b|c" },
        { "block comment line between statements ends the empty one", "/* header */\na\n/", { "", "a" }, "" },
        { "block comment inside a statement is part of it",
            "begin\n  x := 1;\n/* why */\n  y := 2;\nend;\n/", { "begin|  x := 1;|/* why */|  y := 2;|end;" }, "" },
        { "open block comment inside a statement runs to its end",
            "begin\n/* one\n/ not a terminator\n*/\nnull;\nend;\n/",
            { "begin|/* one|/ not a terminator|*/|null;|end;" }, "" },
        { "open block comment between statements is skipped", "/* a\n b\n*/\nc\n/", { "", "c" }, "" },
        { "blank lines alone are no content", "  \n/* x */\nb\n/", { "  ", "b" }, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SplitResult r = splitScript(linesOf(c.script));
        EXPECT_EQ(statementsOf(r), c.statements);
        EXPECT_EQ(r.tail.lines.join(QLatin1Char('|')), c.tail);
    }
}

TEST(ScriptSplitter, LineNumbersAndText)
{
    const SplitResult r = splitScript(linesOf("-- c\nselect 1\nfrom dual\n/\nx"));
    ASSERT_EQ(r.statements.size(), 1u);
    EXPECT_EQ(r.statements[0].firstLine, 2);
    EXPECT_EQ(r.statements[0].endLine, 4);
    EXPECT_EQ(r.statements[0].text(), QStringLiteral("select 1\r\nfrom dual\r\n"));
    EXPECT_EQ(r.tail.firstLine, 5);
    EXPECT_EQ(r.tail.endLine, 0);
}

TEST(ScriptDirectives, ConditionCount)
{
    struct Case {
        const char* after; // the text after #IF or #IFNOT
        int count;
        const char* rest;
    };
    const std::vector<Case> cases = {
        { "2 select 1", 2, " select 1" },
        { " 2 select 1", 2, " select 1" }, // a blank before the count
        { "   3\r\nselect 1", 3, "\r\nselect 1" },
        { " select 1", 1, "select 1" }, // no count: the word is the query's
        { "\r\nselect 1", 1, "\r\nselect 1" },
        { "0 x", 0, " x" },
        { "-1 x", -1, " x" },
        { "abc select 1", 1, " select 1" }, // letters attached to the directive count as 1 and go
        { "", 1, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        const ConditionCount cc = takeConditionCount(QString::fromLatin1(c.after));
        EXPECT_EQ(cc.count, c.count);
        EXPECT_EQ(cc.rest, QString::fromLatin1(c.rest));
    }
}

TEST(ScriptDirectives, ConditionResult)
{
    struct Case {
        const char* name;
        const char* query;
        ConditionOutcome outcome;
        bool holds;
    };
    const auto row = [](QVariant v) {
        ConditionOutcome o;
        o.hasRow = true;
        o.firstValue = std::move(v);
        return o;
    };
    ConditionOutcome failed;
    failed.failed = true;
    failed.error = QStringLiteral("ORA-00942: table or view does not exist");
    const std::vector<Case> cases = {
        { "rezultat not 0", "select count(*) rezultat from t", row(3), true },
        { "rezultat 0", "select 0 REZULTAT from dual", row(0), false },
        { "rezultat as text", "select '1' rezultat from dual", row(QStringLiteral("1")), true },
        { "rezultat null", "select null rezultat from dual", row(QVariant()), false },
        { "rezultat no number", "select 'x' rezultat from dual", row(QStringLiteral("x")), false },
        { "rezultat no row", "select 1 rezultat from dual where 1=0", ConditionOutcome(), false },
        { "rezultat fails", "select count(*) rezultat from nosuch", failed, false },
        { "no rezultat, ran", "select 0 from dual", row(0), true },
        { "no rezultat, no row", "select 1 from dual where 1=0", ConditionOutcome(), true },
        { "no rezultat, fails", "select 1 from nosuch", failed, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(conditionHolds(QString::fromLatin1(c.query), c.outcome), c.holds);
    }
}

TEST(ScriptDirectives, Declarations)
{
    struct Case {
        const char* statement;
        const char* name;
        const char* value;
    };
    const std::vector<Case> cases = {
        { "#DECLARE VAR_OWN \"Scott\"", "VAR_OWN", "Scott" },
        { "#declare   var_x \"a b\" trailing", "VAR_X", "a b" },
        { "#DECLARE VAR_Y \"open to the end", "VAR_Y", "open to the end" },
        { "#DECLARE VAR_Z plain value", "VAR_Z", "plain value" },
        { "#DECLARE VAR_E", "VAR_E", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        const ScriptVariable v = parseDeclaration(QString::fromLatin1(c.statement));
        EXPECT_EQ(v.name, QString::fromLatin1(c.name));
        EXPECT_EQ(v.value, QString::fromLatin1(c.value));
    }
    // No length limit on a value.
    const QString big(50000, QLatin1Char('v'));
    EXPECT_EQ(parseDeclaration(QStringLiteral("#DECLARE VAR_B \"") + big + QLatin1Char('"')).value, big);
}

TEST(ScriptDirectives, Substitution)
{
    const std::vector<ScriptVariable> vars
        = { { QStringLiteral("VAR_OWN"), QStringLiteral("SCOTT") }, { QStringLiteral("VAR_SELF"), QStringLiteral(":VAR_SELF:x") } };
    struct Case {
        const char* name;
        QString text;
        QString expected;
    };
    const QString longTail(30000, QLatin1Char('t'));
    const std::vector<Case> cases = {
        { "marker replaced", "GRANT SELECT ON :VAR_OWN:.T TO X", "GRANT SELECT ON SCOTT.T TO X" },
        { "every occurrence", ":VAR_OWN:.A, :VAR_OWN:.B", "SCOTT.A, SCOTT.B" },
        { "lower-case marker with an upper-case :VAR_ elsewhere", ":var_own:.a :VAR_OWN:.b", "SCOTT.a SCOTT.b" },
        { "lower-case markers alone stay", "select * from :var_own:.t", "select * from :var_own:.t" },
        { "a value holding its own marker is inserted once", ":VAR_SELF: end", ":VAR_SELF:x end" },
        { "no cut after a replaced marker", ":VAR_OWN:" + longTail, "SCOTT" + longTail },
        { "undeclared marker stays", ":VAR_NONE: :VAR_OWN:", ":VAR_NONE: SCOTT" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(substituteVariables(c.text, vars), c.expected);
    }
}

namespace {

// Condition queries answered from a table: the first entry whose key occurs in the query.
struct ScriptedConditions {
    std::vector<std::pair<QString, ConditionOutcome>> answers;
    QStringList asked;
    ConditionOutcome operator()(const QString& query)
    {
        asked << query.trimmed();
        for (const auto& [key, outcome] : answers)
            if (query.contains(key, Qt::CaseInsensitive))
                return outcome;
        ConditionOutcome failed;
        failed.failed = true;
        failed.error = QStringLiteral("ORA-00942: table or view does not exist");
        return failed;
    }
};

ConditionOutcome value(qint64 v)
{
    ConditionOutcome o;
    o.hasRow = true;
    o.firstValue = v;
    return o;
}

std::vector<QString> textsOf(const ResolveResult& r)
{
    std::vector<QString> out;
    for (const StoredStatement& s : r.rows)
        out.push_back(s.text);
    return out;
}

} // namespace

TEST(ScriptResolver, StoreDecisions)
{
    const char* conditional = "#IF2 select count(*) rezultat from user_tables where table_name='T' #ENDIF\n"
                              "DROP TABLE T\n/\nCREATE TABLE T (A NUMBER)\n/\nCREATE INDEX T_I ON T (A)\n/\n";
    struct Case {
        const char* name;
        QString script;
        qint64 tExists; // what the query about T answers
        std::vector<QString> stored;
    };
    const std::vector<Case> cases = {
        { "count 2 holds", conditional, 1, { "DROP TABLE T", "CREATE TABLE T (A NUMBER)", "CREATE INDEX T_I ON T (A)" } },
        { "count 2 fails", conditional, 0, { "CREATE INDEX T_I ON T (A)" } },
        { "blank before the count", QString::fromLatin1(conditional).replace("#IF2", "#IF 2"), 0,
            { "CREATE INDEX T_I ON T (A)" } },
        { "ifnot negates", "#IFNOT select 1 rezultat from t #ENDIF\nCREATE TABLE T (A NUMBER)\n/\nSELECT 1 FROM DUAL\n/", 1,
            { "SELECT 1 FROM DUAL" } },
        { "count 0 stores unconditionally", "#IF0 select 0 rezultat from t #ENDIF\nCREATE TABLE X (A NUMBER)\n/", 0,
            { "CREATE TABLE X (A NUMBER)" } },
        { "negative count stores unconditionally", "#IF -3 select 0 rezultat from t #ENDIF\nCREATE TABLE X (A NUMBER)\n/",
            0, { "CREATE TABLE X (A NUMBER)" } },
        { "failing query: if false, ifnot true",
            "#IF select * from nosuch #ENDIF\nCREATE TABLE A1 (A NUMBER)\n/\n#IFNOT select * from nosuch #ENDIF\n"
            "CREATE TABLE A2 (A NUMBER)\n/",
            0, { "CREATE TABLE A2 (A NUMBER)" } },
        { "statement on the directive's line is kept whole", "#IF select 1 rezultat from t #ENDIF DROP TABLE T\n/", 1,
            { "DROP TABLE T" } },
        { "declaration inside a condition uses up a statement",
            "#IF2 select 0 rezultat from t #ENDIF\nDROP TABLE T\n/\n#DECLARE VAR_A \"1\"\n/\nSELECT :VAR_A: FROM DUAL\n/", 0,
            { "SELECT 1 FROM DUAL" } },
        { "empty statements count as governed", "#IF2 select 0 rezultat from t #ENDIF\nDROP TABLE T\n/\n/\nSELECT 2 FROM DUAL\n/",
            0, { "SELECT 2 FROM DUAL" } },
        { "five characters or fewer are not stored, counters stay gap-free", "EXIT\n/\nSELECT 3 FROM DUAL\n/\nABCDE\n/", 0,
            { "SELECT 3 FROM DUAL" } },
        { "declared values substituted, later declarations win",
            "#DECLARE VAR_OWN \"SCOTT\"\n/\nGRANT SELECT ON :VAR_OWN:.T TO X\n/\n#DECLARE VAR_OWN \"ADAMS\"\n/\n"
            "GRANT SELECT ON :VAR_OWN:.T TO Y\n/",
            0, { "GRANT SELECT ON SCOTT.T TO X", "GRANT SELECT ON ADAMS.T TO Y" } },
        { "variables reach the condition query",
            "#DECLARE VAR_T \"T\"\n/\n#IF select count(*) rezultat from user_tables where table_name=':VAR_T:' #ENDIF\n"
            "DROP TABLE T\n/",
            1, { "DROP TABLE T" } },
        { "text is stored trimmed", "\n  \n  SELECT 4 FROM DUAL  \n\n/", 0, { "SELECT 4 FROM DUAL" } },
        { "blank tail is fine", "SELECT 5 FROM DUAL\n/\n\n   \n-- end", 0, { "SELECT 5 FROM DUAL" } },
        { "short tail is fine", "SELECT 5 FROM DUAL\n/\nEXIT", 0, { "SELECT 5 FROM DUAL" } },
        { "tail left out by its condition is fine", "SELECT 5 FROM DUAL\n/\n#IF select 0 rezultat from t #ENDIF\nDROP TABLE T",
            0, { "SELECT 5 FROM DUAL" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedConditions conditions;
        conditions.answers = { { QStringLiteral("table_name='T'"), value(c.tExists) },
            { QStringLiteral("select 1 rezultat"), value(c.tExists) }, { QStringLiteral("select 0 rezultat"), value(0) } };
        ResolveOptions options;
        options.runCondition = std::ref(conditions);
        const ResolveResult r = resolveScript(c.script.split(QLatin1Char('\n')), options);
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(textsOf(r), c.stored);
        for (size_t i = 0; i < r.rows.size(); ++i)
            EXPECT_EQ(r.rows[i].counter, int(i) + 1);
    }
}

TEST(ScriptResolver, FailingConditionIsNoted)
{
    ScriptedConditions conditions;
    ResolveOptions options;
    options.runCondition = std::ref(conditions);
    const ResolveResult r
        = resolveScript(linesOf("SELECT 1 FROM DUAL\n/\n#IF select * from nosuch #ENDIF\nDROP TABLE T\n/"), options);
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_EQ(r.notes[0].line, 3);
    EXPECT_TRUE(r.notes[0].error.startsWith(QLatin1String("ORA-00942")));
    EXPECT_EQ(conditions.asked, QStringList { QStringLiteral("select * from nosuch") });
}

TEST(ScriptResolver, RefusedScripts)
{
    struct Case {
        const char* name;
        const char* script;
        ResolveError error;
        int line;
    };
    const std::vector<Case> cases = {
        { "statement after the last terminator", "SELECT 1 FROM DUAL\n/\n\nCREATE TABLE T (A NUMBER)\n",
            ResolveError::UnterminatedStatement, 4 },
        { "only statement without terminator", "CREATE TABLE T (A NUMBER)", ResolveError::UnterminatedStatement, 1 },
        { "condition without endif", "SELECT 1 FROM DUAL\n/\n#IF select 1 from dual\nDROP TABLE T\n/\nSELECT 2 FROM DUAL\n/",
            ResolveError::ConditionWithoutEndif, 3 },
        { "bare directive", "#IF\n/", ResolveError::ConditionWithoutEndif, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedConditions conditions;
        ResolveOptions options;
        options.runCondition = std::ref(conditions);
        const ResolveResult r = resolveScript(linesOf(c.script), options);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.errorLine, c.line);
        EXPECT_TRUE(r.rows.empty()); // nothing of the script is stored
    }
}

TEST(ScriptResolver, SubstitutionAndPlSqlHook)
{
    ResolveOptions options;
    options.substitute = [](const QString& text) { return QString(text).replace(QLatin1String("VOXA."), QLatin1String("VZAS1.")); };
    QStringList plsql;
    options.plsqlStatement = [&plsql](const QString& statement) { plsql << statement; };
    const ResolveResult r = resolveScript(
        linesOf("GRANT SELECT ON VOXA.T TO ZDR\n/\n#PL/SQL# /tmp/pck.sql\n/\n"), options);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(textsOf(r), (std::vector<QString> { "GRANT SELECT ON VZAS1.T TO ZDR", "#PL/SQL# /tmp/pck.sql" }));
    EXPECT_EQ(plsql, QStringList { QStringLiteral("#PL/SQL# /tmp/pck.sql") });
    // A refused script touches no PL/SQL file.
    plsql.clear();
    EXPECT_FALSE(resolveScript(linesOf("#PL/SQL# /tmp/pck.sql\n/\nDROP TABLE T"), options).ok());
    EXPECT_TRUE(plsql.isEmpty());
}

TEST(ScriptResolver, LongStatementsAndManyVariables)
{
    QStringList lines;
    for (int i = 1; i <= 60; ++i)
        lines << QStringLiteral("#DECLARE VAR_%1 \"value%1\"").arg(i) << QStringLiteral("/");
    QString body;
    for (int i = 1; i <= 60; ++i)
        body += QStringLiteral(":VAR_%1: ").arg(i);
    const QString filler(40000, QLatin1Char('x'));
    lines << QStringLiteral("SELECT '") + filler + QStringLiteral("' FROM DUAL -- ") + body << QStringLiteral("/");
    const ResolveResult r = resolveScript(lines, {});
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.variables.size(), 60u);
    EXPECT_TRUE(r.rows[0].text.contains(filler));
    EXPECT_TRUE(r.rows[0].text.endsWith(QLatin1String("value59 value60")));
}

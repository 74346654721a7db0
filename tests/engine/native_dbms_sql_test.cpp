// DBMS_SQL: queries fetched row by row, DML with binds, DDL run at PARSE, and the errors of each step.
#include "native_fixture.h"

using namespace enginetest;
using engine::OraType;
using engine::Value;

namespace {

class DbmsSqlTest : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        s->execute("CREATE TABLE emp (id NUMBER PRIMARY KEY, name VARCHAR2(20), hired DATE)");
        s->execute("INSERT INTO emp VALUES (1, 'ANA', DATE '2020-01-02')");
        s->execute("INSERT INTO emp VALUES (2, 'BOR', DATE '2021-03-04')");
        s->execute("INSERT INTO emp VALUES (3, 'CVETO', NULL)");
        s->commit();
    }

    Value call(const std::string& routine, std::vector<Value> args = {})
    {
        return callNative(*s, "DBMS_SQL", routine, std::move(args)).returned.value_or(Value::null());
    }
    Value open() { return call("OPEN_CURSOR"); }
    void parse(const Value& c, const std::string& sql) { call("PARSE", { c, txt(sql), num(1) }); }
    void bindVar(const Value& c, const std::string& name, Value v, OraType type)
    {
        callNative(*s, "DBMS_SQL", "BIND_VARIABLE",
            NativeArgs { { c, txt(name), std::move(v) }, {}, { OraType::Number, OraType::Varchar2, type }, {} });
    }
    void define(const Value& c, int pos, OraType type)
    {
        callNative(*s, "DBMS_SQL", "DEFINE_COLUMN",
            NativeArgs { { c, num(pos), Value::null() }, {}, { OraType::Number, OraType::Number, type }, {} });
    }
    Value column(const Value& c, int pos, OraType type)
    {
        return callNative(*s, "DBMS_SQL", "COLUMN_VALUE",
            NativeArgs { { c, num(pos), Value::null() }, { OraType::Number, OraType::Number, type }, {}, {} })
            .args[2];
    }
};

// Oracle: a query is parsed, bound, its columns defined, executed (0), and fetched row by row (FETCH_ROWS 1, then
// 0 at the end); COLUMN_VALUE gives each column in the type defined for it.
TEST_F(DbmsSqlTest, QueryFetchesRowByRow)
{
    Value c = open();
    parse(c, "SELECT id, name, hired FROM emp WHERE id >= :lo ORDER BY id");
    bindVar(c, ":LO", num(2), OraType::Number);
    define(c, 1, OraType::Number);
    define(c, 2, OraType::Varchar2);
    define(c, 3, OraType::Date);
    EXPECT_EQ(call("EXECUTE", { c }), num(0));
    ASSERT_EQ(call("FETCH_ROWS", { c }), num(1));
    EXPECT_EQ(column(c, 1, OraType::Number), num(2));
    EXPECT_EQ(column(c, 2, OraType::Varchar2), txt("BOR"));
    EXPECT_EQ(column(c, 3, OraType::Date), Value::fromDate("2021-03-04 00:00:00"));
    ASSERT_EQ(call("FETCH_ROWS", { c }), num(1));
    EXPECT_EQ(column(c, 2, OraType::Varchar2), txt("CVETO"));
    EXPECT_TRUE(column(c, 3, OraType::Date).isNull());
    EXPECT_EQ(call("FETCH_ROWS", { c }), num(0));
    EXPECT_EQ(call("LAST_ROW_COUNT"), num(2));
    // Executed again with another value, the cursor starts over.
    bindVar(c, "lo", num(3), OraType::Number);
    EXPECT_EQ(call("EXECUTE", { c }), num(0));
    EXPECT_EQ(call("FETCH_ROWS", { c }), num(1));
    EXPECT_EQ(column(c, 1, OraType::Number), num(3));
    EXPECT_EQ(call("FETCH_ROWS", { c }), num(0));
}

// Oracle: a NUMBER column defined as VARCHAR2 comes as its text; the caller's variable must match the defined type
// (ORA-06562).
TEST_F(DbmsSqlTest, ColumnValueConvertsToTheDefinedType)
{
    Value c = open();
    parse(c, "SELECT id FROM emp WHERE id = 1");
    define(c, 1, OraType::Varchar2);
    call("EXECUTE", { c });
    ASSERT_EQ(call("FETCH_ROWS", { c }), num(1));
    EXPECT_EQ(column(c, 1, OraType::Varchar2), txt("1"));
    EXPECT_EQ(oraCodeOf([&] { column(c, 1, OraType::Number); }), 6562);
}

// Oracle: EXECUTE of DML returns the rows processed, and the change is part of the session's transaction.
TEST_F(DbmsSqlTest, DmlReturnsRowsProcessed)
{
    Value c = open();
    parse(c, "UPDATE emp SET name = lower(name) WHERE id <= :hi");
    bindVar(c, "HI", num(2), OraType::Number);
    EXPECT_EQ(call("EXECUTE", { c }), num(2));
    EXPECT_EQ(one(*s, "SELECT name FROM emp WHERE id = 2"), "bor");
    EXPECT_TRUE(s->inTransaction());
    parse(c, "INSERT INTO emp (id, name) VALUES (:id, :name)");
    bindVar(c, "id", num(4), OraType::Number);
    bindVar(c, "name", txt("DANA"), OraType::Varchar2);
    EXPECT_EQ(call("EXECUTE", { c }), num(1));
    s->rollback();
    EXPECT_EQ(one(*s, "SELECT count(*) FROM emp"), "3");
}

// Oracle: an anonymous block runs at EXECUTE; VARIABLE_VALUE reads what it left in a bind.
TEST_F(DbmsSqlTest, BlockAndVariableValue)
{
    Value c = open();
    parse(c, "BEGIN :x := :y * 2; END;");
    bindVar(c, "x", Value::null(), OraType::Number);
    bindVar(c, "y", num(21), OraType::Number);
    EXPECT_EQ(call("EXECUTE", { c }), num(0));
    NativeResult r = callNative(*s, "DBMS_SQL", "VARIABLE_VALUE",
        NativeArgs { { c, txt("X"), Value::null() }, { OraType::Number, OraType::Varchar2, OraType::Number }, {}, {} });
    EXPECT_EQ(r.args[2], num(42));
    EXPECT_EQ(oraCodeOf([&] { callNative(*s, "DBMS_SQL", "VARIABLE_VALUE", { c, txt("Z"), Value::null() }); }), 1006);
}

// Oracle: PARSE runs DDL at once; EXECUTE afterwards does nothing more and returns 0.
TEST_F(DbmsSqlTest, DdlRunsAtParse)
{
    Value c = open();
    parse(c, "CREATE TABLE made_at_parse (n NUMBER)");
    EXPECT_EQ(errorOf(*s, "SELECT * FROM made_at_parse"), 0);
    EXPECT_EQ(call("EXECUTE", { c }), num(0));
    parse(c, "DROP TABLE made_at_parse");
    EXPECT_EQ(errorOf(*s, "SELECT * FROM made_at_parse"), 942);
}

// Oracle: PARSE reports the statement's own error (a missing table, a bad column, bad syntax), so nothing is left
// to fail at EXECUTE; the cursor stays open.
TEST_F(DbmsSqlTest, ParseReportsTheStatementsError)
{
    struct Case {
        const char* sql;
        int code;
    };
    const std::vector<Case> cases {
        { "SELECT * FROM no_such_table", 942 },
        { "SELECT no_such_column FROM emp", 904 },
        { "SELECT * FORM emp", 923 },
        { "SELECT id FROM emp;", 911 },
    };
    Value c = open();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.sql);
        EXPECT_EQ(oraCodeOf([&] { parse(c, k.sql); }), k.code);
    }
    EXPECT_EQ(call("IS_OPEN", { c }), num(1));
    EXPECT_EQ(oraCodeOf([&] { call("EXECUTE", { c }); }), 1003);
}

// Oracle: binding a name the statement does not have is ORA-01006, executing with a bind missing ORA-01008,
// defining a position past the select list ORA-01007, fetching before EXECUTE or past the end ORA-01002.
TEST_F(DbmsSqlTest, StepsOutOfOrder)
{
    Value c = open();
    parse(c, "SELECT name FROM emp WHERE id = :id");
    EXPECT_EQ(oraCodeOf([&] { bindVar(c, "nope", num(1), OraType::Number); }), 1006);
    EXPECT_EQ(oraCodeOf([&] { define(c, 2, OraType::Varchar2); }), 1007);
    EXPECT_EQ(oraCodeOf([&] { call("FETCH_ROWS", { c }); }), 1002);
    EXPECT_EQ(oraCodeOf([&] { call("EXECUTE", { c }); }), 1008);
    bindVar(c, "id", num(1), OraType::Number);
    define(c, 1, OraType::Varchar2);
    call("EXECUTE", { c });
    EXPECT_EQ(oraCodeOf([&] { column(c, 1, OraType::Varchar2); }), 1002);
    EXPECT_EQ(call("FETCH_ROWS", { c }), num(1));
    EXPECT_EQ(call("FETCH_ROWS", { c }), num(0));
    EXPECT_EQ(oraCodeOf([&] { call("FETCH_ROWS", { c }); }), 1002);
}

// Oracle: EXECUTE_AND_FETCH with exact TRUE wants exactly one row: none is NO_DATA_FOUND, more TOO_MANY_ROWS with
// the first row still readable.
TEST_F(DbmsSqlTest, ExactFetch)
{
    Value c = open();
    parse(c, "SELECT name FROM emp WHERE id > :lo ORDER BY id");
    define(c, 1, OraType::Varchar2);
    bindVar(c, "lo", num(2), OraType::Number);
    EXPECT_EQ(call("EXECUTE_AND_FETCH", { c, num(1) }), num(1));
    EXPECT_EQ(column(c, 1, OraType::Varchar2), txt("CVETO"));
    bindVar(c, "lo", num(0), OraType::Number);
    EXPECT_EQ(oraCodeOf([&] { call("EXECUTE_AND_FETCH", { c, num(1) }); }), 1422);
    EXPECT_EQ(column(c, 1, OraType::Varchar2), txt("ANA"));
    bindVar(c, "lo", num(9), OraType::Number);
    EXPECT_EQ(oraCodeOf([&] { call("EXECUTE_AND_FETCH", { c, num(1) }); }), 1403);
}

// Oracle: CLOSE_CURSOR sets the variable to NULL; a cursor number that is not open is ORA-29471, after which the
// session may not use DBMS_SQL any more; IS_OPEN only answers FALSE.
TEST_F(DbmsSqlTest, BadCursorDeniesTheSession)
{
    Value c = open();
    NativeResult r = callNative(*s, "DBMS_SQL", "CLOSE_CURSOR", { c });
    EXPECT_TRUE(r.args[0].isNull());
    EXPECT_EQ(call("IS_OPEN", { c }), num(0));
    EXPECT_EQ(call("IS_OPEN", { Value::null() }), num(0));
    std::string message;
    EXPECT_EQ(oraCodeOf([&] { parse(c, "SELECT 1 FROM dual"); }, &message), 29471);
    EXPECT_EQ(message, "ORA-29471: DBMS_SQL access denied");
    EXPECT_EQ(oraCodeOf([&] { open(); }), 29471);
    // Another session is not affected.
    auto other = logOn();
    EXPECT_FALSE(callNative(*other, "DBMS_SQL", "OPEN_CURSOR").returned->isNull());
}

// A session's cursors end with it: a query left open does not keep the session's connection busy.
TEST_F(DbmsSqlTest, CursorsEndWithTheSession)
{
    auto other = logOn();
    Value c = callNative(*other, "DBMS_SQL", "OPEN_CURSOR").returned.value();
    callNative(*other, "DBMS_SQL", "PARSE", { c, txt("SELECT id FROM emp"), num(1) });
    callNative(*other, "DBMS_SQL", "EXECUTE", { c });
    other.reset();
    s->execute("DROP TABLE emp");
}

} // namespace

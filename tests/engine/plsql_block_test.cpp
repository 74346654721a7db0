// Anonymous PL/SQL blocks run by the engine: each case states the Oracle behaviour it checks.
#include "engine_fixture.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using enginetest::EngineTest;

class PlsqlBlock : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        s->execute("CREATE TABLE t (id NUMBER PRIMARY KEY, name VARCHAR2(10), d DATE)");
        s->execute("INSERT INTO t VALUES (1, 'one', DATE '2024-01-01')");
        s->execute("INSERT INTO t VALUES (2, 'two', NULL)");
        s->execute("INSERT INTO t VALUES (3, 'three', NULL)");
        s->execute("COMMIT");
    }
    // Runs a block with one OUT bind :R (VARCHAR2) and returns what the block put in it.
    std::string result(const std::string& block)
    {
        std::vector<engine::Bind> binds(1);
        binds[0].name = "R";
        binds[0].dir = engine::BindDir::Out;
        s->execute(block, binds);
        return binds[0].value.isNull() ? "NULL" : binds[0].value.toString();
    }
    std::string errorText(const std::string& block)
    {
        try {
            std::vector<engine::Bind> binds(1);
            binds[0].name = "R";
            binds[0].dir = engine::BindDir::Out;
            s->execute(block, binds);
        } catch (const engine::Error& e) {
            return e.message();
        }
        return "<no error>";
    }
};

struct ResultCase {
    const char* name;
    const char* block;
    const char* expected;
};

// Oracle: assignment, arithmetic, NULL rules ('' is NULL, NULL || 'x' is 'x', three-valued IF), loops and EXIT,
// CASE, functions of SQL inside PL/SQL expressions, nested blocks with handlers.
TEST_F(PlsqlBlock, ComputesWhatOracleComputes)
{
    const ResultCase cases[] = {
        { "assignment", "BEGIN :r := 'x'; END;", "x" },
        { "arithmetic", "DECLARE n NUMBER := 7; BEGIN :r := n * 6; END;", "42" },
        { "division", "BEGIN :r := 1 / 4; END;", ".25" },
        { "empty text is null", "DECLARE v VARCHAR2(10) := ''; BEGIN IF v IS NULL THEN :r := 'null'; END IF; END;",
            "null" },
        { "concat skips null", "DECLARE v VARCHAR2(10); BEGIN :r := v || 'a' || NULL || 'b'; END;", "ab" },
        { "null comparison is not true",
            "DECLARE v NUMBER; BEGIN IF v = 1 THEN :r := 'eq'; ELSIF NOT (v = 1) THEN :r := 'ne'; ELSE :r := 'unknown';"
            " END IF; END;",
            "unknown" },
        { "while loop", "DECLARE i PLS_INTEGER := 0; BEGIN WHILE i < 5 LOOP i := i + 1; END LOOP; :r := i; END;", "5" },
        { "numeric for reverse",
            "DECLARE s VARCHAR2(20); BEGIN FOR i IN REVERSE 1..3 LOOP s := s || i; END LOOP; :r := s; END;", "321" },
        { "exit when", "DECLARE i INTEGER := 0; BEGIN LOOP i := i + 2; EXIT WHEN i > 7; END LOOP; :r := i; END;", "8" },
        { "labelled exit",
            "DECLARE n INTEGER := 0; BEGIN <<outer>> FOR i IN 1..3 LOOP FOR j IN 1..3 LOOP n := n + 1; EXIT outer WHEN "
            "j = 2; END LOOP; END LOOP; :r := n; END;",
            "2" },
        { "case expression", "DECLARE x INTEGER := 2; BEGIN :r := CASE x WHEN 1 THEN 'a' WHEN 2 THEN 'b' END; END;",
            "b" },
        { "sql functions", "BEGIN :r := UPPER(SUBSTR('hello', 2, 3)) || LENGTH('abc') || TO_CHAR(5); END;", "ELL35" },
        { "nvl", "DECLARE v NUMBER; BEGIN :r := NVL(v, 9); END;", "9" },
        { "integer rounds", "DECLARE i PLS_INTEGER; BEGIN i := 2.6; :r := i; END;", "3" },
        { "number scale rounds", "DECLARE n NUMBER(5,2); BEGIN n := 1.235; :r := n; END;", "1.24" },
        { "boolean variable", "DECLARE b BOOLEAN := 1 < 2; BEGIN IF b AND NOT FALSE THEN :r := 'yes'; END IF; END;",
            "yes" },
        { "like and in",
            "BEGIN IF 'abc' LIKE 'a%' AND 3 IN (1, 3) AND 2 BETWEEN 1 AND 3 THEN :r := 'ok'; END IF; END;", "ok" },
        { "nested block handler",
            "DECLARE n NUMBER; BEGIN BEGIN n := 1 / 0; EXCEPTION WHEN ZERO_DIVIDE THEN :r := 'caught'; END; END;",
            "caught" },
        { "sqlcode and sqlerrm",
            "BEGIN RAISE NO_DATA_FOUND; EXCEPTION WHEN OTHERS THEN :r := SQLCODE || ' ' || SQLERRM; END;",
            "100 ORA-01403: no data found" },
        { "user exception",
            "DECLARE e EXCEPTION; BEGIN RAISE e; EXCEPTION WHEN e THEN :r := SQLCODE || ' ' || SQLERRM; END;",
            "1 User-Defined Exception" },
        { "exception_init",
            "DECLARE dup EXCEPTION; PRAGMA EXCEPTION_INIT(dup, -1); BEGIN INSERT INTO t VALUES (1, 'x', NULL); "
            "EXCEPTION WHEN dup THEN :r := 'dup'; END;",
            "dup" },
        { "raise_application_error",
            "BEGIN RAISE_APPLICATION_ERROR(-20001, 'bad thing'); EXCEPTION WHEN OTHERS THEN :r := SQLCODE || ':' || "
            "SQLERRM; END;",
            "-20001:ORA-20001: bad thing" },
        { "local function",
            "DECLARE FUNCTION twice(x NUMBER) RETURN NUMBER IS BEGIN RETURN x * 2; END; BEGIN :r := twice(21); END;",
            "42" },
        { "local procedure out and named",
            "DECLARE v NUMBER; PROCEDURE p(a IN NUMBER, b OUT NUMBER, c NUMBER := 10) IS BEGIN b := a + c; END; "
            "BEGIN p(b => v, a => 1); :r := v; END;",
            "11" },
        { "recursion",
            "DECLARE FUNCTION f(n INTEGER) RETURN INTEGER IS BEGIN IF n <= 1 THEN RETURN 1; END IF; RETURN n * f(n - "
            "1); END; BEGIN :r := f(5); END;",
            "120" },
        { "record and index-by table",
            "DECLARE TYPE r_t IS RECORD (a NUMBER, b VARCHAR2(5)); TYPE tab_t IS TABLE OF r_t INDEX BY BINARY_INTEGER; "
            "tab tab_t; BEGIN tab(3).a := 1; tab(3).b := 'x'; tab(1).a := 2; :r := tab.COUNT || tab.FIRST || "
            "tab.LAST || tab(3).b || tab.NEXT(1); END;",
            "213x3" },
        { "comment lines before the block", "-- first\n-- second\nBEGIN :r := 'c'; END;", "c" },
    };
    for (const ResultCase& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            EXPECT_EQ(result(c.block), c.expected);
        } catch (const engine::Error& e) {
            ADD_FAILURE() << e.message();
        }
    }
}

// Oracle: SELECT INTO takes one row (NO_DATA_FOUND, TOO_MANY_ROWS otherwise); a column wins over a variable of the
// same name; variables become binds of the statement; %ROWTYPE and %TYPE follow the table.
TEST_F(PlsqlBlock, EmbeddedSqlUsesVariablesAndColumns)
{
    const ResultCase cases[] = {
        { "select into", "DECLARE v VARCHAR2(10); BEGIN SELECT name INTO v FROM t WHERE id = 2; :r := v; END;", "two" },
        { "variable as bind", "DECLARE k NUMBER := 3; v t.name%TYPE; BEGIN SELECT name INTO v FROM t WHERE id = k; :r "
                              ":= v; END;",
            "three" },
        { "column wins over variable",
            "DECLARE id NUMBER := 3; n NUMBER; BEGIN SELECT COUNT(*) INTO n FROM t WHERE id = id; :r := n; END;", "3" },
        { "rowtype", "DECLARE r t%ROWTYPE; BEGIN SELECT * INTO r FROM t WHERE id = 1; :r := r.name || r.id; END;",
            "one1" },
        { "no data found",
            "DECLARE v NUMBER; BEGIN SELECT id INTO v FROM t WHERE id = 99; EXCEPTION WHEN NO_DATA_FOUND THEN :r := "
            "'none'; END;",
            "none" },
        { "too many rows",
            "DECLARE v NUMBER; BEGIN SELECT id INTO v FROM t; EXCEPTION WHEN TOO_MANY_ROWS THEN :r := 'many'; END;",
            "many" },
        { "sql rowcount", "BEGIN UPDATE t SET name = name WHERE id > 1; :r := SQL%ROWCOUNT; END;", "2" },
        { "sql notfound", "BEGIN DELETE FROM t WHERE id = 42; IF SQL%NOTFOUND THEN :r := 'nf'; END IF; END;", "nf" },
        { "insert with variables",
            "DECLARE k NUMBER := 10; n VARCHAR2(10) := 'ten'; BEGIN INSERT INTO t (id, name) VALUES (k, n); SELECT "
            "name INTO :r FROM t WHERE id = 10; END;",
            "ten" },
        { "returning into",
            "DECLARE v VARCHAR2(10); BEGIN UPDATE t SET name = 'TWO' WHERE id = 2 RETURNING name INTO v; :r := v; END;",
            "TWO" },
        { "cursor loop with parameters",
            "DECLARE CURSOR c(lo NUMBER) IS SELECT id, name FROM t WHERE id >= lo ORDER BY id; s VARCHAR2(50); BEGIN "
            "FOR x IN c(2) LOOP s := s || x.name; END LOOP; :r := s; END;",
            "twothree" },
        { "explicit cursor attributes",
            "DECLARE CURSOR c IS SELECT id FROM t ORDER BY id; v NUMBER; n NUMBER := 0; BEGIN OPEN c; LOOP FETCH c INTO "
            "v; EXIT WHEN c%NOTFOUND; n := n + v; END LOOP; :r := n || '/' || c%ROWCOUNT; CLOSE c; END;",
            "6/3" },
        { "inline cursor for",
            "DECLARE s NUMBER := 0; BEGIN FOR x IN (SELECT id FROM t) LOOP s := s + x.id; END LOOP; :r := s; END;", "6" },
        { "where current of",
            "DECLARE CURSOR c IS SELECT * FROM t WHERE id = 2 FOR UPDATE; r t%ROWTYPE; BEGIN OPEN c; FETCH c INTO r; "
            "UPDATE t SET name = 'cur' WHERE CURRENT OF c; CLOSE c; SELECT name INTO :r FROM t WHERE id = 2; END;",
            "cur" },
        { "execute immediate into using",
            "DECLARE v VARCHAR2(10); BEGIN EXECUTE IMMEDIATE 'SELECT name FROM t WHERE id = :x' INTO v USING 3; :r := "
            "v; END;",
            "three" },
        { "open for ref cursor",
            "DECLARE rc SYS_REFCURSOR; v NUMBER; BEGIN OPEN rc FOR SELECT MAX(id) FROM t; FETCH rc INTO v; CLOSE rc; "
            ":r := v; END;",
            "3" },
        { "date variable", "DECLARE d DATE; BEGIN SELECT d INTO d FROM t WHERE id = 1; :r := TO_CHAR(d + 1, "
                           "'YYYY-MM-DD'); END;",
            "2024-01-02" },
        { "sequence in expression", "BEGIN EXECUTE IMMEDIATE 'CREATE SEQUENCE sq'; :r := 'made'; END;", "made" },
        { "sequence through a cursor in a local function",
            "DECLARE iSeq INTEGER; FUNCTION f_getSequence RETURN INTEGER IS cursor cSeq is select sq.nextval from "
            "dual; seq INTEGER; BEGIN OPEN cSeq; FETCH cSeq INTO seq; CLOSE cSeq; RETURN seq; END; BEGIN iSeq := "
            "f_getSequence; iSeq := f_getSequence; :r := iSeq || '/' || sq.currval; END;",
            "2/2" },
    };
    for (const ResultCase& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            EXPECT_EQ(result(c.block), c.expected);
        } catch (const engine::Error& e) {
            ADD_FAILURE() << e.message();
        }
        s->execute("ROLLBACK");
    }
}

// Oracle: an unhandled error ends the call with the error and "ORA-06512: at line N"; the call's own changes are
// undone while the transaction's earlier work stays.
TEST_F(PlsqlBlock, UnhandledErrorRollsBackTheCallOnly)
{
    s->execute("UPDATE t SET name = 'before' WHERE id = 1");
    EXPECT_EQ(errorText("BEGIN\n  UPDATE t SET name = 'inside' WHERE id = 2;\n  RAISE NO_DATA_FOUND;\nEND;"),
        "ORA-01403: no data found\nORA-06512: at line 3");
    EXPECT_EQ(one(*s, "SELECT name FROM t WHERE id = 1"), "before");
    EXPECT_EQ(one(*s, "SELECT name FROM t WHERE id = 2"), "two");
    EXPECT_TRUE(s->inTransaction());
}

// Oracle: COMMIT inside a block makes what came before it permanent, so a later error undoes only what followed;
// ROLLBACK TO SAVEPOINT inside a block undoes to the savepoint; DDL in EXECUTE IMMEDIATE commits.
TEST_F(PlsqlBlock, TransactionControlInsideBlocks)
{
    EXPECT_EQ(errorText("BEGIN\n  UPDATE t SET name = 'kept' WHERE id = 1;\n  COMMIT;\n  UPDATE t SET name = 'lost' WHERE "
                        "id = 2;\n  RAISE VALUE_ERROR;\nEND;"),
        "ORA-06502: PL/SQL: numeric or value error\nORA-06512: at line 5");
    s->execute("ROLLBACK");
    EXPECT_EQ(one(*s, "SELECT name FROM t WHERE id = 1"), "kept");
    EXPECT_EQ(one(*s, "SELECT name FROM t WHERE id = 2"), "two");

    s->execute("BEGIN UPDATE t SET name = 'a' WHERE id = 3; SAVEPOINT sp; UPDATE t SET name = 'b' WHERE id = 3; "
               "ROLLBACK TO SAVEPOINT sp; END;");
    EXPECT_EQ(one(*s, "SELECT name FROM t WHERE id = 3"), "a");
    s->execute("BEGIN EXECUTE IMMEDIATE 'CREATE TABLE made_here (x NUMBER)'; END;");
    s->execute("ROLLBACK");
    EXPECT_EQ(one(*s, "SELECT name FROM t WHERE id = 3"), "a");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM made_here"), "0");
}

// Oracle: the stack names the line in each subprogram the error passed through; user exceptions are ORA-06510.
TEST_F(PlsqlBlock, ErrorStackLines)
{
    const ResultCase cases[] = {
        { "local procedure",
            "DECLARE\n  PROCEDURE p IS\n  BEGIN\n    RAISE_APPLICATION_ERROR(-20005, 'deep');\n  END;\nBEGIN\n  "
            "p;\nEND;",
            "ORA-20005: deep\nORA-06512: at line 4\nORA-06512: at line 7" },
        { "user exception", "DECLARE\n  e EXCEPTION;\nBEGIN\n  RAISE e;\nEND;",
            "ORA-06510: PL/SQL: unhandled user-defined exception\nORA-06512: at line 4" },
        { "value error", "DECLARE\n  v VARCHAR2(3);\nBEGIN\n  v := 'abcd';\nEND;",
            "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\nORA-06512: at line 4" },
        { "re-raise", "BEGIN\n  RAISE TOO_MANY_ROWS;\nEXCEPTION\n  WHEN OTHERS THEN\n    RAISE;\nEND;",
            "ORA-01422: exact fetch returns more than requested number of rows\nORA-06512: at line 5" },
        { "raise_application_error out of range", "BEGIN\n  RAISE_APPLICATION_ERROR(-1, 'x');\nEND;",
            "ORA-21000: error number argument to raise_application_error of -1 is out of range\nORA-06512: at line "
            "2" },
    };
    for (const ResultCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorText(c.block), c.expected);
    }
}

// Oracle: compile errors of an anonymous block are ORA-06550 with line and column, and PLS texts.
TEST_F(PlsqlBlock, CompileErrorsWithLineAndColumn)
{
    const ResultCase cases[] = {
        { "undeclared", "BEGIN\n  x := 1;\nEND;",
            "ORA-06550: line 2, column 3:\nPLS-00201: identifier 'X' must be declared\nORA-06550: line 2, column "
            "3:\nPL/SQL: Statement ignored" },
        { "missing semicolon", "BEGIN\n  NULL\nEND;",
            "ORA-06550: line 3, column 1:\nPLS-00103: Encountered the symbol \"END\" when expecting one of the "
            "following:\n\n   ;\n" },
        { "table missing", "DECLARE\n  n NUMBER;\nBEGIN\n  SELECT COUNT(*) INTO n FROM nosuch;\nEND;",
            "ORA-06550: line 4, column 31:\nPL/SQL: ORA-00942: table or view does not exist\nORA-06550: line 4, "
            "column 3:\nPL/SQL: SQL Statement ignored" },
        { "decode outside sql", "DECLARE\n  v NUMBER;\nBEGIN\n  v := DECODE(1, 1, 2);\nEND;",
            "ORA-06550: line 4, column 8:\nPLS-00204: function or pseudo-column 'DECODE' may be used inside a SQL "
            "statement only\nORA-06550: line 4, column 3:\nPL/SQL: Statement ignored" },
        { "wrong type", "DECLARE\n  b BOOLEAN;\nBEGIN\n  b := 1;\nEND;",
            "ORA-06550: line 4, column 8:\nPLS-00382: expression is of wrong type\nORA-06550: line 4, column "
            "3:\nPL/SQL: Statement ignored" },
    };
    for (const ResultCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorText(c.block), c.expected);
    }
}

// Oracle: OUT and IN OUT binds of each type carry the block's values back; a REF CURSOR out bind is fetched by the
// client.
TEST_F(PlsqlBlock, BindsInAndOut)
{
    std::vector<engine::Bind> b(4);
    b[0].name = "N";
    b[0].dir = engine::BindDir::InOut;
    b[0].type = engine::OraType::Number;
    b[0].value = engine::Value::fromInt(5);
    b[1].name = "D";
    b[1].dir = engine::BindDir::Out;
    b[1].type = engine::OraType::Date;
    b[2].name = "S";
    b[2].dir = engine::BindDir::In;
    b[2].value = engine::Value::fromText("in");
    b[3].name = "C";
    b[3].dir = engine::BindDir::Out;
    b[3].type = engine::OraType::RefCursor;
    s->execute("BEGIN :n := :n * 2; SELECT d INTO :d FROM t WHERE id = 1; OPEN :c FOR SELECT name FROM t WHERE name "
               "<> :s ORDER BY id; END;",
        b);
    EXPECT_EQ(b[0].value, engine::Value::fromInt(10));
    EXPECT_EQ(b[1].value, engine::Value::fromDate("2024-01-01 00:00:00"));
    ASSERT_TRUE(b[3].cursor);
    std::vector<std::string> names;
    while (b[3].cursor->next())
        names.push_back(b[3].cursor->value(0).toString());
    EXPECT_EQ(names, (std::vector<std::string> { "one", "two", "three" }));
}

// Oracle: BreakExecution stops a running loop with ORA-01013.
TEST_F(PlsqlBlock, InterruptStopsALoop)
{
    std::thread stopper([&] {
        for (int i = 0; i < 200 && !s->inTransaction(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        s->interrupt();
    });
    int code = 0;
    try {
        s->execute("BEGIN UPDATE t SET name = name WHERE id = 1; LOOP NULL; END LOOP; END;");
    } catch (const engine::Error& e) {
        code = e.code();
    }
    stopper.join();
    EXPECT_EQ(code, 1013);
}

// Oracle: a cancelled call is one statement that failed: what the block changed is undone and the transaction's
// earlier work stays, also when the cancel comes while a cursor of the block is open in the middle of its rows.
TEST_F(PlsqlBlock, InterruptUndoesTheBlocksWork)
{
    s->execute("CREATE TABLE src AS SELECT LEVEL id FROM dual CONNECT BY LEVEL <= 1000");
    s->execute("CREATE TABLE dst (id NUMBER)");
    s->execute("INSERT INTO dst VALUES (-1)");
    // The block says on a pipe when it has done its inserts; the other session then cancels it.
    std::atomic<bool> started { false };
    std::thread stopper([&] {
        auto other = logOn();
        try {
            other->execute("DECLARE r INTEGER; BEGIN r := DBMS_PIPE.RECEIVE_MESSAGE('INTERRUPT_ME', 30); "
                           "IF r <> 0 THEN RAISE_APPLICATION_ERROR(-20001, 'no message'); END IF; END;");
            started = true;
        } catch (const engine::Error&) {
        }
        s->interrupt();
    });
    int code = 0;
    try {
        // The cursor stays open in the middle of its rows while the block waits to be cancelled.
        s->execute("DECLARE CURSOR c IS SELECT id FROM src; r c%ROWTYPE; rt INTEGER; "
                   "BEGIN OPEN c; LOOP FETCH c INTO r; EXIT WHEN r.id > 100; INSERT INTO dst VALUES (r.id); "
                   "END LOOP; rt := DBMS_PIPE.SEND_MESSAGE('INTERRUPT_ME'); LOOP NULL; END LOOP; END;");
    } catch (const engine::Error& e) {
        code = e.code();
    }
    stopper.join();
    ASSERT_TRUE(started);
    EXPECT_EQ(code, 1013);
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM dst WHERE id > 0"), "0");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM dst WHERE id = -1"), "1"); // the transaction's earlier work stays
    s->execute("ROLLBACK");
}

} // namespace

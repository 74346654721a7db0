// Compiled PL/SQL reading variables of a frame other than the running one: cursors with parameters and the
// variables their queries name, opened from a deeper subprogram than the one that declares them; package cursors
// and variables; parameter defaults evaluated for a call; nested, local and recursive calls. Each case runs in a
// child process (a wrong frame may crash), and states the Oracle behaviour it checks.
#include "child_process.h"
#include "engine/engine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using enginetest::ChildOutcome;
using enginetest::runInChild;

// Keys and values: key 0 sums to 30, key 1 to 12, key 2 to 100.
const char* const kTable = "CREATE TABLE fr_t (k NUMBER, v NUMBER, name VARCHAR2(20), day DATE)";
const char* const kRows = "INSERT INTO fr_t SELECT 0, 10, 'zero', DATE '2020-01-01' FROM dual "
                          "UNION ALL SELECT 0, 20, 'zero', DATE '2020-01-02' FROM dual "
                          "UNION ALL SELECT 1, 5, 'one', DATE '2020-02-01' FROM dual "
                          "UNION ALL SELECT 1, 7, 'one', DATE '2020-02-02' FROM dual "
                          "UNION ALL SELECT 2, 100, 'two', DATE '2020-03-01' FROM dual";

const char* const kSpec = R"(CREATE OR REPLACE PACKAGE fr AS
  g_def NUMBER := 1;
  FUNCTION total(p_k NUMBER) RETURN NUMBER;
  PROCEDURE show(p_k NUMBER, p_out OUT NUMBER);
  FUNCTION by_name(p_name VARCHAR2, p_day DATE) RETURN NUMBER;
  PROCEDURE show_name(p_name VARCHAR2, p_out OUT NUMBER);
  FUNCTION by_global RETURN NUMBER;
  FUNCTION first_v(p_k NUMBER) RETURN NUMBER;
  PROCEDURE show_first(p_k NUMBER, p_out OUT NUMBER);
  FUNCTION rec_pkg(p_k NUMBER) RETURN NUMBER;
  FUNCTION total_def(p_k NUMBER DEFAULT g_def) RETURN NUMBER;
END;)";

const char* const kBody = R"(CREATE OR REPLACE PACKAGE BODY fr AS
  g_k NUMBER := 2;
  CURSOR c(p_k NUMBER) IS SELECT v FROM fr_t WHERE k = p_k ORDER BY v;
  CURSOR cn(p_name VARCHAR2, p_day DATE) IS SELECT v FROM fr_t WHERE name = p_name AND day >= p_day;
  CURSOR cg IS SELECT v FROM fr_t WHERE k = g_k;
  FUNCTION total(p_k NUMBER) RETURN NUMBER IS
    s NUMBER := 0;
  BEGIN
    FOR r IN c(p_k) LOOP
      s := s + r.v;
    END LOOP;
    RETURN s;
  END;
  PROCEDURE show(p_k NUMBER, p_out OUT NUMBER) IS
    a NUMBER := 1;
    b NUMBER := 2;
  BEGIN
    p_out := total(p_k);
  END;
  FUNCTION by_name(p_name VARCHAR2, p_day DATE) RETURN NUMBER IS
    label VARCHAR2(30) := 'sum of ' || p_name;
    s NUMBER := 0;
  BEGIN
    FOR r IN cn(p_name, p_day) LOOP
      s := s + r.v;
    END LOOP;
    RETURN s;
  END;
  PROCEDURE show_name(p_name VARCHAR2, p_out OUT NUMBER) IS
    t1 VARCHAR2(40) := 'a text of some length';
    d1 DATE := DATE '2020-02-02';
    t2 VARCHAR2(40) := 'another text';
  BEGIN
    p_out := by_name(p_name, DATE '2020-01-01');
  END;
  FUNCTION by_global RETURN NUMBER IS
    x1 NUMBER := 0;
    x2 VARCHAR2(10) := 'x';
    s NUMBER := 0;
  BEGIN
    FOR r IN cg LOOP
      s := s + r.v;
    END LOOP;
    RETURN s;
  END;
  FUNCTION first_v(p_k NUMBER) RETURN NUMBER IS
    v1 NUMBER;
  BEGIN
    OPEN c(p_k);
    FETCH c INTO v1;
    CLOSE c;
    RETURN v1;
  END;
  PROCEDURE show_first(p_k NUMBER, p_out OUT NUMBER) IS
    z1 NUMBER := 9;
    z2 VARCHAR2(5) := 'zz';
  BEGIN
    p_out := first_v(p_k);
  END;
  FUNCTION rec_pkg(p_k NUMBER) RETURN NUMBER IS
    s NUMBER := 0;
  BEGIN
    IF p_k < 0 THEN
      RETURN 0;
    END IF;
    FOR r IN c(p_k) LOOP
      s := s + r.v + rec_pkg(p_k - 1);
    END LOOP;
    RETURN s;
  END;
  FUNCTION total_def(p_k NUMBER DEFAULT g_def) RETURN NUMBER IS
  BEGIN
    RETURN total(p_k);
  END;
END;)";

// A cursor of a function opened by a procedure nested in it, naming the function's parameter and variable.
const char* const kNested = R"(CREATE OR REPLACE FUNCTION fr_nest(p_k NUMBER) RETURN NUMBER IS
  lim NUMBER := 6;
  CURSOR c(p_min NUMBER) IS SELECT v FROM fr_t WHERE k = p_k AND v >= p_min AND v < lim * 100;
  s NUMBER := 0;
  PROCEDURE add_all(p_min NUMBER) IS
    dummy1 NUMBER := -1;
    dummy2 VARCHAR2(5) := 'zz';
  BEGIN
    FOR r IN c(p_min) LOOP
      s := s + r.v;
    END LOOP;
  END;
BEGIN
  add_all(6);
  RETURN s;
END;)";

// A recursive function whose own cursor stays open across the recursive call: each call has its own.
const char* const kRecursive = R"(CREATE OR REPLACE FUNCTION fr_rec(p_k NUMBER) RETURN NUMBER IS
  CURSOR c(p NUMBER) IS SELECT v FROM fr_t WHERE k = p;
  s NUMBER := 0;
BEGIN
  IF p_k < 0 THEN
    RETURN 0;
  END IF;
  FOR r IN c(p_k) LOOP
    s := s + r.v + fr_rec(p_k - 1);
  END LOOP;
  RETURN s;
END;)";

// Local subprograms: a default naming the enclosing function's variable, used from the function and from two
// levels deeper.
const char* const kLocalDefault = R"(CREATE OR REPLACE FUNCTION fr_local RETURN NUMBER IS
  base NUMBER := 40;
  FUNCTION plus(p NUMBER DEFAULT base) RETURN NUMBER IS
  BEGIN
    RETURN p + 2;
  END;
  FUNCTION deeper RETURN NUMBER IS
    x1 NUMBER := 1000;
    FUNCTION deepest RETURN NUMBER IS
      y1 NUMBER := 500;
    BEGIN
      RETURN plus;
    END;
  BEGIN
    RETURN deepest;
  END;
BEGIN
  RETURN plus * 1000 + deeper;
END;)";

// Cursor parameters with defaults, one naming a package variable.
const char* const kCursorDefaultsSpec = R"(CREATE OR REPLACE PACKAGE fr_cd AS
  g_key NUMBER := 2;
  FUNCTION sum_default RETURN NUMBER;
  FUNCTION sum_given(p NUMBER) RETURN NUMBER;
  FUNCTION sum_global RETURN NUMBER;
END;)";
const char* const kCursorDefaultsBody = R"(CREATE OR REPLACE PACKAGE BODY fr_cd AS
  CURSOR c(p_k NUMBER DEFAULT 1) IS SELECT v FROM fr_t WHERE k = p_k;
  CURSOR cg(p_k NUMBER DEFAULT g_key) IS SELECT v FROM fr_t WHERE k = p_k;
  FUNCTION sum_default RETURN NUMBER IS
    s NUMBER := 0;
  BEGIN
    FOR r IN c LOOP
      s := s + r.v;
    END LOOP;
    RETURN s;
  END;
  FUNCTION sum_given(p NUMBER) RETURN NUMBER IS
    s NUMBER := 0;
    v1 NUMBER;
  BEGIN
    OPEN c(p);
    LOOP
      FETCH c INTO v1;
      EXIT WHEN c%NOTFOUND;
      s := s + v1;
    END LOOP;
    CLOSE c;
    RETURN s;
  END;
  FUNCTION sum_global RETURN NUMBER IS
    a VARCHAR2(10) := 'a';
    s NUMBER := 0;
  BEGIN
    FOR r IN cg LOOP
      s := s + r.v;
    END LOOP;
    RETURN s;
  END;
END;)";

// Endless recursion, in PL/SQL and through SQL.
const char* const kEndless = R"(CREATE OR REPLACE FUNCTION fr_endless(n NUMBER) RETURN NUMBER IS
BEGIN
  RETURN fr_endless(n + 1);
END;)";
const char* const kEndlessSql = R"(CREATE OR REPLACE FUNCTION fr_endless_sql(n NUMBER) RETURN NUMBER IS
  r NUMBER;
BEGIN
  SELECT fr_endless_sql(n + 1) INTO r FROM dual;
  RETURN r;
END;)";

// A trigger's cursor naming :NEW, opened by a procedure local to the trigger.
const char* const kTrigger = R"(CREATE OR REPLACE TRIGGER fr_trg BEFORE INSERT ON fr_log FOR EACH ROW
DECLARE
  CURSOR c IS SELECT v FROM fr_t WHERE k = :NEW.k;
  s NUMBER := 0;
  PROCEDURE add_all IS
    pad1 VARCHAR2(10) := 'pad';
    pad2 NUMBER := 3;
  BEGIN
    FOR r IN c LOOP
      s := s + r.v;
    END LOOP;
  END;
BEGIN
  add_all;
  :NEW.total := s;
END;)";

struct FrameCase {
    const char* name;
    std::vector<const char*> setup;
    const char* probe; // a query (its first value), or a block that sets the OUT bind :X
    const char* expected; // the value, or the error code the probe fails with ("ORA-06511")
};

// Makes a database, runs the setup and the probe, and returns the probe's value or its error code.
std::string runCase(const std::string& dir, const FrameCase& c)
{
    auto db = engine::Database::create(dir);
    auto s = db->logOn("SYSTEM", "MANAGER", false);
    std::vector<engine::Bind> none;
    s->execute(kTable, none);
    s->execute(kRows, none);
    for (const char* sql : c.setup) {
        engine::ExecResult r = s->execute(sql, none);
        if (r.warning)
            return "compile: " + r.warning->message();
    }
    try {
        std::string probe = c.probe;
        if (probe.rfind("SELECT", 0) == 0) {
            engine::ExecResult r = s->execute(probe, none);
            if (!r.cursor || !r.cursor->next())
                return "<no rows>";
            return r.cursor->value(0).toString();
        }
        std::vector<engine::Bind> binds(1);
        binds[0].name = "X";
        binds[0].dir = engine::BindDir::Out;
        binds[0].type = engine::OraType::Number;
        s->execute(probe, binds);
        return binds[0].value.toString();
    } catch (const engine::Error& e) {
        return e.message().substr(0, 9);
    }
}

void PrintTo(const FrameCase& c, std::ostream* os)
{
    *os << c.name;
}

class PlsqlFrames : public ::testing::TestWithParam<FrameCase> { };

TEST_P(PlsqlFrames, ReadTheRightFrame)
{
    const FrameCase& c = GetParam();
    QTemporaryDir tmp;
    const std::string dir = tmp.filePath("db").toStdString();
    ChildOutcome out = runInChild([&] { return runCase(dir, c); });
    ASSERT_TRUE(out.exitedNormally) << c.name << ": the child ended with signal " << out.signal << "\n" << out.output;
    EXPECT_EQ(out.output, c.expected) << c.name;
}

const FrameCase kFrameCases[] = {
    // Oracle: a package cursor's parameter is bound from the OPEN (here a cursor FOR loop) that passes it, whatever
    // subprogram of the package runs it and whoever called that one.
    { "package_cursor_parameter_from_sql", { kSpec, kBody }, "SELECT fr.total(0) FROM dual", "30" },
    { "package_cursor_parameter_from_another_subprogram", { kSpec, kBody }, "BEGIN fr.show(1, :x); END;", "12" },
    // ... with text and date parameters, and text and date variables in the frames between.
    { "package_cursor_text_and_date_parameters", { kSpec, kBody }, "BEGIN fr.show_name('one', :x); END;", "12" },
    // Oracle: a package cursor's query reads the package's variables, not the opener's.
    { "package_cursor_reads_package_variable", { kSpec, kBody }, "SELECT fr.by_global FROM dual", "100" },
    // Oracle: OPEN c(p) ... FETCH ... CLOSE of a package cursor from a subprogram another one called.
    { "package_cursor_open_fetch_close", { kSpec, kBody }, "BEGIN fr.show_first(1, :x); END;", "5" },
    // Oracle: a package cursor opened again by a recursive call while it is open: ORA-06511.
    { "package_cursor_reopened_by_recursion", { kSpec, kBody }, "SELECT fr.rec_pkg(1) FROM dual", "ORA-06511" },
    // Oracle: a parameter's default is evaluated where the subprogram is declared (a package variable), for a call
    // from SQL, from a block and from inside the package.
    { "default_from_package_variable_in_sql", { kSpec, kBody }, "SELECT fr.total_def FROM dual", "12" },
    { "default_from_package_variable_in_block", { kSpec, kBody }, "BEGIN :x := fr.total_def; END;", "12" },
    { "default_from_package_variable_in_block_after_change", { kSpec, kBody },
        "BEGIN fr.g_def := 0; :x := fr.total_def; END;", "30" },
    // Oracle: a cursor of a function, opened by a procedure nested in it, reads the function's parameter and
    // variable.
    { "nested_procedure_opens_enclosing_cursor", { kNested }, "SELECT fr_nest(1) FROM dual", "7" },
    { "nested_procedure_opens_enclosing_cursor_other_key", { kNested }, "SELECT fr_nest(0) FROM dual", "30" },
    // Oracle: each call of a recursive function has its own cursor and variables.
    { "recursive_function_with_own_cursor", { kRecursive }, "SELECT fr_rec(2) FROM dual", "172" },
    // Oracle: a local function's default names a variable of the enclosing function; called from that function
    // and from two levels deeper, it reads the same variable.
    { "local_default_from_enclosing_variable", { kLocalDefault }, "SELECT fr_local FROM dual", "42042" },
    // Oracle: a cursor parameter's default applies when the OPEN leaves it out, also one naming a package
    // variable.
    { "cursor_parameter_default", { kCursorDefaultsSpec, kCursorDefaultsBody }, "SELECT fr_cd.sum_default FROM dual",
        "12" },
    { "cursor_parameter_given", { kCursorDefaultsSpec, kCursorDefaultsBody }, "SELECT fr_cd.sum_given(0) FROM dual",
        "30" },
    { "cursor_parameter_default_from_package_variable", { kCursorDefaultsSpec, kCursorDefaultsBody },
        "SELECT fr_cd.sum_global FROM dual", "100" },
    // Oracle: a trigger's cursor names :NEW; a procedure local to the trigger opens it.
    { "trigger_cursor_opened_by_local_procedure",
        { "CREATE TABLE fr_log (k NUMBER, total NUMBER)", kTrigger, "INSERT INTO fr_log (k) VALUES (1)" },
        "SELECT total FROM fr_log", "12" },
    // Oracle: endless recursion ends with an error, not a crash: in PL/SQL a storage error (ORA-06500 here); through
    // SQL ORA-00036, maximum number of recursive SQL levels (50) exceeded.
    { "endless_recursion", { kEndless }, "BEGIN :x := fr_endless(0); END;", "ORA-06500" },
    { "endless_recursion_through_sql", { kEndlessSql }, "SELECT fr_endless_sql(0) FROM dual", "ORA-00036" },
};

INSTANTIATE_TEST_SUITE_P(Engine, PlsqlFrames, ::testing::ValuesIn(kFrameCases),
    [](const ::testing::TestParamInfo<FrameCase>& i) { return std::string(i.param.name); });

} // namespace

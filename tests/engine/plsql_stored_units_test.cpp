// Stored PL/SQL units through the engine's session API: what CREATE reports, the error stack of a failing call,
// definer's rights and EXECUTE, package state per session, and the native packages' types and constants in
// declarations. Each case states the Oracle behaviour it checks.
#include "engine_fixture.h"

namespace {

using enginetest::EngineTest;

class PlsqlStored : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        s->execute("CREATE TABLE st (id NUMBER PRIMARY KEY, txt VARCHAR2(20))");
    }
    engine::ExecResult run(engine::Session& on, const std::string& sql)
    {
        std::vector<engine::Bind> none;
        return on.execute(sql, none);
    }
    std::string errorText(engine::Session& on, const std::string& sql)
    {
        try {
            std::vector<engine::Bind> binds;
            if (sql.find(":r") != std::string::npos) {
                binds.resize(1);
                binds[0].name = "R";
                binds[0].dir = engine::BindDir::Out;
            }
            on.execute(sql, binds);
        } catch (const engine::Error& e) {
            return e.message();
        }
        return "<no error>";
    }
    // Runs a block with one OUT bind :R and returns its value.
    std::string result(engine::Session& on, const std::string& block)
    {
        std::vector<engine::Bind> binds(1);
        binds[0].name = "R";
        binds[0].dir = engine::BindDir::Out;
        on.execute(block, binds);
        return binds[0].value.isNull() ? "NULL" : binds[0].value.toString();
    }
};

// Oracle: CREATE of a unit with errors succeeds with ORA-24344 "success with compilation error"; a unit without
// errors has no warning, and neither has CREATE OR REPLACE that repairs it.
TEST_F(PlsqlStored, CreateWithErrorsWarns)
{
    engine::ExecResult bad = run(*s, "CREATE OR REPLACE PROCEDURE w IS BEGIN nothing_here; END;");
    ASSERT_TRUE(bad.warning.has_value());
    EXPECT_EQ(bad.warning->code(), 24344);
    EXPECT_NE(bad.warning->message().find("success with compilation error"), std::string::npos);
    engine::ExecResult good = run(*s, "CREATE OR REPLACE PROCEDURE w IS BEGIN NULL; END;");
    EXPECT_FALSE(good.warning.has_value());
    EXPECT_EQ(one(*s, "SELECT status FROM user_objects WHERE object_name = 'W'"), "VALID");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM user_errors WHERE name = 'W'"), "0");
}

// Oracle: an error raised in a stored unit ends the call with one ORA-06512 line per unit on the way out, naming
// the unit as "OWNER.NAME" with the line in its own text; what the call did is undone.
TEST_F(PlsqlStored, FailingCallShowsUnitsInTheStack)
{
    run(*s,
        "CREATE OR REPLACE PROCEDURE inner_p IS\nBEGIN\n  INSERT INTO st VALUES (1, 'x');\n"
        "  RAISE_APPLICATION_ERROR(-20001, 'stop');\nEND;");
    run(*s, "CREATE OR REPLACE PACKAGE outer_k IS PROCEDURE go; END;");
    run(*s, "CREATE OR REPLACE PACKAGE BODY outer_k IS\n  PROCEDURE go IS\n  BEGIN\n    inner_p;\n  END;\nEND;");
    EXPECT_EQ(errorText(*s, "BEGIN\n  outer_k.go;\nEND;"),
        "ORA-20001: stop\nORA-06512: at \"SYSTEM.INNER_P\", line 4\nORA-06512: at \"SYSTEM.OUTER_K\", line 4\n"
        "ORA-06512: at line 2");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM st"), "0");
}

// Oracle: a package body with errors is stored INVALID; calling the package then fails with ORA-04063 naming the
// package body and ORA-06508 naming the package, while its header stays VALID.
TEST_F(PlsqlStored, CallOfPackageWithInvalidBody)
{
    run(*s, "CREATE OR REPLACE PACKAGE pb IS FUNCTION f RETURN NUMBER; END;");
    engine::ExecResult r = run(*s,
        "CREATE OR REPLACE PACKAGE BODY pb IS FUNCTION f RETURN NUMBER IS BEGIN "
        "RETURN missing_name; END; END;");
    ASSERT_TRUE(r.warning.has_value());
    EXPECT_EQ(rows(*s, "SELECT object_type || ' ' || status FROM user_objects WHERE object_name = 'PB' ORDER BY 1"),
        (std::vector<std::string> { "PACKAGE BODY INVALID", "PACKAGE VALID" }));
    EXPECT_EQ(errorText(*s, "BEGIN :r := pb.f; END;"),
        "ORA-04063: package body \"SYSTEM.PB\" has errors\nORA-06508: PL/SQL: could not find program unit being "
        "called: \"SYSTEM.PB\"\nORA-06512: at line 1");
}

// Oracle: each session has its own package state, initialised at the package's first use in that session.
TEST_F(PlsqlStored, PackageStateIsPerSession)
{
    run(*s, "CREATE OR REPLACE PACKAGE ctr IS n NUMBER := 0; FUNCTION next RETURN NUMBER; END;");
    run(*s,
        "CREATE OR REPLACE PACKAGE BODY ctr IS FUNCTION next RETURN NUMBER IS BEGIN n := n + 1; RETURN n; END; "
        "BEGIN n := 100; END;");
    auto other = logOn();
    EXPECT_EQ(result(*s, "BEGIN :r := ctr.next; END;"), "101");
    EXPECT_EQ(result(*s, "BEGIN :r := ctr.next; END;"), "102");
    EXPECT_EQ(result(*other, "BEGIN :r := ctr.next; END;"), "101");
    // Replacing the body discards the state in every session that had it: the next use says so (ORA-04068), the
    // one after it starts the state again.
    run(*s,
        "CREATE OR REPLACE PACKAGE BODY ctr IS FUNCTION next RETURN NUMBER IS BEGIN n := n + 10; RETURN n; END; "
        "END;");
    std::string discarded = errorText(*other, "BEGIN :r := ctr.next; END;");
    EXPECT_EQ(discarded.rfind("ORA-04068: existing state of packages has been discarded", 0), 0u) << discarded;
    EXPECT_EQ(result(*other, "BEGIN :r := ctr.next; END;"), "10");
}

// Oracle: a unit runs with its owner's rights (AUTHID DEFINER): a user with EXECUTE on it reaches the owner's
// table through it without any right on the table. Without EXECUTE the unit is not there for that user
// (PLS-00201), and a unit of another schema is named OWNER.UNIT.
TEST_F(PlsqlStored, DefinerRightsAndExecute)
{
    run(*s, "CREATE USER app IDENTIFIED BY app");
    run(*s, "GRANT CREATE SESSION, CREATE PROCEDURE, CREATE SYNONYM TO app");
    run(*s, "CREATE OR REPLACE PROCEDURE add_row(p_id NUMBER) IS BEGIN INSERT INTO st VALUES (p_id, USER); END;");
    auto app = logOn("APP", "APP");
    std::string denied = errorText(*app, "BEGIN system.add_row(1); END;");
    EXPECT_NE(denied.find("PLS-00201: identifier 'SYSTEM.ADD_ROW' must be declared"), std::string::npos) << denied;
    run(*s, "GRANT EXECUTE ON add_row TO app");
    run(*app, "BEGIN system.add_row(2); COMMIT; END;");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM st WHERE id = 2"), "1");
    EXPECT_NE(errorText(*app, "SELECT * FROM system.st").find("ORA-00942"), std::string::npos);
    // A synonym of the caller's own names the unit too.
    run(*app, "CREATE SYNONYM add_it FOR system.add_row");
    run(*app, "BEGIN add_it(3); COMMIT; END;");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM st WHERE id = 3"), "1");
}

// Oracle: the native packages' types and constants are usable in declarations and expressions
// (UTL_FILE.FILE_TYPE, DBMS_OUTPUT.CHARARR, DBMS_SQL.NATIVE).
TEST_F(PlsqlStored, NativePackageTypesAndConstants)
{
    EXPECT_EQ(result(*s,
                  "DECLARE f UTL_FILE.FILE_TYPE; lines DBMS_OUTPUT.CHARARR; n INTEGER := 2; BEGIN "
                  "DBMS_OUTPUT.ENABLE; DBMS_OUTPUT.PUT_LINE('a'); DBMS_OUTPUT.PUT_LINE('b'); "
                  "DBMS_OUTPUT.GET_LINES(lines, n); :r := n || lines(1) || lines(2) || DBMS_SQL.NATIVE; END;"),
        "2ab1");
}

// Oracle: package members are named by PACKAGE.MEMBER and OWNER.PACKAGE.MEMBER, inside the package by their own
// name or the package's; a package's variable may stand in SQL inside a block and its %TYPE in declarations.
TEST_F(PlsqlStored, PackageMembersByEveryName)
{
    run(*s, "CREATE OR REPLACE PACKAGE names_k IS lim NUMBER := 3; FUNCTION twice(x NUMBER) RETURN NUMBER; END;");
    run(*s,
        "CREATE OR REPLACE PACKAGE BODY names_k IS FUNCTION twice(x NUMBER) RETURN NUMBER IS BEGIN "
        "RETURN x * 2 + names_k.lim - lim; END; END;");
    run(*s, "INSERT INTO st VALUES (1, 'a')");
    run(*s, "INSERT INTO st VALUES (5, 'b')");
    EXPECT_EQ(result(*s,
                  "DECLARE v names_k.lim%TYPE; c NUMBER; BEGIN v := system.names_k.twice(4); "
                  "SELECT COUNT(*) INTO c FROM st WHERE id < names_k.lim; :r := v || '/' || c; END;"),
        "8/1");
    std::string e = errorText(*s, "BEGIN :r := names_k.nothing; END;");
    EXPECT_NE(e.find("PLS-00302: component 'NOTHING' must be declared"), std::string::npos) << e;
}

} // namespace

namespace {

// Oracle: a stored function in WHERE takes the statement's binds, also a bind named twice, row by row; a ROWID
// handed to it finds its row.
TEST_F(PlsqlStored, FunctionInWhereTakesBinds)
{
    run(*s, "INSERT INTO st VALUES (1, 'add phone')");
    run(*s, "INSERT INTO st VALUES (2, 'drop index')");
    run(*s, "INSERT INTO st VALUES (3, 'other')");
    run(*s,
        "CREATE OR REPLACE FUNCTION has_text(p_rowid IN ROWID, p_filter IN VARCHAR2) RETURN VARCHAR2 IS\n"
        "  v VARCHAR2(100);\nBEGIN\n  IF p_filter IS NULL THEN RETURN 'T'; END IF;\n"
        "  SELECT txt INTO v FROM st WHERE ROWID = p_rowid;\n"
        "  IF INSTR(UPPER(v), UPPER(p_filter)) > 0 THEN RETURN 'T'; END IF;\n  RETURN 'F';\nEND;");
    const std::string count = "SELECT COUNT(*) FROM st WHERE id > :low AND (:filter = 'A' OR system.has_text(rowid, "
                              ":filter) = 'T')";
    for (const auto& [filter, expected] : std::vector<std::pair<std::string, std::string>> {
             { "A", "3" }, { "PHONE", "1" }, { "index", "1" }, { "nothing", "0" } }) {
        SCOPED_TRACE(filter);
        std::vector<engine::Bind> binds(2);
        binds[0].name = "LOW";
        binds[0].value = engine::Value::fromInt(0);
        binds[0].type = engine::OraType::Number;
        binds[1].name = "FILTER";
        binds[1].value = engine::Value::fromText(filter);
        binds[1].type = engine::OraType::Varchar2;
        EXPECT_EQ(rows(*s, count, binds), std::vector<std::string> { expected });
    }
}

} // namespace

namespace {

// Oracle: the same through another user's function granted by a role, over the owner's table with a LONG column
// that the caller cannot read itself (the function runs with its owner's rights).
TEST_F(PlsqlStored, FunctionOfAnotherSchemaInWhere)
{
    for (const char* sql : { "CREATE USER util IDENTIFIED BY util", "CREATE USER clerk IDENTIFIED BY clerk",
             "GRANT CREATE SESSION TO clerk", "CREATE ROLE grp", "GRANT grp TO clerk",
             "CREATE TABLE util.exs (name VARCHAR2(30), cont LONG)",
             "INSERT INTO util.exs VALUES ('S', 'alter table add phone varchar2(10)')",
             "INSERT INTO util.exs VALUES ('S', 'create index i')", "INSERT INTO util.exs VALUES ('S', 'grant')",
             "COMMIT" })
        run(*s, sql);
    run(*s,
        "CREATE OR REPLACE FUNCTION util.filt(pRowid IN ROWID, pFilter IN VARCHAR2) RETURN VARCHAR2 IS\n"
        "  vText VARCHAR2(32760);\nBEGIN\n  IF pFilter IS NULL THEN\n    RETURN 'T';\n  END IF;\n"
        "  SELECT cont INTO vText FROM util.exs WHERE ROWID = pRowid;\n"
        "  IF INSTR(UPPER(vText), UPPER(pFilter)) > 0 THEN\n    RETURN 'T';\n  END IF;\n  RETURN 'F';\n"
        "EXCEPTION\n  WHEN NO_DATA_FOUND THEN\n    RETURN 'F';\nEND filt;");
    run(*s, "GRANT EXECUTE ON util.filt TO grp");
    run(*s, "GRANT SELECT ON util.exs TO grp");
    auto clerk = logOn("CLERK", "CLERK");
    const std::string count = "SELECT count(*) n FROM UTIL.EXS \n WHERE NAME=:S AND\n"
                              "  (:filter='A' or util.filt(rowid,:filter) ='T')";
    for (const auto& [filter, expected] : std::vector<std::pair<std::string, std::string>> {
             { "A", "3" }, { "PHONE", "1" }, { "phone varchar2", "1" }, { "NO SUCH", "0" } }) {
        SCOPED_TRACE(filter);
        std::vector<engine::Bind> binds(2);
        binds[0].name = "S";
        binds[0].value = engine::Value::fromText("S");
        binds[0].type = engine::OraType::Varchar2;
        binds[1].name = "FILTER";
        binds[1].value = engine::Value::fromText(filter);
        binds[1].type = engine::OraType::Varchar2;
        EXPECT_EQ(rows(*clerk, count, binds), std::vector<std::string> { expected });
    }
}

} // namespace

// Stored functions called from the statement that changes a table: the function's own queries run inside the
// statement that calls it.
#include "engine_fixture.h"

namespace {

using enginetest::EngineTest;

class FunctionInDml : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        s->execute("CREATE SEQUENCE job_seq");
        s->execute("CREATE TABLE other (n NUMBER)");
        s->execute("INSERT INTO other VALUES (7)");
        s->execute("CREATE TABLE jl (id NUMBER, name VARCHAR2(10))");
        s->execute("CREATE FUNCTION next_key(k VARCHAR2) RETURN NUMBER IS n NUMBER; "
                   "BEGIN SELECT job_seq.NEXTVAL INTO n FROM dual; RETURN n; END;");
        s->execute("CREATE FUNCTION other_max RETURN NUMBER IS n NUMBER; BEGIN SELECT max(n) INTO n FROM other; "
                   "RETURN n; END;");
    }
};

// Oracle: a function that queries may be called in the VALUES of an INSERT, the SET of an UPDATE and the WHERE of a
// DELETE; each call runs its query and the statement goes on.
TEST_F(FunctionInDml, QueriesOfTheFunctionRunInsideTheStatement)
{
    EXPECT_EQ(s->execute("INSERT INTO jl VALUES (next_key('JOB'), 'a')").rowsProcessed, 1);
    EXPECT_EQ(s->execute("INSERT INTO jl VALUES (next_key('JOB'), 'b')").rowsProcessed, 1);
    EXPECT_EQ(s->execute("INSERT INTO jl SELECT other_max, 'c' FROM dual").rowsProcessed, 1);
    EXPECT_EQ(s->execute("UPDATE jl SET id = id + other_max WHERE name = 'a'").rowsProcessed, 1);
    EXPECT_EQ(rows(*s, "SELECT id, name FROM jl ORDER BY name"), (std::vector<std::string> { "8 a", "2 b", "7 c" }));
    EXPECT_EQ(s->execute("DELETE FROM jl WHERE id = other_max").rowsProcessed, 1);
}

// Oracle: a trigger's own INSERT may call a package function without parentheses (pkg.f) in its VALUES.
TEST_F(FunctionInDml, ATriggerCallsAPackageFunctionInItsValues)
{
    s->execute("CREATE TABLE audit_log (who VARCHAR2(30), n NUMBER)");
    s->execute("CREATE PACKAGE audit_user IS FUNCTION name RETURN VARCHAR2; END;");
    s->execute("CREATE PACKAGE BODY audit_user IS FUNCTION name RETURN VARCHAR2 IS BEGIN RETURN 'AUDITOR'; END; END;");
    s->execute("CREATE TRIGGER jl_audit AFTER INSERT ON jl FOR EACH ROW BEGIN "
               "INSERT INTO audit_log VALUES (audit_user.name, :new.id); END;");
    EXPECT_EQ(one(*s, "SELECT count(*) FROM user_errors WHERE name = 'JL_AUDIT'"), "0");
    s->execute("INSERT INTO jl VALUES (5, 'x')");
    EXPECT_EQ(rows(*s, "SELECT who, n FROM audit_log"), (std::vector<std::string> { "AUDITOR 5" }));
    // The same call in plain SQL; a name that is neither a function nor a bind stays ORA-00984.
    s->execute("INSERT INTO audit_log VALUES (audit_user.name, 6)");
    EXPECT_EQ(one(*s, "SELECT count(*) FROM audit_log WHERE who = 'AUDITOR'"), "2");
    EXPECT_EQ(errorOf(*s, "INSERT INTO audit_log VALUES (no_such_thing, 7)"), 984);
}

} // namespace

// BOOLEAN values in PL/SQL and where NULL may stand for one.
#include "engine_fixture.h"

namespace {

using enginetest::EngineTest;

class PlsqlBoolean : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
    }
    // Runs a block with one OUT bind :R and returns what it put there, or the error's first line.
    std::string run(const std::string& block)
    {
        try {
            std::vector<engine::Bind> binds(1);
            binds[0].name = "R";
            binds[0].dir = engine::BindDir::Out;
            s->execute(block, binds);
            return binds[0].value.isNull() ? "NULL" : binds[0].value.toString();
        } catch (const engine::Error& e) {
            return e.message().substr(0, e.message().find('\n'));
        }
    }
};

// Oracle: NULL (the literal) is a value of every type, so a BOOLEAN may be declared, assigned and returned as NULL
// and IF NULL takes the ELSE branch; '' is a character literal and is no BOOLEAN (PLS-00382).
TEST_F(PlsqlBoolean, NullStandsForABoolean)
{
    const struct {
        const char* block;
        const char* expected;
    } cases[] = {
        { "DECLARE b BOOLEAN := NULL; BEGIN :r := CASE WHEN b IS NULL THEN 'null' ELSE 'set' END; END;", "null" },
        { "DECLARE b BOOLEAN := TRUE; BEGIN b := NULL; :r := CASE WHEN b IS NULL THEN 'null' ELSE 'set' END; END;",
            "null" },
        { "BEGIN IF NULL THEN :r := 'then'; ELSE :r := 'else'; END IF; END;", "else" },
        { "DECLARE FUNCTION f RETURN BOOLEAN IS BEGIN RETURN NULL; END; "
          "BEGIN :r := CASE WHEN f IS NULL THEN 'null' ELSE 'set' END; END;",
            "null" },
        { "DECLARE b BOOLEAN := ''; BEGIN NULL; END;", "ORA-06550: line 1, column 22:" },
        { "DECLARE b BOOLEAN; BEGIN b := 1; END;", "ORA-06550: line 1, column 31:" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(run(c.block), c.expected) << c.block;
}

} // namespace

// Malformed PL/SQL: each unit gives the error Oracle gives, at the line and column Oracle gives (the front end alone;
// names are not resolved here).
#include "engine/plsql/parser.h"

#include <gtest/gtest.h>

namespace {

struct Malformed {
    const char* name;
    const char* text;
    int line;
    int col;
    const char* message; // the beginning of Oracle's message
};

// Oracle: PLS-00103 names the symbol it met ("end-of-file" at the end) at its line and column; other syntax
// errors have their own PLS numbers.
TEST(PlsqlMalformed, ErrorsAtOraclesLineAndColumn)
{
    const Malformed cases[] = {
        { "missing semicolon after statement", "BEGIN\n  NULL\nEND;", 3, 1,
            "PLS-00103: Encountered the symbol \"END\" when expecting one of the following:" },
        { "missing final semicolon", "BEGIN\n  NULL;\nEND", 3, 4,
            "PLS-00103: Encountered the symbol \"end-of-file\" when expecting one of the following:" },
        { "empty body", "BEGIN\nEND;", 2, 1, "PLS-00103: Encountered the symbol \"END\" when expecting one of the "
                                             "following:" },
        { "equals for assignment", "DECLARE\n  x NUMBER;\nBEGIN\n  x = 1;\nEND;", 4, 5,
            "PLS-00103: Encountered the symbol \"=\" when expecting one of the following:" },
        { "if without then", "BEGIN\n  IF 1 = 1\n    NULL;\n  END IF;\nEND;", 3, 5,
            "PLS-00103: Encountered the symbol \"NULL\" when expecting one of the following:" },
        { "end if missing", "BEGIN\n  IF 1 = 1 THEN\n    NULL;\n  END;\nEND;", 4, 6,
            "PLS-00103: Encountered the symbol \";\" when expecting one of the following:" },
        { "loop without end loop", "BEGIN\n  LOOP\n    NULL;\n  END;\nEND;", 4, 6,
            "PLS-00103: Encountered the symbol \";\" when expecting one of the following:" },
        { "declaration after begin keyword", "DECLARE\n  v NUMBER\nBEGIN\n  NULL;\nEND;", 3, 1,
            "PLS-00103: Encountered the symbol \"BEGIN\" when expecting one of the following:" },
        { "constant without value", "DECLARE\n  c CONSTANT NUMBER;\nBEGIN\n  NULL;\nEND;", 2, 3,
            "PLS-00322: declaration of a constant 'C' must contain an initialization assignment" },
        { "select without into", "BEGIN\n  SELECT 1 FROM dual;\nEND;", 2, 3,
            "PLS-00428: an INTO clause is expected in this SELECT statement" },
        { "unterminated string", "BEGIN\n  NULL;\nEND;\n'", 4, 1, "" },
        { "procedure without is", "PROCEDURE p\nBEGIN\n  NULL;\nEND;", 2, 1,
            "PLS-00103: Encountered the symbol \"BEGIN\" when expecting one of the following:" },
        { "package end name mismatch", "PACKAGE pk IS\n  x NUMBER;\nEND other;", 3, 5,
            "PLS-00113: END identifier 'OTHER' must match 'PK' at line 1, column 9" },
        { "function without return", "FUNCTION f IS\nBEGIN\n  RETURN 1;\nEND;", 1, 12,
            "PLS-00103: Encountered the symbol \"IS\" when expecting one of the following:" },
        { "comment lines before the block keep their lines", "-- a\n-- b\nBEGIN\n  x := ;\nEND;", 4, 8,
            "PLS-00103: Encountered the symbol \";\" when expecting one of the following:" },
    };
    for (const Malformed& c : cases) {
        SCOPED_TRACE(c.name);
        engine::plsql::ParseOutput out = engine::plsql::parseUnit(c.text);
        ASSERT_TRUE(out.error.has_value());
        EXPECT_EQ(out.error->line, c.line);
        EXPECT_EQ(out.error->col, c.col);
        EXPECT_EQ(out.error->text.substr(0, std::string(c.message).size()), c.message);
    }
}

// Deep nesting is refused with an error, never by running out of stack.
TEST(PlsqlMalformed, DeepNestingIsAnError)
{
    std::string text = "BEGIN\n";
    for (int i = 0; i < 2000; ++i)
        text += "BEGIN ";
    text += "NULL;";
    engine::plsql::ParseOutput out = engine::plsql::parseUnit(text);
    ASSERT_TRUE(out.error.has_value());
    std::string expr = "BEGIN\n  :x := ";
    for (int i = 0; i < 5000; ++i)
        expr += "(";
    out = engine::plsql::parseUnit(expr);
    ASSERT_TRUE(out.error.has_value());
}

} // namespace

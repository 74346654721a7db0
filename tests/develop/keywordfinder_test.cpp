// The PL/SQL editor's finder of the keyword that closes a selected one.
#include "develop/keywordfinder.h"

#include <gtest/gtest.h>

TEST(KeywordFinder, ClosingKeywords)
{
    const QStringList text = {
        "BEGIN", // 0
        "  IF a = 1 THEN", // 1
        "    FOR r IN (SELECT 1 FROM dual) LOOP", // 2
        "      BEGIN", // 3
        "        x := f(g(1), 2);", // 4
        "      END;", // 5
        "    END LOOP;", // 6
        "  ELSE IF b THEN c := 1; END IF;", // 7
        "  END IF;", // 8
        "  OPEN cur;", // 9
        "  LOOP", // 10
        "    EXIT;", // 11
        "  END LOOP ;", // 12
        "  CLOSE cur;", // 13
        "  APPEND;", // 14
        "END pck_a;", // 15
    };
    struct Case {
        const char* name;
        int line;
        int column; // behind the selection
        const char* selection;
        bool found;
        int foundLine;
        int foundColumn;
        int length;
    };
    const std::vector<Case> cases = {
        { "outer BEGIN skips the inner BEGIN and END IF, END LOOP; a named END closes it", 0, 5, "BEGIN", true, 15, 0, 3 },
        { "inner BEGIN", 3, 11, " begin ", true, 5, 6, 3 },
        { "IF over an ELSE IF", 1, 4, "IF", true, 8, 2, 6 },
        { "FOR finds its END LOOP", 2, 7, "FOR", true, 6, 4, 8 },
        { "LOOP with a blank before the semicolon", 10, 6, "LOOP", true, 12, 2, 8 },
        { "OPEN finds CLOSE", 9, 6, "OPEN", true, 13, 2, 5 },
        { "bracket in the same line, nested", 4, 15, "(", true, 4, 22, 1 },
        { "other selection", 0, 5, "THEN", false, 0, 0, 0 },
        { "text ends first", 15, 3, "BEGIN", false, 0, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto found = develop::findClosingKeyword(text, c.line, c.column, QString::fromLatin1(c.selection));
        ASSERT_EQ(found.has_value(), c.found);
        if (!found)
            continue;
        EXPECT_EQ(found->line, c.foundLine);
        EXPECT_EQ(found->column, c.foundColumn);
        EXPECT_EQ(found->length, c.length);
    }
}

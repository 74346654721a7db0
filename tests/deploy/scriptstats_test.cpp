// The statistics page's grid: status columns, one row per script run of names, the row filter, and a status the
// grid has no column for.
#include "deploy/scriptstats.h"

#include <gtest/gtest.h>

using namespace deploy;

TEST(ScriptStatistics, StatusColumns)
{
    EXPECT_EQ(statColumn(QStringLiteral("X")), 3);
    EXPECT_EQ(statColumn(QStringLiteral("N")), 4);
    EXPECT_EQ(statColumn(QStringLiteral("E")), 5);
    EXPECT_EQ(statColumn(QStringLiteral("D")), 6);
    for (const char* unknown : { "", "_", "Q", "XN" })
        EXPECT_EQ(statColumn(QString::fromLatin1(unknown)), -1) << unknown;
}

TEST(ScriptStatistics, Grid)
{
    const std::vector<StatCount> counts = {
        { {}, "V3", "03.05.2024", "X", 4 },
        { {}, "V3", "03.05.2024", "N", 2 },
        { {}, "V2", "02.05.2024", "X", 3 },
        { {}, "V2", "02.05.2024", "E", 1 },
        { {}, "V2", "02.05.2024", "Q", 9 }, // no column: its name stays
        { {}, "V1", "01.05.2024", "D", 5 },
        { {}, "V3", "01.05.2024", "X", 1 }, // V3 again after another script: a row of its own
    };
    struct Case {
        const char* name;
        StatFilter filter;
        std::vector<StatRow> rows;
    };
    const StatRow v3 = { "V3", "", "03.05.2024", "4", "2", "", "" };
    const StatRow v2 = { "V2", "", "02.05.2024", "3", "", "1", "" };
    const StatRow v1 = { "V1", "", "01.05.2024", "", "", "", "5" };
    const StatRow v3old = { "V3", "", "01.05.2024", "1", "", "", "" };
    const std::vector<Case> cases = {
        { "no filter", {}, { v3, v2, v1, v3old } },
        { "not executed", { true, false, false }, { v3 } },
        { "errors", { false, true, false }, { v2 } },
        { "errors or deleted", { false, true, true }, { v2, v1 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(buildStatistics(counts, c.filter), c.rows);
    }
    EXPECT_TRUE(buildStatistics({}, {}).empty());
}

// The pure logic of the table-structure, validation and repair windows: favourites and their settings section, the
// data statement and its filter, the halving search and the unattended check's parameters.
#include "admin/dataquery.h"
#include "admin/favourites.h"
#include "admin/halving.h"
#include "admin/structuresql.h"
#include "admin/validation.h"
#include "platform/inifile.h"
#include "support/tempdir.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using admin::ProbeResult;

TEST(Favourites, EntryTextSplitsIntoTableAndOwner)
{
    struct Case {
        const char* text;
        const char* table;
        const char* owner;
    } cases[] = {
        { "ORDERS.VOXA", "ORDERS", "VOXA" },
        { "ORDERS", "ORDERS", "CURRENT" }, // no point: the current owner stays
        { "A.B.C", "A", "B.C" },
        { "T.OWNER_WITH_A_VERY_LONG_NAME_OF_MORE_THAN_30", "T", "OWNER_WITH_A_VERY_LONG_NAME_OF" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto split = admin::splitFavourite(QString::fromUtf8(c.text), QStringLiteral("CURRENT"));
        EXPECT_EQ(split.table, QString::fromUtf8(c.table));
        EXPECT_EQ(split.owner, QString::fromUtf8(c.owner));
    }
}

TEST(Favourites, ColumnMarksMatchWholeNames)
{
    EXPECT_TRUE(admin::favouriteHasColumn(QStringLiteral("USER_ID,NAME"), QStringLiteral("NAME")));
    EXPECT_TRUE(admin::favouriteHasColumn(QStringLiteral("USER_ID,NAME"), QStringLiteral("user_id")));
    EXPECT_FALSE(admin::favouriteHasColumn(QStringLiteral("USER_ID,NAME"), QStringLiteral("ID")));
    EXPECT_FALSE(admin::favouriteHasColumn(QStringLiteral("USER_ID"), QStringLiteral("USER")));
    EXPECT_FALSE(admin::favouriteHasColumn(QString(), QString()));
}

class FavouritesFile : public testsupport::TempDirTest { };

TEST_F(FavouritesFile, SavedEntriesReadBackAndShorterListsIgnoreOldKeys)
{
    const QString file = path(QStringLiteral("MONITOR.INI"));
    platform::IniFile ini(file);
    EXPECT_TRUE(admin::LoadSelection(ini).isEmpty()); // no [SELECTED] section: no favourites
    const QList<admin::Favourite> three { { QStringLiteral("ORDERS.VOXA"), QStringLiteral("ORDER_ID,STATUS"),
                                              QStringLiteral("WHERE STATUS='N'") },
        { QStringLiteral("ITEMS.VOXA"), {}, {} }, { QStringLiteral("ACCOUNTS.BILDOR"), QStringLiteral("ID"), {} } };
    ASSERT_TRUE(admin::SaveSelection(ini, three));
    EXPECT_EQ(admin::LoadSelection(ini), three);
    // An entry deleted from the tree leaves the others whole; the third entry's keys stay but are not read.
    const QList<admin::Favourite> two { three[0], three[2] };
    ASSERT_TRUE(admin::SaveSelection(ini, two));
    EXPECT_EQ(admin::LoadSelection(ini), two);
    EXPECT_EQ(ini.readString(QStringLiteral("SELECTED"), QStringLiteral("S_TAB3")), QStringLiteral("ACCOUNTS.BILDOR"));
    // An empty tree writes S_STEVILO=0.
    ASSERT_TRUE(admin::SaveSelection(ini, {}));
    EXPECT_EQ(ini.readString(QStringLiteral("SELECTED"), QStringLiteral("S_STEVILO")), QStringLiteral("0"));
    EXPECT_TRUE(admin::LoadSelection(ini).isEmpty());
}

TEST(DataQuery, SelectOfTheMarkedColumnsWithRowid)
{
    EXPECT_EQ(admin::BuildDataQuery(QStringLiteral("VOXA"), QStringLiteral("ORDERS"), {}, {}),
        QStringLiteral("SELECT XX.*,ROWID FROM \"VOXA\".\"ORDERS\" XX"));
    EXPECT_EQ(admin::BuildDataQuery(QStringLiteral("VOXA"), QStringLiteral("ORDERS"), {},
                  { QStringLiteral("ORDER_ID"), QStringLiteral("STATUS") }),
        QStringLiteral("SELECT XX.\"ORDER_ID\" ,XX.\"STATUS\" ,ROWID FROM \"VOXA\".\"ORDERS\" XX"));
    // Eight columns: a line break after the seventh.
    QStringList eight;
    for (int i = 1; i <= 8; ++i)
        eight << QStringLiteral("C%1").arg(i);
    const QString line = admin::BuildDataQuery(QStringLiteral("O"), QStringLiteral("T"), {}, eight);
    EXPECT_TRUE(line.contains(QStringLiteral("XX.\"C7\" ,\r\nXX.\"C8\" ,ROWID"))) << line.toStdString();
    EXPECT_EQ(line.count(QStringLiteral("\r\n")), 1);
    // Through a link: the names alone, no ROWID, no alias; the link name quoted.
    EXPECT_EQ(admin::BuildDataQuery(
                  QStringLiteral("VEXO_AUDIT"), QStringLiteral("AUD_ORDERS"), QStringLiteral("VEXOAUDT"), {}),
        QStringLiteral("SELECT * FROM \"VEXO_AUDIT\".\"AUD_ORDERS\"@\"VEXOAUDT\""));
    EXPECT_EQ(admin::BuildDataQuery(QStringLiteral("O"), QStringLiteral("T"), QStringLiteral("L"),
                  { QStringLiteral("A"), QStringLiteral("B") }),
        QStringLiteral("SELECT \"A\",\"B\" FROM \"O\".\"T\"@\"L\""));
    // A name with a quote in it cannot end the quoted name early.
    EXPECT_EQ(admin::qualifiedName(QStringLiteral("O"), QStringLiteral("A\"B")), QStringLiteral("\"O\".\"A\"\"B\""));
}

TEST(DataQuery, FilterInUpperCaseOutsideQuotedLiterals)
{
    EXPECT_EQ(admin::upperOutsideQuotes(QStringLiteral("where name = 'Ana Novak' and city like 'lj%'")),
        QStringLiteral("WHERE NAME = 'Ana Novak' AND CITY LIKE 'lj%'"));
    EXPECT_EQ(
        admin::upperOutsideQuotes(QStringLiteral("where a='it''s' or b=1")), QStringLiteral("WHERE A='it''s' OR B=1"));
}

TEST(DataQuery, TitleClickCompletesTheFilter)
{
    struct Case {
        const char* filter;
        const char* column;
        const char* result; // empty: the cell memo is shown instead
    } cases[] = {
        { "WHERE ", "STATUS", "WHERE  STATUS=" },
        { "WHERE CITY='Koper'", "STATUS", "WHERE CITY='Koper'  AND STATUS=" },
        { "WHERE CITY='Koper' AND", "STATUS", "WHERE CITY='Koper' AND  STATUS=" },
        { "WHERE CITY='Koper' AND ", "STATUS", "WHERE CITY='Koper' AND   STATUS=" },
        { "ORDER BY CITY", "STATUS", "ORDER BY CITY STATUS" },
        { "ORDER BY CITY, NAME", "STATUS", "ORDER BY CITY, NAME ,STATUS" },
        { "WHERE STATUS='N'", "STATUS", "" },
        { "", "STATUS", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(admin::titleClickFilter(QString::fromUtf8(c.filter), QString::fromUtf8(c.column)),
            QString::fromUtf8(c.result));
    }
}

// A table of n rows whose rows from `bad` on cannot be read (0: none), as the probes see it.
struct Table {
    qint64 rows;
    qint64 bad;
    ProbeResult operator()(qint64 p) const
    {
        return bad > 0 && p >= bad ? ProbeResult::Unreadable : ProbeResult::Readable;
    }
};

TEST(HalvingSearch, FindsTheFirstBadRowWithTheWindowsProbes)
{
    // The seventh of ten rows cannot be read: the probes are 5 (readable), 7 (fails) and 6 (readable).
    const auto r = admin::findFirstBadRow(10, Table { 10, 7 });
    ASSERT_TRUE(r.firstBadRow.has_value());
    EXPECT_EQ(*r.firstBadRow, 7);
    EXPECT_EQ(r.probes, (QList<qint64> { 5, 7, 6 }));
}

TEST(HalvingSearch, ExactAndBoundedForEveryPlaceOfTheDamage)
{
    for (qint64 rows : { 1, 2, 3, 10, 17, 100, 1000, 65537 }) {
        for (qint64 bad = 0; bad <= rows; bad += (rows > 100 ? rows / 37 + 1 : 1)) {
            SCOPED_TRACE(std::to_string(rows) + " rows, first bad " + std::to_string(bad));
            const auto r = admin::findFirstBadRow(rows, Table { rows, bad });
            if (bad == 0) {
                EXPECT_FALSE(r.firstBadRow.has_value()); // a healthy table has no bad row
            } else {
                ASSERT_TRUE(r.firstBadRow.has_value());
                EXPECT_EQ(*r.firstBadRow, bad);
            }
            int log2 = 1;
            while ((qint64(1) << log2) < rows)
                ++log2;
            EXPECT_LE(r.probes.size(), 2 * log2 + 2);
            for (qint64 p : r.probes) {
                EXPECT_GE(p, 1);
                EXPECT_LE(p, rows);
            }
        }
    }
    // The last row alone bad, and the first.
    EXPECT_EQ(*admin::findFirstBadRow(10, Table { 10, 10 }).firstBadRow, 10);
    EXPECT_EQ(*admin::findFirstBadRow(10, Table { 10, 1 }).firstBadRow, 1);
    EXPECT_TRUE(admin::findFirstBadRow(0, Table { 0, 0 }).probes.isEmpty());
}

TEST(HalvingSearch, AProbeThatFailsOtherwiseEndsTheSearch)
{
    int calls = 0;
    const auto r = admin::findFirstBadRow(100, [&](qint64) {
        ++calls;
        return calls == 2 ? ProbeResult::Failed : ProbeResult::Readable;
    });
    EXPECT_TRUE(r.failed);
    EXPECT_FALSE(r.firstBadRow.has_value());
    EXPECT_EQ(calls, 2);
}

TEST(Validation, StatementAndUnattendedParameters)
{
    EXPECT_EQ(admin::validateStatement(QStringLiteral("VOXA"), QStringLiteral("ORDERS"), false),
        QStringLiteral("ANALYZE TABLE \"VOXA\".\"ORDERS\" VALIDATE STRUCTURE "));
    EXPECT_EQ(admin::validateStatement(QStringLiteral("VOXA"), QStringLiteral("ORDERS"), true),
        QStringLiteral("ANALYZE TABLE \"VOXA\".\"ORDERS\" VALIDATE STRUCTURE  CASCADE"));
    struct Case {
        const char* p1;
        const char* p2;
        const char* p3;
        const char* owner;
        const char* filter;
        bool cascade;
    } cases[] = {
        { "NULL", "NULL", "CASCADE", "", "", true },
        { "null", "", "cascade", "", "", true },
        { "voxa", "ORD", "", "VOXA", "ORD", false },
        { "", "", "NOCASCADE", "", "", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.p1) + "/" + c.p2 + "/" + c.p3);
        const auto p
            = admin::checkTablesParameters(QString::fromUtf8(c.p1), QString::fromUtf8(c.p2), QString::fromUtf8(c.p3));
        EXPECT_EQ(p.owner, QString::fromUtf8(c.owner));
        EXPECT_EQ(p.filter, QString::fromUtf8(c.filter));
        EXPECT_EQ(p.cascade, c.cascade);
    }
}

} // namespace

// Line and position of an error in a statement, as the worksheet marks them.
#include "db/oracleerror.h"

#include <gtest/gtest.h>

namespace {

struct LineCase {
    const char* name;
    QString text;
    int offset;
    int line;
    int position;
};

TEST(OracleErrorTest, LineAndPositionFromOffset)
{
    const std::vector<LineCase> cases {
        { "first character", QStringLiteral("select * from nosuchtable"), 0, 1, 1 },
        { "table name of a one-line query", QStringLiteral("select * from nosuchtable"), 14, 1, 15 },
        { "second line after CR LF", QStringLiteral("select *\r\nfrom nosuchtable"), 15, 2, 6 },
        { "second line after LF", QStringLiteral("select *\nfrom nosuchtable"), 14, 2, 6 },
        { "lone CR ends a line", QStringLiteral("select *\rfrom x"), 14, 2, 6 },
        { "start of the third line", QStringLiteral("a\r\nb\r\ncd"), 6, 3, 1 },
        { "the CR of a CR LF is the end of its line", QStringLiteral("ab\r\ncd"), 2, 1, 3 },
        { "the LF of a CR LF is the end of its line too", QStringLiteral("ab\r\ncd"), 3, 1, 3 },
        { "empty lines count", QStringLiteral("\n\n\nselect"), 3, 4, 1 },
        { "tab is one position", QStringLiteral("\tselect x"), 8, 1, 9 },
        { "past the end points after the last character", QStringLiteral("select"), 50, 1, 7 },
        { "no offset", QStringLiteral("select"), -1, 0, 0 },
        { "a character outside the BMP is one position", QStringLiteral("'\U0001F600' x"), 4, 1, 4 },
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        const db::LinePosition lp = db::linePositionOf(c.text, c.offset);
        EXPECT_EQ(lp.line, c.line);
        EXPECT_EQ(lp.position, c.position);
    }
}

TEST(OracleErrorTest, EngineByteOffsetsBecomeCharacterOffsets)
{
    // The engine reports byte offsets into UTF-8; the statement is shown as characters.
    const QString sql = QStringLiteral("select 'čšž' from nosuchtable");
    const int bytes = int(QStringLiteral("select 'čšž' from ").toUtf8().size());
    EXPECT_EQ(db::utf16OffsetOf(sql, bytes), 18);
    EXPECT_EQ(db::utf16OffsetOf(sql, -1), -1);
    EXPECT_EQ(db::utf16OffsetOf(sql, 10000), sql.size());
}

TEST(OracleErrorTest, StatementGivesLineAndPositionAndContextKeepsCode)
{
    db::OracleError e(942, QStringLiteral("ORA-00942: table or view does not exist"), 14);
    EXPECT_EQ(e.line(), 0);
    e.setStatement(QStringLiteral("select * from nosuchtable"));
    EXPECT_EQ(e.line(), 1);
    EXPECT_EQ(e.position(), 15);
    e.addContext(QStringLiteral("While updating record 3 of EMP"));
    EXPECT_EQ(e.code(), 942);
    EXPECT_EQ(e.message(), QStringLiteral("ORA-00942: table or view does not exist\nWhile updating record 3 of EMP"));
    EXPECT_STREQ(e.what(), e.message().toStdString().c_str());
}

} // namespace

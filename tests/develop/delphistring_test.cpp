// The worksheet's "CovertDelphiString": SQL written as a Delphi string expression back into plain lines.
#include "develop/delphistring.h"

#include <gtest/gtest.h>

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

TEST(DelphiString, TurnsPiecesIntoLines)
{
    struct Case {
        const char* name;
        const char* text;
        QStringList lines;
    };
    const Case cases[] = {
        { "two pieces", "'select *'#$D#$A'from dual'", { "select *", "from dual" } },
        { "lone line feed", "'a'#$A'b'#$D#$A'c'", { "a", "b", "c" } },
        { "pieces joined by + over lines", "'select * '#$D#$A +\r\n  'from dual' + #$D#$A\r\n'where 1=1';  ",
            { "select * ", "from dual", "where 1=1" } },
        { "doubled quotes", "'where a = ''x'''#$D#$A'and b = 1'", { "where a = 'x'", "and b = 1" } },
        { "ends with a line break", "'select 1'#$D#$A", { "select 1", "" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(develop::convertDelphiString(QString::fromLatin1(c.text)), c.lines);
    }
}

TEST(DelphiString, RefusesTextWithoutCrLf)
{
    EXPECT_EQ(develop::convertDelphiString(QStringLiteral("select * from dual")), std::nullopt);
    EXPECT_EQ(develop::convertDelphiString(QStringLiteral("'a'#$A'b'")), std::nullopt);
}

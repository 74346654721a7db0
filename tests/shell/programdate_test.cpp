#include "shell/programdate.h"

#include <gtest/gtest.h>

using namespace shell;

namespace {

struct FormatCase {
    const char* oracle;
    const char* qt; // nullptr: the model cannot be used by the program
};

class ProgramDate : public ::testing::Test {
protected:
    void TearDown() override { setProgramDateFormat(QStringLiteral("DD.MM.YYYY")); }
};

} // namespace

TEST_F(ProgramDate, OracleModelsTranslateToQtFormats)
{
    const FormatCase cases[] = {
        { "DD.MM.YYYY", "dd.MM.yyyy" },
        { "dd.mm.yyyy", "dd.MM.yyyy" },
        { "DD-MON-RR", "dd-MMM-yy" },
        { "YYYY-MM-DD HH24:MI:SS", "yyyy-MM-dd HH:mm:ss" },
        { "DD MONTH RRRR", "dd MMMM yyyy" },
        { "DD \"of\" MM", "dd 'of' MM" },
        { "DD.MM.YYYY HH:MI AM", "dd.MM.yyyy hh:mm AP" },
        { "J", nullptr },
        { "DDD.YYYY", nullptr },
        { "DD \"open", nullptr },
        { "", nullptr },
    };
    for (const FormatCase& c : cases) {
        auto got = qtDateFormat(QString::fromLatin1(c.oracle));
        if (c.qt) {
            ASSERT_TRUE(got.has_value()) << c.oracle;
            EXPECT_EQ(got->toStdString(), c.qt) << c.oracle;
        } else {
            EXPECT_FALSE(got.has_value()) << c.oracle;
        }
    }
}

TEST_F(ProgramDate, TypedDatesAreReadInTheProgramsFormat)
{
    setProgramDateFormat(QStringLiteral("DD.MM.YYYY"));
    auto d = parseProgramDate(QStringLiteral(" 31.12.2026 "));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->date(), QDate(2026, 12, 31));
    EXPECT_FALSE(parseProgramDate(QStringLiteral("2026-12-31")));
    EXPECT_FALSE(parseProgramDate(QStringLiteral("31.13.2026")));
    EXPECT_FALSE(parseProgramDate(QString()));

    // Month names as the server shows them, in capitals.
    setProgramDateFormat(QStringLiteral("DD-MON-YYYY"));
    d = parseProgramDate(QStringLiteral("05-JAN-2027"));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->date(), QDate(2027, 1, 5));
    EXPECT_EQ(formatProgramDate(*d), QStringLiteral("05-JAN-2027"));
}

TEST_F(ProgramDate, DatesAreShownInTheProgramsFormat)
{
    setProgramDateFormat(QStringLiteral("YYYY-MM-DD HH24:MI"));
    EXPECT_EQ(formatProgramDate(QDateTime(QDate(2026, 3, 4), QTime(17, 5))), QStringLiteral("2026-03-04 17:05"));
}

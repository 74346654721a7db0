// Oracle date format models applied directly (TO_CHAR and TO_DATE without SQLite), each case naming the Oracle
// behaviour it checks. The reference value is Thursday 2026-03-05 14:07:09; "now" for TO_DATE is the same.
#include "engine/fn/dateformat.h"
#include "engine/fn/oraerror.h"

#include <gtest/gtest.h>

using engine::fn::DateFormat;
using engine::fn::DateTime;
using engine::fn::OraError;

namespace {

const DateTime reference { 2026, 3, 5, 14, 7, 9 };

std::string toChar(const DateTime& d, const char* model)
{
    try {
        return DateFormat::parse(model).format(d);
    } catch (const OraError& e) {
        return e.message();
    }
}

std::string toDate(const char* text, const char* model)
{
    try {
        return engine::fn::toStoredDate(DateFormat::parse(model).parseDate(text, reference));
    } catch (const OraError& e) {
        return e.message();
    }
}

struct Case {
    const char* oracleBehaviour;
    const char* input;
    const char* model;
    const char* expected;
};

} // namespace

TEST(FnDateFormat, ToCharElements)
{
    const Case cases[] = {
        { "full date and time", "", "YYYY-MM-DD HH24:MI:SS", "2026-03-05 14:07:09" },
        { "the default NLS_DATE_FORMAT", "", "DD-MON-RR", "05-MAR-26" },
        { "MON upper case", "", "MON", "MAR" },
        { "Mon capitalised", "", "Mon", "Mar" },
        { "mon lower case", "", "mon", "mar" },
        { "MONTH is padded to the longest month name", "", "MONTH", "MARCH    " },
        { "FM removes the padding", "", "FMMonth", "March" },
        { "DAY is padded to the longest day name", "", "Day", "Thursday " },
        { "DY abbreviates", "", "DY", "THU" },
        { "D: Sunday is 1 in territory AMERICA", "", "D", "5" },
        { "DDD is the day of the year, three digits", "", "DDD", "064" },
        { "FM drops leading zeros", "", "FMDDD", "64" },
        { "HH is the 12-hour clock", "", "HH", "02" },
        { "HH12 with AM/PM", "", "HH12 AM", "02 PM" },
        { "a.m./p.m. in lower case", "", "hh:mi p.m.", "02:07 p.m." },
        { "SSSSS is seconds past midnight", "", "SSSSS", "50829" },
        { "Q is the quarter", "", "Q", "1" },
        { "WW: weeks start on 1 January", "", "WW", "10" },
        { "W: weeks start on the first of the month", "", "W", "1" },
        { "IW is the ISO week", "", "IW", "10" },
        { "CC is the century", "", "CC", "21" },
        { "YYY, YY, Y are the last digits of the year", "", "YYY YY Y", "026 26 6" },
        { "RRRR prints the full year", "", "RRRR", "2026" },
        { "quoted text is copied", "", "\"Quarter\" Q", "Quarter 1" },
        { "punctuation is copied", "", "DD/MM;YYYY:", "05/03;2026:" },
        { "TH adds the ordinal suffix in the case written", "", "DDth", "05th" },
        { "FM applies to every element after it", "", "FMDD.MM.YYYY", "5.3.2026" },
        { "a second FM switches fill mode off again", "", "FMDD FMMM", "5 03" },
        { "AD for our era", "", "YYYY AD", "2026 AD" },
        { "SP spells the number", "", "DDSP", "FIVE" },
        { "SPTH spells the ordinal in the case of the element", "", "Ddspth", "Fifth" },
        { "THSP is the same as SPTH", "", "ddTHSP", "fifth" },
        { "RM is the month in Roman numerals, padded to 4", "", "RM", "III " },
        { "rm in lower case, FM without padding", "", "FMrm.", "iii." },
        { "IYYY is the ISO year", "", "IYYY-IW", "2026-10" },
        { "an unknown element is ORA-01821", "", "YYYY-KK", "ORA-01821: date format not recognized" },
        { "an unterminated quote is ORA-01821", "", "YYYY \"abc", "ORA-01821: date format not recognized" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oracleBehaviour);
        EXPECT_EQ(toChar(reference, c.model), c.expected) << c.model;
    }
}

TEST(FnDateFormat, ToCharCalendarValues)
{
    EXPECT_EQ(toChar({ 2000, 1, 1, 0, 0, 0 }, "J"), "2451545") << "J is Oracle's Julian day";
    EXPECT_EQ(toChar({ 1, 1, 1, 0, 0, 0 }, "J"), "1721424") << "J of 1 January of year 1";
    EXPECT_EQ(toChar({ 2021, 1, 1, 0, 0, 0 }, "IW"), "53") << "1 January 2021 is in ISO week 53 of 2020";
    EXPECT_EQ(toChar({ 2000, 6, 1, 0, 0, 0 }, "CC"), "20") << "2000 is the last year of the 20th century";
    EXPECT_EQ(toChar({ 2026, 3, 5, 0, 30, 0 }, "HH:MI AM"), "12:30 AM") << "half past midnight is 12:30 AM";
    EXPECT_EQ(toChar({ 2026, 3, 5, 12, 0, 0 }, "HH AM"), "12 PM") << "noon is 12 PM";
    EXPECT_EQ(toChar({ 2026, 3, 23, 0, 0, 0 }, "DDTH"), "23RD") << "23rd";
    EXPECT_EQ(toChar({ 2026, 3, 12, 0, 0, 0 }, "DDTH"), "12TH") << "12th, not 12nd";
    EXPECT_EQ(
        toChar({ 2000, 1, 1, 0, 0, 0 }, "Jsp"), "Two Million Four Hundred Fifty-One Thousand Five Hundred Forty-Five")
        << "J spelled, each word capitalised";
    EXPECT_EQ(toChar({ 2026, 3, 23, 0, 0, 0 }, "DDSPTH"), "TWENTY-THIRD") << "spelled ordinal";
    EXPECT_EQ(toChar({ 2026, 3, 20, 0, 0, 0 }, "DDSPTH"), "TWENTIETH") << "spelled ordinal of a ten";
    EXPECT_EQ(toChar({ 2021, 1, 1, 0, 0, 0 }, "IYYY IW"), "2020 53") << "1 January 2021 belongs to ISO year 2020";
}

TEST(FnDateFormat, ToDateReadsText)
{
    const Case cases[] = {
        { "the default format", "05-MAR-26", "DD-MON-RR", "2026-03-05 00:00:00" },
        { "RR: 00-49 in the first half of a century is this century", "05-MAR-49", "DD-MON-RR", "2049-03-05 00:00:00" },
        { "RR: 50-99 in the first half of a century is the previous one", "05-MAR-99", "DD-MON-RR",
            "1999-03-05 00:00:00" },
        { "YY is always this century", "05-MAR-99", "DD-MON-YY", "2099-03-05 00:00:00" },
        { "RR accepts a four-digit year", "05-mar-2026", "DD-MON-RR", "2026-03-05 00:00:00" },
        { "RRRR with two digits uses the RR rule", "05-03-75", "DD-MM-RRRR", "1975-03-05 00:00:00" },
        { "month names in any case, MON accepts the full name", "05-MARCH-2026", "DD-MON-YYYY", "2026-03-05 00:00:00" },
        { "MONTH accepts the abbreviation", "5 mar 2026", "DD MONTH YYYY", "2026-03-05 00:00:00" },
        { "MM accepts a month name", "05-MAR-2026", "DD-MM-YYYY", "2026-03-05 00:00:00" },
        { "any punctuation matches punctuation", "2026/03/05", "YYYY-MM-DD", "2026-03-05 00:00:00" },
        { "numbers without separators", "20260305", "YYYYMMDD", "2026-03-05 00:00:00" },
        { "punctuation may be left out between numbers with all their digits", "20260305", "YYYY-MM-DD",
            "2026-03-05 00:00:00" },
        { "an ISO date against DD-MON-RR is ORA-01861", "2026-03-05", "DD-MON-RR",
            "ORA-01861: literal does not match format string" },
        { "fewer digits are allowed without FX", "2026-3-5", "YYYY-MM-DD", "2026-03-05 00:00:00" },
        { "time elements at the end may be left out", "2026-03-05", "YYYY-MM-DD HH24:MI:SS", "2026-03-05 00:00:00" },
        { "a missing year is the current year, a missing day the first", "07", "MM", "2026-07-01 00:00:00" },
        { "only a time: the first day of the current month", "10:30", "HH24:MI", "2026-03-01 10:30:00" },
        { "PM adds twelve hours", "11:30 PM", "HH:MI AM", "2026-03-01 23:30:00" },
        { "12 AM is midnight", "12:15 AM", "HH:MI AM", "2026-03-01 00:15:00" },
        { "A.M./P.M. both accepted for AM", "03:00 P.M.", "HH:MI AM", "2026-03-01 15:00:00" },
        { "J gives the date of a Julian day", "2451545", "J", "2000-01-01 00:00:00" },
        { "DDD gives the day of the year", "2026 064", "YYYY DDD", "2026-03-05 00:00:00" },
        { "SSSSS gives the time", "2026-03-05 50829", "YYYY-MM-DD SSSSS", "2026-03-05 14:07:09" },
        { "day names are read and checked", "Thursday 05-03-2026", "DAY DD-MM-YYYY", "2026-03-05 00:00:00" },
        { "quoted text must be there", "2026 at 10", "YYYY \"at\" HH24", "2026-03-01 10:00:00" },
        { "Julian calendar before 1582: 1500 is a leap year", "1500-02-29", "YYYY-MM-DD", "1500-02-29 00:00:00" },
        { "a month above 12 is ORA-01843", "2026-13-01", "YYYY-MM-DD", "ORA-01843: not a valid month" },
        { "an unknown month name is ORA-01843", "05-ABC-26", "DD-MON-RR", "ORA-01843: not a valid month" },
        { "30 February is ORA-01839", "2026-02-30", "YYYY-MM-DD", "ORA-01839: date not valid for month specified" },
        { "29 February of a common year is ORA-01839", "2026-02-29", "YYYY-MM-DD",
            "ORA-01839: date not valid for month specified" },
        { "31 April is ORA-01839", "31-APR-2026", "DD-MON-YYYY", "ORA-01839: date not valid for month specified" },
        { "day 32 is ORA-01847", "2026-01-32", "YYYY-MM-DD",
            "ORA-01847: day of month must be between 1 and last day of month" },
        { "a day the Gregorian reform skipped becomes 15 October 1582", "1582-10-10 12:34", "YYYY-MM-DD HH24:MI",
            "1582-10-15 12:34:00" },
        { "day 0 is ORA-01847", "2026-02-00", "YYYY-MM-DD",
            "ORA-01847: day of month must be between 1 and last day of month" },
        { "hour 24 is ORA-01850", "24:00", "HH24:MI", "ORA-01850: hour must be between 0 and 23" },
        { "HH 13 is ORA-01849", "13:00", "HH:MI", "ORA-01849: hour must be between 1 and 12" },
        { "minute 60 is ORA-01851", "10:60", "HH24:MI", "ORA-01851: minutes must be between 0 and 59" },
        { "second 60 is ORA-01852", "10:10:60", "HH24:MI:SS", "ORA-01852: seconds must be between 0 and 59" },
        { "text left over is ORA-01830", "2026-03-05x", "YYYY-MM-DD",
            "ORA-01830: date format picture ends before converting entire input string" },
        { "date fields missing at the end is ORA-01840", "2026-03", "YYYY-MM-DD",
            "ORA-01840: input value not long enough for date format" },
        { "year 0 is ORA-01841", "0000-01-01", "YYYY-MM-DD",
            "ORA-01841: (full) year must be between -4713 and +9999, and not be 0" },
        { "letters where digits belong is ORA-01858", "ab-03-2026", "DD-MM-YYYY",
            "ORA-01858: a non-numeric character was found where a numeric was expected" },
        { "quoted text that is not there is ORA-01861", "2026x03", "YYYY\"-\"MM",
            "ORA-01861: literal does not match format string" },
        { "an unknown element is ORA-01821", "2026", "YYYY-KK", "ORA-01821: date format not recognized" },
        { "RM reads a Roman month", "05-viii-2026", "DD-RM-YYYY", "2026-08-05 00:00:00" },
        { "TH: the ordinal suffix in the text is read over", "5th March 2026", "DDTH Month YYYY",
            "2026-03-05 00:00:00" },
        { "spelled numbers cannot be read: ORA-01820", "FIVE", "DDSP",
            "ORA-01820: format code cannot appear in date input format" },
        { "the ISO year cannot be read: ORA-01820", "2026", "IYYY",
            "ORA-01820: format code cannot appear in date input format" },
        { "HH24 with AM is ORA-01818", "10 AM", "HH24 AM", "ORA-01818: 'HH24' precludes use of meridian indicator" },
        { "Q cannot be read is ORA-01820", "1", "Q", "ORA-01820: format code cannot appear in date input format" },
        { "the year twice is ORA-01812", "2026 2026", "YYYY RRRR", "ORA-01812: year may only be specified once" },
        { "FX demands every digit", "2026-3-05", "FXYYYY-MM-DD",
            "ORA-01862: the numeric value does not match the length of the format item" },
        { "FX demands the same punctuation", "2026/03/05", "FXYYYY-MM-DD",
            "ORA-01861: literal does not match format string" },
        { "an unknown day name is ORA-01846", "Xyz 05-03-2026", "DY DD-MM-YYYY",
            "ORA-01846: not a valid day of the week" },
        { "a missing AM/PM is ORA-01855", "10 XX", "HH AM", "ORA-01855: AM/A.M. or PM/P.M. required" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oracleBehaviour);
        EXPECT_EQ(toDate(c.input, c.model), c.expected) << c.input << " / " << c.model;
    }
}

TEST(FnDateFormat, RoundTripThroughEveryNumericModel)
{
    // What TO_CHAR writes with a complete model, TO_DATE reads back unchanged.
    const char* models[] = { "YYYY-MM-DD HH24:MI:SS", "DD.MM.YYYY HH:MI:SS AM", "J SSSSS", "YYYYDDD HH24MISS",
        "Month DD, YYYY HH24:MI:SS", "DY DD-MON-YYYY HH24:MI:SS" };
    const DateTime dates[] = { { 1, 1, 1, 0, 0, 0 }, { 1582, 10, 4, 23, 59, 59 }, { 1582, 10, 15, 12, 0, 0 },
        { 2024, 2, 29, 0, 0, 1 }, { 9999, 12, 31, 23, 59, 59 } };
    for (const char* model : models)
        for (const DateTime& d : dates) {
            SCOPED_TRACE(model);
            DateFormat f = DateFormat::parse(model);
            std::string text = f.format(d);
            EXPECT_EQ(f.parseDate(text, reference), d) << text;
        }
}

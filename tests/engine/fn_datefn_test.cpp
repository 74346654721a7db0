// Date functions and date conversions through SQL, each case naming the Oracle behaviour it checks. The session's
// statement time is 2026-03-05 14:07:09 (a Thursday).
#include "fn_sqlfixture.h"

TEST_F(FnSqlTest, SysdateIsTheStatementTime)
{
    check({ { "SYSDATE is fixed for the statement", "ORA_SYSDATE()", "'2026-03-05 14:07:09'" } });
}

TEST_F(FnSqlTest, DateArithmetic)
{
    check({
        { "date + 1 is the next day, same time", "ORA_DATE_ADD('2026-03-05 14:07:09',1)", "'2026-03-06 14:07:09'" },
        { "date + 0.5 is twelve hours later", "ORA_DATE_ADD('2026-03-05 14:07:09',0.5)", "'2026-03-06 02:07:09'" },
        { "date - 1 (the binder negates)", "ORA_DATE_ADD('2026-03-01 00:00:00',-1)", "'2026-02-28 00:00:00'" },
        { "one hour as 1/24", "ORA_DATE_ADD('2026-03-05 23:30:00',ORA_DIVIDE(1,24))", "'2026-03-06 00:30:00'" },
        { "the Gregorian reform: 4 October 1582 + 1 is 15 October 1582", "ORA_DATE_ADD('1582-10-04 00:00:00',1)",
            "'1582-10-15 00:00:00'" },
        { "beyond year 9999 is ORA-01841", "ORA_DATE_ADD('9999-12-31 00:00:00',1)",
            "ORA-01841: (full) year must be between -4713 and +9999, and not be 0" },
        { "date - date is days", "ORA_DATE_DIFF('2026-03-06 00:00:00','2026-03-05 00:00:00')", "1" },
        { "date - date with a fraction", "ORA_DATE_DIFF('2026-03-06 00:00:00','2026-03-05 12:00:00')", "0.5" },
        { "NULL + 1 is NULL", "ORA_DATE_ADD(NULL,1)", "NULL" },
        { "a number is no date", "ORA_DATE_ADD(5,1)", "ORA-00932: inconsistent datatypes: expected DATE got NUMBER" },
    });
}

TEST_F(FnSqlTest, AddMonthsKeepsTheLastDayOfTheMonth)
{
    check({
        { "a day the result month lacks becomes its last day", "ORA_ADD_MONTHS('2026-01-31 10:00:00',1)",
            "'2026-02-28 10:00:00'" },
        { "the last day of a month maps to the last day", "ORA_ADD_MONTHS('2026-02-28 00:00:00',1)",
            "'2026-03-31 00:00:00'" },
        { "negative months", "ORA_ADD_MONTHS('2026-01-15 00:00:00',-1)", "'2025-12-15 00:00:00'" },
        { "29 February plus a year", "ORA_ADD_MONTHS('2024-02-29 00:00:00',12)", "'2025-02-28 00:00:00'" },
        { "fractional months are truncated", "ORA_ADD_MONTHS('2026-01-15 00:00:00',1.9)", "'2026-02-15 00:00:00'" },
    });
}

TEST_F(FnSqlTest, MonthsBetweenUsesThirtyOneDayMonths)
{
    check({
        { "MONTHS_BETWEEN('02-02-1995','01-01-1995') is 1.03225806...",
            "ORA_MONTHS_BETWEEN('1995-02-02 00:00:00','1995-01-01 00:00:00')", "1.03225806451613" },
        { "both last days of a month: whole months", "ORA_MONTHS_BETWEEN('2026-03-31 00:00:00','2026-02-28 00:00:00')",
            "1" },
        { "same day of month: whole months, time ignored",
            "ORA_MONTHS_BETWEEN('2026-03-15 18:00:00','2026-01-15 00:00:00')", "2" },
        { "an earlier first date is negative", "ORA_MONTHS_BETWEEN('2026-01-15 00:00:00','2026-03-15 00:00:00')",
            "-2" },
        { "the time counts in the fraction", "ORA_MONTHS_BETWEEN('2026-03-02 12:00:00','2026-03-01 00:00:00')",
            "0.0483870967741935" },
    });
}

TEST_F(FnSqlTest, LastDayTruncAndRoundOfDates)
{
    check({
        { "LAST_DAY in a leap year keeps the time", "ORA_LAST_DAY('2024-02-10 08:00:00')", "'2024-02-29 08:00:00'" },
        { "TRUNC without a model is the day", "ORA_TRUNC_DATE('2026-03-05 14:07:09')", "'2026-03-05 00:00:00'" },
        { "TRUNC to the month", "ORA_TRUNC_DATE('2026-03-05 14:07:09','MM')", "'2026-03-01 00:00:00'" },
        { "TRUNC to the year", "ORA_TRUNC_DATE('2026-03-05 14:07:09','YYYY')", "'2026-01-01 00:00:00'" },
        { "TRUNC to the quarter", "ORA_TRUNC_DATE('2026-05-20 00:00:00','Q')", "'2026-04-01 00:00:00'" },
        { "TRUNC to the ISO week is its Monday", "ORA_TRUNC_DATE('2026-03-05 14:07:09','IW')",
            "'2026-03-02 00:00:00'" },
        { "TRUNC to DAY is the Sunday (territory AMERICA)", "ORA_TRUNC_DATE('2026-03-05 14:07:09','DAY')",
            "'2026-03-01 00:00:00'" },
        { "TRUNC to the hour", "ORA_TRUNC_DATE('2026-03-05 14:07:09','HH')", "'2026-03-05 14:00:00'" },
        { "TRUNC to the minute", "ORA_TRUNC_DATE('2026-03-05 14:07:09','MI')", "'2026-03-05 14:07:00'" },
        { "an unknown unit is ORA-01821", "ORA_TRUNC_DATE('2026-03-05 14:07:09','KK')",
            "ORA-01821: date format not recognized" },
        { "two units at once is ORA-01898", "ORA_TRUNC_DATE('2026-03-05 14:07:09','DDMM')",
            "ORA-01898: too many precision specifiers" },
        { "ROUND without a model rounds at noon", "ORA_ROUND_DATE('2026-03-05 14:07:09')", "'2026-03-06 00:00:00'" },
        { "ROUND('27-OCT-92','YEAR') is 01-JAN-93", "ORA_ROUND_DATE('1992-10-27 00:00:00','YEAR')",
            "'1993-01-01 00:00:00'" },
        { "ROUND to the month rounds up from the 16th", "ORA_ROUND_DATE('2026-03-16 00:00:00','MM')",
            "'2026-04-01 00:00:00'" },
        { "ROUND to the month before the 16th", "ORA_ROUND_DATE('2026-03-15 23:59:59','MM')", "'2026-03-01 00:00:00'" },
        { "ROUND to the quarter from the 16th of its second month", "ORA_ROUND_DATE('2026-02-16 00:00:00','Q')",
            "'2026-04-01 00:00:00'" },
        { "ROUND to the hour from half past", "ORA_ROUND_DATE('2026-03-05 14:30:00','HH')", "'2026-03-05 15:00:00'" },
    });
}

TEST_F(FnSqlTest, DateConversionsUseTheSessionFormat)
{
    check({
        { "TO_CHAR(date) uses NLS_DATE_FORMAT DD-MON-RR", "ORA_TO_CHAR_DATE('2026-03-05 14:07:09')", "'05-MAR-26'" },
        { "TO_DATE(text) uses NLS_DATE_FORMAT", "ORA_TO_DATE('05-MAR-26')", "'2026-03-05 00:00:00'" },
        { "RR: 99 in the 2020s is 1999", "ORA_TO_DATE('05-MAR-99')", "'1999-03-05 00:00:00'" },
        { "text that does not fit the format", "ORA_TO_DATE('2026-03-05')",
            "ORA-01861: literal does not match format string" },
        { "with a model", "ORA_TO_CHAR_DATE('2026-03-05 14:07:09','YYYY-MM-DD HH24:MI:SS')", "'2026-03-05 14:07:09'" },
        { "the model's case decides the name's case", "ORA_TO_CHAR_DATE('2026-03-05 14:07:09','Dy, DD Mon YYYY')",
            "'Thu, 05 Mar 2026'" },
        { "fields the text leaves out come from SYSDATE's year and month", "ORA_TO_DATE('10:30','HH24:MI')",
            "'2026-03-01 10:30:00'" },
        { "TO_DATE(number, model) converts the number to text first", "ORA_TO_DATE(20260305,'YYYYMMDD')",
            "'2026-03-05 00:00:00'" },
        { "a NULL model gives NULL", "ORA_TO_CHAR_DATE('2026-03-05 14:07:09',NULL)", "NULL" },
        { "text dates convert implicitly where a date is expected", "ORA_LAST_DAY('05-FEB-24')",
            "'2024-02-29 00:00:00'" },
    });
}

TEST_F(FnSqlTest, ChangedSessionDateFormatIsUsedAtOnce)
{
    EXPECT_EQ(eval("ORA_TO_CHAR_DATE('2026-03-05 14:07:09')"), "'05-MAR-26'");
    context.setNlsDateFormat("YYYY-MM-DD HH24:MI");
    EXPECT_EQ(eval("ORA_TO_CHAR_DATE('2026-03-05 14:07:09')"), "'2026-03-05 14:07'");
    EXPECT_EQ(eval("ORA_TO_DATE('2026-03-05 08:15')"), "'2026-03-05 08:15:00'");
}

TEST_F(FnSqlTest, DateModelFromEachRowIsParsedForThatRow)
{
    EXPECT_EQ(query("SELECT ORA_TO_CHAR_DATE('2026-03-05 14:07:09', f) FROM (SELECT 'YYYY' f UNION ALL "
                    "SELECT 'MM' UNION ALL SELECT 'Day')"),
        "'2026'|'03'|'Thursday '");
}

TEST_F(FnSqlTest, ConstantModelServesEveryRow)
{
    // One statement over many rows with one model: the cached model must give every row its own value.
    std::string result = query("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 399) "
                               "SELECT count(*) FROM n WHERE ORA_TO_CHAR_DATE(ORA_DATE_ADD('2026-01-01 00:00:00', i), "
                               "'FMDDD') = CAST(i + 1 AS TEXT) OR i >= 365");
    EXPECT_EQ(result, "400");
}

TEST_F(FnSqlTest, EveryListedFunctionIsRegistered)
{
    for (const auto& f : engine::fn::functionTable()) {
        SCOPED_TRACE(std::string(f.name));
        std::string sql = "SELECT count(*) FROM pragma_function_list WHERE name = lower('" + std::string(f.name) + "')";
        EXPECT_NE(query(sql), "0");
    }
}

TEST_F(FnSqlTest, BoundModelIsReadAgainAfterRebinding)
{
    // A model bound as a parameter is cached for one execution; after reset and a new bind it must be parsed anew.
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(db, "SELECT ORA_TO_CHAR_DATE('2026-03-05 14:07:09', ?1)", -1, &stmt, nullptr), SQLITE_OK);
    std::string results;
    for (const char* model : { "YYYY", "MM", "DD" }) {
        sqlite3_bind_text(stmt, 1, model, -1, SQLITE_TRANSIENT);
        ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
        results += cell(stmt, 0);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    EXPECT_EQ(results, "'2026''03''05'");
}

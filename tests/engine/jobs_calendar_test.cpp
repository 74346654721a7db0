// The scheduler's calendar syntax: which dates a repeat interval gives, and the errors Oracle raises for one it
// does not accept (Oracle Database PL/SQL Packages and Types Reference, DBMS_SCHEDULER, "Calendaring Syntax").
#include "engine/engine.h"
#include "engine/jobs/calendar.h"

#include <gtest/gtest.h>

namespace {

using engine::jobs::nextCalendarDate;
using engine::jobs::parseCalendar;

engine::fn::DateTime at(const char* text)
{
    engine::fn::DateTime d;
    EXPECT_TRUE(engine::fn::parseStoredDate(text, d)) << text;
    return d;
}

struct NextCase {
    const char* name;
    const char* interval;
    const char* start;
    const char* from;
    bool strictlyAfter;
    const char* expected;
};

// Oracle: the start date fixes what the calendar leaves open (a daily schedule without BYHOUR runs at the start's
// time of day) and is the first period INTERVAL counts from; the next date is the first match after the last run.
TEST(SchedulerCalendar, GivesTheDatesOracleDocuments)
{
    const NextCase cases[] = {
        { "daily at the start's time", "FREQ=DAILY", "2024-03-10 08:30:00", "2024-03-10 08:30:00", true,
            "2024-03-11 08:30:00" },
        { "a first run on the start date itself", "FREQ=DAILY", "2024-03-10 08:30:00", "2024-03-10 08:00:00", false,
            "2024-03-10 08:30:00" },
        { "every other day counts from the start", "FREQ=DAILY;INTERVAL=2", "2024-03-10 08:30:00",
            "2024-03-11 09:00:00", true, "2024-03-12 08:30:00" },
        { "hourly on the minute given", "FREQ=HOURLY;BYMINUTE=15;BYSECOND=0", "2024-03-10 08:30:00",
            "2024-03-10 08:30:00", true, "2024-03-10 09:15:00" },
        { "every five minutes", "FREQ=MINUTELY;INTERVAL=5", "2024-03-10 08:00:00", "2024-03-10 08:07:10", true,
            "2024-03-10 08:10:00" },
        { "weekdays at 7 and 15", "FREQ=DAILY; BYDAY=MON,TUE,WED,THU,FRI; BYHOUR=7,15; BYMINUTE=0; BYSECOND=0",
            "2024-03-08 16:00:00", "2024-03-08 16:00:00", true, "2024-03-11 07:00:00" },
        { "weekly on the start's weekday", "FREQ=WEEKLY", "2024-03-06 10:00:00", "2024-03-06 10:00:00", true,
            "2024-03-13 10:00:00" },
        { "the last day of every month", "FREQ=MONTHLY;BYMONTHDAY=-1;BYHOUR=23;BYMINUTE=0;BYSECOND=0",
            "2024-01-15 00:00:00", "2024-02-01 00:00:00", true, "2024-02-29 23:00:00" },
        { "the second Wednesday of the month", "FREQ=MONTHLY;BYDAY=2WED", "2024-03-01 09:00:00", "2024-03-14 00:00:00",
            true, "2024-04-10 09:00:00" },
        { "the last Friday of the month", "FREQ=MONTHLY;BYDAY=-1FRI", "2024-03-01 09:00:00", "2024-03-01 09:00:00",
            true, "2024-03-29 09:00:00" },
        { "yearly in February", "FREQ=YEARLY;BYMONTH=FEB;BYMONTHDAY=1", "2024-03-01 06:00:00", "2024-03-01 06:00:00",
            true, "2025-02-01 06:00:00" },
        { "yearly in ISO week 1 on Monday", "FREQ=YEARLY;BYWEEKNO=1;BYDAY=MON", "2024-01-01 06:00:00",
            "2024-01-02 00:00:00", true, "2024-12-30 06:00:00" },
        { "never before the start", "FREQ=DAILY", "2030-01-01 00:00:00", "2024-01-01 00:00:00", true,
            "2030-01-01 00:00:00" },
    };
    for (const NextCase& c : cases) {
        SCOPED_TRACE(c.name);
        engine::fn::DateTime next
            = nextCalendarDate(parseCalendar(c.interval), at(c.start), at(c.from), c.strictlyAfter);
        EXPECT_EQ(engine::fn::toStoredDate(next), c.expected);
    }
}

struct ErrorCase {
    const char* name;
    const char* interval;
    int code;
};

TEST(SchedulerCalendar, RefusesWhatOracleRefuses)
{
    const ErrorCase cases[] = {
        { "no frequency first", "BYHOUR=3;FREQ=DAILY", 27415 },
        { "an unknown clause", "FREQ=DAILY;BYHOURS=3", 27412 },
        { "a wrong weekday", "FREQ=WEEKLY;BYDAY=MOX", 27416 },
        { "BYWEEKNO outside a yearly schedule", "FREQ=MONTHLY;BYWEEKNO=3", 27417 },
        { "an hour out of range", "FREQ=DAILY;BYHOUR=24", 27418 },
        { "INTERVAL above 99", "FREQ=DAILY;INTERVAL=100", 27418 },
        { "a clause twice", "FREQ=DAILY;BYHOUR=1;BYHOUR=2", 27418 },
        { "clauses this engine does not evaluate", "FREQ=DAILY;BYSETPOS=1", 3001 },
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            parseCalendar(c.interval);
            ADD_FAILURE() << "accepted";
        } catch (const engine::Error& e) {
            EXPECT_EQ(e.code(), c.code) << e.message();
        }
    }
}

// ORA-27419: a calendar no date satisfies (the 31st of February) is reported, not searched for ever.
TEST(SchedulerCalendar, ImpossibleCalendarEndsWithOra27419)
{
    try {
        nextCalendarDate(parseCalendar("FREQ=YEARLY;BYMONTH=FEB;BYMONTHDAY=31"), at("2024-01-01 00:00:00"),
            at("2024-01-01 00:00:00"), true);
        ADD_FAILURE() << "found a date";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 27419);
    }
}

} // namespace

// The scheduler's calendar syntax (REPEAT_INTERVAL 'FREQ=DAILY;BYHOUR=8;BYMINUTE=0'): parsing a calendar string
// into its clauses and finding the dates it gives. Plain logic on DATE values, so it is tested without a database.
#pragma once

#include "engine/fn/datetime.h"

#include <string>
#include <string_view>
#include <vector>

namespace engine::jobs {

enum class Frequency { Yearly, Monthly, Weekly, Daily, Hourly, Minutely, Secondly };

// One BYDAY entry: a weekday (0 Monday ... 6 Sunday) and, for MONTHLY and YEARLY schedules, which one of the
// month or year (1 the first, -1 the last; 0 every one).
struct WeekdayRule {
    int weekday = 0;
    int ordinal = 0;
    bool operator==(const WeekdayRule&) const = default;
};

struct Calendar {
    Frequency frequency = Frequency::Daily;
    int interval = 1; // INTERVAL=n: every n-th period, counted from the start date's
    std::vector<int> byMonth; // 1 ... 12
    std::vector<int> byWeekNo; // ISO weeks, negative from the year's end
    std::vector<int> byYearDay; // negative from the year's end
    std::vector<int> byMonthDay; // negative from the month's end
    std::vector<WeekdayRule> byDay;
    std::vector<int> byHour, byMinute, bySecond;
};

// Whether a repeat interval is written in the calendar syntax (it has clauses "NAME=value") rather than as a PL/SQL
// date expression ('SYSDATE + 1/24').
bool isCalendarSyntax(std::string_view repeatInterval);

// Parses a calendar string. Throws Error with Oracle's code: ORA-27415 when it does not begin with FREQ,
// ORA-27412 for an unknown word, ORA-27416 for a wrong weekday, ORA-27417 for BYWEEKNO outside a yearly schedule,
// ORA-27418 for any other fault, ORA-03001 for the clauses this engine does not evaluate (BYSETPOS, BYDATE,
// INCLUDE, EXCLUDE, INTERSECT, PERIODS, BYPERIOD and named schedules).
Calendar parseCalendar(std::string_view text);

// The first date of the calendar at or after `from` (later than `from` when `strictlyAfter`), never before
// `start`. `start` is the schedule's reference: it fixes the fields the calendar leaves open (the hour of a daily
// schedule without BYHOUR) and the periods INTERVAL counts. Throws ORA-27419 when no date is found within a
// century of searching.
fn::DateTime nextCalendarDate(
    const Calendar& c, const fn::DateTime& start, const fn::DateTime& from, bool strictlyAfter);

} // namespace engine::jobs

// The calendar syntax: a parser of the clauses and a search over periods (a year, a month, a week, a day, an hour,
// a minute or a second) from the start date's period on, every INTERVAL-th one, taking the first moment a period
// offers that every BY clause admits.
#include "engine/jobs/calendar.h"

#include "engine/engine.h"
#include "engine/fn/oraerror.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <set>

namespace engine::jobs {

namespace {

std::string upper(std::string_view s)
{
    std::string r;
    for (char ch : s)
        if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n')
            r += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return r;
}

[[noreturn]] void syntaxError()
{
    throw oraError(27418, "syntax error in repeat interval or calendar");
}

[[noreturn]] void invalidWord(const std::string& word)
{
    throw oraError(27412, "repeat interval or calendar contains invalid identifier: " + word);
}

std::vector<std::string> split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        size_t at = text.find(sep, from);
        parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos)
            return parts;
        from = at + 1;
    }
}

bool toInt(const std::string& text, int& out)
{
    if (text.empty())
        return false;
    const char* b = text.data();
    const char* e = b + text.size();
    if (*b == '+')
        ++b;
    auto [end, ec] = std::from_chars(b, e, out);
    return ec == std::errc() && end == e;
}

std::vector<int> numbers(const std::string& value, int low, int high, bool negativesToo)
{
    std::vector<int> r;
    for (const std::string& item : split(value, ',')) {
        int n = 0;
        if (!toInt(item, n))
            syntaxError();
        bool ok = (n >= low && n <= high) || (negativesToo && n <= -1 && n >= -high);
        if (!ok || (negativesToo && n == 0 && low > 0))
            syntaxError();
        r.push_back(n);
    }
    return r;
}

constexpr const char* kMonths[]
    = { "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC" };
constexpr const char* kDays[] = { "MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN" };
constexpr const char* kDayNames[] = { "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY", "SUNDAY" };

std::vector<int> months(const std::string& value)
{
    std::vector<int> r;
    for (const std::string& item : split(value, ',')) {
        int n = 0;
        bool found = false;
        for (int i = 0; i < 12 && !found; ++i)
            if (item == kMonths[i]) {
                n = i + 1;
                found = true;
            }
        if (!found && (!toInt(item, n) || n < 1 || n > 12))
            syntaxError();
        r.push_back(n);
    }
    return r;
}

std::vector<WeekdayRule> weekdays(const std::string& value)
{
    std::vector<WeekdayRule> r;
    for (const std::string& item : split(value, ',')) {
        size_t letters = 0;
        while (letters < item.size()
            && (std::isdigit(static_cast<unsigned char>(item[letters])) || item[letters] == '-'
                || item[letters] == '+'))
            ++letters;
        WeekdayRule w;
        if (letters > 0
            && (!toInt(item.substr(0, letters), w.ordinal) || w.ordinal == 0 || w.ordinal > 53 || w.ordinal < -53))
            syntaxError();
        const std::string name = item.substr(letters);
        bool found = false;
        for (int i = 0; i < 7 && !found; ++i)
            if (name == kDays[i] || name == kDayNames[i]) {
                w.weekday = i;
                found = true;
            }
        if (!found)
            throw oraError(27416, "BYDAY clause in repeat interval or calendar contains an invalid weekday");
        r.push_back(w);
    }
    return r;
}

// Monday 0 ... Sunday 6.
int weekdayOf(const fn::DateTime& d)
{
    return (fn::dayOfWeek(d) + 6) % 7;
}

int64_t dayNumber(int y, int m, int d)
{
    return fn::julianDay(y, m, d);
}

fn::DateTime dateOfDay(int64_t julian)
{
    fn::DateTime d;
    fn::fromJulianDay(julian, d.year, d.month, d.day);
    return d;
}

int daysInYear(int year)
{
    return static_cast<int>(dayNumber(year + 1, 1, 1) - dayNumber(year, 1, 1));
}

// ISO weeks of an ISO year: 53 when 28 December falls in week 53.
int isoWeeksIn(int year)
{
    fn::DateTime d;
    d.year = year;
    d.month = 12;
    d.day = 28;
    return fn::isoWeek(d);
}

// The Monday of ISO week 1 of the year: the week that holds 4 January.
int64_t isoYearStart(int year)
{
    fn::DateTime jan4 { year, 1, 4, 0, 0, 0 };
    return dayNumber(year, 1, 4) - weekdayOf(jan4);
}

bool matchesListed(int value, int count, const std::vector<int>& list)
{
    for (int n : list)
        if (n == value || (n < 0 && count + 1 + n == value))
            return true;
    return false;
}

// Whether the n-th weekday rule holds for the day within the span [spanFirst, spanLast] (Julian days).
bool ordinalHolds(int ordinal, int64_t day, int64_t spanFirst, int64_t spanLast)
{
    if (ordinal > 0)
        return (day - spanFirst) / 7 + 1 == ordinal;
    return (spanLast - day) / 7 + 1 == -ordinal;
}

struct Search {
    const Calendar& c;
    const fn::DateTime& start;

    // `isoYear`: the ISO year a yearly BYWEEKNO schedule's period stands for.
    bool dayAdmitted(const fn::DateTime& d, int isoYearOfPeriod) const
    {
        const bool anyDayRule
            = !c.byMonthDay.empty() || !c.byYearDay.empty() || !c.byWeekNo.empty() || !c.byDay.empty();
        if (!c.byMonth.empty() && std::find(c.byMonth.begin(), c.byMonth.end(), d.month) == c.byMonth.end())
            return false;
        if (!anyDayRule) {
            // The start date fixes the day a coarse period leaves open.
            switch (c.frequency) {
            case Frequency::Yearly:
                return (c.byMonth.empty() ? d.month == start.month : true) && d.day == start.day;
            case Frequency::Monthly:
                return d.day == start.day;
            case Frequency::Weekly:
                return weekdayOf(d) == weekdayOf(start);
            default:
                return true;
            }
        }
        if (!c.byWeekNo.empty()) {
            int isoYear = 0;
            int week = fn::isoWeek(d, &isoYear);
            if (isoYear != isoYearOfPeriod || !matchesListed(week, isoWeeksIn(isoYear), c.byWeekNo))
                return false;
        }
        if (!c.byYearDay.empty() && !matchesListed(fn::dayOfYear(d), daysInYear(d.year), c.byYearDay))
            return false;
        if (!c.byMonthDay.empty() && !matchesListed(d.day, fn::daysInMonth(d.year, d.month), c.byMonthDay))
            return false;
        if (!c.byDay.empty()) {
            const int64_t day = dayNumber(d.year, d.month, d.day);
            bool any = false;
            for (const WeekdayRule& w : c.byDay) {
                if (w.weekday != weekdayOf(d))
                    continue;
                if (w.ordinal == 0) {
                    any = true;
                    break;
                }
                // The n-th of the month in a monthly schedule (or a yearly one limited to months), else of the year.
                bool inMonth = c.frequency == Frequency::Monthly || !c.byMonth.empty();
                int64_t first = inMonth ? dayNumber(d.year, d.month, 1) : dayNumber(d.year, 1, 1);
                int64_t last = inMonth ? dayNumber(d.year, d.month, fn::daysInMonth(d.year, d.month))
                                       : dayNumber(d.year, 12, 31);
                if (ordinalHolds(w.ordinal, day, first, last)) {
                    any = true;
                    break;
                }
            }
            if (!any)
                return false;
        }
        return true;
    }

    // The values a time field takes in a period: the period's own when the frequency fixes the field (filtered by
    // the BY list), else the BY list, else the start date's.
    static std::vector<int> field(bool fixedByPeriod, int periodValue, const std::vector<int>& by, int startValue)
    {
        if (fixedByPeriod) {
            if (by.empty() || std::find(by.begin(), by.end(), periodValue) != by.end())
                return { periodValue };
            return {};
        }
        if (by.empty())
            return { startValue };
        std::vector<int> r(by);
        std::sort(r.begin(), r.end());
        r.erase(std::unique(r.begin(), r.end()), r.end());
        return r;
    }

    // Every moment of the period that begins at `period` (its fields below the frequency are zero), in order.
    std::vector<int64_t> moments(const fn::DateTime& period) const
    {
        int64_t firstDay = dayNumber(period.year, period.month, period.day);
        int64_t lastDay = firstDay;
        switch (c.frequency) {
        case Frequency::Yearly:
            lastDay = dayNumber(period.year, 12, 31);
            if (!c.byWeekNo.empty()) {
                // ISO weeks: the year runs from the Monday of its first week, which may lie in December before.
                firstDay = isoYearStart(period.year);
                lastDay = isoYearStart(period.year + 1) - 1;
            }
            break;
        case Frequency::Monthly:
            lastDay = dayNumber(period.year, period.month, fn::daysInMonth(period.year, period.month));
            break;
        case Frequency::Weekly:
            lastDay = firstDay + 6;
            break;
        default:
            break;
        }
        const bool hourFixed = c.frequency >= Frequency::Hourly;
        const bool minuteFixed = c.frequency >= Frequency::Minutely;
        const bool secondFixed = c.frequency == Frequency::Secondly;
        const std::vector<int> hours = field(hourFixed, period.hour, c.byHour, start.hour);
        const std::vector<int> minutes = field(minuteFixed, period.minute, c.byMinute, start.minute);
        const std::vector<int> seconds = field(secondFixed, period.second, c.bySecond, start.second);
        std::vector<int64_t> r;
        for (int64_t day = firstDay; day <= lastDay; ++day) {
            fn::DateTime d = dateOfDay(day);
            if (!dayAdmitted(d, period.year))
                continue;
            for (int h : hours)
                for (int m : minutes)
                    for (int s : seconds)
                        r.push_back(day * 86400 + h * 3600 + m * 60 + s);
        }
        return r;
    }
};

// The start of the period that holds the moment, and that period's index counted from the start's period.
struct Period {
    fn::DateTime begin;
    int64_t index = 0;
};

Period periodOf(Frequency f, const fn::DateTime& start, const fn::DateTime& at)
{
    Period p;
    p.begin = at;
    switch (f) {
    case Frequency::Yearly:
        p.begin = fn::DateTime { at.year, 1, 1, 0, 0, 0 };
        p.index = at.year - start.year;
        return p;
    case Frequency::Monthly:
        p.begin = fn::DateTime { at.year, at.month, 1, 0, 0, 0 };
        p.index = (at.year * 12 + at.month) - (start.year * 12 + start.month);
        return p;
    case Frequency::Weekly: {
        const int64_t monday = dayNumber(at.year, at.month, at.day) - weekdayOf(at);
        const int64_t startMonday = dayNumber(start.year, start.month, start.day) - weekdayOf(start);
        p.begin = dateOfDay(monday);
        p.index = (monday - startMonday) / 7;
        return p;
    }
    default:
        break;
    }
    const int64_t unit = f == Frequency::Daily ? 86400
        : f == Frequency::Hourly               ? 3600
        : f == Frequency::Minutely             ? 60
                                               : 1;
    const int64_t a = fn::toSecondNumber(at) / unit;
    const int64_t s = fn::toSecondNumber(start) / unit;
    p.begin = fn::fromSecondNumber(a * unit);
    p.index = a - s;
    return p;
}

// The period `steps` periods after the given one.
fn::DateTime advance(Frequency f, const fn::DateTime& period, int64_t steps)
{
    switch (f) {
    case Frequency::Yearly:
        return fn::DateTime { static_cast<int>(period.year + steps), 1, 1, 0, 0, 0 };
    case Frequency::Monthly: {
        int64_t m = period.year * 12 + (period.month - 1) + steps;
        return fn::DateTime { static_cast<int>(m / 12), static_cast<int>(m % 12) + 1, 1, 0, 0, 0 };
    }
    case Frequency::Weekly:
        return dateOfDay(dayNumber(period.year, period.month, period.day) + 7 * steps);
    default:
        break;
    }
    const int64_t unit = f == Frequency::Daily ? 86400
        : f == Frequency::Hourly               ? 3600
        : f == Frequency::Minutely             ? 60
                                               : 1;
    return fn::fromSecondNumber(fn::toSecondNumber(period) + unit * steps);
}

} // namespace

bool isCalendarSyntax(std::string_view repeatInterval)
{
    return repeatInterval.find('=') != std::string_view::npos;
}

Calendar parseCalendar(std::string_view text)
{
    const std::string t = upper(text);
    if (t.empty())
        throw oraError(27411, "Empty or NULL string is not a valid repeat interval.");
    std::vector<std::string> clauses = split(t, ';');
    if (!clauses.empty() && clauses.back().empty())
        clauses.pop_back();
    Calendar c;
    std::set<std::string> seen;
    for (size_t i = 0; i < clauses.size(); ++i) {
        const std::string& clause = clauses[i];
        size_t eq = clause.find('=');
        if (eq == std::string::npos || eq == 0) {
            if (i == 0)
                throw oraError(27415, "repeat interval or calendar must start with a frequency clause");
            syntaxError();
        }
        const std::string name = clause.substr(0, eq);
        const std::string value = clause.substr(eq + 1);
        if (i == 0 && name != "FREQ")
            throw oraError(27415, "repeat interval or calendar must start with a frequency clause");
        if (!seen.insert(name).second || value.empty())
            syntaxError();
        if (name == "FREQ") {
            static const std::pair<const char*, Frequency> kFrequencies[]
                = { { "YEARLY", Frequency::Yearly }, { "MONTHLY", Frequency::Monthly }, { "WEEKLY", Frequency::Weekly },
                      { "DAILY", Frequency::Daily }, { "HOURLY", Frequency::Hourly },
                      { "MINUTELY", Frequency::Minutely }, { "SECONDLY", Frequency::Secondly } };
            bool found = false;
            for (const auto& [word, f] : kFrequencies)
                if (value == word) {
                    c.frequency = f;
                    found = true;
                }
            if (!found)
                throw oraError(3001, "unimplemented feature: a named schedule (" + value + ") as the frequency");
        } else if (name == "INTERVAL") {
            if (!toInt(value, c.interval) || c.interval < 1 || c.interval > 99)
                syntaxError();
        } else if (name == "BYMONTH") {
            c.byMonth = months(value);
        } else if (name == "BYWEEKNO") {
            c.byWeekNo = numbers(value, 1, 53, true);
        } else if (name == "BYYEARDAY") {
            c.byYearDay = numbers(value, 1, 366, true);
        } else if (name == "BYMONTHDAY") {
            c.byMonthDay = numbers(value, 1, 31, true);
        } else if (name == "BYDAY") {
            c.byDay = weekdays(value);
        } else if (name == "BYHOUR") {
            c.byHour = numbers(value, 0, 23, false);
        } else if (name == "BYMINUTE") {
            c.byMinute = numbers(value, 0, 59, false);
        } else if (name == "BYSECOND") {
            c.bySecond = numbers(value, 0, 59, false);
        } else if (name == "BYSETPOS" || name == "BYDATE" || name == "INCLUDE" || name == "EXCLUDE"
            || name == "INTERSECT" || name == "PERIODS" || name == "BYPERIOD") {
            throw oraError(3001, "unimplemented feature: " + name + " in a repeat interval");
        } else {
            invalidWord(name);
        }
    }
    if (!c.byWeekNo.empty() && c.frequency != Frequency::Yearly)
        throw oraError(27417, "BYWEEKNO clause requires YEARLY clause");
    for (const WeekdayRule& w : c.byDay)
        if (w.ordinal != 0 && c.frequency != Frequency::Monthly && c.frequency != Frequency::Yearly)
            syntaxError();
    return c;
}

namespace {

fn::DateTime searchCalendar(const Calendar& c, const fn::DateTime& start, const fn::DateTime& from, bool strictlyAfter)
{
    int64_t threshold = fn::toSecondNumber(from) + (strictlyAfter ? 1 : 0);
    threshold = std::max(threshold, fn::toSecondNumber(start));
    const fn::DateTime origin = fn::fromSecondNumber(threshold);
    Period p = periodOf(c.frequency, start, origin);
    // Back to the last period INTERVAL admits; periods before the start's do not count.
    int64_t skip = ((p.index % c.interval) + c.interval) % c.interval;
    fn::DateTime period = advance(c.frequency, p.begin, -skip);
    const Search search { c, start };
    // A century of periods, or half a million of them, whichever comes first.
    const int64_t horizon = threshold + int64_t(100) * 366 * 86400;
    for (int attempts = 0; attempts < 500000; ++attempts) {
        if (fn::toSecondNumber(period) > horizon)
            break;
        for (int64_t m : search.moments(period))
            if (m >= threshold)
                return fn::fromSecondNumber(m);
        period = advance(c.frequency, period, c.interval);
    }
    throw oraError(27419, "unable to determine valid execution date from repeat interval");
}

} // namespace

fn::DateTime nextCalendarDate(
    const Calendar& c, const fn::DateTime& start, const fn::DateTime& from, bool strictlyAfter)
{
    try {
        return searchCalendar(c, start, from, strictlyAfter);
    } catch (const fn::OraError&) {
        // The search ran past the last date a DATE holds.
        throw oraError(27419, "unable to determine valid execution date from repeat interval");
    }
}

} // namespace engine::jobs

// Date arithmetic and the date functions: date + days, date - date, SYSDATE, ADD_MONTHS, MONTHS_BETWEEN, LAST_DAY,
// TRUNC and ROUND of a date to a unit.
#include "engine/fn/arithmetic.h"
#include "engine/fn/fnutil.h"

#include <cmath>

namespace engine::fn::detail {

namespace {

void dateAdd(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        DateTime d = dateArg(ctx, argv[0]);
        NumberValue days = numberArg(argv[1]);
        int64_t seconds;
        if (days.isInteger) {
            if (days.integer > 4000000 || days.integer < -4000000)
                checkStoredYear(0);
            seconds = days.integer * 86400;
        } else {
            double s = days.real * 86400.0;
            if (!std::isfinite(s) || std::fabs(s) > 4e11)
                checkStoredYear(0);
            seconds = std::llround(s);
        }
        resultDate(ctx, fromSecondNumber(toSecondNumber(d) + seconds));
    });
}

void dateDiff(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        int64_t seconds = toSecondNumber(dateArg(ctx, argv[0])) - toSecondNumber(dateArg(ctx, argv[1]));
        // Days as Oracle's NUMBER: the exact quotient to NUMBER's digits.
        resultNumber(ctx, divideNumbers(NumberValue::ofInteger(seconds), NumberValue::ofInteger(86400)));
    });
}

void sysdate(sqlite3_context* ctx, int, sqlite3_value**)
{
    resultDate(ctx, state(ctx)->now());
}

void addMonths(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        DateTime d = dateArg(ctx, argv[0]);
        int64_t months = integerArg(argv[1]);
        if (months > 200000 || months < -200000)
            checkStoredYear(0);
        int64_t index = int64_t(d.year) * 12 + (d.month - 1) + months;
        int year = int(index >= 0 ? index / 12 : (index - 11) / 12);
        int month = int(index - int64_t(year) * 12) + 1;
        checkStoredYear(year);
        // The last day of a month maps to the last day of the result's month; a day the result's month lacks does
        // too.
        int last = daysInMonth(year, month);
        bool wasLast = d.day == daysInMonth(d.year, d.month);
        d.day = wasLast || d.day > last ? last : d.day;
        d.year = year;
        d.month = month;
        if (!isValidDate(d.year, d.month, d.day))
            d.day = 15; // 1582-10-05 .. 14 do not exist; Oracle's calendar jumps to the 15th
        resultDate(ctx, d);
    });
}

void monthsBetween(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        DateTime a = dateArg(ctx, argv[0]);
        DateTime b = dateArg(ctx, argv[1]);
        int64_t months = (int64_t(a.year) - b.year) * 12 + (a.month - b.month);
        bool bothLast = a.day == daysInMonth(a.year, a.month) && b.day == daysInMonth(b.year, b.month);
        if (a.day == b.day || bothLast) {
            sqlite3_result_int64(ctx, months);
            return;
        }
        // Otherwise the fraction counts every month as 31 days, the time of day included.
        double dayPart = (a.day - b.day) + (secondsOfDay(a) - secondsOfDay(b)) / 86400.0;
        resultNumber(ctx, NumberValue::ofReal(double(months) + dayPart / 31.0));
    });
}

void lastDay(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        DateTime d = dateArg(ctx, argv[0]);
        d.day = daysInMonth(d.year, d.month);
        resultDate(ctx, d);
    });
}

struct UnitModel {
    DateUnit unit;
    static UnitModel parse(std::string_view text) { return { parseDateUnit(text) }; }
};

template <bool Round> void truncOrRound(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        DateTime d = dateArg(ctx, argv[0]);
        if (argc == 1) {
            resultDate(ctx, Round ? roundDate(d, DateUnit::Day) : truncDate(d, DateUnit::Day));
            return;
        }
        CachedModel<UnitModel> model(ctx, 1, textArg(argv[1]));
        resultDate(ctx, Round ? roundDate(d, model->unit) : truncDate(d, model->unit));
        model.keep();
    });
}

} // namespace

void registerDateFunctions(Registrar& r)
{
    r.add("ORA_DATE_ADD", dateAdd);
    r.add("ORA_DATE_DIFF", dateDiff);
    r.add("ORA_SYSDATE", sysdate);
    r.add("ORA_ADD_MONTHS", addMonths);
    r.add("ORA_MONTHS_BETWEEN", monthsBetween);
    r.add("ORA_LAST_DAY", lastDay);
    r.add("ORA_TRUNC_DATE", truncOrRound<false>);
    r.add("ORA_ROUND_DATE", truncOrRound<true>);
}

} // namespace engine::fn::detail

// TIMESTAMP and INTERVAL values in SQL: the conversions the binder inserts between DATE, TIMESTAMP [WITH [LOCAL]
// TIME ZONE], the intervals and text, datetime and interval arithmetic, EXTRACT and TO_CHAR. Each takes the kinds
// of its operands as integer arguments (fn::DtKind), which the binder knows from the types.
#include "engine/fn/fnutil.h"
#include "engine/fn/timestamp_session.h"

#include <cmath>
#include <cstdio>

namespace engine::fn::detail {

namespace {

DtKind kindArg(sqlite3_value* v)
{
    return static_cast<DtKind>(sqlite3_value_int(v));
}

bool isIntervalKind(DtKind k)
{
    return k == DtKind::IntervalYM || k == DtKind::IntervalDS;
}

const FunctionContext& contextOf(sqlite3_context* ctx)
{
    return *state(ctx)->context;
}

Timestamp datetimeArg(sqlite3_context* ctx, sqlite3_value* v, DtKind kind, bool& hasZone)
{
    std::string scratch;
    return readDatetime(contextOf(ctx), kind, stringArg(v, scratch), hasZone);
}

int64_t intervalArg(sqlite3_context* ctx, sqlite3_value* v, DtKind kind)
{
    if (sqlite3_value_type(v) == SQLITE_INTEGER)
        return sqlite3_value_int64(v);
    (void)ctx;
    std::string scratch;
    std::string_view text = stringArg(v, scratch);
    return kind == DtKind::IntervalYM ? parseYMInterval(text) : parseDSInterval(text);
}

void resultString(sqlite3_context* ctx, const std::string& s)
{
    sqlite3_result_text(ctx, s.data(), int(s.size()), SQLITE_TRANSIENT);
}

// A number argument as a long double (the operand of interval * number and NUMTO...INTERVAL).
long double decimalArg(sqlite3_value* v)
{
    if (sqlite3_value_type(v) == SQLITE_INTEGER)
        return static_cast<long double>(sqlite3_value_int64(v));
    std::string scratch;
    std::string text(stringArg(v, scratch));
    char* end = nullptr;
    long double r = std::strtold(text.c_str(), &end);
    if (end == text.c_str())
        throw OraError(1722, "invalid number");
    return r;
}

void resultDecimal(sqlite3_context* ctx, const std::string& text)
{
    resultNumber(ctx, parseNumberText(text));
}

// ORA_DT_CONVERT(x, from, to, fraction, leading): fraction and leading are the target's, or the source's when the
// target is text.
void convert(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const DtKind from = kindArg(argv[1]);
        const DtKind to = kindArg(argv[2]);
        const int fraction = sqlite3_value_int(argv[3]);
        const int leading = sqlite3_value_int(argv[4]);
        const FunctionContext& c = contextOf(ctx);
        if (isIntervalKind(to) || isIntervalKind(from)) {
            if (to == DtKind::Text) {
                const int64_t v = intervalArg(ctx, argv[0], from);
                resultString(ctx, from == DtKind::IntervalYM ? intervalYMText(v, leading)
                                                             : intervalDSText(v, leading, fraction));
                return;
            }
            if (from != DtKind::Text && from != to)
                throw OraError(932, "inconsistent datatypes");
            int64_t v = intervalArg(ctx, argv[0], to);
            if (to == DtKind::IntervalYM) {
                checkIntervalYM(v, leading);
            } else {
                v = roundIntervalNanos(v, fraction);
                checkIntervalDS(v, leading);
            }
            sqlite3_result_int64(ctx, v);
            return;
        }
        bool hasZone = false;
        // Text reads with the session's format of the type it becomes.
        const DtKind readAs = from != DtKind::Text ? from
            : to == DtKind::TimestampTz             ? DtKind::Text
            : to == DtKind::Date                    ? DtKind::Date
                                                    : DtKind::Timestamp;
        Timestamp t = datetimeArg(ctx, argv[0], readAs, hasZone);
        if (to == DtKind::Text) {
            resultText(ctx, datetimeText(c, from, t, hasZone && from != DtKind::TimestampLtz, fraction));
            return;
        }
        resultString(ctx, writeDatetime(c, t, hasZone, to, fraction));
    });
}

// ORA_DT_ADD(x, kind, interval, intervalKind, sign): datetime + or - interval, of x's kind.
void addInterval(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]) || isNull(argv[2])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const DtKind kind = kindArg(argv[1]);
        const DtKind ivKind = kindArg(argv[3]);
        const int sign = sqlite3_value_int(argv[4]) < 0 ? -1 : 1;
        const FunctionContext& c = contextOf(ctx);
        bool hasZone = false;
        Timestamp t = datetimeArg(ctx, argv[0], kind, hasZone);
        const int64_t iv = intervalArg(ctx, argv[2], ivKind) * sign;
        if (ivKind == DtKind::IntervalYM) {
            int64_t month = int64_t(t.dt.year) * 12 + (t.dt.month - 1) + iv;
            const int64_t year = month / 12;
            if (month < 12 || year > 9999)
                throw OraError(1841, "(full) year must be between -4713 and +9999, and not be 0");
            t.dt.year = int(year);
            t.dt.month = int(month % 12) + 1;
            if (t.dt.day > daysInMonth(t.dt.year, t.dt.month))
                throw OraError(1839, "date not valid for month specified");
        } else {
            fromNanoNumber(toNanoNumber(t.dt, t.nanos) + iv, t.dt, t.nanos);
        }
        resultString(ctx, writeDatetime(c, t, hasZone, kind, 9));
    });
}

NanoNumber utcNanos(const Timestamp& t, bool hasZone, bool zoned)
{
    NanoNumber n = toNanoNumber(t.dt, t.nanos);
    if (zoned && hasZone)
        n -= static_cast<NanoNumber>(t.offset) * 60 * kNanosPerSecond;
    return n;
}

// ORA_DT_DIFF(a, kindA, b, kindB): a - b as INTERVAL DAY TO SECOND nanoseconds; in UTC when either has a zone.
void difference(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]) || isNull(argv[2])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const DtKind ka = kindArg(argv[1]);
        const DtKind kb = kindArg(argv[3]);
        bool za = false;
        bool zb = false;
        Timestamp a = datetimeArg(ctx, argv[0], ka, za);
        Timestamp b = datetimeArg(ctx, argv[2], kb, zb);
        const bool zoned = za || zb;
        if (zoned) {
            const FunctionContext& c = contextOf(ctx);
            if (!za)
                a.offset = sessionOffset(c), za = true;
            if (!zb)
                b.offset = sessionOffset(c), zb = true;
        }
        const NanoNumber d = utcNanos(a, za, zoned) - utcNanos(b, zb, zoned);
        sqlite3_result_int64(ctx, static_cast<int64_t>(d));
    });
}

// ORA_IV_ADD(a, b, sign, kind): interval + or - interval.
void intervalSum(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]) || isNull(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const DtKind kind = kindArg(argv[3]);
        const int64_t a = intervalArg(ctx, argv[0], kind);
        const int64_t b = intervalArg(ctx, argv[1], kind);
        int64_t r = 0;
        if (sqlite3_value_int(argv[2]) < 0 ? __builtin_sub_overflow(a, b, &r) : __builtin_add_overflow(a, b, &r))
            throw OraError(1873, "the leading precision of the interval is too small");
        sqlite3_result_int64(ctx, r);
    });
}

// ORA_IV_SCALE(interval, kind, number, divide): interval * number or interval / number.
void intervalScale(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]) || isNull(argv[2])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const DtKind kind = kindArg(argv[1]);
        const long double iv = static_cast<long double>(intervalArg(ctx, argv[0], kind));
        const long double n = decimalArg(argv[2]);
        if (sqlite3_value_int(argv[3]) && n == 0)
            throw OraError(1476, "divisor is equal to zero");
        const long double r = sqlite3_value_int(argv[3]) ? iv / n : iv * n;
        // Months are whole; nanoseconds round.
        const long double whole = kind == DtKind::IntervalYM ? std::trunc(r) : std::round(r);
        if (std::fabs(whole) > 9.2e18L)
            throw OraError(1873, "the leading precision of the interval is too small");
        sqlite3_result_int64(ctx, static_cast<int64_t>(whole));
    });
}

std::string secondsText(int64_t seconds, int64_t nanos)
{
    // seconds and nanos carry the same sign.
    const bool negative = seconds < 0 || nanos < 0;
    char b[64];
    int n = std::snprintf(b, sizeof b, "%s%lld.%09lld", negative ? "-" : "", (long long)std::llabs(seconds),
        (long long)std::llabs(nanos));
    std::string s(b, size_t(n));
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s;
}

[[noreturn]] void invalidExtract()
{
    throw OraError(30076, "invalid extract field for extract source");
}

// ORA_DT_EXTRACT(x, kind, field)
void extract(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const DtKind kind = kindArg(argv[1]);
        const std::string field(textArg(argv[2]));
        if (kind == DtKind::IntervalYM) {
            const int64_t m = intervalArg(ctx, argv[0], kind);
            if (field == "YEAR")
                sqlite3_result_int64(ctx, m / 12);
            else if (field == "MONTH")
                sqlite3_result_int64(ctx, m % 12);
            else
                invalidExtract();
            return;
        }
        if (kind == DtKind::IntervalDS) {
            const int64_t n = intervalArg(ctx, argv[0], kind);
            const int64_t seconds = n / kNanosPerSecond;
            if (field == "DAY")
                sqlite3_result_int64(ctx, seconds / 86400);
            else if (field == "HOUR")
                sqlite3_result_int64(ctx, seconds / 3600 % 24);
            else if (field == "MINUTE")
                sqlite3_result_int64(ctx, seconds / 60 % 60);
            else if (field == "SECOND")
                resultDecimal(ctx, secondsText(seconds % 60, n % kNanosPerSecond));
            else
                invalidExtract();
            return;
        }
        bool hasZone = false;
        Timestamp t = datetimeArg(ctx, argv[0], kind, hasZone);
        const bool zoned = kind == DtKind::TimestampTz || kind == DtKind::TimestampLtz;
        if (field == "TIMEZONE_HOUR" || field == "TIMEZONE_MINUTE" || field == "TIMEZONE_REGION"
            || field == "TIMEZONE_ABBR") {
            if (!zoned)
                invalidExtract();
            if (field == "TIMEZONE_HOUR")
                sqlite3_result_int64(ctx, t.offset / 60);
            else if (field == "TIMEZONE_MINUTE")
                sqlite3_result_int64(ctx, t.offset % 60);
            else if (t.zone == "UTC" || t.zone == "GMT")
                resultString(ctx, t.zone);
            else
                resultString(ctx, field == "TIMEZONE_REGION" ? "UNKNOWN" : "UNK");
            return;
        }
        // A value with a time zone gives its fields in UTC.
        if (kind == DtKind::TimestampTz)
            shiftMinutes(t.dt, t.nanos, -t.offset);
        if (kind == DtKind::Date && field != "YEAR" && field != "MONTH" && field != "DAY")
            invalidExtract();
        if (field == "YEAR")
            sqlite3_result_int64(ctx, t.dt.year);
        else if (field == "MONTH")
            sqlite3_result_int64(ctx, t.dt.month);
        else if (field == "DAY")
            sqlite3_result_int64(ctx, t.dt.day);
        else if (field == "HOUR")
            sqlite3_result_int64(ctx, t.dt.hour);
        else if (field == "MINUTE")
            sqlite3_result_int64(ctx, t.dt.minute);
        else if (field == "SECOND")
            resultDecimal(ctx, secondsText(t.dt.second, t.nanos));
        else
            invalidExtract();
    });
}

// ORA_DT_TO_CHAR(x, kind, fraction, leading [, model])
void toChar(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (isNull(argv[0]) || (argc > 4 && isNull(argv[4]))) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const DtKind kind = kindArg(argv[1]);
        const int fraction = sqlite3_value_int(argv[2]);
        const int leading = sqlite3_value_int(argv[3]);
        if (isIntervalKind(kind)) {
            // Oracle formats an interval the one way whatever model is given.
            const int64_t v = intervalArg(ctx, argv[0], kind);
            resultString(ctx, kind == DtKind::IntervalYM ? intervalYMText(v, leading)
                                                         : intervalDSText(v, leading, fraction));
            return;
        }
        bool hasZone = false;
        Timestamp t = datetimeArg(ctx, argv[0], kind, hasZone);
        if (argc <= 4) {
            resultText(ctx, datetimeText(contextOf(ctx), kind, t, hasZone && kind != DtKind::TimestampLtz, fraction));
            return;
        }
        DateFormat::Extra extra;
        extra.nanos = t.nanos;
        extra.fraction = fraction;
        extra.hasZone = hasZone;
        extra.offset = t.offset;
        extra.zone = t.zone.empty() ? offsetText(t.offset) : t.zone;
        std::string out;
        CachedModel<DateFormat> model(ctx, 4, textArg(argv[4]));
        if (kind == DtKind::Date)
            model->format(t.dt, out);
        else
            model->format(t.dt, extra, out);
        resultText(ctx, out);
        model.keep();
    });
}

// ORA_TO_TIMESTAMP(text, kind [, model]): TO_TIMESTAMP (kind TIMESTAMP) and TO_TIMESTAMP_TZ.
void toTimestamp(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (isNull(argv[0]) || (argc > 2 && isNull(argv[2]))) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const DtKind kind = kindArg(argv[1]);
        const FunctionContext& c = contextOf(ctx);
        std::string scratch;
        std::string_view text = stringArg(argv[0], scratch);
        Timestamp t;
        bool hasZone = false;
        if (argc <= 2) {
            t = readDatetime(c, kind == DtKind::TimestampTz ? DtKind::Text : DtKind::Timestamp, text, hasZone);
        } else {
            DateFormat::Extra extra;
            CachedModel<DateFormat> model(ctx, 2, textArg(argv[2]));
            t.dt = model->parseTimestamp(text, state(ctx)->now(), extra);
            model.keep();
            t.nanos = extra.nanos;
            hasZone = extra.hasZone;
            t.offset = extra.offset;
            t.zone = extra.zone;
        }
        if (kind == DtKind::Timestamp)
            hasZone = false;
        resultString(ctx, writeDatetime(c, t, hasZone, kind, 9));
    });
}

} // namespace

void registerTimestampFunctions(Registrar& r)
{
    r.add("ORA_DT_CONVERT", convert);
    r.add("ORA_DT_ADD", addInterval);
    r.add("ORA_DT_DIFF", difference);
    r.add("ORA_IV_ADD", intervalSum);
    r.add("ORA_IV_SCALE", intervalScale);
    r.add("ORA_DT_EXTRACT", extract);
    r.add("ORA_DT_TO_CHAR", toChar);
    r.add("ORA_TO_TIMESTAMP", toTimestamp);
}

} // namespace engine::fn::detail

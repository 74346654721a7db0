// The clock and time zone functions of TIMESTAMP values (SYSTIMESTAMP, CURRENT_TIMESTAMP, LOCALTIMESTAMP,
// SESSIONTIMEZONE, DBTIMEZONE, FROM_TZ, SYS_EXTRACT_UTC, AT TIME ZONE) and the functions that make intervals
// (TO_DSINTERVAL, TO_YMINTERVAL, NUMTODSINTERVAL, NUMTOYMINTERVAL).
#include "engine/fn/fnutil.h"
#include "engine/fn/timestamp_session.h"

#include <cmath>
#include <ctime>

namespace engine::fn::detail {

namespace {

const FunctionContext& contextOf(sqlite3_context* ctx)
{
    return *state(ctx)->context;
}

void resultString(sqlite3_context* ctx, const std::string& s)
{
    sqlite3_result_text(ctx, s.data(), int(s.size()), SQLITE_TRANSIENT);
}

// The statement's time on the machine's clock, with the machine's offset.
Timestamp statementClock(sqlite3_context* ctx)
{
    const FunctionContext& c = contextOf(ctx);
    Timestamp t;
    t.dt = state(ctx)->now();
    t.nanos = c.statementTime.empty() ? 0 : c.statementNanos;
    t.offset = localOffsetMinutes();
    t.zone = offsetText(t.offset);
    return t;
}

// SYSTIMESTAMP: TIMESTAMP(6) WITH TIME ZONE in the database server's (the machine's) zone.
void systimestamp(sqlite3_context* ctx, int, sqlite3_value**)
{
    guarded(ctx, [&] {
        Timestamp t = statementClock(ctx);
        roundFraction(t.dt, t.nanos, 6);
        resultString(ctx, toStoredTimestampTz(t));
    });
}

// ORA_CURRENT_TIMESTAMP(fraction, withZone): CURRENT_TIMESTAMP(p) and LOCALTIMESTAMP(p), in the session's zone.
void currentTimestamp(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        Timestamp t = statementClock(ctx);
        const FunctionContext& c = contextOf(ctx);
        std::string zone;
        const int offset = sessionOffset(c, &zone);
        shiftMinutes(t.dt, t.nanos, offset - t.offset);
        t.offset = offset;
        t.zone = zone;
        roundFraction(t.dt, t.nanos, sqlite3_value_int(argv[0]));
        resultString(ctx, sqlite3_value_int(argv[1]) ? toStoredTimestampTz(t) : toStoredTimestamp(t.dt, t.nanos));
    });
}

void sessionTimeZone(sqlite3_context* ctx, int, sqlite3_value**)
{
    guarded(ctx, [&] {
        std::string zone;
        sessionOffset(contextOf(ctx), &zone);
        resultString(ctx, zone);
    });
}

// ORA_FROM_TZ(timestamp, zone)
void fromTz(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (anyNull(2, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        Timestamp t;
        if (!parseStoredTimestamp(textArg(argv[0]), t.dt, t.nanos))
            throw OraError(932, "inconsistent datatypes: expected TIMESTAMP got CHAR");
        t.offset = parseTimeZone(textArg(argv[1]), &t.zone);
        resultString(ctx, toStoredTimestampTz(t));
    });
}

// ORA_AT_TIME_ZONE(timestampTz, zone): the same point in time in another zone; a NULL zone (AT LOCAL) is the
// session's.
void atTimeZone(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        Timestamp t;
        if (!parseStoredTimestampTz(textArg(argv[0]), t))
            throw OraError(932, "inconsistent datatypes: expected TIMESTAMP WITH TIME ZONE got CHAR");
        std::string zone;
        int offset = 0;
        if (argc > 1 && !isNull(argv[1]))
            offset = parseTimeZone(textArg(argv[1]), &zone);
        else if (argc > 1)
            throw OraError(1857, "not a valid time zone");
        else
            offset = sessionOffset(contextOf(ctx), &zone);
        shiftMinutes(t.dt, t.nanos, offset - t.offset);
        t.offset = offset;
        t.zone = zone;
        resultString(ctx, toStoredTimestampTz(t));
    });
}

// ORA_SYS_EXTRACT_UTC(timestampTz): the UTC time as a TIMESTAMP.
void sysExtractUtc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string_view s = textArg(argv[0]);
        if (s.size() < 29)
            throw OraError(932, "inconsistent datatypes: expected TIMESTAMP WITH TIME ZONE got CHAR");
        resultString(ctx, std::string(s.substr(0, 29)));
    });
}

void toDsInterval(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch;
        sqlite3_result_int64(ctx, parseDSInterval(stringArg(argv[0], scratch)));
    });
}

void toYmInterval(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch;
        sqlite3_result_int64(ctx, parseYMInterval(stringArg(argv[0], scratch)));
    });
}

long double numberOf(sqlite3_value* v)
{
    if (sqlite3_value_type(v) == SQLITE_INTEGER)
        return static_cast<long double>(sqlite3_value_int64(v));
    std::string scratch;
    const std::string text(stringArg(v, scratch));
    char* end = nullptr;
    const long double r = std::strtold(text.c_str(), &end);
    if (end == text.c_str())
        throw OraError(1722, "invalid number");
    return r;
}

std::string unitOf(sqlite3_value* v)
{
    std::string u;
    for (char c : textArg(v))
        if (c != ' ')
            u.push_back(c >= 'a' && c <= 'z' ? char(c - 32) : c);
    return u;
}

// NUMTODSINTERVAL(n, 'DAY' | 'HOUR' | 'MINUTE' | 'SECOND')
void numToDsInterval(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (anyNull(2, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const std::string unit = unitOf(argv[1]);
        long double scale = 0;
        if (unit == "DAY")
            scale = static_cast<long double>(kNanosPerDay);
        else if (unit == "HOUR")
            scale = 3600.0L * kNanosPerSecond;
        else if (unit == "MINUTE")
            scale = 60.0L * kNanosPerSecond;
        else if (unit == "SECOND")
            scale = static_cast<long double>(kNanosPerSecond);
        else
            throw OraError(1760, "illegal argument for function");
        const long double r = std::round(numberOf(argv[0]) * scale);
        if (std::fabs(r) > 9.2e18L)
            throw OraError(1873, "the leading precision of the interval is too small");
        sqlite3_result_int64(ctx, static_cast<int64_t>(r));
    });
}

// NUMTOYMINTERVAL(n, 'YEAR' | 'MONTH')
void numToYmInterval(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (anyNull(2, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const std::string unit = unitOf(argv[1]);
        long double months = numberOf(argv[0]);
        if (unit == "YEAR")
            months *= 12;
        else if (unit != "MONTH")
            throw OraError(1760, "illegal argument for function");
        const long double r = std::trunc(months);
        if (std::fabs(r) >= 12.0e9L)
            throw OraError(1873, "the leading precision of the interval is too small");
        sqlite3_result_int64(ctx, static_cast<int64_t>(r));
    });
}

} // namespace

void registerTimeZoneFunctions(Registrar& r)
{
    r.add("ORA_SYSTIMESTAMP", systimestamp);
    r.add("ORA_CURRENT_TIMESTAMP", currentTimestamp);
    r.add("ORA_SESSIONTIMEZONE", sessionTimeZone);
    r.add("ORA_FROM_TZ", fromTz);
    r.add("ORA_AT_TIME_ZONE", atTimeZone);
    r.add("ORA_SYS_EXTRACT_UTC", sysExtractUtc);
    r.add("ORA_TO_DSINTERVAL", toDsInterval);
    r.add("ORA_TO_YMINTERVAL", toYmInterval);
    r.add("ORA_NUMTODSINTERVAL", numToDsInterval);
    r.add("ORA_NUMTOYMINTERVAL", numToYmInterval);
}

} // namespace engine::fn::detail

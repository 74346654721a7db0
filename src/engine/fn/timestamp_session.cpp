#include "engine/fn/timestamp_session.h"

#include "engine/fn/dateformat.h"
#include "engine/fn/oraerror.h"

#include <ctime>

namespace engine::fn {

void startStatementClock(FunctionContext& c)
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm {};
    localtime_r(&ts.tv_sec, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    c.statementTime = buf;
    c.statementNanos = static_cast<int>(ts.tv_nsec);
}

int sessionOffset(const FunctionContext& c, std::string* zone)
{
    if (c.timeZone.empty()) {
        const int m = localOffsetMinutes();
        if (zone)
            *zone = offsetText(m);
        return m;
    }
    return parseTimeZone(c.timeZone, zone);
}

namespace {

DateTime nowOf(const FunctionContext& c)
{
    DateTime d;
    if (parseStoredDate(c.statementTime, d))
        return d;
    std::time_t t = std::time(nullptr);
    std::tm local {};
    localtime_r(&t, &local);
    return DateTime { local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
        local.tm_sec > 59 ? 59 : local.tm_sec };
}

} // namespace

Timestamp readDatetime(const FunctionContext& c, DtKind kind, std::string_view text, bool& hasZone)
{
    Timestamp t;
    hasZone = false;
    switch (kind) {
    case DtKind::Date:
        if (parseStoredDate(text, t.dt))
            return t;
        t.dt = DateFormat::parse(c.nlsDateFormat).parseDate(text, nowOf(c));
        return t;
    case DtKind::Timestamp:
        if (parseStoredTimestamp(text, t.dt, t.nanos))
            return t;
        break;
    case DtKind::TimestampTz:
        if (parseStoredTimestampTz(text, t)) {
            hasZone = true;
            return t;
        }
        break;
    case DtKind::TimestampLtz:
        if (parseStoredTimestamp(text, t.dt, t.nanos)) {
            t.offset = sessionOffset(c, &t.zone);
            shiftMinutes(t.dt, t.nanos, t.offset);
            hasZone = true;
            return t;
        }
        break;
    default:
        break;
    }
    // Text: the session's format of the kind.
    DateFormat::Extra extra;
    const bool tz = kind == DtKind::TimestampTz || kind == DtKind::Text;
    t.dt = DateFormat::parse(tz ? c.nlsTimestampTzFormat : c.nlsTimestampFormat).parseTimestamp(text, nowOf(c), extra);
    t.nanos = extra.nanos;
    if (extra.hasZone) {
        t.offset = extra.offset;
        t.zone = extra.zone;
        hasZone = true;
    }
    return t;
}

std::string writeDatetime(const FunctionContext& c, Timestamp value, bool hasZone, DtKind kind, int fraction)
{
    if (kind == DtKind::Date)
        return toStoredDate(value.dt);
    roundFraction(value.dt, value.nanos, fraction);
    if (kind == DtKind::Timestamp)
        return toStoredTimestamp(value.dt, value.nanos);
    if (!hasZone)
        value.offset = sessionOffset(c, &value.zone);
    if (kind == DtKind::TimestampTz)
        return toStoredTimestampTz(value);
    // WITH LOCAL TIME ZONE keeps UTC.
    shiftMinutes(value.dt, value.nanos, -value.offset);
    return toStoredTimestamp(value.dt, value.nanos);
}

std::string datetimeText(const FunctionContext& c, DtKind kind, const Timestamp& value, bool hasZone, int fraction)
{
    if (kind == DtKind::Date)
        return DateFormat::parse(c.nlsDateFormat).format(value.dt);
    DateFormat::Extra extra;
    extra.nanos = value.nanos;
    extra.fraction = fraction;
    extra.hasZone = hasZone;
    extra.offset = value.offset;
    extra.zone = value.zone.empty() ? offsetText(value.offset) : value.zone;
    std::string out;
    DateFormat::parse(kind == DtKind::TimestampTz ? c.nlsTimestampTzFormat : c.nlsTimestampFormat)
        .format(value.dt, extra, out);
    return out;
}

std::string clientText(const FunctionContext& c, DtKind kind, const std::string& stored, int64_t integer, int fraction,
    int leading)
{
    if (kind == DtKind::IntervalYM)
        return intervalYMText(integer, leading);
    if (kind == DtKind::IntervalDS)
        return intervalDSText(integer, leading, fraction);
    bool hasZone = false;
    Timestamp t;
    if (kind == DtKind::Timestamp) {
        if (!parseStoredTimestamp(stored, t.dt, t.nanos))
            return {};
    } else if (kind == DtKind::TimestampTz) {
        if (!parseStoredTimestampTz(stored, t))
            return {};
        hasZone = true;
    } else if (kind == DtKind::TimestampLtz) {
        if (!parseStoredTimestamp(stored, t.dt, t.nanos))
            return {};
        t.offset = sessionOffset(c, &t.zone);
        shiftMinutes(t.dt, t.nanos, t.offset);
    } else {
        return {};
    }
    std::string s = toStoredTimestamp(t.dt, t.nanos);
    s.resize(fraction > 0 ? size_t(20 + std::min(fraction, 9)) : 19);
    if (hasZone)
        s += " " + (t.zone.empty() ? offsetText(t.offset) : t.zone);
    return s;
}

std::string storedFromClient(const FunctionContext& c, DtKind kind, const std::string& text, bool isDate)
{
    Timestamp t;
    bool hasZone = false;
    if (isDate || (text.size() >= 19 && text[4] == '-' && text[10] == ' ' && text[13] == ':')) {
        // The client's date-time form: "YYYY-MM-DD HH:MM:SS[.fffffffff][ zone]".
        const size_t zoneAt = text.find(' ', 19);
        std::string head = text.substr(0, zoneAt);
        if (head.size() > 19 && head[19] == '.') {
            std::string frac = head.substr(20);
            if (frac.size() > 9)
                frac.resize(9);
            while (frac.size() < 9)
                frac += '0';
            head = head.substr(0, 19) + "." + frac;
        }
        if (!parseStoredTimestamp(head, t.dt, t.nanos))
            throw OraError(1861, "literal does not match format string");
        if (zoneAt != std::string::npos) {
            t.offset = parseTimeZone(text.substr(zoneAt + 1), &t.zone);
            hasZone = true;
        }
    } else {
        t = readDatetime(c, kind == DtKind::TimestampTz ? DtKind::Text : DtKind::Timestamp, text, hasZone);
    }
    return writeDatetime(c, t, hasZone, kind, 9);
}

} // namespace engine::fn

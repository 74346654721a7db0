#include "engine/fn/timestamp.h"

#include "engine/fn/oraerror.h"

#include <cstdio>
#include <ctime>

namespace engine::fn {

namespace {

bool digitsAt(std::string_view s, size_t at, size_t count)
{
    if (at + count > s.size())
        return false;
    for (size_t i = at; i < at + count; ++i)
        if (s[i] < '0' || s[i] > '9')
            return false;
    return true;
}

int numberAt(std::string_view s, size_t at, size_t count)
{
    int v = 0;
    for (size_t i = at; i < at + count; ++i)
        v = v * 10 + (s[i] - '0');
    return v;
}

int64_t pow10(int n)
{
    int64_t r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

[[noreturn]] void intervalInvalid()
{
    throw OraError(1867, "the interval is invalid");
}

[[noreturn]] void leadingTooSmall()
{
    throw OraError(1873, "the leading precision of the interval is too small");
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Reads an unsigned integer at p; false when there is no digit.
bool readInt(std::string_view s, size_t& p, int64_t& v, size_t* digits = nullptr)
{
    size_t start = p;
    v = 0;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
        if (v > 100000000000000LL)
            intervalInvalid();
        v = v * 10 + (s[p++] - '0');
    }
    if (digits)
        *digits = p - start;
    return p > start;
}

// Reads ".fffffffff" (up to nine digits kept, rounded) into nanoseconds.
int64_t readFraction(std::string_view s, size_t& p)
{
    if (p >= s.size() || s[p] != '.')
        return 0;
    ++p;
    int64_t nanos = 0;
    int n = 0;
    int roundDigit = -1;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
        if (n < 9)
            nanos = nanos * 10 + (s[p] - '0');
        else if (n == 9)
            roundDigit = s[p] - '0';
        ++n;
        ++p;
    }
    for (int i = n; i < 9; ++i)
        nanos *= 10;
    if (roundDigit >= 5)
        ++nanos;
    return nanos;
}

} // namespace

std::string toStoredTimestamp(const DateTime& d, int nanos)
{
    char b[40];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d.%09d", d.year, d.month, d.day, d.hour, d.minute,
        d.second, nanos);
    return std::string(b, 29);
}

bool parseStoredTimestamp(std::string_view text, DateTime& d, int& nanos)
{
    if (text.size() == 19) {
        nanos = 0;
        return parseStoredDate(text, d);
    }
    if (text.size() != 29 || text[19] != '.' || !digitsAt(text, 20, 9))
        return false;
    if (!parseStoredDate(text.substr(0, 19), d))
        return false;
    nanos = numberAt(text, 20, 9);
    return true;
}

std::string toStoredTimestampTz(const Timestamp& value)
{
    DateTime utc = value.dt;
    shiftMinutes(utc, value.nanos, -value.offset);
    return toStoredTimestamp(utc, value.nanos) + " " + (value.zone.empty() ? offsetText(value.offset) : value.zone);
}

bool parseStoredTimestampTz(std::string_view text, Timestamp& value)
{
    if (text.size() < 31 || text[29] != ' ')
        return false;
    if (!parseStoredTimestamp(text.substr(0, 29), value.dt, value.nanos))
        return false;
    try {
        value.offset = parseTimeZone(text.substr(30), &value.zone);
    } catch (const OraError&) {
        return false;
    }
    shiftMinutes(value.dt, value.nanos, value.offset);
    return true;
}

NanoNumber toNanoNumber(const DateTime& d, int nanos)
{
    return static_cast<NanoNumber>(toSecondNumber(d)) * kNanosPerSecond + nanos;
}

void fromNanoNumber(NanoNumber n, DateTime& d, int& nanos)
{
    NanoNumber seconds = n / kNanosPerSecond;
    NanoNumber rest = n % kNanosPerSecond;
    if (rest < 0) {
        rest += kNanosPerSecond;
        --seconds;
    }
    if (seconds < 0 || seconds > static_cast<NanoNumber>(INT64_MAX / 2))
        throw OraError(1841, "(full) year must be between -4713 and +9999, and not be 0");
    d = fromSecondNumber(static_cast<int64_t>(seconds));
    nanos = static_cast<int>(rest);
}

void shiftMinutes(DateTime& d, int nanos, int minutes)
{
    if (minutes == 0)
        return;
    int n = nanos;
    fromNanoNumber(toNanoNumber(d, nanos) + static_cast<NanoNumber>(minutes) * 60 * kNanosPerSecond, d, n);
}

void roundFraction(DateTime& d, int& nanos, int digits)
{
    if (digits >= 9)
        return;
    const int64_t unit = pow10(9 - digits);
    int64_t rounded = (nanos + unit / 2) / unit * unit;
    if (rounded >= kNanosPerSecond) {
        int n = 0;
        fromNanoNumber(toNanoNumber(d, 0) + kNanosPerSecond, d, n);
        rounded = 0;
    }
    nanos = static_cast<int>(rounded);
}

int parseTimeZone(std::string_view raw, std::string* zone)
{
    std::string_view text = trimmed(raw);
    if (text.empty())
        throw OraError(1857, "not a valid time zone");
    std::string upper;
    for (char c : text)
        upper.push_back(c >= 'a' && c <= 'z' ? char(c - 32) : c);
    if (upper == "UTC" || upper == "GMT" || upper == "Z") {
        if (zone)
            *zone = upper == "Z" ? "UTC" : upper;
        return 0;
    }
    size_t p = 0;
    int sign = 1;
    if (text[0] == '+' || text[0] == '-') {
        sign = text[0] == '-' ? -1 : 1;
        p = 1;
    }
    int64_t h = 0;
    int64_t m = 0;
    size_t hourDigits = 0;
    bool ok = readInt(text, p, h, &hourDigits) && hourDigits <= 2 && p < text.size() && text[p] == ':';
    if (ok) {
        ++p;
        size_t minuteDigits = 0;
        ok = readInt(text, p, m, &minuteDigits) && minuteDigits <= 2 && p == text.size();
    }
    if (!ok) {
        // Anything else would be a region name of the time zone file.
        throw OraError(1882, "timezone region not found");
    }
    if (h > 15)
        throw OraError(1874, "time zone hour must be between -15 and 15");
    if (m > 59)
        throw OraError(1875, "time zone minute must be between -59 and 59");
    const int minutes = sign * static_cast<int>(h * 60 + m);
    if (zone)
        *zone = offsetText(minutes);
    return minutes;
}

std::string offsetText(int minutes)
{
    char b[16];
    const int a = minutes < 0 ? -minutes : minutes;
    std::snprintf(b, sizeof b, "%c%02d:%02d", minutes < 0 ? '-' : '+', a / 60, a % 60);
    return b;
}

int localOffsetMinutes()
{
    std::time_t t = std::time(nullptr);
    std::tm local {};
    localtime_r(&t, &local);
    return static_cast<int>(local.tm_gmtoff / 60);
}

std::string intervalYMText(int64_t months, int leading)
{
    const bool negative = months < 0;
    const uint64_t a = negative ? uint64_t(-(months + 1)) + 1 : uint64_t(months);
    char b[48];
    std::snprintf(b, sizeof b, "%c%0*llu-%02llu", negative ? '-' : '+', leading, (unsigned long long)(a / 12),
        (unsigned long long)(a % 12));
    return b;
}

std::string intervalDSText(int64_t nanos, int leading, int fraction)
{
    const bool negative = nanos < 0;
    const uint64_t a = negative ? uint64_t(-(nanos + 1)) + 1 : uint64_t(nanos);
    const uint64_t seconds = a / kNanosPerSecond;
    const uint64_t frac = a % kNanosPerSecond;
    char b[80];
    int n = std::snprintf(b, sizeof b, "%c%0*llu %02llu:%02llu:%02llu", negative ? '-' : '+', leading,
        (unsigned long long)(seconds / 86400), (unsigned long long)(seconds / 3600 % 24),
        (unsigned long long)(seconds / 60 % 60), (unsigned long long)(seconds % 60));
    std::string r(b, size_t(n));
    if (fraction > 0) {
        char f[16];
        std::snprintf(f, sizeof f, "%09llu", (unsigned long long)frac);
        r += '.';
        r.append(f, size_t(fraction));
    }
    return r;
}

int64_t roundIntervalNanos(int64_t nanos, int fraction)
{
    if (fraction >= 9)
        return nanos;
    const int64_t unit = pow10(9 - fraction);
    const int64_t half = unit / 2;
    return nanos >= 0 ? (nanos + half) / unit * unit : -((-nanos + half) / unit * unit);
}

void checkIntervalYM(int64_t months, int leading)
{
    const int64_t years = (months < 0 ? -months : months) / 12;
    if (years >= pow10(leading))
        leadingTooSmall();
}

void checkIntervalDS(int64_t nanos, int leading)
{
    const int64_t days = (nanos < 0 ? -(nanos / kNanosPerDay) : nanos / kNanosPerDay);
    if (days >= pow10(leading))
        leadingTooSmall();
}

bool isYearMonth(const IntervalQualifier& q)
{
    return q.from == "YEAR" || q.from == "MONTH";
}

int64_t parseIntervalLiteral(std::string_view raw, const IntervalQualifier& q)
{
    std::string_view text = trimmed(raw);
    size_t p = 0;
    bool negative = false;
    if (p < text.size() && (text[p] == '-' || text[p] == '+')) {
        negative = text[p] == '-';
        ++p;
    }
    const std::string& to = q.to.empty() ? q.from : q.to;
    int64_t lead = 0;
    size_t leadDigits = 0;
    if (!readInt(text, p, lead, &leadDigits))
        intervalInvalid();
    if (leadDigits > size_t(q.leading)) {
        // Leading zeros do not count against the precision.
        if (lead >= pow10(q.leading))
            leadingTooSmall();
    }
    if (isYearMonth(q)) {
        int64_t months = 0;
        if (q.from == "YEAR" && to == "MONTH") {
            int64_t m = 0;
            size_t md = 0;
            if (p >= text.size() || text[p] != '-')
                intervalInvalid();
            ++p;
            if (!readInt(text, p, m, &md) || md > 2)
                intervalInvalid();
            if (m > 11)
                throw OraError(1843, "not a valid month");
            months = lead * 12 + m;
        } else {
            months = q.from == "YEAR" ? lead * 12 : lead;
        }
        if (p != text.size())
            intervalInvalid();
        return negative ? -months : months;
    }
    static const char* const order[] = { "DAY", "HOUR", "MINUTE", "SECOND" };
    auto index = [](const std::string& f) {
        for (int i = 0; i < 4; ++i)
            if (f == order[i])
                return i;
        return -1;
    };
    const int first = index(q.from);
    const int last = index(to);
    if (first < 0 || last < first)
        intervalInvalid();
    static const int64_t unitNanos[] = { kNanosPerDay, 3600 * kNanosPerSecond, 60 * kNanosPerSecond, kNanosPerSecond };
    NanoNumber total = static_cast<NanoNumber>(lead) * unitNanos[first];
    if (first == 3)
        total += readFraction(text, p);
    for (int field = first + 1; field <= last; ++field) {
        const char sep = field == 1 ? ' ' : ':';
        if (p >= text.size() || text[p] != sep)
            intervalInvalid();
        ++p;
        int64_t v = 0;
        size_t digits = 0;
        if (!readInt(text, p, v, &digits) || digits > 2)
            intervalInvalid();
        if (field == 1 && v > 23)
            throw OraError(1850, "hour must be between 0 and 23");
        if (field == 2 && v > 59)
            throw OraError(1851, "minutes must be between 0 and 59");
        if (field == 3 && v > 59)
            throw OraError(1852, "seconds must be between 0 and 59");
        total += static_cast<NanoNumber>(v) * unitNanos[field];
        if (field == 3)
            total += readFraction(text, p);
    }
    if (p != text.size())
        intervalInvalid();
    if (total > static_cast<NanoNumber>(INT64_MAX))
        leadingTooSmall();
    int64_t nanos = static_cast<int64_t>(total);
    nanos = roundIntervalNanos(nanos, last == 3 ? q.fraction : 9);
    return negative ? -nanos : nanos;
}

int64_t parseYMInterval(std::string_view raw)
{
    std::string_view text = trimmed(raw);
    size_t p = 0;
    bool negative = false;
    if (p < text.size() && (text[p] == '-' || text[p] == '+')) {
        negative = text[p] == '-';
        ++p;
    }
    int64_t years = 0;
    int64_t months = 0;
    if (p < text.size() && (text[p] == 'P' || text[p] == 'p')) {
        ++p;
        bool any = false;
        while (p < text.size()) {
            int64_t v = 0;
            if (!readInt(text, p, v) || p >= text.size())
                intervalInvalid();
            const char u = text[p] >= 'a' ? char(text[p] - 32) : text[p];
            ++p;
            if (u == 'Y')
                years = v;
            else if (u == 'M')
                months = v;
            else if (u == 'D')
                ; // days do not count in a year-to-month interval
            else
                intervalInvalid();
            any = true;
        }
        if (!any)
            intervalInvalid();
        const int64_t total = years * 12 + months;
        return negative ? -total : total;
    }
    if (!readInt(text, p, years) || p >= text.size() || text[p] != '-')
        intervalInvalid();
    ++p;
    if (!readInt(text, p, months) || p != text.size())
        intervalInvalid();
    if (months > 11)
        throw OraError(1843, "not a valid month");
    if (years > 999999999)
        leadingTooSmall();
    const int64_t total = years * 12 + months;
    return negative ? -total : total;
}

int64_t parseDSInterval(std::string_view raw)
{
    std::string_view text = trimmed(raw);
    size_t p = 0;
    bool negative = false;
    if (p < text.size() && (text[p] == '-' || text[p] == '+')) {
        negative = text[p] == '-';
        ++p;
    }
    NanoNumber total = 0;
    if (p < text.size() && (text[p] == 'P' || text[p] == 'p')) {
        ++p;
        bool time = false;
        bool any = false;
        while (p < text.size()) {
            if (text[p] == 'T' || text[p] == 't') {
                time = true;
                ++p;
                continue;
            }
            int64_t v = 0;
            if (!readInt(text, p, v))
                intervalInvalid();
            int64_t frac = 0;
            if (time)
                frac = readFraction(text, p);
            if (p >= text.size())
                intervalInvalid();
            const char u = text[p] >= 'a' ? char(text[p] - 32) : text[p];
            ++p;
            if (!time && u == 'D')
                total += static_cast<NanoNumber>(v) * kNanosPerDay;
            else if (time && u == 'H')
                total += static_cast<NanoNumber>(v) * 3600 * kNanosPerSecond;
            else if (time && u == 'M')
                total += static_cast<NanoNumber>(v) * 60 * kNanosPerSecond;
            else if (time && u == 'S')
                total += static_cast<NanoNumber>(v) * kNanosPerSecond + frac;
            else
                intervalInvalid();
            any = true;
        }
        if (!any)
            intervalInvalid();
    } else {
        IntervalQualifier q { "DAY", "SECOND", 9, 9 };
        const int64_t n = parseIntervalLiteral(text.substr(p), q);
        if (n < 0)
            intervalInvalid();
        total = n;
    }
    if (total > static_cast<NanoNumber>(INT64_MAX))
        leadingTooSmall();
    const int64_t n = static_cast<int64_t>(total);
    return negative ? -n : n;
}

bool parseTimestampLiteral(std::string_view raw, Timestamp& out)
{
    std::string_view text = trimmed(raw);
    auto bad = [] { throw OraError(1861, "literal does not match format string"); };
    // YYYY-MM-DD, then an optional time HH24:MI:SS[.FF], then an optional zone.
    size_t p = 0;
    int64_t y = 0, mo = 0, d = 0;
    size_t digits = 0;
    if (!readInt(text, p, y, &digits) || digits > 4 || p >= text.size() || text[p] != '-')
        bad();
    ++p;
    if (!readInt(text, p, mo, &digits) || digits > 2 || p >= text.size() || text[p] != '-')
        bad();
    ++p;
    if (!readInt(text, p, d, &digits) || digits > 2)
        bad();
    int64_t h = 0, mi = 0, s = 0;
    int64_t frac = 0;
    if (p < text.size() && text[p] == ' ') {
        while (p < text.size() && text[p] == ' ')
            ++p;
        if (!readInt(text, p, h, &digits) || digits > 2 || p >= text.size() || text[p] != ':')
            bad();
        ++p;
        if (!readInt(text, p, mi, &digits) || digits > 2)
            bad();
        if (p < text.size() && text[p] == ':') {
            ++p;
            if (!readInt(text, p, s, &digits) || digits > 2)
                bad();
            frac = readFraction(text, p);
        }
    }
    if (y < 1 || y > 9999)
        throw OraError(1841, "(full) year must be between -4713 and +9999, and not be 0");
    if (mo < 1 || mo > 12)
        throw OraError(1843, "not a valid month");
    if (d < 1 || d > daysInMonth(int(y), int(mo)))
        throw OraError(1847, "day of month must be between 1 and last day of month");
    if (h > 23)
        throw OraError(1850, "hour must be between 0 and 23");
    if (mi > 59)
        throw OraError(1851, "minutes must be between 0 and 59");
    if (s > 59)
        throw OraError(1852, "seconds must be between 0 and 59");
    out.dt = DateTime { int(y), int(mo), int(d), int(h), int(mi), int(s) };
    if (!isValidDate(out.dt.year, out.dt.month, out.dt.day))
        throw OraError(1839, "date not valid for month specified");
    out.nanos = int(frac);
    if (out.nanos >= kNanosPerSecond)
        out.nanos = int(kNanosPerSecond - 1);
    while (p < text.size() && text[p] == ' ')
        ++p;
    if (p == text.size())
        return false;
    out.offset = parseTimeZone(text.substr(p), &out.zone);
    return true;
}

} // namespace engine::fn

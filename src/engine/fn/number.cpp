#include "engine/fn/number.h"

#include "engine/fn/decimal.h"
#include "engine/fn/oraerror.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace engine::fn {

namespace {

[[noreturn]] void invalidNumber()
{
    throw OraError(1722, "invalid number");
}

} // namespace

NumberValue NumberValue::ofReal(double v)
{
    if (v == std::trunc(v) && v >= -9.2e18 && v <= 9.2e18)
        return ofInteger(int64_t(v));
    return { false, 0, v, {} };
}

Decimal Decimal::of(const NumberValue& v)
{
    Decimal d;
    if (v.isExactText()) {
        std::string_view text = v.exact;
        const bool negative = !text.empty() && text[0] == '-';
        if (negative)
            text.remove_prefix(1);
        parseDecimal(text, negative, d);
        return d;
    }
    if (v.isInteger) {
        if (v.integer == 0)
            return d;
        d.negative = v.integer < 0;
        uint64_t magnitude = d.negative ? uint64_t(0) - uint64_t(v.integer) : uint64_t(v.integer);
        char buffer[24];
        auto res = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
        int length = int(res.ptr - buffer);
        d.exponent = length;
        while (length > 0 && buffer[length - 1] == '0')
            --length;
        std::memcpy(d.digits, buffer, size_t(length));
        d.count = length;
        return d;
    }
    double x = v.real;
    if (x == 0 || !std::isfinite(x))
        return d;
    d.negative = x < 0;
    char buffer[40];
    // Scientific with 15 significant digits: "d.ddddddddddddddde+XX"; to_chars ignores the C locale's decimal point.
    auto res = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x), std::chars_format::scientific, 14);
    std::string_view text(buffer, size_t(res.ptr - buffer));
    size_t e = text.find('e');
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
    int n = 0;
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            d.digits[n++] = text[i];
    while (n > 0 && d.digits[n - 1] == '0')
        --n;
    d.count = n;
    d.exponent = exponent + 1;
    return d;
}

void Decimal::round(int scale, bool truncate)
{
    if (count == 0)
        return;
    int keep = exponent + scale; // digits that stay
    if (keep >= count)
        return;
    if (keep < 0) {
        count = 0;
        exponent = 0;
        negative = false;
        return;
    }
    bool up = !truncate && digits[keep] >= '5';
    count = keep;
    if (up) {
        int i = count - 1;
        while (i >= 0 && digits[i] == '9')
            --i;
        if (i < 0) {
            digits[0] = '1';
            count = 1;
            ++exponent;
        } else {
            ++digits[i];
            count = i + 1;
        }
    }
    while (count > 0 && digits[count - 1] == '0')
        --count;
    if (count == 0) {
        exponent = 0;
        negative = false;
    }
}

NumberValue Decimal::value() const
{
    Decimal d = *this;
    if (d.count == 0)
        return NumberValue::ofInteger(0);
    // Twenty base-100 digits: 40 decimal digits when the first one fills a pair, else 39.
    const int limit = d.exponent % 2 == 0 ? 40 : 39;
    if (d.count > limit)
        d.round(limit - d.exponent);
    if (d.count == 0)
        return NumberValue::ofInteger(0);
    if (d.exponent > 126)
        throw OraError(1426, "numeric overflow");
    if (d.exponent < -129)
        return NumberValue::ofInteger(0);
    if (d.exponent >= d.count && d.exponent <= 19) {
        uint64_t v = 0;
        bool fits = true;
        for (int i = 0; i < d.exponent && fits; ++i)
            fits = !__builtin_mul_overflow(v, 10, &v) && !__builtin_add_overflow(v, uint64_t(i < d.count ? d.digits[i] - '0' : 0), &v);
        if (fits && v <= (d.negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX)))
            return NumberValue::ofInteger(d.negative ? int64_t(uint64_t(0) - v) : int64_t(v));
    }
    // The double read from d1.d2d3...E(exponent - 1).
    char buffer[kDecimalCapacity + 16];
    int n = 0;
    if (d.negative)
        buffer[n++] = '-';
    buffer[n++] = d.digits[0];
    buffer[n++] = '.';
    std::memcpy(buffer + n, d.digits + 1, size_t(d.count - 1));
    n += d.count - 1;
    buffer[n++] = 'e';
    auto res = std::to_chars(buffer + n, buffer + sizeof buffer, d.exponent - 1);
    double x = 0;
    std::from_chars(buffer, res.ptr, x);
    NumberValue r { false, 0, x, {} };
    if (d.count > 15)
        appendDecimalText(r.exact, d);
    return r;
}

NumberValue canonicalNumber(double x)
{
    const double ax = std::fabs(x);
    if (x == std::trunc(x) && ax <= 9.2e18)
        return NumberValue::ofInteger(int64_t(x));
    if (ax >= 1e-5 && ax < 1e15) {
        // x is already the double of a decimal m / 10^k of at most 15 digits: that decimal is its value.
        static constexpr double kPowers[] = { 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13,
            1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20 };
        for (double p : kPowers) {
            const double scaled = ax * p;
            if (scaled >= 1e15)
                break;
            if (std::nearbyint(scaled) / p == ax)
                return NumberValue { false, 0, x, {} };
        }
    }
    if (!std::isfinite(x))
        return NumberValue { false, 0, x, {} };
    return Decimal::of(NumberValue::ofReal(x)).value();
}

void appendDecimalText(std::string& out, const Decimal& d)
{
    if (d.count == 0) {
        out.push_back('0');
        return;
    }
    if (d.negative)
        out.push_back('-');
    // Text longer than 64 characters switches to scientific notation, as Oracle's text-minimum format does.
    int positional = d.exponent <= 0 ? 1 - d.exponent + d.count : d.exponent >= d.count ? d.exponent : d.count + 1;
    if (positional > 64) {
        out.push_back(d.digits[0]);
        if (d.count > 1) {
            out.push_back('.');
            out.append(d.digits + 1, size_t(d.count - 1));
        }
        int e = d.exponent - 1;
        out.push_back('E');
        out.push_back(e < 0 ? '-' : '+');
        char buffer[8];
        auto res = std::to_chars(buffer, buffer + sizeof buffer, e < 0 ? -e : e);
        if (res.ptr - buffer < 2)
            out.push_back('0');
        out.append(buffer, res.ptr);
        return;
    }
    if (d.exponent <= 0) {
        out.push_back('.');
        out.append(size_t(-d.exponent), '0');
        out.append(d.digits, size_t(d.count));
    } else if (d.exponent >= d.count) {
        out.append(d.digits, size_t(d.count));
        out.append(size_t(d.exponent - d.count), '0');
    } else {
        out.append(d.digits, size_t(d.exponent));
        out.push_back('.');
        out.append(d.digits + d.exponent, size_t(d.count - d.exponent));
    }
}

void appendNumberText(std::string& out, const NumberValue& v)
{
    if (v.isExactText()) {
        out.append(v.exact);
        return;
    }
    if (v.isInteger) {
        char buffer[24];
        auto res = std::to_chars(buffer, buffer + sizeof buffer, v.integer);
        out.append(buffer, res.ptr);
        return;
    }
    if (std::isnan(v.real) || std::isinf(v.real)) {
        // Oracle's BINARY_DOUBLE texts; a NUMBER never holds them, but a double expression may.
        out.append(std::isnan(v.real) ? "Nan" : v.real > 0 ? "Inf" : "-Inf");
        return;
    }
    appendDecimalText(out, Decimal::of(v));
}

std::string numberText(const NumberValue& v)
{
    std::string s;
    appendNumberText(s, v);
    return s;
}

bool tryParseNumberText(std::string_view text, NumberValue& out)
{
    size_t b = 0;
    size_t e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t' || text[b] == '\n' || text[b] == '\r'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\n' || text[e - 1] == '\r'))
        --e;
    if (b == e)
        return false;
    size_t p = b;
    bool negative = false;
    if (text[p] == '+' || text[p] == '-') {
        negative = text[p] == '-';
        ++p;
    }
    size_t intStart = p;
    while (p < e && text[p] >= '0' && text[p] <= '9')
        ++p;
    size_t intEnd = p;
    size_t fracStart = p;
    size_t fracEnd = p;
    bool hasPoint = false;
    if (p < e && text[p] == '.') {
        hasPoint = true;
        fracStart = ++p;
        while (p < e && text[p] >= '0' && text[p] <= '9')
            ++p;
        fracEnd = p;
    }
    if (intEnd == intStart && fracEnd == fracStart)
        return false;
    bool hasExponent = false;
    if (p < e && (text[p] == 'e' || text[p] == 'E')) {
        hasExponent = true;
        ++p;
        if (p < e && (text[p] == '+' || text[p] == '-'))
            ++p;
        size_t digitsStart = p;
        while (p < e && text[p] >= '0' && text[p] <= '9')
            ++p;
        if (p == digitsStart)
            return false;
    }
    if (p != e)
        return false;
    bool fractionIsZero = true;
    for (size_t i = fracStart; i < fracEnd; ++i)
        if (text[i] != '0')
            fractionIsZero = false;
    if (!hasExponent && fractionIsZero) {
        // Integral text: exact while it fits in 64 bits.
        size_t s = intStart;
        while (s < intEnd && text[s] == '0')
            ++s;
        if (intEnd - s <= 18 || (intEnd - s == 19 && text.substr(s, 19) <= "9223372036854775807")) {
            int64_t v = 0;
            for (size_t i = s; i < intEnd; ++i)
                v = v * 10 + (text[i] - '0');
            out = NumberValue::ofInteger(negative ? -v : v);
            return true;
        }
    }
    (void)hasPoint;
    Decimal d;
    parseDecimal(text.substr(intStart, e - intStart), negative, d);
    out = d.value();
    return true;
}

NumberValue parseNumberText(std::string_view text)
{
    NumberValue v;
    if (!tryParseNumberText(text, v))
        invalidNumber();
    return v;
}

namespace {

NumberValue roundOrTrunc(const NumberValue& v, int64_t digits, bool truncate)
{
    if (v.isInteger) {
        if (digits >= 0)
            return v;
        if (digits < -18) {
            Decimal d = Decimal::of(v);
            d.round(int(std::max<int64_t>(digits, -400)), truncate);
            return d.value();
        }
        int64_t p = 1;
        for (int64_t i = 0; i < -digits; ++i)
            p *= 10;
        int64_t q = v.integer / p;
        int64_t r = v.integer % p;
        if (!truncate && (r >= 0 ? r : -r) * 2 >= p)
            q += v.integer < 0 ? -1 : 1;
        // A result beyond 64 bits goes through the decimal path.
        if (q > INT64_MAX / p || q < INT64_MIN / p) {
            Decimal d = Decimal::of(v);
            d.round(int(digits), truncate);
            return d.value();
        }
        return NumberValue::ofInteger(q * p);
    }
    if (!std::isfinite(v.real))
        return v;
    Decimal d = Decimal::of(v);
    d.round(int(std::clamp<int64_t>(digits, -400, 400)), truncate);
    return d.value();
}

} // namespace

NumberValue roundNumber(const NumberValue& v, int64_t digits)
{
    return roundOrTrunc(v, digits, false);
}

NumberValue truncNumber(const NumberValue& v, int64_t digits)
{
    return roundOrTrunc(v, digits, true);
}

} // namespace engine::fn

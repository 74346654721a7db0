#include "engine/fn/arithmetic.h"

#include "engine/fn/oraerror.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace engine::fn {

namespace {

__extension__ typedef __int128 Wide;
__extension__ typedef unsigned __int128 UWide;

// value = mantissa x 10^exponent
struct Exact {
    Wide mantissa = 0;
    int exponent = 0;
};

constexpr int kMaxPower = 38;

Wide powerOfTen(int n)
{
    Wide p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

// The exact decimal an operand stands for: an integer as it is, a double as its shortest round-trip text (the
// literal or stored value it came from, not the binary fraction behind it).
bool toExact(const NumberValue& v, Exact& out)
{
    if (v.isInteger) {
        out = { v.integer, 0 };
        return true;
    }
    const double x = v.real;
    if (!std::isfinite(x))
        return false;
    if (x == 0) {
        out = { 0, 0 };
        return true;
    }
    if (std::fabs(x) <= 0x1p64 && x == std::trunc(x)) {
        // A whole double beyond 2^53 most likely came from 64-bit integer arithmetic: its exact value, not the
        // shortest text, is the number it stands for.
        out = { Wide(x), 0 };
        return true;
    }
    char buffer[40];
    auto res = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x), std::chars_format::scientific);
    const char* p = buffer;
    int64_t digits = 0;
    int count = 0;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p != '.') {
            digits = digits * 10 + (*p - '0');
            ++count;
        }
    int exponent = 0;
    if (p < res.ptr) {
        ++p;
        if (p < res.ptr && *p == '+')
            ++p;
        std::from_chars(p, res.ptr, exponent);
    }
    out = { x < 0 ? -Wide(digits) : Wide(digits), exponent - (count - 1) };
    return true;
}

bool scaleUp(Wide& m, int by)
{
    if (by == 0)
        return true;
    if (by > kMaxPower)
        return m == 0;
    return !__builtin_mul_overflow(m, powerOfTen(by), &m);
}

bool addExact(const Exact& a, const Exact& b, Exact& out)
{
    Wide x = a.mantissa;
    Wide y = b.mantissa;
    const int exponent = a.exponent < b.exponent ? a.exponent : b.exponent;
    if (!scaleUp(x, a.exponent - exponent) || !scaleUp(y, b.exponent - exponent))
        return false;
    out.exponent = exponent;
    return !__builtin_add_overflow(x, y, &out.mantissa);
}

bool multiplyExact(const Exact& a, const Exact& b, Exact& out)
{
    out.exponent = a.exponent + b.exponent;
    return !__builtin_mul_overflow(a.mantissa, b.mantissa, &out.mantissa);
}

// The double nearest the exact value (from_chars rounds correctly), unchecked against NUMBER's range.
double nearestDouble(Wide m, int exponent)
{
    char buffer[64];
    char* end = buffer + sizeof buffer;
    char* p = end;
    UWide magnitude = m < 0 ? UWide(0) - UWide(m) : UWide(m);
    do {
        *--p = char('0' + int(magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    std::string text(p, end);
    text += 'e';
    text += std::to_string(exponent);
    double x = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), x);
    if (res.ec == std::errc::result_out_of_range)
        x = exponent > 0 ? HUGE_VAL : 0.0;
    return m < 0 ? -x : x;
}

NumberValue fromExact(Wide m, int exponent)
{
    if (m == 0)
        return NumberValue::ofInteger(0);
    while (exponent < 0 && m % 10 == 0) {
        m /= 10;
        ++exponent;
    }
    if (exponent >= 0 && exponent <= 18) {
        Wide whole = m;
        if (scaleUp(whole, exponent) && whole >= INT64_MIN && whole <= INT64_MAX)
            return NumberValue::ofInteger(int64_t(whole));
    }
    return checkedNumber(nearestDouble(m, exponent));
}

enum class Op { Add, Subtract, Multiply };

NumberValue combine(const NumberValue& a, const NumberValue& b, Op op)
{
    if (a.isInteger && b.isInteger) {
        int64_t r = 0;
        bool overflow = op == Op::Add ? __builtin_add_overflow(a.integer, b.integer, &r)
            : op == Op::Subtract      ? __builtin_sub_overflow(a.integer, b.integer, &r)
                                      : __builtin_mul_overflow(a.integer, b.integer, &r);
        if (!overflow)
            return NumberValue::ofInteger(r);
    }
    Exact x;
    Exact y;
    if (toExact(a, x) && toExact(b, y)) {
        if (op == Op::Subtract)
            y.mantissa = -y.mantissa;
        Exact r;
        if (op == Op::Multiply ? multiplyExact(x, y, r) : addExact(x, y, r))
            return fromExact(r.mantissa, r.exponent);
    }
    const double da = a.toDouble();
    const double db = b.toDouble();
    const double r = op == Op::Add ? da + db : op == Op::Subtract ? da - db : da * db;
    // An infinite operand is a BINARY_DOUBLE value, which has no range to leave.
    if (!std::isfinite(da) || !std::isfinite(db))
        return NumberValue { false, 0, r };
    return checkedNumber(r);
}

// Quotient of exact decimals with more digits than a double holds, rounded half away from zero, so a quotient
// that is a short decimal (0.3 / 0.1, 7 / 2) comes out exactly.
NumberValue quotient(Wide m, int exponent, Wide divisor)
{
    if (divisor < 0) {
        divisor = -divisor;
        m = -m;
    }
    const Wide limit = powerOfTen(36);
    while (m != 0 && m < limit && m > -limit) {
        m *= 10;
        --exponent;
    }
    Wide q = m / divisor;
    const Wide r = m % divisor;
    if ((r < 0 ? -r : r) * 2 >= divisor)
        q += m < 0 ? -1 : 1;
    return fromExact(q, exponent);
}

} // namespace

NumberValue divideNumbers(const NumberValue& a, const NumberValue& b)
{
    if (a.isInteger && b.isInteger && b.integer != 0 && !(a.integer == INT64_MIN && b.integer == -1)
        && a.integer % b.integer == 0)
        return NumberValue::ofInteger(a.integer / b.integer);
    Exact x;
    Exact y;
    if (toExact(a, x) && toExact(b, y) && y.mantissa != 0)
        return quotient(x.mantissa, x.exponent - y.exponent, y.mantissa);
    const double r = a.toDouble() / b.toDouble();
    if (!std::isfinite(a.toDouble()) || !std::isfinite(b.toDouble()))
        return NumberValue { false, 0, r };
    return checkedNumber(r);
}

NumberValue checkedNumber(double x)
{
    if (!std::isfinite(x) || std::fabs(x) >= 1e126)
        throw OraError(1426, "numeric overflow");
    return NumberValue::ofReal(x);
}

NumberValue addNumbers(const NumberValue& a, const NumberValue& b)
{
    return combine(a, b, Op::Add);
}

NumberValue subtractNumbers(const NumberValue& a, const NumberValue& b)
{
    return combine(a, b, Op::Subtract);
}

NumberValue multiplyNumbers(const NumberValue& a, const NumberValue& b)
{
    return combine(a, b, Op::Multiply);
}

void DecimalTotal::add(const NumberValue& v)
{
    ++count;
    if (inexact) {
        approximate += v.toDouble();
        return;
    }
    const Wide current = Wide(UWide(uint64_t(mantissaHigh)) << 64 | UWide(mantissaLow));
    Exact x;
    Exact total;
    if (toExact(v, x) && addExact({ current, exponent }, x, total)) {
        // Trailing zeros off, so a long run of amounts with few decimals keeps the total small.
        while (total.exponent < 0 && total.mantissa != 0 && total.mantissa % 10 == 0) {
            total.mantissa /= 10;
            ++total.exponent;
        }
        mantissaLow = uint64_t(UWide(total.mantissa));
        mantissaHigh = int64_t(uint64_t(UWide(total.mantissa) >> 64));
        exponent = total.mantissa == 0 ? 0 : total.exponent;
        return;
    }
    inexact = true;
    approximate = nearestDouble(current, exponent) + v.toDouble();
}

NumberValue DecimalTotal::sum() const
{
    if (inexact)
        return checkedNumber(approximate);
    return fromExact(Wide(UWide(uint64_t(mantissaHigh)) << 64 | UWide(mantissaLow)), exponent);
}

NumberValue DecimalTotal::average() const
{
    if (inexact)
        return checkedNumber(approximate / double(count));
    return quotient(Wide(UWide(uint64_t(mantissaHigh)) << 64 | UWide(mantissaLow)), exponent, count);
}

} // namespace engine::fn

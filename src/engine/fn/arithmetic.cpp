#include "engine/fn/arithmetic.h"

#include "engine/fn/decimal.h"
#include "engine/fn/oraerror.h"

#include <cmath>

namespace engine::fn {

namespace {

enum class Op { Add, Subtract, Multiply };

// An infinite or NaN operand is a BINARY_DOUBLE-like value, which has no range to leave: such operands stay doubles.
bool isDoubleOnly(const NumberValue& v)
{
    return !v.isInteger && !std::isfinite(v.real);
}

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
    if (isDoubleOnly(a) || isDoubleOnly(b)) {
        const double da = a.toDouble();
        const double db = b.toDouble();
        return NumberValue { false, 0, op == Op::Add ? da + db : op == Op::Subtract ? da - db : da * db, {} };
    }
    const Decimal x = Decimal::of(a);
    const Decimal y = Decimal::of(b);
    const Decimal r = op == Op::Add ? addDecimals(x, y)
        : op == Op::Subtract        ? subtractDecimals(x, y)
                                    : multiplyDecimals(x, y);
    return r.value();
}

} // namespace

NumberValue divideNumbers(const NumberValue& a, const NumberValue& b)
{
    if (a.isInteger && b.isInteger && b.integer != 0 && !(a.integer == INT64_MIN && b.integer == -1)
        && a.integer % b.integer == 0)
        return NumberValue::ofInteger(a.integer / b.integer);
    if (isDoubleOnly(a) || isDoubleOnly(b) || b.isZero())
        return NumberValue { false, 0, a.toDouble() / b.toDouble(), {} };
    return divideDecimals(Decimal::of(a), Decimal::of(b)).value();
}

NumberValue checkedNumber(double x)
{
    if (!std::isfinite(x) || std::fabs(x) >= 1e126)
        throw OraError(1426, "numeric overflow");
    // A double stands for its 15 significant digits, in the engine's one form for that value.
    return canonicalNumber(x);
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
    if (!decimal && v.isInteger) {
        __extension__ typedef __int128 Wide;
        __extension__ typedef unsigned __int128 UWide;
        const Wide current = Wide(UWide(uint64_t(integerHigh)) << 64 | UWide(integerLow));
        Wide total = 0;
        if (!__builtin_add_overflow(current, Wide(v.integer), &total)) {
            integerLow = uint64_t(UWide(total));
            integerHigh = int64_t(uint64_t(UWide(total) >> 64));
            return;
        }
    }
    if (isDoubleOnly(v)) {
        inexact = true;
        approximate = sum().toDouble() + v.real;
        return;
    }
    if (!decimal) {
        // From here on the total is a decimal: the integers so far, then every value added exactly.
        total = integerPart();
        decimal = true;
    }
    // Each step keeps NUMBER's digits, as Oracle's running total does.
    Decimal next = addDecimals(total, Decimal::of(v));
    next.value(); // ORA-01426 when the total leaves NUMBER's range
    const int limit = next.exponent % 2 == 0 ? 40 : 39;
    if (next.count > limit)
        next.round(limit - next.exponent);
    total = next;
}

Decimal DecimalTotal::integerPart() const
{
    __extension__ typedef __int128 Wide;
    __extension__ typedef unsigned __int128 UWide;
    Wide w = Wide(UWide(uint64_t(integerHigh)) << 64 | UWide(integerLow));
    Decimal d;
    if (w == 0)
        return d;
    d.negative = w < 0;
    UWide m = w < 0 ? UWide(0) - UWide(w) : UWide(w);
    char buffer[48];
    int n = 0;
    while (m != 0) {
        buffer[n++] = char('0' + int(m % 10));
        m /= 10;
    }
    d.exponent = n;
    int first = 0;
    while (first < n && buffer[first] == '0')
        ++first; // trailing zeros of the number are the first characters here
    d.count = n - first;
    for (int i = 0; i < d.count; ++i)
        d.digits[i] = buffer[n - 1 - i];
    return d;
}

NumberValue DecimalTotal::sum() const
{
    if (inexact)
        return NumberValue { false, 0, approximate, {} };
    return (decimal ? total : integerPart()).value();
}

NumberValue DecimalTotal::average() const
{
    if (inexact)
        return NumberValue { false, 0, approximate / double(count), {} };
    return divideDecimals(decimal ? total : integerPart(), Decimal::of(NumberValue::ofInteger(count))).value();
}

} // namespace engine::fn

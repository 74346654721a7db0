// Numeric functions: ROUND and TRUNC of numbers, MOD (sign of the dividend), FLOOR, CEIL, POWER, SIGN, ABS, SQRT,
// EXP, LN, LOG, and division with Oracle's result (7/2 is 3.5, a zero divisor is ORA-01476).
#include "engine/fn/arithmetic.h"
#include "engine/fn/decimal.h"
#include "engine/fn/fnutil.h"

#include <algorithm>
#include <cmath>

namespace engine::fn::detail {

namespace {

// A double as its 15 significant digits, so 2.9999999999999996 floors as the 3 it stands for.
NumberValue normalized(const NumberValue& v)
{
    if (v.isInteger || !std::isfinite(v.real))
        return v;
    return Decimal::of(v).value();
}

[[noreturn]] void outOfRange(const NumberValue& v)
{
    std::string text = "argument '";
    appendNumberText(text, v);
    text += "' is out of range";
    throw OraError(1428, text);
}

NumberValue fromDouble(double x)
{
    return checkedNumber(x);
}

template <bool Round> void roundOrTrunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        NumberValue n = numberArg(argv[0]);
        int64_t digits = argc > 1 ? integerArg(argv[1]) : 0;
        resultNumber(ctx, Round ? roundNumber(n, digits) : truncNumber(n, digits));
    });
}

void mod(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        NumberValue m = numberArg(argv[0]);
        NumberValue n = numberArg(argv[1]);
        if (n.isZero()) {
            resultNumber(ctx, m);
            return;
        }
        if (m.isInteger && n.isInteger) {
            resultNumber(ctx, NumberValue::ofInteger(n.integer == -1 ? 0 : m.integer % n.integer));
            return;
        }
        // m - n * TRUNC(m / n) in decimal arithmetic, as Oracle defines MOD.
        const NumberValue q = truncNumber(divideNumbers(m, n), 0);
        resultNumber(ctx, subtractNumbers(m, multiplyNumbers(n, q)));
    });
}

template <bool Floor> void floorOrCeil(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        NumberValue n = normalized(numberArg(argv[0]));
        if (n.isInteger || !std::isfinite(n.real)) {
            resultNumber(ctx, n);
            return;
        }
        // The whole part toward zero, one step further when that is on the wrong side.
        NumberValue whole = truncNumber(n, 0);
        if (compareNumbers(whole, n) != 0 && n.isNegative() == Floor)
            whole = addNumbers(whole, NumberValue::ofInteger(Floor ? -1 : 1));
        resultNumber(ctx, whole);
    });
}

void negate(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const NumberValue n = numberArg(argv[0]);
        resultNumber(ctx, subtractNumbers(NumberValue::ofInteger(0), n));
    });
}

// m ** n for a whole n, exact as Oracle's: by repeated squaring in decimal arithmetic.
NumberValue wholePower(const NumberValue& m, int64_t n)
{
    NumberValue result = NumberValue::ofInteger(1);
    NumberValue base = m;
    for (int64_t e = n < 0 ? -n : n; e > 0; e >>= 1) {
        if (e & 1)
            result = multiplyNumbers(result, base);
        if (e > 1)
            base = multiplyNumbers(base, base);
    }
    return n < 0 ? divideNumbers(NumberValue::ofInteger(1), result) : result;
}

void power(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        NumberValue m = numberArg(argv[0]);
        NumberValue n = normalized(numberArg(argv[1]));
        if (m.isNegative() && !n.isInteger)
            outOfRange(m);
        if (m.isZero() && n.isNegative())
            throw OraError(1428, "argument '0' is out of range");
        if (m.isInteger && n.isInteger && n.integer >= 0 && n.integer < 64) {
            // Exact while the product fits.
            int64_t result = 1;
            bool fits = true;
            for (int64_t i = 0; i < n.integer && fits; ++i)
                fits = !__builtin_mul_overflow(result, m.integer, &result);
            if (fits) {
                resultNumber(ctx, NumberValue::ofInteger(result));
                return;
            }
        }
        if (n.isInteger && n.integer > -4096 && n.integer < 4096 && std::isfinite(m.toDouble())) {
            try {
                resultNumber(ctx, wholePower(m, n.integer));
                return;
            } catch (const OraError&) {
                // Beyond NUMBER's range either way: the double says which (overflow or zero).
            }
        }
        resultNumber(ctx, fromDouble(std::pow(m.toDouble(), n.toDouble())));
    });
}

void sign(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        NumberValue n = numberArg(argv[0]);
        sqlite3_result_int(ctx, n.isZero() ? 0 : n.isNegative() ? -1 : 1);
    });
}

void absolute(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        NumberValue n = numberArg(argv[0]);
        if (n.isInteger && n.integer != INT64_MIN)
            resultNumber(ctx, NumberValue::ofInteger(n.integer < 0 ? -n.integer : n.integer));
        else if (!std::isfinite(n.real))
            resultNumber(ctx, NumberValue { false, 0, std::fabs(n.real), {} });
        else
            resultNumber(ctx, n.isNegative() ? subtractNumbers(NumberValue::ofInteger(0), n) : n);
    });
}

void squareRoot(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        NumberValue n = numberArg(argv[0]);
        if (n.isNegative())
            outOfRange(n);
        resultNumber(ctx, fromDouble(std::sqrt(n.toDouble())));
    });
}

void exponential(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] { resultNumber(ctx, fromDouble(std::exp(numberArg(argv[0]).toDouble()))); });
}

void naturalLog(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        NumberValue n = numberArg(argv[0]);
        if (n.isNegative() || n.isZero())
            outOfRange(n);
        resultNumber(ctx, fromDouble(std::log(n.toDouble())));
    });
}

void logarithm(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        NumberValue base = numberArg(argv[0]);
        NumberValue n = numberArg(argv[1]);
        if (base.isNegative() || base.isZero() || (base.isInteger && base.integer == 1))
            outOfRange(base);
        if (n.isNegative() || n.isZero())
            outOfRange(n);
        // Exact powers come out whole: LOG(10, 100) is 2, not 1.9999999999999998.
        resultNumber(ctx, normalized(fromDouble(std::log(n.toDouble()) / std::log(base.toDouble()))));
    });
}

void divide(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        NumberValue a = numberArg(argv[0]);
        NumberValue b = numberArg(argv[1]);
        if (b.isZero())
            throw OraError(1476, "divisor is equal to zero");
        resultNumber(ctx, divideNumbers(a, b));
    });
}

} // namespace

void registerNumericFunctions(Registrar& r)
{
    r.add("ORA_ROUND_NUMBER", roundOrTrunc<true>);
    r.add("ORA_TRUNC_NUMBER", roundOrTrunc<false>);
    r.add("ORA_MOD", mod);
    r.add("ORA_FLOOR", floorOrCeil<true>);
    r.add("ORA_CEIL", floorOrCeil<false>);
    r.add("ORA_POWER", power);
    r.add("ORA_SIGN", sign);
    r.add("ORA_ABS", absolute);
    r.add("ORA_SQRT", squareRoot);
    r.add("ORA_EXP", exponential);
    r.add("ORA_LN", naturalLog);
    r.add("ORA_LOG", logarithm);
    r.add("ORA_DIVIDE", divide);
    r.add("ORA_NEGATE", negate);
}

} // namespace engine::fn::detail

// Decimal NUMBER arithmetic and totals applied directly: the paths a case file cannot pick (exact 128-bit, the
// double fallback for operands far apart, overflow), each naming the Oracle behaviour it checks.
#include "engine/fn/arithmetic.h"
#include "engine/fn/oraerror.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

using engine::fn::DecimalTotal;
using engine::fn::NumberValue;
using engine::fn::OraError;

namespace {

NumberValue real(double v)
{
    return NumberValue::ofReal(v);
}

NumberValue whole(int64_t v)
{
    return NumberValue::ofInteger(v);
}

using Operation = NumberValue (*)(const NumberValue&, const NumberValue&);

struct ArithmeticCase {
    const char* oracle;
    Operation op;
    NumberValue a;
    NumberValue b;
    bool integer;
    double expected; // the double nearest Oracle's decimal result
};

} // namespace

TEST(DecimalArithmetic, ResultsAreTheDoubleNearestTheDecimalResult)
{
    const ArithmeticCase cases[] = {
        { "Oracle: 100 - 99.99 is .01", engine::fn::subtractNumbers, whole(100), real(99.99), false, 0.01 },
        { "Oracle: 0.1 + 0.2 is .3", engine::fn::addNumbers, real(0.1), real(0.2), false, 0.3 },
        { "Oracle: 1.1 * 1.1 is 1.21", engine::fn::multiplyNumbers, real(1.1), real(1.1), false, 1.21 },
        { "Oracle: 4.35 * 100 is the whole number 435", engine::fn::multiplyNumbers, real(4.35), whole(100), true,
            435 },
        { "Oracle: 0.3 - 0.1 - 0.2 cancels to 0", engine::fn::subtractNumbers,
            engine::fn::subtractNumbers(real(0.3), real(0.1)), real(0.2), true, 0 },
        { "Oracle: 2^63 - 1 + 1 leaves 64 bits exactly", engine::fn::addNumbers, whole(INT64_MAX), whole(1), false,
            9223372036854775808.0 },
        { "Oracle: 1E-100 + 1 needs more digits than 128 bits hold; the double sum is 1", engine::fn::addNumbers,
            real(1e-100), whole(1), true, 1 },
        { "Oracle: 0.3 / 0.1 is the whole number 3", engine::fn::divideNumbers, real(0.3), real(0.1), true, 3 },
        { "Oracle: 1 / 3 to 40 digits, nearest the double of 1/3", engine::fn::divideNumbers, whole(1), whole(3), false,
            1.0 / 3.0 },
        { "Oracle: -7 / 2 is -3.5", engine::fn::divideNumbers, whole(-7), whole(2), false, -3.5 },
        { "Oracle: 1E-100 / 1E100 is below NUMBER's 1E-130, so zero", engine::fn::divideNumbers, real(1e-100),
            real(1e100), true, 0 },
        { "Oracle: 1.5E-60 * 2E-60 is 3E-120", engine::fn::multiplyNumbers, real(1.5e-60), real(2e-60), false, 3e-120 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.oracle);
        const NumberValue r = c.op(c.a, c.b);
        EXPECT_EQ(r.isInteger, c.integer);
        EXPECT_EQ(r.toDouble(), c.expected);
    }
}

TEST(DecimalArithmetic, ResultsBeyondNumbersRangeFailWithNumericOverflow)
{
    // Oracle: NUMBER ends below 1E+126; arithmetic past it is ORA-01426, on every path.
    const std::function<NumberValue()> cases[] = {
        [] { return engine::fn::multiplyNumbers(real(1e100), real(1e100)); },
        [] { return engine::fn::addNumbers(real(9e125), real(9e125)); },
        [] { return engine::fn::multiplyNumbers(real(1e300), real(1e300)); },
        [] { return engine::fn::checkedNumber(1e126); },
    };
    for (const auto& c : cases) {
        try {
            c();
            ADD_FAILURE() << "no ORA-01426";
        } catch (const OraError& e) {
            EXPECT_EQ(e.code(), 1426);
        }
    }
    EXPECT_EQ(engine::fn::multiplyNumbers(real(1e100), real(1e25)).toDouble(), 1e125);
}

TEST(DecimalArithmetic, TotalsAreDecimalAndFallBackToDoublesPast38Digits)
{
    // Oracle: SUM of 0.1 ten times is exactly 1, AVG is the decimal quotient.
    DecimalTotal tenths;
    EXPECT_TRUE(tenths.isEmpty());
    for (int i = 0; i < 10; ++i)
        tenths.add(real(0.1));
    EXPECT_TRUE(tenths.sum().isInteger);
    EXPECT_EQ(tenths.sum().integer, 1);
    EXPECT_EQ(tenths.average().toDouble(), 0.1);
    EXPECT_EQ(tenths.rowCount(), 10);

    // Oracle: integers past 64 bits keep adding (SQLite's SUM would fail with "integer overflow").
    DecimalTotal big;
    big.add(whole(INT64_MAX));
    big.add(whole(INT64_MAX));
    EXPECT_EQ(big.sum().toDouble(), 2.0 * 9223372036854775807.0);
    EXPECT_EQ(big.average().toDouble(), 9223372036854775807.0);

    // A total that no longer fits 128 bits goes on in doubles instead of failing.
    DecimalTotal wide;
    wide.add(real(1e30));
    wide.add(real(1e-30));
    wide.add(whole(2));
    EXPECT_EQ(wide.sum().toDouble(), 1e30);
    EXPECT_EQ(wide.rowCount(), 3);

    // Oracle: AVG of 1, 2 and 2 is 5/3, to the digits a double holds.
    DecimalTotal thirds;
    thirds.add(whole(1));
    thirds.add(whole(2));
    thirds.add(whole(2));
    EXPECT_EQ(thirds.average().toDouble(), 5.0 / 3.0);
}

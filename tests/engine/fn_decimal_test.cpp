// Oracle's NUMBER arithmetic on exact decimals (fn/decimal.h) and the one stored form of each value (fn/number.h),
// each case naming the Oracle behaviour it checks.
#include "engine/fn/arithmetic.h"
#include "engine/fn/decimal.h"
#include "engine/fn/number.h"
#include "engine/fn/oraerror.h"

#include <gtest/gtest.h>

#include <functional>

using engine::fn::NumberValue;

namespace {

NumberValue parse(const char* text)
{
    return engine::fn::parseNumberText(text);
}

std::string text(const NumberValue& v)
{
    return engine::fn::numberText(v);
}

} // namespace

TEST(ExactNumber, ArithmeticKeepsOraclesDigits)
{
    using Op = std::function<NumberValue(const NumberValue&, const NumberValue&)>;
    struct Case {
        const char* oracle;
        Op op;
        const char* a;
        const char* b;
        const char* expected;
    };
    const Op add = engine::fn::addNumbers, sub = engine::fn::subtractNumbers, mul = engine::fn::multiplyNumbers,
             div = engine::fn::divideNumbers;
    const std::vector<Case> cases = {
        { "Oracle: 0.1 + 0.2 is .3", add, "0.1", "0.2", ".3" },
        { "Oracle: 1/3 has 40 digits", div, "1", "3", ".3333333333333333333333333333333333333333" },
        { "Oracle: 10/3 has 39 digits (first base-100 digit is 03)", div, "10", "3",
            "3.33333333333333333333333333333333333333" },
        { "Oracle: 2/3 rounds the 40th digit half away from zero", div, "2", "3",
            ".6666666666666666666666666666666666666667" },
        { "Oracle: -2/3 rounds away from zero too", div, "-2", "3", "-.6666666666666666666666666666666666666667" },
        { "Oracle: integer overflow of 64 bits goes on exactly", add, "9223372036854775807", "1",
            "9223372036854775808" },
        { "Oracle: 38-digit product", mul, "1234567890123456789", "10000000000000000001",
            "12345678901234567891234567890123456789" },
        { "Oracle: a difference of 38-digit values", sub, "12345678901234567890123456789012345678",
            "12345678901234567890123456789012345677", "1" },
        { "Oracle: a tiny addend is rounded away beyond 40 digits", add, "1", "1E-50", "1" },
        { "Oracle: 1 - 1E-50 rounds up to 1", sub, "1", "1E-50", "1" },
        { "Oracle: below 1E-130 is zero", mul, "1E-100", "1E-100", "0" },
        { "Oracle: 1E-130 is NUMBER's smallest value", mul, "1E-65", "1E-65", "1E-130" },
        { "Oracle: exact quotient of decimals", div, "0.69", "0.1", "6.9" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oracle);
        EXPECT_EQ(text(c.op(parse(c.a), parse(c.b))), c.expected);
    }
}

TEST(ExactNumber, OverflowIsNumericOverflow)
{
    try {
        engine::fn::multiplyNumbers(parse("1E125"), parse("10"));
        FAIL() << "Oracle: 1E125 * 10 is ORA-01426";
    } catch (const engine::fn::OraError& e) {
        EXPECT_EQ(e.code(), 1426);
    }
}

TEST(ExactNumber, EachValueHasOneForm)
{
    struct Case {
        const char* what;
        const char* value;
        bool integer;
        bool exactText;
    };
    const std::vector<Case> cases = {
        { "a 64-bit integer", "9223372036854775807", true, false },
        { "15 digits are a double", "1234567890.12345", false, false },
        { "16 digits are text", "1234567890.123456", false, true },
        { "a 20-digit integer is text", "12345678901234567890", false, true },
        { "1E20 has one digit: a double", "100000000000000000000", false, false },
        { "trailing zeros do not count", "1.50000000000000000000000", false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const NumberValue v = parse(c.value);
        EXPECT_EQ(v.isInteger, c.integer);
        EXPECT_EQ(v.isExactText(), c.exactText);
        // The same value reached by arithmetic has the same form.
        const NumberValue w = engine::fn::addNumbers(v, NumberValue::ofInteger(0));
        EXPECT_EQ(w.isInteger, v.isInteger);
        EXPECT_EQ(w.exact, v.exact);
        EXPECT_EQ(w.real, v.real);
    }
    EXPECT_FALSE(engine::fn::canonicalNumber(0.1 + 0.2).isExactText()) << "a double stands for its 15 digits";
    EXPECT_EQ(text(engine::fn::canonicalNumber(0.1 + 0.2)), ".3");
}

TEST(ExactNumber, CompareOrdersByValueWhateverTheForm)
{
    const std::vector<const char*> ascending = { "-100000000000000000000000000000", "-7", "-.5", "0",
        "2.999999999999999999999999999999", "3", "3.000000000000000000000000000001", "12345678901234567890",
        "1E125" };
    for (size_t i = 0; i < ascending.size(); ++i)
        for (size_t j = 0; j < ascending.size(); ++j) {
            SCOPED_TRACE(std::string(ascending[i]) + " vs " + ascending[j]);
            const int expected = i < j ? -1 : i > j ? 1 : 0;
            EXPECT_EQ(engine::fn::compareNumbers(parse(ascending[i]), parse(ascending[j])), expected);
        }
}

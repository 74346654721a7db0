// Oracle's number text and number format models applied directly, each case naming the Oracle behaviour it checks.
#include "engine/fn/number.h"
#include "engine/fn/numberformat.h"
#include "engine/fn/oraerror.h"

#include <gtest/gtest.h>

using engine::fn::NumberFormat;
using engine::fn::NumberValue;
using engine::fn::OraError;

namespace {

NumberValue num(double v)
{
    return NumberValue::ofReal(v);
}

std::string toChar(const NumberValue& v, const char* model)
{
    try {
        return NumberFormat::parse(model).format(v);
    } catch (const OraError& e) {
        return e.message();
    }
}

std::string toNumber(const char* text, const char* model)
{
    try {
        NumberValue v = model ? NumberFormat::parse(model).parseNumber(text) : engine::fn::parseNumberText(text);
        return (v.isInteger ? "i:" : "r:") + engine::fn::numberText(v);
    } catch (const OraError& e) {
        return e.message();
    }
}

} // namespace

TEST(FnNumber, DefaultText)
{
    struct Case {
        const char* oracleBehaviour;
        NumberValue value;
        const char* expected;
    };
    const Case cases[] = {
        { "no zero before the point", num(0.5), ".5" },
        { "negative fraction", num(-0.5), "-.5" },
        { "large numbers in full", num(1e20), "100000000000000000000" },
        { "a double stands for its 15 digits", num(1.0 / 3), ".333333333333333" },
        { "binary noise is not shown", num(0.1 + 0.2), ".3" },
        { "integers exactly", NumberValue::ofInteger(INT64_MAX), "9223372036854775807" },
        { "negative integers", NumberValue::ofInteger(-7), "-7" },
        { "zero", NumberValue::ofInteger(0), "0" },
        { "small fractions in full", num(2.5e-10), ".00000000025" },
        { "mixed", num(-1234.5678), "-1234.5678" },
        { "beyond 64 characters: scientific", num(1e100), "1E+100" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oracleBehaviour);
        EXPECT_EQ(engine::fn::numberText(c.value), c.expected);
    }
}

TEST(FnNumber, ParseText)
{
    struct Case {
        const char* oracleBehaviour;
        const char* text;
        const char* model;
        const char* expected;
    };
    const Case cases[] = {
        { "blanks around", " 12 ", nullptr, "i:12" },
        { "plus sign", "+5", nullptr, "i:5" },
        { "trailing point", "5.", nullptr, "i:5" },
        { "zeros after the point stay an integer", "1.000", nullptr, "i:1" },
        { "fraction", "1.50", nullptr, "r:1.5" },
        { "exponent", "1.5e3", nullptr, "i:1500" },
        { "beyond 64 bits keeps every digit", "12345678901234567890", nullptr, "r:12345678901234567890" },
        { "a lone point is not a number", ".", nullptr, "ORA-01722: invalid number" },
        { "inner blanks are not allowed", "1 2", nullptr, "ORA-01722: invalid number" },
        { "group separators need a model", "1,000", nullptr, "ORA-01722: invalid number" },
        { "model with groups and decimals", "1,234.5", "9,999.9", "r:1234.5" },
        { "model with leading S", "-12", "S99", "i:-12" },
        { "model with trailing S", "12+", "99S", "i:12" },
        { "V shifts the decimal point", "1234", "99V99", "r:12.34" },
        { "lower-case hexadecimal", "ff", "xx", "i:255" },
        { "too many hex digits", "1FF", "XX", "ORA-01722: invalid number" },
        { "a point the model lacks", "1.5", "99", "ORA-01722: invalid number" },
        { "EEEE reads scientific notation", "1.2E+03", "9.9EEEE", "i:1200" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oracleBehaviour);
        EXPECT_EQ(toNumber(c.text, c.model), c.expected);
    }
}

TEST(FnNumber, FormatModels)
{
    struct Case {
        const char* oracleBehaviour;
        NumberValue value;
        const char* model;
        const char* expected;
    };
    const Case cases[] = {
        { "a blank for the sign of a positive number", num(5), "999", "   5" },
        { "a minus before the first digit", num(-5), "999", "  -5" },
        { "too many digits: # over the whole width", num(1234), "99", "###" },
        { "group separators", num(1234567), "9,999,999", " 1,234,567" },
        { "groups before the first digit are blank", num(12), "9,999", "    12" },
        { "G and D are the territory's separators", num(1234.5), "9G999D99", " 1,234.50" },
        { "0 gives leading zeros", num(5), "0999", " 0005" },
        { "leading zeros keep their groups", num(5), "0,999", " 0,005" },
        { "zero shows one 0", num(0), "999", "   0" },
        { "a fraction with 9 before the point has no 0", num(0.5), "9.99", "  .50" },
        { "0 before the point shows it", num(0.5), "0.99", " 0.50" },
        { "rounds half away from zero at the last place", num(2.675), "9.99", " 2.68" },
        { "negative halves round away from zero", num(-2.5), "9", "-3" },
        { "FM drops trailing zeros of 9 places", num(1.5), "FM9.99", "1.5" },
        { "FM keeps the point of a whole number", num(1), "FM9.99", "1." },
        { "FM keeps trailing zeros of 0 places", num(1.5), "FM9.00", "1.50" },
        { "FM keeps a 0 before the point", num(0.5), "FM990.00", "0.50" },
        { "MI: a trailing minus", num(-5), "999MI", "  5-" },
        { "MI: a trailing blank for positive numbers", num(5), "999MI", "  5 " },
        { "PR: angle brackets for negative numbers", num(-5), "999PR", "  <5>" },
        { "PR: blanks for positive numbers", num(5), "999PR", "   5 " },
        { "S at the start: + or -", num(5), "S999", "  +5" },
        { "S at the end", num(-5), "999S", "  5-" },
        { "$ before the number", num(5), "$999", "   $5" },
        { "minus before the $", num(-5), "$999", "  -$5" },
        { "L is the local currency symbol", num(5), "L999", "   $5" },
        { "EEEE: scientific notation after the sign's blank", num(1234.5), "9.9EEEE", " 1.2E+03" },
        { "EEEE of a small number", num(0.000123), "9.99EEEE", " 1.23E-04" },
        { "EEEE rounding up to the next power", num(9.99), "9.9EEEE", " 1.0E+01" },
        { "EEEE of a negative number", num(-1234.5), "9.9EEEE", "-1.2E+03" },
        { "EEEE: one digit before the point, other places blank", num(121.976), "99.99EEEE", "  1.22E+02" },
        { "EEEE of zero", num(0), "9.9EEEE", " 0.0E+00" },
        { "V multiplies by ten per digit after it", num(12.34), "99V99", " 1234" },
        { "X: hexadecimal with a leading blank", num(255), "XX", " FF" },
        { "x: lower-case hexadecimal", num(255), "xx", " ff" },
        { "0X: leading zeros, no blank", num(255), "0XXX", "00FF" },
        { "FM with X: no blank", num(255), "FMXXXX", "FF" },
        { "hexadecimal rounds to an integer", num(254.5), "XX", " FF" },
        { "too many hex digits: #", num(256), "XX", "###" },
        { "B: zero is all blanks", num(0), "B999", "    " },
        { "B: a zero integer part is blank", num(0.5), "B0.99", "  .50" },
        { "RN: Roman numerals, right-aligned in 15", num(1994), "RN", "        MCMXCIV" },
        { "rn in lower case with FM", num(14), "FMrn", "xiv" },
        { "TM: text minimum", num(0.5), "TM", ".5" },
        { "TME: scientific text minimum", num(1234), "TME", "1.234E+03" },
        { "a comma cannot start the model", num(5), ",999", "ORA-01481: invalid number format model" },
        { "two decimal points", num(5), "9.9.9", "ORA-01481: invalid number format model" },
        { "MI only at the end", num(5), "MI999", "ORA-01481: invalid number format model" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oracleBehaviour);
        EXPECT_EQ(toChar(c.value, c.model), c.expected) << c.model;
    }
}

TEST(FnNumber, RoundAndTrunc)
{
    using engine::fn::roundNumber;
    using engine::fn::truncNumber;
    EXPECT_EQ(engine::fn::numberText(roundNumber(num(1.005), 2)), "1.01") << "decimal half rounds up";
    EXPECT_EQ(engine::fn::numberText(roundNumber(num(-1.005), 2)), "-1.01") << "away from zero";
    EXPECT_EQ(engine::fn::numberText(roundNumber(NumberValue::ofInteger(149), -2)), "100");
    EXPECT_EQ(engine::fn::numberText(roundNumber(NumberValue::ofInteger(150), -2)), "200");
    EXPECT_EQ(engine::fn::numberText(roundNumber(NumberValue::ofInteger(-150), -2)), "-200");
    EXPECT_EQ(engine::fn::numberText(truncNumber(num(-15.79), 1)), "-15.7");
    EXPECT_EQ(
        engine::fn::numberText(roundNumber(NumberValue::ofInteger(9000000000000000000), -19)), "10000000000000000000")
        << "rounding to more digits than the integer has";
    EXPECT_EQ(engine::fn::numberText(roundNumber(num(0.4), 0)), "0") << "rounds to zero, not -0";
    EXPECT_EQ(engine::fn::numberText(roundNumber(num(-0.4), 0)), "0") << "no negative zero";
    EXPECT_EQ(engine::fn::numberText(roundNumber(num(9.99), 1)), "10") << "carry into a new digit";
    EXPECT_EQ(engine::fn::numberText(roundNumber(NumberValue::ofInteger(INT64_MAX), -1)), "9223372036854775810")
        << "beyond 64 bits on rounding up keeps every digit";
}

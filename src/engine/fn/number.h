// Oracle NUMBER values as the engine holds them (64-bit integer when integral, else double) and the decimal view
// Oracle's rules need: its default text (TO_CHAR without a model), literal syntax (TO_NUMBER without a model), and
// ROUND/TRUNC to a number of digits. A double is taken at 15 significant digits, all a double reliably carries;
// Oracle keeps 38, which is the engine's one documented difference for numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::fn {

struct NumberValue {
    bool isInteger = true;
    int64_t integer = 0;
    double real = 0;

    static NumberValue ofInteger(int64_t v) { return { true, v, 0 }; }
    // Integral doubles that fit become integers, as the engine stores them.
    static NumberValue ofReal(double v);
    double toDouble() const { return isInteger ? double(integer) : real; }
    bool isNegative() const { return isInteger ? integer < 0 : real < 0; }
    bool isZero() const { return isInteger ? integer == 0 : real == 0; }
};

// A number as decimal digits: value = 0.d1 d2 ... dn x 10^exponent, no leading or trailing zero digits (n = 0 for
// zero). At most 20 digits (integers) or 15 (doubles).
struct Decimal {
    bool negative = false;
    int count = 0;
    int exponent = 0;
    char digits[24] = {};

    static Decimal of(const NumberValue& v);
    // Rounds half away from zero (or truncates) to `scale` digits after the decimal point (negative: to the left).
    void round(int scale, bool truncate = false);
    NumberValue value() const;
    void multiplyByPowerOfTen(int n)
    {
        if (count)
            exponent += n;
    }
};

// Oracle's default text of a number: 0.5 -> ".5", -0.5 -> "-.5", 1e20 -> "100000000000000000000".
void appendNumberText(std::string& out, const NumberValue& v);
std::string numberText(const NumberValue& v);

// TO_NUMBER(text) without a model: Oracle's numeric literal syntax with blanks around it. Throws OraError
// ORA-01722 otherwise.
NumberValue parseNumberText(std::string_view text);
// The same, false instead of an exception.
bool tryParseNumberText(std::string_view text, NumberValue& out);

// ROUND(n, digits) and TRUNC(n, digits); Oracle rounds half away from zero.
NumberValue roundNumber(const NumberValue& v, int64_t digits);
NumberValue truncNumber(const NumberValue& v, int64_t digits);

} // namespace engine::fn

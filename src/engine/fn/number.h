// Oracle NUMBER values as the engine holds them and the decimal view Oracle's rules need: its default text (TO_CHAR
// without a model), literal syntax (TO_NUMBER without a model), and ROUND/TRUNC to a number of digits.
//
// A NUMBER has one form for each value, so SQLite's own equality, GROUP BY, DISTINCT and unique indexes stay right:
// a 64-bit integer when integral and within 64 bits; else a double when the value has at most 15 significant digits
// (every such decimal reads back exactly from its double); else Oracle's text of the value, up to 40 significant
// digits (`exact`). A double that did not come from such a value (SQRT, LN, a BINARY_DOUBLE-like result) stands for
// its 15 significant digits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::fn {

struct NumberValue {
    bool isInteger = true;
    int64_t integer = 0;
    double real = 0; // not integral: the value, or the double nearest `exact`
    std::string exact; // more significant digits than a double holds: Oracle's text of the value

    static NumberValue ofInteger(int64_t v) { return { true, v, 0, {} }; }
    // Integral doubles that fit become integers, as the engine stores them.
    static NumberValue ofReal(double v);
    double toDouble() const { return isInteger ? double(integer) : real; }
    bool isNegative() const { return isInteger ? integer < 0 : real < 0; }
    bool isZero() const { return isInteger ? integer == 0 : real == 0; }
    bool isExactText() const { return !exact.empty(); }
};

inline constexpr int kDecimalCapacity = 96;

// A number as decimal digits: value = 0.d1 d2 ... dn x 10^exponent, no leading or trailing zero digits (n = 0 for
// zero). Arithmetic (decimal.h) keeps up to kDecimalCapacity digits while it works; a NUMBER has at most 40.
struct Decimal {
    bool negative = false;
    int count = 0;
    int exponent = 0;
    char digits[kDecimalCapacity] = {};

    static Decimal of(const NumberValue& v);
    // Rounds half away from zero (or truncates) to `scale` digits after the decimal point (negative: to the left).
    void round(int scale, bool truncate = false);
    // The NUMBER this stands for: rounded to Oracle's 38 to 40 significant digits (twenty base-100 digits), zero
    // below 1E-130, ORA-01426 from 1E+126 on, in the engine's one form for the value.
    NumberValue value() const;
    void multiplyByPowerOfTen(int n)
    {
        if (count)
            exponent += n;
    }
};

// A double as the NUMBER it stands for: its 15 significant digits, in the engine's one form for that value. Doubles
// that already are such a value (the common case) cost a few multiplications.
NumberValue canonicalNumber(double x);

// Oracle's text of a Decimal (at most 40 digits), as appendNumberText.
void appendDecimalText(std::string& out, const Decimal& d);

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

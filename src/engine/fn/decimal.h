// Exact decimal arithmetic on Decimal (number.h), the arithmetic of Oracle's NUMBER for every value that is not a
// 64-bit integer: + - * / compare exactly, then Decimal::value() rounds to NUMBER's digits half away from zero.
#pragma once

#include "engine/fn/number.h"

#include <string_view>

namespace engine::fn {

// Oracle's numeric literal syntax (digits, one point, an exponent), without blanks or sign: the exact value.
// False for anything else; an exponent too large for NUMBER still parses (value() then says ORA-01426).
bool parseDecimal(std::string_view text, bool negative, Decimal& out);

Decimal addDecimals(const Decimal& a, const Decimal& b);
Decimal subtractDecimals(const Decimal& a, const Decimal& b);
Decimal multiplyDecimals(const Decimal& a, const Decimal& b);
// The divisor must not be zero. The quotient carries more digits than NUMBER keeps, and a last nonzero digit
// when the division was inexact, so value() rounds it as the exact quotient.
Decimal divideDecimals(const Decimal& a, const Decimal& b);

// -1, 0 or 1 as a is below, equal to or above b.
int compareDecimals(const Decimal& a, const Decimal& b);

// Numeric order of two NUMBER values, exact whatever their form.
int compareNumbers(const NumberValue& a, const NumberValue& b);

} // namespace engine::fn

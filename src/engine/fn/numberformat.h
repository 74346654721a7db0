// Oracle's number format models for TO_CHAR(number, model) and TO_NUMBER(text, model), with NLS_TERRITORY
// AMERICA (decimal ".", group ",", currency "$"). Parsed once into a NumberFormat, then applied per row.
#pragma once

#include "engine/fn/number.h"

#include <string>
#include <string_view>

namespace engine::fn {

class NumberFormat {
public:
    // Throws OraError ORA-01481 for a model that is not a number format model.
    static NumberFormat parse(std::string_view model);

    // TO_CHAR(n, model). Appends the text (possibly empty, which the caller returns as NULL).
    void format(const NumberValue& value, std::string& out) const;
    std::string format(const NumberValue& value) const;

    // TO_NUMBER(text, model). Throws OraError ORA-01722 for text that does not fit the model.
    NumberValue parseNumber(std::string_view text) const;

private:
    enum class Sign : uint8_t { Default, Leading, Trailing, Minus, Brackets };
    enum class Kind : uint8_t { Fixed, Scientific, Hex, TextMinimum, TextMinimumScientific, Roman };

    Kind kind = Kind::Fixed;
    Sign sign = Sign::Default;
    bool fm = false;
    bool blankWhenZero = false;
    bool lowerCase = false; // hex digits, roman numerals
    bool zeroPadHex = false;
    bool hasDecimal = false;
    std::string currency; // "$", "USD" or empty
    std::string integerPositions; // '9', '0' and ',' left of the decimal point
    int firstZero = -1; // index in integerPositions of the first '0'
    int integerDigits = 0;
    int decimalDigits = 0;
    int lastDecimalZero = -1; // index among decimal digits of the last '0': FM keeps zeros up to it
    int shiftDigits = 0; // V
    int hexDigits = 0;

    int fixedWidth() const;
    void formatFixed(const NumberValue& value, std::string& out) const;
    void formatScientific(const NumberValue& value, std::string& out) const;
    void formatHex(const NumberValue& value, std::string& out) const;
    void formatRoman(const NumberValue& value, std::string& out) const;
};

} // namespace engine::fn

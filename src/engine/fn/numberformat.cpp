#include "engine/fn/numberformat.h"

#include "engine/fn/oraerror.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace engine::fn {

namespace {

[[noreturn]] void invalidModel()
{
    throw OraError(1481, "invalid number format model");
}
[[noreturn]] void invalidNumber()
{
    throw OraError(1722, "invalid number");
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 32) : c;
}

bool startsWith(std::string_view text, size_t pos, std::string_view word)
{
    if (text.size() - pos < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (upper(text[pos + i]) != word[i])
            return false;
    return true;
}

bool equalsIgnoreCase(std::string_view text, std::string_view word)
{
    return text.size() == word.size() && startsWith(text, 0, word);
}

void appendExponent(std::string& out, int e)
{
    out.push_back('E');
    out.push_back(e < 0 ? '-' : '+');
    char buffer[8];
    auto res = std::to_chars(buffer, buffer + sizeof buffer, e < 0 ? -e : e);
    if (res.ptr - buffer < 2)
        out.push_back('0');
    out.append(buffer, res.ptr);
}

std::string_view trimBlanks(std::string_view s)
{
    size_t b = 0;
    size_t e = s.size();
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    return s.substr(b, e - b);
}

} // namespace

NumberFormat NumberFormat::parse(std::string_view model)
{
    NumberFormat f;
    if (model.empty())
        invalidModel();
    if (equalsIgnoreCase(model, "TM") || equalsIgnoreCase(model, "TM9")) {
        f.kind = Kind::TextMinimum;
        return f;
    }
    if (equalsIgnoreCase(model, "TME")) {
        f.kind = Kind::TextMinimumScientific;
        return f;
    }
    size_t i = 0;
    const size_t n = model.size();
    // Prefixes: FM, B, $, S and the currency symbols, each at most once.
    for (;;) {
        if (startsWith(model, i, "FM") && !f.fm) {
            f.fm = true;
            i += 2;
        } else if (i < n && upper(model[i]) == 'B' && !f.blankWhenZero) {
            f.blankWhenZero = true;
            ++i;
        } else if (i < n && model[i] == '$' && f.currency.empty()) {
            f.currency = "$";
            ++i;
        } else if (i < n && (upper(model[i]) == 'L' || upper(model[i]) == 'U') && f.currency.empty()) {
            f.currency = "$";
            ++i;
        } else if (i < n && upper(model[i]) == 'C' && f.currency.empty()) {
            f.currency = "USD";
            ++i;
        } else if (i < n && upper(model[i]) == 'S' && f.sign == Sign::Default) {
            f.sign = Sign::Leading;
            ++i;
        } else
            break;
    }
    if (startsWith(model, i, "RN")) {
        if (i + 2 != n || f.sign != Sign::Default || !f.currency.empty() || f.blankWhenZero)
            invalidModel();
        f.kind = Kind::Roman;
        f.lowerCase = model[i] == 'r';
        return f;
    }
    // Hexadecimal: only 0 or FM may come before the X's.
    {
        size_t k = i;
        bool zero = false;
        while (k < n && model[k] == '0') {
            zero = true;
            ++k;
        }
        if (k < n && upper(model[k]) == 'X') {
            if (f.sign != Sign::Default || !f.currency.empty() || f.blankWhenZero)
                invalidModel();
            f.kind = Kind::Hex;
            f.zeroPadHex = zero;
            f.hexDigits = int(k - i);
            f.lowerCase = model[k] == 'x';
            for (; k < n; ++k) {
                if (upper(model[k]) != 'X')
                    invalidModel();
                ++f.hexDigits;
            }
            return f;
        }
    }
    bool afterV = false;
    for (; i < n; ++i) {
        char c = upper(model[i]);
        if (c == '9' || c == '0') {
            if (afterV) {
                ++f.shiftDigits;
                continue;
            }
            if (f.hasDecimal) {
                if (c == '0')
                    f.lastDecimalZero = f.decimalDigits;
                ++f.decimalDigits;
            } else {
                if (c == '0' && f.firstZero < 0)
                    f.firstZero = int(f.integerPositions.size());
                f.integerPositions.push_back(c);
                ++f.integerDigits;
            }
        } else if (c == ',' || c == 'G') {
            if (f.hasDecimal || f.integerPositions.empty() || afterV)
                invalidModel();
            f.integerPositions.push_back(',');
        } else if (c == '.' || c == 'D') {
            if (f.hasDecimal || afterV)
                invalidModel();
            f.hasDecimal = true;
        } else if (c == 'V') {
            if (afterV || f.hasDecimal)
                invalidModel();
            afterV = true;
        } else if (c == '$' && f.currency.empty()) {
            f.currency = "$";
        } else
            break;
    }
    // V's digits print as integer digits: 99V99 shows four digits.
    if (afterV)
        for (int k = 0; k < f.shiftDigits; ++k)
            f.integerPositions.push_back('9');
    f.integerDigits += f.shiftDigits;
    if (startsWith(model, i, "EEEE")) {
        if (afterV || f.integerDigits == 0)
            invalidModel();
        f.kind = Kind::Scientific;
        i += 4;
    }
    if (i < n) {
        if (f.sign != Sign::Default)
            invalidModel();
        if (startsWith(model, i, "MI"))
            f.sign = Sign::Minus, i += 2;
        else if (startsWith(model, i, "PR"))
            f.sign = Sign::Brackets, i += 2;
        else if (upper(model[i]) == 'S')
            f.sign = Sign::Trailing, ++i;
    }
    if (i != n || f.integerDigits + f.decimalDigits == 0)
        invalidModel();
    return f;
}

std::string NumberFormat::format(const NumberValue& value) const
{
    std::string out;
    format(value, out);
    return out;
}

void NumberFormat::format(const NumberValue& value, std::string& out) const
{
    switch (kind) {
    case Kind::TextMinimum:
        appendNumberText(out, value);
        return;
    case Kind::TextMinimumScientific: {
        Decimal d = Decimal::of(value);
        if (d.negative)
            out.push_back('-');
        if (d.count == 0) {
            out.append("0E+00");
            return;
        }
        out.push_back(d.digits[0]);
        if (d.count > 1) {
            out.push_back('.');
            out.append(d.digits + 1, size_t(d.count - 1));
        }
        appendExponent(out, d.exponent - 1);
        return;
    }
    case Kind::Hex:
        formatHex(value, out);
        return;
    case Kind::Roman:
        formatRoman(value, out);
        return;
    case Kind::Scientific:
        formatScientific(value, out);
        return;
    case Kind::Fixed:
        formatFixed(value, out);
        return;
    }
}

int NumberFormat::fixedWidth() const
{
    int core = int(integerPositions.size()) + (hasDecimal ? 1 + decimalDigits : 0);
    int signWidth = sign == Sign::Brackets ? 2 : 1;
    return signWidth + int(currency.size()) + core;
}

namespace {

// Writes sign, currency and body into out, right-aligned in width unless fill mode trims the blanks.
// signMode: 0 default, 1 leading S, 2 trailing S, 3 MI, 4 PR.
void applySign(std::string& out, std::string_view body, bool negative, int width, bool fm, int signMode,
    const std::string& currency)
{
    char lead = 0;
    if (signMode == 0 && negative)
        lead = '-';
    else if (signMode == 1)
        lead = negative ? '-' : '+';
    else if (signMode == 4 && negative)
        lead = '<';
    char trail = 0;
    if (signMode == 2)
        trail = negative ? '-' : '+';
    else if (signMode == 3)
        trail = negative ? '-' : ' ';
    else if (signMode == 4)
        trail = negative ? '>' : ' ';
    int length = (lead ? 1 : 0) + int(currency.size()) + int(body.size()) + (trail ? 1 : 0);
    if (!fm)
        out.append(size_t(std::max(0, width - length)), ' ');
    if (lead)
        out.push_back(lead);
    out.append(currency);
    out.append(body);
    if (trail && !(fm && trail == ' '))
        out.push_back(trail);
}

} // namespace

void NumberFormat::formatFixed(const NumberValue& value, std::string& out) const
{
    const int width = fixedWidth();
    if (!std::isfinite(value.toDouble())) {
        out.append(size_t(width), '#');
        return;
    }
    Decimal d = Decimal::of(value);
    d.multiplyByPowerOfTen(shiftDigits);
    d.round(decimalDigits);
    const int intCount = std::max(d.exponent, 0); // digits left of the point
    if (intCount > integerDigits) {
        out.append(size_t(width), '#');
        return;
    }
    if (blankWhenZero && d.count == 0) {
        if (!fm)
            out.append(size_t(width), ' ');
        return;
    }
    // The body is built right to left over the model's integer places, then the decimals are appended.
    thread_local std::string core;
    core.assign(integerPositions.size(), ' ');
    int k = intCount - 1; // next integer digit to place, from the right
    const bool blankInteger = blankWhenZero && intCount == 0;
    for (int pos = int(integerPositions.size()) - 1; pos >= 0; --pos) {
        char c = integerPositions[size_t(pos)];
        bool zeroPad = firstZero >= 0 && pos >= firstZero && !blankInteger;
        if (c == ',')
            core[size_t(pos)] = k >= 0 || (firstZero >= 0 && firstZero < pos && !blankInteger) ? ',' : ' ';
        else if (k >= 0) {
            core[size_t(pos)] = k < d.count ? d.digits[k] : '0';
            --k;
        } else if (zeroPad)
            core[size_t(pos)] = '0';
    }
    // A value whose integer part is zero shows one 0 when the model has no decimals.
    if (intCount == 0 && !hasDecimal && !blankInteger && !core.empty() && core.back() == ' ')
        core.back() = '0';
    if (hasDecimal) {
        core.push_back('.');
        size_t fracStart = core.size();
        for (int i = 0; i < decimalDigits; ++i) {
            int index = d.exponent + i;
            core.push_back(index >= 0 && index < d.count ? d.digits[index] : '0');
        }
        if (fm) {
            // Fill mode drops trailing zeros of 9 places after the last 0 place.
            size_t keep = core.size();
            while (keep > fracStart && int(keep - fracStart) - 1 > lastDecimalZero && core[keep - 1] == '0')
                --keep;
            core.resize(keep);
        }
    }
    size_t lead = core.find_first_not_of(' ');
    std::string_view body(core);
    body.remove_prefix(lead == std::string::npos ? core.size() : lead);
    applySign(out, body, d.negative, width, fm, int(sign), currency);
}

void NumberFormat::formatScientific(const NumberValue& value, std::string& out) const
{
    // One digit before the point whatever the model has there; the model's other integer places stay blank.
    Decimal d = Decimal::of(value);
    int e = 0;
    if (d.count) {
        e = d.exponent - 1;
        d.exponent = 1;
        d.round(decimalDigits);
        if (d.exponent > 1) {
            d.exponent = 1;
            ++e;
        }
    }
    std::string body;
    body.push_back(d.count ? d.digits[0] : '0');
    if (hasDecimal) {
        body.push_back('.');
        for (int i = 0; i < decimalDigits; ++i) {
            int index = 1 + i;
            body.push_back(index < d.count ? d.digits[index] : '0');
        }
    }
    appendExponent(body, e);
    int width = (sign == Sign::Brackets ? 2 : 1) + int(currency.size()) + integerDigits - 1 + int(body.size());
    applySign(out, body, d.negative, width, fm, int(sign), currency);
}

void NumberFormat::formatHex(const NumberValue& value, std::string& out) const
{
    int width = hexDigits + (fm || zeroPadHex ? 0 : 1);
    NumberValue rounded = roundNumber(value, 0);
    double magnitude = rounded.toDouble();
    if (rounded.isNegative() || !std::isfinite(magnitude) || magnitude >= 18446744073709551616.0) {
        out.append(size_t(hexDigits + 1), '#');
        return;
    }
    uint64_t u = rounded.isInteger ? uint64_t(rounded.integer) : uint64_t(magnitude);
    char buffer[24];
    auto res = std::to_chars(buffer, buffer + sizeof buffer, u, 16);
    int length = int(res.ptr - buffer);
    if (length > hexDigits) {
        out.append(size_t(hexDigits + 1), '#');
        return;
    }
    if (!lowerCase)
        for (int k = 0; k < length; ++k)
            buffer[k] = upper(buffer[k]);
    if (!fm)
        out.append(size_t(width - length), zeroPadHex ? '0' : ' ');
    else if (zeroPadHex)
        out.append(size_t(hexDigits - length), '0');
    out.append(buffer, size_t(length));
}

void NumberFormat::formatRoman(const NumberValue& value, std::string& out) const
{
    NumberValue rounded = roundNumber(value, 0);
    if (!rounded.isInteger || rounded.integer < 1 || rounded.integer > 3999) {
        out.append(15, '#');
        return;
    }
    static constexpr struct {
        int value;
        const char* text;
    } numerals[] = { { 1000, "M" }, { 900, "CM" }, { 500, "D" }, { 400, "CD" }, { 100, "C" }, { 90, "XC" }, { 50, "L" },
        { 40, "XL" }, { 10, "X" }, { 9, "IX" }, { 5, "V" }, { 4, "IV" }, { 1, "I" } };
    std::string s;
    int64_t v = rounded.integer;
    for (const auto& r : numerals)
        while (v >= r.value) {
            s.append(r.text);
            v -= r.value;
        }
    if (lowerCase)
        for (char& c : s)
            c = char(c + 32);
    if (!fm)
        out.append(15 - s.size(), ' ');
    out.append(s);
}

NumberValue NumberFormat::parseNumber(std::string_view text) const
{
    std::string_view s = trimBlanks(text);
    if (s.empty())
        invalidNumber();
    switch (kind) {
    case Kind::TextMinimum:
    case Kind::TextMinimumScientific:
        return parseNumberText(s);
    case Kind::Roman:
        invalidNumber();
    case Kind::Hex: {
        if (int(s.size()) > hexDigits)
            invalidNumber();
        uint64_t u = 0;
        auto res = std::from_chars(s.data(), s.data() + s.size(), u, 16);
        if (res.ptr != s.data() + s.size() || res.ec != std::errc())
            invalidNumber();
        if (u > uint64_t(INT64_MAX))
            return NumberValue::ofReal(double(u));
        return NumberValue::ofInteger(int64_t(u));
    }
    case Kind::Fixed:
    case Kind::Scientific:
        break;
    }
    bool negative = false;
    switch (sign) {
    case Sign::Brackets:
        if (s.size() >= 2 && s.front() == '<' && s.back() == '>') {
            negative = true;
            s = s.substr(1, s.size() - 2);
        }
        break;
    case Sign::Minus:
        if (s.back() == '-') {
            negative = true;
            s.remove_suffix(1);
        }
        break;
    case Sign::Trailing:
        if (s.back() != '-' && s.back() != '+')
            invalidNumber();
        negative = s.back() == '-';
        s.remove_suffix(1);
        break;
    case Sign::Leading:
        if (s.front() != '-' && s.front() != '+')
            invalidNumber();
        negative = s.front() == '-';
        s.remove_prefix(1);
        break;
    case Sign::Default:
        if (s.front() == '-' || s.front() == '+') {
            negative = s.front() == '-';
            s.remove_prefix(1);
        }
        break;
    }
    if (!currency.empty() && s.substr(0, currency.size()) == currency)
        s.remove_prefix(currency.size());
    std::string clean;
    if (negative)
        clean.push_back('-');
    int intCount = 0;
    int fracCount = 0;
    bool point = false;
    bool groups = integerPositions.find(',') != std::string::npos;
    size_t p = 0;
    for (; p < s.size(); ++p) {
        char c = s[p];
        if (c >= '0' && c <= '9') {
            clean.push_back(c);
            (point ? fracCount : intCount)++;
        } else if (c == ',' && groups && !point && intCount > 0) {
            continue;
        } else if (c == '.' && hasDecimal && !point) {
            point = true;
            clean.push_back('.');
        } else
            break;
    }
    if (kind == Kind::Scientific && p < s.size() && (s[p] == 'E' || s[p] == 'e')) {
        clean.append(s.substr(p));
        p = s.size();
    }
    if (p != s.size() || intCount + fracCount == 0 || intCount > integerDigits || fracCount > decimalDigits)
        invalidNumber();
    NumberValue v = parseNumberText(clean);
    if (shiftDigits) {
        Decimal d = Decimal::of(v);
        d.multiplyByPowerOfTen(-shiftDigits);
        return d.value();
    }
    return v;
}

} // namespace engine::fn

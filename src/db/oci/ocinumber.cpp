#include "db/oci/ocinumber.h"

#include <cctype>

namespace db::oci {

std::string numberToText(const std::uint8_t* bytes, int length)
{
    if (length < 1)
        return {};
    const std::uint8_t exp = bytes[0];
    if (exp == 0x80 && length == 1)
        return "0";
    const bool positive = (exp & 0x80) != 0;
    std::vector<int> digits; // base 100
    int count = length - 1;
    if (!positive && count > 0 && bytes[length - 1] == 102)
        --count; // the terminator of a negative number
    for (int i = 1; i <= count; ++i) {
        const int d = positive ? bytes[i] - 1 : 101 - bytes[i];
        if (d < 0 || d > 99)
            return {};
        digits.push_back(d);
    }
    if (digits.empty())
        return {};
    // Weight of the first base-100 digit is 100^e.
    const int e = positive ? (exp & 0x7f) - 65 : ((~exp) & 0x7f) - 65;
    std::string intPart;
    std::string fracPart;
    const int n = int(digits.size());
    // Integer part: base-100 positions e down to 0.
    for (int pos = e; pos >= 0; --pos) {
        const int idx = e - pos;
        const int d = idx < n ? digits[size_t(idx)] : 0;
        intPart += char('0' + d / 10);
        intPart += char('0' + d % 10);
    }
    // Fraction: positions -1 down to the last digit.
    const int lastPos = e - (n - 1);
    for (int pos = -1; pos >= lastPos; --pos) {
        const int idx = e - pos;
        const int d = idx >= 0 && idx < n ? digits[size_t(idx)] : 0;
        fracPart += char('0' + d / 10);
        fracPart += char('0' + d % 10);
    }
    size_t firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);
    while (!fracPart.empty() && fracPart.back() == '0')
        fracPart.pop_back();
    std::string text = positive ? "" : "-";
    text += intPart;
    if (!fracPart.empty())
        text += "." + fracPart;
    return text;
}

std::optional<std::vector<std::uint8_t>> textToNumber(const std::string& input)
{
    size_t i = 0;
    const size_t len = input.size();
    while (i < len && std::isspace(static_cast<unsigned char>(input[i])))
        ++i;
    bool negative = false;
    if (i < len && (input[i] == '+' || input[i] == '-'))
        negative = input[i++] == '-';
    std::string digits; // significant decimal digits
    int pointPos = -1; // decimal digits before the point
    bool any = false;
    for (; i < len; ++i) {
        const char c = input[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digits += c;
            any = true;
        } else if (c == '.' && pointPos < 0) {
            pointPos = int(digits.size());
        } else {
            break;
        }
    }
    if (!any)
        return std::nullopt;
    if (pointPos < 0)
        pointPos = int(digits.size());
    if (i < len && (input[i] == 'e' || input[i] == 'E')) {
        ++i;
        bool expNeg = false;
        if (i < len && (input[i] == '+' || input[i] == '-'))
            expNeg = input[i++] == '-';
        if (i >= len || !std::isdigit(static_cast<unsigned char>(input[i])))
            return std::nullopt;
        int e = 0;
        for (; i < len && std::isdigit(static_cast<unsigned char>(input[i])); ++i) {
            e = e * 10 + (input[i] - '0');
            if (e > 1000)
                return std::nullopt;
        }
        pointPos += expNeg ? -e : e;
    }
    while (i < len && std::isspace(static_cast<unsigned char>(input[i])))
        ++i;
    if (i != len)
        return std::nullopt;
    // Strip leading zeros (moving the point) and trailing zeros.
    size_t lead = digits.find_first_not_of('0');
    if (lead == std::string::npos)
        return std::vector<std::uint8_t> { 0x80 };
    digits = digits.substr(lead);
    pointPos -= int(lead);
    // Align to base-100 pairs: the point must fall on an even boundary.
    if (((pointPos % 2) + 2) % 2 != 0) {
        digits.insert(digits.begin(), '0');
        ++pointPos;
    }
    if (digits.size() % 2 != 0)
        digits += '0';
    std::vector<int> pairs;
    for (size_t k = 0; k < digits.size(); k += 2)
        pairs.push_back((digits[k] - '0') * 10 + (digits[k + 1] - '0'));
    // Round to 20 base-100 digits.
    if (pairs.size() > 20) {
        const bool up = pairs[20] >= 50;
        pairs.resize(20);
        if (up) {
            int k = 19;
            while (k >= 0 && ++pairs[size_t(k)] == 100) {
                pairs[size_t(k)] = 0;
                --k;
            }
            if (k < 0) {
                pairs.insert(pairs.begin(), 1);
                pairs.pop_back();
                pointPos += 2;
            }
        }
    }
    while (!pairs.empty() && pairs.back() == 0)
        pairs.pop_back();
    const int e = pointPos / 2 - 1; // weight of the first pair is 100^e
    if (e > 62 || e < -65)
        return std::nullopt;
    std::vector<std::uint8_t> out;
    if (!negative) {
        out.push_back(std::uint8_t(0xC1 + e));
        for (int p : pairs)
            out.push_back(std::uint8_t(p + 1));
    } else {
        out.push_back(std::uint8_t(0x3E - e));
        for (int p : pairs)
            out.push_back(std::uint8_t(101 - p));
        if (pairs.size() < 20)
            out.push_back(102);
    }
    return out;
}

} // namespace db::oci

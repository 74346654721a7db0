#include "engine/fn/decimal.h"

#include <algorithm>
#include <cstring>

namespace engine::fn {

namespace {

// Digits of a and b aligned to a common window of kDecimalCapacity places, the highest place that of the larger
// exponent. Digits below the window are dropped but leave a 1 in its last place, so the rounding to NUMBER's 40
// digits still sees that something was there.
struct Aligned {
    int top = 0; // the window's first place stands for 10^(top - 1)
    unsigned char a[kDecimalCapacity] = {};
    unsigned char b[kDecimalCapacity] = {};
};

void place(const Decimal& d, int top, unsigned char* out)
{
    bool dropped = false;
    for (int i = 0; i < d.count; ++i) {
        const int at = top - d.exponent + i;
        if (at < kDecimalCapacity)
            out[at] = static_cast<unsigned char>(d.digits[i] - '0');
        else if (d.digits[i] != '0')
            dropped = true;
    }
    if (dropped && out[kDecimalCapacity - 1] == 0)
        out[kDecimalCapacity - 1] = 1;
}

// Digits (values 0..9) most significant first, `top` as in Aligned, into a trimmed Decimal.
Decimal fromPlaces(const unsigned char* places, int n, int top, bool negative)
{
    Decimal d;
    int first = 0;
    while (first < n && places[first] == 0)
        ++first;
    int last = n;
    while (last > first && places[last - 1] == 0)
        --last;
    if (first == last)
        return d;
    d.negative = negative;
    d.exponent = top - first;
    d.count = std::min(last - first, kDecimalCapacity);
    for (int i = 0; i < d.count; ++i)
        d.digits[i] = char('0' + places[first + i]);
    return d;
}

// |a| compared with |b|.
int compareMagnitudes(const Decimal& a, const Decimal& b)
{
    if (a.count == 0 || b.count == 0)
        return (a.count != 0) - (b.count != 0);
    if (a.exponent != b.exponent)
        return a.exponent < b.exponent ? -1 : 1;
    const int n = std::min(a.count, b.count);
    const int c = std::memcmp(a.digits, b.digits, size_t(n));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return a.count == b.count ? 0 : a.count < b.count ? -1 : 1;
}

Decimal addSigned(const Decimal& a, const Decimal& b, bool negateB)
{
    const bool bNegative = negateB ? !b.negative : b.negative;
    if (b.count == 0)
        return a;
    if (a.count == 0) {
        Decimal r = b;
        r.negative = bNegative;
        return r;
    }
    // One more place on top for a carry.
    Aligned w;
    w.top = std::max(a.exponent, b.exponent) + 1;
    place(a, w.top, w.a);
    place(b, w.top, w.b);
    unsigned char r[kDecimalCapacity] = {};
    if (a.negative == bNegative) {
        int carry = 0;
        for (int i = kDecimalCapacity - 1; i >= 0; --i) {
            const int s = w.a[i] + w.b[i] + carry;
            r[i] = static_cast<unsigned char>(s % 10);
            carry = s / 10;
        }
        return fromPlaces(r, kDecimalCapacity, w.top, a.negative);
    }
    // Signs differ: the larger magnitude less the smaller, with the larger one's sign.
    const int c = compareMagnitudes(a, b);
    if (c == 0)
        return Decimal();
    const unsigned char* big = c > 0 ? w.a : w.b;
    const unsigned char* small = c > 0 ? w.b : w.a;
    int borrow = 0;
    for (int i = kDecimalCapacity - 1; i >= 0; --i) {
        int s = big[i] - small[i] - borrow;
        borrow = s < 0;
        r[i] = static_cast<unsigned char>(s < 0 ? s + 10 : s);
    }
    return fromPlaces(r, kDecimalCapacity, w.top, c > 0 ? a.negative : bNegative);
}

} // namespace

bool parseDecimal(std::string_view text, bool negative, Decimal& out)
{
    out = Decimal();
    size_t p = 0;
    const size_t e = text.size();
    // Digits before and after the point, leading zeros skipped.
    char digits[kDecimalCapacity + 1];
    int count = 0;
    int pointAt = 0; // digits kept before the point
    bool any = false;
    bool dropped = false;
    bool leading = true;
    int skippedAfterPoint = 0; // zeros after the point before the first digit
    while (p < e && text[p] >= '0' && text[p] <= '9') {
        any = true;
        if (leading && text[p] == '0') {
            ++p;
            continue;
        }
        leading = false;
        if (count < kDecimalCapacity)
            digits[count++] = text[p];
        else if (text[p] != '0')
            dropped = true;
        ++pointAt;
        ++p;
    }
    if (p < e && text[p] == '.') {
        ++p;
        while (p < e && text[p] >= '0' && text[p] <= '9') {
            any = true;
            if (leading && text[p] == '0') {
                ++skippedAfterPoint;
                ++p;
                continue;
            }
            leading = false;
            if (count < kDecimalCapacity)
                digits[count++] = text[p];
            else if (text[p] != '0')
                dropped = true;
            ++p;
        }
    }
    if (!any)
        return false;
    long long exponent = 0;
    if (p < e && (text[p] == 'e' || text[p] == 'E')) {
        ++p;
        bool minus = false;
        if (p < e && (text[p] == '+' || text[p] == '-'))
            minus = text[p++] == '-';
        const size_t start = p;
        while (p < e && text[p] >= '0' && text[p] <= '9') {
            if (exponent < 100000)
                exponent = exponent * 10 + (text[p] - '0');
            ++p;
        }
        if (p == start)
            return false;
        if (minus)
            exponent = -exponent;
    }
    if (p != e)
        return false;
    if (dropped && digits[kDecimalCapacity - 1] == '0')
        digits[kDecimalCapacity - 1] = '1';
    while (count > 0 && digits[count - 1] == '0')
        --count;
    if (count == 0)
        return true;
    out.negative = negative;
    out.count = count;
    std::memcpy(out.digits, digits, size_t(count));
    out.exponent = int(std::clamp<long long>(pointAt - skippedAfterPoint + exponent, -100000, 100000));
    return true;
}

Decimal addDecimals(const Decimal& a, const Decimal& b)
{
    return addSigned(a, b, false);
}

Decimal subtractDecimals(const Decimal& a, const Decimal& b)
{
    return addSigned(a, b, true);
}

Decimal multiplyDecimals(const Decimal& a, const Decimal& b)
{
    if (a.count == 0 || b.count == 0)
        return Decimal();
    // NUMBER operands have at most 40 digits; longer working values are cut to 48 each, far below what rounding
    // to 40 digits looks at.
    const int na = std::min(a.count, kDecimalCapacity / 2);
    const int nb = std::min(b.count, kDecimalCapacity / 2);
    int sums[kDecimalCapacity] = {};
    for (int i = 0; i < na; ++i)
        for (int j = 0; j < nb; ++j)
            sums[i + j + 1] += (a.digits[i] - '0') * (b.digits[j] - '0');
    unsigned char places[kDecimalCapacity] = {};
    int carry = 0;
    for (int k = na + nb - 1; k >= 0; --k) {
        const int s = sums[k] + carry;
        places[k] = static_cast<unsigned char>(s % 10);
        carry = s / 10;
    }
    return fromPlaces(places, na + nb, a.exponent + b.exponent, a.negative != b.negative);
}

Decimal divideDecimals(const Decimal& a, const Decimal& b)
{
    if (a.count == 0 || b.count == 0)
        return Decimal();
    // Long division of the digit strings: 0.A / 0.B with the remainder kept as digits.
    const int nb = std::min(b.count, 48);
    unsigned char divisor[50] = {};
    for (int i = 0; i < nb; ++i)
        divisor[i + 1] = static_cast<unsigned char>(b.digits[i] - '0');
    // remainder has nb + 1 places: one above the divisor's first digit.
    unsigned char remainder[50] = {};
    constexpr int kQuotientDigits = 44;
    unsigned char quotient[kQuotientDigits + 2] = {};
    auto notBelowDivisor = [&] {
        for (int i = 0; i <= nb; ++i)
            if (remainder[i] != divisor[i])
                return remainder[i] > divisor[i];
        return true;
    };
    int next = 0; // next digit of a to bring down
    // quotient[k] is the digit for 10^(a.exponent - b.exponent - k): the first step compares 0.A with 0.B.
    for (int i = 0; i < nb && next < a.count; ++i)
        remainder[i + 1] = static_cast<unsigned char>(a.digits[next++] - '0');
    for (int k = 0; k <= kQuotientDigits; ++k) {
        int q = 0;
        while (notBelowDivisor()) {
            int borrow = 0;
            for (int i = nb; i >= 0; --i) {
                int s = remainder[i] - divisor[i] - borrow;
                borrow = s < 0;
                remainder[i] = static_cast<unsigned char>(s < 0 ? s + 10 : s);
            }
            ++q;
        }
        quotient[k] = static_cast<unsigned char>(q);
        // Shift the remainder one place up and bring down the next digit of a (or a zero).
        std::memmove(remainder, remainder + 1, size_t(nb));
        remainder[nb] = next < a.count ? static_cast<unsigned char>(a.digits[next++] - '0') : 0;
    }
    bool inexact = next < a.count;
    for (int i = 0; i <= nb; ++i)
        if (remainder[i] != 0)
            inexact = true;
    if (inexact)
        quotient[kQuotientDigits + 1] = 1;
    return fromPlaces(quotient, kQuotientDigits + 2, a.exponent - b.exponent + 1, a.negative != b.negative);
}

int compareDecimals(const Decimal& a, const Decimal& b)
{
    const bool an = a.count != 0 && a.negative;
    const bool bn = b.count != 0 && b.negative;
    if (an != bn)
        return an ? -1 : 1;
    const int c = compareMagnitudes(a, b);
    return an ? -c : c;
}

int compareNumbers(const NumberValue& a, const NumberValue& b)
{
    if (a.isInteger && b.isInteger)
        return a.integer < b.integer ? -1 : a.integer > b.integer;
    if (!a.isExactText() && !b.isExactText() && !a.isInteger && !b.isInteger)
        return a.real < b.real ? -1 : a.real > b.real;
    return compareDecimals(Decimal::of(a), Decimal::of(b));
}

} // namespace engine::fn

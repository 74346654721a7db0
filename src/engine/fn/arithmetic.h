// NUMBER arithmetic as Oracle does it, in decimal: + - * / and the SUM and AVG accumulators work on the exact decimal
// each operand stands for (an integer, or the shortest text that reads back as the double), so 100 - 99.99 is .01
// and not the binary neighbour of it. Results beyond NUMBER's range fail with ORA-01426.
#pragma once

#include "engine/fn/number.h"

#include <cstdint>

namespace engine::fn {

NumberValue addNumbers(const NumberValue& a, const NumberValue& b);
NumberValue subtractNumbers(const NumberValue& a, const NumberValue& b);
NumberValue multiplyNumbers(const NumberValue& a, const NumberValue& b);
// The divisor must not be zero (ORA-01476 is the caller's).
NumberValue divideNumbers(const NumberValue& a, const NumberValue& b);

// A double result checked against NUMBER's range (below 1E+126 in magnitude): ORA-01426 beyond it.
NumberValue checkedNumber(double x);

// Running total of SUM and AVG: exact decimal while the total fits 38 digits, a double after that.
class DecimalTotal {
public:
    void add(const NumberValue& v);
    bool isEmpty() const { return count == 0; }
    int64_t rowCount() const { return count; }
    NumberValue sum() const;
    // The total divided by the number of values added; call only when not empty.
    NumberValue average() const;

    // All fields zero is the empty total, so SQLite's zeroed aggregate memory holds one. The 128-bit mantissa is
    // kept as two halves because that memory is only 8-byte aligned.
private:
    uint64_t mantissaLow = 0; // total = mantissa x 10^exponent while exact
    int64_t mantissaHigh = 0;
    int exponent = 0;
    bool inexact = false;
    double approximate = 0;
    int64_t count = 0;
};

} // namespace engine::fn

// NUMBER arithmetic as Oracle does it, in decimal: + - * / and the SUM and AVG accumulators work on the exact decimal
// each operand stands for (decimal.h), 64-bit integers natively while the result fits, so 100 - 99.99 is .01 and
// 1/3 has Oracle's 40 digits. Results beyond NUMBER's range fail with ORA-01426.
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

// Running total of SUM and AVG: a 128-bit integer while every value is an integer, else exact decimal (each step
// rounded to NUMBER's digits, as Oracle's); a BINARY_DOUBLE-like infinity makes it a double.
class DecimalTotal {
public:
    void add(const NumberValue& v);
    bool isEmpty() const { return count == 0; }
    int64_t rowCount() const { return count; }
    NumberValue sum() const;
    // The total divided by the number of values added; call only when not empty.
    NumberValue average() const;

    // All fields zero is the empty total, so SQLite's zeroed aggregate memory holds one. The 128-bit integer is
    // kept as two halves because that memory is only 8-byte aligned.
private:
    Decimal integerPart() const;

    uint64_t integerLow = 0;
    int64_t integerHigh = 0;
    bool decimal = false;
    bool inexact = false;
    double approximate = 0;
    int64_t count = 0;
    Decimal total;
};

} // namespace engine::fn

// A copy of one SQLite value that outlives the call it came from, for the functions that keep rows between calls
// (LISTAGG, MEDIAN, KEEP, the analytic functions over a window, the cycle check of recursive WITH): its Oracle
// ordering and a key under which equal values are equal bytes.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace engine::fn::detail {

struct HeldValue {
    int type = SQLITE_NULL;
    int64_t integer = 0;
    double real = 0;
    std::string bytes; // text or blob

    static HeldValue of(sqlite3_value* v);
    bool isNull() const { return type == SQLITE_NULL; }
    bool isNumber() const { return type == SQLITE_INTEGER || type == SQLITE_FLOAT; }
    double toDouble() const { return type == SQLITE_INTEGER ? double(integer) : real; }
    void result(sqlite3_context* ctx) const;
    // Appends a key that is the same for equal values (1 and 1.0 alike) and differs otherwise; NULL has one key.
    void appendKey(std::string& out) const;
};

// Oracle's order of two non-NULL values of one type family: numbers by value, text and bytes by their bytes
// (binary collation). Values of different families order numbers first.
int compareHeld(const HeldValue& a, const HeldValue& b);

} // namespace engine::fn::detail

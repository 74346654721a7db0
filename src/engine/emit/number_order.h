// The order of NUMBER values in emitted SQL. A NUMBER with more digits than a double is kept as text (fn/number.h),
// and SQLite orders every text after every number; so an ordering (< > <= >=, ORDER BY, MIN, MAX) of an expression
// that may hold such a value compares ORA_NUMBER_KEY of it, bytes in the numbers' order. Equality needs nothing: each
// value has one form. Columns whose declared precision keeps every value within a double stay native (and indexed).
#pragma once

#include "engine/types/oratype.h"

#include <string>

namespace engine::emit {

// A NUMBER expression that may hold a value kept as text.
bool mayHoldTextNumber(const types::ExprType& t);

// sql ordered by value: ORA_NUMBER_KEY(sql) when it may hold a number kept as text, else sql itself.
std::string numberOrderKey(const std::string& sql, const types::ExprType& t);

// The prefix of the SQL alias of a table behind a database link. A range condition on its NUMBER column is answered
// by the remote session, exactly (link/remote_table.cpp), so the native comparison stays for it to be passed there.
inline constexpr const char* kRemoteAliasPrefix = "rl";

// `l op r` (op one of < > <= >=) for NUMBER operands of which one may hold a number kept as text: the keys
// compared, and, when a side is a column that may hold such numbers, first a native comparison of the column that
// every row passing the exact one passes too, so an index on the column still narrows the rows (a number kept as
// text is above every native number in SQLite's order).
std::string numberOrdering(
    const std::string& l, const types::ExprType& lt, const std::string& op, const std::string& r,
    const types::ExprType& rt);

} // namespace engine::emit

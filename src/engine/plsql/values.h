// PL/SQL scalar semantics on engine values: conversion to a declared type (VALUE_ERROR as Oracle words it),
// comparison and arithmetic, the texts of numbers and dates.
#pragma once

#include "engine/fn/number.h"
#include "engine/plsql/types.h"
#include "engine/plsql/value.h"

#include <string>

namespace engine {
struct SessionState;
}

namespace engine::plsql {

PlError plError(int code, const std::string& text);
// ORA-06502: PL/SQL: numeric or value error[: detail]
PlError valueError(const std::string& detail);

fn::NumberValue numberOf(const Value& v); // text converts; ORA-06502 when it is no number
Value valueOf(const fn::NumberValue& n);
std::string textOf(const Value& v, const SessionState& s); // dates in NLS_DATE_FORMAT, bytes in hexadecimal
std::string hexText(const std::string& bytes); // upper-case hexadecimal digits, as RAWTOHEX gives them
Value dateOf(const Value& v, const SessionState& s);

// The value as a variable of type t holds it: numbers rounded to the declared scale, text checked against the
// declared length, CHAR padded. Throws PlError.
Val convertTo(const Val& v, const PlType& t, const SessionState& s);

// Both values not null: -1, 0, 1 by Oracle's rules (numbers numerically, dates in time order, text by bytes).
int compareValues(const Value& a, const Value& b, const SessionState& s);
// The same where the compiler knows an operand is a NUMBER: a number kept as text (more digits than a double)
// compares by value.
int compareValues(const Value& a, const Value& b, bool numeric, const SessionState& s);

// + - * / MOD ** on numbers; null when either is null.
Value arithmetic(const std::string& op, const Value& a, const Value& b);

} // namespace engine::plsql

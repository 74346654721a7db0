// What TIMESTAMP and INTERVAL values need of the session: its time zone, the statement's clock, and the forms in
// which such values reach the client (the executor's fetch and the PL/SQL values use them too).
#pragma once

#include "engine/fn/context.h"
#include "engine/fn/timestamp.h"

#include <string>

namespace engine::fn {

// SYSDATE's and SYSTIMESTAMP's time for the statement that starts now (local time of the machine).
void startStatementClock(FunctionContext& c);

// The session's time zone as minutes east of UTC; zone gets its text ("+02:00").
int sessionOffset(const FunctionContext& c, std::string* zone = nullptr);

// The text a client receives for a stored value of the kind (fraction: the type's fractional digits, leading: an
// interval's leading precision): "YYYY-MM-DD HH:MM:SS.ffffff" for TIMESTAMP and (in the session's zone) WITH
// LOCAL TIME ZONE, the same with " +02:00" for WITH TIME ZONE, Oracle's interval text for intervals. Empty when
// the stored value is not of the kind.
std::string clientText(const FunctionContext& c, DtKind kind, const std::string& stored, int64_t integer, int fraction,
    int leading);

// A datetime of the kind (Date, Timestamp*) as local time and zone: a stored value, or text read with the session's
// NLS format of the kind (text of kind Text reads as a TIMESTAMP WITH TIME ZONE that may leave out its zone).
// hasZone tells whether the value carries a zone (WITH [LOCAL] TIME ZONE: the session's for LOCAL).
Timestamp readDatetime(const FunctionContext& c, DtKind kind, std::string_view text, bool& hasZone);
// The stored form of kind for a value read by readDatetime; the fraction is rounded to fraction digits (a DATE
// drops it). A value without a zone takes the session's when the kind has one.
std::string writeDatetime(const FunctionContext& c, Timestamp value, bool hasZone, DtKind kind, int fraction);
// TO_CHAR without a model: the session's NLS format of the kind.
std::string datetimeText(const FunctionContext& c, DtKind kind, const Timestamp& value, bool hasZone, int fraction);

// A client's value for a TIMESTAMP (a date, "YYYY-MM-DD HH:MM:SS[.f...]" with or without a zone, or text in the
// session's NLS format) as the stored form of the kind. Throws OraError.
std::string storedFromClient(const FunctionContext& c, DtKind kind, const std::string& text, bool isDate);

} // namespace engine::fn

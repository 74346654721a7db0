// Oracle's TIMESTAMP and INTERVAL types in expressions: their descriptions, the kinds the run-time functions take,
// and Oracle's rules for datetime and interval arithmetic.
#pragma once

#include "engine/fn/timestamp.h"
#include "engine/types/oratype.h"

namespace engine::types {

inline constexpr int kDefaultFraction = 6; // TIMESTAMP, INTERVAL DAY TO SECOND without (p)
inline constexpr int kDefaultLeading = 2; // INTERVAL YEAR / DAY without (p)

bool isTimestamp(OraType t); // TIMESTAMP [WITH [LOCAL] TIME ZONE]
bool isInterval(OraType t);
// TIMESTAMP, INTERVAL, and DATE beside them: what the datetime rules of this file decide.
inline bool isDatetimeOrInterval(OraType t)
{
    return t == OraType::Date || isTimestamp(t) || isInterval(t);
}
inline bool isNewDatetime(OraType t)
{
    return isTimestamp(t) || isInterval(t);
}

// TIMESTAMP(fraction) [WITH [LOCAL] TIME ZONE]: precision holds nothing, scale the fraction digits, as Oracle
// describes them. INTERVAL: precision the leading field's digits, scale the fraction digits (0 for YEAR TO MONTH).
ExprType timestampType(OraType t, int fraction = kDefaultFraction);
ExprType intervalYM(int leading = kDefaultLeading);
ExprType intervalDS(int leading = kDefaultLeading, int fraction = kDefaultFraction);

// The kind the ORA_DT_... functions take for a value of type t (text for anything character-like).
fn::DtKind dtKindOf(const ExprType& t);

// "TIMESTAMP(6) WITH TIME ZONE", "INTERVAL DAY(2) TO SECOND(6)": ALL_TAB_COLUMNS.DATA_TYPE and messages.
std::string datetimeTypeText(const ExprType& t);

// Oracle's datetime arithmetic, where a TIMESTAMP or INTERVAL takes part.
enum class DatetimeOp {
    AddInterval, // datetime + interval, interval + datetime (operands swapped), datetime - interval (negated)
    Difference, // datetime - datetime: INTERVAL DAY TO SECOND
    IntervalSum, // interval +/- interval of the same kind
    IntervalScale, // interval * number, number * interval, interval / number
    DatePlusNumber, // TIMESTAMP +/- number: the TIMESTAMP becomes a DATE first
};
struct DatetimePlan {
    DatetimeOp op = DatetimeOp::AddInterval;
    bool swap = false; // the interval (or number) is on the left
    ExprType result;
    int error = 0; // when not 0: Oracle's error for this combination (ORA-00932, ORA-30081, ORA-00975)
    std::string message;
};
// Only for operands of which one is a TIMESTAMP or INTERVAL (or DATE with an interval).
DatetimePlan planDatetimeArithmetic(char op, const ExprType& a, const ExprType& b);

// The type both sides of a comparison are brought to, or std::nullopt (ORA-00932) when Oracle refuses.
std::optional<ExprType> datetimeComparisonType(const ExprType& a, const ExprType& b);

} // namespace engine::types

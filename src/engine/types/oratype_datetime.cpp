#include "engine/types/oratype_datetime.h"

namespace engine::types {

bool isTimestamp(OraType t)
{
    return t == OraType::Timestamp || t == OraType::TimestampTz || t == OraType::TimestampLtz;
}

bool isInterval(OraType t)
{
    return t == OraType::IntervalYM || t == OraType::IntervalDS;
}

ExprType timestampType(OraType t, int fraction)
{
    ExprType r;
    r.type = t;
    r.size = t == OraType::TimestampTz ? 13 : 11;
    r.scale = fraction;
    r.scaleDeclared = true;
    return r;
}

ExprType intervalYM(int leading)
{
    ExprType r;
    r.type = OraType::IntervalYM;
    r.size = 5;
    r.precision = leading;
    r.scale = 0;
    return r;
}

ExprType intervalDS(int leading, int fraction)
{
    ExprType r;
    r.type = OraType::IntervalDS;
    r.size = 11;
    r.precision = leading;
    r.scale = fraction;
    r.scaleDeclared = true;
    return r;
}

fn::DtKind dtKindOf(const ExprType& t)
{
    switch (t.type) {
    case OraType::Date:
        return fn::DtKind::Date;
    case OraType::Timestamp:
        return fn::DtKind::Timestamp;
    case OraType::TimestampTz:
        return fn::DtKind::TimestampTz;
    case OraType::TimestampLtz:
        return fn::DtKind::TimestampLtz;
    case OraType::IntervalYM:
        return fn::DtKind::IntervalYM;
    case OraType::IntervalDS:
        return fn::DtKind::IntervalDS;
    default:
        return fn::DtKind::Text;
    }
}

std::string datetimeTypeText(const ExprType& t)
{
    const std::string f = std::to_string(t.scale);
    switch (t.type) {
    case OraType::Timestamp:
        return "TIMESTAMP(" + f + ")";
    case OraType::TimestampTz:
        return "TIMESTAMP(" + f + ") WITH TIME ZONE";
    case OraType::TimestampLtz:
        return "TIMESTAMP(" + f + ") WITH LOCAL TIME ZONE";
    case OraType::IntervalYM:
        return "INTERVAL YEAR(" + std::to_string(t.precision) + ") TO MONTH";
    case OraType::IntervalDS:
        return "INTERVAL DAY(" + std::to_string(t.precision) + ") TO SECOND(" + f + ")";
    default:
        return oracleTypeName(t.type);
    }
}

namespace {

bool isDatetime(const ExprType& t)
{
    return !t.isNull && (t.type == OraType::Date || isTimestamp(t.type));
}

bool numberLike(const ExprType& t)
{
    return t.isNull || t.isBind || t.type == OraType::Number || isCharacter(t.type);
}

DatetimePlan refused(int code, const std::string& message)
{
    DatetimePlan p;
    p.error = code;
    p.message = message;
    return p;
}

DatetimePlan invalidArithmetic()
{
    return refused(30081, "invalid data type for datetime/interval arithmetic");
}

} // namespace

DatetimePlan planDatetimeArithmetic(char op, const ExprType& a, const ExprType& b)
{
    DatetimePlan p;
    const bool nullable = a.nullable || b.nullable || a.isNull || b.isNull;
    const bool aDt = isDatetime(a);
    const bool bDt = isDatetime(b);
    const bool aIv = !a.isNull && isInterval(a.type);
    const bool bIv = !b.isNull && isInterval(b.type);
    if (aDt && bDt) {
        if (op != '-')
            return a.type == OraType::Date && b.type == OraType::Date ? refused(975, "date + date not allowed")
                                                                      : invalidArithmetic();
        p.op = DatetimeOp::Difference;
        p.result = intervalDS(9, 9);
    } else if ((aDt && bIv) || (aIv && bDt)) {
        if (op == '*' || op == '/' || (aIv && op == '-'))
            return invalidArithmetic();
        p.op = DatetimeOp::AddInterval;
        p.swap = aIv;
        p.result = aDt ? a : b;
    } else if (aIv && bIv) {
        if (op == '*' || op == '/')
            return invalidArithmetic();
        if (a.type != b.type)
            return refused(932, "inconsistent datatypes: expected " + oracleTypeName(a.type) + " got "
                    + oracleTypeName(b.type));
        p.op = DatetimeOp::IntervalSum;
        p.result = a.type == OraType::IntervalYM ? intervalYM(9) : intervalDS(9, 9);
    } else if (aIv || bIv) {
        const ExprType& other = aIv ? b : a;
        if (op == '+' || op == '-' || (bIv && op == '/') || !numberLike(other))
            return invalidArithmetic();
        p.op = DatetimeOp::IntervalScale;
        p.swap = bIv;
        p.result = (aIv ? a : b).type == OraType::IntervalYM ? intervalYM(9) : intervalDS(9, 9);
    } else {
        // A TIMESTAMP with a number (or text): Oracle makes the TIMESTAMP a DATE and counts days.
        const bool aTs = !a.isNull && isTimestamp(a.type);
        const ExprType& other = aTs ? b : a;
        if (op == '*' || op == '/' || !numberLike(other) || (!aTs && op == '-'))
            return invalidArithmetic();
        p.op = DatetimeOp::DatePlusNumber;
        p.swap = !aTs;
        p.result = ExprType::date();
    }
    p.result.nullable = nullable;
    p.result.isTextLiteral = false;
    p.result.isBind = false;
    return p;
}

std::optional<ExprType> datetimeComparisonType(const ExprType& a, const ExprType& b)
{
    if (a.isNull || b.isNull || a.isBind || b.isBind) {
        const ExprType& t = a.isNull || a.isBind ? b : a;
        return t;
    }
    const bool aText = isCharacter(a.type);
    const bool bText = isCharacter(b.type);
    if (isInterval(a.type) || isInterval(b.type)) {
        if (a.type == b.type || bText)
            return a;
        if (aText)
            return b;
        return std::nullopt;
    }
    if (aText)
        return b;
    if (bText)
        return a;
    if (!isDatetime(a) || !isDatetime(b))
        return std::nullopt;
    // The zone-aware type wins: both are then compared as points in time (in UTC).
    auto rank = [](OraType t) {
        return t == OraType::TimestampTz ? 3 : t == OraType::TimestampLtz ? 2 : t == OraType::Timestamp ? 1 : 0;
    };
    ExprType r = rank(a.type) >= rank(b.type) ? a : b;
    if (r.type == OraType::Date)
        return r;
    r.scale = 9;
    return r;
}

} // namespace engine::types

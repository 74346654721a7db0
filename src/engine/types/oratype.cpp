#include "engine/types/oratype.h"

#include <algorithm>

namespace engine::types {

ExprType ExprType::number(int precision, int scale, bool scaleDeclared)
{
    ExprType t;
    t.type = OraType::Number;
    t.size = 22;
    t.precision = precision;
    t.scale = scale;
    t.scaleDeclared = scaleDeclared;
    return t;
}

ExprType ExprType::varchar2(int size)
{
    ExprType t;
    t.type = OraType::Varchar2;
    t.size = size;
    return t;
}

ExprType ExprType::charType(int size)
{
    ExprType t;
    t.type = OraType::Char;
    t.size = size;
    return t;
}

ExprType ExprType::date()
{
    ExprType t;
    t.type = OraType::Date;
    t.size = kDateDisplaySize;
    return t;
}

ExprType ExprType::rowid()
{
    ExprType t;
    t.type = OraType::Rowid;
    t.size = 18;
    return t;
}

ExprType ExprType::nullLiteral()
{
    ExprType t;
    t.type = OraType::Varchar2;
    t.size = 0;
    t.isNull = true;
    return t;
}

ExprType ExprType::textLiteral(int size)
{
    // Oracle describes a character literal as CHAR of its length.
    ExprType t;
    t.type = OraType::Char;
    t.size = size;
    t.nullable = false;
    t.isTextLiteral = true;
    return t;
}

ExprType ExprType::bind()
{
    ExprType t;
    t.type = OraType::Varchar2;
    t.size = kMaxVarchar2;
    t.isBind = true;
    return t;
}

Family familyOf(OraType t)
{
    switch (t) {
    case OraType::Varchar2:
    case OraType::Char:
    case OraType::Long:
        return Family::Character;
    case OraType::Number:
        return Family::Numeric;
    case OraType::Date:
    case OraType::Timestamp:
    case OraType::TimestampTz:
    case OraType::TimestampLtz:
        return Family::Datetime;
    case OraType::IntervalYM:
    case OraType::IntervalDS:
        return Family::Interval;
    case OraType::Raw:
        return Family::Binary;
    case OraType::Clob:
    case OraType::Blob:
        return Family::LargeObject;
    case OraType::Rowid:
        return Family::Rowid;
    case OraType::RefCursor:
        return Family::Other;
    }
    return Family::Other;
}

bool isCharacter(OraType t)
{
    return familyOf(t) == Family::Character || t == OraType::Clob;
}

std::string oracleTypeName(OraType t)
{
    switch (t) {
    case OraType::Varchar2:
    case OraType::Char:
        return "CHAR";
    case OraType::Number:
        return "NUMBER";
    case OraType::Date:
        return "DATE";
    case OraType::Long:
        return "LONG";
    case OraType::Clob:
        return "CLOB";
    case OraType::Blob:
        return "BLOB";
    case OraType::Raw:
        return "BINARY";
    case OraType::Rowid:
        return "ROWID";
    case OraType::RefCursor:
        return "CURSER";
    case OraType::Timestamp:
        return "TIMESTAMP";
    case OraType::TimestampTz:
        return "TIMESTAMP WITH TIME ZONE";
    case OraType::TimestampLtz:
        return "TIMESTAMP WITH LOCAL TIME ZONE";
    case OraType::IntervalYM:
        return "INTERVAL YEAR TO MONTH";
    case OraType::IntervalDS:
        return "INTERVAL DAY TO SECOND";
    }
    return "UNKNOWN";
}

namespace {

bool textLike(const ExprType& t)
{
    return t.isNull || t.isBind || isCharacter(t.type) || t.type == OraType::Rowid;
}

} // namespace

std::optional<Conversion> implicitConversion(const ExprType& from, OraType to)
{
    if (from.isNull)
        return Conversion::None;
    if (from.type == to)
        return Conversion::None;
    const Family ff = familyOf(from.type);
    const Family tf = familyOf(to);
    if (ff == tf)
        return Conversion::None;
    if (from.isBind) {
        // The executor converts bind values to the context's type.
        return Conversion::None;
    }
    switch (tf) {
    case Family::Numeric:
        if (textLike(from))
            return Conversion::ToNumber;
        return std::nullopt;
    case Family::Datetime:
        if (textLike(from))
            return Conversion::ToDate;
        return std::nullopt;
    case Family::Character:
        if (ff == Family::Numeric || ff == Family::Datetime || ff == Family::Rowid)
            return Conversion::ToChar;
        if (from.type == OraType::Clob)
            return Conversion::None;
        return std::nullopt;
    case Family::LargeObject:
        if (to == OraType::Clob && (textLike(from) || ff == Family::Numeric || ff == Family::Datetime))
            return ff == Family::Character ? Conversion::None : Conversion::ToChar;
        return std::nullopt;
    case Family::Rowid:
        if (textLike(from))
            return Conversion::None;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<ComparisonPlan> planComparison(const ExprType& a, const ExprType& b)
{
    ComparisonPlan plan;
    if (a.isNull || b.isNull)
        return plan;
    if (a.type == OraType::Blob || b.type == OraType::Blob || a.type == OraType::Long || b.type == OraType::Long)
        return std::nullopt;
    const Family fa = familyOf(a.type);
    const Family fb = familyOf(b.type);
    if (a.isBind || b.isBind)
        return plan;
    // LOBs are not compared in SQL (LIKE and the LOB functions read them).
    if (a.type == OraType::Clob || b.type == OraType::Clob)
        return std::nullopt;
    if (fa == fb || (fa == Family::Rowid && textLike(b)) || (fb == Family::Rowid && textLike(a))) {
        if (fa == Family::Character && fb == Family::Character) {
            // Blank-padded semantics when both are CHAR, text literals counting as CHAR (two literals included),
            // and no VARCHAR2 is involved.
            plan.blankPadded = a.type == OraType::Char && b.type == OraType::Char;
        }
        return plan;
    }
    if (fa == Family::Numeric && textLike(b)) {
        plan.right = Conversion::ToNumber;
        return plan;
    }
    if (fb == Family::Numeric && textLike(a)) {
        plan.left = Conversion::ToNumber;
        return plan;
    }
    if (fa == Family::Datetime && textLike(b)) {
        plan.right = Conversion::ToDate;
        return plan;
    }
    if (fb == Family::Datetime && textLike(a)) {
        plan.left = Conversion::ToDate;
        return plan;
    }
    return std::nullopt;
}

std::optional<ArithmeticPlan> planArithmetic(char op, const ExprType& a, const ExprType& b)
{
    ArithmeticPlan plan;
    plan.result = ExprType::number();
    plan.result.nullable = a.nullable || b.nullable || a.isNull || b.isNull;
    const bool aDate = a.type == OraType::Date && !a.isNull;
    const bool bDate = b.type == OraType::Date && !b.isNull;
    auto toNumber = [](const ExprType& t) -> std::optional<Conversion> {
        if (t.isNull || t.isBind || t.type == OraType::Number)
            return Conversion::None;
        if (textLike(t))
            return Conversion::ToNumber;
        return std::nullopt;
    };
    if (aDate || bDate) {
        if (op == '*' || op == '/')
            return std::nullopt;
        if (aDate && bDate) {
            if (op != '-')
                return std::nullopt;
            plan.kind = ArithmeticKind::DateMinusDate;
            return plan;
        }
        const ExprType& other = aDate ? b : a;
        auto c = toNumber(other);
        if (!c)
            return std::nullopt;
        if (aDate) {
            plan.right = *c;
            plan.kind = op == '+' ? ArithmeticKind::DatePlusDays : ArithmeticKind::DateMinusDays;
        } else {
            if (op == '-')
                return std::nullopt;
            plan.left = *c;
            plan.kind = ArithmeticKind::DaysPlusDate;
        }
        plan.result = ExprType::date();
        plan.result.nullable = a.nullable || b.nullable || a.isNull || b.isNull;
        return plan;
    }
    auto ca = toNumber(a);
    auto cb = toNumber(b);
    if (!ca || !cb)
        return std::nullopt;
    plan.left = *ca;
    plan.right = *cb;
    return plan;
}

namespace {
int textSizeOf(const ExprType& t)
{
    if (t.isNull)
        return 0;
    switch (t.type) {
    case OraType::Number:
        return 40;
    case OraType::Date:
        return 9; // DD-MON-RR and other short models; Oracle describes TO_CHAR(date) by the format length
    case OraType::Rowid:
        return 18;
    default:
        return t.size;
    }
}
} // namespace

ExprType concatResult(const ExprType& a, const ExprType& b)
{
    ExprType r;
    if (a.type == OraType::Clob || b.type == OraType::Clob) {
        r.type = OraType::Clob;
        r.size = 4000;
    } else {
        r.type = OraType::Varchar2;
        r.size = std::min(kMaxVarchar2, textSizeOf(a) + textSizeOf(b));
    }
    // NULL operands are skipped, so the result is NULL only when both are.
    r.nullable = (a.nullable || a.isNull) && (b.nullable || b.isNull);
    return r;
}

ExprType firstResultType(const ExprType* const* results, int count)
{
    const ExprType* first = nullptr;
    for (int i = 0; i < count; ++i) {
        if (!results[i]->isNull) {
            first = results[i];
            break;
        }
    }
    if (!first)
        return ExprType::nullLiteral();
    ExprType r = *first;
    r.isTextLiteral = false;
    r.isBind = false;
    if (first->isBind)
        r = ExprType::varchar2();
    if (r.type == OraType::Char && first->isTextLiteral) {
        // Oracle describes CASE/DECODE of literals as VARCHAR2 of the longest result when the first is CHAR.
        r.type = OraType::Char;
    }
    bool nullable = false;
    for (int i = 0; i < count; ++i) {
        const ExprType& t = *results[i];
        if (t.isNull || t.nullable)
            nullable = true;
        if (isCharacter(r.type) && isCharacter(t.type) && !t.isNull)
            r.size = std::max(r.size, t.size);
    }
    if (r.type == OraType::Number) {
        r.precision = 0;
        r.scale = 0;
        r.scaleDeclared = false;
    }
    r.nullable = nullable;
    return r;
}

std::optional<ExprType> setOperationColumn(const ExprType& a, const ExprType& b)
{
    if (a.isNull && b.isNull)
        return a;
    if (a.isNull) {
        ExprType r = b;
        r.nullable = true;
        r.isTextLiteral = false;
        return r;
    }
    if (b.isNull) {
        ExprType r = a;
        r.nullable = true;
        r.isTextLiteral = false;
        return r;
    }
    if (a.isBind || b.isBind) {
        ExprType r = a.isBind ? b : a;
        r.nullable = true;
        return r;
    }
    const Family fa = familyOf(a.type);
    const Family fb = familyOf(b.type);
    if (fa != fb)
        return std::nullopt;
    ExprType r = a;
    r.isTextLiteral = false;
    r.nullable = a.nullable || b.nullable;
    if (fa == Family::Character) {
        // CHAR with CHAR of the same length stays CHAR, otherwise VARCHAR2.
        if (!(a.type == OraType::Char && b.type == OraType::Char && a.size == b.size))
            r.type = OraType::Varchar2;
        r.size = std::max(a.size, b.size);
    }
    if (fa == Family::Numeric && (a.precision != b.precision || a.scale != b.scale)) {
        r.precision = 0;
        r.scale = 0;
        r.scaleDeclared = false;
    }
    return r;
}

ColumnDesc describe(const std::string& name, const ExprType& t)
{
    ColumnDesc d;
    d.name = name;
    d.type = t.type;
    d.size = t.size;
    d.precision = t.precision;
    d.scale = t.scale;
    d.nullable = t.nullable || t.isNull;
    return d;
}

} // namespace engine::types

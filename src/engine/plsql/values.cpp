// PL/SQL scalar semantics shared by the interpreter: type mapping, conversions with Oracle's VALUE_ERROR texts,
// comparison and arithmetic on engine values.
#include "engine/plsql/values.h"

#include "engine/emit/runtime_functions.h"
#include "engine/fn/arithmetic.h"
#include "engine/fn/dateformat.h"
#include "engine/fn/decimal.h"
#include "engine/fn/datetime.h"
#include "engine/fn/number.h"
#include "engine/fn/oraerror.h"
#include "engine/session/session_state.h"

#include <cmath>

namespace engine::plsql {

Val copyVal(const Val& v)
{
    Val r;
    r.v = v.v;
    if (!v.c)
        return r;
    if (v.c->cursor && v.c->fields.empty() && v.c->elements.empty()) {
        r.c = v.c;
        return r;
    }
    r.c = std::make_shared<Composite>();
    r.c->atomicallyNull = v.c->atomicallyNull;
    r.c->size = v.c->size;
    r.c->cursor = v.c->cursor;
    r.c->fields.reserve(v.c->fields.size());
    for (const Val& f : v.c->fields)
        r.c->fields.push_back(copyVal(f));
    for (const auto& [k, e] : v.c->elements)
        r.c->elements.emplace(k, copyVal(e));
    return r;
}

types::ExprType sqlTypeOf(const PlType& t)
{
    switch (t.kind) {
    case PlKind::Number:
        return types::ExprType::number(t.precision, t.scale, t.scaleDeclared);
    case PlKind::Date:
        return types::ExprType::date();
    case PlKind::Char:
        // an unconstrained CHAR (a parameter) holds the actual's text as it is
        return t.size > 0 ? types::ExprType::charType(t.size) : types::ExprType::varchar2();
    case PlKind::Rowid:
        return types::ExprType::rowid();
    case PlKind::Long: {
        types::ExprType r = types::ExprType::varchar2(32767);
        r.type = OraType::Long;
        return r;
    }
    case PlKind::Clob: {
        types::ExprType r = types::ExprType::varchar2(32767);
        r.type = OraType::Clob;
        return r;
    }
    case PlKind::Raw: {
        types::ExprType r = types::ExprType::varchar2(t.size > 0 ? t.size : 2000);
        r.type = OraType::Raw;
        return r;
    }
    case PlKind::Blob: {
        types::ExprType r = types::ExprType::varchar2(32767);
        r.type = OraType::Blob;
        return r;
    }
    default:
        return types::ExprType::varchar2(t.size > 0 && t.size <= types::kMaxVarchar2 ? t.size : types::kMaxVarchar2);
    }
}

PlType plTypeOf(const types::ExprType& t)
{
    PlType r;
    switch (t.type) {
    case OraType::Number:
        r.kind = PlKind::Number;
        r.precision = t.precision;
        r.scale = t.scale;
        r.scaleDeclared = t.scaleDeclared;
        break;
    case OraType::Date:
        r.kind = PlKind::Date;
        break;
    case OraType::Char:
        r.kind = PlKind::Char;
        r.size = t.size;
        break;
    case OraType::Long:
        r.kind = PlKind::Long;
        break;
    case OraType::Clob:
        r.kind = PlKind::Clob;
        break;
    case OraType::Blob:
        r.kind = PlKind::Blob;
        break;
    case OraType::Raw:
        r.kind = PlKind::Raw;
        r.size = t.size;
        break;
    case OraType::Rowid:
        r.kind = PlKind::Rowid;
        break;
    case OraType::RefCursor:
        r.kind = PlKind::RefCursor;
        break;
    case OraType::Timestamp:
    case OraType::TimestampTz:
    case OraType::TimestampLtz:
    case OraType::IntervalYM:
    case OraType::IntervalDS:
        // PL/SQL has no values of these types yet: refused rather than held as text.
        throw Error(3001, "ORA-03001: unimplemented feature: " + types::oracleTypeName(t.type) + " values in PL/SQL");
    default:
        r.kind = PlKind::Varchar2;
        r.size = t.size;
        break;
    }
    return r;
}

PlType plTypeOf(const ColumnDesc& c)
{
    types::ExprType t;
    t.type = c.type;
    t.size = c.size;
    t.precision = c.precision;
    t.scale = c.scale;
    t.scaleDeclared = c.type == OraType::Number && c.precision > 0;
    return plTypeOf(t);
}

OraType oraTypeOf(const PlType& t)
{
    switch (t.kind) {
    case PlKind::Number:
    case PlKind::Boolean:
        return OraType::Number;
    case PlKind::Date:
        return OraType::Date;
    case PlKind::Char:
        return OraType::Char;
    case PlKind::Long:
        return OraType::Long;
    case PlKind::Clob:
        return OraType::Clob;
    case PlKind::Blob:
        return OraType::Blob;
    case PlKind::Raw:
        return OraType::Raw;
    case PlKind::Rowid:
        return OraType::Rowid;
    case PlKind::RefCursor:
        return OraType::RefCursor;
    default:
        return OraType::Varchar2;
    }
}

std::string typeName(const PlType& t)
{
    if (!t.name.empty())
        return t.name;
    switch (t.kind) {
    case PlKind::Number:
        return "NUMBER";
    case PlKind::Varchar2:
        return "VARCHAR2";
    case PlKind::Char:
        return "CHAR";
    case PlKind::Date:
        return "DATE";
    case PlKind::Boolean:
        return "BOOLEAN";
    case PlKind::Long:
        return "LONG";
    case PlKind::Clob:
        return "CLOB";
    case PlKind::Blob:
        return "BLOB";
    case PlKind::Raw:
        return "RAW";
    case PlKind::Rowid:
        return "ROWID";
    case PlKind::Record:
        return "RECORD";
    case PlKind::Table:
        return "TABLE";
    case PlKind::RefCursor:
        return "REF CURSOR";
    }
    return "UNDEFINED";
}

PlError plError(int code, const std::string& text)
{
    PlError e;
    e.code = code;
    char buf[16];
    std::snprintf(buf, sizeof buf, "ORA-%05d: ", code);
    e.message = buf + text;
    return e;
}

PlError valueError(const std::string& detail)
{
    return plError(6502, "PL/SQL: numeric or value error" + (detail.empty() ? std::string() : ": " + detail));
}

fn::NumberValue numberOf(const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Integer:
        return fn::NumberValue::ofInteger(v.integer);
    case Value::Kind::Real:
        return fn::NumberValue::ofReal(v.real);
    case Value::Kind::Text: {
        fn::NumberValue n;
        if (!fn::tryParseNumberText(v.text, n))
            throw valueError("character to number conversion error");
        return n;
    }
    default:
        throw valueError("");
    }
}

// More digits than a double holds go as Oracle's text of the number, as the SQL engine keeps them (fn/number.h).
Value valueOf(const fn::NumberValue& n)
{
    return n.isInteger ? Value::fromInt(n.integer)
        : n.isExactText() ? Value::fromText(n.exact)
                          : Value::fromReal(n.real);
}

std::string hexText(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string r;
    r.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        r += digits[b >> 4];
        r += digits[b & 15];
    }
    return r;
}

std::string textOf(const Value& v, const SessionState& s)
{
    switch (v.kind) {
    case Value::Kind::Null:
        return {};
    case Value::Kind::Integer:
    case Value::Kind::Real:
        return fn::numberText(numberOf(v));
    case Value::Kind::Date: {
        fn::DateTime d;
        if (!fn::parseStoredDate(v.text, d))
            return v.text;
        return fn::DateFormat::parse(s.fctx.nlsDateFormat).format(d);
    }
    case Value::Kind::Blob:
        return hexText(v.text);
    default:
        return v.text;
    }
}

Value dateOf(const Value& v, const SessionState& s)
{
    if (v.isNull() || v.kind == Value::Kind::Date)
        return v;
    if (v.kind == Value::Kind::Text) {
        try {
            fn::DateTime now;
            fn::parseStoredDate(s.fctx.statementTime.empty() ? "2000-01-01 00:00:00" : s.fctx.statementTime, now);
            fn::DateTime d = fn::DateFormat::parse(s.fctx.nlsDateFormat).parseDate(v.text, now);
            return Value::fromDate(fn::toStoredDate(d));
        } catch (const fn::OraError& e) {
            throw plError(e.code(), e.message().substr(e.message().find(": ") + 2));
        }
    }
    throw plError(932, "inconsistent datatypes: expected DATE got NUMBER");
}

namespace {

size_t charCount(const std::string& s)
{
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

} // namespace

Val convertTo(const Val& in, const PlType& t, const SessionState& s)
{
    if (!t.isScalar()) {
        if (t.kind == PlKind::RefCursor)
            return in;
        return copyVal(in);
    }
    Val out;
    const Value& v = in.v;
    if (v.isNull()) {
        if (t.notNull)
            throw valueError("");
        return out;
    }
    switch (t.kind) {
    case PlKind::Boolean:
        out.v = v;
        return out;
    case PlKind::Number: {
        if (v.kind == Value::Kind::Date)
            throw valueError("");
        fn::NumberValue n = numberOf(v);
        if (t.integerOnly && !n.isInteger)
            n = fn::roundNumber(n, 0);
        if (t.plsInteger) {
            if (!n.isInteger || n.integer < -2147483648LL || n.integer > 2147483647LL)
                throw plError(1426, "numeric overflow");
            if (t.rangeLow < t.rangeHigh && (n.integer < t.rangeLow || n.integer > t.rangeHigh))
                throw valueError("");
        }
        if (t.scaleDeclared || t.precision > 0) {
            n = fn::roundNumber(n, t.scale);
            if (t.precision > 0) {
                const fn::Decimal d = fn::Decimal::of(n);
                if (d.count > 0 && d.exponent > t.precision - t.scale)
                    throw valueError("number precision too large");
            }
        }
        out.v = valueOf(n);
        return out;
    }
    case PlKind::Date:
        out.v = dateOf(v, s);
        return out;
    case PlKind::Raw:
    case PlKind::Blob: {
        // Bytes stay bytes; text is read as hexadecimal digits, as Oracle's implicit HEXTORAW reads it.
        std::string bytes;
        if (v.kind == Value::Kind::Blob)
            bytes = v.text;
        else if (v.kind == Value::Kind::Text) {
            std::optional<std::string> b = emit::hexToRaw(v.text);
            if (!b)
                throw valueError("hex to raw conversion error");
            bytes = std::move(*b);
        } else
            throw valueError("");
        if (t.kind == PlKind::Raw) {
            size_t limit = t.size > 0 ? static_cast<size_t>(t.size) : 32767;
            if (bytes.size() > limit)
                throw valueError("raw variable length too long");
            if (bytes.empty())
                return out;
        } else
            out.tableLob = in.tableLob;
        out.v = Value::fromBlob(std::move(bytes));
        return out;
    }
    case PlKind::Clob:
        if (v.kind == Value::Kind::Text && v.text.empty()) {
            // An empty CLOB is not NULL.
            out.v = v;
            out.tableLob = in.tableLob;
            return out;
        }
        out.tableLob = in.tableLob;
        out.v = Value::fromText(v.kind == Value::Kind::Text ? v.text : textOf(v, s));
        return out;
    case PlKind::Varchar2:
    case PlKind::Char:
    case PlKind::Long:
    case PlKind::Rowid: {
        std::string text = v.kind == Value::Kind::Text ? v.text : textOf(v, s);
        int limit = t.size > 0 ? t.size : (t.kind == PlKind::Clob ? 0 : 32767);
        if (limit > 0) {
            size_t len = t.kind == PlKind::Char && t.size > 0 ? charCount(text) : text.size();
            if (len > static_cast<size_t>(limit))
                throw valueError("character string buffer too small");
            if (t.kind == PlKind::Char && t.size > 0 && len < static_cast<size_t>(limit))
                text.append(static_cast<size_t>(limit) - len, ' ');
        }
        out.v = Value::fromText(std::move(text));
        return out;
    }
    default:
        out.v = v;
        return out;
    }
}

int compareValues(const Value& a, const Value& b, const SessionState& s)
{
    const bool an = a.kind == Value::Kind::Integer || a.kind == Value::Kind::Real;
    const bool bn = b.kind == Value::Kind::Integer || b.kind == Value::Kind::Real;
    if (an || bn) {
        if (a.kind == Value::Kind::Integer && b.kind == Value::Kind::Integer)
            return a.integer < b.integer ? -1 : a.integer > b.integer ? 1 : 0;
        fn::NumberValue x = numberOf(a), y = numberOf(b);
        if (x.isInteger && y.isInteger)
            return x.integer < y.integer ? -1 : x.integer > y.integer ? 1 : 0;
        return fn::compareNumbers(x, y);
    }
    if (a.kind == Value::Kind::Date || b.kind == Value::Kind::Date) {
        Value x = dateOf(a, s), y = dateOf(b, s);
        return x.text < y.text ? -1 : x.text > y.text ? 1 : 0;
    }
    int c = a.text.compare(b.text);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int compareValues(const Value& a, const Value& b, bool numeric, const SessionState& s)
{
    if (numeric && a.kind != Value::Kind::Date && b.kind != Value::Kind::Date)
        return fn::compareNumbers(numberOf(a), numberOf(b));
    return compareValues(a, b, s);
}

Value arithmetic(const std::string& op, const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    if (op == "+" && a.kind == Value::Kind::Integer && b.kind == Value::Kind::Integer) {
        int64_t r;
        if (!__builtin_add_overflow(a.integer, b.integer, &r))
            return Value::fromInt(r);
    }
    fn::NumberValue x = numberOf(a), y = numberOf(b);
    try {
        if (op == "+")
            return valueOf(fn::addNumbers(x, y));
        if (op == "-")
            return valueOf(fn::subtractNumbers(x, y));
        if (op == "*")
            return valueOf(fn::multiplyNumbers(x, y));
        if (op == "/") {
            if (y.isZero())
                throw plError(1476, "divisor is equal to zero");
            return valueOf(fn::divideNumbers(x, y));
        }
        if (op == "MOD") {
            if (y.isZero())
                return valueOf(x);
            fn::NumberValue q = fn::truncNumber(fn::divideNumbers(x, y), 0);
            return valueOf(fn::subtractNumbers(x, fn::multiplyNumbers(y, q)));
        }
        if (op == "**")
            return valueOf(fn::checkedNumber(std::pow(x.toDouble(), y.toDouble())));
    } catch (const fn::OraError& e) {
        throw plError(e.code(), e.message().substr(e.message().find(": ") + 2));
    }
    throw plError(3001, "unimplemented feature: operator " + op);
}

} // namespace engine::plsql

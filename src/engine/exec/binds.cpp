// Bind conversion.
#include "engine/exec/binds.h"

#include "engine/fn/timestamp_session.h"
#include "engine/types/oratype_datetime.h"

#include "engine/emit/runtime_functions.h"
#include "engine/fn/dateformat.h"
#include "engine/fn/datetime.h"
#include "engine/fn/number.h"
#include "engine/fn/oraerror.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace engine::exec {

std::string currentStatementTime()
{
    // Every statement asks; the text changes once a second. Each thread keeps its own last answer.
    thread_local std::time_t last = -1;
    thread_local std::string text;
    std::time_t t = std::time(nullptr);
    if (t != last) {
        std::tm tm {};
        localtime_r(&t, &tm);
        char buf[32];
        std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
        text = buf;
        last = t;
    }
    return text;
}

namespace {

// A number in the engine's one form for its value (fn/number.h): more digits than a double holds go as text.
Value numberValue(const fn::NumberValue& n)
{
    return n.isInteger ? Value::fromInt(n.integer)
        : n.isExactText() ? Value::fromText(n.exact)
                          : Value::fromReal(n.real);
}

fn::NumberValue asNumber(const Value& v)
{
    return v.kind == Value::Kind::Integer ? fn::NumberValue::ofInteger(v.integer)
        : v.kind == Value::Kind::Text     ? fn::parseNumberText(v.text)
                                          : fn::NumberValue::ofReal(v.real);
}

std::string dateToText(const std::string& stored, const fn::FunctionContext& ctx)
{
    fn::DateTime d;
    if (!fn::parseStoredDate(stored, d))
        return stored;
    return fn::DateFormat::parse(ctx.nlsDateFormat).format(d);
}

// A DATE as a client hands it over ("YYYY-MM-DD HH:MM:SS"), checked field by field with the error Oracle gives for
// that field. DATE here holds the years 1 to 9999.
void checkDateValue(const std::string& text)
{
    fn::DateTime d;
    if (fn::parseStoredDate(text, d))
        return;
    // Fields: a year (maybe signed, maybe longer than four digits), then month, day, hour, minute and second.
    int fields[6] = {};
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        ++i;
    static const char separators[] = { '-', '-', ' ', ':', ':', '\0' };
    for (int f = 0; f < 6; ++f) {
        const size_t begin = i;
        int64_t value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - begin < 9)
            value = value * 10 + (text[i++] - '0');
        if (i == begin || (f < 5 && (i >= text.size() || text[i] != separators[f])) || (f == 5 && i != text.size()))
            throw oraError(1858, "a non-numeric character was found where a numeric was expected");
        fields[f] = static_cast<int>(value);
        ++i;
    }
    const int year = negative ? -fields[0] : fields[0];
    if (year < 1 || year > 9999)
        throw oraError(1841, "(full) year must be between -4713 and +9999, and not be 0");
    if (fields[1] < 1 || fields[1] > 12)
        throw oraError(1843, "not a valid month");
    if (!fn::isValidDate(year, fields[1], fields[2]))
        throw oraError(1847, "day of month must be between 1 and last day of month");
    if (fields[3] > 23)
        throw oraError(1850, "hour must be between 0 and 23");
    if (fields[4] > 59)
        throw oraError(1851, "minutes must be between 0 and 59");
    throw oraError(1852, "seconds must be between 0 and 59");
}

// A number as a client hands it over: NUMBER holds no infinity and no NaN, and magnitudes below 1E126.
void checkRealValue(double r)
{
    if (std::isnan(r))
        throw oraError(1722, "invalid number");
    if (!std::isfinite(r) || std::fabs(r) >= 1e126)
        throw oraError(1426, "numeric overflow");
}

// Whether convertBind gives the value back as it is, with nothing to check: the common binds skip its copy.
bool passesUnchanged(const Value& v, const types::ExprType& expected)
{
    switch (v.kind) {
    case Value::Kind::Null:
        return true;
    case Value::Kind::Integer:
        return expected.type == OraType::Number;
    case Value::Kind::Text:
        return expected.type == OraType::Varchar2 || expected.type == OraType::Char || expected.type == OraType::Long
            || expected.type == OraType::Clob || expected.type == OraType::Rowid;
    default:
        return false;
    }
}

} // namespace

Value convertBind(const Value& v, const types::ExprType& expected, const fn::FunctionContext& ctx)
{
    if (v.isNull())
        return v;
    // An empty LOB (PL/SQL's EMPTY_CLOB() or EMPTY_BLOB()) is NULL where no LOB is expected.
    if ((v.kind == Value::Kind::Text || v.kind == Value::Kind::Blob) && v.text.empty()
        && expected.type != OraType::Clob && expected.type != OraType::Blob)
        return Value::null();
    if (v.kind == Value::Kind::Real)
        checkRealValue(v.real);
    else if (v.kind == Value::Kind::Date)
        checkDateValue(v.text.substr(0, 19)); // a TIMESTAMP's fraction follows the DATE's 19 characters
    try {
        switch (expected.type) {
        case OraType::Number:
            if (v.kind == Value::Kind::Text)
                return numberValue(fn::parseNumberText(v.text));
            if (v.kind == Value::Kind::Date)
                throw oraError(932, "inconsistent datatypes: expected NUMBER got DATE");
            if (v.kind == Value::Kind::Blob)
                throw oraError(932, "inconsistent datatypes: expected NUMBER got BINARY");
            // A client's double stands for its 15 significant digits, as every double the engine meets.
            if (v.kind == Value::Kind::Real)
                return numberValue(fn::canonicalNumber(v.real));
            return v;
        case OraType::Date:
            if (v.kind == Value::Kind::Text) {
                fn::DateTime now;
                if (!fn::parseStoredDate(ctx.statementTime, now))
                    fn::parseStoredDate(currentStatementTime(), now);
                fn::DateTime d = fn::DateFormat::parse(ctx.nlsDateFormat).parseDate(v.text, now);
                return Value::fromDate(fn::toStoredDate(d));
            }
            if (v.kind == Value::Kind::Integer || v.kind == Value::Kind::Real)
                throw oraError(932, "inconsistent datatypes: expected DATE got NUMBER");
            if (v.kind == Value::Kind::Blob)
                throw oraError(932, "inconsistent datatypes: expected DATE got BINARY");
            if (v.text.size() > 19)
                return Value::fromDate(v.text.substr(0, 19));
            return v;
        case OraType::Timestamp:
        case OraType::TimestampTz:
        case OraType::TimestampLtz:
            if (v.kind == Value::Kind::Text || v.kind == Value::Kind::Date)
                return Value::fromText(fn::storedFromClient(ctx, types::dtKindOf(expected), v.text,
                    v.kind == Value::Kind::Date));
            throw oraError(932, "inconsistent datatypes: expected " + types::oracleTypeName(expected.type) + " got "
                    + (v.kind == Value::Kind::Blob ? "BINARY" : "NUMBER"));
        case OraType::IntervalYM:
        case OraType::IntervalDS:
            if (v.kind == Value::Kind::Text)
                return Value::fromInt(expected.type == OraType::IntervalYM ? fn::parseYMInterval(v.text)
                                                                           : fn::parseDSInterval(v.text));
            throw oraError(932, "inconsistent datatypes: expected " + types::oracleTypeName(expected.type) + " got "
                    + (v.kind == Value::Kind::Blob ? "BINARY" : v.kind == Value::Kind::Date ? "DATE" : "NUMBER"));
        case OraType::Raw:
        case OraType::Blob:
            // Text is read as hexadecimal digits (HEXTORAW); numbers and dates do not convert to bytes.
            if (v.kind == Value::Kind::Integer || v.kind == Value::Kind::Real)
                throw oraError(932, "inconsistent datatypes: expected BINARY got NUMBER");
            if (v.kind == Value::Kind::Date)
                throw oraError(932, "inconsistent datatypes: expected BINARY got DATE");
            if (v.kind == Value::Kind::Text) {
                std::optional<std::string> bytes = emit::hexToRaw(v.text);
                if (!bytes)
                    throw oraError(1465, "invalid hex number");
                return Value::fromBlob(std::move(*bytes));
            }
            return v;
        case OraType::Varchar2:
        case OraType::Char:
        case OraType::Long:
        case OraType::Clob:
        case OraType::Rowid:
            if (v.kind == Value::Kind::Integer || v.kind == Value::Kind::Real)
                return Value::fromText(fn::numberText(asNumber(v)));
            if (v.kind == Value::Kind::Date && !expected.isBind)
                return Value::fromText(dateToText(v.text, ctx));
            return v;
        default:
            return v;
        }
    } catch (const fn::OraError& e) {
        throw Error(e.code(), e.message());
    }
}

void bindParameters(
    sqlite3_stmt* stmt, const bind::BoundStatement& b, const std::vector<Bind>& binds, const fn::FunctionContext& ctx)
{
    // RETURNING ... INTO targets are no SQLite parameters, but a statement whose target is not bound must not run.
    for (const bind::ReturningItem& r : b.returning)
        if (std::none_of(binds.begin(), binds.end(), [&](const Bind& bd) { return bd.name == r.bindName; }))
            throw oraError(1008, "not all variables bound");
    int index = 0;
    // The lock query of an UPDATE reads only the WHERE clause's parameters, not those of its SET list.
    const int present = sqlite3_bind_parameter_count(stmt);
    for (const bind::ParamSlot& slot : b.params) {
        ++index; // parameter ?i is params[i-1]
        if (slot.isReturningTarget || index > present)
            continue;
        const Bind* found = nullptr;
        for (const Bind& bd : binds)
            if (bd.name == slot.name) {
                found = &bd;
                break;
            }
        if (!found)
            throw oraError(1008, "not all variables bound");
        const Value* value = &found->value;
        Value converted;
        if (!passesUnchanged(*value, slot.expected)) {
            converted = convertBind(*value, slot.expected, ctx);
            value = &converted;
        }
        const Value& v = *value;
        int rc = SQLITE_OK;
        switch (v.kind) {
        case Value::Kind::Null:
            rc = sqlite3_bind_null(stmt, index);
            break;
        case Value::Kind::Integer:
            rc = sqlite3_bind_int64(stmt, index, v.integer);
            break;
        case Value::Kind::Real:
            rc = sqlite3_bind_double(stmt, index, v.real);
            break;
        case Value::Kind::Text:
        case Value::Kind::Date:
            rc = sqlite3_bind_text(stmt, index, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT);
            break;
        case Value::Kind::Blob:
            rc = sqlite3_bind_blob(stmt, index, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT);
            break;
        }
        if (rc != SQLITE_OK)
            throw storage::sqliteError(sqlite3_db_handle(stmt), rc);
    }
}

} // namespace engine::exec

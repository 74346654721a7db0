// Bind conversion.
#include "engine/exec/binds.h"

#include "engine/fn/dateformat.h"
#include "engine/fn/datetime.h"
#include "engine/fn/number.h"
#include "engine/fn/oraerror.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <ctime>

namespace engine::exec {

std::string currentStatementTime()
{
    std::time_t t = std::time(nullptr);
    std::tm tm {};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

namespace {

Value numberValue(const fn::NumberValue& n)
{
    return n.isInteger ? Value::fromInt(n.integer) : Value::fromReal(n.real);
}

fn::NumberValue asNumber(const Value& v)
{
    return v.kind == Value::Kind::Integer ? fn::NumberValue::ofInteger(v.integer) : fn::NumberValue::ofReal(v.real);
}

std::string dateToText(const std::string& stored, const fn::FunctionContext& ctx)
{
    fn::DateTime d;
    if (!fn::parseStoredDate(stored, d))
        return stored;
    return fn::DateFormat::parse(ctx.nlsDateFormat).format(d);
}

} // namespace

Value convertBind(const Value& v, const types::ExprType& expected, const fn::FunctionContext& ctx)
{
    if (v.isNull())
        return v;
    try {
        switch (expected.type) {
        case OraType::Number:
            if (v.kind == Value::Kind::Text)
                return numberValue(fn::parseNumberText(v.text));
            if (v.kind == Value::Kind::Date)
                throw oraError(932, "inconsistent datatypes: expected NUMBER got DATE");
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
        Value v = convertBind(found->value, slot.expected, ctx);
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

#include "engine/emit/number_order.h"

#include <cctype>

namespace engine::emit {

bool mayHoldTextNumber(const types::ExprType& t)
{
    if (t.type != OraType::Number || t.isNull)
        return false;
    // NUMBER(p,s) with p <= 15 holds at most 15 significant digits (a double); NUMBER(p) up to 18 digits is a
    // 64-bit integer.
    if (t.precision > 0 && t.precision <= 15)
        return false;
    if (t.precision > 0 && t.precision <= 18 && t.scaleDeclared && t.scale == 0)
        return false;
    return true;
}

std::string numberOrderKey(const std::string& sql, const types::ExprType& t)
{
    return mayHoldTextNumber(t) ? "ORA_NUMBER_KEY(" + sql + ")" : sql;
}

namespace {

// A column reference as the binder writes it ("T12"."C3", t1."C3"): no call, literal or bind.
bool isColumn(const std::string& sql)
{
    return !sql.empty() && sql.find_first_of("('?:") == std::string::npos && (sql[0] == '"' || std::isalpha(static_cast<unsigned char>(sql[0])));
}

// Rows whose column may satisfy column op other: column >= a double not above other, or column <= one not below
// it or a number kept as text (which SQLite orders after every native number, negative ones too).
std::string rangeFilter(const std::string& column, const std::string& op, const std::string& other)
{
    if (op[0] == '>')
        return "(" + column + " >= ORA_NUMBER_BOUND(" + other + ", -1))";
    return "(" + column + " <= ORA_NUMBER_BOUND(" + other + ", 1) OR " + column + " >= '')";
}

} // namespace

std::string numberOrdering(
    const std::string& l, const types::ExprType& lt, const std::string& op, const std::string& r,
    const types::ExprType& rt)
{
    const std::string exact = "(ORA_NUMBER_KEY(" + l + ") " + op + " ORA_NUMBER_KEY(" + r + "))";
    auto remote = [](const std::string& sql) { return sql.rfind(kRemoteAliasPrefix, 0) == 0 && isColumn(sql); };
    if (remote(l) || remote(r))
        return "((" + l + " " + op + " " + r + ") AND " + exact + ")";
    std::string filter;
    if (isColumn(l) && mayHoldTextNumber(lt))
        filter = rangeFilter(l, op, r);
    else if (isColumn(r) && mayHoldTextNumber(rt))
        filter = rangeFilter(r, op[0] == '<' ? ">" : "<", l);
    return filter.empty() ? exact : "(" + filter + " AND " + exact + ")";
}

} // namespace engine::emit

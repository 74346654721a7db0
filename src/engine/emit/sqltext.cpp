#include "engine/emit/sqltext.h"

#include "engine/fn/number.h"
#include "engine/fn/oraerror.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace engine::emit {

namespace {
// The first magnitude NUMBER cannot hold: its largest value is 9.99...9E125.
constexpr double kNumberLimit = 1e126;
} // namespace

std::string quoteIdent(std::string_view name)
{
    std::string r = "\"";
    for (char c : name) {
        if (c == '"')
            r += '"';
        r += c;
    }
    r += '"';
    return r;
}

std::string quoteText(std::string_view text)
{
    if (text.empty())
        return "NULL";
    std::string r = "'";
    for (char c : text) {
        if (c == '\'')
            r += '\'';
        r += c;
    }
    r += '\'';
    return r;
}

bool numberLiteralOverflows(std::string_view text)
{
    const std::string s(text);
    char* end = nullptr;
    const double d = std::strtod(s.c_str(), &end);
    return end != s.c_str() && *end == '\0' && (!std::isfinite(d) || std::fabs(d) >= kNumberLimit);
}

std::string numberLiteral(std::string_view text)
{
    // Only Oracle's number syntax: strtod would also take hexadecimal, "inf" and "nan".
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
            return {};
    fn::NumberValue v;
    try {
        if (!fn::tryParseNumberText(text, v))
            return {};
    } catch (const fn::OraError&) {
        return {}; // beyond NUMBER: the caller says ORA-01426, or leaves the conversion to run time
    }
    // The value in the engine's one form for it (number.h): an integer, a real, or Oracle's text of it.
    if (v.isInteger)
        return std::to_string(v.integer);
    if (v.isExactText())
        return quoteText(v.exact);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v.real);
    std::string r = buf;
    if (r.find_first_of(".eE") == std::string::npos)
        r += ".0";
    return r;
}

std::string convert(const std::string& sql, types::Conversion conversion, const types::ExprType& from)
{
    switch (conversion) {
    case types::Conversion::None:
        return sql;
    case types::Conversion::ToNumber:
        return std::string(kToNumber) + "(" + sql + ")";
    case types::Conversion::ToDate:
        return std::string(kToDate) + "(" + sql + ")";
    case types::Conversion::ToChar:
        if (from.type == OraType::Number)
            return std::string(kToCharNumber) + "(" + sql + ")";
        if (from.type == OraType::Date)
            return std::string(kToCharDate) + "(" + sql + ")";
        return sql;
    }
    return sql;
}

std::string expressionTerm(const std::string& sql)
{
    // Signs, blanks and parentheses around digits still make a position for SQLite.
    bool digits = false;
    for (char c : sql) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            digits = true;
        else if (c != '+' && c != '-' && c != '(' && c != ')' && !std::isspace(static_cast<unsigned char>(c)))
            return sql;
    }
    return digits ? "CAST(" + sql + " AS INTEGER)" : sql;
}

std::string orderTerm(const std::string& sql, bool descending, std::optional<bool> nullsFirst)
{
    const bool first = nullsFirst.value_or(descending);
    return sql + (descending ? " DESC" : " ASC") + (first ? " NULLS FIRST" : " NULLS LAST");
}

} // namespace engine::emit

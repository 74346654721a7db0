// Function calls: Oracle's built-in single-row functions, the aggregates and the functions of stored units, with
// their argument conversions and result types.
#include "engine/bind/binder_impl.h"
#include "engine/emit/number_order.h"
#include "engine/types/oratype_datetime.h"
#include "engine/bind/binder_walk.h"
#include "engine/fn/registry.h"

#include <algorithm>

namespace engine::bind::detail {

using types::Conversion;
using types::ExprType;

namespace {

ExprType fnType(fn::FnType t, const std::vector<BExpr>& args)
{
    switch (t) {
    case fn::FnType::Text:
        return ExprType::varchar2();
    case fn::FnType::Number:
        return ExprType::number();
    case fn::FnType::Date:
        return ExprType::date();
    case fn::FnType::SameAsFirst:
        if (!args.empty()) {
            ExprType r = args[0].type;
            r.isTextLiteral = false;
            if (r.type == OraType::Char && args[0].type.isTextLiteral)
                r.type = OraType::Varchar2;
            return r;
        }
        return ExprType::varchar2();
    case fn::FnType::SameAsSecond:
        if (args.size() > 1)
            return args[1].type;
        return ExprType::varchar2();
    case fn::FnType::Any:
        return args.empty() ? ExprType::varchar2() : args[0].type;
    }
    return ExprType::varchar2();
}

bool familyMatches(fn::FnType want, const ExprType& t)
{
    switch (want) {
    case fn::FnType::Text:
        return types::isCharacter(t.type) || t.isNull || t.isBind;
    case fn::FnType::Number:
        return t.type == OraType::Number;
    case fn::FnType::Date:
        return t.type == OraType::Date;
    default:
        return true;
    }
}

} // namespace

BExpr BinderImpl::function(const sql::FunctionCallExpr& e, Scope& scope)
{
    std::string name = e.functionName().name;
    if (e.name.size() == 1 && !e.dblink) {
        if (e.over)
            return analytic(e, scope);
        if (isAggregateCall(e))
            return aggregate(e, scope, nullptr);
        if (isWindowFunctionName(name))
            fail(30484, "missing OVER clause, or invalid identifier found for window function", e.offset);
        if (e.keep || e.ignoreNulls || e.fromLast || e.overflow)
            fail(30484, "missing OVER clause, or invalid identifier found for window function", e.offset);
    }
    if (e.name.size() > 1 || e.dblink) {
        std::vector<sql::Identifier> parts = e.name;
        if (!e.dblink)
            if (auto f = storedFunction(parts, &e.args, scope, nullptr, &e.argNames))
                return *f;
        fail(904, qualifiedName(parts) + ": invalid identifier", e.offset);
    }
    auto argCount = [&](size_t lo, size_t hi) {
        if (e.args.size() < lo)
            fail(938, "not enough arguments for function", e.offset);
        if (e.args.size() > hi)
            fail(939, "too many arguments for function", e.offset);
    };
    BExpr out;
    std::vector<BExpr> args;
    for (const auto& a : e.args) {
        args.push_back(expr(*a, scope));
        out.local = out.local || args.back().local;
        out.aggregate = out.aggregate || args.back().aggregate;
    }
    auto join = [](const std::vector<std::string>& v) {
        std::string s;
        for (const auto& x : v)
            s += (s.empty() ? "" : ", ") + x;
        return s;
    };
    auto coerce = [&](const BExpr& v, const ExprType& to, int offset) -> std::string {
        if (v.type.isNull || to.isNull)
            return v.sql;
        if (v.type.type != to.type && (types::isNewDatetime(v.type.type) || types::isNewDatetime(to.type)))
            return converted(v, to.type, offset).sql;
        if (types::familyOf(v.type.type) == types::familyOf(to.type))
            return v.sql;
        return converted(v, to.type, offset).sql;
    };

    if (sql::isAtTimeZone(e))
        return atTimeZone(args[0], args.size() > 1 ? &args[1] : nullptr, e.offset);
    if (e.name.size() == 1 && !e.dblink) {
        if (auto r = datetimeFunction(e, name, args))
            return *r;
        if (auto r = conversionFunction(e, name, args))
            return *r;
        // NLS_UPPER, NLS_LOWER, NLS_INITCAP: the case rules of the binary sort, whatever NLS parameter is given.
        if ((name == "NLS_UPPER" || name == "NLS_LOWER" || name == "NLS_INITCAP") && !args.empty()) {
            argCount(1, 2);
            name = name.substr(4);
            args.resize(1);
        } else if (name == "TO_NCHAR") {
            name = "TO_CHAR";
        } else if (name == "LENGTH4" || name == "SUBSTR4" || name == "INSTR4") {
            // Counted in UCS4 code points: the characters of the database's AL32UTF8.
            name.pop_back();
        }
    }
    if ((name == "GROUPING" || name == "GROUPING_ID" || name == "GROUP_ID") && e.name.size() == 1) {
        // Without grouping sets every row is a group of its own keys: nothing is aggregated away.
        if (!scope.aggregatesAllowed)
            fail(934, "group function is not allowed here", e.offset);
        if (name == "GROUP_ID" ? !args.empty() : args.empty())
            fail(name == "GROUP_ID" ? 939 : 938,
                name == "GROUP_ID" ? "too many arguments for function" : "not enough arguments for function",
                e.offset);
        out.sql = "0";
        out.type = ExprType::number();
        out.type.nullable = false;
        return out;
    }
    if (name == "LNNVL" && e.name.size() == 1) {
        // LNNVL(condition): true when the condition is false or unknown.
        argCount(1, 1);
        out.sql = "(CASE WHEN " + args[0].sql + " THEN 0 ELSE 1 END)";
        out.type = ExprType::number();
        out.type.nullable = false;
        return out;
    }
    if (name == "NVL") {
        argCount(2, 2);
        ExprType t = args[0].type.isNull ? args[1].type : args[0].type;
        out.type = t;
        out.type.isTextLiteral = false;
        out.type.nullable = args[1].type.nullable || args[1].type.isNull;
        if (out.type.type == OraType::Char && args[0].type.isTextLiteral)
            out.type.type = OraType::Varchar2;
        // Oracle evaluates both arguments of NVL (unlike COALESCE), so a failing conversion of the second fails
        // on every row, not only where the first is NULL: a function call, where SQLite's COALESCE would not.
        out.sql = "ORA_NVL(" + args[0].sql + ", " + coerce(args[1], t, e.args[1]->offset) + ")";
        noteBind(args[0], args[1].type);
        return out;
    }
    if (name == "NVL2") {
        argCount(3, 3);
        ExprType t = args[1].type.isNull ? args[2].type : args[1].type;
        out.type = t;
        out.type.isTextLiteral = false;
        out.type.nullable = true;
        out.sql = "(CASE WHEN " + args[0].sql + " IS NOT NULL THEN " + args[1].sql + " ELSE "
            + coerce(args[2], t, e.args[2]->offset) + " END)";
        return out;
    }
    if (name == "COALESCE") {
        argCount(2, 1000);
        std::vector<const ExprType*> ts;
        for (auto& a : args)
            ts.push_back(&a.type);
        out.type = types::firstResultType(ts.data(), static_cast<int>(ts.size()));
        std::vector<std::string> parts;
        for (size_t i = 0; i < args.size(); ++i) {
            if (!args[i].type.isNull && !out.type.isNull && !args[i].type.isBind
                && types::familyOf(args[i].type.type) != types::familyOf(out.type.type))
                fail(932, inconsistent(out.type, args[i].type), e.args[i]->offset);
            parts.push_back(args[i].sql);
        }
        out.sql = "COALESCE(" + join(parts) + ")";
        return out;
    }
    if (name == "DECODE") {
        argCount(3, 255);
        // DECODE matches NULL with NULL; results take the first result's type.
        std::vector<const ExprType*> ts;
        for (size_t i = 2; i < args.size(); i += 2)
            ts.push_back(&args[i].type);
        if (args.size() % 2 == 0)
            ts.push_back(&args.back().type);
        out.type = types::firstResultType(ts.data(), static_cast<int>(ts.size()));
        if (out.type.type == OraType::Char)
            out.type.type = OraType::Varchar2;
        if (args[2].type.isNull && !out.type.isNull && !types::isCharacter(out.type.type)) {
            // A NULL first result makes DECODE's result VARCHAR2, whatever the other results are.
            out.type = ExprType::varchar2(out.type.type == OraType::Date ? 9 : 40);
        }
        out.type.nullable = true;
        if (args.size() % 2 == 0) {
            bool anyNull = false;
            for (const ExprType* t : ts)
                anyNull = anyNull || t->isNull || t->nullable;
            out.type.nullable = anyNull;
        }
        std::string s = "(CASE";
        for (size_t i = 1; i + 1 < args.size(); i += 2) {
            auto plan = types::planComparison(args[0].type, args[i].type);
            if (!plan)
                fail(932, notComparable(args[0].type, args[i].type), e.args[i]->offset);
            noteBind(args[i], args[0].type);
            s += " WHEN " + emit::convert(args[0].sql, plan->left, args[0].type) + " IS "
                + emit::convert(args[i].sql, plan->right, args[i].type) + " THEN "
                + coerce(args[i + 1], out.type, e.args[i + 1]->offset);
        }
        if (args.size() % 2 == 0)
            s += " ELSE " + coerce(args.back(), out.type, e.args.back()->offset);
        out.sql = s + " END)";
        return out;
    }
    if (name == "GREATEST" || name == "LEAST") {
        argCount(1, 1000);
        ExprType t = args[0].type;
        if (types::isCharacter(t.type) || t.isNull)
            t = ExprType::varchar2(std::max(t.size, 1));
        std::vector<std::string> parts;
        for (size_t i = 0; i < args.size(); ++i) {
            parts.push_back(i == 0 ? args[i].sql : coerce(args[i], t, e.args[i]->offset));
            if (types::isCharacter(t.type))
                t.size = std::max(t.size, args[i].type.size);
        }
        out.type = t;
        out.type.nullable = true;
        // Numbers kept as text compare by their keys (emit/number_order.h).
        const bool keyed = args.size() > 1 && emit::mayHoldTextNumber(t);
        if (keyed)
            for (auto& p : parts)
                p = "ORA_NUMBER_KEY(" + p + ")";
        // SQLite's multi-argument max() and min() give NULL when any argument is NULL, as Oracle does.
        out.sql = (args.size() == 1 ? "(" + parts[0] + ")"
                                    : std::string(name == "GREATEST" ? "MAX(" : "MIN(") + join(parts) + ")");
        if (keyed)
            out.sql = "ORA_NUMBER_UNKEY(" + out.sql + ")";
        return out;
    }
    if (name == "ABS" && !fn::findFunction("ORA_ABS")) {
        argCount(1, 1);
        BExpr a = converted(args[0], OraType::Number, e.args[0]->offset);
        out.sql = "ABS(" + a.sql + ")";
        out.type = ExprType::number();
        return out;
    }

    if (name == "TRIM" && e.fromForm) {
        // TRIM([LEADING|TRAILING|BOTH] [c] FROM s) is ORA_TRIM(s, mode, c).
        std::vector<std::string> parts;
        const BExpr& source = args.back();
        parts.push_back(converted(source, OraType::Varchar2, e.args.back()->offset).sql);
        parts.push_back(emit::quoteText(e.keyword.empty() ? "BOTH" : e.keyword));
        if (args.size() > 1)
            parts.push_back(converted(args[0], OraType::Varchar2, e.args[0]->offset).sql);
        out.sql = "ORA_TRIM(" + join(parts) + ")";
        out.type = ExprType::varchar2(std::max(source.type.size, 1));
        return out;
    }
    if (name == "CAST" && e.castType && args.size() == 1) {
        const std::string& tn = e.castType->name;
        OraType to = OraType::Varchar2;
        if (tn == "NUMBER" || tn == "INTEGER" || tn == "INT" || tn == "FLOAT" || tn == "DECIMAL" || tn == "DEC")
            to = OraType::Number;
        else if (tn == "DATE")
            to = OraType::Date;
        else if (tn != "VARCHAR2" && tn != "VARCHAR" && tn != "CHAR")
            fail(3001, "unimplemented feature: CAST to " + tn, e.offset);
        BExpr v = args[0];
        if (!v.type.isNull)
            v = converted(v, to, e.args[0]->offset);
        v.type.type = to;
        if (to == OraType::Varchar2 && e.castType->size)
            v.type.size = static_cast<int>(*e.castType->size);
        if (tn == "CHAR") {
            // CHAR(n) is blank-padded to n; a longer value is out of range.
            const int n = e.castType->size ? static_cast<int>(*e.castType->size) : 1;
            const std::string len = std::to_string(n);
            v.sql = "(CASE WHEN LENGTH(" + v.sql + ") > " + len
                + " THEN ORA_RAISE_ERROR(25137, 'Data value out of range') ELSE ORA_RPAD(" + v.sql + ", " + len
                + ") END)";
            v.type.type = OraType::Char;
            v.type.size = n;
        }
        if (to == OraType::Number && e.castType->size) {
            v.type.precision = static_cast<int>(*e.castType->size);
            v.type.scale = static_cast<int>(e.castType->scale.value_or(0));
            v.sql = "ORA_ROUND_NUMBER(" + v.sql + ", " + std::to_string(v.type.scale) + ")";
        }
        return v;
    }
    if (name == "TO_CHAR" && !args.empty() && types::isCharacter(args[0].type.type) && args.size() == 1) {
        // TO_CHAR of text is the text itself.
        out.sql = args[0].sql;
        out.type = args[0].type;
        out.type.isTextLiteral = false;
        out.type.type = OraType::Varchar2;
        return out;
    }

    // The engine's functions: pick the variant that fits the first argument's type, as Oracle overloads them.
    const fn::FunctionInfo* best = nullptr;
    int bestScore = -100;
    for (const fn::FunctionInfo& f : fn::functionTable()) {
        if (f.oracleName != name)
            continue;
        int score = 1;
        if (!args.empty() && f.maxArgs != 0) {
            const fn::FnType want = f.args[0];
            if (want == fn::FnType::Any)
                score = 2;
            else if (familyMatches(want, args[0].type))
                score = 3;
            else if (want == fn::FnType::Number && types::isCharacter(args[0].type.type))
                score = 1;
            else
                score = 0;
        }
        if (static_cast<int>(args.size()) < f.minArgs || (f.maxArgs >= 0 && static_cast<int>(args.size()) > f.maxArgs))
            score = std::min(score, 0) - 1;
        if (score > bestScore) {
            bestScore = score;
            best = &f;
        }
    }
    if (!best) {
        if (auto f = storedFunction(e.name, &e.args, scope, &args, &e.argNames))
            return *f;
        if (isKnownOracleFunction(name))
            fail(3001, "unimplemented feature: " + name, e.offset);
        fail(904, "\"" + name + "\": invalid identifier", e.offset);
    }
    if (static_cast<int>(args.size()) < best->minArgs)
        fail(938, "not enough arguments for function", e.offset);
    if (best->maxArgs >= 0 && static_cast<int>(args.size()) > best->maxArgs)
        fail(939, "too many arguments for function", e.offset);
    std::vector<std::string> parts;
    for (size_t i = 0; i < args.size(); ++i) {
        const size_t k = std::min(i, best->args.size() - 1);
        fn::FnType want = best->args[k];
        if (best->maxArgs >= 0 && static_cast<int>(i) >= best->maxArgs)
            want = fn::FnType::Any;
        OraType to = OraType::Varchar2;
        bool convert = true;
        switch (want) {
        case fn::FnType::Text:
            to = OraType::Varchar2;
            break;
        case fn::FnType::Number:
            to = OraType::Number;
            break;
        case fn::FnType::Date:
            to = OraType::Date;
            break;
        default:
            convert = false;
        }
        if (!convert || args[i].type.isNull || (to == OraType::Varchar2 && types::isCharacter(args[i].type.type))) {
            parts.push_back(args[i].sql);
            continue;
        }
        parts.push_back(converted(args[i], to, e.args[i]->offset).sql);
    }
    out.type = fnType(best->result, args);
    if (best->result == fn::FnType::Text && !args.empty() && types::isCharacter(args[0].type.type)
        && (name == "UPPER" || name == "LOWER" || name == "INITCAP" || name == "SUBSTR" || name == "TRIM"
            || name == "LTRIM" || name == "RTRIM"))
        out.type.size = std::max(args[0].type.size, 1);
    out.sql = std::string(best->name) + "(" + join(parts) + ")";
    if (name == "SYS_GUID") {
        out.type.type = OraType::Raw;
        out.type.size = 16;
        out.type.nullable = false;
    } else if (name == "CHARTOROWID") {
        out.type = ExprType::rowid();
    }
    return out;
}

// Conversions that only retype a value or have a form of their own: NULLIF, NANVL, TO_CLOB, TO_NCLOB, TO_BLOB,
// ROWIDTOCHAR, HEXTORAW, EMPTY_BLOB, EMPTY_CLOB; CURRENT_DATE.
std::optional<BExpr> BinderImpl::conversionFunction(
    const sql::FunctionCallExpr& e, const std::string& name, std::vector<BExpr>& args)
{
    auto argCount = [&](size_t lo, size_t hi) {
        if (e.args.size() < lo)
            fail(938, "not enough arguments for function", e.offset);
        if (e.args.size() > hi)
            fail(939, "too many arguments for function", e.offset);
    };
    BExpr out;
    for (const auto& a : args) {
        out.local = out.local || a.local;
        out.aggregate = out.aggregate || a.aggregate;
    }
    if (name == "NULLIF") {
        // NULL when both are equal, else the first; the first may not be the literal NULL, and both must be of one
        // family of types.
        argCount(2, 2);
        if (args[0].type.isNull)
            fail(932, "inconsistent datatypes: expected - got CHAR", e.args[0]->offset);
        if (!args[1].type.isNull && !args[0].type.isBind && !args[1].type.isBind
            && types::familyOf(args[0].type.type) != types::familyOf(args[1].type.type))
            fail(932, inconsistent(args[0].type, args[1].type), e.args[1]->offset);
        BExpr same = compare(args[0], "=", args[1], e.args[1]->offset);
        out.sql = "(CASE WHEN " + same.sql + " THEN NULL ELSE " + args[0].sql + " END)";
        out.type = args[0].type;
        out.type.isTextLiteral = false;
        if (out.type.type == OraType::Char && args[0].type.isTextLiteral)
            out.type.type = OraType::Varchar2;
        out.type.nullable = true;
        return out;
    }
    if (name == "NANVL") {
        // A NUMBER is never NaN: the first argument.
        argCount(2, 2);
        out = converted(args[0], OraType::Number, e.args[0]->offset);
        converted(args[1], OraType::Number, e.args[1]->offset);
        return out;
    }
    if (name == "TO_CLOB" || name == "TO_NCLOB") {
        argCount(1, 1);
        if (args[0].type.type == OraType::Blob || args[0].type.type == OraType::Raw)
            fail(932, "inconsistent datatypes: expected - got " + types::oracleTypeName(args[0].type.type),
                e.args[0]->offset);
        out.sql = args[0].type.isNull || types::isCharacter(args[0].type.type)
            ? args[0].sql
            : converted(args[0], OraType::Varchar2, e.args[0]->offset).sql;
        out.type.type = OraType::Clob;
        out.type.size = 4000;
        return out;
    }
    if (name == "TO_BLOB") {
        argCount(1, 1);
        if (types::isCharacter(args[0].type.type) || args[0].type.type == OraType::Raw
            || args[0].type.type == OraType::Blob || args[0].type.isNull || args[0].type.isBind) {
            out.sql = "ORA_STORE_RAW(" + args[0].sql + ")";
            out.type.type = OraType::Blob;
            out.type.size = 4000;
            return out;
        }
        fail(932, "inconsistent datatypes: expected BINARY got " + types::oracleTypeName(args[0].type.type),
            e.args[0]->offset);
    }
    if (name == "HEXTORAW") {
        argCount(1, 1);
        const BExpr text = args[0].type.isNull ? args[0] : converted(args[0], OraType::Varchar2, e.args[0]->offset);
        out.sql = "ORA_STORE_RAW(" + text.sql + ")";
        out.type.type = OraType::Raw;
        out.type.size = 2000;
        return out;
    }
    if (name == "ROWIDTOCHAR") {
        argCount(1, 1);
        out.sql = args[0].sql;
        out.type = ExprType::varchar2(18);
        out.type.nullable = args[0].type.nullable;
        return out;
    }
    if (name == "EMPTY_CLOB") {
        // An empty LOB: no characters, but not NULL.
        argCount(0, 0);
        out.sql = "''";
        out.type.type = OraType::Clob;
        out.type.size = 4000;
        out.type.nullable = false;
        return out;
    }
    if (name == "CURRENT_DATE") {
        // The date and time in the session's time zone, which is the database's: the session cannot change it.
        argCount(0, 0);
        out.sql = "ORA_SYSDATE()";
        out.type = ExprType::date();
        out.type.nullable = false;
        return out;
    }
    if (name == "EMPTY_BLOB") {
        argCount(0, 0);
        out.sql = "X''";
        out.type.type = OraType::Blob;
        out.type.size = 4000;
        out.type.nullable = false;
        return out;
    }
    return std::nullopt;
}

} // namespace engine::bind::detail

// Aggregate functions: COUNT, SUM, AVG, MIN, MAX, the statistics aggregates, MEDIAN, PERCENTILE_CONT and
// PERCENTILE_DISC, LISTAGG ... WITHIN GROUP and the aggregates with KEEP (DENSE_RANK FIRST | LAST), each as a
// group function and, with OVER, as an analytic function over a window.
#include "engine/bind/binder_impl.h"
#include "engine/emit/number_order.h"
#include "engine/bind/binder_walk.h"

namespace engine::bind::detail {

using types::ExprType;

namespace {

bool isSpreadName(const std::string& n)
{
    return n == "STDDEV" || n == "VARIANCE" || n == "STDDEV_POP" || n == "STDDEV_SAMP" || n == "VAR_POP"
        || n == "VAR_SAMP";
}

} // namespace

std::string BinderImpl::orderLetters(const std::vector<sql::OrderItem>& items, Scope& scope, std::string& keysSql)
{
    std::string letters;
    for (const auto& item : items) {
        BExpr k = expr(*item.expr, scope);
        refuseLob(k.type, item.expr->offset);
        keysSql += ", " + emit::numberOrderKey(k.sql, k.type); // numbers kept as text: by their keys
        // Oracle's default: NULLS LAST ascending, NULLS FIRST descending.
        const bool nullsFirst = item.nullsFirst.value_or(item.descending);
        letters += item.descending ? 'D' : 'A';
        letters += nullsFirst ? 'F' : 'L';
    }
    return letters;
}

BExpr BinderImpl::aggregate(const sql::FunctionCallExpr& e, Scope& scope, const std::string* window)
{
    const std::string name = e.functionName().name;
    const bool analytic = window != nullptr;
    const bool distinct = e.quantifier == sql::FunctionCallExpr::Quantifier::Distinct;
    auto argCount = [&](size_t lo, size_t hi) {
        if (e.args.size() < lo)
            fail(938, "not enough arguments for function", e.offset);
        if (e.args.size() > hi)
            fail(939, "too many arguments for function", e.offset);
    };
    BExpr out;
    if (!analytic) {
        if (!scope.aggregatesAllowed)
            fail(934, "group function is not allowed here", e.offset);
        if (scope.inAggregate)
            fail(935, "group function is nested too deeply", e.offset);
        scope.sawAggregate = true;
        out.aggregate = true;
    }
    out.local = true;
    const std::string over = analytic ? *window : std::string();
    // The arguments belong to the group: an aggregate inside them is nested (ORA-00935); an analytic function's
    // arguments are values of the row.
    struct InAggregate {
        Scope& scope;
        bool saved;
        ~InAggregate() { scope.inAggregate = saved; }
    } inAggregate { scope, scope.inAggregate };
    if (!analytic)
        scope.inAggregate = true;
    auto arg = [&](size_t i) { return expr(*e.args[i], scope); };

    if (e.withinGroup && name != "LISTAGG" && name != "PERCENTILE_CONT" && name != "PERCENTILE_DISC")
        fail(3001, "unimplemented feature: " + name + " ... WITHIN GROUP", e.offset);
    if (e.keep) {
        // agg(x) KEEP (DENSE_RANK FIRST | LAST ORDER BY ...): the aggregate over the rows that rank first or last.
        static const std::pair<const char*, char> kinds[] = { { "MIN", 'N' }, { "MAX", 'X' }, { "SUM", 'S' },
            { "AVG", 'A' }, { "COUNT", 'C' }, { "VARIANCE", 'V' }, { "STDDEV", 'D' } };
        char kind = 0;
        for (const auto& [n, k] : kinds)
            if (name == n)
                kind = k;
        if (!kind || distinct)
            fail(3001, "unimplemented feature: " + name + " with KEEP", e.offset);
        if (analytic && e.over && !e.over->orderBy.empty())
            fail(30487, "ORDER BY not allowed here", e.over->offset);
        BExpr value;
        if (e.star) {
            kind = 'R';
            value.sql = "1";
            value.type = ExprType::number();
        } else {
            argCount(1, 1);
            value = arg(0);
            if (kind != 'N' && kind != 'X' && kind != 'C' && !value.type.isNull)
                value = converted(value, OraType::Number, e.args[0]->offset);
        }
        std::string keys;
        const std::string letters = orderLetters(e.keep->orderBy, scope, keys);
        // MIN and MAX of numbers kept as text: by their keys (emit/number_order.h).
        const bool keyed = (kind == 'N' || kind == 'X') && emit::mayHoldTextNumber(value.type);
        out.sql = "ORA_KEEP('" + std::string(1, kind) + (e.keep->last ? "L" : "F") + letters + "', "
            + (keyed ? "ORA_NUMBER_KEY(" + value.sql + ")" : value.sql) + keys + ")" + over;
        if (keyed)
            out.sql = "ORA_NUMBER_UNKEY(" + out.sql + ")";
        if (kind == 'N' || kind == 'X') {
            out.type = value.type;
            out.type.isTextLiteral = false;
        } else {
            out.type = ExprType::number();
        }
        out.type.nullable = kind != 'C' && kind != 'R';
        return out;
    }
    if (name == "COUNT" && e.star) {
        if (e.quantifier != sql::FunctionCallExpr::Quantifier::None)
            fail(936, "missing expression", e.offset);
        out.sql = "COUNT(*)" + over;
        out.type = ExprType::number();
        out.type.nullable = false;
        return out;
    }
    if (analytic && distinct && e.over && !e.over->orderBy.empty())
        fail(30487, "ORDER BY not allowed here", e.over->offset);

    if (name == "LISTAGG") {
        // LISTAGG([DISTINCT] x [, 'delimiter'] [ON OVERFLOW ...]) WITHIN GROUP (ORDER BY ...)
        argCount(1, 2);
        if (analytic && e.over && !e.over->orderBy.empty())
            fail(30487, "ORDER BY not allowed here", e.over->offset);
        BExpr value = arg(0);
        refuseLob(value.type, e.args[0]->offset);
        if (!value.type.isNull)
            value = converted(value, OraType::Varchar2, e.args[0]->offset);
        std::string delimiter = "NULL";
        if (e.args.size() > 1) {
            BExpr d = arg(1);
            if (!d.type.isNull)
                delimiter = converted(d, OraType::Varchar2, e.args[1]->offset).sql;
        }
        std::string indicator = "NULL";
        char overflow = 'E';
        if (e.overflow && e.overflow->truncate) {
            overflow = e.overflow->withCount ? 'T' : 't';
            if (e.overflow->indicator) {
                BExpr i = expr(*e.overflow->indicator, scope);
                indicator = i.type.isNull ? std::string("''") : converted(i, OraType::Varchar2, e.overflow->indicator->offset).sql;
            }
        }
        std::string keys;
        const std::string letters = orderLetters(e.withinOrder, scope, keys);
        out.sql = "ORA_LISTAGG(" + value.sql + ", " + delimiter + ", '" + (distinct ? "D" : "-") + overflow + letters
            + "', " + indicator + keys + ")" + over;
        out.type = ExprType::varchar2(types::kMaxVarchar2);
        return out;
    }
    if (name == "MEDIAN" || name == "PERCENTILE_CONT" || name == "PERCENTILE_DISC") {
        // MEDIAN(x) is PERCENTILE_CONT(0.5) WITHIN GROUP (ORDER BY x).
        if (analytic && e.over && !e.over->orderBy.empty())
            fail(30487, "ORDER BY not allowed here", e.over->offset);
        const bool median = name == "MEDIAN";
        argCount(1, 1);
        if (distinct)
            fail(30482, "DISTINCT option not allowed for this function", e.offset);
        if (!median && (!e.withinGroup || e.withinOrder.size() != 1))
            fail(e.withinGroup ? 909 : 30491, e.withinGroup ? "invalid number of arguments" : "missing ORDER BY clause",
                e.offset);
        const sql::Expr& valueExpr = median ? *e.args[0] : *e.withinOrder[0].expr;
        const bool descending = !median && e.withinOrder[0].descending;
        std::string fraction = "0.5";
        if (!median) {
            BExpr p = arg(0);
            fraction = p.type.isNull ? std::string("NULL") : converted(p, OraType::Number, e.args[0]->offset).sql;
        }
        BExpr value = expr(valueExpr, scope);
        const bool isDate = value.type.type == OraType::Date;
        if (name != "PERCENTILE_DISC" && !isDate && !value.type.isNull)
            value = converted(value, OraType::Number, valueExpr.offset);
        refuseLob(value.type, valueExpr.offset);
        out.sql = "ORA_PERCENTILE('" + std::string(name == "PERCENTILE_DISC" ? "D" : "C") + "', " + fraction + ", '"
            + (descending ? "D" : "A") + "', " + (isDate ? "1" : "0") + ", " + value.sql + ")" + over;
        out.type = value.type.isNull ? ExprType::number() : value.type;
        out.type.isTextLiteral = false;
        out.type.nullable = true;
        return out;
    }

    argCount(1, 1);
    BExpr a = arg(0);
    if (name == "COUNT") {
        out.sql = (analytic && distinct ? "ORA_COUNT_DISTINCT(" : distinct ? "COUNT(DISTINCT " : "COUNT(") + a.sql + ")"
            + over;
        out.type = ExprType::number();
        out.type.nullable = false;
        return out;
    }
    if (name == "SUM" || name == "AVG" || isSpreadName(name)) {
        if (a.type.isNull) {
            out.sql = "NULL";
            out.type = ExprType::number();
            return out;
        }
        a = converted(a, OraType::Number, e.args[0]->offset);
        // Decimal totals, as Oracle's NUMBER: SQLite's SUM adds binary doubles and its AVG is always a real.
        if (isSpreadName(name)) {
            if (distinct)
                fail(3001, "unimplemented feature: " + name + " (DISTINCT ...)", e.offset);
            out.sql = "ORA_" + name + "(" + a.sql + ")" + over;
        } else if (analytic) {
            out.sql = std::string(distinct ? (name == "SUM" ? "ORA_SUM_DISTINCT(" : "ORA_AVG_DISTINCT(")
                                           : (name == "SUM" ? "ORA_WSUM(" : "ORA_WAVG("))
                + a.sql + ")" + over;
        } else {
            out.sql = "ORA_" + name + "(" + (distinct ? "DISTINCT " : "") + a.sql + ")";
        }
        out.type = ExprType::number();
        return out;
    }
    // MIN, MAX: DISTINCT changes nothing.
    refuseLob(a.type, e.args[0]->offset);
    out.sql = name + "(" + (distinct && !analytic ? "DISTINCT " : "") + a.sql + ")" + over;
    if (emit::mayHoldTextNumber(a.type)) // numbers kept as text: by their keys (emit/number_order.h)
        out.sql = "ORA_NUMBER_UNKEY(" + name + "(" + (distinct && !analytic ? "DISTINCT " : "") + "ORA_NUMBER_KEY("
            + a.sql + "))" + over + ")";
    out.type = a.type;
    out.type.nullable = true;
    out.type.isTextLiteral = false;
    return out;
}

} // namespace engine::bind::detail

// Analytic functions: name(args) OVER ([PARTITION BY ...] [ORDER BY ... [ROWS | RANGE window]]), computed by
// SQLite's window functions after the block's WHERE, GROUP BY and HAVING, as Oracle computes them. The ranking
// functions, NTILE, LAG, LEAD, FIRST_VALUE, LAST_VALUE, NTH_VALUE, RATIO_TO_REPORT and the aggregates.
//
// Oracle's ordering of NULLs (last ascending, first descending) holds in the window's ORDER BY as in the query's;
// a RANGE window with an offset over DATE keys works on their day numbers, which order the same way.
#include "engine/bind/binder_impl.h"
#include "engine/emit/number_order.h"
#include "engine/bind/binder_walk.h"
#include "engine/sql/ast_dump.h"

namespace engine::bind::detail {

using types::ExprType;

namespace {

bool isRanking(const std::string& n)
{
    return n == "ROW_NUMBER" || n == "RANK" || n == "DENSE_RANK" || n == "PERCENT_RANK" || n == "CUME_DIST";
}

} // namespace

BExpr BinderImpl::analytic(const sql::FunctionCallExpr& e, Scope& scope)
{
    const std::string name = e.functionName().name;
    const sql::OverClause& over = *e.over;
    if (!scope.analyticsAllowed || scope.inAnalytic || scope.inAggregate)
        fail(30483, "window functions are not allowed here", e.offset);
    struct InAnalytic {
        Scope& scope;
        ~InAnalytic() { scope.inAnalytic = false; }
    } inAnalytic { scope };
    scope.inAnalytic = true;

    // The window: partitions, order, frame.
    std::string partition;
    for (const auto& p : over.partitionBy) {
        BExpr b = expr(*p, scope);
        refuseLob(b.type, p->offset);
        partition += (partition.empty() ? "" : ", ") + emit::expressionTerm(b.sql);
    }
    const sql::WindowFrame* frame = over.frame ? &*over.frame : nullptr;
    const bool rangeOffset = frame && frame->unit == sql::WindowFrame::Unit::Range
        && (frame->start.offset || (frame->end && frame->end->offset));
    std::string order;
    for (const auto& o : over.orderBy) {
        BExpr k = expr(*o.expr, scope);
        refuseLob(k.type, o.expr->offset);
        std::string term = emit::expressionTerm(k.sql);
        if (rangeOffset) {
            // A RANGE offset measures the distance between key values: one key, a number or a date.
            if (over.orderBy.size() > 1)
                fail(30486, "invalid window aggregation group in the window specification", frame->offset);
            if (k.type.type == OraType::Date)
                term = "julianday(" + k.sql + ")";
            else if (k.type.type != OraType::Number && !k.type.isNull)
                fail(902, "invalid datatype", o.expr->offset);
            else if (emit::mayHoldTextNumber(k.type))
                term = "ORA_NUMBER_NATIVE(" + k.sql + ")"; // the distance needs SQLite's own numbers
        } else if (emit::mayHoldTextNumber(k.type)) {
            term = "ORA_NUMBER_KEY(" + k.sql + ")"; // numbers kept as text order by their keys
        }
        order += (order.empty() ? "" : ", ") + emit::orderTerm(term, o.descending, o.nullsFirst);
    }
    std::string frameSql;
    if (frame) {
        using B = sql::WindowFrame::BoundType;
        const B start = frame->start.type;
        const B end = frame->end ? frame->end->type : B::CurrentRow;
        // Oracle's rules: the window cannot start after its end in the order of the bound kinds.
        auto rankOf = [](B b) {
            switch (b) {
            case B::UnboundedPreceding:
                return 0;
            case B::Preceding:
                return 1;
            case B::CurrentRow:
                return 2;
            case B::Following:
                return 3;
            case B::UnboundedFollowing:
                return 4;
            }
            return 0;
        };
        if (start == B::UnboundedFollowing || end == B::UnboundedPreceding || rankOf(start) > rankOf(end)
            || (!frame->end && (start == B::Following)))
            fail(30486, "invalid window aggregation group in the window specification", frame->offset);
        auto bound = [&](const sql::WindowFrame::Bound& b) -> std::string {
            switch (b.type) {
            case B::UnboundedPreceding:
                return "UNBOUNDED PRECEDING";
            case B::UnboundedFollowing:
                return "UNBOUNDED FOLLOWING";
            case B::CurrentRow:
                return "CURRENT ROW";
            case B::Preceding:
            case B::Following: {
                BExpr v = expr(*b.offset, scope);
                if (v.local)
                    fail(30486, "invalid window aggregation group in the window specification", b.offset->offset);
                v = converted(v, OraType::Number, b.offset->offset);
                if (const auto* l = b.offset->as<sql::UnaryExpr>(); l && l->op == sql::UnaryExpr::Op::Minus)
                    fail(1428, "argument '" + sql::dumpExpr(*b.offset) + "' is out of range", b.offset->offset);
                return v.sql + (b.type == B::Preceding ? " PRECEDING" : " FOLLOWING");
            }
            }
            return "CURRENT ROW";
        };
        frameSql = std::string(frame->unit == sql::WindowFrame::Unit::Rows ? "ROWS" : "RANGE") + " BETWEEN "
            + bound(frame->start) + " AND " + (frame->end ? bound(*frame->end) : std::string("CURRENT ROW"));
    }
    auto window = [&](const std::string& orderSql, const std::string& frameText) {
        std::string w = " OVER (";
        if (!partition.empty())
            w += "PARTITION BY " + partition;
        if (!orderSql.empty())
            w += std::string(partition.empty() ? "" : " ") + "ORDER BY " + orderSql;
        if (!frameText.empty())
            w += " " + frameText;
        return w + ")";
    };
    const std::string overSql = window(order, frameSql);

    if (isAggregateName(name) || e.keep || e.withinGroup) {
        if (e.ignoreNulls || e.fromLast)
            fail(30484, "missing OVER clause, or invalid identifier found for window function", e.offset);
        return aggregate(e, scope, &overSql);
    }
    auto argCount = [&](size_t lo, size_t hi) {
        if (e.args.size() < lo)
            fail(938, "not enough arguments for function", e.offset);
        if (e.args.size() > hi)
            fail(939, "too many arguments for function", e.offset);
    };
    auto needsOrder = [&]() {
        if (over.orderBy.empty())
            fail(30485, "missing ORDER BY expression in the window specification", over.offset);
    };
    auto noFrame = [&]() {
        if (frame)
            fail(907, "missing right parenthesis", frame->offset);
    };
    if ((e.ignoreNulls && name != "LAG" && name != "LEAD" && name != "FIRST_VALUE" && name != "LAST_VALUE"
            && name != "NTH_VALUE")
        || (e.fromLast && name != "NTH_VALUE"))
        fail(30484, "missing OVER clause, or invalid identifier found for window function", e.offset);
    const bool ignoreNulls = e.ignoreNulls.value_or(false);
    BExpr out;
    out.local = true;

    if (isRanking(name)) {
        argCount(0, 0);
        needsOrder();
        noFrame();
        static const std::pair<const char*, const char*> sqlite[] = { { "ROW_NUMBER", "row_number" },
            { "RANK", "rank" }, { "DENSE_RANK", "dense_rank" }, { "PERCENT_RANK", "percent_rank" },
            { "CUME_DIST", "cume_dist" } };
        for (const auto& [o, s] : sqlite)
            if (name == o)
                out.sql = std::string(s) + "()" + overSql;
        out.type = ExprType::number();
        out.type.nullable = false;
        return out;
    }
    if (name == "NTILE") {
        argCount(1, 1);
        needsOrder();
        noFrame();
        BExpr n = converted(expr(*e.args[0], scope), OraType::Number, e.args[0]->offset);
        if (n.local)
            fail(30488, "argument should be a function of expressions in PARTITION BY", e.args[0]->offset);
        // Oracle takes the whole part of the bucket count and wants it positive.
        out.sql = "ntile(ORA_BUCKETS(" + n.sql + "))" + overSql;
        out.type = ExprType::number();
        return out;
    }
    if (name == "RATIO_TO_REPORT") {
        argCount(1, 1);
        if (!over.orderBy.empty())
            fail(30487, "ORDER BY not allowed here", over.offset);
        BExpr x = expr(*e.args[0], scope);
        if (x.type.isNull) {
            out.sql = "NULL";
        } else {
            x = converted(x, OraType::Number, e.args[0]->offset);
            // The value's share of its partition's total; a total of zero has no shares.
            out.sql = "ORA_DIVIDE(" + x.sql + ", NULLIF(ORA_WSUM(" + x.sql + ")" + overSql + ", 0))";
        }
        out.type = ExprType::number();
        return out;
    }
    if (name == "LAG" || name == "LEAD") {
        argCount(1, 3);
        needsOrder();
        noFrame();
        BExpr x = expr(*e.args[0], scope);
        refuseLob(x.type, e.args[0]->offset);
        std::string offset = "1";
        if (e.args.size() > 1) {
            BExpr o = converted(expr(*e.args[1], scope), OraType::Number, e.args[1]->offset);
            offset = "ORA_ROW_OFFSET(" + o.sql + ")";
        }
        std::string fallback;
        if (e.args.size() > 2) {
            BExpr d = expr(*e.args[2], scope);
            if (!d.type.isNull && !x.type.isNull && types::familyOf(d.type.type) != types::familyOf(x.type.type))
                d = converted(d, x.type.type, e.args[2]->offset);
            fallback = d.sql;
        }
        out.type = x.type.isNull && e.args.size() > 2 ? ExprType::varchar2() : x.type;
        out.type.nullable = true;
        out.type.isTextLiteral = false;
        if (!ignoreNulls) {
            out.sql = (name == "LAG" ? "lag(" : "lead(") + x.sql + ", " + offset
                + (fallback.empty() ? "" : ", " + fallback) + ")" + overSql;
            return out;
        }
        // IGNORE NULLS: the n-th value that is not NULL before (after) the row, in the window's order.
        const std::string rows = name == "LAG" ? "ROWS BETWEEN UNBOUNDED PRECEDING AND 1 PRECEDING"
                                               : "ROWS BETWEEN 1 FOLLOWING AND UNBOUNDED FOLLOWING";
        std::string found = "ORA_NTH_VALUE(" + x.sql + ", " + offset + ", " + (name == "LAG" ? "1" : "0") + ", 1)"
            + window(order, rows);
        if (!fallback.empty())
            found = "COALESCE(" + found + ", " + fallback + ")";
        out.sql = "(CASE WHEN " + offset + " = 0 THEN " + x.sql + " ELSE " + found + " END)";
        return out;
    }
    if (name == "FIRST_VALUE" || name == "LAST_VALUE" || name == "NTH_VALUE") {
        argCount(name == "NTH_VALUE" ? 2 : 1, name == "NTH_VALUE" ? 2 : 1);
        BExpr x = expr(*e.args[0], scope);
        refuseLob(x.type, e.args[0]->offset);
        out.type = x.type;
        out.type.nullable = true;
        out.type.isTextLiteral = false;
        if (name != "NTH_VALUE" && !ignoreNulls) {
            out.sql = (name == "FIRST_VALUE" ? "first_value(" : "last_value(") + x.sql + ")" + overSql;
            return out;
        }
        std::string n = "1";
        if (name == "NTH_VALUE") {
            BExpr nb = converted(expr(*e.args[1], scope), OraType::Number, e.args[1]->offset);
            n = nb.sql;
        }
        const bool fromLast = name == "LAST_VALUE" || e.fromLast;
        out.sql = "ORA_NTH_VALUE(" + x.sql + ", " + n + ", " + (fromLast ? "1" : "0") + ", " + (ignoreNulls ? "1" : "0")
            + ")" + overSql;
        return out;
    }
    fail(30484, "missing OVER clause, or invalid identifier found for window function", e.offset);
}

} // namespace engine::bind::detail

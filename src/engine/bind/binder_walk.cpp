// Walks over the syntax tree the binder's query stages share (binder_walk.h).
#include "engine/bind/binder_walk.h"

namespace engine::bind::detail {

void splitAnd(const sql::Expr* e, std::vector<const sql::Expr*>& out)
{
    if (!e)
        return;
    if (const auto* b = e->as<sql::BinaryExpr>(); b && b->op == sql::BinaryExpr::Op::And) {
        splitAnd(b->left.get(), out);
        splitAnd(b->right.get(), out);
        return;
    }
    out.push_back(e);
}

bool isRownum(const sql::Expr* e)
{
    const auto* p = e ? e->as<sql::PseudoColumnExpr>() : nullptr;
    return p && p->which == sql::PseudoColumnExpr::Which::Rownum;
}

const sql::Expr* limitOperand(const sql::Expr* e)
{
    if (!e)
        return nullptr;
    if (e->as<sql::BindExpr>())
        return e;
    if (const auto* l = e->as<sql::LiteralExpr>(); l && l->type == sql::LiteralExpr::Type::Number)
        return e;
    if (const auto* u = e->as<sql::UnaryExpr>(); u
        && (u->op == sql::UnaryExpr::Op::Minus || u->op == sql::UnaryExpr::Op::Plus) && limitOperand(u->operand.get()))
        return e;
    return nullptr;
}

void forEachChild(const sql::Expr& e, const std::function<void(const sql::Expr&)>& f)
{
    auto one = [&](const sql::ExprPtr& p) {
        if (p)
            f(*p);
    };
    switch (e.kind) {
    case sql::ExprKind::FunctionCall: {
        const auto& fc = *e.as<sql::FunctionCallExpr>();
        for (const auto& a : fc.args)
            one(a);
        for (const auto& o : fc.withinOrder)
            one(o.expr);
        if (fc.keep)
            for (const auto& o : fc.keep->orderBy)
                one(o.expr);
        if (fc.over) {
            for (const auto& p : fc.over->partitionBy)
                one(p);
            for (const auto& o : fc.over->orderBy)
                one(o.expr);
        }
        break;
    }
    case sql::ExprKind::Case: {
        const auto& c = *e.as<sql::CaseExpr>();
        one(c.operand);
        for (const auto& w : c.whens) {
            one(w.when);
            one(w.then);
        }
        one(c.elseExpr);
        break;
    }
    case sql::ExprKind::Unary:
        one(e.as<sql::UnaryExpr>()->operand);
        break;
    case sql::ExprKind::Binary:
        one(e.as<sql::BinaryExpr>()->left);
        one(e.as<sql::BinaryExpr>()->right);
        break;
    case sql::ExprKind::Comparison:
        one(e.as<sql::ComparisonExpr>()->left);
        one(e.as<sql::ComparisonExpr>()->right);
        break;
    case sql::ExprKind::QuantifiedComparison:
        one(e.as<sql::QuantifiedComparisonExpr>()->left);
        for (const auto& a : e.as<sql::QuantifiedComparisonExpr>()->list)
            one(a);
        break;
    case sql::ExprKind::InList:
        one(e.as<sql::InListExpr>()->left);
        for (const auto& a : e.as<sql::InListExpr>()->list)
            one(a);
        break;
    case sql::ExprKind::InSubquery:
        one(e.as<sql::InSubqueryExpr>()->left);
        break;
    case sql::ExprKind::Between:
        one(e.as<sql::BetweenExpr>()->value);
        one(e.as<sql::BetweenExpr>()->low);
        one(e.as<sql::BetweenExpr>()->high);
        break;
    case sql::ExprKind::Like:
        one(e.as<sql::LikeExpr>()->value);
        one(e.as<sql::LikeExpr>()->pattern);
        one(e.as<sql::LikeExpr>()->escape);
        break;
    case sql::ExprKind::IsNull:
        one(e.as<sql::IsNullExpr>()->value);
        break;
    case sql::ExprKind::Tuple:
        for (const auto& a : e.as<sql::TupleExpr>()->items)
            one(a);
        break;
    default:
        break;
    }
}

bool mentionsRownum(const sql::Expr* e)
{
    if (!e)
        return false;
    if (isRownum(e))
        return true;
    bool found = false;
    forEachChild(*e, [&](const sql::Expr& c) { found = found || mentionsRownum(&c); });
    return found;
}

bool mentionsOr(const sql::Expr* e)
{
    if (!e)
        return false;
    if (const auto* b = e->as<sql::BinaryExpr>(); b && b->op == sql::BinaryExpr::Op::Or)
        return true;
    if (e->as<sql::InListExpr>())
        return true;
    bool found = false;
    forEachChild(*e, [&](const sql::Expr& c) { found = found || mentionsOr(&c); });
    return found;
}

bool isAggregateName(const std::string& n)
{
    static const char* const names[] = { "COUNT", "SUM", "AVG", "MIN", "MAX", "LISTAGG", "MEDIAN", "STDDEV",
        "VARIANCE", "STDDEV_POP", "STDDEV_SAMP", "VAR_POP", "VAR_SAMP", "PERCENTILE_CONT", "PERCENTILE_DISC" };
    for (const char* x : names)
        if (n == x)
            return true;
    return false;
}

bool isAggregateCall(const sql::Expr& e)
{
    const auto* f = e.as<sql::FunctionCallExpr>();
    if (!f || f->name.size() != 1 || f->over)
        return false;
    // RANK(x) WITHIN GROUP (...) and its kind: the hypothetical forms of the ranking functions are aggregates.
    return isAggregateName(f->functionName().name) || f->withinGroup;
}

bool isWindowFunctionName(const std::string& n)
{
    static const char* const names[] = { "ROW_NUMBER", "RANK", "DENSE_RANK", "PERCENT_RANK", "CUME_DIST", "NTILE",
        "LAG", "LEAD", "FIRST_VALUE", "LAST_VALUE", "NTH_VALUE", "RATIO_TO_REPORT" };
    for (const char* x : names)
        if (n == x)
            return true;
    return false;
}

bool isKnownOracleFunction(const std::string& n)
{
    static const char* const names[] = { "ORA_HASH", "DUMP", "VSIZE", "STANDARD_HASH", "NLSSORT",
        "CONVERT", "COMPOSE", "DECOMPOSE", "TO_MULTI_BYTE", "TO_SINGLE_BYTE", "EXTRACT",
        "TZ_OFFSET", "NEW_TIME", "TO_BINARY_DOUBLE", "TO_BINARY_FLOAT", "CORR", "COVAR_POP",
        "COVAR_SAMP", "REGR_SLOPE", "REGR_INTERCEPT", "REGR_COUNT", "REGR_R2", "COLLECT", "CARDINALITY",
        "XMLAGG", "XMLELEMENT", "JSON_VALUE", "JSON_QUERY", "JSON_OBJECT", "JSON_ARRAYAGG",
        "APPROX_COUNT_DISTINCT", "STATS_MODE", "REGR_SXX", "REGR_SYY", "REGR_SXY", "REGR_AVGX", "REGR_AVGY",
        "LENGTHC", "LENGTH2", "SUBSTRC", "SUBSTR2", "INSTRC", "INSTR2", "XMLTYPE", "XMLFOREST", "XMLCONCAT",
        "JSON_ARRAY", "JSON_OBJECTAGG", "NLS_CHARSET_ID", "NLS_CHARSET_NAME", "ANY_VALUE" };
    for (const char* x : names)
        if (n == x)
            return true;
    return false;
}

bool isAnalyticCall(const sql::Expr& e)
{
    const auto* f = e.as<sql::FunctionCallExpr>();
    return f && f->over;
}

bool containsAnalytic(const sql::Expr& e)
{
    if (isAnalyticCall(e))
        return true;
    bool found = false;
    forEachChild(e, [&](const sql::Expr& c) { found = found || containsAnalytic(c); });
    return found;
}

std::string pseudoName(sql::PseudoColumnExpr::Which w)
{
    using W = sql::PseudoColumnExpr::Which;
    switch (w) {
    case W::Rownum:
        return "ROWNUM";
    case W::Rowid:
        return "ROWID";
    case W::Level:
        return "LEVEL";
    case W::Sysdate:
        return "SYSDATE";
    case W::Systimestamp:
        return "SYSTIMESTAMP";
    case W::User:
        return "USER";
    case W::Uid:
        return "UID";
    }
    return "EXPR";
}

bool containsPrior(const sql::Expr& e)
{
    if (const auto* u = e.as<sql::UnaryExpr>(); u && u->op == sql::UnaryExpr::Op::Prior)
        return true;
    bool found = false;
    forEachChild(e, [&](const sql::Expr& c) { found = found || containsPrior(c); });
    return found;
}

void collectConnectByPaths(const sql::Expr& e, std::vector<const sql::FunctionCallExpr*>& out)
{
    if (const auto* f = e.as<sql::FunctionCallExpr>();
        f && f->name.size() == 1 && f->functionName().name == "SYS_CONNECT_BY_PATH") {
        out.push_back(f);
        return;
    }
    forEachChild(e, [&](const sql::Expr& c) { collectConnectByPaths(c, out); });
}

bool containsAggregate(const sql::Expr& e)
{
    if (isAggregateCall(e))
        return true;
    bool found = false;
    forEachChild(e, [&](const sql::Expr& c) { found = found || containsAggregate(c); });
    return found;
}

void collectNestedAggregates(const sql::Expr& e, bool insideAggregate, std::vector<const sql::Expr*>& out)
{
    if (isAggregateCall(e)) {
        if (insideAggregate) {
            out.push_back(&e);
            return;
        }
        forEachChild(e, [&](const sql::Expr& c) { collectNestedAggregates(c, true, out); });
        return;
    }
    forEachChild(e, [&](const sql::Expr& c) { collectNestedAggregates(c, insideAggregate, out); });
}

} // namespace engine::bind::detail

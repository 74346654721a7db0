// Hierarchical queries: START WITH, CONNECT BY [NOCYCLE] with PRIOR, LEVEL, SYS_CONNECT_BY_PATH, CONNECT_BY_ROOT,
// CONNECT_BY_ISLEAF, CONNECT_BY_ISCYCLE and ORDER SIBLINGS BY, as a recursive common table expression over the
// block's joined rows.
//
// The joined rows (b_) are numbered; the hierarchy (h_) starts at the START WITH rows and adds the rows CONNECT BY
// links to each, carrying the parent's columns (for PRIOR), the paths, the root's values and the sibling keys.
// The recursion's queue takes the deepest row first, then siblings in their order, which gives Oracle's depth
// first order; numbering the rows as they come (ord_) keeps it.
#include "engine/bind/binder_impl.h"
#include "engine/bind/binder_walk.h"

namespace engine::bind::detail {

using types::ExprType;

namespace {

bool mentionsColumnIn(const sql::Expr& e, const char* name)
{
    if (const auto* c = e.as<sql::ColumnRefExpr>(); c && c->parts.size() == 1 && !c->parts[0].quoted
        && c->parts[0].name == name)
        return true;
    bool found = false;
    forEachChild(e, [&](const sql::Expr& x) { found = found || mentionsColumnIn(x, name); });
    return found;
}

// Whether the block's select list, WHERE or ORDER BY names the pseudocolumn.
bool mentionsColumn(const sql::QueryBlock& b, const std::vector<sql::OrderItem>* orderBy, const char* name)
{
    for (const auto& item : b.items)
        if (item.expr && mentionsColumnIn(*item.expr, name))
            return true;
    if (b.where && mentionsColumnIn(*b.where, name))
        return true;
    if (orderBy)
        for (const auto& o : *orderBy)
            if (mentionsColumnIn(*o.expr, name))
                return true;
    return false;
}

void collectConnectByRoots(const sql::Expr& e, std::vector<const sql::UnaryExpr*>& out)
{
    if (const auto* u = e.as<sql::UnaryExpr>(); u && u->op == sql::UnaryExpr::Op::ConnectByRoot) {
        out.push_back(u);
        return;
    }
    forEachChild(e, [&](const sql::Expr& c) { collectConnectByRoots(c, out); });
}

bool containsConnectByRoot(const sql::Expr& e)
{
    std::vector<const sql::UnaryExpr*> roots;
    collectConnectByRoots(e, roots);
    return !roots.empty();
}

// An ORDER SIBLINGS BY key: a select list position or column alias names that item's expression.
const sql::Expr& siblingKey(const sql::QueryBlock& b, const sql::Expr& e)
{
    if (const auto* l = e.as<sql::LiteralExpr>(); l && l->type == sql::LiteralExpr::Type::Number) {
        const int position = std::atoi(l->text.c_str());
        if (position < 1 || position > static_cast<int>(b.items.size())
            || b.items[static_cast<size_t>(position - 1)].type != sql::SelectItem::Type::Expr)
            throw oraError(1785, "ORDER BY item must be the number of a SELECT-list expression", e.offset);
        return *b.items[static_cast<size_t>(position - 1)].expr;
    }
    if (const auto* c = e.as<sql::ColumnRefExpr>(); c && c->parts.size() == 1)
        for (const auto& item : b.items)
            if (item.alias && item.expr && item.alias->name == c->parts[0].name)
                return *item.expr;
    return e;
}

} // namespace

void flattenColumns(const Scope& scope, const std::string& prefix, Scope& into)
{
    into = scope;
    into.usingColumns.clear();
    for (size_t i = 0; i < into.sources.size(); ++i) {
        Source& s = into.sources[i];
        for (size_t k = 0; k < s.columns.size(); ++k)
            s.columns[k].sql = prefix + ".\"" + std::to_string(i) + "_" + std::to_string(k) + "\"";
        if (!s.rownoSql.empty())
            s.rownoSql = prefix + ".\"" + std::to_string(i) + "_r\"";
    }
    for (const auto& [name, u] : scope.usingColumns) {
        (void)u;
        // USING columns read through their first source's flattened name.
        for (size_t i = 0; i < scope.sources.size(); ++i)
            for (size_t k = 0; k < scope.sources[i].columns.size(); ++k)
                if (scope.sources[i].columns[k].name == name && !into.usingColumns.count(name))
                    into.usingColumns[name] = { into.sources[i].columns[k].sql, u.second };
    }
}

std::string flatSelectList(const Scope& scope)
{
    std::string s;
    for (size_t i = 0; i < scope.sources.size(); ++i) {
        const Source& src = scope.sources[i];
        for (size_t k = 0; k < src.columns.size(); ++k)
            s += (s.empty() ? "" : ", ") + src.columns[k].sql + " AS \"" + std::to_string(i) + "_"
                + std::to_string(k) + "\"";
        if (!src.rownoSql.empty())
            s += (s.empty() ? "" : ", ") + src.rownoSql + " AS \"" + std::to_string(i) + "_r\"";
    }
    return s.empty() ? std::string("NULL AS \"none\"") : s;
}

std::string whereClause(const std::vector<std::string>& preds)
{
    std::string w;
    for (const auto& p : preds)
        w += (w.empty() ? "" : " AND ") + p;
    return w.empty() ? std::string() : " WHERE " + w;
}

void BinderImpl::hierarchy(const sql::QueryBlock& b, const std::vector<sql::OrderItem>* orderBy,
    const std::vector<sql::OrderItem>* siblings, const Scope& scope, const std::string& fromSql,
    const std::vector<BlockFilter>& filters, Scope& final, Scope& finalPrior, std::string& finalFrom,
    std::vector<std::string>& finalWhere)
{
    for (const sql::Expr* e : { b.startWith.get(), b.connectBy.get() })
        if (e && containsConnectByRoot(*e))
            fail(30007, "CONNECT BY ROOT operator is not supported in the START WITH or in the CONNECT BY condition",
                e->offset);
    if (!b.nocycle && mentionsColumn(b, orderBy, "CONNECT_BY_ISCYCLE"))
        fail(30930, "NOCYCLE keyword is required with CONNECT_BY_ISCYCLE pseudocolumn", b.offset);
    // Joins first, then CONNECT BY, then the other conditions, as Oracle evaluates a hierarchical query.
    std::vector<std::string> joins;
    std::vector<const sql::Expr*> after;
    for (const auto& f : filters) {
        if (f.refs.size() >= 2)
            joins.push_back(f.sql);
        else
            after.push_back(f.expr);
    }
    const bool single = scope.sources.size() == 1 && !scope.sources[0].rownoSql.empty();
    const std::string key = single ? scope.sources[0].rownoSql : "row_number() OVER ()";
    const std::string base = "SELECT " + flatSelectList(scope) + ", " + key + " AS k_ FROM " + fromSql + whereClause(joins);
    Scope start, child, prior;
    flattenColumns(scope, "b_", start);
    flattenColumns(scope, "c_", child);
    flattenColumns(scope, "h_", prior);
    start.levelSql = "1";
    child.levelSql = "(h_.lvl_ + 1)";
    prior.levelSql = "h_.lvl_";
    std::string startSql;
    if (b.startWith)
        startSql = " WHERE " + expr(*b.startWith, start).sql;
    child.priorScope = &prior;
    const std::string connect = expr(*b.connectBy, child).sql;
    // Oracle looks for loops through the PRIOR columns; CONNECT BY LEVEL <= n has none and makes rows.
    const std::string seen = "instr(h_.path_, '/' || c_.k_ || '/') > 0";
    const std::string cycle = !containsPrior(*b.connectBy) ? "1"
        : b.nocycle
        ? "NOT (" + seen + ")"
        // SQLite may test this before the join's own condition: only a row CONNECT BY links is a loop.
        : "(CASE WHEN (" + connect + ") AND " + seen
            + " THEN ORA_RAISE_ERROR(1436, 'CONNECT BY loop in user data') ELSE 1 END) = 1";
    // Each row carries its parent's columns (for PRIOR in the select list) and the paths SYS_CONNECT_BY_PATH
    // builds from the root down.
    std::string parentNulls, parentCols, parentNames;
    for (size_t i = 0; i < scope.sources.size(); ++i) {
        const Source& src = scope.sources[i];
        auto add = [&](const std::string& n) {
            parentNulls += ", NULL AS \"p_" + n + "\"";
            parentCols += ", h_.\"" + n + "\"";
        };
        for (size_t k = 0; k < src.columns.size(); ++k)
            add(std::to_string(i) + "_" + std::to_string(k));
        if (!src.rownoSql.empty())
            add(std::to_string(i) + "_r");
    }
    std::vector<const sql::FunctionCallExpr*> paths;
    for (const auto& item : b.items)
        if (item.expr)
            collectConnectByPaths(*item.expr, paths);
    std::string pathAnchors, pathSteps;
    for (size_t n = 0; n < paths.size(); ++n) {
        const auto* call = paths[n];
        if (call->args.size() != 2)
            fail(909, "invalid number of arguments", call->offset);
        auto text = [&](Scope& sc, const sql::Expr& x) {
            return "COALESCE(" + converted(expr(x, sc), OraType::Varchar2, x.offset).sql + ", '')";
        };
        const std::string sepStart = text(start, *call->args[1]);
        const std::string sepChild = text(child, *call->args[1]);
        pathAnchors += ", " + sepStart + " || " + text(start, *call->args[0]) + " AS cbp" + std::to_string(n);
        pathSteps += ", h_.cbp" + std::to_string(n) + " || " + sepChild + " || " + text(child, *call->args[0]);
    }
    // ORDER SIBLINGS BY: each row carries its sort keys, and the recursion's queue takes siblings in their order.
    std::string siblingAnchors, siblingSteps, siblingOrder;
    if (siblings) {
        for (size_t n = 0; n < siblings->size(); ++n) {
            const sql::OrderItem& o = (*siblings)[n];
            const sql::Expr& key = siblingKey(b, *o.expr);
            const BExpr a = expr(key, start);
            refuseLob(a.type, o.expr->offset);
            const std::string name = "sk" + std::to_string(n);
            siblingAnchors += ", " + a.sql + " AS " + name;
            siblingSteps += ", " + expr(key, child).sql;
            siblingOrder += ", " + emit::orderTerm(name, o.descending, o.nullsFirst);
        }
    }
    // CONNECT_BY_ROOT x: x of the row's root, carried down from it.
    std::vector<const sql::UnaryExpr*> roots;
    auto collectRoots = [&](const sql::Expr& e) { collectConnectByRoots(e, roots); };
    for (const auto& item : b.items)
        if (item.expr)
            collectRoots(*item.expr);
    for (const sql::Expr* a : after)
        collectRoots(*a);
    if (orderBy)
        for (const auto& o : *orderBy)
            collectRoots(*o.expr);
    std::string rootAnchors, rootSteps;
    std::vector<ExprType> rootTypes;
    for (size_t n = 0; n < roots.size(); ++n) {
        const BExpr r = expr(*roots[n]->operand, start);
        rootAnchors += ", " + r.sql + " AS rt" + std::to_string(n);
        rootSteps += ", h_.rt" + std::to_string(n);
        rootTypes.push_back(r.type);
    }
    // Only a loop check needs the keys of a row's ancestors. The rows come out depth first with siblings in key
    // order because the recursion's queue takes the deepest row first; numbering them as they come keeps that
    // order without carrying a path that grows with the depth (CONNECT BY LEVEL <= n would hold n² bytes).
    const bool loopCheck = containsPrior(*b.connectBy);
    const std::string pathStart = loopCheck ? "'/' || b_.k_ || '/'" : "''";
    const std::string pathStep = loopCheck ? "h_.path_ || c_.k_ || '/'" : "''";
    // CONNECT_BY_ISCYCLE: a child of the row is one of its ancestors (NOCYCLE left it out of the hierarchy).
    std::string rows = "SELECT h_.*, row_number() OVER () AS ord_";
    if (mentionsColumn(b, orderBy, "CONNECT_BY_ISCYCLE"))
        rows += loopCheck ? ", EXISTS (SELECT 1 FROM b_ AS c_ WHERE " + connect + " AND " + seen + ") AS cyc_"
                          : ", 0 AS cyc_";
    rows += " FROM h_";
    // CONNECT_BY_ISLEAF: in the depth-first order, a row with children is followed by a deeper one.
    if (mentionsColumn(b, orderBy, "CONNECT_BY_ISLEAF"))
        rows = "SELECT x_.*, CASE WHEN lead(x_.lvl_) OVER (ORDER BY x_.ord_) > x_.lvl_ THEN 0 ELSE 1 END AS leaf_ FROM ("
            + rows + ") AS x_";
    finalFrom = "(WITH RECURSIVE b_ AS (" + base + "), h_ AS (SELECT b_.*, 1 AS lvl_, " + pathStart + " AS path_"
        + parentNulls + pathAnchors + siblingAnchors + rootAnchors + " FROM b_" + startSql
        + " UNION ALL SELECT c_.*, h_.lvl_ + 1, " + pathStep + parentCols + pathSteps + siblingSteps + rootSteps
        + " FROM h_ JOIN b_ AS c_ ON " + connect + " WHERE " + cycle + " ORDER BY lvl_ DESC" + siblingOrder
        + ", k_) " + rows + ") AS r_";
    flattenColumns(scope, "r_", final);
    final.levelSql = "r_.lvl_";
    flattenColumns(scope, "r_", finalPrior);
    for (auto& src : finalPrior.sources) {
        for (auto& c : src.columns)
            c.sql.insert(4, "p_");
        if (!src.rownoSql.empty())
            src.rownoSql.insert(4, "p_");
    }
    for (auto& [name, u] : finalPrior.usingColumns)
        u.first.insert(4, "p_");
    finalPrior.levelSql = "(r_.lvl_ - 1)";
    final.priorScope = &finalPrior;
    for (size_t n = 0; n < paths.size(); ++n)
        final.precomputed[paths[n]] = { "NULLIF(r_.cbp" + std::to_string(n) + ", '')", ExprType::varchar2() };
    for (size_t n = 0; n < roots.size(); ++n)
        final.precomputed[roots[n]] = { "r_.rt" + std::to_string(n), rootTypes[n] };
    final.leafSql = "r_.leaf_";
    final.cycleSql = "r_.cyc_";
    for (const sql::Expr* a : after)
        finalWhere.push_back(expr(*a, final).sql);
}

} // namespace engine::bind::detail

// GROUP BY with ROLLUP, CUBE, GROUPING SETS and (), and GROUPING, GROUPING_ID and GROUP_ID.
//
// The grouping sets are expanded as Oracle defines them (ROLLUP (a, b) is (a, b), (a), (); CUBE every subset;
// elements written side by side combine every set of one with every set of the next) and each set becomes one
// grouped query of the block's rows; their UNION ALL holds, per row, the group expressions (NULL where the set
// does not group by one), the set's number, the aggregates and the grouping functions' values. The block's select
// list, HAVING and ORDER BY then read those columns in place of the expressions they stand for. Without ORDER BY
// the rows come as Oracle's sort of a ROLLUP gives them: each group before its subtotal.
#include "engine/bind/binder_impl.h"
#include "engine/bind/binder_walk.h"

#include <algorithm>

namespace engine::bind::detail {

using types::ExprType;

namespace {

using Set = std::vector<const sql::Expr*>;

// The expressions of one item of ROLLUP, CUBE or GROUPING SETS: a composite (a, b) stands for both.
Set itemOf(const sql::Expr& e)
{
    if (const auto* t = e.as<sql::TupleExpr>()) {
        Set s;
        for (const auto& i : t->items)
            s.push_back(i.get());
        return s;
    }
    return { &e };
}

Set joined(const Set& a, const Set& b)
{
    Set r = a;
    r.insert(r.end(), b.begin(), b.end());
    return r;
}

constexpr size_t kMaxGroupingSets = 4096;

std::vector<Set> setsOf(const sql::GroupingElement& g)
{
    using T = sql::GroupingElement::Type;
    switch (g.type) {
    case T::Expr:
        return { itemOf(*g.expr) };
    case T::Empty:
        return { Set {} };
    case T::Rollup: {
        std::vector<Set> out;
        for (size_t n = g.items.size() + 1; n-- > 0;) {
            Set s;
            for (size_t i = 0; i < n; ++i)
                s = joined(s, itemOf(*g.items[i]));
            out.push_back(s);
        }
        return out;
    }
    case T::Cube: {
        const size_t n = g.items.size();
        if (n > 12)
            throw oraError(3001, "unimplemented feature: CUBE of more than 12 expressions", g.offset);
        std::vector<Set> out;
        for (size_t mask = (size_t(1) << n); mask-- > 0;) {
            Set s;
            for (size_t i = 0; i < n; ++i)
                if (mask & (size_t(1) << (n - 1 - i)))
                    s = joined(s, itemOf(*g.items[i]));
            out.push_back(s);
        }
        return out;
    }
    case T::Sets: {
        std::vector<Set> out;
        for (const auto& inner : g.sets) {
            std::vector<Set> part = setsOf(inner);
            out.insert(out.end(), part.begin(), part.end());
        }
        return out;
    }
    }
    return {};
}

bool isGroupingFunction(const sql::Expr& e)
{
    const auto* f = e.as<sql::FunctionCallExpr>();
    if (!f || f->name.size() != 1 || f->over)
        return false;
    const std::string& n = f->functionName().name;
    return n == "GROUPING" || n == "GROUPING_ID" || n == "GROUP_ID";
}

bool containsGroupingFunction(const sql::Expr& e)
{
    if (isGroupingFunction(e))
        return true;
    bool found = false;
    forEachChild(e, [&](const sql::Expr& c) { found = found || containsGroupingFunction(c); });
    return found;
}

} // namespace

void BinderImpl::groupingSets(const sql::QueryBlock& b, const std::vector<sql::OrderItem>* orderBy, Scope& final,
    std::string& finalFrom, std::vector<std::string>& finalWhere, std::string& defaultOrder)
{
    // The sets, each written element combined with the sets before it.
    std::vector<Set> sets { Set {} };
    for (const auto& g : b.groupingSets) {
        std::vector<Set> next;
        for (const Set& before : sets)
            for (const Set& s : setsOf(g)) {
                next.push_back(joined(before, s));
                if (next.size() > kMaxGroupingSets)
                    fail(3001, "unimplemented feature: more than 4096 grouping sets", g.offset);
            }
        sets = std::move(next);
    }

    // The distinct group expressions, and each set as the keys it groups by.
    final.aggregatesAllowed = false;
    std::vector<std::string> keys;
    std::vector<ExprType> keyTypes;
    std::vector<std::vector<bool>> setKeys;
    for (const Set& s : sets) {
        std::vector<bool> has;
        for (const sql::Expr* e : s) {
            BExpr k = expr(*e, final);
            refuseLob(k.type, e->offset);
            auto it = std::find(keys.begin(), keys.end(), k.sql);
            size_t index = size_t(it - keys.begin());
            if (it == keys.end()) {
                keys.push_back(k.sql);
                ExprType t = k.type;
                t.nullable = true;
                t.isTextLiteral = false;
                keyTypes.push_back(t);
            }
            if (has.size() <= index)
                has.resize(index + 1, false);
            has[index] = true;
        }
        setKeys.push_back(has);
    }
    for (auto& has : setKeys)
        has.resize(keys.size(), false);
    auto keyIndex = [&](const sql::Expr& e) {
        BExpr k = expr(e, final);
        auto it = std::find(keys.begin(), keys.end(), k.sql);
        return it == keys.end() ? -1 : int(it - keys.begin());
    };

    // What the select list, HAVING and ORDER BY read: group expressions, aggregates and grouping functions as
    // columns of the sets' rows.
    std::vector<std::pair<std::string, ExprType>> aggregates;
    std::vector<std::vector<int64_t>> functionValues; // per grouping function, its value in each set
    std::map<const sql::Expr*, std::pair<std::string, ExprType>> read;
    std::function<void(const sql::Expr&)> map = [&](const sql::Expr& e) {
        if (isGroupingFunction(e)) {
            const auto& f = *e.as<sql::FunctionCallExpr>();
            const std::string& n = f.functionName().name;
            std::vector<int64_t> values;
            if (n == "GROUP_ID") {
                if (!f.args.empty())
                    fail(939, "too many arguments for function", e.offset);
                // How many sets before this one group by the same keys.
                for (size_t i = 0; i < sets.size(); ++i)
                    values.push_back(std::count(setKeys.begin(), setKeys.begin() + long(i), setKeys[i]));
            } else {
                if (f.args.empty())
                    fail(938, "not enough arguments for function", e.offset);
                if (n == "GROUPING" && f.args.size() > 1)
                    fail(939, "too many arguments for function", e.offset);
                std::vector<int> indexes;
                for (const auto& a : f.args) {
                    const int k = keyIndex(*a);
                    if (k < 0)
                        fail(979, "not a GROUP BY expression", a->offset);
                    indexes.push_back(k);
                }
                for (size_t i = 0; i < sets.size(); ++i) {
                    int64_t v = 0;
                    for (int k : indexes)
                        v = v * 2 + (setKeys[i][size_t(k)] ? 0 : 1);
                    values.push_back(v);
                }
            }
            functionValues.push_back(values);
            ExprType t = ExprType::number();
            t.nullable = false;
            read[&e] = { "g_.f" + std::to_string(functionValues.size()), t };
            return;
        }
        if (isAggregateCall(e)) {
            final.aggregatesAllowed = true;
            BExpr a = expr(e, final);
            final.aggregatesAllowed = false;
            aggregates.push_back({ a.sql, a.type });
            read[&e] = { "g_.a" + std::to_string(aggregates.size()), a.type };
            return;
        }
        if (containsAnalytic(e) || containsAggregate(e) || containsGroupingFunction(e)) {
            // No group expression holds these: what they are made of is read from the sets' rows.
            forEachChild(e, map);
            return;
        }
        const BExpr be = expr(e, final);
        if (!be.local)
            return;
        auto it = std::find(keys.begin(), keys.end(), be.sql);
        if (it != keys.end()) {
            const size_t k = size_t(it - keys.begin());
            read[&e] = { "g_.k" + std::to_string(k + 1), keyTypes[k] };
            return;
        }
        if (e.as<sql::ColumnRefExpr>() || e.as<sql::PseudoColumnExpr>())
            fail(979, "not a GROUP BY expression", e.offset);
        if (e.as<sql::SubqueryExpr>() || e.as<sql::ExistsExpr>() || e.as<sql::InSubqueryExpr>())
            return;
        forEachChild(e, map);
    };
    for (const auto& item : b.items) {
        if (item.type != sql::SelectItem::Type::Expr)
            fail(979, "not a GROUP BY expression", item.offset);
        map(*item.expr);
    }
    if (b.having)
        map(*b.having);
    if (orderBy)
        for (const auto& item : *orderBy) {
            if (item.expr->as<sql::LiteralExpr>())
                continue;
            try {
                map(*item.expr);
            } catch (const Error& err) {
                if (err.code() != 904)
                    throw;
                // A select-list alias: the select list's own column.
            }
        }

    // The sets' rows.
    std::string rows;
    for (size_t i = 0; i < sets.size(); ++i) {
        std::string select, groups;
        for (size_t k = 0; k < keys.size(); ++k) {
            select += (k ? ", " : "") + (setKeys[i][k] ? keys[k] : std::string("NULL")) + " AS k" + std::to_string(k + 1);
            if (setKeys[i][k])
                groups += (groups.empty() ? "" : ", ") + emit::expressionTerm(keys[k]);
        }
        select += std::string(keys.empty() ? "" : ", ") + std::to_string(i) + " AS gs_";
        for (size_t a = 0; a < aggregates.size(); ++a)
            select += ", " + aggregates[a].first + " AS a" + std::to_string(a + 1);
        for (size_t f = 0; f < functionValues.size(); ++f)
            select += ", " + std::to_string(functionValues[f][i]) + " AS f" + std::to_string(f + 1);
        select += ", COUNT(*) AS n_"; // makes the empty set one group, aggregated or not
        std::string where;
        for (const auto& w : finalWhere)
            where += (where.empty() ? " WHERE " : " AND ") + w;
        rows += (i ? " UNION ALL " : "") + ("SELECT " + select + " FROM " + finalFrom + where
                                             + (groups.empty() ? "" : " GROUP BY " + groups));
    }
    finalFrom = "(" + rows + ") AS g_";
    finalWhere.clear();
    final.sources.clear();
    final.usingColumns.clear();
    for (auto& [e, r] : read)
        final.precomputed[e] = r;
    if (b.having)
        finalWhere.push_back(expr(*b.having, final).sql);

    // Each group before the subtotals over it, in the order the group expressions came.
    for (size_t k = 0; k < keys.size(); ++k) {
        std::string grouped = "(CASE g_.gs_";
        for (size_t i = 0; i < sets.size(); ++i)
            grouped += " WHEN " + std::to_string(i) + " THEN " + (setKeys[i][k] ? "0" : "1");
        grouped += " END)";
        defaultOrder += (defaultOrder.empty() ? "" : ", ") + grouped + ", "
            + emit::orderTerm("g_.k" + std::to_string(k + 1), false, std::nullopt);
    }
    if (!defaultOrder.empty())
        defaultOrder += ", g_.gs_";
}

} // namespace engine::bind::detail

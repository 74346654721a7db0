// The plan of a statement in Oracle's terms: SQLite's EXPLAIN QUERY PLAN of the statement's translation, its
// loops and searches turned into table and index accesses under the operations Oracle would show for them.

// GCC 12 reports a false "may be used uninitialized" inside std::regex's automaton at -O1 (libstdc++ bug 105562).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "engine/bind/binder.h"
#include "engine/catalog/catalog.h"
#include "engine/exec/executor.h"
#include "engine/exec/explain.h"
#include "engine/link/links.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <functional>
#include <map>
#include <regex>
#include <set>

namespace engine::exec {

namespace {

struct EqpNode {
    int id = 0;
    std::string detail;
    std::vector<int> children;
};

// An operation of the plan being built; costs and cardinalities are estimates, unset where none is given.
struct Op {
    std::string operation;
    std::string options;
    std::string owner;
    std::string name;
    std::string type;
    std::optional<double> cost;
    std::optional<double> card;
    std::vector<Op> children;
    std::string alias; // the row source's name in the translation, for an access
};

Op op(std::string operation, std::string options = {}, std::vector<Op> children = {})
{
    Op o;
    o.operation = std::move(operation);
    o.options = std::move(options);
    o.children = std::move(children);
    return o;
}

double cardOf(const Op& o)
{
    return o.card.value_or(1);
}
double costOf(const Op& o)
{
    return o.cost.value_or(0);
}

// An operation over its children whose estimates follow from theirs.
Op over(std::string operation, std::string options, std::vector<Op> children, bool singleRow = false)
{
    Op o = op(std::move(operation), std::move(options), std::move(children));
    double cost = 0;
    for (const Op& c : o.children)
        cost += costOf(c);
    o.cost = std::max(1.0, cost);
    o.card = singleRow || o.children.empty() ? 1.0 : cardOf(o.children.front());
    return o;
}

bool startsWith(const std::string& s, std::string_view prefix)
{
    return s.rfind(prefix, 0) == 0;
}

// Expressions of one query level, subqueries left out.
void visitLevel(const sql::Expr* e, const std::function<void(const sql::Expr&)>& f)
{
    if (!e)
        return;
    f(*e);
    auto each = [&](const std::vector<sql::ExprPtr>& list) {
        for (const auto& x : list)
            visitLevel(x.get(), f);
    };
    switch (e->kind) {
    case sql::ExprKind::FunctionCall:
        each(e->as<sql::FunctionCallExpr>()->args);
        break;
    case sql::ExprKind::Case: {
        const auto* c = e->as<sql::CaseExpr>();
        visitLevel(c->operand.get(), f);
        for (const auto& w : c->whens) {
            visitLevel(w.when.get(), f);
            visitLevel(w.then.get(), f);
        }
        visitLevel(c->elseExpr.get(), f);
        break;
    }
    case sql::ExprKind::Unary:
        visitLevel(e->as<sql::UnaryExpr>()->operand.get(), f);
        break;
    case sql::ExprKind::Binary:
        visitLevel(e->as<sql::BinaryExpr>()->left.get(), f);
        visitLevel(e->as<sql::BinaryExpr>()->right.get(), f);
        break;
    case sql::ExprKind::Comparison:
        visitLevel(e->as<sql::ComparisonExpr>()->left.get(), f);
        visitLevel(e->as<sql::ComparisonExpr>()->right.get(), f);
        break;
    case sql::ExprKind::QuantifiedComparison:
        visitLevel(e->as<sql::QuantifiedComparisonExpr>()->left.get(), f);
        each(e->as<sql::QuantifiedComparisonExpr>()->list);
        break;
    case sql::ExprKind::InList:
        visitLevel(e->as<sql::InListExpr>()->left.get(), f);
        each(e->as<sql::InListExpr>()->list);
        break;
    case sql::ExprKind::InSubquery:
        visitLevel(e->as<sql::InSubqueryExpr>()->left.get(), f);
        break;
    case sql::ExprKind::Between:
        visitLevel(e->as<sql::BetweenExpr>()->value.get(), f);
        visitLevel(e->as<sql::BetweenExpr>()->low.get(), f);
        visitLevel(e->as<sql::BetweenExpr>()->high.get(), f);
        break;
    case sql::ExprKind::Like:
        visitLevel(e->as<sql::LikeExpr>()->value.get(), f);
        visitLevel(e->as<sql::LikeExpr>()->pattern.get(), f);
        visitLevel(e->as<sql::LikeExpr>()->escape.get(), f);
        break;
    case sql::ExprKind::IsNull:
        visitLevel(e->as<sql::IsNullExpr>()->value.get(), f);
        break;
    case sql::ExprKind::Tuple:
        each(e->as<sql::TupleExpr>()->items);
        break;
    default:
        break;
    }
}

bool mentionsRownum(const sql::Expr* e)
{
    bool found = false;
    visitLevel(e, [&](const sql::Expr& x) {
        if (const auto* p = x.as<sql::PseudoColumnExpr>(); p && p->which == sql::PseudoColumnExpr::Which::Rownum)
            found = true;
    });
    return found;
}

bool hasAggregate(const sql::QueryBlock& b)
{
    bool found = false;
    auto check = [&](const sql::Expr& x) {
        const auto* f = x.as<sql::FunctionCallExpr>();
        if (!f || f->name.size() != 1)
            return;
        const std::string& n = f->functionName().name;
        if (n == "COUNT" || n == "SUM" || n == "AVG" || n == "MIN" || n == "MAX")
            found = true;
    };
    for (const auto& item : b.items)
        visitLevel(item.expr.get(), check);
    visitLevel(b.having.get(), check);
    return found;
}

// Whether Oracle merges a query in FROM into the block around it: not when it sorts, groups, counts rows or
// combines queries.
bool mergeable(const sql::Query& q)
{
    const auto* b = q.body->as<sql::QueryBlock>();
    if (!b || !q.orderBy.empty() || b->distinct || b->grouped() || b->having || b->connectBy || hasAggregate(*b)
        || mentionsRownum(b->where.get()))
        return false;
    return std::none_of(
        b->items.begin(), b->items.end(), [](const sql::SelectItem& i) { return mentionsRownum(i.expr.get()); });
}

// What Oracle adds over a query block's row source: ROWNUM counting, grouping, HAVING, DISTINCT, ORDER BY and
// FOR UPDATE; sorts come from SQLite's temporary b-trees, an Oracle sort it does without is NOSORT.
struct BlockShape {
    const sql::QueryBlock* block = nullptr;
    const sql::Query* query = nullptr;
};

class PlanBuilder {
public:
    PlanBuilder(sqlite3* db, const std::string& sql)
        : db_(db)
        , cat_(db)
    {
        readAliases(sql);
        // The views SQLite expands in place (the dictionary's among them) name their row sources in their own
        // text.
        static const std::regex quotedRe(R"re("([^"]+)")re");
        std::set<std::string> seen;
        std::vector<std::string> texts { sql };
        for (size_t i = 0; i < texts.size() && i < 64; ++i) {
            const std::string text = texts[i];
            for (std::sregex_iterator it(text.begin(), text.end(), quotedRe), end; it != end; ++it) {
                const std::string name = (*it)[1].str();
                if (!seen.insert(name).second)
                    continue;
                storage::Stmt v(db,
                    "SELECT sql FROM sqlite_temp_master WHERE type = 'view' AND name = ?1 UNION ALL "
                    "SELECT sql FROM sqlite_master WHERE type = 'view' AND name = ?1");
                v.bind(1, name);
                if (v.step() && !v.isNull(0)) {
                    texts.push_back(v.text(0));
                    readAliases(texts.back());
                }
            }
        }
        storage::Stmt q(db, "EXPLAIN QUERY PLAN " + sql);
        while (q.step()) {
            EqpNode n;
            n.id = static_cast<int>(q.int64(0));
            n.detail = q.text(3);
            const int parent = static_cast<int>(q.int64(1));
            nodes_[n.id] = n;
            if (parent != 0 && nodes_.count(parent))
                nodes_[parent].children.push_back(n.id);
            else
                roots_.push_back(n.id);
        }
        for (const auto& [id, n] : nodes_) {
            for (const char* kind : { "CO-ROUTINE ", "MATERIALIZE " })
                if (startsWith(n.detail, kind))
                    defs_[n.detail.substr(std::string_view(kind).size())] = id;
        }
    }

    // The operations of the statement's top level, under Oracle's shape of its query block.
    std::optional<Op> top(const BlockShape& shape) { return level(roots_, shape); }

private:
    // Row sources named "<source> [AS] <alias>" after FROM, JOIN or a comma; LEFT JOIN marks the outer side.
    void readAliases(const std::string& sql)
    {
        static const std::regex aliasRe(
            R"re((FROM|JOIN|UPDATE|INTO|,)\s+("[^"]+"|[A-Za-z_][A-Za-z0-9_$#.]*)(?=(\s+AS)?\s+([A-Za-z_][A-Za-z0-9_]*)(?![A-Za-z0-9_$#."(])))re",
            std::regex::icase);
        static const std::set<std::string> notAliases { "WHERE", "JOIN", "LEFT", "RIGHT", "INNER", "OUTER", "CROSS",
            "ON", "GROUP", "ORDER", "UNION", "LIMIT", "HAVING", "NATURAL", "USING", "EXCEPT", "INTERSECT", "WINDOW" };
        static const std::set<std::string> sqlWords { "CASE", "SELECT", "DISTINCT", "NOT", "NULL", "CAST", "WHEN",
            "THEN", "ELSE", "END", "AND", "OR", "VALUES", "WITH", "RECURSIVE", "ALL" };
        static const std::regex leftRe(R"re(LEFT\s+(OUTER\s+)?JOIN\s*$)re", std::regex::icase);
        for (std::sregex_iterator it(sql.begin(), sql.end(), aliasRe), end; it != end; ++it) {
            std::string alias = (*it)[4].str();
            std::string upper = alias;
            std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
            std::string target = (*it)[2].str();
            std::string source = target;
            std::transform(source.begin(), source.end(), source.begin(), ::toupper);
            if (notAliases.count(upper) || sqlWords.count(source))
                continue;
            if (target.size() >= 2 && target.front() == '"')
                target = target.substr(1, target.size() - 2);
            if (target != alias)
                aliases_.emplace(alias, target);
            const std::string before = sql.substr(0, static_cast<size_t>(it->position(0)) + (*it)[1].length());
            if (std::regex_search(before.size() > 32 ? before.substr(before.size() - 32) : before, leftRe))
                outer_.insert(alias);
        }
    }

    struct Table {
        std::string owner;
        std::string name;
        double rows = 1;
    };
    struct Index {
        std::string owner;
        std::string name;
        bool unique = false;
        size_t columns = 0;
    };

    std::optional<Op> level(const std::vector<int>& items, const BlockShape& shape)
    {
        std::vector<Op> sources;
        std::vector<Op> subqueries;
        bool sortOrder = false, sortGroup = false, sortDistinct = false;
        // A level whose one row source is a translation's own wrapping (names ending in '_', SQLite's
        // "(subquery-n)") is that wrapped query's level.
        std::vector<int> accesses;
        for (int id : items) {
            const std::string& d = nodes_[id].detail;
            if (startsWith(d, "SCAN ") || startsWith(d, "SEARCH "))
                accesses.push_back(id);
        }
        if (accesses.size() == 1) {
            std::string name = sourceName(nodes_[accesses[0]].detail);
            auto def = definition(name);
            if (def && transparent(name) && !recursive(*def) && items.size() <= 2)
                return level(nodes_[*def].children, shape);
        }
        for (int id : items) {
            const EqpNode& n = nodes_[id];
            const std::string& d = n.detail;
            if (startsWith(d, "SCAN ") || startsWith(d, "SEARCH ")) {
                if (auto a = access(d)) {
                    a->alias = sourceName(d);
                    sources.push_back(std::move(*a));
                }
            } else if (d == "COMPOUND QUERY") {
                sources.push_back(compound(n));
            } else if (startsWith(d, "MULTI-INDEX OR")) {
                std::vector<Op> parts;
                for (int c : n.children)
                    for (int cc : nodes_[c].children)
                        if (auto a = access(nodes_[cc].detail))
                            parts.push_back(std::move(*a));
                sources.push_back(over("CONCATENATION", {}, std::move(parts)));
            } else if (d.find("SUBQUERY") != std::string::npos && !startsWith(d, "LEFT-MOST")) {
                if (auto sub = level(n.children, {}))
                    subqueries.push_back(std::move(*sub));
            } else if (startsWith(d, "USING INDEX ") && d.find("FOR IN-OPERATOR") != std::string::npos) {
                Index ix = index(d.substr(12, d.find(' ', 12) - 12));
                subqueries.push_back(indexOp("INDEX", "FAST FULL SCAN", ix, 1));
            } else if (startsWith(d, "USE TEMP B-TREE FOR ")) {
                const std::string what = d.substr(20);
                if (what.find("ORDER BY") != std::string::npos)
                    sortOrder = true;
                else if (what == "GROUP BY")
                    sortGroup = true;
                else if (what == "DISTINCT")
                    sortDistinct = true;
            }
        }
        std::optional<Op> plan;
        for (Op& s : sources) {
            if (!plan) {
                plan = std::move(s);
                continue;
            }
            const bool outerJoin = outer_.count(s.alias) != 0;
            Op join = op("NESTED LOOPS", outerJoin ? "OUTER" : "", { std::move(*plan), std::move(s) });
            const Op& outer = join.children[0];
            const Op& inner = join.children[1];
            join.card = std::max(1.0, cardOf(outer) * cardOf(inner));
            join.cost = costOf(outer) + std::max(1.0, cardOf(outer)) * std::max(1.0, costOf(inner));
            plan = std::move(join);
        }
        if (!subqueries.empty()) {
            std::vector<Op> children;
            if (plan)
                children.push_back(std::move(*plan));
            for (Op& s : subqueries)
                children.push_back(std::move(s));
            plan = over("FILTER", {}, std::move(children));
        }
        if (!plan)
            return std::nullopt;
        const sql::QueryBlock* b = shape.block;
        auto wrap = [&](std::string operation, std::string options, bool singleRow = false) {
            plan = over(std::move(operation), std::move(options), { std::move(*plan) }, singleRow);
        };
        // A sort at the level of a query without ORDER BY belongs to a query in its FROM that SQLite merged into
        // it: it comes before what the outer block does (ROWNUM counts the sorted rows).
        if (sortOrder && b && shape.query && shape.query->orderBy.empty()) {
            sortOrder = false;
            if (!b->connectBy)
                wrap("SORT", "ORDER BY");
        }
        // A query in FROM that Oracle cannot merge into its outer block (sorted, grouped, counted) stays a VIEW.
        if (b && b->from.size() == 1 && plan->operation != "VIEW") {
            if (const auto* view = b->from[0]->as<sql::InlineView>(); view && !mergeable(*view->query))
                wrap("VIEW", {});
        }
        if (b && mentionsRownum(b->where.get()))
            wrap("COUNT", "STOPKEY");
        else if (b && std::any_of(b->items.begin(), b->items.end(), [](const sql::SelectItem& i) {
                     return mentionsRownum(i.expr.get());
                 }))
            wrap("COUNT", {});
        if (sortGroup)
            wrap("SORT", "GROUP BY");
        else if (b && b->grouped())
            wrap("SORT", "GROUP BY NOSORT");
        else if (b && hasAggregate(*b))
            wrap("SORT", "AGGREGATE", true);
        if (b && b->having)
            wrap("FILTER", {});
        if (sortDistinct)
            wrap("SORT", "UNIQUE");
        else if (b && b->distinct)
            wrap("SORT", "UNIQUE NOSORT");
        if (sortOrder)
            wrap("SORT", "ORDER BY");
        if (shape.query && shape.query->forUpdate)
            wrap("FOR UPDATE", {});
        return plan;
    }

    Op compound(const EqpNode& n)
    {
        std::optional<Op> plan;
        for (int c : n.children) {
            const std::string& d = nodes_[c].detail;
            std::optional<Op> member = level(nodes_[c].children, {});
            if (!member)
                continue;
            if (!plan) {
                plan = std::move(member);
            } else if (startsWith(d, "UNION ALL")) {
                if (plan->operation == "UNION-ALL") {
                    plan->card = cardOf(*plan) + cardOf(*member);
                    plan->cost = costOf(*plan) + costOf(*member);
                    plan->children.push_back(std::move(*member));
                } else {
                    Op u = over("UNION-ALL", {}, { std::move(*plan), std::move(*member) });
                    u.card = cardOf(u.children[0]) + cardOf(u.children[1]);
                    plan = std::move(u);
                }
            } else if (startsWith(d, "UNION")) {
                Op u = over("UNION-ALL", {}, { std::move(*plan), std::move(*member) });
                u.card = cardOf(u.children[0]) + cardOf(u.children[1]);
                plan = over("SORT", "UNIQUE", { std::move(u) });
            } else {
                const bool intersect = startsWith(d, "INTERSECT");
                Op left = over("SORT", "UNIQUE", { std::move(*plan) });
                Op right = over("SORT", "UNIQUE", { std::move(*member) });
                plan = over(intersect ? "INTERSECTION" : "MINUS", {}, { std::move(left), std::move(right) });
            }
        }
        return plan ? std::move(*plan) : over("VIEW", {}, {});
    }

    // "SCAN name ..." or "SEARCH name ..." as the operations reading that row source.
    std::optional<Op> access(const std::string& detail)
    {
        if (detail == "SCAN CONSTANT ROW") {
            Op o = op("FAST DUAL");
            o.cost = 2;
            o.card = 1;
            return o;
        }
        const bool search = startsWith(detail, "SEARCH ");
        const std::string name = sourceName(detail);
        const std::string rest = detail.substr(detail.find(name) + name.size());
        if (startsWith(resolved(name), "ORA_LINK$")) {
            // A table behind a database link: its rows come from the other database.
            Op o = op("REMOTE");
            o.cost = 1;
            o.card = 100;
            o.alias = name;
            return o;
        }
        if (startsWith(rest, " VIRTUAL TABLE")) {
            // The engine's live state (sessions, parameters ...) read as Oracle reads its fixed tables.
            Op o = op("FIXED TABLE", "FULL");
            o.owner = "SYS";
            o.name = resolved(name);
            o.type = "TABLE (FIXED)";
            o.cost = 1;
            o.card = 100;
            o.alias = name;
            return o;
        }
        if (auto def = definition(name)) {
            if (name == recursionName_)
                return op("CONNECT BY PUMP");
            if (recursive(*def))
                return hierarchy(name, *def);
            auto inner = level(nodes_[*def].children, {});
            // DUAL is read as Oracle reads it, without a view around it.
            if (!inner || transparent(name) || inner->operation == "FAST DUAL")
                return inner;
            return over("VIEW", {}, { std::move(*inner) });
        }
        auto table = tableOf(name);
        if (!table)
            return std::nullopt;
        auto tableOp = [&](const char* options) {
            Op o = op("TABLE ACCESS", options);
            o.owner = table->owner;
            o.name = table->name;
            o.type = "TABLE";
            return o;
        };
        const bool covering = startsWith(rest, " USING COVERING INDEX ");
        if (startsWith(rest, " USING INDEX ") || covering) {
            const size_t at = rest.find("INDEX ") + 6;
            const size_t end = rest.find(' ', at);
            Index ix = index(rest.substr(at, end == std::string::npos ? std::string::npos : end - at));
            Op indexScan;
            if (!search) {
                indexScan = indexOp("INDEX", covering ? "FAST FULL SCAN" : "FULL SCAN", ix, table->rows);
            } else {
                // The constraint SQLite names, e.g. "(C1=? AND C2>?)": a unique index fully matched by equality
                // finds one row.
                size_t equal = 0, terms = 0;
                const size_t open = rest.find('(');
                if (open != std::string::npos) {
                    const std::string cons = rest.substr(open);
                    static const std::regex termRe(R"(([^ ()]+)(=|>=|<=|>|<)\?)");
                    for (std::sregex_iterator it(cons.begin(), cons.end(), termRe), e; it != e; ++it) {
                        ++terms;
                        if ((*it)[2].str() == "=")
                            ++equal;
                    }
                }
                const bool unique = ix.unique && equal == terms && equal >= ix.columns && ix.columns > 0;
                indexScan = unique ? indexOp("INDEX", "UNIQUE SCAN", ix, 1)
                                   : indexOp("INDEX", "RANGE SCAN", ix, std::max(1.0, table->rows / 10));
            }
            if (covering)
                return indexScan;
            Op t = tableOp("BY INDEX ROWID");
            t.card = cardOf(indexScan);
            t.cost = costOf(indexScan) + cardOf(indexScan);
            t.children.push_back(std::move(indexScan));
            return t;
        }
        if (startsWith(rest, " USING INTEGER PRIMARY KEY")) {
            const bool one = rest.find("(rowid=?)") != std::string::npos;
            Op t = tableOp(one ? "BY USER ROWID" : "BY ROWID RANGE");
            t.card = one ? 1 : std::max(1.0, table->rows / 10);
            t.cost = one ? 1 : 1 + *t.card / 100;
            return t;
        }
        // A plain scan, or a search through an index SQLite builds for the statement from a scan.
        Op t = tableOp("FULL");
        t.card = table->rows;
        t.cost = 2 + table->rows / 100;
        return t;
    }

    // A recursive CTE: its first rows (the START WITH rows) and the step joining the rows found so far.
    Op hierarchy(const std::string& name, int def)
    {
        const std::string saved = recursionName_;
        recursionName_ = name;
        std::vector<Op> parts;
        for (int c : nodes_[def].children) {
            const std::string& d = nodes_[c].detail;
            if (d == "SETUP" || d == "RECURSIVE STEP")
                if (auto part = level(nodes_[c].children, {}))
                    parts.push_back(std::move(*part));
        }
        recursionName_ = saved;
        return over("CONNECT BY", "WITH FILTERING", std::move(parts));
    }

    Op indexOp(const char* operation, const char* options, const Index& ix, double rows)
    {
        Op o = op(operation, options);
        o.owner = ix.owner;
        o.name = ix.name;
        o.type = ix.unique ? "INDEX (UNIQUE)" : "INDEX";
        o.card = rows;
        o.cost = std::string_view(options) == "UNIQUE SCAN" ? 1 : 1 + rows / 200;
        return o;
    }

    static std::string sourceName(const std::string& detail)
    {
        const size_t start = detail.find(' ') + 1;
        if (detail.compare(start, 1, "(") == 0) {
            const size_t close = detail.find(')', start);
            return detail.substr(start, close == std::string::npos ? std::string::npos : close - start + 1);
        }
        const size_t end = detail.find(' ', start);
        return detail.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }

    // The engine's own wrappers and SQLite's: no VIEW of their own in the plan.
    static bool transparent(const std::string& name)
    {
        return startsWith(name, "(") || (!name.empty() && name.back() == '_');
    }

    bool recursive(int def)
    {
        const auto& ch = nodes_[def].children;
        return std::any_of(ch.begin(), ch.end(), [&](int c) { return nodes_[c].detail == "RECURSIVE STEP"; });
    }

    std::optional<int> definition(std::string name)
    {
        for (int hop = 0; hop < 8; ++hop) {
            if (auto d = defs_.find(name); d != defs_.end())
                return d->second;
            auto a = aliases_.find(name);
            if (a == aliases_.end() || a->second == name)
                return std::nullopt;
            name = a->second;
        }
        return std::nullopt;
    }

    // The name an alias stands for, through aliases of aliases.
    std::string resolved(std::string name) const
    {
        for (int hop = 0; hop < 8; ++hop) {
            auto a = aliases_.find(name);
            if (a == aliases_.end() || a->second == name)
                break;
            name = a->second;
        }
        return name;
    }

    std::optional<Table> tableOf(std::string name)
    {
        name = resolved(name);
        if (auto dot = name.find('.'); dot != std::string::npos)
            name = name.substr(dot + 1); // main. / temp.
        if (auto t = tables_.find(name); t != tables_.end())
            return t->second;
        Table t;
        const auto id = objectNumber(name, 'T');
        if (id) {
            auto o = cat_.objectById(*id);
            if (!o)
                return std::nullopt;
            t.owner = o->owner;
            t.name = o->name;
        } else {
            // The catalog's own tables, read as SYS's.
            if (!storage::queryInt(db_,
                    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = " + storage::quoteText(name)))
                return std::nullopt;
            t.owner = "SYS";
            t.name = name;
        }
        // The highest row number bounds the rows and costs one index step to read.
        try {
            storage::Stmt q(db_,
                "SELECT max(" + storage::quoteIdent(id ? catalog::kRowNumberColumn : "rowid") + ") FROM "
                    + storage::quoteIdent(name));
            if (q.step() && !q.isNull(0))
                t.rows = std::max<double>(1, static_cast<double>(q.int64(0)));
        } catch (const Error&) {
        }
        tables_[name] = t;
        return t;
    }

    Index index(const std::string& name)
    {
        Index ix;
        ix.owner = "SYS";
        ix.name = name;
        if (auto id = objectNumber(name, 'I')) {
            if (auto o = cat_.objectById(*id)) {
                ix.owner = o->owner;
                ix.name = o->name;
                ix.unique = cat_.indexIsUnique(*id);
                ix.columns = cat_.indexColumns(*id).size();
            }
        }
        return ix;
    }

    // T1234 and I1234 are the physical names of object 1234.
    static std::optional<int64_t> objectNumber(const std::string& name, char prefix)
    {
        if (name.size() < 2 || name[0] != prefix)
            return std::nullopt;
        for (size_t i = 1; i < name.size(); ++i)
            if (name[i] < '0' || name[i] > '9')
                return std::nullopt;
        return std::stoll(name.substr(1));
    }

    sqlite3* db_;
    catalog::Catalog cat_;
    std::map<int, EqpNode> nodes_;
    std::vector<int> roots_;
    std::map<std::string, int> defs_;
    std::map<std::string, std::string> aliases_;
    std::set<std::string> outer_; // aliases on the outer-joined side
    std::map<std::string, Table> tables_;
    std::string recursionName_;
};

void number(const Op& o, std::optional<int> parent, int position, int depth, std::vector<PlanRow>& out)
{
    PlanRow r;
    r.id = static_cast<int>(out.size());
    r.parentId = parent;
    r.depth = depth;
    r.operation = o.operation;
    r.options = o.options;
    r.objectOwner = o.owner;
    r.objectName = o.name;
    r.objectType = o.type;
    auto whole = [](double v) { return static_cast<int64_t>(std::min(1e15, std::max(1.0, v + 0.5))); };
    if (o.cost)
        r.cost = whole(*o.cost);
    if (o.card)
        r.cardinality = whole(*o.card);
    r.position = parent ? position : static_cast<int>(r.cost.value_or(0));
    out.push_back(r);
    int childPosition = 0;
    for (const Op& c : o.children)
        number(c, r.id, ++childPosition, depth + 1, out);
}

} // namespace

std::vector<PlanRow> explainStatement(SessionState& s, const sql::Statement& statement, std::string_view text)
{
    // DML sent whole to another database through a link has no local plan.
    if (link::isRemoteDml(statement))
        throw oraError(3001, "unimplemented feature: EXPLAIN PLAN of DML through a database link", statement.offset);
    // Bound as the executor binds it: names through links, the dictionary and what the user may see.
    std::shared_ptr<CachedStatement> entry = translateEmbedded(s, text, statement, nullptr);
    const bind::BoundStatementPtr& b = entry->bound;
    // Explaining needs the rights to run the statement, as Oracle asks.
    priv::checkAccess(s, *b);
    std::lock_guard conn(s.connMutex);
    PlanBuilder builder(s.conn, b->sql);
    BlockShape shape;
    const sql::Query* query = nullptr;
    if (const auto* sel = statement.as<sql::SelectStmt>())
        query = sel->query.get();
    else if (const auto* ins = statement.as<sql::InsertStmt>())
        query = ins->query.get();
    if (query) {
        shape.query = query;
        shape.block = query->body->as<sql::QueryBlock>();
    }
    std::optional<Op> body = builder.top(shape);

    Op root;
    auto target = [&](std::string operation, std::string options) {
        Op t = op(std::move(operation), std::move(options));
        if (b->dmlTarget) {
            t.owner = b->dmlTarget->table.owner;
            t.name = b->dmlTarget->table.name;
        }
        if (body)
            t.children.push_back(std::move(*body));
        t.card = body ? cardOf(t.children[0]) : 1.0;
        t.cost = body ? costOf(t.children[0]) : 1.0;
        return t;
    };
    switch (statement.kind) {
    case sql::StatementKind::Insert:
        root = over("INSERT STATEMENT", {}, { target("LOAD TABLE", "CONVENTIONAL") });
        break;
    case sql::StatementKind::Update:
        root = over("UPDATE STATEMENT", {}, { target("UPDATE", {}) });
        break;
    case sql::StatementKind::Delete:
        root = over("DELETE STATEMENT", {}, { target("DELETE", {}) });
        break;
    default:
        root = body ? over("SELECT STATEMENT", {}, { std::move(*body) }) : over("SELECT STATEMENT", {}, {});
        break;
    }
    root.card = root.children.empty() ? 1.0 : cardOf(root.children[0]);
    std::vector<PlanRow> rows;
    number(root, std::nullopt, 0, 0, rows);
    return rows;
}

} // namespace engine::exec

// WITH: query names bound once and emitted as SQLite's common table expressions, and recursive WITH with its
// column list, UNION ALL of initialization and recursive branches, SEARCH and CYCLE.
//
// A recursive element is a SQLite recursive CTE with two more columns: the row's recursion word (its number and
// whether it closes a cycle, from ORA_RWITH_STEP, which also raises ORA-32044 without a CYCLE clause) and its
// level. SEARCH orders SQLite's queue by level and the search columns, which yields the rows depth or breadth
// first; the sequence column numbers them in that order.
#include "engine/bind/binder_impl.h"
#include "engine/bind/binder_walk.h"

#include <atomic>

namespace engine::bind::detail {

using types::ExprType;

namespace {

// Whether a FROM clause of the query (its blocks, inline views, joins, nested queries) names `name` unqualified.
bool namesInFrom(const sql::Query& q, const std::string& name);

bool namesInTable(const sql::TableRef& t, const std::string& name)
{
    switch (t.kind) {
    case sql::TableRefKind::Table: {
        const auto& n = t.as<sql::TableName>()->name;
        return !n.schema && !n.dblink && n.name.name == name;
    }
    case sql::TableRefKind::InlineView:
        return namesInFrom(*t.as<sql::InlineView>()->query, name);
    case sql::TableRefKind::Join:
        return namesInTable(*t.as<sql::JoinRef>()->left, name) || namesInTable(*t.as<sql::JoinRef>()->right, name);
    case sql::TableRefKind::Pivot:
        return namesInTable(*t.as<sql::PivotRef>()->source, name);
    case sql::TableRefKind::Unpivot:
        return namesInTable(*t.as<sql::UnpivotRef>()->source, name);
    case sql::TableRefKind::Collection:
        return false;
    }
    return false;
}

bool namesInBody(const sql::QueryBody& b, const std::string& name)
{
    if (const auto* blk = b.as<sql::QueryBlock>()) {
        for (const auto& t : blk->from)
            if (namesInTable(*t, name))
                return true;
        return false;
    }
    if (const auto* n = b.as<sql::NestedQuery>())
        return namesInFrom(*n->query, name);
    const auto& s = *b.as<sql::SetOperation>();
    return namesInBody(*s.left, name) || namesInBody(*s.right, name);
}

bool namesInFrom(const sql::Query& q, const std::string& name)
{
    for (const auto& w : q.with)
        if (w.name.name == name)
            return false; // a WITH of its own hides the outer name
    return namesInBody(*q.body, name);
}

// The branches of a chain of UNION ALL, left to right.
void unionAllBranches(const sql::QueryBody& b, std::vector<const sql::QueryBody*>& out)
{
    if (const auto* s = b.as<sql::SetOperation>(); s && s->op == sql::SetOperation::Op::UnionAll) {
        unionAllBranches(*s->left, out);
        unionAllBranches(*s->right, out);
        return;
    }
    out.push_back(&b);
}

bool hasAggregateOrAnalytic(const sql::QueryBlock& b)
{
    for (const auto& item : b.items)
        if (item.expr && (containsAggregate(*item.expr) || containsAnalytic(*item.expr)))
            return true;
    return false;
}

int indexOf(const std::vector<std::string>& names, const std::string& name)
{
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return static_cast<int>(i);
    return -1;
}

std::string columnList(size_t count, const std::vector<std::string>& extra = {})
{
    std::string s;
    for (size_t i = 0; i < count; ++i)
        s += (i ? ", c" : "c") + std::to_string(i + 1);
    for (const auto& e : extra)
        s += ", " + e;
    return s;
}

// Tells apart the recursions of the statements a connection may run at once.
std::atomic<uint64_t> recursionTokens { 0 };

} // namespace

std::optional<Source> BinderImpl::cteSource(
    const sql::ObjectName& name, const std::optional<sql::Identifier>& alias, int offset)
{
    if (name.schema || name.dblink)
        return std::nullopt;
    for (auto it = ctes.rbegin(); it != ctes.rend(); ++it) {
        if (it->name != name.name.name)
            continue;
        if (it->pending)
            fail(32031, "illegal reference of a query name in WITH clause", offset);
        Source src;
        src.name = alias ? alias->name : it->name;
        src.sqlAlias = newAlias();
        src.fromSql = emit::quoteIdent(it->sqlName) + " AS " + src.sqlAlias;
        src.offset = offset;
        if (it->recursive) {
            if (!recursiveBranch || currentBlock != recursiveBranch->block || recursiveBranch->references > 0)
                fail(32042, "recursive WITH clause must reference itself directly in one of the UNION ALL branches",
                    offset);
            ++recursiveBranch->references;
            recursiveBranch->alias = src.sqlAlias;
        }
        for (size_t i = 0; i < it->columns.size(); ++i) {
            SrcColumn c;
            c.name = it->columns[i];
            c.sql = src.sqlAlias + ".c" + std::to_string(i + 1);
            c.type = it->types[i];
            src.columns.push_back(c);
        }
        return src;
    }
    return std::nullopt;
}

std::string BinderImpl::withClause(const sql::Query& q)
{
    const size_t first = ctes.size();
    for (const auto& item : q.with) {
        CteInfo c;
        c.name = item.name.name;
        c.pending = true;
        ctes.push_back(c);
    }
    std::vector<std::string> parts;
    bool recursive = false;
    for (size_t i = 0; i < q.with.size(); ++i) {
        const sql::WithItem& item = q.with[i];
        for (size_t k = first; k < first + i; ++k)
            if (ctes[k].name == item.name.name)
                fail(32031, "illegal reference of a query name in WITH clause", item.name.offset);
        CteInfo& cte = ctes[first + i];
        cte.sqlName = "q$" + std::to_string(++cteCounter);
        if (namesInFrom(*item.query, item.name.name)) {
            recursive = true;
            parts.push_back(recursiveElement(item, ctes[first + i]));
            continue;
        }
        if (item.search || item.cycle)
            fail(32480, "SEARCH and CYCLE clauses can only be specified for recursive WITH clause elements",
                item.search ? item.search->offset : item.cycle->offset);
        BlockResult r = query(*item.query, nullptr, false, nullptr);
        CteInfo& done = ctes[first + i]; // query() may have grown and shrunk ctes again
        if (!item.columns.empty() && item.columns.size() != r.types.size())
            fail(32038, "number of WITH clause column names does not match number of elements in select list",
                item.columns.front().offset);
        for (size_t k = 0; k < r.types.size(); ++k)
            done.columns.push_back(item.columns.empty() ? r.names[k] : item.columns[k].name);
        done.types = r.types;
        done.pending = false;
        parts.push_back(emit::quoteIdent(done.sqlName) + "(" + columnList(r.types.size()) + ") AS (" + r.sql + ")");
    }
    std::string s = recursive ? "WITH RECURSIVE " : "WITH ";
    for (size_t i = 0; i < parts.size(); ++i)
        s += (i ? ", " : "") + parts[i];
    return s + " ";
}

std::string BinderImpl::recursiveElement(const sql::WithItem& item, CteInfo& cteRef)
{
    const size_t cteIndex = static_cast<size_t>(&cteRef - ctes.data());
    auto cte = [&]() -> CteInfo& { return ctes[cteIndex]; };
    if (item.columns.empty())
        fail(32039, "recursive WITH clause must have column alias list", item.name.offset);
    const sql::Query& q = *item.query;
    if (!q.orderBy.empty() || q.rowLimit || !q.with.empty())
        fail(32486, "unsupported operation in recursive branch of recursive WITH clause", q.offset);
    const auto* top = q.body->as<sql::SetOperation>();
    if (!top || top->op != sql::SetOperation::Op::UnionAll)
        fail(32040, "recursive WITH clause must use a UNION ALL operation", q.body->offset);
    std::vector<const sql::QueryBody*> branches;
    unionAllBranches(*q.body, branches);
    std::vector<const sql::QueryBody*> anchors, members;
    for (const auto* b : branches) {
        if (namesInBody(*b, item.name.name)) {
            members.push_back(b);
        } else {
            if (!members.empty())
                fail(32043, "recursive WITH clause needs an initialization branch", b->offset);
            anchors.push_back(b);
        }
    }
    if (anchors.empty())
        fail(32043, "recursive WITH clause needs an initialization branch", q.body->offset);

    // The initialization branches decide the columns' types.
    std::vector<std::string> anchorSqls;
    std::vector<ExprType> types;
    for (const auto* a : anchors) {
        BlockResult r = body(*a, nullptr);
        if (r.types.size() != item.columns.size())
            fail(32038, "number of WITH clause column names does not match number of elements in select list",
                item.columns.front().offset);
        if (types.empty()) {
            types = r.types;
        } else {
            for (size_t k = 0; k < types.size(); ++k) {
                auto t = types::setOperationColumn(types[k], r.types[k]);
                if (!t)
                    fail(1790, "expression must have same datatype as corresponding expression", a->offset);
                types[k] = *t;
            }
        }
        anchorSqls.push_back(r.sql);
    }
    std::vector<std::string> names;
    for (const auto& c : item.columns) {
        if (indexOf(names, c.name) >= 0)
            fail(957, "duplicate column name", c.offset);
        names.push_back(c.name);
    }

    // SEARCH and CYCLE name columns of the list and two columns of their own.
    const sql::SearchClause* search = item.search ? &*item.search : nullptr;
    const sql::CycleClause* cycle = item.cycle ? &*item.cycle : nullptr;
    std::vector<int> keyColumns;
    if (cycle) {
        for (const auto& c : cycle->columns) {
            const int k = indexOf(names, c.name);
            if (k < 0)
                fail(32485,
                    "element in cycle column list of CYCLE clause must appear in the column alias list of the WITH "
                    "clause element",
                    c.offset);
            keyColumns.push_back(k);
        }
        if (indexOf(names, cycle->setColumn.name) >= 0)
            fail(32048, "cycle mark column name for CYCLE clause must not be part of the column alias list",
                cycle->setColumn.offset);
        for (const sql::Expr* v : { cycle->cycleValue.get(), cycle->noCycleValue.get() }) {
            const auto* l = v->as<sql::LiteralExpr>();
            if (!l || l->type != sql::LiteralExpr::Type::Text || l->text.size() != 1)
                fail(32047, "cycle mark value and non-cycle mark value must be one byte character string values",
                    v->offset);
        }
        if (cycle->cycleValue->as<sql::LiteralExpr>()->text == cycle->noCycleValue->as<sql::LiteralExpr>()->text)
            fail(32481, "cycle value for CYCLE clause must be different from the non-cycle value",
                cycle->noCycleValue->offset);
    } else {
        for (size_t k = 0; k < names.size(); ++k)
            keyColumns.push_back(static_cast<int>(k));
    }
    std::string searchOrder;
    if (search) {
        if (indexOf(names, search->setColumn.name) >= 0)
            fail(32046, "sequence column name for SEARCH clause must not be part of the column alias list",
                search->setColumn.offset);
        if (cycle && cycle->setColumn.name == search->setColumn.name)
            fail(32482, "sequence column for SEARCH clause must be different from the cycle mark column for CYCLE "
                        "clause",
                cycle->setColumn.offset);
        searchOrder = search->depthFirst ? "lvl_ DESC" : "lvl_";
        for (const auto& o : search->by) {
            const auto* c = o.expr->as<sql::ColumnRefExpr>();
            const int k = c && c->parts.size() == 1 ? indexOf(names, c->column().name) : -1;
            if (k < 0)
                fail(904, (c ? qualifiedName(c->parts) : std::string("\"?\"")) + ": invalid identifier", o.expr->offset);
            refuseLob(types[static_cast<size_t>(k)], o.expr->offset);
            searchOrder += ", " + emit::orderTerm("c" + std::to_string(k + 1), o.descending, o.nullsFirst);
        }
    }

    const std::string raw = cte().sqlName + "r";
    cte().pending = false;
    cte().recursive = true;
    cte().columns = names;
    cte().types = types;
    cte().sqlName = raw;

    // Each initialization row starts a recursion of its own, under a negative number of its own.
    std::string sql = emit::quoteIdent(raw) + "(" + columnList(names.size(), { "rw_", "lvl_" }) + ") AS (";
    const std::string anchorCount = std::to_string(anchors.size());
    for (size_t i = 0; i < anchorSqls.size(); ++i)
        sql += (i ? " UNION ALL " : "") + ("SELECT a_.*, -2 * (row_number() OVER () * " + anchorCount + " + "
                                              + std::to_string(i) + ") AS rw_, 1 AS lvl_ FROM (" + anchorSqls[i]
                                              + ") AS a_");

    const std::string token = "'" + std::to_string(++recursionTokens) + "'";
    const bool mark = cycle != nullptr;
    for (const auto* m : members) {
        const auto* blk = m->as<sql::QueryBlock>();
        if (!blk || blk->distinct || blk->grouped() || blk->having || blk->connectBy || hasAggregateOrAnalytic(*blk))
            fail(32486, "unsupported operation in recursive branch of recursive WITH clause", m->offset);
        RecursiveBranch branch;
        branch.block = blk;
        branch.cteName = item.name.name;
        branch.stopAtCycle = mark;
        branch.extraItems = [&](const std::string& alias, const std::vector<std::string>& items) {
            std::string step = "ORA_RWITH_STEP(" + token + ", " + (mark ? "1" : "0") + ", " + alias + ".rw_";
            for (int k : keyColumns)
                step += ", " + alias + ".c" + std::to_string(k + 1);
            for (int k : keyColumns)
                step += ", " + items[static_cast<size_t>(k)];
            return step + "), " + alias + ".lvl_ + 1";
        };
        RecursiveBranch* saved = recursiveBranch;
        recursiveBranch = &branch;
        BlockResult r;
        try {
            r = block(*blk, nullptr, nullptr, nullptr, nullptr);
        } catch (...) {
            recursiveBranch = saved;
            throw;
        }
        recursiveBranch = saved;
        if (branch.references != 1)
            fail(32042, "recursive WITH clause must reference itself directly in one of the UNION ALL branches",
                m->offset);
        if (!r.simple)
            fail(32486, "unsupported operation in recursive branch of recursive WITH clause", m->offset);
        if (r.types.size() != names.size())
            fail(32038, "number of WITH clause column names does not match number of elements in select list",
                m->offset);
        for (size_t k = 0; k < names.size(); ++k)
            if (!types::setOperationColumn(types[k], r.types[k]))
                fail(1790, "expression must have same datatype as corresponding expression", m->offset);
        sql += " UNION ALL " + r.sql;
    }
    if (!searchOrder.empty())
        sql += " ORDER BY " + searchOrder;
    sql += ")";
    cte().recursive = false;
    if (!search && !cycle)
        return sql;

    // The element as the query sees it: its columns, then the sequence and the cycle mark.
    const std::string shown = raw.substr(0, raw.size() - 1);
    std::vector<std::string> extra;
    std::string select = columnList(names.size());
    if (search) {
        select += ", row_number() OVER ()";
        cte().columns.push_back(search->setColumn.name);
        ExprType t = ExprType::number();
        t.nullable = false;
        cte().types.push_back(t);
    }
    if (cycle) {
        select += ", (CASE WHEN rw_ & 1 = 1 THEN "
            + emit::quoteText(cycle->cycleValue->as<sql::LiteralExpr>()->text) + " ELSE "
            + emit::quoteText(cycle->noCycleValue->as<sql::LiteralExpr>()->text) + " END)";
        cte().columns.push_back(cycle->setColumn.name);
        ExprType t = ExprType::varchar2(1);
        t.nullable = false;
        cte().types.push_back(t);
    }
    cte().sqlName = shown;
    return sql + ", " + emit::quoteIdent(shown) + "(" + columnList(cte().columns.size()) + ") AS (SELECT " + select
        + " FROM " + emit::quoteIdent(raw) + ")";
}

} // namespace engine::bind::detail

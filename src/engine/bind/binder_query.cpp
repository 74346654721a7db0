// Queries: FROM sources, joins and (+), WHERE with ROWNUM, CONNECT BY, GROUP BY, ORDER BY, set operations.
#include "engine/bind/binder_impl.h"
#include "engine/emit/number_order.h"
#include "engine/bind/binder_walk.h"
#include "engine/sql/parser.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace engine::bind::detail {

using types::ExprType;


std::string BinderImpl::heading(const sql::SelectItem& item) const
{
    if (item.offset < 0 || item.endOffset <= item.offset || static_cast<size_t>(item.endOffset) > text.size())
        return "EXPR";
    const std::string_view s
        = text.substr(static_cast<size_t>(item.offset), static_cast<size_t>(item.endOffset - item.offset));
    // Oracle's heading of an expression is its text, upper-cased, without blanks outside quotes.
    std::string r;
    char quote = 0;
    for (char c : s) {
        if (quote) {
            r += quote == '\'' ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            r += c;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        r += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return r;
}

Source BinderImpl::viewSource(const ObjectRef& ref, const std::optional<sql::Identifier>& alias, int offset)
{
    auto view = catalog.view(ref);
    if (!view)
        fail(942, "table or view does not exist", offset);
    if (expandingViews.count(ref.objectId))
        fail(1731, "circular view definition encountered", offset);
    auto parsed = sql::parse(view->queryText);
    const sql::SelectStmt* select = parsed.ok() ? parsed.statement->as<sql::SelectStmt>() : nullptr;
    if (!select)
        fail(4063, "view \"" + ref.owner + "\"." + "\"" + ref.name + "\" has errors", offset);
    // A view's names resolve in its owner's schema, whoever queries it.
    BinderImpl inner(view->queryText, catalog, context);
    inner.context.currentSchema = ref.owner;
    inner.aliasCounter = aliasCounter + 1000;
    inner.expandingViews = expandingViews;
    inner.expandingViews.insert(ref.objectId);
    // Oracle uses a view's objects with the view owner's rights, whoever queries it.
    inner.definer = ref.owner;
    inner.definerView = "\"" + ref.owner + "\".\"" + ref.name + "\"";
    BlockResult sub;
    try {
        sub = inner.query(*select->query, nullptr, false, nullptr);
    } catch (const Error& e) {
        if (e.code() == 1731) // the cycle is reported as such, not as an error of the innermost view
            fail(1731, "circular view definition encountered", offset);
        fail(4063, "view \"" + ref.owner + "\".\"" + ref.name + "\" has errors", offset);
    }
    aliasCounter = inner.aliasCounter;
    for (auto id : inner.dependsOn)
        dependsOn.insert(id);
    accesses.insert(accesses.end(), inner.accesses.begin(), inner.accesses.end());
    Source src;
    src.name = alias ? alias->name : ref.name;
    src.owner = alias ? "" : ref.owner;
    src.sqlAlias = newAlias();
    src.fromSql = "(" + sub.sql + ") AS " + src.sqlAlias;
    src.offset = offset;
    // A view has the columns it was created with: columns added to its tables later (a "*" in its query) are not
    // its columns, and a view that lost one of its columns has errors until it is created again.
    size_t columnCount = sub.types.size();
    if (!view->columnNames.empty()) {
        if (columnCount < view->columnNames.size())
            fail(4063, "view \"" + ref.owner + "\".\"" + ref.name + "\" has errors", offset);
        columnCount = view->columnNames.size();
    }
    for (size_t i = 0; i < columnCount; ++i) {
        SrcColumn c;
        c.name = i < view->columnNames.size() ? view->columnNames[i] : sub.names[i];
        c.sql = src.sqlAlias + ".c" + std::to_string(i + 1);
        c.type = sub.types[i];
        src.columns.push_back(c);
    }
    return src;
}

// name@link: the remote table or view stands as a table of the session's connection whose rows come from the
// remote side. It has no local row numbers, so no ROWID and no row locks here; FOR UPDATE locks its rows on the
// remote side.
Source BinderImpl::remoteSource(const sql::ObjectName& name, const std::optional<sql::Identifier>& alias)
{
    RemoteName remote;
    remote.link = name.dblink->name;
    remote.linkOffset = name.dblink->offset;
    remote.owner = name.schema ? name.schema->name : "";
    remote.name = name.name.name;
    remote.nameOffset = name.name.offset;
    TableInfo table = catalog.remoteTable(remote);
    Source src;
    src.name = alias ? alias->name : name.name.name;
    src.owner = alias ? "" : remote.owner;
    // Named so that emit::numberOrdering knows its columns (emit/number_order.h).
    src.sqlAlias = std::string(emit::kRemoteAliasPrefix) + newAlias();
    src.fromSql = emit::quoteIdent(table.physicalName) + " AS " + src.sqlAlias;
    src.offset = name.offset;
    src.remoteTable = table.physicalName;
    for (const auto& col : table.columns) {
        SrcColumn c;
        c.name = col.name;
        c.sql = src.sqlAlias + "." + emit::quoteIdent(col.physicalName);
        c.type = col.type;
        src.columns.push_back(c);
    }
    return src;
}

Source BinderImpl::tableSource(const sql::ObjectName& name, const std::optional<sql::Identifier>& alias, int offset)
{
    if (name.dblink)
        return remoteSource(name, alias);
    if (composed && !name.schema && name.name.name == composed->name)
        return composedSource(alias, offset);
    if (auto cte = cteSource(name, alias, offset))
        return *cte;
    const std::string owner = name.schema ? name.schema->name : "";
    auto ref = catalog.resolve(owner, name.name.name, context.currentSchema);
    if (!ref) {
        if (name.name.name == "DUAL" && (owner.empty() || owner == "SYS")) {
            Source src;
            src.name = alias ? alias->name : "DUAL";
            src.owner = alias ? "" : "SYS";
            src.sqlAlias = newAlias();
            src.fromSql = "(SELECT 'X' AS c1) AS " + src.sqlAlias;
            SrcColumn c;
            c.name = "DUMMY";
            c.sql = src.sqlAlias + ".c1";
            c.type = ExprType::varchar2(1);
            src.columns.push_back(c);
            return src;
        }
        fail(942, "table or view does not exist", offset);
    }
    dependsOn.insert(ref->objectId);
    dependsOn.insert(ref->synonyms.begin(), ref->synonyms.end());
    noteAccess(*ref, AccessKind::Select, offset);
    if (ref->kind == ObjectKind::View)
        return viewSource(*ref, alias, offset);
    if (ref->kind == ObjectKind::Sequence)
        fail(2201, "sequence not allowed here", offset);
    if (ref->kind != ObjectKind::Table)
        fail(942, "table or view does not exist", offset);
    auto table = catalog.table(*ref);
    if (!table)
        fail(942, "table or view does not exist", offset);
    Source src;
    src.name = alias ? alias->name : ref->name;
    src.owner = alias ? "" : ref->owner;
    src.sqlAlias = newAlias();
    src.fromSql = emit::quoteIdent(table->physicalName) + " AS " + src.sqlAlias;
    if (!table->fixed)
        src.rownoSql = src.sqlAlias + "." + emit::quoteIdent(table->rowNumberColumn);
    src.offset = offset;
    for (const auto& col : table->columns) {
        SrcColumn c;
        c.name = col.name;
        c.sql = src.sqlAlias + "." + emit::quoteIdent(col.physicalName);
        c.type = col.type;
        c.hidden = col.hidden;
        src.columns.push_back(c);
    }
    src.table = std::move(*table);
    bindVirtualColumns(src);
    return src;
}

void BinderImpl::addTableRef(const sql::TableRef& t, Scope& scope, std::string& fromSql)
{
    switch (t.kind) {
    case sql::TableRefKind::Table: {
        const auto& tn = *t.as<sql::TableName>();
        scope.sources.push_back(tableSource(tn.name, tn.alias, tn.name.offset >= 0 ? tn.name.offset : t.offset));
        fromSql = scope.sources.back().fromSql;
        return;
    }
    case sql::TableRefKind::InlineView: {
        const auto& iv = *t.as<sql::InlineView>();
        BlockResult sub = query(*iv.query, scope.parent, false, nullptr);
        Source src;
        src.name = iv.alias ? iv.alias->name : "";
        src.sqlAlias = newAlias();
        src.fromSql = "(" + sub.sql + ") AS " + src.sqlAlias;
        src.offset = t.offset;
        for (size_t i = 0; i < sub.types.size(); ++i) {
            SrcColumn c;
            c.name = sub.names[i];
            c.sql = src.sqlAlias + ".c" + std::to_string(i + 1);
            c.type = sub.types[i];
            src.columns.push_back(c);
        }
        scope.sources.push_back(std::move(src));
        fromSql = scope.sources.back().fromSql;
        return;
    }
    case sql::TableRefKind::Collection:
        scope.sources.push_back(collectionSource(*t.as<sql::CollectionRef>(), scope));
        fromSql = scope.sources.back().fromSql;
        return;
    case sql::TableRefKind::Pivot:
    case sql::TableRefKind::Unpivot:
        scope.sources.push_back(t.kind == sql::TableRefKind::Pivot ? pivotSource(*t.as<sql::PivotRef>(), scope)
                                                                   : unpivotSource(*t.as<sql::UnpivotRef>(), scope));
        fromSql = scope.sources.back().fromSql;
        return;
    case sql::TableRefKind::Join: {
        const auto& j = *t.as<sql::JoinRef>();
        std::string left, right;
        const size_t leftStart = scope.sources.size();
        addTableRef(*j.left, scope, left);
        const size_t rightStart = scope.sources.size();
        addTableRef(*j.right, scope, right);
        const size_t rightEnd = scope.sources.size();
        std::string type;
        switch (j.type) {
        case sql::JoinRef::Type::Inner:
            type = " JOIN ";
            break;
        case sql::JoinRef::Type::Left:
            type = " LEFT JOIN ";
            break;
        case sql::JoinRef::Type::Right:
            type = " RIGHT JOIN ";
            break;
        case sql::JoinRef::Type::Full:
            type = " FULL JOIN ";
            break;
        case sql::JoinRef::Type::Cross:
            type = " CROSS JOIN ";
            break;
        }
        std::string on;
        if (j.on) {
            Scope& s = scope;
            const bool saved = s.aggregatesAllowed;
            s.aggregatesAllowed = false;
            on = expr(*j.on, s).sql;
            s.aggregatesAllowed = saved;
        }
        // NATURAL: the columns both sides have, in the order of the left side's, as if named in USING.
        std::vector<sql::Identifier> naturalColumns;
        if (j.natural) {
            for (size_t i = leftStart; i < rightStart; ++i)
                for (const auto& c : scope.sources[i].columns) {
                    if (c.hidden)
                        continue;
                    bool known = false;
                    for (const auto& n : naturalColumns)
                        known = known || n.name == c.name;
                    bool right = false;
                    for (size_t k = rightStart; k < rightEnd && !right; ++k)
                        for (const auto& rc : scope.sources[k].columns)
                            right = right || (!rc.hidden && rc.name == c.name);
                    if (!known && right)
                        naturalColumns.push_back(sql::Identifier { c.name, true, t.offset });
                }
        }
        for (const auto& u : j.natural ? naturalColumns : j.usingColumns) {
            auto find = [&](size_t from, size_t to) -> SrcColumn* {
                for (size_t i = from; i < to; ++i)
                    for (auto& c : scope.sources[i].columns)
                        if (c.name == u.name)
                            return &c;
                return nullptr;
            };
            SrcColumn* l = find(leftStart, rightStart);
            SrcColumn* r = find(rightStart, rightEnd);
            if (!l || !r)
                fail(904, "\"" + u.name + "\": invalid identifier", u.offset);
            l->joinedByUsing = true;
            r->joinedByUsing = true;
            l->joinedNaturally = r->joinedNaturally = j.natural;
            on += (on.empty() ? "" : " AND ") + ("(" + l->sql + " = " + r->sql + ")");
            scope.usingColumns[u.name] = { "COALESCE(" + l->sql + ", " + r->sql + ")", l->type };
            scope.usingOrder.push_back(u.name);
        }
        // SQLite does not accept parentheses around a join in every place; a plain join list reads the same.
        fromSql
            = left + type + right + (on.empty() ? (j.type == sql::JoinRef::Type::Cross ? "" : " ON 1") : " ON " + on);
        return;
    }
    }
}

BlockResult BinderImpl::body(const sql::QueryBody& b, Scope* parent)
{
    if (const auto* blk = b.as<sql::QueryBlock>())
        return block(*blk, parent, nullptr, nullptr, nullptr);
    if (const auto* nested = b.as<sql::NestedQuery>())
        return query(*nested->query, parent, false, nullptr);
    const auto& op = *b.as<sql::SetOperation>();
    BlockResult l = body(*op.left, parent);
    BlockResult r = body(*op.right, parent);
    if (l.types.size() != r.types.size())
        fail(1789, "query block has incorrect number of result columns", op.right->offset);
    BlockResult out;
    out.names = l.names;
    for (size_t i = 0; i < l.types.size(); ++i) {
        auto t = types::setOperationColumn(l.types[i], r.types[i]);
        if (!t)
            fail(1790, "expression must have same datatype as corresponding expression", op.right->offset);
        if (op.op != sql::SetOperation::Op::UnionAll)
            refuseLob(*t, op.right->offset);
        out.types.push_back(*t);
    }
    const char* word = op.op == sql::SetOperation::Op::Union ? " UNION "
        : op.op == sql::SetOperation::Op::UnionAll           ? " UNION ALL "
        : op.op == sql::SetOperation::Op::Intersect          ? " INTERSECT "
                                                             : " EXCEPT ";
    const std::string left = l.simple || op.left->as<sql::SetOperation>() ? l.sql : "SELECT * FROM (" + l.sql + ")";
    const std::string right = r.simple && op.right->as<sql::QueryBlock>() ? r.sql : "SELECT * FROM (" + r.sql + ")";
    out.sql = left + word + right;
    out.simple = true;
    return out;
}

BlockResult BinderImpl::query(const sql::Query& q, Scope* parent, bool topLevel, BoundStatement* out)
{
    (void)topLevel;
    const size_t cteMark = ctes.size();
    const size_t lockMark = out ? out->lockTargets.size() : 0;
    struct CteScope {
        std::vector<CteInfo>& ctes;
        size_t mark;
        ~CteScope() { ctes.resize(mark); }
    } cteScope { ctes, cteMark };
    const std::string with = q.with.empty() ? std::string() : withClause(q);
    BlockResult r = queryBody(q, parent, out);
    if (!with.empty()) {
        r.sql = with + r.sql;
        r.simple = false;
        // The rows FOR UPDATE locks are found by SQL that may name the query names too.
        for (size_t i = lockMark; out && i < out->lockTargets.size(); ++i)
            out->lockTargets[i].rowsSql = with + out->lockTargets[i].rowsSql;
    }
    return r;
}

BlockResult BinderImpl::queryBody(const sql::Query& q, Scope* parent, BoundStatement* out)
{
    if (q.orderSiblings) {
        // The order of siblings within the hierarchy, in place of an order of the rows.
        const auto* blk = q.body->as<sql::QueryBlock>();
        if (!blk || !blk->connectBy)
            fail(30929, "ORDER SIBLINGS BY clause not allowed here", q.orderBy.front().offset);
        return block(*blk, parent, nullptr, q.forUpdate ? &*q.forUpdate : nullptr, out,
            q.rowLimit ? &*q.rowLimit : nullptr, &q.orderBy);
    }
    if (q.rowLimit && q.forUpdate)
        fail(2014, "cannot select FOR UPDATE from view with DISTINCT, GROUP BY, etc.", q.forUpdate->offset);
    const sql::RowLimit* rowLimit = q.rowLimit ? &*q.rowLimit : nullptr;
    if (const auto* blk = q.body->as<sql::QueryBlock>())
        return block(*blk, parent, &q.orderBy, q.forUpdate ? &*q.forUpdate : nullptr, out, rowLimit);
    if (q.forUpdate)
        fail(1786, "FOR UPDATE of this query expression is not allowed", q.forUpdate->offset);
    BlockResult r = body(*q.body, parent);
    std::vector<OrderKey> limitKeys;
    if (q.orderBy.empty()) {
        if (rowLimit)
            applyRowLimit(r, *rowLimit, limitKeys);
        return r;
    }
    std::string order;
    std::string positional;
    bool anyKeyed = false;
    for (const auto& item : q.orderBy) {
        int position = 0;
        if (const auto* l = item.expr->as<sql::LiteralExpr>(); l && l->type == sql::LiteralExpr::Type::Number) {
            position = std::atoi(l->text.c_str());
            if (position < 1 || position > static_cast<int>(r.types.size()))
                fail(1785, "ORDER BY item must be the number of a SELECT-list expression", item.expr->offset);
        } else if (const auto* c = item.expr->as<sql::ColumnRefExpr>(); c && c->parts.size() == 1) {
            for (size_t i = 0; i < r.names.size(); ++i)
                if (r.names[i] == c->parts[0].name) {
                    position = static_cast<int>(i) + 1;
                    break;
                }
        }
        if (position == 0)
            fail(1785, "ORDER BY item must be the number of a SELECT-list expression", item.expr->offset);
        // Numbers kept as text order by their keys (emit/number_order.h): over the compound's result columns.
        const bool keyed = emit::mayHoldTextNumber(r.types[static_cast<size_t>(position - 1)]);
        anyKeyed = anyKeyed || keyed;
        order += (order.empty() ? "" : ", ")
            + emit::orderTerm(keyed ? "ORA_NUMBER_KEY(o_.c" + std::to_string(position) + ")" : "o_.c" + std::to_string(position),
                item.descending, item.nullsFirst);
        positional += (positional.empty() ? "" : ", ")
            + emit::orderTerm(std::to_string(position), item.descending, item.nullsFirst);
        limitKeys.push_back({ "w_.c" + std::to_string(position), item.descending, item.nullsFirst });
    }
    if (anyKeyed)
        r.sql = "SELECT * FROM (" + r.sql + ") AS o_ ORDER BY " + order;
    else
        r.sql += " ORDER BY " + positional;
    r.simple = false;
    if (rowLimit)
        applyRowLimit(r, *rowLimit, limitKeys);
    return r;
}

bool BinderImpl::rownumBound(const sql::Expr& c, Scope& scope, std::string& limit, bool& never)
{
    const auto* cmp = c.as<sql::ComparisonExpr>();
    if (!cmp || !(isRownum(cmp->left.get()) || isRownum(cmp->right.get())))
        return false;
    sql::CompareOp op = cmp->op;
    const sql::Expr* other = isRownum(cmp->left.get()) ? cmp->right.get() : cmp->left.get();
    if (!isRownum(cmp->left.get())) {
        // n > ROWNUM is ROWNUM < n.
        switch (op) {
        case sql::CompareOp::Lt:
            op = sql::CompareOp::Gt;
            break;
        case sql::CompareOp::Le:
            op = sql::CompareOp::Ge;
            break;
        case sql::CompareOp::Gt:
            op = sql::CompareOp::Lt;
            break;
        case sql::CompareOp::Ge:
            op = sql::CompareOp::Le;
            break;
        default:
            break;
        }
    }
    const sql::Expr* operand = limitOperand(other);
    if (!operand)
        return false;
    BExpr n = expr(*operand, scope);
    noteBind(n, ExprType::number());
    // ROWNUM is given to a row only when it passes, so ROWNUM > 1 or ROWNUM = 2 never holds, while ROWNUM > 0
    // holds for every row. kNoLimit stands for "every row".
    const std::string kNoLimit = "9223372036854775807";
    std::string bound;
    if (n.bindSlot < 0 && !n.literalText.empty()) {
        const double d = std::atof(n.sql.c_str());
        long long k = 0;
        bool all = false;
        switch (op) {
        case sql::CompareOp::Le:
            k = static_cast<long long>(std::floor(d));
            break;
        case sql::CompareOp::Lt:
        case sql::CompareOp::Ne:
            k = static_cast<long long>(std::ceil(d)) - 1;
            break;
        case sql::CompareOp::Eq:
            k = d == 1 ? 1 : 0;
            break;
        case sql::CompareOp::Gt:
            all = d < 1;
            break;
        case sql::CompareOp::Ge:
            all = d <= 1;
            break;
        }
        if (all)
            return true;
        if (k <= 0) {
            never = true;
            return true;
        }
        bound = std::to_string(k);
    } else {
        const std::string& v = n.sql;
        const std::string whole = "CAST(" + v + " AS INTEGER)";
        switch (op) {
        case sql::CompareOp::Le:
            bound = "MAX(0, " + whole + " - (" + whole + " > " + v + "))";
            break;
        case sql::CompareOp::Lt:
        case sql::CompareOp::Ne:
            bound = "MAX(0, " + whole + " - (" + whole + " >= " + v + "))";
            break;
        case sql::CompareOp::Eq:
            bound = "(CASE WHEN " + v + " = 1 THEN 1 ELSE 0 END)";
            break;
        case sql::CompareOp::Gt:
            bound = "(CASE WHEN " + v + " < 1 THEN " + kNoLimit + " ELSE 0 END)";
            break;
        case sql::CompareOp::Ge:
            bound = "(CASE WHEN " + v + " <= 1 THEN " + kNoLimit + " ELSE 0 END)";
            break;
        }
    }
    if (n.bindSlot >= 0)
        bound = "COALESCE(" + bound + ", 0)"; // ROWNUM <= NULL holds for no row
    limit = limit.empty() ? bound : "MIN(" + limit + ", " + bound + ")";
    return true;
}

BlockResult BinderImpl::block(const sql::QueryBlock& b, Scope* parent, const std::vector<sql::OrderItem>* orderBy,
    const sql::ForUpdate* forUpdate, BoundStatement* out, const sql::RowLimit* rowLimit,
    const std::vector<sql::OrderItem>* siblings)
{
    struct CurrentBlock {
        const sql::QueryBlock*& at;
        const sql::QueryBlock* saved;
        ~CurrentBlock() { at = saved; }
    } current { currentBlock, currentBlock };
    currentBlock = &b;
    Scope scope;
    scope.parent = parent;
    std::vector<std::string> fromItems;
    std::vector<int> itemOfSource; // FROM item index of each source
    for (size_t i = 0; i < b.from.size(); ++i) {
        std::string s;
        addTableRef(*b.from[i], scope, s);
        fromItems.push_back(s);
        while (itemOfSource.size() < scope.sources.size())
            itemOfSource.push_back(static_cast<int>(i));
    }

    // WHERE: ROWNUM limits, (+) joins, filters.
    std::vector<const sql::Expr*> conjuncts;
    splitAnd(b.where.get(), conjuncts);
    std::string limit;
    bool never = false;
    std::vector<const sql::Expr*> rest;
    for (const sql::Expr* c : conjuncts) {
        if (rownumBound(*c, scope, limit, never))
            continue;
        if (mentionsRownum(c))
            fail(3001, "unimplemented feature: ROWNUM in this condition", c->offset);
        rest.push_back(c);
    }

    std::vector<BlockFilter> filters;
    std::map<int, std::vector<std::string>> outerOn;
    std::map<int, std::set<int>> outerDeps;
    // LEVEL may be tested in WHERE of a hierarchical block; this first binding only learns what each condition
    // refers to.
    if (b.connectBy)
        scope.levelSql = scope.leafSql = scope.cycleSql = "0";
    for (const sql::Expr* c : rest) {
        std::set<int> marks, refs;
        scope.outerMarks = &marks;
        scope.referenced = &refs;
        BExpr p = expr(*c, scope);
        scope.outerMarks = nullptr;
        scope.referenced = nullptr;
        if (!marks.empty() && scope.sources.size() > 1) {
            for (const auto& item : b.from)
                if (item->as<sql::JoinRef>())
                    fail(25156, "old style outer join (+) cannot be used with ANSI joins", c->offset);
            if (marks.size() > 1)
                fail(1468, "a predicate may reference only one outer-joined table", c->offset);
            if (mentionsOr(c))
                fail(1719, "outer join operator (+) not allowed in operand of OR or IN", c->offset);
            const int t = *marks.begin();
            refs.erase(t);
            outerOn[t].push_back(p.sql);
            for (int r : refs)
                outerDeps[t].insert(r);
            continue;
        }
        filters.push_back({ c, p.sql, refs });
    }
    for (const auto& [t, deps] : outerDeps) {
        std::set<int> items;
        for (int d : deps)
            items.insert(itemOfSource[static_cast<size_t>(d)]);
        if (items.size() > 1)
            fail(1417, "a table may be outer joined to at most one other table",
                scope.sources[static_cast<size_t>(t)].offset);
        for (int d : deps)
            if (outerDeps.count(d) && outerDeps[d].count(t))
                fail(1416, "two tables cannot be outer-joined to each other",
                    scope.sources[static_cast<size_t>(t)].offset);
    }
    // FROM text: inner items first, then each outer-joined item after the items it depends on.
    std::string fromSql;
    std::vector<bool> emitted(fromItems.size(), false);
    std::map<int, int> outerItem; // item -> source
    for (const auto& [t, _] : outerOn)
        outerItem[itemOfSource[static_cast<size_t>(t)]] = t;
    for (size_t i = 0; i < fromItems.size(); ++i) {
        if (outerItem.count(static_cast<int>(i)))
            continue;
        fromSql += (fromSql.empty() ? "" : ", ") + fromItems[i];
        emitted[i] = true;
    }
    for (bool progress = true; progress;) {
        progress = false;
        for (const auto& [item, t] : outerItem) {
            if (emitted[static_cast<size_t>(item)])
                continue;
            bool ready = true;
            for (int d : outerDeps[t])
                ready = ready && emitted[static_cast<size_t>(itemOfSource[static_cast<size_t>(d)])];
            if (!ready)
                continue;
            std::string on;
            for (const auto& s : outerOn[t])
                on += (on.empty() ? "" : " AND ") + s;
            fromSql += (fromSql.empty() ? "" : " ") + std::string(fromSql.empty() ? "" : "LEFT JOIN ")
                + fromItems[static_cast<size_t>(item)] + (fromSql.empty() ? "" : " ON " + on);
            emitted[static_cast<size_t>(item)] = true;
            progress = true;
        }
    }
    for (size_t i = 0; i < emitted.size(); ++i)
        if (!emitted[i])
            fail(1416, "two tables cannot be outer-joined to each other", b.from[i]->offset);

    // An aggregate in the select list, HAVING or ORDER BY makes the block an aggregate query, as in Oracle.
    bool aggregates = b.grouped() || b.having;
    for (const auto& item : b.items)
        if (item.type == sql::SelectItem::Type::Expr && containsAggregate(*item.expr))
            aggregates = true;
    if (orderBy)
        for (const auto& item : *orderBy)
            if (containsAggregate(*item.expr))
                aggregates = true;
    const bool hasOrder = orderBy && !orderBy->empty();
    // Analytic functions work on the rows the block's WHERE (ROWNUM included) and grouping leave.
    bool analytics = false;
    for (const auto& item : b.items)
        analytics = analytics || (item.expr && containsAnalytic(*item.expr));
    if (orderBy)
        for (const auto& item : *orderBy)
            analytics = analytics || containsAnalytic(*item.expr);
    const bool hierarchical = b.connectBy != nullptr;
    // ROWNUM in an aggregate query (COUNT(ROWNUM), GROUP BY ROWNUM) numbers the rows before they are grouped.
    bool rownumBeforeGrouping = false;
    if (aggregates) {
        for (const auto& item : b.items)
            rownumBeforeGrouping = rownumBeforeGrouping || (item.expr && mentionsRownum(item.expr.get()));
        for (const auto& g : b.groupBy)
            rownumBeforeGrouping = rownumBeforeGrouping || mentionsRownum(g.get());
        rownumBeforeGrouping = rownumBeforeGrouping || mentionsRownum(b.having.get());
        if (orderBy)
            for (const auto& item : *orderBy)
                rownumBeforeGrouping = rownumBeforeGrouping || mentionsRownum(item.expr.get());
    }

    // ROWNUM is assigned before grouping, DISTINCT and ORDER BY of its block, and CONNECT BY works on the joined
    // rows: both read the block's rows from an inner query that holds every column of every source.
    auto flatColumns = [&](const std::string& prefix, Scope& into) { flattenColumns(scope, prefix, into); };
    auto flatSelect = [&]() { return flatSelectList(scope); };

    // The sources FOR UPDATE locks: all of them, or those its OF columns name.
    auto lockedSources = [&]() {
        std::set<int> lockSources;
        if (forUpdate->columns.empty()) {
            for (size_t i = 0; i < scope.sources.size(); ++i)
                lockSources.insert(static_cast<int>(i));
        } else {
            for (const auto& c : forUpdate->columns) {
                std::set<int> refs;
                scope.referenced = &refs;
                expr(*c, scope);
                scope.referenced = nullptr;
                lockSources.insert(refs.begin(), refs.end());
            }
        }
        return lockSources;
    };
    if (forUpdate && forUpdate->skipLocked && out && !hierarchical) {
        // SKIP LOCKED: the executor locks the rows that are free; the query leaves out the rows others hold.
        for (int i : lockedSources()) {
            const Source& src = scope.sources[static_cast<size_t>(i)];
            if (!src.table)
                continue; // refused below
            filters.push_back({ nullptr,
                "(" + src.rownoSql + " IS NULL OR " + kRowLockedFunction + "("
                    + std::to_string(src.table->object.objectId) + ", " + src.rownoSql + ") = 0)",
                { i } });
        }
    }

    scope.levelSql.clear();
    scope.leafSql.clear();
    scope.cycleSql.clear();
    Scope final;
    Scope finalPrior;
    std::string finalFrom = fromSql;
    std::vector<std::string> finalWhere;
    std::string defaultOrder;
    if (never)
        finalWhere.push_back("0");
    const bool recursiveMember = recursiveBranch && recursiveBranch->block == &b;
    if (recursiveMember) {
        // Its rows feed SQLite's recursion directly: nothing may wrap the block around its reference.
        if (hierarchical || !limit.empty())
            fail(32486, "unsupported operation in recursive branch of recursive WITH clause", b.offset);
        if (recursiveBranch->stopAtCycle)
            finalWhere.push_back("(" + recursiveBranch->alias + ".rw_ & 1) = 0");
    }
    if (hierarchical) {
        if (rownumBeforeGrouping)
            fail(3001, "unimplemented feature: ROWNUM in a hierarchical query with group functions",
                b.connectBy->offset);
        hierarchy(b, orderBy, siblings, scope, fromSql, filters, final, finalPrior, finalFrom, finalWhere);
        defaultOrder = "r_.ord_";
    } else if ((!limit.empty() && (aggregates || b.distinct || hasOrder || analytics)) || rownumBeforeGrouping) {
        std::vector<std::string> w;
        for (const auto& f : filters)
            w.push_back(f.sql);
        finalFrom = "(SELECT " + flatSelect() + (rownumBeforeGrouping ? ", row_number() OVER () AS \"rownum_\"" : "")
            + " FROM " + fromSql + whereClause(w) + (limit.empty() ? "" : " LIMIT " + limit + " OFFSET 0") + ") AS r_";
        flatColumns("r_", final);
        if (rownumBeforeGrouping)
            final.rownumSql = "r_.\"rownum_\"";
        limit.clear();
    } else {
        final = scope;
        for (const auto& f : filters)
            finalWhere.push_back(f.sql);
    }
    final.outerMarks = nullptr;
    final.referenced = nullptr;

    if (!b.groupingSets.empty()) {
        // The block reads the rows of its grouping sets, grouped already.
        groupingSets(b, orderBy, final, finalFrom, finalWhere, defaultOrder);
        aggregates = false;
    }
    // GROUP BY
    std::vector<std::string> groupSqls;
    for (const auto& g : b.groupBy) {
        final.aggregatesAllowed = false;
        BExpr ge = expr(*g, final);
        refuseLob(ge.type, g->offset);
        groupSqls.push_back(ge.sql);
    }
    // Nested group functions (MAX(COUNT(*))): the inner ones group the rows, the outer ones read the groups.
    std::vector<const sql::Expr*> innerAggregates;
    for (const auto& item : b.items)
        if (item.expr)
            collectNestedAggregates(*item.expr, false, innerAggregates);
    if (!innerAggregates.empty()) {
        if (b.groupBy.empty())
            fail(978, "nested group function without GROUP BY", innerAggregates[0]->offset);
        if (hasOrder || b.distinct || forUpdate || !limit.empty())
            fail(3001, "unimplemented feature: nested group functions with ORDER BY, DISTINCT, ROWNUM or FOR UPDATE",
                innerAggregates[0]->offset);
        final.aggregatesAllowed = true;
        Scope outer;
        outer.aggregatesAllowed = true;
        std::string inner;
        for (size_t i = 0; i < innerAggregates.size(); ++i) {
            BExpr a = expr(*innerAggregates[i], final);
            inner += (i ? ", " : "") + a.sql + " AS a" + std::to_string(i + 1);
            outer.precomputed[innerAggregates[i]] = { "n_.a" + std::to_string(i + 1), a.type };
        }
        std::string groups;
        for (const auto& g : groupSqls)
            groups += (groups.empty() ? "" : ", ") + emit::expressionTerm(g);
        inner = "SELECT " + inner + " FROM " + finalFrom + whereClause(finalWhere) + " GROUP BY " + groups;
        if (b.having)
            inner += " HAVING " + expr(*b.having, final).sql;
        BlockResult nested;
        std::string select;
        for (const auto& item : b.items) {
            if (!item.expr)
                fail(937, "not a single-group group function", item.offset);
            BExpr e;
            try {
                e = expr(*item.expr, outer);
            } catch (const Error& err) {
                // A column beside nested group functions belongs to no single group.
                if (err.code() == 904)
                    fail(937, "not a single-group group function", err.offset());
                throw;
            }
            select += (select.empty() ? "" : ", ") + e.sql + " AS c" + std::to_string(nested.types.size() + 1);
            nested.names.push_back(item.alias ? item.alias->name : heading(item));
            ExprType t = e.type;
            t.isTextLiteral = false;
            nested.types.push_back(t);
        }
        nested.sql = "SELECT " + select + " FROM (" + inner + ") AS n_";
        return nested;
    }
    // Select list
    final.aggregatesAllowed = true;
    final.analyticsAllowed = true;
    final.sequenceAllowed
        = (out != nullptr || &b == sequenceBlock) && !b.distinct && b.groupBy.empty() && !aggregates && !hasOrder;
    if (!rownumBeforeGrouping)
        final.rownumSql = "row_number() OVER ()";
    BlockResult result;
    std::vector<std::string> itemSqls;
    std::vector<bool> hasAlias;
    std::function<void(const sql::Expr&)> checkGrouped;
    checkGrouped = [&](const sql::Expr& e) {
        if (isAggregateCall(e))
            return;
        BExpr be = expr(e, final);
        if (!be.local)
            return;
        if (std::find(groupSqls.begin(), groupSqls.end(), be.sql) != groupSqls.end())
            return;
        if (e.as<sql::ColumnRefExpr>() || e.as<sql::PseudoColumnExpr>()) {
            if (b.groupBy.empty())
                fail(937, "not a single-group group function", e.offset);
            fail(979, "not a GROUP BY expression", e.offset);
        }
        if (e.as<sql::SubqueryExpr>() || e.as<sql::ExistsExpr>() || e.as<sql::InSubqueryExpr>())
            return;
        forEachChild(e, checkGrouped);
    };
    for (const auto& item : b.items) {
        if (item.type == sql::SelectItem::Type::Expr) {
            BExpr e = expr(*item.expr, final);
            if (aggregates)
                checkGrouped(*item.expr);
            std::string name;
            if (item.alias)
                name = item.alias->name;
            else if (const auto* c = item.expr->as<sql::ColumnRefExpr>())
                name = c->column().name;
            else if (const auto* p = item.expr->as<sql::PseudoColumnExpr>())
                name = pseudoName(p->which);
            else
                name = heading(item);
            ExprType t = e.type;
            if (t.isTextLiteral)
                t.isTextLiteral = false;
            result.names.push_back(name);
            result.types.push_back(t);
            itemSqls.push_back(e.sql);
            hasAlias.push_back(item.alias.has_value() || item.expr->as<sql::ColumnRefExpr>());
            continue;
        }
        bool any = false;
        const bool plainStar = item.type == sql::SelectItem::Type::Star;
        // An unqualified * is the whole select list in Oracle: after it only FROM may follow, and before it no
        // expression may stand.
        if (plainStar && &item != &b.items.front())
            fail(936, "missing expression", item.offset);
        if (plainStar && b.items.size() > 1)
            fail(923, "FROM keyword not found where expected", b.items[1].offset);
        if (plainStar) {
            // SELECT * of a join with USING shows each USING column once, first.
            for (const auto& name : final.usingOrder) {
                auto u = final.usingColumns.find(name);
                if (u == final.usingColumns.end())
                    continue;
                if (aggregates && std::find(groupSqls.begin(), groupSqls.end(), u->second.first) == groupSqls.end())
                    fail(b.groupBy.empty() ? 937 : 979,
                        b.groupBy.empty() ? "not a single-group group function" : "not a GROUP BY expression",
                        item.offset);
                result.names.push_back(name);
                result.types.push_back(u->second.second);
                itemSqls.push_back(u->second.first);
                hasAlias.push_back(true);
            }
        }
        for (size_t i = 0; i < final.sources.size(); ++i) {
            const Source& src = final.sources[i];
            if (item.type == sql::SelectItem::Type::QualifiedStar) {
                if (item.qualifier.size() == 1 && src.name != item.qualifier[0].name)
                    continue;
                if (item.qualifier.size() == 2
                    && (src.owner != item.qualifier[0].name || src.name != item.qualifier[1].name))
                    continue;
            }
            any = true;
            for (const auto& c : src.columns) {
                if (c.hidden || (plainStar && final.usingColumns.count(c.name)))
                    continue;
                if (aggregates) {
                    if (std::find(groupSqls.begin(), groupSqls.end(), c.sql) == groupSqls.end())
                        fail(b.groupBy.empty() ? 937 : 979,
                            b.groupBy.empty() ? "not a single-group group function" : "not a GROUP BY expression",
                            item.offset);
                }
                result.names.push_back(c.name);
                result.types.push_back(c.type);
                itemSqls.push_back(c.sql);
                hasAlias.push_back(true);
            }
        }
        if (!any && item.type == sql::SelectItem::Type::QualifiedStar)
            fail(904, qualifiedName(item.qualifier) + ": invalid identifier", item.offset);
    }
    final.sequenceAllowed = false;
    std::string having;
    if (b.having && b.groupingSets.empty()) {
        final.analyticsAllowed = false;
        having = expr(*b.having, final).sql;
        checkGrouped(*b.having);
        final.analyticsAllowed = true;
    }
    // ORDER BY
    std::vector<std::string> orderTerms;
    std::vector<OrderKey> orderKeys; // the same as expressions, for a row limit that counts ties
    if (hasOrder) {
        for (const auto& item : *orderBy) {
            std::string term;
            if (const auto* l = item.expr->as<sql::LiteralExpr>(); l && l->type == sql::LiteralExpr::Type::Number) {
                const int position = std::atoi(l->text.c_str());
                if (position < 1 || position > static_cast<int>(itemSqls.size()))
                    fail(1785, "ORDER BY item must be the number of a SELECT-list expression", item.expr->offset);
                term = std::to_string(position);
                refuseLob(result.types[static_cast<size_t>(position - 1)], item.expr->offset);
            } else if (const auto* c = item.expr->as<sql::ColumnRefExpr>(); c && c->parts.size() == 1) {
                int found = 0;
                for (size_t i = 0; i < result.names.size(); ++i) {
                    if (hasAlias[i] && result.names[i] == c->parts[0].name) {
                        if (found && itemSqls[static_cast<size_t>(found - 1)] != itemSqls[i])
                            fail(960, "ambiguous column naming in select list", item.expr->offset);
                        found = static_cast<int>(i) + 1;
                    }
                }
                if (found) {
                    term = std::to_string(found);
                    refuseLob(result.types[static_cast<size_t>(found - 1)], item.expr->offset);
                }
            }
            ExprType orderType;
            if (term.empty()) {
                BExpr e = expr(*item.expr, final);
                orderType = e.type;
                refuseLob(e.type, item.expr->offset);
                auto it = std::find(itemSqls.begin(), itemSqls.end(), e.sql);
                if (it != itemSqls.end())
                    term = std::to_string(it - itemSqls.begin() + 1);
                else if (b.distinct)
                    fail(1791, "not a SELECTed expression", item.expr->offset);
                else {
                    if (aggregates)
                        checkGrouped(*item.expr);
                    term = emit::expressionTerm(e.sql);
                }
            }
            {
                const bool position = !term.empty() && std::isdigit(static_cast<unsigned char>(term[0]));
                orderKeys.push_back({ position ? itemSqls[static_cast<size_t>(std::atoi(term.c_str()) - 1)] : term,
                    item.descending, item.nullsFirst });
            }
            {
                // Numbers kept as text order by their keys (emit/number_order.h).
                const bool byPosition = std::isdigit(static_cast<unsigned char>(term[0]));
                const size_t index = byPosition ? static_cast<size_t>(std::atoi(term.c_str()) - 1) : 0;
                const ExprType& termType = byPosition ? result.types[index] : orderType;
                if (emit::mayHoldTextNumber(termType))
                    term = "ORA_NUMBER_KEY(" + (byPosition ? itemSqls[index] : term) + ")";
            }
            orderTerms.push_back(emit::orderTerm(term, item.descending, item.nullsFirst));

        }
    }
    if (orderTerms.empty() && !defaultOrder.empty() && !aggregates && !b.distinct)
        orderTerms.push_back(defaultOrder);

    std::string select;
    for (size_t i = 0; i < itemSqls.size(); ++i)
        select += (i ? ", " : "") + itemSqls[i] + " AS c" + std::to_string(i + 1);
    if (recursiveMember && itemSqls.size() == result.types.size())
        select += ", " + recursiveBranch->extraItems(recursiveBranch->alias, itemSqls);
    // A row limit that counts ties or a percentage ranks the rows by their ORDER BY keys outside the block.
    const bool rankedLimit = rowLimit && (rowLimit->withTies || rowLimit->percent);
    std::vector<OrderKey> limitKeys;
    if (rankedLimit)
        for (size_t i = 0; i < orderKeys.size(); ++i) {
            select += ", " + orderKeys[i].sql + " AS k" + std::to_string(i + 1);
            limitKeys.push_back({ "w_.k" + std::to_string(i + 1), orderKeys[i].descending, orderKeys[i].nullsFirst });
        }
    if (b.distinct)
        for (const auto& t : result.types)
            refuseLob(t, b.items.empty() ? -1 : b.items[0].offset);
    std::string s = std::string("SELECT ") + (b.distinct ? "DISTINCT " : "") + select;
    if (!finalFrom.empty())
        s += " FROM " + finalFrom;
    s += whereClause(finalWhere);
    if (!groupSqls.empty()) {
        std::string g;
        for (const auto& x : groupSqls)
            g += (g.empty() ? "" : ", ") + emit::expressionTerm(x);
        s += " GROUP BY " + g;
    }
    if (!having.empty())
        s += " HAVING " + having;
    if (!orderTerms.empty()) {
        std::string o;
        for (const auto& x : orderTerms)
            o += (o.empty() ? "" : ", ") + x;
        s += " ORDER BY " + o;
        result.simple = false;
    }
    if (!limit.empty()) {
        // OFFSET 0 keeps SQLite from flattening this block into an outer one that orders its rows, which would
        // sort before the limit.
        s += " LIMIT " + limit + " OFFSET 0";
        result.simple = false;
    }
    result.sql = s;
    if (rowLimit)
        applyRowLimit(result, *rowLimit, limitKeys);

    if (forUpdate && out) {
        if (b.distinct || aggregates || hierarchical)
            fail(1786, "FOR UPDATE of this query expression is not allowed", forUpdate->offset);
        const std::set<int> lockSources = lockedSources();
        std::vector<std::string> w;
        for (const auto& f : filters)
            w.push_back(f.sql);
        if (never)
            w.push_back("0");
        for (int i : lockSources) {
            const Source& src = scope.sources[static_cast<size_t>(i)];
            if (!src.remoteTable.empty()) {
                // The rows of a table behind a database link are locked there, found by the values they were read
                // with, as Oracle locks the remote rows of a distributed query.
                RowLockTarget target;
                target.remote = true;
                target.physicalName = src.remoteTable;
                std::string columns;
                for (const SrcColumn& c : src.columns)
                    columns += (columns.empty() ? "" : ", ") + c.sql;
                target.rowsSql = "SELECT " + (columns.empty() ? std::string("NULL") : columns) + " FROM " + fromSql
                    + whereClause(w) + (limit.empty() ? "" : " LIMIT " + limit);
                out->lockTargets.push_back(target);
                continue;
            }
            if (!src.table) {
                if (src.fromSql.rfind("(SELECT 'X' AS c1)", 0) == 0)
                    continue; // DUAL has no rows to lock
                // Locking a view's rows means locking its base table's rows, which this engine does not yet do.
                fail(3001, "unimplemented feature: FOR UPDATE of a view or inline view", src.offset);
            }
            if (src.table->fixed)
                fail(1031, "insufficient privileges", src.offset);
            RowLockTarget target;
            target.table = src.table->object;
            target.physicalName = src.table->physicalName;
            target.rowNumberColumn = src.table->rowNumberColumn;
            std::vector<std::string> ww = w;
            ww.push_back(src.rownoSql + " IS NOT NULL");
            target.rowsSql = "SELECT " + src.rownoSql + " FROM " + fromSql + whereClause(ww)
                + (limit.empty() ? "" : " LIMIT " + limit);
            out->lockTargets.push_back(target);
        }
        out->nowait = forUpdate->nowait;
        out->skipLocked = forUpdate->skipLocked;
        out->waitSeconds = forUpdate->wait ? static_cast<int>(*forUpdate->wait) : (forUpdate->nowait ? 0 : -1);
    }
    return result;
}

} // namespace engine::bind::detail

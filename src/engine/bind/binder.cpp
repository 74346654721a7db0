// Statements: dispatch, INSERT/UPDATE/DELETE with Oracle's checks on stored values, and the public entry points.
#include "engine/bind/binder_impl.h"
#include "engine/types/oratype_datetime.h"
#include "engine/bind/compound_dml.h"
#include "engine/emit/runtime_functions.h"
#include "engine/sql/parser.h"

#include <algorithm>

namespace engine::bind {

namespace detail {

using types::ExprType;

namespace {

Source targetSource(const TableInfo& t, const std::optional<sql::Identifier>& alias, const std::string& sqlAlias)
{
    Source src;
    src.name = alias ? alias->name : t.object.name;
    src.owner = alias ? "" : t.object.owner;
    src.sqlAlias = sqlAlias;
    const std::string prefix = sqlAlias.empty() ? "" : sqlAlias + ".";
    src.fromSql = emit::quoteIdent(t.physicalName) + (sqlAlias.empty() ? "" : " AS " + sqlAlias);
    src.rownoSql = prefix + emit::quoteIdent(t.rowNumberColumn);
    for (const auto& col : t.columns) {
        SrcColumn c;
        c.name = col.name;
        c.sql = prefix + emit::quoteIdent(col.physicalName);
        c.type = col.type;
        c.hidden = col.hidden;
        src.columns.push_back(c);
    }
    src.table = t;
    return src;
}

// The statement's own condition and, through a view, the view's: only the view's rows are changed.
std::string withViewCondition(const std::string& where, const std::string& view)
{
    if (view.empty())
        return where;
    return where.empty() ? view : "(" + view + ") AND (" + where + ")";
}

const ColumnInfo* findColumn(const TableInfo& t, const std::string& name)
{
    for (const auto& c : t.columns)
        if (c.name == name && !c.hidden)
            return &c;
    return nullptr;
}

} // namespace

void BinderImpl::noteAccess(const ObjectRef& ref, AccessKind access, int offset)
{
    if (context.maySee && !context.maySee(ref.objectId, definer)) {
        if (ref.kind == ObjectKind::Sequence)
            fail(2289, "sequence does not exist", offset);
        fail(942, "table or view does not exist", offset);
    }
    accesses.push_back({ ref, access, definer, definerView, offset, {} });
}

TableInfo BinderImpl::dmlTable(const sql::ObjectName& name, AccessKind access, bool reads)
{
    if (name.dblink) {
        // A top-level statement changing a remote table goes whole to the remote session (link/remote_dml.cpp)
        // and never gets here. Elsewhere the link is checked (ORA-02019, ORA-12154...) and the change refused.
        RemoteName remote { name.dblink->name, name.schema ? name.schema->name : "", name.name.name,
            name.dblink->offset, name.name.offset };
        catalog.remoteTable(remote);
        fail(3001, "unimplemented feature: changing a table through a database link here", name.dblink->offset);
    }
    auto ref = catalog.resolve(name.schema ? name.schema->name : "", name.name.name, context.currentSchema);
    if (!ref)
        fail(942, "table or view does not exist", name.offset);
    dependsOn.insert(ref->objectId);
    dependsOn.insert(ref->synonyms.begin(), ref->synonyms.end());
    noteAccess(*ref, access, name.offset);
    dmlAccessIndex = accesses.size() - 1;
    // A WHERE reads the rows: Oracle asks for SELECT besides (SQL92_SECURITY, TRUE by default).
    if (reads)
        noteAccess(*ref, AccessKind::Select, name.offset);
    dmlAccess = access;
    if (ref->kind == ObjectKind::View)
        return viewTable(*ref, name.offset);
    if (ref->kind != ObjectKind::Table)
        fail(942, "table or view does not exist", name.offset);
    auto t = catalog.table(*ref);
    if (!t)
        fail(942, "table or view does not exist", name.offset);
    if (t->fixed)
        fail(1031, "insufficient privileges", name.offset);
    return *t;
}

TableInfo BinderImpl::viewTable(const ObjectRef& ref, int offset)
{
    // A view with errors (or a circular one) says so first, as on Oracle.
    viewSource(ref, std::nullopt, offset);
    auto view = catalog.view(ref);
    auto parsed = std::make_shared<sql::ParseResult>(sql::parse(view ? view->queryText : std::string()));
    const auto* select = parsed->ok() ? parsed->statement->as<sql::SelectStmt>() : nullptr;
    const auto* blk = select ? select->query->body->as<sql::QueryBlock>() : nullptr;
    // Set operators, DISTINCT, grouping and hierarchies make a view not updatable in Oracle.
    if (!blk || blk->distinct || blk->grouped() || blk->having || blk->connectBy)
        fail(1732, "data manipulation operation not legal on this view", offset);
    if (view->readOnly.value_or(false))
        fail(42399, "cannot perform a DML operation on a read-only view", offset);
    // A view over one table whose columns are that table's columns changes the table's rows. Joins, views over
    // views and computed columns Oracle may allow too, but they are not done here: refused openly.
    const auto* from = blk->from.size() == 1 ? blk->from[0]->as<sql::TableName>() : nullptr;
    std::optional<ObjectRef> baseRef;
    if (from && !from->name.dblink)
        baseRef = catalog.resolve(from->name.schema ? from->name.schema->name : "", from->name.name.name, ref.owner);
    std::optional<TableInfo> base;
    if (baseRef && baseRef->kind == ObjectKind::Table)
        base = catalog.table(*baseRef);
    if (base && base->fixed)
        fail(1031, "insufficient privileges", offset);
    auto unimplemented = [&] { fail(3001, "unimplemented feature: data manipulation through a view", offset); };
    if (!base || !view->readOnly)
        unimplemented();
    dependsOn.insert(baseRef->objectId);
    // The view's owner changes the table with its own rights.
    accesses.push_back({ *baseRef, dmlAccess, ref.owner, "\"" + ref.owner + "\".\"" + ref.name + "\"", offset, {} });
    TableInfo t = *base;
    t.columns.clear();
    std::set<std::string> used;
    auto add = [&](const ColumnInfo& c) {
        ColumnInfo v = c;
        const size_t position = t.columns.size();
        if (position < view->columnNames.size() && !view->columnNames[position].empty())
            v.name = view->columnNames[position];
        used.insert(c.name);
        t.columns.push_back(v);
    };
    for (const auto& item : blk->items) {
        if (item.type != sql::SelectItem::Type::Expr) {
            for (const auto& c : base->columns)
                if (!c.hidden)
                    add(c);
            continue;
        }
        const auto* c = item.expr->as<sql::ColumnRefExpr>();
        const ColumnInfo* found = c ? findColumn(*base, c->column().name) : nullptr;
        if (!found || used.count(found->name))
            unimplemented();
        const bool listed = t.columns.size() < view->columnNames.size();
        add(*found);
        if (item.alias && !listed)
            t.columns.back().name = item.alias->name;
    }
    for (const auto& c : base->columns) {
        if (c.hidden || used.count(c.name))
            continue;
        ColumnInfo v = c;
        v.hidden = true;
        v.outsideView = true;
        t.columns.push_back(v);
    }
    dmlView = parsed;
    dmlViewWhere = blk->where.get();
    dmlViewName = ref.name;
    dmlViewOwner = ref.owner;
    dmlViewSourceName = from->alias ? from->alias->name : base->object.name;
    dmlViewBase = base;
    dmlViewCheckOption = view->checkOption;
    return t;
}

Source BinderImpl::dmlSource(
    const TableInfo& t, const std::optional<sql::Identifier>& alias, const std::string& sqlAlias)
{
    Source src = targetSource(t, alias, sqlAlias);
    bindVirtualColumns(src);
    if (!alias && !dmlViewName.empty()) {
        // Through a view the statement names the view, not its table.
        src.name = dmlViewName;
        src.owner = dmlViewOwner;
    }
    return src;
}

std::string BinderImpl::viewCondition(const std::string& sqlAlias)
{
    if (!dmlViewWhere || !dmlViewBase)
        return {};
    Scope vs;
    Source src = targetSource(*dmlViewBase, std::nullopt, sqlAlias);
    bindVirtualColumns(src);
    src.name = dmlViewSourceName;
    vs.sources.push_back(src);
    return dmlWhere(dmlViewWhere, vs);
}

std::string BinderImpl::storeValue(
    const TableInfo& t, const ColumnInfo& c, const BExpr& value, bool isUpdate, int offset)
{
    std::string sql = value.sql;
    if (!value.type.isNull) {
        OraType to = c.type.type;
        if (to == OraType::Char || to == OraType::Long)
            to = OraType::Varchar2;
        if (types::isNewDatetime(to)) {
            sql = datetimeConverted(value, c.type, offset, true).sql;
        } else if (to == OraType::Number || to == OraType::Date || to == OraType::Varchar2 || to == OraType::Clob) {
            sql = converted(value, to, offset).sql;
        } else if ((to == OraType::Raw || to == OraType::Blob) && value.bindSlot < 0) {
            // Text goes into binary columns as hexadecimal digits (Oracle's implicit HEXTORAW); numbers and dates
            // do not go at all.
            const OraType from = value.type.type;
            if (types::isCharacter(from))
                sql = "ORA_STORE_RAW(" + sql + ")";
            else if (from != OraType::Raw && from != OraType::Blob)
                fail(932, "inconsistent datatypes: expected BINARY got " + types::oracleTypeName(from), offset);
        } else {
            noteBind(value, c.type);
        }
        if (value.bindSlot >= 0)
            noteBind(value, c.type);
    }
    const std::string name = emit::quoteText(quotedColumnName(t, c));
    const ExprType& ct = c.type;
    if (ct.type == OraType::Number && (ct.precision > 0 || ct.scaleDeclared))
        sql = "ORA_STORE_NUMBER(" + sql + ", " + std::to_string(ct.precision) + ", "
            + (ct.scaleDeclared ? std::to_string(ct.scale) : std::string("NULL")) + ", " + name + ")";
    else if ((ct.type == OraType::Varchar2 || ct.type == OraType::Char) && ct.size > 0) {
        const int flags
            = (ct.type == OraType::Char ? emit::kStoreTextPadded : 0) | (ct.byteSemantics ? emit::kStoreTextBytes : 0);
        sql = "ORA_STORE_TEXT(" + sql + ", " + std::to_string(ct.size) + ", " + std::to_string(flags) + ", " + name
            + ")";
    }
    if (!ct.nullable)
        sql = "ORA_STORE_NOTNULL(" + sql + ", " + name + ", " + (isUpdate ? "1" : "0") + ")";
    return sql;
}

namespace {
// The DEFAULT of a column as a bound expression: Oracle stores the text and evaluates it per row.
BExpr defaultValue(BinderImpl& b, const ColumnInfo& c)
{
    BExpr r;
    r.sql = "NULL";
    r.type = ExprType::nullLiteral();
    if (!c.defaultText || c.defaultText->empty())
        return r;
    const std::string text = "SELECT " + *c.defaultText + " FROM DUAL";
    auto parsed = sql::parse(text);
    const auto* select = parsed.ok() ? parsed.statement->as<sql::SelectStmt>() : nullptr;
    const auto* blk = select ? select->query->body->as<sql::QueryBlock>() : nullptr;
    if (!blk || blk->items.size() != 1 || !blk->items[0].expr)
        return r;
    BinderImpl inner(text, b.catalog, b.context);
    Scope scope;
    scope.sequenceAllowed = true;
    r = inner.expr(*blk->items[0].expr, scope);
    if (!inner.params.empty())
        b.fail(1008, "not all variables bound", -1);
    return r;
}
} // namespace

namespace {
// DEFAULT ON NULL (and an identity column BY DEFAULT ON NULL): an INSERT's NULL takes the column's DEFAULT.
// SQLite evaluates coalesce's arguments lazily, so a sequence in the DEFAULT advances only for the NULLs.
BExpr nullTakesDefault(BinderImpl& b, const ColumnInfo& c, const BExpr& value)
{
    if (!c.defaultOnNull)
        return value;
    BExpr d = defaultValue(b, c);
    if (value.type.isNull)
        return d;
    OraType to = c.type.type;
    if (to == OraType::Char || to == OraType::Long)
        to = OraType::Varchar2;
    const bool convertible
        = to == OraType::Number || to == OraType::Date || to == OraType::Varchar2 || to == OraType::Clob;
    BExpr r = convertible ? b.converted(value, to, -1) : value;
    r.sql = "coalesce(" + r.sql + ", " + (convertible ? b.converted(d, to, -1).sql : d.sql) + ")";
    return r;
}
} // namespace

// A value given for a generated column: GENERATED ALWAYS AS IDENTITY takes none (ORA-32795), a virtual column
// none either (ORA-54013); DEFAULT is allowed for both.
void BinderImpl::checkGeneratedInsert(const ColumnInfo& c, bool isDefault, int offset)
{
    if (isDefault)
        return;
    if (c.identityAlways)
        fail(32795, "cannot insert into a generated always identity column", offset);
    if (c.virtualColumn)
        fail(54013, "INSERT operation disallowed on virtual columns", offset);
}

std::string BinderImpl::dmlWhere(const sql::Expr* where, Scope& scope)
{
    if (!where)
        return {};
    std::vector<const sql::Expr*> conjuncts;
    std::vector<const sql::Expr*> stack { where };
    while (!stack.empty()) {
        const sql::Expr* e = stack.back();
        stack.pop_back();
        if (const auto* b = e->as<sql::BinaryExpr>(); b && b->op == sql::BinaryExpr::Op::And) {
            stack.push_back(b->right.get());
            stack.push_back(b->left.get());
        } else {
            conjuncts.push_back(e);
        }
    }
    std::string limit, cond;
    bool never = false;
    for (const sql::Expr* c : conjuncts) {
        if (rownumBound(*c, scope, limit, never))
            continue;
        cond += (cond.empty() ? "" : " AND ") + expr(*c, scope).sql;
    }
    if (never)
        return "0";
    if (limit.empty())
        return cond;
    // DELETE ... WHERE ROWNUM <= n: the first n rows that meet the other conditions. The subquery's alias is the
    // target's, so the conditions read its rows.
    const Source& t = scope.sources[0];
    return t.rownoSql + " IN (SELECT " + t.rownoSql + " FROM " + t.fromSql + (cond.empty() ? "" : " WHERE " + cond)
        + " LIMIT " + limit + ")";
}

void BinderImpl::returning(const sql::Returning& r, Scope& scope, BoundStatement& out)
{
    if (r.exprs.size() > r.into.size())
        fail(947, "not enough values", r.offset);
    if (r.exprs.size() < r.into.size())
        fail(913, "too many values", r.offset);
    std::string s;
    for (size_t i = 0; i < r.exprs.size(); ++i) {
        BExpr e = expr(*r.exprs[i], scope);
        ReturningItem item;
        item.column = types::describe(r.into[i]->name, e.type);
        item.bindName = r.into[i]->name;
        out.returning.push_back(item);
        s += (s.empty() ? "" : ", ") + e.sql;
    }
    out.sql += " RETURNING " + s;
}

void BinderImpl::insert(const sql::InsertStmt& s, BoundStatement& out)
{
    const TableInfo t = dmlTable(s.table, AccessKind::Insert);
    std::vector<const ColumnInfo*> cols;
    if (s.columns.empty()) {
        for (const auto& c : t.columns)
            if (!c.hidden)
                cols.push_back(&c);
    } else {
        for (const auto& id : s.columns) {
            const ColumnInfo* c = findColumn(t, id.name);
            if (!c)
                fail(904, "\"" + id.name + "\": invalid identifier", id.offset);
            if (std::find(cols.begin(), cols.end(), c) != cols.end())
                fail(957, "duplicate column name", id.offset);
            cols.push_back(c);
        }
    }
    for (const ColumnInfo* c : cols) // a grant on some columns allows an INSERT naming only those
        accesses[dmlAccessIndex].columns.push_back(c->name);
    Scope empty;
    empty.sequenceAllowed = true;
    empty.columnsNotAllowed = true;
    std::vector<std::string> names, values;
    std::string subSql;
    if (s.query) {
        sequenceBlock = s.query->body->as<sql::QueryBlock>();
        BlockResult sub = query(*s.query, nullptr, false, nullptr);
        subSql = sub.sql;
        if (sub.types.size() > cols.size())
            fail(913, "too many values", s.query->offset);
        if (sub.types.size() < cols.size())
            fail(947, "not enough values", s.query->offset);
        for (size_t i = 0; i < cols.size(); ++i) {
            BExpr v;
            v.type = sub.types[i];
            v.sql = "q_.c" + std::to_string(i + 1);
            checkGeneratedInsert(*cols[i], false, s.query->offset);
            v = nullTakesDefault(*this, *cols[i], v);
            names.push_back(emit::quoteIdent(cols[i]->physicalName));
            values.push_back(storeValue(t, *cols[i], v, false, s.query->offset));
        }
    } else {
        if (s.values.size() > cols.size())
            fail(913, "too many values", s.values[cols.size()] ? s.values[cols.size()]->offset : s.offset);
        if (s.values.size() < cols.size())
            fail(947, "not enough values", s.offset);
        for (size_t i = 0; i < cols.size(); ++i) {
            const bool isDefault = i < s.valueIsDefault.size() && s.valueIsDefault[i];
            checkGeneratedInsert(*cols[i], isDefault || !s.values[i], s.values[i] ? s.values[i]->offset : s.offset);
            if (cols[i]->virtualColumn)
                continue;
            BExpr v = isDefault || !s.values[i] ? defaultValue(*this, *cols[i]) : expr(*s.values[i], empty);
            if (!isDefault && s.values[i])
                v = nullTakesDefault(*this, *cols[i], v);
            names.push_back(emit::quoteIdent(cols[i]->physicalName));
            values.push_back(storeValue(t, *cols[i], v, false, s.values[i] ? s.values[i]->offset : s.offset));
        }
    }
    // Columns left out take their DEFAULT; a NOT NULL one without a default fails as Oracle fails.
    for (const auto& c : t.columns) {
        if ((c.hidden && !c.outsideView) || c.virtualColumn || std::find(cols.begin(), cols.end(), &c) != cols.end())
            continue;
        if (!c.defaultText && c.type.nullable)
            continue;
        BExpr v = defaultValue(*this, c);
        names.push_back(emit::quoteIdent(c.physicalName));
        values.push_back(storeValue(t, c, v, false, s.offset));
    }
    std::string list, vals;
    for (size_t i = 0; i < names.size(); ++i) {
        list += (i ? ", " : "") + names[i];
        vals += (i ? ", " : "") + values[i];
    }
    const std::string into = "INSERT INTO " + emit::quoteIdent(t.physicalName);
    if (names.empty())
        out.sql = into + " DEFAULT VALUES";
    else if (s.query) {
        // WHERE 1 keeps SQLite from reading "ON" of an upsert after the FROM subquery.
        out.sql = into + " (" + list + ") SELECT " + vals + " FROM (" + subSql + ") AS q_ WHERE 1";
    } else
        out.sql = into + " (" + list + ") VALUES (" + vals + ")";
    RowLockTarget target;
    target.table = t.object;
    target.physicalName = t.physicalName;
    target.rowNumberColumn = t.rowNumberColumn;
    out.dmlTarget = target;
    if (s.returning) {
        Scope scope;
        scope.sources.push_back(dmlSource(t, s.alias, ""));
        returning(*s.returning, scope, out);
    }
}

void BinderImpl::update(const sql::UpdateStmt& s, BoundStatement& out)
{
    const TableInfo t = dmlTable(s.table, AccessKind::Update, s.where != nullptr);
    Scope scope;
    const std::string alias = newAlias();
    scope.sources.push_back(dmlSource(t, s.alias, alias));
    std::vector<const ColumnInfo*> done;
    std::string sets;
    for (const auto& set : s.sets) {
        std::vector<const ColumnInfo*> cols;
        for (const auto& id : set.columns) {
            const ColumnInfo* c = findColumn(t, id.name);
            if (!c)
                fail(904, "\"" + id.name + "\": invalid identifier", id.offset);
            if (std::find(done.begin(), done.end(), c) != done.end())
                fail(957, "duplicate column name", id.offset);
            if (c->identityAlways)
                fail(32796, "cannot update a generated always identity column", id.offset);
            if (c->virtualColumn)
                fail(54017, "UPDATE operation disallowed on virtual columns", id.offset);
            done.push_back(c);
            cols.push_back(c);
            accesses[dmlAccessIndex].columns.push_back(c->name);
        }
        if (cols.size() == 1) {
            scope.sequenceAllowed = true;
            BExpr v = set.isDefault || !set.value ? defaultValue(*this, *cols[0]) : expr(*set.value, scope);
            scope.sequenceAllowed = false;
            sets += (sets.empty() ? "" : ", ") + emit::quoteIdent(cols[0]->physicalName) + " = "
                + storeValue(t, *cols[0], v, true, set.value ? set.value->offset : set.offset);
            continue;
        }
        const auto* sq = set.value ? set.value->as<sql::SubqueryExpr>() : nullptr;
        if (!sq)
            fail(907, "missing right parenthesis", set.offset);
        BlockResult sub = query(*sq->query, &scope, false, nullptr);
        if (sub.types.size() > cols.size())
            fail(913, "too many values", set.value->offset);
        if (sub.types.size() < cols.size())
            fail(947, "not enough values", set.value->offset);
        for (size_t i = 0; i < cols.size(); ++i) {
            BExpr v;
            v.type = sub.types[i];
            v.sql = "(SELECT CASE WHEN COUNT(*) > 1 THEN ORA_RAISE_ERROR(1427, 'single-row subquery returns more "
                    "than one row') ELSE MAX(q_.c"
                + std::to_string(i + 1) + ") END FROM (SELECT * FROM (" + sub.sql + ") LIMIT 2) AS q_)";
            sets += (sets.empty() ? "" : ", ") + emit::quoteIdent(cols[i]->physicalName) + " = "
                + storeValue(t, *cols[i], v, true, set.value->offset);
        }
    }
    const std::string where = withViewCondition(dmlWhere(s.where.get(), scope), viewCondition(alias));
    const std::string head = "UPDATE " + scope.sources[0].fromSql + " SET " + sets;
    finishDml(t, scope.sources[0], head, where, s.alias, s.returning, out);
}

// The end of an UPDATE or DELETE: the statement itself, the query of the rows it will touch (for row locks), the
// same statement restricted to the rows that were locked, and RETURNING.
void BinderImpl::finishDml(const TableInfo& t, const Source& target, const std::string& head, const std::string& where,
    const std::optional<sql::Identifier>& alias, const std::optional<sql::Returning>& ret, BoundStatement& out)
{
    out.sql = head + (where.empty() ? "" : " WHERE " + where);
    RowLockTarget lock;
    lock.table = t.object;
    lock.physicalName = t.physicalName;
    lock.rowNumberColumn = t.rowNumberColumn;
    lock.rowsSql = "SELECT " + target.rownoSql + " FROM " + target.fromSql + (where.empty() ? "" : " WHERE " + where);
    out.dmlTarget = lock;
    out.restrictedSql = head + " WHERE " + target.rownoSql + " IN (SELECT R FROM " + kDmlRowsTable + ")"
        + (where.empty() ? "" : " AND " + where);
    if (ret) {
        Scope rs;
        rs.sources.push_back(dmlSource(t, alias, ""));
        const std::string plain = out.sql;
        returning(*ret, rs, out);
        out.restrictedSql += out.sql.substr(plain.size());
    }
}

void BinderImpl::remove(const sql::DeleteStmt& s, BoundStatement& out)
{
    const TableInfo t = dmlTable(s.table, AccessKind::Delete, s.where != nullptr);
    Scope scope;
    const std::string alias = newAlias();
    scope.sources.push_back(dmlSource(t, s.alias, alias));
    std::string where = withViewCondition(dmlWhere(s.where.get(), scope), viewCondition(alias));
    if (!dmlRowsFilter.empty())
        where = (where.empty() ? "" : "(" + where + ") AND ") + scope.sources[0].rownoSql + " IN (SELECT R FROM "
            + dmlRowsFilter + ")";
    const std::string head = "DELETE FROM " + scope.sources[0].fromSql;
    finishDml(t, scope.sources[0], head, where, s.alias, s.returning, out);
}

StatementKind kindOf(sql::StatementKind k)
{
    switch (k) {
    case sql::StatementKind::Select:
        return StatementKind::Select;
    case sql::StatementKind::Insert:
        return StatementKind::Insert;
    case sql::StatementKind::Update:
        return StatementKind::Update;
    case sql::StatementKind::Delete:
        return StatementKind::Delete;
    case sql::StatementKind::Merge:
        return StatementKind::Update;
    case sql::StatementKind::MultiInsert:
        return StatementKind::Insert;
    case sql::StatementKind::LockTable:
        return StatementKind::LockTable;
    case sql::StatementKind::Commit:
        return StatementKind::Commit;
    case sql::StatementKind::Rollback:
        return StatementKind::Rollback;
    case sql::StatementKind::Savepoint:
        return StatementKind::Savepoint;
    case sql::StatementKind::SetTransaction:
        return StatementKind::SetTransaction;
    case sql::StatementKind::AlterSession:
        return StatementKind::AlterSession;
    case sql::StatementKind::PlSql:
        return StatementKind::PlSql;
    case sql::StatementKind::ExplainPlan:
        return StatementKind::Other;
    default:
        return StatementKind::Ddl;
    }
}

void finish(BinderImpl& b, BoundStatement& out)
{
    out.params = b.params;
    out.dependsOn.assign(b.dependsOn.begin(), b.dependsOn.end());
    out.accesses = b.accesses;
}

} // namespace detail

StatementKind statementKindOf(sql::StatementKind kind) { return detail::kindOf(kind); }

BoundStatementPtr bindStatement(const sql::Statement& statement, std::string_view text, const CatalogLookup& catalog,
    const SessionContext& context, const ExternalNames* external)
{
    detail::BinderImpl b(text, catalog, context);
    b.external = external;
    auto out = std::make_shared<BoundStatement>();
    out->kind = detail::kindOf(statement.kind);
    switch (statement.kind) {
    case sql::StatementKind::Select: {
        const auto& s = *statement.as<sql::SelectStmt>();
        detail::BlockResult r = b.query(*s.query, nullptr, true, out.get());
        out->sql = r.sql;
        for (size_t i = 0; i < r.types.size(); ++i)
            out->columns.push_back(types::describe(r.names[i], r.types[i]));
        break;
    }
    case sql::StatementKind::Insert:
        b.insert(*statement.as<sql::InsertStmt>(), *out);
        break;
    case sql::StatementKind::Update:
        b.update(*statement.as<sql::UpdateStmt>(), *out);
        break;
    case sql::StatementKind::Delete:
        b.remove(*statement.as<sql::DeleteStmt>(), *out);
        break;
    case sql::StatementKind::Merge:
    case sql::StatementKind::MultiInsert:
        bindCompound(statement, text, catalog, context, external, *out);
        return out;
    case sql::StatementKind::LockTable:
        for (const auto& name : statement.as<sql::LockTableStmt>()->tables) {
            const TableInfo t = b.dmlTable(name);
            RowLockTarget target;
            target.table = t.object;
            target.physicalName = t.physicalName;
            target.rowNumberColumn = t.rowNumberColumn;
            out->lockTargets.push_back(target);
        }
        out->nowait = statement.as<sql::LockTableStmt>()->nowait;
        break;
    default:
        break;
    }
    detail::finish(b, *out);
    if (b.dmlViewCheckOption && (out->kind == StatementKind::Insert || out->kind == StatementKind::Update))
        return checkedThroughView(b, out);
    return out;
}

BoundStatementPtr bindQuery(
    const sql::Query& query, std::string_view text, const CatalogLookup& catalog, const SessionContext& context)
{
    detail::BinderImpl b(text, catalog, context);
    auto out = std::make_shared<BoundStatement>();
    out->kind = StatementKind::Select;
    detail::BlockResult r = b.query(query, nullptr, false, nullptr);
    out->sql = r.sql;
    for (size_t i = 0; i < r.types.size(); ++i)
        out->columns.push_back(types::describe(r.names[i], r.types[i]));
    detail::finish(b, *out);
    return out;
}

TableExpression bindTableExpression(const sql::Expr& expr, std::string_view text, const TableInfo& table,
    const CatalogLookup& catalog, const SessionContext& context, bool sequenceAllowed)
{
    detail::BinderImpl b(text, catalog, context);
    detail::Scope scope;
    scope.sequenceAllowed = sequenceAllowed;
    scope.sources.push_back(detail::targetSource(table, std::nullopt, ""));
    b.bindVirtualColumns(scope.sources.back());
    detail::BExpr e = b.expr(expr, scope);
    return { e.sql, e.type };
}

} // namespace engine::bind

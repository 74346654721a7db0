// Indexes, sequences, views, synonyms, comments and RENAME.
#include "engine/bind/binder.h"
#include "engine/exec/ddl_identity.h"
#include "engine/exec/ddl_support.h"
#include "engine/exec/virtual_columns.h"
#include "engine/priv/ddl_rights.h"
#include "engine/priv/privileges.h"
#include "engine/session/connection.h"
#include "engine/session/session_state.h"
#include "engine/sql/parser.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <set>

namespace engine::exec {

using catalog::ColumnRow;
using storage::quoteIdent;
using storage::Stmt;

namespace {

void checkFreeName(DdlContext& ctx, int64_t ownerId, const sql::Identifier& name, int nameSpace)
{
    if (name.name.size() > 30)
        throw oraError(972, "identifier is too long", name.offset);
    if (catalog::Catalog(ctx.s.conn).object(ownerId, name.name, nameSpace))
        throw oraError(955, "name is already used by an existing object", name.offset);
}

} // namespace

void createIndex(DdlContext& ctx, const sql::CreateIndexStmt& st)
{
    catalog::UserRow owner = ownerOf(ctx, st.index);
    checkFreeName(ctx, owner.id, st.index.name, 4);
    {
        // A view exists but cannot carry an index: ORA-00942 would tell the user it is missing.
        auto target = lookupOf(ctx).resolveObject(
            st.table.schema ? st.table.schema->name : "", st.table.name.name, ctx.s.schema, !st.table.schema);
        if (target && target->type == catalog::kTypeView && !st.table.dblink)
            throw oraError(1702, "a view is not appropriate here", st.table.name.offset);
    }
    catalog::ObjectRow table = tableForDdl(ctx, st.table);
    catalog::Catalog cat(ctx.s.conn);
    auto cols = cat.columns(table.id);
    std::vector<int> nos;
    std::string list;
    std::vector<std::string> pieces;
    std::vector<std::string> suffixes;
    catalog::Lookup lookup = lookupOf(ctx);
    auto info = tableInfo(ctx, table);
    for (const sql::IndexColumn& ic : st.columns) {
        auto* ref = ic.expr ? ic.expr->as<sql::ColumnRefExpr>() : nullptr;
        std::string piece;
        if (ref) {
            auto e = bind::bindTableExpression(*ic.expr, ctx.text, info, lookup, sessionContextOf(ctx));
            for (const ColumnRow& c : cols)
                if (e.sql == quoteIdent(c.physicalName) || e.sql == c.physicalName
                    || (c.virtualColumn && c.name == ref->column().name))
                    nos.push_back(c.col);
            piece = e.sql;
        } else if (ic.expr) {
            // A function-based index: its expression becomes a hidden virtual column, which SQLite indexes as
            // the expression.
            nos.push_back(functionIndexColumn(ctx, table, *ic.expr, ic.offset, ic.text));
            cols = cat.columns(table.id);
            info = tableInfo(ctx, table);
            piece = bind::bindTableExpression(*ic.expr, ctx.text, info, lookup, sessionContextOf(ctx)).sql;
        } else {
            throw oraError(3001, "unimplemented feature: function-based indexes", ic.offset);
        }
        if (std::count(nos.begin(), nos.end(), nos.empty() ? 0 : nos.back()) > 1)
            throw oraError(957, "duplicate column name", ic.offset);
        list += (list.empty() ? "" : ", ") + piece + (ic.descending ? " DESC" : "");
        pieces.push_back(piece);
        suffixes.push_back(ic.descending ? " DESC" : "");
    }
    for (int64_t idx : cat.indexesOf(table.id))
        if (cat.indexColumns(idx) == nos)
            throw oraError(1408, "such column list already indexed", st.offset);
    int64_t id = cat.addObject(owner.id, st.index.name.name, catalog::kTypeIndex);
    cat.addIndex(id, table.id, st.unique, nos);
    std::string sql = st.unique ? uniqueIndexSql(catalog::physicalIndexName(id), table.id, pieces, suffixes)
                                : "CREATE INDEX " + quoteIdent(catalog::physicalIndexName(id)) + " ON "
            + quoteIdent(catalog::physicalTableName(table.id)) + " (" + list + ")";
    try {
        storage::exec(ctx.s.conn, sql);
    } catch (const Error& e) {
        if (st.unique && e.message().find("UNIQUE") != std::string::npos)
            throw oraError(1452, "cannot CREATE UNIQUE INDEX; duplicate keys found", st.offset);
        if (e.message().find("non-deterministic") != std::string::npos)
            throw oraError(30553, "The function is not deterministic", st.offset);
        throw;
    }
}

static catalog::ObjectRow indexNamed(DdlContext& ctx, const sql::ObjectName& name)
{
    catalog::Catalog cat(ctx.s.conn);
    std::string ownerName = name.schema ? name.schema->name : ctx.s.schema;
    auto owner = cat.user(ownerName);
    auto obj = owner ? cat.object(owner->id, name.name.name, 4) : std::nullopt;
    if (!obj)
        throw oraError(1418, "specified index does not exist", name.name.offset);
    return *obj;
}

void dropIndex(DdlContext& ctx, const sql::DropIndexStmt& st)
{
    catalog::ObjectRow idx = indexNamed(ctx, st.index);
    Stmt s(ctx.s.conn, R"(SELECT 1 FROM "CDEF$" WHERE "ENABLED_IDX#" = ?1)");
    s.bind(1, idx.id);
    if (s.step())
        throw oraError(2429, "cannot drop index used for enforcement of unique/primary key", st.index.name.offset);
    Stmt bo(ctx.s.conn, R"(SELECT "BO#" FROM "IND$" WHERE "OBJ#" = ?1)");
    bo.bind(1, idx.id);
    const int64_t tableId = bo.step() ? bo.int64(0) : 0;
    bo.reset();
    dropIndexObject(ctx, idx.id);
    if (tableId)
        dropUnusedIndexColumns(ctx, tableId);
}

void alterIndex(DdlContext& ctx, const sql::AlterIndexStmt& st)
{
    catalog::ObjectRow idx = indexNamed(ctx, st.index);
    if (st.action == sql::AlterIndexStmt::Action::RenameTo) {
        checkFreeName(ctx, idx.ownerId, *st.newName, 4);
        catalog::Catalog(ctx.s.conn).renameObject(idx.id, st.newName->name);
    } else if (st.action == sql::AlterIndexStmt::Action::Rebuild) {
        storage::exec(ctx.s.conn, "REINDEX " + quoteIdent(catalog::physicalIndexName(idx.id)));
    }
}

// ---------------------------------------------------------------------------------------------------------------

namespace {

constexpr int64_t kNoMax = LLONG_MAX; // the engine's numbers end at 64 bits; Oracle's default is 10^28 - 1

int64_t sequenceNumber(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno == ERANGE || !end || *end)
        throw oraError(1722, "invalid number");
    return v;
}

struct SequenceDef {
    int64_t increment = 1;
    int64_t minValue = 1;
    int64_t maxValue = kNoMax;
    bool cycle = false;
    bool order = false;
    int64_t cache = 20;
    int64_t start = 1;
};

void applyOptions(SequenceDef& d, const sql::SequenceOptions& o, bool creating)
{
    if (o.incrementBy) {
        d.increment = sequenceNumber(*o.incrementBy);
        if (d.increment == 0)
            throw oraError(4002, "INCREMENT must be a non-zero integer");
    }
    if (creating) {
        d.minValue = d.increment > 0 ? 1 : -kNoMax;
        d.maxValue = d.increment > 0 ? kNoMax : -1;
    }
    if (o.minValue)
        d.minValue = sequenceNumber(*o.minValue);
    if (o.noMinValue)
        d.minValue = d.increment > 0 ? 1 : -kNoMax;
    if (o.maxValue)
        d.maxValue = sequenceNumber(*o.maxValue);
    if (o.noMaxValue)
        d.maxValue = d.increment > 0 ? kNoMax : -1;
    if (o.cycle)
        d.cycle = *o.cycle;
    if (o.order)
        d.order = *o.order;
    if (o.cache) {
        d.cache = sequenceNumber(*o.cache);
        if (d.cache < 2)
            throw oraError(4010, "the number of values to CACHE must be greater than 1");
    }
    if (o.noCache)
        d.cache = 1;
    if (d.minValue >= d.maxValue)
        throw oraError(4004, "MINVALUE must be less than MAXVALUE");
    if (d.cycle && d.cache > 1) {
        // A cycling sequence cannot cache more values than one cycle holds.
        long double span = static_cast<long double>(d.maxValue) - static_cast<long double>(d.minValue);
        long double perCycle = std::ceil(span / std::fabs(static_cast<long double>(d.increment)));
        if (static_cast<long double>(d.cache) > perCycle)
            throw oraError(4013, "number to CACHE must be less than one cycle");
    }
    if (creating) {
        d.start = o.startWith ? sequenceNumber(*o.startWith) : (d.increment > 0 ? d.minValue : d.maxValue);
        if (d.start < d.minValue)
            throw oraError(4006, "START WITH cannot be less than MINVALUE");
        if (d.start > d.maxValue)
            throw oraError(4008, "START WITH cannot be more than MAXVALUE");
    }
}

catalog::ObjectRow sequenceNamed(DdlContext& ctx, const sql::ObjectName& name)
{
    catalog::Lookup lookup = lookupOf(ctx);
    auto obj = lookup.resolveObject(name.schema ? name.schema->name : "", name.name.name, ctx.s.schema, false);
    if (!obj || obj->type != catalog::kTypeSequence)
        throw oraError(2289, "sequence does not exist", name.name.offset);
    return *obj;
}

} // namespace

int64_t addSequence(DdlContext& ctx, int64_t ownerId, const std::string& name, const sql::SequenceOptions& options)
{
    SequenceDef d;
    applyOptions(d, options, true);
    catalog::Catalog cat(ctx.s.conn);
    int64_t id = cat.addObject(ownerId, name, catalog::kTypeSequence);
    Stmt s(ctx.s.conn, R"(INSERT INTO "SEQ$" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8))");
    s.bind(1, id).bind(2, d.increment).bind(3, d.minValue).bind(4, d.maxValue).bind(5, d.cycle ? 1 : 0);
    s.bind(6, d.order ? 1 : 0).bind(7, d.cache).bind(8, d.start).run();
    return id;
}

void createSequence(DdlContext& ctx, const sql::CreateSequenceStmt& st)
{
    catalog::UserRow owner = ownerOf(ctx, st.sequence);
    checkFreeName(ctx, owner.id, st.sequence.name, 1);
    addSequence(ctx, owner.id, st.sequence.name.name, st.options);
}

void alterSequence(DdlContext& ctx, const sql::AlterSequenceStmt& st)
{
    if (st.options.startWith)
        throw oraError(2283, "cannot alter starting sequence number", st.offset);
    catalog::ObjectRow seq = sequenceNamed(ctx, st.sequence);
    if (isIdentitySequence(ctx, seq))
        throw oraError(32793, "cannot alter a system-generated sequence", st.sequence.name.offset);
    SequenceDef d;
    Stmt q(ctx.s.conn,
        R"(SELECT "INCREMENT$", "MINVALUE", "MAXVALUE", "CYCLE#", "ORDER$", "CACHE", "HIGHWATER" FROM "SEQ$" WHERE "OBJ#" = ?1)");
    q.bind(1, seq.id);
    q.step();
    d.increment = q.int64(0);
    d.minValue = q.int64(1);
    d.maxValue = q.int64(2);
    d.cycle = q.int64(3) != 0;
    d.order = q.int64(4) != 0;
    d.cache = q.int64(5);
    int64_t next = q.int64(6);
    q.reset();
    std::optional<int64_t> last; // the value handed out last, when this process handed one out
    {
        // Values cached but not handed out are given up, as Oracle does on ALTER SEQUENCE.
        std::lock_guard lk(ctx.s.db->sequencesMutex);
        auto it = ctx.s.db->sequences.find(seq.id);
        if (it != ctx.s.db->sequences.end()) {
            next = it->second.next;
            last = next - it->second.increment;
        }
    }
    applyOptions(d, st.options, false);
    // Oracle goes on from the last value given plus the new increment (the reset idiom
    // "INCREMENT BY -n; NEXTVAL; INCREMENT BY 1" relies on it), not from a next value worked out with the old one.
    if (last)
        next = *last + d.increment;
    if (d.maxValue < next - (d.increment > 0 ? d.increment : 0) && d.increment > 0)
        throw oraError(4009, "MAXVALUE cannot be made to be less than the current value");
    Stmt u(ctx.s.conn, R"(UPDATE "SEQ$" SET "INCREMENT$" = ?2, "MINVALUE" = ?3, "MAXVALUE" = ?4, "CYCLE#" = ?5,
        "ORDER$" = ?6, "CACHE" = ?7, "HIGHWATER" = ?8 WHERE "OBJ#" = ?1)");
    u.bind(1, seq.id).bind(2, d.increment).bind(3, d.minValue).bind(4, d.maxValue).bind(5, d.cycle ? 1 : 0);
    u.bind(6, d.order ? 1 : 0).bind(7, d.cache).bind(8, next).run();
    session::dropSequenceCache(ctx.s, seq.id);
    catalog::Catalog(ctx.s.conn).touchObject(seq.id);
}

void dropSequence(DdlContext& ctx, const sql::DropSequenceStmt& st)
{
    catalog::ObjectRow seq = sequenceNamed(ctx, st.sequence);
    if (isIdentitySequence(ctx, seq))
        throw oraError(32794, "cannot drop a system-generated sequence", st.sequence.name.offset);
    invalidateDependents(ctx, seq.id);
    catalog::Catalog(ctx.s.conn).removeObject(seq.id);
    session::dropSequenceCache(ctx.s, seq.id);
}

// ---------------------------------------------------------------------------------------------------------------

void createView(DdlContext& ctx, const sql::CreateViewStmt& st)
{
    catalog::UserRow owner = ownerOf(ctx, st.view);
    catalog::Catalog cat(ctx.s.conn);
    auto existing = cat.object(owner.id, st.view.name.name, 1);
    if (existing && (!st.orReplace || existing->type != catalog::kTypeView))
        throw oraError(955, "name is already used by an existing object", st.view.name.offset);

    std::vector<std::string> names;
    std::vector<ColumnDesc> described;
    std::vector<int64_t> depends;
    bool valid = true;
    try {
        catalog::Lookup lookup = lookupOf(ctx);
        bind::SessionContext sc { owner.name, ctx.s.user, priv::visibility(ctx.s),
            sessionContextOf(ctx).storedFunction, sessionContextOf(ctx).collectionFunction };
        auto q = bind::bindQuery(*st.query, ctx.text, lookup, sc);
        priv::checkViewQuery(ctx.s, owner.name, *q);
        if (!q->params.empty())
            throw oraError(1027, "bind variables not allowed for data definition operations", st.queryOffset);
        if (!st.columns.empty() && st.columns.size() != q->columns.size())
            throw oraError(1730, "invalid number of column names specified", st.view.offset);
        for (size_t i = 0; i < q->columns.size(); ++i) {
            if (st.columns.empty() && !plainIdentifier(q->columns[i].name))
                throw oraError(998, "must name this expression with a column alias", st.queryOffset);
            names.push_back(st.columns.empty() ? q->columns[i].name : st.columns[i].name);
        }
        std::set<std::string> seen;
        for (const std::string& n : names)
            if (!seen.insert(n).second)
                throw oraError(957, "duplicate column name", st.view.offset);
        depends = q->dependsOn;
        described = q->columns;
    } catch (const Error&) {
        if (!st.force)
            throw;
        valid = false;
        for (const sql::Identifier& c : st.columns)
            names.push_back(c.name);
        ctx.warning = "ORA-24344: success with compilation error";
    }
    int64_t id;
    if (existing) {
        id = existing->id;
        for (const char* sql :
            { R"(DELETE FROM "VIEW$" WHERE "OBJ#" = ?1)", R"(DELETE FROM "DEPENDENCY$" WHERE "D_OBJ#" = ?1)" }) {
            Stmt d(ctx.s.conn, sql);
            d.bind(1, id).run();
        }
        cat.setViewColumns(id, {});
        cat.touchObject(id);
        cat.setStatus(id, valid ? catalog::kStatusValid : catalog::kStatusInvalid);
        invalidateDependents(ctx, id);
    } else {
        id = cat.addObject(
            owner.id, st.view.name.name, catalog::kTypeView, valid ? catalog::kStatusValid : catalog::kStatusInvalid);
    }
    // The columns as the view was created: Oracle expands a * of the defining query then, so columns added to a
    // table later do not join the view until it is created again.
    std::string colNames;
    for (size_t i = 0; i < names.size(); ++i)
        colNames += (i ? "\n" : "") + names[i];
    Stmt v(ctx.s.conn, R"(INSERT INTO "VIEW$" ("OBJ#", "TEXTLENGTH", "TEXT", "COLS", "COLNAMES", "PROPERTY")
        VALUES (?1, ?2, ?3, ?4, ?5, ?6))");
    v.bind(1, id).bind(2, static_cast<int64_t>(st.queryText.size())).bind(3, st.queryText);
    v.bind(4, static_cast<int64_t>(names.size())).bind(5, colNames).bind(6, (st.withReadOnly ? 1 : 0) | (st.withCheckOption ? 2 : 0)).run();
    Stmt dep(ctx.s.conn, R"(INSERT OR IGNORE INTO "DEPENDENCY$" VALUES (?1, ?2))");
    for (int64_t p : depends)
        if (p != id)
            dep.bind(1, id).bind(2, p).run();
    std::vector<ColumnDesc> viewColumns;
    for (size_t i = 0; i < described.size() && i < names.size(); ++i) {
        viewColumns.push_back(described[i]);
        viewColumns.back().name = names[i];
    }
    cat.setViewColumns(id, viewColumns);
}

void dropView(DdlContext& ctx, const sql::DropViewStmt& st)
{
    catalog::Lookup lookup = lookupOf(ctx);
    auto obj = lookup.resolveObject(st.view.schema ? st.view.schema->name : "", st.view.name.name, ctx.s.schema, false);
    if (!obj || obj->type != catalog::kTypeView || (!st.view.schema && obj->ownerId == catalog::kPublicUser))
        throw oraError(942, "table or view does not exist", st.view.name.offset);
    invalidateDependents(ctx, obj->id);
    catalog::Catalog(ctx.s.conn).removeObject(obj->id);
}

void alterViewCompile(DdlContext& ctx, const sql::AlterCodeStmt& st)
{
    catalog::Lookup lookup = lookupOf(ctx);
    auto obj = lookup.resolveObject(st.name.schema ? st.name.schema->name : "", st.name.name.name, ctx.s.schema, false);
    if (!obj || obj->type != catalog::kTypeView || (!st.name.schema && obj->ownerId == catalog::kPublicUser))
        throw oraError(942, "table or view does not exist", st.name.name.offset);
    bind::ObjectRef ref;
    ref.objectId = obj->id;
    ref.owner = obj->owner;
    ref.name = obj->name;
    ref.kind = bind::ObjectKind::View;
    auto view = lookup.view(ref);
    if (!view)
        throw oraError(942, "table or view does not exist", st.name.name.offset);
    catalog::Catalog cat(ctx.s.conn);
    std::vector<ColumnDesc> viewColumns;
    std::vector<int64_t> depends;
    bool valid = true;
    try {
        // The stored query, bound as CREATE VIEW binds it: its names resolve in the owner's schema, and it must
        // still give the columns the view was created with.
        sql::ParseResult parsed = sql::parse(view->queryText);
        const auto* select = parsed.ok() ? parsed.statement->as<sql::SelectStmt>() : nullptr;
        if (!select)
            throw oraError(4063, "view has errors", st.name.name.offset);
        bind::SessionContext sc { obj->owner, ctx.s.user, priv::visibility(ctx.s),
            sessionContextOf(ctx).storedFunction, sessionContextOf(ctx).collectionFunction };
        auto q = bind::bindQuery(*select->query, view->queryText, lookup, sc);
        priv::checkViewQuery(ctx.s, obj->owner, *q);
        if (!view->columnNames.empty() && q->columns.size() < view->columnNames.size())
            throw oraError(4063, "view has errors", st.name.name.offset);
        depends = q->dependsOn;
        for (size_t i = 0; i < q->columns.size() && (view->columnNames.empty() || i < view->columnNames.size());
             ++i) {
            viewColumns.push_back(q->columns[i]);
            if (!view->columnNames.empty())
                viewColumns.back().name = view->columnNames[i];
        }
    } catch (const Error&) {
        valid = false;
        ctx.warning = "ORA-24344: success with compilation error";
    }
    cat.touchObject(obj->id);
    cat.setStatus(obj->id, valid ? catalog::kStatusValid : catalog::kStatusInvalid);
    if (!valid)
        return;
    Stmt d(ctx.s.conn, R"(DELETE FROM "DEPENDENCY$" WHERE "D_OBJ#" = ?1)");
    d.bind(1, obj->id).run();
    Stmt dep(ctx.s.conn, R"(INSERT OR IGNORE INTO "DEPENDENCY$" VALUES (?1, ?2))");
    for (int64_t p : depends)
        if (p != obj->id)
            dep.bind(1, obj->id).bind(2, p).run();
    cat.setViewColumns(obj->id, viewColumns);
}

// ---------------------------------------------------------------------------------------------------------------

void createSynonym(DdlContext& ctx, const sql::CreateSynonymStmt& st)
{
    catalog::Catalog cat(ctx.s.conn);
    int64_t ownerId;
    if (st.isPublic) {
        if (st.synonym.schema)
            throw oraError(933, "SQL command not properly ended", st.synonym.schema->offset);
        ownerId = catalog::kPublicUser;
    } else {
        ownerId = ownerOf(ctx, st.synonym).id;
    }
    auto existing = cat.object(ownerId, st.synonym.name.name, 1);
    if (existing && (!st.orReplace || existing->type != catalog::kTypeSynonym))
        throw oraError(955, "name is already used by an existing object", st.synonym.name.offset);
    std::string targetOwner = st.target.schema ? st.target.schema->name : ctx.s.schema;
    if (!st.target.schema && !st.target.dblink && st.isPublic) {
        // PUBLIC synonym for an unqualified name: the object of the creating schema, as Oracle records it.
        targetOwner = ctx.s.schema;
    }
    if (!st.isPublic && targetOwner == cat.userName(ownerId) && st.target.name.name == st.synonym.name.name
        && !st.target.dblink)
        throw oraError(1471, "cannot create a synonym with same name as object", st.synonym.name.offset);
    int64_t id;
    if (existing) {
        id = existing->id;
        Stmt d(ctx.s.conn, R"(DELETE FROM "SYN$" WHERE "OBJ#" = ?1)");
        d.bind(1, id).run();
        cat.touchObject(id);
        invalidateDependents(ctx, id);
    } else {
        id = cat.addObject(ownerId, st.synonym.name.name, catalog::kTypeSynonym);
    }
    Stmt s(ctx.s.conn, R"(INSERT INTO "SYN$" VALUES (?1, ?2, ?3, ?4))");
    s.bind(1, id);
    if (st.target.dblink)
        s.bind(2, st.target.dblink->name);
    else
        s.bindNull(2);
    s.bind(3, targetOwner).bind(4, st.target.name.name).run();
}

void dropSynonym(DdlContext& ctx, const sql::DropSynonymStmt& st)
{
    catalog::Catalog cat(ctx.s.conn);
    int64_t ownerId;
    if (st.isPublic) {
        ownerId = catalog::kPublicUser;
    } else {
        std::string owner = st.synonym.schema ? st.synonym.schema->name : ctx.s.schema;
        auto u = cat.user(owner);
        if (!u)
            throw oraError(1434, "private synonym to be dropped does not exist", st.synonym.name.offset);
        ownerId = u->id;
    }
    auto obj = cat.object(ownerId, st.synonym.name.name, 1);
    if (!obj || obj->type != catalog::kTypeSynonym) {
        if (st.isPublic)
            throw oraError(1432, "public synonym to be dropped does not exist", st.synonym.name.offset);
        throw oraError(1434, "private synonym to be dropped does not exist", st.synonym.name.offset);
    }
    invalidateDependents(ctx, obj->id);
    cat.removeObject(obj->id);
}

// ---------------------------------------------------------------------------------------------------------------

void comment(DdlContext& ctx, const sql::CommentStmt& st)
{
    catalog::Lookup lookup = lookupOf(ctx);
    auto obj
        = lookup.resolveObject(st.table.schema ? st.table.schema->name : "", st.table.name.name, ctx.s.schema, true);
    if (!obj || (obj->type != catalog::kTypeTable && obj->type != catalog::kTypeView))
        throw oraError(942, "table or view does not exist", st.table.name.offset);
    catalog::Catalog cat(ctx.s.conn);
    std::optional<int> col;
    if (st.target == sql::CommentStmt::Target::Column) {
        if (obj->type == catalog::kTypeTable) {
            col = columnNamed(cat.columns(obj->id), *st.column).col;
        } else {
            auto v = lookup.view({ obj->owner, obj->name, bind::ObjectKind::View, obj->id });
            int no = 0;
            bool found = false;
            std::vector<std::string> names = v ? v->columnNames : std::vector<std::string> {};
            if (names.empty()) {
                catalog::Lookup l2 = lookupOf(ctx);
                try {
                    std::string text
                        = "SELECT * FROM " + storage::quoteIdent(obj->owner) + "." + storage::quoteIdent(obj->name);
                    sql::ParseResult p = sql::parse(text);
                    if (p.ok()) {
                        // Held in a local: the columns live in the bound statement, which a range-for over a
                        // temporary would free before the loop body runs.
                        auto bound = bind::bindStatement(*p.statement, text, l2, sessionContextOf(ctx));
                        for (const ColumnDesc& c : bound->columns)
                            names.push_back(c.name);
                    }
                } catch (const Error&) {
                }
            }
            for (const std::string& n : names) {
                ++no;
                if (n == st.column->name) {
                    found = true;
                    break;
                }
            }
            if (!found)
                throw oraError(904, "\"" + st.column->name + "\": invalid identifier", st.column->offset);
            col = no;
        }
    }
    cat.setComment(obj->id, col, st.text);
}

void renameObject(DdlContext& ctx, const sql::RenameStmt& st)
{
    catalog::Catalog cat(ctx.s.conn);
    auto obj = cat.object(ctx.s.schemaId, st.from.name, 1);
    if (!obj)
        throw oraError(4043, "object " + st.from.name + " does not exist", st.from.offset);
    if (obj->type != catalog::kTypeTable && obj->type != catalog::kTypeView && obj->type != catalog::kTypeSequence
        && obj->type != catalog::kTypeSynonym)
        throw oraError(3001, "unimplemented feature: RENAME of this kind of object", st.from.offset);
    checkFreeName(ctx, ctx.s.schemaId, st.to, 1);
    if (obj->type == catalog::kTypeTable)
        tableForDdl(ctx, sql::ObjectName { std::nullopt, st.from, std::nullopt, st.from.offset });
    cat.renameObject(obj->id, st.to.name);
    invalidateDependents(ctx, obj->id);
}

} // namespace engine::exec

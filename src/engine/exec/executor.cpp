// Statement dispatch, queries, DML, transaction control, ALTER SESSION and LOCK TABLE.
#include "engine/exec/executor.h"

#include "engine/fn/timestamp_session.h"

#include "engine/bind/binder.h"
#include "engine/exec/analyze.h"
#include "engine/catalog/catalog.h"
#include "engine/dict/fixed.h"
#include "engine/exec/binds.h"
#include "engine/exec/compound_dml.h"
#include "engine/exec/cursor.h"
#include "engine/exec/ddl_support.h"
#include "engine/exec/dml_triggers.h"
#include "engine/exec/explain.h"
#include "engine/exec/key_locks.h"
#include "engine/exec/prepared_pool.h"
#include "engine/exec/statement_cache.h"
#include "engine/exec/system.h"
#include "engine/fn/dateformat.h"
#include "engine/fn/oraerror.h"
#include "engine/link/links.h"
#include "engine/priv/privileges.h"
#include "engine/plsql/runtime.h"
#include "engine/plsql/sql_functions.h"
#include "engine/plsql/stored_units.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/sql/parser.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <QString>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace engine::exec {

namespace {

// The table of the row numbers a restricted DML statement may touch, emptied and filled before each run.
const std::string kClearDmlRows = std::string("DELETE FROM ") + bind::kDmlRowsTable;
const std::string kAddDmlRow = std::string("INSERT INTO ") + bind::kDmlRowsTable + " VALUES (?1)";

bind::SessionContext contextOf(SessionState& s)
{
    bind::SessionContext c { s.schema, s.user, priv::visibility(s), {}, {} };
    c.storedFunction = [&s](const std::vector<std::string>& parts, const std::vector<std::string>& argNames) {
        return plsql::sqlFunction(s, parts, argNames);
    };
    c.collectionFunction = [&s](const std::vector<std::string>& parts, const std::vector<std::string>& argNames,
                               bool fromPlsql) { return plsql::sqlCollectionFunction(s, parts, argNames, fromPlsql); };
    return c;
}

locks::WaitPolicy waitPolicy(SessionState& s, bool nowait = false, int timeoutSeconds = -1)
{
    return { nowait, timeoutSeconds < 0 ? s.lockWaitLimit : timeoutSeconds, &s.interrupted };
}

// Takes a lock, first without waiting; when it must wait, the session gives up SQLite's write lock so that the
// holder can go on, then waits as the policy says.
template <typename Take> void acquire(SessionState& s, const locks::WaitPolicy& policy, Take take)
{
    try {
        locks::WaitPolicy once = policy;
        once.nowait = true;
        take(once);
        return;
    } catch (const Error& e) {
        if (e.code() != 54 || policy.nowait)
            throw;
    }
    session::releaseWriteLock(s);
    take(policy);
}

void lockTable(SessionState& s, int64_t object, locks::TableMode mode, const locks::WaitPolicy& policy)
{
    acquire(s, policy, [&](const locks::WaitPolicy& p) { s.db->locks.lockTable(s.sid, object, mode, p); });
}

void lockRows(SessionState& s, int64_t object, const std::vector<int64_t>& rows, const locks::WaitPolicy& policy)
{
    if (rows.empty())
        return;
    acquire(s, policy, [&](const locks::WaitPolicy& p) { s.db->locks.lockRows(s.sid, object, rows, p); });
}

// Runs rowsSql with the statement's parameters: the row numbers a DML or FOR UPDATE would touch.
// The values of the rows a FOR UPDATE reads through a database link, by their storage class.
std::vector<std::vector<Value>> remoteRowValues(
    SessionState& s, const bind::RowLockTarget& t, const bind::BoundStatement& b, const std::vector<Bind>& binds)
{
    std::vector<std::vector<Value>> rows;
    std::lock_guard conn(s.connMutex);
    storage::Stmt q(s.conn, t.rowsSql);
    bindParameters(q.get(), b, binds, s.fctx);
    const int n = sqlite3_column_count(q.get());
    while (q.step()) {
        std::vector<Value> row;
        for (int i = 0; i < n; ++i)
            row.push_back(q.value(i));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<int64_t> targetRows(SessionState& s, const bind::RowLockTarget& t, CachedStatement& entry,
    const std::vector<Bind>& binds)
{
    std::vector<int64_t> rows;
    std::lock_guard conn(s.connMutex);
    PreparedPool::Lease q = prepared(s, t.rowsSql);
    bindParameters(q.get(), *entry.bound, binds, s.fctx);
    while (q->step())
        rows.push_back(q->int64(0));
    return rows;
}

std::shared_ptr<CachedStatement> translate(SessionState& s, std::string_view sql, const sql::Statement& stmt)
{
    // The catalog is read on the session's connection, which another session may be committing for us.
    std::lock_guard conn(s.connMutex);
    link::SessionLookup lookup(s);
    auto entry = std::make_shared<CachedStatement>();
    entry->generation = s.db->ddlGeneration.load();
    entry->bound = bind::bindStatement(stmt, sql, lookup, contextOf(s));
    catalog::Catalog cat(s.conn);
    for (int64_t id : entry->bound->dependsOn)
        if (auto o = cat.objectById(id); o && o->type == catalog::kTypeSequence)
            entry->usesSequence = true;
    return entry;
}

void setReturning(const bind::BoundStatement& b, sqlite3_stmt* stmt, std::vector<Bind>& binds, int64_t row)
{
    for (size_t i = 0; i < b.returning.size(); ++i) {
        for (Bind& bd : binds)
            if (bd.name == b.returning[i].bindName) {
                if (bd.returnAll) {
                    readColumn(stmt, static_cast<int>(i), b.returning[i].column.type, bd.value);
                    bd.values.push_back(bd.value);
                    continue;
                }
                if (row > 0)
                    throw oraError(1422, "exact fetch returns more than requested number of rows");
                readColumn(stmt, static_cast<int>(i), b.returning[i].column.type, bd.value);
            }
    }
}

// Oracle checks keys when the statement ends, so `UPDATE k SET id = id + 1` passes through duplicates on its way;
// SQLite checks them row by row. An UPDATE that SQLite stops with ORA-00001 is run again with the table's unique
// indexes set aside, which are then built again: building fails, with the key's own ORA-00001, only when the
// finished statement leaves duplicates.
class DeferredKeys {
public:
    // Drops the unique indexes of the physical table, keeping their definitions. False when SQLite refuses (a
    // cursor of the session still reads the table): the indexes dropped so far come back with restore().
    bool setAside(SessionState& s, const std::string& table)
    {
        std::vector<std::pair<std::string, std::string>> found;
        {
            storage::Stmt q(s.conn,
                "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 AND sql IS NOT NULL"
                " AND sql LIKE 'CREATE UNIQUE INDEX%'");
            q.bind(1, table);
            while (q.step())
                found.emplace_back(q.text(0), q.text(1));
        }
        for (auto& index : found) {
            try {
                storage::exec(s.conn, "DROP INDEX " + storage::quoteIdent(index.first));
            } catch (const Error&) {
                return false;
            }
            indexes_.push_back(std::move(index));
        }
        return true;
    }
    // Builds them again; throws ORA-00001 naming the key when the table holds duplicates.
    void restore(SessionState& s)
    {
        while (!indexes_.empty()) {
            try {
                storage::exec(s.conn, indexes_.back().second);
            } catch (const Error& e) {
                throw translateConstraintError(s, e);
            }
            indexes_.pop_back();
        }
    }
    bool active() const { return !indexes_.empty(); }

private:
    std::vector<std::pair<std::string, std::string>> indexes_;
};

// Oracle checks foreign keys when the statement ends, so a DELETE of a whole self-referencing table, or an INSERT
// whose rows refer to each other, succeeds. A statement the row-by-row triggers stopped runs again with them
// standing aside; then every foreign key of or onto a table it changed must hold.
void checkDeferredForeignKeys(
    SessionState& s, const std::map<int64_t, std::vector<int64_t>>& changed, StatementKind kind)
{
    catalog::Catalog cat(s.conn);
    std::set<int64_t> seen;
    std::vector<catalog::ConstraintRow> fks;
    for (const auto& [tableId, rows] : changed)
        for (const catalog::ConstraintRow& c : cat.constraints(tableId)) {
            if (c.type == catalog::kConForeign && c.enabled && seen.insert(c.id).second)
                fks.push_back(c);
            if (c.type == catalog::kConPrimary || c.type == catalog::kConUnique)
                for (const catalog::ConstraintRow& fk : cat.referencing(c.id))
                    if (fk.enabled && seen.insert(fk.id).second)
                        fks.push_back(fk);
        }
    auto phys = [](const std::vector<catalog::ColumnRow>& cols, int no) {
        for (const catalog::ColumnRow& c : cols)
            if (c.col == no)
                return storage::quoteIdent(c.physicalName);
        return std::string("NULL");
    };
    for (const catalog::ConstraintRow& fk : fks) {
        auto parent = fk.refConstraint ? cat.constraintById(*fk.refConstraint) : std::nullopt;
        if (!parent)
            continue;
        auto ccols = cat.columns(fk.tableId);
        auto pcols = cat.columns(parent->tableId);
        std::string where, match;
        for (size_t i = 0; i < fk.columns.size() && i < parent->columns.size(); ++i) {
            where += "c." + phys(ccols, fk.columns[i]) + " IS NOT NULL AND ";
            match += std::string(i ? " AND " : "") + "p." + phys(pcols, parent->columns[i]) + " = c."
                + phys(ccols, fk.columns[i]);
        }
        storage::Stmt q(s.conn,
            "SELECT c." + storage::quoteIdent(catalog::kRowNumberColumn) + " FROM "
                + storage::quoteIdent(catalog::physicalTableName(fk.tableId)) + " c WHERE " + where
                + "NOT EXISTS (SELECT 1 FROM " + storage::quoteIdent(catalog::physicalTableName(parent->tableId))
                + " p WHERE " + match + ") LIMIT 1");
        if (!q.step())
            continue;
        int64_t orphan = q.int64(0);
        auto it = changed.find(fk.tableId);
        bool childChanged = kind == StatementKind::Insert
            || (kind == StatementKind::Update && it != changed.end()
                && std::find(it->second.begin(), it->second.end(), orphan) != it->second.end());
        std::string name = qualified(fk.owner, fk.name);
        if (childChanged)
            throw oraError(2291, "integrity constraint (" + name + ") violated - parent key not found");
        throw oraError(2292, "integrity constraint (" + name + ") violated - child record found");
    }
}

ExecResult runDmlStatement(SessionState& s, CachedStatement& entry, std::vector<Bind>& binds);

ExecResult runDml(SessionState& s, CachedStatement& entry, std::vector<Bind>& binds)
{
    const bind::BoundStatement& b = *entry.bound;
    if (b.compound)
        return runCompound(s, b, binds);
    if (!b.dmlTarget || !mayFireTriggers(s, b.dmlTarget->table.objectId))
        return runDmlStatement(s, entry, binds);
    priv::checkAccess(s, b);
    return runWithTriggers(s, b, binds, [&] { return runDmlStatement(s, entry, binds); });
}

// A row of the given number, all its columns NULL, for as long as an INSERT runs: SQLite numbers new rows one above
// the highest, so the statement's rows come after it. Another session's deleted rows keep their numbers until it
// ends (its rollback puts them back). Neither recorded in undo nor checked by the constraint triggers.
class RowNumberFloor {
public:
    RowNumberFloor(SessionState& s, const std::string& table)
        : s_(s)
        , table_(storage::quoteIdent(table))
    {
    }
    ~RowNumberFloor()
    {
        try {
            release();
        } catch (const Error&) {
            // The statement's own failure is reported; the caller undoes its SQLite transaction.
        }
    }
    void place(int64_t row)
    {
        if (row <= 0)
            return;
        quietly([&] {
            storage::Stmt ins(s_.conn,
                "INSERT OR IGNORE INTO " + table_ + " (" + storage::quoteIdent(catalog::kRowNumberColumn)
                    + ") VALUES (?1)");
            ins.bind(1, row).run();
            if (sqlite3_changes(s_.conn) > 0)
                row_ = row;
        });
    }
    void release()
    {
        if (row_ == 0)
            return;
        quietly([&] {
            storage::Stmt del(s_.conn,
                "DELETE FROM " + table_ + " WHERE " + storage::quoteIdent(catalog::kRowNumberColumn) + " = ?1");
            del.bind(1, row_).run();
        });
        row_ = 0;
    }

private:
    template <typename F> void quietly(F f)
    {
        bool capturing = s_.undo->capturing();
        bool checksOff = s_.checksOff;
        s_.undo->setCapturing(false);
        s_.checksOff = true;
        try {
            f();
        } catch (...) {
            s_.undo->setCapturing(capturing);
            s_.checksOff = checksOff;
            throw;
        }
        s_.undo->setCapturing(capturing);
        s_.checksOff = checksOff;
    }

    SessionState& s_;
    std::string table_;
    int64_t row_ = 0;
};

// Whether a statement reads the table it changes (INSERT ... SELECT from itself).
bool readsItsTarget(const bind::BoundStatement& b)
{
    for (const bind::ObjectAccess& a : b.accesses)
        if (a.access == bind::AccessKind::Select && a.object.objectId == b.dmlTarget->table.objectId)
            return true;
    return false;
}

ExecResult runDmlStatement(SessionState& s, CachedStatement& entry, std::vector<Bind>& binds)
{
    const bind::BoundStatement& b = *entry.bound;
    priv::checkAccess(s, b);
    if (s.readOnlyTransaction)
        throw oraError(1456, "may not perform insert/delete/update operation inside a READ ONLY transaction");
    ExecResult r;
    r.kind = b.kind;
    bool wasInTransaction = s.inTransaction;
    int64_t undoMark = s.undo->mark();
    int64_t lockMark = s.db->locks.mark(s.sid);
    const int64_t target = b.dmlTarget ? b.dmlTarget->table.objectId : 0;
    // An INSERT whose new rows took numbers of rows another session deleted is numbered above them instead; one
    // that reads its own table would read the placeholder too, and waits.
    const int64_t insertTarget
        = b.kind == StatementKind::Insert && b.dmlTarget && !readsItsTarget(b) ? b.dmlTarget->table.objectId : 0;
    try {
        // What stands in the way of the statement's changes (rows and keys other sessions hold): the statement is
        // undone, waits for them, and runs again.
        ChangeConflict conflict;
        // Rows of other sessions whose uncommitted keys the statement's new keys collided with.
        std::vector<int64_t> keyHolders;
        int64_t numberAbove = 0;
        bool deferKeys = false;
        std::optional<Error> keyError; // the row-by-row ORA-00001 that made the statement run again
        bool deferForeignKeys = false;
        bool probed = false;
        for (;;) {
            if (!conflict.empty() || !keyHolders.empty()) {
                session::releaseWriteLock(s);
                waitOut(s, conflict, waitPolicy(s));
                s.db->locks.waitForRows(s.sid, target, keyHolders, waitPolicy(s));
                conflict = {};
                keyHolders.clear();
                probed = false;
            }
            std::vector<int64_t> rows;
            bool restricted = false;
            if (b.dmlTarget) {
                lockTable(s, b.dmlTarget->table.objectId, locks::TableMode::RowExclusive, waitPolicy(s));
                if (!b.dmlTarget->rowsSql.empty()) {
                    rows = targetRows(s, *b.dmlTarget, entry, binds);
                    lockRows(s, b.dmlTarget->table.objectId, rows, waitPolicy(s));
                    restricted = !b.restrictedSql.empty();
                }
            }
            session::WriteScope w(s);
            DeferredKeys deferred;
            std::optional<RowNumberFloor> floor;
            if (numberAbove > 0)
                floor.emplace(s, b.dmlTarget->physicalName);
            // One run of the statement, from filling the locked rows' table to its RETURNING values.
            auto run = [&] {
                std::optional<PreparedPool::Lease> restrictedStmt;
                if (restricted) {
                    prepared(s, kClearDmlRows)->run();
                    PreparedPool::Lease ins = prepared(s, kAddDmlRow);
                    for (int64_t row : rows)
                        ins->bind(1, row).run();
                }
                sqlite3_stmt* stmt = nullptr;
                if (restricted) {
                    restrictedStmt.emplace(prepared(s, b.restrictedSql));
                    stmt = restrictedStmt->get();
                } else {
                    stmt = entry.take(s.conn);
                }
                struct GiveBack {
                    CachedStatement& e;
                    sqlite3_stmt* st;
                    bool own;
                    ~GiveBack()
                    {
                        if (own)
                            e.giveBack(st);
                    }
                } giveBack { entry, stmt, !restricted };
                bindParameters(stmt, b, binds, s.fctx);
                int64_t returned = 0;
                struct ForeignKeysDeferred {
                    SessionState& s;
                    ~ForeignKeysDeferred() { s.foreignKeysDeferred = false; }
                } fkReset { s };
                s.foreignKeysDeferred = deferForeignKeys;
                for (;;) {
                    int rc = storage::step(stmt);
                    if (rc == SQLITE_ROW) {
                        setReturning(b, stmt, binds, returned++);
                        continue;
                    }
                    if (rc != SQLITE_DONE)
                        throw translateConstraintError(s, storage::sqliteError(s.conn, rc));
                    break;
                }
                r.rowsProcessed = sqlite3_changes64(s.conn);
                if (!b.returning.empty() && returned == 0)
                    for (const bind::ReturningItem& item : b.returning)
                        for (Bind& bd : binds)
                            if (bd.name == item.bindName)
                                bd.value = Value::null();
            };
            try {
                if (deferKeys && !deferred.setAside(s, b.dmlTarget->physicalName))
                    throw *keyError;
                if (floor)
                    floor->place(numberAbove);
                run();
                if (floor)
                    floor->release();
                s.foreignKeysDeferred = false;
                deferred.restore(s);
                if (deferForeignKeys)
                    checkDeferredForeignKeys(s, s.undo->rowsChangedSince(undoMark), b.kind);
                conflict = lockChanges(s, undoMark, insertTarget);
                if (!conflict.empty()) {
                    s.undo->undoTo(undoMark);
                    s.db->locks.releaseAfter(s.sid, lockMark);
                    numberAbove = std::max(numberAbove, conflict.renumberAbove);
                    conflict.renumberAbove = 0;
                    continue;
                }
                if (s.undo->overSpillLimit())
                    s.undo->persistPending();
            } catch (const Error& e) {
                if (floor)
                    floor->release();
                s.undo->undoTo(undoMark);
                deferred.restore(s); // the rows are back as they were, so the keys build again
                // A duplicate of a key another session added and has not committed: Oracle waits for that session
                // (and the statement then fails, or not, by how it ends). Run once more to find whose key it is.
                if (e.code() == 1 && !probed && !deferKeys && target
                    && (b.kind == StatementKind::Insert || b.kind == StatementKind::Update)
                    && s.db->locks.othersAddedKeys(s.sid, target)) {
                    probed = true;
                    const TableKeys& keys = s.keys->keysOf(s, target);
                    if (!keys.keys.empty()) {
                        {
                            KeyProbe probe(s, keys);
                            try {
                                run();
                            } catch (const Error&) {
                                // Whatever else fails shows when the statement runs again.
                            }
                            keyHolders = probe.hits();
                        }
                        s.undo->undoTo(undoMark);
                        if (!keyHolders.empty()) {
                            s.db->locks.releaseAfter(s.sid, lockMark);
                            continue;
                        }
                    }
                }
                if (e.code() == 1 && !deferKeys && b.kind == StatementKind::Update && b.dmlTarget) {
                    deferKeys = true;
                    keyError = e;
                    continue;
                }
                if ((e.code() == 2291 || e.code() == 2292) && !deferForeignKeys) {
                    deferForeignKeys = true;
                    continue;
                }
                throw;
            } catch (...) {
                if (floor)
                    floor->release();
                s.undo->undoTo(undoMark);
                deferred.restore(s);
                throw;
            }
            break;
        }
    } catch (...) {
        s.db->locks.releaseAfter(s.sid, lockMark);
        s.inTransaction = wasInTransaction || s.undo->changedSince(0);
        throw;
    }
    s.inTransaction = true;
    return r;
}

ExecResult runQuery(SessionState& s, std::shared_ptr<CachedStatement> entry, std::vector<Bind>& binds)
{
    const bind::BoundStatement& b = *entry->bound;
    priv::checkAccess(s, b);
    ExecResult r;
    r.kind = StatementKind::Select;
    if (!b.lockTargets.empty()) {
        if (s.readOnlyTransaction)
            throw oraError(1456, "may not perform insert/delete/update operation inside a READ ONLY transaction");
        int64_t lockMark = s.db->locks.mark(s.sid);
        try {
            auto policy = waitPolicy(s, b.nowait, b.waitSeconds);
            for (const bind::RowLockTarget& t : b.lockTargets) {
                if (t.remote) {
                    if (b.skipLocked)
                        throw oraError(3001, "unimplemented feature: SKIP LOCKED of a table through a database link");
                    link::lockRemoteRows(s, t.physicalName, remoteRowValues(s, t, b, binds), b.nowait, b.waitSeconds);
                    continue;
                }
                lockTable(s, t.table.objectId, locks::TableMode::RowExclusive, policy);
                if (b.skipLocked) // rows others hold are passed over, never waited for; the query leaves them out
                    s.db->locks.lockFreeRows(s.sid, t.table.objectId, targetRows(s, t, *entry, binds));
                else
                    lockRows(s, t.table.objectId, targetRows(s, t, *entry, binds), policy);
            }
        } catch (...) {
            s.db->locks.releaseAfter(s.sid, lockMark);
            throw;
        }
        s.inTransaction = true;
    }
    if (entry->usesSequence) {
        // NEXTVAL writes the sequence's high-water mark: the rows are produced inside the write transaction.
        session::WriteScope w(s);
        storage::Stmt q(s.conn, b.sql);
        bindParameters(q.get(), b, binds, s.fctx);
        std::vector<std::vector<Value>> rows;
        while (q.step()) {
            std::vector<Value> row(b.columns.size());
            for (size_t i = 0; i < row.size(); ++i)
                readColumn(q.get(), static_cast<int>(i), b.columns[i].type, row[i]);
            toClientValues(row, b.columns, s.fctx);
            rows.push_back(std::move(row));
        }
        r.cursor = std::make_unique<RowsCursor>(b.columns, std::move(rows));
        return r;
    }
    auto core = std::make_shared<CursorCore>();
    core->connMutex = s.connLock;
    core->db = s.conn;
    core->interrupted = &s.interrupted;
    core->fetchedRows = &s.info.io.consistentGets;
    core->fctx = &s.fctx;
    for (const ColumnDesc& c : b.columns)
        core->types.push_back(c.type);
    std::lock_guard conn(s.connMutex);
    core->stmt = entry->take(s.conn);
    core->owner = entry;
    try {
        bindParameters(core->stmt, b, binds, s.fctx);
    } catch (...) {
        core->release();
        throw;
    }
    core->prefetch();
    std::erase_if(s.openCursors, [](const std::weak_ptr<CursorCore>& w) { return w.expired(); });
    s.openCursors.push_back(core);
    r.cursor = std::make_unique<StreamCursor>(core, b.columns);
    return r;
}

std::string upper(const std::string& t)
{
    return QString::fromStdString(t).toUpper().toStdString();
}

// Whether Oracle knows the name as a session parameter: those the engine does not support are refused as
// unimplemented, names Oracle does not know with Oracle's own error.
bool isSessionParameter(const std::string& name)
{
    static const char* const prefixes[] = { "NLS_", "OPTIMIZER_", "PLSQL_", "PARALLEL_", "_" };
    for (const char* p : prefixes)
        if (name.rfind(p, 0) == 0)
            return true;
    static const std::set<std::string> names { "CURRENT_SCHEMA", "TIME_ZONE", "SQL_TRACE", "EVENTS", "CURSOR_SHARING",
        "DDL_LOCK_TIMEOUT", "EDITION", "STATISTICS_LEVEL", "SKIP_UNUSABLE_INDEXES", "GLOBAL_NAMES", "HASH_AREA_SIZE",
        "SORT_AREA_SIZE", "SORT_AREA_RETAINED_SIZE", "WORKAREA_SIZE_POLICY", "QUERY_REWRITE_ENABLED",
        "QUERY_REWRITE_INTEGRITY", "RECYCLEBIN", "COMMIT_WRITE", "COMMIT_LOGGING", "COMMIT_WAIT", "CONTAINER",
        "CONSTRAINTS", "ISOLATION_LEVEL", "DB_FILE_MULTIBLOCK_READ_COUNT", "TRACEFILE_IDENTIFIER", "MAX_DUMP_FILE_SIZE",
        "TIMED_STATISTICS", "RESULT_CACHE_MODE", "USE_STORED_OUTLINES", "SESSION_CACHED_CURSORS",
        "ERROR_ON_OVERLAP_TIME", "FLAGGER", "INSTANCE", "STAR_TRANSFORMATION_ENABLED", "DB_BLOCK_CHECKING",
        "DB_BLOCK_CHECKSUM", "CURSOR_SPACE_FOR_TIME", "LOG_ARCHIVE_DEST_STATE_1", "OBJECT_CACHE_MAX_SIZE_PERCENT",
        "OBJECT_CACHE_OPTIMAL_SIZE", "REMOTE_DEPENDENCIES_MODE", "RESUMABLE_TIMEOUT", "DB_UNIQUE_NAME",
        "DEFAULT_COLLATION", "SQLTUNE_CATEGORY", "UNDO_RETENTION", "DB_CREATE_FILE_DEST", "FILESYSTEMIO_OPTIONS" };
    return names.count(name) != 0;
}

ExecResult alterSession(SessionState& s, const sql::AlterSessionStmt& a)
{
    for (const sql::SessionSetting& set : a.settings) {
        const std::string& name = set.name.name;
        if (name == "NLS_DATE_FORMAT") {
            try {
                fn::DateFormat::parse(set.value);
            } catch (const fn::OraError& e) {
                throw Error(e.code(), e.message(), set.valueOffset);
            }
            s.fctx.setNlsDateFormat(set.value);
        } else if (name == "NLS_TIMESTAMP_FORMAT" || name == "NLS_TIMESTAMP_TZ_FORMAT") {
            try {
                fn::DateFormat::parse(set.value);
            } catch (const fn::OraError& e) {
                throw Error(e.code(), e.message(), set.valueOffset);
            }
            (name == "NLS_TIMESTAMP_FORMAT" ? s.fctx.nlsTimestampFormat : s.fctx.nlsTimestampTzFormat) = set.value;
        } else if (name == "TIME_ZONE") {
            // 'LOCAL' is the machine's offset, DBTIMEZONE the database's (+00:00); else an offset or UTC.
            const std::string v = upper(set.value);
            try {
                if (v == "LOCAL")
                    s.fctx.timeZone.clear();
                else if (v == "DBTIMEZONE")
                    s.fctx.timeZone = "+00:00";
                else {
                    std::string zone;
                    fn::parseTimeZone(set.value, &zone);
                    s.fctx.timeZone = zone;
                }
            } catch (const fn::OraError& e) {
                throw Error(e.code(), e.message(), set.valueOffset);
            }
        } else if (name == "CURRENT_SCHEMA") {
            std::string schema = set.quoted ? set.value : upper(set.value);
            catalog::Catalog cat(s.conn);
            auto u = cat.user(schema);
            if (!u || u->type != 1)
                throw oraError(1435, "user does not exist", set.valueOffset);
            s.schema = u->name;
            s.schemaId = u->id;
            s.fctx.currentSchema = u->name;
            s.fctx.schemaId = u->id;
        } else {
            // Settings the engine has no behaviour for are accepted only when they ask for what it does anyway.
            static const std::pair<const char*, const char*> defaults[] = {
                { "NLS_LANGUAGE", "AMERICAN" },
                { "NLS_TERRITORY", "AMERICA" },
                { "NLS_DATE_LANGUAGE", "AMERICAN" },
                { "NLS_NUMERIC_CHARACTERS", ".," },
                { "NLS_SORT", "BINARY" },
                { "NLS_COMP", "BINARY" },
            };
            bool ok = false;
            for (const auto& [n, v] : defaults)
                if (name == n && upper(set.value) == v)
                    ok = true;
            if (!ok && !isSessionParameter(name))
                throw oraError(2248, "invalid option for ALTER SESSION", set.name.offset);
            if (!ok)
                throw oraError(3001, "unimplemented feature: ALTER SESSION SET " + name, set.name.offset);
        }
    }
    ExecResult r;
    r.kind = StatementKind::AlterSession;
    return r;
}

locks::TableMode tableMode(sql::LockTableStmt::Mode m)
{
    switch (m) {
    case sql::LockTableStmt::Mode::RowShare:
    case sql::LockTableStmt::Mode::ShareUpdate:
        return locks::TableMode::RowShare;
    case sql::LockTableStmt::Mode::RowExclusive:
        return locks::TableMode::RowExclusive;
    case sql::LockTableStmt::Mode::Share:
        return locks::TableMode::Share;
    case sql::LockTableStmt::Mode::ShareRowExclusive:
        return locks::TableMode::ShareRowExclusive;
    case sql::LockTableStmt::Mode::Exclusive:
        return locks::TableMode::Exclusive;
    }
    return locks::TableMode::Exclusive;
}

ExecResult lockTableStmt(SessionState& s, const sql::LockTableStmt& l)
{
    catalog::Lookup lookup(s.conn);
    std::vector<int64_t> ids;
    for (const sql::ObjectName& n : l.tables) {
        auto ref = lookup.resolve(n.schema ? n.schema->name : "", n.name.name, s.schema);
        if (!ref || ref->kind != bind::ObjectKind::Table)
            throw oraError(942, "table or view does not exist", n.name.offset);
        if (dict::findFixedObject(ref->objectId))
            throw oraError(1031, "insufficient privileges", n.name.offset);
        priv::checkLockTable(s, ref->objectId, n.name.offset);
        ids.push_back(ref->objectId);
    }
    int64_t lockMark = s.db->locks.mark(s.sid);
    try {
        auto policy = waitPolicy(s, l.nowait, l.wait ? static_cast<int>(*l.wait) : -1);
        for (int64_t id : ids)
            lockTable(s, id, tableMode(l.mode), policy);
    } catch (...) {
        s.db->locks.releaseAfter(s.sid, lockMark);
        throw;
    }
    s.inTransaction = true;
    ExecResult r;
    r.kind = StatementKind::LockTable;
    return r;
}

ExecResult control(SessionState& s, const sql::Statement& stmt)
{
    ExecResult r;
    r.kind = bind::statementKindOf(stmt.kind);
    switch (stmt.kind) {
    case sql::StatementKind::Commit:
        checkNotInTrigger(s, "COMMIT");
        session::commit(s);
        s.readOnlyTransaction = false;
        break;
    case sql::StatementKind::Rollback:
        checkNotInTrigger(s, "ROLLBACK");
        if (auto* rb = stmt.as<sql::RollbackStmt>(); rb && rb->savepoint) {
            session::rollbackToSavepoint(s, rb->savepoint->name);
        } else {
            session::rollback(s);
            s.readOnlyTransaction = false;
        }
        break;
    case sql::StatementKind::Savepoint:
        checkNotInTrigger(s, "SET SAVEPOINT");
        session::savepoint(s, stmt.as<sql::SavepointStmt>()->name.name);
        break;
    case sql::StatementKind::SetTransaction: {
        if (s.inTransaction)
            throw oraError(1453, "SET TRANSACTION must be first statement of transaction", stmt.offset);
        auto* st = stmt.as<sql::SetTransactionStmt>();
        s.readOnlyTransaction = st->mode == sql::SetTransactionStmt::Mode::ReadOnly;
        s.inTransaction = true;
        break;
    }
    default:
        break;
    }
    return r;
}

} // namespace

ExecResult runDmlStep(SessionState& s, CachedStatement& entry, std::vector<Bind>& binds)
{
    return runDml(s, entry, binds);
}

std::shared_ptr<CachedStatement> translateEmbedded(
    SessionState& s, std::string_view sql, const sql::Statement& stmt, const bind::ExternalNames* names)
{
    std::lock_guard conn(s.connMutex);
    link::SessionLookup lookup(s);
    auto entry = std::make_shared<CachedStatement>();
    entry->generation = s.db->ddlGeneration.load();
    entry->bound = bind::bindStatement(stmt, sql, lookup, contextOf(s), names);
    catalog::Catalog cat(s.conn);
    for (int64_t id : entry->bound->dependsOn)
        if (auto o = cat.objectById(id); o && o->type == catalog::kTypeSequence)
            entry->usesSequence = true;
    return entry;
}

ExecResult runTranslated(SessionState& s, const std::shared_ptr<CachedStatement>& entry, std::vector<Bind>& binds)
{
    fn::startStatementClock(s.fctx);
    checkMutating(s, *entry->bound);
    try {
        if (entry->bound->kind == StatementKind::Select)
            return runQuery(s, entry, binds);
        if (entry->bound->kind == StatementKind::LockTable)
            throw oraError(3001, "unimplemented feature: LOCK TABLE translated");
        return runDml(s, *entry, binds);
    } catch (const fn::OraError& e) {
        throw Error(e.code(), e.message());
    }
}

ExecResult execute(SessionState& s, std::string_view sql, std::vector<Bind>& binds)
{
    std::lock_guard call(s.callMutex);
    s.interrupted = false;
    struct Revalidated {
        SessionState& s;
        ~Revalidated() { plsql::storeRevalidated(s); }
    } revalidated { s };
    return executeNested(s, sql, binds);
}

ExecResult executeNested(SessionState& s, std::string_view sql, std::vector<Bind>& binds)
{
    std::lock_guard call(s.callMutex);
    fn::startStatementClock(s.fctx);
    try {
        uint64_t generation = s.db->ddlGeneration.load();
        std::shared_ptr<CachedStatement> entry = s.cache->find(sql, s.schema, generation);
        if (entry) {
            checkMutating(s, *entry->bound);
            if (entry->bound->kind == StatementKind::Select)
                return runQuery(s, entry, binds);
            return runDml(s, *entry, binds);
        }
        sql::ParseResult parsed = sql::parse(sql);
        if (!parsed.ok()) {
            const sql::ParseError& e = *parsed.error;
            throw Error(e.code, e.message, e.offset);
        }
        const sql::Statement& stmt = *parsed.statement;
        switch (stmt.kind) {
        case sql::StatementKind::Select:
        case sql::StatementKind::Insert:
        case sql::StatementKind::Update:
        case sql::StatementKind::Delete:
        case sql::StatementKind::Merge:
        case sql::StatementKind::MultiInsert: {
            if (link::isRemoteDml(stmt))
                return link::executeRemoteDml(s, stmt, sql, binds);
            s.cache->countMiss();
            entry = translate(s, sql, stmt);
            s.cache->put(sql, s.schema, entry);
            checkMutating(s, *entry->bound);
            if (entry->bound->kind == StatementKind::Select)
                return runQuery(s, entry, binds);
            return runDml(s, *entry, binds);
        }
        case sql::StatementKind::Commit:
        case sql::StatementKind::Rollback:
        case sql::StatementKind::Savepoint:
        case sql::StatementKind::SetTransaction:
            return control(s, stmt);
        case sql::StatementKind::AlterSession:
            return alterSession(s, *stmt.as<sql::AlterSessionStmt>());
        case sql::StatementKind::LockTable:
            return lockTableStmt(s, *stmt.as<sql::LockTableStmt>());
        case sql::StatementKind::AlterSystem:
            return alterSystem(s, *stmt.as<sql::AlterSystemStmt>());
        case sql::StatementKind::AlterRollbackSegment:
            return alterRollbackSegment(s, *stmt.as<sql::AlterRollbackSegmentStmt>());
        case sql::StatementKind::ExplainPlan:
            return explainPlan(s, *stmt.as<sql::ExplainPlanStmt>(), sql);
        case sql::StatementKind::Analyze:
            return analyze(s, *stmt.as<sql::AnalyzeStmt>(), sql);
        case sql::StatementKind::PlSql:
            if (stmt.as<sql::PlSqlStmt>()->unit != sql::PlSqlStmt::Unit::AnonymousBlock)
                return executeDdl(s, stmt, sql);
            return plsql::execute(s, *stmt.as<sql::PlSqlStmt>(), sql, binds);
        default:
            return executeDdl(s, stmt, sql);
        }
    } catch (const fn::OraError& e) {
        throw Error(e.code(), e.message());
    }
}

} // namespace engine::exec

// FORALL's INSERT as one envelope of executions.
#include "engine/exec/batch_dml.h"

#include "engine/exec/binds.h"
#include "engine/exec/dml_triggers.h"
#include "engine/exec/executor.h"
#include "engine/exec/key_locks.h"
#include "engine/fn/oraerror.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"
#include "engine/undo/undo_log.h"

namespace engine::exec {

namespace {

// As the executor spills a statement's undo: once a batch left this many records pending.
constexpr size_t kUndoSpill = 20000;

} // namespace

bool batchableInsert(SessionState& s, const CachedStatement& entry)
{
    const bind::BoundStatement& b = *entry.bound;
    if (b.kind != StatementKind::Insert || b.compound || !b.dmlTarget || !b.returning.empty() || b.sql.empty())
        return false;
    for (const bind::ObjectAccess& a : b.accesses)
        if (a.access == bind::AccessKind::Select && a.object.objectId == b.dmlTarget->table.objectId)
            return false;
    return !mayFireTriggers(s, b.dmlTarget->table.objectId);
}

std::optional<size_t> runInsertBatch(SessionState& s, const std::shared_ptr<CachedStatement>& entry,
    const std::vector<std::vector<Bind>>& sets, std::vector<int64_t>& rowCounts)
{
    const bind::BoundStatement& b = *entry->bound;
    s.fctx.statementTime = currentStatementTime();
    checkMutating(s, b);
    priv::checkAccess(s, b);
    if (s.readOnlyTransaction)
        throw oraError(1456, "may not perform insert/delete/update operation inside a READ ONLY transaction");
    rowCounts.assign(sets.size(), 0);
    if (sets.empty())
        return 0;
    const int64_t target = b.dmlTarget->table.objectId;
    const bool wasInTransaction = s.inTransaction;
    const int64_t undoMark = s.undo->mark();
    const int64_t lockMark = s.db->locks.mark(s.sid);
    // A table lock another session holds: the executions run one by one, each waiting as a single one does.
    try {
        s.db->locks.lockTable(s.sid, target, locks::TableMode::RowExclusive, { true, 0, &s.interrupted });
    } catch (const Error& e) {
        if (e.code() != 54)
            throw;
        return std::nullopt;
    }
    size_t done = 0;
    try {
        session::WriteScope w(s);
        sqlite3_stmt* stmt = entry->take(s.conn);
        struct GiveBack {
            CachedStatement& e;
            sqlite3_stmt* st;
            ~GiveBack() { e.giveBack(st); }
        } giveBack { *entry, stmt };
        for (; done < sets.size(); ++done) {
            const int64_t setMark = s.undo->mark();
            try {
                sqlite3_reset(stmt);
                bindParameters(stmt, b, sets[done], s.fctx);
                int rc;
                while ((rc = storage::step(stmt)) == SQLITE_ROW) { }
                if (rc != SQLITE_DONE)
                    throw storage::sqliteError(s.conn, rc);
            } catch (const Error&) {
                sqlite3_reset(stmt);
                s.undo->undoTo(setMark);
                break;
            } catch (const fn::OraError&) {
                sqlite3_reset(stmt);
                s.undo->undoTo(setMark);
                break;
            }
            rowCounts[done] = sqlite3_changes64(s.conn);
        }
        ChangeConflict conflict = lockChanges(s, undoMark, target);
        if (!conflict.empty()) {
            s.undo->undoTo(undoMark);
            s.db->locks.releaseAfter(s.sid, lockMark);
            s.inTransaction = wasInTransaction || s.undo->changedSince(0);
            return std::nullopt;
        }
        if (s.undo->pendingCount() > kUndoSpill)
            s.undo->persistPending();
    } catch (...) {
        s.undo->undoTo(undoMark);
        s.db->locks.releaseAfter(s.sid, lockMark);
        s.inTransaction = wasInTransaction || s.undo->changedSince(0);
        throw;
    }
    s.inTransaction = true;
    return done;
}

} // namespace engine::exec

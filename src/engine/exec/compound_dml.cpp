// MERGE and the multitable INSERT at run time: the source rows into a temporary table, MERGE's check that no
// target row is matched twice (ORA-30926), then the composed statements in order, as one statement for atomicity.
#include "engine/exec/compound_dml.h"
#include "engine/exec/binds.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"
#include "engine/undo/undo_log.h"

#include <mutex>
#include <string>

namespace engine::exec {

namespace {

void fillSource(SessionState& s, const bind::CompoundDml& c, const std::vector<Bind>& binds)
{
    std::lock_guard conn(s.connMutex);
    if (c.source) {
        storage::exec(s.conn, std::string("DROP TABLE IF EXISTS ") + bind::kCompoundSourceTable);
        storage::Stmt fill(s.conn,
            std::string("CREATE TABLE ") + bind::kCompoundSourceTable + " AS SELECT * FROM (" + c.source->sql + ")");
        bindParameters(fill.get(), *c.source, binds, s.fctx);
        fill.run();
    }
    if (c.stableCheck) {
        storage::Stmt check(s.conn, c.stableCheck->sql);
        bindParameters(check.get(), *c.stableCheck, binds, s.fctx);
        if (check.step())
            throw oraError(30926, "unable to get a stable set of rows in the source tables");
    }
    for (const char* table : { bind::kMergeRowsTable, bind::kCheckRowsTable })
        storage::exec(s.conn, std::string("CREATE TABLE IF NOT EXISTS ") + table + " (R INTEGER PRIMARY KEY)");
    // A statement run inside a MERGE (through a view WITH CHECK OPTION) leaves the MERGE's rows as they are.
    if (c.source)
        storage::exec(s.conn, std::string("DELETE FROM ") + bind::kMergeRowsTable);
}

void recordRows(SessionState& s, const bind::BoundStatement& step, int64_t undoMark, const char* rowsTable)
{
    if (!step.dmlTarget)
        return;
    std::lock_guard conn(s.connMutex);
    const auto changed = s.undo->rowsChangedSince(undoMark);
    const auto it = changed.find(step.dmlTarget->table.objectId);
    if (it == changed.end())
        return;
    storage::Stmt ins(s.conn, std::string("INSERT OR IGNORE INTO ") + rowsTable + " VALUES (?1)");
    for (int64_t row : it->second) {
        ins.bind(1, row).run();
        sqlite3_reset(ins.get());
    }
}

void checkRows(SessionState& s, const std::string& checkSql)
{
    std::lock_guard conn(s.connMutex);
    storage::Stmt check(s.conn, checkSql);
    const bool outside = check.step();
    check = storage::Stmt();
    storage::exec(s.conn, std::string("DELETE FROM ") + bind::kCheckRowsTable);
    if (outside)
        throw oraError(1402, "view WITH CHECK OPTION where-clause violation");
}

void dropSource(SessionState& s, const bind::CompoundDml& c)
{
    if (!c.source)
        return;
    std::lock_guard conn(s.connMutex);
    storage::exec(s.conn, std::string("DROP TABLE IF EXISTS ") + bind::kCompoundSourceTable);
}

} // namespace

ExecResult runCompound(SessionState& s, const bind::BoundStatement& b, std::vector<Bind>& binds)
{
    const bind::CompoundDml& c = *b.compound;
    if (s.readOnlyTransaction)
        throw oraError(1456, "may not perform insert/delete/update operation inside a READ ONLY transaction");
    if (c.source)
        priv::checkAccess(s, *c.source);
    ExecResult r;
    r.kind = b.kind;
    const bool wasInTransaction = s.inTransaction;
    const int64_t undoMark = s.undo->mark();
    const int64_t lockMark = s.db->locks.mark(s.sid);
    try {
        fillSource(s, c, binds);
        for (const bind::CompoundDml::Step& step : c.steps) {
            const int64_t stepMark = s.undo->mark();
            CachedStatement entry;
            entry.bound = step.statement;
            ExecResult done = runDmlStep(s, entry, binds);
            if (step.counted)
                r.rowsProcessed += done.rowsProcessed;
            if (step.recordRows)
                recordRows(s, *step.statement, stepMark, bind::kMergeRowsTable);
            if (!step.checkSql.empty()) {
                recordRows(s, *step.statement, stepMark, bind::kCheckRowsTable);
                checkRows(s, step.checkSql);
            }
        }
    } catch (...) {
        {
            session::WriteScope w(s);
            s.undo->undoTo(undoMark);
        }
        s.db->locks.releaseAfter(s.sid, lockMark);
        s.inTransaction = wasInTransaction || s.undo->changedSince(0);
        try {
            dropSource(s, c);
        } catch (const Error&) {
        }
        throw;
    }
    dropSource(s, c);
    return r;
}

} // namespace engine::exec

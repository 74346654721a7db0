// An autonomous transaction on the caller's session: its own undo journal (a session number of its own in UNDO$),
// savepoints and locks, the caller's kept aside until it ends.
#include "engine/plsql/autonomous.h"

#include "engine/exec/dml_triggers.h"
#include "engine/plsql/sql_functions.h"
#include "engine/plsql/values.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"
#include "engine/undo/undo_log.h"

#include <mutex>

namespace engine::plsql {

namespace {

// Autonomous transactions open on this thread, one inside another: each journal's number in UNDO$.
thread_local int nesting = 0;

} // namespace

AutonomousTransaction::AutonomousTransaction(SessionState& s)
    : s_(s)
{
    // The caller's journal still in memory goes to UNDO$ first: the autonomous COMMIT commits the SQLite transaction
    // both share, and the undo of the caller's changes must reach the file with them. Inside a statement (a function
    // it calls, a trigger) that transaction stays open, and the statement's journal stays in memory for its triggers.
    if (s.sqliteTxnOpen && s.writeScopeDepth == 0) {
        session::WriteScope w(s);
        s.undo->persistPending();
    }
    std::lock_guard conn(s.connMutex);
    ++nesting;
    callerUndo_ = std::move(s.undo);
    s.undo = std::make_unique<undo::UndoLog>(s.conn, -(s.sid * 1000 + nesting), &s.db->undoSeq);
    s.undo->setCapturing(callerUndo_->capturing());
    callerSavepoints_ = std::move(s.savepoints);
    s.savepoints.clear();
    callerInTransaction_ = s.inTransaction;
    s.inTransaction = false;
    callerReadOnly_ = s.readOnlyTransaction;
    s.readOnlyTransaction = false;
    callerLockFloor_ = s.lockFloor;
    s.lockFloor = s.db->locks.mark(s.sid);
    callerSqlFunctionDepth_ = beginAutonomousSqlLevel();
    hiddenTriggers_ = exec::hideFiringTriggers(s);
}

AutonomousTransaction::~AutonomousTransaction()
{
    try {
        if (pending())
            rollbackOwn();
    } catch (...) {
        // The error that ends the block is the one its caller sees.
    }
    exec::restoreFiringTriggers(s_, hiddenTriggers_);
    endAutonomousSqlLevel(callerSqlFunctionDepth_);
    std::lock_guard conn(s_.connMutex);
    s_.undo = std::move(callerUndo_);
    s_.undo->attach();
    s_.savepoints = std::move(callerSavepoints_);
    s_.inTransaction = callerInTransaction_;
    s_.readOnlyTransaction = callerReadOnly_;
    s_.lockFloor = callerLockFloor_;
    --nesting;
}

bool AutonomousTransaction::pending() const
{
    return s_.inTransaction || s_.undo->mark() > 0 || s_.undo->hasPersisted()
        || s_.db->locks.mark(s_.sid) > s_.lockFloor;
}

void AutonomousTransaction::rollbackOwn()
{
    if (s_.undo->mark() > 0 || s_.undo->hasPersisted()) {
        session::WriteScope w(s_);
        s_.undo->undoTo(0);
        s_.undo->discardAll();
    }
    if (s_.lockFloor > 0)
        s_.db->locks.releaseAfter(s_.sid, s_.lockFloor);
    else
        s_.db->locks.releaseAll(s_.sid);
    s_.savepoints.clear();
    s_.inTransaction = false;
}

void AutonomousTransaction::finish()
{
    if (!pending())
        return;
    rollbackOwn();
    throw plError(6519, "active autonomous transaction detected and rolled back");
}

} // namespace engine::plsql

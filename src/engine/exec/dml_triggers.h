// Database triggers fired by INSERT, UPDATE and DELETE: statement triggers around the statement, row triggers per
// row with :NEW and :OLD, and the mutating-table rule for what row triggers may read.
#pragma once

#include "engine/bind/bound.h"
#include "engine/engine.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::exec {

// Whether DML on the table may fire triggers. Cheap: a per-database set of the tables that have any, read again
// after DDL, so a table without triggers pays one lookup.
bool mayFireTriggers(SessionState& s, int64_t tableId);

// Runs a DML statement on a table with triggers; `run` runs the statement itself (with its own locking, retries
// and undo on failure). A trigger's error fails the statement and undoes its work, the triggers' included.
ExecResult runWithTriggers(
    SessionState& s, const bind::BoundStatement& b, std::vector<Bind>& binds, const std::function<ExecResult()>& run);

// Drops the session's compiled triggers (their statements belong to its connection); the session is ending.
void forgetCompiledTriggers(SessionState& s);

// ORA-04092 when a trigger of the session is running: it may not end or mark the transaction (COMMIT, ROLLBACK,
// SAVEPOINT, the implicit COMMIT of DDL). `what` is Oracle's word for it ("COMMIT").
void checkNotInTrigger(const SessionState& s, const char* what);

// An autonomous transaction started inside a trigger may end itself: the session's running triggers stop counting
// for checkNotInTrigger until restoreFiringTriggers gives back the count this returned.
int hideFiringTriggers(const SessionState& s);
void restoreFiringTriggers(const SessionState& s, int count);

// ORA-04091 when a statement that a row trigger runs reads or changes the table the trigger fired on.
void checkMutating(const SessionState& s, const bind::BoundStatement& b);

} // namespace engine::exec

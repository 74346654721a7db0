// Oracle transactions over short SQLite write transactions: taking the write lock through the database's gate,
// COMMIT, ROLLBACK, savepoints and statement-level rollback, and giving the write lock up before a lock wait.
#pragma once

#include "engine/session/session_state.h"

#include <mutex>
#include <string>

namespace engine::session {

// Holds the database's write gate and the session's SQLite write transaction for as long as it lives. Commits the
// SQLite transaction another session left open first. The transaction stays open afterwards (the session becomes
// the pending writer) until commit, rollback, or another session's WriteScope.
class WriteScope {
public:
    explicit WriteScope(SessionState& s);
    ~WriteScope();
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;

    // Ends the SQLite transaction now, keeping the Oracle transaction's undo in UNDO$.
    void commitSqlite();
    // Discards the SQLite transaction (DDL that failed: nothing of it stays).
    void rollbackSqlite();

private:
    SessionState& s_;
    std::unique_lock<std::mutex> gate_;
    std::unique_lock<std::recursive_mutex> conn_;
};

// Commits the session's open SQLite transaction (its undo kept in UNDO$) so that it holds no SQLite lock while
// it waits for an engine lock.
void releaseWriteLock(SessionState& s);

// Commits the SQLite transaction a session left open (its undo kept in UNDO$). The caller holds the database's
// gate and clears pendingWriter. When that fails (a full disk), the other session's SQLite transaction is rolled
// back and its undo marked lost: its own next call ends its transaction (endLostTransaction). Never throws.
void commitPendingOf(SessionState& other);

// When SQLite took back a SQLite transaction of the session (see UndoLog::lost), rolls back the rest of its
// Oracle transaction and releases its locks, then throws ORA-02091 (with cause as a second line) if the
// transaction had done anything. Does nothing otherwise. When the rest cannot be rolled back either, throws that
// failure and stays lost: the work stays undoable, by a later call or at the next open.
void endLostTransaction(SessionState& s, const std::string& cause = {});

// COMMIT. A commit that fails leaves the transaction open, or, when SQLite rolled its work back, ends it with
// ORA-02091 as Oracle ends a transaction whose commit failed.
void commit(SessionState& s);
void rollback(SessionState& s);
void savepoint(SessionState& s, const std::string& name);
// ORA-01086 when the savepoint is unknown.
void rollbackToSavepoint(SessionState& s, const std::string& name);

// A statement failed after changing rows: undo its own changes and release the locks it took.
void undoStatement(SessionState& s, int64_t undoMark, int64_t lockMark);

} // namespace engine::session

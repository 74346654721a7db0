// Oracle transactions on the session's connection.
#include "engine/session/transaction.h"

#include "engine/jobs/coordinator.h"
#include "engine/link/links.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

namespace engine::session {

void commitPendingOf(SessionState& other)
{
    std::lock_guard conn(other.connMutex);
    if (!other.sqliteTxnOpen)
        return;
    other.undo->persistPending();
    storage::exec(other.conn, "COMMIT");
    other.sqliteTxnOpen = false;
}

WriteScope::WriteScope(SessionState& s)
    : s_(s)
    , gate_(s.db->gate, std::defer_lock)
{
    if (s.writeScopeDepth > 0) {
        conn_ = std::unique_lock(s.connMutex);
        ++s.writeScopeDepth;
        return;
    }
    gate_.lock();
    SessionState* pending = s.db->pendingWriter;
    if (pending && pending != &s) {
        commitPendingOf(*pending);
        s.db->pendingWriter = nullptr;
    }
    conn_ = std::unique_lock(s.connMutex);
    if (!s.sqliteTxnOpen) {
        storage::exec(s.conn, "BEGIN IMMEDIATE");
        s.sqliteTxnOpen = true;
    }
    s.db->pendingWriter = &s;
    // Counted only once the scope holds: a constructor that throws runs no destructor.
    ++s.writeScopeDepth;
}

WriteScope::~WriteScope()
{
    if (--s_.writeScopeDepth > 0)
        return;
    if (s_.sqliteTxnOpen && sqlite3_get_autocommit(s_.conn)) {
        // SQLite ended the transaction itself (an I/O error or a full disk rolls it back).
        s_.sqliteTxnOpen = false;
    }
    if (!s_.sqliteTxnOpen && s_.db->pendingWriter == &s_)
        s_.db->pendingWriter = nullptr;
}

void WriteScope::commitSqlite()
{
    if (!s_.sqliteTxnOpen)
        return;
    s_.undo->persistPending();
    storage::exec(s_.conn, "COMMIT");
    s_.sqliteTxnOpen = false;
}

void WriteScope::rollbackSqlite()
{
    if (!s_.sqliteTxnOpen)
        return;
    sqlite3_exec(s_.conn, "ROLLBACK", nullptr, nullptr, nullptr);
    s_.sqliteTxnOpen = false;
}

void releaseWriteLock(SessionState& s)
{
    std::lock_guard gate(s.db->gate);
    if (s.db->pendingWriter == &s) {
        commitPendingOf(s);
        s.db->pendingWriter = nullptr;
    }
}

namespace {

void releaseTransactionLocks(SessionState& s)
{
    if (s.lockFloor > 0)
        s.db->locks.releaseAfter(s.sid, s.lockFloor);
    else
        s.db->locks.releaseAll(s.sid);
}

} // namespace

void commit(SessionState& s)
{
    link::commitRemote(s);
    // An autonomous transaction inside a statement (a function it calls, a trigger) commits inside the statement's
    // SQLite transaction, which reaches the file when the statement's transaction does.
    const bool insideStatement = s.writeScopeDepth > 0;
    if (s.sqliteTxnOpen || s.undo->hasPersisted()) {
        WriteScope w(s);
        s.undo->discardAll();
        if (!insideStatement)
            w.commitSqlite();
    } else {
        s.undo->discardAll();
    }
    releaseTransactionLocks(s);
    s.savepoints.clear();
    s.inTransaction = false;
    jobs::transactionEnded(s);
}

void rollback(SessionState& s)
{
    const bool insideStatement = s.writeScopeDepth > 0;
    if (s.undo->mark() > 0 || s.undo->hasPersisted() || s.sqliteTxnOpen) {
        WriteScope w(s);
        s.undo->undoTo(0);
        s.undo->discardAll();
        if (!insideStatement)
            w.commitSqlite();
    }
    releaseTransactionLocks(s);
    s.savepoints.clear();
    s.inTransaction = false;
    link::rollbackRemote(s);
    jobs::transactionEnded(s);
}

void savepoint(SessionState& s, const std::string& name)
{
    for (auto it = s.savepoints.begin(); it != s.savepoints.end(); ++it)
        if (it->name == name) {
            s.savepoints.erase(it);
            break;
        }
    s.savepoints.push_back({ name, s.undo->mark(), s.db->locks.mark(s.sid) });
    link::savepointRemote(s, name);
    s.inTransaction = true;
}

void rollbackToSavepoint(SessionState& s, const std::string& name)
{
    auto it = s.savepoints.end();
    for (auto i = s.savepoints.begin(); i != s.savepoints.end(); ++i)
        if (i->name == name)
            it = i;
    if (it == s.savepoints.end())
        throw oraError(1086, "savepoint '" + name + "' never established in this session or is invalid");
    Savepoint sp = *it;
    link::rollbackRemoteToSavepoint(s, name);
    if (s.undo->changedSince(sp.undoMark)) {
        WriteScope w(s);
        s.undo->undoTo(sp.undoMark);
    }
    s.db->locks.releaseAfter(s.sid, sp.lockMark);
    s.savepoints.erase(it + 1, s.savepoints.end());
}

void undoStatement(SessionState& s, int64_t undoMark, int64_t lockMark)
{
    if (s.undo->changedSince(undoMark)) {
        WriteScope w(s);
        s.undo->undoTo(undoMark);
    }
    s.db->locks.releaseAfter(s.sid, lockMark);
}

} // namespace engine::session

// Oracle transactions on the session's connection.
#include "engine/session/transaction.h"

#include "engine/exec/cursor.h"
#include "engine/jobs/coordinator.h"
#include "engine/link/links.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

namespace engine::session {

namespace {

// After a failed SQLite call: when SQLite has ended the transaction itself, the session's changes in it are gone
// with their undo records.
void noteEndedBySqlite(SessionState& s)
{
    if (s.sqliteTxnOpen && sqlite3_get_autocommit(s.conn)) {
        s.sqliteTxnOpen = false;
        s.undo->markLost();
    }
}

// The session's open cursors read the rest of their rows into memory and end their reads of the file.
void readCursorsAhead(SessionState& s)
{
    for (auto& w : s.openCursors)
        if (auto core = w.lock())
            core->buffer();
}

} // namespace

void commitPendingOf(SessionState& other)
{
    std::lock_guard conn(other.connMutex);
    if (!other.sqliteTxnOpen)
        return;
    try {
        other.undo->persistPending();
        storage::exec(other.conn, "COMMIT");
    } catch (const Error&) {
        // Its transaction must not stay half in the file, nor keep SQLite's write lock from the caller.
        if (!sqlite3_get_autocommit(other.conn))
            sqlite3_exec(other.conn, "ROLLBACK", nullptr, nullptr, nullptr);
        other.undo->markLost();
    }
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
    noteEndedBySqlite(s);
    if (!s.sqliteTxnOpen) {
        int rc = sqlite3_exec(s.conn, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_BUSY_SNAPSHOT) {
            // A cursor of the session still reads the file as it was before another session committed.
            readCursorsAhead(s);
            rc = sqlite3_exec(s.conn, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        }
        if (rc != SQLITE_OK)
            throw storage::sqliteError(s.conn, rc);
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
    // SQLite may have ended the transaction itself (an I/O error or a full disk rolls it back).
    noteEndedBySqlite(s_);
    if (!s_.sqliteTxnOpen && s_.db->pendingWriter == &s_)
        s_.db->pendingWriter = nullptr;
}

void WriteScope::commitSqlite()
{
    if (!s_.sqliteTxnOpen)
        return;
    try {
        s_.undo->persistPending();
        storage::exec(s_.conn, "COMMIT");
    } catch (const Error&) {
        noteEndedBySqlite(s_);
        throw;
    }
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

void endTransaction(SessionState& s)
{
    // An autonomous transaction releases only the locks it took; its caller's stay.
    if (s.lockFloor > 0)
        s.db->locks.releaseAfter(s.sid, s.lockFloor);
    else
        s.db->locks.releaseAll(s.sid);
    s.savepoints.clear();
    s.inTransaction = false;
    jobs::transactionEnded(s);
}

// Applies the whole undo of the transaction and commits that.
void undoAll(SessionState& s)
{
    // An autonomous transaction inside a statement (a function it calls, a trigger) ends inside the statement's
    // SQLite transaction, which reaches the file when the statement's transaction does.
    const bool insideStatement = s.writeScopeDepth > 0;
    WriteScope w(s);
    s.undo->undoTo(0);
    s.undo->discardAll();
    if (!insideStatement)
        w.commitSqlite();
}

} // namespace

void endLostTransaction(SessionState& s, const std::string& cause)
{
    if (!s.undo->lost())
        return;
    bool hadWork = s.inTransaction;
    undoAll(s);
    s.undo->clearLost();
    endTransaction(s);
    link::rollbackRemote(s);
    s.readOnlyTransaction = false;
    if (hadWork)
        throw oraError(2091, "transaction rolled back" + (cause.empty() ? std::string() : "\n" + cause));
}

void commit(SessionState& s)
{
    endLostTransaction(s);
    link::commitRemote(s);
    bool write = false;
    {
        std::lock_guard conn(s.connMutex);
        write = s.sqliteTxnOpen || s.undo->hasPersisted();
        if (!write)
            s.undo->discardAll();
    }
    if (write) {
        const bool insideStatement = s.writeScopeDepth > 0;
        try {
            WriteScope w(s);
            s.undo->discardAll();
            if (!insideStatement)
                w.commitSqlite();
        } catch (const Error& e) {
            // Committed nothing. When SQLite took the work back, the transaction ends as a whole, as Oracle ends a
            // transaction whose commit failed; else it is still open and may be committed again or rolled back.
            endLostTransaction(s, e.message());
            throw;
        }
    }
    endTransaction(s);
}

void rollback(SessionState& s)
{
    bool write = false;
    {
        std::lock_guard conn(s.connMutex);
        write = s.undo->mark() > 0 || s.undo->hasPersisted() || s.sqliteTxnOpen || s.undo->lost();
    }
    if (write) {
        undoAll(s);
        s.undo->clearLost();
    }
    endTransaction(s);
    link::rollbackRemote(s);
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
    // Work after the savepoint that SQLite took back cannot be told from work before it.
    endLostTransaction(s);
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

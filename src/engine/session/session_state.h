// The state behind one engine::Session: its SQLite connection, user and schema, the functions' context, the
// transaction (undo, savepoints, locks), the server output buffer, the statement cache and the cancel flag.
#pragma once

#include "engine/engine.h"
#include "engine/fn/context.h"
#include "engine/sysview/instance_state.h"
#include "engine/undo/undo_log.h"

#include <sqlite3.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine {

struct DatabaseState;
namespace link {
struct Links;
} // namespace link
namespace exec {
class StatementCache;
class KeyCache;
class PreparedPool;
struct CursorCore;
} // namespace exec
namespace plsql {
struct NativeSessionState;
}
namespace priv {
struct PrivilegeCache;
}

struct Savepoint {
    std::string name;
    int64_t undoMark = 0;
    int64_t lockMark = 0;
};

struct SessionState {
    std::shared_ptr<Database> database; // keeps the database open while the session lives
    DatabaseState* db = nullptr;
    sqlite3* conn = nullptr;

    int64_t sid = 0;
    int64_t userId = 0;
    std::string user;
    std::string schema; // CURRENT_SCHEMA
    int64_t schemaId = 0;
    bool sysdba = false;
    fn::FunctionContext fctx;

    // Calls on one session are serialised by callMutex; connMutex guards the connection itself, which another
    // session's commit of our pending SQLite transaction and a cursor read from another thread also use.
    std::recursive_mutex callMutex;
    std::shared_ptr<std::recursive_mutex> connLock = std::make_shared<std::recursive_mutex>();
    std::recursive_mutex& connMutex = *connLock;
    std::atomic<bool> interrupted { false };

    // Transaction.
    std::unique_ptr<undo::UndoLog> undo;
    bool sqliteTxnOpen = false; // our SQLite write transaction is open (guarded by db->gate)
    // WriteScopes of this session open on its thread: a stored function called by a DML statement runs its own
    // statements inside the statement's scope, which already holds the database's gate.
    int writeScopeDepth = 0;
    // Stored units a call recompiled in memory; their status is written when the call ends.
    std::vector<int64_t> revalidatedUnits;
    std::atomic<bool> inTransaction { false }; // Oracle's meaning; read from any thread
    std::vector<Savepoint> savepoints;
    // The lock mark the transaction's own locks start after: 0, or an autonomous transaction's start, whose COMMIT
    // and ROLLBACK leave its caller's locks held.
    int64_t lockFloor = 0;
    std::map<int64_t, int64_t> seqCurrval; // CURRVAL per sequence

    // Server output (DBMS_OUTPUT's buffer).
    bool outputEnabled = false;
    int64_t outputLimit = 20000;
    int64_t outputBytes = 0;
    std::deque<std::string> outputLines;

    std::unique_ptr<exec::StatementCache> cache;
    std::unique_ptr<exec::KeyCache> keys; // the unique keys of tables, for key locks
    std::unique_ptr<exec::PreparedPool> prepared; // the engine's own statements, prepared once
    std::vector<std::weak_ptr<exec::CursorCore>> openCursors; // ended when the session logs off
    bool readOnlyTransaction = false; // SET TRANSACTION READ ONLY
    bool checksOff = false; // TRUNCATE and DDL that move rows: the constraint triggers stand aside
    // A statement run again with its foreign keys checked when it ends (as Oracle checks them): the triggers'
    // row-by-row foreign key checks stand aside, ON DELETE actions still apply.
    bool foreignKeysDeferred = false;

    // The built-in packages' state (pipe buffers, DBMS_SQL cursors, open files): plsql/native_state.h.
    std::shared_ptr<plsql::NativeSessionState> native;

    // Identity, status and I/O counters as V$SESSION and V$SESS_IO show them.
    sysview::SessionInfo info;

    // The user's rights as last read from the catalog (priv/privilege_cache.h).
    std::shared_ptr<priv::PrivilegeCache> privileges;

    // Remote sessions opened through database links, and the tables that stand for remote ones; made on first use.
    std::shared_ptr<link::Links> links;
    // Seconds a lock wait lasts when the statement sets no WAIT, -1 for ever. A session opened through a database
    // link waits no longer than Oracle's distributed_lock_timeout: its caller may hold the lock it waits for.
    int lockWaitLimit = -1;

    SessionState();
    ~SessionState();
};

} // namespace engine

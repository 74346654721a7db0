// A session's connection and the functions registered on it.
#include "engine/session/connection.h"

#include "engine/bind/bound.h"
#include "engine/catalog/rowid.h"
#include "engine/dict/fixed.h"
#include "engine/emit/runtime_functions.h"
#include "engine/fn/registry.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <string>

namespace engine::session {

sqlite3* openConnection(const std::string& file)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        Error e = storage::sqliteError(db, rc);
        sqlite3_close(db);
        throw e;
    }
    try {
        sqlite3_extended_result_codes(db, 1);
        // Sessions wait for each other through the engine's gate and lock manager; SQLite's own wait only covers a
        // checkpoint that happens to run at the same moment.
        sqlite3_busy_timeout(db, 60000);
        // NORMAL: a commit is in the WAL before COMMIT returns, so a process that dies loses nothing committed.
        // Recursive triggers: ON DELETE CASCADE within one table (a tree) deletes the children's children too.
        storage::exec(db,
            "PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = OFF; PRAGMA temp_store = MEMORY;"
            "PRAGMA cache_size = -32768; PRAGMA recursive_triggers = ON");
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    return db;
}

namespace {

SessionState& sessionOf(sqlite3_context* ctx)
{
    return *static_cast<SessionState*>(sqlite3_user_data(ctx));
}

void fail(sqlite3_context* ctx, const Error& e)
{
    sqlite3_result_error(ctx, e.message().c_str(), static_cast<int>(e.message().size()));
}

void rowidFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    std::string r = catalog::encodeRowid(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]));
    sqlite3_result_text(ctx, r.data(), static_cast<int>(r.size()), SQLITE_TRANSIENT);
}

void rowidRownoFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const unsigned char* t = sqlite3_value_text(argv[0]);
    std::string_view text(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_value_bytes(argv[0])));
    auto d = catalog::decodeRowid(text);
    if (!d) {
        fail(ctx, oraError(1410, "invalid ROWID"));
        return;
    }
    if (d->objectId != sqlite3_value_int64(argv[1]))
        sqlite3_result_null(ctx);
    else
        sqlite3_result_int64(ctx, d->rowno);
}

void nextvalFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    try {
        sqlite3_result_int64(ctx, sequenceNextval(sessionOf(ctx), sqlite3_value_int64(argv[0])));
    } catch (const Error& e) {
        fail(ctx, e);
    }
}

void currvalFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    SessionState& s = sessionOf(ctx);
    auto it = s.seqCurrval.find(sqlite3_value_int64(argv[0]));
    if (it == s.seqCurrval.end()) {
        // Oracle names the sequence; the object number is what the call carries.
        fail(ctx, oraError(8002, "sequence CURRVAL is not yet defined in this session"));
        return;
    }
    sqlite3_result_int64(ctx, it->second);
}

void rowLockedFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    SessionState& s = sessionOf(ctx);
    int64_t holder = s.db->locks.rowHolder(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]));
    sqlite3_result_int(ctx, holder != 0 && holder != s.sid ? 1 : 0);
}

void foreignKeysImmediateFn(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_int(ctx, sessionOf(ctx).foreignKeysDeferred ? 0 : 1);
}

void checksFn(sqlite3_context* ctx, int, sqlite3_value**)
{
    SessionState& s = sessionOf(ctx);
    sqlite3_result_int(ctx, s.undo && !s.undo->applying() && !s.checksOff ? 1 : 0);
}

void loadSequence(SessionState& s, int64_t id, SequenceCache& c)
{
    storage::Stmt q(s.conn,
        R"(SELECT "INCREMENT$", "MINVALUE", "MAXVALUE", "CYCLE#", "CACHE", "HIGHWATER" FROM "SEQ$" WHERE "OBJ#" = ?1)");
    q.bind(1, id);
    if (!q.step())
        throw oraError(2289, "sequence does not exist");
    c.increment = q.int64(0);
    c.minValue = q.int64(1);
    c.maxValue = q.int64(2);
    c.cycle = q.int64(3) != 0;
    c.cache = std::max<int64_t>(q.int64(4), 1);
    c.next = q.int64(5);
    c.highwater = c.next;
}

} // namespace

int64_t sequenceNextval(SessionState& s, int64_t id)
{
    std::lock_guard lk(s.db->sequencesMutex);
    auto [it, fresh] = s.db->sequences.try_emplace(id);
    SequenceCache& c = it->second;
    if (fresh) {
        try {
            loadSequence(s, id, c);
        } catch (...) {
            s.db->sequences.erase(it);
            throw;
        }
    }
    bool up = c.increment > 0;
    if ((up && c.next > c.maxValue) || (!up && c.next < c.minValue)) {
        if (!c.cycle)
            throw oraError(
                8004, "sequence exceeds " + std::string(up ? "MAXVALUE" : "MINVALUE") + " and cannot be instantiated");
        c.next = up ? c.minValue : c.maxValue;
        c.highwater = c.next;
    }
    if (c.next == c.highwater) {
        // Reserve the next cache of values on disk before handing one out; the caller holds the write transaction.
        int64_t hw = c.next + c.increment * c.cache;
        storage::Stmt u(s.conn, R"(UPDATE "SEQ$" SET "HIGHWATER" = ?2 WHERE "OBJ#" = ?1)");
        u.bind(1, id).bind(2, hw).run();
        c.highwater = hw;
    }
    int64_t v = c.next;
    c.next += c.increment;
    s.seqCurrval[id] = v;
    return v;
}

void dropSequenceCache(SessionState& s, int64_t id)
{
    std::lock_guard lk(s.db->sequencesMutex);
    s.db->sequences.erase(id);
}

int registerBuiltins(sqlite3* db, fn::FunctionContext* context)
{
    int rc = fn::registerAll(db, context);
    return rc == SQLITE_OK ? emit::registerRuntimeFunctions(db) : rc;
}

void registerSessionFunctions(SessionState& s)
{
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(s.conn, bind::kRowidFunction, 2, det, &s, rowidFn, nullptr, nullptr);
    sqlite3_create_function(s.conn, bind::kRowidRownoFunction, 2, det, &s, rowidRownoFn, nullptr, nullptr);
    sqlite3_create_function(s.conn, bind::kSeqNextvalFunction, 1, SQLITE_UTF8, &s, nextvalFn, nullptr, nullptr);
    sqlite3_create_function(s.conn, bind::kSeqCurrvalFunction, 1, SQLITE_UTF8, &s, currvalFn, nullptr, nullptr);
    sqlite3_create_function(s.conn, kChecksFunction, 0, SQLITE_UTF8, &s, checksFn, nullptr, nullptr);
    sqlite3_create_function(s.conn, kRowLockedFunction, 2, SQLITE_UTF8, &s, rowLockedFn, nullptr, nullptr);
    sqlite3_create_function(
        s.conn, kForeignKeysImmediateFunction, 0, SQLITE_UTF8, &s, foreignKeysImmediateFn, nullptr, nullptr);
    int rc = registerBuiltins(s.conn, &s.fctx);
    if (rc != SQLITE_OK)
        throw storage::sqliteError(s.conn, rc);
    priv::registerFunctions(s.conn, s);
    dict::setupFixedObjects(s.conn, s);
    // The rows an UPDATE or DELETE locked, for the statement restricted to them.
    storage::exec(
        s.conn, std::string("CREATE TABLE IF NOT EXISTS ") + bind::kDmlRowsTable + " (R INTEGER PRIMARY KEY)");
}

} // namespace engine::session

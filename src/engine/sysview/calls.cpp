// Calls, logons and killed sessions.
#include "engine/sysview/calls.h"

#include "engine/priv/privileges.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"
#include "engine/sysview/instance_load.h"

#include <QDateTime>

#include <chrono>
#include <ctime>
#include <thread>
#include <unistd.h>

namespace engine::sysview {

namespace {

int64_t nowSeconds()
{
    // Asked twice per call: the C library's clock of seconds is the cheapest there is.
    return static_cast<int64_t>(std::time(nullptr));
}

// Rolls the killed session back once; the caller holds its call mutex.
void endKilled(SessionState& s)
{
    if (s.info.rolledBack.exchange(true))
        return;
    try {
        session::rollback(s);
    } catch (const Error&) {
        // The undo stays in UNDO$ and is applied when the database is next opened.
        s.db->locks.releaseAll(s.sid);
    }
}

[[noreturn]] void tellKilled(SessionState& s)
{
    endKilled(s);
    s.info.kill = static_cast<int>(KillState::Told);
    throw oraError(28, "your session has been killed");
}

void publish(SessionState& s)
{
    std::lock_guard lk(s.info.published);
    s.info.schema = s.schema;
    s.info.schemaId = s.schemaId;
    s.info.module = s.fctx.module;
    s.info.action = s.fctx.action;
    s.info.clientInfo = s.fctx.clientInfo;
}

// Oracle's command type (V$SESSION.COMMAND) of a statement kind.
int commandOf(StatementKind k)
{
    switch (k) {
    case StatementKind::Select:
        return 3;
    case StatementKind::Insert:
        return 2;
    case StatementKind::Update:
        return 6;
    case StatementKind::Delete:
        return 7;
    case StatementKind::PlSql:
        return 47;
    case StatementKind::Commit:
        return 44;
    case StatementKind::Rollback:
        return 45;
    case StatementKind::Savepoint:
        return 46;
    case StatementKind::SetTransaction:
        return 48;
    case StatementKind::AlterSession:
        return 42;
    case StatementKind::LockTable:
        return 26;
    case StatementKind::Ddl:
    case StatementKind::Other:
        return 0;
    }
    return 0;
}

} // namespace

void enterCall(SessionState& s)
{
    int k = s.info.kill.load();
    if (k == static_cast<int>(KillState::Told))
        throw oraError(1012, "not logged on");
    if (k == static_cast<int>(KillState::Killed))
        tellKilled(s);
    s.info.active = true;
    s.info.lastCallChange = nowSeconds();
}

void leaveCall(SessionState& s)
{
    int current = 0, highwater = 0;
    if (sqlite3_db_status(s.conn, SQLITE_DBSTATUS_CACHE_MISS, &current, &highwater, 0) == SQLITE_OK) {
        if (current > s.info.physicalSampled)
            s.info.io.physicalReads.fetch_add(current - s.info.physicalSampled, std::memory_order_relaxed);
        s.info.physicalSampled = current;
    }
    publish(s);
    s.info.active = false;
    s.info.lastCallChange = nowSeconds();
}

void checkKilled(SessionState& s)
{
    if (s.info.kill.load() == static_cast<int>(KillState::Killed))
        tellKilled(s);
}

void endKilledQuietly(SessionState& s)
{
    if (s.info.kill.load() == static_cast<int>(KillState::Killed))
        endKilled(s);
}

int64_t pendingUndoRows(SessionState& s)
{
    // Asked before every call, so it must not walk the journal: the count of undo records is what a rollback
    // applies.
    if (!s.undo || !s.inTransaction)
        return 0;
    // Another session that commits this one's SQLite transaction moves the records to UNDO$.
    std::lock_guard conn(s.connMutex);
    return static_cast<int64_t>(s.undo->pendingCount());
}

void countStatement(SessionState& s, const ExecResult& r, int64_t undoRowsBefore)
{
    IoCounters& io = s.info.io;
    switch (r.kind) {
    case StatementKind::Select:
        io.consistentGets.fetch_add(1, std::memory_order_relaxed);
        break;
    case StatementKind::Insert:
    case StatementKind::Update:
    case StatementKind::Delete:
        io.blockGets.fetch_add(r.rowsProcessed + 1, std::memory_order_relaxed);
        io.blockChanges.fetch_add(r.rowsProcessed, std::memory_order_relaxed);
        break;
    case StatementKind::Rollback:
        io.consistentChanges.fetch_add(undoRowsBefore, std::memory_order_relaxed);
        break;
    default:
        break;
    }
    std::lock_guard lk(s.info.published);
    s.info.command = commandOf(r.kind);
}

void onLogon(SessionState& s, const ClientInfo& client, bool checkRestricted)
{
    InstanceState& in = s.db->instance;
    loadInstance(*s.db, s.conn);
    if (checkRestricted && in.restricted && !s.sysdba && !priv::hasSystemPrivilege(s, "RESTRICTED SESSION"))
        throw oraError(1035, "ORACLE only available to users with RESTRICTED SESSION privilege");
    std::string dateFormat;
    {
        std::lock_guard lk(in.mutex);
        if (auto it = in.startupValues.find("nls_date_format"); it != in.startupValues.end())
            dateFormat = it->second;
    }
    if (!dateFormat.empty())
        s.fctx.setNlsDateFormat(dateFormat);
    s.info.serial = in.nextSerial++;
    s.info.logonTime = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
    s.info.client = client;
    s.info.process = std::to_string(::getpid());
    s.info.lastCallChange = nowSeconds();
    s.fctx.osUser = client.osUser;
    s.fctx.host = client.machine;
    s.fctx.terminal = client.terminal.empty() ? "unknown" : client.terminal;
    publish(s);
}

void publishSession(SessionState& s)
{
    publish(s);
}

void killSession(SessionState& killer, int64_t sid, int64_t serial)
{
    DatabaseState& db = *killer.db;
    if (sid == killer.sid && serial == killer.info.serial)
        throw oraError(27, "cannot kill current session");
    auto find = [&]() -> SessionState* {
        for (SessionState* other : db.sessions)
            if (other->sid == sid && other->info.serial == serial
                && other->info.kill.load() != static_cast<int>(KillState::Told))
                return other;
        return nullptr;
    };
    // The victim's call mutex keeps it from logging off while it is rolled back here; it is only tried, never
    // waited for under sessionsMutex.
    std::unique_lock<std::recursive_mutex> victimCall;
    SessionState* victim = nullptr;
    {
        std::lock_guard lk(db.sessionsMutex);
        victim = find();
        if (!victim)
            throw oraError(30, "User session ID does not exist.");
        victim->info.kill = static_cast<int>(KillState::Killed);
        victimCall = std::unique_lock(victim->callMutex, std::try_to_lock);
        if (!victimCall.owns_lock()) {
            // A call is running: it is interrupted and rolls itself back as it ends.
            victim->interrupted = true;
            sqlite3_interrupt(victim->conn);
            db.locks.wakeAll();
        }
    }
    if (victimCall.owns_lock()) {
        endKilled(*victim);
        return;
    }
    // Oracle waits a while for the victim's call to notice, then reports ORA-00031 and leaves it marked.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (killer.interrupted)
            break;
        {
            std::lock_guard lk(db.sessionsMutex);
            if (!db.sessions.count(victim) || victim->info.rolledBack)
                return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    throw oraError(31, "session marked for kill");
}

std::string instanceVersion(DatabaseState& db)
{
    std::lock_guard lk(db.instance.mutex);
    return db.instance.version;
}

} // namespace engine::sysview

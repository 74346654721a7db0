// The dynamic performance views (V$ and GV$): Oracle's columns in Oracle's order over live sources that read the
// open database's sessions, parameters and instance state when a query starts.
#include "engine/dict/fixed.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"
#include "engine/sysview/live_table.h"
#include "engine/sysview/parameters.h"
#include "engine/sysview/pipes.h"
#include "engine/sysview/version.h"

#include <QDateTime>
#include <QSysInfo>

#include <map>
#include <set>

namespace engine::dict {

namespace {

using sysview::LiveRows;
using sysview::LiveTable;
using types::ExprType;

Value text(const std::string& t)
{
    return Value::fromText(t);
}
Value num(int64_t n)
{
    return Value::fromInt(n);
}
Value date(const std::string& t)
{
    return t.empty() ? Value::null() : Value::fromDate(t);
}
Value address(int64_t base, int64_t n)
{
    std::string bytes(8, '\0');
    uint64_t v = static_cast<uint64_t>(base) + static_cast<uint64_t>(n) * 0x1000u;
    for (int i = 7; i >= 0; --i) {
        bytes[static_cast<size_t>(i)] = static_cast<char>(v & 0xff);
        v >>= 8;
    }
    return Value::fromBlob(bytes);
}

// ---- live sources ------------------------------------------------------------------------------------------------

const LiveTable& sessionsTable()
{
    static const LiveTable t { "ORA$SESSIONS",
        { "SADDR", "SID", "SERIAL#", "AUDSID", "PADDR", "USER#", "USERNAME", "COMMAND", "TADDR", "STATUS", "SCHEMA#",
            "SCHEMANAME", "OSUSER", "PROCESS", "MACHINE", "TERMINAL", "PROGRAM", "MODULE", "ACTION", "CLIENT_INFO",
            "LOGON_TIME", "LAST_CALL_ET", "BLOCK_GETS", "CONSISTENT_GETS", "PHYSICAL_READS", "BLOCK_CHANGES",
            "CONSISTENT_CHANGES" },
        [](SessionState& self) {
            LiveRows rows;
            const int64_t now = QDateTime::currentSecsSinceEpoch();
            std::lock_guard lk(self.db->sessionsMutex);
            std::map<int64_t, SessionState*> bySid;
            for (SessionState* s : self.db->sessions)
                bySid[s->sid] = s;
            for (const auto& [sid, s] : bySid) {
                const sysview::SessionInfo& in = s->info;
                int kill = in.kill.load();
                if (kill == static_cast<int>(sysview::KillState::Told))
                    continue;
                std::string status = kill == static_cast<int>(sysview::KillState::Killed) ? "KILLED"
                    : in.active.load()                                                    ? "ACTIVE"
                                                                                          : "INACTIVE";
                std::lock_guard pub(in.published);
                rows.push_back({ address(0x70000000, sid), num(sid), num(in.serial), num(s->fctx.sessionId),
                    address(0x7a000000, sid), num(s->userId), text(s->user), num(in.command),
                    s->inTransaction ? text("00000000" + std::to_string(0x10000000 + sid)) : Value::null(),
                    text(status), num(in.schemaId), text(in.schema), text(in.client.osUser), text(in.process),
                    text(in.client.machine), text(in.client.terminal), text(in.client.program), text(in.module),
                    text(in.action), text(in.clientInfo), date(in.logonTime),
                    num(std::max<int64_t>(0, now - in.lastCallChange.load())),
                    num(in.io.blockGets.load(std::memory_order_relaxed)),
                    num(in.io.consistentGets.load(std::memory_order_relaxed)),
                    num(in.io.physicalReads.load(std::memory_order_relaxed)),
                    num(in.io.blockChanges.load(std::memory_order_relaxed)),
                    num(in.io.consistentChanges.load(std::memory_order_relaxed)) });
            }
            return rows;
        } };
    return t;
}

// V$SESS_IO's own source: the counters alone. Tools read it around every statement they run; the full session
// rows (names, programs, times as text) are not needed for it.
const LiveTable& sessIoTable()
{
    static const LiveTable t { "ORA$SESS_IO",
        { "SID", "BLOCK_GETS", "CONSISTENT_GETS", "PHYSICAL_READS", "BLOCK_CHANGES", "CONSISTENT_CHANGES" },
        [](SessionState& self) {
            LiveRows rows;
            std::lock_guard lk(self.db->sessionsMutex);
            std::map<int64_t, const SessionState*> bySid;
            for (const SessionState* s : self.db->sessions)
                bySid[s->sid] = s;
            for (const auto& [sid, s] : bySid) {
                // As in V$SESSION: a session told to go is no longer listed.
                if (s->info.kill.load() == static_cast<int>(sysview::KillState::Told))
                    continue;
                const sysview::IoCounters& io = s->info.io;
                rows.push_back({ num(sid), num(io.blockGets.load(std::memory_order_relaxed)),
                    num(io.consistentGets.load(std::memory_order_relaxed)),
                    num(io.physicalReads.load(std::memory_order_relaxed)),
                    num(io.blockChanges.load(std::memory_order_relaxed)),
                    num(io.consistentChanges.load(std::memory_order_relaxed)) });
            }
            return rows;
        } };
    return t;
}

struct InstanceSnapshot {
    std::string version, startupTime, created;
    int64_t dbid = 0;
    bool restricted = false;
    std::vector<RollbackSegment> segments;
};

InstanceSnapshot snapshot(SessionState& s)
{
    InstanceSnapshot r;
    std::lock_guard lk(s.db->instance.mutex);
    r.version = s.db->instance.version;
    r.startupTime = s.db->instance.startupTime;
    r.created = s.db->instance.created;
    r.dbid = s.db->instance.dbid;
    r.restricted = s.db->instance.restricted.load();
    r.segments = s.db->instance.rollbackSegments;
    return r;
}

const LiveTable& instanceTable()
{
    static const LiveTable t { "ORA$INSTANCE",
        { "INSTANCE_NAME", "DB_NAME", "HOST_NAME", "VERSION", "VERSION_FULL", "STARTUP_TIME", "LOGINS", "DBID",
            "CREATED", "SCN" },
        [](SessionState& s) {
            InstanceSnapshot in = snapshot(s);
            return LiveRows { { text(s.fctx.instanceName), text(s.fctx.dbName),
                text(QSysInfo::machineHostName().toStdString()), text(in.version),
                text(sysview::versionFull(in.version)), date(in.startupTime),
                text(in.restricted ? "RESTRICTED" : "ALLOWED"), num(in.dbid), date(in.created),
                num(1000000 + s.db->undoSeq.load()) } };
        } };
    return t;
}

const LiveTable& versionTable()
{
    static const LiveTable t { "ORA$VERSION", { "BANNER", "BANNER_FULL", "BANNER_LEGACY" }, [](SessionState& s) {
                                  std::string v = snapshot(s).version;
                                  LiveRows rows;
                                  bool modern = sysview::majorOf(v) >= 18;
                                  for (const std::string& b : sysview::versionBanners(v))
                                      rows.push_back(
                                          { text(b), modern ? text(sysview::versionBannerFull(v)) : Value::null(),
                                              modern ? text(b) : Value::null() });
                                  return rows;
                              } };
    return t;
}

const char* yesNo(bool b)
{
    return b ? "TRUE" : "FALSE";
}

const char* systemModifiable(sysview::SystemModifiable m)
{
    switch (m) {
    case sysview::SystemModifiable::Immediate:
        return "IMMEDIATE";
    case sysview::SystemModifiable::Deferred:
        return "DEFERRED";
    case sysview::SystemModifiable::False:
        return "FALSE";
    }
    return "FALSE";
}

int64_t hashOf(const std::string& name)
{
    uint32_t h = 2166136261u;
    for (unsigned char c : name) {
        h ^= c;
        h *= 16777619u;
    }
    return static_cast<int64_t>(h);
}

const LiveTable& parametersTable()
{
    static const LiveTable t { "ORA$PARAMETERS",
        { "NUM", "NAME", "TYPE", "VALUE", "DEFAULT_VALUE", "ISDEFAULT", "ISSES_MODIFIABLE", "ISSYS_MODIFIABLE",
            "ISMODIFIED", "ISDEPRECATED", "ISBASIC", "DESCRIPTION", "HASH" },
        [](SessionState& s) {
            LiveRows rows;
            for (const sysview::ParameterRow& p : sysview::parameterRows(s)) {
                const sysview::ParameterDef& d = *p.def;
                rows.push_back({ num(p.num), text(d.name), num(static_cast<int>(d.type)),
                    p.value ? text(*p.value) : Value::null(), p.defaultValue ? text(*p.defaultValue) : Value::null(),
                    text(yesNo(p.isDefault)), text(yesNo(d.sessionModifiable)),
                    text(systemModifiable(d.systemModifiable)), text(p.isModified), text(yesNo(d.deprecated)),
                    text(yesNo(d.basic)), text(d.description), num(hashOf(d.name)) });
            }
            return rows;
        } };
    return t;
}

const LiveTable& rollbackTable()
{
    static const LiveTable t { "ORA$ROLLBACK_SEGMENTS", { "USN", "NAME", "STATUS", "XACTS" },
        [](SessionState& s) {
            InstanceSnapshot in = snapshot(s);
            // Each transaction is counted on one online undo segment, chosen by its SID.
            std::vector<int64_t> onlineUsns;
            for (size_t i = 1; i < in.segments.size(); ++i)
                if (in.segments[i].online)
                    onlineUsns.push_back(static_cast<int64_t>(i));
            std::map<int64_t, int64_t> xacts;
            if (!onlineUsns.empty()) {
                std::lock_guard lk(s.db->sessionsMutex);
                for (SessionState* other : s.db->sessions)
                    if (other->inTransaction)
                        ++xacts[onlineUsns[static_cast<size_t>(other->sid) % onlineUsns.size()]];
            }
            LiveRows rows;
            for (size_t i = 0; i < in.segments.size(); ++i) {
                if (!in.segments[i].online)
                    continue;
                int64_t usn = static_cast<int64_t>(i);
                rows.push_back({ num(usn), text(in.segments[i].name), text("ONLINE"), num(xacts[usn]) });
            }
            return rows;
        } };
    return t;
}

// The transaction of a session as V$LOCK names it: an undo segment and slot from its SID, its serial number.
int64_t txId1(int64_t sid)
{
    return 65536 * (sid % 10 + 1) + sid;
}

const LiveTable& locksTable()
{
    static const LiveTable t { "ORA$LOCKS",
        { "ADDR", "SID", "TYPE", "ID1", "ID2", "LMODE", "REQUEST", "BLOCK", "USERNAME", "OSUSER", "PROCESS", "XIDUSN",
            "XIDSLOT", "XIDSQN" },
        [](SessionState& self) {
            locks::LockManager::Snapshot snap = self.db->locks.snapshot();
            std::set<int64_t> blockers;
            for (const auto& [waiter, blocker] : snap.waitsFor)
                blockers.insert(blocker);
            struct Who {
                std::string user, osUser, process;
                int64_t serial = 0;
                bool inTransaction = false;
            };
            std::map<int64_t, Who> who;
            {
                std::lock_guard lk(self.db->sessionsMutex);
                for (SessionState* s : self.db->sessions)
                    who[s->sid]
                        = { s->user, s->info.client.osUser, s->info.process, s->info.serial, s->inTransaction.load() };
            }
            LiveRows rows;
            int64_t n = 0;
            auto add = [&](int64_t sid, const char* type, int64_t id1, int64_t id2, int64_t lmode, int64_t request,
                           bool block) {
                const Who& w = who[sid];
                bool tx = w.inTransaction || snap.rowHolders.count(sid);
                rows.push_back({ address(0x60000000, ++n), num(sid), text(type), num(id1), num(id2), num(lmode),
                    num(request), num(block ? 1 : 0), text(w.user), text(w.osUser), text(w.process),
                    num(tx ? sid % 10 + 1 : 0), num(tx ? sid : 0), num(tx ? w.serial : 0) });
            };
            for (const auto& [sid, w] : who) {
                if (w.inTransaction || snap.rowHolders.count(sid))
                    add(sid, "TX", txId1(sid), w.serial, 6, 0, blockers.count(sid) > 0);
                if (auto it = snap.waitsFor.find(sid); it != snap.waitsFor.end())
                    add(sid, "TX", txId1(it->second), who[it->second].serial, 0, 6, false);
            }
            for (const auto& l : snap.tables)
                add(l.session, "TM", l.object, 0, static_cast<int>(l.mode), 0, blockers.count(l.session) > 0);
            return rows;
        } };
    return t;
}

const LiveTable& pipesTable()
{
    static const LiveTable t { "ORA$PIPES", { "OWNERID", "NAME", "TYPE", "PIPE_SIZE" }, [](SessionState& s) {
                                  LiveRows rows;
                                  for (const sysview::PipeRow& p : sysview::listPipes(*s.db))
                                      rows.push_back({ p.ownerId ? num(*p.ownerId) : Value::null(), text(p.name),
                                          text(p.isPrivate ? "PRIVATE" : "PUBLIC"), num(p.size) });
                                  return rows;
                              } };
    return t;
}

// The session statistics Oracle keeps under these names, numbered in this list's order.
struct Statistic {
    const char* name;
    int cls;
    std::atomic<int64_t> sysview::IoCounters::*counter;
};
const std::vector<Statistic>& statistics()
{
    using C = sysview::IoCounters;
    static const std::vector<Statistic> s {
        { "db block gets", 8, &C::blockGets },
        { "consistent gets", 8, &C::consistentGets },
        { "physical reads", 8, &C::physicalReads },
        { "db block changes", 8, &C::blockChanges },
        { "consistent changes", 8, &C::consistentChanges },
    };
    return s;
}

const LiveTable& statsTable()
{
    static const LiveTable t { "ORA$SESSION_STATS", { "SID", "STATISTIC#", "VALUE", "MINE" }, [](SessionState& self) {
                                  LiveRows rows;
                                  std::lock_guard lk(self.db->sessionsMutex);
                                  std::map<int64_t, SessionState*> bySid;
                                  for (SessionState* s : self.db->sessions)
                                      bySid[s->sid] = s;
                                  for (const auto& [sid, s] : bySid) {
                                      const auto& list = statistics();
                                      for (size_t i = 0; i < list.size(); ++i)
                                          rows.push_back({ num(sid), num(static_cast<int64_t>(i)),
                                              num((s->info.io.*(list[i].counter)).load(std::memory_order_relaxed)),
                                              num(s == &self ? 1 : 0) });
                                  }
                                  return rows;
                              } };
    return t;
}

// ---- views ---------------------------------------------------------------------------------------------------

struct Col {
    const char* name;
    ExprType type;
    std::string expr; // SQLite expression over the live source
};

ExprType N()
{
    return ExprType::number();
}
ExprType V(int n)
{
    return ExprType::varchar2(n);
}
ExprType D()
{
    return ExprType::date();
}
ExprType R(int n)
{
    ExprType t;
    t.type = OraType::Raw;
    t.size = n;
    return t;
}

std::string quoted(const char* name)
{
    return std::string("\"") + name + "\"";
}

FixedObject view(const char* name, const std::vector<Col>& cols, const std::string& from,
    FixedAccess access = FixedAccess::Dictionary, bool global = false)
{
    FixedObject o;
    o.name = global ? std::string("G") + name : name;
    o.access = access;
    std::string select;
    if (global) {
        o.columns.push_back({ "INST_ID", N() });
        select = "1 AS \"INST_ID\"";
    }
    for (const Col& c : cols) {
        o.columns.push_back({ c.name, c.type });
        select += (select.empty() ? "" : ", ") + (c.expr.empty() ? quoted(c.name) : c.expr) + " AS " + quoted(c.name);
    }
    o.source = "SELECT " + select + " FROM " + from;
    return o;
}

std::vector<Col> sessionColumns()
{
    const std::string waiting = "CASE \"STATUS\" WHEN 'ACTIVE' THEN ";
    return {
        { "SADDR", R(8), "" },
        { "SID", N(), "" },
        { "SERIAL#", N(), "" },
        { "AUDSID", N(), "" },
        { "PADDR", R(8), "" },
        { "USER#", N(), "" },
        { "USERNAME", V(128), "" },
        { "COMMAND", N(), "" },
        { "OWNERID", N(), "2147483644" },
        { "TADDR", V(16), "" },
        { "LOCKWAIT", V(16), "NULL" },
        { "STATUS", V(8), "" },
        { "SERVER", V(9), "'DEDICATED'" },
        { "SCHEMA#", N(), "" },
        { "SCHEMANAME", V(128), "" },
        { "OSUSER", V(128), "" },
        { "PROCESS", V(24), "" },
        { "MACHINE", V(64), "" },
        { "PORT", N(), "0" },
        { "TERMINAL", V(30), "" },
        { "PROGRAM", V(48), "" },
        { "TYPE", V(10), "'USER'" },
        { "SQL_ADDRESS", R(8), "NULL" },
        { "SQL_HASH_VALUE", N(), "0" },
        { "SQL_ID", V(13), "NULL" },
        { "SQL_CHILD_NUMBER", N(), "NULL" },
        { "SQL_EXEC_START", D(), "NULL" },
        { "SQL_EXEC_ID", N(), "NULL" },
        { "PREV_SQL_ADDR", R(8), "NULL" },
        { "PREV_HASH_VALUE", N(), "0" },
        { "PREV_SQL_ID", V(13), "NULL" },
        { "PREV_CHILD_NUMBER", N(), "NULL" },
        { "PREV_EXEC_START", D(), "NULL" },
        { "PREV_EXEC_ID", N(), "NULL" },
        { "PLSQL_ENTRY_OBJECT_ID", N(), "NULL" },
        { "PLSQL_ENTRY_SUBPROGRAM_ID", N(), "NULL" },
        { "PLSQL_OBJECT_ID", N(), "NULL" },
        { "PLSQL_SUBPROGRAM_ID", N(), "NULL" },
        { "MODULE", V(64), "" },
        { "MODULE_HASH", N(), "0" },
        { "ACTION", V(64), "" },
        { "ACTION_HASH", N(), "0" },
        { "CLIENT_INFO", V(64), "" },
        { "FIXED_TABLE_SEQUENCE", N(), "0" },
        { "ROW_WAIT_OBJ#", N(), "-1" },
        { "ROW_WAIT_FILE#", N(), "0" },
        { "ROW_WAIT_BLOCK#", N(), "0" },
        { "ROW_WAIT_ROW#", N(), "0" },
        { "TOP_LEVEL_CALL#", N(), "0" },
        { "LOGON_TIME", D(), "" },
        { "LAST_CALL_ET", N(), "" },
        { "PDML_ENABLED", V(3), "'NO'" },
        { "FAILOVER_TYPE", V(13), "'NONE'" },
        { "FAILOVER_METHOD", V(10), "'NONE'" },
        { "FAILED_OVER", V(3), "'NO'" },
        { "RESOURCE_CONSUMER_GROUP", V(32), "NULL" },
        { "PDML_STATUS", V(8), "'DISABLED'" },
        { "PDDL_STATUS", V(8), "'ENABLED'" },
        { "PQ_STATUS", V(8), "'ENABLED'" },
        { "CURRENT_QUEUE_DURATION", N(), "0" },
        { "CLIENT_IDENTIFIER", V(64), "NULL" },
        { "BLOCKING_SESSION_STATUS", V(11), "'NO HOLDER'" },
        { "BLOCKING_INSTANCE", N(), "NULL" },
        { "BLOCKING_SESSION", N(), "NULL" },
        { "FINAL_BLOCKING_SESSION_STATUS", V(11), "'NO HOLDER'" },
        { "FINAL_BLOCKING_INSTANCE", N(), "NULL" },
        { "FINAL_BLOCKING_SESSION", N(), "NULL" },
        { "SEQ#", N(), "0" },
        { "EVENT#", N(), waiting + "352 ELSE 354 END" },
        { "EVENT", V(64), waiting + "'SQL*Net message to client' ELSE 'SQL*Net message from client' END" },
        { "P1TEXT", V(64), "'driver id'" },
        { "P1", N(), "1413697536" },
        { "P1RAW", R(8), "NULL" },
        { "P2TEXT", V(64), "'#bytes'" },
        { "P2", N(), "1" },
        { "P2RAW", R(8), "NULL" },
        { "P3TEXT", V(64), "NULL" },
        { "P3", N(), "0" },
        { "P3RAW", R(8), "NULL" },
        { "WAIT_CLASS_ID", N(), waiting + "2000153315 ELSE 2723168908 END" },
        { "WAIT_CLASS#", N(), waiting + "7 ELSE 6 END" },
        { "WAIT_CLASS", V(64), waiting + "'Network' ELSE 'Idle' END" },
        { "WAIT_TIME", N(), "0" },
        { "SECONDS_IN_WAIT", N(), "\"LAST_CALL_ET\"" },
        { "STATE", V(19), waiting + "'WAITED SHORT TIME' ELSE 'WAITING' END" },
        { "WAIT_TIME_MICRO", N(), "\"LAST_CALL_ET\" * 1000000" },
        { "TIME_REMAINING_MICRO", N(), "-1" },
        { "TOTAL_TIME_WAITED_MICRO", N(), "NULL" },
        { "HEUR_TIME_WAITED_MICRO", N(), "NULL" },
        { "TIME_SINCE_LAST_WAIT_MICRO", N(), "0" },
        { "SERVICE_NAME", V(64), "'SYS$USERS'" },
        { "SQL_TRACE", V(8), "'DISABLED'" },
        { "SQL_TRACE_WAITS", V(5), "'FALSE'" },
        { "SQL_TRACE_BINDS", V(5), "'FALSE'" },
        { "SQL_TRACE_PLAN_STATS", V(10), "'FIRST EXEC'" },
        { "SESSION_EDITION_ID", N(), "134" },
        { "CREATOR_ADDR", R(8), "\"PADDR\"" },
        { "CREATOR_SERIAL#", N(), "\"SERIAL#\"" },
        { "ECID", V(64), "NULL" },
        { "SQL_TRANSLATION_PROFILE_ID", N(), "NULL" },
        { "PGA_TUNABLE_MEM", N(), "0" },
        { "SHARD_DDL_STATUS", V(8), "NULL" },
        { "CON_ID", N(), "0" },
        { "EXTERNAL_NAME", V(1024), "NULL" },
        { "PLSQL_DEBUGGER_CONNECTED", V(5), "'FALSE'" },
    };
}

std::vector<Col> instanceColumns()
{
    return {
        { "INSTANCE_NUMBER", N(), "1" },
        { "INSTANCE_NAME", V(16), "" },
        { "HOST_NAME", V(64), "" },
        { "VERSION", V(17), "" },
        { "VERSION_LEGACY", V(17), "\"VERSION\"" },
        { "VERSION_FULL", V(17), "" },
        { "STARTUP_TIME", D(), "" },
        { "STATUS", V(12), "'OPEN'" },
        { "PARALLEL", V(3), "'NO'" },
        { "THREAD#", N(), "1" },
        { "ARCHIVER", V(7), "'STOPPED'" },
        { "LOG_SWITCH_WAIT", V(15), "NULL" },
        { "LOGINS", V(10), "" },
        { "SHUTDOWN_PENDING", V(3), "'NO'" },
        { "DATABASE_STATUS", V(17), "'ACTIVE'" },
        { "INSTANCE_ROLE", V(18), "'PRIMARY_INSTANCE'" },
        { "ACTIVE_STATE", V(9), "'NORMAL'" },
        { "BLOCKED", V(3), "'NO'" },
        { "CON_ID", N(), "0" },
        { "INSTANCE_MODE", V(11), "'REGULAR'" },
        { "EDITION", V(7), "'EE'" },
        { "FAMILY", V(80), "NULL" },
        { "DATABASE_TYPE", V(15), "'SINGLE'" },
    };
}

std::vector<Col> databaseColumns()
{
    return {
        { "DBID", N(), "" },
        { "NAME", V(9), "\"DB_NAME\"" },
        { "CREATED", D(), "" },
        { "RESETLOGS_CHANGE#", N(), "1" },
        { "RESETLOGS_TIME", D(), "\"CREATED\"" },
        { "PRIOR_RESETLOGS_CHANGE#", N(), "0" },
        { "PRIOR_RESETLOGS_TIME", D(), "NULL" },
        { "LOG_MODE", V(12), "'NOARCHIVELOG'" },
        { "CHECKPOINT_CHANGE#", N(), "\"SCN\"" },
        { "ARCHIVE_CHANGE#", N(), "0" },
        { "CONTROLFILE_TYPE", V(7), "'CURRENT'" },
        { "CONTROLFILE_CREATED", D(), "\"CREATED\"" },
        { "CONTROLFILE_SEQUENCE#", N(), "\"SCN\" - 1000000" },
        { "CONTROLFILE_CHANGE#", N(), "\"SCN\"" },
        { "CONTROLFILE_TIME", D(), "\"STARTUP_TIME\"" },
        { "OPEN_RESETLOGS", V(11), "'NOT ALLOWED'" },
        { "VERSION_TIME", D(), "\"CREATED\"" },
        { "OPEN_MODE", V(20), "'READ WRITE'" },
        { "PROTECTION_MODE", V(20), "'MAXIMUM PERFORMANCE'" },
        { "PROTECTION_LEVEL", V(20), "'UNPROTECTED'" },
        { "REMOTE_ARCHIVE", V(8), "'ENABLED'" },
        { "ACTIVATION#", N(), "\"DBID\"" },
        { "SWITCHOVER#", N(), "\"DBID\"" },
        { "DATABASE_ROLE", V(16), "'PRIMARY'" },
        { "ARCHIVELOG_CHANGE#", N(), "0" },
        { "ARCHIVELOG_COMPRESSION", V(8), "'DISABLED'" },
        { "SWITCHOVER_STATUS", V(20), "'NOT ALLOWED'" },
        { "DATAGUARD_BROKER", V(8), "'DISABLED'" },
        { "GUARD_STATUS", V(7), "'NONE'" },
        { "SUPPLEMENTAL_LOG_DATA_MIN", V(8), "'NO'" },
        { "SUPPLEMENTAL_LOG_DATA_PK", V(3), "'NO'" },
        { "SUPPLEMENTAL_LOG_DATA_UI", V(3), "'NO'" },
        { "FORCE_LOGGING", V(39), "'NO'" },
        { "PLATFORM_ID", N(), "13" },
        { "PLATFORM_NAME", V(101), "'Linux x86 64-bit'" },
        { "RECOVERY_TARGET_INCARNATION#", N(), "1" },
        { "LAST_OPEN_INCARNATION#", N(), "1" },
        { "CURRENT_SCN", N(), "\"SCN\"" },
        { "FLASHBACK_ON", V(18), "'NO'" },
        { "SUPPLEMENTAL_LOG_DATA_FK", V(3), "'NO'" },
        { "SUPPLEMENTAL_LOG_DATA_ALL", V(3), "'NO'" },
        { "DB_UNIQUE_NAME", V(30), "\"DB_NAME\"" },
        { "STANDBY_BECAME_PRIMARY_SCN", N(), "0" },
        { "FS_FAILOVER_MODE", V(19), "'DISABLED'" },
        { "FS_FAILOVER_STATUS", V(22), "'DISABLED'" },
        { "FS_FAILOVER_CURRENT_TARGET", V(30), "NULL" },
        { "FS_FAILOVER_THRESHOLD", N(), "0" },
        { "FS_FAILOVER_OBSERVER_PRESENT", V(7), "NULL" },
        { "FS_FAILOVER_OBSERVER_HOST", V(512), "NULL" },
        { "CONTROLFILE_CONVERTED", V(3), "'NO'" },
        { "PRIMARY_DB_UNIQUE_NAME", V(30), "NULL" },
        { "SUPPLEMENTAL_LOG_DATA_PL", V(3), "'NO'" },
        { "MIN_REQUIRED_CAPTURE_CHANGE#", N(), "NULL" },
        { "CDB", V(3), "'NO'" },
        { "CON_ID", N(), "0" },
        { "PENDING_ROLE_CHANGE_TASKS", V(512), "'NONE'" },
        { "CON_DBID", N(), "\"DBID\"" },
        { "FORCE_FULL_DB_CACHING", V(3), "'NO'" },
        { "SUPPLEMENTAL_LOG_DATA_SR", V(3), "'NO'" },
    };
}

std::vector<Col> parameterColumns()
{
    return {
        { "NUM", N(), "" },
        { "NAME", V(80), "" },
        { "TYPE", N(), "" },
        { "VALUE", V(4000), "" },
        { "DISPLAY_VALUE", V(4000), "\"VALUE\"" },
        { "DEFAULT_VALUE", V(255), "" },
        { "ISDEFAULT", V(9), "" },
        { "ISSES_MODIFIABLE", V(5), "" },
        { "ISSYS_MODIFIABLE", V(9), "" },
        { "ISPDB_MODIFIABLE", V(5), "'FALSE'" },
        { "ISINSTANCE_MODIFIABLE", V(5), "CASE \"ISSYS_MODIFIABLE\" WHEN 'FALSE' THEN 'FALSE' ELSE 'TRUE' END" },
        { "ISMODIFIED", V(10), "" },
        { "ISADJUSTED", V(5), "'FALSE'" },
        { "ISDEPRECATED", V(5), "" },
        { "ISBASIC", V(5), "" },
        { "DESCRIPTION", V(255), "" },
        { "UPDATE_COMMENT", V(255), "NULL" },
        { "HASH", N(), "" },
        { "CON_ID", N(), "0" },
    };
}

std::vector<Col> sessIoColumns()
{
    return {
        { "SID", N(), "" },
        { "BLOCK_GETS", N(), "" },
        { "CONSISTENT_GETS", N(), "" },
        { "PHYSICAL_READS", N(), "" },
        { "BLOCK_CHANGES", N(), "" },
        { "CONSISTENT_CHANGES", N(), "" },
        { "OPTIMIZED_PHYSICAL_READS", N(), "0" },
        { "CON_ID", N(), "0" },
    };
}

std::vector<Col> rollnameColumns()
{
    return { { "USN", N(), "" }, { "NAME", V(30), "" }, { "CON_ID", N(), "0" } };
}

std::vector<Col> rollstatColumns()
{
    // Undo segments of a fixed shape: 8 extents of 64 KB, never shrinking or wrapping here.
    return {
        { "USN", N(), "" },
        { "LATCH", N(), "\"USN\" % 8" },
        { "EXTENTS", N(), "8" },
        { "RSSIZE", N(), "516096" },
        { "WRITES", N(), "0" },
        { "XACTS", N(), "" },
        { "GETS", N(), "\"XACTS\"" },
        { "WAITS", N(), "0" },
        { "OPTSIZE", N(), "NULL" },
        { "HWMSIZE", N(), "516096" },
        { "SHRINKS", N(), "0" },
        { "WRAPS", N(), "0" },
        { "EXTENDS", N(), "0" },
        { "AVESHRINK", N(), "0" },
        { "AVEACTIVE", N(), "0" },
        { "STATUS", V(15), "" },
        { "CUREXT", N(), "0" },
        { "CURBLK", N(), "1" },
        { "CON_ID", N(), "0" },
    };
}

std::vector<Col> versionColumns()
{
    return { { "BANNER", V(80), "" }, { "BANNER_FULL", V(160), "" }, { "BANNER_LEGACY", V(80), "" },
        { "CON_ID", N(), "0" } };
}

std::vector<Col> lockColumns()
{
    return {
        { "ADDR", R(8), "" },
        { "KADDR", R(8), "\"ADDR\"" },
        { "SID", N(), "" },
        { "TYPE", V(2), "" },
        { "ID1", N(), "" },
        { "ID2", N(), "" },
        { "LMODE", N(), "" },
        { "REQUEST", N(), "" },
        { "CTIME", N(), "0" },
        { "BLOCK", N(), "" },
        { "CON_ID", N(), "0" },
    };
}

std::vector<Col> lockedObjectColumns()
{
    return {
        { "XIDUSN", N(), "" },
        { "XIDSLOT", N(), "" },
        { "XIDSQN", N(), "" },
        { "OBJECT_ID", N(), "\"ID1\"" },
        { "SESSION_ID", N(), "\"SID\"" },
        { "ORACLE_USERNAME", V(128), "\"USERNAME\"" },
        { "OS_USER_NAME", V(128), "\"OSUSER\"" },
        { "PROCESS", V(24), "" },
        { "LOCKED_MODE", N(), "\"LMODE\"" },
        { "CON_ID", N(), "0" },
    };
}

std::string statNames()
{
    std::string values;
    const auto& list = statistics();
    for (size_t i = 0; i < list.size(); ++i)
        values += std::string(i ? ", " : "") + "(" + std::to_string(i) + ", '" + list[i].name + "', "
            + std::to_string(list[i].cls) + ")";
    return "(SELECT column1 AS \"STATISTIC#\", column2 AS \"NAME\", column3 AS \"CLASS\" FROM (VALUES " + values + "))";
}

const std::vector<const LiveTable*>& liveTables()
{
    static const std::vector<const LiveTable*> tables { &sessionsTable(), &sessIoTable(), &instanceTable(), &versionTable(),
        &parametersTable(), &rollbackTable(), &locksTable(), &pipesTable(), &statsTable() };
    return tables;
}

} // namespace

FixedFamily performanceFamily()
{
    FixedFamily f;
    const std::string sessions = quoted("ORA$SESSIONS");
    f.objects.push_back(view("V$SESSION", sessionColumns(), sessions));
    f.objects.push_back(view("V$SESSION", sessionColumns(), sessions, FixedAccess::Dictionary, true));
    f.objects.push_back(view("V$SESS_IO", sessIoColumns(), quoted("ORA$SESS_IO")));
    f.objects.push_back(view("V$SESS_IO", sessIoColumns(), quoted("ORA$SESS_IO"), FixedAccess::Dictionary, true));
    f.objects.push_back(view("V$INSTANCE", instanceColumns(), quoted("ORA$INSTANCE")));
    f.objects.push_back(view("V$DATABASE", databaseColumns(), quoted("ORA$INSTANCE")));
    f.objects.push_back(view("V$PARAMETER", parameterColumns(), quoted("ORA$PARAMETERS")));
    f.objects.push_back(
        view("V$PARAMETER", parameterColumns(), quoted("ORA$PARAMETERS"), FixedAccess::Dictionary, true));
    // Granted to PUBLIC, as Oracle grants V$VERSION: any user may read the release it talks to.
    f.objects.push_back(view("V$VERSION", versionColumns(), quoted("ORA$VERSION"), FixedAccess::Public));
    f.objects.push_back(view("V$ROLLNAME", rollnameColumns(), quoted("ORA$ROLLBACK_SEGMENTS")));
    f.objects.push_back(view("V$ROLLSTAT", rollstatColumns(), quoted("ORA$ROLLBACK_SEGMENTS")));
    f.objects.push_back(view("V$LOCK", lockColumns(), quoted("ORA$LOCKS")));
    f.objects.push_back(view("V$LOCKED_OBJECT", lockedObjectColumns(), quoted("ORA$LOCKS") + " WHERE \"TYPE\" = 'TM'"));
    f.objects.push_back(view("V$DB_PIPES",
        { { "OWNERID", N(), "" }, { "NAME", V(1000), "" }, { "TYPE", V(7), "" }, { "PIPE_SIZE", N(), "" },
            { "CON_ID", N(), "0" } },
        quoted("ORA$PIPES")));
    f.objects.push_back(view("V$STATNAME",
        { { "STATISTIC#", N(), "" }, { "NAME", V(64), "" }, { "CLASS", N(), "" },
            { "STAT_ID", N(), "\"STATISTIC#\" + 1000" }, { "DISPLAY_NAME", V(64), "\"NAME\"" },
            { "CON_ID", N(), "0" } },
        statNames()));
    const std::vector<Col> statColumns { { "SID", N(), "" }, { "STATISTIC#", N(), "" }, { "VALUE", N(), "" },
        { "CON_ID", N(), "0" } };
    f.objects.push_back(view("V$SESSTAT", statColumns, quoted("ORA$SESSION_STATS")));
    f.objects.push_back(view("V$MYSTAT", statColumns, quoted("ORA$SESSION_STATS") + " WHERE \"MINE\" = 1"));
    f.setup = [](sqlite3* conn, SessionState& s) {
        for (const LiveTable* t : liveTables())
            sysview::registerLiveTable(conn, s, *t);
    };
    return f;
}

} // namespace engine::dict

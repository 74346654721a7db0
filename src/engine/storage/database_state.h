// What one open database holds for all its sessions: its files and lock, the gate through which sessions take
// SQLite's write lock, the lock manager, sequence caches and the counters that number sessions and undo records.
#pragma once

#include "engine/locks/lock_manager.h"
#include "engine/storage/lock_file.h"
#include "engine/sysview/instance_state.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace engine {

struct SessionState;
namespace plsql {
class PipeRegistry;
}
namespace jobs {
class Coordinator;
}

namespace storage {
// File names inside a database directory.
inline constexpr const char* kDataFileName = "database.sqlite";
inline constexpr const char* kLockFileName = "database.lock";
} // namespace storage

// A sequence's values handed out from memory; SEQ$.HIGHWATER is moved ahead one cache at a time, as Oracle does,
// so a value is never given twice even after a crash.
struct SequenceCache {
    int64_t next = 0; // the value NEXTVAL gives next
    int64_t highwater = 0; // SEQ$.HIGHWATER: values from `next` up to (not including) it are reserved on disk
    int64_t increment = 1;
    int64_t minValue = 1;
    int64_t maxValue = 0;
    bool cycle = false;
    int64_t cache = 20;
};

struct DatabaseState {
    std::string dir;
    std::string file;
    std::unique_ptr<storage::LockFile> lockFile;

    // Sessions take SQLite's write lock only through this gate. A session whose statement ended keeps its SQLite
    // transaction open (pendingWriter) until it commits or another session needs to write, which commits it
    // first: one SQLite commit per Oracle transaction rather than per statement.
    std::mutex gate;
    SessionState* pendingWriter = nullptr;

    locks::LockManager locks;

    std::mutex sequencesMutex;
    std::map<int64_t, SequenceCache> sequences;

    std::atomic<int64_t> nextSessionId { 1 };
    std::atomic<int64_t> undoSeq { 0 };
    // Bumped by every DDL: cached translations made before it are checked again.
    std::atomic<uint64_t> ddlGeneration { 0 };
    // Bumped by every GRANT, REVOKE, DROP ROLE and DROP USER: the sessions' cached rights are read again.
    std::atomic<uint64_t> privilegeGeneration { 0 };

    std::mutex sessionsMutex;
    std::set<SessionState*> sessions;

    // DBMS_PIPE's pipes, shared by every session and gone when the database closes (plsql/native_dbms_pipe.cpp).
    std::once_flag pipesOnce;
    std::shared_ptr<plsql::PipeRegistry> pipes;

    // Parameters, restricted logons, version: what V$INSTANCE and V$PARAMETER show (sysview/).
    sysview::InstanceState instance;

    // The job queue (jobs/coordinator.h): made when the database opens, stopped before it closes.
    std::shared_ptr<jobs::Coordinator> jobs;
};

} // namespace engine

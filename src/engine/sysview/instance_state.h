// What the dynamic performance views read live: the instance's state kept for all sessions of an open database
// (parameters in memory, restricted logons, version, start time) and each session's own identity, status and I/O
// counters. Other sessions read these from their own threads, so everything here is atomic or under a mutex.
#pragma once

#include "engine/engine.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace engine::sysview {

// Instance state: lives as long as the database is open, as an Oracle instance lives from startup to shutdown.
struct InstanceState {
    std::mutex mutex; // guards everything below that is not atomic
    bool loaded = false; // read from PROPS$ by the first logon
    std::string version = "19.0.0.0.0"; // five-part release the database presents
    std::string startupTime; // DATE text
    std::string created; // DATE text of the database's creation
    int64_t dbid = 0;
    // Values set by ALTER SYSTEM for this instance's life (SCOPE=MEMORY or BOTH), by lower-case name.
    std::map<std::string, std::string> memoryValues;
    // Values stored for the next opening (SCOPE=SPFILE or BOTH) as they were when the database was opened: the
    // parameters "specified in the parameter file".
    std::map<std::string, std::string> startupValues;
    std::vector<RollbackSegment> rollbackSegments; // V$ROLLNAME, V$ROLLSTAT

    std::atomic<bool> restricted { false }; // ALTER SYSTEM ENABLE RESTRICTED SESSION
    std::atomic<int64_t> nextSerial { 1 };
};

// Oracle's V$SESS_IO counters of one session. Each grows with one relaxed add per statement or fetched row.
struct IoCounters {
    std::atomic<int64_t> blockGets { 0 };
    std::atomic<int64_t> consistentGets { 0 };
    std::atomic<int64_t> physicalReads { 0 };
    std::atomic<int64_t> blockChanges { 0 };
    std::atomic<int64_t> consistentChanges { 0 };
};

enum class KillState : int {
    Alive = 0,
    Killed = 1, // ALTER SYSTEM KILL SESSION: the next call learns it with ORA-00028
    Told = 2, // ORA-00028 given; every later call fails with ORA-01012
};

// One session as V$SESSION shows it.
struct SessionInfo {
    int64_t serial = 0;
    std::string logonTime; // DATE text
    ClientInfo client;
    std::string process; // client process id

    std::atomic<bool> active { false }; // a call is running
    std::atomic<int64_t> lastCallChange { 0 }; // seconds since the epoch when the status last changed
    std::atomic<int> kill { 0 }; // KillState
    std::atomic<bool> rolledBack { false }; // the killed session's transaction has been rolled back
    IoCounters io;
    int64_t physicalSampled = 0; // the connection's page misses already counted (owner's thread only)

    // What the owner publishes at the end of each call for readers on other threads.
    mutable std::mutex published;
    std::string schema;
    int64_t schemaId = 0;
    std::string module, action, clientInfo;
    int command = 0; // Oracle's command type of the last statement
};

} // namespace engine::sysview

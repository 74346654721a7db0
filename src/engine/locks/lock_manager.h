// The engine's lock manager: Oracle's row locks (TX) and table locks (TM, modes RS, RX, S, SRX, X) held by
// sessions until their transaction ends. A conflicting request waits (holding no SQLite lock), fails at once with
// ORA-00054 under NOWAIT, ORA-30006 when a WAIT n expires, ORA-00060 when the wait would close a cycle, and
// ORA-01013 when the waiting session is interrupted.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <unordered_map>
#include <vector>

namespace engine::locks {

enum class TableMode : int { RowShare = 2, RowExclusive = 3, Share = 4, ShareRowExclusive = 5, Exclusive = 6 };

// Oracle's compatibility table of table lock modes.
bool compatible(TableMode held, TableMode requested);

struct WaitPolicy {
    bool nowait = false;
    int timeoutSeconds = -1; // WAIT n; -1 for ever
    const std::atomic<bool>* interrupted = nullptr;
};

class LockManager {
public:
    // Each call either takes every lock it asks for or none (a failed wait leaves what it held before).
    void lockTable(int64_t session, int64_t object, TableMode mode, const WaitPolicy& policy);
    void lockRows(int64_t session, int64_t object, const std::vector<int64_t>& rows, const WaitPolicy& policy);
    // FOR UPDATE SKIP LOCKED: takes the rows no other session holds, never waits; returns the rows the session
    // holds afterwards.
    std::vector<int64_t> lockFreeRows(int64_t session, int64_t object, const std::vector<int64_t>& rows);

    // Position of the session's lock list: locks taken after it go at ROLLBACK TO SAVEPOINT.
    int64_t mark(int64_t session);
    void releaseAfter(int64_t session, int64_t mark);
    void releaseAll(int64_t session);

    // Wakes every waiter so an interrupted one notices.
    void wakeAll();

    // The session holding the row, 0 when none (for tests and V$LOCK).
    int64_t rowHolder(int64_t object, int64_t row);
    bool holdsAny(int64_t session);

    // Who holds and waits for what at one moment, for V$LOCK and V$LOCKED_OBJECT.
    struct Snapshot {
        struct Table {
            int64_t session;
            int64_t object;
            TableMode mode;
        };
        std::vector<Table> tables;
        std::set<int64_t> rowHolders; // sessions holding at least one row lock
        std::map<int64_t, int64_t> waitsFor; // waiting session -> the session in its way
    };
    Snapshot snapshot();

private:
    struct RowKey {
        int64_t object;
        int64_t row;
        bool operator<(const RowKey& o) const { return object != o.object ? object < o.object : row < o.row; }
    };
    struct Held {
        bool isRow;
        int64_t object;
        int64_t row; // row lock
        TableMode mode; // table lock
    };
    struct TableHolder {
        int64_t session;
        TableMode mode;
    };

    // The session standing in the way of the request, 0 when none.
    int64_t tableBlocker(int64_t session, int64_t object, TableMode mode) const;
    void waitFor(std::unique_lock<std::mutex>& lk, int64_t session, int64_t blocker, const WaitPolicy& policy,
        std::chrono::steady_clock::time_point deadline);
    bool closesCycle(int64_t session, int64_t blocker) const;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<RowKey, int64_t> rows_;
    std::unordered_map<int64_t, std::vector<TableHolder>> tables_;
    std::unordered_map<int64_t, std::vector<Held>> held_;
    std::unordered_map<int64_t, int64_t> waitsFor_;
};

} // namespace engine::locks

// The engine's lock manager: Oracle's row locks (TX), table locks (TM, modes RS, RX, S, SRX, X) and the key
// locks of unique keys, held by sessions until their transaction ends. A conflicting request waits (holding no
// SQLite lock), fails at once with ORA-00054 under NOWAIT, ORA-30006 when a WAIT n expires, ORA-00060 when the
// wait would close a cycle, and ORA-01013 when the waiting session is interrupted.
//
// Key locks stand for the entries of a unique index that an open transaction changed: a key it removed (a row
// deleted, a key column updated) stays its own until it ends, so another session that would add that key waits
// for it, as Oracle's unique index makes it wait. A key it added is the key of a row it holds, which the row lock
// marks (keysAdded), so a session that collides with it waits too.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
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

// One entry of a unique index: the table, the index and the key's values in a canonical encoding (equal keys
// have equal bytes).
struct KeyId {
    int64_t object = 0;
    int64_t index = 0;
    std::string value;
    bool operator<(const KeyId& o) const
    {
        if (object != o.object)
            return object < o.object;
        if (index != o.index)
            return index < o.index;
        return value < o.value;
    }
    bool operator==(const KeyId& o) const = default;
};

class LockManager {
public:
    // Each call either takes every lock it asks for or none (a failed wait leaves what it held before).
    void lockTable(int64_t session, int64_t object, TableMode mode, const WaitPolicy& policy);
    void lockRows(int64_t session, int64_t object, const std::vector<int64_t>& rows, const WaitPolicy& policy);
    // FOR UPDATE SKIP LOCKED: takes the rows no other session holds, never waits; returns the rows the session
    // holds afterwards.
    std::vector<int64_t> lockFreeRows(int64_t session, int64_t object, const std::vector<int64_t>& rows);
    // The session's change of these rows (which it holds) added keys of a unique index: an insert, or an update of
    // a key column. Returns othersHoldKeys(session, object), asked under the same lock.
    bool markKeysAdded(int64_t session, int64_t object, const std::vector<int64_t>& rows);
    // lockRows and markKeysAdded in one: the rows an INSERT added to a table with unique keys. Returns
    // othersHoldKeys(session, object), asked under the same lock.
    bool lockRowsAddingKeys(int64_t session, int64_t object, const std::vector<int64_t>& rows, const WaitPolicy& policy);
    // Takes keys the session removed. They are never held by another session (the rows that had them were the
    // session's), so this does not wait.
    void lockKeys(int64_t session, const std::vector<KeyId>& keys);

    // Waits, without taking anything, until no other session holds any of the rows or keys.
    void waitForRows(int64_t session, int64_t object, const std::vector<int64_t>& rows, const WaitPolicy& policy);
    void waitForKeys(int64_t session, const std::vector<KeyId>& keys, const WaitPolicy& policy);

    // Quick questions of the write path, so that a session alone on a table pays nothing for key locks.
    // Whether another session holds removed keys of the table.
    bool othersHoldKeys(int64_t session, int64_t object);
    // Whether another session holds rows of the table whose keys it added.
    bool othersAddedKeys(int64_t session, int64_t object);
    // The keys among these that another session holds.
    std::vector<KeyId> heldByOthers(int64_t session, const std::vector<KeyId>& keys);
    // The other session holding the row with keysAdded, 0 when none.
    int64_t keyAddingHolder(int64_t session, int64_t object, int64_t row);
    // The highest row number of the table another session holds, 0 when none.
    int64_t highestRowOfOthers(int64_t session, int64_t object);

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
        std::set<int64_t> rowHolders; // sessions holding at least one row or key lock
        std::map<int64_t, int64_t> waitsFor; // waiting session -> the session in its way
    };
    Snapshot snapshot();

private:
    struct RowKey {
        int64_t object;
        int64_t row;
        bool operator<(const RowKey& o) const { return object != o.object ? object < o.object : row < o.row; }
    };
    struct RowHolder {
        int64_t session;
        bool keysAdded;
    };
    enum class Kind { Row, Table, Key };
    // One lock of a session's list, in the order taken; a key lock's key is the next of the session's heldKeys_.
    struct Held {
        Kind kind;
        int64_t object;
        int64_t row; // row lock
        TableMode mode; // table lock
    };
    struct TableHolder {
        int64_t session;
        TableMode mode;
    };
    // What a waiting session waits for: its blockers are whoever holds it at the moment they are asked, so a
    // session that was woken and has not run yet never stands in a cycle it is no longer part of.
    struct Wait {
        Kind kind = Kind::Row;
        int64_t object = 0;
        std::vector<int64_t> rows;
        TableMode mode = TableMode::RowShare;
        std::vector<KeyId> keys;
    };

    std::vector<int64_t> blockers(int64_t session, const Wait& w) const;
    bool rowsFree(int64_t session, int64_t object, const std::vector<int64_t>& rows) const;
    // Takes all the rows (marked keysAdded when asked) when no other session holds one of them; else takes and
    // marks none and returns false.
    bool tryLockRows(int64_t session, int64_t object, const std::vector<int64_t>& rows, bool keysAdded);
    void waitFor(std::unique_lock<std::mutex>& lk, int64_t session, const Wait& w, const WaitPolicy& policy,
        std::chrono::steady_clock::time_point deadline);
    bool closesCycle(int64_t session, const Wait& w) const;
    void waitUntilFree(std::unique_lock<std::mutex>& lk, int64_t session, const Wait& w, const WaitPolicy& policy);
    static void count(std::unordered_map<int64_t, std::unordered_map<int64_t, int>>& m, int64_t object,
        int64_t session, int delta);
    static bool others(const std::unordered_map<int64_t, std::unordered_map<int64_t, int>>& m, int64_t object,
        int64_t session);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<RowKey, RowHolder> rows_;
    std::unordered_map<int64_t, std::vector<TableHolder>> tables_;
    std::map<KeyId, int64_t> keys_;
    // Per table, per session: how many removed keys, and how many rows with keys added, it holds.
    std::unordered_map<int64_t, std::unordered_map<int64_t, int>> keyCounts_;
    std::unordered_map<int64_t, std::unordered_map<int64_t, int>> addedCounts_;
    std::unordered_map<int64_t, std::vector<Held>> held_;
    std::unordered_map<int64_t, std::vector<KeyId>> heldKeys_;
    std::unordered_map<int64_t, Wait> waits_;
};

} // namespace engine::locks

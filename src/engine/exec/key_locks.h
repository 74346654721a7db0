// The keys of unique indexes that a statement's changes remove and add, which the lock manager keeps as key locks
// until the transaction ends (locks/lock_manager.h), and the probe that tells a duplicate key of another session's
// open transaction from a committed one.
//
// A removed key is read from the undo record's old image; an added key from the row as it is now. Inserting a
// row adds its keys without reading anything: the row's lock says so. A session alone on a table pays for an
// update's key check only.
#pragma once

#include "engine/bind/bound.h"
#include "engine/locks/lock_manager.h"
#include "engine/undo/undo_log.h"

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::exec {

// One unique index of a table: the positions of its columns in the physical table, in key order.
struct UniqueKey {
    int64_t indexId = 0;
    std::vector<int> positions;
    std::vector<std::string> columns; // physical names
};

struct TableKeys {
    int64_t object = 0;
    std::string physicalName;
    std::vector<UniqueKey> keys;
};

// The unique keys of tables as the session last read them; read again after DDL.
class KeyCache {
public:
    // Never null; keys is empty for a table without unique keys.
    const TableKeys& keysOf(SessionState& s, int64_t object);

private:
    uint64_t generation_ = 0;
    std::unordered_map<int64_t, std::unique_ptr<TableKeys>> tables_;
};

// What a statement's records of one table did to its unique keys.
struct KeyChanges {
    std::vector<locks::KeyId> removed;
    std::vector<int64_t> addedRows; // inserted, or a key column updated
};

KeyChanges keyChanges(SessionState& s, const TableKeys& t, const std::vector<const undo::Record*>& records);

// The keys the rows have now.
std::vector<locks::KeyId> currentKeys(SessionState& s, const TableKeys& t, const std::vector<int64_t>& rows);

// While it lives, each row a statement would write into the table is compared with the rows already there, and
// then left unwritten: rows whose keys another session's open transaction added are collected. A statement that
// failed with ORA-00001 runs once more under a probe to tell such a key from a committed one. Temporary triggers
// of the session's own connection do it (RAISE(IGNORE) passes over each row), so no other session sees them.
class KeyProbe {
public:
    KeyProbe(SessionState& s, const TableKeys& t);
    ~KeyProbe();
    KeyProbe(const KeyProbe&) = delete;
    KeyProbe& operator=(const KeyProbe&) = delete;
    const std::vector<int64_t>& hits() const { return hits_; }
    // Called by the triggers for each row a new row's key matches.
    void found(int64_t object, int64_t row);

private:
    void remove();

    SessionState& s_;
    std::vector<int64_t> hits_;
};

// What stands in the way of a DML statement, found once it ran: it is undone, waits, and runs again.
struct ChangeConflict {
    // Rows of other sessions the statement changed (an uncommitted insert of theirs, a row a cascade reached): it
    // waits for them and takes them.
    std::map<int64_t, std::vector<int64_t>> rows;
    // Keys other sessions removed that the statement adds: it waits for them.
    std::vector<locks::KeyId> keys;
    // The statement's new rows took the numbers of rows another session deleted and has not committed: it runs
    // again with its new rows numbered above this one, without waiting.
    int64_t renumberAbove = 0;
    bool empty() const { return rows.empty() && keys.empty() && renumberAbove == 0; }
};

// Locks what the statement's changes since undoMark hold: the rows, and the keys they removed; marks the rows
// whose keys they added. Never waits. insertTarget is the table an INSERT adds rows to, 0 for other statements.
ChangeConflict lockChanges(SessionState& s, int64_t undoMark, int64_t insertTarget);

// Waits until what the conflict named is free, taking its rows.
void waitOut(SessionState& s, const ChangeConflict& c, const locks::WaitPolicy& policy);

} // namespace engine::exec

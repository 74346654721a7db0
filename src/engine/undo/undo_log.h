// A session's undo journal: the pre-update hook records the old image of every row a statement changes in the
// physical tables; ROLLBACK (or a failed statement, or ROLLBACK TO SAVEPOINT) applies the records in reverse.
// Records stay in memory while the SQLite transaction that made the changes is open and are written to UNDO$ in
// that same transaction before it commits, so changes and their undo reach the file together: undo found at open
// belongs to a process that died and is applied then.
//
// Undo only ever puts back the rows its own transaction changed: a row is inserted again under its own number,
// never replacing another row (the lock manager keeps other sessions off those numbers and keys), and a clash is
// reported rather than resolved by deleting whatever stands in the way.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace engine::undo {

enum class Op : int { Insert = 1, Update = 2, Delete = 3 };

struct Record {
    int64_t seq = 0;
    std::string table; // physical table
    Op op = Op::Insert;
    int64_t rowno = 0; // the row as it is now (after the change)
    std::string rowData; // the old row, encoded (Update, Delete)
};

// Which physical tables carry undo: the engine's tables of user data ("T" followed by the object number) and the
// job queue's JOB$.
bool isUndoTable(const char* name);

class UndoLog {
public:
    // seqCounter is shared by every session of the database so records of all sessions have one order.
    UndoLog(sqlite3* db, int64_t sessionId, std::atomic<int64_t>* seqCounter);
    ~UndoLog();
    UndoLog(const UndoLog&) = delete;
    UndoLog& operator=(const UndoLog&) = delete;

    void setCapturing(bool on) { capturing_ = on; }
    // Makes this log the connection's pre-update hook again, after another log of the same connection (an autonomous
    // transaction's) was there.
    void attach();
    bool capturing() const { return capturing_; }
    // True while undo is being applied: the engine's constraint triggers stand aside.
    bool applying() const { return applying_; }
    size_t pendingCount() const { return pending_.size(); }
    // The memory the records still in memory take, about.
    size_t pendingBytes() const { return pendingBytes_; }
    // Whether the records in memory have grown past the limit, so that they go to UNDO$ (persistPending) once the
    // statement that made them ended. Bounded by bytes, not records: an INSERT's records name rows only.
    bool overSpillLimit() const { return pendingBytes_ > spillBytes_; }
    void setSpillLimit(size_t bytes) { spillBytes_ = bytes; }
    // The records after mark that are still in memory (a statement's own changes), oldest first.
    std::span<const Record> recordsSince(int64_t mark) const;
    // The rows changed after mark that are still in memory (a statement's own changes), by table object number.
    std::map<int64_t, std::vector<int64_t>> rowsChangedSince(int64_t mark) const;

    // The position to come back to (a statement's start, a savepoint); 0 is the transaction's start.
    int64_t mark() const { return lastSeq_; }
    // Whether the transaction changed anything since mark.
    bool changedSince(int64_t mark) const { return lastSeq_ > mark; }

    // Applies every record after mark in reverse and forgets it. The caller holds the write transaction. A cancel
    // that stops one of its statements does not stop it (it goes on where it stopped, up to kUndoAttempts times).
    void undoTo(int64_t mark);
    // Writes the records still in memory to UNDO$, all or none. The caller holds the write transaction, which is
    // about to commit.
    void persistPending();
    // The transaction committed: its records go. The caller holds the write transaction.
    void discardAll();
    // Whether UNDO$ may hold records of this session (so COMMIT must clear them).
    bool hasPersisted() const { return persisted_; }

    // SQLite ended the transaction that held the changes still in memory (a full disk or an I/O error rolls it
    // back): those changes are gone and so are their records. What the session did before stays in UNDO$, but
    // its Oracle transaction has lost part of its work and must not commit: lost() says so until cleared.
    void markLost();
    bool lost() const { return lost_.load(); }
    void clearLost() { lost_ = false; }

    // Applies and removes every record UNDO$ holds: the transactions of a process that ended without COMMIT or
    // ROLLBACK. Runs at open, before any session exists. Checks every record first: a damaged one fails the
    // open with an Error naming it, before anything changed. Records of a table that no longer exists are
    // dropped (nothing is left to restore). Returns how many records were applied.
    static int64_t recover(sqlite3* db);

private:
    static constexpr int kUndoAttempts = 5;
    void undoOnce(int64_t mark);
    static void hook(
        void* self, sqlite3* db, int op, const char* dbName, const char* table, sqlite3_int64 key1, sqlite3_int64 key2);
    void record(int op, const char* table, sqlite3_int64 key1, sqlite3_int64 key2);
    // Records that find the connection outside a transaction describe changes SQLite already took back.
    void dropIfTransactionEnded();

    sqlite3* db_;
    int64_t sessionId_;
    std::atomic<int64_t>* seqCounter_;
    bool capturing_ = false;
    bool persisted_ = false;
    bool applying_ = false;
    std::atomic<bool> lost_ { false };
    int64_t lastSeq_ = 0;
    std::vector<Record> pending_;
    size_t pendingBytes_ = 0;
    size_t spillBytes_ = size_t(32) << 20;
};

} // namespace engine::undo

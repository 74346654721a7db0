// Undo capture through the pre-update hook and its application in reverse.
// The Debian library is built with the pre-update hook; its declarations are behind this macro.
#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "engine/undo/undo_log.h"

#include "engine/storage/sqlite.h"
#include "engine/undo/row_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>

namespace engine::undo {

namespace {

// The tables whose changes have undo (isUndoTable), checked whole: a user table's T and digits, or JOB$.
bool validTableName(const std::string& name)
{
    if (name == "JOB$")
        return true;
    return name.size() > 1 && name.size() < 20 && name[0] == 'T'
        && std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

const char* opName(Op op)
{
    switch (op) {
    case Op::Insert:
        return "insert";
    case Op::Update:
        return "update";
    case Op::Delete:
        return "delete";
    }
    return "?";
}

std::string describe(const Record& r)
{
    return "undo record " + std::to_string(r.seq) + " (" + opName(r.op) + " of row " + std::to_string(r.rowno)
        + " of " + r.table + ")";
}

// Puts records back, with the statements of each table prepared once. A table that is gone (dropped by DDL,
// which commits) has nothing left to restore.
class Applier {
public:
    explicit Applier(sqlite3* db)
        : db_(db)
    {
    }

    // Checks what can be checked without changing anything; the reason when the record is damaged.
    std::string check(const Record& r)
    {
        if (!validTableName(r.table))
            return "names no table of user data";
        if (r.op != Op::Insert && r.op != Op::Update && r.op != Op::Delete)
            return "has an unknown operation " + std::to_string(static_cast<int>(r.op));
        if (r.rowno <= 0)
            return "names an invalid row";
        Table* t = table(r.table);
        if (!t || r.op == Op::Insert)
            return {};
        std::string why;
        auto values = decodeRow(r.rowData, &why);
        if (!values)
            return why;
        if (static_cast<int>(values->size()) != t->columns)
            return "holds " + std::to_string(values->size()) + " values for a table of "
                + std::to_string(t->columns) + " columns";
        const ImageValue& rowNumber = values->front();
        if (t->rowNumberFirst && (rowNumber.type != ImageValue::Type::Integer || rowNumber.integer != r.rowno))
            return "holds the image of another row";
        return {};
    }

    void apply(const Record& r)
    {
        if (std::string why = check(r); !why.empty())
            throw oraError(600, "internal error code, arguments: [undo], [" + describe(r) + " " + why + "]");
        Table* t = table(r.table);
        if (!t)
            return;
        if (r.op == Op::Insert || r.op == Op::Update) {
            // The row this transaction wrote under that number goes; the number is the transaction's own.
            t->remove.bind(1, r.rowno).run();
            t->remove.reset();
        }
        if (r.op == Op::Insert)
            return;
        auto values = decodeRow(r.rowData);
        bindValues(t->insert.get(), *values);
        try {
            t->insert.run();
        } catch (const Error& e) {
            t->insert.reset();
            if (e.code() == 1013) // cancelled: the row is put back when the undo is tried again
                throw;
            throw oraError(600,
                "internal error code, arguments: [undo], [" + describe(r) + " clashes with another row: "
                    + e.message() + "]");
        }
        t->insert.reset();
    }

private:
    struct Table {
        int columns = 0;
        bool rowNumberFirst = false;
        storage::Stmt remove;
        storage::Stmt insert;
    };

    Table* table(const std::string& name)
    {
        auto it = tables_.find(name);
        if (it != tables_.end())
            return it->second.get();
        std::unique_ptr<Table> t;
        storage::Stmt exists(db_, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
        exists.bind(1, name);
        if (exists.step()) {
            t = std::make_unique<Table>();
            std::string q = storage::quoteIdent(name);
            storage::Stmt cols(db_, "SELECT * FROM " + q + " LIMIT 0");
            t->columns = sqlite3_column_count(cols.get());
            const char* first = t->columns > 0 ? sqlite3_column_name(cols.get(), 0) : nullptr;
            t->rowNumberFirst = first && std::strcmp(first, "ROW$") == 0;
            t->remove = storage::Stmt(db_, "DELETE FROM " + q + " WHERE rowid = ?1");
            std::string sql = "INSERT INTO " + q + " VALUES (";
            for (int i = 1; i <= t->columns; ++i)
                sql += (i > 1 ? ",?" : "?") + std::to_string(i);
            t->insert = storage::Stmt(db_, sql + ")");
        }
        return (tables_[name] = std::move(t)).get();
    }

    sqlite3* db_;
    std::map<std::string, std::unique_ptr<Table>> tables_;
};

// The records of UNDO$ a query selects ("SEQ#", "TABNAME", "OP", "ROWNO", "ROWDATA"), in its order. A field of the
// wrong kind is damage.
std::vector<Record> readRecords(storage::Stmt& sel)
{
    std::vector<Record> records;
    while (sel.step()) {
        Record r;
        r.seq = sel.int64(0);
        r.table = sel.text(1);
        r.op = static_cast<Op>(sel.int64(2));
        r.rowno = sel.int64(3);
        sqlite3_stmt* st = sel.get();
        bool wellTyped = sqlite3_column_type(st, 0) == SQLITE_INTEGER && sqlite3_column_type(st, 1) == SQLITE_TEXT
            && sqlite3_column_type(st, 2) == SQLITE_INTEGER && sqlite3_column_type(st, 3) == SQLITE_INTEGER;
        int dataType = sqlite3_column_type(st, 4);
        if (dataType == SQLITE_BLOB)
            r.rowData.assign(static_cast<const char*>(sqlite3_column_blob(st, 4)),
                static_cast<size_t>(sqlite3_column_bytes(st, 4)));
        else if (dataType != SQLITE_NULL)
            wellTyped = false;
        if (!wellTyped)
            throw oraError(600, "internal error code, arguments: [undo], [" + describe(r) + " is malformed]");
        records.push_back(std::move(r));
    }
    sel.reset();
    return records;
}

size_t footprint(const Record& r)
{
    return sizeof(Record) + r.rowData.capacity() + (r.table.size() >= 16 ? r.table.capacity() : 0);
}

} // namespace

bool isUndoTable(const char* name)
{
    // JOB$: DBMS_JOB's changes belong to the transaction that made them, as Oracle's do.
    return (name[0] == 'T' && name[1] >= '0' && name[1] <= '9') || std::strcmp(name, "JOB$") == 0;
}

UndoLog::UndoLog(sqlite3* db, int64_t sessionId, std::atomic<int64_t>* seqCounter)
    : db_(db)
    , sessionId_(sessionId)
    , seqCounter_(seqCounter)
{
    sqlite3_preupdate_hook(db_, &UndoLog::hook, this);
}

void UndoLog::attach()
{
    sqlite3_preupdate_hook(db_, &UndoLog::hook, this);
}

UndoLog::~UndoLog()
{
    sqlite3_preupdate_hook(db_, nullptr, nullptr);
}

void UndoLog::hook(
    void* self, sqlite3*, int op, const char* dbName, const char* table, sqlite3_int64 key1, sqlite3_int64 key2)
{
    // The table first: another session that commits this one's transaction writes UNDO$ through this connection
    // from its own thread, and must not read what the owner's thread changes.
    if (std::strcmp(dbName, "main") != 0 || !isUndoTable(table))
        return;
    auto* log = static_cast<UndoLog*>(self);
    if (!log->capturing_)
        return;
    log->record(op, table, key1, key2);
}

void UndoLog::record(int op, const char* table, sqlite3_int64 key1, sqlite3_int64 key2)
{
    Record r;
    r.seq = ++*seqCounter_;
    r.table = table;
    if (op == SQLITE_INSERT) {
        r.op = Op::Insert;
        r.rowno = key2;
    } else {
        r.op = op == SQLITE_DELETE ? Op::Delete : Op::Update;
        r.rowno = op == SQLITE_DELETE ? key1 : key2;
        int n = sqlite3_preupdate_count(db_);
        std::vector<sqlite3_value*> values(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            sqlite3_preupdate_old(db_, i, &values[static_cast<size_t>(i)]);
        r.rowData = encodeRow(values);
    }
    lastSeq_ = r.seq;
    pendingBytes_ += footprint(r);
    pending_.push_back(std::move(r));
}

void UndoLog::markLost()
{
    pending_.clear();
    pendingBytes_ = 0;
    // What this transaction deleted from UNDO$ may be back: look there when it is rolled back.
    persisted_ = true;
    lost_ = true;
}

void UndoLog::dropIfTransactionEnded()
{
    if (!pending_.empty() && sqlite3_get_autocommit(db_))
        markLost();
}

void UndoLog::undoTo(int64_t mark)
{
    // A cancel (sqlite3_interrupt) that arrives while the undo runs stops the statement it meets, not the undo:
    // what was undone stays undone and the rest is tried again, since the connection's interrupt ends once its
    // statements have. Only a cancel that keeps arriving (or another connection's statement still running) gets
    // through, and then the records not yet applied are all still there for the next try.
    for (int attempt = 1;; ++attempt) {
        try {
            undoOnce(mark);
            return;
        } catch (const Error& e) {
            if (e.code() != 1013 || attempt >= kUndoAttempts)
                throw;
        }
    }
}

void UndoLog::undoOnce(int64_t mark)
{
    dropIfTransactionEnded();
    bool was = capturing_;
    capturing_ = false;
    applying_ = true;
    try {
        Applier applier(db_);
        while (!pending_.empty() && pending_.back().seq > mark) {
            applier.apply(pending_.back());
            pendingBytes_ -= std::min(pendingBytes_, footprint(pending_.back()));
            pending_.pop_back();
        }
        if (persisted_) {
            storage::Stmt sel(db_,
                R"(SELECT "SEQ#", "TABNAME", "OP", "ROWNO", "ROWDATA" FROM "UNDO$" WHERE "SID" = ?1 AND "SEQ#" > ?2
                   ORDER BY "SEQ#" DESC)");
            sel.bind(1, sessionId_).bind(2, mark);
            const std::vector<Record> records = readRecords(sel);
            // Each record goes from UNDO$ as it is applied, so an undo stopped half-way applies none twice.
            storage::Stmt del(db_, R"(DELETE FROM "UNDO$" WHERE "SID" = ?1 AND "SEQ#" >= ?2)");
            for (const Record& r : records) {
                applier.apply(r);
                del.reset();
                del.bind(1, sessionId_).bind(2, r.seq).run();
            }
            if (mark == 0)
                persisted_ = false;
        }
    } catch (...) {
        capturing_ = was;
        applying_ = false;
        throw;
    }
    capturing_ = was;
    applying_ = false;
    lastSeq_ = mark;
}

std::span<const Record> UndoLog::recordsSince(int64_t mark) const
{
    // Usually a statement's few records at the end of a long list: walked from the back, not searched.
    auto first = pending_.end();
    while (first != pending_.begin() && std::prev(first)->seq > mark)
        --first;
    return { pending_.data() + (first - pending_.begin()), static_cast<size_t>(pending_.end() - first) };
}

std::map<int64_t, std::vector<int64_t>> UndoLog::rowsChangedSince(int64_t mark) const
{
    std::map<int64_t, std::vector<int64_t>> rows;
    for (auto it = pending_.rbegin(); it != pending_.rend() && it->seq > mark; ++it)
        rows[std::atoll(it->table.c_str() + 1)].push_back(it->rowno);
    return rows;
}

void UndoLog::persistPending()
{
    dropIfTransactionEnded();
    if (pending_.empty())
        return;
    // All or none: a write that fails part way (a full disk) leaves the records in memory and none in UNDO$.
    storage::exec(db_, "SAVEPOINT ORA$UNDO");
    try {
        storage::Stmt ins(db_, R"(INSERT INTO "UNDO$" VALUES (?1, ?2, ?3, ?4, ?5, ?6))");
        for (const Record& r : pending_) {
            ins.bind(1, r.seq).bind(2, sessionId_).bind(3, std::string_view(r.table)).bind(4, static_cast<int>(r.op));
            ins.bind(5, r.rowno);
            if (r.rowData.empty())
                ins.bindNull(6);
            else
                ins.bindBlob(6, r.rowData);
            ins.run();
        }
        storage::exec(db_, "RELEASE ORA$UNDO");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK TO ORA$UNDO; RELEASE ORA$UNDO", nullptr, nullptr, nullptr);
        dropIfTransactionEnded();
        throw;
    }
    pending_.clear();
    pendingBytes_ = 0;
    persisted_ = true;
}

void UndoLog::discardAll()
{
    pending_.clear();
    pendingBytes_ = 0;
    if (persisted_) {
        storage::Stmt del(db_, R"(DELETE FROM "UNDO$" WHERE "SID" = ?1)");
        del.bind(1, sessionId_).run();
        persisted_ = false;
    }
    lastSeq_ = 0;
}

int64_t UndoLog::recover(sqlite3* db)
{
    storage::Stmt sel(db, R"(SELECT "SEQ#", "TABNAME", "OP", "ROWNO", "ROWDATA" FROM "UNDO$" ORDER BY "SEQ#" DESC)");
    std::vector<Record> records = readRecords(sel);
    if (records.empty())
        return 0;
    Applier applier(db);
    for (const Record& r : records)
        if (std::string why = applier.check(r); !why.empty())
            throw oraError(600, "internal error code, arguments: [undo], [" + describe(r) + " " + why + "]");
    storage::exec(db, "BEGIN IMMEDIATE");
    try {
        for (const Record& r : records)
            applier.apply(r);
        storage::exec(db, R"(DELETE FROM "UNDO$")");
        storage::exec(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return static_cast<int64_t>(records.size());
}

} // namespace engine::undo

// Undo capture through the pre-update hook and its application in reverse.
// The Debian library is built with the pre-update hook; its declarations are behind this macro.
#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "engine/undo/undo_log.h"

#include "engine/storage/sqlite.h"

#include <cstdlib>
#include <cstring>

namespace engine::undo {

namespace {

enum Tag : unsigned char { kNull = 0, kInt = 1, kReal = 2, kText = 3, kBlob = 4 };

void put(std::string& out, const void* p, size_t n)
{
    out.append(static_cast<const char*>(p), n);
}

void encodeValue(std::string& out, sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: {
        out += static_cast<char>(kInt);
        int64_t i = sqlite3_value_int64(v);
        put(out, &i, sizeof i);
        break;
    }
    case SQLITE_FLOAT: {
        out += static_cast<char>(kReal);
        double d = sqlite3_value_double(v);
        put(out, &d, sizeof d);
        break;
    }
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        bool text = sqlite3_value_type(v) == SQLITE_TEXT;
        const void* p = text ? static_cast<const void*>(sqlite3_value_text(v)) : sqlite3_value_blob(v);
        uint32_t n = static_cast<uint32_t>(sqlite3_value_bytes(v));
        out += static_cast<char>(text ? kText : kBlob);
        put(out, &n, sizeof n);
        if (n)
            put(out, p, n);
        break;
    }
    default:
        out += static_cast<char>(kNull);
    }
}

// Binds the encoded values to parameters 1..n of stmt; returns how many there were.
int bindRow(sqlite3_stmt* stmt, const std::string& data)
{
    size_t pos = 0;
    int i = 0;
    while (pos < data.size()) {
        ++i;
        auto tag = static_cast<unsigned char>(data[pos++]);
        switch (tag) {
        case kInt: {
            int64_t v;
            std::memcpy(&v, data.data() + pos, sizeof v);
            pos += sizeof v;
            sqlite3_bind_int64(stmt, i, v);
            break;
        }
        case kReal: {
            double v;
            std::memcpy(&v, data.data() + pos, sizeof v);
            pos += sizeof v;
            sqlite3_bind_double(stmt, i, v);
            break;
        }
        case kText:
        case kBlob: {
            uint32_t n;
            std::memcpy(&n, data.data() + pos, sizeof n);
            pos += sizeof n;
            if (tag == kText)
                sqlite3_bind_text(stmt, i, data.data() + pos, static_cast<int>(n), SQLITE_TRANSIENT);
            else
                sqlite3_bind_blob(stmt, i, data.data() + pos, static_cast<int>(n), SQLITE_TRANSIENT);
            pos += n;
            break;
        }
        default:
            sqlite3_bind_null(stmt, i);
        }
    }
    return i;
}

int countValues(const std::string& data)
{
    size_t pos = 0;
    int n = 0;
    while (pos < data.size()) {
        ++n;
        auto tag = static_cast<unsigned char>(data[pos++]);
        if (tag == kInt || tag == kReal)
            pos += 8;
        else if (tag == kText || tag == kBlob) {
            uint32_t len;
            std::memcpy(&len, data.data() + pos, sizeof len);
            pos += sizeof len + len;
        }
    }
    return n;
}

} // namespace

bool isUndoTable(const char* name)
{
    // JOB$: DBMS_JOB's changes belong to the transaction that made them, as Oracle's do.
    return (name[0] == 'T' && name[1] >= '0' && name[1] <= '9') || std::strcmp(name, "JOB$") == 0;
}

std::string encodeRow(const std::vector<sqlite3_value*>& values)
{
    std::string out;
    for (sqlite3_value* v : values)
        encodeValue(out, v);
    return out;
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
    auto* log = static_cast<UndoLog*>(self);
    if (!log->capturing_ || std::strcmp(dbName, "main") != 0 || !isUndoTable(table))
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
    pending_.push_back(std::move(r));
}

void applyRecord(sqlite3* db, const Record& r)
{
    std::string t = storage::quoteIdent(r.table);
    if (r.op == Op::Insert) {
        storage::Stmt del(db, "DELETE FROM " + t + " WHERE rowid = ?1");
        del.bind(1, r.rowno).run();
        return;
    }
    if (r.op == Op::Update) {
        // The row may have moved to another row number only if the number itself was updated, which the engine
        // never does; delete by the current number all the same so the old image replaces it exactly.
        storage::Stmt del(db, "DELETE FROM " + t + " WHERE rowid = ?1");
        del.bind(1, r.rowno).run();
    }
    int n = countValues(r.rowData);
    std::string sql = "INSERT OR REPLACE INTO " + t + " VALUES (";
    for (int i = 1; i <= n; ++i)
        sql += (i > 1 ? ",?" : "?") + std::to_string(i);
    sql += ")";
    storage::Stmt ins(db, sql);
    bindRow(ins.get(), r.rowData);
    ins.run();
}

void UndoLog::undoTo(int64_t mark)
{
    bool was = capturing_;
    capturing_ = false;
    applying_ = true;
    try {
        while (!pending_.empty() && pending_.back().seq > mark) {
            applyRecord(db_, pending_.back());
            pending_.pop_back();
        }
        if (persisted_) {
            storage::Stmt sel(db_,
                R"(SELECT "SEQ#", "TABNAME", "OP", "ROWNO", "ROWDATA" FROM "UNDO$" WHERE "SID" = ?1 AND "SEQ#" > ?2
                   ORDER BY "SEQ#" DESC)");
            sel.bind(1, sessionId_).bind(2, mark);
            std::vector<Record> records;
            while (sel.step()) {
                Record r;
                r.seq = sel.int64(0);
                r.table = sel.text(1);
                r.op = static_cast<Op>(sel.int64(2));
                r.rowno = sel.int64(3);
                if (!sel.isNull(4))
                    r.rowData.assign(static_cast<const char*>(sqlite3_column_blob(sel.get(), 4)),
                        static_cast<size_t>(sqlite3_column_bytes(sel.get(), 4)));
                records.push_back(std::move(r));
            }
            sel.reset();
            for (const Record& r : records)
                applyRecord(db_, r);
            storage::Stmt del(db_, R"(DELETE FROM "UNDO$" WHERE "SID" = ?1 AND "SEQ#" > ?2)");
            del.bind(1, sessionId_).bind(2, mark).run();
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

std::map<int64_t, std::vector<int64_t>> UndoLog::rowsChangedSince(int64_t mark) const
{
    std::map<int64_t, std::vector<int64_t>> rows;
    for (auto it = pending_.rbegin(); it != pending_.rend() && it->seq > mark; ++it)
        rows[std::atoll(it->table.c_str() + 1)].push_back(it->rowno);
    return rows;
}

void UndoLog::persistPending()
{
    if (pending_.empty())
        return;
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
    pending_.clear();
    persisted_ = true;
}

void UndoLog::discardAll()
{
    pending_.clear();
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
    std::vector<Record> records;
    while (sel.step()) {
        Record r;
        r.seq = sel.int64(0);
        r.table = sel.text(1);
        r.op = static_cast<Op>(sel.int64(2));
        r.rowno = sel.int64(3);
        if (!sel.isNull(4))
            r.rowData.assign(static_cast<const char*>(sqlite3_column_blob(sel.get(), 4)),
                static_cast<size_t>(sqlite3_column_bytes(sel.get(), 4)));
        records.push_back(std::move(r));
    }
    sel.reset();
    if (records.empty())
        return 0;
    storage::exec(db, "BEGIN IMMEDIATE");
    try {
        for (const Record& r : records)
            applyRecord(db, r);
        storage::exec(db, R"(DELETE FROM "UNDO$")");
        storage::exec(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return static_cast<int64_t>(records.size());
}

} // namespace engine::undo

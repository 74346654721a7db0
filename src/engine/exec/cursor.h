// Cursors the executor hands out: one that streams rows from a SQLite statement as next() is called, and one over
// rows already in memory (statements that must finish inside the call, such as those using a sequence).
#pragma once

#include "engine/engine.h"
#include "engine/exec/statement_cache.h"

#include <sqlite3.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace engine::fn {
struct FunctionContext;
}

namespace engine::exec {

// What a streaming cursor shares with its session, so the session can end it when it logs off first.
struct CursorCore {
    std::shared_ptr<std::recursive_mutex> connMutex;
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr; // null once done or closed
    std::shared_ptr<CachedStatement> owner; // takes the statement back
    const std::atomic<bool>* interrupted = nullptr;
    // The session's counter of rows read (V$SESS_IO.CONSISTENT_GETS), bumped once per row fetched.
    std::atomic<int64_t>* fetchedRows = nullptr;
    // The executor steps to the first row before the call returns, so an error of the first row is the call's
    // error, as with Oracle's prefetch: 1 when that row waits to be read, 0 when the query had no row.
    int firstStep = -1;
    // The types of the columns, to read them.
    std::vector<OraType> types;
    // The session's functions context, for the time zone of TIMESTAMP WITH LOCAL TIME ZONE values.
    const fn::FunctionContext* fctx = nullptr;
    // The rows still to fetch, once the cursor has read them ahead (buffer()).
    std::deque<std::vector<Value>> buffered;

    // Gives the statement back. The caller holds connMutex.
    void release();
    // Steps to the first row (the caller holds connMutex); throws Error.
    void prefetch();
    // Reads the rest of the rows into memory and gives the statement back, so that the connection holds no read of
    // the file for it. An open read keeps the connection on the file as it was when the query began, and SQLite
    // lets no connection write from there once another has committed since; the rows read ahead are those the
    // query would have given. The caller holds connMutex; throws Error.
    void buffer();
};

class StreamCursor : public Cursor {
public:
    StreamCursor(std::shared_ptr<CursorCore> core, std::vector<ColumnDesc> columns);
    ~StreamCursor() override;
    const std::vector<ColumnDesc>& columns() const override { return columns_; }
    bool next() override;
    const Value& value(int i) const override { return values_[static_cast<size_t>(i)]; }
    void close() override;

private:
    std::shared_ptr<CursorCore> core_;
    std::vector<ColumnDesc> columns_;
    std::vector<Value> values_;
};

class RowsCursor : public Cursor {
public:
    RowsCursor(std::vector<ColumnDesc> columns, std::vector<std::vector<Value>> rows);
    const std::vector<ColumnDesc>& columns() const override { return columns_; }
    bool next() override;
    const Value& value(int i) const override { return rows_[pos_ - 1][static_cast<size_t>(i)]; }
    void close() override { rows_.clear(); }

private:
    std::vector<ColumnDesc> columns_;
    std::vector<std::vector<Value>> rows_;
    size_t pos_ = 0;
};

// Reads column i of the current row into v as the Oracle type says (a DATE is Value::Date; text is never empty).
void readColumn(sqlite3_stmt* stmt, int i, OraType type, Value& v);

// TIMESTAMP and INTERVAL columns of a row as the client receives them (see OraType), from their stored forms.
void toClientValues(std::vector<Value>& row, const std::vector<ColumnDesc>& columns, const fn::FunctionContext& ctx);

} // namespace engine::exec

// Thin RAII helpers over the SQLite C API for the engine's own statements, and the one place where a SQLite
// failure becomes an engine::Error (a message of the form "ORA-nnnnn: text" keeps its Oracle code).
#pragma once

#include "engine/engine.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::storage {

// The Error for a failed SQLite call on db: an "ORA-nnnnn: ..." message set by an engine function keeps its code;
// an interrupt is ORA-01013; anything else is reported as an internal error with SQLite's text.
Error sqliteError(sqlite3* db, int rc);

// Runs one or more statements without results; throws Error.
void exec(sqlite3* db, std::string_view sql);

// sqlite3_prepare_v3 and sqlite3_step for the engine. Another connection's DDL can land while a statement is
// prepared or about to start, more often in a row than SQLite retries on its own; SQLite then reports
// SQLITE_SCHEMA for a statement that has not begun. These prepare and run it again (a statement only reports it
// before it did anything), as SQLite expects its callers to do.
int prepare(sqlite3* db, std::string_view sql, unsigned flags, sqlite3_stmt** stmt, const char** tail = nullptr);
int step(sqlite3_stmt* stmt);

// A prepared statement, finalized when it goes.
class Stmt {
public:
    Stmt() = default;
    Stmt(sqlite3* db, std::string_view sql);
    ~Stmt();
    Stmt(Stmt&& o) noexcept;
    Stmt& operator=(Stmt&& o) noexcept;
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    sqlite3_stmt* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }

    Stmt& bind(int i, int64_t v);
    Stmt& bind(int i, int v) { return bind(i, static_cast<int64_t>(v)); }
    Stmt& bind(int i, double v);
    Stmt& bind(int i, std::string_view v); // empty text binds NULL, as Oracle's ''
    Stmt& bind(int i, const char* v) { return bind(i, std::string_view(v)); }
    Stmt& bindBlob(int i, std::string_view bytes);
    Stmt& bindNull(int i);
    Stmt& bindValue(int i, const Value& v);

    // true while a row is there; throws Error on failure.
    bool step();
    // Steps to the end (for statements without rows).
    void run();
    void reset();

    bool isNull(int i) const { return sqlite3_column_type(stmt_, i) == SQLITE_NULL; }
    int64_t int64(int i) const { return sqlite3_column_int64(stmt_, i); }
    double real(int i) const { return sqlite3_column_double(stmt_, i); }
    std::string text(int i) const;
    Value value(int i) const; // by storage class; text as Text

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

// A single value of a query with one row and one column.
int64_t queryInt(sqlite3* db, std::string_view sql, int64_t fallback = 0);

// Quotes a name as a SQLite identifier: "name" with inner quotes doubled.
std::string quoteIdent(std::string_view name);
// Quotes a text as a SQL literal: 'text' with inner quotes doubled.
std::string quoteText(std::string_view text);

// Reads a SQLite value into an engine Value by storage class.
Value toValue(sqlite3_value* v);
// Hands an engine Value to a function result.
void resultValue(sqlite3_context* ctx, const Value& v);

} // namespace engine::storage

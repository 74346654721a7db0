// Prepared SQLite statements of a translation's helper SQL (the query of the rows a DML or FOR UPDATE locks, the
// DML restricted to the locked rows, the locked rows' table): kept with the translation and lent out per run, so a
// statement run again and again from PL/SQL or with new binds prepares none of them again.
#pragma once

#include "engine/storage/sqlite.h"

#include <string>
#include <utility>
#include <vector>

namespace engine::exec {

class StatementPool {
public:
    // A statement of the text not in use, else a new one prepared on the connection. Throws Error.
    storage::Stmt take(sqlite3* db, const std::string& sql);
    // Takes it back reset, its binds cleared; beyond a few idle statements it is finalized.
    void giveBack(const std::string& sql, storage::Stmt stmt);

private:
    std::vector<std::pair<std::string, storage::Stmt>> idle_;
};

// A statement borrowed from a pool for one scope.
class PooledStmt {
public:
    PooledStmt(StatementPool& pool, sqlite3* db, const std::string& sql)
        : pool_(pool)
        , sql_(sql)
        , stmt_(pool.take(db, sql))
    {
    }
    ~PooledStmt() { pool_.giveBack(sql_, std::move(stmt_)); }
    PooledStmt(const PooledStmt&) = delete;
    PooledStmt& operator=(const PooledStmt&) = delete;

    storage::Stmt& operator*() { return stmt_; }
    storage::Stmt* operator->() { return &stmt_; }
    sqlite3_stmt* get() const { return stmt_.get(); }

private:
    StatementPool& pool_;
    const std::string& sql_;
    storage::Stmt stmt_;
};

} // namespace engine::exec

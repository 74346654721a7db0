// The session's prepared statements of the engine's own SQL texts (the rows a DML statement locks, its restricted
// form, the row a key check reads): a statement run once per user statement is prepared once per session, not once
// per run. Emptied when the database's DDL generation moves on, and bounded in size.
#pragma once

#include "engine/storage/sqlite.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::exec {

class PreparedPool {
public:
    // A statement taken from the pool for as long as it lives; given back reset, its binds cleared. Two leases of
    // one text at once (a trigger's statement inside the statement) hold two prepared statements.
    class Lease {
    public:
        Lease(PreparedPool& pool, std::string key, storage::Stmt stmt);
        ~Lease();
        Lease(Lease&& o) noexcept = default;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Lease& operator=(Lease&&) = delete;
        storage::Stmt& operator*() { return stmt_; }
        storage::Stmt* operator->() { return &stmt_; }
        sqlite3_stmt* get() const { return stmt_.get(); }

    private:
        PreparedPool* pool_;
        std::string key_;
        storage::Stmt stmt_;
    };

    explicit PreparedPool(size_t capacity = 64)
        : capacity_(capacity)
    {
    }
    // A prepared statement of sql on db; generation is the database's DDL generation now. Throws Error.
    Lease take(sqlite3* db, std::string_view sql, uint64_t generation);
    void clear() { idle_.clear(); }
    // Statements prepared so far (a test reads it to see the pool work).
    int64_t prepared() const { return prepared_; }

private:
    void giveBack(std::string key, storage::Stmt stmt);

    size_t capacity_;
    uint64_t generation_ = 0;
    int64_t prepared_ = 0;
    std::unordered_map<std::string, std::vector<storage::Stmt>> idle_;
};

// A statement of the session's pool on its connection.
PreparedPool::Lease prepared(SessionState& s, std::string_view sql);

} // namespace engine::exec

// The session's cache of translated statements, keyed by statement text and current schema: a statement run
// again with new binds is neither parsed nor bound again, and its prepared SQLite statement is reused.
#pragma once

#include "engine/bind/bound.h"
#include "engine/exec/statement_pool.h"

#include <sqlite3.h>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace engine::exec {

struct CachedStatement {
    bind::BoundStatementPtr bound;
    uint64_t generation = 0; // the database's DDL generation it was bound under
    bool usesSequence = false;
    // Prepared statements of bound->sql not in use; a cursor takes one and gives it back when it is done.
    std::vector<sqlite3_stmt*> idle;
    StatementPool helpers; // prepared statements of the rows to lock and of the restricted DML
    ~CachedStatement();
    sqlite3_stmt* take(sqlite3* db); // throws Error
    void giveBack(sqlite3_stmt* stmt);
};

class StatementCache {
public:
    explicit StatementCache(size_t capacity = 256)
        : capacity_(capacity)
    {
    }
    // The entry for the text under the schema when it was bound under the given generation, else nullptr.
    std::shared_ptr<CachedStatement> find(std::string_view sql, const std::string& schema, uint64_t generation);
    void put(std::string_view sql, const std::string& schema, std::shared_ptr<CachedStatement> entry);
    void clear();
    // How many times a statement had to be parsed and bound (a test reads it to see the cache work).
    int64_t misses() const { return misses_; }
    void countMiss() { ++misses_; }

private:
    using Key = std::string;
    static Key key(std::string_view sql, const std::string& schema);
    size_t capacity_;
    int64_t misses_ = 0;
    std::list<Key> order_; // most recent first
    std::unordered_map<Key, std::pair<std::shared_ptr<CachedStatement>, std::list<Key>::iterator>> map_;
};

} // namespace engine::exec

// Statement cache.
#include "engine/exec/statement_cache.h"

#include "engine/storage/sqlite.h"

namespace engine::exec {

CachedStatement::~CachedStatement()
{
    for (sqlite3_stmt* s : idle)
        sqlite3_finalize(s);
}

sqlite3_stmt* CachedStatement::take(sqlite3* db)
{
    if (!idle.empty()) {
        sqlite3_stmt* s = idle.back();
        idle.pop_back();
        return s;
    }
    sqlite3_stmt* s = nullptr;
    int rc = storage::prepare(db, bound->sql, SQLITE_PREPARE_PERSISTENT, &s);
    if (rc != SQLITE_OK)
        throw storage::sqliteError(db, rc);
    return s;
}

void CachedStatement::giveBack(sqlite3_stmt* stmt)
{
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (idle.size() < 4)
        idle.push_back(stmt);
    else
        sqlite3_finalize(stmt);
}

StatementCache::Key StatementCache::key(std::string_view sql, const std::string& schema)
{
    Key k = schema;
    k += '\x1f';
    k.append(sql);
    return k;
}

std::shared_ptr<CachedStatement> StatementCache::find(
    std::string_view sql, const std::string& schema, uint64_t generation)
{
    // The key is made in a buffer kept for it: a hit allocates nothing.
    lookup_.assign(schema);
    lookup_ += '\x1f';
    lookup_.append(sql);
    auto it = map_.find(lookup_);
    if (it == map_.end())
        return nullptr;
    if (it->second.first->generation != generation) {
        order_.erase(it->second.second);
        map_.erase(it);
        return nullptr;
    }
    order_.splice(order_.begin(), order_, it->second.second);
    return it->second.first;
}

void StatementCache::put(std::string_view sql, const std::string& schema, std::shared_ptr<CachedStatement> entry)
{
    Key k = key(sql, schema);
    auto it = map_.find(k);
    if (it != map_.end()) {
        order_.erase(it->second.second);
        map_.erase(it);
    }
    order_.push_front(k);
    map_.emplace(std::move(k), std::make_pair(std::move(entry), order_.begin()));
    while (map_.size() > capacity_) {
        map_.erase(order_.back());
        order_.pop_back();
    }
}

void StatementCache::clear()
{
    map_.clear();
    order_.clear();
}

} // namespace engine::exec

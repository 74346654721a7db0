// The session's pool of prepared statements of the engine's own SQL texts.
#include "engine/exec/prepared_pool.h"

#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"

namespace engine::exec {

PreparedPool::Lease::Lease(PreparedPool& pool, std::string key, storage::Stmt stmt)
    : pool_(&pool)
    , key_(std::move(key))
    , stmt_(std::move(stmt))
{
}

PreparedPool::Lease::~Lease()
{
    if (!stmt_)
        return; // moved away
    stmt_.reset();
    pool_->giveBack(std::move(key_), std::move(stmt_));
}

PreparedPool::Lease PreparedPool::take(sqlite3* db, std::string_view sql, uint64_t generation)
{
    if (generation != generation_) {
        // DDL may have dropped what the texts name; SQLite prepares the others again on their own.
        idle_.clear();
        generation_ = generation;
    }
    std::string key(sql);
    auto it = idle_.find(key);
    if (it != idle_.end() && !it->second.empty()) {
        storage::Stmt stmt = std::move(it->second.back());
        it->second.pop_back();
        return Lease(*this, std::move(key), std::move(stmt));
    }
    storage::Stmt stmt(db, sql);
    ++prepared_;
    return Lease(*this, std::move(key), std::move(stmt));
}

void PreparedPool::giveBack(std::string key, storage::Stmt stmt)
{
    if (!stmt)
        return;
    if (idle_.size() >= capacity_ && !idle_.count(key))
        idle_.clear();
    auto& list = idle_[std::move(key)];
    if (list.size() < 4)
        list.push_back(std::move(stmt));
}

PreparedPool::Lease prepared(SessionState& s, std::string_view sql)
{
    return s.prepared->take(s.conn, sql, s.db->ddlGeneration.load());
}

} // namespace engine::exec

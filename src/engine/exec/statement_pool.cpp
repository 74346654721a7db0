// The pool of a translation's helper statements.
#include "engine/exec/statement_pool.h"

namespace engine::exec {

namespace {

// Enough for a cursor open inside a loop that also runs the same translation's DML; more are rare nestings.
constexpr size_t kIdleLimit = 8;

} // namespace

storage::Stmt StatementPool::take(sqlite3* db, const std::string& sql)
{
    for (auto it = idle_.rbegin(); it != idle_.rend(); ++it)
        if (it->first == sql) {
            storage::Stmt s = std::move(it->second);
            idle_.erase(std::next(it).base());
            return s;
        }
    return storage::Stmt(db, sql);
}

void StatementPool::giveBack(const std::string& sql, storage::Stmt stmt)
{
    if (!stmt)
        return;
    stmt.reset();
    if (idle_.size() < kIdleLimit)
        idle_.emplace_back(sql, std::move(stmt));
}

} // namespace engine::exec

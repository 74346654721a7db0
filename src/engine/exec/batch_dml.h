// One translated INSERT run for many sets of binds under one statement envelope (FORALL's iterations): the table
// lock, the write scope, the prepared statement and the locking of the new rows are taken once for all of them,
// while each set still changes rows as its own execution would.
#pragma once

#include "engine/engine.h"
#include "engine/exec/statement_cache.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::exec {

// Whether runInsertBatch takes the statement: a plain INSERT of this database without RETURNING into a table
// without triggers, that does not read its own table.
bool batchableInsert(SessionState& s, const CachedStatement& entry);

// Runs the statement once per set of binds, in order, and gives each set's row count. It stops before the first set
// that fails, whose own changes are undone, and returns how many sets ran; the caller runs that set alone (so its
// error, or a wait for another session, is the one a single execution has). nullopt when the batch could not keep
// its rows (another session's lock or key stands in the way): nothing of it stays, and the caller runs each set
// alone. Throws Error only for what fails before any set runs (privileges, a read-only transaction).
std::optional<size_t> runInsertBatch(SessionState& s, const std::shared_ptr<CachedStatement>& entry,
    const std::vector<std::vector<Bind>>& sets, std::vector<int64_t>& rowCounts);

} // namespace engine::exec

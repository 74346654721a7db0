// Runs a MERGE or multitable INSERT bound as plain statements (bind/compound_dml.h): reads its source rows once,
// then runs each statement under the session's transaction and locks, all of them undone when one fails.
#pragma once

#include "engine/bind/compound_dml.h"
#include "engine/engine.h"
#include "engine/exec/statement_cache.h"

#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::exec {

ExecResult runCompound(SessionState& s, const bind::BoundStatement& b, std::vector<Bind>& binds);

// executor.cpp: one INSERT, UPDATE or DELETE with its triggers, row locks and statement atomicity.
ExecResult runDmlStep(SessionState& s, CachedStatement& entry, std::vector<Bind>& binds);

} // namespace engine::exec

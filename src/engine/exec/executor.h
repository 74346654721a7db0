// The executor: a statement text in, parsed and bound (or found in the session's cache), run under the session's
// transaction and locks, with Oracle's statement atomicity.
#pragma once

#include "engine/engine.h"
#include "engine/sql/ast.h"

#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::exec {

ExecResult execute(SessionState& s, std::string_view sql, std::vector<Bind>& binds);

// DDL and user statements, run from the tree (ddl*.cpp). Commits before and after, as Oracle does.
ExecResult executeDdl(SessionState& s, const sql::Statement& stmt, std::string_view text);

// Maps a SQLite constraint failure on a physical table to Oracle's error naming the constraint (ORA-00001 for a
// unique index), leaving every other error as it is.
Error translateConstraintError(SessionState& s, const Error& e);

} // namespace engine::exec

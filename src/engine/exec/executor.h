// The executor: a statement text in, parsed and bound (or found in the session's cache), run under the session's
// transaction and locks, with Oracle's statement atomicity.
#pragma once

#include "engine/engine.h"
#include "engine/bind/external_names.h"
#include "engine/exec/statement_cache.h"
#include "engine/sql/ast.h"

#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::exec {

ExecResult execute(SessionState& s, std::string_view sql, std::vector<Bind>& binds);

// A statement run from inside a call (PL/SQL's embedded and dynamic SQL): as execute(), but the call's cancel flag
// stays as it is.
ExecResult executeNested(SessionState& s, std::string_view sql, std::vector<Bind>& binds);

// Embedded SQL of PL/SQL: translated once with the block's names as binds, then run again and again with new
// values. runTranslated runs a query or DML so translated under the session's transaction and locks.
std::shared_ptr<CachedStatement> translateEmbedded(
    SessionState& s, std::string_view sql, const sql::Statement& stmt, const bind::ExternalNames* names);
ExecResult runTranslated(SessionState& s, const std::shared_ptr<CachedStatement>& entry, std::vector<Bind>& binds);

// DDL and user statements, run from the tree (ddl*.cpp). Commits before and after, as Oracle does.
ExecResult executeDdl(SessionState& s, const sql::Statement& stmt, std::string_view text);

// Maps a SQLite constraint failure on a physical table to Oracle's error naming the constraint (ORA-00001 for a
// unique index), leaving every other error as it is.
Error translateConstraintError(SessionState& s, const Error& e);

} // namespace engine::exec

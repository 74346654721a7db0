// The PL/SQL stage's entry points for the executor: running an anonymous block with the call's binds, creating and
// compiling stored units.
#pragma once

#include "engine/engine.h"
#include "engine/sql/ast.h"

#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::plsql {

// Runs a PL/SQL statement as sent by a client: an anonymous block (binds IN, OUT, IN OUT and REF CURSOR out), or
// CREATE of a unit. `sql` is the whole statement text; line numbers count from its first line. Throws Error with
// Oracle's error stack (ORA-06550 for compile errors, ORA-06512 lines for run-time errors).
ExecResult execute(SessionState& s, const sql::PlSqlStmt& stmt, std::string_view sql, std::vector<Bind>& binds);

// Parses and compiles an anonymous block without running it, with binds of those names: Error ORA-06550 (with
// Oracle's lines) when it would not compile. DBMS_JOB checks a job's text so when it is submitted.
void checkBlock(SessionState& s, std::string_view block, const std::vector<Bind>& binds);

} // namespace engine::plsql

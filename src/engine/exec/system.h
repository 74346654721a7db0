// ALTER SYSTEM: parameters, restricted session and killing sessions. It neither commits nor joins the session's
// transaction, as in Oracle.
#pragma once

#include "engine/engine.h"
#include "engine/sql/ast.h"

namespace engine {
struct SessionState;
}

namespace engine::exec {

ExecResult alterSystem(SessionState& s, const sql::AlterSystemStmt& st);

} // namespace engine::exec

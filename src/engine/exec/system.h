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

// ALTER ROLLBACK SEGMENT name ONLINE | OFFLINE over the instance's rollback segments (rollback_segments.cpp):
// commits first, as DDL does, and V$ROLLNAME and V$ROLLSTAT follow.
ExecResult alterRollbackSegment(SessionState& s, const sql::AlterRollbackSegmentStmt& st);

} // namespace engine::exec

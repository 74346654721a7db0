// Functions of stored units called from SQL statements (SELECT pkg.f(x) FROM DUAL, owner.pkg.f, a function without
// parentheses, in WHERE and in DML): the binder asks here what a name stands for, and the statement calls back into
// the interpreter through one SQLite function.
#pragma once

#include "engine/bind/bound.h"

#include <optional>
#include <string>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::plsql {

// The stored function `parts` names for a call with `argCount` arguments, as the session sees it (its schema,
// synonyms, EXECUTE): a function whose parameters are all IN and that takes that many arguments.
std::optional<bind::SessionContext::StoredFunction> sqlFunction(
    SessionState& s, const std::vector<std::string>& parts, size_t argCount);

// Whether a function called from SQL is running on this thread: its DML is refused (ORA-14551), unless an
// autonomous transaction started inside it.
bool inSqlFunction();
// An autonomous transaction starts: the functions called from SQL so far no longer count. Returns what to restore.
int beginAutonomousSqlLevel();
void endAutonomousSqlLevel(int saved);

} // namespace engine::plsql

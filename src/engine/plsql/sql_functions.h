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

// The stored function `parts` names for a call with arguments named `argNames` (empty for a positional one), as the
// session sees it (its schema, synonyms, EXECUTE): the first overload whose parameters the arguments fit, in
// positional, named or mixed notation, with defaults for those left out. A function found that none fits throws
// ORA-06553 with the PLS error Oracle gives (PLS-306, PLS-312, PLS-703, PLS-382), or ORA-06572 for OUT parameters.
std::optional<bind::SessionContext::StoredFunction> sqlFunction(
    SessionState& s, const std::vector<std::string>& parts, const std::vector<std::string>& argNames);

// The stored function returning a collection that TABLE(f(...)) reads, found as sqlFunction finds one. From SQL
// outside PL/SQL (`fromPlsql` false) only a pipelined function's package collection type is a type of SQL.
std::optional<bind::SessionContext::StoredCollectionFunction> sqlCollectionFunction(SessionState& s,
    const std::vector<std::string>& parts, const std::vector<std::string>& argNames, bool fromPlsql);

// The PLS error inside an ORA-06553 message, as the PL/SQL compiler reports it for static SQL
// ("ORA-06553: PLS-306: wrong ..." is "PLS-00306: wrong ...").
std::string plsErrorOf(const std::string& ora06553);

// Whether a function called from SQL is running on this thread: its DML is refused (ORA-14551), unless an
// autonomous transaction started inside it.
bool inSqlFunction();
// An autonomous transaction starts: the functions called from SQL so far no longer count. Returns what to restore.
int beginAutonomousSqlLevel();
void endAutonomousSqlLevel(int saved);

} // namespace engine::plsql

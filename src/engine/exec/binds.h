// Bind values on their way into a statement: found by name, converted by Oracle's implicit rules to the type the
// statement's context expects, and handed to SQLite.
#pragma once

#include "engine/bind/bound.h"
#include "engine/engine.h"
#include "engine/fn/context.h"

#include <sqlite3.h>

#include <vector>

namespace engine::exec {

// The value converted to what `expected` says: text to NUMBER (ORA-01722), text to DATE under NLS_DATE_FORMAT,
// numbers and dates to text. Throws Error.
Value convertBind(const Value& v, const types::ExprType& expected, const fn::FunctionContext& ctx);

// Binds every parameter of the statement; ORA-01008 when a bind has no value given.
void bindParameters(
    sqlite3_stmt* stmt, const bind::BoundStatement& b, const std::vector<Bind>& binds, const fn::FunctionContext& ctx);

// The time a statement starts, as SYSDATE gives it during the statement.
std::string currentStatementTime();

} // namespace engine::exec

// Virtual columns and function-based indexes. A virtual column keeps its expression in COL$.DEFAULT$ (the binder
// reads the expression wherever the column is read); a function-based index indexes a hidden virtual column
// SYS_NCnnnnn$ made for its expression, as Oracle does, and SQLite indexes the expression itself.
#pragma once

#include "engine/catalog/catalog.h"
#include "engine/exec/ddl.h"
#include "engine/sql/ast.h"

#include <span>
#include <string>

namespace engine::exec {

// The COL$ row of a virtual column before its expression is bound (the declared type, else a placeholder).
catalog::ColumnRow virtualColumnRow(const sql::ColumnDef& def);

// Binds the expressions of the table's virtual columns over its stored columns, gives each its type when none was
// declared (ORA-54012 for an expression naming another virtual column).
void bindVirtualColumns(DdlContext& ctx, const catalog::ObjectRow& table, std::span<const sql::ColumnDef> defs);

// The hidden column of a function-based index's expression: an existing one with the same expression, else a new
// one. Returns its column number.
int functionIndexColumn(DdlContext& ctx, const catalog::ObjectRow& table, const sql::Expr& expr, int offset,
    const std::string& exprText);

// Drops the hidden columns no index uses any more (after DROP INDEX).
void dropUnusedIndexColumns(DdlContext& ctx, int64_t tableId);

} // namespace engine::exec

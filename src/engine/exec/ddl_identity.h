// Identity columns and DEFAULT ON NULL: what CREATE and ALTER TABLE do for them. An identity column takes its
// values from the table's system sequence ISEQ$$_<table obj#> (in the table's schema, dropped with the table),
// named in its DEFAULT as Oracle's dictionary shows it.
#pragma once

#include "engine/catalog/catalog.h"
#include "engine/exec/ddl.h"
#include "engine/sql/ast.h"

#include <span>
#include <string>
#include <vector>

namespace engine::exec {

// The name of a table's identity sequence.
std::string identitySequenceName(int64_t tableId);

// Marks the column row as its declaration asks (identity, ALWAYS, ON NULL); ORA-30675 for an identity column of
// another type than NUMBER.
void applyColumnGeneration(const sql::ColumnDef& def, catalog::ColumnRow& column);

// For a new table (or a column added to one): creates the identity sequence of the identity column among `defs`
// and points the column's DEFAULT at it; ORA-30669 for a second one (`existing` counts one already there).
void createIdentitySequence(DdlContext& ctx, const catalog::ObjectRow& table, std::span<const sql::ColumnDef> defs,
    std::vector<catalog::ColumnRow>& columns, bool existing);

// Gives the rows already in the table values of a newly added identity column's sequence, as Oracle does.
void fillIdentityColumn(DdlContext& ctx, const catalog::ObjectRow& table, const catalog::ColumnRow& column);

// Whether the column declaration asks for the NOT NULL constraint Oracle adds to identity and DEFAULT ON NULL
// columns (one the declaration writes itself is made by it).
bool needsImpliedNotNull(const sql::ColumnDef& def);

// Whether a sequence is a table's identity sequence (ORA-32793, ORA-32794 refuse changing or dropping it).
bool isIdentitySequence(DdlContext& ctx, const catalog::ObjectRow& sequence);

// Drops the identity sequence of a table being dropped.
void dropIdentitySequence(DdlContext& ctx, const catalog::ObjectRow& table);

} // namespace engine::exec

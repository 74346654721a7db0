// Helpers the DDL statements share: Oracle's datatypes of a column declaration, names, quoting of messages and
// the expression of a stored condition.
#pragma once

#include "engine/bind/bound.h"
#include "engine/catalog/catalog.h"
#include "engine/exec/ddl.h"
#include "engine/sql/ast.h"

#include <string>
#include <vector>

namespace engine::exec {

// The column a declaration describes (COL$ shape, without its numbers); ORA-00902, ORA-00910, ORA-01727 ... for a
// declaration Oracle refuses.
catalog::ColumnRow columnFromType(const sql::DataType& type);

// The catalog lookup and session context of the DDL's session.
catalog::Lookup lookupOf(DdlContext& ctx);
bind::SessionContext sessionContextOf(DdlContext& ctx);

// The binder's description of a table (for binding conditions over it).
bind::TableInfo tableInfo(DdlContext& ctx, const catalog::ObjectRow& table);

// A condition stored as text (CHECK), bound over the table as SQLite SQL naming the physical columns.
std::string conditionSql(DdlContext& ctx, const catalog::ObjectRow& table, const std::string& conditionText);

// "OWNER.NAME" as ORA-00001 and friends name a constraint.
std::string qualified(const std::string& owner, const std::string& name);

// The next free physical column name of a table ("C1", "C2", ...).
std::string nextPhysicalColumn(const std::vector<catalog::ColumnRow>& cols);

// A column of the table by name; ORA-00904 at offset when there is none.
const catalog::ColumnRow& columnNamed(const std::vector<catalog::ColumnRow>& cols, const sql::Identifier& name);

// Creates a constraint of the table from its declaration: catalog rows, its index (keys), validation of the rows
// already there when it is enabled and validated. Does not rebuild triggers.
void addConstraint(
    DdlContext& ctx, const catalog::ObjectRow& table, const sql::Constraint& c, const std::vector<int>& columns);

// Checks that the table's rows satisfy the constraint (ORA-02293, ORA-02437, ORA-02299, ORA-02298, ORA-02296).
void validateConstraint(DdlContext& ctx, const catalog::ConstraintRow& c);

// Creates the unique index that enforces an enabled key constraint.
// CREATE UNIQUE INDEX over the physical columns (each followed by its suffix, e.g. " DESC") with Oracle's rule for
// NULLs in keys of several columns.
std::string uniqueIndexSql(const std::string& indexName, int64_t tableId, const std::vector<std::string>& columns,
    const std::vector<std::string>& suffixes);
void createKeyIndex(DdlContext& ctx, const catalog::ObjectRow& table, catalog::ConstraintRow& c);
// Drops the index a key constraint used (the catalog object and its SQLite index).
void dropKeyIndex(DdlContext& ctx, catalog::ConstraintRow& c);

// Drops a whole index: SQLite index and catalog rows.
void dropIndexObject(DdlContext& ctx, int64_t indexId);

// Whether a result column's heading is a name a table or view column can take as it is (an expression's heading
// is not: Oracle asks for an alias, ORA-00998).
bool plainIdentifier(const std::string& name);

// Marks the objects that depend on the object (views, stored units, and what depends on them) INVALID, as Oracle
// does when a table goes or changes.
void invalidateDependents(DdlContext& ctx, int64_t objectId);

} // namespace engine::exec

namespace engine::exec {
// COL$.NULL$ of every column from the enabled NOT NULL and PRIMARY KEY constraints.
void refreshNullability(DdlContext& ctx, int64_t tableId);
} // namespace engine::exec

namespace engine::exec {
// Creates a sequence (OBJ$ and SEQ$ rows) from its options (ORA-04002 ... for options Oracle refuses).
int64_t addSequence(DdlContext& ctx, int64_t ownerId, const std::string& name, const sql::SequenceOptions& options);
// Numbers a table's columns from 1 again after some were dropped.
void renumberColumns(DdlContext& ctx, int64_t tableId);
// The COL$ shape of a result column's type.
catalog::ColumnRow columnFromDesc(const ColumnDesc& d);
} // namespace engine::exec

// The binder: resolves the names of a parsed statement against the catalog, infers the Oracle type of every
// expression, checks what Oracle checks before running (ORA-00904, ORA-00942, ORA-00979, ORA-00932, ...) and
// emits the SQLite SQL that does what Oracle does. Errors are engine::Error with the offset of the token.
#pragma once

#include "engine/bind/bound.h"
#include "engine/bind/catalog_lookup.h"
#include "engine/bind/external_names.h"
#include "engine/sql/ast.h"

#include <string_view>

namespace engine::bind {

// Binds one statement (queries and DML; other statements give a BoundStatement of their kind with no SQL, for
// the executor to run from the tree). `text` is the statement text the tree was parsed from (for column
// headings). Throws engine::Error.
// `external` resolves the names that are no column (a PL/SQL block's variables) to binds.
BoundStatementPtr bindStatement(const sql::Statement& statement, std::string_view text, const CatalogLookup& catalog,
    const SessionContext& context, const ExternalNames* external = nullptr);

// The public kind of a parsed statement, as the engine reports it to its clients.
StatementKind statementKindOf(sql::StatementKind kind);

// Binds a query alone: CREATE TABLE ... AS SELECT and CREATE VIEW use its columns and SQL.
BoundStatementPtr bindQuery(
    const sql::Query& query, std::string_view text, const CatalogLookup& catalog, const SessionContext& context);

// An expression over one table's columns (a CHECK condition, a DEFAULT), as SQLite SQL naming the physical
// columns unqualified, with its Oracle type. Throws engine::Error (ORA-00904 for an unknown column).
struct TableExpression {
    std::string sql;
    types::ExprType type;
};
// `sequenceAllowed`: NEXTVAL may be used (filling a new column's rows), else ORA-02287.
TableExpression bindTableExpression(const sql::Expr& expr, std::string_view text, const TableInfo& table,
    const CatalogLookup& catalog, const SessionContext& context, bool sequenceAllowed = false);

} // namespace engine::bind

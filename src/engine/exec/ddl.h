// The DDL statements the executor runs from the syntax tree, each against the catalog and the physical tables in
// one SQLite transaction. Split by subject: tables and constraints, indexes, sequences, views and synonyms,
// comments, users, privileges.
#pragma once

#include "engine/catalog/catalog.h"
#include "engine/engine.h"
#include "engine/sql/ast.h"

#include <string>
#include <string_view>

namespace engine {
struct SessionState;
}

namespace engine::exec {

struct DdlContext {
    SessionState& s;
    std::string_view text; // the statement text, for the bodies of views and conditions
    std::string warning; // set when the statement succeeds with compilation errors
};

void runDdl(DdlContext& ctx, const sql::Statement& stmt, ExecResult& result);

// Resolves the owner of a name being created or dropped: the schema written, else the current schema.
// ORA-01918 when the user does not exist.
catalog::UserRow ownerOf(DdlContext& ctx, const sql::ObjectName& name);

// The table a DDL acts on (ORA-00942 when there is none), locked exclusively without waiting (ORA-00054 when
// another session has uncommitted changes in it).
catalog::ObjectRow tableForDdl(DdlContext& ctx, const sql::ObjectName& name, bool allowView = false);

// Rebuilds the triggers that enforce the table's NOT NULL, CHECK and FOREIGN KEY constraints and the actions of the
// foreign keys that refer to it.
void rebuildTriggers(DdlContext& ctx, int64_t tableId);

// Statements by subject (ddl_table.cpp, ddl_objects.cpp, ddl_users.cpp).
void createTable(DdlContext& ctx, const sql::CreateTableStmt& st);
void alterTable(DdlContext& ctx, const sql::AlterTableStmt& st);
void dropTable(DdlContext& ctx, const sql::DropTableStmt& st);
void truncateTable(DdlContext& ctx, const sql::TruncateStmt& st);
void createIndex(DdlContext& ctx, const sql::CreateIndexStmt& st);
void dropIndex(DdlContext& ctx, const sql::DropIndexStmt& st);
void alterIndex(DdlContext& ctx, const sql::AlterIndexStmt& st);
void createSequence(DdlContext& ctx, const sql::CreateSequenceStmt& st);
void alterSequence(DdlContext& ctx, const sql::AlterSequenceStmt& st);
void dropSequence(DdlContext& ctx, const sql::DropSequenceStmt& st);
void createView(DdlContext& ctx, const sql::CreateViewStmt& st);
void dropView(DdlContext& ctx, const sql::DropViewStmt& st);
// ALTER VIEW ... COMPILE: the view's query is bound again in its owner's schema; the view becomes VALID with its
// dependencies renewed, or stays INVALID with a compilation warning.
void alterViewCompile(DdlContext& ctx, const sql::AlterCodeStmt& st);
void createSynonym(DdlContext& ctx, const sql::CreateSynonymStmt& st);
void dropSynonym(DdlContext& ctx, const sql::DropSynonymStmt& st);
void comment(DdlContext& ctx, const sql::CommentStmt& st);
void renameObject(DdlContext& ctx, const sql::RenameStmt& st);
void createUser(DdlContext& ctx, const sql::CreateUserStmt& st);
void alterUser(DdlContext& ctx, const sql::AlterUserStmt& st);
void dropUser(DdlContext& ctx, const sql::DropUserStmt& st);
// Privileges and roles (ddl_grants.cpp).
void grant(DdlContext& ctx, const sql::GrantStmt& st);
void revoke(DdlContext& ctx, const sql::RevokeStmt& st);
void createRole(DdlContext& ctx, const sql::CreateRoleStmt& st);
void dropRole(DdlContext& ctx, const sql::DropRoleStmt& st);

} // namespace engine::exec

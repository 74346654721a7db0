// Database links as the rest of the engine meets them: CREATE and DROP DATABASE LINK, the binder's catalog that
// reaches tables of other databases through name@link, DML sent to the database a link names, and the session's
// COMMIT, ROLLBACK and savepoints carried to the remote sessions it opened.
#pragma once

#include "engine/bind/catalog_lookup.h"
#include "engine/catalog/catalog.h"
#include "engine/engine.h"
#include "engine/sql/ast.h"

#include <string>
#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::link {

// CREATE [PUBLIC] DATABASE LINK and DROP [PUBLIC] DATABASE LINK, inside the DDL's SQLite transaction. A link is
// only written down here; its database is reached when a statement first uses it.
void createDatabaseLink(SessionState& s, const sql::CreateDatabaseLinkStmt& st);
void dropDatabaseLink(SessionState& s, const sql::DropObjectStmt& st);

// INSERT, UPDATE or DELETE whose target is name@link.
bool isRemoteDml(const sql::Statement& st);
// Runs such a statement on the remote session of the link, as part of the local session's transaction.
ExecResult executeRemoteDml(SessionState& s, const sql::Statement& st, std::string_view text, std::vector<Bind>& binds);

// SELECT ... FOR UPDATE of a table read through a link (virtualTable, the table the binder made for it): the
// remote session locks each row of rows, found by its column values as read, in the local session's transaction.
// nowait and waitSeconds are the query's own (waitSeconds -1 waits as long as the link's lock timeout allows).
void lockRemoteRows(SessionState& s, const std::string& virtualTable, const std::vector<std::vector<Value>>& rows,
    bool nowait, int waitSeconds);

// The local transaction's end reaches every remote session the session opened: Oracle commits and rolls back a
// distributed transaction as one.
void commitRemote(SessionState& s);
void rollbackRemote(SessionState& s);
void savepointRemote(SessionState& s, const std::string& name);
// After the local savepoint was found: remote work done since it is undone too.
void rollbackRemoteToSavepoint(SessionState& s, const std::string& name);
// Session::interrupt(), from any thread: a call running on a remote session for this one stops too (ORA-01013).
void interruptRemote(SessionState& s);

// The binder's catalog for a session: the local catalog, and through database links the tables and views of
// other databases, each standing as a virtual table on the session's connection.
class SessionLookup : public bind::CatalogLookup {
public:
    explicit SessionLookup(SessionState& s);
    std::optional<bind::ObjectRef> resolve(
        std::string_view owner, std::string_view name, std::string_view currentSchema) const override;
    std::optional<bind::TableInfo> table(const bind::ObjectRef& ref) const override;
    std::optional<bind::ViewInfo> view(const bind::ObjectRef& ref) const override;
    bool schemaExists(std::string_view name) const override;
    bind::TableInfo remoteTable(const bind::RemoteName& name) const override;
    std::string remoteSequence(const bind::RemoteName& name, bool next) const override;

private:
    SessionState& s_;
    catalog::Lookup local_;
};

} // namespace engine::link

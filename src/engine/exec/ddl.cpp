// DDL dispatch: implicit commits around the statement and the SQLite transaction that holds its catalog and
// physical changes together.
#include "engine/exec/ddl.h"

#include "engine/exec/dml_triggers.h"
#include "engine/exec/executor.h"
#include "engine/session/session_state.h"
#include "engine/session/transaction.h"
#include "engine/storage/database_state.h"

namespace engine::exec {

ExecResult executeDdl(SessionState& s, const sql::Statement& stmt, std::string_view text)
{
    // Oracle commits the open transaction before a DDL statement, even one that then fails.
    checkNotInTrigger(s, "COMMIT");
    session::commit(s);
    s.readOnlyTransaction = false;
    ExecResult r;
    r.kind = StatementKind::Ddl;
    {
        DdlContext ctx { s, text, {} };
        session::WriteScope w(s);
        s.undo->setCapturing(false);
        try {
            runDdl(ctx, stmt, r);
            w.commitSqlite();
        } catch (...) {
            w.rollbackSqlite();
            s.undo->setCapturing(true);
            s.checksOff = false;
            s.db->locks.releaseAll(s.sid);
            s.db->ddlGeneration++;
            s.db->privilegeGeneration++;
            throw;
        }
        s.undo->setCapturing(true);
        s.checksOff = false;
    }
    s.db->locks.releaseAll(s.sid);
    s.db->ddlGeneration++;
    // Rights read while the statement ran may be gone with it or changed by it.
    s.db->privilegeGeneration++;
    s.inTransaction = false;
    return r;
}

} // namespace engine::exec

#include "engine/catalog/catalog.h"
#include "engine/exec/ddl_support.h"
#include "engine/exec/ddl_types.h"
#include "engine/link/links.h"
#include "engine/plsql/stored_units.h"
#include "engine/plsql/trigger_ddl.h"
#include "engine/priv/ddl_rights.h"
#include "engine/storage/sqlite.h"

#include <cstring>

namespace engine::exec {

catalog::UserRow ownerOf(DdlContext& ctx, const sql::ObjectName& name)
{
    catalog::Catalog cat(ctx.s.conn);
    if (name.dblink)
        throw oraError(2021, "DDL operations are not allowed on a remote database", name.dblink->offset);
    std::string owner = name.schema ? name.schema->name : ctx.s.schema;
    auto u = cat.user(owner);
    if (!u || u->type != 1)
        throw oraError(1918, "user '" + owner + "' does not exist", name.schema ? name.schema->offset : name.offset);
    return *u;
}

catalog::ObjectRow tableForDdl(DdlContext& ctx, const sql::ObjectName& name, bool allowView)
{
    if (name.dblink)
        throw oraError(2021, "DDL operations are not allowed on a remote database", name.dblink->offset);
    catalog::Lookup lookup(ctx.s.conn);
    auto found = lookup.resolveObject(name.schema ? name.schema->name : "", name.name.name, ctx.s.schema, !name.schema);
    int type = found ? found->type : 0;
    if (type != catalog::kTypeTable && !(allowView && type == catalog::kTypeView))
        throw oraError(942, "table or view does not exist", name.name.offset);
    catalog::ObjectRow obj = *found;
    if (type == catalog::kTypeTable) {
        locks::WaitPolicy nowait;
        nowait.nowait = true;
        ctx.s.db->locks.lockTable(ctx.s.sid, obj.id, locks::TableMode::Exclusive, nowait);
    }
    return obj;
}

void runDdl(DdlContext& ctx, const sql::Statement& stmt, ExecResult& result)
{
    using K = sql::StatementKind;
    priv::checkDdl(ctx.s, stmt);
    switch (stmt.kind) {
    case K::CreateTable:
        createTable(ctx, *stmt.as<sql::CreateTableStmt>());
        break;
    case K::AlterTable:
        alterTable(ctx, *stmt.as<sql::AlterTableStmt>());
        break;
    case K::DropTable:
        dropTable(ctx, *stmt.as<sql::DropTableStmt>());
        break;
    case K::Truncate:
        truncateTable(ctx, *stmt.as<sql::TruncateStmt>());
        break;
    case K::CreateIndex:
        createIndex(ctx, *stmt.as<sql::CreateIndexStmt>());
        break;
    case K::DropIndex:
        dropIndex(ctx, *stmt.as<sql::DropIndexStmt>());
        break;
    case K::AlterIndex:
        alterIndex(ctx, *stmt.as<sql::AlterIndexStmt>());
        break;
    case K::CreateSequence:
        createSequence(ctx, *stmt.as<sql::CreateSequenceStmt>());
        break;
    case K::AlterSequence:
        alterSequence(ctx, *stmt.as<sql::AlterSequenceStmt>());
        break;
    case K::DropSequence:
        dropSequence(ctx, *stmt.as<sql::DropSequenceStmt>());
        break;
    case K::CreateView:
        createView(ctx, *stmt.as<sql::CreateViewStmt>());
        break;
    case K::DropView:
        dropView(ctx, *stmt.as<sql::DropViewStmt>());
        break;
    case K::CreateSynonym:
        createSynonym(ctx, *stmt.as<sql::CreateSynonymStmt>());
        break;
    case K::DropSynonym:
        dropSynonym(ctx, *stmt.as<sql::DropSynonymStmt>());
        break;
    case K::Comment:
        comment(ctx, *stmt.as<sql::CommentStmt>());
        break;
    case K::CreateUser:
        createUser(ctx, *stmt.as<sql::CreateUserStmt>());
        break;
    case K::AlterUser:
        alterUser(ctx, *stmt.as<sql::AlterUserStmt>());
        break;
    case K::DropUser:
        dropUser(ctx, *stmt.as<sql::DropUserStmt>());
        break;
    case K::Rename:
        renameObject(ctx, *stmt.as<sql::RenameStmt>());
        break;
    case K::Grant:
        grant(ctx, *stmt.as<sql::GrantStmt>());
        break;
    case K::Revoke:
        revoke(ctx, *stmt.as<sql::RevokeStmt>());
        break;
    case K::CreateRole:
        createRole(ctx, *stmt.as<sql::CreateRoleStmt>());
        break;
    case K::DropRole:
        dropRole(ctx, *stmt.as<sql::DropRoleStmt>());
        break;
    case K::CreateDatabaseLink:
        link::createDatabaseLink(ctx.s, *stmt.as<sql::CreateDatabaseLinkStmt>());
        break;
    case K::DropObject:
        if (stmt.as<sql::DropObjectStmt>()->objectType == "DATABASE LINK") {
            link::dropDatabaseLink(ctx.s, *stmt.as<sql::DropObjectStmt>());
            break;
        }
        if (stmt.as<sql::DropObjectStmt>()->objectType == "TRIGGER") {
            plsql::dropTrigger(ctx.s, *stmt.as<sql::DropObjectStmt>());
            break;
        }
        if (stmt.as<sql::DropObjectStmt>()->objectType == "TYPE") {
            dropCollectionType(ctx.s, *stmt.as<sql::DropObjectStmt>());
            break;
        }
        plsql::dropUnit(ctx.s, *stmt.as<sql::DropObjectStmt>());
        break;
    case K::PlSql:
        if (stmt.as<sql::PlSqlStmt>()->unit == sql::PlSqlStmt::Unit::Type) {
            createCollectionType(ctx.s, *stmt.as<sql::PlSqlStmt>(), ctx.warning);
            break;
        }
        if (stmt.as<sql::PlSqlStmt>()->unit != sql::PlSqlStmt::Unit::Trigger) {
            plsql::createUnit(ctx.s, *stmt.as<sql::PlSqlStmt>(), ctx.text, ctx.warning);
            break;
        }
        plsql::createTrigger(ctx.s, *stmt.as<sql::PlSqlStmt>(), ctx.text, ctx.warning);
        break;
    case K::AlterCode:
        if (stmt.as<sql::AlterCodeStmt>()->objectType == "VIEW") {
            alterViewCompile(ctx, *stmt.as<sql::AlterCodeStmt>());
            break;
        }
        if (stmt.as<sql::AlterCodeStmt>()->objectType != "TRIGGER") {
            const auto& a = *stmt.as<sql::AlterCodeStmt>();
            plsql::alterCompile(ctx.s, a.name.schema ? a.name.schema->name : ctx.s.schema, a.name.name.name,
                a.compileWhat.empty() || a.compileWhat == "PACKAGE" ? a.objectType : a.compileWhat,
                a.name.name.offset, ctx.warning);
            break;
        }
        plsql::alterTrigger(ctx.s, *stmt.as<sql::AlterCodeStmt>(), ctx.warning);
        break;
    default:
        throw oraError(3001, "unimplemented feature", stmt.offset);
    }
    if (!ctx.warning.empty())
        result.warning = Error(24344, ctx.warning);
}

Error translateConstraintError(SessionState& s, const Error& e)
{
    // SQLite: "UNIQUE constraint failed: T1001.C1, T1001.C2"
    const std::string& m = e.message();
    size_t at = m.find("UNIQUE constraint failed: ");
    if (at == std::string::npos)
        return e;
    std::string list = m.substr(at + std::strlen("UNIQUE constraint failed: "));
    // Keys over several columns are indexes on expressions, which SQLite names: "index 'I1234'".
    if (list.rfind("index 'I", 0) == 0) {
        int64_t indexId = std::atoll(list.c_str() + std::strlen("index 'I"));
        catalog::Catalog cat(s.conn);
        if (auto o = cat.objectById(indexId)) {
            if (auto table = cat.tableOfIndex(indexId))
                for (const catalog::ConstraintRow& c : cat.constraints(*table))
                    if (c.indexId == indexId)
                        return oraError(1, "unique constraint (" + qualified(c.owner, c.name) + ") violated");
            return oraError(1, "unique constraint (" + qualified(o->owner, o->name) + ") violated");
        }
        return oraError(1, "unique constraint violated");
    }
    size_t closing = list.find(']');
    if (closing != std::string::npos)
        list = list.substr(0, closing);
    int64_t tableId = 0;
    std::vector<std::string> physCols;
    size_t pos = 0;
    while (pos < list.size()) {
        size_t comma = list.find(", ", pos);
        std::string item = list.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        size_t dot = item.find('.');
        if (dot != std::string::npos && item[0] == 'T') {
            tableId = std::atoll(item.c_str() + 1);
            physCols.push_back(item.substr(dot + 1));
        }
        if (comma == std::string::npos)
            break;
        pos = comma + 2;
    }
    catalog::Catalog cat(s.conn);
    auto cols = cat.columns(tableId);
    std::vector<int> nos;
    for (const std::string& pc : physCols)
        for (const catalog::ColumnRow& c : cols)
            if (c.physicalName == pc)
                nos.push_back(c.col);
    for (const catalog::ConstraintRow& c : cat.constraints(tableId))
        if ((c.type == catalog::kConPrimary || c.type == catalog::kConUnique) && c.enabled && c.columns == nos)
            return oraError(1, "unique constraint (" + qualified(c.owner, c.name) + ") violated");
    for (int64_t idx : cat.indexesOf(tableId))
        if (cat.indexColumns(idx) == nos && cat.indexIsUnique(idx))
            if (auto o = cat.objectById(idx))
                return oraError(1, "unique constraint (" + qualified(o->owner, o->name) + ") violated");
    return oraError(1, "unique constraint violated");
}

} // namespace engine::exec

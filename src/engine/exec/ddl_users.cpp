// CREATE, ALTER and DROP USER.
#include "engine/catalog/passwords.h"
#include "engine/exec/ddl_support.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

namespace engine::exec {

using storage::Stmt;

namespace {

void setPassword(DdlContext& ctx, const std::string& user, const std::string& password)
{
    Stmt s(ctx.s.conn, R"(UPDATE "USER$" SET "PASSWORD" = ?2, "SPARE4" = ?3,
        "PTIME" = strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime') WHERE "NAME" = ?1)");
    s.bind(1, user)
        .bind(2, catalog::passwordVerifier(password, false))
        .bind(3, catalog::passwordVerifier(password, true))
        .run();
}

void applyOptions(DdlContext& ctx, const std::string& user, const sql::UserOptions& o)
{
    if (o.identifiedExternally)
        throw oraError(3001, "unimplemented feature: IDENTIFIED EXTERNALLY");
    if (o.password)
        setPassword(ctx, user, *o.password);
    if (o.defaultTablespace) {
        Stmt s(ctx.s.conn, R"(UPDATE "USER$" SET "DEFAULT_TABLESPACE" = ?2 WHERE "NAME" = ?1)");
        s.bind(1, user).bind(2, o.defaultTablespace->name).run();
    }
    if (o.temporaryTablespace) {
        Stmt s(ctx.s.conn, R"(UPDATE "USER$" SET "TEMPORARY_TABLESPACE" = ?2 WHERE "NAME" = ?1)");
        s.bind(1, user).bind(2, o.temporaryTablespace->name).run();
    }
    if (o.profile) {
        Stmt s(ctx.s.conn, R"(UPDATE "USER$" SET "PROFILE" = ?2 WHERE "NAME" = ?1)");
        s.bind(1, user).bind(2, o.profile->name).run();
    }
    if (o.accountLocked) {
        Stmt s(ctx.s.conn, R"(UPDATE "USER$" SET "ASTATUS" = ?2,
            "LTIME" = CASE WHEN ?2 = 0 THEN NULL ELSE strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime') END
            WHERE "NAME" = ?1)");
        s.bind(1, user).bind(2, *o.accountLocked ? 9 : 0).run();
    }
}

} // namespace

void createUser(DdlContext& ctx, const sql::CreateUserStmt& st)
{
    catalog::Catalog cat(ctx.s.conn);
    if (cat.user(st.user.name))
        throw oraError(
            1920, "user name '" + st.user.name + "' conflicts with another user or role name", st.user.offset);
    if (!st.options.password && !st.options.identifiedExternally)
        throw oraError(1938, "IDENTIFIED BY must be specified for CREATE USER", st.offset);
    if (st.user.name.size() > 30)
        throw oraError(972, "identifier is too long", st.user.offset);
    int64_t id = cat.nextNumber("NEXT_USER#");
    Stmt s(ctx.s.conn, R"(INSERT INTO "USER$" ("USER#", "NAME", "TYPE#", "DEFAULT_TABLESPACE", "TEMPORARY_TABLESPACE",
        "CTIME", "PTIME", "ASTATUS", "PROFILE") VALUES (?1, ?2, 1, 'USERS', 'TEMP',
        strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime'), strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime'), 0,
        'DEFAULT'))");
    s.bind(1, id).bind(2, st.user.name).run();
    applyOptions(ctx, st.user.name, st.options);
}

void alterUser(DdlContext& ctx, const sql::AlterUserStmt& st)
{
    catalog::Catalog cat(ctx.s.conn);
    auto u = cat.user(st.user.name);
    if (!u || u->type != 1)
        throw oraError(1918, "user '" + st.user.name + "' does not exist", st.user.offset);
    applyOptions(ctx, u->name, st.options);
}

void dropUser(DdlContext& ctx, const sql::DropUserStmt& st)
{
    catalog::Catalog cat(ctx.s.conn);
    auto u = cat.user(st.user.name);
    if (!u || u->type != 1)
        throw oraError(1918, "user '" + st.user.name + "' does not exist", st.user.offset);
    if (u->id == catalog::kSysUser || u->id == catalog::kSystemUser)
        throw oraError(1031, "insufficient privileges", st.user.offset);
    {
        std::lock_guard lk(ctx.s.db->sessionsMutex);
        for (SessionState* other : ctx.s.db->sessions)
            if (other->userId == u->id)
                throw oraError(1940, "cannot drop a user that is currently connected", st.user.offset);
    }
    auto objects = cat.objectsOwnedBy(u->id);
    if (!objects.empty() && !st.cascade)
        throw oraError(1922, "CASCADE must be specified to drop '" + u->name + "'", st.offset);
    // Tables go first through DROP TABLE ... CASCADE CONSTRAINTS so foreign keys of other schemas go with them.
    for (const catalog::ObjectRow& o : objects) {
        if (o.type != catalog::kTypeTable || !cat.objectById(o.id))
            continue;
        sql::DropTableStmt drop;
        drop.table.schema = sql::Identifier { o.owner, true, -1 };
        drop.table.name = sql::Identifier { o.name, true, -1 };
        drop.cascadeConstraints = true;
        dropTable(ctx, drop);
    }
    for (const catalog::ObjectRow& o : cat.objectsOwnedBy(u->id)) {
        invalidateDependents(ctx, o.id);
        if (o.type == catalog::kTypeIndex)
            storage::exec(ctx.s.conn, "DROP INDEX IF EXISTS " + storage::quoteIdent(catalog::physicalIndexName(o.id)));
        cat.removeObject(o.id);
    }
    // Constraints named in this schema on tables of other schemas are not possible in the engine (constraints live
    // in their table's schema), so nothing else refers to the user.
    for (const char* sql : { R"(DELETE FROM "SYSAUTH$" WHERE "GRANTEE#" = ?1)",
             R"(DELETE FROM "OBJAUTH$" WHERE "GRANTEE#" = ?1)", R"(DELETE FROM "PWFILE$" WHERE "USER#" = ?1)",
             R"(DELETE FROM "LINK$" WHERE "OWNER#" = ?1)", R"(DELETE FROM "USER$" WHERE "USER#" = ?1)" }) {
        Stmt d(ctx.s.conn, sql);
        d.bind(1, u->id).run();
    }
}

} // namespace engine::exec

// GRANT and REVOKE of system privileges, roles and object privileges; CREATE ROLE and DROP ROLE. The rows are
// SYSAUTH$ (system privileges by their negative number, roles by their USER#) and OBJAUTH$ (one row per object,
// grantor, grantee, privilege and column), as Oracle keeps them.
#include "engine/catalog/passwords.h"
#include "engine/exec/ddl_support.h"
#include "engine/priv/privilege_cache.h"
#include "engine/priv/privilege_map.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <functional>
#include <set>

namespace engine::exec {

using priv::ObjectPrivilege;
using storage::Stmt;
namespace sys = priv::sys;

namespace {

[[noreturn]] void insufficient(int offset)
{
    throw oraError(1031, "insufficient privileges", offset);
}

bool isSys(SessionState& s)
{
    return s.sysdba || s.userId == catalog::kSysUser;
}

struct Grantee {
    int64_t id = 0;
    std::string name;
    bool role = false; // roles and PUBLIC
    int offset = -1;
};

std::vector<Grantee> granteesOf(DdlContext& ctx, const std::vector<sql::Identifier>& names)
{
    catalog::Catalog cat(ctx.s.conn);
    std::vector<Grantee> out;
    for (const sql::Identifier& n : names) {
        auto u = cat.user(n.name);
        if (!u)
            throw oraError(1917, "user or role '" + n.name + "' does not exist", n.offset);
        out.push_back({ u->id, u->name, u->type != 1, n.offset });
    }
    return out;
}

// A system privilege or a role named in GRANT or REVOKE without ON.
struct SystemItem {
    int number = 0; // negative: a system privilege; else the role's USER#
    std::string name;
    int offset = -1;
    bool role() const { return number >= 0; }
};

std::vector<SystemItem> systemItems(DdlContext& ctx, const std::vector<sql::Privilege>& privileges)
{
    catalog::Catalog cat(ctx.s.conn);
    std::vector<SystemItem> out;
    std::set<int> seen;
    for (const sql::Privilege& p : privileges) {
        if (!p.columns.empty())
            throw oraError(969, "missing ON keyword", p.offset);
        std::vector<SystemItem> items;
        if (!p.quoted && (p.name == "ALL PRIVILEGES" || p.name == "ALL")) {
            if (p.name == "ALL")
                throw oraError(969, "missing ON keyword", p.offset);
            for (const auto& sp : priv::systemPrivileges())
                if (sp.number != sys::Sysdba && sp.number != sys::Sysoper)
                    items.push_back({ sp.number, sp.name, p.offset });
        } else if (auto n = p.quoted ? std::nullopt : priv::systemPrivilegeNumber(p.name)) {
            items.push_back({ *n, p.name, p.offset });
        } else if (!p.quoted && p.name.find(' ') != std::string::npos) {
            throw oraError(990, "missing or invalid privilege", p.offset);
        } else if (!p.quoted && priv::objectPrivilegeByName(p.name)) {
            throw oraError(969, "missing ON keyword", p.offset);
        } else {
            auto r = cat.user(p.name);
            if (!r || r->type == 1 || r->id == catalog::kPublicUser)
                throw oraError(1919, "role '" + p.name + "' does not exist", p.offset);
            items.push_back({ static_cast<int>(r->id), r->name, p.offset });
        }
        for (const SystemItem& i : items) {
            if (!seen.insert(i.number).second)
                throw oraError(1711, "duplicate privilege listed", p.offset);
            out.push_back(i);
        }
    }
    return out;
}

// Whether the session may grant or revoke the privilege or role: held WITH ADMIN OPTION by the user, PUBLIC or
// an enabled role, or through GRANT ANY PRIVILEGE / GRANT ANY ROLE.
bool mayAdminister(DdlContext& ctx, const SystemItem& item)
{
    SessionState& s = ctx.s;
    if (isSys(s))
        return true;
    if (item.number == sys::Sysdba || item.number == sys::Sysoper)
        return false; // the password file is SYSDBA's
    if (priv::hasSystemPrivilege(s, item.role() ? sys::GrantAnyRole : sys::GrantAnyPrivilege))
        return true;
    Stmt q(s.conn, R"(SELECT "GRANTEE#" FROM "SYSAUTH$" WHERE "PRIVILEGE#" = ?1 AND "OPTION$" = 1)");
    q.bind(1, static_cast<int64_t>(item.number));
    while (q.step())
        if (priv::isEnabledGrantee(s, q.int64(0)))
            return true;
    return false;
}

// Whether granting `role` to `grantee` (a role) would make a role contain itself.
bool circular(DdlContext& ctx, int64_t role, int64_t grantee)
{
    if (role == grantee)
        return true;
    Stmt q(ctx.s.conn, R"(WITH RECURSIVE r(id) AS (SELECT ?1
        UNION SELECT a."PRIVILEGE#" FROM "SYSAUTH$" a JOIN r ON a."GRANTEE#" = r.id WHERE a."PRIVILEGE#" >= 0)
        SELECT 1 FROM r WHERE id = ?2)");
    q.bind(1, role).bind(2, grantee);
    return q.step();
}

void setPasswordFile(DdlContext& ctx, int64_t user, int number, bool on)
{
    Stmt ins(ctx.s.conn, R"(INSERT OR IGNORE INTO "PWFILE$" ("USER#") VALUES (?1))");
    ins.bind(1, user).run();
    Stmt upd(ctx.s.conn, number == sys::Sysdba ? R"(UPDATE "PWFILE$" SET "SYSDBA" = ?2 WHERE "USER#" = ?1)"
                                               : R"(UPDATE "PWFILE$" SET "SYSOPER" = ?2 WHERE "USER#" = ?1)");
    upd.bind(1, user).bind(2, on ? 1 : 0).run();
}

bool inPasswordFile(DdlContext& ctx, int64_t user, int number)
{
    Stmt q(ctx.s.conn, number == sys::Sysdba ? R"(SELECT 1 FROM "PWFILE$" WHERE "USER#" = ?1 AND "SYSDBA" = 1)"
                                             : R"(SELECT 1 FROM "PWFILE$" WHERE "USER#" = ?1 AND "SYSOPER" = 1)");
    q.bind(1, user);
    return q.step();
}

void grantSystem(DdlContext& ctx, const sql::GrantStmt& st)
{
    auto items = systemItems(ctx, st.privileges);
    auto grantees = granteesOf(ctx, st.grantees);
    for (const SystemItem& item : items)
        if (!mayAdminister(ctx, item))
            insufficient(item.offset);
    Stmt add(ctx.s.conn, R"(INSERT INTO "SYSAUTH$" ("GRANTEE#", "PRIVILEGE#", "SEQUENCE#", "OPTION$")
        VALUES (?1, ?2, (SELECT coalesce(max("SEQUENCE#"), 0) + 1 FROM "SYSAUTH$"), ?3)
        ON CONFLICT ("GRANTEE#", "PRIVILEGE#") DO UPDATE SET "OPTION$" = max("OPTION$", excluded."OPTION$"))");
    for (const Grantee& g : grantees) {
        for (const SystemItem& item : items) {
            if (item.number == sys::Sysdba || item.number == sys::Sysoper) {
                if (g.role)
                    throw oraError(1031, "insufficient privileges", g.offset);
                setPasswordFile(ctx, g.id, item.number, true);
                continue;
            }
            if (item.role() && g.role && circular(ctx, item.number, g.id))
                throw oraError(1934, "circular role grant detected", item.offset);
            if (item.role() && item.number == g.id)
                throw oraError(1934, "circular role grant detected", item.offset);
            add.bind(1, g.id).bind(2, static_cast<int64_t>(item.number)).bind(3, st.withAdminOption ? 1 : 0).run();
        }
    }
}

void revokeSystem(DdlContext& ctx, const sql::RevokeStmt& st)
{
    auto items = systemItems(ctx, st.privileges);
    auto grantees = granteesOf(ctx, st.grantees);
    for (const SystemItem& item : items)
        if (!mayAdminister(ctx, item))
            insufficient(item.offset);
    for (const Grantee& g : grantees) {
        for (const SystemItem& item : items) {
            if (item.number == sys::Sysdba || item.number == sys::Sysoper) {
                if (!inPasswordFile(ctx, g.id, item.number))
                    throw oraError(1952, "system privileges not granted to '" + g.name + "'", g.offset);
                setPasswordFile(ctx, g.id, item.number, false);
                continue;
            }
            Stmt del(ctx.s.conn, R"(DELETE FROM "SYSAUTH$" WHERE "GRANTEE#" = ?1 AND "PRIVILEGE#" = ?2)");
            del.bind(1, g.id).bind(2, static_cast<int64_t>(item.number)).run();
            if (sqlite3_changes(ctx.s.conn) == 0) {
                if (item.role())
                    throw oraError(
                        1951, "ROLE '" + item.name + "' not granted to '" + g.name + "'", item.offset);
                throw oraError(1952, "system privileges not granted to '" + g.name + "'", g.offset);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Object privileges

struct ObjectItem {
    ObjectPrivilege privilege;
    std::vector<int> columns; // COL#; empty for the whole object
    int offset = -1;
};

catalog::ObjectRow grantObject(DdlContext& ctx, const sql::ObjectName& name)
{
    if (name.dblink)
        throw oraError(2021, "DDL operations are not allowed on a remote database", name.dblink->offset);
    catalog::Lookup lookup(ctx.s.conn);
    auto o = lookup.resolveObject(name.schema ? name.schema->name : "", name.name.name, ctx.s.schema, true);
    if (!o || o->type == catalog::kTypeSynonym || priv::privilegesFor(o->type).empty()
        || !priv::maySee(ctx.s, o->id))
        throw oraError(942, "table or view does not exist", name.name.offset);
    return *o;
}

[[noreturn]] void notForType(int type, int offset)
{
    switch (type) {
    case catalog::kTypeTable:
        throw oraError(2224, "EXECUTE privilege not allowed for tables", offset);
    case catalog::kTypeView:
        throw oraError(2204, "ALTER, INDEX and EXECUTE not allowed for views", offset);
    case catalog::kTypeSequence:
        throw oraError(2205, "only SELECT and ALTER privileges are valid for sequences", offset);
    default:
        throw oraError(2225, "only EXECUTE and DEBUG privileges are valid for procedures", offset);
    }
}

std::vector<ObjectItem> objectItems(
    DdlContext& ctx, const std::vector<sql::Privilege>& privileges, const catalog::ObjectRow& o, bool revoking)
{
    const auto valid = priv::privilegesFor(o.type);
    std::vector<ObjectItem> out;
    std::set<int> seen;
    std::vector<catalog::ColumnRow> cols;
    for (const sql::Privilege& p : privileges) {
        std::vector<ObjectItem> items;
        if (!p.quoted && (p.name == "ALL" || p.name == "ALL PRIVILEGES")) {
            if (!p.columns.empty())
                throw oraError(969, "missing ON keyword", p.offset);
            for (ObjectPrivilege v : valid)
                items.push_back({ v, {}, p.offset });
        } else {
            auto v = p.quoted ? std::nullopt : priv::objectPrivilegeByName(p.name);
            if (!v)
                throw oraError(990, "missing or invalid privilege", p.offset);
            if (std::find(valid.begin(), valid.end(), *v) == valid.end())
                notForType(o.type, p.offset);
            ObjectItem item { *v, {}, p.offset };
            if (!p.columns.empty()) {
                if (*v != ObjectPrivilege::Insert && *v != ObjectPrivilege::Update
                    && *v != ObjectPrivilege::References)
                    throw oraError(969, "missing ON keyword", p.offset);
                if (revoking)
                    throw oraError(1750, "UPDATE/REFERENCES may only be REVOKEd from the whole table, not by column",
                        p.offset);
                if (cols.empty())
                    cols = catalog::Catalog(ctx.s.conn).columns(o.id);
                for (const sql::Identifier& c : p.columns)
                    item.columns.push_back(columnNamed(cols, c).col);
            }
            items.push_back(item);
        }
        for (const ObjectItem& i : items) {
            if (!seen.insert(static_cast<int>(i.privilege)).second)
                throw oraError(1711, "duplicate privilege listed", p.offset);
            out.push_back(i);
        }
    }
    return out;
}

// Whether the user holds the privilege on the object WITH GRANT OPTION (granted to it directly or to PUBLIC).
bool holdsGrantOption(DdlContext& ctx, int64_t user, int64_t objectId, ObjectPrivilege p)
{
    Stmt q(ctx.s.conn, R"(SELECT 1 FROM "OBJAUTH$" WHERE "OBJ#" = ?1 AND "PRIVILEGE#" = ?2 AND "OPTION$" = 1
        AND "GRANTEE#" IN (?3, ?4))");
    q.bind(1, objectId).bind(2, static_cast<int64_t>(p)).bind(3, user).bind(4, static_cast<int64_t>(catalog::kPublicUser));
    return q.step();
}

// Granting on a view of objects that belong to others needs the view owner's grant option on them (ORA-01720).
void checkViewGrantOption(DdlContext& ctx, const catalog::ObjectRow& view, ObjectPrivilege p, int offset)
{
    if (view.type != catalog::kTypeView || view.ownerId == catalog::kSysUser || p == ObjectPrivilege::References)
        return;
    catalog::Catalog cat(ctx.s.conn);
    Stmt q(ctx.s.conn, R"(SELECT "P_OBJ#" FROM "DEPENDENCY$" WHERE "D_OBJ#" = ?1)");
    q.bind(1, view.id);
    while (q.step()) {
        auto base = cat.objectById(q.int64(0));
        if (!base || base->ownerId == view.ownerId)
            continue;
        if (!holdsGrantOption(ctx, view.ownerId, base->id, p))
            throw oraError(1720, "grant option does not exist for '" + base->owner + "." + base->name + "'", offset);
    }
}

// The grantor a GRANT of the privilege is recorded under: the session's user when it owns the object or holds
// the grant option, the owner when the user grants through GRANT ANY OBJECT PRIVILEGE (as Oracle records it).
int64_t grantorFor(DdlContext& ctx, const catalog::ObjectRow& o, ObjectPrivilege p, int offset)
{
    SessionState& s = ctx.s;
    if (o.ownerId == s.userId || holdsGrantOption(ctx, s.userId, o.id, p))
        return s.userId;
    if (isSys(s) || priv::hasSystemPrivilege(s, sys::GrantAnyObjectPrivilege))
        return o.ownerId;
    insufficient(offset);
}

void grantOnObject(DdlContext& ctx, const sql::GrantStmt& st)
{
    const catalog::ObjectRow o = grantObject(ctx, *st.object);
    auto items = objectItems(ctx, st.privileges, o, false);
    auto grantees = granteesOf(ctx, st.grantees);
    std::vector<int64_t> grantors;
    for (const ObjectItem& item : items)
        grantors.push_back(grantorFor(ctx, o, item.privilege, item.offset));
    for (const Grantee& g : grantees) {
        if (g.id == ctx.s.userId)
            throw oraError(1749, "you may not GRANT/REVOKE privileges to/from yourself", g.offset);
        if (st.withGrantOption && g.role)
            throw oraError(1926, "cannot GRANT to a role WITH GRANT OPTION", g.offset);
    }
    for (const Grantee& g : grantees) {
        for (size_t i = 0; i < items.size(); ++i) {
            const ObjectItem& item = items[i];
            if (g.id != o.ownerId)
                checkViewGrantOption(ctx, o, item.privilege, item.offset);
            std::vector<std::optional<int>> columns;
            if (item.columns.empty())
                columns.push_back(std::nullopt);
            for (int c : item.columns)
                columns.push_back(c);
            for (const auto& col : columns) {
                Stmt upd(ctx.s.conn, R"(UPDATE "OBJAUTH$" SET "OPTION$" = max("OPTION$", ?6) WHERE "OBJ#" = ?1
                    AND "GRANTOR#" = ?2 AND "GRANTEE#" = ?3 AND "PRIVILEGE#" = ?4 AND "COL#" IS ?5)");
                upd.bind(1, o.id).bind(2, grantors[i]).bind(3, g.id).bind(4, static_cast<int64_t>(item.privilege));
                if (col)
                    upd.bind(5, static_cast<int64_t>(*col));
                else
                    upd.bindNull(5);
                upd.bind(6, st.withGrantOption ? 1 : 0).run();
                if (sqlite3_changes(ctx.s.conn) > 0)
                    continue;
                Stmt add(ctx.s.conn, R"(INSERT INTO "OBJAUTH$" ("OBJ#", "GRANTOR#", "GRANTEE#", "PRIVILEGE#",
                    "SEQUENCE#", "COL#", "OPTION$") VALUES (?1, ?2, ?3, ?4,
                    (SELECT coalesce(max("SEQUENCE#"), 0) + 1 FROM "OBJAUTH$"), ?5, ?6))");
                add.bind(1, o.id).bind(2, grantors[i]).bind(3, g.id).bind(4, static_cast<int64_t>(item.privilege));
                if (col)
                    add.bind(5, static_cast<int64_t>(*col));
                else
                    add.bindNull(5);
                add.bind(6, st.withGrantOption ? 1 : 0).run();
            }
        }
    }
}

// Takes away the grants a grantee made of a privilege it no longer holds with grant option, and theirs in turn:
// Oracle's cascade of object privileges.
void cascadeRevoke(DdlContext& ctx, int64_t objectId, ObjectPrivilege p, int64_t grantee, std::set<int64_t>& visited)
{
    if (!visited.insert(grantee).second || holdsGrantOption(ctx, grantee, objectId, p))
        return;
    std::vector<int64_t> next;
    {
        Stmt q(ctx.s.conn, R"(SELECT DISTINCT "GRANTEE#" FROM "OBJAUTH$" WHERE "OBJ#" = ?1 AND "PRIVILEGE#" = ?2
            AND "GRANTOR#" = ?3)");
        q.bind(1, objectId).bind(2, static_cast<int64_t>(p)).bind(3, grantee);
        while (q.step())
            next.push_back(q.int64(0));
    }
    Stmt del(ctx.s.conn, R"(DELETE FROM "OBJAUTH$" WHERE "OBJ#" = ?1 AND "PRIVILEGE#" = ?2 AND "GRANTOR#" = ?3)");
    del.bind(1, objectId).bind(2, static_cast<int64_t>(p)).bind(3, grantee).run();
    for (int64_t n : next)
        cascadeRevoke(ctx, objectId, p, n, visited);
}

// Foreign keys of the grantee's tables onto the object: REFERENCES cannot go while they stand (ORA-01981).
bool referencesInUse(DdlContext& ctx, int64_t objectId, int64_t grantee)
{
    Stmt q(ctx.s.conn, R"(SELECT 1 FROM "CDEF$" f JOIN "CDEF$" k ON k."CON#" = f."RCON#"
        JOIN "OBJ$" o ON o."OBJ#" = f."OBJ#" WHERE f."TYPE#" = 4 AND k."OBJ#" = ?1 AND o."OWNER#" = ?2)");
    q.bind(1, objectId).bind(2, grantee);
    return q.step();
}

void revokeOnObject(DdlContext& ctx, const sql::RevokeStmt& st)
{
    SessionState& s = ctx.s;
    const catalog::ObjectRow o = grantObject(ctx, *st.object);
    auto items = objectItems(ctx, st.privileges, o, true);
    auto grantees = granteesOf(ctx, st.grantees);
    const bool all = st.privileges.size() == 1 && !st.privileges[0].quoted
        && (st.privileges[0].name == "ALL" || st.privileges[0].name == "ALL PRIVILEGES");
    for (const Grantee& g : grantees)
        if (g.id == s.userId)
            throw oraError(1749, "you may not GRANT/REVOKE privileges to/from yourself", g.offset);
    // Grants the user made; with GRANT ANY OBJECT PRIVILEGE also those the owner made.
    std::vector<int64_t> grantors { s.userId };
    if (o.ownerId != s.userId && (isSys(s) || priv::hasSystemPrivilege(s, sys::GrantAnyObjectPrivilege)))
        grantors.push_back(o.ownerId);
    std::string grantorList;
    for (int64_t g : grantors)
        grantorList += (grantorList.empty() ? "" : ",") + std::to_string(g);
    for (const Grantee& g : grantees) {
        bool any = false;
        for (const ObjectItem& item : items) {
            Stmt q(s.conn, R"(SELECT 1 FROM "OBJAUTH$" WHERE "OBJ#" = ?1 AND "GRANTEE#" = ?2 AND "PRIVILEGE#" = ?3
                AND "GRANTOR#" IN ()" + grantorList + ")");
            q.bind(1, o.id).bind(2, g.id).bind(3, static_cast<int64_t>(item.privilege));
            const bool granted = q.step();
            if (!granted && !all)
                throw oraError(1927, "cannot REVOKE privileges you did not grant", item.offset);
            any = any || granted;
            if (granted && item.privilege == ObjectPrivilege::References && referencesInUse(ctx, o.id, g.id)) {
                if (!st.cascadeConstraints)
                    throw oraError(1981, "CASCADE CONSTRAINTS must be specified to perform this revoke", st.offset);
                throw oraError(3001, "unimplemented feature: REVOKE ... CASCADE CONSTRAINTS", st.offset);
            }
        }
        if (!any)
            throw oraError(1927, "cannot REVOKE privileges you did not grant", st.offset);
    }
    for (const Grantee& g : grantees) {
        for (const ObjectItem& item : items) {
            Stmt del(s.conn, R"(DELETE FROM "OBJAUTH$" WHERE "OBJ#" = ?1 AND "GRANTEE#" = ?2 AND "PRIVILEGE#" = ?3
                AND "GRANTOR#" IN ()" + grantorList + ")");
            del.bind(1, o.id).bind(2, g.id).bind(3, static_cast<int64_t>(item.privilege)).run();
            std::set<int64_t> visited { o.ownerId };
            cascadeRevoke(ctx, o.id, item.privilege, g.id, visited);
        }
    }
}

} // namespace

void grant(DdlContext& ctx, const sql::GrantStmt& st)
{
    if (st.object)
        grantOnObject(ctx, st);
    else
        grantSystem(ctx, st);
}

void revoke(DdlContext& ctx, const sql::RevokeStmt& st)
{
    if (st.object)
        revokeOnObject(ctx, st);
    else
        revokeSystem(ctx, st);
}

void createRole(DdlContext& ctx, const sql::CreateRoleStmt& st)
{
    SessionState& s = ctx.s;
    if (!isSys(s) && !priv::hasSystemPrivilege(s, sys::CreateRole))
        insufficient(st.offset);
    catalog::Catalog cat(s.conn);
    if (cat.user(st.role.name))
        throw oraError(1921, "role name '" + st.role.name + "' conflicts with another user or role name",
            st.role.offset);
    if (st.role.name.size() > 30)
        throw oraError(972, "identifier is too long", st.role.offset);
    const int64_t id = cat.nextNumber("NEXT_USER#");
    Stmt add(s.conn, R"(INSERT INTO "USER$" ("USER#", "NAME", "TYPE#", "PASSWORD", "SPARE4", "CTIME", "PTIME",
        "ASTATUS") VALUES (?1, ?2, 0, ?3, ?4, strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime'),
        strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime'), 0))");
    add.bind(1, id).bind(2, st.role.name);
    if (st.password)
        add.bind(3, catalog::passwordVerifier(*st.password, false))
            .bind(4, catalog::passwordVerifier(*st.password, true));
    add.run();
    // The creator holds the new role WITH ADMIN OPTION, as on Oracle.
    Stmt own(s.conn, R"(INSERT INTO "SYSAUTH$" ("GRANTEE#", "PRIVILEGE#", "SEQUENCE#", "OPTION$")
        VALUES (?1, ?2, (SELECT coalesce(max("SEQUENCE#"), 0) + 1 FROM "SYSAUTH$"), 1))");
    own.bind(1, s.userId).bind(2, id).run();
}

void dropRole(DdlContext& ctx, const sql::DropRoleStmt& st)
{
    SessionState& s = ctx.s;
    catalog::Catalog cat(s.conn);
    auto r = cat.user(st.role.name);
    if (!r || r->type == 1 || r->id == catalog::kPublicUser)
        throw oraError(1919, "role '" + st.role.name + "' does not exist", st.role.offset);
    SystemItem item { static_cast<int>(r->id), r->name, st.role.offset };
    if (!isSys(s) && !priv::hasSystemPrivilege(s, sys::DropAnyRole) && !mayAdminister(ctx, item))
        insufficient(st.offset);
    for (const char* sql : { R"(DELETE FROM "SYSAUTH$" WHERE "GRANTEE#" = ?1 OR "PRIVILEGE#" = ?1)",
             R"(DELETE FROM "OBJAUTH$" WHERE "GRANTEE#" = ?1)", R"(DELETE FROM "USER$" WHERE "USER#" = ?1)" }) {
        Stmt d(s.conn, sql);
        d.bind(1, r->id).run();
    }
}

} // namespace engine::exec

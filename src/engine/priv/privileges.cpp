// Privilege checks over SYSAUTH$ and OBJAUTH$, with each session's rights cached until a GRANT, REVOKE or DROP
// changes them (DatabaseState::privilegeGeneration), so the check per object reference and execution reads no
// catalog when nothing changed.
#include "engine/priv/privileges.h"

#include "engine/bind/bound.h"
#include "engine/catalog/catalog.h"
#include "engine/catalog/schema.h"
#include "engine/engine.h"
#include "engine/priv/privilege_cache.h"
#include "engine/priv/privilege_map.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>

namespace engine::priv {

using storage::Stmt;

namespace {

// Object numbers below this are the fixed objects (dictionary and performance views), which carry their own
// access rule.
constexpr int64_t kFirstUserObject = 1000;

uint32_t bit(ObjectPrivilege p)
{
    return 1u << static_cast<int>(p);
}

void loadRights(SessionState& s, int64_t userId, bool withRoles, Rights& r)
{
    if (userId == catalog::kSysUser) {
        r.everything = true;
        return;
    }
    r.grantees = { userId, catalog::kPublicUser };
    if (withRoles) {
        // Roles granted to the user, to PUBLIC and to those roles, however deep: all enabled, as default roles are.
        Stmt q(s.conn, R"(WITH RECURSIVE r(id) AS (SELECT ?1 UNION SELECT ?2
            UNION SELECT a."PRIVILEGE#" FROM "SYSAUTH$" a JOIN r ON a."GRANTEE#" = r.id WHERE a."PRIVILEGE#" >= 0)
            SELECT id FROM r)");
        q.bind(1, userId).bind(2, static_cast<int64_t>(catalog::kPublicUser));
        while (q.step())
            r.grantees.insert(q.int64(0));
    }
    std::string list;
    for (int64_t g : r.grantees)
        list += (list.empty() ? "" : ",") + std::to_string(g);
    {
        Stmt q(s.conn, R"(SELECT "PRIVILEGE#" FROM "SYSAUTH$" WHERE "PRIVILEGE#" < 0 AND "GRANTEE#" IN ()" + list + ")");
        while (q.step())
            r.system.insert(static_cast<int>(q.int64(0)));
    }
    Stmt q(s.conn, R"(SELECT "OBJ#", "PRIVILEGE#", "COL#" FROM "OBJAUTH$" WHERE "GRANTEE#" IN ()" + list + ")");
    while (q.step()) {
        const uint32_t b = 1u << static_cast<int>(q.int64(1));
        if (q.isNull(2)) {
            r.objects[q.int64(0)] |= b;
        } else {
            r.columnObjects[q.int64(0)] |= b;
            r.columns[{ q.int64(0), static_cast<int>(q.int64(1)) }].insert(static_cast<int>(q.int64(2)));
        }
    }
}

PrivilegeCache& cacheOf(SessionState& s)
{
    if (!s.privileges)
        s.privileges = std::make_shared<PrivilegeCache>();
    PrivilegeCache& c = *s.privileges;
    const uint64_t generation = s.db->privilegeGeneration.load();
    if (c.generation != generation) {
        c.rights.clear();
        c.userIds.clear();
        c.generation = generation;
    }
    return c;
}

// The rights of a user: with its roles for the session's user, direct and PUBLIC grants for a view's owner.
const Rights& rightsOf(SessionState& s, int64_t userId, bool withRoles)
{
    PrivilegeCache& c = cacheOf(s);
    auto key = std::make_pair(userId, withRoles);
    auto it = c.rights.find(key);
    if (it != c.rights.end())
        return it->second;
    Rights r;
    loadRights(s, userId, withRoles, r);
    return c.rights.emplace(key, std::move(r)).first->second;
}

const Rights& sessionRights(SessionState& s)
{
    if (s.sysdba) {
        static const Rights all = [] {
            Rights r;
            r.everything = true;
            return r;
        }();
        return all;
    }
    return rightsOf(s, s.userId, true);
}

std::optional<int64_t> userIdOf(SessionState& s, const std::string& user)
{
    PrivilegeCache& c = cacheOf(s);
    auto it = c.userIds.find(user);
    if (it != c.userIds.end())
        return it->second;
    std::optional<int64_t> id;
    Stmt q(s.conn, R"(SELECT "USER#" FROM "USER$" WHERE "NAME" = ?1 AND "TYPE#" = 1)");
    q.bind(1, user);
    if (q.step())
        id = q.int64(0);
    c.userIds.emplace(user, id);
    return id;
}

} // namespace

std::optional<ObjectInfo> objectInfo(SessionState& s, int64_t objectId)
{
    std::lock_guard conn(s.connMutex);
    if (!s.privileges)
        s.privileges = std::make_shared<PrivilegeCache>();
    PrivilegeCache& c = *s.privileges;
    // An object's owner and type never change and its number is never given again, so what was read stays true.
    auto it = c.objects.find(objectId);
    if (it != c.objects.end())
        return it->second;
    Stmt q(s.conn, R"(SELECT "OWNER#", "TYPE#" FROM "OBJ$" WHERE "OBJ#" = ?1)");
    q.bind(1, objectId);
    if (!q.step())
        return std::nullopt;
    ObjectInfo info { q.int64(0), static_cast<int>(q.int64(1)) };
    c.objects.emplace(objectId, info);
    return info;
}

bool Rights::holds(int privilege) const
{
    return everything || system.count(privilege) > 0;
}

bool Rights::maySee(int64_t userId, int64_t objectId, const ObjectInfo& o) const
{
    if (everything || o.owner == userId)
        return true;
    if (objects.count(objectId) || columnObjects.count(objectId))
        return true;
    const auto& any = visibilityPrivileges(o.type);
    return std::any_of(any.begin(), any.end(), [&](int p) { return holds(p); });
}

bool Rights::mayDo(int64_t userId, int64_t objectId, const ObjectInfo& o, ObjectPrivilege p) const
{
    if (everything || o.owner == userId)
        return true;
    auto it = objects.find(objectId);
    if (it != objects.end() && (it->second & bit(p)))
        return true;
    const int any = anyPrivilegeFor(o.type, p);
    return any != 0 && holds(any);
}

const Rights& currentRights(SessionState& s)
{
    std::lock_guard conn(s.connMutex);
    return sessionRights(s);
}

const Rights& userRights(SessionState& s, int64_t userId, bool withRoles)
{
    std::lock_guard conn(s.connMutex);
    return rightsOf(s, userId, withRoles);
}

bool hasSystemPrivilege(SessionState& s, std::string_view privilege)
{
    auto n = systemPrivilegeNumber(privilege);
    return n && hasSystemPrivilege(s, *n);
}

bool hasSystemPrivilege(SessionState& s, int privilege)
{
    std::lock_guard conn(s.connMutex);
    return sessionRights(s).holds(privilege);
}

bool hasObjectPrivilege(SessionState& s, int64_t objectId, ObjectPrivilege privilege)
{
    std::lock_guard conn(s.connMutex);
    if (objectId < kFirstUserObject)
        return true;
    auto o = objectInfo(s, objectId);
    return o && sessionRights(s).mayDo(s.userId, objectId, *o, privilege);
}

bool maySee(SessionState& s, int64_t objectId)
{
    std::lock_guard conn(s.connMutex);
    if (objectId < kFirstUserObject)
        return true;
    auto o = objectInfo(s, objectId);
    return o && sessionRights(s).maySee(s.userId, objectId, *o);
}

bool isEnabledGrantee(SessionState& s, int64_t userOrRoleId)
{
    std::lock_guard conn(s.connMutex);
    const Rights& r = sessionRights(s);
    if (r.everything) // SYS's roles are those granted to it, like anyone's
        return userOrRoleId == s.userId || userOrRoleId == catalog::kPublicUser
            || rightsOf(s, s.userId, true).grantees.count(userOrRoleId) > 0;
    return r.grantees.count(userOrRoleId) > 0;
}

bool userMaySee(SessionState& s, const std::string& user, int64_t objectId)
{
    std::lock_guard conn(s.connMutex);
    if (objectId < kFirstUserObject)
        return true;
    auto id = userIdOf(s, user);
    auto o = objectInfo(s, objectId);
    return id && o && rightsOf(s, *id, false).maySee(*id, objectId, *o);
}

bool userHasObjectPrivilege(SessionState& s, const std::string& user, int64_t objectId, ObjectPrivilege privilege)
{
    std::lock_guard conn(s.connMutex);
    if (objectId < kFirstUserObject)
        return true;
    auto id = userIdOf(s, user);
    auto o = objectInfo(s, objectId);
    return id && o && rightsOf(s, *id, false).mayDo(*id, objectId, *o, privilege);
}

bool userHasSystemPrivilege(SessionState& s, const std::string& user, int privilege)
{
    std::lock_guard conn(s.connMutex);
    auto id = userIdOf(s, user);
    return id && rightsOf(s, *id, false).holds(privilege);
}

namespace {

ObjectPrivilege privilegeOf(bind::AccessKind a)
{
    switch (a) {
    case bind::AccessKind::Insert:
        return ObjectPrivilege::Insert;
    case bind::AccessKind::Update:
        return ObjectPrivilege::Update;
    case bind::AccessKind::Delete:
        return ObjectPrivilege::Delete;
    case bind::AccessKind::Select:
        break;
    }
    return ObjectPrivilege::Select;
}

} // namespace

namespace {

// INSERT and UPDATE allowed by grants on columns: every column the statement gives a value must be granted.
bool holdsColumns(SessionState& s, int64_t objectId, ObjectPrivilege p, const std::vector<std::string>& names)
{
    if (names.empty() || (p != ObjectPrivilege::Insert && p != ObjectPrivilege::Update))
        return false;
    const Rights& r = sessionRights(s);
    auto it = r.columns.find({ objectId, static_cast<int>(p) });
    if (it == r.columns.end())
        return false;
    Stmt q(s.conn, R"(SELECT "COL#" FROM "COL$" WHERE "OBJ#" = ?1 AND "NAME" = ?2)");
    for (const std::string& name : names) {
        q.bind(1, objectId).bind(2, name);
        const bool granted = q.step() && it->second.count(static_cast<int>(q.int64(0))) > 0;
        q.reset();
        if (!granted)
            return false;
    }
    return true;
}

} // namespace

void checkAccess(SessionState& s, const bind::BoundStatement& b)
{
    std::lock_guard conn(s.connMutex);
    for (const bind::ObjectAccess& a : b.accesses) {
        const int64_t id = a.object.objectId;
        if (id < kFirstUserObject)
            continue;
        const ObjectPrivilege p = privilegeOf(a.access);
        if (!a.definer.empty()) {
            if (!userMaySee(s, a.definer, id) || !userHasObjectPrivilege(s, a.definer, id, p))
                throw oraError(4063, "view " + a.view + " has errors", a.offset);
            continue;
        }
        if (!maySee(s, id)) {
            if (a.object.kind == bind::ObjectKind::Sequence)
                throw oraError(2289, "sequence does not exist", a.offset);
            throw oraError(942, "table or view does not exist", a.offset);
        }
        if (!hasObjectPrivilege(s, id, p) && !holdsColumns(s, id, p, a.columns))
            throw oraError(1031, "insufficient privileges", a.offset);
    }
}

std::function<bool(int64_t objectId, const std::string& definer)> visibility(SessionState& s)
{
    SessionState* state = &s;
    return [state](int64_t objectId, const std::string& definer) {
        return definer.empty() ? maySee(*state, objectId) : userMaySee(*state, definer, objectId);
    };
}

void checkLockTable(SessionState& s, int64_t tableId, int offset)
{
    std::lock_guard conn(s.connMutex);
    if (tableId < kFirstUserObject)
        return;
    auto o = objectInfo(s, tableId);
    const Rights& r = sessionRights(s);
    if (!o || !r.maySee(s.userId, tableId, *o))
        throw oraError(942, "table or view does not exist", offset);
    if (r.everything || o->owner == s.userId || r.holds(sys::LockAnyTable) || r.objects.count(tableId))
        return;
    throw oraError(1031, "insufficient privileges", offset);
}

void checkLogOn(SessionState& s)
{
    if (!hasSystemPrivilege(s, sys::CreateSession))
        throw oraError(1045, "user " + s.user + " lacks CREATE SESSION privilege; logon denied");
}

void privilegesChanged(SessionState& s)
{
    s.db->privilegeGeneration++;
}

namespace {

SessionState& sessionOf(sqlite3_context* ctx)
{
    return *static_cast<SessionState*>(sqlite3_user_data(ctx));
}

template <typename F> void answer(sqlite3_context* ctx, F f)
{
    try {
        sqlite3_result_int(ctx, f() ? 1 : 0);
    } catch (const Error& e) {
        sqlite3_result_error(ctx, e.message().c_str(), static_cast<int>(e.message().size()));
    }
}

void seeFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    answer(ctx, [&] { return maySee(sessionOf(ctx), sqlite3_value_int64(argv[0])); });
}

void sysFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const unsigned char* t = sqlite3_value_text(argv[0]);
    std::string name = t ? reinterpret_cast<const char*>(t) : "";
    answer(ctx, [&] { return hasSystemPrivilege(sessionOf(ctx), std::string_view(name)); });
}

void granteeFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    answer(ctx, [&] { return isEnabledGrantee(sessionOf(ctx), sqlite3_value_int64(argv[0])); });
}

} // namespace

void registerFunctions(sqlite3* conn, SessionState& s)
{
    sqlite3_create_function(conn, "ORA_PRIV_SEE", 1, SQLITE_UTF8, &s, seeFn, nullptr, nullptr);
    sqlite3_create_function(conn, "ORA_PRIV_SYS", 1, SQLITE_UTF8, &s, sysFn, nullptr, nullptr);
    sqlite3_create_function(conn, "ORA_PRIV_GRANTEE", 1, SQLITE_UTF8, &s, granteeFn, nullptr, nullptr);
}

} // namespace engine::priv

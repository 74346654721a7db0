// Who may see and do what: system privileges, object privileges and roles (granted directly, through PUBLIC and
// through roles granted to roles), as the catalog's SYSAUTH$ and OBJAUTH$ record them.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace engine {
struct SessionState;
namespace bind {
struct BoundStatement;
}
} // namespace engine

namespace engine::priv {

// Oracle's TABLE_PRIVILEGE_MAP numbers (OBJAUTH$.PRIVILEGE#).
enum class ObjectPrivilege : int {
    Alter = 0,
    Delete = 3,
    Index = 5,
    Insert = 6,
    Select = 9,
    Update = 10,
    References = 11,
    Execute = 12,
};

// Whether the session's user holds the system privilege (by its name, "SELECT ANY DICTIONARY"), directly, through
// PUBLIC or through an enabled role. A SYSDBA logon holds every one.
bool hasSystemPrivilege(SessionState& s, std::string_view privilege);
// The same by SYSTEM_PRIVILEGE_MAP number (priv/privilege_map.h names them).
bool hasSystemPrivilege(SessionState& s, int privilege);

// Whether the session's user may do that to the object: it owns it, holds the object privilege (directly, through
// PUBLIC or a role) or the matching ANY system privilege.
bool hasObjectPrivilege(SessionState& s, int64_t objectId, ObjectPrivilege privilege);

// Whether the object is visible at all (owner, any object privilege, or an ANY privilege that covers its kind):
// what decides between ORA-00942 and ORA-01031, and what the ALL_ views show.
bool maySee(SessionState& s, int64_t objectId);

// Whether the user (or role) number is the session's user, PUBLIC or one of its enabled roles.
bool isEnabledGrantee(SessionState& s, int64_t userOrRoleId);

// The rights of a user other than the session's: the owner of a view, whose objects are used with the owner's
// rights. Only what is granted to that user directly or to PUBLIC counts (roles do not, as in Oracle's definer
// rights). An unknown user may do nothing.
bool userMaySee(SessionState& s, const std::string& user, int64_t objectId);
bool userHasObjectPrivilege(SessionState& s, const std::string& user, int64_t objectId, ObjectPrivilege privilege);
bool userHasSystemPrivilege(SessionState& s, const std::string& user, int privilege);

// Checks every object a bound statement touches, for the session's user or the view owner the binder noted:
// ORA-00942 (ORA-02289 for a sequence) when the object is not visible, ORA-01031 when the operation is not
// allowed, ORA-04063 when a view's owner lost a right on an object in it. Runs on every execution, so a REVOKE
// reaches a statement the session has cached.
void checkAccess(SessionState& s, const bind::BoundStatement& b);

// The binder's question whether a name may be seen at all: by the session's user (definer empty) or by a view's
// owner (bind::SessionContext::maySee).
std::function<bool(int64_t objectId, const std::string& definer)> visibility(SessionState& s);

// LOCK TABLE: any object privilege on the table or LOCK ANY TABLE; ORA-00942 when the table is not visible,
// ORA-01031 when it is but may not be locked.
void checkLockTable(SessionState& s, int64_t tableId, int offset);

// Logon: ORA-01045 when the user may not create a session.
void checkLogOn(SessionState& s);

// Forgets the cached rights of every session of the database: after GRANT, REVOKE, DROP ROLE, DROP USER.
void privilegesChanged(SessionState& s);

// Registers on the session's connection the functions the dictionary views filter with:
//   ORA_PRIV_SEE(obj#)          -> 1 when maySee()
//   ORA_PRIV_SYS(name)          -> 1 when hasSystemPrivilege(name)
//   ORA_PRIV_GRANTEE(user#)     -> 1 when isEnabledGrantee()
void registerFunctions(sqlite3* conn, SessionState& s);

} // namespace engine::priv

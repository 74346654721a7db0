// Who may see and do what: system privileges, object privileges and roles (granted directly, through PUBLIC and
// through roles granted to roles), as the catalog's SYSAUTH$ and OBJAUTH$ record them.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string_view>

namespace engine {
struct SessionState;
}

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

// Whether the session's user may do that to the object: it owns it, holds the object privilege (directly, through
// PUBLIC or a role) or the matching ANY system privilege.
bool hasObjectPrivilege(SessionState& s, int64_t objectId, ObjectPrivilege privilege);

// Whether the object is visible at all (owner, any object privilege, or an ANY privilege that covers its kind):
// what decides between ORA-00942 and ORA-01031, and what the ALL_ views show.
bool maySee(SessionState& s, int64_t objectId);

// Whether the user (or role) number is the session's user, PUBLIC or one of its enabled roles.
bool isEnabledGrantee(SessionState& s, int64_t userOrRoleId);

// Registers on the session's connection the functions the dictionary views filter with:
//   ORA_PRIV_SEE(obj#)          -> 1 when maySee()
//   ORA_PRIV_SYS(name)          -> 1 when hasSystemPrivilege(name)
//   ORA_PRIV_GRANTEE(user#)     -> 1 when isEnabledGrantee()
void registerFunctions(sqlite3* conn, SessionState& s);

} // namespace engine::priv

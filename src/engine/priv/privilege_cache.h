// A session's cached rights: the grantees it acts as (user, PUBLIC, roles), its system privileges and its object
// privileges, read from the catalog once per privilege generation; and the owner and type of the objects checked.
// Guarded by the session's connection mutex, under which the catalog is read too.
#pragma once

#include "engine/priv/privileges.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

namespace engine::priv {

struct ObjectInfo {
    int64_t owner = 0;
    int type = 0; // OBJ$.TYPE#
};

struct Rights {
    bool everything = false; // SYS and a SYSDBA logon
    std::set<int64_t> grantees; // the user, PUBLIC and the enabled roles
    std::set<int> system; // SYSAUTH$ numbers
    std::unordered_map<int64_t, uint32_t> objects; // OBJ# -> bits (1 << PRIVILEGE#) granted on the whole object
    std::unordered_map<int64_t, uint32_t> columnObjects; // OBJ# -> bits granted on some of its columns
    std::map<std::pair<int64_t, int>, std::set<int>> columns; // (OBJ#, PRIVILEGE#) -> the COL# granted

    bool holds(int systemPrivilege) const;
    bool maySee(int64_t userId, int64_t objectId, const ObjectInfo& o) const;
    bool mayDo(int64_t userId, int64_t objectId, const ObjectInfo& o, ObjectPrivilege p) const;
};

struct PrivilegeCache {
    uint64_t generation = ~uint64_t(0);
    std::map<std::pair<int64_t, bool>, Rights> rights; // (user#, with roles)
    std::map<std::string, std::optional<int64_t>> userIds; // user name -> USER# (users only)
    std::unordered_map<int64_t, ObjectInfo> objects;
};

// The owner and type of an object; std::nullopt when there is none of that number.
std::optional<ObjectInfo> objectInfo(SessionState& s, int64_t objectId);
// The session user's rights (with roles; everything for SYS and SYSDBA), and any user's.
const Rights& currentRights(SessionState& s);
const Rights& userRights(SessionState& s, int64_t userId, bool withRoles);

} // namespace engine::priv

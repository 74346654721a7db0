// The names and numbers of privileges as Oracle's SYSTEM_PRIVILEGE_MAP and TABLE_PRIVILEGE_MAP give them: what
// SYSAUTH$.PRIVILEGE# and OBJAUTH$.PRIVILEGE# hold, and which system privileges stand in for an object privilege on
// every object of a kind (the ANY privileges).
#pragma once

#include "engine/priv/privileges.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine::priv {

struct SystemPrivilegeName {
    int number; // negative, as in SYSTEM_PRIVILEGE_MAP
    const char* name;
};

// Every system privilege the engine knows, in SYSTEM_PRIVILEGE_MAP's order.
const std::vector<SystemPrivilegeName>& systemPrivileges();
std::optional<int> systemPrivilegeNumber(std::string_view name);
std::string systemPrivilegeName(int number);

// Numbers of the system privileges the checks use.
namespace sys {
inline constexpr int AlterSystem = -3;
inline constexpr int CreateSession = -5;
inline constexpr int AlterSession = -6;
inline constexpr int RestrictedSession = -7;
inline constexpr int UnlimitedTablespace = -15;
inline constexpr int CreateUser = -20;
inline constexpr int AlterUser = -22;
inline constexpr int DropUser = -23;
inline constexpr int CreateTable = -40;
inline constexpr int CreateAnyTable = -41;
inline constexpr int AlterAnyTable = -42;
inline constexpr int DropAnyTable = -44;
inline constexpr int LockAnyTable = -45;
inline constexpr int CommentAnyTable = -46;
inline constexpr int SelectAnyTable = -47;
inline constexpr int InsertAnyTable = -48;
inline constexpr int UpdateAnyTable = -49;
inline constexpr int DeleteAnyTable = -50;
inline constexpr int CreateAnyIndex = -71;
inline constexpr int AlterAnyIndex = -72;
inline constexpr int DropAnyIndex = -73;
inline constexpr int CreateSynonym = -80;
inline constexpr int CreateAnySynonym = -81;
inline constexpr int DropAnySynonym = -82;
inline constexpr int Sysdba = -83;
inline constexpr int Sysoper = -84;
inline constexpr int CreatePublicSynonym = -85;
inline constexpr int DropPublicSynonym = -86;
inline constexpr int CreateView = -90;
inline constexpr int CreateAnyView = -91;
inline constexpr int DropAnyView = -92;
inline constexpr int CreateSequence = -105;
inline constexpr int CreateAnySequence = -106;
inline constexpr int AlterAnySequence = -107;
inline constexpr int DropAnySequence = -108;
inline constexpr int SelectAnySequence = -109;
inline constexpr int CreateDatabaseLink = -115;
inline constexpr int CreatePublicDatabaseLink = -120;
inline constexpr int DropPublicDatabaseLink = -121;
inline constexpr int CreateRole = -125;
inline constexpr int DropAnyRole = -126;
inline constexpr int GrantAnyRole = -127;
inline constexpr int CreateProcedure = -140;
inline constexpr int CreateAnyProcedure = -141;
inline constexpr int AlterAnyProcedure = -142;
inline constexpr int DropAnyProcedure = -143;
inline constexpr int ExecuteAnyProcedure = -144;
inline constexpr int CreateTrigger = -151;
inline constexpr int CreateAnyTrigger = -152;
inline constexpr int AlterAnyTrigger = -153;
inline constexpr int DropAnyTrigger = -154;
inline constexpr int GrantAnyPrivilege = -167;
inline constexpr int CreateType = -180;
inline constexpr int CreateAnyType = -181;
inline constexpr int DropAnyType = -183;
inline constexpr int ExecuteAnyType = -184;
inline constexpr int SelectAnyDictionary = -237;
inline constexpr int GrantAnyObjectPrivilege = -244;
} // namespace sys

// Object privileges by name ("SELECT", "ALTER", ...); "ALL" and "ALL PRIVILEGES" are not one of them.
std::optional<ObjectPrivilege> objectPrivilegeByName(std::string_view name);
const char* objectPrivilegeName(ObjectPrivilege p);

// The object privileges that apply to an object of that OBJ$.TYPE#, in TABLE_PRIVILEGE_MAP order: what ALL
// grants on it.
std::vector<ObjectPrivilege> privilegesFor(int objectType);

// The ANY system privilege that gives the object privilege on every object of the type; 0 when none does.
int anyPrivilegeFor(int objectType, ObjectPrivilege p);

// The system privileges that make every object of the type visible to their holder (ORA-01031 rather than
// ORA-00942 for what they do not allow).
const std::vector<int>& visibilityPrivileges(int objectType);

// The system privileges of the built-in role RESOURCE.
const std::vector<int>& resourcePrivileges();

} // namespace engine::priv

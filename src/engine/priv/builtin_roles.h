// The roles every new database has, as Oracle creates them: CONNECT (CREATE SESSION), RESOURCE (creating one's own
// tables, sequences, code and triggers) and DBA (every system privilege WITH ADMIN OPTION), with SYSTEM holding DBA.
#pragma once

#include <sqlite3.h>

namespace engine::priv {

// USER# of the built-in roles, numbered as in Oracle.
inline constexpr int kConnectRole = 2;
inline constexpr int kResourceRole = 3;
inline constexpr int kDbaRole = 4;

// Adds the roles and their grants to a new database's catalog, inside the caller's transaction.
void createBuiltInRoles(sqlite3* db);

} // namespace engine::priv

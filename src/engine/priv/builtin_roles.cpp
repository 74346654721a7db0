// The built-in roles of a new database.
#include "engine/priv/builtin_roles.h"

#include "engine/catalog/schema.h"
#include "engine/priv/privilege_map.h"
#include "engine/storage/sqlite.h"

namespace engine::priv {

void createBuiltInRoles(sqlite3* db)
{
    storage::Stmt role(db, R"(INSERT INTO "USER$" ("USER#", "NAME", "TYPE#", "CTIME", "PTIME", "ASTATUS")
        VALUES (?1, ?2, 0, datetime('now', 'localtime'), datetime('now', 'localtime'), 0))");
    role.bind(1, kConnectRole).bind(2, "CONNECT").run();
    role.bind(1, kResourceRole).bind(2, "RESOURCE").run();
    role.bind(1, kDbaRole).bind(2, "DBA").run();

    int64_t sequence = 0;
    storage::Stmt grant(db, R"(INSERT INTO "SYSAUTH$" ("GRANTEE#", "PRIVILEGE#", "SEQUENCE#", "OPTION$")
        VALUES (?1, ?2, ?3, ?4))");
    auto add = [&](int grantee, int privilege, bool admin) {
        grant.bind(1, grantee).bind(2, privilege).bind(3, ++sequence).bind(4, admin ? 1 : 0).run();
    };
    add(kConnectRole, sys::CreateSession, false);
    for (int p : resourcePrivileges())
        add(kResourceRole, p, false);
    for (const SystemPrivilegeName& p : systemPrivileges())
        if (p.number != sys::Sysdba && p.number != sys::Sysoper)
            add(kDbaRole, p.number, true);
    for (int r : { kConnectRole, kResourceRole, kDbaRole })
        add(catalog::kSysUser, r, true);
    add(catalog::kSystemUser, kDbaRole, true);
    add(catalog::kSystemUser, sys::UnlimitedTablespace, false);
}

} // namespace engine::priv

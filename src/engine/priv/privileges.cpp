// Privilege checks. Placeholder that allows everything until the privilege model arrives.
#include "engine/priv/privileges.h"

#include "engine/session/session_state.h"

namespace engine::priv {

bool hasSystemPrivilege(SessionState&, std::string_view)
{
    return true;
}

bool hasObjectPrivilege(SessionState&, int64_t, ObjectPrivilege)
{
    return true;
}

bool maySee(SessionState&, int64_t)
{
    return true;
}

bool isEnabledGrantee(SessionState& s, int64_t userOrRoleId)
{
    return userOrRoleId == s.userId || userOrRoleId == 1;
}

namespace {

void yes(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_int(ctx, 1);
}

void grantee(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* s = static_cast<SessionState*>(sqlite3_user_data(ctx));
    sqlite3_result_int(ctx, isEnabledGrantee(*s, sqlite3_value_int64(argv[0])) ? 1 : 0);
}

} // namespace

void registerFunctions(sqlite3* conn, SessionState& s)
{
    sqlite3_create_function(conn, "ORA_PRIV_SEE", 1, SQLITE_UTF8, &s, yes, nullptr, nullptr);
    sqlite3_create_function(conn, "ORA_PRIV_SYS", 1, SQLITE_UTF8, &s, yes, nullptr, nullptr);
    sqlite3_create_function(conn, "ORA_PRIV_GRANTEE", 1, SQLITE_UTF8, &s, grantee, nullptr, nullptr);
}

} // namespace engine::priv

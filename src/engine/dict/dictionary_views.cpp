// The dictionary family of fixed objects: SYS's catalog tables and the data dictionary views, with the functions
// their filters call registered on every session connection.
#include "engine/dict/fixed.h"
#include "engine/dict/job_views.h"
#include "engine/dict/view_builder.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"

namespace engine::dict {

namespace {

void schemaId(sqlite3_context* ctx, int, sqlite3_value**)
{
    auto* s = static_cast<SessionState*>(sqlite3_user_data(ctx));
    sqlite3_result_int64(ctx, s->schemaId);
}

void dictionaryAccess(sqlite3_context* ctx, int, sqlite3_value**)
{
    auto* s = static_cast<SessionState*>(sqlite3_user_data(ctx));
    sqlite3_result_int(ctx, maySeeDictionary(*s) ? 1 : 0);
}

// DICTIONARY (and DICT): every fixed object the session may read, with a line on what it is.
FixedObject dictionaryView(const std::string& name)
{
    using namespace detail;
    return makeFixed(name,
        { { "TABLE_NAME", vc(128), "f.\"NAME\"" },
            { "COMMENTS", vc(4000),
                "CASE WHEN f.\"NAME\" GLOB 'ALL_*' THEN 'Objects accessible to the user' WHEN f.\"NAME\" GLOB "
                "'USER_*' THEN 'Objects owned by the user' WHEN f.\"NAME\" GLOB 'DBA_*' THEN 'Every object of the "
                "database' END" } },
        std::string("FROM ") + kFixedObjectsToken
            + " f WHERE f.\"TYPE#\" = 4 AND f.\"SYN\" = 1 AND (f.\"ACCESS\" = 0 OR " + kDictionaryAccess + " = 1)");
}

} // namespace

FixedFamily dictionaryFamily()
{
    FixedFamily f;
    detail::addCatalogTables(f.objects);
    detail::addObjectViews(f.objects);
    detail::addConstraintViews(f.objects);
    detail::addSchemaViews(f.objects);
    detail::addCodeViews(f.objects);
    detail::addSpaceViews(f.objects);
    addJobViews(f.objects);
    f.objects.push_back(dictionaryView("DICTIONARY"));
    f.objects.push_back(dictionaryView("DICT"));
    f.setup = [](sqlite3* conn, SessionState& s) {
        sqlite3_create_function(conn, "ORA_DICT_SCHEMA_ID", 0, SQLITE_UTF8, &s, schemaId, nullptr, nullptr);
        sqlite3_create_function(conn, "ORA_DICT_ACCESS", 0, SQLITE_UTF8, &s, dictionaryAccess, nullptr, nullptr);
        registerJobRuns(conn, s);
    };
    return f;
}

} // namespace engine::dict

// The dictionary views of sequences, views, synonyms, users, database links, privileges and roles.
#include "engine/dict/view_builder.h"
#if __has_include("engine/priv/privilege_map.h")
#include "engine/priv/privilege_map.h"
#define DREMMOX_HAS_PRIVILEGE_MAP 1
#endif

namespace engine::dict::detail {

namespace {

const char* kObjectOwner = "FROM \"OBJ$\" o JOIN \"USER$\" u ON u.\"USER#\" = o.\"OWNER#\" ";

void addSequencesViewsSynonyms(std::vector<FixedObject>& out)
{
    const auto N = num();
    ViewTrio s;
    s.suffix = "SEQUENCES";
    s.cols = { { "SEQUENCE_OWNER!", vc(128), "u.\"NAME\"" }, { "SEQUENCE_NAME!", vc(128), "o.\"NAME\"" },
        { "MIN_VALUE", N, "q.\"MINVALUE\"" }, { "MAX_VALUE", N, "q.\"MAXVALUE\"" },
        { "INCREMENT_BY!", N, "q.\"INCREMENT$\"" },
        { "CYCLE_FLAG", vc(1), "CASE WHEN q.\"CYCLE#\" <> 0 THEN 'Y' ELSE 'N' END" },
        { "ORDER_FLAG", vc(1), "CASE WHEN q.\"ORDER$\" <> 0 THEN 'Y' ELSE 'N' END" },
        { "CACHE_SIZE!", N, "CASE WHEN q.\"CACHE\" < 2 THEN 0 ELSE q.\"CACHE\" END" }, { "LAST_NUMBER!", N, "q.\"HIGHWATER\"" }, { "SCALE_FLAG", vc(1), "'N'" },
        { "EXTEND_FLAG", vc(1), "'N'" }, { "SHARDED_FLAG", vc(1), "'N'" }, { "SESSION_FLAG", vc(1), "'N'" },
        { "KEEP_VALUE", vc(1), "'N'" } };
    s.from = std::string(kObjectOwner) + "JOIN \"SEQ$\" q ON q.\"OBJ#\" = o.\"OBJ#\"";
    s.ownerIdExpr = "o.\"OWNER#\"";
    s.objectIdExpr = "o.\"OBJ#\"";
    s.userDrops = { "SEQUENCE_OWNER" };
    addTrio(out, s);

    ViewTrio v;
    v.suffix = "VIEWS";
    v.cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "VIEW_NAME!", vc(128), "o.\"NAME\"" },
        { "TEXT_LENGTH", N, "w.\"TEXTLENGTH\"" }, { "TEXT", longText(), "w.\"TEXT\"" },
        { "TEXT_VC", vc(4000), "substr(w.\"TEXT\", 1, 4000)" }, { "TYPE_TEXT_LENGTH", N, "" },
        { "TYPE_TEXT", vc(4000), "" }, { "OID_TEXT_LENGTH", N, "" }, { "OID_TEXT", vc(4000), "" },
        { "VIEW_TYPE_OWNER", vc(128), "" }, { "VIEW_TYPE", vc(128), "" }, { "SUPERVIEW_NAME", vc(128), "" },
        { "EDITIONING_VIEW", vc(1), "'N'" },
        { "READ_ONLY", vc(1), "CASE WHEN (w.\"PROPERTY\" & 1) <> 0 THEN 'Y' ELSE 'N' END" },
        { "CONTAINER_DATA", vc(1), "'N'" }, { "BEQUEATH", vc(12), "'DEFINER'" }, { "ORIGIN_CON_ID", N, "0" },
        { "DEFAULT_COLLATION", vc(100), "'USING_NLS_COMP'" }, { "CONTAINERS_DEFAULT", vc(3), "'NO'" },
        { "CONTAINER_MAP", vc(3), "'NO'" }, { "EXTENDED_DATA_LINK", vc(3), "'NO'" },
        { "EXTENDED_DATA_LINK_MAP", vc(3), "'NO'" }, { "HAS_SENSITIVE_COLUMN", vc(3), "'NO'" },
        { "ADMIT_NULL", vc(3), "'NO'" }, { "PDB_LOCAL_ONLY", vc(3), "'NO'" } };
    v.from = std::string(kObjectOwner) + "JOIN \"VIEW$\" w ON w.\"OBJ#\" = o.\"OBJ#\"";
    v.ownerIdExpr = "o.\"OWNER#\"";
    v.objectIdExpr = "o.\"OBJ#\"";
    addTrio(out, v);

    ViewTrio y;
    y.suffix = "SYNONYMS";
    y.cols = { { "OWNER", vc(128), "u.\"NAME\"" }, { "SYNONYM_NAME", vc(128), "o.\"NAME\"" },
        { "TABLE_OWNER", vc(128), "y.\"OWNER\"" }, { "TABLE_NAME", vc(128), "y.\"NAME\"" },
        { "DB_LINK", vc(128), "y.\"NODE\"" }, { "ORIGIN_CON_ID", N, "0" } };
    y.from = std::string(kObjectOwner) + "JOIN \"SYN$\" y ON y.\"OBJ#\" = o.\"OBJ#\"";
    y.ownerIdExpr = "o.\"OWNER#\"";
    y.objectIdExpr = "o.\"OBJ#\"";
    // PUBLIC synonyms are everyone's.
    y.allFilter = std::string("o.\"OWNER#\" IN (") + kSchemaId + ", 1) OR ORA_PRIV_SEE(o.\"OBJ#\") = 1";
    addTrio(out, y);
}

std::string accountStatus(const std::string& a)
{
    // Oracle's ASTATUS codes; this catalog writes 9 for ACCOUNT LOCK, which it reads as LOCKED.
    return "CASE " + a
        + " WHEN 0 THEN 'OPEN' WHEN 1 THEN 'EXPIRED' WHEN 2 THEN 'EXPIRED(GRACE)' WHEN 4 THEN 'LOCKED(TIMED)'"
          " WHEN 5 THEN 'EXPIRED & LOCKED(TIMED)' WHEN 6 THEN 'EXPIRED(GRACE) & LOCKED(TIMED)'"
          " WHEN 10 THEN 'EXPIRED(GRACE) & LOCKED' ELSE 'LOCKED' END";
}

void addUsers(std::vector<FixedObject>& out)
{
    const auto N = num();
    const auto D = date();
    const std::string maintained = "CASE WHEN u.\"USER#\" IN (0, 1, 5) THEN 'Y' ELSE 'N' END";
    const std::string lockDate = "CASE WHEN u.\"ASTATUS\" >= 4 THEN u.\"LTIME\" END";
    out.push_back(makeFixed("ALL_USERS",
        { { "USERNAME!", vc(128), "u.\"NAME\"" }, { "USER_ID!", N, "u.\"USER#\"" }, { "CREATED!", D, "u.\"CTIME\"" },
            { "COMMON", vc(3), "'NO'" }, { "ORACLE_MAINTAINED", vc(1), maintained }, { "INHERITED", vc(3), "'NO'" },
            { "DEFAULT_COLLATION", vc(100), "'USING_NLS_COMP'" }, { "IMPLICIT", vc(3), "'NO'" },
            { "ALL_SHARD", vc(3), "'NO'" } },
        "FROM \"USER$\" u WHERE u.\"TYPE#\" = 1"));
    out.push_back(makeFixed("DBA_USERS",
        { { "USERNAME!", vc(128), "u.\"NAME\"" }, { "USER_ID!", N, "u.\"USER#\"" }, { "PASSWORD", vc(4000), "" },
            { "ACCOUNT_STATUS!", vc(32), accountStatus("u.\"ASTATUS\"") }, { "LOCK_DATE", D, lockDate },
            { "EXPIRY_DATE", D, "" }, { "DEFAULT_TABLESPACE!", vc(30), "ifnull(u.\"DEFAULT_TABLESPACE\", 'USERS')" },
            { "TEMPORARY_TABLESPACE!", vc(30), "ifnull(u.\"TEMPORARY_TABLESPACE\", 'TEMP')" },
            { "LOCAL_TEMP_TABLESPACE", vc(30), "ifnull(u.\"TEMPORARY_TABLESPACE\", 'TEMP')" },
            { "CREATED!", D, "u.\"CTIME\"" }, { "PROFILE!", vc(128), "ifnull(u.\"PROFILE\", 'DEFAULT')" },
            { "INITIAL_RSRC_CONSUMER_GROUP", vc(128), "'DEFAULT_CONSUMER_GROUP'" }, { "EXTERNAL_NAME", vc(4000), "" },
            { "PASSWORD_VERSIONS", vc(17), "'11G 12C '" }, { "EDITIONS_ENABLED", vc(1), "'N'" },
            { "AUTHENTICATION_TYPE", vc(8), "'PASSWORD'" }, { "PROXY_ONLY_CONNECT", vc(1), "'N'" },
            { "COMMON", vc(3), "'NO'" }, { "LAST_LOGIN", D, "" }, { "ORACLE_MAINTAINED", vc(1), maintained },
            { "INHERITED", vc(3), "'NO'" }, { "DEFAULT_COLLATION", vc(100), "'USING_NLS_COMP'" },
            { "IMPLICIT", vc(3), "'NO'" }, { "ALL_SHARD", vc(3), "'NO'" },
            { "PASSWORD_CHANGE_DATE", D, "u.\"PTIME\"" } },
        "FROM \"USER$\" u WHERE u.\"TYPE#\" = 1", FixedAccess::Dictionary));
    out.push_back(makeFixed("USER_USERS",
        { { "USERNAME!", vc(128), "u.\"NAME\"" }, { "USER_ID!", N, "u.\"USER#\"" },
            { "ACCOUNT_STATUS!", vc(32), accountStatus("u.\"ASTATUS\"") }, { "LOCK_DATE", D, lockDate },
            { "EXPIRY_DATE", D, "" }, { "DEFAULT_TABLESPACE!", vc(30), "ifnull(u.\"DEFAULT_TABLESPACE\", 'USERS')" },
            { "TEMPORARY_TABLESPACE!", vc(30), "ifnull(u.\"TEMPORARY_TABLESPACE\", 'TEMP')" },
            { "LOCAL_TEMP_TABLESPACE", vc(30), "ifnull(u.\"TEMPORARY_TABLESPACE\", 'TEMP')" },
            { "CREATED!", D, "u.\"CTIME\"" }, { "INITIAL_RSRC_CONSUMER_GROUP", vc(128), "'DEFAULT_CONSUMER_GROUP'" },
            { "EXTERNAL_NAME", vc(4000), "" }, { "PROXY_ONLY_CONNECT", vc(1), "'N'" }, { "COMMON", vc(3), "'NO'" },
            { "ORACLE_MAINTAINED", vc(1), maintained }, { "INHERITED", vc(3), "'NO'" },
            { "DEFAULT_COLLATION", vc(100), "'USING_NLS_COMP'" }, { "IMPLICIT", vc(3), "'NO'" },
            { "ALL_SHARD", vc(3), "'NO'" } },
        "FROM \"USER$\" u WHERE u.\"USER#\" = ORA_UID()"));
}

void addLinks(std::vector<FixedObject>& out)
{
    const std::vector<Col> tail
        = { { "HOST", vc(2000), "l.\"HOST\"" }, { "CREATED!", date(), "l.\"CTIME\"" }, { "HIDDEN", vc(3), "'NO'" },
              { "SHARD_INTERNAL", vc(3), "'NO'" }, { "VALID", vc(3), "'YES'" }, { "INTRA_CDB", vc(3), "'NO'" } };
    std::vector<Col> cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "DB_LINK!", vc(128), "l.\"NAME\"" },
        { "USERNAME", vc(128), "l.\"USERID\"" } };
    cols.insert(cols.end(), tail.begin(), tail.end());
    const std::string from = "FROM \"LINK$\" l JOIN \"USER$\" u ON u.\"USER#\" = l.\"OWNER#\"";
    out.push_back(makeFixed("DBA_DB_LINKS", cols, from, FixedAccess::Dictionary));
    out.push_back(makeFixed("ALL_DB_LINKS", cols, from + " WHERE l.\"OWNER#\" IN (" + kSchemaId + ", 1)"));
    std::vector<Col> user = { { "DB_LINK!", vc(128), "l.\"NAME\"" }, { "USERNAME", vc(128), "l.\"USERID\"" },
        { "PASSWORD", vc(128), "" } };
    user.insert(user.end(), tail.begin(), tail.end());
    out.push_back(makeFixed("USER_DB_LINKS", user, from + " WHERE l.\"OWNER#\" = " + kSchemaId));
}

// TABLE_PRIVILEGE_MAP as Oracle numbers it.
std::string tablePrivilegeName(const std::string& p)
{
    return "CASE " + p
        + " WHEN 0 THEN 'ALTER' WHEN 1 THEN 'AUDIT' WHEN 2 THEN 'COMMENT' WHEN 3 THEN 'DELETE' WHEN 4 THEN 'GRANT'"
          " WHEN 5 THEN 'INDEX' WHEN 6 THEN 'INSERT' WHEN 7 THEN 'LOCK' WHEN 8 THEN 'RENAME' WHEN 9 THEN 'SELECT'"
          " WHEN 10 THEN 'UPDATE' WHEN 11 THEN 'REFERENCES' WHEN 12 THEN 'EXECUTE' WHEN 16 THEN 'CREATE'"
          " WHEN 17 THEN 'READ' WHEN 18 THEN 'WRITE' WHEN 20 THEN 'ENQUEUE' WHEN 21 THEN 'DEQUEUE'"
          " WHEN 22 THEN 'UNDER' WHEN 23 THEN 'ON COMMIT REFRESH' WHEN 24 THEN 'QUERY REWRITE' WHEN 26 THEN 'DEBUG'"
          " WHEN 27 THEN 'FLASHBACK' WHEN 28 THEN 'MERGE VIEW' WHEN 29 THEN 'USE' WHEN 30 THEN 'FLASHBACK ARCHIVE'"
          " ELSE 'UNDEFINED' END";
}

std::string systemPrivilegeMapSql()
{
    std::string values;
#ifdef DREMMOX_HAS_PRIVILEGE_MAP
    for (const priv::SystemPrivilegeName& p : priv::systemPrivileges())
        values += (values.empty() ? "VALUES (" : ", (") + std::to_string(p.number) + ", " + lit(p.name) + ")";
#endif
    if (values.empty()) // the privilege model names no privileges
        values = "SELECT NULL AS column1, NULL AS column2 WHERE 0";
    return "(SELECT column1 AS \"PRIVILEGE\", column2 AS \"NAME\" FROM (" + values + "))";
}

void addPrivileges(std::vector<FixedObject>& out)
{
    const auto N = num();
    const std::string sysMap = systemPrivilegeMapSql();
    out.push_back(makeFixed("SYSTEM_PRIVILEGE_MAP",
        { { "PRIVILEGE!", N, "m.\"PRIVILEGE\"" }, { "NAME!", vc(40), "m.\"NAME\"" }, { "PROPERTY!", N, "0" } },
        "FROM " + sysMap + " m"));
    {
        std::string values;
        for (int p : { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17, 18, 20, 21, 22, 23, 24, 26, 27, 28, 29, 30 })
            values += (values.empty() ? "VALUES (" : ", (") + std::to_string(p) + ")";
        out.push_back(makeFixed("TABLE_PRIVILEGE_MAP",
            { { "PRIVILEGE!", N, "column1" }, { "NAME!", vc(40), tablePrivilegeName("column1") } },
            "FROM (" + values + ")"));
    }

    // Object grants (not those of single columns).
    const std::string grants = "FROM \"OBJAUTH$\" a JOIN \"OBJ$\" o ON o.\"OBJ#\" = a.\"OBJ#\" "
                               "JOIN \"USER$\" u ON u.\"USER#\" = o.\"OWNER#\" "
                               "JOIN \"USER$\" gr ON gr.\"USER#\" = a.\"GRANTOR#\" "
                               "JOIN \"USER$\" ge ON ge.\"USER#\" = a.\"GRANTEE#\" "
                               "WHERE a.\"COL#\" IS NULL";
    const std::vector<Col> grantTail = { { "PRIVILEGE!", vc(40), tablePrivilegeName("a.\"PRIVILEGE#\"") },
        { "GRANTABLE", vc(3), "CASE WHEN (ifnull(a.\"OPTION$\", 0) & 1) <> 0 THEN 'YES' ELSE 'NO' END" },
        { "HIERARCHY", vc(3), "CASE WHEN (ifnull(a.\"OPTION$\", 0) & 2) <> 0 THEN 'YES' ELSE 'NO' END" },
        { "COMMON", vc(3), "'NO'" }, { "TYPE", vc(24), objectTypeName("o.\"TYPE#\"") },
        { "INHERITED", vc(3), "'NO'" } };
    std::vector<Col> byOwner = { { "GRANTEE!", vc(128), "ge.\"NAME\"" }, { "OWNER!", vc(128), "u.\"NAME\"" },
        { "TABLE_NAME!", vc(128), "o.\"NAME\"" }, { "GRANTOR!", vc(128), "gr.\"NAME\"" } };
    byOwner.insert(byOwner.end(), grantTail.begin(), grantTail.end());
    out.push_back(makeFixed("DBA_TAB_PRIVS", byOwner, grants, FixedAccess::Dictionary));
    out.push_back(makeFixed(
        "USER_TAB_PRIVS", byOwner, grants + " AND ORA_UID() IN (a.\"GRANTEE#\", a.\"GRANTOR#\", o.\"OWNER#\")"));
    std::vector<Col> all = { { "GRANTOR", vc(128), "gr.\"NAME\"" }, { "GRANTEE", vc(128), "ge.\"NAME\"" },
        { "TABLE_SCHEMA", vc(128), "u.\"NAME\"" }, { "TABLE_NAME", vc(128), "o.\"NAME\"" } };
    all.insert(all.end(), grantTail.begin(), grantTail.end());
    out.push_back(makeFixed("ALL_TAB_PRIVS", all,
        grants + " AND (ORA_UID() IN (a.\"GRANTOR#\", o.\"OWNER#\") OR ORA_PRIV_GRANTEE(a.\"GRANTEE#\") = 1)"));

    // System privileges and roles granted: SYSAUTH$ holds both, a role by its USER#, a privilege by its negative
    // number.
    const std::string sysGrants = "FROM \"SYSAUTH$\" a JOIN \"USER$\" ge ON ge.\"USER#\" = a.\"GRANTEE#\" JOIN "
        + sysMap + " m ON m.\"PRIVILEGE\" = a.\"PRIVILEGE#\"";
    const std::string adminOption = "CASE WHEN (ifnull(a.\"OPTION$\", 0) & 1) <> 0 THEN 'YES' ELSE 'NO' END";
    const std::vector<Col> sysTail = { { "PRIVILEGE!", vc(40), "m.\"NAME\"" }, { "ADMIN_OPTION", vc(3), adminOption },
        { "COMMON", vc(3), "'NO'" }, { "INHERITED", vc(3), "'NO'" } };
    std::vector<Col> dbaSys = { { "GRANTEE", vc(128), "ge.\"NAME\"" } };
    dbaSys.insert(dbaSys.end(), sysTail.begin(), sysTail.end());
    out.push_back(makeFixed("DBA_SYS_PRIVS", dbaSys, sysGrants, FixedAccess::Dictionary));
    std::vector<Col> userSys = { { "USERNAME", vc(128), "ge.\"NAME\"" } };
    userSys.insert(userSys.end(), sysTail.begin(), sysTail.end());
    out.push_back(makeFixed("USER_SYS_PRIVS", userSys, sysGrants + " WHERE a.\"GRANTEE#\" IN (ORA_UID(), 1)"));

    const std::string roleGrants = "FROM \"SYSAUTH$\" a JOIN \"USER$\" ge ON ge.\"USER#\" = a.\"GRANTEE#\" "
                                   "JOIN \"USER$\" r ON r.\"USER#\" = a.\"PRIVILEGE#\" AND r.\"TYPE#\" = 0 ";
    const std::vector<Col> roleTail = { { "GRANTED_ROLE!", vc(128), "r.\"NAME\"" },
        { "ADMIN_OPTION", vc(3), adminOption }, { "DELEGATE_OPTION", vc(3), "'NO'" },
        { "DEFAULT_ROLE", vc(3), "'YES'" }, { "COMMON", vc(3), "'NO'" }, { "INHERITED", vc(3), "'NO'" } };
    std::vector<Col> dbaRole = { { "GRANTEE", vc(128), "ge.\"NAME\"" } };
    dbaRole.insert(dbaRole.end(), roleTail.begin(), roleTail.end());
    out.push_back(makeFixed("DBA_ROLE_PRIVS", dbaRole, roleGrants, FixedAccess::Dictionary));
    std::vector<Col> userRole = { { "USERNAME", vc(128), "ge.\"NAME\"" } };
    userRole.insert(userRole.end(), roleTail.begin(), roleTail.end());
    userRole.push_back({ "OS_GRANTED", vc(3), "'NO'" });
    out.push_back(makeFixed("USER_ROLE_PRIVS", userRole, roleGrants + "WHERE a.\"GRANTEE#\" IN (ORA_UID(), 1)"));

    out.push_back(makeFixed("DBA_ROLES",
        { { "ROLE!", vc(128), "r.\"NAME\"" }, { "ROLE_ID!", N, "r.\"USER#\"" }, { "PASSWORD_REQUIRED", vc(8), "'NO'" },
            { "AUTHENTICATION_TYPE", vc(11), "'NONE'" }, { "COMMON", vc(3), "'NO'" },
            { "ORACLE_MAINTAINED", vc(1),
                "CASE WHEN r.\"NAME\" IN ('CONNECT', 'RESOURCE', 'DBA') THEN 'Y' ELSE 'N' END" },
            { "INHERITED", vc(3), "'NO'" }, { "IMPLICIT", vc(3), "'NO'" }, { "EXTERNAL_NAME", vc(4000), "" } },
        "FROM \"USER$\" r WHERE r.\"TYPE#\" = 0 AND r.\"USER#\" <> 1", FixedAccess::Dictionary));

    out.push_back(makeFixed("SESSION_ROLES", { { "ROLE!", vc(128), "r.\"NAME\"" } },
        "FROM \"USER$\" r WHERE r.\"TYPE#\" = 0 AND r.\"USER#\" <> 1 AND ORA_PRIV_GRANTEE(r.\"USER#\") = 1"));
    out.push_back(makeFixed("SESSION_PRIVS", { { "PRIVILEGE!", vc(40), "m.\"NAME\"" } },
        "FROM " + sysMap + " m WHERE ORA_PRIV_SYS(m.\"NAME\") = 1"));
}

void addMaterializedViews(std::vector<FixedObject>& out)
{
    // The engine has no materialized views: the views exist with Oracle's columns and no rows.
    const auto N = num();
    const auto D = date();
    std::vector<Col> cols = { { "OWNER!", vc(128), "" }, { "MVIEW_NAME!", vc(128), "" },
        { "CONTAINER_NAME!", vc(128), "" }, { "QUERY", longText(), "" }, { "QUERY_LEN", N, "" },
        { "UPDATABLE", vc(1), "" }, { "UPDATE_LOG", vc(128), "" }, { "MASTER_ROLLBACK_SEG", vc(128), "" },
        { "MASTER_LINK", vc(128), "" }, { "REWRITE_ENABLED", vc(1), "" }, { "REWRITE_CAPABILITY", vc(9), "" },
        { "REFRESH_MODE", vc(6), "" }, { "REFRESH_METHOD", vc(8), "" }, { "BUILD_MODE", vc(9), "" },
        { "FAST_REFRESHABLE", vc(18), "" }, { "LAST_REFRESH_TYPE", vc(8), "" }, { "LAST_REFRESH_DATE", D, "" },
        { "LAST_REFRESH_END_TIME", D, "" }, { "STALENESS", vc(19), "" }, { "AFTER_FAST_REFRESH", vc(19), "" },
        { "UNKNOWN_PREBUILT", vc(1), "" }, { "UNKNOWN_PLSQL_FUNC", vc(1), "" }, { "UNKNOWN_EXTERNAL_TABLE", vc(1), "" },
        { "UNKNOWN_CONSIDER_FRESH", vc(1), "" }, { "UNKNOWN_IMPORT", vc(1), "" }, { "UNKNOWN_TRUSTED_FD", vc(1), "" },
        { "COMPILE_STATE", vc(19), "" }, { "USE_NO_INDEX", vc(1), "" }, { "STALE_SINCE", D, "" },
        { "NUM_PCT_TABLES", N, "" }, { "NUM_FRESH_PCT_REGIONS", N, "" }, { "NUM_STALE_PCT_REGIONS", N, "" },
        { "SEGMENT_CREATED", vc(3), "" }, { "EVALUATION_EDITION", vc(128), "" }, { "UNUSABLE_BEFORE", vc(128), "" },
        { "UNUSABLE_BEGINNING", vc(128), "" }, { "DEFAULT_COLLATION", vc(100), "" },
        { "ON_QUERY_COMPUTATION", vc(1), "" } };
    addEmptyTrio(out, "MVIEWS", std::move(cols));
}

} // namespace

void addSchemaViews(std::vector<FixedObject>& out)
{
    addSequencesViewsSynonyms(out);
    addUsers(out);
    addLinks(out);
    addPrivileges(out);
    addMaterializedViews(out);
}

} // namespace engine::dict::detail

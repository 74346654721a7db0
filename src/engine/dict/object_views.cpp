// The dictionary views of tables, their columns and comments, and of every object: TABLES, TAB_COLUMNS, TAB_COLS,
// TAB_COMMENTS, COL_COMMENTS, OBJECTS. Each joins OBJ$ through its index on (OWNER#, NAME) so a filter on OWNER and
// the object's name reaches the catalog's indexes.
#include "engine/dict/view_builder.h"

namespace engine::dict::detail {

namespace {

const char* kObjectOwner = "FROM \"OBJ$\" o JOIN \"USER$\" u ON u.\"USER#\" = o.\"OWNER#\" ";

void addTables(std::vector<FixedObject>& out)
{
    const auto N = num();
    ViewTrio v;
    v.suffix = "TABLES";
    v.cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "TABLE_NAME!", vc(128), "o.\"NAME\"" },
        { "TABLESPACE_NAME", vc(30), "ifnull(u.\"DEFAULT_TABLESPACE\", 'USERS')" }, { "CLUSTER_NAME", vc(128), "" },
        { "IOT_NAME", vc(128), "" }, { "STATUS", vc(8), "'VALID'" }, { "PCT_FREE", N, "10" }, { "PCT_USED", N, "" },
        { "INI_TRANS", N, "1" }, { "MAX_TRANS", N, "255" }, { "INITIAL_EXTENT", N, "65536" },
        { "NEXT_EXTENT", N, "1048576" }, { "MIN_EXTENTS", N, "1" }, { "MAX_EXTENTS", N, "2147483645" },
        { "PCT_INCREASE", N, "" }, { "FREELISTS", N, "" }, { "FREELIST_GROUPS", N, "" }, { "LOGGING", vc(3), "'YES'" },
        { "BACKED_UP", vc(1), "'N'" }, { "NUM_ROWS", N, "" }, { "BLOCKS", N, "" }, { "EMPTY_BLOCKS", N, "" },
        { "AVG_SPACE", N, "" }, { "CHAIN_CNT", N, "" }, { "AVG_ROW_LEN", N, "" },
        { "AVG_SPACE_FREELIST_BLOCKS", N, "" }, { "NUM_FREELIST_BLOCKS", N, "" }, { "DEGREE", vc(10), "'         1'" },
        { "INSTANCES", vc(10), "'         1'" }, { "CACHE", vc(5), "'    N'" }, { "TABLE_LOCK", vc(8), "'ENABLED'" },
        { "SAMPLE_SIZE", N, "" }, { "LAST_ANALYZED", date(), "" }, { "PARTITIONED", vc(3), "'NO'" },
        { "IOT_TYPE", vc(12), "" }, { "TEMPORARY", vc(1), "'N'" }, { "SECONDARY", vc(1), "'N'" },
        { "NESTED", vc(3), "'NO'" }, { "BUFFER_POOL", vc(7), "'DEFAULT'" }, { "FLASH_CACHE", vc(7), "'DEFAULT'" },
        { "CELL_FLASH_CACHE", vc(7), "'DEFAULT'" }, { "ROW_MOVEMENT", vc(8), "'DISABLED'" },
        { "GLOBAL_STATS", vc(3), "'NO'" }, { "USER_STATS", vc(3), "'NO'" }, { "DURATION", vc(15), "" },
        { "SKIP_CORRUPT", vc(8), "'DISABLED'" }, { "MONITORING", vc(3), "'YES'" }, { "CLUSTER_OWNER", vc(128), "" },
        { "DEPENDENCIES", vc(8), "'DISABLED'" }, { "COMPRESSION", vc(8), "'DISABLED'" }, { "COMPRESS_FOR", vc(30), "" },
        { "DROPPED", vc(3), "'NO'" }, { "READ_ONLY", vc(3), "'NO'" }, { "SEGMENT_CREATED", vc(3), "'YES'" },
        { "RESULT_CACHE", vc(7), "'DEFAULT'" }, { "CLUSTERING", vc(3), "'NO'" }, { "ACTIVITY_TRACKING", vc(23), "" },
        { "DML_TIMESTAMP", vc(25), "" }, { "HAS_IDENTITY", vc(3), "'NO'" }, { "CONTAINER_DATA", vc(3), "'NO'" },
        { "INMEMORY", vc(8), "'DISABLED'" }, { "INMEMORY_PRIORITY", vc(8), "" }, { "INMEMORY_DISTRIBUTE", vc(15), "" },
        { "INMEMORY_COMPRESSION", vc(17), "" }, { "INMEMORY_DUPLICATE", vc(13), "" },
        { "DEFAULT_COLLATION", vc(100), "'USING_NLS_COMP'" }, { "DUPLICATED", vc(1), "'N'" },
        { "SHARDED", vc(1), "'N'" }, { "EXTERNAL", vc(3), "'NO'" }, { "HYBRID", vc(3), "'NO'" },
        { "CELLMEMORY", vc(24), "" }, { "CONTAINERS_DEFAULT", vc(3), "'NO'" }, { "CONTAINER_MAP", vc(3), "'NO'" },
        { "EXTENDED_DATA_LINK", vc(3), "'NO'" }, { "EXTENDED_DATA_LINK_MAP", vc(3), "'NO'" },
        { "INMEMORY_SERVICE", vc(12), "" }, { "INMEMORY_SERVICE_NAME", vc(1000), "" },
        { "CONTAINER_MAP_OBJECT", vc(3), "'NO'" }, { "MEMOPTIMIZE_READ", vc(8), "'DISABLED'" },
        { "MEMOPTIMIZE_WRITE", vc(8), "'DISABLED'" }, { "HAS_SENSITIVE_COLUMN", vc(3), "'NO'" },
        { "ADMIT_NULL", vc(3), "'NO'" }, { "DATA_LINK_DML_ENABLED", vc(3), "'NO'" },
        { "LOGICAL_REPLICATION", vc(8), "'ENABLED'" } };
    v.from = kObjectOwner;
    v.where = "o.\"TYPE#\" = 2";
    v.ownerIdExpr = "o.\"OWNER#\"";
    v.objectIdExpr = "o.\"OBJ#\"";
    addTrio(out, v);
}

std::vector<Col> columnCols(bool all)
{
    const auto N = num();
    const std::string charType = charTypeCondition("c");
    std::vector<Col> cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "TABLE_NAME!", vc(128), "o.\"NAME\"" },
        { "COLUMN_NAME!", vc(128), "c.\"NAME\"" }, { "DATA_TYPE", vc(128), dataTypeName("c") },
        { "DATA_TYPE_MOD", vc(3), "" }, { "DATA_TYPE_OWNER", vc(128), "" }, { "DATA_LENGTH!", N, dataLength("c") },
        { "DATA_PRECISION", N, "CASE WHEN c.\"TYPE#\" IN (2, 182, 183) THEN c.\"PRECISION#\" END" },
        { "DATA_SCALE", N, "CASE WHEN c.\"TYPE#\" IN (2, 180, 181, 182, 183, 231) THEN c.\"SCALE\" END" },
        { "NULLABLE", vc(1), "CASE WHEN c.\"NULL$\" <> 0 THEN 'N' ELSE 'Y' END" },
        { "COLUMN_ID", N, "CASE WHEN (c.\"PROPERTY\" & 32) = 0 THEN c.\"COL#\" END" },
        { "DEFAULT_LENGTH", N, "length(c.\"DEFAULT$\")" }, { "DATA_DEFAULT", longText(), "c.\"DEFAULT$\"" },
        { "NUM_DISTINCT", N, "" }, { "LOW_VALUE", raw(1000), "" }, { "HIGH_VALUE", raw(1000), "" },
        { "DENSITY", N, "" }, { "NUM_NULLS", N, "" }, { "NUM_BUCKETS", N, "" }, { "LAST_ANALYZED", date(), "" },
        { "SAMPLE_SIZE", N, "" },
        { "CHARACTER_SET_NAME", vc(44), "CASE WHEN " + charType + " OR c.\"TYPE#\" IN (8, 112) THEN 'CHAR_CS' END" },
        { "CHAR_COL_DECL_LENGTH", N, "CASE WHEN " + charType + " THEN " + dataLength("c") + " END" },
        { "GLOBAL_STATS", vc(3), "'NO'" }, { "USER_STATS", vc(3), "'NO'" }, { "AVG_COL_LEN", N, "" },
        { "CHAR_LENGTH", N, charLength("c") },
        { "CHAR_USED", vc(1),
            "CASE WHEN " + charType + " THEN CASE WHEN (c.\"PROPERTY\" & 8388608) <> 0 THEN 'C' ELSE 'B' END END" },
        { "V80_FMT_IMAGE", vc(3), "'NO'" }, { "DATA_UPGRADED", vc(3), "'YES'" } };
    if (all) {
        cols.push_back({ "HIDDEN_COLUMN", vc(3), "CASE WHEN (c.\"PROPERTY\" & 32) <> 0 THEN 'YES' ELSE 'NO' END" });
        cols.push_back({ "VIRTUAL_COLUMN", vc(3), "CASE WHEN (c.\"PROPERTY\" & 65536) <> 0 THEN 'YES' ELSE 'NO' END" });
        cols.push_back({ "SEGMENT_COLUMN_ID", N, "c.\"COL#\"" });
        cols.push_back({ "INTERNAL_COLUMN_ID!", N, "c.\"COL#\"" });
    }
    cols.push_back({ "HISTOGRAM", vc(15), "'NONE'" });
    if (all) {
        cols.push_back({ "QUALIFIED_COL_NAME", vc(4000), "c.\"NAME\"" });
        cols.push_back({ "USER_GENERATED", vc(3), "CASE WHEN (c.\"PROPERTY\" & 32) <> 0 THEN 'NO' ELSE 'YES' END" });
    }
    // COL$.PROPERTY: 0x8000000000 DEFAULT ON NULL, 0x2000000000 identity (catalog.h).
    cols.push_back(
        { "DEFAULT_ON_NULL", vc(3), "CASE WHEN (c.\"PROPERTY\" & 549755813888) <> 0 THEN 'YES' ELSE 'NO' END" });
    cols.push_back(
        { "IDENTITY_COLUMN", vc(3), "CASE WHEN (c.\"PROPERTY\" & 137438953472) <> 0 THEN 'YES' ELSE 'NO' END" });
    if (all)
        cols.push_back({ "SENSITIVE_COLUMN", vc(3), "'NO'" });
    cols.push_back({ "EVALUATION_EDITION", vc(128), "" });
    cols.push_back({ "UNUSABLE_BEFORE", vc(128), "" });
    cols.push_back({ "UNUSABLE_BEGINNING", vc(128), "" });
    cols.push_back({ "COLLATION", vc(100), "CASE WHEN " + charType + " THEN 'USING_NLS_COMP' END" });
    if (all)
        cols.push_back({ "COLLATED_COLUMN_ID", N, "" });
    return cols;
}

void addColumns(std::vector<FixedObject>& out)
{
    for (bool all : { false, true }) {
        ViewTrio v;
        v.suffix = all ? "TAB_COLS" : "TAB_COLUMNS";
        v.cols = columnCols(all);
        v.from = std::string(kObjectOwner) + "JOIN \"COL$\" c ON c.\"OBJ#\" = o.\"OBJ#\"";
        // A view's columns too, with the types its query gives them; TAB_COLUMNS leaves hidden columns out.
        v.where = all ? "o.\"TYPE#\" IN (2, 4)" : "o.\"TYPE#\" IN (2, 4) AND (c.\"PROPERTY\" & 32) = 0";
        v.ownerIdExpr = "o.\"OWNER#\"";
        v.objectIdExpr = "o.\"OBJ#\"";
        addTrio(out, v);
    }
}

// An identity column with its sequence and the options it was declared with, in Oracle's words.
void addIdentityColumns(std::vector<FixedObject>& out)
{
    const std::string yn = " THEN 'Y' ELSE 'N' END";
    const std::string options = "'START WITH: ' || ifnull(p.\"VALUE$\", q.\"HIGHWATER\") || "
                                "', INCREMENT BY: ' || q.\"INCREMENT$\" || ', MAX_VALUE: ' || q.\"MAXVALUE\" || "
                                "', MIN_VALUE: ' || q.\"MINVALUE\" || ', CYCLE_FLAG: ' || CASE WHEN q.\"CYCLE#\" <> 0"
        + yn + " || ', CACHE_SIZE: ' || CASE WHEN q.\"CACHE\" < 2 THEN 0 ELSE q.\"CACHE\" END || "
               "', ORDER_FLAG: ' || CASE WHEN q.\"ORDER$\" <> 0"
        + yn + " || ', SCALE_FLAG: N, EXTEND_FLAG: N, SESSION_FLAG: N, KEEP_VALUE: N'";
    ViewTrio v;
    v.suffix = "TAB_IDENTITY_COLS";
    v.cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "TABLE_NAME!", vc(128), "o.\"NAME\"" },
        { "COLUMN_NAME!", vc(128), "c.\"NAME\"" },
        { "GENERATION_TYPE", vc(10),
            "CASE WHEN (c.\"PROPERTY\" & 274877906944) <> 0 THEN 'ALWAYS' ELSE 'BY DEFAULT' END" },
        { "SEQUENCE_NAME!", vc(128), "s.\"NAME\"" }, { "IDENTITY_OPTIONS", vc(298), options } };
    v.from = std::string(kObjectOwner)
        + "JOIN \"COL$\" c ON c.\"OBJ#\" = o.\"OBJ#\" AND (c.\"PROPERTY\" & 137438953472) <> 0 "
          "JOIN \"OBJ$\" s ON s.\"OWNER#\" = o.\"OWNER#\" AND s.\"NAME\" = 'ISEQ$$_' || o.\"OBJ#\" "
          "AND s.\"TYPE#\" = 6 "
          "JOIN \"SEQ$\" q ON q.\"OBJ#\" = s.\"OBJ#\" "
          "LEFT JOIN \"PROPS$\" p ON p.\"NAME\" = 'IDENTITY_START.' || s.\"OBJ#\"";
    v.where = "o.\"TYPE#\" = 2";
    v.ownerIdExpr = "o.\"OWNER#\"";
    v.objectIdExpr = "o.\"OBJ#\"";
    addTrio(out, v);
}

void addComments(std::vector<FixedObject>& out)
{
    ViewTrio t;
    t.suffix = "TAB_COMMENTS";
    t.cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "TABLE_NAME!", vc(128), "o.\"NAME\"" },
        { "TABLE_TYPE", vc(11), "CASE o.\"TYPE#\" WHEN 2 THEN 'TABLE' ELSE 'VIEW' END" },
        { "COMMENTS", vc(4000), "m.\"COMMENT$\"" }, { "ORIGIN_CON_ID", num(), "0" } };
    t.from
        = std::string(kObjectOwner) + "LEFT JOIN \"COM$\" m ON m.\"OBJ#\" = o.\"OBJ#\" AND ifnull(m.\"COL#\", 0) = 0";
    t.where = "o.\"TYPE#\" IN (2, 4)";
    t.ownerIdExpr = "o.\"OWNER#\"";
    t.objectIdExpr = "o.\"OBJ#\"";
    addTrio(out, t);

    ViewTrio c = t;
    c.suffix = "COL_COMMENTS";
    c.cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "TABLE_NAME!", vc(128), "o.\"NAME\"" },
        { "COLUMN_NAME!", vc(128), "c.\"NAME\"" }, { "COMMENTS", vc(4000), "m.\"COMMENT$\"" },
        { "ORIGIN_CON_ID", num(), "0" } };
    c.from = std::string(kObjectOwner)
        + "JOIN \"COL$\" c ON c.\"OBJ#\" = o.\"OBJ#\" "
          "LEFT JOIN \"COM$\" m ON m.\"OBJ#\" = c.\"OBJ#\" AND ifnull(m.\"COL#\", 0) = c.\"COL#\"";
    c.where = "o.\"TYPE#\" IN (2, 4)";
    addTrio(out, c);
}

std::vector<Col> objectCols(const std::string& o, const std::string& owner, bool fixed)
{
    const auto N = num();
    const std::string type = o + ".\"TYPE#\"";
    auto when = [&](const std::string& real, const std::string& fixedValue) { return fixed ? fixedValue : real; };
    return { { "OWNER", vc(128), owner }, { "OBJECT_NAME", vc(128), o + ".\"NAME\"" },
        { "SUBOBJECT_NAME", vc(128), "" }, { "OBJECT_ID", N, o + ".\"OBJ#\"" },
        { "DATA_OBJECT_ID", N, "CASE WHEN " + type + " IN (1, 2) THEN " + o + ".\"OBJ#\" END" },
        { "OBJECT_TYPE", vc(23), objectTypeName(type) },
        { "CREATED!", date(), when(o + ".\"CTIME\"", "'2019-04-17 00:00:00'") },
        { "LAST_DDL_TIME!", date(), when(o + ".\"MTIME\"", "'2019-04-17 00:00:00'") },
        { "TIMESTAMP", vc(19), when(timestampText(o + ".\"STIME\""), "'2019-04-17:00:00:00'") },
        { "STATUS", vc(7), when("CASE " + o + ".\"STATUS\" WHEN 1 THEN 'VALID' ELSE 'INVALID' END", "'VALID'") },
        { "TEMPORARY", vc(1), "'N'" },
        { "GENERATED", vc(1),
            when("CASE WHEN " + type + " = 1 AND " + o + ".\"NAME\" GLOB 'SYS_C[0-9]*' THEN 'Y' ELSE 'N' END", "'N'") },
        { "SECONDARY", vc(1), "'N'" }, { "NAMESPACE", N, when(o + ".\"NAMESPACE\"", "1") },
        { "EDITION_NAME", vc(128), "" }, { "SHARING", vc(18), when("'NONE'", "'METADATA LINK'") },
        { "EDITIONABLE", vc(1),
            when("CASE WHEN " + type + " IN (4, 5, 7, 8, 9, 11, 12, 13, 14, 22) AND " + o
                    + ".\"OWNER#\" <> 1 THEN 'Y' END",
                "") },
        { "ORACLE_MAINTAINED", vc(1),
            when("CASE WHEN " + o + ".\"OWNER#\" IN (0, 1, 5) THEN 'Y' ELSE 'N' END", "'Y'") },
        { "APPLICATION", vc(1), "'N'" },
        { "DEFAULT_COLLATION", vc(100),
            "CASE WHEN " + type + " IN (2, 4, 7, 8, 9, 11, 12, 13, 14) THEN 'USING_NLS_COMP' END" },
        { "DUPLICATED", vc(1), "'N'" }, { "SHARDED", vc(1), "'N'" }, { "CREATED_APPID", N, "" },
        { "CREATED_VSNID", N, "" }, { "MODIFIED_APPID", N, "" }, { "MODIFIED_VSNID", N, "" } };
}

// OBJECTS: the catalog's objects, and SYS's fixed objects (for the ALL_ form those the session may read).
void addObjects(std::vector<FixedObject>& out)
{
    auto build = [&](const std::string& prefix, const std::string& realFilter, const std::string& fixedFilter,
                     bool withOwner) {
        std::vector<Col> cols = objectCols("o", "u.\"NAME\"", false);
        std::vector<Col> fixedCols = objectCols("f", "'SYS'", true);
        std::string second = "UNION ALL SELECT ";
        bool first = true;
        for (size_t i = 0; i < fixedCols.size(); ++i) {
            if (!withOwner && i == 0)
                continue;
            std::string name = fixedCols[i].name;
            if (name.back() == '!')
                name.pop_back();
            second += std::string(first ? "" : ", ") + (fixedCols[i].expr.empty() ? "NULL" : fixedCols[i].expr)
                + " AS \"" + name + "\"";
            first = false;
        }
        second += std::string(" FROM ") + kFixedObjectsToken + " f";
        if (!fixedFilter.empty())
            second += " WHERE " + fixedFilter;
        if (!withOwner)
            cols.erase(cols.begin());
        std::string from = std::string(kObjectOwner) + "WHERE o.\"TYPE#\" <> 10";
        if (!realFilter.empty())
            from += " AND (" + realFilter + ")";
        FixedObject obj = makeFixed(prefix + "OBJECTS", cols, from + " " + second,
            prefix == "DBA_" ? FixedAccess::Dictionary : FixedAccess::Public);
        out.push_back(std::move(obj));
    };
    build("DBA_", "", "", true);
    build("ALL_", std::string("o.\"OWNER#\" = ") + kSchemaId + " OR ORA_PRIV_SEE(o.\"OBJ#\") = 1",
        std::string("f.\"ACCESS\" = 0 OR ") + kDictionaryAccess + " = 1", true);
    build("USER_", std::string("o.\"OWNER#\" = ") + kSchemaId, std::string(kSchemaId) + " = 0", false);
}

} // namespace

void addObjectViews(std::vector<FixedObject>& out)
{
    addTables(out);
    addColumns(out);
    addIdentityColumns(out);
    addComments(out);
    addObjects(out);
}

} // namespace engine::dict::detail

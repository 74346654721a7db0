// The dictionary views of keys and indexes: CONSTRAINTS, CONS_COLUMNS, INDEXES, IND_COLUMNS. A NOT NULL column shows
// as a check constraint with the condition Oracle writes for it; a key's index carries the key's name.
#include "engine/dict/view_builder.h"

namespace engine::dict::detail {

namespace {

void addConstraints(std::vector<FixedObject>& out)
{
    const auto N = num();
    ViewTrio v;
    v.suffix = "CONSTRAINTS";
    v.cols = { { "OWNER", vc(128), "u.\"NAME\"" }, { "CONSTRAINT_NAME!", vc(128), "c.\"NAME\"" },
        { "CONSTRAINT_TYPE", vc(1), "CASE d.\"TYPE#\" WHEN 2 THEN 'P' WHEN 3 THEN 'U' WHEN 4 THEN 'R' ELSE 'C' END" },
        { "TABLE_NAME!", vc(128), "o.\"NAME\"" },
        { "SEARCH_CONDITION", longText(), "CASE WHEN d.\"TYPE#\" IN (1, 7) THEN d.\"CONDITION\" END" },
        { "SEARCH_CONDITION_VC", vc(4000),
            "CASE WHEN d.\"TYPE#\" IN (1, 7) THEN substr(d.\"CONDITION\", 1, 4000) END" },
        { "R_OWNER", vc(128), "ru.\"NAME\"" }, { "R_CONSTRAINT_NAME", vc(128), "rc.\"NAME\"" },
        { "DELETE_RULE", vc(9),
            "CASE WHEN d.\"TYPE#\" = 4 THEN CASE d.\"REFACT\" WHEN 1 THEN 'CASCADE' WHEN 2 THEN 'SET NULL' "
            "ELSE 'NO ACTION' END END" },
        { "STATUS", vc(8), "CASE WHEN d.\"ENABLED\" <> 0 THEN 'ENABLED' ELSE 'DISABLED' END" },
        { "DEFERRABLE", vc(14), "CASE WHEN (d.\"GENERATED\" & 2) <> 0 THEN 'DEFERRABLE' ELSE 'NOT DEFERRABLE' END" }, { "DEFERRED", vc(9), "'IMMEDIATE'" },
        { "VALIDATED", vc(13), "CASE WHEN d.\"VALIDATED\" <> 0 THEN 'VALIDATED' ELSE 'NOT VALIDATED' END" },
        { "GENERATED", vc(14), "CASE WHEN (d.\"GENERATED\" & 1) <> 0 THEN 'GENERATED NAME' ELSE 'USER NAME' END" },
        { "BAD", vc(3), "" }, { "RELY", vc(4), "" }, { "LAST_CHANGE", date(), "d.\"MTIME\"" },
        { "INDEX_OWNER", vc(128), "CASE WHEN io.\"OBJ#\" IS NOT NULL THEN u.\"NAME\" END" },
        { "INDEX_NAME", vc(128), "io.\"NAME\"" }, { "INVALID", vc(7), "" }, { "VIEW_RELATED", vc(14), "" },
        { "ORIGIN_CON_ID", N, "0" } };
    v.from = "FROM \"OBJ$\" o JOIN \"USER$\" u ON u.\"USER#\" = o.\"OWNER#\" "
             "JOIN \"CDEF$\" d ON d.\"OBJ#\" = o.\"OBJ#\" "
             "JOIN \"CON$\" c ON c.\"CON#\" = d.\"CON#\" "
             "LEFT JOIN \"CON$\" rc ON rc.\"CON#\" = d.\"RCON#\" "
             "LEFT JOIN \"USER$\" ru ON ru.\"USER#\" = rc.\"OWNER#\" "
             "LEFT JOIN \"OBJ$\" io ON io.\"OBJ#\" = d.\"ENABLED_IDX#\"";
    v.ownerIdExpr = "o.\"OWNER#\"";
    v.objectIdExpr = "o.\"OBJ#\"";
    v.userDrops = {};
    addTrio(out, v);

    ViewTrio k;
    k.suffix = "CONS_COLUMNS";
    k.cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "CONSTRAINT_NAME!", vc(128), "c.\"NAME\"" },
        { "TABLE_NAME!", vc(128), "o.\"NAME\"" }, { "COLUMN_NAME", vc(4000), "col.\"NAME\"" },
        { "POSITION", N, "CASE WHEN d.\"TYPE#\" IN (2, 3, 4) THEN cc.\"POS#\" END" } };
    k.from = "FROM \"CON$\" c JOIN \"USER$\" u ON u.\"USER#\" = c.\"OWNER#\" "
             "JOIN \"CDEF$\" d ON d.\"CON#\" = c.\"CON#\" "
             "JOIN \"OBJ$\" o ON o.\"OBJ#\" = d.\"OBJ#\" AND o.\"OWNER#\" = c.\"OWNER#\" "
             "JOIN \"CCOL$\" cc ON cc.\"CON#\" = c.\"CON#\" "
             "JOIN \"COL$\" col ON col.\"OBJ#\" = cc.\"OBJ#\" AND col.\"COL#\" = cc.\"COL#\"";
    k.ownerIdExpr = "c.\"OWNER#\"";
    k.objectIdExpr = "o.\"OBJ#\"";
    k.userDrops = {};
    addTrio(out, k);
}

void addIndexes(std::vector<FixedObject>& out)
{
    const auto N = num();
    const std::string keyOfIndex
        = "SELECT 1 FROM \"CDEF$\" x WHERE x.\"OBJ#\" = i.\"BO#\" AND x.\"ENABLED_IDX#\" = i.\"OBJ#\"";
    // An index over a virtual column (a function-based index's hidden SYS_NC...$ column too); COL$.PROPERTY 65536.
    const std::string functionBased = "EXISTS (SELECT 1 FROM \"ICOL$\" fc JOIN \"COL$\" fv ON fv.\"OBJ#\" = fc.\"BO#\" "
                                      "AND fv.\"COL#\" = fc.\"COL#\" WHERE fc.\"OBJ#\" = i.\"OBJ#\" "
                                      "AND (fv.\"PROPERTY\" & 65536) <> 0)";
    ViewTrio v;
    v.suffix = "INDEXES";
    v.cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "INDEX_NAME!", vc(128), "o.\"NAME\"" },
        { "INDEX_TYPE", vc(27), "CASE WHEN " + functionBased + " THEN 'FUNCTION-BASED NORMAL' ELSE 'NORMAL' END" }, { "TABLE_OWNER!", vc(128), "bu.\"NAME\"" },
        { "TABLE_NAME!", vc(128), "bo.\"NAME\"" }, { "TABLE_TYPE", vc(11), "'TABLE'" },
        // A deferrable key's index is non-unique in Oracle (CDEF$.GENERATED bit 2); the engine still checks the key
        // through a unique SQLite index, as the key is never deferred.
        { "UNIQUENESS", vc(9),
            "CASE WHEN (i.\"PROPERTY\" & 1) <> 0 AND NOT EXISTS (" + keyOfIndex
                + " AND (x.\"GENERATED\" & 2) <> 0) THEN 'UNIQUE' ELSE 'NONUNIQUE' END" },
        { "COMPRESSION", vc(13), "'DISABLED'" }, { "PREFIX_LENGTH", N, "" },
        { "TABLESPACE_NAME", vc(30), "ifnull(u.\"DEFAULT_TABLESPACE\", 'USERS')" }, { "INI_TRANS", N, "2" },
        { "MAX_TRANS", N, "255" }, { "INITIAL_EXTENT", N, "65536" }, { "NEXT_EXTENT", N, "1048576" },
        { "MIN_EXTENTS", N, "1" }, { "MAX_EXTENTS", N, "2147483645" }, { "PCT_INCREASE", N, "" },
        { "PCT_THRESHOLD", N, "" }, { "INCLUDE_COLUMN", N, "" }, { "FREELISTS", N, "" }, { "FREELIST_GROUPS", N, "" },
        { "PCT_FREE", N, "10" }, { "LOGGING", vc(3), "'YES'" }, { "BLEVEL", N, "" }, { "LEAF_BLOCKS", N, "" },
        { "DISTINCT_KEYS", N, "" }, { "AVG_LEAF_BLOCKS_PER_KEY", N, "" }, { "AVG_DATA_BLOCKS_PER_KEY", N, "" },
        { "CLUSTERING_FACTOR", N, "" }, { "STATUS", vc(8), "'VALID'" }, { "NUM_ROWS", N, "" }, { "SAMPLE_SIZE", N, "" },
        { "LAST_ANALYZED", date(), "" }, { "DEGREE", vc(40), "'1'" }, { "INSTANCES", vc(40), "'1'" },
        { "PARTITIONED", vc(3), "'NO'" }, { "TEMPORARY", vc(1), "'N'" },
        { "GENERATED", vc(1), "CASE WHEN o.\"NAME\" GLOB 'SYS_C[0-9]*' THEN 'Y' ELSE 'N' END" },
        { "SECONDARY", vc(1), "'N'" }, { "BUFFER_POOL", vc(7), "'DEFAULT'" }, { "FLASH_CACHE", vc(7), "'DEFAULT'" },
        { "CELL_FLASH_CACHE", vc(7), "'DEFAULT'" }, { "USER_STATS", vc(3), "'NO'" }, { "DURATION", vc(15), "" },
        { "PCT_DIRECT_ACCESS", N, "" }, { "ITYP_OWNER", vc(128), "" }, { "ITYP_NAME", vc(128), "" },
        { "PARAMETERS", vc(1000), "" }, { "GLOBAL_STATS", vc(3), "'NO'" }, { "DOMIDX_STATUS", vc(12), "" },
        { "DOMIDX_OPSTATUS", vc(6), "" }, { "FUNCIDX_STATUS", vc(8), "CASE WHEN " + functionBased + " THEN 'ENABLED' END" }, { "JOIN_INDEX", vc(3), "'NO'" },
        { "IOT_REDUNDANT_PKEY_ELIM", vc(3), "'NO'" }, { "DROPPED", vc(3), "'NO'" },
        { "VISIBILITY", vc(9), "'VISIBLE'" }, { "DOMIDX_MANAGEMENT", vc(14), "" },
        { "SEGMENT_CREATED", vc(3), "'YES'" }, { "ORPHANED_ENTRIES", vc(3), "'NO'" }, { "INDEXING", vc(7), "'FULL'" },
        { "AUTO", vc(3), "'NO'" },
        { "CONSTRAINT_INDEX", vc(3), "CASE WHEN EXISTS (" + keyOfIndex + ") THEN 'YES' ELSE 'NO' END" } };
    v.from = "FROM \"OBJ$\" bo JOIN \"USER$\" bu ON bu.\"USER#\" = bo.\"OWNER#\" "
             "JOIN \"IND$\" i ON i.\"BO#\" = bo.\"OBJ#\" "
             "JOIN \"OBJ$\" o ON o.\"OBJ#\" = i.\"OBJ#\" "
             "JOIN \"USER$\" u ON u.\"USER#\" = o.\"OWNER#\"";
    v.ownerIdExpr = "o.\"OWNER#\"";
    v.objectIdExpr = "i.\"BO#\"";
    addTrio(out, v);

    ViewTrio k;
    k.suffix = "IND_COLUMNS";
    k.cols = { { "INDEX_OWNER!", vc(128), "u.\"NAME\"" }, { "INDEX_NAME!", vc(128), "o.\"NAME\"" },
        { "TABLE_OWNER!", vc(128), "bu.\"NAME\"" }, { "TABLE_NAME!", vc(128), "bo.\"NAME\"" },
        { "COLUMN_NAME", vc(4000), "c.\"NAME\"" }, { "COLUMN_POSITION!", N, "ic.\"POS#\"" },
        { "COLUMN_LENGTH!", N, dataLength("c") }, { "CHAR_LENGTH", N, charLength("c") }, { "DESCEND", vc(4), "'ASC'" },
        { "COLLATED_COLUMN_ID", N, "" } };
    k.from = "FROM \"OBJ$\" o JOIN \"USER$\" u ON u.\"USER#\" = o.\"OWNER#\" "
             "JOIN \"ICOL$\" ic ON ic.\"OBJ#\" = o.\"OBJ#\" "
             "JOIN \"OBJ$\" bo ON bo.\"OBJ#\" = ic.\"BO#\" "
             "JOIN \"USER$\" bu ON bu.\"USER#\" = bo.\"OWNER#\" "
             "JOIN \"COL$\" c ON c.\"OBJ#\" = ic.\"BO#\" AND c.\"COL#\" = ic.\"COL#\"";
    k.where = "o.\"TYPE#\" = 1";
    k.ownerIdExpr = "o.\"OWNER#\"";
    k.objectIdExpr = "ic.\"BO#\"";
    k.userDrops = { "INDEX_OWNER", "TABLE_OWNER" };
    addTrio(out, k);

    // The expressions of function-based indexes: their hidden columns' expressions (COL$.PROPERTY 32 + 65536).
    ViewTrio x = k;
    x.suffix = "IND_EXPRESSIONS";
    x.cols = { { "INDEX_OWNER!", vc(128), "u.\"NAME\"" }, { "INDEX_NAME!", vc(128), "o.\"NAME\"" },
        { "TABLE_OWNER!", vc(128), "bu.\"NAME\"" }, { "TABLE_NAME!", vc(128), "bo.\"NAME\"" },
        { "COLUMN_EXPRESSION", longText(), "c.\"DEFAULT$\"" }, { "COLUMN_POSITION!", N, "ic.\"POS#\"" } };
    x.where = "o.\"TYPE#\" = 1 AND (c.\"PROPERTY\" & 65568) = 65568";
    addTrio(out, x);
}

} // namespace

void addConstraintViews(std::vector<FixedObject>& out)
{
    addConstraints(out);
    addIndexes(out);
}

} // namespace engine::dict::detail

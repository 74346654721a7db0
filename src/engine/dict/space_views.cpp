// Tablespaces, data files and free space. The engine keeps every schema in one database file; the tablespaces are
// names (SYSTEM, SYSAUX, TEMP, USERS and those users are given), and each permanent one is shown with one data file
// whose size is its share of the database file, by the tables it holds, plus a fixed reserve that is its free
// space. So DBA_DATA_FILES.BYTES is always the used space plus DBA_FREE_SPACE.BYTES, and BYTES = BLOCKS * 8192.
#include "engine/dict/view_builder.h"

namespace engine::dict::detail {

namespace {

constexpr int kReserveBlocks = 1280; // 10 MB free in every data file

// NAME, TS#, TEMP (1 for a temporary tablespace).
std::string tablespacesSql()
{
    return "(SELECT n.\"NAME\", CASE n.\"NAME\" WHEN 'SYSTEM' THEN 0 WHEN 'SYSAUX' THEN 1 WHEN 'TEMP' THEN 3 "
           "WHEN 'USERS' THEN 4 ELSE 4 + row_number() OVER (PARTITION BY n.\"NAME\" IN ('SYSTEM', 'SYSAUX', "
           "'TEMP', 'USERS') ORDER BY n.\"NAME\") END AS \"TS#\", min(n.\"TEMP\") AS \"TEMP\" FROM ("
           "SELECT 'SYSTEM' AS \"NAME\", 0 AS \"TEMP\" UNION ALL SELECT 'SYSAUX', 0 UNION ALL SELECT 'TEMP', 1 "
           "UNION ALL SELECT 'USERS', 0 "
           "UNION ALL SELECT \"DEFAULT_TABLESPACE\", 0 FROM \"USER$\" WHERE \"DEFAULT_TABLESPACE\" IS NOT NULL "
           "UNION ALL SELECT \"TEMPORARY_TABLESPACE\", 1 FROM \"USER$\" WHERE \"TEMPORARY_TABLESPACE\" IS NOT NULL"
           ") n GROUP BY n.\"NAME\")";
}

// The permanent tablespaces with their data file: NAME, TS#, FILE_ID, USED (blocks), FREE (blocks), FILE_NAME.
std::string dataFilesSql()
{
    const std::string weights
        = "SELECT t.\"NAME\", t.\"TS#\", (SELECT count(*) FROM \"OBJ$\" o JOIN \"USER$\" u ON u.\"USER#\" = "
          "o.\"OWNER#\" WHERE o.\"TYPE#\" = 2 AND ifnull(u.\"DEFAULT_TABLESPACE\", 'USERS') = t.\"NAME\") "
          "+ CASE t.\"NAME\" WHEN 'SYSTEM' THEN 20 WHEN 'SYSAUX' THEN 2 ELSE 0 END AS \"W\" FROM "
        + tablespacesSql() + " t WHERE t.\"TEMP\" = 0";
    const std::string totalBlocks = "((SELECT page_count FROM pragma_page_count()) * (SELECT page_size FROM "
                                    "pragma_page_size()) + 8191) / 8192";
    const std::string dir
        = "(SELECT rtrim(file, replace(file, '/', '')) FROM pragma_database_list WHERE name = 'main')";
    return "(SELECT w.\"NAME\", w.\"TS#\", w.\"TS#\" + 1 AS \"FILE_ID\", " + totalBlocks
        + " * w.\"W\" / (SELECT sum(x.\"W\") FROM (" + weights + ") x) AS \"USED\", " + std::to_string(kReserveBlocks)
        + " + CASE w.\"NAME\" WHEN 'SYSTEM' THEN ((SELECT freelist_count FROM "
          "pragma_freelist_count()) * (SELECT page_size FROM pragma_page_size())) / 8192 ELSE 0 END AS \"FREE\", "
        + dir + " || lower(w.\"NAME\") || '01.dbf' AS \"FILE_NAME\" FROM (" + weights + ") w)";
}

void addTablespaces(std::vector<FixedObject>& out)
{
    const auto N = num();
    std::vector<Col> cols = { { "TABLESPACE_NAME!", vc(30), "t.\"NAME\"" }, { "BLOCK_SIZE!", N, "8192" },
        { "INITIAL_EXTENT", N, "65536" }, { "NEXT_EXTENT", N, "CASE WHEN t.\"TEMP\" = 1 THEN 1048576 END" },
        { "MIN_EXTENTS!", N, "1" }, { "MAX_EXTENTS", N, "CASE WHEN t.\"TEMP\" = 0 THEN 2147483645 END" },
        { "MAX_SIZE", N, "2147483645" }, { "PCT_INCREASE", N, "CASE WHEN t.\"TEMP\" = 1 THEN 0 END" },
        { "MIN_EXTLEN", N, "CASE WHEN t.\"TEMP\" = 1 THEN 1048576 ELSE 65536 END" }, { "STATUS", vc(9), "'ONLINE'" },
        { "CONTENTS", vc(21), "CASE WHEN t.\"TEMP\" = 1 THEN 'TEMPORARY' ELSE 'PERMANENT' END" },
        { "LOGGING", vc(9), "CASE WHEN t.\"TEMP\" = 1 THEN 'NOLOGGING' ELSE 'LOGGING' END" },
        { "FORCE_LOGGING", vc(3), "'NO'" }, { "EXTENT_MANAGEMENT", vc(10), "'LOCAL'" },
        { "ALLOCATION_TYPE", vc(9), "CASE WHEN t.\"TEMP\" = 1 THEN 'UNIFORM' ELSE 'SYSTEM' END" },
        { "PLUGGED_IN", vc(3), "'NO'" },
        { "SEGMENT_SPACE_MANAGEMENT", vc(6),
            "CASE WHEN t.\"TEMP\" = 1 OR t.\"NAME\" = 'SYSTEM' THEN 'MANUAL' ELSE 'AUTO' END" },
        { "DEF_TAB_COMPRESSION", vc(8), "'DISABLED'" }, { "RETENTION", vc(11), "'NOT APPLY'" },
        { "BIGFILE", vc(3), "'NO'" }, { "PREDICATE_EVALUATION", vc(7), "'HOST'" }, { "ENCRYPTED", vc(3), "'NO'" },
        { "COMPRESS_FOR", vc(30), "" }, { "DEF_INMEMORY", vc(8), "'DISABLED'" }, { "DEF_INMEMORY_PRIORITY", vc(8), "" },
        { "DEF_INMEMORY_DISTRIBUTE", vc(15), "" }, { "DEF_INMEMORY_COMPRESSION", vc(17), "" },
        { "DEF_INMEMORY_DUPLICATE", vc(13), "" }, { "SHARED", vc(13), "'SHARED'" },
        { "DEF_INDEX_COMPRESSION", vc(8), "'DISABLED'" }, { "INDEX_COMPRESS_FOR", vc(13), "" },
        { "DEF_CELLMEMORY", vc(14), "" }, { "DEF_INMEMORY_SERVICE", vc(12), "" },
        { "DEF_INMEMORY_SERVICE_NAME", vc(1000), "" }, { "LOST_WRITE_PROTECT", vc(7), "'OFF'" },
        { "CHUNK_TABLESPACE", vc(1), "'N'" } };
    ViewTrio v;
    v.suffix = "TABLESPACES";
    v.cols = cols;
    v.from = "FROM " + tablespacesSql() + " t";
    v.ownerIdExpr = "0";
    v.objectIdExpr = "0";
    v.withAll = false;
    v.userDrops = { "PLUGGED_IN" };
    v.userFilter = "1";
    addTrio(out, v);

    const std::string files = dataFilesSql();
    out.push_back(makeFixed("DBA_DATA_FILES",
        { { "FILE_NAME", vc(513), "f.\"FILE_NAME\"" }, { "FILE_ID", N, "f.\"FILE_ID\"" },
            { "TABLESPACE_NAME", vc(30), "f.\"NAME\"" }, { "BYTES", N, "(f.\"USED\" + f.\"FREE\") * 8192" },
            { "BLOCKS", N, "f.\"USED\" + f.\"FREE\"" }, { "STATUS", vc(9), "'AVAILABLE'" },
            { "RELATIVE_FNO", N, "f.\"FILE_ID\"" }, { "AUTOEXTENSIBLE", vc(3), "'YES'" },
            { "MAXBYTES", N, "34359721984" }, { "MAXBLOCKS", N, "4194302" }, { "INCREMENT_BY", N, "1" },
            { "USER_BYTES", N, "(f.\"USED\" + f.\"FREE\" - 128) * 8192" },
            { "USER_BLOCKS", N, "f.\"USED\" + f.\"FREE\" - 128" },
            { "ONLINE_STATUS", vc(7), "CASE WHEN f.\"NAME\" = 'SYSTEM' THEN 'SYSTEM' ELSE 'ONLINE' END" },
            { "LOST_WRITE_PROTECT", vc(7), "'OFF'" } },
        "FROM " + files + " f", FixedAccess::Dictionary));
    const std::vector<Col> free = { { "TABLESPACE_NAME", vc(30), "f.\"NAME\"" }, { "FILE_ID", N, "f.\"FILE_ID\"" },
        { "BLOCK_ID", N, "f.\"USED\" + 1" }, { "BYTES", N, "f.\"FREE\" * 8192" }, { "BLOCKS", N, "f.\"FREE\"" },
        { "RELATIVE_FNO", N, "f.\"FILE_ID\"" } };
    out.push_back(makeFixed("DBA_FREE_SPACE", free, "FROM " + files + " f", FixedAccess::Dictionary));
    std::vector<Col> userFree = free;
    userFree.erase(userFree.begin() + 1);
    out.push_back(makeFixed("USER_FREE_SPACE", userFree, "FROM " + files + " f"));
}

} // namespace

void addSpaceViews(std::vector<FixedObject>& out)
{
    addTablespaces(out);
}

} // namespace engine::dict::detail

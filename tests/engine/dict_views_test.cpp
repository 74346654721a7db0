// The fixed objects of the dictionary: each answers SELECT * with Oracle's columns in Oracle's order and types, and
// who may read them.
#include "engine/dict/fixed.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"
#include "engine_fixture.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <sstream>

namespace {

using enginetest::EngineTest;

class DictViews : public EngineTest { };

std::vector<std::string> split(const std::string& s)
{
    std::istringstream in(s);
    std::vector<std::string> r;
    for (std::string w; in >> w;)
        r.push_back(w);
    return r;
}

std::vector<std::string> columnsOf(engine::Session& s, const std::string& view)
{
    std::vector<engine::Bind> none;
    engine::ExecResult r = s.execute("SELECT * FROM " + view, none);
    std::vector<std::string> names;
    for (const engine::ColumnDesc& c : r.cursor->columns())
        names.push_back(c.name);
    return names;
}

// Oracle Database 19c Reference: the columns of each view, in order. Where the view's list is long, the table
// gives its beginning (and the test checks that beginning).
struct ViewColumns {
    const char* view;
    const char* columns;
    bool complete;
};

const ViewColumns kViews[] = {
    { "ALL_TAB_COLUMNS",
        "OWNER TABLE_NAME COLUMN_NAME DATA_TYPE DATA_TYPE_MOD DATA_TYPE_OWNER DATA_LENGTH DATA_PRECISION DATA_SCALE "
        "NULLABLE COLUMN_ID DEFAULT_LENGTH DATA_DEFAULT NUM_DISTINCT LOW_VALUE HIGH_VALUE DENSITY NUM_NULLS "
        "NUM_BUCKETS "
        "LAST_ANALYZED SAMPLE_SIZE CHARACTER_SET_NAME CHAR_COL_DECL_LENGTH GLOBAL_STATS USER_STATS AVG_COL_LEN "
        "CHAR_LENGTH CHAR_USED V80_FMT_IMAGE DATA_UPGRADED HISTOGRAM DEFAULT_ON_NULL IDENTITY_COLUMN "
        "EVALUATION_EDITION UNUSABLE_BEFORE UNUSABLE_BEGINNING COLLATION",
        true },
    { "USER_TAB_COLUMNS", "TABLE_NAME COLUMN_NAME DATA_TYPE DATA_TYPE_MOD DATA_TYPE_OWNER DATA_LENGTH", false },
    { "ALL_TAB_COLS",
        "OWNER TABLE_NAME COLUMN_NAME DATA_TYPE DATA_TYPE_MOD DATA_TYPE_OWNER DATA_LENGTH DATA_PRECISION DATA_SCALE "
        "NULLABLE COLUMN_ID DEFAULT_LENGTH DATA_DEFAULT NUM_DISTINCT LOW_VALUE HIGH_VALUE DENSITY NUM_NULLS "
        "NUM_BUCKETS "
        "LAST_ANALYZED SAMPLE_SIZE CHARACTER_SET_NAME CHAR_COL_DECL_LENGTH GLOBAL_STATS USER_STATS AVG_COL_LEN "
        "CHAR_LENGTH CHAR_USED V80_FMT_IMAGE DATA_UPGRADED HIDDEN_COLUMN VIRTUAL_COLUMN SEGMENT_COLUMN_ID "
        "INTERNAL_COLUMN_ID HISTOGRAM QUALIFIED_COL_NAME USER_GENERATED DEFAULT_ON_NULL IDENTITY_COLUMN "
        "SENSITIVE_COLUMN EVALUATION_EDITION UNUSABLE_BEFORE UNUSABLE_BEGINNING COLLATION COLLATED_COLUMN_ID",
        true },
    { "ALL_TABLES",
        "OWNER TABLE_NAME TABLESPACE_NAME CLUSTER_NAME IOT_NAME STATUS PCT_FREE PCT_USED INI_TRANS MAX_TRANS "
        "INITIAL_EXTENT NEXT_EXTENT MIN_EXTENTS MAX_EXTENTS PCT_INCREASE FREELISTS FREELIST_GROUPS LOGGING BACKED_UP "
        "NUM_ROWS BLOCKS EMPTY_BLOCKS AVG_SPACE CHAIN_CNT AVG_ROW_LEN AVG_SPACE_FREELIST_BLOCKS NUM_FREELIST_BLOCKS "
        "DEGREE INSTANCES CACHE TABLE_LOCK SAMPLE_SIZE LAST_ANALYZED PARTITIONED IOT_TYPE TEMPORARY SECONDARY NESTED "
        "BUFFER_POOL",
        false },
    { "USER_TABLES", "TABLE_NAME TABLESPACE_NAME CLUSTER_NAME IOT_NAME STATUS", false },
    { "ALL_OBJECTS",
        "OWNER OBJECT_NAME SUBOBJECT_NAME OBJECT_ID DATA_OBJECT_ID OBJECT_TYPE CREATED LAST_DDL_TIME TIMESTAMP STATUS "
        "TEMPORARY GENERATED SECONDARY NAMESPACE EDITION_NAME SHARING EDITIONABLE ORACLE_MAINTAINED APPLICATION "
        "DEFAULT_COLLATION DUPLICATED SHARDED CREATED_APPID CREATED_VSNID MODIFIED_APPID MODIFIED_VSNID",
        true },
    { "USER_OBJECTS", "OBJECT_NAME SUBOBJECT_NAME OBJECT_ID DATA_OBJECT_ID OBJECT_TYPE CREATED", false },
    { "ALL_TAB_COMMENTS", "OWNER TABLE_NAME TABLE_TYPE COMMENTS ORIGIN_CON_ID", true },
    { "USER_TAB_COMMENTS", "TABLE_NAME TABLE_TYPE COMMENTS ORIGIN_CON_ID", true },
    { "ALL_COL_COMMENTS", "OWNER TABLE_NAME COLUMN_NAME COMMENTS ORIGIN_CON_ID", true },
    { "ALL_CONSTRAINTS",
        "OWNER CONSTRAINT_NAME CONSTRAINT_TYPE TABLE_NAME SEARCH_CONDITION SEARCH_CONDITION_VC R_OWNER "
        "R_CONSTRAINT_NAME DELETE_RULE STATUS DEFERRABLE DEFERRED VALIDATED GENERATED BAD RELY LAST_CHANGE INDEX_OWNER "
        "INDEX_NAME INVALID VIEW_RELATED ORIGIN_CON_ID",
        true },
    { "USER_CONSTRAINTS", "OWNER CONSTRAINT_NAME CONSTRAINT_TYPE TABLE_NAME", false },
    { "ALL_CONS_COLUMNS", "OWNER CONSTRAINT_NAME TABLE_NAME COLUMN_NAME POSITION", true },
    { "ALL_INDEXES", "OWNER INDEX_NAME INDEX_TYPE TABLE_OWNER TABLE_NAME TABLE_TYPE UNIQUENESS COMPRESSION", false },
    { "USER_INDEXES", "INDEX_NAME INDEX_TYPE TABLE_OWNER TABLE_NAME TABLE_TYPE UNIQUENESS", false },
    { "ALL_IND_COLUMNS",
        "INDEX_OWNER INDEX_NAME TABLE_OWNER TABLE_NAME COLUMN_NAME COLUMN_POSITION COLUMN_LENGTH CHAR_LENGTH DESCEND "
        "COLLATED_COLUMN_ID",
        true },
    { "USER_IND_COLUMNS",
        "INDEX_NAME TABLE_NAME COLUMN_NAME COLUMN_POSITION COLUMN_LENGTH CHAR_LENGTH DESCEND COLLATED_COLUMN_ID",
        true },
    { "ALL_SEQUENCES",
        "SEQUENCE_OWNER SEQUENCE_NAME MIN_VALUE MAX_VALUE INCREMENT_BY CYCLE_FLAG ORDER_FLAG CACHE_SIZE LAST_NUMBER "
        "SCALE_FLAG EXTEND_FLAG SHARDED_FLAG SESSION_FLAG KEEP_VALUE",
        true },
    { "USER_SEQUENCES", "SEQUENCE_NAME MIN_VALUE MAX_VALUE INCREMENT_BY", false },
    { "ALL_VIEWS", "OWNER VIEW_NAME TEXT_LENGTH TEXT TEXT_VC TYPE_TEXT_LENGTH TYPE_TEXT OID_TEXT_LENGTH OID_TEXT",
        false },
    { "ALL_SYNONYMS", "OWNER SYNONYM_NAME TABLE_OWNER TABLE_NAME DB_LINK ORIGIN_CON_ID", true },
    { "USER_SYNONYMS", "SYNONYM_NAME TABLE_OWNER TABLE_NAME DB_LINK ORIGIN_CON_ID", true },
    { "ALL_USERS", "USERNAME USER_ID CREATED COMMON ORACLE_MAINTAINED INHERITED DEFAULT_COLLATION IMPLICIT ALL_SHARD",
        true },
    { "DBA_USERS",
        "USERNAME USER_ID PASSWORD ACCOUNT_STATUS LOCK_DATE EXPIRY_DATE DEFAULT_TABLESPACE TEMPORARY_TABLESPACE "
        "LOCAL_TEMP_TABLESPACE CREATED PROFILE",
        false },
    { "ALL_DB_LINKS", "OWNER DB_LINK USERNAME HOST CREATED HIDDEN SHARD_INTERNAL VALID INTRA_CDB", true },
    { "USER_DB_LINKS", "DB_LINK USERNAME PASSWORD HOST CREATED HIDDEN SHARD_INTERNAL VALID INTRA_CDB", true },
    { "ALL_TAB_PRIVS", "GRANTOR GRANTEE TABLE_SCHEMA TABLE_NAME PRIVILEGE GRANTABLE HIERARCHY COMMON TYPE INHERITED",
        true },
    { "USER_TAB_PRIVS", "GRANTEE OWNER TABLE_NAME GRANTOR PRIVILEGE GRANTABLE HIERARCHY COMMON TYPE INHERITED", true },
    { "DBA_TAB_PRIVS", "GRANTEE OWNER TABLE_NAME GRANTOR PRIVILEGE GRANTABLE HIERARCHY COMMON TYPE INHERITED", true },
    { "DBA_SYS_PRIVS", "GRANTEE PRIVILEGE ADMIN_OPTION COMMON INHERITED", true },
    { "USER_SYS_PRIVS", "USERNAME PRIVILEGE ADMIN_OPTION COMMON INHERITED", true },
    { "DBA_ROLE_PRIVS", "GRANTEE GRANTED_ROLE ADMIN_OPTION DELEGATE_OPTION DEFAULT_ROLE COMMON INHERITED", true },
    { "USER_ROLE_PRIVS", "USERNAME GRANTED_ROLE ADMIN_OPTION DELEGATE_OPTION DEFAULT_ROLE COMMON INHERITED OS_GRANTED",
        true },
    { "DBA_ROLES",
        "ROLE ROLE_ID PASSWORD_REQUIRED AUTHENTICATION_TYPE COMMON ORACLE_MAINTAINED INHERITED IMPLICIT "
        "EXTERNAL_NAME",
        true },
    { "ALL_SOURCE", "OWNER NAME TYPE LINE TEXT ORIGIN_CON_ID", true },
    { "ALL_ERRORS", "OWNER NAME TYPE SEQUENCE LINE POSITION TEXT ATTRIBUTE MESSAGE_NUMBER", true },
    { "USER_ERRORS", "NAME TYPE SEQUENCE LINE POSITION TEXT ATTRIBUTE MESSAGE_NUMBER", true },
    { "ALL_DEPENDENCIES",
        "OWNER NAME TYPE REFERENCED_OWNER REFERENCED_NAME REFERENCED_TYPE REFERENCED_LINK_NAME DEPENDENCY_TYPE", true },
    { "USER_DEPENDENCIES",
        "NAME TYPE REFERENCED_OWNER REFERENCED_NAME REFERENCED_TYPE REFERENCED_LINK_NAME SCHEMAID DEPENDENCY_TYPE",
        true },
    { "ALL_TRIGGERS",
        "OWNER TRIGGER_NAME TRIGGER_TYPE TRIGGERING_EVENT TABLE_OWNER BASE_OBJECT_TYPE TABLE_NAME COLUMN_NAME "
        "REFERENCING_NAMES WHEN_CLAUSE STATUS DESCRIPTION ACTION_TYPE TRIGGER_BODY",
        false },
    { "ALL_ARGUMENTS",
        "OWNER OBJECT_NAME PACKAGE_NAME OBJECT_ID OVERLOAD SUBPROGRAM_ID ARGUMENT_NAME POSITION "
        "SEQUENCE DATA_LEVEL DATA_TYPE DEFAULTED DEFAULT_VALUE DEFAULT_LENGTH IN_OUT",
        false },
    { "ALL_PROCEDURES", "OWNER OBJECT_NAME PROCEDURE_NAME OBJECT_ID SUBPROGRAM_ID OVERLOAD OBJECT_TYPE", false },
    { "DBA_TABLESPACES",
        "TABLESPACE_NAME BLOCK_SIZE INITIAL_EXTENT NEXT_EXTENT MIN_EXTENTS MAX_EXTENTS MAX_SIZE "
        "PCT_INCREASE MIN_EXTLEN STATUS CONTENTS LOGGING",
        false },
    { "DBA_DATA_FILES",
        "FILE_NAME FILE_ID TABLESPACE_NAME BYTES BLOCKS STATUS RELATIVE_FNO AUTOEXTENSIBLE MAXBYTES "
        "MAXBLOCKS INCREMENT_BY USER_BYTES USER_BLOCKS ONLINE_STATUS LOST_WRITE_PROTECT",
        true },
    { "DBA_FREE_SPACE", "TABLESPACE_NAME FILE_ID BLOCK_ID BYTES BLOCKS RELATIVE_FNO", true },
    { "SYS.OBJ$", "OBJ# DATAOBJ# OWNER# NAME NAMESPACE SUBNAME TYPE# CTIME MTIME STIME STATUS", false },
    { "SYS.ERROR$", "OBJ# SEQUENCE# LINE POSITION# TEXTLENGTH TEXT", false },
    { "SYS.USER$", "USER# NAME TYPE# PASSWORD DATATS# TEMPTS# CTIME PTIME EXPTIME LTIME", false },
    { "SYS.SOURCE$", "OBJ# LINE SOURCE", true },
};

TEST_F(DictViews, ColumnsInOraclesOrder)
{
    auto s = logOn();
    for (const ViewColumns& v : kViews) {
        SCOPED_TRACE(v.view);
        std::vector<std::string> expected = split(v.columns);
        std::vector<std::string> got = columnsOf(*s, v.view);
        if (!v.complete && got.size() > expected.size())
            got.resize(expected.size());
        EXPECT_EQ(got, expected);
    }
}

// Every fixed object of the dictionary is a working query.
TEST_F(DictViews, EveryFixedObjectAnswersSelectStar)
{
    auto s = db->logOn("SYS", "CHANGE_ON_INSTALL", true);
    std::set<std::string> dictionary;
    for (const engine::dict::FixedObject& o : engine::dict::dictionaryFamily().objects)
        dictionary.insert(o.name);
    for (const engine::dict::NumberedFixedObject& o : engine::dict::fixedObjects()) {
        if (!dictionary.count(o.object->name))
            continue; // the dynamic performance views are tested with their family
        SCOPED_TRACE(o.object->name);
        std::vector<std::string> got;
        try {
            got = columnsOf(*s, o.object->owner + ".\"" + o.object->name + "\"");
        } catch (const engine::Error& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        ASSERT_EQ(got.size(), o.object->columns.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], o.object->columns[i].name);
    }
}

// Describe gives Oracle's types: names VARCHAR2(128), DATA_DEFAULT LONG, DATE columns, NOT NULL where Oracle has it.
TEST_F(DictViews, DescribeShapes)
{
    auto s = logOn();
    std::vector<engine::Bind> none;
    engine::ExecResult r
        = s->execute("SELECT owner, data_length, data_default, last_analyzed FROM all_tab_columns", none);
    const auto& c = r.cursor->columns();
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0].type, engine::OraType::Varchar2);
    EXPECT_EQ(c[0].size, 128);
    EXPECT_FALSE(c[0].nullable);
    EXPECT_EQ(c[1].type, engine::OraType::Number);
    EXPECT_EQ(c[2].type, engine::OraType::Long);
    EXPECT_EQ(c[3].type, engine::OraType::Date);
}

// Data files and free space agree: a file's bytes are its used blocks and its free blocks, 8 KB each, and the
// files together hold at least the database file.
TEST_F(DictViews, DataFilesAndFreeSpaceAreConsistent)
{
    auto s = logOn();
    EXPECT_EQ(one(*s, "SELECT count(*) FROM dba_data_files WHERE bytes <> blocks * 8192"), "0");
    EXPECT_EQ(one(*s,
                  "SELECT count(*) FROM dba_data_files d, dba_free_space f WHERE f.file_id = d.file_id"
                  " AND f.block_id + f.blocks - 1 <> d.blocks"),
        "0");
    EXPECT_EQ(one(*s, "SELECT count(*) FROM dba_data_files"),
        one(*s, "SELECT count(*) FROM dba_tablespaces WHERE contents = 'PERMANENT'"));
    const long long total = std::stoll(one(*s, "SELECT sum(bytes) FROM dba_data_files"));
    EXPECT_GE(total, static_cast<long long>(QFileInfo(QString::fromStdString(dir())).size()));
}

void one(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_int(ctx, 1);
}

// The plan SQLite makes for a query of a dictionary view, on a plain connection to the database file with the
// session's functions stood in for.
std::string planOf(const std::string& file, const std::string& view, const std::string& where)
{
    const engine::dict::NumberedFixedObject* o = engine::dict::findFixedObject("SYS", view);
    EXPECT_NE(o, nullptr);
    if (!o)
        return {};
    sqlite3* raw = nullptr;
    sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> conn(raw, sqlite3_close);
    sqlite3* db = conn.get();
    for (const char* f : { "ORA_DICT_SCHEMA_ID", "ORA_UID", "ORA_DICT_ACCESS" })
        sqlite3_create_function(db, f, 0, SQLITE_UTF8, nullptr, one, nullptr, nullptr);
    for (const char* f : { "ORA_PRIV_SEE", "ORA_PRIV_SYS", "ORA_PRIV_GRANTEE" })
        sqlite3_create_function(db, f, 1, SQLITE_UTF8, nullptr, one, nullptr, nullptr);
    std::string plan;
    {
        engine::storage::Stmt q(
            db, "EXPLAIN QUERY PLAN SELECT * FROM (" + engine::dict::fixedObjectSource(*o) + ") WHERE " + where);
        while (q.step())
            plan += q.text(3) + "\n";
    }
    return plan;
}

// The windows read ALL_TAB_COLUMNS, ALL_CONSTRAINTS, ALL_INDEXES ... for one owner's table: the catalog is read
// through its indexes, never scanned whole.
TEST_F(DictViews, FiltersOnOwnerAndNameUseTheCatalogsIndexes)
{
    auto s = logOn();
    const std::string file = dir() + "/" + engine::storage::kDataFileName;
    const struct {
        const char* view;
        const char* where;
    } cases[] = {
        { "ALL_TAB_COLUMNS", "OWNER = 'SYSTEM' AND TABLE_NAME = 'T'" },
        { "ALL_TABLES", "OWNER = 'SYSTEM' AND TABLE_NAME = 'T'" },
        { "ALL_OBJECTS", "OWNER = 'SYSTEM' AND OBJECT_NAME = 'T'" },
        { "ALL_CONSTRAINTS", "OWNER = 'SYSTEM' AND TABLE_NAME = 'T'" },
        { "ALL_CONS_COLUMNS", "OWNER = 'SYSTEM' AND CONSTRAINT_NAME = 'T'" },
        { "ALL_INDEXES", "TABLE_OWNER = 'SYSTEM' AND TABLE_NAME = 'T'" },
        { "ALL_IND_COLUMNS", "INDEX_OWNER = 'SYSTEM' AND INDEX_NAME = 'T'" },
        { "ALL_COL_COMMENTS", "OWNER = 'SYSTEM' AND TABLE_NAME = 'T'" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.view);
        const std::string plan = planOf(file, c.view, c.where);
        EXPECT_FALSE(plan.empty());
        for (const char* table : { "OBJ$", "COL$", "CDEF$", "CON$", "CCOL$", "ICOL$", "IND$" })
            EXPECT_EQ(plan.find(std::string("SCAN ") + table), std::string::npos) << plan;
        EXPECT_EQ(plan.find("SCAN o "), std::string::npos) << plan;
        EXPECT_EQ(plan.find("SCAN c "), std::string::npos) << plan;
        if (std::string(c.view) == "ALL_CONSTRAINTS") { // by the table, not through every constraint of the owner
            EXPECT_NE(plan.find("I_CDEF2"), std::string::npos) << plan;
        }
    }
}

} // namespace

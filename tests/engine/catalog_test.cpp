// The catalog in the shape of Oracle's base tables, read straight from the database file: what each DDL leaves
// in OBJ$, COL$, CON$/CDEF$/CCOL$, IND$, SEQ$, VIEW$, SYN$ and COM$, and that a failed DDL leaves nothing.
#include "engine_fixture.h"

#include <sqlite3.h>

using enginetest::EngineTest;

namespace {

class CatalogTest : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    sqlite3* file = nullptr;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        ASSERT_EQ(
            sqlite3_open_v2((dir() + "/database.sqlite").c_str(), &file, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    }
    void TearDown() override { sqlite3_close(file); }

    // Rows of a query on the file, values separated by one blank.
    std::vector<std::string> raw(const std::string& sql)
    {
        std::vector<std::string> out;
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(file, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(file);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            std::string line;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const unsigned char* t = sqlite3_column_text(st, i);
                line += (i ? " " : "") + std::string(t ? reinterpret_cast<const char*>(t) : "NULL");
            }
            out.push_back(line);
        }
        sqlite3_finalize(st);
        return out;
    }
};

} // namespace

TEST_F(CatalogTest, ObjectsCarryOraclesTypeNumbers)
{
    s->execute("CREATE TABLE t (id NUMBER(5) CONSTRAINT t_pk PRIMARY KEY, name VARCHAR2(20) NOT NULL, "
               "c CHAR(3) DEFAULT 'abc', d DATE, amount NUMBER(9,2) CONSTRAINT t_amount CHECK (amount >= 0))");
    s->execute("CREATE INDEX t_name ON t (name)");
    s->execute("CREATE SEQUENCE t_seq INCREMENT BY 2 CACHE 10");
    s->execute("CREATE VIEW t_v AS SELECT id FROM t");
    s->execute("CREATE SYNONYM t_s FOR t");
    s->execute("COMMENT ON TABLE t IS 'rows'");
    s->execute("COMMENT ON COLUMN t.name IS 'the name'");
    // OBJ$.TYPE#: 2 table, 1 index, 6 sequence, 4 view, 5 synonym; STATUS 1 is VALID.
    EXPECT_EQ(raw(R"(SELECT o."NAME", o."TYPE#", o."STATUS" FROM "OBJ$" o JOIN "USER$" u ON u."USER#" = o."OWNER#"
                     WHERE u."NAME" = 'SYSTEM' ORDER BY o."OBJ#")"),
        (std::vector<std::string> { "T 2 1", "T_PK 1 1", "T_NAME 1 1", "T_SEQ 6 1", "T_V 4 1", "T_S 5 1" }));
    // COL$: Oracle's type codes (2 NUMBER, 1 VARCHAR2, 96 CHAR, 12 DATE), lengths, precision, scale, NULL$, DEFAULT.
    EXPECT_EQ(raw(R"(SELECT "COL#", "NAME", "TYPE#", "LENGTH", "PRECISION#", "SCALE", "NULL$", "DEFAULT$" FROM "COL$"
                     WHERE "OBJ#" = (SELECT "OBJ#" FROM "OBJ$" WHERE "NAME" = 'T') ORDER BY "COL#")"),
        (std::vector<std::string> { "1 ID 2 22 5 0 1 NULL", "2 NAME 1 20 NULL NULL 1 NULL",
            "3 C 96 3 NULL NULL 0 'abc'", "4 D 12 7 NULL NULL 0 NULL", "5 AMOUNT 2 22 9 2 0 NULL" }));
    // CDEF$.TYPE#: 2 primary key, 7 NOT NULL, 1 check; the key's index is recorded.
    EXPECT_EQ(raw(R"(SELECT c."NAME" LIKE 'SYS_C%', d."TYPE#", d."CONDITION", d."ENABLED", d."VALIDATED",
                     d."ENABLED_IDX#" IS NOT NULL FROM "CON$" c JOIN "CDEF$" d ON d."CON#" = c."CON#" ORDER BY c."CON#")"),
        (std::vector<std::string> { "0 2 NULL 1 1 1", "1 7 \"NAME\" IS NOT NULL 1 1 0", "0 1 amount >= 0 1 1 0" }));
    EXPECT_EQ(raw(R"(SELECT "INCREMENT$", "CACHE", "HIGHWATER" FROM "SEQ$")"), (std::vector<std::string> { "2 10 1" }));
    EXPECT_EQ(raw(R"(SELECT "TEXT" FROM "VIEW$")"), (std::vector<std::string> { "SELECT id FROM t" }));
    EXPECT_EQ(raw(R"(SELECT "OWNER", "NAME" FROM "SYN$")"), (std::vector<std::string> { "SYSTEM T" }));
    EXPECT_EQ(raw(R"(SELECT ifnull("COL#", 0), "COMMENT$" FROM "COM$" ORDER BY 1)"),
        (std::vector<std::string> { "0 rows", "2 the name" }));
}

TEST_F(CatalogTest, FailedDdlLeavesNoTrace)
{
    s->execute("CREATE TABLE p (id NUMBER PRIMARY KEY)");
    auto before = raw(R"(SELECT count(*) FROM "OBJ$")");
    auto tables = raw("SELECT count(*) FROM sqlite_master WHERE type = 'table'");
    // The foreign key fails after the table, its columns and its primary key were written.
    EXPECT_EQ(errorOf(*s, "CREATE TABLE c (id NUMBER PRIMARY KEY, pid NUMBER REFERENCES nosuch)"), 942);
    EXPECT_EQ(raw(R"(SELECT count(*) FROM "OBJ$")"), before);
    EXPECT_EQ(raw("SELECT count(*) FROM sqlite_master WHERE type = 'table'"), tables);
    EXPECT_EQ(raw(R"(SELECT count(*) FROM "COL$" WHERE "NAME" = 'PID')"), (std::vector<std::string> { "0" }));
}

TEST_F(CatalogTest, DroppedTableInvalidatesItsViews)
{
    s->execute("CREATE TABLE t (a NUMBER)");
    s->execute("CREATE VIEW v AS SELECT a FROM t");
    s->execute("DROP TABLE t");
    EXPECT_EQ(raw(R"(SELECT "STATUS" FROM "OBJ$" WHERE "NAME" = 'V')"), (std::vector<std::string> { "5" }));
    EXPECT_NE(errorOf(*s, "SELECT * FROM v"), 0);
}

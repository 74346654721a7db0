// A table whose storage is damaged on disk: the database is closed, bytes of one of the table's pages (or an index's)
// are overwritten in the file, and the database is opened again. Reading the damaged block fails with ORA-01578
// (never a crash or a short result), ANALYZE ... VALIDATE STRUCTURE fails with ORA-01498 or ORA-01499, and
// DBMS_REPAIR.CHECK_OBJECT lists the block.
#include "engine/storage/database_state.h"
#include "engine_fixture.h"

#include <sqlite3.h>

#include <fstream>

namespace {

using enginetest::EngineTest;

class DamagedTable : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    std::string file() const { return dir() + "/" + engine::storage::kDataFileName; }

    // ACCT with 60 rows of about 900 bytes: a few rows to a page, so that a page holds rows in the middle.
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        s->execute("CREATE TABLE acct (id NUMBER CONSTRAINT acct_pk PRIMARY KEY, branch NUMBER, pad VARCHAR2(1000))");
        s->execute("CREATE INDEX acct_branch ON acct (branch)");
        s->execute(
            "INSERT INTO acct SELECT LEVEL, MOD(LEVEL, 5), RPAD('x', 900, 'y') FROM dual CONNECT BY LEVEL <= 60");
        s->execute("CREATE TABLE invalid_rows (owner_name VARCHAR2(30), table_name VARCHAR2(30), partition_name "
                   "VARCHAR2(30), subpartition_name VARCHAR2(30), head_rowid ROWID, analyze_timestamp DATE)");
        s->execute("COMMIT");
    }

    std::string objectNumber(const std::string& name)
    {
        return one(*s, "SELECT object_id FROM user_objects WHERE object_name = '" + name + "'");
    }

    void closeDatabase()
    {
        s.reset();
        db.reset();
    }
    void openDatabase()
    {
        db = engine::Database::open(dir());
        s = logOn();
    }

    // Runs SQL on the closed file with SQLite itself; the WAL is folded into the file first.
    template <typename Each> void onFile(const std::string& sql, Each each)
    {
        sqlite3* f = nullptr;
        ASSERT_EQ(sqlite3_open(file().c_str(), &f), SQLITE_OK);
        sqlite3_exec(f, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(f, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(f);
        while (sqlite3_step(st) == SQLITE_ROW)
            each(st);
        sqlite3_finalize(st);
        sqlite3_close(f);
    }

    // The leaf pages of a b-tree in key order, each with its number of cells.
    std::vector<std::pair<int64_t, int>> leaves(const std::string& tree)
    {
        std::vector<std::pair<int64_t, int>> out;
        onFile("SELECT pageno, ncell FROM dbstat WHERE name = '" + tree + "' AND pagetype = 'leaf' ORDER BY path",
            [&](sqlite3_stmt* st) { out.emplace_back(sqlite3_column_int64(st, 0), sqlite3_column_int(st, 1)); });
        return out;
    }

    // Overwrites the whole page with bytes no page has.
    void damagePage(int64_t page)
    {
        int pageSize = 0;
        onFile("PRAGMA page_size", [&](sqlite3_stmt* st) { pageSize = sqlite3_column_int(st, 0); });
        std::fstream f(file(), std::ios::in | std::ios::out | std::ios::binary);
        ASSERT_TRUE(f.good());
        f.seekp(static_cast<std::streamoff>((page - 1) * pageSize));
        const std::string junk(static_cast<size_t>(pageSize), '\xff');
        f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }

    // Damages the table's second leaf page and returns its number, with the number of rows before it.
    std::pair<int64_t, int> damageSecondLeaf()
    {
        const std::string table = "T" + objectNumber("ACCT");
        closeDatabase();
        auto pages = leaves(table);
        EXPECT_GE(pages.size(), 3u);
        if (pages.size() < 3)
            return { 0, 0 };
        damagePage(pages[1].first);
        openDatabase();
        return { pages[1].first, pages[0].second };
    }

    std::string errorText(const std::string& sql)
    {
        try {
            std::vector<engine::Bind> none;
            auto r = s->execute(sql, none);
            while (r.cursor && r.cursor->next()) { }
        } catch (const engine::Error& e) {
            return e.message();
        }
        return "no error";
    }
};

TEST_F(DamagedTable, ReadingTheDamagedBlockFailsWithOra01578NamingTheBlock)
{
    auto [page, before] = damageSecondLeaf();
    ASSERT_GT(page, 0);
    // Oracle: a scan that reaches a corrupt block fails with ORA-01578 and the data file's ORA-01110; it never
    // returns the rows it could read as if they were all.
    const std::string expected = "ORA-01578: ORACLE data block corrupted (file # 4, block # " + std::to_string(page)
        + ")\nORA-01110: data file 4: '";
    EXPECT_EQ(errorText("SELECT * FROM acct").rfind(expected, 0), 0u) << errorText("SELECT * FROM acct");
    EXPECT_EQ(errorOf(*s, "SELECT SUM(LENGTH(pad)) FROM acct"), 1578);
    EXPECT_EQ(errorOf(*s, "SELECT pad FROM acct WHERE id = " + std::to_string(before + 1)), 1578);
    EXPECT_EQ(errorOf(*s, "UPDATE acct SET branch = 0"), 1578);
    // The rows before the damaged block and those after it, reached through the key, are still there.
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM acct WHERE ROWNUM <= " + std::to_string(before)), std::to_string(before));
    EXPECT_EQ(errorOf(*s, "SELECT COUNT(*) FROM acct WHERE ROWNUM <= " + std::to_string(before + 1)), 1578);
    EXPECT_EQ(one(*s, "SELECT LENGTH(pad) FROM acct WHERE id = 60"), "900");
}

TEST_F(DamagedTable, ValidateStructureFailsWithBlockCheckFailure)
{
    ASSERT_GT(damageSecondLeaf().first, 0);
    // Oracle (ANALYZE ... VALIDATE STRUCTURE): a corrupt block of the table is ORA-01498, with or without CASCADE;
    // nothing goes into INVALID_ROWS, which lists rows, not blocks.
    EXPECT_EQ(errorOf(*s, "ANALYZE TABLE acct VALIDATE STRUCTURE"), 1498);
    EXPECT_EQ(errorOf(*s, "ANALYZE TABLE acct VALIDATE STRUCTURE CASCADE"), 1498);
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM invalid_rows"), "0");
}

TEST_F(DamagedTable, DamagedIndexIsFoundOnlyWithCascade)
{
    const std::string index = "I" + objectNumber("ACCT_BRANCH");
    closeDatabase();
    auto pages = leaves(index);
    ASSERT_FALSE(pages.empty());
    damagePage(pages.front().first);
    openDatabase();
    // Oracle: VALIDATE STRUCTURE checks the table's own blocks; CASCADE checks its indexes too.
    EXPECT_EQ(errorOf(*s, "ANALYZE TABLE acct VALIDATE STRUCTURE"), 0);
    EXPECT_EQ(errorOf(*s, "ANALYZE TABLE acct VALIDATE STRUCTURE CASCADE"), 1498);
}

TEST_F(DamagedTable, RowMissingFromAnIndexIsListedInInvalidRows)
{
    const std::string rowid = one(*s, "SELECT ROWID FROM acct WHERE id = 7");
    const std::string index = "I" + objectNumber("ACCT_BRANCH");
    const std::string table = "T" + objectNumber("ACCT");
    std::string create;
    closeDatabase();
    onFile("SELECT sql FROM sqlite_schema WHERE name = '" + index + "'",
        [&](sqlite3_stmt* st) { create = reinterpret_cast<const char*>(sqlite3_column_text(st, 0)); });
    ASSERT_FALSE(create.empty());
    // The index is built again without the row of ID 7 (a partial index), and its definition is then put back as
    // it was: the index lacks one row of its table.
    {
        sqlite3* f = nullptr;
        ASSERT_EQ(sqlite3_open(file().c_str(), &f), SQLITE_OK);
        std::string idColumn;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(
            f, ("SELECT name FROM pragma_table_info('" + table + "') WHERE cid = 1").c_str(), -1, &st, nullptr);
        if (sqlite3_step(st) == SQLITE_ROW)
            idColumn = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        ASSERT_FALSE(idColumn.empty());
        const std::string steps = "DROP INDEX \"" + index + "\"; " + create + " WHERE \"" + idColumn
            + "\" <> 7; PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = '" + create + "' WHERE name = '"
            + index + "'; PRAGMA writable_schema = OFF;";
        char* error = nullptr;
        ASSERT_EQ(sqlite3_exec(f, steps.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        int version = 0;
        sqlite3_prepare_v2(f, "PRAGMA schema_version", -1, &st, nullptr);
        if (sqlite3_step(st) == SQLITE_ROW)
            version = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        sqlite3_exec(f, ("PRAGMA schema_version = " + std::to_string(version + 1)).c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(f);
    }
    openDatabase();
    // Oracle: without CASCADE the index is not compared with the table; with it, the mismatch is ORA-01499 and the
    // row's ROWID is listed in INVALID_ROWS (or the INTO table) with the owner, the table and the time.
    EXPECT_EQ(errorOf(*s, "ANALYZE TABLE acct VALIDATE STRUCTURE"), 0);
    EXPECT_EQ(errorOf(*s, "ANALYZE TABLE acct VALIDATE STRUCTURE CASCADE"), 1499);
    EXPECT_EQ(rows(*s, "SELECT owner_name, table_name, partition_name, head_rowid FROM invalid_rows"),
        std::vector<std::string> { "SYSTEM ACCT NULL " + rowid });
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM invalid_rows WHERE analyze_timestamp > SYSDATE - 1"), "1");
    // The rows were committed with the statement, so a rollback keeps them.
    s->execute("ROLLBACK");
    EXPECT_EQ(one(*s, "SELECT COUNT(*) FROM invalid_rows"), "1");
}

TEST_F(DamagedTable, RepairPackageListsAndMarksTheDamagedBlock)
{
    auto [page, before] = damageSecondLeaf();
    ASSERT_GT(page, 0);
    (void)before;
    auto sys = db->logOn("SYS", "CHANGE_ON_INSTALL", false);
    sys->execute("BEGIN DBMS_REPAIR.ADMIN_TABLES('REPAIR_TABLE', DBMS_REPAIR.REPAIR_TABLE, DBMS_REPAIR.CREATE_ACTION, "
                 "'USERS'); END;");
    // Oracle (CHECK_OBJECT): each corrupt block of the object is a row of the repair table, not yet marked;
    // FIX_CORRUPT_BLOCKS marks the listed blocks once; a second call has nothing left to mark.
    auto run = [&](const std::string& call) {
        std::vector<engine::Bind> binds(1);
        binds[0].name = "N";
        binds[0].dir = engine::BindDir::Out;
        binds[0].type = engine::OraType::Number;
        sys->execute("DECLARE n BINARY_INTEGER; BEGIN " + call + " :n := n; END;", binds);
        return binds[0].value.toString();
    };
    EXPECT_EQ(run("DBMS_REPAIR.CHECK_OBJECT('SYSTEM', 'ACCT', corrupt_count => n);"), "1");
    EXPECT_EQ(run("DBMS_REPAIR.CHECK_OBJECT('SYSTEM', 'ACCT', corrupt_count => n);"), "1");
    EXPECT_EQ(rows(*sys,
                  "SELECT schema_name, object_name, block_id, relative_file_id, marked_corrupt FROM "
                  "sys.repair_table"),
        std::vector<std::string> { "SYSTEM ACCT " + std::to_string(page) + " 4 FALSE" });
    EXPECT_EQ(run("DBMS_REPAIR.CHECK_OBJECT('SYSTEM', 'ACCT_BRANCH', object_type => DBMS_REPAIR.INDEX_OBJECT, "
                  "corrupt_count => n);"),
        "0");
    EXPECT_EQ(run("DBMS_REPAIR.FIX_CORRUPT_BLOCKS('SYSTEM', 'ACCT', fix_count => n);"), "1");
    EXPECT_EQ(run("DBMS_REPAIR.FIX_CORRUPT_BLOCKS('SYSTEM', 'ACCT', fix_count => n);"), "0");
    EXPECT_EQ(one(*sys, "SELECT marked_corrupt FROM sys.repair_table"), "TRUE");
    // CHECK_OBJECT never changes the table: the block is as damaged as before.
    EXPECT_EQ(errorOf(*sys, "SELECT SUM(LENGTH(pad)) FROM system.acct"), 1578);
}

} // namespace

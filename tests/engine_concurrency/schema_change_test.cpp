// A connection whose statement is being prepared while another connection changes the schema. SQLite then reports
// "database schema has changed" (it prepared against a schema that was replaced before it could check it, and gave
// up after a retry); the engine prepares the statement again and runs it, as SQLite expects its callers to do.
// The other connection's DDL is made to land at exactly that moment, more often in a row than SQLite itself
// retries: from the authorizer, which SQLite calls while it prepares a statement.
#include "engine/storage/sqlite.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

class SchemaChange : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    sqlite3* ddl = nullptr;
    sqlite3* conn = nullptr;
    int changesLeft = 0; // DDL statements still to land during preparation

    void SetUp() override
    {
        const std::string file = tmp.filePath("x.sqlite").toStdString();
        ASSERT_EQ(sqlite3_open(file.c_str(), &ddl), SQLITE_OK);
        engine::storage::exec(ddl, "PRAGMA journal_mode = WAL; CREATE TABLE t (a, b); INSERT INTO t VALUES (1, 2)");
        ASSERT_EQ(sqlite3_open(file.c_str(), &conn), SQLITE_OK);
        sqlite3_set_authorizer(conn, authorize, this);
    }
    void TearDown() override
    {
        sqlite3_close(conn);
        sqlite3_close(ddl);
    }
    static int authorize(void* self, int, const char*, const char*, const char*, const char*)
    {
        auto* t = static_cast<SchemaChange*>(self);
        if (t->changesLeft > 0) {
            --t->changesLeft;
            sqlite3_exec(t->ddl, "CREATE TABLE x (a); DROP TABLE x", nullptr, nullptr, nullptr);
        }
        return SQLITE_OK;
    }
};

} // namespace

TEST_F(SchemaChange, AStatementPreparedWhileTheSchemaChangesIsPreparedAgain)
{
    struct Case {
        const char* name;
        std::function<std::string()> run;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "a statement prepared",
            [&] {
                engine::storage::Stmt q(conn, "SELECT b FROM t WHERE a = 1");
                return q.step() ? q.text(0) : std::string("no row");
            },
            "2" },
        { "a statement prepared before, run after",
            [&] {
                engine::storage::Stmt q(conn, "SELECT b FROM t WHERE a = 1");
                sqlite3_exec(ddl, "CREATE TABLE y (a); DROP TABLE y", nullptr, nullptr, nullptr);
                changesLeft = 60;
                return q.step() ? q.text(0) : std::string("no row");
            },
            "2" },
        { "statements run as a script",
            [&] {
                engine::storage::exec(conn, "INSERT INTO t VALUES (5, 6); DELETE FROM t WHERE a = 5");
                engine::storage::Stmt q(conn, "SELECT count(*) FROM t");
                return q.step() ? q.text(0) : std::string("no row");
            },
            "1" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        changesLeft = 60;
        try {
            EXPECT_EQ(c.run(), c.expected);
        } catch (const engine::Error& e) {
            ADD_FAILURE() << e.message();
        }
        changesLeft = 0;
    }
}

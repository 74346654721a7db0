// Who may see and do what: one table of users (owner, direct grantee, role and nested role holder, ANY privilege
// holder, unrelated user, DBA, SYSDBA) against the operations on another user's table, sequence and view, with the
// error Oracle gives for each (ORA-00942 / ORA-02289 for what the user may not see, ORA-01031 for what it may see
// but not do).
#include "engine_fixture.h"

#include <map>

namespace {

using enginetest::EngineTest;

class PrivilegeTable : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        auto sys = logOn();
        for (const char* sql : {
                 "CREATE USER owner1 IDENTIFIED BY pw",
                 "GRANT CREATE SESSION, CREATE TABLE, CREATE SEQUENCE, CREATE VIEW TO owner1",
                 "CREATE USER direct IDENTIFIED BY pw",
                 "CREATE USER viarole IDENTIFIED BY pw",
                 "CREATE USER nested IDENTIFIED BY pw",
                 "CREATE USER anyholder IDENTIFIED BY pw",
                 "CREATE USER nobody IDENTIFIED BY pw",
                 "CREATE USER dbauser IDENTIFIED BY pw",
                 "GRANT CREATE SESSION TO direct, viarole, nested, anyholder, nobody",
                 "GRANT DBA TO dbauser",
                 "GRANT SELECT ANY TABLE, SELECT ANY SEQUENCE TO anyholder",
                 "CREATE ROLE r1",
                 "CREATE ROLE r2",
                 "GRANT r1 TO r2",
                 "GRANT r1 TO viarole",
                 "GRANT r2 TO nested",
             })
            ASSERT_EQ(errorOf(*sys, sql), 0) << sql;
        auto owner = logOn("OWNER1", "PW");
        for (const char* sql : {
                 "CREATE TABLE t (n NUMBER)",
                 "INSERT INTO t VALUES (1)",
                 "CREATE TABLE t2 (n NUMBER)",
                 "CREATE SEQUENCE s",
                 "CREATE VIEW v AS SELECT n FROM t",
                 "COMMIT",
                 "GRANT SELECT, INSERT ON t TO direct",
                 "GRANT SELECT ON s TO direct",
                 "GRANT SELECT ON v TO direct",
                 "GRANT UPDATE, DELETE ON t TO r1",
                 "GRANT SELECT ON t2 TO PUBLIC",
             })
            ASSERT_EQ(errorOf(*owner, sql), 0) << sql;
        for (const char* user : { "OWNER1", "DIRECT", "VIAROLE", "NESTED", "ANYHOLDER", "NOBODY", "DBAUSER", "SYS" })
            ASSERT_EQ(errorOf(*owner, std::string("CREATE TABLE d_") + user + " (n NUMBER)"), 0);
    }
};

struct Row {
    const char* user;
    std::map<std::string, int> expected; // operation -> ORA code, 0 for success
};

// The statements of each operation, run in the order of their names; $U and $S are the user's name, so each user's
// objects (its column, index, table to drop) are its own. "alter" runs before "index", which uses the column.
const std::map<std::string, std::string> kOperations = {
    { "select", "SELECT count(*) FROM owner1.t" },
    { "insert", "INSERT INTO owner1.t (n) VALUES (9)" },
    { "update", "UPDATE owner1.t SET n = n" },
    { "updwhere", "UPDATE owner1.t SET n = n WHERE n = 1" },
    { "delete", "DELETE FROM owner1.t WHERE 1 = 0" },
    { "lock", "LOCK TABLE owner1.t IN SHARE MODE NOWAIT" },
    { "alter", "ALTER TABLE owner1.t ADD (x_$U NUMBER)" },
    { "index", "CREATE INDEX $S.i_$U ON owner1.t (n, x_$U)" },
    { "drop", "DROP TABLE owner1.d_$U" },
    { "nextval", "SELECT owner1.s.NEXTVAL FROM dual" },
    { "view", "SELECT count(*) FROM owner1.v" },
    { "public", "SELECT count(*) FROM owner1.t2" },
    { "inspublic", "INSERT INTO owner1.t2 VALUES (1)" },
};

TEST_F(PrivilegeTable, WhoMaySeeAndDoWhat)
{
    // DELETE with a WHERE reads the rows too: it needs SELECT besides DELETE (SQL92_SECURITY, Oracle's default).
    const std::vector<Row> table = {
        { "OWNER1",
            { { "select", 0 }, { "insert", 0 }, { "update", 0 }, { "updwhere", 0 }, { "delete", 0 }, { "lock", 0 },
                { "alter", 0 }, { "index", 0 }, { "drop", 0 }, { "nextval", 0 }, { "view", 0 }, { "public", 0 },
                { "inspublic", 0 } } },
        // SELECT and INSERT on T, SELECT on S and V, granted to the user itself.
        { "DIRECT",
            { { "select", 0 }, { "insert", 0 }, { "update", 1031 }, { "updwhere", 1031 }, { "delete", 1031 },
                { "lock", 0 }, { "alter", 1031 }, { "index", 1031 }, { "drop", 942 }, { "nextval", 0 },
                { "view", 0 }, { "public", 0 }, { "inspublic", 1031 } } },
        // UPDATE and DELETE on T through the role R1.
        { "VIAROLE",
            { { "select", 1031 }, { "insert", 1031 }, { "update", 0 }, { "updwhere", 1031 }, { "delete", 1031 },
                { "lock", 0 }, { "alter", 1031 }, { "index", 1031 }, { "drop", 942 }, { "nextval", 2289 },
                { "view", 942 }, { "public", 0 }, { "inspublic", 1031 } } },
        // The same through R2, which holds R1.
        { "NESTED",
            { { "select", 1031 }, { "insert", 1031 }, { "update", 0 }, { "updwhere", 1031 }, { "delete", 1031 },
                { "lock", 0 }, { "alter", 1031 }, { "index", 1031 }, { "drop", 942 }, { "nextval", 2289 },
                { "view", 942 }, { "public", 0 }, { "inspublic", 1031 } } },
        // SELECT ANY TABLE and SELECT ANY SEQUENCE: everything is visible, only reading is allowed.
        { "ANYHOLDER",
            { { "select", 0 }, { "insert", 1031 }, { "update", 1031 }, { "updwhere", 1031 }, { "delete", 1031 },
                { "lock", 1031 }, { "alter", 1031 }, { "index", 1031 }, { "drop", 1031 }, { "nextval", 0 },
                { "view", 0 }, { "public", 0 }, { "inspublic", 1031 } } },
        // Only CREATE SESSION: nothing of OWNER1's is visible but what PUBLIC may read.
        { "NOBODY",
            { { "select", 942 }, { "insert", 942 }, { "update", 942 }, { "updwhere", 942 }, { "delete", 942 },
                { "lock", 942 }, { "alter", 942 }, { "index", 942 }, { "drop", 942 }, { "nextval", 2289 },
                { "view", 942 }, { "public", 0 }, { "inspublic", 1031 } } },
        { "DBAUSER",
            { { "select", 0 }, { "insert", 0 }, { "update", 0 }, { "updwhere", 0 }, { "delete", 0 }, { "lock", 0 },
                { "alter", 0 }, { "index", 0 }, { "drop", 0 }, { "nextval", 0 }, { "view", 0 }, { "public", 0 },
                { "inspublic", 0 } } },
        { "SYS",
            { { "select", 0 }, { "insert", 0 }, { "update", 0 }, { "updwhere", 0 }, { "delete", 0 }, { "lock", 0 },
                { "alter", 0 }, { "index", 0 }, { "drop", 0 }, { "nextval", 0 }, { "view", 0 }, { "public", 0 },
                { "inspublic", 0 } } },
    };
    for (const Row& row : table) {
        const std::string user = row.user;
        auto s = user == "SYS" ? db->logOn("SYS", "CHANGE_ON_INSTALL", true) : logOn(user, "PW");
        for (const auto& [operation, code] : row.expected) {
            std::string sql = kOperations.at(operation);
            for (auto [from, to] : { std::pair<std::string, std::string> { "$U", user }, { "$S", user } }) {
                for (size_t at = sql.find(from); at != std::string::npos; at = sql.find(from))
                    sql.replace(at, from.size(), to);
            }
            SCOPED_TRACE(user + " " + operation + ": " + sql);
            EXPECT_EQ(errorOf(*s, sql), code);
            errorOf(*s, "ROLLBACK");
        }
    }
}

} // namespace

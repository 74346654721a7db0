// Databases: create, open, the lock file that makes one process the owner, damaged files, users and logon.
#include "engine/storage/database_state.h"
#include "engine_fixture.h"

#include <QFile>

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

using enginetest::codeOf;
using enginetest::EngineTest;

TEST_F(EngineTest, NewDatabaseHasSysAndSystemWithOraclesOldDefaultPasswords)
{
    // Oracle's old defaults: SYS/CHANGE_ON_INSTALL (SYSDBA) and SYSTEM/MANAGER.
    EXPECT_EQ(db->logOn("SYS", "CHANGE_ON_INSTALL", true)->user(), "SYS");
    EXPECT_EQ(db->logOn("system", "manager", false)->user(), "SYSTEM");
}

TEST_F(EngineTest, LogonErrorsAreOracles)
{
    struct Case {
        const char* name;
        const char* user;
        const char* password;
        bool sysdba;
        int code;
    };
    const Case cases[] = {
        { "wrong password", "SYSTEM", "nope", false, 1017 },
        { "unknown user", "NOBODY", "x", false, 1017 },
        { "role PUBLIC cannot log on", "PUBLIC", "", false, 1017 },
        { "SYSDBA without the privilege", "SYSTEM", "MANAGER", true, 1031 },
        { "password case does not matter (sec_case_sensitive_logon = FALSE)", "SYSTEM", "MaNaGeR", false, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(codeOf([&] { db->logOn(c.user, c.password, c.sysdba); }), c.code);
    }
    try {
        db->logOn("SYSTEM", "bad", false);
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.message(), "ORA-01017: invalid username/password; logon denied");
    }
}

TEST_F(EngineTest, SysdbaLogonIsSys)
{
    auto s = db->logOn("sys", "change_on_install", true);
    EXPECT_EQ(s->user(), "SYS");
    EXPECT_EQ(s->currentSchema(), "SYS");
}

TEST_F(EngineTest, CreateAlterDropUser)
{
    auto sys = logOn();
    sys->execute("CREATE USER scott IDENTIFIED BY tiger");
    sys->execute("GRANT CREATE SESSION, CREATE TABLE TO scott");
    EXPECT_EQ(logOn("SCOTT", "TIGER")->user(), "SCOTT");
    EXPECT_EQ(errorOf(*sys, "CREATE USER scott IDENTIFIED BY x"), 1920);
    sys->execute("ALTER USER scott IDENTIFIED BY lion");
    EXPECT_EQ(codeOf([&] { logOn("SCOTT", "TIGER"); }), 1017);
    EXPECT_EQ(logOn("SCOTT", "lion")->user(), "SCOTT");
    sys->execute("ALTER USER scott ACCOUNT LOCK");
    EXPECT_EQ(codeOf([&] { logOn("SCOTT", "LION"); }), 28000);
    sys->execute("ALTER USER scott ACCOUNT UNLOCK");
    {
        auto scott = logOn("SCOTT", "LION");
        scott->execute("CREATE TABLE t (a NUMBER)");
        // A connected user cannot be dropped (ORA-01940).
        EXPECT_EQ(errorOf(*sys, "DROP USER scott CASCADE"), 1940);
    }
    // A user owning objects needs CASCADE (ORA-01922).
    EXPECT_EQ(errorOf(*sys, "DROP USER scott"), 1922);
    sys->execute("DROP USER scott CASCADE");
    EXPECT_EQ(codeOf([&] { logOn("SCOTT", "LION"); }), 1017);
    EXPECT_EQ(errorOf(*sys, "DROP USER scott"), 1918);
    EXPECT_EQ(errorOf(*sys, "SELECT * FROM scott.t"), 942);
}

TEST_F(EngineTest, OpenGivesTheSameDatabaseWithinAProcess)
{
    EXPECT_EQ(engine::Database::open(dir()).get(), db.get());
}

TEST_F(EngineTest, CreateRefusesAnExistingDatabase)
{
    EXPECT_EQ(codeOf([&] { engine::Database::create(dir()); }), 1501);
}

TEST_F(EngineTest, OpenOfADirectoryWithoutDatabaseFails)
{
    EXPECT_EQ(codeOf([&] { engine::Database::open(tmp.filePath("none").toStdString()); }), 12154);
}

TEST_F(EngineTest, AnotherProcessCannotOpenAnOwnedDatabase)
{
    // The child tries to open while this process owns the database; it reports the error code through its exit.
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int code = codeOf([&] { engine::Database::open(dir()); });
        _exit(code == 1102 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(EngineTest, LockOfADeadProcessIsTakenOver)
{
    db.reset();
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        auto mine = engine::Database::open(dir());
        raise(SIGKILL);
        _exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_TRUE(QFile::exists(tmp.filePath("db/database.lock")));
    db = engine::Database::open(dir());
    EXPECT_EQ(logOn()->user(), "SYSTEM");
}

TEST_F(EngineTest, DamagedFileGivesAClearError)
{
    db.reset();
    QFile f(tmp.filePath("db/database.sqlite"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.write("this is not a database at all, just some bytes");
    f.close();
    try {
        engine::Database::open(dir());
        FAIL() << "a damaged file opened";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 1122);
        EXPECT_NE(e.message().find("database file 1 failed verification check"), std::string::npos);
    }
}

// A file that an engine of another catalog version made is refused with a clear error rather than run with part of
// its catalog missing.
TEST_F(EngineTest, FileOfAnotherCatalogVersionIsRefused)
{
    db.reset();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(tmp.filePath("db/database.sqlite").toUtf8().constData(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, R"(UPDATE "PROPS$" SET "VALUE$" = '1' WHERE "NAME" = 'CATALOG_VERSION')", nullptr,
                  nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(raw);
    try {
        engine::Database::open(dir());
        FAIL() << "a file of another catalog version opened";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 1122);
        EXPECT_NE(e.message().find("catalog version 1 is not supported"), std::string::npos) << e.message();
    }
}

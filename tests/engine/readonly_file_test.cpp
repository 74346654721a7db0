// A database whose file the process may read but not write: it opens and answers queries, and every change is
// refused with Oracle's error for a database open read-only (ORA-16000), never an internal error. Run in a child
// process that, when the tests run as root (whom file modes do not stop), takes an ordinary user's identity first.
#include "child_process.h"
#include "engine/engine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using enginetest::runInChild;

constexpr uid_t kNobody = 65534;

// Gives the database's files to an ordinary user and becomes that user, when running as root.
bool becomeOrdinaryUser(const std::string& root)
{
    if (::geteuid() != 0)
        return true;
    namespace fs = std::filesystem;
    std::error_code ec;
    if (::chown(root.c_str(), kNobody, kNobody) != 0)
        return false;
    for (const auto& e : fs::recursive_directory_iterator(root, ec))
        if (::chown(e.path().c_str(), kNobody, kNobody) != 0)
            return false;
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

std::string errorCode(engine::Session& s, const std::string& sql)
{
    try {
        std::vector<engine::Bind> none;
        s.execute(sql, none);
    } catch (const engine::Error& e) {
        return e.message().substr(0, 9);
    }
    return "ok";
}

// Oracle: a database open read-only answers queries; DML and DDL fail with ORA-16000.
TEST(ReadOnlyFile, ChangesAreRefusedClearly)
{
    QTemporaryDir tmp;
    const std::string root = tmp.path().toStdString();
    const std::string dir = root + "/db";
    {
        auto db = engine::Database::create(dir);
        auto s = db->logOn("SYSTEM", "MANAGER", false);
        s->execute("CREATE TABLE ro_t (n NUMBER)");
        s->execute("INSERT INTO ro_t VALUES (1)");
        s->execute("COMMIT");
    }
    auto out = runInChild([&]() -> std::string {
        if (!becomeOrdinaryUser(root))
            return "cannot take an ordinary user's identity";
        if (::chmod((dir + "/database.sqlite").c_str(), 0400) != 0)
            return "cannot make the file read-only";
        auto db = engine::Database::open(dir);
        auto s = db->logOn("SYSTEM", "MANAGER", false);
        std::string r = errorCode(*s, "SELECT n FROM ro_t");
        for (const char* sql : { "INSERT INTO ro_t VALUES (2)", "UPDATE ro_t SET n = 3", "DELETE FROM ro_t",
                 "CREATE TABLE ro_u (n NUMBER)", "BEGIN INSERT INTO ro_t VALUES (4); END;" })
            r += " " + errorCode(*s, sql);
        r += " " + errorCode(*s, "SELECT COUNT(*) FROM ro_t");
        return r;
    });
    ASSERT_TRUE(out.exitedNormally) << "signal " << out.signal << ": " << out.output;
    EXPECT_EQ(out.output, "ok ORA-16000 ORA-16000 ORA-16000 ORA-16000 ORA-16000 ok");
}

} // namespace

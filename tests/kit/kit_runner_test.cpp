// Running the kit: its files, the place of a failing statement, CONNECT inside a script, stopping and failing
// creations that leave nothing behind, and template copies that do not share their data.
#include "engine/kit/script.h"
#include "kit_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace kittest;
using engine::kit::KitError;

namespace {

TEST(KitFiles, RunInTheOrderOfTheirNamesAndSplitWhole)
{
    auto files = engine::kit::kitFiles();
    ASSERT_FALSE(files.empty());
    QRegularExpression named(QStringLiteral("^[0-9]{2}_[a-z0-9_]+\\.sql$"));
    std::string previous;
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        EXPECT_TRUE(named.match(QString::fromStdString(f.name)).hasMatch());
        EXPECT_LT(previous, f.name);
        previous = f.name;
        auto split = engine::kit::splitScript(f.text);
        EXPECT_TRUE(split.ok()) << split.error << " at line " << split.errorLine;
        EXPECT_FALSE(split.statements.empty());
    }
}

// A small database of a test's own, with one user besides SYSTEM.
class KitScriptRun : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    std::shared_ptr<engine::Database> db;
    std::unique_ptr<engine::Session> system;

    void SetUp() override
    {
        db = engine::Database::create(tmp.filePath("small").toStdString());
        system = db->logOn("SYSTEM", "MANAGER");
        system->execute("create user owner1 identified by owner1");
        system->execute("grant connect, resource, unlimited tablespace to owner1");
    }

    // The error a script fails with; fails the test when it succeeds.
    KitError failure(const std::string& script)
    {
        try {
            engine::kit::runScript(*system, "test.sql", script);
        } catch (const KitError& e) {
            return e;
        }
        ADD_FAILURE() << "the script ran";
        return KitError(engine::oraError(0, "none"), "", 0);
    }
};

TEST_F(KitScriptRun, NamesTheFileAndLineOfTheFailingStatement)
{
    struct Case {
        const char* name;
        const char* script;
        int code;
        int line;
    };
    const std::vector<Case> cases = {
        { "a missing table on the fourth line", "insert into t1 values (1);\n\n\ninsert into nosuch values (1);\n", 942,
            4 },
        { "the offending token's line inside a statement", "select a,\n  nosuchcol\n from t1;\n", 904, 2 },
        { "a text that cannot be split", "select 1 from dual;\nselect 'open\n", 900, 2 },
        { "a CONNECT with a wrong password", "select 1 from dual;\nCONNECT owner1/wrong\n", 1017, 2 },
    };
    system->execute("create table t1 (a number)");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KitError e = failure(c.script);
        EXPECT_EQ(e.code(), c.code) << e.message();
        EXPECT_EQ(e.file(), "test.sql");
        EXPECT_EQ(e.line(), c.line);
        EXPECT_NE(e.message().find("(test.sql, line " + std::to_string(c.line) + ")"), std::string::npos)
            << e.message();
        EXPECT_EQ(e.message().rfind(e.cause(), 0), 0u) << "the engine's message comes first";
    }
}

TEST_F(KitScriptRun, AFailedScriptKeepsNoneOfItsUncommittedRows)
{
    system->execute("create table t2 (a number)");
    failure("insert into t2 values (1);\ninsert into t2 values (2);\ninsert into t2 values ('x');\n");
    EXPECT_EQ(first(*system, "select count(*) from t2"), "0");
    engine::kit::runScript(*system, "ok.sql", "insert into t2 values (1);\ninsert into t2 values (2);\n");
    auto other = db->logOn("SYSTEM", "MANAGER");
    EXPECT_EQ(first(*other, "select count(*) from t2"), "2") << "a script that ran is committed";
}

TEST_F(KitScriptRun, ConnectRunsTheRestOfTheFileAsThatUser)
{
    engine::kit::runScript(*system, "owned.sql",
        "create table system_t (a number);\nCONNECT owner1/owner1\ncreate table own_t (a varchar2(30));\n"
        "insert into own_t values (user);\n");
    EXPECT_EQ(first(*system, "select owner from all_tables where table_name = 'OWN_T'"), "OWNER1");
    EXPECT_EQ(first(*system, "select owner from all_tables where table_name = 'SYSTEM_T'"), "SYSTEM");
    EXPECT_EQ(system->user(), "SYSTEM") << "the caller's session is left as it was";
}

TEST(KitCreate, StoppingOrFailingLeavesNoDatabaseBehind)
{
    QTemporaryDir tmp;
    std::string dir = tmp.filePath("stopped").toStdString();
    std::vector<std::string> seen;
    try {
        engine::kit::createDemoDatabase(dir, [&](const std::string& file, int done, int total) {
            EXPECT_EQ(done, static_cast<int>(seen.size()));
            EXPECT_EQ(total, static_cast<int>(engine::kit::kitFiles().size()));
            seen.push_back(file);
            return done < 2;
        });
        ADD_FAILURE() << "the creation did not stop";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 1013);
    }
    auto files = engine::kit::kitFiles();
    ASSERT_EQ(seen.size(), 3u);
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], files[i].name);
    EXPECT_FALSE(engine::Database::exists(dir));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir))) << "the directory it made is gone too";

    // A directory that already holds a database is refused and keeps it.
    std::string existing = tmp.filePath("existing").toStdString();
    engine::Database::create(existing)->logOn("SYSTEM", "MANAGER")->execute("create table keep_me (a number)");
    try {
        engine::kit::createDemoDatabase(existing);
        ADD_FAILURE() << "a second database was made in the same directory";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 1501);
    }
    auto s = engine::Database::open(existing)->logOn("SYSTEM", "MANAGER");
    EXPECT_EQ(first(*s, "select count(*) from keep_me"), "0");
}

TEST(KitTemplate, CopiesAreFreshAndIndependent)
{
    QTemporaryDir tmp;
    std::string a = tmp.filePath("a").toStdString();
    std::string b = tmp.filePath("b").toStdString();
    engine::kit::demoTemplate(a);
    {
        auto s = engine::Database::open(a)->logOn("VOXA", "VOXA");
        s->execute("delete from voxa.items");
        s->commit();
    }
    engine::kit::demoTemplate(b);
    auto sb = engine::Database::open(b)->logOn("VOXA", "VOXA");
    EXPECT_NE(first(*sb, "select count(*) from voxa.items"), "0") << "a copy does not see another copy's changes";
    // The copy is not the template: its lock is its own, so the template stays free to copy while a copy is open.
    std::string c = tmp.filePath("c").toStdString();
    EXPECT_NO_THROW(engine::kit::demoTemplate(c));

    // Copying over a database is refused and leaves it as it was.
    try {
        engine::kit::demoTemplate(a);
        ADD_FAILURE() << "a database was overwritten";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 1501);
    }
    auto sa = engine::Database::open(a)->logOn("VOXA", "VOXA");
    EXPECT_EQ(first(*sa, "select count(*) from voxa.items"), "0");
}

TEST(KitTemplate, TheAuditDatabaseLiesBesideEachCopyAndAnExistingOneIsKept)
{
    QTemporaryDir tmp;
    std::string demo = tmp.filePath("demo").toStdString();
    engine::kit::demoTemplate(demo);
    EXPECT_EQ(engine::kit::auditDatabaseDir(demo), tmp.filePath("VEXOAUDT").toStdString());
    {
        auto audit = engine::Database::open(engine::kit::auditDatabaseDir(demo))->logOn("VEXO_AUDIT", "VEXO_AUDIT");
        EXPECT_EQ(first(*audit, "select count(*) from user_tables where table_name like 'AUD_%'"), "7");
    }

    // A database of that name is not the kit's to replace.
    QTemporaryDir other;
    std::string mine = other.filePath("VEXOAUDT").toStdString();
    engine::Database::create(mine)->logOn("SYSTEM", "MANAGER")->execute("create table keep_me (a number)");
    engine::kit::demoTemplate(other.filePath("demo").toStdString());
    auto db = engine::Database::open(mine);
    EXPECT_EQ(first(*db->logOn("SYSTEM", "MANAGER"), "select count(*) from keep_me"), "0");
    try {
        db->logOn("VEXO_AUDIT", "VEXO_AUDIT");
        ADD_FAILURE() << "the kit's audit user was made in a database it did not make";
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 1017);
    }
}

} // namespace

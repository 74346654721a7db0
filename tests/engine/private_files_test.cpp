// A database's directory and files are readable by their owner only, whatever the process's umask: the catalog
// holds password verifiers. Checked for a new database, its journal, write-ahead log and lock file.
#include "engine_fixture.h"
#include "support/filemode.h"

#include <sys/stat.h>

namespace {

using enginetest::EngineTest;

class PrivateFiles : public EngineTest {
protected:
    mode_t saved = 0;
    // A umask that would leave new files readable by everyone, as most desktops have.
    void SetUp() override
    {
        saved = ::umask(022);
        EngineTest::SetUp();
    }
    void TearDown() override { ::umask(saved); }
};

TEST_F(PrivateFiles, NewDatabaseIsItsOwnersOnly)
{
    auto s = logOn();
    s->execute("CREATE TABLE pf (n NUMBER)");
    s->execute("INSERT INTO pf VALUES (1)");
    s->execute("COMMIT");
    EXPECT_EQ(testsupport::fileModeOf(QString::fromStdString(dir())), 0700);
    for (const char* name : { "database.sqlite", "database.sqlite-wal", "database.sqlite-shm", "database.lock" }) {
        SCOPED_TRACE(name);
        EXPECT_EQ(testsupport::fileModeOf(QString::fromStdString(dir() + "/" + name)), 0600);
    }
}

} // namespace

#include "platform/processrunner.h"

#include "support/tempdir.h"

#include <QFile>
#include <QTimer>

using platform::ProcessRunner;

namespace {

TEST(ProcessRunner, ReturnsTheRealExitCode)
{
    struct Case {
        const char* script;
        int exitCode;
    };
    const Case cases[] = { { "exit 0", 0 }, { "exit 3", 3 }, { "exit 259", 259 % 256 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        const auto result = ProcessRunner::run("/bin/sh", { "-c", c.script });
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(result.crashed);
        EXPECT_EQ(result.exitCode, c.exitCode);
    }
}

TEST(ProcessRunner, AProgramThatCannotStartIsAnErrorWithTheReason)
{
    const auto result = ProcessRunner::run("/no/such/IMP80", { "a" });
    EXPECT_FALSE(result.started);
    EXPECT_TRUE(result.error.contains("IMP80")) << result.error.toStdString();
}

TEST(ProcessRunner, ACrashIsReportedAsSuch)
{
    const auto result = ProcessRunner::run("/bin/sh", { "-c", "kill -9 $$" });
    EXPECT_TRUE(result.started);
    EXPECT_TRUE(result.crashed);
}

class ProcessRunnerDir : public testsupport::TempDirTest { };

TEST_F(ProcessRunnerDir, RunsInTheWorkingDirectoryAndKeepsEventsFlowing)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    // The child waits until the file it is told about appears, which only the timer above (an event) creates.
    QTimer::singleShot(50, [&] {
        QFile f(path("go"));
        f.open(QIODevice::WriteOnly);
    });
    const auto result = ProcessRunner::run("/bin/sh", { "-c", "while [ ! -e go ]; do sleep 0.01; done; pwd > here" },
        tmp.path());
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_GT(ticks, 0);
    QFile here(path("here"));
    ASSERT_TRUE(here.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(here.readAll()).trimmed(), QDir(tmp.path()).canonicalPath());
}

} // namespace

#include "platform/processrunner.h"

#include "support/tempdir.h"

#include <QFile>
#include <QTimer>

#include <vector>

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

// A command line is split as a Windows program's start-up splits it, so backslashes in paths stay and quotes group.
TEST(ProcessRunner, CommandLinesAreSplitAsAWindowsProgramReadsThem)
{
    struct Case {
        const char* name;
        QString line;
        QStringList words;
    };
    const std::vector<Case> cases = {
        { "plain words", "IMP80 voxa/geslo@DB file=x.dmp", { "IMP80", "voxa/geslo@DB", "file=x.dmp" } },
        { "blanks and tabs", "  IMP80 \t a   b  ", { "IMP80", "a", "b" } },
        { "paths keep their backslashes", R"(IMP80 file=C:\dumps\x.dmp log=\\srv\share\)",
            { "IMP80", R"(file=C:\dumps\x.dmp)", R"(log=\\srv\share\)" } },
        { "quotes group and go", R"(IMP80 "file=C:\my dumps\x.dmp" a"b c"d)",
            { "IMP80", R"(file=C:\my dumps\x.dmp)", "ab cd" } },
        { "escaped quote", R"(prog say\"hi\")", { "prog", R"(say"hi")" } },
        { "backslashes before a quote halve", R"(prog "a\\" b\\\"c)", { "prog", R"(a\)", R"(b\"c)" } },
        { "doubled quote inside quotes", R"(prog "a""b")", { "prog", R"(a"b)" } },
        { "quoted program with blanks", R"("C:\Program Files\ora\IMP80.EXE" x)",
            { R"(C:\Program Files\ora\IMP80.EXE)", "x" } },
        { "program name keeps a backslash before a quote", R"(C:\ora\bin\ x)", { R"(C:\ora\bin\)", "x" } },
        { "empty quoted argument", R"(prog "" x)", { "prog", "", "x" } },
        { "nothing", "   ", {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::splitCommandLine(c.line), c.words);
    }
}

TEST_F(ProcessRunnerDir, ACommandLineReachesTheProgramAsGiven)
{
    const QString out = path("args");
    const QString line
        = QStringLiteral(R"(/bin/sh -c "printf '%s|' \"$0\" \"$@\" > '%1'" "a b" C:\dumps\x.dmp "say \"hi\"" tail\\)")
              .arg(out);
    const auto result = ProcessRunner::runCommandLine(line);
    ASSERT_TRUE(result.started) << result.error.toStdString();
    EXPECT_EQ(result.exitCode, 0);
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), QStringLiteral(R"(a b|C:\dumps\x.dmp|say "hi"|tail\\|)"));
    EXPECT_FALSE(ProcessRunner::runCommandLine(QStringLiteral("   ")).started);
}

} // namespace

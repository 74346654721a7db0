// The command runner's run of a list against a fake program: the lines and what each command does, the state of an
// instance and its end (large rollback segment, restricted session), the loop over instances with its logons, the
// exit status and the error file's lines; and the several-installations loop with its mapping and status records.
#include "runner_fakehost.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using deploy::CommandRun;
using runnertest::FakeHost;

namespace {

QStringList windowWords(const FakeHost& host)
{
    QStringList words;
    for (const deploy::RunnerCommand& c : host.windowCommands)
        words << c.word;
    return words;
}

} // namespace

TEST(CommandRun, ACommandFileRunsLineByLineAndSucceeds)
{
    FakeHost host;
    host.window("SCRIPT");
    CommandRun run(host, { "CONNECT VOXA VOXA DEMO", "LANGUAGE SLO", "OWNER BILDOR", "SCRIPT V1 C:\\SQL", "" });
    run.runOverInstances({});
    EXPECT_EQ(run.exitStatus(), 0);
    EXPECT_TRUE(run.errorFileLines().isEmpty());
    // The start-up took the CONNECT of line 1; nothing logs on again on a connected session.
    EXPECT_TRUE(host.logons.empty());
    EXPECT_EQ(host.owner, "BILDOR");
    ASSERT_EQ(host.windowCommands.size(), 1u);
    EXPECT_EQ(host.windowCommands[0].p1, "V1");
    EXPECT_EQ(host.windowCommands[0].p2, "C:\\SQL");
    EXPECT_EQ(host.windowCommands[0].line, 4);
    EXPECT_TRUE(run.lastInstance().closeAllowed);
}

TEST(CommandRun, ConnectIsTheRunnersFromTheThirdLineOn)
{
    struct Case {
        const char* name;
        QStringList lines;
        QStringList logons;
    };
    const std::vector<Case> cases = {
        { "first line", { "CONNECT BILDOR X", "OWNER A" }, {} },
        { "second line", { "OWNER A", "CONNECT BILDOR X" }, {} },
        { "third line", { "OWNER A", "OWNER B", "CONNECT bildor X" }, { "logon BILDOR@DEMO" } },
        { "twice", { "CONNECT VOXA V", "OWNER B", "CONNECT VOXA W" }, { "logon VOXA@DEMO" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        CommandRun run(host, c.lines);
        run.runOverInstances({});
        QStringList logons = host.calls.filter(QStringLiteral("logon"));
        EXPECT_EQ(logons, c.logons);
        EXPECT_EQ(run.exitStatus(), 0);
    }
}

TEST(CommandRun, EveryInstanceLogsOnWithTheValuesTheRunStartedWith)
{
    FakeHost host;
    CommandRun run(host, { "OWNER A", "OWNER B", "CONNECT BILDOR SECRET", "OWNER C" });
    run.runOverInstances({ "PROD", "TEST" });
    EXPECT_EQ(run.exitStatus(), 0);
    // Each instance: a fresh logon as VOXA on its alias, then the list's CONNECT as BILDOR.
    ASSERT_EQ(host.logons.size(), 4u);
    EXPECT_EQ(host.logons[0].user, "VOXA");
    EXPECT_EQ(host.logons[0].server, "PROD");
    EXPECT_EQ(host.logons[1].user, "BILDOR");
    EXPECT_EQ(host.logons[1].password, "SECRET");
    EXPECT_EQ(host.logons[2].user, "VOXA");
    EXPECT_EQ(host.logons[2].password, "VOXA");
    EXPECT_EQ(host.logons[2].server, "TEST");
    EXPECT_EQ(host.calls.count(QStringLiteral("disconnect")), 2);
}

// What one failure does to the run, whichever instance it happens on.
TEST(CommandRun, AFailureOfAnyInstanceDecidesTheOutcome)
{
    struct Case {
        const char* name;
        QStringList lines;
        std::function<void(FakeHost&)> setUp;
        int status;
        bool firstVerdict; // the instance it happened on may close
    };
    const auto onFirst = [](FakeHost& h, auto change) {
        // Only while the first instance runs.
        h.logonSucceeds = [change, &h](const deploy::LogonValues& v) {
            change(h, v.server == QLatin1String("PROD"));
            return true;
        };
    };
    const std::vector<Case> cases = {
        { "version check not passed", { "VERSION C:\\V\\OSN" },
            [&](FakeHost& h) {
                h.window("VERSION");
                onFirst(h, [](FakeHost& f, bool first) { f.versionPasses = !first; });
            },
            1, false },
        { "invalid objects left", { "ERRORS" },
            [&](FakeHost& h) {
                onFirst(h, [](FakeHost& f, bool first) { f.window("ERRORS", !first); });
            },
            1, false },
        { "failed import", { "IMPORT X" },
            [&](FakeHost& h) {
                onFirst(h, [](FakeHost& f, bool first) {
                    f.loaderResult = [first](const QString&) { return first ? 3 : 0; };
                });
            },
            1, false },
        { "logon refused", { "OWNER A" },
            [](FakeHost& h) {
                h.logonSucceeds = [](const deploy::LogonValues& v) { return v.server != QLatin1String("PROD"); };
            },
            2, false },
        { "window not built", { "SISTEM" }, [&](FakeHost& h) { onFirst(h, [](FakeHost&, bool) {}); }, 1, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        c.setUp(host);
        CommandRun run(host, c.lines);
        run.runOverInstances({ "PROD", "TEST" });
        EXPECT_EQ(run.exitStatus(), c.status);
        ASSERT_EQ(run.instanceVerdicts().size(), 2u);
        EXPECT_EQ(run.instanceVerdicts()[0], c.firstVerdict);
        ASSERT_FALSE(run.failures().empty());
        EXPECT_EQ(run.failures().front().instance, "PROD");
        EXPECT_EQ(run.errorFileLines().size(), static_cast<qsizetype>(run.failures().size()));
        EXPECT_TRUE(run.errorFileLines().front().startsWith("PROD: ")) << run.errorFileLines().front().toStdString();
        // The second instance ran in any case.
        EXPECT_TRUE(host.calls.contains(QStringLiteral("logon VOXA@TEST")));
    }
}

TEST(CommandRun, ALaterImportSuccessDoesNotHideAnEarlierFailure)
{
    FakeHost host;
    host.loaderResult = [](const QString& command) { return command.contains(QLatin1String("BAD")) ? 1 : 0; };
    CommandRun run(host, { "IMPORT BAD", "IMPORT \"FILE=A.DMP FULL=Y\"" });
    run.runOverInstances({});
    EXPECT_FALSE(run.lastInstance().importFailed);
    EXPECT_EQ(run.exitStatus(), 1);
    EXPECT_TRUE(host.calls.contains(QStringLiteral("loader IMP80 FILE=A.DMP FULL=Y"))) << host.calls.join('|').toStdString();
    ASSERT_EQ(run.failures().size(), 1u);
    EXPECT_TRUE(run.failures()[0].text.contains(QString::fromUtf8("NAPAČEN LOAD UKAZ: IMP80 BAD")));

    FakeHost notStarted;
    notStarted.loaderResult = [](const QString&) { return std::optional<int>(); };
    CommandRun run2(notStarted, { "IMPORT X" });
    run2.runOverInstances({});
    EXPECT_EQ(run2.exitStatus(), 1);
    EXPECT_TRUE(run2.lastInstance().importFailed);
}

TEST(CommandRun, LastVersionCheckPassesOnWholeNamesAndSkipsTheRestWhenItFails)
{
    struct Case {
        const char* name;
        QString list;
        QStringList executed;
        bool passes;
    };
    const std::vector<Case> cases = {
        { "one of two executed", "V1,V2", { "V2" }, true },
        { "none executed", "V1,V2", { "V3" }, false },
        { "the end of a listed name is not the name", "XV2", { "V2" }, false },
        { "empty and repeated names", ",V1,,V1", { "V1" }, true },
        { "a quoted list with blanks", "\" V0, V1 \"", { "V1" }, true },
        { "no name at all", "", { "V1" }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        host.executedScripts[QString()] = c.executed;
        CommandRun run(host, { "LASTVERSIONCHECK " + c.list, "OWNER AFTER" });
        run.runOverInstances({});
        EXPECT_EQ(host.owner == QLatin1String("AFTER"), c.passes) << host.calls.join('|').toStdString();
        EXPECT_EQ(run.exitStatus(), c.passes ? 0 : 1);
        if (!c.passes) {
            ASSERT_FALSE(run.errorFileLines().isEmpty());
            if (!c.list.trimmed().isEmpty()) { // the error file's line is the list, as schedulers read it
                EXPECT_EQ(run.errorFileLines().first(), c.list.trimmed());
            }
            EXPECT_TRUE(run.lastInstance().closeAllowed);
        }
    }
}

TEST(CommandRun, RestrictedSessionEnabledByTheRunIsRestoredWhenTheListDoesNotRunThrough)
{
    struct Case {
        const char* name;
        QStringList lines;
        std::optional<QString> sessions;
        bool restrictedAtEnd;
        int status;
    };
    const std::vector<Case> cases = {
        { "the list runs through", { "RESTRICTEDLOGIN ENABLE", "OWNER A" }, QString(), true, 0 },
        { "enabled and disabled", { "RESTRICTEDLOGIN ENABLE", "RESTRICTEDLOGIN DISABLE" }, QString(), false, 0 },
        { "a later command fails", { "RESTRICTEDLOGIN ENABLE", "SISTEM" }, QString(), false, 1 },
        { "the rest is skipped", { "RESTRICTEDLOGIN ENABLE", "LASTVERSIONCHECK NONE" }, QString(), false, 1 },
        { "STOP without other sessions", { "RESTRICTEDLOGIN ENABLE STOP", "OWNER A" }, QString(), true, 0 },
        { "STOP with other sessions", { "RESTRICTEDLOGIN ENABLE STOP", "OWNER A" },
            QStringLiteral("MNOVAK app.exe PC1 mnovak\r\n"), false, 1 },
        { "a wrong mode", { "RESTRICTEDLOGIN MAYBE" }, QString(), false, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        host.sessions = c.sessions;
        CommandRun run(host, c.lines);
        run.runOverInstances({});
        EXPECT_EQ(host.restrictedOn, c.restrictedAtEnd);
        EXPECT_EQ(run.exitStatus(), c.status);
        if (c.sessions && !c.sessions->isEmpty()) {
            EXPECT_NE(host.owner, "A"); // STOP skipped the rest
            EXPECT_TRUE(run.failures().front().text.contains(QLatin1String("MNOVAK")));
        }
    }
}

TEST(CommandRun, LargeRollbackSegmentIsSwitchedOffAtTheEndOfEachInstance)
{
    FakeHost host;
    CommandRun run(host, { "LARGERB ON BIGRB", "OWNER A" });
    run.runOverInstances({ "PROD", "TEST" });
    EXPECT_EQ(host.calls.filter(QStringLiteral("largerb")),
        QStringList({ "largerb ON BIGRB", "largerb OFF ", "largerb ON BIGRB", "largerb OFF " }));
    EXPECT_EQ(run.exitStatus(), 0);

    FakeHost failing;
    failing.largeRBSucceeds = false;
    CommandRun run2(failing, { "LARGERB ON" });
    run2.runOverInstances({});
    EXPECT_EQ(run2.exitStatus(), 1);
}

TEST(CommandRun, AnAuditHostThatIsNotSetUpEndsTheRunAndSaysWhy)
{
    FakeHost host;
    host.auditReady = std::nullopt;
    CommandRun run(host, { "OWNER A", "OWNER B", "CONNECT VEXO_AUDIT X VEXOAUDT", "OWNER C" });
    run.runOverInstances({ "PROD", "TEST" });
    EXPECT_EQ(run.exitStatus(), 1);
    EXPECT_EQ(host.owner, "B");
    EXPECT_FALSE(host.calls.contains(QStringLiteral("logon VOXA@TEST")));
    ASSERT_EQ(run.failures().size(), 1u);
    EXPECT_TRUE(run.failures()[0].text.contains(QLatin1String("VEXOAUDT")));
    EXPECT_TRUE(run.failures()[0].text.contains(QLatin1String("ORA-00942")));

    FakeHost ready;
    CommandRun run2(ready, { "OWNER A", "OWNER B", "CONNECT VEXO_AUDIT X VEXOAUDT" });
    run2.runOverInstances({});
    ASSERT_EQ(ready.logons.size(), 1u);
    EXPECT_EQ(ready.logons[0].server, "VEXOAUDT");
    EXPECT_EQ(ready.logons[0].user, "VEXO_AUDIT");
}

TEST(CommandRun, AConnectThatCannotLogOnSkipsTheRestOfItsInstance)
{
    FakeHost host;
    host.logonSucceeds = [](const deploy::LogonValues& v) { return v.user != QLatin1String("BILDOR"); };
    CommandRun run(host, { "OWNER A", "OWNER B", "CONNECT BILDOR X", "OWNER C" });
    run.runOverInstances({ "PROD", "TEST" });
    EXPECT_EQ(run.exitStatus(), 2);
    EXPECT_EQ(run.failures().size(), 2u);
    EXPECT_EQ(host.calls.filter(QStringLiteral("owner C")).size(), 0);
}

TEST(CommandRun, VersionRenamesTheCheckedFile)
{
    QTemporaryDir dir;
    const QString ver = dir.filePath(QStringLiteral("OSN.VER"));
    const QString cop = dir.filePath(QStringLiteral("OSN.COP"));
    for (const QString& f : { ver, cop }) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(f.toUtf8());
    }
    FakeHost host;
    host.window("VERSION");
    CommandRun run(host, { "VERSION " + dir.filePath(QStringLiteral("OSN")) + " VOXA" });
    run.runOverInstances({});
    EXPECT_EQ(run.exitStatus(), 0);
    EXPECT_FALSE(QFile::exists(ver));
    QFile renamed(cop);
    ASSERT_TRUE(renamed.open(QIODevice::ReadOnly));
    EXPECT_EQ(renamed.readAll(), ver.toUtf8()); // the old .COP was replaced
    ASSERT_EQ(host.windowCommands.size(), 1u);
    EXPECT_EQ(host.windowCommands[0].p3, "ALL");
}

TEST(CommandRun, UnknownWordsAndLeadingBlanksFailNamingTheirLine)
{
    FakeHost host;
    CommandRun run(host, { "OWNER A", "FOO BAR", "  OWNER B", "   " });
    run.runOverInstances({});
    EXPECT_EQ(run.exitStatus(), 2);
    ASSERT_EQ(run.failures().size(), 2u);
    EXPECT_EQ(run.failures()[0].line, 2);
    EXPECT_TRUE(run.failures()[0].text.contains(QLatin1String("FOO")));
    EXPECT_EQ(run.failures()[1].line, 3);
}

TEST(CommandRun, MessagesInSlovenianCarryTheEnglishText)
{
    FakeHost host;
    host.lang = QStringLiteral("SLO");
    CommandRun run(host, { "SISTEM" });
    run.runOverInstances({});
    ASSERT_EQ(host.reports.size(), 1);
    EXPECT_EQ(host.reports[0],
        QStringLiteral("Vrstica 1: ukaz SISTEM v tej različici programa ni na voljo. / Line 1: SISTEM is not available "
                       "in this version of the program."));
}

// --- the several-installations loop ---

namespace {

std::vector<deploy::Installation> threeInstallations()
{
    return {
        { 1, "DEMO", "VZAS1", "P1", "BZAS1", "Q1" },
        { 2, "DEMO", "VZAS2", "P2", "BZAS2", "Q2" },
        { 3, "OTHER", "VZAS3", "P3", "BZAS3", "Q3" },
    };
}

} // namespace

TEST(SeveralInstallationsRun, RunsForEachInstallationAsItsUsersAndRecordsItsStatus)
{
    FakeHost host;
    host.installationList = threeInstallations();
    host.window("SCRIPT");
    host.scriptRows["V7/VZAS2"] = 4; // stored for the second installation before
    CommandRun run(host, { "CONNECT VOXA VOXA DEMO", "OWNER VOXA ", "SCRIPT V7 DIR" });
    run.runOverInstallations();
    EXPECT_EQ(run.exitStatus(), 0);

    QStringList scripted;
    for (const deploy::RunnerCommand& c : host.windowCommands)
        scripted << QString::number(c.line) + c.p1;
    EXPECT_EQ(scripted, QStringList({ "3V7", "3V7" }));
    EXPECT_EQ(host.calls.filter(QStringLiteral("logon")),
        QStringList({ "logon VZAS1@DEMO", "logon VZAS2@DEMO", "logon VZAS3@OTHER", "logon VOXA@DEMO" }));
    EXPECT_EQ(host.logons[0].password, "P1");
    ASSERT_EQ(host.savedStatuses.size(), 3u);
    for (const deploy::InstallationStatus& s : host.savedStatuses) {
        EXPECT_EQ(s.status, "X");
        EXPECT_TRUE(QDateTime::fromString(s.date, QStringLiteral("dd.MM.yyyy HH:mm:ss")).isValid()) << s.date.toStdString();
    }
    // "OWNER VOXA " is substituted, the owner ends as the last installation's user; the run's own logon is back.
    EXPECT_EQ(host.owner, "VZAS3");
    EXPECT_EQ(host.values, (deploy::LogonValues { "VOXA", "VOXA", "UTIL", "DEMO", false }));
}

TEST(SeveralInstallationsRun, AFailedLogonOrCommandRecordsE)
{
    FakeHost host;
    host.installationList = threeInstallations();
    host.logonSucceeds = [](const deploy::LogonValues& v) { return v.user != QLatin1String("VZAS2"); };
    host.window("GRANT");
    host.windows["SCRIPT"] = [](const deploy::RunnerCommand&) { return deploy::RunnerCommandResult { false, "E" }; };
    CommandRun run(host, { "GRANT VOXA ZDR", "SCRIPT V7" });
    // Only the third installation's script fails.
    host.scriptRows["V7/VZAS1"] = 1;
    run.runOverInstallations();
    EXPECT_EQ(run.exitStatus(), 2);
    std::map<int, QString> statuses;
    for (const deploy::InstallationStatus& s : host.savedStatuses)
        statuses[s.index] = s.status;
    EXPECT_EQ(statuses, (std::map<int, QString> { { 1, "X" }, { 2, "E" }, { 3, "E" } }));
    // The installation that could not log on got its status after the run's own user logged on again.
    EXPECT_TRUE(host.calls.contains(QStringLiteral("status 2 E as VOXA")));
    // GRANT's ZDR became the installation's role.
    ASSERT_FALSE(host.windowCommands.empty());
    EXPECT_EQ(host.windowCommands[0].p1, "VZAS1");
    EXPECT_EQ(host.windowCommands[0].p2, "GZAS1");
}

TEST(SeveralInstallationsRun, ConnectMapsTheSchemaNamesBeforeTheSubstitution)
{
    FakeHost host;
    host.installationList = { { 1, "DEMO", "VZAS1", "P1", "BZAS1", "Q1" } };
    CommandRun run(host, { "OWNER VOXA", "OWNER BILDOR ", "CONNECT BILDOR BILDOR", "OWNER VOXA" });
    run.runOverInstallations();
    // The substitution also takes a name at the end of a line.
    EXPECT_EQ(host.calls.filter(QStringLiteral("owner")),
        QStringList({ "owner VZAS1", "owner BZAS1", "owner VZAS1" }));
    ASSERT_GE(host.logons.size(), 2u);
    EXPECT_EQ(host.logons[1].user, "BZAS1");
    EXPECT_EQ(host.logons[1].password, "Q1");
}

TEST(SeveralInstallationsRun, CommandsOfOtherModesAndFailuresOfTheTable)
{
    FakeHost host;
    host.installationList = { { 1, "DEMO", "VZAS1", "P1", "BZAS1", "Q1" } };
    host.window("COMPARE");
    host.window("ERRORS");
    host.executedScripts["VZAS1"] = { "V1" };
    CommandRun run(host, { "COMPARE A B", "SHOWLOG LONG", "ERRORS BILDOR", "LASTVERSIONCHECK V1" });
    run.runOverInstallations();
    EXPECT_EQ(run.exitStatus(), 0);
    EXPECT_EQ(windowWords(host), QStringList({ "ERRORS" }));
    EXPECT_EQ(host.windowCommands[0].p1, "BZAS1");
    EXPECT_TRUE(host.windowCommands[0].severalInstallations);
    EXPECT_TRUE(host.calls.contains(QStringLiteral("lastversion V1 VZAS1")));
    EXPECT_EQ(host.reports.filter(QStringLiteral("several-installations")).size(), 2);

    FakeHost unreadable;
    unreadable.installationsReadable = false;
    CommandRun run2(unreadable, { "OWNER A" });
    run2.runOverInstallations();
    EXPECT_EQ(run2.exitStatus(), 1);
}

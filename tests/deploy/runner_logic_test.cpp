// The command runner's plain logic: the command list and its checks before a run, result file names, the
// normalisation of window commands' parameters, instance.txt, vecInstalacij and the several-installations mapping.
#include "deploy/commandcheck.h"
#include "deploy/commandrun.h"
#include "deploy/commandtable.h"
#include "deploy/instancelist.h"
#include "deploy/resultfiles.h"
#include "deploy/runnerregistry.h"
#include "deploy/severalinstall.h"
#include "shell/Main.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(CommandList, TheRunnersLinesAndWhetherTheyRunAnything)
{
    struct Case {
        const char* name;
        QStringList arguments;
        QStringList lines;
        bool runs;
    };
    const std::vector<Case> cases = {
        { "one command", { "OWNER", "VOXA" }, { "OWNER VOXA  " }, true },
        { "a logon with a password code", { "VOXA", "8", "DEMO" }, { "CONNECT VOXA 8 DEMO " }, false },
        { "a logon", { "CONNECT", "VOXA", "VOXA", "DEMO" }, { "CONNECT VOXA VOXA DEMO" }, false },
        { "a start-up word", { "LANGUAGE", "SLO" }, { "LANGUAGE SLO  " }, false },
        { "a quoted parameter", { "SCRIPT", "V1", "C:\\MY DIR" }, { "SCRIPT V1 \"C:\\MY DIR\" " }, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList lines = deploy::runnerLines(shell::buildCommandList(c.arguments, QDir::tempPath()));
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(deploy::listRunsCommands(lines), c.runs);
    }

    // A CONNECT is the runner's from the third line on.
    EXPECT_FALSE(deploy::listRunsCommands({ "LANGUAGE SLO", "CONNECT VOXA VOXA DEMO" }));
    EXPECT_TRUE(deploy::listRunsCommands({ "LANGUAGE SLO", "SAVELOGINDATA", "CONNECT VOXA VOXA DEMO" }));
}

TEST(CommandList, UnknownWordsAndIndentedLinesAreFoundWithTheirLines)
{
    const std::vector<deploy::UnknownCommand> unknown
        = deploy::unknownCommands({ "CONNECT A B C", "SCRIPTS X", "", "   ", "  SCRIPT X", "script x", "-- note" });
    ASSERT_EQ(unknown.size(), 3u);
    EXPECT_EQ(unknown[0].line, 2);
    EXPECT_EQ(unknown[0].word, "SCRIPTS");
    EXPECT_EQ(unknown[1].line, 5);
    EXPECT_TRUE(unknown[1].word.isEmpty());
    EXPECT_EQ(unknown[2].line, 7);
    EXPECT_EQ(unknown[2].word, "--");
}

class CommandLineCheckTest : public testsupport::TempDirTest { };

TEST_F(CommandLineCheckTest, CommandFilesThatCannotBeRunAreRefusedBeforeTheStart)
{
    QDir().mkpath(path(QStringLiteral("adir")));
    writeBytes(path(QStringLiteral("empty.txt")), {});
    writeBytes(path(QStringLiteral("blank.txt")), "  \r\n\n\t\n");
    writeBytes(path(QStringLiteral("binary.txt")), QByteArray("OWNER A\n\0\x01\x02", 11));
    writeBytes(path(QStringLiteral("utf16.txt")), QByteArray("\xFF\xFEO\0W\0", 6));
    writeBytes(path(QStringLiteral("huge.txt")), QByteArray(deploy::commandFileSizeLimit + 1, 'A'));
    writeBytes(path(QStringLiteral("unknown.txt")), "OWNER A\nDEPLOY X\n  SCRIPT Y\n");
    writeBytes(path(QStringLiteral("good.txt")), "LANGUAGE SLO\r\nCONNECT VOXA VOXA DEMO\r\nSCRIPT V1 C:\\X\r\n");
    writeBytes(path(QStringLiteral("logon.txt")), "CONNECT VOXA VOXA DEMO\n");
    struct Case {
        const char* name;
        QStringList arguments;
        const char* says; // empty: the check passes
        bool runs;
    };
    const std::vector<Case> cases = {
        { "no parameters", {}, "", false },
        { "@ alone", { "@" }, "names no command file", false },
        { "missing", { "@NOFILE.TXT" }, "NOFILE.TXT does not exist", false },
        { "a directory", { "@adir" }, "is a directory", false },
        { "empty", { "@empty.txt" }, "holds no command", false },
        { "blanks only", { "@blank.txt" }, "holds no command", false },
        { "binary", { "@binary.txt" }, "not a text file (a control byte at offset 8)", false },
        { "UTF-16", { "@utf16.txt" }, "UTF-16", false },
        { "too large", { "@huge.txt" }, "too large", false },
        { "unknown words", { "@unknown.txt" }, "Line 2: DEPLOY is no command", false },
        { "one unknown command", { "FOO", "X" }, "Line 1: FOO is no command", false },
        { "found in another case", { "@GOOD.TXT" }, "", true },
        { "a logon only", { "@logon.txt" }, "", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const deploy::CommandLineCheck check = deploy::checkCommandLine(c.arguments, tmp.path());
        const QString message = check.message(QStringLiteral("ANG"));
        if (*c.says)
            EXPECT_TRUE(message.contains(QLatin1String(c.says))) << message.toStdString();
        else
            EXPECT_TRUE(check.ok()) << message.toStdString();
        EXPECT_EQ(check.runsCommands, c.runs);
    }
    const deploy::CommandLineCheck unknown = deploy::checkCommandLine({ "@unknown.txt" }, tmp.path());
    EXPECT_EQ(unknown.problems.size(), 2u); // the unknown word and the indented line, each named
    EXPECT_EQ(deploy::checkCommandLine({ "@good.txt" }, tmp.path()).language, "SLO");
}

TEST(CommandLineHelp, HelpIsAskedByItsUsualSpellings)
{
    for (const char* word : { "--help", "-h", "-?", "/?" })
        EXPECT_TRUE(deploy::asksForHelp({ QLatin1String(word) })) << word;
    EXPECT_FALSE(deploy::asksForHelp({}));
    EXPECT_FALSE(deploy::asksForHelp({ "HELP" }));
    EXPECT_TRUE(deploy::usageText().contains(QLatin1String("Exit status: 0")));
}

class ResultFileNames : public testsupport::TempDirTest { };

TEST_F(ResultFileNames, DirectoryTagAndOrganisationCode)
{
    QDir().mkpath(path(QStringLiteral("Out/Rep")));
    const QString out = path(QStringLiteral("Out/Rep")) + QLatin1Char('/');
    const QString upper = tmp.path() + QStringLiteral("/OUT/REP/X.TXT");
    struct Case {
        const char* name;
        QString given;
        const char* tag;
        QString name_;
    };
    const std::vector<Case> cases = {
        { "compare without a result name", QString::fromLatin1(deploy::defaultCompareResult), "DF",
            "/results/DFDEMO!.txt" },
        { "a Windows directory", "C:\\OUT\\X.TXT", "DF", "C:\\OUT\\DFDEMO!.txt" },
        { "no directory", "X.SQL", "QU", "/results/QUDEMO" },
        { "the home system's A:", "a:\\sistem.txt", "SI", "/results/SIDEMO" },
        { "a directory on disk in another case", upper, "QU", out + "QUDEMO" },
        { "a directory alone", out, "SI", out + "SIDEMO" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const deploy::ResultFileName r
            = deploy::makeResultFileName(c.given, QLatin1String(c.tag), QStringLiteral("DEMO"), QStringLiteral("/results"));
        EXPECT_EQ(r.name, c.name_);
    }
}

TEST(WindowCommands, ParametersAreNormalisedForTheWindows)
{
    deploy::NormaliseInput single;
    single.connUser = QStringLiteral("VOXA");
    single.defaultScriptDirectory = QStringLiteral("/scripts");
    single.resultDirectory = QStringLiteral("/results/");
    single.organisationCode = [] { return QStringLiteral("ORG"); };
    deploy::NormaliseInput several = single;
    several.severalInstallations = true;
    several.connUser = QStringLiteral("VZAS1");
    several.userVoxa = QStringLiteral("VZAS1");
    several.userBildor = QStringLiteral("BZAS1");

    struct Case {
        const char* name;
        QString line;
        bool several;
        QStringList expected; // p1, p2, p3, resultName, secondResultName
    };
    const std::vector<Case> cases = {
        { "script with a directory", "SCRIPT V1 C:\\SQL", false, { "V1", "C:\\SQL", "", "", "" } },
        { "script without one", "SCRIPT V1", false, { "V1", "/scripts", "", "", "" } },
        { "grant", "GRANT VZAS1 ZDR", false, { "VZAS1", "ZDR", "", "", "" } },
        { "grant to the installation's role", "GRANT VZAS1 ZDR", true, { "VZAS1", "GZAS1", "", "", "" } },
        { "grant to another grantee", "GRANT VZAS1 MNOVAK", true, { "VZAS1", "MNOVAK", "", "", "" } },
        { "check tables with NULL", "CHECK_TABLES NULL null cascade", false, { "", "", "CASCADE", "", "" } },
        { "check tables", "CHECK_TABLES VOXA ORD% X", false, { "VOXA", "ORD%", "", "", "" } },
        { "compare", "COMPARE A.SFG B.SFG C:\\OUT\\R.TXT", false,
            { "A.SFG", "B.SFG", "C:\\OUT\\R.TXT", "C:\\OUT\\DFORG!.txt", "" } },
        { "sistem default", "SISTEM", false, { "", "", "", "/results/SIORG", "/results/SHORG" } },
        // The second name replaces the tag, not the letters SI in the directory, and cuts nothing.
        { "sistem in a directory with SI", "SISTEM C:\\SISTEMI\\ARHIVSKI_SISTEMSKI_PREGLEDI\\", false,
            { "C:\\SISTEMI\\ARHIVSKI_SISTEMSKI_PREGLEDI\\", "", "", "C:\\SISTEMI\\ARHIVSKI_SISTEMSKI_PREGLEDI\\SIORG",
                "C:\\SISTEMI\\ARHIVSKI_SISTEMSKI_PREGLEDI\\SHORG" } },
        { "izvedisql", "IZVEDISQL C:\\SQL\\A.SQL", false, { "C:\\SQL\\A.SQL", "", "", "C:\\SQL\\QUORG.txt", "" } },
        { "version", "VERSION C:\\V\\OSN VOXA", false, { "C:\\V\\OSN.VER", "VOXA", "ALL", "", "" } },
        { "version with types", "VERSION OSN VOXA PACKAGE", false, { "OSN.VER", "VOXA", "PACKAGE", "", "" } },
        { "errors of the connected user", "ERRORS", false, { "VOXA", "", "", "", "" } },
        { "errors AUDIT", "ERRORS AUDIT", false, { "VOXA", "", "", "", "" } },
        { "errors of BILDOR", "ERRORS BILDOR", false, { "BILDOR", "", "", "", "" } },
        { "errors of an installation", "ERRORS BILDOR", true, { "BZAS1", "", "", "", "" } },
        { "errors AUDIT of an installation", "ERRORS AUDIT", true, { "VZAS1", "", "", "", "" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const deploy::RunnerCommand r
            = deploy::normaliseWindowCommand(shell::parseCommand(c.line), 7, c.several ? several : single);
        EXPECT_EQ(QStringList({ r.p1, r.p2, r.p3, r.resultName, r.secondResultName }), c.expected);
        EXPECT_EQ(r.line, 7);
        EXPECT_EQ(r.severalInstallations, c.several);
    }
}

class InstanceListTest : public testsupport::TempDirTest { };

TEST_F(InstanceListTest, AliasesBlankLinesAndTheLimit)
{
    const QString dir = tmp.path() + QLatin1Char('/');
    EXPECT_FALSE(deploy::readInstanceList(dir).exists);

    writeBytes(path(QStringLiteral("Instance.TXT")), "PROD\r\n\r\n  TEST  \nDEMO2");
    deploy::InstanceList list = deploy::readInstanceList(dir);
    EXPECT_TRUE(list.exists);
    EXPECT_EQ(list.error, nullptr);
    EXPECT_EQ(list.aliases, QStringList({ "PROD", "TEST", "DEMO2" }));

    QByteArray many;
    for (int i = 1; i <= 25; ++i)
        many += "DB" + QByteArray::number(i) + "\n";
    writeBytes(path(QStringLiteral("Instance.TXT")), many);
    list = deploy::readInstanceList(dir);
    ASSERT_NE(list.error, nullptr);
    EXPECT_TRUE(deploy::runnerText(*list.error, QStringLiteral("ANG"), list.errorArgs)
                    .endsWith(QLatin1String("Instance.TXT lists 25 databases; at most 20 are allowed. Nothing was run.")));
}

TEST(SeveralInstallations, VecInstalacijMarksTheWholeInstanceName)
{
    struct Case {
        const char* name;
        QStringList lines;
        const char* instance;
        bool marked;
    };
    const std::vector<Case> cases = {
        { "marked", { "PROD TRUE" }, "prod", true },
        { "true in any case and place", { "prod   several installations: True" }, "PROD", true },
        { "not marked", { "PROD FALSE" }, "PROD", false },
        { "a longer name is another instance", { "PROD2 FALSE", "PROD TRUE" }, "PROD", true },
        { "a longer name does not mark it", { "PROD2 TRUE" }, "PROD", false },
        { "the first line decides", { "PROD no", "PROD TRUE" }, "PROD", false },
        { "TRUE inside the name does not count", { "TRUEDB no" }, "TRUEDB", false },
        { "a name with a domain", { "PROD.WORLD TRUE" }, "PROD", false },
        { "no line", { "TEST TRUE" }, "PROD", false },
        { "an empty instance", { " TRUE" }, "", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(deploy::vecInstalacijMarks(c.lines, QLatin1String(c.instance)), c.marked);
    }
}

TEST(SeveralInstallations, LogonOfAnInstallationAndItsStatusDate)
{
    const deploy::Installation one { 4, "HOST", "VZAS4", "PV", "BZAS4", "PB" };
    const deploy::LogonValues voxa { "VOXA", "VOXA", "U", "DEMO", false };
    deploy::LogonValues v = deploy::installationLogon(voxa, one);
    EXPECT_EQ(v, (deploy::LogonValues { "VZAS4", "PV", "U", "HOST", false }));
    v = deploy::installationLogon({ "BILDOR", "X", "U", "DEMO", false }, one);
    EXPECT_EQ(v, (deploy::LogonValues { "BZAS4", "PB", "U", "HOST", false }));
    v = deploy::installationLogon({ "AKRALJ", "X", "U", "DEMO", false }, one);
    EXPECT_EQ(v, (deploy::LogonValues { "AKRALJ", "X", "U", "HOST", false }));

    // The date is in the statement's form whatever the locale says.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const QString date = deploy::installationStatusDate(QDateTime(QDate(2024, 3, 7), QTime(9, 5, 1)));
    QLocale::setDefault(before);
    EXPECT_EQ(date, "07.03.2024 09:05:01");
}

TEST(RunnerTexts, SlovenianFollowedByEnglishAndArgumentsFilledOnce)
{
    const deploy::RunnerText t { "Line %1: %2", "Vrstica %1: %2" };
    EXPECT_EQ(deploy::runnerText(t, QStringLiteral("ANG"), { "3", "%1 stays" }), "Line 3: %1 stays");
    EXPECT_EQ(deploy::runnerText(t, QStringLiteral("SLO"), { "3", "X" }), "Vrstica 3: X / Line 3: X");
}

TEST(RunnerRegistry, AWindowTakesOnItsCommandByOneRegistration)
{
    EXPECT_EQ(deploy::runnerCommandHandler(QStringLiteral("SHOWLOG")), nullptr);
    deploy::registerRunnerCommand(QStringLiteral("showlog"), [](const deploy::RunnerCommandContext& c) {
        return deploy::RunnerCommandResult { c.command.p1 == QLatin1String("LONG"), {} };
    });
    const deploy::RunnerCommandHandler* handler = deploy::runnerCommandHandler(QStringLiteral("SHOWLOG"));
    ASSERT_NE(handler, nullptr);
    QTemporaryDir dir;
    TfmMain::Environment env;
    env.executableDir = dir.path() + QLatin1Char('/');
    env.workingDir = dir.path();
    env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\RunnerRegistry");
    TfmMain main(env);
    deploy::RunnerCommand command;
    command.word = QStringLiteral("SHOWLOG");
    command.p1 = QStringLiteral("LONG");
    EXPECT_TRUE((*handler)(deploy::RunnerCommandContext { main, command }).ok);
    deploy::unregisterRunnerCommand(QStringLiteral("SHOWLOG"));
    EXPECT_EQ(deploy::runnerCommandHandler(QStringLiteral("SHOWLOG")), nullptr);
}

// The command line: the tokenizer of command lines and command files, the start-up command list, the start-up
// words, and the case-blind lookup of the upper-case file names that command files carry.
#include "shell/commandline.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

using shell::CommandLine;
using shell::ParsedCommand;
using shell::StartupState;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(ParseCommand, SplitsCommandWordAndThreeParameters)
{
    struct Case {
        const char* name;
        QString line;
        ParsedCommand expected;
    };
    const QString longWord(120, QLatin1Char('a'));
    const QString ninety(90, QLatin1Char('b'));
    const Case cases[] = {
        { "plain words", "CONNECT VOXA TIGER PROD", { "CONNECT", "VOXA", "TIGER", "PROD" } },
        { "everything upper-cased", "connect voxa tiger prod", { "CONNECT", "VOXA", "TIGER", "PROD" } },
        { "quoted parameter keeps its blank", "script \"c:\\my dir\\\" upg1",
            { "SCRIPT", "C:\\MY DIR\\", "UPG1", "" } },
        { "blanks inside quotes are trimmed", "X \"  a b  \" c", { "X", "A B", "C", "" } },
        { "two blanks after the command shift the parameters", "CONNECT  VOXA TIGER",
            { "CONNECT", "", "VOXA", "TIGER" } },
        { "several blanks between parameters do not matter", "CONNECT VOXA    TIGER   PROD",
            { "CONNECT", "VOXA", "TIGER", "PROD" } },
        { "a fourth parameter is ignored", "A B C D E", { "A", "B", "C", "D" } },
        { "only blanks", "   ", { "", "", "", "" } },
        { "empty line", "", { "", "", "", "" } },
        { "leading blank gives no command word", " CONNECT VOXA", { "", "CONNECT", "VOXA", "" } },
        { "command word alone", "errors", { "ERRORS", "", "", "" } },
        { "unmatched quote gives empty parameters", "SCRIPT \"ABC DEF", { "SCRIPT", "", "", "" } },
        { "a parameter cut by the 100-character limit is empty", "SCRIPT " + longWord + " B",
            { "SCRIPT", "", "", "" } },
        { "text beyond 100 characters is not read", "X " + ninety + " BCDEFGHIJKLMNOP",
            { "X", ninety.toUpper(), "", "" } },
        { "quoted empty password", "CONNECT VOXA \"\" PROD", { "CONNECT", "VOXA", "", "PROD" } },
        { "non-ASCII letters are upper-cased", "language slo čšž", { "LANGUAGE", "SLO", "ČŠŽ", "" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedCommand got = shell::parseCommand(c.line);
        EXPECT_EQ(got.command, c.expected.command);
        EXPECT_EQ(got.p1, c.expected.p1);
        EXPECT_EQ(got.p2, c.expected.p2);
        EXPECT_EQ(got.p3, c.expected.p3);
    }
}

TEST(ParseCommand, TakingOneParameterShortensTheRest)
{
    QString rest = QStringLiteral("\"a b\"   c d");
    QString param;
    EXPECT_TRUE(shell::vzemiEnParameter(rest, param));
    EXPECT_EQ(param, "A B");
    EXPECT_EQ(rest, "c d");
    EXPECT_TRUE(shell::vzemiEnParameter(rest, param));
    EXPECT_EQ(param, "C");
    EXPECT_EQ(rest, "d");
    // No blank behind the last word: nothing can be taken and the rest stays.
    EXPECT_TRUE(shell::vzemiEnParameter(rest, param));
    EXPECT_EQ(param, "");
    EXPECT_EQ(rest, "d");
}

TEST(PasswordParameter, CodesAndAuditHostForm)
{
    struct Case {
        QString text;
        bool code;
        bool audit;
        QString builtIn;
    };
    const Case cases[] = {
        { "8", true, false, "TORVA58" },
        { "0", true, false, "PLIMO47" },
        { "7", true, false, "SNOG7386" },
        { "1", true, false, "KERP5193" },
        { "6", true, false, "BRELSOMAK74" },
        { "Q", true, false, "" },
        { "P", true, false, "" },
        { "80", true, false, "" },
        { "QP", true, false, "" },
        { "80716QP", true, false, "" },
        { "PQ", false, false, "" },
        { "9", false, false, "" },
        { "", false, false, "" },
        { "A8", false, true, "" },
        { "A", false, true, "" },
        { "A80", false, false, "" },
        { "TIGER", false, false, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(shell::isPasswordCode(c.text), c.code);
        EXPECT_EQ(shell::isAuditHostForm(c.text), c.audit);
        EXPECT_EQ(shell::builtInPassword(c.text), c.builtIn);
    }
}

class CommandListTest : public testsupport::TempDirTest { };

TEST_F(CommandListTest, OneLineModeJoinsTheParameters)
{
    struct Case {
        const char* name;
        QStringList arguments;
        QStringList lines;
        bool declRunParam;
    };
    const Case cases[] = {
        { "no parameter: an empty line and a line of three blanks", {}, { "", "   " }, false },
        { "user, password code and database become a logon", { "VOXA", "8", "PROD" }, { "", "CONNECT VOXA 8 PROD " },
            true },
        { "a plain password is no logon", { "VOXA", "tiger", "PROD" }, { "", "VOXA tiger PROD " }, true },
        { "the audit-host form is no password code", { "VOXA", "A8", "PROD" }, { "", "VOXA A8 PROD " }, true },
        { "a lower-case code is a code", { "voxa", "qp", "prod" }, { "", "CONNECT voxa qp prod " }, true },
        { "a parameter with a blank stays one parameter", { "SCRIPT", "/srv/my scripts/", "UPG1" },
            { "", "SCRIPT \"/srv/my scripts/\" UPG1 " }, true },
        { "only four parameters are used", { "A", "B", "C", "D", "E" }, { "", "A B C D" }, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandLine got = shell::buildCommandList(c.arguments, tmp.path());
        EXPECT_EQ(got.lines, c.lines);
        EXPECT_EQ(got.declRunParam, c.declRunParam);
        EXPECT_FALSE(got.fileMode);
        EXPECT_EQ(got.runParamType, c.arguments.value(0));
        EXPECT_EQ(got.runParamValue3, c.arguments.value(3));
    }
}

TEST_F(CommandListTest, FileModeLoadsTheCommandFile)
{
    writeFile(path("deploy.cmd"), "CONNECT VOXA 8 PROD\r\nSCRIPT \"C:\\SKRIPTE\\\" UPG1\r\n\r\nERRORS\r\n");
    const CommandLine got = shell::buildCommandList({ "@deploy.cmd", "BILDOR" }, tmp.path());
    EXPECT_TRUE(got.fileMode);
    EXPECT_EQ(got.commandFile, "deploy.cmd");
    EXPECT_EQ(got.lines, QStringList({ "CONNECT VOXA 8 PROD", "SCRIPT \"C:\\SKRIPTE\\\" UPG1", "", "ERRORS" }));
    EXPECT_EQ(got.runParamValue1, "BILDOR");
}

TEST_F(CommandListTest, CommandFileNamedInUpperCaseIsFound)
{
    writeFile(path("jobs/nightly.cmd"), "ERRORS\n");
    const CommandLine got = shell::buildCommandList({ "@JOBS/NIGHTLY.CMD" }, tmp.path());
    EXPECT_EQ(got.lines, QStringList({ "ERRORS" }));
    EXPECT_EQ(got.commandFilePath, path("jobs/nightly.cmd"));
}

TEST_F(CommandListTest, WindowsCodePageCommandFileReadsAsWritten)
{
    // "LANGUAGE ŠČ" in Windows-1250.
    writeFile(path("w.cmd"), QByteArray("LANGUAGE \x8a\xc8\r\n"));
    const CommandLine got = shell::buildCommandList({ "@w.cmd" }, tmp.path());
    EXPECT_EQ(got.lines, QStringList({ QStringLiteral("LANGUAGE ŠČ") }));
}

TEST_F(CommandListTest, MissingCommandFileLeavesTheEmptyList)
{
    const CommandLine got = shell::buildCommandList({ "@nothing.cmd", "VOXA" }, tmp.path());
    EXPECT_TRUE(got.fileMode);
    EXPECT_EQ(got.lines, QStringList({ "" }));
    EXPECT_TRUE(got.commandFilePath.isEmpty());
}

TEST_F(CommandListTest, CommandFileNameIsAtMostFiftyCharacters)
{
    const QString name(50, QLatin1Char('f'));
    writeFile(path(name), "ERRORS\n");
    const CommandLine got = shell::buildCommandList({ "@" + name + "TAIL" }, tmp.path());
    EXPECT_EQ(got.commandFile, name);
    EXPECT_EQ(got.lines, QStringList({ "ERRORS" }));
}

TEST(StartupWords, AreObeyedInOrder)
{
    struct Case {
        const char* name;
        QStringList lines;
        bool fileMode = false;
        QStringList runParams = {}; // command-line parameters 2 to 4
        QMap<QString, QString> remembered = {}; // "INSTANCE/USER" -> password
        StartupState expected;
    };
    // The state before the words: the values of the settings file.
    StartupState settings;
    settings.connUser = "SETUSER";
    settings.connServer = "TEST";
    settings.connPassword = "SETPW";
    settings.connPasswordUtil = "UTILPW";
    settings.currLanguage = "ANG";
    const auto expect = [&settings](const std::function<void(StartupState&)>& change) {
        StartupState s = settings;
        change(s);
        return s;
    };
    const auto logon = [](StartupState& s, const QString& user, const QString& server, const QString& password) {
        s.connUser = user;
        s.connServer = server;
        s.connPassword = password;
        s.pAutoG = true;
    };
    const Case cases[] = {
        { "no words", { "", "   " }, false, {}, {}, settings },
        { "built-in password by code", { "", "CONNECT VOXA 8 PROD" }, false, {}, {}, expect([&](StartupState& s) {
             logon(s, "VOXA", "PROD", "TORVA58");
             s.connPasswordUtil = "TORVA58";
         }) },
        { "a remembered password wins over the code", { "CONNECT VOXA 6 PROD" }, false, {}, { { "PROD/VOXA", "MINE" } },
            expect([&](StartupState& s) { logon(s, "VOXA", "PROD", "MINE"); }) },
        { "the seventh code character takes the utility password", { "CONNECT VEXO_UTIL P PROD" }, false, {}, {},
            expect([&](StartupState& s) { logon(s, "VEXO_UTIL", "PROD", "UTILPW"); }) },
        { "a run of code characters takes only the remembered password", { "CONNECT VOXA QP PROD" }, false, {}, {},
            expect([&](StartupState& s) { logon(s, "VOXA", "PROD", ""); }) },
        { "a plain password", { "CONNECT voxa tiger prod" }, false, {}, {}, expect([&](StartupState& s) {
             logon(s, "VOXA", "PROD", "TIGER");
             s.connPasswordUtil = "TIGER";
         }) },
        { "audit-host form with a code", { "CONNECT VOXA A8 PROD" }, false, {}, {}, expect([&](StartupState& s) {
             logon(s, "VOXA", "PROD", "TORVA58");
             s.connPasswordUtil = "TORVA58";
             s.p_ScriptAudit = true;
         }) },
        { "audit-host form alone keeps the settings' password", { "CONNECT VOXA A PROD" }, false, {}, {},
            expect([&](StartupState& s) {
                logon(s, "VOXA", "PROD", "SETPW");
                s.p_ScriptAudit = true;
            }) },
        { "no password keeps the settings' database", { "CONNECT VOXA \"\" PROD" }, false, {}, {},
            expect([&](StartupState& s) { logon(s, "VOXA", "TEST", "SETPW"); }) },
        { "only the first logon counts", { "CONNECT VOXA tiger PROD", "CONNECT BILDOR lion TEST" }, false, {}, {},
            expect([&](StartupState& s) {
                logon(s, "VOXA", "PROD", "TIGER");
                s.connPasswordUtil = "TIGER";
            }) },
        { "saving login data before a logon without password", { "SAVELOGINDATA", "CONNECT VOXA" }, false, {}, {},
            expect([&](StartupState& s) {
                logon(s, "VOXA", "TEST", "SETPW");
                s.bSaveLoginData = true;
                s.bHaveToSaveLoginData = true;
            }) },
        { "saving login data after the logon counts not for it", { "CONNECT VOXA", "SAVELOGINDATA" }, false, {}, {},
            expect([&](StartupState& s) {
                logon(s, "VOXA", "TEST", "SETPW");
                s.bSaveLoginData = true;
            }) },
        { "saved login data used for a logon without password", { "USELOGINDATA", "CONNECT" }, false, {}, {},
            expect([&](StartupState& s) {
                logon(s, "saved", "SAVEDDB", "savedpw");
                s.bUseLoginData = true;
            }) },
        { "clearing and language", { "clearlogindata", "language slo" }, false, {}, {}, expect([&](StartupState& s) {
             s.bClearLoginData = true;
             s.currLanguage = "SLO";
         }) },
        { "the command line fills a command file's logon", { "CONNECT", "ERRORS" }, true, { "voxa", "tiger", "PROD" },
            {}, expect([&](StartupState& s) {
                logon(s, "voxa", "PROD", "tiger");
                s.connPasswordUtil = "tiger";
            }) },
        { "the command file's own values win", { "CONNECT BILDOR LION TEST2" }, true, { "voxa", "tiger", "PROD" }, {},
            expect([&](StartupState& s) {
                logon(s, "BILDOR", "TEST2", "LION");
                s.connPasswordUtil = "LION";
            }) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommandLine commandLine;
        commandLine.lines = c.lines;
        commandLine.fileMode = c.fileMode;
        commandLine.runParamValue1 = c.runParams.value(0);
        commandLine.runParamValue2 = c.runParams.value(1);
        commandLine.runParamValue3 = c.runParams.value(2);
        shell::StartupServices services;
        services.rememberedPassword
            = [&c](const QString& instance, const QString& user) { return c.remembered.value(instance + "/" + user); };
        services.readLoginData = [](StartupState& s) {
            s.connUser = "saved";
            s.connPassword = "savedpw";
            s.connServer = "SAVEDDB";
        };
        StartupState got = settings;
        shell::obeyStartupWords(commandLine, got, services);
        EXPECT_EQ(got.connUser, c.expected.connUser);
        EXPECT_EQ(got.connServer, c.expected.connServer);
        EXPECT_EQ(got.connPassword, c.expected.connPassword);
        EXPECT_EQ(got.connPasswordUtil, c.expected.connPasswordUtil);
        EXPECT_EQ(got.currLanguage, c.expected.currLanguage);
        EXPECT_EQ(got.pAutoG, c.expected.pAutoG);
        EXPECT_EQ(got.p_ScriptAudit, c.expected.p_ScriptAudit);
        EXPECT_EQ(got.bSaveLoginData, c.expected.bSaveLoginData);
        EXPECT_EQ(got.bUseLoginData, c.expected.bUseLoginData);
        EXPECT_EQ(got.bClearLoginData, c.expected.bClearLoginData);
        EXPECT_EQ(got.bHaveToSaveLoginData, c.expected.bHaveToSaveLoginData);
    }
}

class ResolveFileNameTest : public testsupport::TempDirTest { };

TEST_F(ResolveFileNameTest, FindsUpperCaseNamesOfMixedCaseFiles)
{
    writeFile(path("Skripte/Upg1.sql"), "select 1 from dual\n/\n");
    writeFile(path("Skripte/data.txt"), "");
    struct Case {
        const char* name;
        QString given;
        QString baseDir;
        QString expected;
    };
    const Case cases[] = {
        { "exact name", path("Skripte/Upg1.sql"), {}, path("Skripte/Upg1.sql") },
        { "upper-case absolute path", tmp.path() + "/SKRIPTE/UPG1.SQL", {}, path("Skripte/Upg1.sql") },
        { "relative to a base directory", "SKRIPTE/DATA.TXT", tmp.path(), path("Skripte/data.txt") },
        { "backslashes separate", "SKRIPTE\\UPG1.SQL", tmp.path(), path("Skripte/Upg1.sql") },
        { "a directory alone", tmp.path() + "/SKRIPTE", {}, path("Skripte") },
        { "a missing file comes back as given", "SKRIPTE/UPG2.SQL", tmp.path(), path("SKRIPTE/UPG2.SQL") },
        { "empty name", "", tmp.path(), tmp.path() + "/" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QDir::cleanPath(shell::resolveFileNameIgnoringCase(c.given, c.baseDir)), QDir::cleanPath(c.expected));
    }
}

TEST_F(ResolveFileNameTest, PrefersTheExactNameAmongSeveralMatches)
{
    writeFile(path("run.cmd"), "a");
    writeFile(path("RUN.CMD"), "b");
    EXPECT_EQ(shell::resolveFileNameIgnoringCase("RUN.CMD", tmp.path()), path("RUN.CMD"));
    EXPECT_EQ(shell::resolveFileNameIgnoringCase("Run.Cmd", tmp.path()), path("RUN.CMD"));
}

// The program itself run unattended, as a scheduler runs it: command files that store and run scripts on the demo
// database (once, and over the two instances of instance.txt), a script that breaks off, the last-version check,
// usage and logon errors with their exit statuses and messages, and a run over the demo's three installations.
#include "engine/engine.h"
#include "engine/kit/kit.h"
#include "kit/kit_fixture.h"
#include "support/tempdir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>

namespace {

// The program beside an instance.txt of the test's own: a hard link to the built program in a directory of this
// process (a copy where the build lies on another file system). Tests of one process run one after the other.
const QString& programDir()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        const QString target = dir.filePath(QStringLiteral("dremmox"));
        if (::link(DREMMOX_PROGRAM, QFile::encodeName(target).constData()) != 0)
            QFile::copy(QStringLiteral(DREMMOX_PROGRAM), target);
        return QFileInfo(target).isExecutable();
    }();
    static const QString path = made ? dir.path() : QString();
    return path;
}

struct Outcome {
    int code = -1;
    QString err;
    QString out;
};

class RunnerProgram : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(programDir().isEmpty()) << "build the program first (target dremmox): " << DREMMOX_PROGRAM;
        databases = path(QStringLiteral("data/dremmox/databases"));
        QDir().mkpath(databases);
        engine::kit::demoTemplate(QDir(databases).filePath(QStringLiteral("DEMO")).toStdString());
        work = path(QStringLiteral("work"));
        QDir().mkpath(work + QStringLiteral("/scripts"));
        QFile::remove(instanceFile());
    }
    void TearDown() override { QFile::remove(instanceFile()); }

    QString instanceFile() const { return programDir() + QStringLiteral("/instance.txt"); }
    QString errorFile() const { return path(QStringLiteral("data/dremmox/dremmox.err")); }
    QString scriptDir() const { return work + QStringLiteral("/scripts"); }

    void write(const QString& file, const QString& text)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    }
    QString read(const QString& file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    // Runs the program to its end; without a display when `display` is false.
    Outcome run(const QStringList& arguments, bool display = true)
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "TNS_ADMIN", "ORACLE_HOME", "DREMMOX_ORACLE_CLIENT", "DISPLAY", "WAYLAND_DISPLAY" })
            env.remove(QLatin1String(name));
        if (display)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        else
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.insert(QStringLiteral("HOME"), tmp.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(work);
        program.start(programDir() + QStringLiteral("/dremmox"), arguments);
        Outcome o;
        if (!program.waitForStarted() || !program.waitForFinished(180000)) {
            program.kill();
            program.waitForFinished();
            ADD_FAILURE() << "the program did not end by itself: " << arguments.join(' ').toStdString();
            return o;
        }
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        o.code = program.exitCode();
        o.err = QString::fromLocal8Bit(program.readAllStandardError());
        o.out = QString::fromLocal8Bit(program.readAllStandardOutput());
        return o;
    }

    // Every row of a query on a database of the data directory, each as one line; the database is closed again.
    std::vector<std::string> rows(const char* database, const std::string& sql)
    {
        auto db = engine::Database::open(QDir(databases).filePath(QLatin1String(database)).toStdString());
        auto session = db->logOn("VOXA", "VOXA");
        return kittest::rows(*session, sql);
    }
    void execute(const char* database, const std::string& sql)
    {
        auto db = engine::Database::open(QDir(databases).filePath(QLatin1String(database)).toStdString());
        auto session = db->logOn("VOXA", "VOXA");
        session->execute(sql);
        session->commit();
    }
    std::vector<std::string> scriptRows(const char* database, const char* script)
    {
        return rows(database,
            std::string("select script_counter || ' ' || script_stat || ' ' || nvl(script_owner, '-') from "
                        "vexo_util.vexo_exs where script_name = '")
                + script + "' order by script_owner, script_counter");
    }

    QString databases;
    QString work;
    QTemporaryDir runtimeDir;
};

} // namespace

TEST_F(RunnerProgram, ACommandFileStoresAndRunsAScriptAndEndsWith0WithoutADisplay)
{
    write(scriptDir() + QStringLiteral("/v2001_orders.sql"),
        QStringLiteral("CREATE TABLE VOXA.RUN_ORDERS (A NUMBER)\n/\nINSERT INTO VOXA.RUN_ORDERS VALUES (7)\n/\n"));
    // The directory and file name are upper-cased by the command file and found all the same.
    write(work + QStringLiteral("/deploy.txt"),
        QStringLiteral("CONNECT VOXA VOXA DEMO\nSCRIPT V2001_ORDERS ") + scriptDir() + QLatin1Char('\n'));
    QDir().mkpath(QFileInfo(errorFile()).path());
    write(errorFile(), QStringLiteral("an earlier run's failure\n"));

    const Outcome o = run({ "@DEPLOY.TXT" }, false);
    EXPECT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_EQ(scriptRows("DEMO", "V2001_ORDERS"), (std::vector<std::string> { "1 X VOXA", "2 X VOXA" }));
    EXPECT_EQ(rows("DEMO", "select a from voxa.run_orders"), (std::vector<std::string> { "7" }));
    EXPECT_FALSE(QFile::exists(errorFile())); // a successful run leaves no error file behind
}

TEST_F(RunnerProgram, ACommandFileRunsOnEveryInstanceOfInstanceTxt)
{
    engine::kit::demoTemplate(QDir(databases).filePath(QStringLiteral("DEMO2")).toStdString());
    write(scriptDir() + QStringLiteral("/v2002_both.sql"), QStringLiteral("CREATE TABLE VOXA.RUN_BOTH (A NUMBER)\n/\n"));
    write(instanceFile(), QStringLiteral("DEMO\n\nDEMO2\n"));
    write(work + QStringLiteral("/both.txt"),
        QStringLiteral("CONNECT VOXA VOXA DEMO\nSCRIPT V2002_BOTH ") + scriptDir() + QStringLiteral("\nLASTVERSIONCHECK V2002_BOTH\n"));

    const Outcome o = run({ "@both.txt" });
    EXPECT_EQ(o.code, 0) << o.err.toStdString();
    for (const char* database : { "DEMO", "DEMO2" }) {
        SCOPED_TRACE(database);
        EXPECT_EQ(scriptRows(database, "V2002_BOTH"), (std::vector<std::string> { "1 X VOXA" }));
    }
}

TEST_F(RunnerProgram, AStatementThatFailsWithBreakOnErrorEndsWith1AndTheErrorFile)
{
    write(scriptDir() + QStringLiteral("/v2003_broken.sql"),
        QStringLiteral("SELECT 1 FROM DUAL\n/\nINSERT INTO VOXA.NO_SUCH_TABLE VALUES (1)\n/\nSELECT 3 FROM DUAL\n/\n"));
    write(work + QStringLiteral("/broken.txt"),
        QStringLiteral("CONNECT VOXA VOXA DEMO\nSCRIPT V2003_BROKEN ") + scriptDir() + QStringLiteral("\nOWNER VOXA\n"));

    const Outcome o = run({ "@broken.txt" });
    EXPECT_EQ(o.code, 1) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(QLatin1String("ORA-00942"))) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(QLatin1String("Line 2: SCRIPT failed"))) << o.err.toStdString();
    EXPECT_EQ(scriptRows("DEMO", "V2003_BROKEN"), (std::vector<std::string> { "1 X VOXA", "2 E VOXA", "3 N VOXA" }));
    const QString errors = read(errorFile());
    EXPECT_TRUE(errors.startsWith(QLatin1String("Line 2: SCRIPT failed: the script V2003_BROKEN broke off at row 2: ORA-00942")))
        << errors.toStdString();
}

TEST_F(RunnerProgram, UsageAndLogonErrorsEndWith2AndSayWhy)
{
    write(work + QStringLiteral("/unknown.txt"), QStringLiteral("CONNECT VOXA VOXA DEMO\nDEPLOY V1\n"));
    write(work + QStringLiteral("/logon.txt"), QStringLiteral("CONNECT VOXA \"\" DEMO\nLANGUAGE SLO\nOWNER VOXA\n"));
    struct Case {
        const char* name;
        QStringList arguments;
        int code;
        const char* says;
    };
    const std::vector<Case> cases = {
        { "an unknown command", { "@unknown.txt" }, 2, "Line 2: DEPLOY is no command of the command language." },
        { "a missing command file", { "@nothere.txt" }, 2, "The command file nothere.txt does not exist." },
        { "a bad password", { "@logon.txt", "VOXA", "WRONG", "DEMO" }, 2, "ORA-01017" },
        { "no credentials at all", { "OWNER", "VOXA" }, 2, "Prazno geslo ali baza!" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome o = run(c.arguments);
        EXPECT_EQ(o.code, c.code);
        EXPECT_TRUE(o.err.contains(QLatin1String(c.says))) << o.err.toStdString();
    }
    const Outcome help = run({ "--help" }, false);
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(QLatin1String("Exit status: 0 every command succeeded"))) << help.out.toStdString();
}

TEST_F(RunnerProgram, LastVersionCheckPassesOrEndsTheListWithTheErrorFile)
{
    // V0700_LEDGER has executed rows in the demo; the listed XV0700_LEDGER, which ends in that name,
    // is another script and has none.
    write(work + QStringLiteral("/passes.txt"),
        QStringLiteral("CONNECT VOXA VOXA DEMO\nLASTVERSIONCHECK V0000,V0700_LEDGER\nSISTEM\n"));
    Outcome o = run({ "@passes.txt" });
    // SISTEM comes after the check: its window is not in this program, which is a failure of its own.
    EXPECT_EQ(o.code, 1) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(QLatin1String("Line 3: SISTEM is not available"))) << o.err.toStdString();
    EXPECT_FALSE(o.err.contains(QLatin1String("none of the scripts")));

    write(work + QStringLiteral("/fails.txt"),
        QStringLiteral("CONNECT VOXA VOXA DEMO\nLASTVERSIONCHECK XV0700_LEDGER,V0000\nSISTEM\n"));
    o = run({ "@fails.txt" });
    EXPECT_EQ(o.code, 1);
    EXPECT_TRUE(o.err.contains(QLatin1String("Line 2: none of the scripts XV0700_LEDGER,V0000 has been executed")))
        << o.err.toStdString();
    EXPECT_FALSE(o.err.contains(QLatin1String("SISTEM"))); // the rest of the list was skipped
    EXPECT_EQ(read(errorFile()), QStringLiteral("XV0700_LEDGER,V0000\n"));
}

TEST_F(RunnerProgram, ASeveralInstallationsRunRecordsStatusAndDateForEveryInstallation)
{
    write(work + QStringLiteral("/vecInstalacij"), QStringLiteral("DEMO2 no\nDEMO TRUE several installations\n"));
    write(scriptDir() + QStringLiteral("/v2004_hosted.sql"),
        QStringLiteral("CREATE TABLE VOXA.HOSTED (A NUMBER)\n/\nINSERT INTO VOXA.HOSTED VALUES (1)\n/\n"));
    write(work + QStringLiteral("/MU_deploy.txt"),
        QStringLiteral("CONNECT VOXA VOXA DEMO\nSCRIPT V2004_HOSTED ") + scriptDir() + QLatin1Char('\n'));
    // The second installation has the script already.
    execute("DEMO",
        "INSERT INTO VEXO_UTIL.VEXO_EXS VALUES ('V2004_HOSTED', 1, 'X', 'CREATE TABLE VZAS2.HOSTED (A NUMBER)', NULL, "
        "'VZAS2', SYSDATE)");
    const Outcome o = run({ "@MU_deploy.txt" });
    EXPECT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_EQ(scriptRows("DEMO", "V2004_HOSTED"),
        (std::vector<std::string> { "1 X VZAS1", "2 X VZAS1", "1 X VZAS2", "1 X VZAS3", "2 X VZAS3" }));
    EXPECT_EQ(rows("DEMO",
                  "select owner from all_tables where table_name = 'HOSTED' order by owner"),
        (std::vector<std::string> { "VZAS1", "VZAS3" }));
    // The demo's rows are three days old (or have no date): a date of today is this run's.
    EXPECT_EQ(rows("DEMO",
                  "select userindex || ' ' || lastscriptstatus || ' ' || decode(sign(lastscriptdate - (sysdate - 1)), "
                  "1, 'new', 'old') from vexo_util.vexo_instalations order by userindex"),
        (std::vector<std::string> { "1 X new", "2 X new", "3 X new" }));
}

TEST_F(RunnerProgram, ErrorsRecompilesAndFailsWhileInvalidObjectsRemain)
{
    // BILDOR has nothing invalid; VOXA keeps P_ARCHIVE_ORDERS invalid, since its table is gone.
    write(work + QStringLiteral("/errors.txt"), QStringLiteral("CONNECT VOXA VOXA DEMO\nERRORS BILDOR\nERRORS\n"));
    const Outcome o = run({ "@errors.txt" });
    EXPECT_EQ(o.code, 1) << o.err.toStdString();
    EXPECT_FALSE(o.err.contains(QLatin1String("Line 2:"))) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(QLatin1String("Line 3: invalid objects of VOXA remain after the recompilation.")))
        << o.err.toStdString();
}

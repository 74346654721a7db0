// The logon dialog and the worksheet on the Oracle client driver: a person logs on to an alias of a tnsnames.ora
// served by the test double of the client library, and the worksheet shows the rows, errors, compile warnings,
// server output and breaks that come through the client. Without a client, the logon says what is missing.
#include "../fakeoci/fakeclient.h"
#include "db/datasetmodel.h"
#include "db/drivers.h"
#include "db/oci/ociclient.h"
#include "db/oci/ocidriver.h"
#include "db/oci/tnsnames.h"
#include "db/session.h"
#include "develop/registerwindows.h"
#include "develop/workshet.h"
#include "engine/kit/kit.h"
#include "shell/Main.h"
#include "shell/connect.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"
#include "shell/themedgrid.h"
#include "support/person.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

using testsupport::Person;
using testsupport::visibleTopLevel;
using testsupport::waitFor;

namespace {

// What the server behind the alias ORCLFAKE answers. The compile-error query is left unscripted (no rows), as when
// the dictionary does not list the errors: the worksheet then reports the server's warning itself. The session's
// number and its I/O counters are answered unless sessionNumber is false (a user who may not read them).
QJsonObject serverScript(const QJsonArray& extraStatements = {}, bool sessionNumber = true)
{
    QJsonObject o = QJsonDocument::fromJson(R"({
      "users": {"VOXA": "VOXA"},
      "aliases": ["ORCLFAKE"],
      "version": "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production",
      "output": ["prva", "druga"],
      "statements": [
        {"match": "V$VERSION", "columns": [{"name": "BANNER", "type": 1, "size": 80}],
         "rows": [["Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production"]]},
        {"match": "from scott.emp e", "columns": [{"name": "ROWID", "type": 11, "size": 10},
            {"name": "ENAME", "type": 1, "size": 10}],
         "rows": [["AAAR3sAAEAAAACXAAB", "FORD"]]},
        {"match": "from scott.emp", "columns": [
            {"name": "EMPNO", "type": 2, "size": 22, "precision": 4, "scale": 0, "nullable": false},
            {"name": "ENAME", "type": 1, "size": 10}],
         "rows": [[7369, "SMITH"], [7499, "ALLEN"], [7521, "WARD"]]},
        {"match": "from nosuchtable", "error": {"code": 942, "message": "ORA-00942: table or view does not exist",
         "offset": 17}},
        {"match": "procedure ws_bad", "warning": {"code": 24344,
         "message": "ORA-24344: success with compilation error"}},
        {"match": "long_running", "blockUntilBreak": true},
        {"match": "where rowid = :", "rowCount": 1, "transaction": true},
        {"match": "update scott.emp", "rowCount": 3, "transaction": true},
        {"match": "from dual", "columns": [{"name": "X", "type": 1, "size": 2}], "rows": [["ok"]]}
      ]})")
                        .object();
    QJsonArray statements = o.value(QStringLiteral("statements")).toArray();
    if (sessionNumber) {
        statements.prepend(QJsonDocument::fromJson(R"({"match": "v$sess_io", "columns": [
            {"name": "SID", "type": 2, "size": 22}, {"name": "BLOCK_GETS", "type": 2, "size": 22},
            {"name": "CONSISTENT_GETS", "type": 2, "size": 22}, {"name": "PHYSICAL_READS", "type": 2, "size": 22},
            {"name": "BLOCK_CHANGES", "type": 2, "size": 22}, {"name": "CONSISTENT_CHANGES", "type": 2, "size": 22}],
            "rows": [[27, 4, 9, 0, 2, 1]]})")
                               .object());
        statements.prepend(QJsonDocument::fromJson(R"({"match": "'USERENV','SID'",
            "columns": [{"name": "SID", "type": 2, "size": 22}], "rows": [[27]]})")
                               .object());
    }
    for (const QJsonValue& v : extraStatements)
        statements.prepend(v);
    o.insert(QStringLiteral("statements"), statements);
    return o;
}

TfmConnect* logonDialog()
{
    return visibleTopLevel<TfmConnect>();
}

QMessageBox* messageBox()
{
    return visibleTopLevel<QMessageBox>();
}

// Types user, password and database into the logon dialog and presses Connect (queued: it opens modal windows).
Person::Step logOnAs(const QString& user, const QString& password, const QString& database)
{
    return { [] { return logonDialog() != nullptr && messageBox() == nullptr; },
        [=] {
            TfmConnect* d = logonDialog();
            d->findChild<QLineEdit*>(QStringLiteral("edUser"))->setText(user);
            d->findChild<QLineEdit*>(QStringLiteral("edPassword"))->setText(password);
            auto* databases = d->findChild<QComboBox*>(QStringLiteral("cbDatabases"));
            databases->setCurrentIndex(databases->findText(database));
            auto* connect = d->findChild<QPushButton*>(QStringLiteral("btConnect"));
            QTimer::singleShot(0, connect, [connect] { connect->click(); });
        } };
}

// The main window over an empty data directory (no embedded database), the process's client driver on the double
// and a tnsnames.ora of its own found through TNS_ADMIN.
class OracleClientGui : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        oldTnsAdmin = qgetenv("TNS_ADMIN");
        oldOracleHome = qgetenv("ORACLE_HOME");
        QDir().mkpath(path(QStringLiteral("bin")));
        QDir().mkpath(path(QStringLiteral("databases")));
        QDir().mkpath(path(QStringLiteral("network/admin")));
        QFile tns(path(QStringLiteral("network/admin/tnsnames.ora")));
        ASSERT_TRUE(tns.open(QIODevice::WriteOnly));
        tns.write("# the double's server\n"
                  "ORCLFAKE =\n"
                  "  (DESCRIPTION =\n"
                  "    (ADDRESS = (PROTOCOL = TCP)(HOST = db.example.com)(PORT = 1521))\n"
                  "    (CONNECT_DATA = (SERVICE_NAME = orcl)))\n"
                  "PROD = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = prod)(PORT = 1521))"
                  "(CONNECT_DATA = (SID = PROD)))\n");
        tns.close();
        qputenv("TNS_ADMIN", path(QStringLiteral("network/admin")).toLocal8Bit());
        qunsetenv("ORACLE_HOME");
        db::setEmbeddedDataDirectory(path(QStringLiteral("databases")));
        db::oci::setClientLocation(QStringLiteral(DREMMOX_FAKEOCI_HOME));
        db::setOracleClientDriver(db::oci::newClientDriver());
        db::setOracleAliasProvider(&db::oci::clientAliases);
        fake.configure(QJsonDocument(serverScript()).toJson().constData());
    }
    void TearDown() override
    {
        if (sheet) {
            closeAnswer = std::make_unique<QTimer>();
            QObject::connect(closeAnswer.get(), &QTimer::timeout, [] {
                if (auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    dlg->done(shell::mrNo);
            });
            closeAnswer->start(20);
            sheet->close();
            waitFor([&] { return sheet.isNull(); }, 10000);
        }
        person.reset();
        if (main)
            main->osOracle->logOff();
        main.reset();
        db::setOracleClientDriver(nullptr);
        db::setOracleAliasProvider({});
        db::oci::setClientLocation({});
        db::setEmbeddedDataDirectory({});
        qputenv("TNS_ADMIN", oldTnsAdmin);
        if (oldOracleHome.isNull())
            qunsetenv("ORACLE_HOME");
        else
            qputenv("ORACLE_HOME", oldOracleHome);
    }

    void create(const QStringList& arguments = {})
    {
        TfmMain::Environment env;
        env.arguments = arguments;
        env.executableDir = path(QStringLiteral("bin")) + QLatin1Char('/');
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\OracleClientLogin");
        main = std::make_unique<TfmMain>(env);
        shell::installConnectionSequence(*main);
        QObject::connect(main.get(), &TfmMain::closed, [this] { ++closed; });
    }
    // Shows the main window as the program does; its activation brings up the logon dialog.
    void start(std::vector<Person::Step> steps)
    {
        person = std::make_unique<Person>(std::move(steps));
        main->show();
        main->activateWindow();
    }

    // Logs on through the dialog and opens a worksheet on the main session.
    void logOnAndOpenWorksheet()
    {
        create();
        QStringList offered;
        Person::Step look { [] { return logonDialog() != nullptr; },
            [&offered] {
                auto* databases = logonDialog()->findChild<QComboBox*>(QStringLiteral("cbDatabases"));
                for (int i = 0; i < databases->count(); ++i)
                    offered << databases->itemText(i);
            } };
        start({ look, logOnAs(QStringLiteral("VOXA"), QStringLiteral("VOXA"), QStringLiteral("ORCLFAKE")) });
        ASSERT_TRUE(waitFor([&] { return main->osOracle->connected() && logonDialog() == nullptr; }, 20000));
        // The dialog offered the client's aliases, sorted, and nothing else.
        EXPECT_EQ(offered, (QStringList { QStringLiteral("ORCLFAKE"), QStringLiteral("PROD") }));
        EXPECT_EQ(main->osOracle->databaseKind(), QStringLiteral("Oracle"));
        EXPECT_EQ(main->connServer, QStringLiteral("ORCLFAKE"));
        EXPECT_EQ(main->ORACLEVersion, QStringLiteral("19"));
        develop::registerWindows();
        sheet = develop::openWorkSheet(*main);
        ASSERT_TRUE(sheet);
    }

    // Types the text and presses Execute; waits until the run has reported.
    void run(const QString& text)
    {
        sheet->meWork->setText(text);
        sheet->spExe->click();
        ASSERT_TRUE(waitFor([&] { return !sheet->running(); }, 20000)) << text.toStdString();
    }
    QWidget* currentPage() const { return sheet->pcResp->currentWidget(); }
    QString output() const { return sheet->meRespSQL->toPlainText(); }
    QString errors() const { return sheet->meRespError->toPlainText(); }
    db::DataSetModel* model() const { return sheet->dbgSelect->dataModel(); }
    QString cell(int row, int column) const { return model()->index(row, column).data().toString(); }

    FakeClient& fake = FakeClient::get();
    QByteArray oldTnsAdmin;
    QByteArray oldOracleHome;
    std::unique_ptr<TfmMain> main;
    std::unique_ptr<Person> person;
    QPointer<TfmWorkSheet> sheet;
    std::unique_ptr<QTimer> closeAnswer;
    int closed = 0;
};

} // namespace

TEST_F(OracleClientGui, QueryRowsComeIntoTheGrid)
{
    logOnAndOpenWorksheet();
    run(QStringLiteral("-- employees\r\nselect empno, ename from scott.emp order by empno\r\n"));
    EXPECT_EQ(currentPage(), sheet->TabRespGrid) << errors().toStdString();
    ASSERT_EQ(model()->rowCount(), 3);
    EXPECT_EQ(model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("EMPNO"));
    EXPECT_EQ(model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("ENAME"));
    EXPECT_EQ(cell(0, 0), QStringLiteral("7369"));
    EXPECT_EQ(cell(2, 1), QStringLiteral("WARD"));
    EXPECT_FALSE(sheet->lError);
}

// A user who may not read the session's number (V$MYSTAT, SYS_CONTEXT answered by nothing here): the worksheet says
// once, when it opens, that there are no statistics, and their menu items are off; the statements run all the same.
TEST_F(OracleClientGui, StatisticsThatCannotBeReadAreSaidWhenTheWorksheetOpens)
{
    fake.configure(QJsonDocument(serverScript({}, false)).toJson().constData());
    QString said;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = messageBox();
        if (box && box->isVisible() && said.isEmpty()) {
            said = box->text();
            box->accept();
        }
    });
    answer.start(10);
    logOnAndOpenWorksheet();
    ASSERT_TRUE(waitFor([&] { return !said.isEmpty(); }));
    EXPECT_EQ(said, QStringLiteral("Error on statistic!"));
    EXPECT_FALSE(sheet->miViewStatistics->isEnabled());
    EXPECT_FALSE(sheet->miStatisticsScreen->isEnabled());
    run(QStringLiteral("select empno, ename from scott.emp order by empno"));
    EXPECT_EQ(model()->rowCount(), 3);
}

// Oracle reports the parse error's offset in bytes from the start of the statement sent; the comment line the
// worksheet dropped before sending still counts in the editor.
TEST_F(OracleClientGui, ErrorIsMarkedAtItsLineAndColumn)
{
    logOnAndOpenWorksheet();
    run(QStringLiteral("-- which table?\r\nselect *\r\n  from nosuchtable\r\n"));
    EXPECT_EQ(currentPage(), sheet->TabRespError);
    EXPECT_TRUE(errors().contains(QStringLiteral("ORA-00942: table or view does not exist"))) << errors().toStdString();
    const QStringList lines = errors().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.at(2), QStringLiteral("  from nosuchtable"));
    EXPECT_EQ(lines.at(3), QString(7, QLatin1Char(' ')) + QString(11, QLatin1Char('*')));
    EXPECT_EQ(sheet->meWork->errorMarkLine(), 3);
    EXPECT_EQ(sheet->meWork->errorMarkPosition(), 8);
    EXPECT_TRUE(sheet->lError);
}

// A CREATE PROCEDURE that compiles with errors succeeds with ORA-24344; the worksheet lists the errors the
// dictionary holds, or the server's warning when it lists none, and never calls the statement simply processed.
TEST_F(OracleClientGui, CompilationErrorIsReported)
{
    logOnAndOpenWorksheet();
    const QString create = QStringLiteral("create or replace procedure ws_bad is\r\nbegin\r\n  x := 1;\r\nend;");
    run(create);
    EXPECT_EQ(currentPage(), sheet->TabRespError);
    EXPECT_TRUE(errors().contains(QStringLiteral("ORA-24344: success with compilation error")))
        << errors().toStdString();
    EXPECT_FALSE(output().contains(QStringLiteral("Statement processed")));
    EXPECT_TRUE(sheet->lError);

    fake.configure(QJsonDocument(serverScript({ QJsonDocument::fromJson(R"({"match": "sys.error$",
        "columns": [{"name": "OBJECT", "type": 1, "size": 30}, {"name": "LINE", "type": 2},
                    {"name": "POSITION", "type": 2}, {"name": "TEXT", "type": 1, "size": 400}],
        "rows": [["WS_BAD", 3, 3, "PLS-00201: identifier 'X' must be declared"]]})")
                                                    .object() }))
                       .toJson()
                       .constData());
    run(create);
    EXPECT_EQ(currentPage(), sheet->TabRespError);
    const QStringList lines = errors().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 2) << errors().toStdString();
    EXPECT_EQ(lines.at(0), QStringLiteral("3/3"));
    EXPECT_EQ(lines.at(1), QStringLiteral("PLS-00201: identifier 'X' must be declared"));
    EXPECT_FALSE(output().contains(QStringLiteral("Statement processed")));
}

// The rows a DML statement processed come from the client's row count; the transaction it began is the server's,
// and Commit ends it there.
TEST_F(OracleClientGui, DmlCountsRowsAndCommits)
{
    logOnAndOpenWorksheet();
    run(QStringLiteral("update scott.emp set sal = sal * 1.1 where deptno = 20"));
    EXPECT_EQ(currentPage(), sheet->TabRespSQL) << errors().toStdString();
    EXPECT_TRUE(output().contains(QStringLiteral("3 rows processed"))) << output().toStdString();
    EXPECT_TRUE(main->osOracle->inTransaction());
    EXPECT_TRUE(sheet->btCommit->isEnabled());
    sheet->btCommit->click();
    EXPECT_TRUE(fake.lines().contains(QStringLiteral("commit")));
    EXPECT_FALSE(main->osOracle->inTransaction());
    EXPECT_FALSE(sheet->btCommit->isEnabled());
}

// A result with the ROWID is edited in the grid: the change goes to the server keyed by the ROWID the client
// fetched as text, and Commit ends the transaction there.
TEST_F(OracleClientGui, RowidResultIsEditedAndCommitted)
{
    logOnAndOpenWorksheet();
    run(QStringLiteral("select e.rowid, e.ename from scott.emp e where empno = 7902"));
    ASSERT_TRUE(sheet->quDynWork->cachedUpdates()) << errors().toStdString();
    ASSERT_EQ(model()->rowCount(), 1);
    const int nameColumn = sheet->quDynWork->fieldIndex(QStringLiteral("ENAME"));
    ASSERT_TRUE(model()->setData(model()->index(0, nameColumn), QStringLiteral("FORDE")));
    sheet->quDynWork->post();
    EXPECT_TRUE(sheet->btCommit->isEnabled());
    sheet->btCommit->click();
    const QStringList log = fake.lines();
    const int update = log.indexOf(QRegularExpression(QStringLiteral("^prepare update .* where rowid = :DMX_ROWID$")));
    ASSERT_GE(update, 0) << log.join('\n').toStdString();
    EXPECT_TRUE(log.mid(update).contains(QStringLiteral("bind DMX_ROWID 1 AAAR3sAAEAAAACXAAB")))
        << log.join('\n').toStdString();
    EXPECT_FALSE(log.mid(update).filter(QStringLiteral("FORDE")).isEmpty()) << log.join('\n').toStdString();
    EXPECT_GT(log.lastIndexOf(QStringLiteral("commit")), update);
    EXPECT_FALSE(sheet->btCommit->isEnabled());
}

TEST_F(OracleClientGui, ServerOutputIsShown)
{
    logOnAndOpenWorksheet();
    ASSERT_TRUE(sheet->miDbmsOutput->isChecked());
    run(QStringLiteral("begin\r\n  dbms_output.put_line('prva');\r\n  dbms_output.put_line('druga');\r\nend;"));
    EXPECT_EQ(currentPage(), sheet->TabRespSQL) << errors().toStdString();
    EXPECT_TRUE(output().contains(QStringLiteral("prva\ndruga"))) << output().toStdString();
}

// Break sends OCIBreak from the window's thread while the worker waits in the call; the call ends with ORA-01013
// and the session serves the next statement.
TEST_F(OracleClientGui, BreakEndsALongCall)
{
    logOnAndOpenWorksheet();
    sheet->meWork->setText(QStringLiteral("begin\r\n  long_running;\r\nend;"));
    sheet->spExe->click();
    ASSERT_TRUE(sheet->running());
    ASSERT_TRUE(waitFor([&] { return fake.waiting() == 1; }, 10000));
    sheet->spExe->click(); // up: break
    ASSERT_TRUE(waitFor([&] { return !sheet->running(); }, 10000));
    EXPECT_EQ(currentPage(), sheet->TabRespError);
    EXPECT_TRUE(errors().contains(QStringLiteral("ORA-01013"))) << errors().toStdString();
    run(QStringLiteral("select 'ok' x from dual"));
    EXPECT_EQ(cell(0, 0), QStringLiteral("ok"));
}

namespace {

// No client anywhere: the configured place and ORACLE_HOME hold none, and the loader's search path has none.
class NoOracleClientGui : public OracleClientGui {
protected:
    void SetUp() override
    {
        OracleClientGui::SetUp();
        qputenv("ORACLE_HOME", path(QStringLiteral("oracle/home")).toLocal8Bit());
        db::oci::setClientLocation(path(QStringLiteral("instantclient")));
        db::setOracleClientDriver(db::oci::newClientDriver());
    }

    // What the text says of where it looked and how to point to a client.
    void expectExplains(const QString& text) const
    {
        SCOPED_TRACE(text.toStdString());
        EXPECT_TRUE(text.contains(QStringLiteral("\"PROD\"")));
        EXPECT_TRUE(text.contains(QStringLiteral("libclntsh.so")));
        EXPECT_TRUE(text.contains(path(QStringLiteral("instantclient"))));
        EXPECT_TRUE(text.contains(path(QStringLiteral("oracle/home/lib/libclntsh.so"))));
        EXPECT_TRUE(text.contains(QStringLiteral("Oracle Instant Client")));
        EXPECT_TRUE(text.contains(QStringLiteral("DREMMOX_ORACLE_CLIENT")));
        EXPECT_TRUE(text.contains(QStringLiteral("ORACLE_HOME")));
        EXPECT_TRUE(text.contains(QStringLiteral("LD_LIBRARY_PATH")));
    }
};

} // namespace

TEST_F(NoOracleClientGui, TheDialogSaysWhatIsMissing)
{
    create();
    QString text;
    bool stillOpen = false;
    start({ logOnAs(QStringLiteral("VOXA"), QStringLiteral("VOXA"), QStringLiteral("PROD")),
        { [] { return messageBox() != nullptr; },
            [&text] {
                QMessageBox* box = messageBox();
                text = box->text();
                QTimer::singleShot(0, box, [box] { box->button(QMessageBox::Ok)->click(); });
            } },
        { [] { return logonDialog() != nullptr && messageBox() == nullptr; },
            [&stillOpen] {
                stillOpen = true;
                auto* exit = logonDialog()->findChild<QPushButton*>(QStringLiteral("btExit"));
                QTimer::singleShot(0, exit, [exit] { exit->click(); });
            } } });
    ASSERT_TRUE(waitFor([&] { return closed == 1; }, 20000));
    expectExplains(text);
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(main->osOracle->connected());
}

TEST_F(NoOracleClientGui, AnUnattendedRunSaysItOnStandardError)
{
    create({ "CONNECT", "VOXA", "VOXA", "PROD" });
    bool asked = false;
    testing::internal::CaptureStderr();
    start({ { [] { return messageBox() != nullptr; }, [&asked] { asked = true; } } });
    const bool ended = waitFor([&] { return closed == 1; }, 20000);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(ended);
    expectExplains(QString::fromStdString(err));
    EXPECT_EQ(main->exitStatus, 2);
    EXPECT_FALSE(asked);
}

// The program itself, started for an unattended logon to an alias of its tnsnames.ora: it takes the client from
// DREMMOX_ORACLE_CLIENT, and where that holds none it ends with status 2 saying where it looked.
TEST_F(NoOracleClientGui, TheProgramTakesTheClientFromDremmoxOracleClient)
{
    ASSERT_TRUE(QFileInfo(QStringLiteral(DREMMOX_PROGRAM)).isExecutable())
        << "build the program first (target dremmox): " << DREMMOX_PROGRAM;
    const QString demo = path(QStringLiteral("data/dremmox/databases/DEMO"));
    QDir().mkpath(QFileInfo(demo).path());
    engine::kit::demoTemplate(demo.toStdString()); // the program makes none of its own then
    QTemporaryDir runtimeDir;
    struct Case {
        const char* name;
        QString client;
        QStringList said;
        QStringList notSaid;
    } cases[] = {
        { "no client there", path(QStringLiteral("instantclient")),
            { QStringLiteral("could not be loaded"), path(QStringLiteral("instantclient")),
                QStringLiteral("DREMMOX_ORACLE_CLIENT"), QStringLiteral("\"PROD\"") },
            {} },
        // The double knows no users until a test scripts them: its server refuses the logon.
        { "the double", QStringLiteral(DREMMOX_FAKEOCI_HOME), { QStringLiteral("ORA-01017") },
            { QStringLiteral("could not be loaded") } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.insert(QStringLiteral("HOME"), tmp.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());
        env.insert(QStringLiteral("TNS_ADMIN"), path(QStringLiteral("network/admin")));
        env.insert(QStringLiteral("DREMMOX_ORACLE_CLIENT"), c.client);
        env.remove(QStringLiteral("ORACLE_HOME"));
        env.remove(QStringLiteral("LD_LIBRARY_PATH"));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(tmp.path());
        program.start(QStringLiteral(DREMMOX_PROGRAM), { "CONNECT", "VOXA", "VOXA", "PROD" });
        ASSERT_TRUE(program.waitForStarted());
        // Ending by itself is the proof that no dialog waits for a person.
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitCode(), 2);
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        for (const QString& word : c.said)
            EXPECT_TRUE(err.contains(word)) << word.toStdString() << " in " << err.toStdString();
        for (const QString& word : c.notSaid)
            EXPECT_FALSE(err.contains(word)) << word.toStdString() << " in " << err.toStdString();
    }
}

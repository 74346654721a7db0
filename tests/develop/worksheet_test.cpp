// The SQL worksheet: how editor text becomes a statement and a result, and the window driven by its controls on
// a fresh demo database (runs on the worker, errors with their marker, DML and the transaction buttons, the
// editable ROWID result, Break, DBMS_OUTPUT, DESC, compile errors, closing while a statement runs).
#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "db/drivers.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/registerwindows.h"
#include "develop/worksheet_navigator.h"
#include "develop/worksheet_run.h"
#include "develop/workshet.h"
#include "engine/kit/kit.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"
#include "shell/themedgrid.h"
#include "shell/windowregistry.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

using testsupport::waitFor;

// ---- statement text

TEST(WorksheetStatement, LeadingBlankAndCommentLinesAreDropped)
{
    struct Case {
        const char* name;
        QString text;
        QString statement;
    };
    const std::vector<Case> cases = {
        { "plain", "select 1 from dual\r\n", "select 1 from dual\r\n" },
        { "blank lines and blanks", "\r\n  \r\n   select 1 from dual\r\n", "select 1 from dual\r\n" },
        { "comment lines", "-- one\r\n  -- two\r\nselect 1\r\n", "select 1\r\n" },
        { "only comments and blanks", "-- one\r\n\r\n--two\r\n", "" },
        { "comment without line end", "-- nothing else", "" },
        { "later comment kept", "select 1 -- c\r\n-- d\r\n", "select 1 -- c\r\n-- d\r\n" },
        { "block comment stays", "/* c */ select 1\r\n", "/* c */ select 1\r\n" },
        { "semicolon stays", "select 1 from dual;\r\n", "select 1 from dual;\r\n" },
        { "tab stops the dropping", "\tselect 1\r\n", "\tselect 1\r\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(develop::statementFromText(c.text), c.statement);
    }
}

TEST(WorksheetStatement, Classification)
{
    struct Case {
        const char* text;
        bool query, update, del, insert, desc;
    };
    const std::vector<Case> cases = {
        { "select * from dual", true, false, false, false, false },
        { "select\r\n* from dual", true, false, false, false, false },
        { "selected_rows", true, false, false, false, false }, // only the first six letters count
        { "with x as (select 1 from dual) select * from x", true, false, false, false, false },
        { "(select 1 from dual)", false, false, false, false, false },
        { "/* c */ select 1 from dual", false, false, false, false, false },
        { "update t set a=1", false, true, false, false, false },
        { "delete t", false, false, true, false, false },
        { "insert into t values (1)", false, false, false, true, false },
        { "desc voxa.customers", true, false, false, false, true },
        { "merge into t using s on (1=1) when matched then update set a=1", false, false, false, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const develop::StatementClass k = develop::classifyStatement(QString::fromLatin1(c.text));
        EXPECT_EQ(k.query(), c.query);
        EXPECT_EQ(k.lUpdate, c.update);
        EXPECT_EQ(k.lDelete, c.del);
        EXPECT_EQ(k.lInsert, c.insert);
        EXPECT_EQ(k.desc, c.desc);
    }
}

// DDL commits implicitly and COMMIT or ROLLBACK end the transaction; on the main session they end other windows'
// work too, so the worksheet asks before them.
TEST(WorksheetStatement, StatementsThatEndTheTransaction)
{
    struct Case {
        const char* text;
        const char* word;
    };
    const Case cases[] = {
        { "create table t (a number)", "CREATE" },
        { "  Alter table t add b number", "ALTER" },
        { "drop table t", "DROP" },
        { "truncate table t", "TRUNCATE" },
        { "grant select on t to bildor", "GRANT" },
        { "commit", "COMMIT" },
        { "rollback", "ROLLBACK" },
        { "rollback work", "ROLLBACK" },
        { "rollback to savepoint a", "" },
        { "rollback work to a", "" },
        { "update t set a = 1", "" },
        { "select * from t", "" },
        { "begin null; end;", "" },
        { "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(develop::transactionEndingWord(QString::fromLatin1(c.text)), QString::fromLatin1(c.word));
    }
}

TEST(WorksheetStatement, DescQuery)
{
    const QString own = develop::descQuery(QStringLiteral("desc emp\r\n"));
    EXPECT_TRUE(own.contains(QStringLiteral("where owner=user and table_name='EMP' order by column_id")));
    EXPECT_TRUE(own.startsWith(QStringLiteral("select substr(column_name,1,20) column_name,substr(data_type,1,20) "
                                              "data_type,decode(data_type,'NUMBER',data_precision,data_length) "
                                              "data_length,decode(data_type,'NUMBER',data_scale,null) "
                                              "data_precision,nullable,data_default \r\n from all_tab_columns \r\n")));
    EXPECT_TRUE(develop::descQuery(QStringLiteral("desc scott.emp"))
                    .contains(QStringLiteral("where owner='SCOTT' and table_name='EMP' order by column_id")));
    EXPECT_TRUE(develop::descQuery(QStringLiteral("DESCRIBE  voxa.orders;"))
                    .contains(QStringLiteral("owner='VOXA' and table_name='ORDERS'")));
    EXPECT_TRUE(develop::descQuery(QStringLiteral("desc")).isEmpty());
    EXPECT_TRUE(develop::descQuery(QStringLiteral("desc   \r\n")).isEmpty());
    EXPECT_TRUE(develop::descQuery(QStringLiteral("desc\r\n")).isEmpty());
    // A quote in the name stays inside the literal instead of ending it.
    EXPECT_TRUE(develop::descQuery(QStringLiteral("desc a' or 'x'='x"))
                    .contains(QStringLiteral("table_name='A'' OR ''X''=''X'")));
}

TEST(WorksheetErrorView, MarkerUnderTheFailingToken)
{
    const QStringList view = develop::errorViewLines({ QStringLiteral("select * from nosuchtable") }, 1, 15,
        QStringLiteral("ORA-00942: table or view does not exist"));
    const QStringList expected
        = { QStringLiteral("select * from nosuchtable"), QString(14, QLatin1Char(' ')) + QString(11, QLatin1Char('*')),
              QString(), QString(), QStringLiteral("ORA-00942: table or view does not exist") };
    EXPECT_EQ(view, expected);

    struct Case {
        const char* name;
        QString line;
        int position;
        int stars;
    };
    const std::vector<Case> cases = {
        { "token up to a comma", "select a,b", 8, 1 },
        { "long token capped", "select " + QString(25, QLatin1Char('x')), 8, 19 },
        { "token up to a bracket", "select f(x) from dual", 8, 1 },
        { "past the end", "select", 9, 0 },
        { "on a blank", "select  x", 7, 0 },
        { "last character", "select x", 8, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(develop::errorTokenLength(c.line, c.position), c.stars);
    }
}

TEST(WorksheetErrorView, MessageLinesAndNoPlace)
{
    EXPECT_EQ(
        develop::errorViewLines({ QStringLiteral("x") }, 0, 0, QStringLiteral("ORA-01013: user requested cancel")),
        (QStringList { QString(), QStringLiteral("ORA-01013: user requested cancel") }));
    EXPECT_EQ(develop::errorViewLines({}, 0, 0, QStringLiteral("ORA-06550: line 1\nPLS-00201: x\n")),
        (QStringList { QStringLiteral("ORA-06550: line 1"), QStringLiteral("PLS-00201: x"), QString() }));
}

TEST(WorksheetErrorView, PlaceInTheEditorBelowDroppedLines)
{
    const QString text = QStringLiteral("-- first\r\n\r\n  select * from nosuchtable\r\n");
    const QString statement = develop::statementFromText(text);
    const develop::EditorPlace p = develop::editorPlace(text, statement, 1, 15);
    EXPECT_EQ(p.line, 3);
    EXPECT_EQ(p.position, 17);
    const develop::EditorPlace second = develop::editorPlace(text + "x", statement + "x", 2, 1);
    EXPECT_EQ(second.line, 4);
    EXPECT_EQ(second.position, 1);
}

TEST(WorksheetElapsed, Formats)
{
    struct Case {
        qint64 ms;
        bool millis;
        const char* text;
    };
    const std::vector<Case> cases = {
        { 7000, false, "07" },
        { 65000, false, "01:05" },
        { 7250, true, "07:250" },
        // Milliseconds always take three digits: 5 ms is not shown as "05", which reads as half a second.
        { 7005, true, "07:005" },
        { 83, true, "00:083" },
        { 3600000, false, "01:00:00" },
        { 0, true, "00:000" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(develop::elapsedText(c.ms, c.millis), QString::fromLatin1(c.text));
    }
}

TEST(WorksheetCompileErrors, QueryFollowsTheVersion)
{
    EXPECT_TRUE(develop::compileErrorSql(QStringLiteral("11")).contains(QStringLiteral("e.position# position")));
    EXPECT_TRUE(develop::compileErrorSql(QStringLiteral("8")).contains(QStringLiteral("o.type# in (4,7,8,9,11,12)")));
    EXPECT_TRUE(develop::compileErrorSql(QStringLiteral("7")).contains(QStringLiteral("e.position position")));
    EXPECT_TRUE(
        develop::compileErrorSql(QStringLiteral("7")).contains(QStringLiteral(" and  o.type in (4,7,8,9,11,12)")));
}

// ---- editor files

class SqlEditorFiles : public testsupport::TempDirTest { };

TEST_F(SqlEditorFiles, SaveKeepsTheEncodingTheFileCameIn)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        shell::TextEncoding encoding;
    };
    const QString text = QStringLiteral("select 'šč' from dual");
    const std::vector<Case> cases = {
        { "utf-8", (text + "\r\n").toUtf8(), shell::TextEncoding::Utf8 },
        { "utf-8 with mark", "\xEF\xBB\xBF" + (text + "\r\n").toUtf8(), shell::TextEncoding::Utf8Bom },
        { "code page 1250", QByteArray("select '\x9A\xE8' from dual\r\n"), shell::TextEncoding::Windows1250 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        shell::SqlEditor editor;
        ASSERT_TRUE(editor.loadFile(file));
        EXPECT_EQ(editor.encoding(), c.encoding);
        EXPECT_EQ(editor.textLines(), QStringList { text });
        ASSERT_TRUE(editor.saveFile(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), c.bytes);
        f.close();
    }
}

TEST_F(SqlEditorFiles, TextTheCodePageCannotHoldIsSavedWhole)
{
    shell::SqlEditor editor;
    editor.setEncoding(shell::TextEncoding::Windows1250);
    editor.setText(QStringLiteral("select '日本' from dual"));
    ASSERT_TRUE(editor.saveFile(path("x.sql")));
    EXPECT_EQ(editor.encoding(), shell::TextEncoding::Utf8);
    shell::SqlEditor again;
    ASSERT_TRUE(again.loadFile(path("x.sql")));
    EXPECT_EQ(again.textLines(), QStringList { QStringLiteral("select '日本' from dual") });
    EXPECT_FALSE(again.loadFile(path("missing.sql")));
    EXPECT_FALSE(again.errorString().isEmpty());
}

TEST(SqlEditorMark, MarksTheTokenAndTheCaret)
{
    shell::SqlEditor editor;
    editor.setText(QStringLiteral("select *\r\n  from nosuchtable\r\n"));
    editor.setErrorMark(2, 8, 11);
    EXPECT_EQ(editor.errorMarkLine(), 2);
    EXPECT_EQ(editor.errorMarkLength(), 11);
    EXPECT_EQ(editor.cursorLine(), 2);
    EXPECT_EQ(editor.cursorColumn(), 8);
    editor.insertAtCaret(QStringLiteral("x"));
    EXPECT_EQ(editor.errorMarkLine(), 0); // editing clears it
    EXPECT_EQ(editor.textLines().at(1), QStringLiteral("  from xnosuchtable"));
    editor.setErrorMark(9, 1, 1);
    EXPECT_EQ(editor.errorMarkLine(), 0);
}

// ---- the window on the demo database

namespace {

// Answers the next modal dialog (the system's message dialog) with the given result, and keeps its text.
class DialogAnswer : public QObject {
public:
    explicit DialogAnswer(int result)
        : answer(result)
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, this, [this] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                if (auto* dlg = qobject_cast<QDialog*>(w)) {
                    for (QLabel* l : dlg->findChildren<QLabel*>())
                        text += l->text();
                    ++shown;
                    dlg->done(answer);
                }
            }
        });
        timer.start();
    }
    int answer;
    int shown = 0;
    QString text;
    QTimer timer;
};

class WorksheetWindow : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        engine::kit::demoTemplate(path(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
        QDir().mkpath(path(QStringLiteral("bin")));
        TfmMain::Environment env;
        env.executableDir = path(QStringLiteral("bin")) + QLatin1Char('/');
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\WorksheetLogin");
        main = std::make_unique<TfmMain>(env);
        logOn(*main->osOracle);
        main->connUser = QStringLiteral("VOXA");
        main->connServer = QStringLiteral("DEMO");
        main->ORACLEVersion = main->osOracle->serverMajorVersion();
        develop::registerWindows();
        sheet = develop::openWorkSheet(*main);
        ASSERT_TRUE(sheet);
    }
    void TearDown() override
    {
        if (sheet) {
            DialogAnswer no(shell::mrNo);
            sheet->close();
            waitFor([&] { return sheet.isNull(); }, 5000);
        }
        main.reset();
        db::setEmbeddedDataDirectory({});
    }

    static void logOn(db::Session& s, const char* user = "VOXA")
    {
        s.setUserName(QString::fromLatin1(user));
        s.setPassword(QString::fromLatin1(user));
        s.setDatabase(QStringLiteral("DEMO"));
        s.logOn();
    }

    // Types the text and presses Execute; waits until the run has reported.
    void run(const QString& text)
    {
        sheet->meWork->setText(text);
        sheet->spExe->click();
        ASSERT_TRUE(waitFor([&] { return !sheet->running(); }, 20000)) << text.toStdString();
        ASSERT_FALSE(sheet->spExe->isChecked());
    }
    // Compile errors are looked for in objects changed since the second the statement began (Oracle's change
    // times have whole seconds); a test that reads them first lets the second in which the demo's units were
    // made pass.
    void settleChangeTimes()
    {
        ASSERT_TRUE(waitFor(
            [&] {
                return otherSessionValue(
                           QStringLiteral("select count(*) from user_objects where last_ddl_time >= sysdate"))
                    == QLatin1String("0");
            },
            5000));
    }
    QWidget* currentPage() const { return sheet->pcResp->currentWidget(); }
    QString output() const { return sheet->meRespSQL->toPlainText(); }
    QString errors() const { return sheet->meRespError->toPlainText(); }
    db::DataSetModel* model() const { return sheet->dbgSelect->dataModel(); }
    QString cell(int row, int column) const { return model()->index(row, column).data().toString(); }

    // What another session sees (committed work of the worksheet).
    QString otherSessionValue(const QString& sql)
    {
        db::Session other;
        logOn(other);
        db::Query q(&other);
        q.setSql(sql);
        q.execute();
        return q.eof() ? QStringLiteral("<none>") : q.field(0).toString();
    }

    std::unique_ptr<TfmMain> main;
    QPointer<TfmWorkSheet> sheet;
};

} // namespace

TEST_F(WorksheetWindow, OpenedByTheMainWindowsEntries)
{
    EXPECT_EQ(sheet->objectName(), QStringLiteral("WorkSheet_1"));
    EXPECT_EQ(sheet->WorkStevec, 1);
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("WorkSheet  (VOXA@DEMO)"));
    ASSERT_NE(shell::windowOpener(QStringLiteral("mmNormal")), nullptr);
    ASSERT_NE(shell::windowOpener(QStringLiteral("tbWorkSheet")), nullptr);
    (*shell::windowOpener(QStringLiteral("tbWorkSheet")))(*main);
    EXPECT_EQ(main->workSheetStevec, 2);
    QPointer<TfmWorkSheet> second = main->findChild<TfmWorkSheet*>(QStringLiteral("WorkSheet_2"));
    if (!second)
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("WorkSheet_2"))
                second = qobject_cast<TfmWorkSheet*>(w);
    ASSERT_TRUE(second);
    // Closing the first and then the second leaves the counter at 1: the next one is WorkSheet_2 again.
    sheet->close();
    ASSERT_TRUE(waitFor([&] { return sheet.isNull(); }));
    second->close();
    ASSERT_TRUE(waitFor([&] { return second.isNull(); }));
    EXPECT_EQ(main->workSheetStevec, 1);
    EXPECT_TRUE(main->osOracle->connected()); // the main session is never disconnected by a worksheet
}

TEST_F(WorksheetWindow, QueryShowsRowsTimeAndStatistics)
{
    run(QStringLiteral("-- customers\r\nselect customer_id, name from voxa.customers order by customer_id\r\n"));
    EXPECT_EQ(currentPage(), sheet->TabRespGrid);
    ASSERT_GT(model()->rowCount(), 0);
    EXPECT_EQ(model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("CUSTOMER_ID"));
    EXPECT_EQ(cell(0, 0), QStringLiteral("1"));
    EXPECT_FALSE(sheet->laTime->text().isEmpty());
    EXPECT_FALSE(sheet->lError);
    EXPECT_EQ(sheet->zadnjiEkran, QStringLiteral("GRID"));
    EXPECT_FALSE(sheet->btCommit->isEnabled());
    EXPECT_FALSE(sheet->quDynWork->cachedUpdates()); // no ROWID: not editable
    EXPECT_GT(sheet->laConsGets->text().toLongLong(), 0) << "the query read the table's blocks";
    EXPECT_EQ(sheet->history.lastWritten(), 1);
    EXPECT_EQ(sheet->meWork->selectedText(), sheet->meWork->text()); // ready to be typed over
}

TEST_F(WorksheetWindow, ErrorIsMarkedAtItsLineAndColumn)
{
    run(QStringLiteral("-- which table?\r\nselect *\r\n  from nosuchtable\r\n"));
    EXPECT_EQ(currentPage(), sheet->TabRespError);
    const QStringList lines = errors().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines.at(2), QStringLiteral("  from nosuchtable"));
    EXPECT_EQ(lines.at(3), QString(7, QLatin1Char(' ')) + QString(11, QLatin1Char('*')));
    EXPECT_TRUE(errors().contains(QStringLiteral("ORA-00942")));
    EXPECT_EQ(sheet->meWork->errorMarkLine(), 3);
    EXPECT_EQ(sheet->meWork->errorMarkPosition(), 8);
    EXPECT_EQ(sheet->meWork->cursorLine(), 3);
    EXPECT_TRUE(sheet->lError);
    EXPECT_FALSE(output().contains(QStringLiteral("Statement processed")));
}

TEST_F(WorksheetWindow, FailedStatementIsNeverProcessed)
{
    settleChangeTimes();
    run(QStringLiteral("insert into voxa.nosuchtable values (1)"));
    EXPECT_EQ(currentPage(), sheet->TabRespError);
    EXPECT_FALSE(output().contains(QStringLiteral("Statement processed")));
    EXPECT_TRUE(errors().contains(QStringLiteral("ORA-00942")));
    run(QStringLiteral("create table ws_t (a number)"));
    EXPECT_EQ(currentPage(), sheet->TabRespSQL);
    EXPECT_EQ(output().trimmed(), QStringLiteral("Statement processed")) << errors().toStdString();
}

TEST_F(WorksheetWindow, DmlCountsRowsAndCommitsOrRollsBack)
{
    run(QStringLiteral("update voxa.customers set name = name || '*' where customer_id <= 3"));
    EXPECT_EQ(currentPage(), sheet->TabRespSQL);
    EXPECT_TRUE(output().contains(QStringLiteral("3 rows processed")));
    // With "Clear Output ON" (the default) each run's output replaces the one before.
    run(QStringLiteral("update voxa.customers set name = name where customer_id = 1"));
    EXPECT_TRUE(output().contains(QStringLiteral("1 rows processed")));
    EXPECT_FALSE(output().contains(QStringLiteral("3 rows processed")));
    EXPECT_TRUE(sheet->btCommit->isEnabled());
    EXPECT_TRUE(sheet->btRollback->isEnabled());
    EXPECT_TRUE(sheet->jeVTransakciji(QStringLiteral("demo")));
    sheet->btRollback->click();
    EXPECT_FALSE(sheet->btCommit->isEnabled());
    EXPECT_FALSE(main->osOracle->inTransaction());
    EXPECT_EQ(otherSessionValue(QStringLiteral("select count(*) from voxa.customers where name like '%*'")),
        QStringLiteral("0"));

    // With "Clear Output ON" unchecked the output of the earlier run stays above an empty line.
    sheet->miClearOutput->trigger();
    run(QStringLiteral("delete from voxa.items where order_id = 1"));
    run(QStringLiteral("insert into voxa.customers (customer_id, name, city) values (900, 'Nov', 'Kranj')"));
    EXPECT_TRUE(output().contains(QStringLiteral("rows processed\n\n1 rows processed")));
    sheet->btCommit->click();
    EXPECT_FALSE(sheet->btCommit->isEnabled());
    EXPECT_EQ(otherSessionValue(QStringLiteral("select name from voxa.customers where customer_id = 900")),
        QStringLiteral("Nov"));
}

TEST_F(WorksheetWindow, RowidQueryIsEditedAndCommitted)
{
    run(QStringLiteral("select rowid, c.customer_id, c.name from voxa.customers c where customer_id = 2"));
    ASSERT_TRUE(sheet->quDynWork->cachedUpdates());
    ASSERT_EQ(model()->rowCount(), 1);
    const int nameColumn = sheet->quDynWork->fieldIndex(QStringLiteral("NAME"));
    ASSERT_TRUE(model()->setData(model()->index(0, nameColumn), QStringLiteral("Popravljeno")));
    sheet->quDynWork->post();
    EXPECT_TRUE(sheet->btCommit->isEnabled());
    EXPECT_EQ(otherSessionValue(QStringLiteral("select name from voxa.customers where customer_id = 2"))
                  .contains(QStringLiteral("Popravljeno")),
        false);
    sheet->btCommit->click();
    EXPECT_FALSE(sheet->btCommit->isEnabled());
    EXPECT_EQ(otherSessionValue(QStringLiteral("select name from voxa.customers where customer_id = 2")),
        QStringLiteral("Popravljeno"));
}

TEST_F(WorksheetWindow, PendingGridEditsAreAskedForBeforeTheNextRun)
{
    run(QStringLiteral("select rowid, c.customer_id, c.name from voxa.customers c where customer_id = 3"));
    const int nameColumn = sheet->quDynWork->fieldIndex(QStringLiteral("NAME"));
    ASSERT_TRUE(model()->setData(model()->index(0, nameColumn), QStringLiteral("Tretji")));
    {
        // Cancel: nothing runs and the typed value stays.
        DialogAnswer cancel(shell::mrCancel);
        sheet->meWork->setText(QStringLiteral("select 1 from dual"));
        sheet->spExe->click();
        ASSERT_TRUE(waitFor([&] { return cancel.shown == 1; }));
        EXPECT_FALSE(sheet->running());
        EXPECT_EQ(cell(0, nameColumn), QStringLiteral("Tretji"));
    }
    {
        DialogAnswer yes(shell::mrYes);
        run(QStringLiteral("select name from voxa.customers where customer_id = 3"));
        EXPECT_EQ(yes.shown, 1);
    }
    EXPECT_EQ(cell(0, 0), QStringLiteral("Tretji")); // applied on the session, in its transaction
    EXPECT_TRUE(sheet->btCommit->isEnabled());
    sheet->btCommit->click();
    EXPECT_EQ(otherSessionValue(QStringLiteral("select name from voxa.customers where customer_id = 3")),
        QStringLiteral("Tretji"));
}

TEST_F(WorksheetWindow, BreakStopsALongLoop)
{
    sheet->meWork->setText(QStringLiteral("declare n number := 0;\r\nbegin\r\n  loop n := n + 1; end loop;\r\nend;"));
    sheet->spExe->click();
    ASSERT_TRUE(sheet->running());
    EXPECT_EQ(sheet->spExe->toolTip(), QStringLiteral("Break"));
    // The window stays alive: the elapsed time ticks while the loop runs.
    ASSERT_TRUE(waitFor([&] { return !sheet->laTime->text().isEmpty(); }, 5000));
    // F9 while it runs starts nothing.
    QTest::keyClick(sheet->meWork, Qt::Key_F9);
    EXPECT_TRUE(sheet->running());
    // Once the run has taken a moment the window shows it as busy, and the record and transaction buttons rest.
    ASSERT_TRUE(waitFor([&] { return !sheet->oNavigator->isEnabled(); }, 5000));
    EXPECT_FALSE(sheet->btCommit->isEnabled());
    EXPECT_EQ(sheet->cursor().shape(), Qt::BusyCursor);
    sheet->spExe->click(); // up: break
    EXPECT_FALSE(sheet->spExe->isChecked());
    ASSERT_TRUE(waitFor([&] { return !sheet->running(); }, 10000));
    EXPECT_EQ(currentPage(), sheet->TabRespError);
    EXPECT_TRUE(errors().contains(QStringLiteral("ORA-01013")));
    EXPECT_EQ(sheet->spExe->toolTip(), QStringLiteral("Execute"));
    EXPECT_TRUE(sheet->oNavigator->isEnabled());
    EXPECT_NE(sheet->cursor().shape(), Qt::BusyCursor);
    // The session is usable again.
    run(QStringLiteral("select 'ok' from dual"));
    EXPECT_EQ(cell(0, 0), QStringLiteral("ok"));
}

// A statement that is over at once leaves the buttons as they were: no flicker of the transaction buttons and the
// navigator for every statement run.
TEST_F(WorksheetWindow, AShortStatementLeavesTheButtonsAlone)
{
    run(QStringLiteral("update voxa.customers set name = name where customer_id = 1"));
    ASSERT_TRUE(sheet->btCommit->isEnabled());
    struct EnabledChanges : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::EnabledChange)
                ++count;
            return false;
        }
    } changes;
    sheet->btCommit->installEventFilter(&changes);
    sheet->oNavigator->installEventFilter(&changes);
    run(QStringLiteral("update voxa.customers set name = name where customer_id = 2"));
    EXPECT_EQ(changes.count, 0);
    EXPECT_TRUE(sheet->btCommit->isEnabled());
    sheet->btRollback->click();
}

TEST_F(WorksheetWindow, KeyboardStartsARunAndIsConsumed)
{
    sheet->meWork->setText(QStringLiteral("select 'key' from dual"));
    QTest::keyClick(sheet->meWork, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return !sheet->running() && sheet->quDynWork->active(); }));
    EXPECT_EQ(cell(0, 0), QStringLiteral("key"));
    EXPECT_EQ(sheet->meWork->textLines(), QStringList { QStringLiteral("select 'key' from dual") });
    // Previous brings back the statement before.
    run(QStringLiteral("select 2 from dual"));
    QTest::keyClick(sheet->meWork, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(sheet->meWork->textLines(), QStringList { QStringLiteral("select 'key' from dual") });
    QTest::keyClick(sheet->meWork, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(sheet->meWork->textLines(), QStringList { QStringLiteral("select 2 from dual") });
}

TEST_F(WorksheetWindow, DbmsOutputLinesAreShown)
{
    settleChangeTimes();
    ASSERT_TRUE(sheet->miDbmsOutput->isChecked());
    run(QStringLiteral("begin\r\n  dbms_output.put_line('prva');\r\n  dbms_output.put_line('druga');\r\nend;"));
    EXPECT_EQ(currentPage(), sheet->TabRespSQL);
    EXPECT_TRUE(output().contains(QStringLiteral("prva\ndruga")));
    // Switched off: the lines are no longer collected.
    sheet->miDbmsOutput->trigger();
    EXPECT_FALSE(sheet->miDbmsOutput->isChecked());
    run(QStringLiteral("begin dbms_output.put_line('tretja'); end;"));
    EXPECT_FALSE(output().contains(QStringLiteral("tretja")));
}

TEST_F(WorksheetWindow, DescListsTheColumnsInOrder)
{
    run(QStringLiteral("desc voxa.customers"));
    EXPECT_EQ(currentPage(), sheet->TabRespGrid);
    ASSERT_GT(model()->rowCount(), 2);
    EXPECT_EQ(model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("COLUMN_NAME"));
    EXPECT_EQ(cell(0, 0), QStringLiteral("CUSTOMER_ID"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("NUMBER"));
    run(QStringLiteral("desc customers"));
    EXPECT_EQ(cell(0, 0), QStringLiteral("CUSTOMER_ID"));
    // Without a name nothing runs.
    const int before = sheet->history.lastWritten();
    sheet->meWork->setText(QStringLiteral("desc"));
    sheet->spExe->click();
    EXPECT_FALSE(sheet->running());
    EXPECT_FALSE(sheet->spExe->isChecked());
    EXPECT_EQ(sheet->history.lastWritten(), before);
}

TEST_F(WorksheetWindow, OnlyCommentsRunNothing)
{
    sheet->meWork->setText(QStringLiteral("-- nothing\r\n\r\n-- here\r\n"));
    sheet->spExe->click();
    EXPECT_FALSE(sheet->running());
    EXPECT_FALSE(sheet->spExe->isChecked());
    EXPECT_EQ(sheet->history.lastWritten(), 0);
}

TEST_F(WorksheetWindow, CompileErrorsOfAChangedProcedure)
{
    settleChangeTimes();
    run(QStringLiteral("create or replace procedure ws_bad is\r\nbegin\r\n  x := 1;\r\nend;"));
    ASSERT_FALSE(errors().contains(QStringLiteral("ORA-03001"))) << errors().toStdString();
    EXPECT_EQ(currentPage(), sheet->TabRespError);
    const QStringList lines = errors().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.at(0).startsWith(QStringLiteral("3/"))) << errors().toStdString();
    EXPECT_TRUE(errors().contains(QStringLiteral("X"))) << errors().toStdString();
    EXPECT_FALSE(output().contains(QStringLiteral("Statement processed")));
    // Repaired, it compiles without errors.
    run(QStringLiteral("create or replace procedure ws_bad is\r\nbegin\r\n  null;\r\nend;"));
    EXPECT_EQ(currentPage(), sheet->TabRespSQL);
}

TEST_F(WorksheetWindow, ClosingWhileRunningBreaksAndWaits)
{
    sheet->meWork->setText(QStringLiteral("begin loop null; end loop; end;"));
    sheet->spExe->click();
    ASSERT_TRUE(sheet->running());
    sheet->close();
    ASSERT_TRUE(waitFor([&] { return sheet.isNull(); }, 10000));
    EXPECT_TRUE(main->osOracle->connected());
    db::Query q(main->osOracle);
    q.setSql(QStringLiteral("select 1 from dual"));
    q.execute();
    EXPECT_FALSE(q.eof());
}

TEST_F(WorksheetWindow, CloseQuestionOnTheMainSessionSaysWhatItCovers)
{
    run(QStringLiteral("update voxa.customers set city = 'Bled' where customer_id = 1"));
    {
        DialogAnswer cancel(shell::mrCancel);
        sheet->close();
        ASSERT_TRUE(waitFor([&] { return cancel.shown == 1; }));
        EXPECT_TRUE(cancel.text.contains(QStringLiteral("main session's whole transaction")))
            << cancel.text.toStdString();
    }
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(main->osOracle->inTransaction()); // Cancel kept everything
    {
        DialogAnswer yes(shell::mrYes);
        sheet->close();
        ASSERT_TRUE(waitFor([&] { return sheet.isNull(); }));
    }
    EXPECT_EQ(otherSessionValue(QStringLiteral("select city from voxa.customers where customer_id = 1")),
        QStringLiteral("Bled"));
}

TEST_F(WorksheetWindow, SlovenianTexts)
{
    main->currLanguage = QStringLiteral("SLO");
    main->setLanguageTexts();
    QPointer<TfmWorkSheet> slo = develop::openWorkSheet(*main);
    // The second worksheet carries its number, so the two can be told apart.
    EXPECT_EQ(slo->sCaption, QStringLiteral("SQL Poizvedbe 2"));
    EXPECT_EQ(slo->windowTitle(), QStringLiteral("SQL Poizvedbe 2  (VOXA@DEMO)"));
    EXPECT_EQ(slo->spExe->toolTip(), QStringLiteral("izvedi"));
    EXPECT_EQ(slo->laTimeCaption->text(), QStringLiteral("Čas:"));
    EXPECT_EQ(slo->btCommit->text(), QStringLiteral("POTRDI"));
    // The output page is not named like the main window's Exit ("&Izhod").
    EXPECT_EQ(slo->pcResp->tabText(slo->pcResp->indexOf(slo->TabRespSQL)), QStringLiteral("Izhodni ekran"));
    slo->meWork->setText(QStringLiteral("update voxa.customers set name = name where customer_id <= 2"));
    slo->spExe->click();
    ASSERT_TRUE(waitFor([&] { return !slo->running(); }, 20000));
    EXPECT_EQ(slo->meRespSQL->toPlainText(), QStringLiteral("Narejeno.\nObdelanih vrstic: 2"));
    {
        DialogAnswer no(shell::mrNo);
        slo->close();
        ASSERT_TRUE(waitFor([&] { return slo.isNull(); }));
        EXPECT_EQ(no.shown, 1);
        EXPECT_TRUE(no.text.contains(QStringLiteral("Shrani trenutno transakcijo?"))) << no.text.toStdString();
    }
    main->currLanguage = QStringLiteral("ANG");
    main->setLanguageTexts();
}

// ---- the tools around the run

namespace {

// Fills and confirms the logon dialog when it comes up (or cancels it).
class LogonAnswer : public QObject {
public:
    LogonAnswer(const QString& user, const QString& password, bool cancel = false)
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, this, [=, this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || w->objectName() != QLatin1String("fmConnect"))
                return;
            timer.stop();
            ++shown;
            if (cancel) {
                qobject_cast<QDialog*>(w)->reject();
                return;
            }
            w->findChild<QLineEdit*>(QStringLiteral("edUser"))->setText(user);
            w->findChild<QLineEdit*>(QStringLiteral("edPassword"))->setText(password);
            w->findChild<QComboBox*>(QStringLiteral("cbDatabases"))->setCurrentText(QStringLiteral("DEMO"));
            w->findChild<QPushButton*>(QStringLiteral("btConnect"))->click();
        });
        timer.start();
    }
    int shown = 0;
    QTimer timer;
};

// Picks a file in the file dialog when it comes up.
class FileAnswer : public QObject {
public:
    explicit FileAnswer(const QString& path)
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, this, [=, this] {
            auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            timer.stop();
            dlg->selectFile(path);
            QMetaObject::invokeMethod(dlg, "accept");
        });
        timer.start();
    }
    QTimer timer;
};

} // namespace

TEST_F(WorksheetWindow, HistoryIsSavedToTheTableAndReadBack)
{
    // VOXA's saved history is in the ring from the start: Previous shows the newest saved statement.
    sheet->spBack->click();
    EXPECT_TRUE(sheet->meWork->text().startsWith(QStringLiteral("select rowid, p.* from voxa.products")));
    // 101 saves go round the ring of 100 and overwrite the oldest slot.
    for (int i = 1; i <= 101; ++i) {
        sheet->meWork->setText(QStringLiteral("select %1 from dual").arg(i));
        sheet->spSaveHist->click();
    }
    EXPECT_EQ(otherSessionValue(QStringLiteral("select hist_ukaz from vexo_util.vexo_hist where hist_user = 'VOXA' "
                                               "and hist_zpst = 0")),
        QStringLiteral("6"));
    EXPECT_EQ(otherSessionValue(QStringLiteral("select hist_ukaz from vexo_util.vexo_hist where hist_user = 'VOXA' "
                                               "and hist_zpst = 6")),
        QStringLiteral("select 101 from dual\r\n"));
    // A new worksheet reads the ring: the newest first, then back in order.
    QPointer<TfmWorkSheet> second = develop::openWorkSheet(*main);
    second->spBack->click();
    EXPECT_EQ(second->meWork->textLines(), QStringList { QStringLiteral("select 101 from dual") });
    second->spBack->click();
    EXPECT_EQ(second->meWork->textLines(), QStringList { QStringLiteral("select 100 from dual") });
    // The history page lists the user's statements; choosing one puts it into the editor.
    second->mnHistory->trigger();
    EXPECT_EQ(second->pcResp->currentWidget(), second->tabHist);
    EXPECT_EQ(second->dbgHist->dataModel()->rowCount(), 100);
    second->close();
    ASSERT_TRUE(waitFor([&] { return second.isNull(); }));
    // Refused while a transaction is open: its commit would take the user's work with it.
    run(QStringLiteral("update voxa.customers set city = city where customer_id = 1"));
    DialogAnswer ok(shell::mrOk);
    sheet->spSaveHist->click();
    EXPECT_EQ(ok.shown, 1);
    EXPECT_TRUE(main->osOracle->inTransaction());
}

TEST_F(WorksheetWindow, ExplainShowsThePlanTree)
{
    sheet->meWork->setText(
        QStringLiteral("select * -- every column\r\n  from voxa.customers\r\n where customer_id = 1"));
    sheet->spExplain->click();
    EXPECT_EQ(currentPage(), sheet->tabExplain);
    const QString plan = sheet->meExplain->toPlainText();
    EXPECT_TRUE(plan.startsWith(QStringLiteral("      SELECT STATEMENT  Cost="))) << plan.toStdString();
    EXPECT_TRUE(plan.contains(QStringLiteral("CUSTOMERS"))) << plan.toStdString();
}

TEST_F(WorksheetWindow, StatisticsShowTheDifferencesOfItsOwnSession)
{
    ASSERT_TRUE(sheet->statistics.enabled());
    sheet->miStatisticsScreen->trigger();
    EXPECT_EQ(currentPage(), sheet->tabSesStat);
    run(QStringLiteral("select count(*) from voxa.orders"));
    EXPECT_EQ(currentPage(), sheet->tabSesStat);
    EXPECT_GT(sheet->laConsGets->text().toLongLong(), 0);
    sheet->miStatisticsScreen->trigger(); // off: back to the page of the last result
    EXPECT_EQ(currentPage(), sheet->TabRespGrid);
    // A failed run leaves the values as they were.
    const QString before = sheet->laConsGets->text();
    run(QStringLiteral("select * from nosuchtable"));
    EXPECT_EQ(sheet->laConsGets->text(), before);
}

TEST_F(WorksheetWindow, OwnSessionAsAnotherUser)
{
    const QString mainPassword = main->connPassword = QStringLiteral("VOXA");
    {
        LogonAnswer cancel({}, {}, true);
        sheet->miConnect->trigger();
        EXPECT_EQ(cancel.shown, 1);
    }
    EXPECT_EQ(sheet->currDataBase, main->osOracle); // a cancelled logon keeps the worksheet on the main session
    EXPECT_TRUE(main->osOracle->connected());
    EXPECT_EQ(main->connPassword, mainPassword);
    {
        LogonAnswer bildor(QStringLiteral("BILDOR"), QStringLiteral("BILDOR"));
        sheet->miConnect->trigger();
        EXPECT_EQ(bildor.shown, 1);
    }
    ASSERT_EQ(sheet->currDataBase, sheet->tmpDataBase);
    ASSERT_TRUE(sheet->tmpDataBase->connected());
    EXPECT_EQ(main->connPassword, mainPassword);
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("WorkSheet  (BILDOR@DEMO)"));
    // The statistics follow the own session: its number is the own session's, and BILDOR, who may not read
    // V$SESS_IO, is told once that there are none.
    db::Query sid(sheet->tmpDataBase);
    sid.setSql(QStringLiteral("select sys_context('USERENV', 'SID') from dual"));
    sid.execute();
    EXPECT_EQ(sheet->statistics.sid(), sid.field(0).toInt());
    {
        DialogAnswer ok(shell::mrOk);
        run(QStringLiteral("select user from dual"));
        EXPECT_EQ(ok.shown, 1);
        EXPECT_TRUE(ok.text.contains(QStringLiteral("Error on statistic!"))) << ok.text.toStdString();
    }
    EXPECT_EQ(cell(0, 0), QStringLiteral("BILDOR"));
    EXPECT_FALSE(sheet->miViewStatistics->isEnabled());
    // Work on the own session does not touch the main session's transaction.
    {
        // BILDOR may not read the dictionary's base tables for compile errors: said once, the table is made.
        DialogAnswer ok(shell::mrOk);
        run(QStringLiteral("create table ws_own (a number)"));
        run(QStringLiteral("create table ws_own2 (a number)"));
        EXPECT_EQ(ok.shown, 1);
    }
    EXPECT_EQ(currentPage(), sheet->TabRespSQL);
    run(QStringLiteral("insert into ws_own values (1)"));
    EXPECT_TRUE(sheet->btCommit->isEnabled());
    EXPECT_FALSE(main->osOracle->inTransaction());
    // Disconnect would roll the row back: asked first; Cancel keeps the session, Yes commits before logging off.
    {
        DialogAnswer cancel(shell::mrCancel);
        sheet->miDisconnect->trigger();
        EXPECT_EQ(cancel.shown, 1);
        EXPECT_TRUE(cancel.text.contains(QStringLiteral("Commit current transaction"))) << cancel.text.toStdString();
    }
    EXPECT_TRUE(sheet->tmpDataBase->connected());
    {
        DialogAnswer yes(shell::mrYes);
        sheet->miDisconnect->trigger();
        EXPECT_EQ(yes.shown, 1);
    }
    EXPECT_FALSE(sheet->tmpDataBase->connected());
    EXPECT_TRUE(main->osOracle->connected());
    db::Session bildor;
    logOn(bildor, "BILDOR");
    db::Query rows(&bildor);
    rows.setSql(QStringLiteral("select count(*) from ws_own"));
    rows.execute();
    EXPECT_EQ(rows.field(0).toInt(), 1) << "committed before the logoff";
}

TEST_F(WorksheetWindow, ExportWritesTheResultAsText)
{
    main->currDescriptor = QStringLiteral(";");
    run(QStringLiteral("select customer_id a, city b from voxa.customers where customer_id in (1, 2) order by 1"));
    sheet->spConvertToAscii->click();
    EXPECT_EQ(currentPage(), sheet->TabRespSQL);
    const QStringList lines = output().split(QLatin1Char('\n'));
    const qsizetype at = lines.indexOf(QStringLiteral(">>>"));
    ASSERT_GE(at, 0);
    ASSERT_GE(lines.size(), at + 5);
    EXPECT_EQ(lines.at(at + 1), QStringLiteral("A   B   "));
    EXPECT_EQ(lines.at(at + 2), QString(80, QLatin1Char('-')));
    EXPECT_TRUE(lines.at(at + 3).startsWith(QStringLiteral("1;")));
    EXPECT_TRUE(lines.at(at + 4).startsWith(QStringLiteral("2;")));
}

TEST_F(WorksheetWindow, CallBuilderMakesABlockThatRuns)
{
    settleChangeTimes();
    run(QStringLiteral("create or replace procedure ws_call(a number, d date, b out varchar2) is\r\nbegin\r\n"
                       "  b := to_char(a) || to_char(d, 'YYYY');\r\nend;"));
    ASSERT_EQ(currentPage(), sheet->TabRespSQL) << errors().toStdString();
    main->currOwner = QStringLiteral("VOXA");
    sheet->miFuncProc->trigger();
    EXPECT_EQ(currentPage(), sheet->tabProcFunc);
    QTreeWidgetItem* node = nullptr;
    for (int i = 0; i < sheet->tnProc->childCount(); ++i)
        if (sheet->tnProc->child(i)->text(0) == QLatin1String("voxa.WS_CALL"))
            node = sheet->tnProc->child(i);
    ASSERT_NE(node, nullptr);
    sheet->tvSQL->setCurrentItem(node);
    emit sheet->tvSQL->itemClicked(node, 0);
    ASSERT_TRUE(sheet->sgParams->isVisible());
    ASSERT_EQ(sheet->sgParams->rowCount(), 3);
    sheet->sgParams->item(0, 3)->setText(QStringLiteral("5"));
    sheet->sgParams->item(1, 3)->setText(QStringLiteral("01.02.2024"));
    sheet->btInsert->click();
    EXPECT_TRUE(sheet->meWork->text().contains(QStringLiteral("voxa.WS_CALL("))) << sheet->meWork->text().toStdString();
    run(sheet->meWork->text());
    EXPECT_EQ(currentPage(), sheet->TabRespSQL) << errors().toStdString();
}

TEST_F(WorksheetWindow, SelectBuilderMakesALiveQuery)
{
    sheet->miPrepareSelect->trigger();
    EXPECT_EQ(currentPage(), sheet->tabTabela);
    sheet->edUserTabela->setText(QStringLiteral("VOXA"));
    sheet->cbTabela->setCurrentText(QStringLiteral("CUSTOMERS"));
    emit sheet->cbTabela->textActivated(QStringLiteral("CUSTOMERS"));
    ASSERT_TRUE(sheet->sgColumns->isVisible());
    int id = -1;
    int name = -1;
    for (int r = 0; r < sheet->sgColumns->rowCount(); ++r) {
        if (sheet->sgColumns->item(r, 1)->text() == QLatin1String("CUSTOMER_ID"))
            id = r;
        if (sheet->sgColumns->item(r, 1)->text() == QLatin1String("NAME"))
            name = r;
    }
    ASSERT_GE(id, 0);
    ASSERT_GE(name, 0);
    emit sheet->sgColumns->cellClicked(id, 0);
    emit sheet->sgColumns->cellClicked(name, 0);
    sheet->sgColumns->item(id, 8)->setText(QStringLiteral("<3"));
    sheet->btStavek->click();
    EXPECT_EQ(sheet->meWork->textLines().value(0), QStringLiteral("select "));
    run(sheet->meWork->text());
    EXPECT_EQ(model()->rowCount(), 2) << errors().toStdString();
    EXPECT_TRUE(sheet->quDynWork->cachedUpdates());
}

TEST_F(WorksheetWindow, OpenAndSaveFiles)
{
    const QString file = path(QStringLiteral("stavek.sql"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("select 'Šola' from dual\r\n"); // UTF-8
    }
    // The file is opened as File "&Open" does after its dialog; Save then writes to it without asking.
    const std::optional<QString> text = sheet->file.open(file);
    ASSERT_TRUE(text.has_value());
    sheet->meWork->setText(*text);
    EXPECT_EQ(sheet->meWork->textLines(), QStringList { QStringLiteral("select 'Šola' from dual") });
    sheet->meWork->setText(QStringLiteral("select 'Čas' from dual"));
    sheet->meWork->setFocus();
    sheet->miSave->trigger();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(),
        QByteArray("select '\xC4\x8C"
                   "as' from dual\r\n"));
}

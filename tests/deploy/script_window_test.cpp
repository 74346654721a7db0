// The script executor on the demo database, driven by its controls: the main window's entries, a script with every
// directive stored and run with and without the statement thread, status X/E/N per row, break on error, the reset
// with Commit and Rollback, toggle, search, statistics and deletion, refused stores, long statements, owner mode,
// the large rollback segment, the main session shared with other windows, and Stop while a statement runs.
#include "script_window_fixture.h"

#include "db/dataset.h"
#include "shell/localmessagedlg.h"
#include "shell/pendingwork.h"
#include "shell/themedgrid.h"
#include "shell/windowregistry.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

using deploytest::DialogAnswer;
using testsupport::waitFor;

namespace {

// A script with every directive: declarations and markers, conditions with counts (one holding, one not, one whose
// query fails), foreign keys switched off and on, and a package from a file beside the script.
const char* const kEveryDirective = R"(-- V0801: every directive of the script language
#DECLARE VAR_OWN "VOXA"
/
#DECLARE VAR_TAB "DEPLOY_T"
/
CREATE TABLE :VAR_OWN:.:VAR_TAB: (ID NUMBER CONSTRAINT DEPLOY_T_PK PRIMARY KEY, NAME VARCHAR2(30))
/
CREATE TABLE :VAR_OWN:.DEPLOY_C (ID NUMBER, T_ID NUMBER CONSTRAINT DEPLOY_C_FK REFERENCES :VAR_OWN:.:VAR_TAB: (ID))
/
#IF 2 select count(*) rezultat from all_tables where owner='VOXA' and table_name='CUSTOMERS' #ENDIF
INSERT INTO :VAR_OWN:.:VAR_TAB: VALUES (1, 'one')
/
INSERT INTO :VAR_OWN:.:VAR_TAB: VALUES (2, 'two')
/
#IFNOT1 select count(*) rezultat from all_tables where owner='VOXA' and table_name='CUSTOMERS' #ENDIF
INSERT INTO :VAR_OWN:.:VAR_TAB: VALUES (3, 'never')
/
#IF select count(*) rezultat from no_such_view #ENDIF
INSERT INTO :VAR_OWN:.:VAR_TAB: VALUES (4, 'never')
/
#DISABLE# :VAR_OWN:.:VAR_TAB:
/
INSERT INTO :VAR_OWN:.DEPLOY_C VALUES (1, 99)
/
DELETE FROM :VAR_OWN:.DEPLOY_C WHERE T_ID = 99
/
#ENABLE# :VAR_OWN:.:VAR_TAB:
/
#PL/SQL# deploy_pck.sql
/
)";

const char* const kPackage = R"(CREATE OR REPLACE PACKAGE VOXA.DEPLOY_PCK IS
  -- the version of the deployment
  FUNCTION version RETURN VARCHAR2;
END DEPLOY_PCK;
/
)";

const QStringList kEveryDirectiveRows = { "CREATE TABLE VOXA.DEPLOY_T (ID NUMBER CONSTRAINT DEPLOY_T_PK PRIMARY KEY, NAME VARCHAR2(30))",
    "CREATE TABLE VOXA.DEPLOY_C (ID NUMBER, T_ID NUMBER CONSTRAINT DEPLOY_C_FK REFERENCES VOXA.DEPLOY_T (ID))",
    "INSERT INTO VOXA.DEPLOY_T VALUES (1, 'one')", "INSERT INTO VOXA.DEPLOY_T VALUES (2, 'two')",
    "#DISABLE# VOXA.DEPLOY_T", "INSERT INTO VOXA.DEPLOY_C VALUES (1, 99)", "DELETE FROM VOXA.DEPLOY_C WHERE T_ID = 99",
    "#ENABLE# VOXA.DEPLOY_T", "#PL/SQL# deploy_pck.sql" };

QStringList statuses(int n, const char* stat)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("%1 %2").arg(i).arg(QLatin1String(stat));
    return out;
}

// Marks another window as holding uncommitted work on the main session while it lives.
struct OtherWindowWork {
    explicit OtherWindowWork(db::Session* session)
    {
        shell::registerPendingWork(&owner, [session](const db::Session& s) {
            return &s == session ? QStringLiteral("WorkSheet_9: changes not yet committed") : QString();
        });
    }
    QObject owner;
};

} // namespace

class ScriptWindow : public deploytest::ScriptWindowTest {
protected:
    QStringList storedTexts(const QString& name)
    {
        db::Session s;
        logOn(s);
        db::Query q(&s);
        q.setSql(QStringLiteral("select script_cont from vexo_util.vexo_exs where script_name = :n order by script_counter"));
        q.setVariable(QStringLiteral("n"), name);
        q.execute();
        QStringList out;
        for (; !q.eof(); q.next())
            out << q.field(0).toString();
        return out;
    }

    void storeEveryDirective()
    {
        writeFile(QStringLiteral("deploy_pck.sql"), QString::fromUtf8(kPackage));
        ASSERT_TRUE(store(QStringLiteral("V0801"), QString::fromUtf8(kEveryDirective)));
        EXPECT_EQ(storedTexts(QStringLiteral("V0801")), kEveryDirectiveRows);
        EXPECT_EQ(rowsOf(QStringLiteral("V0801")), statuses(9, "N"));
        // The failing condition query is reported; its statement is left out.
        EXPECT_TRUE(window->meOutput->toPlainText().contains(QLatin1String("ORA-00942")));
        EXPECT_TRUE(window->meOutput->toPlainText().contains(QLatin1String("V0801: 9")));
        // The store moved on to the execute page with the new script's rows.
        EXPECT_EQ(window->pcExec->currentWidget(), window->tabExec);
        EXPECT_EQ(window->cbAllScripts->currentText(), QStringLiteral("V0801"));
        EXPECT_EQ(window->quSkripte->recordCount(), 9);
        EXPECT_EQ(main->currLastVer.contains(QLatin1String("V0801")), true);
    }

    void runAllAndCheck()
    {
        DialogAnswer ok(shell::mrOk);
        window->spExecAllScript->click();
        EXPECT_FALSE(window->running());
        EXPECT_EQ(rowsOf(QStringLiteral("V0801")), statuses(9, "X"));
        EXPECT_EQ(value(QStringLiteral("select count(*) from voxa.deploy_t")), QStringLiteral("2"));
        EXPECT_EQ(value(QStringLiteral("select status from all_constraints where constraint_name='DEPLOY_C_FK'")),
            QStringLiteral("ENABLED"));
        EXPECT_EQ(value(QStringLiteral("select status from all_objects where object_name='DEPLOY_PCK'")),
            QStringLiteral("VALID"));
        EXPECT_FALSE(main->pExecuteScriptNapaka);
        EXPECT_TRUE(ok.text.contains(QLatin1String("SCRIPTS EXECUTED OK")));
        EXPECT_EQ(window->laCurrent->text(), QStringLiteral("9"));
        EXPECT_EQ(window->laErrors->text(), QStringLiteral("0"));
        EXPECT_EQ(window->laToExecute->text(), QStringLiteral("0"));
        EXPECT_EQ(window->swExec->currentWidget(), window->dbgSkripte); // back to the grid
    }
};

TEST_F(ScriptWindow, MainWindowEntriesOpenIt)
{
    main->enableConnectedActions(true);
    QAction* item = main->menuItem(QStringLiteral("mmExecScript"));
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(main->toolButton(QStringLiteral("tbExecScript"))->isEnabled());
    item->trigger();
    TfmScript* opened = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<TfmScript*>(w); s && s->isVisible())
            opened = s;
    ASSERT_TRUE(opened);
    window = opened;
    EXPECT_TRUE(window->objectName().startsWith(QLatin1String("fmScript")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("EXECUTE SCRIPT  (VOXA@DEMO)"));
    EXPECT_FALSE(window->p_auto);
    EXPECT_EQ(window->pcExec->currentWidget(), window->tabEmpty);
    EXPECT_EQ(window->edDir->text(), scriptDir());
    EXPECT_TRUE(window->p_scriptDateOwner);
    // The demo's scripts are listed, newest name first.
    ASSERT_GE(window->cbAllScripts->count(), 4);
    EXPECT_EQ(window->cbAllScripts->itemText(0), QStringLiteral("V0703_INVOICES"));
}

TEST_F(ScriptWindow, EveryDirectiveStoredAndRunDirectly)
{
    open();
    storeEveryDirective();
    window->cbThread->setChecked(false);
    runAllAndCheck();
    // The statistics page counts the script's rows.
    window->tbStat->click();
    EXPECT_EQ(window->pcExec->currentWidget(), window->tabStat);
    EXPECT_FALSE(window->paGlava->isVisible());
    ASSERT_GT(window->sgStat->rowCount(), 0);
    // The page has a row per script and date: rows run across a second's end are counted on two rows.
    int rows = 0;
    int executed = 0;
    for (int r = 0; r < window->sgStat->rowCount(); ++r) {
        if (window->sgStat->item(r, 0)->text() != QLatin1String("V0801"))
            continue;
        ++rows;
        executed += window->sgStat->item(r, 3)->text().toInt();
        EXPECT_TRUE(window->sgStat->item(r, 4)->text().isEmpty());
    }
    ASSERT_GT(rows, 0);
    EXPECT_EQ(executed, 9);
}

TEST_F(ScriptWindow, EveryDirectiveStoredAndRunOnTheThread)
{
    open();
    storeEveryDirective();
    window->cbThread->setChecked(true);
    runAllAndCheck();
    // The thread writes "NO ERRORS" for a statement that ran.
    EXPECT_TRUE(rowsOf(QStringLiteral("V0801"), true).contains(QStringLiteral("3 X: NO ERRORS")));
}

TEST_F(ScriptWindow, StatusPerRowResetAndBreakOnError)
{
    open();
    const char* script = "CREATE TABLE VOXA.DEPLOY_A (ID NUMBER)\n/\n"
                         "SELECT * FROM VOXA.NO_SUCH_TABLE\n/\n"
                         "DROP INDEX VOXA.NO_SUCH_INDEX\n/\n"
                         "DROP TABLE VOXA.T_OLD_MISSING\n/\n"
                         "INSERT INTO VOXA.DEPLOY_A VALUES (1)\n/\n";
    ASSERT_TRUE(store(QStringLiteral("V0802"), QString::fromUtf8(script)));
    // Without "Break on error" every row runs; the missing index is tolerated (kept "E", not counted).
    window->cbStopOnError->setChecked(false);
    {
        DialogAnswer ok(shell::mrOk);
        window->spExecAllScript->click();
        EXPECT_TRUE(ok.text.contains(QLatin1String("SCRIPTS EXECUTED NOK")));
    }
    const QStringList after = rowsOf(QStringLiteral("V0802"), true);
    ASSERT_EQ(after.size(), 5);
    EXPECT_EQ(after[0], QStringLiteral("1 X"));
    EXPECT_TRUE(after[1].startsWith(QLatin1String("2 E: ORA-00942")));
    EXPECT_TRUE(after[2].startsWith(QLatin1String("3 E: ORA-01418")));
    EXPECT_TRUE(after[3].startsWith(QLatin1String("4 E: ORA-00942"))); // not a TMP_ table: a real error
    EXPECT_EQ(after[4], QStringLiteral("5 X"));
    EXPECT_EQ(window->laErrors->text(), QStringLiteral("2"));
    EXPECT_TRUE(main->pExecuteScriptNapaka); // the run had failures

    // The reset waits for Commit or Rollback; Rollback undoes it.
    window->tbRun->click();
    window->cbAllScripts->setEditText(QStringLiteral("V0802"));
    {
        DialogAnswer yes(shell::mrYes);
        window->sbNeizvedeno->click();
        EXPECT_TRUE(yes.text.contains(QLatin1String("CHANGE STATUS TO NOT EXECUTED?")));
    }
    EXPECT_TRUE(window->btCommit->isEnabled());
    EXPECT_TRUE(window->btRollback->isEnabled());
    EXPECT_FALSE(shell::pendingWorkOfOthers(*main->osOracle, nullptr).isEmpty()); // others are told
    window->btRollback->click();
    EXPECT_FALSE(window->btRollback->isEnabled());
    EXPECT_EQ(rowsOf(QStringLiteral("V0802")).at(1), QStringLiteral("2 E"));
    {
        DialogAnswer yes(shell::mrYes);
        window->sbNeizvedeno->click();
    }
    window->btCommit->click();
    EXPECT_FALSE(window->btCommit->isEnabled());
    EXPECT_EQ(rowsOf(QStringLiteral("V0802")), statuses(5, "N"));

    // With "Break on error" the first failing row ends the run; the message shows the statement.
    value(QStringLiteral("drop table voxa.deploy_a"));
    window->cbStopOnError->setChecked(true);
    main->pExecuteScriptNapaka = false;
    {
        DialogAnswer yes(shell::mrYes);
        window->spExecAllScript->click();
        EXPECT_EQ(yes.shown, 1);
        EXPECT_TRUE(yes.text.contains(QLatin1String("SELECT * FROM VOXA.NO_SUCH_TABLE")));
    }
    EXPECT_EQ(rowsOf(QStringLiteral("V0802")), (QStringList { "1 X", "2 E", "3 N", "4 N", "5 N" }));
    EXPECT_TRUE(window->p_napaka);
    EXPECT_TRUE(main->pExecuteScriptNapaka);
}

TEST_F(ScriptWindow, FailedEnableIsAnError)
{
    open();
    // VOXA.INVOICES has orders that do not exist: its foreign key to ORDERS cannot be enabled.
    ASSERT_TRUE(store(QStringLiteral("V0803"), QStringLiteral("#DISABLE# voxa.orders\n/\n#ENABLE# VOXA.ORDERS\n/\n")));
    window->cbStopOnError->setChecked(false);
    DialogAnswer ok(shell::mrOk);
    window->spExecAllScript->click();
    const QStringList rows = rowsOf(QStringLiteral("V0803"), true);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], QStringLiteral("1 X"));
    EXPECT_TRUE(rows[1].startsWith(QLatin1String("2 E: alter table VOXA.INVOICES ENABLE constraint INVOICES_ORDERS_FK")));
    EXPECT_TRUE(rows[1].contains(QLatin1String("ORA-02298")));
    // The other foreign key was enabled all the same.
    EXPECT_EQ(value(QStringLiteral("select status from all_constraints where constraint_name='ITEMS_ORDERS_FK'")),
        QStringLiteral("ENABLED"));
}

TEST_F(ScriptWindow, ToggleSearchAndDelete)
{
    open();
    ASSERT_TRUE(store(QStringLiteral("V0804"),
        QStringLiteral("SELECT 1 FROM DUAL\n/\nSELECT 'needle' FROM DUAL\n/\nSELECT 3 FROM DUAL\n/\n")));
    // Toggle the second row to "D" and back; it is committed at once, so Rollback stays off.
    window->quSkripte->setRecNo(2);
    EXPECT_EQ(window->meLong->text(), QStringLiteral("SELECT 'needle' FROM DUAL"));
    window->spDelete->click();
    EXPECT_EQ(rowsOf(QStringLiteral("V0804")).at(1), QStringLiteral("2 D"));
    EXPECT_FALSE(window->btRollback->isEnabled());
    window->spDelete->click();
    EXPECT_EQ(rowsOf(QStringLiteral("V0804")).at(1), QStringLiteral("2 N"));

    // Search over all scripts by text; a double click shows the row on the execute page.
    window->tbSearch->click();
    EXPECT_EQ(window->pcExec->currentWidget(), window->TabSearch);
    window->edFindFilter->setText(QStringLiteral("needle"));
    window->btFind->click();
    ASSERT_EQ(window->quFind->recordCount(), 1);
    EXPECT_EQ(window->meFindCont->toPlainText(), QStringLiteral("SELECT 'needle' FROM DUAL"));
    window->dbgSearchDblClick();
    EXPECT_EQ(window->pcExec->currentWidget(), window->tabExec);
    EXPECT_EQ(window->quSkripte->recNo(), 2);
    EXPECT_EQ(window->cbShowType->currentText().at(0), QLatin1Char('A'));

    // The list's text filter, then the permanent deletion of the whole script.
    window->edFilter->setText(QStringLiteral("needle"));
    window->btRefresh->click();
    EXPECT_EQ(window->quSkripte->recordCount(), 1);
    window->edFilter->clear();
    {
        DialogAnswer yes(shell::mrYes);
        window->spDeleteAll->click();
        EXPECT_TRUE(yes.text.contains(QLatin1String("DELETE (PERMANENT)?")));
    }
    EXPECT_TRUE(rowsOf(QStringLiteral("V0804")).isEmpty());
    EXPECT_EQ(window->cbAllScripts->findText(QStringLiteral("V0804")), -1);
    // The deletion page removes chosen scripts.
    window->tbDeleteMore->click();
    const auto found = window->lbDeleteMore->findItems(QStringLiteral("V0703_INVOICES"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    found.first()->setSelected(true);
    {
        DialogAnswer yes(shell::mrYes);
        window->btDelete->click();
        EXPECT_TRUE(yes.text.contains(QLatin1String("DELETE CHOOSEN SCRIPTS : 1 ?")));
    }
    EXPECT_TRUE(rowsOf(QStringLiteral("V0703_INVOICES")).isEmpty());
}

TEST_F(ScriptWindow, RefusedStoresKeepNothing)
{
    open();
    ASSERT_TRUE(store(QStringLiteral("V0805"), QStringLiteral("SELECT 1 FROM DUAL\n/\n")));
    {
        // A second store of the same name is refused, whatever the content.
        DialogAnswer ok(shell::mrOk);
        EXPECT_FALSE(store(QStringLiteral("V0805"), QStringLiteral("SELECT 2 FROM DUAL\n/\n")));
        EXPECT_TRUE(ok.text.contains(QLatin1String("SCRIPT IS NOT EMPTY :1 RECORDS")));
    }
    EXPECT_EQ(storedTexts(QStringLiteral("V0805")), QStringList { QStringLiteral("SELECT 1 FROM DUAL") });
    {
        // A last statement without "/" is not dropped silently: nothing of the script is stored.
        DialogAnswer ok(shell::mrOk);
        EXPECT_FALSE(store(QStringLiteral("V0806"), QStringLiteral("SELECT 1 FROM DUAL\n/\nCREATE TABLE VOXA.X1 (A NUMBER)\n")));
        EXPECT_TRUE(ok.text.contains(QLatin1String("LINE 3")));
    }
    EXPECT_TRUE(rowsOf(QStringLiteral("V0806")).isEmpty());
    {
        // An insert that fails half-way (a name too long for the column) leaves no rows either.
        DialogAnswer ok(shell::mrOk);
        EXPECT_FALSE(store(QStringLiteral("V0807_A_NAME_LONGER_THAN_THIRTY_CHARACTERS"), QStringLiteral("SELECT 1 FROM DUAL\n/\n")));
        EXPECT_TRUE(ok.text.contains(QLatin1String("ERROR ON ADDING SCRIPT")));
    }
    EXPECT_EQ(value(QStringLiteral("select count(*) from vexo_util.vexo_exs where script_name like 'V0807%'")),
        QStringLiteral("0"));
    {
        DialogAnswer ok(shell::mrOk);
        window->edSkripta->clear();
        main->currentScript.clear();
        EXPECT_FALSE(window->btScriptPutClick());
        EXPECT_TRUE(ok.text.contains(QLatin1String("ENTER ACTIVE SCRIPT")));
    }
}

TEST_F(ScriptWindow, LongStatementsWholeEverywhere)
{
    open();
    QString block = QStringLiteral("DECLARE\n  n NUMBER := 0;\nBEGIN\n");
    for (int i = 0; i < 900; ++i)
        block += QStringLiteral("  n := n + 1; -- padding line %1 of a long deployment block\n").arg(i, 4, 10, QLatin1Char('0'));
    block += QStringLiteral("  /* the end */\n  INSERT INTO VOXA.DEPLOY_L VALUES (n);\nEND;\n/\n");
    ASSERT_GT(block.size(), 50000);
    ASSERT_TRUE(store(QStringLiteral("V0808"), QStringLiteral("CREATE TABLE VOXA.DEPLOY_L (N NUMBER)\n/\n") + block));
    const QStringList texts = storedTexts(QStringLiteral("V0808"));
    ASSERT_EQ(texts.size(), 2);
    EXPECT_GT(texts[1].size(), 50000);
    EXPECT_TRUE(texts[1].endsWith(QLatin1String("END;")));
    window->quSkripte->setRecNo(2);
    EXPECT_EQ(window->meLong->text(), texts[1]);
    DialogAnswer ok(shell::mrOk);
    window->spExecAllScript->click();
    EXPECT_EQ(rowsOf(QStringLiteral("V0808")), statuses(2, "X"));
    EXPECT_EQ(value(QStringLiteral("select n from voxa.deploy_l")), QStringLiteral("900"));
}

TEST_F(ScriptWindow, OwnerModeTouchesOnlyTheOwnersRows)
{
    main->hooks.aliJeVecInstacijNaTrenutniInstanci = [](const QString&) { return true; };
    open();
    EXPECT_TRUE(window->p_owner);
    // VOXA's scripts only: V0700_LEDGER has no owner, VZAS1 and VZAS2 have rows of V0701_CUSTOMERS too.
    QStringList names;
    for (int i = 0; i < window->cbAllScripts->count(); ++i)
        names << window->cbAllScripts->itemText(i);
    EXPECT_EQ(names, (QStringList { "V0703_INVOICES", "V0702_ORDERS", "V0701_CUSTOMERS" }));
    window->cbAllScripts->setEditText(QStringLiteral("V0701_CUSTOMERS"));
    window->cbAllScriptsClick();
    EXPECT_EQ(window->quSkripte->recordCount(), 3);
    {
        DialogAnswer yes(shell::mrYes);
        window->sbNeizvedeno->click();
    }
    window->btCommit->click();
    EXPECT_EQ(value(QStringLiteral("select count(*) from vexo_util.vexo_exs where script_name='V0701_CUSTOMERS' and "
                                   "script_stat='N'")),
        QStringLiteral("5")); // VOXA's three and VZAS2's two that were N already
    EXPECT_EQ(value(QStringLiteral("select script_stat from vexo_util.vexo_exs where script_name='V0701_CUSTOMERS' and "
                                   "script_owner='VZAS2' and script_counter=1")),
        QStringLiteral("E"));
}

TEST_F(ScriptWindow, LargeRollbackSegmentThroughTheMainWindow)
{
    open();
    QAction* item = main->menuItem(QStringLiteral("mmActivateLargeRB"));
    ASSERT_TRUE(item);
    EXPECT_FALSE(window->laLargeRB->text().isEmpty());
    {
        // The engine has no ALTER ROLLBACK SEGMENT yet: the main window shows the failure, nothing switches.
        DialogAnswer ok(QDialog::Accepted);
        window->tbLargeRB->click();
        EXPECT_EQ(ok.shown, 1);
    }
    EXPECT_EQ(window->tbLargeRB->isChecked(), item->isChecked());
    item->setChecked(true);
    window->FormActivate();
    EXPECT_TRUE(window->tbLargeRB->isChecked());
}

TEST_F(ScriptWindow, OtherWindowsPendingWorkIsAskedAbout)
{
    open();
    ASSERT_TRUE(store(QStringLiteral("V0809"), QStringLiteral("SELECT 1 FROM DUAL\n/\n")));
    OtherWindowWork other(main->osOracle);
    {
        DialogAnswer no(shell::mrNo);
        window->spExecAllScript->click();
        EXPECT_TRUE(no.text.contains(QLatin1String("WorkSheet_9")));
    }
    EXPECT_EQ(rowsOf(QStringLiteral("V0809")), statuses(1, "N")); // nothing ran
    {
        DialogAnswer yes(shell::mrYes);
        window->spExecAllScript->click();
    }
    EXPECT_EQ(rowsOf(QStringLiteral("V0809")), statuses(1, "X"));
}

TEST_F(ScriptWindow, StopBeforeTheNextStatementWhileTheThreadWaits)
{
    open();
    // Another session holds the table, so the first statement waits on the thread until it is released.
    value(QStringLiteral("create table voxa.deploy_s (a number)"));
    db::Session holder;
    logOn(holder);
    db::Query lock(&holder);
    lock.setSql(QStringLiteral("LOCK TABLE VOXA.DEPLOY_S IN EXCLUSIVE MODE"));
    lock.execute();
    ASSERT_TRUE(store(QStringLiteral("V0810"),
        QStringLiteral("LOCK TABLE VOXA.DEPLOY_S IN EXCLUSIVE MODE\n/\nINSERT INTO VOXA.DEPLOY_S VALUES (2)\n/\n")));
    window->cbThread->setChecked(true);
    bool progressSeen = false;
    QTimer step;
    step.setInterval(10);
    QObject::connect(&step, &QTimer::timeout, [&] {
        if (!progressSeen && window->laCurrent->text() == QLatin1String("1") && !window->threadNadaljuj) {
            // The window is alive while the statement waits: its labels moved, and Stop is taken.
            progressSeen = true;
            EXPECT_TRUE(window->btStop->isEnabled());
            EXPECT_FALSE(window->spExecAllScript->isEnabled());
            window->btStop->click();
            holder.commit();
        }
    });
    step.start();
    DialogAnswer ok(shell::mrOk);
    window->spExecAllScript->click();
    step.stop();
    EXPECT_TRUE(progressSeen);
    EXPECT_EQ(rowsOf(QStringLiteral("V0810")), (QStringList { "1 X", "2 N" }));
}

TEST_F(ScriptWindow, MissingPlSqlFileOnBothPaths)
{
    open();
    ASSERT_TRUE(store(QStringLiteral("V0811"), QStringLiteral("#PL/SQL# no_such_package.sql\n/\n")));
    window->cbStopOnError->setChecked(false);
    for (bool onThread : { false, true }) {
        SCOPED_TRACE(onThread ? "thread" : "direct");
        value(QStringLiteral("update vexo_util.vexo_exs set script_stat='N', script_err=null where script_name='V0811'"));
        window->cbThread->setChecked(onThread);
        DialogAnswer ok(shell::mrOk);
        window->spExecAllScript->click();
        EXPECT_EQ(rowsOf(QStringLiteral("V0811"), true),
            QStringList { QStringLiteral("1 E: no_such_package.sql  DOESN'T  EXISTS !") });
    }
}

TEST_F(ScriptWindow, StatisticsWhateverTheDateFormat)
{
    // The rows without a date sort as the first day of 2000 in any date format of the session.
    db::Query alter(main->osOracle);
    alter.setSql(QStringLiteral("alter session set nls_date_format='YYYY-MM-DD HH24:MI'"));
    alter.execute();
    open();
    DialogAnswer none(shell::mrOk);
    window->tbStat->click();
    EXPECT_EQ(none.shown, 0) << none.text.toStdString();
    ASSERT_GT(window->sgStat->rowCount(), 0);
    const int last = window->sgStat->rowCount() - 1;
    EXPECT_EQ(window->sgStat->item(last, 0)->text(), QStringLiteral("V0700_LEDGER")); // no date: the oldest
    // Only the scripts with errors.
    window->cbStatErrors->setChecked(true);
    window->btStatRefresh->click();
    QStringList names;
    for (int r = 0; r < window->sgStat->rowCount(); ++r)
        names << window->sgStat->item(r, 0)->text();
    EXPECT_EQ(names, (QStringList { "V0701_CUSTOMERS", "V0702_ORDERS" }));
}

TEST_F(ScriptWindow, OpensWithoutAccessToTheDynamicViews)
{
    // AKRALJ works with the script table; without SELECT ANY DICTIONARY he may not read V$ROLLSTAT, so the
    // segment's state is unknown.
    value(QStringLiteral("revoke select any dictionary from akralj"));
    main->osOracle->logOff();
    logOn(*main->osOracle, "AKRALJ");
    main->connUser = QStringLiteral("AKRALJ");
    open();
    EXPECT_EQ(window->laLargeRB->text(), QStringLiteral("UNKNOWN"));
    EXPECT_GT(window->cbAllScripts->count(), 0);
}

TEST_F(ScriptWindow, EditedStatementIsWrittenBack)
{
    open();
    ASSERT_TRUE(store(QStringLiteral("V0812"), QStringLiteral("SELECT 1 FROM DUALL\n/\n")));
    window->activateWindow();
    window->meLong->setFocus();
    ASSERT_TRUE(waitFor([&] { return window->meLong->hasFocus(); }, 5000));
    window->meLong->setText(QStringLiteral("SELECT 1 FROM DUAL"));
    window->cbShowType->setFocus();
    ASSERT_TRUE(waitFor([&] { return !window->meLong->hasFocus(); }, 5000));
    EXPECT_EQ(storedTexts(QStringLiteral("V0812")), QStringList { QStringLiteral("SELECT 1 FROM DUAL") });
    DialogAnswer ok(shell::mrOk);
    window->spExecOne->click();
    EXPECT_TRUE(ok.text.contains(QLatin1String("SCRIPT EXECUTED OK")));
    EXPECT_EQ(rowsOf(QStringLiteral("V0812")), statuses(1, "X"));
}

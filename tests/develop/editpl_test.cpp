// The PL/SQL editor on a fresh demo database, driven by its controls: compile with the error list, the recent list
// across editors and program starts, the unsaved-changes question, templates, macros, the keyword finder, the
// schema-name substitution and the question about other windows' work on the main session.
#include "develop/editpl.h"
#include "platform/inifile.h"
#include "plsql_fixture.h"
#include "shell/localmessagedlg.h"
#include "shell/pendingwork.h"
#include "shell/sqleditor.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using plsqltest::Answers;
using testsupport::waitFor;

namespace {

const char* const kTwoPackages = "CREATE OR REPLACE PACKAGE voxa.pck_one IS\r\n" // 1
                                 "  FUNCTION f RETURN NUMBER;\r\n" // 2
                                 "END pck_one;\r\n" // 3
                                 "/\r\n" // 4
                                 "CREATE OR REPLACE PACKAGE BODY voxa.pck_one IS\r\n" // 5
                                 "  FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END;\r\n" // 6
                                 "END pck_one;\r\n" // 7
                                 "/\r\n" // 8
                                 "CREATE OR REPLACE PACKAGE voxa.pck_two IS\r\n" // 9
                                 "  PROCEDURE p;\r\n" // 10
                                 "END pck_two;\r\n" // 11
                                 "/\r\n" // 12
                                 "CREATE OR REPLACE PACKAGE BODY voxa.pck_two IS\r\n" // 13
                                 "\r\n" // 14
                                 "\r\n" // 15
                                 "  PROCEDURE p IS\r\n" // 16
                                 "  BEGIN\r\n" // 17
                                 "\r\n" // 18
                                 "    n_missing := pck_one.f;\r\n" // 19
                                 "      v_other := 2;\r\n" // 20
                                 "  END p;\r\n" // 21
                                 "END pck_two;\r\n" // 22
                                 "/\r\n"; // 23

class EditPLWindow : public plsqltest::PlsqlWindowTest {
protected:
    QString writeFile(const QString& name, const QByteArray& text)
    {
        QDir().mkpath(path(QStringLiteral("sql")));
        const QString file = path(QStringLiteral("sql/") + name);
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return file;
    }
    QString iniKey(int k) const
    {
        return platform::IniFile(platform::profilePath(QStringLiteral("PL_SQL.INI")))
            .readString(QStringLiteral("EDITPL"), QStringLiteral("HFILE%1").arg(k), QStringLiteral("X"));
    }
    // Compiles with the button and waits for the run's outcome.
    static void compile(TfmEditPL* ed)
    {
        ed->spCompile->click();
        ASSERT_TRUE(waitFor([&] { return ed->spCompile->isEnabled() && ed->edStatus->text() != QLatin1String("COMP"); }));
    }
    static QStringList listLines(TfmEditPL* ed)
    {
        QStringList out;
        for (int i = 0; i < ed->lbHistFile->count(); ++i)
            out << ed->lbHistFile->item(i)->text();
        return out;
    }
};

} // namespace

TEST_F(EditPLWindow, TheMainWindowsEntriesOpenIt)
{
    for (const char* item : { "mmEditPL", "mmStatus" })
        EXPECT_TRUE(main->menuItem(QString::fromLatin1(item))->isEnabled()) << item;
    for (const char* button : { "tbEditPL", "tbErrors" })
        EXPECT_TRUE(main->toolButton(QString::fromLatin1(button))->isEnabled()) << button;
    main->toolButton(QStringLiteral("tbEditPL"))->click();
    auto* ed = newestWindow<TfmEditPL>();
    ASSERT_TRUE(ed);
    EXPECT_TRUE(ed->objectName().startsWith(QStringLiteral("fmEdit")));
    EXPECT_EQ(ed->windowTitle(), QStringLiteral("Edit PL/SQL  (VOXA@DEMO)"));
    EXPECT_EQ(ed->width(), 620);
    EXPECT_FALSE(ed->paErrors->isVisible());
    EXPECT_FALSE(ed->paTools->isVisible());
    EXPECT_TRUE(ed->edStatus->text().isEmpty());
    // Closing keeps the size for the settings.
    QPointer<TfmEditPL> gone(ed);
    ed->close();
    ASSERT_TRUE(waitFor([&] { return gone.isNull(); }));
    EXPECT_EQ(main->currEditWidth, 620 - 140);
}

TEST_F(EditPLWindow, CompileListsTheErrorsAndTakesTheCursorToEach)
{
    const QString file = writeFile(QStringLiteral("two.sql"), kTwoPackages);
    TfmEditPL* ed = openEditPL(*main);
    {
        // No recent file yet: Load opens the file dialog.
        Answers pick(shell::mrOk, file);
        ed->spLoad->click();
        EXPECT_EQ(pick.fileDialogs, 1);
    }
    ASSERT_EQ(ed->CurrentFile, file);
    EXPECT_EQ(ed->windowTitle(), QStringLiteral("two.sql"));

    // F9 in the editor compiles.
    ed->meEdit->setFocus();
    QTest::keyClick(ed->meEdit, Qt::Key_F9);
    ASSERT_TRUE(waitFor([&] { return ed->edStatus->text() == QLatin1String("NOK"); }));
    EXPECT_TRUE(ed->spCompile->isEnabled());
    EXPECT_TRUE(ed->paErrors->isVisible());
    EXPECT_EQ(ed->laAllErr->text(), QStringLiteral("4"));
    EXPECT_EQ(ed->meError->toPlainText(), QStringLiteral("19/5   PLS-00201: identifier 'N_MISSING' must be declared"));
    EXPECT_EQ(ed->laError->text(), QStringLiteral("PCK_TWO"));
    EXPECT_EQ(ed->meEdit->cursorLine(), 19);
    EXPECT_EQ(ed->meEdit->cursorColumn(), 5);
    EXPECT_EQ(ed->meEdit->errorMarkLine(), 19);
    EXPECT_EQ(ed->btErrCodeNr->text(), QStringLiteral("1"));
    EXPECT_FALSE(ed->spbNazaj->isEnabled());
    EXPECT_TRUE(ed->spbNaprej->isEnabled());
    // Each error in turn: the cursor on its line and column.
    struct Step {
        int number, line, column;
    };
    for (const Step s : { Step { 2, 19, 5 }, Step { 3, 20, 7 }, Step { 4, 20, 7 } }) {
        SCOPED_TRACE(s.number);
        ed->spbNaprej->click();
        EXPECT_EQ(ed->btErrCodeNr->text(), QString::number(s.number));
        EXPECT_EQ(ed->meEdit->cursorLine(), s.line);
        EXPECT_EQ(ed->meEdit->cursorColumn(), s.column);
        EXPECT_TRUE(ed->meError->toPlainText().startsWith(QStringLiteral("%1/%2   ").arg(s.line).arg(s.column)));
    }
    EXPECT_FALSE(ed->spbNaprej->isEnabled());
    ed->spbNazaj->click();
    EXPECT_EQ(ed->btErrCodeNr->text(), QStringLiteral("3"));
    // The first package compiled clean; only the second body is invalid.
    EXPECT_EQ(column(QStringLiteral("select object_name||' '||object_type||' '||status from user_objects where "
                                    "object_name in ('PCK_ONE', 'PCK_TWO') order by object_name, object_type")),
        QStringList({ "PCK_ONE PACKAGE VALID", "PCK_ONE PACKAGE BODY VALID", "PCK_TWO PACKAGE VALID",
            "PCK_TWO PACKAGE BODY INVALID" }));

    // Fixed, Ctrl+Enter compiles again: OK and the list goes.
    QStringList lines = ed->meEdit->textLines();
    lines[18] = QStringLiteral("    NULL;");
    lines[19] = QStringLiteral("    NULL;");
    ed->meEdit->setLines(lines);
    QTest::keyClick(ed->meEdit, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return ed->edStatus->text() == QLatin1String("OK"); }));
    EXPECT_FALSE(ed->paErrors->isVisible());
    EXPECT_EQ(ed->meEdit->textLines().at(18), QStringLiteral("    NULL;")); // Ctrl+Enter typed no line break
    EXPECT_EQ(column(QStringLiteral("select status from user_objects where object_name = 'PCK_TWO' and "
                                    "object_type = 'PACKAGE BODY'")),
        QStringList({ "VALID" }));
}

TEST_F(EditPLWindow, ARefusedBlockSaysWhyAndTheRunGoesOn)
{
    TfmEditPL* ed = openEditPL(*main);
    ed->meEdit->setText(QStringLiteral("create table voxa.orders (a number);\r\n/\r\n"
                                       "create or replace procedure voxa.p_after is begin null; end;\r\n/\r\n"));
    Answers ok(shell::mrOk);
    compile(ed);
    ASSERT_EQ(ok.texts.size(), 1);
    EXPECT_TRUE(ok.texts.first().contains(QStringLiteral("ORA-00955"))) << ok.texts.first().toStdString();
    EXPECT_EQ(ed->edStatus->text(), QStringLiteral("NOK"));
    EXPECT_FALSE(ed->paErrors->isVisible());
    EXPECT_EQ(column(QStringLiteral("select status from user_objects where object_name = 'P_AFTER'")),
        QStringList({ "VALID" }));
}

TEST_F(EditPLWindow, OtherWindowsWorkOnTheMainSessionIsAskedAbout)
{
    QObject other;
    shell::registerPendingWork(&other, [](const db::Session&) { return QStringLiteral("WorkSheet_9: changes"); });
    TfmEditPL* ed = openEditPL(*main);
    ed->meEdit->setText(QStringLiteral("create or replace procedure voxa.p_asked is begin null; end;"));
    {
        Answers no(shell::mrNo);
        ed->spCompile->click();
        ASSERT_TRUE(waitFor([&] { return !no.texts.isEmpty(); }));
        EXPECT_TRUE(no.texts.first().contains(QStringLiteral("WorkSheet_9: changes")));
    }
    EXPECT_TRUE(ed->edStatus->text().isEmpty());
    EXPECT_TRUE(column(QStringLiteral("select status from user_objects where object_name = 'P_ASKED'")).isEmpty());
    {
        Answers yes(shell::mrYes);
        compile(ed);
    }
    EXPECT_EQ(ed->edStatus->text(), QStringLiteral("OK"));
}

TEST_F(EditPLWindow, AutoCompileClosesTheWindowOnlyWhenClean)
{
    const QString good = writeFile(QStringLiteral("good.sql"), "create or replace procedure voxa.p_auto is\r\n"
                                                               "begin null; end;\r\n/\r\n");
    QPointer<TfmEditPL> ed = openEditPL(*main);
    ASSERT_TRUE(ed->naloziFile(good));
    ed->AutoCompile = true;
    ed->spCompileClick();
    ASSERT_TRUE(waitFor([&] { return ed.isNull(); }));

    const QString bad = writeFile(QStringLiteral("bad.sql"), "create or replace procedure voxa.p_auto is\r\n"
                                                             "begin x := 1; end;\r\n/\r\n");
    ed = openEditPL(*main);
    ASSERT_TRUE(ed->naloziFile(bad));
    ed->AutoCompile = true;
    ed->spCompileClick();
    EXPECT_FALSE(ed.isNull());
    EXPECT_EQ(ed->edStatus->text(), QStringLiteral("NOK"));
    EXPECT_TRUE(ed->AutoCompile);
    EXPECT_EQ(ed->meEdit->cursorLine(), 2);
}

TEST_F(EditPLWindow, SubstitutedSchemaNamesAreCompiledButNotWrittenIntoTheText)
{
    main->currUserAsVoxa = QStringLiteral("VZAS1");
    main->currUserAsBildor = QStringLiteral("BZAS1");
    const QString before = QDir::currentPath();
    QDir::setCurrent(tmp.path());
    TfmEditPL* ed = openEditPL(*main);
    const QString text = QStringLiteral("CREATE OR REPLACE PROCEDURE VOXA.P_HOST IS\r\n"
                                        "BEGIN\r\n"
                                        "  DBMS_OUTPUT.PUT_LINE('VOXA.X'); x := 1;\r\n"
                                        "END;\r\n");
    ed->meEdit->setText(text);
    ed->cbTranslate->setChecked(true);
    compile(ed);
    QDir::setCurrent(before);
    EXPECT_EQ(ed->edStatus->text(), QStringLiteral("NOK"));
    EXPECT_EQ(ed->meEdit->text(), text);
    EXPECT_EQ(column(QStringLiteral("select owner from all_objects where object_name = 'P_HOST'")),
        QStringList({ "VZAS1" }));
    // The error's column is that of the editor's text, before the longer name.
    EXPECT_EQ(ed->meEdit->cursorLine(), 3);
    EXPECT_EQ(ed->meEdit->cursorColumn(), 35);
    QFile ornak(path(QStringLiteral("ORNAK")));
    ASSERT_TRUE(ornak.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(ornak.readAll());
    EXPECT_TRUE(written.contains(QStringLiteral("PROCEDURE VZAS1.P_HOST")));
    EXPECT_TRUE(written.contains(QStringLiteral("PUT_LINE('VZAS1.X')")));
}

TEST_F(EditPLWindow, UnsavedChangesAreNeverLost)
{
    TfmEditPL* ed = openEditPL(*main);
    ed->meEdit->setText(QStringLiteral("edited"));
    {
        Answers cancel(shell::mrCancel);
        ed->spNew->click();
    }
    EXPECT_EQ(ed->meEdit->text(), QStringLiteral("edited"));
    {
        // Yes without a file asks for one; a cancelled Save As keeps the edits.
        Answers yesButNoFile(shell::mrYes);
        ed->spNew->click();
        EXPECT_EQ(yesButNoFile.fileDialogs, 1);
    }
    EXPECT_EQ(ed->meEdit->text(), QStringLiteral("edited"));
    EXPECT_TRUE(ed->CurrentFile.isEmpty());
    const QString saved = path(QStringLiteral("saved.sql"));
    {
        Answers yes(shell::mrYes, saved);
        ed->spNew->click();
    }
    EXPECT_TRUE(ed->meEdit->text().isEmpty());
    QFile f(saved);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("edited\r\n"));

    // Save without a file says so; a file that is gone leaves the editor and the current file as they were.
    ed->meEdit->setText(QStringLiteral("again"));
    {
        Answers ok(shell::mrOk);
        ed->spSave->click();
        ASSERT_EQ(ok.texts.size(), 1);
        EXPECT_TRUE(ok.texts.first().contains(QStringLiteral("NO ACTIVE FILE!")));
        EXPECT_FALSE(ed->naloziFile(path(QStringLiteral("nosuch.sql"))));
        EXPECT_TRUE(ok.texts.last().contains(QStringLiteral("File does not exists")));
    }
    EXPECT_EQ(ed->meEdit->text(), QStringLiteral("again"));
    EXPECT_TRUE(ed->CurrentFile.isEmpty());

    // Closing with changes and Cancel keeps the window.
    QPointer<TfmEditPL> still(ed);
    {
        Answers cancel(shell::mrCancel);
        ed->close();
        QCoreApplication::processEvents();
    }
    ASSERT_FALSE(still.isNull());
    EXPECT_TRUE(still->isVisible());
    ed->meEdit->clear(); // nothing left to ask about at the end
}

TEST_F(EditPLWindow, RecentListAcrossEditorsAndStarts)
{
    const QString a = writeFile(QStringLiteral("a.sql"), "select 1 from dual\r\n");
    const QString b = writeFile(QStringLiteral("b.sql"), "select 2 from dual\r\n");
    const QString dir = path(QStringLiteral("sql")) + QLatin1Char('/');
    TfmEditPL* first = openEditPL(*main);
    {
        Answers pick(shell::mrOk, a);
        first->spLoadClick();
    }
    EXPECT_TRUE(iniKey(1).startsWith(QStringLiteral("a.sql/") + dir + QLatin1Char('/')));
    EXPECT_EQ(main->TmpCurrentEditInitDir, dir);

    // Another editor sees the file in its list; Load again while the list shows opens the dialog.
    TfmEditPL* second = openEditPL(*main);
    second->spLoadClick();
    ASSERT_TRUE(second->lbHistFile->isVisible());
    EXPECT_EQ(listLines(second), QStringList({ QStringLiteral("A         ") + dir }));
    {
        Answers pick(shell::mrOk, b);
        second->spLoadClick();
        EXPECT_EQ(pick.fileDialogs, 1);
    }
    EXPECT_FALSE(second->lbHistFile->isVisible());
    EXPECT_EQ(second->meEdit->text(), QStringLiteral("select 2 from dual\r\n"));
    EXPECT_TRUE(iniKey(1).startsWith(QStringLiteral("b.sql/")));
    EXPECT_TRUE(iniKey(2).startsWith(QStringLiteral("a.sql/")));
    closeToolWindows();

    // A new start of the program reads the same list.
    main = makeMain();
    TfmEditPL* third = openEditPL(*main);
    third->spLoadClick();
    ASSERT_TRUE(third->lbHistFile->isVisible());
    ASSERT_EQ(third->lbHistFile->count(), 2);
    third->lbHistFile->setCurrentRow(1);
    third->lbHistFileDblClick();
    EXPECT_EQ(third->CurrentFile, dir + QStringLiteral("a.sql"));
    EXPECT_EQ(third->windowTitle(), QStringLiteral("a.sql"));
    EXPECT_FALSE(third->lbHistFile->isVisible());
    EXPECT_TRUE(iniKey(1).startsWith(QStringLiteral("a.sql/")));

    // Deleting an entry rewrites the file and shows what is left.
    third->spLoadClick();
    third->lbHistFile->setCurrentRow(1);
    third->miHistFileDelete->trigger();
    EXPECT_TRUE(iniKey(1).startsWith(QStringLiteral("a.sql/")));
    EXPECT_EQ(iniKey(2), QStringLiteral("X"));
    EXPECT_TRUE(third->lbHistFile->isVisible());
    EXPECT_EQ(third->lbHistFile->count(), 1);
    // The last one: the file dialog follows.
    third->lbHistFile->setCurrentRow(0);
    {
        Answers none(shell::mrCancel);
        third->miHistFileDelete->trigger();
        EXPECT_EQ(none.fileDialogs, 1);
    }
    EXPECT_EQ(iniKey(1), QStringLiteral("X"));
}

TEST_F(EditPLWindow, TemplatesAreFoundCopiedStoredAndRolledBack)
{
    TfmEditPL* ed = openEditPL(*main);
    const int narrow = ed->width();
    ed->spDataBase->click();
    EXPECT_TRUE(ed->paTools->isVisible());
    EXPECT_EQ(ed->width(), narrow + 480);
    EXPECT_GT(ed->lcbUsers->count(), 3);
    ed->spUtilTemplate->click();

    ed->edTemplate->setText(QStringLiteral("cur"));
    ed->btFindTpl->click();
    EXPECT_TRUE(ed->dbgTemplate->isVisible());
    EXPECT_EQ(ed->edTemplate->text(), QStringLiteral("CURSOR"));
    EXPECT_EQ(ed->edDesc->text(), QStringLiteral("Cursor loop over a table"));
    EXPECT_TRUE(ed->meTemplate->toPlainText().startsWith(QStringLiteral("FOR r IN (SELECT * FROM :?) LOOP")));
    QGuiApplication::clipboard()->setText(QStringLiteral("ORDERS"));
    ed->btCopy->click();
    EXPECT_TRUE(ed->meEdit->text().contains(QStringLiteral("FOR r IN (SELECT * FROM ORDERS) LOOP\r\n  NULL;")));

    // A new template: visible in the main session, held there as pending work.
    ed->btNew->click();
    EXPECT_FALSE(ed->btFindTpl->isEnabled());
    EXPECT_TRUE(ed->btSaveTemplate->isEnabled());
    ed->edTemplate->setText(QStringLiteral("mytpl"));
    ed->edDesc->setText(QStringLiteral("Mine"));
    ed->meTemplate->setPlainText(QStringLiteral("null;"));
    ed->btSaveTemplate->click();
    EXPECT_FALSE(ed->btSaveTemplate->isEnabled());
    EXPECT_TRUE(ed->btNew->isEnabled() && ed->btUpdate->isEnabled() && ed->btFindTpl->isEnabled());
    const QString count = QStringLiteral("select tpl_sifra||'='||tpl_cont from vexo_util.vexo_pl_tpl where tpl_sifra "
                                         "like 'MYTPL%'");
    EXPECT_EQ(column(count, main->osOracle), QStringList({ "MYTPL=null;" }));
    EXPECT_EQ(shell::pendingWorkOfOthers(*main->osOracle, nullptr).size(), 1);

    // An update renames the template it was chosen as.
    ed->edTemplate->setText(QStringLiteral("MYTPL"));
    ed->btFindTpl->click();
    ed->btUpdate->click();
    ed->edTemplate->setText(QStringLiteral("MYTPL2"));
    ed->meTemplate->setPlainText(QStringLiteral("null; null;"));
    ed->btSaveTemplate->click();
    EXPECT_EQ(column(count, main->osOracle), QStringList({ "MYTPL2=null; null;" }));

    // The text takes no more than the window allows.
    ed->meTemplate->setPlainText(QString(250, QLatin1Char('x')));
    EXPECT_EQ(ed->meTemplate->toPlainText().size(), 200);

    main->osOracle->rollback();
    EXPECT_TRUE(column(count, main->osOracle).isEmpty());
    EXPECT_TRUE(shell::pendingWorkOfOthers(*main->osOracle, nullptr).isEmpty());

    ed->btCancel->click();
    EXPECT_TRUE(ed->edTemplate->text().isEmpty());
    ed->spUtilBack->click();
    EXPECT_FALSE(ed->paTools->isVisible());
    EXPECT_EQ(ed->width(), narrow);
    ed->meEdit->clear();
}

TEST_F(EditPLWindow, TableBrowserInsertsColumnNames)
{
    TfmEditPL* ed = openEditPL(*main);
    ed->spDataBaseClick();
    EXPECT_EQ(ed->lcbUsers->currentText(), QStringLiteral("VOXA"));
    const int orders = ed->lcbTables->findText(QStringLiteral("ORDERS"));
    ASSERT_GE(orders, 0);
    ed->lcbTables->setCurrentIndex(orders);
    emit ed->lcbTables->textActivated(QStringLiteral("ORDERS"));
    ASSERT_GE(ed->sgColumns->rowCount(), 3);
    EXPECT_EQ(ed->sgColumns->item(0, 0)->text(), QStringLiteral("ORDER_ID"));
    QGuiApplication::clipboard()->setText(QStringLiteral("o."));
    ed->sgColumns->selectRow(0);
    ed->sgColumns->selectionModel()->select(ed->sgColumns->model()->index(2, 0),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ed->spInsert->click();
    EXPECT_EQ(ed->meEdit->text(), QStringLiteral("o.ORDER_ID, o.ORDER_DATE"));
    EXPECT_FALSE(ed->btConstraints->isEnabled()); // their windows are not in the program yet
    ed->meEdit->clear();
}

TEST_F(EditPLWindow, KeyAndPopupMacros)
{
    main->macroTables.mcKeys = QStringLiteral("~");
    main->macroTables.mcMacro = { QStringLiteral("BEGIN\r\nEND;") };
    main->macroTables.stMacro = { QStringLiteral("-- popup") };
    main->macroTables.mcMacroHeader = { QStringLiteral("Popup one") };
    main->macroTables.nrMacros = 1;
    TfmEditPL* ed = openEditPL(*main);
    qint64 now = 0;
    ed->macroClock = [&] { return now; };
    auto key = [&](QEvent::Type type, bool repeat, qint64 at) {
        now = at;
        QKeyEvent e(type, Qt::Key_AsciiTilde, Qt::NoModifier, QStringLiteral("~"), repeat);
        QApplication::sendEvent(ed->meEdit, &e);
    };
    // A short press types the character.
    key(QEvent::KeyPress, false, 0);
    key(QEvent::KeyRelease, false, 100);
    EXPECT_EQ(ed->meEdit->text(), QStringLiteral("~"));
    // Held past the hold time: the macro once, and the release adds nothing.
    key(QEvent::KeyPress, false, 1000);
    key(QEvent::KeyPress, true, 1100);
    key(QEvent::KeyPress, true, 1300);
    key(QEvent::KeyPress, true, 1400);
    key(QEvent::KeyRelease, false, 1500);
    EXPECT_EQ(ed->meEdit->text(), QStringLiteral("~BEGIN\r\nEND;"));
    // The popup macro.
    ASSERT_EQ(ed->pmMacro->actions().size(), 1);
    EXPECT_EQ(ed->pmMacro->actions().first()->text(), QStringLiteral("Popup one"));
    ed->pmMacro->actions().first()->trigger();
    EXPECT_TRUE(ed->meEdit->text().endsWith(QStringLiteral("-- popup\r\n"))) << ed->meEdit->text().toStdString();
    ed->meEdit->clear();
}

TEST_F(EditPLWindow, KeywordFinderSelectsTheClosingEnd)
{
    TfmEditPL* ed = openEditPL(*main);
    ed->meEdit->setText(QStringLiteral("BEGIN\r\n  IF a THEN\r\n    BEGIN NULL; END;\r\n  END IF;\r\nEND;\r\n"));
    ed->meEdit->setSelection(0, 0, 0, 5);
    ed->spFindEQ->click();
    int lineFrom = 0, indexFrom = 0, lineTo = 0, indexTo = 0;
    ed->meEdit->getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
    EXPECT_EQ(lineFrom, 4);
    EXPECT_EQ(indexFrom, 0);
    EXPECT_EQ(ed->meEdit->selectedText(), QStringLiteral("END"));
    ed->meEdit->clear();
}

TEST_F(EditPLWindow, SlovenianTexts)
{
    main->currLanguage = QStringLiteral("SLO");
    TfmEditPL* ed = openEditPL(*main);
    EXPECT_EQ(ed->windowTitle(), QStringLiteral("PL/SQL Urejevalnik  (VOXA@DEMO)"));
    EXPECT_EQ(ed->nizVTrans, QStringLiteral("Odprta transakcija. Prevajanje ni možno!"));
    EXPECT_EQ(ed->btCloseErrorScreen->text(), QStringLiteral("Zapri napake"));
    EXPECT_EQ(ed->spCompile->toolTip(), QStringLiteral("Prevedi"));
    EXPECT_EQ(ed->laStErr->text(), QStringLiteral("Napake"));
    EXPECT_EQ(ed->spFindEQ->toolTip(),
        QStringLiteral("Išči \"dvojčka\" - pri BEGIN.LOOP dodaj še nekaj unikatnega v vrstici"));
}

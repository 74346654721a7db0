// The worksheet's editing aids driven through the window on a fresh demo database: key macros typed into the
// editor (tapped, held, Ctrl+T, Ctrl+D), popup macros, the loader on a picture cell of the result, and the memo
// under the grid bound to a text column of the current record.
#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "db/drivers.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/datamemo.h"
#include "develop/registerwindows.h"
#include "develop/workshet.h"
#include "engine/kit/kit.h"
#include "shell/Main.h"
#include "shell/getpict.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"
#include "shell/themedgrid.h"
#include "support/tempdir.h"
#include "support/waitfor.h"
#include "wstools_fixture.h"

#include <QApplication>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QDialog>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using testsupport::waitFor;

namespace {

using wstest::WhenShown;

// The worksheet of the shared fixture, with a macro file as the main window read it at its latest activation: two
// keys and one popup macro.
class WorksheetTools : public wstest::WorksheetOnDemo {
protected:
    void prepareMain() override
    {
        main->currMacros = QStringLiteral("#w\r\nwhere rownum < 10\r\n#q\r\nselect * from dual\r\n"
                                          "/Blok\r\nbegin\r\nnull;\r\nend;");
        main->currLargeRBName = QStringLiteral("RBBIG");
    }

    void run(const QString& text)
    {
        sheet->meWork->setText(text);
        sheet->spExe->click();
        ASSERT_TRUE(waitFor([&] { return !sheet->running(); }, 20000)) << text.toStdString();
        ASSERT_TRUE(sheet->meRespError->toPlainText().isEmpty()) << sheet->meRespError->toPlainText().toStdString();
    }

    // A key as the platform delivers it: to the window, which hands it to its focus widget.
    void key(QTest::KeyAction action, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const char c = QTest::keyToAscii(k);
        QTest::sendKeyEvent(action, sheet->windowHandle(), k, c ? QString(QLatin1Char(c)) : QString(), modifiers);
    }
    // The keyboard's repeat of a held key (its key-up before each repeated key-down is no release).
    void repeat(Qt::Key k, const QString& text)
    {
        QKeyEvent up(QEvent::KeyRelease, k, Qt::NoModifier, text, true);
        QApplication::sendEvent(sheet->focusWidget(), &up);
        QKeyEvent down(QEvent::KeyPress, k, Qt::NoModifier, text, true);
        QApplication::sendEvent(sheet->focusWidget(), &down);
    }

    void clickTitle(int dataColumn)
    {
        QHeaderView* header = sheet->dbgSelect->horizontalHeader();
        const int x = header->sectionViewportPosition(dataColumn) + header->sectionSize(dataColumn) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    // A double click as the platform delivers it: press, release, press, double click, release.
    void doubleClick(int row, int column)
    {
        QWidget* viewport = sheet->dbgSelect->viewport();
        const QPoint at = cellRect(row, column).center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
        QTest::mousePress(viewport, Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }
    QRect cellRect(int row, int column) const
    {
        return sheet->dbgSelect->visualRect(sheet->dbgSelect->dataModel()->index(row, column));
    }
};

QByteArray png(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

TEST_F(WorksheetTools, KeyMacrosTypedIntoTheEditor)
{
    qint64 now = 1000;
    sheet->macroClock = [&now] { return now; };
    sheet->meWork->setFocus();
    ASSERT_EQ(sheet->focusWidget(), sheet->meWork) << "keys typed into the worksheet reach its editor";

    // An ordinary key types itself.
    key(QTest::Click, Qt::Key_X);
    EXPECT_EQ(sheet->meWork->text(), QStringLiteral("x"));

    // A macro key tapped: held back while down, its own character when it goes up.
    key(QTest::Press, Qt::Key_W);
    EXPECT_EQ(sheet->meWork->text(), QStringLiteral("x"));
    now += 50;
    key(QTest::Release, Qt::Key_W);
    EXPECT_EQ(sheet->meWork->text(), QStringLiteral("xw"));

    // Held past the keyboard's repeat delay: its macro, once, however long it stays down.
    key(QTest::Press, Qt::Key_Q);
    now += 300;
    repeat(Qt::Key_Q, QStringLiteral("q"));
    now += 30;
    repeat(Qt::Key_Q, QStringLiteral("q"));
    now += 30;
    repeat(Qt::Key_Q, QStringLiteral("q"));
    key(QTest::Release, Qt::Key_Q);
    EXPECT_EQ(sheet->meWork->text(), QStringLiteral("xwselect * from dual"));
    EXPECT_EQ(sheet->meWork->cursorColumn(), 21) << "the caret follows the macro";

    // A repeat that comes before the delay is still the key itself.
    key(QTest::Press, Qt::Key_W);
    now += 200;
    repeat(Qt::Key_W, QStringLiteral("w"));
    key(QTest::Release, Qt::Key_W);
    EXPECT_EQ(sheet->meWork->text(), QStringLiteral("xwselect * from dualw"));

    // Ctrl+T: the statement that puts the transaction on the large rollback segment.
    key(QTest::Click, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(sheet->meWork->text(), QStringLiteral("SET TRANSACTION USE ROLLBACK SEGMENT RBBIG"));
    // Ctrl+D clears the editor.
    key(QTest::Click, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(sheet->meWork->text(), QString());

    // The worksheet's own keys work beside the macros: F9 runs the statement.
    sheet->meWork->setText(QStringLiteral("select 'f9' from dual"));
    key(QTest::Click, Qt::Key_F9);
    ASSERT_TRUE(waitFor([&] { return !sheet->running() && sheet->quDynWork->active(); }));
    EXPECT_EQ(sheet->dbgSelect->dataModel()->index(0, 0).data().toString(), QStringLiteral("f9"));
}

TEST_F(WorksheetTools, PopupMacroInsertedAtTheCaret)
{
    ASSERT_EQ(sheet->pmMacro->actions().size(), 1);
    EXPECT_EQ(sheet->pmMacro->actions().at(0)->text(), QStringLiteral("Blok"));
    sheet->meWork->setText(QStringLiteral("-- before\r\n-- after"));
    sheet->meWork->setCursorLineColumn(1, 10); // the end of the first line

    // The editor's popup offers the macro beside its own commands; choosing it inserts the macro's lines.
    int items = 0;
    WhenShown choose({}, [&items](QWidget* w) {
        auto* menu = qobject_cast<QMenu*>(w);
        ASSERT_NE(menu, nullptr);
        items = int(menu->actions().size());
        for (QAction* a : menu->actions())
            if (a->text() == QLatin1String("Blok")) {
                menu->setActiveAction(a);
                QTest::keyClick(menu, Qt::Key_Return);
            }
    });
    const QPoint at(20, 5);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, sheet->meWork->viewport()->mapToGlobal(at));
    QApplication::sendEvent(sheet->meWork->viewport(), &request);
    ASSERT_EQ(choose.shown, 1);
    EXPECT_GT(items, 2) << "the editor's own commands stay in the popup";
    const QStringList lines = sheet->meWork->textLines();
    ASSERT_GE(lines.size(), 6) << sheet->meWork->text().toStdString();
    EXPECT_EQ(lines.mid(0, 6),
        (QStringList { QStringLiteral("-- before"), QStringLiteral("begin"), QStringLiteral("null;"),
            QStringLiteral("end;"), QString(), QStringLiteral("-- after") }));
    EXPECT_FALSE(sheet->meWork->text().contains(QRegularExpression(QStringLiteral("\r(?!\n)"))))
        << "every line ends as the editor's lines do";
}

TEST_F(WorksheetTools, DoubleClickOnAPictureOpensTheLoader)
{
    {
        db::Query create(main->osOracle);
        create.setSql(QStringLiteral("create table ws_doc (id number, name varchar2(20), pic blob, note clob)"));
        create.execute();
        db::Query insert(main->osOracle);
        insert.setSql(QStringLiteral("insert into ws_doc values (1, 'logo', :pic, 'a note')"));
        insert.declareVariable(QStringLiteral("pic"), db::BindType::Blob);
        insert.setVariable(QStringLiteral("pic"), png(16, 12));
        insert.execute();
        main->osOracle->commit();
    }
    const QString file = path(QStringLiteral("new.png"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(png(30, 20));
    }
    run(QStringLiteral("select rowid, d.id, d.name, d.pic, d.note from ws_doc d"));
    ASSERT_EQ(sheet->pcResp->currentWidget(), sheet->TabRespGrid);
    const int pic = sheet->quDynWork->fieldIndex(QStringLiteral("PIC"));
    const int name = sheet->quDynWork->fieldIndex(QStringLiteral("NAME"));
    ASSERT_GE(pic, 0);

    // The loader shows the cell's picture and, the result being editable, loads a file into it.
    bool offered = false;
    QSize shownSize;
    WhenShown loader(QStringLiteral("fmGetPict"), [&](QWidget* w) {
        auto* dlg = static_cast<shell::TfmGetPict*>(w);
        offered = dlg->pImage && dlg->popravljanje && dlg->LoadButton->text() == QLatin1String("Load Image");
        shownSize = dlg->DBImage->pixmap().size();
        dlg->chooseFile = [file](bool) { return file; };
        dlg->LoadButton->click();
        dlg->btExit->click();
    });
    doubleClick(0, pic);
    ASSERT_EQ(loader.shown, 1);
    EXPECT_TRUE(offered);
    EXPECT_EQ(shownSize, QSize(16, 12));
    ASSERT_TRUE(sheet) << "the loader goes without taking the window with it";
    EXPECT_TRUE(sheet->btCommit->isEnabled()) << "the loaded picture waits for Commit";
    EXPECT_EQ(committed(QStringLiteral("select pic from ws_doc")).toByteArray(), png(16, 12));
    sheet->btCommit->click();
    EXPECT_EQ(committed(QStringLiteral("select pic from ws_doc")).toByteArray(), png(30, 20));

    // A cell of another type opens nothing.
    {
        WhenShown none(QStringLiteral("fmGetPict"), [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
        doubleClick(0, name);
        EXPECT_EQ(none.shown, 0);
        EXPECT_TRUE(sheet->focusWidget() && sheet->dbgSelect->viewport()->isAncestorOf(sheet->focusWidget()))
            << "the grid edits the cell itself";
        QTest::keyClick(sheet->focusWidget(), Qt::Key_Escape);
    }

    // A result that cannot be changed shows the picture but offers no loading.
    run(QStringLiteral("select pic from ws_doc"));
    bool refused = false;
    WhenShown readOnly(QStringLiteral("fmGetPict"), [&](QWidget* w) {
        auto* dlg = static_cast<shell::TfmGetPict*>(w);
        refused = !dlg->popravljanje && dlg->DBImage->pixmap().size() == QSize(30, 20);
        dlg->reject();
    });
    doubleClick(0, 0);
    ASSERT_EQ(readOnly.shown, 1);
    EXPECT_TRUE(refused);
}

TEST_F(WorksheetTools, MemoEditsTheBoundTextColumnOfTheCurrentRecord)
{
    run(QStringLiteral("select rowid, c.customer_id, c.city from voxa.customers c where customer_id in (1, 2) "
                       "order by customer_id"));
    const int city = sheet->quDynWork->fieldIndex(QStringLiteral("CITY"));
    const QString city1 = committed(QStringLiteral("select city from voxa.customers where customer_id = 1")).toString();
    const QString city2 = committed(QStringLiteral("select city from voxa.customers where customer_id = 2")).toString();
    ASSERT_NE(city1, city2);

    // A click on the title binds the memo to the column; it follows the current record.
    clickTitle(city);
    ASSERT_TRUE(sheet->dbmMemo->isVisible());
    EXPECT_EQ(sheet->dbmMemo->toPlainText(), city1);
    EXPECT_FALSE(sheet->dbmMemo->isReadOnly());
    QTest::mouseClick(sheet->dbgSelect->viewport(), Qt::LeftButton, {}, cellRect(1, city).center());
    ASSERT_EQ(sheet->quDynWork->recNo(), 2);
    EXPECT_EQ(sheet->dbmMemo->toPlainText(), city2);

    // Typed text goes into the field: the record is being edited and the transaction buttons come on.
    sheet->dbmMemo->setFocus();
    sheet->dbmMemo->selectAll();
    QTest::keyClicks(sheet->dbmMemo, QStringLiteral("Ptuj"));
    EXPECT_EQ(sheet->quDynWork->state(), db::DataSet::State::Edit);
    EXPECT_EQ(sheet->dbgSelect->dataModel()->index(1, city).data().toString(), QStringLiteral("Ptuj"));
    EXPECT_TRUE(sheet->btCommit->isEnabled());
    EXPECT_EQ(sheet->dbmMemo->toPlainText(), QStringLiteral("Ptuj")) << "the memo keeps what is typed";

    // Rollback drops it and the memo shows the field again; typed anew, Commit stores it.
    sheet->btRollback->click();
    EXPECT_EQ(sheet->dbmMemo->toPlainText(), city2);
    sheet->dbmMemo->selectAll();
    QTest::keyClicks(sheet->dbmMemo, QStringLiteral("Ptuj"));
    sheet->btCommit->click();
    EXPECT_FALSE(sheet->btCommit->isEnabled());
    EXPECT_EQ(committed(QStringLiteral("select city from voxa.customers where customer_id = 2")).toString(),
        QStringLiteral("Ptuj"));
    EXPECT_EQ(committed(QStringLiteral("select city from voxa.customers where customer_id = 1")).toString(), city1);

    // The ROWID column is shown but never typed into; a second title click hides the memo.
    clickTitle(city);
    EXPECT_TRUE(sheet->dbmMemo->isHidden());
    clickTitle(sheet->quDynWork->rowidField());
    EXPECT_TRUE(sheet->dbmMemo->isReadOnly());
    EXPECT_FALSE(sheet->dbmMemo->toPlainText().isEmpty());

    // A result without ROWID cannot be changed: the memo only shows.
    run(QStringLiteral("select city from voxa.customers where customer_id = 1"));
    EXPECT_TRUE(sheet->dbmMemo->isHidden()) << "a new run unbinds the memo";
    clickTitle(0);
    EXPECT_EQ(sheet->dbmMemo->toPlainText(), city1);
    EXPECT_TRUE(sheet->dbmMemo->isReadOnly());
    sheet->dbmMemo->setFocus();
    QTest::keyClicks(sheet->dbmMemo, QStringLiteral("x"));
    EXPECT_EQ(sheet->quDynWork->state(), db::DataSet::State::Browse);
    EXPECT_FALSE(sheet->btCommit->isEnabled());
}

// ---- the memo on a data set, without the window

namespace {

class WorksheetMemo : public wstest::DemoSessionTest { };

} // namespace

TEST_F(WorksheetMemo, WritesOnlyTextColumnsOfAnEditableResultAndKeepsLineEnds)
{
    run(*session, QStringLiteral("create table ws_memo (id number, code char(3), note clob, changed date)"));
    run(*session,
        QStringLiteral("insert into ws_memo values (1, 'ab', 'first' || chr(13) || chr(10) || 'second', sysdate)"));
    session->commit();

    struct Case {
        const char* name;
        QString sql;
        bool cached;
        const char* column;
        bool writable;
    };
    const QString live = QStringLiteral("select rowid, m.* from ws_memo m");
    const std::vector<Case> cases = {
        { "text column of an editable result", live, true, "NOTE", true },
        { "fixed-length text", live, true, "CODE", true },
        { "number", live, true, "ID", false },
        { "date", live, true, "CHANGED", false },
        { "the ROWID itself", live, true, "ROWID", false },
        { "without cached updates", live, false, "NOTE", false },
        { "without ROWID", QStringLiteral("select note from ws_memo"), true, "NOTE", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        db::DataSet ds(session.get());
        ds.setSql(c.sql);
        ds.setCachedUpdates(c.cached);
        ds.open();
        QPlainTextEdit pane;
        develop::DataAwareMemo memo(&pane, &ds);
        memo.bind(ds.fieldIndex(QString::fromLatin1(c.column)));
        EXPECT_EQ(memo.writable(), c.writable);
        EXPECT_EQ(pane.isReadOnly(), !c.writable);
        EXPECT_FALSE(pane.toPlainText().isEmpty());
        pane.moveCursor(QTextCursor::End);
        pane.insertPlainText(QStringLiteral("!"));
        EXPECT_EQ(ds.state(), c.writable ? db::DataSet::State::Edit : db::DataSet::State::Browse);
    }

    // The pane shows the lines; the field keeps the CR LF it had between them.
    db::DataSet ds(session.get());
    ds.setSql(live);
    ds.setCachedUpdates(true);
    ds.open();
    QPlainTextEdit pane;
    develop::DataAwareMemo memo(&pane, &ds);
    memo.bind(ds.fieldIndex(QStringLiteral("NOTE")));
    EXPECT_EQ(pane.toPlainText(), QStringLiteral("first\nsecond"));
    pane.moveCursor(QTextCursor::End);
    pane.insertPlainText(QStringLiteral(" line"));
    EXPECT_EQ(ds.fieldValue(QStringLiteral("NOTE")).toString(), QStringLiteral("first\r\nsecond line"));
    ds.cancel();
    EXPECT_EQ(pane.toPlainText(), QStringLiteral("first\nsecond")) << "a cancelled edit shows the field again";
    ds.close();
    EXPECT_EQ(memo.column(), -1) << "a closed data set unbinds the pane";
    EXPECT_TRUE(pane.isReadOnly());
}

// The worksheet window as a new user meets it: it opens on its data page with its hint, a second one has a caption
// and a place of its own, the window's keys work on every page, entering the table box lists the tables, and the
// large-rollback-segment item switches through the main window and shows its state.
#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "db/query.h"
#include "shell/themedgrid.h"
#include "wstools_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using testsupport::waitFor;
using wstest::answer;
using wstest::WhenShown;

namespace {

class WorksheetWindowUse : public wstest::WorksheetOnDemo {
protected:
    QWidget* page() const { return sheet->pcResp->currentWidget(); }
    QString firstCell() const { return sheet->dbgSelect->dataModel()->index(0, 0).data().toString(); }
    void activate(QWidget* w)
    {
        w->activateWindow();
        ASSERT_TRUE(waitFor([w] { return w->isActiveWindow(); }));
    }
};

} // namespace

TEST_F(WorksheetWindowUse, OpensOnItsDataPageWithItsHint)
{
    EXPECT_EQ(page(), sheet->TabRespGrid);
    EXPECT_EQ(sheet->toolTip(), QStringLiteral("WorkSheet  (VOXA@DEMO)"));
}

TEST_F(WorksheetWindowUse, ASecondWorksheetHasACaptionAndAPlaceOfItsOwn)
{
    sheet->move(100, 80);
    QPointer<TfmWorkSheet> second = develop::openWorkSheet(*main);
    EXPECT_EQ(second->windowTitle(), QStringLiteral("WorkSheet 2  (VOXA@DEMO)"));
    EXPECT_NE(second->windowTitle(), sheet->windowTitle());
    EXPECT_NE(second->pos(), sheet->pos());
    EXPECT_EQ(second->pos(),
        develop::cascadedPosition(
            sheet->frameGeometry(), second->frameGeometry().size(), sheet->screen()->availableGeometry()));
}

TEST(WorksheetPlacement, CascadesAndStartsAgainAtTheScreensEdge)
{
    const QRect screen(0, 0, 1280, 800);
    EXPECT_EQ(develop::cascadedPosition(QRect(100, 80, 700, 550), QSize(700, 550), screen), QPoint(130, 110));
    EXPECT_EQ(develop::cascadedPosition(QRect(560, 240, 700, 550), QSize(700, 550), screen), QPoint(30, 30));
}

// F9 and Ctrl + Enter run the editor's statement from any page, whatever control has the focus; keys typed in
// another window are that window's.
TEST_F(WorksheetWindowUse, TheWindowsKeysWorkOnEveryPage)
{
    activate(sheet);
    sheet->meWork->setText(QStringLiteral("select 'page' from dual"));
    sheet->miPrepareSelect->trigger();
    ASSERT_EQ(page(), sheet->tabTabela);
    sheet->edFilterTabela->setFocus();
    QTest::keyClick(sheet->edFilterTabela, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return !sheet->running() && sheet->quDynWork->active(); }));
    EXPECT_EQ(firstCell(), QStringLiteral("page"));
    EXPECT_EQ(sheet->edFilterTabela->text(), QStringLiteral("%")) << "the key went to the window, not the field";

    sheet->refreshHistoryList();
    ASSERT_EQ(page(), sheet->tabHist);
    sheet->dbgHist->setFocus();
    sheet->meWork->setText(QStringLiteral("select 'history' from dual"));
    QTest::keyClick(sheet->dbgHist, Qt::Key_F9);
    ASSERT_TRUE(waitFor([&] { return !sheet->running() && firstCell() == QLatin1String("history"); }));

    QLineEdit elsewhere;
    elsewhere.show();
    sheet->meWork->setText(QStringLiteral("select 'not mine' from dual"));
    QTest::keyClick(&elsewhere, Qt::Key_F9);
    EXPECT_FALSE(sheet->running());
    EXPECT_EQ(firstCell(), QStringLiteral("history"));
}

// Entering the table box lists the tables of the owner and filter: no button to press first.
TEST_F(WorksheetWindowUse, EnteringTheTableBoxListsTheTables)
{
    activate(sheet);
    sheet->miPrepareSelect->trigger();
    sheet->edUserTabela->setText(QStringLiteral("VOXA"));
    sheet->edFilterTabela->setText(QStringLiteral("CUST"));
    ASSERT_EQ(sheet->cbTabela->count(), 0);
    sheet->cbTabela->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(sheet->cbTabela->findText(QStringLiteral("CUSTOMERS")), 0) << sheet->cbTabela->count();
    EXPECT_EQ(sheet->cbTabela->findText(QStringLiteral("ORDERS")), -1) << "the filter holds";
    EXPECT_EQ(sheet->findChild<QWidget*>(QStringLiteral("btListTables")), nullptr);
}

// The item calls the main window's switch, which runs the application's procedures, and shows the main window's
// state; it copies that state again each time the worksheet is activated.
TEST_F(WorksheetWindowUse, LargeRollbackSegmentItemSwitchesThroughTheMainWindow)
{
    for (const char* statement : { "create table VOXA.RB_SWITCHES (seg varchar2(30), state varchar2(10))",
             "grant insert on VOXA.RB_SWITCHES to VEXO_UTIL",
             "create or replace package VOXA.PCKLogParam is\n  function CanUseLargeRB return varchar2;\nend;",
             "create or replace package body VOXA.PCKLogParam is\n  function CanUseLargeRB return varchar2 is\n"
             "  begin\n    return 'D';\n  end;\nend;",
             "create or replace procedure VEXO_UTIL.activateLARGERB(pSegment in varchar2, pState in varchar2) is\n"
             "begin\n  insert into VOXA.RB_SWITCHES values (pSegment, pState);\nend;" }) {
        SCOPED_TRACE(statement);
        db::Query q(session.get());
        q.setSql(QString::fromLatin1(statement));
        ASSERT_NO_THROW(q.execute());
    }
    main->currLargeRBName = QStringLiteral("RBBIG");
    QString said;
    {
        WhenShown ok({}, answer(shell::mrOk, &said));
        sheet->miLargeRB->trigger();
        EXPECT_EQ(ok.shown, 1);
    }
    EXPECT_TRUE(said.contains(QStringLiteral("RBBIG :ONLINE"))) << said.toStdString();
    EXPECT_TRUE(main->menuItem(QStringLiteral("mmActivateLargeRB"))->isChecked());
    EXPECT_TRUE(sheet->miLargeRB->isChecked());
    EXPECT_EQ(column(*main->osOracle, QStringLiteral("select seg || ' ' || state from VOXA.RB_SWITCHES")),
        QStringList { QStringLiteral("RBBIG ONLINE") });

    // Switched off from the main window while another window is in front: the worksheet shows it when it comes to
    // the front again.
    QWidget other;
    other.show();
    activate(&other);
    {
        WhenShown ok({}, answer(shell::mrOk));
        main->menuItem(QStringLiteral("mmActivateLargeRB"))->trigger();
        EXPECT_EQ(ok.shown, 1);
    }
    EXPECT_FALSE(main->menuItem(QStringLiteral("mmActivateLargeRB"))->isChecked());
    EXPECT_TRUE(sheet->miLargeRB->isChecked());
    activate(sheet);
    EXPECT_FALSE(sheet->miLargeRB->isChecked());
}

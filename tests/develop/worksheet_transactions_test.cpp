// What happens to uncommitted work when a window or the program ends a session: a DML statement that changed no
// row leaves nothing to keep, the end of the program and a disconnect of the main session ask about the work of
// every window (the worksheets' own sessions too, unless the run is unattended), and DDL on the main session asks
// before it ends another window's work.
#include "db/query.h"
#include "db/session.h"
#include "shell/connect.h"
#include "wstools_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using testsupport::waitFor;
using wstest::answer;
using wstest::WhenShown;

namespace {

class WorksheetTransactions : public wstest::WorksheetOnDemo {
protected:
    // A second worksheet logged on its own session as the user given.
    QPointer<TfmWorkSheet> ownSessionSheet(const QString& user)
    {
        QPointer<TfmWorkSheet> ws = develop::openWorkSheet(*main);
        WhenShown logon(QStringLiteral("fmConnect"), [user](QWidget* w) {
            w->findChild<QLineEdit*>(QStringLiteral("edUser"))->setText(user);
            w->findChild<QLineEdit*>(QStringLiteral("edPassword"))->setText(user);
            w->findChild<QComboBox*>(QStringLiteral("cbDatabases"))->setCurrentText(QStringLiteral("DEMO"));
            w->findChild<QPushButton*>(QStringLiteral("btConnect"))->click();
        });
        ws->miConnect->trigger();
        EXPECT_EQ(logon.shown, 1);
        EXPECT_EQ(ws->currDataBase, ws->tmpDataBase);
        return ws;
    }
    QString city(int customer)
    {
        return committed(QStringLiteral("select city from voxa.customers where customer_id = %1").arg(customer))
            .toString();
    }
    int closedSignals = 0;
    void countCloses()
    {
        QObject::connect(main.get(), &TfmMain::closed, [this] { ++closedSignals; });
    }
};

} // namespace

// Oracle opens no transaction for a DML statement that changed no row: there is nothing to commit, so the buttons
// stay off and closing asks nothing. A later change, or one before, is work again.
TEST_F(WorksheetTransactions, DmlThatChangedNoRowLeavesNothingToCommit)
{
    runIn(sheet, QStringLiteral("update voxa.customers set city = 'Bled' where customer_id < 0"));
    EXPECT_TRUE(sheet->meRespSQL->toPlainText().contains(QStringLiteral("0 rows processed")));
    EXPECT_FALSE(sheet->btCommit->isEnabled());
    EXPECT_FALSE(sheet->holdsOpenWork());
    EXPECT_FALSE(sheet->jeVTransakciji(QStringLiteral("DEMO")));
    runIn(sheet, QStringLiteral("delete from voxa.customers where customer_id < 0"));
    EXPECT_FALSE(sheet->btCommit->isEnabled()) << "a second empty statement adds nothing either";

    runIn(sheet, QStringLiteral("update voxa.customers set city = 'Bled' where customer_id = 1"));
    EXPECT_TRUE(sheet->btCommit->isEnabled());
    runIn(sheet, QStringLiteral("update voxa.customers set city = 'Bled' where customer_id < 0"));
    EXPECT_TRUE(sheet->btCommit->isEnabled()) << "the change before is still there to commit";
    sheet->btRollback->click();
    EXPECT_FALSE(sheet->btCommit->isEnabled());

    runIn(
        sheet, QStringLiteral("insert into voxa.customers (customer_id, name) select 990, 'x' from dual where 1 = 0"));
    WhenShown question({}, answer(shell::mrCancel));
    sheet->close();
    ASSERT_TRUE(waitFor([&] { return sheet.isNull(); }));
    EXPECT_EQ(question.shown, 0) << "nothing to save, nothing asked";
}

// A worksheet that logs its own session on while another window holds work on the main session is not asked about
// that work (it is not its own to commit or drop): the helper above answers only the logon dialog.

// Ending the program with uncommitted work in the worksheets, on the main session and on a worksheet's own: one
// question lists it all; Cancel keeps the program and the work, Yes commits everything before the end.
TEST_F(WorksheetTransactions, ExitAsksAndCommitsTheWorkOfEveryWindow)
{
    countCloses();
    runIn(sheet, QStringLiteral("update voxa.customers set city = 'Bled' where customer_id = 1"));
    QPointer<TfmWorkSheet> bildor = ownSessionSheet(QStringLiteral("BILDOR"));
    {
        // BILDOR may read neither the session counters nor the compile errors: each is said once.
        WhenShown ok({}, answer(shell::mrOk), true);
        runIn(bildor, QStringLiteral("create table ws_exit (a number)"));
        runIn(bildor, QStringLiteral("insert into ws_exit values (7)"));
    }
    ASSERT_TRUE(bildor->btCommit->isEnabled());

    QString said;
    {
        WhenShown cancel({}, answer(shell::mrCancel, &said));
        main->menuItem(QStringLiteral("mmExit"))->trigger();
        ASSERT_TRUE(waitFor([&] { return cancel.shown == 1; }));
    }
    EXPECT_TRUE(said.contains(QStringLiteral("WorkSheet  (VOXA@DEMO): changes not yet committed")))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("WorkSheet 2  (BILDOR@DEMO): changes not yet committed")))
        << said.toStdString();
    EXPECT_EQ(closedSignals, 0);
    EXPECT_TRUE(main->osOracle->inTransaction()) << "Cancel keeps the work";
    EXPECT_TRUE(sheet->btCommit->isEnabled());

    {
        WhenShown yes({}, answer(shell::mrYes));
        main->menuItem(QStringLiteral("mmExit"))->trigger();
        ASSERT_TRUE(waitFor([&] { return yes.shown == 1; }));
    }
    EXPECT_EQ(closedSignals, 1);
    EXPECT_EQ(city(1), QStringLiteral("Bled"));
    EXPECT_FALSE(bildor->btCommit->isEnabled());
    auto other = logOn(engine::kit::kBildor);
    EXPECT_EQ(column(*other, QStringLiteral("select a from ws_exit")), QStringList { QStringLiteral("7") });
}

TEST_F(WorksheetTransactions, ExitRollsBackOnNoAndAnUnattendedRunIsNeverAsked)
{
    countCloses();
    runIn(sheet, QStringLiteral("update voxa.customers set city = 'Bled' where customer_id = 1"));
    {
        WhenShown no({}, answer(shell::mrNo));
        main->close();
        ASSERT_TRUE(waitFor([&] { return no.shown == 1; }));
    }
    EXPECT_EQ(closedSignals, 1);
    EXPECT_FALSE(main->osOracle->inTransaction());
    EXPECT_FALSE(sheet->btCommit->isEnabled());

    runIn(sheet, QStringLiteral("update voxa.customers set city = 'Bled' where customer_id = 2"));
    main->declRunParam = true; // a command run is at work: nobody is there to answer
    WhenShown question({}, answer(shell::mrCancel));
    main->close();
    EXPECT_EQ(closedSignals, 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(question.shown, 0);
}

// Disconnect logs the main session off, which rolls back: the windows' work there is settled first.
TEST_F(WorksheetTransactions, DisconnectAsksAboutTheMainSessionsWork)
{
    shell::installConnectionSequence(*main);
    runIn(sheet, QStringLiteral("update voxa.customers set city = 'Bled' where customer_id = 3"));
    QString said;
    {
        WhenShown cancel({}, answer(shell::mrCancel, &said));
        main->menuItem(QStringLiteral("mmDisconnect"))->trigger();
        EXPECT_EQ(cancel.shown, 1);
    }
    EXPECT_TRUE(said.contains(QStringLiteral("logged off"))) << said.toStdString();
    EXPECT_TRUE(main->osOracle->connected());
    {
        WhenShown yes({}, answer(shell::mrYes));
        main->menuItem(QStringLiteral("mmDisconnect"))->trigger();
        EXPECT_EQ(yes.shown, 1);
    }
    EXPECT_FALSE(main->osOracle->connected());
    EXPECT_EQ(city(3), QStringLiteral("Bled"));
    EXPECT_FALSE(main->windowTitle().contains(QLatin1Char('@'))) << "the caption names no logon after Disconnect";
}

// DDL commits the main session's transaction, with the work another worksheet holds there: asked first, and No
// runs nothing.
TEST_F(WorksheetTransactions, DdlOnTheMainSessionAsksBeforeItEndsAnotherWindowsWork)
{
    runIn(sheet, QStringLiteral("update voxa.customers set city = 'Bled' where customer_id = 4"));
    QPointer<TfmWorkSheet> second = develop::openWorkSheet(*main);
    QString said;
    {
        WhenShown no({}, answer(shell::mrNo, &said));
        runIn(second, QStringLiteral("create table ws_ddl (a number)"));
        EXPECT_EQ(no.shown, 1);
    }
    EXPECT_TRUE(said.contains(QStringLiteral("WorkSheet  (VOXA@DEMO): changes not yet committed")))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("CREATE"))) << said.toStdString();
    EXPECT_TRUE(committed(QStringLiteral("select count(*) from all_tables where table_name = 'WS_DDL'")).toInt() == 0);
    EXPECT_TRUE(sheet->btCommit->isEnabled()) << "the other window's work is still its own";
    // A statement that ends nothing runs without a question.
    WhenShown none({}, answer(shell::mrNo));
    runIn(second, QStringLiteral("select 1 from dual"));
    EXPECT_EQ(none.shown, 0);
}

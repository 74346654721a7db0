// The disabled references and triggers windows, the validation window (also as the unattended table check starts
// it) and the repair window, on the demo database with its disabled foreign key, its disabled trigger and the table
// damaged on disk.
#include "admin/napRef.h"
#include "admin/napTrigg.h"
#include "admin/repair.h"
#include "admin/valiStru.h"
#include "db/dataset.h"
#include "shell/themedgrid.h"
#include "windows_fixture.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using testsupport::waitFor;

class AdminWindows : public admintest::WindowTest { };

TEST_F(AdminWindows, DisabledForeignKeyWithOrphansIsEnabledOnceTheyAreGone)
{
    admintest::Dialogs answers(shell::mrOk);
    auto* w = new TfmDisRef(*main, main.get());
    // The owner box holds the connected user; the demo's disabled key is listed with its columns and orphan query.
    EXPECT_EQ(w->edUser->text(), QStringLiteral("VOXA"));
    ASSERT_TRUE(w->quConsNap->active());
    ASSERT_EQ(w->quConsNap->recordCount(), 1);
    EXPECT_EQ(w->currentKey().name, QStringLiteral("INVOICES_ORDERS_FK"));
    EXPECT_EQ(w->laTabela->text(), QStringLiteral("VOXA.INVOICES"));
    EXPECT_EQ(w->laKolone->text(), QStringLiteral("ORDER_ID "));
    EXPECT_FALSE(w->dbgNapake->isVisible());
    w->btNapake->click();
    ASSERT_TRUE(w->quNapake->active());
    w->quNapake->fetchAll();
    EXPECT_EQ(w->quNapake->recordCount(), 3);
    // Enabling is refused while the orphans are there; the key stays in the list.
    w->btEnable->click();
    ASSERT_TRUE(waitFor([&] { return !answers.texts.isEmpty(); }, 5000));
    EXPECT_TRUE(answers.texts.last().contains(QStringLiteral("ORA-02298"))) << answers.all().toStdString();
    EXPECT_EQ(w->quConsNap->recordCount(), 1);
    run(QStringLiteral("delete from voxa.invoices where invoice_no like 'IMP-%'"));
    session->commit();
    w->btEnable->click();
    EXPECT_EQ(w->quConsNap->recordCount(), 0);
    EXPECT_EQ(
        committed(QStringLiteral("select status from all_constraints where constraint_name='INVOICES_ORDERS_FK'")),
        QStringList { "ENABLED" });
    // An empty owner box lists every owner's disabled keys.
    run(QStringLiteral("create table bildor.par2 (id number primary key)"));
    run(QStringLiteral("create table bildor.lone (id number, o number, constraint lone_fk foreign key (o) references "
                       "bildor.par2 (id) disable)"));
    w->edUser->clear();
    w->btRefrNap->click();
    ASSERT_EQ(w->quConsNap->recordCount(), 1);
    EXPECT_EQ(w->currentKey().owner, QStringLiteral("BILDOR"));
    EXPECT_TRUE(w->orphanQueryText().contains(QStringLiteral("\"BILDOR\".\"LONE\"")));
}

TEST_F(AdminWindows, DisabledTriggerIsFoundAndEnabled)
{
    auto* w = new TfmDisTrigg(*main, main.get());
    w->show();
    w->btRefreshClick();
    ASSERT_TRUE(w->quTrigg->active());
    w->quTrigg->fetchAll();
    ASSERT_EQ(w->quTrigg->recordCount(), 1);
    EXPECT_EQ(w->quTrigg->fieldValue(QStringLiteral("TRIGGER_NAME")).toString(), QStringLiteral("AUDIT_ITEMS"));
    // Esc closes the window and alters nothing.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w, &esc);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(committed(QStringLiteral("select status from all_triggers where trigger_name='AUDIT_ITEMS'")),
        QStringList { "DISABLED" });
    w->show();
    w->btEnable->click();
    EXPECT_EQ(committed(QStringLiteral("select status from all_triggers where trigger_name='AUDIT_ITEMS'")),
        QStringList { "ENABLED" });
    // With "All" and the enabled ones listed, Disable switches every listed trigger off; the list is then empty.
    w->rbEnabled->setChecked(true);
    w->quTrigg->fetchAll();
    const int enabled = w->quTrigg->recordCount();
    ASSERT_GT(enabled, 1);
    w->cbAll->setChecked(true);
    w->btDisable->click();
    EXPECT_EQ(w->quTrigg->recordCount(), 0);
    EXPECT_EQ(committed(QStringLiteral("select count(*) from all_triggers where owner='VOXA' and status='DISABLED'")),
        QStringList { QString::number(enabled) });
}

TEST_F(AdminWindows, ValidationOfAHealthyAndOfADamagedTable)
{
    admintest::Dialogs answers(shell::mrOk);
    QPointer<TfmValiStru> w = new TfmValiStru(*main, main.get());
    w->show();
    EXPECT_EQ(w->edUser->text(), QStringLiteral("VOXA"));
    w->edTabFilter->setText(QStringLiteral("ORDERS"));
    w->btRefreshClick();
    ASSERT_EQ(w->quTables->recordCount(), 1);
    w->cbCascade->setChecked(true);
    w->btAnalAllClick();
    EXPECT_TRUE(w->lastReport().ok());
    EXPECT_EQ(w->lastReport().validated, 1);
    ASSERT_TRUE(waitFor([&] { return !answers.texts.isEmpty(); }, 5000));
    EXPECT_TRUE(answers.texts.last().contains(QStringLiteral("END OF ANALYZING TABLES")));

    w->edTabFilter->setText(QStringLiteral("REPAIR"));
    w->btRefreshClick();
    w->btAnalClick();
    EXPECT_EQ(w->lastReport().damaged, QStringList { "REPAIR_T" });
    EXPECT_TRUE(w->meReport->isVisible());
    EXPECT_TRUE(w->meReport->toPlainText().contains(QStringLiteral("ORA-01498")));
    delete w.data();
}

TEST_F(AdminWindows, UnattendedTableCheckRunsFromItsStartTimerAndCloses)
{
    QPointer<TfmValiStru> w = new TfmValiStru(*main, main.get());
    QSignalSpy finished(w.data(), &TfmValiStru::checkFinished);
    w->show();
    // CHECK_TABLES NULL NULL CASCADE: the current owner, no filter, with CASCADE.
    w->startUnattended(QStringLiteral("NULL"), QStringLiteral("NULL"), QStringLiteral("CASCADE"));
    EXPECT_TRUE(w->pAuto);
    EXPECT_TRUE(w->cbCascade->isChecked());
    EXPECT_TRUE(w->tiStart->isActive());
    ASSERT_TRUE(waitFor([&] { return w.isNull(); }, 60000));
    ASSERT_EQ(finished.count(), 1);
    EXPECT_FALSE(finished.at(0).at(0).toBool()); // the damaged table makes the check fail

    QPointer<TfmValiStru> healthy = new TfmValiStru(*main, main.get());
    QSignalSpy ok(healthy.data(), &TfmValiStru::checkFinished);
    healthy->startUnattended(QStringLiteral("voxa"), QStringLiteral("CUST"), QString());
    ASSERT_TRUE(waitFor([&] { return healthy.isNull(); }, 30000));
    ASSERT_EQ(ok.count(), 1);
    EXPECT_TRUE(ok.at(0).at(0).toBool());
}

TEST_F(AdminWindows, ClosingDuringAnalyzeAllStopsTheRunFirst)
{
    QPointer<TfmValiStru> w = new TfmValiStru(*main, main.get());
    w->show();
    w->btRefreshClick();
    ASSERT_GT(w->quTables->recordCount(), 3);
    // The close comes while the first table is being validated.
    QTimer::singleShot(0, w.data(), [&] { w->close(); });
    w->btAnalAllClick();
    ASSERT_TRUE(waitFor([&] { return w.isNull(); }, 10000));
}

TEST_F(AdminWindows, RepairFindsTheFirstBadRowAndCopiesTheRest)
{
    admintest::Dialogs answers(shell::mrOk);
    auto* w = new TfmRepairTable(*main, main.get());
    w->show();
    // Not SYS: the DBMS_REPAIR page's buttons are off.
    EXPECT_FALSE(w->btFIndErrorRepair->isEnabled());
    EXPECT_EQ(w->edUser->text(), QStringLiteral("VOXA"));
    w->edTabela->setText(QStringLiteral("REPAIR_T"));
    w->btOsveziClick();
    EXPECT_TRUE(w->pcMethods->isVisible());
    EXPECT_EQ(w->laCount->text(), QStringLiteral("10"));
    EXPECT_EQ(w->edUseIndex->text(), QStringLiteral("REPAIR_T_PK"));
    EXPECT_EQ(w->edIndexFields->text(), QStringLiteral("ID"));
    EXPECT_FALSE(w->btCreateNew->isEnabled());
    w->btFindErrorClick();
    EXPECT_EQ(w->p_napaka, 7);
    EXPECT_EQ(w->edRownum->text(), QStringLiteral("7"));
    EXPECT_TRUE(w->btCreateNew->isEnabled());
    w->edNewTable->setText(QStringLiteral("REPAIR_SAVED"));
    w->btCreateNewClick();
    EXPECT_EQ(committed(QStringLiteral("select count(*) from voxa.repair_saved")), QStringList { "6" });
    w->btAddRecClick();
    EXPECT_EQ(committed(QStringLiteral("select id from voxa.repair_saved where id > 6")), QStringList { "10" });
    ASSERT_GE(answers.texts.size(), 2);
    EXPECT_TRUE(answers.texts.last().contains(QStringLiteral("1"))) << answers.all().toStdString();
    EXPECT_TRUE(answers.texts.last().contains(QStringLiteral("3")));
    // The main session was never in the damaged table's way.
    EXPECT_FALSE(main->osOracle->inTransaction());
    // A table that is not there is said to be missing, and the methods stay hidden.
    w->edTabela->setText(QStringLiteral("NO_SUCH_TABLE"));
    w->btOsveziClick();
    EXPECT_FALSE(w->pcMethods->isVisible());
    EXPECT_TRUE(answers.texts.last().startsWith(w->nizNotExists)) << answers.all().toStdString();
}

TEST_F(AdminWindows, RepairPageAsSysListsTheDamagedBlockWithoutChangingIt)
{
    admintest::Dialogs answers(shell::mrOk);
    main->osOracle->logOff();
    main->osOracle->setUserName(QStringLiteral("SYS"));
    main->osOracle->setPassword(QStringLiteral("CHANGE_ON_INSTALL"));
    main->osOracle->logOn();
    main->connUser = QStringLiteral("SYS");
    auto* w = new TfmRepairTable(*main, main.get());
    EXPECT_TRUE(w->btFIndErrorRepair->isEnabled());
    w->edUser->setText(QStringLiteral("VOXA"));
    w->edTabela->setText(QStringLiteral("REPAIR_T"));
    w->btFIndErrorRepairClick();
    EXPECT_EQ(w->laNapaka->text(), QStringLiteral("1"));
    EXPECT_EQ(committed(QStringLiteral("select marked_corrupt from sys.repair_table")), QStringList { "FALSE" });
    w->btFixClick();
    EXPECT_EQ(w->laRepaired->text(), QStringLiteral("1"));
    // Skipping the marked blocks cannot be done here; the window says so.
    ASSERT_TRUE(waitFor([&] { return !answers.texts.isEmpty(); }, 5000));
    EXPECT_TRUE(answers.texts.last().contains(QStringLiteral("ORA-03001"))) << answers.all().toStdString();
}

} // namespace

// The table-structure window on the demo database and through VOXA's database link: the table list, the structure
// tabs, the trees, favourites, the drop and enable actions, data edits committed, and a constraint script prepared,
// run and undone from its file.
#include "admin/constraintscript.h"
#include "admin/tabStru.h"
#include "db/dataset.h"
#include "shell/themedgrid.h"
#include "windows_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using testsupport::waitFor;

class TableStructureWindow : public admintest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window = admin::openTableStru(*main);
    }
    void TearDown() override
    {
        delete window.data();
        WindowTest::TearDown();
    }
    // Lists the tables of the owner box that begin with the pattern and makes the first one current.
    void list(const QString& pattern)
    {
        window->edTabela->setText(pattern);
        window->btStru->click();
        ASSERT_TRUE(window->quTables->active());
    }
    void page(QWidget* p) { window->pcTable->setCurrentWidget(p); }
    QStringList column(QTableWidget* g, int c) const
    {
        QStringList out;
        for (int r = 0; r < g->rowCount(); ++r)
            out << (g->item(r, c) ? g->item(r, c)->text() : QString());
        return out;
    }
    QPointer<TfmTableStru> window;
};

TEST_F(TableStructureWindow, OpenedByItsMenuEntryAndToolButton)
{
    main->enableConnectedActions(true);
    main->refreshMenuStates();
    for (const char* item :
        { "mmTabStru", "mmConstraints", "mmSearchfordisabledtriggers", "mmChecktables", "mmRepairtables" })
        EXPECT_TRUE(main->menuItem(QString::fromLatin1(item))->isEnabled()) << item;
    EXPECT_TRUE(window->objectName().startsWith(QStringLiteral("fmTableStru")));
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral("  (VOXA@DEMO)")));
    EXPECT_EQ(window->cbUser->currentText(), QStringLiteral("VOXA"));
    EXPECT_EQ(window->cbUser->itemText(0), QStringLiteral("VOXA"));
    EXPECT_TRUE(window->p_viewAll); // the demo has the view search function
}

TEST_F(TableStructureWindow, TablesTabsAndTrees)
{
    list(QStringLiteral("ITEMS"));
    EXPECT_EQ(window->currTableName, QStringLiteral("ITEMS"));
    EXPECT_EQ(window->laCurrTable->text(), QStringLiteral("VOXA.ITEMS"));
    page(window->tabColumns);
    EXPECT_EQ(window->sgColumns->rowCount(), 6);
    EXPECT_EQ(window->sgColumns->item(0, 1)->text(), QStringLiteral("ORDER_ID"));
    page(window->tabIndexes);
    EXPECT_EQ(column(window->sgIndex, 0), (QStringList { "ITEMS_PK", "ITEMS_PRODUCT_I" }));
    page(window->tabConstraints);
    EXPECT_TRUE(column(window->sgConstraint, 0).contains(QStringLiteral("ITEMS_ORDERS_FK")));
    page(window->tabTriggers);
    ASSERT_TRUE(window->quTrigg->active());
    EXPECT_GE(window->quTrigg->recordCount(), 1); // the audit trigger AUDIT_ITEMS
    page(window->tabReferences);
    EXPECT_EQ(window->tvReferences->topLevelItemCount(), 2);
    page(window->tabViews);
    ASSERT_TRUE(window->quViews->active());
    page(window->tabDependencies);
    EXPECT_EQ(window->tvDependencies->topLevelItemCount(), 1);
    EXPECT_EQ(window->tvDependencies->topLevelItem(0)->childCount(), 0);

    // Another table: the caches follow owner and table.
    list(QStringLiteral("ORDERS"));
    EXPECT_EQ(window->currTableName, QStringLiteral("ORDERS"));
    page(window->tabDependencies);
    ASSERT_EQ(window->tvDependencies->topLevelItemCount(), 1);
    EXPECT_EQ(window->tvDependencies->topLevelItem(0)->childCount(), 2);
    // Column marks toggle with a click on the first column, and whole names only match.
    page(window->tabColumns);
    window->toggleMark(1);
    EXPECT_EQ(window->sgColumns->item(1, 0)->text(), QStringLiteral("+"));
    window->toggleMark(1);
    EXPECT_EQ(window->sgColumns->item(1, 0)->text(), QStringLiteral(" "));
}

TEST_F(TableStructureWindow, FavouritesAreSavedAndReadBack)
{
    list(QStringLiteral("CUSTOMERS"));
    window->spInsert->click();
    ASSERT_EQ(window->tvSelected->topLevelItemCount(), 1);
    QTreeWidgetItem* entry = window->tvSelected->topLevelItem(0);
    EXPECT_EQ(entry->text(0), QStringLiteral("CUSTOMERS.VOXA"));
    window->tvSelected->setCurrentItem(entry);
    window->tvSelectedClick(entry);
    page(window->tabColumns);
    window->toggleMark(1); // NAME
    window->storeColumnMarks();
    EXPECT_EQ(entry->child(0)->text(0), QStringLiteral("NAME"));
    window->edFilter->setText(QStringLiteral("where city = 'Koper'"));
    page(window->tabData);
    window->btWhereClick();
    EXPECT_EQ(entry->child(1)->text(0), QStringLiteral("WHERE CITY = 'Koper'"));
    ASSERT_TRUE(window->quData->active());
    EXPECT_EQ(window->quData->fieldName(0), QStringLiteral("NAME"));
    // A second entry, then the first deleted through its child line: the other stays whole.
    list(QStringLiteral("ORDERS"));
    window->spInsert->click();
    window->tvSelected->setCurrentItem(window->tvSelected->topLevelItem(0)->child(1));
    window->spDelete->click();
    ASSERT_EQ(window->tvSelected->topLevelItemCount(), 1);
    EXPECT_TRUE(window->SaveSelection());

    auto* second = admin::openTableStru(*main);
    ASSERT_EQ(second->tvSelected->topLevelItemCount(), 1);
    EXPECT_EQ(second->tvSelected->topLevelItem(0)->text(0), QStringLiteral("ORDERS.VOXA"));
    EXPECT_EQ(second->tvSelected->topLevelItem(0)->childCount(), 2);
    delete second;
}

TEST_F(TableStructureWindow, DropAndEnableActionsActOnTheRowsOwner)
{
    admintest::Dialogs answers(shell::mrOk);
    list(QStringLiteral("ORDERS"));
    page(window->tabIndexes);
    const int row = int(column(window->sgIndex, 0).indexOf(QStringLiteral("ORDERS_DATE_I")));
    ASSERT_GE(row, 0);
    window->sgIndex->setCurrentCell(row, 0);
    window->dropIndex();
    EXPECT_FALSE(column(window->sgIndex, 0).contains(QStringLiteral("ORDERS_DATE_I")));
    EXPECT_TRUE(
        committed(QStringLiteral("select index_name from all_indexes where index_name='ORDERS_DATE_I'")).isEmpty());

    page(window->tabConstraints);
    const int ck = int(column(window->sgConstraint, 0).indexOf(QStringLiteral("ORDERS_STATUS_CK")));
    ASSERT_GE(ck, 0);
    window->sgConstraint->setCurrentCell(ck, 0);
    window->enableDisableConstraint();
    EXPECT_EQ(window->sgConstraint->item(ck, 3)->text(), QStringLiteral("DISABLED"));
    EXPECT_EQ(committed(QStringLiteral("select status from all_constraints where constraint_name='ORDERS_STATUS_CK'")),
        QStringList { "DISABLED" });
    window->enableDisableConstraint();
    EXPECT_EQ(committed(QStringLiteral("select status from all_constraints where constraint_name='ORDERS_STATUS_CK'")),
        QStringList { "ENABLED" });

    // A failing action shows the server's message and changes nothing.
    window->sgConstraint->setCurrentCell(ck, 0);
    run(QStringLiteral("alter table voxa.orders drop constraint orders_status_ck"));
    const int before = int(answers.texts.size());
    window->dropConstraint();
    ASSERT_TRUE(waitFor([&] { return answers.texts.size() > before; }, 5000));
    EXPECT_TRUE(answers.texts.last().contains(QStringLiteral("ORA-02443"))) << answers.all().toStdString();
}

TEST_F(TableStructureWindow, DataEditsAreCommittedOnTheMainSession)
{
    list(QStringLiteral("CUSTOMERS"));
    page(window->tabData);
    ASSERT_TRUE(window->quData->active());
    EXPECT_TRUE(window->quData->sql().startsWith(QStringLiteral("SELECT XX.*,ROWID FROM \"VOXA\".\"CUSTOMERS\" XX")));
    window->quData->first();
    const QString id = window->quData->fieldValue(QStringLiteral("CUSTOMER_ID")).toString();
    window->quData->edit();
    window->quData->setFieldValue(QStringLiteral("NAME"), QStringLiteral("Edited in the data page"));
    window->quData->post();
    EXPECT_TRUE(window->hasPendingData());
    EXPECT_TRUE(window->btCommit->isEnabled());
    window->btCommit->click();
    EXPECT_FALSE(window->hasPendingData());
    EXPECT_EQ(committed(QStringLiteral("select name from voxa.customers where customer_id = ") + id),
        QStringList { "Edited in the data page" });
}

TEST_F(TableStructureWindow, ConstraintScriptPreparedRunAndUndoneFromItsFile)
{
    admintest::Dialogs answers(shell::mrOk);
    list(QStringLiteral("ORDERS"));
    page(window->tabEnableDisable);
    ASSERT_TRUE(window->btPrepare->isEnabled());
    window->btPrepare->click();
    EXPECT_TRUE(window->meBrisi->toPlainText().contains(QStringLiteral("disable constraint \"ITEMS_ORDERS_FK\"")));
    const QString file = admin::undoFileName(tmp.path(), QStringLiteral("VOXA"), QStringLiteral("ORDERS"));
    EXPECT_EQ(window->undoFile, file);
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_TRUE(window->btDisable->isEnabled());
    window->btDisable->click();
    EXPECT_EQ(committed(QStringLiteral("select status from all_constraints where constraint_name='ITEMS_ORDERS_FK'")),
        QStringList { "DISABLED" });
    EXPECT_TRUE(window->btEnable->isEnabled());
    EXPECT_FALSE(window->btPrepare->isEnabled());
    // Undone from the file the script was saved to before anything was disabled.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    window->meNazaj->setPlainText(QString::fromUtf8(f.readAll()));
    window->btEnable->click();
    EXPECT_EQ(committed(QStringLiteral("select status from all_constraints where constraint_name='ITEMS_ORDERS_FK'")),
        QStringList { "ENABLED" });
    EXPECT_TRUE(answers.all().contains(window->nizSucc)) << answers.all().toStdString();
}

TEST_F(TableStructureWindow, ThroughTheDatabaseLink)
{
    window->cbDBLink->setCurrentText(QStringLiteral("VEXOAUDT"));
    // The owner box takes the link's user, and the pages the link cannot serve are hidden.
    EXPECT_EQ(window->cbUser->currentText(), QStringLiteral("VEXO_AUDIT"));
    EXPECT_FALSE(window->pcTable->isTabVisible(window->pcTable->indexOf(window->tabConstraints)));
    list(QStringLiteral("AUD_"));
    ASSERT_GT(window->quTables->recordCount(), 0);
    EXPECT_EQ(window->currOwner, QStringLiteral("VEXO_AUDIT"));
    page(window->tabColumns);
    EXPECT_GT(window->sgColumns->rowCount(), 0);
    page(window->tabData);
    ASSERT_TRUE(window->quData->active());
    EXPECT_TRUE(window->quData->sql().contains(QStringLiteral("@\"VEXOAUDT\"")));
    window->cbDBLink->setCurrentText(QString());
    EXPECT_TRUE(window->cbUser->currentText().isEmpty());
    EXPECT_TRUE(window->pcTable->isTabVisible(window->pcTable->indexOf(window->tabConstraints)));
}

} // namespace

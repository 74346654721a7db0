// The key-replacement generator on the demo database: the key of VOXA.CUSTOMERS, its candidate columns, the list file
// kept per table, and the generated block run on the test's copy of the demo, replacing the value everywhere.
#include "deploy/genReplProc.h"
#include "gui_fixture.h"
#include "shell/localmessagedlg.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

class GenReplWindow : public transfertest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(main->openWindow(QStringLiteral("mmGenerateProc")));
        window = topLevel<TfmGenReplProc>(QStringLiteral("fmGenReplProc"));
        ASSERT_TRUE(window);
        window->workDir = tmp.path();
    }
    void chooseTable(const QString& table)
    {
        window->edTabela->setText(table);
        emit window->edTabela->editingFinished();
    }
    QStringList grid() const
    {
        QStringList rows;
        for (int r = 0; r < window->sgTab->rowCount(); ++r)
            rows << window->sgTab->item(r, 0)->text() + QLatin1Char(' ') + window->sgTab->item(r, 1)->text()
                    + QLatin1Char(' ') + window->sgTab->item(r, 2)->text();
        return rows;
    }
    QString readFile(const QString& name)
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QPointer<TfmGenReplProc> window;
};

TEST_F(GenReplWindow, CustomersKeyReplacedEverywhere)
{
    EXPECT_EQ(window->edLastnik->text(), QStringLiteral("VOXA"));
    chooseTable(QStringLiteral("CUSTOMERS"));
    EXPECT_EQ(window->edPolje->text(), QStringLiteral("CUSTOMER_ID"));
    EXPECT_EQ(window->edPK->text(), QStringLiteral("CUSTOMERS_PK"));
    EXPECT_EQ(window->edType->text(), QStringLiteral("NUMBER"));
    EXPECT_EQ(window->edLength->text(), QStringLiteral("10"));
    // "AUDIT" is no owner of its own: it does not bring in VEXO_AUDIT's columns.
    window->edLastniki->setText(QStringLiteral("AUDIT"));
    window->btRefresh->click();
    EXPECT_EQ(grid(), QStringList { QStringLiteral("VOXA ORDERS CUSTOMER_ID") });
    window->edLastniki->setText(QStringLiteral("VEXO_AUDIT"));
    window->btRefresh->click();
    const QStringList all = grid();
    EXPECT_TRUE(all.contains(QStringLiteral("VOXA ORDERS CUSTOMER_ID")));
    EXPECT_TRUE(all.contains(QStringLiteral("VEXO_AUDIT AUD_CUSTOMERS CUSTOMER_ID")));

    // Delete the audit orders' column, add the invoices' order key by hand (not a customer key: it stays unused
    // below, the file keeps it), save, and build the list again after coming back to the table.
    const int audOrders = all.indexOf(QStringLiteral("VEXO_AUDIT AUD_ORDERS CUSTOMER_ID"));
    ASSERT_GE(audOrders, 0);
    window->sgTab->setCurrentCell(audOrders, 0);
    window->spDelete->click();
    window->spInsert->click();
    const int last = window->sgTab->rowCount() - 1;
    window->sgTab->item(last, 0)->setText(QStringLiteral("bildor"));
    window->sgTab->item(last, 1)->setText(QStringLiteral("ACCOUNTS"));
    window->sgTab->item(last, 2)->setText(QStringLiteral("CUSTOMER_ID"));
    window->spSaveInsert->click();
    window->spSave->click();
    EXPECT_EQ(readFile(QStringLiteral("VOXA_CUSTOMERS.rpl")),
        QStringLiteral("-VEXO_AUDIT AUD_ORDERS CUSTOMER_ID\r\n+BILDOR ACCOUNTS CUSTOMER_ID\r\n"));
    chooseTable(QStringLiteral("ORDERS"));
    EXPECT_EQ(window->sgTab->rowCount(), 0);
    chooseTable(QStringLiteral("CUSTOMERS"));
    window->btRefresh->click();
    const QStringList again = grid();
    EXPECT_FALSE(again.contains(QStringLiteral("VEXO_AUDIT AUD_ORDERS CUSTOMER_ID")));
    EXPECT_EQ(again.last(), QStringLiteral("BILDOR ACCOUNTS CUSTOMER_ID"));
    // The forced addition dropped again, so the block can run on the demo (BILDOR.ACCOUNTS has no such column).
    window->sgTab->setCurrentCell(static_cast<int>(again.size()) - 1, 0);
    window->spDelete->click();

    window->edOldNiz->setText(QStringLiteral("7"));
    window->edNewNiz->setText(QStringLiteral("8"));
    transfertest::DialogAnswer ok(shell::mrOk);
    window->btPripraviProc->click();
    EXPECT_EQ(ok.texts, QStringList { QStringLiteral("PROCEDURE VOXA_CUSTOMERS.sql  IS CREATED !") });
    const QString block = readFile(QStringLiteral("VOXA_CUSTOMERS.sql"));
    EXPECT_TRUE(block.startsWith(QStringLiteral("DECLARE\r\n  stariNiz NUMBER(10):=7;\r\n  noviNiz  NUMBER(10):=8;\r\n")));
    EXPECT_TRUE(block.contains(QStringLiteral("    update VOXA.ORDERS set CUSTOMER_ID=NoviNiz where CUSTOMER_ID=stariNiz;")));

    const QString count = QStringLiteral("SELECT (SELECT COUNT(*) FROM VOXA.ORDERS WHERE CUSTOMER_ID = %1) + "
                                         "(SELECT COUNT(*) FROM VEXO_AUDIT.AUD_CUSTOMERS WHERE CUSTOMER_ID = %1) FROM DUAL");
    const int before7 = value(*session, count.arg(7)).toInt();
    const int before8 = value(*session, count.arg(8)).toInt();
    ASSERT_GT(before7, 0);
    run(*session, block);
    EXPECT_EQ(value(*session, count.arg(7)), QStringLiteral("0"));
    EXPECT_EQ(value(*session, count.arg(8)).toInt(), before7 + before8);
    run(*session, QStringLiteral("ROLLBACK"));
}

// A composite key: the referencing table's two columns are replaced together.
TEST_F(GenReplWindow, CompositeKey)
{
    // BILDOR's foreign key needs its own right to reference VOXA's table.
    run(*session, QStringLiteral("GRANT REFERENCES ON VOXA.ITEMS TO BILDOR"));
    run(*session, QStringLiteral("CREATE TABLE BILDOR.ITEM_NOTES (ORD NUMBER(10), LINE NUMBER(4), NOTE VARCHAR2(20), "
                                 "CONSTRAINT ITEM_NOTES_FK FOREIGN KEY (ORD, LINE) REFERENCES VOXA.ITEMS (ORDER_ID, LINE_NO))"));
    run(*session, QStringLiteral("INSERT INTO BILDOR.ITEM_NOTES VALUES (1001, 1, 'first')"));
    run(*session, QStringLiteral("COMMIT"));
    chooseTable(QStringLiteral("ITEMS"));
    EXPECT_EQ(window->edPolje->text(), QStringLiteral("ORDER_ID,LINE_NO"));
    EXPECT_EQ(window->edLength->text(), QStringLiteral("10,4"));
    EXPECT_FALSE(window->btDodat->isEnabled());
    window->btRefresh->click();
    EXPECT_EQ(grid(), QStringList { QStringLiteral("BILDOR ITEM_NOTES ORD,LINE") });
    window->edOldNiz->setText(QStringLiteral("1001, 1"));
    window->edNewNiz->setText(QStringLiteral("1002, 1"));
    transfertest::DialogAnswer ok(shell::mrOk);
    window->btPripraviProc->click();
    run(*session, readFile(QStringLiteral("VOXA_ITEMS.sql")));
    EXPECT_EQ(rows(*session, QStringLiteral("SELECT ORD, LINE, NOTE FROM BILDOR.ITEM_NOTES")),
        QStringList { QStringLiteral("1002|1|first") });
    // One value for two columns: refused, no file written.
    QFile::remove(path(QStringLiteral("VOXA_ITEMS.sql")));
    window->edOldNiz->setText(QStringLiteral("1001"));
    window->btPripraviProc->click();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("VOXA_ITEMS.sql"))));
}

TEST_F(GenReplWindow, SimilarColumnsAndTransfer)
{
    chooseTable(QStringLiteral("CUSTOMERS"));
    window->edLastniki->setText(QStringLiteral("VEXO_AUDIT"));
    window->btRefresh->click();
    const int before = window->sgTab->rowCount();
    window->edFilter->setText(QStringLiteral("%ID"));
    window->btDodat->click();
    ASSERT_TRUE(window->cbDodatno->isVisibleTo(window));
    ASSERT_GT(window->cbDodatno->count(), 0);
    for (int i = 0; i < window->cbDodatno->count(); ++i)
        EXPECT_FALSE(window->cbDodatno->item(i)->text().startsWith(QStringLiteral("VOXA CUSTOMERS ")));
    window->cbDodatno->item(0)->setCheckState(Qt::Checked);
    const QString chosen = window->cbDodatno->item(0)->text();
    window->spPrenos->click();
    EXPECT_EQ(window->sgTab->rowCount(), before + 1);
    EXPECT_EQ(grid().last(), chosen);
    EXPECT_FALSE(window->cbDodatno->isVisibleTo(window));
    EXPECT_EQ(window->edFilter->text(), QStringLiteral("%"));
}

} // namespace

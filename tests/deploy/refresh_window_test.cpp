// The refresh window on the demo database, driven by its controls: a refresh from a copy in another schema and
// through VOXA's link with progress, the delete pass and the error list, Commit and Rollback, Stop and closing during
// a run, "Create PL/SQL", refresh files with two tables, and the unattended file run of the REFRESH command.
#include "db/session.h"
#include "deploy/refresh.h"
#include "deploy/transfer_commands.h"
#include "gui_fixture.h"
#include "shell/localmessagedlg.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using testsupport::waitFor;

namespace {

class RefreshWindow : public transfertest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        for (const char* sql : {
                 "CREATE TABLE BILDOR.ITEMS_COPY AS SELECT * FROM VOXA.ITEMS",
                 "ALTER TABLE BILDOR.ITEMS_COPY ADD CONSTRAINT ITEMS_COPY_PK PRIMARY KEY (ORDER_ID, LINE_NO)",
                 "UPDATE BILDOR.ITEMS_COPY SET QUANTITY = QUANTITY + 1 WHERE MOD(ORDER_ID, 10) = 3",
                 "DELETE BILDOR.ITEMS_COPY WHERE MOD(ORDER_ID, 10) = 7",
                 "INSERT INTO BILDOR.ITEMS_COPY VALUES (5001, 1, 1, 1, 1, 0)",
                 // One order's rows the copy refuses: they make the error list.
                 "ALTER TABLE BILDOR.ITEMS_COPY ADD CONSTRAINT ITEMS_COPY_CK CHECK (ORDER_ID <> 1017)",
                 "COMMIT",
             })
            run(*session, QString::fromLatin1(sql));
        ASSERT_TRUE(main->openWindow(QStringLiteral("mmRefreshTables")));
        window = topLevel<TfmRefresh>(QStringLiteral("fmRefresh"));
        ASSERT_TRUE(window);
    }
    void TearDown() override
    {
        if (window) {
            window->close();
            ASSERT_TRUE(waitFor([&] { return window.isNull(); }, 20000));
        }
        MainWindowTest::TearDown();
    }

    // Types the names as a user does and waits for the columns and the key of the source table.
    void chooseTables(const QString& link, const QString& sourceOwner, const QString& sourceTable,
        const QString& destOwner, const QString& destTable, int keyColumns)
    {
        window->cbDBLDest->setEditText(link);
        window->cbUserSource->setEditText(sourceOwner);
        window->cbTableSource->setEditText(sourceTable);
        window->cbUserDest->setEditText(destOwner);
        window->cbTableDest->setEditText(destTable);
        ASSERT_TRUE(waitFor([&] { return window->sgSelCol->isVisible() && window->lbUnique->count() == keyColumns; }));
    }
    QStringList items(const QString& table, db::Session& s)
    {
        return rows(s, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY ORDER_ID, LINE_NO"));
    }
    QStringList expectedItems()
    {
        return items(QStringLiteral("VOXA.ITEMS"), *session).filter(QRegularExpression(QStringLiteral("^(?!1017\\|)")));
    }

    QPointer<TfmRefresh> window;
};

TEST_F(RefreshWindow, OpenedFromTheUtilitiesMenu)
{
    QAction* item = main->menuItem(QStringLiteral("mmRefreshTables"));
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(main->menuItem(QStringLiteral("mmCompare2"))->isEnabled());
    EXPECT_TRUE(main->menuItem(QStringLiteral("mmGenerateProc"))->isEnabled());

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Refresh Tables"));
    EXPECT_GE(window->cbUserSource->findText(QStringLiteral("BILDOR")), 0);
    EXPECT_GE(window->cbUserDest->findText(QStringLiteral("VOXA")), 0);
    EXPECT_GE(window->cbDBLDest->findText(QStringLiteral("VEXOAUDT")), 0);
    EXPECT_TRUE(window->osOracleThread->connected());
    EXPECT_TRUE(window->pipeName().startsWith(QStringLiteral("REFRESH$")));
    EXPECT_EQ(window->pcMain->indexOf(window->tabScriptErr), -1);
}

TEST_F(RefreshWindow, RefreshFromAnotherSchemaWithProgressErrorsAndCommit)
{
    chooseTables({}, QStringLiteral("voxa"), QStringLiteral("ITEMS"), QStringLiteral("BILDOR"),
        QStringLiteral("ITEMS_COPY"), 2);
    EXPECT_EQ(window->lbUnique->item(0)->text(), QStringLiteral("ORDER_ID NUMBER"));
    EXPECT_EQ(window->lbUnique->item(1)->text(), QStringLiteral("LINE_NO NUMBER"));
    EXPECT_EQ(window->sgSelCol->rowCount(), 6);
    window->cbDelete->setChecked(true);

    // What the counters show while the block runs.
    std::set<int> seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!window->laCounter->text().isEmpty())
            seen.insert(window->laCounter->text().toInt());
    });
    watch.start(0);
    window->btRefresh->click();
    watch.stop();
    ASSERT_FALSE(window->running());
    EXPECT_EQ(window->laStatus->text(), QStringLiteral("ENDED"));
    const int final = window->laCounter->text().toInt();
    EXPECT_GT(final, 200);
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [&](int v) { return v > 0 && v < final; }))
        << "no progress before the end";
    EXPECT_EQ(window->laDeleted->text(), QStringLiteral("1"));
    EXPECT_FALSE(window->laUpdated->text().isEmpty());
    // The rows of order 1017 failed one by one; the refresh went on.
    const QStringList errors = window->meErr->toPlainText().split(QLatin1Char('\n'));
    ASSERT_FALSE(errors.isEmpty());
    EXPECT_TRUE(errors.first().startsWith(QStringLiteral("ERROR ON INSERTING:   1017  1")));
    EXPECT_EQ(window->pcMain->currentWidget(), window->tabErrors);
    EXPECT_TRUE(window->btCommit->isEnabled());
    EXPECT_TRUE(window->btRollback->isEnabled());
    EXPECT_TRUE(window->meBlock->toPlainText().contains(window->pipeName()));

    auto other = logOn("VOXA");
    EXPECT_NE(items(QStringLiteral("BILDOR.ITEMS_COPY"), *other), expectedItems()); // not yet committed
    window->btCommit->click();
    EXPECT_EQ(items(QStringLiteral("BILDOR.ITEMS_COPY"), *other), expectedItems());
    EXPECT_FALSE(window->btCommit->isEnabled());
    EXPECT_FALSE(window->btRollback->isEnabled());
    EXPECT_TRUE(window->laStatus->text().isEmpty());
    EXPECT_TRUE(window->laCounter->text().isEmpty());
    // The window's pipe is gone after the run.
    EXPECT_EQ(value(*other, "SELECT COUNT(*) FROM V$DB_PIPES WHERE NAME = '" + window->pipeName() + "'"),
        QStringLiteral("0"));
}

TEST_F(RefreshWindow, RefreshThroughTheLinkAndRollback)
{
    run(*session, QStringLiteral("CREATE TABLE VOXA.AUD_ORDERS_COPY (AUD_ID NUMBER PRIMARY KEY, AUD_DATE DATE, AUD_USER "
                                 "VARCHAR2(30), AUD_ACTION VARCHAR2(1), ORDER_ID NUMBER(10), CUSTOMER_ID NUMBER(10), "
                                 "ORDER_DATE DATE, STATUS CHAR(1), NOTE VARCHAR2(200), CREATED_BY VARCHAR2(30))"));
    run(*session, QStringLiteral("INSERT INTO VOXA.AUD_ORDERS_COPY (AUD_ID, NOTE) VALUES (1, 'old')"));
    run(*session, QStringLiteral("COMMIT"));
    // The link's side lists the users of the audit database; the destination stays local.
    window->cbDBLDest->setEditText(QStringLiteral("VEXOAUDT"));
    ASSERT_TRUE(waitFor([&] { return window->cbUserSource->findText(QStringLiteral("VEXO_AUDIT")) >= 0; }));
    EXPECT_LT(window->cbUserSource->findText(QStringLiteral("BILDOR")), 0);
    EXPECT_GE(window->cbUserDest->findText(QStringLiteral("BILDOR")), 0);
    window->cbUserSource->setEditText(QStringLiteral("VEXO_AUDIT"));
    EXPECT_GE(window->cbTableSource->findText(QStringLiteral("AUD_ORDERS")), 0);
    // The audit table has no primary key: the key is dragged from the grid.
    window->cbTableSource->setEditText(QStringLiteral("AUD_ORDERS"));
    ASSERT_TRUE(waitFor([&] { return window->sgSelCol->isVisible(); }));
    EXPECT_EQ(window->lbUnique->count(), 0);
    window->lbUniqueDragDrop(0);
    ASSERT_EQ(window->lbUnique->count(), 1);
    EXPECT_EQ(window->lbUnique->item(0)->text(), QStringLiteral("AUD_ID NUMBER"));
    window->cbUserDest->setEditText(QStringLiteral("VOXA"));
    window->cbTableDest->setEditText(QStringLiteral("AUD_ORDERS_COPY"));
    window->cbDelete->setChecked(true);
    window->btRefresh->click();
    EXPECT_EQ(window->laStatus->text(), QStringLiteral("ENDED"));
    EXPECT_TRUE(window->meErr->toPlainText().isEmpty()) << window->meErr->toPlainText().toStdString();
    EXPECT_EQ(rows(*window->osOracleThread, QStringLiteral("SELECT * FROM VOXA.AUD_ORDERS_COPY ORDER BY AUD_ID")),
        rows(*session, QStringLiteral("SELECT * FROM VEXO_AUDIT.AUD_ORDERS@VEXOAUDT ORDER BY AUD_ID")));
    window->btRollback->click();
    EXPECT_EQ(rows(*session, QStringLiteral("SELECT AUD_ID, NOTE FROM VOXA.AUD_ORDERS_COPY")),
        QStringList { QStringLiteral("1|old") });
    EXPECT_FALSE(window->btRollback->isEnabled());
}

TEST_F(RefreshWindow, ChecksBeforeBuilding)
{
    transfertest::DialogAnswer ok(shell::mrOk);
    // The same table typed in another case is the same table.
    chooseTables({}, QStringLiteral("VOXA"), QStringLiteral("ITEMS"), QStringLiteral("voxa"), QStringLiteral("items"), 2);
    window->btRefresh->click();
    EXPECT_EQ(ok.texts, QStringList { QStringLiteral("Same tables!") });
    EXPECT_TRUE(window->laStatus->text().isEmpty());
    // Through a link to another database the same names are another table.
    ok.texts.clear();
    window->lbUnique->clear();
    window->btRefresh->click();
    EXPECT_EQ(ok.texts,
        (QStringList { QStringLiteral("Primary key on destination table is missing"), QStringLiteral("Same tables!") }));
}

TEST_F(RefreshWindow, MarksAndCreatePlsql)
{
    chooseTables({}, QStringLiteral("VOXA"), QStringLiteral("ITEMS"), QStringLiteral("BILDOR"),
        QStringLiteral("ITEMS_COPY"), 2);
    // A click on the mark cell marks the column, a second one unmarks it.
    const QRect cell = window->sgSelCol->visualRect(window->sgSelCol->model()->index(3, 0));
    QTest::mouseClick(window->sgSelCol->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(window->sgSelCol->item(3, 0)->text(), QStringLiteral(" + "));
    QTest::mouseClick(window->sgSelCol->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(window->sgSelCol->item(3, 0)->text(), QStringLiteral(" "));
    QTest::mouseClick(window->sgSelCol->viewport(), Qt::LeftButton, {}, cell.center());

    window->cbPipe->setChecked(false);
    window->btSkript->click();
    EXPECT_EQ(window->pcMain->currentWidget(), window->tabBlock);
    const QString text = window->meBlock->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("f_error('UNIQUE+'")));
    EXPECT_TRUE(text.contains(QStringLiteral("IF ((rS.\"QUANTITY\"<> rD.\"QUANTITY\")")));
    EXPECT_FALSE(text.contains(QStringLiteral("sendtoPipe")));
    EXPECT_FALSE(window->osOracleThread->inTransaction()); // nothing ran
    window->cbPipe->setChecked(true);
    window->btSkript->click();
    EXPECT_TRUE(window->meBlock->toPlainText().contains(QStringLiteral("sendtoPipe('REFRESH',")));
}

// A larger source, so that the run lasts: Stop, and closing the window, end it with nothing changed.
class RefreshWindowLong : public RefreshWindow {
protected:
    void SetUp() override
    {
        RefreshWindow::SetUp();
        run(*session, QStringLiteral("CREATE TABLE VOXA.BIG (ID NUMBER PRIMARY KEY, V VARCHAR2(20))"));
        run(*session, QStringLiteral("INSERT INTO VOXA.BIG SELECT LEVEL, 'v' || LEVEL FROM DUAL CONNECT BY LEVEL <= 30000"));
        run(*session, QStringLiteral("CREATE TABLE BILDOR.BIG (ID NUMBER PRIMARY KEY, V VARCHAR2(20))"));
        run(*session, QStringLiteral("COMMIT"));
        chooseTables({}, QStringLiteral("VOXA"), QStringLiteral("BIG"), QStringLiteral("BILDOR"), QStringLiteral("BIG"), 1);
    }
    // Acts once the first progress shows.
    void onProgress(const std::function<void()>& act)
    {
        auto* watch = new QTimer(window);
        QObject::connect(watch, &QTimer::timeout, window, [this, watch, act] {
            if (window->laCounter->text().isEmpty())
                return;
            watch->stop();
            act();
        });
        watch->start(5);
    }
};

TEST_F(RefreshWindowLong, StopUndoesTheRun)
{
    onProgress([this] {
        EXPECT_TRUE(window->btStop->isEnabled());
        EXPECT_FALSE(window->btRefresh->isEnabled());
        window->btStop->click();
    });
    window->btRefresh->click();
    EXPECT_EQ(window->laStatus->text(), QStringLiteral("STOPPED"));
    EXPECT_TRUE(window->meErr->toPlainText().contains(QStringLiteral("ORA-01013")));
    EXPECT_EQ(value(*window->osOracleThread, QStringLiteral("SELECT COUNT(*) FROM BILDOR.BIG")), QStringLiteral("0"));
    EXPECT_TRUE(window->btRefresh->isEnabled());
    EXPECT_FALSE(window->btStop->isEnabled());
}

TEST_F(RefreshWindowLong, ClosingDuringARunStopsItAndWaits)
{
    QPointer<TfmRefresh> w = window;
    onProgress([w] { w->close(); });
    w->btRefresh->click();
    ASSERT_TRUE(waitFor([&] { return w.isNull(); }));
    window = nullptr;
    EXPECT_EQ(value(*session, QStringLiteral("SELECT COUNT(*) FROM BILDOR.BIG")), QStringLiteral("0"));
}

// ---- refresh files

class RefreshFiles : public RefreshWindow {
protected:
    QString writeFile(const QString& name, const QString& text)
    {
        const QString file = path(name);
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        return file;
    }
    void SetUp() override
    {
        RefreshWindow::SetUp();
        for (const char* sql : {
                 "CREATE TABLE BILDOR.PRODUCTS AS SELECT * FROM VOXA.PRODUCTS",
                 "ALTER TABLE BILDOR.PRODUCTS ADD CONSTRAINT BPRODUCTS_PK PRIMARY KEY (PRODUCT_ID)",
                 "UPDATE BILDOR.PRODUCTS SET PRICE = 0 WHERE PRODUCT_ID <= 5",
                 "DELETE BILDOR.PRODUCTS WHERE PRODUCT_ID > 20",
                 "COMMIT",
             })
            run(*session, QString::fromLatin1(sql));
    }
    static constexpr const char* kTwoTables = "#two tables\r\n"
                                              "OWNERD=VOXA\r\nTABLED=ITEMS\r\nOWNERS=BILDOR\r\nTABLES=ITEMS_COPY\r\n"
                                              "UPDATE=FALSE\r\nDELETE=TRUE\r\nCOMMIT=TRUE\r\n"
                                              "#\r\n"
                                              "ownerd=voxa\r\ntabled=products\r\nowners=bildor\r\ntables=products\r\n"
                                              "fields=PRICE\r\nCOMMIT=TRUE\r\n"
                                              "#\r\n";
};

TEST_F(RefreshFiles, TwoTablesEachCommittedEachFromTheDefaults)
{
    const QString file = writeFile(QStringLiteral("TWO.RFS"), QString::fromLatin1(kTwoTables));
    transfertest::FileAnswer pick(file);
    window->btRunSkript->click();
    EXPECT_EQ(window->meScriptErr->toPlainText(), QString()) << window->meErr->toPlainText().toStdString();
    EXPECT_EQ(main->currentRefreshDir, tmp.path() + QLatin1Char('/'));
    auto other = logOn("VOXA");
    // The first table: inserted and deleted, but its changed rows not updated (UPDATE=FALSE).
    EXPECT_EQ(value(*other, QStringLiteral("SELECT COUNT(*) FROM BILDOR.ITEMS_COPY WHERE ORDER_ID = 5001")),
        QStringLiteral("0"));
    EXPECT_NE(value(*other, QStringLiteral("SELECT COUNT(*) FROM BILDOR.ITEMS_COPY c, VOXA.ITEMS i WHERE c.ORDER_ID = "
                                           "i.ORDER_ID AND c.LINE_NO = i.LINE_NO AND c.QUANTITY <> i.QUANTITY")),
        QStringLiteral("0"));
    // The second table updates again: UPDATE=FALSE did not carry over.
    EXPECT_EQ(rows(*other, QStringLiteral("SELECT * FROM BILDOR.PRODUCTS ORDER BY PRODUCT_ID")),
        rows(*other, QStringLiteral("SELECT * FROM VOXA.PRODUCTS ORDER BY PRODUCT_ID")));
    EXPECT_FALSE(window->osOracleThread->inTransaction());
    EXPECT_FALSE(window->cbDelete->isChecked());
    EXPECT_TRUE(window->cbUpdate->isChecked());
    // Order 1017's rows failed in the first table's run: listed, the run went on.
    EXPECT_TRUE(window->meErr->toPlainText().contains(QStringLiteral("ERROR ON INSERTING:   1017")));
    EXPECT_EQ(window->pcMain->indexOf(window->tabScriptErr), -1);
}

TEST_F(RefreshFiles, ErrorInTheFirstTableRollsItBackAndTheSecondStillRuns)
{
    // The first table's block fails as a whole (its source does not exist); the file goes on.
    QString text = QString::fromLatin1(kTwoTables);
    text.replace(QStringLiteral("TABLED=ITEMS\r\n"), QStringLiteral("TABLED=NO_SUCH_ITEMS\r\nUNIQUE=ORDER_ID NUMBER\r\n"));
    const QString file = writeFile(QStringLiteral("TWO.RFS"), text + QStringLiteral("OWNERD=VOXA\r\n"));
    window->runRefreshFile(file);
    SCOPED_TRACE(window->meErr->toPlainText().toStdString());
    EXPECT_EQ(window->pcMain->currentWidget(), window->tabScriptErr);
    EXPECT_EQ(window->meScriptErr->toPlainText(),
        QStringLiteral("ERROR ON REFRESHING TABLE : ITEMS_COPY\n"
                       "TABLE NOT REFRESHED, THE FILE DOES NOT END WITH #: "));
    EXPECT_TRUE(window->meErr->toPlainText().contains(QStringLiteral("ERROR ON REFRESHING TABLE ITEMS_COPY")));
    EXPECT_TRUE(window->meErr->toPlainText().contains(QStringLiteral("ORA-00942")));
    auto other = logOn("VOXA");
    EXPECT_EQ(value(*other, QStringLiteral("SELECT COUNT(*) FROM BILDOR.ITEMS_COPY WHERE ORDER_ID = 5001")),
        QStringLiteral("1"));
    EXPECT_EQ(rows(*other, QStringLiteral("SELECT * FROM BILDOR.PRODUCTS ORDER BY PRODUCT_ID")),
        rows(*other, QStringLiteral("SELECT * FROM VOXA.PRODUCTS ORDER BY PRODUCT_ID")));
    EXPECT_FALSE(window->osOracleThread->inTransaction());
}

// The REFRESH command: the file runs while the window is shown; what no COMMIT=TRUE committed is rolled back.
TEST_F(RefreshFiles, UnattendedRunEndsWithinTheShowCall)
{
    const QString file = writeFile(QStringLiteral("ONE.RFS"),
        QStringLiteral("OWNERD=VOXA\nTABLED=PRODUCTS\nOWNERS=BILDOR\nTABLES=PRODUCTS\n#\n"
                       "OWNERD=VOXA\nTABLED=NOSUCH\nOWNERS=BILDOR\nTABLES=NOSUCH\nCOMMIT=TRUE\n#\n"));
    window->close();
    ASSERT_TRUE(waitFor([&] { return window.isNull(); }));
    auto* unattended = new TfmRefresh(main.get());
    unattended->setAttribute(Qt::WA_DeleteOnClose);
    window = unattended;
    unattended->runSkripta = file;
    unattended->show();
    EXPECT_TRUE(unattended->runSkripta.isEmpty());
    EXPECT_FALSE(unattended->running());
    EXPECT_FALSE(unattended->osOracleThread->inTransaction());
    EXPECT_NE(value(*session, QStringLiteral("SELECT COUNT(*) FROM BILDOR.PRODUCTS WHERE PRICE = 0")),
        QStringLiteral("0"));
    EXPECT_TRUE(unattended->unattendedFailed()); // the second table does not exist
    EXPECT_EQ(main->exitStatus, 1);
    EXPECT_TRUE(unattended->meScriptErr->toPlainText().contains(QStringLiteral("ERROR ON REFRESHING TABLE : NOSUCH")));
}

// The entry point the runner's REFRESH calls: the file runs, the window closes, the outcome says how it went.
TEST_F(RefreshFiles, RefreshCommandReturnsTheOutcome)
{
    const QString good = writeFile(QStringLiteral("GOOD.RFS"),
        QStringLiteral("OWNERD=VOXA\nTABLED=PRODUCTS\nOWNERS=BILDOR\nTABLES=PRODUCTS\nFIELDS=PRICE\nCOMMIT=TRUE\n#\n"));
    deploy::TransferOutcome done = deploy::runRefreshCommand(*main, good);
    EXPECT_TRUE(done.ok) << done.message.toStdString();
    EXPECT_EQ(done.message, good + QStringLiteral(" refreshed"));
    EXPECT_EQ(rows(*session, QStringLiteral("SELECT * FROM BILDOR.PRODUCTS ORDER BY PRODUCT_ID")),
        rows(*session, QStringLiteral("SELECT * FROM VOXA.PRODUCTS ORDER BY PRODUCT_ID")));
    EXPECT_EQ(main->exitStatus, 0);

    const QString bad = writeFile(QStringLiteral("BAD.RFS"),
        QStringLiteral("OWNERD=VOXA\nTABLED=NOSUCH\nOWNERS=BILDOR\nTABLES=NOSUCH\nCOMMIT=TRUE\n#\n"));
    // This time as the runner calls it.
    deploy::RunnerCommand command;
    command.word = QStringLiteral("REFRESH");
    command.p1 = bad;
    deploy::TransferOutcome failed = deploy::refreshRunnerCommand({ *main, command });
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.message.contains(QStringLiteral("ERROR ON REFRESHING TABLE : NOSUCH")))
        << failed.message.toStdString();
    EXPECT_EQ(main->exitStatus, 1);
    // Only the test's own window is left.
    EXPECT_EQ(main->findChildren<TfmRefresh*>().size(), 1);
}

} // namespace

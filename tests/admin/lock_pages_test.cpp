// The lock window's pages on the demo database: the current locks and alarms with their filters, counts and the
// erase of a connection; the lock log's history with its filters, value taking, print and open-lock listings,
// per-minute counts and deletion; the locking parameters.
#include "admin/LOCK.h"
#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "jobwindows_fixture.h"
#include "shell/pendingwork.h"
#include "shell/themedgrid.h"
#include "shell/windowregistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>

#include <gtest/gtest.h>

// Texts in failure messages as text.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using jobwindows::DialogAutomat;

class LockPages : public jobwindows::JobWindowTest {
protected:
    void SetUp() override
    {
        start("12.1");
        (*shell::windowOpener(QStringLiteral("mmLock")))(*main);
        lock = admin::fmLock;
        ASSERT_TRUE(lock);
        lock->FormActivate();
    }
    // The values of a column of a grid's data set, all rows.
    static QStringList column(db::DataSet* ds, const char* field)
    {
        ds->fetchAll();
        QStringList values;
        const int f = ds->fieldIndex(QLatin1String(field));
        for (int row = 0; row < ds->recordCount(); ++row)
            values << ds->value(row, f).toString();
        return values;
    }
    QString mainValue(const QString& sql)
    {
        db::Query q(main->osOracle);
        q.setSql(sql);
        q.execute();
        return q.eof() ? QStringLiteral("<none>") : q.field(0).toString();
    }
    QStringList results() const { return lock->meTmp->toPlainText().split(QLatin1Char('\n')); }
    QString day(int daysBack) const
    {
        return QDate::currentDate().addDays(-daysBack).toString(QStringLiteral("dd.MM.yyyy"));
    }

    QPointer<TfmLock> lock;
};

TEST_F(LockPages, CurrentLocksAreFilteredByBoundValues)
{
    EXPECT_EQ(lock->windowTitle(), QStringLiteral("LOCK VOXA@DEMO"));
    EXPECT_EQ(lock->dbgList->dataSet(), lock->quList);
    EXPECT_EQ(lock->dbgList->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Connection"));
    EXPECT_EQ(column(lock->quList, "CONN_SEM").size(), 18);

    lock->edConn->setText(QStringLiteral("12, 15"));
    lock->edTip->setText(QStringLiteral("ORD"));
    lock->btRefresh->click();
    const QStringList conns = column(lock->quList, "CONN_SEM");
    ASSERT_FALSE(conns.isEmpty());
    for (const QString& c : conns)
        EXPECT_TRUE(c == QLatin1String("12") || c == QLatin1String("15")) << c.toStdString();
    for (const QString& t : column(lock->quList, "TIP__SEM"))
        EXPECT_EQ(t, QStringLiteral("ORDERS"));

    // A typed value is compared as a value, whatever it holds: one that is no connection number is the server's
    // conversion error, not a piece of the statement.
    DialogAutomat dialogs;
    lock->edConn->setText(QStringLiteral("12) or (1=1"));
    lock->edTip->clear();
    lock->btRefresh->click();
    EXPECT_TRUE(dialogs.messages.value(0).startsWith(QStringLiteral("ORA-01722")))
        << dialogs.messages.value(0).toStdString();
    lock->edConn->setText(QStringLiteral("99"));
    lock->btRefresh->click();
    EXPECT_EQ(column(lock->quList, "CONN_SEM").size(), 0);
}

TEST_F(LockPages, AlarmListFollowsTheTypedConnection)
{
    lock->rbAlarm->setChecked(true);
    EXPECT_FALSE(lock->edUpor->isVisible());
    lock->edConn->setText(QStringLiteral("12"));
    lock->btRefresh->click();
    ASSERT_EQ(lock->dbgList->dataSet(), lock->quVexo_alm);
    const QStringList conns = column(lock->quVexo_alm, "CONN");
    EXPECT_EQ(conns, QStringList(3, QStringLiteral("12")));
    lock->edConn->clear();
    lock->btListClick();
    EXPECT_EQ(lock->laVseh->text(), QStringLiteral("9"));
    EXPECT_EQ(results().size(), 3);
    EXPECT_EQ(results().value(0), QStringLiteral("conn:12 : 3"));
    EXPECT_EQ(column(lock->quVexo_alm, "CONN").size(), 9);
}

// With alarms chosen, Erase takes the connection of the alarm list's current row; without a running server the
// rows go in the main session's transaction, which the window then reports as its pending work there.
TEST_F(LockPages, EraseTakesTheConnectionOfTheChosenList)
{
    lock->rbAlarm->setChecked(true);
    lock->btRefresh->click();
    lock->quVexo_alm->first();
    const QString conn = lock->quVexo_alm->fieldValue(QStringLiteral("CONN")).toString();
    ASSERT_FALSE(conn.isEmpty());
    DialogAutomat dialogs;
    dialogs.reply(shell::mrYes);
    lock->btCloseConn->click();
    EXPECT_EQ(dialogs.messages.value(0), QStringLiteral("POTRDI BRISANJE POVEZAVE ") + conn + QStringLiteral(" !"));
    EXPECT_EQ(mainValue(QStringLiteral("select count(*) from voxa.vexo_alm where pipename = 'ALARM%1'").arg(conn)),
        QStringLiteral("0"));
    EXPECT_EQ(mainValue(QStringLiteral("select count(*) from voxa.vexosemaphor where conn_sem = %1").arg(conn)),
        QStringLiteral("0"));
    EXPECT_TRUE(shell::pendingWorkOfOthers(*main->osOracle, nullptr)
                    .join(QLatin1Char('|'))
                    .contains(QStringLiteral("LOCK: erased locks not committed")));
    main->osOracle->rollback();
}

TEST_F(LockPages, HistoryFiltersAndListings)
{
    DialogAutomat dialogs;
    lock->pcList->setCurrentWidget(lock->tabHist);
    // The history's kind and the counts' comparison are two choices: semaphores and ">=" at first.
    EXPECT_TRUE(lock->rbLSemaphor->isChecked());
    EXPECT_TRUE(lock->rbVecje->isChecked());
    EXPECT_EQ(lock->pcCB->currentWidget(), lock->tabS);
    lock->edLDate->clear();
    lock->btLRefresh->click();
    EXPECT_EQ(dialogs.messages.value(0), QStringLiteral("Datum ne sme biti prazen!"));
    // The listings refuse to work before the history was read.
    {
        TfmLock fresh;
        fresh.spPrint->click();
        fresh.btListOpen->click();
        EXPECT_EQ(dialogs.messages.mid(1), QStringList(2, QStringLiteral("First, prepare data with Refresh button !")));
    }

    lock->edLDate->setText(day(3));
    lock->edTimeFrom->setText(QStringLiteral("00:00:00"));
    lock->edLType->setText(QStringLiteral("ORDERS"));
    lock->btLRefresh->click();
    ASSERT_TRUE(lock->dbgLog->isVisible());
    const QStringList messages = column(lock->quLog, "LOCKMESS");
    ASSERT_FALSE(messages.isEmpty());
    for (const QString& m : messages) {
        // Z, O and D are the boxes checked at first.
        EXPECT_TRUE(
            m.startsWith(QLatin1String("Z#")) || m.startsWith(QLatin1String("O#")) || m.startsWith(QLatin1String("D#")))
            << m.toStdString();
        EXPECT_TRUE(m.contains(QLatin1String("#ORDERS#"))) << m.toStdString();
    }
    EXPECT_EQ(QString::number(messages.size()),
        mainValue(QStringLiteral("select count(*) from vexo_util.vexo_lock where lockdate >= trunc(sysdate) - 3 and "
                                 "substr(lockmess, 1, 2) in ('Z#', 'O#', 'D#') and instr(lockmess, '#ORDERS#') > 0")));

    // A double click takes the value of the row's message.
    lock->quLog->setRecNo(2);
    lock->dbgLogDblClick();
    EXPECT_EQ(lock->edLValue->text(), messages.at(1).section(QLatin1Char('#'), 5, 5));

    // The print listing has every row, from the first, whichever row the grid stands on.
    lock->spPrint->click();
    EXPECT_EQ(lock->pcList->currentWidget(), lock->tabMemo);
    EXPECT_EQ(results().size(), messages.size() + 2);
    EXPECT_EQ(lock->p_lastTab, lock->tabList);
    lock->btNazaj->click();
    EXPECT_EQ(lock->pcList->currentWidget(), lock->tabList);

    lock->pcList->setCurrentWidget(lock->tabHist);
    lock->edLType->clear();
    lock->edLValue->clear();
    lock->btLRefresh->click();
    lock->btListOpen->click();
    EXPECT_EQ(lock->pcList->currentWidget(), lock->tabMemo);
    EXPECT_FALSE(lock->meTmp->toPlainText().isEmpty());
}

TEST_F(LockPages, PerMinuteCountsOfADay)
{
    lock->pcList->setCurrentWidget(lock->tabHist);
    lock->edDatum->setText(day(1));
    lock->edOdUra->setText(QStringLiteral("0"));
    lock->edOdMin->setText(QStringLiteral("0"));
    lock->edDoUra->setText(QStringLiteral("23"));
    lock->edDoMin->setText(QStringLiteral("59"));
    lock->edNr->setText(QStringLiteral("1"));
    lock->btDetStat->click();
    EXPECT_EQ(lock->p_lastTab, lock->tabHist);
    const QString expected = mainValue(
        QStringLiteral("select count(*) from vexo_util.vexo_lock where trunc(lockdate) = trunc(sysdate) - 1"));
    EXPECT_EQ(results().last(), QStringLiteral("  SKUPAJ : ") + expected);
    EXPECT_NE(expected, QStringLiteral("0"));

    DialogAutomat dialogs;
    lock->pcList->setCurrentWidget(lock->tabHist);
    lock->edNr->setText(QStringLiteral("many"));
    lock->btDetStat->click();
    EXPECT_EQ(dialogs.messages.value(0), QStringLiteral("Wrong number !"));
}

TEST_F(LockPages, OldLogRowsAreDeletedAndCommitted)
{
    DialogAutomat dialogs;
    dialogs.reply(shell::mrYes);
    lock->pcList->setCurrentWidget(lock->tabHist);
    lock->edDateDelete->setText(day(1));
    lock->btLogDelete->click();
    EXPECT_EQ(value(QStringLiteral("select count(*) from vexo_util.vexo_lock where lockdate < trunc(sysdate) - 1")),
        QStringLiteral("0"));
    EXPECT_NE(value(QStringLiteral("select count(*) from vexo_util.vexo_lock")), QStringLiteral("0"));

    dialogs.reply(shell::mrYes);
    lock->edDateDelete->setText(QStringLiteral("31.02.2024"));
    lock->btLogDelete->click();
    EXPECT_EQ(dialogs.messages.value(2), QStringLiteral("Wrong DATE !"));
}

TEST_F(LockPages, ParametersAreLoadedAndSaved)
{
    DialogAutomat dialogs;
    lock->pcList->setCurrentWidget(lock->tabParam);
    EXPECT_EQ(lock->edDurationTime->text(), QStringLiteral("30"));
    EXPECT_EQ(lock->cbLockEnabled->currentText(), QStringLiteral("TRUE"));
    EXPECT_EQ(lock->cbLockingMode->currentText(), QStringLiteral("LockingModeNew"));
    EXPECT_EQ(lock->edJob->text(), QStringLiteral("1000"));
    ASSERT_EQ(lock->dbgLocking->dataSet(), lock->quLocking);
    EXPECT_EQ(lock->quLocking->recordCount(), 3);

    // A duration below 10 minutes is refused when the edit is left.
    lock->edDurationTime->setText(QStringLiteral("9"));
    EXPECT_FALSE(lock->edDurationTimeExit());
    EXPECT_TRUE(dialogs.messages.value(0).startsWith(QStringLiteral("Minimalni čas zaklepanja je 10 minut")));
    lock->edDurationTime->setText(QStringLiteral("45"));
    EXPECT_TRUE(lock->edDurationTimeExit());

    // One locking mode changed in the grid; it is saved by its key, the single values by their names.
    const int mode = lock->quLocking->fieldIndex(QStringLiteral("VAL1_107"));
    lock->dbgLocking->model()->setData(lock->dbgLocking->model()->index(1, mode), QStringLiteral("LockingModeGuid"));
    EXPECT_EQ(lock->FLockingModeParams, QStringList { QStringLiteral("11") });
    EXPECT_TRUE(shell::pendingWorkOfOthers(*main->osOracle, nullptr)
                    .join(QLatin1Char('|'))
                    .contains(QStringLiteral("LOCK: locking modes not saved")));
    lock->cbLockEnabled->setCurrentText(QStringLiteral("FALSE"));
    lock->btSaveParam->click();
    EXPECT_EQ(value(QStringLiteral("select val1_107 from voxa.pr107par where sifra107 = 11")),
        QStringLiteral("LockingModeGuid"));
    EXPECT_EQ(value(QStringLiteral("select val1_107 from voxa.pr107par where sifra107 = 10")),
        QStringLiteral("LockingModeNew"));
    EXPECT_EQ(value(QStringLiteral("select val1_107 from voxa.pr107par where attr_007 = 'LockEnabled'")),
        QStringLiteral("FALSE"));
    EXPECT_EQ(value(QStringLiteral("select val1_107 from voxa.pr107par where attr_007 = 'aiLockingDurationTime'")),
        QStringLiteral("45"));
    EXPECT_TRUE(lock->FLockingModeParams.isEmpty());

    lock->edJob->setText(QStringLiteral("5"));
    lock->btChangeJob->click();
    EXPECT_EQ(
        value(QStringLiteral("select value from v$parameter where name = 'job_queue_processes'")), QStringLiteral("5"));
    EXPECT_EQ(lock->edJob->text(), QStringLiteral("5"));
}

} // namespace

// The windows read everything again when the user comes back to them, not when a dialog of their own closes: an
// error that the reading shows would otherwise come back for ever.
TEST(JobWindowActivation, NotAgainAfterTheWindowsOwnDialog)
{
    admin::ActivationWatch watch;
    QEvent activate(QEvent::WindowActivate);
    QEvent deactivate(QEvent::WindowDeactivate);
    EXPECT_TRUE(watch.activates(&activate));
    {
        QDialog dialog;
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        ASSERT_TRUE(QApplication::activeModalWidget());
        EXPECT_FALSE(watch.activates(&deactivate));
    }
    EXPECT_FALSE(watch.activates(&activate));
    EXPECT_FALSE(watch.activates(&deactivate));
    EXPECT_TRUE(watch.activates(&activate));
}

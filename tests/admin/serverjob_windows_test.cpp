// The job panels of the lock and audit windows on the demo database, in the classic windows (the servers as DBMS_JOB
// jobs, server release 12.1) and in the variants for release 19 (scheduler jobs): the menu opens the variant of the
// release, Start starts the server and logs it, a second Start is refused, the server serves a client, Stop asks it
// to end, Stop job kills its job, and every action is in the job log with the name and reason given.
#include "admin/LOCK.h"
#include "admin/audit.h"
#include "jobwindows_fixture.h"
#include "shell/windowregistry.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

// Texts in failure messages as text.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using jobwindows::DialogAutomat;
using jobwindows::waitFor;

struct Variant {
    const char* release;
    bool scheduler;
};

class ServerJobWindows : public jobwindows::JobWindowTest, public ::testing::WithParamInterface<Variant> {
protected:
    void SetUp() override
    {
        start(GetParam().release);
        // The demo's job log has rows of its own: a test reads those it wrote.
        logBefore = value(QStringLiteral("select nvl(max(log_id), 0) from voxa.job_start_log")).toLongLong();
    }
    qint64 logBefore = 0;

    admin::ServerJobPanel* openPanel(const char* entry)
    {
        const shell::WindowOpener* opener = shell::windowOpener(QString::fromLatin1(entry));
        EXPECT_NE(opener, nullptr);
        (*opener)(*main);
        QWidget* window = QLatin1String(entry) == QLatin1String("mmLock")
            ? (GetParam().scheduler ? static_cast<QWidget*>(main->FfmLockOra19) : admin::fmLock.data())
            : (GetParam().scheduler ? static_cast<QWidget*>(main->FfmAuditOra19) : admin::fmAudit.data());
        EXPECT_NE(window, nullptr);
        return window ? window->findChild<admin::ServerJobPanel*>(QStringLiteral("paJob")) : nullptr;
    }

    // Waits until the panel lists a job (or none), refreshing it as the user would.
    bool waitForPanel(admin::ServerJobPanel* panel, bool listed)
    {
        return waitFor(
            [&] {
                panel->btJobRefresh->click();
                return panel->dbeJob->text().isEmpty() != listed;
            },
            20000);
    }

    QString logRows(const QString& job)
    {
        db::Query q(other.get());
        q.setSql(QStringLiteral("select job_action || '/' || actor_name || '/' || job_info from voxa.job_start_log "
                                "where job_name = :j and log_id > :l order by log_id"));
        q.declareVariable(QStringLiteral("J"), db::BindType::String);
        q.declareVariable(QStringLiteral("L"), db::BindType::Integer);
        q.setVariable(QStringLiteral("J"), job);
        q.setVariable(QStringLiteral("L"), logBefore);
        q.execute();
        QStringList rows;
        for (; !q.eof(); q.next())
            rows << q.field(0).toString();
        return rows.join(QLatin1Char(' '));
    }

    // The panel's whole life on one server: start, refused second start, a client call, stop, start, kill.
    void exerciseServer(const char* entry, const QString& jobName, const QString& clientCall, const QString& serverName,
        const QString& startError)
    {
        DialogAutomat dialogs;
        admin::ServerJobPanel* panel = openPanel(entry);
        ASSERT_NE(panel, nullptr);
        EXPECT_TRUE(panel->dbeJob->text().isEmpty());
        auto running = [&] {
            return value(QStringLiteral("select voxa.pckVexoServer.isRunning('%1') from dual").arg(serverName))
                == QLatin1String("D");
        };

        // Stop job with the panel empty does nothing.
        panel->btStopJob->click();
        EXPECT_EQ(dialogs.confirmationsShown, 0);

        dialogs.confirm(QStringLiteral("Novak Janez"));
        panel->btStart->click();
        ASSERT_TRUE(waitFor(running, 20000));
        ASSERT_TRUE(waitForPanel(panel, true));
        EXPECT_EQ(panel->dbeUser->text(), QStringLiteral("VOXA"));
        if (GetParam().scheduler) {
            EXPECT_EQ(panel->dbeJob->text(), jobName);
            EXPECT_EQ(panel->dbeBroken->text(), QStringLiteral("RUNNING"));
            EXPECT_EQ(panel->laBroken->text().left(5), QStringLiteral("State"));
        } else {
            EXPECT_EQ(panel->dbeBroken->text(), QStringLiteral("N"));
            EXPECT_TRUE(panel->dbeWhat->text().toUpper().contains(panel->kind().key));
        }
        EXPECT_EQ(logRows(jobName), QStringLiteral("START/Novak Janez/"));

        // The server serves a client; a second start is refused and not logged.
        EXPECT_TRUE(value(clientCall).startsWith(QStringLiteral("OK")));
        dialogs.confirm(QStringLiteral("Novak Janez"));
        panel->btStart->click();
        EXPECT_EQ(dialogs.messages.value(0), startError);
        EXPECT_EQ(logRows(jobName), QStringLiteral("START/Novak Janez/"));
        EXPECT_EQ(value(QStringLiteral("select count(*) from dba_jobs_running")) == QLatin1String("1")
                || value(QStringLiteral("select count(*) from dba_scheduler_running_jobs")) == QLatin1String("1"),
            true);

        // Stop asks the server to end (name and reason required).
        dialogs.confirm(QStringLiteral("Novak Janez"), QStringLiteral("maintenance"));
        panel->btStop->click();
        ASSERT_TRUE(waitFor([&] { return !running(); }, 20000));
        ASSERT_TRUE(waitForPanel(panel, false));
        EXPECT_EQ(logRows(jobName), QStringLiteral("START/Novak Janez/ STOP/Novak Janez/maintenance"));

        // Started again (the scheduler job from its SUCCEEDED state), then killed by force.
        dialogs.confirm(QStringLiteral("Kralj Ana"));
        panel->btStart->click();
        ASSERT_TRUE(waitFor(running, 20000));
        ASSERT_TRUE(waitForPanel(panel, true));

        // Only the job's user may kill it.
        main->connUser = QStringLiteral("AKRALJ");
        const int shown = dialogs.confirmationsShown;
        panel->btStopJob->click();
        EXPECT_EQ(dialogs.confirmationsShown, shown);
        EXPECT_EQ(dialogs.messages.last(), QStringLiteral("JOB CAN BE STOP ONLY BY USER, WHO CREATE IT !"));
        main->connUser = QStringLiteral("VOXA");

        dialogs.confirm(QStringLiteral("Kralj Ana"), QStringLiteral("hangs"));
        panel->btStopJob->click();
        EXPECT_EQ(dialogs.messages.last(), QStringLiteral("JOB IS STOPPED !"));
        EXPECT_TRUE(waitForPanel(panel, false));
        EXPECT_FALSE(running());
        EXPECT_EQ(logRows(jobName),
            QStringLiteral(
                "START/Novak Janez/ STOP/Novak Janez/maintenance START/Kralj Ana/ STOP JOB/Kralj Ana/hangs"));
        if (GetParam().scheduler)
            EXPECT_EQ(value(QStringLiteral("select state from dba_scheduler_jobs where job_name = '%1'").arg(jobName)),
                QStringLiteral("DISABLED"));
        else
            EXPECT_EQ(value(QStringLiteral("select count(*) from dba_jobs")), QStringLiteral("0"));
    }
};

TEST_P(ServerJobWindows, MenuOpensTheVariantOfTheReleaseOnce)
{
    (*shell::windowOpener(QStringLiteral("mmLock")))(*main);
    (*shell::windowOpener(QStringLiteral("mmLock")))(*main);
    (*shell::windowOpener(QStringLiteral("mmAudit")))(*main);
    if (GetParam().scheduler) {
        ASSERT_TRUE(main->FfmLockOra19);
        EXPECT_TRUE(qobject_cast<TfmLockOra19*>(main->FfmLockOra19.data()));
        EXPECT_TRUE(qobject_cast<TfmAuditOra19*>(main->FfmAuditOra19.data()));
        EXPECT_EQ(main->findChildren<TfmLock*>().size(), 1);
    } else {
        ASSERT_TRUE(admin::fmLock);
        EXPECT_FALSE(qobject_cast<TfmLockOra19*>(admin::fmLock.data()));
        EXPECT_FALSE(main->FfmLockOra19);
        ASSERT_TRUE(admin::fmAudit);
        EXPECT_FALSE(qobject_cast<TfmAuditOra19*>(admin::fmAudit.data()));
    }
    // Closing hides the window; the next click shows the same one.
    QWidget* lock = GetParam().scheduler ? main->FfmLockOra19.data() : admin::fmLock.data();
    lock->close();
    EXPECT_FALSE(lock->isVisible());
    (*shell::windowOpener(QStringLiteral("mmLock")))(*main);
    EXPECT_TRUE(lock->isVisible());
}

TEST_P(ServerJobWindows, LockServerStartsServesStopsAndIsKilled)
{
    exerciseServer("mmLock", QStringLiteral("LOCK_JOB"),
        QStringLiteral("select voxa.pckSemaphor.zakleni('ORDERS', '2001') from dual"), QStringLiteral("SEMAPHOR"),
        QStringLiteral("Cannot start semaphor server !"));
}

TEST_P(ServerJobWindows, AuditServerStartsServesStopsAndIsKilled)
{
    exerciseServer("mmAudit", QStringLiteral("AUDIT_JOB"),
        QStringLiteral("select voxa.PCKAUDITKLIENT.serverStatus from dual"), QStringLiteral("AUDIT"),
        QStringLiteral("Cannot start audit server !"));
}

// Another user than VOXA starts a server only with a direct EXECUTE ANY PROCEDURE grant, and nothing is asked or
// run without it.
TEST_P(ServerJobWindows, StartNeedsTheOwnerOrADirectGrant)
{
    DialogAutomat dialogs;
    admin::ServerJobPanel* panel = openPanel("mmLock");
    ASSERT_NE(panel, nullptr);
    main->connUser = QStringLiteral("MNOVAK");
    panel->nizStartGrant = QStringLiteral("User MNOVAK need EXECUTE ANY PROCEDURE privilegee");
    panel->btStart->click();
    EXPECT_EQ(dialogs.confirmationsShown, 0);
    EXPECT_EQ(dialogs.messages.value(0), QStringLiteral("User MNOVAK need EXECUTE ANY PROCEDURE privilegee"));
    // A cancelled confirmation runs and logs nothing.
    main->connUser = QStringLiteral("AKRALJ");
    dialogs.confirm(QString(), QString(), false);
    panel->btStart->click();
    EXPECT_EQ(dialogs.confirmationsShown, 1);
    EXPECT_EQ(logRows(QStringLiteral("LOCK_JOB")), QString());
    EXPECT_EQ(value(QStringLiteral("select voxa.pckVexoServer.isRunning('SEMAPHOR') from dual")), QStringLiteral("N"));
}

INSTANTIATE_TEST_SUITE_P(Releases, ServerJobWindows,
    ::testing::Values(Variant { "12.1", false }, Variant { "19", true }),
    [](const ::testing::TestParamInfo<Variant>& info) { return info.param.scheduler ? "Scheduler" : "Classic"; });

} // namespace

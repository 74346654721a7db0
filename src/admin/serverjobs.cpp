// The statements of the lock and audit servers' jobs and the job log.
#include "admin/serverjobs.h"

#include "db/displaytext.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"

#include <QDeadlineTimer>
#include <QThread>

namespace admin {

const ServerJobKind& lockServer()
{
    static const ServerJobKind k { QStringLiteral("PCKSEMAPHORSERVER.SERVER"),
        QStringLiteral("begin voxa.pckSemaphorServer.server; end;"),
        QStringLiteral("voxa.pckSemaphor.ShutdownSemaphor;"), QStringLiteral("LOCK_JOB"),
        QStringLiteral("BEGIN VOXA.PCKSEMAPHORSERVER.SERVER; END;"),
        QStringLiteral("Job za zaklepanje. Stalno tece.") };
    return k;
}

const ServerJobKind& auditServer()
{
    static const ServerJobKind k { QStringLiteral("PCKAUDITSERVER.SERVER"),
        QStringLiteral("begin voxa.pckAuditServer.server; end;"),
        QStringLiteral("  voxa.PCKAUDITKLIENT.SHUTDOWNAUDIT;"), QStringLiteral("AUDIT_JOB"),
        QStringLiteral("BEGIN VOXA.PCKAUDITSERVER.SERVER; END;"), QStringLiteral("Job za AUDIT. Stalno tece.") };
    return k;
}

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

QString keyCondition(const ServerJobKind& k)
{
    return QStringLiteral("where upper(what) like '%") + k.key + QStringLiteral("%'");
}

// Runs a block whose output variable :rez says how it went.
QString runWithResult(db::Session& session, const QString& block)
{
    db::Query q(&session);
    q.setSql(block);
    q.declareVariable(QStringLiteral("REZ"), db::BindType::String, db::BindDirection::Out);
    q.execute();
    return q.getVariable(QStringLiteral("REZ")).toString();
}

} // namespace

QString jobsQuery(const ServerJobKind& k, bool scheduler)
{
    if (scheduler)
        return QStringLiteral("select job_name, owner, last_start_date, state, job_action, failure_count \n"
                              "from all_scheduler_jobs \n"
                              "where job_name = '%1' \n"
                              "and state = 'RUNNING'")
            .arg(k.schedulerName);
    return QStringLiteral("select job,log_user,next_date,broken,what,failures  from dba_jobs\n") + keyCondition(k)
        + (k.schedulerName == QLatin1String("AUDIT_JOB") ? QStringLiteral("  ") : QString());
}

QString startBlock(const ServerJobKind& k, bool scheduler)
{
    if (!scheduler) {
        // The test for a running server reads the jobs the panel lists, so a second one is never submitted.
        return QStringLiteral("declare\n"
                              "  stevilo number;\n"
                              "  posel binary_integer;\n"
                              "begin\n"
                              "  select count(*) into stevilo from dba_jobs %1;\n"
                              "  if stevilo > 0 then\n"
                              "    :rez := 'NOK';\n"
                              "  else\n"
                              "    dbms_job.submit(posel, %2, sysdate, null);\n"
                              "    commit;\n"
                              "    :rez := 'OK';\n"
                              "  end if;\n"
                              "end;")
            .arg(keyCondition(k), quoted(k.jobText));
    }
    const QString job = QStringLiteral("'VOXA.") + k.schedulerName + QLatin1Char('\'');
    return QStringLiteral(
        "declare\n"
        "  stevilo number;\n"
        "  stanje varchar2(30);\n"
        "begin\n"
        "  select count(*) into stevilo from all_scheduler_jobs where job_name = '%1';\n"
        "  if stevilo > 0 then\n"
        "    select state into stanje from all_scheduler_jobs where job_name = '%1';\n"
        "    if stanje = 'RUNNING' then\n"
        "      :rez := 'NOK';\n"
        "    elsif stanje in ('STOPPED', 'SUCCEEDED', 'DISABLED') then\n"
        "      dbms_scheduler.run_job(job_name => %2, use_current_session => FALSE);\n"
        "      dbms_scheduler.enable(name => %2);\n"
        "      :rez := 'OK';\n"
        "    else\n"
        "      :rez := 'NOK';\n"
        "    end if;\n"
        "  else\n"
        "    dbms_scheduler.create_job(job_name => %2, start_date => SYSDATE, repeat_interval => NULL,\n"
        "      end_date => NULL, job_class => 'DEFAULT_JOB_CLASS', job_type => 'PLSQL_BLOCK',\n"
        "      job_action => %3, comments => %4);\n"
        "    dbms_scheduler.set_attribute(name => %2, attribute => 'RESTARTABLE', value => TRUE);\n"
        "    dbms_scheduler.set_attribute(name => %2, attribute => 'LOGGING_LEVEL',\n"
        "      value => SYS.DBMS_SCHEDULER.LOGGING_RUNS);\n"
        "    dbms_scheduler.set_attribute(name => %2, attribute => 'MAX_FAILURES', value => 10);\n"
        "    dbms_scheduler.set_attribute(name => %2, attribute => 'AUTO_DROP', value => FALSE);\n"
        "    dbms_scheduler.set_attribute(name => %2, attribute => 'RESTART_ON_RECOVERY', value => "
        "TRUE);\n"
        "    dbms_scheduler.set_attribute(name => %2, attribute => 'RESTART_ON_FAILURE', value => "
        "FALSE);\n"
        "    dbms_scheduler.set_attribute(name => %2, attribute => 'STOP_ON_WINDOW_CLOSE', value => "
        "FALSE);\n"
        "    dbms_scheduler.enable(name => %2);\n"
        "    :rez := 'OK';\n"
        "  end if;\n"
        "end;")
        .arg(k.schedulerName, job, quoted(k.schedulerAction), quoted(k.schedulerComment));
}

QString stopBlock(const ServerJobKind& k, bool scheduler)
{
    if (scheduler && k.schedulerName == QLatin1String("LOCK_JOB"))
        return QStringLiteral("-- PIPE RESET SERVER\nbegin\n voxa.pckSemaphor.ShutdownSemaphor;\ncommit;\nend;");
    return QStringLiteral("begin\n") + k.shutdownCall + QStringLiteral("\nend;");
}

QString stopJobBlock(const ServerJobKind& k)
{
    const QString job = QStringLiteral("'VOXA.") + k.schedulerName + QLatin1Char('\'');
    // :rez tells whether a run was found and stopped, so only a real stop is reported and logged.
    return QStringLiteral("declare\n"
                          "  stevilo number;\n"
                          "begin\n"
                          "  :rez := 'NONE';\n"
                          "  select count(*) into stevilo from all_scheduler_jobs\n"
                          "   where job_name = '%1' and state = 'RUNNING';\n"
                          "  if stevilo > 0 then\n"
                          "    dbms_scheduler.stop_job(job_name => %2, force => TRUE);\n"
                          "    DBMS_SCHEDULER.DISABLE(name => %2);\n"
                          "    commit;\n"
                          "    :rez := 'OK';\n"
                          "  end if;\n"
                          "end;")
        .arg(k.schedulerName, job);
}

QString grantQuery()
{
    return QStringLiteral("select count(*) stevilo from dba_sys_privs\n"
                          "   where grantee= :upor  and\n"
                          "             privilege='EXECUTE ANY PROCEDURE'");
}

QString jobLogInsert(const ServerJobKind& k)
{
    return QStringLiteral("INSERT INTO VOXA.JOB_START_LOG \n"
                          "(LOG_ID, JOB_NAME, JOB_DATE, JOB_ACTION, ACTOR_NAME, JOB_INFO)\n"
                          " VALUES \n"
                          "(voxa.getsequence('JOB_START_LOG'), '%1', SYSDATE, :ACTION, :PRIIMEKINIME, :RAZLOG)")
        .arg(k.schedulerName);
}

JobRow readJob(db::Session& session, const ServerJobKind& k, bool scheduler)
{
    db::Query q(&session);
    q.setSql(jobsQuery(k, scheduler));
    q.execute();
    JobRow r;
    if (q.eof())
        return r;
    r.found = true;
    // Dates with their time of day, which tells when a server started.
    QString format = session.dateFormat();
    if (!format.contains(QLatin1String("HH"), Qt::CaseInsensitive))
        format += QStringLiteral(" HH24:MI:SS");
    auto text = [&](int i) { return db::displayText(q.field(i), q.fieldType(i), format); };
    r.job = text(0);
    r.user = text(1);
    r.start = text(2);
    r.broken = text(3);
    r.what = text(4);
    r.failures = q.field(5).toLongLong();
    return r;
}

bool mayStartServer(db::Session& session, const QString& connUser)
{
    if (connUser == QLatin1String("VOXA"))
        return true;
    db::Query quGrant(&session);
    quGrant.setSql(grantQuery());
    quGrant.declareVariable(QStringLiteral("UPOR"), db::BindType::String);
    quGrant.setVariable(QStringLiteral("UPOR"), connUser);
    quGrant.execute();
    return !quGrant.eof() && quGrant.field(0).toLongLong() > 0;
}

bool startServer(db::Session& session, const ServerJobKind& k, bool scheduler)
{
    return runWithResult(session, startBlock(k, scheduler)) != QLatin1String("NOK");
}

void stopServer(db::Session& session, const ServerJobKind& k, bool scheduler)
{
    db::Query quStop(&session);
    quStop.setSql(stopBlock(k, scheduler));
    quStop.execute();
}

bool killClassicJob(db::Session& session, const QString& job)
{
    bool ok = false;
    const qlonglong number = job.trimmed().toLongLong(&ok);
    if (!ok)
        return false;
    db::Query quDyn(&session);
    quDyn.setSql(QStringLiteral("begin dbms_job.broken(:job,true); commit; dbms_job.remove(:job); commit; end;"));
    quDyn.declareVariable(QStringLiteral("JOB"), db::BindType::Integer);
    quDyn.setVariable(QStringLiteral("JOB"), number);
    quDyn.execute();

    // Removing a job leaves its run going: the run's session is ended too.
    auto running = [&] {
        db::Query q(&session);
        q.setSql(QStringLiteral("select r.sid, s.serial# from dba_jobs_running r, v$session s\n"
                                " where s.sid = r.sid and r.job = :job"));
        q.declareVariable(QStringLiteral("JOB"), db::BindType::Integer);
        q.setVariable(QStringLiteral("JOB"), number);
        q.execute();
        return q.eof() ? QString() : q.field(0).toString() + QLatin1Char(',') + q.field(1).toString();
    };
    const QString victim = running();
    if (victim.isEmpty())
        return true;
    try {
        db::Query kill(&session);
        kill.setSql(QStringLiteral("alter system kill session '%1'").arg(victim));
        kill.execute();
    } catch (const db::OracleError& e) {
        // ORA-00031: marked for kill; the run ends when its call notices. Anything else reaches the caller.
        if (e.code() != 31)
            throw;
    }
    QDeadlineTimer deadline(5000);
    while (!running().isEmpty()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

bool killSchedulerJob(db::Session& session, const ServerJobKind& k)
{
    return runWithResult(session, stopJobBlock(k)) == QLatin1String("OK");
}

void logJobAction(
    db::Session& session, const ServerJobKind& k, const QString& action, const QString& actor, const QString& reason)
{
    db::Query q(&session);
    q.setSql(jobLogInsert(k));
    q.declareVariable(QStringLiteral("ACTION"), db::BindType::String);
    q.declareVariable(QStringLiteral("PRIIMEKINIME"), db::BindType::String);
    q.declareVariable(QStringLiteral("RAZLOG"), db::BindType::String);
    q.setVariable(QStringLiteral("ACTION"), action);
    q.setVariable(QStringLiteral("PRIIMEKINIME"), actor);
    q.setVariable(QStringLiteral("RAZLOG"), reason.isEmpty() ? QVariant() : QVariant(reason));
    q.execute();
    session.commit();
}

} // namespace admin

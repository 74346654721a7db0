// The lock and audit servers as database jobs of the application schema: the statements that list, start, stop and
// kill them, classic (DBMS_JOB) and from release 19 on scheduler jobs, and the application's job log. Kept apart
// from the windows so each step can be run on a session without them.
#pragma once

#include <QString>

namespace db {
class Session;
}

namespace admin {

// What tells the two servers apart.
struct ServerJobKind {
    QString key; // searched in the upper-cased WHAT of a classic job
    QString jobText; // the classic job's WHAT
    QString shutdownCall; // the server's shutdown, in a block of its own
    QString schedulerName; // "LOCK_JOB": VOXA's scheduler job and the job log's JOB_NAME
    QString schedulerAction;
    QString schedulerComment;
};
const ServerJobKind& lockServer();
const ServerJobKind& auditServer();

// The statements, as the windows' query components hold them.
QString jobsQuery(const ServerJobKind& k, bool scheduler); // quJobs
QString startBlock(const ServerJobKind& k, bool scheduler); // quStart, output :rez 'OK' or 'NOK'
QString stopBlock(const ServerJobKind& k, bool scheduler); // quStop
QString stopJobBlock(const ServerJobKind& k); // quStopJob of the scheduler variants, output :rez 'OK' or 'NONE'
QString grantQuery(); // quGrant
QString jobLogInsert(const ServerJobKind& k); // the job log's INSERT

// The first row of quJobs, as the job panel shows it.
struct JobRow {
    bool found = false;
    QString job, user, start, broken, what;
    qint64 failures = 0;
};
// Throws db::OracleError.
JobRow readJob(db::Session& session, const ServerJobKind& k, bool scheduler);

// Whether the user may start a server: the application owner VOXA always; another user only with a direct EXECUTE
// ANY PROCEDURE grant. Throws db::OracleError.
bool mayStartServer(db::Session& session, const QString& connUser);

// quStart: true when a server job was started, false when one exists already (classic) or the scheduler job is
// running or in a state it cannot be started from. Throws db::OracleError.
bool startServer(db::Session& session, const ServerJobKind& k, bool scheduler);

// quStop: the server's own shutdown. Throws db::OracleError.
void stopServer(db::Session& session, const ServerJobKind& k, bool scheduler);

// The kill of a job by force. True only when a run was really ended (or none was left running): the classic job is
// marked broken and removed, and its running session is killed, since removing a job does not stop its run; the
// scheduler job is stopped by force and disabled when it was running. Throws db::OracleError.
bool killClassicJob(db::Session& session, const QString& job);
bool killSchedulerJob(db::Session& session, const ServerJobKind& k);

// One row of VOXA.JOB_START_LOG ("START", "STOP", "STOP JOB"), committed at once. Throws db::OracleError.
void logJobAction(
    db::Session& session, const ServerJobKind& k, const QString& action, const QString& actor, const QString& reason);

} // namespace admin

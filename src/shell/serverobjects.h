// The calls on the packages and procedures that the application installs in its own schemas (VOXA, VEXO_UTIL):
// one function per call, each with its statement, its binds and the one result the windows rely on.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace db {
class Session;
class Query;
} // namespace db

namespace shell {

// pckLogParam.InitParam: makes the application user the session's own. In the several-installations mode the
// package is the connected schema's (unqualified name), otherwise VOXA's. Errors are ignored: the application may
// not be installed at all, and the logon goes on without it.
void initParam(db::Session& session, const QString& applicationUser, bool severalInstallations);

// VOXA.pckLogParam.getUser: the session's application user; a null QString when it has none.
QString getUser(db::Session& session);
// VOXA.pckLogParam.initParam with a user's USERDEF1 (the user-table check). Server errors reach the caller.
void initParamUserDef(db::Session& session, const QString& userDef1);

// VOXA.PCKLogParam.CanUseLargeRB: true when it answers "D" (in any case), so the large rollback segment may be
// used. A failing query counts as "D" (an application without the function leaves the choice to the user).
bool canUseLargeRB(db::Session& session);
// vexo_util.activateLARGERB: puts the segment online (and the other public ones offline) or offline. Throws the
// server's error on failure.
void activateLargeRB(db::Session& session, const QString& segmentName, bool online);

// VOXA.PCKVEXOLOG.USERISVALID for a user's USERDEF1: the raw answer (null QString for null). Nothing relies on it.
QString userIsValid(db::Session& session, const QString& userDef1);

// owner.dodeliPravice: runs one grant (or revoke) statement with the owner's rights. The owner must be a plain
// SQL name; anything else is refused with ORA-44003 before the server is asked.
void dodeliPravice(db::Session& session, const QString& owner, const QString& grantText);

// vexo_util.getMemoFiltExs: true when the statement text of the script row (by rowid) matches the filter.
bool getMemoFiltExs(db::Session& session, const QString& rowId, const QString& filter);

// The refresh pipe: sendtoPipe posts one message on pipe "REFRESH"; readPipe takes the next one, an empty text
// when none is waiting (the final message comes with its leading "#" removed).
inline constexpr const char* refreshPipe = "REFRESH";
void sendtoPipe(db::Session& session, const QString& message);
QString readPipe(db::Session& session);

// VEXO_UTIL.PCKSTRUKTURE: GETALLSTRUCTURE(owner, name, type) prepares the dump ("" as type for all types), then
// GETFROMTABLE gives one line per call up to "NULL". Each line goes to onLine; when it returns false the reading
// stops early (the user asked to stop) and false is returned. A null answer ends the dump like "NULL", so a
// package that answers null never keeps the caller looping.
bool structureDump(db::Session& session, const QString& owner, const QString& name, const QString& type,
    const std::function<bool(const QString& line)>& onLine);
QStringList structureDump(db::Session& session, const QString& owner, const QString& name, const QString& type);

// The two server jobs of the application, as the lock and audit windows keep them.
enum class ServerJob { Lock, Audit };
// The text submitted as a classic job: "begin voxa.pckSemaphorServer.server; end;" or the audit server's.
QString serverJobText(ServerJob job);
// VOXA.getsequence: the next number for a key ("JOB_START_LOG").
qint64 getsequence(db::Session& session, const QString& key);
// One row of VOXA.JOB_START_LOG (its LOG_ID from getsequence): action "START", "STOP" or "STOP JOB", who did it
// and why. No commit: the caller's transaction decides.
void writeJobStartLog(
    db::Session& session, ServerJob job, const QString& action, const QString& surnameName, const QString& reason);
// Stops the server: pckSemaphor.ShutdownSemaphor or PCKAUDITKLIENT.SHUTDOWNAUDIT. The lock server's scheduler
// variant commits in the same block. Throws the server's error.
void shutdownServer(db::Session& session, ServerJob job, bool schedulerVariant);

// VOXA.pckSemaphor: asks the lock server to refresh its semaphore or alarm tables.
void showAllSemaphor(db::Session& session);
void notifyShow(db::Session& session);
// VOXA.PCKSEMAPHOR.CLOSEALLCONN: drops the locks of one connection. An answer other than "OK" is thrown as
// "Brisanje zaklepanja ni uspešno: " + the answer.
void closeAllConn(db::Session& session, const QString& connection);

// voxa.pckAuditKlient.setAuditUser: the audit data shown is that installation user's.
void setAuditUser(db::Session& session, const QString& user);

// The cube job: submits VOXA.FILL_ETL_MDW(company, 'TRUE') as a classic job first run at firstRun
// ("DD.MM.YYYY HH24:MI"), then every midnight, and commits. "NOK" (nothing submitted) when such a job exists
// already, "OK" otherwise. The company reaches the job text quoted, so a quote in it cannot end the literal.
QString submitFillEtlMdw(db::Session& session, const QString& company, const QString& firstRun);
// VEXO_DT_COUNT as a daily job from today at startHour; VEXO_UTIL.VEXO_MONITOR every five minutes from firstRun
// ("DD.MM.YYYY HH24:MI"). Both commit; server errors reach the caller.
void submitDtCount(db::Session& session, int startHour);
void submitMonitor(db::Session& session, const QString& firstRun);

// VOXA.pckVexoLog.getTerminate: the logins matching the filters, as a query on the opened cursor (null when the
// package opened none).
struct TerminateFilter {
    QString terminate;
    QString dateFrom;
    QString userIpl;
    QString postaja;
    QString modul;
    QString notEQ;
    QString ord;
};
std::unique_ptr<db::Query> getTerminate(db::Session& session, const TerminateFilter& filter);
// VOXA.pckVexoLog.logOut: marks one log entry logged out ("K"); the function's answer is not used.
void logOut(db::Session& session, qint64 logNumber, const QString& status = QStringLiteral("K"));

// VOXA.pckVexoMemo.instrAllViews: above 0 when the view (of an owner matching the pattern) mentions the text.
qint64 instrAllViews(db::Session& session, const QString& ownerPattern, const QString& viewName, const QString& text);

// VOXA.pckOsnUtil.VEXO_showLog: the next piece of the server log; "END" after the last one, "NOK" when the log
// cannot be read.
QString vexoShowLog(db::Session& session, const QString& year, const QString& month, const QString& kind,
    const QString& filter, int duration);

// voxa.pckOsnUtil.getPot: the server directory of the application's files.
QString getPot(db::Session& session);

} // namespace shell

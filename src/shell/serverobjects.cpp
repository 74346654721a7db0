#include "shell/serverobjects.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"

#include <QRegularExpression>

namespace shell {

namespace {

using db::BindDirection;
using db::BindType;

struct In {
    const char* name;
    QVariant value;
};

// A statement with IN binds, executed; the query stays for reading rows or OUT binds.
std::unique_ptr<db::Query> run(db::Session& session, const QString& sql, std::initializer_list<In> binds,
    std::initializer_list<std::pair<const char*, BindType>> outs = {})
{
    auto q = std::make_unique<db::Query>(&session);
    q->setSql(sql);
    for (const In& b : binds) {
        q->declareVariable(QString::fromLatin1(b.name), db::Variables::typeOfValue(b.value));
        q->setVariable(QString::fromLatin1(b.name), b.value);
    }
    for (const auto& [name, type] : outs)
        q->declareVariable(QString::fromLatin1(name), type, BindDirection::Out);
    q->execute();
    return q;
}

// The single value of a one-row select; a null QVariant when it is null or there is no row.
QVariant single(db::Session& session, const QString& sql, std::initializer_list<In> binds)
{
    auto q = run(session, sql, binds);
    if (q->eof() || q->fieldIsNull(0))
        return {};
    return q->field(0);
}

QString text(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

QString outText(db::Query& q, const char* name)
{
    return text(q.getVariable(QString::fromLatin1(name)));
}

} // namespace

void initParam(db::Session& session, const QString& applicationUser, bool severalInstallations)
{
    // Bound rather than pasted: a quote in the user name must not end the literal.
    const QString call = severalInstallations ? QStringLiteral("  pckLogParam.InitParam(:userIpl);")
                                              : QStringLiteral("  voxa.pckLogParam.InitParam(:userIpl);");
    try {
        run(session, QStringLiteral("begin\n") + call + QStringLiteral("\nend;"), { { "userIpl", applicationUser } });
    } catch (const db::OracleError&) {
        // Without the application's package the session simply has no application user.
    }
}

QString getUser(db::Session& session)
{
    return text(single(session, QStringLiteral("select VOXA.pckLogParam.getUser from dual"), {}));
}

void initParamUserDef(db::Session& session, const QString& userDef1)
{
    run(session, QStringLiteral("BEGIN\nVOXA.pckLogParam.initParam(:USERDEF1);\nEND;"), { { "USERDEF1", userDef1 } });
}

bool canUseLargeRB(db::Session& session)
{
    try {
        const QString answer
            = text(single(session, QStringLiteral(" select VOXA.PCKLogParam.CanUseLargeRB largeRB from dual"), {}));
        return answer.toUpper() == QLatin1String("D");
    } catch (const db::OracleError&) {
        return true;
    }
}

void activateLargeRB(db::Session& session, const QString& segmentName, bool online)
{
    run(session, QStringLiteral("begin\nvexo_util.activateLARGERB(:segment,:target);\nend;"),
        { { "segment", segmentName }, { "target", online ? QStringLiteral("ONLINE") : QStringLiteral("OFFLINE") } });
}

QString userIsValid(db::Session& session, const QString& userDef1)
{
    return text(single(session, QStringLiteral("select VOXA.PCKVEXOLOG.USERISVALID(:USERDEF1) UserIsValid from dual"),
        { { "USERDEF1", userDef1 } }));
}

void dodeliPravice(db::Session& session, const QString& owner, const QString& grantText)
{
    // The owner names a schema in the statement text, where no bind can stand: only a plain SQL name may go in.
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z][A-Za-z0-9_$#]{0,127}$"));
    if (!plainName.match(owner).hasMatch())
        throw db::OracleError(44003, QStringLiteral("ORA-44003: invalid SQL name"));
    run(session, QStringLiteral("begin\n  %1.dodeliPravice(:stavek);\nend;").arg(owner.toUpper()),
        { { "stavek", grantText } });
}

bool getMemoFiltExs(db::Session& session, const QString& rowId, const QString& filter)
{
    return text(single(session, QStringLiteral("select vexo_util.getMemoFiltExs(:rid,:filter) rez from dual"),
               { { "rid", rowId }, { "filter", filter } }))
        == QLatin1String("T");
}

void sendtoPipe(db::Session& session, const QString& message)
{
    run(session, QStringLiteral("begin\n  sendtoPipe('REFRESH',:niz);\nend;"), { { "niz", message } });
}

QString readPipe(db::Session& session)
{
    auto q = run(session, QStringLiteral("begin\n  readPipe('REFRESH',1,:outniz);\nend;"), {},
        { { "outniz", BindType::String } });
    return outText(*q, "outniz");
}

bool structureDump(db::Session& session, const QString& owner, const QString& name, const QString& type,
    const std::function<bool(const QString& line)>& onLine)
{
    run(session, QStringLiteral("begin\n  VEXO_UTIL.PCKSTRUKTURE.GETALLSTRUCTURE(:lastnik,:ime,:tip);\nend;"),
        { { "lastnik", owner }, { "ime", name }, { "tip", type } });
    db::Query next(&session);
    next.setSql(QStringLiteral("begin\n  :vrstica:=VEXO_UTIL.PCKSTRUKTURE.GETFROMTABLE;\nend;"));
    next.declareVariable(QStringLiteral("vrstica"), BindType::String, BindDirection::Out);
    for (;;) {
        next.execute();
        const QVariant v = next.getVariable(QStringLiteral("vrstica"));
        if (v.isNull() || v.toString() == QLatin1String("NULL"))
            return true;
        if (!onLine(v.toString()))
            return false;
    }
}

QStringList structureDump(db::Session& session, const QString& owner, const QString& name, const QString& type)
{
    QStringList lines;
    structureDump(session, owner, name, type, [&lines](const QString& line) {
        lines << line;
        return true;
    });
    return lines;
}

QString serverJobText(ServerJob job)
{
    return job == ServerJob::Lock ? QStringLiteral("begin voxa.pckSemaphorServer.server; end;")
                                  : QStringLiteral("begin voxa.pckAuditServer.server; end;");
}

qint64 getsequence(db::Session& session, const QString& key)
{
    const QVariant v
        = single(session, QStringLiteral("select voxa.getsequence(:kljuc) seq from dual"), { { "kljuc", key } });
    if (v.isNull())
        throw db::OracleError::client(QStringLiteral("getsequence gave no number for %1").arg(key));
    return v.toLongLong();
}

void writeJobStartLog(
    db::Session& session, ServerJob job, const QString& action, const QString& surnameName, const QString& reason)
{
    const QString jobName = job == ServerJob::Lock ? QStringLiteral("LOCK_JOB") : QStringLiteral("AUDIT_JOB");
    run(session,
        QStringLiteral("INSERT INTO VOXA.JOB_START_LOG \n"
                       "(LOG_ID, JOB_NAME, JOB_DATE, JOB_ACTION, ACTOR_NAME, JOB_INFO)\n"
                       " VALUES \n"
                       "(voxa.getsequence('JOB_START_LOG'), '%1', SYSDATE, :ACTION, :PRIIMEKINIME, :RAZLOG)")
            .arg(jobName),
        { { "ACTION", action }, { "PRIIMEKINIME", surnameName }, { "RAZLOG", reason } });
}

void shutdownServer(db::Session& session, ServerJob job, bool schedulerVariant)
{
    QString sql;
    if (job == ServerJob::Audit)
        sql = QStringLiteral("begin\n  voxa.PCKAUDITKLIENT.SHUTDOWNAUDIT;\nend;");
    else if (schedulerVariant)
        sql = QStringLiteral("-- PIPE RESET SERVER\nbegin\n voxa.pckSemaphor.ShutdownSemaphor;\ncommit;\nend;");
    else
        sql = QStringLiteral("begin\nvoxa.pckSemaphor.ShutdownSemaphor;\nend;");
    run(session, sql, {});
}

void showAllSemaphor(db::Session& session)
{
    run(session, QStringLiteral("begin\n   voxa.pcksemaphor.showAllSemaphor;\nend;"), {});
}

void notifyShow(db::Session& session)
{
    run(session, QStringLiteral("begin\n   voxa.pcksemaphor.notifyShow;\nend;"), {});
}

void closeAllConn(db::Session& session, const QString& connection)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("begin \n  voxa.PCKSEMAPHOR.CLOSEALLCONN(:conn,:RETVRED);\nend;"));
    q.declareVariable(QStringLiteral("conn"), BindType::String);
    q.setVariable(QStringLiteral("conn"), connection);
    q.declareVariable(QStringLiteral("RETVRED"), BindType::String, BindDirection::InOut);
    q.setVariable(QStringLiteral("RETVRED"), QString());
    q.execute();
    const QString answer = outText(q, "RETVRED");
    if (answer != QLatin1String("OK"))
        throw db::OracleError::client(QStringLiteral("Brisanje zaklepanja ni uspešno: %1").arg(answer));
}

void setAuditUser(db::Session& session, const QString& user)
{
    run(session, QStringLiteral("begin\n  voxa.pckAuditKlient.setAuditUser(:upor);\nend;"), { { "upor", user } });
}

QString submitFillEtlMdw(db::Session& session, const QString& company, const QString& firstRun)
{
    // The company goes into the job's own text, which the job queue parses later: its quotes are doubled there.
    auto q = run(session,
        QStringLiteral("declare\n"
                       "  n INTEGER;\n"
                       "  job BINARY_INTEGER;\n"
                       "begin\n"
                       "  select count(*) into n from dba_jobs where upper(what) like '%FILL_ETL_MDW%';\n"
                       "  if n > 0 then\n"
                       "    :rez := 'NOK';\n"
                       "  else\n"
                       "    SYS.DBMS_JOB.SUBMIT(job,\n"
                       "      'begin voxa.FILL_ETL_MDW(''' || replace(:Podjetje, '''', '''''') || ''', ''TRUE''); "
                       "end;',\n"
                       "      to_date(:Datum,'DD.MM.YYYY HH24:MI'),\n"
                       "      'TRUNC(SYSDATE+1)',\n"
                       "      FALSE);\n"
                       "    commit;\n"
                       "    :rez := 'OK';\n"
                       "  end if;\n"
                       "end;"),
        { { "Podjetje", company }, { "Datum", firstRun } }, { { "rez", BindType::String } });
    return outText(*q, "rez");
}

void submitDtCount(db::Session& session, int startHour)
{
    run(session,
        QStringLiteral("DECLARE\n"
                       "  job BINARY_INTEGER;\n"
                       "begin\n"
                       "    dbms_job.submit(\n"
                       "           job,\n"
                       "           'begin VEXO_DT_COUNT; end;',\n"
                       "           trunc(sysdate)+:startnaUra/24,\n"
                       "           'sysdate+1' );\n"
                       "     commit;\n"
                       "END;"),
        { { "startnaUra", startHour } });
}

void submitMonitor(db::Session& session, const QString& firstRun)
{
    run(session,
        QStringLiteral("-- JOB za COUNT(*) \n"
                       "DECLARE\n"
                       "  job BINARY_INTEGER;\n"
                       "  ret INTEGER;\n"
                       "begin\n"
                       "    dbms_job.submit(\n"
                       "           job,\n"
                       "           'begin VEXO_UTIL.VEXO_MONITOR; end;',\n"
                       "           to_date (:startnaUra,'DD.MM.YYYY HH24:MI'),\n"
                       "          'sysdate+1/(24*12)' );\n"
                       "   COMMIT;\n"
                       "END;"),
        { { "startnaUra", firstRun } });
}

std::unique_ptr<db::Query> getTerminate(db::Session& session, const TerminateFilter& filter)
{
    auto q = run(session,
        QStringLiteral(
            "begin\n"
            "voxa.pckVexoLog.getTerminate(:terminate,:dateFrom,:userIpl,:postaja,:modul,:notEQ,:ord,:curs);\n"
            "end;"),
        { { "terminate", filter.terminate }, { "dateFrom", filter.dateFrom }, { "userIpl", filter.userIpl },
            { "postaja", filter.postaja }, { "modul", filter.modul }, { "notEQ", filter.notEQ },
            { "ord", filter.ord } },
        { { "curs", BindType::Cursor } });
    return q->cursorVariable(QStringLiteral("curs"));
}

void logOut(db::Session& session, qint64 logNumber, const QString& status)
{
    run(session,
        QStringLiteral("declare\n  rez VARCHAR2(100);\nbegin\n  rez:=voxa.pckVexoLog.logOut(:stevec,:status);\nend;"),
        { { "stevec", logNumber }, { "status", status } });
}

qint64 instrAllViews(db::Session& session, const QString& ownerPattern, const QString& viewName, const QString& text)
{
    const QVariant v
        = single(session, QStringLiteral("select VOXA.pckVexoMemo.instrAllViews(:upor,:pogled,:tabela) rez from dual"),
            { { "upor", ownerPattern }, { "pogled", viewName }, { "tabela", text } });
    return v.isNull() ? 0 : v.toLongLong();
}

QString vexoShowLog(db::Session& session, const QString& year, const QString& month, const QString& kind,
    const QString& filter, int duration)
{
    auto q = run(session,
        QStringLiteral("begin\n   :retNiz:=voxa.pckOsnUtil.VEXO_showLog(:leto,:mesec,:tip,:flt,:cas);\nend;"),
        { { "leto", year }, { "mesec", month }, { "tip", kind }, { "flt", filter }, { "cas", duration } },
        { { "retNiz", BindType::String } });
    return outText(*q, "retNiz");
}

QString getPot(db::Session& session)
{
    auto q = run(session, QStringLiteral("begin\n  :retPot:=voxa.pckOsnUtil.getPot;\nend;"), {},
        { { "retPot", BindType::String } });
    return outText(*q, "retPot");
}

} // namespace shell

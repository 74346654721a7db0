#include "deploy/runnerqueries.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"

namespace deploy {

namespace {

Installation installationOf(const db::Query& q)
{
    Installation i;
    i.index = q.field(QStringLiteral("USERINDEX")).toInt();
    i.instance = q.field(QStringLiteral("INSTANCE")).toString();
    i.userVoxa = q.field(QStringLiteral("USER_VOXA")).toString().toUpper();
    i.passVoxa = q.field(QStringLiteral("PASS_VOXA")).toString();
    i.userBildor = q.field(QStringLiteral("USER_BILDOR")).toString().toUpper();
    i.passBildor = q.field(QStringLiteral("PASS_BILDOR")).toString();
    return i;
}

} // namespace

bool auditHostReady(db::Session& session)
{
    db::Query q(&session);
    q.setSql(QString::fromLatin1(auditHostQuery));
    q.execute();
    return !q.eof() && q.field(QStringLiteral("NUM")).toString() == QLatin1String("2");
}

QString lastVersionQuery(bool owner)
{
    return QStringLiteral("select count(*) nasel from\n"
                          " (select script_name  from vexo_util.vexo_exs where script_stat='X'")
        + (owner ? QStringLiteral(" and script_owner=:upor") : QString())
        + QStringLiteral(" group by script_name) aa\n"
                         "where instr(:dovoljeno,','||script_name||',')>0");
}

bool lastVersionExecuted(db::Session& session, const QStringList& names, const QString& owner)
{
    db::Query q(&session);
    q.setSql(lastVersionQuery(!owner.isEmpty()));
    q.setVariable(QStringLiteral("dovoljeno"), QLatin1Char(',') + names.join(QLatin1Char(',')) + QLatin1Char(','));
    if (!owner.isEmpty())
        q.setVariable(QStringLiteral("upor"), owner);
    q.execute();
    return !q.eof() && q.field(QStringLiteral("NASEL")).toLongLong() > 0;
}

std::optional<ScriptError> firstScriptError(db::Session& session, const QString& script, const QString& owner)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select script_counter, script_err from vexo_util.vexo_exs\n"
                            "where script_name=:skripta and script_stat='E'")
        + (owner.isEmpty() ? QString() : QStringLiteral(" and script_owner=:upor"))
        + QStringLiteral("\norder by script_counter"));
    q.setVariable(QStringLiteral("skripta"), script);
    if (!owner.isEmpty())
        q.setVariable(QStringLiteral("upor"), owner);
    q.execute();
    if (q.eof())
        return std::nullopt;
    return ScriptError { q.field(0).toInt(), q.field(1).toString().trimmed() };
}

std::vector<Installation> readInstallations(db::Session& session)
{
    db::Query q(&session);
    q.setSql(QString::fromLatin1(installationsQuery));
    q.execute();
    std::vector<Installation> list;
    for (; !q.eof(); q.next())
        list.push_back(installationOf(q));
    return list;
}

void saveInstallationStatus(db::Session& session, int index, const QString& status, const QString& date)
{
    db::Query q(&session);
    q.setSql(QString::fromLatin1(installationStatusUpdate));
    q.declareVariable(QStringLiteral("status"), db::BindType::String);
    q.declareVariable(QStringLiteral("datum"), db::BindType::String);
    q.declareVariable(QStringLiteral("upor"), db::BindType::Integer);
    q.setVariable(QStringLiteral("status"), status);
    q.setVariable(QStringLiteral("datum"), date);
    q.setVariable(QStringLiteral("upor"), index);
    q.execute();
    session.commit();
}

std::optional<Installation> installationOfUser(db::Session& session, const QString& user)
{
    db::Query q(&session);
    q.setSql(QString::fromLatin1(installationOfUserQuery));
    q.setVariable(QStringLiteral("upor"), user);
    q.execute();
    if (q.eof())
        return std::nullopt;
    return installationOf(q);
}

bool installationsTableOpens(db::Session& session)
{
    try {
        db::Query q(&session);
        q.setSql(QStringLiteral("select * from VEXO_UTIL.VEXO_INSTALATIONS"));
        q.execute();
        return true;
    } catch (const db::OracleError&) {
        return false;
    }
}

} // namespace deploy

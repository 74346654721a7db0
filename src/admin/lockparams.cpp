// The locking parameters.
#include "admin/lockparams.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"

#include <QRegularExpression>

namespace admin {

QStringList savedLockParams()
{
    return { QStringLiteral("LockEnabled"), QStringLiteral("AlarmEnabled"), QStringLiteral("aiLockingDurationTime"),
        QStringLiteral("aiLockingCleaningPeriod"), QStringLiteral("aiLockingPreserveLocks") };
}

QString lockingModeQuery()
{
    return QStringLiteral("select rowid, sifra007, app__007, userdef1, wksid107, sifrax31, val1_107, sifra107 \n"
                          "from VOXA.PR107PAR \n"
                          "where ATTR_007 = 'aiLockingMode'\n"
                          "and STAT_107 = '1'");
}

QString LoadLockParam(db::Session& session, const QString& attribute)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select val1_107 from voxa.pr107par\nwhere attr_007=:attr and stat_107='1'"));
    q.declareVariable(QStringLiteral("ATTR"), db::BindType::String);
    q.setVariable(QStringLiteral("ATTR"), attribute);
    q.execute();
    return q.eof() ? QString() : q.field(0).toString();
}

qint64 SaveLockParam(db::Session& session, const QString& attribute, const QString& value)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("update voxa.pr107par  set val1_107=:val where attr_007=:attr and stat_107='1' "));
    q.declareVariable(QStringLiteral("VAL"), db::BindType::String);
    q.declareVariable(QStringLiteral("ATTR"), db::BindType::String);
    q.setVariable(QStringLiteral("VAL"), value.isEmpty() ? QVariant() : QVariant(value));
    q.setVariable(QStringLiteral("ATTR"), attribute);
    q.execute();
    return q.rowsProcessed();
}

qint64 SaveLockParamByKey(db::Session& session, qint64 sifra107, const QString& value)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("update voxa.pr107par  set val1_107=:val where stat_107='1' and sifra107 = :sifra107"));
    q.declareVariable(QStringLiteral("VAL"), db::BindType::String);
    q.declareVariable(QStringLiteral("SIFRA107"), db::BindType::Integer);
    q.setVariable(QStringLiteral("VAL"), value.isEmpty() ? QVariant() : QVariant(value));
    q.setVariable(QStringLiteral("SIFRA107"), sifra107);
    q.execute();
    return q.rowsProcessed();
}

QString jobQueueProcesses(db::Session& session)
{
    db::Query q(&session);
    q.setSql(QStringLiteral("select value from v$parameter where upper(name)='JOB_QUEUE_PROCESSES'"));
    q.execute();
    return q.eof() ? QString() : q.field(0).toString();
}

void setJobQueueProcesses(db::Session& session, const QString& value)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,9}$"));
    const QString v = value.trimmed();
    if (!digits.match(v).hasMatch())
        throw db::OracleError(2097,
            QStringLiteral("ORA-02097: parameter cannot be modified because specified value "
                           "is invalid\nORA-00096: invalid value %1 for parameter "
                           "job_queue_processes")
                .arg(value));
    db::Query q(&session);
    q.setSql(QStringLiteral("alter system set job_queue_processes=") + v);
    q.execute();
}

bool validLockDuration(const QString& text)
{
    bool ok = false;
    const int minutes = text.trimmed().toInt(&ok);
    return ok && minutes > 9;
}

} // namespace admin

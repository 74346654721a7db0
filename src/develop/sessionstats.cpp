#include "develop/sessionstats.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace develop {

namespace {

std::optional<int> sidFrom(db::Session& session, const QString& sql)
{
    try {
        db::Query q(&session);
        q.setSql(sql);
        q.execute();
        if (q.eof() || q.fieldIsNull(0))
            return std::nullopt;
        bool ok = false;
        const int sid = q.field(0).toString().toInt(&ok);
        return ok ? std::optional<int>(sid) : std::nullopt;
    } catch (const db::OracleError&) {
        return std::nullopt;
    }
}

} // namespace

int ownSessionSid(db::Session& session)
{
    if (!session.connected())
        return -1;
    // SYS_CONTEXT needs no privilege; releases before it know SID only through V$MYSTAT.
    if (auto sid = sidFrom(session, QStringLiteral("select sys_context('USERENV','SID') sid from dual")))
        return *sid;
    if (auto sid = sidFrom(session, QStringLiteral("select sid from v$mystat where rownum=1")))
        return *sid;
    return -1;
}

bool SessionStatistics::attach(db::Session& session)
{
    // Made here, on the window's thread, although the reads run on its worker: a QObject belongs to the thread
    // that made it.
    if (!quSesStat) {
        quSesStat = std::make_unique<db::Query>(&session);
        quSesStat->setSql(QString::fromLatin1(sessIoSql));
    }
    std::fill(std::begin(columns), std::end(columns), -1);
    ORACLESid = ownSessionSid(session);
    on = ORACLESid >= 0;
    i = s = SessionIo {};
    readOn = nullptr;
    lastError = on ? QString() : QStringLiteral("The session number could not be read.");
    return on;
}

SessionStatistics::SessionStatistics() = default;
SessionStatistics::~SessionStatistics() = default;

bool SessionStatistics::read(db::Session& session, SessionIo& into)
{
    if (!on)
        return false;
    readOn = nullptr;
    static const char* const names[5]
        = { "BLOCK_GETS", "CONSISTENT_GETS", "PHYSICAL_READS", "BLOCK_CHANGES", "CONSISTENT_CHANGES" };
    try {
        db::Query& q = *quSesStat;
        q.setSession(&session);
        q.setVariable(QStringLiteral("sid"), ORACLESid);
        q.execute();
        if (q.eof())
            throw db::OracleError::client(QStringLiteral("Session %1 is not in V$SESS_IO.").arg(ORACLESid));
        qint64 values[5] = {};
        for (int k = 0; k < 5; ++k) {
            if (columns[k] < 0 || columns[k] >= q.fieldCount())
                columns[k] = q.fieldIndex(QString::fromLatin1(names[k]));
            if (columns[k] < 0)
                throw db::OracleError::client(QStringLiteral("V$SESS_IO has no column %1.").arg(QLatin1String(names[k])));
            values[k] = q.field(columns[k]).toLongLong();
        }
        into = { values[0], values[1], values[2], values[3], values[4] };
        q.close();
    } catch (const db::OracleError& e) {
        if (quSesStat)
            quSesStat->close();
        i = s = SessionIo {};
        // A Break that reached the read instead of the statement: this run's figures are lost, the statistics
        // are not.
        if (e.code() == 1013)
            return false;
        on = false;
        lastError = e.message();
        return false;
    }
    readOn = &session;
    callsAfterRead = session.callCount();
    lastRead = into;
    return true;
}

bool SessionStatistics::before(db::Session& session)
{
    // Statements run one after another read the counters once between them, not twice.
    if (on && readOn == &session && session.callCount() == callsAfterRead) {
        i = lastRead;
        return true;
    }
    return read(session, i);
}

bool SessionStatistics::after(db::Session& session)
{
    return read(session, s);
}

} // namespace develop

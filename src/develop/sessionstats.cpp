#include "develop/sessionstats.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"

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
    ORACLESid = ownSessionSid(session);
    on = ORACLESid >= 0;
    i = s = SessionIo {};
    readOn = nullptr;
    lastError = on ? QString() : QStringLiteral("The session number could not be read.");
    return on;
}

bool SessionStatistics::read(db::Session& session, SessionIo& into)
{
    if (!on)
        return false;
    readOn = nullptr;
    try {
        db::Query q(&session);
        q.setSql(QString::fromLatin1(sessIoSql));
        q.setVariable(QStringLiteral("sid"), ORACLESid);
        q.execute();
        if (q.eof())
            throw db::OracleError::client(QStringLiteral("Session %1 is not in V$SESS_IO.").arg(ORACLESid));
        auto value = [&q](const char* name) { return q.field(QString::fromLatin1(name)).toLongLong(); };
        into = { value("BLOCK_GETS"), value("CONSISTENT_GETS"), value("PHYSICAL_READS"), value("BLOCK_CHANGES"),
            value("CONSISTENT_CHANGES") };
        q.close();
    } catch (const db::OracleError& e) {
        on = false;
        lastError = e.message();
        i = s = SessionIo {};
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

#include "db/session.h"

#include "db/dataset.h"
#include "db/drivers.h"

#include <QRegularExpression>

#include <chrono>

namespace db {

namespace {

// A cursor as the session hands it out: before each fetch it checks that the logon that opened it is still the
// session's, so that a cursor read after a logoff, or after its session is gone, fails as Oracle's client does
// instead of reaching what looks like the end of its rows.
class LogonCursor : public driver::Cursor {
public:
    LogonCursor(std::shared_ptr<driver::Cursor> cursor, std::shared_ptr<Session::LogonState> state)
        : cursor(std::move(cursor))
        , state(std::move(state))
        , serial(this->state->serial.load())
    {
    }
    const std::vector<driver::Column>& columns() const override { return cursor->columns(); }
    bool next() override
    {
        if (state->gone.load())
            throw OracleError(3114, QStringLiteral("ORA-03114: not connected to ORACLE"));
        if (state->serial.load() != serial)
            throw OracleError(1012, QStringLiteral("ORA-01012: not logged on"));
        return cursor->next();
    }
    QVariant value(int i) const override { return cursor->value(i); }
    void close() override { cursor->close(); }

private:
    std::shared_ptr<driver::Cursor> cursor;
    std::shared_ptr<Session::LogonState> state;
    quint64 serial;
};

} // namespace

Session::Session(QObject* parent)
    : QObject(parent)
{
}

Session::Call::Call(const Session& s)
    : lock(s.callMutex)
{
    s.calls.fetch_add(1, std::memory_order_acq_rel);
}

Session::~Session()
{
    logonState->gone = true;
    std::unique_lock<std::recursive_timed_mutex> call(callMutex, std::defer_lock);
    std::shared_ptr<driver::Connection> c = detach(call);
    c.reset();
}

std::shared_ptr<driver::Connection> Session::detach(std::unique_lock<std::recursive_timed_mutex>& call)
{
    std::shared_ptr<driver::Connection> c;
    {
        std::lock_guard lock(connectionMutex);
        c = std::move(connection);
        connection.reset();
        ++logonState->serial;
    }
    // A call still running on another thread keeps the connection it took; it is broken until it lets go.
    if (!call.try_lock()) {
        while (c && !call.try_lock_for(std::chrono::milliseconds(50)))
            c->interrupt();
        if (!call.owns_lock())
            call.lock();
    }
    calls.fetch_add(1, std::memory_order_acq_rel);
    return c;
}

void Session::setDriver(std::shared_ptr<driver::Driver> driver)
{
    fixedDriver = std::move(driver);
}

void Session::logOn()
{
    const Call call(*this);
    if (connected())
        logOff();
    std::shared_ptr<driver::Driver> driver = fixedDriver ? fixedDriver : driverForDatabase(logon.database);
    std::shared_ptr<driver::Connection> c = driver->logOn(logon);
    const QString serverVersionText = c->serverVersion();
    if (output)
        c->enableOutput(outputSize);
    {
        std::lock_guard lock(connectionMutex);
        connection = std::move(c);
        ++logonState->serial;
        kind = driver->databaseKind();
        version = serverVersionText;
        nlsDateFormat = QStringLiteral("DD-MON-RR");
    }
    emit loggedOn();
}

void Session::logOff()
{
    std::unique_lock<std::recursive_timed_mutex> call(callMutex, std::defer_lock);
    std::shared_ptr<driver::Connection> c = detach(call);
    if (!c)
        return;
    // As Oracle does at a normal logoff, an open transaction is committed only by an explicit commit: roll back.
    try {
        if (c->inTransaction())
            c->rollback();
    } catch (const OracleError&) {
    }
    c.reset();
    {
        std::lock_guard lock(connectionMutex);
        kind.clear();
        version.clear();
    }
    emit loggedOff();
}

bool Session::connected() const
{
    std::lock_guard lock(connectionMutex);
    return connection != nullptr;
}

std::shared_ptr<driver::Connection> Session::connectionOrThrow() const
{
    std::lock_guard lock(connectionMutex);
    if (!connection)
        throw OracleError(3114, QStringLiteral("ORA-03114: not connected to ORACLE"));
    return connection;
}

void Session::commit()
{
    const Call call(*this);
    connectionOrThrow()->commit();
}

void Session::rollback()
{
    const Call call(*this);
    connectionOrThrow()->rollback();
}

bool Session::inTransaction() const
{
    std::shared_ptr<driver::Connection> c;
    {
        std::lock_guard lock(connectionMutex);
        c = connection;
    }
    // Not behind the call lock: a window asks while its worker runs a statement, and drivers answer this at once.
    return c && c->inTransaction();
}

void Session::breakExecution()
{
    std::shared_ptr<driver::Connection> c;
    {
        std::lock_guard lock(connectionMutex);
        c = connection;
    }
    if (c)
        c->interrupt();
}

void Session::enableOutput(qint64 bufferSize)
{
    std::lock_guard calls(callMutex);
    output = true;
    outputSize = bufferSize;
    if (connected())
        connectionOrThrow()->enableOutput(bufferSize);
}

void Session::disableOutput()
{
    std::lock_guard calls(callMutex);
    output = false;
    if (connected())
        connectionOrThrow()->disableOutput();
}

QStringList Session::takeOutputLines()
{
    std::lock_guard calls(callMutex);
    if (!connected())
        return {};
    return connectionOrThrow()->takeOutputLines();
}

QString Session::databaseKind() const
{
    return connected() ? kind : QString();
}

QString Session::serverVersion() const
{
    std::lock_guard calls(callMutex);
    return connected() ? connectionOrThrow()->serverVersion() : QString();
}

QString Session::serverMajorVersion() const
{
    static const QRegularExpression release(QStringLiteral("(\\d+)\\.\\d+"));
    const QRegularExpressionMatch m = release.match(serverVersion());
    return m.hasMatch() ? m.captured(1) : QString();
}

QString Session::dateFormat() const
{
    std::lock_guard lock(connectionMutex);
    return nlsDateFormat;
}

driver::Result Session::execute(const QString& sql, std::vector<driver::Bind>& binds)
{
    const Call call(*this);
    driver::Result r = connectionOrThrow()->execute(sql, binds);
    noteStatement(sql, r.kind);
    guardCursors(r, binds);
    return r;
}

void Session::guardCursors(driver::Result& r, std::vector<driver::Bind>& binds) const
{
    if (r.cursor)
        r.cursor = std::make_unique<LogonCursor>(std::shared_ptr<driver::Cursor>(std::move(r.cursor)), logonState);
    for (driver::Bind& b : binds)
        if (b.cursor)
            b.cursor = std::make_shared<LogonCursor>(std::move(b.cursor), logonState);
}

bool Session::fetch(driver::Cursor& cursor)
{
    const Call call(*this);
    return cursor.next();
}

void Session::closeCursor(driver::Cursor& cursor)
{
    const Call call(*this);
    try {
        cursor.close();
    } catch (const OracleError&) {
    }
}

void Session::noteStatement(const QString& sql, StatementKind statementKind)
{
    if (statementKind != StatementKind::AlterSession)
        return;
    // The data sets show dates in the session's format; the server does not report it, so follow what was set.
    static const QRegularExpression setFormat(
        QStringLiteral("nls_date_format\\s*=\\s*(?:'((?:[^']|'')*)'|\"([^\"]*)\")"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = setFormat.match(sql);
    if (m.hasMatch())
        nlsDateFormat
            = m.capturedLength(1) > 0 ? m.captured(1).replace(QLatin1String("''"), QLatin1String("'")) : m.captured(2);
}

void Session::applyUpdates(const QList<DataSet*>& dataSets, bool commit)
{
    const Call call(*this);
    std::shared_ptr<driver::Connection> c = connectionOrThrow();
    // One savepoint and one commit cover the data sets only when they all live on this session.
    for (DataSet* ds : dataSets)
        if (ds && ds->session() != this)
            throw OracleError::client(QStringLiteral("Data set %1 belongs to another session").arg(ds->objectName()));
    for (DataSet* ds : dataSets)
        if (ds)
            ds->postPending();

    static const QString savepoint = QStringLiteral("DREMMOX_APPLY_UPDATES");
    const bool wasInTransaction = c->inTransaction();
    bool haveSavepoint = false;
    try {
        std::vector<driver::Bind> none;
        c->execute(QStringLiteral("savepoint ") + savepoint, none);
        haveSavepoint = true;
    } catch (const OracleError&) {
        // Without savepoints a failure can still be undone exactly when no transaction was open before.
    }
    try {
        for (DataSet* ds : dataSets)
            if (ds)
                ds->applyPending();
        if (commit)
            c->commit();
    } catch (...) {
        try {
            std::vector<driver::Bind> none;
            if (haveSavepoint)
                c->execute(QStringLiteral("rollback to savepoint ") + savepoint, none);
            else if (!wasInTransaction)
                c->rollback();
        } catch (const OracleError&) {
        }
        for (DataSet* ds : dataSets)
            if (ds)
                ds->discardApplied();
        throw;
    }
    for (DataSet* ds : dataSets)
        if (ds)
            ds->commitUpdates();
}

void Session::cancelUpdates(const QList<DataSet*>& dataSets)
{
    for (DataSet* ds : dataSets)
        if (ds)
            ds->cancelUpdates();
}

} // namespace db

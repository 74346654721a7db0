// db::Session: one logon to a database through the driver its name resolves to. Safe to use from several
// threads: calls are serialised, while breakExecution reaches the running call from any thread.
#pragma once

#include "db/driver.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>

namespace db {

class DataSet;

class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(QObject* parent = nullptr);
    ~Session() override;

    // Logon values.
    void setUserName(const QString& user) { logon.user = user; }
    QString userName() const { return logon.user; }
    void setPassword(const QString& password) { logon.password = password; }
    QString password() const { return logon.password; }
    void setDatabase(const QString& database) { logon.database = database; }
    QString database() const { return logon.database; }
    void setSysdba(bool sysdba) { logon.sysdba = sysdba; }
    bool sysdba() const { return logon.sysdba; }

    // Serves this session by the given driver instead of resolving the database name (the Oracle client's
    // driver module and tests use it).
    void setDriver(std::shared_ptr<driver::Driver> driver);

    void logOn(); // throws OracleError; a connected session logs off first
    // Ends the logon. A call running on another thread is broken first (it fails with ORA-01013) rather than
    // waited for. Cursors of the logon fail with ORA-01012 when read afterwards.
    void logOff();
    bool connected() const;

    void commit();
    void rollback();
    // Exactly what the server says: true after DML, SELECT FOR UPDATE, LOCK TABLE or SET TRANSACTION until the
    // transaction ends. False when not connected.
    bool inTransaction() const;
    // Makes the call running on this session (from another thread) fail with ORA-01013. Does nothing when idle.
    void breakExecution();

    // Server output (DBMS_OUTPUT).
    void enableOutput(qint64 bufferSize = 100000);
    void disableOutput();
    bool outputEnabled() const { return output; }
    // The lines written since the last call, oldest first.
    QStringList takeOutputLines();

    // Applies the cached updates of the data sets in one go and, with commit, commits; then the data sets forget
    // them. On a failure the server is put back to where it was before and every data set keeps its updates.
    void applyUpdates(const QList<DataSet*>& dataSets, bool commit);
    // Drops the cached updates of the data sets.
    void cancelUpdates(const QList<DataSet*>& dataSets);

    // "Embedded" or "Oracle"; empty when not connected.
    QString databaseKind() const;
    QString serverVersion() const;
    // The major version, as the main window keeps it ("11"); empty when not connected.
    QString serverMajorVersion() const;
    // The session's NLS_DATE_FORMAT as last set through this session (Oracle's default "DD-MON-RR" until then).
    QString dateFormat() const;

    // For Query and DataSet: one statement or one fetch, serialised with every other call on the session.
    driver::Result execute(const QString& sql, std::vector<driver::Bind>& binds);
    bool fetch(driver::Cursor& cursor);
    // Closes a cursor, serialised with the session's calls; errors of closing are of no interest.
    void closeCursor(driver::Cursor& cursor);

    // Counts the calls that read or change data through the connection (statements, fetches, commits, logons;
    // not the DBMS_OUTPUT buffer's calls). A caller that sees the same count twice knows the session's I/O
    // counters stood still in between.
    quint64 callCount() const { return calls.load(std::memory_order_acquire); }

    // Which logon the session is at: a cursor remembers the one that opened it. Shared with the cursors, which may
    // outlive the session.
    struct LogonState {
        std::atomic<quint64> serial { 0 }; // changes at every logon and logoff
        std::atomic<bool> gone { false }; // the session was destroyed
    };

signals:
    void loggedOn();
    void loggedOff();

private:
    std::shared_ptr<driver::Connection> connectionOrThrow() const;
    // Takes the connection away from new calls and breaks the call running on it, if any; returns it, with the
    // call lock held by the caller's `call`.
    std::shared_ptr<driver::Connection> detach(std::unique_lock<std::recursive_timed_mutex>& call);
    // The cursors a call returns (its result and REF CURSOR binds) check the logon before every fetch.
    void guardCursors(driver::Result& r, std::vector<driver::Bind>& binds) const;
    void noteStatement(const QString& sql, StatementKind kind);

    driver::LogonValues logon;
    std::shared_ptr<driver::Driver> fixedDriver;
    bool output = false;
    qint64 outputSize = 100000;

    // callMutex serialises calls; connectionMutex guards the connection pointer and what the logon found, so
    // breakExecution and the questions a grid asks while a call runs never wait for the call.
    mutable std::recursive_timed_mutex callMutex;
    mutable std::atomic<quint64> calls { 0 };
    // Holds callMutex for one call and counts it.
    struct Call {
        explicit Call(const Session& s);
        std::lock_guard<std::recursive_timed_mutex> lock;
    };
    std::shared_ptr<LogonState> logonState = std::make_shared<LogonState>();
    mutable std::mutex connectionMutex;
    std::shared_ptr<driver::Connection> connection;
    QString kind;
    QString version;
    QString nlsDateFormat = QStringLiteral("DD-MON-RR");
};

} // namespace db

// What a session, statement and cursor need of a database driver. The embedded engine (db/embedded) and Oracle's
// client library (db/oci) plug in behind this interface; nothing above src/db knows which one serves a session.
#pragma once

#include "db/oracleerror.h"
#include "db/types.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

namespace db::driver {

struct Column {
    QString name;
    FieldType type = FieldType::Varchar2;
    int size = 0;
    int precision = 0;
    int scale = 0;
    bool nullable = true;
};

// Rows of a query, fetched as next() is called. Calls come serialised through the owning db::Session.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual const std::vector<Column>& columns() const = 0;
    virtual bool next() = 0; // throws OracleError (ORA-01013 after a break)
    virtual QVariant value(int i) const = 0;
    virtual void close() = 0;
};

struct Bind {
    QString name; // upper case, no colon
    BindDirection direction = BindDirection::In;
    FieldType type = FieldType::Varchar2;
    QVariant value;
    std::shared_ptr<Cursor> cursor; // a REF CURSOR the statement opened
};

struct Result {
    StatementKind kind = StatementKind::Other;
    qint64 rowsProcessed = 0;
    std::unique_ptr<Cursor> cursor;
    std::optional<OracleError> warning; // success with a warning, e.g. ORA-24344 success with compilation error
};

// One logon. Errors are thrown as db::OracleError with the offset of the offending token in the statement.
class Connection {
public:
    virtual ~Connection() = default;
    virtual Result execute(const QString& sql, std::vector<Bind>& binds) = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;
    // Called from any thread while another thread runs a call: that call fails with ORA-01013.
    virtual void interrupt() = 0;
    virtual void enableOutput(qint64 bufferSize) = 0;
    virtual void disableOutput() = 0;
    virtual QStringList takeOutputLines() = 0;
    virtual QString serverVersion() const = 0;
};

struct LogonValues {
    QString user;
    QString password;
    QString database;
    bool sysdba = false;
};

class Driver {
public:
    virtual ~Driver() = default;
    // "Embedded" or "Oracle": what kind of server the sessions of this driver reach.
    virtual QString databaseKind() const = 0;
    virtual std::unique_ptr<Connection> logOn(const LogonValues& logon) = 0; // throws OracleError
};

} // namespace db::driver

// An in-memory stand-in for a server, for testing the access layer's own logic (states, cached updates,
// fetching, binds, breaks) apart from any engine: a few tables, the statement shapes the data sets send, and
// hooks for statements a test scripts itself.
#pragma once

#include "db/driver.h"

#include <QRegularExpression>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

namespace fake {

struct Table {
    QStringList columns;
    std::vector<db::FieldType> types;
    struct Row {
        qint64 id;
        std::vector<QVariant> values;
    };
    std::vector<Row> rows;
    qint64 nextId = 1;

    void add(std::vector<QVariant> values) { rows.push_back({ nextId++, std::move(values) }); }
};

QString rowidOf(qint64 id);

class Connection;

struct Server {
    std::mutex mutex;
    std::map<QString, Table> tables; // by upper-case name
    QStringList log; // every statement executed, in order
    std::vector<std::vector<db::driver::Bind>> bindLog; // the binds of each statement
    // Throws OracleError to refuse a row written to a table (a check constraint of the test's making).
    std::function<void(const QString& table, const std::vector<QVariant>& row)> check;
    bool supportsSavepoints = true;
    bool supportsReturning = true;

    // "select * from BIG": this many rows made up as they are fetched, and how many were fetched.
    qint64 bigRows = 1000000;
    std::atomic<qint64> bigFetched { 0 };
    // Set while a call waits for a break ("begin wait; end;" or a fetch from SLOW).
    std::atomic<bool> waiting { false };

    using Handler = std::function<db::driver::Result(Connection&, std::vector<db::driver::Bind>&)>;
    std::vector<std::pair<QRegularExpression, Handler>> handlers;
    void on(const QString& pattern, Handler h)
    {
        handlers.emplace_back(QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption), std::move(h));
    }
};

class Connection : public db::driver::Connection {
public:
    explicit Connection(std::shared_ptr<Server> server)
        : server(std::move(server))
    {
    }
    db::driver::Result execute(const QString& sql, std::vector<db::driver::Bind>& binds) override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return inTx.load(); }
    void interrupt() override;
    void enableOutput(qint64) override { output = true; }
    void disableOutput() override { output = false; }
    QStringList takeOutputLines() override;
    QString serverVersion() const override { return QStringLiteral("Fake Database 11g Release 11.2.0.4.0"); }

    // For handlers.
    void putLine(const QString& line);
    void markTransaction();
    // Blocks until interrupt(); then throws ORA-01013.
    void waitForBreak();

    std::shared_ptr<Server> server;

private:
    friend class TableCursor;
    db::driver::Result select(const QString& original, const QString& sql, std::vector<db::driver::Bind>& binds);
    bool matches(
        const Table& t, const Table::Row& row, const QString& where, const std::vector<db::driver::Bind>& binds) const;

    std::optional<std::map<QString, Table>> txSnapshot;
    std::vector<std::pair<QString, std::map<QString, Table>>> savepoints;
    std::atomic<bool> inTx { false };
    std::mutex breakMutex;
    std::condition_variable breakCv;
    bool interrupted = false;
    bool output = false;
    QStringList lines;
};

class Driver : public db::driver::Driver {
public:
    explicit Driver(std::shared_ptr<Server> server)
        : server(std::move(server))
    {
    }
    QString databaseKind() const override { return QStringLiteral("Fake"); }
    std::unique_ptr<db::driver::Connection> logOn(const db::driver::LogonValues& logon) override;

    std::shared_ptr<Server> server;
    std::atomic<Connection*> last { nullptr };
};

// A cursor over rows given in full.
class RowsCursor : public db::driver::Cursor {
public:
    RowsCursor(std::vector<db::driver::Column> columns, std::vector<std::vector<QVariant>> rows)
        : cols(std::move(columns))
        , data(std::move(rows))
    {
    }
    const std::vector<db::driver::Column>& columns() const override { return cols; }
    bool next() override { return ++pos < int(data.size()); }
    QVariant value(int i) const override { return data[size_t(pos)][size_t(i)]; }
    void close() override { }

private:
    std::vector<db::driver::Column> cols;
    std::vector<std::vector<QVariant>> data;
    int pos = -1;
};

} // namespace fake

#include "db/embedded/embeddeddriver.h"

#include "engine/engine.h"

#include <QDateTime>
#include <QDir>
#include <QHash>

#include <mutex>

namespace db::embedded {

namespace {

FieldType fromOraType(engine::OraType t)
{
    switch (t) {
    case engine::OraType::Varchar2:
        return FieldType::Varchar2;
    case engine::OraType::Char:
        return FieldType::Char;
    case engine::OraType::Number:
        return FieldType::Number;
    case engine::OraType::Date:
        return FieldType::Date;
    case engine::OraType::Long:
        return FieldType::Long;
    case engine::OraType::Clob:
        return FieldType::Clob;
    case engine::OraType::Blob:
        return FieldType::Blob;
    case engine::OraType::Raw:
        return FieldType::Raw;
    case engine::OraType::Rowid:
        return FieldType::Rowid;
    case engine::OraType::RefCursor:
        return FieldType::RefCursor;
    case engine::OraType::Timestamp:
    case engine::OraType::TimestampLtz:
        return FieldType::Date; // a date-time with its fractions
    case engine::OraType::TimestampTz:
    case engine::OraType::IntervalYM:
    case engine::OraType::IntervalDS:
        return FieldType::Varchar2; // Oracle's text of the value
    }
    return FieldType::Varchar2;
}

engine::OraType toOraType(FieldType t)
{
    switch (t) {
    case FieldType::Varchar2:
        return engine::OraType::Varchar2;
    case FieldType::Char:
        return engine::OraType::Char;
    case FieldType::Number:
        return engine::OraType::Number;
    case FieldType::Date:
        return engine::OraType::Date;
    case FieldType::Long:
        return engine::OraType::Long;
    case FieldType::Clob:
        return engine::OraType::Clob;
    case FieldType::Blob:
        return engine::OraType::Blob;
    case FieldType::Raw:
        return engine::OraType::Raw;
    case FieldType::Rowid:
        return engine::OraType::Rowid;
    case FieldType::RefCursor:
        return engine::OraType::RefCursor;
    }
    return engine::OraType::Varchar2;
}

engine::BindDir toBindDir(BindDirection d)
{
    switch (d) {
    case BindDirection::In:
        return engine::BindDir::In;
    case BindDirection::Out:
        return engine::BindDir::Out;
    case BindDirection::InOut:
        return engine::BindDir::InOut;
    }
    return engine::BindDir::In;
}

StatementKind fromKind(engine::StatementKind k)
{
    switch (k) {
    case engine::StatementKind::Select:
        return StatementKind::Select;
    case engine::StatementKind::Insert:
        return StatementKind::Insert;
    case engine::StatementKind::Update:
        return StatementKind::Update;
    case engine::StatementKind::Delete:
        return StatementKind::Delete;
    case engine::StatementKind::PlSql:
        return StatementKind::PlSql;
    case engine::StatementKind::Ddl:
        return StatementKind::Ddl;
    case engine::StatementKind::Commit:
        return StatementKind::Commit;
    case engine::StatementKind::Rollback:
        return StatementKind::Rollback;
    case engine::StatementKind::Savepoint:
        return StatementKind::Savepoint;
    case engine::StatementKind::SetTransaction:
        return StatementKind::SetTransaction;
    case engine::StatementKind::AlterSession:
        return StatementKind::AlterSession;
    case engine::StatementKind::LockTable:
        return StatementKind::LockTable;
    case engine::StatementKind::Other:
        return StatementKind::Other;
    }
    return StatementKind::Other;
}

OracleError toOracleError(const engine::Error& e, const QString& sql)
{
    OracleError err(e.code(), QString::fromStdString(e.message()), utf16OffsetOf(sql, e.offset()));
    return err;
}

class EmbeddedCursor : public driver::Cursor {
public:
    EmbeddedCursor(std::shared_ptr<engine::Cursor> cursor)
        : cursor(std::move(cursor))
    {
        for (const engine::ColumnDesc& c : this->cursor->columns())
            cols.push_back(
                { QString::fromStdString(c.name), fromOraType(c.type), c.size, c.precision, c.scale, c.nullable });
    }
    const std::vector<driver::Column>& columns() const override { return cols; }
    bool next() override
    {
        try {
            return cursor->next();
        } catch (const engine::Error& e) {
            throw toOracleError(e, {});
        }
    }
    QVariant value(int i) const override { return toVariant(cursor->value(i), cols.at(size_t(i)).type); }
    void close() override { cursor->close(); }

private:
    std::shared_ptr<engine::Cursor> cursor;
    std::vector<driver::Column> cols;
};

class EmbeddedConnection : public driver::Connection {
public:
    EmbeddedConnection(std::shared_ptr<engine::Database> database, std::unique_ptr<engine::Session> session)
        : database(std::move(database))
        , session(std::move(session))
    {
    }

    driver::Result execute(const QString& sql, std::vector<driver::Bind>& binds) override
    {
        std::vector<engine::Bind> ebinds;
        ebinds.reserve(binds.size());
        for (const driver::Bind& b : binds) {
            engine::Bind eb;
            eb.name = b.name.toStdString();
            eb.dir = toBindDir(b.direction);
            eb.type = toOraType(b.type);
            if (b.direction != BindDirection::Out)
                eb.value = toEngineValue(b.value, b.type);
            ebinds.push_back(std::move(eb));
        }
        engine::ExecResult er;
        try {
            er = session->execute(sql.toStdString(), ebinds);
        } catch (const engine::Error& e) {
            throw toOracleError(e, sql);
        }
        for (size_t i = 0; i < binds.size() && i < ebinds.size(); ++i) {
            if (binds[i].direction == BindDirection::In)
                continue;
            binds[i].value = toVariant(ebinds[i].value, binds[i].type);
            if (ebinds[i].cursor)
                binds[i].cursor = std::make_shared<EmbeddedCursor>(ebinds[i].cursor);
        }
        driver::Result r;
        r.kind = fromKind(er.kind);
        r.rowsProcessed = er.rowsProcessed;
        if (er.cursor)
            r.cursor = std::make_unique<EmbeddedCursor>(std::shared_ptr<engine::Cursor>(std::move(er.cursor)));
        if (er.warning)
            r.warning = toOracleError(*er.warning, sql);
        return r;
    }

    void commit() override
    {
        guarded([&] { session->commit(); });
    }
    void rollback() override
    {
        guarded([&] { session->rollback(); });
    }
    bool inTransaction() const override { return session->inTransaction(); }
    void interrupt() override { session->interrupt(); }
    void enableOutput(qint64 bufferSize) override { session->enableOutput(bufferSize); }
    void disableOutput() override { session->disableOutput(); }
    QStringList takeOutputLines() override
    {
        QStringList lines;
        for (const std::string& l : session->takeOutputLines())
            lines << QString::fromStdString(l);
        return lines;
    }
    QString serverVersion() const override { return QString::fromStdString(session->serverVersion()); }

private:
    template <class F> void guarded(F f)
    {
        try {
            f();
        } catch (const engine::Error& e) {
            throw toOracleError(e, {});
        }
    }

    std::shared_ptr<engine::Database> database; // kept open while a session of it lives
    std::unique_ptr<engine::Session> session;
};

// The process's open databases, by directory. A database stays open while a session uses it.
struct OpenDatabases {
    std::mutex mutex;
    QHash<QString, std::weak_ptr<engine::Database>> byDirectory;

    std::shared_ptr<engine::Database> open(const QString& dir)
    {
        std::lock_guard lock(mutex);
        const QString key = QDir(dir).canonicalPath().isEmpty() ? QDir::cleanPath(dir) : QDir(dir).canonicalPath();
        if (auto db = byDirectory.value(key).lock())
            return db;
        std::shared_ptr<engine::Database> db;
        try {
            db = engine::Database::open(key.toStdString());
        } catch (const engine::Error& e) {
            throw toOracleError(e, {});
        }
        byDirectory.insert(key, db);
        return db;
    }
};

OpenDatabases& openDatabases()
{
    static OpenDatabases d;
    return d;
}

class EmbeddedDriver : public driver::Driver {
public:
    explicit EmbeddedDriver(QString dir)
        : dir(std::move(dir))
    {
    }
    QString databaseKind() const override { return QStringLiteral("Embedded"); }
    std::unique_ptr<driver::Connection> logOn(const driver::LogonValues& logon) override
    {
        std::shared_ptr<engine::Database> database = openDatabases().open(dir);
        std::unique_ptr<engine::Session> session;
        try {
            session = database->logOn(logon.user.toStdString(), logon.password.toStdString(), logon.sysdba);
        } catch (const engine::Error& e) {
            throw toOracleError(e, {});
        }
        return std::make_unique<EmbeddedConnection>(std::move(database), std::move(session));
    }

private:
    QString dir;
};

} // namespace

std::shared_ptr<driver::Driver> driverForDirectory(const QString& dir)
{
    return std::make_shared<EmbeddedDriver>(dir);
}

QVariant toVariant(const engine::Value& value, FieldType type)
{
    using K = engine::Value::Kind;
    switch (value.kind) {
    case K::Null:
        return {};
    case K::Integer:
        return QVariant::fromValue<qint64>(value.integer);
    case K::Real:
        return value.real;
    case K::Date: {
        const QString text = QString::fromStdString(value.text);
        QTime time = QTime::fromString(text.mid(11, 8), QStringLiteral("HH:mm:ss"));
        // A TIMESTAMP's fraction ("...:SS.ffffff"): QDateTime holds milliseconds.
        if (text.size() > 20 && text.at(19) == QLatin1Char('.'))
            time = time.addMSecs(text.mid(20, 3).leftJustified(3, QLatin1Char('0')).toInt());
        return QDateTime(QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd")), time, Qt::UTC);
    }
    case K::Blob:
        return QByteArray::fromStdString(value.text);
    case K::Text:
        if (type == FieldType::Raw || type == FieldType::Blob)
            return QByteArray::fromStdString(value.text);
        return QString::fromStdString(value.text);
    }
    return {};
}

engine::Value toEngineValue(const QVariant& value, FieldType type)
{
    if (!value.isValid() || value.isNull())
        return engine::Value::null();
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::Long:
        return engine::Value::fromInt(value.toLongLong());
    case QMetaType::Bool:
        return engine::Value::fromInt(value.toBool() ? 1 : 0);
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (type == FieldType::Number && d == double(qint64(d)) && std::abs(d) < 9.0e15)
            return engine::Value::fromInt(qint64(d));
        return engine::Value::fromReal(d);
    }
    case QMetaType::QDateTime:
        return engine::Value::fromDate(
            value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString());
    case QMetaType::QDate:
        return engine::Value::fromDate(
            value.toDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString() + " 00:00:00");
    case QMetaType::QByteArray:
        if (type == FieldType::Blob || type == FieldType::Raw)
            return engine::Value::fromBlob(value.toByteArray().toStdString());
        return engine::Value::fromText(value.toByteArray().toStdString());
    default:
        return engine::Value::fromText(value.toString().toStdString());
    }
}

} // namespace db::embedded

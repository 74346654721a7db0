#include "fakedriver.h"

#include <QDateTime>

using db::FieldType;
using db::OracleError;
using db::StatementKind;
namespace driver = db::driver;

namespace fake {

QString rowidOf(qint64 id)
{
    return QStringLiteral("AAAFAK%1").arg(id, 12, 10, QLatin1Char('0'));
}

namespace {

QVariant bindValue(const std::vector<driver::Bind>& binds, const QString& name)
{
    for (const driver::Bind& b : binds)
        if (b.name.compare(name, Qt::CaseInsensitive) == 0)
            return b.value;
    throw OracleError(1008, QStringLiteral("ORA-01008: not all variables bound"));
}

driver::Bind* findBind(std::vector<driver::Bind>& binds, const QString& name)
{
    for (driver::Bind& b : binds)
        if (b.name.compare(name, Qt::CaseInsensitive) == 0)
            return &b;
    return nullptr;
}

// Where a name stands in the statement as sent (the server points its errors there).
int offsetOfName(const QString& sql, const QString& name)
{
    const auto m = QRegularExpression(
        QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(name)), QRegularExpression::CaseInsensitiveOption)
                       .match(sql, std::max<qsizetype>(0, sql.indexOf(QLatin1String("from"), 0, Qt::CaseInsensitive)));
    return m.hasMatch() ? int(m.capturedStart()) : -1;
}

Table& tableOf(Server& s, const QString& name, int offset)
{
    auto it = s.tables.find(name.toUpper());
    if (it == s.tables.end())
        throw OracleError(942, QStringLiteral("ORA-00942: table or view does not exist"), offset);
    return it->second;
}

int columnOf(const Table& t, const QString& name)
{
    const int i = int(t.columns.indexOf(name.toUpper()));
    if (i < 0)
        throw OracleError(904, QStringLiteral("ORA-00904: \"%1\": invalid identifier").arg(name.toUpper()));
    return i;
}

int compareValues(const QVariant& a, const QVariant& b, FieldType type)
{
    if (type == FieldType::Number) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (type == FieldType::Date && b.typeId() == QMetaType::QDateTime) {
        const QDateTime x = a.toDateTime();
        const QDateTime y = b.toDateTime();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return a.toString().compare(b.toString());
}

bool likeMatch(const QString& value, const QString& pattern)
{
    QString rx;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('%'))
            rx += QStringLiteral(".*");
        else if (c == QLatin1Char('_'))
            rx += QLatin1Char('.');
        else
            rx += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(rx)).match(value).hasMatch();
}

class BigCursor : public driver::Cursor {
public:
    explicit BigCursor(std::shared_ptr<Server> server)
        : server(std::move(server))
    {
        cols = { { QStringLiteral("ID"), FieldType::Number, 22, 10, 0, false },
            { QStringLiteral("NAME"), FieldType::Varchar2, 30, 0, 0, true } };
    }
    const std::vector<driver::Column>& columns() const override { return cols; }
    bool next() override
    {
        if (pos >= server->bigRows)
            return false;
        ++pos;
        ++server->bigFetched;
        return true;
    }
    QVariant value(int i) const override
    {
        return i == 0 ? QVariant::fromValue<qint64>(pos) : QVariant(QStringLiteral("row %1").arg(pos));
    }
    void close() override { }

private:
    std::shared_ptr<Server> server;
    std::vector<driver::Column> cols;
    qint64 pos = 0;
};

class SlowCursor : public driver::Cursor {
public:
    explicit SlowCursor(Connection& c)
        : conn(c)
    {
        cols = { { QStringLiteral("X"), FieldType::Number, 22, 0, 0, true } };
    }
    const std::vector<driver::Column>& columns() const override { return cols; }
    bool next() override
    {
        conn.waitForBreak();
        return false;
    }
    QVariant value(int) const override { return {}; }
    void close() override { }

private:
    Connection& conn;
    std::vector<driver::Column> cols;
};

} // namespace

std::unique_ptr<driver::Connection> Driver::logOn(const driver::LogonValues& logon)
{
    if (logon.password.compare(QLatin1String("wrong"), Qt::CaseInsensitive) == 0)
        throw OracleError(1017, QStringLiteral("ORA-01017: invalid username/password; logon denied"));
    auto c = std::make_unique<Connection>(server);
    last = c.get();
    return c;
}

void Connection::markTransaction()
{
    if (!txSnapshot)
        txSnapshot = server->tables;
    inTx = true;
}

void Connection::commit()
{
    std::lock_guard lock(server->mutex);
    server->log << QStringLiteral("COMMIT");
    txSnapshot.reset();
    savepoints.clear();
    inTx = false;
}

void Connection::rollback()
{
    std::lock_guard lock(server->mutex);
    server->log << QStringLiteral("ROLLBACK");
    if (txSnapshot)
        server->tables = *txSnapshot;
    txSnapshot.reset();
    savepoints.clear();
    inTx = false;
}

void Connection::interrupt()
{
    std::lock_guard lock(breakMutex);
    interrupted = true;
    breakCv.notify_all();
}

void Connection::waitForBreak()
{
    std::unique_lock lock(breakMutex);
    server->waiting = true;
    breakCv.wait(lock, [&] { return interrupted; });
    interrupted = false;
    server->waiting = false;
    throw OracleError(1013, QStringLiteral("ORA-01013: user requested cancel of current operation"));
}

void Connection::putLine(const QString& line)
{
    if (output)
        lines << line;
}

QStringList Connection::takeOutputLines()
{
    QStringList taken = lines;
    lines.clear();
    return taken;
}

driver::Result Connection::execute(const QString& sql, std::vector<driver::Bind>& binds)
{
    {
        std::lock_guard lock(breakMutex);
        interrupted = false; // a break reaches only the call running when it is given
    }
    const QString s = sql.simplified();
    {
        std::lock_guard lock(server->mutex);
        server->log << s;
        server->bindLog.push_back(binds);
    }
    for (const auto& [pattern, handler] : server->handlers)
        if (pattern.match(s).hasMatch())
            return handler(*this, binds);

    driver::Result r;
    const QString lower = s.toLower();
    if (lower == QLatin1String("begin wait; end;")) {
        waitForBreak();
    }
    if (lower.startsWith(QLatin1String("savepoint "))) {
        if (!server->supportsSavepoints)
            throw OracleError(3001, QStringLiteral("ORA-03001: unimplemented feature"));
        std::lock_guard lock(server->mutex);
        markTransaction();
        savepoints.emplace_back(lower.mid(10), server->tables);
        r.kind = StatementKind::Savepoint;
        return r;
    }
    if (lower.startsWith(QLatin1String("rollback to savepoint "))) {
        std::lock_guard lock(server->mutex);
        const QString name = lower.mid(22);
        for (auto it = savepoints.rbegin(); it != savepoints.rend(); ++it)
            if (it->first == name) {
                server->tables = it->second;
                savepoints.erase(it.base(), savepoints.end()); // later savepoints go, this one stays
                r.kind = StatementKind::Rollback;
                return r;
            }
        throw OracleError(1086, QStringLiteral("ORA-01086: savepoint '%1' never established").arg(name.toUpper()));
    }
    if (lower.startsWith(QLatin1String("alter session"))) {
        r.kind = StatementKind::AlterSession;
        return r;
    }
    if (lower.startsWith(QLatin1String("select ")))
        return select(sql, s, binds);

    std::lock_guard lock(server->mutex);
    static const QRegularExpression update(
        QStringLiteral("^update (\\S+) set (.+) where rowid = :(\\w+)$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression insert(
        QStringLiteral("^insert into (\\S+) \\((.+?)\\) values \\((.+?)\\)(?: returning rowid into :(\\w+))?$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression remove(
        QStringLiteral("^delete from (\\S+) where rowid = :(\\w+)$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression assignment(QStringLiteral("^\"?(\\w+)\"? = :(\\w+)$"));
    if (auto m = update.match(s); m.hasMatch()) {
        Table& t = tableOf(*server, m.captured(1), offsetOfName(sql, m.captured(1)));
        const QString rowid = bindValue(binds, m.captured(3)).toString();
        r.kind = StatementKind::Update;
        for (Table::Row& row : t.rows) {
            if (rowidOf(row.id) != rowid)
                continue;
            std::vector<QVariant> values = row.values;
            for (const QString& a : m.captured(2).split(QStringLiteral(", "))) {
                const auto am = assignment.match(a.trimmed());
                if (!am.hasMatch())
                    throw OracleError(900, QStringLiteral("ORA-00900: invalid SQL statement"));
                values[size_t(columnOf(t, am.captured(1)))] = bindValue(binds, am.captured(2));
            }
            if (server->check)
                server->check(m.captured(1).toUpper(), values);
            markTransaction();
            row.values = values;
            r.rowsProcessed = 1;
        }
        return r;
    }
    if (auto m = insert.match(s); m.hasMatch()) {
        Table& t = tableOf(*server, m.captured(1), offsetOfName(sql, m.captured(1)));
        std::vector<QVariant> values(size_t(t.columns.size()));
        const QStringList names = m.captured(2).split(QStringLiteral(", "));
        const QStringList places = m.captured(3).split(QStringLiteral(", "));
        for (int i = 0; i < names.size(); ++i) {
            QString n = names[i];
            n.remove(QLatin1Char('"'));
            const QString p = places.value(i);
            values[size_t(columnOf(t, n))] = p.startsWith(QLatin1Char(':')) ? bindValue(binds, p.mid(1)) : QVariant();
        }
        if (server->check)
            server->check(m.captured(1).toUpper(), values);
        if (!m.captured(4).isEmpty() && !server->supportsReturning)
            throw OracleError(3001, QStringLiteral("ORA-03001: unimplemented feature"));
        markTransaction();
        const qint64 id = t.nextId;
        t.add(values);
        if (driver::Bind* b = findBind(binds, m.captured(4)))
            b->value = rowidOf(id);
        r.kind = StatementKind::Insert;
        r.rowsProcessed = 1;
        return r;
    }
    if (auto m = remove.match(s); m.hasMatch()) {
        Table& t = tableOf(*server, m.captured(1), offsetOfName(sql, m.captured(1)));
        const QString rowid = bindValue(binds, m.captured(2)).toString();
        r.kind = StatementKind::Delete;
        const auto before = t.rows.size();
        markTransaction();
        std::erase_if(t.rows, [&](const Table::Row& row) { return rowidOf(row.id) == rowid; });
        r.rowsProcessed = qint64(before - t.rows.size());
        return r;
    }
    throw OracleError(900, QStringLiteral("ORA-00900: invalid SQL statement"), 0);
}

driver::Result Connection::select(const QString& original, const QString& s, std::vector<driver::Bind>& binds)
{
    static const QRegularExpression shape(
        QStringLiteral("^select (.+?) from (\\w+)(?: (?!where\\b)(\\w+))?(?: where (.+))?$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = shape.match(s);
    if (!m.hasMatch())
        throw OracleError(900, QStringLiteral("ORA-00900: invalid SQL statement"), 0);
    driver::Result r;
    r.kind = StatementKind::Select;
    const QString table = m.captured(2).toUpper();
    if (table == QLatin1String("BIG")) {
        r.cursor = std::make_unique<BigCursor>(server);
        return r;
    }
    if (table == QLatin1String("SLOW")) {
        r.cursor = std::make_unique<SlowCursor>(*this);
        return r;
    }
    std::lock_guard lock(server->mutex);
    const Table& t = tableOf(*server, table, offsetOfName(original, m.captured(2)));
    const QString list = m.captured(1).toLower();
    const bool withRowid = list.contains(QLatin1String("rowid"));
    const bool rowidFirst = withRowid && list.indexOf(QLatin1String("rowid")) < list.indexOf(QLatin1Char('*'));
    std::vector<driver::Column> cols;
    for (int i = 0; i < t.columns.size(); ++i)
        cols.push_back({ t.columns[i], t.types[size_t(i)], 30, 0, 0, true });
    const driver::Column rowidColumn { QStringLiteral("ROWID"), FieldType::Rowid, 18, 0, 0, false };
    if (withRowid) {
        if (rowidFirst)
            cols.insert(cols.begin(), rowidColumn);
        else
            cols.push_back(rowidColumn);
    }
    std::vector<std::vector<QVariant>> rows;
    for (const Table::Row& row : t.rows) {
        if (!matches(t, row, m.captured(4), binds))
            continue;
        std::vector<QVariant> values = row.values;
        if (withRowid) {
            if (rowidFirst)
                values.insert(values.begin(), rowidOf(row.id));
            else
                values.push_back(rowidOf(row.id));
        }
        rows.push_back(std::move(values));
    }
    r.cursor = std::make_unique<RowsCursor>(std::move(cols), std::move(rows));
    return r;
}

bool Connection::matches(
    const Table& t, const Table::Row& row, const QString& where, const std::vector<driver::Bind>& binds) const
{
    if (where.isEmpty())
        return true;
    QString w = where;
    static const QRegularExpression between(
        QStringLiteral("(\\S+) between (:\\w+) and (:\\w+)"), QRegularExpression::CaseInsensitiveOption);
    w.replace(between, QStringLiteral("\\1 >= \\2 and \\1 <= \\3"));
    w.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    static const QRegularExpression andWord(QStringLiteral("\\s+and\\s+"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression term(
        QStringLiteral("^(?:\\w+\\.)?\"?(\\w+)\"?\\s*(=|<>|!=|>=|<=|>|<|not like|like)\\s*:(\\w+)$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression nullTerm(QStringLiteral("^(?:\\w+\\.)?\"?(\\w+)\"?\\s+is\\s+(not\\s+)?null$"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& part : w.split(andWord)) {
        const QString p = part.trimmed();
        if (auto n = nullTerm.match(p); n.hasMatch()) {
            const QVariant v = row.values[size_t(columnOf(t, n.captured(1)))];
            const bool isNull = !v.isValid() || v.isNull();
            if (isNull == !n.captured(2).isEmpty())
                return false;
            continue;
        }
        const auto c = term.match(p);
        if (!c.hasMatch())
            throw OracleError(920, QStringLiteral("ORA-00920: invalid relational operator"));
        const QString col = c.captured(1).toUpper();
        const QVariant rhs = bindValue(binds, c.captured(3));
        QVariant lhs;
        FieldType type = FieldType::Varchar2;
        if (col == QLatin1String("ROWID")) {
            lhs = rowidOf(row.id);
        } else {
            const int i = columnOf(t, col);
            lhs = row.values[size_t(i)];
            type = t.types[size_t(i)];
        }
        if (!lhs.isValid() || lhs.isNull() || !rhs.isValid() || rhs.isNull())
            return false; // comparisons with null are never true
        const QString op = c.captured(2).toLower();
        const int cmp = compareValues(lhs, rhs, type);
        bool ok = false;
        if (op == QLatin1String("="))
            ok = cmp == 0;
        else if (op == QLatin1String("<>") || op == QLatin1String("!="))
            ok = cmp != 0;
        else if (op == QLatin1String(">"))
            ok = cmp > 0;
        else if (op == QLatin1String("<"))
            ok = cmp < 0;
        else if (op == QLatin1String(">="))
            ok = cmp >= 0;
        else if (op == QLatin1String("<="))
            ok = cmp <= 0;
        else if (op == QLatin1String("like"))
            ok = likeMatch(lhs.toString(), rhs.toString());
        else
            ok = !likeMatch(lhs.toString(), rhs.toString());
        if (!ok)
            return false;
    }
    return true;
}

} // namespace fake

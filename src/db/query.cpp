#include "db/query.h"

#include "db/session.h"

namespace db {

namespace {

// Through the session when there still is one, so that closing waits for a call running on it.
void closeCursor(Session* session, driver::Cursor& cursor)
{
    if (session) {
        session->closeCursor(cursor);
        return;
    }
    try {
        cursor.close();
    } catch (const OracleError&) {
    }
}

} // namespace

Query::Query(Session* session, QObject* parent)
    : QObject(parent)
    , sess(session)
{
}

Query::~Query()
{
    close();
}

void Query::setSql(const QString& sql)
{
    close();
    text = sql;
}

void Query::close()
{
    if (cursor) {
        closeCursor(sess, *cursor);
        cursor.reset();
    }
    row.clear();
    atEof = true;
}

void Query::execute()
{
    close();
    errLine = 0;
    errPosition = 0;
    rows = 0;
    warn.reset();
    if (!sess)
        throw OracleError::client(QStringLiteral("The query has no session"));
    std::vector<driver::Bind> binds = vars.bindsFor(text);
    try {
        driver::Result r = sess->execute(text, binds);
        kind = r.kind;
        warn = r.warning;
        vars.readBack(binds);
        if (r.cursor)
            adopt(std::move(r.cursor));
        else
            rows = r.rowsProcessed;
    } catch (OracleError& e) {
        e.setStatement(text);
        errLine = e.line();
        errPosition = e.position();
        throw;
    }
}

void Query::adopt(std::unique_ptr<driver::Cursor> c)
{
    cursor = std::move(c);
    atEof = false;
    fetchRow();
}

void Query::fetchRow()
{
    if (!cursor || atEof)
        return;
    const bool have = sess ? sess->fetch(*cursor) : cursor->next();
    if (!have) {
        atEof = true;
        row.clear();
        return;
    }
    ++rows;
    const int n = int(cursor->columns().size());
    row.assign(size_t(n), QVariant());
    for (int i = 0; i < n; ++i)
        row[size_t(i)] = cursor->value(i);
}

void Query::next()
{
    fetchRow();
}

std::unique_ptr<Query> Query::cursorVariable(const QString& name)
{
    const Variables::Variable* v = vars.find(name);
    if (!v || !v->cursor)
        return nullptr;
    auto q = std::make_unique<Query>(sess);
    q->kind = StatementKind::Select;
    q->cursor = v->cursor;
    q->atEof = false;
    q->fetchRow();
    return q;
}

int Query::fieldCount() const
{
    return cursor ? int(cursor->columns().size()) : 0;
}

const driver::Column& Query::column(int i) const
{
    if (!cursor || i < 0 || i >= fieldCount())
        throw OracleError::client(QStringLiteral("Field index %1 out of range").arg(i));
    return cursor->columns()[size_t(i)];
}

QString Query::fieldName(int i) const
{
    return column(i).name;
}
FieldType Query::fieldType(int i) const
{
    return column(i).type;
}

int Query::fieldIndex(const QString& name) const
{
    if (!cursor)
        return -1;
    const auto& cols = cursor->columns();
    for (size_t i = 0; i < cols.size(); ++i)
        if (cols[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QVariant Query::field(int i) const
{
    column(i);
    return size_t(i) < row.size() ? row[size_t(i)] : QVariant();
}

QVariant Query::field(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw OracleError::client(QStringLiteral("Field %1 does not exist").arg(name));
    return field(i);
}

bool Query::fieldIsNull(int i) const
{
    return field(i).isNull();
}
bool Query::fieldIsNull(const QString& name) const
{
    return field(name).isNull();
}

} // namespace db

// db::Query: one statement on a session with named binds, its result rows read one at a time, its rows-processed
// count, and the line and position of its error.
#pragma once

#include "db/driver.h"
#include "db/session.h"
#include "db/variables.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <memory>

namespace db {

class Session;

class Query : public QObject {
    Q_OBJECT
public:
    explicit Query(Session* session, QObject* parent = nullptr);
    ~Query() override;

    void setSession(Session* session) { sess = session; }
    Session* session() const { return sess; }

    void setSql(const QString& sql);
    QString sql() const { return text; }

    void declareVariable(const QString& name, BindType type, BindDirection direction = BindDirection::In)
    {
        vars.declare(name, type, direction);
    }
    void setVariable(const QString& name, const QVariant& value) { vars.set(name, value); }
    QVariant getVariable(const QString& name) const { return vars.get(name); }
    void deleteVariables() { vars.clear(); }
    Variables& variables() { return vars; }
    // The cursor a REF CURSOR variable received from the last execution, as a query positioned on its first row;
    // null when the variable holds none.
    std::unique_ptr<Query> cursorVariable(const QString& name);

    // Runs the statement. A query is positioned on its first row (eof() when there is none). Throws OracleError
    // with line and position in this statement; errorLine()/errorPosition() then give them too.
    void execute();
    void close();

    StatementKind statementKind() const { return kind; }
    // Rows fetched so far for a query; rows changed for DML.
    qint64 rowsProcessed() const { return rows; }
    int errorLine() const { return errLine; }
    int errorPosition() const { return errPosition; }
    // The warning of a statement that succeeded with one (ORA-24344 after a compilation error).
    const std::optional<OracleError>& warning() const { return warn; }

    bool eof() const { return atEof; }
    void next();

    int fieldCount() const;
    QString fieldName(int i) const;
    int fieldIndex(const QString& name) const; // -1 when the query has no such field
    FieldType fieldType(int i) const;
    const driver::Column& column(int i) const;
    QVariant field(int i) const;
    QVariant field(const QString& name) const; // throws OracleError for an unknown field
    bool fieldIsNull(int i) const;
    bool fieldIsNull(const QString& name) const;

private:
    void adopt(std::unique_ptr<driver::Cursor> cursor);
    void fetchRow();

    QPointer<Session> sess; // cleared when the session goes first
    QString text;
    Variables vars;
    std::shared_ptr<driver::Cursor> cursor;
    std::vector<QVariant> row;
    StatementKind kind = StatementKind::Other;
    qint64 rows = 0;
    bool atEof = true;
    int errLine = 0;
    int errPosition = 0;
    std::optional<OracleError> warn;
};

} // namespace db

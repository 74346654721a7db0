// Reading the parts of a statement text the access layer needs without a server: its bind placeholders, the table
// a single-table query updates, and where a WHERE condition goes (for query by example and record refresh).
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace db::sqltext {

struct Token {
    enum class Kind { Word, QuotedName, String, Number, Bind, Symbol };
    Kind kind;
    int offset;
    int length;
    int depth; // parenthesis depth at the token
    QString text; // words upper-cased; a bind's name upper-cased without the colon; a quoted name without quotes
};

// The tokens of a statement; comments and blanks are skipped, literals kept whole.
std::vector<Token> tokenize(const QString& sql);

// The bind names of a statement in order of first use, each once (a name used several times is one bind).
QStringList bindNames(const QString& sql);

// Upper case without a leading colon: how the layer keys variables.
QString variableKey(const QString& name);

struct TableRef {
    QString table; // as written, e.g. SCOTT.EMP or "Mixed"
    QString alias; // empty when none
    // How columns of this table are qualified in the statement: the alias when there is one, else the table.
    QString qualifier() const { return alias.isEmpty() ? table : alias; }
};

// The first table of a SELECT's top-level FROM clause, which is the table a ROWID-editable query updates. None for
// a statement that is not a SELECT, has no FROM, or reads from an inline view first.
std::optional<TableRef> updatingTable(const QString& sql);

// The statement with condition added to its top-level WHERE clause (AND-ed with what is there, which is
// parenthesised), or a WHERE clause added before GROUP BY, ORDER BY, CONNECT BY and the like. A compound query
// (UNION, INTERSECT, MINUS) is wrapped as an inline view and filtered outside.
QString addWhereCondition(const QString& sql, const QString& condition);

// A column name as it may be written in a statement: plain when it is an ordinary upper-case name, else quoted.
QString columnReference(const QString& name);

} // namespace db::sqltext

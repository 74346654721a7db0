// The PL/SQL editor's compile run apart from its window: the editor text split into the blocks that are sent one
// by one, the object each block creates (owner, name and type read from the statement itself), where a compile
// error of that object lies in the editor, and the run that sends the blocks and collects their errors.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

namespace db {
class OracleError;
class Session;
} // namespace db

namespace develop {

// One statement of the editor text. Lines that are empty after trimming are not sent, so the server's line numbers
// count the kept lines only; keptLines says which editor line each kept line is.
struct CompileBlock {
    int firstLine = 0; // 0-based editor line where the block begins
    QStringList kept; // the kept lines as they stand in the text that is sent
    QVector<int> keptLines; // 0-based editor line of each kept line
    QString text; // the kept lines, each followed by CR LF, with a plain statement's final semicolon dropped
    bool empty() const { return kept.isEmpty(); }
};

// Splits the lines at every line whose first character is "/" (a line beginning with "/*" belongs to the block);
// the "/" line itself is not sent. A text without such a line is one block; one that ends with a "/" line ends with
// an empty block.
QVector<CompileBlock> splitCompileBlocks(const QStringList& lines);

// The stored object a statement creates or replaces, with the place where the server's line 1 of its source
// begins: the type word of a unit ("PACKAGE" of CREATE OR REPLACE PACKAGE ...), or the DECLARE or BEGIN that opens
// a trigger's body, as Oracle counts a trigger's error lines from there.
struct CompiledObject {
    QString owner; // as the dictionary holds it; empty when the statement names none (the current schema)
    QString name;
    QString type; // "PACKAGE", "PACKAGE BODY", "PROCEDURE", "FUNCTION", "TRIGGER", "TYPE", "TYPE BODY", "VIEW"
    int anchorLine = 0; // 0-based index among the block's kept lines
    int anchorColumn = 1; // 1-based column in that line
};
// None for any other statement (a grant, a table, an anonymous block).
std::optional<CompiledObject> compiledObjectOf(const QStringList& keptLines);

// A name as ALTER and DROP must write it: plain when it is an ordinary upper-case identifier, otherwise in double
// quotes (inner double quotes doubled).
QString quoteIdentifier(const QString& name);

// One entry of the error list.
struct TNapake {
    QString objekt; // the object's name as the dictionary gives it
    int vrsta = 0; // 1-based editor line
    int kolona = 0; // 1-based editor column
    QString napaka; // the error text
};

// The error list: at most maxErrors entries; errors beyond it are not read.
class CompileErrorList {
public:
    static constexpr int maxErrors = 100;
    void clear() { list.clear(); }
    bool full() const { return list.size() >= maxErrors; }
    // False when the list is full.
    bool add(const TNapake& error);
    int size() const { return int(list.size()); }
    const TNapake& at(int index) const { return list.at(index); }

private:
    QVector<TNapake> list;
};

// Where an error at the server's 1-based line and position of the object's source lies in the editor (1-based line
// and column). Lines count from the anchor; the first line's positions count from the anchor's column. A line
// before the source (0, as Oracle gives a view's errors) lands on the anchor; one past the block on its last line.
struct EditorPoint {
    int line = 1;
    int column = 1;
};
EditorPoint errorPlace(const CompileBlock& block, const CompiledObject& object, int serverLine, int serverPosition);

// The column in the editor's line of a column in the same line after schema names were substituted in it: the
// text before and after the one changed stretch keeps its place.
int originalColumn(const QString& editorLine, const QString& substitutedLine, int column);

// The statement that reads one object's errors, in the order the server reported them.
inline constexpr const char* objectErrorsQuery = "select line,position,text from all_errors\r\n"
                                                 "where owner=:upor and name=:ime and type=:tip\r\n"
                                                 "order by sequence";

// What a compile run needs from its caller: each is optional.
struct CompileHooks {
    // Before a block is sent (the debug display); false skips the block as not sent.
    std::function<bool(const CompileBlock& block)> beforeSend;
    // A block the server took (with or without compile errors).
    std::function<void(const CompileBlock& block)> executed;
    // A block the server refused; the run goes on with the next one.
    std::function<void(const CompileBlock& block, const db::OracleError& error)> refused;
};

struct CompileOutcome {
    int sent = 0; // blocks sent
    int refused = 0; // blocks the server refused
    QString lastOwner; // the owner under which the last errors were looked up
};

// Sends the blocks of the lines in turn on the session and puts the compile errors of every object that was created
// with errors into the list. `sentLines` are the lines that are sent (the editor's lines, or the same lines after
// the schema-name substitution); `editorLines` the editor's own, to which error columns are mapped back.
// `currentSchema` is the owner of objects the statements name without one.
CompileOutcome compileLines(db::Session& session, const QStringList& editorLines, const QStringList& sentLines,
    const QString& currentSchema, CompileErrorList& errors, const CompileHooks& hooks = {});

} // namespace develop

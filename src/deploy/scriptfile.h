// Deployment script files: the statement splitter and the directive resolver that turn a script's lines into the
// numbered statement rows the script table stores. Plain code without a window or a session, so that every rule is
// tested directly; the condition queries of #IF/#IFNOT reach the database through a function the caller gives.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

namespace deploy {

// A terminator line: its first non-blank character is "/" ("/" alone, "//", "/*" ...). Whatever else stands on it
// is discarded.
bool isTerminatorLine(const QString& line);
// A line with "--" in columns 1 and 2 is dropped; an indented "--" stays part of the statement.
bool isDroppedCommentLine(const QString& line);

// One statement as the splitter collects it: the lines since the previous terminator (comment lines dropped).
struct CollectedStatement {
    QStringList lines;
    int firstLine = 0; // 1-based line of the first collected line; 0 when none was collected
    int endLine = 0; // 1-based line of the terminator that closed it (0 for the text after the last one)
    // The statement text: every line followed by CR LF.
    QString text() const;
    // 1-based line of the first collected line that is not blank (firstLine when all are).
    int contentLine() const;
};

struct SplitResult {
    std::vector<CollectedStatement> statements; // one per terminator line, empty ones included
    CollectedStatement tail; // the lines after the last terminator line
};

// Splits a script's lines. A block comment opened ("/*" as the first non-blank characters) while a statement is
// being collected does not end it: the comment's lines belong to the statement up to the line that closes it, so
// PL/SQL bodies with comment lines stay whole. Between statements such a line ends the (empty) statement as any
// terminator does, and the lines of a comment it leaves open are skipped up to the closing "*/".
SplitResult splitScript(const QStringList& lines);

// What a #IF/#IFNOT condition query gave: the value of the first column of its first row, or the server's error.
struct ConditionOutcome {
    bool failed = false;
    QString error; // the server's message when failed
    bool hasRow = false;
    QVariant firstValue;
};

// The condition's result from its query text and outcome: with "REZULTAT" (any case) in the text, whether the first
// column of the first row, read as an integer, is not 0; without it, whether the query ran. An error, no row or a
// value that is no number make it false.
bool conditionHolds(const QString& query, const ConditionOutcome& outcome);

// The count after a #IF or #IFNOT and what is left of the text for the query. Blanks right after the directive are
// skipped; the token up to the next blank or line break is the count when it is an integer. A token attached to
// the directive word (no blank between) is taken off in any case and counts as 1 when it is no integer; a token
// after a blank that is no integer is the query's first word.
struct ConditionCount {
    int count = 1;
    QString rest;
};
ConditionCount takeConditionCount(const QString& afterDirective);

// A declared variable of a script (#DECLARE NAME "value"); names are kept in upper case.
struct ScriptVariable {
    QString name;
    QString value;
};

// The name and value of a #DECLARE statement (its first 8 characters are "#DECLARE", any case).
ScriptVariable parseDeclaration(const QString& statement);

// Replaces the markers ":NAME:" of the declared variables (the search ignores case) when the text holds ":VAR_"
// (exact case). Each variable is replaced in declaration order; the search goes on after an inserted value, so a
// value that holds its own marker is inserted once.
QString substituteVariables(const QString& text, const std::vector<ScriptVariable>& variables);

// One row to store: its counter (1, 2, 3 ... without gaps) and statement text.
struct StoredStatement {
    int counter = 0;
    QString text;
    QStringList lines; // the collected lines, for the insert's error message
    int firstLine = 0;
};

struct ResolveOptions {
    // The several-installations substitution of schema names (type "SKRIPTA"); none outside that mode.
    std::function<QString(const QString&)> substitute;
    // Runs a condition query (on the main session, with its commit).
    std::function<ConditionOutcome(const QString& query)> runCondition;
    // Called for each statement to store that begins with "#PL/SQL#" (the audit location's file rewrite).
    std::function<void(const QString& statement)> plsqlStatement;
};

// Why a script may not be stored at all.
enum class ResolveError {
    None,
    UnterminatedStatement, // text after the last terminator that would be stored if a "/" line followed it
    ConditionWithoutEndif, // a #IF or #IFNOT without its #ENDIF
};

// A condition query that failed: its result is false, and the person storing is told.
struct ConditionNote {
    int line = 0; // 1-based line where the condition's statement begins
    QString error;
};

struct ResolveResult {
    std::vector<StoredStatement> rows;
    std::vector<ScriptVariable> variables;
    std::vector<ConditionNote> notes;
    ResolveError error = ResolveError::None;
    int errorLine = 0; // 1-based line where the statement of the error begins
    bool ok() const { return error == ResolveError::None; }
};

// The splitter and directive resolver: the rows a script stores, in order. Declarations are substituted into the
// statements after them, conditions decide which statements are stored, and a text after the last terminator that
// would be stored if a "/" line followed it makes the whole script refused.
ResolveResult resolveScript(const QStringList& lines, const ResolveOptions& options);

} // namespace deploy

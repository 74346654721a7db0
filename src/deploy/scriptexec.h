// The execution of one stored statement, apart from the window: the directives left for execution (#PL/SQL#,
// #ENABLE#, #DISABLE#), the retries of two Oracle errors, the tolerated errors and the status and outcome text a
// row gets for each way an execution can end.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

namespace db {
class Session;
}

namespace deploy {

// What a stored statement asks of its execution (the directive words are compared in exact case).
struct StatementDirective {
    enum class Kind { Sql, PlSqlFile, Enable, Disable };
    Kind kind = Kind::Sql;
    QString argument; // the file name, or the owner.table of the foreign keys; trimmed
};
StatementDirective parseDirective(const QString& statement);

// The tolerated-error rule (DopustnaNapaka): a statement that drops a constraint, an index or a table whose name
// holds TMP_ may fail because the object is already gone. The error is tolerated only when its own code says so
// (ORA-02443 for a constraint, ORA-01418 for an index, ORA-00942 for a table); any other failure counts.
bool DopustnaNapaka(const QString& statement, int errorCode);

// f_pocistiNiz: a PL/SQL file's text cut after its last semicolon when that semicolon closes an END ("END;",
// "END name;", however long the name): the "/" line and blanks after it go. Any other text is returned unchanged.
QString f_pocistiNiz(const QString& text);

// How one statement ended after its retries.
struct ExecutionOutcome {
    bool ok = true;
    int code = 0; // the server's error code when not ok
    QString message; // the server's message when not ok
    int attempts = 0;
};

// Runs attempt() (which throws db::OracleError on failure) with the retries of the design: once more after
// ORA-04068 (existing state of packages discarded), up to 4 more times after ORA-01555 (snapshot too old); so at
// most 6 attempts.
ExecutionOutcome executeWithRetries(const std::function<void()>& attempt);

// The status and outcome text (SCRIPT_STAT, SCRIPT_ERR) a row gets, and whether the run counts it a success.
struct RowOutcome {
    QString stat; // "X" or "E"
    QVariant err; // null (an invalid QVariant) or the outcome text
    bool result = true;
};

// The worker-thread path writes "NO ERRORS" for a success and marks a tolerated error "X"; the direct path leaves
// the outcome empty for a success and keeps "E" for a tolerated error (the run still goes on).
enum class ExecutionPath { Direct, Thread };
RowOutcome statementOutcome(ExecutionPath path, const ExecutionOutcome& outcome, const QString& statement);
// A #PL/SQL# file that does not exist: "E" with the file name and the window's text (" DOESN'T  EXISTS !").
RowOutcome missingFileOutcome(const QString& file, const QString& doesntExist);
// #ENABLE# or #DISABLE#: "X" when every foreign-key statement ran, else "E" with their errors.
RowOutcome enableDisableOutcome(const QStringList& errors);

// The longest outcome text the table's SCRIPT_ERR holds.
inline constexpr int outcomeTextLimit = 2000;

// Where a #PL/SQL# file is: the name as written (relative names from the working directory), else a relative name
// in the directory of the script; none when neither exists.
std::optional<QString> findPlSqlFile(const QString& name, const QString& scriptDir);
// The file's text, every line followed by CR LF (a byte-order mark decides the encoding; else UTF-8 when valid,
// else the Windows code page); none when it cannot be read.
std::optional<QString> readPlSqlFile(const QString& path);

// The owner and table of #ENABLE#/#DISABLE#: "owner.table", or the table alone of the connected user; upper case.
struct ForeignKeyTarget {
    QString owner;
    QString table;
};
ForeignKeyTarget foreignKeyTarget(const QString& argument, const QString& connUser);

// A dictionary name as it may stand in a statement: plain when it is a plain upper-case name, else quoted.
QString sqlName(const QString& name);

// The statements that enable or disable every foreign key referencing the target's primary key.
inline constexpr const char* foreignKeysQuery = "select fk.owner,fk.table_name,fk.constraint_name\n"
                                                "   from all_constraints fk,all_constraints pk\n"
                                                "  where   pk.owner= :upor and pk.table_name= :tabela and "
                                                "pk.constraint_type='P' and\n"
                                                "               fk.r_owner= pk.owner  and "
                                                "fk.r_constraint_name=pk.constraint_name";
QStringList enableDisableStatements(db::Session& session, const ForeignKeyTarget& target, const QString& mode);
// enableDisable: runs them all; the errors of those that failed, "statement: message" each. Throws
// db::OracleError only when the foreign keys cannot be listed.
QStringList enableDisable(db::Session& session, const ForeignKeyTarget& target, const QString& mode);

} // namespace deploy

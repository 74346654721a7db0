// The Enable/Disable page of the table-structure window: every foreign key (of any schema) that points at a table's
// primary or unique keys, a script that disables or drops them and one that enables or re-creates them as they were
// (full column lists, ON DELETE rule, deferrability, state), the undo file the second script is saved to before
// anything is run, and the run of a script statement by statement.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace db {
class Session;
}

namespace admin {

struct ReferencingKey {
    QString owner;
    QString table;
    QString name;
    QStringList columns; // in key order
    QString refOwner;
    QString refTable;
    QStringList refColumns; // the referenced key's columns, paired with `columns` by position
    QString deleteRule; // NO ACTION, CASCADE, SET NULL
    QString deferrable; // DEFERRABLE or NOT DEFERRABLE
    QString deferred; // DEFERRED or IMMEDIATE
    QString status; // ENABLED or DISABLED
    QString validated; // VALIDATED or NOT VALIDATED
};

// The foreign keys that point at owner.table, ordered by owner, table and name.
QList<ReferencingKey> referencingKeys(db::Session& session, const QString& owner, const QString& table);

// The two scripts as memo lines: each statement on a line of its own, followed by a line "/". Without the drop
// option the disable script switches off the keys that are on and the enable script switches exactly those on
// again (NOVALIDATE when they were not validated); with it every key is dropped and added back as it was.
struct ConstraintScripts {
    QStringList disable;
    QStringList enable;
};
ConstraintScripts prepareScripts(const QList<ReferencingKey>& keys, bool dropOption);
QString addStatement(const ReferencingKey& key);

// The undo file of a table: in the comments directory (the working directory when none is set), named after the
// owner and the whole table name, so that no two tables share one.
QString undoFileName(const QString& commentsDir, const QString& owner, const QString& table);
// Writes the lines (overwriting the file); false, with the reason in *error, when it could not be written.
bool saveScript(const QString& fileName, const QStringList& lines, QString* error);

// Runs every line of a script that is not a "/" line (or empty) as one statement, goes on after a failure, and
// collects the failures: each failing line, its message and a blank line.
struct ScriptRun {
    int statements = 0;
    int failed = 0;
    QString errors;
    bool ok() const { return failed == 0; }
};
ScriptRun RunScriptMemo(db::Session& session, const QStringList& lines);

} // namespace admin

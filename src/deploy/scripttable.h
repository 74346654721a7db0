// The script table VEXO_UTIL.VEXO_EXS as the script executor reads and writes it: the texts of its queries, the
// store of a script's rows, the status and outcome of a row, and the maintenance statements (reset, deletion).
// Every value goes in as a bind variable; a row is addressed by its ROWID.
#pragma once

#include "deploy/scriptfile.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace db {
class Session;
}

namespace deploy {

// The filters of the statement lists. "A" switches a filter off; `lastnik` "*" means every owner.
struct ScriptFilter {
    QString lastnik = QStringLiteral("*");
    QString skripta;
    QString stat = QStringLiteral("A");
    QString napaka = QStringLiteral("A");
    QString filter = QStringLiteral("A");
};

// Whether the table has both optional columns SCRIPT_OWNER and SCRIPT_DATE (false when the dictionary cannot say).
inline constexpr const char* ownerColumnsQuery = "   select count(*)  stevec from all_tab_columns\n"
                                                 "where owner='VEXO_UTIL' and table_name='VEXO_EXS' and \n"
                                                 "          column_name in ('SCRIPT_OWNER','SCRIPT_DATE')";
bool hasOwnerColumns(db::Session& session);

// The rows a script already has: by name, and by name and owner when `owner` is not empty.
QString countRowsSql(bool perOwner);
qint64 countScriptRows(db::Session& session, const QString& name, const QString& owner);

// The insert of one statement row ("N", no outcome; owner and server time when the table has those columns).
QString insertSql(bool scriptDateOwner);
// Inserts the rows of a script without committing. On a failure *failedCounter is the counter of the row that
// failed and db::OracleError is thrown.
void insertScriptRows(db::Session& session, bool scriptDateOwner, const QString& name, const QString& owner,
    const std::vector<StoredStatement>& rows, int* failedCounter = nullptr);

// The lists of the window.
QString skripteSql(bool ownerMode); // quSkripte: the rows of the current script
QString allScriptsSql(bool ownerMode); // quAllScripts: names (owner mode: :upor)
QString statSql(bool ownerMode); // quStat: counts per script, date and status (owner mode: :upor)
QString fltScriptsSql(); // quFltScripts: the names that match the header filter
QString findSql(bool ownerMode); // quFind: the search over all scripts
QString countToExecuteSql(); // quStevecUkazov
// Sets the filter's variables on a query or data set (a statement uses those it names; skripte is the search's
// name for skripta).
template <typename Q> void bindFilter(Q& q, const ScriptFilter& f)
{
    q.setVariable(QStringLiteral("lastnik"), f.lastnik);
    q.setVariable(QStringLiteral("skripta"), f.skripta);
    q.setVariable(QStringLiteral("skripte"), f.skripta);
    q.setVariable(QStringLiteral("stat"), f.stat);
    q.setVariable(QStringLiteral("napaka"), f.napaka);
    q.setVariable(QStringLiteral("filter"), f.filter);
}

// One row to execute, read by the run a batch at a time so that a run of any length keeps little in memory.
struct ScriptRow {
    QString rowId;
    QString name;
    int counter = 0;
    QString text;
};
// The "N" rows of a script after counter `after`, in counter order: at least `batch` rows (when there are), and
// every row of the last counter read (several owners may share one).
std::vector<ScriptRow> pendingRows(db::Session& session, const ScriptFilter& f, int after, int batch);
// The rows `countToExecuteSql` counts.
qint64 countToExecute(db::Session& session, const ScriptFilter& f);

// The statement text of a row, read by its ROWID (the text of any length); a null QString when the row is gone.
QString statementText(db::Session& session, const QString& rowId);

// Writes a row's status and outcome (no commit).
void writeOutcome(db::Session& session, const QString& rowId, const QString& stat, const QVariant& err);
// The status toggle: "N" for a row set aside ("D"), else "D" (no commit); the new status.
QString toggleDeleted(db::Session& session, const QString& rowId);
// A changed statement text (no commit).
void writeStatementText(db::Session& session, const QString& rowId, const QString& text);
// Every row of the script back to "N" with no outcome (no commit); in owner mode only the owner's rows. Returns
// the number of rows.
qint64 resetScript(db::Session& session, const QString& name, const QString& owner);
// Deletes the rows of a script (no commit); in owner mode only the owner's. Returns the number of rows.
qint64 deleteScript(db::Session& session, const QString& name, const QString& owner);
// Deletes the rows the list shows with this filter (no commit). Returns the number of rows.
qint64 deleteShownRows(db::Session& session, const ScriptFilter& f);

} // namespace deploy

// The repair window's work on a damaged table: examining it (its key index and columns, its row count, read
// directly and through the key index), moving the readable rows before the first bad one into a new table, copying
// the rest row by row through the key, and the DBMS_REPAIR calls of its second page.
#pragma once

#include "admin/halving.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace db {
class Session;
}

namespace admin {

// Status texts go through this as the work goes on (the window shows them and keeps itself painted).
using StatusFn = std::function<void(const QString&)>;
// Asked between rows of a long copy: true stops it.
using StopFn = std::function<bool()>;

struct TableExamination {
    bool readable = false; // the table exists and can be queried (it may still be damaged further on)
    QString error; // why it could not be queried
    QString keyIndex; // the primary key's index, or an index named PK_... or ..._PK
    QStringList keyColumns;
    std::optional<qint64> rowCount;
    bool tableDamaged = false; // the count failed
    bool keyDamaged = false; // the count through the key index failed too
    QString findings; // "POKVARJENA TABELA", "POKVARJEN PRIMARY KEY: ..."
};
TableExamination examineTable(db::Session& session, const QString& owner, const QString& table, const StatusFn& status);

// "select count(*) from owner.table where rownum<=p": readable, unreadable (ORA-01578), or failed for another reason
// (the message in *error).
ProbeResult probeRows(db::Session& session, const QString& owner, const QString& table, qint64 rows, QString* error);

// Both copies write only the new table, and read the damaged table only where it can be read: a statement that meets
// a damaged block inside a transaction leaves that whole transaction unable to commit or write (SQLite keeps it
// so), so the rows are first tried with reads alone, and only rows that could be read are copied, in transactions
// of 200 rows. Nothing is written into or deleted from the damaged table: a delete next to a damaged block would
// meet it while rebalancing the table's pages. The damaged table stays for the user to drop once the new one holds
// what could be saved.
struct CopyResult {
    qint64 copied = 0; // rows written into the new table
    qint64 failed = 0; // rows that could not be read (not copied)
    bool stopped = false;
    QString firstError;
};

// Creates owner.newTable with the table's columns and copies into it the rows before `firstBadRow` (listed by
// ROWID first). Throws db::OracleError when the table cannot be created or the rows cannot be listed.
CopyResult createNewTable(db::Session& session, const QString& owner, const QString& table, const QString& newTable,
    qint64 firstBadRow, const StatusFn& status, const StopFn& stop);

// Copies every row that can be read through its key (the keys read from the key index alone) and is not yet in
// owner.newTable.
CopyResult addRecords(db::Session& session, const QString& owner, const QString& table, const QString& newTable,
    const QString& keyIndex, const QStringList& keyColumns, const StatusFn& status, const StopFn& stop);

// The DBMS_REPAIR blocks of the second page (run by SYS): creating the repair tables, listing the damaged blocks
// (CHECK_OBJECT, which changes nothing), marking them (FIX_CORRUPT_BLOCKS), and the two calls after a fix.
QString adminTablesBlock();
QString checkObjectBlock();
QString fixCorruptBlocksBlock();
QString rebuildFreelistsBlock();
QString skipCorruptBlocksBlock();
// Runs a block that binds :upor and :tabela and returns the number block writes to :napak.
qint64 runRepairCount(db::Session& session, const QString& block, const QString& owner, const QString& table);

} // namespace admin

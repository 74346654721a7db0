// The table refresh's PL/SQL block: from a refresh definition (source, optional database link, destination, unique
// key, columns to compare and the options of the refresh window) it writes the anonymous block, or the stored
// procedure, that makes the destination table equal to the source row by row. Text in, text out: the window runs it.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace deploy {

// A column of the refresh window's column grid: its name and whether it is marked (" + ") for the comparison.
struct RefreshColumn {
    QString name;
    bool marked = false;
};

// Everything the block is built from. Names are the exact names of the dictionary (the window resolves what the
// user typed); the block quotes them, so they are used exactly as given.
struct RefreshDefinition {
    QString sourceOwner, sourceTable;
    QString dbLink; // empty: the source is local
    QString destOwner, destTable;
    QStringList keyItems; // each "COLUMN TYPE", the unique key by which rows are matched
    QList<RefreshColumn> columns; // every column of the table in column order
    bool update = true; // "Update records"
    bool del = false; // "Delete records"
    bool sequence = false; // "Sequence": seqField takes a new value of seqName on insert
    QString seqField, seqName; // seqName is "SEQUENCE" (of the destination owner) or "OWNER.SEQUENCE"
    bool procedure = false; // "Procedure": a CREATE OR REPLACE PROCEDURE named procName
    QString procName;
    bool saveErrors = true; // "Save Errors ON": errors into VEXO_UTIL.VEXO_ERR, else dbms_output
};

// The pipe that carries progress when no other is given: the one a stored refresh procedure and a block copied out
// of the window report on.
inline const QString kRefreshPipe = QStringLiteral("REFRESH");

// A table as the database sees it: owner, table and the database it lies in. Two names are the same table exactly
// when all three agree.
struct TableIdentity {
    QString owner, table, database;
    bool operator==(const TableIdentity&) const = default;
};

// The messages "prepareRefreshBlock" shows instead of building, in order; empty when the block can be built.
// sameTable: the source and the destination resolve to one table.
QStringList refreshInputProblems(const RefreshDefinition& def, bool sameTable);

// One key column: its name and its data type as listed (at most 30 characters of it).
struct RefreshKeyColumn {
    QString name;
    QString type;
};
// Splits a key item at its first blank.
RefreshKeyColumn splitKeyItem(const QString& item);
// A data type as a PL/SQL parameter may carry it: without the length, precision or scale in brackets
// ("VARCHAR2(10)" is VARCHAR2, "TIMESTAMP(6) WITH TIME ZONE" is TIMESTAMP WITH TIME ZONE).
QString unconstrainedType(const QString& type);

// A database link name as the dictionary lists it: an ordinary identifier, with domain parts after dots. Only such a
// name is put into statements.
bool isPlainLinkName(const QString& link);

// An identifier in double quotes, so the name is taken exactly as it is.
QString quoteName(const QString& name);
// An SQL text literal of the text, quotes doubled.
QString sqlLiteral(const QString& text);

// How the block reports.
struct RefreshBlockOptions {
    bool usePipe = true;
    QString pipeName = kRefreshPipe;
};

// The block's lines, in order (a fragment with a line break inside gives several lines). The definition must have
// passed refreshInputProblems.
QStringList buildRefreshBlock(const RefreshDefinition& def, const RefreshBlockOptions& options);
// The lines joined into the statement text, each ended by CR LF.
QString refreshBlockText(const QStringList& lines);

} // namespace deploy

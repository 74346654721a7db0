// The key-replacement generator's lists and block: the columns that can hold a table's key (proposed from the
// foreign keys that reference it and from columns of the same name in the listed owners), the exclusions and forced
// additions kept per table in a list file (".rpl"), and the PL/SQL block that replaces one key value by another in
// every listed column. A composite key is replaced in all its columns together. Text in, text out.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace deploy {

// One entry of a list: owner, table and column. For a composite key, column lists the columns that hold the key's
// columns, in the key's order, joined by ",".
struct ReplaceColumn {
    QString owner, table, column;
    bool operator==(const ReplaceColumn&) const = default;
};

// A line of a list file: its sign ("-" exclusion, anything else a forced addition) and its entry.
struct ReplaceListLine {
    QChar sign;
    ReplaceColumn entry;
};
ReplaceListLine splitListLine(const QString& line);

struct ReplaceLists {
    QList<ReplaceColumn> minus; // exclusions: never proposed
    QList<ReplaceColumn> plus; // forced additions: always proposed
};

// The list file's lines read into the two lists, in file order; empty lines are no entries.
ReplaceLists readReplaceList(const QStringList& lines);
// The lines of a list file: the exclusions, then the forced additions; entries without an owner are left out.
QStringList writeReplaceList(const ReplaceLists& lists);

// One column of the key as the dictionary gives it.
struct ReplaceKeyColumn {
    QString name;
    QString type; // DATA_TYPE
    QString length; // the precision, or the length when there is none
    QString scale; // DATA_SCALE, empty when none
};

// The declaration of a variable that holds a value of the column: DATE, TIMESTAMP(6), CLOB as they are, NUMBER
// with its precision and scale (NUMBER alone without them), character and RAW types with their length.
QString typeDeclaration(const ReplaceKeyColumn& key);

// A column the candidate query found: for a foreign key, its constraint and the column's position in it.
struct ReplaceCandidate {
    QString owner, table, column, type, length;
    QString constraint; // empty for a column found by its name
    int position = 0;
};

// The owners bound as the list the candidate queries search: each name between commas, so a name matches whole.
QString ownersList(const QString& owner, const QString& others);

// The current list from the candidate rows (ordered by owner, table, constraint and position): the table itself,
// columns of another type or length and exclusions are left out; the forced additions not yet there are added.
QList<ReplaceColumn> buildReplaceList(const QList<ReplaceKeyColumn>& key, const QString& owner, const QString& table,
    const QList<ReplaceCandidate>& rows, const ReplaceLists& lists);

// Whether a column of this type and length can hold the key column's values.
bool acceptsKeyColumn(const ReplaceKeyColumn& key, const QString& type, const QString& length);

// Splits the values typed for a composite key at commas outside quotes and brackets; blanks around them go.
QStringList splitKeyValues(const QString& text);

// The block's lines: the old and new values declared (stariNiz and noviNiz, numbered per column for a composite
// key) and one update per listed column.
QStringList replaceBlock(const QList<ReplaceKeyColumn>& key, const QStringList& oldValues, const QStringList& newValues,
    const QList<ReplaceColumn>& list);

} // namespace deploy

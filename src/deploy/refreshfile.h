// Refresh parameter files (".RFS"): KEY=value lines that describe one table each, a line beginning with "#" after
// each table. The reader turns the text into the tables to refresh in order; the refresh window applies each one to
// its fields, loads the source table's columns and key, and runs it.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace deploy {

// One table of a refresh file: the keys its lines gave. What a block leaves out is the window's default.
struct RefreshFileBlock {
    int firstLine = 0; // 1-based: the line that began the block
    int endLine = 0; // the "#" line that ended it (0 when none did)
    QString dbLink; // DBLD
    QString destOwner, destTable; // OWNERS, TABLES
    QString sourceOwner, sourceTable; // OWNERD, TABLED (read through the link when one is given)
    std::optional<bool> commit, update, del; // COMMIT, UPDATE, DELETE: true exactly for TRUE
    QStringList fields; // FIELDS: the columns to mark, of every FIELDS line in order
    std::optional<QStringList> unique; // UNIQUE: the key items "COLUMN TYPE", replacing the table's own key
    bool sequence = false; // SEQUENCE with a ","
    QString seqField, seqName;
    bool hasKeys = false; // a KEY=value line was read
};

struct RefreshFile {
    QList<RefreshFileBlock> blocks; // the tables a "#" line closed, in order
    // A table after the last "#" line with at least one key line: it is not refreshed (the file must end with "#").
    std::optional<RefreshFileBlock> unclosed;
};

// Reads the lines of a refresh file. Every line counts in upper case; a line beginning with "#" ends the table
// begun before it (otherwise it is a comment); the first other line after the start or a "#" begins a table.
// A key line is KEY=value, the value up to 200 characters; other keys and lines without "=" are ignored.
RefreshFile readRefreshFile(const QStringList& lines);

// Splits a list at commas outside brackets, so "ID NUMBER(10,2)" stays one item; blanks around items stay.
QStringList splitRefreshList(const QString& value);

// The text of the window's "RFS structure" page: what a refresh file holds.
QString refreshFileHelp();

} // namespace deploy

// The disabled foreign keys of an owner (or of every owner) and, for one of them, the query of its orphan rows: the
// child rows whose key is complete (no column NULL) and names no parent row, which keep the key from being enabled.
#pragma once

#include <QString>
#include <QStringList>

namespace db {
class Session;
}

namespace admin {

// The list of the disabled-references window: OWNER, TABLE_NAME, CONSTRAINT_NAME, R_OWNER, R_CONSTRAINT_NAME;
// :upor empty means every owner.
QString disabledKeysStatement();

struct DisabledKey {
    QString owner; // the key's (and its table's) owner: from the row, never from the owner box
    QString table;
    QString name;
    QString rOwner;
    QString rConstraint;
};

struct OrphanQuery {
    QString text; // empty when the key names no parent key
    QStringList columns; // the foreign key's columns in key order
    QString parentOwner;
    QString parentTable;
    QString tableLabel; // owner "." table
};

// Reads the key's columns and those of the key it references (paired by position), and builds the query.
OrphanQuery FindOrphanQuery(db::Session& session, const DisabledKey& key);
QString orphanQueryText(const QString& owner, const QString& table, const QStringList& columns,
    const QString& parentOwner, const QString& parentTable, const QStringList& parentColumns);

QString enableKeyStatement(const DisabledKey& key);

} // namespace admin

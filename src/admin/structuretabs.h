// What the structure tabs of the table-structure window show, read from the dictionary (through a database link
// when one is chosen): the owner list, the columns with their marks, the indexes with their columns and owners, and
// the constraints as one row per constraint column (a primary key's columns joined in one row). The window only
// puts these rows into its grids.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace db {
class Session;
}

namespace admin {

// The seven fixed owners, then every other user of ALL_USERS in name order.
QStringList ownerList(db::Session& session);

// One row of the Columns grid: mark ("+" or " "), name, type, length (precision of a NUMBER), precision (scale of a
// NUMBER), nullable, comment, column id, default.
using GridRow = QStringList;
QList<GridRow> loadColumns(db::Session& session, const QString& owner, const QString& table, const QString& link,
    const QString& order, const QString& marks);

struct IndexRow {
    QString owner; // the index's own owner, which may differ from the table's
    QString name;
    QString columns; // joined by ", " in column-position order
};
QList<IndexRow> loadIndexes(db::Session& session, const QString& owner, const QString& table, const QString& link);

struct ConstraintRow {
    QString name;
    QString value;
    QString kind;
    QString status;
};
QList<ConstraintRow> loadConstraints(
    db::Session& session, const QString& owner, const QString& table, const QString& link);

// The key of a tab cache: a tab is read again only when the owner, the table or the link changed.
QString tabKey(const QString& owner, const QString& table, const QString& link);

} // namespace admin

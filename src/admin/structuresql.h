// The statement texts of the table-structure tools: quoted names, the database-link suffix and the dictionary
// queries of the lists and structure tabs. Names are always quoted into a statement, never pasted as they stand.
#pragma once

#include <QString>
#include <QStringList>

namespace admin {

// An identifier as a quoted Oracle name: "name" with inner quotes doubled.
QString quoteName(const QString& name);
// owner.table with both parts quoted; the table alone when the owner is empty.
QString qualifiedName(const QString& owner, const QString& table);
// The suffix that sends a dictionary view through a database link: "@" and the quoted link name; empty without one.
QString linkSuffix(const QString& link);

// The seven owners the owner box lists first, in this order.
const QStringList& fixedOwners();

// The statements of the lists and tabs. Each binds :upor and :tabela (the lists bind patterns, the tabs exact names).
QString tablesStatement(const QString& link);
QString columnSearchStatement(const QString& link);
// `order` must be one of columnOrders(); anything else orders by column id.
QString columnsStatement(const QString& link, const QString& order);
const QStringList& columnOrders();
QString indexesStatement(const QString& link);
QString indexColumnsStatement(const QString& link);
QString constraintsStatement(const QString& link);
QString triggersStatement(const QString& link);

} // namespace admin

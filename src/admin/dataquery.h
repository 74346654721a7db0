// The data page of the table-structure window: the SELECT of the chosen columns (with ROWID, so the rows can be
// edited; without it through a database link), the filter written in upper case outside its quoted literals, and
// what a click on a column title does to the filter.
#pragma once

#include <QString>
#include <QStringList>

namespace admin {

// The data statement's first part: the marked columns of the table (all of them when none is marked), seven to a
// line, with ROWID under the alias XX; through a link the names alone, without ROWID.
QString BuildDataQuery(const QString& owner, const QString& table, const QString& link, const QStringList& columns);

// Everything outside single-quoted literals in upper case; the literals as typed.
QString upperOutsideQuotes(const QString& filter);

// A click on the title of `column`: the filter completed with the column (after AND for a WHERE filter, after ","
// for ORDER BY), or an empty text when the filter is left as it is (the column is already there, or there is no
// filter): the window then shows the column's cell memo instead.
QString titleClickFilter(const QString& filter, const QString& column);

// Whether a column type is a large object (CLOB, BLOB, NCLOB, LOB), which the data page may have to leave out.
bool isLargeObjectType(const QString& type);

} // namespace admin

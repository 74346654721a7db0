// The worksheet's select builder (page tabTabela): the columns of the table chosen in cbTabela listed in
// sgColumns, and the SELECT built from the columns marked "+" and the typed filters when "Statement" (btStavek) is
// pressed, optionally live (aliased and selecting ROWID) so that its grid can be edited.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace db {
class Session;
}

namespace develop {

// One row of sgColumns.
struct ColumnRow {
    QString show; // "+" marks the column for the select list
    QString name;
    QString type;
    QString length;
    QString precision;
    QString scale;
    QString nullable;
    QString defaultValue;
    QString filter;
};

// The tables of the select builder's box: owner and name filters (upper-cased; "%" after the name filter).
// Throws db::OracleError.
QStringList listTables(db::Session& session, const QString& owner, const QString& nameFilter);
// The columns of owner.table in column order, "Show" blank and the filter empty. Throws db::OracleError.
std::vector<ColumnRow> listColumns(db::Session& session, const QString& owner, const QString& table);

// A click on a "Show" cell: a blank becomes "+", anything else a blank.
QString toggledShow(const QString& show);

// The condition a filter makes for a column. A filter may carry its own operator (">10", "<>'X'", ">=01.02.2024");
// without one, "%" makes it LIKE and anything else equality. DATE filters are days written DD.MM.YYYY.
QString filterCondition(const QString& column, const QString& type, const QString& filter);

// The statement's lines: "select ", the select list in lines of at most 90 characters, " from " owner.table
// (aliased xxx when live) and the WHERE line when a filter is set.
QStringList buildSelect(const QString& owner, const QString& table, const std::vector<ColumnRow>& rows, bool live);

} // namespace develop

// Structure validation: the statement that validates one table, what the unattended table check's three parameters
// mean, and the queries of the validation window (the owner's tables by a filter, and the rows INVALID_ROWS got in
// the current run).
#pragma once

#include <QString>

namespace admin {

// "ANALYZE TABLE owner.table VALIDATE STRUCTURE " with " CASCADE" after it when asked.
QString validateStatement(const QString& owner, const QString& table, bool cascade);

// CHECK_TABLES owner filter CASCADE: an empty parameter or NULL (any case) keeps the window's value.
struct CheckTablesParameters {
    QString owner; // empty: the main window's current owner stays
    QString filter;
    bool cascade = false;
};
CheckTablesParameters checkTablesParameters(const QString& first, const QString& second, const QString& third);

QString tablesOfOwnerStatement();
// The rows of this run: INVALID_ROWS rows written since :od (the run's start, by the server's clock).
QString invalidRowsStatement();
QString createInvalidRowsStatement();

} // namespace admin

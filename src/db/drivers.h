// Resolution of a database name to the driver that serves it: a directory of that name under the embedded
// engine's data directory opens the engine; every other name belongs to the Oracle client's driver.
#pragma once

#include "db/driver.h"

#include <QString>
#include <QStringList>

#include <functional>

#include <memory>

namespace db {

// The engine's data directory: the setting when one was made, else the engine's default.
QString embeddedDataDirectory();
void setEmbeddedDataDirectory(const QString& dir);

// The driver that serves database names that are not embedded databases; none until the Oracle client's driver
// is installed by its module.
void setOracleClientDriver(std::shared_ptr<driver::Driver> driver);

// The embedded databases of the data directory, by name, in alphabetical order.
QStringList embeddedDatabaseNames();

// The Oracle client's database aliases, as the Oracle client's module offers them (none until it is installed).
void setOracleAliasProvider(std::function<QStringList()> provider);

// Every database name a logon can choose: the Oracle client's aliases in their order, then the embedded databases.
QStringList databaseAliases();

// Throws OracleError naming the database when no driver can serve it.
std::shared_ptr<driver::Driver> driverForDatabase(const QString& database);

} // namespace db

// The driver for a real Oracle database through the Oracle client library (OCI), loaded at run time: logon,
// statements with named binds, array fetch, errors with their offset, break, server output and version.
#pragma once

#include "db/driver.h"

#include <QDateTime>

#include <array>
#include <cstdint>
#include <memory>

namespace db::oci {

// The process's one Oracle client driver. Creating it loads nothing: the client library is loaded at the first
// logon, which fails with a message saying what is missing when there is no client.
std::shared_ptr<driver::Driver> clientDriver();
// A driver with an environment of its own, loaded afresh at its first logon (tests that switch clients use it).
std::shared_ptr<driver::Driver> newClientDriver();

// The longest LONG, CLOB or BLOB value fetched or returned by an OUT bind; a longer one fails with ORA-01406
// rather than arriving cut.
constexpr int longValueLimit = 4 * 1024 * 1024;

// Conversions of Oracle's external formats, exposed for tests.
std::array<std::uint8_t, 7> toOracleDate(const QDateTime& value);
QDateTime fromOracleDate(const std::uint8_t* bytes);
// A VARNUM (length byte and NUMBER bytes) as qint64 when whole and in range, else double; invalid when malformed.
QVariant fromVarnum(const std::uint8_t* bytes);
// The statement kind from OCI's statement type and, for what OCI does not tell apart, the statement's first words.
StatementKind statementKindOf(int ociStatementType, const QString& sql);

} // namespace db::oci

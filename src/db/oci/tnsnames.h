// The Oracle client's net service names (aliases) for the logon dialog, read from tnsnames.ora: TNS_ADMIN first,
// then the client's network/admin directory.
#pragma once

#include <QString>
#include <QStringList>

namespace db::oci {

// The aliases defined in the text of a tnsnames.ora, in file order, each once (names are case-insensitive).
// Comments (# to the end of a line) and nested parentheses are read over; "IFILE = path" entries are read through
// readFile (relative paths against baseDir) up to a small depth, a file already read is not read again.
QStringList parseTnsAliases(const QString& text, const QString& baseDir = {});

// The aliases of the tnsnames.ora file at path, with its IFILE entries; empty when the file cannot be read.
QStringList readTnsAliases(const QString& path);

// Where the client's tnsnames.ora is looked for, in order: $TNS_ADMIN, $ORACLE_HOME/network/admin,
// network/admin of the configured client location, and network/admin beside the loaded client library (where
// Instant Client keeps it).
QStringList tnsnamesCandidates();

// The aliases of the first tnsnames.ora found, sorted case-insensitively; empty when there is none.
QStringList clientAliases();

} // namespace db::oci

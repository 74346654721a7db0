// The last-version registry: for each database alias and user, the name of the last script the script executor
// stored and ran, kept as "#ALIAS/USER/version#" entries in key VER_LAST of section PL/SQL of the settings file.
#pragma once

#include <QString>

namespace platform {
class IniFile;
}

namespace develop {

// The registry value with version recorded for alias and user (an existing entry is replaced and moved to the
// end). Entries of other aliases and users are kept whole. A value already holding the entry is returned as it is.
QString lastVerWith(
    const QString& currLastVer, const QString& connServer, const QString& connUser, const QString& version);

// The version recorded for alias and user, upper-cased; empty when there is none.
QString GetLastVer(const QString& currLastVer, const QString& connServer, const QString& connUser);

struct ShraniLastVerResult {
    bool changed = false; // the value changed and was written
    bool ok = true; // false: the settings file could not be written; error says why
    QString error;
};

// Records version in currLastVer and writes the value to the settings file at once when it changed.
// A version holding "#" cannot be stored (it would split the entry) and is refused.
ShraniLastVerResult ShraniLastVer(QString& currLastVer, const QString& connServer, const QString& connUser,
    const QString& version, platform::IniFile& settings);

} // namespace develop

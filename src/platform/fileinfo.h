// File version information: the program's version text and build date (compiled in), the executable's
// directory and its file date.
#pragma once

#include <QDateTime>
#include <QString>

namespace platform {

QString versionText();      // "0.1.0"
QString buildDate();        // "YYYY-MM-DD", the day the build was configured
QString executablePath();
QString executableDir();    // with a trailing separator, as the tool builds paths by appending a file name
QDateTime executableFileDate();

} // namespace platform

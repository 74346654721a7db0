// The per-user configuration directory of the tool, which stands for the Windows directory: profile files
// named without a directory live there.
#pragma once

#include <QString>

namespace platform {

// The directory, created on first use; ends without a separator.
QString userConfigDir();
// Tests and portable installations point it elsewhere; an empty path restores the default.
void setUserConfigDir(const QString& dir);
// A file name without a directory is placed in userConfigDir(); any other path is returned as it is.
QString profilePath(const QString& fileName);

} // namespace platform

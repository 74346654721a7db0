// The permission bits of a file or directory, for tests of what may read the files the program writes.
#pragma once

#include <QString>

#include <sys/stat.h>

namespace testsupport {

// The mode's permission bits (0600, 0755 ...), -1 when there is no such file.
inline int fileModeOf(const QString& path)
{
    struct stat st {};
    if (::stat(path.toLocal8Bit().constData(), &st) != 0)
        return -1;
    return static_cast<int>(st.st_mode & 07777);
}

} // namespace testsupport

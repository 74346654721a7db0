#include "platform/privatefile.h"

#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
}

bool restrictToOwner(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    if ((info.permissions() & ~(kOwnerOnly | QFileDevice::ReadUser | QFileDevice::WriteUser)) == 0)
        return true;
    return QFile::setPermissions(path, kOwnerOnly);
}

bool createOwnerOnly(const QString& path)
{
    if (QFileInfo::exists(path))
        return restrictToOwner(path);
    QFile file(path);
    // NewOnly: another writer that made the file meanwhile keeps it, and restrictToOwner below sees to it.
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly))
        return true;
    return restrictToOwner(path);
}

} // namespace platform

#include "platform/configdir.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

namespace platform {
namespace {
QMutex mutex;
QString overrideDir;
} // namespace

QString userConfigDir()
{
    QString dir;
    {
        QMutexLocker lock(&mutex);
        dir = overrideDir;
    }
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(dir);
    return dir;
}

void setUserConfigDir(const QString& dir)
{
    QMutexLocker lock(&mutex);
    overrideDir = dir;
}

QString profilePath(const QString& fileName)
{
    if (fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\')))
        return fileName;
    return userConfigDir() + QLatin1Char('/') + fileName;
}

} // namespace platform

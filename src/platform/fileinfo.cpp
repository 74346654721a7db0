#include "platform/fileinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {
namespace buildinfo {
extern const char* const version;
extern const char* const date;
} // namespace buildinfo

QString versionText() { return QString::fromLatin1(buildinfo::version); }

QString buildDate() { return QString::fromLatin1(buildinfo::date); }

QString executablePath() { return QCoreApplication::applicationFilePath(); }

QString executableDir()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QDateTime executableFileDate() { return QFileInfo(executablePath()).lastModified(); }

} // namespace platform

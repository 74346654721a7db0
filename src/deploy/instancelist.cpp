#include "deploy/instancelist.h"

#include "shell/commandline.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace deploy {

InstanceList readInstanceList(const QString& executableDir)
{
    InstanceList list;
    const QString path
        = shell::resolveFileNameIgnoringCase(QString::fromLatin1(instanceListFileName), executableDir);
    if (!QFileInfo::exists(path))
        return list;
    list.exists = true;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        list.error = &runnertext::instanceListUnreadable;
        list.errorArgs = { path, QFileInfo(path).isFile() ? file.errorString() : QStringLiteral("not a file") };
        return list;
    }
    // An alias is a short name: a line longer than this is no alias, and a huge file is not read whole.
    constexpr qint64 lineLimit = 4096;
    while (!file.atEnd()) {
        const QString alias = QString::fromLocal8Bit(file.readLine(lineLimit)).trimmed();
        if (!alias.isEmpty())
            list.aliases << alias;
        if (list.aliases.size() > instanceListLimit)
            break;
    }
    if (list.aliases.size() > instanceListLimit) {
        // Count them all for the message, reading no more than the lines.
        qsizetype total = list.aliases.size();
        while (!file.atEnd())
            if (!QString::fromLocal8Bit(file.readLine(lineLimit)).trimmed().isEmpty())
                ++total;
        list.error = &runnertext::instanceListTooLong;
        list.errorArgs = { path, QString::number(total), QString::number(instanceListLimit) };
    }
    return list;
}

} // namespace deploy

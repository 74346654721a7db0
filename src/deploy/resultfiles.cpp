#include "deploy/resultfiles.h"

#include "platform/inifile.h"
#include "shell/commandline.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace deploy {

namespace {

QString withSeparator(QString dir)
{
    if (!dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QLatin1Char('\\')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace

ResultFileName makeResultFileName(
    const QString& name, const QString& tag, const QString& organisationCode, const QString& defaultDirectory)
{
    const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('\\')), name.lastIndexOf(QLatin1Char('/')));
    QString directory = cut < 0 ? QString() : name.left(cut + 1);
    if (directory.isEmpty() || directory.compare(QLatin1String("A:\\"), Qt::CaseInsensitive) == 0) {
        directory = withSeparator(defaultDirectory);
    } else if (directory.size() > 1) {
        // The directory as it is on disk; one that does not exist stays as written and the writer reports it.
        const QString onDisk = shell::resolveFileNameIgnoringCase(directory.left(directory.size() - 1));
        if (QFileInfo(onDisk).isDir())
            directory = withSeparator(onDisk);
    }
    ResultFileName result;
    result.directory = directory;
    result.name = directory + tag + organisationCode;
    if (tag == QLatin1String("DF"))
        result.name += QStringLiteral("!.txt");
    return result;
}

QString backupReportName(const ResultFileName& report, const QString& organisationCode)
{
    return report.directory + QStringLiteral("SH") + organisationCode;
}

QString programDataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/dremmox");
}

RunFiles runFiles(const QString& settingsFile, const QString& dataDirectory)
{
    const platform::IniFile ini(settingsFile);
    const QString section = QLatin1String(runFilesSection);
    RunFiles files;
    files.errorFile = ini.readString(section, QStringLiteral("ERROR_FILE"));
    if (files.errorFile.isEmpty())
        files.errorFile = QDir(dataDirectory).filePath(QStringLiteral("dremmox.err"));
    QString results = ini.readString(section, QStringLiteral("RESULT_DIR"));
    if (results.isEmpty())
        results = dataDirectory;
    files.resultDirectory = withSeparator(results);
    return files;
}

bool writeErrorFile(const QString& path, const QStringList& lines, QString* error)
{
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir)) {
        if (error)
            *error = QStringLiteral("cannot make the directory ") + dir;
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    for (const QString& line : lines)
        file.write(line.toUtf8() + '\n');
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace deploy

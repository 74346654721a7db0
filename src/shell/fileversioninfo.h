// The version data of a program file, shown by the main window in its version text. The tool's own executable
// carries the version and build date compiled in; a Windows program file (a loader, a library) carries its own
// version resource, read from the file (platform/versionresource.h); any other file has none.
#pragma once

#include <QDateTime>
#include <QString>

namespace shell {

class TIFileInfo {
public:
    explicit TIFileInfo(const QString& fileName);

    static inline const QString noFileInfo = QStringLiteral("No file info.");

    QString FsFileName;
    QString FsCompanyName;
    QString FsFileDescription;
    QString FsFileVersion;
    QString FsInternalName;
    QString FsLegalCopyright;
    QString FsLegalTrademarks;
    QString FsOriginalFilename;
    QString FsProductName;
    QString FsProductVersion;
    QString FsComments;

    QString aiVersion() const { return parts.version; }
    QString aiRelease() const { return parts.release; }
    QString aiBuild() const { return parts.build; }
    QDateTime aiFileDate() const { return fileDate; }
    QString aiFileDateString() const;
    QString aiFileTimeString() const;

    // The parts of a file version: "2.1.3.4" gives version "2.01", release "3", build "4"; a missing item gives an
    // empty part; without version data every part is "No file info.".
    struct VersionParts {
        QString version;
        QString release;
        QString build;
    };
    static VersionParts versionParts(const QString& fileVersion, const QString& productVersion);

private:
    VersionParts parts;
    QDateTime fileDate;
};

} // namespace shell

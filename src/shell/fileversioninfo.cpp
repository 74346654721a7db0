#include "shell/fileversioninfo.h"

#include "platform/fileinfo.h"
#include "platform/versionresource.h"
#include "shell/idremmoxutils.h"

#include <QFileInfo>
#include <QLocale>

namespace shell {

TIFileInfo::TIFileInfo(const QString& fileName)
    : FsFileName(fileName)
{
    const QFileInfo file(fileName);
    const QFileInfo self(platform::executablePath());
    if (file.exists() && file.canonicalFilePath() == self.canonicalFilePath()) {
        FsCompanyName = QStringLiteral("Velmorant");
        FsFileDescription = QStringLiteral("Dremmox");
        FsFileVersion = platform::versionText();
        FsInternalName = self.completeBaseName();
        FsOriginalFilename = self.fileName();
        FsProductName = QStringLiteral("Dremmox");
        FsProductVersion = platform::versionText();
        FsComments = QStringLiteral("Built ") + platform::buildDate();
    } else if (const std::optional<platform::VersionResource> data = platform::readVersionResource(fileName)) {
        // The first translation's string table, as the version data of a Windows program name it.
        const QString key = data->firstKey();
        const std::pair<QString*, const char*> values[] = { { &FsCompanyName, "CompanyName" },
            { &FsFileDescription, "FileDescription" }, { &FsFileVersion, "FileVersion" },
            { &FsInternalName, "InternalName" }, { &FsLegalCopyright, "LegalCopyright" },
            { &FsLegalTrademarks, "LegalTrademarks" }, { &FsOriginalFilename, "OriginalFilename" },
            { &FsProductName, "ProductName" }, { &FsProductVersion, "ProductVersion" }, { &FsComments, "Comments" } };
        for (const auto& [field, name] : values)
            *field = data->value(key, QLatin1String(name));
    } else {
        for (QString* field : { &FsCompanyName, &FsFileDescription, &FsFileVersion, &FsInternalName, &FsLegalCopyright,
                 &FsLegalTrademarks, &FsOriginalFilename, &FsProductName, &FsProductVersion, &FsComments })
            *field = noFileInfo;
    }
    parts = versionParts(FsFileVersion, FsProductVersion);
    if (file.exists())
        fileDate = file.lastModified();
}

TIFileInfo::VersionParts TIFileInfo::versionParts(const QString& fileVersion, const QString& productVersion)
{
    if (productVersion == noFileInfo)
        return { noFileInfo, noFileInfo, noFileInfo };
    const QStringList items = TDremmoxHelper::splitDelimited(fileVersion, QLatin1Char('.'));
    VersionParts p;
    if (items.size() >= 2)
        p.version = items.at(0) + QLatin1Char('.') + items.at(1).rightJustified(2, QLatin1Char('0'));
    p.release = items.value(2);
    p.build = items.value(3);
    return p;
}

QString TIFileInfo::aiFileDateString() const
{
    return fileDate.isValid() ? QLocale::system().toString(fileDate.date(), QLocale::ShortFormat) : QString();
}

QString TIFileInfo::aiFileTimeString() const
{
    return fileDate.isValid() ? QLocale::system().toString(fileDate.time(), QLocale::LongFormat) : QString();
}

} // namespace shell

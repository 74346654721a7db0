#include "platform/inifile.h"

#include "platform/codepage.h"
#include "platform/configdir.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSaveFile>

// Text is decoded before it reaches the parser (UTF-8 or Windows-1250), so the parser needs no converter.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace platform {

struct IniFile::Impl {
    QString path;
    mutable QMutex mutex;
    mutable CSimpleIniA ini { true, false, false };
    mutable bool loaded = false;
    mutable QDateTime stamp;
    mutable qint64 size = -1;
    mutable bool crlf = false;
    mutable bool windows1250 = false;
    QString error;

    // Reloads the file when it changed on disk since the last look; a missing or unreadable file reads as empty.
    void refresh() const
    {
        const QFileInfo info(path);
        if (!info.exists()) {
            if (loaded || size != -1) {
                ini.Reset();
                size = -1;
                stamp = {};
            }
            loaded = true;
            return;
        }
        if (loaded && info.lastModified() == stamp && info.size() == size)
            return;
        ini.Reset();
        ini.SetSpaces(false);
        loaded = true;
        stamp = info.lastModified();
        size = info.size();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QByteArray bytes = file.readAll();
        crlf = bytes.contains("\r\n");
        windows1250 = !codepage::isValidUtf8(bytes);
        const QByteArray utf8 = windows1250 ? codepage::windows1250ToUnicode(bytes).toUtf8() : bytes;
        ini.LoadData(utf8.constData(), static_cast<size_t>(utf8.size()));
    }

    bool save()
    {
        std::string text;
        if (ini.Save(text) < 0) {
            error = QStringLiteral("Could not write the settings to %1").arg(path);
            return false;
        }
        QByteArray bytes = QByteArray::fromStdString(text);
        if (crlf) {
            bytes.replace("\r\n", "\n");
            bytes.replace("\n", "\r\n");
        }
        if (windows1250) {
            const QString unicode = QString::fromUtf8(bytes);
            if (codepage::fitsWindows1250(unicode))
                bytes = codepage::unicodeToWindows1250(unicode);
            else
                windows1250 = false;
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
            error = QStringLiteral("Could not write %1: %2").arg(path, file.errorString());
            loaded = false; // what is on disk is what counts; read it again next time
            return false;
        }
        const QFileInfo info(path);
        stamp = info.lastModified();
        size = info.size();
        error.clear();
        return true;
    }
};

namespace {
std::string key(const QString& s) { return s.trimmed().toStdString(); }
} // namespace

IniFile::IniFile(const QString& fileName)
    : d(std::make_unique<Impl>())
{
    d->path = profilePath(fileName);
}

IniFile::~IniFile() = default;

QString IniFile::fileName() const { return d->path; }

QString IniFile::readString(const QString& section, const QString& key_, const QString& defaultValue) const
{
    QMutexLocker lock(&d->mutex);
    d->refresh();
    const char* value = d->ini.GetValue(key(section).c_str(), key(key_).c_str(), nullptr);
    if (!value)
        return defaultValue;
    return QString::fromUtf8(value).trimmed();
}

bool IniFile::sectionExists(const QString& section) const
{
    QMutexLocker lock(&d->mutex);
    d->refresh();
    return d->ini.GetSection(key(section).c_str()) != nullptr;
}

QStringList IniFile::sections() const
{
    QMutexLocker lock(&d->mutex);
    d->refresh();
    CSimpleIniA::TNamesDepend names;
    d->ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList result;
    for (const auto& entry : names)
        result << QString::fromUtf8(entry.pItem);
    return result;
}

QStringList IniFile::keys(const QString& section) const
{
    QMutexLocker lock(&d->mutex);
    d->refresh();
    CSimpleIniA::TNamesDepend names;
    d->ini.GetAllKeys(key(section).c_str(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList result;
    for (const auto& entry : names)
        result << QString::fromUtf8(entry.pItem);
    return result;
}

bool IniFile::writeString(const QString& section, const QString& key_, const QString& value)
{
    QMutexLocker lock(&d->mutex);
    d->refresh();
    // A line break would end the value and start a stray line; the profile functions write one line per key.
    QString oneLine = value;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (d->ini.SetValue(key(section).c_str(), key(key_).c_str(), oneLine.toUtf8().constData()) < 0) {
        d->error = QStringLiteral("Could not set %1 in [%2]").arg(key_, section);
        return false;
    }
    return d->save();
}

bool IniFile::deleteKey(const QString& section, const QString& key_)
{
    QMutexLocker lock(&d->mutex);
    d->refresh();
    if (!d->ini.Delete(key(section).c_str(), key(key_).c_str()))
        return true;
    return d->save();
}

bool IniFile::eraseSection(const QString& section)
{
    QMutexLocker lock(&d->mutex);
    d->refresh();
    if (!d->ini.Delete(key(section).c_str(), nullptr))
        return true;
    return d->save();
}

QString IniFile::errorString() const
{
    QMutexLocker lock(&d->mutex);
    return d->error;
}

} // namespace platform

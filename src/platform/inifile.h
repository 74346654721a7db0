// Profile files (INI) with the semantics the tool was written against: case-insensitive sections and keys,
// the caller's default for anything missing, values written back in place with the file's other lines kept,
// and an atomic write so a crash never leaves half a settings file.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

class IniFile {
public:
    // A name without a directory lives in the user's configuration directory (see configdir.h).
    explicit IniFile(const QString& fileName);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    QString fileName() const;

    // Each read sees the file as it is on disk at the time of the call. A missing or unreadable file,
    // section or key gives the default; values are trimmed.
    QString readString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    bool sectionExists(const QString& section) const;
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // Each write updates the file at once (write then rename). False when the file could not be written;
    // errorString() then says why. Nothing is written silently wrong.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool deleteKey(const QString& section, const QString& key);
    bool eraseSection(const QString& section);

    QString errorString() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform

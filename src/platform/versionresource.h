// The version data of a Windows program file (the VS_VERSIONINFO resource of a PE image, as the system's file
// version functions read it): the translations it lists and the texts of each of its string tables. Read from the
// file's bytes, so a loader or a library built for Windows shows its version on any system.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

namespace platform {

struct VersionResource {
    // The entries of \VarFileInfo\Translation: the language in the low 16 bits, the code page in the high ones.
    QList<quint32> translations;
    // The string tables of \StringFileInfo by their key ("040904b0"), each value by its name ("FileVersion").
    QMap<QString, QMap<QString, QString>> strings;
    // The four numbers of the fixed part (VS_FIXEDFILEINFO), when it is there.
    std::optional<QList<int>> fileVersionNumbers;

    // The key of a translation: language x 65536 + code page in lower-case hexadecimal, with one "0" in front when
    // that gives fewer than 8 digits.
    static QString translationKey(quint32 translation);
    // The key of the first translation, or of the first string table when the file lists none.
    QString firstKey() const;
    QString value(const QString& key, const QString& name) const { return strings.value(key).value(name); }
};

// The version data in the bytes of a PE image; none when the bytes are no PE image or carry no version resource.
// Every offset is checked against the data: a damaged file gives none, never a read outside the bytes.
std::optional<VersionResource> parseVersionResource(const QByteArray& image);
// The same for a file; none when it cannot be read.
std::optional<VersionResource> readVersionResource(const QString& path);

} // namespace platform

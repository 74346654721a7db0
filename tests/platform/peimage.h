// Test data: the bytes of a small Windows program image (PE) whose resources hold version data, written as the
// Windows resource compiler lays them out, so the reader of version data is tried on files that were never on a
// Windows machine.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace testsupport {

struct VersionData {
    QList<int> numbers = { 2, 1, 3, 4 }; // the fixed part's file version; empty: no fixed part
    QList<quint32> translations = { 0x04B00409 }; // language 0x0409, code page 1200
    // String tables by key, each a list of name and value.
    QList<std::pair<QString, QList<std::pair<QString, QString>>>> tables;
    bool pe32plus = false;
};

namespace pe {

inline void put16(QByteArray& b, qsizetype at, quint16 v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}
inline void put32(QByteArray& b, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}
inline void pad4(QByteArray& b)
{
    while (b.size() % 4 != 0)
        b.append('\0');
}
inline void appendUtf16(QByteArray& b, const QString& text)
{
    for (QChar c : text) {
        b.append(char(c.unicode() & 0xFF));
        b.append(char(c.unicode() >> 8));
    }
    b.append(2, '\0');
}

// One block: length, value length, type, key, value, children; each part on a 32-bit boundary.
inline QByteArray block(
    const QString& key, const QByteArray& value, quint16 valueLength, bool text, const QList<QByteArray>& children = {})
{
    QByteArray b(6, '\0');
    put16(b, 2, valueLength);
    put16(b, 4, text ? 1 : 0);
    appendUtf16(b, key);
    pad4(b);
    b.append(value);
    for (const QByteArray& child : children) {
        pad4(b);
        b.append(child);
    }
    put16(b, 0, quint16(b.size()));
    return b;
}

} // namespace pe

// The VS_VERSIONINFO bytes of the data.
inline QByteArray versionInfo(const VersionData& data)
{
    QByteArray fixed;
    if (data.numbers.size() == 4) {
        fixed = QByteArray(52, '\0');
        pe::put32(fixed, 0, 0xFEEF04BD);
        pe::put32(fixed, 4, 0x00010000);
        pe::put32(fixed, 8, quint32(data.numbers[0]) << 16 | quint32(data.numbers[1]));
        pe::put32(fixed, 12, quint32(data.numbers[2]) << 16 | quint32(data.numbers[3]));
    }
    QList<QByteArray> parts;
    if (!data.tables.isEmpty()) {
        QList<QByteArray> tables;
        for (const auto& [key, values] : data.tables) {
            QList<QByteArray> strings;
            for (const auto& [name, value] : values) {
                QByteArray text;
                pe::appendUtf16(text, value);
                strings << pe::block(name, text, quint16(value.size() + 1), true);
            }
            tables << pe::block(key, {}, 0, true, strings);
        }
        parts << pe::block(QStringLiteral("StringFileInfo"), {}, 0, true, tables);
    }
    if (!data.translations.isEmpty()) {
        QByteArray value;
        for (quint32 t : data.translations) {
            QByteArray four(4, '\0');
            pe::put32(four, 0, t);
            value.append(four);
        }
        const QByteArray var = pe::block(QStringLiteral("Translation"), value, quint16(value.size()), false);
        parts << pe::block(QStringLiteral("VarFileInfo"), {}, 0, true, { var });
    }
    return pe::block(QStringLiteral("VS_VERSION_INFO"), fixed, quint16(fixed.size()), false, parts);
}

// A PE image with one section, .rsrc, holding the resource tree type 16 (version), name 1, language 0x0409.
inline QByteArray peImage(const QByteArray& versionInfoBytes, bool pe32plus = false)
{
    constexpr quint32 sectionRva = 0x1000;
    constexpr qsizetype sectionOffset = 0x200;
    QByteArray rsrc(0x58, '\0');
    pe::put16(rsrc, 14, 1); // root: one id entry
    pe::put32(rsrc, 16, 16);
    pe::put32(rsrc, 20, 0x80000000u | 0x18);
    pe::put16(rsrc, 0x18 + 14, 1); // names
    pe::put32(rsrc, 0x18 + 16, 1);
    pe::put32(rsrc, 0x18 + 20, 0x80000000u | 0x30);
    pe::put16(rsrc, 0x30 + 14, 1); // languages
    pe::put32(rsrc, 0x30 + 16, 0x409);
    pe::put32(rsrc, 0x30 + 20, 0x48);
    pe::put32(rsrc, 0x48, sectionRva + 0x58); // the data entry
    pe::put32(rsrc, 0x48 + 4, quint32(versionInfoBytes.size()));
    rsrc.append(versionInfoBytes);
    pe::pad4(rsrc);

    const quint16 optionalSize = pe32plus ? 240 : 224;
    QByteArray image(sectionOffset, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    pe::put32(image, 0x3C, 64);
    image.replace(64, 4, QByteArray("PE\0\0", 4));
    const qsizetype coff = 68;
    pe::put16(image, coff, pe32plus ? 0x8664 : 0x14C);
    pe::put16(image, coff + 2, 1);
    pe::put16(image, coff + 16, optionalSize);
    const qsizetype optional = coff + 20;
    pe::put16(image, optional, pe32plus ? 0x20B : 0x10B);
    const qsizetype directories = optional + (pe32plus ? 112 : 96);
    pe::put32(image, optional + (pe32plus ? 108 : 92), 16);
    pe::put32(image, directories + 16, sectionRva);
    pe::put32(image, directories + 20, quint32(rsrc.size()));
    const qsizetype section = optional + optionalSize;
    image.replace(section, 5, QByteArray(".rsrc"));
    pe::put32(image, section + 8, quint32(rsrc.size()));
    pe::put32(image, section + 12, sectionRva);
    pe::put32(image, section + 16, quint32(rsrc.size()));
    pe::put32(image, section + 20, quint32(sectionOffset));
    image.append(rsrc);
    return image;
}

} // namespace testsupport

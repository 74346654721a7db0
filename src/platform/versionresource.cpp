#include "platform/versionresource.h"

#include <QFile>

namespace platform {

namespace {

constexpr quint16 rtVersion = 16;
constexpr quint32 fixedFileInfoSignature = 0xFEEF04BD;

// Little-endian reads that say when they would leave the bytes.
class Bytes {
public:
    explicit Bytes(const QByteArray& data)
        : d(data)
    {
    }
    qsizetype size() const { return d.size(); }
    bool has(qint64 offset, qint64 count) const { return offset >= 0 && count >= 0 && offset + count <= d.size(); }
    std::optional<quint16> u16(qint64 offset) const
    {
        if (!has(offset, 2))
            return std::nullopt;
        const auto* p = reinterpret_cast<const uchar*>(d.constData() + offset);
        return quint16(p[0] | (p[1] << 8));
    }
    std::optional<quint32> u32(qint64 offset) const
    {
        if (!has(offset, 4))
            return std::nullopt;
        const auto* p = reinterpret_cast<const uchar*>(d.constData() + offset);
        return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
    }

private:
    const QByteArray& d;
};

struct Section {
    quint32 virtualAddress = 0;
    quint32 virtualSize = 0;
    quint32 rawSize = 0;
    quint32 rawOffset = 0;
};

// The file offset of a relative virtual address, inside the raw data of its section.
std::optional<qint64> fileOffset(const QList<Section>& sections, quint32 rva, quint32 size)
{
    for (const Section& s : sections) {
        const quint32 span = qMax(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && quint64(rva) + size <= quint64(s.virtualAddress) + span) {
            const quint64 inSection = rva - s.virtualAddress;
            if (inSection + size > s.rawSize)
                return std::nullopt;
            return qint64(s.rawOffset + inSection);
        }
    }
    return std::nullopt;
}

struct DirEntry {
    quint32 name = 0;
    quint32 offset = 0;
};

// The entries of a resource directory at `dir` (an offset into the file); none when it does not fit.
std::optional<QList<DirEntry>> directoryEntries(const Bytes& b, qint64 dir)
{
    const auto named = b.u16(dir + 12);
    const auto ids = b.u16(dir + 14);
    if (!named || !ids)
        return std::nullopt;
    QList<DirEntry> entries;
    const int count = *named + *ids;
    for (int i = 0; i < count; ++i) {
        const auto name = b.u32(dir + 16 + i * 8);
        const auto offset = b.u32(dir + 20 + i * 8);
        if (!name || !offset)
            return std::nullopt;
        entries.append({ *name, *offset });
    }
    return entries;
}

// The VS_VERSIONINFO bytes of a PE image: type RT_VERSION, its first name, its first language.
std::optional<QByteArray> versionBlock(const QByteArray& image)
{
    const Bytes b(image);
    if (image.size() < 64 || image.at(0) != 'M' || image.at(1) != 'Z')
        return std::nullopt;
    const auto pe = b.u32(0x3C);
    if (!pe || !b.has(*pe, 24) || image.mid(*pe, 4) != QByteArray("PE\0\0", 4))
        return std::nullopt;
    const qint64 coff = qint64(*pe) + 4;
    const auto sectionCount = b.u16(coff + 2);
    const auto optionalSize = b.u16(coff + 16);
    const qint64 optional = coff + 20;
    const auto magic = b.u16(optional);
    if (!sectionCount || !optionalSize || !magic)
        return std::nullopt;
    qint64 directories = 0;
    qint64 directoryCount = 0;
    if (*magic == 0x10b) {
        directories = optional + 96;
        directoryCount = optional + 92;
    } else if (*magic == 0x20b) {
        directories = optional + 112;
        directoryCount = optional + 108;
    } else {
        return std::nullopt;
    }
    const auto count = b.u32(directoryCount);
    const auto resourceRva = b.u32(directories + 2 * 8);
    const auto resourceSize = b.u32(directories + 2 * 8 + 4);
    if (!count || *count < 3 || !resourceRva || !resourceSize || *resourceRva == 0)
        return std::nullopt;
    QList<Section> sections;
    const qint64 table = optional + *optionalSize;
    for (int i = 0; i < *sectionCount; ++i) {
        const qint64 at = table + qint64(i) * 40;
        const auto vsize = b.u32(at + 8);
        const auto va = b.u32(at + 12);
        const auto rawSize = b.u32(at + 16);
        const auto rawOffset = b.u32(at + 20);
        if (!vsize || !va || !rawSize || !rawOffset)
            return std::nullopt;
        if (!b.has(*rawOffset, *rawSize))
            return std::nullopt;
        sections.append({ *va, *vsize, *rawSize, *rawOffset });
    }
    const auto root = fileOffset(sections, *resourceRva, 16);
    if (!root)
        return std::nullopt;
    // Type, then name, then language: three levels, each a subdirectory but the last.
    qint64 dir = *root;
    for (int level = 0; level < 2; ++level) {
        const auto entries = directoryEntries(b, dir);
        if (!entries || entries->isEmpty())
            return std::nullopt;
        const DirEntry* chosen = nullptr;
        for (const DirEntry& e : *entries) {
            if (level > 0 || (!(e.name & 0x80000000u) && (e.name & 0xFFFF) == rtVersion)) {
                chosen = &e;
                break;
            }
        }
        if (!chosen || !(chosen->offset & 0x80000000u))
            return std::nullopt;
        dir = *root + (chosen->offset & 0x7FFFFFFFu);
    }
    const auto languages = directoryEntries(b, dir);
    if (!languages || languages->isEmpty() || (languages->first().offset & 0x80000000u))
        return std::nullopt;
    const qint64 dataEntry = *root + languages->first().offset;
    const auto dataRva = b.u32(dataEntry);
    const auto dataSize = b.u32(dataEntry + 4);
    if (!dataRva || !dataSize)
        return std::nullopt;
    const auto data = fileOffset(sections, *dataRva, *dataSize);
    if (!data)
        return std::nullopt;
    return image.mid(*data, *dataSize);
}

qint64 align4(qint64 offset)
{
    return (offset + 3) & ~qint64(3);
}

// One block of the version data: a length, a value length, a type (1 text, 0 binary), a key, a value and the
// blocks inside it, each part on a 32-bit boundary.
struct Block {
    QString key;
    qint64 value = 0;
    qint64 valueLength = 0; // in bytes for binary values, in characters for texts
    bool text = false;
    qint64 children = 0;
    qint64 end = 0;
};

std::optional<Block> readBlock(const Bytes& b, qint64 at, qint64 limit)
{
    const auto length = b.u16(at);
    const auto valueLength = b.u16(at + 2);
    const auto type = b.u16(at + 4);
    if (!length || !valueLength || !type || *length < 6 || at + *length > limit)
        return std::nullopt;
    Block block;
    block.end = at + *length;
    qint64 p = at + 6;
    for (;;) {
        const auto c = b.u16(p);
        if (!c || p + 2 > block.end)
            return std::nullopt;
        p += 2;
        if (*c == 0)
            break;
        block.key += QChar(*c);
    }
    block.value = align4(p);
    block.text = *type == 1;
    block.valueLength = *valueLength;
    const qint64 valueBytes = block.text ? qint64(*valueLength) * 2 : *valueLength;
    block.children = qMin(align4(block.value + valueBytes), block.end);
    return block;
}

// The blocks directly inside a block.
QList<Block> childrenOf(const Bytes& b, const Block& parent)
{
    QList<Block> blocks;
    qint64 at = parent.children;
    while (at + 6 <= parent.end) {
        const auto child = readBlock(b, at, parent.end);
        if (!child)
            break;
        blocks.append(*child);
        at = align4(child->end);
    }
    return blocks;
}

QString textValue(const Bytes& b, const Block& block)
{
    QString text;
    for (qint64 i = 0; i < block.valueLength; ++i) {
        const qint64 at = block.value + i * 2;
        if (at + 2 > block.end)
            break;
        const auto c = b.u16(at);
        if (!c || *c == 0)
            break;
        text += QChar(*c);
    }
    return text;
}

} // namespace

QString VersionResource::translationKey(quint32 translation)
{
    const quint32 language = translation & 0xFFFF;
    const quint32 codePage = translation >> 16;
    QString key = QString::number(quint64(language) * 65536 + codePage, 16);
    if (key.size() < 8)
        key.prepend(QLatin1Char('0'));
    return key;
}

QString VersionResource::firstKey() const
{
    if (!translations.isEmpty())
        return translationKey(translations.first());
    return strings.isEmpty() ? QString() : strings.firstKey();
}

std::optional<VersionResource> parseVersionResource(const QByteArray& image)
{
    const std::optional<QByteArray> data = versionBlock(image);
    if (!data)
        return std::nullopt;
    const Bytes b(*data);
    const auto root = readBlock(b, 0, data->size());
    if (!root || root->key != QLatin1String("VS_VERSION_INFO"))
        return std::nullopt;
    VersionResource r;
    if (!root->text && root->valueLength >= 52 && b.u32(root->value) == fixedFileInfoSignature) {
        const auto ms = b.u32(root->value + 8);
        const auto ls = b.u32(root->value + 12);
        if (ms && ls)
            r.fileVersionNumbers = QList<int> { int(*ms >> 16), int(*ms & 0xFFFF), int(*ls >> 16), int(*ls & 0xFFFF) };
    }
    for (const Block& part : childrenOf(b, *root)) {
        if (part.key == QLatin1String("StringFileInfo")) {
            for (const Block& table : childrenOf(b, part)) {
                QMap<QString, QString>& values = r.strings[table.key.toLower()];
                for (const Block& value : childrenOf(b, table))
                    values.insert(value.key, textValue(b, value));
            }
        } else if (part.key == QLatin1String("VarFileInfo")) {
            for (const Block& var : childrenOf(b, part)) {
                if (var.key != QLatin1String("Translation"))
                    continue;
                const qint64 bytes = var.text ? var.valueLength * 2 : var.valueLength;
                for (qint64 at = var.value; at + 4 <= var.value + bytes && at + 4 <= var.end; at += 4) {
                    if (const auto t = b.u32(at))
                        r.translations.append(*t);
                }
            }
        }
    }
    return r;
}

std::optional<VersionResource> readVersionResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parseVersionResource(file.readAll());
}

} // namespace platform

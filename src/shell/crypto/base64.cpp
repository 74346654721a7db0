#include "shell/crypto/base64.h"

#include <array>

namespace crypto {
namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char padding = '=';

constexpr std::array<qint8, 256> makeDecodeTable()
{
    std::array<qint8, 256> table {};
    table.fill(-1);
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<qint8>(i);
    return table;
}

constexpr std::array<qint8, 256> decodeTable = makeDecodeTable();

} // namespace

QByteArray base64Encode(const QByteArray& bytes)
{
    QByteArray text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData());
    qsizetype i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const quint32 group = (quint32(in[i]) << 16) | (quint32(in[i + 1]) << 8) | in[i + 2];
        text.append(alphabet[(group >> 18) & 63]);
        text.append(alphabet[(group >> 12) & 63]);
        text.append(alphabet[(group >> 6) & 63]);
        text.append(alphabet[group & 63]);
    }
    const qsizetype rest = bytes.size() - i;
    if (rest > 0) {
        const quint32 group = (quint32(in[i]) << 16) | (rest == 2 ? quint32(in[i + 1]) << 8 : 0U);
        text.append(alphabet[(group >> 18) & 63]);
        text.append(alphabet[(group >> 12) & 63]);
        text.append(rest == 2 ? alphabet[(group >> 6) & 63] : padding);
        text.append(padding);
    }
    return text;
}

CipherResult base64Decode(const QByteArray& text)
{
    if (text.size() % 4 != 0)
        return CipherResult::failure(invalidBase64Length());
    QByteArray bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (qsizetype i = 0; i < text.size(); i += 4) {
        const bool lastGroup = i + 4 == text.size();
        // "xx==" and "xxx=" are the only places padding may stand.
        const int padded = !lastGroup ? 0 : text[i + 3] != padding ? 0 : text[i + 2] == padding ? 2 : 1;
        quint32 group = 0;
        for (int j = 0; j < 4; ++j) {
            const auto c = static_cast<unsigned char>(text[i + j]);
            qint8 value = decodeTable[c];
            if (j >= 4 - padded)
                value = 0;
            else if (value < 0)
                return CipherResult::failure(invalidBase64Character());
            group = (group << 6) | static_cast<quint32>(value);
        }
        bytes.append(static_cast<char>(group >> 16));
        if (padded < 2)
            bytes.append(static_cast<char>(group >> 8));
        if (padded < 1)
            bytes.append(static_cast<char>(group));
    }
    return CipherResult::success(bytes);
}

} // namespace crypto

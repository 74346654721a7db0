#include "shell/crypto/desecb.h"

#include <algorithm>

namespace crypto {

qsizetype OutBufSizeNeeded(qsizetype plainSize)
{
    return (plainSize & ~qsizetype(7)) + 8;
}

QByteArray desEcbEncrypt(const QByteArray& plain, const TKey64& key)
{
    const TDESContext context = prepareDesKey(key, true);
    const qsizetype fullBlocks = plain.size() / 8;
    QByteArray cipher;
    cipher.reserve(OutBufSizeNeeded(plain.size()));
    TDESBlock block;
    for (qsizetype b = 0; b <= fullBlocks; ++b) {
        block.fill(0);
        const qsizetype start = b * 8;
        const qsizetype count = std::min<qsizetype>(8, plain.size() - start);
        std::copy_n(plain.constData() + start, count, block.begin());
        if (b == fullBlocks)
            block[7] = static_cast<quint8>(count); // 0 to 7: the last block is never full
        desBlock(context, block);
        cipher.append(reinterpret_cast<const char*>(block.data()), 8);
    }
    return cipher;
}

CipherResult desEcbDecrypt(const QByteArray& cipher, const TKey64& key)
{
    // Only whole blocks, at least one, come out of desEcbEncrypt; bytes beyond the last block mean the text was
    // damaged or is not ours.
    if (cipher.isEmpty() || cipher.size() % 8 != 0)
        return CipherResult::failure(invalidFileFormat());
    const TDESContext context = prepareDesKey(key, false);
    QByteArray plain;
    plain.reserve(cipher.size());
    TDESBlock block;
    const qsizetype blocks = cipher.size() / 8;
    for (qsizetype b = 0; b < blocks; ++b) {
        std::copy_n(cipher.constData() + b * 8, 8, block.begin());
        desBlock(context, block);
        if (b + 1 < blocks) {
            plain.append(reinterpret_cast<const char*>(block.data()), 8);
            continue;
        }
        if (block[7] > 7)
            return CipherResult::failure(invalidFileFormat());
        plain.append(reinterpret_cast<const char*>(block.data()), block[7]);
    }
    return CipherResult::success(plain);
}

} // namespace crypto

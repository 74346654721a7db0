// The DES block cipher (FIPS PUB 46-3) on one 8-byte block: key preparation for one direction and the block
// routine. The credential store reaches it only through the ECB road (desecb.h, lbdes.h).
#pragma once

#include <QtGlobal>

#include <array>

namespace crypto {

// 8 key bytes; the lowest bit of each is a parity bit and does not take part, as the standard says.
using TKey64 = std::array<quint8, 8>;
// The first byte is the most significant byte of the block.
using TDESBlock = std::array<quint8, 8>;

// The 16 round subkeys (48 bits each), stored in reverse for deciphering so that one block routine serves both
// directions.
struct TDESContext {
    std::array<quint64, 16> subKeys {};
    bool encrypt = true;
};

TDESContext prepareDesKey(const TKey64& key, bool encrypt);
void desBlock(const TDESContext& context, TDESBlock& block);

} // namespace crypto

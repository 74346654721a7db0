// DES in ECB mode over a byte string with the tool's last-block rule: the last block carries the 0 to 7 bytes
// left over, zeros after them and their count in its eighth byte, so a ciphertext is always (n div 8 + 1) blocks.
#pragma once

#include "shell/crypto/cipherresult.h"
#include "shell/crypto/des.h"

#include <QByteArray>

namespace crypto {

// The ciphertext size for a plaintext of plainSize bytes: the size with its lowest three bits cleared, plus 8.
qsizetype OutBufSizeNeeded(qsizetype plainSize);

QByteArray desEcbEncrypt(const QByteArray& plain, const TKey64& key);
// Fails with "Invalid file format" for anything this road does not write: an empty text, a size that is not a
// whole number of blocks, or a last block whose count byte is above 7.
CipherResult desEcbDecrypt(const QByteArray& cipher, const TKey64& key);

} // namespace crypto

// The DES cipher object of the credential store: a key, ECB mode, and the string road (DES, then Base64 for
// enciphering; Base64, then DES for deciphering). Created for one operation and dropped after it.
#pragma once

#include "shell/crypto/cipherresult.h"
#include "shell/crypto/des.h"

#include <QByteArray>

namespace crypto {

class TLbDES {
public:
    void SetKey(const TKey64& key) { FKey = key; }
    TKey64 GetKey() const { return FKey; }

    // The Base64 text of the ECB ciphertext: 12 characters for 0 to 7 bytes, 24 for 8 to 15, 32 for 16 to 23.
    // The same bytes and key always give the same text.
    QByteArray EncryptString(const QByteArray& plain) const;
    // Fails for text that is not valid Base64 or whose ciphertext this road did not write (see desEcbDecrypt).
    CipherResult DecryptString(const QByteArray& text) const;

private:
    TKey64 FKey {};
};

} // namespace crypto

// Base64 of RFC 4648 section 4 as the credential store writes it: the standard alphabet, "=" padding, no line
// breaks. Decoding accepts exactly that form and nothing else.
#pragma once

#include "shell/crypto/cipherresult.h"

#include <QByteArray>

namespace crypto {

QByteArray base64Encode(const QByteArray& bytes);
// Fails with "Invalid Base64 Character" for a character outside the alphabet (a line break or blank included) or
// padding anywhere but at the end, and with "Invalid Base64 text length" when the length is not a multiple of 4.
CipherResult base64Decode(const QByteArray& text);

} // namespace crypto

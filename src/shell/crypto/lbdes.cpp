#include "shell/crypto/lbdes.h"

#include "shell/crypto/base64.h"
#include "shell/crypto/desecb.h"

namespace crypto {

QByteArray TLbDES::EncryptString(const QByteArray& plain) const
{
    return base64Encode(desEcbEncrypt(plain, FKey));
}

CipherResult TLbDES::DecryptString(const QByteArray& text) const
{
    CipherResult decoded = base64Decode(text);
    if (!decoded.ok())
        return decoded;
    return desEcbDecrypt(decoded.data, FKey);
}

} // namespace crypto

// The DES block cipher against published test vectors, and the ECB road's last-block rule.
#include "shell/crypto/des.h"
#include "shell/crypto/desecb.h"

#include <gtest/gtest.h>

namespace {

using crypto::TDESBlock;
using crypto::TKey64;

template <typename Bytes> Bytes fromHex(const char* hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    Bytes out {};
    std::copy_n(bytes.constData(), out.size(), out.begin());
    return out;
}

std::string toHex(const TDESBlock& block)
{
    return QByteArray(reinterpret_cast<const char*>(block.data()), 8).toHex().toUpper().toStdString();
}

struct VectorCase {
    const char* name;
    const char* key;
    const char* plain;
    const char* cipher;
};

// The classic worked example, and entries of the standard's validation set (variable plaintext, variable key,
// permutation and substitution tests).
const VectorCase vectors[] = {
    { "worked example", "133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405" },
    { "worked example, parity bits flipped", "123456789ABCDEF0", "0123456789ABCDEF", "85E813540F0AB405" },
    { "enciphers to zero", "0E329232EA6D0D73", "8787878787878787", "0000000000000000" },
    { "variable plaintext 1", "0101010101010101", "8000000000000000", "95F8A5E5DD31D900" },
    { "variable plaintext 2", "0101010101010101", "4000000000000000", "DD7F121CA5015619" },
    { "variable plaintext 3", "0101010101010101", "2000000000000000", "2E8653104F3834EA" },
    { "variable plaintext last bit", "0101010101010101", "0000000000000001", "166B40B44ABA4BD6" },
    { "variable key 1", "8001010101010101", "0000000000000000", "95A8D72813DAA94D" },
    { "variable key 2", "4001010101010101", "0000000000000000", "0EEC1487DD8C26D5" },
    { "permutation", "1046913489980131", "0000000000000000", "88D55E54F54C97B4" },
    { "substitution 1", "7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B" },
    { "substitution 2", "0131D9619DC1376E", "5CD54CA83DEF57DA", "7A389D10354BD271" },
};

TEST(DesBlock, EnciphersAndDeciphersPublishedVectors)
{
    for (const VectorCase& c : vectors) {
        SCOPED_TRACE(c.name);
        const auto key = fromHex<TKey64>(c.key);
        TDESBlock block = fromHex<TDESBlock>(c.plain);
        crypto::desBlock(crypto::prepareDesKey(key, true), block);
        EXPECT_EQ(toHex(block), c.cipher);
        crypto::desBlock(crypto::prepareDesKey(key, false), block);
        EXPECT_EQ(toHex(block), c.plain);
    }
}

TEST(DesEcb, OutputSizeFollowsTheLastBlockRule)
{
    const struct {
        qsizetype plain;
        qsizetype cipher;
    } sizes[] = { { 0, 8 }, { 1, 8 }, { 7, 8 }, { 8, 16 }, { 15, 16 }, { 16, 24 }, { 23, 24 }, { 24, 32 } };
    const auto key = fromHex<TKey64>("133457799BBCDFF1");
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.plain);
        EXPECT_EQ(crypto::OutBufSizeNeeded(s.plain), s.cipher);
        EXPECT_EQ(crypto::desEcbEncrypt(QByteArray(s.plain, 'x'), key).size(), s.cipher);
    }
}

// The last block holds the leftover bytes, zeros, and their count in byte 7; a full last block of plaintext gains
// a block of eight zero bytes.
TEST(DesEcb, LastBlockCarriesLeftoverBytesAndTheirCount)
{
    const auto key = fromHex<TKey64>("0E329232EA6D0D73");
    const auto decipherBlocks = [&key](const QByteArray& cipher) {
        QByteArray plain;
        const auto context = crypto::prepareDesKey(key, false);
        for (qsizetype i = 0; i < cipher.size(); i += 8) {
            TDESBlock block;
            std::copy_n(cipher.constData() + i, 8, block.begin());
            crypto::desBlock(context, block);
            plain.append(reinterpret_cast<const char*>(block.data()), 8);
        }
        return plain.toHex();
    };
    const struct {
        const char* name;
        QByteArray plain;
        QByteArray blocks;
    } cases[] = {
        { "empty", "", "0000000000000000" },
        { "three bytes", "abc", "6162630000000003" },
        { "seven bytes", "abcdefg", "6162636465666707" },
        { "eight bytes", "abcdefgh",
            "6162636465666768"
            "0000000000000000" },
        { "nine bytes", "abcdefghi",
            "6162636465666768"
            "6900000000000001" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decipherBlocks(crypto::desEcbEncrypt(c.plain, key)), c.blocks);
    }
}

TEST(DesEcb, RoundTripsEveryLength)
{
    const auto key = fromHex<TKey64>("0131D9619DC1376E");
    QByteArray plain;
    for (int length = 0; length <= 24; ++length) {
        SCOPED_TRACE(length);
        const QByteArray cipher = crypto::desEcbEncrypt(plain, key);
        const crypto::CipherResult back = crypto::desEcbDecrypt(cipher, key);
        ASSERT_TRUE(back.ok()) << back.error.toStdString();
        EXPECT_EQ(back.data, plain);
        plain.append(static_cast<char>(0xF0 ^ (length * 37))); // bytes with the high bit set and zeros too
    }
}

TEST(DesEcb, RefusesWhatItDoesNotWrite)
{
    const auto key = fromHex<TKey64>("133457799BBCDFF1");
    // A block whose deciphered byte 7 is above 7: encipher such a block directly.
    TDESBlock countNine = fromHex<TDESBlock>("4142434400000009");
    crypto::desBlock(crypto::prepareDesKey(key, true), countNine);
    const QByteArray badCount(reinterpret_cast<const char*>(countNine.data()), 8);
    const QByteArray good = crypto::desEcbEncrypt("password", key);

    const struct {
        const char* name;
        QByteArray cipher;
    } cases[] = {
        { "empty", QByteArray() },
        { "shorter than a block", good.left(7) },
        { "a block and a bit", good.left(12) },
        { "trailing bytes after the last block", good + "xyz" },
        { "count byte above 7", badCount },
        { "count byte above 7 after a good block", good.left(8) + badCount },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const crypto::CipherResult result = crypto::desEcbDecrypt(c.cipher, key);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.error.toStdString(), "Invalid file format");
        EXPECT_TRUE(result.data.isEmpty());
    }
}

} // namespace

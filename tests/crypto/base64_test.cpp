// Base64 as the credential store writes and reads it, and the DES string road on top of it.
#include "shell/crypto/base64.h"
#include "shell/crypto/lbdes.h"

#include <gtest/gtest.h>

namespace {

TEST(Base64, EncodesTheRfcExamples)
{
    const struct {
        QByteArray plain;
        QByteArray text;
    } cases[] = {
        { "", "" },
        { "f", "Zg==" },
        { "fo", "Zm8=" },
        { "foo", "Zm9v" },
        { "foob", "Zm9vYg==" },
        { "fooba", "Zm9vYmE=" },
        { "foobar", "Zm9vYmFy" },
        { QByteArray::fromHex("fbff"), "+/8=" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.constData());
        EXPECT_EQ(crypto::base64Encode(c.plain), c.text);
        const crypto::CipherResult back = crypto::base64Decode(c.text);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back.data, c.plain);
    }
}

// Longer than the 45-byte pieces the text was once written in, so a break between pieces would show.
TEST(Base64, RoundTripsEveryLength)
{
    QByteArray bytes;
    for (int length = 0; length <= 100; ++length) {
        SCOPED_TRACE(length);
        const QByteArray text = crypto::base64Encode(bytes);
        EXPECT_EQ(text, bytes.toBase64());
        EXPECT_FALSE(text.contains('\n'));
        const crypto::CipherResult back = crypto::base64Decode(text);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back.data, bytes);
        bytes.append(static_cast<char>(length * 89 + 3));
    }
}

TEST(Base64, RefusesTextItDoesNotWrite)
{
    const struct {
        const char* name;
        QByteArray text;
        const char* error;
    } cases[] = {
        { "line break", "Zm9v\nYmF", "Invalid Base64 Character" },
        { "line break at the end", "Zm9vYmE=\r\n", "Invalid Base64 text length" },
        { "blank", "Zm9v YmF", "Invalid Base64 Character" },
        { "between + and z but not in the alphabet", "Zm9v-mFy", "Invalid Base64 Character" },
        { "url-safe underscore", "Zm9v_mFy", "Invalid Base64 Character" },
        { "below +", "Zm9v*mFy", "Invalid Base64 Character" },
        { "above z", "Zm9v{mFy", "Invalid Base64 Character" },
        { "non-ASCII byte", "Zm9v\xC3\xA9mF", "Invalid Base64 Character" },
        { "padding in the middle", "Zg==Zg==", "Invalid Base64 Character" },
        { "padding before a character", "Zm=v", "Invalid Base64 Character" },
        { "three padding characters", "Z===", "Invalid Base64 Character" },
        { "all padding", "====", "Invalid Base64 Character" },
        { "one character short", "Zm9vYmE", "Invalid Base64 text length" },
        { "missing padding", "Zg", "Invalid Base64 text length" },
        { "one character", "Z", "Invalid Base64 text length" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const crypto::CipherResult result = crypto::base64Decode(c.text);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.error.toStdString(), c.error);
    }
}

crypto::TLbDES desWithKey(const char* key)
{
    crypto::TLbDES des;
    crypto::TKey64 bytes {};
    std::copy_n(key, 8, bytes.begin());
    des.SetKey(bytes);
    return des;
}

// Expected texts computed independently with OpenSSL's DES-ECB over the padded blocks.
TEST(DesString, MatchesAnIndependentImplementation)
{
    const crypto::TLbDES des = desWithKey("t7kWaLzq");
    const struct {
        QByteArray plain;
        QByteArray text;
    } cases[] = {
        { "", "ThdU2bxW1Yk=" },
        { "VOXA", "V2iy09wj+0g=" },
        { "Scott/Tiger", "OFnigBGrRQotMlDr02911g==" },
        { "abcdefgh", "4ssn36vxsSNOF1TZvFbViQ==" },
        { "\x8E"
          "e",
            "t+gM0aPKcAk=" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.constData());
        EXPECT_EQ(des.EncryptString(c.plain), c.text);
        const crypto::CipherResult back = des.DecryptString(c.text);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back.data, c.plain);
    }
}

TEST(DesString, RoundTripsEveryLengthWithTheDocumentedTextLength)
{
    const crypto::TLbDES des = desWithKey("12345678");
    QByteArray plain;
    for (int length = 0; length <= 24; ++length) {
        SCOPED_TRACE(length);
        const QByteArray text = des.EncryptString(plain);
        EXPECT_EQ(text.size(), length < 8 ? 12 : length < 16 ? 24 : length < 24 ? 32 : 44);
        EXPECT_EQ(des.EncryptString(plain), text) << "ECB has no initial block: same input, same text";
        const crypto::CipherResult back = des.DecryptString(text);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back.data, plain);
        plain.append(static_cast<char>('a' + length));
    }
}

TEST(DesString, FailsOnTextItDidNotWrite)
{
    const crypto::TLbDES des = desWithKey("t7kWaLzq");
    const crypto::TLbDES otherKey = desWithKey("t7kWaLzr");
    const struct {
        const char* name;
        crypto::CipherResult result;
        const char* error;
    } cases[] = {
        { "empty text", des.DecryptString(""), "Invalid file format" },
        { "line break", des.DecryptString("V2iy09wj\n+0g"), "Invalid Base64 Character" },
        { "cut short", des.DecryptString("V2iy09wj+0g"), "Invalid Base64 text length" },
        { "Base64 of less than a block", des.DecryptString("QUJD"), "Invalid file format" },
        { "Base64 of a block and a half", des.DecryptString("V2iy09wj+0hBQkNE"), "Invalid file format" },
        // The other key turns the count byte into noise; with this text it lands above 7.
        { "another key", otherKey.DecryptString("OFnigBGrRQotMlDr02911g=="), "Invalid file format" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.result.ok());
        EXPECT_EQ(c.result.error.toStdString(), c.error);
    }
}

} // namespace

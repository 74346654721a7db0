// Oracle's NUMBER format as the driver binds and fetches it: the byte forms below are Oracle's own encodings.
#include "db/oci/ocidriver.h"
#include "db/oci/ocinumber.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct NumberCase {
    const char* text;
    Bytes bytes;
};

TEST(OciNumber, EncodesAndDecodesOraclesBytes)
{
    const NumberCase cases[] = {
        { "0", { 0x80 } },
        { "1", { 0xC1, 0x02 } },
        { "100", { 0xC2, 0x02 } },
        { "123", { 0xC2, 0x02, 0x18 } },
        { "0.5", { 0xC0, 0x33 } },
        { "0.05", { 0xC0, 0x06 } },
        { "-1", { 0x3E, 0x64, 0x66 } },
        { "-123.45", { 0x3D, 0x64, 0x4E, 0x38, 0x66 } },
        { "12.5", { 0xC1, 0x0D, 0x33 } },
        { "1000000", { 0xC4, 0x02 } },
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        const auto encoded = db::oci::textToNumber(c.text);
        ASSERT_TRUE(encoded);
        EXPECT_EQ(*encoded, c.bytes);
        EXPECT_EQ(db::oci::numberToText(c.bytes.data(), int(c.bytes.size())), c.text);
    }
}

TEST(OciNumber, ReadsTheFormsTextTakes)
{
    const std::pair<const char*, const char*> cases[] = {
        { " 7 ", "7" },
        { "+007.500", "7.5" },
        { "1e3", "1000" },
        { "-2.5E-2", "-0.025" },
        { ".25", "0.25" },
        { "-0", "0" },
        { "9223372036854775807", "9223372036854775807" },
    };
    for (const auto& [in, out] : cases) {
        SCOPED_TRACE(in);
        const auto n = db::oci::textToNumber(in);
        ASSERT_TRUE(n);
        EXPECT_EQ(db::oci::numberToText(n->data(), int(n->size())), out);
    }
}

TEST(OciNumber, RefusesWhatIsNotANumber)
{
    for (const char* text : { "", " ", "abc", "1.2.3", "1e", "--1", "12a", "1e999" }) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(db::oci::textToNumber(text));
    }
}

TEST(OciNumber, RoundsToOraclesFortyDigits)
{
    // Oracle keeps 20 base-100 digits (here 39 decimal ones, the first pair being 01); the rest rounds half up.
    const auto n = db::oci::textToNumber("1.23456789012345678901234567890123456789999");
    ASSERT_TRUE(n);
    EXPECT_EQ(n->size(), 21u);
    EXPECT_EQ(db::oci::numberToText(n->data(), int(n->size())), "1.2345678901234567890123456789012345679");
}

TEST(OciNumber, VarnumBecomesWholeNumberOrDouble)
{
    auto varnum = [](const char* text) {
        const auto n = db::oci::textToNumber(text);
        Bytes b { std::uint8_t(n->size()) };
        b.insert(b.end(), n->begin(), n->end());
        return db::oci::fromVarnum(b.data());
    };
    EXPECT_EQ(varnum("42").typeId(), QMetaType::LongLong);
    EXPECT_EQ(varnum("-9223372036854775807").toLongLong(), -9223372036854775807LL);
    EXPECT_EQ(varnum("12.25").typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(varnum("12.25").toDouble(), 12.25);
    // Too large for an integer: still a number, not a failure.
    EXPECT_DOUBLE_EQ(varnum("123456789012345678901234").toDouble(), 1.23456789012345678901234e23);
    const Bytes malformed { 2, 0xC1, 0xFF };
    EXPECT_FALSE(db::oci::fromVarnum(malformed.data()).isValid());
}

TEST(OciDate, SevenBytesBothWays)
{
    const QDateTime dt(QDate(2024, 2, 29), QTime(23, 59, 58), Qt::UTC);
    const auto b = db::oci::toOracleDate(dt);
    EXPECT_EQ(b, (std::array<std::uint8_t, 7> { 120, 124, 2, 29, 24, 60, 59 }));
    EXPECT_EQ(db::oci::fromOracleDate(b.data()), dt);
}

} // namespace

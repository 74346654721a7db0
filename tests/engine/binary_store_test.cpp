// Storing into RAW and BLOB columns: Oracle reads a character value as hexadecimal digits (implicit HEXTORAW) and
// refuses numbers and dates.
#include "engine_fixture.h"

namespace {

using enginetest::EngineTest;

class BinaryStore : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        std::vector<engine::Bind> none;
        s->execute("CREATE TABLE pics (id NUMBER, r RAW(16), b BLOB)", none);
    }
    engine::Value stored(const std::string& column, int id)
    {
        std::vector<engine::Bind> none;
        auto r = s->execute("SELECT " + column + " FROM pics WHERE id = " + std::to_string(id), none);
        EXPECT_TRUE(r.cursor && r.cursor->next());
        return r.cursor->value(0);
    }
};

// Oracle: '89504E47' inserted into a BLOB or RAW column is the four bytes 0x89 'P' 'N' 'G'; lower-case digits count
// too, and an odd number of digits takes a leading zero ('ABC' is 0x0A 0xBC).
TEST_F(BinaryStore, TextIsReadAsHexadecimalDigits)
{
    std::vector<engine::Bind> none;
    s->execute("INSERT INTO pics VALUES (1, '89504e47', '89504E47' || '0D0A')", none);
    s->execute("INSERT INTO pics VALUES (2, 'ABC', NULL)", none);
    const engine::Value raw = stored("r", 1);
    ASSERT_EQ(raw.kind, engine::Value::Kind::Blob);
    EXPECT_EQ(raw.text, std::string("\x89PNG", 4));
    EXPECT_EQ(stored("b", 1).text, std::string("\x89PNG\r\n", 6));
    EXPECT_EQ(stored("r", 2).text, std::string("\x0A\xBC", 2));
    EXPECT_TRUE(stored("b", 2).isNull());
    s->execute("UPDATE pics SET b = 'FF00' WHERE id = 2", none);
    EXPECT_EQ(stored("b", 2).text, std::string("\xFF\x00", 2));
}

// Oracle: text that is not hexadecimal fails with ORA-01465; a number or a date is ORA-00932; nothing is stored.
TEST_F(BinaryStore, WhatIsNotHexadecimalIsRefused)
{
    const struct {
        const char* sql;
        int code;
    } cases[] = {
        { "INSERT INTO pics VALUES (3, 'XYZ', NULL)", 1465 },
        { "INSERT INTO pics VALUES (3, NULL, '12 34')", 1465 },
        { "INSERT INTO pics VALUES (3, 1234, NULL)", 932 },
        { "INSERT INTO pics VALUES (3, NULL, SYSDATE)", 932 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf(*s, c.sql), c.code) << c.sql;
    EXPECT_EQ(one(*s, "SELECT count(*) FROM pics"), "0");
}

} // namespace

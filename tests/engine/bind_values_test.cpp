// Values a client binds, checked and converted against the column they reach as Oracle does: numbers NUMBER cannot
// hold, bytes where a number or date belongs, dates with a field out of range, bytes stored into a character column
// (their hexadecimal digits, whose length counts). A refused value stores nothing.
#include "engine_fixture.h"

#include <cmath>
#include <limits>

namespace {

using engine::Value;
using enginetest::EngineTest;

Value dateValue(const char* text)
{
    return Value::fromDate(text);
}

class BindValues : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        s->execute("CREATE TABLE bv (k NUMBER PRIMARY KEY, n NUMBER(5, 2), d DATE, v VARCHAR2(5), r RAW(4))");
    }
    // The ORA code of storing the value with the statement, 0 when it succeeds.
    int store(const std::string& sql, const Value& value)
    {
        std::vector<engine::Bind> binds(1);
        binds[0].name = "X";
        binds[0].value = value;
        try {
            s->execute(sql, binds);
        } catch (const engine::Error& e) {
            return e.code();
        }
        return 0;
    }
};

TEST_F(BindValues, CheckedAgainstTheColumnAsOracleChecksThem)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        const char* sql;
        Value value;
        int code; // 0: stored
    };
    const char* const key = "INSERT INTO bv (k) VALUES (:x)";
    int next = 1;
    auto into = [&](const char* column) {
        return std::string("INSERT INTO bv (k, ") + column + ") VALUES (" + std::to_string(100 + next++) + ", :x)";
    };
    const std::string n = into("n"), d = into("d"), d2 = into("d"), v = into("v"), v2 = into("v"), r = into("r"),
                      r2 = into("r"), r3 = into("r");
    const Case cases[] = {
        // Oracle: NUMBER holds no infinity (ORA-01426) and no NaN (ORA-01722), and nothing of 1E126 or more.
        { "infinity into a NUMBER key", key, Value::fromReal(inf), 1426 },
        { "minus infinity", key, Value::fromReal(-inf), 1426 },
        { "NaN", key, Value::fromReal(std::nan("")), 1722 },
        { "1E126", key, Value::fromReal(1e126), 1426 },
        { "infinity into NUMBER(5,2)", n.c_str(), Value::fromReal(inf), 1426 },
        // Oracle: bytes (RAW) do not convert to NUMBER or DATE: ORA-00932.
        { "bytes into a NUMBER key", key, Value::fromBlob(std::string("\x01\x02\x03", 3)), 932 },
        { "bytes into a DATE", d.c_str(), Value::fromBlob("ab"), 932 },
        // Oracle: text converts to NUMBER, or is ORA-01722, or ORA-01426 beyond the range.
        { "text '12' into a NUMBER key", key, Value::fromText("12"), 0 },
        { "text 'abc'", key, Value::fromText("abc"), 1722 },
        { "text '1e400'", key, Value::fromText("1e400"), 1426 },
        // Oracle: each field of a DATE is checked, with its own error.
        { "month 13, day 45, hour 99", d.c_str(), dateValue("2020-13-45 99:99:99"), 1843 },
        { "30 February", d.c_str(), dateValue("2020-02-30 00:00:00"), 1847 },
        { "hour 24", d.c_str(), dateValue("2020-02-10 24:00:00"), 1850 },
        { "minute 60", d.c_str(), dateValue("2020-02-10 23:60:00"), 1851 },
        { "second 60", d.c_str(), dateValue("2020-02-10 23:59:60"), 1852 },
        { "year 10000", d.c_str(), dateValue("10000-01-01 00:00:00"), 1841 },
        { "year 0", d.c_str(), dateValue("0000-01-01 00:00:00"), 1841 },
        { "44 BC, before the years DATE holds here", d.c_str(), dateValue("-0044-03-15 00:00:00"), 1841 },
        { "letters in the month", d.c_str(), dateValue("2020-xx-01 00:00:00"), 1858 },
        { "a leap day", d2.c_str(), dateValue("2020-02-29 12:00:00"), 0 },
        // Oracle: bytes stored into VARCHAR2 are their hexadecimal digits, and those must fit (ORA-12899).
        { "ten bytes into VARCHAR2(5)", v.c_str(), Value::fromBlob("0123456789"), 12899 },
        { "two bytes into VARCHAR2(5)", v2.c_str(), Value::fromBlob("\xAB\xCD"), 0 },
        // Oracle: numbers and dates do not convert to RAW (ORA-00932); text is read as hexadecimal digits.
        { "a number into RAW", r.c_str(), Value::fromInt(7), 932 },
        { "a date into RAW", r.c_str(), dateValue("2020-01-01 00:00:00"), 932 },
        { "hex text into RAW", r2.c_str(), Value::fromText("C0FFEE"), 0 },
        { "text that is no hex into RAW", r3.c_str(), Value::fromText("XYZ"), 1465 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(store(c.sql, c.value), c.code);
    }
    // What was refused left nothing; what was stored reads back as Oracle shows it.
    EXPECT_EQ(rows(*s, "SELECT k, TO_CHAR(d, 'YYYY-MM-DD HH24:MI:SS'), v, r FROM bv ORDER BY k"),
        (std::vector<std::string> {
            "12 NULL NULL NULL", "103 2020-02-29 12:00:00 NULL NULL", "105 NULL ABCD NULL", "107 NULL NULL \xC0\xFF\xEE" }));
}

// Oracle: a bind compared with a NUMBER column is checked the same way.
TEST_F(BindValues, ComparisonsCheckTheirBindsToo)
{
    EXPECT_EQ(
        store("SELECT COUNT(*) FROM bv WHERE k = :x", Value::fromReal(std::numeric_limits<double>::infinity())), 1426);
    EXPECT_EQ(store("SELECT COUNT(*) FROM bv WHERE d = :x", dateValue("2020-02-31 00:00:00")), 1847);
    EXPECT_EQ(store("SELECT COUNT(*) FROM bv WHERE k = :x", Value::fromInt(1)), 0);
}

} // namespace

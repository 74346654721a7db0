// DBMS_OUTPUT: the session's server output buffer as the client reads it, its limits and GET_LINE(S).
#include "native_fixture.h"

using namespace enginetest;
using engine::Value;

namespace {

class DbmsOutputTest : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
    }
    void put(const std::string& routine, std::vector<Value> args = {})
    {
        callNative(*s, "DBMS_OUTPUT", routine, std::move(args));
    }
};

// Oracle: PUT adds to the current line; the client sees a line once PUT_LINE or NEW_LINE ends it, and a line
// never ended stays in the buffer.
TEST_F(DbmsOutputTest, LinesReachTheClientOnlyWhenEnded)
{
    s->enableOutput(20000);
    put("PUT", { txt("a") });
    put("PUT", { txt("b") });
    put("PUT_LINE", { txt("c") });
    put("PUT_LINE", { Value::null() }); // an empty line
    put("PUT", { txt("partial") });
    EXPECT_EQ(s->takeOutputLines(), (std::vector<std::string> { "abc", "" }));
    put("NEW_LINE");
    EXPECT_EQ(s->takeOutputLines(), (std::vector<std::string> { "partial" }));
}

// Oracle: while output is disabled every write is ignored; DISABLE throws away what was buffered.
TEST_F(DbmsOutputTest, DisabledOutputKeepsNothing)
{
    put("PUT_LINE", { txt("lost") });
    EXPECT_TRUE(s->takeOutputLines().empty());
    put("ENABLE");
    put("PUT_LINE", { txt("kept") });
    put("PUT", { txt("half") });
    put("DISABLE");
    put("ENABLE");
    put("NEW_LINE");
    EXPECT_EQ(s->takeOutputLines(), (std::vector<std::string> { "" }));
}

// Oracle: a buffer fills up to its size, then the write fails with ORU-10027 naming the limit; the lines written
// before are still there. ENABLE raises a size below 2000 to 2000.
TEST_F(DbmsOutputTest, OverflowReportsTheLimit)
{
    put("ENABLE", { num(100) });
    std::string line(100, 'x');
    for (int i = 0; i < 20; ++i)
        put("PUT_LINE", { txt(line) });
    std::string message;
    EXPECT_EQ(oraCodeOf([&] { put("PUT_LINE", { txt("y") }); }, &message), 20000);
    EXPECT_EQ(message, "ORA-20000: ORU-10027: buffer overflow, limit of 2000 bytes");
    EXPECT_EQ(oraCodeOf([&] { put("PUT", { txt("y") }); }), 20000);
    EXPECT_EQ(s->takeOutputLines().size(), 20u);
}

// Oracle: ENABLE(NULL) sets no limit; a line may hold 32767 bytes and one byte more is ORU-10028.
TEST_F(DbmsOutputTest, UnlimitedBufferAndLineLimit)
{
    put("ENABLE", { Value::null() });
    std::string longest(32767, 'z');
    for (int i = 0; i < 40; ++i)
        put("PUT_LINE", { txt(longest) });
    EXPECT_EQ(s->takeOutputLines().size(), 40u);
    put("PUT", { txt(longest) });
    std::string message;
    EXPECT_EQ(oraCodeOf([&] { put("PUT", { txt("!") }); }, &message), 20000);
    EXPECT_EQ(message, "ORA-20000: ORU-10028: line length overflow, limit of 32767 bytes per line");
}

// Oracle: GET_LINE gives the oldest complete line with status 0, and status 1 with a NULL line when none is left
// (a partial line is not given); GET_LINES gives up to numlines lines and says how many.
TEST_F(DbmsOutputTest, GetLineAndGetLines)
{
    put("ENABLE");
    for (const char* t : { "one", "two", "three" })
        put("PUT_LINE", { txt(t) });
    put("PUT", { txt("unfinished") });

    NativeResult r = callNative(*s, "DBMS_OUTPUT", "GET_LINE", { Value::null(), Value::null() });
    EXPECT_EQ(r.args[0], txt("one"));
    EXPECT_EQ(r.args[1], num(0));

    NativeArgs a { { Value::null(), num(5) }, {}, {}, {} };
    r = callNative(*s, "DBMS_OUTPUT", "GET_LINES", a);
    ASSERT_EQ(r.tables.size(), 2u);
    EXPECT_EQ(r.tables[0], (std::vector<Value> { txt("two"), txt("three") }));
    EXPECT_EQ(r.args[1], num(2));

    r = callNative(*s, "DBMS_OUTPUT", "GET_LINE", { Value::null(), Value::null() });
    EXPECT_TRUE(r.args[0].isNull());
    EXPECT_EQ(r.args[1], num(1));
}

// Oracle: after GET_LINE, the next PUT, PUT_LINE or NEW_LINE throws away the lines that were not read.
TEST_F(DbmsOutputTest, WritingAfterReadingDropsUnreadLines)
{
    put("ENABLE");
    put("PUT_LINE", { txt("first") });
    put("PUT_LINE", { txt("unread") });
    callNative(*s, "DBMS_OUTPUT", "GET_LINE", { Value::null(), Value::null() });
    put("PUT_LINE", { txt("fresh") });
    EXPECT_EQ(s->takeOutputLines(), (std::vector<std::string> { "fresh" }));
}

} // namespace

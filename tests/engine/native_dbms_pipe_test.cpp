// DBMS_PIPE: messages between sessions on different threads, waits that time out or are cancelled, private pipes'
// rights, the lifetime of implicit and explicit pipes, and unpacking by type.
#include "../support/waitfor.h"
#include "native_fixture.h"

#include <atomic>
#include <thread>

using namespace enginetest;
using engine::OraType;
using engine::Value;

namespace {

class DbmsPipeTest : public EngineTest {
protected:
    std::unique_ptr<engine::Session> a;
    std::unique_ptr<engine::Session> b;
    void SetUp() override
    {
        EngineTest::SetUp();
        a = logOn();
        b = logOn();
    }

    Value call(engine::Session& s, const std::string& routine, std::vector<Value> args = {})
    {
        NativeResult r = callNative(s, "DBMS_PIPE", routine, std::move(args));
        return r.returned.value_or(Value::null());
    }
    void pack(engine::Session& s, Value v, OraType type)
    {
        callNative(s, "DBMS_PIPE", "PACK_MESSAGE", NativeArgs { { std::move(v) }, {}, { type }, {} });
    }
    Value unpack(engine::Session& s, OraType type)
    {
        return callNative(s, "DBMS_PIPE", "UNPACK_MESSAGE", NativeArgs { { Value::null() }, { type }, {}, {} }).args[0];
    }
    std::optional<engine::plsql::PipeInfo> pipe(const std::string& name)
    {
        for (const auto& p : engine::plsql::listPipes(a->state().database->state()))
            if (p.name == name)
                return p;
        return std::nullopt;
    }
};

// Oracle: messages arrive whole and in the order sent, each item with its type, while sender and receiver run at
// the same time in two sessions.
TEST_F(DbmsPipeTest, MessagesBetweenSessionsArriveInOrder)
{
    constexpr int kCount = 200;
    std::thread sender([&] {
        for (int i = 0; i < kCount; ++i) {
            pack(*a, num(i), OraType::Number);
            pack(*a, txt("message " + std::to_string(i)), OraType::Varchar2);
            pack(*a, Value::fromDate("2026-12-11 01:02:03"), OraType::Date);
            ASSERT_EQ(call(*a, "SEND_MESSAGE", { txt("orders"), num(10) }), num(0));
        }
    });
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(call(*b, "RECEIVE_MESSAGE", { txt("ORDERS"), num(10) }), num(0));
        EXPECT_EQ(call(*b, "NEXT_ITEM_TYPE"), num(6));
        EXPECT_EQ(unpack(*b, OraType::Number), num(i));
        EXPECT_EQ(call(*b, "NEXT_ITEM_TYPE"), num(9));
        EXPECT_EQ(unpack(*b, OraType::Varchar2), txt("message " + std::to_string(i)));
        EXPECT_EQ(call(*b, "NEXT_ITEM_TYPE"), num(12));
        EXPECT_EQ(unpack(*b, OraType::Date), Value::fromDate("2026-12-11 01:02:03"));
        EXPECT_EQ(call(*b, "NEXT_ITEM_TYPE"), num(0));
    }
    sender.join();
}

// Oracle: a waiting RECEIVE_MESSAGE returns as soon as another session sends.
TEST_F(DbmsPipeTest, WaitingReceiverWakesOnSend)
{
    std::atomic<int> status { -1 };
    Value got;
    std::thread receiver([&] {
        status = static_cast<int>(call(*b, "RECEIVE_MESSAGE", { txt("wake") }).integer);
        got = unpack(*b, OraType::Varchar2);
    });
    pack(*a, txt("hello"), OraType::Varchar2);
    EXPECT_EQ(call(*a, "SEND_MESSAGE", { txt("wake") }), num(0));
    receiver.join();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(got, txt("hello"));
}

// Oracle: RECEIVE_MESSAGE returns 1 when nothing arrives in time; SEND_MESSAGE returns 1 when the pipe stays full.
// (A send with a larger maxpipesize, such as the default 8192, would make the pipe larger.)
TEST_F(DbmsPipeTest, TimeoutsReturnOne)
{
    EXPECT_EQ(call(*b, "RECEIVE_MESSAGE", { txt("nothing"), num(0) }), num(1));
    EXPECT_FALSE(pipe("NOTHING"));

    EXPECT_EQ(call(*a, "CREATE_PIPE", { txt("small"), num(40) }), num(0));
    pack(*a, txt(std::string(30, 'x')), OraType::Varchar2);
    EXPECT_EQ(call(*a, "SEND_MESSAGE", { txt("small"), num(0), num(40) }), num(0));
    pack(*a, txt(std::string(30, 'y')), OraType::Varchar2);
    EXPECT_EQ(call(*a, "SEND_MESSAGE", { txt("small"), num(0), num(40) }), num(1));
    // What was not sent is still packed, and goes once there is room.
    ASSERT_EQ(call(*b, "RECEIVE_MESSAGE", { txt("small"), num(0) }), num(0));
    EXPECT_EQ(call(*a, "SEND_MESSAGE", { txt("small"), num(0), num(40) }), num(0));
    ASSERT_EQ(call(*b, "RECEIVE_MESSAGE", { txt("small"), num(0) }), num(0));
    EXPECT_EQ(unpack(*b, OraType::Varchar2), txt(std::string(30, 'y')));
}

// Oracle: a session waiting on a pipe is stopped by a cancel with ORA-01013.
TEST_F(DbmsPipeTest, InterruptStopsAWaitingReceive)
{
    std::atomic<int> code { -1 };
    std::atomic<bool> started { false };
    std::thread receiver([&] {
        started = true;
        code = oraCodeOf([&] { call(*b, "RECEIVE_MESSAGE", { txt("never") }); });
    });
    EXPECT_TRUE(testsupport::waitFor([&] { return started.load(); }));
    EXPECT_TRUE(testsupport::waitFor([&] {
        b->interrupt();
        return code != -1;
    }));
    receiver.join();
    EXPECT_EQ(code, 1013);
}

// Oracle: pipes are not transactional: a message is readable while the sender's transaction is open, and stays
// sent when that transaction rolls back.
TEST_F(DbmsPipeTest, PipesIgnoreTransactions)
{
    a->execute("CREATE TABLE t (n NUMBER)");
    a->execute("INSERT INTO t VALUES (1)");
    pack(*a, num(7), OraType::Number);
    EXPECT_EQ(call(*a, "SEND_MESSAGE", { txt("tx") }), num(0));
    EXPECT_TRUE(a->inTransaction());
    a->rollback();
    ASSERT_EQ(call(*b, "RECEIVE_MESSAGE", { txt("tx"), num(0) }), num(0));
    EXPECT_EQ(unpack(*b, OraType::Number), num(7));
}

// Oracle: a private pipe serves only its creator's user: another user gets ORA-23322 for every use of it, also
// when creating a pipe of the same name; a public pipe anyone may use and remove.
TEST_F(DbmsPipeTest, PrivatePipeRights)
{
    a->execute("CREATE USER scott IDENTIFIED BY tiger");
    try {
        a->execute("GRANT CREATE SESSION TO scott");
    } catch (const engine::Error&) {
        // Rights are not checked at logon while GRANT is not there yet.
    }
    auto scott = logOn("SCOTT", "TIGER");
    EXPECT_EQ(call(*a, "CREATE_PIPE", { txt("secret") }), num(0));
    EXPECT_EQ(call(*b, "CREATE_PIPE", { txt("secret") }), num(0)); // same user: fine
    pack(*scott, num(1), OraType::Number);
    struct Case {
        const char* what;
        std::function<void()> run;
    };
    std::vector<Case> cases {
        { "create", [&] { call(*scott, "CREATE_PIPE", { txt("secret") }); } },
        { "send",
            [&] {
                call(*scott, "SEND_MESSAGE", { txt("secret"), num(0) });
            } },
        { "receive",
            [&] {
                call(*scott, "RECEIVE_MESSAGE", { txt("secret"), num(0) });
            } },
        { "purge", [&] { call(*scott, "PURGE", { txt("secret") }); } },
        { "remove", [&] { call(*scott, "REMOVE_PIPE", { txt("secret") }); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string message;
        EXPECT_EQ(oraCodeOf(c.run, &message), 23322);
        EXPECT_EQ(message, "ORA-23322: Insufficient privilege to access pipe");
    }
    ASSERT_TRUE(pipe("SECRET"));
    EXPECT_EQ(pipe("SECRET")->type, "PRIVATE");
    EXPECT_EQ(pipe("SECRET")->ownerId, a->state().userId);

    EXPECT_EQ(call(*a, "CREATE_PIPE", { txt("open"), num(8192), num(0) }), num(0));
    EXPECT_EQ(pipe("OPEN")->type, "PUBLIC");
    EXPECT_FALSE(pipe("OPEN")->ownerId);
    EXPECT_EQ(call(*scott, "REMOVE_PIPE", { txt("open") }), num(0));
    EXPECT_FALSE(pipe("OPEN"));

    auto sys = db->logOn("sys", "change_on_install", true);
    EXPECT_EQ(call(*sys, "REMOVE_PIPE", { txt("secret") }), num(0));
    EXPECT_FALSE(pipe("SECRET"));
}

// Oracle: a pipe made by SEND_MESSAGE is public and goes when it is empty again (received or purged); a pipe made
// by CREATE_PIPE stays until REMOVE_PIPE. V$DB_PIPES shows the bytes a pipe holds.
TEST_F(DbmsPipeTest, ImplicitAndExplicitPipeLifetime)
{
    pack(*a, txt("x"), OraType::Varchar2);
    EXPECT_EQ(call(*a, "SEND_MESSAGE", { txt("implicit") }), num(0));
    ASSERT_TRUE(pipe("IMPLICIT"));
    EXPECT_EQ(pipe("IMPLICIT")->type, "PUBLIC");
    EXPECT_GT(pipe("IMPLICIT")->size, 0);
    EXPECT_EQ(call(*b, "RECEIVE_MESSAGE", { txt("implicit"), num(0) }), num(0));
    EXPECT_FALSE(pipe("IMPLICIT"));

    EXPECT_EQ(call(*a, "SEND_MESSAGE", { txt("purged") }), num(0));
    callNative(*a, "DBMS_PIPE", "PURGE", { txt("purged") });
    EXPECT_FALSE(pipe("PURGED"));

    EXPECT_EQ(call(*a, "CREATE_PIPE", { txt("REFRESH"), num(20000) }), num(0));
    EXPECT_EQ(call(*a, "SEND_MESSAGE", { txt("refresh") }), num(0));
    EXPECT_EQ(call(*b, "RECEIVE_MESSAGE", { txt("refresh"), num(0) }), num(0));
    ASSERT_TRUE(pipe("REFRESH"));
    EXPECT_EQ(pipe("REFRESH")->size, 0);
    callNative(*a, "DBMS_PIPE", "PURGE", { txt("refresh") });
    EXPECT_TRUE(pipe("REFRESH"));
    EXPECT_EQ(call(*a, "REMOVE_PIPE", { txt("refresh") }), num(0));
    EXPECT_FALSE(pipe("REFRESH"));
    // Removing a pipe that is not there succeeds.
    EXPECT_EQ(call(*a, "REMOVE_PIPE", { txt("refresh") }), num(0));
}

// Oracle: V$DB_PIPES lists every pipe with its owner (private pipes only), type and size, for any session.
TEST_F(DbmsPipeTest, ListedInVDbPipes)
{
    EXPECT_EQ(call(*a, "CREATE_PIPE", { txt("lock1") }), num(0));
    pack(*a, txt("abc"), OraType::Varchar2);
    EXPECT_EQ(call(*a, "SEND_MESSAGE", { txt("alarm") }), num(0));
    auto listed = rows(*b, "SELECT ownerid, name, type, pipe_size FROM v$db_pipes ORDER BY name");
    EXPECT_EQ(listed,
        (std::vector<std::string> { "NULL ALARM PUBLIC 7", std::to_string(a->state().userId) + " LOCK1 PRIVATE 0" }));
}

// Oracle: UNPACK_MESSAGE wants a variable of the item's type (ORA-06559 names both type codes) and fails with
// ORA-06556 past the last item; RESET_BUFFER empties the buffers.
TEST_F(DbmsPipeTest, UnpackChecksTypeAndEnd)
{
    pack(*a, num(42), OraType::Number);
    pack(*a, Value::null(), OraType::Varchar2);
    EXPECT_EQ(call(*a, "SEND_MESSAGE", { txt("typed") }), num(0));
    ASSERT_EQ(call(*b, "RECEIVE_MESSAGE", { txt("typed"), num(0) }), num(0));
    std::string message;
    EXPECT_EQ(oraCodeOf([&] { unpack(*b, OraType::Varchar2); }, &message), 6559);
    EXPECT_EQ(message, "ORA-06559: wrong datatype requested, 9, actual datatype 6");
    EXPECT_EQ(unpack(*b, OraType::Number), num(42));
    EXPECT_EQ(call(*b, "NEXT_ITEM_TYPE"), num(9)); // a NULL VARCHAR2 keeps its type
    EXPECT_TRUE(unpack(*b, OraType::Varchar2).isNull());
    EXPECT_EQ(oraCodeOf([&] { unpack(*b, OraType::Varchar2); }, &message), 6556);
    EXPECT_EQ(message, "ORA-06556: the pipe is empty, cannot fulfill the unpack_message request");

    pack(*a, num(1), OraType::Number);
    callNative(*a, "DBMS_PIPE", "RESET_BUFFER");
    pack(*a, num(2), OraType::Number);
    EXPECT_EQ(call(*a, "SEND_MESSAGE", { txt("typed") }), num(0));
    ASSERT_EQ(call(*b, "RECEIVE_MESSAGE", { txt("typed"), num(0) }), num(0));
    EXPECT_EQ(unpack(*b, OraType::Number), num(2));
    EXPECT_EQ(call(*b, "NEXT_ITEM_TYPE"), num(0));
}

// Oracle: the message buffer holds 4096 bytes (ORA-06558 past it); a NULL pipe name is ORA-23321.
TEST_F(DbmsPipeTest, BufferLimitAndNullName)
{
    pack(*a, txt(std::string(4000, 'a')), OraType::Varchar2);
    EXPECT_EQ(oraCodeOf([&] { pack(*a, txt(std::string(100, 'b')), OraType::Varchar2); }), 6558);
    for (const char* routine : { "CREATE_PIPE", "REMOVE_PIPE", "PURGE", "SEND_MESSAGE", "RECEIVE_MESSAGE" }) {
        SCOPED_TRACE(routine);
        EXPECT_EQ(oraCodeOf([&] { call(*a, routine, { Value::null() }); }), 23321);
    }
}

// Oracle: UNIQUE_SESSION_NAME is the same within a session and differs between sessions.
TEST_F(DbmsPipeTest, UniqueSessionName)
{
    Value first = call(*a, "UNIQUE_SESSION_NAME");
    EXPECT_EQ(call(*a, "UNIQUE_SESSION_NAME"), first);
    EXPECT_NE(call(*b, "UNIQUE_SESSION_NAME"), first);
    EXPECT_EQ(first.text.rfind("ORA$PIPE$", 0), 0u);
    EXPECT_LE(first.text.size(), 30u);
}

} // namespace

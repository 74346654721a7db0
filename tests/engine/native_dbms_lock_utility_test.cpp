// DBMS_LOCK.SLEEP and DBMS_UTILITY: a sleep a cancel ends, the elapsed-time counter, the interpreter's stacks.
#include "../support/waitfor.h"
#include "native_fixture.h"

#include <atomic>
#include <set>
#include <thread>

using namespace enginetest;
using engine::Value;

namespace {

// Oracle: SLEEP waits the seconds given (hundredths allowed); a negative or NULL time is ORA-38148.
TEST_F(EngineTest, SleepWaitsAndRefusesBadTimes)
{
    auto s = logOn();
    auto start = std::chrono::steady_clock::now();
    callNative(*s, "DBMS_LOCK", "SLEEP", { Value::fromReal(0.05) });
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
    for (Value bad : { num(-1), Value::null() }) {
        std::string message;
        EXPECT_EQ(oraCodeOf([&] { callNative(*s, "DBMS_LOCK", "SLEEP", { bad }); }, &message), 38148);
        EXPECT_EQ(message, "ORA-38148: invalid time limit specified");
    }
}

// Oracle: a cancel ends a long sleep with ORA-01013.
TEST_F(EngineTest, SleepEndsOnInterrupt)
{
    auto s = logOn();
    std::atomic<int> code { -1 };
    std::atomic<bool> started { false };
    std::thread sleeper([&] {
        started = true;
        code = oraCodeOf([&] { callNative(*s, "DBMS_LOCK", "SLEEP", { num(3600) }); });
    });
    EXPECT_TRUE(testsupport::waitFor([&] { return started.load(); }));
    EXPECT_TRUE(testsupport::waitFor([&] {
        s->interrupt();
        return code != -1;
    }));
    sleeper.join();
    EXPECT_EQ(code, 1013);
}

// Oracle: GET_TIME counts hundredths of a second in a binary integer; two readings a sleep apart differ by about
// the sleep.
TEST_F(EngineTest, GetTimeCountsHundredths)
{
    auto s = logOn();
    auto time = [&] { return callNative(*s, "DBMS_UTILITY", "GET_TIME").returned->integer; };
    int64_t before = time();
    callNative(*s, "DBMS_LOCK", "SLEEP", { Value::fromReal(0.2) });
    int64_t after = time();
    EXPECT_GE(before, INT32_MIN);
    EXPECT_LE(before, INT32_MAX);
    // Taken modulo 2^32, as a program must when the counter wraps.
    int64_t elapsed = static_cast<int32_t>(static_cast<uint32_t>(after - before));
    EXPECT_GE(elapsed, 19);
}

// The error and call stacks come from the interpreter's hooks; without one the answer is NULL.
TEST_F(EngineTest, UtilityStacksAskTheInterpreter)
{
    auto s = logOn();
    auto& hooks = engine::plsql::nativeInterpreterHooks();
    auto saved = hooks;
    hooks = {};
    EXPECT_TRUE(callNative(*s, "DBMS_UTILITY", "FORMAT_ERROR_STACK").returned->isNull());
    hooks.callStack = [](engine::SessionState&) { return std::string("----- PL/SQL Call Stack -----\n"); };
    EXPECT_EQ(callNative(*s, "DBMS_UTILITY", "FORMAT_CALL_STACK").returned, txt("----- PL/SQL Call Stack -----\n"));
    hooks = saved;
}

// Every package routine is complete: a body to run, unique parameter names, defaults only where they may be left
// out, functions usable in SQL only without OUT parameters; the declared types resolve.
TEST(NativePackages, TablesAreConsistent)
{
    using namespace engine::plsql;
    for (const char* name : { "DBMS_OUTPUT", "DBMS_PIPE", "DBMS_LOCK", "DBMS_UTILITY", "DBMS_SQL", "UTL_FILE" })
        EXPECT_NE(findNativePackage(name), nullptr) << name;
    EXPECT_EQ(findNativePackage("DBMS_NOTHING"), nullptr);
    for (const NativePackage& p : nativePackages()) {
        EXPECT_EQ(p.types.size(), p.typeKinds.size()) << p.name;
        for (const NativeRoutine& r : p.routines) {
            SCOPED_TRACE(p.name + "." + r.name);
            EXPECT_TRUE(static_cast<bool>(r.run));
            std::set<std::string> names;
            for (const NativeParam& param : r.params) {
                EXPECT_TRUE(names.insert(param.name).second) << param.name;
                if (param.hasDefault || r.usableInSql) {
                    EXPECT_EQ(param.mode, ParamMode::In) << param.name;
                }
            }
            if (r.usableInSql) {
                EXPECT_TRUE(r.returns.has_value());
            }
        }
    }
    EXPECT_EQ(findNativeType("UTL_FILE", "FILE_TYPE"), NativeType::FileType);
    EXPECT_EQ(findNativeType("DBMS_OUTPUT", "CHARARR"), NativeType::Varchar2Table);
    EXPECT_FALSE(findNativeType("UTL_FILE", "CHARARR"));
}

} // namespace

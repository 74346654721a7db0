// The built-in packages called from PL/SQL blocks the way the tool's windows call them: output lines after a block,
// progress through a pipe read by another session, dynamic SQL.
#include "native_fixture.h"

#include <atomic>
#include <thread>

using namespace enginetest;
using engine::Bind;
using engine::BindDir;
using engine::OraType;
using engine::Value;

namespace {

class NativeBlocksTest : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
    }
    static Bind outText(const std::string& name)
    {
        Bind b;
        b.name = name;
        b.dir = BindDir::Out;
        b.type = OraType::Varchar2;
        return b;
    }
    static Bind inText(const std::string& name, const std::string& value)
    {
        Bind b;
        b.name = name;
        b.type = OraType::Varchar2;
        b.value = Value::fromText(value);
        return b;
    }
};

// Oracle: the lines a block writes with DBMS_OUTPUT are there for the client once the block ends; GET_LINE reads
// them back in the block, with status 1 when none is left.
TEST_F(NativeBlocksTest, OutputOfABlock)
{
    s->enableOutput(100000);
    s->execute("BEGIN\n  DBMS_OUTPUT.PUT_LINE('first');\n  dbms_output.put('a'); dbms_output.put('b');\n"
               "  dbms_output.new_line;\nEND;");
    EXPECT_EQ(s->takeOutputLines(), (std::vector<std::string> { "first", "ab" }));

    std::vector<Bind> binds { outText("R") };
    s->execute("DECLARE\n  l VARCHAR2(100);\n  st INTEGER;\n  acc VARCHAR2(100);\nBEGIN\n"
               "  DBMS_OUTPUT.PUT_LINE('x'); DBMS_OUTPUT.PUT_LINE('y');\n  LOOP\n"
               "    DBMS_OUTPUT.GET_LINE(l, st);\n    EXIT WHEN st <> 0;\n    acc := acc || l;\n  END LOOP;\n"
               "  :r := acc || st;\nEND;",
        binds);
    EXPECT_EQ(binds[0].value, txt("xy1"));
}

// Oracle: the refresh block's way of reporting progress: one session creates the pipe and sends messages while its
// transaction is open, another session of the same user reads them in order, and an empty text when none waits.
TEST_F(NativeBlocksTest, ProgressThroughAPipe)
{
    s->execute("CREATE TABLE t (n NUMBER)");
    auto reader = logOn();
    std::atomic<bool> done { false };
    std::atomic<int> workerError { 0 };
    std::thread worker([&] {
        auto w = logOn();
        workerError = oraCodeOf([&] {
            w->execute("DECLARE\n  pipe INTEGER;\n  rt INTEGER;\nBEGIN\n"
                       "  pipe := dbms_pipe.create_pipe('REFRESH', 20000);\n  dbms_pipe.purge('REFRESH');\n"
                       "  dbms_pipe.reset_buffer;\n"
                       "  FOR i IN 1 .. 5 LOOP\n    INSERT INTO t VALUES (i);\n"
                       "    dbms_pipe.pack_message(' ?S' || to_char(i) || '?');\n"
                       "    rt := dbms_pipe.send_message('REFRESH');\n  END LOOP;\nEND;");
        });
        done = true;
        // The transaction stays open while the reader works; it ends with the session.
        while (done)
            std::this_thread::yield();
    });
    const std::string read = "DECLARE\n  st INTEGER;\n  m VARCHAR2(200);\nBEGIN\n"
                             "  st := dbms_pipe.receive_message('REFRESH', 1);\n"
                             "  IF st = 0 THEN dbms_pipe.unpack_message(m); END IF;\n  :outniz := m;\nEND;";
    std::vector<std::string> got;
    // Each read waits at most a second; the bound only keeps a failing test from hanging.
    for (int i = 0; got.size() < 5 && i < 60; ++i) {
        std::vector<Bind> binds { outText("OUTNIZ") };
        reader->execute(read, binds);
        if (!binds[0].value.isNull())
            got.push_back(binds[0].value.text);
    }
    EXPECT_EQ(workerError, 0);
    EXPECT_EQ(got, (std::vector<std::string> { " ?S1?", " ?S2?", " ?S3?", " ?S4?", " ?S5?" }));
    std::vector<Bind> binds { outText("OUTNIZ") };
    reader->execute(read, binds);
    EXPECT_TRUE(binds[0].value.isNull());
    done = false;
    worker.join();
}

// Oracle: dynamic SQL through DBMS_SQL in a block: a query's rows read with COLUMN_VALUE into typed variables.
TEST_F(NativeBlocksTest, DynamicSqlInABlock)
{
    s->execute("CREATE TABLE d (id NUMBER, name VARCHAR2(10))");
    s->execute("INSERT INTO d VALUES (1, 'one')");
    s->execute("INSERT INTO d VALUES (2, 'two')");
    std::vector<Bind> binds { outText("R") };
    s->execute("DECLARE\n  c INTEGER := DBMS_SQL.OPEN_CURSOR;\n  n NUMBER;\n  v VARCHAR2(10);\n"
               "  r INTEGER;\n  acc VARCHAR2(100);\nBEGIN\n"
               "  DBMS_SQL.PARSE(c, 'SELECT id, name FROM d WHERE id >= :lo ORDER BY id', 1);\n"
               "  DBMS_SQL.BIND_VARIABLE(c, ':lo', 1);\n  DBMS_SQL.DEFINE_COLUMN(c, 1, n);\n"
               "  DBMS_SQL.DEFINE_COLUMN(c, 2, v, 10);\n  r := DBMS_SQL.EXECUTE(c);\n"
               "  WHILE DBMS_SQL.FETCH_ROWS(c) > 0 LOOP\n    DBMS_SQL.COLUMN_VALUE(c, 1, n);\n"
               "    DBMS_SQL.COLUMN_VALUE(c, 2, v);\n    acc := acc || n || v;\n  END LOOP;\n"
               "  DBMS_SQL.CLOSE_CURSOR(c);\n"
               "  :r := acc || CASE WHEN c IS NULL THEN ' closed' END;\nEND;",
        binds);
    EXPECT_EQ(binds[0].value, txt("1one2two closed"));
}

} // namespace

// Sessions: binds by name with Oracle's implicit conversions, RETURNING INTO, rows processed, the server output
// buffer, cursors read on another thread and cursors outliving their session.
#include "engine_fixture.h"

#include <thread>

using enginetest::EngineTest;

namespace {

engine::Bind bindOf(const char* name, engine::Value v, engine::BindDir dir = engine::BindDir::In)
{
    engine::Bind b;
    b.name = name;
    b.value = std::move(v);
    b.dir = dir;
    return b;
}

class SessionTest : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
        s->execute("CREATE TABLE t (id NUMBER PRIMARY KEY, name VARCHAR2(10), d DATE)");
    }
};

} // namespace

TEST_F(SessionTest, BindsConvertAsOracleAndMayRepeat)
{
    // Oracle: text bound to a NUMBER column is converted ('7' -> 7), text to a DATE under NLS_DATE_FORMAT.
    s->execute("ALTER SESSION SET NLS_DATE_FORMAT = 'DD.MM.YYYY'");
    std::vector<engine::Bind> b { bindOf("ID", engine::Value::fromText("7")), bindOf("N", engine::Value::fromText("x")),
        bindOf("D", engine::Value::fromText("05.03.2024")) };
    engine::ExecResult r = s->execute("INSERT INTO t (id, name, d) VALUES (:id, :n, :d)", b);
    EXPECT_EQ(r.kind, engine::StatementKind::Insert);
    EXPECT_EQ(r.rowsProcessed, 1);
    EXPECT_EQ(rows(*s, "SELECT id, name, d FROM t"), (std::vector<std::string> { "7 x 2024-03-05 00:00:00" }));
    // One name used twice is one bind.
    std::vector<engine::Bind> twice { bindOf("V", engine::Value::fromInt(7)) };
    EXPECT_EQ(rows(*s, "SELECT count(*) FROM t WHERE id = :v AND :v > 0", twice), (std::vector<std::string> { "1" }));
}

TEST_F(SessionTest, BindErrors)
{
    std::vector<engine::Bind> none;
    try {
        s->execute("SELECT * FROM t WHERE id = :missing", none);
        FAIL();
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.message(), "ORA-01008: not all variables bound");
    }
    std::vector<engine::Bind> bad { bindOf("ID", engine::Value::fromText("seven")) };
    try {
        s->execute("INSERT INTO t (id) VALUES (:id)", bad);
        FAIL();
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 1722);
    }
}

TEST_F(SessionTest, ReturningIntoFillsTheOutBind)
{
    std::vector<engine::Bind> b { bindOf("ID", engine::Value::fromInt(1)),
        bindOf("RID", engine::Value::null(), engine::BindDir::Out) };
    s->execute("INSERT INTO t (id, name) VALUES (:id, 'a') RETURNING ROWID INTO :rid", b);
    ASSERT_EQ(b[1].value.kind, engine::Value::Kind::Text);
    EXPECT_EQ(b[1].value.text.size(), 18u);
    std::vector<engine::Bind> q { bindOf("RID", b[1].value) };
    EXPECT_EQ(rows(*s, "SELECT name FROM t WHERE ROWID = :rid", q), (std::vector<std::string> { "a" }));
}

TEST_F(SessionTest, RowsProcessedOfDml)
{
    for (int i = 1; i <= 5; ++i) {
        std::vector<engine::Bind> b { bindOf("ID", engine::Value::fromInt(i)) };
        s->execute("INSERT INTO t (id) VALUES (:id)", b);
    }
    EXPECT_EQ(s->execute("UPDATE t SET name = 'x' WHERE id > 2").rowsProcessed, 3);
    EXPECT_EQ(s->execute("DELETE FROM t WHERE id = 99").rowsProcessed, 0);
    EXPECT_EQ(s->execute("DELETE FROM t").rowsProcessed, 5);
}

TEST_F(SessionTest, ServerOutputBuffer)
{
    // Lines are kept only while output is enabled; taking them empties the buffer; the limit is in bytes.
    s->putOutputLine("lost");
    s->enableOutput(10);
    s->putOutputLine("hello");
    EXPECT_THROW(s->putOutputLine("too long!"), engine::Error);
    EXPECT_EQ(s->takeOutputLines(), (std::vector<std::string> { "hello" }));
    EXPECT_TRUE(s->takeOutputLines().empty());
    s->disableOutput();
    s->putOutputLine("lost too");
    s->enableOutput(0);
    EXPECT_TRUE(s->takeOutputLines().empty());
}

TEST_F(SessionTest, CursorIsReadOnAnotherThreadWhileTheSessionWorks)
{
    for (int i = 1; i <= 300; ++i) {
        std::vector<engine::Bind> b { bindOf("ID", engine::Value::fromInt(i)) };
        s->execute("INSERT INTO t (id) VALUES (:id)", b);
    }
    s->commit();
    auto r = s->execute("SELECT id FROM t ORDER BY id");
    int64_t sum = 0;
    std::thread reader([&] {
        while (r.cursor->next())
            sum += r.cursor->value(0).integer;
    });
    for (int i = 0; i < 50; ++i)
        s->execute("UPDATE t SET name = 'n' WHERE id = 1");
    reader.join();
    EXPECT_EQ(sum, 300 * 301 / 2);
}

TEST_F(SessionTest, CursorOutlivingItsSessionEndsQuietly)
{
    s->execute("INSERT INTO t (id) VALUES (1)");
    s->execute("INSERT INTO t (id) VALUES (2)");
    auto r = s->execute("SELECT id FROM t");
    s.reset();
    EXPECT_FALSE(r.cursor->next());
}

TEST_F(SessionTest, StatementKinds)
{
    struct Case {
        const char* sql;
        engine::StatementKind kind;
    };
    const Case cases[] = {
        { "SELECT * FROM t", engine::StatementKind::Select },
        { "UPDATE t SET name = 'x'", engine::StatementKind::Update },
        { "DELETE FROM t", engine::StatementKind::Delete },
        { "SAVEPOINT a", engine::StatementKind::Savepoint },
        { "ROLLBACK TO a", engine::StatementKind::Rollback },
        { "COMMIT", engine::StatementKind::Commit },
        { "SET TRANSACTION READ WRITE", engine::StatementKind::SetTransaction },
        { "LOCK TABLE t IN EXCLUSIVE MODE", engine::StatementKind::LockTable },
        { "ROLLBACK", engine::StatementKind::Rollback },
        { "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY'", engine::StatementKind::AlterSession },
        { "CREATE TABLE u (a NUMBER)", engine::StatementKind::Ddl },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(s->execute(c.sql).kind, c.kind);
    }
}

TEST_F(SessionTest, ErrorsCarryTheOffsetOfTheTableName)
{
    try {
        s->execute("SELECT * FROM nosuch");
        FAIL();
    } catch (const engine::Error& e) {
        EXPECT_EQ(e.code(), 942);
        EXPECT_EQ(e.offset(), 14);
    }
}

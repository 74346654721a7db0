// Recovery at open: undo left in the file by a process that died is checked, record by record, before anything is
// applied. Oracle refuses to open a database whose files fail verification (ORA-01122) and names what is wrong; a
// damaged record never makes the engine read past a value, write NULL in place of a value, or replace a row it
// did not write. Each open runs in a child process, so a crash fails the case instead of the whole test binary.
#include "child_process.h"
#include "engine_fixture.h"

#include <sqlite3.h>

#include <cstring>

using enginetest::EngineTest;

namespace {

// Row images as the undo journal writes them: a tag, then 8 bytes, or a 4-byte length and the bytes.
std::string integer(int64_t v)
{
    std::string s(1, '\1');
    s.append(reinterpret_cast<const char*>(&v), 8);
    return s;
}
std::string text(const std::string& t, uint32_t length)
{
    std::string s(1, '\3');
    s.append(reinterpret_cast<const char*>(&length), 4);
    return s + t;
}
std::string text(const std::string& t)
{
    return text(t, static_cast<uint32_t>(t.size()));
}

struct UndoRow {
    std::string table; // empty: the test table
    int op = 3; // delete: the row comes back
    int64_t rowno = 3;
    std::string image;
    bool imageAsText = false;
};

struct Case {
    const char* name;
    std::vector<UndoRow> undo;
    std::string refusal; // empty: the database opens
    std::vector<std::string> rows; // of the table afterwards (also unchanged after a refusal)
};

class RecoveryTest : public EngineTest {
protected:
    std::string table;
    void SetUp() override
    {
        EngineTest::SetUp();
        auto s = logOn();
        s->execute("CREATE TABLE t (id NUMBER PRIMARY KEY, v VARCHAR2(20))");
        s->execute("INSERT INTO t VALUES (1, 'one')");
        s->execute("INSERT INTO t VALUES (2, 'two')");
        s->commit();
        table = "T" + one(*s, "SELECT object_id FROM user_objects WHERE object_name = 'T'");
        s.reset();
        db.reset();
    }
    sqlite3* raw()
    {
        sqlite3* r = nullptr;
        sqlite3_open(tmp.filePath("db/database.sqlite").toUtf8().constData(), &r);
        return r;
    }
    void plant(const std::vector<UndoRow>& undo)
    {
        sqlite3* r = raw();
        sqlite3_stmt* ins = nullptr;
        sqlite3_prepare_v2(r, R"(INSERT INTO "UNDO$" VALUES (?1, 1, ?2, ?3, ?4, ?5))", -1, &ins, nullptr);
        int64_t seq = 100;
        for (const UndoRow& u : undo) {
            std::string name = u.table.empty() ? table : u.table;
            sqlite3_bind_int64(ins, 1, ++seq);
            sqlite3_bind_text(ins, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(ins, 3, u.op);
            sqlite3_bind_int64(ins, 4, u.rowno);
            if (u.imageAsText)
                sqlite3_bind_text(ins, 5, u.image.data(), static_cast<int>(u.image.size()), SQLITE_TRANSIENT);
            else
                sqlite3_bind_blob(ins, 5, u.image.data(), static_cast<int>(u.image.size()), SQLITE_TRANSIENT);
            EXPECT_EQ(sqlite3_step(ins), SQLITE_DONE);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        sqlite3_close(r);
    }
    // The table's rows and the count of undo records, read without the engine.
    std::vector<std::string> stored(int64_t* undoLeft)
    {
        sqlite3* r = raw();
        std::vector<std::string> out;
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(r, ("SELECT C1, C2 FROM \"" + table + "\" ORDER BY C1").c_str(), -1, &q, nullptr);
        while (sqlite3_step(q) == SQLITE_ROW)
            out.push_back(std::to_string(sqlite3_column_int64(q, 0)) + " "
                + reinterpret_cast<const char*>(sqlite3_column_text(q, 1)));
        sqlite3_finalize(q);
        sqlite3_prepare_v2(r, R"(SELECT count(*) FROM "UNDO$")", -1, &q, nullptr);
        sqlite3_step(q);
        *undoLeft = sqlite3_column_int64(q, 0);
        sqlite3_finalize(q);
        sqlite3_exec(r, R"(DELETE FROM "UNDO$")", nullptr, nullptr, nullptr);
        sqlite3_exec(r, ("DELETE FROM \"" + table + "\" WHERE C1 > 2").c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(r);
        return out;
    }
};

} // namespace

TEST_F(RecoveryTest, EveryUndoRecordIsCheckedBeforeAnyIsApplied)
{
    const std::string good = integer(3) + integer(3) + text("three");
    const std::vector<std::string> untouched { "1 one", "2 two" };
    const std::vector<Case> cases = {
        { "a sound record", { { "", 3, 3, good } }, "", { "1 one", "2 two", "3 three" } },
        { "a text longer than its record", { { "", 3, 3, integer(3) + integer(3) + text("thr", 1000000) } },
            "value 3 runs past the end of the record", untouched },
        { "a length cut short", { { "", 3, 3, integer(3) + integer(3) + std::string("\3\1", 2) } },
            "value 3 is cut short", untouched },
        { "a number cut short", { { "", 3, 3, integer(3) + std::string("\1\1\2", 3) } }, "value 2 is cut short",
            untouched },
        { "a value of no known type", { { "", 3, 3, integer(3) + integer(3) + std::string("\x09", 1) } },
            "value 3 has an unknown type 9", untouched },
        { "too few values", { { "", 3, 3, integer(3) + integer(3) } }, "holds 2 values for a table of 3 columns",
            untouched },
        { "the image of another row", { { "", 3, 3, integer(4) + integer(3) + text("three") } },
            "holds the image of another row", untouched },
        { "an unknown operation", { { "", 7, 3, good } }, "has an unknown operation 7", untouched },
        { "no table of user data", { { "UNDO$", 3, 3, good } }, "names no table of user data", untouched },
        { "an image stored as text", { { "", 3, 3, good, true } }, "is malformed", untouched },
        { "one damaged record among sound ones",
            { { "", 3, 3, good }, { "", 3, 4, integer(4) + integer(4) + text("four", 77) } }, "runs past the end",
            untouched },
        // A table dropped since (DDL commits) has nothing left to restore: the database opens without it.
        { "a table that is gone", { { "T999999", 3, 3, good }, { "", 3, 3, good } }, "",
            { "1 one", "2 two", "3 three" } },
        // Undo never replaces a row its transaction did not write.
        { "a row number another row holds", { { "", 3, 2, integer(2) + integer(22) + text("twenty-two") } },
            "clashes with another row", untouched },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        plant(c.undo);
        enginetest::ChildOutcome end = enginetest::runInChild([&]() -> std::string {
            try {
                auto d = engine::Database::open(dir());
                return "0";
            } catch (const engine::Error& e) {
                return std::to_string(e.code()) + " " + e.message();
            }
        });
        ASSERT_TRUE(end.exitedNormally) << "the open crashed with signal " << end.signal;
        int64_t undoLeft = 0;
        EXPECT_EQ(stored(&undoLeft), c.rows);
        if (c.refusal.empty()) {
            EXPECT_EQ(end.output, "0");
            EXPECT_EQ(undoLeft, 0);
        } else {
            EXPECT_EQ(end.output.substr(0, 5), "1122 ");
            EXPECT_NE(end.output.find("ORA-01122: database file 1 failed verification check"), std::string::npos);
            EXPECT_NE(end.output.find(c.refusal), std::string::npos) << end.output;
            EXPECT_EQ(undoLeft, static_cast<int64_t>(c.undo.size()));
        }
    }
}

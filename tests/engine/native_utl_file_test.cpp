// UTL_FILE: writing and reading text files in the database's server directory, and the package's exceptions.
#include "engine/storage/sqlite.h"
#include "native_fixture.h"

#include <QDir>
#include <QFile>

using namespace enginetest;
using engine::Value;

namespace {

class UtlFileTest : public EngineTest {
protected:
    std::unique_ptr<engine::Session> s;
    void SetUp() override
    {
        EngineTest::SetUp();
        s = logOn();
    }
    std::string filesDir() const { return dir() + "/files"; }

    Value call(const std::string& routine, std::vector<Value> args = {})
    {
        return callNative(*s, "UTL_FILE", routine, std::move(args)).returned.value_or(Value::null());
    }
    Value open(const std::string& name, const std::string& mode, Value lineSize = num(1024))
    {
        return call("FOPEN", { txt("."), txt(name), txt(mode), std::move(lineSize) });
    }
    // GET_LINE's buffer, or the error code it fails with.
    Value getLine(const Value& f, Value len = Value::null())
    {
        return callNative(*s, "UTL_FILE", "GET_LINE", { f, Value::null(), std::move(len) }).args[1];
    }
    std::string contents(const std::string& name) const
    {
        QFile file(QString::fromStdString(filesDir() + "/" + name));
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return file.readAll().toStdString();
    }
};

// Oracle: PUT, PUT_LINE and NEW_LINE write text lines; GET_LINE reads them back without their terminators, and
// raises NO_DATA_FOUND at the end of the file. Append mode adds to what is there.
TEST_F(UtlFileTest, WriteThenRead)
{
    Value w = open("report.txt", "w");
    call("PUT", { w, txt("Hello") });
    call("PUT", { w, txt(", world") });
    call("NEW_LINE", { w });
    call("PUT_LINE", { w, Value::null() });
    call("PUT_LINE", { w, txt("last") });
    NativeResult closed = callNative(*s, "UTL_FILE", "FCLOSE", { w });
    EXPECT_TRUE(closed.args[0].isNull());
    EXPECT_EQ(contents("report.txt"), "Hello, world\n\nlast\n");

    Value ap = call("FOPEN", { txt(filesDir()), txt("report.txt"), txt("A") });
    call("PUT_LINE", { ap, txt("appended") });
    call("FCLOSE", { ap });

    Value r = open("report.txt", "r");
    EXPECT_EQ(call("IS_OPEN", { r }), num(1));
    EXPECT_EQ(getLine(r), txt("Hello, world"));
    EXPECT_TRUE(getLine(r).isNull());
    EXPECT_EQ(getLine(r), txt("last"));
    EXPECT_EQ(getLine(r), txt("appended"));
    std::string message;
    EXPECT_EQ(oraCodeOf([&] { getLine(r); }, &message), 1403);
    EXPECT_EQ(message, "ORA-01403: no data found");
    call("FCLOSE", { r });
    EXPECT_EQ(call("IS_OPEN", { r }), num(0));
}

// Oracle: GET_LINE with a length gives that many bytes and the rest of the line at the next call; a line longer
// than the file's maximum line size is READ_ERROR, a line written longer WRITE_ERROR; CR LF files read as lines.
TEST_F(UtlFileTest, LineLengths)
{
    QDir().mkpath(QString::fromStdString(filesDir()));
    {
        QFile f(QString::fromStdString(filesDir() + "/lines.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("abcdefgh\r\n0123456789AB\r\nend");
    }
    Value r = open("lines.txt", "r", num(10));
    EXPECT_EQ(getLine(r, num(3)), txt("abc"));
    EXPECT_EQ(getLine(r), txt("defgh"));
    EXPECT_EQ(oraCodeOf([&] { getLine(r); }), 29284);
    EXPECT_EQ(getLine(r), txt("end"));
    call("FCLOSE", { r });

    Value w = open("short.txt", "w", num(5));
    call("PUT_LINE", { w, txt("12345") });
    std::string message;
    EXPECT_EQ(oraCodeOf([&] { call("PUT_LINE", { w, txt("123456") }); }, &message), 29285);
    EXPECT_EQ(message, "ORA-29285: file write error");
    call("FCLOSE", { w });
    EXPECT_EQ(contents("short.txt"), "12345\n");
}

// Oracle: the location must be a directory the server allows (INVALID_PATH), the name a plain file name
// (INVALID_FILENAME), the mode r, w or a (INVALID_MODE), the line size 1 to 32767 (INVALID_MAXLINESIZE); a file
// that cannot be opened is INVALID_OPERATION.
TEST_F(UtlFileTest, FopenRefusesBadArguments)
{
    struct Case {
        const char* what;
        Value location, name, mode, lineSize;
        int code;
    };
    const std::vector<Case> cases {
        { "other directory", txt("/tmp"), txt("a.txt"), txt("w"), num(1024), 29280 },
        { "null location", Value::null(), txt("a.txt"), txt("w"), num(1024), 29280 },
        { "parent of the directory", txt(filesDir() + "/.."), txt("a.txt"), txt("w"), num(1024), 29280 },
        { "parent step", txt("."), txt("../database.sqlite"), txt("r"), num(1024), 29288 },
        { "separator", txt("."), txt("sub/a.txt"), txt("w"), num(1024), 29288 },
        { "backslash", txt("."), txt("sub\\a.txt"), txt("w"), num(1024), 29288 },
        { "null name", txt("."), Value::null(), txt("w"), num(1024), 29288 },
        { "mode", txt("."), txt("a.txt"), txt("x"), num(1024), 29281 },
        { "null mode", txt("."), txt("a.txt"), Value::null(), num(1024), 29281 },
        { "line size 0", txt("."), txt("a.txt"), txt("w"), num(0), 29287 },
        { "line size 32768", txt("."), txt("a.txt"), txt("w"), num(32768), 29287 },
        { "missing file", txt("."), txt("none.txt"), txt("r"), num(1024), 29283 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(oraCodeOf([&] { call("FOPEN", { c.location, c.name, c.mode, c.lineSize }); }), c.code);
    }
    EXPECT_EQ(contents("a.txt"), "<missing>");
}

// Oracle: UTL_FILE does not follow symbolic links, so a link in the directory cannot lead a program to a file
// elsewhere.
TEST_F(UtlFileTest, LinksAreNotFollowed)
{
    QTemporaryDir outside;
    QString target = outside.filePath("private.txt");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("secret\n");
    }
    QDir().mkpath(QString::fromStdString(filesDir()));
    ASSERT_TRUE(QFile::link(target, QString::fromStdString(filesDir() + "/link.txt")));
    for (const char* mode : { "r", "w", "a" }) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(oraCodeOf([&] { open("link.txt", mode); }), 29283);
    }
    EXPECT_EQ(oraCodeOf([&] { call("FREMOVE", { txt("."), txt("link.txt") }); }), 29283);
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), "secret\n");
}

// Oracle: a directory listed in utl_file_dir may be used as a location.
TEST_F(UtlFileTest, ListedDirectoryIsAllowed)
{
    QTemporaryDir other;
    std::string path = other.path().toStdString();
    {
        std::lock_guard conn(s->state().connMutex);
        engine::storage::Stmt q(s->state().conn, R"(INSERT INTO "PROPS$" VALUES ('utl_file_dir', ?1))");
        q.bind(1, "/nowhere, " + path + "/");
        q.run();
    }
    Value w = call("FOPEN", { txt(path), txt("x.txt"), txt("w") });
    call("PUT_LINE", { w, txt("elsewhere") });
    call("FCLOSE", { w });
    QFile f(QString::fromStdString(path + "/x.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), "elsewhere\n");
}

// Oracle: a handle that is not open is INVALID_FILEHANDLE; reading a file opened for writing, or writing one
// opened for reading, INVALID_OPERATION. After FCLOSE_ALL a held handle still says it is open, but is not usable.
TEST_F(UtlFileTest, HandlesAndModes)
{
    Value w = open("h.txt", "w");
    EXPECT_EQ(oraCodeOf([&] { getLine(w); }), 29283);
    call("PUT_LINE", { w, txt("x") });
    call("FFLUSH", { w });
    EXPECT_EQ(contents("h.txt"), "x\n");
    Value r = open("h.txt", "r");
    EXPECT_EQ(oraCodeOf([&] { call("PUT_LINE", { r, txt("y") }); }), 29283);
    EXPECT_EQ(oraCodeOf([&] { call("FFLUSH", { r }); }), 29283);
    for (Value bad : { num(999), Value::null() }) {
        std::string message;
        EXPECT_EQ(oraCodeOf([&] { getLine(bad); }, &message), 29282);
        EXPECT_EQ(message, "ORA-29282: invalid file ID");
        EXPECT_EQ(oraCodeOf([&] { call("FCLOSE", { bad }); }), 29282);
    }
    call("FCLOSE_ALL");
    EXPECT_EQ(call("IS_OPEN", { r }), num(1));
    EXPECT_EQ(oraCodeOf([&] { getLine(r); }), 29282);
}

// What a session wrote reaches the file when the session ends, even without FCLOSE.
TEST_F(UtlFileTest, FilesCloseWithTheSession)
{
    Value w = open("left.txt", "w");
    call("PUT_LINE", { w, txt("line") });
    call("PUT", { w, txt("tail") });
    s.reset();
    EXPECT_EQ(contents("left.txt"), "line\ntail");
}

// Oracle: FREMOVE deletes a file (INVALID_OPERATION when there is none); FRENAME moves one, and refuses to replace
// a file unless told to overwrite (RENAME_FAILED).
TEST_F(UtlFileTest, RemoveAndRename)
{
    for (const char* name : { "a.txt", "b.txt" }) {
        Value w = open(name, "w");
        call("PUT_LINE", { w, txt(name) });
        call("FCLOSE", { w });
    }
    EXPECT_EQ(oraCodeOf([&] { call("FRENAME", { txt("."), txt("a.txt"), txt("."), txt("b.txt") }); }), 29292);
    call("FRENAME", { txt("."), txt("a.txt"), txt("."), txt("b.txt"), num(1) });
    EXPECT_EQ(contents("a.txt"), "<missing>");
    EXPECT_EQ(contents("b.txt"), "a.txt\n");
    call("FREMOVE", { txt("."), txt("b.txt") });
    EXPECT_EQ(contents("b.txt"), "<missing>");
    EXPECT_EQ(oraCodeOf([&] { call("FREMOVE", { txt("."), txt("b.txt") }); }), 29283);
    EXPECT_EQ(oraCodeOf([&] { call("FREMOVE", { txt("."), txt("../database.sqlite") }); }), 29288);
}

// The package's exceptions carry Oracle's codes, so a handler of UTL_FILE.INVALID_PATH catches ORA-29280.
TEST(UtlFileExceptions, NamedAsOracle)
{
    const engine::plsql::NativePackage* p = engine::plsql::findNativePackage("UTL_FILE");
    ASSERT_TRUE(p);
    std::map<std::string, int> codes;
    for (const auto& e : p->exceptions)
        codes[e.name] = e.code;
    const std::map<std::string, int> expected {
        { "INVALID_PATH", 29280 },
        { "INVALID_MODE", 29281 },
        { "INVALID_FILEHANDLE", 29282 },
        { "INVALID_OPERATION", 29283 },
        { "READ_ERROR", 29284 },
        { "WRITE_ERROR", 29285 },
        { "INTERNAL_ERROR", 29286 },
        { "INVALID_MAXLINESIZE", 29287 },
        { "INVALID_FILENAME", 29288 },
        { "ACCESS_DENIED", 29289 },
        { "DELETE_FAILED", 29291 },
        { "RENAME_FAILED", 29292 },
        { "CHARSETMISMATCH", 29298 },
    };
    EXPECT_EQ(codes, expected);
}

} // namespace

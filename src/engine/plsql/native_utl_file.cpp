// UTL_FILE: text files in the database's server directories. The directory a program may use is the database's
// own "files" directory (also named '.'), or one listed in the utl_file_dir property; a file name is a plain name
// in that directory, so no call reaches a file outside it.
#include "engine/plsql/native_state.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <sstream>

namespace engine::plsql {

namespace {

using namespace native;
namespace fs = std::filesystem;

constexpr int64_t kMaxLineSize = 32767;

[[noreturn]] void invalidPath()
{
    fail(29280, "invalid directory path");
}
[[noreturn]] void invalidMode()
{
    fail(29281, "invalid mode");
}
[[noreturn]] void invalidHandle()
{
    fail(29282, "invalid file ID");
}
[[noreturn]] void invalidOperation()
{
    fail(29283, "invalid file operation");
}
[[noreturn]] void readError()
{
    fail(29284, "file read error");
}
[[noreturn]] void writeError()
{
    fail(29285, "file write error");
}
[[noreturn]] void invalidMaxLineSize()
{
    fail(29287, "invalid maximum line size");
}
[[noreturn]] void invalidFileName()
{
    fail(29288, "invalid file name");
}

// A directory as one text however it was written: absolute, symbolic links resolved, no trailing separator.
std::string normalDirectory(const std::string& path)
{
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(fs::path(path), ec), ec);
    if (ec)
        p = fs::path(path).lexically_normal();
    std::string text = p.string();
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\'))
        text.pop_back();
    return text;
}

std::vector<std::string> listedDirectories(SessionState& s)
{
    std::string value;
    {
        std::lock_guard conn(s.connMutex);
        storage::Stmt q(s.conn, R"(SELECT "VALUE$" FROM "PROPS$" WHERE lower("NAME") = 'utl_file_dir')");
        if (q.step() && !q.isNull(0))
            value = q.text(0);
    }
    std::vector<std::string> dirs;
    std::stringstream in(value);
    std::string item;
    while (std::getline(in, item, ',')) {
        size_t a = item.find_first_not_of(" \t");
        size_t b = item.find_last_not_of(" \t");
        if (a != std::string::npos)
            dirs.push_back(normalDirectory(item.substr(a, b - a + 1)));
    }
    return dirs;
}

// The directory a location names, or INVALID_PATH.
std::string directoryOf(NativeCall& c, size_t i)
{
    if (isNull(c, i))
        invalidPath();
    SessionState& s = c.session;
    std::string location = text(c, i);
    std::error_code ec;
    fs::path own = fs::path(s.db->dir) / "files";
    fs::create_directories(own, ec);
    std::string def = normalDirectory(own.string());
    if (location == "." || normalDirectory(location) == def)
        return def;
    std::string wanted = normalDirectory(location);
    for (const std::string& d : listedDirectories(s))
        if (d == wanted)
            return d;
    invalidPath();
}

// A plain name inside the directory: no separator, no parent step.
std::string fileNameOf(NativeCall& c, size_t i)
{
    if (isNull(c, i))
        invalidFileName();
    std::string name = text(c, i);
    if (name.find_first_of(std::string("/\\:\0", 4)) != std::string::npos || name.find("..") != std::string::npos
        || name == ".")
        invalidFileName();
    return name;
}

OpenFile& fileOf(NativeCall& c, size_t i = 0)
{
    NativeSessionState& ns = nativeState(c.session);
    std::optional<int64_t> id = integer(c, i);
    if (!id)
        invalidHandle();
    auto it = ns.files.find(*id);
    if (it == ns.files.end())
        invalidHandle();
    return it->second;
}

OpenFile& writableFile(NativeCall& c)
{
    OpenFile& f = fileOf(c);
    if (f.mode == 'r')
        invalidOperation();
    return f;
}

void writeRaw(OpenFile& f, const std::string& bytes)
{
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f.fp) != bytes.size())
        writeError();
}

void flushPending(OpenFile& f)
{
    std::string pending = std::move(f.pendingWrite);
    f.pendingWrite.clear();
    writeRaw(f, pending);
}

void closeFile(OpenFile& f)
{
    if (!f.fp)
        return;
    bool ok = true;
    if (f.mode != 'r' && !f.pendingWrite.empty())
        ok = std::fwrite(f.pendingWrite.data(), 1, f.pendingWrite.size(), f.fp) == f.pendingWrite.size();
    ok = std::fclose(f.fp) == 0 && ok;
    f.fp = nullptr;
    if (!ok)
        writeError();
}

std::optional<Value> fopenCall(NativeCall& c)
{
    std::string dir = directoryOf(c, 0);
    std::string name = fileNameOf(c, 1);
    std::string mode = text(c, 2);
    std::transform(mode.begin(), mode.end(), mode.begin(), [](unsigned char ch) { return std::tolower(ch); });
    if (mode == "rb" || mode == "wb" || mode == "ab")
        fail(3001, "unimplemented feature: UTL_FILE byte mode");
    if (mode != "r" && mode != "w" && mode != "a")
        invalidMode();
    std::optional<int64_t> lineSize = integer(c, 3);
    int64_t maxLine = lineSize.value_or(1024);
    if (maxLine < 1 || maxLine > kMaxLineSize)
        invalidMaxLineSize();
    OpenFile f;
    f.path = (fs::path(dir) / name).string();
    f.mode = mode[0];
    f.maxLineSize = maxLine;
    // A link could lead out of the directory: links are not followed, as Oracle's are not.
    std::error_code ec;
    if (fs::is_directory(f.path, ec) || fs::is_symlink(f.path, ec))
        invalidOperation();
    const char* how = f.mode == 'r' ? "rb" : f.mode == 'w' ? "wb" : "ab";
    f.fp = std::fopen(f.path.c_str(), how);
    if (!f.fp) {
        if (errno == EACCES)
            fail(29289, "directory access denied");
        invalidOperation();
    }
    NativeSessionState& ns = nativeState(c.session);
    int64_t id = ns.nextFile++;
    ns.files.emplace(id, std::move(f));
    ns.issuedFiles.insert(id);
    return Value::fromInt(id);
}

std::optional<Value> isOpen(NativeCall& c)
{
    std::optional<int64_t> id = integer(c, 0);
    return boolValue(id && nativeState(c.session).issuedFiles.count(*id));
}

std::optional<Value> fcloseCall(NativeCall& c)
{
    OpenFile& f = fileOf(c);
    int64_t id = *integer(c, 0);
    NativeSessionState& ns = nativeState(c.session);
    // The handle goes even when the last write fails, so the file is not left open behind it.
    struct Forget {
        NativeSessionState& ns;
        int64_t id;
        ~Forget()
        {
            ns.files.erase(id);
            ns.issuedFiles.erase(id);
        }
    } forget { ns, id };
    setOut(c, 0, Value::null());
    closeFile(f);
    return std::nullopt;
}

std::optional<Value> fcloseAll(NativeCall& c)
{
    // As Oracle's, the handles the program holds keep saying they are open (IS_OPEN), but no longer work.
    NativeSessionState& ns = nativeState(c.session);
    std::map<int64_t, OpenFile> files = std::move(ns.files);
    ns.files.clear();
    bool failed = false;
    for (auto& [id, f] : files) {
        try {
            closeFile(f);
        } catch (const Error&) {
            failed = true;
        }
    }
    if (failed)
        writeError();
    return std::nullopt;
}

// One line from the file without its terminator; false at the end of the file.
bool readLine(OpenFile& f, std::string& line)
{
    line.clear();
    bool any = false;
    bool tooLong = false;
    for (;;) {
        int ch = std::fgetc(f.fp);
        if (ch == EOF) {
            if (std::ferror(f.fp))
                readError();
            break;
        }
        any = true;
        if (ch == '\n')
            break;
        if (static_cast<int64_t>(line.size()) <= f.maxLineSize)
            line += static_cast<char>(ch);
        else
            tooLong = true;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (tooLong || static_cast<int64_t>(line.size()) > f.maxLineSize)
        readError();
    return any;
}

std::optional<Value> getLine(NativeCall& c)
{
    OpenFile& f = fileOf(c);
    if (f.mode != 'r')
        invalidOperation();
    std::string line;
    if (f.pendingReadValid) {
        line = std::move(f.pendingRead);
        f.pendingRead.clear();
        f.pendingReadValid = false;
    } else if (!readLine(f, line)) {
        fail(1403, "no data found");
    }
    int64_t len = std::min(integer(c, 2).value_or(f.maxLineSize), kMaxLineSize);
    if (len < 0)
        len = 0;
    if (static_cast<int64_t>(line.size()) > len) {
        // The rest of the line comes with the next call.
        f.pendingRead = line.substr(static_cast<size_t>(len));
        f.pendingReadValid = true;
        line.resize(static_cast<size_t>(len));
    }
    setOut(c, 1, Value::fromText(std::move(line)));
    return std::nullopt;
}

void put(OpenFile& f, const std::string& text)
{
    if (static_cast<int64_t>(f.pendingWrite.size() + text.size()) > f.maxLineSize)
        writeError();
    f.pendingWrite += text;
}

void endLines(OpenFile& f, int64_t lines)
{
    f.pendingWrite.append(static_cast<size_t>(std::max<int64_t>(lines, 0)), '\n');
    flushPending(f);
}

std::optional<Value> putCall(NativeCall& c)
{
    put(writableFile(c), text(c, 1));
    return std::nullopt;
}

std::optional<Value> newLine(NativeCall& c)
{
    OpenFile& f = writableFile(c);
    endLines(f, integer(c, 1).value_or(1));
    return std::nullopt;
}

std::optional<Value> putLine(NativeCall& c)
{
    OpenFile& f = writableFile(c);
    put(f, text(c, 1));
    endLines(f, 1);
    if (boolean(c, 2, false) && std::fflush(f.fp) != 0)
        writeError();
    return std::nullopt;
}

std::optional<Value> fflushCall(NativeCall& c)
{
    OpenFile& f = writableFile(c);
    flushPending(f);
    if (std::fflush(f.fp) != 0)
        writeError();
    return std::nullopt;
}

std::optional<Value> fremove(NativeCall& c)
{
    fs::path path = fs::path(directoryOf(c, 0)) / fileNameOf(c, 1);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || fs::is_symlink(path, ec))
        invalidOperation();
    if (!fs::remove(path, ec) || ec)
        fail(29291, "file remove operation failed");
    return std::nullopt;
}

std::optional<Value> frename(NativeCall& c)
{
    fs::path from = fs::path(directoryOf(c, 0)) / fileNameOf(c, 1);
    fs::path to = fs::path(directoryOf(c, 2)) / fileNameOf(c, 3);
    bool overwrite = boolean(c, 4, false);
    std::error_code ec;
    if (!fs::is_regular_file(from, ec) || fs::is_symlink(from, ec))
        invalidOperation();
    if ((!overwrite && fs::exists(fs::symlink_status(to, ec))) || fs::is_directory(to, ec) || fs::is_symlink(to, ec))
        fail(29292, "file rename operation failed");
    fs::rename(from, to, ec);
    if (ec)
        fail(29292, "file rename operation failed");
    return std::nullopt;
}

} // namespace

NativePackage makeUtlFile()
{
    using T = NativeType;
    NativePackage p;
    p.name = "UTL_FILE";
    p.types = { "FILE_TYPE" };
    p.typeKinds = { T::FileType };
    p.exceptions = {
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
    auto file = [] { return in("FILE", T::FileType); };
    p.routines.push_back(routine("FOPEN",
        { in("LOCATION", T::Varchar2), in("FILENAME", T::Varchar2), in("OPEN_MODE", T::Varchar2),
            inDefault("MAX_LINESIZE", T::Integer, Value::fromInt(1024)) },
        fopenCall, T::FileType));
    p.routines.push_back(routine("IS_OPEN", { file() }, isOpen, T::Boolean));
    p.routines.push_back(routine("FCLOSE", { inOut("FILE", T::FileType) }, fcloseCall));
    p.routines.push_back(routine("FCLOSE_ALL", {}, fcloseAll));
    p.routines.push_back(routine(
        "GET_LINE", { file(), out("BUFFER", T::Varchar2), inDefault("LEN", T::Integer, Value::null()) }, getLine));
    p.routines.push_back(routine("PUT", { file(), in("BUFFER", T::Varchar2) }, putCall));
    p.routines.push_back(routine("NEW_LINE", { file(), inDefault("LINES", T::Integer, Value::fromInt(1)) }, newLine));
    p.routines.push_back(routine("PUT_LINE",
        { file(), in("BUFFER", T::Varchar2), inDefault("AUTOFLUSH", T::Boolean, Value::fromInt(0)) }, putLine));
    p.routines.push_back(routine("FFLUSH", { file() }, fflushCall));
    p.routines.push_back(routine("FREMOVE", { in("LOCATION", T::Varchar2), in("FILENAME", T::Varchar2) }, fremove));
    p.routines.push_back(routine("FRENAME",
        { in("SRC_LOCATION", T::Varchar2), in("SRC_FILENAME", T::Varchar2), in("DEST_LOCATION", T::Varchar2),
            in("DEST_FILENAME", T::Varchar2), inDefault("OVERWRITE", T::Boolean, Value::fromInt(0)) },
        frename));
    return p;
}

} // namespace engine::plsql

// DBMS_OUTPUT: lines written into the session's server output buffer, the one the client reads after each call
// (Session::takeOutputLines), so a block's PUT_LINE reaches the window that ran it.
#include "engine/plsql/native_state.h"
#include "engine/session/session_state.h"

#include <algorithm>

namespace engine::plsql {

namespace {

using namespace native;

constexpr int64_t kMaxLine = 32767;
constexpr int64_t kMinBuffer = 2000;
constexpr int64_t kMaxBuffer = 1000000;

// Every write first drops what a GET_LINE left unread, as Oracle does: reading ends the previous batch of output.
void beforeWrite(SessionState& s, NativeSessionState& ns)
{
    if (!ns.outputRead)
        return;
    ns.outputRead = false;
    s.outputLines.clear();
    s.outputBytes = static_cast<int64_t>(ns.outputPartial.size());
}

void reserve(SessionState& s, int64_t bytes)
{
    if (s.outputLimit > 0 && s.outputBytes + bytes > s.outputLimit)
        fail(20000, "ORU-10027: buffer overflow, limit of " + std::to_string(s.outputLimit) + " bytes");
}

// Adds text to the line being written; the line stays partial until NEW_LINE or PUT_LINE ends it.
void put(SessionState& s, const std::string& textToAdd)
{
    NativeSessionState& ns = nativeState(s);
    beforeWrite(s, ns);
    int64_t size = static_cast<int64_t>(textToAdd.size());
    if (static_cast<int64_t>(ns.outputPartial.size()) + size > kMaxLine)
        fail(20000, "ORU-10028: line length overflow, limit of " + std::to_string(kMaxLine) + " bytes per line");
    reserve(s, size);
    ns.outputPartial += textToAdd;
    s.outputBytes += size;
}

void newLine(SessionState& s)
{
    NativeSessionState& ns = nativeState(s);
    beforeWrite(s, ns);
    s.outputLines.push_back(std::move(ns.outputPartial));
    ns.outputPartial.clear();
}

std::optional<Value> enable(NativeCall& c)
{
    SessionState& s = c.session;
    std::optional<int64_t> size = integer(c, 0);
    int64_t limit = 0; // no limit
    if (size)
        limit = std::clamp(*size, kMinBuffer, kMaxBuffer);
    // A second ENABLE keeps what is buffered and takes the new size.
    s.outputEnabled = true;
    s.outputLimit = limit;
    return std::nullopt;
}

std::optional<Value> disable(NativeCall& c)
{
    SessionState& s = c.session;
    NativeSessionState& ns = nativeState(s);
    s.outputEnabled = false;
    s.outputLines.clear();
    s.outputBytes = 0;
    ns.outputPartial.clear();
    ns.outputRead = false;
    return std::nullopt;
}

std::optional<Value> putText(NativeCall& c)
{
    if (c.session.outputEnabled)
        put(c.session, text(c, 0));
    return std::nullopt;
}

std::optional<Value> putLine(NativeCall& c)
{
    if (c.session.outputEnabled) {
        put(c.session, text(c, 0));
        newLine(c.session);
    }
    return std::nullopt;
}

std::optional<Value> newLineCall(NativeCall& c)
{
    if (c.session.outputEnabled)
        newLine(c.session);
    return std::nullopt;
}

// The oldest complete line; a partial line is not given until it is ended.
bool takeLine(SessionState& s, std::string& line)
{
    if (s.outputLines.empty())
        return false;
    line = std::move(s.outputLines.front());
    s.outputLines.pop_front();
    s.outputBytes -= static_cast<int64_t>(line.size());
    if (s.outputBytes < 0)
        s.outputBytes = 0;
    return true;
}

std::optional<Value> getLine(NativeCall& c)
{
    SessionState& s = c.session;
    nativeState(s).outputRead = true;
    std::string line;
    if (takeLine(s, line)) {
        setOut(c, 0, Value::fromText(std::move(line)));
        setOut(c, 1, Value::fromInt(0));
    } else {
        setOut(c, 0, Value::null());
        setOut(c, 1, Value::fromInt(1));
    }
    return std::nullopt;
}

std::optional<Value> getLines(NativeCall& c)
{
    SessionState& s = c.session;
    nativeState(s).outputRead = true;
    std::optional<int64_t> wanted = integer(c, 1);
    std::vector<Value> lines;
    std::string line;
    while (wanted && static_cast<int64_t>(lines.size()) < *wanted && takeLine(s, line))
        lines.push_back(Value::fromText(std::move(line)));
    if (c.tables.size() < 2)
        c.tables.resize(2);
    setOut(c, 1, Value::fromInt(static_cast<int64_t>(lines.size())));
    c.tables[0] = std::move(lines);
    return std::nullopt;
}

} // namespace

NativePackage makeDbmsOutput()
{
    NativePackage p;
    p.name = "DBMS_OUTPUT";
    p.types = { "CHARARR", "DBMSOUTPUT_LINESARRAY" };
    p.typeKinds = { NativeType::Varchar2Table, NativeType::Varchar2Table };
    p.routines.push_back(
        routine("ENABLE", { inDefault("BUFFER_SIZE", NativeType::Integer, Value::fromInt(20000)) }, enable));
    p.routines.push_back(routine("DISABLE", {}, disable));
    p.routines.push_back(routine("PUT", { in("A", NativeType::Varchar2) }, putText));
    p.routines.push_back(routine("PUT_LINE", { in("A", NativeType::Varchar2) }, putLine));
    p.routines.push_back(routine("NEW_LINE", {}, newLineCall));
    p.routines.push_back(
        routine("GET_LINE", { out("LINE", NativeType::Varchar2), out("STATUS", NativeType::Integer) }, getLine));
    p.routines.push_back(routine(
        "GET_LINES", { out("LINES", NativeType::Varchar2Table), inOut("NUMLINES", NativeType::Integer) }, getLines));
    return p;
}

} // namespace engine::plsql

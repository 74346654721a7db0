// DBMS_PIPE: named pipes shared by every session of the database. Messages are packed item by item into a
// session's send buffer, sent whole, and received whole into its receive buffer; pipes are not transactional, so a
// message can be read as soon as it is sent, whatever the sender's transaction does afterwards.
#include "engine/plsql/native_state.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"
#include "engine/sysview/pipes.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace engine::plsql {

namespace {

constexpr int kNumber = 6;
constexpr int kVarchar2 = 9;
constexpr int kRowid = 11;
constexpr int kDate = 12;
constexpr int kRaw = 23;

constexpr int64_t kMaxWait = 86400000; // DBMS_PIPE.MAXWAIT, seconds
constexpr int64_t kDefaultPipeSize = 8192;
constexpr int64_t kBufferSize = 4096; // a session's message buffer

} // namespace

struct PipeMessage {
    std::vector<PipeItem> items;
    int64_t bytes = 0;
};

struct Pipe {
    std::string name;
    bool isExplicit = false;
    bool isPrivate = false;
    int64_t ownerId = 0;
    int64_t maxSize = kDefaultPipeSize;
    std::deque<PipeMessage> messages;
    int64_t bytes = 0;
};

class PipeRegistry {
public:
    std::mutex mutex;
    // Woken by every change: a message sent (receivers wait), received or purged (senders wait for room).
    std::condition_variable changed;
    std::map<std::string, Pipe> pipes;
};

namespace {

using namespace native;

std::vector<sysview::PipeRow> pipeRows(DatabaseState& db);

PipeRegistry& registry(DatabaseState& db)
{
    std::call_once(db.pipesOnce, [&] {
        // V$DB_PIPES lists the pipes from the first one on.
        sysview::setPipeSource(&pipeRows);
        db.pipes = std::make_shared<PipeRegistry>();
    });
    return *db.pipes;
}

// Pipe names are not case-sensitive; NULL is refused as Oracle refuses it.
std::string pipeName(NativeCall& c, size_t i)
{
    if (isNull(c, i))
        fail(23321, "Pipename may not be null");
    std::string name = text(c, i);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char ch) { return std::toupper(ch); });
    return name;
}

// A private pipe serves the user who created it and SYSDBA; a public pipe anyone.
bool mayUse(const Pipe& p, const SessionState& s)
{
    return !p.isPrivate || p.ownerId == s.userId || s.sysdba || s.user == "SYS";
}

[[noreturn]] void noAccess()
{
    fail(23322, "Insufficient privilege to access pipe");
}

int typeCodeOf(OraType t)
{
    switch (t) {
    case OraType::Number:
        return kNumber;
    case OraType::Date:
        return kDate;
    case OraType::Raw:
    case OraType::Blob:
        return kRaw;
    case OraType::Rowid:
        return kRowid;
    default:
        return kVarchar2;
    }
}

// Oracle's internal length of a NUMBER: an exponent byte, one byte per two significant digits, and a terminator
// byte for a negative number.
int64_t numberBytes(const Value& v)
{
    if (v.isNull())
        return 0;
    std::string digits;
    for (char ch : v.toString())
        if (ch >= '0' && ch <= '9')
            digits += ch;
    size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return 1;
    digits = digits.substr(first);
    digits.erase(digits.find_last_not_of('0') + 1);
    int64_t size = 1 + static_cast<int64_t>((digits.size() + 1) / 2) + (v.toString()[0] == '-' ? 1 : 0);
    return std::min<int64_t>(size, 22);
}

// What an item takes in a message: one byte for its type, two for its length, then the data.
int64_t itemBytes(const PipeItem& item)
{
    int64_t data = 0;
    if (item.typeCode == kNumber)
        data = numberBytes(item.value);
    else if (item.typeCode == kDate)
        data = item.value.isNull() ? 0 : 7;
    else
        data = static_cast<int64_t>(item.value.text.size());
    return 3 + data;
}

Value asItemValue(const Value& v, int typeCode)
{
    if (v.isNull())
        return v;
    switch (typeCode) {
    case kNumber:
        if (v.kind == Value::Kind::Text) {
            // A number that reached us as text is stored as the number it is.
            char* end = nullptr;
            double d = std::strtod(v.text.c_str(), &end);
            if (end && *end == '\0') {
                if (d == std::floor(d) && std::fabs(d) < 9.0e15)
                    return Value::fromInt(static_cast<int64_t>(d));
                return Value::fromReal(d);
            }
            fail(6502, "PL/SQL: numeric or value error: character to number conversion error");
        }
        return v;
    case kDate:
        return v.kind == Value::Kind::Text ? Value::fromDate(v.text) : v;
    case kRaw:
        return v;
    default:
        return Value::fromText(v.toString());
    }
}

void pack(NativeCall& c, int typeCode)
{
    PipeBuffer& buf = nativeState(c.session).sendBuffer;
    PipeItem item { typeCode, asItemValue(arg(c, 0), typeCode) };
    int64_t size = itemBytes(item);
    // One byte ends the message.
    if (buf.bytes + size + 1 > kBufferSize)
        fail(6558, "buffer in dbms_pipe package is full. No more items allowed");
    buf.items.push_back(std::move(item));
    buf.bytes += size;
}

std::optional<Value> packMessage(NativeCall& c)
{
    pack(c, typeCodeOf(declaredType(c, 0)));
    return std::nullopt;
}

std::optional<Value> packRaw(NativeCall& c)
{
    pack(c, kRaw);
    return std::nullopt;
}

std::optional<Value> packRowid(NativeCall& c)
{
    pack(c, kRowid);
    return std::nullopt;
}

void unpack(NativeCall& c, std::optional<int> requested)
{
    PipeBuffer& buf = nativeState(c.session).receiveBuffer;
    if (buf.next >= buf.items.size())
        fail(6556, "the pipe is empty, cannot fulfill the unpack_message request");
    const PipeItem& item = buf.items[buf.next];
    if (requested && *requested != item.typeCode)
        fail(6559,
            "wrong datatype requested, " + std::to_string(*requested) + ", actual datatype "
                + std::to_string(item.typeCode));
    setOut(c, 0, item.value);
    ++buf.next;
}

std::optional<Value> unpackMessage(NativeCall& c)
{
    std::optional<int> requested;
    if (!c.outTypes.empty())
        requested = typeCodeOf(c.outTypes[0]);
    unpack(c, requested);
    return std::nullopt;
}

std::optional<Value> unpackRaw(NativeCall& c)
{
    unpack(c, kRaw);
    return std::nullopt;
}

std::optional<Value> unpackRowid(NativeCall& c)
{
    unpack(c, kRowid);
    return std::nullopt;
}

std::optional<Value> nextItemType(NativeCall& c)
{
    PipeBuffer& buf = nativeState(c.session).receiveBuffer;
    if (buf.next >= buf.items.size())
        return Value::fromInt(0);
    return Value::fromInt(buf.items[buf.next].typeCode);
}

std::optional<Value> resetBuffer(NativeCall& c)
{
    NativeSessionState& ns = nativeState(c.session);
    ns.sendBuffer.clear();
    ns.receiveBuffer.clear();
    return std::nullopt;
}

std::optional<Value> createPipe(NativeCall& c)
{
    std::string name = pipeName(c, 0);
    int64_t maxSize = integer(c, 1).value_or(kDefaultPipeSize);
    bool isPrivate = boolean(c, 2, true);
    PipeRegistry& reg = registry(*c.session.db);
    std::lock_guard lk(reg.mutex);
    auto it = reg.pipes.find(name);
    if (it != reg.pipes.end()) {
        // An existing pipe the caller may use stays as it is, messages and owner included; it only grows.
        Pipe& p = it->second;
        if (!mayUse(p, c.session))
            noAccess();
        p.isExplicit = true;
        p.maxSize = std::max(p.maxSize, maxSize);
        return Value::fromInt(0);
    }
    Pipe p;
    p.name = name;
    p.isExplicit = true;
    p.isPrivate = isPrivate;
    p.ownerId = c.session.userId;
    p.maxSize = maxSize;
    reg.pipes.emplace(name, std::move(p));
    return Value::fromInt(0);
}

std::optional<Value> removePipe(NativeCall& c)
{
    std::string name = pipeName(c, 0);
    PipeRegistry& reg = registry(*c.session.db);
    {
        std::lock_guard lk(reg.mutex);
        auto it = reg.pipes.find(name);
        if (it == reg.pipes.end())
            return Value::fromInt(0);
        if (!mayUse(it->second, c.session))
            noAccess();
        reg.pipes.erase(it);
    }
    reg.changed.notify_all();
    return Value::fromInt(0);
}

std::optional<Value> purge(NativeCall& c)
{
    std::string name = pipeName(c, 0);
    PipeRegistry& reg = registry(*c.session.db);
    {
        std::lock_guard lk(reg.mutex);
        auto it = reg.pipes.find(name);
        if (it == reg.pipes.end())
            return std::nullopt;
        if (!mayUse(it->second, c.session))
            noAccess();
        it->second.messages.clear();
        it->second.bytes = 0;
        if (!it->second.isExplicit)
            reg.pipes.erase(it);
    }
    reg.changed.notify_all();
    return std::nullopt;
}

std::chrono::steady_clock::time_point deadlineOf(NativeCall& c, size_t i)
{
    int64_t seconds = std::clamp<int64_t>(integer(c, i).value_or(kMaxWait), 0, kMaxWait);
    return std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
}

std::optional<Value> sendMessage(NativeCall& c)
{
    std::string name = pipeName(c, 0);
    auto deadline = deadlineOf(c, 1);
    int64_t maxSize = integer(c, 2).value_or(kDefaultPipeSize);
    NativeSessionState& ns = nativeState(c.session);
    PipeMessage msg;
    msg.items = ns.sendBuffer.items;
    msg.bytes = ns.sendBuffer.bytes + 1;

    PipeRegistry& reg = registry(*c.session.db);
    std::unique_lock lk(reg.mutex);
    auto pipe = [&]() -> Pipe& {
        auto it = reg.pipes.find(name);
        if (it == reg.pipes.end()) {
            // A pipe nobody created is made public by its first use and goes when it is empty again.
            Pipe p;
            p.name = name;
            p.maxSize = maxSize;
            it = reg.pipes.emplace(name, std::move(p)).first;
        }
        Pipe& p = it->second;
        if (!mayUse(p, c.session))
            noAccess();
        p.maxSize = std::max(p.maxSize, maxSize);
        return p;
    };
    // A message bigger than the whole pipe still goes into an empty pipe, or it could never be sent.
    bool room = native::waitUntil(
        c.session, deadline,
        [&] {
            Pipe& p = pipe();
            return p.messages.empty() || p.bytes + msg.bytes <= p.maxSize;
        },
        [&](std::chrono::milliseconds slice) { reg.changed.wait_for(lk, slice); });
    if (!room) {
        auto it = reg.pipes.find(name);
        if (it != reg.pipes.end() && !it->second.isExplicit && it->second.messages.empty())
            reg.pipes.erase(it);
        return Value::fromInt(1);
    }
    Pipe& p = pipe();
    p.bytes += msg.bytes;
    p.messages.push_back(std::move(msg));
    lk.unlock();
    reg.changed.notify_all();
    ns.sendBuffer.clear();
    return Value::fromInt(0);
}

std::optional<Value> receiveMessage(NativeCall& c)
{
    std::string name = pipeName(c, 0);
    auto deadline = deadlineOf(c, 1);
    NativeSessionState& ns = nativeState(c.session);
    ns.receiveBuffer.clear();

    PipeRegistry& reg = registry(*c.session.db);
    std::unique_lock lk(reg.mutex);
    bool got = native::waitUntil(
        c.session, deadline,
        [&] {
            auto it = reg.pipes.find(name);
            if (it == reg.pipes.end())
                return false;
            if (!mayUse(it->second, c.session))
                noAccess();
            return !it->second.messages.empty();
        },
        [&](std::chrono::milliseconds slice) { reg.changed.wait_for(lk, slice); });
    if (!got)
        return Value::fromInt(1);
    auto it = reg.pipes.find(name);
    Pipe& p = it->second;
    PipeMessage msg = std::move(p.messages.front());
    p.messages.pop_front();
    p.bytes -= msg.bytes;
    if (!p.isExplicit && p.messages.empty())
        reg.pipes.erase(it);
    lk.unlock();
    reg.changed.notify_all();
    ns.receiveBuffer.items = std::move(msg.items);
    ns.receiveBuffer.bytes = msg.bytes - 1;
    return Value::fromInt(0);
}

std::optional<Value> uniqueSessionName(NativeCall& c)
{
    char hex[24];
    std::snprintf(hex, sizeof hex, "%012llX", static_cast<unsigned long long>(c.session.sid));
    return Value::fromText(std::string("ORA$PIPE$") + hex);
}

} // namespace

std::vector<PipeInfo> listPipes(DatabaseState& db)
{
    PipeRegistry& reg = registry(db);
    std::lock_guard lk(reg.mutex);
    std::vector<PipeInfo> out;
    for (const auto& [name, p] : reg.pipes) {
        PipeInfo info;
        if (p.isPrivate)
            info.ownerId = p.ownerId;
        info.name = name;
        info.type = p.isPrivate ? "PRIVATE" : "PUBLIC";
        info.size = p.bytes;
        out.push_back(std::move(info));
    }
    return out;
}

namespace {

std::vector<sysview::PipeRow> pipeRows(DatabaseState& db)
{
    std::vector<sysview::PipeRow> rows;
    for (PipeInfo& p : listPipes(db)) {
        sysview::PipeRow r;
        r.ownerId = p.ownerId;
        r.name = std::move(p.name);
        r.isPrivate = p.type == "PRIVATE";
        r.size = p.size;
        rows.push_back(std::move(r));
    }
    return rows;
}

} // namespace

NativePackage makeDbmsPipe()
{
    using T = NativeType;
    NativePackage p;
    p.name = "DBMS_PIPE";
    p.constants.push_back({ "MAXWAIT", T::Integer, Value::fromInt(kMaxWait) });
    auto size = [] { return inDefault("MAXPIPESIZE", T::Integer, Value::fromInt(kDefaultPipeSize)); };
    auto timeout = [] { return inDefault("TIMEOUT", T::Integer, Value::fromInt(kMaxWait)); };
    p.routines.push_back(routine("CREATE_PIPE",
        { in("PIPENAME", T::Varchar2), size(), inDefault("PRIVATE", T::Boolean, Value::fromInt(1)) }, createPipe,
        T::Integer));
    p.routines.push_back(routine("REMOVE_PIPE", { in("PIPENAME", T::Varchar2) }, removePipe, T::Integer));
    p.routines.push_back(routine("PURGE", { in("PIPENAME", T::Varchar2) }, purge));
    p.routines.push_back(routine("RESET_BUFFER", {}, resetBuffer));
    p.routines.push_back(routine("PACK_MESSAGE", { in("ITEM", T::AnyScalar) }, packMessage));
    p.routines.push_back(routine("PACK_MESSAGE_RAW", { in("ITEM", T::Raw) }, packRaw));
    p.routines.push_back(routine("PACK_MESSAGE_ROWID", { in("ITEM", T::Varchar2) }, packRowid));
    p.routines.push_back(routine("UNPACK_MESSAGE", { out("ITEM", T::AnyScalar) }, unpackMessage));
    p.routines.push_back(routine("UNPACK_MESSAGE_RAW", { out("ITEM", T::Raw) }, unpackRaw));
    p.routines.push_back(routine("UNPACK_MESSAGE_ROWID", { out("ITEM", T::Varchar2) }, unpackRowid));
    p.routines.push_back(routine("NEXT_ITEM_TYPE", {}, nextItemType, T::Integer));
    p.routines.push_back(
        routine("SEND_MESSAGE", { in("PIPENAME", T::Varchar2), timeout(), size() }, sendMessage, T::Integer));
    p.routines.push_back(
        routine("RECEIVE_MESSAGE", { in("PIPENAME", T::Varchar2), timeout() }, receiveMessage, T::Integer));
    p.routines.push_back(routine("UNIQUE_SESSION_NAME", {}, uniqueSessionName, T::Varchar2, true));
    return p;
}

} // namespace engine::plsql

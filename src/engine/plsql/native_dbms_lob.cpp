// DBMS_LOB: reading and changing CLOB and BLOB values in PL/SQL. A CLOB counts characters (UTF-8 code points), a
// BLOB bytes; every routine exists for both, told apart by the caller's argument. The engine's LOBs are values, so a
// LOB read from a table is not written through here (ORA-22920 before the routine runs, see NativeParam::writesLob);
// a temporary LOB (CREATETEMPORARY, EMPTY_CLOB(), an assigned text) is changed in the caller's variable.
#include "engine/plsql/native_state.h"
#include "engine/plsql/values.h"

#include "engine/emit/runtime_functions.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace engine::plsql {

namespace {

using namespace native;

constexpr int64_t kMaxBuffer = 32767;

// A LOB's data and how it counts: characters for a CLOB, bytes for a BLOB.
struct LobData {
    bool binary = false;
    std::string data;

    // Byte offset of unit `index` (0-based); the data's size when past the end.
    size_t byteAt(int64_t index) const
    {
        if (binary)
            return static_cast<size_t>(std::min<int64_t>(index, static_cast<int64_t>(data.size())));
        size_t pos = 0;
        for (int64_t n = 0; n < index && pos < data.size(); ++n) {
            ++pos;
            while (pos < data.size() && (static_cast<unsigned char>(data[pos]) & 0xC0) == 0x80)
                ++pos;
        }
        return pos;
    }
    int64_t length() const
    {
        if (binary)
            return static_cast<int64_t>(data.size());
        int64_t n = 0;
        for (unsigned char c : data)
            if ((c & 0xC0) != 0x80)
                ++n;
        return n;
    }
    int64_t unitsIn(size_t bytes) const
    {
        LobData part { binary, data.substr(0, bytes) };
        return part.length();
    }
    // `count` units from unit `from` (0-based).
    std::string sub(int64_t from, int64_t count) const
    {
        size_t b = byteAt(from);
        size_t e = byteAt(from + count);
        return data.substr(b, e - b);
    }
    // The filler a write past the end leaves: spaces in a CLOB, zero bytes in a BLOB.
    char filler() const { return binary ? '\0' : ' '; }
};

[[noreturn]] void invalidLocator()
{
    fail(6502, "PL/SQL: numeric or value error: invalid LOB locator specified: ORA-22275");
}

[[noreturn]] void badArgument(int position)
{
    fail(21560, "argument " + std::to_string(position) + " is null, invalid, or out of range");
}

// Bytes of a RAW or BLOB argument (text is read as hexadecimal digits), or a CLOB's or VARCHAR2's text.
std::optional<std::string> dataOf(const Value& v, bool binary)
{
    if (v.isNull())
        return std::nullopt;
    if (!binary) {
        if (v.kind == Value::Kind::Blob)
            return hexText(v.text);
        return v.kind == Value::Kind::Integer || v.kind == Value::Kind::Real ? v.toString() : v.text;
    }
    if (v.kind == Value::Kind::Blob)
        return v.text;
    if (v.kind == Value::Kind::Text) {
        std::optional<std::string> b = emit::hexToRaw(v.text);
        if (!b)
            fail(6502, "PL/SQL: numeric or value error: hex to raw conversion error");
        return b;
    }
    fail(6502, "PL/SQL: numeric or value error");
}

std::optional<LobData> lobArg(NativeCall& c, size_t i, bool binary)
{
    std::optional<std::string> d = dataOf(arg(c, i), binary);
    if (!d)
        return std::nullopt;
    return LobData { binary, std::move(*d) };
}

// The LOB a routine changes: NULL is no locator at all.
LobData lobToWrite(NativeCall& c, size_t i, bool binary)
{
    std::optional<LobData> l = lobArg(c, i, binary);
    if (!l)
        invalidLocator();
    return *l;
}

Value lobValue(const LobData& l)
{
    if (l.binary)
        return Value::fromBlob(l.data);
    Value v;
    v.kind = Value::Kind::Text; // possibly empty: an empty CLOB is not NULL
    v.text = l.data;
    return v;
}

// A VARCHAR2 or RAW piece handed back (SUBSTR, READ): NULL when empty.
Value pieceValue(const LobData& l, std::string piece)
{
    if (piece.empty())
        return Value::null();
    return l.binary ? Value::fromBlob(std::move(piece)) : Value::fromText(std::move(piece));
}

// An integer argument, with the errors Oracle gives for one that is NULL or outside [low, high].
int64_t checkedInteger(NativeCall& c, size_t i, int position, int64_t low, int64_t high)
{
    std::optional<int64_t> v = integer(c, i);
    if (!v || *v < low || *v > high)
        badArgument(position);
    return *v;
}

NativeType lobType(bool binary)
{
    return binary ? NativeType::Blob : NativeType::Clob;
}

NativeType bufferType(bool binary)
{
    return binary ? NativeType::Raw : NativeType::Varchar2;
}

NativeParam written(NativeParam p)
{
    p.writesLob = true;
    return p;
}

// GETLENGTH(lob): characters or bytes; NULL for NULL.
std::optional<Value> getLength(NativeCall& c, bool binary)
{
    std::optional<LobData> l = lobArg(c, 0, binary);
    return l ? Value::fromInt(l->length()) : Value::null();
}

// SUBSTR(lob, amount, offset): NULL for NULL arguments, an amount outside 1 .. 32767 or an offset under 1.
std::optional<Value> substr(NativeCall& c, bool binary)
{
    std::optional<LobData> l = lobArg(c, 0, binary);
    std::optional<int64_t> amount = integer(c, 1), offset = integer(c, 2);
    if (!l || !amount || !offset || *amount < 1 || *amount > kMaxBuffer || *offset < 1)
        return Value::null();
    return pieceValue(*l, l->sub(*offset - 1, *amount));
}

// INSTR(lob, pattern, offset, nth): the position of the nth match at or after offset, 0 when there is none.
std::optional<Value> instr(NativeCall& c, bool binary)
{
    std::optional<LobData> l = lobArg(c, 0, binary);
    std::optional<std::string> pattern = dataOf(arg(c, 1), binary);
    std::optional<int64_t> offset = integer(c, 2), nth = integer(c, 3);
    if (!l || !pattern || !offset || !nth || *offset < 1 || *nth < 1)
        return Value::null();
    size_t pos = l->byteAt(*offset - 1);
    if (pos >= l->data.size() && *offset - 1 >= l->length())
        return Value::fromInt(0);
    for (int64_t n = 1;; ++n) {
        size_t found = l->data.find(*pattern, pos);
        if (found == std::string::npos)
            return Value::fromInt(0);
        if (n == *nth)
            return Value::fromInt(l->unitsIn(found) + 1);
        pos = found + (binary ? 1 : std::max<size_t>(1, l->byteAt(l->unitsIn(found) + 1) - found));
    }
}

// APPEND(dest, src): both must be LOBs, not NULL.
std::optional<Value> append(NativeCall& c, bool binary)
{
    LobData dest = lobToWrite(c, 0, binary);
    std::optional<LobData> src = lobArg(c, 1, binary);
    if (!src)
        invalidLocator();
    dest.data += src->data;
    setOut(c, 0, lobValue(dest));
    return std::nullopt;
}

// The first `amount` units of a write's buffer: ORA-21560 when it holds fewer.
std::string bufferPiece(NativeCall& c, size_t amountArg, size_t bufferArg, bool binary, int amountPosition)
{
    int64_t amount = checkedInteger(c, amountArg, amountPosition, 1, kMaxBuffer);
    std::optional<std::string> buffer = dataOf(arg(c, bufferArg), binary);
    if (!buffer)
        badArgument(amountPosition);
    LobData b { binary, std::move(*buffer) };
    if (b.length() < amount)
        badArgument(amountPosition);
    return b.sub(0, amount);
}

// WRITEAPPEND(lob, amount, buffer).
std::optional<Value> writeAppend(NativeCall& c, bool binary)
{
    LobData lob = lobToWrite(c, 0, binary);
    lob.data += bufferPiece(c, 1, 2, binary, 2);
    setOut(c, 0, lobValue(lob));
    return std::nullopt;
}

// Replaces the units from `offset` (0-based) with `piece`, filling any gap past the end.
void overwrite(LobData& lob, int64_t offset, const std::string& piece)
{
    int64_t len = lob.length();
    if (offset > len)
        lob.data.append(static_cast<size_t>(offset - len), lob.filler());
    LobData p { lob.binary, piece };
    size_t b = lob.byteAt(offset);
    size_t e = lob.byteAt(offset + p.length());
    lob.data.replace(b, e - b, piece);
}

// WRITE(lob, amount, offset, buffer): overwrites from offset.
std::optional<Value> write(NativeCall& c, bool binary)
{
    LobData lob = lobToWrite(c, 0, binary);
    std::string piece = bufferPiece(c, 1, 3, binary, 2);
    int64_t offset = checkedInteger(c, 2, 3, 1, std::numeric_limits<int64_t>::max() / 2);
    overwrite(lob, offset - 1, piece);
    setOut(c, 0, lobValue(lob));
    return std::nullopt;
}

// READ(lob, amount IN OUT, offset, buffer OUT): at most amount units from offset; past the end ORA-01403.
std::optional<Value> read(NativeCall& c, bool binary)
{
    std::optional<LobData> lob = lobArg(c, 0, binary);
    if (!lob)
        invalidLocator();
    int64_t amount = checkedInteger(c, 1, 2, 1, kMaxBuffer);
    int64_t offset = checkedInteger(c, 2, 3, 1, std::numeric_limits<int64_t>::max() / 2);
    int64_t len = lob->length();
    if (offset > len)
        fail(1403, "no data found");
    std::string piece = lob->sub(offset - 1, amount);
    setOut(c, 1, Value::fromInt(std::min(amount, len - offset + 1)));
    setOut(c, 3, pieceValue(*lob, std::move(piece)));
    return std::nullopt;
}

// CREATETEMPORARY(lob, cache, dur): an empty temporary LOB.
std::optional<Value> createTemporary(NativeCall& c, bool binary)
{
    setOut(c, 0, lobValue(LobData { binary, {} }));
    return std::nullopt;
}

// FREETEMPORARY(lob): the locator is no longer valid, so the variable holds no LOB.
std::optional<Value> freeTemporary(NativeCall& c, bool)
{
    setOut(c, 0, Value::null());
    return std::nullopt;
}

// ISTEMPORARY(lob): 1 for a temporary LOB, 0 for one read from a table; NULL for NULL.
std::optional<Value> isTemporary(NativeCall& c, bool)
{
    if (isNull(c, 0))
        return Value::null();
    const bool fromTable = !c.tableLobs.empty() && c.tableLobs[0];
    return Value::fromInt(fromTable ? 0 : 1);
}

// COPY(dest, src, amount, dest_offset, src_offset).
std::optional<Value> copy(NativeCall& c, bool binary)
{
    LobData dest = lobToWrite(c, 0, binary);
    std::optional<LobData> src = lobArg(c, 1, binary);
    if (!src)
        invalidLocator();
    int64_t amount = checkedInteger(c, 2, 3, 1, std::numeric_limits<int64_t>::max() / 4);
    int64_t destOffset = checkedInteger(c, 3, 4, 1, std::numeric_limits<int64_t>::max() / 4);
    int64_t srcOffset = checkedInteger(c, 4, 5, 1, std::numeric_limits<int64_t>::max() / 4);
    std::string piece = src->sub(srcOffset - 1, amount);
    if (!piece.empty())
        overwrite(dest, destOffset - 1, piece);
    setOut(c, 0, lobValue(dest));
    return std::nullopt;
}

// ERASE(lob, amount IN OUT, offset): the units become spaces or zero bytes; amount says how many there were.
std::optional<Value> erase(NativeCall& c, bool binary)
{
    LobData lob = lobToWrite(c, 0, binary);
    int64_t amount = checkedInteger(c, 1, 2, 1, std::numeric_limits<int64_t>::max() / 4);
    int64_t offset = checkedInteger(c, 2, 3, 1, std::numeric_limits<int64_t>::max() / 4);
    int64_t len = lob.length();
    int64_t erased = offset > len ? 0 : std::min(amount, len - offset + 1);
    if (erased > 0)
        overwrite(lob, offset - 1, std::string(static_cast<size_t>(erased), lob.filler()));
    setOut(c, 0, lobValue(lob));
    setOut(c, 1, Value::fromInt(erased));
    return std::nullopt;
}

// TRIM(lob, newlen): cut to newlen units; longer than the LOB is ORA-22926.
std::optional<Value> trim(NativeCall& c, bool binary)
{
    LobData lob = lobToWrite(c, 0, binary);
    int64_t newLength = checkedInteger(c, 1, 2, 0, std::numeric_limits<int64_t>::max() / 4);
    if (newLength > lob.length())
        fail(22926, "specified trim length is greater than current LOB value's length");
    lob.data.resize(lob.byteAt(newLength));
    setOut(c, 0, lobValue(lob));
    return std::nullopt;
}

// COMPARE(lob1, lob2, amount, offset1, offset2): 0 when the pieces match, -1 or 1 as the first is less or greater;
// NULL for NULL arguments and for an amount or offset under 1.
std::optional<Value> compare(NativeCall& c, bool binary)
{
    std::optional<LobData> a = lobArg(c, 0, binary), b = lobArg(c, 1, binary);
    std::optional<int64_t> amount = integer(c, 2), offset1 = integer(c, 3), offset2 = integer(c, 4);
    if (!a || !b || !amount || !offset1 || !offset2 || *amount < 1 || *offset1 < 1 || *offset2 < 1)
        return Value::null();
    int r = a->sub(*offset1 - 1, *amount).compare(b->sub(*offset2 - 1, *amount));
    return Value::fromInt(r < 0 ? -1 : r > 0 ? 1 : 0);
}

// OPEN(lob, open_mode) and CLOSE(lob): the engine keeps no open state, so they only check the locator.
std::optional<Value> openOrClose(NativeCall& c, bool)
{
    if (isNull(c, 0))
        invalidLocator();
    return std::nullopt;
}

using LobRoutine = std::optional<Value> (*)(NativeCall&, bool);

void both(NativePackage& p, const std::string& name, std::vector<NativeParam> (*params)(bool), LobRoutine run,
    std::optional<NativeType> (*returns)(bool) = nullptr)
{
    for (bool binary : { false, true }) {
        NativeRoutine r = routine(
            name, params(binary), [run, binary](NativeCall& c) { return run(c, binary); },
            returns ? returns(binary) : std::nullopt, returns != nullptr);
        p.routines.push_back(std::move(r));
    }
}

} // namespace

NativePackage makeDbmsLob()
{
    NativePackage p;
    p.name = "DBMS_LOB";
    auto integerResult = [](bool) -> std::optional<NativeType> { return NativeType::Integer; };
    both(
        p, "GETLENGTH", [](bool b) { return std::vector<NativeParam> { in("LOB_LOC", lobType(b)) }; }, getLength,
        integerResult);
    both(
        p, "SUBSTR",
        [](bool b) {
            return std::vector<NativeParam> { in("LOB_LOC", lobType(b)),
                inDefault("AMOUNT", NativeType::Integer, Value::fromInt(kMaxBuffer)),
                inDefault("OFFSET", NativeType::Integer, Value::fromInt(1)) };
        },
        substr, [](bool b) -> std::optional<NativeType> { return bufferType(b); });
    both(
        p, "INSTR",
        [](bool b) {
            return std::vector<NativeParam> { in("LOB_LOC", lobType(b)), in("PATTERN", bufferType(b)),
                inDefault("OFFSET", NativeType::Integer, Value::fromInt(1)),
                inDefault("NTH", NativeType::Integer, Value::fromInt(1)) };
        },
        instr, integerResult);
    both(
        p, "APPEND",
        [](bool b) {
            return std::vector<NativeParam> { written(inOut("DEST_LOB", lobType(b))), in("SRC_LOB", lobType(b)) };
        },
        append);
    both(
        p, "WRITEAPPEND",
        [](bool b) {
            return std::vector<NativeParam> { written(inOut("LOB_LOC", lobType(b))),
                in("AMOUNT", NativeType::Integer), in("BUFFER", bufferType(b)) };
        },
        writeAppend);
    both(
        p, "WRITE",
        [](bool b) {
            return std::vector<NativeParam> { written(inOut("LOB_LOC", lobType(b))),
                in("AMOUNT", NativeType::Integer), in("OFFSET", NativeType::Integer), in("BUFFER", bufferType(b)) };
        },
        write);
    both(
        p, "READ",
        [](bool b) {
            return std::vector<NativeParam> { in("LOB_LOC", lobType(b)), inOut("AMOUNT", NativeType::Integer),
                in("OFFSET", NativeType::Integer), out("BUFFER", bufferType(b)) };
        },
        read);
    both(
        p, "CREATETEMPORARY",
        [](bool b) {
            return std::vector<NativeParam> { inOut("LOB_LOC", lobType(b)), in("CACHE", NativeType::Boolean),
                inDefault("DUR", NativeType::Integer, Value::fromInt(10)) };
        },
        createTemporary);
    both(
        p, "FREETEMPORARY", [](bool b) { return std::vector<NativeParam> { inOut("LOB_LOC", lobType(b)) }; },
        freeTemporary);
    both(
        p, "ISTEMPORARY", [](bool b) { return std::vector<NativeParam> { in("LOB_LOC", lobType(b)) }; }, isTemporary,
        integerResult);
    // Inside SQL the engine cannot tell a column's LOB from a temporary one, so ISTEMPORARY is PL/SQL's only.
    p.routines[p.routines.size() - 1].usableInSql = false;
    p.routines[p.routines.size() - 2].usableInSql = false;
    both(
        p, "COPY",
        [](bool b) {
            return std::vector<NativeParam> { written(inOut("DEST_LOB", lobType(b))), in("SRC_LOB", lobType(b)),
                in("AMOUNT", NativeType::Integer), inDefault("DEST_OFFSET", NativeType::Integer, Value::fromInt(1)),
                inDefault("SRC_OFFSET", NativeType::Integer, Value::fromInt(1)) };
        },
        copy);
    both(
        p, "ERASE",
        [](bool b) {
            return std::vector<NativeParam> { written(inOut("LOB_LOC", lobType(b))),
                inOut("AMOUNT", NativeType::Integer), inDefault("OFFSET", NativeType::Integer, Value::fromInt(1)) };
        },
        erase);
    both(
        p, "TRIM",
        [](bool b) {
            return std::vector<NativeParam> { written(inOut("LOB_LOC", lobType(b))), in("NEWLEN", NativeType::Integer) };
        },
        trim);
    both(
        p, "COMPARE",
        [](bool b) {
            return std::vector<NativeParam> { in("LOB_1", lobType(b)), in("LOB_2", lobType(b)),
                inDefault("AMOUNT", NativeType::Integer, Value::fromInt(std::numeric_limits<int64_t>::max() / 4)),
                inDefault("OFFSET_1", NativeType::Integer, Value::fromInt(1)),
                inDefault("OFFSET_2", NativeType::Integer, Value::fromInt(1)) };
        },
        compare, integerResult);
    both(
        p, "OPEN",
        [](bool b) {
            return std::vector<NativeParam> { inOut("LOB_LOC", lobType(b)), in("OPEN_MODE", NativeType::Integer) };
        },
        openOrClose);
    both(
        p, "CLOSE", [](bool b) { return std::vector<NativeParam> { inOut("LOB_LOC", lobType(b)) }; }, openOrClose);
    auto constant = [&](const char* name, int64_t v) {
        p.constants.push_back(NativeConstant { name, NativeType::Integer, Value::fromInt(v) });
    };
    constant("LOB_READONLY", 0);
    constant("LOB_READWRITE", 1);
    constant("SESSION", 10);
    constant("CALL", 12);
    constant("NO_WARNING", 0);
    constant("DEFAULT_CSID", 0);
    constant("DEFAULT_LANG_CTX", 0);
    p.exceptions.push_back(NativeException { "INVALID_ARGVAL", 21560 });
    p.exceptions.push_back(NativeException { "ACCESS_ERROR", 22925 });
    return p;
}

} // namespace engine::plsql

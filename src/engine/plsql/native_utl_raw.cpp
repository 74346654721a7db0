// UTL_RAW: RAW values as byte strings: casts between text and bytes, length, substrings, concatenation, the
// bitwise operations and comparison. Text passed for a RAW is read as hexadecimal digits, as Oracle converts it.
#include "engine/plsql/native_state.h"
#include "engine/plsql/values.h"

#include "engine/emit/runtime_functions.h"

namespace engine::plsql {

namespace {

using namespace native;

constexpr size_t kMaxRaw = 32767;

std::optional<std::string> bytesOf(NativeCall& c, size_t i)
{
    const Value& v = arg(c, i);
    if (v.isNull())
        return std::nullopt;
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

Value rawValue(std::string bytes)
{
    if (bytes.empty())
        return Value::null();
    if (bytes.size() > kMaxRaw)
        fail(6502, "PL/SQL: numeric or value error: raw variable length too long");
    return Value::fromBlob(std::move(bytes));
}

std::optional<Value> castToRaw(NativeCall& c)
{
    if (isNull(c, 0))
        return Value::null();
    return rawValue(text(c, 0));
}

std::optional<Value> castToVarchar2(NativeCall& c)
{
    std::optional<std::string> b = bytesOf(c, 0);
    return b ? Value::fromText(std::move(*b)) : Value::null();
}

std::optional<Value> length(NativeCall& c)
{
    std::optional<std::string> b = bytesOf(c, 0);
    return b ? Value::fromInt(static_cast<int64_t>(b->size())) : Value::null();
}

// SUBSTR(r, pos, len): a negative pos counts from the end; pos 0, a len under 1 or a piece past the end is
// VALUE_ERROR.
std::optional<Value> substr(NativeCall& c)
{
    std::optional<std::string> b = bytesOf(c, 0);
    if (!b)
        return Value::null();
    std::optional<int64_t> pos = integer(c, 1), len = integer(c, 2);
    const int64_t size = static_cast<int64_t>(b->size());
    if (!pos || *pos == 0 || *pos > size || -*pos > size)
        fail(6502, "PL/SQL: numeric or value error");
    int64_t start = *pos > 0 ? *pos - 1 : size + *pos;
    int64_t count = len ? *len : size - start;
    if (count < 1 || start + count > size)
        fail(6502, "PL/SQL: numeric or value error");
    return rawValue(b->substr(static_cast<size_t>(start), static_cast<size_t>(count)));
}

// CONCAT(r1, ..., r12): the non-NULL ones one after another.
std::optional<Value> concat(NativeCall& c)
{
    std::string r;
    for (size_t i = 0; i < c.args.size(); ++i)
        if (std::optional<std::string> b = bytesOf(c, i))
            r += *b;
    return rawValue(std::move(r));
}

// BIT_AND / BIT_OR / BIT_XOR(r1, r2): byte by byte over the shorter; the rest of the longer is kept as it is.
template <typename Op> NativeFunction bitwise(Op op)
{
    return [op](NativeCall& c) -> std::optional<Value> {
        std::optional<std::string> a = bytesOf(c, 0), b = bytesOf(c, 1);
        if (!a || !b)
            return Value::null();
        std::string r = a->size() >= b->size() ? *a : *b;
        const size_t n = std::min(a->size(), b->size());
        for (size_t i = 0; i < n; ++i)
            r[i] = static_cast<char>(op(static_cast<unsigned char>((*a)[i]), static_cast<unsigned char>((*b)[i])));
        return rawValue(std::move(r));
    };
}

std::optional<Value> bitComplement(NativeCall& c)
{
    std::optional<std::string> a = bytesOf(c, 0);
    if (!a)
        return Value::null();
    for (char& ch : *a)
        ch = static_cast<char>(~static_cast<unsigned char>(ch));
    return rawValue(std::move(*a));
}

// COMPARE(r1, r2, pad): 0 when equal (both NULL too), else the position of the first byte that differs, the shorter
// one extended with pad (its first byte, 0x00 by default).
std::optional<Value> compare(NativeCall& c)
{
    std::string a = bytesOf(c, 0).value_or(std::string());
    std::string b = bytesOf(c, 1).value_or(std::string());
    std::optional<std::string> pad = bytesOf(c, 2);
    const char filler = pad && !pad->empty() ? (*pad)[0] : '\0';
    const size_t n = std::max(a.size(), b.size());
    a.resize(n, filler);
    b.resize(n, filler);
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return Value::fromInt(static_cast<int64_t>(i + 1));
    return Value::fromInt(0);
}

NativeRoutine function(std::string name, std::vector<NativeParam> params, NativeFunction run, NativeType returns)
{
    return routine(std::move(name), std::move(params), std::move(run), returns, true);
}

} // namespace

NativePackage makeUtlRaw()
{
    NativePackage p;
    p.name = "UTL_RAW";
    const NativeType R = NativeType::Raw;
    p.routines.push_back(function("CAST_TO_RAW", { in("C", NativeType::Varchar2) }, castToRaw, R));
    p.routines.push_back(function("CAST_TO_VARCHAR2", { in("R", R) }, castToVarchar2, NativeType::Varchar2));
    p.routines.push_back(function("LENGTH", { in("R", R) }, length, NativeType::Integer));
    p.routines.push_back(function("SUBSTR",
        { in("R", R), in("POS", NativeType::Integer), inDefault("LEN", NativeType::Integer, Value::null()) }, substr,
        R));
    std::vector<NativeParam> parts;
    for (int i = 1; i <= 12; ++i)
        parts.push_back(inDefault("R" + std::to_string(i), R, Value::null()));
    p.routines.push_back(function("CONCAT", parts, concat, R));
    p.routines.push_back(function("BIT_AND", { in("R1", R), in("R2", R) }, bitwise([](int x, int y) { return x & y; }), R));
    p.routines.push_back(function("BIT_OR", { in("R1", R), in("R2", R) }, bitwise([](int x, int y) { return x | y; }), R));
    p.routines.push_back(function("BIT_XOR", { in("R1", R), in("R2", R) }, bitwise([](int x, int y) { return x ^ y; }), R));
    p.routines.push_back(function("BIT_COMPLEMENT", { in("R", R) }, bitComplement, R));
    p.routines.push_back(function("COMPARE",
        { in("R1", R), in("R2", R), inDefault("PAD", R, Value::null()) }, compare, NativeType::Integer));
    return p;
}

} // namespace engine::plsql

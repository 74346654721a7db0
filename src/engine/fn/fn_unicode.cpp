// ASCIISTR, UNISTR and NCHR: characters as their UTF-16 codes. ASCIISTR writes every character beyond ASCII (and
// the backslash) as \XXXX, UNISTR reads \XXXX and \\ back (ORA-30186 for another backslash), NCHR makes the
// character of a code.
#include "engine/fn/fnutil.h"

namespace engine::fn::detail {

namespace {

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// The code point of the UTF-8 character at s[i] and its length in bytes (a stray byte stands for itself).
uint32_t decodeUtf8(std::string_view s, size_t i, size_t& length)
{
    const auto b = static_cast<unsigned char>(s[i]);
    length = charLength(s, i);
    if (b < 0x80 || length == 1)
        return b;
    uint32_t cp = b & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
    for (size_t k = 1; k < length; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return cp;
}

void appendCode(std::string& out, uint32_t unit)
{
    static const char digits[] = "0123456789ABCDEF";
    out += '\\';
    for (int shift = 12; shift >= 0; shift -= 4)
        out += digits[(unit >> shift) & 15];
}

void asciiStr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch, out;
        const std::string_view s = stringArg(argv[0], scratch);
        for (size_t i = 0; i < s.size();) {
            size_t n = 1;
            const uint32_t cp = decodeUtf8(s, i, n);
            if (cp < 0x80 && cp != '\\') {
                out += char(cp);
            } else if (cp >= 0x10000) {
                appendCode(out, 0xD800 + ((cp - 0x10000) >> 10));
                appendCode(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                appendCode(out, cp);
            }
            i += n;
        }
        resultText(ctx, out);
    });
}

void uniStr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch, out;
        const std::string_view s = stringArg(argv[0], scratch);
        auto code = [&](size_t at) -> uint32_t {
            if (at + 4 > s.size())
                throw OraError(30186, "'\\' must be followed by four hexadecimal characters or another '\\'");
            uint32_t v = 0;
            for (size_t k = at; k < at + 4; ++k) {
                const char c = s[k];
                if (!std::isxdigit(static_cast<unsigned char>(c)))
                    throw OraError(30186, "'\\' must be followed by four hexadecimal characters or another '\\'");
                v = v * 16 + uint32_t(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::toupper(c) - 'A' + 10));
            }
            return v;
        };
        for (size_t i = 0; i < s.size();) {
            if (s[i] != '\\') {
                out += s[i++];
                continue;
            }
            if (i + 1 < s.size() && s[i + 1] == '\\') {
                out += '\\';
                i += 2;
                continue;
            }
            uint32_t cp = code(i + 1);
            i += 5;
            if (cp >= 0xD800 && cp < 0xDC00 && i < s.size() && s[i] == '\\') {
                const uint32_t low = code(i + 1);
                if (low >= 0xDC00 && low < 0xE000) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    i += 5;
                }
            }
            appendUtf8(out, cp);
        }
        resultText(ctx, out);
    });
}

void nchr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const int64_t n = integerArg(argv[0]);
        if (n < 0 || n > 0x10FFFF || (n >= 0xD800 && n < 0xE000))
            throw OraError(1428, "argument '" + std::to_string(n) + "' is out of range");
        std::string out;
        appendUtf8(out, uint32_t(n));
        sqlite3_result_text(ctx, out.data(), int(out.size()), SQLITE_TRANSIENT);
    });
}

} // namespace

void registerUnicodeFunctions(Registrar& r)
{
    r.add("ORA_ASCIISTR", asciiStr);
    r.add("ORA_UNISTR", uniStr);
    r.add("ORA_NCHR", nchr);
}

} // namespace engine::fn::detail

// CHR and ASCII: a character and its code in the database character set, AL32UTF8, so a code above 127 is the
// character's UTF-8 bytes read as one number (ASCII('č') is 50317, CHR(50317) is 'č').
#include "engine/fn/fnutil.h"

namespace engine::fn::detail {

namespace {

void chr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        int64_t n = integerArg(argv[0]);
        if (n < 0 || n > 0xFFFFFFFFLL) {
            std::string text = "argument '" + std::to_string(n) + "' is out of range";
            throw OraError(1428, text);
        }
        char bytes[4];
        int count = 0;
        for (int shift = 24; shift >= 0; shift -= 8) {
            char b = char((n >> shift) & 0xFF);
            if (count || b || shift == 0)
                bytes[count++] = b;
        }
        // CHR(0) is one NUL character, not an empty (NULL) string.
        sqlite3_result_text(ctx, bytes, count, SQLITE_TRANSIENT);
    });
}

void ascii(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch;
        std::string_view s = stringArg(argv[0], scratch);
        if (s.empty()) {
            sqlite3_result_null(ctx);
            return;
        }
        size_t length = charLength(s, 0);
        int64_t code = 0;
        for (size_t i = 0; i < length; ++i)
            code = code * 256 + static_cast<unsigned char>(s[i]);
        sqlite3_result_int64(ctx, code);
    });
}

} // namespace

void registerCharacterCodeFunctions(Registrar& r)
{
    r.add("ORA_CHR", chr);
    r.add("ORA_ASCII", ascii);
}

} // namespace engine::fn::detail

// RAWTOHEX, SYS_GUID and CHARTOROWID's check. HEXTORAW is the implicit conversion of text to RAW that storing
// into a RAW column already does (ORA_STORE_RAW).
#include "engine/fn/fnutil.h"

#include <random>

namespace engine::fn::detail {

namespace {

// RAWTOHEX(raw): the bytes as upper-case hexadecimal digits; text is read as the hexadecimal digits it holds.
void rawToHex(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        static const char digits[] = "0123456789ABCDEF";
        std::string out;
        if (sqlite3_value_type(argv[0]) == SQLITE_BLOB) {
            const auto* b = static_cast<const unsigned char*>(sqlite3_value_blob(argv[0]));
            const int n = sqlite3_value_bytes(argv[0]);
            for (int i = 0; i < n; ++i) {
                out += digits[b[i] >> 4];
                out += digits[b[i] & 15];
            }
        } else {
            std::string scratch;
            const std::string_view text = stringArg(argv[0], scratch);
            if (text.size() % 2)
                out += '0';
            for (char c : text) {
                if (!std::isxdigit(static_cast<unsigned char>(c)))
                    throw OraError(1465, "invalid hex number");
                out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
        resultText(ctx, out);
    });
}

// SYS_GUID(): 16 bytes that no other call gives.
void sysGuid(sqlite3_context* ctx, int, sqlite3_value**)
{
    thread_local std::mt19937_64 generator { std::random_device {}() ^ uint64_t(reinterpret_cast<uintptr_t>(&ctx)) };
    unsigned char bytes[16];
    for (int i = 0; i < 16; i += 8) {
        const uint64_t r = generator();
        for (int k = 0; k < 8; ++k)
            bytes[i + k] = static_cast<unsigned char>(r >> (8 * k));
    }
    sqlite3_result_blob(ctx, bytes, 16, SQLITE_TRANSIENT);
}

// CHARTOROWID(text): the text when it has a ROWID's form (18 characters of its alphabet), else ORA-01410.
void charToRowid(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch;
        const std::string_view text = stringArg(argv[0], scratch);
        bool ok = text.size() == 18;
        for (char c : text)
            ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/');
        if (!ok)
            throw OraError(1410, "invalid ROWID");
        resultText(ctx, text);
    });
}

} // namespace

void registerRawFunctions(Registrar& r)
{
    r.add("ORA_RAWTOHEX", rawToHex);
    r.add("ORA_SYS_GUID", sysGuid);
    r.add("ORA_CHARTOROWID", charToRowid);
}

} // namespace engine::fn::detail

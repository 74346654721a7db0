// SUBSTR, INSTR and LENGTH, counting characters (UTF-8 code points) as Oracle does for AL32UTF8 text.
#include "engine/fn/fnutil.h"

#include <algorithm>

namespace engine::fn::detail {

namespace {

void substr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch;
        std::string_view s = stringArg(argv[0], scratch);
        int64_t position = integerArg(argv[1]);
        int64_t length = argc > 2 ? integerArg(argv[2]) : INT64_MAX;
        if (length < 1) {
            sqlite3_result_null(ctx);
            return;
        }
        size_t start;
        if (position >= 0) {
            // Position 0 counts as 1.
            start = byteOffset(s, size_t(position > 0 ? position - 1 : 0));
        } else {
            int64_t count = int64_t(charCount(s));
            if (-position > count) {
                sqlite3_result_null(ctx);
                return;
            }
            start = byteOffset(s, size_t(count + position));
        }
        std::string_view rest = s.substr(start);
        size_t end = length == INT64_MAX ? rest.size() : byteOffset(rest, size_t(std::min<int64_t>(length, INT32_MAX)));
        resultText(ctx, rest.substr(0, end));
    });
}

// 1-based character position of the occurrence-th match at or after character `from` (forward), or 0.
int64_t findForward(std::string_view s, std::string_view sub, int64_t from, int64_t occurrence)
{
    size_t byte = byteOffset(s, size_t(from));
    int64_t charIndex = from;
    if (byte >= s.size() && !(byte == s.size() && sub.empty()))
        return 0;
    while (byte <= s.size()) {
        size_t found = s.find(sub, byte);
        if (found == std::string_view::npos)
            return 0;
        charIndex += int64_t(charCount(s.substr(byte, found - byte)));
        if (--occurrence == 0)
            return charIndex + 1;
        // Matches may overlap: the next search starts one character later.
        byte = found + charLength(s, found);
        ++charIndex;
    }
    return 0;
}

// Searching backwards from character `from` (0-based, the last start a match may have).
int64_t findBackward(std::string_view s, std::string_view sub, int64_t from, int64_t occurrence)
{
    // Character starts, so positions map back to characters.
    size_t byte = byteOffset(s, size_t(from));
    if (byte >= s.size())
        byte = s.size() - 1;
    for (;;) {
        size_t found = s.rfind(sub, byte);
        if (found == std::string_view::npos)
            return 0;
        if (--occurrence == 0)
            return int64_t(charCount(s.substr(0, found))) + 1;
        if (found == 0)
            return 0;
        byte = found - 1;
        while (byte > 0 && (static_cast<unsigned char>(s[byte]) & 0xC0) == 0x80)
            --byte;
    }
}

void instr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch1;
        std::string scratch2;
        std::string_view s = stringArg(argv[0], scratch1);
        std::string_view sub = stringArg(argv[1], scratch2);
        int64_t position = argc > 2 ? integerArg(argv[2]) : 1;
        int64_t occurrence = argc > 3 ? integerArg(argv[3]) : 1;
        if (occurrence <= 0) {
            std::string text = "argument '" + std::to_string(occurrence) + "' is out of range";
            throw OraError(1428, text);
        }
        if (position == 0 || sub.empty()) {
            sqlite3_result_int(ctx, 0);
            return;
        }
        if (position > 0) {
            sqlite3_result_int64(ctx, findForward(s, sub, position - 1, occurrence));
            return;
        }
        int64_t count = int64_t(charCount(s));
        if (-position > count) {
            sqlite3_result_int(ctx, 0);
            return;
        }
        sqlite3_result_int64(ctx, findBackward(s, sub, count + position, occurrence));
    });
}

void length(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch;
        sqlite3_result_int64(ctx, int64_t(charCount(stringArg(argv[0], scratch))));
    });
}

} // namespace

void registerSubstringFunctions(Registrar& r)
{
    r.add("ORA_SUBSTR", substr);
    r.add("ORA_INSTR", instr);
    r.add("ORA_LENGTH", length);
}

} // namespace engine::fn::detail

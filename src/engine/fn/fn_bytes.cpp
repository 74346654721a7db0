// LENGTHB, SUBSTRB and INSTRB: LENGTH, SUBSTR and INSTR counting bytes of the AL32UTF8 text instead of characters.
// SUBSTRB gives a blank for each byte of a character it cuts, so its result is always whole characters.
#include "engine/fn/fnutil.h"

#include <algorithm>

namespace engine::fn::detail {

namespace {

bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void lengthb(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch;
        sqlite3_result_int64(ctx, int64_t(stringArg(argv[0], scratch).size()));
    });
}

void substrb(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch;
        const std::string_view s = stringArg(argv[0], scratch);
        int64_t position = integerArg(argv[1]);
        const int64_t length = argc > 2 ? integerArg(argv[2]) : INT64_MAX;
        if (length < 1) {
            sqlite3_result_null(ctx);
            return;
        }
        const int64_t size = int64_t(s.size());
        int64_t start = position > 0 ? position - 1 : position == 0 ? 0 : size + position;
        if (start < 0 || start >= size) {
            sqlite3_result_null(ctx);
            return;
        }
        const int64_t end = length >= size - start ? size : start + length;
        std::string out(s.substr(size_t(start), size_t(end - start)));
        // A character cut at the start: its remaining bytes are blanks.
        for (size_t i = 0; i < out.size() && isContinuation(out[i]); ++i)
            out[i] = ' ';
        // A character cut at the end: its bytes are blanks.
        size_t lead = out.size();
        while (lead > 0 && isContinuation(out[lead - 1]))
            --lead;
        if (lead > 0 && static_cast<unsigned char>(out[lead - 1]) >= 0xC0
            && charLength(s, size_t(start) + lead - 1) > out.size() - (lead - 1))
            std::fill(out.begin() + long(lead - 1), out.end(), ' ');
        resultText(ctx, out);
    });
}

void instrb(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string a, b;
        const std::string_view s = stringArg(argv[0], a);
        const std::string_view sub = stringArg(argv[1], b);
        const int64_t position = argc > 2 ? integerArg(argv[2]) : 1;
        int64_t occurrence = argc > 3 ? integerArg(argv[3]) : 1;
        if (position == 0 || occurrence <= 0) {
            const int64_t bad = position == 0 ? position : occurrence;
            throw OraError(1428, "argument '" + std::to_string(bad) + "' is out of range");
        }
        const int64_t size = int64_t(s.size());
        if (position > 0) {
            for (size_t at = size_t(position - 1); at < s.size();) {
                const size_t found = s.find(sub, at);
                if (found == std::string_view::npos)
                    break;
                if (--occurrence == 0) {
                    sqlite3_result_int64(ctx, int64_t(found) + 1);
                    return;
                }
                at = found + 1;
            }
        } else {
            int64_t at = size + position;
            while (at >= 0) {
                const size_t found = s.rfind(sub, size_t(at));
                if (found == std::string_view::npos)
                    break;
                if (--occurrence == 0) {
                    sqlite3_result_int64(ctx, int64_t(found) + 1);
                    return;
                }
                at = int64_t(found) - 1;
            }
        }
        sqlite3_result_int(ctx, 0);
    });
}

} // namespace

void registerByteFunctions(Registrar& r)
{
    r.add("ORA_LENGTHB", lengthb);
    r.add("ORA_SUBSTRB", substrb);
    r.add("ORA_INSTRB", instrb);
}

} // namespace engine::fn::detail

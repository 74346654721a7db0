// LPAD and RPAD (to a length in characters, cutting longer text), TRIM with LEADING/TRAILING/BOTH and one
// character, LTRIM and RTRIM with a set of characters.
#include "engine/fn/fnutil.h"

#include <algorithm>

namespace engine::fn::detail {

namespace {

template <bool Left> void pad(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch1;
        std::string scratch2;
        std::string_view s = stringArg(argv[0], scratch1);
        int64_t n = integerArg(argv[1]);
        std::string_view padding = argc > 2 ? stringArg(argv[2], scratch2) : std::string_view(" ");
        if (n < 1 || padding.empty()) {
            sqlite3_result_null(ctx);
            return;
        }
        if (n > 32767)
            n = 32767; // Oracle's longest VARCHAR2 in PL/SQL; longer results would only waste memory.
        size_t have = charCount(s);
        if (have >= size_t(n)) {
            resultText(ctx, s.substr(0, byteOffset(s, size_t(n))));
            return;
        }
        size_t missing = size_t(n) - have;
        thread_local std::string out;
        out.clear();
        if (!Left)
            out.append(s);
        size_t padChars = charCount(padding);
        while (missing > 0) {
            size_t take = std::min(missing, padChars);
            out.append(padding.substr(0, byteOffset(padding, take)));
            missing -= take;
        }
        if (Left)
            out.append(s);
        resultText(ctx, out);
    });
}

// A set of characters to trim: a byte table for ASCII sets, a list of characters otherwise.
class TrimSet {
public:
    explicit TrimSet(std::string_view set)
        : set(set)
    {
        for (char c : set) {
            auto u = static_cast<unsigned char>(c);
            if (u & 0x80)
                ascii = false;
            else
                table[u] = true;
        }
    }
    // Byte length of the character at i when it is in the set, else 0.
    size_t matchAt(std::string_view s, size_t i) const
    {
        auto u = static_cast<unsigned char>(s[i]);
        if (!(u & 0x80))
            return table[u] ? 1 : 0;
        if (ascii)
            return 0;
        size_t length = charLength(s, i);
        std::string_view ch = s.substr(i, length);
        for (size_t k = 0; k < set.size(); k += charLength(set, k))
            if (set.substr(k, charLength(set, k)) == ch)
                return length;
        return 0;
    }

private:
    std::string_view set;
    bool ascii = true;
    bool table[128] = {};
};

std::string_view trimWith(std::string_view s, const TrimSet& set, bool leading, bool trailing)
{
    size_t b = 0;
    if (leading)
        while (b < s.size()) {
            size_t m = set.matchAt(s, b);
            if (!m)
                break;
            b += m;
        }
    size_t e = s.size();
    if (trailing)
        while (e > b) {
            size_t start = e - 1;
            while (start > b && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80)
                --start;
            if (!set.matchAt(s, start))
                break;
            e = start;
        }
    return s.substr(b, e - b);
}

void trim(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    // TRIM(LEADING FROM s) passes a NULL character only when the statement wrote NULL: that is NULL.
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch1;
        std::string scratch2;
        std::string_view s = stringArg(argv[0], scratch1);
        bool leading = true;
        bool trailing = true;
        if (argc > 1) {
            std::string_view mode = textArg(argv[1]);
            if (equalsIgnoreCase(mode, "LEADING"))
                trailing = false;
            else if (equalsIgnoreCase(mode, "TRAILING"))
                leading = false;
            else if (!equalsIgnoreCase(mode, "BOTH"))
                throw OraError(907, "missing right parenthesis");
        }
        std::string_view character = argc > 2 ? stringArg(argv[2], scratch2) : std::string_view(" ");
        if (charCount(character) != 1)
            throw OraError(30001, "trim set should have only one character");
        resultText(ctx, trimWith(s, TrimSet(character), leading, trailing));
    });
}

template <bool Leading> void trimSet(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch1;
        std::string scratch2;
        std::string_view s = stringArg(argv[0], scratch1);
        std::string_view set = argc > 1 ? stringArg(argv[1], scratch2) : std::string_view(" ");
        resultText(ctx, trimWith(s, TrimSet(set), Leading, !Leading));
    });
}

} // namespace

void registerPadTrimFunctions(Registrar& r)
{
    r.add("ORA_LPAD", pad<true>);
    r.add("ORA_RPAD", pad<false>);
    r.add("ORA_TRIM", trim);
    r.add("ORA_LTRIM", trimSet<true>);
    r.add("ORA_RTRIM", trimSet<false>);
}

} // namespace engine::fn::detail

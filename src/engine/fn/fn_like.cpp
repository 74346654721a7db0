// LIKE as Oracle has it: case-sensitive, % and _ over characters, an optional one-character ESCAPE that may only
// precede %, _ or itself (ORA-01424). The pattern is compiled once per statement when it is a constant.
#include "engine/fn/fnutil.h"

#include <vector>

namespace engine::fn::detail {

namespace {

struct LikePattern {
    enum Kind : uint8_t { Literal, AnyOne, AnyMany };
    struct Item {
        Kind kind;
        uint32_t offset;
        uint32_t length;
    };
    std::vector<Item> items;
    std::string literals;
    std::string escape;

    static LikePattern compile(std::string_view pattern, std::string_view escape)
    {
        LikePattern p;
        p.escape = escape;
        for (size_t i = 0; i < pattern.size();) {
            size_t length = charLength(pattern, i);
            std::string_view ch = pattern.substr(i, length);
            if (!escape.empty() && ch == escape) {
                i += length;
                if (i >= pattern.size())
                    throw OraError(1424, "missing or illegal character following the escape character");
                size_t nextLength = charLength(pattern, i);
                std::string_view next = pattern.substr(i, nextLength);
                if (next != "%" && next != "_" && next != escape)
                    throw OraError(1424, "missing or illegal character following the escape character");
                p.addLiteral(next);
                i += nextLength;
                continue;
            }
            if (ch == "%") {
                if (p.items.empty() || p.items.back().kind != AnyMany)
                    p.items.push_back({ AnyMany, 0, 0 });
            } else if (ch == "_")
                p.items.push_back({ AnyOne, 0, 0 });
            else
                p.addLiteral(ch);
            i += length;
        }
        return p;
    }

    void addLiteral(std::string_view text)
    {
        if (!items.empty() && items.back().kind == Literal
            && items.back().offset + items.back().length == literals.size())
            items.back().length += uint32_t(text.size());
        else
            items.push_back({ Literal, uint32_t(literals.size()), uint32_t(text.size()) });
        literals.append(text);
    }

    // Wildcard matching with backtracking to the last %, linear for the usual patterns.
    bool matches(std::string_view s) const
    {
        size_t si = 0;
        size_t pi = 0;
        size_t starItem = SIZE_MAX;
        size_t starText = 0;
        const size_t n = s.size();
        const size_t np = items.size();
        while (si < n) {
            if (pi < np) {
                const Item& it = items[pi];
                if (it.kind == AnyOne) {
                    si += charLength(s, si);
                    ++pi;
                    continue;
                }
                if (it.kind == Literal && s.compare(si, it.length, literals, it.offset, it.length) == 0) {
                    si += it.length;
                    ++pi;
                    continue;
                }
                if (it.kind == AnyMany) {
                    starItem = pi++;
                    starText = si;
                    continue;
                }
            }
            if (starItem == SIZE_MAX)
                return false;
            pi = starItem + 1;
            starText += charLength(s, starText);
            si = starText;
        }
        while (pi < np && items[pi].kind == AnyMany)
            ++pi;
        return pi == np;
    }
};

void like(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch0;
        std::string scratch1;
        std::string_view s = stringArg(argv[0], scratch0);
        std::string_view pattern = stringArg(argv[1], scratch1);
        std::string_view escape;
        if (argc > 2) {
            escape = textArg(argv[2]);
            if (charCount(escape) != 1)
                throw OraError(1425, "escape character must be character string of length 1");
        }
        auto* cached = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 1));
        if (cached && cached->escape == escape) {
            sqlite3_result_int(ctx, cached->matches(s));
            return;
        }
        auto compiled = std::make_unique<LikePattern>(LikePattern::compile(pattern, escape));
        sqlite3_result_int(ctx, compiled->matches(s));
        sqlite3_set_auxdata(ctx, 1, compiled.release(), [](void* p) { delete static_cast<LikePattern*>(p); });
    });
}

} // namespace

void registerLike(Registrar& r)
{
    r.add("ORA_LIKE", like);
}

} // namespace engine::fn::detail

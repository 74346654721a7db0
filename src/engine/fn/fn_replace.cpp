// REPLACE (a NULL search string leaves the text as it is, a NULL replacement removes) and TRANSLATE (characters
// without a counterpart are removed), over characters rather than bytes.
#include "engine/fn/fnutil.h"

#include <vector>

namespace engine::fn::detail {

namespace {

void replace(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch0;
        std::string scratch1;
        std::string scratch2;
        std::string_view s = stringArg(argv[0], scratch0);
        std::string_view search = isNull(argv[1]) ? std::string_view() : stringArg(argv[1], scratch1);
        std::string_view with = argc > 2 && !isNull(argv[2]) ? stringArg(argv[2], scratch2) : std::string_view();
        if (search.empty()) {
            resultText(ctx, s);
            return;
        }
        thread_local std::string out;
        out.clear();
        size_t from = 0;
        for (;;) {
            size_t found = s.find(search, from);
            if (found == std::string_view::npos)
                break;
            out.append(s.substr(from, found - from));
            out.append(with);
            from = found + search.size();
        }
        out.append(s.substr(from));
        resultText(ctx, out);
    });
}

void translate(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch0;
        std::string scratch1;
        std::string scratch2;
        std::string_view s = stringArg(argv[0], scratch0);
        std::string_view from = stringArg(argv[1], scratch1);
        std::string_view to = stringArg(argv[2], scratch2);
        // Pairs of (character of from, its replacement or empty to remove); the first mention of a character wins.
        struct Mapping {
            std::string_view from;
            std::string_view to;
            bool remove;
        };
        // Kept per thread so its storage is reused from row to row.
        thread_local std::vector<Mapping> map;
        map.clear();
        size_t t = 0;
        for (size_t f = 0; f < from.size(); f += charLength(from, f)) {
            std::string_view ch = from.substr(f, charLength(from, f));
            Mapping m { ch, {}, t >= to.size() };
            if (!m.remove) {
                m.to = to.substr(t, charLength(to, t));
                t += m.to.size();
            }
            bool seen = false;
            for (const auto& e : map)
                seen = seen || e.from == ch;
            if (!seen)
                map.push_back(m);
        }
        thread_local std::string out;
        out.clear();
        for (size_t i = 0; i < s.size();) {
            size_t length = charLength(s, i);
            std::string_view ch = s.substr(i, length);
            const Mapping* hit = nullptr;
            for (const auto& e : map)
                if (e.from == ch) {
                    hit = &e;
                    break;
                }
            if (!hit)
                out.append(ch);
            else if (!hit->remove)
                out.append(hit->to);
            i += length;
        }
        resultText(ctx, out);
    });
}

} // namespace

void registerReplaceFunctions(Registrar& r)
{
    r.add("ORA_REPLACE", replace);
    r.add("ORA_TRANSLATE", translate);
}

} // namespace engine::fn::detail

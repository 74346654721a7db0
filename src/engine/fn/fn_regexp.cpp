// REGEXP_LIKE, REGEXP_COUNT, REGEXP_INSTR, REGEXP_SUBSTR and REGEXP_REPLACE over Oracle's regular expressions
// (regex.h). A pattern and its match parameters that stay the same over a statement are compiled once: the
// compiled form lives on SQLite's auxiliary data of the pattern argument.
//
// NULL source or pattern gives NULL (REGEXP_REPLACE with a NULL pattern gives the source); positions and
// occurrences are whole numbers from 1 (ORA-01428 otherwise), positions count characters.
#include "engine/fn/fnutil.h"
#include "engine/fn/regex.h"

#include <cmath>

namespace engine::fn::detail {

namespace {

// The compiled pattern of argument `index` under the match parameters of argument `parameterIndex` (-1: none).
const OracleRegex& regexArg(sqlite3_context* ctx, sqlite3_value** argv, int index, int argc, int parameterIndex)
{
    std::string scratch, scratch2;
    const std::string_view pattern = stringArg(argv[index], scratch);
    const std::string_view parameters
        = parameterIndex >= 0 && parameterIndex < argc && !isNull(argv[parameterIndex])
        ? stringArg(argv[parameterIndex], scratch2)
        : std::string_view();
    auto* cached = static_cast<OracleRegex*>(sqlite3_get_auxdata(ctx, index));
    if (cached && cached->sameAs(pattern, parameters))
        return *cached;
    auto* fresh = new OracleRegex(pattern, parameters);
    sqlite3_set_auxdata(ctx, index, fresh, [](void* p) { delete static_cast<OracleRegex*>(p); });
    // SQLite frees it at once when it cannot keep it: ask again for what it kept.
    if (auto* kept = static_cast<OracleRegex*>(sqlite3_get_auxdata(ctx, index)))
        return *kept;
    throw OraError(12735, "regular expression too complex");
}

// A position or occurrence argument: a whole number of at least `least`.
int64_t countArg(sqlite3_value* v, int64_t least)
{
    const NumberValue n = numberArg(v);
    const double d = std::trunc(n.toDouble());
    if (d < double(least)) {
        std::string text;
        appendNumberText(text, n);
        throw OraError(1428, "argument '" + text + "' is out of range");
    }
    return d > 1e15 ? int64_t(1e15) : int64_t(d);
}

bool anyNullOf(sqlite3_value** argv, int argc, std::initializer_list<int> indexes)
{
    for (int i : indexes)
        if (i < argc && isNull(argv[i]))
            return true;
    return false;
}

// The byte offset of character `position` (1-based), or npos beyond the end.
size_t startByte(std::string_view s, int64_t position)
{
    const size_t b = byteOffset(s, size_t(position - 1));
    return b > s.size() || (b == s.size() && position - 1 > int64_t(charCount(s))) ? std::string_view::npos : b;
}

// The occurrence-th match from `from`, or false.
bool nthMatch(const OracleRegex& re, std::string_view s, size_t from, int64_t occurrence, OracleRegex::Match& out)
{
    int64_t seen = 0;
    bool found = false;
    re.each(s, from, [&](const OracleRegex::Match& m) {
        if (++seen == occurrence) {
            out = m;
            found = true;
            return false;
        }
        return true;
    });
    return found;
}

void regexpLike(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        if (anyNullOf(argv, argc, { 0, 1 })) {
            sqlite3_result_null(ctx);
            return;
        }
        const OracleRegex& re = regexArg(ctx, argv, 1, argc, 2);
        std::string scratch;
        OracleRegex::Match m;
        sqlite3_result_int(ctx, re.find(stringArg(argv[0], scratch), 0, m) ? 1 : 0);
    });
}

// REGEXP_COUNT(source, pattern [, position [, parameters]])
void regexpCount(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        if (anyNullOf(argv, argc, { 0, 1, 2 })) {
            sqlite3_result_null(ctx);
            return;
        }
        const int64_t position = argc > 2 ? countArg(argv[2], 1) : 1;
        const OracleRegex& re = regexArg(ctx, argv, 1, argc, 3);
        std::string scratch;
        const std::string_view s = stringArg(argv[0], scratch);
        const size_t from = startByte(s, position);
        int64_t count = 0;
        if (from != std::string_view::npos)
            re.each(s, from, [&](const OracleRegex::Match&) { return ++count, true; });
        sqlite3_result_int64(ctx, count);
    });
}

// The [begin, end) of subexpression `sub` (0: the whole match), or npos.
std::pair<size_t, size_t> part(const OracleRegex::Match& m, int64_t sub)
{
    if (sub == 0)
        return { m.begin, m.end };
    if (sub > int64_t(m.groups.size()))
        return { std::string_view::npos, std::string_view::npos };
    return m.groups[size_t(sub - 1)];
}

int64_t subexpressionArg(sqlite3_value* v)
{
    const int64_t sub = countArg(v, 0);
    if (sub > 9) {
        throw OraError(1428, "argument '" + std::to_string(sub) + "' is out of range");
    }
    return sub;
}

// REGEXP_INSTR(source, pattern [, position [, occurrence [, return_option [, parameters [, subexpr]]]]])
void regexpInstr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        if (anyNullOf(argv, argc, { 0, 1, 2, 3, 4, 6 })) {
            sqlite3_result_null(ctx);
            return;
        }
        const int64_t position = argc > 2 ? countArg(argv[2], 1) : 1;
        const int64_t occurrence = argc > 3 ? countArg(argv[3], 1) : 1;
        const int64_t option = argc > 4 ? countArg(argv[4], 0) : 0;
        const int64_t sub = argc > 6 ? subexpressionArg(argv[6]) : 0;
        const OracleRegex& re = regexArg(ctx, argv, 1, argc, 5);
        std::string scratch;
        const std::string_view s = stringArg(argv[0], scratch);
        const size_t from = startByte(s, position);
        OracleRegex::Match m;
        if (from == std::string_view::npos || !nthMatch(re, s, from, occurrence, m)) {
            sqlite3_result_int(ctx, 0);
            return;
        }
        const auto [b, e] = part(m, sub);
        if (b == std::string_view::npos) {
            sqlite3_result_int(ctx, 0);
            return;
        }
        const size_t at = option == 0 ? b : e;
        sqlite3_result_int64(ctx, int64_t(charCount(s.substr(0, at))) + 1);
    });
}

// REGEXP_SUBSTR(source, pattern [, position [, occurrence [, parameters [, subexpr]]]])
void regexpSubstr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        if (anyNullOf(argv, argc, { 0, 1, 2, 3, 5 })) {
            sqlite3_result_null(ctx);
            return;
        }
        const int64_t position = argc > 2 ? countArg(argv[2], 1) : 1;
        const int64_t occurrence = argc > 3 ? countArg(argv[3], 1) : 1;
        const int64_t sub = argc > 5 ? subexpressionArg(argv[5]) : 0;
        const OracleRegex& re = regexArg(ctx, argv, 1, argc, 4);
        std::string scratch;
        const std::string_view s = stringArg(argv[0], scratch);
        const size_t from = startByte(s, position);
        OracleRegex::Match m;
        if (from == std::string_view::npos || !nthMatch(re, s, from, occurrence, m)) {
            sqlite3_result_null(ctx);
            return;
        }
        const auto [b, e] = part(m, sub);
        if (b == std::string_view::npos)
            sqlite3_result_null(ctx);
        else
            resultText(ctx, s.substr(b, e - b));
    });
}

// The replacement text for one match: \1 ... \9 are subexpressions, \\ is a backslash.
void appendReplacement(std::string& out, std::string_view replacement, std::string_view s, const OracleRegex::Match& m)
{
    for (size_t i = 0; i < replacement.size(); ++i) {
        const char c = replacement[i];
        if (c == '\\' && i + 1 < replacement.size()) {
            const char d = replacement[i + 1];
            if (d >= '1' && d <= '9') {
                const size_t g = size_t(d - '1');
                if (g < m.groups.size() && m.groups[g].first != std::string_view::npos)
                    out += s.substr(m.groups[g].first, m.groups[g].second - m.groups[g].first);
                ++i;
                continue;
            }
            if (d == '\\') {
                out += '\\';
                ++i;
                continue;
            }
        }
        out += c;
    }
}

// REGEXP_REPLACE(source, pattern [, replacement [, position [, occurrence [, parameters]]]]); occurrence 0 replaces
// every match.
void regexpReplace(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        if (isNull(argv[0]) || anyNullOf(argv, argc, { 3, 4 })) {
            sqlite3_result_null(ctx);
            return;
        }
        std::string scratch, replacementScratch;
        const std::string_view s = stringArg(argv[0], scratch);
        if (isNull(argv[1])) {
            resultText(ctx, s);
            return;
        }
        const std::string_view replacement
            = argc > 2 && !isNull(argv[2]) ? stringArg(argv[2], replacementScratch) : std::string_view();
        const int64_t position = argc > 3 ? countArg(argv[3], 1) : 1;
        const int64_t occurrence = argc > 4 ? countArg(argv[4], 0) : 0;
        const OracleRegex& re = regexArg(ctx, argv, 1, argc, 5);
        const size_t from = startByte(s, position);
        if (from == std::string_view::npos) {
            resultText(ctx, s);
            return;
        }
        std::string out(s.substr(0, from));
        size_t copied = from;
        int64_t seen = 0;
        re.each(s, from, [&](const OracleRegex::Match& m) {
            ++seen;
            if (occurrence != 0 && seen != occurrence)
                return true;
            out.append(s.substr(copied, m.begin - copied));
            appendReplacement(out, replacement, s, m);
            copied = m.end;
            return occurrence == 0;
        });
        out.append(s.substr(copied));
        resultText(ctx, out);
    });
}

} // namespace

void registerRegexpFunctions(Registrar& r)
{
    r.add("ORA_REGEXP_LIKE", regexpLike);
    r.add("ORA_REGEXP_COUNT", regexpCount);
    r.add("ORA_REGEXP_INSTR", regexpInstr);
    r.add("ORA_REGEXP_SUBSTR", regexpSubstr);
    r.add("ORA_REGEXP_REPLACE", regexpReplace);
}

} // namespace engine::fn::detail

#include "engine/fn/regex.h"

#include "engine/fn/oraerror.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cctype>

namespace engine::fn {

namespace {

constexpr size_t kMaxPatternBytes = 512;

bool isQuantifier(char c)
{
    return c == '*' || c == '+' || c == '?' || c == '{';
}

void appendEscaped(std::string& out, std::string_view ch)
{
    if (ch.size() == 1 && !std::isalnum(static_cast<unsigned char>(ch[0])) && ch[0] != '_'
        && static_cast<unsigned char>(ch[0]) < 0x80)
        out += '\\';
    out += ch;
}

// The bytes of the UTF-8 character at s[i].
size_t charBytes(std::string_view s, size_t i)
{
    size_t k = i + 1;
    while (k < s.size() && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80)
        ++k;
    return k - i;
}

[[noreturn]] void unmatchedBracket()
{
    throw OraError(12726, "unmatched bracket in regular expression");
}

// One bracket expression from s[i] == '[' on; appends its PCRE2 form and returns the index after its ']'.
size_t translateBracket(std::string_view s, size_t i, std::string& out)
{
    out += '[';
    ++i;
    if (i < s.size() && s[i] == '^') {
        out += '^';
        ++i;
    }
    bool first = true;
    while (i < s.size()) {
        const char c = s[i];
        if (c == ']' && !first) {
            out += ']';
            return i + 1;
        }
        first = false;
        if (c == '[' && i + 1 < s.size() && (s[i + 1] == ':' || s[i + 1] == '=' || s[i + 1] == '.')) {
            const char kind = s[i + 1];
            const size_t close = s.find(std::string { kind, ']' }, i + 2);
            if (close == std::string_view::npos)
                unmatchedBracket();
            const std::string_view inner = s.substr(i + 2, close - i - 2);
            if (kind == ':') {
                out += "[:";
                out += inner;
                out += ":]";
            } else {
                // An equivalence class or a collating element stands for its one character here (binary sort).
                if (inner.empty() || charBytes(inner, 0) != inner.size())
                    throw OraError(kind == '=' ? 12730 : 12731,
                        kind == '=' ? "invalid equivalence class in regular expression"
                                    : "invalid collation class in regular expression");
                appendEscaped(out, inner);
            }
            i = close + 2;
            continue;
        }
        const size_t n = charBytes(s, i);
        if (c == '\\' || c == '[')
            out += '\\'; // literal inside a bracket expression, as POSIX has it
        out += s.substr(i, n);
        i += n;
    }
    unmatchedBracket();
}

} // namespace

std::string translateOraclePattern(std::string_view s, bool extended)
{
    if (s.size() > kMaxPatternBytes)
        throw OraError(12733, "regular expression too long");
    std::string out;
    out.reserve(s.size() + 8);
    bool itemStart = true; // a quantifier here has nothing to repeat: it is the character itself
    for (size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (extended && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) {
            ++i;
            continue;
        }
        if (c == '\\') {
            if (i + 1 >= s.size()) {
                out += "\\\\";
                ++i;
                continue;
            }
            const size_t n = charBytes(s, i + 1);
            const std::string_view next = s.substr(i + 1, n);
            const char d = next[0];
            if (n == 1 && (std::isdigit(static_cast<unsigned char>(d)) && d != '0')) {
                out += '\\';
                out += d;
            } else if (n == 1 && std::string_view("dDwWsSAZz").find(d) != std::string_view::npos) {
                out += '\\';
                out += d;
            } else {
                appendEscaped(out, next);
            }
            i += 1 + n;
            itemStart = false;
            continue;
        }
        if (c == '[') {
            i = translateBracket(s, i, out);
            itemStart = false;
            continue;
        }
        if (isQuantifier(c) && itemStart) {
            out += '\\';
            out += c;
            ++i;
            itemStart = false;
            continue;
        }
        if (c == '(' && i + 1 < s.size() && s[i + 1] == '?') {
            // POSIX has no (?...) groups: the ? has nothing to repeat and stands for itself.
            out += "(\\?";
            i += 2;
            itemStart = false;
            continue;
        }
        const size_t n = charBytes(s, i);
        out += s.substr(i, n);
        i += n;
        itemStart = c == '(' || c == '|' || c == '^';
    }
    return out;
}

OracleRegex::OracleRegex(std::string_view pattern, std::string_view matchParameters)
    : source(pattern)
    , parameters(matchParameters)
{
    uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
    bool caseless = false, dotAll = false, multiline = false, extended = false;
    for (char p : matchParameters) {
        switch (p) {
        case 'i':
            caseless = true;
            break;
        case 'c':
            caseless = false;
            break;
        case 'n':
            dotAll = true;
            break;
        case 'm':
            multiline = true;
            break;
        case 'x':
            extended = true;
            break;
        default:
            throw OraError(1760, "illegal argument for function");
        }
    }
    if (caseless)
        options |= PCRE2_CASELESS;
    if (dotAll)
        options |= PCRE2_DOTALL;
    options |= multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    const std::string translated = translateOraclePattern(pattern, extended);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code* compiled = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()), translated.size(), options,
        &error, &errorOffset, nullptr);
    if (!compiled) {
        switch (error) {
        case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
        case PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS:
            throw OraError(12725, "unmatched parentheses in regular expression");
        case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
            throw OraError(12726, "unmatched bracket in regular expression");
        case PCRE2_ERROR_BAD_SUBPATTERN_REFERENCE:
            throw OraError(12727, "invalid back reference in regular expression");
        case PCRE2_ERROR_CLASS_RANGE_ORDER:
            throw OraError(12728, "invalid range in regular expression");
        case PCRE2_ERROR_UNKNOWN_POSIX_CLASS:
            throw OraError(12729, "invalid character class in regular expression");
        case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
        case PCRE2_ERROR_QUANTIFIER_TOO_BIG:
            throw OraError(12732, "invalid interval value in regular expression");
        default:
            throw OraError(12728, "invalid range in regular expression");
        }
    }
    code = compiled;
    uint32_t captures = 0;
    pcre2_pattern_info(compiled, PCRE2_INFO_CAPTURECOUNT, &captures);
    groups = static_cast<int>(captures);
    matchData = pcre2_match_data_create_from_pattern(compiled, nullptr);
    if (!matchData) {
        pcre2_code_free(compiled);
        throw std::bad_alloc();
    }
}

OracleRegex::~OracleRegex()
{
    pcre2_match_data_free(static_cast<pcre2_match_data*>(matchData));
    pcre2_code_free(static_cast<pcre2_code*>(code));
}

bool OracleRegex::find(std::string_view subject, size_t from, Match& out, bool notEmptyAtStart) const
{
    auto* md = static_cast<pcre2_match_data*>(matchData);
    const int rc = pcre2_match(static_cast<const pcre2_code*>(code), reinterpret_cast<PCRE2_SPTR>(subject.data()),
        subject.size(), from, notEmptyAtStart ? PCRE2_NOTEMPTY_ATSTART : 0, md, nullptr);
    if (rc == PCRE2_ERROR_NOMATCH)
        return false;
    if (rc < 0) {
        if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT)
            throw OraError(12735, "regular expression too complex");
        return false;
    }
    const PCRE2_SIZE* v = pcre2_get_ovector_pointer(md);
    out.begin = v[0];
    out.end = v[1];
    out.groups.assign(static_cast<size_t>(groups), { std::string_view::npos, std::string_view::npos });
    for (int g = 1; g <= groups && g < rc; ++g)
        if (v[2 * g] != PCRE2_UNSET)
            out.groups[static_cast<size_t>(g - 1)] = { v[2 * g], v[2 * g + 1] };
    return true;
}

} // namespace engine::fn

// Oracle's regular expressions on PCRE2: the POSIX extended syntax with Oracle's additions (\d \w \s and their
// negations, \A \Z \z, non-greedy quantifiers, back references) and its match parameters, translated into a PCRE2
// pattern; Oracle's errors (ORA-12725 ... ORA-12733, ORA-01760) for what it refuses. Positions are in characters.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine::fn {

// The PCRE2 pattern for an Oracle pattern under the match parameters' 'x' (blanks ignored). Throws OraError.
std::string translateOraclePattern(std::string_view pattern, bool extended);

class OracleRegex {
public:
    // Compiles `pattern` with Oracle's match parameters ('i', 'c', 'n', 'm', 'x'; the last of 'i' and 'c' wins).
    // Throws OraError: ORA-01760 for another letter, ORA-12725 ... ORA-12733 for the pattern.
    OracleRegex(std::string_view pattern, std::string_view matchParameters);
    ~OracleRegex();
    OracleRegex(const OracleRegex&) = delete;
    OracleRegex& operator=(const OracleRegex&) = delete;

    struct Match {
        size_t begin = 0; // bytes
        size_t end = 0;
        // Each subexpression's [begin, end) in bytes, or npos when it took no part.
        std::vector<std::pair<size_t, size_t>> groups;
    };
    // The first match starting at or after byte `from`. `notEmptyAtStart` refuses an empty match at `from` itself
    // (used after an empty match, so the search moves on).
    bool find(std::string_view subject, size_t from, Match& out, bool notEmptyAtStart = false) const;
    // The matches from byte `from` on, as Oracle counts occurrences: each after the end of the one before, an empty
    // match followed by the next character.
    template <class Visit> void each(std::string_view subject, size_t from, Visit visit) const
    {
        Match m;
        bool afterEmpty = false;
        size_t at = from;
        while (at <= subject.size() && find(subject, at, m, afterEmpty)) {
            if (!visit(m))
                return;
            afterEmpty = m.end == m.begin;
            at = m.end;
        }
    }
    int groupCount() const { return groups; }
    bool sameAs(std::string_view pattern, std::string_view matchParameters) const
    {
        return pattern == source && matchParameters == parameters;
    }

private:
    std::string source;
    std::string parameters;
    void* code = nullptr; // pcre2_code_8
    void* matchData = nullptr; // pcre2_match_data_8
    int groups = 0;
};

} // namespace engine::fn

#include "engine/kit/script.h"

#include <cctype>

namespace engine::kit {

namespace {

bool isIdentChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string upper(std::string_view s)
{
    std::string u(s);
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// The first few words of a statement, upper-cased, skipping blanks and comments between them.
std::vector<std::string> leadingWords(std::string_view t, size_t count)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < t.size() && words.size() < count) {
        char c = t[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (t.substr(i, 2) == "--") {
            while (i < t.size() && t[i] != '\n')
                ++i;
        } else if (t.substr(i, 2) == "/*") {
            size_t e = t.find("*/", i + 2);
            i = e == std::string_view::npos ? t.size() : e + 2;
        } else if (isIdentChar(c)) {
            size_t b = i;
            while (i < t.size() && isIdentChar(t[i]))
                ++i;
            words.push_back(upper(t.substr(b, i - b)));
        } else {
            break;
        }
    }
    return words;
}

bool isPlSqlStart(std::string_view t)
{
    if (t.substr(0, 2) == "<<")
        return true;
    auto w = leadingWords(t, 6);
    if (w.empty())
        return false;
    if (w[0] == "BEGIN" || w[0] == "DECLARE")
        return true;
    if (w[0] != "CREATE")
        return false;
    size_t k = 1;
    if (k + 1 < w.size() && w[k] == "OR" && w[k + 1] == "REPLACE")
        k += 2;
    if (k < w.size() && (w[k] == "EDITIONABLE" || w[k] == "NONEDITIONABLE"))
        ++k;
    if (k >= w.size())
        return false;
    const std::string& kind = w[k];
    return kind == "PROCEDURE" || kind == "FUNCTION" || kind == "PACKAGE" || kind == "TRIGGER" || kind == "TYPE";
}

// True when the line that starts at pos holds only "/" (blanks around it allowed).
bool isSlashLine(std::string_view t, size_t pos)
{
    size_t i = pos;
    while (i < t.size() && isBlank(t[i]))
        ++i;
    if (i >= t.size() || t[i] != '/')
        return false;
    ++i;
    while (i < t.size() && isBlank(t[i]))
        ++i;
    return i >= t.size() || t[i] == '\n';
}

size_t endOfLine(std::string_view t, size_t pos)
{
    size_t e = t.find('\n', pos);
    return e == std::string_view::npos ? t.size() : e;
}

std::string trimRight(std::string_view s)
{
    size_t e = s.size();
    while (e > 0 && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return std::string(s.substr(0, e));
}

char closingQuoteDelimiter(char open)
{
    switch (open) {
    case '[':
        return ']';
    case '{':
        return '}';
    case '(':
        return ')';
    case '<':
        return '>';
    default:
        return open;
    }
}

class Splitter {
public:
    explicit Splitter(std::string_view text)
        : t(text)
    {
    }

    SplitResult run()
    {
        while (skipBetweenStatements() && r.ok())
            readStatement();
        return std::move(r);
    }

private:
    std::string_view t;
    size_t i = 0;
    int line = 1;
    SplitResult r;

    void fail(const std::string& message, int atLine)
    {
        if (r.ok()) {
            r.error = message;
            r.errorLine = atLine;
        }
        i = t.size();
    }

    // Skips a comment at i, counting its lines; false (and an error) when a block comment is never closed.
    bool skipComment()
    {
        if (t.substr(i, 2) == "--") {
            i = endOfLine(t, i);
            return true;
        }
        int from = line;
        size_t e = t.find("*/", i + 2);
        if (e == std::string_view::npos) {
            fail("comment not closed (\"/*\" without \"*/\")", from);
            return false;
        }
        countLines(i, e + 2);
        i = e + 2;
        return true;
    }

    void countLines(size_t from, size_t to)
    {
        for (size_t k = from; k < to; ++k)
            if (t[k] == '\n')
                ++line;
    }

    // Moves to the first token of the next statement; false at the end of the text.
    bool skipBetweenStatements()
    {
        bool atLineStart = i == 0 || t[i - 1] == '\n';
        while (i < t.size()) {
            char c = t[i];
            if (c == '\n') {
                ++line;
                ++i;
                atLineStart = true;
            } else if (isBlank(c)) {
                ++i;
            } else if (t.substr(i, 2) == "--" || t.substr(i, 2) == "/*") {
                if (!skipComment())
                    return false;
            } else if (c == '/' && atLineStart && isSlashLine(t, i)) {
                fail("a \"/\" line with no statement before it", line);
                return false;
            } else {
                return true;
            }
        }
        return false;
    }

    // Skips a quoted text or name starting at i; false (and an error) when it is never closed.
    bool skipQuoted(size_t stmtStart)
    {
        int from = line;
        char q = t[i];
        if (q == '"') {
            size_t e = t.find('"', i + 1);
            if (e == std::string_view::npos) {
                fail("quoted name not closed", from);
                return false;
            }
            countLines(i, e + 1);
            i = e + 1;
            return true;
        }
        // q'[...]' and nq'[...]': Oracle's alternative quoting, which may hold single quotes.
        auto wordStartsAt = [&](size_t k) { return k == stmtStart || !isIdentChar(t[k - 1]); };
        bool alternative = i > stmtStart && (t[i - 1] == 'q' || t[i - 1] == 'Q')
            && (wordStartsAt(i - 1)
                || (i - 1 > stmtStart && (t[i - 2] == 'n' || t[i - 2] == 'N') && wordStartsAt(i - 2)));
        if (alternative && i + 1 < t.size()) {
            char close = closingQuoteDelimiter(t[i + 1]);
            for (size_t k = i + 2; k + 1 < t.size(); ++k) {
                if (t[k] == close && t[k + 1] == '\'') {
                    countLines(i, k + 2);
                    i = k + 2;
                    return true;
                }
            }
            fail("quoted text not closed", from);
            return false;
        }
        size_t k = i + 1;
        while (true) {
            size_t e = t.find('\'', k);
            if (e == std::string_view::npos) {
                fail("quoted text not closed", from);
                return false;
            }
            if (e + 1 < t.size() && t[e + 1] == '\'') {
                k = e + 2; // a doubled quote stands for one inside the text
                continue;
            }
            countLines(i, e + 1);
            i = e + 1;
            return true;
        }
    }

    // True when a ";" at i ends the line (only blanks or a "--" comment after it).
    bool semicolonEndsLine(size_t pos) const
    {
        size_t k = pos + 1;
        while (k < t.size() && isBlank(t[k]))
            ++k;
        return k >= t.size() || t[k] == '\n' || t.substr(k, 2) == "--";
    }

    // CONNECT user/password: the rest of the line, so a password needs no quotes.
    void readConnect()
    {
        size_t e = endOfLine(t, i);
        std::string rest = trimRight(t.substr(i, e - i));
        if (!rest.empty() && rest.back() == ';')
            rest = trimRight(std::string_view(rest).substr(0, rest.size() - 1));
        size_t b = 7; // after the word CONNECT
        while (b < rest.size() && isBlank(rest[b]))
            ++b;
        std::string login = rest.substr(b);
        size_t slash = login.find('/');
        if (slash == std::string::npos || slash == 0 || slash + 1 == login.size()
            || login.find_first_of(" \t") != std::string::npos) {
            fail("CONNECT needs user/password", line);
            return;
        }
        r.statements.push_back({ login, line, ScriptStatement::Kind::Connect });
        i = e;
    }

    void readStatement()
    {
        size_t start = i;
        int startLine = line;
        auto first = leadingWords(t.substr(start), 1);
        if (!first.empty() && first[0] == "CONNECT") {
            readConnect();
            return;
        }
        bool plsql = isPlSqlStart(t.substr(start));
        while (i < t.size()) {
            char c = t[i];
            if (c == '\n') {
                ++line;
                ++i;
                if (isSlashLine(t, i)) {
                    push(trimRight(t.substr(start, i - start)), startLine, plsql);
                    i = endOfLine(t, i);
                    return;
                }
            } else if (c == '\'' || c == '"') {
                if (!skipQuoted(start))
                    return;
            } else if (t.substr(i, 2) == "--" || t.substr(i, 2) == "/*") {
                if (!skipComment())
                    return;
            } else if (c == ';' && !plsql && semicolonEndsLine(i)) {
                push(trimRight(t.substr(start, i - start)), startLine, plsql);
                i = endOfLine(t, i);
                return;
            } else {
                ++i;
            }
        }
        fail(plsql ? "PL/SQL text not ended by a \"/\" line" : "statement not ended by \";\" or a \"/\" line",
            startLine);
    }

    void push(std::string text, int startLine, bool plsql)
    {
        r.statements.push_back(
            { std::move(text), startLine, plsql ? ScriptStatement::Kind::PlSql : ScriptStatement::Kind::Sql });
    }
};

} // namespace

SplitResult splitScript(std::string_view text)
{
    return Splitter(text).run();
}

} // namespace engine::kit

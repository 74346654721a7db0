// Oracle SQL tokenizer. One pass over the bytes, no regular expressions; a lexical error ends the token list
// with an Error token so that the parser reports it only when its grammar reaches that point, as Oracle does.
#include "engine/sql/lexer.h"

#include <QString>

#include <algorithm>
#include <iterator>

namespace engine::sql {

namespace {

constexpr int MaxIdentifierBytes = 30;
constexpr size_t MaxLiteralBytes = 4000;

// Oracle's reserved words (V$RESERVED_WORDS with RESERVED = 'Y'), sorted for binary search.
constexpr std::string_view ReservedWords[] = { "ACCESS", "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AUDIT",
    "BETWEEN", "BY", "CHAR", "CHECK", "CLUSTER", "COLUMN", "COMMENT", "COMPRESS", "CONNECT", "CREATE", "CURRENT",
    "DATE", "DECIMAL", "DEFAULT", "DELETE", "DESC", "DISTINCT", "DROP", "ELSE", "EXCLUSIVE", "EXISTS", "FILE", "FLOAT",
    "FOR", "FROM", "GRANT", "GROUP", "HAVING", "IDENTIFIED", "IMMEDIATE", "IN", "INCREMENT", "INDEX", "INITIAL",
    "INSERT", "INTEGER", "INTERSECT", "INTO", "IS", "LEVEL", "LIKE", "LOCK", "LONG", "MAXEXTENTS", "MINUS", "MLSLABEL",
    "MODE", "MODIFY", "NOAUDIT", "NOCOMPRESS", "NOT", "NOWAIT", "NULL", "NUMBER", "OF", "OFFLINE", "ON", "ONLINE",
    "OPTION", "OR", "ORDER", "PCTFREE", "PRIOR", "PRIVILEGES", "PUBLIC", "RAW", "RENAME", "RESOURCE", "REVOKE", "ROW",
    "ROWID", "ROWNUM", "ROWS", "SELECT", "SESSION", "SET", "SHARE", "SIZE", "SMALLINT", "START", "SUCCESSFUL",
    "SYNONYM", "SYSDATE", "TABLE", "THEN", "TO", "TRIGGER", "UID", "UNION", "UNIQUE", "UPDATE", "USER", "VALIDATE",
    "VALUES", "VARCHAR", "VARCHAR2", "VIEW", "WHENEVER", "WHERE", "WITH" };

bool isAsciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}
// Bytes of UTF-8 sequences count as letters: Oracle accepts national letters in unquoted names.
bool isIdentStart(unsigned char c)
{
    return isAsciiLetter(c) || c >= 0x80;
}
bool isIdentPart(unsigned char c)
{
    return isIdentStart(c) || isDigit(c) || c == '_' || c == '$' || c == '#';
}
bool isSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Offset in `word` of the first byte that does not start a well-formed UTF-8 letter or digit, or -1. Oracle
// takes national letters in unquoted names but no other characters.
int badNameByte(std::string_view word)
{
    size_t i = 0;
    while (i < word.size()) {
        const auto c = static_cast<unsigned char>(word[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
        if (len == 0 || c > 0xF4 || i + len > word.size())
            return static_cast<int>(i);
        char32_t cp = len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        for (int k = 1; k < len; ++k) {
            const auto d = static_cast<unsigned char>(word[i + k]);
            if ((d & 0xC0) != 0x80)
                return static_cast<int>(i);
            cp = (cp << 6) | (d & 0x3F);
        }
        const bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || !QChar::isLetterOrNumber(cp))
            return static_cast<int>(i);
        i += static_cast<size_t>(len);
    }
    return -1;
}

std::string foldUpper(std::string_view word)
{
    bool ascii = std::all_of(word.begin(), word.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii)
        return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size())).toUpper().toStdString();
    std::string out(word);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

class Lexer {
public:
    explicit Lexer(std::string_view text)
        : s(text)
    {
    }

    LexResult run()
    {
        while (!result.error) {
            skipSpace();
            if (pos >= s.size())
                break;
            next();
        }
        int end = result.error ? result.error->offset : static_cast<int>(s.size());
        if (result.error)
            push(TokenKind::Error, {}, end, end);
        push(TokenKind::End, {}, static_cast<int>(s.size()), static_cast<int>(s.size()));
        return std::move(result);
    }

private:
    std::string_view s;
    size_t pos = 0;
    LexResult result;

    unsigned char at(size_t i) const { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; }

    void skipSpace()
    {
        while (pos < s.size() && isSpace(at(pos)))
            ++pos;
    }

    Token& push(TokenKind kind, std::string text, int begin, int end)
    {
        Token t;
        t.kind = kind;
        t.text = std::move(text);
        t.offset = begin;
        t.endOffset = end;
        result.tokens.push_back(std::move(t));
        return result.tokens.back();
    }

    void fail(int code, size_t offset)
    {
        result.error = ParseError { code, formatOraMessage(code), static_cast<int>(offset) };
    }

    void next()
    {
        const size_t start = pos;
        const unsigned char c = at(pos);

        if (c == '-' && at(pos + 1) == '-') {
            while (pos < s.size() && at(pos) != '\n')
                ++pos;
            push(TokenKind::Comment, std::string(s.substr(start, pos - start)), int(start), int(pos));
            return;
        }
        if (c == '/' && at(pos + 1) == '*') {
            size_t close = s.find("*/", pos + 2);
            if (close == std::string_view::npos) {
                fail(1742, start);
                return;
            }
            pos = close + 2;
            Token& t = push(TokenKind::Comment, std::string(s.substr(start, pos - start)), int(start), int(pos));
            t.hint = at(start + 2) == '+';
            return;
        }
        // N'...', Q'...', NQ'...' before plain words.
        if ((c == 'n' || c == 'N') && at(pos + 1) == '\'') {
            ++pos;
            quotedString(start, TokenKind::NationalString);
            return;
        }
        if ((c == 'q' || c == 'Q') && at(pos + 1) == '\'') {
            ++pos;
            alternativeQuoted(start, TokenKind::String);
            return;
        }
        if ((c == 'n' || c == 'N') && (at(pos + 1) == 'q' || at(pos + 1) == 'Q') && at(pos + 2) == '\'') {
            pos += 2;
            alternativeQuoted(start, TokenKind::NationalString);
            return;
        }
        if (isIdentStart(c)) {
            while (pos < s.size() && isIdentPart(at(pos)))
                ++pos;
            word(start, TokenKind::Identifier);
            return;
        }
        if (isDigit(c) || (c == '.' && isDigit(at(pos + 1)))) {
            number(start);
            return;
        }
        if (c == '\'') {
            quotedString(start, TokenKind::String);
            return;
        }
        if (c == '"') {
            quotedIdentifier(start);
            return;
        }
        if (c == ':') {
            const unsigned char d = at(pos + 1);
            if (d == '=') {
                pos += 2;
                push(TokenKind::Assign, ":=", int(start), int(pos));
                return;
            }
            if (isIdentStart(d) || isDigit(d)) {
                pos += 1;
                size_t nameStart = pos;
                while (pos < s.size() && isIdentPart(at(pos)))
                    ++pos;
                std::string_view raw = s.substr(nameStart, pos - nameStart);
                if (int bad = badNameByte(raw); bad >= 0) {
                    fail(911, nameStart + static_cast<size_t>(bad));
                    return;
                }
                std::string name = foldUpper(raw);
                if (raw.size() > MaxIdentifierBytes || name.size() > MaxIdentifierBytes) {
                    fail(972, start);
                    return;
                }
                push(TokenKind::Bind, std::move(name), int(start), int(pos));
                return;
            }
            if (d == '"') {
                size_t close = s.find('"', pos + 2);
                if (close == std::string_view::npos) {
                    fail(1740, pos + 1);
                    return;
                }
                if (close == pos + 2) {
                    fail(1741, pos + 1);
                    return;
                }
                if (close - (pos + 2) > MaxIdentifierBytes) {
                    fail(972, start);
                    return;
                }
                std::string name(s.substr(pos + 2, close - pos - 2));
                pos = close + 1;
                push(TokenKind::Bind, std::move(name), int(start), int(pos));
                return;
            }
            fail(911, start);
            return;
        }
        if (c == '(') {
            // (+) with blanks allowed between the three characters
            size_t p = pos + 1;
            while (p < s.size() && isSpace(at(p)))
                ++p;
            if (at(p) == '+') {
                size_t q = p + 1;
                while (q < s.size() && isSpace(at(q)))
                    ++q;
                if (at(q) == ')') {
                    pos = q + 1;
                    push(TokenKind::OuterJoin, "(+)", int(start), int(pos));
                    return;
                }
            }
        }
        auto op = [&](TokenKind kind, size_t len) {
            pos += len;
            push(kind, std::string(s.substr(start, len)), int(start), int(pos));
        };
        switch (c) {
        case '(':
            return op(TokenKind::LParen, 1);
        case ')':
            return op(TokenKind::RParen, 1);
        case ',':
            return op(TokenKind::Comma, 1);
        case ';':
            return op(TokenKind::Semicolon, 1);
        case '+':
            return op(TokenKind::Plus, 1);
        case '-':
            return op(TokenKind::Minus, 1);
        case '*':
            return op(TokenKind::Star, 1);
        case '/':
            return op(TokenKind::Slash, 1);
        case '@':
            return op(TokenKind::At, 1);
        case '%':
            return op(TokenKind::Percent, 1);
        case '.':
            return at(pos + 1) == '.' ? op(TokenKind::DotDot, 2) : op(TokenKind::Dot, 1);
        case '|':
            if (at(pos + 1) == '|')
                return op(TokenKind::Concat, 2);
            break;
        case '=':
            return at(pos + 1) == '>' ? op(TokenKind::Arrow, 2) : op(TokenKind::Eq, 1);
        case '!':
        case '^':
        case '~':
            if (at(pos + 1) == '=')
                return op(TokenKind::Ne, 2);
            break;
        case '<':
            if (at(pos + 1) == '>')
                return op(TokenKind::Ne, 2);
            if (at(pos + 1) == '=')
                return op(TokenKind::Le, 2);
            return op(TokenKind::Lt, 1);
        case '>':
            if (at(pos + 1) == '=')
                return op(TokenKind::Ge, 2);
            return op(TokenKind::Gt, 1);
        default:
            break;
        }
        fail(911, start);
    }

    void word(size_t start, TokenKind kind)
    {
        std::string_view raw = s.substr(start, pos - start);
        if (int bad = badNameByte(raw); bad >= 0) {
            fail(911, start + static_cast<size_t>(bad));
            return;
        }
        std::string text = foldUpper(raw);
        // the limit holds for the name as stored, after folding (a few letters change length when folded)
        if (raw.size() > MaxIdentifierBytes || text.size() > MaxIdentifierBytes) {
            fail(972, start);
            return;
        }
        bool reserved = isReservedWord(text);
        Token& t = push(kind, std::move(text), int(start), int(pos));
        t.reserved = reserved;
    }

    void number(size_t start)
    {
        while (isDigit(at(pos)))
            ++pos;
        if (at(pos) == '.' && at(pos + 1) != '.') {
            ++pos;
            while (isDigit(at(pos)))
                ++pos;
        }
        if (at(pos) == 'e' || at(pos) == 'E') {
            size_t p = pos + 1;
            if (at(p) == '+' || at(p) == '-')
                ++p;
            if (isDigit(at(p))) {
                pos = p;
                while (isDigit(at(pos)))
                    ++pos;
            }
        }
        push(TokenKind::Number, std::string(s.substr(start, pos - start)), int(start), int(pos));
    }

    // pos is at the opening quote; start is where the token began (an N prefix included).
    void quotedString(size_t start, TokenKind kind)
    {
        std::string value;
        size_t p = pos + 1;
        for (;;) {
            size_t q = s.find('\'', p);
            if (q == std::string_view::npos) {
                fail(1756, start);
                return;
            }
            value.append(s.substr(p, q - p));
            if (at(q + 1) == '\'') {
                value.push_back('\'');
                p = q + 2;
                continue;
            }
            pos = q + 1;
            break;
        }
        pushLiteral(kind, std::move(value), start);
    }

    // A text literal in SQL holds at most 4000 bytes, as a VARCHAR2 does.
    void pushLiteral(TokenKind kind, std::string value, size_t start)
    {
        if (value.size() > MaxLiteralBytes) {
            fail(1704, start);
            return;
        }
        push(kind, std::move(value), int(start), int(pos));
    }

    // q'<delim>...<closing delim>' ; pos is at the quote after q.
    void alternativeQuoted(size_t start, TokenKind kind)
    {
        const unsigned char open = at(pos + 1);
        if (pos + 1 >= s.size() || isSpace(open)) {
            fail(1756, start);
            return;
        }
        unsigned char close = open;
        switch (open) {
        case '[':
            close = ']';
            break;
        case '{':
            close = '}';
            break;
        case '(':
            close = ')';
            break;
        case '<':
            close = '>';
            break;
        default:
            break;
        }
        size_t p = pos + 2;
        for (;;) {
            size_t q = s.find(static_cast<char>(close), p);
            if (q == std::string_view::npos) {
                fail(1756, start);
                return;
            }
            if (at(q + 1) == '\'') {
                std::string value(s.substr(pos + 2, q - (pos + 2)));
                pos = q + 2;
                pushLiteral(kind, std::move(value), start);
                return;
            }
            p = q + 1;
        }
    }

    void quotedIdentifier(size_t start)
    {
        size_t close = s.find('"', start + 1);
        if (close == std::string_view::npos) {
            fail(1740, start);
            return;
        }
        if (close == start + 1) {
            fail(1741, start);
            return;
        }
        if (close - start - 1 > MaxIdentifierBytes) {
            fail(972, start);
            return;
        }
        pos = close + 1;
        push(TokenKind::QuotedIdentifier, std::string(s.substr(start + 1, close - start - 1)), int(start), int(pos));
    }
};

} // namespace

bool isReservedWord(std::string_view upperWord)
{
    return std::binary_search(std::begin(ReservedWords), std::end(ReservedWords), upperWord);
}

LexResult tokenize(std::string_view sql)
{
    return Lexer(sql).run();
}

} // namespace engine::sql

// Parser entry point, token cursor and statement dispatch: the first words decide which statement parser runs.
#include "engine/sql/parser.h"

#include "engine/sql/parser_impl.h"

#include <algorithm>

namespace engine::sql {

namespace detail {

Parser::Parser(std::string_view text, LexResult lexed)
    : sql(text)
    , lexError(std::move(lexed.error))
{
    toks.reserve(lexed.tokens.size());
    hintAfter.reserve(lexed.tokens.size());
    for (Token& t : lexed.tokens) {
        if (t.kind == TokenKind::Comment) {
            if (t.hint && !toks.empty() && hintAfter.back().empty()) {
                // /*+ text */ -> text
                hintAfter.back() = t.text.substr(3, t.text.size() >= 5 ? t.text.size() - 5 : 0);
            }
            continue;
        }
        toks.push_back(std::move(t));
        hintAfter.emplace_back();
    }
}

const Token& Parser::peek(size_t ahead) const
{
    return toks[std::min(pos + ahead, toks.size() - 1)];
}

const Token& Parser::advance()
{
    const Token& t = toks[pos];
    if (pos + 1 < toks.size())
        ++pos;
    return t;
}

bool Parser::atWordSeq(std::initializer_list<const char*> words) const
{
    size_t i = 0;
    for (const char* w : words) {
        if (!peek(i).isWord(w))
            return false;
        ++i;
    }
    return true;
}

bool Parser::accept(TokenKind k)
{
    if (!at(k))
        return false;
    advance();
    return true;
}

bool Parser::acceptWord(const char* word)
{
    if (!atWord(word))
        return false;
    advance();
    return true;
}

void Parser::expect(TokenKind k, int code)
{
    if (!accept(k))
        failHere(code);
}

void Parser::expectWord(const char* word, int code)
{
    if (!acceptWord(word))
        failHere(code);
}

bool Parser::atNameToken() const
{
    return (at(TokenKind::Identifier) && !cur().reserved) || at(TokenKind::QuotedIdentifier);
}

void Parser::fail(int code, int offset, std::string_view name) const
{
    // A lexical error is reported when the grammar reaches it, not before: the statement may already be
    // wrong at an earlier token, and Oracle names the first fault.
    if (lexError && offset >= lexError->offset)
        throw Failure { *lexError };
    // Where the text stops while a name or an option is still required, Oracle says the command ended early.
    if (offset == toks.back().offset && name.empty()
        && (code == 904 || code == 922 || code == 931 || code == 987 || code == 988 || code == 1735 || code == 1935))
        code = 921;
    throw Failure { ParseError { code, formatOraMessage(code, name), offset } };
}

std::string Parser::textBetween(int begin, int end) const
{
    if (begin < 0 || end < begin || static_cast<size_t>(end) > sql.size())
        return {};
    return std::string(sql.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin)));
}

Identifier Parser::parseIdentifier(int code)
{
    if (!atNameToken())
        fail(code, cur().offset);
    const Token& t = advance();
    return Identifier { t.text, t.kind == TokenKind::QuotedIdentifier, t.offset };
}

std::optional<Identifier> Parser::parseOptionalAlias(bool tableAlias)
{
    if (!tableAlias && acceptWord("AS")) {
        if (!atNameToken())
            failHere(923);
        const Token& t = advance();
        return Identifier { t.text, t.kind == TokenKind::QuotedIdentifier, t.offset };
    }
    if (!atNameToken())
        return std::nullopt;
    if (at(TokenKind::Identifier)) {
        // Unreserved words that continue the statement rather than name the row source.
        static constexpr const char* NotAliases[]
            = { "JOIN", "INNER", "LEFT", "RIGHT", "FULL", "CROSS", "NATURAL", "USING", "RETURNING", "RETURN", "LOG",
                  "PARTITION", "SAMPLE", "PIVOT", "UNPIVOT", "MODEL", "FETCH", "OFFSET", "OUTER" };
        if (tableAlias) {
            for (const char* w : NotAliases) {
                if (cur().text == w)
                    return std::nullopt;
            }
        }
    }
    const Token& t = advance();
    return Identifier { t.text, t.kind == TokenKind::QuotedIdentifier, t.offset };
}

ObjectName Parser::parseObjectName(int code, bool allowDblink)
{
    ObjectName n;
    n.offset = cur().offset;
    Identifier first = parseIdentifier(code);
    if (at(TokenKind::Dot)) {
        advance();
        n.schema = std::move(first);
        n.name = parseIdentifier(code);
    } else {
        n.name = std::move(first);
    }
    if (allowDblink && at(TokenKind::At)) {
        advance();
        Identifier link = parseIdentifier(code);
        while (at(TokenKind::Dot)) {
            advance();
            Identifier part = parseIdentifier(code);
            link.name += '.';
            link.name += part.name;
        }
        n.dblink = std::move(link);
    }
    return n;
}

std::vector<Identifier> Parser::parseIdentifierList(int code)
{
    std::vector<Identifier> out;
    expect(TokenKind::LParen, 906);
    do {
        out.push_back(parseIdentifier(code));
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RParen, 907);
    return out;
}

StatementPtr Parser::parseStatement()
{
    const Token& first = cur();
    StatementPtr stmt;
    bool plsql = false;
    if (first.is(TokenKind::LParen) || first.isWord("SELECT") || first.isWord("WITH")) {
        stmt = parseSelectStatement();
    } else if (first.is(TokenKind::Identifier)) {
        const std::string& w = first.text;
        if (w == "INSERT")
            stmt = parseInsert();
        else if (w == "UPDATE")
            stmt = parseUpdate();
        else if (w == "DELETE")
            stmt = parseDelete();
        else if (w == "LOCK")
            stmt = parseLockTable();
        else if (w == "TRUNCATE")
            stmt = parseTruncate();
        else if (w == "COMMIT")
            stmt = parseCommit();
        else if (w == "ROLLBACK")
            stmt = parseRollback();
        else if (w == "SAVEPOINT")
            stmt = parseSavepoint();
        else if (w == "SET")
            stmt = parseSet();
        else if (w == "CREATE")
            stmt = parseCreate();
        else if (w == "ALTER")
            stmt = parseAlter();
        else if (w == "DROP")
            stmt = parseDrop();
        else if (w == "GRANT")
            stmt = parseGrant();
        else if (w == "REVOKE")
            stmt = parseRevoke();
        else if (w == "COMMENT")
            stmt = parseComment();
        else if (w == "RENAME")
            stmt = parseRename();
        else if (w == "BEGIN" || w == "DECLARE")
            stmt = parsePlSql(PlSqlStmt::Unit::AnonymousBlock, false, false);
        else if (w == "EXPLAIN")
            stmt = parseExplainPlan();
        else if (w == "ANALYZE")
            stmt = parseAnalyze();
        else if (w == "MERGE")
            stmt = parseMerge();
        else if (w == "CALL" || w == "AUDIT" || w == "NOAUDIT"
            || w == "FLASHBACK" || w == "PURGE" || w == "ASSOCIATE" || w == "DISASSOCIATE")
            fail(3001, first.offset);
        else
            fail(900, first.offset);
    } else if (first.is(TokenKind::Lt) && peek().is(TokenKind::Lt)) {
        stmt = parsePlSql(PlSqlStmt::Unit::AnonymousBlock, false, false); // <<label>> block
    } else {
        fail(900, first.offset);
    }
    plsql = stmt->kind == StatementKind::PlSql;
    if (!plsql) {
        if (at(TokenKind::Semicolon))
            failHere(911);
        if (!atEnd())
            failHere(933);
        stmt->offset = first.offset;
        stmt->endOffset = prevEnd();
    }
    return stmt;
}

NestingGuard::NestingGuard(Parser& parser, int offset)
    : p(parser)
{
    if (++p.nesting > MaxNesting) {
        --p.nesting;
        p.fail(3095, offset, std::to_string(MaxNesting));
    }
}

} // namespace detail

ParseResult parse(std::string_view sql)
{
    ParseResult result;
    detail::Parser parser(sql, tokenize(sql));
    try {
        result.statement = parser.parseStatement();
    } catch (const detail::Failure& f) {
        result.statement.reset();
        result.error = f.error;
    }
    return result;
}

} // namespace engine::sql

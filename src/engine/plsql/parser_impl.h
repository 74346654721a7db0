// The PL/SQL parser's own declarations, shared by the files that hold its parts (units in parser.cpp, declarations,
// statements and expressions in parse_*.cpp). Not for use outside the parser.
#pragma once

#include "engine/plsql/parser.h"

#include "engine/sql/lexer.h"

#include <algorithm>

namespace engine::plsql::parsing {

using sql::Token;
using sql::TokenKind;

constexpr int kMaxNesting = 150;

struct Failure {
    CompileError error;
};

// Words that cannot name a variable where a statement or an expression is expected: they end or shape the
// construct, so meeting one where a name is required is the PLS-00103 of Oracle.
inline bool isPlsqlReserved(const Token& t)
{
    if (t.kind != TokenKind::Identifier)
        return false;
    if (t.reserved)
        return true;
    static const char* const words[] = { "BEGIN", "END", "DECLARE", "EXCEPTION", "IF", "THEN", "ELSIF", "LOOP", "WHILE",
        "RETURN", "WHEN", "CASE", "EXIT", "RAISE", "PROCEDURE", "FUNCTION", "GOTO", "TRUE", "FALSE", "ELSE" };
    for (const char* w : words)
        if (t.text == w)
            return true;
    return false;
}

class Parser {
public:
    Parser(std::string_view text, int begin)
        : text(text)
    {
        sql::LexResult lexed = sql::tokenize(text.substr(0, text.size()));
        for (Token& t : lexed.tokens) {
            if (t.kind == TokenKind::Comment || t.offset < begin)
                continue;
            toks.push_back(std::move(t));
        }
        if (toks.empty() || !toks.back().is(TokenKind::End)) {
            Token end;
            end.kind = TokenKind::End;
            end.offset = end.endOffset = static_cast<int>(text.size());
            toks.push_back(end);
        }
        if (lexed.error)
            lexError = lexed.error;
        lineStarts.push_back(0);
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n')
                lineStarts.push_back(static_cast<int>(i + 1));
    }

    std::unique_ptr<Unit> parseTop();
    // A name chain with its subscripts and fields at the start of the text.
    std::optional<ExpressionParse> nameAt()
    {
        try {
            ExpressionParse r;
            r.expr = nameChain();
            r.end = r.expr->endOffset;
            return r;
        } catch (const Failure&) {
            return std::nullopt;
        }
    }

private:
    std::string_view text;
    std::vector<Token> toks;
    std::optional<sql::ParseError> lexError;
    std::vector<int> lineStarts;
    size_t p = 0;
    int nesting = 0;

    struct Guard {
        Parser& ps;
        Guard(Parser& ps)
            : ps(ps)
        {
            if (++ps.nesting > kMaxNesting)
                ps.failText(ps.cur().offset, "PLS-00123: program too large (Diana nodes)");
        }
        ~Guard() { --ps.nesting; }
    };

    const Token& cur() const { return toks[p]; }
    const Token& peek(size_t n = 1) const { return toks[std::min(p + n, toks.size() - 1)]; }
    const Token& advance()
    {
        const Token& t = toks[p];
        if (p + 1 < toks.size())
            ++p;
        return t;
    }
    bool at(TokenKind k) const { return cur().kind == k; }
    bool atWord(const char* w) const { return cur().isWord(w); }
    bool accept(TokenKind k)
    {
        if (!at(k))
            return false;
        advance();
        return true;
    }
    bool acceptWord(const char* w)
    {
        if (!atWord(w))
            return false;
        advance();
        return true;
    }

public:
    Pos pos(int offset) const
    {
        auto it = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
        int line = static_cast<int>(it - lineStarts.begin());
        Pos r;
        r.offset = offset;
        r.line = line;
        r.col = offset - lineStarts[static_cast<size_t>(line - 1)] + 1;
        return r;
    }

private:
    Pos here() const { return pos(cur().offset); }

    [[noreturn]] void failText(int offset, std::string message) const
    {
        Pos ps = pos(offset);
        throw Failure { CompileError { ps.line, ps.col, std::move(message), offset } };
    }

    std::string symbolOf(const Token& t) const
    {
        switch (t.kind) {
        case TokenKind::End:
            return "end-of-file";
        case TokenKind::String:
        case TokenKind::NationalString:
            return t.text;
        case TokenKind::Bind:
            return ":" + t.text;
        case TokenKind::QuotedIdentifier:
            return t.text;
        default:
            return std::string(text.substr(static_cast<size_t>(t.offset), static_cast<size_t>(t.endOffset - t.offset)))
                       .empty()
                ? t.text
                : (t.kind == TokenKind::Identifier ? t.text
                                                   : std::string(text.substr(static_cast<size_t>(t.offset),
                                                       static_cast<size_t>(t.endOffset - t.offset))));
        }
    }

    // PLS-00103 at the current token.
    [[noreturn]] void unexpected(const char* expecting) const
    {
        if (lexError && cur().offset >= lexError->offset && (at(TokenKind::Error) || at(TokenKind::End))) {
            Pos ps = pos(lexError->offset);
            throw Failure { CompileError { ps.line, ps.col, lexError->message, lexError->offset } };
        }
        failText(cur().offset,
            "PLS-00103: Encountered the symbol \"" + symbolOf(cur()) + "\" when expecting one of the following:\n\n   "
                + expecting + "\n");
    }

    void expect(TokenKind k, const char* expecting)
    {
        if (!accept(k))
            unexpected(expecting);
    }
    void expectWord(const char* w, const char* expecting)
    {
        if (!acceptWord(w))
            unexpected(expecting);
    }

    bool atName() const
    {
        return (at(TokenKind::Identifier) && !isPlsqlReserved(cur())) || at(TokenKind::QuotedIdentifier);
    }
    std::string name(const char* expecting = "<an identifier>")
    {
        if (!atName())
            unexpected(expecting);
        return advance().text;
    }

    // --- units
    std::unique_ptr<Block> block(bool needDeclare);
    void declarations(std::vector<Decl>& out, bool package);
    std::shared_ptr<Subprogram> subprogram(bool isFunction, bool inPackageSpec);
    std::vector<Param> params();
    TypeSpec typeSpec();
    void unitEnd(const std::string& unitName);

    // --- statements
    std::vector<StmtPtr> statements(std::initializer_list<const char*> stops);
    StmtPtr statement();
    StmtPtr sqlStatement(const std::string& word);
    StmtPtr ifStatement();
    StmtPtr caseStatement();
    StmtPtr loopStatement(StmtPtr s);
    void endLoop();
    void intoList(Stmt& s);
    int skipToSemicolon(); // offset of the ';' ending the statement

    // --- expressions
    ExprPtr expr();
    ExprPtr orExpr();
    ExprPtr andExpr();
    ExprPtr notExpr();
    ExprPtr comparison();
    ExprPtr additive();
    ExprPtr multiplicative();
    ExprPtr unary();
    ExprPtr power();
    ExprPtr primary();
    ExprPtr nameChain();
    ExprPtr caseExpr();
    std::vector<Arg> args();
    ExprPtr finish(ExprPtr e)
    {
        e->endOffset = p > 0 ? toks[p - 1].endOffset : 0;
        return e;
    }
    ExprPtr make(ExprKind k, int offset)
    {
        auto e = std::make_unique<Expr>();
        e->kind = k;
        e->pos = pos(offset);
        return e;
    }
};

} // namespace engine::plsql::parsing

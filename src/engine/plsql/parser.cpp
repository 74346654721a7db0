// Recursive-descent parser of PL/SQL over the SQL lexer's tokens. Embedded SQL statements are not parsed here: their
// text spans go to the SQL front end when the unit is compiled, with the INTO lists taken out.
#include "engine/plsql/parser.h"

#include "engine/sql/lexer.h"

#include <algorithm>

namespace engine::plsql {

namespace {

using sql::Token;
using sql::TokenKind;

constexpr int kMaxNesting = 150;

struct Failure {
    CompileError error;
};

// Words that cannot name a variable where a statement or an expression is expected: they end or shape the
// construct, so meeting one where a name is required is the PLS-00103 of Oracle.
bool isPlsqlReserved(const Token& t)
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

// ---------------------------------------------------------------- units

std::unique_ptr<Unit> Parser::parseTop()
{
    auto unit = std::make_unique<Unit>();
    if (atWord("DECLARE") || atWord("BEGIN") || at(TokenKind::Lt)) {
        unit->kind = Unit::Kind::Block;
        unit->block = block(false);
        expect(TokenKind::Semicolon, ";");
        if (!at(TokenKind::End))
            unexpected("end-of-file");
        return unit;
    }
    auto unitName = [&]() {
        unit->namePos = here();
        std::string first = name();
        if (accept(TokenKind::Dot)) {
            unit->owner = first;
            unit->namePos = here();
            unit->name = name();
        } else {
            unit->name = first;
        }
    };
    auto isOrAs = [&]() {
        while (atWord("AUTHID") || atWord("DETERMINISTIC") || atWord("PARALLEL_ENABLE") || atWord("PIPELINED")) {
            if (acceptWord("AUTHID")) {
                if (acceptWord("CURRENT_USER"))
                    unit->invokerRights = true;
                else if (acceptWord("DEFINER"))
                    unit->invokerRights = false;
                else
                    unexpected("CURRENT_USER DEFINER");
            } else {
                advance();
            }
        }
        if (!acceptWord("IS") && !acceptWord("AS"))
            unexpected("; is with authid as cluster order using external deterministic parallel_enable pipelined "
                       "result_cache accessible");
    };
    if (atWord("PROCEDURE") || atWord("FUNCTION")) {
        bool fn = advance().text == "FUNCTION";
        unit->kind = fn ? Unit::Kind::Function : Unit::Kind::Procedure;
        unitName();
        auto sp = std::make_shared<Subprogram>();
        sp->isFunction = fn;
        sp->name = unit->name;
        sp->pos = unit->namePos;
        sp->textBegin = toks.front().offset;
        if (at(TokenKind::LParen))
            sp->params = params();
        if (fn) {
            expectWord("RETURN", "( return");
            sp->returnType = typeSpec();
        }
        isOrAs();
        sp->body = block(true);
        sp->hasBody = true;
        unit->subprogram = sp;
        unitEnd(unit->name);
        return unit;
    }
    if (acceptWord("PACKAGE")) {
        bool body = acceptWord("BODY");
        unit->kind = body ? Unit::Kind::PackageBody : Unit::Kind::Package;
        unitName();
        isOrAs();
        declarations(unit->decls, true);
        if (body && atWord("BEGIN")) {
            auto b = std::make_unique<Block>();
            b->pos = here();
            advance();
            b->body = statements({ "EXCEPTION", "END" });
            if (acceptWord("EXCEPTION")) {
                while (atWord("WHEN")) {
                    ExceptionHandler h;
                    h.pos = here();
                    advance();
                    do {
                        h.namePos.push_back(here());
                        std::vector<std::string> chain { name() };
                        while (accept(TokenKind::Dot))
                            chain.push_back(name());
                        h.names.push_back(chain);
                    } while (acceptWord("OR"));
                    expectWord("THEN", "or then");
                    h.body = statements({ "WHEN", "END" });
                    b->handlers.push_back(std::move(h));
                }
            }
            unit->block = std::move(b);
        }
        if (!atWord("END"))
            unexpected(body ? "begin end function pragma procedure" : "end function pragma procedure subtype type");
        advance();
        if (atName()) {
            if (cur().text != unit->name)
                failText(cur().offset,
                    "PLS-00113: END identifier '" + cur().text + "' must match '" + unit->name + "' at line "
                        + std::to_string(unit->namePos.line) + ", column " + std::to_string(unit->namePos.col));
            advance();
        }
        expect(TokenKind::Semicolon, ";");
        if (!at(TokenKind::End))
            unexpected("end-of-file");
        return unit;
    }
    if (acceptWord("TRIGGER")) {
        unit->kind = Unit::Kind::Trigger;
        int descBegin = cur().offset;
        unitName();
        if (acceptWord("BEFORE"))
            unit->before = true;
        else if (acceptWord("AFTER"))
            unit->before = false;
        else if (acceptWord("INSTEAD")) {
            expectWord("OF", "of");
            unit->insteadOf = true;
        } else
            unexpected("after before instead for");
        do {
            if (acceptWord("INSERT"))
                unit->onInsert = true;
            else if (acceptWord("DELETE"))
                unit->onDelete = true;
            else if (acceptWord("UPDATE")) {
                unit->onUpdate = true;
                if (acceptWord("OF")) {
                    do
                        unit->updateColumns.push_back(name());
                    while (accept(TokenKind::Comma));
                }
            } else
                unexpected("delete insert update");
        } while (acceptWord("OR"));
        expectWord("ON", "on or");
        unit->tablePos = here();
        std::string t = name();
        if (accept(TokenKind::Dot)) {
            unit->tableOwner = t;
            unit->tablePos = here();
            unit->tableName = name();
        } else {
            unit->tableName = t;
        }
        if (atWord("REFERENCING")) {
            int rb = advance().endOffset;
            while (atWord("NEW") || atWord("OLD") || atWord("PARENT")) {
                bool isNew = advance().text == "NEW";
                acceptWord("AS");
                std::string alias = name();
                (isNew ? unit->referencingNew : unit->referencingOld) = alias;
            }
            unit->referencingText
                = std::string(text.substr(static_cast<size_t>(rb), static_cast<size_t>(toks[p - 1].endOffset - rb)));
        }
        if (acceptWord("FOR")) {
            expectWord("EACH", "each");
            expectWord("ROW", "row");
            unit->forEachRow = true;
        }
        int descEnd = toks[p - 1].endOffset;
        if (acceptWord("DISABLE"))
            unit->disabled = true;
        else
            acceptWord("ENABLE");
        if (atWord("WHEN")) {
            advance();
            expect(TokenKind::LParen, "(");
            unit->whenBegin = cur().offset;
            unit->when = expr();
            unit->whenEnd = toks[p - 1].endOffset;
            expect(TokenKind::RParen, ")");
        }
        unit->descriptionText
            = std::string(text.substr(static_cast<size_t>(descBegin), static_cast<size_t>(descEnd - descBegin)));
        unit->bodyBegin = cur().offset;
        if (!atWord("DECLARE") && !atWord("BEGIN") && !at(TokenKind::Lt))
            unexpected("begin declare call for when");
        unit->block = block(false);
        expect(TokenKind::Semicolon, ";");
        if (!at(TokenKind::End))
            unexpected("end-of-file");
        return unit;
    }
    unexpected("begin declare function package procedure trigger");
}

void Parser::unitEnd(const std::string& unitName)
{
    (void)unitName;
    expect(TokenKind::Semicolon, ";");
    if (!at(TokenKind::End))
        unexpected("end-of-file");
}

// [<<label>>] [DECLARE decls] BEGIN stmts [EXCEPTION handlers] END [label]  (without the final ';'). A
// subprogram's body (needDeclare) has its declarations without DECLARE.
std::unique_ptr<Block> Parser::block(bool needDeclare)
{
    Guard g(*this);
    auto b = std::make_unique<Block>();
    if (at(TokenKind::Lt) && peek().is(TokenKind::Lt)) {
        advance();
        advance();
        b->label = name();
        expect(TokenKind::Gt, ">>");
        expect(TokenKind::Gt, ">>");
    }
    b->pos = here();
    if (needDeclare) {
        declarations(b->decls, false);
    } else if (acceptWord("DECLARE")) {
        declarations(b->decls, false);
    }
    expectWord("BEGIN",
        needDeclare ? "begin function pragma procedure subtype type <an identifier> cursor"
                    : "begin function pragma procedure subtype type current cursor delete exists prior");
    b->body = statements({ "EXCEPTION", "END" });
    if (acceptWord("EXCEPTION")) {
        if (!atWord("WHEN"))
            unexpected("pragma when");
        while (atWord("WHEN")) {
            ExceptionHandler h;
            h.pos = here();
            advance();
            do {
                h.namePos.push_back(here());
                if (!atName() && !atWord("OTHERS"))
                    unexpected("<an identifier> others");
                std::vector<std::string> chain { advance().text };
                while (accept(TokenKind::Dot))
                    chain.push_back(name());
                h.names.push_back(chain);
            } while (acceptWord("OR"));
            expectWord("THEN", "or then");
            h.body = statements({ "WHEN", "END" });
            b->handlers.push_back(std::move(h));
        }
    }
    b->endPos = here();
    expectWord("END",
        "begin case declare end exception exit for goto if loop mod null pragma raise return select "
        "update while with <an identifier>");
    if (atName() && !at(TokenKind::Semicolon))
        advance(); // END label
    return b;
}

std::vector<Param> Parser::params()
{
    std::vector<Param> out;
    expect(TokenKind::LParen, "(");
    do {
        Param prm;
        prm.pos = here();
        prm.name = name("<an identifier>");
        if (acceptWord("IN")) {
            prm.mode = acceptWord("OUT") ? Param::Mode::InOut : Param::Mode::In;
        } else if (acceptWord("OUT")) {
            prm.mode = Param::Mode::Out;
        }
        if (acceptWord("NOCOPY"))
            prm.nocopy = true;
        prm.type = typeSpec();
        if (accept(TokenKind::Assign) || acceptWord("DEFAULT"))
            prm.defaultValue = expr();
        out.push_back(std::move(prm));
    } while (accept(TokenKind::Comma));
    expect(
        TokenKind::RParen, ") , * & = - + < / > at in is mod remainder not rem => <> or != or ~= >= <= <> and or like");
    return out;
}

// NUMBER(p,s), VARCHAR2(n [BYTE|CHAR]), name%TYPE, name%ROWTYPE, name@link%ROWTYPE, user types.
TypeSpec Parser::typeSpec()
{
    TypeSpec t;
    t.pos = here();
    if (!at(TokenKind::Identifier) && !at(TokenKind::QuotedIdentifier))
        unexpected("<an identifier> <a double-quoted delimited-identifier> table long double ref char time timestamp "
                   "interval date binary national character nchar");
    std::string first = advance().text;
    if (first == "LONG" && atWord("RAW"))
        first = "LONG RAW", advance();
    if (first == "DOUBLE" && acceptWord("PRECISION"))
        first = "DOUBLE PRECISION";
    t.name.push_back(first);
    while (accept(TokenKind::Dot))
        t.name.push_back(name());
    if (accept(TokenKind::At)) {
        t.dblink = name();
        while (accept(TokenKind::Dot))
            t.dblink += "." + name();
    }
    if (accept(TokenKind::Percent)) {
        if (acceptWord("TYPE"))
            t.attr = TypeSpec::Attr::Type;
        else if (acceptWord("ROWTYPE"))
            t.attr = TypeSpec::Attr::RowType;
        else
            unexpected("rowtype type");
        return t;
    }
    if (accept(TokenKind::LParen)) {
        if (!at(TokenKind::Number))
            unexpected("<an integer>");
        t.size = std::atoi(advance().text.c_str());
        if (accept(TokenKind::Comma)) {
            bool neg = accept(TokenKind::Minus);
            if (!at(TokenKind::Number))
                unexpected("<an integer>");
            t.scale = std::atoi(advance().text.c_str()) * (neg ? -1 : 1);
        }
        if (acceptWord("CHAR"))
            t.charSemantics = true;
        else
            acceptWord("BYTE");
        expect(TokenKind::RParen, ")");
    }
    return t;
}

void Parser::declarations(std::vector<Decl>& out, bool package)
{
    for (;;) {
        if (atWord("BEGIN") || atWord("END") || at(TokenKind::End))
            return;
        Decl d;
        d.pos = here();
        if (atWord("PROCEDURE") || atWord("FUNCTION")) {
            bool fn = advance().text == "FUNCTION";
            d.kind = DeclKind::Subprogram;
            d.subprogram = subprogram(fn, package);
            d.name = d.subprogram->name;
            out.push_back(std::move(d));
            continue;
        }
        if (acceptWord("PRAGMA")) {
            if (acceptWord("EXCEPTION_INIT")) {
                d.kind = DeclKind::PragmaExceptionInit;
                expect(TokenKind::LParen, "(");
                d.pos = here();
                d.name = name();
                expect(TokenKind::Comma, ",");
                d.codePos = here();
                bool neg = accept(TokenKind::Minus);
                if (!at(TokenKind::Number))
                    unexpected("<an integer>");
                d.errorCode = std::atoi(advance().text.c_str()) * (neg ? -1 : 1);
                expect(TokenKind::RParen, ")");
            } else {
                d.kind = DeclKind::PragmaOther; // SERIALLY_REUSABLE, RESTRICT_REFERENCES, AUTONOMOUS_TRANSACTION
                d.name = name();
                if (accept(TokenKind::LParen)) {
                    int depth = 1;
                    while (depth > 0 && !at(TokenKind::End)) {
                        if (at(TokenKind::LParen))
                            ++depth;
                        else if (at(TokenKind::RParen))
                            --depth;
                        advance();
                    }
                }
            }
            expect(TokenKind::Semicolon, ";");
            out.push_back(std::move(d));
            continue;
        }
        if (acceptWord("CURSOR")) {
            d.kind = DeclKind::Cursor;
            d.pos = here();
            d.name = name();
            if (at(TokenKind::LParen))
                d.params = params();
            if (acceptWord("RETURN"))
                d.type = typeSpec();
            if (acceptWord("IS")) {
                if (!atWord("SELECT") && !atWord("WITH") && !at(TokenKind::LParen))
                    unexpected("( select with");
                d.queryBegin = cur().offset;
                d.queryEnd = skipToSemicolon();
            }
            expect(TokenKind::Semicolon, ";");
            out.push_back(std::move(d));
            continue;
        }
        if (acceptWord("TYPE")) {
            d.pos = here();
            d.name = name();
            expectWord("IS", "is");
            if (acceptWord("RECORD")) {
                d.kind = DeclKind::RecordType;
                expect(TokenKind::LParen, "(");
                do {
                    Decl::Field f;
                    f.pos = here();
                    f.name = name();
                    f.type = typeSpec();
                    if (acceptWord("NOT")) {
                        expectWord("NULL", "null");
                        f.notNull = true;
                    }
                    if (accept(TokenKind::Assign) || acceptWord("DEFAULT"))
                        f.init = expr();
                    d.fields.push_back(std::move(f));
                } while (accept(TokenKind::Comma));
                expect(TokenKind::RParen, ") ,");
            } else if (acceptWord("TABLE") || atWord("VARRAY") || atWord("VARYING")) {
                d.kind = DeclKind::TableType;
                if (acceptWord("VARRAY") || acceptWord("VARYING")) {
                    if (toks[p - 1].text == "VARYING")
                        expectWord("ARRAY", "array");
                    expect(TokenKind::LParen, "(");
                    if (!at(TokenKind::Number))
                        unexpected("<an integer>");
                    d.limit = std::atoll(advance().text.c_str());
                    expect(TokenKind::RParen, ")");
                }
                expectWord("OF", "of");
                d.type = typeSpec();
                if (acceptWord("NOT")) {
                    expectWord("NULL", "null");
                    d.notNull = true;
                }
                if (acceptWord("INDEX")) {
                    expectWord("BY", "by");
                    d.indexed = true;
                    d.indexType = typeSpec();
                }
            } else if (acceptWord("REF")) {
                expectWord("CURSOR", "cursor");
                d.kind = DeclKind::RefCursorType;
                if (acceptWord("RETURN")) {
                    d.hasRefReturn = true;
                    d.type = typeSpec();
                }
            } else {
                unexpected("array record table varray ref range varying");
            }
            expect(TokenKind::Semicolon, ";");
            out.push_back(std::move(d));
            continue;
        }
        if (acceptWord("SUBTYPE")) {
            d.kind = DeclKind::Subtype;
            d.pos = here();
            d.name = name();
            expectWord("IS", "is");
            d.type = typeSpec();
            if (acceptWord("NOT")) {
                expectWord("NULL", "null");
                d.notNull = true;
            }
            expect(TokenKind::Semicolon, ";");
            out.push_back(std::move(d));
            continue;
        }
        if (!atName())
            unexpected("begin function pragma procedure subtype type <an identifier> <a double-quoted "
                       "delimited-identifier> current cursor delete exists prior");
        d.name = advance().text;
        if (acceptWord("EXCEPTION")) {
            d.kind = DeclKind::Exception;
            expect(TokenKind::Semicolon, ";");
            out.push_back(std::move(d));
            continue;
        }
        d.kind = acceptWord("CONSTANT") ? DeclKind::Constant : DeclKind::Variable;
        d.type = typeSpec();
        if (acceptWord("NOT")) {
            expectWord("NULL", "null");
            d.notNull = true;
        }
        if (accept(TokenKind::Assign) || acceptWord("DEFAULT"))
            d.init = expr();
        else if (at(TokenKind::Eq))
            unexpected(":= . ( @ % ; not null range default character");
        if (d.kind == DeclKind::Constant && !d.init)
            failText(d.pos.offset,
                "PLS-00322: declaration of a constant '" + d.name
                    + "' must contain an initialization "
                      "assignment");
        if (d.notNull && !d.init)
            failText(d.pos.offset, "PLS-00218: a variable declared NOT NULL must have an initialization assignment");
        expect(TokenKind::Semicolon, ":= . ( @ % ; not null range default character");
        out.push_back(std::move(d));
    }
}

std::shared_ptr<Subprogram> Parser::subprogram(bool isFunction, bool inPackageSpec)
{
    (void)inPackageSpec;
    auto sp = std::make_shared<Subprogram>();
    sp->isFunction = isFunction;
    sp->textBegin = toks[p - 1].offset;
    sp->pos = here();
    sp->name = name();
    if (at(TokenKind::LParen))
        sp->params = params();
    if (isFunction) {
        expectWord("RETURN", "( return");
        sp->returnType = typeSpec();
    }
    while (atWord("DETERMINISTIC") || atWord("PARALLEL_ENABLE") || atWord("PIPELINED") || atWord("RESULT_CACHE"))
        advance();
    if (accept(TokenKind::Semicolon)) {
        sp->hasBody = false;
        return sp;
    }
    if (!acceptWord("IS") && !acceptWord("AS"))
        unexpected("; is as");
    sp->body = block(true);
    sp->hasBody = true;
    if (atName() && cur().text == sp->name)
        advance();
    sp->textEnd = cur().endOffset;
    expect(TokenKind::Semicolon, ";");
    return sp;
}

// ---------------------------------------------------------------- statements

std::vector<StmtPtr> Parser::statements(std::initializer_list<const char*> stops)
{
    std::vector<StmtPtr> out;
    for (;;) {
        bool stop = at(TokenKind::End);
        for (const char* w : stops)
            if (atWord(w))
                stop = true;
        if (stop)
            break;
        out.push_back(statement());
    }
    if (out.empty())
        unexpected("begin case declare exit for goto if loop mod null pragma raise return select update while with "
                   "<an identifier> <a double-quoted delimited-identifier> <a bind variable> << continue close "
                   "current delete fetch lock insert open rollback savepoint set sql execute commit forall merge pipe "
                   "purge");
    return out;
}

int Parser::skipToSemicolon()
{
    int depth = 0;
    while (!at(TokenKind::End)) {
        if (at(TokenKind::LParen))
            ++depth;
        else if (at(TokenKind::RParen))
            --depth;
        else if (at(TokenKind::Semicolon) && depth <= 0)
            return cur().offset;
        advance();
    }
    unexpected(";");
}

void Parser::intoList(Stmt& s)
{
    do {
        Target t;
        if (at(TokenKind::Bind)) {
            auto e = make(ExprKind::Bind, cur().offset);
            e->bindName = advance().text;
            if (accept(TokenKind::Dot))
                e->bindField = name();
            t.expr = finish(std::move(e));
        } else {
            if (!atName())
                unexpected("<an identifier> <a bind variable>");
            t.expr = nameChain();
        }
        s.into.push_back(std::move(t));
    } while (accept(TokenKind::Comma));
}

StmtPtr Parser::sqlStatement(const std::string& word)
{
    auto s = std::make_unique<Stmt>();
    s->kind = StmtKind::Sql;
    s->pos = here();
    s->sqlWord = word;
    s->queryBegin = cur().offset;
    if (word == "COMMIT" || word == "ROLLBACK" || word == "SAVEPOINT" || word == "SET")
        s->kind = StmtKind::Transaction;
    int depth = 0;
    bool sawReturning = false;
    while (!at(TokenKind::End)) {
        if (at(TokenKind::LParen))
            ++depth;
        else if (at(TokenKind::RParen))
            --depth;
        else if (at(TokenKind::Semicolon) && depth <= 0)
            break;
        else if (depth == 0 && (atWord("RETURNING") || atWord("RETURN")) && word != "SELECT")
            sawReturning = true;
        else if (depth == 0 && s->intoBegin < 0 && (atWord("INTO") || atWord("BULK"))
            && (word == "SELECT" || (sawReturning && word != "INSERT") || (sawReturning && word == "INSERT"))) {
            if (word == "INSERT" && !sawReturning) {
                advance();
                continue;
            }
            s->intoBegin = cur().offset;
            if (acceptWord("BULK")) {
                expectWord("COLLECT", "collect");
                s->bulk = true;
            }
            expectWord("INTO", "into");
            intoList(*s);
            s->intoEnd = toks[p - 1].endOffset;
            continue;
        }
        advance();
    }
    if (!at(TokenKind::Semicolon))
        unexpected(";");
    s->queryEnd = cur().offset;
    advance();
    if (word == "SELECT" && s->intoBegin < 0)
        failText(s->pos.offset, "PLS-00428: an INTO clause is expected in this SELECT statement");
    return s;
}

StmtPtr Parser::statement()
{
    Guard g(*this);
    std::string label;
    while (at(TokenKind::Lt) && peek().is(TokenKind::Lt)) {
        if (peek(2).isWord("DECLARE") || peek(2).isWord("BEGIN"))
            break;
        advance();
        advance();
        label = name();
        expect(TokenKind::Gt, ">>");
        expect(TokenKind::Gt, ">>");
    }
    auto s = std::make_unique<Stmt>();
    s->pos = here();
    s->label = label;
    const Token& t = cur();
    if (t.is(TokenKind::Lt) || t.isWord("DECLARE") || t.isWord("BEGIN")) {
        s->kind = StmtKind::Block;
        s->block = block(false);
        if (!label.empty() && s->block->label.empty())
            s->block->label = label;
        expect(TokenKind::Semicolon, ";");
        return s;
    }
    if (t.kind == TokenKind::Identifier) {
        const std::string w = t.text;
        if (w == "NULL") {
            advance();
            expect(TokenKind::Semicolon, ";");
            s->kind = StmtKind::Null;
            return s;
        }
        if (w == "IF") {
            auto r = ifStatement();
            r->label = label;
            return r;
        }
        if (w == "CASE") {
            auto r = caseStatement();
            r->label = label;
            return r;
        }
        if (w == "LOOP" || w == "WHILE" || w == "FOR")
            return loopStatement(std::move(s));
        if (w == "EXIT" || w == "CONTINUE") {
            advance();
            s->kind = StmtKind::Exit;
            s->isContinue = w == "CONTINUE";
            if (atName() && !atWord("WHEN"))
                s->exitLabel = advance().text;
            if (acceptWord("WHEN"))
                s->value = expr();
            expect(TokenKind::Semicolon, "; when <an identifier>");
            return s;
        }
        if (w == "RETURN") {
            advance();
            s->kind = StmtKind::Return;
            if (!at(TokenKind::Semicolon))
                s->value = expr();
            expect(TokenKind::Semicolon, ";");
            return s;
        }
        if (w == "RAISE") {
            advance();
            s->kind = StmtKind::Raise;
            if (!at(TokenKind::Semicolon))
                s->value = nameChain();
            expect(TokenKind::Semicolon, ";");
            return s;
        }
        if (w == "GOTO") {
            advance();
            s->kind = StmtKind::Goto;
            s->gotoLabel = name();
            expect(TokenKind::Semicolon, ";");
            return s;
        }
        if (w == "SELECT" || w == "INSERT" || w == "UPDATE" || w == "DELETE" || w == "LOCK" || w == "MERGE"
            || w == "COMMIT" || w == "ROLLBACK" || w == "SAVEPOINT" || (w == "SET" && peek().isWord("TRANSACTION"))
            || w == "WITH") {
            StmtPtr r = sqlStatement(w == "WITH" ? "SELECT" : w);
            r->label = label;
            return r;
        }
        if (w == "OPEN") {
            advance();
            s->kind = StmtKind::Open;
            if (at(TokenKind::Bind)) {
                auto e = make(ExprKind::Bind, cur().offset);
                e->bindName = advance().text;
                s->target = finish(std::move(e));
            } else {
                s->target = nameChain();
            }
            if (acceptWord("FOR")) {
                if (atWord("SELECT") || atWord("WITH") || at(TokenKind::LParen)) {
                    s->queryBegin = cur().offset;
                    int depth = 0;
                    while (!at(TokenKind::End)) {
                        if (at(TokenKind::LParen))
                            ++depth;
                        else if (at(TokenKind::RParen))
                            --depth;
                        else if (depth <= 0 && (at(TokenKind::Semicolon) || atWord("USING")))
                            break;
                        advance();
                    }
                    s->queryEnd = cur().offset;
                } else {
                    s->forExpr = expr();
                }
                if (acceptWord("USING")) {
                    do {
                        Param::Mode m = Param::Mode::In;
                        if (acceptWord("IN"))
                            m = acceptWord("OUT") ? Param::Mode::InOut : Param::Mode::In;
                        else if (acceptWord("OUT"))
                            m = Param::Mode::Out;
                        s->usingModes.push_back(m);
                        s->using_.push_back(Arg { {}, expr() });
                    } while (accept(TokenKind::Comma));
                }
            }
            expect(TokenKind::Semicolon, "; for");
            return s;
        }
        if (w == "FORALL") {
            advance();
            s->kind = StmtKind::ForAll;
            s->loopVarPos = here();
            s->loopVar = name();
            expectWord("IN", "in");
            if (acceptWord("INDICES") || acceptWord("VALUES")) {
                s->forAllKind = toks[p - 1].text == "INDICES" ? Stmt::ForAllKind::Indices : Stmt::ForAllKind::Values;
                expectWord("OF", "of");
                s->value = nameChain();
                if (s->forAllKind == Stmt::ForAllKind::Indices && acceptWord("BETWEEN")) {
                    s->lower = additive();
                    expectWord("AND", "and");
                    s->upper = additive();
                }
            } else {
                s->lower = additive();
                expect(TokenKind::DotDot, "..");
                s->upper = additive();
            }
            if (acceptWord("SAVE")) {
                expectWord("EXCEPTIONS", "exceptions");
                s->saveExceptions = true;
            }
            if (!atWord("INSERT") && !atWord("UPDATE") && !atWord("DELETE") && !atWord("MERGE")
                && !(atWord("EXECUTE") && peek().isWord("IMMEDIATE")))
                unexpected("delete execute insert merge update save");
            s->body.push_back(statement());
            return s;
        }
        if (w == "FETCH") {
            advance();
            s->kind = StmtKind::Fetch;
            s->target = nameChain();
            if (acceptWord("BULK")) {
                expectWord("COLLECT", "collect");
                s->bulk = true;
            }
            expectWord("INTO", "into bulk");
            intoList(*s);
            if (acceptWord("LIMIT")) {
                if (!s->bulk)
                    unexpected(";");
                s->limit = expr();
            }
            expect(TokenKind::Semicolon, ";");
            return s;
        }
        if (w == "CLOSE") {
            advance();
            s->kind = StmtKind::Close;
            s->target = nameChain();
            expect(TokenKind::Semicolon, ";");
            return s;
        }
        if (w == "EXECUTE" && peek().isWord("IMMEDIATE")) {
            advance();
            advance();
            s->kind = StmtKind::ExecuteImmediate;
            s->dynamicText = expr();
            for (;;) {
                if (atWord("INTO") || atWord("BULK")) {
                    if (acceptWord("BULK")) {
                        expectWord("COLLECT", "collect");
                        s->bulk = true;
                    }
                    expectWord("INTO", "into");
                    intoList(*s);
                    continue;
                }
                if (acceptWord("USING")) {
                    do {
                        Param::Mode m = Param::Mode::In;
                        if (acceptWord("IN"))
                            m = acceptWord("OUT") ? Param::Mode::InOut : Param::Mode::In;
                        else if (acceptWord("OUT"))
                            m = Param::Mode::Out;
                        s->usingModes.push_back(m);
                        s->using_.push_back(Arg { {}, expr() });
                    } while (accept(TokenKind::Comma));
                    continue;
                }
                if (atWord("RETURNING") || atWord("RETURN")) {
                    advance();
                    if (acceptWord("BULK")) {
                        expectWord("COLLECT", "collect");
                        s->bulk = true;
                    }
                    expectWord("INTO", "into");
                    intoList(*s);
                    continue;
                }
                break;
            }
            expect(TokenKind::Semicolon, "; into using returning");
            return s;
        }
    }
    if (t.kind == TokenKind::Bind) {
        auto e = make(ExprKind::Bind, t.offset);
        e->bindName = advance().text;
        if (accept(TokenKind::Dot))
            e->bindField = name();
        s->target = finish(std::move(e));
        s->kind = StmtKind::Assign;
        expect(TokenKind::Assign, ":= . ( @ % ;");
        s->value = expr();
        expect(TokenKind::Semicolon, ";");
        return s;
    }
    if (!atName() && !atWord("SQL"))
        unexpected("begin case declare end exception exit for goto if loop mod null pragma raise return select "
                   "update while with <an identifier> <a double-quoted delimited-identifier> <a bind variable> << "
                   "continue close current delete fetch lock insert open rollback savepoint set sql execute commit "
                   "forall merge pipe purge");
    ExprPtr chain = nameChain();
    if (accept(TokenKind::Assign)) {
        s->kind = StmtKind::Assign;
        s->target = std::move(chain);
        s->value = expr();
        expect(TokenKind::Semicolon,
            ". ( * @ % & = - + ; < / > at in is mod remainder not rem <an exponent (**)> <> "
            "or != or ~= >= <= <> and or like like2 like4 likec between || multiset member "
            "submultiset");
        return s;
    }
    s->kind = StmtKind::Call;
    s->value = std::move(chain);
    if (!at(TokenKind::Semicolon))
        unexpected(":= . ( @ % ;");
    advance();
    return s;
}

StmtPtr Parser::ifStatement()
{
    auto s = std::make_unique<Stmt>();
    s->kind = StmtKind::If;
    s->pos = here();
    advance(); // IF
    ExprPtr c = expr();
    expectWord("THEN",
        ". ( * @ % & = - + < / > at in is mod remainder not rem then <an exponent (**)> <> or != or ~= >= "
        "<= <> and or like like2 like4 likec between || multiset member submultiset");
    auto body = statements({ "ELSIF", "ELSE", "END" });
    s->branches.emplace_back(std::move(c), std::move(body));
    while (atWord("ELSIF")) {
        advance();
        ExprPtr ec = expr();
        expectWord("THEN", "then and or");
        auto b = statements({ "ELSIF", "ELSE", "END" });
        s->branches.emplace_back(std::move(ec), std::move(b));
    }
    if (acceptWord("ELSE")) {
        s->hasElse = true;
        s->elseBranch = statements({ "END" });
    }
    expectWord("END", "end else elsif");
    expectWord("IF", "if");
    expect(TokenKind::Semicolon, ";");
    return s;
}

StmtPtr Parser::caseStatement()
{
    auto s = std::make_unique<Stmt>();
    s->kind = StmtKind::Case;
    s->pos = here();
    advance(); // CASE
    if (!atWord("WHEN"))
        s->selector = expr();
    if (!atWord("WHEN"))
        unexpected("when");
    while (acceptWord("WHEN")) {
        ExprPtr c = expr();
        expectWord("THEN", "then");
        auto b = statements({ "WHEN", "ELSE", "END" });
        s->branches.emplace_back(std::move(c), std::move(b));
    }
    if (acceptWord("ELSE")) {
        s->hasElse = true;
        s->elseBranch = statements({ "END" });
    }
    expectWord("END", "end else when");
    expectWord("CASE", "case");
    if (atName())
        advance();
    expect(TokenKind::Semicolon, ";");
    return s;
}

void Parser::endLoop()
{
    expectWord("END", "end");
    expectWord("LOOP", "loop");
    if (atName())
        advance();
    expect(TokenKind::Semicolon, ";");
}

StmtPtr Parser::loopStatement(StmtPtr s)
{
    s->kind = StmtKind::Loop;
    if (acceptWord("WHILE")) {
        s->loopKind = Stmt::LoopKind::While;
        s->value = expr();
    } else if (acceptWord("FOR")) {
        s->loopVarPos = here();
        s->loopVar = name();
        expectWord("IN", "in");
        if (acceptWord("REVERSE"))
            s->reverse = true;
        if (at(TokenKind::LParen) && (peek().isWord("SELECT") || peek().isWord("WITH"))) {
            s->loopKind = Stmt::LoopKind::CursorFor;
            advance();
            s->queryBegin = cur().offset;
            int depth = 0;
            while (!at(TokenKind::End)) {
                if (at(TokenKind::LParen))
                    ++depth;
                else if (at(TokenKind::RParen)) {
                    if (depth == 0)
                        break;
                    --depth;
                }
                advance();
            }
            s->queryEnd = cur().offset;
            expect(TokenKind::RParen, ")");
        } else {
            ExprPtr first = additive();
            if (accept(TokenKind::DotDot)) {
                s->loopKind = Stmt::LoopKind::NumericFor;
                s->lower = std::move(first);
                s->upper = additive();
            } else {
                if (first->kind != ExprKind::Name)
                    unexpected("..");
                s->loopKind = Stmt::LoopKind::CursorFor;
                s->lower = std::move(first);
            }
        }
    }
    expectWord("LOOP", "loop .. * & - + / at mod remainder rem <an exponent (**)> ||");
    s->body = statements({ "END" });
    endLoop();
    return s;
}

// ---------------------------------------------------------------- expressions

ExprPtr Parser::expr()
{
    Guard g(*this);
    return orExpr();
}

ExprPtr Parser::orExpr()
{
    ExprPtr l = andExpr();
    while (atWord("OR")) {
        int off = advance().offset;
        auto e = make(ExprKind::Logical, l->pos.offset);
        (void)off;
        e->op = "OR";
        e->left = std::move(l);
        e->right = andExpr();
        l = finish(std::move(e));
    }
    return l;
}

ExprPtr Parser::andExpr()
{
    ExprPtr l = notExpr();
    while (atWord("AND")) {
        advance();
        auto e = make(ExprKind::Logical, l->pos.offset);
        e->op = "AND";
        e->left = std::move(l);
        e->right = notExpr();
        l = finish(std::move(e));
    }
    return l;
}

ExprPtr Parser::notExpr()
{
    if (atWord("NOT")) {
        Guard g(*this);
        auto e = make(ExprKind::Not, advance().offset);
        e->left = notExpr();
        return finish(std::move(e));
    }
    return comparison();
}

ExprPtr Parser::comparison()
{
    ExprPtr l = additive();
    for (;;) {
        const Token& t = cur();
        const char* op = nullptr;
        switch (t.kind) {
        case TokenKind::Eq:
            op = "=";
            break;
        case TokenKind::Ne:
            op = "<>";
            break;
        case TokenKind::Lt:
            op = "<";
            break;
        case TokenKind::Le:
            op = "<=";
            break;
        case TokenKind::Gt:
            op = ">";
            break;
        case TokenKind::Ge:
            op = ">=";
            break;
        default:
            break;
        }
        if (op) {
            advance();
            auto e = make(ExprKind::Compare, l->pos.offset);
            e->op = op;
            e->left = std::move(l);
            e->right = additive();
            l = finish(std::move(e));
            continue;
        }
        if (atWord("IS")) {
            advance();
            auto e = make(ExprKind::IsNull, l->pos.offset);
            e->negated = acceptWord("NOT");
            expectWord("NULL", "null");
            e->left = std::move(l);
            l = finish(std::move(e));
            continue;
        }
        bool neg = false;
        if (atWord("NOT") && (peek().isWord("LIKE") || peek().isWord("IN") || peek().isWord("BETWEEN"))) {
            advance();
            neg = true;
        }
        if (acceptWord("LIKE")) {
            auto e = make(ExprKind::Like, l->pos.offset);
            e->negated = neg;
            e->left = std::move(l);
            e->right = additive();
            if (acceptWord("ESCAPE"))
                e->third = additive();
            l = finish(std::move(e));
            continue;
        }
        if (acceptWord("BETWEEN")) {
            auto e = make(ExprKind::Between, l->pos.offset);
            e->negated = neg;
            e->left = std::move(l);
            e->right = additive();
            expectWord("AND", "and");
            e->third = additive();
            l = finish(std::move(e));
            continue;
        }
        if (acceptWord("IN")) {
            auto e = make(ExprKind::In, l->pos.offset);
            e->negated = neg;
            e->left = std::move(l);
            expect(TokenKind::LParen, "(");
            do
                e->list.push_back(expr());
            while (accept(TokenKind::Comma));
            expect(TokenKind::RParen, ") ,");
            l = finish(std::move(e));
            continue;
        }
        return l;
    }
}

ExprPtr Parser::additive()
{
    ExprPtr l = multiplicative();
    while (at(TokenKind::Plus) || at(TokenKind::Minus) || at(TokenKind::Concat)) {
        std::string op = at(TokenKind::Plus) ? "+" : at(TokenKind::Minus) ? "-" : "||";
        advance();
        auto e = make(ExprKind::Binary, l->pos.offset);
        e->op = op;
        e->left = std::move(l);
        e->right = multiplicative();
        l = finish(std::move(e));
    }
    return l;
}

ExprPtr Parser::multiplicative()
{
    ExprPtr l = unary();
    while (at(TokenKind::Star) || at(TokenKind::Slash) || atWord("MOD")) {
        std::string op = at(TokenKind::Star) ? "*" : at(TokenKind::Slash) ? "/" : "MOD";
        advance();
        auto e = make(ExprKind::Binary, l->pos.offset);
        e->op = op;
        e->left = std::move(l);
        e->right = unary();
        l = finish(std::move(e));
    }
    return l;
}

ExprPtr Parser::unary()
{
    if (at(TokenKind::Minus) || at(TokenKind::Plus)) {
        Guard g(*this);
        std::string op = at(TokenKind::Minus) ? "-" : "+";
        auto e = make(ExprKind::Unary, advance().offset);
        e->op = op;
        e->left = unary();
        return finish(std::move(e));
    }
    return power();
}

ExprPtr Parser::power()
{
    ExprPtr l = primary();
    if (at(TokenKind::Star) && peek().is(TokenKind::Star) && peek().offset == cur().endOffset) {
        advance();
        advance();
        auto e = make(ExprKind::Binary, l->pos.offset);
        e->op = "**";
        e->left = std::move(l);
        e->right = unary();
        l = finish(std::move(e));
    }
    return l;
}

ExprPtr Parser::primary()
{
    const Token& t = cur();
    switch (t.kind) {
    case TokenKind::Number: {
        auto e = make(ExprKind::Literal, t.offset);
        const std::string txt = advance().text;
        bool integral = txt.find_first_of(".eE") == std::string::npos;
        if (integral && txt.size() < 19)
            e->literal = Value::fromInt(std::stoll(txt));
        else
            e->literal = Value::fromText(txt); // converted by the compiler with the engine's number rules
        e->isTextLiteral = !integral || txt.size() >= 19;
        if (e->isTextLiteral)
            e->op = "NUMBER";
        return finish(std::move(e));
    }
    case TokenKind::String:
    case TokenKind::NationalString: {
        auto e = make(ExprKind::Literal, t.offset);
        e->literal = Value::fromText(advance().text);
        e->isTextLiteral = true;
        return finish(std::move(e));
    }
    case TokenKind::Bind: {
        auto e = make(ExprKind::Bind, t.offset);
        e->bindName = advance().text;
        if (at(TokenKind::Dot) && peek().kind == TokenKind::Identifier) {
            advance();
            e->bindField = name();
        }
        return finish(std::move(e));
    }
    case TokenKind::LParen: {
        Guard g(*this);
        advance();
        if (atWord("SELECT"))
            unexpected("( - + case mod new not null <an identifier> <a double-quoted delimited-identifier> <a bind "
                       "variable> continue avg count current exists max min prior sql stddev sum variance execute "
                       "forall merge time timestamp interval date <a number> <a single-quoted SQL string> pipe");
        ExprPtr e = expr();
        expect(TokenKind::RParen,
            ") , * & = - + < / > at in is mod remainder not rem <an exponent (**)> <> or != or "
            "~= >= <= <> and or like like2 like4 likec between || multiset member submultiset");
        return e;
    }
    case TokenKind::Identifier:
        if (t.text == "NULL") {
            auto e = make(ExprKind::Literal, advance().offset);
            return finish(std::move(e));
        }
        if (t.text == "TRUE" || t.text == "FALSE") {
            auto e = make(ExprKind::Bool, t.offset);
            e->boolValue = advance().text == "TRUE";
            return finish(std::move(e));
        }
        if (t.text == "CASE")
            return caseExpr();
        if (t.text == "SQL" && peek().is(TokenKind::Percent)) {
            auto e = make(ExprKind::Attribute, advance().offset);
            advance();
            e->sqlCursor = true;
            e->attribute = name("<an identifier>");
            if (accept(TokenKind::LParen)) {
                e->attributeArg = expr();
                expect(TokenKind::RParen, ")");
            }
            if (accept(TokenKind::Dot))
                e->attributeMember = name("<an identifier>");
            return finish(std::move(e));
        }
        if (t.text == "DATE" && peek().is(TokenKind::String)) {
            // DATE 'YYYY-MM-DD'
            auto e = make(ExprKind::Name, t.offset);
            NamePart np;
            np.name = "ORA$DATE_LITERAL";
            np.pos = here();
            advance();
            np.hasArgs = true;
            auto lit = make(ExprKind::Literal, cur().offset);
            lit->literal = Value::fromText(advance().text);
            lit->isTextLiteral = true;
            np.args.push_back(Arg { {}, finish(std::move(lit)) });
            e->parts.push_back(std::move(np));
            return finish(std::move(e));
        }
        if (!isPlsqlReserved(t) || t.text == "SYSDATE" || t.text == "USER" || t.text == "ROWNUM" || t.text == "PRIOR"
            || t.text == "LEVEL" || t.text == "UID")
            return nameChain();
        break;
    case TokenKind::QuotedIdentifier:
        return nameChain();
    default:
        break;
    }
    unexpected("( - + case mod new not null <an identifier> <a double-quoted delimited-identifier> <a bind variable> "
               "continue avg count current exists max min prior sql stddev sum variance execute forall merge time "
               "timestamp interval date <a number> <a single-quoted SQL string> pipe <an alternatively-quoted SQL "
               "string>");
}

std::vector<Arg> Parser::args()
{
    std::vector<Arg> out;
    expect(TokenKind::LParen, "(");
    if (accept(TokenKind::RParen))
        return out;
    do {
        Arg a;
        if ((at(TokenKind::Identifier) || at(TokenKind::QuotedIdentifier)) && peek().is(TokenKind::Arrow)) {
            a.name = advance().text;
            advance();
        }
        a.value = expr();
        out.push_back(std::move(a));
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RParen,
        ") , * & = - + < / > at in is mod remainder not rem => <an exponent (**)> <> or != or ~= "
        ">= <= <> and or like like2 like4 likec between || multiset member submultiset");
    return out;
}

// Functions whose arguments are not plain expressions (TRIM(LEADING x FROM y), CAST(x AS t), EXTRACT(YEAR FROM d)):
// their text is evaluated by the SQL engine as written.
bool isSqlSyntaxFunction(const std::string& n)
{
    return n == "TRIM" || n == "CAST" || n == "EXTRACT";
}

ExprPtr Parser::nameChain()
{
    Guard g(*this);
    auto e = make(ExprKind::Name, cur().offset);
    for (;;) {
        NamePart np;
        np.pos = here();
        if (at(TokenKind::Identifier) || at(TokenKind::QuotedIdentifier))
            np.name = advance().text;
        else
            unexpected("<an identifier> <a double-quoted delimited-identifier>");
        if (at(TokenKind::LParen)) {
            np.hasArgs = true;
            if (isSqlSyntaxFunction(np.name) && e->parts.empty()) {
                // keep the raw text: marked by op = "SQL" on the expression
                int depth = 0;
                do {
                    if (at(TokenKind::LParen))
                        ++depth;
                    else if (at(TokenKind::RParen))
                        --depth;
                    if (at(TokenKind::End))
                        unexpected(")");
                    advance();
                } while (depth > 0);
                e->op = "SQL";
            } else {
                np.args = args();
            }
        }
        e->parts.push_back(std::move(np));
        if (at(TokenKind::Dot) && (peek().is(TokenKind::Identifier) || peek().is(TokenKind::QuotedIdentifier))) {
            advance();
            continue;
        }
        break;
    }
    if (at(TokenKind::Percent)) {
        advance();
        auto a = make(ExprKind::Attribute, e->pos.offset);
        a->parts = std::move(e->parts);
        a->attribute = name("<an identifier>");
        return finish(std::move(a));
    }
    return finish(std::move(e));
}

ExprPtr Parser::caseExpr()
{
    Guard g(*this);
    auto e = make(ExprKind::Case, advance().offset);
    if (!atWord("WHEN"))
        e->selector = expr();
    if (!atWord("WHEN"))
        unexpected("when");
    while (acceptWord("WHEN")) {
        ExprPtr c = expr();
        expectWord("THEN", "then");
        ExprPtr r = expr();
        e->whens.emplace_back(std::move(c), std::move(r));
    }
    if (acceptWord("ELSE"))
        e->elseExpr = expr();
    expectWord("END", "end else when");
    return finish(std::move(e));
}

} // namespace

Pos positionOf(std::string_view text, int offset)
{
    Pos r;
    r.offset = offset;
    int line = 1, col = 1;
    for (int i = 0; i < offset && i < static_cast<int>(text.size()); ++i) {
        if (text[static_cast<size_t>(i)] == '\n') {
            ++line;
            col = 1;
        } else {
            ++col;
        }
    }
    r.line = line;
    r.col = col;
    return r;
}

std::optional<ExpressionParse> parseExpressionAt(std::string_view text, int begin)
{
    Parser parser(text, begin);
    return parser.nameAt();
}

ParseOutput parseUnit(std::string_view text, int begin)
{
    ParseOutput out;
    Parser parser(text, begin);
    try {
        out.unit = parser.parseTop();
    } catch (const Failure& f) {
        out.unit.reset();
        out.error = f.error;
    }
    return out;
}

} // namespace engine::plsql

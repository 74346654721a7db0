// The PL/SQL parser's statements: control flow, assignments, calls and the spans of embedded SQL statements.
#include "engine/plsql/parser_impl.h"

namespace engine::plsql::parsing {

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

} // namespace engine::plsql::parsing

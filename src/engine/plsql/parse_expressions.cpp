// The PL/SQL parser's expressions: operators by precedence, name chains with their calls and subscripts, CASE.
#include "engine/plsql/parser_impl.h"

namespace engine::plsql::parsing {

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

} // namespace engine::plsql::parsing

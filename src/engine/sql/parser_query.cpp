// Queries: set operations of query blocks, the select list, FROM with comma and ANSI joins, the hierarchy clauses,
// GROUP BY / HAVING, ORDER BY and FOR UPDATE.
#include "engine/sql/parser_impl.h"

#include <algorithm>
#include <cstdlib>

namespace engine::sql::detail {

bool Parser::atSetOperator() const
{
    return atWord("UNION") || atWord("INTERSECT") || atWord("MINUS");
}

bool Parser::atQueryStart() const
{
    if (atWord("SELECT") || atWord("WITH"))
        return true;
    // '(' ... '(' SELECT: a parenthesised first operand; the look-ahead is bounded by the nesting limit
    size_t i = 0;
    while (peek(i).is(TokenKind::LParen) && i <= static_cast<size_t>(MaxNesting))
        ++i;
    return i > 0 && (peek(i).isWord("SELECT") || peek(i).isWord("WITH"));
}

std::unique_ptr<Query> Parser::parseQuery()
{
    NestingGuard guard(*this, cur().offset);
    const int savedHeight = queryHeight;
    queryHeight = 0;
    auto q = std::make_unique<Query>();
    q->offset = cur().offset;
    q->body = parseSetOperations(parseQueryTerm());
    if (atWord("ORDER"))
        parseOrderBy(*q);
    if (atWord("FOR"))
        parseForUpdate(*q);
    q->endOffset = prevEnd();
    q->height = queryHeight + 1;
    queryHeight = savedHeight;
    noteHeight(q->height, q->offset);
    return q;
}

std::unique_ptr<Query> Parser::continueQuery(std::unique_ptr<Query> first)
{
    if (!first->orderBy.empty() || first->forUpdate)
        failHere(907);
    const int savedHeight = queryHeight;
    queryHeight = first->height;
    auto q = std::make_unique<Query>();
    q->offset = first->offset;
    q->body = parseSetOperations(std::move(first->body));
    if (atWord("ORDER"))
        parseOrderBy(*q);
    if (atWord("FOR"))
        parseForUpdate(*q);
    q->endOffset = prevEnd();
    q->height = queryHeight + 1;
    queryHeight = savedHeight;
    noteHeight(q->height, q->offset);
    return q;
}

QueryBodyPtr Parser::parseQueryTerm()
{
    if (at(TokenKind::LParen)) {
        const int begin = cur().offset;
        NestingGuard guard(*this, begin);
        advance();
        if (!atQueryStart())
            failHere(928);
        std::unique_ptr<Query> inner = parseQuery();
        if (!inner->orderBy.empty())
            fail(907, inner->orderBy.front().offset);
        if (inner->forUpdate)
            fail(907, inner->forUpdate->offset);
        expect(TokenKind::RParen, 907);
        noteHeight(inner->height + 1, begin);
        return std::move(inner->body);
    }
    if (atWord("WITH"))
        failHere(3001);
    if (!atWord("SELECT"))
        failHere(928);
    return parseQueryBlock();
}

QueryBodyPtr Parser::parseSetOperations(QueryBodyPtr left)
{
    int chain = 0;
    while (atSetOperator()) {
        const int opOffset = cur().offset;
        auto s = std::make_unique<SetOperation>();
        if (acceptWord("UNION"))
            s->op = acceptWord("ALL") ? SetOperation::Op::UnionAll : SetOperation::Op::Union;
        else if (acceptWord("INTERSECT"))
            s->op = SetOperation::Op::Intersect;
        else {
            advance();
            s->op = SetOperation::Op::Minus;
        }
        s->offset = left->offset;
        s->left = std::move(left);
        s->right = parseQueryTerm();
        s->endOffset = prevEnd();
        noteHeight(queryHeight + ++chain, opOffset);
        left = std::move(s);
    }
    queryHeight += chain;
    return left;
}

std::unique_ptr<QueryBlock> Parser::parseQueryBlock()
{
    auto b = std::make_unique<QueryBlock>();
    b->offset = cur().offset;
    expectWord("SELECT", 928);
    b->hint = hintAfter[pos - 1];
    if (atWord("DISTINCT") || atWord("UNIQUE")) {
        advance();
        b->distinct = true;
    } else {
        acceptWord("ALL");
    }
    do {
        b->items.push_back(parseSelectItem());
    } while (accept(TokenKind::Comma));
    if (!atWord("FROM"))
        failHere(923);
    advance();
    do {
        b->from.push_back(parseFromItem());
    } while (accept(TokenKind::Comma));
    if (acceptWord("WHERE"))
        b->where = parseCondition();
    for (int i = 0; i < 2; ++i) {
        if (!b->startWith && atWord("START")) {
            advance();
            expectWord("WITH", 970);
            b->startWith = parseCondition();
        } else if (!b->connectBy && atWord("CONNECT")) {
            advance();
            expectWord("BY", 924);
            b->nocycle = acceptWord("NOCYCLE");
            b->connectBy = parseCondition();
        }
    }
    // Oracle takes HAVING before GROUP BY as well as after it
    for (int i = 0; i < 2; ++i) {
        if (b->groupBy.empty() && atWord("GROUP")) {
            advance();
            expectWord("BY", 924);
            do {
                b->groupBy.push_back(parseExpr());
            } while (accept(TokenKind::Comma));
        } else if (!b->having && acceptWord("HAVING")) {
            b->having = parseCondition();
        }
    }
    b->endOffset = prevEnd();
    return b;
}

SelectItem Parser::parseSelectItem()
{
    SelectItem item;
    item.offset = cur().offset;
    if (at(TokenKind::Star)) {
        advance();
        item.type = SelectItem::Type::Star;
        item.endOffset = prevEnd();
        return item;
    }
    // t.* and schema.t.*
    auto nameAt = [this](size_t i) {
        const Token& t = peek(i);
        return (t.kind == TokenKind::Identifier && !t.reserved) || t.kind == TokenKind::QuotedIdentifier;
    };
    size_t starAt = 0;
    if (nameAt(0) && peek(1).is(TokenKind::Dot) && peek(2).is(TokenKind::Star))
        starAt = 2;
    else if (nameAt(0) && peek(1).is(TokenKind::Dot) && nameAt(2) && peek(3).is(TokenKind::Dot)
        && peek(4).is(TokenKind::Star))
        starAt = 4;
    if (starAt) {
        item.type = SelectItem::Type::QualifiedStar;
        item.qualifier.push_back(parseIdentifier(936));
        if (starAt == 4) {
            advance();
            item.qualifier.push_back(parseIdentifier(936));
        }
        advance(); // .
        advance(); // *
        item.endOffset = prevEnd();
        return item;
    }
    item.expr = parseExpr();
    item.endOffset = prevEnd();
    item.alias = parseOptionalAlias(false);
    return item;
}

TableRefPtr Parser::parseFromItem()
{
    const int begin = cur().offset;
    TableRefPtr left = parseTableFactor();
    int chain = 0;
    for (;;) {
        JoinRef::Type type;
        const int joinOffset = cur().offset;
        if (atWord("JOIN")) {
            type = JoinRef::Type::Inner;
        } else if (atWord("INNER")) {
            advance();
            type = JoinRef::Type::Inner;
            if (!atWord("JOIN"))
                failHere(905);
        } else if (atWord("LEFT") || atWord("RIGHT") || atWord("FULL")) {
            type = atWord("LEFT") ? JoinRef::Type::Left : atWord("RIGHT") ? JoinRef::Type::Right : JoinRef::Type::Full;
            advance();
            acceptWord("OUTER");
            if (!atWord("JOIN"))
                failHere(905);
        } else if (atWord("CROSS")) {
            advance();
            type = JoinRef::Type::Cross;
            if (!atWord("JOIN"))
                failHere(905);
        } else if (atWord("NATURAL")) {
            failHere(3001);
        } else {
            break;
        }
        advance(); // JOIN
        auto j = std::make_unique<JoinRef>();
        j->type = type;
        j->offset = begin;
        j->left = std::move(left);
        j->right = parseTableFactor();
        if (type != JoinRef::Type::Cross) {
            if (acceptWord("ON"))
                j->on = parseCondition();
            else if (atWord("USING"))
                (advance(), j->usingColumns = parseIdentifierList(904));
            else
                failHere(905);
        }
        noteHeight(queryHeight + ++chain, joinOffset);
        left = std::move(j);
    }
    queryHeight += chain;
    return left;
}

TableRefPtr Parser::parseTableFactor()
{
    const int begin = cur().offset;
    if (at(TokenKind::LParen)) {
        NestingGuard guard(*this, begin);
        if (atQueryStart()) {
            advance();
            auto v = std::make_unique<InlineView>();
            v->offset = begin;
            v->query = parseQuery();
            expect(TokenKind::RParen, 907);
            noteHeight(v->query->height + 1, begin);
            v->alias = parseOptionalAlias(true);
            return v;
        }
        advance();
        TableRefPtr inner = parseFromItem();
        expect(TokenKind::RParen, 907);
        return inner;
    }
    auto t = std::make_unique<TableName>();
    t->offset = begin;
    t->name = parseObjectName(903);
    // Valid Oracle row-source clauses the engine does not run yet: refused rather than misread as an alias
    if (atWord("PARTITION") || atWord("SUBPARTITION") || atWord("SAMPLE") || atWord("PIVOT") || atWord("UNPIVOT")
        || atWord("MODEL") || (atWord("AS") && peek().isWord("OF")))
        failHere(3001);
    t->alias = parseOptionalAlias(true);
    if (atWord("PIVOT") || atWord("UNPIVOT") || atWord("MODEL"))
        failHere(3001);
    return t;
}

void Parser::parseOrderBy(Query& q)
{
    advance(); // ORDER
    if (atWord("SIBLINGS"))
        failHere(3001);
    expectWord("BY", 924);
    do {
        OrderItem item;
        item.offset = cur().offset;
        item.expr = parseExpr();
        if (acceptWord("DESC"))
            item.descending = true;
        else
            acceptWord("ASC");
        if (acceptWord("NULLS")) {
            if (acceptWord("FIRST"))
                item.nullsFirst = true;
            else if (acceptWord("LAST"))
                item.nullsFirst = false;
            else
                failHere(905);
        }
        q.orderBy.push_back(std::move(item));
    } while (accept(TokenKind::Comma));
}

void Parser::parseForUpdate(Query& q)
{
    ForUpdate f;
    f.offset = cur().offset;
    advance(); // FOR
    expectWord("UPDATE", 905);
    if (acceptWord("OF")) {
        do {
            ExprPtr col = parseExpr();
            if (col->kind != ExprKind::ColumnRef)
                fail(1747, col->offset);
            f.columns.push_back(std::move(col));
        } while (accept(TokenKind::Comma));
    }
    if (acceptWord("NOWAIT")) {
        f.nowait = true;
    } else if (acceptWord("WAIT")) {
        if (!at(TokenKind::Number))
            failHere(936);
        f.wait = std::strtoll(advance().text.c_str(), nullptr, 10);
    } else if (acceptWord("SKIP")) {
        expectWord("LOCKED", 905);
        f.skipLocked = true;
    }
    q.forUpdate = std::move(f);
}

} // namespace engine::sql::detail

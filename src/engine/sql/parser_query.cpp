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
    if (atWord("WITH"))
        parseWith(*q);
    q->body = parseSetOperations(parseQueryTerm());
    parseQueryTail(*q);
    q->endOffset = prevEnd();
    q->height = queryHeight + 1;
    queryHeight = savedHeight;
    noteHeight(q->height, q->offset);
    return q;
}

std::unique_ptr<Query> Parser::continueQuery(std::unique_ptr<Query> first)
{
    if (!first->orderBy.empty() || first->forUpdate || first->rowLimit)
        failHere(907);
    const int savedHeight = queryHeight;
    queryHeight = first->height;
    auto q = std::make_unique<Query>();
    q->offset = first->offset;
    q->with = std::move(first->with);
    q->body = parseSetOperations(std::move(first->body));
    parseQueryTail(*q);
    q->endOffset = prevEnd();
    q->height = queryHeight + 1;
    queryHeight = savedHeight;
    noteHeight(q->height, q->offset);
    return q;
}

void Parser::parseQueryTail(Query& q)
{
    if (atWord("ORDER"))
        parseOrderBy(q);
    if (atWord("OFFSET") || atWord("FETCH"))
        parseRowLimit(q);
    if (atWord("FOR"))
        parseForUpdate(q);
}

void Parser::parseWith(Query& q)
{
    advance(); // WITH
    if (atWord("FUNCTION") || atWord("PROCEDURE"))
        fail(3001, cur().offset, "PL/SQL declarations in WITH"); // PL/SQL declarations in WITH
    do {
        WithItem item;
        item.offset = cur().offset;
        item.name = parseIdentifier(903);
        if (at(TokenKind::LParen))
            item.columns = parseIdentifierList(904);
        expectWord("AS", 905);
        if (!at(TokenKind::LParen))
            failHere(906);
        item.query = parseSubqueryInParens();
        noteHeight(item.query->height + 1, item.offset);
        if (atWord("SEARCH")) {
            SearchClause sc;
            sc.offset = cur().offset;
            advance();
            if (acceptWord("DEPTH"))
                sc.depthFirst = true;
            else if (acceptWord("BREADTH"))
                sc.depthFirst = false;
            else
                failHere(905);
            expectWord("FIRST", 905);
            expectWord("BY", 924);
            sc.by = parseOrderItems();
            expectWord("SET", 905);
            sc.setColumn = parseIdentifier(904);
            item.search = std::move(sc);
        }
        if (atWord("CYCLE")) {
            CycleClause cc;
            cc.offset = cur().offset;
            advance();
            do {
                cc.columns.push_back(parseIdentifier(904));
            } while (accept(TokenKind::Comma));
            expectWord("SET", 905);
            cc.setColumn = parseIdentifier(904);
            expectWord("TO", 905);
            cc.cycleValue = parseExpr();
            expectWord("DEFAULT", 905);
            cc.noCycleValue = parseExpr();
            item.cycle = std::move(cc);
        }
        q.with.push_back(std::move(item));
    } while (accept(TokenKind::Comma));
    if (!atWord("SELECT") && !at(TokenKind::LParen))
        failHere(928);
}

void Parser::parseRowLimit(Query& q)
{
    RowLimit r;
    r.offset = cur().offset;
    if (acceptWord("OFFSET")) {
        r.offsetRows = parseExpr();
        if (!acceptWord("ROW") && !acceptWord("ROWS"))
            failHere(905);
    }
    if (acceptWord("FETCH")) {
        r.fetch = true;
        if (!acceptWord("FIRST") && !acceptWord("NEXT"))
            failHere(905);
        if (!atWord("ROW") && !atWord("ROWS")) {
            r.fetchCount = parseExpr();
            r.percent = acceptWord("PERCENT");
        }
        if (!acceptWord("ROW") && !acceptWord("ROWS"))
            failHere(905);
        if (acceptWord("WITH"))
            expectWord("TIES", 905), r.withTies = true;
        else
            expectWord("ONLY", 905);
    }
    q.rowLimit = std::move(r);
}

std::vector<OrderItem> Parser::parseOrderItems()
{
    std::vector<OrderItem> items;
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
        items.push_back(std::move(item));
    } while (accept(TokenKind::Comma));
    return items;
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
        if (!inner->orderBy.empty() && !inner->rowLimit)
            fail(907, inner->orderBy.front().offset);
        if (inner->forUpdate)
            fail(907, inner->forUpdate->offset);
        expect(TokenKind::RParen, 907);
        noteHeight(inner->height + 1, begin);
        if (!inner->with.empty() || inner->rowLimit) {
            // A whole query of its own: its query names and row limit stay with it.
            auto nested = std::make_unique<NestedQuery>();
            nested->offset = begin;
            nested->query = std::move(inner);
            nested->endOffset = prevEnd();
            return nested;
        }
        return std::move(inner->body);
    }
    if (atWord("WITH"))
        failHere(928);
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
        if (!b->grouped() && atWord("GROUP")) {
            advance();
            expectWord("BY", 924);
            parseGroupBy(*b);
        } else if (!b->having && acceptWord("HAVING")) {
            b->having = parseCondition();
        }
    }
    b->endOffset = prevEnd();
    return b;
}

bool Parser::atGroupingConstruct() const
{
    return ((atWord("ROLLUP") || atWord("CUBE")) && peek().is(TokenKind::LParen))
        || (atWord("GROUPING") && peek().isWord("SETS")) || (at(TokenKind::LParen) && peek().is(TokenKind::RParen));
}

GroupingElement Parser::parseGroupingElement(bool inSets)
{
    GroupingElement g;
    g.offset = cur().offset;
    if (at(TokenKind::LParen) && peek().is(TokenKind::RParen)) {
        advance();
        advance();
        g.type = GroupingElement::Type::Empty;
        return g;
    }
    if (atWord("ROLLUP") || atWord("CUBE")) {
        g.type = atWord("ROLLUP") ? GroupingElement::Type::Rollup : GroupingElement::Type::Cube;
        advance();
        g.items = parseExprListInParens(false);
        return g;
    }
    if (atWord("GROUPING") && peek().isWord("SETS")) {
        NestingGuard guard(*this, cur().offset);
        advance();
        advance();
        g.type = GroupingElement::Type::Sets;
        expect(TokenKind::LParen, 906);
        do {
            g.sets.push_back(parseGroupingElement(true));
        } while (accept(TokenKind::Comma));
        expect(TokenKind::RParen, 907);
        return g;
    }
    (void)inSets;
    g.expr = parseExpr();
    return g;
}

void Parser::parseGroupBy(QueryBlock& b)
{
    std::vector<GroupingElement> elements;
    bool extended = false;
    do {
        extended = extended || atGroupingConstruct();
        elements.push_back(parseGroupingElement(false));
    } while (accept(TokenKind::Comma));
    if (extended) {
        b.groupingSets = std::move(elements);
        return;
    }
    for (auto& g : elements)
        b.groupBy.push_back(std::move(g.expr));
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
    if (isCondition(*item.expr)) // REGEXP_LIKE and LNNVL are conditions, no values to select
        fail(904, item.expr->offset, item.expr->as<FunctionCallExpr>()->functionName().name);
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
        bool natural = false;
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
        } else if ((atWord("CROSS") || atWord("OUTER")) && peek().isWord("APPLY")) {
            fail(3001, cur().offset, cur().text + " APPLY");
        } else if (atWord("CROSS")) {
            advance();
            type = JoinRef::Type::Cross;
            if (!atWord("JOIN"))
                failHere(905);
        } else if (atWord("NATURAL")) {
            advance();
            natural = true;
            type = JoinRef::Type::Inner;
            if (atWord("LEFT") || atWord("RIGHT") || atWord("FULL")) {
                type = atWord("LEFT") ? JoinRef::Type::Left
                    : atWord("RIGHT") ? JoinRef::Type::Right
                                      : JoinRef::Type::Full;
                advance();
                acceptWord("OUTER");
            } else {
                acceptWord("INNER");
            }
            if (!atWord("JOIN"))
                failHere(905);
        } else {
            break;
        }
        advance(); // JOIN
        auto j = std::make_unique<JoinRef>();
        j->type = type;
        j->natural = natural;
        j->offset = begin;
        j->left = std::move(left);
        j->right = parseTableFactor();
        if (type != JoinRef::Type::Cross && !natural) {
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
    // Row sources Oracle knows that the engine does not run: named, rather than misread as a table's name.
    if (atWord("TABLE") && peek().is(TokenKind::LParen)) {
        NestingGuard guard(*this, begin);
        advance();
        advance();
        auto c = std::make_unique<CollectionRef>();
        c->offset = begin;
        c->collection = parseExpr();
        expect(TokenKind::RParen, 907);
        if (at(TokenKind::LParen) && peek().is(TokenKind::Plus) && peek(2).is(TokenKind::RParen))
            fail(3001, cur().offset, "outer join of a TABLE collection expression");
        c->alias = parseOptionalAlias(true);
        return c;
    }
    if ((atWord("LATERAL") || atWord("THE") || atWord("XMLTABLE") || atWord("JSON_TABLE") || atWord("CONTAINERS")
            || atWord("SHARDS"))
        && peek().is(TokenKind::LParen))
        fail(3001, begin, atWord("THE") ? "THE collection expression" : cur().text);
    if (at(TokenKind::LParen)) {
        NestingGuard guard(*this, begin);
        if (atQueryStart()) {
            advance();
            auto v = std::make_unique<InlineView>();
            v->offset = begin;
            v->query = parseQuery();
            expect(TokenKind::RParen, 907);
            noteHeight(v->query->height + 1, begin);
            if (atWord("PIVOT") || atWord("UNPIVOT"))
                return parsePivot(std::move(v));
            refuseRowPattern();
            v->alias = parseOptionalAlias(true);
            if (atWord("MODEL"))
                fail(3001, cur().offset, "MODEL clause");
            refuseRowPattern();
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
    if (atWord("PARTITION") || atWord("SUBPARTITION") || atWord("SAMPLE") || atWord("MODEL"))
        fail(3001, cur().offset, atWord("MODEL") ? "MODEL clause" : cur().text + " clause");
    if ((atWord("AS") && peek().isWord("OF")) || (atWord("VERSIONS") && peek().isWord("BETWEEN")))
        fail(3001, cur().offset, "flashback query");
    refuseRowPattern();
    if (atWord("PIVOT") || atWord("UNPIVOT"))
        return parsePivot(std::move(t));
    t->alias = parseOptionalAlias(true);
    if (atWord("MODEL"))
        fail(3001, cur().offset, "MODEL clause");
    refuseRowPattern();
    if (atWord("PIVOT") || atWord("UNPIVOT"))
        failHere(933); // the alias of a pivoted row source follows the PIVOT clause
    return t;
}

void Parser::refuseRowPattern() const
{
    if (atWord("MATCH_RECOGNIZE") && peek().is(TokenKind::LParen))
        fail(3001, cur().offset, "MATCH_RECOGNIZE");
}

TableRefPtr Parser::parsePivot(TableRefPtr source)
{
    const int begin = cur().offset;
    NestingGuard guard(*this, begin);
    if (acceptWord("PIVOT")) {
        auto p = std::make_unique<PivotRef>();
        p->offset = source->offset;
        p->source = std::move(source);
        if (atWord("XML"))
            failHere(3001);
        expect(TokenKind::LParen, 906);
        do {
            PivotRef::Aggregate a;
            a.call = parseExpr();
            if (!a.call->as<FunctionCallExpr>())
                fail(56902, a.call->offset);
            a.alias = parseOptionalAlias(false);
            p->aggregates.push_back(std::move(a));
        } while (accept(TokenKind::Comma));
        expectWord("FOR", 905);
        if (at(TokenKind::LParen))
            p->forColumns = parseIdentifierList(904);
        else
            p->forColumns.push_back(parseIdentifier(904));
        expectWord("IN", 905);
        expect(TokenKind::LParen, 906);
        if (atWord("ANY") || atWord("SELECT") || atWord("WITH"))
            failHere(3001); // PIVOT XML only
        do {
            PivotRef::Value v;
            v.offset = cur().offset;
            ExprPtr e = parseExpr();
            v.endOffset = prevEnd();
            if (auto* tuple = e->as<TupleExpr>(); tuple && p->forColumns.size() > 1)
                v.values = std::move(tuple->items);
            else
                v.values.push_back(std::move(e));
            v.alias = parseOptionalAlias(false);
            p->in.push_back(std::move(v));
        } while (accept(TokenKind::Comma));
        expect(TokenKind::RParen, 907);
        expect(TokenKind::RParen, 907);
        p->alias = parseOptionalAlias(true);
        return p;
    }
    advance(); // UNPIVOT
    auto u = std::make_unique<UnpivotRef>();
    u->offset = source->offset;
    u->source = std::move(source);
    if (acceptWord("INCLUDE")) {
        expectWord("NULLS", 905);
        u->includeNulls = true;
    } else if (acceptWord("EXCLUDE")) {
        expectWord("NULLS", 905);
    }
    expect(TokenKind::LParen, 906);
    if (at(TokenKind::LParen))
        u->valueColumns = parseIdentifierList(904);
    else
        u->valueColumns.push_back(parseIdentifier(904));
    expectWord("FOR", 905);
    if (at(TokenKind::LParen))
        u->forColumns = parseIdentifierList(904);
    else
        u->forColumns.push_back(parseIdentifier(904));
    expectWord("IN", 905);
    expect(TokenKind::LParen, 906);
    do {
        UnpivotRef::Item item;
        item.offset = cur().offset;
        if (at(TokenKind::LParen))
            item.columns = parseIdentifierList(904);
        else
            item.columns.push_back(parseIdentifier(904));
        if (acceptWord("AS")) {
            if (at(TokenKind::LParen)) {
                item.labels = parseExprListInParens(false);
            } else {
                item.labels.push_back(parseExpr());
            }
        }
        u->in.push_back(std::move(item));
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RParen, 907);
    expect(TokenKind::RParen, 907);
    u->alias = parseOptionalAlias(true);
    return u;
}

void Parser::parseOrderBy(Query& q)
{
    advance(); // ORDER
    q.orderSiblings = acceptWord("SIBLINGS");
    expectWord("BY", 924);
    q.orderBy = parseOrderItems();
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

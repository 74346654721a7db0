// MERGE and the multitable INSERT (INSERT ALL, INSERT FIRST). Their clauses are checked for syntax here and kept
// as the text written, which the binder composes into the plain statements that carry them out.
#include "engine/sql/parser_impl.h"

namespace engine::sql::detail {

namespace {

// The names of a column list item may be qualified (t.col): the column is what counts.
Identifier parseColumnName(Parser& p)
{
    Identifier col = p.parseIdentifier(904);
    while (p.accept(TokenKind::Dot))
        col = p.parseIdentifier(904);
    return col;
}

std::vector<Identifier> parseColumnList(Parser& p)
{
    std::vector<Identifier> cols;
    p.expect(TokenKind::LParen, 906);
    for (;;) {
        cols.push_back(parseColumnName(p));
        if (p.accept(TokenKind::RParen))
            break;
        if (!p.accept(TokenKind::Comma))
            p.failHere(917);
    }
    return cols;
}

} // namespace

std::string Parser::parseConditionText(ExprPtr* parsed)
{
    const int begin = cur().offset;
    ExprPtr e = parseCondition();
    std::string text = textBetween(begin, prevEnd());
    if (parsed)
        *parsed = std::move(e);
    return text;
}

StatementPtr Parser::parseMerge()
{
    auto s = std::make_unique<MergeStmt>();
    s->offset = cur().offset;
    advance(); // MERGE
    expectWord("INTO", 925);
    if (at(TokenKind::LParen))
        failHere(3001); // a subquery as the target
    s->target = parseObjectName(903);
    if (s->target.dblink)
        fail(3001, s->target.offset);
    s->targetAlias = parseOptionalAlias(true);
    expectWord("USING", 969);
    s->sourceOffset = cur().offset;
    if (at(TokenKind::LParen)) {
        NestingGuard guard(*this, cur().offset);
        advance();
        const int begin = cur().offset;
        auto q = parseQuery();
        noteHeight(q->height, q->offset);
        s->sourceQueryText = textBetween(begin, prevEnd());
        expect(TokenKind::RParen, 907);
    } else {
        s->sourceTable = parseObjectName(903);
        if (s->sourceTable->dblink)
            fail(3001, s->sourceTable->offset);
    }
    s->sourceAlias = parseOptionalAlias(true);
    expectWord("ON", 969);
    expect(TokenKind::LParen, 906);
    s->onText = parseConditionText(&s->on);
    expect(TokenKind::RParen, 907);
    while (atWord("WHEN")) {
        advance();
        const bool notMatched = acceptWord("NOT");
        expectWord("MATCHED", 905);
        expectWord("THEN", 905);
        if (!notMatched) {
            if (s->matched)
                failHere(905);
            s->matched = true;
            expectWord("UPDATE", 905);
            expectWord("SET", 971);
            do {
                MergeStmt::Set set;
                set.offset = cur().offset;
                if (at(TokenKind::LParen))
                    failHere(3001); // (columns) = (subquery) in a MERGE
                set.column = parseColumnName(*this);
                expect(TokenKind::Eq, 927);
                if (!acceptWord("DEFAULT")) {
                    const int begin = cur().offset;
                    parseExpr();
                    set.valueText = textBetween(begin, prevEnd());
                }
                s->sets.push_back(std::move(set));
            } while (accept(TokenKind::Comma));
            if (acceptWord("WHERE"))
                s->updateWhere = parseConditionText(nullptr);
            if (acceptWord("DELETE")) {
                expectWord("WHERE", 933);
                s->deleteWhere = parseConditionText(nullptr);
            }
        } else {
            if (s->notMatched)
                failHere(905);
            s->notMatched = true;
            expectWord("INSERT", 905);
            if (at(TokenKind::LParen))
                s->insertColumns = parseColumnList(*this);
            expectWord("VALUES", 926);
            NestingGuard guard(*this, cur().offset);
            expect(TokenKind::LParen, 906);
            for (;;) {
                if (acceptWord("DEFAULT")) {
                    s->insertValues.push_back("DEFAULT");
                    s->insertValueExprs.push_back(nullptr);
                } else {
                    const int begin = cur().offset;
                    s->insertValueExprs.push_back(parseExpr());
                    s->insertValues.push_back(textBetween(begin, prevEnd()));
                }
                if (accept(TokenKind::RParen))
                    break;
                if (!accept(TokenKind::Comma))
                    failHere(917);
            }
            if (acceptWord("WHERE"))
                s->insertWhere = parseConditionText(nullptr);
        }
    }
    if (!s->matched && !s->notMatched)
        failHere(905);
    if (atWord("LOG"))
        failHere(3001); // LOG ERRORS
    return s;
}

StatementPtr Parser::parseMultiInsert(int offset)
{
    auto s = std::make_unique<MultiInsertStmt>();
    s->offset = offset;
    s->first = atWord("FIRST");
    advance(); // ALL or FIRST
    s->conditional = atWord("WHEN");
    if (s->first && !s->conditional)
        failHere(905); // INSERT FIRST takes WHEN clauses
    auto parseInto = [&](int condition) {
        MultiInsertStmt::Into into;
        into.offset = cur().offset;
        into.condition = condition;
        expectWord("INTO", 925);
        if (at(TokenKind::LParen))
            failHere(3001);
        into.table = parseObjectName(903);
        if (into.table.dblink)
            fail(3001, into.table.offset);
        if (atNameToken() && !atWord("WHEN") && !atWord("VALUES"))
            parseOptionalAlias(true);
        if (at(TokenKind::LParen) && !atQueryStart())
            into.columns = parseColumnList(*this);
        if (acceptWord("VALUES")) {
            NestingGuard guard(*this, cur().offset);
            expect(TokenKind::LParen, 906);
            for (;;) {
                if (atWord("DEFAULT")) {
                    into.values.push_back("DEFAULT");
                    advance();
                } else {
                    const int begin = cur().offset;
                    parseExpr();
                    into.values.push_back(textBetween(begin, prevEnd()));
                }
                if (accept(TokenKind::RParen))
                    break;
                if (!accept(TokenKind::Comma))
                    failHere(917);
            }
        }
        s->intos.push_back(std::move(into));
    };
    if (!s->conditional) {
        do
            parseInto(-1);
        while (atWord("INTO"));
    } else {
        while (acceptWord("WHEN")) {
            s->conditions.push_back(parseConditionText(nullptr));
            expectWord("THEN", 905);
            do
                parseInto(static_cast<int>(s->conditions.size()) - 1);
            while (atWord("INTO"));
        }
        if (acceptWord("ELSE")) {
            do
                parseInto(-2);
            while (atWord("INTO"));
        }
    }
    if (!atQueryStart())
        failHere(928);
    s->queryOffset = cur().offset;
    auto q = parseQuery();
    noteHeight(q->height, q->offset);
    s->queryText = textBetween(s->queryOffset, prevEnd());
    return s;
}

} // namespace engine::sql::detail

// EXPLAIN PLAN: its clauses, and the explained statement parsed on the same tokens, so that an error inside it
// points into the whole text the user sent.
#include "engine/sql/parser_impl.h"

namespace engine::sql::detail {

StatementPtr Parser::parseExplainPlan()
{
    auto s = std::make_unique<ExplainPlanStmt>();
    s->offset = cur().offset;
    advance(); // EXPLAIN
    expectWord("PLAN", 905);
    if (acceptWord("SET")) {
        expectWord("STATEMENT_ID", 905);
        expect(TokenKind::Eq, 927);
        if (!at(TokenKind::String) && !at(TokenKind::NationalString))
            failHere(1780);
        s->statementId = advance().text;
    }
    if (acceptWord("INTO"))
        s->into = parseObjectName(903, true);
    expectWord("FOR", 905);

    const Token& first = cur();
    const int begin = first.offset;
    StatementPtr inner;
    if (first.is(TokenKind::LParen) || first.isWord("SELECT") || first.isWord("WITH"))
        inner = parseSelectStatement();
    else if (first.isWord("INSERT") && (peek().isWord("ALL") || peek().isWord("FIRST")))
        fail(3001, begin); // a multitable INSERT
    else if (first.isWord("INSERT"))
        inner = parseInsert();
    else if (first.isWord("UPDATE"))
        inner = parseUpdate();
    else if (first.isWord("DELETE"))
        inner = parseDelete();
    else if (first.isWord("MERGE"))
        fail(3001, begin); // statements Oracle explains but the engine does not run
    else if (first.isWord("CREATE")
        && (peek().isWord("TABLE") || peek().isWord("INDEX") || peek().isWord("UNIQUE") || peek().isWord("BITMAP")
            || (peek().isWord("GLOBAL") && peek(2).isWord("TEMPORARY"))))
        fail(3001, begin);
    else if (first.isWord("ALTER") && peek().isWord("INDEX"))
        fail(3001, begin);
    else
        fail(900, begin);
    inner->offset = begin;
    inner->endOffset = prevEnd();
    s->statementText = textBetween(inner->offset, inner->endOffset);
    s->statement = std::move(inner);
    return s;
}

} // namespace engine::sql::detail

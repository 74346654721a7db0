// ANALYZE: the object and its clause. VALIDATE STRUCTURE is parsed whole; the other clauses of the statement are
// recognised by their leading words and the rest of their text is taken as written, so that the executor can name
// what it does not do.
#include "engine/sql/parser_impl.h"

namespace engine::sql::detail {

StatementPtr Parser::parseAnalyze()
{
    auto s = std::make_unique<AnalyzeStmt>();
    s->offset = cur().offset;
    advance(); // ANALYZE
    if (atWord("TABLE") || atWord("INDEX") || atWord("CLUSTER"))
        s->objectType = advance().text;
    else
        failHere(1490);
    s->name = parseObjectName(s->objectType == "INDEX" ? 953 : 903, true);
    if (atWord("PARTITION") || atWord("SUBPARTITION")) {
        s->partitionOffset = cur().offset;
        advance();
        acceptWord("FOR"); // PARTITION FOR (key values)
        expect(TokenKind::LParen, 906);
        int depth = 1;
        while (depth > 0) {
            if (atEnd())
                failHere(907);
            if (at(TokenKind::LParen))
                ++depth;
            else if (at(TokenKind::RParen))
                --depth;
            advance();
        }
    }

    s->clauseOffset = cur().offset;
    if (atWord("VALIDATE") && peek().isWord("STRUCTURE")) {
        advance();
        advance();
        s->clause = "VALIDATE STRUCTURE";
        bool sawOnline = false;
        for (;;) {
            if (!s->cascade && acceptWord("CASCADE")) {
                s->cascade = true;
                if (acceptWord("FAST")) {
                    s->fast = true;
                } else if (acceptWord("COMPLETE")) {
                    // COMPLETE is followed by its ONLINE or OFFLINE
                    if (acceptWord("ONLINE"))
                        s->online = true;
                    else if (!acceptWord("OFFLINE"))
                        failHere(1490);
                    sawOnline = true;
                }
            } else if (!s->into && acceptWord("INTO")) {
                s->into = parseObjectName(903, true);
            } else if (!sawOnline && (atWord("ONLINE") || atWord("OFFLINE"))) {
                s->online = advance().text == "ONLINE";
                sawOnline = true;
            } else {
                break;
            }
        }
        if (!atEnd() && !at(TokenKind::Semicolon))
            failHere(1490);
        return s;
    }

    // The other clauses: COMPUTE / ESTIMATE / DELETE [SYSTEM] STATISTICS, LIST CHAINED ROWS, VALIDATE REF UPDATE.
    if (atWord("COMPUTE") || atWord("ESTIMATE") || atWord("DELETE")) {
        s->clause = advance().text;
        if (acceptWord("SYSTEM"))
            s->clause += " SYSTEM";
        expectWord("STATISTICS", 1490);
        s->clause += " STATISTICS";
    } else if (atWord("LIST")) {
        advance();
        expectWord("CHAINED", 1490);
        expectWord("ROWS", 1490);
        s->clause = "LIST CHAINED ROWS";
    } else if (atWord("VALIDATE") && peek().isWord("REF")) {
        advance();
        advance();
        expectWord("UPDATE", 1490);
        s->clause = "VALIDATE REF UPDATE";
    } else {
        failHere(1490);
    }
    // What follows belongs to that clause (FOR ..., SAMPLE n ROWS, INTO ...): taken as written.
    while (!atEnd() && !at(TokenKind::Semicolon))
        advance();
    return s;
}

} // namespace engine::sql::detail

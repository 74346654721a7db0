// CREATE [PUBLIC] DATABASE LINK: the name of the link, the account it logs on as and the database it reaches.
#include "engine/sql/parser_impl.h"

namespace engine::sql::detail {

StatementPtr Parser::parseCreateDatabaseLink(bool isPublic, int begin)
{
    auto s = std::make_unique<CreateDatabaseLinkStmt>();
    s->offset = begin;
    s->isPublic = isPublic;
    // A link's name may carry a domain: VEXOAUDT.WORLD is one name.
    s->name = parseIdentifier(1729);
    while (accept(TokenKind::Dot)) {
        s->name.name += '.';
        s->name.name += parseIdentifier(1729).name;
    }
    if (acceptWord("CONNECT")) {
        expectWord("TO", 905);
        if (atWord("CURRENT_USER"))
            failHere(3001);
        s->user = parseIdentifier(1935);
        expectWord("IDENTIFIED", 954);
        expectWord("BY", 924);
        if (!at(TokenKind::Identifier) && !at(TokenKind::QuotedIdentifier))
            failHere(988);
        s->password = advance().text;
    }
    if (acceptWord("USING")) {
        if (!at(TokenKind::String))
            failHere(2010);
        s->usingOffset = cur().offset;
        s->connectString = advance().text;
    }
    return s;
}

} // namespace engine::sql::detail

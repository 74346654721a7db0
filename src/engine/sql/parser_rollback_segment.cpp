// ALTER ROLLBACK SEGMENT name ONLINE | OFFLINE. Its storage and SHRINK clauses are refused as not run here.
#include "engine/sql/parser_impl.h"

namespace engine::sql::detail {

StatementPtr Parser::parseAlterRollbackSegment(int offset)
{
    auto s = std::make_unique<AlterRollbackSegmentStmt>();
    s->offset = offset;
    advance(); // ROLLBACK
    expectWord("SEGMENT", 905);
    s->segment = parseIdentifier(931);
    if (acceptWord("ONLINE"))
        s->online = true;
    else if (acceptWord("OFFLINE"))
        s->online = false;
    else if (atWord("STORAGE") || atWord("SHRINK"))
        failHere(3001);
    else
        failHere(905);
    return s;
}

} // namespace engine::sql::detail

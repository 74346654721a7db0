// DML, transaction control and the small statements: SELECT, INSERT, UPDATE, DELETE, LOCK TABLE, TRUNCATE,
// COMMIT, ROLLBACK, SAVEPOINT, SET TRANSACTION, COMMENT ON, RENAME, and the recognition of PL/SQL.
#include "engine/sql/parser_impl.h"

#include <cstdlib>

namespace engine::sql::detail {

namespace {

template <typename T> std::unique_ptr<T> make(int offset)
{
    auto s = std::make_unique<T>();
    s->offset = offset;
    return s;
}

} // namespace

StatementPtr Parser::parseSelectStatement()
{
    auto s = make<SelectStmt>(cur().offset);
    s->query = parseQuery();
    return s;
}

std::optional<Returning> Parser::parseReturning()
{
    if (!atWord("RETURNING") && !atWord("RETURN"))
        return std::nullopt;
    Returning r;
    r.offset = cur().offset;
    advance();
    do {
        r.exprs.push_back(parseExpr());
    } while (accept(TokenKind::Comma));
    expectWord("INTO", 925);
    do {
        if (!at(TokenKind::Bind))
            failHere(1745);
        auto b = std::make_unique<BindExpr>();
        b->offset = cur().offset;
        b->name = cur().text;
        b->endOffset = cur().endOffset;
        advance();
        r.into.push_back(std::move(b));
    } while (accept(TokenKind::Comma));
    if (r.into.size() < r.exprs.size())
        failHere(947);
    if (r.into.size() > r.exprs.size())
        failHere(913);
    return r;
}

StatementPtr Parser::parseInsert()
{
    auto s = make<InsertStmt>(cur().offset);
    advance(); // INSERT
    if (atWord("ALL") || atWord("FIRST"))
        return parseMultiInsert(s->offset);
    expectWord("INTO", 925);
    if (at(TokenKind::LParen))
        failHere(3001); // a subquery as the target: valid Oracle, not run here yet
    s->table = parseObjectName(903);
    s->alias = parseOptionalAlias(true);
    if (at(TokenKind::LParen) && !atQueryStart()) {
        advance();
        for (;;) {
            Identifier col = parseIdentifier(904);
            // t.col is allowed by Oracle in the column list; the column is what counts
            while (accept(TokenKind::Dot))
                col = parseIdentifier(904);
            s->columns.push_back(std::move(col));
            if (accept(TokenKind::RParen))
                break;
            if (!accept(TokenKind::Comma))
                failHere(917);
        }
    }
    if (acceptWord("VALUES")) {
        NestingGuard guard(*this, cur().offset);
        expect(TokenKind::LParen, 906);
        for (;;) {
            if (atWord("DEFAULT")) {
                advance();
                s->values.push_back(nullptr);
                s->valueIsDefault.push_back(true);
            } else {
                s->values.push_back(parseExpr());
                s->valueIsDefault.push_back(false);
            }
            if (accept(TokenKind::RParen))
                break;
            if (!accept(TokenKind::Comma))
                failHere(917);
        }
    } else if (atQueryStart()) {
        s->query = parseQuery();
        noteHeight(s->query->height, s->query->offset);
    } else {
        failHere(926);
    }
    s->returning = parseReturning();
    return s;
}

StatementPtr Parser::parseUpdate()
{
    auto s = make<UpdateStmt>(cur().offset);
    advance(); // UPDATE
    if (at(TokenKind::LParen))
        failHere(3001); // a subquery as the target: valid Oracle, not run here yet
    s->table = parseObjectName(903);
    s->alias = parseOptionalAlias(true);
    expectWord("SET", 971);
    do {
        SetClause c;
        c.offset = cur().offset;
        if (at(TokenKind::LParen)) {
            c.columns = parseIdentifierList(904);
            expect(TokenKind::Eq, 927);
            const int begin = cur().offset;
            auto sub = std::make_unique<SubqueryExpr>();
            sub->query = parseSubqueryInParens();
            c.value = finish(std::move(sub), begin);
        } else {
            Identifier col = parseIdentifier(904);
            if (accept(TokenKind::Dot))
                col = parseIdentifier(904);
            c.columns.push_back(std::move(col));
            expect(TokenKind::Eq, 927);
            if (acceptWord("DEFAULT"))
                c.isDefault = true;
            else
                c.value = parseExpr();
        }
        s->sets.push_back(std::move(c));
    } while (accept(TokenKind::Comma));
    if (acceptWord("WHERE"))
        s->where = parseCondition();
    s->returning = parseReturning();
    return s;
}

StatementPtr Parser::parseDelete()
{
    auto s = make<DeleteStmt>(cur().offset);
    advance(); // DELETE
    acceptWord("FROM");
    if (at(TokenKind::LParen))
        failHere(3001); // a subquery as the target: valid Oracle, not run here yet
    s->table = parseObjectName(903);
    s->alias = parseOptionalAlias(true);
    if (acceptWord("WHERE"))
        s->where = parseCondition();
    s->returning = parseReturning();
    return s;
}

StatementPtr Parser::parseLockTable()
{
    auto s = make<LockTableStmt>(cur().offset);
    advance(); // LOCK
    expectWord("TABLE", 966);
    do {
        s->tables.push_back(parseObjectName(903));
    } while (accept(TokenKind::Comma));
    expectWord("IN", 969);
    using Mode = LockTableStmt::Mode;
    if (acceptWord("ROW")) {
        if (acceptWord("SHARE"))
            s->mode = Mode::RowShare;
        else if (acceptWord("EXCLUSIVE"))
            s->mode = Mode::RowExclusive;
        else
            failHere(1737);
    } else if (acceptWord("SHARE")) {
        if (acceptWord("UPDATE")) {
            s->mode = Mode::ShareUpdate;
        } else if (acceptWord("ROW")) {
            expectWord("EXCLUSIVE", 1737);
            s->mode = Mode::ShareRowExclusive;
        } else {
            s->mode = Mode::Share;
        }
    } else if (acceptWord("EXCLUSIVE")) {
        s->mode = Mode::Exclusive;
    } else {
        failHere(1737);
    }
    expectWord("MODE", 1739);
    if (acceptWord("NOWAIT")) {
        s->nowait = true;
    } else if (acceptWord("WAIT")) {
        if (!at(TokenKind::Number))
            failHere(936);
        s->wait = std::strtoll(advance().text.c_str(), nullptr, 10);
    }
    return s;
}

StatementPtr Parser::parseTruncate()
{
    auto s = make<TruncateStmt>(cur().offset);
    advance(); // TRUNCATE
    if (!acceptWord("TABLE"))
        failHere(3290);
    s->table = parseObjectName(903, false);
    if (acceptWord("DROP")) {
        acceptWord("ALL");
        expectWord("STORAGE", 3291);
    } else if (acceptWord("REUSE")) {
        expectWord("STORAGE", 3291);
        s->reuseStorage = true;
    }
    return s;
}

StatementPtr Parser::parseCommit()
{
    auto s = make<CommitStmt>(cur().offset);
    advance(); // COMMIT
    acceptWord("WORK");
    if (acceptWord("COMMENT")) {
        if (!at(TokenKind::String))
            failHere(1780);
        s->comment = advance().text;
    } else if (atWord("FORCE")) {
        failHere(3001);
    } else if (acceptWord("WRITE")) {
        // WRITE [WAIT|NOWAIT] [IMMEDIATE|BATCH]: durability hints; every commit here is durable
        if (!acceptWord("WAIT"))
            acceptWord("NOWAIT");
        if (!acceptWord("IMMEDIATE"))
            acceptWord("BATCH");
    }
    if (!atEnd() && !at(TokenKind::Semicolon))
        failHere(2185);
    return s;
}

StatementPtr Parser::parseRollback()
{
    auto s = make<RollbackStmt>(cur().offset);
    advance(); // ROLLBACK
    acceptWord("WORK");
    if (acceptWord("TO")) {
        acceptWord("SAVEPOINT");
        s->savepoint = parseIdentifier(931);
    } else if (atWord("FORCE")) {
        failHere(3001);
    }
    if (!atEnd() && !at(TokenKind::Semicolon))
        failHere(2181);
    return s;
}

StatementPtr Parser::parseSavepoint()
{
    auto s = make<SavepointStmt>(cur().offset);
    advance(); // SAVEPOINT
    s->name = parseIdentifier(931);
    return s;
}

StatementPtr Parser::parseSet()
{
    const int begin = cur().offset;
    advance(); // SET
    if (atWord("ROLE") || atWord("CONSTRAINT") || atWord("CONSTRAINTS"))
        failHere(3001);
    if (!acceptWord("TRANSACTION"))
        failHere(922);
    auto s = make<SetTransactionStmt>(begin);
    using Mode = SetTransactionStmt::Mode;
    if (acceptWord("READ")) {
        if (acceptWord("ONLY"))
            s->mode = Mode::ReadOnly;
        else if (acceptWord("WRITE"))
            s->mode = Mode::ReadWrite;
        else
            failHere(905);
    } else if (acceptWord("ISOLATION")) {
        expectWord("LEVEL", 905);
        if (acceptWord("SERIALIZABLE")) {
            s->mode = Mode::Serializable;
        } else if (acceptWord("READ")) {
            expectWord("COMMITTED", 905);
            s->mode = Mode::ReadCommitted;
        } else {
            failHere(905);
        }
    } else if (acceptWord("USE")) {
        expectWord("ROLLBACK", 905);
        expectWord("SEGMENT", 905);
        s->mode = Mode::UseRollbackSegment;
        s->rollbackSegment = parseIdentifier(931);
    } else if (!atWord("NAME")) {
        failHere(922);
    }
    if (acceptWord("NAME")) {
        if (!at(TokenKind::String))
            failHere(1780);
        s->name = advance().text;
    }
    return s;
}

StatementPtr Parser::parseComment()
{
    auto s = make<CommentStmt>(cur().offset);
    advance(); // COMMENT
    expectWord("ON", 969);
    if (acceptWord("TABLE")) {
        s->target = CommentStmt::Target::Table;
        s->table = parseObjectName(903, false);
    } else if (acceptWord("COLUMN")) {
        s->target = CommentStmt::Target::Column;
        const int begin = cur().offset;
        std::vector<Identifier> parts;
        parts.push_back(parseIdentifier(904));
        while (accept(TokenKind::Dot))
            parts.push_back(parseIdentifier(904));
        if (parts.size() < 2 || parts.size() > 3)
            fail(1747, begin);
        s->column = parts.back();
        s->table.offset = begin;
        s->table.name = parts[parts.size() - 2];
        if (parts.size() == 3)
            s->table.schema = parts[0];
    } else if (atWord("VIEW") || atWord("MATERIALIZED") || atWord("OPERATOR") || atWord("INDEXTYPE")) {
        failHere(3001);
    } else {
        failHere(905);
    }
    expectWord("IS", 905);
    if (!at(TokenKind::String))
        failHere(1780);
    s->text = advance().text;
    return s;
}

StatementPtr Parser::parseRename()
{
    auto s = make<RenameStmt>(cur().offset);
    advance(); // RENAME
    s->from = parseIdentifier(903);
    expectWord("TO", 946);
    s->to = parseIdentifier(903);
    return s;
}

StatementPtr Parser::parsePlSql(PlSqlStmt::Unit unit, bool orReplace, bool named)
{
    auto s = make<PlSqlStmt>(toks.front().offset);
    s->unit = unit;
    s->orReplace = orReplace;
    if (named)
        s->name = parseObjectName(903, false);
    // The PL/SQL stage parses the text; here it is only kept whole, up to its last non-blank byte.
    size_t end = sql.size();
    while (end > static_cast<size_t>(s->offset)
        && (sql[end - 1] == ' ' || sql[end - 1] == '\t' || sql[end - 1] == '\n' || sql[end - 1] == '\r'
            || sql[end - 1] == '\f' || sql[end - 1] == '\v'))
        --end;
    s->endOffset = static_cast<int>(end);
    s->text = textBetween(s->offset, s->endOffset);
    pos = toks.size() - 1;
    return s;
}

} // namespace engine::sql::detail

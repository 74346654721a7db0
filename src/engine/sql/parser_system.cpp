// ALTER SYSTEM: SET of initialization parameters, ENABLE/DISABLE RESTRICTED SESSION and KILL SESSION. The other
// forms Oracle knows are refused as unimplemented, words it does not know with its own ORA-02065.
#include "engine/sql/parser_impl.h"

namespace engine::sql::detail {

namespace {

std::unique_ptr<AlterSystemStmt> newStatement(int offset)
{
    auto s = std::make_unique<AlterSystemStmt>();
    s->offset = offset;
    return s;
}

bool isClauseWord(const Token& t)
{
    return t.isWord("COMMENT") || t.isWord("SCOPE") || t.isWord("SID") || t.isWord("DEFERRED") || t.isWord("CONTAINER");
}

} // namespace

StatementPtr Parser::parseAlterSystem()
{
    auto s = newStatement(toks.front().offset);
    using Action = AlterSystemStmt::Action;
    if (atWord("ENABLE") || atWord("DISABLE")) {
        const bool enable = atWord("ENABLE");
        advance();
        if (atWord("RESTRICTED")) {
            advance();
            expectWord("SESSION", 2065);
            s->action = enable ? Action::EnableRestrictedSession : Action::DisableRestrictedSession;
            return s;
        }
        if (atWord("DISTRIBUTED"))
            failHere(3001);
        failHere(2065);
    }
    if (atWord("KILL")) {
        advance();
        expectWord("SESSION", 2065);
        if (!at(TokenKind::String))
            failHere(26);
        s->action = Action::KillSession;
        s->sessionOffset = cur().offset;
        s->session = advance().text;
        s->immediate = acceptWord("IMMEDIATE");
        return s;
    }
    if (atWord("SET")) {
        advance();
        s->action = Action::Set;
        while (at(TokenKind::Identifier) && !isClauseWord(cur())) {
            AlterSystemStmt::Setting set;
            const Token& n = advance();
            set.name = Identifier { n.text, false, n.offset };
            expect(TokenKind::Eq, 922);
            set.valueOffset = cur().offset;
            for (;;) {
                if (at(TokenKind::String)) {
                    set.quoted = set.quoted || set.values.empty();
                    set.values.push_back(advance().text);
                } else if (at(TokenKind::Number) || at(TokenKind::Minus) || at(TokenKind::Plus)) {
                    std::string number = parseSignedNumber(922);
                    // 100M, 2G: the unit follows the digits without a blank.
                    if (at(TokenKind::Identifier) && cur().offset == prevEnd() && cur().text.size() == 1)
                        number += advance().text;
                    set.values.push_back(number);
                } else if (at(TokenKind::Identifier) || at(TokenKind::QuotedIdentifier)) {
                    set.values.push_back(advance().text);
                } else {
                    failHere(922);
                }
                if (!accept(TokenKind::Comma))
                    break;
            }
            s->settings.push_back(std::move(set));
        }
        if (s->settings.empty())
            failHere(922);
        for (;;) {
            if (acceptWord("COMMENT")) {
                expect(TokenKind::Eq, 922);
                if (!at(TokenKind::String))
                    failHere(922);
                s->comment = advance().text;
            } else if (acceptWord("DEFERRED")) {
                s->deferred = true;
            } else if (atWord("SCOPE")) {
                advance();
                expect(TokenKind::Eq, 922);
                s->scopeOffset = cur().offset;
                if (!atWord("MEMORY") && !atWord("SPFILE") && !atWord("BOTH"))
                    failHere(922);
                s->scope = advance().text;
            } else if (acceptWord("SID")) {
                expect(TokenKind::Eq, 922);
                if (!at(TokenKind::String))
                    failHere(922);
                s->sid = advance().text;
            } else if (atWord("CONTAINER")) {
                failHere(3001);
            } else {
                break;
            }
        }
        return s;
    }
    static constexpr const char* Later[] = { "CHECKPOINT", "SWITCH", "FLUSH", "ARCHIVE", "RESET", "DISCONNECT",
        "SUSPEND", "RESUME", "QUIESCE", "UNQUIESCE", "REGISTER", "CHECK", "SHUTDOWN", "RELOCATE", "CANCEL", "START",
        "STOP", "SECURITY", "ADD", "DELETE" };
    for (const char* w : Later)
        if (atWord(w))
            failHere(3001);
    failHere(2065);
}

} // namespace engine::sql::detail

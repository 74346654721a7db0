// Datetime literals: TIMESTAMP '...' and INTERVAL '...' with its qualifier (YEAR TO MONTH, DAY(3) TO SECOND(2),
// HOUR, SECOND(2, 3) ...). The text is checked by the binder, which knows Oracle's errors for it.
#include "engine/sql/parser_impl.h"

#include <cstdlib>

namespace engine::sql::detail {

namespace {

bool isIntervalField(const std::string& w)
{
    return w == "YEAR" || w == "MONTH" || w == "DAY" || w == "HOUR" || w == "MINUTE" || w == "SECOND";
}

int fieldRank(const std::string& w)
{
    static const char* const order[] = { "YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND" };
    for (int i = 0; i < 6; ++i)
        if (w == order[i])
            return i;
    return -1;
}

} // namespace

ExprPtr Parser::parseDatetimeLiteral()
{
    const int begin = cur().offset;
    const bool interval = advance().text == "INTERVAL";
    auto l = std::make_unique<LiteralExpr>();
    l->text = advance().text;
    if (!interval) {
        l->type = LiteralExpr::Type::Timestamp;
        return finish(std::move(l), begin);
    }
    l->type = LiteralExpr::Type::Interval;
    auto precision = [this]() -> int64_t {
        if (!at(TokenKind::Number))
            failHere(30088);
        const Token& n = advance();
        if (n.text.find_first_of(".eE") != std::string::npos)
            fail(30088, n.offset);
        const int64_t v = std::strtoll(n.text.c_str(), nullptr, 10);
        if (v > 9)
            fail(30088, n.offset);
        return v;
    };
    if (!at(TokenKind::Identifier) || !isIntervalField(cur().text))
        failHere(905);
    l->intervalFrom = advance().text;
    if (accept(TokenKind::LParen)) {
        l->leading = precision();
        if (l->intervalFrom == "SECOND" && accept(TokenKind::Comma))
            l->fraction = precision();
        expect(TokenKind::RParen, 907);
    }
    if (acceptWord("TO")) {
        if (!at(TokenKind::Identifier) || !isIntervalField(cur().text))
            failHere(905);
        const int at = cur().offset;
        l->intervalTo = advance().text;
        const int from = fieldRank(l->intervalFrom);
        const int to = fieldRank(l->intervalTo);
        // YEAR TO MONTH, or a day-time field to a later one; SECOND is always last.
        if (to <= from || (from <= 1) != (to <= 1) || l->intervalFrom == "SECOND")
            fail(30089, at);
        if (l->intervalTo == "SECOND" && accept(TokenKind::LParen)) {
            l->fraction = precision();
            expect(TokenKind::RParen, 907);
        }
    }
    return finish(std::move(l), begin);
}

ExprPtr Parser::parseAtTimeZone(ExprPtr operand, int begin)
{
    while (atWord("AT") && (peek().isWord("TIME") || peek().isWord("LOCAL"))) {
        advance();
        auto call = std::make_unique<FunctionCallExpr>();
        Identifier name;
        name.name = kAtTimeZoneName;
        name.quoted = true;
        name.offset = begin;
        call->name.push_back(name);
        call->args.push_back(std::move(operand));
        if (!acceptWord("LOCAL")) {
            expectWord("TIME", 905);
            expectWord("ZONE", 905);
            call->args.push_back(parsePrimary());
        }
        operand = finish(std::move(call), begin);
    }
    return operand;
}

} // namespace engine::sql::detail

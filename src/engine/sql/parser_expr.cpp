// Expressions and conditions, by Oracle's precedence: OR, AND, NOT, comparisons and other conditions,
// + - || (one level, left to right), * /, prefix + - PRIOR, then primaries.
#include "engine/sql/parser_impl.h"

#include <algorithm>

namespace engine::sql::detail {

namespace {

int heightOf(const ExprPtr& e)
{
    return e ? e->height : 0;
}

int computeHeight(const Expr& e)
{
    int h = 0;
    auto take = [&h](const ExprPtr& c) { h = std::max(h, heightOf(c)); };
    auto takeQuery = [&h](const std::unique_ptr<Query>& q) {
        if (q)
            h = std::max(h, q->height);
    };
    switch (e.kind) {
    case ExprKind::Literal:
    case ExprKind::Bind:
    case ExprKind::ColumnRef:
    case ExprKind::PseudoColumn:
    case ExprKind::SequenceRef:
        break;
    case ExprKind::FunctionCall: {
        const auto* f = e.as<FunctionCallExpr>();
        for (const ExprPtr& a : f->args)
            take(a);
        for (const OrderItem& o : f->withinOrder)
            take(o.expr);
        if (f->keep)
            for (const OrderItem& o : f->keep->orderBy)
                take(o.expr);
        if (f->over) {
            for (const ExprPtr& p : f->over->partitionBy)
                take(p);
            for (const OrderItem& o : f->over->orderBy)
                take(o.expr);
            if (f->over->frame) {
                take(f->over->frame->start.offset);
                if (f->over->frame->end)
                    take(f->over->frame->end->offset);
            }
        }
        if (f->overflow)
            take(f->overflow->indicator);
        break;
    }
    case ExprKind::Case: {
        const auto* c = e.as<CaseExpr>();
        take(c->operand);
        for (const CaseWhen& w : c->whens) {
            take(w.when);
            take(w.then);
        }
        take(c->elseExpr);
        break;
    }
    case ExprKind::Unary:
        take(e.as<UnaryExpr>()->operand);
        break;
    case ExprKind::Binary:
        take(e.as<BinaryExpr>()->left);
        take(e.as<BinaryExpr>()->right);
        break;
    case ExprKind::Comparison:
        take(e.as<ComparisonExpr>()->left);
        take(e.as<ComparisonExpr>()->right);
        break;
    case ExprKind::QuantifiedComparison: {
        const auto* q = e.as<QuantifiedComparisonExpr>();
        take(q->left);
        for (const ExprPtr& a : q->list)
            take(a);
        takeQuery(q->subquery);
        break;
    }
    case ExprKind::InList:
        take(e.as<InListExpr>()->left);
        for (const ExprPtr& a : e.as<InListExpr>()->list)
            take(a);
        break;
    case ExprKind::InSubquery:
        take(e.as<InSubqueryExpr>()->left);
        takeQuery(e.as<InSubqueryExpr>()->subquery);
        break;
    case ExprKind::Exists:
        takeQuery(e.as<ExistsExpr>()->subquery);
        break;
    case ExprKind::Between:
        take(e.as<BetweenExpr>()->value);
        take(e.as<BetweenExpr>()->low);
        take(e.as<BetweenExpr>()->high);
        break;
    case ExprKind::Like:
        take(e.as<LikeExpr>()->value);
        take(e.as<LikeExpr>()->pattern);
        take(e.as<LikeExpr>()->escape);
        break;
    case ExprKind::IsNull:
        take(e.as<IsNullExpr>()->value);
        break;
    case ExprKind::Subquery:
        takeQuery(e.as<SubqueryExpr>()->query);
        break;
    case ExprKind::Tuple:
        for (const ExprPtr& a : e.as<TupleExpr>()->items)
            take(a);
        break;
    }
    return h + 1;
}

bool compareOp(TokenKind k, CompareOp& op)
{
    switch (k) {
    case TokenKind::Eq:
        op = CompareOp::Eq;
        return true;
    case TokenKind::Ne:
        op = CompareOp::Ne;
        return true;
    case TokenKind::Lt:
        op = CompareOp::Lt;
        return true;
    case TokenKind::Le:
        op = CompareOp::Le;
        return true;
    case TokenKind::Gt:
        op = CompareOp::Gt;
        return true;
    case TokenKind::Ge:
        op = CompareOp::Ge;
        return true;
    default:
        return false;
    }
}

constexpr size_t MaxListExpressions = 1000;

} // namespace

void Parser::noteHeight(int h, int offset)
{
    if (h > MaxTreeHeight)
        fail(3095, offset, std::to_string(MaxTreeHeight));
    queryHeight = std::max(queryHeight, h);
}

ExprPtr Parser::finish(ExprPtr e, int begin)
{
    e->offset = begin;
    e->endOffset = prevEnd();
    e->height = computeHeight(*e);
    noteHeight(e->height, begin);
    return e;
}

bool Parser::isCondition(const Expr& e)
{
    switch (e.kind) {
    case ExprKind::Comparison:
    case ExprKind::QuantifiedComparison:
    case ExprKind::InList:
    case ExprKind::InSubquery:
    case ExprKind::Exists:
    case ExprKind::Between:
    case ExprKind::Like:
    case ExprKind::IsNull:
        return true;
    case ExprKind::Binary: {
        auto op = e.as<BinaryExpr>()->op;
        return op == BinaryExpr::Op::And || op == BinaryExpr::Op::Or;
    }
    case ExprKind::FunctionCall: {
        // REGEXP_LIKE and LNNVL are conditions written as calls.
        const auto* f = e.as<FunctionCallExpr>();
        return f->name.size() == 1 && !f->name[0].quoted && !f->over
            && (f->name[0].name == "REGEXP_LIKE" || f->name[0].name == "LNNVL");
    }
    case ExprKind::Unary:
        return e.as<UnaryExpr>()->op == UnaryExpr::Op::Not;
    default:
        return false;
    }
}

ExprPtr Parser::parseExpr()
{
    ConditionScope scope(*this, false);
    return parseAdditive();
}

ExprPtr Parser::parseCondition()
{
    ConditionScope scope(*this, true);
    ExprPtr e = parseOr();
    if (!isCondition(*e))
        failHere(920);
    return e;
}

ExprPtr Parser::parseOr()
{
    const int begin = cur().offset;
    ExprPtr left = parseAnd();
    while (at(TokenKind::Identifier) && cur().text == "OR") {
        if (!isCondition(*left))
            failHere(920);
        advance();
        ExprPtr right = parseAnd();
        if (!isCondition(*right))
            failHere(920);
        auto b = std::make_unique<BinaryExpr>();
        b->op = BinaryExpr::Op::Or;
        b->left = std::move(left);
        b->right = std::move(right);
        left = finish(std::move(b), begin);
    }
    return left;
}

ExprPtr Parser::parseAnd()
{
    const int begin = cur().offset;
    ExprPtr left = parseNot();
    while (at(TokenKind::Identifier) && cur().text == "AND") {
        if (!isCondition(*left))
            failHere(920);
        advance();
        ExprPtr right = parseNot();
        if (!isCondition(*right))
            failHere(920);
        auto b = std::make_unique<BinaryExpr>();
        b->op = BinaryExpr::Op::And;
        b->left = std::move(left);
        b->right = std::move(right);
        left = finish(std::move(b), begin);
    }
    return left;
}

ExprPtr Parser::parseNot()
{
    if (!atWord("NOT"))
        return parsePredicate();
    const int begin = cur().offset;
    NestingGuard guard(*this, begin);
    advance();
    ExprPtr operand = parseNot();
    if (!isCondition(*operand))
        failHere(920);
    auto u = std::make_unique<UnaryExpr>();
    u->op = UnaryExpr::Op::Not;
    u->operand = std::move(operand);
    return finish(std::move(u), begin);
}

ExprPtr Parser::parsePredicate()
{
    const int begin = cur().offset;
    if (atWord("EXISTS")) {
        advance();
        auto e = std::make_unique<ExistsExpr>();
        e->subquery = parseSubqueryInParens();
        return finish(std::move(e), begin);
    }
    ExprPtr left;
    {
        ConditionScope scope(*this, true);
        left = parseAdditive();
    }
    if (isCondition(*left))
        return left; // a parenthesised condition
    ConditionScope scope(*this, false);

    CompareOp op;
    if (compareOp(cur().kind, op)) {
        advance();
        if (atWord("ANY") || atWord("SOME") || atWord("ALL")) {
            auto q = std::make_unique<QuantifiedComparisonExpr>();
            q->quantifier
                = atWord("ALL") ? QuantifiedComparisonExpr::Quantifier::All : QuantifiedComparisonExpr::Quantifier::Any;
            advance();
            q->op = op;
            q->left = std::move(left);
            if (!at(TokenKind::LParen))
                failHere(906);
            if (peek().isWord("SELECT") || peek().isWord("WITH")) {
                q->subquery = parseSubqueryInParens();
            } else {
                q->list = parseExprListInParens(false);
                if (q->list.size() == 1 && q->list[0]->kind == ExprKind::Subquery) {
                    q->subquery = std::move(q->list[0]->as<SubqueryExpr>()->query);
                    q->list.clear();
                }
            }
            return finish(std::move(q), begin);
        }
        auto c = std::make_unique<ComparisonExpr>();
        c->op = op;
        c->left = std::move(left);
        c->right = parseExpr();
        return finish(std::move(c), begin);
    }
    if (atWord("IS")) {
        advance();
        auto n = std::make_unique<IsNullExpr>();
        n->negated = acceptWord("NOT");
        expectWord("NULL", 908);
        n->value = std::move(left);
        return finish(std::move(n), begin);
    }
    bool negated = false;
    if (atWord("NOT")) {
        if (!peek().isWord("IN") && !peek().isWord("LIKE") && !peek().isWord("BETWEEN"))
            fail(920, cur().offset);
        advance();
        negated = true;
    }
    if (atWord("IN")) {
        advance();
        if (!at(TokenKind::LParen))
            failHere(906);
        if (peek().isWord("SELECT") || peek().isWord("WITH")) {
            auto in = std::make_unique<InSubqueryExpr>();
            in->negated = negated;
            in->left = std::move(left);
            in->subquery = parseSubqueryInParens();
            return finish(std::move(in), begin);
        }
        std::vector<ExprPtr> list = parseExprListInParens(false);
        if (list.size() == 1 && list[0]->kind == ExprKind::Subquery) {
            // x IN ((select ...)): the extra parentheses do not make the subquery a scalar one
            auto in = std::make_unique<InSubqueryExpr>();
            in->negated = negated;
            in->left = std::move(left);
            in->subquery = std::move(list[0]->as<SubqueryExpr>()->query);
            return finish(std::move(in), begin);
        }
        auto in = std::make_unique<InListExpr>();
        in->negated = negated;
        in->left = std::move(left);
        in->list = std::move(list);
        return finish(std::move(in), begin);
    }
    if (atWord("LIKE")) {
        advance();
        auto l = std::make_unique<LikeExpr>();
        l->negated = negated;
        l->value = std::move(left);
        l->pattern = parseExpr();
        if (acceptWord("ESCAPE"))
            l->escape = parseExpr();
        return finish(std::move(l), begin);
    }
    if (atWord("BETWEEN")) {
        advance();
        auto b = std::make_unique<BetweenExpr>();
        b->negated = negated;
        b->value = std::move(left);
        b->low = parseExpr();
        expectWord("AND", 905);
        b->high = parseExpr();
        return finish(std::move(b), begin);
    }
    return left;
}

ExprPtr Parser::parseAdditive()
{
    const int begin = cur().offset;
    ExprPtr left = parseMultiplicative();
    for (;;) {
        BinaryExpr::Op op;
        if (at(TokenKind::Plus))
            op = BinaryExpr::Op::Add;
        else if (at(TokenKind::Minus))
            op = BinaryExpr::Op::Subtract;
        else if (at(TokenKind::Concat))
            op = BinaryExpr::Op::Concat;
        else
            return left;
        if (isCondition(*left))
            failHere(907);
        advance();
        ExprPtr right = parseMultiplicative();
        if (isCondition(*right))
            failHere(907);
        auto b = std::make_unique<BinaryExpr>();
        b->op = op;
        b->left = std::move(left);
        b->right = std::move(right);
        left = finish(std::move(b), begin);
    }
}

ExprPtr Parser::parseMultiplicative()
{
    const int begin = cur().offset;
    ExprPtr left = parseUnary();
    for (;;) {
        BinaryExpr::Op op;
        if (at(TokenKind::Star))
            op = BinaryExpr::Op::Multiply;
        else if (at(TokenKind::Slash))
            op = BinaryExpr::Op::Divide;
        else
            return left;
        if (isCondition(*left))
            failHere(907);
        advance();
        ExprPtr right = parseUnary();
        if (isCondition(*right))
            failHere(907);
        auto b = std::make_unique<BinaryExpr>();
        b->op = op;
        b->left = std::move(left);
        b->right = std::move(right);
        left = finish(std::move(b), begin);
    }
}

ExprPtr Parser::parseUnary()
{
    UnaryExpr::Op op;
    if (at(TokenKind::Minus))
        op = UnaryExpr::Op::Minus;
    else if (at(TokenKind::Plus))
        op = UnaryExpr::Op::Plus;
    else if (atWord("PRIOR"))
        op = UnaryExpr::Op::Prior;
    else if (atWord("CONNECT_BY_ROOT") && !peek().is(TokenKind::Comma) && !peek().is(TokenKind::RParen)
        && !peek().isWord("FROM") && !peek().is(TokenKind::End))
        op = UnaryExpr::Op::ConnectByRoot;
    else {
        const int at = cur().offset;
        return parseAtTimeZone(parsePrimary(), at);
    }
    const int begin = cur().offset;
    NestingGuard guard(*this, begin);
    advance();
    ExprPtr operand = parseUnary();
    if (isCondition(*operand))
        failHere(907);
    auto u = std::make_unique<UnaryExpr>();
    u->op = op;
    u->operand = std::move(operand);
    return finish(std::move(u), begin);
}

ExprPtr Parser::parsePrimary()
{
    const Token& t = cur();
    const int begin = t.offset;
    switch (t.kind) {
    case TokenKind::Number: {
        auto l = std::make_unique<LiteralExpr>();
        l->type = LiteralExpr::Type::Number;
        l->text = advance().text;
        return finish(std::move(l), begin);
    }
    case TokenKind::String:
    case TokenKind::NationalString: {
        auto l = std::make_unique<LiteralExpr>();
        l->type = t.kind == TokenKind::String ? LiteralExpr::Type::Text : LiteralExpr::Type::NationalText;
        l->text = advance().text;
        return finish(std::move(l), begin);
    }
    case TokenKind::Bind: {
        auto b = std::make_unique<BindExpr>();
        b->name = advance().text;
        return finish(std::move(b), begin);
    }
    case TokenKind::LParen:
        return parseParenthesized();
    case TokenKind::QuotedIdentifier:
        return parseNameExpr();
    case TokenKind::Identifier:
        break;
    default:
        failHere(936);
    }

    const std::string& w = t.text;
    if (w == "NULL") {
        advance();
        auto l = std::make_unique<LiteralExpr>();
        l->type = LiteralExpr::Type::Null;
        return finish(std::move(l), begin);
    }
    if (w == "DATE") {
        advance();
        if (!at(TokenKind::String))
            failHere(936);
        auto l = std::make_unique<LiteralExpr>();
        l->type = LiteralExpr::Type::Date;
        l->text = advance().text;
        return finish(std::move(l), begin);
    }
    if ((w == "TIMESTAMP" || w == "INTERVAL") && peek().is(TokenKind::String))
        return parseDatetimeLiteral();
    if (w == "CASE")
        return parseCase();
    if (t.reserved) {
        PseudoColumnExpr::Which which;
        if (w == "ROWNUM")
            which = PseudoColumnExpr::Which::Rownum;
        else if (w == "ROWID")
            which = PseudoColumnExpr::Which::Rowid;
        else if (w == "LEVEL")
            which = PseudoColumnExpr::Which::Level;
        else if (w == "SYSDATE")
            which = PseudoColumnExpr::Which::Sysdate;
        else if (w == "USER")
            which = PseudoColumnExpr::Which::User;
        else if (w == "UID")
            which = PseudoColumnExpr::Which::Uid;
        else
            failHere(936);
        advance();
        auto p = std::make_unique<PseudoColumnExpr>();
        p->which = which;
        if (which == PseudoColumnExpr::Which::Rowid && at(TokenKind::OuterJoin)) {
            advance();
            p->outerJoin = true;
        }
        return finish(std::move(p), begin);
    }
    return parseNameExpr();
}

ExprPtr Parser::parseParenthesized()
{
    const int begin = cur().offset;
    NestingGuard guard(*this, begin);
    advance(); // (
    if (atWord("SELECT") || atWord("WITH")) {
        auto s = std::make_unique<SubqueryExpr>();
        s->query = parseQuery();
        expect(TokenKind::RParen, 907);
        return finish(std::move(s), begin);
    }
    ExprPtr inner;
    if (conditionParens) {
        ConditionScope scope(*this, true);
        inner = parseOr();
    } else {
        inner = parseExpr();
    }
    if (inner->kind == ExprKind::Subquery && (atWord("UNION") || atWord("INTERSECT") || atWord("MINUS"))) {
        // ((select ...) union (select ...)): the first operand came parenthesised
        auto s = std::make_unique<SubqueryExpr>();
        s->query = continueQuery(std::move(inner->as<SubqueryExpr>()->query));
        expect(TokenKind::RParen, 907);
        return finish(std::move(s), begin);
    }
    if (at(TokenKind::Comma)) {
        if (isCondition(*inner))
            failHere(907);
        auto tuple = std::make_unique<TupleExpr>();
        tuple->items.push_back(std::move(inner));
        while (accept(TokenKind::Comma)) {
            if (tuple->items.size() >= MaxListExpressions)
                failHere(1795);
            tuple->items.push_back(parseExpr());
        }
        expect(TokenKind::RParen, 907);
        return finish(std::move(tuple), begin);
    }
    expect(TokenKind::RParen, 907);
    return inner;
}

std::vector<ExprPtr> Parser::parseExprListInParens(bool conditionsAllowed)
{
    std::vector<ExprPtr> out;
    NestingGuard guard(*this, cur().offset);
    expect(TokenKind::LParen, 906);
    do {
        if (out.size() >= MaxListExpressions)
            failHere(1795);
        ExprPtr item = conditionsAllowed ? parseCondition() : parseExpr();
        if (item->kind == ExprKind::Subquery && atSetOperator()) {
            // ((select ...) union (select ...)): the first operand came parenthesised
            const int begin = item->offset;
            auto s = std::make_unique<SubqueryExpr>();
            s->query = continueQuery(std::move(item->as<SubqueryExpr>()->query));
            item = finish(std::move(s), begin);
        }
        out.push_back(std::move(item));
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RParen, 907);
    return out;
}

std::unique_ptr<Query> Parser::parseSubqueryInParens()
{
    NestingGuard guard(*this, cur().offset);
    expect(TokenKind::LParen, 906);
    if (!atWord("SELECT") && !atWord("WITH") && !at(TokenKind::LParen))
        failHere(928);
    std::unique_ptr<Query> q = parseQuery();
    expect(TokenKind::RParen, 907);
    return q;
}

ExprPtr Parser::parseNameExpr()
{
    const int begin = cur().offset;
    std::vector<Identifier> parts;
    parts.push_back(parseIdentifier(936));
    while (at(TokenKind::Dot)) {
        advance();
        if (at(TokenKind::Identifier) && cur().reserved && cur().text == "ROWID") {
            const Token& t = advance();
            parts.push_back(Identifier { t.text, false, t.offset });
            break;
        }
        if (!atNameToken())
            failHere(1747);
        parts.push_back(parseIdentifier(1747));
    }
    const Identifier& last = parts.back();
    const bool lastPlain = !last.quoted;

    if (parts.size() >= 2 && lastPlain && (last.name == "NEXTVAL" || last.name == "CURRVAL")) {
        if (parts.size() > 3)
            fail(1747, begin);
        auto s = std::make_unique<SequenceRefExpr>();
        s->nextVal = last.name == "NEXTVAL";
        s->sequence.offset = begin;
        if (parts.size() == 3)
            s->sequence.schema = parts[0];
        s->sequence.name = parts[parts.size() - 2];
        if (at(TokenKind::At)) {
            advance();
            ObjectName link = parseObjectName(1747, false);
            Identifier l = link.name;
            if (link.schema)
                l = Identifier { link.schema->name + "." + link.name.name, false, link.schema->offset };
            s->sequence.dblink = l;
        }
        return finish(std::move(s), begin);
    }
    if (parts.size() >= 2 && lastPlain && last.name == "ROWID") {
        if (parts.size() > 3)
            fail(1747, begin);
        auto p = std::make_unique<PseudoColumnExpr>();
        p->which = PseudoColumnExpr::Which::Rowid;
        parts.pop_back();
        p->qualifier = std::move(parts);
        if (accept(TokenKind::OuterJoin))
            p->outerJoin = true;
        return finish(std::move(p), begin);
    }

    std::optional<Identifier> dblink;
    if (at(TokenKind::At) && peek(1).kind != TokenKind::End) {
        advance();
        dblink = parseIdentifier(1747);
        while (at(TokenKind::Dot) && peek().kind != TokenKind::LParen) {
            advance();
            dblink->name += "." + parseIdentifier(1747).name;
        }
        if (!at(TokenKind::LParen))
            failHere(906);
    }

    if (at(TokenKind::LParen)) {
        if (parts.size() > 3)
            fail(1747, begin);
        auto call = std::make_unique<FunctionCallExpr>();
        call->name = std::move(parts);
        call->dblink = std::move(dblink);
        call->offset = begin;
        return parseFunctionArgs(std::move(call));
    }

    if (parts.size() == 1 && lastPlain) {
        const std::string& n = last.name;
        if (n == "SYSTIMESTAMP") {
            auto p = std::make_unique<PseudoColumnExpr>();
            p->which = PseudoColumnExpr::Which::Systimestamp;
            return finish(std::move(p), begin);
        }
        if (n == "CURRENT_DATE" || n == "CURRENT_TIMESTAMP" || n == "LOCALTIMESTAMP" || n == "SESSIONTIMEZONE"
            || n == "DBTIMEZONE") {
            auto call = std::make_unique<FunctionCallExpr>();
            call->name = std::move(parts);
            return finish(std::move(call), begin);
        }
    }
    if (parts.size() > 3)
        fail(1747, begin);
    auto c = std::make_unique<ColumnRefExpr>();
    c->parts = std::move(parts);
    if (accept(TokenKind::OuterJoin))
        c->outerJoin = true;
    return finish(std::move(c), begin);
}

// TO_NUMBER, TO_DATE, CAST ... (x DEFAULT y ON CONVERSION ERROR): named rather than reported as a missing parenthesis.
void Parser::refuseConversionDefault() const
{
    if (atWord("DEFAULT"))
        fail(3001, cur().offset, "DEFAULT ON CONVERSION ERROR");
}

ExprPtr Parser::parseFunctionArgs(std::unique_ptr<FunctionCallExpr> call)
{
    const int begin = call->offset;
    NestingGuard guard(*this, cur().offset);
    ConditionScope scope(*this, false);
    expect(TokenKind::LParen, 906);
    const bool plain = call->name.size() == 1 && !call->name.back().quoted;
    const std::string fname = plain ? call->name.back().name : std::string();

    if (fname == "VALIDATE_CONVERSION")
        fail(3001, begin, "VALIDATE_CONVERSION");
    if (fname == "CAST") {
        call->args.push_back(parseExpr());
        expectWord("AS", 905);
        call->castType = parseDataType();
        refuseConversionDefault();
        expect(TokenKind::RParen, 907);
        return finish(std::move(call), begin);
    }
    if (fname == "EXTRACT") {
        if (!at(TokenKind::Identifier))
            failHere(905);
        call->keyword = advance().text;
        expectWord("FROM", 905);
        call->fromForm = true;
        call->args.push_back(parseExpr());
        expect(TokenKind::RParen, 907);
        return finish(std::move(call), begin);
    }
    if (fname == "LNNVL") {
        // LNNVL(condition): true when the condition is false or unknown.
        call->args.push_back(parseCondition());
        expect(TokenKind::RParen, 907);
        return finish(std::move(call), begin);
    }
    if (fname == "TRIM") {
        if (atWord("LEADING") || atWord("TRAILING") || atWord("BOTH"))
            call->keyword = advance().text;
        if (!call->keyword.empty() && acceptWord("FROM")) {
            call->fromForm = true;
            call->args.push_back(parseExpr());
            expect(TokenKind::RParen, 907);
            return finish(std::move(call), begin);
        }
        call->args.push_back(parseExpr());
        if (acceptWord("FROM")) {
            call->fromForm = true;
            call->args.push_back(parseExpr());
        } else if (!call->keyword.empty()) {
            failHere(905);
        }
        expect(TokenKind::RParen, 907);
        return finish(std::move(call), begin);
    }

    if (at(TokenKind::RParen)) {
        advance();
    } else {
        if (atWord("DISTINCT") || atWord("UNIQUE")) {
            advance();
            call->quantifier = FunctionCallExpr::Quantifier::Distinct;
        } else if (atWord("ALL")) {
            advance();
            call->quantifier = FunctionCallExpr::Quantifier::All;
        }
        if (call->quantifier == FunctionCallExpr::Quantifier::None && at(TokenKind::Star)
            && peek().is(TokenKind::RParen)) {
            advance();
            call->star = true;
        } else {
            bool named = false;
            do {
                Identifier argName;
                if ((at(TokenKind::Identifier) || at(TokenKind::QuotedIdentifier)) && peek().is(TokenKind::Arrow)) {
                    argName = parseIdentifier(936);
                    advance(); // =>
                    if (!named) {
                        call->argNames.resize(call->args.size());
                        named = true;
                    }
                }
                call->args.push_back(parseExpr());
                if (named)
                    call->argNames.push_back(std::move(argName));
                if (call->args.size() == 1)
                    parseNullsTreatment(*call);
                refuseConversionDefault();
            } while (accept(TokenKind::Comma));
            if (fname == "LISTAGG" && atWord("ON")) {
                // ON OVERFLOW ERROR | TRUNCATE ['indicator'] [WITH | WITHOUT COUNT]
                advance();
                expectWord("OVERFLOW", 905);
                ListaggOverflow o;
                if (acceptWord("TRUNCATE")) {
                    o.truncate = true;
                    if (!atWord("WITH") && !atWord("WITHOUT") && !at(TokenKind::RParen))
                        o.indicator = parseExpr();
                    if (acceptWord("WITH"))
                        expectWord("COUNT", 905);
                    else if (acceptWord("WITHOUT"))
                        expectWord("COUNT", 905), o.withCount = false;
                } else {
                    expectWord("ERROR", 905);
                }
                call->overflow = std::move(o);
            }
        }
        expect(TokenKind::RParen, 907);
    }
    if (fname == "NTH_VALUE" && atWord("FROM") && (peek().isWord("FIRST") || peek().isWord("LAST"))) {
        advance();
        call->fromLast = advance().text == "LAST";
    }
    parseNullsTreatment(*call);
    if (atWord("WITHIN") && peek().isWord("GROUP")) {
        advance();
        advance();
        NestingGuard inner(*this, cur().offset);
        expect(TokenKind::LParen, 906);
        expectWord("ORDER", 924);
        expectWord("BY", 924);
        call->withinGroup = true;
        call->withinOrder = parseOrderItems();
        expect(TokenKind::RParen, 907);
    } else if (atWord("KEEP") && peek().is(TokenKind::LParen)) {
        KeepClause k;
        k.offset = cur().offset;
        advance();
        NestingGuard inner(*this, cur().offset);
        expect(TokenKind::LParen, 906);
        expectWord("DENSE_RANK", 905);
        if (acceptWord("LAST"))
            k.last = true;
        else
            expectWord("FIRST", 905);
        expectWord("ORDER", 924);
        expectWord("BY", 924);
        k.orderBy = parseOrderItems();
        expect(TokenKind::RParen, 907);
        call->keep = std::move(k);
    }
    if (atWord("OVER") && peek().is(TokenKind::LParen))
        parseOver(*call);
    return finish(std::move(call), begin);
}

void Parser::parseNullsTreatment(FunctionCallExpr& call)
{
    if ((atWord("IGNORE") || atWord("RESPECT")) && peek().isWord("NULLS")) {
        if (call.ignoreNulls)
            failHere(907);
        call.ignoreNulls = advance().text == "IGNORE";
        advance();
    }
}

void Parser::parseOver(FunctionCallExpr& call)
{
    auto over = std::make_unique<OverClause>();
    over->offset = cur().offset;
    advance(); // OVER
    NestingGuard guard(*this, cur().offset);
    expect(TokenKind::LParen, 906);
    if (atWord("PARTITION")) {
        advance();
        expectWord("BY", 924);
        do {
            ExprPtr e = parseExpr();
            if (auto* tuple = e->as<TupleExpr>())
                for (auto& item : tuple->items)
                    over->partitionBy.push_back(std::move(item));
            else
                over->partitionBy.push_back(std::move(e));
        } while (accept(TokenKind::Comma));
    }
    if (atWord("ORDER")) {
        advance();
        if (atWord("SIBLINGS"))
            failHere(30483);
        expectWord("BY", 924);
        over->orderBy = parseOrderItems();
        if (atWord("ROWS") || atWord("RANGE")) {
            WindowFrame f;
            f.offset = cur().offset;
            f.unit = advance().text == "ROWS" ? WindowFrame::Unit::Rows : WindowFrame::Unit::Range;
            auto bound = [this]() {
                WindowFrame::Bound b;
                b.position = cur().offset;
                if (acceptWord("UNBOUNDED")) {
                    if (acceptWord("PRECEDING"))
                        b.type = WindowFrame::BoundType::UnboundedPreceding;
                    else if (acceptWord("FOLLOWING"))
                        b.type = WindowFrame::BoundType::UnboundedFollowing;
                    else
                        failHere(905);
                } else if (atWord("CURRENT")) {
                    advance();
                    expectWord("ROW", 905);
                    b.type = WindowFrame::BoundType::CurrentRow;
                } else {
                    b.offset = parseExpr();
                    if (acceptWord("PRECEDING"))
                        b.type = WindowFrame::BoundType::Preceding;
                    else if (acceptWord("FOLLOWING"))
                        b.type = WindowFrame::BoundType::Following;
                    else
                        failHere(905);
                }
                return b;
            };
            if (acceptWord("BETWEEN")) {
                f.start = bound();
                expectWord("AND", 905);
                f.end = bound();
            } else {
                f.start = bound();
            }
            over->frame = std::move(f);
        }
    }
    expect(TokenKind::RParen, 907);
    call.over = std::move(over);
}

ExprPtr Parser::parseCase()
{
    const int begin = cur().offset;
    NestingGuard guard(*this, begin);
    advance(); // CASE
    auto c = std::make_unique<CaseExpr>();
    if (!atWord("WHEN"))
        c->operand = parseExpr();
    if (!atWord("WHEN"))
        failHere(905);
    while (acceptWord("WHEN")) {
        CaseWhen w;
        w.when = c->operand ? parseExpr() : parseCondition();
        expectWord("THEN", 905);
        w.then = parseExpr();
        c->whens.push_back(std::move(w));
    }
    if (acceptWord("ELSE"))
        c->elseExpr = parseExpr();
    expectWord("END", 905);
    return finish(std::move(c), begin);
}

} // namespace engine::sql::detail

// Recursive-descent parser of PL/SQL over the SQL lexer's tokens. Embedded SQL statements are not parsed here: their
// text spans go to the SQL front end when the unit is compiled, with the INTO lists taken out.
#include "engine/plsql/parser_impl.h"

namespace engine::plsql {

namespace parsing {

std::unique_ptr<Unit> Parser::parseTop()
{
    auto unit = std::make_unique<Unit>();
    if (atWord("DECLARE") || atWord("BEGIN") || at(TokenKind::Lt)) {
        unit->kind = Unit::Kind::Block;
        unit->block = block(false);
        expect(TokenKind::Semicolon, ";");
        if (!at(TokenKind::End))
            unexpected("end-of-file");
        return unit;
    }
    auto unitName = [&]() {
        unit->namePos = here();
        std::string first = name();
        if (accept(TokenKind::Dot)) {
            unit->owner = first;
            unit->namePos = here();
            unit->name = name();
        } else {
            unit->name = first;
        }
    };
    auto isOrAs = [&]() {
        while (atWord("AUTHID") || atWord("DETERMINISTIC") || atWord("PARALLEL_ENABLE") || atWord("PIPELINED")) {
            if (acceptWord("AUTHID")) {
                if (acceptWord("CURRENT_USER"))
                    unit->invokerRights = true;
                else if (acceptWord("DEFINER"))
                    unit->invokerRights = false;
                else
                    unexpected("CURRENT_USER DEFINER");
            } else {
                advance();
            }
        }
        if (!acceptWord("IS") && !acceptWord("AS"))
            unexpected("; is with authid as cluster order using external deterministic parallel_enable pipelined "
                       "result_cache accessible");
    };
    if (atWord("PROCEDURE") || atWord("FUNCTION")) {
        bool fn = advance().text == "FUNCTION";
        unit->kind = fn ? Unit::Kind::Function : Unit::Kind::Procedure;
        unitName();
        auto sp = std::make_shared<Subprogram>();
        sp->isFunction = fn;
        sp->name = unit->name;
        sp->pos = unit->namePos;
        sp->textBegin = toks.front().offset;
        if (at(TokenKind::LParen))
            sp->params = params();
        if (fn) {
            expectWord("RETURN", "( return");
            sp->returnType = typeSpec();
        }
        isOrAs();
        sp->body = block(true);
        sp->hasBody = true;
        unit->subprogram = sp;
        unitEnd(unit->name);
        return unit;
    }
    if (acceptWord("PACKAGE")) {
        bool body = acceptWord("BODY");
        unit->kind = body ? Unit::Kind::PackageBody : Unit::Kind::Package;
        unitName();
        isOrAs();
        declarations(unit->decls, true);
        if (body && atWord("BEGIN")) {
            auto b = std::make_unique<Block>();
            b->pos = here();
            advance();
            b->body = statements({ "EXCEPTION", "END" });
            if (acceptWord("EXCEPTION")) {
                while (atWord("WHEN")) {
                    ExceptionHandler h;
                    h.pos = here();
                    advance();
                    do {
                        h.namePos.push_back(here());
                        std::vector<std::string> chain { name() };
                        while (accept(TokenKind::Dot))
                            chain.push_back(name());
                        h.names.push_back(chain);
                    } while (acceptWord("OR"));
                    expectWord("THEN", "or then");
                    h.body = statements({ "WHEN", "END" });
                    b->handlers.push_back(std::move(h));
                }
            }
            unit->block = std::move(b);
        }
        if (!atWord("END"))
            unexpected(body ? "begin end function pragma procedure" : "end function pragma procedure subtype type");
        advance();
        if (atName()) {
            if (cur().text != unit->name)
                failText(cur().offset,
                    "PLS-00113: END identifier '" + cur().text + "' must match '" + unit->name + "' at line "
                        + std::to_string(unit->namePos.line) + ", column " + std::to_string(unit->namePos.col));
            advance();
        }
        expect(TokenKind::Semicolon, ";");
        if (!at(TokenKind::End))
            unexpected("end-of-file");
        return unit;
    }
    if (acceptWord("TRIGGER")) {
        unit->kind = Unit::Kind::Trigger;
        int descBegin = cur().offset;
        unitName();
        if (acceptWord("BEFORE"))
            unit->before = true;
        else if (acceptWord("AFTER"))
            unit->before = false;
        else if (acceptWord("INSTEAD")) {
            expectWord("OF", "of");
            unit->insteadOf = true;
        } else
            unexpected("after before instead for");
        do {
            if (acceptWord("INSERT"))
                unit->onInsert = true;
            else if (acceptWord("DELETE"))
                unit->onDelete = true;
            else if (acceptWord("UPDATE")) {
                unit->onUpdate = true;
                if (acceptWord("OF")) {
                    do
                        unit->updateColumns.push_back(name());
                    while (accept(TokenKind::Comma));
                }
            } else
                unexpected("delete insert update");
        } while (acceptWord("OR"));
        expectWord("ON", "on or");
        unit->tablePos = here();
        std::string t = name();
        if (accept(TokenKind::Dot)) {
            unit->tableOwner = t;
            unit->tablePos = here();
            unit->tableName = name();
        } else {
            unit->tableName = t;
        }
        if (atWord("REFERENCING")) {
            int rb = advance().endOffset;
            while (atWord("NEW") || atWord("OLD") || atWord("PARENT")) {
                bool isNew = advance().text == "NEW";
                acceptWord("AS");
                std::string alias = name();
                (isNew ? unit->referencingNew : unit->referencingOld) = alias;
            }
            unit->referencingText
                = std::string(text.substr(static_cast<size_t>(rb), static_cast<size_t>(toks[p - 1].endOffset - rb)));
        }
        if (acceptWord("FOR")) {
            expectWord("EACH", "each");
            expectWord("ROW", "row");
            unit->forEachRow = true;
        }
        int descEnd = toks[p - 1].endOffset;
        if (acceptWord("DISABLE"))
            unit->disabled = true;
        else
            acceptWord("ENABLE");
        if (atWord("WHEN")) {
            advance();
            expect(TokenKind::LParen, "(");
            unit->whenBegin = cur().offset;
            unit->when = expr();
            unit->whenEnd = toks[p - 1].endOffset;
            expect(TokenKind::RParen, ")");
        }
        unit->descriptionText
            = std::string(text.substr(static_cast<size_t>(descBegin), static_cast<size_t>(descEnd - descBegin)));
        unit->bodyBegin = cur().offset;
        if (!atWord("DECLARE") && !atWord("BEGIN") && !at(TokenKind::Lt))
            unexpected("begin declare call for when");
        unit->block = block(false);
        expect(TokenKind::Semicolon, ";");
        if (!at(TokenKind::End))
            unexpected("end-of-file");
        return unit;
    }
    unexpected("begin declare function package procedure trigger");
}

void Parser::unitEnd(const std::string& unitName)
{
    (void)unitName;
    expect(TokenKind::Semicolon, ";");
    if (!at(TokenKind::End))
        unexpected("end-of-file");
}

// [<<label>>] [DECLARE decls] BEGIN stmts [EXCEPTION handlers] END [label]  (without the final ';'). A
// subprogram's body (needDeclare) has its declarations without DECLARE.
std::unique_ptr<Block> Parser::block(bool needDeclare)
{
    Guard g(*this);
    auto b = std::make_unique<Block>();
    if (at(TokenKind::Lt) && peek().is(TokenKind::Lt)) {
        advance();
        advance();
        b->label = name();
        expect(TokenKind::Gt, ">>");
        expect(TokenKind::Gt, ">>");
    }
    b->pos = here();
    if (needDeclare) {
        declarations(b->decls, false);
    } else if (acceptWord("DECLARE")) {
        declarations(b->decls, false);
    }
    expectWord("BEGIN",
        needDeclare ? "begin function pragma procedure subtype type <an identifier> cursor"
                    : "begin function pragma procedure subtype type current cursor delete exists prior");
    b->body = statements({ "EXCEPTION", "END" });
    if (acceptWord("EXCEPTION")) {
        if (!atWord("WHEN"))
            unexpected("pragma when");
        while (atWord("WHEN")) {
            ExceptionHandler h;
            h.pos = here();
            advance();
            do {
                h.namePos.push_back(here());
                if (!atName() && !atWord("OTHERS"))
                    unexpected("<an identifier> others");
                std::vector<std::string> chain { advance().text };
                while (accept(TokenKind::Dot))
                    chain.push_back(name());
                h.names.push_back(chain);
            } while (acceptWord("OR"));
            expectWord("THEN", "or then");
            h.body = statements({ "WHEN", "END" });
            b->handlers.push_back(std::move(h));
        }
    }
    b->endPos = here();
    expectWord("END",
        "begin case declare end exception exit for goto if loop mod null pragma raise return select "
        "update while with <an identifier>");
    if (atName() && !at(TokenKind::Semicolon))
        advance(); // END label
    return b;
}

} // namespace parsing

using parsing::Failure;
using parsing::Parser;

Pos positionOf(std::string_view text, int offset)
{
    Pos r;
    r.offset = offset;
    int line = 1, col = 1;
    for (int i = 0; i < offset && i < static_cast<int>(text.size()); ++i) {
        if (text[static_cast<size_t>(i)] == '\n') {
            ++line;
            col = 1;
        } else {
            ++col;
        }
    }
    r.line = line;
    r.col = col;
    return r;
}

std::optional<ExpressionParse> parseExpressionAt(std::string_view text, int begin)
{
    Parser parser(text, begin);
    return parser.nameAt();
}

ParseOutput parseUnit(std::string_view text, int begin)
{
    ParseOutput out;
    Parser parser(text, begin);
    try {
        out.unit = parser.parseTop();
    } catch (const Failure& f) {
        out.unit.reset();
        out.error = f.error;
    }
    return out;
}

} // namespace engine::plsql

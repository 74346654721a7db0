// The PL/SQL parser's declarations: parameter lists, types as declared, the declare section of a block or
// package, and subprogram headings.
#include "engine/plsql/parser_impl.h"

namespace engine::plsql::parsing {

std::vector<Param> Parser::params()
{
    std::vector<Param> out;
    expect(TokenKind::LParen, "(");
    do {
        Param prm;
        prm.pos = here();
        prm.name = name("<an identifier>");
        if (acceptWord("IN")) {
            prm.mode = acceptWord("OUT") ? Param::Mode::InOut : Param::Mode::In;
        } else if (acceptWord("OUT")) {
            prm.mode = Param::Mode::Out;
        }
        if (acceptWord("NOCOPY"))
            prm.nocopy = true;
        prm.type = typeSpec();
        if (accept(TokenKind::Assign) || acceptWord("DEFAULT"))
            prm.defaultValue = expr();
        out.push_back(std::move(prm));
    } while (accept(TokenKind::Comma));
    expect(
        TokenKind::RParen, ") , * & = - + < / > at in is mod remainder not rem => <> or != or ~= >= <= <> and or like");
    return out;
}

// NUMBER(p,s), VARCHAR2(n [BYTE|CHAR]), name%TYPE, name%ROWTYPE, name@link%ROWTYPE, user types.
TypeSpec Parser::typeSpec()
{
    TypeSpec t;
    t.pos = here();
    if (!at(TokenKind::Identifier) && !at(TokenKind::QuotedIdentifier))
        unexpected("<an identifier> <a double-quoted delimited-identifier> table long double ref char time timestamp "
                   "interval date binary national character nchar");
    std::string first = advance().text;
    if (first == "LONG" && atWord("RAW"))
        first = "LONG RAW", advance();
    if (first == "DOUBLE" && acceptWord("PRECISION"))
        first = "DOUBLE PRECISION";
    t.name.push_back(first);
    while (accept(TokenKind::Dot))
        t.name.push_back(name());
    if (accept(TokenKind::At)) {
        t.dblink = name();
        while (accept(TokenKind::Dot))
            t.dblink += "." + name();
    }
    if (accept(TokenKind::Percent)) {
        if (acceptWord("TYPE"))
            t.attr = TypeSpec::Attr::Type;
        else if (acceptWord("ROWTYPE"))
            t.attr = TypeSpec::Attr::RowType;
        else
            unexpected("rowtype type");
        return t;
    }
    if (accept(TokenKind::LParen)) {
        if (!at(TokenKind::Number))
            unexpected("<an integer>");
        t.size = std::atoi(advance().text.c_str());
        if (accept(TokenKind::Comma)) {
            bool neg = accept(TokenKind::Minus);
            if (!at(TokenKind::Number))
                unexpected("<an integer>");
            t.scale = std::atoi(advance().text.c_str()) * (neg ? -1 : 1);
        }
        if (acceptWord("CHAR"))
            t.charSemantics = true;
        else
            acceptWord("BYTE");
        expect(TokenKind::RParen, ")");
    }
    return t;
}

void Parser::declarations(std::vector<Decl>& out, bool package)
{
    for (;;) {
        if (atWord("BEGIN") || atWord("END") || at(TokenKind::End))
            return;
        Decl d;
        d.pos = here();
        if (atWord("PROCEDURE") || atWord("FUNCTION")) {
            bool fn = advance().text == "FUNCTION";
            d.kind = DeclKind::Subprogram;
            d.subprogram = subprogram(fn, package);
            d.name = d.subprogram->name;
            out.push_back(std::move(d));
            continue;
        }
        if (acceptWord("PRAGMA")) {
            if (acceptWord("EXCEPTION_INIT")) {
                d.kind = DeclKind::PragmaExceptionInit;
                expect(TokenKind::LParen, "(");
                d.pos = here();
                d.name = name();
                expect(TokenKind::Comma, ",");
                d.codePos = here();
                bool neg = accept(TokenKind::Minus);
                if (!at(TokenKind::Number))
                    unexpected("<an integer>");
                d.errorCode = std::atoi(advance().text.c_str()) * (neg ? -1 : 1);
                expect(TokenKind::RParen, ")");
            } else {
                d.kind = DeclKind::PragmaOther; // SERIALLY_REUSABLE, RESTRICT_REFERENCES, AUTONOMOUS_TRANSACTION
                d.name = name();
                if (accept(TokenKind::LParen)) {
                    int depth = 1;
                    while (depth > 0 && !at(TokenKind::End)) {
                        if (at(TokenKind::LParen))
                            ++depth;
                        else if (at(TokenKind::RParen))
                            --depth;
                        advance();
                    }
                }
            }
            expect(TokenKind::Semicolon, ";");
            out.push_back(std::move(d));
            continue;
        }
        if (acceptWord("CURSOR")) {
            d.kind = DeclKind::Cursor;
            d.pos = here();
            d.name = name();
            if (at(TokenKind::LParen))
                d.params = params();
            if (acceptWord("RETURN"))
                d.type = typeSpec();
            if (acceptWord("IS")) {
                if (!atWord("SELECT") && !atWord("WITH") && !at(TokenKind::LParen))
                    unexpected("( select with");
                d.queryBegin = cur().offset;
                d.queryEnd = skipToSemicolon();
            }
            expect(TokenKind::Semicolon, ";");
            out.push_back(std::move(d));
            continue;
        }
        if (acceptWord("TYPE")) {
            d.pos = here();
            d.name = name();
            expectWord("IS", "is");
            if (acceptWord("RECORD")) {
                d.kind = DeclKind::RecordType;
                expect(TokenKind::LParen, "(");
                do {
                    Decl::Field f;
                    f.pos = here();
                    f.name = name();
                    f.type = typeSpec();
                    if (acceptWord("NOT")) {
                        expectWord("NULL", "null");
                        f.notNull = true;
                    }
                    if (accept(TokenKind::Assign) || acceptWord("DEFAULT"))
                        f.init = expr();
                    d.fields.push_back(std::move(f));
                } while (accept(TokenKind::Comma));
                expect(TokenKind::RParen, ") ,");
            } else if (acceptWord("TABLE") || atWord("VARRAY") || atWord("VARYING")) {
                d.kind = DeclKind::TableType;
                if (acceptWord("VARRAY") || acceptWord("VARYING")) {
                    if (toks[p - 1].text == "VARYING")
                        expectWord("ARRAY", "array");
                    expect(TokenKind::LParen, "(");
                    if (!at(TokenKind::Number))
                        unexpected("<an integer>");
                    d.limit = std::atoll(advance().text.c_str());
                    expect(TokenKind::RParen, ")");
                }
                expectWord("OF", "of");
                d.type = typeSpec();
                if (acceptWord("NOT")) {
                    expectWord("NULL", "null");
                    d.notNull = true;
                }
                if (acceptWord("INDEX")) {
                    expectWord("BY", "by");
                    d.indexed = true;
                    d.indexType = typeSpec();
                }
            } else if (acceptWord("REF")) {
                expectWord("CURSOR", "cursor");
                d.kind = DeclKind::RefCursorType;
                if (acceptWord("RETURN")) {
                    d.hasRefReturn = true;
                    d.type = typeSpec();
                }
            } else {
                unexpected("array record table varray ref range varying");
            }
            expect(TokenKind::Semicolon, ";");
            out.push_back(std::move(d));
            continue;
        }
        if (acceptWord("SUBTYPE")) {
            d.kind = DeclKind::Subtype;
            d.pos = here();
            d.name = name();
            expectWord("IS", "is");
            d.type = typeSpec();
            if (acceptWord("NOT")) {
                expectWord("NULL", "null");
                d.notNull = true;
            }
            expect(TokenKind::Semicolon, ";");
            out.push_back(std::move(d));
            continue;
        }
        if (!atName())
            unexpected("begin function pragma procedure subtype type <an identifier> <a double-quoted "
                       "delimited-identifier> current cursor delete exists prior");
        d.name = advance().text;
        if (acceptWord("EXCEPTION")) {
            d.kind = DeclKind::Exception;
            expect(TokenKind::Semicolon, ";");
            out.push_back(std::move(d));
            continue;
        }
        d.kind = acceptWord("CONSTANT") ? DeclKind::Constant : DeclKind::Variable;
        d.type = typeSpec();
        if (acceptWord("NOT")) {
            expectWord("NULL", "null");
            d.notNull = true;
        }
        if (accept(TokenKind::Assign) || acceptWord("DEFAULT"))
            d.init = expr();
        else if (at(TokenKind::Eq))
            unexpected(":= . ( @ % ; not null range default character");
        if (d.kind == DeclKind::Constant && !d.init)
            failText(d.pos.offset,
                "PLS-00322: declaration of a constant '" + d.name
                    + "' must contain an initialization "
                      "assignment");
        if (d.notNull && !d.init)
            failText(d.pos.offset, "PLS-00218: a variable declared NOT NULL must have an initialization assignment");
        expect(TokenKind::Semicolon, ":= . ( @ % ; not null range default character");
        out.push_back(std::move(d));
    }
}

std::shared_ptr<Subprogram> Parser::subprogram(bool isFunction, bool inPackageSpec)
{
    (void)inPackageSpec;
    auto sp = std::make_shared<Subprogram>();
    sp->isFunction = isFunction;
    sp->textBegin = toks[p - 1].offset;
    sp->pos = here();
    sp->name = name();
    if (at(TokenKind::LParen))
        sp->params = params();
    if (isFunction) {
        expectWord("RETURN", "( return");
        sp->returnType = typeSpec();
    }
    if (isFunction)
        while (functionProperty(*sp)) {
        }
    if (accept(TokenKind::Semicolon)) {
        sp->hasBody = false;
        return sp;
    }
    if (!acceptWord("IS") && !acceptWord("AS"))
        unexpected("; is as");
    sp->body = block(true);
    sp->hasBody = true;
    if (atName() && cur().text == sp->name)
        advance();
    sp->textEnd = cur().endOffset;
    expect(TokenKind::Semicolon, ";");
    return sp;
}

// One of the properties that may follow a function's RETURN type, in any order:
//   DETERMINISTIC
//   PARALLEL_ENABLE [ ( PARTITION arg BY { ANY | { HASH | RANGE } ( col [, col]... ) | VALUE ( col ) }
//                       [ { ORDER | CLUSTER } arg BY ( col [, col]... ) ] ) ]
//   RESULT_CACHE [ RELIES_ON ( [ name [, name]... ] ) ]
//   PIPELINED
// Returns false at anything else. The engine runs such a function as any other: Oracle's results do not depend on
// the first three (they let it skip or share calls), and RELIES_ON is ignored by Oracle since 11.2.
bool Parser::functionProperty(Subprogram& sp)
{
    auto nameList = [&](bool mayBeEmpty) {
        expect(TokenKind::LParen, "(");
        if (mayBeEmpty && accept(TokenKind::RParen))
            return;
        do {
            name();
            while (accept(TokenKind::Dot))
                name();
        } while (accept(TokenKind::Comma));
        expect(TokenKind::RParen, ", )");
    };
    if (acceptWord("DETERMINISTIC")) {
        sp.deterministic = true;
        return true;
    }
    if (acceptWord("PIPELINED")) {
        sp.pipelined = true;
        return true;
    }
    if (acceptWord("RESULT_CACHE")) {
        sp.resultCache = true;
        if (acceptWord("RELIES_ON"))
            nameList(true);
        return true;
    }
    if (acceptWord("PARALLEL_ENABLE")) {
        sp.parallelEnable = true;
        if (accept(TokenKind::LParen)) {
            expectWord("PARTITION", "partition");
            name();
            expectWord("BY", "by");
            if (acceptWord("ANY")) {
            } else if (acceptWord("HASH") || acceptWord("RANGE")) {
                nameList(false);
            } else if (acceptWord("VALUE")) {
                nameList(false);
            } else {
                unexpected("any hash range value");
            }
            if (acceptWord("ORDER") || acceptWord("CLUSTER")) {
                name();
                expectWord("BY", "by");
                nameList(false);
            }
            expect(TokenKind::RParen, ")");
        }
        return true;
    }
    return false;
}

} // namespace engine::plsql::parsing

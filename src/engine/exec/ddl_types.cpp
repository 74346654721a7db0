// Collection types of a schema: CREATE [OR REPLACE] TYPE name [FORCE] AS|IS TABLE OF t | VARRAY(n) OF t and DROP
// TYPE. The type is an OBJ$ row of TYPE# 13 with its text in SOURCE$; its element (type code, length, precision,
// scale, name) and its kind and bound are one ARGUMENT$ row at POSITION# 0, which ALL_COLL_TYPES reads.
#include "engine/exec/ddl_types.h"

#include "engine/catalog/catalog.h"
#include "engine/plsql/stored_units.h"
#include "engine/plsql/unit_store.h"
#include "engine/session/session_state.h"
#include "engine/sql/lexer.h"
#include "engine/storage/sqlite.h"

#include <climits>
#include <optional>

namespace engine::exec {

namespace {

// What the element of the collection is, as ALL_COLL_TYPES shows it.
struct Element {
    std::string name; // ELEM_TYPE_NAME: VARCHAR2, NUMBER, DATE ...
    int typeNo = 0; // Oracle's type code
    std::optional<int> length, precision, scale;
    std::string charUsed; // 'B' or 'C' for a character element
};

struct TypeDefinition {
    bool force = false;
    bool varray = false;
    std::optional<int64_t> upperBound;
    Element element;
    std::optional<plsql::CompileError> error; // the type is stored INVALID with it
};

class TypeReader {
public:
    TypeReader(std::string_view stored, int base)
        : stored_(stored)
        , base_(base)
    {
        sql::LexResult lx = sql::tokenize(stored);
        if (lx.error) {
            const std::string& m = lx.error->message;
            throw oraError(lx.error->code, m.size() > 11 && m.compare(0, 4, "ORA-") == 0 ? m.substr(11) : m,
                base + lx.error->offset);
        }
        for (sql::Token& t : lx.tokens)
            if (!t.is(sql::TokenKind::Comment))
                toks_.push_back(std::move(t));
    }

    TypeDefinition read()
    {
        TypeDefinition d;
        expectWord("TYPE");
        name();
        d.force = acceptWord("FORCE");
        if (atWord("OID") || atWord("UNDER") || atWord("AUTHID") || atWord("ACCESSIBLE") || atWord("SHARING"))
            refuse();
        if (!acceptWord("AS") && !acceptWord("IS"))
            fail(922);
        if (atWord("OBJECT") || atWord("OPAQUE") || atWord("LANGUAGE") || atWord("EXTERNAL"))
            refuse();
        if (acceptWord("TABLE")) {
            expectWord("OF");
        } else if (atWord("VARRAY") || atWord("VARYING")) {
            d.varray = true;
            if (acceptWord("VARYING"))
                expectWord("ARRAY");
            else
                advance();
            expect(sql::TokenKind::LParen);
            d.upperBound = positiveInteger();
            expect(sql::TokenKind::RParen);
            expectWord("OF");
        } else {
            fail(922);
        }
        d.element = element(d.error);
        // NOT NULL elements and the object type options are not taken.
        if (atWord("NOT") || atWord("FINAL") || atWord("INSTANTIABLE") || atWord("PERSISTABLE"))
            refuse();
        accept(sql::TokenKind::Semicolon);
        if (!cur().is(sql::TokenKind::End))
            fail(922);
        return d;
    }

private:
    const sql::Token& cur() const { return toks_[pos_]; }
    const sql::Token& advance() { return toks_[pos_ < toks_.size() - 1 ? pos_++ : pos_]; }
    bool atWord(const char* w) const { return cur().isWord(w); }
    bool acceptWord(const char* w)
    {
        if (!atWord(w))
            return false;
        advance();
        return true;
    }
    bool accept(sql::TokenKind k)
    {
        if (!cur().is(k))
            return false;
        advance();
        return true;
    }
    [[noreturn]] void fail(int code) const
    {
        const char* text = code == 922 ? "missing or invalid option" : "invalid number";
        throw oraError(code, text, base_ + cur().offset);
    }
    [[noreturn]] void refuseAt(const sql::Token& t) const
    {
        throw oraError(3001, "unimplemented feature", base_ + t.offset);
    }
    [[noreturn]] void refuse() const { refuseAt(cur()); }
    void expectWord(const char* w)
    {
        if (!acceptWord(w))
            fail(922);
    }
    void expect(sql::TokenKind k)
    {
        if (!accept(k))
            fail(922);
    }
    void name()
    {
        advance();
        if (accept(sql::TokenKind::Dot))
            advance();
    }
    int64_t positiveInteger()
    {
        const sql::Token& t = cur();
        if (!t.is(sql::TokenKind::Number) || t.text.find_first_not_of("0123456789") != std::string::npos
            || t.text.size() > 10)
            fail(922);
        const int64_t n = std::stoll(t.text);
        if (n < 1 || n > INT_MAX)
            fail(922);
        advance();
        return n;
    }
    std::optional<int> optionalSize()
    {
        if (!accept(sql::TokenKind::LParen))
            return std::nullopt;
        const int n = static_cast<int>(positiveInteger());
        return n;
    }

    Element element(std::optional<plsql::CompileError>& error)
    {
        Element e;
        const sql::Token t = cur();
        if (!t.is(sql::TokenKind::Identifier) && !t.is(sql::TokenKind::QuotedIdentifier))
            fail(922);
        advance();
        if (cur().is(sql::TokenKind::Dot) || cur().is(sql::TokenKind::Percent) || cur().is(sql::TokenKind::At))
            refuseAt(t);
        const std::string& w = t.is(sql::TokenKind::Identifier) ? t.text : std::string();
        if (w == "VARCHAR2" || w == "VARCHAR" || w == "CHAR" || w == "CHARACTER") {
            const bool varying = w == "VARCHAR2" || w == "VARCHAR";
            e.name = varying ? "VARCHAR2" : "CHAR";
            e.typeNo = varying ? 1 : 96;
            e.charUsed = "B";
            if (accept(sql::TokenKind::LParen)) {
                e.length = static_cast<int>(positiveInteger());
                if (acceptWord("CHAR"))
                    e.charUsed = "C";
                else
                    acceptWord("BYTE");
                expect(sql::TokenKind::RParen);
            } else if (varying) {
                error = errorAt(cur(), "PLS-00215: String length constraints must be in range (1 .. 32767)");
            } else {
                e.length = 1;
            }
            if (e.length && *e.length > 32767)
                error = errorAt(t, "PLS-00215: String length constraints must be in range (1 .. 32767)");
        } else if (w == "NUMBER") {
            e.name = "NUMBER";
            e.typeNo = 2;
            if (accept(sql::TokenKind::LParen)) {
                if (accept(sql::TokenKind::Star))
                    e.precision = std::nullopt;
                else
                    e.precision = static_cast<int>(positiveInteger());
                if (accept(sql::TokenKind::Comma)) {
                    const bool negative = accept(sql::TokenKind::Minus);
                    if (!cur().is(sql::TokenKind::Number)
                        || cur().text.find_first_not_of("0123456789") != std::string::npos || cur().text.size() > 3)
                        fail(922);
                    const int scale = std::stoi(advance().text);
                    e.scale = negative ? -scale : scale;
                }
                expect(sql::TokenKind::RParen);
                if (e.precision && (*e.precision < 1 || *e.precision > 38))
                    error = errorAt(t, "PLS-00216: NUMBER precision constraint must be in range (1 .. 38)");
                if (e.scale && (*e.scale < -84 || *e.scale > 127))
                    error = errorAt(t, "PLS-00217: NUMBER scale constraint must be in range (-84 .. 127)");
            }
        } else if (w == "INTEGER" || w == "INT" || w == "SMALLINT") {
            e.name = "INTEGER";
            e.typeNo = 2;
            e.scale = 0;
        } else if (w == "FLOAT") {
            e.name = "FLOAT";
            e.typeNo = 2;
            e.precision = 126;
            if (auto p = optionalSize()) {
                e.precision = *p;
                expect(sql::TokenKind::RParen);
            }
        } else if (w == "DATE") {
            e.name = "DATE";
            e.typeNo = 12;
        } else if (w == "CLOB" || w == "BLOB") {
            e.name = w;
            e.typeNo = w == "CLOB" ? 112 : 113;
        } else if (w == "RAW") {
            e.name = "RAW";
            e.typeNo = 23;
            expect(sql::TokenKind::LParen);
            e.length = static_cast<int>(positiveInteger());
            expect(sql::TokenKind::RParen);
            if (*e.length > 32767)
                error = errorAt(t, "PLS-00215: String length constraints must be in range (1 .. 32767)");
        } else {
            // A type the engine has no element form for (TIMESTAMP, NVARCHAR2, another collection or object type,
            // PL/SQL-only types): refused. A name that is no type at all leaves the type with an error, as in Oracle.
            static constexpr const char* Known[]
                = { "TIMESTAMP", "INTERVAL", "NVARCHAR2", "NCHAR", "NCLOB", "LONG", "ROWID", "UROWID", "BINARY_FLOAT",
                      "BINARY_DOUBLE", "REF", "PLS_INTEGER", "BINARY_INTEGER", "BOOLEAN", "NATURAL", "NATURALN",
                      "POSITIVE", "POSITIVEN", "SIGNTYPE", "SIMPLE_INTEGER", "DECIMAL", "DEC", "NUMERIC", "REAL",
                      "DOUBLE", "XMLTYPE", "BFILE", "STRING", "LONG", "NATIONAL", "ANYDATA", "SYS_REFCURSOR" };
            for (const char* k : Known)
                if (w == k)
                    refuseAt(t);
            e.name = t.text;
            unknown_ = t;
        }
        return e;
    }

    plsql::CompileError errorAt(const sql::Token& t, std::string text) const
    {
        int line = 1, col = 1;
        for (int i = 0; i < t.offset && i < static_cast<int>(stored_.size()); ++i) {
            if (stored_[i] == '\n') {
                ++line;
                col = 1;
            } else {
                ++col;
            }
        }
        return { line, col, std::move(text), t.offset };
    }

public:
    // The element named by a word that is no built-in type, for the caller to look up.
    std::optional<sql::Token> unknown_;
    plsql::CompileError undeclared() const
    {
        return errorAt(*unknown_, "PLS-00201: identifier '" + unknown_->text + "' must be declared");
    }

private:
    std::string_view stored_;
    int base_ = 0;
    std::vector<sql::Token> toks_;
    size_t pos_ = 0;
};

catalog::UserRow ownerRow(SessionState& s, const sql::ObjectName& name)
{
    const std::string owner = name.schema ? name.schema->name : s.schema;
    auto u = catalog::Catalog(s.conn).user(owner);
    if (!u || u->type != 1)
        throw oraError(1918, "user '" + owner + "' does not exist", name.schema ? name.schema->offset : name.offset);
    return *u;
}

// ORA-02303 while a type or table uses the type (units do not hold it: they become INVALID).
void checkNoTypeDependents(SessionState& s, int64_t id, int offset)
{
    storage::Stmt q(s.conn, R"(SELECT 1 FROM "DEPENDENCY$" d JOIN "OBJ$" o ON o."OBJ#" = d."D_OBJ#"
        WHERE d."P_OBJ#" = ?1 AND o."TYPE#" IN (2, 13) LIMIT 1)");
    q.bind(1, id);
    if (q.step())
        throw oraError(2303, "cannot drop or replace a type with type or table dependents", offset);
}

void storeElement(SessionState& s, int64_t id, const TypeDefinition& d)
{
    storage::Stmt del(s.conn, R"(DELETE FROM "ARGUMENT$" WHERE "OBJ#" = ?1)");
    del.bind(1, id).run();
    storage::Stmt ins(s.conn, R"(INSERT INTO "ARGUMENT$" ("OBJ#", "POSITION#", "SEQUENCE#", "TYPE#", "LENGTH",
        "PRECISION#", "SCALE", "DEFLENGTH", "TYPE_NAME", "PLS_TYPE", "CHAR_USED")
        VALUES (?1, 0, 0, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9))");
    ins.bind(1, id).bind(2, d.element.typeNo);
    auto opt = [&](int i, const std::optional<int>& v) {
        if (v)
            ins.bind(i, *v);
        else
            ins.bindNull(i);
    };
    opt(3, d.element.length);
    opt(4, d.element.precision);
    opt(5, d.element.scale);
    if (d.upperBound)
        ins.bind(6, *d.upperBound);
    else
        ins.bindNull(6);
    ins.bind(7, d.element.name).bind(8, d.varray ? "VARYING ARRAY" : "TABLE").bind(9, d.element.charUsed).run();
}

} // namespace

void createCollectionType(SessionState& s, const sql::PlSqlStmt& stmt, std::string& warning)
{
    catalog::UserRow owner = ownerRow(s, *stmt.name);
    const std::string text = plsql::storedText(stmt.text);
    const size_t at = stmt.text.find(text);
    TypeReader reader(text, stmt.offset + static_cast<int>(at == std::string::npos ? 0 : at));
    TypeDefinition d = reader.read();
    const std::string& name = stmt.name->name.name;
    catalog::Catalog cat(s.conn);
    if (auto existing = cat.object(owner.id, name, catalog::namespaceOf(catalog::kTypeType));
        existing && existing->type == catalog::kTypeType && stmt.orReplace && !d.force)
        checkNoTypeDependents(s, existing->id, stmt.name->name.offset);
    plsql::StoredUnit u
        = plsql::defineUnit(s, owner.id, name, catalog::kTypeType, stmt.orReplace, stmt.name->name.offset);
    std::vector<int64_t> uses;
    if (reader.unknown_ && !d.error) {
        // Only built-in element types are taken; a name of an object of the schema is a type the engine does not
        // nest yet.
        if (cat.object(owner.id, reader.unknown_->text, 1))
            throw oraError(3001, "unimplemented feature", stmt.offset);
        d.error = reader.undeclared();
    }
    plsql::storeSource(s, u.id, text);
    plsql::invalidateDependents(s, u.id);
    std::vector<plsql::CompileError> errors;
    if (d.error)
        errors.push_back(*d.error);
    storeElement(s, u.id, d);
    plsql::storeErrors(s, u.id, errors);
    plsql::storeDependencies(s, u.id, uses);
    plsql::setCompiled(s, u.id, errors.empty());
    if (!errors.empty())
        warning = "ORA-24344: success with compilation error";
}

void dropCollectionType(SessionState& s, const sql::DropObjectStmt& stmt)
{
    catalog::UserRow owner = ownerRow(s, stmt.name);
    const std::string& name = stmt.name.name.name;
    std::optional<plsql::StoredUnit> u = plsql::findUnit(s, owner.id, name, catalog::kTypeType);
    if (!u)
        throw oraError(4043, "object " + name + " does not exist", stmt.name.name.offset);
    if (!stmt.force)
        checkNoTypeDependents(s, u->id, stmt.name.name.offset);
    plsql::removeUnit(s, u->id);
}

} // namespace engine::exec

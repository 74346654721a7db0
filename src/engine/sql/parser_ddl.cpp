// DDL and account statements: CREATE/ALTER/DROP of tables, indexes, sequences, views, synonyms, users and roles,
// GRANT/REVOKE, ALTER SESSION, and the recognition of CREATE of PL/SQL units.
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

// Physical attributes that change nothing an Oracle client can observe here; they are accepted and kept.
bool isPhysicalWord(const Token& t)
{
    static constexpr const char* Words[] = { "TABLESPACE", "PCTFREE", "PCTUSED", "INITRANS", "MAXTRANS", "STORAGE",
        "LOGGING", "NOLOGGING", "COMPRESS", "NOCOMPRESS", "CACHE", "NOCACHE", "MONITORING", "NOMONITORING", "PARALLEL",
        "NOPARALLEL", "ROWDEPENDENCIES", "NOROWDEPENDENCIES", "ORGANIZATION", "SEGMENT", "LOB", "COMPUTE", "ONLINE",
        "REVERSE", "NOSORT", "FREELISTS", "FREELIST" };
    if (t.kind != TokenKind::Identifier)
        return false;
    for (const char* w : Words) {
        if (t.text == w)
            return true;
    }
    return false;
}

} // namespace

std::string Parser::parseSignedNumber(int code)
{
    std::string out;
    if (at(TokenKind::Minus) || at(TokenKind::Plus)) {
        if (at(TokenKind::Minus))
            out = "-";
        advance();
    }
    if (!at(TokenKind::Number))
        failHere(code);
    out += advance().text;
    return out;
}

std::string Parser::skipPhysicalClauses(std::initializer_list<const char*> stopWords)
{
    const int begin = cur().offset;
    int end = -1;
    auto skipGroup = [this]() {
        NestingGuard guard(*this, cur().offset);
        expect(TokenKind::LParen, 906);
        int depth = 1;
        while (depth > 0) {
            if (atEnd())
                failHere(907);
            if (at(TokenKind::LParen)) {
                if (depth >= MaxNesting)
                    failHere(3095);
                ++depth;
            } else if (at(TokenKind::RParen)) {
                --depth;
            }
            advance();
        }
    };
    for (;;) {
        bool stop = false;
        for (const char* w : stopWords)
            stop = stop || atWord(w);
        if (stop)
            break;
        if ((atWord("ENABLE") || atWord("DISABLE")) && peek().isWord("ROW")) {
            advance();
            advance();
            expectWord("MOVEMENT", 922);
        } else if (!isPhysicalWord(cur())) {
            break;
        } else {
            const std::string w = advance().text;
            if (w == "TABLESPACE") {
                parseIdentifier(922);
            } else if (w == "PCTFREE" || w == "PCTUSED" || w == "INITRANS" || w == "MAXTRANS" || w == "FREELISTS") {
                if (!at(TokenKind::Number))
                    failHere(922);
                advance();
            } else if (w == "FREELIST") {
                expectWord("GROUPS", 922);
                if (!at(TokenKind::Number))
                    failHere(922);
                advance();
            } else if (w == "STORAGE") {
                skipGroup();
            } else if (w == "COMPRESS" || w == "PARALLEL") {
                if (at(TokenKind::Number))
                    advance();
            } else if (w == "ORGANIZATION") {
                expectWord("HEAP", 3001);
            } else if (w == "SEGMENT") {
                expectWord("CREATION", 922);
                if (!acceptWord("IMMEDIATE"))
                    expectWord("DEFERRED", 922);
            } else if (w == "COMPUTE") {
                expectWord("STATISTICS", 922);
            } else if (w == "LOB") {
                skipGroup();
                expectWord("STORE", 922);
                expectWord("AS", 922);
                if (atNameToken() && !isPhysicalWord(cur()))
                    advance();
                if (at(TokenKind::LParen))
                    skipGroup();
            }
        }
        end = prevEnd();
    }
    return end < 0 ? std::string() : textBetween(begin, end);
}

StatementPtr Parser::parseCreate()
{
    const int begin = cur().offset;
    advance(); // CREATE
    bool orReplace = false;
    if (acceptWord("OR")) {
        expectWord("REPLACE", 922);
        orReplace = true;
    }
    auto plsql = [&](PlSqlStmt::Unit unit) {
        StatementPtr s = parsePlSql(unit, orReplace, true);
        s->offset = begin;
        auto* p = s->as<PlSqlStmt>();
        p->text = textBetween(begin, p->endOffset);
        return s;
    };
    if (atWord("PROCEDURE") || atWord("FUNCTION") || atWord("TRIGGER")) {
        const std::string w = advance().text;
        return plsql(w == "PROCEDURE" ? PlSqlStmt::Unit::Procedure
                : w == "FUNCTION"     ? PlSqlStmt::Unit::Function
                                      : PlSqlStmt::Unit::Trigger);
    }
    if (atWord("PACKAGE") || atWord("TYPE")) {
        const bool package = advance().text == "PACKAGE";
        const bool body = acceptWord("BODY");
        return plsql(package ? (body ? PlSqlStmt::Unit::PackageBody : PlSqlStmt::Unit::Package)
                             : (body ? PlSqlStmt::Unit::TypeBody : PlSqlStmt::Unit::Type));
    }
    if (atWord("FORCE") || atWord("NOFORCE") || atWord("VIEW")) {
        bool force = false;
        if (acceptWord("FORCE"))
            force = true;
        else
            acceptWord("NOFORCE");
        expectWord("VIEW", 922);
        StatementPtr s = parseCreateView(orReplace, force);
        return s;
    }
    if (atWordSeq({ "DATABASE", "LINK" }) || atWordSeq({ "PUBLIC", "DATABASE", "LINK" })) {
        if (orReplace)
            failHere(922);
        const bool isPublic = acceptWord("PUBLIC");
        advance(); // DATABASE
        advance(); // LINK
        return parseCreateDatabaseLink(isPublic, begin);
    }
    if (atWord("PUBLIC") || atWord("SYNONYM")) {
        const bool isPublic = acceptWord("PUBLIC");
        expectWord("SYNONYM", 922);
        return parseCreateSynonym(orReplace, isPublic);
    }
    if (orReplace)
        failHere(922);
    if (atWord("UNIQUE") || atWord("BITMAP") || atWord("INDEX")) {
        const bool unique = acceptWord("UNIQUE");
        const bool bitmap = !unique && acceptWord("BITMAP");
        expectWord("INDEX", 901);
        return parseCreateIndex(unique, bitmap);
    }
    if (atWord("GLOBAL")) {
        advance();
        expectWord("TEMPORARY", 901);
        expectWord("TABLE", 901);
        return parseCreateTable(true);
    }
    if (acceptWord("TABLE"))
        return parseCreateTable(false);
    if (acceptWord("SEQUENCE")) {
        auto s = make<CreateSequenceStmt>(begin);
        s->sequence = parseObjectName(903, false);
        parseSequenceOptions(s->options, false);
        return s;
    }
    if (acceptWord("USER"))
        return parseCreateUser();
    if (acceptWord("ROLE")) {
        auto s = make<CreateRoleStmt>(begin);
        s->role = parseIdentifier(1935);
        if (acceptWord("NOT")) {
            expectWord("IDENTIFIED", 954);
        } else if (acceptWord("IDENTIFIED")) {
            if (atWord("EXTERNALLY") || atWord("GLOBALLY") || atWord("USING"))
                failHere(3001);
            expectWord("BY", 924);
            if (!atNameToken() && !at(TokenKind::Identifier))
                failHere(988);
            s->password = advance().text;
        }
        return s;
    }
    static constexpr const char* Unsupported[] = { "DATABASE", "DIRECTORY", "TABLESPACE", "PROFILE", "CONTEXT",
        "MATERIALIZED", "CLUSTER", "LIBRARY", "JAVA", "DIMENSION", "OUTLINE", "SCHEMA", "OPERATOR", "INDEXTYPE",
        "ROLLBACK", "CONTROLFILE", "SPFILE", "PFILE", "EDITION" };
    for (const char* w : Unsupported) {
        if (atWord(w))
            failHere(3001);
    }
    failHere(901);
}

StatementPtr Parser::parseCreateTable(bool globalTemporary)
{
    auto s = make<CreateTableStmt>(toks.front().offset);
    s->globalTemporary = globalTemporary;
    s->name = parseObjectName(903, false);
    std::vector<int> untypedAt; // columns without a type: allowed only in CREATE TABLE ... AS SELECT
    if (at(TokenKind::LParen)) {
        NestingGuard guard(*this, cur().offset);
        advance();
        for (;;) {
            if (atConstraintStart()) {
                s->constraints.push_back(parseOutOfLineConstraint());
            } else {
                ColumnDef col = parseColumnDef(false);
                if (!col.type && !col.virtualExpr)
                    untypedAt.push_back(col.name.offset);
                s->columns.push_back(std::move(col));
            }
            if (accept(TokenKind::Comma))
                continue;
            expect(TokenKind::RParen, 907);
            break;
        }
    } else if (!atWord("AS") && !atWord("ON") && !isPhysicalWord(cur())) {
        failHere(906);
    }
    if (globalTemporary && acceptWord("ON")) {
        expectWord("COMMIT", 905);
        if (acceptWord("PRESERVE"))
            s->onCommitPreserveRows = true;
        else
            expectWord("DELETE", 905);
        expectWord("ROWS", 905);
    }
    s->physicalText = skipPhysicalClauses({ "AS" });
    if (acceptWord("AS")) {
        if (!atQueryStart())
            failHere(928);
        s->asQuery = parseQuery();
        for (const ColumnDef& c : s->columns) {
            // CTAS takes types from the query; an explicit type is Oracle's ORA-01773
            if (c.type)
                fail(1773, c.type->offset);
        }
        if (!s->constraints.empty() && s->columns.empty())
            fail(906, s->constraints.front().offset);
    } else {
        if (!untypedAt.empty())
            fail(902, untypedAt.front());
        if (s->columns.empty())
            failHere(906);
    }
    if (!atEnd() && !at(TokenKind::Semicolon))
        failHere(922);
    return s;
}

bool Parser::atConstraintStart() const
{
    return atWord("CONSTRAINT") || atWord("PRIMARY") || atWord("UNIQUE") || atWord("CHECK") || atWord("FOREIGN");
}

DataType Parser::parseDataType()
{
    DataType t;
    t.offset = cur().offset;
    if (!at(TokenKind::Identifier))
        failHere(902);
    std::string name = advance().text;
    auto number = [this](int code) -> int64_t {
        if (!at(TokenKind::Number))
            failHere(code);
        const Token& n = advance();
        if (n.text.find_first_of(".eE") != std::string::npos)
            fail(code, n.offset);
        return std::strtoll(n.text.c_str(), nullptr, 10);
    };
    auto openSize = [&](bool required) {
        if (!at(TokenKind::LParen)) {
            if (required)
                failHere(906);
            return false;
        }
        advance();
        return true;
    };
    auto closeSize = [this]() { expect(TokenKind::RParen, 907); };
    auto semantics = [&]() {
        if (acceptWord("BYTE"))
            t.semantics = DataType::Semantics::Byte;
        else if (acceptWord("CHAR"))
            t.semantics = DataType::Semantics::Char;
    };

    if (name == "VARCHAR2" || name == "VARCHAR" || name == "NVARCHAR2" || name == "RAW" || name == "UROWID") {
        const bool required = name != "UROWID";
        if (openSize(required)) {
            const int at = cur().offset;
            t.size = number(910);
            if (*t.size == 0)
                fail(1723, at);
            if (name != "RAW" && name != "UROWID")
                semantics();
            closeSize();
            const int64_t limit = name == "RAW" ? 2000 : 4000;
            if (*t.size > limit)
                fail(910, at);
        }
    } else if (name == "CHAR" || name == "NCHAR" || name == "CHARACTER") {
        if (name == "CHARACTER" && acceptWord("VARYING"))
            name = "VARCHAR";
        if (openSize(name == "VARCHAR")) {
            const int at = cur().offset;
            t.size = number(910);
            if (*t.size == 0)
                fail(1723, at);
            semantics();
            closeSize();
            if (*t.size > (name == "VARCHAR" ? 4000 : 2000))
                fail(910, at);
        }
    } else if (name == "NUMBER" || name == "DECIMAL" || name == "DEC" || name == "NUMERIC") {
        if (openSize(false)) {
            const int at = cur().offset;
            if (accept(TokenKind::Star)) {
                t.starPrecision = true;
            } else {
                t.size = number(1727);
                if (*t.size < 1 || *t.size > 38)
                    fail(1727, at);
            }
            if (accept(TokenKind::Comma)) {
                const int sat = cur().offset;
                std::string scale = parseSignedNumber(1728);
                if (scale.find_first_of(".eE") != std::string::npos)
                    fail(1728, sat);
                t.scale = std::strtoll(scale.c_str(), nullptr, 10);
                if (*t.scale < -84 || *t.scale > 127)
                    fail(1728, sat);
            }
            closeSize();
        }
    } else if (name == "FLOAT") {
        if (openSize(false)) {
            const int at = cur().offset;
            t.size = number(1724);
            if (*t.size < 1 || *t.size > 126)
                fail(1724, at);
            closeSize();
        }
    } else if (name == "LONG") {
        if (acceptWord("RAW"))
            name = "LONG RAW";
    } else if (name == "DOUBLE") {
        expectWord("PRECISION", 902);
        name = "DOUBLE PRECISION";
    } else if (name == "TIMESTAMP") {
        if (openSize(false)) {
            t.size = number(30088);
            closeSize();
        }
        if (acceptWord("WITH")) {
            const bool local = acceptWord("LOCAL");
            expectWord("TIME", 905);
            expectWord("ZONE", 905);
            t.suffix = local ? "WITH LOCAL TIME ZONE" : "WITH TIME ZONE";
        }
    } else if (name == "INTERVAL") {
        // INTERVAL YEAR [(p)] TO MONTH, INTERVAL DAY [(p)] TO SECOND [(s)]: size holds p, scale s.
        const bool year = acceptWord("YEAR");
        if (!year)
            expectWord("DAY", 905);
        if (openSize(false)) {
            t.size = number(30088);
            closeSize();
        }
        expectWord("TO", 905);
        expectWord(year ? "MONTH" : "SECOND", 905);
        if (!year && openSize(false)) {
            t.scale = number(30088);
            closeSize();
        }
        name = year ? "INTERVAL YEAR TO MONTH" : "INTERVAL DAY TO SECOND";
    } else if (name == "INTEGER" || name == "INT" || name == "SMALLINT" || name == "REAL" || name == "DATE"
        || name == "CLOB" || name == "NCLOB" || name == "BLOB" || name == "BFILE" || name == "ROWID"
        || name == "BINARY_FLOAT" || name == "BINARY_DOUBLE") {
        // no size
    } else {
        fail(902, t.offset);
    }
    t.name = std::move(name);
    t.endOffset = prevEnd();
    return t;
}

ColumnDef Parser::parseColumnDef(bool forModify)
{
    ColumnDef c;
    c.offset = cur().offset;
    if (at(TokenKind::Identifier) && cur().reserved)
        fail(904, cur().offset);
    c.name = parseIdentifier(904);
    const bool typeFollows = at(TokenKind::Identifier) && !atWord("DEFAULT") && !atWord("NOT") && !atWord("NULL")
        && !atWord("CONSTRAINT") && !atWord("PRIMARY") && !atWord("UNIQUE") && !atWord("CHECK") && !atWord("REFERENCES")
        && !atWord("ENABLE") && !atWord("DISABLE") && !atWord("GENERATED") && !atWord("AS");
    if (typeFollows)
        c.type = parseDataType();
    else if (!forModify && !at(TokenKind::Comma) && !at(TokenKind::RParen) && !atWord("DEFAULT")
        && !atWord("GENERATED") && !atWord("AS"))
        failHere(902);
    if (atWord("DEFAULT")) {
        advance();
        if (atWord("ON") && peek().isWord("NULL")) {
            advance();
            advance();
            c.defaultOnNull = true;
        }
        const int b = cur().offset;
        c.defaultValue = parseExpr();
        c.defaultText = textBetween(b, prevEnd());
    } else if (atWord("GENERATED") || atWord("AS")) {
        parseGeneratedColumn(c);
    }
    parseInlineConstraints(c);
    c.endOffset = prevEnd();
    return c;
}

// GENERATED ALWAYS | BY DEFAULT [ON NULL] AS IDENTITY [(options)], or [GENERATED ALWAYS] AS (expr) [VIRTUAL].
void Parser::parseGeneratedColumn(ColumnDef& c)
{
    const int begin = cur().offset;
    bool always = true;
    bool onNull = false;
    if (acceptWord("GENERATED")) {
        if (!acceptWord("ALWAYS") && acceptWord("BY")) {
            expectWord("DEFAULT", 905);
            always = false;
            if (atWord("ON") && peek().isWord("NULL")) {
                advance();
                advance();
                onNull = true;
            }
        }
        expectWord("AS", 905);
        if (acceptWord("IDENTITY")) {
            if (!c.type)
                fail(902, begin);
            c.identity = always ? ColumnDef::Identity::Always : ColumnDef::Identity::ByDefault;
            c.identityOnNull = onNull;
            c.identityOffset = begin;
            if (at(TokenKind::LParen)) {
                NestingGuard guard(*this, cur().offset);
                advance();
                if (atWord("START") && peek().isWord("WITH")) {
                    // START WITH LIMIT VALUE belongs to ALTER TABLE ... MODIFY only.
                    if (toks.size() > pos + 2 && toks[pos + 2].isWord("LIMIT"))
                        fail(3001, cur().offset);
                }
                parseSequenceOptions(c.identityOptions, false);
                expect(TokenKind::RParen, 907);
            }
            return;
        }
        if (!always)
            failHere(905);
    } else {
        expectWord("AS", 905);
    }
    NestingGuard guard(*this, cur().offset);
    expect(TokenKind::LParen, 906);
    const int b = cur().offset;
    c.virtualExpr = parseExpr();
    c.virtualText = textBetween(b, prevEnd());
    expect(TokenKind::RParen, 907);
    acceptWord("VIRTUAL");
}

void Parser::parseInlineConstraints(ColumnDef& col)
{
    for (;;) {
        Constraint k;
        k.inlineConstraint = true;
        k.offset = cur().offset;
        if (acceptWord("CONSTRAINT"))
            k.name = parseIdentifier(904);
        if (atWord("NOT") && peek().isWord("NULL")) {
            advance();
            advance();
            k.type = ConstraintType::NotNull;
        } else if (atWord("NOT") && !peek().isWord("DEFERRABLE")) {
            advance();
            failHere(908);
        } else if (acceptWord("NULL")) {
            k.type = ConstraintType::Null;
        } else if (acceptWord("UNIQUE")) {
            k.type = ConstraintType::Unique;
        } else if (acceptWord("PRIMARY")) {
            expectWord("KEY", 905);
            k.type = ConstraintType::PrimaryKey;
        } else if (atWord("CHECK")) {
            advance();
            k.type = ConstraintType::Check;
            NestingGuard guard(*this, cur().offset);
            expect(TokenKind::LParen, 906);
            const int b = cur().offset;
            k.check = parseCondition();
            k.checkText = textBetween(b, prevEnd());
            expect(TokenKind::RParen, 907);
        } else if (atWord("REFERENCES")) {
            k.type = ConstraintType::ForeignKey;
            parseReferences(k);
        } else {
            if (k.name)
                failHere(905);
            return;
        }
        parseConstraintState(k);
        k.endOffset = prevEnd();
        col.constraints.push_back(std::move(k));
    }
}

void Parser::parseReferences(Constraint& c)
{
    expectWord("REFERENCES", 905);
    c.refTable = parseObjectName(903, false);
    if (at(TokenKind::LParen))
        c.refColumns = parseIdentifierList(904);
    if (acceptWord("ON")) {
        expectWord("DELETE", 905);
        if (acceptWord("CASCADE")) {
            c.onDelete = Constraint::OnDelete::Cascade;
        } else {
            expectWord("SET", 905);
            expectWord("NULL", 905);
            c.onDelete = Constraint::OnDelete::SetNull;
        }
    }
}

void Parser::parseConstraintState(Constraint& c)
{
    for (;;) {
        if (atWord("NOT") && peek().isWord("DEFERRABLE")) {
            advance();
            advance();
            c.deferrable = false;
        } else if (acceptWord("DEFERRABLE")) {
            c.deferrable = true;
        } else if (acceptWord("INITIALLY")) {
            if (acceptWord("DEFERRED"))
                c.initiallyDeferred = true;
            else
                expectWord("IMMEDIATE", 905);
        } else if (acceptWord("RELY")) {
            c.rely = true;
        } else if (acceptWord("NORELY")) {
            c.rely = false;
        } else if (atWord("ENABLE") && !peek().isWord("ROW")) {
            advance();
            c.enable = true;
        } else if (atWord("DISABLE") && !peek().isWord("ROW")) {
            advance();
            c.enable = false;
        } else if (acceptWord("VALIDATE")) {
            c.validate = true;
        } else if (acceptWord("NOVALIDATE")) {
            c.validate = false;
        } else if (atWord("USING") && peek().isWord("INDEX")) {
            const int b = cur().offset;
            advance();
            advance();
            if (at(TokenKind::LParen)) {
                NestingGuard guard(*this, cur().offset);
                int depth = 0;
                do {
                    if (atEnd())
                        failHere(907);
                    if (at(TokenKind::LParen))
                        ++depth;
                    else if (at(TokenKind::RParen))
                        --depth;
                    if (depth > MaxNesting)
                        failHere(3095);
                    advance();
                } while (depth > 0);
            } else if (atNameToken() && !isPhysicalWord(cur()) && !atWord("ENABLE") && !atWord("DISABLE")) {
                parseObjectName(953, false);
            } else {
                skipPhysicalClauses({});
            }
            c.indexText = textBetween(b, prevEnd());
        } else if (atWord("EXCEPTIONS")) {
            failHere(3001);
        } else {
            return;
        }
    }
}

Constraint Parser::parseOutOfLineConstraint()
{
    Constraint k;
    k.offset = cur().offset;
    if (acceptWord("CONSTRAINT"))
        k.name = parseIdentifier(904);
    if (acceptWord("UNIQUE")) {
        k.type = ConstraintType::Unique;
        k.columns = parseIdentifierList(904);
    } else if (acceptWord("PRIMARY")) {
        expectWord("KEY", 905);
        k.type = ConstraintType::PrimaryKey;
        k.columns = parseIdentifierList(904);
    } else if (acceptWord("FOREIGN")) {
        expectWord("KEY", 905);
        k.type = ConstraintType::ForeignKey;
        k.columns = parseIdentifierList(904);
        parseReferences(k);
    } else if (acceptWord("CHECK")) {
        k.type = ConstraintType::Check;
        NestingGuard guard(*this, cur().offset);
        expect(TokenKind::LParen, 906);
        const int b = cur().offset;
        k.check = parseCondition();
        k.checkText = textBetween(b, prevEnd());
        expect(TokenKind::RParen, 907);
    } else if (atWord("NOT") && k.name) {
        failHere(904); // NOT NULL is a column constraint only
    } else {
        failHere(902);
    }
    parseConstraintState(k);
    k.endOffset = prevEnd();
    return k;
}

StatementPtr Parser::parseAlter()
{
    const int begin = cur().offset;
    advance(); // ALTER
    if (acceptWord("TABLE"))
        return parseAlterTable();
    if (acceptWord("INDEX"))
        return parseAlterIndex();
    if (acceptWord("SEQUENCE")) {
        auto s = make<AlterSequenceStmt>(begin);
        s->sequence = parseObjectName(903, false);
        parseSequenceOptions(s->options, true);
        return s;
    }
    if (acceptWord("SESSION"))
        return parseAlterSession();
    if (acceptWord("USER"))
        return parseAlterUser();
    if (acceptWord("SYSTEM"))
        return parseAlterSystem();
    if (atWord("ROLLBACK"))
        return parseAlterRollbackSegment(begin);
    if (atWord("PROCEDURE") || atWord("FUNCTION") || atWord("PACKAGE") || atWord("TRIGGER")) {
        auto s = make<AlterCodeStmt>(begin);
        s->objectType = advance().text;
        s->name = parseObjectName(903, false);
        using Action = AlterCodeStmt::Action;
        if (s->objectType == "TRIGGER" && acceptWord("ENABLE"))
            s->action = Action::Enable;
        else if (s->objectType == "TRIGGER" && acceptWord("DISABLE"))
            s->action = Action::Disable;
        else {
            expectWord("COMPILE", 922);
            if (s->objectType == "PACKAGE" && (atWord("PACKAGE") || atWord("BODY") || atWord("SPECIFICATION")))
                s->compileWhat = advance().text;
            acceptWord("DEBUG");
        }
        return s;
    }
    if (atWord("VIEW")) {
        // ALTER VIEW ... COMPILE; the constraint and READ ONLY forms are not supported.
        auto s = make<AlterCodeStmt>(begin);
        s->objectType = advance().text;
        s->name = parseObjectName(903, false);
        if (!atWord("COMPILE"))
            failHere(3001);
        advance();
        return s;
    }
    static constexpr const char* Later[] = { "TYPE",
        "DATABASE", "TABLESPACE", "ROLE", "PROFILE", "SYNONYM", "MATERIALIZED", "CLUSTER", "RESOURCE", "ROLLBACK" };
    for (const char* w : Later) {
        if (atWord(w))
            failHere(3001);
    }
    failHere(940);
}

StatementPtr Parser::parseAlterTable()
{
    auto s = make<AlterTableStmt>(toks.front().offset);
    s->table = parseObjectName(903, false);
    using Type = AlterTableAction::Type;
    auto columnList = [this](AlterTableAction& a, bool modify) {
        NestingGuard guard(*this, cur().offset);
        advance(); // (
        do {
            a.columns.push_back(parseColumnDef(modify));
        } while (accept(TokenKind::Comma));
        expect(TokenKind::RParen, 907);
    };
    do {
        AlterTableAction a;
        a.offset = cur().offset;
        if (acceptWord("ADD")) {
            if (at(TokenKind::LParen)) {
                // ADD (col type, ..., constraint ...): columns and constraints may be mixed
                NestingGuard guard(*this, cur().offset);
                advance();
                AlterTableAction cons;
                cons.type = Type::AddConstraint;
                cons.offset = a.offset;
                a.type = Type::AddColumns;
                do {
                    if (atConstraintStart())
                        cons.constraints.push_back(parseOutOfLineConstraint());
                    else
                        a.columns.push_back(parseColumnDef(false));
                } while (accept(TokenKind::Comma));
                expect(TokenKind::RParen, 907);
                for (const ColumnDef& c : a.columns) {
                    if (!c.type)
                        fail(902, c.name.offset);
                }
                if (!a.columns.empty())
                    s->actions.push_back(std::move(a));
                if (!cons.constraints.empty())
                    s->actions.push_back(std::move(cons));
                continue;
            }
            if (atConstraintStart()) {
                a.type = Type::AddConstraint;
                a.constraints.push_back(parseOutOfLineConstraint());
            } else {
                a.type = Type::AddColumns;
                acceptWord("COLUMN");
                ColumnDef c = parseColumnDef(false);
                if (!c.type)
                    fail(902, c.name.offset);
                a.columns.push_back(std::move(c));
            }
        } else if (acceptWord("MODIFY")) {
            a.type = Type::ModifyColumns;
            if (atWord("CONSTRAINT") || atWord("PRIMARY") || atWord("UNIQUE") || atWord("PARTITION") || atWord("LOB")
                || atWord("DEFAULT"))
                failHere(3001);
            if (at(TokenKind::LParen))
                columnList(a, true);
            else
                a.columns.push_back(parseColumnDef(true));
        } else if (acceptWord("DROP")) {
            if (acceptWord("COLUMN")) {
                a.type = Type::DropColumns;
                a.names.push_back(parseIdentifier(904));
            } else if (at(TokenKind::LParen)) {
                a.type = Type::DropColumns;
                a.names = parseIdentifierList(904);
            } else if (acceptWord("CONSTRAINT")) {
                a.type = Type::DropConstraint;
                a.names.push_back(parseIdentifier(904));
            } else if (acceptWord("PRIMARY")) {
                expectWord("KEY", 905);
                a.type = Type::DropPrimaryKey;
            } else if (acceptWord("UNIQUE")) {
                a.type = Type::DropUnique;
                a.names = parseIdentifierList(904);
            } else if (atWord("UNUSED") || atWord("PARTITION")) {
                failHere(3001);
            } else {
                failHere(905);
            }
            if (acceptWord("CASCADE")) {
                a.cascade = true;
                if (a.type == Type::DropColumns)
                    expectWord("CONSTRAINTS", 905);
                else
                    acceptWord("CONSTRAINTS");
            }
            if (a.type != Type::DropColumns) {
                if (acceptWord("KEEP")) {
                    expectWord("INDEX", 905);
                    a.keepIndex = true;
                } else if (atWord("DROP") && peek().isWord("INDEX")) {
                    advance();
                    advance();
                }
            }
        } else if (acceptWord("RENAME")) {
            if (acceptWord("COLUMN")) {
                a.type = Type::RenameColumn;
                a.names.push_back(parseIdentifier(904));
                expectWord("TO", 946);
                a.names.push_back(parseIdentifier(904));
            } else if (acceptWord("TO")) {
                a.type = Type::RenameTable;
                a.names.push_back(parseIdentifier(903));
            } else if (atWord("CONSTRAINT")) {
                failHere(3001);
            } else {
                failHere(1735);
            }
        } else if ((atWord("ENABLE") || atWord("DISABLE")) && !peek().isWord("ROW")) {
            a.enable = advance().text == "ENABLE";
            if (acceptWord("ALL")) {
                expectWord("TRIGGERS", 905);
                a.type = Type::EnableAllTriggers;
            } else {
                a.type = Type::EnableConstraint;
                if (acceptWord("VALIDATE"))
                    a.validate = true;
                else if (acceptWord("NOVALIDATE"))
                    a.validate = false;
                if (acceptWord("CONSTRAINT")) {
                    a.names.push_back(parseIdentifier(904));
                } else if (acceptWord("PRIMARY")) {
                    expectWord("KEY", 905);
                    a.primaryKey = true;
                } else if (acceptWord("UNIQUE")) {
                    a.uniqueColumns = parseIdentifierList(904);
                } else if (atWord("TABLE") || atWord("TRIGGER")) {
                    failHere(3001);
                } else {
                    failHere(905);
                }
                if (acceptWord("CASCADE"))
                    a.cascade = true;
                if (acceptWord("KEEP")) {
                    expectWord("INDEX", 905);
                    a.keepIndex = true;
                }
            }
        } else if (atWord("MOVE") || isPhysicalWord(cur()) || atWord("ENABLE") || atWord("DISABLE")) {
            a.type = Type::Physical;
            const int b = cur().offset;
            acceptWord("MOVE");
            skipPhysicalClauses({ "ADD", "MODIFY", "DROP", "RENAME" });
            a.text = textBetween(b, prevEnd());
        } else {
            failHere(1735);
        }
        s->actions.push_back(std::move(a));
    } while (!atEnd() && !at(TokenKind::Semicolon)
        && (atWord("ADD") || atWord("MODIFY") || atWord("DROP") || atWord("ENABLE") || atWord("DISABLE")
            || atWord("RENAME") || isPhysicalWord(cur())));
    return s;
}

StatementPtr Parser::parseCreateIndex(bool unique, bool bitmap)
{
    auto s = make<CreateIndexStmt>(toks.front().offset);
    s->unique = unique;
    s->bitmap = bitmap;
    s->index = parseObjectName(953, false);
    expectWord("ON", 969);
    if (atWord("CLUSTER"))
        failHere(3001);
    s->table = parseObjectName(903, false);
    s->tableAlias = parseOptionalAlias(true);
    NestingGuard guard(*this, cur().offset);
    expect(TokenKind::LParen, 906);
    do {
        IndexColumn c;
        c.offset = cur().offset;
        c.expr = parseExpr();
        c.text = textBetween(c.offset, prevEnd());
        if (acceptWord("DESC"))
            c.descending = true;
        else
            acceptWord("ASC");
        s->columns.push_back(std::move(c));
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RParen, 907);
    const size_t physicalStart = pos;
    s->physicalText = skipPhysicalClauses({});
    for (size_t i = physicalStart; i + 1 < pos; ++i) {
        if (toks[i].isWord("TABLESPACE")) {
            const Token& t = toks[i + 1];
            s->tablespace = Identifier { t.text, t.kind == TokenKind::QuotedIdentifier, t.offset };
        }
    }
    if (!atEnd() && !at(TokenKind::Semicolon))
        failHere(2158);
    return s;
}

StatementPtr Parser::parseAlterIndex()
{
    auto s = make<AlterIndexStmt>(toks.front().offset);
    s->index = parseObjectName(953, false);
    if (acceptWord("REBUILD")) {
        s->action = AlterIndexStmt::Action::Rebuild;
        s->optionsText = skipPhysicalClauses({});
    } else if (atWord("RENAME")) {
        advance();
        expectWord("TO", 946);
        s->action = AlterIndexStmt::Action::RenameTo;
        s->newName = parseIdentifier(953);
    } else if (atWord("UNUSABLE") || atWord("COALESCE") || atWord("MONITORING") || atWord("NOMONITORING")
        || isPhysicalWord(cur())) {
        s->action = AlterIndexStmt::Action::Other;
        const int b = cur().offset;
        if (acceptWord("UNUSABLE") || acceptWord("COALESCE")) {
        } else if (acceptWord("MONITORING") || acceptWord("NOMONITORING")) {
            expectWord("USAGE", 905);
        } else {
            skipPhysicalClauses({});
        }
        s->optionsText = textBetween(b, prevEnd());
    } else {
        failHere(940);
    }
    return s;
}

void Parser::parseSequenceOptions(SequenceOptions& o, bool alter)
{
    for (;;) {
        if (acceptWord("INCREMENT")) {
            expectWord("BY", 924);
            o.incrementBy = parseSignedNumber(936);
        } else if (atWord("START")) {
            if (alter)
                failHere(2283);
            advance();
            expectWord("WITH", 970);
            o.startWith = parseSignedNumber(936);
        } else if (acceptWord("MAXVALUE")) {
            o.maxValue = parseSignedNumber(936);
        } else if (acceptWord("NOMAXVALUE")) {
            o.noMaxValue = true;
        } else if (acceptWord("MINVALUE")) {
            o.minValue = parseSignedNumber(936);
        } else if (acceptWord("NOMINVALUE")) {
            o.noMinValue = true;
        } else if (acceptWord("CYCLE")) {
            o.cycle = true;
        } else if (acceptWord("NOCYCLE")) {
            o.cycle = false;
        } else if (acceptWord("CACHE")) {
            o.cache = parseSignedNumber(936);
        } else if (acceptWord("NOCACHE")) {
            o.noCache = true;
        } else if (acceptWord("ORDER")) {
            o.order = true;
        } else if (acceptWord("NOORDER")) {
            o.order = false;
        } else if (alter && acceptWord("RESTART")) {
            o.restart = true;
        } else {
            return;
        }
    }
}

StatementPtr Parser::parseCreateView(bool orReplace, bool force)
{
    auto s = make<CreateViewStmt>(toks.front().offset);
    s->orReplace = orReplace;
    s->force = force;
    s->view = parseObjectName(903, false);
    if (at(TokenKind::LParen))
        s->columns = parseIdentifierList(904);
    expectWord("AS", 905);
    if (!atQueryStart())
        failHere(928);
    s->queryOffset = cur().offset;
    s->query = parseQuery();
    s->queryEndOffset = prevEnd();
    s->queryText = textBetween(s->queryOffset, s->queryEndOffset);
    if (acceptWord("WITH")) {
        if (acceptWord("READ")) {
            expectWord("ONLY", 905);
            s->withReadOnly = true;
        } else {
            expectWord("CHECK", 905);
            expectWord("OPTION", 994);
            s->withCheckOption = true;
        }
        if (acceptWord("CONSTRAINT"))
            s->constraintName = parseIdentifier(904);
    }
    return s;
}

StatementPtr Parser::parseCreateSynonym(bool orReplace, bool isPublic)
{
    auto s = make<CreateSynonymStmt>(toks.front().offset);
    s->orReplace = orReplace;
    s->isPublic = isPublic;
    s->synonym = parseObjectName(995, false);
    if (isPublic && s->synonym.schema)
        fail(995, s->synonym.offset);
    expectWord("FOR", 905);
    s->target = parseObjectName(903, true);
    return s;
}

void Parser::parseUserOptions(UserOptions& o, bool alter)
{
    bool any = false;
    for (;;) {
        if (acceptWord("IDENTIFIED")) {
            if (acceptWord("EXTERNALLY")) {
                o.identifiedExternally = true;
            } else if (atWord("GLOBALLY") || atWord("VALUES")) {
                failHere(3001);
            } else {
                expectWord("BY", 924);
                if (!at(TokenKind::Identifier) && !at(TokenKind::QuotedIdentifier))
                    failHere(988);
                const Token& t = advance();
                o.password = t.text;
                o.passwordQuoted = t.kind == TokenKind::QuotedIdentifier;
                o.passwordOffset = t.offset;
                if (alter && acceptWord("REPLACE")) {
                    if (!at(TokenKind::Identifier) && !at(TokenKind::QuotedIdentifier))
                        failHere(988);
                    advance();
                }
            }
        } else if (acceptWord("DEFAULT")) {
            if (acceptWord("TABLESPACE")) {
                o.defaultTablespace = parseIdentifier(922);
            } else if (alter && acceptWord("ROLE")) {
                if (acceptWord("ALL")) {
                    o.defaultRoleAll = true;
                    if (acceptWord("EXCEPT"))
                        failHere(3001);
                } else if (acceptWord("NONE")) {
                    o.defaultRoles = std::vector<Identifier>();
                } else {
                    std::vector<Identifier> roles;
                    do {
                        roles.push_back(parseIdentifier(1935));
                    } while (accept(TokenKind::Comma));
                    o.defaultRoles = std::move(roles);
                }
            } else {
                failHere(922);
            }
        } else if (acceptWord("TEMPORARY")) {
            expectWord("TABLESPACE", 922);
            o.temporaryTablespace = parseIdentifier(922);
        } else if (acceptWord("QUOTA")) {
            Quota q;
            if (acceptWord("UNLIMITED")) {
                q.size = "UNLIMITED";
            } else {
                if (!at(TokenKind::Number))
                    failHere(922);
                const Token& n = advance();
                q.size = n.text;
                // 10M: the unit is a word right after the digits
                if (at(TokenKind::Identifier) && cur().offset == n.endOffset
                    && (atWord("K") || atWord("M") || atWord("G") || atWord("T")))
                    q.size += advance().text;
            }
            expectWord("ON", 969);
            q.tablespace = parseIdentifier(922);
            o.quotas.push_back(std::move(q));
        } else if (acceptWord("PROFILE")) {
            if (atWord("DEFAULT")) {
                const Token& t = advance();
                o.profile = Identifier { t.text, false, t.offset };
            } else {
                o.profile = parseIdentifier(922);
            }
        } else if (acceptWord("PASSWORD")) {
            expectWord("EXPIRE", 922);
            o.passwordExpire = true;
        } else if (acceptWord("ACCOUNT")) {
            if (acceptWord("LOCK"))
                o.accountLocked = true;
            else if (acceptWord("UNLOCK"))
                o.accountLocked = false;
            else
                failHere(922);
        } else if (atWord("GRANT")) {
            failHere(3001);
        } else {
            break;
        }
        any = true;
    }
    if (!alter && !o.password && !o.identifiedExternally)
        failHere(954);
    if (alter && !any)
        failHere(922);
}

StatementPtr Parser::parseCreateUser()
{
    auto s = make<CreateUserStmt>(toks.front().offset);
    s->user = parseIdentifier(1935);
    if (!atWord("IDENTIFIED"))
        failHere(954);
    parseUserOptions(s->options, false);
    return s;
}

StatementPtr Parser::parseAlterUser()
{
    auto s = make<AlterUserStmt>(toks.front().offset);
    s->user = parseIdentifier(1935);
    parseUserOptions(s->options, true);
    return s;
}

StatementPtr Parser::parseAlterSession()
{
    auto s = make<AlterSessionStmt>(toks.front().offset);
    if (atWord("ENABLE") || atWord("DISABLE") || atWord("FORCE") || atWord("CLOSE") || atWord("ADVISE"))
        failHere(3001);
    expectWord("SET", 922);
    do {
        SessionSetting setting;
        if (!at(TokenKind::Identifier))
            failHere(922);
        const Token& n = advance();
        setting.name = Identifier { n.text, false, n.offset };
        expect(TokenKind::Eq, 927);
        setting.valueOffset = cur().offset;
        if (at(TokenKind::String)) {
            setting.value = advance().text;
            setting.quoted = true;
        } else if (at(TokenKind::Number) || at(TokenKind::Minus)) {
            setting.value = parseSignedNumber(922);
        } else if (at(TokenKind::Identifier) || at(TokenKind::QuotedIdentifier)) {
            setting.value = advance().text;
        } else {
            failHere(922);
        }
        s->settings.push_back(std::move(setting));
    } while (at(TokenKind::Identifier) && peek().is(TokenKind::Eq));
    return s;
}

StatementPtr Parser::parseDrop()
{
    const int begin = cur().offset;
    advance(); // DROP
    if (acceptWord("TABLE")) {
        auto s = make<DropTableStmt>(begin);
        s->table = parseObjectName(903, false);
        if (acceptWord("CASCADE")) {
            expectWord("CONSTRAINTS", 905);
            s->cascadeConstraints = true;
        }
        s->purge = acceptWord("PURGE");
        return s;
    }
    if (acceptWord("INDEX")) {
        auto s = make<DropIndexStmt>(begin);
        s->index = parseObjectName(953, false);
        if (!acceptWord("FORCE"))
            acceptWord("ONLINE");
        return s;
    }
    if (acceptWord("VIEW")) {
        auto s = make<DropViewStmt>(begin);
        s->view = parseObjectName(903, false);
        if (acceptWord("CASCADE")) {
            expectWord("CONSTRAINTS", 905);
            s->cascadeConstraints = true;
        }
        return s;
    }
    if (acceptWord("SEQUENCE")) {
        auto s = make<DropSequenceStmt>(begin);
        s->sequence = parseObjectName(903, false);
        return s;
    }
    if (atWord("PUBLIC") || atWord("SYNONYM")) {
        const bool isPublic = acceptWord("PUBLIC");
        if (isPublic && atWord("DATABASE")) {
            advance();
            expectWord("LINK", 950);
            auto s = make<DropObjectStmt>(begin);
            s->objectType = "DATABASE LINK";
            s->isPublic = true;
            s->name = parseObjectName(903, false);
            return s;
        }
        expectWord("SYNONYM", 950);
        auto s = make<DropSynonymStmt>(begin);
        s->isPublic = isPublic;
        s->synonym = parseObjectName(995, false);
        s->force = acceptWord("FORCE");
        return s;
    }
    if (acceptWord("USER")) {
        auto s = make<DropUserStmt>(begin);
        s->user = parseIdentifier(1935);
        s->cascade = acceptWord("CASCADE");
        return s;
    }
    if (acceptWord("ROLE")) {
        auto s = make<DropRoleStmt>(begin);
        s->role = parseIdentifier(1935);
        return s;
    }
    if (atWord("PROCEDURE") || atWord("FUNCTION") || atWord("TRIGGER") || atWord("PACKAGE") || atWord("TYPE")
        || atWord("DATABASE")) {
        auto s = make<DropObjectStmt>(begin);
        s->objectType = advance().text;
        if ((s->objectType == "PACKAGE" || s->objectType == "TYPE") && acceptWord("BODY"))
            s->objectType += " BODY";
        if (s->objectType == "DATABASE") {
            expectWord("LINK", 950);
            s->objectType = "DATABASE LINK";
        }
        s->name = parseObjectName(903, false);
        if (s->objectType == "TYPE")
            s->force = acceptWord("FORCE");
        return s;
    }
    static constexpr const char* Unsupported[] = { "DIRECTORY", "TABLESPACE", "PROFILE", "CONTEXT", "MATERIALIZED",
        "CLUSTER", "LIBRARY", "JAVA", "DIMENSION", "OUTLINE", "OPERATOR", "INDEXTYPE", "ROLLBACK", "EDITION" };
    for (const char* w : Unsupported) {
        if (atWord(w))
            failHere(3001);
    }
    failHere(950);
}

std::vector<Privilege> Parser::parsePrivileges()
{
    std::vector<Privilege> out;
    do {
        Privilege p;
        p.offset = cur().offset;
        if (at(TokenKind::QuotedIdentifier)) {
            p.name = advance().text;
            p.quoted = true;
        }
        while (!p.quoted && at(TokenKind::Identifier) && !atWord("ON") && !atWord("TO") && !atWord("FROM")) {
            if (!p.name.empty())
                p.name += ' ';
            p.name += advance().text;
        }
        if (p.name.empty())
            failHere(990);
        if (at(TokenKind::LParen))
            p.columns = parseIdentifierList(904);
        out.push_back(std::move(p));
    } while (accept(TokenKind::Comma));
    return out;
}

std::vector<Identifier> Parser::parseGrantees(int code)
{
    std::vector<Identifier> out;
    do {
        if (atWord("PUBLIC")) {
            const Token& t = advance();
            out.push_back(Identifier { t.text, false, t.offset });
        } else {
            out.push_back(parseIdentifier(code));
        }
    } while (accept(TokenKind::Comma));
    return out;
}

StatementPtr Parser::parseGrant()
{
    auto s = make<GrantStmt>(cur().offset);
    advance(); // GRANT
    s->privileges = parsePrivileges();
    if (acceptWord("ON")) {
        if (atWord("DIRECTORY") || atWord("JAVA") || atWord("EDITION"))
            failHere(3001);
        s->object = parseObjectName(903, false);
    }
    expectWord("TO", 946);
    s->grantees = parseGrantees(987);
    if (acceptWord("WITH")) {
        if (acceptWord("ADMIN")) {
            s->withAdminOption = true;
        } else if (acceptWord("GRANT")) {
            s->withGrantOption = true;
        } else if (atWord("HIERARCHY")) {
            failHere(3001);
        } else {
            failHere(905);
        }
        expectWord("OPTION", 994);
    }
    if (s->withAdminOption && s->object)
        failHere(933);
    if (s->withGrantOption && !s->object)
        failHere(933);
    return s;
}

StatementPtr Parser::parseRevoke()
{
    auto s = make<RevokeStmt>(cur().offset);
    advance(); // REVOKE
    s->privileges = parsePrivileges();
    if (acceptWord("ON")) {
        if (atWord("DIRECTORY") || atWord("JAVA") || atWord("EDITION"))
            failHere(3001);
        s->object = parseObjectName(903, false);
    }
    expectWord("FROM", 905);
    s->grantees = parseGrantees(987);
    if (acceptWord("CASCADE")) {
        expectWord("CONSTRAINTS", 905);
        s->cascadeConstraints = true;
    }
    acceptWord("FORCE");
    return s;
}

} // namespace engine::sql::detail

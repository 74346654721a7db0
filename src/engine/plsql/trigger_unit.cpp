// Reading and compiling database triggers.
#include "engine/plsql/trigger_unit.h"

#include "engine/catalog/catalog.h"
#include "engine/plsql/parser.h"
#include "engine/plsql/types.h"
#include "engine/session/session_state.h"
#include "engine/sql/lexer.h"
#include "engine/storage/sqlite.h"

#include <QString>

namespace engine::plsql {

int TriggerUnit::type() const
{
    const bool row = header && header->forEachRow;
    const bool before = !header || header->before;
    return before ? (row ? kBeforeRow : kBeforeStatement) : (row ? kAfterRow : kAfterStatement);
}

ActingAs::ActingAs(SessionState& s, int64_t userId, const std::string& user)
    : s_(s)
    , userId_(s.userId)
    , schemaId_(s.schemaId)
    , fctxSchemaId_(s.fctx.schemaId)
    , user_(s.user)
    , schema_(s.schema)
    , fctxSchema_(s.fctx.currentSchema)
    , fctxUser_(s.fctx.currentUser)
    , fctxUserId_(s.fctx.currentUserId)
    , sysdba_(s.sysdba)
{
    s.userId = userId;
    s.user = user;
    s.schema = user;
    s.schemaId = userId;
    s.fctx.currentSchema = user;
    s.fctx.schemaId = userId;
    s.fctx.currentUser = user;
    s.fctx.currentUserId = userId;
    s.sysdba = false;
}

ActingAs::~ActingAs()
{
    s_.userId = userId_;
    s_.user = user_;
    s_.schema = schema_;
    s_.schemaId = schemaId_;
    s_.fctx.currentSchema = fctxSchema_;
    s_.fctx.schemaId = fctxSchemaId_;
    s_.fctx.currentUser = fctxUser_;
    s_.fctx.currentUserId = fctxUserId_;
    s_.sysdba = sysdba_;
}

namespace {

// Where the trigger's PL/SQL block begins: its first DECLARE or BEGIN (neither can stand in the header).
int blockBegin(std::string_view source)
{
    sql::LexResult lx = sql::tokenize(source);
    for (const sql::Token& t : lx.tokens)
        if (t.kind == sql::TokenKind::Identifier && (t.isWord("DECLARE") || t.isWord("BEGIN")))
            return t.offset;
    for (const sql::Token& t : lx.tokens)
        if (t.isWord("DECLARE") || t.isWord("BEGIN"))
            return t.offset;
    return -1;
}

std::string trimmedText(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    return std::string(text.substr(b, e - b));
}

} // namespace

TriggerUnit readTrigger(std::string_view source)
{
    TriggerUnit t;
    t.source = std::string(source);
    ParseOutput parsed = parseUnit(source);
    if (parsed.error) {
        // The body may be wrong while the header is right: read the header with a stand-in body, and let the
        // compile list the body's errors.
        const int begin = blockBegin(source);
        if (begin < 0 || parsed.error->offset < begin)
            throw oraError(4079, "invalid trigger specification");
        std::string header = std::string(source.substr(0, static_cast<size_t>(begin))) + "BEGIN NULL; END;";
        parsed = parseUnit(header);
        if (parsed.error)
            throw oraError(4079, "invalid trigger specification");
        parsed.unit->bodyBegin = begin;
    }
    if (!parsed.unit || parsed.unit->kind != Unit::Kind::Trigger)
        throw oraError(4079, "invalid trigger specification");
    t.header = std::move(parsed.unit);
    t.blockText = std::string(source.substr(static_cast<size_t>(t.header->bodyBegin)));
    while (!t.blockText.empty() && std::isspace(static_cast<unsigned char>(t.blockText.back())))
        t.blockText.pop_back();
    if (t.header->whenBegin >= 0)
        t.whenText = trimmedText(source.substr(
            static_cast<size_t>(t.header->whenBegin), static_cast<size_t>(t.header->whenEnd - t.header->whenBegin)));
    t.name = t.header->name;
    return t;
}

void compileTriggerUnit(SessionState& s, TriggerUnit& t)
{
    t.errors.clear();
    t.body.reset();
    t.when.reset();
    const Unit& h = *t.header;
    if (h.forEachRow) {
        auto def = std::make_shared<RecordDef>();
        catalog::Catalog cat(s.conn);
        for (const catalog::ColumnRow& c : cat.columns(t.tableId)) {
            def->names.push_back(c.name);
            def->types.push_back(plTypeOf(catalog::columnType(c)));
        }
        t.row = def;
    }
    TriggerNames names;
    names.row = t.row;
    names.newName = h.referencingNew;
    names.oldName = h.referencingOld;
    names.newWritable = h.before && h.forEachRow;

    ParseOutput block = parseUnit(t.blockText);
    if (block.error) {
        t.errors.push_back(*block.error);
    } else {
        t.blockTree = std::move(block.unit);
        CompileOutput out = compileTrigger(s, t.blockText, *t.blockTree, names);
        for (const CompileError& e : out.errors) {
            if (e.text.rfind("ORA-04082", 0) == 0)
                throw oraError(4082, "NEW or OLD references not allowed in table level triggers");
            // Assigning the row's values where Oracle forbids it is a fault of the trigger, not of its body.
            if (e.text.rfind("PLS-00363", 0) == 0 && h.forEachRow) {
                const std::string target = QString::fromStdString(e.text).toUpper().toStdString();
                if (target.find("':" + h.referencingOld + ".") != std::string::npos)
                    throw oraError(4085, "cannot change the value of an OLD reference variable");
                if (target.find("':" + h.referencingNew + ".") != std::string::npos)
                    throw oraError(4084, "cannot change NEW values for this trigger type");
            }
        }
        t.errors = out.errors;
        t.body = std::move(out);
    }

    if (!t.whenText.empty()) {
        if (!h.forEachRow)
            throw oraError(4077, "WHEN clause cannot be used with table level triggers");
        t.whenBlockText = "BEGIN TRG$RESULT := (" + t.whenText + "); END;";
        const std::string& text = t.whenBlockText;
        ParseOutput w = parseUnit(text);
        if (w.error)
            throw oraError(4076, "invalid NEW or OLD specification");
        TriggerNames plain = names;
        plain.plainNames = true;
        plain.newWritable = false;
        t.whenTree = std::move(w.unit);
        CompileOutput out = compileTrigger(s, text, *t.whenTree, plain);
        if (!out.errors.empty())
            throw oraError(4076, "invalid NEW or OLD specification");
        t.when = std::move(out);
    }
}

std::unique_ptr<TriggerUnit> loadTrigger(SessionState& s, int64_t id)
{
    std::string source;
    int64_t tableId = 0, ownerId = 0;
    std::string owner, name;
    {
        storage::Stmt q(s.conn, R"(SELECT t."BASEOBJECT", o."OWNER#", u."NAME", o."NAME" FROM "TRIGGER$" t
            JOIN "OBJ$" o ON o."OBJ#" = t."OBJ#" JOIN "USER$" u ON u."USER#" = o."OWNER#" WHERE t."OBJ#" = ?1)");
        q.bind(1, id);
        if (!q.step())
            return nullptr;
        tableId = q.int64(0);
        ownerId = q.int64(1);
        owner = q.text(2);
        name = q.text(3);
        storage::Stmt src(s.conn, R"(SELECT "SOURCE" FROM "SOURCE$" WHERE "OBJ#" = ?1 ORDER BY "LINE")");
        src.bind(1, id);
        while (src.step())
            source += src.text(0);
    }
    auto t = std::make_unique<TriggerUnit>(readTrigger(source));
    t->id = id;
    t->ownerId = ownerId;
    t->owner = owner;
    t->name = name;
    t->tableId = tableId;
    ActingAs as(s, ownerId, owner);
    compileTriggerUnit(s, *t);
    return t;
}

} // namespace engine::plsql

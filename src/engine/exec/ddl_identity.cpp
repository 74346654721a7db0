// Identity columns and DEFAULT ON NULL in CREATE and ALTER TABLE.
#include "engine/exec/ddl_identity.h"

#include "engine/bind/binder.h"
#include "engine/exec/ddl_support.h"
#include "engine/sql/parser.h"
#include "engine/session/connection.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>

namespace engine::exec {

namespace {
constexpr const char* kIdentityPrefix = "ISEQ$$_";
const std::string kIdentityStartProperty = "IDENTITY_START.";
} // namespace

std::string identitySequenceName(int64_t tableId)
{
    return kIdentityPrefix + std::to_string(tableId);
}

void applyColumnGeneration(const sql::ColumnDef& def, catalog::ColumnRow& column)
{
    if (def.identity != sql::ColumnDef::Identity::None) {
        if (column.typeCode != catalog::kColNumber)
            throw oraError(30675, "identity column must be a numeric type", def.identityOffset);
        column.identity = true;
        column.identityAlways = def.identity == sql::ColumnDef::Identity::Always;
        column.defaultOnNull = def.identityOnNull;
    } else if (def.defaultOnNull) {
        column.defaultOnNull = true;
    }
}

bool needsImpliedNotNull(const sql::ColumnDef& def)
{
    if (def.identity == sql::ColumnDef::Identity::None && !def.defaultOnNull)
        return false;
    for (const sql::Constraint& k : def.constraints) {
        if (k.type == sql::ConstraintType::NotNull) {
            // Oracle's NOT NULL of such a column must be enabled and not deferrable.
            if (!k.enable.value_or(true) || k.deferrable)
                throw def.identity != sql::ColumnDef::Identity::None
                    ? oraError(30670, "invalid NOT NULL constraint specified on an identity column", k.offset)
                    : oraError(30665, "invalid NOT NULL constraint specified on a DEFAULT ON NULL column", k.offset);
            return false;
        }
        if (k.type == sql::ConstraintType::Null)
            throw def.identity != sql::ColumnDef::Identity::None
                ? oraError(30670, "invalid NOT NULL constraint specified on an identity column", k.offset)
                : oraError(30665, "invalid NOT NULL constraint specified on a DEFAULT ON NULL column", k.offset);
    }
    return true;
}

void createIdentitySequence(DdlContext& ctx, const catalog::ObjectRow& table, std::span<const sql::ColumnDef> defs,
    std::vector<catalog::ColumnRow>& columns, bool existing)
{
    const sql::ColumnDef* identity = nullptr;
    for (const sql::ColumnDef& d : defs) {
        if (d.identity == sql::ColumnDef::Identity::None)
            continue;
        if (identity || existing)
            throw oraError(30669, "table can have only one identity column", d.identityOffset);
        identity = &d;
    }
    if (!identity)
        return;
    const std::string name = identitySequenceName(table.id);
    const int64_t seq = addSequence(ctx, table.ownerId, name, identity->identityOptions);
    // ALL_TAB_IDENTITY_COLS shows the START WITH the column was declared with; SEQ$ keeps only the next value.
    storage::Stmt start(ctx.s.conn,
        R"(INSERT INTO "PROPS$" ("NAME", "VALUE$") SELECT ?1, "HIGHWATER" FROM "SEQ$" WHERE "OBJ#" = ?2)");
    start.bind(1, kIdentityStartProperty + std::to_string(seq)).bind(2, seq).run();
    for (catalog::ColumnRow& c : columns)
        if (c.name == identity->name.name)
            c.defaultText = "\"" + table.owner + "\".\"" + name + "\".nextval";
}

void fillIdentityColumn(DdlContext& ctx, const catalog::ObjectRow& table, const catalog::ColumnRow& column)
{
    if (!column.defaultText)
        return;
    const std::string text = "SELECT " + *column.defaultText + " FROM DUAL";
    auto parsed = sql::parse(text);
    const auto* select = parsed.ok() ? parsed.statement->as<sql::SelectStmt>() : nullptr;
    const auto* blk = select ? select->query->body->as<sql::QueryBlock>() : nullptr;
    if (!blk || blk->items.size() != 1 || !blk->items[0].expr)
        return;
    catalog::Lookup lookup = lookupOf(ctx);
    auto e = bind::bindTableExpression(
        *blk->items[0].expr, text, tableInfo(ctx, table), lookup, sessionContextOf(ctx), true);
    ctx.s.checksOff = true;
    storage::exec(ctx.s.conn,
        "UPDATE " + storage::quoteIdent(catalog::physicalTableName(table.id)) + " SET "
            + storage::quoteIdent(column.physicalName) + " = " + e.sql);
    ctx.s.checksOff = false;
}

bool isIdentitySequence(DdlContext& ctx, const catalog::ObjectRow& sequence)
{
    if (sequence.name.rfind(kIdentityPrefix, 0) != 0)
        return false;
    const std::string digits = sequence.name.substr(std::char_traits<char>::length(kIdentityPrefix));
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; })
        || digits.size() > 18)
        return false;
    const auto cols = catalog::Catalog(ctx.s.conn).columns(std::stoll(digits));
    return std::any_of(cols.begin(), cols.end(), [](const catalog::ColumnRow& c) { return c.identity; });
}

void dropIdentitySequence(DdlContext& ctx, const catalog::ObjectRow& table)
{
    catalog::Catalog cat(ctx.s.conn);
    auto seq = cat.object(table.ownerId, identitySequenceName(table.id), catalog::namespaceOf(catalog::kTypeSequence));
    if (!seq || seq->type != catalog::kTypeSequence)
        return;
    cat.removeObject(seq->id);
    session::dropSequenceCache(ctx.s, seq->id);
    storage::Stmt start(ctx.s.conn, R"(DELETE FROM "PROPS$" WHERE "NAME" = ?1)");
    start.bind(1, kIdentityStartProperty + std::to_string(seq->id)).run();
}

} // namespace engine::exec

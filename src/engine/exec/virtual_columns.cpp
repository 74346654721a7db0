// Virtual columns and the hidden columns of function-based indexes.
#include "engine/exec/virtual_columns.h"

#include "engine/bind/binder.h"
#include "engine/exec/ddl_support.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <cstdio>

namespace engine::exec {

using catalog::ColumnRow;
using storage::quoteIdent;

catalog::ColumnRow virtualColumnRow(const sql::ColumnDef& def)
{
    ColumnRow c;
    if (def.type) {
        c = columnFromType(*def.type);
    } else {
        c.typeCode = catalog::kColNumber;
        c.length = 22;
    }
    c.name = def.name.name;
    c.virtualColumn = true;
    c.defaultText = def.virtualText;
    return c;
}

namespace {

// The expression bound over the table's stored columns, as SQLite SQL without a table alias.
bind::TableExpression bindOverStoredColumns(
    DdlContext& ctx, const catalog::ObjectRow& table, const sql::Expr& expr, int offset)
{
    bind::TableInfo info = tableInfo(ctx, table);
    std::vector<std::string> virtualNames;
    for (const bind::ColumnInfo& c : info.columns)
        if (c.virtualColumn)
            virtualNames.push_back(c.name);
    std::erase_if(info.columns, [](const bind::ColumnInfo& c) { return c.virtualColumn; });
    catalog::Lookup lookup = lookupOf(ctx);
    try {
        return bind::bindTableExpression(expr, ctx.text, info, lookup, sessionContextOf(ctx));
    } catch (const Error& e) {
        if (e.code() == 904)
            for (const std::string& n : virtualNames)
                if (e.message().find("\"" + n + "\"") != std::string::npos)
                    throw oraError(54012, "virtual column is referenced in a column expression", offset);
        throw;
    }
}

} // namespace

void bindVirtualColumns(DdlContext& ctx, const catalog::ObjectRow& table, std::span<const sql::ColumnDef> defs)
{
    catalog::Catalog cat(ctx.s.conn);
    for (const sql::ColumnDef& d : defs) {
        if (!d.virtualExpr)
            continue;
        bind::TableExpression e = bindOverStoredColumns(ctx, table, *d.virtualExpr, d.offset);
        if (d.type)
            continue;
        for (ColumnRow c : cat.columns(table.id)) {
            if (c.name != d.name.name)
                continue;
            ColumnRow typed = columnFromDesc(types::describe(c.name, e.type));
            c.typeCode = typed.typeCode;
            c.length = typed.length;
            c.precision = typed.precision;
            c.scale = typed.scale;
            cat.updateColumn(table.id, c);
        }
    }
}

int functionIndexColumn(DdlContext& ctx, const catalog::ObjectRow& table, const sql::Expr& expr, int offset,
    const std::string& exprText)
{
    bindOverStoredColumns(ctx, table, expr, offset);
    catalog::Catalog cat(ctx.s.conn);
    auto cols = cat.columns(table.id);
    for (const ColumnRow& c : cols)
        if (c.hidden && c.virtualColumn && c.defaultText == exprText)
            return c.col;
    ColumnRow c;
    c.col = static_cast<int>(cols.size() + 1);
    char name[32];
    std::snprintf(name, sizeof name, "SYS_NC%05d$", c.col);
    c.name = name;
    c.physicalName = nextPhysicalColumn(cols);
    c.hidden = true;
    c.virtualColumn = true;
    c.defaultText = exprText;
    catalog::Lookup lookup = lookupOf(ctx);
    bind::TableExpression e
        = bind::bindTableExpression(expr, ctx.text, tableInfo(ctx, table), lookup, sessionContextOf(ctx));
    ColumnRow typed = columnFromDesc(types::describe(c.name, e.type));
    c.typeCode = typed.typeCode;
    c.length = typed.length;
    c.precision = typed.precision;
    c.scale = typed.scale;
    cat.addColumn(table.id, c);
    storage::exec(ctx.s.conn,
        "ALTER TABLE " + quoteIdent(catalog::physicalTableName(table.id)) + " ADD COLUMN "
            + quoteIdent(c.physicalName));
    return c.col;
}

void dropUnusedIndexColumns(DdlContext& ctx, int64_t tableId)
{
    catalog::Catalog cat(ctx.s.conn);
    std::vector<int> used;
    for (int64_t idx : cat.indexesOf(tableId))
        for (int no : cat.indexColumns(idx))
            used.push_back(no);
    bool dropped = false;
    for (const ColumnRow& c : cat.columns(tableId)) {
        if (!c.hidden || !c.virtualColumn || std::find(used.begin(), used.end(), c.col) != used.end())
            continue;
        storage::exec(ctx.s.conn,
            "ALTER TABLE " + quoteIdent(catalog::physicalTableName(tableId)) + " DROP COLUMN "
                + quoteIdent(c.physicalName));
        storage::Stmt del(ctx.s.conn, R"(DELETE FROM "COL$" WHERE "OBJ#" = ?1 AND "COL#" = ?2)");
        del.bind(1, tableId).bind(2, c.col).run();
        dropped = true;
    }
    if (dropped)
        renumberColumns(ctx, tableId);
}

} // namespace engine::exec

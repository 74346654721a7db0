// The SQLite triggers that enforce CHECK and FOREIGN KEY constraints with Oracle's errors, and the ON DELETE
// actions of foreign keys. NOT NULL, NUMBER precision and lengths are checked by the emitted DML itself; keys by
// unique indexes. The triggers ask ORA_DML_CHECKS() first, so applying undo does not re-run them.
#include "engine/exec/ddl_support.h"
#include "engine/session/connection.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>

namespace engine::exec {

using catalog::ColumnRow;
using catalog::ConstraintRow;
using storage::quoteIdent;
using storage::quoteText;

namespace {

std::string phys(const std::vector<ColumnRow>& cols, int no)
{
    for (const ColumnRow& c : cols)
        if (c.col == no)
            return quoteIdent(c.physicalName);
    return "NULL";
}

std::string raise(int code, const std::string& text)
{
    return "SELECT ORA_RAISE_ERROR(" + std::to_string(code) + ", " + quoteText(text) + ")";
}

// (SELECT NEW."C1" AS "C1", ...): lets a condition written over the table's columns read the new row.
std::string newRow(const std::vector<ColumnRow>& cols)
{
    std::string r = "(SELECT ";
    for (size_t i = 0; i < cols.size(); ++i)
        r += (i ? ", NEW." : "NEW.") + quoteIdent(cols[i].physicalName) + " AS " + quoteIdent(cols[i].physicalName);
    return r + ")";
}

} // namespace

void refreshNullability(DdlContext& ctx, int64_t tableId)
{
    catalog::Catalog cat(ctx.s.conn);
    auto cons = cat.constraints(tableId);
    for (ColumnRow col : cat.columns(tableId)) {
        bool notNull = false;
        for (const ConstraintRow& c : cons)
            if (c.enabled && (c.type == catalog::kConNotNull || c.type == catalog::kConPrimary)
                && std::find(c.columns.begin(), c.columns.end(), col.col) != c.columns.end())
                notNull = true;
        if (notNull != col.notNull) {
            col.notNull = notNull;
            cat.updateColumn(tableId, col);
        }
    }
}

void rebuildTriggers(DdlContext& ctx, int64_t tableId)
{
    catalog::Catalog cat(ctx.s.conn);
    auto table = cat.objectById(tableId);
    std::string t = catalog::physicalTableName(tableId);
    for (const char* suffix : { "_BI", "_BU", "_BD" })
        storage::exec(ctx.s.conn, "DROP TRIGGER IF EXISTS " + quoteIdent(t + suffix));
    if (!table)
        return;
    auto cols = cat.columns(tableId);
    std::string onInsert, onUpdate, onDelete;
    // Foreign key checks step aside while the executor checks them at the end of a statement.
    const std::string immediate = std::string(session::kForeignKeysImmediateFunction) + "() AND ";

    for (const ConstraintRow& c : cat.constraints(tableId)) {
        if (!c.enabled)
            continue;
        std::string name = qualified(c.owner, c.name);
        if (c.type == catalog::kConCheck) {
            std::string cond = conditionSql(ctx, *table, c.condition);
            std::string check = raise(2290, "check constraint (" + name + ") violated") + " FROM " + newRow(cols)
                + " WHERE NOT (" + cond + ");\n";
            onInsert += check;
            onUpdate += check;
        } else if (c.type == catalog::kConForeign) {
            auto parent = cat.constraintById(*c.refConstraint);
            auto pcols = cat.columns(parent->tableId);
            std::string where;
            std::string match;
            for (size_t i = 0; i < c.columns.size(); ++i) {
                where += "NEW." + phys(cols, c.columns[i]) + " IS NOT NULL AND ";
                match += std::string(i ? " AND " : "") + phys(pcols, parent->columns[i]) + " = NEW."
                    + phys(cols, c.columns[i]);
            }
            std::string check = raise(2291, "integrity constraint (" + name + ") violated - parent key not found")
                + " WHERE " + immediate + where + "NOT EXISTS (SELECT 1 FROM "
                + quoteIdent(catalog::physicalTableName(parent->tableId)) + " WHERE " + match + ");\n";
            onInsert += check;
            onUpdate += check;
        }
    }

    // Foreign keys of other tables (or this one) onto this table's keys.
    for (const ConstraintRow& key : cat.constraints(tableId)) {
        if (key.type != catalog::kConPrimary && key.type != catalog::kConUnique)
            continue;
        for (const ConstraintRow& fk : cat.referencing(key.id)) {
            if (!fk.enabled)
                continue;
            auto ccols = cat.columns(fk.tableId);
            std::string child = quoteIdent(catalog::physicalTableName(fk.tableId));
            std::string match;
            std::string changed;
            for (size_t i = 0; i < fk.columns.size(); ++i) {
                match += std::string(i ? " AND " : "") + phys(ccols, fk.columns[i]) + " = OLD."
                    + phys(cols, key.columns[i]);
                changed += std::string(i ? " OR " : "") + "NEW." + phys(cols, key.columns[i]) + " IS NOT OLD."
                    + phys(cols, key.columns[i]);
            }
            std::string name = qualified(fk.owner, fk.name);
            std::string childFound = raise(2292, "integrity constraint (" + name + ") violated - child record found");
            if (fk.deleteRule == 1) {
                onDelete += "DELETE FROM " + child + " WHERE " + match + ";\n";
            } else if (fk.deleteRule == 2) {
                // SET NULL is an update of the child rows and obeys their NOT NULL constraints, which the emitted
                // DML checks and this update would bypass.
                auto childTable = cat.objectById(fk.tableId);
                std::string sets;
                for (size_t i = 0; i < fk.columns.size(); ++i) {
                    sets += std::string(i ? ", " : "") + phys(ccols, fk.columns[i]) + " = NULL";
                    for (const ColumnRow& cc : ccols)
                        if (cc.col == fk.columns[i] && cc.notNull && childTable)
                            onDelete += raise(1407,
                                            "cannot update (\"" + childTable->owner + "\".\"" + childTable->name
                                                + "\".\"" + cc.name + "\") to NULL")
                                + " WHERE EXISTS (SELECT 1 FROM " + child + " WHERE " + match + ");\n";
                }
                onDelete += "UPDATE " + child + " SET " + sets + " WHERE " + match + ";\n";
            } else {
                onDelete += childFound + " WHERE " + immediate + "EXISTS (SELECT 1 FROM " + child + " WHERE " + match
                    + ");\n";
            }
            onUpdate += childFound + " WHERE " + immediate + "(" + changed + ") AND EXISTS (SELECT 1 FROM " + child
                + " WHERE " + match + ");\n";
        }
    }

    auto create = [&](const char* suffix, const char* event, const std::string& body) {
        if (body.empty())
            return;
        storage::exec(ctx.s.conn,
            "CREATE TRIGGER " + quoteIdent(t + suffix) + " BEFORE " + event + " ON " + quoteIdent(t)
                + " FOR EACH ROW WHEN " + session::kChecksFunction + "() BEGIN\n" + body + "END");
    };
    create("_BI", "INSERT", onInsert);
    create("_BU", "UPDATE", onUpdate);
    create("_BD", "DELETE", onDelete);
}

} // namespace engine::exec

// CREATE, ALTER, DROP and TRUNCATE TABLE.
#include "engine/bind/binder.h"
#include "engine/exec/ddl_identity.h"
#include "engine/exec/ddl_support.h"
#include "engine/exec/virtual_columns.h"
#include "engine/plsql/trigger_ddl.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace engine::exec {

using catalog::ColumnRow;
using catalog::ConstraintRow;
using storage::quoteIdent;
using storage::Stmt;

void renumberColumns(DdlContext& ctx, int64_t tableId)
{
    // Oracle numbers the remaining columns from 1 again.
    int next = 0;
    for (const ColumnRow& c : catalog::Catalog(ctx.s.conn).columns(tableId)) {
        ++next;
        if (c.col != next) {
            for (const char* sql : { R"(UPDATE "COL$" SET "COL#" = ?3 WHERE "OBJ#" = ?1 AND "COL#" = ?2)",
                     R"(UPDATE "CCOL$" SET "COL#" = ?3 WHERE "OBJ#" = ?1 AND "COL#" = ?2)",
                     R"(UPDATE "ICOL$" SET "COL#" = ?3 WHERE "BO#" = ?1 AND "COL#" = ?2)",
                     R"(UPDATE "COM$" SET "COL#" = ?3 WHERE "OBJ#" = ?1 AND "COL#" = ?2)" }) {
                Stmt u(ctx.s.conn, sql);
                u.bind(1, tableId).bind(2, c.col).bind(3, next).run();
            }
        }
    }
}

// The column a query's result column describes (CREATE TABLE ... AS SELECT, a virtual column's expression).
ColumnRow columnFromDesc(const ColumnDesc& d)
{
    ColumnRow c;
    c.typeCode = catalog::typeCode(d.type);
    c.length = d.size;
    if (d.type == OraType::Number) {
        c.length = 22;
        if (d.precision > 0)
            c.precision = d.precision;
        if (d.precision > 0 || d.scale != 0)
            c.scale = d.scale;
    } else if (d.type == OraType::Date) {
        c.length = 7;
    } else if ((d.type == OraType::Varchar2 || d.type == OraType::Char) && c.length <= 0) {
        c.length = 4000;
    }
    return c;
}

namespace {


std::vector<int> columnNumbers(const std::vector<ColumnRow>& cols, const std::vector<sql::Identifier>& names)
{
    std::vector<int> r;
    for (const sql::Identifier& n : names)
        r.push_back(columnNamed(cols, n).col);
    return r;
}

void checkNewName(DdlContext& ctx, int64_t ownerId, const sql::Identifier& name)
{
    if (name.name.size() > 30)
        throw oraError(972, "identifier is too long", name.offset);
    if (catalog::Catalog(ctx.s.conn).object(ownerId, name.name, 1))
        throw oraError(955, "name is already used by an existing object", name.offset);
}

// The constraints of a column definition, applied to that column.
void addColumnConstraints(DdlContext& ctx, const catalog::ObjectRow& table, const sql::ColumnDef& def, int colNo)
{
    for (const sql::Constraint& c : def.constraints) {
        std::vector<int> cols = c.columns.empty()
            ? std::vector<int> { colNo }
            : columnNumbers(catalog::Catalog(ctx.s.conn).columns(table.id), c.columns);
        addConstraint(ctx, table, c, cols);
    }
}

void dropConstraintRow(DdlContext& ctx, ConstraintRow c, bool cascade, std::set<int64_t>& touched)
{
    catalog::Catalog cat(ctx.s.conn);
    if (c.type == catalog::kConPrimary || c.type == catalog::kConUnique) {
        auto children = cat.referencing(c.id);
        if (!children.empty() && !cascade)
            throw oraError(2273, "this unique/primary key is referenced by some foreign keys");
        for (const ConstraintRow& fk : children) {
            cat.removeConstraint(fk.id);
            touched.insert(fk.tableId);
        }
        dropKeyIndex(ctx, c);
    }
    cat.removeConstraint(c.id);
    touched.insert(c.tableId);
}

void finish(DdlContext& ctx, const std::set<int64_t>& tables)
{
    // Nullability first: a parent's ON DELETE SET NULL trigger reads the NOT NULL state of its children.
    for (int64_t id : tables)
        refreshNullability(ctx, id);
    for (int64_t id : tables) {
        rebuildTriggers(ctx, id);
        catalog::Catalog(ctx.s.conn).touchObject(id);
    }
}

// Rebuilds the triggers of the table and of every table its keys and foreign keys connect it to.
std::set<int64_t> relatedTables(DdlContext& ctx, int64_t tableId)
{
    catalog::Catalog cat(ctx.s.conn);
    std::set<int64_t> r { tableId };
    for (const ConstraintRow& c : cat.constraints(tableId)) {
        if (c.type == catalog::kConForeign)
            if (auto p = cat.constraintById(*c.refConstraint))
                r.insert(p->tableId);
        if (c.type == catalog::kConPrimary || c.type == catalog::kConUnique)
            for (const ConstraintRow& fk : cat.referencing(c.id))
                r.insert(fk.tableId);
    }
    return r;
}

std::optional<ConstraintRow> findConstraint(
    DdlContext& ctx, const catalog::ObjectRow& table, const sql::AlterTableAction& a)
{
    catalog::Catalog cat(ctx.s.conn);
    for (const ConstraintRow& c : cat.constraints(table.id)) {
        if (a.primaryKey || a.type == sql::AlterTableAction::Type::DropPrimaryKey) {
            if (c.type == catalog::kConPrimary)
                return c;
        } else if (a.type == sql::AlterTableAction::Type::DropUnique || !a.uniqueColumns.empty()) {
            const auto& names = a.type == sql::AlterTableAction::Type::DropUnique ? a.names : a.uniqueColumns;
            if (c.type == catalog::kConUnique && c.columns == columnNumbers(cat.columns(table.id), names))
                return c;
        } else if (!a.names.empty() && c.name == a.names[0].name) {
            return c;
        }
    }
    // ENABLE and DISABLE have errors of their own: the DROP texts would name the wrong operation.
    bool enabling = a.type == sql::AlterTableAction::Type::EnableConstraint;
    if (a.primaryKey || a.type == sql::AlterTableAction::Type::DropPrimaryKey) {
        if (enabling)
            throw a.enable ? oraError(2432, "cannot enable primary key - primary key not defined for table", a.offset)
                           : oraError(2433, "cannot disable primary key - primary key not defined for table", a.offset);
        throw oraError(2441, "Cannot drop nonexistent primary key", a.offset);
    }
    if (a.type == sql::AlterTableAction::Type::DropUnique || !a.uniqueColumns.empty())
        throw oraError(2442, "Cannot drop nonexistent unique key", a.offset);
    if (enabling && !a.names.empty())
        throw a.enable ? oraError(
            2430, "cannot enable constraint (" + a.names[0].name + ") - no such constraint", a.names[0].offset)
                       : oraError(2431, "cannot disable constraint (" + a.names[0].name + ") - no such constraint",
                           a.names[0].offset);
    throw oraError(2443, "Cannot drop constraint  - nonexistent constraint", a.offset);
}

// Replaces whole-word occurrences of a column name in a stored condition (RENAME COLUMN keeps CHECKs working).
std::string renameInCondition(const std::string& text, const std::string& from, const std::string& to)
{
    std::string r;
    size_t i = 0;
    auto isWord
        = [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '$' || ch == '#'; };
    while (i < text.size()) {
        if (text[i] == '\'') {
            size_t j = text.find('\'', i + 1);
            j = j == std::string::npos ? text.size() : j + 1;
            r += text.substr(i, j - i);
            i = j;
            continue;
        }
        if (isWord(text[i])) {
            size_t j = i;
            while (j < text.size() && isWord(text[j]))
                ++j;
            std::string word = text.substr(i, j - i);
            std::string up = word;
            for (char& ch : up)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            r += up == from ? to : word;
            i = j;
            continue;
        }
        if (text[i] == '"') {
            size_t j = text.find('"', i + 1);
            j = j == std::string::npos ? text.size() : j + 1;
            std::string word = text.substr(i, j - i);
            r += word == "\"" + from + "\"" ? "\"" + to + "\"" : word;
            i = j;
            continue;
        }
        r += text[i++];
    }
    return r;
}

// What a CTAS select list item is: a column selected as it is, the bare NULL literal (which gives no column type)
// or any other expression.
enum class SelectedAs { Column, Null, Expression };

std::vector<SelectedAs> selectedAs(const sql::Query& q, size_t count)
{
    std::vector<SelectedAs> r(count, SelectedAs::Expression);
    const auto* block = q.body ? q.body->as<sql::QueryBlock>() : nullptr;
    if (!block)
        return r;
    size_t stars = 0;
    for (const sql::SelectItem& item : block->items)
        stars += item.type != sql::SelectItem::Type::Expr ? 1 : 0;
    if (stars > 1 || block->items.size() - stars > count)
        return r;
    size_t pos = 0;
    for (const sql::SelectItem& item : block->items) {
        if (item.type != sql::SelectItem::Type::Expr) {
            size_t n = count - (block->items.size() - 1);
            for (size_t k = 0; k < n && pos < count; ++k)
                r[pos++] = SelectedAs::Column;
            continue;
        }
        SelectedAs a = SelectedAs::Expression;
        if (item.expr && item.expr->as<sql::ColumnRefExpr>())
            a = SelectedAs::Column;
        else if (const auto* lit = item.expr ? item.expr->as<sql::LiteralExpr>() : nullptr)
            if (lit->type == sql::LiteralExpr::Type::Null
                || (lit->type == sql::LiteralExpr::Type::Text && lit->text.empty()))
                a = SelectedAs::Null;
        if (pos < count)
            r[pos++] = a;
    }
    return r;
}

} // namespace

void createTable(DdlContext& ctx, const sql::CreateTableStmt& st)
{
    if (st.globalTemporary)
        throw oraError(3001, "unimplemented feature: GLOBAL TEMPORARY tables", st.offset);
    catalog::UserRow owner = ownerOf(ctx, st.name);
    checkNewName(ctx, owner.id, st.name.name);
    catalog::Catalog cat(ctx.s.conn);

    std::vector<ColumnRow> cols;
    std::vector<int> keepNotNull;
    bind::BoundStatementPtr query;
    if (st.asQuery) {
        catalog::Lookup lookup = lookupOf(ctx);
        query = bind::bindQuery(*st.asQuery, ctx.text, lookup, sessionContextOf(ctx));
        priv::checkAccess(ctx.s, *query);
        if (!query->params.empty())
            throw oraError(1027, "bind variables not allowed for data definition operations", st.asQuery->offset);
        if (!st.columns.empty() && st.columns.size() != query->columns.size())
            throw oraError(1730, "invalid number of column names specified", st.columns.front().offset);
        std::vector<SelectedAs> selected = selectedAs(*st.asQuery, query->columns.size());
        for (size_t i = 0; i < query->columns.size(); ++i) {
            if (selected[i] == SelectedAs::Null)
                throw oraError(1723, "zero-length columns are not allowed", st.asQuery->offset);
            ColumnRow c = columnFromDesc(query->columns[i]);
            // Oracle carries the NOT NULL of a column selected as it is over to the new table; an expression,
            // even over a NOT NULL column, gives a column that takes NULL.
            if (selected[i] == SelectedAs::Column && !query->columns[i].nullable)
                keepNotNull.push_back(static_cast<int>(i + 1));
            if (!st.columns.empty()) {
                c.name = st.columns[i].name.name;
            } else {
                c.name = query->columns[i].name;
                if (!plainIdentifier(c.name))
                    throw oraError(998, "must name this expression with a column alias", st.asQuery->offset);
            }
            cols.push_back(c);
        }
    } else {
        if (st.columns.empty())
            throw oraError(906, "missing left parenthesis", st.name.offset);
        for (const sql::ColumnDef& d : st.columns) {
            if (d.virtualExpr) {
                cols.push_back(virtualColumnRow(d));
                continue;
            }
            if (!d.type)
                throw oraError(902, "invalid datatype", d.offset);
            ColumnRow c = columnFromType(*d.type);
            c.name = d.name.name;
            if (!d.defaultText.empty())
                c.defaultText = d.defaultText;
            applyColumnGeneration(d, c);
            cols.push_back(c);
        }
    }
    if (cols.size() > 1000)
        throw oraError(1792, "maximum number of columns in a table or view is 1000");
    if (std::count_if(cols.begin(), cols.end(), [](const ColumnRow& c) { return c.typeCode == catalog::kColLong; }) > 1)
        throw oraError(1754, "a table may contain only one column of type LONG", st.name.offset);
    std::set<std::string> names;
    for (size_t i = 0; i < cols.size(); ++i) {
        if (!names.insert(cols[i].name).second)
            throw oraError(957, "duplicate column name", i < st.columns.size() ? st.columns[i].name.offset : -1);
        cols[i].col = static_cast<int>(i + 1);
        cols[i].physicalName = "C" + std::to_string(i + 1);
    }

    int64_t id = cat.addObject(owner.id, st.name.name.name, catalog::kTypeTable);
    createIdentitySequence(ctx, *cat.objectById(id), st.columns, cols, false);
    storage::Stmt tab(ctx.s.conn, R"(INSERT INTO "TAB$" ("OBJ#", "COLS") VALUES (?1, ?2))");
    tab.bind(1, id).bind(2, static_cast<int64_t>(cols.size())).run();
    std::string ddl = "CREATE TABLE " + quoteIdent(catalog::physicalTableName(id)) + " ("
        + quoteIdent(catalog::kRowNumberColumn) + " INTEGER PRIMARY KEY";
    for (const ColumnRow& c : cols) {
        cat.addColumn(id, c);
        ddl += ", " + quoteIdent(c.physicalName);
    }
    storage::exec(ctx.s.conn, ddl + ")");
    auto table = *cat.objectById(id);
    bindVirtualColumns(ctx, table, st.columns);
    for (int no : keepNotNull) {
        // As a system-named NOT NULL constraint, the way a column definition's NOT NULL is kept.
        sql::Constraint nn;
        nn.type = sql::ConstraintType::NotNull;
        addConstraint(ctx, table, nn, { no });
    }

    if (query) {
        std::string insert = "INSERT INTO " + quoteIdent(catalog::physicalTableName(id)) + " (";
        for (size_t i = 0; i < cols.size(); ++i)
            insert += (i ? ", " : "") + quoteIdent(cols[i].physicalName);
        storage::exec(ctx.s.conn, insert + ") SELECT * FROM (" + query->sql + ")");
    }
    for (size_t i = 0; i < st.columns.size(); ++i) {
        if (!query && needsImpliedNotNull(st.columns[i])) {
            sql::Constraint nn;
            nn.type = sql::ConstraintType::NotNull;
            addConstraint(ctx, table, nn, { static_cast<int>(i + 1) });
        }
        addColumnConstraints(ctx, table, st.columns[i], static_cast<int>(i + 1));
    }
    for (const sql::Constraint& c : st.constraints)
        addConstraint(ctx, table, c, columnNumbers(cat.columns(id), c.columns));
    finish(ctx, relatedTables(ctx, id));
}

void dropTable(DdlContext& ctx, const sql::DropTableStmt& st)
{
    catalog::ObjectRow table = tableForDdl(ctx, st.table);
    catalog::Catalog cat(ctx.s.conn);
    std::set<int64_t> touched;
    for (const ConstraintRow& c : cat.constraints(table.id)) {
        if (c.type == catalog::kConPrimary || c.type == catalog::kConUnique) {
            for (const ConstraintRow& fk : cat.referencing(c.id)) {
                if (fk.tableId == table.id)
                    continue;
                if (!st.cascadeConstraints)
                    throw oraError(2449, "unique/primary keys in table referenced by foreign keys", st.table.offset);
                cat.removeConstraint(fk.id);
                touched.insert(fk.tableId);
            }
        }
        if (c.type == catalog::kConForeign)
            if (auto p = cat.constraintById(*c.refConstraint); p && p->tableId != table.id)
                touched.insert(p->tableId);
    }
    for (int64_t idx : cat.indexesOf(table.id))
        cat.removeObject(idx);
    for (const ConstraintRow& c : cat.constraints(table.id))
        cat.removeConstraint(c.id);
    storage::exec(ctx.s.conn, "DROP TABLE " + quoteIdent(catalog::physicalTableName(table.id)));
    plsql::dropTableTriggers(ctx.s, table.id);
    invalidateDependents(ctx, table.id);
    dropIdentitySequence(ctx, table);
    cat.removeObject(table.id);
    touched.erase(table.id);
    finish(ctx, touched);
}

void truncateTable(DdlContext& ctx, const sql::TruncateStmt& st)
{
    catalog::ObjectRow table = tableForDdl(ctx, st.table);
    catalog::Catalog cat(ctx.s.conn);
    for (const ConstraintRow& c : cat.constraints(table.id))
        if (c.type == catalog::kConPrimary || c.type == catalog::kConUnique)
            for (const ConstraintRow& fk : cat.referencing(c.id))
                if (fk.enabled && fk.tableId != table.id)
                    throw oraError(
                        2266, "unique/primary keys in table referenced by enabled foreign keys", st.table.offset);
    ctx.s.checksOff = true;
    storage::exec(ctx.s.conn, "DELETE FROM " + quoteIdent(catalog::physicalTableName(table.id)));
    ctx.s.checksOff = false;
}

void alterTable(DdlContext& ctx, const sql::AlterTableStmt& st)
{
    catalog::ObjectRow table = tableForDdl(ctx, st.table);
    catalog::Catalog cat(ctx.s.conn);
    std::string phys = quoteIdent(catalog::physicalTableName(table.id));
    std::set<int64_t> touched = relatedTables(ctx, table.id);
    auto rowsExist = [&] {
        Stmt s(ctx.s.conn, "SELECT 1 FROM " + phys + " LIMIT 1");
        return s.step();
    };
    using Type = sql::AlterTableAction::Type;
    for (const sql::AlterTableAction& a : st.actions) {
        auto cols = cat.columns(table.id);
        switch (a.type) {
        case Type::AddColumns:
            for (const sql::ColumnDef& d : a.columns) {
                for (const ColumnRow& c : cols)
                    if (c.name == d.name.name)
                        throw oraError(1430, "column being added already exists in table", d.name.offset);
                if (!d.type)
                    throw oraError(902, "invalid datatype", d.offset);
                ColumnRow c = columnFromType(*d.type);
                c.name = d.name.name;
                if (c.typeCode == catalog::kColLong && std::any_of(cols.begin(), cols.end(), [](const ColumnRow& o) {
                        return o.typeCode == catalog::kColLong;
                    }))
                    throw oraError(1754, "a table may contain only one column of type LONG", d.offset);
                c.col = static_cast<int>(cols.size() + 1);
                c.physicalName = nextPhysicalColumn(cols);
                if (!d.defaultText.empty())
                    c.defaultText = d.defaultText;
                if (d.virtualExpr)
                    throw oraError(3001, "unimplemented feature: ADD of a virtual column", d.offset);
                applyColumnGeneration(d, c);
                const bool hasIdentity
                    = std::any_of(cols.begin(), cols.end(), [](const ColumnRow& o) { return o.identity; });
                if (c.identity && hasIdentity)
                    throw oraError(30669, "table can have only one identity column", d.identityOffset);
                {
                    std::vector<ColumnRow> added { c };
                    createIdentitySequence(ctx, table, std::span(&d, 1), added, hasIdentity);
                    c = added.front();
                }
                bool mandatory = std::any_of(d.constraints.begin(), d.constraints.end(), [](const sql::Constraint& k) {
                    return (k.type == sql::ConstraintType::NotNull || k.type == sql::ConstraintType::PrimaryKey)
                        && k.enable.value_or(true);
                });
                if (mandatory && !c.defaultText && rowsExist())
                    throw oraError(1758, "table must be empty to add mandatory (NOT NULL) column", d.offset);
                cat.addColumn(table.id, c);
                storage::exec(ctx.s.conn, "ALTER TABLE " + phys + " ADD COLUMN " + quoteIdent(c.physicalName));
                if (c.defaultText && d.defaultValue) {
                    // Oracle gives the rows already there the default.
                    catalog::Lookup lookup = lookupOf(ctx);
                    auto e = bind::bindTableExpression(
                        *d.defaultValue, ctx.text, tableInfo(ctx, table), lookup, sessionContextOf(ctx));
                    ctx.s.checksOff = true;
                    storage::exec(ctx.s.conn, "UPDATE " + phys + " SET " + quoteIdent(c.physicalName) + " = " + e.sql);
                    ctx.s.checksOff = false;
                }
                if (c.identity)
                    fillIdentityColumn(ctx, table, c);
                if (needsImpliedNotNull(d)) {
                    sql::Constraint nn;
                    nn.type = sql::ConstraintType::NotNull;
                    addConstraint(ctx, table, nn, { c.col });
                }
                addColumnConstraints(ctx, table, d, c.col);
                cols = cat.columns(table.id);
            }
            break;
        case Type::ModifyColumns:
            for (const sql::ColumnDef& d : a.columns) {
                ColumnRow c = columnNamed(cols, d.name);
                std::string pc = quoteIdent(c.physicalName);
                if (d.identity != sql::ColumnDef::Identity::None || d.virtualExpr)
                    throw oraError(3001, "unimplemented feature: MODIFY of a column's identity or expression", d.offset);
                if (c.identity && !d.defaultText.empty())
                    throw oraError(30674, "identity column cannot have a default value", d.offset);
                if (c.defaultOnNull && !d.defaultText.empty())
                    throw oraError(3001, "unimplemented feature: MODIFY DEFAULT of a DEFAULT ON NULL column", d.offset);
                if (d.defaultOnNull)
                    throw oraError(3001, "unimplemented feature: MODIFY ... DEFAULT ON NULL", d.offset);
                if (d.type) {
                    ColumnRow n = columnFromType(*d.type);
                    auto nonNull = [&] {
                        Stmt s(ctx.s.conn, "SELECT 1 FROM " + phys + " WHERE " + pc + " IS NOT NULL LIMIT 1");
                        return s.step();
                    };
                    if (catalog::oraTypeOf(n.typeCode) != catalog::oraTypeOf(c.typeCode)) {
                        bool textPair = (n.typeCode == catalog::kColVarchar2 || n.typeCode == catalog::kColChar)
                            && (c.typeCode == catalog::kColVarchar2 || c.typeCode == catalog::kColChar);
                        if (!textPair && nonNull())
                            throw oraError(1439, "column to be modified must be empty to change datatype", d.offset);
                    }
                    if ((n.typeCode == catalog::kColVarchar2 || n.typeCode == catalog::kColChar)
                        && n.length < c.length) {
                        Stmt s(ctx.s.conn, "SELECT 1 FROM " + phys + " WHERE length(" + pc + ") > ?1 LIMIT 1");
                        s.bind(1, n.length);
                        if (s.step())
                            throw oraError(
                                1441, "cannot decrease column length because some value is too big", d.offset);
                    }
                    if (n.typeCode == catalog::kColNumber && c.typeCode == catalog::kColNumber && nonNull()
                        && ((n.precision && (!c.precision || *n.precision < *c.precision))
                            || n.scale.value_or(0) < c.scale.value_or(0)))
                        throw oraError(
                            1440, "column to be modified must be empty to decrease precision or scale", d.offset);
                    if (n.typeCode == catalog::kColChar && c.typeCode != catalog::kColChar)
                        storage::exec(ctx.s.conn,
                            "UPDATE " + phys + " SET " + pc + " = " + pc + " || substr('"
                                + std::string(static_cast<size_t>(n.length), ' ') + "', 1, " + std::to_string(n.length)
                                + " - length(" + pc + ")) WHERE " + pc + " IS NOT NULL");
                    n.col = c.col;
                    n.name = c.name;
                    n.physicalName = c.physicalName;
                    n.notNull = c.notNull;
                    n.defaultText = c.defaultText;
                    n.identity = c.identity;
                    n.identityAlways = c.identityAlways;
                    n.defaultOnNull = c.defaultOnNull;
                    if (n.identity && n.typeCode != catalog::kColNumber)
                        throw oraError(30675, "identity column must be a numeric type", d.offset);
                    c = n;
                }
                if (!d.defaultText.empty())
                    c.defaultText = d.defaultText;
                cat.updateColumn(table.id, c);
                for (const sql::Constraint& k : d.constraints) {
                    if (k.type == sql::ConstraintType::Null && c.identity)
                        throw oraError(30672, "cannot drop NOT NULL constraint on an identity column", k.offset);
                    if (k.type == sql::ConstraintType::Null && c.defaultOnNull)
                        throw oraError(30667, "cannot drop NOT NULL constraint on a DEFAULT ON NULL column", k.offset);
                    if (k.type == sql::ConstraintType::Null) {
                        bool dropped = false;
                        for (const ConstraintRow& e : cat.constraints(table.id))
                            if (e.type == catalog::kConNotNull && e.columns == std::vector<int> { c.col }) {
                                cat.removeConstraint(e.id);
                                dropped = true;
                            }
                        if (!dropped)
                            throw oraError(1451, "column to be modified to NULL cannot be modified to NULL", k.offset);
                    } else {
                        addConstraint(ctx, table, k,
                            k.columns.empty() ? std::vector<int> { c.col } : columnNumbers(cols, k.columns));
                    }
                }
                cols = cat.columns(table.id);
            }
            break;
        case Type::DropColumns: {
            std::vector<int> drop = columnNumbers(cols, a.names);
            if (drop.size() >= cols.size())
                throw oraError(12983, "cannot drop all columns in a table", a.offset);
            for (const ColumnRow& col : cols)
                if (col.identity && std::find(drop.begin(), drop.end(), col.col) != drop.end())
                    dropIdentitySequence(ctx, table);
            // A virtual column reading a dropped column: a function-based index's hidden one goes with its index,
            // a declared one is ORA-54031.
            for (const ColumnRow& v : cols) {
                if (!v.virtualColumn || !v.defaultText || std::find(drop.begin(), drop.end(), v.col) != drop.end())
                    continue;
                for (const ColumnRow& col : cols) {
                    if (std::find(drop.begin(), drop.end(), col.col) == drop.end()
                        || renameInCondition(*v.defaultText, col.name, "\x01") == *v.defaultText)
                        continue;
                    if (!v.hidden)
                        throw oraError(
                            54031, "column to be dropped is used in an expression of a virtual column", a.offset);
                    drop.push_back(v.col);
                    break;
                }
            }
            for (const ConstraintRow& c : cat.constraints(table.id)) {
                bool uses = std::any_of(c.columns.begin(), c.columns.end(),
                    [&](int no) { return std::find(drop.begin(), drop.end(), no) != drop.end(); });
                if (!uses && c.type == catalog::kConCheck) {
                    for (int no : drop)
                        for (const ColumnRow& col : cols)
                            if (col.col == no && renameInCondition(c.condition, col.name, "\x01") != c.condition)
                                uses = true;
                }
                if (!uses)
                    continue;
                if ((c.type == catalog::kConPrimary || c.type == catalog::kConUnique) && !cat.referencing(c.id).empty()
                    && !a.cascade)
                    throw oraError(12992, "cannot drop parent key column", a.offset);
                // A constraint over the dropped columns alone goes with them; one that also reads a column that
                // stays needs CASCADE CONSTRAINTS.
                auto staysInCheck = [&] {
                    for (const ColumnRow& col : cols)
                        if (std::find(drop.begin(), drop.end(), col.col) == drop.end()
                            && renameInCondition(c.condition, col.name, "\x01") != c.condition)
                            return true;
                    return false;
                };
                bool multi = c.type == catalog::kConCheck
                    ? staysInCheck()
                    : std::any_of(c.columns.begin(), c.columns.end(),
                        [&](int no) { return std::find(drop.begin(), drop.end(), no) == drop.end(); });
                if (multi && !a.cascade)
                    throw oraError(12991, "column is referenced in a multi-column constraint", a.offset);
                dropConstraintRow(ctx, c, true, touched);
            }
            for (int64_t idx : cat.indexesOf(table.id)) {
                auto ic = cat.indexColumns(idx);
                if (std::any_of(ic.begin(), ic.end(),
                        [&](int no) { return std::find(drop.begin(), drop.end(), no) != drop.end(); }))
                    dropIndexObject(ctx, idx);
            }
            // Triggers may read the column: they go first and come back without it.
            for (const char* suffix : { "_BI", "_BU", "_BD" })
                storage::exec(
                    ctx.s.conn, "DROP TRIGGER IF EXISTS " + quoteIdent(catalog::physicalTableName(table.id) + suffix));
            for (int no : drop)
                for (const ColumnRow& c : cols)
                    if (c.col == no) {
                        storage::exec(ctx.s.conn, "ALTER TABLE " + phys + " DROP COLUMN " + quoteIdent(c.physicalName));
                        Stmt del(ctx.s.conn, R"(DELETE FROM "COL$" WHERE "OBJ#" = ?1 AND "COL#" = ?2)");
                        del.bind(1, table.id).bind(2, no).run();
                        Stmt com(ctx.s.conn, R"(DELETE FROM "COM$" WHERE "OBJ#" = ?1 AND "COL#" = ?2)");
                        com.bind(1, table.id).bind(2, no).run();
                    }
            renumberColumns(ctx, table.id);
            break;
        }
        case Type::RenameColumn: {
            const ColumnRow& from = columnNamed(cols, a.names.at(0));
            for (const ColumnRow& c : cols)
                if (c.name == a.names.at(1).name)
                    throw oraError(957, "duplicate column name", a.names.at(1).offset);
            ColumnRow c = from;
            c.name = a.names.at(1).name;
            cat.updateColumn(table.id, c);
            for (const ConstraintRow& k : cat.constraints(table.id)) {
                if (k.type != catalog::kConCheck && k.type != catalog::kConNotNull)
                    continue;
                Stmt u(ctx.s.conn, R"(UPDATE "CDEF$" SET "CONDITION" = ?2 WHERE "CON#" = ?1)");
                u.bind(1, k.id).bind(2, renameInCondition(k.condition, from.name, c.name)).run();
            }
            break;
        }
        case Type::RenameTable: {
            checkNewName(ctx, table.ownerId, a.names.at(0));
            cat.renameObject(table.id, a.names.at(0).name);
            invalidateDependents(ctx, table.id);
            break;
        }
        case Type::AddConstraint:
            for (const sql::Constraint& k : a.constraints) {
                if (k.type == sql::ConstraintType::ForeignKey)
                    touched.insert(table.id);
                addConstraint(ctx, table, k, columnNumbers(cols, k.columns));
                touched = relatedTables(ctx, table.id);
            }
            break;
        case Type::DropConstraint:
        case Type::DropPrimaryKey:
        case Type::DropUnique: {
            auto c = findConstraint(ctx, table, a);
            dropConstraintRow(ctx, *c, a.cascade, touched);
            break;
        }
        case Type::EnableConstraint: {
            auto c = findConstraint(ctx, table, a);
            bool validate = a.validate.value_or(a.enable);
            if (a.enable) {
                if (c->type == catalog::kConForeign) {
                    auto parent = cat.constraintById(*c->refConstraint);
                    if (parent && !parent->enabled)
                        throw oraError(2270, "no matching unique or primary key for this column-list", a.offset);
                }
                ConstraintRow enabled = *c;
                enabled.enabled = true;
                if (validate)
                    validateConstraint(ctx, enabled);
                if ((c->type == catalog::kConPrimary || c->type == catalog::kConUnique) && !c->indexId)
                    createKeyIndex(ctx, table, enabled);
                cat.setConstraintState(c->id, true, validate || (c->enabled && c->validated));
            } else {
                if (c->type == catalog::kConPrimary || c->type == catalog::kConUnique) {
                    for (const ConstraintRow& fk : cat.referencing(c->id)) {
                        if (!fk.enabled)
                            continue;
                        if (!a.cascade)
                            throw oraError(2297,
                                "cannot disable constraint (" + qualified(c->owner, c->name) + ") - dependencies exist",
                                a.offset);
                        cat.setConstraintState(fk.id, false, false);
                        touched.insert(fk.tableId);
                    }
                    ConstraintRow k = *c;
                    dropKeyIndex(ctx, k);
                }
                cat.setConstraintState(c->id, false, false);
            }
            break;
        }
        case Type::EnableAllTriggers:
            plsql::setTableTriggers(ctx.s, table.id, a.enable);
            break;
        case Type::Physical:
            break;
        }
    }
    for (int64_t id : relatedTables(ctx, table.id))
        touched.insert(id);
    finish(ctx, touched);
    invalidateDependents(ctx, table.id);
}

} // namespace engine::exec

// Column types, constraints, key indexes and validation shared by the DDL statements.
#include "engine/exec/ddl_support.h"

#include "engine/bind/binder.h"
#include "engine/plsql/sql_functions.h"
#include "engine/plsql/unit_store.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/sql/lexer.h"
#include "engine/sql/parser.h"
#include "engine/storage/database_state.h"
#include "engine/storage/sqlite.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace engine::exec {

bool plainIdentifier(const std::string& name)
{
    if (name.empty() || name.size() > 30 || !std::isalpha(static_cast<unsigned char>(name[0])))
        return false;
    for (char ch : name)
        if (!(std::isupper(static_cast<unsigned char>(ch)) || std::isdigit(static_cast<unsigned char>(ch)) || ch == '_'
                || ch == '$' || ch == '#'))
            return false;
    return true;
}


using catalog::ColumnRow;
using catalog::ConstraintRow;
using storage::quoteIdent;
using storage::Stmt;

namespace {

// TIMESTAMP(s) [WITH [LOCAL] TIME ZONE] and the intervals, as Oracle's COL$ keeps them: the fraction digits in
// SCALE, an interval's leading digits in PRECISION#, 11 or 13 bytes (5 for YEAR TO MONTH).
void datetimeColumn(const sql::DataType& t, ColumnRow& c)
{
    auto digits = [&](std::optional<int64_t> v, int dflt) {
        const int64_t d = v.value_or(dflt);
        if (d < 0 || d > 9)
            throw oraError(30088, "datetime/interval precision is out of range", t.offset);
        return static_cast<int>(d);
    };
    if (t.name == "TIMESTAMP") {
        c.typeCode = t.suffix.empty()          ? catalog::kColTimestamp
            : t.suffix == "WITH TIME ZONE" ? catalog::kColTimestampTz
                                               : catalog::kColTimestampLtz;
        c.length = c.typeCode == catalog::kColTimestampTz ? 13 : 11;
        c.scale = digits(t.size, 6);
    } else if (t.name == "INTERVAL YEAR TO MONTH") {
        c.typeCode = catalog::kColIntervalYM;
        c.length = 5;
        c.precision = digits(t.size, 2);
        c.scale = 0;
    } else {
        c.typeCode = catalog::kColIntervalDS;
        c.length = 11;
        c.precision = digits(t.size, 2);
        c.scale = digits(t.scale, 6);
    }
}

} // namespace

catalog::ColumnRow columnFromType(const sql::DataType& t)
{
    ColumnRow c;
    const std::string& n = t.name;
    auto size = [&](int64_t dflt, int64_t max, int maxError) -> int {
        int64_t v = t.size.value_or(dflt);
        if (v < 1)
            throw oraError(1723, "zero-length columns are not allowed", t.offset);
        if (v > max)
            throw oraError(maxError, "specified length too long for its datatype", t.offset);
        return static_cast<int>(v);
    };
    if (!t.suffix.empty() && n != "TIMESTAMP")
        throw oraError(3001, "unimplemented feature: datatype " + n + " " + t.suffix, t.offset);
    // NVARCHAR2 and NCHAR lengths are always in characters.
    c.charSemantics = t.semantics == sql::DataType::Semantics::Char || n == "NVARCHAR2" || n == "NCHAR";
    if (n == "VARCHAR2" || n == "VARCHAR" || n == "NVARCHAR2") {
        if (!t.size)
            throw oraError(906, "missing left parenthesis", t.endOffset);
        c.typeCode = catalog::kColVarchar2;
        c.length = size(1, 4000, 910);
    } else if (n == "CHAR" || n == "NCHAR" || n == "CHARACTER") {
        c.typeCode = catalog::kColChar;
        c.length = size(1, 2000, 910);
    } else if (n == "RAW") {
        if (!t.size)
            throw oraError(906, "missing left parenthesis", t.endOffset);
        c.typeCode = catalog::kColRaw;
        c.length = size(1, 2000, 910);
    } else if (n == "NUMBER" || n == "DECIMAL" || n == "DEC" || n == "NUMERIC") {
        c.typeCode = catalog::kColNumber;
        c.length = 22;
        bool ansi = n != "NUMBER";
        if (t.size || t.starPrecision) {
            int64_t p = t.starPrecision ? 38 : *t.size;
            if (p < 1 || p > 38)
                throw oraError(1727, "numeric precision specifier is out of range (1 to 38)", t.offset);
            if (!t.starPrecision)
                c.precision = static_cast<int>(p);
            int64_t s = t.scale.value_or(0);
            if (s < -84 || s > 127)
                throw oraError(1728, "numeric scale specifier is out of range (-84 to 127)", t.offset);
            c.scale = static_cast<int>(s);
        } else if (ansi) {
            c.precision = 38;
            c.scale = 0;
        }
    } else if (n == "INTEGER" || n == "INT" || n == "SMALLINT") {
        c.typeCode = catalog::kColNumber;
        c.length = 22;
        c.scale = 0;
    } else if (n == "FLOAT" || n == "REAL" || n == "DOUBLE PRECISION") {
        c.typeCode = catalog::kColNumber;
        c.length = 22;
    } else if (n == "DATE") {
        c.typeCode = catalog::kColDate;
        c.length = 7;
    } else if (n == "LONG") {
        c.typeCode = catalog::kColLong;
        c.length = 0;
    } else if (n == "CLOB" || n == "NCLOB") {
        c.typeCode = catalog::kColClob;
        c.length = 4000;
    } else if (n == "BLOB") {
        c.typeCode = catalog::kColBlob;
        c.length = 4000;
    } else if (n == "ROWID") {
        c.typeCode = catalog::kColRowid;
        c.length = 10;
    } else if (n == "TIMESTAMP" || n == "INTERVAL YEAR TO MONTH" || n == "INTERVAL DAY TO SECOND") {
        datetimeColumn(t, c);
    } else if (n == "BINARY_FLOAT" || n == "BINARY_DOUBLE" || n == "LONG RAW"
        || n == "UROWID" || n == "XMLTYPE" || n == "BFILE") {
        throw oraError(3001, "unimplemented feature: datatype " + n, t.offset);
    } else {
        throw oraError(902, "invalid datatype", t.offset);
    }
    return c;
}

catalog::Lookup lookupOf(DdlContext& ctx)
{
    return catalog::Lookup(ctx.s.conn);
}

bind::SessionContext sessionContextOf(DdlContext& ctx)
{
    bind::SessionContext c { ctx.s.schema, ctx.s.user, priv::visibility(ctx.s), {}, {} };
    SessionState& s = ctx.s;
    c.storedFunction = [&s](const std::vector<std::string>& parts, const std::vector<std::string>& argNames) {
        return plsql::sqlFunction(s, parts, argNames);
    };
    c.collectionFunction = [&s](const std::vector<std::string>& parts, const std::vector<std::string>& argNames,
                               bool fromPlsql) { return plsql::sqlCollectionFunction(s, parts, argNames, fromPlsql); };
    return c;
}

bind::TableInfo tableInfo(DdlContext& ctx, const catalog::ObjectRow& table)
{
    catalog::Lookup lookup = lookupOf(ctx);
    auto t = lookup.table({ table.owner, table.name, bind::ObjectKind::Table, table.id });
    if (!t)
        throw oraError(942, "table or view does not exist");
    return *t;
}

std::string conditionSql(DdlContext& ctx, const catalog::ObjectRow& table, const std::string& conditionText)
{
    // The condition is kept as written; parsing it inside a query gives its expression tree back.
    std::string text = "SELECT 1 FROM DUAL WHERE " + conditionText;
    sql::ParseResult parsed = sql::parse(text);
    if (!parsed.ok())
        throw Error(parsed.error->code, parsed.error->message);
    auto* sel = parsed.statement->as<sql::SelectStmt>();
    auto* block = sel && sel->query && sel->query->body ? sel->query->body->as<sql::QueryBlock>() : nullptr;
    if (!block || !block->where)
        throw oraError(920, "invalid relational operator");
    catalog::Lookup lookup = lookupOf(ctx);
    return bind::bindTableExpression(*block->where, text, tableInfo(ctx, table), lookup, sessionContextOf(ctx)).sql;
}

std::string qualified(const std::string& owner, const std::string& name)
{
    return owner + "." + name;
}

std::string nextPhysicalColumn(const std::vector<ColumnRow>& cols)
{
    int maxNo = 0;
    for (const ColumnRow& c : cols)
        if (c.physicalName.size() > 1 && c.physicalName[0] == 'C')
            maxNo = std::max(maxNo, std::atoi(c.physicalName.c_str() + 1));
    return "C" + std::to_string(maxNo + 1);
}

const ColumnRow& columnNamed(const std::vector<ColumnRow>& cols, const sql::Identifier& name)
{
    for (const ColumnRow& c : cols)
        if (c.name == name.name)
            return c;
    throw oraError(904, "\"" + name.name + "\": invalid identifier", name.offset);
}

static std::string physicalColumnsList(
    const std::vector<ColumnRow>& cols, const std::vector<int>& nos, const std::string& prefix = {})
{
    std::string r;
    for (int no : nos)
        for (const ColumnRow& c : cols)
            if (c.col == no) {
                if (!r.empty())
                    r += ", ";
                r += prefix + quoteIdent(c.physicalName);
            }
    return r;
}

std::string uniqueIndexSql(const std::string& indexName, int64_t tableId, const std::vector<std::string>& columns,
    const std::vector<std::string>& suffixes)
{
    std::string list;
    std::string anyNotNull;
    for (size_t i = 0; i < columns.size(); ++i) {
        std::string suffix = i < suffixes.size() ? suffixes[i] : std::string();
        if (!list.empty())
            list += ", ";
        // A key over several columns: Oracle leaves out entries whose columns are all NULL but compares the rest
        // with NULL equal to NULL, where SQLite would take any NULL as distinct. The empty blob stands for NULL:
        // no Oracle value is ever empty.
        list += columns.size() == 1 ? columns[i] + suffix : "ifnull(" + columns[i] + ", X'')" + suffix;
        anyNotNull += (anyNotNull.empty() ? "" : " OR ") + columns[i] + " IS NOT NULL";
    }
    return "CREATE UNIQUE INDEX " + quoteIdent(indexName) + " ON " + quoteIdent(catalog::physicalTableName(tableId))
        + " (" + list + ")" + (columns.size() > 1 ? " WHERE " + anyNotNull : std::string());
}

void createKeyIndex(DdlContext& ctx, const catalog::ObjectRow& table, ConstraintRow& c)
{
    catalog::Catalog cat(ctx.s.conn);
    if (cat.object(table.ownerId, c.name, 4))
        throw oraError(955, "name is already used by an existing object");
    int64_t indexId = cat.addObject(table.ownerId, c.name, catalog::kTypeIndex);
    cat.addIndex(indexId, table.id, true, c.columns);
    auto cols = cat.columns(table.id);
    std::vector<std::string> names;
    for (int no : c.columns)
        names.push_back(physicalColumnsList(cols, { no }));
    storage::exec(ctx.s.conn, uniqueIndexSql(catalog::physicalIndexName(indexId), table.id, names, {}));
    cat.setConstraintIndex(c.id, indexId);
    c.indexId = indexId;
}

void dropIndexObject(DdlContext& ctx, int64_t indexId)
{
    catalog::Catalog cat(ctx.s.conn);
    storage::exec(ctx.s.conn, "DROP INDEX IF EXISTS " + quoteIdent(catalog::physicalIndexName(indexId)));
    cat.removeObject(indexId);
}

void dropKeyIndex(DdlContext& ctx, ConstraintRow& c)
{
    if (!c.indexId)
        return;
    dropIndexObject(ctx, *c.indexId);
    catalog::Catalog(ctx.s.conn).setConstraintIndex(c.id, std::nullopt);
    c.indexId.reset();
}

void validateConstraint(DdlContext& ctx, const ConstraintRow& c)
{
    catalog::Catalog cat(ctx.s.conn);
    auto table = cat.objectById(c.tableId);
    auto cols = cat.columns(c.tableId);
    std::string t = quoteIdent(catalog::physicalTableName(c.tableId));
    std::string name = qualified(c.owner, c.name);
    auto any = [&](const std::string& sql) {
        Stmt s(ctx.s.conn, sql);
        return s.step();
    };
    std::string colList = physicalColumnsList(cols, c.columns);
    std::string notNull; // rows a key holds: those with a value in some key column
    std::string anyNull;
    for (int no : c.columns)
        for (const ColumnRow& col : cols)
            if (col.col == no) {
                notNull += (notNull.empty() ? "" : " OR ") + quoteIdent(col.physicalName) + " IS NOT NULL";
                anyNull += (anyNull.empty() ? "" : " OR ") + quoteIdent(col.physicalName) + " IS NULL";
            }
    switch (c.type) {
    case catalog::kConNotNull:
        if (any("SELECT 1 FROM " + t + " WHERE " + anyNull + " LIMIT 1"))
            throw oraError(2296, "cannot enable (" + name + ") - null values found");
        break;
    case catalog::kConCheck:
        if (any("SELECT 1 FROM " + t + " WHERE NOT (" + conditionSql(ctx, *table, c.condition) + ") LIMIT 1"))
            throw oraError(2293, "cannot validate (" + name + ") - check constraint violated");
        break;
    case catalog::kConPrimary:
    case catalog::kConUnique:
        if (c.type == catalog::kConPrimary && any("SELECT 1 FROM " + t + " WHERE " + anyNull + " LIMIT 1"))
            throw oraError(1449, "column contains NULL values; cannot alter to NOT NULL");
        if (any("SELECT 1 FROM " + t + " WHERE (" + notNull + ") GROUP BY " + colList
                + " HAVING count(*) > 1 LIMIT 1")) {
            if (c.type == catalog::kConPrimary)
                throw oraError(2437, "cannot validate (" + name + ") - primary key violated");
            throw oraError(2299, "cannot validate (" + name + ") - duplicate keys found");
        }
        break;
    case catalog::kConForeign: {
        auto parent = cat.constraintById(*c.refConstraint);
        auto pcols = cat.columns(parent->tableId);
        std::string match;
        for (size_t i = 0; i < c.columns.size() && i < parent->columns.size(); ++i)
            match += std::string(i ? " AND " : "") + "p." + physicalColumnsList(pcols, { parent->columns[i] }) + " = c."
                + physicalColumnsList(cols, { c.columns[i] });
        std::string cnn;
        for (int no : c.columns)
            cnn += " AND c." + physicalColumnsList(cols, { no }) + " IS NOT NULL";
        if (any("SELECT 1 FROM " + t + " c WHERE 1 = 1" + cnn + " AND NOT EXISTS (SELECT 1 FROM "
                + quoteIdent(catalog::physicalTableName(parent->tableId)) + " p WHERE " + match + ") LIMIT 1"))
            throw oraError(2298, "cannot validate (" + name + ") - parent keys not found");
        break;
    }
    default:
        break;
    }
}

// Oracle's restrictions on check conditions: the value of a row alone decides them, so nothing that changes with
// the session or the time, and a column's own check reads that column only.
static void checkConditionRestrictions(
    const std::vector<ColumnRow>& cols, const sql::Constraint& d, const std::vector<int>& columns)
{
    static const std::set<std::string> variable { "SYSDATE", "SYSTIMESTAMP", "CURRENT_DATE", "CURRENT_TIMESTAMP",
        "LOCALTIMESTAMP", "DBTIMEZONE", "SESSIONTIMEZONE", "UID", "USER", "USERENV" };
    sql::LexResult lex = sql::tokenize(d.checkText);
    for (size_t i = 0; i < lex.tokens.size(); ++i) {
        const sql::Token& t = lex.tokens[i];
        if (t.kind != sql::TokenKind::Identifier && t.kind != sql::TokenKind::QuotedIdentifier)
            continue;
        bool qualifier = i + 1 < lex.tokens.size() && lex.tokens[i + 1].kind == sql::TokenKind::Dot;
        if (qualifier)
            continue;
        if (t.kind == sql::TokenKind::Identifier && variable.count(t.text))
            throw oraError(2436, "date or system variable wrongly specified in CHECK constraint", d.offset);
        if (!d.inlineConstraint || columns.size() != 1)
            continue;
        for (const ColumnRow& c : cols)
            if (c.name == t.text && c.col != columns[0])
                throw oraError(2438, "Column check constraint cannot reference other columns", d.offset);
    }
}

void addConstraint(
    DdlContext& ctx, const catalog::ObjectRow& table, const sql::Constraint& d, const std::vector<int>& columns)
{
    catalog::Catalog cat(ctx.s.conn);
    if (d.initiallyDeferred)
        throw oraError(3001, "unimplemented feature: INITIALLY DEFERRED constraints", d.offset);
    ConstraintRow c;
    c.tableId = table.id;
    c.owner = table.owner;
    c.columns = columns;
    c.deferrable = d.deferrable;
    c.enabled = d.enable.value_or(true);
    c.validated = d.validate.value_or(c.enabled);
    if (d.name)
        c.name = d.name->name;
    auto cols = cat.columns(table.id);
    auto existing = cat.constraints(table.id);
    switch (d.type) {
    case sql::ConstraintType::Null:
        return;
    case sql::ConstraintType::NotNull: {
        c.type = catalog::kConNotNull;
        const ColumnRow* col = nullptr;
        for (const ColumnRow& x : cols)
            if (x.col == columns.at(0))
                col = &x;
        c.condition = quoteIdent(col->name) + " IS NOT NULL";
        if (col->notNull)
            throw oraError(1442, "column to be modified to NOT NULL is already NOT NULL", d.offset);
        break;
    }
    case sql::ConstraintType::Check:
        c.type = catalog::kConCheck;
        c.condition = d.checkText;
        // Binding now reports an unknown column (ORA-00904) at CREATE time, as Oracle does.
        conditionSql(ctx, table, c.condition);
        checkConditionRestrictions(cat.columns(table.id), d, columns);
        break;
    case sql::ConstraintType::PrimaryKey:
    case sql::ConstraintType::Unique: {
        c.type = d.type == sql::ConstraintType::PrimaryKey ? catalog::kConPrimary : catalog::kConUnique;
        for (const ConstraintRow& e : existing) {
            if (c.type == catalog::kConPrimary && e.type == catalog::kConPrimary)
                throw oraError(2260, "table can have only one primary key", d.offset);
            if ((e.type == catalog::kConPrimary || e.type == catalog::kConUnique) && e.columns == columns)
                throw oraError(2261, "such unique or primary key already exists in the table", d.offset);
        }
        std::set<int> seen;
        for (int no : columns)
            if (!seen.insert(no).second)
                throw oraError(957, "duplicate column name", d.offset);
        break;
    }
    case sql::ConstraintType::ForeignKey: {
        c.type = catalog::kConForeign;
        c.deleteRule = d.onDelete == sql::Constraint::OnDelete::Cascade ? 1
            : d.onDelete == sql::Constraint::OnDelete::SetNull          ? 2
                                                                        : 0;
        catalog::Lookup lookup = lookupOf(ctx);
        const sql::ObjectName& rn = *d.refTable;
        auto ref = lookup.resolve(rn.schema ? rn.schema->name : "", rn.name.name, table.owner);
        if (!ref || ref->kind != bind::ObjectKind::Table)
            throw oraError(942, "table or view does not exist", rn.name.offset);
        auto parentCols = cat.columns(ref->objectId);
        std::vector<int> refNos;
        for (const sql::Identifier& id : d.refColumns)
            refNos.push_back(columnNamed(parentCols, id).col);
        std::optional<ConstraintRow> key;
        for (const ConstraintRow& pc : (ref->objectId == table.id ? existing : cat.constraints(ref->objectId))) {
            if (refNos.empty() && pc.type == catalog::kConPrimary)
                key = pc;
            else if (!refNos.empty() && (pc.type == catalog::kConPrimary || pc.type == catalog::kConUnique)
                && pc.columns == refNos)
                key = pc;
        }
        if (!key) {
            if (refNos.empty())
                throw oraError(2268, "referenced table does not have a primary key", rn.offset);
            throw oraError(2270, "no matching unique or primary key for this column-list", rn.offset);
        }
        if (key->columns.size() != columns.size())
            throw oraError(2256, "number of referencing columns must match referenced columns", d.offset);
        c.refConstraint = key->id;
        break;
    }
    }
    cat.addConstraint(table.ownerId, c);
    if (c.type == catalog::kConNotNull && c.enabled) {
        for (ColumnRow col : cols)
            if (col.col == columns.at(0)) {
                col.notNull = true;
                cat.updateColumn(table.id, col);
            }
    }
    if (c.enabled && c.validated)
        validateConstraint(ctx, c);
    if ((c.type == catalog::kConPrimary || c.type == catalog::kConUnique) && c.enabled)
        createKeyIndex(ctx, table, c);
    if (c.type == catalog::kConPrimary && c.enabled) {
        // A primary key's columns are NOT NULL as the dictionary shows them.
        for (ColumnRow col : cat.columns(table.id))
            if (std::find(columns.begin(), columns.end(), col.col) != columns.end() && !col.notNull) {
                col.notNull = true;
                cat.updateColumn(table.id, col);
            }
    }
}

void invalidateDependents(DdlContext& ctx, int64_t objectId)
{
    plsql::invalidateDependents(ctx.s, objectId);
}

} // namespace engine::exec

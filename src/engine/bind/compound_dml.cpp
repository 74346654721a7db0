// MERGE and the multitable INSERT, composed from the clauses as written into plain statements over the source rows:
//   MERGE:  a check that no target row matches two source rows (ORA-30926), the UPDATE of the matched rows, the
//           INSERT of the source rows no target row matches, the DELETE of updated rows that meet DELETE WHERE;
//   INSERT ALL / FIRST: one INSERT ... SELECT per INTO clause, its WHEN condition (and for FIRST, none of the
//           earlier ones) deciding which source rows it takes.
// The source is read once into a temporary table that every statement reads under the name kSourceName, so a
// clause never sees the rows an earlier one wrote, as in Oracle where the statement reads one snapshot.
#include "engine/bind/compound_dml.h"
#include "engine/bind/binder_impl.h"
#include "engine/sql/parser.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace engine::bind {

namespace {

using detail::BinderImpl;
using detail::ComposedSource;

// A name no object can have that composed statements give the source rows.
constexpr const char* kSourceName = "ORA$ SOURCE";

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::string quoted(const sql::ObjectName& n)
{
    return (n.schema ? quoted(n.schema->name) + "." : std::string()) + quoted(n.name.name);
}

[[noreturn]] void refuse(const std::string& construct, int offset)
{
    throw oraError(3001, "unimplemented feature: " + construct, offset);
}

// Column references of an expression that are not inside a subquery.
void columnRefs(const sql::Expr* e, std::vector<const sql::ColumnRefExpr*>& out)
{
    if (!e)
        return;
    if (const auto* c = e->as<sql::ColumnRefExpr>()) {
        out.push_back(c);
    } else if (const auto* f = e->as<sql::FunctionCallExpr>()) {
        for (const auto& a : f->args)
            columnRefs(a.get(), out);
    } else if (const auto* k = e->as<sql::CaseExpr>()) {
        columnRefs(k->operand.get(), out);
        for (const auto& w : k->whens) {
            columnRefs(w.when.get(), out);
            columnRefs(w.then.get(), out);
        }
        columnRefs(k->elseExpr.get(), out);
    } else if (const auto* u = e->as<sql::UnaryExpr>()) {
        columnRefs(u->operand.get(), out);
    } else if (const auto* b = e->as<sql::BinaryExpr>()) {
        columnRefs(b->left.get(), out);
        columnRefs(b->right.get(), out);
    } else if (const auto* c = e->as<sql::ComparisonExpr>()) {
        columnRefs(c->left.get(), out);
        columnRefs(c->right.get(), out);
    } else if (const auto* q = e->as<sql::QuantifiedComparisonExpr>()) {
        columnRefs(q->left.get(), out);
        for (const auto& a : q->list)
            columnRefs(a.get(), out);
    } else if (const auto* i = e->as<sql::InListExpr>()) {
        columnRefs(i->left.get(), out);
        for (const auto& a : i->list)
            columnRefs(a.get(), out);
    } else if (const auto* i = e->as<sql::InSubqueryExpr>()) {
        columnRefs(i->left.get(), out);
    } else if (const auto* b = e->as<sql::BetweenExpr>()) {
        columnRefs(b->value.get(), out);
        columnRefs(b->low.get(), out);
        columnRefs(b->high.get(), out);
    } else if (const auto* l = e->as<sql::LikeExpr>()) {
        columnRefs(l->value.get(), out);
        columnRefs(l->pattern.get(), out);
        columnRefs(l->escape.get(), out);
    } else if (const auto* n = e->as<sql::IsNullExpr>()) {
        columnRefs(n->value.get(), out);
    } else if (const auto* t = e->as<sql::TupleExpr>()) {
        for (const auto& a : t->items)
            columnRefs(a.get(), out);
    }
}

// Binds one composed statement; its errors are reported at `offset` of the statement the user wrote.
// The enclosing PL/SQL block's names while a statement of it is being bound (bindCompound sets it).
thread_local const ExternalNames* blockNames = nullptr;

BoundStatementPtr bindComposed(const std::string& text, const CatalogLookup& catalog, const SessionContext& context,
    const ComposedSource* source, const std::string& rowsFilter, int offset)
{
    sql::ParseResult parsed = sql::parse(text);
    if (!parsed.ok())
        throw Error(parsed.error->code, parsed.error->message, offset);
    const sql::Statement& st = *parsed.statement;
    BinderImpl b(text, catalog, context);
    b.external = blockNames;
    b.composed = source;
    b.dmlRowsFilter = rowsFilter;
    auto out = std::make_shared<BoundStatement>();
    out->kind = detail::kindOf(st.kind);
    try {
        switch (st.kind) {
        case sql::StatementKind::Select: {
            detail::BlockResult r = b.query(*st.as<sql::SelectStmt>()->query, nullptr, false, nullptr);
            out->sql = r.sql;
            for (size_t i = 0; i < r.types.size(); ++i)
                out->columns.push_back(types::describe(r.names[i], r.types[i]));
            break;
        }
        case sql::StatementKind::Insert:
            b.insert(*st.as<sql::InsertStmt>(), *out);
            break;
        case sql::StatementKind::Update:
            b.update(*st.as<sql::UpdateStmt>(), *out);
            break;
        case sql::StatementKind::Delete:
            b.remove(*st.as<sql::DeleteStmt>(), *out);
            break;
        default:
            refuse("statement", offset);
        }
    } catch (const Error& e) {
        throw Error(e.code(), e.message(), offset);
    }
    detail::finish(b, *out);
    if (b.dmlViewCheckOption && (out->kind == StatementKind::Insert || out->kind == StatementKind::Update))
        return checkedThroughView(b, out);
    return out;
}

// The source query bound on its own: its rows fill the temporary table, its columns name the source's columns.
struct BoundSource {
    BoundStatementPtr statement;
    ComposedSource composed;
};

BoundSource bindSource(const std::string& queryText, const CatalogLookup& catalog, const SessionContext& context,
    int offset)
{
    sql::ParseResult parsed = sql::parse(queryText);
    if (!parsed.ok())
        throw Error(parsed.error->code, parsed.error->message, offset + std::max(parsed.error->offset, 0));
    const auto* select = parsed.statement->as<sql::SelectStmt>();
    if (!select)
        throw oraError(928, "missing SELECT keyword", offset);
    BinderImpl b(queryText, catalog, context);
    b.external = blockNames;
    auto out = std::make_shared<BoundStatement>();
    out->kind = StatementKind::Select;
    detail::BlockResult r;
    try {
        r = b.query(*select->query, nullptr, false, nullptr);
    } catch (const Error& e) {
        throw Error(e.code(), e.message(), e.offset() >= 0 ? offset + e.offset() : offset);
    }
    out->sql = r.sql;
    for (size_t i = 0; i < r.types.size(); ++i)
        out->columns.push_back(types::describe(r.names[i], r.types[i]));
    detail::finish(b, *out);
    BoundSource s;
    s.statement = out;
    s.composed.name = kSourceName;
    s.composed.table = kCompoundSourceTable;
    s.composed.names = r.names;
    s.composed.types = r.types;
    return s;
}

// The target's column names, to find names a clause leaves unqualified that both the target and the source have.
std::vector<std::string> targetColumns(
    const CatalogLookup& catalog, const SessionContext& context, const sql::ObjectName& target)
{
    std::vector<std::string> names;
    auto ref = catalog.resolve(target.schema ? target.schema->name : "", target.name.name, context.currentSchema);
    if (!ref)
        return names;
    if (ref->kind == ObjectKind::Table) {
        if (auto t = catalog.table(*ref))
            for (const auto& c : t->columns)
                if (!c.hidden)
                    names.push_back(c.name);
    } else if (ref->kind == ObjectKind::View) {
        if (auto v = catalog.view(*ref))
            names = v->columnNames;
    }
    return names;
}

// ORA-00918 for a name of a clause that reads both the target and the source when it is a column of both and
// written without its table: Oracle cannot tell which is meant.
void refuseAmbiguous(const sql::Expr* parsed, const std::string& text, bool isCondition,
    const std::vector<std::string>& source, const std::vector<std::string>& target, int offset)
{
    sql::ParseResult holder;
    if (!parsed && !text.empty()) {
        holder = sql::parse(isCondition ? "SELECT 1 FROM DUAL WHERE " + text : "SELECT " + text + " FROM DUAL");
        const auto* select = holder.ok() ? holder.statement->as<sql::SelectStmt>() : nullptr;
        const auto* blk = select ? select->query->body->as<sql::QueryBlock>() : nullptr;
        if (blk)
            parsed = isCondition ? blk->where.get() : (blk->items.empty() ? nullptr : blk->items[0].expr.get());
    }
    std::vector<const sql::ColumnRefExpr*> refs;
    columnRefs(parsed, refs);
    for (const sql::ColumnRefExpr* r : refs) {
        const std::string& n = r->column().name;
        if (r->parts.size() == 1 && std::find(source.begin(), source.end(), n) != source.end()
            && std::find(target.begin(), target.end(), n) != target.end())
            throw oraError(918, "column ambiguously defined", offset);
    }
}

bool mentionsSequence(const std::string& text)
{
    std::string up;
    for (char c : text)
        up += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return up.find("NEXTVAL") != std::string::npos || up.find("CURRVAL") != std::string::npos;
}

void collect(BoundStatement& out, const BoundStatementPtr& part)
{
    if (!part)
        return;
    for (const ParamSlot& p : part->params)
        if (std::none_of(out.params.begin(), out.params.end(), [&](const ParamSlot& q) { return q.name == p.name; }))
            out.params.push_back(p);
    for (int64_t id : part->dependsOn)
        if (std::find(out.dependsOn.begin(), out.dependsOn.end(), id) == out.dependsOn.end())
            out.dependsOn.push_back(id);
    out.accesses.insert(out.accesses.end(), part->accesses.begin(), part->accesses.end());
}

void bindMerge(const sql::MergeStmt& m, const CatalogLookup& catalog, const SessionContext& context,
    BoundStatement& out, CompoundDml& c)
{
    const std::string sourceText
        = m.sourceTable ? "SELECT * FROM " + quoted(*m.sourceTable) : m.sourceQueryText;
    BoundSource src = bindSource(sourceText, catalog, context, m.sourceTable ? m.sourceOffset : m.sourceOffset + 1);
    c.source = src.statement;

    const std::string target = quoted(m.target);
    const std::string targetName = m.targetAlias ? m.targetAlias->name : m.target.name.name;
    const std::string targetAs = m.targetAlias ? " " + quoted(m.targetAlias->name) : "";
    std::string sourceAs;
    if (m.sourceAlias)
        sourceAs = " " + quoted(m.sourceAlias->name);
    else if (m.sourceTable)
        sourceAs = " " + quoted(m.sourceTable->name.name);
    const std::string source = quoted(kSourceName) + sourceAs;
    const std::string on = "(" + m.onText + ")";

    // The target's columns the ON condition reads: qualified by the target's name, or unqualified and no column of
    // the source.
    std::vector<const sql::ColumnRefExpr*> onRefs;
    columnRefs(m.on.get(), onRefs);
    auto isOnColumn = [&](const std::string& column) {
        for (const sql::ColumnRefExpr* r : onRefs) {
            if (r->column().name != column)
                continue;
            if (r->parts.size() >= 2 && r->parts[r->parts.size() - 2].name == targetName)
                return true;
            if (r->parts.size() == 1
                && std::find(src.composed.names.begin(), src.composed.names.end(), column) == src.composed.names.end())
                return true;
        }
        return false;
    };

    const std::vector<std::string> targetNames = targetColumns(catalog, context, m.target);
    refuseAmbiguous(m.on.get(), "", true, src.composed.names, targetNames, m.offset);
    for (const auto& set : m.sets)
        refuseAmbiguous(nullptr, set.valueText, false, src.composed.names, targetNames, set.offset);
    refuseAmbiguous(nullptr, m.updateWhere, true, src.composed.names, targetNames, m.offset);
    refuseAmbiguous(nullptr, m.deleteWhere, true, src.composed.names, targetNames, m.offset);

    if (m.matched) {
        std::set<std::string> seen;
        std::string cols, values, defaults;
        for (const auto& set : m.sets) {
            if (isOnColumn(set.column.name))
                throw oraError(38104,
                    "Columns referenced in the ON Clause cannot be updated: " + quoted(targetName) + "."
                        + quoted(set.column.name),
                    set.column.offset);
            if (!seen.insert(set.column.name).second)
                throw oraError(957, "duplicate column name", set.column.offset);
            if (set.valueText.empty()) {
                defaults += (defaults.empty() ? "" : ", ") + quoted(set.column.name) + " = DEFAULT";
                continue;
            }
            cols += (cols.empty() ? "" : ", ") + quoted(set.column.name);
            values += (values.empty() ? "" : ", ") + set.valueText;
        }
        const std::string matching
            = source + " WHERE " + on + (m.updateWhere.empty() ? "" : " AND (" + m.updateWhere + ")");
        c.stableCheck = bindComposed(
            "SELECT 1 FROM " + target + targetAs + " WHERE (SELECT COUNT(*) FROM " + matching + ") > 1",
            catalog, context, &src.composed, "", m.offset);
        std::string sets;
        if (!cols.empty())
            sets = "(" + cols + ") = (SELECT " + values + " FROM " + matching + ")";
        if (!defaults.empty())
            sets += (sets.empty() ? "" : ", ") + defaults;
        CompoundDml::Step update;
        update.statement = bindComposed("UPDATE " + target + targetAs + " SET " + sets
                + " WHERE EXISTS (SELECT 1 FROM " + matching + ")",
            catalog, context, &src.composed, "", m.offset);
        update.recordRows = !m.deleteWhere.empty();
        c.steps.push_back(update);
    }
    if (m.notMatched) {
        // The VALUES may read the source only: a column of the target there is ORA-38101.
        std::vector<const sql::ColumnRefExpr*> refs;
        for (const auto& e : m.insertValueExprs)
            columnRefs(e.get(), refs);
        for (const sql::ColumnRefExpr* r : refs)
            if (r->parts.size() >= 2 && r->parts[r->parts.size() - 2].name == targetName)
                throw oraError(38101,
                    "Invalid column in the INSERT VALUES Clause: " + quoted(targetName) + "." + quoted(r->column().name),
                    r->offset);
        std::string cols, values;
        for (size_t i = 0; i < m.insertValues.size(); ++i) {
            const bool isDefault = m.insertValues[i] == "DEFAULT";
            if (i < m.insertColumns.size()) {
                if (isDefault)
                    continue; // the column takes its default as when left out
                cols += (cols.empty() ? "" : ", ") + quoted(m.insertColumns[i].name);
            } else if (isDefault) {
                refuse("DEFAULT in the VALUES of MERGE without a column list", m.offset);
            }
            values += (values.empty() ? "" : ", ") + m.insertValues[i];
        }
        if (m.insertValues.size() != m.insertColumns.size() && !m.insertColumns.empty())
            throw oraError(m.insertValues.size() < m.insertColumns.size() ? 947 : 913,
                m.insertValues.size() < m.insertColumns.size() ? "not enough values" : "too many values", m.offset);
        std::string text = "INSERT INTO " + target + (cols.empty() && m.insertColumns.empty() ? "" : " (" + cols + ")");
        if (values.empty())
            refuse("MERGE inserting only DEFAULT values", m.offset);
        text += " SELECT " + values + " FROM " + source + " WHERE NOT EXISTS (SELECT 1 FROM " + target + targetAs
            + " WHERE " + on + ")" + (m.insertWhere.empty() ? "" : " AND (" + m.insertWhere + ")");
        CompoundDml::Step insert;
        insert.statement = bindComposed(text, catalog, context, &src.composed, "", m.offset);
        c.steps.push_back(insert);
    }
    if (m.matched && !m.deleteWhere.empty()) {
        CompoundDml::Step del;
        del.statement = bindComposed("DELETE FROM " + target + targetAs + " WHERE EXISTS (SELECT 1 FROM " + source
                + " WHERE " + on + " AND (" + m.deleteWhere + "))",
            catalog, context, &src.composed, kMergeRowsTable, m.offset);
        del.counted = false; // Oracle counts these rows once, as updated
        // The DELETE comes after the INSERT, so a row it removes never makes a source row unmatched.
        c.steps.push_back(del);
    }
    (void)out;
}

void bindMultiInsert(const sql::MultiInsertStmt& m, const CatalogLookup& catalog, const SessionContext& context,
    CompoundDml& c)
{
    BoundSource src = bindSource(m.queryText, catalog, context, m.queryOffset);
    c.source = src.statement;
    // Which WHEN clause a row meets first: INSERT FIRST's INTO clauses take the rows whose first is theirs.
    std::string firstTrue = "CASE";
    for (size_t i = 0; i < m.conditions.size(); ++i)
        firstTrue += " WHEN (" + m.conditions[i] + ") THEN " + std::to_string(i + 1);
    firstTrue += " ELSE 0 END";
    for (const auto& into : m.intos) {
        for (const auto& v : into.values)
            if (mentionsSequence(v))
                refuse("sequence in a multitable INSERT", into.offset);
        const std::string owner = into.table.schema ? into.table.schema->name : "";
        if (auto ref = catalog.resolve(owner, into.table.name.name, context.currentSchema);
            ref && ref->kind == ObjectKind::View)
            throw oraError(1702, "a view is not appropriate here", into.table.offset);
        std::string cols, values;
        if (into.values.empty()) {
            for (const auto& col : into.columns)
                cols += (cols.empty() ? "" : ", ") + quoted(col.name);
            values = "*";
        } else {
            if (!into.columns.empty() && into.values.size() != into.columns.size())
                throw oraError(into.values.size() < into.columns.size() ? 947 : 913,
                    into.values.size() < into.columns.size() ? "not enough values" : "too many values", into.offset);
            for (size_t i = 0; i < into.values.size(); ++i) {
                const bool isDefault = into.values[i] == "DEFAULT";
                if (isDefault && into.columns.empty())
                    refuse("DEFAULT in a multitable INSERT without a column list", into.offset);
                if (isDefault)
                    continue;
                if (!into.columns.empty())
                    cols += (cols.empty() ? "" : ", ") + quoted(into.columns[i].name);
                values += (values.empty() ? "" : ", ") + into.values[i];
            }
            if (values.empty())
                refuse("multitable INSERT of DEFAULT values only", into.offset);
        }
        std::string where;
        if (into.condition >= 0)
            where = m.first ? firstTrue + " = " + std::to_string(into.condition + 1)
                            : "(" + m.conditions[static_cast<size_t>(into.condition)] + ")";
        else if (into.condition == -2)
            where = firstTrue + " = 0";
        const std::string text = "INSERT INTO " + quoted(into.table) + (cols.empty() ? "" : " (" + cols + ")")
            + " SELECT " + values + " FROM " + quoted(kSourceName) + (where.empty() ? "" : " WHERE " + where);
        CompoundDml::Step step;
        step.statement = bindComposed(text, catalog, context, &src.composed, "", into.offset);
        c.steps.push_back(step);
    }
}

} // namespace

void bindCompound(const sql::Statement& statement, std::string_view, const CatalogLookup& catalog,
    const SessionContext& context, const ExternalNames* external, BoundStatement& out)
{
    struct Names {
        const ExternalNames* saved = blockNames;
        ~Names() { blockNames = saved; }
    } names;
    blockNames = external;
    auto c = std::make_shared<CompoundDml>();
    if (const auto* m = statement.as<sql::MergeStmt>())
        bindMerge(*m, catalog, context, out, *c);
    else if (const auto* mi = statement.as<sql::MultiInsertStmt>())
        bindMultiInsert(*mi, catalog, context, *c);
    collect(out, c->source);
    collect(out, c->stableCheck);
    for (const auto& step : c->steps)
        collect(out, step.statement);
    out.compound = c;
}

BoundStatementPtr checkedThroughView(detail::BinderImpl& b, const std::shared_ptr<BoundStatement>& statement)
{
    const std::string alias = "v_";
    const std::string condition = b.viewCondition(alias);
    if (condition.empty() || !statement->dmlTarget)
        return statement;
    const RowLockTarget& t = *statement->dmlTarget;
    auto c = std::make_shared<CompoundDml>();
    CompoundDml::Step step;
    step.statement = statement;
    // A row whose view condition is not true (false or unknown) is one the view no longer shows.
    step.checkSql = "SELECT 1 FROM " + emit::quoteIdent(t.physicalName) + " AS " + alias + " WHERE " + alias + "."
        + emit::quoteIdent(t.rowNumberColumn) + " IN (SELECT R FROM " + kCheckRowsTable + ") AND CASE WHEN "
        + condition + " THEN 0 ELSE 1 END = 1 LIMIT 1";
    c->steps.push_back(step);
    auto out = std::make_shared<BoundStatement>();
    out->kind = statement->kind;
    out->returning = statement->returning;
    collect(*out, statement);
    out->compound = c;
    return out;
}

namespace detail {

Source BinderImpl::composedSource(const std::optional<sql::Identifier>& alias, int offset)
{
    Source src;
    src.name = alias ? alias->name : "";
    src.sqlAlias = newAlias();
    src.fromSql = composed->table + " AS " + src.sqlAlias;
    src.offset = offset;
    for (size_t i = 0; i < composed->names.size(); ++i) {
        SrcColumn col;
        col.name = composed->names[i];
        col.sql = src.sqlAlias + ".c" + std::to_string(i + 1);
        col.type = composed->types[i];
        src.columns.push_back(col);
    }
    return src;
}

} // namespace detail

} // namespace engine::bind

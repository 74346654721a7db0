// PIVOT and UNPIVOT in FROM: each turns its source into a row source of its own.
//
// PIVOT groups the source's rows by the columns neither its aggregates nor its FOR columns name, and gives one
// column per IN value and aggregate: the aggregate over the group's rows whose FOR columns equal that value.
// UNPIVOT gives, for each source row, one row per IN item: the columns no item names, the item's label(s) and
// its column values; rows whose values are all null are left out unless INCLUDE NULLS is given.
#include "engine/bind/binder_impl.h"
#include "engine/bind/binder_walk.h"

#include <set>

namespace engine::bind::detail {

using types::ExprType;

namespace {

void collectColumnNames(const sql::Expr& e, std::set<std::string>& out)
{
    if (const auto* c = e.as<sql::ColumnRefExpr>()) {
        if (!c->parts.empty())
            out.insert(c->parts.back().name);
        return;
    }
    forEachChild(e, [&](const sql::Expr& x) { collectColumnNames(x, out); });
}

// A pivot value's part of a column name: its text as written, upper-cased and without blanks outside quotes.
std::string valueText(std::string_view text, const sql::Expr& e)
{
    if (e.offset < 0 || e.endOffset <= e.offset || static_cast<size_t>(e.endOffset) > text.size())
        return "EXPR";
    std::string r;
    char quote = 0;
    for (char c : text.substr(static_cast<size_t>(e.offset), static_cast<size_t>(e.endOffset - e.offset))) {
        if (quote) {
            r += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            r += c;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        r += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return r;
}

const SrcColumn* findColumn(const Scope& scope, const std::string& name)
{
    for (const auto& src : scope.sources)
        for (const auto& c : src.columns)
            if (!c.hidden && c.name == name)
                return &c;
    return nullptr;
}

} // namespace

Source BinderImpl::pivotSource(const sql::PivotRef& p, Scope& scope)
{
    Scope in;
    in.parent = scope.parent;
    std::string fromSql;
    addTableRef(*p.source, in, fromSql);

    // The FOR columns and the columns the aggregates read are pivoted; the rest group the rows.
    std::set<std::string> used;
    for (const auto& a : p.aggregates)
        collectColumnNames(*a.call, used);
    std::vector<BExpr> forCols;
    for (const auto& f : p.forColumns) {
        const SrcColumn* c = findColumn(in, f.name);
        if (!c)
            fail(904, "\"" + f.name + "\": invalid identifier", f.offset);
        BExpr b;
        b.sql = c->sql;
        b.type = c->type;
        forCols.push_back(b);
        used.insert(f.name);
    }

    Source src;
    src.name = p.alias ? p.alias->name : "";
    src.sqlAlias = newAlias();
    src.offset = p.offset;
    std::string select, groups;
    auto addColumn = [&](const std::string& name, const std::string& sql, const ExprType& type) {
        for (const auto& c : src.columns)
            if (c.name == name)
                fail(918, "column ambiguously defined", p.offset);
        const std::string col = "c" + std::to_string(src.columns.size() + 1);
        select += (select.empty() ? "" : ", ") + sql + " AS " + col;
        SrcColumn c;
        c.name = name;
        c.sql = src.sqlAlias + "." + col;
        c.type = type;
        src.columns.push_back(c);
    };
    for (const auto& s : in.sources)
        for (const auto& c : s.columns)
            if (!c.hidden && !used.count(c.name)) {
                addColumn(c.name, c.sql, c.type);
                groups += (groups.empty() ? "" : ", ") + emit::expressionTerm(c.sql);
            }

    Scope constants;
    constants.parent = nullptr;
    for (const auto& v : p.in) {
        if (v.values.size() != forCols.size())
            fail(v.values.size() < forCols.size() ? 947 : 913,
                v.values.size() < forCols.size() ? "not enough values" : "too many values", v.offset);
        std::string match, name;
        for (size_t k = 0; k < v.values.size(); ++k) {
            const BExpr value = expr(*v.values[k], constants);
            match += (match.empty() ? "" : " AND ") + compare(forCols[k], "=", value, v.values[k]->offset).sql;
            name += (name.empty() ? "" : "_") + valueText(text, *v.values[k]);
        }
        if (v.alias)
            name = v.alias->name;
        for (const auto& a : p.aggregates) {
            const auto* call = a.call->as<sql::FunctionCallExpr>();
            if (!call || !isAggregateCall(*call))
                fail(56902, "expect aggregate function inside pivot operation", a.call->offset);
            const std::string column = a.alias ? name + "_" + a.alias->name : name;
            BExpr r;
            if (call->star) {
                r.sql = "count(CASE WHEN " + match + " THEN 1 END)";
                r.type = ExprType::number();
                r.type.nullable = false;
            } else {
                // The aggregate reads its first argument only from the rows of this value.
                Scope rows = in;
                rows.aggregatesAllowed = true;
                if (!call->args.empty()) {
                    const BExpr arg = expr(*call->args[0], rows);
                    rows.precomputed[call->args[0].get()]
                        = { "(CASE WHEN " + match + " THEN " + arg.sql + " END)", arg.type };
                }
                r = expr(*call, rows);
            }
            addColumn(column, r.sql, r.type);
        }
    }
    src.fromSql = "(SELECT " + select + " FROM " + fromSql + (groups.empty() ? "" : " GROUP BY " + groups) + ") AS "
        + src.sqlAlias;
    return src;
}

Source BinderImpl::unpivotSource(const sql::UnpivotRef& u, Scope& scope)
{
    Scope in;
    in.parent = scope.parent;
    std::string fromSql;
    addTableRef(*u.source, in, fromSql);

    const size_t values = u.valueColumns.size();
    const size_t names = u.forColumns.size();
    std::set<std::string> used;
    std::vector<std::vector<const SrcColumn*>> itemColumns;
    for (const auto& item : u.in) {
        if (item.columns.size() != values)
            fail(item.columns.size() < values ? 947 : 913,
                item.columns.size() < values ? "not enough values" : "too many values", item.offset);
        if (!item.labels.empty() && item.labels.size() != names)
            fail(item.labels.size() < names ? 947 : 913,
                item.labels.size() < names ? "not enough values" : "too many values", item.offset);
        if (item.labels.empty() && names > 1)
            fail(3001, "unimplemented feature: UNPIVOT with several FOR columns and an item without AS",
                item.offset);
        std::vector<const SrcColumn*> cols;
        for (const auto& c : item.columns) {
            const SrcColumn* col = findColumn(in, c.name);
            if (!col)
                fail(904, "\"" + c.name + "\": invalid identifier", c.offset);
            cols.push_back(col);
            used.insert(c.name);
        }
        itemColumns.push_back(cols);
    }

    Source src;
    src.name = u.alias ? u.alias->name : "";
    src.sqlAlias = newAlias();
    src.offset = u.offset;
    std::string select;
    auto addColumn = [&](const std::string& name, const std::string& sql, const ExprType& type) {
        for (const auto& c : src.columns)
            if (c.name == name)
                fail(918, "column ambiguously defined", u.offset);
        const std::string col = "c" + std::to_string(src.columns.size() + 1);
        select += (select.empty() ? "" : ", ") + sql + " AS " + col;
        SrcColumn c;
        c.name = name;
        c.sql = src.sqlAlias + "." + col;
        c.type = type;
        src.columns.push_back(c);
    };
    for (const auto& s : in.sources)
        for (const auto& c : s.columns)
            if (!c.hidden && !used.count(c.name))
                addColumn(c.name, c.sql, c.type);

    // Each source row is repeated once per item (u_.i), and each new column picks the item's part.
    const std::string items = newAlias();
    std::string numbers;
    for (size_t i = 0; i < u.in.size(); ++i)
        numbers += (i ? " UNION ALL SELECT " : "SELECT ") + std::to_string(i + 1) + " AS i";
    Scope constants;
    for (size_t n = 0; n < names; ++n) {
        std::string sql = "CASE " + items + ".i";
        std::optional<ExprType> type;
        for (size_t i = 0; i < u.in.size(); ++i) {
            const auto& item = u.in[i];
            BExpr label;
            if (item.labels.empty()) {
                // Without AS the label is the names of the item's columns, joined by "_".
                std::string t;
                for (const auto& c : item.columns)
                    t += (t.empty() ? "" : "_") + c.name;
                label.sql = emit::quoteText(t);
                label.type = ExprType::varchar2(static_cast<int>(t.size()));
            } else {
                label = expr(*item.labels[n], constants);
            }
            type = type ? types::setOperationColumn(*type, label.type) : label.type;
            if (!type)
                fail(1790, "expression must have same datatype as corresponding expression", item.offset);
            sql += " WHEN " + std::to_string(i + 1) + " THEN " + label.sql;
        }
        addColumn(u.forColumns[n].name, sql + " END", *type);
    }
    std::vector<std::string> valueCols;
    for (size_t v = 0; v < values; ++v) {
        std::string sql = "CASE " + items + ".i";
        std::optional<ExprType> type;
        for (size_t i = 0; i < u.in.size(); ++i) {
            const SrcColumn* c = itemColumns[i][v];
            type = type ? types::setOperationColumn(*type, c->type) : c->type;
            if (!type)
                fail(1790, "expression must have same datatype as corresponding expression", u.in[i].offset);
            sql += " WHEN " + std::to_string(i + 1) + " THEN " + c->sql;
        }
        addColumn(u.valueColumns[v].name, sql + " END", *type);
        valueCols.push_back("c" + std::to_string(src.columns.size()));
    }
    std::string body = "SELECT " + select + " FROM " + fromSql + " CROSS JOIN (" + numbers + ") AS " + items;
    if (!u.includeNulls) {
        std::string allNull;
        for (const auto& c : valueCols)
            allNull += (allNull.empty() ? "" : " AND ") + c + " IS NULL";
        body = "SELECT * FROM (" + body + ") WHERE NOT (" + allNull + ")";
    }
    src.fromSql = "(" + body + ") AS " + src.sqlAlias;
    return src;
}

} // namespace engine::bind::detail

// Virtual columns: a column declared AS (expr) has no stored value; wherever a table's columns are made visible,
// its SQL is the expression, bound over the table's other columns under the same alias.
#include "engine/bind/binder_impl.h"
#include "engine/sql/parser.h"

namespace engine::bind::detail {

void BinderImpl::bindVirtualColumns(Source& src)
{
    if (!src.table)
        return;
    const TableInfo& t = *src.table;
    bool any = false;
    for (const ColumnInfo& c : t.columns)
        any = any || c.virtualColumn;
    if (!any || src.columns.size() != t.columns.size())
        return;
    // The expressions read the stored columns only (Oracle refuses one virtual column in another's expression).
    Source base = src;
    base.columns.clear();
    for (size_t i = 0; i < t.columns.size(); ++i)
        if (!t.columns[i].virtualColumn)
            base.columns.push_back(src.columns[i]);
    for (size_t i = 0; i < t.columns.size(); ++i) {
        const ColumnInfo& c = t.columns[i];
        if (!c.virtualColumn || !c.defaultText)
            continue;
        const std::string text = "SELECT " + *c.defaultText + " FROM DUAL";
        auto parsed = sql::parse(text);
        const auto* select = parsed.ok() ? parsed.statement->as<sql::SelectStmt>() : nullptr;
        const auto* blk = select ? select->query->body->as<sql::QueryBlock>() : nullptr;
        if (!blk || blk->items.size() != 1 || !blk->items[0].expr)
            fail(54016, "Invalid column expression was specified", src.offset);
        BinderImpl inner(text, catalog, context);
        Scope scope;
        scope.sources.push_back(base);
        BExpr e = inner.expr(*blk->items[0].expr, scope);
        src.columns[i].sql = "(" + e.sql + ")";
    }
}

} // namespace engine::bind::detail

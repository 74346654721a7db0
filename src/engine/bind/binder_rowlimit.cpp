// The row limiting clause: OFFSET n ROWS and FETCH FIRST n [PERCENT] ROWS ONLY | WITH TIES.
//
// Oracle truncates fractions, takes a negative offset or count as 0, and returns no rows for a NULL offset or
// count; a percentage counts the rows the query returns and rounds up. ONLY is SQLite's LIMIT and OFFSET; a
// percentage or ties number and rank the rows by the ORDER BY keys around the query.
#include "engine/bind/binder_impl.h"

namespace engine::bind::detail {

using types::ExprType;

void BinderImpl::applyRowLimit(BlockResult& r, const sql::RowLimit& limit, const std::vector<OrderKey>& keys)
{
    for (size_t i = 0; i < r.names.size(); ++i)
        for (size_t k = i + 1; k < r.names.size(); ++k)
            if (r.names[i] == r.names[k])
                fail(918, "column ambiguously defined", limit.offset);
    // The offset and the count are values of the statement, not of its rows.
    Scope none;
    auto value = [&](const sql::Expr& e) {
        BExpr v = expr(e, none);
        if (v.type.isNull)
            return std::string("NULL");
        return converted(v, OraType::Number, e.offset).sql;
    };
    std::string offset = "0";
    if (limit.offsetRows)
        offset = "ORA_ROW_LIMIT(" + value(*limit.offsetRows) + ", 0)";
    std::string count;
    if (limit.fetch)
        count = limit.fetchCount ? value(*limit.fetchCount) : "1";
    std::string columns;
    for (size_t i = 0; i < r.types.size(); ++i)
        columns += (i ? ", " : "") + ("x_.c" + std::to_string(i + 1));

    if (!limit.withTies && !limit.percent) {
        r.sql = "SELECT " + columns + " FROM (" + r.sql + ") AS x_ LIMIT "
            + (count.empty() ? std::string("-1") : "ORA_ROW_LIMIT(" + count + ", 1)") + " OFFSET " + offset;
        r.simple = false;
        return;
    }
    std::string order;
    for (const auto& k : keys)
        order += (order.empty() ? "" : ", ") + emit::orderTerm(k.sql, k.descending, k.nullsFirst);
    const std::string window = order.empty() ? "()" : "(ORDER BY " + order + ")";
    const std::string rows = limit.percent ? "ORA_ROW_LIMIT(" + count + ", 2, x_.cnt_)" : "ORA_ROW_LIMIT(" + count + ", 1)";
    // WITH TIES without ORDER BY adds no rows: every row is then a tie of its own.
    const std::string last = limit.withTies && !order.empty() ? "x_.rk_" : "x_.rn_";
    r.sql = "SELECT " + columns + " FROM (SELECT w_.*, row_number() OVER " + window + " AS rn_, rank() OVER " + window
        + " AS rk_, count(*) OVER () AS cnt_ FROM (" + r.sql + ") AS w_) AS x_ WHERE x_.rn_ > " + offset + " AND "
        + last + " <= " + offset + " + " + rows + " ORDER BY x_.rn_";
    r.simple = false;
}

} // namespace engine::bind::detail

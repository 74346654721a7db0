// Canonical SQL text of expressions and queries (see ast_dump.h).
#include "engine/sql/ast_dump_impl.h"

namespace engine::sql::detail {

void Dumper::expr(const Expr& e)
{
    switch (e.kind) {
    case ExprKind::Literal: {
        const auto* l = e.as<LiteralExpr>();
        switch (l->type) {
        case LiteralExpr::Type::Number:
            put(l->text);
            break;
        case LiteralExpr::Type::Text:
            text(l->text);
            break;
        case LiteralExpr::Type::NationalText:
            put("N");
            text(l->text);
            break;
        case LiteralExpr::Type::Null:
            put("NULL");
            break;
        case LiteralExpr::Type::Date:
            put("DATE ");
            text(l->text);
            break;
        case LiteralExpr::Type::Timestamp:
            put("TIMESTAMP ");
            text(l->text);
            break;
        case LiteralExpr::Type::Interval:
            put("INTERVAL ");
            text(l->text);
            put(" " + l->intervalFrom);
            if (l->leading || (l->fraction && l->intervalTo.empty())) {
                put("(" + std::to_string(l->leading.value_or(2)));
                if (l->fraction && l->intervalTo.empty())
                    put(", " + std::to_string(*l->fraction));
                put(")");
            }
            if (!l->intervalTo.empty()) {
                put(" TO " + l->intervalTo);
                if (l->fraction && l->intervalTo == "SECOND")
                    put("(" + std::to_string(*l->fraction) + ")");
            }
            break;
        }
        break;
    }
    case ExprKind::Bind: {
        const auto& n = e.as<BindExpr>()->name;
        put(":");
        bool plain = !n.empty();
        for (char c : n)
            plain = plain && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#');
        if (plain)
            put(n);
        else
            put("\"" + n + "\"");
        break;
    }
    case ExprKind::ColumnRef: {
        const auto* c = e.as<ColumnRefExpr>();
        ids(c->parts);
        if (c->outerJoin)
            put("(+)");
        break;
    }
    case ExprKind::PseudoColumn: {
        const auto* p = e.as<PseudoColumnExpr>();
        if (!p->qualifier.empty()) {
            ids(p->qualifier);
            put(".");
        }
        static constexpr const char* Names[]
            = { "ROWNUM", "ROWID", "LEVEL", "SYSDATE", "SYSTIMESTAMP", "USER", "UID" };
        put(Names[static_cast<int>(p->which)]);
        if (p->outerJoin)
            put("(+)");
        break;
    }
    case ExprKind::SequenceRef: {
        const auto* s = e.as<SequenceRefExpr>();
        ObjectName n = s->sequence;
        n.dblink.reset();
        object(n);
        put(s->nextVal ? ".NEXTVAL" : ".CURRVAL");
        if (s->sequence.dblink)
            put("@" + s->sequence.dblink->name);
        break;
    }
    case ExprKind::FunctionCall: {
        const auto* f = e.as<FunctionCallExpr>();
        if (isAtTimeZone(*f)) {
            put("(");
            expr(*f->args[0]);
            if (f->args.size() > 1) {
                put(" AT TIME ZONE ");
                expr(*f->args[1]);
            } else {
                put(" AT LOCAL");
            }
            put(")");
            break;
        }
        ids(f->name);
        if (f->dblink)
            put("@" + f->dblink->name);
        const bool niladic = f->args.empty() && !f->star && f->name.size() == 1 && !f->name[0].quoted
            && (f->name[0].name == "CURRENT_DATE" || f->name[0].name == "CURRENT_TIMESTAMP"
                || f->name[0].name == "LOCALTIMESTAMP" || f->name[0].name == "SESSIONTIMEZONE"
                || f->name[0].name == "DBTIMEZONE");
        if (niladic)
            break;
        put("(");
        if (f->castType) {
            expr(*f->args[0]);
            put(" AS ");
            dataType(*f->castType);
        } else if (f->fromForm) {
            if (!f->keyword.empty())
                put(f->keyword + " ");
            if (f->args.size() == 2) {
                expr(*f->args[0]);
                put(" ");
            }
            put("FROM ");
            expr(*f->args.back());
        } else {
            if (f->quantifier == FunctionCallExpr::Quantifier::Distinct)
                put("DISTINCT ");
            else if (f->quantifier == FunctionCallExpr::Quantifier::All)
                put("ALL ");
            if (f->star)
                put("*");
            for (size_t i = 0; i < f->args.size(); ++i) {
                if (i)
                    put(", ");
                if (i < f->argNames.size() && !f->argNames[i].empty()) {
                    id(f->argNames[i]);
                    put(" => ");
                }
                expr(*f->args[i]);
            }
            if (f->overflow) {
                put(f->overflow->truncate ? " ON OVERFLOW TRUNCATE" : " ON OVERFLOW ERROR");
                if (f->overflow->indicator) {
                    put(" ");
                    expr(*f->overflow->indicator);
                }
                if (f->overflow->truncate)
                    put(f->overflow->withCount ? " WITH COUNT" : " WITHOUT COUNT");
            }
        }
        put(")");
        if (f->fromLast)
            put(" FROM LAST");
        if (f->ignoreNulls)
            put(*f->ignoreNulls ? " IGNORE NULLS" : " RESPECT NULLS");
        if (f->withinGroup) {
            put(" WITHIN GROUP (ORDER BY ");
            orderItems(f->withinOrder);
            put(")");
        }
        if (f->keep) {
            put(f->keep->last ? " KEEP (DENSE_RANK LAST ORDER BY " : " KEEP (DENSE_RANK FIRST ORDER BY ");
            orderItems(f->keep->orderBy);
            put(")");
        }
        if (f->over)
            over(*f->over);
        break;
    }
    case ExprKind::Case: {
        const auto* c = e.as<CaseExpr>();
        put("CASE");
        if (c->operand) {
            put(" ");
            expr(*c->operand);
        }
        for (const CaseWhen& w : c->whens) {
            put(" WHEN ");
            expr(*w.when);
            put(" THEN ");
            expr(*w.then);
        }
        if (c->elseExpr) {
            put(" ELSE ");
            expr(*c->elseExpr);
        }
        put(" END");
        break;
    }
    case ExprKind::Unary: {
        const auto* u = e.as<UnaryExpr>();
        static constexpr const char* Ops[] = { "-", "+", "NOT ", "PRIOR ", "CONNECT_BY_ROOT " };
        put("(");
        put(Ops[static_cast<int>(u->op)]);
        expr(*u->operand);
        put(")");
        break;
    }
    case ExprKind::Binary: {
        const auto* b = e.as<BinaryExpr>();
        static constexpr const char* Ops[] = { " + ", " - ", " * ", " / ", " || ", " AND ", " OR " };
        put("(");
        expr(*b->left);
        put(Ops[static_cast<int>(b->op)]);
        expr(*b->right);
        put(")");
        break;
    }
    case ExprKind::Comparison: {
        const auto* c = e.as<ComparisonExpr>();
        put("(");
        expr(*c->left);
        put(compare(c->op));
        expr(*c->right);
        put(")");
        break;
    }
    case ExprKind::QuantifiedComparison: {
        const auto* q = e.as<QuantifiedComparisonExpr>();
        put("(");
        expr(*q->left);
        put(compare(q->op));
        put(q->quantifier == QuantifiedComparisonExpr::Quantifier::All ? "ALL (" : "ANY (");
        if (q->subquery)
            query(*q->subquery);
        else
            exprs(q->list);
        put("))");
        break;
    }
    case ExprKind::InList: {
        const auto* in = e.as<InListExpr>();
        put("(");
        expr(*in->left);
        put(in->negated ? " NOT IN (" : " IN (");
        exprs(in->list);
        put("))");
        break;
    }
    case ExprKind::InSubquery: {
        const auto* in = e.as<InSubqueryExpr>();
        put("(");
        expr(*in->left);
        put(in->negated ? " NOT IN (" : " IN (");
        query(*in->subquery);
        put("))");
        break;
    }
    case ExprKind::Exists:
        put("EXISTS (");
        query(*e.as<ExistsExpr>()->subquery);
        put(")");
        break;
    case ExprKind::Between: {
        const auto* b = e.as<BetweenExpr>();
        put("(");
        expr(*b->value);
        put(b->negated ? " NOT BETWEEN " : " BETWEEN ");
        expr(*b->low);
        put(" AND ");
        expr(*b->high);
        put(")");
        break;
    }
    case ExprKind::Like: {
        const auto* l = e.as<LikeExpr>();
        put("(");
        expr(*l->value);
        put(l->negated ? " NOT LIKE " : " LIKE ");
        expr(*l->pattern);
        if (l->escape) {
            put(" ESCAPE ");
            expr(*l->escape);
        }
        put(")");
        break;
    }
    case ExprKind::IsNull: {
        const auto* n = e.as<IsNullExpr>();
        put("(");
        expr(*n->value);
        put(n->negated ? " IS NOT NULL)" : " IS NULL)");
        break;
    }
    case ExprKind::Subquery:
        put("(");
        query(*e.as<SubqueryExpr>()->query);
        put(")");
        break;
    case ExprKind::Tuple:
        put("(");
        exprs(e.as<TupleExpr>()->items);
        put(")");
        break;
    }
}

void Dumper::tableRef(const TableRef& t, bool nested)
{
    switch (t.kind) {
    case TableRefKind::Table: {
        const auto* n = t.as<TableName>();
        object(n->name);
        if (n->alias) {
            put(" ");
            id(*n->alias);
        }
        break;
    }
    case TableRefKind::Collection: {
        const auto* c = t.as<CollectionRef>();
        put("TABLE(");
        expr(*c->collection);
        put(")");
        if (c->alias) {
            put(" ");
            id(*c->alias);
        }
        break;
    }
    case TableRefKind::InlineView: {
        const auto* v = t.as<InlineView>();
        put("(");
        query(*v->query);
        put(")");
        if (v->alias) {
            put(" ");
            id(*v->alias);
        }
        break;
    }
    case TableRefKind::Join: {
        const auto* j = t.as<JoinRef>();
        if (nested)
            put("(");
        tableRef(*j->left, false);
        static constexpr const char* Types[]
            = { " INNER JOIN ", " LEFT JOIN ", " RIGHT JOIN ", " FULL JOIN ", " CROSS JOIN " };
        if (j->natural)
            put(" NATURAL");
        put(Types[static_cast<int>(j->type)]);
        tableRef(*j->right, true);
        if (j->on) {
            put(" ON ");
            expr(*j->on);
        } else if (!j->usingColumns.empty()) {
            put(" USING ");
            idList(j->usingColumns);
        }
        if (nested)
            put(")");
        break;
    }
    case TableRefKind::Pivot: {
        const auto* p = t.as<PivotRef>();
        tableRef(*p->source, true);
        put(" PIVOT (");
        for (size_t i = 0; i < p->aggregates.size(); ++i) {
            if (i)
                put(", ");
            expr(*p->aggregates[i].call);
            if (p->aggregates[i].alias) {
                put(" AS ");
                id(*p->aggregates[i].alias);
            }
        }
        put(" FOR ");
        idList(p->forColumns);
        put(" IN (");
        for (size_t i = 0; i < p->in.size(); ++i) {
            if (i)
                put(", ");
            const auto& v = p->in[i];
            if (v.values.size() == 1) {
                expr(*v.values[0]);
            } else {
                put("(");
                exprs(v.values);
                put(")");
            }
            if (v.alias) {
                put(" AS ");
                id(*v.alias);
            }
        }
        put("))");
        if (p->alias) {
            put(" ");
            id(*p->alias);
        }
        break;
    }
    case TableRefKind::Unpivot: {
        const auto* u = t.as<UnpivotRef>();
        tableRef(*u->source, true);
        put(u->includeNulls ? " UNPIVOT INCLUDE NULLS (" : " UNPIVOT (");
        idList(u->valueColumns);
        put(" FOR ");
        idList(u->forColumns);
        put(" IN (");
        for (size_t i = 0; i < u->in.size(); ++i) {
            if (i)
                put(", ");
            idList(u->in[i].columns);
            if (u->in[i].labels.size() == 1) {
                put(" AS ");
                expr(*u->in[i].labels[0]);
            } else if (!u->in[i].labels.empty()) {
                put(" AS (");
                exprs(u->in[i].labels);
                put(")");
            }
        }
        put("))");
        if (u->alias) {
            put(" ");
            id(*u->alias);
        }
        break;
    }
    }
}

void Dumper::body(const QueryBody& b)
{
    if (const auto* n = b.as<NestedQuery>()) {
        put("(");
        query(*n->query);
        put(")");
        return;
    }
    if (const auto* s = b.as<SetOperation>()) {
        operand(*s->left);
        static constexpr const char* Ops[] = { " UNION ", " UNION ALL ", " INTERSECT ", " MINUS " };
        put(Ops[static_cast<int>(s->op)]);
        operand(*s->right);
        return;
    }
    const auto* q = b.as<QueryBlock>();
    put("SELECT ");
    if (!q->hint.empty())
        put("/*+" + q->hint + "*/ ");
    if (q->distinct)
        put("DISTINCT ");
    for (size_t i = 0; i < q->items.size(); ++i) {
        if (i)
            put(", ");
        const SelectItem& item = q->items[i];
        if (item.type == SelectItem::Type::Star) {
            put("*");
        } else if (item.type == SelectItem::Type::QualifiedStar) {
            ids(item.qualifier);
            put(".*");
        } else {
            expr(*item.expr);
        }
        if (item.alias) {
            put(" AS ");
            id(*item.alias);
        }
    }
    put(" FROM ");
    for (size_t i = 0; i < q->from.size(); ++i) {
        if (i)
            put(", ");
        tableRef(*q->from[i], false);
    }
    if (q->where) {
        put(" WHERE ");
        expr(*q->where);
    }
    if (q->startWith) {
        put(" START WITH ");
        expr(*q->startWith);
    }
    if (q->connectBy) {
        put(q->nocycle ? " CONNECT BY NOCYCLE " : " CONNECT BY ");
        expr(*q->connectBy);
    }
    if (!q->groupBy.empty()) {
        put(" GROUP BY ");
        exprs(q->groupBy);
    } else if (!q->groupingSets.empty()) {
        put(" GROUP BY ");
        for (size_t i = 0; i < q->groupingSets.size(); ++i) {
            if (i)
                put(", ");
            grouping(q->groupingSets[i]);
        }
    }
    if (q->having) {
        put(" HAVING ");
        expr(*q->having);
    }
}

void Dumper::operand(const QueryBody& b)
{
    if (b.kind == QueryBodyKind::SetOperation) {
        put("(");
        body(b);
        put(")");
    } else {
        body(b);
    }
}

void Dumper::query(const Query& q)
{
    if (!q.with.empty())
        with(q.with);
    body(*q.body);
    if (!q.orderBy.empty()) {
        put(q.orderSiblings ? " ORDER SIBLINGS BY " : " ORDER BY ");
        orderItems(q.orderBy);
    }
    if (q.rowLimit)
        rowLimit(*q.rowLimit);
    if (q.forUpdate) {
        put(" FOR UPDATE");
        if (!q.forUpdate->columns.empty()) {
            put(" OF ");
            exprs(q.forUpdate->columns);
        }
        if (q.forUpdate->nowait)
            put(" NOWAIT");
        if (q.forUpdate->wait)
            put(" WAIT " + std::to_string(*q.forUpdate->wait));
        if (q.forUpdate->skipLocked)
            put(" SKIP LOCKED");
    }
}

void Dumper::orderItems(const std::vector<OrderItem>& items)
{
    for (size_t i = 0; i < items.size(); ++i) {
        if (i)
            put(", ");
        const OrderItem& o = items[i];
        expr(*o.expr);
        if (o.descending)
            put(" DESC");
        if (o.nullsFirst)
            put(*o.nullsFirst ? " NULLS FIRST" : " NULLS LAST");
    }
}

void Dumper::over(const OverClause& o)
{
    put(" OVER (");
    bool space = false;
    if (!o.partitionBy.empty()) {
        put("PARTITION BY ");
        exprs(o.partitionBy);
        space = true;
    }
    if (!o.orderBy.empty()) {
        put(space ? " ORDER BY " : "ORDER BY ");
        orderItems(o.orderBy);
    }
    if (o.frame) {
        const WindowFrame& f = *o.frame;
        put(f.unit == WindowFrame::Unit::Rows ? " ROWS " : " RANGE ");
        auto bound = [this](const WindowFrame::Bound& b) {
            switch (b.type) {
            case WindowFrame::BoundType::UnboundedPreceding:
                put("UNBOUNDED PRECEDING");
                break;
            case WindowFrame::BoundType::UnboundedFollowing:
                put("UNBOUNDED FOLLOWING");
                break;
            case WindowFrame::BoundType::CurrentRow:
                put("CURRENT ROW");
                break;
            case WindowFrame::BoundType::Preceding:
            case WindowFrame::BoundType::Following:
                expr(*b.offset);
                put(b.type == WindowFrame::BoundType::Preceding ? " PRECEDING" : " FOLLOWING");
                break;
            }
        };
        if (f.end) {
            put("BETWEEN ");
            bound(f.start);
            put(" AND ");
            bound(*f.end);
        } else {
            bound(f.start);
        }
    }
    put(")");
}

void Dumper::grouping(const GroupingElement& g)
{
    switch (g.type) {
    case GroupingElement::Type::Expr:
        expr(*g.expr);
        break;
    case GroupingElement::Type::Empty:
        put("()");
        break;
    case GroupingElement::Type::Rollup:
    case GroupingElement::Type::Cube:
        put(g.type == GroupingElement::Type::Rollup ? "ROLLUP (" : "CUBE (");
        exprs(g.items);
        put(")");
        break;
    case GroupingElement::Type::Sets:
        put("GROUPING SETS (");
        for (size_t i = 0; i < g.sets.size(); ++i) {
            if (i)
                put(", ");
            grouping(g.sets[i]);
        }
        put(")");
        break;
    }
}

void Dumper::with(const std::vector<WithItem>& items)
{
    put("WITH ");
    for (size_t i = 0; i < items.size(); ++i) {
        const WithItem& w = items[i];
        if (i)
            put(", ");
        id(w.name);
        if (!w.columns.empty()) {
            put(" ");
            idList(w.columns);
        }
        put(" AS (");
        query(*w.query);
        put(")");
        if (w.search) {
            put(w.search->depthFirst ? " SEARCH DEPTH FIRST BY " : " SEARCH BREADTH FIRST BY ");
            orderItems(w.search->by);
            put(" SET ");
            id(w.search->setColumn);
        }
        if (w.cycle) {
            put(" CYCLE ");
            ids(w.cycle->columns, ", ");
            put(" SET ");
            id(w.cycle->setColumn);
            put(" TO ");
            expr(*w.cycle->cycleValue);
            put(" DEFAULT ");
            expr(*w.cycle->noCycleValue);
        }
    }
    put(" ");
}

void Dumper::rowLimit(const RowLimit& r)
{
    if (r.offsetRows) {
        put(" OFFSET ");
        expr(*r.offsetRows);
        put(" ROWS");
    }
    if (r.fetch) {
        put(" FETCH FIRST ");
        if (r.fetchCount) {
            expr(*r.fetchCount);
            put(r.percent ? " PERCENT " : " ");
        }
        put(r.withTies ? "ROWS WITH TIES" : "ROWS ONLY");
    }
}

} // namespace engine::sql::detail

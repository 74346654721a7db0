// Expressions: name resolution, Oracle's type rules and their SQLite text.
#include "engine/bind/binder_impl.h"
#include "engine/emit/number_order.h"
#include "engine/types/oratype_datetime.h"

#include <algorithm>
#include <cstring>

namespace engine::bind::detail {

using types::Conversion;
using types::ExprType;

namespace {

int utf8Length(const std::string& s)
{
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

std::string compareOp(sql::CompareOp op)
{
    switch (op) {
    case sql::CompareOp::Eq:
        return "=";
    case sql::CompareOp::Ne:
        return "<>";
    case sql::CompareOp::Lt:
        return "<";
    case sql::CompareOp::Le:
        return "<=";
    case sql::CompareOp::Gt:
        return ">";
    case sql::CompareOp::Ge:
        return ">=";
    }
    return "=";
}

} // namespace

bool isLob(const ExprType& t)
{
    return t.type == OraType::Clob || t.type == OraType::Blob;
}

// The text of ORA-00932 for two values that cannot be compared: Oracle names no expected type for a LOB.
std::string notComparable(const ExprType& a, const ExprType& b)
{
    if (isLob(a) || isLob(b))
        return "inconsistent datatypes: expected - got " + types::oracleTypeName(isLob(b) ? b.type : a.type);
    return "inconsistent datatypes: expected " + types::oracleTypeName(a.type) + " got "
        + types::oracleTypeName(b.type);
}

std::string inconsistent(const ExprType& expected, const ExprType& got)
{
    return "inconsistent datatypes: expected " + types::oracleTypeName(expected.type) + " got "
        + types::oracleTypeName(got.type);
}

std::string qualifiedName(const std::vector<sql::Identifier>& parts)
{
    std::string r;
    for (const auto& p : parts) {
        if (!r.empty())
            r += '.';
        r += '"' + p.name + '"';
    }
    return r;
}

std::string quotedColumnName(const TableInfo& t, const ColumnInfo& c)
{
    return "\"" + t.object.owner + "\".\"" + t.object.name + "\".\"" + c.name + "\"";
}

void BinderImpl::fail(int code, const std::string& message, int offset) const
{
    throw oraError(code, message, offset);
}

void BinderImpl::refuseOrderBy(const sql::Query& q) const
{
    // Oracle's grammar ends a condition's subquery before ORDER BY, so it wants the closing parenthesis there.
    // A row limit makes the order part of what the subquery returns, so it may have one.
    if (!q.orderBy.empty() && !q.rowLimit)
        fail(907, "missing right parenthesis", q.orderBy.front().expr->offset);
}

void BinderImpl::refuseLob(const ExprType& t, int offset) const
{
    // Sorting, grouping and DISTINCT compare values, which Oracle does not do for LOBs.
    if (isLob(t))
        fail(932, "inconsistent datatypes: expected - got " + types::oracleTypeName(t.type), offset);
}

int BinderImpl::slotFor(const std::string& name)
{
    auto it = paramIndex.find(name);
    if (it != paramIndex.end())
        return it->second;
    const int index = static_cast<int>(params.size());
    ParamSlot slot;
    slot.name = name;
    slot.expected = ExprType::varchar2();
    params.push_back(slot);
    paramIndex[name] = index;
    return index;
}

void BinderImpl::noteBind(const BExpr& e, const ExprType& t)
{
    if (e.bindSlot < 0 || t.isBind || t.isNull)
        return;
    ParamSlot& slot = params[static_cast<size_t>(e.bindSlot)];
    if (slot.expected.type == OraType::Varchar2 && slot.expected.size == types::kMaxVarchar2) {
        slot.expected = t;
        slot.expected.isTextLiteral = false;
        slot.expected.nullable = true;
    }
}

BExpr BinderImpl::converted(const BExpr& e, OraType to, int offset)
{
    if (!e.type.isNull && e.type.type != to
        && (types::isNewDatetime(e.type.type) || (types::isNewDatetime(to) && e.bindSlot < 0))) {
        ExprType t;
        if (to == OraType::Timestamp || to == OraType::TimestampTz || to == OraType::TimestampLtz)
            t = types::timestampType(to, 9);
        else if (to == OraType::IntervalYM)
            t = types::intervalYM(9);
        else if (to == OraType::IntervalDS)
            t = types::intervalDS(9, 9);
        else if (to == OraType::Date)
            t = ExprType::date();
        else if (to == OraType::Number)
            t = ExprType::number();
        else
            t = ExprType::varchar2();
        t.type = to;
        return datetimeConverted(e, t, offset, false);
    }
    if (e.bindSlot >= 0) {
        ExprType t = e.type;
        t.type = to;
        t.isBind = false;
        noteBind(e, t);
        return e;
    }
    auto c = types::implicitConversion(e.type, to);
    if (!c) {
        ExprType want;
        want.type = to;
        fail(932, inconsistent(want, e.type), offset);
    }
    BExpr r = e;
    if (*c == Conversion::ToNumber && !e.literalText.empty()) {
        const std::string n = emit::numberLiteral(e.literalText);
        r.sql = n.empty() ? emit::convert(e.sql, *c, e.type) : n;
    } else {
        r.sql = emit::convert(e.sql, *c, e.type);
    }
    r.type.type = to;
    r.type.isTextLiteral = false;
    r.literalText.clear();
    if (to == OraType::Number)
        r.type = ExprType::number(), r.type.nullable = e.type.nullable;
    else if (to == OraType::Date)
        r.type = ExprType::date(), r.type.nullable = e.type.nullable;
    else if (types::isCharacter(to) && e.type.type != to) {
        r.type = ExprType::varchar2(e.type.type == OraType::Number ? 40 : (e.type.type == OraType::Date ? 9 : 4000));
        r.type.nullable = e.type.nullable;
    }
    return r;
}

BExpr BinderImpl::condition(const sql::Expr& e, Scope& scope)
{
    return expr(e, scope);
}

BExpr BinderImpl::expr(const sql::Expr& e, Scope& scope)
{
    if (!scope.precomputed.empty()) {
        auto it = scope.precomputed.find(&e);
        if (it != scope.precomputed.end()) {
            BExpr r;
            r.sql = it->second.first;
            r.type = it->second.second;
            r.local = true;
            return r;
        }
    }
    switch (e.kind) {
    case sql::ExprKind::Literal: {
        const auto& l = *e.as<sql::LiteralExpr>();
        BExpr r;
        switch (l.type) {
        case sql::LiteralExpr::Type::Number: {
            r.sql = emit::numberLiteral(l.text);
            if (r.sql.empty() && emit::numberLiteralOverflows(l.text))
                fail(1426, "numeric overflow", e.offset);
            if (r.sql.empty())
                fail(1722, "invalid number", e.offset);
            r.type = ExprType::number();
            r.type.nullable = false;
            r.literalText = l.text;
            break;
        }
        case sql::LiteralExpr::Type::Text:
        case sql::LiteralExpr::Type::NationalText:
            if (l.text.empty()) {
                // '' is Oracle's NULL.
                r.sql = "NULL";
                r.type = ExprType::nullLiteral();
            } else {
                r.sql = emit::quoteText(l.text);
                r.type = ExprType::textLiteral(utf8Length(l.text));
                r.literalText = l.text;
            }
            break;
        case sql::LiteralExpr::Type::Null:
            r.sql = "NULL";
            r.type = ExprType::nullLiteral();
            break;
        case sql::LiteralExpr::Type::Date: {
            // DATE 'YYYY-MM-DD' is ANSI's fixed format, whatever NLS_DATE_FORMAT says.
            const std::string& t = l.text;
            bool ok = t.size() == 10 && t[4] == '-' && t[7] == '-';
            for (size_t i = 0; ok && i < t.size(); ++i)
                if (i != 4 && i != 7 && (t[i] < '0' || t[i] > '9'))
                    ok = false;
            if (!ok)
                fail(1861, "literal does not match format string", e.offset);
            r.sql = emit::quoteText(t + " 00:00:00");
            r.type = ExprType::date();
            r.type.nullable = false;
            break;
        }
        case sql::LiteralExpr::Type::Timestamp:
        case sql::LiteralExpr::Type::Interval:
            return datetimeLiteral(l, e.offset);
        }
        return r;
    }
    case sql::ExprKind::Bind: {
        const auto& b = *e.as<sql::BindExpr>();
        BExpr r;
        r.bindSlot = slotFor(b.name);
        r.sql = "?" + std::to_string(r.bindSlot + 1);
        r.type = ExprType::bind();
        return r;
    }
    case sql::ExprKind::ColumnRef:
        return column(*e.as<sql::ColumnRefExpr>(), scope);
    case sql::ExprKind::PseudoColumn:
        return pseudo(*e.as<sql::PseudoColumnExpr>(), scope);
    case sql::ExprKind::SequenceRef: {
        const auto& s = *e.as<sql::SequenceRefExpr>();
        if (!scope.sequenceAllowed)
            fail(2287, "sequence number not allowed here", e.offset);
        if (s.sequence.dblink) {
            RemoteName remote;
            remote.link = s.sequence.dblink->name;
            remote.linkOffset = s.sequence.dblink->offset;
            remote.owner = s.sequence.schema ? s.sequence.schema->name : "";
            remote.name = s.sequence.name.name;
            remote.nameOffset = s.sequence.name.offset;
            BExpr r;
            r.sql = catalog.remoteSequence(remote, s.nextVal);
            r.type = ExprType::number();
            r.type.nullable = false;
            return r;
        }
        auto ref = catalog.resolve(
            s.sequence.schema ? s.sequence.schema->name : "", s.sequence.name.name, context.currentSchema);
        if (!ref || ref->kind != ObjectKind::Sequence)
            fail(2289, "sequence does not exist", s.sequence.offset);
        dependsOn.insert(ref->objectId);
        dependsOn.insert(ref->synonyms.begin(), ref->synonyms.end());
        noteAccess(*ref, AccessKind::Select, s.sequence.offset);
        BExpr r;
        const bool next = s.nextVal && nextvalTaken.insert(ref->objectId).second;
        r.sql
            = std::string(next ? kSeqNextvalFunction : kSeqCurrvalFunction) + "(" + std::to_string(ref->objectId) + ")";
        r.type = ExprType::number();
        r.type.nullable = false;
        return r;
    }
    case sql::ExprKind::FunctionCall:
        return function(*e.as<sql::FunctionCallExpr>(), scope);
    case sql::ExprKind::Case:
        return caseExpr(*e.as<sql::CaseExpr>(), scope);
    case sql::ExprKind::Unary: {
        const auto& u = *e.as<sql::UnaryExpr>();
        if (u.op == sql::UnaryExpr::Op::ConnectByRoot) {
            // Outside the hierarchy's select list and conditions (which read it from the root's row): no hierarchy.
            if (scope.levelSql.empty())
                fail(1788, "CONNECT BY clause required in this query block", e.offset);
            return expr(*u.operand, scope);
        }
        if (u.op == sql::UnaryExpr::Op::Prior) {
            if (!scope.priorScope)
                fail(3001, "unimplemented feature: PRIOR outside CONNECT BY", e.offset);
            BExpr r = expr(*u.operand, *scope.priorScope);
            return r;
        }
        BExpr a = expr(*u.operand, scope);
        if (u.op == sql::UnaryExpr::Op::Not) {
            a.sql = "(NOT " + a.sql + ")";
            return a;
        }
        if (a.type.isNull)
            return a;
        a = converted(a, OraType::Number, u.operand->offset);
        if (u.op == sql::UnaryExpr::Op::Minus) {
            // SQLite's minus would read a number kept as text (more digits than a double) as a double.
            const auto* literal = u.operand->as<sql::LiteralExpr>();
            const std::string folded = literal && literal->type == sql::LiteralExpr::Type::Number
                ? emit::numberLiteral("-" + literal->text)
                : std::string();
            a.sql = folded.empty() ? "ORA_NEGATE(" + a.sql + ")" : "(" + folded + ")";
        }
        a.literalText.clear();
        return a;
    }
    case sql::ExprKind::Binary:
        return binary(*e.as<sql::BinaryExpr>(), scope);
    case sql::ExprKind::Comparison:
        return comparison(*e.as<sql::ComparisonExpr>(), scope);
    case sql::ExprKind::QuantifiedComparison: {
        const auto& q = *e.as<sql::QuantifiedComparisonExpr>();
        BExpr left = expr(*q.left, scope);
        const std::string op = compareOp(q.op);
        const bool any = q.quantifier == sql::QuantifiedComparisonExpr::Quantifier::Any;
        BExpr r;
        r.type = ExprType::number();
        r.local = left.local;
        r.aggregate = left.aggregate;
        if (!q.subquery) {
            std::string s;
            for (const auto& item : q.list) {
                BExpr b = expr(*item, scope);
                BExpr c = compare(left, op, b, item->offset);
                s += s.empty() ? "" : (any ? " OR " : " AND ");
                s += c.sql;
                r.local = r.local || b.local;
            }
            r.sql = "(" + s + ")";
            return r;
        }
        Scope inner;
        inner.parent = &scope;
        BlockResult sub = query(*q.subquery, &scope, false, nullptr);
        if (sub.types.size() > 1)
            fail(913, "too many values", q.subquery->offset);
        BExpr col;
        col.type = sub.types[0];
        col.sql = "q_.c1";
        BExpr c = compare(left, op, col, e.offset);
        if (any)
            r.sql = "EXISTS (SELECT 1 FROM (" + sub.sql + ") AS q_ WHERE " + c.sql + ")";
        else
            r.sql = "NOT EXISTS (SELECT 1 FROM (" + sub.sql + ") AS q_ WHERE " + c.sql + " IS NOT 1)";
        return r;
    }
    case sql::ExprKind::InList: {
        const auto& in = *e.as<sql::InListExpr>();
        BExpr r;
        r.type = ExprType::number();
        if (const auto* tuple = in.left->as<sql::TupleExpr>()) {
            std::vector<BExpr> lefts;
            std::string l;
            for (const auto& it : tuple->items) {
                lefts.push_back(expr(*it, scope));
                l += (l.empty() ? "" : ", ") + lefts.back().sql;
            }
            std::string rows;
            for (const auto& item : in.list) {
                const auto* t = item->as<sql::TupleExpr>();
                if (!t || t->items.size() != lefts.size())
                    fail(t && t->items.size() > lefts.size() ? 913 : 920,
                        t && t->items.size() > lefts.size() ? "too many values" : "invalid relational operator",
                        item->offset);
                std::string row;
                for (size_t i = 0; i < t->items.size(); ++i) {
                    BExpr v = expr(*t->items[i], scope);
                    auto plan = types::planComparison(lefts[i].type, v.type);
                    if (!plan)
                        fail(932, notComparable(lefts[i].type, v.type), t->items[i]->offset);
                    noteBind(v, lefts[i].type);
                    row += (row.empty() ? "" : ", ") + emit::convert(v.sql, plan->right, v.type);
                }
                rows += (rows.empty() ? "" : ", ") + ("(" + row + ")");
            }
            r.sql = "((" + l + ")" + (in.negated ? " NOT IN " : " IN ") + "(VALUES " + rows + "))";
            return r;
        }
        BExpr left = expr(*in.left, scope);
        std::vector<BExpr> items;
        bool leftToNumber = false;
        bool padded = false;
        for (const auto& item : in.list) {
            items.push_back(expr(*item, scope));
            auto plan = types::planComparison(left.type, items.back().type);
            if (!plan)
                fail(932, notComparable(left.type, items.back().type), item->offset);
            if (plan->left == Conversion::ToNumber)
                leftToNumber = true;
            padded = padded || plan->blankPadded;
        }
        if (padded) {
            // IN is a chain of = comparisons; with CHAR on both sides of some, each compares by its own semantics.
            std::string chain;
            for (size_t i = 0; i < items.size(); ++i) {
                BExpr c = compare(left, "=", items[i], in.list[i]->offset);
                chain += (chain.empty() ? "" : " OR ") + c.sql;
                r.local = r.local || items[i].local;
            }
            r.local = r.local || left.local;
            r.aggregate = left.aggregate;
            r.sql = std::string(in.negated ? "(NOT (" : "((") + chain + "))";
            return r;
        }
        std::string l = left.sql;
        ExprType lt = left.type;
        if (leftToNumber) {
            BExpr c = converted(left, OraType::Number, in.left->offset);
            l = c.sql;
            lt = c.type;
        }
        std::string list;
        for (size_t i = 0; i < items.size(); ++i) {
            auto plan = types::planComparison(lt, items[i].type);
            noteBind(items[i], lt);
            noteBind(left, items[i].type);
            list += (list.empty() ? "" : ", ")
                + emit::convert(items[i].sql, plan ? plan->right : Conversion::None, items[i].type);
            r.local = r.local || items[i].local;
        }
        r.local = r.local || left.local;
        r.aggregate = left.aggregate;
        r.sql = "(" + l + (in.negated ? " NOT IN (" : " IN (") + list + "))";
        return r;
    }
    case sql::ExprKind::InSubquery: {
        const auto& in = *e.as<sql::InSubqueryExpr>();
        std::vector<BExpr> lefts;
        if (const auto* tuple = in.left->as<sql::TupleExpr>()) {
            for (const auto& it : tuple->items)
                lefts.push_back(expr(*it, scope));
        } else {
            lefts.push_back(expr(*in.left, scope));
        }
        refuseOrderBy(*in.subquery);
        BlockResult sub = query(*in.subquery, &scope, false, nullptr);
        if (sub.types.size() > lefts.size())
            fail(913, "too many values", in.subquery->offset);
        if (sub.types.size() < lefts.size())
            fail(947, "not enough values", in.subquery->offset);
        std::string l, cols;
        bool wrap = false;
        for (size_t i = 0; i < lefts.size(); ++i) {
            auto plan = types::planComparison(lefts[i].type, sub.types[i]);
            if (!plan)
                fail(932, notComparable(lefts[i].type, sub.types[i]), in.left->offset);
            noteBind(lefts[i], sub.types[i]);
            l += (l.empty() ? "" : ", ") + emit::convert(lefts[i].sql, plan->left, lefts[i].type);
            const std::string c = "q_.c" + std::to_string(i + 1);
            if (plan->right != Conversion::None)
                wrap = true;
            cols += (cols.empty() ? "" : ", ") + emit::convert(c, plan->right, sub.types[i]);
        }
        std::string subSql = wrap ? "SELECT " + cols + " FROM (" + sub.sql + ") AS q_" : sub.sql;
        BExpr r;
        r.type = ExprType::number();
        r.local = lefts[0].local;
        r.sql = "(" + (lefts.size() > 1 ? "(" + l + ")" : l) + (in.negated ? " NOT IN (" : " IN (") + subSql + "))";
        return r;
    }
    case sql::ExprKind::Exists: {
        const auto& ex = *e.as<sql::ExistsExpr>();
        refuseOrderBy(*ex.subquery);
        BlockResult sub = query(*ex.subquery, &scope, false, nullptr);
        BExpr r;
        r.type = ExprType::number();
        r.sql = "EXISTS (" + sub.sql + ")";
        return r;
    }
    case sql::ExprKind::Between: {
        const auto& b = *e.as<sql::BetweenExpr>();
        BExpr v = expr(*b.value, scope);
        BExpr lo = expr(*b.low, scope);
        BExpr hi = expr(*b.high, scope);
        BExpr c1 = compare(v, ">=", lo, b.low->offset);
        BExpr c2 = compare(v, "<=", hi, b.high->offset);
        BExpr r;
        r.type = ExprType::number();
        r.local = v.local || lo.local || hi.local;
        r.aggregate = v.aggregate || lo.aggregate || hi.aggregate;
        r.sql = std::string(b.negated ? "(NOT " : "(") + "(" + c1.sql + " AND " + c2.sql + "))";
        return r;
    }
    case sql::ExprKind::Like: {
        const auto& lk = *e.as<sql::LikeExpr>();
        BExpr v = converted(expr(*lk.value, scope), OraType::Varchar2, lk.value->offset);
        BExpr p = converted(expr(*lk.pattern, scope), OraType::Varchar2, lk.pattern->offset);
        std::string args = v.sql + ", " + p.sql;
        if (lk.escape)
            args += ", " + converted(expr(*lk.escape, scope), OraType::Varchar2, lk.escape->offset).sql;
        BExpr r;
        r.type = ExprType::number();
        r.local = v.local || p.local;
        r.aggregate = v.aggregate || p.aggregate;
        // SQLite's LIKE ignores the case of ASCII letters; Oracle's does not.
        r.sql = std::string(lk.negated ? "(NOT " : "(") + "ORA_LIKE(" + args + "))";
        return r;
    }
    case sql::ExprKind::IsNull: {
        const auto& n = *e.as<sql::IsNullExpr>();
        BExpr v = expr(*n.value, scope);
        BExpr r;
        r.type = ExprType::number();
        r.local = v.local;
        r.aggregate = v.aggregate;
        r.sql = "(" + v.sql + (n.negated ? " IS NOT NULL)" : " IS NULL)");
        return r;
    }
    case sql::ExprKind::Subquery:
        return scalarSubquery(*e.as<sql::SubqueryExpr>()->query, scope, e.offset);
    case sql::ExprKind::Tuple: {
        const auto& t = *e.as<sql::TupleExpr>();
        if (t.items.size() == 1)
            return expr(*t.items[0], scope);
        // A list in parentheses stands only in IN and in a comparison of lists (bound there); as a value it is
        // where Oracle's parser wants the closing parenthesis.
        fail(907, "missing right parenthesis", t.items[0]->endOffset);
    }
    }
    fail(3001, "unimplemented feature", e.offset);
}

BExpr BinderImpl::scalarSubquery(const sql::Query& q, Scope& scope, int offset)
{
    BlockResult sub = query(q, &scope, false, nullptr);
    if (sub.types.size() > 1)
        fail(913, "too many values", offset);
    BExpr r;
    r.type = sub.types[0];
    r.type.nullable = true;
    r.type.isTextLiteral = false;
    // Oracle fails at run time when a single-row subquery gives more than one row.
    r.sql = "(SELECT CASE WHEN COUNT(*) > 1 THEN ORA_RAISE_ERROR(1427, "
            "'single-row subquery returns more than one row') ELSE MAX(q_.c1) END FROM (SELECT * FROM ("
        + sub.sql + ") LIMIT 2) AS q_)";
    return r;
}

BExpr BinderImpl::column(const sql::ColumnRefExpr& e, Scope& scope)
{
    const auto& parts = e.parts;
    const std::string& name = parts.back().name;
    if (scope.columnsNotAllowed && scope.sources.empty() && !scope.parent) {
        if (auto x = externalName(parts))
            return *x;
        // A function without parentheses is no column: INSERT ... VALUES (pkg.f).
        if (auto f = storedFunction(parts, nullptr, scope))
            return *f;
        fail(984, "column not allowed here", e.offset);
    }
    int level = 0;
    for (Scope* s = &scope; s; s = s->parent, ++level) {
        const SrcColumn* found = nullptr;
        int foundSource = -1;
        if (parts.size() == 1) {
            auto u = s->usingColumns.find(name);
            if (u != s->usingColumns.end()) {
                BExpr r;
                r.sql = u->second.first;
                r.type = u->second.second;
                r.local = level == 0;
                return r;
            }
        }
        for (size_t i = 0; i < s->sources.size(); ++i) {
            const Source& src = s->sources[i];
            if (parts.size() == 2 && src.name != parts[0].name)
                continue;
            if (parts.size() == 3 && (src.owner != parts[0].name || src.name != parts[1].name))
                continue;
            for (const auto& c : src.columns) {
                if (c.name == name) {
                    if (found && parts.size() == 1)
                        fail(918, "column ambiguously defined", e.offset);
                    found = &c;
                    foundSource = static_cast<int>(i);
                    break;
                }
            }
        }
        if (found) {
            if (e.outerJoin && level > 0)
                fail(1705, "an outer join cannot be specified on a correlation column", e.offset);
            if (found->joinedNaturally && parts.size() > 1)
                fail(25155, "column used in NATURAL join cannot have qualifier", e.offset);
            if (found->joinedByUsing && parts.size() > 1)
                fail(25154, "column part of USING clause cannot have qualifier", e.offset);
            if (level == 0) {
                if (e.outerJoin && s->outerMarks)
                    s->outerMarks->insert(foundSource);
                if (s->referenced)
                    s->referenced->insert(foundSource);
            }
            BExpr r;
            r.sql = found->sql;
            r.type = found->type;
            r.local = level == 0;
            return r;
        }
    }
    if (parts.size() == 1 && (name == "CONNECT_BY_ISLEAF" || name == "CONNECT_BY_ISCYCLE")) {
        // Oracle's hierarchical pseudocolumns, of the nearest hierarchical block.
        for (Scope* s = &scope; s; s = s->parent) {
            const std::string& sql = name == "CONNECT_BY_ISLEAF" ? s->leafSql : s->cycleSql;
            if (!sql.empty()) {
                BExpr r;
                r.sql = sql;
                r.type = ExprType::number();
                r.type.nullable = false;
                r.local = s == &scope;
                return r;
            }
            if (!s->levelSql.empty())
                fail(3001, "unimplemented feature: " + name + " here", e.offset);
        }
        fail(1788, "CONNECT BY clause required in this query block", e.offset);
    }
    if (auto x = externalName(parts))
        return *x;
    // A function without parentheses: F, PKG.F, OWNER.PKG.F.
    if (auto f = storedFunction(parts, nullptr, scope))
        return *f;
    fail(904, qualifiedName(parts) + ": invalid identifier", e.offset);
}

BExpr BinderImpl::pseudo(const sql::PseudoColumnExpr& e, Scope& scope)
{
    using W = sql::PseudoColumnExpr::Which;
    BExpr r;
    switch (e.which) {
    case W::Rownum:
        if (scope.rownumSql.empty())
            fail(3001, "unimplemented feature: ROWNUM in this position", e.offset);
        r.sql = scope.rownumSql;
        r.type = ExprType::number();
        r.type.nullable = false;
        r.local = true;
        return r;
    case W::Rowid: {
        int level = 0;
        for (Scope* s = &scope; s; s = s->parent, ++level) {
            const Source* found = nullptr;
            int index = -1;
            for (size_t i = 0; i < s->sources.size(); ++i) {
                const Source& src = s->sources[i];
                if (e.qualifier.size() == 1 && src.name != e.qualifier[0].name)
                    continue;
                if (e.qualifier.size() == 2 && (src.owner != e.qualifier[0].name || src.name != e.qualifier[1].name))
                    continue;
                if (found && e.qualifier.empty())
                    fail(918, "column ambiguously defined", e.offset);
                found = &src;
                index = static_cast<int>(i);
            }
            if (found) {
                if (found->rownoSql.empty())
                    fail(1445, "cannot select ROWID from, or sample, a join view without a key-preserved table",
                        e.offset);
                if (level == 0 && s->referenced)
                    s->referenced->insert(index);
                if (level == 0 && e.outerJoin && s->outerMarks)
                    s->outerMarks->insert(index);
                r.sql = std::string(kRowidFunction) + "(" + std::to_string(found->table->object.objectId) + ", "
                    + found->rownoSql + ")";
                r.type = ExprType::rowid();
                r.type.nullable = false;
                r.local = level == 0;
                r.rowidObject = found->table->object.objectId;
                r.rowidRowno = found->rownoSql;
                return r;
            }
        }
        std::vector<sql::Identifier> parts = e.qualifier;
        sql::Identifier id;
        id.name = "ROWID";
        parts.push_back(id);
        fail(904, qualifiedName(parts) + ": invalid identifier", e.offset);
    }
    case W::Level:
        for (Scope* s = &scope; s; s = s->parent) {
            if (!s->levelSql.empty()) {
                r.sql = s->levelSql;
                r.type = ExprType::number();
                r.type.nullable = false;
                r.local = s == &scope;
                return r;
            }
        }
        fail(1788, "CONNECT BY clause required in this query block", e.offset);
    case W::Systimestamp:
        return systimestamp();
    case W::Sysdate:
        r.sql = "ORA_SYSDATE()";
        r.type = ExprType::date();
        r.type.nullable = false;
        return r;
    case W::User:
        r.sql = "ORA_USER()";
        r.type = ExprType::varchar2(30);
        r.type.nullable = false;
        return r;
    case W::Uid:
        r.sql = "ORA_UID()";
        r.type = ExprType::number();
        r.type.nullable = false;
        return r;
    }
    fail(3001, "unimplemented feature", e.offset);
}

BExpr BinderImpl::compare(const BExpr& l, const std::string& op, const BExpr& r, int offset)
{
    if ((types::isNewDatetime(l.type.type) && !l.type.isNull && !l.type.isBind)
        || (types::isNewDatetime(r.type.type) && !r.type.isNull && !r.type.isBind))
        return datetimeCompare(l, op, r, offset);
    auto plan = types::planComparison(l.type, r.type);
    if (!plan)
        fail(932, notComparable(l.type, r.type), offset);
    noteBind(l, r.type);
    noteBind(r, l.type);
    if (op == "=" && (l.rowidObject != 0) != (r.rowidObject != 0)) {
        // ROWID = x: a lookup by row number, so that refreshing or updating one row by its ROWID uses the key.
        const BExpr& rowid = l.rowidObject ? l : r;
        const BExpr& other = l.rowidObject ? r : l;
        BExpr out;
        out.type = ExprType::number();
        out.local = true;
        out.sql = "(" + rowid.rowidRowno + " = " + kRowidRownoFunction + "(" + other.sql + ", "
            + std::to_string(rowid.rowidObject) + "))";
        return out;
    }
    std::string ls = emit::convert(l.sql, plan->left, l.type);
    std::string rs = emit::convert(r.sql, plan->right, r.type);
    if (plan->left == Conversion::ToNumber && !l.literalText.empty() && !emit::numberLiteral(l.literalText).empty())
        ls = emit::numberLiteral(l.literalText);
    if (plan->right == Conversion::ToNumber && !r.literalText.empty() && !emit::numberLiteral(r.literalText).empty())
        rs = emit::numberLiteral(r.literalText);
    if (plan->blankPadded) {
        // Blank-padded comparison: trailing blanks do not count.
        ls = "RTRIM(" + ls + ", ' ')";
        rs = "RTRIM(" + rs + ", ' ')";
    }
    if (op == "<" || op == ">" || op == "<=" || op == ">=") {
        // Numbers kept as text order through their keys (emit/number_order.h).
        const ExprType lt = plan->left == Conversion::ToNumber ? ExprType::number() : l.type;
        const ExprType rt = plan->right == Conversion::ToNumber ? ExprType::number() : r.type;
        const bool lNumber = lt.type == OraType::Number || lt.isBind || lt.isNull;
        const bool rNumber = rt.type == OraType::Number || rt.isBind || rt.isNull;
        if (lNumber && rNumber && (emit::mayHoldTextNumber(lt) || emit::mayHoldTextNumber(rt))) {
            BExpr out;
            out.type = ExprType::number();
            out.local = l.local || r.local;
            out.aggregate = l.aggregate || r.aggregate;
            out.sql = emit::numberOrdering(ls, lt, op, rs, rt);
            return out;
        }
    }
    BExpr out;
    out.type = ExprType::number();
    out.local = l.local || r.local;
    out.aggregate = l.aggregate || r.aggregate;
    out.sql = "(" + ls + " " + op + " " + rs + ")";
    return out;
}

BExpr BinderImpl::comparison(const sql::ComparisonExpr& e, Scope& scope)
{
    const std::string op = compareOp(e.op);
    const auto* lt = e.left->as<sql::TupleExpr>();
    if (lt && lt->items.size() > 1) {
        std::string l;
        for (const auto& it : lt->items)
            l += (l.empty() ? "" : ", ") + expr(*it, scope).sql;
        std::string r;
        if (const auto* sq = e.right->as<sql::SubqueryExpr>()) {
            BlockResult sub = query(*sq->query, &scope, false, nullptr);
            if (sub.types.size() > lt->items.size())
                fail(913, "too many values", e.right->offset);
            if (sub.types.size() < lt->items.size())
                fail(947, "not enough values", e.right->offset);
            r = "(" + sub.sql + ")";
        } else if (const auto* rt = e.right->as<sql::TupleExpr>()) {
            for (const auto& it : rt->items)
                r += (r.empty() ? "" : ", ") + expr(*it, scope).sql;
            r = "(" + r + ")";
        } else {
            r = expr(*e.right, scope).sql;
        }
        BExpr out;
        out.type = ExprType::number();
        out.sql = "((" + l + ") " + op + " " + r + ")";
        return out;
    }
    BExpr l = expr(*e.left, scope);
    BExpr r = expr(*e.right, scope);
    return compare(l, op, r, e.right->offset);
}

BExpr BinderImpl::binary(const sql::BinaryExpr& e, Scope& scope)
{
    using Op = sql::BinaryExpr::Op;
    if (e.op == Op::And || e.op == Op::Or) {
        BExpr l = expr(*e.left, scope);
        BExpr r = expr(*e.right, scope);
        BExpr out;
        out.type = ExprType::number();
        out.local = l.local || r.local;
        out.aggregate = l.aggregate || r.aggregate;
        out.sql = "(" + l.sql + (e.op == Op::And ? " AND " : " OR ") + r.sql + ")";
        return out;
    }
    if (e.op == Op::Concat) {
        // a || b || c: NULL operands count as empty text, and an empty result is NULL.
        std::vector<const sql::Expr*> operands;
        std::vector<const sql::Expr*> stack { &e };
        while (!stack.empty()) {
            const sql::Expr* x = stack.back();
            stack.pop_back();
            const auto* b = x->as<sql::BinaryExpr>();
            if (b && b->op == Op::Concat) {
                stack.push_back(b->right.get());
                stack.push_back(b->left.get());
            } else {
                operands.push_back(x);
            }
        }
        BExpr out;
        out.type = ExprType::nullLiteral();
        bool first = true;
        std::string s;
        for (const sql::Expr* x : operands) {
            BExpr v = expr(*x, scope);
            out.local = out.local || v.local;
            out.aggregate = out.aggregate || v.aggregate;
            if (v.type.isNull)
                continue;
            ExprType vt = v.type;
            if (!types::isCharacter(v.type.type) && !v.type.isBind) {
                if (v.type.type == OraType::Blob || v.type.type == OraType::Raw)
                    fail(932, "inconsistent datatypes: expected CHAR got " + types::oracleTypeName(v.type.type),
                        x->offset);
                v = converted(v, OraType::Varchar2, x->offset);
            }
            out.type = first ? types::concatResult(ExprType::nullLiteral(), vt) : types::concatResult(out.type, vt);
            first = false;
            s += (s.empty() ? "" : " || ") + ("COALESCE(" + v.sql + ", '')");
        }
        if (s.empty()) {
            out.sql = "NULL";
            return out;
        }
        out.type.isNull = false;
        out.sql = "NULLIF(" + s + ", '')";
        return out;
    }
    BExpr l = expr(*e.left, scope);
    BExpr r = expr(*e.right, scope);
    const char opChar = e.op == Op::Add ? '+' : e.op == Op::Subtract ? '-' : e.op == Op::Multiply ? '*' : '/';
    if ((types::isNewDatetime(l.type.type) && !l.type.isNull) || (types::isNewDatetime(r.type.type) && !r.type.isNull))
        return datetimeArithmetic(opChar, l, r, e.offset);
    auto plan = types::planArithmetic(opChar, l.type, r.type);
    if (!plan) {
        if (l.type.type == OraType::Date && r.type.type == OraType::Date && opChar == '+')
            fail(975, "date + date not allowed", e.offset);
        const bool leftBad = l.type.type != OraType::Number && !types::isCharacter(l.type.type) && !l.type.isNull;
        ExprType want = ExprType::number();
        fail(932, inconsistent(want, leftBad ? l.type : r.type), leftBad ? e.left->offset : e.right->offset);
    }
    noteBind(l,
        plan->kind == types::ArithmeticKind::Number || plan->kind == types::ArithmeticKind::DaysPlusDate
            ? ExprType::number()
            : ExprType::date());
    noteBind(r, plan->kind == types::ArithmeticKind::DateMinusDate ? ExprType::date() : ExprType::number());
    std::string ls = emit::convert(l.sql, plan->left, l.type);
    std::string rs = emit::convert(r.sql, plan->right, r.type);
    BExpr out;
    out.type = plan->result;
    out.local = l.local || r.local;
    out.aggregate = l.aggregate || r.aggregate;
    switch (plan->kind) {
    case types::ArithmeticKind::Number:
        // Decimal arithmetic, as Oracle's NUMBER: SQLite's operators work in binary doubles (100 - 99.99 would not
        // be .01), divide integers as integers and give NULL for a zero divisor.
        out.sql = std::string(opChar == '+' ? "ORA_ADD("
                : opChar == '-'             ? "ORA_SUBTRACT("
                : opChar == '*'             ? "ORA_MULTIPLY("
                                            : "ORA_DIVIDE(")
            + ls + ", " + rs + ")";
        break;
    case types::ArithmeticKind::DatePlusDays:
        out.sql = std::string(emit::kDateAdd) + "(" + ls + ", " + rs + ")";
        break;
    case types::ArithmeticKind::DaysPlusDate:
        out.sql = std::string(emit::kDateAdd) + "(" + rs + ", " + ls + ")";
        break;
    case types::ArithmeticKind::DateMinusDays:
        out.sql = std::string(emit::kDateAdd) + "(" + ls + ", -(" + rs + "))";
        break;
    case types::ArithmeticKind::DateMinusDate:
        out.sql = std::string(emit::kDateDiff) + "(" + ls + ", " + rs + ")";
        break;
    }
    return out;
}

BExpr BinderImpl::caseExpr(const sql::CaseExpr& e, Scope& scope)
{
    std::optional<BExpr> operand;
    if (e.operand)
        operand = expr(*e.operand, scope);
    std::vector<std::pair<BExpr, int>> results;
    std::vector<std::string> conditions;
    BExpr out;
    for (const auto& w : e.whens) {
        BExpr cond = expr(*w.when, scope);
        if (operand)
            cond = compare(*operand, "=", cond, w.when->offset);
        conditions.push_back(cond.sql);
        out.local = out.local || cond.local;
        out.aggregate = out.aggregate || cond.aggregate;
        results.emplace_back(expr(*w.then, scope), w.then->offset);
    }
    if (e.elseExpr)
        results.emplace_back(expr(*e.elseExpr, scope), e.elseExpr->offset);
    std::vector<const ExprType*> ts;
    for (auto& r : results)
        ts.push_back(&r.first.type);
    out.type = types::firstResultType(ts.data(), static_cast<int>(ts.size()));
    if (!e.elseExpr)
        out.type.nullable = true;
    // CASE does not convert: every result must be of the first one's family (ORA-00932 otherwise).
    for (auto& [r, off] : results) {
        if (r.type.isNull || out.type.isNull || r.type.isBind)
            continue;
        if (types::familyOf(r.type.type) != types::familyOf(out.type.type))
            fail(932, inconsistent(out.type, r.type), off);
    }
    std::string s = "(CASE";
    for (size_t i = 0; i < conditions.size(); ++i) {
        s += " WHEN " + conditions[i] + " THEN " + results[i].first.sql;
        out.local = out.local || results[i].first.local;
        out.aggregate = out.aggregate || results[i].first.aggregate;
    }
    if (e.elseExpr) {
        s += " ELSE " + results.back().first.sql;
        out.local = out.local || results.back().first.local;
        out.aggregate = out.aggregate || results.back().first.aggregate;
    }
    out.sql = s + " END)";
    return out;
}

} // namespace engine::bind::detail

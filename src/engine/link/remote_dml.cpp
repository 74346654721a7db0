// INSERT, UPDATE and DELETE of a table through a database link. The statement is sent to the link's remote
// session with the link taken off every name that carries it, and runs there whole, with the local binds, inside
// the remote session's transaction, which the local COMMIT and ROLLBACK end. A statement that would also need local
// objects (a local table in a subquery, a local sequence) or a second database is refused openly: its parts would
// have to run in two places.
#include "engine/link/links.h"
#include "engine/link/remote_sessions.h"
#include "engine/session/session_state.h"
#include "engine/sql/lexer.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace engine::link {

namespace {

[[noreturn]] void refuse(const std::string& what, int offset)
{
    throw oraError(3001, "unimplemented feature: " + what, offset);
}

// Walks every name and expression of a DML statement, calling back for each object name and expression.
class Walker {
public:
    std::function<void(const sql::ObjectName&)> onName;
    std::function<void(const sql::Expr&)> onExpr;

    void statement(const sql::Statement& st)
    {
        if (const auto* i = st.as<sql::InsertStmt>()) {
            onName(i->table);
            for (const auto& v : i->values)
                expr(v.get());
            if (i->query)
                query(*i->query);
        } else if (const auto* u = st.as<sql::UpdateStmt>()) {
            onName(u->table);
            for (const auto& set : u->sets)
                expr(set.value.get());
            expr(u->where.get());
        } else if (const auto* d = st.as<sql::DeleteStmt>()) {
            onName(d->table);
            expr(d->where.get());
        }
    }

    void query(const sql::Query& q)
    {
        for (const auto& w : q.with)
            query(*w.query);
        body(q.body.get());
        for (const auto& o : q.orderBy)
            expr(o.expr.get());
    }

private:
    void body(const sql::QueryBody* b)
    {
        if (!b)
            return;
        if (const auto* set = b->as<sql::SetOperation>()) {
            body(set->left.get());
            body(set->right.get());
            return;
        }
        if (const auto* nested = b->as<sql::NestedQuery>()) {
            query(*nested->query);
            return;
        }
        const auto* blk = b->as<sql::QueryBlock>();
        for (const auto& item : blk->items)
            expr(item.expr.get());
        for (const auto& t : blk->from)
            tableRef(t.get());
        for (const sql::Expr* e : { blk->where.get(), blk->startWith.get(), blk->connectBy.get(), blk->having.get() })
            expr(e);
        for (const auto& g : blk->groupBy)
            expr(g.get());
        for (const auto& g : blk->groupingSets)
            grouping(g);
    }

    void grouping(const sql::GroupingElement& g)
    {
        expr(g.expr.get());
        exprs(g.items);
        for (const auto& s : g.sets)
            grouping(s);
    }

    void tableRef(const sql::TableRef* t)
    {
        if (!t)
            return;
        if (const auto* n = t->as<sql::TableName>())
            onName(n->name);
        else if (const auto* v = t->as<sql::InlineView>())
            query(*v->query);
        else if (const auto* j = t->as<sql::JoinRef>()) {
            tableRef(j->left.get());
            tableRef(j->right.get());
            expr(j->on.get());
        } else if (const auto* p = t->as<sql::PivotRef>()) {
            tableRef(p->source.get());
            for (const auto& a : p->aggregates)
                expr(a.call.get());
        } else if (const auto* u = t->as<sql::UnpivotRef>()) {
            tableRef(u->source.get());
        }
    }

    void exprs(const std::vector<sql::ExprPtr>& list)
    {
        for (const auto& e : list)
            expr(e.get());
    }

    void expr(const sql::Expr* e)
    {
        if (!e)
            return;
        onExpr(*e);
        using K = sql::ExprKind;
        switch (e->kind) {
        case K::SequenceRef:
            onName(e->as<sql::SequenceRefExpr>()->sequence);
            break;
        case K::FunctionCall: {
            const auto* f = e->as<sql::FunctionCallExpr>();
            exprs(f->args);
            if (f->over)
                exprs(f->over->partitionBy);
            break;
        }
        case K::Case: {
            const auto* c = e->as<sql::CaseExpr>();
            expr(c->operand.get());
            for (const auto& w : c->whens) {
                expr(w.when.get());
                expr(w.then.get());
            }
            expr(c->elseExpr.get());
            break;
        }
        case K::Unary:
            expr(e->as<sql::UnaryExpr>()->operand.get());
            break;
        case K::Binary:
            expr(e->as<sql::BinaryExpr>()->left.get());
            expr(e->as<sql::BinaryExpr>()->right.get());
            break;
        case K::Comparison:
            expr(e->as<sql::ComparisonExpr>()->left.get());
            expr(e->as<sql::ComparisonExpr>()->right.get());
            break;
        case K::QuantifiedComparison: {
            const auto* q = e->as<sql::QuantifiedComparisonExpr>();
            expr(q->left.get());
            exprs(q->list);
            if (q->subquery)
                query(*q->subquery);
            break;
        }
        case K::InList:
            expr(e->as<sql::InListExpr>()->left.get());
            exprs(e->as<sql::InListExpr>()->list);
            break;
        case K::InSubquery:
            expr(e->as<sql::InSubqueryExpr>()->left.get());
            query(*e->as<sql::InSubqueryExpr>()->subquery);
            break;
        case K::Exists:
            query(*e->as<sql::ExistsExpr>()->subquery);
            break;
        case K::Between: {
            const auto* b = e->as<sql::BetweenExpr>();
            expr(b->value.get());
            expr(b->low.get());
            expr(b->high.get());
            break;
        }
        case K::Like: {
            const auto* l = e->as<sql::LikeExpr>();
            expr(l->value.get());
            expr(l->pattern.get());
            expr(l->escape.get());
            break;
        }
        case K::IsNull:
            expr(e->as<sql::IsNullExpr>()->value.get());
            break;
        case K::Subquery:
            query(*e->as<sql::SubqueryExpr>()->query);
            break;
        case K::Tuple:
            exprs(e->as<sql::TupleExpr>()->items);
            break;
        default:
            break;
        }
    }
};

const sql::ObjectName* targetOf(const sql::Statement& st)
{
    if (const auto* i = st.as<sql::InsertStmt>())
        return &i->table;
    if (const auto* u = st.as<sql::UpdateStmt>())
        return &u->table;
    if (const auto* d = st.as<sql::DeleteStmt>())
        return &d->table;
    return nullptr;
}

bool hasReturning(const sql::Statement& st)
{
    if (const auto* i = st.as<sql::InsertStmt>())
        return i->returning.has_value();
    if (const auto* u = st.as<sql::UpdateStmt>())
        return u->returning.has_value();
    if (const auto* d = st.as<sql::DeleteStmt>())
        return d->returning.has_value();
    return false;
}

// The text to send: every "@link" that names the statement's link cut out. Returns the cuts (offset in the
// original text, length) too, so that an error offset of the remote side can be placed in the original text.
std::string withoutLink(
    SessionState& s, std::string_view text, const LinkRow& link, std::vector<std::pair<int, int>>& cuts)
{
    const sql::LexResult lexed = sql::tokenize(text);
    std::string out;
    int copied = 0;
    const auto& toks = lexed.tokens;
    for (size_t i = 0; i < toks.size(); ++i) {
        if (toks[i].kind != sql::TokenKind::At)
            continue;
        size_t j = i + 1;
        std::string name;
        int end = toks[i].endOffset;
        while (j < toks.size()
            && (toks[j].kind == sql::TokenKind::Identifier || toks[j].kind == sql::TokenKind::QuotedIdentifier)) {
            name += toks[j].text;
            end = toks[j].endOffset;
            if (j + 2 < toks.size() && toks[j + 1].kind == sql::TokenKind::Dot) {
                name += '.';
                j += 2;
            } else {
                ++j;
                break;
            }
        }
        auto named = findLink(s.conn, s.userId, name);
        if (!named || named->identity() != link.identity())
            refuse("a statement changing a table through a database link that also reads another database",
                toks[i].offset);
        out.append(text.substr(static_cast<size_t>(copied), static_cast<size_t>(toks[i].offset - copied)));
        cuts.emplace_back(toks[i].offset, end - toks[i].offset);
        copied = end;
    }
    out.append(text.substr(static_cast<size_t>(copied)));
    return out;
}

int originalOffset(int remoteOffset, const std::vector<std::pair<int, int>>& cuts)
{
    if (remoteOffset < 0)
        return -1;
    int offset = remoteOffset;
    for (const auto& [at, length] : cuts)
        if (at <= offset)
            offset += length;
    return offset;
}

} // namespace

bool isRemoteDml(const sql::Statement& st)
{
    const sql::ObjectName* target = targetOf(st);
    return target && target->dblink;
}

ExecResult executeRemoteDml(SessionState& s, const sql::Statement& st, std::string_view text, std::vector<Bind>& binds)
{
    const sql::ObjectName& target = *targetOf(st);
    auto link = findLink(s.conn, s.userId, target.dblink->name);
    if (!link)
        throw oraError(2019, "connection description for remote database not found", target.dblink->offset);
    if (hasReturning(st))
        throw oraError(22816, "unsupported feature with RETURNING clause", st.offset);
    if (s.readOnlyTransaction)
        throw oraError(1456, "may not perform insert/delete/update operation inside a READ ONLY transaction");
    Walker walk;
    walk.onName = [&](const sql::ObjectName& n) {
        if (n.dblink)
            return;
        // DUAL is the same one row on either side.
        if (n.name.name == "DUAL" && (!n.schema || n.schema->name == "SYS"))
            return;
        refuse("a statement changing a table through a database link that also reads local objects", n.offset);
    };
    walk.onExpr = [&](const sql::Expr& e) {
        // USER and UID are the local session's; the remote side would answer with the link's user.
        if (const auto* p = e.as<sql::PseudoColumnExpr>();
            p && (p->which == sql::PseudoColumnExpr::Which::User || p->which == sql::PseudoColumnExpr::Which::Uid))
            refuse("USER and UID in a statement changing a table through a database link", e.offset);
        // A packaged or schema-qualified function is a stored unit of this database.
        if (const auto* f = e.as<sql::FunctionCallExpr>(); f && f->name.size() > 1 && !f->dblink)
            refuse("a local stored function in a statement changing a table through a database link", e.offset);
    };
    walk.statement(st);
    std::vector<std::pair<int, int>> cuts;
    const std::string remoteText = withoutLink(s, text, *link, cuts);
    RemoteConnection& remote = [&]() -> RemoteConnection& {
        try {
            return connection(s, *link);
        } catch (const Error& e) {
            throw Error(e.code(), e.message(), target.dblink->offset);
        }
    }();
    ExecResult r;
    try {
        r = remote.session->execute(remoteText, binds);
    } catch (const Error& e) {
        // A DML statement sets no WAIT: a wait that ran out is the link's distributed lock timeout, as when the
        // lock is held by this very session through a link to its own database.
        if (e.code() == 30006)
            throw remoteError(oraError(2049, "timeout: distributed transaction waiting for lock"), *link,
                originalOffset(e.offset(), cuts));
        throw remoteError(e, *link, originalOffset(e.offset(), cuts));
    }
    if (remote.session->inTransaction())
        s.inTransaction = true;
    return r;
}

} // namespace engine::link

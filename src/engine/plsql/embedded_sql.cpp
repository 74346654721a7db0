// Running SQL embedded in PL/SQL through the executor's translated-statement path.
#include "engine/plsql/embedded_sql.h"

#include "engine/exec/executor.h"
#include "engine/fn/oraerror.h"
#include "engine/link/links.h"
#include "engine/plsql/values.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"

#include <algorithm>
#include <functional>

namespace engine::plsql {

namespace {

// After the catalog changed, the statement is bound again with the names it used the first time.
class KnownNames : public bind::ExternalNames {
public:
    explicit KnownNames(const EmbeddedSql& e)
        : e(e)
    {
    }
    std::optional<bind::ExternalName> resolve(const std::vector<std::string>& parts) const override
    {
        std::string key;
        for (const std::string& p : parts)
            key += (key.empty() ? "" : ".") + p;
        auto it = e.byKey.find(key);
        if (it == e.byKey.end())
            return std::nullopt;
        return bind::ExternalName { it->second.first, it->second.second };
    }

private:
    const EmbeddedSql& e;
};

// USER inside a change sent through a link is the local session's user, as Oracle has it: a bind.
struct CSessionUser : CExpr {
    Val eval(Ctx& c) const override { return Val { Value::fromText(c.s.fctx.user), nullptr }; }
};

// Who a statement of an invoker's-rights unit is resolved for: the current user and the current schema.
std::string invokerKey(const SessionState& s)
{
    return std::to_string(s.userId) + "." + s.schema;
}

} // namespace

bool EmbeddedSql::prepareRemote(const bind::ExternalNames& names)
{
    const auto* ins = parsed->statement->as<sql::InsertStmt>();
    if (!ins || ins->query || !link::isRemoteDml(*parsed->statement))
        return false;
    struct Cut {
        int begin, end;
        std::string bind;
    };
    std::vector<Cut> cuts;
    std::function<void(const sql::Expr*)> walk = [&](const sql::Expr* e) {
        if (!e)
            return;
        if (const auto* col = e->as<sql::ColumnRefExpr>()) {
            std::vector<std::string> parts;
            for (const sql::Identifier& id : col->parts)
                parts.push_back(id.name);
            if (auto n = names.resolve(parts))
                cuts.push_back({ e->offset, e->endOffset, n->bindName });
        } else if (const auto* p = e->as<sql::PseudoColumnExpr>();
                   p && p->which == sql::PseudoColumnExpr::Which::User) {
            const std::string bind = "PLSQL$USER";
            if (!byKey.count(bind)) {
                byKey[bind] = { bind, types::ExprType::varchar2(128) };
                auto user = std::make_unique<CSessionUser>();
                user->type = PlType::varchar2(128);
                externals.emplace_back(bind, std::move(user));
            }
            cuts.push_back({ e->offset, e->endOffset, bind });
        } else if (const auto* f = e->as<sql::FunctionCallExpr>()) {
            for (const auto& a : f->args)
                walk(a.get());
        } else if (const auto* b = e->as<sql::BinaryExpr>()) {
            walk(b->left.get());
            walk(b->right.get());
        } else if (const auto* u = e->as<sql::UnaryExpr>()) {
            walk(u->operand.get());
        } else if (const auto* c = e->as<sql::CaseExpr>()) {
            walk(c->operand.get());
            for (const auto& w : c->whens) {
                walk(w.when.get());
                walk(w.then.get());
            }
            walk(c->elseExpr.get());
        } else if (const auto* cmp = e->as<sql::ComparisonExpr>()) {
            walk(cmp->left.get());
            walk(cmp->right.get());
        }
    };
    for (const auto& v : ins->values)
        walk(v.get());
    std::sort(cuts.begin(), cuts.end(), [](const Cut& a, const Cut& b) { return a.begin > b.begin; });
    for (const Cut& c : cuts) {
        if (c.begin < 0 || c.end < c.begin || static_cast<size_t>(c.end) > text.size())
            return false;
        text.replace(static_cast<size_t>(c.begin), static_cast<size_t>(c.end - c.begin), ":" + c.bind);
    }
    auto reparsed = std::make_unique<sql::ParseResult>(sql::parse(text));
    if (!reparsed->ok())
        return false;
    parsed = std::move(reparsed);
    remote = true;
    return true;
}

void EmbeddedSql::mapSources()
{
    sources.clear();
    for (const bind::ParamSlot& p : entry->bound->params) {
        int src = -1;
        for (size_t i = 0; i < externals.size(); ++i)
            if (externals[i].first == p.name)
                src = static_cast<int>(i);
        sources.push_back(src);
    }
}

void EmbeddedSql::retranslate(Ctx& c)
{
    KnownNames names(*this);
    try {
        entry = exec::translateEmbedded(c.s, text, *parsed->statement, &names);
    } catch (const Error& e) {
        throw plError(e.code(), e.message().substr(e.message().find(": ") + 2));
    }
    boundFor = invokerKey(c.s);
    mapSources();
}

ExecResult EmbeddedSql::run(Ctx& c, std::vector<Bind>* out)
{
    if (remote) {
        std::vector<Bind> binds;
        for (const auto& [name, e] : externals) {
            Bind b;
            b.name = name;
            b.value = e->eval(c).v;
            b.type = oraTypeOf(e->type);
            binds.push_back(std::move(b));
        }
        // The client's binds the statement names go as they are.
        if (c.binds)
            for (const Bind& cb : *c.binds)
                binds.push_back(cb);
        try {
            return link::executeRemoteDml(c.s, *parsed->statement, text, binds);
        } catch (const Error& e) {
            PlError p;
            p.code = e.code();
            p.message = e.message();
            throw p;
        }
    }
    current(c);
    std::vector<Bind> local;
    std::vector<Bind>& binds = out ? *out : local;
    bindValues(c, binds);
    try {
        return exec::runTranslated(c.s, entry, binds);
    } catch (const Error& e) {
        PlError p;
        p.code = e.code();
        p.message = e.message();
        throw p;
    } catch (const fn::OraError& e) {
        PlError p;
        p.code = e.code();
        p.message = e.message();
        throw p;
    }
}

const std::shared_ptr<exec::CachedStatement>& EmbeddedSql::current(Ctx& c)
{
    if (!entry || entry->generation != c.s.db->ddlGeneration.load())
        retranslate(c);
    else if (c.unit && c.unit->invokerRights && boundFor != invokerKey(c.s))
        retranslate(c);
    return entry;
}

void EmbeddedSql::bindValues(Ctx& c, std::vector<Bind>& binds) const
{
    // The binds are filled in place: a vector used again (FORALL's batches) keeps its names' storage.
    const auto& params = entry->bound->params;
    binds.resize(params.size() + returningBinds.size());
    for (size_t i = 0; i < params.size(); ++i) {
        Bind& b = binds[i];
        b.name = params[i].name;
        b.dir = BindDir::In;
        b.returnAll = false;
        b.values.clear();
        b.cursor.reset();
        b.value = Value::null();
        b.type = OraType::Varchar2;
        int src = sources[i];
        if (src >= 0) {
            const CExpr& e = *externals[static_cast<size_t>(src)].second;
            b.value = e.eval(c).v;
            b.type = oraTypeOf(e.type);
        } else if (c.binds) {
            for (const Bind& cb : *c.binds)
                if (cb.name == b.name) {
                    b.value = cb.value;
                    b.type = cb.type;
                }
        }
    }
    for (size_t i = 0; i < returningBinds.size(); ++i) {
        Bind& b = binds[params.size() + i];
        b = Bind {};
        b.name = returningBinds[i];
        b.dir = BindDir::Out;
        b.returnAll = returnAll;
    }
}

} // namespace engine::plsql

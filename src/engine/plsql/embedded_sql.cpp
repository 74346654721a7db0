// Running SQL embedded in PL/SQL through the executor's translated-statement path.
#include "engine/plsql/embedded_sql.h"

#include "engine/exec/executor.h"
#include "engine/fn/oraerror.h"
#include "engine/plsql/values.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"

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

} // namespace

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
    mapSources();
}

ExecResult EmbeddedSql::run(Ctx& c, std::vector<Bind>* out)
{
    if (!entry || entry->generation != c.s.db->ddlGeneration.load())
        retranslate(c);
    std::vector<Bind> local;
    std::vector<Bind>& binds = out ? *out : local;
    binds.clear();
    const auto& params = entry->bound->params;
    binds.reserve(params.size() + returningBinds.size());
    for (size_t i = 0; i < params.size(); ++i) {
        Bind b;
        b.name = params[i].name;
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
        binds.push_back(std::move(b));
    }
    for (const std::string& r : returningBinds) {
        Bind b;
        b.name = r;
        b.dir = BindDir::Out;
        binds.push_back(std::move(b));
    }
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

} // namespace engine::plsql

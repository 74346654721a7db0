// Names of the enclosing PL/SQL block inside an embedded statement: each becomes a bind of the statement, typed as
// the variable is declared, so the statement compares and stores like with like.
#include "engine/bind/binder_impl.h"

namespace engine::bind::detail {

std::optional<BExpr> BinderImpl::externalName(const std::vector<sql::Identifier>& parts)
{
    if (!external)
        return std::nullopt;
    std::vector<std::string> names;
    for (const sql::Identifier& p : parts)
        names.push_back(p.name);
    auto found = external->resolve(names);
    if (!found)
        return std::nullopt;
    const int slot = slotFor(found->bindName);
    ParamSlot& param = params[static_cast<size_t>(slot)];
    param.expected = found->type;
    param.expected.isBind = false;
    param.expected.nullable = true;
    BExpr r;
    r.sql = "?" + std::to_string(slot + 1);
    r.type = found->type;
    r.type.nullable = true;
    r.type.isBind = false;
    return r;
}

std::optional<BExpr> BinderImpl::storedFunction(const std::vector<sql::Identifier>& parts,
    const std::vector<sql::ExprPtr>* args, Scope& scope, const std::vector<BExpr>* bound,
    const std::vector<sql::Identifier>* namedArgs)
{
    if (!context.storedFunction)
        return std::nullopt;
    std::vector<std::string> names;
    for (const sql::Identifier& p : parts)
        names.push_back(p.name);
    std::vector<std::string> argNames(args ? args->size() : 0);
    if (namedArgs)
        for (size_t i = 0; i < namedArgs->size() && i < argNames.size(); ++i)
            argNames[i] = (*namedArgs)[i].name;
    std::optional<bind::SessionContext::StoredFunction> found;
    try {
        found = context.storedFunction(names, argNames);
    } catch (const Error& e) {
        // the error's text as the call found it, placed at the call
        const std::string& m = e.message();
        fail(e.code(), m.rfind("ORA-", 0) == 0 && m.size() > 11 ? m.substr(11) : m,
            parts.empty() ? -1 : parts.front().offset);
    }
    if (!found)
        return std::nullopt;
    dependsOn.insert(found->objectId);
    BExpr r;
    r.sql = found->callPrefix;
    if (args)
        for (size_t i = 0; i < args->size(); ++i) {
            BExpr b = bound && i < bound->size() ? (*bound)[i] : expr(*(*args)[i], scope);
            r.sql += ", " + b.sql;
            r.aggregate = r.aggregate || b.aggregate;
        }
    r.sql += ")";
    r.type = found->type;
    r.type.nullable = true;
    r.local = true;
    return r;
}

} // namespace engine::bind::detail

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
    const std::vector<sql::ExprPtr>* args, Scope& scope, const std::vector<BExpr>* bound)
{
    if (!context.storedFunction)
        return std::nullopt;
    std::vector<std::string> names;
    for (const sql::Identifier& p : parts)
        names.push_back(p.name);
    auto found = context.storedFunction(names, args ? args->size() : 0);
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

// TABLE(collection) in FROM: the rows of a PL/SQL collection variable or of a stored function's collection result.
// The collection reaches SQLite as JSON text (an array of rows, each an array of values) and is read by SQLite's
// json_each, a table-valued function, so its arguments may name columns of the FROM items before it, as Oracle's
// left correlation allows.
#include "engine/bind/binder_impl.h"

namespace engine::bind::detail {

namespace {

const char* const kNotNested = "cannot access rows from a non-nested table item";

// An error of the session's callbacks, raised again at the collection expression.
std::string withoutPrefix(const std::string& m)
{
    return m.rfind("ORA-", 0) == 0 && m.size() > 11 ? m.substr(11) : m;
}

} // namespace

Source BinderImpl::collectionSource(const sql::CollectionRef& c, Scope& scope)
{
    const sql::Expr& e = *c.collection;
    std::string valueSql;
    CollectionRows rows;
    auto namesOf = [](const std::vector<sql::Identifier>& parts) {
        std::vector<std::string> names;
        for (const sql::Identifier& p : parts)
            names.push_back(p.name);
        return names;
    };
    auto callFunction = [&](const std::vector<sql::Identifier>& parts, const std::vector<sql::ExprPtr>* args,
                            const std::vector<sql::Identifier>* argNames) {
        if (!context.collectionFunction)
            return false;
        std::vector<std::string> named(args ? args->size() : 0);
        if (argNames)
            for (size_t i = 0; i < argNames->size() && i < named.size(); ++i)
                named[i] = (*argNames)[i].name;
        std::optional<SessionContext::StoredCollectionFunction> found;
        try {
            found = context.collectionFunction(namesOf(parts), named, external != nullptr);
        } catch (const Error& err) {
            fail(err.code(), withoutPrefix(err.message()), e.offset);
        }
        if (!found)
            return false;
        dependsOn.insert(found->objectId);
        valueSql = found->callPrefix;
        if (args)
            for (const sql::ExprPtr& a : *args)
                valueSql += ", " + expr(*a, scope).sql;
        valueSql += ")";
        rows = found->rows;
        return true;
    };
    if (const auto* f = e.as<sql::FunctionCallExpr>(); f && !f->dblink && !f->star) {
        callFunction(f->name, &f->args, &f->argNames);
    } else if (const auto* col = e.as<sql::ColumnRefExpr>()) {
        std::optional<ExternalCollection> x;
        if (external)
            try {
                x = external->resolveCollection(namesOf(col->parts));
            } catch (const Error& err) {
                fail(err.code(), withoutPrefix(err.message()), e.offset);
            }
        if (x) {
            const int slot = slotFor(x->bindName);
            ParamSlot& param = params[static_cast<size_t>(slot)];
            param.expected = types::ExprType::varchar2();
            param.expected.nullable = true;
            valueSql = "?" + std::to_string(slot + 1);
            rows = x->rows;
        }
        if (valueSql.empty())
            callFunction(col->parts, nullptr, nullptr);
    }
    if (valueSql.empty())
        if (const auto* f = e.as<sql::FunctionCallExpr>(); f && !f->dblink && f->name.back().name.rfind("ODCI", 0) == 0)
            // Oracle's own collection types of SYS (ODCINUMBERLIST, ODCIVARCHAR2LIST ...): types of the schema, which
            // the engine does not build.
            fail(3001, "unimplemented feature: TABLE collection expression over a type constructor", e.offset);
    if (valueSql.empty()) {
        // Anything else is bound as written first, so an unknown name keeps its own error.
        expr(e, scope);
        fail(22905, kNotNested, e.offset);
    }
    Source src;
    src.name = c.alias ? c.alias->name : "";
    src.sqlAlias = newAlias();
    src.fromSql = "json_each(" + valueSql + ") AS " + src.sqlAlias;
    src.offset = c.offset;
    for (size_t i = 0; i < rows.names.size(); ++i) {
        SrcColumn col;
        col.name = rows.names[i];
        col.sql = "json_extract(" + src.sqlAlias + ".value, '$[" + std::to_string(i) + "]')";
        col.type = rows.types[i];
        col.type.nullable = true;
        src.columns.push_back(col);
    }
    return src;
}

} // namespace engine::bind::detail

// Names a statement may use that are not the catalog's: the variables of the PL/SQL block a SQL statement is
// embedded in. The binder asks after the statement's own columns, so a column wins over a variable of the same name.
#pragma once

#include "engine/types/oratype.h"

#include <optional>
#include <string>
#include <vector>

namespace engine::bind {

struct ExternalName {
    std::string bindName; // the statement takes the value as a bind of this name
    types::ExprType type;
};

// The rows of a collection that TABLE() reads: one column, COLUMN_VALUE, for an element of a scalar type, else the
// element's fields. The value SQL sees is the collection as JSON text, an array of rows, each an array of values
// (see plsql/table_collection.h).
struct CollectionRows {
    std::vector<std::string> names;
    std::vector<types::ExprType> types;
};

struct ExternalCollection {
    std::string bindName;
    CollectionRows rows;
};

class ExternalNames {
public:
    virtual ~ExternalNames() = default;
    // The name's parts as written (upper case unless quoted): "V", or "R", "FIELD", or "PKG", "VAR".
    virtual std::optional<ExternalName> resolve(const std::vector<std::string>& parts) const = 0;
    // A collection variable that TABLE(name) reads; nothing when the name is no such variable.
    virtual std::optional<ExternalCollection> resolveCollection(const std::vector<std::string>&) const
    {
        return std::nullopt;
    }
};

} // namespace engine::bind

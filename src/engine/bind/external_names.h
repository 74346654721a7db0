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

class ExternalNames {
public:
    virtual ~ExternalNames() = default;
    // The name's parts as written (upper case unless quoted): "V", or "R", "FIELD", or "PKG", "VAR".
    virtual std::optional<ExternalName> resolve(const std::vector<std::string>& parts) const = 0;
};

} // namespace engine::bind

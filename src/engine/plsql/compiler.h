// The PL/SQL compiler: resolves every name of a parsed unit (variables to frame slots, types, cursors, exceptions,
// subprograms, embedded SQL against the catalog) and builds the form the interpreter runs. Errors are collected
// with Oracle's line, column and text, as Oracle lists them for a unit.
#pragma once

#include "engine/plsql/ast.h"
#include "engine/plsql/nodes.h"

#include <memory>
#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::plsql {

struct CompileOutput {
    std::unique_ptr<CUnit> unit;
    std::vector<CompileError> errors;
    // Storage of the call's binds (:NAME) the compiled unit refers to, in the order of `binds`.
    std::shared_ptr<std::vector<Val>> bindValues;
};

// Compiles an anonymous block; `binds` are the call's binds, which :NAME refers to.
CompileOutput compileBlock(SessionState& s, std::string_view text, const Unit& unit, const std::vector<Bind>& binds);

} // namespace engine::plsql

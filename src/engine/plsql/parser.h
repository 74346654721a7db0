// The PL/SQL front end: the text of an anonymous block or of a stored unit (as stored, beginning with its type word)
// in, its syntax tree or the first syntax error out, with Oracle's line and column. It never throws for bad input
// and never recurses without bound.
#pragma once

#include "engine/plsql/ast.h"

#include <optional>
#include <string_view>

namespace engine::plsql {

struct ParseOutput {
    std::unique_ptr<Unit> unit;
    std::optional<CompileError> error;
};

// Parses `text`. An anonymous block may be preceded by comments; a unit's text begins with PROCEDURE, FUNCTION,
// PACKAGE [BODY] or TRIGGER (CREATE [OR REPLACE] already taken off). `begin` is where the unit starts in the text.
ParseOutput parseUnit(std::string_view text, int begin = 0);

// One expression of PL/SQL starting at `begin` in `text` (a collection's element inside an embedded statement):
// the expression and where it ends, or nothing when no expression starts there.
struct ExpressionParse {
    ExprPtr expr;
    int end = 0;
};
std::optional<ExpressionParse> parseExpressionAt(std::string_view text, int begin);

// Line and column (1-based) of a byte offset, as Oracle counts them in a unit's text.
Pos positionOf(std::string_view text, int offset);

} // namespace engine::plsql

// Canonical SQL text of a syntax tree: every operation fully parenthesised, names quoted only where needed.
// Parsing the dump gives the same tree again, which is how the tests check what the parser built; it also serves
// for messages and debugging.
#pragma once

#include "engine/sql/ast.h"

#include <string>

namespace engine::sql {

std::string dumpStatement(const Statement& statement);
std::string dumpQuery(const Query& query);
std::string dumpExpr(const Expr& expr);
std::string dumpIdentifier(const Identifier& id);

} // namespace engine::sql

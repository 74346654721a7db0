// Walks over the syntax tree the binder's query stages share: the children of an expression at its query level,
// and what a query block holds (ROWNUM, aggregates, analytic functions, PRIOR, SYS_CONNECT_BY_PATH).
#pragma once

#include "engine/sql/ast.h"

#include <functional>
#include <string>
#include <vector>

namespace engine::bind::detail {

// The expressions directly under e at the same query level (subqueries hold their own).
void forEachChild(const sql::Expr& e, const std::function<void(const sql::Expr&)>& f);
// The operands of a chain of ANDs.
void splitAnd(const sql::Expr* e, std::vector<const sql::Expr*>& out);
bool isRownum(const sql::Expr* e);
// A limit operand ROWNUM can be compared with: a number literal or a bind.
const sql::Expr* limitOperand(const sql::Expr* e);
bool mentionsRownum(const sql::Expr* e);
bool mentionsOr(const sql::Expr* e);
// Oracle's aggregate functions by name; a call of one without OVER is an aggregate of its query level.
bool isAggregateName(const std::string& n);
bool isAggregateCall(const sql::Expr& e);
bool isAnalyticCall(const sql::Expr& e);
// The functions that exist only with OVER (ROW_NUMBER, RANK, LAG, ...).
bool isWindowFunctionName(const std::string& n);
// Oracle's built-in functions the engine does not have: calling one is ORA-03001, not an unknown name.
bool isKnownOracleFunction(const std::string& n);
bool containsAnalytic(const sql::Expr& e);
std::string pseudoName(sql::PseudoColumnExpr::Which w);
bool containsPrior(const sql::Expr& e);
void collectConnectByPaths(const sql::Expr& e, std::vector<const sql::FunctionCallExpr*>& out);
// An aggregate call of this query level: subqueries hold their own.
bool containsAggregate(const sql::Expr& e);
// The aggregate calls that stand inside another aggregate's argument.
void collectNestedAggregates(const sql::Expr& e, bool insideAggregate, std::vector<const sql::Expr*>& out);

} // namespace engine::bind::detail

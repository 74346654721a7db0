// Pieces of SQLite SQL text the emitter writes: quoted names and literals, Oracle's implicit conversions as calls
// of the engine's functions, and ORDER BY terms with Oracle's null ordering.
#pragma once

#include "engine/types/oratype.h"

#include <string>
#include <string_view>

namespace engine::emit {

std::string quoteIdent(std::string_view name);
// A SQLite text literal; an empty text is Oracle's NULL and gives NULL.
std::string quoteText(std::string_view text);
// A number literal as Oracle reads it ("1.5E3", ".5", "10"): integral values as SQLite integers, others as reals.
// Empty when the text is no number, or one NUMBER cannot hold (1E126 and beyond: numberLiteralOverflows).
std::string numberLiteral(std::string_view text);
// Whether the text is a number of magnitude 1E126 or more, which NUMBER cannot hold (Oracle's ORA-01426).
bool numberLiteralOverflows(std::string_view text);

// `sql` converted as Oracle converts a value of type `from` implicitly.
std::string convert(const std::string& sql, types::Conversion conversion, const types::ExprType& from);

// One ORDER BY term with Oracle's null ordering: NULLS LAST ascending and NULLS FIRST descending by default.
std::string orderTerm(const std::string& sql, bool descending, std::optional<bool> nullsFirst);

// A GROUP BY or ORDER BY term as an expression: SQLite reads a bare integer there as a select-list position, while
// Oracle groups (and sorts) by the constant, so integers are wrapped into an expression of the same value.
std::string expressionTerm(const std::string& sql);

// Names of the engine's conversion functions (registered by the functions module).
inline constexpr const char* kToNumber = "ORA_TO_NUMBER";
inline constexpr const char* kToDate = "ORA_TO_DATE";
inline constexpr const char* kToCharNumber = "ORA_TO_CHAR_NUMBER";
inline constexpr const char* kToCharDate = "ORA_TO_CHAR_DATE";
inline constexpr const char* kDateAdd = "ORA_DATE_ADD";
inline constexpr const char* kDateDiff = "ORA_DATE_DIFF";

} // namespace engine::emit

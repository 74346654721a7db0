// Entry point of the SQL front end: one statement text in, its syntax tree or Oracle's error out.
// The parser never throws for bad input and never recurses without bound; errors carry the byte offset of the
// token where Oracle reports them.
#pragma once

#include "engine/sql/ast.h"

#include <optional>
#include <string>
#include <string_view>

namespace engine::sql {

struct ParseError {
    int code = 0; // 933 for ORA-00933
    std::string message; // the full text as Oracle gives it: "ORA-00933: SQL command not properly ended"
    int offset = -1; // byte offset in the statement text
};

struct ParseResult {
    StatementPtr statement; // set when ok()
    std::optional<ParseError> error;
    bool ok() const { return statement != nullptr && !error; }
};

// Parses one statement as sent to the server (no SQL*Plus terminator: a trailing ';' is ORA-00911 for SQL
// statements, as on Oracle; PL/SQL blocks and units keep their text whole).
ParseResult parse(std::string_view sql);

// Builds Oracle's full message text for an ORA code the front end raises: formatOraMessage(933) ->
// "ORA-00933: SQL command not properly ended". `name` fills ORA-00904's "<name>".
std::string formatOraMessage(int code, std::string_view name = {});

} // namespace engine::sql

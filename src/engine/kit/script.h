// Splitting a script file of the kit into statements, the way SQL*Plus reads such a file: a SQL statement ends with
// ";" at the end of a line, a PL/SQL unit or block with a line holding only "/", and CONNECT user/password is a
// command of its own line. Quotes and comments are honoured.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine::kit {

struct ScriptStatement {
    enum class Kind { Sql, PlSql, Connect };
    // A SQL statement without its ending ";"; a PL/SQL unit with its last "END;"; for CONNECT the "user/password".
    std::string text;
    int line = 0; // 1-based line of the statement's first token in the file
    Kind kind = Kind::Sql;
};

struct SplitResult {
    std::vector<ScriptStatement> statements;
    std::string error; // empty when the whole text was read
    int errorLine = 0;
    bool ok() const { return error.empty(); }
};

// A statement is PL/SQL (ended only by a "/" line) when it begins with BEGIN, DECLARE, a <<label>>, or CREATE [OR
// REPLACE] [EDITIONABLE | NONEDITIONABLE] PROCEDURE, FUNCTION, PACKAGE, TRIGGER or TYPE. CONNECT takes the rest of
// its line (a ";" at its end is dropped). Errors: a quote or comment left open, a statement the text ends inside
// of, a "/" line with no statement before it, and a CONNECT without "user/password".
SplitResult splitScript(std::string_view text);

} // namespace engine::kit

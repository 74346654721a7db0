// Oracle SQL tokenizer: splits a statement into tokens with byte offsets, folding unquoted words to upper case.
// It reports Oracle's lexical errors (ORA-00911, ORA-01756, ORA-00972, ORA-01740, ORA-01741) and stops there.
#pragma once

#include "engine/sql/parser.h"
#include "engine/sql/token.h"

#include <optional>
#include <string_view>
#include <vector>

namespace engine::sql {

struct LexResult {
    std::vector<Token> tokens; // ends with a TokenKind::End token, also when an error stopped the scan
    std::optional<ParseError> error;
};

// Scans the whole text. Comments are returned as Comment tokens; the parser skips them.
LexResult tokenize(std::string_view sql);

// Whether Oracle reserves this upper-case word (it cannot be an unquoted name).
bool isReservedWord(std::string_view upperWord);

} // namespace engine::sql

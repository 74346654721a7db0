// Statement dispatch of the SQL parser: the first words decide which statement parser runs.
#include "engine/sql/parser.h"

namespace engine::sql {

ParseResult parse(std::string_view)
{
    ParseResult result;
    result.error = ParseError { 3001, formatOraMessage(3001), 0 };
    return result;
}

std::string formatOraMessage(int code, std::string_view)
{
    return "ORA-0" + std::to_string(code) + ": unimplemented feature";
}

} // namespace engine::sql

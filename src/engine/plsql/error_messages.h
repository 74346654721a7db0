// Oracle's message texts by error number, for SQLERRM(n).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engine::plsql {

// The text of ORA-code (without the prefix), for the errors the engine knows.
std::optional<std::string_view> oracleMessageText(int64_t code);

// SQLERRM(code) as Oracle gives it: ORA-0000 for 0, ORA-01403 for +100, "-n: non-ORACLE exception" for another
// positive number, the message of a negative one ("Message n not found; ..." when there is none).
std::string sqlErrorMessage(int64_t code);

} // namespace engine::plsql

// Fuzz target of the SQL front end: any bytes go through the lexer and parser. Besides not crashing or hanging,
// a statement that parses must dump to text that parses to the same dump, and an error must carry an offset
// inside the statement.
#include "engine/sql/ast_dump.h"
#include "engine/sql/parser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view sql(reinterpret_cast<const char*>(data), size);
    engine::sql::ParseResult result = engine::sql::parse(sql);
    if (!result.ok()) {
        if (!result.error || result.error->offset < 0 || static_cast<size_t>(result.error->offset) > size
            || result.error->message.rfind("ORA-", 0) != 0)
            std::abort();
        return 0;
    }
    const std::string dump = engine::sql::dumpStatement(*result.statement);
    engine::sql::ParseResult again = engine::sql::parse(dump);
    if (!again.ok()) {
        // The dump parenthesises every operation; a tree near the height limit may nest too deep when read back.
        if (again.error && again.error->code == 3095)
            return 0;
        std::abort();
    }
    if (engine::sql::dumpStatement(*again.statement) != dump)
        std::abort();
    return 0;
}

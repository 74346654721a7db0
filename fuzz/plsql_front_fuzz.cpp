// Fuzz target of the PL/SQL front end: any bytes go through the lexer and the PL/SQL parser as an anonymous block
// and as a stored unit's text, and through the parser of a name chain at an offset. Besides not crashing or hanging, an
// error must carry a line and column inside the text and one of Oracle's message prefixes.
#include "engine/plsql/parser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(std::string_view text)
{
    // The name chains the compiler reads out of embedded SQL (collection elements) are parsed from any offset.
    for (int at : { 0, static_cast<int>(text.size() / 2) })
        if (auto e = engine::plsql::parseExpressionAt(text, at);
            e && (e->end < at || static_cast<size_t>(e->end) > text.size()))
            std::abort();
    engine::plsql::ParseOutput out = engine::plsql::parseUnit(text);
    if (out.unit && !out.error)
        return;
    if (!out.error || out.unit)
        std::abort();
    const engine::plsql::CompileError& e = *out.error;
    if (e.offset < 0 || static_cast<size_t>(e.offset) > text.size() || e.line < 1 || e.col < 1)
        std::abort();
    if (e.text.rfind("PLS-", 0) != 0 && e.text.rfind("ORA-", 0) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check(text);
    return 0;
}

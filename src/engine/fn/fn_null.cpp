// NVL, NVL2 and the || operator: Oracle's rules for NULL (NULL || 'a' is 'a'; only all-NULL operands give NULL).
#include "engine/fn/fnutil.h"

namespace engine::fn::detail {

namespace {

void nvl(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_result_value(ctx, isNull(argv[0]) ? argv[1] : argv[0]);
}

void nvl2(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_result_value(ctx, isNull(argv[0]) ? argv[2] : argv[1]);
}

void concat(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        thread_local std::string out;
        out.clear();
        std::string scratch;
        for (int i = 0; i < argc; ++i)
            if (!isNull(argv[i]))
                out.append(stringArg(argv[i], scratch));
        resultText(ctx, out);
    });
}

} // namespace

void registerNullFunctions(Registrar& r)
{
    r.add("ORA_NVL", nvl);
    r.add("ORA_NVL2", nvl2);
    r.add("ORA_CONCAT", concat);
}

} // namespace engine::fn::detail

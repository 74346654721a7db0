// GREATEST and LEAST: the first argument decides how all compare, as in Oracle: numerically when it is a number
// (text arguments converted, ORA-01722 when they are not numbers), else as text in binary order (dates in their
// stored form order correctly as text). Any NULL argument gives NULL.
#include "engine/fn/decimal.h"
#include "engine/fn/fnutil.h"

namespace engine::fn::detail {

namespace {

template <bool Greatest> void pick(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        int type = sqlite3_value_type(argv[0]);
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            NumberValue best = numberArg(argv[0]);
            for (int i = 1; i < argc; ++i) {
                NumberValue v = numberArg(argv[i]);
                int c = compareNumbers(v, best);
                if (Greatest ? c > 0 : c < 0)
                    best = v;
            }
            resultNumber(ctx, best);
            return;
        }
        std::string bestScratch;
        std::string scratch;
        std::string_view best = stringArg(argv[0], bestScratch);
        for (int i = 1; i < argc; ++i) {
            std::string_view v = stringArg(argv[i], scratch);
            int c = v.compare(best);
            if (Greatest ? c > 0 : c < 0) {
                bestScratch.assign(v);
                best = bestScratch;
            }
        }
        resultText(ctx, best);
    });
}

} // namespace

void registerComparisonFunctions(Registrar& r)
{
    r.add("ORA_GREATEST", pick<true>);
    r.add("ORA_LEAST", pick<false>);
}

} // namespace engine::fn::detail

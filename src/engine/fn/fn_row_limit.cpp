// ORA_ROW_LIMIT(value, kind [, rows]): the whole number of rows an OFFSET (kind 0), a FETCH count (kind 1) or a
// FETCH percentage of `rows` (kind 2) stands for, as Oracle reads them: fractions truncated (a percentage rounded
// up), negative values as 0, and NULL as no rows at all (an offset beyond every row, a count of none).
#include "engine/fn/fnutil.h"

#include <cmath>

namespace engine::fn::detail {

namespace {

constexpr int64_t kBeyondEveryRow = INT64_C(1) << 60;

void rowLimit(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        const int kind = sqlite3_value_int(argv[1]);
        if (isNull(argv[0])) {
            sqlite3_result_int64(ctx, kind == 0 ? kBeyondEveryRow : 0);
            return;
        }
        const double v = numberArg(argv[0]).toDouble();
        if (!(v > 0)) {
            sqlite3_result_int64(ctx, 0);
            return;
        }
        double n = std::trunc(v);
        if (kind == 2) {
            const double rows = argc > 2 && !isNull(argv[2]) ? sqlite3_value_double(argv[2]) : 0;
            n = std::ceil(rows * v / 100 - 1e-9);
        }
        sqlite3_result_int64(ctx, n >= double(kBeyondEveryRow) ? kBeyondEveryRow : int64_t(n));
    });
}

} // namespace

void registerRowLimit(Registrar& r)
{
    r.add("ORA_ROW_LIMIT", rowLimit);
}

} // namespace engine::fn::detail

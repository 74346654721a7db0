// Numbers of rows written in a query, as Oracle reads them.
// ORA_ROW_LIMIT(value, kind [, rows]): the whole number of rows an OFFSET (kind 0), a FETCH count (kind 1) or a
// FETCH percentage of `rows` (kind 2) stands for: fractions truncated (a percentage rounded up), negative values
// as 0, and NULL as no rows at all (an offset beyond every row, a count of none).
// ORA_ROW_OFFSET(n): LAG's and LEAD's offset, ORA_BUCKETS(n): NTILE's bucket count: the whole part, which must not
// be negative (nor zero for NTILE): ORA-01428 otherwise.
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

template <int64_t Least> void wholeArgument(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        if (isNull(argv[0])) {
            sqlite3_result_null(ctx);
            return;
        }
        const NumberValue v = numberArg(argv[0]);
        const double d = std::trunc(v.toDouble());
        if (d < double(Least)) {
            std::string text;
            appendNumberText(text, v);
            throw OraError(1428, "argument '" + text + "' is out of range");
        }
        sqlite3_result_int64(ctx, d >= double(kBeyondEveryRow) ? kBeyondEveryRow : int64_t(d));
    });
}

} // namespace

void registerRowLimit(Registrar& r)
{
    r.add("ORA_ROW_LIMIT", rowLimit);
    r.add("ORA_ROW_OFFSET", wholeArgument<0>);
    r.add("ORA_BUCKETS", wholeArgument<1>);
}

} // namespace engine::fn::detail

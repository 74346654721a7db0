// REMAINDER, BITAND, BIN_TO_NUM and WIDTH_BUCKET: the functions that work on whole parts of numbers.
// REMAINDER(n2, n1) is n2 - n1 * ROUND(n2 / n1) (MOD uses FLOOR); a zero n1 is ORA-01476.
// BITAND and BIN_TO_NUM take whole numbers; BIN_TO_NUM's digits must be 0 or 1 (ORA-01760).
// WIDTH_BUCKET(x, low, high, n): the bucket of x among n equal buckets from low up to high, 0 below, n + 1 above.
#include "engine/fn/arithmetic.h"
#include "engine/fn/fnutil.h"

#include <cmath>

namespace engine::fn::detail {

namespace {

void remainder(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const NumberValue n2 = numberArg(argv[0]), n1 = numberArg(argv[1]);
        if (n1.isZero())
            throw OraError(1476, "divisor is equal to zero");
        const NumberValue q = roundNumber(divideNumbers(n2, n1), 0);
        resultNumber(ctx, subtractNumbers(n2, multiplyNumbers(n1, q)));
    });
}

void bitAnd(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] { sqlite3_result_int64(ctx, integerArg(argv[0]) & integerArg(argv[1])); });
}

void binToNum(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        int64_t n = 0;
        for (int i = 0; i < argc; ++i) {
            if (isNull(argv[i]))
                throw OraError(1760, "illegal argument for function");
            const NumberValue bit = numberArg(argv[i]);
            if (!bit.isInteger || (bit.integer != 0 && bit.integer != 1))
                throw OraError(1760, "illegal argument for function");
            if (n > (INT64_MAX >> 1))
                throw OraError(1426, "numeric overflow");
            n = n * 2 + bit.integer;
        }
        sqlite3_result_int64(ctx, n);
    });
}

void widthBucket(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        if (isNull(argv[1]) || isNull(argv[2]) || isNull(argv[3]))
            throw OraError(1428, "argument 'NULL' is out of range");
        (void)argc;
        const double x = numberArg(argv[0]).toDouble();
        const double low = numberArg(argv[1]).toDouble(), high = numberArg(argv[2]).toDouble();
        const int64_t buckets = integerArg(argv[3]);
        if (buckets <= 0)
            throw OraError(30494, "The argument [4] of WIDTH_BUCKET function is NULL or invalid.");
        if (low == high)
            throw OraError(30494, "The argument [2] of WIDTH_BUCKET function is NULL or invalid.");
        int64_t bucket;
        if (low < high)
            bucket = x < low ? 0 : x >= high ? buckets + 1 : int64_t(std::floor((x - low) * double(buckets) / (high - low))) + 1;
        else
            bucket = x > low ? 0 : x <= high ? buckets + 1 : int64_t(std::floor((low - x) * double(buckets) / (low - high))) + 1;
        sqlite3_result_int64(ctx, bucket);
    });
}

} // namespace

void registerIntegerParts(Registrar& r)
{
    r.add("ORA_REMAINDER", remainder);
    r.add("ORA_BITAND", bitAnd);
    r.add("ORA_BIN_TO_NUM", binToNum);
    r.add("ORA_WIDTH_BUCKET", widthBucket);
}

} // namespace engine::fn::detail

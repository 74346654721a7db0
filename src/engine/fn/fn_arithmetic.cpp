// The arithmetic operators + - * on numbers and the SUM and AVG aggregates, in Oracle's decimal arithmetic
// (arithmetic.h): SQLite's own operators and aggregates work in binary doubles.
#include "engine/fn/arithmetic.h"
#include "engine/fn/fnutil.h"

namespace engine::fn::detail {

namespace {

template <NumberValue (*Operation)(const NumberValue&, const NumberValue&)>
void arithmetic(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] { resultNumber(ctx, Operation(numberArg(argv[0]), numberArg(argv[1]))); });
}

void totalStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0]))
        return;
    guarded(ctx, [&] {
        auto* total = static_cast<DecimalTotal*>(sqlite3_aggregate_context(ctx, sizeof(DecimalTotal)));
        if (!total)
            throw std::bad_alloc();
        total->add(numberArg(argv[0]));
    });
}

template <bool Average> void totalFinal(sqlite3_context* ctx)
{
    auto* total = static_cast<DecimalTotal*>(sqlite3_aggregate_context(ctx, 0));
    if (!total || total->isEmpty()) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] { resultNumber(ctx, Average ? total->average() : total->sum()); });
}

} // namespace

void registerArithmetic(Registrar& r)
{
    r.add("ORA_ADD", arithmetic<addNumbers>);
    r.add("ORA_SUBTRACT", arithmetic<subtractNumbers>);
    r.add("ORA_MULTIPLY", arithmetic<multiplyNumbers>);
    r.addAggregate("ORA_SUM", totalStep, totalFinal<false>);
    r.addAggregate("ORA_AVG", totalStep, totalFinal<true>);
}

} // namespace engine::fn::detail

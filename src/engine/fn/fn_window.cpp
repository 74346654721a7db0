// Aggregates that also run over an analytic function's window: SUM and AVG in decimal (ORA_WSUM, ORA_WAVG), COUNT,
// SUM and AVG of DISTINCT values, the statistics aggregates (VARIANCE, STDDEV and their _POP and _SAMP forms) and
// FIRST_VALUE, LAST_VALUE and NTH_VALUE with IGNORE NULLS and FROM LAST (ORA_NTH_VALUE).
//
// A window that only grows (the default RANGE UNBOUNDED PRECEDING) adds each row once; a sliding window takes rows
// out in the order they came, and the value is worked out again from the rows still in it.
#include "engine/fn/arithmetic.h"
#include "engine/fn/held_value.h"
#include "engine/fn/window_state.h"

#include <cmath>
#include <deque>
#include <map>

namespace engine::fn::detail {

namespace {

template <bool Average> struct DecimalWindow {
    DecimalTotal total;
    std::deque<NumberValue> values;
    bool stale = false;

    void step(sqlite3_context*, int, sqlite3_value** argv)
    {
        if (isNull(argv[0]))
            return;
        const NumberValue v = numberArg(argv[0]);
        values.push_back(v);
        if (!stale)
            total.add(v);
    }
    void inverse(int, sqlite3_value** argv)
    {
        if (isNull(argv[0]) || values.empty())
            return;
        values.pop_front();
        stale = true;
    }
    void value(sqlite3_context* ctx)
    {
        if (stale) {
            total = DecimalTotal();
            for (const auto& v : values)
                total.add(v);
            stale = false;
        }
        if (total.isEmpty())
            sqlite3_result_null(ctx);
        else
            resultNumber(ctx, Average ? total.average() : total.sum());
    }
    static void empty(sqlite3_context* ctx) { sqlite3_result_null(ctx); }
};

enum class DistinctKind { Count, Sum, Average };

template <DistinctKind Kind> struct DistinctWindow {
    std::map<std::string, std::pair<int64_t, NumberValue>> values;
    HeldValue scratch;

    static std::string keyOf(sqlite3_value* v)
    {
        std::string key;
        HeldValue::of(v).appendKey(key);
        return key;
    }
    void step(sqlite3_context*, int, sqlite3_value** argv)
    {
        if (isNull(argv[0]))
            return;
        auto& slot = values[keyOf(argv[0])];
        if (slot.first++ == 0 && Kind != DistinctKind::Count)
            slot.second = numberArg(argv[0]);
    }
    void inverse(int, sqlite3_value** argv)
    {
        if (isNull(argv[0]))
            return;
        auto it = values.find(keyOf(argv[0]));
        if (it != values.end() && --it->second.first == 0)
            values.erase(it);
    }
    void value(sqlite3_context* ctx) const
    {
        if (Kind == DistinctKind::Count) {
            sqlite3_result_int64(ctx, int64_t(values.size()));
            return;
        }
        if (values.empty()) {
            sqlite3_result_null(ctx);
            return;
        }
        DecimalTotal total;
        for (const auto& [key, v] : values)
            total.add(v.second);
        resultNumber(ctx, Kind == DistinctKind::Sum ? total.sum() : total.average());
    }
    static void empty(sqlite3_context* ctx)
    {
        if (Kind == DistinctKind::Count)
            sqlite3_result_int64(ctx, 0);
        else
            sqlite3_result_null(ctx);
    }
};

// VARIANCE and STDDEV are the sample forms that give 0 for a single value; VAR_SAMP and STDDEV_SAMP give NULL then.
enum class Spread { Variance, VarSamp, VarPop, Stddev, StddevSamp, StddevPop };

template <Spread Kind> struct SpreadWindow {
    std::deque<double> values;

    void step(sqlite3_context*, int, sqlite3_value** argv)
    {
        if (!isNull(argv[0]))
            values.push_back(numberArg(argv[0]).toDouble());
    }
    void inverse(int, sqlite3_value** argv)
    {
        if (!isNull(argv[0]) && !values.empty())
            values.pop_front();
    }
    void value(sqlite3_context* ctx) const
    {
        const size_t n = values.size();
        const bool population = Kind == Spread::VarPop || Kind == Spread::StddevPop;
        const bool sampleNull = Kind == Spread::VarSamp || Kind == Spread::StddevSamp;
        if (n == 0 || (n == 1 && sampleNull)) {
            sqlite3_result_null(ctx);
            return;
        }
        double mean = 0;
        for (double v : values)
            mean += v;
        mean /= double(n);
        double squares = 0;
        for (double v : values)
            squares += (v - mean) * (v - mean);
        double variance = n == 1 ? 0 : squares / double(population ? n : n - 1);
        if (Kind == Spread::Stddev || Kind == Spread::StddevSamp || Kind == Spread::StddevPop)
            variance = std::sqrt(variance);
        resultNumber(ctx, checkedNumber(variance));
    }
    static void empty(sqlite3_context* ctx) { sqlite3_result_null(ctx); }
};

// ORA_NTH_VALUE(x, n, fromLast, ignoreNulls): the n-th value of the window from its first or its last row,
// counting only values that are not NULL when ignoreNulls is 1.
struct NthValueWindow {
    std::deque<HeldValue> values;
    int64_t n = 1;
    bool fromLast = false;
    bool ignoreNulls = false;

    void step(sqlite3_context*, int argc, sqlite3_value** argv)
    {
        if (values.empty() && argc >= 4) {
            if (isNull(argv[1]))
                throw OraError(1428, "argument 'NULL' is out of range");
            n = integerArg(argv[1]);
            if (n <= 0)
                throw OraError(1428, "argument '" + std::to_string(n) + "' is out of range");
            fromLast = sqlite3_value_int(argv[2]) != 0;
            ignoreNulls = sqlite3_value_int(argv[3]) != 0;
        }
        values.push_back(HeldValue::of(argv[0]));
    }
    void inverse(int, sqlite3_value**)
    {
        if (!values.empty())
            values.pop_front();
    }
    void value(sqlite3_context* ctx) const
    {
        int64_t left = n;
        auto take = [&](const HeldValue& v) {
            if (ignoreNulls && v.isNull())
                return false;
            if (--left > 0)
                return false;
            v.result(ctx);
            return true;
        };
        if (fromLast) {
            for (auto it = values.rbegin(); it != values.rend(); ++it)
                if (take(*it))
                    return;
        } else {
            for (const auto& v : values)
                if (take(v))
                    return;
        }
        sqlite3_result_null(ctx);
    }
    static void empty(sqlite3_context* ctx) { sqlite3_result_null(ctx); }
};

} // namespace

void registerWindowAggregates(Registrar& r)
{
    WindowAggregate<DecimalWindow<false>>::add(r, "ORA_WSUM");
    WindowAggregate<DecimalWindow<true>>::add(r, "ORA_WAVG");
    WindowAggregate<DistinctWindow<DistinctKind::Count>>::add(r, "ORA_COUNT_DISTINCT");
    WindowAggregate<DistinctWindow<DistinctKind::Sum>>::add(r, "ORA_SUM_DISTINCT");
    WindowAggregate<DistinctWindow<DistinctKind::Average>>::add(r, "ORA_AVG_DISTINCT");
    WindowAggregate<SpreadWindow<Spread::Variance>>::add(r, "ORA_VARIANCE");
    WindowAggregate<SpreadWindow<Spread::VarSamp>>::add(r, "ORA_VAR_SAMP");
    WindowAggregate<SpreadWindow<Spread::VarPop>>::add(r, "ORA_VAR_POP");
    WindowAggregate<SpreadWindow<Spread::Stddev>>::add(r, "ORA_STDDEV");
    WindowAggregate<SpreadWindow<Spread::StddevSamp>>::add(r, "ORA_STDDEV_SAMP");
    WindowAggregate<SpreadWindow<Spread::StddevPop>>::add(r, "ORA_STDDEV_POP");
    WindowAggregate<NthValueWindow>::add(r, "ORA_NTH_VALUE");
}

} // namespace engine::fn::detail

// The aggregates that order their rows: LISTAGG ... WITHIN GROUP, PERCENTILE_CONT and PERCENTILE_DISC (MEDIAN is
// PERCENTILE_CONT(0.5)) and the aggregates with KEEP (DENSE_RANK FIRST | LAST ORDER BY ...). They keep their rows
// and order them when asked for the value, so they also run over a window (OVER (PARTITION BY ...)).
//
// The order comes as a text of two letters per key: A or D (ascending, descending) and F or L (NULLs first, last).
//   ORA_LISTAGG(value, delimiter, options, indicator, keys...): options "D" or "-" (DISTINCT), then E (ON OVERFLOW
//       ERROR), T (TRUNCATE WITH COUNT) or t (TRUNCATE WITHOUT COUNT), then the keys' letters.
//   ORA_PERCENTILE(kind, fraction, order, isDate, value): kind C (continuous) or D (discrete); order "A" or "D".
//   ORA_KEEP(options, value, keys...): options: the aggregate (N MIN, X MAX, S SUM, A AVG, C COUNT, R COUNT(*),
//       V VARIANCE, D STDDEV), F or L (DENSE_RANK FIRST, LAST), then the keys' letters.
#include "engine/fn/arithmetic.h"
#include "engine/fn/decimal.h"
#include "engine/fn/datetime.h"
#include "engine/fn/held_value.h"
#include "engine/fn/window_state.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

namespace engine::fn::detail {

namespace {

struct KeyOrder {
    bool descending = false;
    bool nullsFirst = false;
};

std::vector<KeyOrder> parseOrder(std::string_view letters)
{
    std::vector<KeyOrder> out;
    for (size_t i = 0; i + 1 < letters.size(); i += 2)
        out.push_back({ letters[i] == 'D', letters[i + 1] == 'F' });
    return out;
}

struct Row {
    HeldValue value;
    std::vector<HeldValue> keys;
};

int compareKeys(const std::vector<HeldValue>& a, const std::vector<HeldValue>& b, const std::vector<KeyOrder>& order)
{
    for (size_t i = 0; i < order.size() && i < a.size() && i < b.size(); ++i) {
        const bool an = a[i].isNull(), bn = b[i].isNull();
        int c = 0;
        if (an || bn)
            c = an == bn ? 0 : ((an ? -1 : 1) * (order[i].nullsFirst ? 1 : -1));
        else
            c = compareHeld(a[i], b[i]) * (order[i].descending ? -1 : 1);
        if (c != 0)
            return c;
    }
    return 0;
}

Row rowOf(sqlite3_value* value, int keyCount, sqlite3_value** keys)
{
    Row r;
    r.value = HeldValue::of(value);
    for (int i = 0; i < keyCount; ++i)
        r.keys.push_back(HeldValue::of(keys[i]));
    return r;
}

// The rows in their order; equal keys keep the order the rows came in.
std::vector<const Row*> ordered(const std::deque<Row>& rows, const std::vector<KeyOrder>& order)
{
    std::vector<const Row*> out;
    for (const auto& r : rows)
        out.push_back(&r);
    std::stable_sort(out.begin(), out.end(),
        [&](const Row* a, const Row* b) { return compareKeys(a->keys, b->keys, order) < 0; });
    return out;
}

constexpr size_t kMaxVarchar2Bytes = 4000;

struct ListaggState {
    std::deque<Row> rows;
    bool started = false;
    std::string delimiter;
    std::string indicator = "...";
    bool distinct = false;
    char overflow = 'E';
    std::vector<KeyOrder> order;

    void step(sqlite3_context*, int argc, sqlite3_value** argv)
    {
        if (!started) {
            started = true;
            std::string scratch;
            if (!isNull(argv[1]))
                delimiter = std::string(stringArg(argv[1], scratch));
            const std::string_view options = textArg(argv[2]);
            distinct = !options.empty() && options[0] == 'D';
            overflow = options.size() > 1 ? options[1] : 'E';
            order = parseOrder(options.size() > 2 ? options.substr(2) : std::string_view());
            if (!isNull(argv[3]))
                indicator = std::string(stringArg(argv[3], scratch));
        }
        if (!isNull(argv[0]))
            rows.push_back(rowOf(argv[0], argc - 4, argv + 4));
    }
    void inverse(int, sqlite3_value** argv)
    {
        if (!isNull(argv[0]) && !rows.empty())
            rows.pop_front();
    }
    void value(sqlite3_context* ctx) const
    {
        std::vector<const Row*> list = ordered(rows, order);
        if (distinct) {
            std::vector<const Row*> unique;
            for (const Row* r : list) {
                bool seen = false;
                for (const Row* u : unique)
                    seen = seen || (u->value.type == r->value.type && compareHeld(u->value, r->value) == 0);
                if (!seen)
                    unique.push_back(r);
            }
            list = std::move(unique);
        }
        std::string out;
        std::string scratch;
        for (size_t i = 0; i < list.size(); ++i) {
            const std::string& text = list[i]->value.bytes.empty() && list[i]->value.isNumber()
                ? (scratch = numberText(list[i]->value.type == SQLITE_INTEGER
                          ? NumberValue::ofInteger(list[i]->value.integer)
                          : NumberValue::ofReal(list[i]->value.real)))
                : list[i]->value.bytes;
            const size_t grown = out.size() + (i ? delimiter.size() : 0) + text.size();
            if (overflow != 'E') {
                // What still must fit after the last whole value: the delimiter, the indicator and the count.
                const size_t rest = list.size() - i - 1;
                const size_t tail = rest == 0
                    ? 0
                    : delimiter.size() + indicator.size()
                        + (overflow == 'T' ? std::to_string(list.size()).size() + 2 : 0);
                if (grown + tail > kMaxVarchar2Bytes) {
                    const size_t dropped = list.size() - i;
                    if (i)
                        out += delimiter;
                    out += indicator;
                    if (overflow == 'T')
                        out += "(" + std::to_string(dropped) + ")";
                    resultText(ctx, out);
                    return;
                }
            } else if (grown > kMaxVarchar2Bytes) {
                throw OraError(1489, "result of string concatenation is too long");
            }
            if (i)
                out += delimiter;
            out += text;
        }
        resultText(ctx, out);
    }
    static void empty(sqlite3_context* ctx) { sqlite3_result_null(ctx); }
};

struct PercentileState {
    std::deque<HeldValue> values;
    bool started = false;
    bool continuous = true;
    bool descending = false;
    bool isDate = false;
    double fraction = 0.5;

    void step(sqlite3_context*, int, sqlite3_value** argv)
    {
        if (!started) {
            started = true;
            continuous = textArg(argv[0]) == "C";
            if (isNull(argv[1]))
                throw OraError(30493, "The percentile value should be a number between 0 and 1.");
            fraction = numberArg(argv[1]).toDouble();
            if (!(fraction >= 0 && fraction <= 1))
                throw OraError(30493, "The percentile value should be a number between 0 and 1.");
            descending = textArg(argv[2]) == "D";
            isDate = sqlite3_value_int(argv[3]) != 0;
        }
        if (!isNull(argv[4]))
            values.push_back(HeldValue::of(argv[4]));
    }
    void inverse(int, sqlite3_value** argv)
    {
        if (!isNull(argv[4]) && !values.empty())
            values.pop_front();
    }
    NumberValue number(const HeldValue& v) const
    {
        return v.type == SQLITE_INTEGER ? NumberValue::ofInteger(v.integer)
            : v.type == SQLITE_FLOAT    ? NumberValue::ofReal(v.real)
                                        : parseNumberText(v.bytes);
    }
    void value(sqlite3_context* ctx) const
    {
        if (values.empty()) {
            sqlite3_result_null(ctx);
            return;
        }
        std::vector<const HeldValue*> sorted;
        for (const auto& v : values)
            sorted.push_back(&v);
        std::stable_sort(sorted.begin(), sorted.end(), [&](const HeldValue* a, const HeldValue* b) {
            // Numbers by value, those kept as text (more digits than a double) too.
            const int c = isDate ? compareHeld(*a, *b) : compareNumbers(number(*a), number(*b));
            return c * (descending ? -1 : 1) < 0;
        });
        const size_t n = sorted.size();
        if (!continuous) {
            // The first value whose cumulative distribution reaches the fraction.
            size_t k = static_cast<size_t>(std::ceil(fraction * double(n) - 1e-12));
            k = k == 0 ? 0 : k - 1;
            sorted[std::min(k, n - 1)]->result(ctx);
            return;
        }
        const double row = fraction * double(n - 1); // 0-based RN - 1
        const size_t low = static_cast<size_t>(std::floor(row));
        const size_t high = static_cast<size_t>(std::ceil(row));
        if (low == high) {
            sorted[low]->result(ctx);
            return;
        }
        const double weight = row - double(low);
        if (isDate) {
            DateTime a, b;
            if (!parseStoredDate(sorted[low]->bytes, a) || !parseStoredDate(sorted[high]->bytes, b))
                throw OraError(932, "inconsistent datatypes: expected DATE got NUMBER");
            const int64_t x = toSecondNumber(a), y = toSecondNumber(b);
            resultDate(ctx, fromSecondNumber(x + int64_t(std::llround(double(y - x) * weight))));
            return;
        }
        // (1 - w) * low + w * high, in decimal so that the middle of 2 and 3 is 2.5 exactly.
        const NumberValue a = number(*sorted[low]), b = number(*sorted[high]);
        const NumberValue w = NumberValue::ofReal(weight);
        resultNumber(ctx, addNumbers(a, multiplyNumbers(subtractNumbers(b, a), w)));
    }
    static void empty(sqlite3_context* ctx) { sqlite3_result_null(ctx); }
};

struct KeepState {
    std::deque<Row> rows;
    bool started = false;
    char aggregate = 'X';
    bool last = false;
    std::vector<KeyOrder> order;

    void step(sqlite3_context*, int argc, sqlite3_value** argv)
    {
        if (!started) {
            started = true;
            const std::string_view options = textArg(argv[0]);
            aggregate = options.empty() ? 'X' : options[0];
            last = options.size() > 1 && options[1] == 'L';
            order = parseOrder(options.size() > 2 ? options.substr(2) : std::string_view());
        }
        rows.push_back(rowOf(argv[1], argc - 2, argv + 2));
    }
    void inverse(int, sqlite3_value**)
    {
        if (!rows.empty())
            rows.pop_front();
    }
    void value(sqlite3_context* ctx) const
    {
        const Row* best = nullptr;
        for (const auto& r : rows) {
            const int c = best ? compareKeys(r.keys, best->keys, order) : 0;
            if (!best || (last ? c > 0 : c < 0))
                best = &r;
        }
        if (!best) {
            empty(ctx);
            return;
        }
        const HeldValue* chosen = nullptr;
        DecimalTotal total;
        std::vector<double> spread;
        int64_t rowsCounted = 0;
        for (const auto& r : rows) {
            if (compareKeys(r.keys, best->keys, order) != 0)
                continue;
            ++rowsCounted;
            if (r.value.isNull())
                continue;
            switch (aggregate) {
            case 'N':
            case 'X':
                if (!chosen || compareHeld(r.value, *chosen) * (aggregate == 'N' ? -1 : 1) > 0)
                    chosen = &r.value;
                break;
            case 'V':
            case 'D':
                spread.push_back(r.value.toDouble());
                [[fallthrough]];
            default:
                total.add(r.value.type == SQLITE_INTEGER ? NumberValue::ofInteger(r.value.integer)
                        : r.value.type == SQLITE_FLOAT   ? NumberValue::ofReal(r.value.real)
                                                         : parseNumberText(r.value.bytes));
            }
        }
        switch (aggregate) {
        case 'N':
        case 'X':
            if (chosen)
                chosen->result(ctx);
            else
                sqlite3_result_null(ctx);
            return;
        case 'C':
            sqlite3_result_int64(ctx, total.rowCount());
            return;
        case 'R':
            sqlite3_result_int64(ctx, rowsCounted);
            return;
        case 'S':
        case 'A':
            if (total.isEmpty())
                sqlite3_result_null(ctx);
            else
                resultNumber(ctx, aggregate == 'S' ? total.sum() : total.average());
            return;
        default: {
            if (spread.empty()) {
                sqlite3_result_null(ctx);
                return;
            }
            double mean = 0;
            for (double v : spread)
                mean += v;
            mean /= double(spread.size());
            double squares = 0;
            for (double v : spread)
                squares += (v - mean) * (v - mean);
            double variance = spread.size() == 1 ? 0 : squares / double(spread.size() - 1);
            resultNumber(ctx, checkedNumber(aggregate == 'D' ? std::sqrt(variance) : variance));
        }
        }
    }
    static void empty(sqlite3_context* ctx) { sqlite3_result_null(ctx); }
};

} // namespace

void registerOrderedAggregates(Registrar& r)
{
    WindowAggregate<ListaggState>::add(r, "ORA_LISTAGG");
    WindowAggregate<PercentileState>::add(r, "ORA_PERCENTILE");
    WindowAggregate<KeepState>::add(r, "ORA_KEEP");
}

} // namespace engine::fn::detail

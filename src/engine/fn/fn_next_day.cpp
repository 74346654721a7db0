// NEXT_DAY(date, day): the first date after `date` that falls on the named day of the week, at the same time of
// day. The day is named in English (the engine's date language), in full or by its three-letter abbreviation;
// what follows a valid abbreviation is ignored, as Oracle does. ORA-01846 for anything else.
#include "engine/fn/datetime.h"
#include "engine/fn/fnutil.h"

namespace engine::fn::detail {

namespace {

void nextDay(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        static const char* const days[7] = { "SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT" };
        const DateTime d = dateArg(ctx, argv[0]);
        std::string scratch;
        std::string_view name = stringArg(argv[1], scratch);
        while (!name.empty() && name.front() == ' ')
            name.remove_prefix(1);
        int wanted = -1;
        for (int i = 0; i < 7 && name.size() >= 3; ++i)
            if (equalsIgnoreCase(name.substr(0, 3), days[i]))
                wanted = i;
        if (wanted < 0)
            throw OraError(1846, "not a valid day of the week");
        int step = (wanted - dayOfWeek(d) + 7) % 7;
        if (step == 0)
            step = 7;
        DateTime next = fromSecondNumber(toSecondNumber(d) + int64_t(step) * 86400);
        checkStoredYear(next.year);
        resultDate(ctx, next);
    });
}

} // namespace

void registerNextDay(Registrar& r)
{
    r.add("ORA_NEXT_DAY", nextDay);
}

} // namespace engine::fn::detail

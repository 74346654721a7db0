// TO_CHAR of dates and numbers, TO_DATE and TO_NUMBER, with and without a format model; the one-argument forms are
// also the implicit conversions the binder inserts (dates through the session's NLS_DATE_FORMAT).
#include "engine/fn/fnutil.h"
#include "engine/fn/numberformat.h"

namespace engine::fn::detail {

namespace {

// Results are built in one buffer per thread rather than a fresh string per row.
std::string& scratchBuffer()
{
    thread_local std::string buffer;
    buffer.clear();
    return buffer;
}

void toCharDate(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (isNull(argv[0]) || (argc > 1 && isNull(argv[1]))) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        DateTime d = dateArg(ctx, argv[0]);
        std::string& out = scratchBuffer();
        if (argc == 1) {
            state(ctx)->nlsDateFormat().format(d, out);
            resultText(ctx, out);
            return;
        }
        CachedModel<DateFormat> model(ctx, 1, textArg(argv[1]));
        model->format(d, out);
        resultText(ctx, out);
        model.keep();
    });
}

void toCharNumber(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (isNull(argv[0]) || (argc > 1 && isNull(argv[1]))) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        NumberValue n = numberArg(argv[0]);
        std::string& out = scratchBuffer();
        if (argc == 1) {
            appendNumberText(out, n);
            resultText(ctx, out);
            return;
        }
        CachedModel<NumberFormat> model(ctx, 1, textArg(argv[1]));
        model->format(n, out);
        resultText(ctx, out);
        model.keep();
    });
}

void toDate(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (isNull(argv[0]) || (argc > 1 && isNull(argv[1]))) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch;
        std::string_view text = stringArg(argv[0], scratch);
        State* s = state(ctx);
        if (argc == 1) {
            resultDate(ctx, s->nlsDateFormat().parseDate(text, s->now()));
            return;
        }
        CachedModel<DateFormat> model(ctx, 1, textArg(argv[1]));
        resultDate(ctx, model->parseDate(text, s->now()));
        model.keep();
    });
}

void toNumber(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (isNull(argv[0]) || (argc > 1 && isNull(argv[1]))) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        int type = sqlite3_value_type(argv[0]);
        if (argc == 1) {
            if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
                sqlite3_result_value(ctx, argv[0]);
            else
                resultNumber(ctx, numberArg(argv[0]));
            return;
        }
        std::string scratch;
        std::string_view text = stringArg(argv[0], scratch);
        CachedModel<NumberFormat> model(ctx, 1, textArg(argv[1]));
        resultNumber(ctx, model->parseNumber(text));
        model.keep();
    });
}

} // namespace

void registerConversions(Registrar& r)
{
    r.add("ORA_TO_CHAR_DATE", toCharDate);
    r.add("ORA_TO_CHAR_NUMBER", toCharNumber);
    r.add("ORA_TO_DATE", toDate);
    r.add("ORA_TO_NUMBER", toNumber);
}

} // namespace engine::fn::detail

#include "engine/fn/fnutil.h"

#include "engine/fn/registry.h"

#include <cmath>
#include <ctime>

namespace engine::fn::detail {

const DateFormat& State::nlsDateFormat()
{
    if (!nlsFormat || nlsGeneration != context->nlsGeneration || nlsModel != context->nlsDateFormat) {
        auto parsed = std::make_unique<DateFormat>(DateFormat::parse(context->nlsDateFormat));
        nlsFormat = std::move(parsed);
        nlsModel = context->nlsDateFormat;
        nlsGeneration = context->nlsGeneration;
    }
    return *nlsFormat;
}

DateTime State::now() const
{
    DateTime d;
    if (parseStoredDate(context->statementTime, d))
        return d;
    std::time_t t = std::time(nullptr);
    std::tm local {};
    localtime_r(&t, &local);
    d.year = local.tm_year + 1900;
    d.month = local.tm_mon + 1;
    d.day = local.tm_mday;
    d.hour = local.tm_hour;
    d.minute = local.tm_min;
    d.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return d;
}

State* state(sqlite3_context* ctx)
{
    return static_cast<std::shared_ptr<State>*>(sqlite3_user_data(ctx))->get();
}

namespace {

// A double as the engine stores it: the double of its 15 significant digits, or the integer it is.
void resultCanonical(sqlite3_context* ctx, double x)
{
    const NumberValue n = canonicalNumber(x);
    if (n.isInteger)
        sqlite3_result_int64(ctx, n.integer);
    else
        sqlite3_result_double(ctx, n.real);
}

} // namespace

NumberValue numberArg(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return NumberValue::ofInteger(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return NumberValue::ofReal(sqlite3_value_double(v));
    case SQLITE_TEXT:
        return parseNumberText(textArg(v));
    default:
        throw OraError(1722, "invalid number");
    }
}

int64_t integerArg(sqlite3_value* v)
{
    if (sqlite3_value_type(v) == SQLITE_INTEGER)
        return sqlite3_value_int64(v);
    NumberValue n = numberArg(v);
    if (n.isInteger)
        return n.integer;
    double t = std::trunc(n.real);
    if (t > 9.2e18)
        return INT64_MAX;
    if (t < -9.2e18)
        return INT64_MIN;
    return int64_t(t);
}

DateTime dateArg(sqlite3_context* ctx, sqlite3_value* v)
{
    int type = sqlite3_value_type(v);
    if (type != SQLITE_TEXT)
        throw OraError(932,
            type == SQLITE_BLOB ? "inconsistent datatypes: expected DATE got BINARY"
                                : "inconsistent datatypes: expected DATE got NUMBER");
    std::string_view text = textArg(v);
    DateTime d;
    if (parseStoredDate(text, d))
        return d;
    State* s = state(ctx);
    return s->nlsDateFormat().parseDate(text, s->now());
}

std::string_view stringArg(sqlite3_value* v, std::string& scratch)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        scratch.clear();
        appendNumberText(scratch, numberArg(v));
        return scratch;
    default:
        return textArg(v);
    }
}

void resultNumber(sqlite3_context* ctx, const NumberValue& n)
{
    if (n.isInteger)
        sqlite3_result_int64(ctx, n.integer);
    else if (n.isExactText())
        sqlite3_result_text(ctx, n.exact.data(), int(n.exact.size()), SQLITE_TRANSIENT);
    else if (std::isnan(n.real))
        sqlite3_result_null(ctx);
    else if (!std::isfinite(n.real))
        sqlite3_result_double(ctx, n.real);
    else
        resultCanonical(ctx, n.real);
}

void resultText(sqlite3_context* ctx, std::string_view text)
{
    if (text.empty())
        sqlite3_result_null(ctx);
    else
        sqlite3_result_text(ctx, text.data(), int(text.size()), SQLITE_TRANSIENT);
}

void resultDate(sqlite3_context* ctx, const DateTime& d)
{
    char buffer[19];
    formatStoredDate(d, buffer);
    sqlite3_result_text(ctx, buffer, 19, SQLITE_TRANSIENT);
}

void raise(sqlite3_context* ctx, const OraError& e)
{
    sqlite3_result_error(ctx, e.message().c_str(), int(e.message().size()));
}

size_t charCount(std::string_view s)
{
    size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    return n;
}

size_t charLength(std::string_view s, size_t i)
{
    size_t k = i + 1;
    while (k < s.size() && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80)
        ++k;
    return k - i;
}

size_t byteOffset(std::string_view s, size_t chars)
{
    size_t i = 0;
    while (chars > 0 && i < s.size()) {
        i += charLength(s, i);
        --chars;
    }
    return i;
}

void Registrar::add(std::string_view name, ScalarFunction function)
{
    addFunction(name, function, nullptr, nullptr);
}

void Registrar::addAggregate(std::string_view name, ScalarFunction step, FinalFunction final)
{
    addFunction(name, nullptr, step, final);
}

void Registrar::addWindow(
    std::string_view name, ScalarFunction step, FinalFunction final, FinalFunction value, ScalarFunction inverse)
{
    const FunctionInfo* info = findFunction(name);
    if (!info) {
        rc = SQLITE_ERROR;
        return;
    }
    const int flags = SQLITE_UTF8 | (info->deterministic ? SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS : 0);
    const std::string zName(name);
    auto registerCount = [&](int nArg) {
        auto holder = std::make_unique<std::shared_ptr<State>>(sharedState);
        const int result = sqlite3_create_window_function(db, zName.c_str(), nArg, flags, holder.get(), step, final,
            value, inverse, [](void* p) { delete static_cast<std::shared_ptr<State>*>(p); });
        holder.release();
        if (result != SQLITE_OK && rc == SQLITE_OK)
            rc = result;
    };
    if (info->maxArgs < 0)
        registerCount(-1);
    else
        for (int n = info->minArgs; n <= info->maxArgs; ++n)
            registerCount(n);
}

void Registrar::addFunction(std::string_view name, ScalarFunction function, ScalarFunction step, FinalFunction final)
{
    const FunctionInfo* info = findFunction(name);
    if (!info) {
        rc = SQLITE_ERROR;
        return;
    }
    int flags = SQLITE_UTF8 | (info->deterministic ? SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS : 0);
    std::string zName(name);
    auto registerCount = [&](int nArg) {
        auto holder = std::make_unique<std::shared_ptr<State>>(sharedState);
        int result = sqlite3_create_function_v2(db, zName.c_str(), nArg, flags, holder.get(), function, step, final,
            [](void* p) { delete static_cast<std::shared_ptr<State>*>(p); });
        // SQLite calls the destructor itself when registration fails.
        holder.release();
        if (result != SQLITE_OK && rc == SQLITE_OK)
            rc = result;
    };
    if (info->maxArgs < 0)
        registerCount(-1);
    else
        for (int n = info->minArgs; n <= info->maxArgs; ++n)
            registerCount(n);
}

} // namespace engine::fn::detail

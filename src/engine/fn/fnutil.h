// What every ORA_... function shares: reading SQLite arguments as Oracle values (with Oracle's implicit conversions),
// setting results ('' becomes NULL), reporting OraError as the SQLite error, and caching a parsed format model on
// the statement so it is parsed once, not once per row.
#pragma once

#include "engine/fn/context.h"
#include "engine/fn/dateformat.h"
#include "engine/fn/number.h"
#include "engine/fn/oraerror.h"

#include <sqlite3.h>

#include <memory>
#include <new>
#include <string>
#include <string_view>

namespace engine::fn::detail {

// Per connection: the session's context and the parsed NLS_DATE_FORMAT.
struct State {
    FunctionContext* context = nullptr;
    uint64_t nlsGeneration = 0;
    std::string nlsModel;
    std::unique_ptr<DateFormat> nlsFormat;

    const DateFormat& nlsDateFormat();
    // SYSDATE: the statement's start time from the context, or the clock when the session has not set one.
    DateTime now() const;
};

State* state(sqlite3_context* ctx);

inline bool isNull(sqlite3_value* v)
{
    return sqlite3_value_type(v) == SQLITE_NULL;
}

inline bool anyNull(int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i)
        if (isNull(argv[i]))
            return true;
    return false;
}

inline std::string_view textArg(sqlite3_value* v)
{
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return text ? std::string_view(text, size_t(sqlite3_value_bytes(v))) : std::string_view();
}

// A NUMBER argument; text converts by Oracle's implicit rule (ORA-01722 when it is not a number).
NumberValue numberArg(sqlite3_value* v);
// An integer argument as Oracle takes one: a number truncated toward zero.
int64_t integerArg(sqlite3_value* v);
// A DATE argument: the stored text, or other text converted with the session's NLS_DATE_FORMAT.
DateTime dateArg(sqlite3_context* ctx, sqlite3_value* v);
// A VARCHAR2 argument: text as it is, a number as its default text (into scratch).
std::string_view stringArg(sqlite3_value* v, std::string& scratch);

void resultNumber(sqlite3_context* ctx, const NumberValue& n);
// Oracle has no empty string: '' is returned as NULL.
void resultText(sqlite3_context* ctx, std::string_view text);
void resultDate(sqlite3_context* ctx, const DateTime& d);
void raise(sqlite3_context* ctx, const OraError& e);

// Runs body and turns an OraError into the statement's error.
template <class Body> void guarded(sqlite3_context* ctx, Body&& body)
{
    try {
        body();
    } catch (const OraError& e) {
        raise(ctx, e);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(ctx);
    }
}

// A format model argument parsed once per statement: the parsed model lives on SQLite's auxiliary data of the
// argument, which SQLite keeps while the argument is the same constant. Call keep() after the result is set.
template <class Model> class CachedModel {
public:
    CachedModel(sqlite3_context* ctx, int index, std::string_view text)
        : ctx(ctx)
        , index(index)
    {
        cached = static_cast<Model*>(sqlite3_get_auxdata(ctx, index));
        if (!cached) {
            fresh = std::make_unique<Model>(Model::parse(text));
            cached = fresh.get();
        }
    }
    const Model& operator*() const { return *cached; }
    const Model* operator->() const { return cached; }
    // SQLite may free the model at once, so nothing may use it after this.
    void keep()
    {
        if (fresh)
            sqlite3_set_auxdata(ctx, index, fresh.release(), [](void* p) { delete static_cast<Model*>(p); });
        cached = nullptr;
    }

private:
    sqlite3_context* ctx;
    int index;
    Model* cached = nullptr;
    std::unique_ptr<Model> fresh;
};

// Compares a text with an upper-case ASCII word, ignoring the text's case (keywords, parameter names).
inline bool equalsIgnoreCase(std::string_view text, std::string_view upperWord)
{
    if (text.size() != upperWord.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i] >= 'a' && text[i] <= 'z' ? char(text[i] - 32) : text[i];
        if (c != upperWord[i])
            return false;
    }
    return true;
}

// UTF-8 helpers: Oracle counts characters, not bytes.
size_t charCount(std::string_view s);
// Byte offset of the character with index chars (the size when beyond the end).
size_t byteOffset(std::string_view s, size_t chars);
// Length in bytes of the character starting at s[i].
size_t charLength(std::string_view s, size_t i);

// Registration of one function by its name in the function table (registry.cpp): every argument count the table
// allows, with the table's determinism.
using ScalarFunction = void (*)(sqlite3_context*, int, sqlite3_value**);
using FinalFunction = void (*)(sqlite3_context*);
class Registrar {
public:
    Registrar(sqlite3* db, std::shared_ptr<State> state)
        : db(db)
        , sharedState(std::move(state))
    {
    }
    void add(std::string_view name, ScalarFunction function);
    void addAggregate(std::string_view name, ScalarFunction step, FinalFunction final);
    // An aggregate SQLite may also run over a window (OVER): xValue gives the current window's value, xInverse
    // takes a row out of it.
    void addWindow(
        std::string_view name, ScalarFunction step, FinalFunction final, FinalFunction value, ScalarFunction inverse);
    int status() const { return rc; }

private:
    void addFunction(std::string_view name, ScalarFunction function, ScalarFunction step, FinalFunction final);

    sqlite3* db;
    std::shared_ptr<State> sharedState;
    int rc = SQLITE_OK;
};

// One per family file.
void registerConversions(Registrar& r);
void registerTimestampFunctions(Registrar& r);
void registerTimeZoneFunctions(Registrar& r);
void registerDateFunctions(Registrar& r);
void registerNumericFunctions(Registrar& r);
void registerSubstringFunctions(Registrar& r);
void registerCaseFunctions(Registrar& r);
void registerPadTrimFunctions(Registrar& r);
void registerReplaceFunctions(Registrar& r);
void registerCharacterCodeFunctions(Registrar& r);
void registerComparisonFunctions(Registrar& r);
void registerNullFunctions(Registrar& r);
void registerEnvironmentFunctions(Registrar& r);
void registerLike(Registrar& r);
void registerArithmetic(Registrar& r);
void registerRecursion(Registrar& r);
void registerRowLimit(Registrar& r);
void registerWindowAggregates(Registrar& r);
void registerOrderedAggregates(Registrar& r);
void registerRegexpFunctions(Registrar& r);
void registerTrigonometry(Registrar& r);
void registerIntegerParts(Registrar& r);
void registerRawFunctions(Registrar& r);
void registerUnicodeFunctions(Registrar& r);
void registerSoundex(Registrar& r);
void registerNextDay(Registrar& r);
void registerByteFunctions(Registrar& r);
void registerNumberOrder(Registrar& r);

} // namespace engine::fn::detail

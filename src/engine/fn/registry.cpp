#include "engine/fn/registry.h"

#include "engine/fn/fnutil.h"

namespace engine::fn {

namespace {

constexpr FnType T = FnType::Text;
constexpr FnType N = FnType::Number;
constexpr FnType D = FnType::Date;
constexpr FnType A = FnType::Any;

// The binder reads this table: which SQLite function implements an Oracle function for given argument types.
// Argument types are what the function expects; the binder converts the arguments it has to them by Oracle's
// implicit conversion rules (ORA_TO_NUMBER, ORA_TO_DATE, ORA_TO_CHAR_*). One-argument TO_CHAR_DATE, TO_DATE and
// TO_NUMBER are those implicit conversions.
constexpr FunctionInfo table[] = {
    // name, Oracle name, min, max, argument types, result, deterministic
    { "ORA_TO_CHAR_DATE", "TO_CHAR", 1, 2, { D, T }, T, false },
    { "ORA_TO_CHAR_NUMBER", "TO_CHAR", 1, 2, { N, T }, T, true },
    { "ORA_TO_DATE", "TO_DATE", 1, 2, { T, T }, D, false },
    { "ORA_TO_NUMBER", "TO_NUMBER", 1, 2, { T, T }, N, true },
    // date + number, date - number (negated days), date - date
    { "ORA_DATE_ADD", "+", 2, 2, { D, N }, D, true },
    { "ORA_DATE_DIFF", "-", 2, 2, { D, D }, N, true },
    { "ORA_SYSDATE", "SYSDATE", 0, 0, {}, D, false },
    { "ORA_ADD_MONTHS", "ADD_MONTHS", 2, 2, { D, N }, D, true },
    { "ORA_MONTHS_BETWEEN", "MONTHS_BETWEEN", 2, 2, { D, D }, N, true },
    { "ORA_LAST_DAY", "LAST_DAY", 1, 1, { D }, D, true },
    { "ORA_TRUNC_DATE", "TRUNC", 1, 2, { D, T }, D, true },
    { "ORA_ROUND_DATE", "ROUND", 1, 2, { D, T }, D, true },
    { "ORA_TRUNC_NUMBER", "TRUNC", 1, 2, { N, N }, N, true },
    { "ORA_ROUND_NUMBER", "ROUND", 1, 2, { N, N }, N, true },
    { "ORA_SUBSTR", "SUBSTR", 2, 3, { T, N, N }, T, true },
    { "ORA_INSTR", "INSTR", 2, 4, { T, T, N, N }, N, true },
    { "ORA_LENGTH", "LENGTH", 1, 1, { T }, N, true },
    { "ORA_UPPER", "UPPER", 1, 1, { T }, T, true },
    { "ORA_LOWER", "LOWER", 1, 1, { T }, T, true },
    { "ORA_INITCAP", "INITCAP", 1, 1, { T }, T, true },
    { "ORA_LPAD", "LPAD", 2, 3, { T, N, T }, T, true },
    { "ORA_RPAD", "RPAD", 2, 3, { T, N, T }, T, true },
    // TRIM([LEADING|TRAILING|BOTH] [c] FROM s) is ORA_TRIM(s [, 'LEADING'|'TRAILING'|'BOTH' [, c]])
    { "ORA_TRIM", "TRIM", 1, 3, { T, T, T }, T, true },
    { "ORA_LTRIM", "LTRIM", 1, 2, { T, T }, T, true },
    { "ORA_RTRIM", "RTRIM", 1, 2, { T, T }, T, true },
    { "ORA_REPLACE", "REPLACE", 2, 3, { T, T, T }, T, true },
    { "ORA_TRANSLATE", "TRANSLATE", 3, 3, { T, T, T }, T, true },
    { "ORA_CHR", "CHR", 1, 1, { N }, T, true },
    { "ORA_ASCII", "ASCII", 1, 1, { T }, N, true },
    // The binder converts the other arguments to the type of the first, as Oracle does.
    { "ORA_GREATEST", "GREATEST", 1, -1, { A }, FnType::SameAsFirst, true },
    { "ORA_LEAST", "LEAST", 1, -1, { A }, FnType::SameAsFirst, true },
    { "ORA_MOD", "MOD", 2, 2, { N, N }, N, true },
    { "ORA_FLOOR", "FLOOR", 1, 1, { N }, N, true },
    { "ORA_CEIL", "CEIL", 1, 1, { N }, N, true },
    { "ORA_POWER", "POWER", 2, 2, { N, N }, N, true },
    { "ORA_SIGN", "SIGN", 1, 1, { N }, N, true },
    { "ORA_ABS", "ABS", 1, 1, { N }, N, true },
    { "ORA_SQRT", "SQRT", 1, 1, { N }, N, true },
    { "ORA_EXP", "EXP", 1, 1, { N }, N, true },
    { "ORA_LN", "LN", 1, 1, { N }, N, true },
    { "ORA_LOG", "LOG", 2, 2, { N, N }, N, true },
    // number / number: SQLite divides integers as integers and gives NULL for a zero divisor; Oracle does neither.
    { "ORA_DIVIDE", "/", 2, 2, { N, N }, N, true },
    // -number: SQLite's minus reads a number kept as text as a double.
    { "ORA_NEGATE", "-", 1, 1, { N }, N, true },
    // The order of numbers, some of which SQLite holds as text (fn_number_order.cpp).
    { "ORA_NUMBER_KEY", "number order key", 1, 1, { N }, A, true },
    { "ORA_NUMBER_UNKEY", "number of an order key", 1, 1, { A }, N, true },
    { "ORA_NUMBER_BOUND", "number bound", 2, 2, { N, N }, N, true },
    { "ORA_NUMBER_NATIVE", "number of a range window", 1, 1, { N }, N, true },
    // number + - * number and SUM, AVG in decimal: SQLite's operators and aggregates work in binary doubles.
    { "ORA_ADD", "+", 2, 2, { N, N }, N, true },
    { "ORA_SUBTRACT", "-", 2, 2, { N, N }, N, true },
    { "ORA_MULTIPLY", "*", 2, 2, { N, N }, N, true },
    { "ORA_SUM", "SUM", 1, 1, { N }, N, true },
    { "ORA_AVG", "AVG", 1, 1, { N }, N, true },
    { "ORA_NVL", "NVL", 2, 2, { A, A }, FnType::SameAsFirst, true },
    { "ORA_NVL2", "NVL2", 3, 3, { A, A, A }, FnType::SameAsSecond, true },
    { "ORA_CONCAT", "||", 2, -1, { T }, T, true },
    // CONCAT(a, b) is || with two operands.
    { "ORA_CONCAT", "CONCAT", 2, 2, { T, T }, T, true },
    { "ORA_USER", "USER", 0, 0, {}, T, false },
    { "ORA_UID", "UID", 0, 0, {}, N, false },
    { "ORA_USERENV", "USERENV", 1, 1, { T }, T, false },
    { "ORA_SYS_CONTEXT", "SYS_CONTEXT", 2, 3, { T, T, N }, T, false },
    // text LIKE pattern [ESCAPE c]: 1, 0 or NULL
    { "ORA_LIKE", "LIKE", 2, 3, { T, T, T }, N, true },
    // Regular expressions (regex.h); the arguments after the fourth are read by the functions themselves.
    { "ORA_REGEXP_LIKE", "REGEXP_LIKE", 2, 3, { T, T, T }, N, true },
    { "ORA_REGEXP_COUNT", "REGEXP_COUNT", 2, 4, { T, T, N, T }, N, true },
    { "ORA_REGEXP_INSTR", "REGEXP_INSTR", 2, 7, { T, T, N, A }, N, true },
    { "ORA_REGEXP_SUBSTR", "REGEXP_SUBSTR", 2, 6, { T, T, N, A }, T, true },
    { "ORA_REGEXP_REPLACE", "REGEXP_REPLACE", 2, 6, { T, T, T, A }, T, true },
    { "ORA_SIN", "SIN", 1, 1, { N }, N, true },
    { "ORA_COS", "COS", 1, 1, { N }, N, true },
    { "ORA_TAN", "TAN", 1, 1, { N }, N, true },
    { "ORA_ASIN", "ASIN", 1, 1, { N }, N, true },
    { "ORA_ACOS", "ACOS", 1, 1, { N }, N, true },
    { "ORA_ATAN", "ATAN", 1, 1, { N }, N, true },
    { "ORA_ATAN2", "ATAN2", 2, 2, { N, N }, N, true },
    { "ORA_SINH", "SINH", 1, 1, { N }, N, true },
    { "ORA_COSH", "COSH", 1, 1, { N }, N, true },
    { "ORA_TANH", "TANH", 1, 1, { N }, N, true },
    { "ORA_REMAINDER", "REMAINDER", 2, 2, { N, N }, N, true },
    { "ORA_BITAND", "BITAND", 2, 2, { N, N }, N, true },
    { "ORA_BIN_TO_NUM", "BIN_TO_NUM", 1, -1, { N }, N, true },
    { "ORA_WIDTH_BUCKET", "WIDTH_BUCKET", 4, 4, { N, N, N, N }, N, true },
    { "ORA_RAWTOHEX", "RAWTOHEX", 1, 1, { A }, T, true },
    { "ORA_SYS_GUID", "SYS_GUID", 0, 0, {}, A, false },
    { "ORA_CHARTOROWID", "CHARTOROWID", 1, 1, { T }, T, true },
    { "ORA_ASCIISTR", "ASCIISTR", 1, 1, { T }, T, true },
    { "ORA_UNISTR", "UNISTR", 1, 1, { T }, T, true },
    { "ORA_NCHR", "NCHR", 1, 1, { N }, T, true },
    { "ORA_SOUNDEX", "SOUNDEX", 1, 1, { T }, T, true },
    { "ORA_NEXT_DAY", "NEXT_DAY", 2, 2, { D, T }, D, false },
    { "ORA_LENGTHB", "LENGTHB", 1, 1, { T }, N, true },
    { "ORA_SUBSTRB", "SUBSTRB", 2, 3, { T, N, N }, T, true },
    { "ORA_INSTRB", "INSTRB", 2, 4, { T, T, N, N }, N, true },
    // TIMESTAMP and INTERVAL (fn_timestamp*.cpp): the binder emits them with the operands' kinds.
    { "ORA_DT_CONVERT", "", 5, 5, { A, N, N, N }, A, false },
    { "ORA_DT_ADD", "", 5, 5, { A, N, A, N }, A, false },
    { "ORA_DT_DIFF", "", 4, 4, { A, N, A, N }, N, false },
    { "ORA_IV_ADD", "", 4, 4, { A, A, N, N }, N, true },
    { "ORA_IV_SCALE", "", 4, 4, { A, N, N, N }, N, true },
    { "ORA_DT_EXTRACT", "", 3, 3, { A, N, T }, A, false },
    { "ORA_DT_TO_CHAR", "", 4, 5, { A, N, N, N }, T, false },
    { "ORA_TO_TIMESTAMP", "", 2, 3, { T, N, T }, A, false },
    { "ORA_SYSTIMESTAMP", "", 0, 0, {}, A, false },
    { "ORA_CURRENT_TIMESTAMP", "", 2, 2, { N, N }, A, false },
    { "ORA_SESSIONTIMEZONE", "", 0, 0, {}, T, false },
    { "ORA_FROM_TZ", "", 2, 2, { A, T }, A, true },
    { "ORA_AT_TIME_ZONE", "", 1, 2, { A, T }, A, false },
    { "ORA_SYS_EXTRACT_UTC", "", 1, 1, { A }, A, true },
    { "ORA_TO_DSINTERVAL", "", 1, 1, { T }, A, true },
    { "ORA_TO_YMINTERVAL", "", 1, 1, { T }, A, true },
    { "ORA_NUMTODSINTERVAL", "", 2, 2, { N, T }, A, true },
    { "ORA_NUMTOYMINTERVAL", "", 2, 2, { N, T }, A, true },
    // The engine's own helpers the binder emits; no Oracle name calls them.
    { "ORA_RWITH_STEP", "", 5, -1, { A }, N, false },
    { "ORA_ROW_LIMIT", "", 2, 3, { N, N, N }, N, true },
    { "ORA_ROW_OFFSET", "", 1, 1, { N }, N, true },
    { "ORA_BUCKETS", "", 1, 1, { N }, N, true },
    // Aggregates that also run over windows; the binder picks them for the aggregates and analytic functions.
    { "ORA_WSUM", "", 1, 1, { N }, N, true },
    { "ORA_WAVG", "", 1, 1, { N }, N, true },
    { "ORA_COUNT_DISTINCT", "", 1, 1, { A }, N, true },
    { "ORA_SUM_DISTINCT", "", 1, 1, { N }, N, true },
    { "ORA_AVG_DISTINCT", "", 1, 1, { N }, N, true },
    { "ORA_VARIANCE", "", 1, 1, { N }, N, true },
    { "ORA_VAR_SAMP", "", 1, 1, { N }, N, true },
    { "ORA_VAR_POP", "", 1, 1, { N }, N, true },
    { "ORA_STDDEV", "", 1, 1, { N }, N, true },
    { "ORA_STDDEV_SAMP", "", 1, 1, { N }, N, true },
    { "ORA_STDDEV_POP", "", 1, 1, { N }, N, true },
    { "ORA_NTH_VALUE", "", 4, 4, { A, N, N, N }, A, true },
    { "ORA_LISTAGG", "", 4, -1, { T, T, T, T }, T, true },
    { "ORA_PERCENTILE", "", 5, 5, { T, N, T, N }, A, true },
    { "ORA_KEEP", "", 2, -1, { T, A }, A, true },
};

} // namespace

std::span<const FunctionInfo> functionTable()
{
    return table;
}

const FunctionInfo* findFunction(std::string_view name)
{
    for (const auto& f : table)
        if (detail::equalsIgnoreCase(name, f.name))
            return &f;
    return nullptr;
}

int registerAll(sqlite3* db, FunctionContext* context)
{
    auto state = std::make_shared<detail::State>();
    state->context = context;
    detail::Registrar r(db, state);
    detail::registerConversions(r);
    detail::registerDateFunctions(r);
    detail::registerNumericFunctions(r);
    detail::registerSubstringFunctions(r);
    detail::registerCaseFunctions(r);
    detail::registerPadTrimFunctions(r);
    detail::registerReplaceFunctions(r);
    detail::registerCharacterCodeFunctions(r);
    detail::registerComparisonFunctions(r);
    detail::registerNullFunctions(r);
    detail::registerEnvironmentFunctions(r);
    detail::registerLike(r);
    detail::registerArithmetic(r);
    detail::registerRecursion(r);
    detail::registerRowLimit(r);
    detail::registerWindowAggregates(r);
    detail::registerOrderedAggregates(r);
    detail::registerRegexpFunctions(r);
    detail::registerTrigonometry(r);
    detail::registerIntegerParts(r);
    detail::registerRawFunctions(r);
    detail::registerUnicodeFunctions(r);
    detail::registerSoundex(r);
    detail::registerNextDay(r);
    detail::registerByteFunctions(r);
    detail::registerNumberOrder(r);
    detail::registerTimestampFunctions(r);
    detail::registerTimeZoneFunctions(r);
    return r.status();
}

} // namespace engine::fn

#include "engine/emit/runtime_functions.h"

#include "engine/fn/number.h"
#include "engine/fn/oraerror.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace engine::emit {

namespace {

void raise(sqlite3_context* ctx, int code, const std::string& text)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
    const std::string message = prefix + text;
    sqlite3_result_error(ctx, message.c_str(), static_cast<int>(message.size()));
}

std::string textOf(sqlite3_value* v)
{
    const unsigned char* t = sqlite3_value_text(v);
    return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_value_bytes(v))) : "";
}

std::string hexOf(sqlite3_value* v)
{
    static const char digits[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const unsigned char*>(sqlite3_value_blob(v));
    const int n = sqlite3_value_bytes(v);
    std::string text;
    text.reserve(static_cast<size_t>(n) * 2);
    for (int i = 0; i < n; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 15]);
    }
    return text;
}

void raiseError(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    raise(ctx, sqlite3_value_int(argv[0]), textOf(argv[1]));
}

void storeNumber(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const int precision = sqlite3_value_int(argv[1]);
    // A NULL scale is a NUMBER(*) or FLOAT-like column without one; a declared scale of 0 (NUMBER(p), INTEGER,
    // SMALLINT) still rounds away the fraction.
    const bool scaled = sqlite3_value_type(argv[2]) != SQLITE_NULL;
    const int scale = scaled ? sqlite3_value_int(argv[2]) : 0;
    auto tooLarge = [&] { raise(ctx, 1438, "value larger than specified precision allowed for this column"); };
    // Digits left of the point that the column holds: ORA-01438 from 10^(precision - scale) on.
    const int room = precision - scale;
    if (type == SQLITE_INTEGER && scale >= 0) {
        const sqlite3_int64 i = sqlite3_value_int64(argv[0]);
        if (precision > 0 && room < 19) {
            sqlite3_int64 limit = 1;
            for (int k = 0; k < room; ++k)
                limit *= 10;
            if (i >= limit || i <= -limit) {
                tooLarge();
                return;
            }
        }
        sqlite3_result_int64(ctx, i);
        return;
    }
    if (type == SQLITE_BLOB) {
        raise(ctx, 1722, "invalid number");
        return;
    }
    fn::NumberValue v;
    try {
        if (type == SQLITE_FLOAT) {
            const double x = sqlite3_value_double(argv[0]);
            if (std::isnan(x)) {
                raise(ctx, 1722, "invalid number");
                return;
            }
            if (!(std::fabs(x) < 1e126)) {
                raise(ctx, 1426, "numeric overflow");
                return;
            }
            v = fn::NumberValue::ofReal(x);
        } else if (type == SQLITE_INTEGER) {
            v = fn::NumberValue::ofInteger(sqlite3_value_int64(argv[0]));
        } else {
            v = fn::parseNumberText(textOf(argv[0]));
        }
        // Oracle rounds the decimal value half away from zero: 99999.995 is 100000.00, though the double nearest it
        // lies just below.
        if (scaled)
            v = fn::roundNumber(v, scale);
        const fn::Decimal d = fn::Decimal::of(v);
        if (precision > 0 && d.count > 0 && d.exponent > room) {
            tooLarge();
            return;
        }
        v = d.value();
    } catch (const fn::OraError& e) {
        sqlite3_result_error(ctx, e.message().c_str(), static_cast<int>(e.message().size()));
        return;
    }
    if (v.isInteger)
        sqlite3_result_int64(ctx, v.integer);
    else if (v.isExactText())
        sqlite3_result_text(ctx, v.exact.data(), static_cast<int>(v.exact.size()), SQLITE_TRANSIENT);
    else
        sqlite3_result_double(ctx, v.real);
}

int utf8Length(const std::string& s)
{
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

void storeText(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    // Bytes (RAW) stored into a character column are written as their hexadecimal digits, as Oracle's implicit
    // RAWTOHEX does, and the length is that of the digits.
    std::string text = sqlite3_value_type(argv[0]) == SQLITE_BLOB ? hexOf(argv[0]) : textOf(argv[0]);
    if (text.empty()) {
        sqlite3_result_null(ctx);
        return;
    }
    const int maximum = sqlite3_value_int(argv[1]);
    const int flags = sqlite3_value_int(argv[2]);
    const bool isChar = (flags & kStoreTextPadded) != 0;
    // The length counts bytes for a column of byte semantics (Oracle's default), characters for (n CHAR).
    const int length = (flags & kStoreTextBytes) ? static_cast<int>(text.size()) : utf8Length(text);
    if (maximum > 0 && length > maximum) {
        raise(ctx, 12899,
            "value too large for column " + textOf(argv[3]) + " (actual: " + std::to_string(length)
                + ", maximum: " + std::to_string(maximum) + ")");
        return;
    }
    if (isChar && length < maximum)
        text.append(static_cast<size_t>(maximum - length), ' ');
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void storeNotNull(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL || notNullDeferred) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    if (sqlite3_value_int(argv[2]) != 0)
        raise(ctx, 1407, "cannot update (" + textOf(argv[1]) + ") to NULL");
    else
        raise(ctx, 1400, "cannot insert NULL into (" + textOf(argv[1]) + ")");
}

// Text stored into a RAW or BLOB column is read as hexadecimal digits, two to a byte, as Oracle's implicit
// HEXTORAW does; an odd count takes a leading zero ('ABC' is 0x0A 0xBC).
void storeRaw(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[0]) == SQLITE_BLOB) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    const std::optional<std::string> bytes = hexToRaw(textOf(argv[0]));
    if (!bytes) {
        raise(ctx, 1465, "invalid hex number");
        return;
    }
    sqlite3_result_blob(ctx, bytes->data(), static_cast<int>(bytes->size()), SQLITE_TRANSIENT);
}

} // namespace

std::optional<std::string> hexToRaw(std::string_view text)
{
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string bytes;
    bytes.reserve(text.size() / 2 + 1);
    int pending = text.size() % 2 ? 0 : -1;
    for (const char c : text) {
        const int d = digit(c);
        if (d < 0)
            return std::nullopt;
        if (pending < 0) {
            pending = d;
        } else {
            bytes.push_back(static_cast<char>(pending * 16 + d));
            pending = -1;
        }
    }
    return bytes;
}

int registerRuntimeFunctions(sqlite3* db)
{
    struct Entry {
        const char* name;
        int args;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
    };
    static const Entry entries[] = {
        { "ORA_RAISE_ERROR", 2, raiseError },
        { "ORA_STORE_NUMBER", 4, storeNumber },
        { "ORA_STORE_TEXT", 4, storeText },
        { "ORA_STORE_NOTNULL", 3, storeNotNull },
        { "ORA_STORE_RAW", 1, storeRaw },
    };
    for (const Entry& e : entries) {
        // ORA_RAISE_ERROR is not deterministic: SQLite must not hoist it out of the CASE that guards it.
        const int flags = SQLITE_UTF8 | (e.fn == raiseError ? 0 : SQLITE_DETERMINISTIC);
        const int rc = sqlite3_create_function_v2(db, e.name, e.args, flags, nullptr, e.fn, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

} // namespace engine::emit

// The order of NUMBER values that may be kept as text (more digits than a double, number.h): SQLite orders every
// text after every number, so comparisons, ORDER BY, MIN and MAX of such values go through ORA_NUMBER_KEY, bytes
// whose binary order is the numbers' order, and ORA_NUMBER_UNKEY reads a key back as its number.
#include "engine/fn/fnutil.h"

#include <cmath>
#include <cstring>

namespace engine::fn::detail {

namespace {

// Zero 0x80; a positive number 0xC0, its exponent biased by 32768 (two bytes, high first), its digits; a negative
// number 0x40, its exponent and digits complemented, then 0xFF so that more digits order first.
void numberKey(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (isNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        const Decimal d = Decimal::of(numberArg(argv[0]));
        unsigned char key[kDecimalCapacity + 4];
        int n = 0;
        if (d.count == 0) {
            key[n++] = 0x80;
        } else {
            const int biased = d.negative ? 32767 - d.exponent : d.exponent + 32768;
            key[n++] = d.negative ? 0x40 : 0xC0;
            key[n++] = static_cast<unsigned char>(biased >> 8);
            key[n++] = static_cast<unsigned char>(biased & 0xFF);
            for (int i = 0; i < d.count; ++i)
                key[n++] = static_cast<unsigned char>(d.negative ? '9' - d.digits[i] + '0' : d.digits[i]);
            if (d.negative)
                key[n++] = 0xFF;
        }
        sqlite3_result_blob(ctx, key, n, SQLITE_TRANSIENT);
    });
}

void numberUnkey(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_BLOB) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    const auto* key = static_cast<const unsigned char*>(sqlite3_value_blob(argv[0]));
    const int n = sqlite3_value_bytes(argv[0]);
    Decimal d;
    if (n >= 3 && key[0] != 0x80) {
        d.negative = key[0] == 0x40;
        const int biased = key[1] << 8 | key[2];
        d.exponent = d.negative ? 32767 - biased : biased - 32768;
        for (int i = 3; i < n && d.count < kDecimalCapacity && key[i] != 0xFF; ++i)
            d.digits[d.count++] = char(d.negative ? '9' - key[i] + '0' : key[i]);
    }
    guarded(ctx, [&] { resultNumber(ctx, d.value()); });
}

// ORA_NUMBER_BOUND(n, direction): a native number not above n (direction -1) or not below it (1); a number kept as
// text gives the double next to it on that side.
void numberBound(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const int type = sqlite3_value_type(argv[0]);
    if (type != SQLITE_TEXT) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    guarded(ctx, [&] {
        const NumberValue n = numberArg(argv[0]);
        const double toward = sqlite3_value_int(argv[1]) < 0 ? -HUGE_VAL : HUGE_VAL;
        if (n.isInteger)
            sqlite3_result_int64(ctx, n.integer);
        else
            sqlite3_result_double(ctx, std::nextafter(n.real, toward));
    });
}

// ORA_NUMBER_NATIVE(n): n as SQLite's own number, for a RANGE window's offset, which measures distances in them;
// a number kept as text is refused rather than measured wrongly.
void numberNative(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    raise(ctx,
        OraError(3001,
            "unimplemented feature: RANGE window offset over a NUMBER key of more than 15 significant digits"));
}

} // namespace

void registerNumberOrder(Registrar& r)
{
    r.add("ORA_NUMBER_NATIVE", numberNative);
    r.add("ORA_NUMBER_BOUND", numberBound);
    r.add("ORA_NUMBER_KEY", numberKey);
    r.add("ORA_NUMBER_UNKEY", numberUnkey);
}

} // namespace engine::fn::detail

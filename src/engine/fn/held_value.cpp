#include "engine/fn/held_value.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace engine::fn::detail {

HeldValue HeldValue::of(sqlite3_value* v)
{
    HeldValue h;
    h.type = sqlite3_value_type(v);
    switch (h.type) {
    case SQLITE_INTEGER:
        h.integer = sqlite3_value_int64(v);
        break;
    case SQLITE_FLOAT:
        h.real = sqlite3_value_double(v);
        break;
    case SQLITE_TEXT: {
        const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
        h.bytes.assign(t ? t : "", size_t(sqlite3_value_bytes(v)));
        break;
    }
    case SQLITE_BLOB: {
        const void* b = sqlite3_value_blob(v);
        const int n = sqlite3_value_bytes(v);
        if (b && n > 0)
            h.bytes.assign(static_cast<const char*>(b), size_t(n));
        break;
    }
    default:
        break;
    }
    return h;
}

void HeldValue::result(sqlite3_context* ctx) const
{
    switch (type) {
    case SQLITE_INTEGER:
        sqlite3_result_int64(ctx, integer);
        break;
    case SQLITE_FLOAT:
        sqlite3_result_double(ctx, real);
        break;
    case SQLITE_TEXT:
        sqlite3_result_text(ctx, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
        break;
    case SQLITE_BLOB:
        sqlite3_result_blob(ctx, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
        break;
    default:
        sqlite3_result_null(ctx);
    }
}

void HeldValue::appendKey(std::string& out) const
{
    char buffer[40];
    switch (type) {
    case SQLITE_INTEGER:
        out += 'n';
        out.append(buffer, size_t(std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(integer))));
        break;
    case SQLITE_FLOAT:
        out += 'n';
        if (real == std::trunc(real) && std::fabs(real) < 9e18)
            out.append(buffer, size_t(std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(real))));
        else
            out.append(buffer, size_t(std::snprintf(buffer, sizeof buffer, "%.17g", real)));
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        out += type == SQLITE_TEXT ? 't' : 'b';
        out += std::to_string(bytes.size());
        out += ':';
        out += bytes;
        break;
    default:
        out += 'z';
    }
    out += ';';
}

int compareHeld(const HeldValue& a, const HeldValue& b)
{
    if (a.isNumber() && b.isNumber()) {
        if (a.type == SQLITE_INTEGER && b.type == SQLITE_INTEGER)
            return a.integer < b.integer ? -1 : a.integer > b.integer ? 1 : 0;
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (a.isNumber() != b.isNumber())
        return a.isNumber() ? -1 : 1;
    const size_t n = std::min(a.bytes.size(), b.bytes.size());
    const int c = n ? std::memcmp(a.bytes.data(), b.bytes.data(), n) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    return a.bytes.size() < b.bytes.size() ? -1 : a.bytes.size() > b.bytes.size() ? 1 : 0;
}

} // namespace engine::fn::detail

// ROWID text.
#include "engine/catalog/rowid.h"

namespace engine::catalog {

namespace {
constexpr const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int64_t kFileNo = 4;

void put(std::string& out, int64_t v, int chars)
{
    for (int i = chars - 1; i >= 0; --i)
        out += kAlphabet[(v >> (6 * i)) & 63];
}

int digit(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

std::optional<int64_t> get(std::string_view s, size_t from, int chars)
{
    int64_t v = 0;
    for (int i = 0; i < chars; ++i) {
        int d = digit(s[from + static_cast<size_t>(i)]);
        if (d < 0)
            return std::nullopt;
        v = (v << 6) | d;
    }
    return v;
}
} // namespace

std::string encodeRowid(int64_t objectId, int64_t rowno)
{
    std::string out;
    out.reserve(18);
    put(out, objectId, 6);
    put(out, kFileNo, 3);
    put(out, rowno >> 8, 6);
    put(out, rowno & 0xff, 3);
    return out;
}

std::optional<DecodedRowid> decodeRowid(std::string_view text)
{
    if (text.size() != 18)
        return std::nullopt;
    auto obj = get(text, 0, 6);
    auto file = get(text, 6, 3);
    auto block = get(text, 9, 6);
    auto slot = get(text, 15, 3);
    if (!obj || !file || !block || !slot || *slot > 0xff)
        return std::nullopt;
    return DecodedRowid { *obj, (*block << 8) | *slot };
}

} // namespace engine::catalog

// Encoding and checked decoding of row images.
#include "engine/undo/row_image.h"

#include <cstring>

namespace engine::undo {

namespace {

void put(std::string& out, const void* p, size_t n)
{
    out.append(static_cast<const char*>(p), n);
}

void encodeValue(std::string& out, sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: {
        out += static_cast<char>(ImageValue::Type::Integer);
        int64_t i = sqlite3_value_int64(v);
        put(out, &i, sizeof i);
        break;
    }
    case SQLITE_FLOAT: {
        out += static_cast<char>(ImageValue::Type::Real);
        double d = sqlite3_value_double(v);
        put(out, &d, sizeof d);
        break;
    }
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        bool text = sqlite3_value_type(v) == SQLITE_TEXT;
        const void* p = text ? static_cast<const void*>(sqlite3_value_text(v)) : sqlite3_value_blob(v);
        uint32_t n = static_cast<uint32_t>(sqlite3_value_bytes(v));
        out += static_cast<char>(text ? ImageValue::Type::Text : ImageValue::Type::Blob);
        put(out, &n, sizeof n);
        if (n)
            put(out, p, n);
        break;
    }
    default:
        out += static_cast<char>(ImageValue::Type::Null);
    }
}

} // namespace

std::string encodeRow(const std::vector<sqlite3_value*>& values)
{
    std::string out;
    for (sqlite3_value* v : values)
        encodeValue(out, v);
    return out;
}

std::optional<std::vector<ImageValue>> decodeRow(std::string_view image, std::string* why)
{
    std::vector<ImageValue> values;
    size_t pos = 0;
    auto fail = [&](const std::string& reason) -> std::optional<std::vector<ImageValue>> {
        if (why)
            *why = "value " + std::to_string(values.size() + 1) + " " + reason;
        return std::nullopt;
    };
    while (pos < image.size()) {
        ImageValue v;
        auto tag = static_cast<unsigned char>(image[pos++]);
        size_t left = image.size() - pos;
        switch (tag) {
        case static_cast<unsigned char>(ImageValue::Type::Null):
            break;
        case static_cast<unsigned char>(ImageValue::Type::Integer):
        case static_cast<unsigned char>(ImageValue::Type::Real):
            if (left < 8)
                return fail("is cut short");
            if (tag == static_cast<unsigned char>(ImageValue::Type::Integer))
                std::memcpy(&v.integer, image.data() + pos, 8);
            else
                std::memcpy(&v.real, image.data() + pos, 8);
            pos += 8;
            break;
        case static_cast<unsigned char>(ImageValue::Type::Text):
        case static_cast<unsigned char>(ImageValue::Type::Blob): {
            uint32_t n = 0;
            if (left < sizeof n)
                return fail("is cut short");
            std::memcpy(&n, image.data() + pos, sizeof n);
            pos += sizeof n;
            if (n > image.size() - pos)
                return fail("runs past the end of the record");
            v.bytes = image.substr(pos, n);
            pos += n;
            break;
        }
        default:
            return fail("has an unknown type " + std::to_string(tag));
        }
        v.type = static_cast<ImageValue::Type>(tag);
        values.push_back(v);
    }
    return values;
}

void bindValues(sqlite3_stmt* stmt, const std::vector<ImageValue>& values)
{
    // A null pointer would bind NULL: an empty text or blob keeps its own kind.
    static const char empty[1] = { 0 };
    for (size_t k = 0; k < values.size(); ++k) {
        const ImageValue& v = values[k];
        int i = static_cast<int>(k + 1);
        switch (v.type) {
        case ImageValue::Type::Integer:
            sqlite3_bind_int64(stmt, i, v.integer);
            break;
        case ImageValue::Type::Real:
            sqlite3_bind_double(stmt, i, v.real);
            break;
        case ImageValue::Type::Text:
            sqlite3_bind_text64(stmt, i, v.bytes.empty() ? empty : v.bytes.data(), v.bytes.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        case ImageValue::Type::Blob:
            sqlite3_bind_blob64(stmt, i, v.bytes.empty() ? empty : v.bytes.data(), v.bytes.size(), SQLITE_TRANSIENT);
            break;
        case ImageValue::Type::Null:
            sqlite3_bind_null(stmt, i);
            break;
        }
    }
}

} // namespace engine::undo

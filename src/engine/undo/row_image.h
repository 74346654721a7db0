// The stored image of a row in an undo record: each value a tag byte, then 8 bytes of integer or real, or a 4-byte
// length and that many bytes of text or blob. Images are read back at rollback and when a database is opened after
// a crash, so decoding checks every tag and length and never reads past the end: a damaged image is refused.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine::undo {

struct ImageValue {
    enum class Type : unsigned char { Null = 0, Integer = 1, Real = 2, Text = 3, Blob = 4 };
    Type type = Type::Null;
    int64_t integer = 0;
    double real = 0;
    std::string_view bytes; // Text and Blob: a view into the image
};

std::string encodeRow(const std::vector<sqlite3_value*>& values);

// The values of an image; nullopt when the image is damaged (an unknown tag, a value cut short), with the reason
// in *why.
std::optional<std::vector<ImageValue>> decodeRow(std::string_view image, std::string* why = nullptr);

// Binds the values to parameters 1..n of stmt.
void bindValues(sqlite3_stmt* stmt, const std::vector<ImageValue>& values);

} // namespace engine::undo

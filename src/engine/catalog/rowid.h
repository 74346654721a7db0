// The one encoding of Oracle's ROWID: 18 characters in Oracle's base-64 alphabet, made of the object number
// (6), a file number (3), a block (6) and a slot (3), here built from the table's object number and row number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engine::catalog {

std::string encodeRowid(int64_t objectId, int64_t rowno);

struct DecodedRowid {
    int64_t objectId = 0;
    int64_t rowno = 0;
};
// std::nullopt for a text that is no ROWID (ORA-01410).
std::optional<DecodedRowid> decodeRowid(std::string_view text);

} // namespace engine::catalog

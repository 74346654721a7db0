// Oracle's internal NUMBER format (as the VARNUM external type carries it) to and from decimal text. Used to fetch
// and bind numbers exactly, whatever the session's decimal separator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace db::oci {

// The NUMBER bytes (exponent byte and base-100 digits, no length byte) as plain decimal text: "-12.5", "0.001",
// "100". Empty when the bytes are not a valid NUMBER.
std::string numberToText(const std::uint8_t* bytes, int length);

// Decimal text ("-12.50", "1e3", "  7 ") as NUMBER bytes without a length byte; none when the text is not a number
// or needs more than Oracle's 20 base-100 digits or its exponent range. Digits beyond 40 significant ones are
// rounded, as Oracle rounds.
std::optional<std::vector<std::uint8_t>> textToNumber(const std::string& text);

} // namespace db::oci

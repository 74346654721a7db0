// SQLite functions the emitted SQL calls for Oracle's checks that only the data can decide: values stored into
// NUMBER(p,s), VARCHAR2(n), CHAR(n) and NOT NULL columns, and errors raised by a statement at run time
// (ORA-01427, ORA-01436). Each session's connection registers them beside the built-in functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace engine::emit {

// ORA_RAISE_ERROR(code, text)                 fails the statement with "ORA-<code>: <text>"
// ORA_STORE_NUMBER(value, precision, scale, column)
//     rounds to the scale (NULL: no scale, nothing rounded) and fails with ORA-01438 when the precision is
//     exceeded; precision 0 is unlimited
// ORA_STORE_TEXT(value, maximum, flags, column)
//     fails with ORA-12899 when longer than maximum (bytes with kStoreTextBytes, else characters); blank-pads to
//     maximum when kStoreTextPadded (a CHAR column)
// ORA_STORE_NOTNULL(value, column, isUpdate)   fails with ORA-01400 (insert) or ORA-01407 (update) on NULL
// ORA_STORE_RAW(value)                        text as hexadecimal digits (hexToRaw), bytes as they are
// `column` is the quoted "OWNER"."TABLE"."COLUMN" the messages name; bytes stored into VARCHAR2 or CHAR are their
// hexadecimal digits (Oracle's implicit RAWTOHEX), and the length checked is theirs.
int registerRuntimeFunctions(sqlite3* db);

// Text read as hexadecimal digits, two to a byte, as Oracle's implicit HEXTORAW reads it; an odd count takes a
// leading zero ('ABC' is 0x0A 0xBC). std::nullopt when a character is no hexadecimal digit (ORA-01465).
std::optional<std::string> hexToRaw(std::string_view text);

// Set on the thread that runs a statement whose BEFORE EACH ROW triggers may still fill a NOT NULL column:
// ORA_STORE_NOTNULL lets NULL through, and the executor checks the rows once the triggers have run.
inline thread_local bool notNullDeferred = false;

inline constexpr int kStoreTextPadded = 1;
inline constexpr int kStoreTextBytes = 2;

} // namespace engine::emit

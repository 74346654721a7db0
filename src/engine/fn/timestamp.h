// Oracle's TIMESTAMP, TIMESTAMP WITH [LOCAL] TIME ZONE and INTERVAL values as plain C++: their stored forms (chosen
// so that SQLite's text or integer order is the values' order), time zone offsets, arithmetic and Oracle's texts of
// interval literals. The SQL functions over them are in fn_timestamp*.cpp.
#pragma once

#include "engine/fn/datetime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::fn {

// What a value is, as the binder passes it to the ORA_DT_... functions (an integer argument).
enum class DtKind { Text = 0, Date = 1, Timestamp = 2, TimestampTz = 3, TimestampLtz = 4, IntervalYM = 5, IntervalDS = 6 };

// Nanoseconds over the whole calendar need more than 64 bits.
__extension__ typedef __int128 NanoNumber;

inline constexpr int64_t kNanosPerSecond = 1000000000;
inline constexpr int64_t kNanosPerDay = 86400 * kNanosPerSecond;

// A point in time: its wall-clock fields, the fraction of the second and, for values with a zone, the zone's offset
// from UTC in minutes (the fields are then the zone's local time) and the zone as written ("+02:00", "UTC").
struct Timestamp {
    DateTime dt;
    int nanos = 0;
    int offset = 0;
    std::string zone;
};

// Stored forms:
//   TIMESTAMP, and WITH LOCAL TIME ZONE (in UTC): "YYYY-MM-DD HH:MM:SS.fffffffff", 29 characters;
//   WITH TIME ZONE: the same of its UTC time, a blank and its zone: "2024-01-01 10:00:00.000000000 +02:00";
//   INTERVAL YEAR TO MONTH: the integer number of months; INTERVAL DAY TO SECOND: the integer of nanoseconds.
std::string toStoredTimestamp(const DateTime& d, int nanos);
// Accepts the 29 characters, or a stored DATE (19 characters, no fraction).
bool parseStoredTimestamp(std::string_view text, DateTime& d, int& nanos);
// value holds local time and its zone.
std::string toStoredTimestampTz(const Timestamp& value);
// Gives local time and its zone.
bool parseStoredTimestampTz(std::string_view text, Timestamp& value);

// Whole nanoseconds since Oracle's Julian day 0 (fits 128 bits).
NanoNumber toNanoNumber(const DateTime& d, int nanos);
// Throws ORA-01841 outside years 1 ... 9999.
void fromNanoNumber(NanoNumber n, DateTime& d, int& nanos);

// Moves local time by minutes (a zone's offset); throws ORA-01841 outside years 1 ... 9999.
void shiftMinutes(DateTime& d, int nanos, int minutes);

// Rounds the fraction to digits (0 ... 9) as storing into TIMESTAMP(digits) does; may carry into the next second.
void roundFraction(DateTime& d, int& nanos, int digits);

// A time zone as Oracle takes it in literals, FROM_TZ, AT TIME ZONE and ALTER SESSION: "+hh:mm", "-hh:mm", "hh:mm"
// or UTC/GMT. Named regions need the time zone file, which the engine does not have: ORA-01882. ORA-01874/ORA-01875
// for hours or minutes out of range, ORA-01857 for an empty one. zone gets its canonical text.
int parseTimeZone(std::string_view text, std::string* zone = nullptr);
std::string offsetText(int minutes); // "+02:00", "-05:30"
// The offset of the machine's local time zone now (Oracle's default session time zone without ORA_SDTZ).
int localOffsetMinutes();

// Interval texts as Oracle shows them: "+01-02" (YEAR(2) TO MONTH), "+01 02:03:04.000000" (DAY(2) TO SECOND(6)).
// The leading field is zero-padded to the leading precision.
std::string intervalYMText(int64_t months, int leading);
std::string intervalDSText(int64_t nanos, int leading, int fraction);

// Rounds nanoseconds to fraction digits of a second.
int64_t roundIntervalNanos(int64_t nanos, int fraction);
// ORA-01873 when the leading field does not fit the leading precision.
void checkIntervalYM(int64_t months, int leading);
void checkIntervalDS(int64_t nanos, int leading);

// An interval literal's fields ("DAY", "HOUR", "MINUTE", "SECOND", "YEAR", "MONTH"); to is empty for a single field.
struct IntervalQualifier {
    std::string from;
    std::string to;
    int leading = 2;
    int fraction = 6;
};
bool isYearMonth(const IntervalQualifier& q);
// INTERVAL 'text' qualifier: ORA-01867 when the text does not fit the fields, ORA-01873 for a leading field longer
// than its precision, ORA-01850/01851/01852 (hours, minutes, seconds) and ORA-01843 (months) for trailing fields out
// of range. YEAR TO MONTH gives months, DAY TO SECOND nanoseconds.
int64_t parseIntervalLiteral(std::string_view text, const IntervalQualifier& q);

// TO_YMINTERVAL / TO_DSINTERVAL: the SQL form ("1-2", "1 02:03:04.5") or ISO 8601 ("P1Y2M", "P1DT2H3M4.5S").
// ORA-01867 otherwise.
int64_t parseYMInterval(std::string_view text);
int64_t parseDSInterval(std::string_view text);

// TIMESTAMP '...' literal: "YYYY-MM-DD HH24:MI:SS[.FF]" with an optional time zone after it. ORA-01861 (format),
// ORA-01843/01847/01850/01851/01852 (fields). Returns whether a zone was written.
bool parseTimestampLiteral(std::string_view text, Timestamp& out);

} // namespace engine::fn

// Oracle's DATE as plain C++: a calendar value to the second, the stored text "YYYY-MM-DD HH:MM:SS", Julian day
// numbers as Oracle's 'J' counts them, and the calendar rules (Julian calendar before 15 October 1582).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::fn {

struct DateTime {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const DateTime&) const = default;
};

// Oracle's calendar: Julian before 1582-10-15, Gregorian from then on; the ten days between do not exist.
bool isLeapYear(int year);
int daysInMonth(int year, int month);
// False for dates outside the calendar (day 0, 31 April, 29 February of a common year, 5-14 October 1582).
bool isValidDate(int year, int month, int day);

// Oracle's Julian day ('J'): 1 January 4712 BC is day 1; 1 January 2000 is 2451545.
int64_t julianDay(int year, int month, int day);
void fromJulianDay(int64_t julian, int& year, int& month, int& day);

// 0 = Sunday ... 6 = Saturday.
int dayOfWeek(const DateTime& d);
// 1 ... 366
int dayOfYear(const DateTime& d);
// ISO 8601 week number (1 ... 53) and the ISO year it belongs to.
int isoWeek(const DateTime& d, int* isoYear = nullptr);

int secondsOfDay(const DateTime& d);

// The stored form. parseStoredDate accepts exactly "YYYY-MM-DD HH:MM:SS" with a valid date and time; anything else
// is false (other text is converted with the session's date format, as Oracle converts text to a date).
bool parseStoredDate(std::string_view text, DateTime& out);
// Writes the 19 characters of the stored form (no terminator).
void formatStoredDate(const DateTime& d, char* out);
std::string toStoredDate(const DateTime& d);

// Days since Oracle's Julian day 0, with the time as a fraction: the arithmetic value of a date.
double toDayNumber(const DateTime& d);
// The date of a day number, rounded to the second. Throws OraError ORA-01841 outside years 1 ... 9999, the range
// the stored form holds.
DateTime fromDayNumber(double days);

// Whole-second arithmetic on the same scale, exact for any stored date.
int64_t toSecondNumber(const DateTime& d);
DateTime fromSecondNumber(int64_t seconds);

// Throws ORA-01841 unless 1 <= year <= 9999.
void checkStoredYear(int year);

} // namespace engine::fn

#include "engine/fn/datetime.h"

#include "engine/fn/oraerror.h"

#include <cmath>

namespace engine::fn {

namespace {

constexpr int64_t firstGregorianDay = 2299161; // 1582-10-15

bool isGregorian(int year, int month, int day)
{
    if (year != 1582)
        return year > 1582;
    if (month != 10)
        return month > 10;
    return day >= 15;
}

int digit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

bool readNumber(std::string_view text, size_t pos, size_t width, int& out)
{
    int value = 0;
    for (size_t i = pos; i < pos + width; ++i) {
        int d = digit(text[i]);
        if (d < 0)
            return false;
        value = value * 10 + d;
    }
    out = value;
    return true;
}

void writeNumber(char* out, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
}

} // namespace

bool isLeapYear(int year)
{
    if (year <= 1582)
        return year % 4 == 0;
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (month == 2 && isLeapYear(year))
        return 29;
    return days[month - 1];
}

bool isValidDate(int year, int month, int day)
{
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return false;
    return !(year == 1582 && month == 10 && day > 4 && day < 15);
}

int64_t julianDay(int year, int month, int day)
{
    int64_t a = (14 - month) / 12;
    int64_t y = int64_t(year) + 4800 - a;
    int64_t m = month + 12 * a - 3;
    if (isGregorian(year, month, day))
        return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - 32083;
}

void fromJulianDay(int64_t julian, int& year, int& month, int& day)
{
    int64_t b = 0;
    int64_t c;
    if (julian >= firstGregorianDay) {
        int64_t a = julian + 32044;
        b = (4 * a + 3) / 146097;
        c = a - 146097 * b / 4;
    } else {
        c = julian + 32082;
    }
    int64_t d = (4 * c + 3) / 1461;
    int64_t e = c - 1461 * d / 4;
    int64_t m = (5 * e + 2) / 153;
    day = int(e - (153 * m + 2) / 5 + 1);
    month = int(m + 3 - 12 * (m / 10));
    year = int(100 * b + d - 4800 + m / 10);
}

int dayOfWeek(const DateTime& d)
{
    return int((julianDay(d.year, d.month, d.day) + 1) % 7);
}

int dayOfYear(const DateTime& d)
{
    return int(julianDay(d.year, d.month, d.day) - julianDay(d.year, 1, 1)) + 1;
}

int isoWeek(const DateTime& d, int* isoYear)
{
    auto weeksIn = [](int year) {
        int jan1 = int((julianDay(year, 1, 1) + 1) % 7); // 0 = Sunday
        return jan1 == 4 || (jan1 == 3 && isLeapYear(year)) ? 53 : 52;
    };
    int weekday = dayOfWeek(d);
    if (weekday == 0)
        weekday = 7;
    int week = (dayOfYear(d) - weekday + 10) / 7;
    int year = d.year;
    if (week < 1) {
        --year;
        week = weeksIn(year);
    } else if (week > weeksIn(year)) {
        ++year;
        week = 1;
    }
    if (isoYear)
        *isoYear = year;
    return week;
}

int secondsOfDay(const DateTime& d)
{
    return d.hour * 3600 + d.minute * 60 + d.second;
}

bool parseStoredDate(std::string_view text, DateTime& out)
{
    if (text.size() != 19)
        return false;
    if (text[4] != '-' || text[7] != '-')
        return false;
    DateTime d;
    if (!readNumber(text, 0, 4, d.year) || !readNumber(text, 5, 2, d.month) || !readNumber(text, 8, 2, d.day))
        return false;
    if (text[10] != ' ' || text[13] != ':' || text[16] != ':')
        return false;
    if (!readNumber(text, 11, 2, d.hour) || !readNumber(text, 14, 2, d.minute) || !readNumber(text, 17, 2, d.second))
        return false;
    if (d.hour > 23 || d.minute > 59 || d.second > 59)
        return false;
    if (d.year < 1 || !isValidDate(d.year, d.month, d.day))
        return false;
    out = d;
    return true;
}

void formatStoredDate(const DateTime& d, char* out)
{
    writeNumber(out, d.year, 4);
    out[4] = '-';
    writeNumber(out + 5, d.month, 2);
    out[7] = '-';
    writeNumber(out + 8, d.day, 2);
    out[10] = ' ';
    writeNumber(out + 11, d.hour, 2);
    out[13] = ':';
    writeNumber(out + 14, d.minute, 2);
    out[16] = ':';
    writeNumber(out + 17, d.second, 2);
}

std::string toStoredDate(const DateTime& d)
{
    std::string s(19, ' ');
    formatStoredDate(d, s.data());
    return s;
}

void checkStoredYear(int year)
{
    if (year < 1 || year > 9999)
        throw OraError(1841, "(full) year must be between -4713 and +9999, and not be 0");
}

int64_t toSecondNumber(const DateTime& d)
{
    return julianDay(d.year, d.month, d.day) * 86400 + secondsOfDay(d);
}

DateTime fromSecondNumber(int64_t seconds)
{
    // Year 1 starts at Julian day 1721424 and year 9999 ends at 5373484; outside that the stored form cannot hold it.
    if (seconds < int64_t(1721424) * 86400 || seconds >= int64_t(5373485) * 86400)
        throw OraError(1841, "(full) year must be between -4713 and +9999, and not be 0");
    DateTime d;
    int64_t day = seconds / 86400;
    int rest = int(seconds % 86400);
    fromJulianDay(day, d.year, d.month, d.day);
    d.hour = rest / 3600;
    d.minute = rest / 60 % 60;
    d.second = rest % 60;
    return d;
}

double toDayNumber(const DateTime& d)
{
    return double(julianDay(d.year, d.month, d.day)) + secondsOfDay(d) / 86400.0;
}

DateTime fromDayNumber(double days)
{
    if (!std::isfinite(days) || days < 1721424.0 || days >= 5373485.0)
        throw OraError(1841, "(full) year must be between -4713 and +9999, and not be 0");
    return fromSecondNumber(int64_t(std::llround(days * 86400.0)));
}

} // namespace engine::fn

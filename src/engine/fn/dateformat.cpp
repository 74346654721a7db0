#include "engine/fn/dateformat.h"

#include "engine/fn/timestamp.h"

#include "engine/fn/oraerror.h"

#include <cstring>

namespace engine::fn {

const char* const monthNames[12] = { "JANUARY", "FEBRUARY", "MARCH", "APRIL", "MAY", "JUNE", "JULY", "AUGUST",
    "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER" };
const char* const dayNames[7] = { "SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY" };

namespace {

using Element = DateFormat::Element;
using LetterCase = DateFormat::LetterCase;

[[noreturn]] void fail(int code, std::string_view text)
{
    throw OraError(code, text);
}

[[noreturn]] void formatNotRecognized()
{
    fail(1821, "date format not recognized");
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 32) : c;
}
char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAlnum(char c)
{
    return isDigit(c) || isAlpha(c) || (static_cast<unsigned char>(c) & 0x80);
}
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isModelPunctuation(char c)
{
    return isSpace(c) || std::strchr("-/,.;:", c) != nullptr;
}

// Case-insensitive: does text at pos start with word (upper case)?
bool startsWith(std::string_view text, size_t pos, std::string_view word)
{
    if (text.size() - pos < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (upper(text[pos + i]) != word[i])
            return false;
    return true;
}

enum class Pseudo : uint8_t { None, FM, FX, TH, SP, SPTH };

struct ElementSpelling {
    std::string_view text;
    Element element;
    Pseudo pseudo;
};

// Longer spellings before their prefixes, so the longest element wins.
constexpr ElementSpelling spellings[] = {
    { "SSSSS", Element::SSSSS, Pseudo::None },
    { "FF1", Element::FF, Pseudo::None },
    { "FF2", Element::FF, Pseudo::None },
    { "FF3", Element::FF, Pseudo::None },
    { "FF4", Element::FF, Pseudo::None },
    { "FF5", Element::FF, Pseudo::None },
    { "FF6", Element::FF, Pseudo::None },
    { "FF7", Element::FF, Pseudo::None },
    { "FF8", Element::FF, Pseudo::None },
    { "FF9", Element::FF, Pseudo::None },
    { "FF", Element::FF, Pseudo::None },
    { "TZH", Element::TZH, Pseudo::None },
    { "TZM", Element::TZM, Pseudo::None },
    { "TZR", Element::TZR, Pseudo::None },
    { "TZD", Element::TZD, Pseudo::None },
    { "X", Element::X, Pseudo::None },
    { "SS", Element::SS, Pseudo::None },
    { "Y,YYY", Element::YCommaYYY, Pseudo::None },
    { "YYYY", Element::YYYY, Pseudo::None },
    { "YYY", Element::YYY, Pseudo::None },
    { "YY", Element::YY, Pseudo::None },
    { "Y", Element::Y, Pseudo::None },
    { "RRRR", Element::RRRR, Pseudo::None },
    { "RR", Element::RR, Pseudo::None },
    { "MONTH", Element::MONTH, Pseudo::None },
    { "MON", Element::MON, Pseudo::None },
    { "MM", Element::MM, Pseudo::None },
    { "MI", Element::MI, Pseudo::None },
    { "DDD", Element::DDD, Pseudo::None },
    { "DD", Element::DD, Pseudo::None },
    { "DAY", Element::DAY, Pseudo::None },
    { "DY", Element::DY, Pseudo::None },
    { "D", Element::D, Pseudo::None },
    { "HH24", Element::HH24, Pseudo::None },
    { "HH12", Element::HH, Pseudo::None },
    { "HH", Element::HH, Pseudo::None },
    { "A.M.", Element::AMDots, Pseudo::None },
    { "P.M.", Element::AMDots, Pseudo::None },
    { "AM", Element::AM, Pseudo::None },
    { "PM", Element::AM, Pseudo::None },
    { "A.D.", Element::ADDots, Pseudo::None },
    { "B.C.", Element::ADDots, Pseudo::None },
    { "AD", Element::AD, Pseudo::None },
    { "BC", Element::AD, Pseudo::None },
    { "J", Element::J, Pseudo::None },
    { "Q", Element::Q, Pseudo::None },
    { "WW", Element::WW, Pseudo::None },
    { "W", Element::W, Pseudo::None },
    { "IW", Element::IW, Pseudo::None },
    { "IYYY", Element::IYYY, Pseudo::None },
    { "IYY", Element::IYY, Pseudo::None },
    { "IY", Element::IY, Pseudo::None },
    { "I", Element::I, Pseudo::None },
    { "RM", Element::RM, Pseudo::None },
    { "CC", Element::CC, Pseudo::None },
    { "FM", Element::Literal, Pseudo::FM },
    { "FX", Element::Literal, Pseudo::FX },
    { "SPTH", Element::Literal, Pseudo::SPTH },
    { "THSP", Element::Literal, Pseudo::SPTH },
    { "SP", Element::Literal, Pseudo::SP },
    { "TH", Element::Literal, Pseudo::TH },
};

bool isNumeric(Element e)
{
    switch (e) {
    case Element::Literal:
    case Element::MON:
    case Element::MONTH:
    case Element::DY:
    case Element::DAY:
    case Element::AM:
    case Element::AMDots:
    case Element::AD:
    case Element::ADDots:
    case Element::RM:
    case Element::X:
    case Element::TZH:
    case Element::TZM:
    case Element::TZR:
    case Element::TZD:
        return false;
    default:
        return true;
    }
}

// Elements that fix the date part; text may leave out only the time elements at the end of a model.
bool isDatePart(Element e)
{
    switch (e) {
    case Element::YYYY:
    case Element::YCommaYYY:
    case Element::YYY:
    case Element::YY:
    case Element::Y:
    case Element::RRRR:
    case Element::RR:
    case Element::MM:
    case Element::MON:
    case Element::MONTH:
    case Element::RM:
    case Element::DD:
    case Element::DDD:
    case Element::J:
        return true;
    default:
        return false;
    }
}

// Oracle takes the case of a name from the model word: "MON" -> JAN, "Mon" -> Jan, "mon" -> jan.
LetterCase caseOf(std::string_view word)
{
    char first = 0;
    char second = 0;
    for (char c : word) {
        if (!isAlpha(c))
            continue;
        if (!first)
            first = c;
        else {
            second = c;
            break;
        }
    }
    if (first >= 'a' && first <= 'z')
        return LetterCase::Lower;
    if (second >= 'a' && second <= 'z')
        return LetterCase::Capitalized;
    return LetterCase::Upper;
}

void appendCased(std::string& out, std::string_view upperText, LetterCase letterCase)
{
    bool firstLetter = true;
    for (char c : upperText) {
        if (letterCase == LetterCase::Lower || (letterCase == LetterCase::Capitalized && !firstLetter))
            c = lower(c);
        if (isAlpha(c))
            firstLetter = false;
        out.push_back(c);
    }
}

void appendNumber(std::string& out, int64_t value, int width, bool fm)
{
    char buffer[24];
    int n = 0;
    uint64_t v = value < 0 ? uint64_t(-value) : uint64_t(value);
    do {
        buffer[n++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    if (value < 0)
        out.push_back('-');
    if (!fm)
        for (int i = n; i < width; ++i)
            out.push_back('0');
    while (n)
        out.push_back(buffer[--n]);
}

void appendOrdinal(std::string& out, int64_t value, LetterCase letterCase)
{
    int64_t lastTwo = value % 100;
    const char* suffix = "TH";
    if (lastTwo < 11 || lastTwo > 13) {
        switch (value % 10) {
        case 1:
            suffix = "ST";
            break;
        case 2:
            suffix = "ND";
            break;
        case 3:
            suffix = "RD";
            break;
        default:
            break;
        }
    }
    appendCased(out, suffix, letterCase == LetterCase::Capitalized ? LetterCase::Upper : letterCase);
}

void appendName(std::string& out, const char* name, size_t length, LetterCase letterCase, size_t padTo)
{
    appendCased(out, std::string_view(name, length), letterCase);
    for (size_t i = length; i < padTo; ++i)
        out.push_back(' ');
}

// English words of a number, upper case ("TWENTY-THREE"), or their ordinal ("TWENTY-THIRD").
void appendSpelled(std::string& out, int64_t value, bool ordinal, LetterCase letterCase)
{
    static const char* const ones[] = { "ZERO", "ONE", "TWO", "THREE", "FOUR", "FIVE", "SIX", "SEVEN", "EIGHT", "NINE",
        "TEN", "ELEVEN", "TWELVE", "THIRTEEN", "FOURTEEN", "FIFTEEN", "SIXTEEN", "SEVENTEEN", "EIGHTEEN", "NINETEEN" };
    static const char* const tens[]
        = { "", "", "TWENTY", "THIRTY", "FORTY", "FIFTY", "SIXTY", "SEVENTY", "EIGHTY", "NINETY" };
    std::string words;
    auto group = [&](int64_t n) {
        if (n >= 100) {
            words += ones[n / 100];
            words += " HUNDRED";
            n %= 100;
            if (n)
                words += ' ';
        }
        if (n >= 20) {
            words += tens[n / 10];
            if (n % 10) {
                words += '-';
                words += ones[n % 10];
            }
        } else if (n > 0)
            words += ones[n];
    };
    if (value < 0)
        value = -value;
    static constexpr struct {
        int64_t scale;
        const char* name;
    } scales[] = { { 1000000, " MILLION" }, { 1000, " THOUSAND" } };
    for (const auto& sc : scales) {
        if (value >= sc.scale) {
            if (!words.empty())
                words += ' ';
            group(value / sc.scale % 1000);
            words += sc.name;
            value %= sc.scale;
        }
    }
    if (value > 0) {
        if (!words.empty())
            words += ' ';
        group(value);
    }
    if (words.empty())
        words = "ZERO";
    if (ordinal) {
        size_t start = words.find_last_of(" -");
        start = start == std::string::npos ? 0 : start + 1;
        std::string last = words.substr(start);
        static constexpr struct {
            const char* word;
            const char* ordinal;
        } irregular[] = { { "ONE", "FIRST" }, { "TWO", "SECOND" }, { "THREE", "THIRD" }, { "FIVE", "FIFTH" },
            { "EIGHT", "EIGHTH" }, { "NINE", "NINTH" }, { "TWELVE", "TWELFTH" } };
        std::string replaced;
        for (const auto& r : irregular)
            if (last == r.word)
                replaced = r.ordinal;
        if (replaced.empty())
            replaced = last.back() == 'Y' ? last.substr(0, last.size() - 1) + "IETH" : last + "TH";
        words.replace(start, std::string::npos, replaced);
    }
    bool wordStart = true;
    for (char c : words) {
        if (letterCase == LetterCase::Lower || (letterCase == LetterCase::Capitalized && !wordStart))
            c = lower(c);
        wordStart = c == ' ' || c == '-';
        out.push_back(c);
    }
}

const char* const romanMonths[12] = { "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X", "XI", "XII" };

} // namespace

DateFormat DateFormat::parse(std::string_view model)
{
    DateFormat f;
    bool fm = false;
    bool fx = false;
    size_t i = 0;
    const size_t n = model.size();
    std::string_view lastWord; // the model word of the last element, whose case a suffix may complete
    auto addLiteral = [&](std::string_view text, bool punctuation) {
        Token t {};
        t.element = Element::Literal;
        t.fm = fm;
        t.fx = fx;
        t.punctuation = punctuation;
        t.offset = uint32_t(f.literals.size());
        t.length = uint32_t(text.size());
        f.literals.append(text);
        f.tokenList.push_back(t);
    };
    while (i < n) {
        char c = model[i];
        if (c == '"') {
            size_t close = model.find('"', i + 1);
            if (close == std::string_view::npos)
                formatNotRecognized();
            if (close > i + 1)
                addLiteral(model.substr(i + 1, close - i - 1), false);
            i = close + 1;
            continue;
        }
        if (isModelPunctuation(c)) {
            size_t start = i;
            while (i < n && isModelPunctuation(model[i]))
                ++i;
            addLiteral(model.substr(start, i - start), true);
            continue;
        }
        const ElementSpelling* match = nullptr;
        for (const auto& s : spellings)
            if (startsWith(model, i, s.text)) {
                match = &s;
                break;
            }
        if (!match)
            formatNotRecognized();
        std::string_view word = model.substr(i, match->text.size());
        i += match->text.size();
        if (match->pseudo == Pseudo::FM) {
            fm = !fm;
            continue;
        }
        if (match->pseudo == Pseudo::FX) {
            fx = !fx;
            continue;
        }
        if (match->pseudo == Pseudo::TH || match->pseudo == Pseudo::SP || match->pseudo == Pseudo::SPTH) {
            // Suffixes follow a number: TH (ordinal), SP (spelled), SPTH and THSP (spelled ordinal).
            if (f.tokenList.empty() || !isNumeric(f.tokenList.back().element))
                formatNotRecognized();
            Token& last = f.tokenList.back();
            bool th = match->pseudo != Pseudo::SP;
            bool sp = match->pseudo != Pseudo::TH;
            if ((th && last.th) || (sp && last.sp))
                formatNotRecognized();
            last.th = last.th || th;
            last.sp = last.sp || sp;
            if (th)
                last.suffixCase = caseOf(word);
            // Spelled words take the case of element and suffix together: "Jsp" is capitalised.
            if (sp)
                last.letterCase = caseOf(std::string(lastWord) + std::string(word));
            continue;
        }
        lastWord = word;
        Token t {};
        t.element = match->element;
        if (t.element == Element::FF && word.size() == 3)
            t.length = uint32_t(word[2] - '0');
        t.letterCase = caseOf(word);
        t.fm = fm;
        t.fx = fx;
        f.tokenList.push_back(t);
    }
    return f;
}

std::string DateFormat::format(const DateTime& value) const
{
    std::string out;
    format(value, out);
    return out;
}

void DateFormat::format(const DateTime& v, std::string& out) const
{
    formatImpl(v, nullptr, out);
}

void DateFormat::format(const DateTime& v, const Extra& extra, std::string& out) const
{
    formatImpl(v, &extra, out);
}

void DateFormat::formatImpl(const DateTime& v, const Extra* extra, std::string& out) const
{
    for (const Token& t : tokenList) {
        int64_t number = 0;
        int width = 0;
        switch (t.element) {
        case Element::Literal:
            out.append(literals, t.offset, t.length);
            continue;
        case Element::YYYY:
        case Element::RRRR:
            number = v.year;
            width = 4;
            break;
        case Element::YCommaYYY: {
            std::string digits;
            appendNumber(digits, v.year, t.fm ? 1 : 4, false);
            if (digits.size() > 3) {
                out.append(digits, 0, digits.size() - 3);
                out.push_back(',');
                out.append(digits, digits.size() - 3, 3);
            } else
                out.append(digits);
            if (t.th)
                appendOrdinal(out, v.year, t.suffixCase);
            continue;
        }
        case Element::YYY:
            number = v.year % 1000;
            width = 3;
            break;
        case Element::YY:
        case Element::RR:
            number = v.year % 100;
            width = 2;
            break;
        case Element::Y:
            number = v.year % 10;
            width = 1;
            break;
        case Element::MM:
            number = v.month;
            width = 2;
            break;
        case Element::DD:
            number = v.day;
            width = 2;
            break;
        case Element::DDD:
            number = dayOfYear(v);
            width = 3;
            break;
        case Element::D:
            number = dayOfWeek(v) + 1;
            width = 1;
            break;
        case Element::HH:
            number = v.hour % 12 == 0 ? 12 : v.hour % 12;
            width = 2;
            break;
        case Element::HH24:
            number = v.hour;
            width = 2;
            break;
        case Element::MI:
            number = v.minute;
            width = 2;
            break;
        case Element::SS:
            number = v.second;
            width = 2;
            break;
        case Element::SSSSS:
            number = secondsOfDay(v);
            width = 5;
            break;
        case Element::J:
            number = julianDay(v.year, v.month, v.day);
            width = 7;
            break;
        case Element::Q:
            number = (v.month - 1) / 3 + 1;
            width = 1;
            break;
        case Element::WW:
            number = (dayOfYear(v) - 1) / 7 + 1;
            width = 2;
            break;
        case Element::W:
            number = (v.day - 1) / 7 + 1;
            width = 1;
            break;
        case Element::IW:
            number = isoWeek(v);
            width = 2;
            break;
        case Element::CC:
            number = (v.year + 99) / 100;
            width = 2;
            break;
        case Element::IYYY:
        case Element::IYY:
        case Element::IY:
        case Element::I: {
            int isoYear;
            isoWeek(v, &isoYear);
            width = t.element == Element::IYYY ? 4 : t.element == Element::IYY ? 3 : t.element == Element::IY ? 2 : 1;
            number = width == 4 ? isoYear : width == 3 ? isoYear % 1000 : width == 2 ? isoYear % 100 : isoYear % 10;
            break;
        }
        case Element::RM: {
            const char* numeral = romanMonths[v.month - 1];
            appendName(out, numeral, std::strlen(numeral), t.letterCase, t.fm ? 0 : 4);
            continue;
        }
        case Element::MONTH: {
            const char* name = monthNames[v.month - 1];
            appendName(out, name, std::strlen(name), t.letterCase, t.fm ? 0 : 9);
            continue;
        }
        case Element::MON:
            appendName(out, monthNames[v.month - 1], 3, t.letterCase, 0);
            continue;
        case Element::DAY: {
            const char* name = dayNames[dayOfWeek(v)];
            appendName(out, name, std::strlen(name), t.letterCase, t.fm ? 0 : 9);
            continue;
        }
        case Element::DY:
            appendName(out, dayNames[dayOfWeek(v)], 3, t.letterCase, 0);
            continue;
        case Element::AM:
            appendCased(out, v.hour < 12 ? "AM" : "PM", t.letterCase);
            continue;
        case Element::AMDots:
            appendCased(out, v.hour < 12 ? "A.M." : "P.M.", t.letterCase);
            continue;
        case Element::AD:
            appendCased(out, "AD", t.letterCase);
            continue;
        case Element::ADDots:
            appendCased(out, "A.D.", t.letterCase);
            continue;
        case Element::FF: {
            if (!extra)
                formatNotRecognized();
            const int digits = t.length ? int(t.length) : extra->fraction;
            char b[16];
            std::snprintf(b, sizeof b, "%09d", extra->nanos);
            out.append(b, size_t(digits));
            continue;
        }
        case Element::X:
            out.push_back('.');
            continue;
        case Element::TZH:
        case Element::TZM:
        case Element::TZR:
        case Element::TZD: {
            if (!extra || !extra->hasZone)
                formatNotRecognized();
            const int a = extra->offset < 0 ? -extra->offset : extra->offset;
            char b[16];
            if (t.element == Element::TZH)
                std::snprintf(b, sizeof b, "%c%02d", extra->offset < 0 ? '-' : '+', a / 60);
            else if (t.element == Element::TZM)
                std::snprintf(b, sizeof b, "%02d", a % 60);
            else if (t.element == Element::TZR)
                std::snprintf(b, sizeof b, "%s", extra->zone.c_str());
            else
                // An offset has no abbreviation; UTC is its own.
                std::snprintf(b, sizeof b, "%s", extra->zone == "UTC" || extra->zone == "GMT" ? extra->zone.c_str() : "");
            out.append(b);
            continue;
        }
        }
        if (t.sp) {
            appendSpelled(out, number, t.th, t.letterCase);
            continue;
        }
        appendNumber(out, number, width, t.fm);
        if (t.th)
            appendOrdinal(out, number, t.suffixCase);
    }
}

namespace {

// The fields TO_DATE has read so far.
struct Fields {
    int year = -1;
    int month = 0;
    int day = 0;
    int dayOfYear = 0;
    int hour = -1;
    int hour12 = -1;
    int minute = -1;
    int second = -1;
    int secondsOfDay = -1;
    int meridian = -1; // 0 AM, 1 PM
    int64_t julian = -1;
};

int rrYear(int twoDigits, int currentYear)
{
    int century = currentYear / 100 * 100;
    int current = currentYear % 100;
    if (current < 50)
        return twoDigits < 50 ? century + twoDigits : century - 100 + twoDigits;
    return twoDigits < 50 ? century + 100 + twoDigits : century + twoDigits;
}

// Matches one of names (full upper-case names) at pos, the full name first and then its first three letters.
int matchName(std::string_view text, size_t& pos, const char* const* names, int count)
{
    for (int i = 0; i < count; ++i)
        if (startsWith(text, pos, names[i])) {
            pos += std::strlen(names[i]);
            return i;
        }
    for (int i = 0; i < count; ++i)
        if (startsWith(text, pos, std::string_view(names[i], 3))) {
            pos += 3;
            return i;
        }
    return -1;
}

void checkInputModel(const std::vector<DateFormat::Token>& tokens, bool timestamp)
{
    enum : unsigned {
        Year = 1,
        Month = 2,
        Day = 4,
        DayOfYear = 8,
        WeekDay = 16,
        Hour12 = 32,
        Hour24 = 64,
        Minute = 128,
        Second = 256,
        SecondsOfDay = 512,
        Meridian = 1024,
        Julian = 2048,
        Era = 4096
    };
    unsigned seen = 0;
    auto mark = [&](unsigned bit) {
        if (seen & bit) {
            if (bit == Year)
                fail(1812, "year may only be specified once");
            if (bit == Month)
                fail(1816, "month may only be specified once");
            if (bit == WeekDay)
                fail(1817, "day of week may only be specified once");
            fail(1810, "format code appears twice");
        }
        seen |= bit;
    };
    for (const auto& t : tokens) {
        switch (t.element) {
        case Element::Literal:
            break;
        case Element::YYYY:
        case Element::YCommaYYY:
        case Element::YYY:
        case Element::YY:
        case Element::Y:
        case Element::RRRR:
        case Element::RR:
            mark(Year);
            break;
        case Element::MM:
        case Element::MON:
        case Element::MONTH:
            mark(Month);
            break;
        case Element::DD:
            mark(Day);
            break;
        case Element::DDD:
            mark(DayOfYear);
            break;
        case Element::D:
        case Element::DY:
        case Element::DAY:
            mark(WeekDay);
            break;
        case Element::HH:
            mark(Hour12);
            break;
        case Element::HH24:
            mark(Hour24);
            break;
        case Element::MI:
            mark(Minute);
            break;
        case Element::SS:
            mark(Second);
            break;
        case Element::SSSSS:
            mark(SecondsOfDay);
            break;
        case Element::AM:
        case Element::AMDots:
            mark(Meridian);
            break;
        case Element::AD:
        case Element::ADDots:
            mark(Era);
            break;
        case Element::J:
            mark(Julian);
            break;
        case Element::RM:
            mark(Month);
            break;
        case Element::Q:
        case Element::WW:
        case Element::W:
        case Element::IW:
        case Element::CC:
        case Element::IYYY:
        case Element::IYY:
        case Element::IY:
        case Element::I:
            fail(1820, "format code cannot appear in date input format");
        case Element::FF:
        case Element::TZH:
        case Element::TZM:
        case Element::TZR:
        case Element::TZD:
            if (!timestamp)
                fail(1821, "date format not recognized");
            break;
        case Element::X:
            break;
        }
        // Spelled numbers are output only.
        if (t.sp)
            fail(1820, "format code cannot appear in date input format");
    }
    if ((seen & Hour24) && (seen & Meridian))
        fail(1818, "'HH24' precludes use of meridian indicator");
    if ((seen & Julian) && (seen & DayOfYear))
        fail(1811, "Julian date precludes use of day of year");
}

} // namespace

DateTime DateFormat::parseDate(std::string_view text, const DateTime& now) const
{
    return parseImpl(text, now, nullptr);
}

DateTime DateFormat::parseTimestamp(std::string_view text, const DateTime& now, Extra& extra) const
{
    extra = Extra {};
    return parseImpl(text, now, &extra);
}

DateTime DateFormat::parseImpl(std::string_view text, const DateTime& now, Extra* extra) const
{
    checkInputModel(tokenList, extra != nullptr);
    Fields f;
    size_t p = 0;
    const size_t n = text.size();
    const size_t count = tokenList.size();

    int tzSign = 1;
    int tzHour = 0;
    int tzMinute = 0;
    bool tzRegion = false;
    bool lastNumberComplete = false; // the previous number read every digit its element allows
    for (size_t ti = 0; ti < count; ++ti) {
        const Token& t = tokenList[ti];
        const size_t tokenStart = p;
        if (!t.fx)
            while (p < n && isSpace(text[p]))
                ++p;
        if (p >= n) {
            for (size_t k = ti; k < count; ++k)
                if (isDatePart(tokenList[k].element))
                    fail(1840, "input value not long enough for date format");
            break;
        }
        auto readNumber = [&](size_t maxWidth) -> int64_t {
            size_t start = p;
            int64_t value = 0;
            while (p < n && p - start < maxWidth && isDigit(text[p]))
                value = value * 10 + (text[p++] - '0');
            if (p == start)
                fail(1858, "a non-numeric character was found where a numeric was expected");
            if (t.fx && p - start != maxWidth)
                fail(1862, "the numeric value does not match the length of the format item");
            lastNumberComplete = p - start == maxWidth;
            return value;
        };
        // YY and RR read a four-digit year when one is written and no number follows in the model.
        auto readShortYear = [&](size_t width, bool& full) -> int64_t {
            size_t start = p;
            int64_t value = readNumber(width);
            full = false;
            bool numberFollows = ti + 1 < count && isNumeric(tokenList[ti + 1].element);
            if (!t.fx && !numberFollows && p < n && isDigit(text[p])) {
                while (p < n && p - start < 4 && isDigit(text[p]))
                    value = value * 10 + (text[p++] - '0');
                full = true;
            }
            return value;
        };
        auto setYear = [&](int64_t year) {
            if (year == 0)
                fail(1841, "(full) year must be between -4713 and +9999, and not be 0");
            f.year = int(year);
        };
        auto readMonthName = [&]() {
            int m = matchName(text, p, monthNames, 12);
            if (m < 0)
                fail(1843, "not a valid month");
            f.month = m + 1;
        };

        switch (t.element) {
        case Element::Literal: {
            std::string_view lit(literals.data() + t.offset, t.length);
            if (t.fx) {
                for (char c : lit) {
                    if (p >= n || upper(text[p]) != upper(c))
                        fail(1861, "literal does not match format string");
                    ++p;
                }
            } else if (t.punctuation) {
                // A zone's sign is no punctuation: TZH reads it.
                const bool signFollows = ti + 1 < count && tokenList[ti + 1].element == Element::TZH;
                while (p < n && !isAlnum(text[p]) && !(signFollows && (text[p] == '+' || text[p] == '-')))
                    ++p;
                // Text may leave out punctuation only between two numbers written with all their digits
                // ("20260305" for YYYY-MM-DD); anything else where the model has punctuation does not match.
                if (p == tokenStart) {
                    size_t next = ti + 1;
                    while (next < count && tokenList[next].element == Element::Literal)
                        ++next;
                    bool numberFollows = next < count && isNumeric(tokenList[next].element);
                    bool numberBefore = ti > 0 && isNumeric(tokenList[ti - 1].element);
                    if (!(numberBefore && lastNumberComplete && numberFollows))
                        fail(1861, "literal does not match format string");
                }
            } else {
                size_t k = 0;
                while (k < lit.size() && isSpace(lit[k]))
                    ++k;
                for (; k < lit.size(); ++k) {
                    if (p >= n || upper(text[p]) != upper(lit[k]))
                        fail(1861, "literal does not match format string");
                    ++p;
                }
            }
            break;
        }
        case Element::YYYY:
            setYear(readNumber(4));
            break;
        case Element::YCommaYYY: {
            int64_t value = readNumber(1);
            if (p < n && text[p] == ',')
                ++p;
            size_t start = p;
            while (p < n && p - start < 3 && isDigit(text[p]))
                value = value * 10 + (text[p++] - '0');
            setYear(value);
            break;
        }
        case Element::YYY:
            setYear(now.year / 1000 * 1000 + readNumber(3));
            break;
        case Element::YY: {
            bool full;
            int64_t v = readShortYear(2, full);
            setYear(full ? v : now.year / 100 * 100 + v);
            break;
        }
        case Element::Y:
            setYear(now.year / 10 * 10 + readNumber(1));
            break;
        case Element::RR: {
            bool full;
            int64_t v = readShortYear(2, full);
            setYear(full ? v : rrYear(int(v), now.year));
            break;
        }
        case Element::RRRR: {
            size_t start = p;
            int64_t v = readNumber(4);
            setYear(p - start <= 2 && !t.fx ? rrYear(int(v), now.year) : v);
            break;
        }
        case Element::MM:
            if (isAlpha(text[p]) && !t.fx) {
                readMonthName();
            } else {
                int64_t m = readNumber(2);
                if (m < 1 || m > 12)
                    fail(1843, "not a valid month");
                f.month = int(m);
            }
            break;
        case Element::MON:
        case Element::MONTH:
            readMonthName();
            break;
        case Element::DD: {
            int64_t d = readNumber(2);
            if (d < 1 || d > 31)
                fail(1847, "day of month must be between 1 and last day of month");
            f.day = int(d);
            break;
        }
        case Element::DDD: {
            int64_t d = readNumber(3);
            if (d < 1 || d > 366)
                fail(1848, "day of year must be between 1 and 365 (366 for leap year)");
            f.dayOfYear = int(d);
            break;
        }
        case Element::D: {
            int64_t d = readNumber(1);
            if (d < 1 || d > 7)
                fail(1846, "not a valid day of the week");
            break;
        }
        case Element::DY:
        case Element::DAY:
            if (matchName(text, p, dayNames, 7) < 0)
                fail(1846, "not a valid day of the week");
            break;
        case Element::HH: {
            int64_t h = readNumber(2);
            if (h < 1 || h > 12)
                fail(1849, "hour must be between 1 and 12");
            f.hour12 = int(h);
            break;
        }
        case Element::HH24: {
            int64_t h = readNumber(2);
            if (h > 23)
                fail(1850, "hour must be between 0 and 23");
            f.hour = int(h);
            break;
        }
        case Element::MI: {
            int64_t m = readNumber(2);
            if (m > 59)
                fail(1851, "minutes must be between 0 and 59");
            f.minute = int(m);
            break;
        }
        case Element::SS: {
            int64_t s = readNumber(2);
            if (s > 59)
                fail(1852, "seconds must be between 0 and 59");
            f.second = int(s);
            break;
        }
        case Element::SSSSS: {
            int64_t s = readNumber(5);
            if (s > 86399)
                fail(1853, "seconds in day must be between 0 and 86399");
            f.secondsOfDay = int(s);
            break;
        }
        case Element::AM:
        case Element::AMDots:
            if (startsWith(text, p, "A.M.") || startsWith(text, p, "P.M.")) {
                f.meridian = upper(text[p]) == 'P';
                p += 4;
            } else if (startsWith(text, p, "AM") || startsWith(text, p, "PM")) {
                f.meridian = upper(text[p]) == 'P';
                p += 2;
            } else
                fail(1855, "AM/A.M. or PM/P.M. required");
            break;
        case Element::AD:
        case Element::ADDots:
            if (startsWith(text, p, "A.D.") || startsWith(text, p, "AD"))
                p += text[p + 1] == '.' ? 4 : 2;
            else if (startsWith(text, p, "B.C.") || startsWith(text, p, "BC"))
                fail(1841, "(full) year must be between -4713 and +9999, and not be 0");
            else
                fail(1856, "BC/B.C. or AD/A.D. required");
            break;
        case Element::J: {
            int64_t j = readNumber(7);
            if (j < 1 || j > 5373484)
                fail(1854, "julian date must be between 1 and 5373484");
            f.julian = j;
            break;
        }
        case Element::RM: {
            // Longest numeral first: VIII before VII before VI before V.
            static constexpr int order[] = { 7, 6, 5, 8, 3, 4, 2, 1, 11, 10, 9, 0 };
            int m = -1;
            for (int k : order)
                if (startsWith(text, p, romanMonths[k])) {
                    m = k;
                    break;
                }
            if (m < 0)
                fail(1843, "not a valid month");
            p += std::strlen(romanMonths[m]);
            f.month = m + 1;
            break;
        }
        case Element::Q:
        case Element::WW:
        case Element::W:
        case Element::IW:
        case Element::CC:
        case Element::IYYY:
        case Element::IYY:
        case Element::IY:
        case Element::I:
            fail(1820, "format code cannot appear in date input format");
        case Element::FF: {
            const size_t width = t.length ? t.length : 9;
            size_t start = p;
            int64_t v = 0;
            while (p < n && p - start < width && isDigit(text[p]))
                v = v * 10 + (text[p++] - '0');
            if (p == start)
                fail(1858, "a non-numeric character was found where a numeric was expected");
            for (size_t k = p - start; k < 9; ++k)
                v *= 10;
            extra->nanos = int(v);
            break;
        }
        case Element::X:
            if (text[p] != '.')
                fail(1861, "literal does not match format string");
            ++p;
            break;
        case Element::TZH: {
            tzSign = 1;
            if (text[p] == '+' || text[p] == '-')
                tzSign = text[p++] == '-' ? -1 : 1;
            int64_t h = readNumber(2);
            if (h > 15)
                fail(1874, "time zone hour must be between -15 and 15");
            tzHour = int(h);
            extra->hasZone = true;
            break;
        }
        case Element::TZM: {
            int64_t m = readNumber(2);
            if (m > 59)
                fail(1875, "time zone minute must be between -59 and 59");
            tzMinute = int(m);
            extra->hasZone = true;
            break;
        }
        case Element::TZR:
        case Element::TZD: {
            size_t start = p;
            while (p < n && !isSpace(text[p]))
                ++p;
            if (t.element == Element::TZR) {
                extra->offset = parseTimeZone(text.substr(start, p - start), &extra->zone);
                extra->hasZone = true;
                tzRegion = true;
            }
            break;
        }
        }
        // An ordinal suffix after a number written with TH ("5th") is read over.
        if (t.th && p + 1 < n
            && (startsWith(text, p, "ST") || startsWith(text, p, "ND") || startsWith(text, p, "RD")
                || startsWith(text, p, "TH")))
            p += 2;
    }
    while (p < n && isSpace(text[p]))
        ++p;
    if (p < n)
        fail(1830, "date format picture ends before converting entire input string");
    if (extra && extra->hasZone && !tzRegion) {
        extra->offset = tzSign * (tzHour * 60 + tzMinute);
        extra->zone = offsetText(extra->offset);
    }

    DateTime d;
    d.year = f.year >= 0 ? f.year : now.year;
    d.month = f.month ? f.month : now.month;
    d.day = f.day ? f.day : 1;
    if (f.julian >= 0) {
        int y, m, day;
        fromJulianDay(f.julian, y, m, day);
        if (f.year >= 0 && f.year != y)
            fail(1831, "year conflicts with Julian date");
        if (f.month && f.month != m)
            fail(1833, "month conflicts with Julian date");
        if (f.day && f.day != day)
            fail(1834, "day of month conflicts with Julian date");
        d.year = y;
        d.month = m;
        d.day = day;
    } else if (f.dayOfYear) {
        int length = isLeapYear(d.year) ? 366 : 365;
        if (f.dayOfYear > length)
            fail(1848, "day of year must be between 1 and 365 (366 for leap year)");
        fromJulianDay(julianDay(d.year, 1, 1) + f.dayOfYear - 1, d.year, d.month, d.day);
    }
    checkStoredYear(d.year);
    // A day up to 31 that this month lacks (30 February, 31 April) is ORA-01839; beyond 31, DD already failed.
    if (d.day > daysInMonth(d.year, d.month))
        fail(1839, "date not valid for month specified");
    // The ten days the Gregorian reform skipped (5 to 14 October 1582) become 15 October, as Oracle makes them.
    if (!isValidDate(d.year, d.month, d.day))
        d.day = 15;
    d.hour = 0;
    if (f.hour >= 0)
        d.hour = f.hour;
    else if (f.hour12 >= 0)
        d.hour = f.meridian < 0 ? f.hour12 : f.hour12 % 12 + (f.meridian == 1 ? 12 : 0);
    d.minute = f.minute >= 0 ? f.minute : 0;
    d.second = f.second >= 0 ? f.second : 0;
    if (f.secondsOfDay >= 0) {
        int h = f.secondsOfDay / 3600;
        int m = f.secondsOfDay / 60 % 60;
        int s = f.secondsOfDay % 60;
        if ((f.hour >= 0 || f.hour12 >= 0) && d.hour != h)
            fail(1836, "hour conflicts with seconds in day");
        if (f.minute >= 0 && d.minute != m)
            fail(1837, "minutes of hour conflicts with seconds in day");
        if (f.second >= 0 && d.second != s)
            fail(1838, "seconds of minute conflicts with seconds in day");
        d.hour = h;
        d.minute = m;
        d.second = s;
    }
    return d;
}

DateUnit parseDateUnit(std::string_view model)
{
    struct UnitSpelling {
        std::string_view text;
        DateUnit unit;
    };
    static constexpr UnitSpelling units[] = {
        { "CC", DateUnit::Century },
        { "SCC", DateUnit::Century },
        { "SYYYY", DateUnit::Year },
        { "YYYY", DateUnit::Year },
        { "YEAR", DateUnit::Year },
        { "SYEAR", DateUnit::Year },
        { "YYY", DateUnit::Year },
        { "YY", DateUnit::Year },
        { "Y", DateUnit::Year },
        { "IYYY", DateUnit::IsoYear },
        { "IYY", DateUnit::IsoYear },
        { "IY", DateUnit::IsoYear },
        { "I", DateUnit::IsoYear },
        { "Q", DateUnit::Quarter },
        { "MONTH", DateUnit::Month },
        { "MON", DateUnit::Month },
        { "MM", DateUnit::Month },
        { "RM", DateUnit::Month },
        { "WW", DateUnit::Week },
        { "IW", DateUnit::IsoWeek },
        { "W", DateUnit::MonthWeek },
        { "DDD", DateUnit::Day },
        { "DD", DateUnit::Day },
        { "J", DateUnit::Day },
        { "DAY", DateUnit::StartOfWeek },
        { "DY", DateUnit::StartOfWeek },
        { "D", DateUnit::StartOfWeek },
        { "HH", DateUnit::Hour },
        { "HH12", DateUnit::Hour },
        { "HH24", DateUnit::Hour },
        { "MI", DateUnit::Minute },
    };
    for (const auto& u : units)
        if (model.size() == u.text.size() && startsWith(model, 0, u.text))
            return u.unit;
    // Several valid elements ask for more than one precision at once.
    DateFormat parsed = DateFormat::parse(model);
    int elements = 0;
    for (const auto& t : parsed.tokens())
        if (t.element != Element::Literal)
            ++elements;
    if (elements > 1)
        fail(1898, "too many precision specifiers");
    formatNotRecognized();
}

namespace {

DateTime dateOfJulian(int64_t julian)
{
    DateTime d;
    fromJulianDay(julian, d.year, d.month, d.day);
    return d;
}

int64_t isoYearStart(int isoYear)
{
    int64_t jan4 = julianDay(isoYear, 1, 4);
    int weekday = int((jan4 + 1) % 7); // 0 Sunday
    int fromMonday = (weekday + 6) % 7;
    return jan4 - fromMonday;
}

} // namespace

DateTime truncDate(const DateTime& v, DateUnit unit)
{
    int64_t jd = julianDay(v.year, v.month, v.day);
    DateTime d;
    switch (unit) {
    case DateUnit::Century:
        d.year = (v.year - 1) / 100 * 100 + 1;
        return d;
    case DateUnit::Year:
        d.year = v.year;
        return d;
    case DateUnit::IsoYear: {
        int isoYear;
        isoWeek(v, &isoYear);
        return dateOfJulian(isoYearStart(isoYear));
    }
    case DateUnit::Quarter:
        d.year = v.year;
        d.month = (v.month - 1) / 3 * 3 + 1;
        return d;
    case DateUnit::Month:
        d.year = v.year;
        d.month = v.month;
        return d;
    case DateUnit::Week:
        return dateOfJulian(jd - (jd - julianDay(v.year, 1, 1)) % 7);
    case DateUnit::IsoWeek:
        return dateOfJulian(jd - (dayOfWeek(v) + 6) % 7);
    case DateUnit::MonthWeek:
        return dateOfJulian(jd - (v.day - 1) % 7);
    case DateUnit::Day:
        return dateOfJulian(jd);
    case DateUnit::StartOfWeek:
        return dateOfJulian(jd - dayOfWeek(v));
    case DateUnit::Hour:
        d = v;
        d.minute = d.second = 0;
        return d;
    case DateUnit::Minute:
        d = v;
        d.second = 0;
        return d;
    }
    return v;
}

DateTime roundDate(const DateTime& v, DateUnit unit)
{
    DateTime start = truncDate(v, unit);
    DateTime d;
    switch (unit) {
    case DateUnit::Century:
        if ((v.year - 1) % 100 >= 50) {
            d.year = start.year + 100;
            checkStoredYear(d.year);
            return d;
        }
        return start;
    case DateUnit::Year:
        if (v.month >= 7) {
            d.year = v.year + 1;
            checkStoredYear(d.year);
            return d;
        }
        return start;
    case DateUnit::IsoYear:
        if (v.month >= 7)
            return dateOfJulian(isoYearStart(v.year + 1));
        return dateOfJulian(isoYearStart(v.year));
    case DateUnit::Quarter:
        if ((v.month - 1) % 3 == 2 || ((v.month - 1) % 3 == 1 && v.day >= 16)) {
            d.year = start.year;
            d.month = start.month + 3;
            if (d.month > 12) {
                d.month -= 12;
                checkStoredYear(++d.year);
            }
            return d;
        }
        return start;
    case DateUnit::Month:
        if (v.day >= 16) {
            d.year = v.year;
            d.month = v.month + 1;
            if (d.month > 12) {
                d.month = 1;
                checkStoredYear(++d.year);
            }
            return d;
        }
        return start;
    case DateUnit::Week:
    case DateUnit::IsoWeek:
    case DateUnit::MonthWeek:
    case DateUnit::StartOfWeek: {
        // Nearest start of a week: half a week (84 hours) after a start rounds up.
        int64_t elapsed = toSecondNumber(v) - toSecondNumber(start);
        if (elapsed >= 84 * 3600)
            return fromSecondNumber(toSecondNumber(start) + 7 * 86400);
        return start;
    }
    case DateUnit::Day:
        if (v.hour >= 12)
            return fromSecondNumber(toSecondNumber(start) + 86400);
        return start;
    case DateUnit::Hour:
        if (v.minute >= 30)
            return fromSecondNumber(toSecondNumber(start) + 3600);
        return start;
    case DateUnit::Minute:
        if (v.second >= 30)
            return fromSecondNumber(toSecondNumber(start) + 60);
        return start;
    }
    return start;
}

} // namespace engine::fn

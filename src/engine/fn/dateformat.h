// Oracle's date format models (TO_CHAR of a date, TO_DATE) with NLS_DATE_LANGUAGE AMERICAN. A model is parsed once
// into a DateFormat and then applied to any number of values, so a statement parses it once, not once per row.
#pragma once

#include "engine/fn/datetime.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine::fn {

class DateFormat {
public:
    enum class Element : uint8_t {
        Literal, // quoted text or punctuation, copied
        YYYY,
        YCommaYYY,
        YYY,
        YY,
        Y,
        RRRR,
        RR,
        MM,
        MON,
        MONTH,
        DD,
        DDD,
        D,
        DY,
        DAY,
        HH,
        HH24,
        MI,
        SS,
        SSSSS,
        AM,
        AMDots,
        AD,
        ADDots,
        J,
        Q,
        WW,
        W,
        IW,
        CC,
        RM, // month in Roman numerals
        IYYY, // ISO year and its last three, two, one digits
        IYY,
        IY,
        I,
        FF, // fractional seconds; Token::length holds the digits written (FF1 ... FF9), 0 for the type's own
        X, // the radix character
        TZH,
        TZM,
        TZR,
        TZD,
    };
    enum class LetterCase : uint8_t { Upper, Capitalized, Lower };

    struct Token {
        Element element;
        LetterCase letterCase;
        bool fm; // fill mode in force: no padding
        bool fx; // exact matching in force
        bool th; // followed by TH: ordinal suffix (or ordinal words with SP)
        bool sp; // followed by SP: the number spelled in English
        LetterCase suffixCase; // the case TH was written in
        bool punctuation; // a Literal written as punctuation, not quoted
        uint32_t offset; // Literal: its text in literals
        uint32_t length;
    };

    // Throws OraError ORA-01821 when the model holds something that is not a date format element.
    static DateFormat parse(std::string_view model);

    // TO_CHAR(date, model): appends the text to out.
    void format(const DateTime& value, std::string& out) const;
    std::string format(const DateTime& value) const;

    // What a TIMESTAMP adds to a DATE: the fraction, the digits FF shows by default, and its zone if it has one.
    struct Extra {
        int nanos = 0;
        int fraction = 9;
        bool hasZone = false;
        int offset = 0; // minutes east of UTC
        std::string zone; // as the value holds it ("+02:00", "UTC")
    };
    // TO_CHAR of a TIMESTAMP. The zone elements need extra.hasZone (ORA-01821 otherwise, as for a DATE, which
    // has no FF either).
    void format(const DateTime& value, const Extra& extra, std::string& out) const;

    // TO_DATE(text, model). now supplies the year and month of fields the text leaves out, as Oracle takes them
    // from SYSDATE. Throws OraError with Oracle's code for text that does not fit the model.
    DateTime parseDate(std::string_view text, const DateTime& now) const;
    // TO_TIMESTAMP / TO_TIMESTAMP_TZ: also FF and the zone elements; extra.hasZone tells whether a zone was read.
    DateTime parseTimestamp(std::string_view text, const DateTime& now, Extra& extra) const;

    const std::vector<Token>& tokens() const { return tokenList; }

private:
    void formatImpl(const DateTime& value, const Extra* extra, std::string& out) const;
    DateTime parseImpl(std::string_view text, const DateTime& now, Extra* extra) const;

    std::vector<Token> tokenList;
    std::string literals;
};

// The unit of TRUNC and ROUND of a date, from its format model ('DD' when none is given).
enum class DateUnit {
    Century,
    Year,
    IsoYear,
    Quarter,
    Month,
    Week,
    IsoWeek,
    MonthWeek,
    Day,
    StartOfWeek,
    Hour,
    Minute
};
// Throws ORA-01821 for a model that is not a unit; ORA-01898 for several units at once.
DateUnit parseDateUnit(std::string_view model);
DateTime truncDate(const DateTime& value, DateUnit unit);
DateTime roundDate(const DateTime& value, DateUnit unit);

// English names, as NLS_DATE_LANGUAGE AMERICAN has them (index 0 = January / Sunday), upper case.
extern const char* const monthNames[12];
extern const char* const dayNames[7];

} // namespace engine::fn

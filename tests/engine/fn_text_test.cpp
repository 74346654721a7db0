// Text functions through SQL, each case naming the Oracle behaviour it checks (Oracle SQL Reference examples where
// they exist).
#include "fn_sqlfixture.h"

TEST_F(FnSqlTest, SubstrCountsCharactersFromEitherEnd)
{
    check({
        { "SUBSTR('ABCDEFG',3,4) is CDEF", "ORA_SUBSTR('ABCDEFG',3,4)", "'CDEF'" },
        { "a negative position counts from the end: SUBSTR('ABCDEFG',-5,4) is CDEF", "ORA_SUBSTR('ABCDEFG',-5,4)",
            "'CDEF'" },
        { "position 0 is treated as 1", "ORA_SUBSTR('ABC',0,2)", "'AB'" },
        { "without a length, to the end", "ORA_SUBSTR('ABCDEFG',5)", "'EFG'" },
        { "a start beyond the end gives NULL", "ORA_SUBSTR('ABC',5)", "NULL" },
        { "a length below 1 gives NULL", "ORA_SUBSTR('ABC',2,0)", "NULL" },
        { "a negative start before the beginning gives NULL", "ORA_SUBSTR('ABC',-4)", "NULL" },
        { "fractional arguments are truncated", "ORA_SUBSTR('ABCDEF',2.9,2.9)", "'BC'" },
        { "characters, not bytes, in AL32UTF8", "ORA_SUBSTR('čšž',2,1)", "'š'" },
        { "NULL in gives NULL", "ORA_SUBSTR(NULL,1)", "NULL" },
        { "a number is converted to its text", "ORA_SUBSTR(12345,2,3)", "'234'" },
    });
}

TEST_F(FnSqlTest, InstrSearchesForwardAndBackward)
{
    check({
        { "INSTR('CORPORATE FLOOR','OR',3,2) is 14", "ORA_INSTR('CORPORATE FLOOR','OR',3,2)", "14" },
        { "a negative position searches backwards: INSTR('CORPORATE FLOOR','OR',-3,2) is 2",
            "ORA_INSTR('CORPORATE FLOOR','OR',-3,2)", "2" },
        { "backwards from the end finds the last occurrence", "ORA_INSTR('CORPORATE FLOOR','OR',-1)", "14" },
        { "default position 1, occurrence 1", "ORA_INSTR('CORPORATE FLOOR','OR')", "2" },
        { "not found is 0", "ORA_INSTR('abc','z')", "0" },
        { "position 0 finds nothing", "ORA_INSTR('abc','b',0)", "0" },
        { "occurrences may overlap", "ORA_INSTR('aaaa','aa',1,2)", "2" },
        { "occurrence must be positive", "ORA_INSTR('abc','b',1,0)", "ORA-01428: argument '0' is out of range" },
        { "positions count characters", "ORA_INSTR('ččx','x')", "3" },
        { "backwards over multibyte characters", "ORA_INSTR('čxčx','č',-1)", "3" },
        { "'' is NULL, so the result is NULL", "ORA_INSTR('abc',NULL)", "NULL" },
    });
}

TEST_F(FnSqlTest, LengthCountsCharacters)
{
    check({
        { "LENGTH('CANDIDE') is 7", "ORA_LENGTH('CANDIDE')", "7" },
        { "characters of AL32UTF8 text", "ORA_LENGTH('čšž')", "3" },
        { "LENGTH(NULL) is NULL", "ORA_LENGTH(NULL)", "NULL" },
        { "a number's text: LENGTH(0.5) is 2 ('.5')", "ORA_LENGTH(0.5)", "2" },
    });
}

TEST_F(FnSqlTest, CaseFunctionsHandleSlovenianLetters)
{
    check({
        { "UPPER of Unicode letters", "ORA_UPPER('čšž abc')", "'ČŠŽ ABC'" },
        { "LOWER of Unicode letters", "ORA_LOWER('ČŠŽ ABC')", "'čšž abc'" },
        { "INITCAP('the soap') is The Soap", "ORA_INITCAP('the SOAP')", "'The Soap'" },
        { "INITCAP capitalises Slovenian words", "ORA_INITCAP('čEŠNJA žaba')", "'Češnja Žaba'" },
        { "INITCAP: words end at characters that are not letters or digits", "ORA_INITCAP('o''neil-smith x1y')",
            "'O'Neil-Smith X1y'" },
        { "NULL stays NULL", "ORA_UPPER(NULL)", "NULL" },
    });
}

TEST_F(FnSqlTest, PaddingCutsAndFills)
{
    check({
        { "LPAD('Page 1',15,'*.') is '*.*.*.*.*Page 1'", "ORA_LPAD('Page 1',15,'*.')", "'*.*.*.*.*Page 1'" },
        { "RPAD('MORRISON',12,'ab') is 'MORRISONabab'", "ORA_RPAD('MORRISON',12,'ab')", "'MORRISONabab'" },
        { "blank is the default pad", "ORA_LPAD('x',3)", "'  x'" },
        { "longer text is cut to the length", "ORA_LPAD('abcdef',3)", "'abc'" },
        { "RPAD cuts the same way", "ORA_RPAD('abcdef',3)", "'abc'" },
        { "a length below 1 gives NULL", "ORA_LPAD('abc',0)", "NULL" },
        { "a NULL pad gives NULL", "ORA_RPAD('abc',5,NULL)", "NULL" },
        { "lengths in characters", "ORA_LPAD('č',3,'ž')", "'žžč'" },
    });
}

TEST_F(FnSqlTest, TrimFamilyRemovesCharactersAtTheEnds)
{
    check({
        { "TRIM removes blanks at both ends", "ORA_TRIM('  x y  ')", "'x y'" },
        { "TRIM(LEADING 'x' FROM ...)", "ORA_TRIM('xxaxx','LEADING','x')", "'axx'" },
        { "TRIM(TRAILING 'x' FROM ...)", "ORA_TRIM('xxaxx','TRAILING','x')", "'xxa'" },
        { "TRIM(BOTH 'x' FROM ...)", "ORA_TRIM('xxaxx','BOTH','x')", "'a'" },
        { "the trim character must be one character", "ORA_TRIM('abc','BOTH','ab')",
            "ORA-30001: trim set should have only one character" },
        { "all trimmed is '' which is NULL", "ORA_TRIM('   ')", "NULL" },
        { "LTRIM('<=====>BROWNING<=====>','<>=') is 'BROWNING<=====>'", "ORA_LTRIM('<=====>BROWNING<=====>','<>=')",
            "'BROWNING<=====>'" },
        { "RTRIM('BROWNING: ./=./=./=./=./=.=','/=.'): the blank before the set stays",
            "ORA_RTRIM('BROWNING: ./=./=./=./=./=.=','/=.')", "'BROWNING: '" },
        { "LTRIM with a set is case-sensitive", "ORA_LTRIM('xyxXxyLAST WORD','xy')", "'XxyLAST WORD'" },
        { "RTRIM of blanks by default", "ORA_RTRIM('ab  ')", "'ab'" },
        { "sets of multibyte characters", "ORA_RTRIM('abžčž','čž')", "'ab'" },
        { "a NULL set gives NULL", "ORA_LTRIM('abc',NULL)", "NULL" },
    });
}

TEST_F(FnSqlTest, ReplaceAndTranslate)
{
    check({
        { "REPLACE('JACK and JUE','J','BL') is 'BLACK and BLUE'", "ORA_REPLACE('JACK and JUE','J','BL')",
            "'BLACK and BLUE'" },
        { "without a replacement the search string is removed", "ORA_REPLACE('abcb','b')", "'ac'" },
        { "a NULL search string returns the text", "ORA_REPLACE('abc',NULL,'x')", "'abc'" },
        { "a NULL replacement removes", "ORA_REPLACE('abc','b',NULL)", "'ac'" },
        { "all removed is NULL", "ORA_REPLACE('aa','aa')", "NULL" },
        { "TRANSLATE('SQL*Plus User''s Guide', ' */''', '___') is 'SQL_Plus_Users_Guide'",
            "ORA_TRANSLATE('SQL*Plus User''s Guide', ' */''', '___')", "'SQL_Plus_Users_Guide'" },
        { "TRANSLATE with a NULL argument is NULL", "ORA_TRANSLATE('abc','abc',NULL)", "NULL" },
        { "TRANSLATE over multibyte characters", "ORA_TRANSLATE('čaša','čš','cs')", "'casa'" },
        { "the first mention of a character counts", "ORA_TRANSLATE('aa','aa','xy')", "'xx'" },
    });
}

TEST_F(FnSqlTest, ChrAndAsciiUseTheDatabaseCharacterSet)
{
    check({
        { "CHR(67) is C", "ORA_CHR(67)", "'C'" },
        { "ASCII('Q') is 81", "ORA_ASCII('Q')", "81" },
        { "ASCII of the first character only", "ORA_ASCII('QZ')", "81" },
        { "ASCII of č is its UTF-8 bytes as a number", "ORA_ASCII('č')", "50317" },
        { "CHR of those bytes is č again", "ORA_CHR(50317)", "'č'" },
        { "CHR(NULL) is NULL", "ORA_CHR(NULL)", "NULL" },
    });
}

TEST_F(FnSqlTest, ConcatenationSkipsNulls)
{
    check({
        { "NULL || 'a' is 'a'", "ORA_CONCAT(NULL,'a')", "'a'" },
        { "operands on both sides of a NULL", "ORA_CONCAT('a',NULL,'b')", "'ab'" },
        { "only NULL operands give NULL", "ORA_CONCAT(NULL,NULL)", "NULL" },
        { "a number is its default text", "ORA_CONCAT('x',0.5)", "'x.5'" },
        { "NVL2 returns the second argument when the first is not NULL", "ORA_NVL2(1,'a','b')", "'a'" },
        { "NVL2 returns the third when the first is NULL", "ORA_NVL2(NULL,'a','b')", "'b'" },
        { "NVL replaces NULL", "ORA_NVL(NULL,5)", "5" },
    });
}

TEST_F(FnSqlTest, GreatestAndLeastTakeTheTypeOfTheFirstArgument)
{
    check({
        { "GREATEST of numbers", "ORA_GREATEST(1,3,2)", "3" },
        { "LEAST of numbers", "ORA_LEAST(4,-1.5,2)", "-1.5" },
        { "GREATEST('HARRY','HARRIOT','HAROLD') is HARRY", "ORA_GREATEST('HARRY','HARRIOT','HAROLD')", "'HARRY'" },
        { "a NULL argument gives NULL", "ORA_LEAST(1,NULL)", "NULL" },
        { "first argument a number: text converts to a number", "ORA_GREATEST(1,'5')", "5" },
        { "first argument text: numbers compare as text ('9' > '10')", "ORA_GREATEST('10',9)", "'9'" },
        { "text that is no number fails when the first is a number", "ORA_GREATEST(1,'x')",
            "ORA-01722: invalid number" },
        { "dates compare in their stored form", "ORA_GREATEST('2026-01-02 00:00:00','2025-12-31 23:59:59')",
            "'2026-01-02 00:00:00'" },
    });
}

TEST_F(FnSqlTest, LikeIsCaseSensitiveWithEscape)
{
    check({
        { "% matches any run of characters", "ORA_LIKE('abc','a%')", "1" },
        { "LIKE is case-sensitive", "ORA_LIKE('ABC','a%')", "0" },
        { "_ matches exactly one character", "ORA_LIKE('abc','_b_')", "1" },
        { "_ does not match zero characters", "ORA_LIKE('ab','ab_')", "0" },
        { "_ matches one multibyte character", "ORA_LIKE('čšž','_š_')", "1" },
        { "backtracking over several %", "ORA_LIKE('mississippi','%iss%ipp%')", "1" },
        { "the whole text must match", "ORA_LIKE('abcd','abc')", "0" },
        { "an escaped % is a literal %", "ORA_LIKE('a%c','a\\%c','\\')", "1" },
        { "an escaped % does not match other characters", "ORA_LIKE('abc','a\\%c','\\')", "0" },
        { "the escape character escapes itself", "ORA_LIKE('a\\c','a\\\\c','\\')", "1" },
        { "escape before an ordinary character is ORA-01424", "ORA_LIKE('abc','a\\bc','\\')",
            "ORA-01424: missing or illegal character following the escape character" },
        { "escape at the end of the pattern is ORA-01424", "ORA_LIKE('abc','abc\\','\\')",
            "ORA-01424: missing or illegal character following the escape character" },
        { "the escape must be one character", "ORA_LIKE('abc','a%','ab')",
            "ORA-01425: escape character must be character string of length 1" },
        { "NULL text gives NULL", "ORA_LIKE(NULL,'%')", "NULL" },
    });
}

TEST_F(FnSqlTest, LikePatternFromEachRowIsNotTakenFromTheCache)
{
    // The compiled pattern is cached per statement; a pattern that changes per row must be compiled per row.
    EXPECT_EQ(query("SELECT ORA_LIKE(t, p) FROM (SELECT 'abc' t, 'a%' p UNION ALL SELECT 'abc', 'b%' "
                    "UNION ALL SELECT 'abc', '%c')"),
        "1|0|1");
}

TEST_F(FnSqlTest, EnvironmentFunctionsReadTheSession)
{
    check({
        { "USER is the session user", "ORA_USER()", "'SCOTT'" },
        { "UID is the user's id", "ORA_UID()", "42" },
        // Oracle: USERENV is VARCHAR2 for every parameter.
        { "USERENV('SESSIONID') is text", "ORA_USERENV('SESSIONID')", "'1234'" },
        { "USERENV('LANGUAGE')", "ORA_USERENV('language')", "'AMERICAN_AMERICA.AL32UTF8'" },
        { "USERENV('TERMINAL')", "ORA_USERENV('TERMINAL')", "'unknown'" },
        { "USERENV('INSTANCE')", "ORA_USERENV('INSTANCE')", "'1'" },
        { "an unknown USERENV parameter is ORA-02003", "ORA_USERENV('XYZ')", "ORA-02003: invalid USERENV parameter" },
        { "SYS_CONTEXT('USERENV','SESSION_USER')", "ORA_SYS_CONTEXT('userenv','session_user')", "'SCOTT'" },
        { "SYS_CONTEXT('USERENV','CURRENT_SCHEMA')", "ORA_SYS_CONTEXT('USERENV','CURRENT_SCHEMA')", "'VOXA'" },
        { "SYS_CONTEXT('USERENV','DB_NAME')", "ORA_SYS_CONTEXT('USERENV','DB_NAME')", "'DREMMOX'" },
        { "SYS_CONTEXT('USERENV','HOST')", "ORA_SYS_CONTEXT('USERENV','HOST')", "'buildhost'" },
        { "SYS_CONTEXT('USERENV','OS_USER')", "ORA_SYS_CONTEXT('USERENV','OS_USER')", "'dev'" },
        { "SYS_CONTEXT('USERENV','SESSIONID') is text", "ORA_SYS_CONTEXT('USERENV','SESSIONID')", "'1234'" },
        { "SYS_CONTEXT('USERENV','INSTANCE_NAME')", "ORA_SYS_CONTEXT('USERENV','INSTANCE_NAME')", "'dremmox'" },
        { "the length argument cuts the value", "ORA_SYS_CONTEXT('USERENV','SESSION_USER',2)", "'SC'" },
        { "an unknown USERENV attribute is ORA-02003", "ORA_SYS_CONTEXT('USERENV','NOPE')",
            "ORA-02003: invalid USERENV parameter" },
        { "an unset application context attribute is NULL", "ORA_SYS_CONTEXT('MY_CTX','X')", "NULL" },
    });
}

TEST_F(FnSqlTest, EnvironmentFollowsChangesOfTheContext)
{
    context.currentSchema = "BILDOR";
    EXPECT_EQ(eval("ORA_SYS_CONTEXT('USERENV','CURRENT_SCHEMA')"), "'BILDOR'");
}

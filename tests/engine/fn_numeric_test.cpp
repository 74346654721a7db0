// Numeric functions and number conversions through SQL, each case naming the Oracle behaviour it checks.
#include "fn_sqlfixture.h"

TEST_F(FnSqlTest, RoundAndTruncOfNumbers)
{
    check({
        { "ROUND(15.193,1) is 15.2", "ORA_ROUND_NUMBER(15.193,1)", "15.2" },
        { "ROUND(15.193,-1) is 20", "ORA_ROUND_NUMBER(15.193,-1)", "20" },
        { "halves round away from zero", "ORA_ROUND_NUMBER(2.5)", "3" },
        { "negative halves round away from zero", "ORA_ROUND_NUMBER(-2.5)", "-3" },
        { "decimal rounding: ROUND(1.005,2) is 1.01", "ORA_ROUND_NUMBER(1.005,2)", "1.01" },
        { "integers to tens", "ORA_ROUND_NUMBER(1250,-2)", "1300" },
        { "negative integers to tens", "ORA_ROUND_NUMBER(-1250,-2)", "-1300" },
        { "TRUNC(15.79,1) is 15.7", "ORA_TRUNC_NUMBER(15.79,1)", "15.7" },
        { "TRUNC(15.79,-1) is 10", "ORA_TRUNC_NUMBER(15.79,-1)", "10" },
        { "TRUNC goes toward zero", "ORA_TRUNC_NUMBER(-2.7)", "-2" },
        { "digits are truncated to an integer", "ORA_ROUND_NUMBER(1.2345,2.9)", "1.23" },
        { "a text argument converts", "ORA_ROUND_NUMBER('2.45',1)", "2.5" },
        { "NULL digits give NULL", "ORA_ROUND_NUMBER(1.5,NULL)", "NULL" },
    });
}

TEST_F(FnSqlTest, ModKeepsTheSignOfTheDividend)
{
    check({
        { "MOD(11,4) is 3", "ORA_MOD(11,4)", "3" },
        { "MOD(11,-4) is 3", "ORA_MOD(11,-4)", "3" },
        { "MOD(-11,4) is -3", "ORA_MOD(-11,4)", "-3" },
        { "MOD(-11,-4) is -3", "ORA_MOD(-11,-4)", "-3" },
        { "MOD(m,0) is m", "ORA_MOD(11,0)", "11" },
        { "fractions", "ORA_MOD(5.5,2)", "1.5" },
        { "decimal fractions come out exact", "ORA_MOD(1.1,0.1)", "0" },
    });
}

TEST_F(FnSqlTest, MathematicalFunctions)
{
    check({
        { "FLOOR(15.7) is 15", "ORA_FLOOR(15.7)", "15" },
        { "FLOOR(-15.7) is -16", "ORA_FLOOR(-15.7)", "-16" },
        { "CEIL(15.7) is 16", "ORA_CEIL(15.7)", "16" },
        { "CEIL(-15.7) is -15", "ORA_CEIL(-15.7)", "-15" },
        { "POWER(3,2) is 9", "ORA_POWER(3,2)", "9" },
        { "POWER with a negative exponent", "ORA_POWER(2,-1)", "0.5" },
        { "a negative base needs an integer exponent", "ORA_POWER(-2,0.5)",
            "ORA-01428: argument '-2' is out of range" },
        { "SIGN(-15) is -1", "ORA_SIGN(-15)", "-1" },
        { "SIGN(0) is 0", "ORA_SIGN(0)", "0" },
        { "ABS(-15) is 15", "ORA_ABS(-15)", "15" },
        { "SQRT(26) is 5.09901951...", "ORA_SQRT(26)", "5.09901951359278" },
        { "SQRT of a negative number is ORA-01428", "ORA_SQRT(-1)", "ORA-01428: argument '-1' is out of range" },
        { "EXP(4) is 54.59815...", "ORA_EXP(4)", "54.5981500331442" },
        { "LN(95) is 4.55387689...", "ORA_LN(95)", "4.55387689160054" },
        { "LN(0) is ORA-01428", "ORA_LN(0)", "ORA-01428: argument '0' is out of range" },
        { "LOG(10,100) is 2", "ORA_LOG(10,100)", "2" },
        { "LOG base 1 is ORA-01428", "ORA_LOG(1,100)", "ORA-01428: argument '1' is out of range" },
        { "division is exact, not integer division", "ORA_DIVIDE(7,2)", "3.5" },
        { "whole quotients stay integers", "ORA_DIVIDE(6,3)", "2" },
        { "a zero divisor is ORA-01476", "ORA_DIVIDE(1,0)", "ORA-01476: divisor is equal to zero" },
        { "text that is no number is ORA-01722", "ORA_ABS('x')", "ORA-01722: invalid number" },
    });
}

TEST_F(FnSqlTest, NumberToTextWithAndWithoutModel)
{
    check({
        { "default text drops the leading zero: 0.5 is .5", "ORA_TO_CHAR_NUMBER(0.5)", "'.5'" },
        { "-0.5 is -.5", "ORA_TO_CHAR_NUMBER(-0.5)", "'-.5'" },
        { "1e20 in full", "ORA_TO_CHAR_NUMBER(1e20)", "'100000000000000000000'" },
        { "1/3 to Oracle's 40 digits", "ORA_TO_CHAR_NUMBER(ORA_DIVIDE(1,3))", "'.3333333333333333333333333333333333333333'" },
        { "integers exactly", "ORA_TO_CHAR_NUMBER(9223372036854775807)", "'9223372036854775807'" },
        { "with a model: leading blank for the sign", "ORA_TO_CHAR_NUMBER(1234.5,'9,999.99')", "' 1,234.50'" },
        { "FM removes the blanks", "ORA_TO_CHAR_NUMBER(1234.5,'FM9,999.99')", "'1,234.5'" },
        { "overflow shows #", "ORA_TO_CHAR_NUMBER(1234,'99')", "'###'" },
        { "an invalid model is ORA-01481", "ORA_TO_CHAR_NUMBER(5,'99A')", "ORA-01481: invalid number format model" },
        { "a NULL model gives NULL", "ORA_TO_CHAR_NUMBER(5,NULL)", "NULL" },
    });
}

TEST_F(FnSqlTest, TextToNumberWithAndWithoutModel)
{
    check({
        { "blanks around a number are allowed", "ORA_TO_NUMBER(' 12 ')", "12" },
        { "exponent notation", "ORA_TO_NUMBER('1e3')", "1000" },
        { "a leading point", "ORA_TO_NUMBER('-.5')", "-0.5" },
        { "a group separator needs a model", "ORA_TO_NUMBER('1,000')", "ORA-01722: invalid number" },
        { "letters are ORA-01722", "ORA_TO_NUMBER('abc')", "ORA-01722: invalid number" },
        { "a number stays as it is", "ORA_TO_NUMBER(2.5)", "2.5" },
        { "with a model: currency and groups", "ORA_TO_NUMBER('$1,234.50','$9,999.99')", "1234.5" },
        { "MI: trailing minus", "ORA_TO_NUMBER('1234-','9999MI')", "-1234" },
        { "PR: angle brackets", "ORA_TO_NUMBER('<12>','99PR')", "-12" },
        { "X: hexadecimal", "ORA_TO_NUMBER('FF','XX')", "255" },
        { "more digits than the model is ORA-01722", "ORA_TO_NUMBER('12345','999')", "ORA-01722: invalid number" },
        { "more decimals than the model is ORA-01722", "ORA_TO_NUMBER('1.234','9.99')", "ORA-01722: invalid number" },
    });
}

TEST_F(FnSqlTest, NumberModelFromEachRowIsParsedForThatRow)
{
    EXPECT_EQ(query("SELECT ORA_TO_CHAR_NUMBER(n, f) FROM (SELECT 5 n, '009' f UNION ALL SELECT 5, 'FM9.90' "
                    "UNION ALL SELECT 255, 'XX')"),
        "' 005'|'5.00'|' FF'");
}

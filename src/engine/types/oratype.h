// The type of an expression as Oracle sees it (type, size, precision, scale, nullability) and Oracle's rules that
// combine types: implicit conversion, comparison, arithmetic, concatenation, CASE/DECODE/NVL and set operators.
#pragma once

#include "engine/engine.h"

#include <optional>
#include <string>

namespace engine::types {

// Oracle's default lengths where a declaration leaves them out.
inline constexpr int kMaxVarchar2 = 4000;
inline constexpr int kDateDisplaySize = 7; // a DATE is 7 bytes in Oracle's describe

struct ExprType {
    OraType type = OraType::Varchar2;
    int size = 0; // characters for text, bytes for RAW; 0 when unknown
    int precision = 0; // NUMBER(p,s): 0 when not declared
    int scale = 0;
    bool scaleDeclared = false; // NUMBER(p) has scale 0 declared; plain NUMBER has none
    // VARCHAR2(n)/CHAR(n) of byte semantics (Oracle's default, or n BYTE): size counts bytes of the stored text.
    // The catalog sets it for such columns; false means character semantics (n CHAR).
    bool byteSemantics = false;
    bool nullable = true;
    // The literal NULL (or ''): it takes whatever type its context gives it.
    bool isNull = false;
    // A character literal: compares blank-padded against a CHAR.
    bool isTextLiteral = false;
    // A bind variable: its type is known only at execute time; the executor converts the value to the type the
    // context expects.
    bool isBind = false;

    static ExprType number(int precision = 0, int scale = 0, bool scaleDeclared = false);
    static ExprType varchar2(int size = kMaxVarchar2);
    static ExprType charType(int size);
    static ExprType date();
    static ExprType rowid();
    static ExprType nullLiteral();
    static ExprType textLiteral(int size);
    static ExprType bind();
};

// Oracle's datatype families: what may be compared or combined without an explicit conversion.
enum class Family { Character, Numeric, Datetime, Binary, LargeObject, Rowid, Other, Interval };
Family familyOf(OraType t);
bool isCharacter(OraType t);

// Oracle's name of a type in messages ("NUMBER", "CHAR", "DATE", "BINARY", "CLOB", ...): what ORA-00932 says.
std::string oracleTypeName(OraType t);

// What the emitter must do to an operand so two operands compare as Oracle compares them.
enum class Conversion { None, ToNumber, ToDate, ToChar };

struct ComparisonPlan {
    Conversion left = Conversion::None;
    Conversion right = Conversion::None;
    // Both sides are CHAR, or a CHAR and a text literal: trailing blanks do not count.
    bool blankPadded = false;
};

// Oracle's rules for a comparison between a and b:
// number vs text converts the text to number, date vs text converts the text to date under NLS_DATE_FORMAT,
// CHAR vs CHAR or CHAR vs literal compares blank-padded. std::nullopt (ORA-00932) when the families cannot meet,
// e.g. a date against a number.
std::optional<ComparisonPlan> planComparison(const ExprType& a, const ExprType& b);

// The conversion that brings a value of type `from` to type `to` implicitly, or std::nullopt when Oracle refuses
// (ORA-00932).
std::optional<Conversion> implicitConversion(const ExprType& from, OraType to);

// Arithmetic: + - * / on numbers; date + number, number + date, date - number give a DATE; date - date gives a
// NUMBER; text operands are converted to NUMBER. std::nullopt when Oracle refuses (ORA-00932; ORA-00975 date+date
// is reported by the binder).
enum class ArithmeticKind { Number, DatePlusDays, DaysPlusDate, DateMinusDays, DateMinusDate };
struct ArithmeticPlan {
    ArithmeticKind kind = ArithmeticKind::Number;
    Conversion left = Conversion::None;
    Conversion right = Conversion::None;
    ExprType result;
};
std::optional<ArithmeticPlan> planArithmetic(char op, const ExprType& a, const ExprType& b);

// a || b: VARCHAR2 of the summed lengths (CLOB when either is a CLOB); numbers and dates are converted to text.
ExprType concatResult(const ExprType& a, const ExprType& b);

// The result type of CASE, DECODE, NVL, COALESCE, GREATEST...: the first non-NULL result decides, as in Oracle.
// For CASE and COALESCE every other result must be in the same family (ORA-00932 otherwise), for DECODE and NVL
// the others are converted to it.
ExprType firstResultType(const ExprType* const* results, int count);

// Two corresponding columns of UNION/INTERSECT/MINUS: the combined type, or std::nullopt for ORA-01790.
std::optional<ExprType> setOperationColumn(const ExprType& a, const ExprType& b);

// The type a column declared in DDL stores, for result descriptions.
ColumnDesc describe(const std::string& name, const ExprType& t);

} // namespace engine::types

// PL/SQL's types as the compiler resolves them: scalars with their constraints, records, collections (associative
// arrays, nested tables, VARRAYs) and REF CURSORs.
#pragma once

#include "engine/engine.h"
#include "engine/types/oratype.h"

#include <memory>
#include <string>
#include <vector>

namespace engine::plsql {

enum class PlKind { Number, Varchar2, Char, Date, Boolean, Long, Clob, Blob, Raw, Rowid, Record, Table, RefCursor };

// The three kinds of collection: an associative array (INDEX BY), a nested table, a VARRAY.
enum class CollKind { Assoc, Nested, Varray };

struct RecordDef;

struct PlType {
    PlKind kind = PlKind::Varchar2;
    int size = 0; // VARCHAR2/CHAR/RAW length; 0 = the type's maximum
    int precision = 0; // NUMBER(p,s)
    int scale = 0;
    bool scaleDeclared = false;
    bool integerOnly = false; // PLS_INTEGER, BINARY_INTEGER, INTEGER: values are rounded to integers
    bool notNull = false;
    std::shared_ptr<const RecordDef> record; // Record
    std::shared_ptr<const PlType> element; // Table
    bool indexByText = false; // Table INDEX BY VARCHAR2
    CollKind coll = CollKind::Assoc; // Table
    int64_t limit = 0; // VARRAY(n)
    // PLS_INTEGER and its subtypes: values outside -2147483648 .. 2147483647 are ORA-01426, and a range subtype's
    // bounds (NATURAL, POSITIVE, SIGNTYPE) are ORA-06502.
    bool plsInteger = false;
    int64_t rangeLow = 0, rangeHigh = 0; // rangeLow < rangeHigh when the subtype has a range
    std::string name; // a user type's name, for messages
    // Who the declared record or collection type is: values of a collection type are assigned only to variables of
    // the same type, as Oracle checks. Empty for types without a declaration (a %ROWTYPE, a cursor's row).
    std::string typeKey;

    static PlType of(PlKind k)
    {
        PlType t;
        t.kind = k;
        return t;
    }
    static PlType number() { return of(PlKind::Number); }
    static PlType varchar2(int size = 0)
    {
        PlType t = of(PlKind::Varchar2);
        t.size = size;
        return t;
    }
    static PlType date() { return of(PlKind::Date); }
    static PlType boolean() { return of(PlKind::Boolean); }
    static PlType integer()
    {
        PlType t = of(PlKind::Number);
        t.integerOnly = true;
        return t;
    }
    bool isScalar() const { return kind != PlKind::Record && kind != PlKind::Table && kind != PlKind::RefCursor; }
    bool isCollection() const { return kind == PlKind::Table; }
    // A nested table or VARRAY: atomically NULL until constructed, indexed 1 .. its size.
    bool isDenseCollection() const { return kind == PlKind::Table && coll != CollKind::Assoc; }
    bool isText() const
    {
        return kind == PlKind::Varchar2 || kind == PlKind::Char || kind == PlKind::Long || kind == PlKind::Clob
            || kind == PlKind::Rowid;
    }
};

struct RecordDef {
    std::vector<std::string> names;
    std::vector<PlType> types;
    int find(const std::string& n) const
    {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == n)
                return static_cast<int>(i);
        return -1;
    }
};

// The engine's type of a PL/SQL scalar, for SQL binds and column comparisons.
types::ExprType sqlTypeOf(const PlType& t);
// A PL/SQL scalar type for a column or expression type of SQL.
PlType plTypeOf(const types::ExprType& t);
PlType plTypeOf(const ColumnDesc& c);
OraType oraTypeOf(const PlType& t);
// Oracle's name of the type in messages (NUMBER, VARCHAR2, BOOLEAN ...).
std::string typeName(const PlType& t);

} // namespace engine::plsql

// Building blocks of the fixed objects' definitions: a column with its Oracle type and the SQLite expression that
// gives it, and the ALL_/USER_/DBA_ trio of a dictionary view made from one definition.
#pragma once

#include "engine/dict/fixed.h"

#include <set>
#include <string>
#include <vector>

namespace engine::dict::detail {

// A column of a fixed object. An empty expression is NULL; a name ending in '!' is NOT NULL in the describe.
struct Col {
    std::string name;
    types::ExprType type;
    std::string expr;
};

types::ExprType vc(int size); // VARCHAR2(size)
types::ExprType num(); // NUMBER
types::ExprType date(); // DATE
types::ExprType longText(); // LONG
types::ExprType raw(int size); // RAW(size)

// A text literal for SQL ('it''s').
std::string lit(const std::string& text);

// A fixed object from its columns and what follows the select list ("FROM ... WHERE ...").
FixedObject makeFixed(const std::string& name, const std::vector<Col>& cols, const std::string& fromWhere,
    FixedAccess access = FixedAccess::Public, int objectType = 4, bool publicSynonym = true);

// One dictionary view in Oracle's three forms. `from` is the FROM clause, `where` the condition every form shares
// (may be empty). The forms filter:
//   DBA_  nothing (SELECT ANY DICTIONARY);
//   ALL_  `allFilter`, by default owned by the current schema or visible through a privilege;
//   USER_ `userFilter`, by default owned by the current schema; the columns in `userDrops` are left out.
struct ViewTrio {
    std::string suffix; // "TABLES"
    std::vector<Col> cols;
    std::string from;
    std::string where;
    std::string ownerIdExpr; // the owner's USER# ("o.\"OWNER#\"")
    std::string objectIdExpr; // the object the privileges are checked on ("o.\"OBJ#\"")
    std::set<std::string> userDrops = { "OWNER" };
    std::string allFilter; // empty: the default
    std::string userFilter; // empty: the default
    bool withUser = true;
    bool withAll = true;
};
void addTrio(std::vector<FixedObject>& out, const ViewTrio& v);
// The three forms of a view whose rows the catalog does not keep: Oracle's columns and no rows.
void addEmptyTrio(std::vector<FixedObject>& out, std::string suffix, std::vector<Col> cols);

// SQL pieces the views share.
// Functions the dictionary family registers on each session connection:
//   ORA_DICT_SCHEMA_ID()  the current schema's USER# (Oracle's USERENV('SCHEMAID'))
//   ORA_DICT_ACCESS()     1 when the session may read the dictionary (SYS, SYSDBA, SELECT ANY DICTIONARY)
inline constexpr const char* kSchemaId = "ORA_DICT_SCHEMA_ID()";
inline constexpr const char* kDictionaryAccess = "ORA_DICT_ACCESS()";
// The text that stands for every fixed object as a row source with columns OBJ#, NAME, TYPE#, ACCESS (0 public,
// 1 dictionary), SYN (1 when reachable through a PUBLIC synonym); replaced when the view is made.
inline constexpr const char* kFixedObjectsToken = "{FIXED_OBJECTS}";

// OBJECT_TYPE of an OBJ$.TYPE# expression, as Oracle names it.
std::string objectTypeName(const std::string& typeExpr);
// DATA_TYPE, DATA_LENGTH, CHAR_LENGTH ... of a COL$ row aliased `c`.
std::string dataTypeName(const std::string& c);
std::string dataLength(const std::string& c);
std::string charLength(const std::string& c);
std::string charTypeCondition(const std::string& c); // VARCHAR2 or CHAR
// A DATE column's text as Oracle's TIMESTAMP column of ALL_OBJECTS shows it ('YYYY-MM-DD:HH24:MI:SS').
std::string timestampText(const std::string& dateExpr);

// The parts of the family, one per file.
void addCatalogTables(std::vector<FixedObject>& out);
void addObjectViews(std::vector<FixedObject>& out);
void addConstraintViews(std::vector<FixedObject>& out);
void addSchemaViews(std::vector<FixedObject>& out);
void addCodeViews(std::vector<FixedObject>& out);
void addTypeViews(std::vector<FixedObject>& out);
void addSpaceViews(std::vector<FixedObject>& out);

} // namespace engine::dict::detail

// Oracle's message texts for the errors the engine raises, as SQLERRM(n) returns them: the text of the message
// file with its arguments left empty, as Oracle leaves them when no error supplies them.
#include "engine/plsql/error_messages.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace engine::plsql {

namespace {

struct Message {
    int code;
    const char* text;
};

// Sorted by code.
constexpr Message kMessages[] = {
    { 1, "unique constraint (.) violated" },
    { 26, "missing or invalid session ID" },
    { 27, "cannot kill current session" },
    { 28, "your session has been killed" },
    { 31, "session marked for kill" },
    { 54, "resource busy and acquire with NOWAIT specified or timeout expired" },
    { 60, "deadlock detected while waiting for resource" },
    { 900, "invalid SQL statement" },
    { 902, "invalid datatype" },
    { 904, ": invalid identifier" },
    { 906, "missing left parenthesis" },
    { 907, "missing right parenthesis" },
    { 913, "too many values" },
    { 920, "invalid relational operator" },
    { 932, "inconsistent datatypes: expected  got " },
    { 933, "SQL command not properly ended" },
    { 942, "table or view does not exist" },
    { 947, "not enough values" },
    { 955, "name is already used by an existing object" },
    { 957, "duplicate column name" },
    { 969, "missing ON keyword" },
    { 972, "identifier is too long" },
    { 980, "synonym translation is no longer valid" },
    { 990, "missing or invalid privilege" },
    { 998, "must name this expression with a column alias" },
    { 1001, "invalid cursor" },
    { 1006, "bind variable does not exist" },
    { 1008, "not all variables bound" },
    { 1012, "not logged on" },
    { 1013, "user requested cancel of current operation" },
    { 1017, "invalid username/password; logon denied" },
    { 1027, "bind variables not allowed for data definition operations" },
    { 1031, "insufficient privileges" },
    { 1035, "ORACLE only available to users with RESTRICTED SESSION privilege" },
    { 1086, "savepoint '' never established in this session or is invalid" },
    { 1400, "cannot insert NULL into ()" },
    { 1403, "no data found" },
    { 1407, "cannot update () to NULL" },
    { 1408, "such column list already indexed" },
    { 1410, "invalid ROWID" },
    { 1418, "specified index does not exist" },
    { 1422, "exact fetch returns more than requested number of rows" },
    { 1424, "missing or illegal character following the escape character" },
    { 1425, "escape character must be character string of length 1" },
    { 1426, "numeric overflow" },
    { 1428, "argument '0' is out of range" },
    { 1430, "column being added already exists in table" },
    { 1432, "public synonym to be dropped does not exist" },
    { 1434, "private synonym to be dropped does not exist" },
    { 1435, "user does not exist" },
    { 1438, "value larger than specified precision allowed for this column" },
    { 1439, "column to be modified must be empty to change datatype" },
    { 1440, "column to be modified must be empty to decrease precision or scale" },
    { 1441, "cannot decrease column length because some value is too big" },
    { 1442, "column to be modified to NOT NULL is already NOT NULL" },
    { 1449, "column contains NULL values; cannot alter to NOT NULL" },
    { 1451, "column to be modified to NULL cannot be modified to NULL" },
    { 1452, "cannot CREATE UNIQUE INDEX; duplicate keys found" },
    { 1453, "SET TRANSACTION must be first statement of transaction" },
    { 1456, "may not perform insert/delete/update operation inside a READ ONLY transaction" },
    { 1465, "invalid hex number" },
    { 1471, "cannot create a synonym with same name as object" },
    { 1476, "divisor is equal to zero" },
    { 1481, "invalid number format model" },
    { 1498, "block check failure - see trace file" },
    { 1499, "table/index cross reference failure - see trace file" },
    { 1702, "a view is not appropriate here" },
    { 1711, "duplicate privilege listed" },
    { 1722, "invalid number" },
    { 1723, "zero-length columns are not allowed" },
    { 1727, "numeric precision specifier is out of range (1 to 38)" },
    { 1728, "numeric scale specifier is out of range (-84 to 127)" },
    { 1730, "invalid number of column names specified" },
    { 1749, "you may not GRANT/REVOKE privileges to/from yourself" },
    { 1750, "UPDATE/REFERENCES may only be REVOKEd from the whole table, not by column" },
    { 1754, "a table may contain only one column of type LONG" },
    { 1758, "table must be empty to add mandatory (NOT NULL) column" },
    { 1775, "looping chain of synonyms" },
    { 1792, "maximum number of columns in a table or view is 1000" },
    { 1841, "(full) year must be between -4713 and +9999, and not be 0" },
    { 1843, "not a valid month" },
    { 1847, "day of month must be between 1 and last day of month" },
    { 1850, "hour must be between 0 and 23" },
    { 1851, "minutes must be between 0 and 59" },
    { 1852, "seconds must be between 0 and 59" },
    { 1858, "a non-numeric character was found where a numeric was expected" },
    { 1926, "cannot GRANT to a role WITH GRANT OPTION" },
    { 1927, "cannot REVOKE privileges you did not grant" },
    { 1934, "circular role grant detected" },
    { 1938, "IDENTIFIED BY must be specified for CREATE USER" },
    { 1940, "cannot drop a user that is currently connected" },
    { 1981, "CASCADE CONSTRAINTS must be specified to perform this revoke" },
    { 2003, "invalid USERENV parameter" },
    { 2011, "duplicate database link name" },
    { 2019, "connection description for remote database not found" },
    { 2021, "DDL operations are not allowed on a remote database" },
    { 2024, "database link not found" },
    { 2049, "timeout: distributed transaction waiting for lock" },
    { 2065, "illegal option for ALTER SYSTEM" },
    { 2095, "specified initialization parameter cannot be modified" },
    { 2096, "specified initialization parameter is not modifiable with this option" },
    { 2204, "ALTER, INDEX and EXECUTE not allowed for views" },
    { 2205, "only SELECT and ALTER privileges are valid for sequences" },
    { 2224, "EXECUTE privilege not allowed for tables" },
    { 2225, "only EXECUTE and DEBUG privileges are valid for procedures" },
    { 2248, "invalid option for ALTER SESSION" },
    { 2256, "number of referencing columns must match referenced columns" },
    { 2260, "table can have only one primary key" },
    { 2261, "such unique or primary key already exists in the table" },
    { 2264, "name already used by an existing constraint" },
    { 2266, "unique/primary keys in table referenced by enabled foreign keys" },
    { 2268, "referenced table does not have a primary key" },
    { 2270, "no matching unique or primary key for this column-list" },
    { 2273, "this unique/primary key is referenced by some foreign keys" },
    { 2283, "cannot alter starting sequence number" },
    { 2289, "sequence does not exist" },
    { 2290, "check constraint (.) violated" },
    { 2291, "integrity constraint (.) violated - parent key not found" },
    { 2292, "integrity constraint (.) violated - child record found" },
    { 2402, "PLAN_TABLE not found" },
    { 2403, "plan table does not have correct format" },
    { 2429, "cannot drop index used for enforcement of unique/primary key" },
    { 2432, "cannot enable primary key - primary key not defined for table" },
    { 2433, "cannot disable primary key - primary key not defined for table" },
    { 2436, "date or system variable wrongly specified in CHECK constraint" },
    { 2438, "Column check constraint cannot reference other columns" },
    { 2441, "Cannot drop nonexistent primary key" },
    { 2442, "Cannot drop nonexistent unique key" },
    { 2443, "Cannot drop constraint  - nonexistent constraint" },
    { 2449, "unique/primary keys in table referenced by foreign keys" },
    { 3001, "unimplemented feature" },
    { 4002, "INCREMENT must be a non-zero integer" },
    { 4004, "MINVALUE must be less than MAXVALUE" },
    { 4006, "START WITH cannot be less than MINVALUE" },
    { 4008, "START WITH cannot be more than MAXVALUE" },
    { 4009, "MAXVALUE cannot be made to be less than the current value" },
    { 4010, "the number of values to CACHE must be greater than 1" },
    { 4013, "number to CACHE must be less than one cycle" },
    { 4061, "existing state of  has been invalidated" },
    { 4063, " has errors" },
    { 4065, "not executed, altered or dropped " },
    { 4068, "existing state of packages has been discarded" },
    { 4076, "invalid NEW or OLD specification" },
    { 4077, "WHEN clause cannot be used with table level triggers" },
    { 4079, "invalid trigger specification" },
    { 4082, "NEW or OLD references not allowed in table level triggers" },
    { 4084, "cannot change NEW values for this trigger type" },
    { 4085, "cannot change the value of an OLD reference variable" },
    { 4088, "error during execution of trigger '.'" },
    { 4089, "cannot create triggers on objects owned by SYS" },
    { 4091, "table . is mutating, trigger/function may not see it" },
    { 4092, "cannot  in a trigger" },
    { 6500, "PL/SQL: storage error" },
    { 6502, "PL/SQL: numeric or value error" },
    { 6503, "PL/SQL: Function returned without value" },
    { 6504, "PL/SQL: Return types of Result Set variables or query do not match" },
    { 6508, "PL/SQL: could not find program unit being called" },
    { 6510, "PL/SQL: unhandled user-defined exception" },
    { 6511, "PL/SQL: cursor already open" },
    { 6512, "at " },
    { 6519, "active autonomous transaction detected and rolled back" },
    { 6530, "Reference to uninitialized composite" },
    { 6531, "Reference to uninitialized collection" },
    { 6532, "Subscript outside of limit" },
    { 6533, "Subscript beyond count" },
    { 6592, "CASE not found while executing CASE statement" },
    { 8002, "sequence .CURRVAL is not yet defined in this session" },
    { 12899, "value too large for column  (actual: , maximum: )" },
    { 12983, "cannot drop all columns in a table" },
    { 12991, "column is referenced in a multi-column constraint" },
    { 12992, "cannot drop parent key column" },
    { 14501, "object is not partitioned" },
    { 14508, "specified VALIDATE INTO table not found" },
    { 14509, "specified VALIDATE INTO table form incorrect" },
    { 14551, "cannot perform a DML operation inside a query " },
    { 14552, "cannot perform a DDL, commit or rollback inside a query or DML " },
    { 21000, "error number argument to raise_application_error of  is out of range" },
    { 22165, "given index [] must be in the range of [] to []" },
    { 22816, "unsupported feature with RETURNING clause" },
    { 24381, "error(s) in array DML" },
    { 25001, "cannot create this trigger type on views" },
    { 25002, "cannot create INSTEAD OF triggers on tables" },
    { 27411, "Empty or NULL string is not a valid repeat interval." },
    { 27415, "repeat interval or calendar must start with a frequency clause" },
    { 27416, "BYDAY clause in repeat interval or calendar contains an invalid weekday" },
    { 27417, "BYWEEKNO clause requires YEARLY clause" },
    { 27418, "syntax error in repeat interval or calendar" },
    { 27419, "unable to determine valid execution date from repeat interval" },
    { 28000, "the account is locked" },
    { 30001, "trim set should have only one character" },
    { 30006, "resource busy; acquire with WAIT timeout expired" },
};

std::string oraPrefix(int64_t code)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "ORA-%05lld", static_cast<long long>(code));
    return buf;
}

} // namespace

std::optional<std::string_view> oracleMessageText(int64_t code)
{
    auto it = std::lower_bound(
        std::begin(kMessages), std::end(kMessages), code, [](const Message& m, int64_t c) { return m.code < c; });
    if (it == std::end(kMessages) || it->code != code)
        return std::nullopt;
    return std::string_view(it->text);
}

std::string sqlErrorMessage(int64_t code)
{
    if (code == 0)
        return "ORA-0000: normal, successful completion";
    if (code == 100)
        code = -1403;
    if (code > 0)
        return std::to_string(-code) + ": non-ORACLE exception";
    const int64_t n = -code;
    if (n >= 20000 && n <= 20999)
        return oraPrefix(n) + ": ";
    if (auto text = oracleMessageText(n))
        return oraPrefix(n) + ": " + std::string(*text);
    return oraPrefix(n) + ": Message " + std::to_string(n) + " not found;  product=RDBMS; facility=ORA";
}

} // namespace engine::plsql

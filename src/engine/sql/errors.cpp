// Oracle's message texts for the errors the SQL front end raises, worded exactly as the server words them.
#include "engine/sql/parser.h"

#include <cstdio>

namespace engine::sql {

namespace {

struct Message {
    int code;
    const char* text;
};

constexpr Message Messages[] = {
    { 26, "missing or invalid session ID" },
    { 900, "invalid SQL statement" },
    { 901, "invalid CREATE command" },
    { 902, "invalid datatype" },
    { 903, "invalid table name" },
    { 905, "missing keyword" },
    { 906, "missing left parenthesis" },
    { 907, "missing right parenthesis" },
    { 908, "missing NULL keyword" },
    { 909, "invalid number of arguments" },
    { 910, "specified length too long for its datatype" },
    { 911, "invalid character" },
    { 913, "too many values" },
    { 914, "missing ADD keyword" },
    { 917, "missing comma" },
    { 919, "invalid function" },
    { 920, "invalid relational operator" },
    { 921, "unexpected end of SQL command" },
    { 922, "missing or invalid option" },
    { 923, "FROM keyword not found where expected" },
    { 924, "missing BY keyword" },
    { 925, "missing INTO keyword" },
    { 926, "missing VALUES keyword" },
    { 927, "missing equal sign" },
    { 928, "missing SELECT keyword" },
    { 929, "missing period" },
    { 930, "missing asterisk" },
    { 931, "missing identifier" },
    { 933, "SQL command not properly ended" },
    { 936, "missing expression" },
    { 939, "too many arguments for function" },
    { 940, "invalid ALTER command" },
    { 946, "missing TO keyword" },
    { 947, "not enough values" },
    { 950, "invalid DROP option" },
    { 953, "missing or invalid index name" },
    { 954, "missing IDENTIFIED keyword" },
    { 957, "duplicate column name" },
    { 966, "missing TABLE keyword" },
    { 969, "missing ON keyword" },
    { 970, "missing WITH keyword" },
    { 971, "missing SET keyword" },
    { 972, "identifier is too long" },
    { 984, "column not allowed here" },
    { 987, "missing or invalid username(s)" },
    { 988, "missing or invalid password(s)" },
    { 990, "missing or invalid privilege" },
    { 993, "missing GRANT keyword" },
    { 994, "missing OPTION keyword" },
    { 995, "missing or invalid synonym identifier" },
    { 996, "the concatenate operator is ||, not |" },
    { 1490, "invalid ANALYZE command" },
    { 1704, "string literal too long" },
    { 1723, "zero-length columns are not allowed" },
    { 1724, "floating point precision is out of range (1 to 126)" },
    { 1727, "numeric precision specifier is out of range (1 to 38)" },
    { 1728, "numeric scale specifier is out of range (-84 to 127)" },
    { 1735, "invalid ALTER TABLE option" },
    { 1737, "valid modes: [ROW] SHARE, [[SHARE] ROW] EXCLUSIVE, SHARE UPDATE" },
    { 1739, "missing MODE keyword" },
    { 1740, "missing double quote in identifier" },
    { 1741, "illegal zero-length identifier" },
    { 1742, "comment not properly terminated" },
    { 1745, "invalid host/bind variable name" },
    { 1747, "invalid user.table.column, table.column, or column specification" },
    { 1748, "only simple column names allowed here" },
    { 1756, "quoted string not properly terminated" },
    { 1773, "may not specify column datatypes in this CREATE TABLE" },
    { 1780, "string literal required" },
    { 1795, "maximum number of expressions in a list is 1000" },
    { 2000, "missing %s keyword" },
    { 1935, "missing user or role name" },
    { 2065, "illegal option for ALTER SYSTEM" },
    { 2143, "invalid STORAGE option" },
    { 2158, "invalid CREATE INDEX option" },
    { 2181, "invalid option to ROLLBACK WORK" },
    { 2185, "a token other than WORK follows COMMIT" },
    { 2248, "invalid option for ALTER SESSION" },
    { 2283, "cannot alter starting sequence number" },
    { 3001, "unimplemented feature" },
    { 3290, "invalid truncate command - missing CLUSTER or TABLE keyword" },
    { 3291, "invalid truncate option - missing STORAGE keyword" },
    { 30088, "datetime/interval precision is out of range" },
    { 30089, "missing or invalid <datetime field>" },
    { 3095, "expression level is too deep, maximum %s" },
};

} // namespace

std::string formatOraMessage(int code, std::string_view name)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
    std::string out = prefix;
    if (code == 904) {
        // Oracle quotes the name as written in the statement's folded form: ORA-00904: "FOO": invalid identifier
        // a reserved word where a name belongs is reported without a name: "ORA-00904: : invalid identifier"
        if (name.empty())
            return out + ": invalid identifier";
        out += '"';
        out += name;
        out += "\": invalid identifier";
        return out;
    }
    // The parser names the construct it does not run.
    if (code == 3001 && !name.empty())
        return out + "unimplemented feature: " + std::string(name);
    for (const Message& m : Messages) {
        if (m.code != code)
            continue;
        std::string_view text = m.text;
        size_t hole = text.find("%s");
        if (hole == std::string_view::npos) {
            out += text;
        } else {
            out += text.substr(0, hole);
            out += name;
            out += text.substr(hole + 2);
        }
        return out;
    }
    out += "unknown error";
    return out;
}

} // namespace engine::sql

// Catalog reads and writes.
#include "engine/catalog/catalog.h"

#include "engine/types/oratype_datetime.h"

#include "engine/dict/fixed.h"
#include "engine/storage/sqlite.h"

#include <cstdio>

namespace engine::catalog {

using storage::Stmt;

namespace {

constexpr const char* kNow = "strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')";

ConstraintRow readConstraint(const Stmt& s)
{
    // Columns: c.CON#, owner name, c.NAME, d.OBJ#, d.TYPE#, d.CONDITION, d.RCON#, d.REFACT, d.ENABLED,
    // d.VALIDATED, d.GENERATED, d.ENABLED_IDX#
    ConstraintRow r;
    r.id = s.int64(0);
    r.owner = s.text(1);
    r.name = s.text(2);
    r.tableId = s.int64(3);
    r.type = static_cast<int>(s.int64(4));
    r.condition = s.text(5);
    if (!s.isNull(6))
        r.refConstraint = s.int64(6);
    r.deleteRule = static_cast<int>(s.int64(7));
    r.enabled = s.int64(8) != 0;
    r.validated = s.int64(9) != 0;
    // CDEF$.GENERATED: bit 1 a system-generated name, bit 2 DEFERRABLE.
    r.generatedName = (s.int64(10) & 1) != 0;
    r.deferrable = (s.int64(10) & 2) != 0;
    if (!s.isNull(11))
        r.indexId = s.int64(11);
    return r;
}

constexpr const char* kConstraintSelect = R"(SELECT c."CON#", u."NAME", c."NAME", d."OBJ#", d."TYPE#", d."CONDITION",
    d."RCON#", d."REFACT", d."ENABLED", d."VALIDATED", d."GENERATED", d."ENABLED_IDX#"
    FROM "CON$" c JOIN "CDEF$" d ON d."CON#" = c."CON#" JOIN "USER$" u ON u."USER#" = c."OWNER#" )";

} // namespace

int namespaceOf(int type)
{
    // A package body shares its package's name, in a namespace of its own.
    if (type == kTypePackageBody)
        return 2;
    return type == kTypeIndex ? 4 : (type == kTypeTrigger ? 3 : 1);
}

std::string physicalTableName(int64_t objectId)
{
    return "T" + std::to_string(objectId);
}
std::string physicalIndexName(int64_t objectId)
{
    return "I" + std::to_string(objectId);
}

std::optional<UserRow> Catalog::user(std::string_view name) const
{
    Stmt s(db_, R"(SELECT u."USER#", u."NAME", u."TYPE#", u."PASSWORD", u."SPARE4", u."ASTATUS",
        ifnull(p."SYSDBA", 0) FROM "USER$" u LEFT JOIN "PWFILE$" p ON p."USER#" = u."USER#" WHERE u."NAME" = ?1)");
    s.bind(1, name);
    if (!s.step())
        return std::nullopt;
    UserRow u;
    u.id = s.int64(0);
    u.name = s.text(1);
    u.type = static_cast<int>(s.int64(2));
    u.password = s.text(3);
    u.spare4 = s.text(4);
    u.astatus = static_cast<int>(s.int64(5));
    u.sysdba = s.int64(6) != 0;
    return u;
}

std::optional<UserRow> Catalog::userById(int64_t id) const
{
    std::string name = userName(id);
    if (name.empty())
        return std::nullopt;
    return user(name);
}

std::string Catalog::userName(int64_t id) const
{
    Stmt s(db_, R"(SELECT "NAME" FROM "USER$" WHERE "USER#" = ?1)");
    s.bind(1, id);
    return s.step() ? s.text(0) : std::string();
}

int64_t Catalog::nextNumber(const char* counter)
{
    Stmt s(db_, R"(UPDATE "PROPS$" SET "VALUE$" = "VALUE$" + 1 WHERE "NAME" = ?1 RETURNING "VALUE$" - 1)");
    s.bind(1, counter);
    int64_t v = s.step() ? s.int64(0) : 0;
    s.reset();
    return v;
}

std::optional<ObjectRow> Catalog::object(int64_t ownerId, std::string_view name, int nameSpace) const
{
    Stmt s(db_, R"(SELECT o."OBJ#", o."OWNER#", u."NAME", o."NAME", o."TYPE#", o."STATUS" FROM "OBJ$" o
        JOIN "USER$" u ON u."USER#" = o."OWNER#" WHERE o."OWNER#" = ?1 AND o."NAME" = ?2 AND o."NAMESPACE" = ?3)");
    s.bind(1, ownerId).bind(2, name).bind(3, nameSpace);
    if (!s.step())
        return std::nullopt;
    return ObjectRow { s.int64(0), s.int64(1), s.text(2), s.text(3), static_cast<int>(s.int64(4)),
        static_cast<int>(s.int64(5)) };
}

std::optional<ObjectRow> Catalog::objectById(int64_t id) const
{
    Stmt s(db_, R"(SELECT o."OBJ#", o."OWNER#", u."NAME", o."NAME", o."TYPE#", o."STATUS" FROM "OBJ$" o
        JOIN "USER$" u ON u."USER#" = o."OWNER#" WHERE o."OBJ#" = ?1)");
    s.bind(1, id);
    if (!s.step())
        return std::nullopt;
    return ObjectRow { s.int64(0), s.int64(1), s.text(2), s.text(3), static_cast<int>(s.int64(4)),
        static_cast<int>(s.int64(5)) };
}

std::vector<ObjectRow> Catalog::objectsOwnedBy(int64_t ownerId) const
{
    std::vector<ObjectRow> r;
    Stmt s(db_, R"(SELECT o."OBJ#", o."OWNER#", u."NAME", o."NAME", o."TYPE#", o."STATUS" FROM "OBJ$" o
        JOIN "USER$" u ON u."USER#" = o."OWNER#" WHERE o."OWNER#" = ?1 ORDER BY o."OBJ#")");
    s.bind(1, ownerId);
    while (s.step())
        r.push_back({ s.int64(0), s.int64(1), s.text(2), s.text(3), static_cast<int>(s.int64(4)),
            static_cast<int>(s.int64(5)) });
    return r;
}

int64_t Catalog::addObject(int64_t ownerId, const std::string& name, int type, int status)
{
    int64_t id = nextNumber("NEXT_OBJ#");
    Stmt s(db_,
        std::string(R"(INSERT INTO "OBJ$" ("OBJ#", "OWNER#", "NAME", "NAMESPACE", "TYPE#", "CTIME", "MTIME",
        "STIME", "STATUS") VALUES (?1, ?2, ?3, ?4, ?5, )")
            + kNow + "," + kNow + "," + kNow + ", ?6)");
    s.bind(1, id).bind(2, ownerId).bind(3, name).bind(4, namespaceOf(type)).bind(5, type).bind(6, status).run();
    return id;
}

void Catalog::touchObject(int64_t id)
{
    Stmt s(db_,
        std::string(R"(UPDATE "OBJ$" SET "MTIME" = )") + kNow + R"(, "STIME" = )" + kNow + R"( WHERE "OBJ#" = ?1)");
    s.bind(1, id).run();
}

void Catalog::setStatus(int64_t id, int status)
{
    Stmt s(db_, R"(UPDATE "OBJ$" SET "STATUS" = ?2 WHERE "OBJ#" = ?1)");
    s.bind(1, id).bind(2, status).run();
}

void Catalog::renameObject(int64_t id, const std::string& newName)
{
    Stmt s(db_, std::string(R"(UPDATE "OBJ$" SET "NAME" = ?2, "MTIME" = )") + kNow + R"( WHERE "OBJ#" = ?1)");
    s.bind(1, id).bind(2, newName).run();
}

void Catalog::removeObject(int64_t id)
{
    static const char* const statements[] = {
        R"(DELETE FROM "CON$" WHERE "CON#" IN (SELECT "CON#" FROM "CDEF$" WHERE "OBJ#" = ?1))",
        R"(DELETE FROM "CCOL$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "CDEF$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "COL$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "TAB$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "IND$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "ICOL$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "SEQ$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "VIEW$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "SYN$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "COM$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "OBJAUTH$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "SOURCE$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "ERROR$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "TRIGGER$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "ARGUMENT$" WHERE "OBJ#" = ?1)",
        R"(DELETE FROM "DEPENDENCY$" WHERE "D_OBJ#" = ?1)",
        R"(DELETE FROM "OBJ$" WHERE "OBJ#" = ?1)",
    };
    for (const char* sql : statements) {
        Stmt s(db_, sql);
        s.bind(1, id).run();
    }
}

std::vector<ColumnRow> Catalog::columns(int64_t tableId) const
{
    std::vector<ColumnRow> r;
    Stmt s(db_, R"(SELECT "COL#", "NAME", "PHYNAME", "TYPE#", "LENGTH", "PRECISION#", "SCALE", "NULL$", "DEFAULT$",
        "PROPERTY" FROM "COL$" WHERE "OBJ#" = ?1 ORDER BY "COL#")");
    s.bind(1, tableId);
    while (s.step()) {
        ColumnRow c;
        c.col = static_cast<int>(s.int64(0));
        c.name = s.text(1);
        c.physicalName = s.text(2);
        c.typeCode = static_cast<int>(s.int64(3));
        c.length = static_cast<int>(s.int64(4));
        if (!s.isNull(5))
            c.precision = static_cast<int>(s.int64(5));
        if (!s.isNull(6))
            c.scale = static_cast<int>(s.int64(6));
        c.notNull = s.int64(7) != 0;
        if (!s.isNull(8))
            c.defaultText = s.text(8);
        const int64_t property = s.int64(9);
        c.charSemantics = (property & kColPropertyCharSemantics) != 0;
        c.identity = (property & kColPropertyIdentity) != 0;
        c.identityAlways = (property & kColPropertyIdentityAlways) != 0;
        c.defaultOnNull = (property & kColPropertyDefaultOnNull) != 0;
        c.virtualColumn = (property & kColPropertyVirtual) != 0;
        c.hidden = (property & kColPropertyHidden) != 0;
        r.push_back(std::move(c));
    }
    return r;
}

static void bindColumn(Stmt& s, int64_t tableId, const ColumnRow& c)
{
    s.bind(1, tableId).bind(2, c.col).bind(3, c.name).bind(4, c.physicalName).bind(5, c.typeCode).bind(6, c.length);
    if (c.precision)
        s.bind(7, *c.precision);
    else
        s.bindNull(7);
    if (c.scale)
        s.bind(8, *c.scale);
    else
        s.bindNull(8);
    s.bind(9, c.notNull ? 1 : 0);
    if (c.defaultText)
        s.bind(10, *c.defaultText);
    else
        s.bindNull(10);
    s.bind(11,
        (c.charSemantics ? kColPropertyCharSemantics : 0) | (c.identity ? kColPropertyIdentity : 0)
            | (c.identityAlways ? kColPropertyIdentityAlways : 0) | (c.defaultOnNull ? kColPropertyDefaultOnNull : 0)
            | (c.virtualColumn ? kColPropertyVirtual : 0) | (c.hidden ? kColPropertyHidden : 0));
}

void Catalog::addColumn(int64_t tableId, const ColumnRow& c)
{
    Stmt s(db_, R"(INSERT INTO "COL$" ("OBJ#", "COL#", "NAME", "PHYNAME", "TYPE#", "LENGTH", "PRECISION#", "SCALE",
        "NULL$", "DEFAULT$", "PROPERTY") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11))");
    bindColumn(s, tableId, c);
    s.run();
}

void Catalog::updateColumn(int64_t tableId, const ColumnRow& c)
{
    static_assert(kColPropertyKnown == 962081128480, "the mask in the UPDATE below");
    Stmt s(db_, R"(UPDATE "COL$" SET "NAME" = ?3, "PHYNAME" = ?4, "TYPE#" = ?5, "LENGTH" = ?6, "PRECISION#" = ?7,
        "SCALE" = ?8, "NULL$" = ?9, "DEFAULT$" = ?10, "PROPERTY" = ("PROPERTY" & ~962081128480) | ?11
        WHERE "OBJ#" = ?1 AND "COL#" = ?2)");
    bindColumn(s, tableId, c);
    s.run();
}

static std::vector<int> constraintColumns(sqlite3* db, int64_t id)
{
    std::vector<int> cols;
    Stmt s(db, R"(SELECT "COL#" FROM "CCOL$" WHERE "CON#" = ?1 ORDER BY "POS#")");
    s.bind(1, id);
    while (s.step())
        cols.push_back(static_cast<int>(s.int64(0)));
    return cols;
}

std::vector<ConstraintRow> Catalog::constraints(int64_t tableId) const
{
    std::vector<ConstraintRow> r;
    Stmt s(db_, std::string(kConstraintSelect) + R"(WHERE d."OBJ#" = ?1 ORDER BY c."CON#")");
    s.bind(1, tableId);
    while (s.step())
        r.push_back(readConstraint(s));
    for (ConstraintRow& c : r)
        c.columns = constraintColumns(db_, c.id);
    return r;
}

std::vector<ConstraintRow> Catalog::referencing(int64_t parentConstraintId) const
{
    std::vector<ConstraintRow> r;
    Stmt s(db_, std::string(kConstraintSelect) + R"(WHERE d."RCON#" = ?1 ORDER BY c."CON#")");
    s.bind(1, parentConstraintId);
    while (s.step())
        r.push_back(readConstraint(s));
    for (ConstraintRow& c : r)
        c.columns = constraintColumns(db_, c.id);
    return r;
}

std::optional<ConstraintRow> Catalog::constraint(int64_t ownerId, std::string_view name) const
{
    Stmt s(db_, std::string(kConstraintSelect) + R"(WHERE c."OWNER#" = ?1 AND c."NAME" = ?2)");
    s.bind(1, ownerId).bind(2, name);
    if (!s.step())
        return std::nullopt;
    ConstraintRow r = readConstraint(s);
    r.columns = constraintColumns(db_, r.id);
    return r;
}

std::optional<ConstraintRow> Catalog::constraintById(int64_t id) const
{
    Stmt s(db_, std::string(kConstraintSelect) + R"(WHERE c."CON#" = ?1)");
    s.bind(1, id);
    if (!s.step())
        return std::nullopt;
    ConstraintRow r = readConstraint(s);
    r.columns = constraintColumns(db_, r.id);
    return r;
}

int64_t Catalog::addConstraint(int64_t ownerId, ConstraintRow& c)
{
    c.id = nextNumber("NEXT_CON#");
    if (c.name.empty()) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "SYS_C%07lld", static_cast<long long>(c.id));
        c.name = buf;
        c.generatedName = true;
    }
    if (constraint(ownerId, c.name))
        throw oraError(2264, "name already used by an existing constraint");
    Stmt con(db_, R"(INSERT INTO "CON$" VALUES (?1, ?2, ?3))");
    con.bind(1, c.id).bind(2, ownerId).bind(3, c.name).run();
    Stmt def(db_,
        std::string(R"(INSERT INTO "CDEF$" ("CON#", "OBJ#", "TYPE#", "CONDITION", "RCON#", "REFACT",
        "ENABLED", "VALIDATED", "GENERATED", "ENABLED_IDX#", "MTIME") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, )")
            + kNow + ")");
    def.bind(1, c.id).bind(2, c.tableId).bind(3, c.type).bind(4, c.condition);
    if (c.refConstraint)
        def.bind(5, *c.refConstraint);
    else
        def.bindNull(5);
    def.bind(6, c.deleteRule).bind(7, c.enabled ? 1 : 0).bind(8, c.validated ? 1 : 0).bind(9, (c.generatedName ? 1 : 0) | (c.deferrable ? 2 : 0));
    if (c.indexId)
        def.bind(10, *c.indexId);
    else
        def.bindNull(10);
    def.run();
    Stmt col(db_, R"(INSERT INTO "CCOL$" VALUES (?1, ?2, ?3, ?4))");
    int pos = 0;
    for (int cn : c.columns)
        col.bind(1, c.id).bind(2, c.tableId).bind(3, cn).bind(4, ++pos).run();
    return c.id;
}

void Catalog::setConstraintState(int64_t id, bool enabled, bool validated)
{
    Stmt s(db_,
        std::string(R"(UPDATE "CDEF$" SET "ENABLED" = ?2, "VALIDATED" = ?3, "MTIME" = )") + kNow
            + R"( WHERE "CON#" = ?1)");
    s.bind(1, id).bind(2, enabled ? 1 : 0).bind(3, validated ? 1 : 0).run();
}

void Catalog::setConstraintIndex(int64_t id, std::optional<int64_t> indexId)
{
    Stmt s(db_, R"(UPDATE "CDEF$" SET "ENABLED_IDX#" = ?2 WHERE "CON#" = ?1)");
    s.bind(1, id);
    if (indexId)
        s.bind(2, *indexId);
    else
        s.bindNull(2);
    s.run();
}

void Catalog::removeConstraint(int64_t id)
{
    for (const char* sql : { R"(DELETE FROM "CCOL$" WHERE "CON#" = ?1)", R"(DELETE FROM "CDEF$" WHERE "CON#" = ?1)",
             R"(DELETE FROM "CON$" WHERE "CON#" = ?1)" }) {
        Stmt s(db_, sql);
        s.bind(1, id).run();
    }
}

void Catalog::addIndex(int64_t indexId, int64_t tableId, bool unique, const std::vector<int>& columns)
{
    Stmt s(db_, R"(INSERT INTO "IND$" ("OBJ#", "BO#", "PROPERTY", "COLS") VALUES (?1, ?2, ?3, ?4))");
    s.bind(1, indexId).bind(2, tableId).bind(3, unique ? 1 : 0).bind(4, static_cast<int>(columns.size())).run();
    Stmt c(db_, R"(INSERT INTO "ICOL$" VALUES (?1, ?2, ?3, ?4))");
    int pos = 0;
    for (int col : columns)
        c.bind(1, indexId).bind(2, tableId).bind(3, col).bind(4, ++pos).run();
}

std::vector<int64_t> Catalog::indexesOf(int64_t tableId) const
{
    std::vector<int64_t> r;
    Stmt s(db_, R"(SELECT "OBJ#" FROM "IND$" WHERE "BO#" = ?1 ORDER BY "OBJ#")");
    s.bind(1, tableId);
    while (s.step())
        r.push_back(s.int64(0));
    return r;
}

std::optional<int64_t> Catalog::tableOfIndex(int64_t indexId) const
{
    Stmt s(db_, R"(SELECT "BO#" FROM "IND$" WHERE "OBJ#" = ?1)");
    s.bind(1, indexId);
    if (!s.step())
        return std::nullopt;
    return s.int64(0);
}

std::vector<int> Catalog::indexColumns(int64_t indexId) const
{
    std::vector<int> r;
    Stmt s(db_, R"(SELECT "COL#" FROM "ICOL$" WHERE "OBJ#" = ?1 ORDER BY "POS#")");
    s.bind(1, indexId);
    while (s.step())
        r.push_back(static_cast<int>(s.int64(0)));
    return r;
}

bool Catalog::indexIsUnique(int64_t indexId) const
{
    Stmt s(db_, R"(SELECT "PROPERTY" FROM "IND$" WHERE "OBJ#" = ?1)");
    s.bind(1, indexId);
    return s.step() && (s.int64(0) & 1);
}

void Catalog::setViewColumns(int64_t viewId, const std::vector<ColumnDesc>& columns)
{
    Stmt del(db_, R"(DELETE FROM "COL$" WHERE "OBJ#" = ?1)");
    del.bind(1, viewId).run();
    int no = 0;
    for (const ColumnDesc& d : columns) {
        ColumnRow c;
        c.col = ++no;
        c.name = d.name;
        c.physicalName = d.name;
        c.typeCode = typeCode(d.type);
        c.length = d.size;
        if (d.type == OraType::Number) {
            c.length = 22;
            if (d.precision > 0) {
                c.precision = d.precision;
                c.scale = d.scale;
            }
        } else if (d.type == OraType::Date) {
            c.length = 7;
        } else if (types::isNewDatetime(d.type)) {
            c.precision = d.precision;
            c.scale = d.scale;
        }
        c.notNull = !d.nullable;
        addColumn(viewId, c);
    }
}

void Catalog::setComment(int64_t objectId, std::optional<int> col, const std::string& text)
{
    Stmt del(db_, R"(DELETE FROM "COM$" WHERE "OBJ#" = ?1 AND ifnull("COL#", 0) = ?2)");
    del.bind(1, objectId).bind(2, col.value_or(0)).run();
    if (text.empty())
        return;
    Stmt ins(db_, R"(INSERT INTO "COM$" VALUES (?1, ?2, ?3))");
    ins.bind(1, objectId);
    if (col)
        ins.bind(2, *col);
    else
        ins.bindNull(2);
    ins.bind(3, text).run();
}

// ---------------------------------------------------------------------------------------------------------------

int typeCode(OraType t)
{
    switch (t) {
    case OraType::Varchar2:
        return kColVarchar2;
    case OraType::Char:
        return kColChar;
    case OraType::Number:
        return kColNumber;
    case OraType::Date:
        return kColDate;
    case OraType::Long:
        return kColLong;
    case OraType::Clob:
        return kColClob;
    case OraType::Blob:
        return kColBlob;
    case OraType::Raw:
        return kColRaw;
    case OraType::Rowid:
        return kColRowid;
    case OraType::RefCursor:
        return 102;
    case OraType::Timestamp:
        return kColTimestamp;
    case OraType::TimestampTz:
        return kColTimestampTz;
    case OraType::TimestampLtz:
        return kColTimestampLtz;
    case OraType::IntervalYM:
        return kColIntervalYM;
    case OraType::IntervalDS:
        return kColIntervalDS;
    }
    return kColVarchar2;
}

OraType oraTypeOf(int code)
{
    switch (code) {
    case kColChar:
        return OraType::Char;
    case kColNumber:
        return OraType::Number;
    case kColDate:
        return OraType::Date;
    case kColLong:
        return OraType::Long;
    case kColClob:
        return OraType::Clob;
    case kColBlob:
        return OraType::Blob;
    case kColRaw:
        return OraType::Raw;
    case kColRowid:
        return OraType::Rowid;
    case kColTimestamp:
        return OraType::Timestamp;
    case kColTimestampTz:
        return OraType::TimestampTz;
    case kColTimestampLtz:
        return OraType::TimestampLtz;
    case kColIntervalYM:
        return OraType::IntervalYM;
    case kColIntervalDS:
        return OraType::IntervalDS;
    default:
        return OraType::Varchar2;
    }
}

types::ExprType columnType(const ColumnRow& c)
{
    types::ExprType t;
    t.type = oraTypeOf(c.typeCode);
    t.size = c.length;
    if (t.type == OraType::Number) {
        t.precision = c.precision.value_or(0);
        t.scale = c.scale.value_or(0);
        t.scaleDeclared = c.scale.has_value();
        t.size = 22;
    } else if (t.type == OraType::Date) {
        t.size = types::kDateDisplaySize;
    } else if (types::isNewDatetime(t.type)) {
        // TIMESTAMP(s), INTERVAL DAY(p) TO SECOND(s), INTERVAL YEAR(p) TO MONTH as COL$ keeps them.
        t.precision = c.precision.value_or(0);
        t.scale = c.scale.value_or(0);
        t.scaleDeclared = true;
    }
    if (t.type == OraType::Varchar2 || t.type == OraType::Char)
        t.byteSemantics = !c.charSemantics; // VARCHAR2(n) and CHAR(n) count bytes unless declared (n CHAR)
    t.nullable = !c.notNull;
    return t;
}

bind::ColumnInfo columnInfo(const ColumnRow& c)
{
    bind::ColumnInfo r { c.name, c.physicalName, columnType(c), c.defaultText, false };
    r.identityAlways = c.identity && c.identityAlways;
    r.defaultOnNull = c.defaultOnNull;
    r.virtualColumn = c.virtualColumn;
    r.hidden = c.hidden;
    return r;
}

// ---------------------------------------------------------------------------------------------------------------

static bind::ObjectKind kindOf(int type)
{
    switch (type) {
    case kTypeTable:
        return bind::ObjectKind::Table;
    case kTypeView:
        return bind::ObjectKind::View;
    case kTypeSequence:
        return bind::ObjectKind::Sequence;
    default:
        return bind::ObjectKind::Other;
    }
}

std::optional<ObjectRow> Lookup::resolveObject(std::string_view owner, std::string_view name,
    std::string_view currentSchema, bool followSynonyms, std::vector<int64_t>* passed) const
{
    std::string o(owner.empty() ? currentSchema : owner);
    std::string n(name);
    for (int depth = 0; depth < 32; ++depth) {
        std::optional<ObjectRow> obj;
        if (auto u = cat_.user(o))
            obj = cat_.object(u->id, n, 1);
        if (!obj && owner.empty() && depth == 0)
            obj = cat_.object(kPublicUser, n, 1);
        if (!obj && depth > 0) // a synonym whose object is gone
            throw oraError(980, "synonym translation is no longer valid");
        if (!obj)
            return std::nullopt;
        if (obj->type != kTypeSynonym || !followSynonyms)
            return obj;
        Stmt s(cat_.db(), R"(SELECT "OWNER", "NAME", "NODE" FROM "SYN$" WHERE "OBJ#" = ?1)");
        s.bind(1, obj->id);
        if (!s.step())
            return std::nullopt;
        if (!s.isNull(2))
            return obj; // through a database link: a later stage's business
        if (passed)
            passed->push_back(obj->id);
        o = s.text(0);
        n = s.text(1);
        owner = o;
    }
    throw oraError(1775, "looping chain of synonyms");
}

std::optional<bind::ObjectRef> Lookup::resolveFixed(
    std::string_view owner, std::string_view name, bool viaPublicSynonym) const
{
    SessionState* session = session_ ? session_ : dict::sessionOf(cat_.db());
    if (!session)
        return std::nullopt;
    const dict::NumberedFixedObject* f = dict::findFixedObject(viaPublicSynonym ? "SYS" : owner, name);
    if (!f || (viaPublicSynonym && !f->object->publicSynonym) || !dict::mayRead(*session, *f))
        return std::nullopt;
    return bind::ObjectRef { f->object->owner, f->object->name, bind::ObjectKind::Table, f->objectId };
}

std::optional<bind::ObjectRef> Lookup::resolve(
    std::string_view owner, std::string_view name, std::string_view currentSchema) const
{
    // SYS's fixed objects are SYS's own; an unqualified name reaches one through its PUBLIC synonym only after
    // the schema's objects, private synonyms and the real PUBLIC synonyms, as Oracle resolves names.
    if (owner == "SYS")
        if (auto f = resolveFixed(owner, name, false))
            return f;
    std::optional<ObjectRow> obj;
    std::vector<int64_t> synonyms;
    try {
        obj = resolveObject(owner, name, currentSchema, true, &synonyms);
    } catch (const Error& e) {
        // A synonym for a fixed object (CREATE SYNONYM t FOR SYS.ALL_TABLES) ends where the catalog has no row.
        if (e.code() != 980)
            throw;
        auto target = resolveObject(owner, name, currentSchema, false);
        for (int depth = 0; target && target->type == kTypeSynonym && depth < 32; ++depth) {
            Stmt s(cat_.db(), R"(SELECT "OWNER", "NAME" FROM "SYN$" WHERE "OBJ#" = ?1)");
            s.bind(1, target->id);
            if (!s.step())
                break;
            const std::string o = s.text(0), n = s.text(1);
            if (auto f = resolveFixed(o, n, false))
                return f;
            target = resolveObject(o, n, o, false);
        }
        throw;
    }
    if (!obj && owner.empty())
        return resolveFixed("", name, true);
    if (!obj || obj->type == kTypeSynonym)
        return std::nullopt;
    return bind::ObjectRef { obj->owner, obj->name, kindOf(obj->type), obj->id, std::move(synonyms) };
}

std::optional<bind::TableInfo> Lookup::table(const bind::ObjectRef& ref) const
{
    SessionState* session = session_ ? session_ : dict::sessionOf(cat_.db());
    if (session && ref.objectId < 1000) {
        const dict::NumberedFixedObject* f = dict::findFixedObject(ref.objectId);
        if (!f)
            return std::nullopt;
        // A fixed object has no row numbers: no ROWID, no changes, no locks.
        bind::TableInfo t;
        t.object = ref;
        t.physicalName = dict::ensureFixedObject(*session, *f);
        t.fixed = true;
        for (const dict::FixedColumn& c : f->object->columns)
            t.columns.push_back({ c.name, c.name, c.type, std::nullopt, false });
        return t;
    }
    auto cols = cat_.columns(ref.objectId);
    if (cols.empty())
        return std::nullopt;
    bind::TableInfo t;
    t.object = ref;
    t.physicalName = physicalTableName(ref.objectId);
    t.rowNumberColumn = kRowNumberColumn;
    for (const ColumnRow& c : cols)
        t.columns.push_back(columnInfo(c));
    return t;
}

std::optional<bind::ViewInfo> Lookup::view(const bind::ObjectRef& ref) const
{
    Stmt s(cat_.db(), R"(SELECT "TEXT", "COLNAMES", "PROPERTY" FROM "VIEW$" WHERE "OBJ#" = ?1)");
    s.bind(1, ref.objectId);
    if (!s.step())
        return std::nullopt;
    bind::ViewInfo v;
    v.object = ref;
    v.queryText = s.text(0);
    v.readOnly = (s.int64(2) & 1) != 0; // CREATE VIEW ... WITH READ ONLY
    v.checkOption = (s.int64(2) & 2) != 0; // ... WITH CHECK OPTION
    std::string names = s.text(1);
    size_t pos = 0;
    while (!names.empty() && pos <= names.size()) {
        size_t next = names.find('\n', pos);
        if (next == std::string::npos)
            next = names.size();
        v.columnNames.push_back(names.substr(pos, next - pos));
        pos = next + 1;
    }
    return v;
}

bool Lookup::schemaExists(std::string_view name) const
{
    auto u = cat_.user(name);
    return u && u->type == 1;
}

} // namespace engine::catalog

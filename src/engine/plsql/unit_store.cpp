// Catalog rows of stored PL/SQL units.
#include "engine/plsql/unit_store.h"

#include "engine/catalog/catalog.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <set>

namespace engine::plsql {

using SqlStmt = storage::Stmt;

int objectTypeOf(Unit::Kind kind)
{
    switch (kind) {
    case Unit::Kind::Procedure:
        return catalog::kTypeProcedure;
    case Unit::Kind::Function:
        return catalog::kTypeFunction;
    case Unit::Kind::Package:
        return catalog::kTypePackage;
    case Unit::Kind::PackageBody:
        return catalog::kTypePackageBody;
    case Unit::Kind::Trigger:
        return catalog::kTypeTrigger;
    case Unit::Kind::Block:
        break;
    }
    return 0;
}

std::string objectWord(int type)
{
    switch (type) {
    case catalog::kTypeProcedure:
        return "PROCEDURE";
    case catalog::kTypeFunction:
        return "FUNCTION";
    case catalog::kTypePackage:
        return "PACKAGE";
    case catalog::kTypePackageBody:
        return "PACKAGE BODY";
    case catalog::kTypeTrigger:
        return "TRIGGER";
    case catalog::kTypeTable:
        return "TABLE";
    case catalog::kTypeView:
        return "VIEW";
    case catalog::kTypeSequence:
        return "SEQUENCE";
    case catalog::kTypeSynonym:
        return "SYNONYM";
    default:
        return "OBJECT";
    }
}

std::optional<StoredUnit> findUnit(SessionState& s, int64_t ownerId, const std::string& name, int type)
{
    SqlStmt q(s.conn, R"(SELECT o."OBJ#", u."NAME", o."STATUS" FROM "OBJ$" o JOIN "USER$" u ON u."USER#" = o."OWNER#"
        WHERE o."OWNER#" = ?1 AND o."NAME" = ?2 AND o."TYPE#" = ?3)");
    q.bind(1, ownerId).bind(2, name).bind(3, type);
    if (!q.step())
        return std::nullopt;
    StoredUnit u;
    u.id = q.int64(0);
    u.ownerId = ownerId;
    u.owner = q.text(1);
    u.name = name;
    u.type = type;
    u.valid = q.int64(2) == catalog::kStatusValid;
    return u;
}

StoredUnit defineUnit(SessionState& s, int64_t ownerId, const std::string& name, int type, bool orReplace, int offset)
{
    catalog::Catalog cat(s.conn);
    if (auto existing = cat.object(ownerId, name, catalog::namespaceOf(type))) {
        if (existing->type != type || !orReplace)
            throw oraError(955, "name is already used by an existing object", offset);
        cat.touchObject(existing->id);
        StoredUnit u;
        u.id = existing->id;
        u.ownerId = ownerId;
        u.owner = existing->owner;
        u.name = name;
        u.type = type;
        u.valid = existing->status == catalog::kStatusValid;
        return u;
    }
    StoredUnit u;
    u.id = cat.addObject(ownerId, name, type);
    u.ownerId = ownerId;
    u.owner = cat.userName(ownerId);
    u.name = name;
    u.type = type;
    return u;
}

void storeSource(SessionState& s, int64_t id, std::string_view text)
{
    SqlStmt del(s.conn, R"(DELETE FROM "SOURCE$" WHERE "OBJ#" = ?1)");
    del.bind(1, id).run();
    SqlStmt ins(s.conn, R"(INSERT INTO "SOURCE$" ("OBJ#", "LINE", "SOURCE") VALUES (?1, ?2, ?3))");
    int line = 1;
    size_t at = 0;
    while (at < text.size()) {
        size_t nl = text.find('\n', at);
        size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
        std::string_view piece = text.substr(at, end - at);
        // An empty line is stored as its line feed, never as NULL (bind of "" would give NULL).
        ins.bind(1, id).bind(2, line).bind(3, piece.empty() ? std::string_view("\n") : piece).run();
        ins.reset();
        ++line;
        at = end;
    }
}

std::string loadSource(SessionState& s, int64_t id)
{
    SqlStmt q(s.conn, R"(SELECT "SOURCE" FROM "SOURCE$" WHERE "OBJ#" = ?1 ORDER BY "LINE")");
    q.bind(1, id);
    std::string text;
    while (q.step())
        text += q.text(0);
    return text;
}

void storeErrors(SessionState& s, int64_t id, const std::vector<CompileError>& errors)
{
    SqlStmt del(s.conn, R"(DELETE FROM "ERROR$" WHERE "OBJ#" = ?1)");
    del.bind(1, id).run();
    SqlStmt ins(s.conn, R"(INSERT INTO "ERROR$" ("OBJ#", "SEQUENCE#", "LINE", "POSITION#", "TEXTLENGTH", "TEXT",
        "PROPERTY") VALUES (?1, ?2, ?3, ?4, ?5, ?6, 0))");
    int seq = 1;
    for (const CompileError& e : errors) {
        ins.bind(1, id).bind(2, seq++).bind(3, e.line).bind(4, e.col);
        ins.bind(5, static_cast<int64_t>(e.text.size())).bind(6, e.text).run();
        ins.reset();
    }
}

void storeDependencies(SessionState& s, int64_t id, const std::vector<int64_t>& referenced)
{
    SqlStmt del(s.conn, R"(DELETE FROM "DEPENDENCY$" WHERE "D_OBJ#" = ?1)");
    del.bind(1, id).run();
    SqlStmt ins(s.conn, R"(INSERT OR IGNORE INTO "DEPENDENCY$" ("D_OBJ#", "P_OBJ#") VALUES (?1, ?2))");
    std::set<int64_t> seen;
    for (int64_t p : referenced) {
        if (p == id || !seen.insert(p).second)
            continue;
        ins.bind(1, id).bind(2, p).run();
        ins.reset();
    }
}

void storeArguments(SessionState& s, int64_t id, const std::vector<ArgumentRow>& rows)
{
    SqlStmt del(s.conn, R"(DELETE FROM "ARGUMENT$" WHERE "OBJ#" = ?1)");
    del.bind(1, id).run();
    SqlStmt ins(s.conn, R"(INSERT INTO "ARGUMENT$" ("OBJ#", "PROCEDURE$", "OVERLOAD#", "PROCEDURE#", "POSITION#",
        "SEQUENCE#", "LEVEL#", "ARGUMENT", "TYPE#", "DEFAULT#", "IN_OUT", "LENGTH", "PRECISION#", "SCALE", "RADIX",
        "TYPE_OWNER", "TYPE_NAME", "TYPE_SUBNAME", "PLS_TYPE", "CHAR_USED")
        VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20))");
    for (const ArgumentRow& r : rows) {
        ins.bind(1, id).bind(2, r.procedure).bind(3, r.overload).bind(4, r.subprogramId).bind(5, r.position);
        ins.bind(6, r.sequence).bind(7, r.level).bind(8, r.argument).bind(9, r.typeNo);
        ins.bind(10, r.defaulted ? 1 : 0).bind(11, r.inOut);
        auto opt = [&](int i, const std::optional<int>& v) {
            if (v)
                ins.bind(i, *v);
            else
                ins.bindNull(i);
        };
        opt(12, r.length);
        opt(13, r.precision);
        opt(14, r.scale);
        opt(15, r.typeNo == 2 || r.typeNo == 3 ? std::optional<int>(10) : std::nullopt);
        ins.bind(16, r.typeOwner).bind(17, r.typeName).bind(18, r.typeSubname).bind(19, r.plsType);
        ins.bind(20, r.charUsed ? "B" : "");
        ins.run();
        ins.reset();
    }
}

void setCompiled(SessionState& s, int64_t id, bool valid)
{
    catalog::Catalog cat(s.conn);
    cat.touchObject(id);
    cat.setStatus(id, valid ? catalog::kStatusValid : catalog::kStatusInvalid);
}

void setAuthid(SessionState& s, int64_t id, bool invokerRights)
{
    SqlStmt q(s.conn, R"(UPDATE "OBJ$" SET "FLAGS" = CASE WHEN ?2 THEN "FLAGS" | ?3 ELSE "FLAGS" & ~?3 END
        WHERE "OBJ#" = ?1)");
    q.bind(1, id).bind(2, invokerRights ? 1 : 0).bind(3, static_cast<int>(catalog::kFlagInvokerRights)).run();
}

void invalidateDependents(SessionState& s, int64_t id)
{
    SqlStmt q(s.conn, R"(WITH RECURSIVE dep(id) AS (
          SELECT "D_OBJ#" FROM "DEPENDENCY$" WHERE "P_OBJ#" = ?1
          UNION SELECT d."D_OBJ#" FROM "DEPENDENCY$" d JOIN dep ON d."P_OBJ#" = dep.id)
        UPDATE "OBJ$" SET "STATUS" = 5 WHERE "OBJ#" IN (SELECT id FROM dep) AND "OBJ#" <> ?1)");
    q.bind(1, id).run();
}

void removeUnit(SessionState& s, int64_t id)
{
    invalidateDependents(s, id);
    catalog::Catalog(s.conn).removeObject(id);
}

} // namespace engine::plsql

// Reading and writing the catalog tables on one connection: users, objects and their numbers, tables with columns
// and constraints, indexes, sequences, views, synonyms and comments. Every write happens in the caller's
// transaction, so a DDL statement's catalog rows and its physical change commit together.
#pragma once

#include "engine/bind/catalog_lookup.h"
#include "engine/catalog/schema.h"

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
}

namespace engine::catalog {

struct UserRow {
    int64_t id = 0;
    std::string name;
    int type = 1; // 1 user, 0 role
    std::string password; // hash of the upper-cased password
    std::string spare4; // hash of the password as given
    int astatus = 0; // 0 OPEN, 9 LOCKED (Oracle's ASTATUS)
    bool sysdba = false;
};

struct ObjectRow {
    int64_t id = 0;
    int64_t ownerId = 0;
    std::string owner;
    std::string name;
    int type = 0;
    int status = kStatusValid;
};

// Oracle's namespaces: tables, views, sequences, synonyms and stored code share one; indexes have their own.
int namespaceOf(int type);

struct ColumnRow {
    int col = 0; // 1-based position
    std::string name;
    std::string physicalName;
    int typeCode = kColVarchar2;
    int length = 0;
    std::optional<int> precision;
    std::optional<int> scale;
    bool notNull = false;
    std::optional<std::string> defaultText;
    bool charSemantics = false; // VARCHAR2(n CHAR): the length counts characters, else bytes (Oracle's default)
    // Identity columns take their DEFAULT from the table's system sequence ISEQ$$_<table obj#>.
    bool identity = false;
    bool identityAlways = false; // GENERATED ALWAYS (else BY DEFAULT)
    bool defaultOnNull = false; // DEFAULT ON NULL, or an identity column BY DEFAULT ON NULL
    bool virtualColumn = false; // AS (expr): DEFAULT$ holds the expression, the physical column stays NULL
    bool hidden = false; // a function-based index's SYS_NC...$ column: not in SELECT * nor in TAB_COLUMNS
};

// COL$.PROPERTY bit of a column declared with character length semantics (as Oracle's dictionary has it).
inline constexpr int64_t kColPropertyCharSemantics = 8388608;
// COL$.PROPERTY bits of generated columns.
inline constexpr int64_t kColPropertyHidden = 32;
inline constexpr int64_t kColPropertyVirtual = 65536;
inline constexpr int64_t kColPropertyIdentity = 137438953472; // 0x2000000000
inline constexpr int64_t kColPropertyIdentityAlways = 274877906944; // 0x4000000000
inline constexpr int64_t kColPropertyDefaultOnNull = 549755813888; // 0x8000000000
inline constexpr int64_t kColPropertyKnown = kColPropertyCharSemantics | kColPropertyHidden | kColPropertyVirtual | kColPropertyIdentity
    | kColPropertyIdentityAlways | kColPropertyDefaultOnNull;

struct ConstraintRow {
    int64_t id = 0;
    std::string owner;
    std::string name;
    int64_t tableId = 0;
    int type = kConCheck;
    std::string condition;
    std::optional<int64_t> refConstraint;
    int deleteRule = 0; // 0 NO ACTION, 1 CASCADE, 2 SET NULL
    bool enabled = true;
    bool validated = true;
    bool generatedName = false;
    bool deferrable = false; // DEFERRABLE (checked at once all the same: INITIALLY DEFERRED is refused)
    std::optional<int64_t> indexId;
    std::vector<int> columns; // COL# in key order
};

// The physical table of an object number, and its row number column.
std::string physicalTableName(int64_t objectId);
std::string physicalIndexName(int64_t objectId);
inline constexpr const char* kRowNumberColumn = "ROW$";

class Catalog {
public:
    explicit Catalog(sqlite3* db)
        : db_(db)
    {
    }
    sqlite3* db() const { return db_; }

    // Users.
    std::optional<UserRow> user(std::string_view name) const;
    std::optional<UserRow> userById(int64_t id) const;
    std::string userName(int64_t id) const;

    // Numbers kept in PROPS$ (NEXT_OBJ#, NEXT_USER#, NEXT_CON#).
    int64_t nextNumber(const char* counter);

    // Objects.
    std::optional<ObjectRow> object(int64_t ownerId, std::string_view name, int nameSpace) const;
    std::optional<ObjectRow> objectById(int64_t id) const;
    int64_t addObject(int64_t ownerId, const std::string& name, int type, int status = kStatusValid);
    void touchObject(int64_t id); // MTIME and STIME: the object's definition changed
    void setStatus(int64_t id, int status);
    void renameObject(int64_t id, const std::string& newName);
    // Removes the object's rows from every catalog table (not its physical storage).
    void removeObject(int64_t id);
    std::vector<ObjectRow> objectsOwnedBy(int64_t ownerId) const;

    // Tables.
    std::vector<ColumnRow> columns(int64_t tableId) const;
    void addColumn(int64_t tableId, const ColumnRow& c);
    void updateColumn(int64_t tableId, const ColumnRow& c);

    // Constraints.
    std::vector<ConstraintRow> constraints(int64_t tableId) const;
    std::vector<ConstraintRow> referencing(int64_t parentConstraintId) const; // foreign keys onto a key
    std::optional<ConstraintRow> constraint(int64_t ownerId, std::string_view name) const;
    std::optional<ConstraintRow> constraintById(int64_t id) const;
    int64_t addConstraint(int64_t ownerId, ConstraintRow& c); // gives a SYS_Cnnnnnnn name when the name is empty
    void setConstraintState(int64_t id, bool enabled, bool validated);
    void setConstraintIndex(int64_t id, std::optional<int64_t> indexId);
    void removeConstraint(int64_t id);

    // Indexes: IND$ and ICOL$.
    void addIndex(int64_t indexId, int64_t tableId, bool unique, const std::vector<int>& columns);
    std::vector<int64_t> indexesOf(int64_t tableId) const;
    std::optional<int64_t> tableOfIndex(int64_t indexId) const;
    std::vector<int> indexColumns(int64_t indexId) const;
    bool indexIsUnique(int64_t indexId) const;

    // The columns of a view with the types its query gives them (COL$ rows, as Oracle keeps them), for the
    // dictionary; the view's own definition stays in VIEW$.
    void setViewColumns(int64_t viewId, const std::vector<ColumnDesc>& columns);

    // Comments.
    void setComment(int64_t objectId, std::optional<int> col, const std::string& text);

private:
    sqlite3* db_;
};

// The binder's view of the catalog on a session's connection. Given the session, it also resolves the fixed
// objects (SYS.OBJ$, ALL_TABLES, V$SESSION, ...) the session may read, and makes their views on first use.
class Lookup : public bind::CatalogLookup {
public:
    explicit Lookup(sqlite3* db, SessionState* session = nullptr)
        : cat_(db)
        , session_(session)
    {
    }
    std::optional<bind::ObjectRef> resolve(
        std::string_view owner, std::string_view name, std::string_view currentSchema) const override;
    std::optional<bind::TableInfo> table(const bind::ObjectRef& ref) const override;
    std::optional<bind::ViewInfo> view(const bind::ObjectRef& ref) const override;
    bool schemaExists(std::string_view name) const override;

    // Resolves without following a final synonym when it points nowhere: for DROP SYNONYM and friends.
    // `passed` receives the synonyms followed on the way.
    std::optional<ObjectRow> resolveObject(std::string_view owner, std::string_view name,
        std::string_view currentSchema, bool followSynonyms, std::vector<int64_t>* passed = nullptr) const;

private:
    std::optional<bind::ObjectRef> resolveFixed(
        std::string_view owner, std::string_view name, bool viaPublicSynonym) const;

    Catalog cat_;
    SessionState* session_;
};

// The type of a column as the binder sees it.
types::ExprType columnType(const ColumnRow& c);
// The binder's description of a stored column.
bind::ColumnInfo columnInfo(const ColumnRow& c);
// COL$ type code for an Oracle type.
int typeCode(OraType t);
OraType oraTypeOf(int typeCode);

} // namespace engine::catalog

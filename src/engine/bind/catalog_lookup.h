// What the binder needs of the catalog: names resolved through schemas and synonyms, tables with their columns and
// physical storage, views with their query text, sequences. The catalog implements it; tests use an in-memory one.
#pragma once

#include "engine/types/oratype.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace engine::bind {

enum class ObjectKind { Table, View, Sequence, Other };

// An object after synonyms have been followed: its owner, name, kind and object number (OBJ$.OBJ#).
struct ObjectRef {
    ObjectRef() = default;
    ObjectRef(std::string owner, std::string name, ObjectKind kind, int64_t objectId, std::vector<int64_t> synonyms = {})
        : owner(std::move(owner))
        , name(std::move(name))
        , kind(kind)
        , objectId(objectId)
        , synonyms(std::move(synonyms))
    {
    }
    std::string owner;
    std::string name;
    ObjectKind kind = ObjectKind::Other;
    int64_t objectId = 0;
    // The synonyms the name went through to reach the object: what names it depends on them too, so replacing or
    // dropping one invalidates it.
    std::vector<int64_t> synonyms;
};

struct ColumnInfo {
    std::string name; // Oracle's name, as stored (upper case unless quoted)
    std::string physicalName; // the SQLite column of the physical table
    types::ExprType type; // nullable is false for NOT NULL columns
    std::optional<std::string> defaultText; // DEFAULT expression as written in the DDL
    bool hidden = false; // not part of SELECT * (e.g. a column being dropped)
    // A base-table column a view leaves out, when rows are changed through the view: hidden, but an INSERT still
    // gives it its DEFAULT (and fails on NOT NULL) as Oracle does.
    bool outsideView = false;
    bool identityAlways = false; // GENERATED ALWAYS AS IDENTITY: no value may be given (ORA-32795, ORA-32796)
    bool defaultOnNull = false; // an INSERT's NULL takes the DEFAULT
    bool virtualColumn = false; // AS (expr): defaultText is the expression, read in place of the column
};

struct TableInfo {
    ObjectRef object;
    std::string physicalName; // the SQLite table
    std::string rowNumberColumn; // its INTEGER PRIMARY KEY column, from which ROWID is built
    std::vector<ColumnInfo> columns; // in column order
    // One of SYS's fixed objects (catalog tables, dictionary and V$ views): read only, without row numbers, so
    // no ROWID is selected from it and no row of it is changed or locked.
    bool fixed = false;
};

struct ViewInfo {
    ObjectRef object;
    std::string queryText; // the view's SELECT as stored
    std::vector<std::string> columnNames; // the view's columns as they were when it was created
    // WITH READ ONLY (VIEW$.PROPERTY). Unset when the catalog does not say: no rows are changed through the view
    // then, since a read-only view must refuse them.
    std::optional<bool> readOnly;
    bool checkOption = false; // WITH CHECK OPTION: a row inserted or updated through the view must stay in it
};

// [owner.]name@link as written, with the offsets errors point at.
struct RemoteName {
    std::string link; // dotted parts joined by '.'
    std::string owner; // empty when not written: the remote user's own name resolution decides
    std::string name;
    int linkOffset = -1;
    int nameOffset = -1;
};

class CatalogLookup {
public:
    virtual ~CatalogLookup() = default;

    // Resolves `owner.name` (owner empty: the current schema, then a PUBLIC synonym) through private and PUBLIC
    // synonyms to a table, view or sequence. Names are given as Oracle stores them (already upper-cased when
    // unquoted). std::nullopt when nothing of that name exists or the session may not see it.
    virtual std::optional<ObjectRef> resolve(
        std::string_view owner, std::string_view name, std::string_view currentSchema) const = 0;

    // The table behind a reference of kind Table.
    virtual std::optional<TableInfo> table(const ObjectRef& ref) const = 0;

    // The view behind a reference of kind View.
    virtual std::optional<ViewInfo> view(const ObjectRef& ref) const = 0;

    // Whether a user (schema) of that name exists: decides between ORA-00942 and ORA-01918-like messages and lets
    // "schema.object" be told apart from "table.column" where the grammar is ambiguous.
    virtual bool schemaExists(std::string_view name) const = 0;

    // A table or view of another database named through a database link: the table of the session's connection
    // that stands for it (its rows are read from the remote side when the statement runs) with the remote columns.
    // Throws engine::Error: ORA-02019 for a link that does not exist (all a catalog without links knows), the
    // errors of reaching its database, and the remote side's errors.
    virtual TableInfo remoteTable(const RemoteName& name) const
    {
        throw oraError(2019, "connection description for remote database not found", name.linkOffset);
    }

    // The SQL that reads NEXTVAL (next) or CURRVAL of a sequence of another database named through a database
    // link, one call per row. Throws engine::Error as remoteTable.
    virtual std::string remoteSequence(const RemoteName& name, bool next) const
    {
        (void)next;
        throw oraError(2019, "connection description for remote database not found", name.linkOffset);
    }
};

// Functions the catalog (core) registers on each session's connection and the emitted SQL calls. Their names
// are fixed here so emitter and core agree:
//   ORA_ROWID(obj#, rowno)         -> the 18-character ROWID text of a row
//   ORA_ROWID_ROWNO(rowid, obj#)   -> the row number the ROWID names when it belongs to obj#, else NULL;
//                                     ORA-01410 invalid ROWID for a text that is no ROWID
//   ORA_SEQ_NEXTVAL(obj#)          -> the sequence's next value
//   ORA_SEQ_CURRVAL(obj#)          -> the session's current value; ORA-08002 when NEXTVAL was not yet used
//   ORA_ROW_LOCKED(obj#, rowno)    -> 1 when another session holds the row's lock, else 0 (FOR UPDATE SKIP LOCKED)
inline constexpr const char* kRowidFunction = "ORA_ROWID";
inline constexpr const char* kRowidRownoFunction = "ORA_ROWID_ROWNO";
inline constexpr const char* kSeqNextvalFunction = "ORA_SEQ_NEXTVAL";
inline constexpr const char* kSeqCurrvalFunction = "ORA_SEQ_CURRVAL";
inline constexpr const char* kRowLockedFunction = "ORA_ROW_LOCKED";

} // namespace engine::bind

// The value types of the access layer: Oracle's column types, bind types and directions, statement kinds.
// Values travel as QVariant: null is an invalid QVariant, NUMBER a qint64 or double, DATE a QDateTime (in UTC,
// used as a wall-clock time), text a QString, RAW/BLOB a QByteArray.
#pragma once

#include <QString>

namespace db {

enum class FieldType { Varchar2, Char, Number, Date, Long, Clob, Blob, Raw, Rowid, RefCursor };

// The bind types windows declare; the driver maps them to Oracle types.
enum class BindType { String, Integer, Float, Date, Long, Clob, Blob, Cursor };

enum class BindDirection { In, Out, InOut };

enum class StatementKind {
    Select,
    Insert,
    Update,
    Delete,
    PlSql,
    Ddl,
    Commit,
    Rollback,
    Savepoint,
    SetTransaction,
    AlterSession,
    LockTable,
    Other
};

FieldType fieldTypeOf(BindType type);
QString fieldTypeName(FieldType type);

} // namespace db

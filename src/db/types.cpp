#include "db/types.h"

namespace db {

FieldType fieldTypeOf(BindType type)
{
    switch (type) {
    case BindType::String:
        return FieldType::Varchar2;
    case BindType::Integer:
    case BindType::Float:
        return FieldType::Number;
    case BindType::Date:
        return FieldType::Date;
    case BindType::Long:
        return FieldType::Long;
    case BindType::Clob:
        return FieldType::Clob;
    case BindType::Blob:
        return FieldType::Blob;
    case BindType::Cursor:
        return FieldType::RefCursor;
    }
    return FieldType::Varchar2;
}

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::Varchar2:
        return QStringLiteral("VARCHAR2");
    case FieldType::Char:
        return QStringLiteral("CHAR");
    case FieldType::Number:
        return QStringLiteral("NUMBER");
    case FieldType::Date:
        return QStringLiteral("DATE");
    case FieldType::Long:
        return QStringLiteral("LONG");
    case FieldType::Clob:
        return QStringLiteral("CLOB");
    case FieldType::Blob:
        return QStringLiteral("BLOB");
    case FieldType::Raw:
        return QStringLiteral("RAW");
    case FieldType::Rowid:
        return QStringLiteral("ROWID");
    case FieldType::RefCursor:
        return QStringLiteral("REF CURSOR");
    }
    return {};
}

} // namespace db

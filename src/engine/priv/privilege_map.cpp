// Privilege names and numbers.
#include "engine/priv/privilege_map.h"

#include "engine/catalog/schema.h"

namespace engine::priv {

const std::vector<SystemPrivilegeName>& systemPrivileges()
{
    static const std::vector<SystemPrivilegeName> list = {
        { -3, "ALTER SYSTEM" },
        { -4, "AUDIT SYSTEM" },
        { -5, "CREATE SESSION" },
        { -6, "ALTER SESSION" },
        { -7, "RESTRICTED SESSION" },
        { -10, "CREATE TABLESPACE" },
        { -11, "ALTER TABLESPACE" },
        { -12, "MANAGE TABLESPACE" },
        { -13, "DROP TABLESPACE" },
        { -15, "UNLIMITED TABLESPACE" },
        { -20, "CREATE USER" },
        { -21, "BECOME USER" },
        { -22, "ALTER USER" },
        { -23, "DROP USER" },
        { -30, "CREATE ROLLBACK SEGMENT" },
        { -31, "ALTER ROLLBACK SEGMENT" },
        { -32, "DROP ROLLBACK SEGMENT" },
        { -40, "CREATE TABLE" },
        { -41, "CREATE ANY TABLE" },
        { -42, "ALTER ANY TABLE" },
        { -43, "BACKUP ANY TABLE" },
        { -44, "DROP ANY TABLE" },
        { -45, "LOCK ANY TABLE" },
        { -46, "COMMENT ANY TABLE" },
        { -47, "SELECT ANY TABLE" },
        { -48, "INSERT ANY TABLE" },
        { -49, "UPDATE ANY TABLE" },
        { -50, "DELETE ANY TABLE" },
        { -60, "CREATE CLUSTER" },
        { -61, "CREATE ANY CLUSTER" },
        { -62, "ALTER ANY CLUSTER" },
        { -63, "DROP ANY CLUSTER" },
        { -71, "CREATE ANY INDEX" },
        { -72, "ALTER ANY INDEX" },
        { -73, "DROP ANY INDEX" },
        { -80, "CREATE SYNONYM" },
        { -81, "CREATE ANY SYNONYM" },
        { -82, "DROP ANY SYNONYM" },
        { -83, "SYSDBA" },
        { -84, "SYSOPER" },
        { -85, "CREATE PUBLIC SYNONYM" },
        { -86, "DROP PUBLIC SYNONYM" },
        { -90, "CREATE VIEW" },
        { -91, "CREATE ANY VIEW" },
        { -92, "DROP ANY VIEW" },
        { -105, "CREATE SEQUENCE" },
        { -106, "CREATE ANY SEQUENCE" },
        { -107, "ALTER ANY SEQUENCE" },
        { -108, "DROP ANY SEQUENCE" },
        { -109, "SELECT ANY SEQUENCE" },
        { -115, "CREATE DATABASE LINK" },
        { -120, "CREATE PUBLIC DATABASE LINK" },
        { -121, "DROP PUBLIC DATABASE LINK" },
        { -125, "CREATE ROLE" },
        { -126, "DROP ANY ROLE" },
        { -127, "GRANT ANY ROLE" },
        { -128, "ALTER ANY ROLE" },
        { -130, "AUDIT ANY" },
        { -135, "ALTER DATABASE" },
        { -138, "FORCE TRANSACTION" },
        { -139, "FORCE ANY TRANSACTION" },
        { -140, "CREATE PROCEDURE" },
        { -141, "CREATE ANY PROCEDURE" },
        { -142, "ALTER ANY PROCEDURE" },
        { -143, "DROP ANY PROCEDURE" },
        { -144, "EXECUTE ANY PROCEDURE" },
        { -151, "CREATE TRIGGER" },
        { -152, "CREATE ANY TRIGGER" },
        { -153, "ALTER ANY TRIGGER" },
        { -154, "DROP ANY TRIGGER" },
        { -160, "CREATE PROFILE" },
        { -161, "ALTER PROFILE" },
        { -162, "DROP PROFILE" },
        { -163, "ALTER RESOURCE COST" },
        { -165, "ANALYZE ANY" },
        { -167, "GRANT ANY PRIVILEGE" },
        { -177, "CREATE ANY DIRECTORY" },
        { -178, "DROP ANY DIRECTORY" },
        { -180, "CREATE TYPE" },
        { -181, "CREATE ANY TYPE" },
        { -182, "ALTER ANY TYPE" },
        { -183, "DROP ANY TYPE" },
        { -184, "EXECUTE ANY TYPE" },
        { -237, "SELECT ANY DICTIONARY" },
        { -243, "FLASHBACK ANY TABLE" },
        { -244, "GRANT ANY OBJECT PRIVILEGE" },
        { -264, "CREATE JOB" },
        { -265, "CREATE ANY JOB" },
        { -268, "MANAGE SCHEDULER" },
    };
    return list;
}

std::optional<int> systemPrivilegeNumber(std::string_view name)
{
    for (const auto& p : systemPrivileges())
        if (name == p.name)
            return p.number;
    return std::nullopt;
}

std::string systemPrivilegeName(int number)
{
    for (const auto& p : systemPrivileges())
        if (p.number == number)
            return p.name;
    return {};
}

namespace {

struct ObjectPrivilegeName {
    ObjectPrivilege privilege;
    const char* name;
};

constexpr ObjectPrivilegeName kObjectPrivileges[] = {
    { ObjectPrivilege::Alter, "ALTER" },
    { ObjectPrivilege::Delete, "DELETE" },
    { ObjectPrivilege::Index, "INDEX" },
    { ObjectPrivilege::Insert, "INSERT" },
    { ObjectPrivilege::Select, "SELECT" },
    { ObjectPrivilege::Update, "UPDATE" },
    { ObjectPrivilege::References, "REFERENCES" },
    { ObjectPrivilege::Execute, "EXECUTE" },
};

} // namespace

std::optional<ObjectPrivilege> objectPrivilegeByName(std::string_view name)
{
    for (const auto& p : kObjectPrivileges)
        if (name == p.name)
            return p.privilege;
    return std::nullopt;
}

const char* objectPrivilegeName(ObjectPrivilege p)
{
    for (const auto& o : kObjectPrivileges)
        if (o.privilege == p)
            return o.name;
    return "";
}

std::vector<ObjectPrivilege> privilegesFor(int objectType)
{
    using P = ObjectPrivilege;
    switch (objectType) {
    case catalog::kTypeTable:
        return { P::Alter, P::Delete, P::Index, P::Insert, P::Select, P::Update, P::References };
    case catalog::kTypeView:
        return { P::Delete, P::Insert, P::Select, P::Update, P::References };
    case catalog::kTypeSequence:
        return { P::Alter, P::Select };
    case catalog::kTypeProcedure:
    case catalog::kTypeFunction:
    case catalog::kTypePackage:
    case catalog::kTypeType:
        return { P::Execute };
    default:
        return {};
    }
}

int anyPrivilegeFor(int objectType, ObjectPrivilege p)
{
    using P = ObjectPrivilege;
    switch (objectType) {
    case catalog::kTypeTable:
    case catalog::kTypeView:
        switch (p) {
        case P::Select:
            return sys::SelectAnyTable;
        case P::Insert:
            return sys::InsertAnyTable;
        case P::Update:
            return sys::UpdateAnyTable;
        case P::Delete:
            return sys::DeleteAnyTable;
        case P::Alter:
            return objectType == catalog::kTypeTable ? sys::AlterAnyTable : 0;
        case P::Index:
            return objectType == catalog::kTypeTable ? sys::CreateAnyIndex : 0;
        default:
            return 0;
        }
    case catalog::kTypeSequence:
        return p == P::Select ? sys::SelectAnySequence : p == P::Alter ? sys::AlterAnySequence : 0;
    case catalog::kTypeProcedure:
    case catalog::kTypeFunction:
    case catalog::kTypePackage:
    case catalog::kTypePackageBody:
        return p == P::Execute ? sys::ExecuteAnyProcedure : 0;
    case catalog::kTypeType:
        return p == P::Execute ? sys::ExecuteAnyType : 0;
    default:
        return 0;
    }
}

const std::vector<int>& visibilityPrivileges(int objectType)
{
    static const std::vector<int> tables = { sys::AlterAnyTable, sys::DropAnyTable, sys::LockAnyTable,
        sys::CommentAnyTable, sys::SelectAnyTable, sys::InsertAnyTable, sys::UpdateAnyTable, sys::DeleteAnyTable };
    static const std::vector<int> views
        = { sys::SelectAnyTable, sys::InsertAnyTable, sys::UpdateAnyTable, sys::DeleteAnyTable, sys::DropAnyView };
    static const std::vector<int> sequences = { sys::AlterAnySequence, sys::DropAnySequence, sys::SelectAnySequence };
    static const std::vector<int> code = { sys::AlterAnyProcedure, sys::DropAnyProcedure, sys::ExecuteAnyProcedure };
    static const std::vector<int> triggers = { sys::AlterAnyTrigger, sys::DropAnyTrigger };
    static const std::vector<int> indexes = { sys::AlterAnyIndex, sys::DropAnyIndex };
    static const std::vector<int> synonyms = { sys::DropAnySynonym };
    static const std::vector<int> types = { sys::DropAnyType, sys::ExecuteAnyType };
    static const std::vector<int> none;
    switch (objectType) {
    case catalog::kTypeTable:
        return tables;
    case catalog::kTypeView:
        return views;
    case catalog::kTypeSequence:
        return sequences;
    case catalog::kTypeProcedure:
    case catalog::kTypeFunction:
    case catalog::kTypePackage:
    case catalog::kTypePackageBody:
        return code;
    case catalog::kTypeTrigger:
        return triggers;
    case catalog::kTypeIndex:
        return indexes;
    case catalog::kTypeSynonym:
        return synonyms;
    case catalog::kTypeType:
        return types;
    default:
        return none;
    }
}

const std::vector<int>& resourcePrivileges()
{
    // Oracle's RESOURCE: the CREATE privileges of a schema's own objects (clusters, index types, operators and
    // types are not objects here but keep their grants, as the dictionary shows them).
    static const std::vector<int> list = { -60, sys::CreateTable, sys::CreateSequence, sys::CreateProcedure,
        sys::CreateTrigger, -180 };
    return list;
}

} // namespace engine::priv

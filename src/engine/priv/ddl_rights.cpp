// DDL rights: who may create, change and drop what, as Oracle decides it.
#include "engine/priv/ddl_rights.h"

#include "engine/bind/bound.h"
#include "engine/catalog/catalog.h"
#include "engine/catalog/schema.h"
#include "engine/engine.h"
#include "engine/priv/privilege_cache.h"
#include "engine/priv/privilege_map.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"

namespace engine::priv {

namespace {

[[noreturn]] void insufficient(int offset)
{
    throw oraError(1031, "insufficient privileges", offset);
}

void require(SessionState& s, int privilege, int offset)
{
    if (!hasSystemPrivilege(s, privilege))
        insufficient(offset);
}

std::string ownerName(SessionState& s, const sql::ObjectName& name)
{
    return name.schema ? name.schema->name : s.schema;
}

// CREATE of an object: the own privilege in the user's schema, the ANY one elsewhere.
void requireCreate(SessionState& s, const sql::ObjectName& name, int own, int any)
{
    const bool mine = ownerName(s, name) == s.user;
    if ((mine && hasSystemPrivilege(s, own)) || hasSystemPrivilege(s, any))
        return;
    insufficient(name.offset);
}

std::optional<catalog::ObjectRow> existing(SessionState& s, const sql::ObjectName& name, bool followSynonyms)
{
    if (name.dblink)
        return std::nullopt;
    catalog::Lookup lookup(s.conn);
    try {
        return lookup.resolveObject(
            name.schema ? name.schema->name : "", name.name.name, s.schema, followSynonyms && !name.schema);
    } catch (const Error&) {
        return std::nullopt; // the statement itself reports a broken synonym
    }
}

[[noreturn]] void notVisible(int type, int offset)
{
    if (type == catalog::kTypeSequence)
        throw oraError(2289, "sequence does not exist", offset);
    throw oraError(942, "table or view does not exist", offset);
}

// Work on an existing object of another user: allowed with the object privilege (when there is one) or the ANY
// privilege; ORA-00942 when the object is not visible, ORA-01031 when it is.
void requireOnObject(SessionState& s, const catalog::ObjectRow& o, std::optional<ObjectPrivilege> objectPrivilege,
    int anyPrivilege, int offset)
{
    if (o.ownerId == s.userId || (anyPrivilege && hasSystemPrivilege(s, anyPrivilege)))
        return;
    if (objectPrivilege && hasObjectPrivilege(s, o.id, *objectPrivilege))
        return;
    if (!maySee(s, o.id))
        notVisible(o.type, offset);
    insufficient(offset);
}

// A statement naming a table, view or sequence of a kind: checks only when the object exists and is of that kind
// (the statement itself reports a missing or wrong object).
void onExisting(SessionState& s, const sql::ObjectName& name, std::initializer_list<int> types,
    std::optional<ObjectPrivilege> objectPrivilege, int anyPrivilege, bool followSynonyms = false)
{
    auto o = existing(s, name, followSynonyms);
    if (!o)
        return;
    for (int t : types)
        if (o->type == t)
            return requireOnObject(s, *o, objectPrivilege, anyPrivilege, name.name.offset);
}

// A foreign key onto another's table: its owner-to-be needs REFERENCES on it, granted directly.
void checkReferences(SessionState& s, const std::string& owner, const sql::Constraint& c)
{
    if (c.type != sql::ConstraintType::ForeignKey || !c.refTable)
        return;
    auto parent = existing(s, *c.refTable, true);
    if (!parent || parent->type != catalog::kTypeTable || parent->owner == owner)
        return;
    if (!userMaySee(s, owner, parent->id))
        throw oraError(942, "table or view does not exist", c.refTable->offset);
    if (!userHasObjectPrivilege(s, owner, parent->id, ObjectPrivilege::References))
        insufficient(c.refTable->offset);
}

void checkConstraints(SessionState& s, const std::string& owner, const std::vector<sql::ColumnDef>& columns,
    const std::vector<sql::Constraint>& constraints)
{
    for (const sql::ColumnDef& col : columns)
        for (const sql::Constraint& c : col.constraints)
            checkReferences(s, owner, c);
    for (const sql::Constraint& c : constraints)
        checkReferences(s, owner, c);
}

std::optional<catalog::ObjectRow> indexNamed(SessionState& s, const sql::ObjectName& name)
{
    catalog::Catalog cat(s.conn);
    auto u = cat.user(ownerName(s, name));
    if (!u)
        return std::nullopt;
    return cat.object(u->id, name.name.name, catalog::namespaceOf(catalog::kTypeIndex));
}

void onIndex(SessionState& s, const sql::ObjectName& name, int anyPrivilege)
{
    auto idx = indexNamed(s, name);
    if (!idx || idx->ownerId == s.userId || hasSystemPrivilege(s, anyPrivilege))
        return;
    auto table = catalog::Catalog(s.conn).tableOfIndex(idx->id);
    if (!table || !maySee(s, *table))
        throw oraError(1418, "specified index does not exist", name.name.offset);
    insufficient(name.name.offset);
}

void dropCode(SessionState& s, const sql::DropObjectStmt& d)
{
    if (d.objectType == "DATABASE LINK") {
        if (d.isPublic)
            require(s, sys::DropPublicDatabaseLink, d.offset);
        return;
    }
    int any = 0;
    if (d.objectType == "PROCEDURE" || d.objectType == "FUNCTION" || d.objectType == "PACKAGE"
        || d.objectType == "PACKAGE BODY")
        any = sys::DropAnyProcedure;
    else if (d.objectType == "TRIGGER")
        any = sys::DropAnyTrigger;
    else if (d.objectType == "TYPE" || d.objectType == "TYPE BODY")
        any = sys::DropAnyType;
    if (!any || ownerName(s, d.name) == s.user || hasSystemPrivilege(s, any))
        return;
    insufficient(d.name.name.offset);
}

} // namespace

void checkDdl(SessionState& s, const sql::Statement& stmt)
{
    if (s.sysdba || s.userId == catalog::kSysUser)
        return;
    using K = sql::StatementKind;
    using P = ObjectPrivilege;
    switch (stmt.kind) {
    case K::CreateTable: {
        const auto& st = *stmt.as<sql::CreateTableStmt>();
        requireCreate(s, st.name, sys::CreateTable, sys::CreateAnyTable);
        checkConstraints(s, ownerName(s, st.name), st.columns, st.constraints);
        break;
    }
    case K::AlterTable: {
        const auto& st = *stmt.as<sql::AlterTableStmt>();
        onExisting(s, st.table, { catalog::kTypeTable }, P::Alter, sys::AlterAnyTable, true);
        if (auto t = existing(s, st.table, true); t && t->type == catalog::kTypeTable)
            for (const sql::AlterTableAction& a : st.actions)
                checkConstraints(s, t->owner, a.columns, a.constraints);
        break;
    }
    case K::DropTable:
        onExisting(s, stmt.as<sql::DropTableStmt>()->table, { catalog::kTypeTable }, std::nullopt, sys::DropAnyTable);
        break;
    case K::Truncate:
        onExisting(s, stmt.as<sql::TruncateStmt>()->table, { catalog::kTypeTable }, std::nullopt, sys::DropAnyTable);
        break;
    case K::CreateIndex: {
        const auto& st = *stmt.as<sql::CreateIndexStmt>();
        if (ownerName(s, st.index) != s.user)
            require(s, sys::CreateAnyIndex, st.index.name.offset);
        onExisting(s, st.table, { catalog::kTypeTable }, P::Index, sys::CreateAnyIndex, true);
        break;
    }
    case K::DropIndex:
        onIndex(s, stmt.as<sql::DropIndexStmt>()->index, sys::DropAnyIndex);
        break;
    case K::AlterIndex:
        onIndex(s, stmt.as<sql::AlterIndexStmt>()->index, sys::AlterAnyIndex);
        break;
    case K::CreateSequence:
        requireCreate(s, stmt.as<sql::CreateSequenceStmt>()->sequence, sys::CreateSequence, sys::CreateAnySequence);
        break;
    case K::AlterSequence:
        onExisting(s, stmt.as<sql::AlterSequenceStmt>()->sequence, { catalog::kTypeSequence }, P::Alter,
            sys::AlterAnySequence, true);
        break;
    case K::DropSequence:
        onExisting(s, stmt.as<sql::DropSequenceStmt>()->sequence, { catalog::kTypeSequence }, std::nullopt,
            sys::DropAnySequence);
        break;
    case K::CreateView: {
        const auto& st = *stmt.as<sql::CreateViewStmt>();
        requireCreate(s, st.view, sys::CreateView, sys::CreateAnyView);
        break;
    }
    case K::DropView:
        onExisting(s, stmt.as<sql::DropViewStmt>()->view, { catalog::kTypeView }, std::nullopt, sys::DropAnyView);
        break;
    case K::AlterCode:
        if (stmt.as<sql::AlterCodeStmt>()->objectType == "VIEW")
            onExisting(s, stmt.as<sql::AlterCodeStmt>()->name, { catalog::kTypeView }, std::nullopt,
                sys::AlterAnyTable);
        break;
    case K::CreateSynonym: {
        const auto& st = *stmt.as<sql::CreateSynonymStmt>();
        if (st.isPublic)
            require(s, sys::CreatePublicSynonym, st.synonym.name.offset);
        else
            requireCreate(s, st.synonym, sys::CreateSynonym, sys::CreateAnySynonym);
        break;
    }
    case K::DropSynonym: {
        const auto& st = *stmt.as<sql::DropSynonymStmt>();
        if (st.isPublic)
            require(s, sys::DropPublicSynonym, st.synonym.name.offset);
        else if (ownerName(s, st.synonym) != s.user)
            require(s, sys::DropAnySynonym, st.synonym.name.offset);
        break;
    }
    case K::Comment:
        onExisting(s, stmt.as<sql::CommentStmt>()->table, { catalog::kTypeTable, catalog::kTypeView }, std::nullopt,
            sys::CommentAnyTable, true);
        break;
    case K::CreateUser:
        require(s, sys::CreateUser, stmt.offset);
        break;
    case K::AlterUser: {
        const auto& st = *stmt.as<sql::AlterUserStmt>();
        const sql::UserOptions& o = st.options;
        // Everyone may change the own password, and only that.
        const bool ownPassword = st.user.name == s.user && o.password && !o.identifiedExternally
            && !o.defaultTablespace && !o.temporaryTablespace && o.quotas.empty() && !o.profile && !o.accountLocked
            && !o.passwordExpire && !o.defaultRoles && !o.defaultRoleAll;
        if (!ownPassword)
            require(s, sys::AlterUser, stmt.offset);
        break;
    }
    case K::DropUser:
        require(s, sys::DropUser, stmt.offset);
        break;
    case K::DropObject:
        dropCode(s, *stmt.as<sql::DropObjectStmt>());
        break;
    case K::PlSql: {
        const auto& st = *stmt.as<sql::PlSqlStmt>();
        if (st.name && st.unit == sql::PlSqlStmt::Unit::Type) {
            const bool mine = ownerName(s, *st.name) == s.user;
            if (!(mine && hasSystemPrivilege(s, sys::CreateType)) && !hasSystemPrivilege(s, sys::CreateAnyType))
                insufficient(-1);
        } else if (st.name) {
            checkCreateCode(s, ownerName(s, *st.name), st.unit == sql::PlSqlStmt::Unit::Trigger);
        }
        break;
    }
    default:
        break;
    }
}

void checkViewQuery(SessionState& s, const std::string& owner, const bind::BoundStatement& query)
{
    for (const bind::ObjectAccess& a : query.accesses) {
        if (!a.definer.empty())
            continue; // inside another view: that view's owner answers for it
        // What the session sees only through a role is ORA-01031 here, as Oracle has it for views.
        const int64_t id = a.object.objectId;
        if (!userMaySee(s, owner, id) || !userHasObjectPrivilege(s, owner, id, ObjectPrivilege::Select))
            insufficient(a.offset);
    }
}

void checkCreateDatabaseLink(SessionState& s, bool isPublic)
{
    require(s, isPublic ? sys::CreatePublicDatabaseLink : sys::CreateDatabaseLink, -1);
}

void checkCreateCode(SessionState& s, const std::string& owner, bool trigger)
{
    const bool mine = owner == s.user;
    const int own = trigger ? sys::CreateTrigger : sys::CreateProcedure;
    const int any = trigger ? sys::CreateAnyTrigger : sys::CreateAnyProcedure;
    if ((mine && hasSystemPrivilege(s, own)) || hasSystemPrivilege(s, any))
        return;
    insufficient(-1);
}

} // namespace engine::priv

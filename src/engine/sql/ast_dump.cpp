// Canonical SQL text of a syntax tree (see ast_dump.h).
#include "engine/sql/ast_dump.h"
#include "engine/sql/ast_dump_impl.h"

#include "engine/sql/lexer.h"

namespace engine::sql {

namespace detail {

void Dumper::returning(const std::optional<Returning>& r)
{
    if (!r)
        return;
    put(" RETURNING ");
    exprs(r->exprs);
    put(" INTO ");
    for (size_t i = 0; i < r->into.size(); ++i) {
        if (i)
            put(", ");
        expr(*r->into[i]);
    }
}

void Dumper::constraint(const Constraint& c)
{
    if (c.name) {
        put("CONSTRAINT ");
        id(*c.name);
        put(" ");
    }
    switch (c.type) {
    case ConstraintType::NotNull:
        put("NOT NULL");
        break;
    case ConstraintType::Null:
        put("NULL");
        break;
    case ConstraintType::Check:
        put("CHECK (");
        expr(*c.check);
        put(")");
        break;
    case ConstraintType::PrimaryKey:
        put("PRIMARY KEY");
        break;
    case ConstraintType::Unique:
        put("UNIQUE");
        break;
    case ConstraintType::ForeignKey:
        if (!c.inlineConstraint)
            put("FOREIGN KEY");
        break;
    }
    if (!c.inlineConstraint && c.type != ConstraintType::Check) {
        put(" ");
        idList(c.columns);
    }
    if (c.refTable) {
        put(c.inlineConstraint ? "REFERENCES " : " REFERENCES ");
        object(*c.refTable);
        if (!c.refColumns.empty()) {
            put(" ");
            idList(c.refColumns);
        }
        if (c.onDelete == Constraint::OnDelete::Cascade)
            put(" ON DELETE CASCADE");
        else if (c.onDelete == Constraint::OnDelete::SetNull)
            put(" ON DELETE SET NULL");
    }
    if (c.deferrable)
        put(" DEFERRABLE");
    if (c.initiallyDeferred)
        put(" INITIALLY DEFERRED");
    if (c.rely)
        put(" RELY");
    if (!c.indexText.empty())
        put(" " + c.indexText);
    if (c.enable)
        put(*c.enable ? " ENABLE" : " DISABLE");
    if (c.validate)
        put(*c.validate ? " VALIDATE" : " NOVALIDATE");
}

void Dumper::column(const ColumnDef& c)
{
    id(c.name);
    if (c.type) {
        put(" ");
        dataType(*c.type);
    }
    if (c.defaultValue) {
        put(" DEFAULT ");
        expr(*c.defaultValue);
    }
    for (const Constraint& k : c.constraints) {
        put(" ");
        constraint(k);
    }
}

void Dumper::sequenceOptions(const SequenceOptions& o)
{
    if (o.incrementBy)
        put(" INCREMENT BY " + *o.incrementBy);
    if (o.startWith)
        put(" START WITH " + *o.startWith);
    if (o.maxValue)
        put(" MAXVALUE " + *o.maxValue);
    if (o.noMaxValue)
        put(" NOMAXVALUE");
    if (o.minValue)
        put(" MINVALUE " + *o.minValue);
    if (o.noMinValue)
        put(" NOMINVALUE");
    if (o.cycle)
        put(*o.cycle ? " CYCLE" : " NOCYCLE");
    if (o.cache)
        put(" CACHE " + *o.cache);
    if (o.noCache)
        put(" NOCACHE");
    if (o.order)
        put(*o.order ? " ORDER" : " NOORDER");
    if (o.restart)
        put(" RESTART");
}

void Dumper::password(const std::string& p, bool quoted)
{
    if (quoted)
        put("\"" + p + "\"");
    else
        put(p);
}

void Dumper::userOptions(const UserOptions& o)
{
    if (o.password) {
        put(" IDENTIFIED BY ");
        password(*o.password, o.passwordQuoted);
    }
    if (o.identifiedExternally)
        put(" IDENTIFIED EXTERNALLY");
    if (o.defaultTablespace) {
        put(" DEFAULT TABLESPACE ");
        id(*o.defaultTablespace);
    }
    if (o.temporaryTablespace) {
        put(" TEMPORARY TABLESPACE ");
        id(*o.temporaryTablespace);
    }
    for (const Quota& q : o.quotas) {
        put(" QUOTA " + q.size + " ON ");
        id(q.tablespace);
    }
    if (o.profile) {
        put(" PROFILE ");
        id(*o.profile);
    }
    if (o.passwordExpire)
        put(" PASSWORD EXPIRE");
    if (o.accountLocked)
        put(*o.accountLocked ? " ACCOUNT LOCK" : " ACCOUNT UNLOCK");
    if (o.defaultRoleAll)
        put(" DEFAULT ROLE ALL");
    else if (o.defaultRoles) {
        put(" DEFAULT ROLE ");
        if (o.defaultRoles->empty())
            put("NONE");
        else
            ids(*o.defaultRoles, ", ");
    }
}

void Dumper::privileges(const std::vector<Privilege>& list)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (i)
            put(", ");
        if (list[i].quoted)
            put("\"" + list[i].name + "\"");
        else
            put(list[i].name);
        if (!list[i].columns.empty()) {
            put(" ");
            idList(list[i].columns);
        }
    }
}

void Dumper::merge(const MergeStmt& m)
{
    put("MERGE INTO ");
    object(m.target);
    if (m.targetAlias) {
        put(" ");
        id(*m.targetAlias);
    }
    put(" USING ");
    if (m.sourceTable)
        object(*m.sourceTable);
    else
        put("(" + m.sourceQueryText + ")");
    if (m.sourceAlias) {
        put(" ");
        id(*m.sourceAlias);
    }
    put(" ON (" + m.onText + ")");
    if (m.matched) {
        put(" WHEN MATCHED THEN UPDATE SET ");
        for (size_t k = 0; k < m.sets.size(); ++k) {
            put(k ? ", " : "");
            id(m.sets[k].column);
            put(" = " + (m.sets[k].valueText.empty() ? std::string("DEFAULT") : m.sets[k].valueText));
        }
        if (!m.updateWhere.empty())
            put(" WHERE " + m.updateWhere);
        if (!m.deleteWhere.empty())
            put(" DELETE WHERE " + m.deleteWhere);
    }
    if (m.notMatched) {
        put(" WHEN NOT MATCHED THEN INSERT");
        if (!m.insertColumns.empty()) {
            put(" ");
            idList(m.insertColumns);
        }
        put(" VALUES (");
        for (size_t k = 0; k < m.insertValues.size(); ++k)
            put((k ? ", " : "") + m.insertValues[k]);
        put(")");
        if (!m.insertWhere.empty())
            put(" WHERE " + m.insertWhere);
    }
}

void Dumper::multiInsert(const MultiInsertStmt& m)
{
    put(m.first ? "INSERT FIRST" : "INSERT ALL");
    int condition = -1;
    for (const auto& into : m.intos) {
        if (into.condition >= 0 && into.condition != condition)
            put(" WHEN " + m.conditions[static_cast<size_t>(into.condition)] + " THEN");
        else if (into.condition == -2 && condition != -2)
            put(" ELSE");
        condition = into.condition;
        put(" INTO ");
        object(into.table);
        if (!into.columns.empty()) {
            put(" ");
            idList(into.columns);
        }
        if (!into.values.empty()) {
            put(" VALUES (");
            for (size_t k = 0; k < into.values.size(); ++k)
                put((k ? ", " : "") + into.values[k]);
            put(")");
        }
    }
    put(" " + m.queryText);
}

void Dumper::statement(const Statement& s)
{
    switch (s.kind) {
    case StatementKind::Select:
        query(*s.as<SelectStmt>()->query);
        break;
    case StatementKind::Insert: {
        const auto* i = s.as<InsertStmt>();
        put("INSERT INTO ");
        object(i->table);
        if (i->alias) {
            put(" ");
            id(*i->alias);
        }
        if (!i->columns.empty()) {
            put(" ");
            idList(i->columns);
        }
        if (i->query) {
            put(" ");
            query(*i->query);
        } else {
            put(" VALUES (");
            for (size_t k = 0; k < i->values.size(); ++k) {
                if (k)
                    put(", ");
                if (i->valueIsDefault[k])
                    put("DEFAULT");
                else
                    expr(*i->values[k]);
            }
            put(")");
        }
        returning(i->returning);
        break;
    }
    case StatementKind::Merge:
        merge(*s.as<MergeStmt>());
        break;
    case StatementKind::MultiInsert:
        multiInsert(*s.as<MultiInsertStmt>());
        break;
    case StatementKind::AlterRollbackSegment: {
        const auto* r = s.as<AlterRollbackSegmentStmt>();
        put("ALTER ROLLBACK SEGMENT ");
        id(r->segment);
        put(r->online ? " ONLINE" : " OFFLINE");
        break;
    }
    case StatementKind::Update: {
        const auto* u = s.as<UpdateStmt>();
        put("UPDATE ");
        object(u->table);
        if (u->alias) {
            put(" ");
            id(*u->alias);
        }
        put(" SET ");
        for (size_t k = 0; k < u->sets.size(); ++k) {
            if (k)
                put(", ");
            const SetClause& c = u->sets[k];
            if (c.columns.size() == 1 && c.value && c.value->kind != ExprKind::Subquery)
                id(c.columns[0]);
            else if (c.columns.size() == 1)
                id(c.columns[0]);
            else
                idList(c.columns);
            put(" = ");
            if (c.isDefault)
                put("DEFAULT");
            else
                expr(*c.value);
        }
        if (u->where) {
            put(" WHERE ");
            expr(*u->where);
        }
        returning(u->returning);
        break;
    }
    case StatementKind::Delete: {
        const auto* d = s.as<DeleteStmt>();
        put("DELETE FROM ");
        object(d->table);
        if (d->alias) {
            put(" ");
            id(*d->alias);
        }
        if (d->where) {
            put(" WHERE ");
            expr(*d->where);
        }
        returning(d->returning);
        break;
    }
    case StatementKind::LockTable: {
        const auto* l = s.as<LockTableStmt>();
        put("LOCK TABLE ");
        for (size_t k = 0; k < l->tables.size(); ++k) {
            if (k)
                put(", ");
            object(l->tables[k]);
        }
        static constexpr const char* Modes[]
            = { "ROW SHARE", "ROW EXCLUSIVE", "SHARE", "SHARE ROW EXCLUSIVE", "EXCLUSIVE", "SHARE UPDATE" };
        put(" IN ");
        put(Modes[static_cast<int>(l->mode)]);
        put(" MODE");
        if (l->nowait)
            put(" NOWAIT");
        if (l->wait)
            put(" WAIT " + std::to_string(*l->wait));
        break;
    }
    case StatementKind::Truncate:
        put("TRUNCATE TABLE ");
        object(s.as<TruncateStmt>()->table);
        if (s.as<TruncateStmt>()->reuseStorage)
            put(" REUSE STORAGE");
        break;
    case StatementKind::Commit:
        put("COMMIT");
        if (s.as<CommitStmt>()->comment) {
            put(" COMMENT ");
            text(*s.as<CommitStmt>()->comment);
        }
        break;
    case StatementKind::Rollback:
        put("ROLLBACK");
        if (s.as<RollbackStmt>()->savepoint) {
            put(" TO SAVEPOINT ");
            id(*s.as<RollbackStmt>()->savepoint);
        }
        break;
    case StatementKind::Savepoint:
        put("SAVEPOINT ");
        id(s.as<SavepointStmt>()->name);
        break;
    case StatementKind::SetTransaction: {
        const auto* t = s.as<SetTransactionStmt>();
        static constexpr const char* Modes[] = { "READ ONLY", "READ WRITE", "ISOLATION LEVEL SERIALIZABLE",
            "ISOLATION LEVEL READ COMMITTED", "USE ROLLBACK SEGMENT " };
        put("SET TRANSACTION ");
        put(Modes[static_cast<int>(t->mode)]);
        if (t->rollbackSegment)
            id(*t->rollbackSegment);
        if (t->name) {
            put(" NAME ");
            text(*t->name);
        }
        break;
    }
    case StatementKind::AlterSession: {
        put("ALTER SESSION SET");
        for (const SessionSetting& set : s.as<AlterSessionStmt>()->settings) {
            put(" ");
            put(set.name.name); // parameter names are never quoted
            put(" = ");
            if (set.quoted)
                text(set.value);
            else
                put(set.value);
        }
        break;
    }
    case StatementKind::CreateTable: {
        const auto* t = s.as<CreateTableStmt>();
        put(t->globalTemporary ? "CREATE GLOBAL TEMPORARY TABLE " : "CREATE TABLE ");
        object(t->name);
        if (!t->columns.empty() || !t->constraints.empty()) {
            put(" (");
            bool first = true;
            for (const ColumnDef& c : t->columns) {
                if (!first)
                    put(", ");
                first = false;
                column(c);
            }
            for (const Constraint& c : t->constraints) {
                if (!first)
                    put(", ");
                first = false;
                constraint(c);
            }
            put(")");
        }
        if (t->globalTemporary)
            put(t->onCommitPreserveRows ? " ON COMMIT PRESERVE ROWS" : " ON COMMIT DELETE ROWS");
        if (!t->physicalText.empty())
            put(" " + t->physicalText);
        if (t->asQuery) {
            put(" AS ");
            query(*t->asQuery);
        }
        break;
    }
    case StatementKind::AlterTable: {
        const auto* t = s.as<AlterTableStmt>();
        put("ALTER TABLE ");
        object(t->table);
        using Type = AlterTableAction::Type;
        for (const AlterTableAction& a : t->actions) {
            switch (a.type) {
            case Type::AddColumns:
            case Type::ModifyColumns:
                put(a.type == Type::AddColumns ? " ADD (" : " MODIFY (");
                for (size_t k = 0; k < a.columns.size(); ++k) {
                    if (k)
                        put(", ");
                    column(a.columns[k]);
                }
                put(")");
                break;
            case Type::DropColumns:
                put(" DROP ");
                idList(a.names);
                if (a.cascade)
                    put(" CASCADE CONSTRAINTS");
                break;
            case Type::RenameColumn:
                put(" RENAME COLUMN ");
                id(a.names[0]);
                put(" TO ");
                id(a.names[1]);
                break;
            case Type::RenameTable:
                put(" RENAME TO ");
                id(a.names[0]);
                break;
            case Type::AddConstraint:
                for (const Constraint& c : a.constraints) {
                    put(" ADD ");
                    constraint(c);
                }
                break;
            case Type::DropConstraint:
            case Type::DropPrimaryKey:
            case Type::DropUnique:
                if (a.type == Type::DropConstraint) {
                    put(" DROP CONSTRAINT ");
                    id(a.names[0]);
                } else if (a.type == Type::DropPrimaryKey) {
                    put(" DROP PRIMARY KEY");
                } else {
                    put(" DROP UNIQUE ");
                    idList(a.names);
                }
                if (a.cascade)
                    put(" CASCADE");
                if (a.keepIndex)
                    put(" KEEP INDEX");
                break;
            case Type::EnableConstraint:
                put(a.enable ? " ENABLE" : " DISABLE");
                if (a.validate)
                    put(*a.validate ? " VALIDATE" : " NOVALIDATE");
                if (a.primaryKey) {
                    put(" PRIMARY KEY");
                } else if (!a.uniqueColumns.empty()) {
                    put(" UNIQUE ");
                    idList(a.uniqueColumns);
                } else {
                    put(" CONSTRAINT ");
                    id(a.names[0]);
                }
                if (a.cascade)
                    put(" CASCADE");
                if (a.keepIndex)
                    put(" KEEP INDEX");
                break;
            case Type::EnableAllTriggers:
                put(a.enable ? " ENABLE ALL TRIGGERS" : " DISABLE ALL TRIGGERS");
                break;
            case Type::Physical:
                put(" " + a.text);
                break;
            }
        }
        break;
    }
    case StatementKind::DropTable: {
        const auto* d = s.as<DropTableStmt>();
        put("DROP TABLE ");
        object(d->table);
        if (d->cascadeConstraints)
            put(" CASCADE CONSTRAINTS");
        if (d->purge)
            put(" PURGE");
        break;
    }
    case StatementKind::CreateIndex: {
        const auto* i = s.as<CreateIndexStmt>();
        put(i->unique ? "CREATE UNIQUE INDEX " : i->bitmap ? "CREATE BITMAP INDEX " : "CREATE INDEX ");
        object(i->index);
        put(" ON ");
        object(i->table);
        if (i->tableAlias) {
            put(" ");
            id(*i->tableAlias);
        }
        put(" (");
        for (size_t k = 0; k < i->columns.size(); ++k) {
            if (k)
                put(", ");
            expr(*i->columns[k].expr);
            if (i->columns[k].descending)
                put(" DESC");
        }
        put(")");
        if (!i->physicalText.empty())
            put(" " + i->physicalText);
        break;
    }
    case StatementKind::DropIndex:
        put("DROP INDEX ");
        object(s.as<DropIndexStmt>()->index);
        break;
    case StatementKind::AlterIndex: {
        const auto* a = s.as<AlterIndexStmt>();
        put("ALTER INDEX ");
        object(a->index);
        if (a->action == AlterIndexStmt::Action::Rebuild) {
            put(" REBUILD");
            if (!a->optionsText.empty())
                put(" " + a->optionsText);
        } else if (a->action == AlterIndexStmt::Action::RenameTo) {
            put(" RENAME TO ");
            id(*a->newName);
        } else {
            put(" " + a->optionsText);
        }
        break;
    }
    case StatementKind::CreateSequence:
        put("CREATE SEQUENCE ");
        object(s.as<CreateSequenceStmt>()->sequence);
        sequenceOptions(s.as<CreateSequenceStmt>()->options);
        break;
    case StatementKind::AlterSequence:
        put("ALTER SEQUENCE ");
        object(s.as<AlterSequenceStmt>()->sequence);
        sequenceOptions(s.as<AlterSequenceStmt>()->options);
        break;
    case StatementKind::DropSequence:
        put("DROP SEQUENCE ");
        object(s.as<DropSequenceStmt>()->sequence);
        break;
    case StatementKind::CreateView: {
        const auto* v = s.as<CreateViewStmt>();
        put("CREATE ");
        if (v->orReplace)
            put("OR REPLACE ");
        if (v->force)
            put("FORCE ");
        put("VIEW ");
        object(v->view);
        if (!v->columns.empty()) {
            put(" ");
            idList(v->columns);
        }
        put(" AS ");
        query(*v->query);
        if (v->withReadOnly)
            put(" WITH READ ONLY");
        if (v->withCheckOption)
            put(" WITH CHECK OPTION");
        if (v->constraintName) {
            put(" CONSTRAINT ");
            id(*v->constraintName);
        }
        break;
    }
    case StatementKind::DropView:
        put("DROP VIEW ");
        object(s.as<DropViewStmt>()->view);
        if (s.as<DropViewStmt>()->cascadeConstraints)
            put(" CASCADE CONSTRAINTS");
        break;
    case StatementKind::CreateSynonym: {
        const auto* c = s.as<CreateSynonymStmt>();
        put("CREATE ");
        if (c->orReplace)
            put("OR REPLACE ");
        if (c->isPublic)
            put("PUBLIC ");
        put("SYNONYM ");
        object(c->synonym);
        put(" FOR ");
        object(c->target);
        break;
    }
    case StatementKind::DropSynonym: {
        const auto* d = s.as<DropSynonymStmt>();
        put(d->isPublic ? "DROP PUBLIC SYNONYM " : "DROP SYNONYM ");
        object(d->synonym);
        if (d->force)
            put(" FORCE");
        break;
    }
    case StatementKind::Comment: {
        const auto* c = s.as<CommentStmt>();
        put(c->target == CommentStmt::Target::Table ? "COMMENT ON TABLE " : "COMMENT ON COLUMN ");
        object(c->table);
        if (c->column) {
            put(".");
            id(*c->column);
        }
        put(" IS ");
        text(c->text);
        break;
    }
    case StatementKind::CreateUser:
        put("CREATE USER ");
        id(s.as<CreateUserStmt>()->user);
        userOptions(s.as<CreateUserStmt>()->options);
        break;
    case StatementKind::AlterUser:
        put("ALTER USER ");
        id(s.as<AlterUserStmt>()->user);
        userOptions(s.as<AlterUserStmt>()->options);
        break;
    case StatementKind::DropUser:
        put("DROP USER ");
        id(s.as<DropUserStmt>()->user);
        if (s.as<DropUserStmt>()->cascade)
            put(" CASCADE");
        break;
    case StatementKind::Grant: {
        const auto* g = s.as<GrantStmt>();
        put("GRANT ");
        privileges(g->privileges);
        if (g->object) {
            put(" ON ");
            object(*g->object);
        }
        put(" TO ");
        ids(g->grantees, ", ");
        if (g->withAdminOption)
            put(" WITH ADMIN OPTION");
        if (g->withGrantOption)
            put(" WITH GRANT OPTION");
        break;
    }
    case StatementKind::Revoke: {
        const auto* r = s.as<RevokeStmt>();
        put("REVOKE ");
        privileges(r->privileges);
        if (r->object) {
            put(" ON ");
            object(*r->object);
        }
        put(" FROM ");
        ids(r->grantees, ", ");
        if (r->cascadeConstraints)
            put(" CASCADE CONSTRAINTS");
        break;
    }
    case StatementKind::CreateRole:
        put("CREATE ROLE ");
        id(s.as<CreateRoleStmt>()->role);
        if (s.as<CreateRoleStmt>()->password)
            put(" IDENTIFIED BY " + *s.as<CreateRoleStmt>()->password);
        break;
    case StatementKind::DropRole:
        put("DROP ROLE ");
        id(s.as<DropRoleStmt>()->role);
        break;
    case StatementKind::Rename:
        put("RENAME ");
        id(s.as<RenameStmt>()->from);
        put(" TO ");
        id(s.as<RenameStmt>()->to);
        break;
    case StatementKind::PlSql:
        put(s.as<PlSqlStmt>()->text);
        break;
    case StatementKind::DropObject: {
        const auto* d = s.as<DropObjectStmt>();
        put(d->isPublic ? "DROP PUBLIC " : "DROP ");
        put(d->objectType + " ");
        object(d->name);
        break;
    }
    case StatementKind::AlterCode: {
        const auto* a = s.as<AlterCodeStmt>();
        put("ALTER " + a->objectType + " ");
        object(a->name);
        put(a->action == AlterCodeStmt::Action::Enable ? " ENABLE"
                : a->action == AlterCodeStmt::Action::Disable ? " DISABLE"
                                                              : " COMPILE");
        if (!a->compileWhat.empty())
            put(" " + a->compileWhat);
        break;
    }
    case StatementKind::CreateDatabaseLink: {
        const auto* l = s.as<CreateDatabaseLinkStmt>();
        put(l->isPublic ? "CREATE PUBLIC DATABASE LINK " : "CREATE DATABASE LINK ");
        put(l->name.name);
        if (l->user) {
            put(" CONNECT TO ");
            id(*l->user);
            put(" IDENTIFIED BY \"" + l->password + "\"");
        }
        if (l->connectString) {
            std::string text;
            for (char c : *l->connectString)
                text += c == '\'' ? std::string("''") : std::string(1, c);
            put(" USING '" + text + "'");
        }
        break;
    }
    case StatementKind::AlterSystem: {
        const auto* a = s.as<AlterSystemStmt>();
        using A = AlterSystemStmt::Action;
        if (a->action == A::EnableRestrictedSession || a->action == A::DisableRestrictedSession) {
            put(a->action == A::EnableRestrictedSession ? "ALTER SYSTEM ENABLE RESTRICTED SESSION"
                                                        : "ALTER SYSTEM DISABLE RESTRICTED SESSION");
            break;
        }
        if (a->action == A::KillSession) {
            put("ALTER SYSTEM KILL SESSION ");
            text(a->session);
            if (a->immediate)
                put(" IMMEDIATE");
            break;
        }
        put("ALTER SYSTEM SET");
        for (const AlterSystemStmt::Setting& set : a->settings) {
            put(" " + set.name.name + " = ");
            for (size_t i = 0; i < set.values.size(); ++i) {
                if (i)
                    put(", ");
                if (set.quoted)
                    text(set.values[i]);
                else
                    put(set.values[i]);
            }
        }
        if (a->comment) {
            put(" COMMENT = ");
            text(*a->comment);
        }
        if (a->deferred)
            put(" DEFERRED");
        if (!a->scope.empty())
            put(" SCOPE = " + a->scope);
        if (a->sid) {
            put(" SID = ");
            text(*a->sid);
        }
        break;
    }
    case StatementKind::ExplainPlan: {
        const auto* e = s.as<ExplainPlanStmt>();
        put("EXPLAIN PLAN");
        if (e->statementId) {
            put(" SET STATEMENT_ID = ");
            text(*e->statementId);
        }
        if (e->into) {
            put(" INTO ");
            object(*e->into);
        }
        put(" FOR ");
        statement(*e->statement);
        break;
    }
    case StatementKind::Analyze: {
        const auto* a = s.as<AnalyzeStmt>();
        put("ANALYZE " + a->objectType + " ");
        object(a->name);
        put(" " + a->clause);
        if (a->cascade)
            put(a->fast ? " CASCADE FAST" : " CASCADE");
        if (a->into) {
            put(" INTO ");
            object(*a->into);
        }
        if (a->online)
            put(" ONLINE");
        break;
    }
    }
}

} // namespace detail

using detail::Dumper;

std::string dumpIdentifier(const Identifier& id)
{
    // A reserved word stays bare when it was written bare (PUBLIC as a grantee, ROWID after a qualifier).
    bool plain = !id.name.empty() && id.name[0] >= 'A' && id.name[0] <= 'Z' && (!id.quoted || !isReservedWord(id.name));
    for (char c : id.name)
        plain = plain && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#');
    return plain ? id.name : "\"" + id.name + "\"";
}

std::string dumpStatement(const Statement& statement)
{
    Dumper d;
    d.statement(statement);
    return std::move(d.out);
}

std::string dumpQuery(const Query& query)
{
    Dumper d;
    d.query(query);
    return std::move(d.out);
}

std::string dumpExpr(const Expr& expr)
{
    Dumper d;
    d.expr(expr);
    return std::move(d.out);
}

} // namespace engine::sql

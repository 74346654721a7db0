// LINK$: reading, writing and matching database links; CREATE and DROP DATABASE LINK.
#include "engine/link/link_catalog.h"

#include "engine/catalog/catalog.h"
#include "engine/link/links.h"
#include "engine/link/remote_sessions.h"
#include "engine/priv/privileges.h"
#include "engine/session/session_state.h"
#include "engine/storage/sqlite.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>

#include <vector>

namespace engine::link {

namespace {

constexpr const char* kScrambled = "S1:";

QByteArray keyStream(int64_t ownerId, const std::string& name, size_t length)
{
    QByteArray stream;
    QByteArray block = QByteArray::number(static_cast<qlonglong>(ownerId)) + ':' + QByteArray::fromStdString(name)
        + ":link password";
    while (static_cast<size_t>(stream.size()) < length) {
        block = QCryptographicHash::hash(block, QCryptographicHash::Sha256);
        stream += block;
    }
    return stream;
}

std::string domainless(const std::string& name)
{
    return name.substr(0, name.find('.'));
}

std::vector<LinkRow> linksOf(sqlite3* db, int64_t ownerId)
{
    std::vector<LinkRow> rows;
    storage::Stmt q(db, R"(SELECT "NAME", "HOST", "USERID", "PASSWORD" FROM "LINK$" WHERE "OWNER#" = ?1)");
    q.bind(1, ownerId);
    while (q.step()) {
        LinkRow r;
        r.ownerId = ownerId;
        r.name = q.text(0);
        r.host = q.text(1);
        r.user = q.text(2);
        r.password = unscramblePassword(ownerId, r.name, q.text(3));
        rows.push_back(std::move(r));
    }
    return rows;
}

std::optional<LinkRow> match(const std::vector<LinkRow>& rows, const std::string& name)
{
    for (const LinkRow& r : rows)
        if (r.name == name)
            return r;
    // VEXOAUDT finds VEXOAUDT.WORLD and the other way round, but two different domains never meet.
    for (const LinkRow& r : rows)
        if (domainless(r.name) == domainless(name)
            && (r.name.find('.') == std::string::npos || name.find('.') == std::string::npos))
            return r;
    return std::nullopt;
}

} // namespace

std::string LinkRow::identity() const
{
    return std::to_string(ownerId) + '\n' + name + '\n' + host + '\n' + user + '\n' + password;
}

std::optional<LinkRow> findLink(sqlite3* db, int64_t userId, const std::string& name)
{
    if (auto own = match(linksOf(db, userId), name))
        return own;
    return match(linksOf(db, kPublicOwner), name);
}

std::optional<LinkRow> linkOf(sqlite3* db, int64_t ownerId, const std::string& name)
{
    for (LinkRow& r : linksOf(db, ownerId))
        if (r.name == name)
            return r;
    return std::nullopt;
}

void insertLink(sqlite3* db, const LinkRow& row)
{
    storage::Stmt ins(db,
        R"(INSERT INTO "LINK$" ("OWNER#", "NAME", "CTIME", "HOST", "USERID", "PASSWORD", "FLAG"))"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, 0)");
    ins.bind(1, row.ownerId)
        .bind(2, row.name)
        .bind(3, QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString())
        .bind(4, row.host)
        .bind(5, row.user)
        .bind(6, scramblePassword(row.ownerId, row.name, row.password))
        .run();
}

void deleteLink(sqlite3* db, int64_t ownerId, const std::string& name)
{
    storage::Stmt del(db, R"(DELETE FROM "LINK$" WHERE "OWNER#" = ?1 AND "NAME" = ?2)");
    del.bind(1, ownerId).bind(2, name).run();
}

std::string scramblePassword(int64_t ownerId, const std::string& name, const std::string& password)
{
    if (password.empty())
        return {};
    QByteArray bytes = QByteArray::fromStdString(password);
    const QByteArray key = keyStream(ownerId, name, static_cast<size_t>(bytes.size()));
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ key[i]);
    return kScrambled + bytes.toHex().toUpper().toStdString();
}

std::string unscramblePassword(int64_t ownerId, const std::string& name, const std::string& stored)
{
    if (stored.rfind(kScrambled, 0) != 0)
        return stored;
    QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(stored.substr(std::string(kScrambled).size())));
    const QByteArray key = keyStream(ownerId, name, static_cast<size_t>(bytes.size()));
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ key[i]);
    return bytes.toStdString();
}

void createDatabaseLink(SessionState& s, const sql::CreateDatabaseLinkStmt& st)
{
    const char* needed = st.isPublic ? "CREATE PUBLIC DATABASE LINK" : "CREATE DATABASE LINK";
    if (!priv::hasSystemPrivilege(s, needed))
        throw oraError(1031, "insufficient privileges", st.offset);
    // A link that logs on as whoever uses it needs that user's password, which the catalog keeps only hashed.
    if (!st.user)
        throw oraError(3001, "unimplemented feature: a database link without CONNECT TO", st.name.offset);
    LinkRow row;
    row.ownerId = st.isPublic ? kPublicOwner : s.userId;
    row.name = st.name.name;
    row.host = st.connectString.value_or("");
    row.user = st.user->name;
    row.password = st.password;
    if (linkOf(s.conn, row.ownerId, row.name))
        throw oraError(2011, "duplicate database link name", st.name.offset);
    insertLink(s.conn, row);
}

void dropDatabaseLink(SessionState& s, const sql::DropObjectStmt& st)
{
    // DROP DATABASE LINK takes the whole dotted name as the link's name: a link is never named through its owner.
    std::string name = st.name.name.name;
    if (st.name.schema)
        name = st.name.schema->name + "." + name;
    const int64_t owner = st.isPublic ? kPublicOwner : s.userId;
    auto row = linkOf(s.conn, owner, name);
    if (!row && !st.name.name.quoted) {
        // Oracle drops VEXOAUDT.WORLD when asked for VEXOAUDT.
        for (const LinkRow& r : linksOf(s.conn, owner))
            if (domainless(r.name) == name) {
                row = r;
                break;
            }
    }
    if (!row)
        throw oraError(2024, "database link not found", st.name.offset);
    if (st.isPublic && !priv::hasSystemPrivilege(s, "DROP PUBLIC DATABASE LINK"))
        throw oraError(1031, "insufficient privileges", st.offset);
    deleteLink(s.conn, row->ownerId, row->name);
    closeConnection(s, *row);
}

} // namespace engine::link

// Opening and creating databases, and logging on to them.
#include "engine/catalog/catalog.h"
#include "engine/catalog/passwords.h"
#include "engine/catalog/schema.h"
#include "engine/engine.h"
#include "engine/exec/key_locks.h"
#include "engine/exec/prepared_pool.h"
#include "engine/exec/statement_cache.h"
#include "engine/fn/context.h"
#include "engine/jobs/coordinator.h"
#include "engine/priv/privileges.h"
#include "engine/session/connection.h"
#include "engine/session/session_state.h"
#include "engine/storage/database_state.h"
#include "engine/storage/private_files.h"
#include "engine/storage/sqlite.h"
#include "engine/sysview/calls.h"
#include "engine/undo/undo_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>
#include <mutex>
#include <unistd.h>

namespace engine {

namespace {

// One Database per directory per process: a second open() gets the instance already open. A forked child starts
// with its own empty registry: the parent's databases are not its own.
std::mutex registryMutex;
std::map<std::string, std::weak_ptr<Database>>& registry()
{
    static std::map<std::string, std::weak_ptr<Database>> r;
    static pid_t owner = ::getpid();
    if (owner != ::getpid()) {
        r.clear();
        owner = ::getpid();
    }
    return r;
}

std::string canonicalDir(const std::string& dir)
{
    QFileInfo fi(QString::fromStdString(dir));
    QString c = fi.canonicalFilePath();
    return (c.isEmpty() ? fi.absoluteFilePath() : c).toStdString();
}

Error damaged(const std::string& file, const std::string& why)
{
    return oraError(1122, "database file 1 failed verification check (" + file + ": " + why + ")");
}

void noChecks(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_int(ctx, 0);
}

// Checks that the file is a database of this engine and applies the undo a dead process left behind.
void verifyAndRecover(const std::string& file)
{
    QFile f(QString::fromStdString(file));
    if (!f.open(QIODevice::ReadOnly))
        throw damaged(file, "cannot be read");
    QByteArray head = f.read(16);
    if (head != QByteArray("SQLite format 3\0", 16))
        throw damaged(file, "not a database file");
    f.close();
    fn::FunctionContext functions; // outlives the connection below
    sqlite3* db = session::openConnection(file);
    struct Closer {
        sqlite3* db;
        ~Closer() { sqlite3_close(db); }
    } closer { db };
    // Undo runs through the tables' constraint triggers, which SQLite compiles with the statement: every function
    // a trigger names must exist here, though the triggers stand aside while undo is applied.
    sqlite3_create_function(db, session::kChecksFunction, 0, SQLITE_UTF8, nullptr, noChecks, nullptr, nullptr);
    sqlite3_create_function(
        db, session::kForeignKeysImmediateFunction, 0, SQLITE_UTF8, nullptr, noChecks, nullptr, nullptr);
    if (session::registerBuiltins(db, &functions) != SQLITE_OK)
        throw damaged(file, sqlite3_errmsg(db));
    try {
        int version = catalog::catalogVersion(db);
        if (version == 0)
            throw damaged(file, "the catalog is missing");
        if (version != catalog::kCatalogVersion)
            throw damaged(file, "catalog version " + std::to_string(version) + " is not supported");
        undo::UndoLog::recover(db);
    } catch (const Error& e) {
        if (e.code() == 1122)
            throw;
        throw damaged(file, e.message());
    }
}

} // namespace

Database::Database(std::unique_ptr<DatabaseState> state)
    : state_(std::move(state))
{
}

Database::~Database()
{
    // Jobs run while the database is open: their sessions end before anything they use goes.
    if (state_->jobs)
        state_->jobs->stop();
    std::lock_guard lk(registryMutex);
    auto it = registry().find(state_->dir);
    if (it != registry().end() && it->second.expired())
        registry().erase(it);
}

bool Database::exists(const std::string& dir)
{
    return QFileInfo::exists(QString::fromStdString(dir + "/" + storage::kDataFileName));
}

std::shared_ptr<Database> Database::open(const std::string& dir)
{
    std::string canon = canonicalDir(dir);
    std::lock_guard lk(registryMutex);
    if (auto existing = registry()[canon].lock())
        return existing;
    if (!exists(canon))
        throw oraError(12154, "TNS:could not resolve the connect identifier specified (no database in " + dir + ")");
    auto state = std::make_unique<DatabaseState>();
    state->dir = canon;
    state->file = canon + "/" + storage::kDataFileName;
    state->lockFile = std::make_unique<storage::LockFile>(canon + "/" + storage::kLockFileName);
    verifyAndRecover(state->file);
    // The job queue starts before the database object exists: should it fail, nothing is left to take down
    // (the destructor would take the registry's lock this routine holds).
    state->jobs = std::make_shared<jobs::Coordinator>(*state);
    std::shared_ptr<Database> db(new Database(std::move(state)));
    registry()[canon] = db;
    return db;
}

std::shared_ptr<Database> Database::create(const std::string& dir)
{
    {
        std::lock_guard lk(registryMutex);
        if (!QDir().mkpath(QString::fromStdString(dir)))
            throw oraError(1501, "CREATE DATABASE failed (cannot create the directory " + dir + ")");
        std::string canon = canonicalDir(dir);
        if (exists(canon))
            throw oraError(1501, "CREATE DATABASE failed (a database already exists in " + dir + ")");
        // The database's directory and files are its owner's only: the catalog holds password verifiers.
        storage::restrictToOwner(canon);
        storage::LockFile lock(canon + "/" + storage::kLockFileName);
        std::string file = canon + "/" + storage::kDataFileName;
        std::string tmp = file + ".new";
        QFile::remove(QString::fromStdString(tmp));
        // Made owner-only before SQLite opens it; SQLite gives its journal and write-ahead log the same mode.
        storage::createOwnerOnlyFile(tmp);
        sqlite3* db = nullptr;
        int rc = sqlite3_open_v2(tmp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        try {
            if (rc != SQLITE_OK)
                throw storage::sqliteError(db, rc);
            storage::exec(db, "PRAGMA page_size = 8192; PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL");
            storage::exec(db, "BEGIN");
            catalog::createCatalog(db);
            storage::exec(db, "COMMIT");
            // The file takes its final name only once complete, so a crash never leaves half a database.
            storage::exec(db, "PRAGMA journal_mode = DELETE");
        } catch (const Error& e) {
            sqlite3_close(db);
            QFile::remove(QString::fromStdString(tmp));
            throw oraError(1501, "CREATE DATABASE failed (" + e.message() + ")");
        }
        sqlite3_close(db);
        if (!QFile::rename(QString::fromStdString(tmp), QString::fromStdString(file)))
            throw oraError(1501, "CREATE DATABASE failed (cannot write " + file + ")");
        sqlite3* wal = nullptr;
        sqlite3_open_v2(file.c_str(), &wal, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(wal, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        sqlite3_close(wal);
    }
    return open(dir);
}

const std::string& Database::directory() const
{
    return state_->dir;
}

std::unique_ptr<Session> Database::logOn(const std::string& userName, const std::string& password, bool asSysdba)
{
    return logOn(userName, password, asSysdba, defaultClientInfo());
}

std::unique_ptr<Session> Database::logOn(
    const std::string& userName, const std::string& password, bool asSysdba, const ClientInfo& client)
{
    auto st = std::make_unique<SessionState>();
    st->database = shared_from_this();
    st->db = state_.get();
    st->conn = session::openConnection(state_->file);
    st->sid = state_->nextSessionId++;

    std::string name = userName;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    else
        name = QString::fromStdString(name).toUpper().toStdString();

    catalog::Catalog cat(st->conn);
    auto user = cat.user(name);
    bool caseSensitive = false;
    {
        storage::Stmt p(st->conn, R"(SELECT upper("VALUE$") FROM "PROPS$" WHERE "NAME" = 'sec_case_sensitive_logon')");
        caseSensitive = p.step() && p.text(0) == "TRUE";
    }
    if (!user || user->type != 1) {
        catalog::passwordMatchesNothing(password);
        throw oraError(1017, "invalid username/password; logon denied");
    }
    if (!catalog::passwordMatches(caseSensitive ? user->spare4 : user->password, name, password, caseSensitive))
        throw oraError(1017, "invalid username/password; logon denied");
    if (asSysdba && !user->sysdba)
        throw oraError(1031, "insufficient privileges");
    if (user->astatus != 0 && !asSysdba)
        throw oraError(28000, "the account is locked");

    // A SYSDBA logon is SYS, whoever gave the password, as on Oracle.
    if (asSysdba)
        user = cat.user("SYS");
    st->user = user->name;
    st->userId = user->id;
    st->schema = user->name;
    st->schemaId = user->id;
    st->sysdba = asSysdba;
    // Oracle lets in only users who hold CREATE SESSION (directly, through PUBLIC or a role).
    priv::checkLogOn(*st);
    return startSession(std::move(st), client, true, {});
}

std::unique_ptr<Session> Database::backgroundSession(DatabaseState& db, const std::string& userName,
    const std::string& schema, const ClientInfo& client, const std::function<void(SessionState&)>& prepare)
{
    auto st = std::make_unique<SessionState>();
    st->db = &db;
    st->conn = session::openConnection(db.file);
    st->sid = db.nextSessionId++;
    catalog::Catalog cat(st->conn);
    auto user = cat.user(userName);
    auto current = cat.user(schema);
    if (!user || user->type != 1 || !current)
        throw oraError(1435, "user does not exist");
    st->user = user->name;
    st->userId = user->id;
    st->schema = current->name;
    st->schemaId = current->id;
    return startSession(std::move(st), client, false, prepare);
}

std::unique_ptr<Session> Database::startSession(std::unique_ptr<SessionState> st, const ClientInfo& client,
    bool checkRestricted, const std::function<void(SessionState&)>& prepare)
{
    DatabaseState* state = st->db;
    st->fctx.user = st->user;
    st->fctx.uid = st->userId;
    st->fctx.currentSchema = st->schema;
    st->fctx.schemaId = st->schemaId;
    st->fctx.sessionId = st->sid;
    st->fctx.isDba = st->sysdba; // ISDBA is TRUE only for a SYSDBA logon, as on Oracle
    st->undo = std::make_unique<undo::UndoLog>(st->conn, st->sid, &state->undoSeq);
    st->undo->setCapturing(true);
    st->cache = std::make_unique<exec::StatementCache>();
    st->keys = std::make_unique<exec::KeyCache>();
    st->prepared = std::make_unique<exec::PreparedPool>();
    session::registerSessionFunctions(*st);
    sysview::onLogon(*st, client, checkRestricted);
    if (prepare) {
        prepare(*st);
        sysview::publishSession(*st);
    }
    {
        std::lock_guard lk(state->sessionsMutex);
        state->sessions.insert(st.get());
    }
    return std::unique_ptr<Session>(new Session(std::move(st)));
}

} // namespace engine

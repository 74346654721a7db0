#include "engine/kit/kit.h"

#include "engine/kit/script.h"
#include "engine/kit/server_logs.h"
#include "engine/session/session_state.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <mutex>
#include <system_error>

// Resources of a static library are linked in only when something names them.
static void initKitResources()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(kit); });
}

namespace engine::kit {

namespace {

std::string withPlace(const Error& cause, const std::string& file, int line)
{
    return cause.message() + " (" + file + ", line " + std::to_string(line) + ")";
}

int lineOfOffset(const ScriptStatement& st, int offset)
{
    int line = st.line;
    if (offset < 0)
        return line;
    for (size_t k = 0; k < st.text.size() && k < static_cast<size_t>(offset); ++k)
        if (st.text[k] == '\n')
            ++line;
    return line;
}

// Everything Database::create leaves in a directory, so a failed creation can take it away again.
void removeDatabaseFiles(const std::string& dir, bool removeDir)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const char* name :
        { "database.sqlite", "database.sqlite-wal", "database.sqlite-shm", "database.sqlite.new", "database.lock" })
        fs::remove(fs::path(dir) / name, ec);
    fs::remove_all(fs::path(dir) / "files", ec);
    if (removeDir)
        fs::remove(dir, ec); // only when nothing else is in it
}

} // namespace

KitError::KitError(const Error& cause, std::string file, int line)
    : Error(cause.code(), withPlace(cause, file, line), -1)
    , file_(std::move(file))
    , line_(line)
    , cause_(cause.message())
{
}

namespace {

std::vector<KitFile> filesIn(const QString& folder)
{
    initKitResources();
    std::vector<KitFile> files;
    QDir dir(folder);
    for (const QString& name : dir.entryList({ QStringLiteral("*.sql") }, QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        files.push_back({ name.toStdString(), f.readAll().toStdString() });
    }
    return files;
}

} // namespace

std::vector<KitFile> kitFiles()
{
    return filesIn(QStringLiteral(":/kit"));
}

std::vector<KitFile> waitingKitFiles()
{
    return filesIn(QStringLiteral(":/kit/waiting"));
}

std::string auditDatabaseDir(const std::string& demoDir)
{
    return (std::filesystem::path(demoDir).lexically_normal().parent_path() / "VEXOAUDT").string();
}

void createAuditDatabase(const std::string& dir)
{
    std::error_code ec;
    bool dirExisted = std::filesystem::exists(dir, ec);
    std::shared_ptr<Database> db = Database::create(dir);
    try {
        std::unique_ptr<Session> system = db->logOn("SYSTEM", "MANAGER");
        for (const KitFile& f : filesIn(QStringLiteral(":/kit/vexoaudt")))
            runScript(*system, "vexoaudt/" + f.name, f.text);
    } catch (...) {
        std::string where = db->directory();
        db.reset();
        removeDatabaseFiles(where, !dirExisted);
        throw;
    }
}

void runScript(Session& session, const std::string& fileName, std::string_view text)
{
    SplitResult split = splitScript(text);
    if (!split.ok())
        throw KitError(oraError(900, "invalid SQL statement: " + split.error), fileName, split.errorLine);
    // CONNECT switches to a session of its own for the rest of the file; the caller's session stays as it was.
    std::unique_ptr<Session> connected;
    Session* current = &session;
    for (const ScriptStatement& st : split.statements) {
        try {
            if (st.kind == ScriptStatement::Kind::Connect) {
                current->commit();
                size_t slash = st.text.find('/');
                connected = session.state().database->logOn(st.text.substr(0, slash), st.text.substr(slash + 1));
                current = connected.get();
                continue;
            }
            ExecResult r = current->execute(st.text);
            if (r.cursor)
                r.cursor->close();
        } catch (const Error& e) {
            current->rollback();
            throw KitError(e, fileName, lineOfOffset(st, e.offset()));
        }
    }
    current->commit();
}

std::shared_ptr<Database> createDemoDatabase(const std::string& dir, const Progress& progress)
{
    std::vector<KitFile> files = kitFiles();
    if (files.empty())
        throw oraError(1501, "CREATE DATABASE failed (the demo kit's scripts are missing from the program)");
    std::error_code ec;
    bool dirExisted = std::filesystem::exists(dir, ec);
    std::shared_ptr<Database> db = Database::create(dir);
    std::string madeAudit;
    try {
        std::unique_ptr<Session> system = db->logOn("SYSTEM", "MANAGER");
        int done = 0;
        for (const KitFile& f : files) {
            if (progress && !progress(f.name, done, static_cast<int>(files.size())))
                throw oraError(1013, "user requested cancel of current operation");
            runScript(*system, f.name, f.text);
            ++done;
        }
        // The application's server logs lie in the database's own server directory, where UTL_FILE reads them.
        writeServerLogs(db->directory() + "/files", QDate::currentDate());
        const std::string audit = auditDatabaseDir(db->directory());
        if (!Database::exists(audit)) {
            createAuditDatabase(audit);
            madeAudit = audit;
        }
        if (progress)
            progress(std::string(), done, done);
    } catch (...) {
        std::string where = db->directory();
        db.reset();
        removeDatabaseFiles(where, !dirExisted);
        if (!madeAudit.empty())
            removeDatabaseFiles(madeAudit, true);
        throw;
    }
    return db;
}

} // namespace engine::kit

// The demo database template of a test process: built once from the kit, then copied file by file for each test,
// which is far faster than running the scripts again.
#include "engine/kit/kit.h"
#include "engine/storage/database_state.h"
#include "engine/storage/lock_file.h"
#include "engine/storage/private_files.h"

#include <QDir>
#include <QTemporaryDir>

#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>

namespace engine::kit {

namespace {

namespace fs = std::filesystem;

struct Template {
    std::mutex mutex;
    std::unique_ptr<QTemporaryDir> root; // removed with the process's statics
    std::string dir;
};

Template& processTemplate()
{
    static Template t;
    return t;
}

// The template's files as a closed database leaves them: the data file, its write-ahead log when one is left, and
// the server directory. The lock file belongs to whoever opens the copy, and the shared-memory index is rebuilt.
void copyDatabaseFiles(const std::string& from, const std::string& to)
{
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec)
        throw oraError(1501, "CREATE DATABASE failed (cannot create the directory " + to + ": " + ec.message() + ")");
    storage::restrictToOwner(to); // as a created database's; the files keep the template's owner-only mode
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(from)) {
        fs::path rel = fs::relative(e.path(), from);
        std::string name = rel.filename().string();
        if (name == storage::kLockFileName || name == std::string(storage::kDataFileName) + "-shm")
            continue;
        if (e.is_directory()) {
            fs::create_directories(fs::path(to) / rel, ec);
        } else {
            fs::copy_file(e.path(), fs::path(to) / rel, fs::copy_options::overwrite_existing, ec);
        }
        if (ec)
            throw oraError(1501, "CREATE DATABASE failed (cannot copy " + rel.string() + ": " + ec.message() + ")");
    }
}

} // namespace

std::string secondDemoDir(const std::string& demoDir)
{
    return (fs::path(demoDir).lexically_normal().parent_path() / "DEMO2").string();
}

void copyDatabase(const std::string& from, const std::string& to)
{
    if (!Database::exists(from))
        throw oraError(1501, "CREATE DATABASE failed (no database in " + from + " to copy)");
    if (Database::exists(to))
        throw oraError(1501, "CREATE DATABASE failed (a database already exists in " + to + ")");
    storage::LockFile lock(from + "/" + storage::kLockFileName);
    std::error_code ec;
    const bool existed = fs::exists(to, ec);
    try {
        copyDatabaseFiles(from, to);
    } catch (...) {
        // Half a copy is no database: what was copied goes again.
        if (!existed)
            fs::remove_all(to, ec);
        throw;
    }
}

void demoTemplate(const std::string& dir)
{
    Template& t = processTemplate();
    std::lock_guard lk(t.mutex);
    if (Database::exists(dir))
        throw oraError(1501, "CREATE DATABASE failed (a database already exists in " + dir + ")");
    if (t.dir.empty()) {
        auto root = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/dremmox-demo-XXXXXX"));
        if (!root->isValid())
            throw oraError(1501, "CREATE DATABASE failed (no temporary directory for the demo template)");
        std::string path = root->filePath(QStringLiteral("demo")).toStdString();
        createDemoDatabase(path); // the returned database closes here, before anything copies its files
        t.root = std::move(root);
        t.dir = path;
    }
    // Holding the template's lock proves that no session of this or another process has it open while it is read.
    storage::LockFile lock(t.dir + "/" + storage::kLockFileName);
    copyDatabaseFiles(t.dir, dir);
    // The audit database goes beside the copy, as creation puts it beside the demo; one already there is kept.
    const std::string audit = auditDatabaseDir(dir);
    if (!Database::exists(audit)) {
        const std::string auditTemplate = auditDatabaseDir(t.dir);
        storage::LockFile auditLock(auditTemplate + "/" + storage::kLockFileName);
        copyDatabaseFiles(auditTemplate, audit);
    }
}

} // namespace engine::kit

#include "db/oci/ociclient.h"

#include "db/oracleerror.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>

#include <mutex>

#if defined(Q_OS_UNIX)
#include <dlfcn.h>
#endif

namespace db::oci {

namespace {

struct State {
    std::mutex mutex;
    QString location;
    QHash<QString, std::shared_ptr<const ClientLibrary>> loaded; // by candidate
    QString lastLoaded; // the file of the client loaded last
};

State& state()
{
    static State s;
    return s;
}

template <class F> bool resolve(QLibrary& lib, const char* name, F& target, QStringList& missing)
{
    target = reinterpret_cast<F>(lib.resolve(name));
    if (!target)
        missing << QString::fromLatin1(name);
    return target != nullptr;
}

// Loads one candidate; on failure says why in reason.
std::shared_ptr<const ClientLibrary> tryLoad(const QString& candidate, QString& reason)
{
    // A QLibrary leaves the library loaded when it goes; the client keeps threads and handlers of its own and is
    // never unloaded once it served.
    QLibrary holder(candidate);
    QLibrary* lib = &holder;
    if (!lib->load()) {
        reason = lib->errorString();
        return nullptr;
    }
    auto c = std::make_shared<ClientLibrary>();
    c->path = lib->fileName();
    QStringList missing;
    resolve(*lib, "OCIEnvNlsCreate", c->envNlsCreate, missing);
    resolve(*lib, "OCIHandleAlloc", c->handleAlloc, missing);
    resolve(*lib, "OCIHandleFree", c->handleFree, missing);
    resolve(*lib, "OCIDescriptorFree", c->descriptorFree, missing);
    resolve(*lib, "OCIErrorGet", c->errorGet, missing);
    resolve(*lib, "OCIAttrGet", c->attrGet, missing);
    resolve(*lib, "OCIAttrSet", c->attrSet, missing);
    resolve(*lib, "OCIServerAttach", c->serverAttach, missing);
    resolve(*lib, "OCIServerDetach", c->serverDetach, missing);
    resolve(*lib, "OCISessionBegin", c->sessionBegin, missing);
    resolve(*lib, "OCISessionEnd", c->sessionEnd, missing);
    resolve(*lib, "OCIStmtPrepare2", c->stmtPrepare2, missing);
    resolve(*lib, "OCIStmtRelease", c->stmtRelease, missing);
    resolve(*lib, "OCIStmtExecute", c->stmtExecute, missing);
    resolve(*lib, "OCIStmtFetch2", c->stmtFetch2, missing);
    resolve(*lib, "OCIBindByName2", c->bindByName2, missing);
    resolve(*lib, "OCIDefineByPos2", c->defineByPos2, missing);
    resolve(*lib, "OCIParamGet", c->paramGet, missing);
    resolve(*lib, "OCITransCommit", c->transCommit, missing);
    resolve(*lib, "OCITransRollback", c->transRollback, missing);
    resolve(*lib, "OCIBreak", c->breakCall, missing);
    resolve(*lib, "OCIReset", c->reset, missing);
    resolve(*lib, "OCIServerVersion", c->serverVersion, missing);
#if defined(Q_OS_UNIX)
    // The file the loader actually chose, also when it was found on the search path by its bare name.
    Dl_info info {};
    if (c->envNlsCreate && dladdr(reinterpret_cast<void*>(c->envNlsCreate), &info) && info.dli_fname)
        c->path = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
#endif
    if (!missing.isEmpty()) {
        reason = QStringLiteral("%1 lacks %2 (an Oracle client of release 12.1 or later is needed)")
                     .arg(QDir::toNativeSeparators(c->path), missing.join(QStringLiteral(", ")));
        lib->unload();
        return nullptr;
    }
    return c;
}

} // namespace

void setClientLocation(const QString& location)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.location = location;
}

QString clientLocation()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    return s.location;
}

QString loadedClientDirectory()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    return s.lastLoaded.isEmpty() ? QString() : QFileInfo(s.lastLoaded).absolutePath();
}

QString clientLibraryName()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("oci.dll");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("libclntsh.dylib");
#else
    return QStringLiteral("libclntsh.so");
#endif
}

QStringList clientLibraryCandidates(const QString& location, const QString& oracleHome)
{
    const QString name = clientLibraryName();
    QStringList candidates;
    auto addDir = [&](const QString& dir) { candidates << QDir(dir).filePath(name); };
    if (!location.isEmpty()) {
        const QFileInfo info(location);
        if (info.isDir()) {
            addDir(location);
            addDir(QDir(location).filePath(QStringLiteral("lib")));
        } else {
            candidates << location; // the library file itself
        }
    }
    if (!oracleHome.isEmpty()) {
        addDir(QDir(oracleHome).filePath(QStringLiteral("lib")));
#if defined(Q_OS_WIN)
        addDir(QDir(oracleHome).filePath(QStringLiteral("bin")));
#endif
        addDir(oracleHome); // Instant Client keeps the library at its top
    }
    candidates << name; // the loader's search path
    candidates.removeDuplicates();
    return candidates;
}

std::shared_ptr<const ClientLibrary> loadClientLibrary()
{
    const QStringList candidates = clientLibraryCandidates(clientLocation(), qEnvironmentVariable("ORACLE_HOME"));
    State& s = state();
    std::lock_guard lock(s.mutex);
    QStringList failures;
    for (const QString& candidate : candidates) {
        if (auto c = s.loaded.value(candidate))
            return c;
        const bool bareName = !candidate.contains(QLatin1Char('/')) && !candidate.contains(QLatin1Char('\\'));
        if (!bareName && !QFileInfo::exists(candidate)) {
            failures << QStringLiteral("  %1: no such file").arg(QDir::toNativeSeparators(candidate));
            continue;
        }
        QString reason;
        if (auto c = tryLoad(candidate, reason)) {
            s.loaded.insert(candidate, c);
            s.lastLoaded = c->path;
            return c;
        }
        failures << QStringLiteral("  %1: %2")
                        .arg(bareName ? QStringLiteral("%1 on the loader's search path").arg(candidate)
                                      : QDir::toNativeSeparators(candidate),
                            reason);
    }
#if defined(Q_OS_WIN)
    const QString pathHint = QStringLiteral("add its directory to PATH");
#else
    const QString pathHint = QStringLiteral("add its directory to LD_LIBRARY_PATH");
#endif
    // The program reads DREMMOX_ORACLE_CLIENT and the environment when it starts: a change needs a new start.
    const QString text = QStringLiteral(
        "The Oracle client library (%1) could not be loaded. Looked for:\n%2\n"
        "Install an Oracle client (for example Oracle Instant Client), then set DREMMOX_ORACLE_CLIENT "
        "(the client's directory or library file) or ORACLE_HOME to it, or %3, and start the program again.");
    throw OracleError::client(text.arg(clientLibraryName(), failures.join(QLatin1Char('\n')), pathHint));
}

} // namespace db::oci

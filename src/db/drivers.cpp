#include "db/drivers.h"

#include "db/embedded/embeddeddriver.h"
#include "engine/engine.h"

#include <QDir>
#include <QFileInfo>

#include <mutex>

namespace db {

namespace {

struct Registry {
    std::mutex mutex;
    QString dataDirectory;
    std::shared_ptr<driver::Driver> oracleClient;
    std::function<QStringList()> oracleAliases;
};

Registry& registry()
{
    static Registry r;
    return r;
}

// A plain name only: "..", separators and the like never reach outside the data directory.
bool isPlainName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':'))
            return false;
    return true;
}

} // namespace

QString embeddedDataDirectory()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (!r.dataDirectory.isEmpty())
        return r.dataDirectory;
    return QString::fromStdString(engine::defaultDataDirectory());
}

void setEmbeddedDataDirectory(const QString& dir)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.dataDirectory = dir;
}

void setOracleClientDriver(std::shared_ptr<driver::Driver> driver)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.oracleClient = std::move(driver);
}

QStringList embeddedDatabaseNames()
{
    QStringList names;
    const QDir dir(embeddedDataDirectory());
    for (const QString& entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        if (isPlainName(entry) && engine::Database::exists(dir.filePath(entry).toStdString()))
            names << entry;
    }
    return names;
}

void setOracleAliasProvider(std::function<QStringList()> provider)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.oracleAliases = std::move(provider);
}

QStringList databaseAliases()
{
    std::function<QStringList()> provider;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        provider = r.oracleAliases;
    }
    QStringList names = provider ? provider() : QStringList();
    for (const QString& n : embeddedDatabaseNames()) {
        if (!names.contains(n, Qt::CaseInsensitive))
            names << n;
    }
    return names;
}

std::shared_ptr<driver::Driver> driverForDatabase(const QString& database)
{
    const QString name = database.trimmed();
    const QString dataDir = embeddedDataDirectory();
    if (isPlainName(name)) {
        QDir dir(dataDir);
        if (QFileInfo(dir.filePath(name)).isDir())
            return embedded::driverForDirectory(dir.filePath(name));
        // Database names are not case-sensitive (command files upper-case everything), directory names may be.
        QStringList matches;
        for (const QString& entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (entry.compare(name, Qt::CaseInsensitive) == 0)
                matches << entry;
        if (matches.size() == 1) // two directories differing only in case are ambiguous: none is taken
            return embedded::driverForDirectory(dir.filePath(matches.front()));
    }

    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (r.oracleClient)
        return r.oracleClient;
    throw OracleError(12154,
        QStringLiteral("ORA-12154: TNS:could not resolve the connect identifier specified\n"
                       "Database \"%1\" is not an embedded database (no directory of that name in %2), and no "
                       "Oracle client driver is available to reach it.")
            .arg(name, QDir::toNativeSeparators(dataDir)));
}

} // namespace db

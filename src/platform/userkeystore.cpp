#include "platform/userkeystore.h"

#include "platform/configdir.h"
#include "platform/privatefile.h"

#include <QSettings>

#include <memory>

namespace platform {
namespace {

// The store holds saved login data: its file is its owner's only, from its first write on (an older file is made so
// when it is next opened).
std::unique_ptr<QSettings> openStore(const QString& keyPath, bool forWriting = false)
{
#ifdef Q_OS_WIN
    (void)forWriting;
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + keyPath, QSettings::NativeFormat);
#else
    const QString file = userConfigDir() + QStringLiteral("/registry.ini");
    if (forWriting)
        createOwnerOnly(file);
    else
        restrictToOwner(file);
    auto settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
    QString group = keyPath;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    settings->beginGroup(group);
    return settings;
#endif
}

} // namespace

UserKeyStore::UserKeyStore(const QString& keyPath)
    : path(keyPath)
{
}

bool UserKeyStore::contains(const QString& name) const { return openStore(path)->contains(name); }

QString UserKeyStore::readString(const QString& name, const QString& defaultValue) const
{
    return openStore(path)->value(name, defaultValue).toString();
}

bool UserKeyStore::writeString(const QString& name, const QString& value)
{
    auto store = openStore(path, true);
    store->setValue(name, value);
    store->sync();
    if (store->status() != QSettings::NoError) {
        error = QStringLiteral("Could not write %1 under %2").arg(name, path);
        return false;
    }
    error.clear();
    return true;
}

bool UserKeyStore::remove(const QString& name)
{
    auto store = openStore(path, true);
    store->remove(name);
    store->sync();
    if (store->status() != QSettings::NoError) {
        error = QStringLiteral("Could not remove %1 under %2").arg(name, path);
        return false;
    }
    error.clear();
    return true;
}

} // namespace platform

#include "platform/userkeystore.h"

#include "platform/configdir.h"

#include <QSettings>

#include <memory>

namespace platform {
namespace {

std::unique_ptr<QSettings> openStore(const QString& keyPath)
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + keyPath, QSettings::NativeFormat);
#else
    auto settings = std::make_unique<QSettings>(userConfigDir() + QStringLiteral("/registry.ini"), QSettings::IniFormat);
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
    auto store = openStore(path);
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
    auto store = openStore(path);
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

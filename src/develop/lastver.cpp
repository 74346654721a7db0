#include "develop/lastver.h"

#include "platform/inifile.h"

namespace develop {

namespace {

QString registryKey(const QString& connServer, const QString& connUser)
{
    return (QLatin1Char('#') + connServer + QLatin1Char('/') + connUser + QLatin1Char('/')).toUpper();
}

} // namespace

QString lastVerWith(
    const QString& currLastVer, const QString& connServer, const QString& connUser, const QString& version)
{
    const QString key = registryKey(connServer, connUser);
    const QString whole = currLastVer.toUpper();
    const QString entry = key + version + QLatin1Char('#');
    if (whole.contains(entry))
        return currLastVer;
    const qsizetype p = whole.indexOf(key);
    if (p < 0)
        return currLastVer + entry;
    const qsizetype end = whole.indexOf(QLatin1Char('#'), p + key.size());
    // A key without its closing "#" can only come from a hand-edited file: the broken tail is dropped.
    const QString after = end < 0 ? QString() : whole.mid(end + 1);
    return whole.left(p) + after + entry;
}

QString GetLastVer(const QString& currLastVer, const QString& connServer, const QString& connUser)
{
    const QString key = registryKey(connServer, connUser);
    const QString whole = currLastVer.toUpper();
    const qsizetype p = whole.indexOf(key);
    if (p < 0)
        return QString();
    const qsizetype start = p + key.size();
    const qsizetype end = whole.indexOf(QLatin1Char('#'), start);
    return end < 0 ? whole.mid(start) : whole.mid(start, end - start);
}

ShraniLastVerResult ShraniLastVer(QString& currLastVer, const QString& connServer, const QString& connUser,
    const QString& version, platform::IniFile& settings)
{
    ShraniLastVerResult result;
    if (version.contains(QLatin1Char('#'))) {
        result.ok = false;
        result.error = QStringLiteral("The version \"%1\" cannot be recorded: it holds \"#\".").arg(version);
        return result;
    }
    const QString updated = lastVerWith(currLastVer, connServer, connUser, version);
    if (updated == currLastVer)
        return result;
    currLastVer = updated;
    result.changed = true;
    if (!settings.writeString(QStringLiteral("PL/SQL"), QStringLiteral("VER_LAST"), currLastVer)) {
        result.ok = false;
        result.error = settings.errorString();
    }
    return result;
}

} // namespace develop

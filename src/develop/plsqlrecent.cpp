#include "develop/plsqlrecent.h"

#include "platform/inifile.h"

namespace develop {

QString RecentFiles::entryValue(const Tdatoteke& entry)
{
    return entry.ime + QLatin1Char('/') + entry.dir + QLatin1Char('/') + entry.datumUra;
}

bool RecentFiles::parseValue(const QString& value, Tdatoteke& entry)
{
    const qsizetype first = value.indexOf(QLatin1Char('/'));
    const qsizetype last = value.lastIndexOf(QLatin1Char('/'));
    if (first < 0 || last <= first)
        return false;
    entry.ime = value.left(first);
    entry.dir = value.mid(first + 1, last - first - 1);
    entry.datumUra = value.mid(last + 1);
    return true;
}

namespace {

QString displayName(const Tdatoteke& entry)
{
    QString name = entry.ime.toUpper();
    // The extension of the tool's files is three letters; a name without one is shown whole.
    if (name.size() > 4 && name.at(name.size() - 4) == QLatin1Char('.'))
        name.chop(4);
    return name;
}

} // namespace

QString RecentFiles::displayLine(const Tdatoteke& entry, int nameWidth)
{
    return displayName(entry).leftJustified(nameWidth) + QString(9, QLatin1Char(' ')) + entry.dir;
}

int RecentFiles::displayNameWidth() const
{
    int width = 0;
    for (const Tdatoteke& e : aDatoteke)
        width = qMax(width, int(displayName(e).size()));
    return width;
}

QString RecentFiles::timeText(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyy.MM.dd HH:mm:ss"));
}

void RecentFiles::read(const QString& iniPath)
{
    aDatoteke.clear();
    const platform::IniFile ini(iniPath);
    const QString section = QString::fromLatin1(recentFilesSection);
    for (int k = 1; k <= maxEntries; ++k) {
        const QString value = ini.readString(section, QStringLiteral("HFILE%1").arg(k), QStringLiteral("X"));
        if (value == QLatin1String("X"))
            break;
        Tdatoteke entry;
        if (parseValue(value, entry))
            aDatoteke.append(entry);
    }
}

bool RecentFiles::write(const QString& iniPath, QString* error) const
{
    platform::IniFile ini(iniPath);
    const QString section = QString::fromLatin1(recentFilesSection);
    bool ok = ini.eraseSection(section);
    for (int k = 0; ok && k < aDatoteke.size(); ++k)
        ok = ini.writeString(section, QStringLiteral("HFILE%1").arg(k + 1), entryValue(aDatoteke.at(k)));
    if (!ok && error)
        *error = ini.errorString();
    return ok;
}

void RecentFiles::enter(const QString& ime, const QString& dir, const QDateTime& when)
{
    const QString time = timeText(when);
    int entered = -1;
    for (int i = 0; i < aDatoteke.size(); ++i) {
        if (aDatoteke.at(i).ime == ime && aDatoteke.at(i).dir == dir) {
            aDatoteke[i].datumUra = time;
            entered = i;
            break;
        }
    }
    if (entered < 0) {
        if (aDatoteke.size() < maxEntries) {
            aDatoteke.append({ ime, dir, time });
            entered = int(aDatoteke.size()) - 1;
        } else {
            int oldest = 0;
            for (int i = 1; i < aDatoteke.size(); ++i)
                if (aDatoteke.at(i).datumUra < aDatoteke.at(oldest).datumUra)
                    oldest = i;
            aDatoteke[oldest] = { ime, dir, time };
            entered = oldest;
        }
    }
    // The file just used leads the files used in the same second.
    aDatoteke.move(entered, 0);
    sortNewestFirst();
}

void RecentFiles::remove(int index)
{
    if (index >= 0 && index < aDatoteke.size())
        aDatoteke.remove(index);
}

void RecentFiles::sortNewestFirst()
{
    // Each place takes the first of the remaining entries with the greatest time, so equal times keep their order.
    for (int i = 0; i < aDatoteke.size(); ++i) {
        int best = i;
        for (int j = i + 1; j < aDatoteke.size(); ++j)
            if (aDatoteke.at(j).datumUra > aDatoteke.at(best).datumUra)
                best = j;
        if (best != i) {
            const Tdatoteke e = aDatoteke.at(best);
            aDatoteke.remove(best);
            aDatoteke.insert(i, e);
        }
    }
}

} // namespace develop

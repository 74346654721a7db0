// Favourites in the settings file.
#include "admin/favourites.h"

#include "platform/inifile.h"

namespace admin {

namespace {
const QString kSection = QStringLiteral("SELECTED");
}

FavouriteTable splitFavourite(const QString& text, const QString& currentOwner)
{
    const int dot = text.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return { text, currentOwner };
    return { text.left(dot), text.mid(dot + 1).left(30) };
}

QString favouriteText(const QString& table, const QString& owner)
{
    return table + QLatin1Char('.') + owner;
}

bool favouriteHasColumn(const QString& columns, const QString& column)
{
    const QStringList names = columns.split(QLatin1Char(','));
    for (const QString& n : names)
        if (n.trimmed().compare(column.trimmed(), Qt::CaseInsensitive) == 0 && !column.trimmed().isEmpty())
            return true;
    return false;
}

QList<Favourite> LoadSelection(const platform::IniFile& ini)
{
    QList<Favourite> out;
    bool ok = false;
    const int count = ini.readString(kSection, QStringLiteral("S_STEVILO"), QStringLiteral("0")).toInt(&ok);
    for (int i = 1; ok && i <= count; ++i) {
        const QString n = QString::number(i);
        out.append({ ini.readString(kSection, QStringLiteral("S_TAB") + n),
            ini.readString(kSection, QStringLiteral("S_COL") + n),
            ini.readString(kSection, QStringLiteral("S_FILT") + n) });
    }
    return out;
}

bool SaveSelection(platform::IniFile& ini, const QList<Favourite>& entries, QString* error)
{
    QList<Favourite> kept;
    for (const Favourite& f : entries)
        if (!f.text.isEmpty())
            kept.append(f);
    auto write = [&](const QString& key, const QString& value) {
        if (ini.writeString(kSection, key, value))
            return true;
        if (error)
            *error = ini.errorString();
        return false;
    };
    if (!write(QStringLiteral("S_STEVILO"), QString::number(kept.size())))
        return false;
    for (int i = 0; i < kept.size(); ++i) {
        const QString n = QString::number(i + 1);
        if (!write(QStringLiteral("S_TAB") + n, kept[i].text) || !write(QStringLiteral("S_COL") + n, kept[i].columns)
            || !write(QStringLiteral("S_FILT") + n, kept[i].filter))
            return false;
    }
    return true;
}

} // namespace admin

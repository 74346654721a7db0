// The favourite tables of the table-structure window: each entry a table with its owner, the chosen columns and the
// data filter, kept in section [SELECTED] of the settings file (S_STEVILO, then S_TAB, S_COL and S_FILT numbered
// from 1).
#pragma once

#include <QList>
#include <QString>

namespace platform {
class IniFile;
}

namespace admin {

struct Favourite {
    QString text; // table "." owner, as the tree shows it
    QString columns; // column names joined by ","
    QString filter; // the data filter
    bool operator==(const Favourite&) const = default;
};

// The table and owner of an entry: split at the first "."; without a point the whole text is the table and the
// owner is `currentOwner`. The owner is cut to 30 characters, as the window always did.
struct FavouriteTable {
    QString table;
    QString owner;
};
FavouriteTable splitFavourite(const QString& text, const QString& currentOwner);
QString favouriteText(const QString& table, const QString& owner);

// Whether a favourite's column list names the column: whole names, compared without regard to blanks.
bool favouriteHasColumn(const QString& columns, const QString& column);

QList<Favourite> LoadSelection(const platform::IniFile& ini);
// Writes the entries with a text; false (and the reason in *error) when the file could not be written.
bool SaveSelection(platform::IniFile& ini, const QList<Favourite>& entries, QString* error = nullptr);

} // namespace admin

// The PL/SQL editor's list of the 25 most recently used files, kept in section [EDITPL] of PL_SQL.INI (the user's
// configuration directory stands for the Windows directory). Every editor window reads the file when its Load is
// pressed and writes it after every change, so the windows share the list through it; the last writer wins.
#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

namespace develop {

inline constexpr const char* recentFilesIni = "PL_SQL.INI";
inline constexpr const char* recentFilesSection = "EDITPL";

// One recent file.
struct Tdatoteke {
    QString ime; // file name with its extension
    QString dir; // directory, ending with its separator
    QString datumUra; // last use as "YYYY.MM.DD hh:mm:ss"; string order is time order
};

class RecentFiles {
public:
    static constexpr int maxEntries = 25;

    const QVector<Tdatoteke>& entries() const { return aDatoteke; }
    int count() const { return int(aDatoteke.size()); }

    // The value of one key: name, "/", directory, "/", time.
    static QString entryValue(const Tdatoteke& entry);
    // A value read back. The name ends at the first "/" and the time begins after the last one, so a directory
    // holding "/" (every directory here) or longer than any limit comes back whole. False for a value without two
    // separators.
    static bool parseValue(const QString& value, Tdatoteke& entry);
    // The line the list shows: the name in upper case without its extension, nine blanks, the directory. With a
    // name width the names are padded to it, so the directories of a list stand in one column.
    static QString displayLine(const Tdatoteke& entry, int nameWidth = 0);
    // The width of the longest name displayLine shows for the list.
    int displayNameWidth() const;
    static QString timeText(const QDateTime& when);

    // Reads HFILE1, HFILE2, ... of the file up to the first missing key, at most 25; the list is empty when the
    // file is missing.
    void read(const QString& iniPath);
    // Erases the section and writes the list anew, newest first. False, with error, when it could not be written.
    bool write(const QString& iniPath, QString* error = nullptr) const;

    // Enters a file used at `when`: the same name and directory get the new time; otherwise it is added, or with 25
    // entries it replaces the one used longest ago. The list is then sorted newest first.
    void enter(const QString& ime, const QString& dir, const QDateTime& when);
    // Removes entry `index` (0-based); the later ones move up.
    void remove(int index);

private:
    void sortNewestFirst();
    QVector<Tdatoteke> aDatoteke;
};

} // namespace develop

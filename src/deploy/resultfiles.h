// The files of an unattended run: the names of its result files (a directory, a two-letter tag and the
// organisation code), where the results and the error file go when a command names no directory, and the error file
// itself.
#pragma once

#include <QString>
#include <QStringList>

namespace deploy {

// A result file's name and its directory (with its trailing separator).
struct ResultFileName {
    QString name;
    QString directory;
};

// Only the directory of `name` survives (up to and including its last "\" or "/"); the name becomes that directory,
// the tag and the organisation code, with "!.txt" after it for the tag "DF". A name without a directory, or in the
// directory "A:\" of the tool's home system, goes to defaultDirectory. A directory that exists in another case is
// taken as it is on disk (command files upper-case everything).
ResultFileName makeResultFileName(
    const QString& name, const QString& tag, const QString& organisationCode, const QString& defaultDirectory);

// The instance check's second report: the same directory with the tag "SH".
QString backupReportName(const ResultFileName& report, const QString& organisationCode);

// Default result names of the commands that may leave them out.
inline constexpr const char* defaultCompareResult = "a:\\razlike.txt";
inline constexpr const char* defaultSistemReport = "a:\\sistem.txt";

// Where a run puts its files, from MONITOR.INI [UNATTENDED]: ERROR_FILE (the error file's full name) and RESULT_DIR
// (the directory of results that name none). Both default to the program's data directory.
struct RunFiles {
    QString errorFile;
    QString resultDirectory; // with its trailing separator
};
inline constexpr const char* runFilesSection = "UNATTENDED";
RunFiles runFiles(const QString& settingsFile, const QString& dataDirectory);

// The program's data directory: "dremmox" in the user's data directory (the embedded databases are under it).
QString programDataDirectory();

// Writes the error file anew with the lines (its directory is made when missing); false with the reason otherwise.
bool writeErrorFile(const QString& path, const QStringList& lines, QString* error);

} // namespace deploy

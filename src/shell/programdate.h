// The program's own date settings: the short date format and separator the windows use to show and read dates
// typed by the user. They follow the session date format whenever the main window changes it, so what the user
// types in a window is read the way the server shows dates.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace shell {

struct ProgramDateSettings {
    QChar dateSeparator = QLatin1Char('.');
    QString shortDateFormat = QStringLiteral("DD.MM.YYYY"); // an Oracle date format model
};

ProgramDateSettings& programDateSettings();

// Makes the format the program's short date format (and "." its date separator), as after a successful change of
// the session's date format.
void setProgramDateFormat(const QString& oracleFormat);

// The Qt form of an Oracle date format model for the elements a short date format uses (DD, MM, MON, MONTH,
// YYYY, YY, RR, RRRR, HH24, HH, MI, SS, literal punctuation and "quoted text"); std::nullopt for a model that has
// elements Qt cannot show or read back (e.g. J, DDD, WW).
std::optional<QString> qtDateFormat(const QString& oracleFormat);

// A date typed by the user in the program's short date format; std::nullopt when the text is not such a date.
std::optional<QDateTime> parseProgramDate(const QString& text);

// A date shown in the program's short date format.
QString formatProgramDate(const QDateTime& value);

} // namespace shell

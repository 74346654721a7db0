// The program's date settings and the translation of Oracle date models into Qt's.
#include "shell/programdate.h"

#include <QLocale>

namespace shell {

ProgramDateSettings& programDateSettings()
{
    static ProgramDateSettings settings;
    return settings;
}

void setProgramDateFormat(const QString& oracleFormat)
{
    ProgramDateSettings& s = programDateSettings();
    s.dateSeparator = QLatin1Char('.');
    s.shortDateFormat = oracleFormat;
}

std::optional<QString> qtDateFormat(const QString& oracleFormat)
{
    // Longest elements first, so MONTH is not read as MON + TH and HH24 not as HH + 24.
    static const std::pair<const char*, const char*> elements[] = {
        { "MONTH", "MMMM" },
        { "RRRR", "yyyy" },
        { "YYYY", "yyyy" },
        { "HH24", "HH" },
        { "HH12", "hh" },
        { "MON", "MMM" },
        { "DAY", "dddd" },
        { "DY", "ddd" },
        { "DD", "dd" },
        { "MM", "MM" },
        { "RR", "yy" },
        { "YY", "yy" },
        { "HH", "hh" },
        { "MI", "mm" },
        { "SS", "ss" },
        { "AM", "AP" },
        { "PM", "AP" },
    };
    QString out;
    const QString upper = oracleFormat.toUpper();
    int i = 0;
    while (i < upper.size()) {
        const QChar c = upper.at(i);
        if (c == QLatin1Char('"')) {
            const int end = upper.indexOf(QLatin1Char('"'), i + 1);
            if (end < 0)
                return std::nullopt;
            out += QLatin1Char('\'') + oracleFormat.mid(i + 1, end - i - 1).replace(QLatin1Char('\''), QLatin1String("''"))
                + QLatin1Char('\'');
            i = end + 1;
            continue;
        }
        if (c.isLetterOrNumber()) {
            bool matched = false;
            for (const auto& [ora, qt] : elements) {
                const QLatin1String e(ora);
                if (upper.mid(i, e.size()) == e) {
                    out += QLatin1String(qt);
                    i += e.size();
                    matched = true;
                    break;
                }
            }
            if (!matched)
                return std::nullopt;
            continue;
        }
        if (c == QLatin1Char('\''))
            out += QLatin1String("''");
        else
            out += c;
        ++i;
    }
    if (out.isEmpty())
        return std::nullopt;
    return out;
}

std::optional<QDateTime> parseProgramDate(const QString& text)
{
    auto format = qtDateFormat(programDateSettings().shortDateFormat);
    if (!format)
        return std::nullopt;
    const QLocale c = QLocale::c();
    QDateTime value = c.toDateTime(text.trimmed(), *format);
    if (!value.isValid()) {
        // The server shows month names in capitals ("JAN"); Qt's C locale reads only "Jan".
        QString candidate = text.trimmed().toLower();
        bool word = false;
        for (int i = 0; i < candidate.size(); ++i) {
            const bool letter = candidate.at(i).isLetter();
            if (letter && !word)
                candidate[i] = candidate.at(i).toUpper();
            word = letter;
        }
        value = c.toDateTime(candidate, *format);
    }
    if (!value.isValid())
        return std::nullopt;
    return value;
}

QString formatProgramDate(const QDateTime& value)
{
    auto format = qtDateFormat(programDateSettings().shortDateFormat);
    const QLocale c = QLocale::c();
    if (!format)
        return c.toString(value, QStringLiteral("dd.MM.yyyy"));
    QString text = c.toString(value, *format);
    const QString upper = programDateSettings().shortDateFormat.toUpper();
    if (upper.contains(QLatin1String("MON")) || upper.contains(QLatin1String("DY")) || upper.contains(QLatin1String("DAY")))
        text = text.toUpper(); // Oracle shows month and day names in capitals for an upper-case model
    return text;
}

} // namespace shell

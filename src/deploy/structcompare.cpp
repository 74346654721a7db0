#include "deploy/structcompare.h"

#include <QRegularExpression>

namespace deploy {

namespace {

const QString kSection = QStringLiteral("###");
const QString kEnd = QStringLiteral("###END##");

QString leftTrimmed(const QString& s)
{
    int i = 0;
    while (i < s.size() && s.at(i).isSpace())
        ++i;
    return s.mid(i);
}

// A body without the empty lines around it and the blanks before its first line.
QStringList trimmedBody(QStringList lines)
{
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (!lines.isEmpty())
        lines.first() = leftTrimmed(lines.first());
    return lines;
}

// The lines after `header` (an index into lines) up to the next section header.
QStringList bodyAfter(const QStringList& lines, int header)
{
    QStringList body;
    for (int i = header + 1; i < lines.size() && !lines.at(i).startsWith(kSection); ++i)
        body << lines.at(i);
    return body;
}

// A primary key's line compares without the " UNIQUE" some dumps put at its end.
QString comparable(const QString& line)
{
    QString t = leftTrimmed(line);
    if (t.startsWith(QLatin1String("PK_")) && t.endsWith(QLatin1String("UNIQUE")))
        t.chop(7);
    return t;
}

QString joined(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

class Comparison {
public:
    Comparison(const StructCompareTexts& t, int max)
        : texts(t)
        , limit(max)
    {
    }

    StructCompareResult result;

    // False when the list is full.
    bool record(const QString& tip, const QString& ime, const QString& napaka)
    {
        if (result.differences.size() >= limit) {
            result.tooMany = true;
            return false;
        }
        result.differences << StructDifference { tip, ime, napaka };
        return true;
    }

    bool section(const QString& header, const QStringList& referenceBody, const QStringList& current)
    {
        const QString spec = header.mid(3, 300);
        const QString tip = spec.section(QLatin1Char('#'), 0, 0);
        const QString ime = spec.section(QLatin1Char('#'), 1, 1).left(100);
        const int at = current.indexOf(header);
        if (at < 0)
            return record(tip, ime, texts.neObstaja);
        const QStringList o = trimmedBody(referenceBody);
        const QStringList c = trimmedBody(bodyAfter(current, at));
        if (o == c)
            return true;
        if (tip == QLatin1String("TABLE")) {
            const QString text = tableDifferences(o, c);
            return text.isEmpty() || record(tip, ime, text);
        }
        if (tip.left(5) == QLatin1String("INDEX"))
            return record(tip, ime, joined(o) + QStringLiteral("  -->  ") + joined(c));
        return record(tip, ime,
            texts.niEnako + QLatin1Char(' ') + QString::number(joined(o).size()) + QStringLiteral("  ")
                + QString::number(joined(c).size()));
    }

private:
    // Each reference line found whole in the current table is taken off it; the others are listed with the current
    // line of the same name, or as missing.
    QString tableDifferences(const QStringList& o, const QStringList& currentBody)
    {
        QStringList c;
        for (const QString& line : currentBody)
            c << comparable(line);
        QStringList entries;
        QString prefix;
        for (const QString& raw : o) {
            QString t = leftTrimmed(raw);
            if (t.isEmpty())
                continue;
            t = comparable(t);
            if (t.startsWith(QLatin1String("#CON")))
                prefix = QStringLiteral("CNS:");
            else if (t.startsWith(QLatin1String("#IND")))
                prefix = QStringLiteral("IDX:");
            else if (t.startsWith(QLatin1String("SYS_")))
                continue;
            if (const int at = c.indexOf(t); at >= 0) {
                c.removeAt(at);
                continue;
            }
            const int blank = t.indexOf(QLatin1Char(' '));
            const QString w = blank < 0 ? t : t.left(blank + 1);
            int match = -1;
            for (int i = 0; i < c.size() && match < 0; ++i) {
                if (blank < 0 ? c.at(i) == w : c.at(i).startsWith(w))
                    match = i;
            }
            if (match < 0)
                entries << prefix + w + QLatin1Char(' ') + texts.neObstaja;
            else
                entries << prefix + t + QStringLiteral("  -->  ") + c.at(match);
        }
        return entries.join(QLatin1Char('\n'));
    }

    StructCompareTexts texts;
    int limit;
};

} // namespace

QStringList textLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(breaks);
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

StructCompareResult compareStructures(
    const QStringList& reference, const QStringList& current, const StructCompareTexts& texts, int maxDifferences)
{
    Comparison cmp(texts, maxDifferences);
    for (int i = 0; i < reference.size(); ++i) {
        const QString& line = reference.at(i);
        if (!line.startsWith(kSection))
            continue;
        if (line.startsWith(kEnd))
            break;
        if (!cmp.section(line, bodyAfter(reference, i), current))
            break;
    }
    return cmp.result;
}

QString differenceSummary(const QString& napaka)
{
    const int nl = napaka.indexOf(QLatin1Char('\n'));
    return nl < 0 ? napaka : napaka.left(nl) + QStringLiteral(" .....");
}

QStringList differenceFileLines(const QStringList& header, const QList<StructDifference>& differences)
{
    QStringList lines = header;
    for (const StructDifference& d : differences) {
        lines << d.tip + QLatin1Char(' ') + d.ime + QStringLiteral("  ");
        for (const QString& l : d.napaka.split(QLatin1Char('\n')))
            lines << QStringLiteral("      ") + l;
    }
    return lines;
}

QStringList readStructureDump(const std::function<std::optional<QString>()>& next)
{
    // The package answers "NULL" for ever once its lines are used up; a dump line may read "NULL" too.
    constexpr int kNullRun = 50;
    QStringList lines;
    int nulls = 0;
    for (;;) {
        const std::optional<QString> line = next();
        if (!line)
            break;
        if (*line == QLatin1String("NULL")) {
            if (++nulls >= kNullRun)
                break;
            continue;
        }
        for (; nulls > 0; --nulls)
            lines << QStringLiteral("NULL");
        lines << *line;
        if (line->startsWith(kEnd))
            break;
    }
    return lines;
}

} // namespace deploy

#include "develop/delphistring.h"

namespace develop {

namespace {

const QString kCrLf = QStringLiteral("#$D#$A");
const QString kLf = QStringLiteral("#$A");

bool joiner(QChar c)
{
    return c.isSpace() || c == QLatin1Char('+');
}

QString pieceText(const QString& piece)
{
    qsizetype from = 0;
    qsizetype to = piece.size();
    while (from < to && joiner(piece.at(from)))
        ++from;
    while (to > from && joiner(piece.at(to - 1)))
        --to;
    QString p = piece.mid(from, to - from);
    if (p.size() >= 2 && p.startsWith(QLatin1Char('\'')) && p.endsWith(QLatin1Char('\'')))
        return p.mid(1, p.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    return p;
}

// The first #$A that is not the end of a #$D#$A.
qsizetype loneLf(const QString& s)
{
    for (qsizetype i = s.indexOf(kLf); i >= 0; i = s.indexOf(kLf, i + 1)) {
        if (i < 3 || s.mid(i - 3, 3) != QLatin1String("#$D"))
            return i;
    }
    return -1;
}

} // namespace

std::optional<QStringList> convertDelphiString(const QString& text)
{
    if (!text.contains(kCrLf))
        return std::nullopt;
    QStringList lines;
    QString s = text;
    while (true) {
        const qsizetype crlf = s.indexOf(kCrLf);
        const qsizetype lf = loneLf(s);
        if (crlf < 0 && lf < 0)
            break;
        const bool takeCrLf = crlf >= 0 && (lf < 0 || crlf < lf);
        const qsizetype at = takeCrLf ? crlf : lf;
        lines << pieceText(s.left(at));
        s = s.mid(at + (takeCrLf ? kCrLf.size() : kLf.size()));
    }
    // The expression's own end (a semicolon after the last piece) is no part of the statement.
    qsizetype end = s.size();
    while (end > 0 && (s.at(end - 1).isSpace() || s.at(end - 1) == QLatin1Char(';')))
        --end;
    lines << pieceText(s.left(end));
    return lines;
}

} // namespace develop

#include "develop/keywordfinder.h"

#include <functional>

namespace develop {

namespace {

struct Rule {
    QString opening; // searched as
    QString closing;
    bool openingAfterElse = false;
    enum class Close { Semicolon, EndName, Word, Always } close = Close::Semicolon;
    bool openingAlways = false;
};

std::optional<Rule> ruleFor(const QString& keyword)
{
    using C = Rule::Close;
    if (keyword == QLatin1String("IF"))
        return Rule { QStringLiteral("IF "), QStringLiteral("END IF"), true, C::Semicolon, false };
    if (keyword == QLatin1String("OPEN"))
        return Rule { QStringLiteral("OPEN"), QStringLiteral("CLOSE"), false, C::Word, false };
    if (keyword == QLatin1String("LOOP"))
        return Rule { QStringLiteral("LOOP"), QStringLiteral("END LOOP"), false, C::Semicolon, false };
    if (keyword == QLatin1String("FOR"))
        return Rule { QStringLiteral("FOR"), QStringLiteral("END LOOP"), false, C::Semicolon, false };
    if (keyword == QLatin1String("BEGIN"))
        return Rule { QStringLiteral("BEGIN"), QStringLiteral("END"), false, C::EndName, false };
    if (keyword == QLatin1String("("))
        return Rule { QStringLiteral("("), QStringLiteral(")"), false, C::Always, true };
    return std::nullopt;
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#')
        || c == QLatin1Char('"') || c == QLatin1Char('.');
}

qsizetype skipBlanks(const QString& s, qsizetype i)
{
    while (i < s.size() && s.at(i).isSpace())
        ++i;
    return i;
}

bool openingCounts(const Rule& rule, const QString& up, qsizetype at)
{
    if (rule.openingAlways)
        return true;
    const QString before = up.left(at).trimmed();
    return before.isEmpty() || (rule.openingAfterElse && before == QLatin1String("ELSE"));
}

bool closingCounts(const Rule& rule, const QString& up, qsizetype at)
{
    const qsizetype after = at + rule.closing.size();
    // A keyword, not the end of a longer name ("APPEND;").
    if (rule.close != Rule::Close::Always && at > 0 && isNameChar(up.at(at - 1)))
        return false;
    switch (rule.close) {
    case Rule::Close::Always:
        return true;
    case Rule::Close::Word:
        return after >= up.size() || up.at(after).isSpace() || up.at(after) == QLatin1Char(';');
    case Rule::Close::Semicolon:
    case Rule::Close::EndName: {
        qsizetype i = skipBlanks(up, after);
        if (i < up.size() && up.at(i) == QLatin1Char(';'))
            return true;
        if (rule.close != Rule::Close::EndName || i == after || i >= up.size() || !isNameChar(up.at(i)))
            return false;
        const qsizetype nameStart = i;
        while (i < up.size() && isNameChar(up.at(i)))
            ++i;
        const QString name = up.mid(nameStart, i - nameStart);
        if (name == QLatin1String("IF") || name == QLatin1String("LOOP") || name == QLatin1String("CASE"))
            return false;
        i = skipBlanks(up, i);
        return i < up.size() && up.at(i) == QLatin1Char(';');
    }
    }
    return false;
}

// The first place from `from` where `word` stands and counts, or -1.
qsizetype firstCounting(const QString& up, qsizetype from, const QString& word,
    const std::function<bool(qsizetype)>& counts)
{
    for (qsizetype at = up.indexOf(word, from); at >= 0; at = up.indexOf(word, at + 1))
        if (counts(at))
            return at;
    return -1;
}

} // namespace

std::optional<FoundKeyword> findClosingKeyword(
    const QStringList& lines, int line, int column, const QString& selection)
{
    const std::optional<Rule> rule = ruleFor(selection.trimmed().toUpper());
    if (!rule || line < 0)
        return std::nullopt;
    int depth = 1;
    for (int l = line; l < lines.size(); ++l) {
        const QString up = lines.at(l).toUpper();
        qsizetype pos = l == line ? qMax(0, column) : 0;
        while (pos <= up.size()) {
            const qsizetype open
                = firstCounting(up, pos, rule->opening, [&](qsizetype at) { return openingCounts(*rule, up, at); });
            const qsizetype close
                = firstCounting(up, pos, rule->closing, [&](qsizetype at) { return closingCounts(*rule, up, at); });
            if (open < 0 && close < 0)
                break;
            if (close >= 0 && (open < 0 || close < open)) {
                if (--depth == 0)
                    return FoundKeyword { l, int(close), int(rule->closing.size()) };
                pos = close + rule->closing.size();
            } else {
                ++depth;
                pos = open + rule->opening.size();
            }
        }
    }
    return std::nullopt;
}

} // namespace develop

#include "db/sqltext.h"

#include <QSet>

namespace db::sqltext {

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}
bool isWordPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#');
}

// Words that end the FROM or WHERE clause of a query at the same level.
bool endsClause(const QString& w)
{
    static const QSet<QString> words { QStringLiteral("GROUP"), QStringLiteral("ORDER"), QStringLiteral("CONNECT"),
        QStringLiteral("START"), QStringLiteral("HAVING"), QStringLiteral("FOR"), QStringLiteral("UNION"),
        QStringLiteral("INTERSECT"), QStringLiteral("MINUS"), QStringLiteral("MODEL") };
    return words.contains(w);
}

bool isCompoundWord(const QString& w)
{
    return w == QLatin1String("UNION") || w == QLatin1String("INTERSECT") || w == QLatin1String("MINUS");
}

// Words that cannot be a table alias.
bool isReservedAfterTable(const QString& w)
{
    static const QSet<QString> words { QStringLiteral("WHERE"), QStringLiteral("GROUP"), QStringLiteral("ORDER"),
        QStringLiteral("CONNECT"), QStringLiteral("START"), QStringLiteral("HAVING"), QStringLiteral("FOR"),
        QStringLiteral("UNION"), QStringLiteral("INTERSECT"), QStringLiteral("MINUS"), QStringLiteral("JOIN"),
        QStringLiteral("INNER"), QStringLiteral("LEFT"), QStringLiteral("RIGHT"), QStringLiteral("FULL"),
        QStringLiteral("CROSS"), QStringLiteral("NATURAL"), QStringLiteral("PARTITION"), QStringLiteral("SAMPLE"),
        QStringLiteral("MODEL"), QStringLiteral("ON"), QStringLiteral("USING") };
    return words.contains(w);
}

} // namespace

std::vector<Token> tokenize(const QString& sql)
{
    std::vector<Token> tokens;
    const int n = int(sql.size());
    int depth = 0;
    int i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n') && sql.at(i) != QLatin1Char('\r'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const int end = int(sql.indexOf(QLatin1String("*/"), i + 2));
            i = end < 0 ? n : end + 2;
            continue;
        }
        const int start = i;
        // q'[...]' and Q'{...}' literals, optionally after N
        if ((c == QLatin1Char('q') || c == QLatin1Char('Q')) && i + 2 < n && sql.at(i + 1) == QLatin1Char('\'')) {
            QChar close = sql.at(i + 2);
            if (close == QLatin1Char('['))
                close = QLatin1Char(']');
            else if (close == QLatin1Char('{'))
                close = QLatin1Char('}');
            else if (close == QLatin1Char('('))
                close = QLatin1Char(')');
            else if (close == QLatin1Char('<'))
                close = QLatin1Char('>');
            i += 3;
            while (i < n && !(sql.at(i) == close && i + 1 < n && sql.at(i + 1) == QLatin1Char('\'')))
                ++i;
            i = qMin(n, i + 2);
            tokens.push_back({ Token::Kind::String, start, i - start, depth, sql.mid(start, i - start) });
            continue;
        }
        if (c == QLatin1Char('\'')) {
            ++i;
            while (i < n) {
                if (sql.at(i) == QLatin1Char('\'')) {
                    if (i + 1 < n && sql.at(i + 1) == QLatin1Char('\'')) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            tokens.push_back({ Token::Kind::String, start, i - start, depth, sql.mid(start, i - start) });
            continue;
        }
        if (c == QLatin1Char('"')) {
            const int end = int(sql.indexOf(QLatin1Char('"'), i + 1));
            i = end < 0 ? n : end + 1;
            tokens.push_back(
                { Token::Kind::QuotedName, start, i - start, depth, sql.mid(start + 1, qMax(0, i - start - 2)) });
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < n && (isWordStart(sql.at(i + 1)) || sql.at(i + 1).isDigit())) {
            ++i;
            while (i < n && isWordPart(sql.at(i)))
                ++i;
            tokens.push_back(
                { Token::Kind::Bind, start, i - start, depth, sql.mid(start + 1, i - start - 1).toUpper() });
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < n && sql.at(i + 1) == QLatin1Char('"')) {
            const int end = int(sql.indexOf(QLatin1Char('"'), i + 2));
            i = end < 0 ? n : end + 1;
            tokens.push_back(
                { Token::Kind::Bind, start, i - start, depth, sql.mid(start + 2, qMax(0, i - start - 3)) });
            continue;
        }
        if (isWordStart(c)) {
            while (i < n && isWordPart(sql.at(i)))
                ++i;
            tokens.push_back({ Token::Kind::Word, start, i - start, depth, sql.mid(start, i - start).toUpper() });
            continue;
        }
        if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && sql.at(i + 1).isDigit())) {
            while (i < n && (sql.at(i).isLetterOrNumber() || sql.at(i) == QLatin1Char('.')))
                ++i;
            tokens.push_back({ Token::Kind::Number, start, i - start, depth, sql.mid(start, i - start) });
            continue;
        }
        if (c == QLatin1Char('('))
            ++depth;
        tokens.push_back({ Token::Kind::Symbol, start, 1, c == QLatin1Char('(') ? depth - 1 : depth, QString(c) });
        if (c == QLatin1Char(')') && depth > 0) {
            --depth;
            tokens.back().depth = depth;
        }
        ++i;
    }
    return tokens;
}

QString variableKey(const QString& name)
{
    QString key = name.trimmed();
    if (key.startsWith(QLatin1Char(':')))
        key.remove(0, 1);
    return key.toUpper();
}

QStringList bindNames(const QString& sql)
{
    QStringList names;
    for (const Token& t : tokenize(sql))
        if (t.kind == Token::Kind::Bind && !names.contains(t.text))
            names << t.text;
    return names;
}

std::optional<TableRef> updatingTable(const QString& sql)
{
    const std::vector<Token> tokens = tokenize(sql);
    if (tokens.empty() || tokens.front().kind != Token::Kind::Word || tokens.front().text != QLatin1String("SELECT"))
        return std::nullopt;
    size_t i = 0;
    while (i < tokens.size()
        && !(tokens[i].depth == 0 && tokens[i].kind == Token::Kind::Word && tokens[i].text == QLatin1String("FROM")))
        ++i;
    if (++i >= tokens.size())
        return std::nullopt;
    TableRef ref;
    auto namePart = [&](size_t k) -> bool {
        return k < tokens.size() && (tokens[k].kind == Token::Kind::Word || tokens[k].kind == Token::Kind::QuotedName);
    };
    if (!namePart(i))
        return std::nullopt;
    const int nameStart = tokens[i].offset;
    int nameEnd = tokens[i].offset + tokens[i].length;
    ++i;
    while (i + 1 < tokens.size() && tokens[i].kind == Token::Kind::Symbol && tokens[i].text == QLatin1String(".")
        && namePart(i + 1)) {
        nameEnd = tokens[i + 1].offset + tokens[i + 1].length;
        i += 2;
    }
    if (i < tokens.size() && tokens[i].kind == Token::Kind::Symbol && tokens[i].text == QLatin1String("@"))
        return std::nullopt; // a table over a database link is not updated through ROWID here
    ref.table = sql.mid(nameStart, nameEnd - nameStart);
    if (i < tokens.size() && tokens[i].kind == Token::Kind::QuotedName)
        ref.alias = sql.mid(tokens[i].offset, tokens[i].length);
    else if (i < tokens.size() && tokens[i].kind == Token::Kind::Word && !isReservedAfterTable(tokens[i].text))
        ref.alias = sql.mid(tokens[i].offset, tokens[i].length);
    return ref;
}

QString addWhereCondition(const QString& sql, const QString& condition)
{
    QString text = sql;
    // A trailing semicolon or slash would end up inside the new text; they are not part of a query.
    while (!text.isEmpty() && (text.back().isSpace() || text.back() == QLatin1Char(';')))
        text.chop(1);
    const std::vector<Token> tokens = tokenize(text);
    int fromIndex = -1;
    int whereIndex = -1;
    for (int k = 0; k < int(tokens.size()); ++k) {
        const Token& t = tokens[size_t(k)];
        if (t.depth != 0 || t.kind != Token::Kind::Word)
            continue;
        if (isCompoundWord(t.text))
            return QStringLiteral("select * from (\n") + text + QStringLiteral("\n) where ") + condition;
        if (fromIndex < 0 && t.text == QLatin1String("FROM"))
            fromIndex = k;
        else if (fromIndex >= 0 && whereIndex < 0 && t.text == QLatin1String("WHERE"))
            whereIndex = k;
    }
    const int searchFrom = whereIndex >= 0 ? whereIndex + 1 : (fromIndex >= 0 ? fromIndex + 1 : 0);
    int endOffset = int(text.size());
    for (int k = searchFrom; k < int(tokens.size()); ++k) {
        const Token& t = tokens[size_t(k)];
        if (t.depth == 0 && t.kind == Token::Kind::Word && endsClause(t.text)) {
            endOffset = t.offset;
            break;
        }
    }
    if (whereIndex >= 0) {
        const Token& w = tokens[size_t(whereIndex)];
        const int condStart = w.offset + w.length;
        QString existing = text.mid(condStart, endOffset - condStart).trimmed();
        return text.left(condStart) + QStringLiteral(" (") + existing + QStringLiteral(") and ") + condition
            + (endOffset < text.size() ? QStringLiteral(" ") + text.mid(endOffset) : QString());
    }
    QString head = text.left(endOffset);
    while (!head.isEmpty() && head.back().isSpace())
        head.chop(1);
    return head + QStringLiteral(" where ") + condition
        + (endOffset < text.size() ? QStringLiteral(" ") + text.mid(endOffset) : QString());
}

QString columnReference(const QString& name)
{
    bool plain = !name.isEmpty() && name.at(0).isLetter();
    for (const QChar c : name)
        if (!(c.isUpper() || c.isDigit() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#')))
            plain = false;
    if (plain)
        return name;
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace db::sqltext

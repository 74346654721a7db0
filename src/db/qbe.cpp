#include "db/qbe.h"

#include "db/oracleerror.h"

namespace db {

namespace {

// A value as typed: 'quoted' text loses its quotes (doubled quotes inside become one), anything else is trimmed.
QString literalValue(const QString& raw)
{
    const QString t = raw.trimmed();
    if (t.startsWith(QLatin1Char('\''))) {
        if (t.size() < 2 || !t.endsWith(QLatin1Char('\'')))
            throw OracleError::client(QStringLiteral("Unclosed quote in the example value %1").arg(raw));
        QString inner = t.mid(1, t.size() - 2);
        return inner.replace(QLatin1String("''"), QLatin1String("'"));
    }
    return t;
}

// The items of "a, 'b,c', d" split at commas outside quotes.
QStringList splitList(const QString& text)
{
    QStringList items;
    QString cur;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (c == QLatin1Char(',') && !quoted) {
            items << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (quoted)
        throw OracleError::client(QStringLiteral("Unclosed quote in the example value %1").arg(text));
    items << cur;
    return items;
}

bool isTextType(FieldType t)
{
    return t == FieldType::Varchar2 || t == FieldType::Char || t == FieldType::Long || t == FieldType::Clob
        || t == FieldType::Rowid;
}

bool startsWithWord(const QString& upper, const QString& word)
{
    return upper.startsWith(word) && (upper.size() == word.size() || !upper.at(word.size()).isLetterOrNumber());
}

} // namespace

std::optional<QbeTerm> qbeTerm(const QString& column, FieldType type, const QString& input, const QString& bindPrefix)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QString upper = text.toUpper();
    QbeTerm term;
    int count = 0;
    auto bind = [&](const QString& value) {
        const QString name = count == 0 ? bindPrefix : bindPrefix + QLatin1Char('_') + QString::number(count + 1);
        ++count;
        term.binds.emplace_back(name, value.isEmpty() ? QVariant() : QVariant(value));
        return QLatin1Char(':') + name;
    };

    if (upper == QLatin1String("NULL") || upper == QLatin1String("IS NULL")) {
        term.condition = column + QStringLiteral(" is null");
        return term;
    }
    if (upper == QLatin1String("NOT NULL") || upper == QLatin1String("IS NOT NULL")) {
        term.condition = column + QStringLiteral(" is not null");
        return term;
    }
    for (const char* op : { "NOT LIKE", "LIKE" }) {
        const QString word = QString::fromLatin1(op);
        if (startsWithWord(upper, word)) {
            term.condition = column + QLatin1Char(' ') + word.toLower() + QLatin1Char(' ')
                + bind(literalValue(text.mid(word.size())));
            return term;
        }
    }
    for (const char* op : { "NOT IN", "IN" }) {
        const QString word = QString::fromLatin1(op);
        if (startsWithWord(upper, word)) {
            QString rest = text.mid(word.size()).trimmed();
            if (!rest.startsWith(QLatin1Char('(')) || !rest.endsWith(QLatin1Char(')')))
                throw OracleError::client(QStringLiteral("The example value %1 needs a list in brackets").arg(text));
            QStringList places;
            for (const QString& item : splitList(rest.mid(1, rest.size() - 2)))
                places << bind(literalValue(item));
            term.condition = column + QLatin1Char(' ') + word.toLower() + QStringLiteral(" (")
                + places.join(QStringLiteral(", ")) + QLatin1Char(')');
            return term;
        }
    }
    if (startsWithWord(upper, QStringLiteral("BETWEEN"))) {
        const QString rest = text.mid(7);
        const int andAt = int(rest.toUpper().indexOf(QLatin1String(" AND ")));
        if (andAt < 0)
            throw OracleError::client(QStringLiteral("The example value %1 needs BETWEEN ... AND ...").arg(text));
        const QString low = bind(literalValue(rest.left(andAt)));
        const QString high = bind(literalValue(rest.mid(andAt + 5)));
        term.condition = column + QStringLiteral(" between ") + low + QStringLiteral(" and ") + high;
        return term;
    }
    for (const char* op : { ">=", "<=", "<>", "!=", "=", ">", "<" }) {
        const QString o = QString::fromLatin1(op);
        if (text.startsWith(o)) {
            term.condition = column + QLatin1Char(' ') + o + QLatin1Char(' ') + bind(literalValue(text.mid(o.size())));
            return term;
        }
    }
    const QString value = literalValue(text);
    if (isTextType(type) && (value.contains(QLatin1Char('%')) || value.contains(QLatin1Char('_'))))
        term.condition = column + QStringLiteral(" like ") + bind(value);
    else
        term.condition = column + QStringLiteral(" = ") + bind(value);
    return term;
}

} // namespace db

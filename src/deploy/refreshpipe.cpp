#include "deploy/refreshpipe.h"

namespace deploy {

namespace {

QString unescaped(const QString& value)
{
    if (!value.contains(QLatin1Char('\\')))
        return value;
    QString out;
    for (int i = 0; i < value.size(); ++i) {
        if (value.at(i) == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value.at(++i);
            out += next == QLatin1Char('q') ? QChar(QLatin1Char('?')) : next;
            continue;
        }
        out += value.at(i);
    }
    return out;
}

} // namespace

RefreshPipeMessage parsePipeMessage(const QString& text)
{
    RefreshPipeMessage m;
    if (text.isEmpty())
        return m;
    m.final = text.startsWith(QLatin1Char('/'));
    QString rest = text.mid(2);
    int q;
    while ((q = rest.indexOf(QLatin1Char('?'))) >= 0) {
        // A "?" at the start (the prefix of a message whose "#" was kept) is an empty item.
        if (q > 0)
            m.items << RefreshPipeItem { rest.at(0), unescaped(rest.mid(1, q - 1)) };
        rest = rest.mid(q + 1);
    }
    return m;
}

void RefreshProgress::apply(const RefreshPipeMessage& message)
{
    for (const RefreshPipeItem& item : message.items) {
        switch (item.kind.unicode()) {
        case 'S':
            counter = item.value;
            break;
        case 'U':
            updated = item.value;
            break;
        case 'I':
            inserted = item.value;
            break;
        case 'D':
            deleted = item.value;
            break;
        case '-':
            errors << QStringLiteral("ERROR ON DELETING:   ") + item.value;
            break;
        case '+':
            errors << QStringLiteral("ERROR ON INSERTING:   ") + item.value;
            break;
        default:
            break;
        }
    }
    final = final || message.final;
}

} // namespace deploy

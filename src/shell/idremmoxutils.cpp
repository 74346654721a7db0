#include "shell/idremmoxutils.h"

#include "shell/mainservices.h"

namespace shell {

namespace {
bool isSpaceOrControl(QChar c)
{
    return c.unicode() <= 32;
}
} // namespace

QStringList TDremmoxHelper::splitDelimited(const QString& list, QChar delimiter)
{
    QStringList items;
    const qsizetype n = list.size();
    qsizetype i = 0;
    while (i < n && isSpaceOrControl(list.at(i)))
        ++i;
    while (i < n) {
        QString item;
        if (list.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (list.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && list.at(i + 1) == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += list.at(i++);
            }
        } else {
            const qsizetype start = i;
            while (i < n && !isSpaceOrControl(list.at(i)) && list.at(i) != delimiter)
                ++i;
            item = list.mid(start, i - start);
        }
        items.append(item);
        while (i < n && isSpaceOrControl(list.at(i)))
            ++i;
        if (i < n && list.at(i) == delimiter) {
            if (i + 1 == n)
                items.append(QString());
            ++i;
            while (i < n && isSpaceOrControl(list.at(i)))
                ++i;
        }
    }
    return items;
}

QString TDremmoxHelper::String2SQlString(const QString& list, QChar delimiter)
{
    QStringList literals;
    for (const QString& item : splitDelimited(list, delimiter))
        literals.append(sqlQuote(item));
    return literals.join(delimiter);
}

} // namespace shell

// Helpers that turn what the user typed into SQL text: a delimited list of names into the string literals of
// an IN condition.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace shell {

class TDremmoxHelper {
public:
    // Splits list by the tool's delimited-text rule: characters up to the blank separate as the delimiter does,
    // an item in double quotes runs to its closing quote (a doubled quote stands for one), a delimiter at the very
    // end adds an empty item.
    static QStringList splitDelimited(const QString& list, QChar delimiter);

    // The items of list as SQL string literals joined by the delimiter ("A, B" gives 'A','B'), ready to stand
    // between the parentheses of an IN condition. Every item is one literal with its single quotes doubled, so
    // nothing the user typed can leave the literal. No items give an empty text.
    static QString String2SQlString(const QString& list, QChar delimiter);
};

} // namespace shell

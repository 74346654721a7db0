#include "deploy/scripttext.h"

namespace deploy {

namespace {

bool isTrimmed(QChar c)
{
    return c.unicode() <= 32;
}

} // namespace

QString trimControl(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isTrimmed(text.at(start)))
        ++start;
    while (end > start && isTrimmed(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

QString trimLeftControl(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && isTrimmed(text.at(start)))
        ++start;
    return text.mid(start);
}

} // namespace deploy

// The refresh block's progress messages as the refresh window reads them from the pipe: items of a kind letter, a
// value and "?" after a two-character prefix; the final message begins with "/". Values of error items come escaped
// ("\\" for a backslash, "\q" for "?"), so a "?" in a key value never ends an item.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace deploy {

struct RefreshPipeItem {
    QChar kind; // S rows read, U updated, I inserted, D deleted, + failed insert, - failed delete
    QString value;
    bool operator==(const RefreshPipeItem&) const = default;
};

struct RefreshPipeMessage {
    bool final = false;
    QList<RefreshPipeItem> items;
};

// One message as readPipe hands it over (its leading "#" taken off or not); an empty text is no message.
RefreshPipeMessage parsePipeMessage(const QString& text);

// What the window shows of a run: the four counters and the lines of the "Errors" page.
struct RefreshProgress {
    QString counter, updated, inserted, deleted;
    QStringList errors;
    bool final = false;
    void apply(const RefreshPipeMessage& message);
};

} // namespace deploy

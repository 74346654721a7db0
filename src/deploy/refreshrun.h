// Running a refresh block: the worker thread that executes it on the refresh window's own session, and the loop that
// reads the block's progress messages until the thread has ended. The window supplies how a message is read (the
// pipe on the main session) and how it waits in between, so the loop is tested without a window.
#pragma once

#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <optional>

namespace db {
class Session;
}

namespace deploy {

struct RefreshProgress;

// Executes one statement on a session in a thread of its own. The outcome is published through atomics before
// the thread ends: failed() and error() are read once ended() is true.
class TRefreshSqlThread : public QThread {
    Q_OBJECT
public:
    TRefreshSqlThread(db::Session* session, const QString& statement, QObject* parent = nullptr);
    ~TRefreshSqlThread() override;

    bool ended() const { return done.load(std::memory_order_acquire); }
    bool failed() const { return SQLNapaka.load(std::memory_order_acquire); }
    // The server's message when failed(); read only after ended().
    QString error() const;

protected:
    void run() override;

private:
    db::Session* session;
    QString statement;
    std::atomic<bool> SQLNapaka { false };
    std::atomic<bool> done { false };
    QString SQLErr; // written before done is set
};

// What the reading loop needs from its caller.
struct RefreshPipeIo {
    // One read of the pipe: the next message, an empty text when none is waiting, or nothing when the pipe cannot be
    // read (the loop then only waits for the thread).
    std::function<std::optional<QString>()> read;
    std::function<bool()> threadEnded;
    // Nothing is waiting: let the window live until something may have changed (a short while at most).
    std::function<void()> idle;
    // The progress changed: show it.
    std::function<void()> changed;
};

// Reads and applies messages until the thread has ended and no message is left, so a run ends also when the block
// sends no final message (a block that only creates a procedure, a block that failed or was stopped). A message sent
// before the thread ended is always read. Returns false when the pipe could not be read.
bool readRefreshPipe(const RefreshPipeIo& io, RefreshProgress& progress);

// A pipe name of its own for each refresh window, so two windows (or two users) never read each other's messages.
QString uniqueRefreshPipeName();

} // namespace deploy

#include "deploy/refreshrun.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "deploy/refreshblock.h"
#include "deploy/refreshpipe.h"

#include <QRandomGenerator>

namespace deploy {

TRefreshSqlThread::TRefreshSqlThread(db::Session* s, const QString& text, QObject* parent)
    : QThread(parent)
    , session(s)
    , statement(text)
{
}

TRefreshSqlThread::~TRefreshSqlThread()
{
    // The owner stops the statement first; a thread object never goes while its statement runs.
    wait();
}

QString TRefreshSqlThread::error() const
{
    return ended() ? SQLErr : QString();
}

void TRefreshSqlThread::run()
{
    try {
        db::Query q(session);
        q.setSql(statement);
        q.execute();
        SQLNapaka.store(false, std::memory_order_release);
    } catch (const db::OracleError& e) {
        SQLErr = e.message();
        SQLNapaka.store(true, std::memory_order_release);
    } catch (const std::exception& e) {
        SQLErr = QString::fromLocal8Bit(e.what());
        SQLNapaka.store(true, std::memory_order_release);
    }
    done.store(true, std::memory_order_release);
}

bool readRefreshPipe(const RefreshPipeIo& io, RefreshProgress& progress)
{
    bool readable = true;
    // readPipe gives an empty text both for no message and for the block's empty first message; after the thread
    // ended, two empty reads in a row mean the pipe is drained.
    int emptyAfterEnd = 0;
    for (;;) {
        // Asked before reading: whatever the thread sent before it ended is in the pipe by then.
        const bool ended = io.threadEnded();
        std::optional<QString> message;
        if (readable) {
            message = io.read();
            readable = message.has_value();
        }
        if (message && !message->isEmpty()) {
            emptyAfterEnd = 0;
            progress.apply(parsePipeMessage(*message));
            io.changed();
            continue;
        }
        if (ended && (!readable || progress.final || ++emptyAfterEnd >= 2))
            return readable;
        if (!ended)
            io.idle();
    }
}

QString uniqueRefreshPipeName()
{
    static std::atomic<int> counter { 0 };
    const quint64 token = QRandomGenerator::system()->generate64();
    return kRefreshPipe + QStringLiteral("$") + QString::number(token, 36).toUpper() + QStringLiteral("$")
        + QString::number(++counter);
}

} // namespace deploy

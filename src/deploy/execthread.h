// TExecSqlThread: runs one statement of the script executor on the main session off the GUI thread, so that the
// window keeps painting its progress and its Stop button while a long statement runs. The statement runs with the
// same retries as on the direct path; the window learns the end through DeloKoncano, a queued call.
#pragma once

#include "deploy/scriptexec.h"

#include <QThread>

namespace db {
class Query;
class Session;
} // namespace db

class TExecSqlThread : public QThread {
    Q_OBJECT
public:
    // quDynT: the window's statement query, which the window leaves alone until DeloKoncano; AFormT receives it.
    TExecSqlThread(db::Query* quDynT, db::Session* osOracleThreadT, QObject* AFormT);
    ~TExecSqlThread() override;

    // The outcome, complete once DeloKoncano was emitted.
    const deploy::ExecutionOutcome& outcome() const { return result; }

signals:
    void DeloKoncano();

protected:
    void run() override;

private:
    db::Query* quDynT;
    db::Session* osOracleThreadT;
    deploy::ExecutionOutcome result;
};

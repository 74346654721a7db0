#include "deploy/execthread.h"

#include "db/query.h"

TExecSqlThread::TExecSqlThread(db::Query* quDynT, db::Session* osOracleThreadT, QObject* AFormT)
    : QThread(AFormT)
    , quDynT(quDynT)
    , osOracleThreadT(osOracleThreadT)
{
}

TExecSqlThread::~TExecSqlThread()
{
    // The statement is never abandoned half-way: the owner waits for it.
    wait();
}

void TExecSqlThread::run()
{
    result = deploy::executeWithRetries([this] { quDynT->execute(); });
    emit DeloKoncano();
}

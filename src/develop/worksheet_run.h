// The worksheet's run of one statement, apart from its window: how the editor text becomes the statement, what
// kind of statement it is, the DESC form, the worker that runs it off the GUI thread, and the texts a finished
// run shows (the error view with its marker, the elapsed time, compile errors, rows processed).
#pragma once

#include "db/oracleerror.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace db {
class DataSet;
class Query;
class Session;
} // namespace db

namespace develop {

// The statement in an editor text: blanks and CR-ended lines at the top and the "--" comment lines among them
// dropped, everything else kept (later comments, "/*" comments, a final semicolon).
QString statementFromText(const QString& text);
// Where a 1-based line and position of the statement lie in the editor text it came from: below the lines
// that were dropped, and on the first line after the blanks that were dropped.
struct EditorPlace {
    int line = 0;
    int position = 0;
};
EditorPlace editorPlace(const QString& text, const QString& statement, int line, int position);

struct StatementClass {
    bool lSelect = false; // SELECT or WITH: opened as a data set
    bool lUpdate = false;
    bool lDelete = false;
    bool lInsert = false;
    bool desc = false; // the worksheet's DESC form
    bool query() const { return lSelect || desc; }
    bool dml() const { return lUpdate || lDelete || lInsert; }
};
StatementClass classifyStatement(const QString& statement);

// The word of a statement that ends the session's transaction, upper-cased: DDL, which commits implicitly, or
// COMMIT and ROLLBACK (a rollback to a savepoint ends nothing); empty for any other statement.
QString transactionEndingWord(const QString& statement);

// The dictionary query of a DESC request ("desc owner.table" or "desc table"); empty when the name is empty.
QString descQuery(const QString& statement);

// A query whose text holds ROWID opens with cached updates and an editable grid.
bool wantsCachedUpdates(const QString& statement);

// The number of asterisks under the token that starts at the 1-based position of the line (at most 19; none
// when the position lies past the line's end).
int errorTokenLength(const QString& line, int position);
// The error page: the editor lines with a marker line under the error line (when line or position is given)
// and an empty line after them, then the message split at its line feeds as the error view shows it.
QStringList errorViewLines(const QStringList& editorLines, int line, int position, const QString& message);

// The elapsed time as the window shows it: "07", "01:05", "01:00:00"; with milliseconds "07:250", "07:005".
QString elapsedText(qint64 milliseconds, bool withMilliseconds);

// The query for the compile errors of the schema's stored objects changed since :trenCas, for the server's major
// version text (Oracle 7 names two columns differently).
QString compileErrorSql(const QString& oracleVersion);
// The compile errors of the first object (by name) changed at or after `since` on the session, as "line/position"
// and text lines; empty when there are none. Throws db::OracleError when the dictionary cannot be read.
QStringList readCompileErrors(db::Session& session, const QString& oracleVersion, const QDateTime& since);

// What a worker reports of one run.
struct RunOutcome {
    bool failed = false; // napakaT
    int errorCode = 0;
    int errorLine = 0; // errorL: line in the statement, 0 when none
    int errorPosition = 0; // errorP
    QString errorMessage; // errorMSG
    qint64 rowsProcessed = 0; // iRowsProcessed
    std::optional<db::OracleError> warning; // e.g. ORA-24344 success with compilation error
    bool statisticsFailed = false; // the session's counters could not be read around the run
    bool cancelled() const { return failed && errorCode == 1013; }
};

// Runs the worksheet's statements on one worker thread of its own, one at a time. The outcome comes back to the
// GUI thread through a queued call; a runner that is gone by then receives nothing, so a worker never reaches a
// freed window. While a data set opens in the worker its rows are handed to the GUI thread in a blocking call,
// which is why waiting for the worker always keeps serving events.
class StatementRunner : public QObject {
    Q_OBJECT
public:
    explicit StatementRunner(QObject* parent = nullptr);
    ~StatementRunner() override;

    bool running() const { return busy; }
    // Both refuse (return false) while a run is at work, so a second start never runs a second statement on the
    // same components.
    bool startQuery(db::DataSet* dataSet);
    bool startStatement(db::Query* query);
    // Any other run; the work runs on the worker and must not touch the window. A follow-up, when given, runs on
    // the worker after the outcome has been sent (while the window takes it in) and gets the outcome; the window
    // waits for it with waitFollowUp before it uses what the follow-up fills in.
    bool start(std::function<RunOutcome()> work, std::function<void(const RunOutcome&)> followUp = {});
    // Waits (without serving events) until the follow-up of the last run is over; at once when there is none.
    void waitFollowUp();
    // Waits until the run at work has reported and its follow-up is over, serving events; false when the time ran
    // out first.
    bool waitForIdle(int timeoutMs = -1);

signals:
    void finished(const develop::RunOutcome& outcome);

private:
    void done(const RunOutcome& outcome);
    void workerLoop();

    // The worker waits on a condition for its next statement rather than in an event loop: a short statement
    // then costs little more than when it runs directly.
    std::thread thread;
    std::mutex mutex;
    std::condition_variable wake;
    std::function<RunOutcome()> job; // guarded by mutex
    std::function<void(const RunOutcome&)> followUp; // guarded by mutex
    std::condition_variable settledChanged;
    std::atomic<bool> settled { true }; // no follow-up is to come or at work; changed under mutex
    bool stopping = false; // guarded by mutex
    std::atomic<bool> pending { false }; // a job is waiting: seen by the worker without the mutex
    std::atomic<bool> reported { false }; // the job at work is done and its outcome on the way
    bool busy = false; // GUI thread only
    bool closing = false;
};

// The work of a query run: opens the data set, catching the failure as the outcome.
RunOutcome openDataSet(db::DataSet& dataSet);
// The work of another statement: executes it, catching the failure.
RunOutcome executeQuery(db::Query& query);

} // namespace develop

Q_DECLARE_METATYPE(develop::RunOutcome)

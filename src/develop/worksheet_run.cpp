#include "develop/worksheet_run.h"

#include "db/dataset.h"
#include "db/query.h"
#include "db/session.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

#include <chrono>

namespace develop {


QString statementFromText(const QString& text)
{
    QString s = text;
    for (;;) {
        const QString before = s;
        qsizetype i = 0;
        while (i < s.size()) {
            if (s.at(i) == QLatin1Char(' '))
                ++i;
            else if (s.at(i) == QLatin1Char('\r'))
                i += 2;
            else
                break;
        }
        s = s.mid(qMin(i, s.size()));
        if (s.startsWith(QLatin1String("--"))) {
            const qsizetype cr = s.indexOf(QLatin1Char('\r'));
            s = cr < 0 ? QString() : s.mid(qMin(cr + 2, s.size()));
        }
        if (s == before)
            return s;
    }
}

EditorPlace editorPlace(const QString& text, const QString& statement, int line, int position)
{
    if (line <= 0 || !text.endsWith(statement))
        return { line, position };
    const QString dropped = text.left(text.size() - statement.size());
    const int lines = int(dropped.count(QLatin1Char('\r')));
    const qsizetype lastCr = dropped.lastIndexOf(QLatin1Char('\r'));
    // The blanks dropped in front of the statement's first line shift the positions on that line only.
    const int blanks = int(dropped.size() - (lastCr < 0 ? 0 : qMin(lastCr + 2, dropped.size())));
    return { line + lines, line == 1 ? position + blanks : position };
}

StatementClass classifyStatement(const QString& statement)
{
    StatementClass c;
    const QString head = statement.left(6).toUpper();
    c.desc = head.startsWith(QLatin1String("DESC"));
    c.lSelect = head == QLatin1String("SELECT") || head.startsWith(QLatin1String("WITH"));
    c.lUpdate = head == QLatin1String("UPDATE");
    c.lDelete = head == QLatin1String("DELETE");
    c.lInsert = head == QLatin1String("INSERT");
    return c;
}

QString transactionEndingWord(const QString& statement)
{
    static const QRegularExpression words(
        QStringLiteral("^\\s*([A-Za-z]+)(?:\\s+(?:WORK\\s+)?([A-Za-z]+))?"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = words.match(statement);
    if (!m.hasMatch())
        return {};
    const QString word = m.captured(1).toUpper();
    static const QStringList ddl = { QStringLiteral("CREATE"), QStringLiteral("ALTER"), QStringLiteral("DROP"),
        QStringLiteral("TRUNCATE"), QStringLiteral("GRANT"), QStringLiteral("REVOKE"), QStringLiteral("RENAME"),
        QStringLiteral("COMMENT"), QStringLiteral("ANALYZE"), QStringLiteral("AUDIT"), QStringLiteral("NOAUDIT"),
        QStringLiteral("PURGE"), QStringLiteral("FLASHBACK"), QStringLiteral("COMMIT") };
    if (ddl.contains(word))
        return word;
    if (word == QLatin1String("ROLLBACK") && m.captured(2).toUpper() != QLatin1String("TO"))
        return word;
    return {};
}

namespace {

QString sqlLiteralText(const QString& s)
{
    QString out = s;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

} // namespace

QString descQuery(const QString& statement)
{
    // "DESCRIBE" is taken as SQL*Plus users type it; the short form names the object from its sixth character.
    const bool longForm = statement.left(9).toUpper() == QLatin1String("DESCRIBE ")
        || statement.left(9).toUpper() == QLatin1String("DESCRIBE\r");
    QString name = statement.mid(longForm ? 9 : 5, 200);
    while (name.startsWith(QLatin1Char(' ')))
        name.remove(0, 1);
    name = name.toUpper();
    // The name ends with its line (a "desc" alone on its line leaves only the line end after it).
    const qsizetype lineEnd = name.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (lineEnd >= 0)
        name.truncate(lineEnd);
    // A final semicolon or blanks, as typed after the name, are no part of it.
    while (!name.isEmpty() && (name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char(';'))))
        name.chop(1);
    if (name.isEmpty())
        return {};
    QString condition;
    const qsizetype point = name.indexOf(QLatin1Char('.'));
    if (point >= 0)
        condition = QStringLiteral("owner='%1' and table_name='%2'")
                        .arg(sqlLiteralText(name.left(point)), sqlLiteralText(name.mid(point + 1, 200)));
    else
        condition = QStringLiteral("owner=user and table_name='%1'").arg(sqlLiteralText(name));
    return QStringLiteral("select substr(column_name,1,20) column_name,substr(data_type,1,20) data_type,"
                          "decode(data_type,'NUMBER',data_precision,data_length) data_length,"
                          "decode(data_type,'NUMBER',data_scale,null) data_precision,nullable,data_default \r\n"
                          " from all_tab_columns \r\n"
                          "where %1 order by column_id")
        .arg(condition);
}

bool wantsCachedUpdates(const QString& statement)
{
    return statement.contains(QLatin1String("ROWID"), Qt::CaseInsensitive);
}

int errorTokenLength(const QString& line, int position)
{
    if (position < 1 || position - 1 > line.size())
        return 0;
    const QString part = line.mid(position - 1);
    static const QString stops = QStringLiteral(" ,()+-/*\r\n");
    qsizetype n = part.size() + 1;
    for (qsizetype i = 0; i < part.size(); ++i)
        if (stops.contains(part.at(i))) {
            n = i + 1;
            break;
        }
    return int(qMin<qsizetype>(n, 20) - 1);
}

QStringList errorViewLines(const QStringList& editorLines, int line, int position, const QString& message)
{
    QStringList out;
    if (line != 0 || position != 0) {
        for (int i = 0; i < editorLines.size(); ++i) {
            out << editorLines.at(i);
            if (i + 1 == line)
                out << QString(qMax(0, position - 1), QLatin1Char(' '))
                        + QString(errorTokenLength(editorLines.at(i), position), QLatin1Char('*'));
        }
        out << QString();
    }
    const QStringList pieces = message.split(QLatin1Char('\n'));
    for (int i = 0; i + 1 < pieces.size(); ++i)
        out << pieces.at(i);
    out << QString();
    if (!pieces.last().isEmpty())
        out << pieces.last();
    return out;
}

QString elapsedText(qint64 milliseconds, bool withMilliseconds)
{
    milliseconds = qMax<qint64>(0, milliseconds);
    const qint64 hours = milliseconds / 3600000;
    const qint64 minutes = milliseconds / 60000 % 60;
    const qint64 seconds = milliseconds / 1000 % 60;
    const qint64 millis = milliseconds % 1000;
    // Written by hand: the time is shown after every run, and QString::arg costs more than the run's own work.
    QString out;
    out.reserve(16);
    auto digits = [&out](qint64 n, int width) {
        const QString d = QString::number(n);
        for (qsizetype k = d.size(); k < width; ++k)
            out += QLatin1Char('0');
        out += d;
    };
    if (hours > 0) {
        digits(hours, 2);
        out += QLatin1Char(':');
    }
    if (minutes > 0 || hours > 0) {
        digits(minutes, 2);
        out += QLatin1Char(':');
    }
    digits(seconds, 2);
    // Milliseconds in three digits: two ("07:05" for 5 ms) would read as half a second next to "07:500".
    if (withMilliseconds) {
        out += QLatin1Char(':');
        digits(millis, 3);
    }
    return out;
}

QString compileErrorSql(const QString& oracleVersion)
{
    const bool newer = oracleVersion > QLatin1String("7") || oracleVersion.size() > 1;
    return QStringList {
        newer ? QStringLiteral("select  o.name object, e.line line,e.position# position,e.text text")
              : QStringLiteral("select  o.name object, e.line line,e.position position,e.text text"),
        QStringLiteral(" from sys.obj$ o, sys.error$ e"),
        QStringLiteral(" where o.obj#=e.obj#"),
        newer ? QStringLiteral(" and  o.type# in (4,7,8,9,11,12)") : QStringLiteral(" and  o.type in (4,7,8,9,11,12)"),
        QStringLiteral(" and o.owner#=userenv('SCHEMAID')"),
        QStringLiteral(" and o.mtime >= :trenCas"),
        QStringLiteral(" order by o.name,line"),
    }
        .join(QStringLiteral("\r\n"));
}

QStringList readCompileErrors(db::Session& session, const QString& oracleVersion, const QDateTime& since)
{
    db::Query q(&session);
    q.setSql(compileErrorSql(oracleVersion));
    q.declareVariable(QStringLiteral("trenCas"), db::BindType::Date);
    q.setVariable(QStringLiteral("trenCas"), since);
    q.execute();
    QStringList out;
    QString first;
    bool any = false;
    while (!q.eof()) {
        const QString name = q.field(QStringLiteral("OBJECT")).toString();
        if (!any) {
            first = name;
            any = true;
        } else if (name != first) {
            break;
        }
        out << QStringLiteral("%1/%2").arg(
            q.field(QStringLiteral("LINE")).toString(), q.field(QStringLiteral("POSITION")).toString());
        out << q.field(QStringLiteral("TEXT")).toString();
        q.next();
    }
    q.close();
    return out;
}

namespace {

RunOutcome failure(const db::OracleError& e, int line, int position)
{
    RunOutcome o;
    o.failed = true;
    o.errorCode = e.code();
    o.errorLine = line;
    o.errorPosition = position;
    o.errorMessage = e.message();
    return o;
}

} // namespace

RunOutcome openDataSet(db::DataSet& dataSet)
{
    try {
        dataSet.open();
    } catch (const db::OracleError& e) {
        return failure(e, dataSet.errorLine() ? dataSet.errorLine() : e.line(),
            dataSet.errorPosition() ? dataSet.errorPosition() : e.position());
    } catch (const std::exception& e) {
        return failure(db::OracleError::client(QString::fromUtf8(e.what())), 0, 0);
    }
    return {};
}

RunOutcome executeQuery(db::Query& query)
{
    RunOutcome o;
    try {
        query.execute();
        o.rowsProcessed = query.rowsProcessed();
        o.warning = query.warning();
        query.close();
    } catch (const db::OracleError& e) {
        return failure(e, query.errorLine() ? query.errorLine() : e.line(),
            query.errorPosition() ? query.errorPosition() : e.position());
    } catch (const std::exception& e) {
        return failure(db::OracleError::client(QString::fromUtf8(e.what())), 0, 0);
    }
    return o;
}

// ---- the runner

namespace {

// Looks for a flag the other thread sets for up to 200 microseconds, with the processor's pause between looks:
// it leaves the core to the thread that shares it (often the very thread waited for) instead of a system call per
// look. True when the flag was seen set.
bool lookFor(const std::atomic<bool>& flag)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(200);
    while (!flag.load(std::memory_order_acquire)) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
#if defined(__x86_64__) || defined(__i386__)
        for (int i = 0; i < 16; ++i)
            __builtin_ia32_pause();
#else
        std::this_thread::yield();
#endif
    }
    return true;
}

} // namespace

StatementRunner::StatementRunner(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<develop::RunOutcome>();
    thread = std::thread([this] { workerLoop(); });
}

StatementRunner::~StatementRunner()
{
    // The window waits for its run before it goes; this is the last guard. Nothing is reported any more, but the
    // worker may still hand rows over in a blocking call, so events are served until it is done.
    closing = true;
    waitForIdle();
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_one();
    thread.join();
}

void StatementRunner::workerLoop()
{
    for (;;) {
        std::function<RunOutcome()> work;
        std::function<void(const RunOutcome&)> then;
        {
            // A worksheet's statements often follow each other closely (a user stepping through a script, F9
            // pressed repeatedly): the worker looks for the next one for a short while before it sleeps, which
            // spares the wake-up of a sleeping thread on every statement.
            lookFor(pending);
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return stopping || job; });
            pending.store(false, std::memory_order_relaxed);
            if (!job)
                return;
            work = std::move(job);
            job = nullptr;
            then = std::move(followUp);
            followUp = nullptr;
        }
        const RunOutcome outcome = work();
        reported.store(true, std::memory_order_release);
        // The runner outlives every run it starts (its destructor waits until the outcome has been delivered),
        // so the worker may post to it; the window hears of the outcome only through finished().
        QMetaObject::invokeMethod(
            this, [this, outcome] { done(outcome); }, Qt::QueuedConnection);
        if (then) {
            then(outcome);
            {
                std::lock_guard lock(mutex);
                settled.store(true, std::memory_order_release);
            }
            settledChanged.notify_all();
        }
    }
}

bool StatementRunner::start(std::function<RunOutcome()> work, std::function<void(const RunOutcome&)> then)
{
    if (busy)
        return false;
    // The last run's follow-up is over before the next run begins (the window has waited for it already).
    waitFollowUp();
    busy = true;
    {
        std::lock_guard lock(mutex);
        job = std::move(work);
        followUp = std::move(then);
        if (followUp)
            settled.store(false, std::memory_order_relaxed);
    }
    reported.store(false, std::memory_order_relaxed);
    pending.store(true, std::memory_order_release);
    wake.notify_one();
    // A short statement is over within a fraction of a millisecond. Looking for its end that long keeps the GUI
    // thread from going to sleep and being woken for the outcome, which costs more than the statement; the
    // outcome still comes through the queued call, and nobody notices 200 microseconds.
    lookFor(reported);
    return true;
}

bool StatementRunner::startQuery(db::DataSet* dataSet)
{
    return start([dataSet] { return openDataSet(*dataSet); });
}

bool StatementRunner::startStatement(db::Query* query)
{
    return start([query] { return executeQuery(*query); });
}

void StatementRunner::done(const RunOutcome& outcome)
{
    busy = false;
    if (!closing)
        emit finished(outcome);
}

void StatementRunner::waitFollowUp()
{
    // A follow-up is short (the statistics' read): looked for first, slept on only when it takes longer.
    if (lookFor(settled))
        return;
    std::unique_lock lock(mutex);
    settledChanged.wait(lock, [this] { return settled.load(std::memory_order_acquire); });
}

bool StatementRunner::waitForIdle(int timeoutMs)
{
    QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    while (busy) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        if (busy)
            QThread::yieldCurrentThread();
    }
    waitFollowUp();
    return true;
}

} // namespace develop

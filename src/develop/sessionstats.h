// The worksheet's session statistics: the I/O counters of V$SESS_IO for the worksheet's own session, read before
// and after a run and shown as differences on tabSesStat (laBlocks, laConsGets, laPhReads, laConsChanges,
// laBlockChanges). TfmWorkSheet calls attach at creation and after each own logon, before at the start of a run
// and after at the end of a run that ended without an error.
#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

namespace db {
class Query;
class Session;
}

namespace develop {

// The five counters, in the order of V$SESS_IO.
struct SessionIo {
    qint64 blockGets = 0;
    qint64 consistentGets = 0;
    qint64 physicalReads = 0;
    qint64 blockChanges = 0;
    qint64 consistentChanges = 0;

    friend SessionIo operator-(const SessionIo& a, const SessionIo& b)
    {
        return { a.blockGets - b.blockGets, a.consistentGets - b.consistentGets, a.physicalReads - b.physicalReads,
            a.blockChanges - b.blockChanges, a.consistentChanges - b.consistentChanges };
    }
    friend bool operator==(const SessionIo&, const SessionIo&) = default;
};

inline constexpr const char* sessIoSql = "select * from v$sess_io where sid=:sid";

// The number of the session itself (never another session of the same user); -1 when it cannot be read.
int ownSessionSid(db::Session& session);

// Statistics of one worksheet. After a failure to read them they stay off (the caller shows nizErrStat once and
// disables its statistics items) until the next attach finds the session number again.
class SessionStatistics {
public:
    SessionStatistics();
    ~SessionStatistics();
    SessionStatistics(const SessionStatistics&) = delete;
    SessionStatistics& operator=(const SessionStatistics&) = delete;

    // Reads the session number of session; false (statistics off) when there is none.
    bool attach(db::Session& session);
    int sid() const { return ORACLESid; }
    bool enabled() const { return on; }

    // Read the counters; false on a failure, after which the statistics are off and the values 0 (a read broken
    // by the user, ORA-01013, leaves them on).
    bool before(db::Session& session);
    bool after(db::Session& session);
    const SessionIo& beforeValues() const { return i; }
    const SessionIo& afterValues() const { return s; }
    SessionIo differences() const { return s - i; }
    // The message of the failure that turned the statistics off.
    QString error() const { return lastError; }

private:
    bool read(db::Session& session, SessionIo& into);

    int ORACLESid = -1;
    // The session and its call count right after the last read of the counters: while the count stands, the
    // counters stand too, and the next run's "before" is that read.
    const db::Session* readOn = nullptr;
    quint64 callsAfterRead = 0;
    SessionIo lastRead;
    // quSesStat: kept between reads, so its text is read through once; the columns' places are found on its
    // first row.
    std::unique_ptr<db::Query> quSesStat;
    int columns[5] = { -1, -1, -1, -1, -1 };
    bool on = false;
    SessionIo i;
    SessionIo s;
    QString lastError;
};

} // namespace develop

// The per-session state that Oracle's built-in functions read: date format, statement time, user and environment.
// Each session owns one and hands it to registerAll; the session updates it on ALTER SESSION and per statement.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace engine::fn {

struct FunctionContext {
    // NLS_DATE_FORMAT of the session; Oracle's default until ALTER SESSION sets another.
    std::string nlsDateFormat = "DD-MON-RR";
    // Bumped whenever nlsDateFormat changes so parsed copies of the model cached per statement are dropped.
    uint64_t nlsGeneration = 0;

    // Start of the running statement as "YYYY-MM-DD HH:MM:SS" (local time of the server): SYSDATE is fixed for the
    // whole statement, as in Oracle. Empty means "now", read when SYSDATE is called.
    std::string statementTime;

    // The fraction of the second of statementTime, in nanoseconds: SYSTIMESTAMP is fixed for the statement too.
    int statementNanos = 0;
    // NLS_TIMESTAMP_FORMAT, NLS_TIMESTAMP_TZ_FORMAT and TIME_ZONE of the session (Oracle's defaults; an empty time
    // zone is the machine's local offset, as Oracle's client gives without ORA_SDTZ).
    std::string nlsTimestampFormat = "DD-MON-RR HH.MI.SSXFF AM";
    std::string nlsTimestampTzFormat = "DD-MON-RR HH.MI.SSXFF AM TZR";
    std::string timeZone;

    std::string user; // SESSION_USER, upper case
    int64_t uid = 0;
    // CURRENT_USER: whose rights are in force, the owner inside a definer's-rights unit or trigger; empty for the
    // session user.
    std::string currentUser;
    int64_t currentUserId = 0;
    std::string currentSchema;
    int64_t schemaId = 0; // USERENV('SCHEMAID'): the current schema's user number
    int64_t sessionId = 0;

    // USERENV / SYS_CONTEXT('USERENV', ...) values.
    std::string terminal = "unknown";
    std::string language = "AMERICAN_AMERICA.AL32UTF8";
    std::string dbName = "DREMMOX";
    std::string instanceName = "dremmox";
    int64_t instance = 1;
    std::string host;
    std::string osUser;
    std::string clientInfo;
    std::string module;
    std::string action;
    bool isDba = false;

    void setNlsDateFormat(std::string format)
    {
        nlsDateFormat = std::move(format);
        ++nlsGeneration;
    }
};

} // namespace engine::fn

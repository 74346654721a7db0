// The application's server logs of the demo database: month files the server log viewer reads through
// VOXA.pckOsnUtil.VEXO_showLog, written into the database's server directory when the database is made.
#pragma once

#include <QDate>

#include <string>

namespace engine::kit {

// The file name of a kind's log for a month: kind + "_" + YYYYMM + ".log".
std::string serverLogName(const std::string& kind, int year, int month);

// Writes the logs of the kinds LONG (the viewer's default) and LOCK for the month of `today` (up to that day) and
// for the month before into dir, the database's server directory. Lines: an event
// "E dd hh:mi:ss/user/action/seconds", followed by its detail lines "##...". Throws Error (ORA-29285) when a file
// cannot be written.
void writeServerLogs(const std::string& dir, const QDate& today);

} // namespace engine::kit

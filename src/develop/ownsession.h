// The worksheet's own session (tmpDataBase): created unconnected with the window, logged on through the logon
// dialog by File "&Connect" and off by "&Disconnect". A worksheet's own logon works only on its own session: the
// main session stays connected, and the main window's logon values and passwords stay as they were, whether the
// own logon succeeds, fails or is cancelled.
#pragma once

#include <QString>

#include <functional>

class QObject;
class QWidget;
class TfmMain;

namespace db {
class Session;
}

namespace develop {

// The own session, owned by parent, not connected, named "ORA_TMP" + the main window's datasetStevec after it was
// incremented.
db::Session* createOwnSession(TfmMain& main, QObject* parent);

// Shows the logon dialog modally for the own session (the caption of window follows the logon); true when it
// ended with a logon. The dialog is not offered the main session's password.
bool runOwnLogonDialog(TfmMain* main, db::Session& own, QWidget* window);

struct OwnLogonResult {
    bool connected = false;
    QString oracleVersion; // the own session's major version (the worksheet's ORACLEVersion)
    QString oracleVersionMinor;
    QString dateFormatError; // the date format could not be set ("Wrong DATE FORMAT")
};

// Connect, after the worksheet has ended a transaction of its current session: runs dialog (runOwnLogonDialog
// by default) for the own session; when it is connected afterwards, reads its version and sets its date format to
// the main window's currentDateFormat. A cancelled or failed logon leaves the own session disconnected and
// touches no other session. The caller then binds its components to the own session, loads the history and
// attaches the statistics.
OwnLogonResult connectOwnSession(
    TfmMain* main, db::Session& own, QWidget* window, const std::function<bool(db::Session& own)>& dialog = {});

// Disconnect: logs off session when it is not the main session; the main session is never logged off by a
// worksheet.
void disconnectOwnSession(db::Session& session, const db::Session* mainSession);

} // namespace develop

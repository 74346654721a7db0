// Storing a script: its lines resolved into statement rows (condition queries on the session) and the rows inserted
// into the script table as one transaction, so that a store either keeps every row of the script or none.
#pragma once

#include "deploy/scriptfile.h"

#include <QString>
#include <QStringList>

namespace db {
class Session;
}

namespace deploy {

// Runs a #IF/#IFNOT query on the session and commits, as the design has it; the first column of its first row, or
// the error.
ConditionOutcome runConditionQuery(db::Session& session, const QString& query);

struct StoreRequest {
    QString name; // the script name, upper case
    QString owner; // SCRIPT_OWNER of the rows (the connected user), when the table has the column
    bool scriptDateOwner = false;
    // Substitution and the #PL/SQL# hook; the condition queries run on the session unless runCondition is given.
    ResolveOptions options;
};

struct StoreOutcome {
    bool stored = false;
    ResolveResult resolve;
    // An insert that failed: the counter, the statement's collected lines and the server's message.
    int failedCounter = 0;
    QStringList failedLines;
    QString serverError;
};

// Resolves and inserts; commits when every row went in, rolls back otherwise.
StoreOutcome storeScript(db::Session& session, const QStringList& lines, const StoreRequest& request);

} // namespace deploy

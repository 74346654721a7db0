#include "deploy/scriptstore.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "deploy/scripttable.h"

namespace deploy {

ConditionOutcome runConditionQuery(db::Session& session, const QString& query)
{
    ConditionOutcome out;
    try {
        db::Query q(&session);
        q.setSql(query);
        q.execute();
        if (!q.eof() && q.fieldCount() > 0) {
            out.hasRow = true;
            out.firstValue = q.field(0);
        }
        q.close();
        session.commit();
    } catch (const db::OracleError& e) {
        out.failed = true;
        out.error = e.message();
    }
    return out;
}

StoreOutcome storeScript(db::Session& session, const QStringList& lines, const StoreRequest& request)
{
    StoreOutcome out;
    ResolveOptions options = request.options;
    if (!options.runCondition)
        options.runCondition = [&session](const QString& query) { return runConditionQuery(session, query); };
    out.resolve = resolveScript(lines, options);
    if (!out.resolve.ok() || out.resolve.rows.empty()) {
        out.stored = out.resolve.ok();
        return out;
    }
    int failed = 0;
    try {
        insertScriptRows(session, request.scriptDateOwner, request.name, request.owner, out.resolve.rows, &failed);
        session.commit();
        out.stored = true;
    } catch (const db::OracleError& e) {
        out.failedCounter = failed;
        if (failed > 0 && failed <= int(out.resolve.rows.size()))
            out.failedLines = out.resolve.rows[size_t(failed - 1)].lines;
        out.serverError = e.message();
        try {
            session.rollback();
        } catch (const db::OracleError&) {
            // The session is gone; nothing of the store was committed.
        }
    }
    return out;
}

} // namespace deploy

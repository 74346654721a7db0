// The worksheet's Explain: the editor's statement explained into the shared plan table VEXO_UTIL.VEXO_PLAN_TABLE
// and read back as an indented tree, one line per plan row. Called by TfmWorkSheet's spExplain; the lines go to
// meExplain on tabExplain.
#pragma once

#include <QString>
#include <QStringList>

namespace db {
class Session;
}

namespace develop {

inline constexpr const char* truncatePlanTableSql = "TRUNCATE TABLE VEXO_UTIL.VEXO_PLAN_TABLE";
// Used when the user may not truncate the shared table (TRUNCATE of another schema's table needs DROP ANY
// TABLE), with the same effect once committed.
inline constexpr const char* deletePlanTableSql = "DELETE FROM VEXO_UTIL.VEXO_PLAN_TABLE";

// The plan rows as a tree from id 0: each row indented by 6 blanks a level, the root with its cost.
extern const char* const explainTreeSql;

// "EXPLAIN PLAN INTO VEXO_UTIL.VEXO_PLAN_TABLE FOR " and the editor's lines as they are, each after a blank. The
// lines keep their breaks, so a "--" comment ends with its line instead of swallowing the rest of the statement.
QString explainStatement(const QStringList& editorLines);

struct ExplainResult {
    enum class Outcome {
        Explained,
        InTransaction, // nothing done: the commit that ends the explain would take the user's work with it
        Failed, // failedStatement could not be run; the plan table is as it was
    };
    Outcome outcome = Outcome::Explained;
    QStringList lines; // the tree, when explained
    QString failedStatement; // shown after nizErrOn
    QString serverMessage;
};

// Empties the plan table, explains the statement, reads the tree and commits the session. Runs on the GUI thread
// (the statement is only explained, never run).
ExplainResult explainPlan(db::Session& session, const QStringList& editorLines);

} // namespace develop

#include "develop/explainplan.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"

namespace develop {

const char* const explainTreeSql = "select substr( rtrim(lpad('  ',6*level)||operation||\n"
                                   "                    decode(id,0,'  Cost='||position)) || ' '||rtrim(options)\n"
                                   "                    ||' '|| object_name ,1,300) zaporedje\n"
                                   "FROM vexo_util.vexo_plan_table\n"
                                   "  connect by prior id=parent_id\n"
                                   "  start with id=0";

QString explainStatement(const QStringList& editorLines)
{
    QString sql = QStringLiteral("EXPLAIN PLAN INTO VEXO_UTIL.VEXO_PLAN_TABLE FOR ");
    for (int i = 0; i < editorLines.size(); ++i) {
        if (i > 0)
            sql += QLatin1Char('\n');
        sql += QLatin1Char(' ') + editorLines.at(i);
    }
    return sql;
}

namespace {

void run(db::Session& session, const QString& sql)
{
    db::Query q(&session);
    q.setSql(sql);
    q.execute();
}

} // namespace

ExplainResult explainPlan(db::Session& session, const QStringList& editorLines)
{
    ExplainResult result;
    if (session.inTransaction()) {
        result.outcome = ExplainResult::Outcome::InTransaction;
        return result;
    }
    auto fail = [&](const QString& statement, const db::OracleError& e) {
        if (session.inTransaction())
            session.rollback();
        result.outcome = ExplainResult::Outcome::Failed;
        result.failedStatement = statement;
        result.serverMessage = e.message();
        return result;
    };

    const QString truncate = QString::fromLatin1(truncatePlanTableSql);
    try {
        run(session, truncate);
    } catch (const db::OracleError& e) {
        if (e.code() != 1031)
            return fail(truncate, e);
        try {
            run(session, QString::fromLatin1(deletePlanTableSql));
        } catch (const db::OracleError& d) {
            return fail(QString::fromLatin1(deletePlanTableSql), d);
        }
    }
    const QString explain = explainStatement(editorLines);
    try {
        run(session, explain);
    } catch (const db::OracleError& e) {
        return fail(explain, e);
    }
    try {
        db::Query tree(&session);
        tree.setSql(QString::fromLatin1(explainTreeSql));
        tree.execute();
        for (; !tree.eof(); tree.next())
            result.lines << (tree.fieldIsNull(0) ? QString() : tree.field(0).toString());
        tree.close();
        session.commit();
    } catch (const db::OracleError& e) {
        return fail(QString::fromLatin1(explainTreeSql), e);
    }
    return result;
}

} // namespace develop

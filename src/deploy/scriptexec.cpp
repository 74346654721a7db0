#include "deploy/scriptexec.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "deploy/scripttext.h"
#include "shell/sqleditor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace deploy {

StatementDirective parseDirective(const QString& statement)
{
    StatementDirective d;
    if (statement.startsWith(QLatin1String("#ENABLE#"))) {
        d.kind = StatementDirective::Kind::Enable;
        d.argument = trimControl(statement.mid(8));
    } else if (statement.startsWith(QLatin1String("#DISABLE#"))) {
        d.kind = StatementDirective::Kind::Disable;
        d.argument = trimControl(statement.mid(9));
    } else if (statement.startsWith(QLatin1String("#PL/SQL#"))) {
        d.kind = StatementDirective::Kind::PlSqlFile;
        d.argument = trimControl(statement.mid(8));
    }
    return d;
}

bool DopustnaNapaka(const QString& statement, int errorCode)
{
    const QString upper = statement.toUpper();
    struct Pattern {
        const char* text;
        int notThere; // the error that says the object does not exist
    };
    static const Pattern patterns[] = { { "DROP CONSTRAINT", 2443 }, { "DROP TABLE ", 942 }, { "DROP INDEX", 1418 } };
    for (const Pattern& p : patterns) {
        if (!upper.contains(QLatin1String(p.text)))
            continue;
        if (upper.contains(QLatin1String("DROP TABLE ")) && !upper.contains(QLatin1String("TMP_")))
            return false;
        return errorCode == p.notThere;
    }
    return false;
}

QString f_pocistiNiz(const QString& text)
{
    const qsizetype semicolon = text.lastIndexOf(QLatin1Char(';'));
    if (semicolon < 0)
        return text;
    const QString before = text.left(semicolon);
    // "END" among the 11 characters before the semicolon, or the text before it ending in END and a name.
    static const QRegularExpression endName(QStringLiteral("\\bEND(\\s+[\"A-Za-z0-9_$#.]+)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const bool closesEnd = before.right(11).contains(QLatin1String("END"), Qt::CaseInsensitive)
        || endName.match(before).hasMatch();
    return closesEnd ? text.left(semicolon + 1) : text;
}

ExecutionOutcome executeWithRetries(const std::function<void()>& attempt)
{
    ExecutionOutcome out;
    bool packageRetryLeft = true;
    int snapshotRetries = 0;
    for (;;) {
        ++out.attempts;
        try {
            attempt();
            out.ok = true;
            out.code = 0;
            out.message.clear();
            return out;
        } catch (const db::OracleError& e) {
            out.ok = false;
            out.code = e.code();
            out.message = e.message();
        }
        if (out.message.contains(QLatin1String("ORA-04068")) && packageRetryLeft) {
            packageRetryLeft = false;
            continue;
        }
        if (out.message.contains(QLatin1String("ORA-01555")) && snapshotRetries != 4) {
            ++snapshotRetries;
            continue;
        }
        return out;
    }
}

namespace {

QVariant outcomeText(const QString& text)
{
    return text.left(outcomeTextLimit);
}

} // namespace

RowOutcome statementOutcome(ExecutionPath path, const ExecutionOutcome& outcome, const QString& statement)
{
    RowOutcome r;
    if (outcome.ok) {
        r.stat = QStringLiteral("X");
        if (path == ExecutionPath::Thread)
            r.err = QStringLiteral("NO ERRORS");
        return r;
    }
    r.stat = QStringLiteral("E");
    r.err = outcomeText(outcome.message);
    r.result = DopustnaNapaka(statement, outcome.code);
    if (r.result && path == ExecutionPath::Thread)
        r.stat = QStringLiteral("X");
    return r;
}

RowOutcome missingFileOutcome(const QString& file, const QString& doesntExist)
{
    RowOutcome r;
    r.stat = QStringLiteral("E");
    r.err = outcomeText(file + QLatin1Char(' ') + doesntExist);
    r.result = false;
    return r;
}

RowOutcome enableDisableOutcome(const QStringList& errors)
{
    RowOutcome r;
    if (errors.isEmpty()) {
        r.stat = QStringLiteral("X");
        return r;
    }
    r.stat = QStringLiteral("E");
    r.err = outcomeText(errors.join(QLatin1Char('\n')));
    r.result = false;
    return r;
}

std::optional<QString> findPlSqlFile(const QString& name, const QString& scriptDir)
{
    if (name.isEmpty())
        return std::nullopt;
    if (QFileInfo(name).isFile())
        return name;
    if (QFileInfo(name).isRelative() && !scriptDir.isEmpty()) {
        const QString inScriptDir = QDir(scriptDir).filePath(name);
        if (QFileInfo(inScriptDir).isFile())
            return inScriptDir;
    }
    return std::nullopt;
}

std::optional<QString> readPlSqlFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString text = shell::decodeText(f.readAll()).text;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QString out;
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        out += line + QStringLiteral("\r\n");
    }
    return out;
}

ForeignKeyTarget foreignKeyTarget(const QString& argument, const QString& connUser)
{
    ForeignKeyTarget t;
    const qsizetype point = argument.indexOf(QLatin1Char('.'));
    if (point < 0) {
        t.owner = connUser.toUpper();
        t.table = argument.trimmed().toUpper();
    } else {
        t.owner = argument.left(point).trimmed().toUpper();
        t.table = argument.mid(point + 1).trimmed().toUpper();
    }
    return t;
}

QString sqlName(const QString& name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Z][A-Z0-9_$#]*$"));
    if (plain.match(name).hasMatch())
        return name;
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QStringList enableDisableStatements(db::Session& session, const ForeignKeyTarget& target, const QString& mode)
{
    db::Query q(&session);
    q.setSql(QString::fromLatin1(foreignKeysQuery));
    q.declareVariable(QStringLiteral("upor"), db::BindType::String);
    q.declareVariable(QStringLiteral("tabela"), db::BindType::String);
    q.setVariable(QStringLiteral("upor"), target.owner);
    q.setVariable(QStringLiteral("tabela"), target.table);
    q.execute();
    QStringList statements;
    for (; !q.eof(); q.next())
        statements << QStringLiteral("alter table ") + sqlName(q.field(0).toString()) + QLatin1Char('.')
                + sqlName(q.field(1).toString()) + QLatin1Char(' ') + mode + QStringLiteral(" constraint ")
                + sqlName(q.field(2).toString()) + QLatin1Char(' ');
    q.close();
    return statements;
}

QStringList enableDisable(db::Session& session, const ForeignKeyTarget& target, const QString& mode)
{
    QStringList errors;
    for (const QString& statement : enableDisableStatements(session, target, mode)) {
        db::Query q(&session);
        q.setSql(statement);
        try {
            q.execute();
        } catch (const db::OracleError& e) {
            errors << statement.trimmed() + QStringLiteral(": ") + e.message();
        }
    }
    return errors;
}

} // namespace deploy

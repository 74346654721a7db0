#include "deploy/commandrun.h"

#include "deploy/commandtable.h"
#include "deploy/resultfiles.h"
#include "shell/mainservices.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace deploy {

namespace {

bool is(const QString& word, const char* name)
{
    return word == QLatin1String(name);
}

} // namespace

QString errorsOwner(const QString& p1, const QString& connUser, bool several, const QString& userVoxa,
    const QString& userBildor)
{
    QString owner = p1.isEmpty() || is(p1, "AUDIT") ? connUser.toUpper() : p1;
    if (several) {
        if (is(owner, "VOXA") && !userVoxa.isEmpty())
            owner = userVoxa;
        else if (is(owner, "BILDOR") && !userBildor.isEmpty())
            owner = userBildor;
    }
    return owner;
}

QString grantGrantee(const QString& owner, const QString& grantee, bool several)
{
    if (several && is(grantee, "ZDR"))
        return QStringLiteral("G") + owner.mid(1, 10);
    return grantee;
}

QStringList lastVersionNames(const QString& list)
{
    QStringList names;
    for (const QString& part : list.split(QLatin1Char(','))) {
        const QString name = part.trimmed();
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names;
}

RunnerCommand normaliseWindowCommand(const shell::ParsedCommand& parsed, int line, const NormaliseInput& input)
{
    RunnerCommand c;
    c.word = parsed.command;
    c.p1 = parsed.p1;
    c.p2 = parsed.p2;
    c.p3 = parsed.p3;
    c.line = line;
    c.severalInstallations = input.severalInstallations;
    const auto code = [&input] { return input.organisationCode ? input.organisationCode() : QString(); };
    const QString& w = c.word;
    if (is(w, "SCRIPT")) {
        if (c.p2.isEmpty())
            c.p2 = input.defaultScriptDirectory;
    } else if (is(w, "GRANT")) {
        c.p2 = grantGrantee(c.p1, c.p2, input.severalInstallations);
    } else if (is(w, "COMPARE")) {
        const QString name = c.p3.isEmpty() ? QString::fromLatin1(defaultCompareResult) : c.p3;
        c.resultName = makeResultFileName(name, QStringLiteral("DF"), code(), input.resultDirectory).name;
    } else if (is(w, "CHECK_TABLES")) {
        for (QString* p : { &c.p1, &c.p2 }) {
            if (p->compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
                p->clear();
        }
        c.p3 = c.p3.compare(QLatin1String("CASCADE"), Qt::CaseInsensitive) == 0 ? QStringLiteral("CASCADE") : QString();
    } else if (is(w, "SISTEM")) {
        const QString organisation = code();
        const QString name = c.p1.isEmpty() ? QString::fromLatin1(defaultSistemReport) : c.p1;
        const ResultFileName report = makeResultFileName(name, QStringLiteral("SI"), organisation, input.resultDirectory);
        c.resultName = report.name;
        c.secondResultName = backupReportName(report, organisation);
    } else if (is(w, "IZVEDISQL")) {
        c.resultName
            = makeResultFileName(c.p1, QStringLiteral("QU"), code(), input.resultDirectory).name + QStringLiteral(".txt");
    } else if (is(w, "VERSION")) {
        c.p1 += QStringLiteral(".VER");
        if (c.p3.isEmpty())
            c.p3 = QStringLiteral("ALL");
    } else if (is(w, "ERRORS")) {
        c.p1 = errorsOwner(c.p1, input.connUser, input.severalInstallations, input.userVoxa, input.userBildor);
    }
    return c;
}

CommandRun::CommandRun(RunnerHost& host, QStringList lines)
    : host(host)
    , lines(std::move(lines))
{
}

QString CommandRun::say(const RunnerText& text, const QStringList& args) const
{
    return runnerText(text, host.language(), args);
}

void CommandRun::fail(int status, const QString& text, const QString& errorFileLine)
{
    RunFailure f;
    f.instance = currentInstance;
    f.line = state.line;
    f.text = text;
    const QString where = currentInstance.isEmpty() ? QString() : currentInstance + QStringLiteral(": ");
    f.errorFileLine = errorFileLine.isEmpty() ? where + QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))
                                              : errorFileLine;
    f.status = status;
    failures_.push_back(f);
    ++state.failures;
    host.report(where + text);
}

void CommandRun::fail(const RunnerText& text, const QStringList& args, int status)
{
    fail(status, say(text, args));
}

int CommandRun::exitStatus() const
{
    int status = 0;
    for (const RunFailure& f : failures_)
        status = std::max(status, f.status);
    if (status == 0 && std::find(verdicts.begin(), verdicts.end(), false) != verdicts.end())
        status = 1;
    return status;
}

QStringList CommandRun::errorFileLines() const
{
    QStringList result;
    for (const RunFailure& f : failures_)
        result << f.errorFileLine;
    return result;
}

void CommandRun::runOverInstances(const QStringList& aliases)
{
    const LogonValues given = host.logonValues();
    if (aliases.isEmpty()) {
        runInstance(std::nullopt);
        return;
    }
    for (const QString& alias : aliases) {
        // Each instance logs on as the command line said, not as a CONNECT of the instance before left it.
        LogonValues values = given;
        values.server = alias;
        host.setLogonValues(values);
        runInstance(alias);
        if (aborted)
            break;
    }
}

void CommandRun::runInstance(const std::optional<QString>& alias)
{
    state = InstanceState();
    currentInstance = alias.value_or(QString());
    if (alias)
        host.disconnect();
    host.shrinkMainWindow();
    if (!host.connected() && !host.logOn()) {
        const LogonValues v = host.logonValues();
        fail(runnertext::logonFailed, { v.server, v.user }, 2);
        verdicts.push_back(false);
        return;
    }
    runList();
    verdicts.push_back(state.closeAllowed && !state.importFailed);
}

void CommandRun::runList()
{
    if (!lines.isEmpty())
        state.closeAllowed = true;
    for (const QString& text : std::as_const(lines)) {
        if (state.stop || state.skipRest || aborted)
            break;
        runLine(text);
    }
    finishList();
}

void CommandRun::finishList()
{
    const bool cutShort = state.stop || state.skipRest || aborted;
    if (host.connected() && host.largeRBSwitchedOn() && !host.switchLargeRB(false, QString()))
        fail(runnertext::largeRBNotReset, {});
    // Restricted session left on by a list that did not run to its end (or failed) would lock the users out.
    if (state.restrictedByRun && (cutShort || state.failures > 0) && host.connected()) {
        if (host.setRestrictedSession(QStringLiteral("DISABLE"))) {
            state.restrictedByRun = false;
            host.report(say(runnertext::restrictedRestored));
        } else {
            fail(1, say(runnertext::commandFailed, { QString::number(state.line), QStringLiteral("RESTRICTEDLOGIN"),
                                                   QStringLiteral("DISABLE") }));
        }
    }
}

void CommandRun::runLine(const QString& text)
{
    ++state.line;
    shell::ParsedCommand c = shell::parseCommand(text);
    // A CONNECT names VOXA or BILDOR to mean the installation's user, so it is read before the substitution.
    if (several && !is(c.command, "CONNECT") && installation)
        c = shell::parseCommand(shell::zamenjave(text, QStringLiteral("UKAZ"), installation->userVoxa,
            installation->userBildor));
    if (c.command.isEmpty()) {
        if (!text.trimmed().isEmpty())
            fail(runnertext::leadingBlank, { QString::number(state.line) }, 2);
        return;
    }
    const CommandInfo* info = findCommand(c.command);
    if (!info) {
        fail(runnertext::unknownCommand, { QString::number(state.line), c.command }, 2);
        return;
    }
    if (info->kind == CommandKind::StartupWord)
        return;
    if (several && !info->inSeveralInstallations) {
        host.report(say(runnertext::notInSeveralInstallations, { QString::number(state.line), c.command }));
        return;
    }
    const QString& w = c.command;
    if (is(w, "CONNECT")) {
        if (state.line >= firstRunnerConnectLine)
            runConnect(c);
    } else if (is(w, "OWNER")) {
        host.setOwner(c.p1);
    } else if (is(w, "LARGERB")) {
        runLargeRB(c);
    } else if (is(w, "RESTRICTEDLOGIN")) {
        runRestrictedLogin(c);
    } else if (is(w, "LASTVERSIONCHECK")) {
        runLastVersionCheck(c);
    } else if (is(w, "IMPORT")) {
        runImport(c);
    } else {
        runWindowCommand(c);
    }
}

void CommandRun::runConnect(const shell::ParsedCommand& c)
{
    LogonValues v = host.logonValues();
    if (several) {
        // Only the user counts: the installation's users log on with the installation's passwords.
        if (!c.p1.isEmpty())
            v.user = c.p1.toUpper();
        if (installation && is(v.user, "VOXA")) {
            v.user = installation->userVoxa;
            v.password = installation->passVoxa;
        } else if (installation && is(v.user, "BILDOR")) {
            v.user = installation->userBildor;
            v.password = installation->passBildor;
        }
        host.setLogonValues(v);
    } else {
        if (is(c.p3, "VEXOAUDT") && host.connected()) {
            QString error;
            const std::optional<bool> ready = host.auditHostReady(&error);
            if (!ready.value_or(false)) {
                // The run cannot go where it was told to: it ends here, and says why.
                fail(runnertext::auditHostMissing,
                    { QString::number(state.line), error.isEmpty() ? QString() : QStringLiteral(" (") + error + ')' });
                aborted = true;
                return;
            }
            v.server = QStringLiteral("VEXOAUDT");
        }
        if (!c.p1.isEmpty())
            v.user = c.p1.toUpper();
        host.setLogonValues(v);
        host.applyConnectPassword(c.p2);
    }
    if (!host.logOn() || !host.connected()) {
        const LogonValues now = host.logonValues();
        fail(runnertext::connectFailed, { QString::number(state.line), now.server, now.user }, 2);
        state.skipRest = true;
    }
}

void CommandRun::runLargeRB(const shell::ParsedCommand& c)
{
    if (!host.switchLargeRB(!is(c.p1, "OFF"), c.p2))
        fail(runnertext::commandFailed,
            { QString::number(state.line), QStringLiteral("LARGERB"), c.p1.isEmpty() ? QStringLiteral("ON") : c.p1 });
}

void CommandRun::runRestrictedLogin(const shell::ParsedCommand& c)
{
    if (!host.setRestrictedSession(c.p1)) {
        fail(runnertext::commandFailed, { QString::number(state.line), QStringLiteral("RESTRICTEDLOGIN"), c.p1 });
        return;
    }
    if (is(c.p1, "DISABLE")) {
        state.restrictedByRun = false;
        return;
    }
    state.restrictedByRun = true;
    if (!is(c.p2, "STOP"))
        return;
    // Nobody is there to be asked whether to wait: other sessions stop the list, as the answer "terminate" would.
    const std::optional<QString> sessions = host.unrestrictedSessions();
    if (sessions && sessions->trimmed().isEmpty())
        return;
    if (host.setRestrictedSession(QStringLiteral("DISABLE")))
        state.restrictedByRun = false;
    state.stop = true;
    fail(runnertext::restrictedSessionsLeft,
        { QString::number(state.line), host.restrictedQuestion(), sessions.value_or(QString()) });
}

void CommandRun::runLastVersionCheck(const shell::ParsedCommand& c)
{
    const QStringList names = lastVersionNames(c.p1);
    std::optional<bool> executed = false;
    QString error;
    if (names.isEmpty()) {
        fail(runnertext::lastVersionEmpty, { QString::number(state.line) });
    } else {
        executed = host.lastVersionExecuted(names, several ? host.logonValues().user : QString(), &error);
        if (!executed)
            fail(runnertext::lastVersionQueryFailed, { QString::number(state.line), error });
    }
    if (executed.value_or(false))
        return;
    if (executed && !names.isEmpty())
        fail(1, say(runnertext::lastVersionMissing, { QString::number(state.line), c.p1 }), c.p1);
    state.importFailed = false;
    state.closeAllowed = true;
    state.skipRest = true;
}

void CommandRun::runImport(const shell::ParsedCommand& c)
{
    const QString command = host.loader() + QLatin1Char(' ') + c.p1;
    QString error;
    const std::optional<int> code = host.runLoader(command, &error);
    if (!code) {
        state.importFailed = true;
        fail(runnertext::importNotStarted, { QString::number(state.line), error });
        return;
    }
    if (*code != 0) {
        state.importFailed = true;
        fail(runnertext::importFailed, { QString::number(state.line), command });
        return;
    }
    state.importFailed = false;
}

void CommandRun::runWindowCommand(const shell::ParsedCommand& c)
{
    const QString line = QString::number(state.line);
    NormaliseInput input;
    input.severalInstallations = several;
    input.connUser = host.logonValues().user;
    if (installation) {
        input.userVoxa = installation->userVoxa;
        input.userBildor = installation->userBildor;
    }
    input.defaultScriptDirectory = host.defaultScriptDirectory();
    input.resultDirectory = host.resultDirectory();
    input.organisationCode = [this] { return host.organisationCode(); };
    RunnerCommand command = normaliseWindowCommand(c, state.line, input);

    if (is(command.word, "SCRIPT")) {
        if (several) {
            // A script stored for this installation's owner before has been deployed there.
            QString error;
            const std::optional<qint64> rows = host.scriptRowsOfOwner(command.p1, input.connUser, &error);
            if (!rows) {
                fail(runnertext::scriptCountFailed, { line, error });
                return;
            }
            if (*rows > 0) {
                host.report(say(runnertext::scriptStoredBefore, { line, command.p1, input.connUser }));
                return;
            }
        }
        host.clearScriptFailure();
    } else if (is(command.word, "COMPARE")) {
        host.prepareReportHeader();
    } else if (is(command.word, "VERSION")) {
        command.p1 = host.resolveFile(command.p1);
        host.setVersionOK(false);
    }

    const std::optional<RunnerCommandResult> result = host.runWindowCommand(command);
    if (!result) {
        fail(runnertext::notAvailable, { line, command.word });
        return;
    }
    if (is(command.word, "VERSION")) {
        if (!result->ok || !host.versionOK()) {
            state.closeAllowed = false;
            fail(runnertext::versionNotPassed, { line, command.p1 });
            return;
        }
        // The checked file is renamed so that the same check is not made again.
        const QString copy = command.p1.left(command.p1.size() - 3) + QStringLiteral("COP");
        if (QFileInfo::exists(copy))
            QFile::remove(copy);
        if (!QFile::rename(command.p1, copy))
            fail(runnertext::versionNotRenamed, { line, command.p1, copy });
        return;
    }
    if (is(command.word, "ERRORS") && !result->ok) {
        state.closeAllowed = false;
        fail(runnertext::invalidObjectsLeft, { line, command.p1 });
        return;
    }
    if (!result->ok)
        fail(runnertext::commandFailed,
            { line, command.word, result->message.isEmpty() ? QStringLiteral("see above") : result->message });
}

} // namespace deploy

#include "deploy/mainrunner.h"

#include "db/oracleerror.h"
#include "db/session.h"
#include "deploy/commandcheck.h"
#include "deploy/commandrun.h"
#include "deploy/commandtable.h"
#include "deploy/instancelist.h"
#include "deploy/resultfiles.h"
#include "deploy/runnerqueries.h"
#include "deploy/runnerwindows.h"
#include "deploy/scripttable.h"
#include "deploy/severalinstall.h"
#include "platform/inifile.h"
#include "shell/Main.h"
#include "shell/iKript.h"
#include "shell/mainmenu.h"
#include "shell/runprocess.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <functional>

namespace deploy {

namespace {

void toStandardError(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// A statement's result, or nullopt with the server's message in *error.
template <typename Work>
auto guarded(QString* error, Work&& work) -> std::optional<decltype(work())>
{
    try {
        return work();
    } catch (const db::OracleError& e) {
        if (error)
            *error = e.message();
        return std::nullopt;
    }
}

// The runner's view of the main window: its logon values, session, settings and services.
class MainRunnerHost : public RunnerHost {
public:
    explicit MainRunnerHost(TfmMain& main)
        : m(main)
        , files(deploy::runFiles(main.settingsFile, programDataDirectory()))
    {
    }

    const RunFiles& runFiles() const { return files; }

    QString language() const override { return m.currLanguage; }
    void report(const QString& text) override { toStandardError(text); }

    LogonValues logonValues() const override
    {
        return { m.connUser, m.connPassword, m.connPasswordUtil, m.connServer, m.p_ScriptAudit };
    }
    void setLogonValues(const LogonValues& v) override
    {
        m.connUser = v.user;
        m.connPassword = v.password;
        m.connPasswordUtil = v.passwordUtil;
        m.connServer = v.server;
        m.p_ScriptAudit = v.scriptAudit;
    }
    bool connected() const override { return m.mainSessionConnected(); }
    void disconnect() override
    {
        m.osOracle->logOff();
        m.enableConnectedActions(false);
    }
    bool logOn() override
    {
        m.pAutoG = true;
        if (m.hooks.tbConnectClick)
            m.hooks.tbConnectClick();
        m.pAutoG = false;
        return connected();
    }
    void applyConnectPassword(const QString& p2) override
    {
        shell::StartupState state;
        state.connUser = m.connUser;
        state.connPassword = m.connPassword;
        state.connPasswordUtil = m.connPasswordUtil;
        state.connServer = m.connServer;
        state.bSaveLoginData = m.bSaveLoginData;
        state.bUseLoginData = m.bUseLoginData;
        state.bHaveToSaveLoginData = m.bHaveToSaveLoginData;
        const platform::IniFile settings(m.settingsFile);
        shell::StartupServices services;
        services.rememberedPassword = [&settings](const QString& instance, const QString& user) {
            return TKript::vzemiGeslo(settings, instance, user);
        };
        services.readLoginData = [this](shell::StartupState& s) {
            m.ReadLoginData();
            s.connUser = m.connUser;
            s.connPassword = m.connPassword;
            s.connServer = m.connServer;
        };
        shell::obeyConnectPassword(p2, state, services);
        m.connUser = state.connUser;
        m.connPassword = state.connPassword;
        m.connPasswordUtil = state.connPasswordUtil;
        m.connServer = state.connServer;
        m.p_ScriptAudit = state.p_ScriptAudit;
        m.bHaveToSaveLoginData = state.bHaveToSaveLoginData;
    }
    void shrinkMainWindow() override
    {
        if (m.currMinimizedMain == QLatin1String("D"))
            m.toggleMinimized(true);
    }

    void setOwner(const QString& owner) override { m.currOwner = owner; }
    bool switchLargeRB(bool on, const QString& segment) override
    {
        if (!segment.isEmpty())
            m.currLargeRBName = segment;
        const QString before = m.currLargeRB;
        // The menu item shows the state the switch leaves: checked means online, so it is set to the other one.
        m.menuItem(QStringLiteral("mmActivateLargeRB"))->setChecked(!on);
        m.currLargeRB = on ? QStringLiteral("D") : QStringLiteral("N");
        const bool switched = m.mmActivateLargeRBClick();
        if (!switched && on)
            m.currLargeRB = before; // nothing to switch off again at the end
        return switched;
    }
    bool largeRBSwitchedOn() const override { return m.currLargeRB == QLatin1String("D"); }
    bool setRestrictedSession(const QString& mode) override { return m.setRestrictedSession(mode); }
    std::optional<QString> unrestrictedSessions() override
    {
        QString error;
        std::optional<QString> sessions = guarded(&error, [this] { return shell::unrestrictedSessions(*m.osOracle); });
        if (!sessions)
            report(error);
        return sessions;
    }
    QString restrictedQuestion() const override { return m.nizRestricted; }
    std::optional<bool> auditHostReady(QString* error) override
    {
        return guarded(error, [this] { return deploy::auditHostReady(*m.osOracle); });
    }
    std::optional<bool> lastVersionExecuted(const QStringList& names, const QString& owner, QString* error) override
    {
        return guarded(error, [&] { return deploy::lastVersionExecuted(*m.osOracle, names, owner); });
    }
    QString loader() const override { return m.currLoader; }
    std::optional<int> runLoader(const QString& commandLine, QString* error) override
    {
        try {
            return shell::RunProcessAndWait(commandLine);
        } catch (const shell::RunProcessError& e) {
            *error = e.message();
            return std::nullopt;
        }
    }

    QString organisationCode() override { return m.GetParam107(QStringLiteral("aiOrganizationBPI")); }
    void prepareReportHeader() override { m.meVhod = m.userVhodniParametri(); }
    QString defaultScriptDirectory() const override
    {
        return m.currentScriptDir.isEmpty() ? m.environment().workingDir : m.currentScriptDir;
    }
    QString resultDirectory() const override { return files.resultDirectory; }
    std::optional<qint64> scriptRowsOfOwner(const QString& script, const QString& owner, QString* error) override
    {
        return guarded(error, [&] { return countScriptRows(*m.osOracle, script, owner); });
    }
    void clearScriptFailure() override { m.pExecuteScriptNapaka = false; }
    void setVersionOK(bool ok) override { m.VersionOK = ok; }
    bool versionOK() const override { return m.VersionOK; }
    std::optional<RunnerCommandResult> runWindowCommand(const RunnerCommand& command) override
    {
        const RunnerCommandHandler* handler = runnerCommandHandler(command.word);
        if (!handler)
            return std::nullopt;
        // A copy: the handler may register commands while it runs.
        const RunnerCommandHandler run = *handler;
        try {
            return run(RunnerCommandContext { m, command });
        } catch (const db::OracleError& e) {
            return RunnerCommandResult { false, e.message() };
        } catch (const std::exception& e) {
            return RunnerCommandResult { false, QString::fromLocal8Bit(e.what()) };
        }
    }
    QString resolveFile(const QString& name) const override
    {
        return shell::resolveFileNameIgnoringCase(name, m.environment().workingDir);
    }

    std::optional<std::vector<Installation>> installations(QString* error) override
    {
        return guarded(error, [this] { return readInstallations(*m.osOracle); });
    }
    void setCurrentInstallation(const Installation& i) override
    {
        m.currUserIndex = i.index;
        m.currInstanceAs = i.instance;
        m.currUserAsVoxa = i.userVoxa;
        m.currPassAsVoxa = i.passVoxa;
        m.currUserAsBildor = i.userBildor;
        m.currPassAsBildor = i.passBildor;
    }
    bool saveInstallationStatus(int index, const QString& status, const QString& date, QString* error) override
    {
        // The status is committed on the main session: never together with another window's pending work.
        if (!m.confirmMainSessionEnd(&m, QStringLiteral("The installation status"))) {
            *error = QStringLiteral("other windows hold uncommitted work on the main session");
            return false;
        }
        return guarded(error, [&] {
            deploy::saveInstallationStatus(*m.osOracle, index, status, date);
            return true;
        }).has_value();
    }

private:
    TfmMain& m;
    RunFiles files;
};

// The end of a run with commands: the error file when anything failed, the exit status, and the program closes.
void finishRun(TfmMain& main, MainRunnerHost& host, int status, const QStringList& errorLines)
{
    if (!errorLines.isEmpty()) {
        QString error;
        if (!writeErrorFile(host.runFiles().errorFile, errorLines, &error)) {
            host.report(runnerText(runnertext::errorFileNotWritten, main.currLanguage,
                { host.runFiles().errorFile, error }));
            status = std::max(status, exitCommandFailed);
        }
    }
    main.exitStatus = status;
    // Every window of the run has closed: nothing is left to wait for.
    main.tiCloseForm->setInterval(0);
    main.startCloseTimer();
}

// Runs the work and ends the run. An error that escapes the work is reported and counts as a failure (the main
// window would show it in a message box, which waits for a person).
void runGuarded(TfmMain& main, MainRunnerHost& host, CommandRun& run, const std::function<void()>& work)
{
    QString escaped;
    try {
        work();
    } catch (const db::OracleError& e) {
        escaped = e.message();
    } catch (const std::exception& e) {
        escaped = QString::fromLocal8Bit(e.what());
    }
    QStringList lines = run.errorFileLines();
    int status = run.exitStatus();
    if (!escaped.isEmpty()) {
        host.report(escaped);
        lines << escaped;
        status = std::max(status, exitCommandFailed);
    }
    finishRun(main, host, status, lines);
}

// The run starts with no error file of an earlier run, so that one found afterwards belongs to this run.
void removeOldErrorFile(const MainRunnerHost& host)
{
    if (QFile::exists(host.runFiles().errorFile))
        QFile::remove(host.runFiles().errorFile);
}

} // namespace

void IzvediCeloSkripto(TfmMain& main)
{
    const QStringList lines = runnerLines(main.commandLine);
    if (!listRunsCommands(lines))
        return;
    MainRunnerHost host(main);
    removeOldErrorFile(host);
    if (main.runParamType.toUpper().startsWith(QLatin1String("@MU_")))
        host.report(runnerText(runnertext::severalWithoutMark, main.currLanguage));
    const InstanceList instances = readInstanceList(main.environment().executableDir);
    if (instances.error) {
        const QString text = runnerText(*instances.error, main.currLanguage, instances.errorArgs);
        host.report(text);
        finishRun(main, host, exitUsageOrLogon, { text });
        return;
    }
    CommandRun run(host, lines);
    runGuarded(main, host, run, [&] { run.runOverInstances(instances.aliases); });
}

void IzvediVecInstalacij(TfmMain& main)
{
    const QStringList lines = runnerLines(main.commandLine);
    if (!listRunsCommands(lines))
        return;
    MainRunnerHost host(main);
    removeOldErrorFile(host);
    CommandRun run(host, lines);
    runGuarded(main, host, run, [&] { run.runOverInstallations(); });
}

void installCommandRunner(TfmMain& main)
{
    registerRunnerWindows();
    main.hooks.IzvediCeloSkripto = [&main] { IzvediCeloSkripto(main); };
    main.hooks.IzvediVecInstalacij = [&main] { IzvediVecInstalacij(main); };
    main.hooks.aliJeVecInstacijNaTrenutniInstanci = [&main](const QString& instance) {
        return aliJeVecInstacijNaTrenutniInstanci(main.environment().workingDir, instance);
    };
    main.hooks.openInstallationsTable = [&main] { return installationsTableOpens(*main.osOracle); };
    main.hooks.findInstallationOfUser = [&main](const QString& user) -> std::optional<TInstallationOfUser> {
        std::optional<Installation> found;
        try {
            found = installationOfUser(*main.osOracle, user);
        } catch (const db::OracleError& e) {
            toStandardError(e.message());
        }
        if (!found)
            return std::nullopt;
        return TInstallationOfUser { found->instance, found->index, found->userVoxa, found->passVoxa,
            found->userBildor, found->passBildor };
    };
    if (listRunsCommands(runnerLines(main.commandLine))) {
        // Nobody watches a run of commands: its first logon goes on by itself, at once.
        main.pAutoG = true;
        main.autoLogonDelayMs = 0;
    }
}

} // namespace deploy

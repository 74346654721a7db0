// The command runner's logic: a command list run line by line for one instance (or one installation), the state of
// that run, and the loop over the instances of instance.txt. Everything the run does to the program goes through
// RunnerHost, which the main window implements (deploy/mainrunner.h) and a test fakes.
#pragma once

#include "deploy/runnerregistry.h"
#include "deploy/runnertexts.h"
#include "shell/commandline.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace deploy {

// The logon values of the main session a run changes and puts back.
struct LogonValues {
    QString user;
    QString password;
    QString passwordUtil;
    QString server;
    bool scriptAudit = false;

    bool operator==(const LogonValues&) const = default;
};

// One registered installation of the several-installations mode (a row of VEXO_UTIL.VEXO_INSTALATIONS).
struct Installation {
    int index = 0;
    QString instance;
    QString userVoxa;
    QString passVoxa;
    QString userBildor;
    QString passBildor;
};

class RunnerHost {
public:
    virtual ~RunnerHost() = default;

    virtual QString language() const = 0;
    // A message of the run (standard error).
    virtual void report(const QString& text) = 0;

    // --- the main session ---
    virtual LogonValues logonValues() const = 0;
    virtual void setLogonValues(const LogonValues& values) = 0;
    virtual bool connected() const = 0;
    virtual void disconnect() = 0;
    // Logs on by itself with the logon values; true when the main session is connected afterwards.
    virtual bool logOn() = 0;
    // CONNECT's password parameter as the start-up takes it (codes, audit-host form, saved login data).
    virtual void applyConnectPassword(const QString& p2) = 0;
    // Shrinks the main window to its tool bar when the settings ask for it.
    virtual void shrinkMainWindow() = 0;

    // --- the commands the runner does itself ---
    virtual void setOwner(const QString& owner) = 0;
    // Switches the large rollback segment (currLargeRB "D" when on); false when the switch failed.
    virtual bool switchLargeRB(bool on, const QString& segment) = 0;
    virtual bool largeRBSwitchedOn() const = 0;
    virtual bool setRestrictedSession(const QString& mode) = 0;
    // The sessions restricted session would lock out, one a line; nullopt when they could not be listed.
    virtual std::optional<QString> unrestrictedSessions() = 0;
    virtual QString restrictedQuestion() const = 0; // nizRestricted
    // The audit database behind VOXA's link VEXOAUDT is set up; nullopt with the reason when the check failed.
    virtual std::optional<bool> auditHostReady(QString* error) = 0;
    // Whether one of the scripts has an executed row (of the owner, when one is given).
    virtual std::optional<bool> lastVersionExecuted(const QStringList& names, const QString& owner, QString* error) = 0;
    virtual QString loader() const = 0; // currLoader
    // Runs the loader and waits; nullopt with the reason when it could not be started.
    virtual std::optional<int> runLoader(const QString& commandLine, QString* error) = 0;

    // --- the commands of tool windows ---
    virtual QString organisationCode() = 0;
    virtual void prepareReportHeader() = 0; // userVhodniParametri into meVhod
    virtual QString defaultScriptDirectory() const = 0;
    virtual QString resultDirectory() const = 0;
    // The rows a script has for an owner; nullopt with the reason when they could not be counted.
    virtual std::optional<qint64> scriptRowsOfOwner(const QString& script, const QString& owner, QString* error) = 0;
    virtual void clearScriptFailure() = 0; // pExecuteScriptNapaka := false
    virtual void setVersionOK(bool ok) = 0;
    virtual bool versionOK() const = 0;
    // Runs the registered window part of a command; nullopt when no window is registered for it.
    virtual std::optional<RunnerCommandResult> runWindowCommand(const RunnerCommand& command) = 0;
    // A file named in a command, found without regard to case.
    virtual QString resolveFile(const QString& name) const = 0;

    // --- the several-installations mode ---
    virtual std::optional<std::vector<Installation>> installations(QString* error) = 0;
    virtual void setCurrentInstallation(const Installation& installation) = 0;
    virtual bool saveInstallationStatus(int index, const QString& status, const QString& date, QString* error) = 0;
};

// The outcome recorded in an installation's row: "X", or "E" when its logon or a command failed.
struct InstallationStatus {
    int index = 0;
    QString status;
    QString date;
};

// A failure of the run: what stderr said, what the error file gets, and the exit status it calls for.
struct RunFailure {
    QString instance; // the alias or installation it happened on; empty on the current connection
    int line = 0; // 0 when it belongs to no line (a logon, the end of an instance)
    QString text;
    QString errorFileLine;
    int status = 1;
};

// The state of the list's run on one instance.
struct InstanceState {
    int line = 0;
    bool closeAllowed = false; // the list had lines and no VERSION or ERRORS left work for a person
    bool importFailed = false; // the last IMPORT failed
    bool stop = false; // RESTRICTEDLOGIN ... STOP found other sessions
    bool skipRest = false; // LASTVERSIONCHECK failed, or a CONNECT lost the session
    bool restrictedByRun = false; // RESTRICTEDLOGIN ENABLE succeeded and no DISABLE followed
    int failures = 0;
};

// The window command of a line with its parameters normalised (defaults, "NULL", the several-installations names)
// and its result names. What the handlers receive is documented in deploy/runnerregistry.h.
struct NormaliseInput {
    bool severalInstallations = false;
    QString connUser;
    QString userVoxa; // the current installation's users (several-installations mode)
    QString userBildor;
    QString defaultScriptDirectory;
    QString resultDirectory;
    std::function<QString()> organisationCode; // asked only by the commands with result files
};
RunnerCommand normaliseWindowCommand(const shell::ParsedCommand& parsed, int line, const NormaliseInput& input);

// The owner of ERRORS: the connected user for an empty p1 or AUDIT; in the several-installations mode VOXA and
// BILDOR become the installation's users.
QString errorsOwner(const QString& p1, const QString& connUser, bool several, const QString& userVoxa,
    const QString& userBildor);
// GRANT's grantee: in the several-installations mode ZDR becomes "G" and characters 2 to 11 of the owner.
QString grantGrantee(const QString& owner, const QString& grantee, bool several);
// The names of LASTVERSIONCHECK's list ("V1,V2"): trimmed, without empty ones.
QStringList lastVersionNames(const QString& list);

class CommandRun {
public:
    CommandRun(RunnerHost& host, QStringList lines);

    // The single-installation run: once per alias of the list, or once on the current connection when the list is
    // empty. Every instance logs on with the logon values the run started with.
    void runOverInstances(const QStringList& aliases);
    // The several-installations run: once per registered installation, logged on as its users; the outcome is
    // recorded in the installation's row. Afterwards the run's own user is logged on again.
    void runOverInstallations();

    const std::vector<RunFailure>& failures() const { return failures_; }
    // 0 when every command succeeded, else the highest status a failure called for.
    int exitStatus() const;
    // The error file's lines, one per failure.
    QStringList errorFileLines() const;
    // The state of the instance that ran last.
    const InstanceState& lastInstance() const { return state; }
    // Each instance's verdict in order: it may close (close allowed, no failed import).
    const std::vector<bool>& instanceVerdicts() const { return verdicts; }

private:
    void runInstance(const std::optional<QString>& alias);
    void runInstallation(const Installation& installation, std::vector<InstallationStatus>& unsaved);
    void runList();
    void finishList();
    void runLine(const QString& text);
    void runConnect(const shell::ParsedCommand& c);
    void runLargeRB(const shell::ParsedCommand& c);
    void runRestrictedLogin(const shell::ParsedCommand& c);
    void runLastVersionCheck(const shell::ParsedCommand& c);
    void runImport(const shell::ParsedCommand& c);
    void runWindowCommand(const shell::ParsedCommand& c);
    void fail(int status, const QString& text, const QString& errorFileLine = {});
    void fail(const RunnerText& text, const QStringList& args, int status = 1);
    QString say(const RunnerText& text, const QStringList& args = {}) const;

    RunnerHost& host;
    QStringList lines;
    std::vector<RunFailure> failures_;
    std::vector<bool> verdicts;
    InstanceState state;
    QString currentInstance;
    bool several = false;
    std::optional<Installation> installation;
    bool aborted = false;
};

} // namespace deploy

// A program for the command runner's logic to run against: logon values, a session that is connected or not, and
// recorded calls, with the answers of each service set by the test.
#pragma once

#include "deploy/commandrun.h"
#include "shell/commandline.h"

#include <QDir>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace runnertest {

class FakeHost : public deploy::RunnerHost {
public:
    // --- what the test sets ---
    QString lang = QStringLiteral("ANG");
    deploy::LogonValues values { QStringLiteral("VOXA"), QStringLiteral("VOXA"), QStringLiteral("UTIL"),
        QStringLiteral("DEMO"), false };
    bool isConnected = true;
    // Whether a logon with these values succeeds; by default every logon does.
    std::function<bool(const deploy::LogonValues&)> logonSucceeds = [](const deploy::LogonValues&) { return true; };
    bool largeRBSucceeds = true;
    bool restrictedSucceeds = true;
    std::optional<QString> sessions = QString();
    std::optional<bool> auditReady = true;
    // Executed scripts per owner ("" for any owner).
    std::map<QString, QStringList> executedScripts;
    std::function<std::optional<int>(const QString&)> loaderResult = [](const QString&) { return 0; };
    // Window commands that are registered, and their outcome.
    std::map<QString, std::function<deploy::RunnerCommandResult(const deploy::RunnerCommand&)>> windows;
    std::map<QString, qint64> scriptRows; // "SCRIPT/OWNER" -> rows
    bool versionPasses = true;
    std::vector<deploy::Installation> installationList;
    bool installationsReadable = true;
    bool statusSaves = true;

    // --- what the test reads ---
    QStringList reports;
    QStringList calls; // every action, in order
    std::vector<deploy::LogonValues> logons; // the values of each logon attempt
    std::vector<deploy::RunnerCommand> windowCommands;
    std::vector<deploy::InstallationStatus> savedStatuses;
    QString owner;
    bool largeRBOn = false;
    bool restrictedOn = false;
    bool versionOKFlag = true;

    QString language() const override { return lang; }
    void report(const QString& text) override { reports << text; }
    deploy::LogonValues logonValues() const override { return values; }
    void setLogonValues(const deploy::LogonValues& v) override { values = v; }
    bool connected() const override { return isConnected; }
    void disconnect() override
    {
        calls << QStringLiteral("disconnect");
        isConnected = false;
    }
    bool logOn() override
    {
        logons.push_back(values);
        calls << QStringLiteral("logon %1@%2").arg(values.user, values.server);
        isConnected = logonSucceeds(values);
        return isConnected;
    }
    void applyConnectPassword(const QString& p2) override
    {
        if (!p2.isEmpty()) {
            values.password = p2;
            values.passwordUtil = p2;
        }
    }
    void shrinkMainWindow() override { }
    void setOwner(const QString& o) override
    {
        owner = o;
        calls << QStringLiteral("owner ") + o;
    }
    bool switchLargeRB(bool on, const QString& segment) override
    {
        calls << QStringLiteral("largerb %1 %2").arg(on ? QStringLiteral("ON") : QStringLiteral("OFF"), segment);
        if (!largeRBSucceeds)
            return false;
        largeRBOn = on;
        return true;
    }
    bool largeRBSwitchedOn() const override { return largeRBOn; }
    bool setRestrictedSession(const QString& mode) override
    {
        calls << QStringLiteral("restricted ") + mode;
        if (!restrictedSucceeds || (mode != QLatin1String("ENABLE") && mode != QLatin1String("DISABLE")))
            return false;
        restrictedOn = mode == QLatin1String("ENABLE");
        return true;
    }
    std::optional<QString> unrestrictedSessions() override { return sessions; }
    QString restrictedQuestion() const override { return QStringLiteral("There are non restricted sessions!"); }
    std::optional<bool> auditHostReady(QString* error) override
    {
        if (!auditReady)
            *error = QStringLiteral("ORA-00942: table or view does not exist");
        return auditReady;
    }
    std::optional<bool> lastVersionExecuted(const QStringList& names, const QString& o, QString*) override
    {
        calls << QStringLiteral("lastversion %1 %2").arg(names.join(QLatin1Char(',')), o);
        const QStringList& done = executedScripts[o];
        for (const QString& n : names)
            if (done.contains(n))
                return true;
        return false;
    }
    QString loader() const override { return QStringLiteral("IMP80"); }
    std::optional<int> runLoader(const QString& commandLine, QString* error) override
    {
        calls << QStringLiteral("loader ") + commandLine;
        const std::optional<int> r = loaderResult(commandLine);
        if (!r)
            *error = QStringLiteral("cannot start");
        return r;
    }
    QString organisationCode() override { return QStringLiteral("ORG"); }
    void prepareReportHeader() override { calls << QStringLiteral("header"); }
    QString defaultScriptDirectory() const override { return QStringLiteral("/scripts"); }
    QString resultDirectory() const override { return QStringLiteral("/results/"); }
    std::optional<qint64> scriptRowsOfOwner(const QString& script, const QString& o, QString*) override
    {
        return scriptRows[script + QLatin1Char('/') + o];
    }
    void clearScriptFailure() override { }
    void setVersionOK(bool ok) override { versionOKFlag = ok; }
    bool versionOK() const override { return versionOKFlag; }
    std::optional<deploy::RunnerCommandResult> runWindowCommand(const deploy::RunnerCommand& command) override
    {
        windowCommands.push_back(command);
        calls << QStringLiteral("window %1 %2 %3 %4").arg(command.word, command.p1, command.p2, command.p3).trimmed();
        const auto found = windows.find(command.word);
        if (found == windows.end())
            return std::nullopt;
        if (command.word == QLatin1String("VERSION"))
            versionOKFlag = versionPasses;
        return found->second(command);
    }
    QString resolveFile(const QString& name) const override { return shell::resolveFileNameIgnoringCase(name); }
    std::optional<std::vector<deploy::Installation>> installations(QString* error) override
    {
        if (!installationsReadable) {
            *error = QStringLiteral("ORA-00942: table or view does not exist");
            return std::nullopt;
        }
        return installationList;
    }
    void setCurrentInstallation(const deploy::Installation& i) override
    {
        calls << QStringLiteral("installation %1").arg(i.index);
    }
    bool saveInstallationStatus(int index, const QString& status, const QString& date, QString* error) override
    {
        calls << QStringLiteral("status %1 %2 as %3").arg(QString::number(index), status, values.user);
        if (!statusSaves) {
            *error = QStringLiteral("ORA-01031: insufficient privileges");
            return false;
        }
        savedStatuses.push_back({ index, status, date });
        return true;
    }

    // Registers a window command that always succeeds.
    void window(const char* word, bool ok = true)
    {
        windows[QLatin1String(word)] = [ok](const deploy::RunnerCommand&) { return deploy::RunnerCommandResult { ok, {} }; };
    }
};

} // namespace runnertest

#include "deploy/severalinstall.h"

#include "shell/commandline.h"

#include <QFile>
#include <QFileInfo>

namespace deploy {

namespace {

bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#')
        || c == QLatin1Char('.');
}

} // namespace

bool vecInstalacijMarks(const QStringList& lines, const QString& instance)
{
    const QString name = instance.trimmed().toUpper();
    if (name.isEmpty())
        return false;
    for (const QString& line : lines) {
        const QString upper = line.toUpper();
        if (!upper.startsWith(name) || (upper.size() > name.size() && isNameCharacter(upper.at(name.size()))))
            continue;
        return upper.mid(name.size()).contains(QLatin1String("TRUE"));
    }
    return false;
}

bool aliJeVecInstacijNaTrenutniInstanci(const QString& workingDir, const QString& instance)
{
    const QString path
        = shell::resolveFileNameIgnoringCase(QString::fromLatin1(severalInstallationsFileName), workingDir);
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    // A list of instances is short; a file of more than this is not read further.
    constexpr qint64 sizeLimit = 1024 * 1024;
    return vecInstalacijMarks(QString::fromLocal8Bit(file.read(sizeLimit)).split(QLatin1Char('\n')), instance);
}

LogonValues installationLogon(const LogonValues& current, const Installation& installation)
{
    LogonValues v = current;
    v.server = installation.instance;
    if (v.user == QLatin1String("VOXA")) {
        v.user = installation.userVoxa;
        v.password = installation.passVoxa;
    } else if (v.user == QLatin1String("BILDOR")) {
        v.user = installation.userBildor;
        v.password = installation.passBildor;
    }
    return v;
}

QString installationStatusDate(const QDateTime& when)
{
    // QDateTime's own format strings are the same in every locale.
    return when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

void CommandRun::runOverInstallations()
{
    several = true;
    const LogonValues original = host.logonValues();
    QString error;
    const std::optional<std::vector<Installation>> list = host.installations(&error);
    if (!list) {
        fail(runnertext::installationsUnreadable, { error });
        return;
    }
    std::vector<InstallationStatus> unsaved;
    for (const Installation& one : *list) {
        runInstallation(one, unsaved);
        if (aborted)
            break;
    }
    installation.reset();
    currentInstance.clear();
    state = InstanceState();

    // The main session and the shared logon values agree again: the run's own user is logged on as it began.
    host.setLogonValues(original);
    if (!host.logOn()) {
        fail(runnertext::originalLogonFailed, { original.user, original.server }, 2);
        return;
    }
    // Installations whose own session could not record their status get it now.
    for (const InstallationStatus& s : unsaved) {
        QString saveError;
        if (!host.saveInstallationStatus(s.index, s.status, s.date, &saveError))
            fail(runnertext::statusNotSaved, { QString::number(s.index), saveError });
    }
}

void CommandRun::runInstallation(const Installation& one, std::vector<InstallationStatus>& unsaved)
{
    state = InstanceState();
    installation = one;
    currentInstance = one.userVoxa.isEmpty() ? QString::number(one.index) : one.userVoxa;
    host.setCurrentInstallation(one);
    const LogonValues before = host.logonValues();
    host.setLogonValues(installationLogon(before, one));
    host.shrinkMainWindow();

    InstallationStatus status { one.index, QStringLiteral("X"), QString() };
    if (host.logOn()) {
        runList();
    } else {
        const LogonValues v = host.logonValues();
        fail(runnertext::logonFailed, { v.server, v.user }, 2);
    }
    if (state.failures > 0)
        status.status = QStringLiteral("E");
    status.date = installationStatusDate(QDateTime::currentDateTime());
    QString error;
    if (!host.connected() || !host.saveInstallationStatus(status.index, status.status, status.date, &error))
        unsaved.push_back(status);
    verdicts.push_back(state.failures == 0);

    // User and database go back for the next installation; its password is the installation's own anyway.
    LogonValues after = host.logonValues();
    after.user = before.user;
    after.server = before.server;
    host.setLogonValues(after);
}

} // namespace deploy

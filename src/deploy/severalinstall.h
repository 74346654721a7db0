// The several-installations mode ("hosting"): the file vecInstalacij that marks the instances holding several
// installations of the application, and the mapping of a run's logon onto one installation's users. The loop over
// the installations is CommandRun::runOverInstallations (severalinstall.cpp).
#pragma once

#include "deploy/commandrun.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace deploy {

inline constexpr const char* severalInstallationsFileName = "vecInstalacij";

// Whether the lines of vecInstalacij mark the instance: the first line that begins with the whole instance name
// (compared in upper case; the name must not run on into a longer one, PROD is not PROD2) decides, and marks it when
// "TRUE" stands (in any case) after the name.
bool vecInstalacijMarks(const QStringList& lines, const QString& instance);
// The same for the file vecInstalacij in the directory (found in any case); false when there is no such file.
bool aliJeVecInstacijNaTrenutniInstanci(const QString& workingDir, const QString& instance);

// The logon for an installation: its instance, and for the users VOXA and BILDOR the installation's user and
// password in their place; any other user keeps its password.
LogonValues installationLogon(const LogonValues& current, const Installation& installation);

// The status date in the form the status statement reads ("DD.MM.YYYY HH24:MI:SS"), whatever the locale.
QString installationStatusDate(const QDateTime& when);

} // namespace deploy

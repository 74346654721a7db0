// The command line and command files: the tokenizer every command line goes through, the start-up command list
// built from the program's parameters, and the start-up words (saved login data, language, the first CONNECT)
// that take effect before the main window is shown.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace shell {

// One command line split into its command word and up to three parameters, all upper case.
struct ParsedCommand {
    QString command;
    QString p1;
    QString p2;
    QString p3;
};

// At most this many characters behind the command word (and behind each parameter) are read.
inline constexpr int commandRestLimit = 100;
// At most this many characters of a command file's name are taken from the command line.
inline constexpr int commandFileNameLimit = 50;

ParsedCommand parseCommand(const QString& line);

// Takes one parameter off the front of rest (shortened in place) into param; true when something other than
// blanks is left behind it.
bool vzemiEnParameter(QString& rest, QString& param);

// The code string whose characters and runs stand for passwords on the command line.
inline constexpr const char* passwordCodeString = "80716QP";

// A non-empty text that occurs within the code string.
bool isPasswordCode(const QString& text);
// A text that begins with "A" and is shorter than 3 characters: the audit-host mode, the rest is the password.
bool isAuditHostForm(const QString& text);

// The program's parameters as the main window keeps them.
struct CommandLine {
    QString runParamType;
    QString runParamValue1;
    QString runParamValue2;
    QString runParamValue3;
    bool declRunParam = false;
    bool fileMode = false; // parameter 1 begins with "@"
    QString commandFile; // in file mode: the name as given (characters 2 to 51 of parameter 1)
    QString commandFilePath; // in file mode: the file that was loaded, empty when none was found
    QStringList lines; // the command list
};

// Builds the command list from the program's parameters (without the program name). The list starts as one
// empty line; one command line is appended to it, or a command file replaces it. A relative command file is
// looked up in workingDir. Parameters that hold blanks are quoted in the one-line form so that they stay one
// parameter.
CommandLine buildCommandList(const QStringList& arguments, const QString& workingDir);

// The logon values and switches the start-up words change.
struct StartupState {
    QString connUser;
    QString connPassword;
    QString connPasswordUtil;
    QString connServer;
    QString currLanguage;
    bool bSaveLoginData = false;
    bool bUseLoginData = false;
    bool bClearLoginData = false;
    bool bHaveToSaveLoginData = false;
    bool pAutoG = false;
    bool p_ScriptAudit = false;
};

struct StartupServices {
    // The remembered password of a user on an instance, or empty (TKript.vzemiGeslo).
    std::function<QString(const QString& instance, const QString& user)> rememberedPassword;
    // Reads the saved login data into the state's user, password and server when all three are stored.
    std::function<void(StartupState& state)> readLoginData;
};

// The built-in password for code characters 1 to 5 of the code string; empty for any other code.
QString builtInPassword(const QString& code);

// The password parameter of a CONNECT (start-up or command runner): the audit-host form, a password code (the
// remembered password of connUser on connServer, else the built-in or utility password), a plain password, or, when
// empty, the saved-login-data switches. Sets p_ScriptAudit, the passwords and bHaveToSaveLoginData.
void obeyConnectPassword(QString p2, StartupState& state, const StartupServices& services);

// Obeys the start-up words of the command list in order.
void obeyStartupWords(const CommandLine& commandLine, StartupState& state, const StartupServices& services);

// A command file names files in upper case, as the tool's home system does not care about case. When the exact
// path does not exist, each of its parts is matched against its directory without regard to case (backslashes
// count as separators there); the first path found that exists is returned, else the path as given.
QString resolveFileNameIgnoringCase(const QString& path, const QString& baseDir = {});

} // namespace shell

// The settings the main window keeps from MONITOR.INI: sections, keys, defaults, clamps and derived values,
// read and written apart from any window so that a settings file can be checked on its own.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace platform {
class IniFile;
}

namespace shell {

inline constexpr const char* settingsFileName = "MONITOR.INI";

// The settings file beside the executable: executableDir (with its trailing separator) + "MONITOR.INI".
QString settingsFilePath(const QString& executableDir);

// What the reading needs to know about the machine and the window to finish the values.
struct SettingsEnvironment {
    int screenWidth = 0;
    int screenHeight = 0;
    int mainWindowWidth = 0;
    QString executableDir; // with its trailing separator
    // The editor size fields as they stand before reading: they are the defaults of their keys.
    int editWidth = 0;
    int editHeight = 0;
    // Remembered password of a user on an instance (empty when none); used only when CURR_SHRANI is "NFX2".
    std::function<QString(const QString& instance, const QString& user)> rememberedPassword;
};

// The main window's settings fields, named as the tool windows know them. The main window holds them as its
// own fields; the defaults here are the values a missing key gives.
struct MainSettings {
    // [PL/SQL]
    QString CurrentEditInitDir;
    QString TmpCurrentEditInitDir;
    QString currentDateFormat = QStringLiteral("DD.MM.YYYY");
    QString CurrentPartFile;
    QString CurrentPartInitDir;
    QString CurrentMDQInitDir;
    QString CurrentMDQLast;
    QString CurrentCheckInitDir;
    QString CurrentActiveProject;
    QString CurrentActiveType;
    QString currentScript;
    QString currentScriptDir;
    QString currentRefreshDir;
    QString CurrStructureSelected = QStringLiteral("D");
    QString CurrentUserIpl;
    QString connUser;
    QString connServer;
    QString currVerOwner;
    QString currLastVer;
    QString currVerFile;
    QString currVerType = QStringLiteral("PROCEDURE,FUNCTION,PACKAGE,PACKAGE BODY,TRIGGER");
    QString currForceOCI = QStringLiteral("No");
    QString currLargeRBName = QStringLiteral("LARGERB");
    QString currDescriptor = QStringLiteral(",");
    QString currMacroFile = QStringLiteral("DREMMOX.MCR");
    QString currEditPLFont = QStringLiteral("Ms Sans Serif");
    QString currMinimizedMain = QStringLiteral("N");
    int currMinTop = 0;
    QString currCommentsFile;
    QString currShowLogType = QStringLiteral("LONG");
    QString currOwner;
    QString currOwnerFile;
    QString currLoader = QStringLiteral("IMP80");
    QString currLanguage = QStringLiteral("ANG");
    int currMinLeft = 0;
    int currEditWidth = 0;
    int currEditHeight = 0;
    bool currUnicode = false;
    QString currCharset = QStringLiteral("EASTEUROPE_CHARSET");
    QString currCubeCompany;
    // [ALIAS]
    QString currQUANDRELDir;
    // [MONITOR]
    QString currShrani = QStringLiteral("N");
    // Remembered passwords, filled at start-up when currShrani is "NFX2"; never written as settings.
    QString connPassword;
    QString connPasswordUtil;
};

struct SettingsReadResult {
    MainSettings settings;
    // Values that could not be used as they stood (a key and what was wrong); their defaults were taken.
    QStringList problems;
};

// Reads the file once, key by key. A missing file or key gives the default; a value that is not an integer
// where one is wanted gives the default and a line in problems, so one hand-edited value never stops start-up.
SettingsReadResult readMainSettings(const platform::IniFile& ini, const SettingsEnvironment& env);

// The full write of the settings editor: every key of [PL/SQL] from the fields, "xxxxx" in place of the two
// password keys, [ALIAS] CURR_QUANDREL_DIR and [MONITOR] CURR_SHRANI. Stops at the first key that cannot be
// written and returns false with the key and the reason in *error.
bool writeMainSettings(platform::IniFile& ini, const MainSettings& settings, QString* error = nullptr);

} // namespace shell

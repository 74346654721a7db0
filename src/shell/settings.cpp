#include "shell/settings.h"

#include "platform/inifile.h"

namespace shell {

namespace {

const QString sectionPlSql = QStringLiteral("PL/SQL");
const QString sectionMonitor = QStringLiteral("MONITOR");
const QString sectionAlias = QStringLiteral("ALIAS");

// An integer key: the value as a decimal number, or the default when it is none.
int readInteger(const platform::IniFile& ini, const QString& key, int defaultValue, QStringList& problems)
{
    const QString text = ini.readString(sectionPlSql, key, QString::number(defaultValue));
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (ok)
        return value;
    if (text.isEmpty())
        return defaultValue;
    problems << QStringLiteral("%1: \"%2\" is not a whole number; %3 is used").arg(key, text).arg(defaultValue);
    return defaultValue;
}

} // namespace

QString settingsFilePath(const QString& executableDir)
{
    return executableDir + QLatin1String(settingsFileName);
}

SettingsReadResult readMainSettings(const platform::IniFile& ini, const SettingsEnvironment& env)
{
    SettingsReadResult result;
    MainSettings& s = result.settings;
    const MainSettings defaults;
    const auto read = [&ini](const QString& key, const QString& defaultValue) {
        return ini.readString(sectionPlSql, key, defaultValue);
    };

    s.CurrentEditInitDir = read(QStringLiteral("CURR_DIR"), {});
    s.TmpCurrentEditInitDir = s.CurrentEditInitDir;
    s.currentDateFormat = read(QStringLiteral("CURR_DATE_FORMAT"), defaults.currentDateFormat);
    s.CurrentPartFile = read(QStringLiteral("CURR_PART_FILE"), {});
    s.CurrentPartInitDir = read(QStringLiteral("CURR_PART_DIR"), {});
    s.CurrentMDQInitDir = read(QStringLiteral("CURR_MDQ_DIR"), {});
    s.CurrentMDQLast = read(QStringLiteral("CURR_MDQ_LAST"), {});
    s.CurrentCheckInitDir = read(QStringLiteral("CURR_CHECK_DIR"), {});
    s.CurrentActiveProject = read(QStringLiteral("CURR_PROJECT"), {});
    s.CurrentActiveType = read(QStringLiteral("CURR_TYPE"), {});
    s.currentScript = read(QStringLiteral("CURR_SCRIPT"), {});
    s.currentScriptDir = read(QStringLiteral("CURR_SCRIPT_DIR"), {});
    s.currentRefreshDir = read(QStringLiteral("CURR_REFRESH_DIR"), {});
    s.CurrStructureSelected = read(QStringLiteral("CURR_STRU_SELECTED"), defaults.CurrStructureSelected);
    s.CurrentUserIpl = read(QStringLiteral("CURR_USERIPL"), {});
    const QString userAsWritten = read(QStringLiteral("CURR_USER"), {});
    s.connUser = userAsWritten.toUpper();
    s.connServer = read(QStringLiteral("CURR_SERVER"), {});
    s.currVerOwner = read(QStringLiteral("VER_OWNER"), userAsWritten.toUpper());
    s.currLastVer = read(QStringLiteral("VER_LAST"), {});
    s.currVerFile = read(QStringLiteral("VER_FILE"), {});
    s.currVerType = read(QStringLiteral("VER_TYPE"), defaults.currVerType);
    s.currForceOCI = read(QStringLiteral("CURR_FORCE_OCI"), defaults.currForceOCI);
    s.currLargeRBName = read(QStringLiteral("CURR_LARGERB"), defaults.currLargeRBName).toUpper();
    s.currDescriptor = read(QStringLiteral("CURR_DESCRIPTOR"), defaults.currDescriptor);
    s.currMacroFile = read(QStringLiteral("CURR_MACRO_FILE"), defaults.currMacroFile);
    s.currEditPLFont = read(QStringLiteral("CURR_EDITPL_FONT"), defaults.currEditPLFont);
    s.currMinimizedMain = read(QStringLiteral("CURR_MINIMIZED"), defaults.currMinimizedMain);

    // The minimised main window must land on the screen: a position of 0 or one beyond the screen is replaced
    // by one near the bottom right corner. A negative position is the user's choice (a second monitor).
    const int maxTop = env.screenHeight - 110;
    s.currMinTop = readInteger(ini, QStringLiteral("CURR_MIN_TOP"), 0, result.problems);
    if (s.currMinTop == 0 || s.currMinTop > maxTop)
        s.currMinTop = maxTop;

    s.currCommentsFile = read(QStringLiteral("CURR_COMMENT_DIR"), {});
    s.currShowLogType = read(QStringLiteral("CURR_SHOWLOGTYPE"), defaults.currShowLogType);
    s.currOwner = read(QStringLiteral("CURR_OWNER"), {});
    s.currOwnerFile = s.currOwner;
    s.currLoader = read(QStringLiteral("CURR_LOADER"), defaults.currLoader);
    s.currLanguage = read(QStringLiteral("CURR_LANGUAGE"), defaults.currLanguage);

    const int maxLeft = env.screenWidth - env.mainWindowWidth - 35;
    s.currMinLeft = readInteger(ini, QStringLiteral("CURR_MIN_LEFT"), 0, result.problems);
    if (s.currMinLeft == 0 || s.currMinLeft > maxLeft)
        s.currMinLeft = maxLeft;

    s.currEditWidth = readInteger(ini, QStringLiteral("CURR_EDIT_WIDTH"), env.editWidth, result.problems);
    s.currEditHeight = readInteger(ini, QStringLiteral("CURR_EDIT_HEIGHT"), env.editHeight, result.problems);
    // Only an exact "N" switches it off, as the settings editor writes it.
    s.currUnicode = read(QStringLiteral("CURR_UNICODE"), QStringLiteral("N")) != QLatin1String("N");
    s.currCharset = read(QStringLiteral("CURR_CHARSET"), defaults.currCharset);
    s.currCubeCompany = read(QStringLiteral("CURR_CUBECOMPANY"), {});

    s.currQUANDRELDir = ini.readString(sectionAlias, QStringLiteral("CURR_QUANDREL_DIR"), {});
    if (s.currQUANDRELDir.isEmpty())
        s.currQUANDRELDir = env.executableDir;

    s.currShrani = ini.readString(sectionMonitor, QStringLiteral("CURR_SHRANI"), defaults.currShrani);
    if (s.currShrani == QLatin1String("NFX2") && env.rememberedPassword) {
        s.connPassword = env.rememberedPassword(s.connServer, s.connUser);
        s.connPasswordUtil = env.rememberedPassword(s.connServer, QStringLiteral("VEXO_UTIL"));
    }
    return result;
}

bool writeMainSettings(platform::IniFile& ini, const MainSettings& s, QString* error)
{
    struct Entry {
        const QString& section;
        QString key;
        QString value;
    };
    const QString notAPassword = QStringLiteral("xxxxx");
    const Entry entries[] = {
        { sectionPlSql, QStringLiteral("CURR_DIR"), s.TmpCurrentEditInitDir },
        { sectionPlSql, QStringLiteral("CURR_DATE_FORMAT"), s.currentDateFormat },
        { sectionPlSql, QStringLiteral("CURR_PART_FILE"), s.CurrentPartFile },
        { sectionPlSql, QStringLiteral("CURR_PART_DIR"), s.CurrentPartInitDir },
        { sectionPlSql, QStringLiteral("CURR_MDQ_DIR"), s.CurrentMDQInitDir },
        { sectionPlSql, QStringLiteral("CURR_MDQ_LAST"), s.CurrentMDQLast },
        { sectionPlSql, QStringLiteral("CURR_CHECK_DIR"), s.CurrentCheckInitDir },
        { sectionPlSql, QStringLiteral("CURR_PROJECT"), s.CurrentActiveProject },
        { sectionPlSql, QStringLiteral("CURR_TYPE"), s.CurrentActiveType },
        { sectionPlSql, QStringLiteral("CURR_SCRIPT"), s.currentScript },
        { sectionPlSql, QStringLiteral("CURR_SCRIPT_DIR"), s.currentScriptDir },
        { sectionPlSql, QStringLiteral("CURR_REFRESH_DIR"), s.currentRefreshDir },
        { sectionPlSql, QStringLiteral("CURR_STRU_SELECTED"), s.CurrStructureSelected },
        { sectionPlSql, QStringLiteral("CURR_USERIPL"), s.CurrentUserIpl },
        { sectionPlSql, QStringLiteral("CURR_USER"), s.connUser },
        { sectionPlSql, QStringLiteral("CURR_SERVER"), s.connServer },
        { sectionPlSql, QStringLiteral("VER_OWNER"), s.currVerOwner },
        { sectionPlSql, QStringLiteral("VER_LAST"), s.currLastVer },
        { sectionPlSql, QStringLiteral("VER_FILE"), s.currVerFile },
        { sectionPlSql, QStringLiteral("VER_TYPE"), s.currVerType },
        { sectionPlSql, QStringLiteral("CURR_FORCE_OCI"), s.currForceOCI },
        { sectionPlSql, QStringLiteral("CURR_LARGERB"), s.currLargeRBName },
        { sectionPlSql, QStringLiteral("CURR_DESCRIPTOR"), s.currDescriptor },
        { sectionPlSql, QStringLiteral("CURR_MACRO_FILE"), s.currMacroFile },
        { sectionPlSql, QStringLiteral("CURR_EDITPL_FONT"), s.currEditPLFont },
        { sectionPlSql, QStringLiteral("CURR_MINIMIZED"), s.currMinimizedMain },
        { sectionPlSql, QStringLiteral("CURR_MIN_TOP"), QString::number(s.currMinTop) },
        { sectionPlSql, QStringLiteral("CURR_COMMENT_DIR"), s.currCommentsFile },
        { sectionPlSql, QStringLiteral("CURR_SHOWLOGTYPE"), s.currShowLogType },
        { sectionPlSql, QStringLiteral("CURR_OWNER"), s.currOwner },
        { sectionPlSql, QStringLiteral("CURR_LOADER"), s.currLoader },
        { sectionPlSql, QStringLiteral("CURR_LANGUAGE"), s.currLanguage },
        { sectionPlSql, QStringLiteral("CURR_MIN_LEFT"), QString::number(s.currMinLeft) },
        { sectionPlSql, QStringLiteral("CURR_EDIT_WIDTH"), QString::number(s.currEditWidth) },
        { sectionPlSql, QStringLiteral("CURR_EDIT_HEIGHT"), QString::number(s.currEditHeight) },
        { sectionPlSql, QStringLiteral("CURR_UNICODE"), s.currUnicode ? QStringLiteral("Y") : QStringLiteral("N") },
        { sectionPlSql, QStringLiteral("CURR_CHARSET"), s.currCharset },
        { sectionPlSql, QStringLiteral("CURR_CUBECOMPANY"), s.currCubeCompany },
        // No password is ever kept in the settings proper; the keys say so to anyone who looks.
        { sectionPlSql, QStringLiteral("CURR_PASSWORD"), notAPassword },
        { sectionPlSql, QStringLiteral("CURR_PASSWORDUTIL"), notAPassword },
        { sectionAlias, QStringLiteral("CURR_QUANDREL_DIR"), s.currQUANDRELDir },
        { sectionMonitor, QStringLiteral("CURR_SHRANI"), s.currShrani },
    };
    for (const Entry& entry : entries) {
        if (!ini.writeString(entry.section, entry.key, entry.value)) {
            if (error)
                *error
                    = QStringLiteral("%1 [%2] %3: %4").arg(ini.fileName(), entry.section, entry.key, ini.errorString());
            return false;
        }
    }
    if (error)
        error->clear();
    return true;
}

} // namespace shell

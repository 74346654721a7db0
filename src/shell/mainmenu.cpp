#include "shell/mainmenu.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "shell/windowregistry.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <algorithm>
#include <array>

namespace shell {

namespace {

using K = MenuItemKind;
using E = Enabling;

// The menu bar as laid out, in its order. The submenus of the database tools gate their items: an item inside them
// needs only its opener.
const MenuEntry menuTable[] = {
    { "mmConnDisc", nullptr, K::Submenu, "&Connect/Setup", "&Prijava/Odjava", true, E::Always },
    { "mmConnect", "mmConnDisc", K::Item, "&Connect", "Prijava", true, E::Always },
    { "mmDisconnect", "mmConnDisc", K::Item, "&Disconnect", "Odjava", true, E::Always },
    { "N1", "mmConnDisc", K::Separator, "", nullptr, true, E::Always },
    { "mmSetup", "mmConnDisc", K::Item, "Setup", "Nastavitve", true, E::Window },
    { "N3", "mmConnDisc", K::Separator, "", nullptr, true, E::Always },
    { "mmUserComments", "mmConnDisc", K::Item, "User Comments", "Komentarji", true, E::Window },
    { "mmWorkSheet", nullptr, K::Submenu, "&WorkSheet", "P&oizvedbe", true, E::Connected },
    { "mmNormal", "mmWorkSheet", K::Item, "&Normal", "Klasične", true, E::Window },
    { "mmMasterDetail", "mmWorkSheet", K::Item, "Master-Detail", "Oče/otrok", true, E::Window },
    { "mmScript", "mmWorkSheet", K::Item, "&Script", "Skripta", true, E::Window },
    { "mmProject", nullptr, K::Submenu, "&Version", "&Verzije", true, E::Connected },
    { "Project1", "mmProject", K::Item, "Project", "Projekt", false, E::Never },
    { "mmVersionCheck", "mmProject", K::Item, "Version Check", "Verzije", true, E::Window },
    { "mmInstalations", "mmProject", K::Item, "Instalations", "Instalacije", false, E::Never },
    { "mmEditPL", nullptr, K::Item, "Edit P&L ", "&Urejevalnik", true, E::ConnectedWindow },
    { "mmExecScript", nullptr, K::Item, "execute &Script", "&Skripte", true, E::ConnectedWindow },
    { "mmStructures", nullptr, K::Submenu, "Stru&ctures", "S&trukture", true, E::Connected },
    { "mmTabStru", "mmStructures", K::Item, "&Tables", "Tabele", true, E::Window },
    { "mmPLSQLStru", "mmStructures", K::Item, "PL/SQL blocks", "PL/SQL bloki", true, E::Window },
    { "N4", "mmStructures", K::Separator, "", nullptr, true, E::Always },
    { "mmGrantRevokerights", "mmStructures", K::Item, "Grant/Revoke rigjts", "Pravice", true, E::Window, "fmGrantAll" },
    { "mmStatus", nullptr, K::Item, "&Errors", "&Napake", true, E::ConnectedWindow },
    { "mmCompare", nullptr, K::Submenu, "&Utilities", "Ra&zno", true, E::Connected },
    { "mmActivateLargeRB", "mmCompare", K::Check, "Large RB Online", "Velik RB Online", true, E::Connected },
    { "N5", "mmCompare", K::Separator, "", nullptr, true, E::Always },
    { "mmQuandrelLOGactivities", "mmCompare", K::Item, "Quandrel LOG activities", "Prijava/Odjava", true, E::Window },
    { "mmShowQUANDRELlog", "mmCompare", K::Item, "Show QUANDREL log", "Prikaži QUANDREL log", true, E::Window },
    { "mmShowOraclesfile", "mmCompare", K::Item, "Show Oracle's file", "Prikaži Oracle datoteko", true, E::Window },
    { "mmPipe", "mmCompare", K::Item, "Pipes", "Pipe", true, E::Window },
    { "mmSistemskiParametri", "mmCompare", K::Item, "System Params", "Sistemski parametri", false, E::Window },
    { "N7", "mmCompare", K::Separator, "", nullptr, true, E::Always },
    { "mmRestrictedEnable", "mmCompare", K::Item, "Restricted Session ON", "Omejitev prijav na Oracle", true,
        E::Connected },
    { "mmRestrictedDisable", "mmCompare", K::Item, "Restricted Session OFF", "Sprostitev prijav na Oracle", true,
        E::Connected },
    { "mmShowSession", "mmCompare", K::Item, "Show Unrestricted sessions", "Prikaz nedovoljenih prijav", true,
        E::Connected },
    { "mmLongLogin", "mmCompare", K::Item, "Show logins under...", "Predolge prijave", true, E::Window },
    { "N2", "mmCompare", K::Separator, "", nullptr, false, E::Always },
    { "mmRefreshTables", "mmCompare", K::Item, "Refresh &Tables", "Osveževanje tabel", true, E::Window },
    { "mmCompare2", "mmCompare", K::Item, "C&ompare", "Primerjava struktur", true, E::Window },
    { "mmChecktables", "mmCompare", K::Item, "C&heck tables", "Preveri tabele", true, E::Window },
    { "mmRepairtables", "mmCompare", K::Item, "&Repair table", "Popravi Tabelo", true, E::Window },
    { "mmConstraints", "mmCompare", K::Item, "Search for disabled constraints", "Iskanje ukinjenih konstraintov", true,
        E::Window },
    { "mmSearchfordisabledtriggers", "mmCompare", K::Item, "Search for disabled triggers",
        "Iskanje ukinjenih triggerjev", true, E::Window },
    { "mmSQLUtil", "mmCompare", K::Item, "&SQLUtil", "Razni programi", false, E::Never },
    { "mmTablesreccount", "mmCompare", K::Item, "Tables-reccount", "Tabele-pomožni progami", true, E::Window },
    { "mmSistem", "mmCompare", K::Item, "Oracle-view ", "Oracle-pregled", true, E::Window },
    { "mmGenerateProc", "mmCompare", K::Item, "Generate Replace procedure", "generiraj Replace proceduro", true,
        E::Window },
    { "mmMoreInstalationsCrtica", "mmCompare", K::Separator, "", nullptr, false, E::Always },
    { "mmInstalationsformoreusers", "mmCompare", K::Item, "Instalations for more users", "Več uporabnikov-hosting",
        false, E::Window },
    // The system-jobs menu is open before a logon; its windows all work on the main session and the lock and audit
    // windows depend on the server's version, so they wait for a logon.
    { "mmLockAudit", nullptr, K::Submenu, "System Jobs", "Sistemska opravila", true, E::Always },
    { "mmLock", "mmLockAudit", K::Item, "Lock", "Zaklepanje", true, E::ConnectedWindow },
    { "mmAudit", "mmLockAudit", K::Item, "Auditing", "Auditing", true, E::ConnectedWindow },
    { "N8", "mmLockAudit", K::Separator, "", nullptr, true, E::Always },
    { "mmKocka", "mmLockAudit", K::Item, "Cube", "Kocka", false, E::ConnectedWindow },
    { "mmMonitor", "mmLockAudit", K::Item, "Monitor", nullptr, true, E::ConnectedWindow },
    { "mmTableLength", "mmLockAudit", K::Item, "Table's length", "Dolžine tabel", true, E::ConnectedWindow },
    { "mmAnalyzeTable", "mmLockAudit", K::Item, "Analyze table", nullptr, false, E::Never },
    { "mmAbout", nullptr, K::Item, "About", "Pomoč", true, E::Window },
    { "mmExit", nullptr, K::Item, "E&xit", "&Konec", true, E::Always },
};

const ToolButtonEntry toolButtonTable[] = {
    { "tbConnect", "Connect to Database", "Prijava", false, E::Always, nullptr, nullptr },
    { "tbWorkSheet", "Work Sheet", "Poizvedbe", true, E::ConnectedWindow, "mmNormal", "WorkSheet" },
    { "tbMasterDetail", "Master/Detail Form", "Poizvedbe-Oče/otrok", false, E::Window, "mmMasterDetail",
        "fmMasterDetail" },
    { "tbWSPart", "WorkSheet-SCRIPT", "Poizvedbe-skripta", false, E::ConnectedWindow, "mmScript", "fmSQLPart" },
    { "tbEditPL", "Edit PL/SQL Script", "Urejevalnik PL/SQL skript", true, E::ConnectedWindow, "mmEditPL", "fmEdit" },
    { "tbOpenProject", "Version", "Verzije", false, E::ConnectedWindow, "mmVersionCheck", nullptr },
    { "tbExecScript", "Execute Script", "Izvajanje Skript", false, E::ConnectedWindow, "mmExecScript", "fmScript" },
    { "tbErrors", "Errors", "Pregled napak", false, E::ConnectedWindow, "mmStatus", "fmErrors" },
    { "tbStructures", "Table Structures", "Strukture tabel,podatki,odvisnosti,indeksi", true, E::ConnectedWindow,
        "mmTabStru", "fmTableStru" },
    { "tbPLBlocks", "PL/SQL structures", "Strukture PL/SQL blokov", false, E::ConnectedWindow, "mmPLSQLStru",
        "fmplSQLStru" },
    { "tbMin", "Minimize/Maximize Main Form", "Zmanjševanje glavne forme", true, E::Always, nullptr, nullptr },
    { "tbOkna", "Select Window", "Prikaz odprtih oken", false, E::Always, nullptr, nullptr },
    // The settings window opened to save at once; the settings module registers it under the button's own name.
    { "ToolButton4", nullptr, nullptr, true, E::Window, nullptr, nullptr },
    { "tbExit", "Exit", "Izhod iz programa", true, E::Always, nullptr, nullptr },
};

// Names compared ignoring case, a run of digits by its number (the collator's numeric mode is missing where Qt
// runs without ICU).
bool naturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            // Leading zeros aside, the longer run is the larger number.
            const QStringView na = QStringView(a).mid(i, ei - i);
            const QStringView nb = QStringView(b).mid(j, ej - j);
            const auto trimmed = [](QStringView v) {
                while (v.size() > 1 && v.front() == QLatin1Char('0'))
                    v = v.mid(1);
                return v;
            };
            const QStringView ta = trimmed(na);
            const QStringView tb = trimmed(nb);
            if (ta.size() != tb.size())
                return ta.size() < tb.size();
            if (const int c = ta.compare(tb); c != 0)
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a[i].toCaseFolded();
        const QChar cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace

std::span<const MenuEntry> menuEntries()
{
    return menuTable;
}

std::span<const ToolButtonEntry> toolButtonEntries()
{
    return toolButtonTable;
}

const MenuEntry* findMenuEntry(const QString& name)
{
    const auto found
        = std::ranges::find_if(menuTable, [&](const MenuEntry& e) { return name == QLatin1String(e.name); });
    return found == std::end(menuTable) ? nullptr : &*found;
}

const ToolButtonEntry* findToolButtonEntry(const QString& name)
{
    const auto found = std::ranges::find_if(
        toolButtonTable, [&](const ToolButtonEntry& e) { return name == QLatin1String(e.name); });
    return found == std::end(toolButtonTable) ? nullptr : &*found;
}

QString menuCaption(const MenuEntry& entry, const QString& currLanguage)
{
    const bool slovenian = currLanguage == QLatin1String("SLO") && entry.slovenian;
    return QString::fromUtf8(slovenian ? entry.slovenian : entry.english);
}

QString toolButtonHint(const ToolButtonEntry& entry, const QString& currLanguage)
{
    if (!entry.hint)
        return {};
    const bool slovenian = currLanguage == QLatin1String("SLO") && entry.slovenianHint;
    return QString::fromUtf8(slovenian ? entry.slovenianHint : entry.hint);
}

bool entryEnabled(Enabling rule, bool connected, bool hasOpener)
{
    switch (rule) {
    case Enabling::Always:
        return true;
    case Enabling::Connected:
        return connected;
    case Enabling::Window:
        return hasOpener;
    case Enabling::ConnectedWindow:
        return connected && hasOpener;
    case Enabling::Never:
        return false;
    }
    return false;
}

QList<QString> openerNames(const QString& entryName)
{
    QList<QString> names { entryName };
    if (const ToolButtonEntry* button = findToolButtonEntry(entryName); button && button->menuItem)
        names.append(QLatin1String(button->menuItem));
    return names;
}

std::optional<QString> registeredOpener(const QString& entryName)
{
    for (const QString& name : openerNames(entryName))
        if (windowOpener(name))
            return name;
    return std::nullopt;
}

bool anyEntryEnabled(const QMenu* menu)
{
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible() || !action->isEnabled())
            continue;
        if (!action->menu() || anyEntryEnabled(action->menu()))
            return true;
    }
    return false;
}

QList<QWidget*> chooserWindows(
    const QList<QWidget*>& windows, const QWidget* main, const std::optional<QString>& prefix)
{
    QList<QWidget*> chosen;
    for (QWidget* w : windows) {
        if (!w || w == main || !w->isWindow() || !w->isVisible())
            continue;
        // Menus, tool tips and combo-box lists are top-level widgets too, but no window a person chooses.
        const Qt::WindowType type = w->windowType();
        if (type != Qt::Window && type != Qt::Dialog)
            continue;
        if (prefix && !w->objectName().startsWith(*prefix, Qt::CaseSensitive))
            continue;
        chosen.append(w);
    }
    // The application keeps its windows in no particular order; by name, with numbers in their order, a person
    // finds WorkSheet_2 between WorkSheet_1 and WorkSheet_10.
    std::stable_sort(chosen.begin(), chosen.end(),
        [](const QWidget* a, const QWidget* b) { return naturalLess(a->objectName(), b->objectName()); });
    return chosen;
}

bool useOra19Windows(const QString& ORACLEVersion)
{
    bool ok = false;
    const int major = ORACLEVersion.trimmed().toInt(&ok);
    return ok && major > 18;
}

qint64 countTables(db::Session& session, const QString& query)
{
    db::Query quDynDS(&session);
    quDynDS.setSql(query);
    quDynDS.execute();
    const qint64 count = quDynDS.eof() ? 0 : quDynDS.field(QStringLiteral("STEV")).toLongLong();
    quDynDS.close();
    return count;
}

std::optional<QString> restrictedSessionStatement(const QString& mode)
{
    if (mode != QLatin1String("ENABLE") && mode != QLatin1String("DISABLE"))
        return std::nullopt;
    return QStringLiteral("ALTER SYSTEM ") + mode + QStringLiteral(" RESTRICTED SESSION");
}

void setRestrictedSession(db::Session& session, const QString& mode)
{
    const std::optional<QString> statement = restrictedSessionStatement(mode);
    if (!statement)
        throw db::OracleError(2065, QStringLiteral("ORA-02065: illegal option for ALTER SYSTEM"));
    db::Query quTemporary(&session);
    quTemporary.setSql(*statement);
    quTemporary.execute();
}

QString unrestrictedSessions(db::Session& session)
{
    db::Query quRestricted(&session);
    quRestricted.setSql(QString::fromLatin1(unrestrictedSessionsQuery));
    quRestricted.declareVariable(QStringLiteral("grupa"), db::BindType::String);
    quRestricted.setVariable(QStringLiteral("grupa"), QString::fromLatin1(restrictedGroup));
    quRestricted.execute();
    QString text;
    for (; !quRestricted.eof(); quRestricted.next()) {
        const auto value = [&](const char* name) { return quRestricted.field(QLatin1String(name)).toString(); };
        text += value("USERNAME") + QLatin1Char(' ') + value("PROGRAM") + QLatin1Char(' ') + value("TERMINAL")
            + QLatin1Char(' ') + value("OSUSER") + QStringLiteral("\r\n");
    }
    quRestricted.close();
    return text;
}

} // namespace shell

#include "deploy/register_transfer.h"

#include "db/oracleerror.h"
#include "deploy/cmpstru.h"
#include "deploy/genReplProc.h"
#include "deploy/refresh.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"
#include "shell/windowregistry.h"

namespace deploy {

TfmRefresh* openRefresh(TfmMain& main)
{
    TfmRefresh* window = nullptr;
    try {
        window = new TfmRefresh(&main, &main);
    } catch (const db::OracleError& e) {
        shell::LocalMessageDlg(e.message(), shell::MsgDlgType::mtError, shell::MsgDlgBtn::mbOK, 0, main.currLanguage);
        return nullptr;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

TfmCmpStru* openCompare(TfmMain& main)
{
    auto* window = new TfmCmpStru(&main, &main);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

TfmGenReplProc* openGenReplProc(TfmMain& main)
{
    // A new window each time; closing only hides it (the main window frees it at the end).
    auto* window = new TfmGenReplProc(&main, &main);
    window->show();
    return window;
}

void registerTransferWindows()
{
    shell::registerWindowOpener(QStringLiteral("mmGenerateProc"), [](TfmMain& main) { openGenReplProc(main); });
    shell::registerWindowOpener(QStringLiteral("mmCompare2"), [](TfmMain& main) { openCompare(main); });
    shell::registerWindowOpener(QStringLiteral("mmRefreshTables"), [](TfmMain& main) { openRefresh(main); });
}

} // namespace deploy

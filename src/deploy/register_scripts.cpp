#include "deploy/register_scripts.h"

#include "deploy/execScr.h"
#include "shell/Main.h"
#include "shell/windowregistry.h"

namespace deploy {

TfmScript* openScriptWindow(TfmMain& main)
{
    static int counter = 0;
    auto* window = new TfmScript(&main, &main);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(QStringLiteral("fmScript_%1").arg(++counter));
    window->p_auto = false;
    window->show();
    return window;
}

void registerScriptWindows()
{
    shell::registerWindowOpener(QStringLiteral("mmExecScript"), [](TfmMain& main) { openScriptWindow(main); });
}

} // namespace deploy

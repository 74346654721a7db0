#include "develop/register_plsql.h"

#include "develop/editpl.h"
#include "develop/errors.h"
#include "shell/windowregistry.h"

namespace develop {

void registerPlsqlWindows()
{
    const shell::WindowOpener editor = [](TfmMain& main) { openEditPL(main); };
    shell::registerWindowOpener(QStringLiteral("mmEditPL"), editor);
    shell::registerWindowOpener(QStringLiteral("tbEditPL"), editor);
    const shell::WindowOpener status = [](TfmMain& main) { openErrorsWindow(main); };
    shell::registerWindowOpener(QStringLiteral("mmStatus"), status);
    shell::registerWindowOpener(QStringLiteral("tbErrors"), status);
}

} // namespace develop

#include "develop/registerwindows.h"

#include "develop/workshet.h"
#include "shell/Main.h"
#include "shell/windowregistry.h"

namespace develop {

TfmWorkSheet* openWorkSheet(TfmMain& main)
{
    ++main.workSheetStevec;
    // A top-level window of its own that frees itself when closed; the main window does not own it.
    auto* sheet = new TfmWorkSheet(&main);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setObjectName(QStringLiteral("WorkSheet_%1").arg(main.workSheetStevec));
    sheet->WorkStevec = main.workSheetStevec;
    if (!main.hooks.jeVTransakciji)
        main.hooks.jeVTransakciji = [](QWidget* window, const QString& database) {
            auto* ws = qobject_cast<TfmWorkSheet*>(window);
            return ws && ws->jeVTransakciji(database);
        };
    sheet->show();
    return sheet;
}

void registerWindows()
{
    const shell::WindowOpener worksheet = [](TfmMain& main) { openWorkSheet(main); };
    shell::registerWindowOpener(QStringLiteral("mmNormal"), worksheet);
    shell::registerWindowOpener(QStringLiteral("tbWorkSheet"), worksheet);
}

} // namespace develop
